#include "PropertySheet.h"

namespace {
// The sheet whose PropertySheetW call is running on this thread: the system's callback names
// only the window, and this is how it finds its object.
thread_local CPropertySheet* t_pSheetBeingMade = nullptr;

bool IsSheetNotification(UINT nCode)
{
    // PSN_FIRST and PSN_LAST bound the range from above and below (the codes are negative).
    return nCode <= PSN_FIRST && nCode >= PSN_LAST;
}
}

// ---- CPropertyPage ------------------------------------------------------------------------

CPropertyPage::CPropertyPage(UINT nIDTemplate, LPCWSTR pszCaption)
    : CDialog(nIDTemplate), m_psp{}, m_nIDPageTemplate(nIDTemplate),
      m_strCaption(pszCaption ? pszCaption : L"")
{
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags = PSP_HASHELP | (pszCaption ? PSP_USETITLE : 0);
}

void CPropertyPage::SetModified(BOOL bChanged)
{
    if (!m_hWnd)
        return;
    SendMessageW(GetParent(m_hWnd), bChanged ? PSM_CHANGED : PSM_UNCHANGED,
                 reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CPropertyPage::CancelToClose()
{
    if (m_hWnd)
        SendMessageW(GetParent(m_hWnd), PSM_CANCELTOCLOSE, 0, 0);
}

BOOL CPropertyPage::OnApply(BOOL)
{
    return TRUE;
}

void CPropertyPage::OnReset()
{
    OnCancel();
}

const PROPSHEETPAGEW& CPropertyPage::PreparePage(CPropertySheet* pSheet)
{
    m_pSheet = pSheet;
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags &= ~PSP_DLGINDIRECT;
    m_psp.hInstance = m_hInstResource;
    m_psp.pszTemplate = MAKEINTRESOURCEW(m_nIDPageTemplate);
    m_psp.pfnDlgProc = &CPropertyPage::PageDlgProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
    if (!m_strCaption.empty())
        m_psp.pszTitle = m_strCaption.c_str();
    return m_psp;
}

BOOL CPropertyPage::OnSheetNotify(NMHDR* pNmhdr, LRESULT* plResult)
{
    switch (pNmhdr->code) {
    case PSN_SETACTIVE:
        *plResult = OnSetActive() ? 0 : -1;
        return TRUE;
    case PSN_KILLACTIVE:
        *plResult = OnKillActive() ? FALSE : TRUE;   // TRUE keeps the page
        return TRUE;
    case PSN_APPLY: {
        const BOOL bClosing = reinterpret_cast<PSHNOTIFY*>(pNmhdr)->lParam != 0;
        const BOOL bApplied = OnApply(bClosing);
        if (bApplied && m_pSheet)
            m_pSheet->m_bApplied = TRUE;
        *plResult = bApplied ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
        return TRUE;
    }
    case PSN_RESET:
        OnReset();
        *plResult = 0;
        return TRUE;
    case PSN_QUERYCANCEL:
        *plResult = OnQueryCancel() ? FALSE : TRUE;   // TRUE keeps the sheet open
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK CPropertyPage::PageDlgProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_INITDIALOG) {
        // A page's lParam is the system's copy of its PROPSHEETPAGEW, whose lParam is the object.
        auto* pPage = reinterpret_cast<CPropertyPage*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
        return DlgProc(hWnd, uMsg, wParam, reinterpret_cast<LPARAM>(static_cast<CDialog*>(pPage)));
    }
    if (uMsg == WM_NOTIFY && lParam) {
        auto* pNmhdr = reinterpret_cast<NMHDR*>(lParam);
        auto* pPage = static_cast<CPropertyPage*>(FromHandle(hWnd));
        if (pPage && pNmhdr->hwndFrom == GetParent(hWnd) && IsSheetNotification(pNmhdr->code)) {
            LRESULT lResult = 0;
            if (pPage->OnSheetNotify(pNmhdr, &lResult)) {
                SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, lResult);
                return TRUE;
            }
        }
    }
    return DlgProc(hWnd, uMsg, wParam, lParam);
}

// ---- CPropertySheet -----------------------------------------------------------------------

CPropertySheet::CPropertySheet(LPCWSTR pszCaption, HWND hWndParent, UINT nSelectPage)
    : m_psh{}, m_strCaption(pszCaption ? pszCaption : L""), m_hWndParent(hWndParent)
{
    m_psh.dwSize = sizeof(m_psh);
    m_psh.dwFlags = PSH_HASHELP;
    m_psh.nStartPage = nSelectPage;
}

void CPropertySheet::AddPage(CPropertyPage* pPage)
{
    if (pPage && !m_hWnd)
        m_pages.push_back(pPage);
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const
{
    return nPage >= 0 && nPage < GetPageCount() ? m_pages[static_cast<size_t>(nPage)] : nullptr;
}

int CPropertySheet::GetActiveIndex() const
{
    if (!m_hWnd)
        return static_cast<int>(m_psh.nStartPage);
    const HWND hWndPage = PropSheet_GetCurrentPageHwnd(m_hWnd);
    for (int i = 0; i < GetPageCount(); ++i)
        if (hWndPage && m_pages[static_cast<size_t>(i)]->m_hWnd == hWndPage)
            return i;
    return -1;
}

CPropertyPage* CPropertySheet::GetActivePage() const
{
    return GetPage(GetActiveIndex());
}

BOOL CPropertySheet::SetActivePage(int nPage)
{
    if (nPage < 0 || nPage >= GetPageCount())
        return FALSE;
    if (!m_hWnd) {
        m_psh.nStartPage = static_cast<UINT>(nPage);
        return TRUE;
    }
    return PropSheet_SetCurSel(m_hWnd, nullptr, nPage) ? TRUE : FALSE;
}

BOOL CPropertySheet::PressButton(int nButton)
{
    if (!m_hWnd)
        return FALSE;
    // Posted, as the system's own macro does: the press runs once the caller's handler returns.
    return PostMessageW(m_hWnd, PSM_PRESSBUTTON, static_cast<WPARAM>(nButton), 0);
}

void CPropertySheet::EndDialog(INT_PTR nResult)
{
    m_bEndRequested = TRUE;
    m_nEndResult = nResult;
    // Wakes the loop, which may be waiting in GetMessageW.
    if (m_hWnd)
        PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

BOOL CPropertySheet::IsSheetRunning() const
{
    // A modeless sheet that is done (OK, Cancel, Close) has no current page any more; its window
    // stays until its owner destroys it.
    return m_hWnd && !m_bEndRequested && PropSheet_GetCurrentPageHwnd(m_hWnd) != nullptr;
}

void CPropertySheet::SetIconsIfMissing()
{
    // Wine's sheet takes PSH_USEHICON's icon as its small icon only: the big one (Alt+Tab) is set here.
    if (!(m_psh.dwFlags & PSH_USEHICON) || !m_psh.hIcon)
        return;
    if (!SendMessageW(m_hWnd, WM_GETICON, ICON_BIG, 0))
        SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_psh.hIcon));
    if (!SendMessageW(m_hWnd, WM_GETICON, ICON_SMALL, 0))
        SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_psh.hIcon));
}

int CALLBACK CPropertySheet::SheetCallback(HWND hWnd, UINT uMsg, LPARAM)
{
    if (uMsg == PSCB_INITIALIZED && t_pSheetBeingMade && !t_pSheetBeingMade->m_hWnd)
        t_pSheetBeingMade->SubclassWindow(hWnd);
    return 0;
}

INT_PTR CPropertySheet::DoModal()
{
    if (m_hWnd || m_pages.empty())
        return -1;
    m_pageStructs.clear();
    for (CPropertyPage* pPage : m_pages)
        m_pageStructs.push_back(pPage->PreparePage(this));
    m_psh.dwSize = sizeof(m_psh);
    m_psh.dwFlags |= PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_USECALLBACK;
    m_psh.hwndParent = m_hWndParent;
    if (!m_psh.hInstance)
        m_psh.hInstance = GetModuleHandleW(nullptr);
    m_psh.pszCaption = m_strCaption.c_str();
    m_psh.nPages = static_cast<UINT>(m_pageStructs.size());
    m_psh.ppsp = m_pageStructs.data();
    m_psh.pfnCallback = &CPropertySheet::SheetCallback;
    m_bEndRequested = FALSE;
    m_bApplied = FALSE;

    // As a modal dialog does: the parent takes no input while the sheet runs.
    const BOOL bDisableParent = m_hWndParent && IsWindowEnabled(m_hWndParent);
    if (bDisableParent)
        EnableWindow(m_hWndParent, FALSE);

    CPropertySheet* pOuter = t_pSheetBeingMade;
    t_pSheetBeingMade = this;
    const INT_PTR nCreated = PropertySheetW(&m_psh);
    t_pSheetBeingMade = pOuter;
    if (!m_hWnd) {
        // No PSCB_INITIALIZED: the sheet failed, or a window came without the callback.
        if (nCreated > 0 && IsWindow(reinterpret_cast<HWND>(nCreated)))
            DestroyWindow(reinterpret_cast<HWND>(nCreated));
        if (bDisableParent)
            EnableWindow(m_hWndParent, TRUE);
        return -1;
    }
    SetIconsIfMissing();
    OnInitDialog();

    MSG msg;
    while (IsSheetRunning()) {
        const BOOL bGot = GetMessageW(&msg, nullptr, 0, 0);
        if (bGot == -1)
            break;
        if (bGot == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));   // for the loop around this one
            break;
        }
        if (PreTranslateWindowMessage(&msg))
            continue;
        if (m_hWnd && msg.hwnd && GetAncestor(msg.hwnd, GA_ROOT) == m_hWnd
            && PropSheet_IsDialogMessage(m_hWnd, &msg))
            continue;
        if (PreTranslateDialogMessage(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    // PSM_GETRESULT tells OK (1) from Cancel (0), but a Cancel or Close after an Apply reads 0 as
    // well: the applies are counted by the pages.
    INT_PTR nResult = IDCANCEL;
    if (m_bEndRequested)
        nResult = m_nEndResult;
    else if (m_bApplied || (m_hWnd && SendMessageW(m_hWnd, PSM_GETRESULT, 0, 0) > 0))
        nResult = IDOK;
    if (m_hWnd)
        OnSheetDone(nResult);
    // The parent first, so that it takes the activation the sheet gives up.
    if (bDisableParent)
        EnableWindow(m_hWndParent, TRUE);
    if (m_hWnd)
        DestroyWindow(m_hWnd);
    m_bEndRequested = FALSE;
    return nResult;
}
