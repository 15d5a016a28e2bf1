// Window tracking of the core program (Window "ActivateMode", "RestoreAbsPos", "MaximizeCancel").
// The activations are made inside the test windows' own process (ZV_TW_FOREGROUND), so they reach
// the core program through its window-event hook as a user's would.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "CoreRun.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;

namespace {

constexpr wchar_t kActivateLine[] = L"ウィンドウのアクティブ化を検出 : ウィンドウ = ";

class CoreTrack : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RegDeleteSettings());
        // Speed 1: a move ends in one pass.
        ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
        m_rcWork = WorkArea();
    }

    // Every message posted before has been handled, and any move it asked for has ended.
    bool Settle() const { return m_run.WaitForMoveEnd() && m_run.WaitForMoveEnd(); }
    size_t ActivateLines(const std::wstring& strTitle) const { return CountOf(m_run.Log(), kActivateLine + strTitle + L","); }
    // A window whose right edge lies 300 pixels beyond the work area's right.
    std::wstring OutsideArg(const std::wstring& strTitle) const { return WndArg(m_rcWork.right - 100, 300, 400, 200, strTitle); }

    CRegistryGuard m_guard{kMakerKey};
    CCoreRun m_run{L"ZvCoreTrackTest"};
    CTestWnds m_wnds;
    RECT m_rcWork{};
};

}  // namespace

TEST_F(CoreTrack, MinimumDistanceScrollsByExactlyWhatBringsTheWindowInButNotForAMaximisedOneAGoneOneOrAfterTheIgnoreKey)
{
    // The defaults: ActivateMode 1, the ignore key on (Ctrl, twice).
    const auto [hA, hX, hM, hZ] =
        m_wnds.StartTitled({WndArg(100, 100, 300, 200, L"Zv Trk A"), OutsideArg(L"Zv Trk X"),
                            WndArg(300, 250, 300, 200, L"Zv Trk Max"), OutsideArg(L"Zv Trk Gone")});
    ASSERT_TRUE(hA && hX && hM && hZ);
    ASSERT_TRUE(m_wnds.Show(hM, SW_MAXIMIZE));
    ASSERT_TRUE(WaitUntil([&] { return IsZoomed(hM) != FALSE; }, 3000));
    ASSERT_TRUE(m_wnds.Foreground(hA));
    const RECT rcA = WindowRect(hA), rcX = WindowRect(hX), rcM = WindowRect(hM);
    ASSERT_TRUE(m_run.Start());

    // A window maximised on the screen is where it belongs.
    EXPECT_TRUE(rcM.left >= -4 && rcM.left <= 0 && rcM.top >= -4 && rcM.top <= 0)
        << "Wine maximises a window to " << ::testing::PrintToString(rcM);
    ASSERT_TRUE(m_wnds.Foreground(hM));
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(SameRect(rcA, WindowRect(hA))) << "activating a window maximised on the screen";
    EXPECT_EQ(0u, ActivateLines(L"Zv Trk Max"));

    // An activation that arrives after its window has gone is dropped (posted as the hook does).
    ASSERT_TRUE(m_wnds.Close(hZ));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(hZ); }, 3000));
    ASSERT_TRUE(m_run.PostActivate(hZ));
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(SameRect(rcA, WindowRect(hA))) << "activation of a gone window";

    // The ignore key pressed twice: the next activation is not scrolled for...
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(HoldKeys({VK_CONTROL}));
    ASSERT_TRUE(m_run.WaitForLine(L"キーボードによるスクロール無視操作確定."));
    // Posted as the hook does: Wine may report one activation more than once while the focus settles.
    ASSERT_TRUE(m_run.PostActivate(hX));
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(SameRect(rcA, WindowRect(hA))) << "activation after the ignore key";
    EXPECT_TRUE(SameRect(rcX, WindowRect(hX)));
    EXPECT_EQ(0u, ActivateLines(L"Zv Trk X"));

    // ... and the count starts again: the one after that is.
    ASSERT_TRUE(m_wnds.Foreground(hA));
    ASSERT_TRUE(m_wnds.Foreground(hX));
    EXPECT_TRUE(WaitForRect(hA, Shifted(rcA, -300, 0), 3000)) << "every window by the 300 pixels";
    EXPECT_TRUE(WaitForRect(hX, Shifted(rcX, -300, 0), 3000));
    EXPECT_EQ(m_rcWork.right, WindowRect(hX).right) << "its right edge on the work area's";
    ASSERT_TRUE(Settle());
    EXPECT_EQ(1u, ActivateLines(L"Zv Trk X"));
    EXPECT_TRUE(SameRect(Shifted(rcA, -300, 0), WindowRect(hA))) << "once, not again";

    // A window the lists have not seen yet: its activation rebuilds them, then scrolls for it.
    const HWND hNew = m_wnds.Create(OutsideArg(L"Zv Trk New"));
    ASSERT_TRUE(hNew);
    const RECT rcNew = WindowRect(hNew);
    ASSERT_TRUE(m_wnds.Foreground(hNew));
    EXPECT_TRUE(WaitForRect(hA, Shifted(rcA, -600, 0), 3000)) << "a new window beyond the edge";
    EXPECT_TRUE(WaitForRect(hNew, Shifted(rcNew, -300, 0), 3000));
    ASSERT_TRUE(Settle());
    EXPECT_EQ(1u, ActivateLines(L"Zv Trk New"));

    // Each activation's scroll is an undo step of its own: two undos put every window back.
    ASSERT_TRUE(m_run.Command(ID_ZV_UNDO));
    EXPECT_TRUE(WaitForRect(hA, Shifted(rcA, -300, 0), 3000)) << "the new window's scroll undone";
    EXPECT_TRUE(WaitForRect(hNew, rcNew, 3000));
    ASSERT_TRUE(Settle());
    ASSERT_TRUE(m_run.Command(ID_ZV_UNDO));
    EXPECT_TRUE(WaitForRect(hA, rcA, 3000)) << "the first scroll undone";
    EXPECT_TRUE(WaitForRect(hX, rcX, 3000));
    EXPECT_EQ(0, m_run.Close());
}

TEST_F(CoreTrack, CentreModeCentresTheWindowAndMaximizeCancelFillsTheWorkAreaWithoutMaximising)
{
    ASSERT_TRUE(RegSetDword(L"Window", L"ActivateMode", 2));
    ASSERT_TRUE(RegSetDword(L"Window", L"MaximizeCancel", 1));
    const auto [hA, hX, hY] = m_wnds.StartTitled(
        {WndArg(100, 100, 300, 200, L"Zv Trk A"), OutsideArg(L"Zv Trk X"), WndArg(200, 350, 300, 200, L"Zv Trk Y")});
    ASSERT_TRUE(hA && hX && hY);
    ASSERT_TRUE(m_wnds.Foreground(hA));
    const RECT rcA = WindowRect(hA), rcX = WindowRect(hX);
    ASSERT_TRUE(m_run.Start());

    // The maximise is answered inside the window's own process: sized to the work area, not maximised.
    ASSERT_TRUE(m_wnds.Show(hY, SW_MAXIMIZE));
    EXPECT_TRUE(WaitForRect(hY, RectOf(0, 0, m_rcWork.right - m_rcWork.left, m_rcWork.bottom - m_rcWork.top), 3000));
    EXPECT_FALSE(IsZoomed(hY)) << "the system's maximise was dropped";
    WINDOWPLACEMENT wp{sizeof(wp)};
    ASSERT_TRUE(m_wnds.GetPlacement(hY, wp));
    EXPECT_NE(wp.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(SameRect(rcA, WindowRect(hA))) << "a window filling the work area is in view";

    // Centred horizontally; it stood inside vertically, so no vertical move.
    const int dx = (m_rcWork.right - 400) / 2 - rcX.left;
    ASSERT_TRUE(m_wnds.Foreground(hX));
    EXPECT_TRUE(WaitForRect(hX, Shifted(rcX, dx, 0), 3000));
    EXPECT_TRUE(WaitForRect(hA, Shifted(rcA, dx, 0), 3000));
    EXPECT_EQ((m_rcWork.right - 400) / 2, WindowRect(hX).left);
    ASSERT_TRUE(Settle());

    // One activation reported five times before its scroll has begun is scrolled for once.
    const HWND hB = m_wnds.Create(OutsideArg(L"Zv Trk Burst"));
    ASSERT_TRUE(hB);
    const RECT rcB = WindowRect(hB), rcA2 = WindowRect(hA);
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(m_run.PostActivate(hB));
    EXPECT_TRUE(WaitForRect(hB, Shifted(rcB, dx, 0), 3000));
    ASSERT_TRUE(Settle());
    EXPECT_EQ(1u, ActivateLines(L"Zv Trk Burst"));
    EXPECT_TRUE(SameRect(Shifted(rcA2, dx, 0), WindowRect(hA)));

    // An owner's activation scrolls for the window it owns (the kit's first window, A, owns it),
    // also right after that window came.
    const HWND hO = m_wnds.Create(WndArg(m_rcWork.right + 500, 300, 300, 200, L"Zv Trk Owned", L"owned+noactivate"));
    ASSERT_TRUE(hO);
    ASSERT_TRUE(Settle());
    const RECT rcO = WindowRect(hO);
    ASSERT_TRUE(m_run.PostActivate(hA));
    EXPECT_TRUE(WaitForRect(hO, Shifted(rcO, (m_rcWork.right - 300) / 2 - rcO.left, 0), 3000)) << "centred";
    ASSERT_TRUE(Settle());
    EXPECT_EQ(1u, ActivateLines(L"Zv Trk Owned"));
    EXPECT_EQ(0, m_run.Close());
}

TEST_F(CoreTrack, ModeZeroScrollsNothingAndARestoredWindowBringsTheOthersBackToWhereTheyStood)
{
    ASSERT_TRUE(RegSetDword(L"Window", L"ActivateMode", 0));
    ASSERT_TRUE(RegSetDword(L"Window", L"RestoreAbsPos", 1));
    // Min0 is minimised before the program starts: the settings' apply at start lists it.
    const auto [hA, hB, hN, hX, hN0] =
        m_wnds.StartTitled({WndArg(100, 100, 300, 200, L"Zv Trk A"), WndArg(700, 450, 250, 180, L"Zv Trk B"),
                            WndArg(450, 300, 300, 200, L"Zv Trk Min"), OutsideArg(L"Zv Trk X"),
                            WndArg(500, 600, 300, 200, L"Zv Trk Min0", L"min")});
    ASSERT_TRUE(hA && hB && hN && hX && hN0);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(hN0) != FALSE; }, 3000));
    ASSERT_TRUE(m_wnds.Foreground(hA));
    const RECT rcA = WindowRect(hA), rcB = WindowRect(hB), rcX = WindowRect(hX);
    WINDOWPLACEMENT wpN{sizeof(wpN)};
    ASSERT_TRUE(m_wnds.GetPlacement(hN, wpN));
    ASSERT_TRUE(m_run.Start());

    ASSERT_TRUE(m_wnds.Foreground(hX));
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(SameRect(rcA, WindowRect(hA))) << "ActivateMode 0";
    EXPECT_TRUE(SameRect(rcX, WindowRect(hX)));
    EXPECT_EQ(0u, ActivateLines(L"Zv Trk X"));

    // Minimised, then the desktop scrolls 200 pixels to the right (every window moves left).
    // The hook tells the core of a minimise before it happens, in a send its program waits on: the
    // core knows of it once the window is minimised, and whatever it posted itself is handled with
    // the queue. A minimise it missed would bring nothing back at the restore below.
    ASSERT_TRUE(m_wnds.Show(hN, SW_MINIMIZE));
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(hN) != FALSE; }, 3000));
    ASSERT_TRUE(Settle());
    ASSERT_TRUE(HoldKeys({VK_SHIFT, VK_CONTROL, VK_MENU, VK_RIGHT}));
    ASSERT_TRUE(WaitForRect(hA, Shifted(rcA, -200, 0), 3000));
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(SameRect(Shifted(rcB, -200, 0), WindowRect(hB)));
    EXPECT_NE(m_run.Log().find(L"最小化ウィンドウのためスクロール実行せず : ウィンドウ = Zv Trk Min."), std::wstring::npos);

    // Restored: it comes up where it was, and the others go back by the 200 pixels.
    ASSERT_TRUE(m_wnds.Show(hN, SW_RESTORE));
    EXPECT_TRUE(WaitForRect(hA, rcA, 5000)) << "the restore's activation did not bring the others back";
    EXPECT_TRUE(WaitForRect(hB, rcB, 3000));
    ASSERT_TRUE(Settle());
    WINDOWPLACEMENT wpAfter{sizeof(wpAfter)};
    ASSERT_TRUE(m_wnds.GetPlacement(hN, wpAfter));
    EXPECT_EQ(static_cast<UINT>(SW_SHOWNORMAL), wpAfter.showCmd);
    EXPECT_TRUE(SameRect(wpN.rcNormalPosition, WindowRect(hN))) << "the restored window is not moved";

    // The window minimised since the start: one more scroll, and its restore takes that back.
    ASSERT_TRUE(HoldKeys({VK_SHIFT, VK_CONTROL, VK_MENU, VK_RIGHT}));
    ASSERT_TRUE(WaitForRect(hA, Shifted(rcA, -200, 0), 3000));
    ASSERT_TRUE(Settle());
    ASSERT_TRUE(m_wnds.Show(hN0, SW_RESTORE));
    EXPECT_TRUE(WaitForRect(hA, rcA, 5000)) << "the window minimised before the start was not listed";
    EXPECT_TRUE(WaitForRect(hB, rcB, 3000));
    EXPECT_EQ(0, m_run.Close());
}

TEST_F(CoreTrack, ActivatingAWindowWhoseProgramHangsHoldsNothingUp)
{
    // With the pointer following, the caption test asks the window where the pointer is.
    ASSERT_TRUE(RegSetDword(L"View", L"MouseMove", 1));
    CTestWnds hung;
    const auto [hA] = m_wnds.StartTitled({WndArg(100, 100, 300, 200, L"Zv Trk A")});
    const auto [hH] = hung.StartTitled({OutsideArg(L"Zv Trk Hung")});
    ASSERT_TRUE(hA && hH);
    const RECT rcA = WindowRect(hA), rcH = WindowRect(hH);
    ASSERT_TRUE(m_run.Start());
    // On the visible part of its caption.
    ASSERT_TRUE(PlacePointer(m_rcWork.right - 40, rcH.top + 10));

    constexpr DWORD kHangMs = 6000;
    const DWORD dwHangStart = GetTickCount();
    ASSERT_TRUE(hung.Hang(kHangMs));
    DWORD_PTR dwResult = 0;
    ASSERT_TRUE(WaitUntil([&] { return !SendMessageTimeoutW(hH, WM_NULL, 0, 0, SMTO_NORMAL, 100, &dwResult); }, 2000));

    // Its activation, as the hook posts it: the window is asked, gives no answer, and the others
    // move all the same.
    const DWORD dwPosted = GetTickCount();
    ASSERT_TRUE(m_run.PostActivate(hH));
    EXPECT_TRUE(WaitForRect(hA, Shifted(rcA, -300, 0), 1000)) << "the activation's scroll within a second";
    ASSERT_TRUE(m_run.WaitForMoveEnd());
    // A scroll request right after is carried out within a second too.
    const DWORD dwKeys = GetTickCount();
    ASSERT_TRUE(m_run.PostDevice(0x02, 1 * 4 + 0 * 2 + 0));
    EXPECT_TRUE(WaitForRect(hA, Shifted(rcA, -310, 0), 1000));
    EXPECT_LT(GetTickCount() - dwKeys, 1000u);
    EXPECT_LT(GetTickCount() - dwPosted, 3000u);
    ASSERT_LT(GetTickCount() - dwHangStart, kHangMs) << "all of this while the window still hung";
    EXPECT_NE(m_run.Log().find(L"CZvCoreDlg::IsPointerOnCaption() "), std::wstring::npos) << "the caption test was made";

    // Once awake, the hung window stands where the two scrolls sent it.
    EXPECT_TRUE(WaitForRect(hH, Shifted(rcH, -310, 0), kHangMs + 5000));

    // The caption question waits on another program, which may send us a close meanwhile: the
    // close waits until the activation has been handled, and the program then ends in order.
    CTestWnds closing;
    // Not activated at its start, which the core would scroll for before the pointer is on it.
    ASSERT_TRUE(closing.Start({WndArg(m_rcWork.right - 100, 300, 400, 200, L"Zv Trk Closing", L"noactivate"),
                               std::wstring(L"/HITCLOSE=") + ZV_HIDDEN_MAIN_WND_TITLE}));
    const HWND hC = closing.Window(L"Zv Trk Closing");
    ASSERT_TRUE(hC);
    ASSERT_TRUE(PlacePointer(m_rcWork.right - 40, WindowRect(hC).top + 10));
    ASSERT_TRUE(m_run.PostActivate(hC));
    EXPECT_TRUE(WaitUntil([&] { return WindowTitle(hC) != L"Zv Trk Closing"; }, 5000));
    EXPECT_EQ(WindowTitle(hC), L"Zv Trk Closing [outlived]");
    EXPECT_EQ(m_run.Process().WaitForExit(15000), std::optional<DWORD>(0));
}

TEST_F(CoreTrack, ACloseSentWhileTheMaximiseCancelWaitsForTheWindowWaitsForTheAnswer)
{
    // The maximise cancel resizes the window while its thread waits in its send for the answer,
    // and the core waits for that thread meanwhile, running what others send it: a close sent
    // then waits until the answer has been given, and the program ends once, in order.
    ASSERT_TRUE(RegSetDword(L"Window", L"MaximizeCancel", 1));
    CTestWnds closing;
    ASSERT_TRUE(closing.Start({WndArg(200, 350, 300, 200, L"Zv Trk Sizing", L"noactivate"),
                               std::wstring(L"/SIZECLOSE=") + ZV_HIDDEN_MAIN_WND_TITLE}));
    const HWND hS = closing.Window(L"Zv Trk Sizing");
    ASSERT_TRUE(hS);
    ASSERT_TRUE(m_run.Start());
    ASSERT_TRUE(closing.Show(hS, SW_MAXIMIZE));
    EXPECT_TRUE(WaitUntil([&] { return WindowTitle(hS) != L"Zv Trk Sizing"; }, 5000))
        << "no resize the core waited for\n"
        << m_run.LogLinesWith(L"OnMinMaxHooked");
    EXPECT_EQ(WindowTitle(hS), L"Zv Trk Sizing [outlived]");
    EXPECT_FALSE(IsZoomed(hS)) << "the answer did not drop the system's maximise";
    EXPECT_EQ(m_run.Process().WaitForExit(15000), std::optional<DWORD>(0));
}

TEST_F(CoreTrack, AMaximiseAndAMinimiseAreUndoneWithResizeWndOn)
{
    ASSERT_TRUE(RegSetDword(L"Undo", L"ResizeWnd", 1));
    const auto [hA, hY] = m_wnds.StartTitled({WndArg(100, 100, 300, 200, L"Zv Trk A"), WndArg(200, 350, 300, 200, L"Zv Trk Y")});
    ASSERT_TRUE(hA && hY);
    const RECT rcY = WindowRect(hY);
    for (int nCmd : {SW_MAXIMIZE, SW_MINIMIZE}) {
        SCOPED_TRACE(nCmd == SW_MAXIMIZE ? "maximise" : "minimise");
        // The window in the foreground when the program starts is the one its undo watches.
        ASSERT_TRUE(m_wnds.Foreground(hY));
        CCoreRun run{nCmd == SW_MAXIMIZE ? L"ZvCoreTrackTestMax" : L"ZvCoreTrackTestMin"};
        ASSERT_TRUE(run.Start());
        // The core hears of the change in a send the window's program waits on, and posts the undo
        // step's save to itself: once the queue is through, the step is there.
        ASSERT_TRUE(m_wnds.Show(hY, nCmd));
        ASSERT_TRUE(run.WaitForMoveEnd());
        // The same event told once more (a second hook in the chain does so): no second step.
        DWORD_PTR dwResult = 0;
        ASSERT_TRUE(SendMessageTimeoutW(run.Wnd(), MSG_HOOK_CBT_MINMAX, reinterpret_cast<WPARAM>(hY),
                                        static_cast<LPARAM>(nCmd), SMTO_ABORTIFHUNG, 5000, &dwResult));
        ASSERT_TRUE(run.Command(ID_ZV_UNDO));
        EXPECT_TRUE(WaitUntil([&] { return !IsZoomed(hY) && !IsIconic(hY); }, 3000))
            << "back to normal\n" << run.LogLinesWith(L"Undo") << run.LogLinesWith(L"Resize");
        EXPECT_TRUE(WaitForRect(hY, rcY, 3000)) << ::testing::PrintToString(WindowRect(hY));
        EXPECT_EQ(0, run.Close());
    }
}
