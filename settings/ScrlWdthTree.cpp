#include "ScrlWdthTree.h"

#include <string>

#include "ListItems.h"
#include "ScrlWdthValues.h"
#include "Strings.h"
#include "resource.h"

namespace {

// Operation images run 1 to 4 (5 to 8 selected), the devices' 9 to 11.
constexpr int OP_IMAGE_FIRST = 1;
constexpr int OP_SELECTED_IMAGE_FIRST = 5;
constexpr int DEVICE_IMAGE_FIRST = 9;
constexpr int OPS_PER_DEVICE = SCRLWDTH_DEVICE_STRIDE;

int CALLBACK CompareValues(LPARAM lParam1, LPARAM lParam2, LPARAM) noexcept
{
    return lParam1 < lParam2 ? -1 : lParam1 > lParam2 ? 1 : 0;
}

} // namespace

CScrlWdthTree::~CScrlWdthTree()
{
    // The tree never destroys an image list it was given.
    if (m_hImages)
        ImageList_Destroy(m_hImages);
}

void CScrlWdthTree::Attach(HWND hWndTree, HINSTANCE hInstance, UINT nIdBitmap)
{
    m_hWnd = hWndTree;
    if (!m_hImages)
        m_hImages = ImageList_LoadImageW(hInstance, MAKEINTRESOURCEW(nIdBitmap), 16, 0, RGB(255, 255, 255),
                                         IMAGE_BITMAP, LR_CREATEDIBSECTION);
    if (m_hImages)
        TreeView_SetImageList(m_hWnd, m_hImages, TVSIL_NORMAL);
}

void CScrlWdthTree::Update(const int anBefore[SCRLWDTH_DEVICES], const int anNow[SCRLWDTH_DEVICES])
{
    HTREEITEM hRoot = TreeView_GetRoot(m_hWnd);
    if (!hRoot)
        hRoot = Insert(TVI_ROOT, IDS_SCRLWDTH_ROOT, PageValues::SCRLWDTH_ITEM_ROOT, 0, 0);
    int anChange[SCRLWDTH_DEVICES] = {};
    PageValues::GetScrlWdthTreeChanges(anBefore, anNow, anChange);
    for (int nDevice = 0; nDevice < SCRLWDTH_DEVICES; ++nDevice) {
        const int nValue = PageValues::ScrlWdthDeviceItem(nDevice);
        if (anChange[nDevice] < 0) {
            HTREEITEM hDevice = FindChild(hRoot, nValue);
            if (!hDevice)
                continue;
            if (m_hRemembered && IsWithin(m_hRemembered, hDevice)) {
                m_hRemembered = nullptr;
                Select(hRoot);
            }
            TreeView_DeleteItem(m_hWnd, hDevice);
        } else if (anChange[nDevice] > 0) {
            HTREEITEM hDevice = Insert(hRoot, IDS_SCRLWDTH_MOUSE + static_cast<UINT>(nDevice), nValue,
                                       DEVICE_IMAGE_FIRST + nDevice, DEVICE_IMAGE_FIRST + nDevice);
            for (int nOp = 0; nOp < OPS_PER_DEVICE; ++nOp)
                Insert(hDevice, IDS_SCRLWDTH_HORZ_LINE + static_cast<UINT>(nOp), nDevice * OPS_PER_DEVICE + nOp,
                       OP_IMAGE_FIRST + nOp, OP_SELECTED_IMAGE_FIRST + nOp);
        }
    }
    if (TreeView_GetChild(m_hWnd, hRoot)) {
        TVSORTCB sort{hRoot, CompareValues, 0};
        TreeView_SortChildrenCB(m_hWnd, &sort, FALSE);
        TreeView_Expand(m_hWnd, hRoot, TVE_EXPAND);
    }
}

int CScrlWdthTree::ItemValue(HTREEITEM hItem) const
{
    return static_cast<int>(TreeItemValue(m_hWnd, hItem));
}

HTREEITEM CScrlWdthTree::FindItem(int nValue) const
{
    return FindBelow(TreeView_GetRoot(m_hWnd), nValue);
}

BOOL CScrlWdthTree::Select(HTREEITEM hItem) const
{
    return TreeView_SelectItem(m_hWnd, hItem);
}

HTREEITEM CScrlWdthTree::Insert(HTREEITEM hParent, UINT nIdText, int nValue, int nImage, int nSelectedImage) const
{
    std::wstring strText = LoadResString(nIdText);
    TVINSERTSTRUCTW ins{};
    ins.hParent = hParent;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.pszText = strText.data();
    ins.item.lParam = nValue;
    ins.item.iImage = nImage;
    ins.item.iSelectedImage = nSelectedImage;
    return TreeView_InsertItem(m_hWnd, &ins);
}

HTREEITEM CScrlWdthTree::FindChild(HTREEITEM hParent, int nValue) const
{
    for (HTREEITEM h = TreeView_GetChild(m_hWnd, hParent); h; h = TreeView_GetNextSibling(m_hWnd, h)) {
        if (ItemValue(h) == nValue)
            return h;
    }
    return nullptr;
}

HTREEITEM CScrlWdthTree::FindBelow(HTREEITEM hFirst, int nValue) const
{
    for (HTREEITEM h = hFirst; h; h = TreeView_GetNextSibling(m_hWnd, h)) {
        if (ItemValue(h) == nValue)
            return h;
        if (HTREEITEM hFound = FindBelow(TreeView_GetChild(m_hWnd, h), nValue))
            return hFound;
    }
    return nullptr;
}

BOOL CScrlWdthTree::IsWithin(HTREEITEM hItem, HTREEITEM hTop) const
{
    for (HTREEITEM h = hItem; h; h = TreeView_GetParent(m_hWnd, h)) {
        if (h == hTop)
            return TRUE;
    }
    return FALSE;
}
