// The moves as they run, without a desktop: which step messages a move takes, its number, the
// pause between passes and the queue of moves asked for.
#include <gtest/gtest.h>
#include <windows.h>

#include <list>
#include <memory>

#include "MoveRun.h"
#include "PropertySet.h"
#include "TmrMngr.h"
#include "ZvMessages.h"

namespace {

HWND W(int n)
{
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x2000 + n));
}

std::unique_ptr<CScrollMove> NewMove(LONG lOffsetH = 50)
{
    PROPERTY_SET prop;
    prop.propView.bSmoothScroll = TRUE;
    MakeScrollRateList(prop);
    return CScrollMove::Create(std::make_unique<LPRM_MV_ALL_WNDS>(LPRM_MV_ALL_WNDS{lOffsetH, 0, FALSE, nullptr, FALSE}),
                               std::list<HWND>{W(1), W(2)}, 3, prop.lstScrlRate);
}

struct MESSAGE_WND {
    HWND hWnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ~MESSAGE_WND() { DestroyWindow(hWnd); }
};

BOOL IsItemRunning(const CTmrMngr& mngr, int nId)
{
    const CTmrItem* pItem = mngr.FindTmr(nId);
    return pItem && pItem->m_bEnable;
}

}  // namespace

TEST(CoreMoveRun, OnlyTheStepTheRunningMoveWaitsForIsTaken)
{
    CMoveRun run;
    EXPECT_FALSE(run.AcceptStep(0, 0)) << "no move runs";
    run.Start(NewMove());
    ASSERT_TRUE(run.IsRunning());
    const UINT uFirst = run.GetMoveId();
    EXPECT_NE(0u, uFirst);
    EXPECT_EQ(0, run.GetStepSeq());

    EXPECT_FALSE(run.AcceptStep(0, 0)) << "a zeroed message matches no move";
    EXPECT_FALSE(run.AcceptStep(uFirst, 1)) << "a step ahead of its turn";
    EXPECT_TRUE(run.AcceptStep(uFirst, 0));
    EXPECT_FALSE(run.AcceptStep(uFirst, 0)) << "the same step again";
    EXPECT_EQ(1, run.GetStepSeq());
    EXPECT_TRUE(run.IsStillRunning(uFirst));

    // A second move: the first one's steps are stale.
    run.Abandon();
    EXPECT_FALSE(run.IsStillRunning(uFirst));
    run.Start(NewMove(-30));
    const UINT uSecond = run.GetMoveId();
    EXPECT_NE(uFirst, uSecond);
    EXPECT_FALSE(run.IsStillRunning(uFirst));
    EXPECT_FALSE(run.AcceptStep(uFirst, 1));
    EXPECT_EQ(0, run.GetStepSeq()) << "the new move's steps count from 0";
    EXPECT_TRUE(run.AcceptStep(uSecond, 0));
    EXPECT_EQ(-30, run.GetMove()->GetRequest().lOffsetH);

    run.Abandon();
    EXPECT_FALSE(run.IsRunning());
    EXPECT_EQ(nullptr, run.GetMove());
    EXPECT_FALSE(run.AcceptStep(uSecond, 1)) << "no move runs any more";
}

TEST(CoreMoveRun, APauseBetweenPassesRunsTheItemAndEndsOnce)
{
    MESSAGE_WND wnd;
    ASSERT_NE(nullptr, wnd.hWnd);
    CTmrMngr mngr(wnd.hWnd, 10);
    const int nTmr = mngr.AddTmr(TMR_ITEM_PARAM{wnd.hWnd, MSG_TMR_SCROLL, 50, 0, 0});
    ASSERT_NE(0, nTmr);
    CMoveRun run;
    run.SetPassTimer(&mngr, nTmr);
    run.Start(NewMove());
    const UINT uId = run.GetMoveId();

    EXPECT_FALSE(run.EndPassWait()) << "no pause began";
    ASSERT_TRUE(run.WaitForPass());
    EXPECT_TRUE(IsItemRunning(mngr, nTmr));
    EXPECT_TRUE(run.EndPassWait());
    EXPECT_FALSE(run.EndPassWait()) << "a second tick before the step asks for no second step";

    // The step that comes ends a pause and stops the item.
    ASSERT_TRUE(run.WaitForPass());
    EXPECT_TRUE(run.AcceptStep(uId, 0));
    EXPECT_FALSE(IsItemRunning(mngr, nTmr));
    EXPECT_FALSE(run.EndPassWait());

    // A move given up on leaves no pause and no running item behind.
    ASSERT_TRUE(run.WaitForPass());
    run.Abandon();
    EXPECT_FALSE(IsItemRunning(mngr, nTmr));
    EXPECT_FALSE(run.EndPassWait());

    EXPECT_EQ(nTmr, run.ReleasePassTimer());
    EXPECT_EQ(0, run.ReleasePassTimer());
    run.Start(NewMove());
    EXPECT_FALSE(run.WaitForPass()) << "without an item the passes follow at once";
}

TEST(CoreMoveRun, AMoveAskedForIsPendingUntilItsRequestIsTakenAndItsMoveEnds)
{
    CMoveRun run;
    EXPECT_FALSE(run.IsPending());
    LPRM_MV_ALL_WNDS* pRec = run.AddRequest(LPRM_MV_ALL_WNDS{10, 20, FALSE, nullptr, FALSE});
    ASSERT_NE(nullptr, pRec);
    EXPECT_TRUE(run.IsPending());
    EXPECT_FALSE(run.IsRunning());

    EXPECT_EQ(nullptr, run.TakeRequest(reinterpret_cast<WPARAM>(pRec) + 1)) << "not one handed out";
    std::unique_ptr<LPRM_MV_ALL_WNDS> pTaken = run.TakeRequest(reinterpret_cast<WPARAM>(pRec));
    ASSERT_NE(nullptr, pTaken);
    EXPECT_EQ(20, pTaken->lOffsetV);
    EXPECT_FALSE(run.IsPending());

    run.Start(NewMove());
    EXPECT_TRUE(run.IsPending());
    run.Abandon();
    run.AddRequest(LPRM_MV_ALL_WNDS{});
    run.ClearRequests();
    EXPECT_FALSE(run.IsPending());
}
