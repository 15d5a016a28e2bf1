// The two list boxes of the fixed-windows page and the window list of its query dialog. Entries are
// told apart by their item data (a window or a fixed-window record), never by their text: two
// windows may bear one title, and the list box's own search compares prefixes, case ignored.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace FixPageLists {

// The entry holding lData, or -1.
int FindByData(HWND hWndList, LPARAM lData);
// The entry appended (nIndex -1) or inserted at nIndex with its data; its index, or -1.
int AddEntry(HWND hWndList, const std::wstring& strText, LPARAM lData, int nIndex = -1);
// Removes the entry holding lData; whether there was one.
BOOL RemoveByData(HWND hWndList, LPARAM lData);
// The data of the selected entries, top to bottom. Taken before entries are removed, since each
// removal shifts the indexes of those after it.
std::vector<LPARAM> SelectedData(HWND hWndList);
int SelectedCount(HWND hWndList);
// The horizontal extent set to the widest entry, measured in the list box's own font; 0 when empty.
void SetListExtent(HWND hWndList);

} // namespace FixPageLists
