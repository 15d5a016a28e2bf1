// The window page.
#pragma once

#include "ZvPropertyPages.h"

class CPropertyPageZvWindow : public CZvPropertyPage {
public:
    CPropertyPageZvWindow(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
        : CZvPropertyPage(IDD_PROPPAGE_ZVWINDOW, pProp, pSheet, nPageIndex) {}
};
