#include "ScrollVDlg.h"

#include <commctrl.h>

#include "LogManager.h"
#include "ScrlMngrV.h"
#include "Sender.h"
#include "WndFilter.h"
#include "ZvMessages.h"
#include "resource.h"

using namespace ScrollBarWnd;

CScrollVDlg::CScrollVDlg(HWND hWndOwner, const SCROLLBAR_ARGS& args) : CDialog(IDD_SCROLLBAR_V, hWndOwner), m_args(args)
{
    MapMessage(MSG_SCRLBAR_SETPOS, &CScrollVDlg::OnScrlBarSetPos);
    MapMessage(MSG_SCRLBAR_UPDATE, &CScrollVDlg::OnScrlBarUpdate);
    MapMessage(MSG_SCRLBAR_SETRECT, &CScrollVDlg::OnScrlBarSetRect);
    MapMessage(WM_LBUTTONDOWN, &CScrollVDlg::OnLButtonDown);
    MapMessage(WM_MOUSEMOVE, &CScrollVDlg::OnMouseMove);
    MapMessage(WM_LBUTTONUP, &CScrollVDlg::OnLButtonUp);
    MapMessage(WM_RBUTTONDOWN, &CScrollVDlg::OnRButtonDown);
    MapMessage(WM_MOUSEWHEEL, &CScrollVDlg::OnMouseWheel);
    MapMessage(WM_SETCURSOR, &CScrollVDlg::OnSetCursor);
    MapMessage(WM_CAPTURECHANGED, &CScrollVDlg::OnCaptureChanged);
    MapMessage(WM_TIMER, &CScrollVDlg::OnTimer);
    MapMessage(WM_CLOSE, &CScrollVDlg::OnClose);
    MapMessage(WM_SYSCOMMAND, &CScrollVDlg::OnSysCommand);
    MapMessage(WM_DESTROY, &CScrollVDlg::OnDestroy);
    MapNotify(IDC_SPIN_V, UDN_DELTAPOS, &CScrollVDlg::OnDeltaposSpin);
    Create();
}

CScrollVDlg::~CScrollVDlg() = default;

BOOL CScrollVDlg::OnInitDialog()
{
    const HWND hWndSpin = GetDlgItem(m_hWnd, IDC_SPIN_V);
    Prepare(m_hWnd, ZV_SCRLBAR_V_WND_TITLE, hWndSpin);
    m_pMngr = std::make_unique<CScrlMngrV>(m_args, SCROLLBAR_CONTROLS{m_hWnd, hWndSpin, GetDlgItem(m_hWnd, IDC_THUMB_V)});
    m_pMngr->Init();
    // No control takes the focus: a hidden bar must not take the activation.
    return FALSE;
}

BOOL CScrollVDlg::PreTranslateMessage(MSG* pMsg)
{
    return IsDialogEndKey(pMsg);
}

LRESULT CScrollVDlg::OnDestroy(WPARAM, LPARAM) noexcept
{
    // The program ends with a drag under way: the bar keeps the rectangle the settings have.
    if (m_pMngr)
        m_pMngr->EndDrag();
    return Default();
}

void CScrollVDlg::PostNcDestroy()
{
    m_pMngr.reset();
    delete this;
}

LRESULT CScrollVDlg::OnScrlBarSetPos(WPARAM wParam, LPARAM) noexcept
{
    if (m_pMngr)
        m_pMngr->UpdateThumb(wParam != 0);
    return 0;
}

LRESULT CScrollVDlg::OnScrlBarUpdate(WPARAM wParam, LPARAM) noexcept
{
    if (m_pMngr)
        m_pMngr->PlaceThumb(wParam != 0);
    return 0;
}

LRESULT CScrollVDlg::OnScrlBarSetRect(WPARAM wParam, LPARAM) noexcept
{
    // Only a record this bar's pool handed out; another program's number is never read.
    if (m_pMngr) {
        if (const std::unique_ptr<RECT> pRect = m_pMngr->TakeSetRect(wParam))
            m_pMngr->SetBarRect(*pRect);
    }
    return 0;
}

LRESULT CScrollVDlg::OnLButtonDown(WPARAM, LPARAM lParam) noexcept
{
    if (m_pMngr)
        m_pMngr->OnLButtonDown(PointOf(lParam), IsAltHeld());
    return Default();
}

LRESULT CScrollVDlg::OnMouseMove(WPARAM, LPARAM lParam) noexcept
{
    if (m_pMngr)
        m_pMngr->OnMouseMove(PointOf(lParam), IsAltHeld());
    return Default();
}

LRESULT CScrollVDlg::OnLButtonUp(WPARAM, LPARAM lParam) noexcept
{
    if (m_pMngr)
        m_pMngr->OnLButtonUp(PointOf(lParam));
    return Default();
}

LRESULT CScrollVDlg::OnRButtonDown(WPARAM wParam, LPARAM lParam) noexcept
{
    if (m_pMngr)
        m_pMngr->OnRButtonDown(static_cast<UINT>(wParam), PointOf(lParam));
    return Default();
}

LRESULT CScrollVDlg::OnMouseWheel(WPARAM wParam, LPARAM lParam) noexcept
{
    if (m_pMngr)
        m_pMngr->OnMouseWheel(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam), PointOf(lParam));
    return Default();
}

LRESULT CScrollVDlg::OnSetCursor(WPARAM, LPARAM) noexcept
{
    if (m_pMngr)
        m_pMngr->OnSetCursor();
    return Default();
}

LRESULT CScrollVDlg::OnCaptureChanged(WPARAM, LPARAM lParam) noexcept
{
    if (m_pMngr)
        m_pMngr->OnCaptureChanged(reinterpret_cast<HWND>(lParam));
    return Default();
}

LRESULT CScrollVDlg::OnTimer(WPARAM wParam, LPARAM) noexcept
{
    if (m_pMngr && wParam == CScrollManager::LEAVE_TIMER_ID)
        m_pMngr->OnLeaveTimer();
    return 0;
}

// The user cannot close a bar: neither WM_CLOSE nor Alt+F4 reaches the dialog's end.
LRESULT CScrollVDlg::OnClose(WPARAM, LPARAM) noexcept
{
    return 0;
}

LRESULT CScrollVDlg::OnSysCommand(WPARAM wParam, LPARAM lParam) noexcept
{
    const UINT uCmd = static_cast<UINT>(wParam & 0xFFF0);
    // Alt let go alone (after an Alt-drag) would put the bar into menu mode, holding the keys.
    if (uCmd == SC_CLOSE || (uCmd == SC_KEYMENU && lParam == 0))
        return 0;
    return Default();
}

LRESULT CScrollVDlg::OnDeltaposSpin(NMHDR* pNmhdr) noexcept
{
    if (m_pMngr)
        m_pMngr->OnSpinDelta(reinterpret_cast<NMUPDOWN*>(pNmhdr)->iDelta);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CScrollVDlg::OnDeltaposSpinH() out.\r\n");
    // The spin's position is never read: it stays where it is, away from the range's ends.
    return 1;
}
