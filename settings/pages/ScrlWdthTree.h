// The scroll width page's tree of devices and operations. It offers only the devices that can
// scroll with the present settings and follows them when they change, and it holds the item the
// page has taken as selected, which it forgets before that item is deleted.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "PropertySet.h"
#include "ValueTree.h"

class CScrlWdthTree {
public:
    // The tree control, with its images cut from the bitmap nIdBitmap of hInstance (16-pixel
    // cells, white transparent); without the bitmap the items go without images.
    void Attach(HWND hWndTree, HINSTANCE hInstance, UINT nIdBitmap) { m_tree.Attach(hWndTree, hInstance, nIdBitmap); }
    // The root, then each device offered now and not before inserted with its four operations, and
    // each offered before and not now deleted; the devices sorted by value under the expanded root.
    // A deleted device that holds the remembered item first selects the root with nothing
    // remembered, so that no one reaches the deleted item through the page's selection change.
    void Update(const int anBefore[SCRLWDTH_DEVICES], const int anNow[SCRLWDTH_DEVICES]);

    // An item's value: an entry (0 to 11), the root or a device (PageValues); -1 for none.
    int ItemValue(HTREEITEM hItem) const { return static_cast<int>(m_tree.ItemValue(hItem)); }
    // The item with this value, anywhere in the tree; null when none.
    HTREEITEM FindItem(int nValue) const { return m_tree.Find(nValue); }
    // The tree's selection moved to hItem (the page is told as by the user).
    BOOL Select(HTREEITEM hItem) const { return m_tree.Select(hItem); }

    HTREEITEM Remembered() const noexcept { return m_hRemembered; }
    void Remember(HTREEITEM hItem) noexcept { m_hRemembered = hItem; }

private:
    CValueTree m_tree;
    HTREEITEM m_hRemembered = nullptr;
};
