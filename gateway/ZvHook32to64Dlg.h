// The gateway's one window: a modeless dialog that is never shown. Its window timer drives the
// timer items (the log viewer's start limit, the alive items), the log viewer talks to it, the
// hook library posts to it and the link's wait threads post to it. It routes; the link and the
// hook relay each live in a file of their own.
#pragma once

#include <windows.h>

#include <memory>

#include "HookNtfy.h"
#include "LogViewerLink.h"
#include "PropertySet.h"
#include "Sender.h"
#include "TmrMngr.h"
#include "Window.h"

class CZvHook32to64Dlg : public CDialog {
public:
    // Creates the window; m_hWnd stays null when it could not be made.
    CZvHook32to64Dlg();
    ~CZvHook32to64Dlg() override;

    // Set-up stopped after its box: the caller ends the program.
    BOOL IsInitFailed() const noexcept { return m_bInitFailed; }
    // The error box of a set-up that failed: string nIdText with the error code.
    static void ReportInitFailure(UINT nIdText, DWORD dwErr) noexcept;

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void PostNcDestroy() override;

private:
    BOOL StartTmrMngr() noexcept;
    void EndTmrMngr() noexcept;
    void DeleteTmrItem(int& nId) noexcept;

    // The link with the core program (ZvHook32to64DlgLink.cpp).
    BOOL StartHkGtwyEvtMngr() noexcept;
    void NotifyInit() noexcept;

    // The window-event hook and its relay (ZvHook32to64DlgHook.cpp).
    BOOL SetCbtHook(BOOL bOn) noexcept;
    void SwitchCbtHook(const HOOK_NTFY_SWTCH* pSwtch) noexcept;
    LRESULT NotifyCbtHooked(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept;

    LRESULT OnDestroy(WPARAM, LPARAM) noexcept;
    LRESULT OnTimer(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnLogWndDtct(WPARAM, LPARAM) noexcept;
    LRESULT OnLogWndRsp(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnLogEnd(WPARAM, LPARAM) noexcept;
    LRESULT OnTmrLogStart(WPARAM, LPARAM) noexcept;
    LRESULT OnTmrHkGtwyAlive(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnHkGtwyAlive(WPARAM, LPARAM) noexcept;
    LRESULT OnCbtActivateHooked(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnMinMaxHooked(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnWndChgHooked(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnHkGtwyNtfyDtct(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnHkGtwyRspDtct(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnHkGtwyEnd(WPARAM wParam, LPARAM) noexcept;

    HICON m_hIcon = nullptr;
    UINT_PTR m_nTimerId = 0;
    std::unique_ptr<CTmrMngr> m_pTmrMngr;
    CLogViewerLink m_logLink{SENDER_HOOK};
    // The core program asked the gateway to end: it does once all its own blocks are answered.
    BOOL m_bEnding = FALSE;
    PROPERTY_SET m_prop;
    BOOL m_bInitFailed = FALSE;
};
