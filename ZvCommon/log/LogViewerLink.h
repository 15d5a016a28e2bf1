// CLogViewerLink: a program's side of the handshake with the log viewer, the same for the core
// program, the gateway and the settings program. The log manager (LogManager) finds or starts the
// viewer, learns its window and hands it the lines; this class is what the program's window does
// about it, so the window routes the viewer's messages here and keeps no state of its own:
//   window initialised:      Connect(hWnd, pTmrMngr, dwStartLimit)
//   MSG_LOG_WND_DTCT:        Attach(opt) (the core program lets a burst of them cost one attach)
//   MSG_LOG_WND_RSP:         OnAnswer(wParam)
//   MSG_TMR_LOG_START:       OnStartLimit()
//   MSG_LOG_END:             OnEnd()
//   before the timers go:    Stop()
#pragma once

#include <windows.h>

#include "CmdLineOption.h"

class CTmrMngr;

class CLogViewerLink {
public:
    explicit CLogViewerLink(int nSender) noexcept : m_nSender(nSender) {}
    ~CLogViewerLink() = default;
    CLogViewerLink(const CLogViewerLink&) = delete;
    CLogViewerLink& operator=(const CLogViewerLink&) = delete;

    // Hands the viewer the owner's window (finding or starting the viewer) and gives it
    // dwStartLimit to answer; the start item (MSG_TMR_LOG_START) runs on pTmrMngr, which must
    // outlive the link's Stop.
    void Connect(HWND hWndOwner, CTmrMngr* pTmrMngr, DWORD dwStartLimit) noexcept;
    // The viewer announced its window: attach to it afresh (or start logging at INFO to it), and
    // wait for its answer again.
    void Attach(CMDLINE_OPTION_SET& opt) noexcept;
    // The viewer's answer: 0 takes the lines, anything else refuses them.
    void OnAnswer(WPARAM wParam) noexcept;
    // The viewer has not answered in time: the program logs without it.
    void OnStartLimit() noexcept;
    // The viewer went away (its own end, or the output thread found its window gone).
    static void OnEnd() noexcept;
    // The start item goes with the owner's timers.
    void Stop() noexcept;

    // An answer is awaited: only then do the answer and the start tick count. Another program's
    // post, or a tick of an item already gone, must end nothing.
    BOOL IsWaiting() const noexcept { return m_nTmrStart != 0; }
    int GetStartItem() const noexcept { return m_nTmrStart; }

private:
    void RestartStartItem() noexcept;
    void DeleteStartItem() noexcept;

    int m_nSender;
    HWND m_hWndOwner = nullptr;
    CTmrMngr* m_pTmrMngr = nullptr;
    DWORD m_dwStartLimit = 0;
    int m_nTmrStart = 0;
};
