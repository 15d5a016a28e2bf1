// A hung program holds neither the core program nor the desktop: while one window's program does
// not answer, scroll keys still move every other window, and the hung window arrives where the
// others went once it wakes. A hook the library refuses is told, an end asked for while its box is
// up waits for the box (at the start and inside an apply, a session end among them), and stray
// commands posted to the hidden window do not end the program.
#include <gtest/gtest.h>
#include <windows.h>

#include "../progs/ZvTHookSink.h"
#include "CoreRun.h"
#include "FakeSettings.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;
using zvprop::CFakeSettings;

namespace {

// True once the window's thread no longer answers a sent message.
bool IsNotAnswering(HWND hWnd)
{
    DWORD_PTR dwResult = 0;
    return !SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 100, &dwResult);
}

// After its box hBox has been closed: true once the program has ended, within 15 s; bMoreBoxes is
// set when another box of it came meanwhile.
bool WaitForEndAfterBox(CProcess& proc, HWND hBox, bool& bMoreBoxes)
{
    bMoreBoxes = false;
    return WaitUntil(
        [&] {
            for (HWND h : FindMessageBoxes(proc.Pid()))
                bMoreBoxes = bMoreBoxes || h != hBox;
            // The core's end closes the settings' sheet, a window of this thread.
            PumpMessages();
            return !proc.IsRunning();
        },
        15000);
}

// The thread of the process that installs its low-level hooks: the one of its hook relay window.
DWORD HookThreadOf(DWORD dwPid)
{
    HWND hWnd = nullptr;
    while ((hWnd = FindWindowExW(HWND_MESSAGE, hWnd, L"ZvCoreHookRelay", nullptr)) != nullptr) {
        DWORD dwOwner = 0;
        const DWORD dwTid = GetWindowThreadProcessId(hWnd, &dwOwner);
        if (dwOwner == dwPid)
            return dwTid;
    }
    return 0;
}

// A thread of another process held still until released, at the latest when this goes.
class CSuspendedThread {
public:
    explicit CSuspendedThread(DWORD dwTid) : m_hThread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, dwTid))
    {
        m_bHeld = m_hThread && SuspendThread(m_hThread.get()) != static_cast<DWORD>(-1);
    }
    ~CSuspendedThread() { Release(); }
    CSuspendedThread(const CSuspendedThread&) = delete;
    CSuspendedThread& operator=(const CSuspendedThread&) = delete;
    bool IsHeld() const { return m_bHeld; }
    void Release()
    {
        if (m_bHeld)
            ResumeThread(m_hThread.get());
        m_bHeld = false;
    }

private:
    CHandle m_hThread;
    bool m_bHeld = false;
};

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
        ASSERT_TRUE(AskForEndsUnderBox(ended, hBoxEnd));
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

// The box of a hook refused inside an apply runs its loop while the apply is on the stack with the
// record half applied. A session that ends meanwhile saves that record, and takes nothing from it
// that the apply still works on; a close and an exit asked for meanwhile wait until the apply has
// finished and been answered. The program then ends once, in order, and the apply's settings,
// lists and all, stay in the registry.
TEST(CoreHungWindow, AnEndAskedForUnderTheBoxOfAnApplyWaitsForTheApply)
{
    CRegistryGuard guard{kMakerKey};
    ASSERT_TRUE(RegDeleteSettings());
    // No mouse hook at the start: the apply switches it on.
    ASSERT_TRUE(RegSetDword(L"Auto Scroll", L"Mode", 0));
    ASSERT_TRUE(WaitUntil([] { return ProcessesOf(ZV_LOG64_FILE).empty(); }, 10000)) << "a log viewer left from before";
    CCoreRun run{L"ZvCoreApplyBoxEndTest"};
    ASSERT_TRUE(run.Start());
    const DWORD dwPid = run.Process().Pid();
    DWORD dwHookTid = 0;
    ASSERT_TRUE(WaitUntil([&] { return (dwHookTid = HookThreadOf(dwPid)) != 0; }, 5000)) << "no hook thread";

    CFakeSettings fake(run.Wnd());
    ASSERT_TRUE(fake.IsReady());
    ASSERT_TRUE(fake.AskForBlocks());
    PROPERTY_SET prop;
    ASSERT_TRUE(CFakeSettings::ReadBlocks(prop));
    ASSERT_EQ(0, prop.propAtScrl.nMode);
    ASSERT_NE(fake.ShowSheet(), nullptr);
    ASSERT_TRUE(run.WaitForLine(L"CZvCoreDlg::OnPropWnd() sheet = "));

    // The hook thread held still: the install the apply asks of it runs out of time.
    CSuspendedThread held(dwHookTid);
    ASSERT_TRUE(held.IsHeld());
    prop.propAtScrl.nMode = 3;
    prop.propView.nSpeed = 4;
    prop.propFix.lstTitle = {L"Zv Apply Kept"};
    ASSERT_TRUE(fake.ApplyUnanswered(prop, 0));
    const HWND hBox = WaitForMessageBox(dwPid, 20000);
    ASSERT_TRUE(hBox) << run.LogLinesWith(L"SetMouseHook");
    EXPECT_NE(MessageBoxText(hBox).find(L"code=0x5b4"), std::wstring::npos) << "ERROR_TIMEOUT";
    held.Release();
    EXPECT_FALSE(fake.IsAnswered()) << "the apply was answered before its box closed";

    // The session ends: what the apply has read is saved at once.
    DWORD_PTR dwResult = 0;
    ASSERT_TRUE(SendMessageTimeoutW(run.Wnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &dwResult));
    ASSERT_TRUE(SendMessageTimeoutW(run.Wnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &dwResult));
    EXPECT_EQ(RegGetDword(L"Auto Scroll", L"Mode"), std::optional<DWORD>(3));
    EXPECT_EQ(RegGetDword(L"View", L"Speed"), std::optional<DWORD>(4));
    EXPECT_EQ(RegGetString(L"Fix", L"Fixed Window By Title No.0"), std::optional<std::wstring>(L"Zv Apply Kept"));
    // A close and the exit wait for the apply.
    ASSERT_TRUE(AskForEndsUnderBox(run, hBox));
    EXPECT_FALSE(fake.IsAnswered());

    ASSERT_TRUE(CloseMessageBox(hBox));
    EXPECT_TRUE(fake.WaitForAnswer()) << "the apply did not finish after its box";
    EXPECT_FALSE(fake.ReadFailed());
    bool bMoreBoxes = false;
    EXPECT_TRUE(WaitForEndAfterBox(run.Process(), hBox, bMoreBoxes)) << "the deferred end did not come";
    EXPECT_FALSE(bMoreBoxes);
    EXPECT_EQ(run.Process().ExitCode(), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetDword(L"Auto Scroll", L"Mode"), std::optional<DWORD>(3));
    EXPECT_EQ(RegGetDword(L"View", L"Speed"), std::optional<DWORD>(4));
    EXPECT_EQ(RegGetString(L"Fix", L"Fixed Window By Title No.0"), std::optional<std::wstring>(L"Zv Apply Kept"));
    EXPECT_EQ(RegGetString(L"Fix", L"Fixed Window By Title No.1"), std::optional<std::wstring>(PROP_FIX_TITLE_END));
}

// Reading the settings at the start tells in a box of an F10 it replaced by F11 (Wine reports a
// system that cannot see F10), while the record is still half read. A session end under that box
// saves nothing of the half-read record, and a close and an exit asked for meanwhile wait for the
// start-up: the program starts, ends once, and saves the whole record then.
TEST(CoreHungWindow, AnEndAskedForUnderTheBoxOfTheSettingsReadAtTheStartWaitsForTheStart)
{
    CRegistryGuard guard{kMakerKey};
    ASSERT_TRUE(RegDeleteSettings());
    const std::wstring strKey = L"Scroll Key (Left Line) No.";
    const DWORD adwKeys[] = {VK_CONTROL, VK_MENU, VK_F10, 0};
    for (DWORD i = 0; i < 4; ++i)
        ASSERT_TRUE(RegSetDword(L"Keyboard", strKey + std::to_wstring(i), adwKeys[i]));
    ASSERT_TRUE(RegSetString(L"Fix", L"Fixed Window By Title No.0", L"Zv Read Kept"));
    ASSERT_TRUE(RegSetString(L"Fix", L"Fixed Window By Title No.1", PROP_FIX_TITLE_END));
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 5));
    ASSERT_TRUE(WaitUntil([] { return ProcessesOf(ZV_LOG64_FILE).empty(); }, 10000)) << "a log viewer left from before";
    CCoreRun run{L"ZvCoreReadBoxEndTest"};
    ASSERT_TRUE(run.Start(L"", false));
    const DWORD dwPid = run.Process().Pid();
    const HWND hBox = WaitForMessageBox(dwPid, 10000);
    ASSERT_TRUE(hBox);
    ASSERT_NE(MessageBoxText(hBox).find(L"F11キーに置換"), std::wstring::npos) << "not the box of the replaced key";

    DWORD_PTR dwResult = 0;
    ASSERT_TRUE(SendMessageTimeoutW(run.Wnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &dwResult));
    ASSERT_TRUE(SendMessageTimeoutW(run.Wnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &dwResult));
    EXPECT_EQ(RegGetString(L"Fix", L"Fixed Window By Title No.0"), std::optional<std::wstring>(L"Zv Read Kept"))
        << "the half-read record was saved";
    EXPECT_EQ(RegGetDword(L"View", L"Speed"), std::optional<DWORD>(5));
    ASSERT_TRUE(AskForEndsUnderBox(run, hBox));

    ASSERT_TRUE(CloseMessageBox(hBox));
    bool bMoreBoxes = false;
    EXPECT_TRUE(WaitForEndAfterBox(run.Process(), hBox, bMoreBoxes)) << "the deferred end did not come";
    EXPECT_FALSE(bMoreBoxes);
    EXPECT_EQ(run.Process().ExitCode(), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetDword(L"Keyboard", strKey + L"2"), std::optional<DWORD>(VK_F11)) << "not saved at the end";
    EXPECT_EQ(RegGetString(L"Fix", L"Fixed Window By Title No.0"), std::optional<std::wstring>(L"Zv Read Kept"));
    EXPECT_EQ(RegGetDword(L"View", L"Speed"), std::optional<DWORD>(5));
}
