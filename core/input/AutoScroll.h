// Auto scroll as arithmetic: the edge band the pointer rests in, whether the mouse
// buttons arm it, the distance of one step and what a change of direction sets off.
// The mouse-hook handler and the timer items only carry the answers out.
#pragma once
#include <windows.h>

#include <span>
#include <string>

#include "PropertySet.h"

namespace AtScrl {

// Directions by the edge the pointer is at. The scroll goes toward that edge, so the
// windows move away from it.
inline constexpr DWORD ATSCRL_RIGHT = 0x01;
inline constexpr DWORD ATSCRL_LEFT = 0x02;
inline constexpr DWORD ATSCRL_BOTTOM = 0x10;
inline constexpr DWORD ATSCRL_TOP = 0x20;
inline constexpr DWORD ATSCRL_HORZ = ATSCRL_RIGHT | ATSCRL_LEFT;
inline constexpr DWORD ATSCRL_VERT = ATSCRL_BOTTOM | ATSCRL_TOP;

// Auto Scroll "Mode": 0 off; 1 no button down; 2 left only; 3 right only; 4 any button.
bool IsArmed(int nMode, bool bLeftDown, bool bRightDown) noexcept;

struct EDGE_BANDS {
    DWORD dwDirs;
    BOOL bOuterH;  // in the outer band of the left or right edge: External Speed
    BOOL bOuterV;
    bool operator==(const EDGE_BANDS&) const = default;
};

// The bands the pointer lies in. Left and top are measured from screen coordinate 0,
// right and bottom from the work area's edges; Internal Range is the whole band and
// External Range its outer part.
EDGE_BANDS EdgeBands(const PROP_ATSCRL& at, POINT pt, const RECT& rcWork) noexcept;

struct POINTER_STATE {
    POINT pt;
    bool bLeftDown;
    bool bRightDown;
};

// The edge test: no direction while the pointer is over one of rcBlock (taskbar, the
// scroll-bar windows) or while the buttons do not fit Mode; else the bands.
EDGE_BANDS CheckAutoScroll(const PROP_ATSCRL& at, const POINTER_STATE& ptr, const RECT& rcWork,
                           std::span<const RECT> rcBlock) noexcept;

// Scroll distance of one step (the windows move by its negation); (0, 0) with Mode 0.
POINT StepOffsets(const PROP_ATSCRL& at, const EDGE_BANDS& bands) noexcept;

// Save-for-undo sub-kind of a step: 7 both axes, 5 horizontal, 6 vertical, 0 none.
int UndoSubKind(DWORD dwDirs) noexcept;

// Auto Scroll "Delay" as used: an index outside 0..5 is taken to the nearest end.
int DelayIndex(int nDelay) noexcept;
DWORD DelayMs(int nDelay) noexcept;

// The direction words of the change line: the way the windows go, "停止" for none.
std::wstring DirText(DWORD dwDirs);

struct DIR_CHANGE {
    bool bStart;          // none → some: the last stepped directions start again at 0
    bool bAddDelayItem;   // add and start the delay item with period dwDelayMs
    DWORD dwDelayMs;
    bool bStartAtOnce;    // Delay 0: no delay item; add the tick item and step now
    bool bStop;           // some → none: delete delay and tick items, clear the outer flags
    bool bLogChange;      // a delay item runs and the directions changed
};

// What a new edge-test result sets off. bDelayItem: a delay item exists now.
DIR_CHANGE OnDirections(DWORD dwPrev, DWORD dwNow, bool bDelayItem, int nDelay) noexcept;

}  // namespace AtScrl
