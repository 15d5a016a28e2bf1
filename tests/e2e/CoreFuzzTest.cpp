// Hostile or stray private messages: a long run of random messages of the private range
// (0x8000-0x80FF) with every kind of parameter, posted to the core program's hidden window, must
// leave it answering within seconds of the last, scrolling by exactly the asked distance, ending on
// WM_CLOSE with exit code 0, and with at most one log viewer. Two sequences run: one with the queue
// let drain on the way, one posted as a single flood.
//
// A failure is replayed and narrowed from the environment:
//   ZV_FUZZ_SEED=n      the seed of the drained run (every run prints its own; default 1)
//   ZV_FUZZ_COUNT=n     how many messages it posts (default 20000; 200000 for a long run)
//   ZV_FUZZ_FLOOD_SEED=n, ZV_FUZZ_FLOOD_COUNT=n
//                       the same for the flood, posted without a drain (default 2 and 10000)
//   ZV_FUZZ_ONLY=list   only these numbers, e.g. "0x8052" or "0x8040-0x804F,0x8076"
//   ZV_FUZZ_SKIP=list   never these
//   ZV_FLOOD_COUNT=n    how many costly requests the flood of them posts, twice (default 4000)
//   ZV_FUZZ_LOG=path    keep a copy of the core program's log there
//   ZV_FUZZ_DRAIN=n     let the drained run's queue drain after every n messages (default 1000); 0:
//                       only at the end (Wine's queues have no limit, so the backlog grows with the run)
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cwchar>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "CoreRun.h"
#include "FakeSettings.h"
#include "LogManager.h"
#include "ZvMessages.h"
#include "ZvNames.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;

namespace {

constexpr int kKeybdHorzLineWidth = 10;
constexpr POINT kMiddle{640, 500};
constexpr POINT kLeftEdge{5, 500};
constexpr wchar_t kProbeClass[] = L"ZvFuzzProbe";
// A key release of a code no key row uses: should the capture not take it, it does nothing.
constexpr WPARAM kProbeVk = 0xE8;
constexpr LPARAM kProbeRelease = 0x80000000;
// A key release that nothing else sends, and the line the core program logs for it.
constexpr WPARAM kStrayVk = 0xE7;
constexpr wchar_t kStrayVkLine[] = L"Keyboard Event Hooked! wParam=0xe7,";
constexpr size_t kDrainEvery = 1000;
constexpr size_t kViewerCountEvery = 1000;
constexpr DWORD kDrainTimeoutMs = 30000;
// However long the queue behind it, the core program answers within this time.
constexpr DWORD kAnswerTimeoutMs = 10000;
constexpr DWORD kLateAnswerTimeoutMs = 200000;

std::wstring EnvText(const wchar_t* pszName)
{
    wchar_t sz[512] = {};
    const DWORD n = GetEnvironmentVariableW(pszName, sz, static_cast<DWORD>(std::size(sz)));
    return n > 0 && n < std::size(sz) ? std::wstring(sz, n) : std::wstring();
}

uint64_t EnvNumber(const wchar_t* pszName, uint64_t nDefault)
{
    const std::wstring str = EnvText(pszName);
    return str.empty() ? nDefault : wcstoull(str.c_str(), nullptr, 0);
}

// "0x8052,0x8040-0x804F": the message numbers of the private range it names.
std::set<UINT> ParseMsgList(const std::wstring& strList)
{
    std::set<UINT> msgs;
    for (size_t nPos = 0; nPos < strList.size();) {
        size_t nEnd = strList.find(L',', nPos);
        if (nEnd == std::wstring::npos)
            nEnd = strList.size();
        const std::wstring strItem = strList.substr(nPos, nEnd - nPos);
        wchar_t* pEnd = nullptr;
        const UINT uFirst = static_cast<UINT>(wcstoul(strItem.c_str(), &pEnd, 0));
        const UINT uLast = *pEnd == L'-' ? static_cast<UINT>(wcstoul(pEnd + 1, nullptr, 0)) : uFirst;
        for (UINT u = std::max<UINT>(uFirst, WM_APP); u <= uLast && u <= WM_APP + 0xFF; ++u)
            msgs.insert(u);
        nPos = nEnd + 1;
    }
    return msgs;
}


// The settings program's mutex, held as while that program runs (anyone can make the name, so it
// alone gets no program the keys). Released on every road out of a test, since no core program
// starts while it exists.
class CSettingsRunning {
public:
    CSettingsRunning() : m_hMutex(CreateMutexW(nullptr, FALSE, zvprop::PropMutexName().c_str())) {}
    ~CSettingsRunning()
    {
        if (m_hMutex)
            CloseHandle(m_hMutex);
    }
    CSettingsRunning(const CSettingsRunning&) = delete;
    CSettingsRunning& operator=(const CSettingsRunning&) = delete;
    bool IsHeld() const noexcept { return m_hMutex != nullptr; }

private:
    HANDLE m_hMutex;
};

// Where the key events forwarded by the core program land: the probe's way of knowing that every
// message posted before it has been handled.
LPARAM g_nProbeSeen = 0;

LRESULT CALLBACK ProbeWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == MSG_HOOK_KEYBD && wParam == kProbeVk)
        g_nProbeSeen = std::max(g_nProbeSeen, lParam & ~kProbeRelease);
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

class CoreFuzz : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RegDeleteSettings());
        // Auto scroll wants the right button, which no one holds: the pointer alone starts nothing.
        ASSERT_TRUE(PlacePointer(kMiddle.x, kMiddle.y));
        WNDCLASSEXW wc{sizeof(wc)};
        wc.lpfnWndProc = ProbeWndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kProbeClass;
        RegisterClassExW(&wc);
        m_hProbe = CreateWindowExW(0, kProbeClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(m_hProbe, nullptr);
        g_nProbeSeen = 0;
        m_viewersBefore = ProcessesOf(ZV_LOG64_FILE);
    }

    void TearDown() override
    {
        PlacePointer(kMiddle.x, kMiddle.y);
        if (m_hProbe)
            DestroyWindow(m_hProbe);
        if (const std::wstring strCopy = EnvText(L"ZV_FUZZ_LOG"); !strCopy.empty())
            CopyFileW(m_run.LogPath().c_str(), strCopy.c_str(), FALSE);
        // Viewers started during the test and still running: the core program's job ends them with
        // it, but one that escaped must not log into the next test's file.
        m_run.Process().Stop();
        for (DWORD dwPid : ProcessesOf(ZV_LOG64_FILE)) {
            if (m_viewersBefore.count(dwPid))
                continue;
            if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwPid)) {
                TerminateProcess(h, 1);
                WaitForSingleObject(h, 5000);
                CloseHandle(h);
            }
        }
    }

    size_t ViewerCount() const
    {
        size_t n = 0;
        for (DWORD dwPid : ProcessesOf(ZV_LOG64_FILE))
            n += m_viewersBefore.count(dwPid) ? 0 : 1;
        return n;
    }

    // The texts of the boxes the core program shows, for a failure's message.
    std::string CoreBoxes()
    {
        std::string str;
        for (HWND hBox : FindMessageBoxes(m_run.Process().Pid()))
            str += " [box: " + ToUtf8(MessageBoxText(hBox)) + "]";
        return str;
    }

    // Posts and, while the queue is full, waits for room; false when the window is gone or the
    // queue has not moved for the drain time.
    bool Post(UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        const ULONGLONG tEnd = GetTickCount64() + kDrainTimeoutMs;
        while (!PostMessageW(m_run.Wnd(), uMsg, wParam, lParam)) {
            ++m_nRefused;
            if (!IsWindow(m_run.Wnd()) || GetTickCount64() >= tEnd)
                return false;
            PumpFor(5);
        }
        if (uMsg == MSG_PROP_APPLY)
            ++m_nApplies;
        return true;
    }

    // Every message posted so far has been handled once the core program has answered an apply
    // posted after them: it answers each apply, refused or not, with one of its two events. An
    // answer may come from an apply among those messages, each round's from a later apply than the
    // round before: one round more than there were applies reaches the drain's own first apply.
    bool Drain(DWORD dwTimeoutMs = kDrainTimeoutMs)
    {
        const ULONGLONG tEnd = GetTickCount64() + dwTimeoutMs;
        const size_t nRounds = m_nApplies + 1;
        const HANDLE ahAnswer[] = {m_hReadEnd.get(), m_hReadFail.get()};
        for (size_t i = 0; i < nRounds; ++i) {
            ResetEvent(ahAnswer[0]);
            ResetEvent(ahAnswer[1]);
            const ULONGLONG tNow = GetTickCount64();
            if (tNow >= tEnd || !Post(MSG_PROP_APPLY, 0, 0) ||
                !WaitUntil([&] { return WaitForMultipleObjects(2, ahAnswer, FALSE, 0) < WAIT_OBJECT_0 + 2; },
                           static_cast<DWORD>(tEnd - tNow), 2))
                return false;
        }
        m_nApplies = 0;
        return true;
    }

    // The windows stand still for dwQuietMs: no move of the core program is running any more.
    bool WaitForWindowsStill(DWORD dwQuietMs, DWORD dwTimeoutMs)
    {
        std::vector<RECT> rcLast;
        ULONGLONG tSince = GetTickCount64();
        return WaitUntil(
            [&] {
                std::vector<RECT> rcNow;
                for (HWND hWnd : m_hWnds)
                    rcNow.push_back(WindowRect(hWnd));
                const bool bSame = rcNow.size() == rcLast.size() &&
                                   std::equal(rcNow.begin(), rcNow.end(), rcLast.begin(),
                                              [](const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; });
                if (!bSame) {
                    rcLast = rcNow;
                    tSince = GetTickCount64();
                }
                return GetTickCount64() - tSince >= dwQuietMs;
            },
            dwTimeoutMs, 50);
    }

    // One parameter: nothing, all bits, limits, small and large random numbers, window handles,
    // and the shape of a device request.
    LPARAM RandomParam()
    {
        static constexpr LPARAM kLimits[] = {1, INT_MAX, INT_MIN, static_cast<LPARAM>(0x80000000u),
                                             static_cast<LPARAM>(0xFFFFFFFFu), INT64_MAX, INT64_MIN, 0x7FFF, 0x8000,
                                             0xFFFF, 0x10000, 30000, -30000};
        static constexpr WORD kFlags[] = {0x01, 0x02, 0x10, 0x20, 0x03, 0x30, 0x33, 0xFFFF};
        switch (m_rng() % 8) {
        case 0:
            return 0;
        case 1:
            return -1;
        case 2:
            return kLimits[m_rng() % std::size(kLimits)];
        case 3:
            return static_cast<LPARAM>(m_rng() % 32);
        case 4:
            return static_cast<LPARAM>(static_cast<uint32_t>(m_rng()));
        case 5:
            return static_cast<LPARAM>(m_rng());
        case 6:
            return reinterpret_cast<LPARAM>(m_hParamWnds[m_rng() % m_hParamWnds.size()]);
        default:
            return static_cast<LPARAM>(
                ScrollCalc::MakeDeviceWParam(kFlags[m_rng() % std::size(kFlags)], static_cast<int>(m_rng() % 14)));
        }
    }

    // Half of the numbers from those the message set names, half from the whole range.
    UINT RandomMsg()
    {
        if (!m_namedMsgs.empty() && m_rng() % 2 == 0)
            return m_namedMsgs[m_rng() % m_namedMsgs.size()];
        return m_allMsgs[m_rng() % m_allMsgs.size()];
    }

    void ChooseMsgs()
    {
        const std::wstring strOnly = EnvText(L"ZV_FUZZ_ONLY");
        const std::set<UINT> only = strOnly.empty() ? ParseMsgList(L"0x8000-0x80FF") : ParseMsgList(strOnly);
        const std::set<UINT> skip = ParseMsgList(EnvText(L"ZV_FUZZ_SKIP"));
        static constexpr UINT kNamed[] = {
            MSG_LOG_ATTACH, MSG_LOG_WND_DTCT, MSG_LOG_WND_RSP, MSG_LOG_OUT, MSG_LOG_END, MSG_PROP_WND, MSG_PROP_APPLY,
            MSG_PROP_ALIVE, MSG_PROP_PAGE, MSG_PROP_REFOCUS, MSG_PROP_START, MSG_TRAY_NTFY, MSG_TRAY_MENU,
            MSG_SAVE_FOR_UNDO, MSG_DEL_LAST_UNDO, MSG_HOOK_CBT_ACTIVATE, MSG_HOOK_CBT_WNDCHG, MSG_HOOK_KEYBD,
            MSG_KEYBD_FORWARD, MSG_HOOK_CBT_MINMAX, MSG_HOOK_MOUSE, MSG_SCRL_RANGE, MSG_MV_ALL_WNDS,
            MSG_MV_ALL_WNDS_BY_DEVICE, MSG_MV_STEP, MSG_MINIMIZED_WND, MSG_SCRLBAR_SETPOS, MSG_SCRLBAR_UPDATE,
            MSG_SCRLBAR_SETRECT, MSG_SCRLBAR_RECT, MSG_TMR_LOG_START, MSG_TMR_PROP_ALIVE, MSG_TMR_PROP_DEAD,
            MSG_TMR_WHEEL_H, MSG_TMR_WHEEL_V, MSG_TMR_IGNORE_ACTIVATE, MSG_TMR_SCROLL, MSG_TMR_AUTOSCRL_DELAY,
            MSG_TMR_AUTOSCRL, MSG_TMR_HKGTWY_ALIVE, MSG_HKGTWY_NTFY_DTCT, MSG_HKGTWY_RSP_DTCT, MSG_HKGTWY_READY,
            MSG_HKGTWY_END, MSG_HKGTWY_DESTROY, MSG_HKGTWY_ALIVE};
        for (UINT u : only) {
            if (skip.count(u))
                continue;
            m_allMsgs.push_back(u);
            if (std::find(std::begin(kNamed), std::end(kNamed), u) != std::end(kNamed))
                m_namedMsgs.push_back(u);
        }
    }

    // The whole run: nCount random messages from the seed, the queue let drain after every
    // nDrainEvery of them (0: never on the way), then the core program must answer within seconds,
    // scroll exactly and end on WM_CLOSE.
    void RunFuzz(uint64_t nSeed, size_t nCount, size_t nDrainEvery);

    CRegistryGuard m_guard{kMakerKey};
    CCoreRun m_run{L"ZvCoreFuzzTest"};
    CTestWnds m_wnds;
    std::vector<HWND> m_hWnds;
    std::vector<HWND> m_hParamWnds;
    HWND m_hProbe = nullptr;
    std::set<DWORD> m_viewersBefore;
    std::mt19937_64 m_rng;
    std::vector<UINT> m_allMsgs, m_namedMsgs;
    size_t m_nRefused = 0;
    LPARAM m_nProbeSeq = 0;
    // The core's answers to an apply, and the applies posted since the last drain.
    CHandle m_hReadEnd{CreateEventW(nullptr, TRUE, FALSE, ZV_PROP_READ_END_EVENT)};
    CHandle m_hReadFail{CreateEventW(nullptr, TRUE, FALSE, ZV_PROP_READ_FAIL_EVENT)};
    size_t m_nApplies = 0;
};

}  // namespace

void CoreFuzz::RunFuzz(uint64_t nSeed, size_t nCount, size_t nDrainEvery)
{
    ChooseMsgs();
    ASSERT_FALSE(m_allMsgs.empty()) << "ZV_FUZZ_ONLY and ZV_FUZZ_SKIP leave no message";
    m_rng.seed(nSeed);
    std::printf("[ fuzz     ] seed %llu, %zu messages of %zu numbers, drained every %zu\n",
                static_cast<unsigned long long>(nSeed), nCount, m_allMsgs.size(), nDrainEvery);
    RecordProperty("seed", std::to_string(nSeed));
    SCOPED_TRACE("seed " + std::to_string(nSeed) + ", " + std::to_string(nCount) + " messages");

    // Auto scroll without a button: for the first half of the run the pointer rests at the left
    // edge and the windows drift, for the second it rests in the middle and nothing may drift.
    ASSERT_TRUE(RegSetDword(L"Auto Scroll", L"Mode", 1));
    ASSERT_TRUE(RegSetDword(L"Auto Scroll", L"Delay", 1));
    const auto hWnds =
        m_wnds.StartTitled({WndArg(200, 150, 300, 200, L"Zv Fuzz A"), WndArg(600, 400, 250, 180, L"Zv Fuzz B"),
                            WndArg(900, 200, 200, 150, L"Zv Fuzz C")});
    m_hWnds.assign(hWnds.begin(), hWnds.end());
    ASSERT_TRUE(std::all_of(m_hWnds.begin(), m_hWnds.end(), [](HWND h) { return h != nullptr; }));
    std::vector<RECT> rcStart;
    for (HWND hWnd : m_hWnds)
        rcStart.push_back(WindowRect(hWnd));
    ASSERT_TRUE(m_run.Start());
    const HWND hCore = m_run.Wnd();

    // Handles worth guessing: the test windows, the core program's own window, the viewer, the
    // desktop, the probe, a window that no longer exists and every other top-level window.
    m_hParamWnds = m_hWnds;
    m_hParamWnds.push_back(hCore);
    m_hParamWnds.push_back(m_wnds.Control());
    m_hParamWnds.push_back(GetDesktopWindow());
    m_hParamWnds.push_back(m_hProbe);
    if (HWND hViewer = FindTopLevel(LOG_VIEWER_WND_TITLE))
        m_hParamWnds.push_back(hViewer);
    const HWND hGone = CreateWindowExW(0, kProbeClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    DestroyWindow(hGone);
    m_hParamWnds.push_back(hGone);
    for (HWND hWnd : TopLevelWindows())
        m_hParamWnds.push_back(hWnd);

    size_t nMaxViewers = ViewerCount();
    const ULONGLONG tStart = GetTickCount64();
    ASSERT_TRUE(PlacePointer(kLeftEdge.x, kLeftEdge.y));
    for (size_t i = 0; i < nCount; ++i) {
        if (i == nCount / 2) {
            ASSERT_TRUE(PlacePointer(kMiddle.x, kMiddle.y));
        }
        const UINT uMsg = RandomMsg();
        const WPARAM wParam = static_cast<WPARAM>(RandomParam());
        const LPARAM lParam = RandomParam();
        ASSERT_TRUE(Post(uMsg, wParam, lParam))
            << "message " << i << " (0x" << std::hex << uMsg << ", 0x" << wParam << ", 0x" << lParam
            << ") found the queue full for " << std::dec << kDrainTimeoutMs << " ms or the window gone";
        if (nDrainEvery != 0 && (i + 1) % nDrainEvery == 0) {
            ASSERT_TRUE(Drain()) << "the core program did not get through its queue after message " << i
                                 << CoreBoxes();
        }
        if ((i + 1) % kViewerCountEvery == 0)
            nMaxViewers = std::max(nMaxViewers, ViewerCount());
    }
    // However many messages still wait in the queue, the core program answers within seconds of
    // the last: the probe's key comes behind all of them.
    const ULONGLONG tPosted = GetTickCount64();
    const bool bInTime = Drain(kAnswerTimeoutMs);
    // Late, the figure still tells how far off it was.
    ASSERT_TRUE(bInTime || Drain(kLateAnswerTimeoutMs))
        << "the core program did not get through its queue after the last message" << CoreBoxes();
    const ULONGLONG tAnswered = GetTickCount64();
    EXPECT_TRUE(bInTime) << "the core program answered " << tAnswered - tPosted << " ms after the last message, not within "
                         << kAnswerTimeoutMs << " ms";
    std::printf("[ fuzz     ] posted in %llu ms, answered %llu ms after the last, %zu posts refused for a full queue\n",
                static_cast<unsigned long long>(tPosted - tStart), static_cast<unsigned long long>(tAnswered - tPosted),
                m_nRefused);
    RecordProperty("refused", std::to_string(m_nRefused));
    RecordProperty("answered_ms", std::to_string(tAnswered - tPosted));

    // Whatever the messages started must end by itself: moves, auto scroll, the timer items.
    ASSERT_TRUE(WaitForWindowsStill(1500, 40000)) << "the windows never came to rest";
    EXPECT_TRUE(FindMessageBoxes(m_run.Process().Pid()).empty()) << "the core program shows a box:" << CoreBoxes();

    // Huge requests leave the windows at the edge of the coordinate space, where no move shows:
    // they go back to where they started.
    for (size_t i = 0; i < m_hWnds.size(); ++i) {
        ASSERT_TRUE(MoveWindowTo(m_hWnds[i], rcStart[i].left, rcStart[i].top));
        ASSERT_TRUE(WaitForRect(m_hWnds[i], rcStart[i])) << "window " << i;
    }

    // A device request now moves every test window by exactly its distance.
    std::vector<RECT> rcBefore;
    for (HWND hWnd : m_hWnds)
        rcBefore.push_back(WindowRect(hWnd));
    ASSERT_TRUE(m_run.PostDevice(DEVFLAG_RIGHT, kKeybdHorzLine));
    for (size_t i = 0; i < m_hWnds.size(); ++i) {
        EXPECT_TRUE(WaitForRect(m_hWnds[i], Shifted(rcBefore[i], -kKeybdHorzLineWidth, 0), kAnswerTimeoutMs))
            << "window " << i << " went from " << rcBefore[i].left << " to " << WindowRect(m_hWnds[i]).left;
    }
    ASSERT_TRUE(Drain());
    ASSERT_TRUE(WaitForWindowsStill(500, 10000));
    for (size_t i = 0; i < m_hWnds.size(); ++i)
        EXPECT_TRUE(SameRect(Shifted(rcBefore[i], -kKeybdHorzLineWidth, 0), WindowRect(m_hWnds[i]))) << "window " << i;

    nMaxViewers = std::max(nMaxViewers, ViewerCount());
    EXPECT_LE(nMaxViewers, 1u) << "log viewers running at once";
    EXPECT_EQ(0, m_run.Close(kAnswerTimeoutMs)) << "the core program did not end on WM_CLOSE";
}

TEST_F(CoreFuzz, RandomPrivateMessagesLeaveItScrollingExactlyAndEndingOnClose)
{
    RunFuzz(EnvNumber(L"ZV_FUZZ_SEED", 1), static_cast<size_t>(EnvNumber(L"ZV_FUZZ_COUNT", 20000)),
            static_cast<size_t>(EnvNumber(L"ZV_FUZZ_DRAIN", kDrainEvery)));
}

// Another sequence, posted as a program outside would post it: all at once, the queue never let
// drain on the way.
TEST_F(CoreFuzz, AFloodOfRandomPrivateMessagesIsAnsweredWithinSeconds)
{
    RunFuzz(EnvNumber(L"ZV_FUZZ_FLOOD_SEED", 2), static_cast<size_t>(EnvNumber(L"ZV_FUZZ_FLOOD_COUNT", 10000)), 0);
}

// A key forwarded to a window of the core program itself would come straight back to it, and go
// round its queue for ever, one log line per round, starving every move.
TEST_F(CoreFuzz, KeysAreNeverForwardedToTheCoreProgramsOwnWindow)
{
    ASSERT_NE(m_wnds.StartTitled({WndArg(200, 150, 300, 200, L"Zv Fuzz A")})[0], nullptr);
    ASSERT_TRUE(m_run.Start());
    const CSettingsRunning settings;
    ASSERT_TRUE(settings.IsHeld());

    ASSERT_TRUE(Post(MSG_KEYBD_FORWARD, reinterpret_cast<WPARAM>(m_run.Wnd()), 0));
    ASSERT_TRUE(Post(MSG_HOOK_KEYBD, kStrayVk, kProbeRelease));
    ASSERT_TRUE(m_run.WaitForMoveEnd());
    EXPECT_EQ(1u, CountOf(m_run.Log(), kStrayVkLine));
    // Nothing goes round the queue: it drains.
    EXPECT_TRUE(Drain());
}

// The settings program's keyboard page alone asks for keys, and only while its exchange runs: a
// capture that a stray message set, or that the settings program left behind, must not swallow the
// keys.
TEST_F(CoreFuzz, ACaptureTakesTheKeysOnlyWhileTheSettingsProgramRuns)
{
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
    const HWND hWnd = m_wnds.StartTitled({WndArg(200, 150, 300, 200, L"Zv Fuzz A")})[0];
    ASSERT_NE(hWnd, nullptr);
    ASSERT_TRUE(m_run.Start());
    const RECT rc = WindowRect(hWnd);

    ASSERT_TRUE(Post(MSG_KEYBD_FORWARD, reinterpret_cast<WPARAM>(hWnd), 0));
    ASSERT_TRUE(HoldKeys({VK_CONTROL, VK_MENU, VK_RIGHT}));
    EXPECT_TRUE(WaitForRect(hWnd, Shifted(rc, -10, 0), 5000)) << "a stray capture took the keys";
    ASSERT_TRUE(m_run.WaitForMoveEnd());

    {
        // The settings program's mutex alone (anyone can make it): still no exchange, no keys.
        zvprop::CFakeSettings settings(m_run.Wnd());
        ASSERT_TRUE(settings.IsReady());
        ASSERT_TRUE(Post(MSG_KEYBD_FORWARD, reinterpret_cast<WPARAM>(m_hProbe), 0));
        LPARAM nSeq = ++m_nProbeSeq;
        ASSERT_TRUE(Post(MSG_HOOK_KEYBD, kProbeVk, kProbeRelease | nSeq));
        ASSERT_TRUE(Drain());
        PumpMessages();
        EXPECT_LT(g_nProbeSeen, nSeq) << "a program outside an exchange got the keys";

        // The exchange under way, its sheet a window of this process: the capture takes the keys.
        ASSERT_TRUE(settings.AskForBlocks());
        ASSERT_NE(settings.ShowSheet(), nullptr);
        // The core lets go of its blocks once it knows the sheet (the test read none of them).
        ASSERT_TRUE(WaitUntil([] { return !zvprop::BlocksExist(); }, 10000)) << "the sheet was not taken";
        ASSERT_TRUE(Post(MSG_KEYBD_FORWARD, reinterpret_cast<WPARAM>(m_hProbe), 0));
        nSeq = ++m_nProbeSeq;
        ASSERT_TRUE(Post(MSG_HOOK_KEYBD, kProbeVk, kProbeRelease | nSeq));
        EXPECT_TRUE(WaitUntil([&] { return g_nProbeSeen >= nSeq; }, 5000, 5))
            << "the settings program's capture got nothing";
    }
    ASSERT_TRUE(HoldKeys({VK_CONTROL, VK_MENU, VK_RIGHT}));
    EXPECT_TRUE(WaitForRect(hWnd, Shifted(rc, -20, 0), 5000)) << "the capture outlived the settings program";
}

// A count so large that the windows' new place lies beyond the range of int: they go the asked
// way as far as the system lets them, instead of wrapping round to the other side.
TEST_F(CoreFuzz, AHugeDeviceCountMovesTheWindowsTheAskedWay)
{
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
    const HWND hWnd = m_wnds.StartTitled({WndArg(200, 150, 300, 200, L"Zv Fuzz A")})[0];
    ASSERT_NE(hWnd, nullptr);
    ASSERT_TRUE(m_run.Start());
    const RECT rc = WindowRect(hWnd);

    // Left by 214748364 lines of 10 pixels: the windows go right by 2147483640.
    ASSERT_TRUE(m_run.PostDevice(DEVFLAG_LEFT, kKeybdHorzLine, 214748364));
    ASSERT_TRUE(m_run.WaitForMoveEnd());
    // The core never waits for another program's window: the window takes its place a little later.
    EXPECT_TRUE(WaitUntil([&] { return WindowRect(hWnd).left > rc.left + 30000; }, 5000, 20))
        << "left = " << WindowRect(hWnd).left << "\n"
        << m_run.LogLinesWith(L"OnMvAllWndsByDevice") << m_run.LogLinesWith(L"MoveAllWindows");
    EXPECT_EQ(WindowRect(hWnd).top, rc.top);
}

// The requests whose answer takes milliseconds (a count of the window lists for the scroll range,
// for a window activated that the lists do not hold or for one activated after a window change, a
// redraw of every window, a tick of the tray icon's retry, which asks the taskbar, while its icon is
// there), posted by the thousand as any program can: a scroll asked for after
// them is made, a window the user activates after them is brought into view, and WM_CLOSE after
// another such flood ends the core program, all within seconds.
TEST_F(CoreFuzz, AFloodOfCostlyRequestsIsAnsweredWithinSeconds)
{
    const size_t nCount = static_cast<size_t>(EnvNumber(L"ZV_FLOOD_COUNT", 4000));
    const auto hWnds =
        m_wnds.StartTitled({WndArg(200, 150, 300, 200, L"Zv Fuzz A"), WndArg(600, 400, 250, 180, L"Zv Fuzz B")});
    m_hWnds.assign(hWnds.begin(), hWnds.end());
    ASSERT_TRUE(std::all_of(m_hWnds.begin(), m_hWnds.end(), [](HWND h) { return h != nullptr; }));
    ASSERT_TRUE(m_run.Start());
    const struct {
        UINT uMsg;
        WPARAM wParam;
    } kCostly[] = {{MSG_SCRL_RANGE, 1},
                   {MSG_HOOK_CBT_ACTIVATE, reinterpret_cast<WPARAM>(GetDesktopWindow())},
                   {MSG_TMR_TRAY_ICON, 0},
                   {MSG_SCRL_RANGE, 0},
                   {MSG_HOOK_CBT_WNDCHG, 0},
                   {MSG_HOOK_CBT_ACTIVATE, reinterpret_cast<WPARAM>(m_hWnds[0])},
                   {MSG_TMR_TRAY_ICON, 0},
                   {WM_COMMAND, ID_ZV_REDRAW_ALL},
                   {MSG_HOOK_CBT_ACTIVATE, reinterpret_cast<WPARAM>(m_wnds.Control())}};
    const auto flood = [&] {
        for (size_t i = 0; i < nCount; ++i) {
            const auto& req = kCostly[i % std::size(kCostly)];
            if (!Post(req.uMsg, req.wParam, 0))
                return false;
        }
        return true;
    };

    std::vector<RECT> rcBefore;
    for (HWND hWnd : m_hWnds)
        rcBefore.push_back(WindowRect(hWnd));
    ASSERT_TRUE(flood());
    const ULONGLONG tScroll = GetTickCount64();
    ASSERT_TRUE(m_run.PostDevice(DEVFLAG_RIGHT, kKeybdHorzLine));
    for (size_t i = 0; i < m_hWnds.size(); ++i) {
        EXPECT_TRUE(WaitForRect(m_hWnds[i], Shifted(rcBefore[i], -kKeybdHorzLineWidth, 0), kAnswerTimeoutMs))
            << "window " << i << " not scrolled within " << kAnswerTimeoutMs << " ms of the last of " << nCount
            << " requests";
    }
    const ULONGLONG tScrolled = GetTickCount64();

    // A window come since, partly beyond the right edge and activated by the user behind another
    // flood: the activation is no request of the kind, and the window comes into view.
    const HWND hLate = m_wnds.Create(WndArg(1150, 300, 300, 200, L"Zv Fuzz Late", L"noactivate"));
    ASSERT_NE(hLate, nullptr);
    ASSERT_GT(WindowRect(hLate).right, WorkArea().right);
    ASSERT_TRUE(flood());
    ASSERT_TRUE(m_wnds.Foreground(hLate));
    EXPECT_TRUE(WaitUntil([&] { return WindowRect(hLate).right <= WorkArea().right; }, kAnswerTimeoutMs, 50))
        << "the activated window stands at " << WindowRect(hLate).left << ".." << WindowRect(hLate).right;

    ASSERT_TRUE(flood());
    const ULONGLONG tClose = GetTickCount64();
    EXPECT_EQ(0, m_run.Close(kAnswerTimeoutMs)) << "the core program did not end within " << kAnswerTimeoutMs
                                                << " ms of WM_CLOSE behind " << nCount << " requests";
    std::printf("[ flood    ] %zu costly requests: scrolled %llu ms after the last, ended %llu ms after WM_CLOSE\n",
                nCount, static_cast<unsigned long long>(tScrolled - tScroll),
                static_cast<unsigned long long>(GetTickCount64() - tClose));
}
