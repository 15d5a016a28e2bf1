#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "VirtualKeyTable.h"

namespace {

constexpr wchar_t kOem[] = L" OEM固有キーは指定できません.";
constexpr wchar_t kUnassigned[] = L" 未割当キーは指定できません.";

bool InRanges(int n, std::initializer_list<std::pair<int, int>> ranges) {
    for (const auto& r : ranges) {
        if (n >= r.first && n <= r.second)
            return true;
    }
    return false;
}

TEST(CommonVirtualKeyTable, RowCountsPerKind) {
    int nValid80 = 0, nValid0 = 0, nRefused80 = 0, nOem = 0, nUnassigned = 0, nOtherRefused0 = 0;
    for (int i = 0; i < VKEY_TABLE_SIZE; ++i) {
        const VKEY_INFO& info = g_aVKeyInfo[i];
        ASSERT_NE(info.pszText, nullptr) << i;
        ASSERT_TRUE(info.nMask == 0 || info.nMask == 0x80) << i;
        const std::wstring str = info.pszText;
        if (info.bValid) {
            (info.nMask ? nValid80 : nValid0)++;
        } else if (info.nMask) {
            ++nRefused80;
        } else if (str == kOem) {
            ++nOem;
        } else if (str == kUnassigned) {
            ++nUnassigned;
        } else {
            ++nOtherRefused0;
        }
    }
    EXPECT_EQ(nValid80 + nValid0, 96);
    EXPECT_EQ(nValid0, 6);
    EXPECT_EQ(nRefused80, 43);
    EXPECT_EQ(nOem, 32);
    EXPECT_EQ(nUnassigned, 83);
    EXPECT_EQ(nOtherRefused0, 2);
}

TEST(CommonVirtualKeyTable, AssignableRowsAndTheirNames) {
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(std::wstring(g_aVKeyInfo['0' + i].pszText), std::wstring(1, wchar_t(L'0' + i)));
        EXPECT_EQ(std::wstring(g_aVKeyInfo[0x60 + i].pszText), L"NumPad" + std::to_wstring(i));
    }
    for (int i = 0; i < 26; ++i)
        EXPECT_EQ(std::wstring(g_aVKeyInfo['A' + i].pszText), std::wstring(1, wchar_t(L'A' + i)));
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(std::wstring(g_aVKeyInfo[VK_F1 + i].pszText), L"F" + std::to_wstring(i + 1));
    // The sided keys never count as pressed (mask 0); only the divide key's name starts with a blank.
    const std::pair<int, const wchar_t*> named[] = {
        {VK_BACK, L"BS"}, {VK_TAB, L"Tab"}, {VK_SHIFT, L"Shift"}, {VK_CONTROL, L"Ctrl"}, {VK_MENU, L"Alt"},
        {VK_PAUSE, L"Pause"}, {VK_SPACE, L"Space"}, {VK_PRIOR, L"PageUp"}, {VK_NEXT, L"PageDown"}, {VK_END, L"End"},
        {VK_HOME, L"Home"}, {VK_LEFT, L"←"}, {VK_UP, L"↑"}, {VK_RIGHT, L"→"}, {VK_DOWN, L"↓"}, {VK_MULTIPLY, L"*"},
        {VK_ADD, L"+"}, {VK_SEPARATOR, L"."}, {VK_SUBTRACT, L"-"}, {VK_DIVIDE, L" /"},
        {VK_LSHIFT, L"Left Shift"}, {VK_RSHIFT, L"Right Shift"}, {VK_LCONTROL, L"Left Ctrl"},
        {VK_RCONTROL, L"Right Ctrl"}, {VK_LMENU, L"Left Alt"}, {VK_RMENU, L"Right Alt"},
    };
    for (const auto& [code, text] : named) {
        EXPECT_TRUE(g_aVKeyInfo[code].bValid) << code;
        EXPECT_EQ(g_aVKeyInfo[code].nMask, code >= VK_LSHIFT && code <= VK_RMENU ? 0 : 0x80) << code;
        EXPECT_STREQ(g_aVKeyInfo[code].pszText, text) << code;
    }
    for (int i = 0; i < VKEY_TABLE_SIZE; ++i)
        EXPECT_TRUE(!g_aVKeyInfo[i].bValid || i == VK_DIVIDE || g_aVKeyInfo[i].pszText[0] != L' ') << i;
}

TEST(CommonVirtualKeyTable, RefusalMessages) {
    const std::pair<int, const wchar_t*> rows[] = {
        {0x01, L" 左マウスボタンは指定できません."}, {0x02, L" 右マウスボタンは指定できません."},
        {0x03, L" Breakキーは指定できません."}, {0x04, L" 中央マウスボタンは指定できません."},
        {0x0D, L" Enterキーは指定できません."}, {0x15, L" カナキーは指定できません."},
        {0x19, L" 漢字キーは指定できません."}, {0x1C, L" 変換キーは指定できません."},
        {0x1D, L" 無変換キーは指定できません."}, {0x1F, L" IMEモード変換キーは指定できません."},
        {0x2C, L" Print Screenキーは指定できません."}, {0x5B, L" Windowsキーは指定できません."},
        {0x5C, L" Windowsキーは指定できません."}, {0x91, L" ScrollLockキーは指定できません."},
        {0xA6, L" BrowserBackは指定できません."}, {0xA8, L" BrowserRefleshキーは指定できません."},
        {0xB7, L" LaunchApp2キーは指定できません."}, {0xFD, L" Pa1キーは指定できません."},
    };
    for (const auto& [code, text] : rows) {
        EXPECT_FALSE(g_aVKeyInfo[code].bValid) << code;
        EXPECT_STREQ(g_aVKeyInfo[code].pszText, text) << code;
    }
    EXPECT_EQ(g_aVKeyInfo[0x01].nMask, 0);
    EXPECT_EQ(g_aVKeyInfo[0x04].nMask, 0x80);

    const std::wstring tail = L"は指定できません.";
    for (int i = 0; i < VKEY_TABLE_SIZE; ++i) {
        const std::wstring str = g_aVKeyInfo[i].pszText;
        EXPECT_TRUE(g_aVKeyInfo[i].bValid || (str.front() == L' ' && str.ends_with(tail))) << i;
    }
}

TEST(CommonVirtualKeyTable, OemAndUnassignedRanges) {
    for (int i = 0; i < VKEY_TABLE_SIZE; ++i) {
        const bool bOem = InRanges(i, {{0x92, 0x96}, {0xBA, 0xC0}, {0xDB, 0xDF}, {0xE2, 0xE2}, {0xE9, 0xF5}, {0xFE, 0xFE}});
        const bool bUnassigned =
            InRanges(i, {{0x00, 0x00}, {0x07, 0x07}, {0x0A, 0x0C}, {0x0E, 0x0F}, {0x16, 0x18}, {0x1A, 0x1A},
                         {0x29, 0x2B}, {0x2F, 0x2F}, {0x3A, 0x40}, {0x5E, 0x5E}, {0x6E, 0x6E}, {0x88, 0x8F},
                         {0x97, 0x9F}, {0xB8, 0xB9}, {0xC1, 0xDA}, {0xE0, 0xE1}, {0xE3, 0xE8}, {0xF6, 0xF9},
                         {0xFC, 0xFC}, {0xFF, 0xFF}});
        const std::wstring str = g_aVKeyInfo[i].pszText;
        EXPECT_EQ(str == kOem, bOem) << i;
        EXPECT_EQ(str == kUnassigned, bUnassigned) << i;
        if (bOem || bUnassigned) {
            EXPECT_FALSE(g_aVKeyInfo[i].bValid) << i;
            EXPECT_EQ(g_aVKeyInfo[i].nMask, 0) << i;
        }
    }
}

TEST(CommonVirtualKeyTable, IsAssignableChecksRange) {
    for (int n : {0, -1, 256, VK_ESCAPE, VK_F10 + 0x100})
        EXPECT_FALSE(IsAssignableVKey(n)) << n;
    EXPECT_TRUE(IsAssignableVKey(VK_F10));
    EXPECT_TRUE(IsAssignableVKey(VK_RMENU));
}

}  // namespace
