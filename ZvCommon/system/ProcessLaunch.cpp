#include "ProcessLaunch.h"

#include <vector>

#include "Handle.h"

std::wstring BuildProcessCommandLine(LPCWSTR pszProgram, LPCWSTR pszArgs)
{
    std::wstring strLine = L"\"";
    strLine += pszProgram ? pszProgram : L"";
    strLine += L"\"";
    if (pszArgs && *pszArgs) {
        if (*pszArgs != L' ' && *pszArgs != L'\t')
            strLine += L' ';
        strLine += pszArgs;
    }
    return strLine;
}

HANDLE StartProcess(LPCWSTR pszProgram, LPCWSTR pszCurDir, LPCWSTR pszCmdLine)
{
    if (!pszProgram || !*pszProgram) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // CreateProcessW may write into the command line.
    const std::wstring strLine = BuildProcessCommandLine(pszProgram, pszCmdLine);
    std::vector<wchar_t> line(strLine.begin(), strLine.end());
    line.push_back(L'\0');

    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(pszProgram, line.data(), nullptr, nullptr, FALSE,
                        CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS, nullptr,
                        (pszCurDir && *pszCurDir) ? pszCurDir : nullptr, &si, &pi))
        return nullptr;
    const CHandle hThread(pi.hThread);
    return pi.hProcess;
}

BOOL ExecProcess(LPCWSTR pszProgram, LPCWSTR pszCurDir, LPCWSTR pszCmdLine, DWORD dwWaitMs,
                 DWORD* pdwExitCode)
{
    if (pdwExitCode)
        *pdwExitCode = 0;
    const CHandle hProcess(StartProcess(pszProgram, pszCurDir, pszCmdLine));
    if (!hProcess)
        return FALSE;

    BOOL bResult = TRUE;
    // The process, not its first thread: that thread can end while the process still runs,
    // or before the exit code has been set.
    if (dwWaitMs != 0)
        bResult = WaitForSingleObject(hProcess.get(), dwWaitMs) == WAIT_OBJECT_0;
    if (pdwExitCode) {
        bResult = GetExitCodeProcess(hProcess.get(), pdwExitCode);
        if (!bResult)
            *pdwExitCode = 0;
    }
    return bResult;
}

std::wstring GetSearchExtension(LPCWSTR pszFile)
{
    if (!pszFile)
        return std::wstring();
    const std::wstring_view strFile(pszFile);
    const size_t nDot = strFile.rfind(L'.');
    if (nDot == std::wstring_view::npos || nDot + 1 == strFile.size())
        return std::wstring();
    return std::wstring(strFile.substr(nDot));
}

BOOL SearchFileDir(LPCWSTR pszFile, std::wstring& strDir)
{
    if (!pszFile || !*pszFile)
        return FALSE;
    const std::wstring strExt = GetSearchExtension(pszFile);
    std::vector<wchar_t> buf(wcslen(pszFile) + MAX_PATH + 1, L'\0');
    LPWSTR pszFilePart = nullptr;
    for (;;) {
        const DWORD nLen = SearchPathW(nullptr, pszFile, strExt.empty() ? nullptr : strExt.c_str(),
                                       static_cast<DWORD>(buf.size()), buf.data(), &pszFilePart);
        if (nLen == 0)
            return FALSE;
        if (nLen < buf.size())
            break;
        // Too small: nLen is the room needed, terminator included.
        buf.assign(nLen + 1, L'\0');
    }
    std::wstring strPath(buf.data());
    const size_t nSlash = strPath.find_last_of(L"\\/");
    if (nSlash == std::wstring::npos)
        return FALSE;
    strDir = strPath.substr(0, nSlash + 1);
    return TRUE;
}

BOOL IsMutexExist(LPCWSTR pszName)
{
    if (!pszName || !*pszName)
        return FALSE;
    if (const CHandle hMutex(OpenMutexW(SYNCHRONIZE, FALSE, pszName)); hMutex)
        return TRUE;
    // A mutex of another user or integrity level exists, though we may not open it.
    return GetLastError() == ERROR_ACCESS_DENIED;
}

BOOL IsImmigrateKeyExist()
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, IMMIGRATE_KEY, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return FALSE;
    RegCloseKey(hKey);
    return TRUE;
}

BOOL DeleteImmigrateKey()
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, IMMIGRATE_PARENT_KEY, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS)
        return FALSE;
    const LSTATUS nStatus = RegDeleteTreeW(hKey, IMMIGRATE_SUBKEY);
    RegCloseKey(hKey);
    return nStatus == ERROR_SUCCESS;
}

BOOL ImmigrateRegistry()
{
    if (!IsImmigrateKeyExist())
        return TRUE;
    std::wstring strDir;
    if (!SearchFileDir(IMMIGRATE_CORE_FILE, strDir))
        return FALSE;
    const std::wstring strTool = strDir + IMMIGRATE_TOOL_FILE;
    DWORD dwExitCode = 0;
    const BOOL bStarted =
        ExecProcess(strTool.c_str(), strDir.c_str(), IMMIGRATE_TOOL_ARGS, IMMIGRATE_TOOL_WAIT, &dwExitCode);
    // Anything but a finished run with exit code 0 (not started, failed, still running) keeps
    // the source for the next start.
    if (!bStarted || dwExitCode != 0)
        return FALSE;
    return DeleteImmigrateKey();
}
