// The core program with its 32-bit gateway: one gateway started from the core's folder, the
// activations its hook reports scrolled for by the core, and both ended by the exit command.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "CoreRun.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;

namespace {

constexpr wchar_t kGateway[] = L"ZvHook32to64.exe";
constexpr wchar_t kGatewayTitle[] = L"ZvHook32to64";
constexpr UINT kCmdAppExit = 32781;

std::wstring ImageDir(DWORD dwPid)
{
    std::wstring strDir;
    const HANDLE hProcess = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwPid);
    if (!hProcess)
        return strDir;
    wchar_t szPath[MAX_PATH] = {};
    DWORD dwSize = MAX_PATH;
    if (QueryFullProcessImageNameW(hProcess, 0, szPath, &dwSize)) {
        strDir = szPath;
        strDir.erase(strDir.find_last_of(L"\\/") + 1);
    }
    CloseHandle(hProcess);
    return strDir;
}

}  // namespace

TEST(CoreGateway, StartsOneGatewayFromItsFolderScrollsForItsRelayedActivationAndEndsWithItOnExit)
{
    CRegistryGuard guard{kMakerKey};
    ASSERT_TRUE(RegDeleteSettings());
    // Speed 1: a move ends in one pass.
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
    ASSERT_TRUE(WaitUntil([] { return ProcessesOf(kGateway).empty(); }, 5000)) << "a gateway left from before";
    const RECT rcWork = WorkArea();
    CTestWnds wnds;
    const auto [hA, hX] = wnds.StartTitled({WndArg(100, 100, 300, 200, L"Zv Gw A"),
                                            WndArg(rcWork.right - 100, 300, 400, 200, L"Zv Gw X")});
    ASSERT_TRUE(hA && hX);
    ASSERT_TRUE(wnds.Foreground(hA));
    const RECT rcA = WindowRect(hA), rcX = WindowRect(hX);

    CCoreRun run{L"ZvCoreGatewayTest"};
    ASSERT_TRUE(run.Start());
    const HWND hGateway = WaitForWindow(kGatewayTitle, 15000);
    ASSERT_TRUE(hGateway) << "no gateway window";
    DWORD dwGatewayPid = 0;
    GetWindowThreadProcessId(hGateway, &dwGatewayPid);
    EXPECT_EQ(std::set<DWORD>{dwGatewayPid}, ProcessesOf(kGateway)) << "exactly one gateway";
    EXPECT_EQ(ImageDir(run.Process().Pid()), ImageDir(dwGatewayPid)) << "started from the core's folder";
    const HANDLE hGatewayProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwGatewayPid);
    ASSERT_TRUE(hGatewayProcess);
    ASSERT_TRUE(run.WaitForLine(L"Hook Gateway is ready.")) << "the gateway's init block handled";

    // Posted to the gateway as its window-event hook posts it: relayed, then scrolled for.
    ASSERT_TRUE(PostMessageW(hGateway, kMsgHookCbtActivate, reinterpret_cast<WPARAM>(hX), 0));
    EXPECT_TRUE(WaitForRect(hA, Shifted(rcA, -300, 0), 5000)) << "every window by the 300 pixels";
    EXPECT_TRUE(WaitForRect(hX, Shifted(rcX, -300, 0), 5000));
    EXPECT_EQ(rcWork.right, WindowRect(hX).right) << "its right edge on the work area's";

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

    // The exit command: the end handshake, then both go.
    ASSERT_TRUE(run.Command(kCmdAppExit));
    const auto exitCore = run.Process().WaitForExit(10000);
    ASSERT_TRUE(exitCore.has_value()) << "the core did not end";
    EXPECT_EQ(0u, *exitCore);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hGatewayProcess, 10000)) << "the gateway did not end";
    DWORD dwGatewayExit = STILL_ACTIVE;
    GetExitCodeProcess(hGatewayProcess, &dwGatewayExit);
    EXPECT_EQ(0u, dwGatewayExit);
    CloseHandle(hGatewayProcess);
    EXPECT_TRUE(run.WaitForLine(L"HOOK END notification registered")) << "ended through the handshake";
}
