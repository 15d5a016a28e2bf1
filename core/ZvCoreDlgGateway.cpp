// CZvCoreDlg: the link to the 32-bit gateway; for now only the program's end (the tray menu's
// exit command), which passes through MSG_HKGTWY_END as the end handshake with the gateway will.
#include "ZvCoreDlg.h"

#include "HkGtwyEvtMngr.h"
#include "LogManager.h"
#include "Sender.h"
#include "ZvMessages.h"

void CZvCoreDlg::OnAppExit() noexcept
{
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"Zuvora! の終了 : 終了要求を受け付けました.\r\n");
    // A scroll left half done stays where it is; its queued steps find no move and do nothing.
    AbandonMove();
    SetCbtHook(FALSE);
    SetKeybdHook(FALSE);
    SetMouseHook(FALSE);
    m_nEndState = END_STATE_REQUESTED;
    PostMessageW(m_hWnd, MSG_HKGTWY_END, m_wSeqNtfySelf, 0);
}

LRESULT CZvCoreDlg::OnHkGtwyEnd(WPARAM wParam, LPARAM) noexcept
{
    // Only the end this window asked for: another program's post must not end it.
    if (m_nEndState != END_STATE_REQUESTED) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnHkGtwyEnd() ignored, wParam = 0x%x, end state = %d.\r\n",
                  static_cast<unsigned>(wParam), m_nEndState);
        return 0;
    }
    // Destroying the window inside the open menu's loop would pull the object from under it:
    // the menu closes first and the end comes again.
    if (m_bTrayMenuOpen || m_bInStep) {
        EndMenu();
        PostMessageW(m_hWnd, MSG_HKGTWY_END, wParam, 0);
        return 0;
    }
    // The end block and its answer belong to the gateway link, which does not send blocks yet:
    // until it does, no answer can come, so the window goes at once, linked or not, and an end
    // that was asked for can never hang.
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnHkGtwyEnd() no gateway, the window goes at once.\r\n");
    DestroyWindow(m_hWnd);
    return 0;
}
