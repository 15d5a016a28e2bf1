// CScrollBars: a bar's rectangle travels in the Position and Size record's own layout, the other
// bar's half left empty.
#include "ScrollBars.h"

#include "ZvMessages.h"

namespace {

constexpr int BAR_H = 1;
constexpr int BAR_V = 2;

}  // namespace

BOOL CScrollBars::PostRect(HWND hWnd, int nBar, const RECT& rc) noexcept
{
    PROP_POSSIZE rec{};
    if (nBar == BAR_H)
        rec = PROP_POSSIZE{rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, 0, 0, 0, 0, 0, 0};
    else if (nBar == BAR_V)
        rec = PROP_POSSIZE{0, 0, 0, 0, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, 0, 0};
    else
        return FALSE;
    PROP_POSSIZE* pRec = m_rectReq.Add(rec);
    if (PostMessageW(hWnd, MSG_SCRLBAR_RECT, static_cast<WPARAM>(nBar), reinterpret_cast<LPARAM>(pRec)))
        return TRUE;
    m_rectReq.Take(reinterpret_cast<LPARAM>(pRec));
    return FALSE;
}

BOOL CScrollBars::TakeRect(WPARAM wParam, LPARAM lParam, int& nBar, RECT& rc) noexcept
{
    const std::unique_ptr<PROP_POSSIZE> pRec = m_rectReq.Take(lParam);
    if (!pRec || (wParam != BAR_H && wParam != BAR_V))
        return FALSE;
    nBar = static_cast<int>(wParam);
    rc = nBar == BAR_H ? RECT{pRec->nHorzOrgX, pRec->nHorzOrgY, pRec->nHorzOrgX + pRec->nHorzWidth,
                              pRec->nHorzOrgY + pRec->nHorzHeight}
                       : RECT{pRec->nVertOrgX, pRec->nVertOrgY, pRec->nVertOrgX + pRec->nVertWidth,
                              pRec->nVertOrgY + pRec->nVertHeight};
    return TRUE;
}
