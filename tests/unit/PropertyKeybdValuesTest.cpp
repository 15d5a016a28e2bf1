// The keyboard page's rules without a desktop, where the end-to-end test does not reach: the texts
// of each missing modifier, the combinations near the reserved rows, the modifiers of either side,
// a release that keeps the assignment, and the scroll and menu check boxes' rules.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "KeybdPageValues.h"

using namespace KeybdPageValues;

namespace {

// The capture after these events in order (negative: the key released).
KEY_CAPTURE After(std::initializer_list<int> events)
{
    KEY_STATE state{};
    for (int n : events)
        ApplyKeyEvent(state, static_cast<UINT>(n < 0 ? -n : n), n < 0);
    return CaptureKeys(state.data(), 190, 145);
}

std::wstring Text(const KEY_CAPTURE& cap)
{
    return cap.pszText ? cap.pszText : L"";
}

} // namespace

TEST(PropertyKeybdValues, EachRuleTellsItsTextAndTheRestIsStoredAscending)
{
    EXPECT_EQ(Text(After({'A'})), L" キー単独では指定できません. Ctrl, Shift, Altと組み合わせて下さい.");
    EXPECT_EQ(Text(After({VK_LSHIFT, 'A'})), L" Shiftキー単独では指定できません. Ctrl, Altと組み合わせて下さい.");
    EXPECT_EQ(Text(After({VK_RMENU, 'A'})), L" Altキー単独では指定できません. Ctrl, Shiftと組み合わせて下さい.");
    EXPECT_EQ(Text(After({VK_LCONTROL, VK_LMENU})), L" Shift, Ctrl, Alt以外のキーを組み合わせて下さい.");
    EXPECT_EQ(Text(After({VK_LSHIFT, VK_RCONTROL, VK_RIGHT})), L" Shift + Ctrl + → は指定できません.");
    EXPECT_EQ(Text(After({VK_LSHIFT, VK_LCONTROL, VK_DOWN})), L" Shift + Ctrl + ↓ は指定できません.");
    // Alt or another key with them is no reserved row; the modifiers are stored side-neutral.
    EXPECT_EQ(After({VK_LSHIFT, VK_LCONTROL, VK_LMENU, VK_UP}).lstKey,
              (std::vector<BYTE>{VK_SHIFT, VK_CONTROL, VK_MENU, VK_UP}));
    EXPECT_EQ(After({'A', VK_LEFT, VK_RCONTROL, VK_LSHIFT}).lstKey, (std::vector<BYTE>{VK_SHIFT, VK_CONTROL, VK_LEFT, 'A'}));
    EXPECT_EQ(FormatKeyList({VK_SHIFT, VK_CONTROL, VK_LEFT, 'A'}), L"Shift + Ctrl + ← + A");
    EXPECT_EQ(After({VK_LCONTROL, VK_LMENU, 'A', 'B', 'C', 'D', 'E', 'F', 'G'}).nTextId, 190u) << "nine keys";
}

TEST(PropertyKeybdValues, EitherSideHoldsItsModifierAndReleasingAllKeepsTheAssignment)
{
    // The right Ctrl still holds Ctrl after the left one's release.
    EXPECT_EQ(After({VK_LCONTROL, VK_RCONTROL, VK_LMENU, 'K', -VK_LCONTROL}).lstKey,
              (std::vector<BYTE>{VK_CONTROL, VK_MENU, 'K'}));
    EXPECT_EQ(Text(After({VK_LCONTROL, VK_RCONTROL, VK_LMENU, 'K', -VK_LCONTROL, -VK_RCONTROL})),
              L" Altキー単独では指定できません. Ctrl, Shiftと組み合わせて下さい.");
    const KEY_CAPTURE none = After({VK_LCONTROL, VK_LMENU, 'K', -'K', -VK_LMENU, -VK_LCONTROL});
    EXPECT_TRUE(none.lstKey.empty());
    EXPECT_FALSE(none.IsRefused()) << "nothing pressed: nothing stored, nothing refused";
}

TEST(PropertyKeybdValues, ScrollCheckInvertsEachRowAndTheLastWayToTheMenuStays)
{
    PROPERTY_SET prop;
    EXPECT_FALSE(IsScrollKeyEnabled(prop.propKeybd));
    prop.propKeybd.aKeyAssign[KEYASSIGN_DOWN_PAGE].bEnable = TRUE;
    EXPECT_TRUE(IsScrollKeyEnabled(prop.propKeybd));
    ToggleScrollKeys(prop.propKeybd);
    for (int i = 0; i < KEYASSIGN_COUNT; ++i)
        EXPECT_EQ(prop.propKeybd.aKeyAssign[i].bEnable, i < KEYASSIGN_DOWN_PAGE) << i;

    prop.propKeybd.aKeyAssign[KEYASSIGN_MENU].bEnable = TRUE;
    EXPECT_FALSE(IsMenuEnableSwitchable(prop));
    for (BOOL PROP_VIEW::*pShown : {&PROP_VIEW::bHorizontal, &PROP_VIEW::bVertical, &PROP_VIEW::bTrayIcon}) {
        prop.propView.*pShown = TRUE;
        EXPECT_TRUE(IsMenuEnableSwitchable(prop));
        prop.propView.*pShown = FALSE;
    }
    prop.propKeybd.aKeyAssign[KEYASSIGN_MENU].bEnable = FALSE;
    EXPECT_TRUE(IsMenuEnableSwitchable(prop)) << "a key that is off may always be switched on";
}
