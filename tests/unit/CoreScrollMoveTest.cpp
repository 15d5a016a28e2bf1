// One move of all windows, step by step, without a desktop: the passes each window takes, the end
// of the move, the refusals, and the pool that holds posted move requests.
#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <ostream>
#include <vector>

#include "PropertySet.h"
#include "ScrollMove.h"

namespace {

HWND W(int n) { return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x1000 + n)); }

std::vector<SCROLL_RATE> RateList(BOOL bSmoothScroll)
{
    PROPERTY_SET prop;
    prop.propView.bSmoothScroll = bSmoothScroll;
    MakeScrollRateList(prop);
    return prop.lstScrlRate;
}

std::unique_ptr<LPRM_MV_ALL_WNDS> Request(LONG lOffsetH, LONG lOffsetV, BOOL bAtOnce = FALSE, HWND hWndExcept = nullptr)
{
    return std::make_unique<LPRM_MV_ALL_WNDS>(LPRM_MV_ALL_WNDS{lOffsetH, lOffsetV, TRUE, hWndExcept, bAtOnce});
}

struct PASS_STEP {
    HWND hWnd;
    int nMovH, nMovV;
    bool operator==(const PASS_STEP&) const = default;
};

void PrintTo(const PASS_STEP& s, std::ostream* os) { *os << "{" << s.hWnd << ", " << s.nMovH << ", " << s.nMovV << "}"; }

using PASSES = std::vector<std::vector<PASS_STEP>>;

// Runs the move to its end; the steps of each pass. Fails the test on a move that never ends.
PASSES RunMove(CScrollMove& move)
{
    PASSES passes(1);
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

// Every window takes each pass in list order; the move ends with the pass in which the slower
// axis arrives. The enumerator rebuilds its list whenever it likes: the move keeps its own copy.
TEST(CoreScrollMove, SmoothPassesWalkEveryWindowInListOrder)
{
    std::list<HWND> lst{W(2), W(1)};
    auto pMove = CScrollMove::Create(Request(-100, 10), lst, 3, RateList(FALSE));
    ASSERT_NE(pMove, nullptr);
    lst = {W(9)};
    EXPECT_FALSE(pMove->IsAtOnce());
    // 6 % of 100 and the one-pixel minimum of 10, then 66 % of each, then the rest.
    const PASSES expected{{{W(2), 6, -1}, {W(1), 6, -1}}, {{W(2), 66, -6}, {W(1), 66, -6}}, {{W(2), 28, -3}, {W(1), 28, -3}}};
    EXPECT_EQ(RunMove(*pMove), expected);
    EXPECT_EQ(pMove->GetEntryCount(), 0u);
    EXPECT_TRUE(pMove->IsEnded());

    const MV_STEP_ACTION act = pMove->Step();
    EXPECT_EQ((PASS_STEP{nullptr, 0, 0}), (PASS_STEP{act.hWnd, act.nMovH, act.nMovV})) << "a step after the end touches no window";
    EXPECT_TRUE(act.bMoveEnd);
    EXPECT_EQ(pMove->GetPassCount(), 3);
}

TEST(CoreScrollMove, AtOnceMovesEveryWindowItsWholeDistanceThenConfirmsInASecondPass)
{
    const std::list<HWND> lst{W(1), W(2), W(3)};
    const PASSES expected{{{W(1), -25, 40}, {W(2), -25, 40}, {W(3), -25, 40}}, {{W(1), 0, 0}, {W(2), 0, 0}, {W(3), 0, 0}}};
    for (auto [bAtOnce, nSpeed] : {std::pair{FALSE, 1}, std::pair{TRUE, 3}, std::pair{FALSE, -5}}) {
        auto pMove = CScrollMove::Create(Request(25, -40, bAtOnce), lst, nSpeed, RateList(TRUE));
        ASSERT_NE(pMove, nullptr);
        EXPECT_TRUE(pMove->IsAtOnce());
        EXPECT_EQ(RunMove(*pMove), expected) << "bAtOnce " << bAtOnce << ", Speed " << nSpeed;
    }
}

// The excepted window is still walked over: the window that applies the steps skips it.
TEST(CoreScrollMove, TheExceptedWindowStillCounts)
{
    auto pMove = CScrollMove::Create(Request(1, 0, FALSE, W(1)), {W(3), W(1), W(2)}, 3, RateList(TRUE));
    ASSERT_NE(pMove, nullptr);
    EXPECT_EQ(pMove->GetRequest().hWndExcept, W(1));
    EXPECT_EQ(pMove->GetEntryCount(), 3u);
    const PASSES expected{{{W(3), -1, 0}, {W(1), -1, 0}, {W(2), -1, 0}}, {{W(3), 0, 0}, {W(1), 0, 0}, {W(2), 0, 0}}};
    EXPECT_EQ(RunMove(*pMove), expected);
}

TEST(CoreScrollMove, RequestsThatMoveNothingAreRefused)
{
    EXPECT_EQ(CScrollMove::Create(Request(10, 0), {}, 3, RateList(FALSE)), nullptr);
    EXPECT_EQ(CScrollMove::Create(Request(0, 0), {W(1)}, 3, RateList(FALSE)), nullptr);
    EXPECT_EQ(CScrollMove::Create(Request(0, 0, TRUE), {W(1)}, 1, RateList(FALSE)), nullptr);
    // Smooth passes without a curve would crawl; at once needs none.
    EXPECT_EQ(CScrollMove::Create(Request(10, 0), {W(1)}, 3, {}), nullptr);
    EXPECT_NE(CScrollMove::Create(Request(10, 0), {W(1)}, 1, {}), nullptr);
    EXPECT_EQ(CScrollMove::Create(nullptr, {W(1)}, 1, RateList(FALSE)), nullptr);
}

TEST(CoreMoveRequestPool, OnlyOutstandingRequestsAreTakenAndEachOnce)
{
    CMoveRequestPool pool;
    LPRM_MV_ALL_WNDS* p1 = pool.Add({3, 4, TRUE, W(5), FALSE});
    LPRM_MV_ALL_WNDS* p2 = pool.Add({-1, 0, FALSE, nullptr, TRUE});
    EXPECT_EQ(pool.GetCount(), 2u);
    EXPECT_EQ(pool.Take(0), nullptr);
    EXPECT_EQ(pool.Take(reinterpret_cast<WPARAM>(p1) + 1), nullptr);

    auto pTaken = pool.Take(reinterpret_cast<WPARAM>(p2));
    ASSERT_NE(pTaken, nullptr);
    EXPECT_TRUE(pTaken->lOffsetH == -1 && pTaken->bAtOnce);
    EXPECT_EQ(pool.Take(reinterpret_cast<WPARAM>(p2)), nullptr);
    EXPECT_EQ(pool.GetCount(), 1u);
    pTaken = pool.Take(reinterpret_cast<WPARAM>(p1));
    ASSERT_NE(pTaken, nullptr);
    EXPECT_TRUE(pTaken->lOffsetV == 4 && pTaken->hWndExcept == W(5));
    EXPECT_EQ(pool.GetCount(), 0u);

    pool.Add({});
    pool.Clear();
    EXPECT_EQ(pool.GetCount(), 0u);
}

// An arrangement or an undo: each window its own way, the show command of a saved placement with
// every step of its window; Speed 1 or no curve takes every window the whole way in its first pass.
TEST(CoreScrollMove, EachWindowOfAMultiMoveTakesItsOwnWayAndCarriesItsShowCommand)
{
    const auto List = [] {
        std::list<HWND_OFFSET_MULT> lst;
        lst.push_back({W(1), 100, 0});
        lst.push_back({W(2), -7, 50});
        lst.back().pwp = std::make_unique<WINDOWPLACEMENT>();
        lst.back().pwp->showCmd = SW_SHOWMAXIMIZED;
        return lst;
    };
    EXPECT_EQ(CScrollMove::CreateMulti({}, 3, RateList(FALSE)), nullptr);

    for (auto [nSpeed, bCurve] : {std::pair{1, true}, std::pair{3, false}}) {
        auto pMove = CScrollMove::CreateMulti(List(), nSpeed, bCurve ? RateList(FALSE) : std::vector<SCROLL_RATE>{});
        ASSERT_NE(pMove, nullptr);
        EXPECT_FALSE(pMove->IsAtOnce());
        EXPECT_FALSE(pMove->GetRequest().bMouseMove);
        // The whole way in the first pass; the second only confirms the arrival.
        const PASSES expected{{{W(1), 100, 0}, {W(2), -7, 50}}, {{W(1), 0, 0}, {W(2), 0, 0}}};
        EXPECT_EQ(RunMove(*pMove), expected) << "Speed " << nSpeed;
    }

    auto pMove = CScrollMove::CreateMulti(List(), 3, RateList(FALSE));
    ASSERT_NE(pMove, nullptr);
    const PASSES expected{{{W(1), 6, 0}, {W(2), -1, 3}}, {{W(1), 66, 0}, {W(2), -4, 33}}, {{W(1), 28, 0}, {W(2), -2, 14}}};
    PASSES passes(1);
    for (int i = 0; i < 20; ++i) {
        const MV_STEP_ACTION act = pMove->Step();
        EXPECT_EQ(act.nShowCmd, act.hWnd == W(2) ? static_cast<UINT>(SW_SHOWMAXIMIZED) : 0u);
        passes.back().push_back({act.hWnd, act.nMovH, act.nMovV});
        if (act.bMoveEnd)
            break;
        if (act.bPassEnd)
            passes.emplace_back();
    }
    EXPECT_EQ(passes, expected);
}
