// What the position and size page reckons without a window: the limits a bar must keep on the
// desktop, the message that lists the ones it breaks, and the preview's scaled rectangles. Sums and
// products of the values (a bar's right edge, four times its length, a coordinate scaled to the
// preview) are taken in 64 bits: the values come from the registry or are typed, and may be huge.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "PropertySet.h"

// One limit a bar breaks.
struct CORRECT_POSSIZE {
    int nBar;    // PosSizeValues::BAR_*
    int nKind;   // PosSizeValues::KIND_*
    int nField;  // PosSizeValues::FIELD_*
    int nDir;    // PosSizeValues::DIR_*
    int nLimit;  // the limit in pixels
};

namespace PosSizeValues {

enum : int { BAR_HORZ = 1, BAR_VERT = 2 };
enum : int {
    KIND_OFF_DESKTOP = 1,        // the bar leaves the desktop
    KIND_WIDTH_OVER_HEIGHT = 2,  // the vertical bar is wider than four times its height
    KIND_HEIGHT_OVER_WIDTH = 3,  // the horizontal bar is higher than four times its width
    KIND_THIN = 4,               // thinner than half the system's scroll-bar size
};
enum : int { FIELD_X = 1, FIELD_Y, FIELD_CX, FIELD_CY, FIELD_RIGHT, FIELD_BOTTOM };
enum : int { DIR_AT_MOST = 1, DIR_AT_LEAST = 2 };

// The values the page's tree items carry.
inline constexpr LPARAM ITEM_HORZ = 0;
inline constexpr LPARAM ITEM_VERT = 1;
inline constexpr LPARAM ITEM_ROOT = 100;

// The up-down controls' range; typed values may lie beyond it.
inline constexpr int SPIN_LOW = 0;
inline constexpr int SPIN_HIGH = 2000;

// A preview bar is drawn at least this many pixels thick.
inline constexpr int PREVIEW_MIN_THICKNESS = 5;

// A position edit's text: an optional sign and the leading digits (none: 0), saturated at INT_MIN
// and INT_MAX, so that a stored negative coordinate reads back as itself and a long number never
// wraps.
int ReadSignedNumber(std::wstring_view strText) noexcept;

// The field (FIELD_X .. FIELD_CY) of bar nBar in the record.
int& BarField(PROP_POSSIZE& ps, int nBar, int nField) noexcept;
int BarField(const PROP_POSSIZE& ps, int nBar, int nField) noexcept;

// The limits bar nBar breaks on rcDesktop, in the order they are told; nSysSize is the system's
// height of a horizontal scroll bar (bar BAR_HORZ) or width of a vertical one (BAR_VERT). A value
// at a limit keeps it.
std::vector<CORRECT_POSSIZE> CheckBar(const PROP_POSSIZE& ps, int nBar, const RECT& rcDesktop, int nSysSize);

// The message that lists the broken limits, from the string table of hInstance (the program's own
// when null); empty for none.
std::wstring CorrectMessage(const std::vector<CORRECT_POSSIZE>& lstCorrect, HINSTANCE hInstance = nullptr);

// The field (FIELD_X .. FIELD_CY) whose edit the user is sent back to for the first broken limit:
// an edge the size edit decides when that edit had the focus last, otherwise the position edit.
int FocusField(const CORRECT_POSSIZE& correct, int nLastFocusedField) noexcept;

// Bar nBar of the record scaled from the work area rcWork to a preview of cx by cy pixels, at least
// PREVIEW_MIN_THICKNESS thick (growing towards the preview's middle) and cut to the preview (one
// that only touches it keeps an edge). Empty when it lies outside, or when the work area has no
// width or height.
RECT PreviewBarRect(const PROP_POSSIZE& ps, int nBar, int cx, int cy, const RECT& rcWork) noexcept;

} // namespace PosSizeValues
