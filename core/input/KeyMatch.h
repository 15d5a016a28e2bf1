// Keyboard side of scrolling: which key row the keys held down match, and what a key
// press asks for. Works on a key-state snapshot and the settings alone, so the hook
// handler only gathers the snapshot and carries out the answer.
#pragma once
#include <windows.h>

#include <array>
#include <span>

#include "PropertySet.h"
#include "ScrollCalc.h"
#include "VirtualKeyTable.h"

namespace KeyMatch {

// One byte per virtual-key code; bit 0x80 set while the key is down.
using KEY_STATE = std::array<BYTE, VKEY_TABLE_SIZE>;

// The snapshot byte of one key from its asynchronous state: high byte ORed with low byte.
constexpr BYTE KeyStateByte(SHORT sAsync) {
    const auto u = static_cast<unsigned short>(sAsync);
    return static_cast<BYTE>((u >> 8) | (u & 0xFF));
}

// A snapshot in which exactly the listed keys are down.
KEY_STATE KeyStateOf(std::span<const BYTE> lstHeld) noexcept;

// The key of a hooked press marked down, with the side-neutral code of a left or right
// Shift, Ctrl or Alt. A low-level hook sees a press before the system records it, so the
// snapshot taken while handling the event may not show the very key that caused it yet.
void MarkPressedKey(KEY_STATE& state, UINT nVKey) noexcept;

// Shift, Ctrl and Alt as the hook's own events left them. Wine takes the asynchronous state of
// these keys afresh from the X server at some events (a window taking the focus), so a press that
// another program gave by SendInput can read as released while its release has not come yet; the
// hook saw the press, and the snapshot then counts the key as held all the same.
class CHookedModifiers {
public:
    // One hooked event: a press or a release of any key (only the modifiers are kept).
    void Note(UINT nVKey, bool bRelease) noexcept;
    // Nothing held: the hook was off, so releases may have been missed.
    void Reset() noexcept { m_uHeld = 0; }
    // Each modifier held marked down in the snapshot, with its side-neutral code.
    void MarkHeld(KEY_STATE& state) const noexcept;

private:
    unsigned m_uHeld = 0;
};

// Down by the virtual-key table: a key whose row has mask 0 never counts as down.
bool IsKeyDown(const KEY_STATE& state, int nVKey) noexcept;

// Every key of lstKey is down and no other assignable key is. An empty list never matches.
bool IsComboHeld(std::span<const BYTE> lstKey, const KEY_STATE& state) noexcept;

// The rows in matching order; the value is the row's result.
enum KEY_MATCH {
    KEYMATCH_NONE = 0,
    KEYMATCH_LEFT_LINE = 1,
    KEYMATCH_LEFT_PAGE,
    KEYMATCH_RIGHT_LINE,
    KEYMATCH_RIGHT_PAGE,
    KEYMATCH_UP_LINE,
    KEYMATCH_UP_PAGE,
    KEYMATCH_DOWN_LINE,
    KEYMATCH_DOWN_PAGE,
    KEYMATCH_UNDO,
    KEYMATCH_MENU,
    KEYMATCH_IGNORE_ACTIVATE,
    KEYMATCH_ROWS = KEYMATCH_IGNORE_ACTIVATE
};

constexpr KEY_MATCH MatchOfEntry(int nEntry) { return static_cast<KEY_MATCH>(nEntry + 1); }

// The first of the eleven rows that is enabled, has keys and is held; the eleventh is
// the ignore-activation key while Window "Ignore Activate Scroll" is on.
KEY_MATCH MatchKeyAssign(const PROP_KEYBD& keybd, const PROP_WINDOW& window, const KEY_STATE& state) noexcept;

// What a scroll row asks of the scroll engine: the keyboard Scroll width entry of its
// axis and unit, one unit, toward its direction. Count 0 for a row that is no scroll row.
ScrollCalc::DEVICE_REQUEST ScrollRequestOf(KEY_MATCH match) noexcept;


// Keys that, with Undo "ResizeWnd" on and no other match, close a resize of the
// window in front for undo: Return, R, X, F3, F9.
bool IsResizeCommitKey(UINT nVKey) noexcept;

struct KEY_HOOK_EVENT {
    UINT nVKey;               // wParam of the hooked event
    LPARAM lFlags;            // keystroke flags; bit 31 set for a release
    bool bScrollProcessing;   // a move is in progress
};

constexpr bool IsKeyRelease(LPARAM lFlags) {
    return (static_cast<unsigned long long>(lFlags) & 0x80000000ULL) != 0;
}

enum class KeyAction {
    None,
    Scroll,          // save for undo (nUndoSubKind), then move by req
    Undo,            // run the last undo
    Menu,            // open the tray menu at the pointer
    IgnoreActivate,  // one press of the ignore-activation key: CountIgnorePress
    ResizeCommit,    // save the resized window for undo, then refresh the bars
};

struct KEY_ACTION {
    KEY_MATCH match;
    KeyAction action;
    ScrollCalc::DEVICE_REQUEST req;  // Scroll only
    int nUndoSubKind;                // Scroll only
    bool bSaveResizeWnd;             // Undo only, with Undo "ResizeWnd" on: save the resized window before undoing
    bool bResetIgnoreCount;          // an assigned row was matched: the ignore count starts again
    bool bHandled;                   // the hook handler's return value
};

// The whole decision for one hooked key event (the capture window and the tray menu
// are the handler's own business). A release decides nothing. The undo row does
// nothing while a move is in progress: the undo would restore positions the move is
// still changing.
KEY_ACTION DecideKeyAction(const PROPERTY_SET& prop, const KEY_STATE& state, const KEY_HOOK_EVENT& ev) noexcept;

// ---------------------------------------------------------------------------
// Ignore-activation key presses

// Window "Ignore Activate Scroll Cnt" as counted: below 1 it could never arm, so 1.
int IgnoreActivateTarget(int nSetting) noexcept;

struct IGNORE_PRESS {
    int nCount;       // the count after this press
    bool bStartItem;  // add and start the ignore timer item
    bool bArmed;      // the count reached the setting: the next activation is not scrolled
    bool bReset;      // the count went past the setting: delete the item, count 0
};

IGNORE_PRESS CountIgnorePress(int nCount, bool bItemExists, int nSetting) noexcept;

}  // namespace KeyMatch
