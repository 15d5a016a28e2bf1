#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "AutoScroll.h"
#include "PropertySet.h"

using namespace AtScrl;

namespace {

// The section defaults: Mode 3, External 10 / 20, Internal 50 / 10, Delay 4.
PROP_ATSCRL Defaults() { return PROP_ATSCRL{3, 10, 20, 50, 10, 4}; }

// A 1280 × 1024 screen with a 40-pixel taskbar at the bottom.
constexpr RECT kWork{0, 0, 1280, 984};

EDGE_BANDS At(int x, int y, const PROP_ATSCRL& at = Defaults()) {
    return CheckAutoScroll(at, POINTER_STATE{{x, y}, false, true}, kWork, {});
}

}  // namespace

TEST(CoreAutoScroll, ModeAndButtons) {
    EXPECT_FALSE(IsArmed(0, false, false));
    EXPECT_FALSE(IsArmed(0, true, true));
    EXPECT_TRUE(IsArmed(1, false, false));
    EXPECT_FALSE(IsArmed(1, true, false));
    EXPECT_TRUE(IsArmed(2, true, false));
    EXPECT_FALSE(IsArmed(2, true, true));
    EXPECT_TRUE(IsArmed(3, false, true));
    EXPECT_FALSE(IsArmed(3, false, false));
    EXPECT_FALSE(IsArmed(3, true, true));
    EXPECT_TRUE(IsArmed(4, true, false));
    EXPECT_TRUE(IsArmed(4, true, true));
    EXPECT_FALSE(IsArmed(4, false, false));
    EXPECT_FALSE(IsArmed(5, false, true));
    EXPECT_FALSE(IsArmed(-1, false, false));

    // Mode 3 without the right button, Mode 1 with the left one: nothing at the very edge.
    const PROP_ATSCRL at = Defaults();
    EXPECT_EQ(0u, CheckAutoScroll(at, POINTER_STATE{{0, 500}, false, false}, kWork, {}).dwDirs);
    PROP_ATSCRL at1 = Defaults();
    at1.nMode = 1;
    EXPECT_EQ(0u, CheckAutoScroll(at1, POINTER_STATE{{0, 500}, true, false}, kWork, {}).dwDirs);
    EXPECT_EQ(ATSCRL_LEFT, CheckAutoScroll(at1, POINTER_STATE{{0, 500}, false, false}, kWork, {}).dwDirs);
}

TEST(CoreAutoScroll, BandsAtEachEdge) {
    EXPECT_EQ((EDGE_BANDS{ATSCRL_LEFT, TRUE, FALSE}), At(5, 500));
    EXPECT_EQ((EDGE_BANDS{ATSCRL_LEFT, FALSE, FALSE}), At(30, 500));
    EXPECT_EQ((EDGE_BANDS{ATSCRL_RIGHT, TRUE, FALSE}), At(1275, 500));
    EXPECT_EQ((EDGE_BANDS{ATSCRL_RIGHT, FALSE, FALSE}), At(1250, 500));
    EXPECT_EQ((EDGE_BANDS{ATSCRL_TOP, FALSE, TRUE}), At(640, 0));
    EXPECT_EQ((EDGE_BANDS{ATSCRL_TOP, FALSE, FALSE}), At(640, 49));
    // The bottom band ends at the work area, above the taskbar.
    EXPECT_EQ((EDGE_BANDS{ATSCRL_BOTTOM, FALSE, TRUE}), At(640, 980));
    EXPECT_EQ((EDGE_BANDS{ATSCRL_BOTTOM, FALSE, FALSE}), At(640, 950));
    EXPECT_EQ((EDGE_BANDS{0, FALSE, FALSE}), At(640, 500));
}

// The comparisons are strict: x = Internal Range is outside the left band, x = right −
// Internal Range outside the right one.
TEST(CoreAutoScroll, BandBordersAreStrict) {
    EXPECT_EQ(ATSCRL_LEFT, At(49, 500).dwDirs);
    EXPECT_EQ(0u, At(50, 500).dwDirs);
    EXPECT_TRUE(At(9, 500).bOuterH);
    EXPECT_FALSE(At(10, 500).bOuterH);
    EXPECT_EQ(0u, At(1230, 500).dwDirs);
    EXPECT_EQ(ATSCRL_RIGHT, At(1231, 500).dwDirs);
    EXPECT_FALSE(At(1270, 500).bOuterH);
    EXPECT_TRUE(At(1271, 500).bOuterH);
    // Off the screen on the left, as with a second monitor: still the left band.
    EXPECT_EQ((EDGE_BANDS{ATSCRL_LEFT, TRUE, FALSE}), At(-20, 500));
}

TEST(CoreAutoScroll, CornersTakeBothAxes) {
    EXPECT_EQ((EDGE_BANDS{ATSCRL_LEFT | ATSCRL_TOP, TRUE, TRUE}), At(0, 0));
    EXPECT_EQ((EDGE_BANDS{ATSCRL_RIGHT | ATSCRL_TOP, FALSE, TRUE}), At(1240, 3));
    EXPECT_EQ((EDGE_BANDS{ATSCRL_LEFT | ATSCRL_BOTTOM, FALSE, FALSE}), At(20, 940));
    EXPECT_EQ((EDGE_BANDS{ATSCRL_RIGHT | ATSCRL_BOTTOM, TRUE, TRUE}), At(1279, 983));
}

TEST(CoreAutoScroll, PointerOverTaskbarOrBarStops) {
    const std::vector<RECT> rcBlock = {RECT{0, 984, 1280, 1024}, RECT{1000, 0, 1200, 19}, RECT{1261, 100, 1280, 300}};
    const PROP_ATSCRL at = Defaults();
    auto check = [&](int x, int y) {
        return CheckAutoScroll(at, POINTER_STATE{{x, y}, false, true}, kWork, rcBlock).dwDirs;
    };
    EXPECT_EQ(0u, check(5, 1000));
    EXPECT_EQ(0u, check(1100, 5));
    EXPECT_EQ(0u, check(1270, 200));
    EXPECT_EQ(ATSCRL_TOP, check(500, 5));
    EXPECT_EQ(ATSCRL_RIGHT, check(1270, 500));
    // The right and bottom borders of a rectangle lie outside it.
    EXPECT_EQ(ATSCRL_TOP, check(1100, 19));
}

// The scroll goes toward the edge: right edge, positive distance, windows move left.
TEST(CoreAutoScroll, StepDistancesBySpeedAndDirection) {
    const PROP_ATSCRL at = Defaults();
    POINT pt = StepOffsets(at, At(5, 500));
    EXPECT_EQ(-20, pt.x);
    EXPECT_EQ(0, pt.y);
    pt = StepOffsets(at, At(30, 500));
    EXPECT_EQ(-10, pt.x);
    pt = StepOffsets(at, At(1275, 500));
    EXPECT_EQ(20, pt.x);
    pt = StepOffsets(at, At(640, 960));
    EXPECT_EQ(0, pt.x);
    EXPECT_EQ(10, pt.y);
    // Each axis takes its own band's speed.
    pt = StepOffsets(at, At(5, 40));
    EXPECT_EQ(-20, pt.x);
    EXPECT_EQ(-10, pt.y);
    pt = StepOffsets(at, At(640, 500));
    EXPECT_EQ(0, pt.x);
    EXPECT_EQ(0, pt.y);

    PROP_ATSCRL off = Defaults();
    off.nMode = 0;
    pt = StepOffsets(off, EDGE_BANDS{ATSCRL_LEFT | ATSCRL_TOP, TRUE, TRUE});
    EXPECT_EQ(0, pt.x);
    EXPECT_EQ(0, pt.y);
}

TEST(CoreAutoScroll, UndoSubKindAndDirectionText) {
    EXPECT_EQ(5, UndoSubKind(ATSCRL_LEFT));
    EXPECT_EQ(6, UndoSubKind(ATSCRL_BOTTOM));
    EXPECT_EQ(7, UndoSubKind(ATSCRL_RIGHT | ATSCRL_TOP));
    EXPECT_EQ(0, UndoSubKind(0));

    EXPECT_EQ(L"停止", DirText(0));
    EXPECT_EQ(L"左", DirText(ATSCRL_RIGHT));
    EXPECT_EQ(L"右", DirText(ATSCRL_LEFT));
    EXPECT_EQ(L"左上", DirText(ATSCRL_RIGHT | ATSCRL_BOTTOM));
    EXPECT_EQ(L"下", DirText(ATSCRL_TOP));
}

TEST(CoreAutoScroll, DelayByIndex) {
    const DWORD adwExpected[] = {0, 200, 500, 1000, 2000, 5000};
    for (int n = 0; n < 6; ++n) EXPECT_EQ(adwExpected[n], DelayMs(n)) << n;
    // Out of range: the nearest end of the list.
    EXPECT_EQ(0u, DelayMs(-1));
    EXPECT_EQ(5000u, DelayMs(6));
    EXPECT_EQ(5000u, DelayMs(1000));
    EXPECT_EQ(0, DelayIndex(-7));
    EXPECT_EQ(5, DelayIndex(9));
}

TEST(CoreAutoScroll, EnteringAndLeavingABand) {
    DIR_CHANGE chg = OnDirections(0, ATSCRL_LEFT, false, 4);
    EXPECT_TRUE(chg.bStart);
    EXPECT_TRUE(chg.bAddDelayItem);
    EXPECT_EQ(2000u, chg.dwDelayMs);
    EXPECT_FALSE(chg.bStartAtOnce);
    EXPECT_FALSE(chg.bStop);
    EXPECT_FALSE(chg.bLogChange);

    chg = OnDirections(ATSCRL_LEFT, ATSCRL_LEFT | ATSCRL_TOP, true, 4);
    EXPECT_FALSE(chg.bStart);
    EXPECT_FALSE(chg.bStop);
    EXPECT_TRUE(chg.bLogChange);

    // After the delay the item is gone: a change is no longer logged.
    EXPECT_FALSE(OnDirections(ATSCRL_LEFT, ATSCRL_TOP, false, 4).bLogChange);

    chg = OnDirections(ATSCRL_TOP, 0, true, 4);
    EXPECT_TRUE(chg.bStop);
    EXPECT_TRUE(chg.bLogChange);
    EXPECT_FALSE(chg.bStart);

    chg = OnDirections(0, 0, false, 4);
    EXPECT_FALSE(chg.bStart || chg.bStop || chg.bLogChange || chg.bAddDelayItem || chg.bStartAtOnce);

    // A delay item left over is not added again.
    chg = OnDirections(0, ATSCRL_RIGHT, true, 4);
    EXPECT_TRUE(chg.bStart);
    EXPECT_FALSE(chg.bAddDelayItem);
    EXPECT_FALSE(chg.bStartAtOnce);
}

// Delay 0 has no timer item to wait for (a 0 ms item is refused): the ticks start now.
TEST(CoreAutoScroll, DelayZeroStartsAtOnce) {
    DIR_CHANGE chg = OnDirections(0, ATSCRL_BOTTOM, false, 0);
    EXPECT_TRUE(chg.bStart);
    EXPECT_TRUE(chg.bStartAtOnce);
    EXPECT_FALSE(chg.bAddDelayItem);
    chg = OnDirections(0, ATSCRL_BOTTOM, false, -3);
    EXPECT_TRUE(chg.bStartAtOnce);
    chg = OnDirections(0, ATSCRL_BOTTOM, false, 1);
    EXPECT_FALSE(chg.bStartAtOnce);
    EXPECT_TRUE(chg.bAddDelayItem);
    EXPECT_EQ(200u, chg.dwDelayMs);
}
