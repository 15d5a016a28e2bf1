// Arithmetic of the scroll engine: pass rates from the scroll-rate curve, the share
// of each pass, the reach check, the distance of a device request and the scroll
// range. Nothing here touches a window, so the window class only feeds in numbers.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

#include "PropertySet.h"

namespace ScrollCalc {

// ---------------------------------------------------------------------------
// Passes of a move

// View "Speed" below 2 or a move grouped for undo moves every window its whole
// distance in the first pass.
bool IsAtOnce(BOOL bAtOnceRequested, int nSpeed) noexcept;

enum class MoveMode { None, AtOnce, Smooth };

// None when there is nothing to move, or when a smooth move has no rate curve to
// pace it (an unloaded list would otherwise crawl or stall).
MoveMode ChooseMoveMode(int lOffsetH, int lOffsetV, BOOL bAtOnceRequested, int nSpeed,
                        std::span<const SCROLL_RATE> lstRate) noexcept;

// Percent of a window's whole move taken by pass nCnt (from 1): the curve is read at
// nCnt × 100 / Speed percent of the passes, interpolating between the two bracketing
// points. 100 when Speed is below 2 or past pass Speed + 1; 0 for an empty list.
int NextScrollRate(std::span<const SCROLL_RATE> lstRate, int nSpeed, int nCnt) noexcept;

// What NextScrollRate read, for the log: bFixed when the rate is 100 without the curve (Speed
// below 2 or past pass Speed + 1); else the two bracketing points (both the last point when none
// lies above).
struct SCROLL_RATE_TRACE {
    bool bFixed;
    unsigned uCnt1, uCnt2;
    unsigned uScr1, uScr2;
    int nRate;
};
SCROLL_RATE_TRACE TraceScrollRate(std::span<const SCROLL_RATE> lstRate, int nSpeed, int nCnt) noexcept;

// Step proposed for one axis of a smooth pass: nRate percent of the offset, truncated
// toward zero, but at least one pixel toward the target while the rate is positive.
int PassStep(int nRate, int nOffset) noexcept;

struct REACH_AXIS {
    bool bReached;
    int nMove;  // the move to apply now
    bool operator==(const REACH_AXIS&) const = default;
};

// One axis of the reach check: target T, moved so far M, proposed step P. A step that
// lands exactly on the target is reported reached one pass later, with a 0 move.
REACH_AXIS ReachAxis(int nTarget, int nMoved, int nProposed) noexcept;

struct REACH_CHECK {
    int ldMovedH, ldMovedV;
    int ldPrdctMovH, ldPrdctMovV;
    int ldTrgtH, ldTrgtV;
};

// TRUE when both axes have reached their target; *pldMovH and *pldMovV get the moves.
BOOL IsWndReachedDst(const REACH_CHECK& rWrdc, int* pldMovH, int* pldMovV) noexcept;

// v clamped into the range of int.
int Saturate(int64_t v) noexcept;

// Moved so far by an at-once move after nCnt passes of ldStep each, saturated.
int AtOnceMoved(int ldStep, int nCnt) noexcept;

// A request's offset negated into the windows' move; INT_MIN has no negation and wraps as the
// 32-bit fields always did.
int NegateOffset(LONG lOffset) noexcept;

// ---------------------------------------------------------------------------
// Device requests

inline constexpr WORD DEVFLAG_LEFT = 0x01;
inline constexpr WORD DEVFLAG_RIGHT = 0x02;
inline constexpr WORD DEVFLAG_UP = 0x10;
inline constexpr WORD DEVFLAG_DOWN = 0x20;

constexpr WPARAM MakeDeviceWParam(WORD wFlags, int nIdx) {
    return (static_cast<WPARAM>(wFlags) << 16) | static_cast<WORD>(nIdx);
}

constexpr bool IsValidScrlWdthIndex(int nIdx) { return nIdx >= 0 && nIdx < SCRLWDTH_COUNT; }
constexpr bool IsVertScrlWdthIndex(int nIdx) { return ScrlWdthDir(nIdx) == SCRLWDTH_VERT; }
constexpr bool IsWheelScrlWdthIndex(int nIdx) { return ScrlWdthDevice(nIdx) == SCRLWDTH_WHEEL && IsValidScrlWdthIndex(nIdx); }
// Save-for-undo sub-kind of a scroll: 5 horizontal, 6 vertical, 7 both.
inline constexpr int UNDO_SUBKIND_HORZ = 5;
inline constexpr int UNDO_SUBKIND_VERT = 6;
inline constexpr int UNDO_SUBKIND_BOTH = 7;

// What a Scroll width entry in relative or screen mode is measured against.
struct SCROLL_WIDTH_BASIS {
    RECT rcRange;       // the scroll range
    int nTrackH;        // track length of the horizontal bar window; 30000 without one, and 0 or less counts as none
    int nTrackV;        // the same of the vertical bar window
    int nDesktopWidth;  // the desktop window's size
    int nDesktopHeight;
};

inline constexpr int SCROLL_TRACK_NO_BAR = 30000;

struct SCROLL_WIDTH_RESULT {
    int nWidth;    // pixels per unit
    int nDivisor;  // the track length divided by; 0 outside relative mode
};

// Pixels per unit of entry nIdx. 0 for an index outside 0..11, mode 2 or an unknown
// mode. In relative mode a track length of 0 or less divides by SCROLL_TRACK_NO_BAR.
SCROLL_WIDTH_RESULT ScrollWidthAbs(const PROP_SCRLWDTH& scrlWdth, int nIdx, const SCROLL_WIDTH_BASIS& basis) noexcept;

struct DEVICE_REQUEST {
    WORD wFlags;
    int nIdx;
    int nCount;
};

DEVICE_REQUEST DecodeDeviceRequest(WPARAM wParam, LPARAM lParam) noexcept;

// Scroll distances of a request given its entry's width per unit: count × width,
// negated for left and up; a horizontal flag wins over a vertical one.
POINT DeviceOffsets(const DEVICE_REQUEST& req, int nWidthPerUnit) noexcept;

// Period of the wheel-burst timer items by Undo "Save Time Undo Data In Wheel
// Scroll"; 0 for none and for a value out of range.
DWORD WheelBurstPeriodMs(int nSetting) noexcept;

// ---------------------------------------------------------------------------
// Scroll range

struct SCROLL_MARGINS {
    int nLeft, nRight, nTop, nBottom;
};

inline constexpr int SCROLL_RANGE_LIMIT_MAX = 30000;

SCROLL_MARGINS ScrollMargins(const RECT& rcDesktop) noexcept;

int CapRangeLimit(int nLimit) noexcept;

// rcWnds: rectangles of the move-list windows that exist and are not minimised.
// Without windows the range is the work area widened by the margins, unlimited.
RECT ScrollRange(std::span<const RECT> rcWnds, const RECT& rcWork, const SCROLL_MARGINS& margins,
                 int nLimitH, int nLimitV) noexcept;

// ---------------------------------------------------------------------------
// End of a move

// The pointer follows the windows' move, each coordinate kept within 0..cx and 0..cy.
POINT PointerAfterMove(POINT ptCur, int dx, int dy, int cxFull, int cyFull) noexcept;

}  // namespace ScrollCalc
