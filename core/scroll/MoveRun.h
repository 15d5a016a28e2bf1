// CMoveRun: the scroll engine's moves as they run: the requests still in the queue, the move under
// way with its number and the sequence of its step messages, and the pause between two passes
// with the timer item that ends it. A step message carries the move's number and its own; any
// other (one left over from a move that has ended, or posted by another program) is refused here.
// Only the main window's thread uses it; the window posts the steps and moves the windows.
#pragma once
#include <windows.h>

#include <memory>

#include "ScrollMove.h"

class CTmrMngr;

class CMoveRun {
public:
    CMoveRun() noexcept = default;
    CMoveRun(const CMoveRun&) = delete;
    CMoveRun& operator=(const CMoveRun&) = delete;

    // ---- Requests posted by pointer, kept until the move handler takes them
    LPRM_MV_ALL_WNDS* AddRequest(const LPRM_MV_ALL_WNDS& req) { return m_mvReq.Add(req); }
    // Only a request this run handed out; null for any other.
    std::unique_ptr<LPRM_MV_ALL_WNDS> TakeRequest(WPARAM wParam) noexcept { return m_mvReq.Take(wParam); }
    void ClearRequests() noexcept { m_mvReq.Clear(); }

    // From its start until its last pass has ended.
    BOOL IsRunning() const noexcept { return m_pMove != nullptr; }
    // A move runs, or one asked for still waits in the queue.
    BOOL IsPending() const noexcept { return IsRunning() || m_mvReq.GetCount() != 0; }
    // The move under way; null when none runs.
    CScrollMove* GetMove() const noexcept { return m_pMove.get(); }

    // The timer item that ends a pause between passes, made by pMngr; 0 for none: the passes then
    // follow each other at once.
    void SetPassTimer(CTmrMngr* pMngr, int nTmr) noexcept
    {
        m_pTmrMngr = pMngr;
        m_nTmrPass = nTmr;
    }
    // Forgets the item and its manager; the caller deletes the item this hands back.
    int ReleasePassTimer() noexcept;

    // Takes the move over under a new number (never 0, so that a zeroed step message matches no
    // move); its steps count from 0. The caller has checked that no move runs.
    void Start(std::unique_ptr<CScrollMove> pMove) noexcept;
    // What the step the move waits for carries: the move's number (wParam) and its own (lParam).
    UINT GetMoveId() const noexcept { return m_uMoveId; }
    LPARAM GetStepSeq() const noexcept { return m_nStepSeq; }
    // TRUE for the step the running move waits for: the one after it is awaited from now on, and a
    // pause between passes is over. Any other step changes nothing.
    BOOL AcceptStep(WPARAM wParam, LPARAM lParam) noexcept;
    // The move numbered uMoveId still runs: a message handled while a step moved a window may have
    // ended it or started another.
    BOOL IsStillRunning(UINT uMoveId) const noexcept { return m_pMove && m_uMoveId == uMoveId; }

    // A pass has ended: the pause until the item ticks begins. FALSE when there is no item: the
    // caller posts the next step at once.
    BOOL WaitForPass() noexcept;
    // The item ticked: TRUE (the caller posts the step) when a move was paused. The item may tick
    // again before that step runs, and one pass needs one chain of steps.
    BOOL EndPassWait() noexcept;
    // The move ends, or is given up on; any pause with it.
    void Abandon() noexcept;

private:
    void StopPassTimer() noexcept;

    CMoveRequestPool m_mvReq;
    std::unique_ptr<CScrollMove> m_pMove;
    UINT m_uMoveId = 0;
    LPARAM m_nStepSeq = 0;
    BOOL m_bPassWait = FALSE;
    CTmrMngr* m_pTmrMngr = nullptr;
    int m_nTmrPass = 0;
};
