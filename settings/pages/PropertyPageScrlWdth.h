// The scroll width page: for each device, direction and unit that can scroll, how far one scroll
// moves the desktop, in pixels of the desktop, pixels of the scroll bar or screens.
#pragma once

#include "ScrlWdthTree.h"
#include "ZvPropertyPages.h"

class CPropertyPageScrlWdth : public CZvPropertyPage {
public:
    CPropertyPageScrlWdth(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex);

protected:
    BOOL OnInitDialog() override;
    void OnActivatePage() override;
    BOOL CheckRanges(RANGE_ERROR* pErr) override;
    BOOL OnControlCommand(UINT nId, UINT nCode, HWND hWndCtrl) override;
    BOOL OnDefault() override;

private:
    LRESULT OnTreeSelChanged(NMHDR* pNmhdr);
    // TRUE when the field nField of the entry behind hItem lies out of its range (*pErr filled);
    // FALSE also for an item that is no entry, or before the page is initialised.
    BOOL CheckRange(HTREEITEM hItem, int nField, RANGE_ERROR* pErr) const;
    void UpdateControls();
    void ShowTreeHelp();
    void ShowModeHelp();

    CScrlWdthTree m_tree;
    // Set while the page puts back the item a refused selection change left.
    BOOL m_bReselecting = FALSE;
    // The entry the controls show; SCRLWDTH_ITEM_NONE while a device or the root is selected.
    int m_nEntry = 0;
    // The mode's field whose edit is checked on leaving the entry or the page; -1 none.
    int m_nField = -1;
    // The devices offered the last time the tree was brought up to date: mouse, keyboard, wheel.
    int m_anTargets[SCRLWDTH_DEVICES] = {};
};
