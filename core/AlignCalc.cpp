#include "AlignCalc.h"

#include <algorithm>

namespace AlignCalc {

namespace {

RECT MovedTo(const RECT& rc, int x, int y) noexcept
{
    return RECT{x, y, x + (rc.right - rc.left), y + (rc.bottom - rc.top)};
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
    st.m = std::max(st.m, static_cast<int>(rc.bottom - rc.top));
    const RECT rcNew = MovedTo(rc, st.x, st.y);
    st.x += rc.right - rc.left;
    if (st.x > rcArea.right) {
        st.x = 0;
        st.y += st.m;
    }
    return rcNew;
}

RECT PlaceTileVert(const RECT& rc, const RECT& rcArea, PLACE_STATE& st, bool bFirst) noexcept
{
    if (bFirst)
        st = PLACE_STATE{};
    st.m = std::max(st.m, static_cast<int>(rc.right - rc.left));
    const RECT rcNew = MovedTo(rc, st.x, st.y);
    st.y += rc.bottom - rc.top;
    if (st.y > rcArea.bottom) {
        st.x += st.m;
        st.y = 0;
    }
    return rcNew;
}

}  // namespace AlignCalc
