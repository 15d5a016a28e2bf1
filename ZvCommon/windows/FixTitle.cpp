#include "FixTitle.h"

#include <cwchar>
#include <vector>

CFixTitle::CFixTitle(HWND hWndFixed, LPCWSTR pszTitle) : CFixWnd(FIXWND_TYPE_TITLE, hWndFixed, pszTitle) {}

BOOL CFixTitle::IsMatchWnd(HWND hWndTarget) const
{
    if (!IsWindow(hWndTarget))
        return FALSE;
    // Room for one character more than the kept title: a title cut to the kept length would
    // make every longer title with the same beginning match.
    const size_t nLen = wcslen(GetText());
    std::vector<wchar_t> buf(nLen + 2, L'\0');
    GetWindowTextW(hWndTarget, buf.data(), static_cast<int>(buf.size()));
    return IsMatchStr(buf.data());
}

CFixWnd* CFixTitle::Clone() const
{
    return new CFixTitle(hWnd, GetText());
}
