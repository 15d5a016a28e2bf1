// The scroll engine of the core program: a device request posted to its hidden window moves every
// ordinary window of the test program by the Scroll width, pass by pass, as the log viewer's file
// shows; fixed, untitled and minimised windows stay; a second move while one runs is refused.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CoreRun.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;

namespace {


class CoreScroll : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RegDeleteSettings()); }

    bool StartCore() { return m_run.Start(); }
    std::wstring Log() const { return m_run.Log(); }
    bool PostDevice(WORD wFlags, int nIdx, LPARAM nCount = 1) { return m_run.PostDevice(wFlags, nIdx, nCount); }
    bool WaitForMoveEnd() { return m_run.WaitForMoveEnd(); }
    // Waits until the window stands at rc and its title has nLines move lines in the log.
    bool WaitForMove(HWND hWnd, const RECT& rc, const std::wstring& strTitle, size_t nLines)
    {
        return WaitUntil(
            [&] {
                const RECT rcNow = WindowRect(hWnd);
                return MoveLines(Log(), strTitle).size() >= nLines && EqualRect(&rcNow, &rc);
            },
            10000, 50);
    }

    // One test window (a WndArg with a title) and then the core program: the window with where it
    // stood before the core program started, or a null window when either did not come.
    std::pair<HWND, RECT> StartWithWindow(const std::wstring& strWndArg)
    {
        const HWND hWnd = m_wnds.StartTitled({strWndArg})[0];
        const RECT rc = WindowRect(hWnd);
        return {hWnd && StartCore() ? hWnd : nullptr, rc};
    }

    CRegistryGuard m_guard{kMakerKey};
    CCoreRun m_run{L"ZvCoreScrollTest"};
    CProcess& m_core = m_run.Process();
    CTestWnds m_wnds;
};

}  // namespace

TEST_F(CoreScroll, DefaultKeyboardLineMovesEveryWindowTenPixelsInPassesOfOneSixThree)
{
    const auto [hA, hB] =
        m_wnds.StartTitled({WndArg(200, 150, 300, 200, L"Zv Scroll A"), WndArg(600, 400, 250, 180, L"Zv Scroll B")});
    ASSERT_TRUE(hA && hB);
    const RECT rcA = WindowRect(hA), rcB = WindowRect(hB);
    ASSERT_TRUE(StartCore());
    const HWND hWndFgBefore = GetForegroundWindow();

    // Scrolling to the right moves the windows to the left.
    ASSERT_TRUE(PostDevice(DEVFLAG_RIGHT, kKeybdHorzLine));
    ASSERT_TRUE(WaitForMove(hA, Shifted(rcA, -10, 0), L"Zv Scroll A", 3)) << WindowRect(hA).left;
    ASSERT_TRUE(WaitForMove(hB, Shifted(rcB, -10, 0), L"Zv Scroll B", 3)) << WindowRect(hB).left;
    ASSERT_TRUE(WaitForMoveEnd());

    const std::wstring strLog = Log();
    for (const wchar_t* pszTitle : {L"Zv Scroll A", L"Zv Scroll B"}) {
        const auto lines = MoveLines(strLog, pszTitle);
        EXPECT_EQ(PassesX(lines), (std::vector<int>{-1, -6, -3})) << pszTitle;
        EXPECT_EQ(PassesY(lines), (std::vector<int>{0, 0, 0})) << pszTitle;
    }
    ASSERT_FALSE(MoveLines(strLog, L"Zv Scroll A").empty());
    EXPECT_EQ(MoveLines(strLog, L"Zv Scroll A").front().nOldX, rcA.left);
    // The sizes are kept, and no window of the test was activated by the move.
    EXPECT_EQ(WindowRect(hA).right - WindowRect(hA).left, rcA.right - rcA.left);
    EXPECT_EQ(GetForegroundWindow(), hWndFgBefore);
    EXPECT_TRUE(FindMessageBoxes(m_core.Pid()).empty());
}

TEST_F(CoreScroll, SmoothScrollMovesAHundredPixelsInPassesOfThirteenSeventyNineEight)
{
    ASSERT_TRUE(RegSetDword(L"View", L"SmoothScroll", 1));
    ASSERT_TRUE(RegSetDword(L"Scroll", L"KeybdVertLineAbs", 100));
    const auto [hWnd, rc] = StartWithWindow(WndArg(300, 500, 320, 240, L"Zv Smooth"));
    ASSERT_NE(hWnd, nullptr);

    ASSERT_TRUE(PostDevice(DEVFLAG_DOWN, kKeybdVertLine));
    ASSERT_TRUE(WaitForMove(hWnd, Shifted(rc, 0, -100), L"Zv Smooth", 3)) << WindowRect(hWnd).top;
    const auto lines = MoveLines(Log(), L"Zv Smooth");
    EXPECT_EQ(PassesY(lines), (std::vector<int>{-13, -79, -8}));
    EXPECT_EQ(PassesX(lines), (std::vector<int>{0, 0, 0}));
}

TEST_F(CoreScroll, FixedUntitledAndMinimisedWindowsKeepTheirPlaces)
{
    ASSERT_TRUE(RegSetString(L"Fix", L"Fixed Window By Title No.0", L"Zv Fixed"));
    ASSERT_TRUE(RegSetDword(L"Fix", L"Scroll Titled Window Only", 1));
    CTestWnds wnds;
    ASSERT_TRUE(wnds.Start({WndArg(100, 100, 300, 200, L"Zv Moves"), WndArg(500, 100, 300, 200, L"Zv Fixed"),
                            UntitledWndArg(100, 500, 300, 200), WndArg(500, 500, 300, 200, L"Zv Minimised", L"min")}));
    const std::vector<HWND> hWnds = wnds.Windows();
    ASSERT_EQ(hWnds.size(), 4u);
    HWND hMoves = hWnds[0], hFixed = hWnds[1], hUntitled = hWnds[2], hMin = hWnds[3];
    ASSERT_TRUE(IsIconic(hMin));
    const RECT rcMoves = WindowRect(hMoves), rcFixed = WindowRect(hFixed), rcUntitled = WindowRect(hUntitled);
    WINDOWPLACEMENT wpMin{sizeof(wpMin)};
    ASSERT_TRUE(wnds.GetPlacement(hMin, wpMin));
    const RECT rcMin = WindowRect(hMin);
    ASSERT_TRUE(StartCore());

    ASSERT_TRUE(PostDevice(DEVFLAG_RIGHT, kKeybdHorzLine));
    ASSERT_TRUE(WaitForMove(hMoves, Shifted(rcMoves, -10, 0), L"Zv Moves", 3));

    EXPECT_TRUE(SameRect(rcFixed, WindowRect(hFixed)));
    EXPECT_TRUE(SameRect(rcUntitled, WindowRect(hUntitled)));
    EXPECT_TRUE(SameRect(rcMin, WindowRect(hMin)));
    WINDOWPLACEMENT wpAfter{sizeof(wpAfter)};
    ASSERT_TRUE(wnds.GetPlacement(hMin, wpAfter));
    EXPECT_TRUE(SameRect(wpMin.rcNormalPosition, wpAfter.rcNormalPosition));
    EXPECT_TRUE(IsIconic(hMin));
    const std::wstring strLog = Log();
    EXPECT_TRUE(MoveLines(strLog, L"Zv Fixed").empty());
    EXPECT_TRUE(MoveLines(strLog, L"Zv Minimised").empty());
    EXPECT_TRUE(MoveLines(strLog, L"").empty());
}

TEST_F(CoreScroll, SecondRequestWhileAMoveRunsIsRefusedAndTheWindowsEndOneDistanceAway)
{
    const auto [hWnd, rc] = StartWithWindow(WndArg(400, 300, 300, 200, L"Zv Twice"));
    ASSERT_NE(hWnd, nullptr);

    // Both requests are accepted as requests; the second move finds the first one running.
    ASSERT_TRUE(PostDevice(DEVFLAG_RIGHT, kKeybdHorzLine));
    ASSERT_TRUE(PostDevice(DEVFLAG_RIGHT, kKeybdHorzLine));
    ASSERT_TRUE(WaitForMove(hWnd, Shifted(rc, -10, 0), L"Zv Twice", 3));
    ASSERT_TRUE(WaitForMoveEnd());
    EXPECT_TRUE(SameRect(Shifted(rc, -10, 0), WindowRect(hWnd))) << "the second request moved nothing";

    // A later request is taken again once the move has ended.
    ASSERT_TRUE(PostDevice(DEVFLAG_RIGHT, kKeybdHorzLine));
    ASSERT_TRUE(WaitForMove(hWnd, Shifted(rc, -20, 0), L"Zv Twice", 6));
    EXPECT_EQ(PassesX(MoveLines(Log(), L"Zv Twice")), (std::vector<int>{-1, -6, -3, -1, -6, -3}));
}

TEST_F(CoreScroll, StrayStepTimerAndRequestMessagesMoveNothing)
{
    const auto [hWnd, rc] = StartWithWindow(WndArg(400, 300, 300, 200, L"Zv Stray"));
    ASSERT_NE(hWnd, nullptr);

    // Another process can post any number: no step of a move that does not run, no request that
    // the core program did not make, no index outside the Scroll width entries.
    for (WPARAM w : {0, 1, 2})
        for (LPARAM l : {0, 1})
            ASSERT_TRUE(PostMessageW(m_run.Wnd(), MSG_MV_STEP, w, l));
    ASSERT_TRUE(PostMessageW(m_run.Wnd(), MSG_TMR_SCROLL, 0, 0));
    ASSERT_TRUE(PostMessageW(m_run.Wnd(), MSG_MV_ALL_WNDS, 0x12345678, 0));
    ASSERT_TRUE(PostDevice(DEVFLAG_RIGHT, 12));
    ASSERT_TRUE(PostDevice(0, kKeybdHorzLine));

    // A real move afterwards is the only one that happens.
    ASSERT_TRUE(PostDevice(DEVFLAG_DOWN, kKeybdVertLine));
    ASSERT_TRUE(WaitForMove(hWnd, Shifted(rc, 0, -10), L"Zv Stray", 3));
    // Stray steps posted after the move has ended find nothing to touch.
    for (WPARAM w : {1, 2})
        for (LPARAM l : {0, 1, 2, 3})
            ASSERT_TRUE(PostMessageW(m_run.Wnd(), MSG_MV_STEP, w, l));
    ASSERT_TRUE(PostMessageW(m_run.Wnd(), MSG_TMR_SCROLL, 0, 0));
    // They were posted before the marker request, so they have been handled once it is logged.
    ASSERT_TRUE(WaitForMoveEnd());
    EXPECT_TRUE(SameRect(Shifted(rc, 0, -10), WindowRect(hWnd)));
    EXPECT_EQ(MoveLines(Log(), L"Zv Stray").size(), 3u);
    EXPECT_TRUE(m_core.IsRunning());
}

TEST_F(CoreScroll, WheelRequestGroupedForUndoMovesAtOnceAndThePointerFollows)
{
    ASSERT_TRUE(RegSetDword(L"View", L"MouseMove", 1));
    const auto [hWnd, rc] = StartWithWindow(WndArg(400, 300, 300, 200, L"Zv Wheel"));
    ASSERT_NE(hWnd, nullptr);
    // On the display too: a late display event would otherwise put the cursor back after the core
    // has moved it.
    ASSERT_TRUE(PlacePointer(640, 500));

    // Three notches of the horizontal wheel line: the whole distance in the first pass, and a
    // second pass that only sees the window arrived.
    constexpr int kWheelHorzLine = ScrlWdthIndex(SCRLWDTH_WHEEL, SCRLWDTH_HORZ, SCRLWDTH_LINE);
    ASSERT_TRUE(PostDevice(DEVFLAG_RIGHT, kWheelHorzLine, 3));
    ASSERT_TRUE(WaitForMove(hWnd, Shifted(rc, -30, 0), L"Zv Wheel", 2));
    EXPECT_EQ(PassesX(MoveLines(Log(), L"Zv Wheel")), (std::vector<int>{-30, 0}));
    POINT pt{};
    EXPECT_TRUE(WaitUntil([&] { return GetCursorPos(&pt) && pt.x == 610 && pt.y == 500; }, 5000)) << pt.x << "," << pt.y;
}
