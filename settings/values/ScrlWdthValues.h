// What the scroll width page reckons without a window: the values of its tree items, the field
// each mode edits with its bounds, the help texts of the tree and the modes, and how the tree
// follows the devices that can scroll.
#pragma once

#include <windows.h>

#include "PageValues.h"
#include "PropertySet.h"

namespace PageValues {

// The tree items carry the entry index (0 to 11) or one of these.
inline constexpr int SCRLWDTH_ITEM_ROOT = 100;
inline constexpr int SCRLWDTH_ITEM_NONE = 999;
// 200 mouse, 300 keyboard, 400 wheel.
constexpr int ScrlWdthDeviceItem(int nDevice) { return 200 + 100 * nDevice; }
constexpr bool IsScrlWdthEntry(int nValue) { return nValue >= 0 && nValue < SCRLWDTH_COUNT; }

inline constexpr int SCRLWDTH_PIXELS_LOW = 1;
inline constexpr int SCRLWDTH_PIXELS_HIGH = 500;
inline constexpr int SCRLWDTH_SCREENS_LOW = 1;
inline constexpr int SCRLWDTH_SCREENS_HIGH = 10;

// The field a mode edits is named by the mode's own number: SCRLMODE_ABS (Abs), SCRLMODE_REL
// (Rel), SCRLMODE_SCR (Scr). Any other mode edits none: -1.
int ScrlWdthFieldOfMode(int nMode) noexcept;
// The entry's value of that field; null for another field.
const int* ScrlWdthValueOf(const SCROLL_WIDTH& sw, int nField) noexcept;
int* ScrlWdthValueOf(SCROLL_WIDTH& sw, int nField) noexcept;
// The field's value within its bounds (1 to 500 pixels, 1 to 10 screens); FALSE with *pErr
// {nEntry, nEditId, bounds} otherwise. A field of no mode passes.
BOOL CheckScrlWdthField(const SCROLL_WIDTH& sw, int nEntry, int nField, int nEditId, RANGE_ERROR* pErr) noexcept;

// The help line of a selected tree item (an entry: what its operation is), and of a mode.
UINT GetScrlWdthItemHelp(int nValue) noexcept;
UINT GetScrlWdthModeHelp(int nMode) noexcept;

// How each device's subtree (mouse, keyboard, wheel) follows its offer: -1 removed, 1 inserted,
// 0 left as it is.
void GetScrlWdthTreeChanges(const int anBefore[SCRLWDTH_DEVICES], const int anNow[SCRLWDTH_DEVICES],
                            int anChange[SCRLWDTH_DEVICES]) noexcept;

} // namespace PageValues
