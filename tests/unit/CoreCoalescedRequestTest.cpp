#include <gtest/gtest.h>

#include "CoalescedRequest.h"

namespace {

// The window's side, played out: each answer places a mark when none is queued.
struct CWindowPlay {
    CCoalescedRequest req;
    int nAnswers = 0;
    LPARAM nQueuedMark = 0;

    void Answer()
    {
        if (req.BeginAnswer())
            nQueuedMark = req.MarkNumber();
        ++nAnswers;
    }
    void Request()
    {
        if (req.Ask())
            Answer();
    }
    void MarkComesRound()
    {
        if (req.MarkArrived(nQueuedMark))
            Answer();
    }
};

TEST(CoreCoalescedRequest, AFloodCostsTwoAnswersAndTheLastBeginsAfterTheLastRequest)
{
    CWindowPlay play;
    play.Request();
    EXPECT_EQ(play.nAnswers, 1);
    EXPECT_TRUE(play.req.IsMarkQueued());
    for (int i = 0; i < 20000; ++i)
        play.Request();
    EXPECT_EQ(play.nAnswers, 1);
    EXPECT_TRUE(play.req.IsOwed());
    // The owed answer comes with the mark, and places a new one.
    play.MarkComesRound();
    EXPECT_EQ(play.nAnswers, 2);
    EXPECT_FALSE(play.req.IsOwed());
    EXPECT_TRUE(play.req.IsMarkQueued());
    // Nothing owed: the mark only ends the pass, and the next request is answered at once.
    play.MarkComesRound();
    EXPECT_EQ(play.nAnswers, 2);
    EXPECT_FALSE(play.req.IsMarkQueued());
    play.Request();
    EXPECT_EQ(play.nAnswers, 3);
}

TEST(CoreCoalescedRequest, AnAnswerForAnotherReasonPaysWhatIsOwed)
{
    CWindowPlay play;
    play.Request();
    play.Request();
    ASSERT_TRUE(play.req.IsOwed());
    // The answer begins after the owed request was posted: it holds for it.
    EXPECT_FALSE(play.req.BeginAnswer()) << "the queued mark serves on";
    EXPECT_FALSE(play.req.IsOwed());
    EXPECT_FALSE(play.req.MarkArrived(play.nQueuedMark));
}

TEST(CoreCoalescedRequest, ForeignOrOldMarksAndALostMarkChangeNothingWrong)
{
    CWindowPlay play;
    play.Request();
    const LPARAM nFirst = play.nQueuedMark;
    EXPECT_NE(nFirst, 0);
    play.Request();
    EXPECT_FALSE(play.req.MarkArrived(nFirst + 1));
    EXPECT_FALSE(play.req.MarkArrived(0));
    EXPECT_TRUE(play.req.IsMarkQueued());
    EXPECT_TRUE(play.req.IsOwed());
    play.MarkComesRound();
    EXPECT_EQ(play.nAnswers, 2);
    EXPECT_NE(play.nQueuedMark, nFirst);
    // The first mark, come round late, is not the queued one.
    EXPECT_FALSE(play.req.MarkArrived(nFirst));
    EXPECT_TRUE(play.req.IsMarkQueued());

    // A mark that could not be posted never comes round: requests are answered at once again.
    play.req.MarkLost();
    play.Request();
    EXPECT_EQ(play.nAnswers, 3);
}

}  // namespace
