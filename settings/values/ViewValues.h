// What the view page reckons without a window: the trackbars' ranges and positions, and which
// routes to the tray menu the page still lets the user switch off.
#pragma once

#include <windows.h>

#include "PropertySet.h"

namespace ViewValues {

// The speed trackbar runs slow to fast, View "Speed" fast (1) to slow (20).
inline constexpr int SPEED_LOW = 1;
inline constexpr int SPEED_HIGH = 20;
// The transparency trackbar shows View "Transparent" as it is: 2 most transparent, 10 opaque.
inline constexpr int ALPHA_LOW = 2;
inline constexpr int ALPHA_HIGH = 10;

// The speed trackbar's position for a speed, and the speed for a position (each the other's own
// inverse).
constexpr int SpeedPos(int nValue) noexcept { return SPEED_LOW + SPEED_HIGH - nValue; }

// The tray menu is reached by a right click on either bar, by the tray icon or by the menu key.
// [0] the horizontal bar's, [1] the vertical bar's, [2] the tray icon's check box may be used:
// not while its route is the last one left (the menu key is set on the keyboard page).
void GetMenuRouteEnabled(const PROPERTY_SET& prop, BOOL abEnabled[3]) noexcept;

} // namespace ViewValues
