#include <gtest/gtest.h>
#include <windows.h>

#include <tuple>
#include <utility>
#include <vector>

#include "KeyMatch.h"
#include "PropertySet.h"
#include "ScrollCalc.h"

using namespace KeyMatch;
using namespace ScrollCalc;

namespace {

// The record as a first load leaves it without registry values.
PROPERTY_SET DefaultProp() {
    PROPERTY_SET prop;
    for (int n = 0; n < KEYASSIGN_COUNT; ++n) {
        prop.propKeybd.aKeyAssign[n].bEnable = g_aKeyAssignDef[n].bEnableDefault;
        prop.propKeybd.aKeyAssign[n].lstKey = GetDefaultKeyList(n);
    }
    prop.propScrlWdth = g_propScrlWdthDefault;
    prop.propWindow.byIgnoreActivateScrollKey = VK_CONTROL;
    prop.propWindow.nActivateMode = 1;
    prop.propWindow.bIgnoreActivateScroll = TRUE;
    prop.propWindow.nIgnoreActivateScrollCnt = 2;
    prop.propUndo.bUndoResizeWnd = FALSE;
    return prop;
}

// A held Shift, Ctrl or Alt also shows its left-hand code, as the system reports it.
KEY_STATE Held(const std::vector<BYTE>& keys) {
    KEY_STATE state = KeyStateOf(keys);
    if (state[VK_CONTROL]) state[VK_LCONTROL] = 0x80;
    if (state[VK_MENU]) state[VK_LMENU] = 0x80;
    if (state[VK_SHIFT]) state[VK_LSHIFT] = 0x80;
    return state;
}

KEY_MATCH Match(const PROPERTY_SET& prop, const KEY_STATE& state) {
    return MatchKeyAssign(prop.propKeybd, prop.propWindow, state);
}

KEY_ACTION Press(const PROPERTY_SET& prop, const std::vector<BYTE>& keys, bool bScrollProcessing = false) {
    return DecideKeyAction(prop, Held(keys), KEY_HOOK_EVENT{keys.back(), 0, bScrollProcessing});
}

using ACT = std::tuple<KeyAction, KEY_MATCH, bool, bool, bool>;  // action, match, save resized, handled, reset
ACT ActOf(const KEY_ACTION& act) {
    return {act.action, act.match, act.bSaveResizeWnd, act.bHandled, act.bResetIgnoreCount};
}

}  // namespace

TEST(CoreKeyMatch, DefaultRowsMatchTheirOwnKeys) {
    EXPECT_EQ(0x81, KeyStateByte(static_cast<SHORT>(0x8001)));
    EXPECT_EQ(0x01, KeyStateByte(0x0001));
    const PROPERTY_SET prop = DefaultProp();
    for (int n = 0; n < KEYASSIGN_COUNT; ++n)
        EXPECT_EQ(MatchOfEntry(n), Match(prop, KeyStateOf(prop.propKeybd.aKeyAssign[n].lstKey))) << "entry " << n;
    EXPECT_EQ(KEYMATCH_IGNORE_ACTIVATE, Match(prop, Held({VK_CONTROL})));
    EXPECT_EQ(KEYMATCH_NONE, Match(prop, Held({})));
    EXPECT_EQ(KEYMATCH_NONE, Match(prop, Held({VK_CONTROL, VK_MENU})));
}

// Scrolling left is a negative distance: every window then moves right by the keyboard width.
TEST(CoreKeyMatch, ScrollRowsAskForOneKeyboardUnit) {
    const PROPERTY_SET prop = DefaultProp();
    const struct { std::vector<BYTE> keys; KEY_MATCH match; WORD wFlags; int nIdx, nUndoSubKind; LONG x, y; } cases[] = {
        {{VK_CONTROL, VK_MENU, VK_LEFT}, KEYMATCH_LEFT_LINE, DEVFLAG_LEFT, 4, UNDO_SUBKIND_HORZ, -10, 0},
        {{VK_SHIFT, VK_CONTROL, VK_MENU, VK_RIGHT}, KEYMATCH_RIGHT_PAGE, DEVFLAG_RIGHT, 5, UNDO_SUBKIND_HORZ, 200, 0},
        {{VK_CONTROL, VK_MENU, VK_UP}, KEYMATCH_UP_LINE, DEVFLAG_UP, 6, UNDO_SUBKIND_VERT, 0, -10},
        {{VK_SHIFT, VK_CONTROL, VK_MENU, VK_DOWN}, KEYMATCH_DOWN_PAGE, DEVFLAG_DOWN, 7, UNDO_SUBKIND_VERT, 0, 200},
    };
    const SCROLL_WIDTH_BASIS basis{RECT{0, 0, 1280, 1024}, 400, 300, 1280, 1024};
    for (const auto& c : cases) {
        const KEY_ACTION act = Press(prop, c.keys);
        ASSERT_EQ(KeyAction::Scroll, act.action) << c.match;
        EXPECT_EQ(std::tuple(c.match, c.wFlags, c.nIdx, 1, c.nUndoSubKind, true, true),
                  std::tuple(act.match, act.req.wFlags, act.req.nIdx, act.req.nCount, act.nUndoSubKind, act.bHandled, act.bResetIgnoreCount));
        const POINT off = DeviceOffsets(act.req, ScrollWidthAbs(prop.propScrlWdth, act.req.nIdx, basis).nWidth);
        EXPECT_EQ(std::pair(c.x, c.y), std::pair(off.x, off.y)) << c.match;
    }
    for (KEY_MATCH m : {KEYMATCH_NONE, KEYMATCH_UNDO, KEYMATCH_MENU, KEYMATCH_IGNORE_ACTIVATE})
        EXPECT_EQ(0, ScrollRequestOf(m).nCount) << m;
}

TEST(CoreKeyMatch, ExtraOrMissingKeysMatchNothing) {
    const PROPERTY_SET prop = DefaultProp();
    EXPECT_EQ(KEYMATCH_NONE, Match(prop, Held({VK_CONTROL, VK_MENU, VK_LEFT, 'A'})));
    EXPECT_EQ(KEYMATCH_NONE, Press(prop, {VK_CONTROL, VK_MENU, VK_LEFT, VK_UP}).match);
    EXPECT_EQ(KEYMATCH_NONE, Match(prop, Held({VK_MENU, VK_LEFT})));
    // Keys that may not be assigned (Escape, Windows key) do not spoil a combination.
    EXPECT_EQ(KEYMATCH_LEFT_LINE, Match(prop, Held({VK_CONTROL, VK_MENU, VK_LEFT, VK_ESCAPE, VK_LWIN})));
    KEY_STATE state = Held({VK_CONTROL, VK_MENU, VK_LEFT});  // 'A' pressed since, not down
    state['A'] = 0x01;
    EXPECT_EQ(KEYMATCH_LEFT_LINE, Match(prop, state));
}

// The side codes of Shift, Ctrl and Alt have mask 0: held, they are neither extra keys
// nor able to complete a row that lists them.
TEST(CoreKeyMatch, SideVariantsCountByTheTableMasks) {
    PROPERTY_SET prop = DefaultProp();
    const KEY_STATE state = KeyStateOf(std::vector<BYTE>{VK_CONTROL, VK_MENU, VK_LEFT, VK_LCONTROL, VK_RCONTROL, VK_RMENU});
    EXPECT_FALSE(IsKeyDown(state, VK_LCONTROL));
    EXPECT_EQ(KEYMATCH_LEFT_LINE, Match(prop, state));
    EXPECT_EQ(KEYMATCH_NONE, Match(prop, KeyStateOf(std::vector<BYTE>{VK_LCONTROL, VK_MENU, VK_LEFT})));
    prop.propKeybd.aKeyAssign[KEYASSIGN_UNDO].lstKey = {VK_LCONTROL, 'Z'};
    EXPECT_EQ(KEYMATCH_NONE, Match(prop, Held({VK_CONTROL, 'Z'})));
}

TEST(CoreKeyMatch, DisabledOrEmptyRowsMatchNothing) {
    PROPERTY_SET prop = DefaultProp();
    for (int n = KEYASSIGN_LEFT_LINE; n <= KEYASSIGN_DOWN_PAGE; ++n) prop.propKeybd.aKeyAssign[n].bEnable = FALSE;
    EXPECT_EQ(ACT(KeyAction::None, KEYMATCH_NONE, false, false, false), ActOf(Press(prop, {VK_CONTROL, VK_MENU, VK_LEFT})));

    prop = DefaultProp();
    prop.propKeybd.aKeyAssign[KEYASSIGN_MENU].bEnable = FALSE;
    prop.propKeybd.aKeyAssign[KEYASSIGN_UNDO].lstKey.clear();
    EXPECT_EQ(KEYMATCH_NONE, Match(prop, Held({VK_CONTROL, VK_MENU, VK_F11})));
    EXPECT_EQ(KEYMATCH_NONE, Match(prop, Held({})));
    // Ignore Activate Scroll off: a lone Ctrl is no row.
    prop.propWindow.bIgnoreActivateScroll = FALSE;
    EXPECT_EQ(KEYMATCH_NONE, Match(prop, Held({VK_CONTROL})));
}

// The first matching row wins when two rows carry the same keys; a direction whose
// page row is off does not scroll by its line row either.
TEST(CoreKeyMatch, RowOrderAndDirectionPairs) {
    PROPERTY_SET prop = DefaultProp();
    prop.propKeybd.aKeyAssign[KEYASSIGN_MENU].lstKey = prop.propKeybd.aKeyAssign[KEYASSIGN_UNDO].lstKey;
    EXPECT_EQ(KEYMATCH_UNDO, Match(prop, Held({VK_CONTROL, VK_MENU, 'Z'})));

    prop = DefaultProp();
    prop.propKeybd.aKeyAssign[KEYASSIGN_LEFT_PAGE].bEnable = FALSE;
    EXPECT_EQ(ACT(KeyAction::None, KEYMATCH_LEFT_LINE, false, false, true), ActOf(Press(prop, {VK_CONTROL, VK_MENU, VK_LEFT})));
    EXPECT_EQ(KeyAction::Scroll, Press(prop, {VK_CONTROL, VK_MENU, VK_RIGHT}).action);
}

// The hooked key may not show in the snapshot yet: marking it completes the combination, and a
// side key counts as its side-neutral code too.
TEST(CoreKeyMatch, ThePressedKeyCompletesASnapshotTakenTooEarly) {
    const PROPERTY_SET prop = DefaultProp();
    KEY_STATE state = Held({VK_CONTROL, VK_MENU});
    EXPECT_NE(KEYMATCH_LEFT_LINE, Match(prop, state));
    MarkPressedKey(state, VK_LEFT);
    EXPECT_EQ(KEYMATCH_LEFT_LINE, Match(prop, state));

    state = Held({VK_MENU, VK_LEFT});
    MarkPressedKey(state, VK_RCONTROL);
    EXPECT_EQ(KEYMATCH_LEFT_LINE, Match(prop, state));
    MarkPressedKey(state, 0x1FF);  // out of the table: ignored
    EXPECT_EQ(KEYMATCH_LEFT_LINE, Match(prop, state));
}

// Undo during a move would take back positions the move is still changing; scroll keys are still
// decided then (the engine drops their requests).
TEST(CoreKeyMatch, KeyActions) {
    const struct { BOOL bResizeWnd; std::vector<BYTE> keys; bool bMoving; ACT act; } cases[] = {
        {FALSE, {VK_CONTROL, VK_MENU, 'Z'}, false, {KeyAction::Undo, KEYMATCH_UNDO, false, true, true}},
        {TRUE, {VK_CONTROL, VK_MENU, 'Z'}, false, {KeyAction::Undo, KEYMATCH_UNDO, true, true, true}},
        {TRUE, {VK_CONTROL, VK_MENU, 'Z'}, true, {KeyAction::None, KEYMATCH_UNDO, false, false, true}},
        {TRUE, {VK_CONTROL, VK_MENU, VK_LEFT}, true, {KeyAction::Scroll, KEYMATCH_LEFT_LINE, false, true, true}},
        {FALSE, {VK_CONTROL, VK_MENU, VK_F11}, false, {KeyAction::Menu, KEYMATCH_MENU, false, true, true}},
        {FALSE, {VK_CONTROL}, false, {KeyAction::IgnoreActivate, KEYMATCH_IGNORE_ACTIVATE, false, false, false}},
        // Resize commit keys count only with Undo "ResizeWnd" on and no move in progress.
        {FALSE, {VK_RETURN}, false, {KeyAction::None, KEYMATCH_NONE, false, false, false}},
        {TRUE, {VK_RETURN}, false, {KeyAction::ResizeCommit, KEYMATCH_NONE, false, false, false}},
        {TRUE, {'R'}, false, {KeyAction::ResizeCommit, KEYMATCH_NONE, false, false, false}},
        {TRUE, {'X'}, false, {KeyAction::ResizeCommit, KEYMATCH_NONE, false, false, false}},
        {TRUE, {VK_F3}, false, {KeyAction::ResizeCommit, KEYMATCH_NONE, false, false, false}},
        {TRUE, {VK_F9}, false, {KeyAction::ResizeCommit, KEYMATCH_NONE, false, false, false}},
        {TRUE, {'Q'}, false, {KeyAction::None, KEYMATCH_NONE, false, false, false}},
        {TRUE, {'R'}, true, {KeyAction::None, KEYMATCH_NONE, false, false, false}},
    };
    PROPERTY_SET prop = DefaultProp();
    for (const auto& c : cases) {
        prop.propUndo.bUndoResizeWnd = c.bResizeWnd;
        EXPECT_EQ(c.act, ActOf(Press(prop, c.keys, c.bMoving)))
            << "last key " << int{c.keys.back()} << ", resize " << c.bResizeWnd << ", moving " << c.bMoving;
    }

    const KEY_HOOK_EVENT release{VK_LEFT, static_cast<LPARAM>(0xC0000001u), false};
    EXPECT_EQ(ACT(KeyAction::None, KEYMATCH_NONE, false, false, false),
              ActOf(DecideKeyAction(prop, Held({VK_CONTROL, VK_MENU, VK_LEFT}), release)));
}

using PRESS = std::tuple<int, bool, bool, bool>;  // count, start item, armed, reset
PRESS Of(const IGNORE_PRESS& p) { return {p.nCount, p.bStartItem, p.bArmed, p.bReset}; }

// Count 2: the first press starts the item, the second arms, the third resets; a leftover item
// is not added twice. A count below 1 could never be reached: it counts as 1.
TEST(CoreKeyMatch, IgnoreKeyPressesArmAndReset) {
    EXPECT_EQ(PRESS(1, true, false, false), Of(CountIgnorePress(0, false, 2)));
    EXPECT_EQ(PRESS(2, false, true, false), Of(CountIgnorePress(1, true, 2)));
    EXPECT_EQ(PRESS(0, false, false, true), Of(CountIgnorePress(2, true, 2)));
    EXPECT_EQ(PRESS(1, false, false, false), Of(CountIgnorePress(0, true, 2)));
    EXPECT_EQ((std::pair{1, 3}), std::pair(IgnoreActivateTarget(-5), IgnoreActivateTarget(3)));
    for (int nSetting : {0, -1}) {
        EXPECT_TRUE(CountIgnorePress(0, false, nSetting).bArmed) << nSetting;
        EXPECT_TRUE(CountIgnorePress(1, true, nSetting).bReset) << nSetting;
    }
}

// Wine may read a modifier given by SendInput as released while it is held: the hook's own
// presses count all the same, until their release comes or the hook goes off.
TEST(CoreKeyMatch, ModifiersTheHookSawHeldCountWhateverTheAsynchronousState) {
    const PROPERTY_SET prop = DefaultProp();
    const KEY_MATCH down = Match(prop, KeyStateOf(std::vector<BYTE>{VK_CONTROL, VK_MENU, VK_DOWN}));
    ASSERT_NE(KEYMATCH_NONE, down);

    CHookedModifiers held;
    held.Note(VK_LCONTROL, false);
    held.Note(VK_MENU, false);
    held.Note('A', false);  // not a modifier: never kept
    KEY_STATE state{};      // the asynchronous state lost both modifiers
    MarkPressedKey(state, VK_DOWN);
    held.MarkHeld(state);
    EXPECT_EQ(down, Match(prop, state));

    held.Note(VK_RMENU, true);
    state = KEY_STATE{};
    MarkPressedKey(state, VK_DOWN);
    held.MarkHeld(state);
    EXPECT_EQ(KEYMATCH_NONE, Match(prop, state)) << "Alt was released";

    held.Reset();
    state = KEY_STATE{};
    held.MarkHeld(state);
    EXPECT_EQ(KEY_STATE{}, state);
}
