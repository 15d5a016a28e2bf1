// The position and size page's reckoning: signed edit numbers, the limits of a bar and their
// message, the preview's rectangles; sums and products of huge values taken without wrapping.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <string>

#include "PosSizeValues.h"

using namespace PosSizeValues;

namespace {

constexpr RECT kDesktop{0, 0, 1280, 1024};

PROP_POSSIZE Bar(int nBar, int x, int y, int cx, int cy)
{
    PROP_POSSIZE ps{};
    BarField(ps, nBar, FIELD_X) = x, BarField(ps, nBar, FIELD_Y) = y;
    BarField(ps, nBar, FIELD_CX) = cx, BarField(ps, nBar, FIELD_CY) = cy;
    return ps;
}

// The broken limits as "kind.field.dir.limit" runs.
std::string Check(int nBar, int x, int y, int cx, int cy, const RECT& rcDesktop = kDesktop)
{
    std::string str;
    for (const CORRECT_POSSIZE& c : CheckBar(Bar(nBar, x, y, cx, cy), nBar, rcDesktop, 17))
        str += std::to_string(c.nKind) + "." + std::to_string(c.nField) + "." + std::to_string(c.nDir) + "." +
               std::to_string(c.nLimit) + " ";
    return str;
}

std::string Preview(int nBar, int x, int y, int cx, int cy, const RECT& rcWork = kDesktop, int nW = 128, int nH = 102)
{
    const RECT rc = PreviewBarRect(Bar(nBar, x, y, cx, cy), nBar, nW, nH, rcWork);
    return IsRectEmpty(&rc) ? "empty"
                            : std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) +
                                  "," + std::to_string(rc.bottom);
}

} // namespace

TEST(PropertyPosSizeValues, SignedEditNumbersReadBackStoredValuesAndSaturate)
{
    EXPECT_EQ(ReadSignedNumber(L""), 0);
    EXPECT_EQ(ReadSignedNumber(L"-10"), -10) << "a stored negative coordinate shown in its edit reads back whole";
    EXPECT_EQ(ReadSignedNumber(L"12ab"), 12);
    EXPECT_EQ(ReadSignedNumber(L"-2147483648"), INT_MIN);
    EXPECT_EQ(ReadSignedNumber(L"4294967297"), INT_MAX) << "2^32 + 1 would wrap to 1";
    EXPECT_EQ(ReadSignedNumber(L"-99999999999999999999"), INT_MIN);
}

TEST(PropertyPosSizeValues, ABarKeepsToTheDesktopItsProportionsAndHalfTheSystemSizeIn64Bits)
{
    EXPECT_EQ(Check(BAR_HORZ, -10, 0, 1300, 20), "1.1.2.0 1.5.1.1280 ") << "left first, then right";
    EXPECT_EQ(Check(BAR_VERT, 0, -1, 20, 1030), "1.2.2.0 1.6.1.1024 ");
    EXPECT_EQ(Check(BAR_HORZ, 0, 0, 100, 401), "3.4.1.400 ");
    EXPECT_EQ(Check(BAR_VERT, 0, 0, 500, 100), "2.3.1.400 ");
    EXPECT_EQ(Check(BAR_VERT, 0, 0, 1, 100), "4.3.2.8 ");
    // At a limit is within it.
    EXPECT_EQ(Check(BAR_HORZ, 1180, 0, 100, 400), "");
    EXPECT_EQ(Check(BAR_VERT, 1272, 924, 8, 100), "");
    // A right edge past INT_MAX is off the desktop, not wrapped to its left; four times a length
    // past INT_MAX breaks nothing, and one below INT_MIN saturates.
    EXPECT_EQ(Check(BAR_HORZ, INT_MAX - 10, 0, 100, 20), "1.5.1.1280 ");
    EXPECT_EQ(Check(BAR_HORZ, 0, 0, 600000000, 2000000000, RECT{0, 0, INT_MAX, INT_MAX}), "");
    EXPECT_EQ(Check(BAR_HORZ, 0, 0, -600000000, 20, RECT{0, 0, INT_MAX, INT_MAX}),
              "3.4.1." + std::to_string(INT_MIN) + " ");

    // The first limit sends the user to its edit; an edge to the size edit only when it had the focus.
    const CORRECT_POSSIZE right{BAR_HORZ, KIND_OFF_DESKTOP, FIELD_RIGHT, DIR_AT_MOST, 1280};
    const CORRECT_POSSIZE bottom{BAR_HORZ, KIND_OFF_DESKTOP, FIELD_BOTTOM, DIR_AT_MOST, 1024};
    EXPECT_EQ(FocusField(right, FIELD_CX), FIELD_CX);
    EXPECT_EQ(FocusField(right, FIELD_CY), FIELD_X);
    EXPECT_EQ(FocusField(bottom, FIELD_CY), FIELD_CY);
    EXPECT_EQ(FocusField(bottom, 0), FIELD_Y);
    EXPECT_EQ(FocusField({BAR_VERT, KIND_THIN, FIELD_CX, DIR_AT_LEAST, 8}, FIELD_Y), FIELD_CX);
}

TEST(PropertyPosSizeValues, TheCorrectionMessageTellsEveryLimitInTheProgramsWords)
{
    std::wstring strPath(MAX_PATH, L'\0');
    strPath.resize(GetModuleFileNameW(nullptr, strPath.data(), MAX_PATH));
    strPath = strPath.substr(0, strPath.find_last_of(L"\\/") + 1) + L"ZvProperty64.exe";
    HMODULE hProp = LoadLibraryExW(strPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(hProp, nullptr);
    EXPECT_EQ(CorrectMessage({}, hProp), L"");
    EXPECT_EQ(CorrectMessage({{BAR_VERT, KIND_THIN, FIELD_CX, DIR_AT_LEAST, 8},
                              {BAR_VERT, KIND_WIDTH_OVER_HEIGHT, FIELD_CX, DIR_AT_MOST, 40},
                              {BAR_HORZ, KIND_HEIGHT_OVER_WIDTH, FIELD_CY, DIR_AT_MOST, 40},
                              {BAR_VERT, KIND_OFF_DESKTOP, FIELD_BOTTOM, DIR_AT_MOST, 1024}},
                             hProp),
              L"以下の設定値が範囲外です."
              L"\n\n・垂直スクロールバーの幅がWindows設定値の半分未満です.\n  幅を8より大きくしてください."
              L"\n\n・垂直スクロールバーの幅が高さの4倍を超えています.\n  幅を40より小さくしてください."
              L"\n\n・水平スクロールバーの高さが幅の4倍を超えています.\n  高さを40より小さくしてください."
              L"\n\n・垂直スクロールバーのY座標と高さの合計がデスクトップをはみだします.\n  Y座標と高さの合計を1024より小さくしてください.");
    FreeLibrary(hProp);
}

TEST(PropertyPosSizeValues, ThePreviewScalesIn64BitsKeepsThinBarsVisibleAndSurvivesAnEmptyWorkArea)
{
    // Scaled by 1/10; a bar thinner than 5 grows towards the middle.
    EXPECT_EQ(Preview(BAR_HORZ, 640, 0, 320, 20), "64,0,96,5");
    EXPECT_EQ(Preview(BAR_HORZ, 0, 1004, 320, 20), "0,97,32,102");
    EXPECT_EQ(Preview(BAR_VERT, 1260, 100, 20, 400), "123,9,128,49");
    EXPECT_EQ(Preview(BAR_VERT, 10, 100, 20, 400), "1,9,6,49");
    EXPECT_EQ(Preview(BAR_HORZ, -640, 0, 1280, 100), "0,0,64,9") << "cut to the preview";
    EXPECT_EQ(Preview(BAR_HORZ, 2000, 0, 100, 100), "empty");
    // x times the preview's width, and x plus the width, pass 32 bits.
    EXPECT_EQ(Preview(BAR_HORZ, 1000000000, 0, 500000000, 100, RECT{0, 0, 2000000000, 1000}, 200, 100), "100,0,150,10");
    EXPECT_EQ(Preview(BAR_HORZ, INT_MAX - 5, 0, 100, 100), "empty") << "far right, not wrapped into the preview";
    // A work area without width or height draws no bar.
    EXPECT_EQ(Preview(BAR_HORZ, 0, 0, 100, 20, RECT{0, 0, 0, 1024}), "empty");
    EXPECT_EQ(Preview(BAR_VERT, 0, 0, 20, 100, RECT{0, 0, 1280, 0}), "empty");
}
