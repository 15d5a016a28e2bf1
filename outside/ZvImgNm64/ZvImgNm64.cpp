// Window -> process -> executable file name.
//
// The process is asked for its image path first (it is always current, also for processes started
// after the last refresh), and the path is turned into the name the file has on disk, because the
// path a process was started with may be cased differently from the file and the window filter
// compares names exactly. Only a process that refuses to be opened is looked up in the Toolhelp
// snapshot, which is refreshed once on a miss.
#include "ZvImgNm64.h"
#include <tlhelp32.h>
#include <string>
#include <unordered_map>
#include <utility>

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
std::unordered_map<DWORD, std::wstring> g_procNames;         // pid -> exe name, from the snapshot
std::unordered_map<std::wstring, std::wstring> g_diskNames;  // image path -> on-disk file name

class CExclusive {
public:
    CExclusive() noexcept { AcquireSRWLockExclusive(&g_lock); }
    ~CExclusive() { ReleaseSRWLockExclusive(&g_lock); }
    CExclusive(const CExclusive&) = delete;
    CExclusive& operator=(const CExclusive&) = delete;
};

class CShared {
public:
    CShared() noexcept { AcquireSRWLockShared(&g_lock); }
    ~CShared() { ReleaseSRWLockShared(&g_lock); }
    CShared(const CShared&) = delete;
    CShared& operator=(const CShared&) = delete;
};

std::wstring BareName(const std::wstring& strPath)
{
    size_t pos = strPath.find_last_of(L"\\/");
    return pos == std::wstring::npos ? strPath : strPath.substr(pos + 1);
}

std::wstring QueryImagePath(DWORD dwPid)
{
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwPid);
    if (!hProcess)
        return {};
    std::wstring strPath;
    // Long paths (\\?\ or deep folders) exceed MAX_PATH; the API caps paths at 32767.
    for (DWORD dwRoom = MAX_PATH; dwRoom <= 32768; dwRoom *= 4) {
        strPath.assign(dwRoom, L'\0');
        DWORD dwLen = dwRoom;
        if (QueryFullProcessImageNameW(hProcess, 0, strPath.data(), &dwLen)) {
            strPath.resize(dwLen);
            break;
        }
        strPath.clear();
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            break;
    }
    CloseHandle(hProcess);
    return strPath;
}

std::wstring DiskName(const std::wstring& strPath)
{
    {
        CShared lock;
        auto it = g_diskNames.find(strPath);
        if (it != g_diskNames.end())
            return it->second;
    }
    std::wstring strName;
    WIN32_FIND_DATAW fd{};
    HANDLE hFind = FindFirstFileExW(strPath.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
    if (hFind != INVALID_HANDLE_VALUE) {
        strName = fd.cFileName;
        FindClose(hFind);
    } else {
        strName = BareName(strPath);  // file gone or unreadable folder: the path's own spelling
    }
    if (!strName.empty()) {
        CExclusive lock;
        g_diskNames.emplace(strPath, strName);
    }
    return strName;
}

bool TakeSnapshot()
{
    HANDLE hSnap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnap == INVALID_HANDLE_VALUE)
        return false;
    std::unordered_map<DWORD, std::wstring> names;
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof(pe);
    for (BOOL bMore = Process32FirstW(hSnap, &pe); bMore; bMore = Process32NextW(hSnap, &pe))
        names[pe.th32ProcessID] = BareName(pe.szExeFile);
    CloseHandle(hSnap);
    if (names.empty())
        return false;
    CExclusive lock;
    g_procNames = std::move(names);
    g_diskNames.clear();
    return true;
}

std::wstring SnapshotName(DWORD dwPid)
{
    CShared lock;
    auto it = g_procNames.find(dwPid);
    return it == g_procNames.end() ? std::wstring() : it->second;
}

std::wstring ProcessName(DWORD dwPid)
{
    std::wstring strPath = QueryImagePath(dwPid);
    if (!strPath.empty())
        return DiskName(strPath);
    std::wstring strName = SnapshotName(dwPid);
    if (strName.empty() && TakeSnapshot())
        strName = SnapshotName(dwPid);
    return strName;
}

BOOL Fail(DWORD dwError)
{
    SetLastError(dwError);
    return FALSE;
}

}  // namespace

extern "C" BOOL WINAPI GetImageName(HWND hWnd, LPWSTR pszName, int nMaxLen)
{
    if (!pszName || nMaxLen < 0)
        return Fail(ERROR_INVALID_PARAMETER);
    pszName[0] = L'\0';
    try {
        DWORD dwPid = 0;
        if (!hWnd || !GetWindowThreadProcessId(hWnd, &dwPid) || !dwPid)
            return Fail(ERROR_INVALID_WINDOW_HANDLE);
        std::wstring strName = ProcessName(dwPid);
        if (strName.empty())
            return Fail(ERROR_NOT_FOUND);
        if (strName.size() > static_cast<size_t>(nMaxLen))
            return Fail(ERROR_INSUFFICIENT_BUFFER);
        strName.copy(pszName, strName.size());
        pszName[strName.size()] = L'\0';
        return TRUE;
    } catch (...) {  // no exception may cross into the callers' C code
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

extern "C" BOOL WINAPI UpdateProcessList(void)
{
    try {
        return TakeSnapshot() ? TRUE : FALSE;
    } catch (...) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}
