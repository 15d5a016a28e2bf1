// The hook gateway's relay: an activation that reaches the core through ZvHook32to64 against the
// same activation reported by the core's own hook, and what the core and the gateway cost together
// while nothing happens. Prints figures; asserts nothing.
//
// Two programs of test windows, alike but for their windows' class: the ordinary one's activations
// reach the core from ZvHook64 in one post, while its twin's windows (class "ZvStandIn32", standing
// for a 32-bit program's) are reported by ZvHook.dll to the gateway, which hands each event to the
// core in a shared-memory block announced by a named event. Each program has a window in view (the
// anchor) and one hanging 150 pixels below the work area (the target). A sample puts every window
// back home, activates the anchor of one program, then its target, inside that program; the core
// scrolls every window up until the target stands in view. The time runs from the moment this
// program asks for the activation to the moment every window stands in its new place: the scroll
// ends with the last window moved, whichever that is, so both paths end alike although their
// windows lie at different depths of the z-order. The two programs take turns.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <numeric>
#include <string>
#include <optional>
#include <thread>
#include <tuple>
#include <vector>

#include "ProcessCounts.h"
#include "WndFilter.h"
#include "BenchClock.h"
#include "ZvTestKit.h"

using namespace zvbench;

namespace {

constexpr int kSamples = 100;       // of each path
constexpr int kWarmUps = 5;         // of each path, not counted: the hook libraries load, the lists fill
constexpr DWORD kGapMs = 150;       // after the anchor's activation, so that its relay has been answered
constexpr DWORD kPollUs = 100;      // between two looks at a window; busy, without wineserver calls
constexpr DWORD kTimeoutMs = 3000;  // a sample whose scroll did not end within it is lost
constexpr DWORD kSettleMs = 3000;
constexpr DWORD kIdleMs = 30000;
constexpr int kBelow = 150;         // how far each target reaches below the work area
constexpr UINT kCmdAppExit = 32781;
constexpr wchar_t kGatewayFile[] = L"ZvHook32to64.exe";
constexpr wchar_t kGatewayTitle[] = L"ZvHook32to64";

using zvbench::NowMs;
using zvbench::SpinUs;

bool SameRect(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

// One program of test windows and the way its activations reach the core.
struct PATH {
    const char* pszName;
    zvkit::CTestWnds wnds;
    HWND hAnchor = nullptr;
    HWND hTarget = nullptr;
    std::vector<double> targetMs;  // the target in view
    std::vector<double> allMs;     // every window in its new place: the scroll ended
    std::vector<double> askMs;     // the kit's request for the activation alone
    int nLost = 0;
};

struct SCENE {
    std::vector<HWND> hWnds;  // every test window, targets first
    std::vector<RECT> home;
    RECT rcWork{};
};

bool AllHome(const SCENE& sc)
{
    for (size_t i = 0; i < sc.hWnds.size(); ++i)
        if (!SameRect(zvkit::WindowRect(sc.hWnds[i]), sc.home[i]))
            return false;
    return true;
}

void PutHome(const SCENE& sc)
{
    for (size_t i = 0; i < sc.hWnds.size(); ++i)
        if (!SameRect(zvkit::WindowRect(sc.hWnds[i]), sc.home[i]))
            zvkit::MoveWindowTo(sc.hWnds[i], sc.home[i].left, sc.home[i].top);
}

// One activation of the path's target from home; false when the scroll did not end as it should
// (every window moved by one distance, the target then in view) within the time-out.
bool Sample(PATH& path, const SCENE& sc, bool bCount)
{
    for (int nTry = 0; nTry < 3 && !AllHome(sc); ++nTry) {
        PutHome(sc);
        zvkit::PumpFor(50);
    }
    path.wnds.Foreground(path.hAnchor);
    zvkit::PumpFor(kGapMs);
    if (!AllHome(sc))
        return false;  // something moved them meanwhile: not a clean start

    // The target first, then every other window: the time at which the last of them has left home.
    std::vector<HWND> order{path.hTarget};
    for (HWND h : sc.hWnds)
        if (h != path.hTarget)
            order.push_back(h);
    std::atomic<bool> bGo{false};
    double tTarget = -1, tAll = -1;
    std::thread poller([&] {
        while (!bGo)
            YieldProcessor();
        const double tLimit = NowMs() + kTimeoutMs;
        for (size_t i = 0; i < order.size(); ++i) {
            const size_t nHome = static_cast<size_t>(std::find(sc.hWnds.begin(), sc.hWnds.end(), order[i]) - sc.hWnds.begin());
            while (SameRect(zvkit::WindowRect(order[i]), sc.home[nHome])) {
                if (NowMs() > tLimit)
                    return;
                SpinUs(kPollUs);
            }
            const double t = NowMs();
            if (i == 0)
                tTarget = t;
            tAll = t;
        }
    });
    const double t0 = NowMs();
    bGo = true;
    const bool bAsked = path.wnds.Foreground(path.hTarget);
    const double tAsked = NowMs();
    poller.join();
    if (!bAsked || tTarget < 0 || tAll < 0 || tAll < tTarget)
        return false;

    // Checked once the poller is done: a scroll, not stray moves.
    const RECT rcT = zvkit::WindowRect(path.hTarget);
    const size_t nT = static_cast<size_t>(std::find(sc.hWnds.begin(), sc.hWnds.end(), path.hTarget) - sc.hWnds.begin());
    const int dx = rcT.left - sc.home[nT].left, dy = rcT.top - sc.home[nT].top;
    if ((dx == 0 && dy == 0) || rcT.top < sc.rcWork.top || rcT.bottom > sc.rcWork.bottom)
        return false;
    for (size_t i = 0; i < sc.hWnds.size(); ++i) {
        RECT rc = sc.home[i];
        OffsetRect(&rc, dx, dy);
        if (!SameRect(zvkit::WindowRect(sc.hWnds[i]), rc))
            return false;
    }
    if (bCount) {
        path.targetMs.push_back(tTarget - t0);
        path.allMs.push_back(tAll - t0);
        path.askMs.push_back(tAsked - t0);
    }
    return true;
}

struct STATS {
    double dMin = 0, dMedian = 0, dP99 = 0, dMax = 0, dMean = 0;
};

STATS Summarise(std::vector<double> v)
{
    STATS st;
    if (v.empty())
        return st;
    std::sort(v.begin(), v.end());
    st.dMin = v.front();
    st.dMedian = v[v.size() / 2];
    st.dP99 = v[(v.size() * 99 + 99) / 100 - 1];
    st.dMax = v.back();
    st.dMean = std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
    return st;
}

void PrintRow(const char* pszLabel, const STATS& st)
{
    std::printf("    %-44s %7.2f %7.2f %7.2f %7.2f %7.2f\n", pszLabel, st.dMedian, st.dP99, st.dMax, st.dMin, st.dMean);
}

struct IDLE_PROC {
    const char* pszName;
    HANDLE hProcess;
    unsigned long ulUnixPid;
    ULONGLONG ullCpu0 = 0, ullCpu1 = 0;
    std::optional<LINUX_COUNTS> lin0, lin1;
};

}  // namespace

int main()
{
    zvkit::CRegistryGuard guard;
    zvkit::RegDeleteSettings();
    zvkit::RegSetDword(L"View", L"Speed", 1);     // a scroll ends in one pass
    zvkit::RegSetDword(L"View", L"TrayIcon", 0);  // no taskbar: one work area for every process
    const std::string strLoadStart = LoadAverage();

    SCENE sc;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &sc.rcWork, 0);
    const int yTarget = sc.rcWork.bottom + kBelow - 200;
    PATH own{"own hook (ZvHook64)"}, relay{"through the gateway"};
    for (auto [pPath, x, pszClass] : {std::tuple{&own, 60, L""}, std::tuple{&relay, 700, L"/CLASS=ZvStandIn32"}}) {
        const std::wstring strSuffix = pPath == &own ? L" 64" : L" 32";
        std::vector<std::wstring> args{zvkit::WndArg(x, 100, 300, 200, L"Bench Gw Anchor" + strSuffix),
                                       zvkit::WndArg(x, yTarget, 300, 200, L"Bench Gw Target" + strSuffix, L"noactivate")};
        if (*pszClass)
            args.push_back(pszClass);
        if (!pPath->wnds.Start(args, 15000)) {
            std::printf("could not start the test windows\n");
            return 1;
        }
        pPath->hAnchor = pPath->wnds.Window(L"Bench Gw Anchor" + strSuffix);
        pPath->hTarget = pPath->wnds.Window(L"Bench Gw Target" + strSuffix);
        if (!pPath->hAnchor || !pPath->hTarget) {
            std::printf("a test window is missing\n");
            return 1;
        }
    }
    sc.hWnds = {own.hTarget, relay.hTarget, own.hAnchor, relay.hAnchor};
    for (HWND h : sc.hWnds)
        sc.home.push_back(zvkit::WindowRect(h));
    own.wnds.Foreground(own.hAnchor);

    zvkit::CProcess core;
    const std::wstring strCorePath = zvkit::LayoutPath(L"ZvCore64.exe");
    if (!core.Start(strCorePath)) {
        std::printf("could not start ZvCore64.exe\n");
        return 1;
    }
    HWND hCore = zvkit::WaitForWindow(ZV_HIDDEN_MAIN_WND_TITLE, 20000);
    HWND hGateway = zvkit::WaitForWindow(kGatewayTitle, 20000);
    if (!hCore || !hGateway) {
        std::printf("the core program's or the gateway's window did not appear\n");
        return 1;
    }
    DWORD dwGatewayPid = 0;
    GetWindowThreadProcessId(hGateway, &dwGatewayPid);
    HANDLE hGatewayProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwGatewayPid);

    // One activation of each path first: both links work before anything is measured.
    zvkit::PumpFor(1000);
    for (PATH* p : {&own, &relay}) {
        bool bDone = false;
        for (int nTry = 0; nTry < 5 && !bDone; ++nTry)
            bDone = Sample(*p, sc, false);
        if (!bDone) {
            std::printf("an activation %s was not scrolled for\n", p->pszName);
            return 1;
        }
    }
    PutHome(sc);

    // ---- Idle: nothing of this program may wake either meanwhile.
    zvkit::PumpFor(kSettleMs);
    IDLE_PROC idle[] = {{"ZvCore64", core.Handle(), UnixPidOf(strCorePath)},
                        {"ZvHook32to64", hGatewayProcess, UnixPidOf(zvkit::LayoutPath(kGatewayFile))}};
    const double tIdle0 = NowMs();
    for (IDLE_PROC& ip : idle) {
        ip.ullCpu0 = CpuTime100ns(ip.hProcess);
        ip.lin0 = ReadLinuxCounts(ip.ulUnixPid);
    }
    Sleep(kIdleMs);
    for (IDLE_PROC& ip : idle) {
        ip.ullCpu1 = CpuTime100ns(ip.hProcess);
        ip.lin1 = ReadLinuxCounts(ip.ulUnixPid);
    }
    const double dIdleMs = NowMs() - tIdle0;
    const bool bIdleAlive = core.IsRunning() && WaitForSingleObject(hGatewayProcess, 0) == WAIT_TIMEOUT;

    // ---- Latency, the two paths in turns.
    for (int i = 0; i < 2 * (kWarmUps + kSamples); ++i) {
        PATH& p = i % 2 ? relay : own;
        if (!Sample(p, sc, i >= 2 * kWarmUps))
            ++p.nLost;
    }
    PutHome(sc);

    PostMessageW(hCore, WM_COMMAND, kCmdAppExit, 0);
    const bool bCoreEnded = core.WaitForExit(10000).has_value();
    const bool bGatewayEnded = WaitForSingleObject(hGatewayProcess, 10000) == WAIT_OBJECT_0;
    CloseHandle(hGatewayProcess);

    std::printf("Window activation to the end of the scroll it asks for: %d samples of each path, in turns, ms\n",
                kSamples);
    std::printf("    %-44s %7s %7s %7s %7s %7s\n", "", "median", "p99", "max", "min", "mean");
    for (PATH* p : {&own, &relay}) {
        std::printf("  %s\n", p->pszName);
        PrintRow("every window in its new place", Summarise(p->allMs));
        PrintRow("the activated window in view", Summarise(p->targetMs));
        PrintRow("the activation asked for (kit's request)", Summarise(p->askMs));
        std::printf("    lost or unclean samples (not counted): %d\n", p->nLost);
    }
    const STATS ownAll = Summarise(own.allMs), relayAll = Summarise(relay.allMs);
    std::printf("  added by the relay (every window in its new place): median %+.2f ms, p99 %+.2f ms\n",
                relayAll.dMedian - ownAll.dMedian, relayAll.dP99 - ownAll.dP99);

    std::printf("ZvCore64 and ZvHook32to64 idle: %.1f s without input, after %lu s of settling%s\n", dIdleMs / 1000.0,
                kSettleMs / 1000, bIdleAlive ? "" : " (ONE ENDED MEANWHILE)");
    double dCpuSum = 0, dRunSum = 0;
    unsigned long long ullWakeSum = 0;
    bool bLinux = true;
    for (const IDLE_PROC& ip : idle) {
        const double dCpuMs = static_cast<double>(ip.ullCpu1 - ip.ullCpu0) / 10000.0;
        dCpuSum += dCpuMs;
        std::printf("  %-13s GetProcessTimes %7.1f ms", ip.pszName, dCpuMs);
        if (ip.lin0 && ip.lin1) {
            const double dRunMs = static_cast<double>(ip.lin1->ullRunNs - ip.lin0->ullRunNs) / 1e6;
            const unsigned long long ullWake = ip.lin1->ullWakeups - ip.lin0->ullWakeups;
            dRunSum += dRunMs;
            ullWakeSum += ullWake;
            std::printf("; Linux %7.1f ms (%.3f %% of one core), %6llu wake-ups (%.1f per second)\n", dRunMs,
                        dRunMs * 100.0 / dIdleMs, ullWake, static_cast<double>(ullWake) * 1000.0 / dIdleMs);
        } else {
            bLinux = false;
            std::printf("; no /proc entry found\n");
        }
    }
    std::printf("  together:     GetProcessTimes %7.1f ms%s\n", dCpuSum,
                dCpuSum == 0 && dRunSum > 0 ? " (Wine keeps no CPU times of another process)" : "");
    if (bLinux)
        std::printf("                Linux (/proc schedstat) %.1f ms, %.1f ms per second (%.3f %% of one core)\n"
                    "                wake-ups (voluntary context switches) %llu, %.1f per second\n",
                    dRunSum, dRunSum * 1000.0 / dIdleMs, dRunSum * 100.0 / dIdleMs, ullWakeSum,
                    static_cast<double>(ullWakeSum) * 1000.0 / dIdleMs);
    std::printf("Both ended on the exit command: core %s, gateway %s\n", bCoreEnded ? "yes" : "NO", bGatewayEnded ? "yes" : "NO");
    std::printf("Machine load (1-minute average) at the start and the end: %s, %s\n", strLoadStart.c_str(),
                LoadAverage().c_str());
    return 0;
}
