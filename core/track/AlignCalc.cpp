#include "AlignCalc.h"

#include <algorithm>

namespace AlignCalc {

namespace {

RECT MovedTo(const RECT& rc, int x, int y) noexcept
{
    return RECT{x, y, x + (rc.right - rc.left), y + (rc.bottom - rc.top)};
}

// One window of a tiling, told along its lines (rows: x; columns: y): it goes to (nAlong, nAcross),
// and the next one follows it on the line, or starts the next line once this one has passed nEdge,
// the greatest thickness of any window so far further on. POINT{along, across}.
POINT TileNext(int& nAlong, int& nAcross, int& nMax, int nLength, int nThickness, int nEdge) noexcept
{
    nMax = std::max(nMax, nThickness);
    const POINT pt{nAlong, nAcross};
    nAlong += nLength;
    if (nAlong > nEdge) {
        nAlong = 0;
        nAcross += nMax;
    }
    return pt;
}

}  // namespace

RECT PlaceCenter(const RECT& rc, const RECT& rcArea) noexcept
{
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    return MovedTo(rc, (rcArea.right - rcArea.left - w) / 2, (rcArea.bottom - rcArea.top - h) / 2);
}

RECT PlaceCascade(const RECT& rc, const RECT& rcArea, int nCaptionCy, PLACE_STATE& st, bool bFirst) noexcept
{
    if (bFirst)
        st = PLACE_STATE{};
    const RECT rcNew = MovedTo(rc, st.x, st.y);
    const int nStep = nCaptionCy * 13 / 10;
    st.x += nStep;
    if (st.x > rcArea.right)
        st.x = 0;
    st.y += nStep;
    if (st.y > rcArea.bottom)
        st.y = 0;
    return rcNew;
}

RECT PlaceTileHorz(const RECT& rc, const RECT& rcArea, PLACE_STATE& st, bool bFirst) noexcept
{
    if (bFirst)
        st = PLACE_STATE{};
    const POINT pt = TileNext(st.x, st.y, st.m, rc.right - rc.left, rc.bottom - rc.top, rcArea.right);
    return MovedTo(rc, pt.x, pt.y);
}

RECT PlaceTileVert(const RECT& rc, const RECT& rcArea, PLACE_STATE& st, bool bFirst) noexcept
{
    if (bFirst)
        st = PLACE_STATE{};
    const POINT pt = TileNext(st.y, st.x, st.m, rc.bottom - rc.top, rc.right - rc.left, rcArea.bottom);
    return MovedTo(rc, pt.y, pt.x);
}

std::list<HWND> FrontFirst(const std::list<HWND>& lstZOrder, HWND hFront)
{
    std::list<HWND> lst = lstZOrder;
    const auto it = hFront ? std::find(lst.begin(), lst.end(), hFront) : lst.end();
    if (it != lst.end())
        lst.splice(lst.begin(), lst, it);
    return lst;
}

}  // namespace AlignCalc
