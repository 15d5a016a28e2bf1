// The keyboard page.
#pragma once

#include "ZvPropertyPages.h"

class CPropertyPageKeybd : public CZvPropertyPage {
public:
    CPropertyPageKeybd(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
        : CZvPropertyPage(IDD_PROPPAGE_KEYBD, pProp, pSheet, nPageIndex) {}
};
