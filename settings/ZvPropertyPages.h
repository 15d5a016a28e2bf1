// The eight settings pages. What they share lives in CZvPropertyPage: the record, the sheet and
// the page's index, the apply that goes through the sheet and the relay of the active page.
// Each page class adds only what is its own.
#pragma once

#include <windows.h>

#include "PropertySet.h"
#include "PropertySheet.h"
#include "resource.h"

class CZvPropertySheet;

class CZvPropertyPage : public CPropertyPage {
public:
    CZvPropertyPage(UINT nIDTemplate, PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex);

    int GetPageIndex() const noexcept { return m_nPageIndex; }

protected:
    // The sheet stores (the registry, or the core program through the blocks) on its own
    // message; the Cancel button reads Close afterwards, since what is stored stays stored.
    BOOL OnApply(BOOL bClosing) override;
    // The sheet relays the new page to the core program, which opens it next time.
    BOOL OnSetActive() override;

    PROPERTY_SET* m_pProp;
    CZvPropertySheet* m_pSheet;
    int m_nPageIndex;
};

class CPropertyPageScrlWdth : public CZvPropertyPage {
public:
    CPropertyPageScrlWdth(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
        : CZvPropertyPage(IDD_PROPPAGE_SCRLWDTH, pProp, pSheet, nPageIndex) {}
};

class CPropertyPagePosSize : public CZvPropertyPage {
public:
    CPropertyPagePosSize(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
        : CZvPropertyPage(IDD_PROPPAGE_POSSIZE, pProp, pSheet, nPageIndex) {}
};

class CPropertyPageView : public CZvPropertyPage {
public:
    CPropertyPageView(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
        : CZvPropertyPage(IDD_PROPPAGE_VIEW, pProp, pSheet, nPageIndex) {}
};

class CPropertyPageKeybd : public CZvPropertyPage {
public:
    CPropertyPageKeybd(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
        : CZvPropertyPage(IDD_PROPPAGE_KEYBD, pProp, pSheet, nPageIndex) {}
};

class CPropertyPageFix : public CZvPropertyPage {
public:
    CPropertyPageFix(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
        : CZvPropertyPage(IDD_PROPPAGE_FIX, pProp, pSheet, nPageIndex) {}

protected:
    BOOL OnInitDialog() override;
};

class CPropertyPageZvWindow : public CZvPropertyPage {
public:
    CPropertyPageZvWindow(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
        : CZvPropertyPage(IDD_PROPPAGE_ZVWINDOW, pProp, pSheet, nPageIndex) {}
};

class CPropertyPageUndo : public CZvPropertyPage {
public:
    CPropertyPageUndo(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
        : CZvPropertyPage(IDD_PROPPAGE_UNDO, pProp, pSheet, nPageIndex) {}
};

class CPropertyPageAutoScrl : public CZvPropertyPage {
public:
    CPropertyPageAutoScrl(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
        : CZvPropertyPage(IDD_PROPPAGE_ATSCRL, pProp, pSheet, nPageIndex) {}
};
