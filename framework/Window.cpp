#include "Window.h"

#include <algorithm>
#include <atomic>

#include "WinApp.h"

namespace {
// The window property that ties a window to its object.
const wchar_t kObjectProperty[] = L"Zuvora.Framework.CWnd";

// Counts every attach and detach in the process. Under Wine reading a window property is a call
// to the window server, as costly as fetching the message itself, and a message read it twice:
// while the count stands still, the last window a thread looked up still has the object it had.
std::atomic<unsigned> g_nAttachChanges{0};
struct ATTACHED_CACHE {
    HWND hWnd = nullptr;
    CWnd* pWnd = nullptr;
    unsigned nChanges = 0;
};
thread_local ATTACHED_CACHE t_attached;

// The object of a window of this process. A window procedure runs only for windows of its own
// process, so it can read the property without the check of CWnd::FromHandle.
CWnd* AttachedObject(HWND hWnd)
{
    const unsigned nChanges = g_nAttachChanges.load(std::memory_order_acquire);
    if (hWnd && t_attached.hWnd == hWnd && t_attached.nChanges == nChanges)
        return t_attached.pWnd;
    auto* pWnd = static_cast<CWnd*>(GetPropW(hWnd, kObjectProperty));
    t_attached = ATTACHED_CACHE{hWnd, pWnd, nChanges};
    return pWnd;
}

// OnOK and OnCancel: a modal dialog ends with nResult, a modeless one is destroyed.
void CloseDialog(HWND hWnd, BOOL bModal, INT_PTR nResult)
{
    if (bModal)
        EndDialog(hWnd, nResult);
    else
        DestroyWindow(hWnd);
}

// The modeless dialogs of this thread, for PreTranslateDialogMessage.
thread_local std::vector<HWND> t_modelessDialogs;

// Messages whose dialog-procedure result is the value itself, not DWLP_MSGRESULT.
bool ReturnsValueDirectly(UINT uMsg)
{
    return (uMsg >= WM_CTLCOLORMSGBOX && uMsg <= WM_CTLCOLORSTATIC) || uMsg == WM_COMPAREITEM
        || uMsg == WM_VKEYTOITEM || uMsg == WM_CHARTOITEM || uMsg == WM_QUERYDRAGICON
        || uMsg == WM_INITDIALOG;
}
}

CWnd::~CWnd()
{
    if (CWinApp* pApp = GetApp(); pApp && pApp->m_pMainWnd == this)
        pApp->m_pMainWnd = nullptr;
    if (m_hWnd) {
        HWND hWnd = m_hWnd;
        Detach();
        DestroyWindow(hWnd);
    }
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    // Window properties are readable from other processes: another program of ours has the
    // same property on its windows, holding a pointer that means nothing here.
    DWORD dwPid = 0;
    if (!hWnd || !GetWindowThreadProcessId(hWnd, &dwPid) || dwPid != GetCurrentProcessId())
        return nullptr;
    return AttachedObject(hWnd);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

void CWnd::CaptureMouse()
{
    if (m_hWnd)
        SetCapture(m_hWnd);
}

BOOL CWnd::HasMouseCapture() const
{
    return m_hWnd && GetCapture() == m_hWnd;
}

void CWnd::ReleaseMouseCapture()
{
    if (HasMouseCapture())
        ReleaseCapture();
}

void CWnd::Attach(HWND hWnd)
{
    m_hWnd = hWnd;
    SetPropW(hWnd, kObjectProperty, this);
    g_nAttachChanges.fetch_add(1, std::memory_order_release);
}

void CWnd::Detach()
{
    RemovePropW(m_hWnd, kObjectProperty);
    g_nAttachChanges.fetch_add(1, std::memory_order_release);
    // A subclassed window that outlives its object gets its own procedure back.
    if (m_pfnSuperWndProc)
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuperWndProc));
    m_pfnSuperWndProc = nullptr;
    std::erase(t_modelessDialogs, m_hWnd);
    m_hWnd = nullptr;
    m_pCurMsg = nullptr;
}

BOOL CWnd::RegisterWindowClass(LPCWSTR pszClassName, UINT uStyle, HICON hIcon, HCURSOR hCursor,
                               HBRUSH hbrBackground, HINSTANCE hInstance)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = uStyle;
    wc.lpfnWndProc = &CWnd::WndProc;
    wc.hInstance = hInstance ? hInstance : GetModuleHandleW(nullptr);
    wc.hIcon = hIcon;
    wc.hCursor = hCursor ? hCursor : LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = hbrBackground;
    wc.lpszClassName = pszClassName;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR pszClassName, LPCWSTR pszTitle, DWORD dwStyle,
                    int x, int y, int cx, int cy, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance)
{
    if (m_hWnd)
        return FALSE;
    // The object travels in the creation parameter; WndProc attaches it at WM_NCCREATE.
    HWND hWnd = CreateWindowExW(dwExStyle, pszClassName, pszTitle, dwStyle, x, y, cx, cy, hWndParent,
                                hMenu, hInstance ? hInstance : GetModuleHandleW(nullptr), this);
    return hWnd != nullptr;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (m_hWnd || !hWnd || AttachedObject(hWnd))
        return FALSE;
    Attach(hWnd);
    m_pfnSuperWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    if (!m_pfnSuperWndProc) {
        RemovePropW(hWnd, kObjectProperty);
        g_nAttachChanges.fetch_add(1, std::memory_order_release);
        m_hWnd = nullptr;
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::CreateHidden(LPCWSTR pszClassName, LPCWSTR pszTitle, DWORD dwExStyle)
{
    if (!RegisterWindowClass(pszClassName))
        return FALSE;
    return CreateEx(dwExStyle, pszClassName, pszTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr);
}

LRESULT CWnd::Default()
{
    if (!m_pCurMsg)
        return 0;
    if (m_pCurMsg->bDialog) {
        m_pCurMsg->bDefaultAfter = TRUE;
        return 0;
    }
    if (m_pfnSuperWndProc)
        return CallWindowProcW(m_pfnSuperWndProc, m_hWnd, m_pCurMsg->uMsg, m_pCurMsg->wParam, m_pCurMsg->lParam);
    return DefWindowProcW(m_hWnd, m_pCurMsg->uMsg, m_pCurMsg->wParam, m_pCurMsg->lParam);
}

BOOL CWnd::Dispatch(HWND hWnd, CURRENT_MSG& cur, LRESULT* plResult)
{
    MSGHANDLER pfnMsg = nullptr;
    CMDHANDLER pfnCmd = nullptr;
    NOTIFYHANDLER pfnNotify = nullptr;
    for (const auto& entry : m_msgTable) {
        if (entry.nKey == cur.uMsg) {
            pfnMsg = entry.pfn;
            break;
        }
    }
    if (!pfnMsg && cur.uMsg == WM_COMMAND) {
        for (const auto& entry : m_cmdTable) {
            if (entry.nKey == LOWORD(cur.wParam)) {
                pfnCmd = entry.pfn;
                break;
            }
        }
    }
    // A control notifies its parent from the parent's own thread; an NMHDR sent from another thread
    // or process is a pointer that means nothing here, and is not read.
    NMHDR* pNmhdr = cur.uMsg == WM_NOTIFY && cur.lParam && InSendMessageEx(nullptr) == ISMEX_NOSEND
                        ? reinterpret_cast<NMHDR*>(cur.lParam)
                        : nullptr;
    if (!pfnMsg && pNmhdr) {
        for (const auto& entry : m_notifyTable) {
            if (entry.nId == pNmhdr->idFrom && entry.nCode == pNmhdr->code) {
                pfnNotify = entry.pfn;
                break;
            }
        }
    }
    if (!pfnMsg && !pfnCmd && !pfnNotify)
        return FALSE;

    CURRENT_MSG* pPrevMsg = m_pCurMsg;
    m_pCurMsg = &cur;
    const unsigned nChangesBefore = g_nAttachChanges.load(std::memory_order_acquire);
    if (pfnMsg) {
        *plResult = (this->*pfnMsg)(cur.wParam, cur.lParam);
    } else if (pfnNotify) {
        *plResult = (this->*pfnNotify)(pNmhdr);
    } else {
        (this->*pfnCmd)();
        *plResult = 0;
    }
    // The handler may have destroyed the window and with it this object
    // (PostNcDestroy): touch the object only while the window still names it. Nothing detached
    // meanwhile: it does, without asking the window server.
    if (g_nAttachChanges.load(std::memory_order_acquire) == nChangesBefore || FromHandle(hWnd) == this)
        m_pCurMsg = pPrevMsg;
    return TRUE;
}

void CWnd::FinishNcDestroy()
{
    Detach();
    if (CWinApp* pApp = GetApp(); pApp && pApp->m_pMainWnd == this) {
        pApp->m_pMainWnd = nullptr;
        if (pApp->IsInMessageLoop())
            PostQuitMessage(0);
    }
    PostNcDestroy();   // last: it may delete this object
}

LRESULT CALLBACK CWnd::WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = AttachedObject(hWnd);
    if (!pWnd && uMsg == WM_NCCREATE) {
        pWnd = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (pWnd)
            pWnd->Attach(hWnd);
    }
    if (!pWnd)
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);

    CURRENT_MSG cur = {uMsg, wParam, lParam, FALSE, FALSE};
    LRESULT lResult = 0;
    if (!pWnd->Dispatch(hWnd, cur, &lResult))
        lResult = DefWindowProcW(hWnd, uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY)
        pWnd->FinishNcDestroy();
    return lResult;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = AttachedObject(hWnd);
    if (!pWnd || !pWnd->m_pfnSuperWndProc)
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    // Kept here: the object may be gone once a handler returns.
    const WNDPROC pfnSuper = pWnd->m_pfnSuperWndProc;
    CURRENT_MSG cur = {uMsg, wParam, lParam, FALSE, FALSE};
    LRESULT lResult = 0;
    if (!pWnd->Dispatch(hWnd, cur, &lResult))
        lResult = CallWindowProcW(pfnSuper, hWnd, uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY && AttachedObject(hWnd) == pWnd)
        pWnd->FinishNcDestroy();
    return lResult;
}

CDialog::CDialog(UINT nIDTemplate, HWND hWndParent)
    : m_hInstResource(GetModuleHandleW(nullptr)), m_nIDTemplate(nIDTemplate), m_pTemplate(nullptr),
      m_hWndParent(hWndParent)
{
}

CDialog::CDialog(const DLGTEMPLATE* pTemplate, HWND hWndParent)
    : m_hInstResource(GetModuleHandleW(nullptr)), m_nIDTemplate(0), m_pTemplate(pTemplate),
      m_hWndParent(hWndParent)
{
}

INT_PTR CDialog::DoModal()
{
    m_bModal = TRUE;
    LPARAM lParam = reinterpret_cast<LPARAM>(this);
    if (m_pTemplate)
        return DialogBoxIndirectParamW(m_hInstResource, m_pTemplate, m_hWndParent, &CDialog::DlgProc, lParam);
    return DialogBoxParamW(m_hInstResource, MAKEINTRESOURCEW(m_nIDTemplate), m_hWndParent,
                           &CDialog::DlgProc, lParam);
}

BOOL CDialog::Create()
{
    if (m_hWnd)
        return FALSE;
    m_bModal = FALSE;
    LPARAM lParam = reinterpret_cast<LPARAM>(this);
    // The result is kept in a local: OnInitDialog may already have destroyed the
    // window and deleted this object.
    HWND hWnd = m_pTemplate
        ? CreateDialogIndirectParamW(m_hInstResource, m_pTemplate, m_hWndParent, &CDialog::DlgProc, lParam)
        : CreateDialogParamW(m_hInstResource, MAKEINTRESOURCEW(m_nIDTemplate), m_hWndParent,
                             &CDialog::DlgProc, lParam);
    return hWnd != nullptr;
}

BOOL CDialog::Create(UINT nIDTemplate, HWND hWndParent)
{
    m_nIDTemplate = nIDTemplate;
    m_pTemplate = nullptr;
    m_hWndParent = hWndParent;
    return Create();
}

void CDialog::OnOK()
{
    CloseDialog(m_hWnd, m_bModal, IDOK);
}

void CDialog::OnCancel()
{
    CloseDialog(m_hWnd, m_bModal, IDCANCEL);
}

INT_PTR CALLBACK CDialog::DlgProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_INITDIALOG) {
        auto* pDlg = reinterpret_cast<CDialog*>(lParam);
        pDlg->Attach(hWnd);
        // A child dialog (a property page) is fed to the dialog manager through its top window.
        if (!pDlg->m_bModal && !(GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD))
            t_modelessDialogs.push_back(hWnd);
        return pDlg->OnInitDialog();
    }
    auto* pDlg = static_cast<CDialog*>(AttachedObject(hWnd));
    if (!pDlg)
        return FALSE;   // before WM_INITDIALOG (WM_SETFONT) or after the object left

    CURRENT_MSG cur = {uMsg, wParam, lParam, TRUE, FALSE};
    LRESULT lResult = 0;
    BOOL bHandled = pDlg->Dispatch(hWnd, cur, &lResult);
    if (!bHandled && uMsg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        if (LOWORD(wParam) == IDOK)
            pDlg->OnOK();
        else
            pDlg->OnCancel();
        bHandled = TRUE;
    }
    if (uMsg == WM_NCDESTROY) {
        pDlg->FinishNcDestroy();
        return FALSE;
    }
    // FALSE hands the message to the dialog manager's default processing.
    if (!bHandled || cur.bDefaultAfter)
        return FALSE;
    if (ReturnsValueDirectly(uMsg))
        return static_cast<INT_PTR>(lResult);
    // Written only when it changes: under Wine every write is a call to the window server, and a
    // posted message, whose result nobody reads, would pay it too.
    if (GetWindowLongPtrW(hWnd, DWLP_MSGRESULT) != lResult)
        SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, lResult);
    return TRUE;
}

BOOL PreTranslateDialogMessage(MSG* pMsg)
{
    if (!pMsg->hwnd || t_modelessDialogs.empty())
        return FALSE;
    HWND hWndRoot = GetAncestor(pMsg->hwnd, GA_ROOT);
    for (HWND hWndDlg : t_modelessDialogs)
        if (hWndDlg == hWndRoot)
            return IsDialogMessageW(hWndDlg, pMsg);
    return FALSE;
}

BOOL PreTranslateWindowMessage(MSG* pMsg)
{
    const HWND hWndDesktop = GetDesktopWindow();
    for (HWND hWnd = pMsg->hwnd; hWnd && hWnd != hWndDesktop; hWnd = GetAncestor(hWnd, GA_PARENT)) {
        CWnd* pWnd = CWnd::FromHandle(hWnd);
        if (pWnd && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
    }
    return FALSE;
}
