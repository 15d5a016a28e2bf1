#include "TrackCalc.h"

#include "UndoKind.h"

namespace TrackCalc {

namespace {

// One axis of mode 1: the window spans [lo, lo + size) against a work area ending at hi.
int MinDistance(int lo, int size, int hi) noexcept
{
    if (lo + size > hi)
        return (hi - size) - lo;
    if (lo < 0)
        return -lo;
    return 0;
}

// One axis of mode 2.
int Centre(int lo, int size, int hi) noexcept
{
    if (lo + size > hi || lo < 0)
        return (hi - size) / 2 - lo;
    return 0;
}

}  // namespace

FIT_RESULT FitToWorkArea(const RECT& rc, const RECT& rcWork) noexcept
{
    FIT_RESULT res{rc, false};
    const LONG cxWork = rcWork.right - rcWork.left;
    const LONG cyWork = rcWork.bottom - rcWork.top;
    if (rc.right - rc.left > cxWork + FIT_TOLERANCE) {
        res.rc.right = rc.left + cxWork;
        res.bShrunk = true;
    }
    if (rc.bottom - rc.top > cyWork + FIT_TOLERANCE) {
        res.rc.bottom = rc.top + cyWork;
        res.bShrunk = true;
    }
    return res;
}

std::optional<POINT> IntoViewMove(int nMode, const RECT& rc, const RECT& rcWork) noexcept
{
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    switch (nMode) {
    case ACTIVATE_MIN_DISTANCE:
        return POINT{MinDistance(rc.left, w, rcWork.right), MinDistance(rc.top, h, rcWork.bottom)};
    case ACTIVATE_CENTER:
        return POINT{Centre(rc.left, w, rcWork.right), Centre(rc.top, h, rcWork.bottom)};
    default:
        return std::nullopt;
    }
}

int ScrollSubKind(int dx, int dy) noexcept
{
    if (dx != 0 && dy != 0)
        return UNDO_ALIGN_SCROLL;
    if (dx != 0)
        return UNDO_ALIGN_SCROLL_H;
    if (dy != 0)
        return UNDO_ALIGN_SCROLL_V;
    return UNDO_ALIGN_NONE;
}

bool IsMaximizedOnScreen(UINT nShowCmd, const RECT& rcWnd) noexcept
{
    return nShowCmd == SW_SHOWMAXIMIZED && rcWnd.left >= -4 && rcWnd.left <= 0 && rcWnd.top >= -4 && rcWnd.top <= 0;
}

}  // namespace TrackCalc
