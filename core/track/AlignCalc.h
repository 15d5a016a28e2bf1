// Geometry of the window arrangements: where centre, cascade and the two tilings put each window.
// A window keeps its size; only its top-left corner moves. Cascade and the tilings carry a running
// position from one window to the next, reset by the first window of each arrangement.
#pragma once
#include <windows.h>

#include <list>

namespace AlignCalc {

// The running position of one arrangement: where the next window goes, and the greatest height
// (rows) or width (columns) of the windows placed so far.
struct PLACE_STATE {
    int x = 0;
    int y = 0;
    int m = 0;
};

// Centred on the area's size. The area's own left and top are not added: the work area is taken
// as starting at the screen's origin.
RECT PlaceCenter(const RECT& rc, const RECT& rcArea) noexcept;

// From the origin down to the right, one caption height and a third apart (nCaptionCy ×
// 13 / 10); each axis starts again at 0 once it passes the area's right or bottom edge.
RECT PlaceCascade(const RECT& rc, const RECT& rcArea, int nCaptionCy, PLACE_STATE& st, bool bFirst) noexcept;

// Side by side in rows: the window that crosses the area's right edge stays in its row and the
// next one starts a new row, below the tallest window placed so far.
RECT PlaceTileHorz(const RECT& rc, const RECT& rcArea, PLACE_STATE& st, bool bFirst) noexcept;

// One above the other in columns, the same way down the area's bottom edge.
RECT PlaceTileVert(const RECT& rc, const RECT& rcArea, PLACE_STATE& st, bool bFirst) noexcept;

// The windows in the order an arrangement walks, front first: the z-order as listed, with hFront
// (the window the user works in) moved to the front when it is listed at all.
std::list<HWND> FrontFirst(const std::list<HWND>& lstZOrder, HWND hFront);

}  // namespace AlignCalc
