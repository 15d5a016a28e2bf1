// A thumb drag on the horizontal scroll-bar window over 50 ordinary windows: from each pointer
// motion to every window standing in its new place, against the 16.7 ms of one display frame at
// 60 Hz. The drag is a user's: the button held on the display, the pointer moved there. A motion's
// time is when the benchmark's own low-level mouse hook sees it enter the system. Prints figures;
// asserts nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ProcessCounts.h"
#include "BenchClock.h"
#include "ZvTestKit.h"

namespace {

constexpr int kWindows = 50;
constexpr int kStep = 5;        // pixels per pointer motion; the manager acts on more than 2
constexpr int kSweeps = 6;      // thumb to one end of the track and back, in turns
constexpr int kThumbId = 1001;
constexpr int kSpinId = 1002;
constexpr wchar_t kHiddenTitle[] = L"$$$ Zuvora! Hidden Main Window %%%";
constexpr wchar_t kBarTitle[] = L"$$$ Zuvora! Scroll Bar Horizontal %%%";
constexpr double kFrameMs = 1000.0 / 60.0;

using zvbench::NowMs;

// The low-level hook's view of the motions: when the first event at the target position came.
int g_xTarget = -1;
double g_tMotion = -1;

LRESULT CALLBACK MouseHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HC_ACTION && wParam == WM_MOUSEMOVE && g_tMotion < 0 &&
        reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam)->pt.x == g_xTarget)
        g_tMotion = NowMs();
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

double Percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5));
    return v[i];
}

std::vector<RECT> Rects(const std::vector<HWND>& wnds)
{
    std::vector<RECT> rcs;
    for (HWND h : wnds)
        rcs.push_back(zvkit::WindowRect(h));
    return rcs;
}

// Every window moved by the same horizontal distance, not 0: that distance, else 0.
int CommonMove(const std::vector<HWND>& wnds, const std::vector<RECT>& before)
{
    const int dx = zvkit::WindowRect(wnds[0]).left - before[0].left;
    if (dx == 0)
        return 0;
    for (size_t i = 1; i < wnds.size(); ++i) {
        const RECT rc = zvkit::WindowRect(wnds[i]);
        if (rc.left - before[i].left != dx || rc.top != before[i].top)
            return 0;
    }
    return dx;
}

}  // namespace

int main()
{
    const std::string strLoadStart = zvbench::LoadAverage();
    zvkit::CRegistryGuard guard;
    zvkit::RegDeleteSettings();
    zvkit::RegSetDword(L"View", L"Speed", 1);
    // A long bar along the top, so that the thumb has a long way to travel.
    zvkit::RegSetDword(L"Position and Size", L"Horizontal Orgin X", 100);
    zvkit::RegSetDword(L"Position and Size", L"Horizontal Orgin Y", 0);
    zvkit::RegSetDword(L"Position and Size", L"Horizontal Width", 1000);
    zvkit::RegSetDword(L"Position and Size", L"Horizontal Height", 18);

    // Ten columns across three screens' width, five rows: a scroll range about three desktops wide.
    std::vector<std::wstring> args;
    for (int i = 0; i < kWindows; ++i)
        args.push_back(zvkit::WndArg(-1400 + (i % 10) * 420, 80 + (i / 10) * 170, 200, 140, L"Bench Bar " + std::to_wstring(i)));
    zvkit::CTestWnds wnds;
    if (!wnds.Start(args, 30000)) {
        std::printf("could not start the test windows\n");
        return 1;
    }
    const std::vector<HWND> hWnds = wnds.Windows();

    zvkit::CProcess core;
    if (!core.Start(zvkit::LayoutPath(L"ZvCore64.exe"))) {
        std::printf("could not start ZvCore64.exe\n");
        return 1;
    }
    const HWND hCore = zvkit::WaitForWindow(kHiddenTitle, 20000);
    const HWND hBar = zvkit::WaitForWindow(kBarTitle, 20000, nullptr, core.Pid());
    if (!hCore || !hBar || !zvkit::WaitUntil([&] { return zvkit::WindowRect(hBar).right - zvkit::WindowRect(hBar).left == 1000; }, 10000)) {
        std::printf("the core program's windows did not appear\n");
        return 1;
    }
    zvkit::PumpFor(1000);

    // Baselines on the same windows, for the frame the drag has to share: a loop in this process
    // that moves every window without waiting for its thread (as the core does), and a scroll of
    // the same kind through the core program asked for by a device request (keyboard line, 10 px).
    std::vector<double> loopMs, deviceMs;
    for (int run = 0; run < 9; ++run) {
        const std::vector<RECT> before = Rects(hWnds);
        const int dx = run % 2 == 0 ? -10 : 10;
        double t0 = NowMs();
        for (size_t i = 0; i < hWnds.size(); ++i)
            SetWindowPos(hWnds[i], nullptr, before[i].left + dx, before[i].top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
        if (!zvbench::WaitPolled([&] { return CommonMove(hWnds, before) == dx; }, 5000)) {
            std::printf("the loop's windows did not all move\n");
            return 1;
        }
        loopMs.push_back(NowMs() - t0);
        zvkit::PumpFor(50);
        const std::vector<RECT> mid = Rects(hWnds);
        t0 = NowMs();
        PostMessageW(hCore, 0x8052, (static_cast<WPARAM>(dx < 0 ? 1 : 2) << 16) | (1 * 4 + 0 * 2 + 0), 1);
        if (!zvbench::WaitPolled([&] { return CommonMove(hWnds, mid) == -dx; }, 5000)) {
            std::printf("the core's scroll did not move every window\n");
            return 1;
        }
        deviceMs.push_back(NowMs() - t0);
        zvkit::PumpFor(100);
    }
    const RECT rcBar = zvkit::WindowRect(hBar);
    const LONG xTrackEnd = zvkit::WindowRect(GetDlgItem(hBar, kSpinId)).left;
    const auto Thumb = [&] { return zvkit::WindowRect(GetDlgItem(hBar, kThumbId)); };

    // Press on the thumb and keep the button down for the whole drag.
    POINT pt{(Thumb().left + Thumb().right) / 2, (rcBar.top + rcBar.bottom) / 2};
    zvkit::PlacePointer(pt.x, pt.y);
    zvkit::PumpFor(300);
    if (!zvkit::DisplayButton(true, pt.x, pt.y)) {
        std::printf("could not press on the thumb\n");
        return 1;
    }
    zvkit::PumpFor(300);
    const HHOOK hHook = SetWindowsHookExW(WH_MOUSE_LL, MouseHook, GetModuleHandleW(nullptr), 0);

    std::vector<double> ms;
    int nEnds = 0, nMoved = 0;
    long long nPixels = 0;
    for (int sweep = 0; sweep < kSweeps; ++sweep) {
        const int nDir = sweep % 2 == 0 ? 1 : -1;
        for (int n = 0; n < 400; ++n) {
            const RECT rcThumb = Thumb();
            if (nDir > 0 ? rcThumb.right + kStep >= xTrackEnd : rcThumb.left - kStep <= rcBar.left)
                break;
            const std::vector<RECT> before = Rects(hWnds);
            pt.x += nDir * kStep;
            g_xTarget = pt.x;
            g_tMotion = -1;
            zvkit::PlacePointer(pt.x, pt.y);
            int dx = 0;
            // A motion that moves nothing finds the thumb at the end of the track: the sweep turns.
            if (!zvbench::WaitPolled([&] { return (dx = CommonMove(hWnds, before)) != 0; }, 1000) || g_tMotion < 0) {
                ++nEnds;
                break;
            }
            ms.push_back(NowMs() - g_tMotion);
            ++nMoved;
            nPixels += dx < 0 ? -dx : dx;
            // The move's closing pass ends before the next motion, as between two frames.
            zvkit::PumpFor(20);
        }
    }
    if (hHook)
        UnhookWindowsHookEx(hHook);
    zvkit::DisplayButton(false, pt.x, pt.y);
    PostMessageW(hCore, WM_CLOSE, 0, 0);
    core.WaitForExit(10000);

    if (ms.empty()) {
        std::printf("no pointer motion moved the windows\n");
        return 1;
    }
    std::printf("Thumb drag over %d windows: from a pointer motion of %d px to every window in its new place\n",
                kWindows, kStep);
    std::printf("  motions measured:                     %5d in %d sweeps (%d ended by a motion that moved nothing)\n",
                nMoved, kSweeps, nEnds);
    std::printf("  windows' move per motion (mean):      %8.1f px\n", static_cast<double>(nPixels) / nMoved);
    std::printf("  median:                               %8.2f ms\n", Percentile(ms, 0.5));
    std::printf("  99th percentile:                      %8.2f ms\n", Percentile(ms, 0.99));
    std::printf("  maximum:                              %8.2f ms\n", Percentile(ms, 1.0));
    std::printf("  baseline: a loop moving the same windows without waiting (median of 9): %8.2f ms\n",
                Percentile(loopMs, 0.5));
    std::printf("  baseline: a device request through ZvCore64, 10 px (median of 9):       %8.2f ms\n",
                Percentile(deviceMs, 0.5));
    const double dLoop = Percentile(loopMs, 0.5);
    std::printf("  ratio drag median / loop:             %8.2f\n", Percentile(ms, 0.5) / dLoop);
    std::printf("  ratio drag p99 / loop:                %8.2f\n", Percentile(ms, 0.99) / dLoop);
    std::printf("  ratio device request / loop:          %8.2f\n", Percentile(deviceMs, 0.5) / dLoop);
    std::printf("  one display frame at 60 Hz:          %8.2f ms (%.0f %% of motions within it)\n", kFrameMs,
                100.0 * static_cast<double>(std::count_if(ms.begin(), ms.end(), [](double v) { return v <= kFrameMs; })) /
                    static_cast<double>(ms.size()));
    std::printf("Machine load (1-minute average) at the start and the end: %s, %s\n", strLoadStart.c_str(),
                zvbench::LoadAverage().c_str());
    return 0;
}
