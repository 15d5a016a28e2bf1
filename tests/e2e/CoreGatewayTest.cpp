// The core program with its 32-bit gateway: one gateway started from the core's folder, the
// activations its hook reports scrolled for by the core, and both ended by the exit command.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <optional>
#include <set>
#include <string>

#include "Handle.h"
#include "CoreRun.h"
#include "HkGtwyEvtMngr.h"
#include "Sender.h"
#include "Strings.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;

namespace {

std::wstring ImageDir(DWORD dwPid)
{
    std::wstring strDir;
    const CHandle hProcess(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwPid));
    if (!hProcess)
        return strDir;
    wchar_t szPath[MAX_PATH] = {};
    DWORD dwSize = MAX_PATH;
    if (QueryFullProcessImageNameW(hProcess.get(), 0, szPath, &dwSize)) {
        strDir = szPath;
        strDir.erase(strDir.find_last_of(L"\\/") + 1);
    }
    return strDir;
}

// A window in view and one reaching past the work area's right edge, the first one active; the
// settings cleared but for one pass a move, and no gateway running.
struct TWO_WNDS {
    HWND hA = nullptr, hX = nullptr;
    RECT rcA{}, rcX{};
};
void StartTwoWnds(CTestWnds& wnds, const std::wstring& strPrefix, TWO_WNDS& two)
{
    ASSERT_TRUE(RegDeleteSettings());
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
    ASSERT_TRUE(WaitUntil([] { return ProcessesOf(ZV_HOOK32TO64_FILE).empty(); }, 5000))
        << "a gateway left from before";
    const RECT rcWork = WorkArea();
    const auto [hA, hX] = wnds.StartTitled({WndArg(100, 100, 300, 200, strPrefix + L" A"),
                                            WndArg(rcWork.right - 100, 300, 400, 200, strPrefix + L" X")});
    ASSERT_TRUE(hA && hX);
    ASSERT_TRUE(wnds.Foreground(hA));
    two = TWO_WNDS{hA, hX, WindowRect(hA), WindowRect(hX)};
}

}  // namespace

TEST(CoreGateway, StartsOneGatewayFromItsFolderScrollsForItsRelayedActivationAndEndsWithItOnExit)
{
    CRegistryGuard guard{kMakerKey};
    CTestWnds wnds;
    TWO_WNDS two;
    ASSERT_NO_FATAL_FAILURE(StartTwoWnds(wnds, L"Zv Gw", two));
    const auto [hA, hX, rcA, rcX] = two;
    const RECT rcWork = WorkArea();
    // A receive limit far below the ping interval: taken as three intervals, it no longer ends the
    // core before the gateway's first ping.
    ASSERT_TRUE(RegSetDword(L"Timer", L"Alive notification receive limit with Hook Gateway", 257));

    CCoreRun run{L"ZvCoreGatewayTest"};
    ASSERT_TRUE(run.Start());
    const HWND hGateway = WaitForWindow(ZV_GTWY_WND_TITLE, 15000);
    ASSERT_TRUE(hGateway) << "no gateway window";
    DWORD dwGatewayPid = 0;
    GetWindowThreadProcessId(hGateway, &dwGatewayPid);
    EXPECT_EQ(std::set<DWORD>{dwGatewayPid}, ProcessesOf(ZV_HOOK32TO64_FILE)) << "exactly one gateway";
    EXPECT_EQ(ImageDir(run.Process().Pid()), ImageDir(dwGatewayPid)) << "started from the core's folder";
    CHandle hGatewayProcess(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwGatewayPid));
    ASSERT_TRUE(hGatewayProcess);
    ASSERT_TRUE(run.WaitForLine(L"Hook Gateway is ready.")) << "the gateway's init block handled";

    // Posted to the gateway as its window-event hook posts it: relayed, then scrolled for.
    ASSERT_TRUE(PostMessageW(hGateway, MSG_HOOK_CBT_ACTIVATE, reinterpret_cast<WPARAM>(hX), 0));
    EXPECT_TRUE(WaitForRect(hA, Shifted(rcA, -300, 0), 5000)) << "every window by the 300 pixels";
    EXPECT_TRUE(WaitForRect(hX, Shifted(rcX, -300, 0), 5000));
    EXPECT_EQ(rcWork.right, WindowRect(hX).right) << "its right edge on the work area's";

    // The gateway's receive limit posted by another program long before it has passed: the gateway
    // stays, and the relay below still works.
    ASSERT_TRUE(PostMessageW(hGateway, MSG_TMR_HKGTWY_ALIVE, 1, 0));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(hGatewayProcess.get(), 1000))
        << "the gateway believed a stray receive limit";

    // A program standing for a 32-bit one: only the gateway's hook reports its windows, so the
    // real activation of one below the work area scrolls once, through the relay.
    CTestWnds wnds32;
    ASSERT_TRUE(wnds32.Start({WndArg(300, rcWork.bottom - 50, 300, 200, L"Zv Gw 32", L"noactivate"),
                              L"/CLASS=ZvStandIn32"}));
    const HWND hY = wnds32.Window(L"Zv Gw 32");
    ASSERT_TRUE(hY);
    const RECT rcY = WindowRect(hY);
    ASSERT_TRUE(wnds32.Foreground(hY));
    EXPECT_TRUE(WaitForRect(hY, Shifted(rcY, 0, -150), 5000)) << "its bottom edge on the work area's";
    EXPECT_TRUE(WaitForRect(hA, Shifted(rcA, -300, -150), 5000)) << "every window by the 150 pixels";

    EXPECT_TRUE(FindMessageBoxes(run.Process().Pid()).empty()) << "the box of the stopped pings";
    EXPECT_TRUE(run.LogLinesWith(L"alive notification is stopped").empty());

    // The exit command: the end handshake, then both go.
    ASSERT_TRUE(run.Command(ID_ZV_APP_EXIT));
    const auto exitCore = run.Process().WaitForExit(10000);
    ASSERT_TRUE(exitCore.has_value()) << "the core did not end";
    EXPECT_EQ(0u, *exitCore);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hGatewayProcess.get(), 10000)) << "the gateway did not end";
    DWORD dwGatewayExit = STILL_ACTIVE;
    GetExitCodeProcess(hGatewayProcess.get(), &dwGatewayExit);
    EXPECT_EQ(0u, dwGatewayExit);
    hGatewayProcess.reset();
    EXPECT_TRUE(run.WaitForLine(L"HOOK END notification registered")) << "ended through the handshake";
}

TEST(CoreGateway, ACoreStartedAfterAKilledOneEndsItsLeftGatewayAndLinksAtOnceWithoutABox)
{
    CRegistryGuard guard{kMakerKey};
    CTestWnds wnds;
    TWO_WNDS two;
    ASSERT_NO_FATAL_FAILURE(StartTwoWnds(wnds, L"Zv Gw Left", two));
    const auto [hA, hX, rcA, rcX] = two;

    CCoreRun first{L"ZvCoreGatewayKilled"};
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(first.WaitForLine(L"Hook Gateway is ready.", 1, 15000));
    const std::set<DWORD> leftPids = ProcessesOf(ZV_HOOK32TO64_FILE);
    ASSERT_EQ(1u, leftPids.size());
    const DWORD dwLeftPid = *leftPids.begin();
    CHandle hLeft(OpenProcess(SYNCHRONIZE, FALSE, dwLeftPid));
    ASSERT_TRUE(hLeft);
    // Killed: its gateway runs on until its receive limit, two minutes by default.
    ASSERT_TRUE(TerminateProcess(first.Process().Handle(), 9));
    ASSERT_TRUE(first.Process().WaitForExit(5000).has_value());

    // Without a log: the viewer still serves the killed core's gateway, and writes the first run's file.
    CProcess second;
    const ULONGLONG qwStart = GetTickCount64();
    const HWND hSecond = StartCoreProgram(second);
    ASSERT_TRUE(hSecond);
    DWORD dwGatewayPid = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (DWORD dwPid : ProcessesOf(ZV_HOOK32TO64_FILE))
                if (dwPid != dwLeftPid && WaitForWindow(ZV_GTWY_WND_TITLE, 0, nullptr, dwPid))
                    dwGatewayPid = dwPid;
            return dwGatewayPid != 0;
        },
        10000, 50))
        << "the new gateway did not come";
    const HWND hGateway = dwGatewayPid ? WaitForWindow(ZV_GTWY_WND_TITLE, 1000, nullptr, dwGatewayPid) : nullptr;
    ASSERT_TRUE(hGateway);
    // Linked: an activation relayed by the new gateway is scrolled for.
    ASSERT_TRUE(PostMessageW(hGateway, MSG_HOOK_CBT_ACTIVATE, reinterpret_cast<WPARAM>(hX), 0));
    EXPECT_TRUE(WaitForRect(hA, Shifted(rcA, -300, 0), 8000)) << "the link does not work";
    const ULONGLONG qwLinked = GetTickCount64() - qwStart;
    std::printf("[ figures ] a core started after a killed one relayed its first activation after %llu ms\n", qwLinked);
    EXPECT_LT(qwLinked, 8000u);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(hLeft.get(), 1000))
        << "the left gateway still runs";
    hLeft.reset();
    const std::wstring strCaption = ZV_GTWY_MUTEX_NAME;
    EXPECT_TRUE(FindMessageBoxes(0, &strCaption).empty()) << "a gateway's box";
    EXPECT_TRUE(FindMessageBoxes(second.Pid()).empty());
    CloseStrayMessageBoxes(0);
    EXPECT_EQ(std::set<DWORD>{dwGatewayPid}, ProcessesOf(ZV_HOOK32TO64_FILE));

    ASSERT_TRUE(PostMessageW(hSecond, WM_COMMAND, ID_ZV_APP_EXIT, 0));
    EXPECT_EQ(second.WaitForExit(10000), std::optional<DWORD>(0));
}

TEST(CoreGateway, ALinkThatCannotBeMadeIsToldOnceAndTheCoreRunsOnWithoutIt)
{
    CRegistryGuard guard{kMakerKey};
    ASSERT_TRUE(RegDeleteSettings());
    ASSERT_TRUE(WaitUntil([] { return ProcessesOf(ZV_HOOK32TO64_FILE).empty(); }, 5000))
        << "a gateway left from before";
    // The gateway's ping event's name taken by an object of another kind: the core's alive wait
    // thread cannot start, and with it the link.
    CHandle hSquat(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64,
                                      FormatString(HKGTWY_EVT_ALIVE_FORMAT, SENDER_HOOK, SENDER_CORE).c_str()));
    ASSERT_TRUE(hSquat);
    const std::wstring strText = CoreString(zvcoreids::kStrErrHkGtwy);
    ASSERT_EQ(0u, strText.find(L"初期化に失敗しました (HookGateway初期化失敗, code=0x%x)."));

    CCoreRun run{L"ZvCoreGatewayNoLink"};
    ASSERT_TRUE(run.Start());
    const DWORD dwPid = run.Process().Pid();
    const HWND hBox = WaitForMessageBox(dwPid, 10000);
    ASSERT_TRUE(hBox) << "the user was not told\n" << run.LogLinesWith(L"Hook Gateway");
    const std::wstring strBox = MessageBoxText(hBox);
    const size_t nCode = strText.find(L"%x");
    EXPECT_EQ(strText.substr(0, nCode), strBox.substr(0, nCode)) << ToUtf8(strBox);
    EXPECT_NE(strBox.find(L").\nコンピュータを再起動して下さい."), std::wstring::npos) << ToUtf8(strBox);
    EXPECT_EQ(1u, FindMessageBoxes(dwPid).size());
    EXPECT_TRUE(ProcessesOf(ZV_HOOK32TO64_FILE).empty()) << "a gateway started for a link that failed";
    ASSERT_TRUE(CloseMessageBox(hBox));
    ASSERT_TRUE(WaitUntil([&] { return FindMessageBoxes(dwPid).empty(); }, 5000));

    // Once: the same message again, as another program could post it, shows nothing.
    ASSERT_TRUE(PostMessageW(run.Wnd(), MSG_HKGTWY_INIT_FAILED, 0, 0));
    EXPECT_FALSE(WaitForMessageBox(dwPid, 1500)) << "told twice";
    // Running on as a core does: its bars, and its end when asked.
    EXPECT_TRUE(run.BarWnd(false));
    EXPECT_TRUE(run.BarWnd(true));
    EXPECT_TRUE(run.Process().IsRunning());
    ASSERT_TRUE(run.Command(ID_ZV_APP_EXIT));
    EXPECT_EQ(run.Process().WaitForExit(10000), std::optional<DWORD>(0));

    // The box runs its loop under the link's handler: a close sent and the exit asked for
    // meanwhile wait for it, and the program then ends once, in order, with no box after it.
    ASSERT_TRUE(RegDeleteSettings());
    ASSERT_TRUE(WaitUntil([] { return ProcessesOf(ZV_LOG64_FILE).empty(); }, 10000)) << "the log viewer did not end";
    CCoreRun ended{L"ZvCoreGatewayNoLinkEnd"};
    ASSERT_TRUE(ended.Start());
    const DWORD dwPidEnd = ended.Process().Pid();
    const HWND hBoxEnd = WaitForMessageBox(dwPidEnd, 10000);
    ASSERT_TRUE(hBoxEnd);
    ASSERT_TRUE(AskForEndsUnderBox(ended, hBoxEnd));
    ASSERT_TRUE(CloseMessageBox(hBoxEnd));
    bool bMoreBoxes = false;
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (HWND h : FindMessageBoxes(dwPidEnd))
                bMoreBoxes = bMoreBoxes || h != hBoxEnd;
            return !ended.Process().IsRunning();
        },
        15000));
    EXPECT_FALSE(bMoreBoxes);
    EXPECT_EQ(ended.Process().ExitCode(), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetDword(L"Version", L"Major"), std::optional<DWORD>(9)) << "the settings were not saved";
    hSquat.reset();
}
