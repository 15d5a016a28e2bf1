#include "MoveRun.h"

#include "TmrMngr.h"

int CMoveRun::ReleasePassTimer() noexcept
{
    const int nTmr = m_nTmrPass;
    m_nTmrPass = 0;
    m_pTmrMngr = nullptr;
    return nTmr;
}

void CMoveRun::Start(std::unique_ptr<CScrollMove> pMove) noexcept
{
    m_pMove = std::move(pMove);
    if (++m_uMoveId == 0)
        m_uMoveId = 1;
    m_nStepSeq = 0;
    m_bPassWait = FALSE;
}

BOOL CMoveRun::AcceptStep(WPARAM wParam, LPARAM lParam) noexcept
{
    if (!m_pMove || wParam != m_uMoveId || lParam != m_nStepSeq)
        return FALSE;
    ++m_nStepSeq;
    m_bPassWait = FALSE;
    StopPassTimer();
    return TRUE;
}

BOOL CMoveRun::WaitForPass() noexcept
{
    if (!m_pTmrMngr || !m_nTmrPass)
        return FALSE;
    m_bPassWait = TRUE;
    m_pTmrMngr->StartTmr(m_nTmrPass);
    return TRUE;
}

BOOL CMoveRun::EndPassWait() noexcept
{
    if (!m_pMove || !m_bPassWait)
        return FALSE;
    m_bPassWait = FALSE;
    return TRUE;
}

void CMoveRun::Abandon() noexcept
{
    m_pMove.reset();
    m_bPassWait = FALSE;
    StopPassTimer();
}

void CMoveRun::StopPassTimer() noexcept
{
    if (m_pTmrMngr && m_nTmrPass)
        m_pTmrMngr->StopTmr(m_nTmrPass);
}
