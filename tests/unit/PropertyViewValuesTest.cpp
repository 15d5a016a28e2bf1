// What the view page reckons without a window: the speed trackbar runs against View "Speed", and
// the last route to the tray menu cannot be switched off while the menu key is disabled.
#include <gtest/gtest.h>

#include <string>

#include "ViewValues.h"

using namespace ViewValues;

TEST(PropertyViewValues, TheSpeedTrackbarRunsAgainstTheSpeed)
{
    EXPECT_EQ(SpeedPos(SPEED_HIGH), SPEED_LOW) << "slowest at the left end";
    EXPECT_EQ(SpeedPos(SPEED_LOW), SPEED_HIGH);
    for (int n = SPEED_LOW; n <= SPEED_HIGH; ++n)
        EXPECT_EQ(SpeedPos(SpeedPos(n)), n);
}

TEST(PropertyViewValues, TheLastRouteToTheMenuCannotBeSwitchedOff)
{
    PROPERTY_SET prop;
    PROP_VIEW& view = prop.propView;
    BOOL ab[3]{};
    const auto routes = [&](BOOL bH, BOOL bV, BOOL bT, BOOL bM) {
        view.bHorizontal = bH, view.bVertical = bV, view.bTrayIcon = bT;
        prop.propKeybd.aKeyAssign[KEYASSIGN_MENU].bEnable = bM;
        GetMenuRouteEnabled(prop, ab);
        return std::to_string(ab[0]) + std::to_string(ab[1]) + std::to_string(ab[2]);
    };
    EXPECT_EQ(routes(TRUE, FALSE, FALSE, FALSE), "011") << "only the horizontal bar is left";
    EXPECT_EQ(routes(TRUE, TRUE, FALSE, FALSE), "111");
    EXPECT_EQ(routes(FALSE, TRUE, FALSE, FALSE), "101");
    EXPECT_EQ(routes(FALSE, FALSE, TRUE, FALSE), "110");
    EXPECT_EQ(routes(FALSE, FALSE, TRUE, TRUE), "111") << "the menu key is a route too";
    EXPECT_EQ(routes(TRUE, FALSE, FALSE, TRUE), "111");
    EXPECT_EQ(routes(FALSE, FALSE, FALSE, FALSE), "111") << "nothing on: nothing to keep";
}
