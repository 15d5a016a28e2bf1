// What the keyboard page reckons without a window: the key state built from the hooked key events,
// the rules a combination must follow before it may be assigned, the text a combination is shown
// as, and the enabling of the page's check boxes from the record.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "PropertySet.h"
#include "VirtualKeyTable.h"

namespace KeybdPageValues {

// One byte per virtual-key code; a key counts as pressed when its byte, masked with the key's
// row of the virtual-key table, is not 0.
using KEY_STATE = std::array<BYTE, VKEY_TABLE_SIZE>;

// The scroll operations of the operation list, item i being Keyboard entry i.
inline constexpr int SCROLL_OPERATIONS = KEYASSIGN_DOWN_PAGE + 1;
extern const wchar_t* const g_apszScrollOperation[SCROLL_OPERATIONS];
// The names of the ten entries in the page's log lines.
extern const wchar_t* const g_apszEntryName[KEYASSIGN_COUNT];

bool IsKeyPressed(const BYTE* pbKeyArray, int nVKey) noexcept;

// One hooked key event applied to the state: a press sets the key, a release clears it. The hook
// names the left or right Shift, Ctrl or Alt; the side-neutral key (the one that is assigned)
// follows, down while either side is down.
void ApplyKeyEvent(KEY_STATE& state, UINT nVKey, bool bRelease) noexcept;

// The text of the first rule the pressed keys break, or null when they may be assigned: at least
// two of Shift, Ctrl and Alt, at least one other key, and not exactly Shift + Ctrl + an arrow key.
LPCWSTR DetectInvalidKeyCombination(const BYTE* pbKeyArray);

// What the pressed keys give: the keys to store (ascending), or the refusal for the help line
// (pszText, or the string nTextId when the table has no text for the key). Neither when no key
// is pressed: the assignment then stays as it was.
struct KEY_CAPTURE {
    std::vector<BYTE> lstKey;
    LPCWSTR pszText = nullptr;
    UINT nTextId = 0;
    bool IsRefused() const noexcept { return pszText || nTextId; }
};
// nTooManyId: the refusal of a combination of more keys than the registry keeps, so that the
// record never holds a combination the next start would cut short. nNoTextId: a key the table
// refuses without a text of its own.
KEY_CAPTURE CaptureKeys(const BYTE* pbKeyArray, UINT nTooManyId, UINT nNoTextId);

// A combination as the page shows it: the display names joined by " + ".
std::wstring FormatKeyList(const std::vector<BYTE>& lstKey);

// The scroll check box shows the check mark while any of the eight scroll keys is enabled.
bool IsScrollKeyEnabled(const PROP_KEYBD& keybd) noexcept;
// The scroll check box inverts each of the eight flags for itself.
void ToggleScrollKeys(PROP_KEYBD& keybd) noexcept;
// The menu key's check box may be used while a scroll bar or the tray icon is shown, or while the
// key is off: the last way to the menu cannot be switched off here.
bool IsMenuEnableSwitchable(const PROPERTY_SET& prop) noexcept;

} // namespace KeybdPageValues
