// The scroll width page's tree of devices and operations. It offers only the devices that can
// scroll with the present settings and follows them when they change, and it holds the item the
// page has taken as selected, which it forgets before that item is deleted.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "PropertySet.h"

class CScrlWdthTree {
public:
    CScrlWdthTree() = default;
    CScrlWdthTree(const CScrlWdthTree&) = delete;
    CScrlWdthTree& operator=(const CScrlWdthTree&) = delete;
    ~CScrlWdthTree();

    // The tree control, with its images cut from the bitmap nIdBitmap of hInstance (16-pixel
    // cells, white transparent); without the bitmap the items go without images.
    void Attach(HWND hWndTree, HINSTANCE hInstance, UINT nIdBitmap);
    // The root, then each device offered now and not before inserted with its four operations, and
    // each offered before and not now deleted; the devices sorted by value under the expanded root.
    // A deleted device that holds the remembered item first selects the root with nothing
    // remembered, so that no one reaches the deleted item through the page's selection change.
    void Update(const int anBefore[SCRLWDTH_DEVICES], const int anNow[SCRLWDTH_DEVICES]);

    // An item's value: an entry (0 to 11), the root or a device (PageValues); -1 for none.
    int ItemValue(HTREEITEM hItem) const;
    // The item with this value, anywhere in the tree; null when none.
    HTREEITEM FindItem(int nValue) const;
    // The tree's selection moved to hItem (the page is told as by the user).
    BOOL Select(HTREEITEM hItem) const;

    HTREEITEM Remembered() const noexcept { return m_hRemembered; }
    void Remember(HTREEITEM hItem) noexcept { m_hRemembered = hItem; }

private:
    HTREEITEM Insert(HTREEITEM hParent, UINT nIdText, int nValue, int nImage, int nSelectedImage) const;
    HTREEITEM FindChild(HTREEITEM hParent, int nValue) const;
    HTREEITEM FindBelow(HTREEITEM hFirst, int nValue) const;
    BOOL IsWithin(HTREEITEM hItem, HTREEITEM hTop) const;

    HWND m_hWnd = nullptr;
    HIMAGELIST m_hImages = nullptr;
    HTREEITEM m_hRemembered = nullptr;
};
