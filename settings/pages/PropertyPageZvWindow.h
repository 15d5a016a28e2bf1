#pragma once

#include "ZvPropertyPages.h"

// Window: how a window activated outside the desktop is scrolled to, the key pressed a number of
// times that suppresses that scroll, cancelled maximising and the position kept over a minimise.
class CPropertyPageZvWindow : public CZvPropertyPage {
public:
    CPropertyPageZvWindow(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
        : CZvPropertyPage(IDD_PROPPAGE_ZVWINDOW, pProp, pSheet, nPageIndex) {}

protected:
    BOOL OnInitDialog() override;
    BOOL OnControlCommand(UINT nId, UINT nCode, HWND hWndCtrl) override;

private:
    void RefreshPage();
};
