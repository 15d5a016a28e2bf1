#pragma once

#include "ZvPropertyPages.h"

// View: the smooth-scroll speed, the bars' transparency, which bars are shown and how, the pointer
// following a scroll, the tray icon and smooth scrolling. No help line, no defaults, no range
// check: the trackbars keep to their ranges.
class CPropertyPageView : public CZvPropertyPage {
public:
    CPropertyPageView(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex);

protected:
    BOOL OnInitDialog() override;
    void OnActivatePage() override;
    BOOL OnControlCommand(UINT nId, UINT nCode, HWND hWndCtrl) override;

private:
    LRESULT OnHScroll(WPARAM wParam, LPARAM lParam);
    void RefreshPage();
};
