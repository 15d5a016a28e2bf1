// What the settings pages reckon without a window: edit numbers read with saturation, the range
// check and its message, and the record queries that decide which controls a page offers.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <string>

#include "PageValues.h"

using namespace PageValues;

TEST(PropertyPageValues, EditNumbersTakeTheLeadingDigitsAndSaturate)
{
    EXPECT_EQ(ReadNumber(L""), 0) << "an empty edit is 0, and so out of any range that starts at 1";
    EXPECT_EQ(ReadNumber(L"abc"), 0);
    EXPECT_EQ(ReadNumber(L"42"), 42);
    EXPECT_EQ(ReadNumber(L"007x9"), 7);
    EXPECT_EQ(ReadNumber(L"2147483647"), INT_MAX);
    EXPECT_EQ(ReadNumber(L"2147483648"), INT_MAX);
    // 2^32 + 1 would wrap to 1, an allowed depth.
    EXPECT_EQ(ReadNumber(L"4294967297"), INT_MAX);
    EXPECT_EQ(ReadNumber(L"99999999999999999999999999"), INT_MAX);
}

TEST(PropertyPageValues, TheUndoDepthMustLieInOneToHundred)
{
    PROP_UNDO undo{};
    RANGE_ERROR err{7, 7, 7, 7};
    for (int nDepth : {1, 50, 100}) {
        undo.nDepth = nDepth;
        EXPECT_TRUE(CheckUndoDepth(undo, 1060, &err)) << nDepth;
    }
    EXPECT_EQ(err.nLow, 7) << "a pass leaves the error as it was";
    for (int nDepth : {0, 101, -1, INT_MAX}) {
        undo.nDepth = nDepth;
        err = RANGE_ERROR{};
        EXPECT_FALSE(CheckUndoDepth(undo, 1060, &err)) << nDepth;
        EXPECT_EQ(err.nField, 1060);
        EXPECT_EQ(err.nLow, 1);
        EXPECT_EQ(err.nHigh, 100);
    }
    // The text of the program's own string table: ZvProperty64.exe lies beside the test program.
    std::wstring strPath(MAX_PATH, L'\0');
    strPath.resize(GetModuleFileNameW(nullptr, strPath.data(), MAX_PATH));
    strPath = strPath.substr(0, strPath.find_last_of(L"\\/") + 1) + L"ZvProperty64.exe";
    HMODULE hProp = LoadLibraryExW(strPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(hProp, nullptr);
    EXPECT_EQ(RangeMessage(err, hProp), L"1 から 100 までの値を入力してください.");
    FreeLibrary(hProp);
}

TEST(PropertyPageValues, TheWheelListNeedsUndoneScrollsAndABarThatTakesTheWheel)
{
    PROPERTY_SET prop;
    prop.propUndo.bScroll = TRUE;
    prop.propView.bHorizontal = TRUE;
    EXPECT_TRUE(IsUndoWheelListEnabled(prop));
    prop.propView.bHide = TRUE;
    EXPECT_FALSE(IsUndoWheelListEnabled(prop)) << "a hidden bar takes no wheel";
    prop.propView.bHide = FALSE;
    prop.propView.bHorizontal = FALSE;
    EXPECT_FALSE(IsUndoWheelListEnabled(prop)) << "no bar shown";
    prop.propView.bVertical = TRUE;
    EXPECT_TRUE(IsUndoWheelListEnabled(prop));
    prop.propUndo.bScroll = FALSE;
    EXPECT_FALSE(IsUndoWheelListEnabled(prop));

    int anTargets[3]{};
    prop.propKeybd.aKeyAssign[KEYASSIGN_UNDO].bEnable = TRUE;
    ASSERT_TRUE(GetScrlWdthTargets(prop, anTargets));
    EXPECT_EQ(anTargets[1], 0) << "the Undo key row is no scroll key";
    prop.propKeybd.aKeyAssign[KEYASSIGN_DOWN_PAGE].bEnable = TRUE;
    ASSERT_TRUE(GetScrlWdthTargets(prop, anTargets));
    EXPECT_EQ(anTargets[0], 1);
    EXPECT_EQ(anTargets[1], 1);
    EXPECT_EQ(anTargets[2], 1);
}
