// ZvTWndEnum.exe: runs the window enumerator of the shared foundation for the end-to-end tests and
// writes what it found about the windows of one process to a file (UTF-8), one line per fact.
//
//   /OUT=path /PID=pid           the report file; the process whose windows are reported
//   /OSCLASS=n /TITLEDONLY=0|1 /OWNWND=0|1   the enumerator's settings (defaults 5, 1, 0)
//   /TITLE=text /APP=name        entries of the fixed-title and fixed-application lists
// then steps, in order:
//   /ENUM                        EnumerateWnds
//   /ADDTITLE=t /ADDAPP=a /DELTITLE=t /DELAPP=a   change the fixed lists afterwards
//   /FIX                         MakeFixTitleList, MakeFixAppList, FixWnds
//   /UNFIX                       UnfixWnds
//   /MATCHTITLE=t                "MATCH <hwnd> 0|1": CFixTitle(t).IsMatchWnd of each listed window
// Every /ENUM, /FIX and /UNFIX writes "STEP <name>", then "WND <hwnd>" per window-list entry,
// "MOVE <hwnd>" per move-list entry and "FIX <kind> <hwnd> <text>" per fixed record, window handles
// in hexadecimal. Exit code 0, or 2 for a bad command line or an unwritable report.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Strings.h"
#include "WndEnumerator.h"

namespace {

bool TakeValue(const std::wstring& strArg, const wchar_t* pszName, std::wstring& strValue)
{
    const std::wstring strPrefix = std::wstring(L"/") + pszName + L"=";
    if (strArg.rfind(strPrefix, 0) != 0)
        return false;
    strValue = strArg.substr(strPrefix.size());
    return true;
}

unsigned long long Handle64(HWND hWnd)
{
    return static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(hWnd));
}

class CReport {
public:
    CReport(CWndEnumerator& we, DWORD dwPid) : m_we(we), m_dwPid(dwPid) {}
    bool IsOurs(HWND hWnd) const
    {
        DWORD dwPid = 0;
        GetWindowThreadProcessId(hWnd, &dwPid);
        return dwPid == m_dwPid;
    }
    void Line(const std::wstring& str) { m_str += str + L"\n"; }
    void Dump(const wchar_t* pszStep)
    {
        Line(FormatString(L"STEP %s", pszStep));
        for (HWND hWnd : m_we.GetWndList())
            if (IsOurs(hWnd))
                Line(FormatString(L"WND %llx", Handle64(hWnd)));
        for (HWND hWnd : m_we.GetMoveWndList())
            if (IsOurs(hWnd))
                Line(FormatString(L"MOVE %llx", Handle64(hWnd)));
        for (const auto& pFix : m_we.GetFixWndList())
            if (IsOurs(pFix->hWnd))
                Line(FormatString(L"FIX %d %llx %s", pFix->nType, Handle64(pFix->hWnd), pFix->GetText()));
    }
    bool Write(const std::wstring& strPath) const
    {
        const int cb = WideCharToMultiByte(CP_UTF8, 0, m_str.c_str(), static_cast<int>(m_str.size()), nullptr, 0,
                                           nullptr, nullptr);
        std::string strUtf8(static_cast<size_t>(cb), '\0');
        WideCharToMultiByte(CP_UTF8, 0, m_str.c_str(), static_cast<int>(m_str.size()), strUtf8.data(), cb,
                            nullptr, nullptr);
        HANDLE hFile = CreateFileW(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (hFile == INVALID_HANDLE_VALUE)
            return false;
        DWORD cbWritten = 0;
        const bool bOk = WriteFile(hFile, strUtf8.data(), static_cast<DWORD>(strUtf8.size()), &cbWritten, nullptr) &&
                         cbWritten == strUtf8.size();
        CloseHandle(hFile);
        return bOk;
    }

private:
    CWndEnumerator& m_we;
    DWORD m_dwPid;
    std::wstring m_str;
};

void Remove(std::vector<std::wstring>& lst, const std::wstring& str)
{
    lst.erase(std::remove(lst.begin(), lst.end(), str), lst.end());
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR lpCmdLine, int)
{
    const std::vector<std::wstring> args = SplitCommandLine(lpCmdLine, FALSE);
    std::wstring strOut, strValue;
    DWORD dwPid = 0;
    int nOSClass = 5;
    BOOL bTitledOnly = TRUE, bOwnWnd = FALSE;
    std::vector<std::wstring> lstTitle, lstApp;
    size_t iStep = 0;
    for (; iStep < args.size(); ++iStep) {
        const std::wstring& strArg = args[iStep];
        if (TakeValue(strArg, L"OUT", strValue))
            strOut = strValue;
        else if (TakeValue(strArg, L"PID", strValue))
            dwPid = wcstoul(strValue.c_str(), nullptr, 10);
        else if (TakeValue(strArg, L"OSCLASS", strValue))
            nOSClass = _wtoi(strValue.c_str());
        else if (TakeValue(strArg, L"TITLEDONLY", strValue))
            bTitledOnly = _wtoi(strValue.c_str());
        else if (TakeValue(strArg, L"OWNWND", strValue))
            bOwnWnd = _wtoi(strValue.c_str());
        else if (TakeValue(strArg, L"TITLE", strValue))
            lstTitle.push_back(strValue);
        else if (TakeValue(strArg, L"APP", strValue))
            lstApp.push_back(strValue);
        else
            break;
    }
    if (strOut.empty() || !dwPid)
        return 2;

    CWndEnumerator we(nOSClass, &lstTitle, &lstApp, &bOwnWnd, &bTitledOnly);
    CReport report(we, dwPid);
    for (; iStep < args.size(); ++iStep) {
        const std::wstring& strArg = args[iStep];
        if (strArg == L"/ENUM") {
            we.EnumerateWnds();
            report.Dump(L"ENUM");
        } else if (strArg == L"/FIX") {
            we.MakeFixTitleList();
            we.MakeFixAppList();
            we.FixWnds();
            report.Dump(L"FIX");
        } else if (strArg == L"/UNFIX") {
            we.UnfixWnds();
            report.Dump(L"UNFIX");
        } else if (TakeValue(strArg, L"ADDTITLE", strValue)) {
            lstTitle.push_back(strValue);
        } else if (TakeValue(strArg, L"ADDAPP", strValue)) {
            lstApp.push_back(strValue);
        } else if (TakeValue(strArg, L"DELTITLE", strValue)) {
            Remove(lstTitle, strValue);
        } else if (TakeValue(strArg, L"DELAPP", strValue)) {
            Remove(lstApp, strValue);
        } else if (TakeValue(strArg, L"MATCHTITLE", strValue)) {
            const CFixTitle fix(nullptr, strValue.c_str());
            for (HWND hWnd : we.GetWndList())
                if (report.IsOurs(hWnd))
                    report.Line(FormatString(L"MATCH %llx %d", Handle64(hWnd), fix.IsMatchWnd(hWnd) ? 1 : 0));
        } else {
            return 2;
        }
    }
    return report.Write(strOut) ? 0 : 2;
}
