// Scrolling 100 ordinary windows at once through the core program, against a plain loop that
// moves the same windows with SetWindowPos from one process; the undo of such a scroll against
// the scroll itself; the core program's working set after start-up and the memory its undo list
// holds when full (Depth 100, 100 windows). Prints figures; asserts nothing.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ProcessCounts.h"
#include "ZvMessages.h"
#include "BenchClock.h"
#include "ZvTestKit.h"

namespace {

constexpr int kWindows = 100;
constexpr int kRuns = 7;
constexpr wchar_t kHiddenTitle[] = L"$$$ Zuvora! Hidden Main Window %%%";
constexpr wchar_t kBarTitle[] = L"$$$ Zuvora! Scroll Bar Horizontal %%%";

using zvbench::NowMs;

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::vector<RECT> Rects(const std::vector<HWND>& wnds)
{
    std::vector<RECT> rcs;
    for (HWND h : wnds)
        rcs.push_back(zvkit::WindowRect(h));
    return rcs;
}

// True when every window stands dx pixels from where it stood.
bool AllMovedBy(const std::vector<HWND>& wnds, const std::vector<RECT>& before, int dx)
{
    for (size_t i = 0; i < wnds.size(); ++i) {
        if (zvkit::WindowRect(wnds[i]).left != before[i].left + dx)
            return false;
    }
    return true;
}

PROCESS_MEMORY_COUNTERS_EX Memory(DWORD dwPid)
{
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof(pmc);
    if (HANDLE hProc = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, dwPid)) {
        GetProcessMemoryInfo(hProc, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc));
        CloseHandle(hProc);
    }
    return pmc;
}

}  // namespace

int main()
{
    const std::string strLoadStart = zvbench::LoadAverage();
    zvkit::CRegistryGuard guard;
    zvkit::RegSetDword(L"View", L"Speed", 1);  // every move at once
    zvkit::RegSetDword(L"View", L"SmoothScroll", 0);
    zvkit::RegSetDword(L"Undo", L"Depth", 100);
    // Every wheel turn its own undo record, as every key scroll is.
    zvkit::RegSetDword(L"Undo", L"Save Time Undo Data In Wheel Scroll", 0);

    std::vector<std::wstring> args;
    for (int i = 0; i < kWindows; ++i)
        args.push_back(zvkit::WndArg(20 + (i % 10) * 110, 40 + (i / 10) * 90, 100, 80, L"Bench " + std::to_wstring(i)));
    zvkit::CTestWnds wnds;
    if (!wnds.Start(args, 30000)) {
        std::printf("could not start the test windows\n");
        return 1;
    }
    const std::vector<HWND> hWnds = wnds.Windows();

    // The plain loop: one process moving every window by 10 px.
    std::vector<double> loopMs;
    for (int run = 0; run < kRuns; ++run) {
        const int dx = run % 2 ? -10 : 10;
        const double t0 = NowMs();
        for (HWND h : hWnds) {
            RECT rc = zvkit::WindowRect(h);
            SetWindowPos(h, nullptr, rc.left + dx, rc.top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        }
        loopMs.push_back(NowMs() - t0);
    }

    zvkit::CProcess core;
    if (!core.Start(zvkit::LayoutPath(L"ZvCore64.exe"))) {
        std::printf("could not start ZvCore64.exe\n");
        return 1;
    }
    HWND hCore = zvkit::WaitForWindow(kHiddenTitle, 20000);
    // A scroll that records its undo step: a wheel turn over the horizontal bar, whose line is
    // 10 px (Wine gives the wheel to the focus window: the message is posted to the bar).
    HWND hBar = zvkit::WaitForWindow(kBarTitle, 20000, nullptr, core.Pid());
    if (!hCore || !hBar) {
        std::printf("the core program's window did not appear\n");
        return 1;
    }
    zvkit::PumpFor(1000);  // let start-up settle before the working set is read

    const PROCESS_MEMORY_COUNTERS_EX pmcStart = Memory(core.Pid());
    const SIZE_T cbWorkingSet = pmcStart.WorkingSetSize;

    int nRefused = 0;
    // Posts a request until the core program takes it: the previous move stays in progress until
    // its closing pass, and a request during it is refused. A taken request moves every window, a
    // refused one none. One window is watched closely: windows move in z-order, top first, and the
    // creation order is close to its reverse, so the last-created window moves first. When it has
    // not moved within 500 ms, every window is looked at for a while longer before the request is
    // made again: on a busy machine a taken request has left the watched window where it was for
    // more than half a second, and the request made again then moved the windows twice, so that the
    // undo after it brought them back one step only. The time of the post that was taken, or a
    // negative number.
    const auto PostUntilTaken = [&](HWND hTo, UINT uMsg, WPARAM wParam, LPARAM lParam) -> double {
        const HWND hFirst = hWnds.back();
        const std::vector<RECT> before = Rects(hWnds);
        const auto AnyMoved = [&] {
            for (size_t i = 0; i < hWnds.size(); ++i) {
                if (zvkit::WindowRect(hWnds[i]).left != before[i].left)
                    return true;
            }
            return false;
        };
        for (int nTry = 0; nTry < 5; ++nTry) {
            nRefused += nTry > 0;
            const double t0 = NowMs();
            PostMessageW(hTo, uMsg, wParam, lParam);
            if (zvkit::WaitUntil([&] { return zvkit::WindowRect(hFirst).left != before.back().left; }, 500, 1) ||
                zvkit::WaitUntil(AnyMoved, 2500, 20))
                return t0;
        }
        return -1;
    };
    const auto Scroll = [&](bool bRight) {  // a turn toward the user scrolls right: the windows go left
        return PostUntilTaken(hBar, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(bRight ? -WHEEL_DELTA : WHEEL_DELTA)), 0);
    };
    std::vector<double> coreMs;
    for (int run = 0; run < kRuns; ++run) {
        const std::vector<RECT> before = Rects(hWnds);
        const int dx = run % 2 == 0 ? -10 : 10;
        const double t0 = Scroll(run % 2 == 0);
        if (t0 < 0 || !zvkit::WaitUntil([&] { return AllMovedBy(hWnds, before, dx); }, 20000, 1)) {
            std::printf("run %d: the windows did not all move\n", run);
            return 1;
        }
        coreMs.push_back(NowMs() - t0);
    }
    const double loop = Median(loopMs), viaCore = Median(coreMs);
    std::printf("Scroll of %d windows at once (median of %d runs)\n", kWindows, kRuns);
    std::printf("  plain SetWindowPos loop, one process: %8.2f ms\n", loop);
    std::printf("  through ZvCore64 (wheel over its bar):%8.2f ms\n", viaCore);
    std::printf("  ratio core / loop:                    %8.2f\n", viaCore / loop);
    std::printf("  requests made again after a refusal:  %5d\n", nRefused);

    // Undo of a scroll against the scroll itself, in turns: each scroll's record is the one its
    // undo takes back (the menu command, as the tray menu and the Undo key run it).
    constexpr WPARAM kCmdUndo = 32771;
    std::vector<double> scrollMs, undoMs;
    for (int run = 0; run < kRuns; ++run) {
        const std::vector<RECT> before = Rects(hWnds);
        double t0 = Scroll(true);
        if (t0 < 0 || !zvkit::WaitUntil([&] { return AllMovedBy(hWnds, before, -10); }, 20000, 1)) {
            std::printf("undo run %d: the windows did not all move\n", run);
            return 1;
        }
        scrollMs.push_back(NowMs() - t0);
        t0 = PostUntilTaken(hCore, WM_COMMAND, kCmdUndo, 0);
        if (t0 < 0 || !zvkit::WaitUntil([&] { return AllMovedBy(hWnds, before, 0); }, 20000, 1)) {
            std::printf("undo run %d: the windows did not all come back\n", run);
            return 1;
        }
        undoMs.push_back(NowMs() - t0);
    }

    // The undo list full: Depth records of every window, each scroll a record of its own.
    const PROCESS_MEMORY_COUNTERS_EX pmcBefore = Memory(core.Pid());
    constexpr int kDepth = 100;
    for (int i = 0; i < kDepth; ++i) {
        const std::vector<RECT> before = Rects(hWnds);
        const bool bRight = i % 2 == 0;
        if (Scroll(bRight) < 0 ||
            !zvkit::WaitUntil([&] { return AllMovedBy(hWnds, before, bRight ? -10 : 10); }, 20000, 1)) {
            std::printf("fill %d: the windows did not all move\n", i);
            return 1;
        }
    }
    const PROCESS_MEMORY_COUNTERS_EX pmcFull = Memory(core.Pid());
    PostMessageW(hCore, WM_CLOSE, 0, 0);
    core.WaitForExit(10000);

    const double scroll = Median(scrollMs), undo = Median(undoMs);
    std::printf("Undo of that scroll (median of %d runs, in turns with the scroll)\n", kRuns);
    std::printf("  scroll:                               %8.2f ms\n", scroll);
    std::printf("  its undo (command posted to visible): %8.2f ms\n", undo);
    std::printf("  ratio undo / scroll:                  %8.2f\n", undo / scroll);
    std::printf("ZvCore64 working set after start-up:    %8.1f MiB\n",
                static_cast<double>(cbWorkingSet) / (1024.0 * 1024.0));
    // The first scrolls left kRuns records in the list; the undo runs took back what they added.
    // Wine reports no private bytes of another process: the working set tells.
    std::printf("Undo list filled from %d to %d records of %d windows: working set %+.1f KiB\n", kRuns, kDepth, kWindows,
                (static_cast<double>(pmcFull.WorkingSetSize) - static_cast<double>(pmcBefore.WorkingSetSize)) / 1024.0);
    std::printf("Machine load (1-minute average) at the start and the end: %s, %s\n", strLoadStart.c_str(),
                zvbench::LoadAverage().c_str());
    return 0;
}
