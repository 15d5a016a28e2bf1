// Items added in code to a list control: a list box, a combo box or a list view; and the value
// a tree view's item carries.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

// Appends the texts in order to a "ListBox" (LB_ADDSTRING), a "ComboBox" (CB_ADDSTRING) or a
// "SysListView32" (a new last item each, the text in its first column). A sorted list box or
// combo box sorts them. Returns how many were added; stops at the first the control refuses.
int AddListItems(HWND hWndCtrl, const std::vector<std::wstring>& items);

// The value (lParam) of the tree view's item; lNone for no item or one the tree does not know.
LPARAM TreeItemValue(HWND hWndTree, HTREEITEM hItem, LPARAM lNone = -1);
