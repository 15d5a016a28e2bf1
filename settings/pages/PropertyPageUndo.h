#pragma once

#include "ZvPropertyPages.h"

// Undo: which operations are undone, how wheel scrolls are merged into one step, and the depth.
class CPropertyPageUndo : public CZvPropertyPage {
public:
    CPropertyPageUndo(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
        : CZvPropertyPage(IDD_PROPPAGE_UNDO, pProp, pSheet, nPageIndex) {}

protected:
    BOOL OnInitDialog() override;
    void OnActivatePage() override;
    BOOL CheckRanges(RANGE_ERROR* pErr) override;
    BOOL OnControlCommand(UINT nId, UINT nCode, HWND hWndCtrl) override;

private:
    void RefreshPage();
    void UpdateWheelList();
};
