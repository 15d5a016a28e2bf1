// One move of all windows, step by step, without a desktop: the passes each window takes, the end
// of the move, the refusals, and the pool that holds posted move requests.
#include <gtest/gtest.h>

#include <list>
#include <ostream>
#include <memory>
#include <vector>

#include "PropertySet.h"
#include "ScrollMove.h"

namespace {

HWND FakeWnd(int n)
{
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x1000 + n));
}

std::vector<SCROLL_RATE> RateList(BOOL bSmoothScroll)
{
    PROPERTY_SET prop;
    prop.propView.bSmoothScroll = bSmoothScroll;
    MakeScrollRateList(prop);
    return prop.lstScrlRate;
}

std::unique_ptr<LPRM_MV_ALL_WNDS> Request(LONG lOffsetH, LONG lOffsetV, BOOL bAtOnce = FALSE,
                                          HWND hWndExcept = nullptr)
{
    auto p = std::make_unique<LPRM_MV_ALL_WNDS>();
    p->lOffsetH = lOffsetH;
    p->lOffsetV = lOffsetV;
    p->bAtOnce = bAtOnce;
    p->bMouseMove = TRUE;
    p->hWndExcept = hWndExcept;
    return p;
}

struct PASS_STEP {
    HWND hWnd;
    int nMovH, nMovV;
    bool operator==(const PASS_STEP&) const = default;
};

void PrintTo(const PASS_STEP& s, std::ostream* os)
{
    *os << "{" << s.hWnd << ", " << s.nMovH << ", " << s.nMovV << "}";
}

// Runs the move to its end; the steps of each pass. Fails the test on a move that never ends.
std::vector<std::vector<PASS_STEP>> RunMove(CScrollMove& move)
{
    std::vector<std::vector<PASS_STEP>> passes(1);
    for (int i = 0; i < 1000; ++i) {
        const MV_STEP_ACTION act = move.Step();
        passes.back().push_back({act.hWnd, act.nMovH, act.nMovV});
        EXPECT_TRUE(!act.bMoveEnd || act.bPassEnd);
        if (act.bMoveEnd)
            return passes;
        if (act.bPassEnd)
            passes.emplace_back();
    }
    ADD_FAILURE() << "the move did not end";
    return passes;
}

}  // namespace

TEST(CoreScrollMove, SmoothPassesOfTheDefaultCurveMoveEveryWindowOneSixThreePixelsForTen)
{
    const std::list<HWND> lst{FakeWnd(1), FakeWnd(2)};
    auto pMove = CScrollMove::Create(Request(10, 0), lst, 3, RateList(FALSE));
    ASSERT_NE(pMove, nullptr);
    EXPECT_FALSE(pMove->IsAtOnce());
    const auto passes = RunMove(*pMove);
    const std::vector<std::vector<PASS_STEP>> expected{
        {{FakeWnd(1), -1, 0}, {FakeWnd(2), -1, 0}},
        {{FakeWnd(1), -6, 0}, {FakeWnd(2), -6, 0}},
        {{FakeWnd(1), -3, 0}, {FakeWnd(2), -3, 0}},
    };
    EXPECT_EQ(passes, expected);
    EXPECT_EQ(pMove->GetPassCount(), 3);
    EXPECT_EQ(pMove->GetEntryCount(), 0u);
    EXPECT_TRUE(pMove->IsEnded());
}

TEST(CoreScrollMove, SmoothCurveMovesAHundredPixelsInThirteenSeventyNineAndEight)
{
    auto pMove = CScrollMove::Create(Request(0, -100), {FakeWnd(7)}, 3, RateList(TRUE));
    ASSERT_NE(pMove, nullptr);
    const auto passes = RunMove(*pMove);
    const std::vector<std::vector<PASS_STEP>> expected{
        {{FakeWnd(7), 0, 13}}, {{FakeWnd(7), 0, 79}}, {{FakeWnd(7), 0, 8}}};
    EXPECT_EQ(passes, expected);
}

TEST(CoreScrollMove, SmoothMoveOnBothAxesEndsWhenTheSlowerAxisArrives)
{
    auto pMove = CScrollMove::Create(Request(-100, 10), {FakeWnd(1)}, 3, RateList(FALSE));
    ASSERT_NE(pMove, nullptr);
    const auto passes = RunMove(*pMove);
    // 6 % of 100 and the one-pixel minimum of 10, then 66 % of each, then the rest.
    const std::vector<std::vector<PASS_STEP>> expected{
        {{FakeWnd(1), 6, -1}}, {{FakeWnd(1), 66, -6}}, {{FakeWnd(1), 28, -3}}};
    EXPECT_EQ(passes, expected);
}

TEST(CoreScrollMove, AtOnceMovesEveryWindowItsWholeDistanceThenConfirmsInASecondPass)
{
    const std::list<HWND> lst{FakeWnd(1), FakeWnd(2), FakeWnd(3)};
    for (auto [bAtOnce, nSpeed] : {std::pair{FALSE, 1}, std::pair{TRUE, 3}, std::pair{FALSE, -5}}) {
        auto pMove = CScrollMove::Create(Request(25, -40, bAtOnce), lst, nSpeed, RateList(TRUE));
        ASSERT_NE(pMove, nullptr);
        EXPECT_TRUE(pMove->IsAtOnce());
        const auto passes = RunMove(*pMove);
        const std::vector<std::vector<PASS_STEP>> expected{
            {{FakeWnd(1), -25, 40}, {FakeWnd(2), -25, 40}, {FakeWnd(3), -25, 40}},
            {{FakeWnd(1), 0, 0}, {FakeWnd(2), 0, 0}, {FakeWnd(3), 0, 0}},
        };
        EXPECT_EQ(passes, expected) << "bAtOnce " << bAtOnce << ", Speed " << nSpeed;
    }
}

TEST(CoreScrollMove, WindowsAreWalkedInListOrderAndTheExceptedWindowStillCounts)
{
    const std::list<HWND> lst{FakeWnd(3), FakeWnd(1), FakeWnd(2)};
    auto pMove = CScrollMove::Create(Request(1, 0, FALSE, FakeWnd(1)), lst, 3, RateList(TRUE));
    ASSERT_NE(pMove, nullptr);
    EXPECT_EQ(pMove->GetRequest().hWndExcept, FakeWnd(1));
    EXPECT_EQ(pMove->GetEntryCount(), 3u);
    // A one-pixel move takes the minimum step in the first pass, which lands on the target, so
    // its arrival is seen in a second pass that moves nothing.
    const auto passes = RunMove(*pMove);
    const std::vector<std::vector<PASS_STEP>> expected{{{FakeWnd(3), -1, 0}, {FakeWnd(1), -1, 0}, {FakeWnd(2), -1, 0}},
                                                       {{FakeWnd(3), 0, 0}, {FakeWnd(1), 0, 0}, {FakeWnd(2), 0, 0}}};
    EXPECT_EQ(passes, expected);
}

TEST(CoreScrollMove, RequestsThatMoveNothingAreRefused)
{
    EXPECT_EQ(CScrollMove::Create(Request(10, 0), {}, 3, RateList(FALSE)), nullptr);
    EXPECT_EQ(CScrollMove::Create(Request(0, 0), {FakeWnd(1)}, 3, RateList(FALSE)), nullptr);
    EXPECT_EQ(CScrollMove::Create(Request(0, 0, TRUE), {FakeWnd(1)}, 1, RateList(FALSE)), nullptr);
    // Smooth passes without a curve would crawl; at once needs none.
    EXPECT_EQ(CScrollMove::Create(Request(10, 0), {FakeWnd(1)}, 3, {}), nullptr);
    EXPECT_NE(CScrollMove::Create(Request(10, 0), {FakeWnd(1)}, 1, {}), nullptr);
    EXPECT_EQ(CScrollMove::Create(nullptr, {FakeWnd(1)}, 1, RateList(FALSE)), nullptr);
}

TEST(CoreScrollMove, StepsAfterTheEndTouchNoWindow)
{
    auto pMove = CScrollMove::Create(Request(5, 0, TRUE), {FakeWnd(1)}, 3, RateList(FALSE));
    ASSERT_NE(pMove, nullptr);
    RunMove(*pMove);
    ASSERT_TRUE(pMove->IsEnded());
    const MV_STEP_ACTION act = pMove->Step();
    EXPECT_EQ(act.hWnd, nullptr);
    EXPECT_EQ(act.nMovH, 0);
    EXPECT_TRUE(act.bMoveEnd);
    EXPECT_EQ(pMove->GetPassCount(), 2);
}

TEST(CoreScrollMove, TheMoveKeepsItsOwnCopyOfTheWindowList)
{
    std::list<HWND> lst{FakeWnd(1), FakeWnd(2)};
    auto pMove = CScrollMove::Create(Request(10, 0), lst, 3, RateList(FALSE));
    ASSERT_NE(pMove, nullptr);
    // The enumerator rebuilds its list whenever it likes; the running move is not affected.
    lst.clear();
    lst.push_back(FakeWnd(9));
    const auto passes = RunMove(*pMove);
    ASSERT_EQ(passes.size(), 3u);
    EXPECT_EQ(passes[0][0].hWnd, FakeWnd(1));
    EXPECT_EQ(passes[2][1].hWnd, FakeWnd(2));
}

TEST(CoreMoveRequestPool, OnlyOutstandingRequestsAreTakenAndEachOnce)
{
    CMoveRequestPool pool;
    LPRM_MV_ALL_WNDS* p1 = pool.Add({3, 4, TRUE, FakeWnd(5), FALSE});
    LPRM_MV_ALL_WNDS* p2 = pool.Add({-1, 0, FALSE, nullptr, TRUE});
    EXPECT_EQ(pool.GetCount(), 2u);

    EXPECT_EQ(pool.Take(0), nullptr);
    EXPECT_EQ(pool.Take(reinterpret_cast<WPARAM>(p1) + 1), nullptr);

    auto pTaken = pool.Take(reinterpret_cast<WPARAM>(p2));
    ASSERT_NE(pTaken, nullptr);
    EXPECT_EQ(pTaken->lOffsetH, -1);
    EXPECT_TRUE(pTaken->bAtOnce);
    EXPECT_EQ(pool.Take(reinterpret_cast<WPARAM>(p2)), nullptr);
    EXPECT_EQ(pool.GetCount(), 1u);

    pTaken = pool.Take(reinterpret_cast<WPARAM>(p1));
    ASSERT_NE(pTaken, nullptr);
    EXPECT_EQ(pTaken->lOffsetV, 4);
    EXPECT_EQ(pTaken->hWndExcept, FakeWnd(5));
    EXPECT_EQ(pool.GetCount(), 0u);

    pool.Add({});
    pool.Clear();
    EXPECT_EQ(pool.GetCount(), 0u);
}
