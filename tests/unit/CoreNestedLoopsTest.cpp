// The bookkeeping of nested message loops: ends asked for inside are held until the outermost closes.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "NestedLoops.h"

namespace {

std::vector<UINT> Kinds(const CNestedLoops::ENDS& ends)
{
    std::vector<UINT> v;
    for (const CNestedLoops::DEFERRED_END& e : ends)
        v.push_back(e.uMsg);
    return v;
}

}  // namespace

TEST(CoreNestedLoops, OutsideEveryLoopAnEndIsNotPutOff)
{
    CNestedLoops loops;
    EXPECT_FALSE(loops.IsInside());
    EXPECT_FALSE(loops.Defer(WM_CLOSE, 0));
    loops.Enter();
    EXPECT_EQ(0u, loops.Leave().n) << "nothing was asked for inside";
    EXPECT_FALSE(loops.Defer(WM_CLOSE, 0)) << "the loop has closed";
}

TEST(CoreNestedLoops, EndsWaitForTheOutermostLoopAndComeInTheOrderAsked)
{
    CNestedLoops loops;
    loops.Enter();
    loops.Enter();
    EXPECT_EQ(2, loops.GetDepth());
    EXPECT_TRUE(loops.Defer(WM_COMMAND, 32781));
    EXPECT_TRUE(loops.Defer(WM_CLOSE, 0));

    EXPECT_EQ(0u, loops.Leave().n) << "an outer loop is still open";
    EXPECT_TRUE(loops.IsInside());
    const CNestedLoops::ENDS ends = loops.Leave();
    EXPECT_FALSE(loops.IsInside());
    EXPECT_EQ((std::vector<UINT>{WM_COMMAND, WM_CLOSE}), Kinds(ends));
    EXPECT_EQ(static_cast<WPARAM>(32781), ends.a[0].wParam);

    // Handed back once: the next loop starts with nothing held.
    loops.Enter();
    EXPECT_EQ(0u, loops.Leave().n);
}

TEST(CoreNestedLoops, AnEndAskedTwiceIsKeptOnceInItsFirstPlaceWithTheLastWord)
{
    CNestedLoops loops;
    loops.Enter();
    EXPECT_TRUE(loops.Defer(WM_CLOSE, 1));
    EXPECT_TRUE(loops.Defer(WM_COMMAND, 5));
    EXPECT_TRUE(loops.Defer(WM_CLOSE, 2));
    const CNestedLoops::ENDS ends = loops.Leave();
    ASSERT_EQ((std::vector<UINT>{WM_CLOSE, WM_COMMAND}), Kinds(ends));
    EXPECT_EQ(static_cast<WPARAM>(2), ends.a[0].wParam);
}

TEST(CoreNestedLoops, MoreKindsThanTheRoomKeepsTheFirstOnes)
{
    CNestedLoops loops;
    loops.Enter();
    const UINT uFirst = WM_APP;
    for (UINT i = 0; i < 12; ++i)
        EXPECT_TRUE(loops.Defer(uFirst + i, i)) << "still inside: the caller must not end now";
    const CNestedLoops::ENDS ends = loops.Leave();
    ASSERT_EQ(8u, ends.n);
    EXPECT_EQ(uFirst, ends.a[0].uMsg);
    EXPECT_EQ(uFirst + 7, ends.a[7].uMsg);
}
