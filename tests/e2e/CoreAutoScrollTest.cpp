// Auto scroll of the core program: the pointer held in a band along a screen edge, with the
// mouse buttons its Mode asks for, scrolls the desktop toward that edge step by step, by the
// External Speed in the outer band and the Internal Speed in the inner one; in the middle of the
// screen, or with the wrong buttons, nothing moves.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "CoreRun.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;

namespace {

constexpr int kExternalRange = 20;
constexpr int kInternalRange = 60;
constexpr int kExternalSpeed = 30;
constexpr int kInternalSpeed = 11;
constexpr int kMiddleY = 500;
constexpr wchar_t kStartJudge[] = L"オートスクロール開始判定開始.";
constexpr wchar_t kStopped[] = L"オートスクロール停止.";
// A key code no key row of the core uses: its events change nothing but the log.
constexpr WORD kUnusedVk = 0xE8;

class CoreAutoScroll : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RegDeleteSettings());
        // One pass per step keeps each step short.
        ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
        ASSERT_TRUE(RegSetDword(L"Auto Scroll", L"External Range", kExternalRange));
        ASSERT_TRUE(RegSetDword(L"Auto Scroll", L"Internal Range", kInternalRange));
        ASSERT_TRUE(RegSetDword(L"Auto Scroll", L"External Speed", kExternalSpeed));
        ASSERT_TRUE(RegSetDword(L"Auto Scroll", L"Internal Speed", kInternalSpeed));
        ASSERT_TRUE(PlacePointer(640, kMiddleY));
    }
    void TearDown() override { PlacePointer(640, kMiddleY); }

    bool StartAll()
    {
        const auto hWnds =
            m_wnds.StartTitled({WndArg(300, 200, 300, 200, L"Zv Auto A"), WndArg(700, 450, 250, 180, L"Zv Auto B")});
        m_hA = hWnds[0];
        m_hB = hWnds[1];
        return m_hA && m_hB && m_run.Start();
    }
    int OffsetA() { return WindowRect(m_hA).left - m_rcStart.left; }

    // Holds the pointer at x until window A has gone at least nMinSteps steps, then takes it back
    // to the middle and waits until auto scroll has stopped and its last move has ended. Returns
    // how far the windows went; both must have gone alike.
    int HoldAt(int x, int nMinSteps, int nSpeed)
    {
        m_rcStart = WindowRect(m_hA);
        const RECT rcStartB = WindowRect(m_hB);
        const size_t nStopped = CountOf(m_run.Log(), kStopped);
        if (!PlacePointer(x, kMiddleY)) {
            ADD_FAILURE() << "the pointer did not come to " << x;
            return 0;
        }
        const bool bWent = WaitUntil([&] { return std::abs(OffsetA()) >= nMinSteps * nSpeed; }, 15000, 20);
        PlacePointer(640, kMiddleY);
        EXPECT_TRUE(bWent) << "at x = " << x << " the windows went only " << OffsetA();
        EXPECT_TRUE(m_run.WaitForLine(kStopped, nStopped + 1));
        EXPECT_TRUE(m_run.WaitForMoveEnd());
        const int dx = OffsetA();
        EXPECT_TRUE(SameRect(Shifted(rcStartB, dx, 0), WindowRect(m_hB)));
        EXPECT_EQ(m_rcStart.top, WindowRect(m_hA).top);
        return dx;
    }

    // Waits until the core has handled every pointer motion made before: a key of no use tapped
    // after them is reported by the core's keyboard hook, whose events take the same way as the
    // mouse hook's (one hook thread relays both, in the order the input came, to the core's window),
    // so once the core has logged both of its events the motions before it have been judged.
    bool PointerEventsHandled()
    {
        const size_t nHooked = CountOf(m_run.Log(), kHookedLine);
        if (!TapKey(kUnusedVk))
            return false;
        return m_run.WaitForLine(kHookedLine, nHooked + 2);
    }

    // Rests the pointer at the left edge for longer than several ticks and checks that nothing
    // moved and no start was even judged.
    void ExpectNothingAtLeftEdge(int nJudgedBefore = 0)
    {
        const RECT rcA = WindowRect(m_hA);
        ASSERT_TRUE(PlacePointer(5, kMiddleY));
        ASSERT_TRUE(PlacePointer(6, kMiddleY));
        PumpFor(1000);
        // The motions' judgement is done (a start would have been logged then), and any move it
        // asked for has ended.
        ASSERT_TRUE(PointerEventsHandled());
        ASSERT_TRUE(m_run.WaitForMoveEnd());
        EXPECT_TRUE(SameRect(rcA, WindowRect(m_hA)));
        EXPECT_EQ(static_cast<size_t>(nJudgedBefore), CountOf(m_run.Log(), kStartJudge));
    }

    CRegistryGuard m_guard{kMakerKey};
    CCoreRun m_run{L"ZvCoreAutoScrollTest"};
    CTestWnds m_wnds;
    HWND m_hA = nullptr, m_hB = nullptr;
    RECT m_rcStart{};
};

}  // namespace

TEST_F(CoreAutoScroll, ModeOneScrollsByTheOuterAndInnerSpeedsAndNotInTheMiddle)
{
    ASSERT_TRUE(RegSetDword(L"Auto Scroll", L"Mode", 1));
    ASSERT_TRUE(RegSetDword(L"Auto Scroll", L"Delay", 1));  // 200 ms
    ASSERT_TRUE(StartAll());

    // Outer band of the left edge: the desktop scrolls left, so the windows go right.
    int dx = HoldAt(5, 2, kExternalSpeed);
    EXPECT_GT(dx, 0);
    EXPECT_EQ(0, dx % kExternalSpeed) << dx;
    EXPECT_NE(m_run.Log().find(L"オートスクロール実行 : 水平距離 = -30, 垂直距離 = 0."), std::wstring::npos);

    // Inner band: the inner speed.
    dx = HoldAt(kExternalRange + 15, 2, kInternalSpeed);
    EXPECT_GT(dx, 0);
    EXPECT_EQ(0, dx % kInternalSpeed) << dx;

    // Outer band of the right edge: the windows go left.
    RECT rcWork{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    dx = HoldAt(rcWork.right - 3, 2, kExternalSpeed);
    EXPECT_LT(dx, 0);
    EXPECT_EQ(0, dx % kExternalSpeed) << dx;

    // In the middle nothing starts, however long the pointer rests there.
    const size_t nJudged = CountOf(m_run.Log(), kStartJudge);
    const RECT rcA = WindowRect(m_hA);
    ASSERT_TRUE(PlacePointer(600, 400));
    ASSERT_TRUE(PlacePointer(640, kMiddleY));
    PumpFor(1000);
    ASSERT_TRUE(PointerEventsHandled());
    ASSERT_TRUE(m_run.WaitForMoveEnd());
    EXPECT_TRUE(SameRect(rcA, WindowRect(m_hA)));
    EXPECT_EQ(nJudged, CountOf(m_run.Log(), kStartJudge));
}

TEST_F(CoreAutoScroll, ModeThreeWaitsForTheRightButtonAndDelayZeroStartsAtOnce)
{
    ASSERT_TRUE(RegSetDword(L"Auto Scroll", L"Mode", 3));
    ASSERT_TRUE(RegSetDword(L"Auto Scroll", L"Delay", 0));
    ASSERT_TRUE(StartAll());
    const RECT rcA = WindowRect(m_hA);
    // At the edge without the right button nothing starts.
    ExpectNothingAtLeftEdge();

    // The right button held there starts it without a delay. Held on the display too: Wine takes
    // the buttons' state (GetAsyncKeyState, which the core reads each tick) from the display, so
    // a press made by SendInput alone can read as released after the next display event.
    ASSERT_TRUE(RunXdotool(L"mousedown 3"));
    ASSERT_TRUE(MouseDown(MouseButton::Right));
    const bool bWent = WaitUntil([&] { return WindowRect(m_hA).left >= rcA.left + 2 * kExternalSpeed; }, 10000, 20);
    MouseUp(MouseButton::Right);
    RunXdotool(L"mouseup 3");
    TapKey(VK_ESCAPE);
    EXPECT_TRUE(bWent) << WindowRect(m_hA).left - rcA.left;
    EXPECT_TRUE(m_run.WaitForLine(kStopped));
    EXPECT_TRUE(m_run.WaitForMoveEnd());
    EXPECT_EQ(0, (WindowRect(m_hA).left - rcA.left) % kExternalSpeed);
}

TEST_F(CoreAutoScroll, ModeZeroWithoutResizeUndoNeedsNoMouseHookAndNeverScrolls)
{
    ASSERT_TRUE(RegSetDword(L"Auto Scroll", L"Mode", 0));
    ASSERT_TRUE(RegSetDword(L"Auto Scroll", L"Delay", 0));
    ASSERT_TRUE(StartAll());
    ExpectNothingAtLeftEdge();
    const std::wstring strLog = m_run.Log();
    EXPECT_EQ(0u, CountOf(strLog, L"CZvCoreDlg::SetMouseHook() entered, b = 1."));
    EXPECT_NE(strLog.find(L"CZvCoreDlg::SetMouseHook() entered, b = 0."), std::wstring::npos);
}
