// A tree view whose items carry values: its image list (owned, since a tree never destroys its
// normal image list), items inserted with a value, found by their value, a level sorted by value.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

class CValueTree {
public:
    CValueTree() = default;
    CValueTree(const CValueTree&) = delete;
    CValueTree& operator=(const CValueTree&) = delete;
    ~CValueTree();

    // The tree control, with its images cut from the bitmap nIdBitmap of hInstance (16-pixel
    // cells, white transparent); without the bitmap the items go without images.
    void Attach(HWND hWndTree, HINSTANCE hInstance, UINT nIdBitmap);
    HWND GetHwnd() const noexcept { return m_hWnd; }

    // A new last child of hParent (TVI_ROOT for a root).
    HTREEITEM Insert(HTREEITEM hParent, const std::wstring& strText, LPARAM lValue, int nImage,
                     int nSelectedImage) const;
    // hParent's children in the order of their values, and hParent expanded; nothing without children.
    void SortAndExpand(HTREEITEM hParent) const;

    // An item's value; -1 for none.
    LPARAM ItemValue(HTREEITEM hItem) const;
    // The child of hParent with this value, or the item with it anywhere in the tree; null when none.
    HTREEITEM FindChild(HTREEITEM hParent, LPARAM lValue) const;
    HTREEITEM Find(LPARAM lValue) const;
    // Whether hItem is hTop or lies below it.
    BOOL IsWithin(HTREEITEM hItem, HTREEITEM hTop) const;

    HTREEITEM Root() const { return TreeView_GetRoot(m_hWnd); }
    HTREEITEM Selected() const { return TreeView_GetSelection(m_hWnd); }
    // The tree's selection moved to hItem (the page is told as by the user).
    BOOL Select(HTREEITEM hItem) const { return TreeView_SelectItem(m_hWnd, hItem); }

private:
    HTREEITEM FindBelow(HTREEITEM hFirst, LPARAM lValue) const;

    HWND m_hWnd = nullptr;
    HIMAGELIST m_hImages = nullptr;
};
