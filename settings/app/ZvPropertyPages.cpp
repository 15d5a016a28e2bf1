#include "ZvPropertyPages.h"

#include <string>

#include "Strings.h"
#include "ZvMessages.h"
#include "ZvPropertySheet.h"

namespace {

std::wstring WindowText(HWND hWnd)
{
    std::wstring str(static_cast<size_t>(GetWindowTextLengthW(hWnd)) + 1, L'\0');
    str.resize(static_cast<size_t>(GetWindowTextW(hWnd, str.data(), static_cast<int>(str.size()))));
    return str;
}

// The control tells its parent that it took the focus. The codes overlap between control classes,
// so the class decides (a button tells only with BS_NOTIFY).
bool IsFocusNotification(HWND hWndCtrl, UINT nCode)
{
    wchar_t szClass[32] = {};
    GetClassNameW(hWndCtrl, szClass, static_cast<int>(std::size(szClass)));
    if (lstrcmpiW(szClass, L"Edit") == 0)
        return nCode == EN_SETFOCUS;
    if (lstrcmpiW(szClass, L"ComboBox") == 0)
        return nCode == CBN_SETFOCUS;
    if (lstrcmpiW(szClass, L"ListBox") == 0)
        return nCode == LBN_SETFOCUS;
    if (lstrcmpiW(szClass, L"Button") == 0)
        return nCode == BN_SETFOCUS;
    return false;
}

} // namespace

// ---- CZvPropertyPage ----------------------------------------------------------------------

CZvPropertyPage::CZvPropertyPage(UINT nIDTemplate, PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
    : CPropertyPage(nIDTemplate), m_pProp(pProp), m_pSheet(pSheet), m_nPageIndex(nPageIndex)
{
    MapMessage(WM_COMMAND, &CZvPropertyPage::OnCommand);
    MapMessage(MSG_PROP_REFOCUS, &CZvPropertyPage::OnPropRefocus);
}

BOOL CZvPropertyPage::OnApply(BOOL bClosing)
{
    // Every page whose window exists is told of the one apply, and the record is one: only the
    // current page has the sheet store it, at once, so that settings that arrived nowhere refuse
    // the apply (OK then leaves the sheet open, and Apply stays enabled) instead of being taken
    // as stored.
    if (m_pSheet && m_pSheet->m_hWnd && m_pSheet->GetActivePage() == this) {
        if (!m_pSheet->StoreSettings(bClosing)) {
            SetModified(TRUE);
            return FALSE;
        }
        CancelToClose();
    }
    SetModified(FALSE);
    return CPropertyPage::OnApply(bClosing);
}

BOOL CZvPropertyPage::OnSetActive()
{
    if (m_pSheet && m_pSheet->m_hWnd)
        PostMessageW(m_pSheet->m_hWnd, MSG_PROP_PAGE, static_cast<WPARAM>(m_nPageIndex), 0);
    OnActivatePage();
    return CPropertyPage::OnSetActive();
}

BOOL CZvPropertyPage::OnKillActive()
{
    RANGE_ERROR err;
    if (m_bInitialized && !CheckRanges(&err)) {
        ShowRangeError(err);
        return FALSE;
    }
    return CPropertyPage::OnKillActive();
}

void CZvPropertyPage::ShowRangeError(const RANGE_ERROR& err)
{
    ShowMessageBox(PageValues::RangeMessage(err).c_str(), LoadResString(IDS_ZV_CAPTION).c_str(), MB_ICONERROR,
                   m_hWnd);
    // Posted: the focus is given back only after the sheet has finished refusing the change.
    HWND hWndEdit = err.nField >= 0 ? GetDlgItem(m_hWnd, err.nField) : nullptr;
    PostMessageW(m_hWnd, MSG_PROP_REFOCUS, reinterpret_cast<WPARAM>(hWndEdit), 0);
}

LRESULT CZvPropertyPage::OnPropRefocus(WPARAM wParam, LPARAM)
{
    HWND hWndEdit = reinterpret_cast<HWND>(wParam);
    // Only an edit of this page: the message could come from anywhere.
    if (!hWndEdit || !IsChild(m_hWnd, hWndEdit))
        return 0;
    const std::wstring strText = WindowText(hWndEdit);
    SendMessageW(hWndEdit, EM_SETSEL, 0, static_cast<LPARAM>(strText.size()));
    SendMessageW(hWndEdit, EM_SCROLLCARET, 0, 0);
    SetFocus(hWndEdit);
    return 0;
}

LRESULT CZvPropertyPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT nId = LOWORD(wParam);
    const UINT nCode = HIWORD(wParam);
    HWND hWndCtrl = reinterpret_cast<HWND>(lParam);
    if (!hWndCtrl || m_bFilling)
        return Default();
    if (IsFocusNotification(hWndCtrl, nCode))
        ShowHelpFor(static_cast<int>(nId));
    if (nId == IDC_DEFAULT && nCode == BN_CLICKED) {
        ShowHelpFor(IDC_DEFAULT);
        if (OnDefault())
            SetModified(TRUE);
        return 0;
    }
    if (OnControlCommand(nId, nCode, hWndCtrl))
        return 0;
    return Default();
}

void CZvPropertyPage::SetHelpLine(UINT nIdString)
{
    if (HWND hWndHelp = GetDlgItem(m_hWnd, IDC_HELP_LINE))
        SetWindowTextW(hWndHelp, LoadResString(nIdString).c_str());
}

void CZvPropertyPage::ShowHelpFor(int nCtrlId)
{
    if (const UINT nIdString = GetHelpStringId(nCtrlId))
        SetHelpLine(nIdString);
}

void CZvPropertyPage::ShowHelpForFocus()
{
    HWND hWndFocus = GetFocus();
    if (hWndFocus && IsChild(m_hWnd, hWndFocus))
        ShowHelpFor(GetDlgCtrlID(hWndFocus));
}

int CZvPropertyPage::ReadEditNumber(int nId) const
{
    return PageValues::ReadNumber(WindowText(GetDlgItem(m_hWnd, nId)));
}

std::wstring CZvPropertyPage::ItemText(int nId) const
{
    return WindowText(GetDlgItem(m_hWnd, nId));
}

void CZvPropertyPage::SetCheck(int nId, BOOL bChecked) const
{
    CheckDlgButton(m_hWnd, nId, bChecked ? BST_CHECKED : BST_UNCHECKED);
}

BOOL CZvPropertyPage::IsChecked(int nId) const
{
    return IsDlgButtonChecked(m_hWnd, nId) == BST_CHECKED;
}

void CZvPropertyPage::SetEditText(int nId, const std::wstring& strText)
{
    m_bFilling = TRUE;
    SetDlgItemTextW(m_hWnd, nId, strText.c_str());
    m_bFilling = FALSE;
}

void CZvPropertyPage::SetEditNumber(int nId, int nValue)
{
    SetEditText(nId, FormatString(L"%d", nValue));
}
