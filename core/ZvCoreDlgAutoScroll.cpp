// CZvCoreDlg: auto scroll, the desktop scrolled while the pointer rests in a band at a screen edge.
#include "ZvCoreDlg.h"

#include <span>

#include "LogManager.h"
#include "Sender.h"
#include "WndEnumerator.h"
#include "ZvMessages.h"

LRESULT CZvCoreDlg::OnMouseHooked(WPARAM wParam, LPARAM) noexcept
{
    if (IsScrollProcessing() || m_bTrayMenuOpen || IsPropertyActive())
        return 0;
    WatchPointer();
    if (m_prop.propUndo.bUndoResizeWnd)
        SaveWndSize(static_cast<UINT>(wParam));
    return 0;
}

void CZvCoreDlg::WatchPointer() noexcept
{
    AtScrl::POINTER_STATE ptr{};
    // No position (a locked or switched desktop): nothing to judge, rather than the corner 0,0.
    if (!GetCursorPos(&ptr.pt))
        return;
    ptr.bLeftDown = GetAsyncKeyState(VK_LBUTTON) < 0;
    ptr.bRightDown = GetAsyncKeyState(VK_RBUTTON) < 0;
    if (m_bPtrLastValid && ptr.pt.x == m_ptrLast.pt.x && ptr.pt.y == m_ptrLast.pt.y && ptr.bLeftDown == m_ptrLast.bLeftDown &&
        ptr.bRightDown == m_ptrLast.bRightDown)
        return;
    if (ptr.bLeftDown || ptr.bRightDown)
        CloseWheelBursts();
    if (m_prop.propAtScrl.nMode != 0)
        CheckAutoScroll(ptr);
    m_ptrLast = ptr;
    m_bPtrLastValid = TRUE;
}

void CZvCoreDlg::CheckAutoScroll(const AtScrl::POINTER_STATE& ptr) noexcept
{
    // Every mouse move passes here: the blocking rectangles (the taskbar and the shown scroll-bar
    // windows) need no list.
    RECT rcBlocks[3]{};
    size_t nBlocks = 0;
    const HWND hWndTray = m_pwe ? m_pwe->GetTrayWnd() : nullptr;
    if (hWndTray && GetWindowRect(hWndTray, &rcBlocks[nBlocks]))
        ++nBlocks;
    for (int nBar : {1, 2}) {
        const HWND hWndBar = GetScrollBarWnd(nBar);
        if (hWndBar && IsWindowVisible(hWndBar) && GetWindowRect(hWndBar, &rcBlocks[nBlocks]))
            ++nBlocks;
    }
    const std::span<const RECT> rcBlock(rcBlocks, nBlocks);
    RECT rcWork{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    const AtScrl::EDGE_BANDS bands = AtScrl::CheckAutoScroll(m_prop.propAtScrl, ptr, rcWork, rcBlock);

    const DWORD dwPrev = m_dwAtScrlDirs;
    m_dwAtScrlDirs = bands.dwDirs;
    m_bAtScrlOuterH = bands.bOuterH;
    m_bAtScrlOuterV = bands.bOuterV;
    const AtScrl::DIR_CHANGE chg =
        AtScrl::OnDirections(dwPrev, m_dwAtScrlDirs, m_nTmrAtScrlDelay != 0, m_prop.propAtScrl.nDelay);
    if (chg.bLogChange) {
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"オートスクロール方向変更, %s→%s.\r\n", AtScrl::DirText(dwPrev).c_str(),
                  AtScrl::DirText(m_dwAtScrlDirs).c_str());
    }
    if (chg.bStart) {
        m_dwAtScrlLastStepDirs = 0;
        if (m_pTmrMngr && chg.bStartAtOnce) {
            OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"オートスクロール開始判定開始.\r\n");
            StartAutoScrollTicks();
        } else if (m_pTmrMngr && chg.bAddDelayItem) {
            // Numbered, so that a message of an earlier delay still queued cannot cut this one short.
            m_nTmrAtScrlDelay = AddStartedTmrItem(MSG_TMR_AUTOSCRL_DELAY, chg.dwDelayMs, ++m_wAtScrlDelaySeq);
            if (m_nTmrAtScrlDelay)
                OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"オートスクロール開始判定開始.\r\n");
        }
    }
    if (chg.bStop)
        StopAutoScroll();
}

void CZvCoreDlg::StartAutoScrollTicks() noexcept
{
    DeleteTmrItem(m_nTmrAtScrlDelay);
    if (!m_nTmrAtScrl)
        m_nTmrAtScrl = AddStartedTmrItem(MSG_TMR_AUTOSCRL, m_prop.propTimer.dwAutoScroll);
    PostMessageW(m_hWnd, MSG_TMR_AUTOSCRL, 0, 0);
}

void CZvCoreDlg::StopAutoScroll() noexcept
{
    m_dwAtScrlLastStepDirs = 0;
    if (m_nTmrAtScrlDelay)
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"オートスクロール開始判定中止.\r\n");
    DeleteTmrItem(m_nTmrAtScrlDelay);
    if (m_nTmrAtScrl)
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"オートスクロール停止.\r\n");
    DeleteTmrItem(m_nTmrAtScrl);
    m_dwAtScrlDirs = 0;
    m_bAtScrlOuterH = FALSE;
    m_bAtScrlOuterV = FALSE;
    // The next look at the pointer runs the edge test even if it has not moved since.
    m_bPtrLastValid = FALSE;
}

LRESULT CZvCoreDlg::OnTmrAutoScrlDelay(WPARAM wParam, LPARAM) noexcept
{
    if (!m_nTmrAtScrlDelay || wParam != m_wAtScrlDelaySeq)
        return 0;
    StartAutoScrollTicks();
    return 0;
}

LRESULT CZvCoreDlg::OnTmrAutoScrl(WPARAM, LPARAM) noexcept
{
    // A tick posted just before the pointer left the edge finds no item any more.
    if (!m_nTmrAtScrl || IsScrollProcessing() || m_bTrayMenuOpen || IsPropertyActive())
        return 0;
    // Mouse events are not watched while a step moves the windows: the pointer may have left the
    // edge, or a button been released, during the last one.
    WatchPointer();
    if (!m_nTmrAtScrl)
        return 0;
    AutoScroll();
    return 0;
}

void CZvCoreDlg::AutoScroll() noexcept
{
    if (m_prop.propAtScrl.nMode == 0)
        return;
    const POINT ptDist =
        AtScrl::StepOffsets(m_prop.propAtScrl, {m_dwAtScrlDirs, m_bAtScrlOuterH, m_bAtScrlOuterV});
    if (m_dwAtScrlDirs != 0) {
        if (m_dwAtScrlDirs != m_dwAtScrlLastStepDirs) {
            const int nSubKind = ptDist.x != 0 && ptDist.y != 0 ? UNDO_ALIGN_SCROLL
                                 : ptDist.x != 0                ? UNDO_ALIGN_SCROLL_H
                                                                : UNDO_ALIGN_SCROLL_V;
            PostSaveForUndo(UK_ALIGN, nSubKind, nullptr, 0);
            OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"オートスクロール実行 : 水平距離 = %d, 垂直距離 = %d.\r\n",
                      static_cast<int>(ptDist.x), static_cast<int>(ptDist.y));
        }
        if (m_prop.propUndo.bUndoResizeWnd)
            ForgetPrevResizeWnd();
        PostMoveRequest(ptDist.x, ptDist.y, FALSE, FALSE, nullptr);
    }
    m_dwAtScrlLastStepDirs = m_dwAtScrlDirs;
}
