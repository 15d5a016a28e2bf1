// The core program's side of the settings exchange. The test plays the settings program: it holds
// that program's single-instance mutex, reads and writes the eight settings blocks as sender 2,
// stands a window of its own as the sheet and posts the private messages to the hidden window.
// The settings program that the core starts meanwhile refuses to run twice (its box is closed by the
// test); the core keeps the exchange going because the mutex the test holds says the settings
// program runs. Without the test's stand-in the real program's sheet comes up.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>

#include "CoreRun.h"
#include "FakeSettings.h"
#include "PropertySet.h"
#include "Sender.h"
#include "SettingsNames.h"
#include "SharedMemPropManager.h"
#include "SharedMemPropScrlWdth.h"
#include "ZvMessages.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;
using zvprop::CCoreExchangeTest;
using zvprop::CFakeSettings;

namespace {

constexpr wchar_t kHandedLine[] = L"プロパティ : 設定を設定プログラムに渡しました.";
constexpr wchar_t kGoneLine[] = L"プロパティ : 設定プログラムが終了しました.";
constexpr wchar_t kAppliedLine[] = L"プロパティ : 設定を適用しました.";
constexpr wchar_t kCbtOffLine[] = L"CBT notification registered, Disable";
constexpr wchar_t kCbtOnLine[] = L"CBT notification registered, Enable";
// Written only by a save, never by a load: it tells whether the settings were stored.
const std::wstring kScrollRateKey = zvsettings::SectionKey(PROP_SECTION_SCROLL_RATE);

bool EndsWith(const std::wstring& str, const std::wstring& strEnd)
{
    return str.size() >= strEnd.size() && str.compare(str.size() - strEnd.size(), strEnd.size(), strEnd) == 0;
}

// The settings program the core started while the test holds its mutex: it says it runs already;
// its box closed, it ends. strCmdLine: what the core started it with, read while its box stands.
void CloseRefusedSettingsProgram(std::wstring& strCmdLine)
{
    DWORD dwPid = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::set<DWORD> pids = ProcessesOf(ZV_PROPERTY64_FILE);
            dwPid = pids.empty() ? 0 : *pids.begin();
            return dwPid != 0;
        },
        10000));
    const HWND hBox = WaitForMessageBox(dwPid, 10000);
    ASSERT_NE(hBox, nullptr);
    strCmdLine = ProcessCommandLine(dwPid);
    EXPECT_NE(MessageBoxText(hBox).find(L"は既に実行中です."), std::wstring::npos) << ToUtf8(MessageBoxText(hBox));
    EXPECT_TRUE(CloseMessageBox(hBox));
    EXPECT_TRUE(WaitUntil([] { return ProcessesOf(ZV_PROPERTY64_FILE).empty(); }, 10000));
}

// A window of the test's own that counts the keys the core forwards to it.
class CKeyCatcher {
public:
    CKeyCatcher()
    {
        static const ATOM s_atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"ZvTestKeyCatcher";
            return RegisterClassW(&wc);
        }();
        if (s_atom)
            m_hWnd = CreateWindowExW(0, L"ZvTestKeyCatcher", L"Zv Key Catcher", WS_POPUP, 0, 0, 10, 10, nullptr,
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~CKeyCatcher()
    {
        if (m_hWnd)
            DestroyWindow(m_hWnd);
    }
    HWND Wnd() const { return m_hWnd; }
    static int Keys() { return s_nKeys; }

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        if (uMsg == MSG_HOOK_KEYBD)
            ++s_nKeys;
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
    static inline int s_nKeys = 0;
    HWND m_hWnd = nullptr;
};

class CoreProperty : public CCoreExchangeTest {
protected:
    CoreProperty() : CCoreExchangeTest(L"ZvCorePropertyTest", L"Zv Prop") {}
    // The keys the core forwarded to the catcher for one tap of F24 (press and release), counted
    // once the core has handled both.
    int ForwardedKeys()
    {
        const int nBefore = CKeyCatcher::Keys();
        const size_t nHooked = Lines(kHookedLine);
        EXPECT_TRUE(TapKey(VK_F24));
        EXPECT_TRUE(m_run.WaitForLine(kHookedLine, nHooked + 2));
        EXPECT_TRUE(Settle());
        PumpMessages();
        return CKeyCatcher::Keys() - nBefore;
    }
};

}  // namespace

TEST_F(CoreProperty, TheCommandHandsOverAndStartsTheProgramAnApplyTakesEffectAtOnceAndACancelChangesNothing)
{
    // Speed 1 moves at once, by a width of our own that the hand-over must carry.
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
    ASSERT_TRUE(RegSetDword(L"Scroll", L"KeybdHorzLineAbs", 37));
    ASSERT_TRUE(MakeWindows());
    ASSERT_TRUE(m_run.Start());
    const HWND hCore = m_run.Wnd();
    const HWND hBarH = m_run.BarWnd(false);
    ASSERT_NE(hBarH, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(hBarH) != FALSE; }, 5000));
    ASSERT_TRUE(m_run.WaitForLine(kCbtOnLine));

    // The settings command: blocks holding the core's values, the program started with the first
    // page and the caller, the window-event hook off and the gateway told so.
    auto pFake = std::make_unique<CFakeSettings>(hCore);
    ASSERT_TRUE(pFake->IsReady());

    // No exchange is under way, though the settings program's mutex exists: an apply from blocks
    // of anyone's making is refused (and answered so), and a window asking for the keys gets none.
    {
        PROPERTY_SET forged;
        forged.propScrlWdth.aScrlWdth[kKeybdHorzLine] = {SCRLMODE_ABS, 123, 123, 1};
        ASSERT_TRUE(pFake->Apply(forged, 0));
        EXPECT_TRUE(pFake->ReadFailed()) << "an apply outside an exchange was answered as read";
        ASSERT_TRUE(Settle());
        EXPECT_EQ(0u, Lines(kAppliedLine));
        EXPECT_EQ(RegGetDword(L"Scroll", L"KeybdHorzLineAbs"), std::optional<DWORD>(37));
        pFake->DropBlocks();
    }
    CKeyCatcher catcher;
    ASSERT_NE(catcher.Wnd(), nullptr);
    ASSERT_TRUE(PostMessageW(hCore, MSG_KEYBD_FORWARD, reinterpret_cast<WPARAM>(catcher.Wnd()), 0));
    EXPECT_EQ(0, ForwardedKeys()) << "the desktop's keys went to a window outside an exchange";

    ASSERT_TRUE(m_run.Command(ID_ZV_PROPERTY));
    std::wstring strCmdLine;
    ASSERT_NO_FATAL_FAILURE(CloseRefusedSettingsProgram(strCmdLine));
    const std::wstring strCaller =
        std::to_wstring(static_cast<LONG>(static_cast<ULONG>(reinterpret_cast<ULONG_PTR>(hCore))));
    const std::wstring strLogArgs =
        std::wstring(L"\\") + ZV_PROPERTY64_FILE + L"\" /LOGFILE=" + m_run.LogPath() + L" /LOGMODE=wt /LOGWINDOW";
    EXPECT_NE(strCmdLine.find(strLogArgs), std::wstring::npos) << ToUtf8(strCmdLine);
    EXPECT_TRUE(EndsWith(strCmdLine, L" /PAGE=0 /CALLER=" + strCaller)) << ToUtf8(strCmdLine);
    EXPECT_TRUE(m_run.WaitForLine(kCbtOffLine));
    PROPERTY_SET prop;
    ASSERT_TRUE(CFakeSettings::ReadBlocks(prop));
    EXPECT_EQ(37, prop.propScrlWdth.aScrlWdth[kKeybdHorzLine].nAbs);
    EXPECT_EQ(1, prop.propView.nSpeed);
    EXPECT_EQ(1, prop.propView.bHorizontal);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(hBarH), prop.propPosSize.hWndHorz);
    EXPECT_EQ(3u, prop.propKeybd.aKeyAssign[KEYASSIGN_LEFT_LINE].lstKey.size());

    // The sheet; a page out of range is refused, the keyboard page kept for the next start.
    ASSERT_NE(pFake->ShowSheet(), nullptr);
    ASSERT_TRUE(PostMessageW(hCore, MSG_PROP_PAGE, 3, 0));
    ASSERT_TRUE(PostMessageW(hCore, MSG_PROP_PAGE, 8, 0));
    // The core lets go of its blocks once it knows the sheet (the test holds none of its own now).
    ASSERT_TRUE(WaitUntil([] { return !zvprop::BlocksExist(); }, 10000)) << "the sheet was not taken";

    // A window of the announced sheet's program gets the keys; one of another program does not.
    ASSERT_TRUE(PostMessageW(hCore, MSG_KEYBD_FORWARD, reinterpret_cast<WPARAM>(catcher.Wnd()), 0));
    EXPECT_EQ(2, ForwardedKeys()) << "the settings program under way got no keys";
    ASSERT_TRUE(PostMessageW(hCore, MSG_KEYBD_FORWARD, reinterpret_cast<WPARAM>(m_hA), 0));
    EXPECT_EQ(0, ForwardedKeys()) << "a refused request left the capture before it on";

    // While the settings program is active, an off-screen window's activation scrolls nothing.
    const RECT rcA = WindowRect(m_hA), rcX = WindowRect(m_hX);
    ASSERT_TRUE(m_wnds.Foreground(m_hX));
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(SameRect(rcX, WindowRect(m_hX))) << "an activation scrolled while the settings program was active";
    EXPECT_TRUE(SameRect(rcA, WindowRect(m_hA)));

    // An apply: a new keyboard width and no horizontal bar, at once and in the registry.
    prop.propScrlWdth.aScrlWdth[kKeybdHorzLine].nMode = SCRLMODE_ABS;
    prop.propScrlWdth.aScrlWdth[kKeybdHorzLine].nAbs = 55;
    prop.propView.bHorizontal = 0;
    ASSERT_TRUE(pFake->Apply(prop, 0)) << "no answer to the apply";
    EXPECT_FALSE(pFake->ReadFailed());
    EXPECT_TRUE(WaitUntil(
        [] {
            return RegGetDword(L"Scroll", L"KeybdHorzLineAbs") == std::optional<DWORD>(55) &&
                   RegGetDword(L"View", L"Horizontal") == std::optional<DWORD>(0);
        },
        10000))
        << "the apply was not saved";
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(hBarH); }, 5000)) << "View Horizontal off left the bar";
    ASSERT_TRUE(m_run.TypeAndSettle({VK_CONTROL, VK_MENU, VK_RIGHT}));
    EXPECT_TRUE(WaitForRect(m_hA, Shifted(rcA, -55, 0), 5000)) << "the key scroll did not move by the new width";

    // An apply whose blocks cannot be read applies and saves nothing, and is answered all the same.
    pFake->DropBlocks();
    ASSERT_TRUE(pFake->Post(1, 0));
    EXPECT_TRUE(pFake->ReadFailed()) << "a failed read was answered as read";
    ASSERT_TRUE(Settle());
    EXPECT_EQ(1u, Lines(kAppliedLine));
    EXPECT_EQ(RegGetDword(L"Scroll", L"KeybdHorzLineAbs"), std::optional<DWORD>(55));
    EXPECT_EQ(RegGetDword(L"View", L"Speed"), std::optional<DWORD>(1));
    // Nor does an OK whose blocks cannot be read end the exchange: the user may try again.
    ASSERT_TRUE(pFake->Post(1, 1));
    EXPECT_TRUE(pFake->ReadFailed());
    EXPECT_EQ(0u, Lines(L"プロパティ : 設定プログラムが終了します")) << "a failed final apply ended the exchange";

    // Cancel: nothing read, nothing saved, and a key capture ends; the core waits for the program
    // to go.
    ASSERT_TRUE(PostMessageW(hCore, MSG_KEYBD_FORWARD, reinterpret_cast<WPARAM>(catcher.Wnd()), 0));
    EXPECT_EQ(2, ForwardedKeys());
    prop.propScrlWdth.aScrlWdth[kKeybdHorzLine].nAbs = 99;
    ASSERT_TRUE(pFake->Post(0, 1));
    EXPECT_FALSE(pFake->ReadFailed());
    // The answer came before the keys are tapped: the core has taken the cancel by the time it
    // handles them.
    EXPECT_EQ(0, ForwardedKeys()) << "the key capture outlived the exchange";
    EXPECT_EQ(RegGetDword(L"Scroll", L"KeybdHorzLineAbs"), std::optional<DWORD>(55));
    EXPECT_EQ(1u, Lines(kAppliedLine));
    ASSERT_TRUE(Settle());
    EXPECT_EQ(0u, Lines(kGoneLine)) << "the core let go while the settings program still ran";

    // The program goes: the hook comes back, the gateway's too, and activations scroll again.
    pFake->Gone();
    ASSERT_TRUE(WaitForHookBack()) << "the window-event hook did not come back";
    EXPECT_EQ(1u, Lines(kGoneLine));
    // The gateway's half of the switch shows only in the log: no window of a 32-bit program here.
    EXPECT_TRUE(m_run.WaitForLine(kCbtOnLine, 2));

    // The next start opens the page shown last: the settings program's own sheet comes up on the
    // keyboard page, and its Cancel gives the core its hook back.
    pFake.reset();
    ASSERT_TRUE(m_run.Command(ID_ZV_PROPERTY));
    const HWND hSheet = WaitForWindow(ZV_PROPERTY_WND_TITLE, 15000, L"#32770");
    ASSERT_NE(hSheet, nullptr);
    strCmdLine = ProcessCommandLine(WindowPid(hSheet));
    EXPECT_TRUE(EndsWith(strCmdLine, L" /PAGE=3 /CALLER=" + strCaller)) << ToUtf8(strCmdLine);
    const HWND hTab = reinterpret_cast<HWND>(SendMessageW(hSheet, PSM_GETTABCONTROL, 0, 0));
    EXPECT_TRUE(WaitUntil([&] { return SendMessageW(hTab, TCM_GETCURSEL, 0, 0) == 3; }, 5000));
    ASSERT_TRUE(PostMessageW(hSheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0));
    EXPECT_TRUE(WaitForHookBack()) << "the core did not let its settings program go";
    EXPECT_EQ(2u, Lines(kGoneLine));
    EXPECT_TRUE(m_run.WaitForLine(kCbtOnLine, 3));
    EXPECT_TRUE(WaitUntil([] { return ProcessesOf(ZV_PROPERTY64_FILE).empty(); }, 10000));
    EXPECT_EQ(0, m_run.Close());
}

TEST_F(CoreProperty, AProgramStartedByTheUserAWaitingMoveThatFinishesASheetLostWithoutItsEndAndARefusedHandOver)
{
    // Twenty passes over 200 pixels: a move that waits between passes for about two seconds.
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 20));
    ASSERT_TRUE(RegSetDword(L"Scroll", L"KeybdHorzLineAbs", 200));
    ASSERT_TRUE(MakeWindows());
    ASSERT_TRUE(m_run.Start());
    const HWND hCore = m_run.Wnd();
    ASSERT_TRUE(m_run.WaitForLine(kCbtOnLine));

    // Asked for by a settings program the user started; a second request changes nothing.
    auto pFake = std::make_unique<CFakeSettings>(hCore);
    ASSERT_TRUE(pFake->IsReady());
    ASSERT_TRUE(pFake->AskForBlocks()) << "no Write End";
    PROPERTY_SET prop;
    ASSERT_TRUE(CFakeSettings::ReadBlocks(prop));
    EXPECT_EQ(200, prop.propScrlWdth.aScrlWdth[kKeybdHorzLine].nAbs);
    EXPECT_EQ(20, prop.propView.nSpeed);
    ASSERT_TRUE(pFake->PostStart());
    ASSERT_TRUE(Settle());
    EXPECT_FALSE(pFake->IsWriteEndSet()) << "a second request was handed over again";
    EXPECT_EQ(1u, Lines(kHandedLine));
    EXPECT_EQ(1u, Lines(kCbtOffLine));

    // Handles that name no window, or a window of the core itself, are no sheet.
    ASSERT_TRUE(PostMessageW(hCore, MSG_PROP_WND, 0x12345, 0));
    ASSERT_TRUE(PostMessageW(hCore, MSG_PROP_WND, reinterpret_cast<WPARAM>(hCore), 0));
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(zvprop::BlocksExist()) << "a window that is no sheet was taken for one";
    ASSERT_NE(pFake->ShowSheet(), nullptr);
    ASSERT_TRUE(WaitUntil([] { return !zvprop::BlocksExist(); }, 10000)) << "the sheet was not taken";

    // The settings program ends while a move waits between its passes: the move still finishes,
    // and the next one is taken.
    const RECT rcA = WindowRect(m_hA);
    const RECT rcTarget = Shifted(rcA, -200, 0);
    ASSERT_TRUE(m_run.PostDevice(DEVFLAG_RIGHT, kKeybdHorzLine));
    ASSERT_TRUE(WaitUntil([&] { return !SameRect(rcA, WindowRect(m_hA)); }, 5000));
    ASSERT_TRUE(pFake->Post(0, 1));
    EXPECT_FALSE(SameRect(rcTarget, WindowRect(m_hA))) << "the move had ended before the settings program did";
    EXPECT_TRUE(WaitForRect(m_hA, rcTarget, 10000)) << "the move waiting between passes never finished";
    ASSERT_TRUE(m_run.PostDevice(DEVFLAG_LEFT, kKeybdHorzLine));
    EXPECT_TRUE(WaitForRect(m_hA, rcA, 10000)) << "a scroll after the settings program's end was refused";
    ASSERT_TRUE(Settle());
    pFake->Gone();
    ASSERT_TRUE(WaitForHookBack()) << "the core did not let its settings program go";
    ASSERT_TRUE(m_run.WaitForLine(kCbtOnLine, 2));

    // A second run whose sheet is destroyed without the final apply, the program's mutex still
    // held: the dead check notices, and the hook is back.
    pFake = std::make_unique<CFakeSettings>(hCore);
    ASSERT_TRUE(pFake->AskForBlocks());
    ASSERT_TRUE(m_run.WaitForLine(kCbtOffLine, 2));
    ASSERT_NE(pFake->ShowSheet(), nullptr);
    ASSERT_TRUE(WaitUntil([] { return !zvprop::BlocksExist(); }, 10000)) << "the sheet was not taken";
    pFake->DestroySheet();
    EXPECT_TRUE(WaitForHookBack()) << "the window-event hook did not come back";
    EXPECT_EQ(2u, Lines(kGoneLine));
    ASSERT_TRUE(m_run.WaitForLine(kCbtOnLine, 3));
    pFake->Gone();

    // A start that no running settings program posted (its mutex is gone): no blocks are made.
    ASSERT_TRUE(pFake->PostStart());
    ASSERT_TRUE(Settle());
    EXPECT_FALSE(pFake->IsWriteEndSet()) << "a start without a settings program was handed over";
    EXPECT_FALSE(zvprop::BlocksExist());

    // The property mutex held elsewhere past the core's wait: nothing is handed over and the
    // window events stay on.
    {
        const CHandle hRunning(CreateMutexW(nullptr, FALSE, zvprop::PropMutexName().c_str()));
        CHandle hPropMutex(CreateMutexW(nullptr, TRUE, CSharedMemPropManager::MUTEX_NAME));
        ASSERT_TRUE(hPropMutex);
        ASSERT_TRUE(pFake->PostStart());
        // Handled once the core's wait for the mutex has run out: its blocks are gone again.
        ASSERT_TRUE(Settle());
        EXPECT_FALSE(zvprop::BlocksExist()) << "blocks without the settings were left for the taking";
        ReleaseMutex(hPropMutex.get());
    }
    ASSERT_TRUE(Settle());
    EXPECT_FALSE(pFake->IsWriteEndSet());
    EXPECT_EQ(2u, Lines(kHandedLine));
    EXPECT_EQ(2u, Lines(kCbtOffLine));

    // A block's own mutex held elsewhere past the lock time-out: the failed check ends the core
    // with its box, but the settings are saved first, as at every orderly end (nothing had saved
    // them in this run: the rate list is written by a save only).
    ASSERT_FALSE(RegKeyExists(kScrollRateKey));
    {
        const CHandle hRunning(CreateMutexW(nullptr, FALSE, zvprop::PropMutexName().c_str()));
        std::wstring strBlockMutex;
        CSharedMemPropScrlWdth(SENDER_CORE).MakeMutexName(CSharedMemPropScrlWdth::NAME, strBlockMutex);
        CHandle hBlockMutex(CreateMutexW(nullptr, FALSE, strBlockMutex.c_str()));
        ASSERT_TRUE(hBlockMutex);
        ASSERT_EQ(WaitForSingleObject(hBlockMutex.get(), 1000), WAIT_OBJECT_0);
        ASSERT_TRUE(pFake->PostStart());
        const HWND hBox = WaitForMessageBox(m_run.Process().Pid(), 15000);
        ASSERT_NE(hBox, nullptr) << "no failed check";
        EXPECT_NE(MessageBoxText(hBox).find(L"..\\ZvCommon\\SharedMem "), std::wstring::npos) << ToUtf8(MessageBoxText(hBox));
        EXPECT_TRUE(RegKeyExists(kScrollRateKey)) << "the failed check ended the core without saving";
        // The box's loop runs with the failed handler on the stack, which never returns: a close
        // asked for meanwhile waits with it, and the box stays until the user closes it.
        DWORD_PTR dwResult = 0;
        ASSERT_TRUE(SendMessageTimeoutW(m_run.Wnd(), WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, &dwResult));
        ASSERT_TRUE(m_run.Command(ID_ZV_APP_EXIT));
        ASSERT_TRUE(SendMessageTimeoutW(m_run.Wnd(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &dwResult));
        EXPECT_TRUE(IsWindow(m_run.Wnd())) << "the close destroyed the window inside the box's loop";
        EXPECT_TRUE(IsWindow(hBox)) << "the close took the box away";
        EXPECT_TRUE(CloseMessageBox(hBox));
        EXPECT_EQ(m_run.Process().WaitForExit(10000), std::optional<DWORD>(1));
        ReleaseMutex(hBlockMutex.get());
    }
    // A core that ended so has not told its gateway: it is ended here.
    for (DWORD dwPid : ProcessesOf(ZV_HOOK32TO64_FILE)) {
        CHandle hGateway(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwPid));
        if (hGateway && TerminateProcess(hGateway.get(), 1))
            WaitForSingleObject(hGateway.get(), 5000);
    }
}
