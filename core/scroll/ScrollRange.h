// CScrollRange: how far the desktop reaches: the rectangle that holds every window of the move
// list and the work area, widened by the margins a scroll may go past them, and kept within the
// limits the bars' tracks can show. The bars read its edges through pointers they keep, so the
// rectangle stays where it is for the life of the object. Only the main window's thread uses it.
#pragma once
#include <windows.h>

#include <span>

#include "ScrollCalc.h"

class CScrollRange {
public:
    explicit CScrollRange(const ScrollCalc::SCROLL_MARGINS& margins) noexcept : m_margins(margins) {}
    CScrollRange(const CScrollRange&) = delete;
    CScrollRange& operator=(const CScrollRange&) = delete;

    const RECT& Get() const noexcept { return m_rc; }
    // The reckoning afresh from rcWnds (the windows that are neither gone nor minimised) and the
    // work area.
    void Calc(std::span<const RECT> rcWnds, const RECT& rcWork) noexcept
    {
        m_rc = ScrollCalc::ScrollRange(rcWnds, rcWork, m_margins, m_nLimitH, m_nLimitV);
    }

    // A bar's limit (horizontal, or vertical when bVert), held to what the range may ever span.
    void SetLimit(bool bVert, int nBarLimit) noexcept
    {
        (bVert ? m_nLimitV : m_nLimitH) = ScrollCalc::CapRangeLimit(nBarLimit);
    }
    // From the origin to each limit: the area an arrangement over the whole range spreads over.
    RECT LimitArea() const noexcept { return RECT{0, 0, m_nLimitH, m_nLimitV}; }

private:
    ScrollCalc::SCROLL_MARGINS m_margins;
    RECT m_rc{};
    int m_nLimitH = ScrollCalc::SCROLL_RANGE_LIMIT_MAX;
    int m_nLimitV = ScrollCalc::SCROLL_RANGE_LIMIT_MAX;
};
