#include "PropertyPageKeybd.h"

#include <iterator>
#include <string>

#include "ListItems.h"
#include "LogManager.h"
#include "Sender.h"
#include "Strings.h"
#include "ZvHook64.h"
#include "ZvMessages.h"
#include "ZvPropertySheet.h"

using namespace KeybdPageValues;

namespace {

bool IsKeyEdit(int nId)
{
    return nId == IDC_KB_SCROLL_KEYS || nId == IDC_KB_UNDO_KEYS || nId == IDC_KB_MENU_KEYS;
}

} // namespace

CPropertyPageKeybd::CPropertyPageKeybd(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
    : CZvPropertyPage(IDD_PROPPAGE_KEYBD, pProp, pSheet, nPageIndex)
{
    MapMessage(MSG_HOOK_KEYBD, &CPropertyPageKeybd::OnKeybdHooked);
    MapMessage(WM_DESTROY, &CPropertyPageKeybd::OnDestroy);
}

CPropertyPageKeybd::~CPropertyPageKeybd()
{
    SetKeybdHook(FALSE);
}

BOOL CPropertyPageKeybd::OnInitDialog()
{
    CZvPropertyPage::OnInitDialog();
    HWND hWndTarget = GetDlgItem(m_hWnd, IDC_KB_SCROLL_TARGET);
    AddListItems(hWndTarget, {std::begin(g_apszScrollOperation), std::end(g_apszScrollOperation)});
    SendMessageW(hWndTarget, CB_SETCURSEL, 0, 0);
    UpdateControls();
    SetHelpLine(IDS_KEYBD_HELP);
    m_bInitialized = TRUE;
    return TRUE;
}

int CPropertyPageKeybd::SelectedOperation() const
{
    const LRESULT nSel = SendDlgItemMessageW(m_hWnd, IDC_KB_SCROLL_TARGET, CB_GETCURSEL, 0, 0);
    return nSel >= 0 && nSel < SCROLL_OPERATIONS ? static_cast<int>(nSel) : -1;
}

void CPropertyPageKeybd::ShowKeyText(HWND hWndEdit, int nEntry) const
{
    SetWindowTextW(hWndEdit, FormatKeyList(m_pProp->propKeybd.aKeyAssign[nEntry].lstKey).c_str());
}

void CPropertyPageKeybd::UpdateControls()
{
    const PROP_KEYBD& keybd = m_pProp->propKeybd;
    const bool bScroll = IsScrollKeyEnabled(keybd);
    SetCheck(IDC_KB_SCROLL_ENABLE, bScroll);
    SetCheck(IDC_KB_UNDO_ENABLE, keybd.aKeyAssign[KEYASSIGN_UNDO].bEnable);
    SetCheck(IDC_KB_MENU_ENABLE, keybd.aKeyAssign[KEYASSIGN_MENU].bEnable);
    EnableWindow(GetDlgItem(m_hWnd, IDC_KB_MENU_ENABLE), IsMenuEnableSwitchable(*m_pProp));

    EnableWindow(GetDlgItem(m_hWnd, IDC_KB_SCROLL_TARGET), bScroll);
    EnableWindow(GetDlgItem(m_hWnd, IDC_KB_SCROLL_KEYS), bScroll);
    if (bScroll) {
        if (const int nSel = SelectedOperation(); nSel >= 0)
            ShowKeyText(GetDlgItem(m_hWnd, IDC_KB_SCROLL_KEYS), nSel);
    }
    for (const auto& [nEntry, nId] : {std::pair{KEYASSIGN_UNDO, IDC_KB_UNDO_KEYS}, std::pair{KEYASSIGN_MENU, IDC_KB_MENU_KEYS}}) {
        HWND hWndEdit = GetDlgItem(m_hWnd, nId);
        const BOOL bEnable = keybd.aKeyAssign[nEntry].bEnable;
        EnableWindow(hWndEdit, bEnable);
        if (bEnable)
            ShowKeyText(hWndEdit, nEntry);
    }
}

void CPropertyPageKeybd::OnActivatePage()
{
    LogKeyAssign(L"変更前");
    // After an apply the page is active again with the focus where it was: a key edit that still
    // has it captures again.
    HWND hWndFocus = GetFocus();
    if (m_bInitialized && hWndFocus && GetParent(hWndFocus) == m_hWnd && IsKeyEdit(GetDlgCtrlID(hWndFocus)))
        OnControlCommand(static_cast<UINT>(GetDlgCtrlID(hWndFocus)), EN_SETFOCUS, hWndFocus);
}

BOOL CPropertyPageKeybd::OnKillActive()
{
    SetKeyCapture(FALSE);
    m_hWndEditCapture = nullptr;
    LogKeyAssign(L"変更後");
    return CZvPropertyPage::OnKillActive();
}

BOOL CPropertyPageKeybd::OnControlCommand(UINT nId, UINT nCode, HWND hWndCtrl)
{
    PROP_KEYBD& keybd = m_pProp->propKeybd;
    switch (nId) {
    case IDC_KB_SCROLL_ENABLE:
    case IDC_KB_UNDO_ENABLE:
    case IDC_KB_MENU_ENABLE:
        if (nCode != BN_CLICKED || !m_bInitialized)
            return FALSE;
        if (nId == IDC_KB_SCROLL_ENABLE)
            ToggleScrollKeys(keybd);
        else {
            BOOL& bEnable = keybd.aKeyAssign[nId == IDC_KB_UNDO_ENABLE ? KEYASSIGN_UNDO : KEYASSIGN_MENU].bEnable;
            bEnable = !bEnable;
        }
        SetModified(TRUE);
        UpdateControls();
        return TRUE;
    case IDC_KB_SCROLL_TARGET:
        if (nCode == CBN_SELCHANGE) {
            if (const int nSel = SelectedOperation(); nSel >= 0)
                ShowKeyText(GetDlgItem(m_hWnd, IDC_KB_SCROLL_KEYS), nSel);
        } else if (nCode == CBN_SETFOCUS) {
            SetHelpLine(IDS_KEYBD_HELP_TARGET);
        } else if (nCode == CBN_KILLFOCUS) {
            SetHelpLine(IDS_KEYBD_HELP);
        } else {
            return FALSE;
        }
        return TRUE;
    case IDC_KB_SCROLL_KEYS:
    case IDC_KB_UNDO_KEYS:
    case IDC_KB_MENU_KEYS:
        if (nCode == EN_SETFOCUS) {
            UINT nHelp = nId == IDC_KB_UNDO_KEYS ? IDS_KEYBD_HELP_UNDO : IDS_KEYBD_HELP_MENU;
            if (nId == IDC_KB_SCROLL_KEYS) {
                const int nSel = SelectedOperation();
                if (nSel < 0)
                    return TRUE;
                nHelp = IDS_KEYBD_HELP_LEFT_LINE + static_cast<UINT>(nSel);
            }
            SetHelpLine(nHelp);
            m_hWndEditCapture = hWndCtrl;
            // Keys held before the capture began are not part of the combination. (The page keeps
            // its own key state: the thread's is not touched, nor its Caps Lock and Num Lock.)
            m_keyState = {};
            SetKeyCapture(TRUE);
        } else if (nCode == EN_KILLFOCUS) {
            SetHelpLine(IDS_KEYBD_HELP);
            m_hWndEditCapture = nullptr;
            SetKeyCapture(FALSE);
        } else {
            return FALSE;
        }
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CPropertyPageKeybd::PreTranslateMessage(MSG* pMsg)
{
    const bool bKey = pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST;
    const bool bContext = pMsg->message == WM_RBUTTONDOWN || pMsg->message == WM_RBUTTONUP;
    if (!pMsg->hwnd || !(bKey || bContext) || !IsKeyEdit(GetDlgCtrlID(pMsg->hwnd)) || GetParent(pMsg->hwnd) != m_hWnd)
        return FALSE;
    // The edits show combinations, never typed text: no key reaches them, nor the paste of their menu.
    return bContext || pMsg->hwnd == m_hWndEditCapture;
}

void CPropertyPageKeybd::SetKeyCapture(BOOL bOn)
{
    if (!m_pSheet)
        return;
    const HWND hWndCore = m_pSheet->GetCoreWnd();
    if (hWndCore) {
        // A core program gone meanwhile takes nothing and sends nothing.
        if (IsWindow(hWndCore))
            PostMessageW(hWndCore, MSG_KEYBD_FORWARD, bOn ? reinterpret_cast<WPARAM>(m_hWnd) : 0, 0);
        return;
    }
    SetKeybdHook(bOn);
}

BOOL CPropertyPageKeybd::SetKeybdHook(BOOL bOn)
{
    if (!bOn) {
        if (m_hKeybdHook)
            m_hKeybdHook = SetKeybdHook64(nullptr, 0);
        return FALSE;
    }
    if (!m_hWnd) {
        const DWORD dwErr = GetLastError();
        ShowMessageBox(FormatString(LoadResString(IDS_ZV_ERR_HWND).c_str(), static_cast<unsigned>(dwErr)).c_str(),
                       LoadResString(IDS_ZV_CAPTION).c_str(), MB_ICONERROR, m_hWnd);
        return FALSE;
    }
    if (!m_hKeybdHook) {
        m_hKeybdHook = SetKeybdHook64(m_hWnd, MSG_HOOK_KEYBD);
        if (!m_hKeybdHook)
            OutputLog(LOG_LEVEL_ERROR, SENDER_PROP, L"CPropertyPageKeybd::SetKeybdHook() failed, code = 0x%x.\r\n",
                      static_cast<unsigned>(GetLastError()));
    }
    return TRUE;
}

int CPropertyPageKeybd::CaptureEntry() const
{
    if (!m_hWndEditCapture)
        return -1;
    switch (GetDlgCtrlID(m_hWndEditCapture)) {
    case IDC_KB_SCROLL_KEYS:
        return SelectedOperation();
    case IDC_KB_UNDO_KEYS:
        return KEYASSIGN_UNDO;
    case IDC_KB_MENU_KEYS:
        return KEYASSIGN_MENU;
    default:
        return -1;
    }
}

LRESULT CPropertyPageKeybd::OnKeybdHooked(WPARAM wParam, LPARAM lParam)
{
    // A key event that comes after the capture has ended (still queued, or sent by anyone) is no
    // part of a combination.
    if (!m_hWndEditCapture)
        return 0;
    ApplyKeyEvent(m_keyState, static_cast<UINT>(wParam), (static_cast<ULONG_PTR>(lParam) & 0x80000000u) != 0);
    const KEY_CAPTURE cap = CaptureKeys(m_keyState.data(), IDS_KEYBD_TOO_MANY_KEYS, IDS_KEYBD_HELP);
    if (cap.IsRefused()) {
        if (HWND hWndHelp = GetDlgItem(m_hWnd, IDC_HELP_LINE))
            SetWindowTextW(hWndHelp, cap.pszText ? cap.pszText : LoadResString(cap.nTextId).c_str());
        return 0;
    }
    const int nEntry = CaptureEntry();
    if (nEntry >= 0 && !cap.lstKey.empty()) {
        m_pProp->propKeybd.aKeyAssign[nEntry].lstKey = cap.lstKey;
        UpdateControls();
        SetModified(TRUE);
    }
    SetHelpLine(IDS_KEYBD_HELP);
    return 0;
}

LRESULT CPropertyPageKeybd::OnDestroy(WPARAM, LPARAM)
{
    // The sheet closed while a key edit captured: the core program forwards no more keys, and the
    // page's own hook goes with its window.
    if (m_hWndEditCapture) {
        m_hWndEditCapture = nullptr;
        SetKeyCapture(FALSE);
    }
    SetKeybdHook(FALSE);
    return Default();
}

void CPropertyPageKeybd::LogKeyAssign(LPCWSTR pszWhen) const
{
    if (!IsLogLevelActive(LOG_LEVEL_DEBUG))
        return;
    OutputLog(LOG_LEVEL_DEBUG, SENDER_PROP, L"キーボード設定 : %s.\r\n", pszWhen);
    for (int i = 0; i < KEYASSIGN_COUNT; ++i)
        OutputLog(LOG_LEVEL_DEBUG, SENDER_PROP, L"%s = %s\r\n", g_apszEntryName[i],
                  FormatKeyList(m_pProp->propKeybd.aKeyAssign[i].lstKey).c_str());
}
