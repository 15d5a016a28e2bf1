// What the window page reckons without a window: the ignore key's list entries and which of the
// page's controls may be used for a record.
#pragma once

#include <windows.h>

#include "PropertySet.h"

namespace ZvWindowPageValues {

// The key list's entries and the key each stands for.
inline constexpr int IGNORE_KEYS = 2;
extern const wchar_t* const g_apszIgnoreKey[IGNORE_KEYS];
extern const BYTE g_abyIgnoreKey[IGNORE_KEYS];
// The count list offers 1 to this.
inline constexpr int IGNORE_COUNT_MAX = 3;

// The key list's entry for Window "Ignore Activate Scroll Key": "Shift" for a key that is neither.
int IgnoreKeyIndex(BYTE byKey) noexcept;
// The ignore check box matters only while a window outside the desktop is scrolled to.
bool IsIgnoreCheckEnabled(const PROP_WINDOW& window) noexcept;
// The key and count lists (and their labels) matter only while the ignore check box is on, too.
bool AreIgnoreListsEnabled(const PROP_WINDOW& window) noexcept;

} // namespace ZvWindowPageValues
