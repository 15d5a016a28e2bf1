// Geometry of the two scroll-bar windows: the spin and track layout, the thumb's place and size
// within the scroll range, the drag of the thumb, the Alt move and resize of a bar, its default
// rectangle and the repair of a rectangle read back from the registry. Nothing here touches a
// window, so the bar windows only feed in numbers and place controls where these functions say.
//
// Every rectangle of a bar is screen coordinates (left, top, right, bottom); the spin, track and
// thumb are client coordinates of the bar. The thickness is the height of the horizontal bar and
// the width of the vertical bar; the length is the other extent.
#pragma once
#include <windows.h>

namespace BarCalc {

// ---------------------------------------------------------------------------
// Layout

// Height of the horizontal bar or width of the vertical bar.
int Thickness(const RECT& rcBar, bool bVert) noexcept;

// Width of the horizontal bar or height of the vertical bar.
int Length(const RECT& rcBar, bool bVert) noexcept;

// The spin: at the right end of the horizontal bar, at the top of the vertical one, two
// thicknesses long.
RECT SpinRect(int nLength, int nThick, bool bVert) noexcept;

// Length of the track between the bar's start and the spin: length − 2 × thickness, never below 0.
int TrackLength(int nLength, int nThick) noexcept;

// Client coordinate where the track starts: 0 across the horizontal bar, below the spin (2 ×
// thickness) down the vertical bar.
int TrackStart(int nThick, bool bVert) noexcept;

// The thumb control's rectangle for a thumb nThumbPos along the track and nThumbLen long.
RECT ThumbRect(int nThumbPos, int nThumbLen, int nThick, bool bVert) noexcept;

// Which part of the bar a client point lies on, from the track's start to its end.
enum class BarPart {
    BeforeThumb = 1,  // a click pages towards the start
    Thumb = 2,        // a press starts a thumb drag
    AfterThumb = 3,   // a click pages towards the end
    SpinNear = 4,     // the spin takes its own clicks
    SpinFar = 5,
};

// The part under a client point of a bar whose thumb and spin lie at rcThumb and rcSpin.
BarPart HitTest(POINT pt, const RECT& rcThumb, const RECT& rcSpin, int nLength, bool bVert) noexcept;

// ---------------------------------------------------------------------------
// Thumb

// The scroll range of one axis as the bar sees it: the view (a desktop long) at nPos within
// 0..nMax. A range narrower than the desktop counts as exactly one desktop at 0.
struct BAR_RANGE {
    int nMax;   // extent of the range, at least the desktop size
    int nPage;  // the desktop size
    int nPos;   // where the view lies in 0..nMax
    bool operator==(const BAR_RANGE&) const = default;
};
BAR_RANGE RangeValues(int nRangeMin, int nRangeMax, int nDesktopSize) noexcept;

struct THUMB {
    int nPos;  // offset on the track
    int nLen;
    bool operator==(const THUMB&) const = default;
};

// Thumb of a track nTrackLen long for the scroll range nRangeMin..nRangeMax: the desktop's share
// of the range in length, the view's offset in position. The position is recomputed only when
// the length differs from nLastLen or bForce is set (a thumb drag keeps its own); otherwise it
// stays thumbCur.nPos. An empty range or desktop gives a thumb the length of the track at 0, and
// the thumb always lies within the track.
THUMB UpdateThumb(const THUMB& thumbCur, int nLastLen, bool bForce, int nRangeMin, int nRangeMax, int nDesktopSize,
                  int nTrackLen) noexcept;

// Bound of the scroll range a bar can show: track length × desktop size / 20.
int RangeLimit(int nTrackLen, int nDesktopSize) noexcept;

// The spin's own range; its position is never read, only each notification's delta.
inline constexpr int SPIN_MIN = 0;
inline constexpr int SPIN_MAX = 100;

// ---------------------------------------------------------------------------
// Thumb drag

// TRUE when the pointer has travelled more than 2 pixels from where the last drag step was
// applied; smaller motions wait and add up.
bool IsDragStep(int nPointer, int nDragLast) noexcept;

struct THUMB_DRAG {
    int nPos;     // the thumb's new offset on the track
    int nDelta;   // the step the thumb really took, after stopping at either end of the track
    int nOffset;  // how far all windows move: (range max − range min) × nDelta / track length
    bool operator==(const THUMB_DRAG&) const = default;
};

// One step of a thumb drag by nDelta pixels. The thumb stops at either end of the track, so the
// last step carries only the distance left; a track of 0 or less moves nothing.
THUMB_DRAG DragThumb(const THUMB& thumb, int nTrackLen, int nDelta, int nRangeMin, int nRangeMax) noexcept;

// ---------------------------------------------------------------------------
// Alt move and resize

// Edge flags of an Alt press: bands 3 pixels wide along the inside of the bar.
inline constexpr int EDGE_LEFT = 0x01;
inline constexpr int EDGE_RIGHT = 0x02;
inline constexpr int EDGE_TOP = 0x10;
inline constexpr int EDGE_BOTTOM = 0x20;
inline constexpr int EDGE_BAND = 3;

// The edge bands a screen point lies in (both bands of a side on a bar under 6 pixels across);
// 0 inside the bar away from the bands and outside the bar.
int HitTestEdges(const RECT& rcBar, POINT pt) noexcept;

enum class EdgeCursor { SizeWE, SizeNS, SizeNWSE, SizeNESW, SizeAll };

// The cursor an Alt press or hover shows for the edge flags: a sizing shape for one side or a
// corner, the move shape for anything else (no edge, or both ends of a tiny bar).
EdgeCursor CursorForEdges(int nEdges) noexcept;

// TRUE when an Alt press on these edges resizes the bar, FALSE when it moves it.
bool IsResizeEdges(int nEdges) noexcept;

// TRUE unless moving the bar by dx, dy would take an edge further off the desktop. A move that
// is refused is dropped whole, not shortened.
bool CanMoveBy(const RECT& rcBar, int dx, int dy, const RECT& rcDesktop) noexcept;

// The bar moved by dx, dy, or unchanged when CanMoveBy refuses.
RECT MoveBarBy(const RECT& rcBar, int dx, int dy, const RECT& rcDesktop) noexcept;

// What an Alt resize is held to besides the pointer.
struct RESIZE_LIMITS {
    int nSysScroll;    // the system's thickness of a scroll bar of this direction
    int nSpinExtent;   // the spin's extent along the track
    RECT rcDesktop;    // no edge is dragged off the desktop
};

// The pointer of an Alt resize of the grabbed nEdges, held to the limits: at least half a system
// scroll bar thick; when growing thicker, below about a quarter of the length; when shortening,
// at least about twice the spin's extent long; and on the desktop.
POINT LimitResize(POINT pt, const RECT& rcBar, int nEdges, bool bVert, const RESIZE_LIMITS& lim) noexcept;

// The bar after an Alt resize of nEdges to the screen point pt, limited by LimitResize.
RECT ResizeBar(const RECT& rcBar, int nEdges, POINT pt, bool bVert, const RESIZE_LIMITS& lim) noexcept;

// ---------------------------------------------------------------------------
// Auto-hide strip

inline constexpr int HALF_LEFT = 0x01;
inline constexpr int HALF_RIGHT = 0x02;
inline constexpr int HALF_UPPER = 0x10;
inline constexpr int HALF_LOWER = 0x20;

// Which half of the desktop the bar's left edge and top edge lie in.
int Halves(const RECT& rcBar, int cxDesktop, int cyDesktop) noexcept;

// The bar made nThick thick while keeping the side that faces the nearer desktop edge: the top
// of a horizontal bar in the upper half, else its bottom; the left of a vertical bar in the left
// half, else its right.
RECT WithThickness(const RECT& rcBar, int nHalves, int nThick, bool bVert) noexcept;

// ---------------------------------------------------------------------------
// Default and loaded rectangles

// The bar's default rectangle on a desktop rcDesktop, nSysScroll being the system's thickness of
// a scroll bar of that direction: along the top over the right fifth for the horizontal bar,
// along the right edge below the top for the vertical one.
RECT DefaultBarRect(const RECT& rcDesktop, bool bVert, int nSysScroll) noexcept;

// Shortest length a stored bar may have: the shortest an Alt resize can make of the thinnest bar,
// so that no rectangle a resize reported is lengthened when it comes back.
int MinBarLength(int nSysScroll) noexcept;

// Thinnest a stored bar may be: half a system scroll-bar thickness, at least 1 pixel.
int MinBarThickness(int nSysScroll) noexcept;

// A bar rectangle read from the registry as x, y, cx, cy, made one the user can see and reach:
// no size, a negative size, or a thickness greater than the length give the default rectangle;
// a size too small is raised to the minimums and one too large cut to the desktop; a bar off the
// desktop is brought back onto it.
RECT SanitizeBarRect(int x, int y, int cx, int cy, bool bVert, const RECT& rcDesktop, int nSysScroll) noexcept;

}  // namespace BarCalc
