#include "ValueTree.h"

#include "ListItems.h"

namespace {

int CALLBACK CompareValues(LPARAM lParam1, LPARAM lParam2, LPARAM) noexcept
{
    return lParam1 < lParam2 ? -1 : lParam1 > lParam2 ? 1 : 0;
}

} // namespace

CValueTree::~CValueTree()
{
    if (m_hImages)
        ImageList_Destroy(m_hImages);
}

void CValueTree::Attach(HWND hWndTree, HINSTANCE hInstance, UINT nIdBitmap)
{
    m_hWnd = hWndTree;
    if (!m_hImages)
        m_hImages = ImageList_LoadImageW(hInstance, MAKEINTRESOURCEW(nIdBitmap), 16, 0, RGB(255, 255, 255),
                                         IMAGE_BITMAP, LR_CREATEDIBSECTION);
    if (m_hImages)
        TreeView_SetImageList(m_hWnd, m_hImages, TVSIL_NORMAL);
}

HTREEITEM CValueTree::Insert(HTREEITEM hParent, const std::wstring& strText, LPARAM lValue, int nImage,
                             int nSelectedImage) const
{
    std::wstring strItem = strText;
    TVINSERTSTRUCTW ins{};
    ins.hParent = hParent;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.pszText = strItem.data();
    ins.item.lParam = lValue;
    ins.item.iImage = nImage;
    ins.item.iSelectedImage = nSelectedImage;
    return TreeView_InsertItem(m_hWnd, &ins);
}

void CValueTree::SortAndExpand(HTREEITEM hParent) const
{
    if (!hParent || !TreeView_GetChild(m_hWnd, hParent))
        return;
    TVSORTCB sort{hParent, CompareValues, 0};
    TreeView_SortChildrenCB(m_hWnd, &sort, FALSE);
    TreeView_Expand(m_hWnd, hParent, TVE_EXPAND);
}

LPARAM CValueTree::ItemValue(HTREEITEM hItem) const
{
    return TreeItemValue(m_hWnd, hItem);
}

HTREEITEM CValueTree::FindChild(HTREEITEM hParent, LPARAM lValue) const
{
    for (HTREEITEM h = TreeView_GetChild(m_hWnd, hParent); h; h = TreeView_GetNextSibling(m_hWnd, h)) {
        if (ItemValue(h) == lValue)
            return h;
    }
    return nullptr;
}

HTREEITEM CValueTree::Find(LPARAM lValue) const
{
    return FindBelow(Root(), lValue);
}

HTREEITEM CValueTree::FindBelow(HTREEITEM hFirst, LPARAM lValue) const
{
    for (HTREEITEM h = hFirst; h; h = TreeView_GetNextSibling(m_hWnd, h)) {
        if (ItemValue(h) == lValue)
            return h;
        if (HTREEITEM hFound = FindBelow(TreeView_GetChild(m_hWnd, h), lValue))
            return hFound;
    }
    return nullptr;
}

BOOL CValueTree::IsWithin(HTREEITEM hItem, HTREEITEM hTop) const
{
    for (HTREEITEM h = hItem; h; h = TreeView_GetParent(m_hWnd, h)) {
        if (h == hTop)
            return TRUE;
    }
    return FALSE;
}
