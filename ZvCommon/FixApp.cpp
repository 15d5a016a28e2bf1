#include "FixApp.h"

#include <cwchar>
#include <vector>

#include "../outside/ZvImgNm64/ZvImgNm64.h"

CFixApp::CFixApp(HWND hWndFixed, LPCWSTR pszAppName) : CFixWnd(FIXWND_TYPE_APP, hWndFixed, pszAppName) {}

BOOL CFixApp::IsMatchWnd(HWND hWndTarget) const
{
    // A longer name does not fit and fails the call, so only the whole name can match.
    const int nLen = static_cast<int>(wcslen(GetText()));
    std::vector<wchar_t> buf(nLen + 1, L'\0');
    if (!GetImageName(hWndTarget, buf.data(), nLen))
        return FALSE;
    return IsMatchStr(buf.data());
}

CFixWnd* CFixApp::Clone() const
{
    return new CFixApp(hWnd, GetText());
}
