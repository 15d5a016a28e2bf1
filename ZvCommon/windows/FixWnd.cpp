#include "FixWnd.h"

#include <cwchar>

CFixWnd::CFixWnd(int nKind, HWND hWndFixed, LPCWSTR pszText) : nType(nKind), hWnd(hWndFixed)
{
    const size_t nLen = pszText ? wcslen(pszText) : 0;
    psz = std::make_unique<wchar_t[]>(nLen + 1);
    if (nLen)
        wmemcpy(psz.get(), pszText, nLen);
    psz[nLen] = L'\0';
}

CFixWnd::~CFixWnd() = default;

BOOL CFixWnd::IsEqual(const CFixWnd* pOther) const
{
    if (!pOther || pOther->nType != nType)
        return FALSE;
    return wcscmp(GetText(), pOther->GetText()) == 0;
}

BOOL CFixWnd::IsMatchStr(LPCWSTR pszText) const
{
    return pszText && psz && wcscmp(psz.get(), pszText) == 0;
}
