// The auto scroll page.
#pragma once

#include "ZvPropertyPages.h"

class CPropertyPageAutoScrl : public CZvPropertyPage {
public:
    CPropertyPageAutoScrl(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
        : CZvPropertyPage(IDD_PROPPAGE_ATSCRL, pProp, pSheet, nPageIndex) {}
};
