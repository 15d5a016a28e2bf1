// The view page.
#pragma once

#include "ZvPropertyPages.h"

class CPropertyPageView : public CZvPropertyPage {
public:
    CPropertyPageView(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
        : CZvPropertyPage(IDD_PROPPAGE_VIEW, pProp, pSheet, nPageIndex) {}
};
