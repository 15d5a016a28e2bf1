#include "ScrollMove.h"

#include <algorithm>
#include <cstdint>

#include "ScrollCalc.h"

std::unique_ptr<CScrollMove> CScrollMove::Create(std::unique_ptr<LPRM_MV_ALL_WNDS> pRec, const std::list<HWND>& lstWnd,
                                                 int nSpeed, const std::vector<SCROLL_RATE>& lstRate)
{
    if (!pRec || lstWnd.empty())
        return nullptr;
    const ScrollCalc::MoveMode mode =
        ScrollCalc::ChooseMoveMode(pRec->lOffsetH, pRec->lOffsetV, pRec->bAtOnce, nSpeed, lstRate);
    if (mode == ScrollCalc::MoveMode::None)
        return nullptr;

    std::unique_ptr<CScrollMove> pMove(new CScrollMove);
    pMove->m_nSpeed = nSpeed;
    pMove->m_lstRate = lstRate;
    const int dx = ScrollCalc::NegateOffset(pRec->lOffsetH);
    const int dy = ScrollCalc::NegateOffset(pRec->lOffsetV);
    if (mode == ScrollCalc::MoveMode::AtOnce) {
        pMove->m_bAtOnce = TRUE;
        pMove->m_lstWnd.assign(lstWnd.begin(), lstWnd.end());
        pMove->m_ldStepH = dx;
        pMove->m_ldStepV = dy;
    } else {
        pMove->m_bAtOnce = FALSE;
        pMove->m_nRate = ScrollCalc::NextScrollRate(lstRate, nSpeed, 1);
        for (HWND hWnd : lstWnd) {
            HWND_OFFSET_MULT& entry = pMove->m_lstMult.emplace_back();
            entry.hWnd = hWnd;
            entry.ldOffsetH = dx;
            entry.ldOffsetV = dy;
        }
    }
    pMove->m_pRec = std::move(pRec);
    return pMove;
}

std::unique_ptr<CScrollMove> CScrollMove::CreateMulti(std::list<HWND_OFFSET_MULT> lstMult, int nSpeed,
                                                      const std::vector<SCROLL_RATE>& lstRate)
{
    if (lstMult.empty())
        return nullptr;
    std::unique_ptr<CScrollMove> pMove(new CScrollMove);
    pMove->m_pRec = std::make_unique<LPRM_MV_ALL_WNDS>();
    // Without a curve every pass would take 0 % and crawl a pixel at a time: the whole way at once.
    pMove->m_nSpeed = lstRate.empty() ? 1 : nSpeed;
    pMove->m_lstRate = lstRate;
    pMove->m_bAtOnce = FALSE;
    pMove->m_nRate = ScrollCalc::NextScrollRate(lstRate, pMove->m_nSpeed, 1);
    pMove->m_lstMult = std::move(lstMult);
    return pMove;
}

MV_STEP_ACTION CScrollMove::Step() noexcept
{
    if (m_bEnded) {
        MV_STEP_ACTION act;
        act.bPassEnd = act.bMoveEnd = true;
        return act;
    }
    return m_bAtOnce ? StepAtOnce() : StepSmooth();
}

MV_STEP_ACTION CScrollMove::StepAtOnce() noexcept
{
    MV_STEP_ACTION act;
    act.hWnd = m_lstWnd[m_nPos++];
    // Every pass moves by the whole step, which is also the target.
    const BOOL bReached = ScrollCalc::IsWndReachedDst(
        {.ldMovedH = ScrollCalc::AtOnceMoved(m_ldStepH, m_nCnt),
         .ldMovedV = ScrollCalc::AtOnceMoved(m_ldStepV, m_nCnt),
         .ldPrdctMovH = m_ldStepH, .ldPrdctMovV = m_ldStepV, .ldTrgtH = m_ldStepH, .ldTrgtV = m_ldStepV},
        &act.nMovH, &act.nMovV);
    if (m_nPos >= m_lstWnd.size()) {
        m_nPos = 0;
        EndPass(act, bReached != FALSE);
    }
    return act;
}

MV_STEP_ACTION CScrollMove::StepSmooth() noexcept
{
    if (!m_bPassStarted) {
        m_itPos = m_lstMult.begin();
        m_bPassStarted = true;
    }
    const auto itEntry = m_itPos++;
    HWND_OFFSET_MULT& entry = *itEntry;

    MV_STEP_ACTION act;
    act.hWnd = entry.hWnd;
    const BOOL bReached = ScrollCalc::IsWndReachedDst(
        {.ldMovedH = entry.ldDoneH, .ldMovedV = entry.ldDoneV,
         .ldPrdctMovH = ScrollCalc::PassStep(m_nRate, entry.ldOffsetH),
         .ldPrdctMovV = ScrollCalc::PassStep(m_nRate, entry.ldOffsetV),
         .ldTrgtH = entry.ldOffsetH, .ldTrgtV = entry.ldOffsetV},
        &act.nMovH, &act.nMovV);
    if (entry.pwp)
        act.nShowCmd = entry.pwp->showCmd;
    entry.ldDoneH = ScrollCalc::Saturate(static_cast<int64_t>(entry.ldDoneH) + act.nMovH);
    entry.ldDoneV = ScrollCalc::Saturate(static_cast<int64_t>(entry.ldDoneV) + act.nMovV);
    if (bReached)
        m_lstMult.erase(itEntry);

    if (m_itPos == m_lstMult.end()) {
        m_bPassStarted = false;
        EndPass(act, m_lstMult.empty());
    }
    return act;
}

void CScrollMove::NoteRead(HWND hWnd, const RECT* prc)
{
    try {
        m_mapRead[hWnd] = prc ? std::optional<RECT>(*prc) : std::nullopt;
    } catch (...) {
        // A window not noted is asked at the end.
    }
}

void CScrollMove::EndPass(MV_STEP_ACTION& act, bool bLastReached) noexcept
{
    act.bPassEnd = true;
    ++m_nCnt;
    if (bLastReached) {
        act.bMoveEnd = true;
        m_bEnded = true;
        return;
    }
    m_nRate = ScrollCalc::NextScrollRate(m_lstRate, m_nSpeed, m_nCnt + 1);
}
