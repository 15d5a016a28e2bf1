// The vertical scroll-bar window: a modeless dialog (template 136) owned by the core program's hidden
// main window, with a thumb and a spin. It lays out nothing itself: every input and the core
// program's three update messages go to its drag manager (CScrlMngrV), which it owns. Enter,
// Escape, WM_CLOSE and Alt+F4 never close it; it ends with its owner.
#pragma once
#include <windows.h>

#include <memory>

#include "ScrollManager.h"
#include "Window.h"

class CScrollVDlg : public CDialog {
public:
    // Creates the window, hidden, owned by hWndOwner; its manager starts at args.rcBar.
    CScrollVDlg(HWND hWndOwner, const SCROLLBAR_ARGS& args);
    ~CScrollVDlg() override;

    // Null when the window could not be made.
    CScrollManager* GetManager() const noexcept { return m_pMngr.get(); }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void PostNcDestroy() override;

private:
    LRESULT OnScrlBarSetPos(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnScrlBarUpdate(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnScrlBarSetRect(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnLButtonDown(WPARAM, LPARAM lParam) noexcept;
    LRESULT OnMouseMove(WPARAM, LPARAM lParam) noexcept;
    LRESULT OnLButtonUp(WPARAM, LPARAM lParam) noexcept;
    LRESULT OnRButtonDown(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnSetCursor(WPARAM, LPARAM) noexcept;
    LRESULT OnCaptureChanged(WPARAM, LPARAM lParam) noexcept;
    LRESULT OnTimer(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnClose(WPARAM, LPARAM) noexcept;
    LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnDestroy(WPARAM, LPARAM) noexcept;
    LRESULT OnDeltaposSpin(NMHDR* pNmhdr) noexcept;

    SCROLLBAR_ARGS m_args;
    std::unique_ptr<CScrollManager> m_pMngr;
};
