// Framework: CWorkerThread.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>

#include "Thread.h"

TEST(FrameworkThread, RunsAndEnds)
{
    CWorkerThread thread;
    DWORD dwExitCode = 0;
    // Not started: nothing to wait for, resume or read.
    EXPECT_TRUE(thread.Wait(0));
    EXPECT_FALSE(thread.Resume());
    EXPECT_FALSE(thread.GetExitCode(&dwExitCode));

    DWORD dwRanOn = 0;
    ASSERT_TRUE(thread.Start([&] { dwRanOn = GetCurrentThreadId(); return 7UL; }));
    EXPECT_NE(thread.GetId(), 0UL);
    ASSERT_TRUE(thread.Wait(5000));
    EXPECT_EQ(dwRanOn, thread.GetId());
    EXPECT_TRUE(thread.GetExitCode(&dwExitCode));
    EXPECT_EQ(dwExitCode, 7UL);
    EXPECT_FALSE(thread.Start([] { return 0UL; }));   // one thread per object
}

TEST(FrameworkThread, SuspendedStartWaitsForResume)
{
    std::atomic<bool> bRan{false};
    CWorkerThread thread;
    ASSERT_TRUE(thread.Start([&] { bRan = true; return 0UL; }, THREAD_PRIORITY_BELOW_NORMAL, TRUE));
    EXPECT_EQ(GetThreadPriority(thread.GetHandle()), THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_FALSE(thread.Wait(50));
    EXPECT_FALSE(bRan);
    EXPECT_TRUE(thread.Resume());
    EXPECT_TRUE(thread.Wait(5000));
    EXPECT_TRUE(bRan);
}

TEST(FrameworkThread, DestructorJoins)
{
    std::atomic<bool> bDone{false};
    {
        CWorkerThread thread;
        thread.Start([&] { Sleep(100); bDone = true; return 0UL; });
    }
    EXPECT_TRUE(bDone);
}
