// The scroll width page.
#pragma once

#include "ZvPropertyPages.h"

class CPropertyPageScrlWdth : public CZvPropertyPage {
public:
    CPropertyPageScrlWdth(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
        : CZvPropertyPage(IDD_PROPPAGE_SCRLWDTH, pProp, pSheet, nPageIndex) {}
};
