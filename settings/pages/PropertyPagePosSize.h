#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "PosSizeValues.h"
#include "ValueTree.h"
#include "ZvPropertyPages.h"

// Position and size: where the two scroll bars stand and how large they are, for the bar chosen
// in the tree, with a preview of the desktop and both bars to scale. A bar's values are checked
// against the desktop and the system's scroll-bar size when the user leaves the bar or the page.
class CPropertyPagePosSize : public CZvPropertyPage {
public:
    CPropertyPagePosSize(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex);

protected:
    BOOL OnInitDialog() override;
    BOOL OnKillActive() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnControlCommand(UINT nId, UINT nCode, HWND hWndCtrl) override;
    UINT GetHelpStringId(int nCtrlId) const override;
    BOOL OnDefault() override;

private:
    LRESULT OnTreeSelChanged(NMHDR* pNmhdr);
    LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);

    void MakeTree();
    HTREEITEM SelectedItem() const { return m_tree.Selected(); }
    // The item's value (PosSizeValues::ITEM_*), -1 for none.
    LPARAM ItemValue(HTREEITEM hItem) const { return m_tree.ItemValue(hItem); }
    // The bar (PosSizeValues::BAR_*) the item stands for, 0 for the root or none.
    int ItemBar(HTREEITEM hItem) const;
    void UpdatePosSizeEdits();
    void EnablePosSizeCtrls(BOOL bEnable);
    void SetTreeHelp();
    void InvalidatePreview();
    void DrawPreview(HDC hDC, const RECT& rcFrame);
    // The limits the item's bar breaks on the desktop now (none for the root or no item).
    std::vector<CORRECT_POSSIZE> CheckPosSize(HTREEITEM hItem) const;
    // The correction message; the edit of the first broken limit, to send the user back to.
    HWND ShowCorrectPosSize(const std::vector<CORRECT_POSSIZE>& lstCorrect);

    CValueTree m_tree;
    // The page puts the selection back itself: the tree's notification then changes nothing.
    BOOL m_bReselecting = FALSE;
    // The item shown, whose values are checked when the selection moves on.
    HTREEITEM m_hItemPrev = nullptr;
    // Copied from View once: a bar hidden then has no tree item and no preview for the page's life.
    BOOL m_bHorzShown = FALSE;
    BOOL m_bVertShown = FALSE;
    // The field (PosSizeValues::FIELD_*) of the edit that last took the focus, 0 none.
    int m_nLastFocusedField = 0;
};
