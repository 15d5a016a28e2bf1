// The core program and its gateway when one of them is killed at a step of the link: before the
// gateway's init block, between a block and its answer, and in the end handshake. The survivor ends
// within its limit, nothing is left running and no setting is lost. And a long run of relayed
// activations leaves the handle counts of both programs where they were.
//
// A program is held at a step by the block's reader mutex: whoever opens a peer's block first locks
// "Mutex : sender=<reader>, name=<block>", so a test that owns that mutex keeps the reader's window
// thread waiting with the block unanswered (and its pings stopped) until the test kills it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "CoreRun.h"
#include "HookNtfy.h"
#include "Sender.h"
#include "SettingsNames.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;

namespace {

// The two alive intervals of the gateway link, by the names the settings store them under.
const wchar_t* const kAliveSendEntry =
    zvsettings::ValueName(g_aPropTimerValues, &PROP_TIMER::dwAliveNotificationSendInterval);
const wchar_t* const kAliveRecvEntry =
    zvsettings::ValueName(g_aPropTimerValues, &PROP_TIMER::dwAliveNotificationReceiveLimit);
// Both programs' limits, shortened: pinged every 200 ms, silent 1.5 s means gone.
constexpr DWORD kAliveSendMs = 200;
constexpr DWORD kAliveRecvMs = 1500;
// The core's wait for the answer to its end block.
constexpr DWORD kEndWaitMs = 5000;
// Beyond a limit: the timer manager's steps, a program's start-up of the box, Wine's pace.
constexpr DWORD kSlackMs = 2500;
constexpr DWORD kTerminated = 9;
// The core's seq of its switch block at exit (its first, switching on, is 0) and of its end block.
constexpr WORD kCoreSwitchOffSeq = 1;
constexpr WORD kCoreEndSeq = 2;
// The gateway's init block is 0: its first relayed block is 1.
constexpr WORD kFirstRelayedSeq = 1;

std::wstring GatewayIniPath()
{
    wchar_t szDir[MAX_PATH] = {};
    GetWindowsDirectoryW(szDir, MAX_PATH);
    return std::wstring(szDir) + L"\\ZvHook32to64.INI";
}

// The mutex a program of this sender locks to read the block.
std::wstring ReaderMutexName(int nReader, int nCreator, WORD wSeq)
{
    return L"Mutex : sender=" + std::to_wstring(nReader) + L", name=" + MakeHookBlockName(nCreator, wSeq);
}

// A named object held by the test for as long as it lives.
class CHeldName {
public:
    static CHeldName Mutex(const std::wstring& strName) { return CHeldName(CreateMutexW(nullptr, TRUE, strName.c_str()), true); }
    static CHeldName Mapping(const std::wstring& strName)
    {
        return CHeldName(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, strName.c_str()), false);
    }
    CHeldName(CHeldName&& other) noexcept : m_h(other.m_h), m_bMutex(other.m_bMutex), m_bOwn(other.m_bOwn)
    {
        other.m_h = nullptr;
    }
    CHeldName(const CHeldName&) = delete;
    CHeldName& operator=(const CHeldName&) = delete;
    ~CHeldName() { Release(); }
    // Made by the test, not found: nobody else has it.
    bool Held() const { return m_h && m_bOwn; }
    void Release()
    {
        if (!m_h)
            return;
        if (m_bMutex)
            ReleaseMutex(m_h);
        CloseHandle(m_h);
        m_h = nullptr;
    }

private:
    CHeldName(HANDLE h, bool bMutex) : m_h(h), m_bMutex(bMutex), m_bOwn(GetLastError() != ERROR_ALREADY_EXISTS) {}
    HANDLE m_h;
    bool m_bMutex;
    bool m_bOwn;
};

// A window whose thread no longer takes a sent message: held in a wait.
bool WaitUntilStuck(HWND hWnd)
{
    return WaitUntil(
        [&] {
            DWORD_PTR dwResult = 0;
            return SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 200, &dwResult) == 0;
        },
        4000, 50);
}

bool Answers(HWND hWnd)
{
    DWORD_PTR dwResult = 0;
    return SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &dwResult) != 0;
}

// Handles a process holds. GetProcessHandleCount answers 0 for another process under Wine 8; the
// system handle table counts them.
struct SYSTEM_HANDLE_ENTRY {
    USHORT UniqueProcessId;
    USHORT CreatorBackTraceIndex;
    UCHAR ObjectTypeIndex;
    UCHAR HandleAttributes;
    USHORT HandleValue;
    PVOID Object;
    ULONG GrantedAccess;
};
struct SYSTEM_HANDLE_INFORMATION {
    ULONG NumberOfHandles;
    SYSTEM_HANDLE_ENTRY Handles[1];
};
using PFN_NT_QSI = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

// The process's handles by object type index; the sum is its handle count. Empty on failure.
std::map<int, long> HandleTypesOf(DWORD dwPid)
{
    static const auto s_pfn =
        reinterpret_cast<PFN_NT_QSI>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation"));
    if (!s_pfn)
        return {};
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<BYTE> buf(1 << 20);
    for (int nTry = 0; nTry < 8; ++nTry) {
        ULONG cbNeeded = 0;
        const LONG nStatus = s_pfn(kSystemHandleInformation, buf.data(), static_cast<ULONG>(buf.size()), &cbNeeded);
        if (nStatus == kInfoLengthMismatch) {
            buf.resize(std::max<size_t>(buf.size() * 2, cbNeeded + 65536));
            continue;
        }
        if (nStatus < 0)
            return {};
        const auto* pInfo = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buf.data());
        std::map<int, long> types;
        for (ULONG i = 0; i < pInfo->NumberOfHandles; ++i) {
            if (pInfo->Handles[i].UniqueProcessId == static_cast<USHORT>(dwPid))
                ++types[pInfo->Handles[i].ObjectTypeIndex];
        }
        return types;
    }
    return {};
}

long HandleCountOf(DWORD dwPid)
{
    const std::map<int, long> types = HandleTypesOf(dwPid);
    if (types.empty())
        return -1;
    long n = 0;
    for (const auto& [nType, nCount] : types)
        n += nCount;
    return n;
}

std::string Describe(const std::map<int, long>& types)
{
    std::string str;
    for (const auto& [nType, nCount] : types)
        str += " type " + std::to_string(nType) + ": " + std::to_string(nCount) + ";";
    return str;
}

// The count once it has stopped changing (two equal readings 300 ms apart), within a bound; -1 if
// it never settled.
long SettledHandleCount(DWORD dwPid)
{
    long nLast = HandleCountOf(dwPid), nSettled = -1;
    WaitUntil(
        [&] {
            const long n = HandleCountOf(dwPid);
            if (n == nLast && n >= 0)
                nSettled = n;
            nLast = n;
            return nSettled >= 0;
        },
        15000, 300);
    return nSettled;
}

class CoreGatewayKill : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RegDeleteSettings());
        // The settings a killed core must leave as they were, and an orderly end must keep.
        ASSERT_TRUE(RegSetDword(PROP_SECTION_TIMER, kAliveSendEntry, kAliveSendMs));
        ASSERT_TRUE(RegSetDword(PROP_SECTION_TIMER, kAliveRecvEntry, kAliveRecvMs));
        ASSERT_TRUE(RegSetDword(L"Undo", L"Depth", 17));
        ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
        const std::wstring strIni = GatewayIniPath();
        ASSERT_TRUE(WritePrivateProfileStringW(PROP_SECTION_TIMER, kAliveSendEntry,
                                               std::to_wstring(kAliveSendMs).c_str(), strIni.c_str()));
        ASSERT_TRUE(WritePrivateProfileStringW(PROP_SECTION_TIMER, kAliveRecvEntry,
                                               std::to_wstring(kAliveRecvMs).c_str(), strIni.c_str()));
        ASSERT_TRUE(WaitUntil([] { return ProcessesOf(ZV_HOOK32TO64_FILE).empty(); }, 5000))
            << "a gateway left from before";
    }
    void TearDown() override
    {
        if (m_hGatewayProcess)
            CloseHandle(m_hGatewayProcess);
        DeleteFileW(GatewayIniPath().c_str());
    }

    // Starts the core and waits for its gateway's window; with bReady, also until the gateway has
    // taken the core's first switch block.
    bool Start(CCoreRun& run, bool bReady)
    {
        if (m_hGatewayProcess)
            CloseHandle(m_hGatewayProcess);
        m_hGatewayProcess = nullptr;
        if (!run.Start())
            return false;
        m_hGateway = WaitForWindow(ZV_GTWY_WND_TITLE, 15000);
        if (!m_hGateway) {
            ADD_FAILURE() << "no gateway window";
            return false;
        }
        GetWindowThreadProcessId(m_hGateway, &m_dwGatewayPid);
        m_hGatewayProcess = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, m_dwGatewayPid);
        if (!m_hGatewayProcess) {
            ADD_FAILURE() << "cannot open the gateway, error " << GetLastError();
            return false;
        }
        if (!bReady)
            return true;
        if (!run.WaitForLine(L"Hook Gateway is ready.") ||
            !run.WaitForLine(L"Core notification received, Seq = 0, kind = 3")) {
            ADD_FAILURE() << "not linked:\n" << run.LogLinesWith(L"Hook Gateway");
            return false;
        }
        return true;
    }

    void KillGateway()
    {
        ASSERT_TRUE(TerminateProcess(m_hGatewayProcess, kTerminated));
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(m_hGatewayProcess, 5000));
    }
    static void KillCore(CCoreRun& run)
    {
        // The core alone: its job still holds the gateway, which must end by itself.
        ASSERT_TRUE(TerminateProcess(run.Process().Handle(), kTerminated));
        ASSERT_EQ(run.Process().WaitForExit(5000), std::optional<DWORD>(kTerminated));
    }

    // The core, its gateway gone, ends within its limit: after the box of the stopped pings, which
    // holds it until closed (a close or an exit asked for meanwhile waits for the box), or at once,
    // without a box, when an end had been asked for. The ms from tFrom to its end.
    ULONGLONG ExpectCoreEnds(CCoreRun& run, ULONGLONG tFrom, bool bBox, const char* pszStep)
    {
        const DWORD dwPid = run.Process().Pid();
        if (bBox) {
            const HWND hBox = WaitForMessageBox(dwPid, kAliveRecvMs + kSlackMs);
            EXPECT_TRUE(hBox) << pszStep << ": no box of the stopped pings";
            if (hBox) {
                EXPECT_NE(MessageBoxText(hBox).find(L"32bit Hook Gateway"), std::wstring::npos) << pszStep;
                PostMessageW(run.Wnd(), WM_CLOSE, 0, 0);
                EXPECT_TRUE(run.Command(ID_ZV_APP_EXIT));
                // The exit waits for the box's loop to close (32781 is 0x800d).
                EXPECT_TRUE(run.WaitForLine(L"CZvCoreDlg::DeferEnd() 0x111, wParam = 0x800d")) << pszStep;
                EXPECT_TRUE(run.Process().IsRunning()) << pszStep << ": ended under its box";
                EXPECT_TRUE(IsWindow(hBox)) << pszStep;
                EXPECT_TRUE(CloseMessageBox(hBox));
            }
        } else {
            EXPECT_TRUE(WaitUntil([&] { return !run.Process().IsRunning() || !FindMessageBoxes(dwPid).empty(); },
                                  kEndWaitMs + kSlackMs));
            EXPECT_TRUE(FindMessageBoxes(dwPid).empty()) << pszStep << ": a box although the end was asked for";
            CloseStrayMessageBoxes(dwPid);
        }
        const auto code = run.Process().WaitForExit(kEndWaitMs + kSlackMs);
        EXPECT_EQ(code, std::optional<DWORD>(0)) << pszStep << ": the core did not end by itself\n"
                                                 << run.LogLinesWith(L"Hook Gateway");
        return GetTickCount64() - tFrom;
    }

    // The gateway, its core gone, ends by its own limit with exit code 0. The ms from tFrom.
    ULONGLONG ExpectGatewayEnds(ULONGLONG tFrom, const char* pszStep)
    {
        const DWORD dwWait = WaitForSingleObject(m_hGatewayProcess, kAliveRecvMs + kSlackMs);
        EXPECT_EQ(WAIT_OBJECT_0, dwWait) << pszStep << ": the gateway outlived its limit";
        const ULONGLONG ms = GetTickCount64() - tFrom;
        if (dwWait != WAIT_OBJECT_0)
            return ms;
        DWORD dwExit = STILL_ACTIVE;
        GetExitCodeProcess(m_hGatewayProcess, &dwExit);
        EXPECT_EQ(0u, dwExit) << pszStep;
        EXPECT_TRUE(FindMessageBoxes(m_dwGatewayPid).empty()) << pszStep;
        return ms;
    }

    static void ExpectSettingsKept(bool bSaved, const char* pszStep)
    {
        EXPECT_EQ(RegGetDword(PROP_SECTION_TIMER, kAliveSendEntry), std::optional<DWORD>(kAliveSendMs)) << pszStep;
        EXPECT_EQ(RegGetDword(PROP_SECTION_TIMER, kAliveRecvEntry), std::optional<DWORD>(kAliveRecvMs)) << pszStep;
        EXPECT_EQ(RegGetDword(L"Undo", L"Depth"), std::optional<DWORD>(17)) << pszStep;
        EXPECT_EQ(RegGetDword(L"View", L"Speed"), std::optional<DWORD>(1)) << pszStep;
        // Only an orderly end saves the whole record; a killed core saved nothing.
        EXPECT_EQ(RegGetDword(L"Version", L"Major").has_value(), bSaved) << pszStep;
    }

    void ExpectNothingLeft(const char* pszStep)
    {
        EXPECT_TRUE(WaitUntil(
            [] { return ProcessesOf(ZV_HOOK32TO64_FILE).empty() && ProcessesOf(ZV_CORE64_FILE).empty(); }, 5000))
            << pszStep << ": " << ProcessesOf(ZV_HOOK32TO64_FILE).size() << " gateway(s), "
            << ProcessesOf(ZV_CORE64_FILE).size() << " core(s) left";
    }

    CRegistryGuard m_guard{kMakerKey};
    HWND m_hGateway = nullptr;
    DWORD m_dwGatewayPid = 0;
    HANDLE m_hGatewayProcess = nullptr;
};

}  // namespace

TEST_F(CoreGatewayKill, TheCoreEndsWithinItsLimitWhereverItsGatewayIsKilled)
{
    {
        // Before the init block: its name is taken, so the gateway runs and pings but never announces
        // itself. The core, never linked, ends after the box of the stopped pings.
        CHeldName squat = CHeldName::Mapping(MakeHookBlockName(SENDER_HOOK, 0));
        ASSERT_TRUE(squat.Held());
        CCoreRun run{L"ZvCoreGatewayKill1"};
        ASSERT_TRUE(Start(run, false));
        ASSERT_TRUE(Answers(m_hGateway)) << "the init block never gave up";
        EXPECT_TRUE(run.LogLinesWith(L"Hook Gateway is ready.").empty());
        KillGateway();
        const ULONGLONG ms = ExpectCoreEnds(run, GetTickCount64(), true, "before init");
        std::printf("[ figures ] gateway killed before its init block: the core ended after %llu ms\n", ms);
        ExpectSettingsKept(true, "before init");
        ExpectNothingLeft("before init");
    }
    ASSERT_TRUE(RegDeleteSettingValue(L"Version", L"Major"));

    const struct {
        WORD wSeq;
        const wchar_t* pszSent;
        const char* pszStep;
    } aStep[] = {
        // The exit's switch block, read by a gateway held before it could answer.
        {kCoreSwitchOffSeq, L"CBT notification registered, Disable, Seq = 1", "switch block unanswered"},
        // The switch answered, the end block read by a gateway held before it could answer.
        {kCoreEndSeq, L"HOOK END notification registered, Seq = 2", "end block unanswered"},
    };
    for (const auto& step : aStep) {
        CHeldName hold = CHeldName::Mutex(ReaderMutexName(SENDER_HOOK, SENDER_CORE, step.wSeq));
        ASSERT_TRUE(hold.Held()) << step.pszStep;
        CCoreRun run{L"ZvCoreGatewayKill2"};
        ASSERT_TRUE(Start(run, true)) << step.pszStep;
        ASSERT_TRUE(run.Command(ID_ZV_APP_EXIT));
        ASSERT_TRUE(run.WaitForLine(step.pszSent)) << step.pszStep;
        ASSERT_TRUE(WaitUntilStuck(m_hGateway)) << step.pszStep << ": the gateway was not held at the block";
        KillGateway();
        hold.Release();
        // The user asked for the end: it comes by the limit or the end wait, without a box.
        const ULONGLONG ms = ExpectCoreEnds(run, GetTickCount64(), false, step.pszStep);
        EXPECT_LE(ms, kAliveRecvMs + kSlackMs) << step.pszStep;
        std::printf("[ figures ] gateway killed with the core's %s: the core ended after %llu ms\n", step.pszStep, ms);
        ExpectSettingsKept(true, step.pszStep);
        ExpectNothingLeft(step.pszStep);
        ASSERT_TRUE(RegDeleteSettingValue(L"Version", L"Major"));
    }
}

TEST_F(CoreGatewayKill, TheGatewayEndsWithinItsLimitWhereverItsCoreIsKilled)
{
    {
        // Before the gateway's init block could be made: the gateway, linked to nobody, goes by its limit.
        CHeldName squat = CHeldName::Mapping(MakeHookBlockName(SENDER_HOOK, 0));
        ASSERT_TRUE(squat.Held());
        CCoreRun run{L"ZvCoreGatewayKill3"};
        ASSERT_TRUE(Start(run, false));
        ASSERT_TRUE(Answers(m_hGateway));
        KillCore(run);
        const ULONGLONG ms = ExpectGatewayEnds(GetTickCount64(), "before init");
        std::printf("[ figures ] core killed before the gateway's init block: the gateway ended after %llu ms\n", ms);
        ExpectSettingsKept(false, "before init");
        ExpectNothingLeft("before init");
    }
    {
        // A relayed block read by a core held before it could answer.
        CHeldName hold = CHeldName::Mutex(ReaderMutexName(SENDER_CORE, SENDER_HOOK, kFirstRelayedSeq));
        ASSERT_TRUE(hold.Held());
        CCoreRun run{L"ZvCoreGatewayKill4"};
        ASSERT_TRUE(Start(run, true));
        ASSERT_TRUE(PostMessageW(m_hGateway, MSG_HOOK_CBT_ACTIVATE, reinterpret_cast<WPARAM>(m_hGateway), 0));
        ASSERT_TRUE(WaitUntilStuck(run.Wnd())) << "the core was not held at the relayed block";
        KillCore(run);
        hold.Release();
        const ULONGLONG ms = ExpectGatewayEnds(GetTickCount64(), "relayed block unanswered");
        std::printf("[ figures ] core killed with a relayed block unanswered: the gateway ended after %llu ms\n", ms);
        ExpectSettingsKept(false, "relayed block unanswered");
        ExpectNothingLeft("relayed block unanswered");
    }
    {
        // In the end handshake: the end block sent, the gateway held reading it, the core killed.
        CHeldName hold = CHeldName::Mutex(ReaderMutexName(SENDER_HOOK, SENDER_CORE, kCoreEndSeq));
        ASSERT_TRUE(hold.Held());
        CCoreRun run{L"ZvCoreGatewayKill5"};
        ASSERT_TRUE(Start(run, true));
        ASSERT_TRUE(run.Command(ID_ZV_APP_EXIT));
        ASSERT_TRUE(run.WaitForLine(L"HOOK END notification registered, Seq = 2"));
        ASSERT_TRUE(WaitUntilStuck(m_hGateway));
        KillCore(run);
        const ULONGLONG tKilled = GetTickCount64();
        hold.Release();
        const ULONGLONG ms = ExpectGatewayEnds(tKilled, "end handshake");
        std::printf("[ figures ] core killed in the end handshake: the gateway ended after %llu ms\n", ms);
        ExpectSettingsKept(false, "end handshake");
        ExpectNothingLeft("end handshake");
    }
}

TEST(CoreGatewayRelay, ManyRelayedActivationsLeaveTheHandleCountsOfBothProgramsFlat)
{
    const char* pszCount = std::getenv("ZV_GTWY_RELAY_COUNT");
    const long nCount = pszCount ? std::max(1L, std::strtol(pszCount, nullptr, 10)) : 1000;
    // Well below the blocks a gateway keeps waiting at most (2048).
    constexpr long kBatch = 200;
    // Handles that come and go with the log and the timer manager, whatever the relays.
    constexpr long kSlack = 16;
    CRegistryGuard guard{kMakerKey};
    ASSERT_TRUE(RegDeleteSettings());
    DeleteFileW(GatewayIniPath().c_str());
    ASSERT_TRUE(WaitUntil([] { return ProcessesOf(ZV_HOOK32TO64_FILE).empty(); }, 5000))
        << "a gateway left from before";
    // In full view: its activation scrolls nothing.
    CTestWnds wnds;
    const HWND hWnd = wnds.StartTitled({WndArg(200, 200, 300, 200, L"Zv Relay")})[0];
    ASSERT_TRUE(hWnd);
    const RECT rc = WindowRect(hWnd);

    // No line per relay: the log's own blocks, queued until the viewer has them, would swamp the count.
    CCoreRun run{L"ZvCoreGatewayRelay"};
    ASSERT_TRUE(run.Start(L"/LOGLEVEL=INFO"));
    const HWND hGateway = WaitForWindow(ZV_GTWY_WND_TITLE, 15000);
    ASSERT_TRUE(hGateway);
    DWORD dwGatewayPid = 0;
    GetWindowThreadProcessId(hGateway, &dwGatewayPid);
    const DWORD dwCorePid = run.Process().Pid();

    // The measure itself, first: the table must know both programs.
    {
        const HANDLE hCore = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, dwCorePid);
        DWORD dwApi = 0, dwOwn = 0;
        const BOOL bApi = hCore && GetProcessHandleCount(hCore, &dwApi);
        GetProcessHandleCount(GetCurrentProcess(), &dwOwn);
        std::printf("[ figures ] GetProcessHandleCount: core %s %lu, own %lu; handle table: core %ld, own %ld\n",
                    bApi ? "ok" : "failed", dwApi, dwOwn, HandleCountOf(dwCorePid), HandleCountOf(GetCurrentProcessId()));
        if (hCore)
            CloseHandle(hCore);
    }
    ASSERT_GT(HandleCountOf(dwCorePid), 20);
    ASSERT_GT(HandleCountOf(dwGatewayPid), 20);

    // A batch of relays, then a barrier: the core takes the gateway's blocks in order, so a core held
    // at the batch's last block has handled every one before it. Released at once (the core's
    // wait for that mutex is 5 s).
    WORD wNextSeq = kFirstRelayedSeq;
    long nPosted = 0;
    const auto Relay = [&](long n) {
        const WORD wLast = static_cast<WORD>(wNextSeq + n - 1);
        CHeldName hold = CHeldName::Mutex(ReaderMutexName(SENDER_CORE, SENDER_HOOK, wLast));
        if (!hold.Held())
            return false;
        for (long i = 0; i < n; ++i)
            PostMessageW(hGateway, MSG_HOOK_CBT_ACTIVATE, reinterpret_cast<WPARAM>(hWnd), 0);
        nPosted += n;
        wNextSeq = static_cast<WORD>(wLast + 1);
        return WaitUntil(
            [&] {
                DWORD_PTR dwResult = 0;
                return SendMessageTimeoutW(run.Wnd(), WM_NULL, 0, 0, SMTO_NORMAL, 200, &dwResult) == 0;
            },
            60000, 20);
    };
    // Warmed up: whatever the first relays set up once is there before the baseline.
    ASSERT_TRUE(Relay(kBatch));
    const long nCore0 = SettledHandleCount(dwCorePid), nGateway0 = SettledHandleCount(dwGatewayPid);
    const std::map<int, long> core0 = HandleTypesOf(dwCorePid);
    ASSERT_GT(nCore0, 0);
    ASSERT_GT(nGateway0, 0);

    long nCorePeak = nCore0, nGatewayPeak = nGateway0;
    const ULONGLONG t0 = GetTickCount64();
    while (nPosted < kBatch + nCount) {
        ASSERT_TRUE(Relay(std::min(kBatch, kBatch + nCount - nPosted))) << nPosted << " posted";
        nCorePeak = std::max(nCorePeak, HandleCountOf(dwCorePid));
        nGatewayPeak = std::max(nGatewayPeak, HandleCountOf(dwGatewayPid));
    }
    const ULONGLONG msRelays = GetTickCount64() - t0;
    // The last block answered and freed: the counts settle where they were.
    const long nCore1 = SettledHandleCount(dwCorePid), nGateway1 = SettledHandleCount(dwGatewayPid);
    std::printf("[ figures ] %ld relayed activations in %llu ms; handles: core %ld -> %ld (peak %ld), "
                "gateway %ld -> %ld (peak %ld)\n",
                nCount, msRelays, nCore0, nCore1, nCorePeak, nGateway0, nGateway1, nGatewayPeak);
    EXPECT_GT(nCore1, 0);
    EXPECT_LE(nCore1, nCore0 + kSlack) << "the core's handles grew with the relays: before" << Describe(core0)
                                       << " after" << Describe(HandleTypesOf(dwCorePid));
    EXPECT_GT(nGateway1, 0);
    EXPECT_LE(nGateway1, nGateway0 + kSlack) << "the gateway's handles grew with the relays";
    EXPECT_TRUE(SameRect(rc, WindowRect(hWnd))) << "an activation in view scrolled";

    ASSERT_TRUE(run.Command(ID_ZV_APP_EXIT));
    EXPECT_EQ(run.Process().WaitForExit(10000), std::optional<DWORD>(0));
    EXPECT_TRUE(WaitUntil([] { return ProcessesOf(ZV_HOOK32TO64_FILE).empty(); }, 10000));
}
