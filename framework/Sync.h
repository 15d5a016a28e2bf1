// Sync: named kernel objects (mutex, event, semaphore) and a lock that holds one of them.
#pragma once

#include <windows.h>

#include "Handle.h"

// A kernel synchronisation object, owned: the destructor closes its handle.
class CSyncObject {
public:
    virtual ~CSyncObject() = default;
    CSyncObject(const CSyncObject&) = delete;
    CSyncObject& operator=(const CSyncObject&) = delete;

    HANDLE GetHandle() const { return m_hObject.get(); }
    // TRUE when a named object of this name existed before this one was made
    // (ERROR_ALREADY_EXISTS): this object then opened it.
    BOOL AlreadyExisted() const { return m_bAlreadyExisted; }

    // Gives back what a successful wait took: ReleaseMutex, ReleaseSemaphore; nothing for an event.
    virtual BOOL Unlock() = 0;

protected:
    CSyncObject() = default;
    // Keeps a freshly created handle and whether it already existed.
    void Attach(HANDLE hObject);

    CHandle m_hObject;
    BOOL m_bAlreadyExisted = FALSE;
};

// CreateMutexW: created or opened by name (null: unnamed).
class CMutex : public CSyncObject {
public:
    explicit CMutex(BOOL bInitiallyOwn = FALSE, LPCWSTR pszName = nullptr,
                    LPSECURITY_ATTRIBUTES pSecurity = nullptr);
    BOOL Unlock() override;
};

// CreateEventW: manual or automatic reset, signalled or not at start.
class CEvent : public CSyncObject {
public:
    explicit CEvent(BOOL bInitiallySignalled = FALSE, BOOL bManualReset = FALSE,
                    LPCWSTR pszName = nullptr, LPSECURITY_ATTRIBUTES pSecurity = nullptr);
    BOOL SetEvent();
    BOOL ResetEvent();
    // A wait on an event takes nothing that must be given back.
    BOOL Unlock() override { return TRUE; }
};

// CreateSemaphoreW.
class CSemaphore : public CSyncObject {
public:
    explicit CSemaphore(LONG lInitialCount = 1, LONG lMaxCount = 1, LPCWSTR pszName = nullptr,
                        LPSECURITY_ATTRIBUTES pSecurity = nullptr);
    BOOL Unlock() override;
};

// What releasing a raw handle held by CSingleLock means.
enum class SYNC_KIND { None, Mutex, Semaphore };

// Holds one waitable object for a scope. Lock counts as held on WAIT_OBJECT_0
// and on WAIT_ABANDONED (a mutex whose owner ended without releasing it: we own
// it now and must release it). The destructor releases only what this lock holds.
class CSingleLock {
public:
    explicit CSingleLock(CSyncObject* pObject, BOOL bInitialLock = FALSE);
    // Over any waitable handle (not owned); kind tells how to release it.
    CSingleLock(HANDLE hObject, SYNC_KIND kind, BOOL bInitialLock = FALSE);
    virtual ~CSingleLock();
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    // WaitForSingleObject up to dwMilliseconds: TRUE when held (also already held:
    // a second wait would take a mutex twice and leave one hold unreleased),
    // FALSE on time-out or failure.
    BOOL Lock(DWORD dwMilliseconds = INFINITE);
    // Releases the object when held; TRUE when nothing is held any more.
    BOOL Unlock();
    BOOL IsLocked() const { return m_bAcquired; }
    // The result of the last WaitForSingleObject (WAIT_OBJECT_0, WAIT_ABANDONED, WAIT_TIMEOUT, WAIT_FAILED).
    DWORD GetLastWaitResult() const { return m_dwWaitResult; }
    HANDLE GetHandle() const { return m_hObject; }

private:
    CSyncObject* m_pObject = nullptr;
    HANDLE m_hObject = nullptr;
    SYNC_KIND m_kind = SYNC_KIND::None;
    BOOL m_bAcquired = FALSE;
    DWORD m_dwWaitResult = WAIT_FAILED;
};
