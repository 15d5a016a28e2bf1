#include "WndUtil.h"

#include <algorithm>
#include <cwchar>

#include "PropertySet.h"

namespace {

// A cut may follow this character: it is printable and not the first half of a pair.
bool IsCutPoint(wchar_t ch)
{
    if (ch < 0x20 || (ch >= 0x7F && ch < 0xA0))
        return false;
    return !IS_HIGH_SURROGATE(ch);
}

bool IsMinimizedShowCmd(UINT nShowCmd)
{
    return nShowCmd == SW_SHOWMINIMIZED || nShowCmd == SW_MINIMIZE;
}

} // namespace

void AbbreviateStr(LPCWSTR pszSrc, LPWSTR pszBuf, int nBufSize, LPCWSTR pszTail)
{
    if (!pszBuf || nBufSize <= 0)
        return;
    std::fill(pszBuf, pszBuf + nBufSize, L'\0');
    if (!pszSrc)
        return;
    const size_t nSize = static_cast<size_t>(nBufSize);
    const size_t nLen = wcslen(pszSrc);
    if (nLen < nSize) {
        std::copy(pszSrc, pszSrc + nLen, pszBuf);
        return;
    }
    if (!pszTail)
        pszTail = L"";
    const ptrdiff_t nTail = static_cast<ptrdiff_t>(wcslen(pszTail));
    ptrdiff_t nPos = static_cast<ptrdiff_t>(nSize) - nTail - 2;
    while (nPos >= 0 && !IsCutPoint(pszSrc[nPos]))
        --nPos;
    const size_t nKeep = nPos < 0 ? 0 : static_cast<size_t>(nPos) + 1;
    std::copy(pszSrc, pszSrc + nKeep, pszBuf);
    // A tail longer than the buffer is cut rather than written past its end.
    const size_t nTailRoom = std::min(static_cast<size_t>(nTail), nSize - 1 - nKeep);
    std::copy(pszTail, pszTail + nTailRoom, pszBuf + nKeep);
}

void CopyStrToBuf(LPWSTR pszBuf, LPCWSTR pszText, int nBufSize)
{
    if (!pszBuf || nBufSize <= 0)
        return;
    std::fill(pszBuf, pszBuf + nBufSize, L'\0');
    if (!pszText)
        return;
    size_t nCopy = std::min(wcslen(pszText), static_cast<size_t>(nBufSize) - 1);
    if (nCopy > 0 && pszText[nCopy] != L'\0' && IS_HIGH_SURROGATE(pszText[nCopy - 1]))
        --nCopy;
    std::copy(pszText, pszText + nCopy, pszBuf);
}

BOOL IsSameShowCmd(UINT nShowCmd1, UINT nShowCmd2)
{
    if (nShowCmd1 == nShowCmd2)
        return TRUE;
    return IsMinimizedShowCmd(nShowCmd1) && IsMinimizedShowCmd(nShowCmd2);
}

HWND GetRelatedWnd(HWND hWnd, UINT uCmd, BOOL bRequireAlive)
{
    HWND hWndRelated = GetWindow(hWnd, uCmd);
    if (!hWndRelated)
        return nullptr;
    if (bRequireAlive && !IsWindow(hWndRelated))
        return nullptr;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    if (!GetWindowPlacement(hWndRelated, &wp))
        return nullptr;
    if (!IsMinimizedShowCmd(wp.showCmd))
        return hWndRelated;

    // The owner asked about is that of the window passed in, not of the one found.
    HWND hWndOwner = GetWindow(hWnd, GW_OWNER);
    if (!IsWindow(hWndOwner))
        return hWndRelated;
    WINDOWPLACEMENT wpOwner{};
    wpOwner.length = sizeof(wpOwner);
    if (!GetWindowPlacement(hWndOwner, &wpOwner) || !IsWindowVisible(hWndOwner) ||
        IsMinimizedShowCmd(wpOwner.showCmd))
        return nullptr;
    return hWndRelated;
}

BOOL SetScrollBarWnds(PROPERTY_SET& prop, HWND hWndHorz, HWND hWndVert)
{
    prop.propPosSize.hWndHorz = WndTo64(hWndHorz);
    prop.propPosSize.hWndVert = WndTo64(hWndVert);
    return TRUE;
}
