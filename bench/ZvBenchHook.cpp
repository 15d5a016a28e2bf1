// What the global hooks cost: the time the low-level hooks of ZvHook64 hold each key and mouse
// event, and the core program's CPU time while it idles with its hooks in place. Prints figures;
// asserts nothing.
//
// The low-level hook installed last runs first. This program installs its own keyboard and mouse
// hooks after the hooks it measures and times CallNextHookEx in them: that call runs the rest of
// the chain, the measured procedures included. The same measure with none of them is the baseline.
// Under Wine a hook of another process is reached by a message through the wineserver; a helper
// process with hooks that do nothing (this program, started with /HOOKHOST) tells that hop apart.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ProcessCounts.h"
#include "WndFilter.h"
#include "ZvMessages.h"
#include "ZvTestKit.h"

using namespace zvbench;

namespace {

constexpr int kEvents = 2000;     // of each kind per measure
constexpr DWORD kEventGapMs = 2;  // a mouse moved by hand reports every 1 to 8 ms
constexpr DWORD kIdleMs = 30000;
constexpr DWORD kSettleMs = 2000;
constexpr ULONG_PTR kBenchTag = 0x5A76424E;  // dwExtraInfo of this program's own events
constexpr WORD kKey = VK_F24;                // no keyboard has it and no key row uses it
constexpr UINT kMsgLibKeybd = WM_APP + 1;
constexpr UINT kMsgLibMouse = WM_APP + 2;
constexpr wchar_t kSinkClass[] = L"ZvBenchHookSink";
constexpr wchar_t kHostSwitch[] = L"/HOOKHOST";
constexpr wchar_t kHostBare[] = L"bare";
constexpr wchar_t kHostLib[] = L"zvhook64";

using PFN_SET_LL_HOOK = HHOOK(WINAPI*)(HWND, UINT);

double QpcToUs(LONGLONG llTicks)
{
    static const double dFreq = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return static_cast<double>(f.QuadPart); }();
    return static_cast<double>(llTicks) * 1e6 / dFreq;
}

// ---- Hooks of ZvHook64, reporting to a window of this process ---------------------------------

LONG g_nLibPosts = 0;

LRESULT CALLBACK SinkProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == kMsgLibKeybd || uMsg == kMsgLibMouse) {
        ++g_nLibPosts;
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

class CLibHooks {
public:
    // Installs the library's keyboard and mouse hooks on this thread; false when it cannot.
    bool Install()
    {
        WNDCLASSEXW wc{sizeof(wc)};
        wc.lpfnWndProc = SinkProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kSinkClass;
        RegisterClassExW(&wc);
        m_hSink = CreateWindowExW(0, kSinkClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        m_hLib = LoadLibraryW(zvkit::LayoutPath(L"ZvHook64.dll").c_str());
        if (!m_hSink || !m_hLib)
            return false;
        m_pfnKeybd = reinterpret_cast<PFN_SET_LL_HOOK>(GetProcAddress(m_hLib, "SetKeybdHook64"));
        m_pfnMouse = reinterpret_cast<PFN_SET_LL_HOOK>(GetProcAddress(m_hLib, "SetMouseHook64"));
        m_bKeybd = m_pfnKeybd && m_pfnKeybd(m_hSink, kMsgLibKeybd);
        m_bMouse = m_pfnMouse && m_pfnMouse(m_hSink, kMsgLibMouse);
        return m_bKeybd && m_bMouse;
    }
    ~CLibHooks()
    {
        if (m_bKeybd)
            m_pfnKeybd(nullptr, 0);
        if (m_bMouse)
            m_pfnMouse(nullptr, 0);
        if (m_hSink)
            DestroyWindow(m_hSink);
    }

private:
    HWND m_hSink = nullptr;
    HMODULE m_hLib = nullptr;
    PFN_SET_LL_HOOK m_pfnKeybd = nullptr;
    PFN_SET_LL_HOOK m_pfnMouse = nullptr;
    bool m_bKeybd = false;
    bool m_bMouse = false;
};

// ---- The helper process -------------------------------------------------------------------

std::wstring HostEventName(const wchar_t* pszWhat, DWORD dwPid)
{
    return L"ZvBenchHook." + std::wstring(pszWhat) + L"." + std::to_wstring(dwPid);
}

LRESULT CALLBACK BareProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

// /HOOKHOST bare|zvhook64 <pid>: installs hooks that do nothing, or those of ZvHook64, signals
// that they are in, and pumps until told to end.
int RunHookHost(const std::wstring& strKind, DWORD dwParentPid)
{
    HANDLE hReady = OpenEventW(EVENT_MODIFY_STATE, FALSE, HostEventName(L"Ready", dwParentPid).c_str());
    HANDLE hQuit = OpenEventW(SYNCHRONIZE, FALSE, HostEventName(L"Quit", dwParentPid).c_str());
    if (!hReady || !hQuit)
        return 2;
    CLibHooks lib;
    HHOOK hKeybd = nullptr, hMouse = nullptr;
    if (strKind == kHostLib) {
        if (!lib.Install())
            return 1;
    } else {
        hKeybd = SetWindowsHookExW(WH_KEYBOARD_LL, BareProc, GetModuleHandleW(nullptr), 0);
        hMouse = SetWindowsHookExW(WH_MOUSE_LL, BareProc, GetModuleHandleW(nullptr), 0);
        if (!hKeybd || !hMouse)
            return 1;
    }
    SetEvent(hReady);
    while (MsgWaitForMultipleObjects(1, &hQuit, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        zvkit::PumpMessages();
    if (hKeybd)
        UnhookWindowsHookEx(hKeybd);
    if (hMouse)
        UnhookWindowsHookEx(hMouse);
    return 0;
}

class CHookHost {
public:
    CHookHost()
        : m_hReady(CreateEventW(nullptr, TRUE, FALSE, HostEventName(L"Ready", GetCurrentProcessId()).c_str())),
          m_hQuit(CreateEventW(nullptr, TRUE, FALSE, HostEventName(L"Quit", GetCurrentProcessId()).c_str()))
    {
    }
    ~CHookHost()
    {
        SetEvent(m_hQuit);
        m_proc.WaitForExit(5000);
        CloseHandle(m_hReady);
        CloseHandle(m_hQuit);
    }
    bool Start(const wchar_t* pszKind)
    {
        return m_hReady && m_hQuit &&
               m_proc.Start(zvkit::LayoutPath(L"ZvBenchHook.exe"),
                            std::wstring(kHostSwitch) + L" " + pszKind + L" " + std::to_wstring(GetCurrentProcessId())) &&
               WaitForSingleObject(m_hReady, 20000) == WAIT_OBJECT_0;
    }

private:
    HANDLE m_hReady;
    HANDLE m_hQuit;
    zvkit::CProcess m_proc;
};

// ---- The timing hooks ---------------------------------------------------------------------

std::vector<double> g_keyUs;
std::vector<double> g_mouseUs;

LRESULT TimeRestOfChain(int nCode, WPARAM wParam, LPARAM lParam, bool bOurs, std::vector<double>& samples) noexcept
{
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    const LRESULT lResult = CallNextHookEx(nullptr, nCode, wParam, lParam);
    QueryPerformanceCounter(&t1);
    if (bOurs && samples.size() < samples.capacity())
        samples.push_back(QpcToUs(t1.QuadPart - t0.QuadPart));
    return lResult;
}

LRESULT CALLBACK TimingKeybdProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode != HC_ACTION)
        return CallNextHookEx(nullptr, nCode, wParam, lParam);
    const auto& k = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    return TimeRestOfChain(nCode, wParam, lParam, k.dwExtraInfo == kBenchTag && k.vkCode == kKey, g_keyUs);
}

LRESULT CALLBACK TimingMouseProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode != HC_ACTION)
        return CallNextHookEx(nullptr, nCode, wParam, lParam);
    const auto& m = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    return TimeRestOfChain(nCode, wParam, lParam, m.dwExtraInfo == kBenchTag && wParam == WM_MOUSEMOVE, g_mouseUs);
}

// Sends kEvents events made by makeInput(i), one at a time: each kEventGapMs after the hook has
// timed the one before. Returns how many never reached the hook.
template <class MakeInput>
int Drive(std::vector<double>& samples, MakeInput makeInput)
{
    int nLost = 0;
    for (int i = 0; i < kEvents; ++i) {
        INPUT in = makeInput(i);
        (in.type == INPUT_KEYBOARD ? in.ki.dwExtraInfo : in.mi.dwExtraInfo) = kBenchTag;
        const size_t nBefore = samples.size();
        if (SendInput(1, &in, sizeof(in)) != 1 || !zvkit::WaitUntil([&] { return samples.size() > nBefore; }, 2000, 1))
            ++nLost;
        zvkit::PumpFor(kEventGapMs);
    }
    return nLost;
}

struct STATS {
    double dMean = 0, dMedian = 0, dP99 = 0, dMax = 0;
};

STATS Summarise(std::vector<double> v)
{
    STATS st;
    if (v.empty())
        return st;
    std::sort(v.begin(), v.end());
    st.dMean = std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
    st.dMedian = v[v.size() / 2];
    st.dP99 = v[(v.size() * 99 + 99) / 100 - 1];
    st.dMax = v.back();
    return st;
}

struct CHAIN {
    STATS key;
    STATS mouse;
    int nLost = 0;
};

// One measure of the whole chain below this program's own hooks: F24 presses and releases, then
// 1-pixel mouse moves back and forth in the middle of the screen.
std::optional<CHAIN> MeasureChain()
{
    g_keyUs.clear();
    g_keyUs.reserve(kEvents);
    g_mouseUs.clear();
    g_mouseUs.reserve(kEvents);
    HHOOK hKeybd = SetWindowsHookExW(WH_KEYBOARD_LL, TimingKeybdProc, GetModuleHandleW(nullptr), 0);
    HHOOK hMouse = SetWindowsHookExW(WH_MOUSE_LL, TimingMouseProc, GetModuleHandleW(nullptr), 0);
    if (!hKeybd || !hMouse) {
        std::printf("could not install the timing hooks (error %lu)\n", GetLastError());
        if (hKeybd)
            UnhookWindowsHookEx(hKeybd);
        if (hMouse)
            UnhookWindowsHookEx(hMouse);
        return std::nullopt;
    }
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
    zvkit::PumpFor(100);

    CHAIN c;
    c.nLost += Drive(g_keyUs, [](int i) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = kKey;
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(kKey, MAPVK_VK_TO_VSC));
        in.ki.dwFlags = i % 2 ? KEYEVENTF_KEYUP : 0;
        return in;
    });
    c.nLost += Drive(g_mouseUs, [](int i) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = i % 2 ? -1 : 1;
        in.mi.dwFlags = MOUSEEVENTF_MOVE;
        return in;
    });
    UnhookWindowsHookEx(hKeybd);
    UnhookWindowsHookEx(hMouse);
    c.key = Summarise(g_keyUs);
    c.mouse = Summarise(g_mouseUs);
    return c;
}

// ---- Printing -----------------------------------------------------------------------------

void PrintRow(const char* pszLabel, const STATS& st)
{
    std::printf("    %-46s %8.1f %8.1f %8.1f %8.1f\n", pszLabel, st.dMean, st.dMedian, st.dP99, st.dMax);
}

// One configuration, measured together with a baseline just before it, so that a change of the
// machine's load in between does not pass for a cost.
struct STAGE {
    const char* pszWith;
    const char* pszAdded;
    CHAIN base;
    CHAIN with;
};

STATS Added(const STATS& with, const STATS& base)
{
    return {with.dMean - base.dMean, with.dMedian - base.dMedian, with.dP99 - base.dP99, with.dMax - base.dMax};
}

void PrintKind(const char* pszKind, STATS CHAIN::*pStats, const std::vector<STAGE>& stages)
{
    std::printf("  %s\n", pszKind);
    for (const STAGE& st : stages) {
        PrintRow("no other hook (baseline, measured just before)", st.base.*pStats);
        PrintRow(st.pszWith, st.with.*pStats);
        PrintRow(st.pszAdded, Added(st.with.*pStats, st.base.*pStats));
    }
}

}  // namespace

int main()
{
    int nArgs = 0;
    LPWSTR* ppszArgs = CommandLineToArgvW(GetCommandLineW(), &nArgs);
    if (ppszArgs && nArgs == 4 && std::wstring(ppszArgs[1]) == kHostSwitch)
        return RunHookHost(ppszArgs[2], std::wcstoul(ppszArgs[3], nullptr, 10));
    LocalFree(ppszArgs);

    zvkit::CRegistryGuard guard;
    // Auto scroll in mode 1 wants the core's mouse hook; the scroll keys (on by default) want
    // its keyboard hook.
    zvkit::RegSetDword(L"Auto Scroll", L"Mode", 1);
    const std::string strLoadStart = LoadAverage();

    enum { kInProc, kBareHost, kLibHost, kCore, kCoreHung };
    std::vector<STAGE> stages = {
        {"ZvHook64 hook in this process and thread", "  added: the ZvHook64 procedure alone"},
        {"hook that does nothing, in another process", "  added: the hop to another process"},
        {"ZvHook64 hook in another, idle process", "  added: hop and procedure"},
        {"ZvCore64 running with its hooks", "  added: what the user feels"},
        {"ZvCore64 scrolling, a hung window on the desktop", "  added: what the user feels then"},
    };
    int nLost = 0;
    auto measure = [&](CHAIN& chain) {
        std::optional<CHAIN> m = MeasureChain();
        if (m) {
            chain = *m;
            nLost += m->nLost;
        }
        return m.has_value();
    };

    // The first measure after start-up runs slow while Wine's desktop and whatever ran before
    // settle: it is thrown away.
    CHAIN warmUp;
    if (!measure(warmUp))
        return 1;

    // ---- The library's hooks on this very thread: the procedures alone.
    if (!measure(stages[kInProc].base))
        return 1;
    {
        CLibHooks lib;
        if (!lib.Install()) {
            std::printf("could not install the hooks of ZvHook64.dll in this process (error %lu)\n", GetLastError());
            return 1;
        }
        if (!measure(stages[kInProc].with))
            return 1;
        zvkit::PumpFor(100);
    }
    const LONG nLibPosts = g_nLibPosts;

    // ---- Hooks in a helper process.
    for (const auto& [pszKind, nStage] : {std::pair{kHostBare, kBareHost}, std::pair{kHostLib, kLibHost}}) {
        if (!measure(stages[nStage].base))
            return 1;
        CHookHost host;
        if (!host.Start(pszKind)) {
            std::printf("the helper process with %ls hooks did not start\n", pszKind);
            return 1;
        }
        zvkit::PumpFor(kSettleMs);  // a new Wine process goes on starting after its hooks are in
        if (!measure(stages[nStage].with))
            return 1;
    }

    // ---- The core program with its hooks.
    if (!measure(stages[kCore].base))
        return 1;
    zvkit::CProcess core;
    const std::wstring strCorePath = zvkit::LayoutPath(L"ZvCore64.exe");
    if (!core.Start(strCorePath)) {
        std::printf("could not start ZvCore64.exe\n");
        return 1;
    }
    HWND hCore = zvkit::WaitForWindow(ZV_HIDDEN_MAIN_WND_TITLE, 20000);
    if (!hCore) {
        std::printf("the core program's window did not appear\n");
        return 1;
    }
    zvkit::PumpFor(kSettleMs);
    if (!measure(stages[kCore].with))
        return 1;

    zvkit::PumpFor(kSettleMs);
    const unsigned long ulUnixPid = UnixPidOf(strCorePath);
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    const ULONGLONG ullCpu0 = CpuTime100ns(core.Handle());
    const std::optional<LINUX_COUNTS> lin0 = ReadLinuxCounts(ulUnixPid);
    Sleep(kIdleMs);  // nothing of this program may wake the core meanwhile
    const ULONGLONG ullCpu1 = CpuTime100ns(core.Handle());
    const std::optional<LINUX_COUNTS> lin1 = ReadLinuxCounts(ulUnixPid);
    QueryPerformanceCounter(&t1);
    const bool bCoreAlive = core.IsRunning();

    // ---- The core program scrolling without pause while one program on the desktop hangs: its
    // hooks must not wait for the moves, nor the moves for the hung program.
    stages[kCoreHung].base = stages[kCore].base;
    {
        zvkit::CTestWnds wnds, hung;
        const auto [hA, hB] = wnds.StartTitled(
            {zvkit::WndArg(200, 150, 300, 200, L"Bench Hook A"), zvkit::WndArg(650, 420, 300, 200, L"Bench Hook B")});
        const auto [hH] = hung.StartTitled({zvkit::WndArg(420, 300, 250, 180, L"Bench Hook Hung")});
        if (!hA || !hB || !hH || !hung.Hang(120000)) {
            std::printf("the test windows did not start or would not hang\n");
            return 1;
        }
        std::atomic<bool> bStop{false};
        std::thread scroller([&] {
            // Keyboard lines right and left in turn, as fast as the moves end.
            constexpr WPARAM kKeybdHorzLine = 1 * 4 + 0 * 2 + 0;
            for (int i = 0; !bStop; ++i) {
                PostMessageW(hCore, MSG_MV_ALL_WNDS_BY_DEVICE, (static_cast<WPARAM>(i % 2 ? 0x01 : 0x02) << 16) | kKeybdHorzLine, 1);
                Sleep(50);
            }
        });
        const bool bMeasured = measure(stages[kCoreHung].with);
        bStop = true;
        scroller.join();
        if (!bMeasured)
            return 1;
    }
    PostMessageW(hCore, WM_CLOSE, 0, 0);
    core.WaitForExit(10000);

    // Hooks of the core show by the time they add: half a hop to another process is far above
    // the noise of a chain that did not grow.
    const STAGE& hop = stages[kBareHost];
    const STAGE& viaCore = stages[kCore];
    const double dHalfHopUs = std::min(Added(hop.with.key, hop.base.key).dMedian, Added(hop.with.mouse, hop.base.mouse).dMedian) / 2;
    const bool bCoreKeybd = Added(viaCore.with.key, viaCore.base.key).dMedian > dHalfHopUs;
    const bool bCoreMouse = Added(viaCore.with.mouse, viaCore.base.mouse).dMedian > dHalfHopUs;

    std::printf("Low-level hooks: time of CallNextHookEx in this program's own hook, installed last so that it\n"
                "runs first; %d F24 presses and releases, %d mouse moves of 1 px, each %lu ms after the one\n"
                "before; microseconds\n",
                kEvents, kEvents, kEventGapMs);
    std::printf("    %-46s %8s %8s %8s %8s\n", "", "mean", "median", "p99", "max");
    PrintKind("Keyboard", &CHAIN::key, stages);
    PrintKind("Mouse", &CHAIN::mouse, stages);
    std::printf("  events that never reached the timing hook: %d; posts of the ZvHook64 hooks in this process: %ld of %d\n",
                nLost, nLibPosts, 2 * kEvents);
    // Its window-event (CBT) hook runs in the process that makes or activates a window, not on
    // this path.
    std::printf("  low-level hooks of ZvCore64 seen: keyboard %s, mouse %s\n", bCoreKeybd ? "yes" : "NO",
                bCoreMouse ? "yes" : "no (the mouse chain did not grow: ZvCore64 sets no mouse hook)");
    // What the core adds beyond Wine's own hop to another process, each against the hop of the
    // same run: the one figure the core can change.
    for (const auto& [pszRow, nStage] : {std::pair{"", kCore}, std::pair{" while it scrolls, a window hung", kCoreHung}}) {
        for (const auto& [pszKind, pStats] : {std::pair{"keys", &CHAIN::key}, std::pair{"mouse", &CHAIN::mouse}}) {
            const double dHopUs = Added(hop.with.*pStats, hop.base.*pStats).dMedian;
            const double dCoreUs = Added(stages[nStage].with.*pStats, stages[nStage].base.*pStats).dMedian;
            std::printf("  hook added over the hop%s, %s median: %8.1f us (hop %.1f us, ZvCore64 %.1f us)\n", pszRow,
                        pszKind, dCoreUs - dHopUs, dHopUs, dCoreUs);
        }
    }

    // ---- Paired rounds. The stages above come one after another, and Wine's hop alone moves by
    // a hundred microseconds when the machine's load changes between two of them: here the hop and
    // the core are measured in turns, each against a baseline taken just before it, in the other
    // order every second round, and the goal is read from the median of the rounds' differences.
    const char* pszRounds = std::getenv("ZV_BENCH_HOOK_ROUNDS");
    const int nRounds = std::clamp(pszRounds ? std::atoi(pszRounds) : 3, 1, 50);
    std::vector<double> diffKeys, diffMouse;
    std::printf("Paired rounds: the hop and ZvCore64 in turns, each against a baseline measured just before it\n");
    for (int r = 0; r < nRounds; ++r) {
        CHAIN hopBase, hopWith, coreBase, coreWith;
        const auto measureHop = [&] {
            if (!measure(hopBase))
                return false;
            CHookHost host;
            if (!host.Start(kHostBare))
                return false;
            zvkit::PumpFor(kSettleMs);
            return measure(hopWith);
        };
        const auto measureCore = [&] {
            if (!measure(coreBase))
                return false;
            zvkit::CProcess round;
            if (!round.Start(strCorePath) || !zvkit::WaitForWindow(ZV_HIDDEN_MAIN_WND_TITLE, 20000, nullptr, round.Pid()))
                return false;
            zvkit::PumpFor(kSettleMs);
            const bool bMeasured = measure(coreWith);
            if (const HWND hRound = zvkit::WaitForWindow(ZV_HIDDEN_MAIN_WND_TITLE, 1000, nullptr, round.Pid()))
                PostMessageW(hRound, WM_CLOSE, 0, 0);
            round.WaitForExit(10000);
            return bMeasured;
        };
        if (!(r % 2 == 0 ? measureHop() && measureCore() : measureCore() && measureHop())) {
            std::printf("round %d could not be measured\n", r + 1);
            return 1;
        }
        const double dHopKeys = Added(hopWith.key, hopBase.key).dMedian;
        const double dHopMouse = Added(hopWith.mouse, hopBase.mouse).dMedian;
        diffKeys.push_back(Added(coreWith.key, coreBase.key).dMedian - dHopKeys);
        diffMouse.push_back(Added(coreWith.mouse, coreBase.mouse).dMedian - dHopMouse);
        std::printf("  round %d: added over the hop, keys %+7.1f us, mouse %+7.1f us (hop %.1f / %.1f us)\n", r + 1,
                    diffKeys.back(), diffMouse.back(), dHopKeys, dHopMouse);
    }
    std::printf("  hook added over the hop, keys median, median of %d paired rounds:  %8.1f us\n", nRounds, Summarise(diffKeys).dMedian);
    std::printf("  hook added over the hop, mouse median, median of %d paired rounds: %8.1f us\n", nRounds, Summarise(diffMouse).dMedian);

    const double dWallMs = QpcToUs(t1.QuadPart - t0.QuadPart) / 1000.0;
    std::printf("ZvCore64 idle with its hooks: %.1f s without input, after %lu s of settling%s\n", dWallMs / 1000.0,
                kSettleMs / 1000, bCoreAlive ? "" : " (IT ENDED MEANWHILE)");
    const double dCpuMs = static_cast<double>(ullCpu1 - ullCpu0) / 10000.0;
    const double dRunMs = lin0 && lin1 ? static_cast<double>(lin1->ullRunNs - lin0->ullRunNs) / 1e6 : 0;
    std::printf("  CPU time by GetProcessTimes (kernel + user): %8.1f ms%s\n", dCpuMs,
                dCpuMs == 0 && dRunMs > 0 ? "  (Wine keeps no CPU times of another process)" : "");
    if (lin0 && lin1) {
        const unsigned long long ullWakeups = lin1->ullWakeups - lin0->ullWakeups;
        std::printf("  CPU time by Linux (/proc schedstat):         %8.1f ms  (%.3f %% of one core)\n", dRunMs,
                    dRunMs * 100.0 / dWallMs);
        std::printf("  wake-ups (voluntary context switches):       %8llu     (%.1f per second)\n", ullWakeups,
                    static_cast<double>(ullWakeups) * 1000.0 / dWallMs);
    } else {
        std::printf("  Linux counts: not available (no /proc entry of the core program found)\n");
    }
    std::printf("Machine load (1-minute average) at the start and the end: %s, %s\n", strLoadStart.c_str(),
                LoadAverage().c_str());
    return 0;
}
