// Framework: CMutex, CEvent, CSemaphore and CSingleLock.
#include <gtest/gtest.h>
#include <windows.h>

#include "Strings.h"
#include "Sync.h"
#include "Thread.h"

namespace {
// Named objects are shared by every process of the session: one name per test process.
std::wstring UniqueName(const wchar_t* pszWhat)
{
    return FormatString(L"ZvFrameworkTest %s %lu", pszWhat, GetCurrentProcessId());
}

// Whether another thread can take the mutex now (it then ends holding it: abandoned).
bool OtherThreadCanTake(HANDLE hMutex)
{
    DWORD dwResult = WAIT_FAILED;
    CWorkerThread thread;
    thread.Start([&] {
        dwResult = WaitForSingleObject(hMutex, 0);
        return 0UL;
    });
    thread.Wait(5000);
    return dwResult == WAIT_OBJECT_0 || dwResult == WAIT_ABANDONED;
}
}

TEST(FrameworkSync, LockIsHeldOnAbandonedMutex)
{
    CMutex mutex;
    CWorkerThread thread;
    thread.Start([&] {
        WaitForSingleObject(mutex.GetHandle(), INFINITE);
        return 0UL;   // ends owning the mutex: the mutex is abandoned
    });
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

TEST(FrameworkSync, TimeOutIsNotHeld)
{
    CMutex mutex;
    CEvent evtTaken(FALSE, TRUE);
    CEvent evtRelease(FALSE, TRUE);
    CWorkerThread thread;
    thread.Start([&] {
        WaitForSingleObject(mutex.GetHandle(), INFINITE);
        evtTaken.SetEvent();
        WaitForSingleObject(evtRelease.GetHandle(), 10000);
        ReleaseMutex(mutex.GetHandle());
        return 0UL;
    });
    ASSERT_EQ(WaitForSingleObject(evtTaken.GetHandle(), 5000), static_cast<DWORD>(WAIT_OBJECT_0));

    CSingleLock lock(&mutex);
    EXPECT_FALSE(lock.Lock(50));
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_EQ(lock.GetLastWaitResult(), static_cast<DWORD>(WAIT_TIMEOUT));
    evtRelease.SetEvent();
    ASSERT_TRUE(thread.Wait(5000));
    EXPECT_TRUE(lock.Lock(1000));
}

TEST(FrameworkSync, DestructorReleasesOnlyWhatItHolds)
{
    // A semaphore shows every release: its count would grow.
    CSemaphore sem(0, 2);
    {
        CSingleLock lock(&sem);
        EXPECT_FALSE(lock.Lock(20));
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

TEST(FrameworkSync, DestructorReleasesMutex)
{
    CMutex mutex;
    {
        CSingleLock lock(&mutex, TRUE);
        EXPECT_TRUE(lock.IsLocked());
        EXPECT_FALSE(OtherThreadCanTake(mutex.GetHandle()));
    }
    EXPECT_TRUE(OtherThreadCanTake(mutex.GetHandle()));
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

TEST(FrameworkSync, SecondLockOnAutoResetEventTimesOut)
{
    CEvent evt(TRUE, FALSE);   // signalled, automatic reset
    CSingleLock lock1(&evt);
    CSingleLock lock2(&evt);
    EXPECT_TRUE(lock1.Lock(0));
    EXPECT_FALSE(lock2.Lock(50));
    EXPECT_EQ(lock2.GetLastWaitResult(), static_cast<DWORD>(WAIT_TIMEOUT));
    lock1.Unlock();   // an event gives nothing back
    EXPECT_EQ(WaitForSingleObject(evt.GetHandle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(FrameworkSync, ManualResetEventStaysSignalled)
{
    CEvent evt(FALSE, TRUE);
    CSingleLock lock1(&evt);
    EXPECT_FALSE(lock1.Lock(10));
    evt.SetEvent();
    CSingleLock lock2(&evt);
    EXPECT_TRUE(lock1.Lock(0));
    EXPECT_TRUE(lock2.Lock(0));
    evt.ResetEvent();
    CSingleLock lock3(&evt);
    EXPECT_FALSE(lock3.Lock(10));
}

TEST(FrameworkSync, NamedObjectsTellWhetherTheyExisted)
{
    std::wstring strMutex = UniqueName(L"Mutex");
    CMutex mutex1(FALSE, strMutex.c_str());
    ASSERT_NE(mutex1.GetHandle(), nullptr);
    EXPECT_FALSE(mutex1.AlreadyExisted());
    CMutex mutex2(FALSE, strMutex.c_str());
    ASSERT_NE(mutex2.GetHandle(), nullptr);
    EXPECT_TRUE(mutex2.AlreadyExisted());

    std::wstring strEvent = UniqueName(L"Event");
    CEvent evt1(FALSE, TRUE, strEvent.c_str());
    EXPECT_FALSE(evt1.AlreadyExisted());
    CEvent evt2(FALSE, TRUE, strEvent.c_str());
    EXPECT_TRUE(evt2.AlreadyExisted());
    evt1.SetEvent();   // one object under two handles
    EXPECT_EQ(WaitForSingleObject(evt2.GetHandle(), 0), static_cast<DWORD>(WAIT_OBJECT_0));

    CMutex unnamed1;
    CMutex unnamed2;
    EXPECT_FALSE(unnamed2.AlreadyExisted());
}

TEST(FrameworkSync, LockOverRawHandle)
{
    HANDLE hMutex = CreateMutexW(nullptr, FALSE, nullptr);
    {
        CSingleLock lock(hMutex, SYNC_KIND::Mutex, TRUE);
        EXPECT_TRUE(lock.IsLocked());
        EXPECT_FALSE(OtherThreadCanTake(hMutex));
    }
    EXPECT_TRUE(OtherThreadCanTake(hMutex));
    CloseHandle(hMutex);

    CSingleLock lockNone(static_cast<HANDLE>(nullptr), SYNC_KIND::None);
    EXPECT_FALSE(lockNone.Lock(0));
    EXPECT_EQ(lockNone.GetLastWaitResult(), static_cast<DWORD>(WAIT_FAILED));
}
