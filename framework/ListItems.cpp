#include "ListItems.h"

#include <commctrl.h>

int AddListItems(HWND hWndCtrl, const std::vector<std::wstring>& items)
{
    wchar_t szClass[32] = {};
    if (!GetClassNameW(hWndCtrl, szClass, static_cast<int>(std::size(szClass))))
        return 0;
    const bool bListBox = lstrcmpiW(szClass, L"ListBox") == 0;
    const bool bComboBox = lstrcmpiW(szClass, L"ComboBox") == 0;
    const bool bListView = lstrcmpiW(szClass, WC_LISTVIEWW) == 0;
    int nAdded = 0;
    for (const std::wstring& strItem : items) {
        const LPARAM lText = reinterpret_cast<LPARAM>(strItem.c_str());
        LRESULT lIndex = -1;
        if (bListBox) {
            lIndex = SendMessageW(hWndCtrl, LB_ADDSTRING, 0, lText);
        } else if (bComboBox) {
            lIndex = SendMessageW(hWndCtrl, CB_ADDSTRING, 0, lText);
        } else if (bListView) {
            LVITEMW item = {};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(SendMessageW(hWndCtrl, LVM_GETITEMCOUNT, 0, 0));
            item.pszText = const_cast<LPWSTR>(strItem.c_str());
            lIndex = SendMessageW(hWndCtrl, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        if (lIndex < 0)   // LB_ERR, LB_ERRSPACE, CB_ERR and a list view's -1 alike
            break;
        ++nAdded;
    }
    return nAdded;
}

LPARAM TreeItemValue(HWND hWndTree, HTREEITEM hItem, LPARAM lNone)
{
    if (!hItem)
        return lNone;
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_PARAM;
    item.hItem = hItem;
    return SendMessageW(hWndTree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : lNone;
}
