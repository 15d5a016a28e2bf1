// The core program against a gateway that misbehaves. A stand-in played by the test thread holds the
// gateway's single-instance mutex (the core's own gateway is refused and ends after its box) and
// links through the system's events with blocks written byte by byte: malformed blocks are refused,
// each with its line, and the link still carries a relayed activation afterwards; a stand-in that
// never answers the core holds neither its scrolls nor its end. The real gateway killed or stopped
// makes the core show its alive box after the receive limit and end without spoiling the settings.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "Handle.h"
#include "CoreRun.h"
#include "HkGtwyEvtMngr.h"
#include "HookNtfy.h"
#include "Sender.h"
#include "SettingsNames.h"
#include "SharedMemHook.h"
#include "Strings.h"
#include "ZvMessages.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;

namespace {

// The two alive intervals of the gateway link, by the names the settings store them under.
const wchar_t* const kAliveSendEntry =
    zvsettings::ValueName(g_aPropTimerValues, &PROP_TIMER::dwAliveNotificationSendInterval);
const wchar_t* const kAliveRecvEntry =
    zvsettings::ValueName(g_aPropTimerValues, &PROP_TIMER::dwAliveNotificationReceiveLimit);
constexpr char kRefused[] = "Hook Gateway block refused";
constexpr char kRefusedMissing[] = "does not exist; not answered";
constexpr char kRefusedUnknown[] = "of unknown kind";
constexpr char kStaleNtfy[] = "Hook Gateway notification ignored";
constexpr char kStaleRsp[] = "Hook Gateway answer ignored";
constexpr char kQueueFull[] = "queue full";
// The page a small mapping's view fills.
constexpr size_t kView = 4096;

// ---- Blocks as bytes -------------------------------------------------------------------------

void Put32(std::vector<BYTE>& v, size_t nOfs, uint32_t u)
{
    for (int i = 0; i < 4; ++i)
        v[nOfs + i] = static_cast<BYTE>(u >> (8 * i));
}

int Get32(const std::vector<BYTE>& v, size_t nOfs)
{
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= static_cast<uint32_t>(v[nOfs + i]) << (8 * i);
    return static_cast<int>(u);
}

BYTE XorOf(const std::vector<BYTE>& v, int nCount)
{
    BYTE b = 0;
    for (int i = 0; i < nCount; ++i)
        b ^= v[i];
    return b;
}

// Stores nLen and its checksum byte (the writing rule: bytes 0 .. nLen - 2).
void Seal(std::vector<BYTE>& v, int nLen)
{
    if (v.size() < static_cast<size_t>(nLen) + 1)
        v.resize(static_cast<size_t>(nLen) + 1);
    Put32(v, 0, static_cast<uint32_t>(nLen));
    v[nLen] = XorOf(v, nLen - 1);
}

// A sound block: frame head, tag and payload, sealed.
std::vector<BYTE> SoundBlock(const std::vector<BYTE>& payload)
{
    const int nLen = HOOK_PAYLOAD_OFS + static_cast<int>(payload.size());
    std::vector<BYTE> v(static_cast<size_t>(nLen) + 1);
    memcpy(v.data() + 4, HOOK_BLOCK_TAG, sizeof(HOOK_BLOCK_TAG));
    memcpy(v.data() + HOOK_PAYLOAD_OFS, payload.data(), payload.size());
    Seal(v, nLen);
    return v;
}

std::vector<BYTE> CbtPayload(UINT uMsg, uint64_t wParam, uint64_t lParam)
{
    HOOK_NTFY_CBT rec{};
    rec.nKind = HOOK_KIND_CBT;
    rec.uMsg = uMsg;
    rec.wParam = wParam;
    rec.lParam = lParam;
    const auto* pb = reinterpret_cast<const BYTE*>(&rec);
    return std::vector<BYTE>(pb, pb + sizeof(rec));
}

// The window in the low half of the wide word, as a 32-bit gateway writes it; u64High is what a
// careless writer might leave in the upper half, which the core must not read.
std::vector<BYTE> ActivationBlock(HWND hWnd, uint64_t u64High = 0)
{
    const uint64_t u64Wnd = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(hWnd)) | (u64High << 32);
    return SoundBlock(CbtPayload(MSG_HOOK_CBT_ACTIVATE, u64Wnd, 0));
}

// How the core reads a block mapped in one page: nullopt when unsound, else its kind word.
std::optional<int> CoreReading(std::vector<BYTE> v)
{
    v.resize(kView);
    const int nLen = Get32(v, 0);
    if (nLen < HOOK_PAYLOAD_OFS + 4 || static_cast<size_t>(nLen) >= kView || v[nLen] != XorOf(v, nLen - 1))
        return std::nullopt;
    if (strnlen(reinterpret_cast<const char*>(v.data() + 4), HOOK_TAG_FIELD) != HOOK_TAG_FIELD - 1 ||
        memcmp(v.data() + 4, HOOK_BLOCK_TAG, HOOK_TAG_FIELD) != 0)
        return std::nullopt;
    const int nKind = Get32(v, HOOK_PAYLOAD_OFS);
    const int nKindLen = GetHookBlockLen(nKind);
    if (nKindLen != 0 && nKindLen != nLen)
        return std::nullopt;
    return nKind;
}

struct FUZZ_BLOCK {
    std::vector<BYTE> bytes;
    DWORD cbMap;
    bool bUnknownKind;
};

// One malformed block, of a kind of fault picked at random; every one is refused by the core.
FUZZ_BLOCK MakeFuzzBlock(std::mt19937& rng)
{
    auto pick = [&](int nLo, int nHi) { return std::uniform_int_distribution<int>(nLo, nHi)(rng); };
    for (;;) {
        std::vector<BYTE> v = SoundBlock(CbtPayload(static_cast<UINT>(pick(0, 0xFFFF)), rng(), rng()));
        DWORD cbMap = static_cast<DWORD>(v.size());
        switch (pick(0, 7)) {
        case 0:  // a size word of another length, sealed there
            Seal(v, pick(0, 4000));
            cbMap = static_cast<DWORD>(v.size());
            break;
        case 1:  // a size word beyond the mapping, or negative
            Put32(v, 0, static_cast<uint32_t>(pick(0, 1) ? pick(static_cast<int>(kView) - 1, INT_MAX) : pick(INT_MIN, -1)));
            break;
        case 2:  // the tag changed, or its zero taken
            v[4 + pick(0, HOOK_TAG_FIELD - 1)] ^= static_cast<BYTE>(pick(1, 255));
            Seal(v, Get32(v, 0));
            break;
        case 3:  // the checksum
            v[Get32(v, 0)] ^= static_cast<BYTE>(pick(1, 255));
            break;
        case 4: {  // an unknown kind in a sound frame
            std::vector<BYTE> payload(static_cast<size_t>(pick(4, 200)));
            for (BYTE& b : payload)
                b = static_cast<BYTE>(rng());
            int nKind = static_cast<int>(rng());
            if (nKind >= HOOK_KIND_INIT && nKind <= HOOK_KIND_CBT)
                nKind = -nKind;
            Put32(payload, 0, static_cast<uint32_t>(nKind));
            v = SoundBlock(payload);
            cbMap = static_cast<DWORD>(v.size());
            break;
        }
        case 5:  // a known kind at another kind's length
            Put32(v, HOOK_PAYLOAD_OFS, static_cast<uint32_t>(pick(HOOK_KIND_INIT, HOOK_KIND_SWTCH)));
            Seal(v, Get32(v, 0));
            break;
        case 6:  // the mapping cut short: the rest of its page reads as zeros
            cbMap = static_cast<DWORD>(pick(1, static_cast<int>(v.size()) - 2));
            v.resize(cbMap);
            break;
        default:  // noise
            v.resize(static_cast<size_t>(pick(1, 300)));
            for (BYTE& b : v)
                b = static_cast<BYTE>(rng());
            cbMap = static_cast<DWORD>(v.size());
            break;
        }
        const std::optional<int> kind = CoreReading(v);
        // A fault that happens to leave a block the core would take is made again.
        if (kind && GetHookBlockLen(*kind) != 0)
            continue;
        return FUZZ_BLOCK{std::move(v), cbMap, kind.has_value()};
    }
}

// ---- The log, read as it grows ---------------------------------------------------------------

// Counts ASCII markers in the core's UTF-8 log, reading only what was added since the last call.
class CLogCounter {
public:
    explicit CLogCounter(std::wstring strPath) : m_strPath(std::move(strPath)) {}
    size_t Count(const std::string& strMark)
    {
        Read();
        return m_counts[strMark];
    }
    void Track(const std::string& strMark) { m_counts.emplace(strMark, 0); }

private:
    void Read()
    {
        const HANDLE h = CreateFileW(m_strPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return;
        LARGE_INTEGER li{};
        li.QuadPart = m_nOffset;
        SetFilePointerEx(h, li, nullptr, FILE_BEGIN);
        std::string strNew;
        char buf[65536];
        DWORD dwRead = 0;
        while (ReadFile(h, buf, sizeof(buf), &dwRead, nullptr) && dwRead)
            strNew.append(buf, dwRead);
        CloseHandle(h);
        // Whole lines only: a line still being written is counted next time.
        const size_t nEnd = strNew.rfind('\n');
        if (nEnd == std::string::npos)
            return;
        strNew.resize(nEnd + 1);
        m_nOffset += static_cast<LONGLONG>(strNew.size());
        for (auto& [strMark, nCount] : m_counts)
            nCount += CountOf(zvkit::FromUtf8(strNew), zvkit::FromUtf8(strMark));
    }

    std::wstring m_strPath;
    LONGLONG m_nOffset = 0;
    std::map<std::string, size_t> m_counts;
};

// ---- The stand-in gateway --------------------------------------------------------------------

// The gateway's end of the link played on the test thread with the system's names: it holds the
// single-instance mutex, so the gateway the core starts is refused, and opens the four link events
// and its alive event itself.
class CStandInGateway {
public:
    CStandInGateway()
    {
        m_hMutex = CreateMutexW(nullptr, FALSE, ZV_GTWY_MUTEX_NAME);
        m_bOwnMutex = m_hMutex && GetLastError() != ERROR_ALREADY_EXISTS;
        m_hGwNtfy = CreateEventW(nullptr, TRUE, FALSE, HKGTWY_EVT_GTWY_NTFY);
        m_hGwRsp = CreateEventW(nullptr, TRUE, FALSE, HKGTWY_EVT_GTWY_RSP);
        m_hCoreNtfy = CreateEventW(nullptr, TRUE, FALSE, HKGTWY_EVT_CORE_NTFY);
        m_hCoreRsp = CreateEventW(nullptr, TRUE, FALSE, HKGTWY_EVT_CORE_RSP);
        m_hAlive = CreateEventW(nullptr, TRUE, FALSE, FormatString(HKGTWY_EVT_ALIVE_FORMAT, SENDER_HOOK, SENDER_CORE).c_str());
    }
    ~CStandInGateway()
    {
        for (HANDLE h : {m_hMutex, m_hGwNtfy, m_hGwRsp, m_hCoreNtfy, m_hCoreRsp, m_hAlive})
            if (h)
                CloseHandle(h);
    }
    CStandInGateway(const CStandInGateway&) = delete;
    CStandInGateway& operator=(const CStandInGateway&) = delete;

    bool IsReady() const
    {
        return m_bOwnMutex && m_hGwNtfy && m_hGwRsp && m_hCoreNtfy && m_hCoreRsp &&
               m_hAlive;
    }
    // The refused gateway the core started: its box closed, its end waited for.
    static bool SeeRefusedGatewayOut()
    {
        std::set<DWORD> pids;
        if (!WaitUntil([&] { return !(pids = ProcessesOf(ZV_HOOK32TO64_FILE)).empty(); }, 15000))
            return false;
        const HWND hBox = WaitForMessageBox(*pids.begin(), 15000);
        return hBox && CloseMessageBox(hBox) &&
               WaitUntil([] { return ProcessesOf(ZV_HOOK32TO64_FILE).empty(); }, 10000);
    }

    void SetAnswerCore(bool b) { m_bAnswerCore = b; }
    WORD NextSeq() const { return m_wSeq; }
    const std::vector<int>& CoreKinds() const { return m_coreKinds; }
    size_t CoreBlocksSeen() const { return m_nCoreSeen; }

    // A block of these bytes in a mapping of cbMap bytes under the next own number, announced; true
    // once the core answered it (within dwWaitMs), and the number moves on.
    bool Announce(const std::vector<BYTE>& bytes, DWORD cbMap, DWORD dwWaitMs = 5000)
    {
        const HANDLE hMap = MakeMapping(MakeHookBlockName(SENDER_HOOK, m_wSeq), bytes, cbMap);
        if (!hMap)
            return false;
        ResetEvent(m_hGwRsp);
        SetEvent(m_hGwNtfy);
        const bool bAnswered = WaitForAnswer(dwWaitMs);
        CloseHandle(hMap);
        if (bAnswered) {
            ResetEvent(m_hGwRsp);
            ++m_wSeq;
        }
        return bAnswered;
    }
    bool Announce(const std::vector<BYTE>& bytes) { return Announce(bytes, static_cast<DWORD>(bytes.size())); }
    // The notify event alone: the core finds whatever lies under its expected number.
    void Signal()
    {
        ResetEvent(m_hGwRsp);
        SetEvent(m_hGwNtfy);
    }
    bool Answered(DWORD dwWaitMs) const { return WaitForSingleObject(m_hGwRsp, dwWaitMs) == WAIT_OBJECT_0; }

    // Reads and answers the core's block when one is announced, and pings every second.
    void Serve()
    {
        const ULONGLONG qwNow = GetTickCount64();
        if (qwNow - m_qwPing >= 1000) {
            SetEvent(m_hAlive);
            m_qwPing = qwNow;
        }
        if (!m_bAnswerCore || WaitForSingleObject(m_hCoreNtfy, 0) != WAIT_OBJECT_0)
            return;
        {
            CSharedMemHook block(SENDER_HOOK);
            const bool bOpen = block.Open(MakeHookBlockName(SENDER_CORE, m_wSeqCore).c_str(), FALSE, FILE_MAP_READ);
            m_coreKinds.push_back(bOpen ? block.GetKind() : -1);
        }
        ++m_nCoreSeen;
        ++m_wSeqCore;
        ResetEvent(m_hCoreNtfy);
        SetEvent(m_hCoreRsp);
    }
    // Posts to the core's window what its wait threads post, with numbers it does not expect.
    void PostStale(HWND hCore) const
    {
        PostMessageW(hCore, MSG_HKGTWY_NTFY_DTCT, static_cast<WORD>(m_wSeq + 500), 0);
        PostMessageW(hCore, MSG_HKGTWY_RSP_DTCT, static_cast<WORD>(m_wSeqCore + 1000), 0);
    }

    static HANDLE MakeMapping(const std::wstring& strName, const std::vector<BYTE>& bytes, DWORD cbMap)
    {
        const HANDLE hMap = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, cbMap, strName.c_str());
        if (!hMap)
            return nullptr;
        if (void* pv = MapViewOfFile(hMap, FILE_MAP_WRITE, 0, 0, 0)) {
            memcpy(pv, bytes.data(), std::min<size_t>(bytes.size(), cbMap));
            UnmapViewOfFile(pv);
            return hMap;
        }
        CloseHandle(hMap);
        return nullptr;
    }

private:
    bool WaitForAnswer(DWORD dwWaitMs)
    {
        const ULONGLONG qwEnd = GetTickCount64() + dwWaitMs;
        for (;;) {
            Serve();
            const ULONGLONG qwNow = GetTickCount64();
            if (qwNow >= qwEnd)
                return false;
            const HANDLE ah[] = {m_hGwRsp, m_hCoreNtfy};
            const DWORD dwWait = static_cast<DWORD>(std::min<ULONGLONG>(qwEnd - qwNow, 200));
            if (WaitForMultipleObjects(m_bAnswerCore ? 2 : 1, ah, FALSE, dwWait) == WAIT_OBJECT_0)
                return true;
        }
    }

    HANDLE m_hMutex = nullptr, m_hGwNtfy = nullptr, m_hGwRsp = nullptr, m_hCoreNtfy = nullptr, m_hCoreRsp = nullptr,
           m_hAlive = nullptr;
    bool m_bOwnMutex = false;
    WORD m_wSeq = 0;
    WORD m_wSeqCore = 0;
    bool m_bAnswerCore = true;
    ULONGLONG m_qwPing = 0;
    size_t m_nCoreSeen = 0;
    std::vector<int> m_coreKinds;
};

unsigned FuzzCount()
{
    wchar_t sz[32] = {};
    if (GetEnvironmentVariableW(L"ZV_GTWY_FUZZ_COUNT", sz, 32) && _wtoi(sz) > 0)
        return static_cast<unsigned>(_wtoi(sz));
    // About 23 ms a block with the core logging at DEBUG level: some 30 s in all.
    return 1200;
}

// ---- The settings, whole --------------------------------------------------------------------

using REG_TREE = std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>>;

void ReadTree(HKEY hParent, const std::wstring& strPath, REG_TREE& tree)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hParent, strPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0;; ++i) {
        wchar_t szName[512];
        DWORD cchName = 512, dwType = 0, cbData = 0;
        if (RegEnumValueW(hKey, i, szName, &cchName, nullptr, &dwType, nullptr, &cbData) != ERROR_SUCCESS)
            break;
        std::vector<BYTE> data(cbData);
        cchName = 512;
        RegEnumValueW(hKey, i, szName, &cchName, nullptr, &dwType, data.data(), &cbData);
        tree[strPath + L"|" + szName] = {dwType, data};
    }
    std::vector<std::wstring> subs;
    for (DWORD i = 0;; ++i) {
        wchar_t szName[512];
        DWORD cchName = 512;
        if (RegEnumKeyExW(hKey, i, szName, &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subs.push_back(szName);
    }
    RegCloseKey(hKey);
    for (const std::wstring& strSub : subs)
        ReadTree(hParent, strPath + L"\\" + strSub, tree);
}

}  // namespace

TEST(CoreGatewayFuzz, MalformedBlocksAreRefusedEachWithItsLineAndTheLinkStillRelaysAnActivation)
{
    CRegistryGuard guard{kMakerKey};
    ASSERT_TRUE(RegDeleteSettings());
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
    ASSERT_TRUE(WaitUntil([] { return ProcessesOf(ZV_HOOK32TO64_FILE).empty(); }, 5000))
        << "a gateway left from before";
    CStandInGateway gw;
    ASSERT_TRUE(gw.IsReady()) << "the gateway's mutex or the link's events";
    CCoreRun run{L"ZvCoreGatewayFuzzTest"};
    // Every line in one file: the viewer would start a new one after 1000 lines.
    ASSERT_TRUE(run.Start(L"/LOGLINE=100000000"));
    ASSERT_TRUE(CStandInGateway::SeeRefusedGatewayOut()) << "the core's own gateway, refused, did not end";
    // The windows come after the box: its end activates a window, which the core would scroll for.
    const RECT rcWork = WorkArea();
    CTestWnds wnds;
    const auto [hA, hX] = wnds.StartTitled({WndArg(100, 100, 300, 200, L"Zv Fz A"),
                                            WndArg(rcWork.right - 100, 300, 400, 200, L"Zv Fz X", L"noactivate")});
    ASSERT_TRUE(hA && hX);
    ASSERT_TRUE(wnds.Foreground(hA));
    ASSERT_TRUE(run.WaitForMoveEnd());
    const RECT rcA = WindowRect(hA), rcX = WindowRect(hX);
    CLogCounter log{run.LogPath()};
    for (const char* psz : {kRefused, kRefusedMissing, kRefusedUnknown, kStaleNtfy, kStaleRsp, kQueueFull})
        log.Track(psz);

    // The link: an init block, then the core's switch block for the window-event hook answered.
    ASSERT_TRUE(gw.Announce(SoundBlock({1, 0, 0, 0, 0, 0, 0, 0}))) << "the init block was not answered";
    ASSERT_TRUE(run.WaitForLine(L"Hook Gateway is ready."));
    ASSERT_TRUE(WaitUntil([&] { gw.Serve(); return gw.CoreBlocksSeen() >= 1; }, 5000)) << "no switch block";
    EXPECT_EQ(std::vector<int>{HOOK_KIND_SWTCH}, gw.CoreKinds());

    const unsigned nCount = FuzzCount();
    std::mt19937 rng(20261209u + nCount);
    size_t nMalformed = 0, nUnknown = 0, nMissing = 0, nStale = 0;
    const auto tStart = std::chrono::steady_clock::now();
    for (unsigned i = 0; i < nCount; ++i) {
        if (i % 50 == 25) {
            // Nothing under the expected number: no block, another kind of object by its name, or
            // a sound activation under a later or an earlier number, which must never be read.
            const WORD wSeq = gw.NextSeq();
            HANDLE hOther = nullptr;
            switch ((i / 50) % 3) {
            case 0:
                break;
            case 1:
                hOther = CreateEventW(nullptr, TRUE, FALSE, MakeHookBlockName(SENDER_HOOK, wSeq).c_str());
                break;
            default: {
                const std::vector<BYTE> act = ActivationBlock(hX);
                const WORD wOther = static_cast<WORD>(wSeq + (i % 2 ? 1 : -1));
                hOther = CStandInGateway::MakeMapping(MakeHookBlockName(SENDER_HOOK, wOther), act,
                                                      static_cast<DWORD>(act.size()));
                break;
            }
            }
            ++nMissing;
            gw.Signal();
            const bool bLine = WaitUntil([&] { gw.Serve(); return log.Count(kRefusedMissing) >= nMissing; }, 5000, 5);
            const bool bAnswered = gw.Answered(0);
            if (hOther)
                CloseHandle(hOther);
            ASSERT_TRUE(bLine) << "no refusal line for a missing block " << wSeq << ", counted " << log.Count(kRefusedMissing)
                               << " of " << nMissing << ", in the log " << CountOf(run.Log(), L"does not exist; not answered") << ":\n"
                               << run.LogLinesWith(L"does not exist") << run.LogLinesWith(L"sound block; answered").substr(0, 2000) << "\n"
                               << run.LogLinesWith(L"Seq = " + std::to_wstring(wSeq));
            ASSERT_FALSE(bAnswered) << "a missing block answered, " << wSeq;
            continue;
        }
        if (i % 97 == 0) {
            gw.PostStale(run.Wnd());
            ++nStale;
        }
        const FUZZ_BLOCK block = MakeFuzzBlock(rng);
        ++nMalformed;
        nUnknown += block.bUnknownKind;
        ASSERT_TRUE(gw.Announce(block.bytes, block.cbMap)) << "block " << i << " not answered";
        // The log keeps pace: its queue drops lines past its limit.
        if (i % 50 == 0) {
            ASSERT_TRUE(WaitUntil([&] { gw.Serve(); return log.Count(kRefused) >= nMalformed + nMissing; }, 10000, 5))
                << "refusal lines " << log.Count(kRefused) << " of " << nMalformed + nMissing;
        }
    }
    const double dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - tStart).count();
    std::printf("[ figure ] %u gateway blocks (%zu malformed, %zu missing) in %.1f s: %.2f ms a block\n", nCount,
                nMalformed, nMissing, dSeconds, 1000.0 * dSeconds / nCount);

    EXPECT_TRUE(WaitUntil([&] { gw.Serve(); return log.Count(kRefused) >= nMalformed + nMissing; }, 10000));
    EXPECT_EQ(nMalformed + nMissing, log.Count(kRefused)) << "one refusal line a block";
    EXPECT_EQ(nMissing, log.Count(kRefusedMissing));
    EXPECT_EQ(nUnknown, log.Count(kRefusedUnknown));
    EXPECT_GE(log.Count(kStaleNtfy), nStale) << "stale notifications";
    EXPECT_GE(log.Count(kStaleRsp), nStale) << "stale answers";
    EXPECT_EQ(0u, log.Count(kQueueFull)) << "log lines dropped";
    EXPECT_TRUE(run.Process().IsRunning()) << "the core ended";
    EXPECT_TRUE(SameRect(rcA, WindowRect(hA))) << "a refused block moved the windows";
    EXPECT_TRUE(SameRect(rcX, WindowRect(hX)));

    // The link still works: a relayed activation is answered and scrolled for (its window read
    // from the low half of the word alone), keys and device requests still scroll.
    ASSERT_TRUE(gw.Announce(ActivationBlock(hX, 0xA5A5A5A5u))) << "a sound activation was not answered";
    EXPECT_TRUE(WaitUntil([&] { gw.Serve(); return SameRect(Shifted(rcA, -300, 0), WindowRect(hA)); }, 5000))
        << "not scrolled for the relayed activation";
    EXPECT_TRUE(SameRect(Shifted(rcX, -300, 0), WindowRect(hX)));
    ASSERT_TRUE(run.TypeAndSettle({VK_CONTROL, VK_MENU, VK_RIGHT}));
    EXPECT_TRUE(SameRect(Shifted(rcA, -310, 0), WindowRect(hA))) << "Ctrl+Alt+Right";
    ASSERT_TRUE(run.PostDevice(DEVFLAG_LEFT, kKeybdHorzLine));
    ASSERT_TRUE(run.WaitForMoveEnd());
    EXPECT_TRUE(SameRect(Shifted(rcA, -300, 0), WindowRect(hA))) << "a device request";

    // The end handshake with the stand-in answering the end block.
    ASSERT_TRUE(run.Command(ID_ZV_APP_EXIT));
    std::optional<DWORD> exitCore;
    EXPECT_TRUE(WaitUntil([&] { gw.Serve(); return (exitCore = run.Process().WaitForExit(0)).has_value(); }, 10000));
    EXPECT_EQ(std::optional<DWORD>(0), exitCore);
    EXPECT_EQ(HOOK_KIND_END, gw.CoreKinds().empty() ? 0 : gw.CoreKinds().back()) << "ended by the handshake";
}

TEST(CoreGatewayFuzz, AGatewayThatNeverAnswersHoldsNeitherScrollsNorTheEnd)
{
    CRegistryGuard guard{kMakerKey};
    ASSERT_TRUE(RegDeleteSettings());
    // Speed 3: a page goes in passes, paced by the core's timer.
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 3));
    ASSERT_TRUE(WaitUntil([] { return ProcessesOf(ZV_HOOK32TO64_FILE).empty(); }, 5000))
        << "a gateway left from before";
    CStandInGateway gw;
    ASSERT_TRUE(gw.IsReady());
    gw.SetAnswerCore(false);
    CCoreRun run{L"ZvCoreGatewayMuteTest"};
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(CStandInGateway::SeeRefusedGatewayOut());
    const RECT rcWork = WorkArea();
    CTestWnds wnds;
    const auto [hA, hX] = wnds.StartTitled({WndArg(300, 200, 300, 200, L"Zv Mute A"),
                                            WndArg(rcWork.right - 100, 450, 400, 180, L"Zv Mute X", L"noactivate")});
    ASSERT_TRUE(hA && hX);
    ASSERT_TRUE(wnds.Foreground(hA));
    ASSERT_TRUE(run.WaitForMoveEnd());
    const RECT rcA = WindowRect(hA);
    ASSERT_TRUE(gw.Announce(SoundBlock({1, 0, 0, 0, 0, 0, 0, 0})));
    ASSERT_TRUE(run.WaitForLine(L"Hook Gateway is ready."));
    ASSERT_TRUE(run.WaitForLine(L"CBT notification registered")) << "the switch block, left unanswered";

    const size_t nLogBefore = run.Log().size();
    ASSERT_TRUE(run.TypeAndSettle({VK_SHIFT, VK_CONTROL, VK_MENU, VK_RIGHT}));
    const RECT rcPaged = WindowRect(hA);
    EXPECT_LT(rcPaged.left, rcA.left) << "a page to the right";
    EXPECT_EQ(rcA.top, rcPaged.top);
    std::vector<int> passes;
    int nSum = 0;
    for (int dx : PassesX(MoveLines(run.Log().substr(nLogBefore), L"Zv Mute A"))) {
        if (dx != 0)
            passes.push_back(dx);
        nSum += dx;
    }
    EXPECT_EQ(3u, passes.size()) << "the page in passes";
    EXPECT_EQ(rcPaged.left - rcA.left, nSum) << "the passes make the page";
    // Its own blocks still reach the core.
    ASSERT_TRUE(gw.Announce(ActivationBlock(hX)));
    EXPECT_TRUE(WaitUntil([&] { gw.Serve(); return WindowRect(hX).right == rcWork.right; }, 5000))
        << "not scrolled for the relayed activation";

    // The exit waits for the switch block's answer no longer than its end bound.
    ASSERT_TRUE(run.WaitForMoveEnd());
    const ULONGLONG qwExit = GetTickCount64();
    ASSERT_TRUE(run.Command(ID_ZV_APP_EXIT));
    const auto exitCore = run.Process().WaitForExit(10000);
    const ULONGLONG qwTook = GetTickCount64() - qwExit;
    ASSERT_TRUE(exitCore.has_value()) << "the core did not end";
    EXPECT_EQ(0u, *exitCore);
    EXPECT_LT(qwTook, 8000u) << "the end bound is 5 s";
    EXPECT_EQ(0u, CountOf(run.Log(), L"HOOK END notification registered")) << "no end block behind an unanswered one";
    std::printf("[ figure ] the core ended %llu ms after the exit command, its switch block unanswered\n", qwTook);
}

TEST(CoreGatewayFuzz, AGatewayKilledOrStoppedBringsTheAliveBoxAfterTheLimitAndTheCoreEndsSavingNothingWrong)
{
    CRegistryGuard guard{kMakerKey};
    ASSERT_TRUE(RegDeleteSettings());
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 2));
    ASSERT_TRUE(RegSetDword(PROP_SECTION_TIMER, kAliveRecvEntry, 3000));
    ASSERT_TRUE(RegSetDword(PROP_SECTION_TIMER, kAliveSendEntry, 500));
    wchar_t szWinDir[MAX_PATH] = {};
    GetWindowsDirectoryW(szWinDir, MAX_PATH);
    const std::wstring strIni = std::wstring(szWinDir) + L"\\ZvHook32to64.INI";
    // The gateway pings well within the core's limit until it goes.
    ASSERT_TRUE(WritePrivateProfileStringW(PROP_SECTION_TIMER, kAliveSendEntry, L"500", strIni.c_str()));
    const std::wstring strText = CoreString(IDS_ZV_ERR_HKGTWY_ALIVE);
    ASSERT_FALSE(strText.empty());

    // A first run ends in order and writes the settings; what it wrote is what the others keep.
    {
        CCoreRun run{L"ZvCoreGatewayAliveSave"};
        ASSERT_TRUE(run.Start());
        ASSERT_TRUE(run.WaitForLine(L"Hook Gateway is ready.", 1, 15000));
        ASSERT_TRUE(run.Command(ID_ZV_APP_EXIT));
        ASSERT_EQ(std::optional<DWORD>(0), run.Process().WaitForExit(10000));
    }
    ASSERT_TRUE(WaitUntil([] { return ProcessesOf(ZV_HOOK32TO64_FILE).empty(); }, 10000));
    REG_TREE before;
    ReadTree(HKEY_CURRENT_USER, kMakerKey, before);
    ASSERT_FALSE(before.empty());

    for (const bool bKill : {true, false}) {
        SCOPED_TRACE(bKill ? "killed" : "stopped");
        CCoreRun run{bKill ? L"ZvCoreGatewayKilled" : L"ZvCoreGatewayStopped"};
        ASSERT_TRUE(run.Start());
        const HWND hGateway = WaitForWindow(ZV_GTWY_WND_TITLE, 15000);
        ASSERT_TRUE(hGateway);
        ASSERT_TRUE(run.WaitForLine(L"Hook Gateway is ready.", 1, 15000));
        DWORD dwPid = 0;
        GetWindowThreadProcessId(hGateway, &dwPid);
        const HANDLE hProcess = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwPid);
        ASSERT_TRUE(hProcess);
        // Pings for longer than the limit have kept the core going.
        ASSERT_TRUE(run.WaitForLine(L"Alive notification evt rcved", 8, 15000));
        ASSERT_EQ(0u, FindMessageBoxes(run.Process().Pid()).size()) << "the box while the gateway pings";
        std::vector<CHandle> threads;
        const ULONGLONG qwGone = GetTickCount64();
        if (bKill) {
            ASSERT_TRUE(TerminateProcess(hProcess, 9));
        } else {
            threads = SuspendAll(dwPid);
            ASSERT_FALSE(threads.empty());
        }
        const HWND hBox = WaitForMessageBox(run.Process().Pid(), 10000);
        const ULONGLONG qwBox = GetTickCount64() - qwGone;
        ASSERT_TRUE(hBox) << "no alive box";
        EXPECT_EQ(strText, MessageBoxText(hBox));
        // The limit counts from the last ping, at most one send interval before the gateway went.
        EXPECT_GE(qwBox, 2000u) << "the box before the limit";
        std::printf("[ figure ] alive box %llu ms after the gateway was %s (limit 3000 ms, pings every 500 ms)\n",
                    qwBox, bKill ? "killed" : "stopped");
        EXPECT_TRUE(run.Process().IsRunning()) << "the core ended before its box was closed";
        ASSERT_TRUE(CloseMessageBox(hBox));
        const auto exitCore = run.Process().WaitForExit(10000);
        ASSERT_TRUE(exitCore.has_value()) << "the core did not end after its box";
        EXPECT_EQ(0u, *exitCore);
        EXPECT_TRUE(run.WaitForLine(L"Hook Gateway alive notification is stopped."));
        ResumeAll(threads);
        TerminateProcess(hProcess, 9);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hProcess, 10000));
        CloseHandle(hProcess);
        REG_TREE after;
        ReadTree(HKEY_CURRENT_USER, kMakerKey, after);
        EXPECT_TRUE(before == after) << "the settings changed: " << before.size() << " values before, " << after.size()
                                     << " after";
    }
    DeleteFileW(strIni.c_str());
}
