// The scroll range the window keeps: reckoned from the windows within the bars' limits, and read by
// the bars through the edges' addresses.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "ScrollRange.h"

namespace {

constexpr ScrollCalc::SCROLL_MARGINS kMargins{10, 20, 30, 40};
constexpr RECT kWork{0, 0, 1000, 800};

}  // namespace

TEST(CoreScrollRange, TheRangeHoldsTheWindowsAndTheBarsSeeItThroughTheirPointers)
{
    CScrollRange range(kMargins);
    const LONG* pnLeft = &range.Get().left;
    const LONG* pnBottom = &range.Get().bottom;

    range.Calc(std::vector<RECT>{RECT{-500, 100, 200, 300}, RECT{900, 700, 1500, 1200}}, kWork);
    EXPECT_EQ(-510, *pnLeft);
    EXPECT_EQ(1520, range.Get().right);
    EXPECT_EQ(-30, range.Get().top);
    EXPECT_EQ(1240, *pnBottom);

    // Without windows: the work area and the margins.
    range.Calc({}, kWork);
    EXPECT_EQ(-10, *pnLeft);
    EXPECT_EQ(840, *pnBottom);
}

TEST(CoreScrollRange, ABarsLimitIsCappedAndHoldsTheRangeAndTheArrangementArea)
{
    CScrollRange range(kMargins);
    EXPECT_EQ(ScrollCalc::SCROLL_RANGE_LIMIT_MAX, range.LimitArea().right) << "unlimited by a bar at first";

    range.SetLimit(false, 2000);
    range.SetLimit(true, 1000000);
    const RECT rcArea = range.LimitArea();
    EXPECT_EQ(0, rcArea.left);
    EXPECT_EQ(0, rcArea.top);
    EXPECT_EQ(2000, rcArea.right);
    EXPECT_EQ(ScrollCalc::SCROLL_RANGE_LIMIT_MAX, rcArea.bottom) << "capped";

    range.Calc(std::vector<RECT>{RECT{-5000, -5000, 5000, 50000}}, kWork);
    EXPECT_EQ(-2000, range.Get().left);
    EXPECT_EQ(2000, range.Get().right);
    EXPECT_EQ(-5030, range.Get().top) << "within the vertical limit";
    EXPECT_EQ(ScrollCalc::SCROLL_RANGE_LIMIT_MAX, range.Get().bottom);
}
