// Window tracking's own state: the minimised windows' restored places, the min/max event seen last
// and a run of ignore-activation presses. Made-up handles serve where no window is asked about.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <vector>

#include "IgnoreActivation.h"
#include "MinimizedWnds.h"

namespace {

HWND Handle(ULONG_PTR n)
{
    return reinterpret_cast<HWND>(n);
}

std::vector<HWND> Handles(const CMinimizedWnds& wnds)
{
    std::vector<HWND> v;
    for (const MINIMIZED_WND_POS& e : wnds.List())
        v.push_back(e.hWnd);
    return v;
}

}  // namespace

TEST(CoreMinimizedWnds, EachWindowHasOneEntryFoundAndRemovedByItsHandle)
{
    CMinimizedWnds wnds;
    EXPECT_EQ(nullptr, wnds.Find(Handle(0x10)));
    EXPECT_TRUE(wnds.Add(MINIMIZED_WND_POS{Handle(0x10), 1, 2, 30, 40}));
    EXPECT_TRUE(wnds.Add(MINIMIZED_WND_POS{Handle(0x20), 5, 6, 70, 80}));
    EXPECT_FALSE(wnds.Add(MINIMIZED_WND_POS{Handle(0x10), 9, 9, 9, 9})) << "listed already";

    const MINIMIZED_WND_POS* pEntry = wnds.Find(Handle(0x10));
    ASSERT_NE(nullptr, pEntry);
    EXPECT_EQ(30, pEntry->xNormal) << "the first entry stands, not the refused one";
    EXPECT_EQ(1, pEntry->xOrg);
    EXPECT_EQ((std::vector<HWND>{Handle(0x10), Handle(0x20)}), Handles(wnds));

    EXPECT_FALSE(wnds.Remove(Handle(0x30)));
    EXPECT_TRUE(wnds.Remove(Handle(0x10)));
    EXPECT_FALSE(wnds.Contains(Handle(0x10)));
    EXPECT_EQ((std::vector<HWND>{Handle(0x20)}), Handles(wnds));
    wnds.Clear();
    EXPECT_TRUE(wnds.List().empty());
}

TEST(CoreMinimizedWnds, AScrollShiftsTheRestoredPlacesOnlyAndHoldsAtTheLimits)
{
    CMinimizedWnds wnds;
    wnds.Add(MINIMIZED_WND_POS{Handle(0x10), 100, 200, 300, 400});

    wnds.Shift(-50, 25);
    const MINIMIZED_WND_POS* pA = wnds.Find(Handle(0x10));
    ASSERT_NE(nullptr, pA);
    EXPECT_EQ(250, pA->xNormal);
    EXPECT_EQ(425, pA->yNormal);
    EXPECT_EQ(100, pA->xOrg) << "where the main window stood does not move";
    EXPECT_EQ(200, pA->yOrg);

    wnds.Add(MINIMIZED_WND_POS{Handle(0x20), 0, 0, INT_MAX - 5, INT_MIN + 5});
    wnds.Shift(10, -10);
    EXPECT_EQ(260, pA->xNormal);
    const MINIMIZED_WND_POS* pB = wnds.Find(Handle(0x20));
    ASSERT_NE(nullptr, pB);
    EXPECT_EQ(INT_MAX, pB->xNormal);
    EXPECT_EQ(INT_MIN, pB->yNormal);
}

TEST(CoreMinimizedWnds, GoneWindowsAreDropped)
{
    const HWND hWnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hWnd);
    CMinimizedWnds wnds;
    wnds.Add(MINIMIZED_WND_POS{hWnd, 0, 0, 1, 1});
    wnds.Add(MINIMIZED_WND_POS{Handle(0xdead0), 0, 0, 2, 2});
    wnds.DropGone();
    EXPECT_EQ((std::vector<HWND>{hWnd}), Handles(wnds));
    DestroyWindow(hWnd);
    wnds.DropGone();
    EXPECT_TRUE(wnds.List().empty());
}

TEST(CoreMinimizedWnds, OnlyTheLastMinMaxEventCountsAsAJustRestoredOwner)
{
    CMinimizedWnds wnds;
    EXPECT_FALSE(wnds.WasJustRestored(nullptr)) << "nothing seen yet";
    wnds.NoteMinMax(Handle(0x10), SW_RESTORE);
    EXPECT_TRUE(wnds.WasJustRestored(Handle(0x10)));
    EXPECT_FALSE(wnds.WasJustRestored(Handle(0x20)));
    wnds.NoteMinMax(Handle(0x10), SW_MINIMIZE);
    EXPECT_FALSE(wnds.WasJustRestored(Handle(0x10))) << "its minimise came after";
}

TEST(CoreIgnoreActivation, ARunArmsAtItsCountAndAResetHandsBackItsItem)
{
    CIgnoreActivation ignore;
    EXPECT_FALSE(ignore.IsUnderWay());

    const KeyMatch::IGNORE_PRESS first = ignore.Press(2);
    EXPECT_TRUE(first.bStartItem);
    ignore.Started(7);
    EXPECT_TRUE(ignore.IsUnderWay());
    EXPECT_FALSE(ignore.IsArmed(2));

    const KeyMatch::IGNORE_PRESS second = ignore.Press(2);
    EXPECT_FALSE(second.bStartItem) << "the run's item runs already";
    EXPECT_TRUE(second.bArmed);
    EXPECT_TRUE(ignore.IsArmed(2));
    EXPECT_EQ(2, ignore.GetCount());

    EXPECT_EQ(7, ignore.Reset());
    EXPECT_FALSE(ignore.IsUnderWay());
    EXPECT_EQ(0, ignore.Reset()) << "handed back once";

    // A run whose item could not be started is under way all the same.
    ignore.Press(3);
    ignore.Started(0);
    EXPECT_TRUE(ignore.IsUnderWay());
}
