// What the position and size page reckons without a window: signed edit numbers, the limits a bar
// must keep and the message that lists the broken ones, and the preview's scaled rectangles; every
// sum and product in 64 bits, so that huge stored or typed values neither wrap past a limit nor
// into the preview.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <string>

#include "PosSizeValues.h"

using namespace PosSizeValues;

namespace {

constexpr RECT kDesktop{0, 0, 1280, 1024};

PROP_POSSIZE Horz(int x, int y, int cx, int cy)
{
    PROP_POSSIZE ps{};
    ps.nHorzOrgX = x, ps.nHorzOrgY = y, ps.nHorzWidth = cx, ps.nHorzHeight = cy;
    return ps;
}

PROP_POSSIZE Vert(int x, int y, int cx, int cy)
{
    PROP_POSSIZE ps{};
    ps.nVertOrgX = x, ps.nVertOrgY = y, ps.nVertWidth = cx, ps.nVertHeight = cy;
    return ps;
}

bool Same(const CORRECT_POSSIZE& a, const CORRECT_POSSIZE& b)
{
    return a.nBar == b.nBar && a.nKind == b.nKind && a.nField == b.nField && a.nDir == b.nDir && a.nLimit == b.nLimit;
}

bool Empty(const RECT& rc)
{
    return IsRectEmpty(&rc) != FALSE;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

} // namespace

TEST(PropertyPosSizeValues, SignedEditNumbersReadBackStoredValuesAndSaturate)
{
    EXPECT_EQ(ReadSignedNumber(L""), 0);
    EXPECT_EQ(ReadSignedNumber(L"-"), 0);
    EXPECT_EQ(ReadSignedNumber(L"-10"), -10) << "a stored negative coordinate shown in its edit reads back whole";
    EXPECT_EQ(ReadSignedNumber(L"+7"), 7);
    EXPECT_EQ(ReadSignedNumber(L"12ab"), 12);
    EXPECT_EQ(ReadSignedNumber(L"-2147483648"), INT_MIN);
    EXPECT_EQ(ReadSignedNumber(L"2147483647"), INT_MAX);
    EXPECT_EQ(ReadSignedNumber(L"4294967297"), INT_MAX) << "2^32 + 1 would wrap to 1";
    EXPECT_EQ(ReadSignedNumber(L"-99999999999999999999"), INT_MIN);
}

TEST(PropertyPosSizeValues, ABarMustKeepToTheDesktopItsProportionsAndHalfTheSystemSize)
{
    // Off both left and right: two paragraphs, left first.
    auto lst = CheckBar(Horz(-10, 0, 1300, 20), BAR_HORZ, kDesktop, 17);
    ASSERT_EQ(lst.size(), 2u);
    EXPECT_TRUE(Same(lst[0], {BAR_HORZ, KIND_OFF_DESKTOP, FIELD_X, DIR_AT_LEAST, 0}));
    EXPECT_TRUE(Same(lst[1], {BAR_HORZ, KIND_OFF_DESKTOP, FIELD_RIGHT, DIR_AT_MOST, 1280}));
    lst = CheckBar(Horz(0, 1000, 100, 30), BAR_HORZ, kDesktop, 17);
    ASSERT_EQ(lst.size(), 1u);
    EXPECT_TRUE(Same(lst[0], {BAR_HORZ, KIND_OFF_DESKTOP, FIELD_BOTTOM, DIR_AT_MOST, 1024}));
    lst = CheckBar(Vert(0, -1, 20, 100), BAR_VERT, kDesktop, 17);
    ASSERT_EQ(lst.size(), 1u);
    EXPECT_TRUE(Same(lst[0], {BAR_VERT, KIND_OFF_DESKTOP, FIELD_Y, DIR_AT_LEAST, 0}));

    // Thicker than four lengths; exactly four, the desktop's edges and half the system size pass.
    lst = CheckBar(Horz(0, 0, 100, 401), BAR_HORZ, kDesktop, 17);
    ASSERT_EQ(lst.size(), 1u);
    EXPECT_TRUE(Same(lst[0], {BAR_HORZ, KIND_HEIGHT_OVER_WIDTH, FIELD_CY, DIR_AT_MOST, 400}));
    EXPECT_TRUE(CheckBar(Horz(1180, 0, 100, 400), BAR_HORZ, kDesktop, 17).empty());
    lst = CheckBar(Vert(0, 0, 1, 100), BAR_VERT, kDesktop, 17);
    ASSERT_EQ(lst.size(), 1u);
    EXPECT_TRUE(Same(lst[0], {BAR_VERT, KIND_THIN, FIELD_CX, DIR_AT_LEAST, 8}));
    EXPECT_TRUE(CheckBar(Vert(1272, 924, 8, 100), BAR_VERT, kDesktop, 17).empty());
    lst = CheckBar(Vert(0, 0, 500, 100), BAR_VERT, kDesktop, 17);
    ASSERT_EQ(lst.size(), 1u);
    EXPECT_TRUE(Same(lst[0], {BAR_VERT, KIND_WIDTH_OVER_HEIGHT, FIELD_CX, DIR_AT_MOST, 400}));

    // Sums and products that pass 32 bits: a right edge past INT_MAX is off the desktop, not
    // wrapped to the left of it; four times a length past INT_MAX is no limit broken.
    lst = CheckBar(Horz(INT_MAX - 10, 0, 100, 20), BAR_HORZ, kDesktop, 17);
    ASSERT_EQ(lst.size(), 1u);
    EXPECT_EQ(lst[0].nField, FIELD_RIGHT);
    const RECT rcHuge{0, 0, INT_MAX, INT_MAX};
    EXPECT_TRUE(CheckBar(Horz(0, 0, 600000000, 2000000000), BAR_HORZ, rcHuge, 17).empty());
    lst = CheckBar(Horz(0, 0, -600000000, 20), BAR_HORZ, rcHuge, 17);
    ASSERT_EQ(lst.size(), 1u);
    EXPECT_EQ(lst[0].nLimit, INT_MIN) << "four times a stored length below INT_MIN/4 saturates";
}

TEST(PropertyPosSizeValues, TheCorrectionMessageListsEveryLimitAndTheFocusFollowsTheFirst)
{
    // The texts of the program's own string table: ZvProperty64.exe lies beside the test program.
    std::wstring strPath(MAX_PATH, L'\0');
    strPath.resize(GetModuleFileNameW(nullptr, strPath.data(), MAX_PATH));
    strPath = strPath.substr(0, strPath.find_last_of(L"\\/") + 1) + L"ZvProperty64.exe";
    HMODULE hProp = LoadLibraryExW(strPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(hProp, nullptr);
    EXPECT_EQ(CorrectMessage({}, hProp), L"");
    EXPECT_EQ(CorrectMessage(CheckBar(Horz(-10, 0, 1300, 20), BAR_HORZ, kDesktop, 17), hProp),
              L"以下の設定値が範囲外です."
              L"\n\n・水平スクロールバーのX座標がデスクトップをはみだします.\n  X座標を0より大きくしてください."
              L"\n\n・水平スクロールバーのX座標と幅の合計がデスクトップをはみだします.\n  X座標と幅の合計を1280より小さくしてください.");
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

    const CORRECT_POSSIZE right{BAR_HORZ, KIND_OFF_DESKTOP, FIELD_RIGHT, DIR_AT_MOST, 1280};
    const CORRECT_POSSIZE bottom{BAR_HORZ, KIND_OFF_DESKTOP, FIELD_BOTTOM, DIR_AT_MOST, 1024};
    EXPECT_EQ(FocusField(right, FIELD_CX), FIELD_CX);
    EXPECT_EQ(FocusField(right, FIELD_CY), FIELD_X);
    EXPECT_EQ(FocusField(right, 0), FIELD_X);
    EXPECT_EQ(FocusField(bottom, FIELD_CY), FIELD_CY);
    EXPECT_EQ(FocusField(bottom, FIELD_X), FIELD_Y);
    EXPECT_EQ(FocusField({BAR_VERT, KIND_THIN, FIELD_CX, DIR_AT_LEAST, 8}, FIELD_Y), FIELD_CX);
}

TEST(PropertyPosSizeValues, ThePreviewScalesIn64BitsKeepsThinBarsVisibleAndSurvivesAnEmptyWorkArea)
{
    const RECT rcWork{0, 0, 1280, 1024};
    // Scaled by 1/10; a bar thinner than 5 grows towards the middle: down near the top, left near
    // the right edge.
    EXPECT_TRUE(SameRect(PreviewBarRect(Horz(640, 0, 320, 20), BAR_HORZ, 128, 102, rcWork), {64, 0, 96, 5}));
    EXPECT_TRUE(SameRect(PreviewBarRect(Horz(0, 1004, 320, 20), BAR_HORZ, 128, 102, rcWork), {0, 97, 32, 102}));
    EXPECT_TRUE(SameRect(PreviewBarRect(Vert(1260, 100, 20, 400), BAR_VERT, 128, 102, rcWork), {123, 9, 128, 49}));
    EXPECT_TRUE(SameRect(PreviewBarRect(Vert(10, 100, 20, 400), BAR_VERT, 128, 102, rcWork), {1, 9, 6, 49}));
    // Cut to the preview; wholly outside, empty.
    EXPECT_TRUE(SameRect(PreviewBarRect(Horz(-640, 0, 1280, 100), BAR_HORZ, 128, 102, rcWork), {0, 0, 64, 9}));
    EXPECT_TRUE(Empty(PreviewBarRect(Horz(2000, 0, 100, 100), BAR_HORZ, 128, 102, rcWork)));

    // x times the preview's width passes 32 bits here; so does x plus the width.
    const RECT rcWide{0, 0, 2000000000, 1000};
    EXPECT_TRUE(SameRect(PreviewBarRect(Horz(1000000000, 0, 500000000, 100), BAR_HORZ, 200, 100, rcWide),
                         {100, 0, 150, 10}));
    EXPECT_TRUE(Empty(PreviewBarRect(Horz(INT_MAX - 5, 0, 100, 100), BAR_HORZ, 128, 102, rcWork)))
        << "far right of the work area, not wrapped into the preview";

    // A work area without width or height draws no bar (and divides by nothing).
    EXPECT_TRUE(Empty(PreviewBarRect(Horz(0, 0, 100, 20), BAR_HORZ, 128, 102, RECT{0, 0, 0, 1024})));
    EXPECT_TRUE(Empty(PreviewBarRect(Vert(0, 0, 20, 100), BAR_VERT, 128, 102, RECT{0, 0, 1280, 0})));
}
