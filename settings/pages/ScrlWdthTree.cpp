#include "ScrlWdthTree.h"

#include <string>

#include "ScrlWdthValues.h"
#include "Strings.h"
#include "resource.h"

namespace {

// Operation images run 1 to 4 (5 to 8 selected), the devices' 9 to 11.
constexpr int OP_IMAGE_FIRST = 1;
constexpr int OP_SELECTED_IMAGE_FIRST = 5;
constexpr int DEVICE_IMAGE_FIRST = 9;
constexpr int OPS_PER_DEVICE = SCRLWDTH_DEVICE_STRIDE;

} // namespace

void CScrlWdthTree::Update(const int anBefore[SCRLWDTH_DEVICES], const int anNow[SCRLWDTH_DEVICES])
{
    HTREEITEM hRoot = m_tree.Root();
    if (!hRoot)
        hRoot = m_tree.Insert(TVI_ROOT, LoadResString(IDS_SCRLWDTH_ROOT), PageValues::SCRLWDTH_ITEM_ROOT, 0, 0);
    int anChange[SCRLWDTH_DEVICES] = {};
    PageValues::GetScrlWdthTreeChanges(anBefore, anNow, anChange);
    for (int nDevice = 0; nDevice < SCRLWDTH_DEVICES; ++nDevice) {
        const int nValue = PageValues::ScrlWdthDeviceItem(nDevice);
        if (anChange[nDevice] < 0) {
            HTREEITEM hDevice = m_tree.FindChild(hRoot, nValue);
            if (!hDevice)
                continue;
            if (m_hRemembered && m_tree.IsWithin(m_hRemembered, hDevice)) {
                m_hRemembered = nullptr;
                m_tree.Select(hRoot);
            }
            TreeView_DeleteItem(m_tree.GetHwnd(), hDevice);
        } else if (anChange[nDevice] > 0) {
            HTREEITEM hDevice = m_tree.Insert(hRoot, LoadResString(IDS_SCRLWDTH_MOUSE + static_cast<UINT>(nDevice)),
                                              nValue, DEVICE_IMAGE_FIRST + nDevice, DEVICE_IMAGE_FIRST + nDevice);
            for (int nOp = 0; nOp < OPS_PER_DEVICE; ++nOp)
                m_tree.Insert(hDevice, LoadResString(IDS_SCRLWDTH_HORZ_LINE + static_cast<UINT>(nOp)),
                              nDevice * OPS_PER_DEVICE + nOp, OP_IMAGE_FIRST + nOp, OP_SELECTED_IMAGE_FIRST + nOp);
        }
    }
    m_tree.SortAndExpand(hRoot);
}
