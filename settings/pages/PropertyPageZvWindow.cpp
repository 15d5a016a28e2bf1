#include "PropertyPageZvWindow.h"

#include <string>
#include <vector>

#include "ListItems.h"
#include "Strings.h"
#include "ZvWindowPageValues.h"

using namespace ZvWindowPageValues;

BOOL CPropertyPageZvWindow::OnInitDialog()
{
    CZvPropertyPage::OnInitDialog();
    AddListItems(GetDlgItem(m_hWnd, IDC_WN_IGNORE_KEY), {std::begin(g_apszIgnoreKey), std::end(g_apszIgnoreKey)});
    std::vector<std::wstring> counts;
    for (int i = 1; i <= IGNORE_COUNT_MAX; ++i)
        counts.push_back(FormatString(L"%d", i));
    AddListItems(GetDlgItem(m_hWnd, IDC_WN_IGNORE_CNT), counts);
    m_bInitialized = TRUE;
    RefreshPage();
    return TRUE;
}

void CPropertyPageZvWindow::RefreshPage()
{
    const PROP_WINDOW& wnd = m_pProp->propWindow;
    SetCheck(IDC_WN_ACTIVATE_NONE, wnd.nActivateMode == 0);
    SetCheck(IDC_WN_ACTIVATE_MINIMUM, wnd.nActivateMode == 1);
    SetCheck(IDC_WN_ACTIVATE_CENTER, wnd.nActivateMode == 2);
    SetCheck(IDC_WN_MAXIMIZE_CANCEL, wnd.bMaximizeCancel);
    SetCheck(IDC_WN_RESTORE_ABSPOS, wnd.bRestoreAbsPos);
    SetCheck(IDC_WN_IGNORE, wnd.bIgnoreActivateScroll);
    // Showing an entry changes nothing: a key byte that is neither stays until the user chooses.
    SendDlgItemMessageW(m_hWnd, IDC_WN_IGNORE_KEY, CB_SETCURSEL,
                        static_cast<WPARAM>(IgnoreKeyIndex(wnd.byIgnoreActivateScrollKey)), 0);
    SendDlgItemMessageW(m_hWnd, IDC_WN_IGNORE_CNT, CB_SETCURSEL,
                        static_cast<WPARAM>(wnd.nIgnoreActivateScrollCnt - 1), 0);
    EnableWindow(GetDlgItem(m_hWnd, IDC_WN_IGNORE), IsIgnoreCheckEnabled(wnd));
    const BOOL bLists = AreIgnoreListsEnabled(wnd);
    for (int nId : {IDC_WN_IGNORE_KEY_LABEL, IDC_WN_IGNORE_KEY, IDC_WN_IGNORE_CNT_LABEL, IDC_WN_IGNORE_CNT})
        EnableWindow(GetDlgItem(m_hWnd, nId), bLists);
}

BOOL CPropertyPageZvWindow::OnControlCommand(UINT nId, UINT nCode, HWND hWndCtrl)
{
    PROP_WINDOW& wnd = m_pProp->propWindow;
    switch (nId) {
    case IDC_WN_ACTIVATE_NONE:
    case IDC_WN_ACTIVATE_MINIMUM:
    case IDC_WN_ACTIVATE_CENTER:
        if (nCode != BN_CLICKED || !m_bInitialized)
            return FALSE;
        // A click on the choice already made changes nothing.
        if (wnd.nActivateMode != static_cast<int>(nId - IDC_WN_ACTIVATE_NONE)) {
            wnd.nActivateMode = static_cast<int>(nId - IDC_WN_ACTIVATE_NONE);
            SetModified(TRUE);
        }
        RefreshPage();
        return TRUE;
    case IDC_WN_IGNORE:
    case IDC_WN_MAXIMIZE_CANCEL:
    case IDC_WN_RESTORE_ABSPOS: {
        if (nCode != BN_CLICKED || !m_bInitialized)
            return FALSE;
        BOOL& bField = nId == IDC_WN_IGNORE            ? wnd.bIgnoreActivateScroll
                       : nId == IDC_WN_MAXIMIZE_CANCEL ? wnd.bMaximizeCancel
                                                       : wnd.bRestoreAbsPos;
        bField = !bField;
        SetModified(TRUE);
        RefreshPage();
        return TRUE;
    }
    case IDC_WN_IGNORE_KEY:
    case IDC_WN_IGNORE_CNT: {
        if (nCode != CBN_SELCHANGE || !m_bInitialized)
            return FALSE;
        const LRESULT nSel = SendMessageW(hWndCtrl, CB_GETCURSEL, 0, 0);
        if (nSel == CB_ERR)
            return TRUE;
        if (nId == IDC_WN_IGNORE_KEY && nSel < IGNORE_KEYS)
            wnd.byIgnoreActivateScrollKey = g_abyIgnoreKey[nSel];
        else if (nId == IDC_WN_IGNORE_CNT)
            wnd.nIgnoreActivateScrollCnt = static_cast<int>(nSel) + 1;
        SetModified(TRUE);
        return TRUE;
    }
    default:
        return FALSE;
    }
}
