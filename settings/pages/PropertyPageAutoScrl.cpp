#include "PropertyPageAutoScrl.h"

#include <iterator>

#include "AutoScrlValues.h"
#include "ListItems.h"
#include "Strings.h"

using namespace PageValues;

CPropertyPageAutoScrl::CPropertyPageAutoScrl(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
    : CZvPropertyPage(IDD_PROPPAGE_ATSCRL, pProp, pSheet, nPageIndex)
{
    MapMessage(WM_HSCROLL, &CPropertyPageAutoScrl::OnHScroll);
}

BOOL CPropertyPageAutoScrl::OnInitDialog()
{
    CZvPropertyPage::OnInitDialog();
    HWND hWndMode = GetDlgItem(m_hWnd, IDC_AS_MODE);
    AddListItems(hWndMode, {std::begin(g_apszAtScrlModeChoice), std::end(g_apszAtScrlModeChoice)});
    SendMessageW(hWndMode, CB_SETCURSEL, 0, 0);
    HWND hWndDelay = GetDlgItem(m_hWnd, IDC_AS_DELAY);
    AddListItems(hWndDelay, {std::begin(g_apszAtScrlDelayChoice), std::end(g_apszAtScrlDelayChoice)});
    SendMessageW(hWndDelay, CB_SETCURSEL, 0, 0);
    for (int nId : {IDC_AS_INT_RANGE_SPIN, IDC_AS_EXT_RANGE_SPIN})
        SendDlgItemMessageW(m_hWnd, nId, UDM_SETRANGE32, ATSCRL_RANGE_LOW, ATSCRL_RANGE_HIGH);
    for (int nId : {IDC_AS_INT_SPEED, IDC_AS_EXT_SPEED})
        SendDlgItemMessageW(m_hWnd, nId, TBM_SETRANGE, FALSE, MAKELPARAM(ATSCRL_SPEED_LOW, ATSCRL_SPEED_HIGH));
    RefreshPage();
    SetHelpLine(IDS_ATSCRL_HELP_MODE);
    m_bInitialized = TRUE;
    return TRUE;
}

void CPropertyPageAutoScrl::RefreshPage()
{
    const PROP_ATSCRL& at = m_pProp->propAtScrl;
    const BOOL bDetail = IsAtScrlDetailEnabled(at);
    for (int nId : {IDC_AS_DELAY, IDC_AS_INT_RANGE, IDC_AS_INT_RANGE_SPIN, IDC_AS_INT_SPEED, IDC_AS_EXT_RANGE,
                    IDC_AS_EXT_RANGE_SPIN, IDC_AS_EXT_SPEED})
        EnableWindow(GetDlgItem(m_hWnd, nId), bDetail);
    SendDlgItemMessageW(m_hWnd, IDC_AS_MODE, CB_SETCURSEL, static_cast<WPARAM>(at.nMode), 0);
    SendDlgItemMessageW(m_hWnd, IDC_AS_DELAY, CB_SETCURSEL, static_cast<WPARAM>(at.nDelay), 0);
    SetEditNumber(IDC_AS_INT_RANGE, at.nInternalRange);
    SetEditNumber(IDC_AS_EXT_RANGE, at.nExternalRange);
    SendDlgItemMessageW(m_hWnd, IDC_AS_INT_SPEED, TBM_SETPOS, TRUE, at.nInternalSpeed);
    SendDlgItemMessageW(m_hWnd, IDC_AS_EXT_SPEED, TBM_SETPOS, TRUE, at.nExternalSpeed);
}

BOOL CPropertyPageAutoScrl::CheckRanges(RANGE_ERROR* pErr)
{
    return CheckAtScrlRanges(m_pProp->propAtScrl, IDC_AS_EXT_RANGE, IDC_AS_INT_RANGE, pErr);
}

UINT CPropertyPageAutoScrl::GetHelpStringId(int nCtrlId) const
{
    return GetAtScrlHelp(nCtrlId);
}

BOOL CPropertyPageAutoScrl::OnDefault()
{
    GetDefaultAtScrl(m_pProp->propAtScrl);
    RefreshPage();
    // Marked changed also when the values were the defaults already.
    return TRUE;
}

BOOL CPropertyPageAutoScrl::OnControlCommand(UINT nId, UINT nCode, HWND hWndCtrl)
{
    PROP_ATSCRL& at = m_pProp->propAtScrl;
    switch (nId) {
    case IDC_AS_MODE:
    case IDC_AS_DELAY: {
        if (nCode != CBN_SELCHANGE || !m_bInitialized)
            return FALSE;
        const LRESULT nSel = SendMessageW(hWndCtrl, CB_GETCURSEL, 0, 0);
        int& nField = nId == IDC_AS_MODE ? at.nMode : at.nDelay;
        if (nSel == CB_ERR || nSel == nField)
            return TRUE;
        nField = static_cast<int>(nSel);
        RefreshPage();
        SetHelpLine(nId == IDC_AS_MODE ? IDS_ATSCRL_HELP_MODE : IDS_ATSCRL_HELP_DELAY);
        SetModified(TRUE);
        return TRUE;
    }
    case IDC_AS_INT_RANGE:
    case IDC_AS_EXT_RANGE: {
        if (nCode != EN_CHANGE || !m_bInitialized)
            return FALSE;
        int& nField = nId == IDC_AS_INT_RANGE ? at.nInternalRange : at.nExternalRange;
        const int nValue = ReadEditNumber(static_cast<int>(nId));
        if (nValue != nField) {
            nField = nValue;
            SetModified(TRUE);
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}

LRESULT CPropertyPageAutoScrl::OnHScroll(WPARAM, LPARAM lParam)
{
    HWND hWndBar = reinterpret_cast<HWND>(lParam);
    const int nId = hWndBar ? GetDlgCtrlID(hWndBar) : 0;
    if (m_bInitialized && (nId == IDC_AS_INT_SPEED || nId == IDC_AS_EXT_SPEED)) {
        const int nPos = static_cast<int>(SendMessageW(hWndBar, TBM_GETPOS, 0, 0));
        (nId == IDC_AS_INT_SPEED ? m_pProp->propAtScrl.nInternalSpeed : m_pProp->propAtScrl.nExternalSpeed) = nPos;
        ShowHelpForFocus();
        SetModified(TRUE);
    }
    return Default();
}
