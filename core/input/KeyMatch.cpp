#include "KeyMatch.h"

#include <algorithm>
#include <iterator>

namespace KeyMatch {

using ScrollCalc::DEVICE_REQUEST;

KEY_STATE KeyStateOf(std::span<const BYTE> lstHeld) noexcept {
    KEY_STATE state{};
    for (BYTE byKey : lstHeld) state[byKey] = 0x80;
    return state;
}

void MarkPressedKey(KEY_STATE& state, UINT nVKey) noexcept {
    if (nVKey >= VKEY_TABLE_SIZE) return;
    state[nVKey] |= 0x80;
    switch (nVKey) {
    case VK_LSHIFT: case VK_RSHIFT: state[VK_SHIFT] |= 0x80; break;
    case VK_LCONTROL: case VK_RCONTROL: state[VK_CONTROL] |= 0x80; break;
    case VK_LMENU: case VK_RMENU: state[VK_MENU] |= 0x80; break;
    default: break;
    }
}

namespace {

// The side-neutral modifier of a key, as a bit of CHookedModifiers; 0 for any other key.
unsigned ModifierBit(UINT nVKey) noexcept {
    switch (nVKey) {
    case VK_SHIFT: case VK_LSHIFT: case VK_RSHIFT: return 1u;
    case VK_CONTROL: case VK_LCONTROL: case VK_RCONTROL: return 2u;
    case VK_MENU: case VK_LMENU: case VK_RMENU: return 4u;
    default: return 0u;
    }
}

}  // namespace

void CHookedModifiers::Note(UINT nVKey, bool bRelease) noexcept {
    const unsigned uBit = ModifierBit(nVKey);
    m_uHeld = bRelease ? m_uHeld & ~uBit : m_uHeld | uBit;
}

void CHookedModifiers::MarkHeld(KEY_STATE& state) const noexcept {
    static constexpr UINT kKeys[] = {VK_SHIFT, VK_CONTROL, VK_MENU};
    for (unsigned i = 0; i < std::size(kKeys); ++i) {
        if (m_uHeld & (1u << i))
            state[kKeys[i]] |= 0x80;
    }
}

bool IsKeyDown(const KEY_STATE& state, int nVKey) noexcept {
    if (nVKey < 0 || nVKey >= VKEY_TABLE_SIZE) return false;
    return (state[nVKey] & g_aVKeyInfo[nVKey].nMask) != 0;
}

bool IsComboHeld(std::span<const BYTE> lstKey, const KEY_STATE& state) noexcept {
    if (lstKey.empty()) return false;
    for (BYTE byKey : lstKey) {
        if (!IsKeyDown(state, byKey)) return false;
    }
    for (int nVKey = 0; nVKey < VKEY_TABLE_SIZE; ++nVKey) {
        if (!g_aVKeyInfo[nVKey].bValid || !IsKeyDown(state, nVKey)) continue;
        if (std::find(lstKey.begin(), lstKey.end(), static_cast<BYTE>(nVKey)) == lstKey.end()) return false;
    }
    return true;
}

KEY_MATCH MatchKeyAssign(const PROP_KEYBD& keybd, const PROP_WINDOW& window, const KEY_STATE& state) noexcept {
    for (int nEntry = 0; nEntry < KEYASSIGN_COUNT; ++nEntry) {
        const KEY_ASSIGN& ka = keybd.aKeyAssign[nEntry];
        if (ka.bEnable && IsComboHeld(ka.lstKey, state)) return MatchOfEntry(nEntry);
    }
    if (window.bIgnoreActivateScroll && window.byIgnoreActivateScrollKey != 0) {
        const BYTE abyKey[1] = {window.byIgnoreActivateScrollKey};
        if (IsComboHeld(abyKey, state)) return KEYMATCH_IGNORE_ACTIVATE;
    }
    return KEYMATCH_NONE;
}

namespace {

bool IsScrollMatch(KEY_MATCH match) noexcept {
    return match >= KEYMATCH_LEFT_LINE && match <= KEYMATCH_DOWN_PAGE;
}

// The row's entry index in the Keyboard section.
int EntryOf(KEY_MATCH match) noexcept { return static_cast<int>(match) - 1; }

}  // namespace

DEVICE_REQUEST ScrollRequestOf(KEY_MATCH match) noexcept {
    if (!IsScrollMatch(match)) return {0, 0, 0};
    static constexpr WORD kFlags[4] = {ScrollCalc::DEVFLAG_LEFT, ScrollCalc::DEVFLAG_RIGHT, ScrollCalc::DEVFLAG_UP,
                                       ScrollCalc::DEVFLAG_DOWN};
    const int nEntry = EntryOf(match);
    const int nDirection = nEntry / 2;  // left, right, up, down
    const int nUnit = nEntry % 2 == 0 ? SCRLWDTH_LINE : SCRLWDTH_PAGE;
    const int nAxis = nDirection < 2 ? SCRLWDTH_HORZ : SCRLWDTH_VERT;
    return {kFlags[nDirection], ScrlWdthIndex(SCRLWDTH_KEYBD, nAxis, nUnit), 1};
}

bool IsResizeCommitKey(UINT nVKey) noexcept {
    switch (nVKey) {
    case VK_RETURN:
    case 'R':
    case 'X':
    case VK_F3:
    case VK_F9:
        return true;
    default:
        return false;
    }
}

KEY_ACTION DecideKeyAction(const PROPERTY_SET& prop, const KEY_STATE& state, const KEY_HOOK_EVENT& ev) noexcept {
    KEY_ACTION act{KEYMATCH_NONE, KeyAction::None, {0, 0, 0}, 0, false, false, false};
    if (IsKeyRelease(ev.lFlags)) return act;

    const PROP_KEYBD& keybd = prop.propKeybd;
    const bool bResizeWnd = prop.propUndo.bUndoResizeWnd != 0;
    act.match = MatchKeyAssign(keybd, prop.propWindow, state);

    if (IsScrollMatch(act.match)) {
        act.bResetIgnoreCount = true;
        // A direction scrolls only while both its line and its page rows are on.
        const int nLine = EntryOf(act.match) / 2 * 2;
        if (keybd.aKeyAssign[nLine].bEnable && keybd.aKeyAssign[nLine + 1].bEnable) {
            act.action = KeyAction::Scroll;
            act.req = ScrollRequestOf(act.match);
            act.nUndoSubKind = (act.req.wFlags & (ScrollCalc::DEVFLAG_LEFT | ScrollCalc::DEVFLAG_RIGHT))
                                   ? ScrollCalc::UNDO_SUBKIND_HORZ
                                   : ScrollCalc::UNDO_SUBKIND_VERT;
            act.bHandled = true;
        }
        return act;
    }

    switch (act.match) {
    case KEYMATCH_UNDO:
        act.bResetIgnoreCount = true;
        // Rows are matched only while enabled.
        if (!ev.bScrollProcessing) {
            act.action = KeyAction::Undo;
            act.bSaveResizeWnd = bResizeWnd;
            act.bHandled = true;
        }
        break;
    case KEYMATCH_MENU:
        act.bResetIgnoreCount = true;
        act.action = KeyAction::Menu;
        act.bHandled = true;
        break;
    case KEYMATCH_IGNORE_ACTIVATE:
        act.action = KeyAction::IgnoreActivate;  // matched only while the setting is on
        break;
    default:
        if (bResizeWnd && !ev.bScrollProcessing && IsResizeCommitKey(ev.nVKey)) act.action = KeyAction::ResizeCommit;
        break;
    }
    return act;
}

int IgnoreActivateTarget(int nSetting) noexcept { return std::max(nSetting, 1); }

IGNORE_PRESS CountIgnorePress(int nCount, bool bItemExists, int nSetting) noexcept {
    IGNORE_PRESS press{};
    press.bStartItem = nCount == 0 && !bItemExists;
    press.nCount = nCount + 1;
    const int nTarget = IgnoreActivateTarget(nSetting);
    if (press.nCount == nTarget) {
        press.bArmed = true;
    } else if (press.nCount > nTarget) {
        press.bReset = true;
        press.nCount = 0;
    }
    return press;
}

}  // namespace KeyMatch
