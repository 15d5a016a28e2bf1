// CUndoKeeper: the save requests posted and the mouse watch. Its log lines keep the window's
// function names they have always carried, so that old logs and their readers still match them.
#include "UndoKeeper.h"

#include "LogManager.h"
#include "Sender.h"
#include "ZvMessages.h"

BOOL CUndoKeeper::PostSave(HWND hWnd, int nKind, INT_PTR nValue, void* pv, INT_PTR nExtra, UINT* pnTicket) noexcept
{
    if (pnTicket)
        *pnTicket = 0;
    LPRM_SAVE_FOR_UNDO* pRec = m_saveReq.Add(nValue, pv, nExtra);
    if (!PostMessageW(hWnd, MSG_SAVE_FOR_UNDO, static_cast<WPARAM>(nKind), reinterpret_cast<LPARAM>(pRec))) {
        m_saveReq.Take(reinterpret_cast<LPARAM>(pRec));
        return FALSE;
    }
    if (pnTicket)
        *pnTicket = pRec->nTicket;
    return TRUE;
}

void CUndoKeeper::WatchMouse(HWND hWnd, UINT uMsg, BOOL bBarDragNow) noexcept
{
    const UINT uEvent = uMsg & 0xFFF;
    switch (uEvent) {
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"マウス左ボタンでウィンドウ境界クリック検出.\r\n");
        m_bBarDragging = bBarDragNow;
        m_bNcPressPending = TRUE;
        m_bKeybdMark = 0;
        return;
    case WM_NCMOUSEMOVE:
    case WM_MOUSEMOVE:
        if (m_bNcPressPending) {
            OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"マウスでタイトル領域クリックまたは左ボタンリリース検出.\r\n");
            m_bKeybdMark = 0;
            if (!m_bBarDragging) {
                OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                          L"CZvCoreDlg::SaveWndSize(), Undo operation from mouse is detected p2.\r\n");
                PostSave(hWnd, UK_RESIZEWND, PrevWndTag(), nullptr, UNDO_NO_SHOW_CMD, nullptr);
            }
            m_bNcPressPending = FALSE;
            return;
        }
        break;
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        if (!m_bNcPressPending) {
            OutputLog(LOG_LEVEL_INFO, SENDER_CORE,
                      L"マウスでクライアント領域クリックまたは右ボタンでウィンドウ境界クリック検出.\r\n");
            m_bKeybdMark = 0;
            if (!m_bBarDragging) {
                OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                          L"CZvCoreDlg::SaveWndSize(), Undo operation from mouse is detected p1, wEvent=0x%x.\r\n", uEvent);
                PostSave(hWnd, UK_RESIZEWND, PrevWndTag(), nullptr, UNDO_NO_SHOW_CMD, nullptr);
            }
            return;
        }
        break;
    default:
        break;
    }
    m_bBarDragging = bBarDragNow;
    m_bNcPressPending = FALSE;
}
