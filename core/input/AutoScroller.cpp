// CAutoScroller: the desktop scrolled while the pointer rests in a band at a screen edge.
#include "AutoScroller.h"

#include <span>

#include "LogManager.h"
#include "Sender.h"
#include "UndoKind.h"
#include "ZvMessages.h"

void CAutoScroller::WatchPointer() noexcept
{
    AtScrl::POINTER_STATE ptr{};
    // No position: nothing to judge, rather than the corner 0,0.
    if (!m_pHost->GetPointer(ptr))
        return;
    if (m_bPtrLastValid && ptr.pt.x == m_ptrLast.pt.x && ptr.pt.y == m_ptrLast.pt.y &&
        ptr.bLeftDown == m_ptrLast.bLeftDown && ptr.bRightDown == m_ptrLast.bRightDown)
        return;
    if (ptr.bLeftDown || ptr.bRightDown)
        m_pHost->CloseWheelBursts();
    if (m_pHost->GetProperty().propAtScrl.nMode != 0)
        Check(ptr);
    m_ptrLast = ptr;
    m_bPtrLastValid = TRUE;
}

void CAutoScroller::Check(const AtScrl::POINTER_STATE& ptr) noexcept
{
    const PROPERTY_SET& prop = m_pHost->GetProperty();
    // Every mouse move passes here: the blocking rectangles (the taskbar and the shown scroll-bar
    // windows) need no list.
    RECT rcBlocks[3]{};
    size_t nBlocks = 0;
    const HWND hWndTray = m_pHost->GetTaskbarWnd();
    if (hWndTray && GetWindowRect(hWndTray, &rcBlocks[nBlocks]))
        ++nBlocks;
    for (int nBar : {1, 2}) {
        const HWND hWndBar = m_pHost->GetScrollBarWnd(nBar);
        if (hWndBar && IsWindowVisible(hWndBar) && GetWindowRect(hWndBar, &rcBlocks[nBlocks]))
            ++nBlocks;
    }
    const std::span<const RECT> rcBlock(rcBlocks, nBlocks);
    RECT rcWork{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    const AtScrl::EDGE_BANDS bands = AtScrl::CheckAutoScroll(prop.propAtScrl, ptr, rcWork, rcBlock);

    const DWORD dwPrev = m_dwDirs;
    m_dwDirs = bands.dwDirs;
    m_bOuterH = bands.bOuterH;
    m_bOuterV = bands.bOuterV;
    const AtScrl::DIR_CHANGE chg = AtScrl::OnDirections(dwPrev, m_dwDirs, m_nTmrDelay != 0, prop.propAtScrl.nDelay);
    if (chg.bLogChange) {
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"オートスクロール方向変更, %s→%s.\r\n", AtScrl::DirText(dwPrev).c_str(),
                  AtScrl::DirText(m_dwDirs).c_str());
    }
    if (chg.bStart) {
        m_dwLastStepDirs = 0;
        if (m_pHost->HasTmrItems() && chg.bStartAtOnce) {
            OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"オートスクロール開始判定開始.\r\n");
            StartTicks();
        } else if (m_pHost->HasTmrItems() && chg.bAddDelayItem) {
            // Numbered, so that a message of an earlier delay still queued cannot cut this one short.
            m_nTmrDelay = m_pHost->AddStartedTmrItem(MSG_TMR_AUTOSCRL_DELAY, chg.dwDelayMs, ++m_wDelaySeq);
            if (m_nTmrDelay)
                OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"オートスクロール開始判定開始.\r\n");
        }
    }
    if (chg.bStop)
        Stop();
}

void CAutoScroller::StartTicks() noexcept
{
    m_pHost->DeleteTmrItem(m_nTmrDelay);
    if (!m_nTmrTick)
        m_nTmrTick = m_pHost->AddStartedTmrItem(MSG_TMR_AUTOSCRL, m_pHost->GetProperty().propTimer.dwAutoScroll, 0);
    PostMessageW(m_pHost->GetWnd(), MSG_TMR_AUTOSCRL, 0, 0);
}

void CAutoScroller::Stop() noexcept
{
    m_dwLastStepDirs = 0;
    if (m_nTmrDelay)
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"オートスクロール開始判定中止.\r\n");
    m_pHost->DeleteTmrItem(m_nTmrDelay);
    if (m_nTmrTick)
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"オートスクロール停止.\r\n");
    m_pHost->DeleteTmrItem(m_nTmrTick);
    m_dwDirs = 0;
    m_bOuterH = FALSE;
    m_bOuterV = FALSE;
    m_bPtrLastValid = FALSE;
}

LRESULT CAutoScroller::OnTmrDelay(WPARAM wParam) noexcept
{
    if (!m_nTmrDelay || wParam != m_wDelaySeq)
        return 0;
    StartTicks();
    return 0;
}

LRESULT CAutoScroller::OnTmrTick() noexcept
{
    // A tick posted just before the pointer left the edge finds no item any more.
    if (!m_nTmrTick || m_pHost->IsHeldBack())
        return 0;
    // Mouse events are not watched while a step moves the windows: the pointer may have left the
    // edge, or a button been released, during the last one.
    WatchPointer();
    if (!m_nTmrTick)
        return 0;
    Step();
    return 0;
}

void CAutoScroller::Step() noexcept
{
    const PROPERTY_SET& prop = m_pHost->GetProperty();
    if (prop.propAtScrl.nMode == 0)
        return;
    const POINT ptDist = AtScrl::StepOffsets(prop.propAtScrl, {m_dwDirs, m_bOuterH, m_bOuterV});
    if (m_dwDirs != 0) {
        if (m_dwDirs != m_dwLastStepDirs) {
            const int nSubKind = ptDist.x != 0 && ptDist.y != 0 ? UNDO_ALIGN_SCROLL
                                 : ptDist.x != 0                ? UNDO_ALIGN_SCROLL_H
                                                                : UNDO_ALIGN_SCROLL_V;
            m_pHost->PostSaveForUndo(nSubKind);
            OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"オートスクロール実行 : 水平距離 = %d, 垂直距離 = %d.\r\n",
                      static_cast<int>(ptDist.x), static_cast<int>(ptDist.y));
        }
        if (prop.propUndo.bUndoResizeWnd)
            m_pHost->ForgetPrevResizeWnd();
        m_pHost->PostMoveRequest(ptDist.x, ptDist.y);
    }
    m_dwLastStepDirs = m_dwDirs;
}
