#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "AutoScroll.h"
#include "PropertySet.h"

using namespace AtScrl;

namespace {

// The section defaults: Mode 3, External 10 / 20, Internal 50 / 10, Delay 4.
PROP_ATSCRL Defaults() { return PROP_ATSCRL{3, 10, 20, 50, 10, 4}; }

// A 1280 × 1024 screen with a 40-pixel taskbar at the bottom.
constexpr RECT kWork{0, 0, 1280, 984};

EDGE_BANDS At(int x, int y, const std::vector<RECT>& rcBlock = {}) {
    return CheckAutoScroll(Defaults(), POINTER_STATE{{x, y}, false, true}, kWork, rcBlock);
}

}  // namespace

TEST(CoreAutoScroll, ModeAndButtons) {
    // {mode, left, right, armed}: 0 off, 1 no button, 2 left only, 3 right only, 4 any button.
    const int cases[][4] = {{0, 0, 0, 0}, {0, 1, 1, 0}, {1, 0, 0, 1}, {1, 1, 0, 0}, {2, 1, 0, 1},
                            {2, 1, 1, 0}, {3, 0, 1, 1}, {3, 0, 0, 0}, {3, 1, 1, 0}, {4, 1, 0, 1},
                            {4, 1, 1, 1}, {4, 0, 0, 0}, {5, 0, 1, 0}, {-1, 0, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(c[3] != 0, IsArmed(c[0], c[1] != 0, c[2] != 0)) << "Mode " << c[0] << ", buttons " << c[1] << c[2];

    // Mode 3 without the right button, Mode 1 with the left one: nothing at the very edge.
    const auto edge = [](int nMode, bool bLeft, bool bRight) {
        return CheckAutoScroll(PROP_ATSCRL{nMode, 10, 20, 50, 10, 4}, POINTER_STATE{{0, 500}, bLeft, bRight}, kWork, {}).dwDirs;
    };
    EXPECT_EQ(0u, edge(3, false, false));
    EXPECT_EQ(0u, edge(1, true, false));
    EXPECT_EQ(ATSCRL_LEFT, edge(1, false, false));
}

// Inner band: Internal Range, its outer part External Range; the comparisons are strict, and the
// bottom band ends at the work area, above the taskbar.
TEST(CoreAutoScroll, EdgeBands) {
    constexpr DWORD L = ATSCRL_LEFT, R = ATSCRL_RIGHT, T = ATSCRL_TOP, B = ATSCRL_BOTTOM;
    const struct { int x, y; EDGE_BANDS bands; } cases[] = {
        {5, 500, {L, TRUE, FALSE}},   {30, 500, {L, FALSE, FALSE}},   {9, 500, {L, TRUE, FALSE}},
        {10, 500, {L, FALSE, FALSE}}, {49, 500, {L, FALSE, FALSE}},   {50, 500, {0, FALSE, FALSE}},
        {1230, 500, {0, FALSE, FALSE}}, {1231, 500, {R, FALSE, FALSE}}, {1270, 500, {R, FALSE, FALSE}},
        {1271, 500, {R, TRUE, FALSE}}, {640, 0, {T, FALSE, TRUE}},     {640, 49, {T, FALSE, FALSE}},
        {640, 980, {B, FALSE, TRUE}}, {640, 950, {B, FALSE, FALSE}},  {-20, 500, {L, TRUE, FALSE}},  // a second monitor
        {0, 0, {L | T, TRUE, TRUE}},  {1240, 3, {R | T, FALSE, TRUE}}, {20, 940, {L | B, FALSE, FALSE}},
        {1279, 983, {R | B, TRUE, TRUE}},
    };
    for (const auto& c : cases) {
        const EDGE_BANDS got = At(c.x, c.y);
        EXPECT_EQ(std::tuple(c.bands.dwDirs, c.bands.bOuterH, c.bands.bOuterV), std::tuple(got.dwDirs, got.bOuterH, got.bOuterV))
            << c.x << "," << c.y;
    }
}

TEST(CoreAutoScroll, PointerOverTaskbarOrBarStops) {
    const std::vector<RECT> rcBlock = {RECT{0, 984, 1280, 1024}, RECT{1000, 0, 1200, 19}, RECT{1261, 100, 1280, 300}};
    EXPECT_EQ(0u, At(5, 1000, rcBlock).dwDirs);
    EXPECT_EQ(0u, At(1100, 5, rcBlock).dwDirs);
    EXPECT_EQ(0u, At(1270, 200, rcBlock).dwDirs);
    EXPECT_EQ(ATSCRL_TOP, At(500, 5, rcBlock).dwDirs);
    EXPECT_EQ(ATSCRL_RIGHT, At(1270, 500, rcBlock).dwDirs);
    EXPECT_EQ(ATSCRL_TOP, At(1100, 19, rcBlock).dwDirs) << "the bottom border of a rectangle lies outside it";
}

// The scroll goes toward the edge: right edge, positive distance, windows move left. Each axis
// takes its own band's speed.
TEST(CoreAutoScroll, StepDistancesBySpeedAndDirection) {
    const struct { int x, y; LONG dx, dy; } cases[] = {
        {5, 500, -20, 0}, {30, 500, -10, 0}, {1275, 500, 20, 0}, {640, 960, 0, 10}, {5, 40, -20, -10}, {640, 500, 0, 0},
    };
    for (const auto& c : cases) {
        const POINT pt = StepOffsets(Defaults(), At(c.x, c.y));
        EXPECT_EQ(std::pair(c.dx, c.dy), std::pair(pt.x, pt.y)) << c.x << "," << c.y;
    }
    const POINT pt = StepOffsets(PROP_ATSCRL{0, 10, 20, 50, 10, 4}, EDGE_BANDS{ATSCRL_LEFT | ATSCRL_TOP, TRUE, TRUE});
    EXPECT_EQ(std::pair(0L, 0L), std::pair(pt.x, pt.y)) << "Mode 0";
}

TEST(CoreAutoScroll, UndoSubKindDirectionTextAndDelay) {
    EXPECT_EQ((std::vector<int>{5, 6, 7, 0}),
              (std::vector<int>{UndoSubKind(ATSCRL_LEFT), UndoSubKind(ATSCRL_BOTTOM), UndoSubKind(ATSCRL_RIGHT | ATSCRL_TOP), UndoSubKind(0)}));

    // The way the windows go, away from the edge.
    EXPECT_EQ((std::vector<std::wstring>{L"停止", L"左", L"右", L"左上", L"下"}),
              (std::vector<std::wstring>{DirText(0), DirText(ATSCRL_RIGHT), DirText(ATSCRL_LEFT),
                                         DirText(ATSCRL_RIGHT | ATSCRL_BOTTOM), DirText(ATSCRL_TOP)}));

    // Out of range: the nearest end of the list.
    std::vector<DWORD> delays;
    for (int n = -1; n <= 7; ++n) delays.push_back(DelayMs(n));
    EXPECT_EQ((std::vector<DWORD>{0, 0, 200, 500, 1000, 2000, 5000, 5000, 5000}), delays);
    EXPECT_EQ((std::pair{0, 5}), std::pair(DelayIndex(-7), DelayIndex(9)));
}

// A delay item running when a change comes in logs it; after the delay it is gone. A delay item
// left over is not added again. Delay 0 has no timer item to wait for (a 0 ms item is refused):
// the ticks start now.
TEST(CoreAutoScroll, EnteringAndLeavingABand) {
    using CHANGE = std::tuple<bool, bool, DWORD, bool, bool, bool>;  // start, add delay item, delay, at once, stop, log
    const struct { DWORD dwPrev, dwNow; bool bItem; int nDelay; CHANGE chg; } cases[] = {
        {0, ATSCRL_LEFT, false, 4, {true, true, 2000, false, false, false}},
        {ATSCRL_LEFT, ATSCRL_LEFT | ATSCRL_TOP, true, 4, {false, false, 0, false, false, true}},
        {ATSCRL_LEFT, ATSCRL_TOP, false, 4, {false, false, 0, false, false, false}},
        {ATSCRL_TOP, 0, true, 4, {false, false, 0, false, true, true}},
        {0, 0, false, 4, {false, false, 0, false, false, false}},
        {0, ATSCRL_RIGHT, true, 4, {true, false, 0, false, false, true}},
        {0, ATSCRL_BOTTOM, false, 0, {true, false, 0, true, false, false}},
        {0, ATSCRL_BOTTOM, false, -3, {true, false, 0, true, false, false}},
        {0, ATSCRL_BOTTOM, false, 1, {true, true, 200, false, false, false}},
    };
    for (const auto& c : cases) {
        const DIR_CHANGE d = OnDirections(c.dwPrev, c.dwNow, c.bItem, c.nDelay);
        EXPECT_EQ(c.chg, CHANGE(d.bStart, d.bAddDelayItem, d.dwDelayMs, d.bStartAtOnce, d.bStop, d.bLogChange))
            << c.dwPrev << " -> " << c.dwNow << ", item " << c.bItem << ", Delay " << c.nDelay;
    }
}
