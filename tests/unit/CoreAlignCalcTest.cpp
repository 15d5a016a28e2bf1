// Core: where the arrangements put windows. Sizes are kept; cascade and the tilings carry their
// running position from window to window and start again with the first of an arrangement.
#include <gtest/gtest.h>
#include <windows.h>

#include <list>
#include <utility>
#include <vector>

#include "AlignCalc.h"

using namespace AlignCalc;

namespace {

RECT Wnd(int x, int y, int w, int h)
{
    return RECT{x, y, x + w, y + h};
}

using PLACE_FN = RECT (*)(const RECT&, const RECT&, PLACE_STATE&, bool);

// The top-left corners an arrangement gives a run of windows, and the size each kept.
std::vector<POINT> Corners(PLACE_FN fn, const std::vector<RECT>& rcs, const RECT& rcArea, PLACE_STATE& st)
{
    std::vector<POINT> pts;
    for (size_t i = 0; i < rcs.size(); ++i) {
        const RECT rc = fn(rcs[i], rcArea, st, i == 0);
        EXPECT_EQ(rc.right - rc.left, rcs[i].right - rcs[i].left);
        EXPECT_EQ(rc.bottom - rc.top, rcs[i].bottom - rcs[i].top);
        pts.push_back(POINT{rc.left, rc.top});
    }
    return pts;
}

std::vector<std::pair<int, int>> Pairs(const std::vector<POINT>& pts)
{
    std::vector<std::pair<int, int>> v;
    for (const POINT& pt : pts)
        v.emplace_back(pt.x, pt.y);
    return v;
}

bool Same(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

}  // namespace

TEST(CoreAlignCalc, CentreUsesTheAreaSizeOnlyAndKeepsTheSize)
{
    EXPECT_TRUE(Same(Wnd(440, 362, 400, 300), PlaceCenter(Wnd(-900, 77, 400, 300), Wnd(0, 0, 1280, 1024))));
    // A work area that does not start at the origin: its left and top are not added.
    EXPECT_TRUE(Same(Wnd(440, 347, 400, 300), PlaceCenter(Wnd(5, 5, 400, 300), RECT{0, 30, 1280, 1024})));
    // Larger than the area: the corner goes off it, the size stays.
    EXPECT_TRUE(Same(Wnd(-60, -10, 1400, 1044), PlaceCenter(Wnd(0, 0, 1400, 1044), Wnd(0, 0, 1280, 1024))));
}

TEST(CoreAlignCalc, CascadeStepsOneCaptionAndAThirdAndWrapsEachAxisAtTheAreaEdge)
{
    auto cascade = [](const RECT& rc, const RECT& rcArea, PLACE_STATE& st, bool bFirst) {
        return PlaceCascade(rc, rcArea, 19, st, bFirst);
    };
    PLACE_STATE st;
    const std::vector<RECT> rcs(4, Wnd(500, 500, 300, 200));
    EXPECT_EQ(Pairs(Corners(cascade, rcs, Wnd(0, 0, 1280, 1024), st)),
              (std::vector<std::pair<int, int>>{{0, 0}, {24, 24}, {48, 48}, {72, 72}}));
    // A narrow, flat area: y passes 50 first and starts again while x goes on.
    EXPECT_EQ(Pairs(Corners(cascade, rcs, Wnd(0, 0, 100, 50), st)),
              (std::vector<std::pair<int, int>>{{0, 0}, {24, 24}, {48, 48}, {72, 0}}));
}

TEST(CoreAlignCalc, TileInRowsFillsARowPastTheEdgeThenStartsBelowTheTallestSoFar)
{
    PLACE_STATE st;
    const RECT rcArea = Wnd(0, 0, 3000, 3000);
    const std::vector<RECT> rcs = {Wnd(9, 9, 1000, 200), Wnd(9, 9, 1000, 500), Wnd(9, 9, 1000, 100),
                                   Wnd(9, 9, 1000, 100), Wnd(9, 9, 1000, 100), Wnd(9, 9, 2500, 50),
                                   Wnd(9, 9, 100, 100)};
    // After the third window x is 3000, which does not pass the edge: the fourth goes there too.
    EXPECT_EQ(Pairs(Corners(&PlaceTileHorz, rcs, rcArea, st)),
              (std::vector<std::pair<int, int>>{{0, 0}, {1000, 0}, {2000, 0}, {3000, 0}, {0, 500}, {1000, 500},
                                                {0, 1000}}));
    // The first window of the next arrangement starts afresh.
    EXPECT_EQ(Pairs(Corners(&PlaceTileHorz, {Wnd(7, 7, 10, 10)}, rcArea, st)),
              (std::vector<std::pair<int, int>>{{0, 0}}));
}

TEST(CoreAlignCalc, TileInColumnsGoesDownPastTheEdgeThenRightByTheWidestSoFar)
{
    PLACE_STATE st;
    const std::vector<RECT> rcs = {Wnd(0, 0, 300, 400), Wnd(0, 0, 500, 400), Wnd(0, 0, 200, 400),
                                   Wnd(0, 0, 100, 400), Wnd(0, 0, 100, 400)};
    EXPECT_EQ(Pairs(Corners(&PlaceTileVert, rcs, Wnd(0, 0, 2000, 1000), st)),
              (std::vector<std::pair<int, int>>{{0, 0}, {0, 400}, {0, 800}, {500, 0}, {500, 400}}));
}

TEST(CoreAlignCalc, TheFrontWindowComesFirstAndTheOthersKeepTheirZOrder)
{
    const auto h = [](INT_PTR n) { return reinterpret_cast<HWND>(n); };
    const std::list<HWND> lst{h(1), h(2), h(3), h(4)};
    EXPECT_EQ(AlignCalc::FrontFirst(lst, h(3)), (std::list<HWND>{h(3), h(1), h(2), h(4)}));
    EXPECT_EQ(AlignCalc::FrontFirst(lst, h(1)), lst);
    EXPECT_EQ(AlignCalc::FrontFirst(lst, h(4)), (std::list<HWND>{h(4), h(1), h(2), h(3)}));
    // A front window the arrangement does not move, or none, changes nothing.
    EXPECT_EQ(AlignCalc::FrontFirst(lst, h(9)), lst);
    EXPECT_EQ(AlignCalc::FrontFirst(lst, nullptr), lst);
    EXPECT_TRUE(AlignCalc::FrontFirst({}, h(1)).empty());
}
