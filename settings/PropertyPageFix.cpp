#include "PropertyPageFix.h"

BOOL CPropertyPageFix::OnInitDialog()
{
    // There is no gadget host to fix on the systems this program runs on.
    if (HWND hWndGadget = GetDlgItem(m_hWnd, IDC_FX_FIX_GADGET)) {
        ShowWindow(hWndGadget, SW_HIDE);
        EnableWindow(hWndGadget, FALSE);
    }
    return CZvPropertyPage::OnInitDialog();
}
