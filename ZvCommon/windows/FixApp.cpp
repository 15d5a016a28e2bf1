#include "FixApp.h"

#include <string>

#include "WndFilter.h"

CFixApp::CFixApp(HWND hWndFixed, LPCWSTR pszAppName) : CFixWnd(FIXWND_TYPE_APP, hWndFixed, pszAppName) {}

BOOL CFixApp::IsMatchWnd(HWND hWndTarget) const
{
    std::wstring strName;
    if (!GetWndImageName(hWndTarget, strName))
        return FALSE;
    return IsMatchStr(strName.c_str());
}

CFixWnd* CFixApp::Clone() const
{
    return new CFixApp(hWnd, GetText());
}
