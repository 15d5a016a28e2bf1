// The benchmarks' clock, and a wait that polls without crowding the window server.
#pragma once

#include <windows.h>

#include "ZvTestKit.h"

namespace zvbench {

inline double NowMs()
{
    static const double dFreq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / dFreq;
}

// Spends the time in this process: no call to the window server meanwhile.
inline void SpinUs(double dUs)
{
    const double dEnd = NowMs() + dUs / 1000.0;
    while (NowMs() < dEnd)
        YieldProcessor();
}

// Waits for pred, pumping this thread's messages, with a pause of dPauseUs between two looks.
// Every look is a few wineserver calls, and the one wineserver serves the programs being timed
// as well: looking without a pause put the benchmark's calls in line ahead of theirs, which
// slowed most whoever made the most calls while it waited.
template <class Pred> bool WaitPolled(Pred pred, DWORD dwTimeoutMs, double dPauseUs = 100.0)
{
    const double dEnd = NowMs() + dwTimeoutMs;
    for (;;) {
        zvkit::PumpMessages();
        if (pred())
            return true;
        if (NowMs() >= dEnd)
            return false;
        SpinUs(dPauseUs);
    }
}

}  // namespace zvbench
