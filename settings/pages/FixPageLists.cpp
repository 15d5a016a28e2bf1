#include "FixPageLists.h"

#include <algorithm>

namespace FixPageLists {

int FindByData(HWND hWndList, LPARAM lData)
{
    const int nCount = static_cast<int>(SendMessageW(hWndList, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < nCount; ++i) {
        if (SendMessageW(hWndList, LB_GETITEMDATA, static_cast<WPARAM>(i), 0) == lData)
            return i;
    }
    return -1;
}

int AddEntry(HWND hWndList, const std::wstring& strText, LPARAM lData, int nIndex)
{
    const LRESULT lIndex = SendMessageW(hWndList, nIndex < 0 ? LB_ADDSTRING : LB_INSERTSTRING,
                                        static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(strText.c_str()));
    if (lIndex < 0)
        return -1;
    SendMessageW(hWndList, LB_SETITEMDATA, static_cast<WPARAM>(lIndex), lData);
    return static_cast<int>(lIndex);
}

BOOL RemoveByData(HWND hWndList, LPARAM lData)
{
    const int nIndex = FindByData(hWndList, lData);
    if (nIndex < 0)
        return FALSE;
    SendMessageW(hWndList, LB_DELETESTRING, static_cast<WPARAM>(nIndex), 0);
    return TRUE;
}

int SelectedCount(HWND hWndList)
{
    return std::max(0, static_cast<int>(SendMessageW(hWndList, LB_GETSELCOUNT, 0, 0)));
}

std::vector<LPARAM> SelectedData(HWND hWndList)
{
    std::vector<int> aIndex(static_cast<size_t>(SelectedCount(hWndList)));
    if (aIndex.empty())
        return {};
    const LRESULT lGot = SendMessageW(hWndList, LB_GETSELITEMS, aIndex.size(), reinterpret_cast<LPARAM>(aIndex.data()));
    aIndex.resize(static_cast<size_t>(std::max<LRESULT>(0, lGot)));
    std::sort(aIndex.begin(), aIndex.end());
    std::vector<LPARAM> lstData;
    for (int nIndex : aIndex)
        lstData.push_back(SendMessageW(hWndList, LB_GETITEMDATA, static_cast<WPARAM>(nIndex), 0));
    return lstData;
}

void SetListExtent(HWND hWndList)
{
    const int nCount = static_cast<int>(SendMessageW(hWndList, LB_GETCOUNT, 0, 0));
    int cxMax = 0;
    if (HDC hDC = nCount > 0 ? GetDC(hWndList) : nullptr) {
        HFONT hFont = reinterpret_cast<HFONT>(SendMessageW(hWndList, WM_GETFONT, 0, 0));
        HGDIOBJ hOldFont = hFont ? SelectObject(hDC, hFont) : nullptr;
        for (int i = 0; i < nCount; ++i) {
            const LRESULT lLen = SendMessageW(hWndList, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
            std::wstring strText(static_cast<size_t>(std::max<LRESULT>(0, lLen)) + 1, L'\0');
            strText.resize(static_cast<size_t>(std::max<LRESULT>(
                0, SendMessageW(hWndList, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(strText.data())))));
            SIZE size{};
            if (GetTextExtentPoint32W(hDC, strText.c_str(), static_cast<int>(strText.size()), &size))
                cxMax = std::max<int>(cxMax, size.cx);
        }
        if (hOldFont)
            SelectObject(hDC, hOldFont);
        ReleaseDC(hWndList, hDC);
    }
    // A few pixels beyond the text, so that its last letter is not cut by the border.
    SendMessageW(hWndList, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(cxMax > 0 ? cxMax + 4 : 0), 0);
}

} // namespace FixPageLists
