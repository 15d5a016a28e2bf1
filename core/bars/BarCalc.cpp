#include "BarCalc.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "PropertySet.h"

namespace BarCalc {

namespace {

int Clip(int64_t v) noexcept {
    return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// std::clamp with the bounds put in order, so that a range turned inside out by a tiny bar or
// desktop yields its upper bound instead of undefined behaviour.
int64_t ClampSafe(int64_t v, int64_t lo, int64_t hi) noexcept {
    return std::clamp(v, std::min(lo, hi), hi);
}

// The thickness and length sides of a bar, so that one set of rules serves both directions.
struct AXES {
    LONG* pThickNear;
    LONG* pThickFar;
    LONG* pLenNear;
    LONG* pLenFar;
    int nThickNearEdge, nThickFarEdge, nLenNearEdge, nLenFarEdge;
};

AXES Axes(RECT& rc, bool bVert) noexcept {
    if (bVert)
        return {&rc.left, &rc.right, &rc.top, &rc.bottom, EDGE_LEFT, EDGE_RIGHT, EDGE_TOP, EDGE_BOTTOM};
    return {&rc.top, &rc.bottom, &rc.left, &rc.right, EDGE_TOP, EDGE_BOTTOM, EDGE_LEFT, EDGE_RIGHT};
}

// The pointer coordinates of the thickness and the length direction.
LONG& ThickCoord(POINT& pt, bool bVert) noexcept { return bVert ? pt.x : pt.y; }
LONG& LenCoord(POINT& pt, bool bVert) noexcept { return bVert ? pt.y : pt.x; }

// Thickest a stored bar may be: about a quarter of its length, as an Alt resize allows, but never
// less than the default thickness.
int64_t MaxBarThickness(int64_t nLength, int nSysScroll) noexcept {
    return std::max<int64_t>((nLength / 2 + 1) / 2, static_cast<int64_t>(nSysScroll) + 2);
}

}  // namespace

int Thickness(const RECT& rcBar, bool bVert) noexcept {
    return Clip(bVert ? int64_t{rcBar.right} - rcBar.left : int64_t{rcBar.bottom} - rcBar.top);
}

int Length(const RECT& rcBar, bool bVert) noexcept {
    return Clip(bVert ? int64_t{rcBar.bottom} - rcBar.top : int64_t{rcBar.right} - rcBar.left);
}

RECT SpinRect(int nLength, int nThick, bool bVert) noexcept {
    if (bVert) return {1, 1, nThick - 1, 2 * nThick + 1};
    return {nLength - 2 * nThick, 1, nLength - 1, nThick - 1};
}

int TrackLength(int nLength, int nThick) noexcept {
    return Clip(std::max<int64_t>(int64_t{nLength} - 2 * int64_t{nThick}, 0));
}

int TrackStart(int nThick, bool bVert) noexcept {
    return bVert ? 2 * nThick : 0;
}

RECT ThumbRect(int nThumbPos, int nThumbLen, int nThick, bool bVert) noexcept {
    if (bVert) {
        const int nTop = TrackStart(nThick, true) + nThumbPos;
        return {1, nTop, 1 + nThick - 3, nTop + nThumbLen};
    }
    return {nThumbPos, 1, nThumbPos + nThumbLen, 1 + nThick - 3};
}

BarPart HitTest(POINT pt, const RECT& rcThumb, const RECT& rcSpin, int nLength, bool bVert) noexcept {
    if (bVert) {
        if (pt.y < (rcSpin.bottom - rcSpin.top) / 2) return BarPart::SpinNear;
        if (pt.y < rcSpin.bottom) return BarPart::SpinFar;
        if (pt.y < rcThumb.top) return BarPart::BeforeThumb;
        if (pt.y >= rcThumb.bottom) return BarPart::AfterThumb;
        return BarPart::Thumb;
    }
    if (pt.x < rcThumb.left) return BarPart::BeforeThumb;
    if (pt.x < rcThumb.right) return BarPart::Thumb;
    if (pt.x < rcSpin.left) return BarPart::AfterThumb;
    return pt.x >= nLength - (rcSpin.right - rcSpin.left) / 2 ? BarPart::SpinFar : BarPart::SpinNear;
}

BAR_RANGE RangeValues(int nRangeMin, int nRangeMax, int nDesktopSize) noexcept {
    int64_t nExtent = int64_t{nRangeMax} - nRangeMin;
    int64_t nOffset = -int64_t{nRangeMin};
    if (nExtent < nDesktopSize) {
        nExtent = nDesktopSize;
        nOffset = 0;
    }
    return {Clip(nExtent), nDesktopSize, Clip(nOffset)};
}

THUMB UpdateThumb(const THUMB& thumbCur, int nLastLen, bool bForce, int nRangeMin, int nRangeMax, int nDesktopSize,
                  int nTrackLen) noexcept {
    const int64_t nTrack = std::max(nTrackLen, 0);
    const int64_t nExtent = std::max<int64_t>(int64_t{nRangeMax} - nRangeMin, nDesktopSize);
    if (nDesktopSize <= 0 || nExtent <= 0) return {0, Clip(nTrack)};
    const BAR_RANGE range = RangeValues(nRangeMin, nRangeMax, nDesktopSize);
    const int64_t nLen = std::min(nTrack * nDesktopSize / nExtent, nTrack);
    int64_t nPos = thumbCur.nPos;
    if (nLen != nLastLen || bForce) nPos = nTrack * range.nPos / nExtent;
    return {Clip(ClampSafe(nPos, 0, nTrack - nLen)), Clip(nLen)};
}

int RangeLimit(int nTrackLen, int nDesktopSize) noexcept {
    return Clip(int64_t{nTrackLen} * nDesktopSize / 20);
}

bool IsDragStep(int nPointer, int nDragLast) noexcept {
    return std::llabs(int64_t{nPointer} - nDragLast) > 2;
}

THUMB_DRAG DragThumb(const THUMB& thumb, int nTrackLen, int nDelta, int nRangeMin, int nRangeMax) noexcept {
    if (nTrackLen <= 0) return {0, 0, 0};
    const int64_t nOld = thumb.nPos;
    const int64_t nNew = nOld + nDelta;
    int64_t nPos = nNew;
    if (nNew < 0) {
        nPos = 0;
    } else if (int64_t{thumb.nLen} + nNew > nTrackLen) {
        nPos = std::max<int64_t>(int64_t{nTrackLen} - thumb.nLen, 0);
    }
    const int64_t nStep = nPos - nOld;
    const int64_t nOffset = (int64_t{nRangeMax} - nRangeMin) * nStep / nTrackLen;
    return {Clip(nPos), Clip(nStep), Clip(nOffset)};
}

int HitTestEdges(const RECT& rcBar, POINT pt) noexcept {
    if (pt.x < rcBar.left || pt.x >= rcBar.right || pt.y < rcBar.top || pt.y >= rcBar.bottom) return 0;
    int nEdges = 0;
    if (pt.x < int64_t{rcBar.left} + EDGE_BAND) nEdges |= EDGE_LEFT;
    if (pt.x >= int64_t{rcBar.right} - EDGE_BAND) nEdges |= EDGE_RIGHT;
    if (pt.y < int64_t{rcBar.top} + EDGE_BAND) nEdges |= EDGE_TOP;
    if (pt.y >= int64_t{rcBar.bottom} - EDGE_BAND) nEdges |= EDGE_BOTTOM;
    return nEdges;
}

EdgeCursor CursorForEdges(int nEdges) noexcept {
    switch (nEdges) {
    case EDGE_LEFT:
    case EDGE_RIGHT:
        return EdgeCursor::SizeWE;
    case EDGE_TOP:
    case EDGE_BOTTOM:
        return EdgeCursor::SizeNS;
    case EDGE_LEFT | EDGE_TOP:
    case EDGE_RIGHT | EDGE_BOTTOM:
        return EdgeCursor::SizeNWSE;
    case EDGE_RIGHT | EDGE_TOP:
    case EDGE_LEFT | EDGE_BOTTOM:
        return EdgeCursor::SizeNESW;
    default:
        return EdgeCursor::SizeAll;
    }
}

bool IsResizeEdges(int nEdges) noexcept {
    return CursorForEdges(nEdges) != EdgeCursor::SizeAll;
}

bool CanMoveBy(const RECT& rcBar, int dx, int dy, const RECT& rcDesktop) noexcept {
    if (dx < 0 && int64_t{rcBar.left} + dx < rcDesktop.left) return false;
    if (dx > 0 && int64_t{rcBar.right} + dx > rcDesktop.right) return false;
    if (dy < 0 && int64_t{rcBar.top} + dy < rcDesktop.top) return false;
    if (dy > 0 && int64_t{rcBar.bottom} + dy > rcDesktop.bottom) return false;
    return true;
}

RECT MoveBarBy(const RECT& rcBar, int dx, int dy, const RECT& rcDesktop) noexcept {
    if (!CanMoveBy(rcBar, dx, dy, rcDesktop)) return rcBar;
    return {rcBar.left + dx, rcBar.top + dy, rcBar.right + dx, rcBar.bottom + dy};
}

POINT LimitResize(POINT pt, const RECT& rcBar, int nEdges, bool bVert, const RESIZE_LIMITS& lim) noexcept {
    RECT rc = rcBar;
    const AXES ax = Axes(rc, bVert);
    const int64_t nThickNear = *ax.pThickNear, nThickFar = *ax.pThickFar;
    const int64_t nLenNear = *ax.pLenNear, nLenFar = *ax.pLenFar;
    LONG& rThick = ThickCoord(pt, bVert);
    LONG& rLen = LenCoord(pt, bVert);

    auto minThickness = [&] {
        const int64_t nMin = MinBarThickness(lim.nSysScroll);
        if (nEdges & ax.nThickNearEdge) {
            if (nThickFar - rThick <= nMin) rThick = Clip(nThickFar - nMin);
        } else if (nEdges & ax.nThickFarEdge) {
            if (rThick - nThickNear <= nMin) rThick = Clip(nThickNear + nMin);
        }
    };
    auto maxThickness = [&] {
        const int64_t nHalf = (nLenFar - nLenNear) / 2;
        if ((nEdges & ax.nThickNearEdge) && rThick < nThickNear) {
            if (2 * (nThickFar - rThick) - 1 >= nHalf) rThick = Clip(nThickFar - (nHalf + 1) / 2);
        } else if ((nEdges & ax.nThickFarEdge) && rThick > nThickFar) {
            if (2 * (rThick - nThickNear) - 1 >= nHalf) rThick = Clip(nThickNear + (nHalf + 1) / 2);
        }
    };
    auto minLength = [&] {
        // A spin of one pixel or none would let the ends cross.
        const int64_t nSpin = std::max(int64_t{lim.nSpinExtent} - 1, int64_t{1});
        if ((nEdges & ax.nLenNearEdge) && rLen > nLenNear) {
            if (nSpin >= (nLenFar - rLen) / 2) rLen = Clip(nLenFar - 2 * nSpin);
        } else if ((nEdges & ax.nLenFarEdge) && rLen < nLenFar) {
            if (nSpin >= (rLen - nLenNear) / 2) rLen = Clip(nLenNear + 2 * nSpin);
        }
    };

    minThickness();
    if (bVert) {
        maxThickness();
        minLength();
    } else {
        minLength();
        maxThickness();
    }
    pt.x = Clip(ClampSafe(pt.x, lim.rcDesktop.left, lim.rcDesktop.right));
    pt.y = Clip(ClampSafe(pt.y, lim.rcDesktop.top, lim.rcDesktop.bottom));
    return pt;
}

RECT ResizeBar(const RECT& rcBar, int nEdges, POINT pt, bool bVert, const RESIZE_LIMITS& lim) noexcept {
    const POINT ptLimited = LimitResize(pt, rcBar, nEdges, bVert, lim);
    RECT rc = rcBar;
    if (nEdges & EDGE_LEFT) rc.left = ptLimited.x;
    else if (nEdges & EDGE_RIGHT) rc.right = ptLimited.x;
    if (nEdges & EDGE_TOP) rc.top = ptLimited.y;
    else if (nEdges & EDGE_BOTTOM) rc.bottom = ptLimited.y;
    return rc;
}

int Halves(const RECT& rcBar, int cxDesktop, int cyDesktop) noexcept {
    const int nH = 2 * int64_t{rcBar.left} > cxDesktop ? HALF_RIGHT : HALF_LEFT;
    const int nV = 2 * int64_t{rcBar.top} > cyDesktop ? HALF_LOWER : HALF_UPPER;
    return nH | nV;
}

RECT WithThickness(const RECT& rcBar, int nHalves, int nThick, bool bVert) noexcept {
    RECT rc = rcBar;
    if (bVert) {
        if (nHalves & HALF_LEFT) rc.right = rc.left + nThick;
        else rc.left = rc.right - nThick;
    } else {
        if (nHalves & HALF_UPPER) rc.bottom = rc.top + nThick;
        else rc.top = rc.bottom - nThick;
    }
    return rc;
}

RECT DefaultBarRect(const RECT& rcDesktop, bool bVert, int nSysScroll) noexcept {
    PROP_POSSIZE ps{};
    if (bVert) {
        CalcDefaultPosSizeV(rcDesktop, nSysScroll, ps);
        return {ps.nVertOrgX, ps.nVertOrgY, ps.nVertOrgX + ps.nVertWidth, ps.nVertOrgY + ps.nVertHeight};
    }
    CalcDefaultPosSizeH(rcDesktop, nSysScroll, ps);
    return {ps.nHorzOrgX, ps.nHorzOrgY, ps.nHorzOrgX + ps.nHorzWidth, ps.nHorzOrgY + ps.nHorzHeight};
}

int MinBarLength(int nSysScroll) noexcept {
    // The spin of the thinnest bar is about twice its thickness; an Alt resize stops at about twice
    // the spin, and a rectangle it reported must come back unchanged.
    const int64_t nThinnest = MinBarThickness(nSysScroll);
    return Clip(std::max<int64_t>(4 * nThinnest - 4, 2 * nThinnest));
}

int MinBarThickness(int nSysScroll) noexcept {
    return std::max(nSysScroll / 2, 1);
}

RECT SanitizeBarRect(int x, int y, int cx, int cy, bool bVert, const RECT& rcDesktop, int nSysScroll) noexcept {
    const RECT rcDefault = DefaultBarRect(rcDesktop, bVert, nSysScroll);
    const int64_t nDeskLen = Length(rcDesktop, bVert);
    const int64_t nDeskThick = Thickness(rcDesktop, bVert);
    int64_t nLen = bVert ? cy : cx;
    int64_t nThick = bVert ? cx : cy;
    if (nLen <= 0 || nThick <= 0 || nThick > nLen || nDeskLen <= 0 || nDeskThick <= 0) return rcDefault;

    nLen = ClampSafe(nLen, std::min<int64_t>(MinBarLength(nSysScroll), nDeskLen), nDeskLen);
    const int64_t nThickMax = std::min({MaxBarThickness(nLen, nSysScroll), nDeskThick, nLen});
    nThick = ClampSafe(nThick, std::min<int64_t>(MinBarThickness(nSysScroll), nThickMax), nThickMax);

    const int64_t cxBar = bVert ? nThick : nLen;
    const int64_t cyBar = bVert ? nLen : nThick;
    const int64_t nLeft = ClampSafe(x, rcDesktop.left, rcDesktop.right - cxBar);
    const int64_t nTop = ClampSafe(y, rcDesktop.top, rcDesktop.bottom - cyBar);
    return {Clip(nLeft), Clip(nTop), Clip(nLeft + cxBar), Clip(nTop + cyBar)};
}

}  // namespace BarCalc
