// The keyboard and window pages' logic without a desktop: the key state built from hooked events,
// the combination rules with their texts, the refusal of more keys than the registry keeps, the
// shown text of a combination and the enabling rules of both pages.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "KeybdPageValues.h"
#include "ZvWindowPageValues.h"

using namespace KeybdPageValues;

namespace {

constexpr UINT kTooMany = 190, kNoText = 145;

// The state after these presses, in order, through the hooked events (left-hand modifiers, as a
// low-level hook names them).
KEY_STATE Pressed(std::initializer_list<UINT> keys)
{
    KEY_STATE state{};
    for (UINT vk : keys)
        ApplyKeyEvent(state, vk, false);
    return state;
}

std::wstring Refusal(const KEY_STATE& state)
{
    const KEY_CAPTURE cap = CaptureKeys(state.data(), kTooMany, kNoText);
    EXPECT_TRUE(cap.lstKey.empty() || !cap.IsRefused());
    return cap.pszText ? cap.pszText : cap.nTextId ? L"#" + std::to_wstring(cap.nTextId) : L"";
}

} // namespace

TEST(PropertyKeybdValues, CtrlThenAltThenLeftIsRefusedTwiceAndThenStored)
{
    KEY_STATE state{};
    ApplyKeyEvent(state, VK_LCONTROL, false);
    EXPECT_EQ(Refusal(state), L" Ctrlキー単独では指定できません. Shift, Altと組み合わせて下さい.");
    ApplyKeyEvent(state, VK_LMENU, false);
    EXPECT_EQ(Refusal(state), L" Shift, Ctrl, Alt以外のキーを組み合わせて下さい.");
    ApplyKeyEvent(state, VK_LEFT, false);
    const KEY_CAPTURE cap = CaptureKeys(state.data(), kTooMany, kNoText);
    EXPECT_FALSE(cap.IsRefused());
    EXPECT_EQ(cap.lstKey, (std::vector<BYTE>{VK_CONTROL, VK_MENU, VK_LEFT})) << "side-neutral, ascending";
    EXPECT_EQ(FormatKeyList(cap.lstKey), L"Ctrl + Alt + ←");

    // Released one by one: Alt's release leaves a Ctrl alone with Left, refused; all released: nothing.
    ApplyKeyEvent(state, VK_LMENU, true);
    EXPECT_EQ(Refusal(state), L" Ctrlキー単独では指定できません. Shift, Altと組み合わせて下さい.");
    ApplyKeyEvent(state, VK_LCONTROL, true);
    ApplyKeyEvent(state, VK_LEFT, true);
    const KEY_CAPTURE none = CaptureKeys(state.data(), kTooMany, kNoText);
    EXPECT_TRUE(none.lstKey.empty());
    EXPECT_FALSE(none.IsRefused()) << "releasing every key keeps the assignment";
}

TEST(PropertyKeybdValues, TheRulesAndTheReservedRows)
{
    EXPECT_EQ(Refusal(Pressed({'A'})), L" キー単独では指定できません. Ctrl, Shift, Altと組み合わせて下さい.");
    EXPECT_EQ(Refusal(Pressed({VK_LSHIFT, 'A'})), L" Shiftキー単独では指定できません. Ctrl, Altと組み合わせて下さい.");
    EXPECT_EQ(Refusal(Pressed({VK_RMENU, 'A'})), L" Altキー単独では指定できません. Ctrl, Shiftと組み合わせて下さい.");
    EXPECT_EQ(Refusal(Pressed({VK_LSHIFT, VK_LCONTROL, VK_UP})), L" Shift + Ctrl + ↑ は指定できません.");
    EXPECT_EQ(Refusal(Pressed({VK_LSHIFT, VK_LCONTROL, VK_LEFT})), L" Shift + Ctrl + ← は指定できません.");
    EXPECT_EQ(Refusal(Pressed({VK_LSHIFT, VK_LCONTROL, VK_RIGHT})), L" Shift + Ctrl + → は指定できません.");
    EXPECT_EQ(Refusal(Pressed({VK_LSHIFT, VK_LCONTROL, VK_DOWN})), L" Shift + Ctrl + ↓ は指定できません.");
    // An extra key, or Alt with them, is not the reserved row.
    EXPECT_EQ(CaptureKeys(Pressed({VK_LSHIFT, VK_LCONTROL, VK_LMENU, VK_UP}).data(), kTooMany, kNoText).lstKey.size(), 4u);
    EXPECT_EQ(CaptureKeys(Pressed({VK_LSHIFT, VK_LCONTROL, VK_LEFT, 'A'}).data(), kTooMany, kNoText).lstKey,
              (std::vector<BYTE>{VK_SHIFT, VK_CONTROL, VK_LEFT, 'A'}));
    // A key that may never be assigned tells its own text; one lower than every other key first.
    EXPECT_EQ(Refusal(Pressed({VK_LCONTROL, VK_LMENU, VK_LWIN})), L" Windowsキーは指定できません.");
    EXPECT_EQ(Refusal(Pressed({VK_LCONTROL, VK_LMENU, VK_ESCAPE})), L" Escキーは指定できません.");
}

TEST(PropertyKeybdValues, MoreKeysThanTheRegistryKeepsAreRefused)
{
    // Eight keys are stored whole, nine would be cut by the next load: refused.
    const KEY_STATE eight = Pressed({VK_LCONTROL, VK_LMENU, 'A', 'B', 'C', 'D', 'E', 'F'});
    EXPECT_EQ(CaptureKeys(eight.data(), kTooMany, kNoText).lstKey.size(), static_cast<size_t>(KEYASSIGN_MAX_KEYS));
    const KEY_STATE nine = Pressed({VK_LCONTROL, VK_LMENU, 'A', 'B', 'C', 'D', 'E', 'F', 'G'});
    EXPECT_EQ(Refusal(nine), L"#190");
}

TEST(PropertyKeybdValues, EitherSideHoldsTheNeutralModifier)
{
    KEY_STATE state = Pressed({VK_LSHIFT, VK_RSHIFT});
    ApplyKeyEvent(state, VK_LSHIFT, true);
    EXPECT_TRUE(IsKeyPressed(state.data(), VK_SHIFT)) << "the right Shift is still down";
    ApplyKeyEvent(state, VK_RSHIFT, true);
    EXPECT_FALSE(IsKeyPressed(state.data(), VK_SHIFT));
    // A side-neutral event (as some hooks send) works alike; the side keys never count themselves.
    state = Pressed({VK_CONTROL});
    EXPECT_TRUE(IsKeyPressed(state.data(), VK_CONTROL));
    state = Pressed({VK_LCONTROL});
    EXPECT_FALSE(IsKeyPressed(state.data(), VK_LCONTROL));
    ApplyKeyEvent(state, 300, false);  // outside the table: ignored
}

TEST(PropertyKeybdValues, EnablingRulesOfTheKeyboardPage)
{
    PROPERTY_SET prop;
    EXPECT_FALSE(IsScrollKeyEnabled(prop.propKeybd));
    prop.propKeybd.aKeyAssign[KEYASSIGN_DOWN_PAGE].bEnable = TRUE;
    EXPECT_TRUE(IsScrollKeyEnabled(prop.propKeybd));
    ToggleScrollKeys(prop.propKeybd);  // each flag inverted for itself
    for (int i = 0; i < KEYASSIGN_DOWN_PAGE; ++i)
        EXPECT_TRUE(prop.propKeybd.aKeyAssign[i].bEnable) << i;
    EXPECT_FALSE(prop.propKeybd.aKeyAssign[KEYASSIGN_DOWN_PAGE].bEnable);
    EXPECT_FALSE(prop.propKeybd.aKeyAssign[KEYASSIGN_UNDO].bEnable) << "the undo row is no scroll key";

    // The menu key is the last way to the menu while no bar and no tray icon shows.
    prop.propKeybd.aKeyAssign[KEYASSIGN_MENU].bEnable = TRUE;
    EXPECT_FALSE(IsMenuEnableSwitchable(prop));
    prop.propView.bTrayIcon = TRUE;
    EXPECT_TRUE(IsMenuEnableSwitchable(prop));
    prop.propView.bTrayIcon = FALSE;
    prop.propView.bVertical = TRUE;
    EXPECT_TRUE(IsMenuEnableSwitchable(prop));
    prop.propView.bVertical = FALSE;
    prop.propKeybd.aKeyAssign[KEYASSIGN_MENU].bEnable = FALSE;
    EXPECT_TRUE(IsMenuEnableSwitchable(prop)) << "a disabled key may always be switched back on";
}

TEST(PropertyZvWindowValues, KeyEntriesAndEnablingRules)
{
    using namespace ZvWindowPageValues;
    EXPECT_EQ(IgnoreKeyIndex(VK_SHIFT), 0);
    EXPECT_EQ(IgnoreKeyIndex(VK_CONTROL), 1);
    EXPECT_EQ(IgnoreKeyIndex(VK_MENU), 0) << "neither key shows Shift";
    PROP_WINDOW wnd{};
    wnd.bIgnoreActivateScroll = TRUE;
    EXPECT_FALSE(IsIgnoreCheckEnabled(wnd));
    EXPECT_FALSE(AreIgnoreListsEnabled(wnd));
    for (int nMode : {1, 2}) {
        wnd.nActivateMode = nMode;
        wnd.bIgnoreActivateScroll = TRUE;
        EXPECT_TRUE(IsIgnoreCheckEnabled(wnd));
        EXPECT_TRUE(AreIgnoreListsEnabled(wnd));
        wnd.bIgnoreActivateScroll = FALSE;
        EXPECT_TRUE(IsIgnoreCheckEnabled(wnd));
        EXPECT_FALSE(AreIgnoreListsEnabled(wnd));
    }
}
