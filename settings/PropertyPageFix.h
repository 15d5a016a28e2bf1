// The fixed windows page.
#pragma once

#include "ZvPropertyPages.h"

class CPropertyPageFix : public CZvPropertyPage {
public:
    CPropertyPageFix(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
        : CZvPropertyPage(IDD_PROPPAGE_FIX, pProp, pSheet, nPageIndex) {}

protected:
    BOOL OnInitDialog() override;
};
