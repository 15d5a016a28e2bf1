// Framework: CMutex, CEvent, CSemaphore and CSingleLock.
#include <gtest/gtest.h>
#include <windows.h>

#include "Handle.h"
#include "Strings.h"
#include "Sync.h"
#include "Thread.h"

namespace {
// Whether another thread can take the mutex now (it then ends holding it: abandoned).
bool OtherThreadCanTake(HANDLE hMutex)
{
    DWORD dwResult = WAIT_FAILED;
    CWorkerThread thread;
    thread.Start([&] { dwResult = WaitForSingleObject(hMutex, 0); return 0UL; });
    thread.Wait(5000);
    return dwResult == WAIT_OBJECT_0 || dwResult == WAIT_ABANDONED;
}
}

TEST(FrameworkSync, LockIsHeldOnAbandonedMutex)
{
    CMutex mutex;
    CWorkerThread thread;
    // The thread ends owning the mutex: the mutex is abandoned.
    thread.Start([&] { WaitForSingleObject(mutex.GetHandle(), INFINITE); return 0UL; });
    ASSERT_TRUE(thread.Wait(5000));
    {
        CSingleLock lock(&mutex);
        EXPECT_TRUE(lock.Lock(1000));
        EXPECT_TRUE(lock.IsLocked());
        EXPECT_EQ(lock.GetLastWaitResult(), static_cast<DWORD>(WAIT_ABANDONED));
        EXPECT_FALSE(OtherThreadCanTake(mutex.GetHandle()));
    }
    // The destructor released what the abandoned wait gave us.
    EXPECT_TRUE(OtherThreadCanTake(mutex.GetHandle()));
}

// A semaphore shows every release: its count would grow.
TEST(FrameworkSync, TimeOutIsNotHeldAndTheDestructorReleasesOnlyWhatItHolds)
{
    CSemaphore sem(0, 2);
    {
        CSingleLock lock(&sem);
        EXPECT_FALSE(lock.Lock(20) || lock.IsLocked());
        EXPECT_EQ(lock.GetLastWaitResult(), static_cast<DWORD>(WAIT_TIMEOUT));
    }
    EXPECT_EQ(WaitForSingleObject(sem.GetHandle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    ReleaseSemaphore(sem.GetHandle(), 1, nullptr);
    {
        CSingleLock lock(&sem, TRUE);
        EXPECT_TRUE(lock.IsLocked());
        EXPECT_EQ(WaitForSingleObject(sem.GetHandle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    }
    EXPECT_EQ(WaitForSingleObject(sem.GetHandle(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST(FrameworkSync, UnlockAndRelock)
{
    CMutex mutex;
    CSingleLock lock(&mutex);
    EXPECT_TRUE(lock.Unlock());   // nothing held: nothing to do
    EXPECT_TRUE(lock.Lock(0));
    EXPECT_TRUE(lock.Lock(0));    // already held: no second hold
    EXPECT_TRUE(lock.Unlock());
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_TRUE(OtherThreadCanTake(mutex.GetHandle()));
}

// An automatic-reset event lets one lock through; a manual-reset one all until it is reset.
TEST(FrameworkSync, EventLocks)
{
    CEvent evtAuto(TRUE, FALSE);
    CSingleLock lock1(&evtAuto), lock2(&evtAuto);
    EXPECT_TRUE(lock1.Lock(0));
    EXPECT_FALSE(lock2.Lock(50));
    lock1.Unlock();   // an event gives nothing back
    EXPECT_EQ(WaitForSingleObject(evtAuto.GetHandle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    CEvent evtManual(FALSE, TRUE);
    CSingleLock lock3(&evtManual), lock4(&evtManual), lock5(&evtManual);
    EXPECT_FALSE(lock3.Lock(10));
    evtManual.SetEvent();
    EXPECT_TRUE(lock3.Lock(0) && lock4.Lock(0));
    evtManual.ResetEvent();
    EXPECT_FALSE(lock5.Lock(10));
}

// Named objects are shared by every process of the session: one name per test process.
TEST(FrameworkSync, NamedObjectsTellWhetherTheyExisted)
{
    const std::wstring strMutex = FormatString(L"ZvFrameworkTest Mutex %lu", GetCurrentProcessId());
    CMutex mutex1(FALSE, strMutex.c_str()), mutex2(FALSE, strMutex.c_str());
    ASSERT_NE(mutex2.GetHandle(), nullptr);
    EXPECT_FALSE(mutex1.AlreadyExisted());
    EXPECT_TRUE(mutex2.AlreadyExisted());

    const std::wstring strEvent = FormatString(L"ZvFrameworkTest Event %lu", GetCurrentProcessId());
    CEvent evt1(FALSE, TRUE, strEvent.c_str()), evt2(FALSE, TRUE, strEvent.c_str());
    EXPECT_FALSE(evt1.AlreadyExisted());
    EXPECT_TRUE(evt2.AlreadyExisted());
    evt1.SetEvent();   // one object under two handles
    EXPECT_EQ(WaitForSingleObject(evt2.GetHandle(), 0), static_cast<DWORD>(WAIT_OBJECT_0));

    CMutex unnamed1, unnamed2;
    EXPECT_FALSE(unnamed2.AlreadyExisted());
}

TEST(FrameworkSync, LockOverRawHandle)
{
    const CHandle hMutex(CreateMutexW(nullptr, FALSE, nullptr));
    {
        CSingleLock lock(hMutex.get(), SYNC_KIND::Mutex, TRUE);
        EXPECT_TRUE(lock.IsLocked());
        EXPECT_FALSE(OtherThreadCanTake(hMutex.get()));
    }
    EXPECT_TRUE(OtherThreadCanTake(hMutex.get()));

    CSingleLock lockNone(static_cast<HANDLE>(nullptr), SYNC_KIND::None);
    EXPECT_FALSE(lockNone.Lock(0));
    EXPECT_EQ(lockNone.GetLastWaitResult(), static_cast<DWORD>(WAIT_FAILED));
}
