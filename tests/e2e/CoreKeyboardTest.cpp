// Keyboard scrolling of the core program: a scroll key combination typed anywhere on the desktop
// reaches the core program through its keyboard hook and moves every ordinary window of the test
// program by the keyboard Scroll width; a combination with an extra key, or with the scroll keys
// turned off, moves nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "CoreRun.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;

namespace {


class CoreKeyboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RegDeleteSettings());
        // Speed 1: a move ends in one pass, so a keyboard move is quickly over.
        ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
    }

    std::wstring Log() const { return m_run.Log(); }

    // Holds the keys and waits until the core program has seen every press and release, and then
    // until whatever move they asked for has ended: a request without a direction is refused while
    // a move runs and leaves its index in the log once it is taken.
    bool TypeAndSettle(std::initializer_list<WORD> vks)
    {
        return m_run.TypeAndSettle(vks);
    }

    // Two windows of the test program, and then the core program.
    bool StartAll()
    {
        const auto hWnds =
            m_wnds.StartTitled({WndArg(300, 200, 300, 200, L"Zv Key A"), WndArg(700, 450, 250, 180, L"Zv Key B")});
        m_hA = hWnds[0];
        m_hB = hWnds[1];
        m_rcA = WindowRect(m_hA);
        m_rcB = WindowRect(m_hB);
        return m_hA && m_hB && m_run.Start();
    }
    void ExpectBothShiftedBy(int dx, const char* pszWhat, int dy = 0)
    {
        EXPECT_TRUE(SameRect(Shifted(m_rcA, dx, dy), WindowRect(m_hA))) << pszWhat;
        EXPECT_TRUE(SameRect(Shifted(m_rcB, dx, dy), WindowRect(m_hB))) << pszWhat;
    }

    CRegistryGuard m_guard{kMakerKey};
    CCoreRun m_run{L"ZvCoreKeyboardTest"};
    CProcess& m_core = m_run.Process();
    CTestWnds m_wnds;
    HWND m_hA = nullptr, m_hB = nullptr;
    RECT m_rcA{}, m_rcB{};
};

}  // namespace

TEST_F(CoreKeyboard, ArrowCombinationsMoveEveryWindowByTheLineAndPageWidths)
{
    ASSERT_TRUE(StartAll());

    // Scrolling left shows what lies left: the windows move right.
    ASSERT_TRUE(TypeAndSettle({VK_CONTROL, VK_MENU, VK_LEFT}));
    ExpectBothShiftedBy(10, "Ctrl+Alt+Left");
    EXPECT_NE(Log().find(L"キーボードによる左スクロール操作検出."), std::wstring::npos);

    ASSERT_TRUE(TypeAndSettle({VK_CONTROL, VK_MENU, VK_RIGHT}));
    ExpectBothShiftedBy(0, "Ctrl+Alt+Right back");

    ASSERT_TRUE(TypeAndSettle({VK_CONTROL, VK_MENU, VK_RIGHT}));
    ExpectBothShiftedBy(-10, "Ctrl+Alt+Right");
    EXPECT_NE(Log().find(L"キーボードによる右スクロール操作検出."), std::wstring::npos);

    ASSERT_TRUE(TypeAndSettle({VK_SHIFT, VK_CONTROL, VK_MENU, VK_LEFT}));
    ExpectBothShiftedBy(190, "Shift+Ctrl+Alt+Left");

    ASSERT_TRUE(TypeAndSettle({VK_SHIFT, VK_CONTROL, VK_MENU, VK_RIGHT}));
    ExpectBothShiftedBy(-10, "Shift+Ctrl+Alt+Right");

    // Vertically alike: scrolling up moves the windows down.
    ASSERT_TRUE(TypeAndSettle({VK_CONTROL, VK_MENU, VK_UP}));
    ExpectBothShiftedBy(-10, "Ctrl+Alt+Up", 10);
    EXPECT_NE(Log().find(L"キーボードによる上スクロール操作検出."), std::wstring::npos);
    ASSERT_TRUE(TypeAndSettle({VK_CONTROL, VK_MENU, VK_DOWN}));
    ExpectBothShiftedBy(-10, "Ctrl+Alt+Down", 0);
    EXPECT_NE(Log().find(L"キーボードによる下スクロール操作検出."), std::wstring::npos);
    ASSERT_TRUE(TypeAndSettle({VK_SHIFT, VK_CONTROL, VK_MENU, VK_DOWN}));
    ExpectBothShiftedBy(-10, "Shift+Ctrl+Alt+Down", -200);
    ASSERT_TRUE(TypeAndSettle({VK_SHIFT, VK_CONTROL, VK_MENU, VK_UP}));
    ExpectBothShiftedBy(-10, "Shift+Ctrl+Alt+Up", 0);
    EXPECT_TRUE(FindMessageBoxes(m_core.Pid()).empty());
}

TEST_F(CoreKeyboard, AtSpeedThreeAPageGoesInPassesOfTwelveAHundredThirtyTwoAndFiftySix)
{
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 3));
    ASSERT_TRUE(StartAll());

    ASSERT_TRUE(TypeAndSettle({VK_SHIFT, VK_CONTROL, VK_MENU, VK_RIGHT}));
    ExpectBothShiftedBy(-200, "Shift+Ctrl+Alt+Right at Speed 3");
    const std::wstring strLog = Log();
    for (const wchar_t* pszTitle : {L"Zv Key A", L"Zv Key B"}) {
        std::vector<int> passes;
        for (int dx : PassesX(MoveLines(strLog, pszTitle))) {
            if (dx != 0)
                passes.push_back(dx);
        }
        EXPECT_EQ(passes, (std::vector<int>{-12, -132, -56})) << pszTitle;
    }
}

TEST_F(CoreKeyboard, IgnoreActivationKeyCountsLonePressesAndStartsAgainPastTheCount)
{
    // The defaults: on, Ctrl, twice.
    ASSERT_TRUE(StartAll());

    ASSERT_TRUE(TypeAndSettle({VK_CONTROL}));
    ASSERT_TRUE(TypeAndSettle({VK_CONTROL}));
    ASSERT_TRUE(m_run.WaitForLine(L"キーボードによるスクロール無視操作確定."));
    ASSERT_TRUE(TypeAndSettle({VK_CONTROL}));
    ASSERT_TRUE(m_run.WaitForLine(L"キーボードによるスクロール無視操作3回目検出."));
    // Past the count it starts from one again, and a scroll key breaks a run.
    ASSERT_TRUE(TypeAndSettle({VK_CONTROL}));
    ASSERT_TRUE(TypeAndSettle({VK_CONTROL, VK_MENU, VK_LEFT}));
    ASSERT_TRUE(TypeAndSettle({VK_CONTROL}));
    // The Ctrl that leads the combination is a lone press of its own (the second of the run);
    // the scroll then ends the run, so the last press is a first again.
    const std::wstring strLog = Log();
    EXPECT_EQ(3u, CountOf(strLog, L"キーボードによるスクロール無視操作1回目検出."));
    EXPECT_EQ(2u, CountOf(strLog, L"キーボードによるスクロール無視操作2回目検出."));
    EXPECT_EQ(1u, CountOf(strLog, L"キーボードによるスクロール無視操作3回目検出."));
    EXPECT_EQ(2u, CountOf(strLog, L"キーボードによるスクロール無視操作確定."));
    ExpectBothShiftedBy(10, "Ctrl+Alt+Left among the presses");
}

TEST_F(CoreKeyboard, WithNothingThatNeedsKeysNoKeyboardHookIsInstalled)
{
    // No key row, no resize undo, no ignore key: nothing needs the keyboard.
    for (const wchar_t* pszKey : {L"Arrow", L"Undo", L"Menu"})
        ASSERT_TRUE(RegSetDword(L"Keyboard", pszKey, 0));
    ASSERT_TRUE(RegSetDword(L"Window", L"Ignore Activate Scroll", 0));
    ASSERT_TRUE(RegSetDword(L"Undo", L"ResizeWnd", 0));
    ASSERT_TRUE(StartAll());
    ASSERT_TRUE(HoldKeys({VK_CONTROL, VK_MENU, VK_LEFT}));
    ASSERT_TRUE(m_run.WaitForMoveEnd());
    EXPECT_EQ(0u, CountOf(Log(), kHookedLine));
    EXPECT_NE(Log().find(L"CZvCoreDlg::SetKeybdHook() entered, b = 0."), std::wstring::npos);
    ExpectBothShiftedBy(0, "no keyboard hook");
}

TEST_F(CoreKeyboard, AnExtraKeyOrTheScrollKeysTurnedOffMoveNothing)
{
    ASSERT_TRUE(StartAll());

    // The extra key is assignable, so the held keys match no row.
    ASSERT_TRUE(TypeAndSettle({VK_CONTROL, VK_MENU, 'Q', VK_LEFT}));
    ExpectBothShiftedBy(0, "Ctrl+Alt+Q+Left");
    EXPECT_EQ(Log().find(L"キーボードによる左スクロール操作検出."), std::wstring::npos);

    // The same combination alone does move: the hook and the keys were live all along.
    ASSERT_TRUE(TypeAndSettle({VK_CONTROL, VK_MENU, VK_LEFT}));
    ExpectBothShiftedBy(10, "Ctrl+Alt+Left");
}

TEST_F(CoreKeyboard, ArrowOffLeavesTheWindowsWhereTheyStand)
{
    // Undo and Menu keep their default assignments, so the hook still reports every key.
    ASSERT_TRUE(RegSetDword(L"Keyboard", L"Arrow", 0));
    ASSERT_TRUE(StartAll());

    ASSERT_TRUE(TypeAndSettle({VK_CONTROL, VK_MENU, VK_LEFT}));
    ASSERT_TRUE(TypeAndSettle({VK_SHIFT, VK_CONTROL, VK_MENU, VK_RIGHT}));
    ExpectBothShiftedBy(0, "Arrow 0");
    const std::wstring strLog = Log();
    EXPECT_EQ(strLog.find(L"キーボードによる左スクロール操作検出."), std::wstring::npos);
    EXPECT_EQ(strLog.find(L"キーボードによる右スクロール操作検出."), std::wstring::npos);
}
