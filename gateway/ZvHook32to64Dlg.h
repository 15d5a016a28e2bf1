// The gateway's one window: a modeless dialog that is never shown. Its window timer drives the
// timer items (the log viewer's start limit, the alive items), and the log viewer talks to it.
#pragma once

#include <windows.h>

#include <memory>

#include "PropertySet.h"
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
    void AddLogStartTmr() noexcept;
    void DeleteLogStartTmr() noexcept;
    // Both alive items, made but not started: TRUE only when both exist.
    BOOL AddAliveTmrs() noexcept;
    void DeleteAliveTmrs() noexcept;
    void DeleteTmrItem(int& nId) noexcept;

    LRESULT OnDestroy(WPARAM, LPARAM) noexcept;
    LRESULT OnTimer(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnLogWndDtct(WPARAM, LPARAM) noexcept;
    LRESULT OnLogWndRsp(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnLogEnd(WPARAM, LPARAM) noexcept;
    LRESULT OnTmrLogStart(WPARAM, LPARAM) noexcept;
    LRESULT OnTmrHkGtwyAlive(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnHkGtwyAlive(WPARAM, LPARAM) noexcept;

    HICON m_hIcon = nullptr;
    UINT_PTR m_nTimerId = 0;
    int m_nTmrIdLogStart = 0;
    int m_nTmrIdAliveSend = 0;
    int m_nTmrIdAliveRecv = 0;
    std::unique_ptr<CTmrMngr> m_pTmrMngr;
    PROPERTY_SET m_prop;
    BOOL m_bInitFailed = FALSE;
};
