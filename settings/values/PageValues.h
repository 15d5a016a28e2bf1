// What the settings pages reckon without a window: numbers read from their edits, the range checks
// that keep the user on a page, and the record queries that decide which controls a page offers.
// The page classes stay thin and call these; the unit tests call them without a desktop.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "PropertySet.h"

// A page's range check that failed: which of the page's items (its own numbering), which edit
// (its control id; -1 none) and the bounds the value must lie in.
struct RANGE_ERROR {
    int nEntry = 0;
    int nField = -1;
    int nLow = 0;
    int nHigh = 0;
};

namespace PageValues {

// An edit's text as a page reads it: the leading decimal digits, none giving 0. A number past
// INT_MAX stays at INT_MAX, so that a long row of digits never wraps into an allowed value.
int ReadNumber(std::wstring_view strText) noexcept;

// TRUE when nValue lies in nLow..nHigh; otherwise FALSE with *pErr filled (when given).
BOOL CheckRange(int nValue, int nLow, int nHigh, int nEntry, int nField, RANGE_ERROR* pErr) noexcept;

// The range message of every page (string IDS_ZV_ERR_RANGE of hInstance, the program's own when
// null) filled with the bounds.
std::wstring RangeMessage(const RANGE_ERROR& err, HINSTANCE hInstance = nullptr);

// The record queries of the pages. Each fills the caller's array and returns TRUE.
// [0] a scroll bar is shown; [1] a scroll key is enabled; [2] a bar is shown and does not hide
// itself, so the wheel can scroll on it.
BOOL GetScrlWdthTargets(const PROPERTY_SET& prop, int anTargets[3]) noexcept;
// The twelve default scroll widths (every Line entry {0, 10, 10, 1}, every Page entry {0, 200, 200, 1}).
BOOL GetDefaultScrlWdth(PROP_SCRLWDTH& scrlWdth) noexcept;
// [0] View "Horizontal", [1] View "Vertical".
BOOL GetScrollBarShown(const PROPERTY_SET& prop, int anShown[2]) noexcept;
// [0] View "Horizontal", [1] View "Vertical", [2] View "TrayIcon", [3] the Menu key row enabled.
BOOL GetMenuAccess(const PROPERTY_SET& prop, int anAccess[4]) noexcept;
// Whether route nRoute (an index of GetMenuAccess) may be switched: it is off, or another route to
// the menu is on, so that the last one left cannot be switched off.
bool IsMenuRouteSwitchable(const PROPERTY_SET& prop, int nRoute) noexcept;

// The undo page.
inline constexpr int UNDO_DEPTH_LOW = 1;
inline constexpr int UNDO_DEPTH_HIGH = 100;
// The wheel choices of the undo page's list, in index order.
inline constexpr int UNDO_WHEEL_CHOICES = 5;
extern const wchar_t* const g_apszUndoWheelChoice[UNDO_WHEEL_CHOICES];
// The wheel list is offered only when scrolls are undone and a bar takes the wheel: a hidden bar
// takes none.
BOOL IsUndoWheelListEnabled(const PROPERTY_SET& prop) noexcept;
// Undo "Depth" within 1..100; nField is the Depth edit's id.
BOOL CheckUndoDepth(const PROP_UNDO& undo, int nField, RANGE_ERROR* pErr) noexcept;

} // namespace PageValues
