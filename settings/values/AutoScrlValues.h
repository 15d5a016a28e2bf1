// What the auto scroll page reckons without a window: its list choices, the defaults of its
// button, which controls the mode leaves on, the help texts and the range check on leaving.
#pragma once

#include <windows.h>

#include "PageValues.h"
#include "PropertySet.h"

namespace PageValues {

inline constexpr int ATSCRL_RANGE_LOW = 1;
inline constexpr int ATSCRL_RANGE_HIGH = 200;
inline constexpr int ATSCRL_SPEED_LOW = 10;
inline constexpr int ATSCRL_SPEED_HIGH = 30;

// The choices of the Mode and the Delay list, in index order.
inline constexpr int ATSCRL_MODE_CHOICES = 5;
extern const wchar_t* const g_apszAtScrlModeChoice[ATSCRL_MODE_CHOICES];
extern const wchar_t* const g_apszAtScrlDelayChoice[ATSCRL_DELAY_COUNT];

// The record's defaults of the section.
BOOL GetDefaultAtScrl(PROP_ATSCRL& atScrl) noexcept;
// Mode 0 switches auto scroll off: the delay, bands and speeds are then not offered.
BOOL IsAtScrlDetailEnabled(const PROP_ATSCRL& atScrl) noexcept;
// The help line's string for a control of the page; 0 for one without.
UINT GetAtScrlHelp(int nCtrlId) noexcept;
// External Range within 1..200 first (nExtEdit), then Internal Range within External Range..200
// (nIntEdit): the inner band reaches at least as far as the outer one.
BOOL CheckAtScrlRanges(const PROP_ATSCRL& atScrl, int nExtEdit, int nIntEdit, RANGE_ERROR* pErr) noexcept;

} // namespace PageValues
