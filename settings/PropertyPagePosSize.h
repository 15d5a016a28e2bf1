// The position and size page.
#pragma once

#include "ZvPropertyPages.h"

class CPropertyPagePosSize : public CZvPropertyPage {
public:
    CPropertyPagePosSize(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
        : CZvPropertyPage(IDD_PROPPAGE_POSSIZE, pProp, pSheet, nPageIndex) {}
};
