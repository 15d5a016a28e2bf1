#include "ScrollHDlg.h"

#include <commctrl.h>

#include "LogManager.h"
#include "ScrlMngrH.h"
#include "Sender.h"
#include "WndFilter.h"
#include "ZvMessages.h"
#include "resource.h"

using namespace ScrollBarWnd;

CScrollHDlg::CScrollHDlg(HWND hWndOwner, const SCROLLBAR_ARGS& args) : CDialog(IDD_SCROLLBAR_H, hWndOwner), m_args(args)
{
    MapMessage(MSG_SCRLBAR_SETPOS, &CScrollHDlg::OnScrlBarSetPos);
    MapMessage(MSG_SCRLBAR_UPDATE, &CScrollHDlg::OnScrlBarUpdate);
    MapMessage(MSG_SCRLBAR_SETRECT, &CScrollHDlg::OnScrlBarSetRect);
    MapMessage(WM_LBUTTONDOWN, &CScrollHDlg::OnLButtonDown);
    MapMessage(WM_MOUSEMOVE, &CScrollHDlg::OnMouseMove);
    MapMessage(WM_LBUTTONUP, &CScrollHDlg::OnLButtonUp);
    MapMessage(WM_RBUTTONDOWN, &CScrollHDlg::OnRButtonDown);
    MapMessage(WM_MOUSEWHEEL, &CScrollHDlg::OnMouseWheel);
    MapMessage(WM_SETCURSOR, &CScrollHDlg::OnSetCursor);
    MapMessage(WM_CAPTURECHANGED, &CScrollHDlg::OnCaptureChanged);
    MapMessage(WM_TIMER, &CScrollHDlg::OnTimer);
    MapMessage(WM_CLOSE, &CScrollHDlg::OnClose);
    MapMessage(WM_SYSCOMMAND, &CScrollHDlg::OnSysCommand);
    MapMessage(WM_DESTROY, &CScrollHDlg::OnDestroy);
    MapNotify(IDC_SPIN_H, UDN_DELTAPOS, &CScrollHDlg::OnDeltaposSpin);
    Create();
}

CScrollHDlg::~CScrollHDlg() = default;

BOOL CScrollHDlg::OnInitDialog()
{
    const HWND hWndSpin = GetDlgItem(m_hWnd, IDC_SPIN_H);
    Prepare(m_hWnd, ZV_SCRLBAR_H_WND_TITLE, hWndSpin);
    m_pMngr = std::make_unique<CScrlMngrH>(m_args, SCROLLBAR_CONTROLS{m_hWnd, hWndSpin, GetDlgItem(m_hWnd, IDC_THUMB_H)});
    m_pMngr->Init();
    // No control takes the focus: a hidden bar must not take the activation.
    return FALSE;
}

BOOL CScrollHDlg::PreTranslateMessage(MSG* pMsg)
{
    return IsDialogEndKey(pMsg);
}

LRESULT CScrollHDlg::OnDestroy(WPARAM, LPARAM) noexcept
{
    // The program ends with a drag under way: the bar keeps the rectangle the settings have.
    if (m_pMngr)
        m_pMngr->EndDrag();
    return Default();
}

void CScrollHDlg::PostNcDestroy()
{
    m_pMngr.reset();
    delete this;
}

LRESULT CScrollHDlg::OnScrlBarSetPos(WPARAM wParam, LPARAM) noexcept
{
    if (m_pMngr)
        m_pMngr->UpdateThumb(wParam != 0);
    return 0;
}

LRESULT CScrollHDlg::OnScrlBarUpdate(WPARAM wParam, LPARAM) noexcept
{
    if (m_pMngr)
        m_pMngr->PlaceThumb(wParam != 0);
    return 0;
}

LRESULT CScrollHDlg::OnScrlBarSetRect(WPARAM wParam, LPARAM) noexcept
{
    // Only a record this bar's pool handed out; another program's number is never read.
    if (m_pMngr) {
        if (const std::unique_ptr<RECT> pRect = m_pMngr->TakeSetRect(wParam))
            m_pMngr->SetBarRect(*pRect);
    }
    return 0;
}

LRESULT CScrollHDlg::OnLButtonDown(WPARAM, LPARAM lParam) noexcept
{
    if (m_pMngr)
        m_pMngr->OnLButtonDown(PointOf(lParam), IsAltHeld());
    return Default();
}

LRESULT CScrollHDlg::OnMouseMove(WPARAM, LPARAM lParam) noexcept
{
    if (m_pMngr)
        m_pMngr->OnMouseMove(PointOf(lParam), IsAltHeld());
    return Default();
}

LRESULT CScrollHDlg::OnLButtonUp(WPARAM, LPARAM lParam) noexcept
{
    if (m_pMngr)
        m_pMngr->OnLButtonUp(PointOf(lParam));
    return Default();
}

LRESULT CScrollHDlg::OnRButtonDown(WPARAM wParam, LPARAM lParam) noexcept
{
    if (m_pMngr)
        m_pMngr->OnRButtonDown(static_cast<UINT>(wParam), PointOf(lParam));
    return Default();
}

LRESULT CScrollHDlg::OnMouseWheel(WPARAM wParam, LPARAM lParam) noexcept
{
    if (m_pMngr)
        m_pMngr->OnMouseWheel(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam), PointOf(lParam));
    return Default();
}

LRESULT CScrollHDlg::OnSetCursor(WPARAM, LPARAM) noexcept
{
    if (m_pMngr)
        m_pMngr->OnSetCursor();
    return Default();
}

LRESULT CScrollHDlg::OnCaptureChanged(WPARAM, LPARAM lParam) noexcept
{
    if (m_pMngr)
        m_pMngr->OnCaptureChanged(reinterpret_cast<HWND>(lParam));
    return Default();
}

LRESULT CScrollHDlg::OnTimer(WPARAM wParam, LPARAM) noexcept
{
    if (m_pMngr && wParam == CScrollManager::LEAVE_TIMER_ID)
        m_pMngr->OnLeaveTimer();
    return 0;
}

// The user cannot close a bar: neither WM_CLOSE nor Alt+F4 reaches the dialog's end.
LRESULT CScrollHDlg::OnClose(WPARAM, LPARAM) noexcept
{
    return 0;
}

LRESULT CScrollHDlg::OnSysCommand(WPARAM wParam, LPARAM lParam) noexcept
{
    const UINT uCmd = static_cast<UINT>(wParam & 0xFFF0);
    // Alt let go alone (after an Alt-drag) would put the bar into menu mode, holding the keys.
    if (uCmd == SC_CLOSE || (uCmd == SC_KEYMENU && lParam == 0))
        return 0;
    return Default();
}

LRESULT CScrollHDlg::OnDeltaposSpin(NMHDR* pNmhdr) noexcept
{
    if (m_pMngr)
        m_pMngr->OnSpinDelta(reinterpret_cast<NMUPDOWN*>(pNmhdr)->iDelta);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CScrollHDlg::OnDeltaposSpinH() out.\r\n");
    // The spin's position is never read: it stays where it is, away from the range's ends.
    return 1;
}
