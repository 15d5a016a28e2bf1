// Geometry of window tracking: how far the desktop scrolls to bring an activated window into view
// (Window "ActivateMode"), the fit of a window larger than the work area, the undo sub-kind of
// such a scroll and the test for a window maximised on the screen. Pure functions: no window is
// touched here.
#pragma once
#include <windows.h>

#include <optional>

namespace TrackCalc {

// A window may be this much wider (taller) than the work area and still count as fitting.
inline constexpr int FIT_TOLERANCE = 8;

// Window "ActivateMode".
inline constexpr int ACTIVATE_NONE = 0;
inline constexpr int ACTIVATE_MIN_DISTANCE = 1;
inline constexpr int ACTIVATE_CENTER = 2;

struct FIT_RESULT {
    RECT rc;       // the rectangle as it is reckoned with
    bool bShrunk;  // its width or height was cut down to the work area's
};

// A rectangle wider than the work area by more than FIT_TOLERANCE keeps its left and gets the work
// area's width; the same for the height. Within the tolerance it stays as it is.
FIT_RESULT FitToWorkArea(const RECT& rc, const RECT& rcWork) noexcept;

// How far every window moves (dx, dy) so that rc (already fitted) comes into view; nullopt for a
// mode that scrolls nothing. Mode 1: the least move that brings the right (bottom) edge inside the
// work area's right (bottom), or the left (top) edge to 0. Mode 2: a window sticking out on an
// axis is centred on that axis ((work right - width) / 2, truncated toward zero); an axis on
// which it stands inside is left alone. Screen coordinate 0 is the left and top limit.
std::optional<POINT> IntoViewMove(int nMode, const RECT& rc, const RECT& rcWork) noexcept;

// The UK_ALIGN sub-kind of a scroll by (dx, dy): UNDO_ALIGN_SCROLL_H (5) for a horizontal one,
// UNDO_ALIGN_SCROLL_V (6) for a vertical one, UNDO_ALIGN_SCROLL (7) for both; UNDO_ALIGN_NONE (0)
// when nothing moves.
int ScrollSubKind(int dx, int dy) noexcept;

// A window maximised on the screen: shown maximised, its top-left within -4 .. 0 on both axes
// (a maximised frame sticks out by its border). Activating it scrolls nothing.
bool IsMaximizedOnScreen(UINT nShowCmd, const RECT& rcWnd) noexcept;

}  // namespace TrackCalc
