#include <gtest/gtest.h>
#include <windows.h>

#include <initializer_list>
#include <vector>

#include "KeyMatch.h"
#include "PropertySet.h"
#include "ScrollCalc.h"

using namespace KeyMatch;
using ScrollCalc::DEVFLAG_DOWN;
using ScrollCalc::DEVFLAG_LEFT;
using ScrollCalc::DEVFLAG_RIGHT;
using ScrollCalc::DEVFLAG_UP;

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

KEY_STATE Held(std::initializer_list<BYTE> keys) {
    return KeyStateOf(std::vector<BYTE>(keys));
}

// A held Ctrl or Alt also shows its left-hand code, as the system reports it.
KEY_STATE HeldWithSides(std::initializer_list<BYTE> keys) {
    KEY_STATE state = Held(keys);
    if (state[VK_CONTROL]) state[VK_LCONTROL] = 0x80;
    if (state[VK_MENU]) state[VK_LMENU] = 0x80;
    if (state[VK_SHIFT]) state[VK_LSHIFT] = 0x80;
    return state;
}

KEY_ACTION Press(const PROPERTY_SET& prop, const KEY_STATE& state, UINT nVKey, bool bScrollProcessing = false) {
    return DecideKeyAction(prop, state, KEY_HOOK_EVENT{nVKey, 0, bScrollProcessing});
}

int KeyboardWidth(const PROPERTY_SET& prop, int nIdx) {
    ScrollCalc::SCROLL_WIDTH_BASIS basis{RECT{0, 0, 1280, 1024}, 400, 300, 1280, 1024};
    return ScrollCalc::ScrollWidthAbs(prop.propScrlWdth, nIdx, basis).nWidth;
}

}  // namespace

TEST(CoreKeyMatch, SnapshotByteFromAsyncState) {
    EXPECT_EQ(0x80, KeyStateByte(static_cast<SHORT>(0x8000)));
    EXPECT_EQ(0x81, KeyStateByte(static_cast<SHORT>(0x8001)));
    EXPECT_EQ(0x01, KeyStateByte(0x0001));
    EXPECT_EQ(0x00, KeyStateByte(0));
}

// Every default row is found by its own keys, in table order.
TEST(CoreKeyMatch, DefaultRowsMatchTheirOwnKeys) {
    const PROPERTY_SET prop = DefaultProp();
    for (int n = 0; n < KEYASSIGN_COUNT; ++n) {
        const auto& lst = prop.propKeybd.aKeyAssign[n].lstKey;
        EXPECT_EQ(MatchOfEntry(n), MatchKeyAssign(prop.propKeybd, prop.propWindow, KeyStateOf(lst))) << "entry " << n;
    }
    EXPECT_EQ(KEYMATCH_IGNORE_ACTIVATE, MatchKeyAssign(prop.propKeybd, prop.propWindow, Held({VK_CONTROL})));
    EXPECT_EQ(KEYMATCH_NONE, MatchKeyAssign(prop.propKeybd, prop.propWindow, Held({})));
    EXPECT_EQ(KEYMATCH_NONE, MatchKeyAssign(prop.propKeybd, prop.propWindow, Held({VK_CONTROL, VK_MENU})));
}

// Left line: the view goes left, so the scroll distance is negative and every window
// moves right by the keyboard line width.
TEST(CoreKeyMatch, CtrlAltLeftScrollsOneKeyboardLineLeft) {
    const PROPERTY_SET prop = DefaultProp();
    const KEY_ACTION act = Press(prop, HeldWithSides({VK_CONTROL, VK_MENU, VK_LEFT}), VK_LEFT);
    EXPECT_EQ(KEYMATCH_LEFT_LINE, act.match);
    ASSERT_EQ(KeyAction::Scroll, act.action);
    EXPECT_EQ(DEVFLAG_LEFT, act.req.wFlags);
    EXPECT_EQ(ScrlWdthIndex(SCRLWDTH_KEYBD, SCRLWDTH_HORZ, SCRLWDTH_LINE), act.req.nIdx);
    EXPECT_EQ(4, act.req.nIdx);
    EXPECT_EQ(1, act.req.nCount);
    EXPECT_EQ(UNDO_SUBKIND_HORZ, act.nUndoSubKind);
    EXPECT_TRUE(act.bHandled);
    EXPECT_TRUE(act.bResetIgnoreCount);

    const POINT off = ScrollCalc::DeviceOffsets(act.req, KeyboardWidth(prop, act.req.nIdx));
    EXPECT_EQ(-10, off.x);
    EXPECT_EQ(0, off.y);
}

TEST(CoreKeyMatch, ShiftCtrlAltRightScrollsOnePageRight) {
    const PROPERTY_SET prop = DefaultProp();
    const KEY_ACTION act = Press(prop, HeldWithSides({VK_SHIFT, VK_CONTROL, VK_MENU, VK_RIGHT}), VK_RIGHT);
    EXPECT_EQ(KEYMATCH_RIGHT_PAGE, act.match);
    ASSERT_EQ(KeyAction::Scroll, act.action);
    EXPECT_EQ(DEVFLAG_RIGHT, act.req.wFlags);
    EXPECT_EQ(5, act.req.nIdx);
    const POINT off = ScrollCalc::DeviceOffsets(act.req, KeyboardWidth(prop, act.req.nIdx));
    EXPECT_EQ(200, off.x);
    EXPECT_EQ(0, off.y);
}

TEST(CoreKeyMatch, VerticalRowsUseTheVerticalKeyboardEntries) {
    const PROPERTY_SET prop = DefaultProp();
    const KEY_ACTION up = Press(prop, Held({VK_CONTROL, VK_MENU, VK_UP}), VK_UP);
    EXPECT_EQ(DEVFLAG_UP, up.req.wFlags);
    EXPECT_EQ(6, up.req.nIdx);
    EXPECT_EQ(UNDO_SUBKIND_VERT, up.nUndoSubKind);
    const KEY_ACTION down = Press(prop, Held({VK_SHIFT, VK_CONTROL, VK_MENU, VK_DOWN}), VK_DOWN);
    EXPECT_EQ(DEVFLAG_DOWN, down.req.wFlags);
    EXPECT_EQ(7, down.req.nIdx);
    const POINT off = ScrollCalc::DeviceOffsets(down.req, KeyboardWidth(prop, down.req.nIdx));
    EXPECT_EQ(0, off.x);
    EXPECT_EQ(200, off.y);

    for (KEY_MATCH m : {KEYMATCH_NONE, KEYMATCH_UNDO, KEYMATCH_MENU, KEYMATCH_IGNORE_ACTIVATE})
        EXPECT_EQ(0, ScrollRequestOf(m).nCount);
}

TEST(CoreKeyMatch, ExtraOrMissingKeysMatchNothing) {
    const PROPERTY_SET prop = DefaultProp();
    // One more assignable key with a combination.
    EXPECT_EQ(KEYMATCH_NONE, MatchKeyAssign(prop.propKeybd, prop.propWindow, Held({VK_CONTROL, VK_MENU, VK_LEFT, 'A'})));
    EXPECT_EQ(KEYMATCH_NONE, Press(prop, Held({VK_CONTROL, VK_MENU, VK_LEFT, VK_UP}), VK_UP).match);
    // A missing key.
    EXPECT_EQ(KEYMATCH_NONE, MatchKeyAssign(prop.propKeybd, prop.propWindow, Held({VK_MENU, VK_LEFT})));
    // Keys that may not be assigned (Escape, Windows key) do not spoil a combination.
    EXPECT_EQ(KEYMATCH_LEFT_LINE,
              MatchKeyAssign(prop.propKeybd, prop.propWindow, Held({VK_CONTROL, VK_MENU, VK_LEFT, VK_ESCAPE, VK_LWIN})));
    // Only bit 0x80 counts: the "pressed since" bit 0x01 alone is not down.
    KEY_STATE state = Held({VK_CONTROL, VK_MENU, VK_LEFT});
    state['A'] = 0x01;
    EXPECT_EQ(KEYMATCH_LEFT_LINE, MatchKeyAssign(prop.propKeybd, prop.propWindow, state));
}

// The side codes of Shift, Ctrl and Alt have mask 0: held, they are neither extra keys
// nor able to complete a row that lists them.
TEST(CoreKeyMatch, SideVariantsCountByTheTableMasks) {
    PROPERTY_SET prop = DefaultProp();
    KEY_STATE state = Held({VK_CONTROL, VK_MENU, VK_LEFT, VK_LCONTROL, VK_RCONTROL, VK_RMENU});
    EXPECT_FALSE(IsKeyDown(state, VK_LCONTROL));
    EXPECT_TRUE(IsKeyDown(state, VK_CONTROL));
    EXPECT_EQ(KEYMATCH_LEFT_LINE, MatchKeyAssign(prop.propKeybd, prop.propWindow, state));

    // The generic code must be down itself; the side code alone is nothing.
    EXPECT_EQ(KEYMATCH_NONE, MatchKeyAssign(prop.propKeybd, prop.propWindow, Held({VK_LCONTROL, VK_MENU, VK_LEFT})));

    prop.propKeybd.aKeyAssign[KEYASSIGN_UNDO].lstKey = {VK_LCONTROL, 'Z'};
    EXPECT_EQ(KEYMATCH_NONE, MatchKeyAssign(prop.propKeybd, prop.propWindow, Held({VK_CONTROL, VK_LCONTROL, 'Z'})));
}

TEST(CoreKeyMatch, DisabledOrEmptyRowsMatchNothing) {
    PROPERTY_SET prop = DefaultProp();
    for (int n = KEYASSIGN_LEFT_LINE; n <= KEYASSIGN_DOWN_PAGE; ++n) prop.propKeybd.aKeyAssign[n].bEnable = FALSE;
    EXPECT_EQ(KEYMATCH_NONE, MatchKeyAssign(prop.propKeybd, prop.propWindow, Held({VK_CONTROL, VK_MENU, VK_LEFT})));
    const KEY_ACTION act = Press(prop, Held({VK_CONTROL, VK_MENU, VK_LEFT}), VK_LEFT);
    EXPECT_EQ(KeyAction::None, act.action);
    EXPECT_FALSE(act.bHandled);

    prop = DefaultProp();
    prop.propKeybd.aKeyAssign[KEYASSIGN_MENU].bEnable = FALSE;
    EXPECT_EQ(KEYMATCH_NONE, MatchKeyAssign(prop.propKeybd, prop.propWindow, Held({VK_CONTROL, VK_MENU, VK_F11})));

    prop = DefaultProp();
    prop.propKeybd.aKeyAssign[KEYASSIGN_UNDO].lstKey.clear();
    EXPECT_EQ(KEYMATCH_NONE, MatchKeyAssign(prop.propKeybd, prop.propWindow, Held({})));

    // Ignore Activate Scroll off: a lone Ctrl is no row.
    prop = DefaultProp();
    prop.propWindow.bIgnoreActivateScroll = FALSE;
    EXPECT_EQ(KEYMATCH_NONE, MatchKeyAssign(prop.propKeybd, prop.propWindow, Held({VK_CONTROL})));
}

// The first matching row wins when two rows carry the same keys; a direction whose
// page row is off does not scroll by its line row either.
TEST(CoreKeyMatch, RowOrderAndDirectionPairs) {
    PROPERTY_SET prop = DefaultProp();
    prop.propKeybd.aKeyAssign[KEYASSIGN_MENU].lstKey = prop.propKeybd.aKeyAssign[KEYASSIGN_UNDO].lstKey;
    EXPECT_EQ(KEYMATCH_UNDO, MatchKeyAssign(prop.propKeybd, prop.propWindow, Held({VK_CONTROL, VK_MENU, 'Z'})));

    prop = DefaultProp();
    prop.propKeybd.aKeyAssign[KEYASSIGN_LEFT_PAGE].bEnable = FALSE;
    const KEY_ACTION act = Press(prop, Held({VK_CONTROL, VK_MENU, VK_LEFT}), VK_LEFT);
    EXPECT_EQ(KEYMATCH_LEFT_LINE, act.match);
    EXPECT_EQ(KeyAction::None, act.action);
    EXPECT_TRUE(act.bResetIgnoreCount);
    EXPECT_EQ(KeyAction::Scroll, Press(prop, Held({VK_CONTROL, VK_MENU, VK_RIGHT}), VK_RIGHT).action);
}

TEST(CoreKeyMatch, ReleaseDecidesNothing) {
    const PROPERTY_SET prop = DefaultProp();
    const KEY_ACTION act = DecideKeyAction(prop, Held({VK_CONTROL, VK_MENU, VK_LEFT}),
                                           KEY_HOOK_EVENT{VK_LEFT, static_cast<LPARAM>(0xC0000001u), false});
    EXPECT_EQ(KeyAction::None, act.action);
    EXPECT_EQ(KEYMATCH_NONE, act.match);
    EXPECT_FALSE(act.bHandled);
    EXPECT_FALSE(act.bResetIgnoreCount);
}

TEST(CoreKeyMatch, UndoMenuAndIgnoreKeyActions) {
    PROPERTY_SET prop = DefaultProp();
    KEY_ACTION act = Press(prop, Held({VK_CONTROL, VK_MENU, 'Z'}), 'Z');
    EXPECT_EQ(KeyAction::Undo, act.action);
    EXPECT_FALSE(act.bSaveResizeWnd);
    EXPECT_TRUE(act.bHandled);

    prop.propUndo.bUndoResizeWnd = TRUE;
    act = Press(prop, Held({VK_CONTROL, VK_MENU, 'Z'}), 'Z');
    EXPECT_EQ(KeyAction::Undo, act.action);
    EXPECT_TRUE(act.bSaveResizeWnd);

    act = Press(prop, Held({VK_CONTROL, VK_MENU, VK_F11}), VK_F11);
    EXPECT_EQ(KeyAction::Menu, act.action);
    EXPECT_TRUE(act.bHandled);
    EXPECT_TRUE(act.bResetIgnoreCount);

    act = Press(prop, Held({VK_CONTROL}), VK_CONTROL);
    EXPECT_EQ(KeyAction::IgnoreActivate, act.action);
    EXPECT_FALSE(act.bHandled);
    EXPECT_FALSE(act.bResetIgnoreCount);
}

// Undo during a move would take back positions the move is still changing.
TEST(CoreKeyMatch, UndoDoesNothingWhileAMoveIsInProgress) {
    PROPERTY_SET prop = DefaultProp();
    prop.propUndo.bUndoResizeWnd = TRUE;
    const KEY_ACTION act = Press(prop, Held({VK_CONTROL, VK_MENU, 'Z'}), 'Z', true);
    EXPECT_EQ(KEYMATCH_UNDO, act.match);
    EXPECT_EQ(KeyAction::None, act.action);
    EXPECT_FALSE(act.bSaveResizeWnd);
    EXPECT_FALSE(act.bHandled);
    // Scroll keys are still decided; the engine drops their requests.
    EXPECT_EQ(KeyAction::Scroll, Press(prop, Held({VK_CONTROL, VK_MENU, VK_LEFT}), VK_LEFT, true).action);
}

TEST(CoreKeyMatch, ResizeCommitKeysWithoutAMatch) {
    PROPERTY_SET prop = DefaultProp();
    EXPECT_EQ(KeyAction::None, Press(prop, Held({VK_RETURN}), VK_RETURN).action);
    prop.propUndo.bUndoResizeWnd = TRUE;
    for (UINT vk : {UINT{VK_RETURN}, UINT{'R'}, UINT{'X'}, UINT{VK_F3}, UINT{VK_F9}}) {
        const KEY_ACTION act = Press(prop, Held({static_cast<BYTE>(vk)}), vk);
        EXPECT_EQ(KeyAction::ResizeCommit, act.action) << vk;
        EXPECT_FALSE(act.bHandled);
    }
    EXPECT_EQ(KeyAction::None, Press(prop, Held({'Q'}), 'Q').action);
    EXPECT_EQ(KeyAction::None, Press(prop, Held({'R'}), 'R', true).action);
}

// Count 2: first press starts the item, second arms, third resets.
TEST(CoreKeyMatch, IgnoreKeyPressesArmAndReset) {
    IGNORE_PRESS p = CountIgnorePress(0, false, 2);
    EXPECT_EQ(1, p.nCount);
    EXPECT_TRUE(p.bStartItem);
    EXPECT_FALSE(p.bArmed);
    EXPECT_FALSE(p.bReset);

    p = CountIgnorePress(p.nCount, true, 2);
    EXPECT_EQ(2, p.nCount);
    EXPECT_FALSE(p.bStartItem);
    EXPECT_TRUE(p.bArmed);

    p = CountIgnorePress(p.nCount, true, 2);
    EXPECT_EQ(0, p.nCount);
    EXPECT_TRUE(p.bReset);
    EXPECT_FALSE(p.bArmed);

    // A leftover item is not added twice.
    EXPECT_FALSE(CountIgnorePress(0, true, 2).bStartItem);
}

// A count below 1 could never be reached; it counts as 1, so one press arms.
TEST(CoreKeyMatch, IgnoreCountBelowOneCountsAsOne) {
    EXPECT_EQ(1, IgnoreActivateTarget(0));
    EXPECT_EQ(1, IgnoreActivateTarget(-5));
    EXPECT_EQ(3, IgnoreActivateTarget(3));
    for (int nSetting : {0, -1}) {
        const IGNORE_PRESS p = CountIgnorePress(0, false, nSetting);
        EXPECT_TRUE(p.bArmed) << nSetting;
        EXPECT_EQ(1, p.nCount);
        EXPECT_TRUE(CountIgnorePress(1, true, nSetting).bReset);
    }
}
