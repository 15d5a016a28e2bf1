// Core: the geometry of window tracking: how far an activated window's desktop scrolls (minimum
// distance, centre), the fit of an oversize window with its 8-pixel tolerance, the undo sub-kind of
// the scroll and the window maximised on the screen.
#include <gtest/gtest.h>
#include <windows.h>

#include "TrackCalc.h"
#include "UndoKind.h"

using namespace TrackCalc;

namespace {

constexpr RECT kWork{0, 0, 1280, 1024};

RECT Wnd(int x, int y, int w, int h)
{
    return RECT{x, y, x + w, y + h};
}

POINT Move(int nMode, const RECT& rc)
{
    const std::optional<POINT> pt = IntoViewMove(nMode, rc, kWork);
    EXPECT_TRUE(pt.has_value());
    return pt.value_or(POINT{-99999, -99999});
}

}  // namespace

TEST(CoreTrackCalc, MinimumDistanceCentreAndOtherModes)
{
    const RECT rcOut = Wnd(1180, 200, 400, 300);  // right edge 300 beyond the work area's
    EXPECT_EQ(Move(ACTIVATE_MIN_DISTANCE, rcOut).x, -300);
    EXPECT_EQ(Move(ACTIVATE_MIN_DISTANCE, rcOut).y, 0);
    EXPECT_EQ(Move(ACTIVATE_MIN_DISTANCE, Wnd(-250, 100, 400, 300)).x, 250) << "left edge to 0";
    EXPECT_EQ(Move(ACTIVATE_MIN_DISTANCE, Wnd(100, -40, 400, 300)).y, 40) << "top edge to 0";
    EXPECT_EQ(Move(ACTIVATE_MIN_DISTANCE, Wnd(100, 900, 400, 300)).y, -176) << "bottom edge to 1024";
    const POINT both = Move(ACTIVATE_MIN_DISTANCE, Wnd(3000, 2000, 400, 300));
    EXPECT_TRUE(both.x == 1280 - 400 - 3000 && both.y == 1024 - 300 - 2000);
    const POINT inside = Move(ACTIVATE_MIN_DISTANCE, Wnd(0, 0, 1280, 1024));
    EXPECT_TRUE(inside.x == 0 && inside.y == 0) << "exactly filling the area is inside";
    // A work area starting right of 0 still takes 0 as the left limit.
    const std::optional<POINT> pt = IntoViewMove(ACTIVATE_MIN_DISTANCE, Wnd(50, 0, 200, 100), RECT{100, 0, 1280, 1024});
    EXPECT_EQ(pt.value_or(POINT{-1, -1}).x, 0);

    // Centre: only the axis on which the window sticks out.
    const POINT c = Move(ACTIVATE_CENTER, rcOut);
    EXPECT_EQ(rcOut.left + c.x, 440) << "centred horizontally";
    EXPECT_EQ(c.y, 0) << "inside vertically: left alone";
    const POINT up = Move(ACTIVATE_CENTER, Wnd(100, -500, 401, 301));
    EXPECT_TRUE(up.x == 0 && up.y == (1024 - 301) / 2 + 500);
    // Wider than the area: (1280 - 1289) / 2 truncates toward zero to -4, not -5.
    EXPECT_EQ(Move(ACTIVATE_CENTER, Wnd(-10, 0, 1289, 100)).x, -4 + 10);

    for (int nMode : {ACTIVATE_NONE, 3, -1})
        EXPECT_FALSE(IntoViewMove(nMode, rcOut, kWork).has_value()) << nMode;
}

TEST(CoreTrackCalc, EightPixelsTooWideStaysNinePixelsIsFittedToTheWorkArea)
{
    const FIT_RESULT r8 = FitToWorkArea(Wnd(100, 50, 1288, 1032), kWork);
    EXPECT_FALSE(r8.bShrunk);
    EXPECT_TRUE(r8.rc.right == 100 + 1288 && r8.rc.bottom == 50 + 1032);
    const FIT_RESULT r9 = FitToWorkArea(Wnd(100, 50, 1289, 300), kWork);
    EXPECT_TRUE(r9.bShrunk);
    EXPECT_TRUE(r9.rc.left == 100 && r9.rc.right == 100 + 1280);
    EXPECT_EQ(r9.rc.bottom, 50 + 300) << "the height fitted already";
    const FIT_RESULT rTall = FitToWorkArea(Wnd(100, 50, 300, 1033), kWork);
    EXPECT_TRUE(rTall.bShrunk);
    EXPECT_TRUE(rTall.rc.bottom == 50 + 1024 && rTall.rc.right == 400);
    EXPECT_TRUE(FitToWorkArea(Wnd(0, 0, 1189, 100), RECT{100, 0, 1280, 1024}).bShrunk) << "the width counts, not the right";

    // A fitted window then needs the move of a window of the area's width; within the tolerance
    // it sticks out by its 8 pixels and is moved by them.
    EXPECT_EQ(Move(ACTIVATE_MIN_DISTANCE, r9.rc).x, -100);
    EXPECT_EQ(Move(ACTIVATE_MIN_DISTANCE, Wnd(0, 0, 1288, 100)).x, -8);
}

TEST(CoreTrackCalc, SubKindAndAWindowMaximisedOnTheScreen)
{
    EXPECT_EQ(ScrollSubKind(-300, 0), UNDO_ALIGN_SCROLL_H);
    EXPECT_EQ(ScrollSubKind(0, 12), UNDO_ALIGN_SCROLL_V);
    EXPECT_EQ(ScrollSubKind(5, -5), UNDO_ALIGN_SCROLL);
    EXPECT_EQ(ScrollSubKind(0, 0), UNDO_ALIGN_NONE);

    EXPECT_TRUE(IsMaximizedOnScreen(SW_SHOWMAXIMIZED, Wnd(-4, -4, 1288, 1032)));
    EXPECT_TRUE(IsMaximizedOnScreen(SW_SHOWMAXIMIZED, Wnd(0, 0, 1280, 1024)));
    EXPECT_FALSE(IsMaximizedOnScreen(SW_SHOWMAXIMIZED, Wnd(-5, -4, 1290, 1032))) << "past the border";
    EXPECT_FALSE(IsMaximizedOnScreen(SW_SHOWMAXIMIZED, Wnd(-4, 1, 1288, 1032)));
    EXPECT_FALSE(IsMaximizedOnScreen(SW_SHOWMAXIMIZED, Wnd(-1284, -4, 1288, 1032))) << "maximised, scrolled away";
    EXPECT_FALSE(IsMaximizedOnScreen(SW_SHOWNORMAL, Wnd(-4, -4, 1288, 1032)));
    // Maximised at -4,-4 and 8 pixels oversize: not fitted, and mode 1 would move it by -4.
    EXPECT_FALSE(FitToWorkArea(Wnd(-4, -4, 1288, 1032), kWork).bShrunk);
    EXPECT_EQ(Move(ACTIVATE_MIN_DISTANCE, Wnd(-4, -4, 1288, 1032)).x, -4);
}
