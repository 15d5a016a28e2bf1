#include "ZvPropertyPages.h"

#include "ZvMessages.h"
#include "ZvPropertySheet.h"

CZvPropertyPage::CZvPropertyPage(UINT nIDTemplate, PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
    : CPropertyPage(nIDTemplate), m_pProp(pProp), m_pSheet(pSheet), m_nPageIndex(nPageIndex)
{
}

BOOL CZvPropertyPage::OnApply(BOOL bClosing)
{
    if (m_pSheet && m_pSheet->m_hWnd)
        PostMessageW(m_pSheet->m_hWnd, MSG_PROP_APPLY, 0, 0);
    SetModified(FALSE);
    CancelToClose();
    return CPropertyPage::OnApply(bClosing);
}

BOOL CZvPropertyPage::OnSetActive()
{
    if (m_pSheet && m_pSheet->m_hWnd)
        PostMessageW(m_pSheet->m_hWnd, MSG_PROP_PAGE, static_cast<WPARAM>(m_nPageIndex), 0);
    return CPropertyPage::OnSetActive();
}

BOOL CPropertyPageFix::OnInitDialog()
{
    // There is no gadget host to fix on the systems this program runs on.
    if (HWND hWndGadget = GetDlgItem(m_hWnd, IDC_FX_FIX_GADGET)) {
        ShowWindow(hWndGadget, SW_HIDE);
        EnableWindow(hWndGadget, FALSE);
    }
    return CZvPropertyPage::OnInitDialog();
}
