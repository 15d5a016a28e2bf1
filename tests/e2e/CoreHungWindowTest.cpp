// A hung program holds neither the core program nor the desktop: while one window's program does
// not answer, scroll keys still move every other window, and the hung window arrives where the
// others went once it wakes. A hook the library refuses is told, an end asked for while its box is
// up waits for the box, and stray commands posted to the hidden window do not end the program.
#include <gtest/gtest.h>
#include <windows.h>

#include "../progs/ZvTHookSink.h"
#include "CoreRun.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;

namespace {

// True once the window's thread no longer answers a sent message.
bool IsNotAnswering(HWND hWnd)
{
    DWORD_PTR dwResult = 0;
    return !SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 100, &dwResult);
}

}  // namespace

TEST(CoreHungWindow, OtherWindowsMoveWhileOneHangsAndItCatchesUpWhenItWakes)
{
    CRegistryGuard guard{kMakerKey};
    ASSERT_TRUE(RegDeleteSettings());
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 3));
    CTestWnds others, hung;
    const auto [hA, hB] =
        others.StartTitled({WndArg(200, 150, 300, 200, L"Zv Hung A"), WndArg(650, 420, 300, 200, L"Zv Hung B")});
    const auto [hH] = hung.StartTitled({WndArg(420, 300, 250, 180, L"Zv Hung H")});
    ASSERT_TRUE(hA && hB && hH);
    const RECT rcA = WindowRect(hA), rcB = WindowRect(hB), rcH = WindowRect(hH);
    CCoreRun run{L"ZvCoreHungTest"};
    ASSERT_TRUE(run.Start());

    // Another program's stray commands: the hidden window has no OK or Cancel to end it.
    PostMessageW(run.Wnd(), WM_COMMAND, IDOK, 0);
    PostMessageW(run.Wnd(), WM_COMMAND, IDCANCEL, 0);

    constexpr DWORD kHangMs = 8000;
    const DWORD dwHangStart = GetTickCount();
    ASSERT_TRUE(hung.Hang(kHangMs));
    ASSERT_TRUE(WaitUntil([&] { return IsNotAnswering(hH); }, 2000));

    ASSERT_TRUE(HoldKeys({VK_SHIFT, VK_CONTROL, VK_MENU, VK_RIGHT}));
    EXPECT_TRUE(WaitForRect(hA, Shifted(rcA, -200, 0), 3000));
    EXPECT_TRUE(WaitForRect(hB, Shifted(rcB, -200, 0), 3000));
    ASSERT_TRUE(run.WaitForMoveEnd());

    // Redrawing every window must not wait for the hung one either.
    PostMessageW(run.Wnd(), WM_COMMAND, ID_ZV_REDRAW_ALL, 0);
    ASSERT_TRUE(HoldKeys({VK_SHIFT, VK_CONTROL, VK_MENU, VK_RIGHT}));
    EXPECT_TRUE(WaitForRect(hA, Shifted(rcA, -400, 0), 3000));
    EXPECT_TRUE(WaitForRect(hB, Shifted(rcB, -400, 0), 3000));
    ASSERT_LT(GetTickCount() - dwHangStart, kHangMs) << "all of this while the window still hung";
    EXPECT_TRUE(SameRect(rcH, WindowRect(hH))) << "the hung window has not moved yet";

    // Both moves were counted from where the first sent it, not from where it still stood.
    EXPECT_TRUE(WaitForRect(hH, Shifted(rcH, -400, 0), kHangMs + 5000));
    EXPECT_TRUE(run.Process().IsRunning()) << "a stray IDOK or IDCANCEL ended the program";
    EXPECT_TRUE(FindMessageBoxes(run.Process().Pid()).empty());
    EXPECT_EQ(0, run.Close());
}

TEST(CoreHungWindow, AHookTheLibraryRefusesIsLoggedAndShownInABox)
{
    CRegistryGuard guard{kMakerKey};
    ASSERT_TRUE(RegDeleteSettings());
    // The window-event hook library has room for eight callers: take every place.
    CProcess sinks[8];
    const std::wstring strSinkLog = NewTempFilePath(L"ZvTHookSink_Full", L".bin");
    for (int i = 0; i < 8; ++i) {
        const std::wstring strTitle = L"ZvTHookSink Full " + std::to_wstring(i);
        ASSERT_TRUE(sinks[i].Start(L"ZvTHookSink.exe", L"/TITLE=" + QuoteArg(strTitle) + L" /LOG=" +
                                                           QuoteArg(strSinkLog + std::to_wstring(i)) + L" /INSTALL=" +
                                                           std::to_wstring(ZV_SINK_CBT64)));
        ASSERT_TRUE(WaitForWindow(strTitle, 5000, L"ZvTHookSink", sinks[i].Pid()));
    }
    CCoreRun run{L"ZvCoreHookRefusedTest"};
    ASSERT_TRUE(run.Start());
    const HWND hBox = WaitForMessageBox(run.Process().Pid(), 10000);
    ASSERT_TRUE(hBox);
    EXPECT_NE(MessageBoxText(hBox).find(L"code=0x718"), std::wstring::npos) << "ERROR_NOT_ENOUGH_QUOTA";
    EXPECT_TRUE(run.WaitForLine(L"CZvCoreDlg::SetCbtHook() failed to install the hook, code = 0x718."));
    ASSERT_TRUE(CloseMessageBox(hBox));

    // Without window events the program still scrolls.
    CTestWnds wnds;
    const auto [hA] = wnds.StartTitled({WndArg(300, 200, 300, 200, L"Zv Refused A")});
    ASSERT_TRUE(hA);
    const RECT rcA = WindowRect(hA);
    ASSERT_TRUE(run.PostDevice(0x02, 1 * 4 + 0 * 2 + 0));
    EXPECT_TRUE(WaitForRect(hA, Shifted(rcA, -10, 0), 5000));
    EXPECT_TRUE(FindMessageBoxes(run.Process().Pid()).empty()) << "one box, not one per try";
    EXPECT_EQ(0, run.Close());

    // The box runs its loop inside the start-up: a close sent and an exit posted meanwhile wait
    // until the start has finished, and the program then ends once, in order, with its settings
    // saved; no box follows the first and the next start is not refused as running already.
    ASSERT_TRUE(RegDeleteSettings());
    // The viewer writes the file it was started for: a core started while the last one's viewer is
    // still on its way out would hand its lines to that viewer, and its own log would stay empty.
    ASSERT_TRUE(WaitUntil([] { return ProcessesOf(ZV_LOG64_FILE).empty(); }, 10000)) << "the log viewer did not end";
    {
        CCoreRun ended{L"ZvCoreHookRefusedEndTest"};
        ASSERT_TRUE(ended.Start());
        const DWORD dwPid = ended.Process().Pid();
        const HWND hBoxEnd = WaitForMessageBox(dwPid, 10000);
        ASSERT_TRUE(hBoxEnd);
        DWORD_PTR dwResult = 0;
        ASSERT_TRUE(SendMessageTimeoutW(ended.Wnd(), WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, &dwResult));
        EXPECT_TRUE(IsWindow(ended.Wnd())) << "the close destroyed the window inside the box's loop";
        ASSERT_TRUE(ended.Command(ID_ZV_APP_EXIT));
        ASSERT_TRUE(SendMessageTimeoutW(ended.Wnd(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &dwResult));
        EXPECT_TRUE(IsWindow(hBoxEnd));
        ASSERT_TRUE(CloseMessageBox(hBoxEnd));
        bool bMoreBoxes = false;
        EXPECT_TRUE(WaitUntil([&] {
            for (HWND h : FindMessageBoxes(dwPid))
                bMoreBoxes = bMoreBoxes || h != hBoxEnd;
            return !ended.Process().IsRunning();
        }, 15000));
        EXPECT_FALSE(bMoreBoxes);
        EXPECT_EQ(ended.Process().ExitCode(), std::optional<DWORD>(0));
        EXPECT_EQ(RegGetDword(L"Version", L"Major"), std::optional<DWORD>(9));
    }
    CCoreRun next{L"ZvCoreHookRefusedNextTest"};
    ASSERT_TRUE(next.Start());
    const HWND hBoxNext = WaitForMessageBox(next.Process().Pid(), 10000);
    ASSERT_TRUE(hBoxNext);
    EXPECT_NE(MessageBoxText(hBoxNext).find(L"code=0x718"), std::wstring::npos) << "not the hook's box";
    ASSERT_TRUE(CloseMessageBox(hBoxNext));
    EXPECT_EQ(0, next.Close());
    for (int i = 0; i < 8; ++i) {
        sinks[i].Stop();
        DeleteFileW((strSinkLog + std::to_wstring(i)).c_str());
    }
}
