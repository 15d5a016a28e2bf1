// CZvCoreDlg: the scroll engine: the scroll range, device requests, and a move of every window,
// step by step and pass by pass.
#include "ZvCoreDlg.h"

#include <chrono>
#include <memory>
#include <vector>

#include "LogManager.h"
#include "Sender.h"
#include "WndEnumerator.h"
#include "WndFilter.h"
#include "ZvMessages.h"

BOOL CZvCoreDlg::CalcScrollRange()
{
    if (!m_pwe)
        return FALSE;
    // Marked before the count, so that everything queued ahead of the mark came before it.
    BeginCoalescedAnswer(m_reqWndLists, MARK_WND_LISTS);
    if (!m_pwe->EnumerateWnds())
        return FALSE;
    CalcRangeFromRects(TRUE);
    return TRUE;
}

void CZvCoreDlg::BeginCoalescedAnswer(CCoalescedRequest& req, WPARAM nKind) noexcept
{
    if (req.BeginAnswer() && !PostMessageW(m_hWnd, MSG_QUEUE_MARK, nKind, req.MarkNumber()))
        req.MarkLost();
}

LRESULT CZvCoreDlg::OnQueueMark(WPARAM wParam, LPARAM lParam) noexcept
{
    if (wParam == MARK_REDRAW) {
        if (m_reqRedraw.MarkArrived(lParam))
            RedrawAll();
        return 0;
    }
    if (wParam == MARK_LOG_ATTACH) {
        if (m_reqLogAttach.MarkArrived(lParam))
            AttachLogWindow();
        return 0;
    }
    if (wParam != MARK_WND_LISTS)
        return 0;
    const bool bRangeOwed = m_reqWndLists.MarkArrived(lParam);
    if (!m_reqWndLists.IsMarkQueued() && m_bWndChgOwed) {
        m_bWndChgOwed = FALSE;
        g_nWndsChanged = 1;
    }
    if (bRangeOwed)
        CalcScrollRange();
    return 0;
}

void CZvCoreDlg::CalcRangeFromRects(BOOL bJustCounted, const WND_READS* pRead) noexcept
{
    std::vector<RECT> rcWnds;
    for (HWND hWnd : m_pwe->GetMoveWndList()) {
        RECT rc{};
        if (const auto it = pRead ? pRead->find(hWnd) : WND_READS::const_iterator(); pRead && it != pRead->end()) {
            if (it->second)
                rcWnds.push_back(*it->second);
            continue;
        }
        // The count has just read whether each window is minimised and where it stands.
        if (const WND_COUNTED* pCounted = bJustCounted ? m_pwe->FindCounted(hWnd) : nullptr) {
            if (pCounted->bIconic || !pCounted->bRect)
                continue;
            rc = pCounted->rc;
            m_placer.PlaceRect(hWnd, &rc);
            rcWnds.push_back(rc);
            continue;
        }
        // A window gone meanwhile is neither iconic nor has a rectangle: no IsWindow is needed.
        if (!IsIconic(hWnd) && m_placer.GetWindowRect(hWnd, &rc))
            rcWnds.push_back(rc);
    }
    RECT rcWork{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    m_scrollRange.Calc(rcWnds, rcWork);
}

LRESULT CZvCoreDlg::OnScrlRange(WPARAM, LPARAM) noexcept
{
    // Each count takes milliseconds and any program can post this by the thousand: a count begun
    // after a request was posted answers it, so a flood costs two counts a pass through the queue.
    // The count always starts afresh, whatever wParam says.
    if (m_reqWndLists.Ask())
        CalcScrollRange();
    return 0;
}

int CZvCoreDlg::GetScrollWidthAbs(int nIdx)
{
    RECT rcDesktop{};
    GetWindowRect(GetDesktopWindow(), &rcDesktop);
    // Relative widths are shares of a bar's track; a bar too short for a track counts as none.
    const CScrollManager* pBarH = GetScrollBarManager(1);
    const CScrollManager* pBarV = GetScrollBarManager(2);
    const ScrollCalc::SCROLL_WIDTH_BASIS basis{
        m_scrollRange.Get(), pBarH ? pBarH->GetTrackLength() : ScrollCalc::SCROLL_TRACK_NO_BAR,
        pBarV ? pBarV->GetTrackLength() : ScrollCalc::SCROLL_TRACK_NO_BAR, rcDesktop.right - rcDesktop.left,
        rcDesktop.bottom - rcDesktop.top};
    const ScrollCalc::SCROLL_WIDTH_RESULT res = ScrollCalc::ScrollWidthAbs(m_prop.propScrlWdth, nIdx, basis);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::GetScrollWidthAbs()...nIdx=%d,lRange=%d,lRet=%d.\r\n", nIdx,
              res.nDivisor, res.nWidth);
    return res.nWidth;
}

HWND CZvCoreDlg::ReplaceOwnedWindow(HWND hWnd)
{
    HWND hWndOwned = m_pwe ? m_pwe->GetOwnedMoveWnd(hWnd) : nullptr;
    if (!hWndOwned || !IsWindow(hWndOwned))
        return hWnd;
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::ReplaceOwnedWindow() 0x%x(%s) is owner,\r\n",
              LogHandle(hWnd), GetWndTitle(hWnd).c_str());
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"replaced to 0x%x(%s).\r\n",
              LogHandle(hWndOwned), GetWndTitle(hWndOwned).c_str());
    return hWndOwned;
}

BOOL CZvCoreDlg::PostMoveRequest(LONG lOffsetH, LONG lOffsetV, BOOL bAtOnce, BOOL bMouseMove, HWND hWndExcept)
{
    LPRM_MV_ALL_WNDS* pRec =
        m_moveRun.AddRequest(LPRM_MV_ALL_WNDS{lOffsetH, lOffsetV, bMouseMove, hWndExcept, bAtOnce});
    if (PostMessageW(m_hWnd, MSG_MV_ALL_WNDS, reinterpret_cast<WPARAM>(pRec), 0))
        return TRUE;
    m_moveRun.TakeRequest(reinterpret_cast<WPARAM>(pRec));
    return FALSE;
}

BOOL CZvCoreDlg::IsMoveRefused(LPCWSTR pszFunc) noexcept
{
    const size_t nWnds = m_pwe ? m_pwe->GetMoveWndList().size() : 0;
    if (nWnds != 0 && !IsScrollProcessing())
        return FALSE;
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
              L"CZvCoreDlg::%s() returns @p1, m_pwe->GetMoveWndList()->GetCount()==%d, IsScrollProcessing()=%d.\r\n",
              pszFunc, static_cast<int>(nWnds), IsScrollProcessing());
    return TRUE;
}

LRESULT CZvCoreDlg::OnMvAllWndsByDevice(WPARAM wParam, LPARAM lParam) noexcept
{
    // Windows may have come since the last look when no hook told us of them.
    if (m_pwe && m_pwe->GetMoveWndList().empty())
        CalcScrollRange();
    if (IsMoveRefused(L"OnMvAllWndsByDevice"))
        return 0;
    const ScrollCalc::DEVICE_REQUEST req = ScrollCalc::DecodeDeviceRequest(wParam, lParam);
    if (!ScrollCalc::IsValidScrlWdthIndex(req.nIdx))
        return 0;
    const POINT ptOffset = ScrollCalc::DeviceOffsets(req, GetScrollWidthAbs(req.nIdx));
    // Undo: the scroll-bar windows, which alone post these requests, have asked for the record
    // themselves: once per click, per spin press and per wheel burst, not once per request.

    BOOL bWheel = FALSE;
    const DWORD dwBurst = ScrollCalc::WheelBurstPeriodMs(m_prop.propUndo.nSaveTimeUndoDataInWheelScroll);
    if (m_prop.propUndo.nSaveTimeUndoDataInWheelScroll != 0 && ScrollCalc::IsWheelScrlWdthIndex(req.nIdx)) {
        bWheel = TRUE;
        const bool bVert = ScrollCalc::IsVertScrlWdthIndex(req.nIdx);
        if (m_wheelBursts.NeedsItem(bVert) && dwBurst != 0)
            m_wheelBursts.Opened(bVert, AddStartedTmrItem(bVert ? MSG_TMR_WHEEL_V : MSG_TMR_WHEEL_H, dwBurst));
    }
    if (ptOffset.x != 0 || ptOffset.y != 0)
        PostMoveRequest(ptOffset.x, ptOffset.y, bWheel, TRUE, nullptr);
    return 0;
}

LRESULT CZvCoreDlg::OnTmrWheelH(WPARAM, LPARAM) noexcept
{
    int nTmr = m_wheelBursts.Close(false);
    DeleteTmrItem(nTmr);
    return 0;
}

LRESULT CZvCoreDlg::OnTmrWheelV(WPARAM, LPARAM) noexcept
{
    int nTmr = m_wheelBursts.Close(true);
    DeleteTmrItem(nTmr);
    return 0;
}

void CZvCoreDlg::CloseWheelBursts() noexcept
{
    for (bool bVert : {false, true}) {
        int nTmr = m_wheelBursts.Close(bVert);
        DeleteTmrItem(nTmr);
    }
}

LRESULT CZvCoreDlg::OnMvAllWnds(WPARAM wParam, LPARAM) noexcept
{
    // Only requests made by this window are taken; the pool frees the record on every road.
    std::unique_ptr<LPRM_MV_ALL_WNDS> pRec = m_moveRun.TakeRequest(wParam);
    if (!pRec)
        return 0;
    if (IsMoveRefused(L"MoveAllWindows"))
        return 0;
    const LONG lOffsetH = pRec->lOffsetH, lOffsetV = pRec->lOffsetV;
    const HWND hWndExcept = pRec->hWndExcept;
    // A move of (0, 0) makes no move.
    std::unique_ptr<CScrollMove> pMove;
    // A thumb drag asks for a move every few pixels. Its press counted the windows afresh, and the
    // hook tells of any that come or go meanwhile: counting them again at every step would take
    // more than half of the step's time, so the move takes the lists as they stand, and the range
    // the end of the last step reckoned from them (the bar's step was measured against it).
    const BOOL bListsFresh = IsBarDragging() && !g_nWndsChanged && m_pwe && !m_pwe->GetMoveWndList().empty();
    if (bListsFresh || CalcScrollRange())
        pMove = CScrollMove::Create(std::move(pRec), m_pwe->GetMoveWndList(), m_prop.propView.nSpeed,
                                    m_prop.lstScrlRate);
    if (!pMove) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::MoveAllWindows() return @p2.\r\n");
        return 0;
    }
    StartMove(std::move(pMove));
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
              L"CZvCoreDlg::MoveAllWindows() out. lOffsetH=%d, lOffsetV=%d, hWndExcept=0x%x.\r\n", lOffsetH, lOffsetV,
              LogHandle(hWndExcept));
    return 0;
}

BOOL CZvCoreDlg::StartMove(std::unique_ptr<CScrollMove> pMove) noexcept
{
    if (!pMove)
        return FALSE;
    m_moveRun.Start(std::move(pMove));
    if (!m_moveRun.GetMove()->IsAtOnce())
        LogNextScrollRate(1);
    PostStep();
    return m_moveRun.IsRunning();
}

void CZvCoreDlg::LogNextScrollRate(int nCnt) noexcept
{
    const unsigned uSpeed = static_cast<unsigned>(m_prop.propView.nSpeed);
    const ScrollCalc::SCROLL_RATE_TRACE t = ScrollCalc::TraceScrollRate(m_prop.lstScrlRate, m_prop.propView.nSpeed, nCnt);
    if (t.bFixed) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::GetNextScrollRate() : Cnt=%u, Speed=%u, Rate=%u.\r\n",
                  static_cast<unsigned>(nCnt), uSpeed, static_cast<unsigned>(t.nRate));
        return;
    }
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
              L"CZvCoreDlg::GetNextScrollRate() :Cnt=%u, Speed=%u, Cnt1,2=%u,%u, Scr1,2=%u,%u, Rate=%u.\r\n",
              static_cast<unsigned>(nCnt), uSpeed, t.uCnt1, t.uCnt2, t.uScr1, t.uScr2, static_cast<unsigned>(t.nRate));
}

void CZvCoreDlg::PostStep() noexcept
{
    if (!PostMessageW(m_hWnd, MSG_MV_STEP, m_moveRun.GetMoveId(), m_moveRun.GetStepSeq())) {
        // A full queue would leave the move hanging for ever and refuse every later one.
        AbandonMove();
    }
}

LRESULT CZvCoreDlg::OnMvStep(WPARAM wParam, LPARAM lParam) noexcept
{
    if (!m_moveRun.AcceptStep(wParam, lParam))
        return 0;

    // Windows of one pass are moved together until the pass ends or the time is up: a message
    // round of its own for each window added a post and a fetch through the wineserver to every
    // move, and the other messages still get through between two such turns.
    const auto tUntil = std::chrono::steady_clock::now() + std::chrono::microseconds(MOVE_STEP_TURN_US);
    const UINT uMoveId = m_moveRun.GetMoveId();
    CScrollMove* pMove = m_moveRun.GetMove();
    MV_STEP_ACTION act;
    // One question a program thread for the turn's moves, not one a window.
    CWndPlacerBatch batch(m_placer);
    do {
        act = pMove->Step();
        if (act.hWnd && act.hWnd == m_hWnd)
            ShowWindow(m_hWnd, SW_HIDE);
        {
            // Moving another program's window lets messages sent to us run meanwhile.
            const CNestedLoop loop(*this);
            MoveStepWindow(act);
        }
        // A message sent to us while the window moved may have ended this move or started another.
        if (!m_moveRun.IsStillRunning(uMoveId))
            return 0;
    } while (!act.bPassEnd && std::chrono::steady_clock::now() < tUntil);

    if (!act.bPassEnd) {
        PostStep();
        return 0;
    }
    if (act.bMoveEnd) {
        EndMove();
        return 0;
    }
    // The closing pass of an at-once move only confirms the arrival: nothing to pace. It still
    // walks every window: ended at once instead, the move's end (the pointer following, the bars)
    // came while the program was still handling the moves, and a wheel scroll of 100 windows took
    // two and a half times as long.
    if (pMove->IsAtOnce()) {
        PostStep();
        return 0;
    }
    LogNextScrollRate(pMove->GetPassCount() + 1);
    // Auto scroll paces itself by its ticks: its passes follow each other at once.
    if (!m_autoScroller.IsTicking() && m_moveRun.WaitForPass())
        return 0;
    PostStep();
    return 0;
}

LRESULT CZvCoreDlg::OnTmrScroll(WPARAM, LPARAM) noexcept
{
    // The item may fire again before the step it asked for runs; one pass needs one step chain.
    if (m_moveRun.EndPassWait())
        PostStep();
    return 0;
}

void CZvCoreDlg::MoveStepWindow(const MV_STEP_ACTION& act) noexcept
{
    // A window gone meanwhile is not iconic and has no rectangle, so it ends below without a move:
    // an IsWindow of its own would cost every window one more call to the wineserver.
    if (!act.hWnd)
        return;
    // Its restore scrolls the others back: its entry, not the window, follows the scroll.
    if (m_prop.propWindow.bRestoreAbsPos && IsMinimizedWnd(act.hWnd)) {
        if (IsLogLevelActive(LOG_LEVEL_INFO))
            OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"最小化ウィンドウのためスクロール実行せず : ウィンドウ = %s.\r\n",
                      GetWndTitle(act.hWnd).c_str());
        return;
    }
    CScrollMove* pMove = m_moveRun.GetMove();
    if (act.hWnd == pMove->GetRequest().hWndExcept)
        return;
    const bool bClosingPass = pMove->IsAtOnce() && act.nMovH == 0 && act.nMovV == 0;
    RECT rc{};
    // Where the last step sent it, though a slow program may not have moved it there yet.
    if (IsIconic(act.hWnd) || !m_placer.GetWindowRect(act.hWnd, &rc)) {
        if (bClosingPass)
            pMove->NoteRead(act.hWnd, nullptr);
        return;
    }
    if (bClosingPass)
        pMove->NoteRead(act.hWnd, &rc);
    // Near the limits of int the sum would wrap round and throw the window the other way.
    const int x = ScrollCalc::Saturate(static_cast<int64_t>(rc.left) + act.nMovH);
    const int y = ScrollCalc::Saturate(static_cast<int64_t>(rc.top) + act.nMovV);
    if (IsLogLevelActive(LOG_LEVEL_INFO)) {
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"スクロール実行 : ウィンドウ = %s, 水平 = %d → %d, 垂直 = %d → %d.\r\n",
                  GetWndTitle(act.hWnd).c_str(), static_cast<int>(rc.left), x, static_cast<int>(rc.top), y);
    }
    if (act.nMovH != 0 || act.nMovV != 0) {
        // The count named every window's thread: a move need not ask for it again.
        const WND_COUNTED* pCounted = m_pwe ? m_pwe->FindCounted(act.hWnd) : nullptr;
        m_placer.MoveTo(act.hWnd, x, y, pCounted ? pCounted->dwTid : 0);
    }
    // An undo puts a maximised window back maximised; a minimised one is left to its own restore.
    if (act.nShowCmd != 0 && act.nShowCmd != SW_SHOWMINIMIZED && act.nShowCmd != SW_MINIMIZE && IsWindowVisible(act.hWnd)) {
        // Another program's window is told without waiting for it, like its move.
        if (GetWindowThreadProcessId(act.hWnd, nullptr) == GetCurrentThreadId())
            ShowWindow(act.hWnd, static_cast<int>(act.nShowCmd));
        else
            ShowWindowAsync(act.hWnd, static_cast<int>(act.nShowCmd));
    }
}

void CZvCoreDlg::EndMove() noexcept
{
    const LPRM_MV_ALL_WNDS& req = m_moveRun.GetMove()->GetRequest();
    if (m_prop.propView.bMouseMove && req.bMouseMove) {
        POINT ptCur{};
        if (GetCursorPos(&ptCur)) {
            const POINT ptNew = ScrollCalc::PointerAfterMove(
                ptCur, ScrollCalc::NegateOffset(req.lOffsetH), ScrollCalc::NegateOffset(req.lOffsetV),
                GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN));
            if (ptNew.x != ptCur.x || ptNew.y != ptCur.y)
                SetCursorPos(ptNew.x, ptNew.y);
        }
    }
    // Every window moved by the negated offsets (an arrangement's or an undo's request is all zero).
    // Their restored places follow, as the windows would have done.
    m_minimized.DropGone();
    m_minimized.Shift(ScrollCalc::NegateOffset(req.lOffsetH), ScrollCalc::NegateOffset(req.lOffsetV));
    const WND_READS mapRead = m_moveRun.GetMove()->TakeReads();
    AbandonMove();
    UpdateScrollBars(&mapRead);
    // The windows stand somewhere new: the next resize watch starts from here, and the save that
    // the move's own window events would ask for is refused once.
    SetPrevResizeWnd(nullptr, UNDO_NO_SHOW_CMD);
    m_undo.SetResizeMark(m_prop.propUndo.bUndoResizeWnd);
}

void CZvCoreDlg::AbandonMove() noexcept
{
    m_moveRun.Abandon();
}
