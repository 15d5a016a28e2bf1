#include "ProcessCounts.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cwchar>

#include "ZvTestKit.h"

namespace zvbench {

namespace {

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

unsigned long UnixPidOf(const std::wstring& strExePath)
{
    const std::string strWanted = zvkit::ToUtf8(strExePath);
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW(L"Z:\\proc\\*", &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return 0;
    unsigned long ulPid = 0;
    do {
        wchar_t* pEnd = nullptr;
        const unsigned long ul = std::wcstoul(fd.cFileName, &pEnd, 10);
        if (ul == 0 || *pEnd)
            continue;
        const std::string strCmd = zvkit::ReadFileBytes(L"Z:\\proc\\" + std::wstring(fd.cFileName) + L"\\cmdline");
        std::string strFirst = strCmd.substr(0, strCmd.find('\0'));
        // A program started by another with its path quoted shows the quotes.
        if (strFirst.size() >= 2 && strFirst.front() == '"' && strFirst.back() == '"')
            strFirst = strFirst.substr(1, strFirst.size() - 2);
        if (EqualNoCase(strFirst, strWanted))
            ulPid = ul;
    } while (!ulPid && FindNextFileW(hFind, &fd));
    FindClose(hFind);
    return ulPid;
}

std::optional<LINUX_COUNTS> ReadLinuxCounts(unsigned long ulUnixPid)
{
    if (!ulUnixPid)
        return std::nullopt;
    const std::wstring strTasks = L"Z:\\proc\\" + std::to_wstring(ulUnixPid) + L"\\task\\";
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW((strTasks + L"*").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return std::nullopt;
    LINUX_COUNTS c;
    int nTasks = 0;
    do {
        if (fd.cFileName[0] == L'.')
            continue;
        const std::wstring strTask = strTasks + fd.cFileName;
        c.ullRunNs += std::strtoull(zvkit::ReadFileBytes(strTask + L"\\schedstat").c_str(), nullptr, 10);
        const std::string strStatus = zvkit::ReadFileBytes(strTask + L"\\status");
        constexpr char kField[] = "\nvoluntary_ctxt_switches:";
        if (const size_t pos = strStatus.find(kField); pos != std::string::npos)
            c.ullWakeups += std::strtoull(strStatus.c_str() + pos + sizeof(kField) - 1, nullptr, 10);
        ++nTasks;
    } while (FindNextFileW(hFind, &fd));
    FindClose(hFind);
    return nTasks ? std::optional(c) : std::nullopt;
}

ULONGLONG CpuTime100ns(HANDLE hProcess)
{
    FILETIME ftCreate, ftExit, ftKernel, ftUser;
    if (!hProcess || !GetProcessTimes(hProcess, &ftCreate, &ftExit, &ftKernel, &ftUser))
        return 0;
    auto toU64 = [](const FILETIME& ft) { return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; };
    return toU64(ftKernel) + toU64(ftUser);
}

std::string LoadAverage()
{
    const std::string str = zvkit::ReadFileBytes(L"Z:\\proc\\loadavg");
    return str.empty() ? "?" : str.substr(0, str.find(' '));
}

}  // namespace zvbench
