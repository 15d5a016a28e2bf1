// What the benchmarks read about other programs' processes: Wine keeps neither the CPU time of
// another process nor its context switches, but every Wine process is a Linux process whose /proc
// entry (drive Z:) shows the Windows command line, its threads' run time and their wake-ups.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace zvbench {

// The Linux process id of the running program whose command line begins with this full path
// (quoted or not); 0 when there is none.
unsigned long UnixPidOf(const std::wstring& strExePath);

struct LINUX_COUNTS {
    unsigned long long ullRunNs = 0;   // time on a CPU, all threads
    unsigned long long ullWakeups = 0; // voluntary context switches: a thread slept and was woken
};

// The counts summed over every thread of the process; nothing when it cannot be read.
std::optional<LINUX_COUNTS> ReadLinuxCounts(unsigned long ulUnixPid);

// Kernel plus user time by GetProcessTimes, in 100 ns units; 0 when it cannot be read.
ULONGLONG CpuTime100ns(HANDLE hProcess);

// The 1-minute load average of the machine: the figures mean little on a busy one.
std::string LoadAverage();

}  // namespace zvbench
