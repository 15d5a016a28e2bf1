// The auto scroll page: the mouse-button state that arms auto scroll, the delay before it starts,
// and the width and speed of the inner and the outer band along the desktop's edges.
#pragma once

#include "ZvPropertyPages.h"

class CPropertyPageAutoScrl : public CZvPropertyPage {
public:
    CPropertyPageAutoScrl(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex);

protected:
    BOOL OnInitDialog() override;
    BOOL CheckRanges(RANGE_ERROR* pErr) override;
    BOOL OnControlCommand(UINT nId, UINT nCode, HWND hWndCtrl) override;
    UINT GetHelpStringId(int nCtrlId) const override;
    BOOL OnDefault() override;

private:
    LRESULT OnHScroll(WPARAM wParam, LPARAM lParam);
    void RefreshPage();
};
