// What the two scroll-bar windows are made of: a modeless dialog owned by the core program's
// hidden main window, with a thumb and a spin. It lays out nothing itself: every input and the core
// program's three update messages go to its drag manager, which it owns. Enter, Escape, WM_CLOSE
// and Alt+F4 never close it; it ends with its owner. CScrollHDlg and CScrollVDlg are its two
// instances: one template, so that the two windows cannot drift apart.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "LogManager.h"
#include "ScrollManager.h"
#include "Sender.h"
#include "Window.h"
#include "ZvMessages.h"

// MNGR: the drag manager (CScrlMngrH, CScrlMngrV); IDD, IDC_SPIN, IDC_THUMB: the template and its
// controls; TITLE: the window's title, by which the window filter knows it; SPIN_LOG: the line
// logged for every spin notification.
template <class MNGR, UINT IDD, int IDC_SPIN, int IDC_THUMB, const wchar_t* TITLE, const wchar_t* SPIN_LOG>
class CScrollBarDlg : public CDialog {
public:
    // Creates the window, hidden, owned by hWndOwner; its manager starts at args.rcBar.
    CScrollBarDlg(HWND hWndOwner, const SCROLLBAR_ARGS& args) : CDialog(IDD, hWndOwner), m_args(args)
    {
        MapMessage(MSG_SCRLBAR_SETPOS, &CScrollBarDlg::OnScrlBarSetPos);
        MapMessage(MSG_SCRLBAR_UPDATE, &CScrollBarDlg::OnScrlBarUpdate);
        MapMessage(MSG_SCRLBAR_SETRECT, &CScrollBarDlg::OnScrlBarSetRect);
        MapMessage(WM_LBUTTONDOWN, &CScrollBarDlg::OnLButtonDown);
        MapMessage(WM_MOUSEMOVE, &CScrollBarDlg::OnMouseMove);
        MapMessage(WM_LBUTTONUP, &CScrollBarDlg::OnLButtonUp);
        MapMessage(WM_RBUTTONDOWN, &CScrollBarDlg::OnRButtonDown);
        MapMessage(WM_MOUSEWHEEL, &CScrollBarDlg::OnMouseWheel);
        MapMessage(WM_SETCURSOR, &CScrollBarDlg::OnSetCursor);
        MapMessage(WM_CAPTURECHANGED, &CScrollBarDlg::OnCaptureChanged);
        MapMessage(WM_TIMER, &CScrollBarDlg::OnTimer);
        MapMessage(WM_CLOSE, &CScrollBarDlg::OnClose);
        MapMessage(WM_SYSCOMMAND, &CScrollBarDlg::OnSysCommand);
        MapMessage(WM_DESTROY, &CScrollBarDlg::OnDestroy);
        MapNotify(IDC_SPIN, UDN_DELTAPOS, &CScrollBarDlg::OnDeltaposSpin);
        Create();
    }

    // Null when the window could not be made.
    CScrollManager* GetManager() const noexcept { return m_pMngr.get(); }

protected:
    BOOL OnInitDialog() override
    {
        const HWND hWndSpin = GetDlgItem(m_hWnd, IDC_SPIN);
        ScrollBarWnd::Prepare(m_hWnd, TITLE, hWndSpin);
        m_pMngr = std::make_unique<MNGR>(m_args, SCROLLBAR_CONTROLS{m_hWnd, hWndSpin, GetDlgItem(m_hWnd, IDC_THUMB)});
        m_pMngr->Init();
        // No control takes the focus: a hidden bar must not take the activation.
        return FALSE;
    }
    void OnOK() override {}
    void OnCancel() override {}
    BOOL PreTranslateMessage(MSG* pMsg) override { return ScrollBarWnd::IsDialogEndKey(pMsg); }
    void PostNcDestroy() override
    {
        m_pMngr.reset();
        delete this;
    }

private:
    LRESULT OnScrlBarSetPos(WPARAM wParam, LPARAM) noexcept
    {
        if (m_pMngr)
            m_pMngr->UpdateThumb(wParam != 0);
        return 0;
    }
    LRESULT OnScrlBarUpdate(WPARAM wParam, LPARAM) noexcept
    {
        if (m_pMngr) {
            m_pMngr->PlaceThumb(wParam != 0);
            // Posted after every move's end: a drag's step that waited for it goes now.
            m_pMngr->TakeWaitingTravel();
        }
        return 0;
    }
    LRESULT OnScrlBarSetRect(WPARAM wParam, LPARAM) noexcept
    {
        // Only a record this bar's pool handed out; another program's number is never read.
        if (m_pMngr) {
            if (const std::unique_ptr<RECT> pRect = m_pMngr->TakeSetRect(wParam))
                m_pMngr->SetBarRect(*pRect);
        }
        return 0;
    }
    LRESULT OnLButtonDown(WPARAM, LPARAM lParam) noexcept
    {
        if (m_pMngr)
            m_pMngr->OnLButtonDown(ScrollBarWnd::PointOf(lParam), ScrollBarWnd::IsAltHeld());
        return Default();
    }
    LRESULT OnMouseMove(WPARAM, LPARAM lParam) noexcept
    {
        if (m_pMngr)
            m_pMngr->OnMouseMove(ScrollBarWnd::PointOf(lParam), ScrollBarWnd::IsAltHeld());
        return Default();
    }
    LRESULT OnLButtonUp(WPARAM, LPARAM lParam) noexcept
    {
        if (m_pMngr)
            m_pMngr->OnLButtonUp(ScrollBarWnd::PointOf(lParam));
        return Default();
    }
    LRESULT OnRButtonDown(WPARAM wParam, LPARAM lParam) noexcept
    {
        if (m_pMngr)
            m_pMngr->OnRButtonDown(static_cast<UINT>(wParam), ScrollBarWnd::PointOf(lParam));
        return Default();
    }
    LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam) noexcept
    {
        if (m_pMngr)
            m_pMngr->OnMouseWheel(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam),
                                  ScrollBarWnd::PointOf(lParam));
        return Default();
    }
    LRESULT OnSetCursor(WPARAM, LPARAM) noexcept
    {
        if (m_pMngr)
            m_pMngr->OnSetCursor();
        return Default();
    }
    LRESULT OnCaptureChanged(WPARAM, LPARAM lParam) noexcept
    {
        if (m_pMngr)
            m_pMngr->OnCaptureChanged(reinterpret_cast<HWND>(lParam));
        return Default();
    }
    LRESULT OnTimer(WPARAM wParam, LPARAM) noexcept
    {
        if (m_pMngr && wParam == CScrollManager::LEAVE_TIMER_ID)
            m_pMngr->OnLeaveTimer();
        return 0;
    }
    // The user cannot close a bar: neither WM_CLOSE nor Alt+F4 reaches the dialog's end.
    LRESULT OnClose(WPARAM, LPARAM) noexcept { return 0; }
    LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam) noexcept
    {
        const UINT uCmd = static_cast<UINT>(wParam & 0xFFF0);
        // Alt let go alone (after an Alt-drag) would put the bar into menu mode, holding the keys.
        if (uCmd == SC_CLOSE || (uCmd == SC_KEYMENU && lParam == 0))
            return 0;
        return Default();
    }
    LRESULT OnDestroy(WPARAM, LPARAM) noexcept
    {
        // The program ends with a drag under way: the bar keeps the rectangle the settings have.
        if (m_pMngr)
            m_pMngr->EndDrag();
        return Default();
    }
    LRESULT OnDeltaposSpin(NMHDR* pNmhdr) noexcept
    {
        if (m_pMngr)
            m_pMngr->OnSpinDelta(reinterpret_cast<NMUPDOWN*>(pNmhdr)->iDelta);
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"%s", SPIN_LOG);
        // The spin's position is never read: it stays where it is, away from the range's ends.
        return 1;
    }

    SCROLLBAR_ARGS m_args;
    std::unique_ptr<CScrollManager> m_pMngr;
};
