// The gateway program's end of the link with the core program: the test plays the core program
// (its own event manager as sender 1 with the system's names) against the real gateway (its
// 64-bit test build) and checks what crosses: the init block, relayed hook messages, the hook
// switched on request, the end handshake and the end when the core program's pings stop.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "Handle.h"
#include "HkGtwyCoreSide.h"
#include "HookNtfy.h"
#include "Sender.h"
#include "SettingsNames.h"
#include "ZvMessages.h"
#include "ZvNames.h"
#include "ZvTestKit.h"

using namespace zvkit;
using hkgtwytest::CCoreSide;
using hkgtwytest::RECEIVED;

namespace {

// Bound of one exchange; a round trip takes a few ms.
constexpr DWORD kLinkMs = 10000;
// The two alive intervals of the gateway link, by the names the settings store them under.
const wchar_t* const kAliveSendEntry =
    zvsettings::ValueName(g_aPropTimerValues, &PROP_TIMER::dwAliveNotificationSendInterval);
const wchar_t* const kAliveRecvEntry =
    zvsettings::ValueName(g_aPropTimerValues, &PROP_TIMER::dwAliveNotificationReceiveLimit);

std::wstring GatewayIniPath()
{
    wchar_t szDir[MAX_PATH] = {};
    GetWindowsDirectoryW(szDir, MAX_PATH);
    return std::wstring(szDir) + L"\\ZvHook32to64.INI";
}

uint64_t Wide(HWND hWnd) { return static_cast<uint64_t>(reinterpret_cast<ULONG_PTR>(hWnd)); }

bool MappingExists(const std::wstring& strName)
{
    return static_cast<bool>(CHandle(OpenFileMappingW(FILE_MAP_READ, FALSE, strName.c_str())));
}

class GatewayLink : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileW(GatewayIniPath().c_str()); }
    void TearDown() override
    {
        if (m_gateway.IsStarted()) {
            CloseStrayMessageBoxes(m_gateway.Pid());
            m_gateway.Stop();
        }
        DeleteFileW(GatewayIniPath().c_str());
    }

    // Starts the core side, then the gateway, and waits for its init block; the gateway's window.
    HWND StartLinked()
    {
        if (!m_core.Start()) {
            ADD_FAILURE() << "the core side did not start";
            return nullptr;
        }
        if (!m_gateway.Start(ZV_HOOK32TO64_FILE, L"/CALLER=1")) {
            ADD_FAILURE() << "cannot start the gateway, error " << m_gateway.LastError();
            return nullptr;
        }
        const HWND hWnd = WaitForWindow(ZV_GTWY_WND_TITLE, 15000, nullptr, m_gateway.Pid());
        if (!hWnd) {
            ADD_FAILURE() << "the gateway's window did not come";
            return nullptr;
        }
        if (!WaitUntil([&] { return !m_core.vecReceived.empty(); }, kLinkMs)) {
            ADD_FAILURE() << "no init block";
            return nullptr;
        }
        return hWnd;
    }

    // The relayed records of uMsg received from index nFrom on.
    std::vector<HOOK_NTFY_CBT> Relayed(size_t nFrom, UINT uMsg) const
    {
        std::vector<HOOK_NTFY_CBT> out;
        for (size_t i = nFrom; i < m_core.vecReceived.size(); ++i) {
            const RECEIVED& r = m_core.vecReceived[i];
            if (r.nKind == HOOK_KIND_CBT && r.cbt.uMsg == uMsg)
                out.push_back(r.cbt);
        }
        return out;
    }
    bool WaitForRelayed(size_t nFrom, UINT uMsg, uint64_t u64WParam)
    {
        return WaitUntil(
            [&] {
                const auto v = Relayed(nFrom, uMsg);
                return std::any_of(v.begin(), v.end(), [&](const HOOK_NTFY_CBT& c) { return c.wParam == u64WParam; });
            },
            kLinkMs);
    }
    bool WaitForAnswers(size_t nCount)
    {
        return WaitUntil([&] { return m_core.vecAnswered.size() >= nCount; }, kLinkMs);
    }

    CCoreSide m_core;
    CProcess m_gateway;
};

}  // namespace

TEST_F(GatewayLink, AnnouncesItselfRelaysHookMessagesRefusesStrayOnesAndEndsOnceAllIsAnswered)
{
    const HWND hWnd = StartLinked();
    ASSERT_NE(hWnd, nullptr);
    ASSERT_EQ(m_core.vecReceived.size(), 1u);
    EXPECT_EQ(m_core.vecReceived[0].wSeq, 0);
    EXPECT_EQ(m_core.vecReceived[0].nKind, HOOK_KIND_INIT);

    // As the 32-bit hook library posts them: 32-bit values, here with bit 31 set, zero-extended.
    ASSERT_TRUE(PostMessageW(hWnd, MSG_HOOK_CBT_ACTIVATE, 0x80001234u, 0));
    ASSERT_TRUE(PostMessageW(hWnd, MSG_HOOK_CBT_MINMAX, 0x00005678u, SW_MAXIMIZE));
    ASSERT_TRUE(WaitUntil([&] { return m_core.vecReceived.size() == 3; }, kLinkMs)) << m_core.vecReceived.size();
    const RECEIVED& act = m_core.vecReceived[1];
    EXPECT_EQ(act.wSeq, 1);
    EXPECT_EQ(act.nKind, HOOK_KIND_CBT);
    EXPECT_EQ(act.cbt.hWnd, Wide(hWnd));
    EXPECT_EQ(act.cbt.uMsg, MSG_HOOK_CBT_ACTIVATE);
    EXPECT_EQ(act.cbt.wParam, 0x80001234ull);
    EXPECT_EQ(act.cbt.lParam, 0ull);
    const RECEIVED& mm = m_core.vecReceived[2];
    EXPECT_EQ(mm.wSeq, 2);
    EXPECT_EQ(mm.cbt.uMsg, MSG_HOOK_CBT_MINMAX);
    EXPECT_EQ(mm.cbt.wParam, 0x5678ull);
    EXPECT_EQ(mm.cbt.lParam, static_cast<uint64_t>(SW_MAXIMIZE));

    // The link's messages from anyone else, with the expected numbers among others, change nothing:
    // no core block exists, no own block waits and no end was asked for.
    for (WPARAM w = 0; w < 6; ++w) {
        ASSERT_TRUE(PostMessageW(hWnd, MSG_HKGTWY_NTFY_DTCT, w, 0));
        ASSERT_TRUE(PostMessageW(hWnd, MSG_HKGTWY_RSP_DTCT, w, 0));
        ASSERT_TRUE(PostMessageW(hWnd, MSG_HKGTWY_END, w, 0));
    }

    // Asked to end with an own block unanswered, and one more relayed meanwhile: it stays until
    // both are answered, then ends with exit code 0.
    m_core.HoldAnswers(true);
    ASSERT_TRUE(PostMessageW(hWnd, MSG_HOOK_CBT_ACTIVATE, 0x11, 0));
    ASSERT_TRUE(WaitUntil([&] { return m_core.vecReceived.size() == 4; }, kLinkMs));
    m_core.SendEnd();
    ASSERT_TRUE(WaitForAnswers(1));
    ASSERT_TRUE(PostMessageW(hWnd, MSG_HOOK_CBT_ACTIVATE, 0x22, 0));
    EXPECT_FALSE(m_gateway.WaitForExit(500).has_value()) << "ended with its blocks unanswered";
    m_core.HoldAnswers(false);
    EXPECT_EQ(m_gateway.WaitForExit(kLinkMs), std::optional<DWORD>(0));
    // Read here before its answer let the gateway go.
    ASSERT_EQ(m_core.vecReceived.size(), 5u);
    EXPECT_EQ(m_core.vecReceived[3].cbt.wParam, 0x11ull);
    EXPECT_EQ(m_core.vecReceived[4].cbt.wParam, 0x22ull);
    EXPECT_EQ(m_core.nUnopened, 0);
}

TEST_F(GatewayLink, RelayedBlocksAreRelayedInOrderAndFreedCompletelyOnceAnswered)
{
    const HWND hWnd = StartLinked();
    ASSERT_NE(hWnd, nullptr);
    constexpr int kCount = 500;
    // A named object goes with its last handle, a mapping with its last view too.
    const auto Left = [&] {
        int nLeft = 0;
        for (int i = 0; i <= kCount; ++i) {
            const std::wstring strName = MakeHookBlockName(SENDER_HOOK, static_cast<WORD>(i));
            if (MappingExists(strName))
                ++nLeft;
            if (CHandle(OpenMutexW(SYNCHRONIZE, FALSE, (L"Mutex : sender=3, name=" + strName).c_str()))) {
                ++nLeft;
            }
        }
        return nLeft;
    };

    // While the core side holds its answer, the gateway's blocks are there.
    m_core.HoldAnswers(true);
    for (int i = 0; i < kCount; ++i)
        ASSERT_TRUE(PostMessageW(hWnd, MSG_HOOK_CBT_ACTIVATE, 0x2000 + i, 0));
    ASSERT_TRUE(WaitUntil([&] { return m_core.vecReceived.size() == 2 && Left() == 2 * kCount; }, kLinkMs)) << Left();
    m_core.HoldAnswers(false);
    ASSERT_TRUE(WaitUntil([&] { return m_core.vecReceived.size() == 1 + kCount; }, 60000)) << m_core.vecReceived.size();
    for (int i = 0; i < kCount; ++i) {
        const RECEIVED& r = m_core.vecReceived[1 + i];
        ASSERT_EQ(r.wSeq, 1 + i);
        ASSERT_EQ(r.cbt.wParam, static_cast<uint64_t>(0x2000 + i));
    }
    EXPECT_TRUE(WaitUntil([&] { return Left() == 0; }, kLinkMs, 100)) << Left() << " left";

    m_core.SendEnd();
    EXPECT_EQ(m_gateway.WaitForExit(kLinkMs), std::optional<DWORD>(0));
}

TEST_F(GatewayLink, AFailedInitBlockStillLetsItsFirstRelayedBlockAnnounceIt)
{
    // Someone holds the name of the gateway's first block: its init block cannot be made.
    CHandle hSquat(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64,
                                      MakeHookBlockName(SENDER_HOOK, 0).c_str()));
    ASSERT_TRUE(hSquat);
    ASSERT_TRUE(m_core.Start());
    ASSERT_TRUE(m_gateway.Start(ZV_HOOK32TO64_FILE, L"/CALLER=1"));
    const HWND hWnd = WaitForWindow(ZV_GTWY_WND_TITLE, 15000, nullptr, m_gateway.Pid());
    ASSERT_NE(hWnd, nullptr);
    // Handled once the init block has given up: the window answers again.
    DWORD_PTR dwResult = 0;
    ASSERT_NE(SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 15000, &dwResult), 0);
    hSquat.reset();
    EXPECT_TRUE(m_core.vecReceived.empty());

    // The first block that can be made takes the first number and is announced at once.
    ASSERT_TRUE(PostMessageW(hWnd, MSG_HOOK_CBT_ACTIVATE, 0x4321, 0));
    ASSERT_TRUE(WaitUntil([&] { return !m_core.vecReceived.empty(); }, kLinkMs)) << "never announced";
    EXPECT_EQ(m_core.vecReceived[0].wSeq, 0);
    EXPECT_EQ(m_core.vecReceived[0].nKind, HOOK_KIND_CBT);
    EXPECT_EQ(m_core.vecReceived[0].cbt.wParam, 0x4321ull);

    m_core.SendEnd();
    EXPECT_EQ(m_gateway.WaitForExit(kLinkMs), std::optional<DWORD>(0));
}

TEST_F(GatewayLink, SwitchBlocksTurnItsWindowEventHookOnAndOff)
{
    // Windows of a program standing for a 32-bit one: the only ones the gateway's hook reports.
    CTestWnds tw;
    ASSERT_TRUE(tw.Start({WndArg(100, 100, 300, 200, L"GatewayLink A"), WndArg(450, 120, 300, 200, L"GatewayLink B"),
                          L"/CLASS=ZvStandIn32"}));
    const HWND hA = tw.Window(L"GatewayLink A"), hB = tw.Window(L"GatewayLink B");
    ASSERT_TRUE(hA && hB);
    ASSERT_TRUE(tw.Foreground(hA));
    const HWND hWnd = StartLinked();
    ASSERT_NE(hWnd, nullptr);

    // No hook before the first switch block for it (one for another hook is answered and changes
    // nothing): an activation is not relayed. The marker, posted after it, arrives after anything
    // the hook posted for it.
    m_core.SendSwitch(TRUE, HOOK_NTFY_SWTCH_CBT + 1);
    ASSERT_TRUE(WaitForAnswers(1));
    size_t nMark = m_core.vecReceived.size();
    ASSERT_TRUE(tw.Foreground(hB));
    ASSERT_TRUE(PostMessageW(hWnd, MSG_HOOK_CBT_WNDCHG, 0, 0));
    ASSERT_TRUE(WaitForRelayed(nMark, MSG_HOOK_CBT_WNDCHG, 0));
    EXPECT_TRUE(Relayed(nMark, MSG_HOOK_CBT_ACTIVATE).empty());

    // The switch is acted on before it is answered.
    m_core.SendSwitch(TRUE);
    ASSERT_TRUE(WaitForAnswers(2));
    nMark = m_core.vecReceived.size();
    ASSERT_TRUE(tw.Foreground(hA));
    EXPECT_TRUE(WaitForRelayed(nMark, MSG_HOOK_CBT_ACTIVATE, Wide(hA))) << "the hook relays a real activation";

    // Off: answered, and the next "on" installs the hook afresh. That no activation is relayed
    // while it is off cannot be checked here: under Wine the global hook of a program that has
    // ended (an earlier test's) keeps firing into the slot this gateway took over.
    m_core.SendSwitch(FALSE);
    ASSERT_TRUE(WaitForAnswers(3));
    ASSERT_TRUE(tw.Foreground(hB));

    // And on again.
    m_core.SendSwitch(TRUE);
    ASSERT_TRUE(WaitForAnswers(4));
    nMark = m_core.vecReceived.size();
    ASSERT_TRUE(tw.Foreground(hA));
    EXPECT_TRUE(WaitForRelayed(nMark, MSG_HOOK_CBT_ACTIVATE, Wide(hA)));

    m_core.SendEnd();
    EXPECT_EQ(m_gateway.WaitForExit(kLinkMs), std::optional<DWORD>(0));
}

TEST_F(GatewayLink, PingsBothWaysKeepItRunningAndItEndsOnceTheCoresPingsStop)
{
    const std::wstring strIni = GatewayIniPath();
    ASSERT_TRUE(WritePrivateProfileStringW(PROP_SECTION_TIMER, kAliveSendEntry, L"200", strIni.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(PROP_SECTION_TIMER, kAliveRecvEntry, L"1500", strIni.c_str()));
    ASSERT_NE(StartLinked(), nullptr);

    // Pinged every 300 ms for twice the limit, it stays, and pings the core program itself.
    const ULONGLONG tPingEnd = GetTickCount64() + 3000;
    while (GetTickCount64() < tPingEnd) {
        ASSERT_TRUE(m_core.Mngr()->SetEvtNtfyAlv());
        PumpFor(300);
        ASSERT_TRUE(m_gateway.IsRunning()) << "ended although pinged";
    }
    EXPECT_GE(m_core.nAlive, 3);

    // Silence: it ends by itself after its limit, with exit code 0.
    const ULONGLONG tSilent = GetTickCount64();
    EXPECT_EQ(m_gateway.WaitForExit(kLinkMs), std::optional<DWORD>(0));
    EXPECT_GE(GetTickCount64() - tSilent, 1000u) << "ended before its limit";
}
