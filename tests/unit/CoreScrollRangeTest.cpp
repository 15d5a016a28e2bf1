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

TEST(CoreScrollRange, TheBarsSeeEachReckoningThroughTheirPointersWithinTheirCappedLimits)
{
    CScrollRange range(kMargins);
    const LONG* pnLeft = &range.Get().left;
    const LONG* pnBottom = &range.Get().bottom;
    range.Calc(std::vector<RECT>{RECT{-500, 100, 200, 300}, RECT{900, 700, 1500, 1200}}, kWork);
    EXPECT_EQ(-510, *pnLeft);
    EXPECT_EQ(1240, *pnBottom);

    EXPECT_EQ(ScrollCalc::SCROLL_RANGE_LIMIT_MAX, range.LimitArea().right) << "unlimited by a bar at first";
    range.SetLimit(false, 300);
    range.SetLimit(true, 1000000);
    const RECT rcArea = range.LimitArea();
    EXPECT_EQ(300, rcArea.right);
    EXPECT_EQ(ScrollCalc::SCROLL_RANGE_LIMIT_MAX, rcArea.bottom) << "capped";
    range.Calc(std::vector<RECT>{RECT{-500, 100, 200, 50000}}, kWork);
    EXPECT_EQ(-300, *pnLeft);
    EXPECT_EQ(ScrollCalc::SCROLL_RANGE_LIMIT_MAX, *pnBottom);
}
