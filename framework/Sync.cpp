#include "Sync.h"

void CSyncObject::Attach(HANDLE hObject)
{
    // Read at once: the next system call may change the last error.
    m_bAlreadyExisted = hObject && GetLastError() == ERROR_ALREADY_EXISTS;
    m_hObject.reset(hObject);
}

CMutex::CMutex(BOOL bInitiallyOwn, LPCWSTR pszName, LPSECURITY_ATTRIBUTES pSecurity)
{
    Attach(CreateMutexW(pSecurity, bInitiallyOwn, pszName));
}

BOOL CMutex::Unlock()
{
    return ReleaseMutex(m_hObject.get());
}

CEvent::CEvent(BOOL bInitiallySignalled, BOOL bManualReset, LPCWSTR pszName,
               LPSECURITY_ATTRIBUTES pSecurity)
{
    Attach(CreateEventW(pSecurity, bManualReset, bInitiallySignalled, pszName));
}

BOOL CEvent::SetEvent()
{
    return ::SetEvent(m_hObject.get());
}

BOOL CEvent::ResetEvent()
{
    return ::ResetEvent(m_hObject.get());
}

CSemaphore::CSemaphore(LONG lInitialCount, LONG lMaxCount, LPCWSTR pszName,
                       LPSECURITY_ATTRIBUTES pSecurity)
{
    Attach(CreateSemaphoreW(pSecurity, lInitialCount, lMaxCount, pszName));
}

BOOL CSemaphore::Unlock()
{
    return ReleaseSemaphore(m_hObject.get(), 1, nullptr);
}

CSingleLock::CSingleLock(CSyncObject* pObject, BOOL bInitialLock)
    : m_pObject(pObject), m_hObject(pObject ? pObject->GetHandle() : nullptr)
{
    if (bInitialLock)
        Lock();
}

CSingleLock::CSingleLock(HANDLE hObject, SYNC_KIND kind, BOOL bInitialLock)
    : m_hObject(hObject), m_kind(kind)
{
    if (bInitialLock)
        Lock();
}

CSingleLock::~CSingleLock()
{
    Unlock();
}

BOOL CSingleLock::Lock(DWORD dwMilliseconds)
{
    if (m_bAcquired)
        return TRUE;
    if (!m_hObject) {
        m_dwWaitResult = WAIT_FAILED;
        return FALSE;
    }
    m_dwWaitResult = WaitForSingleObject(m_hObject, dwMilliseconds);
    m_bAcquired = m_dwWaitResult == WAIT_OBJECT_0 || m_dwWaitResult == WAIT_ABANDONED;
    return m_bAcquired;
}

BOOL CSingleLock::Unlock()
{
    if (!m_bAcquired)
        return TRUE;
    BOOL bReleased = TRUE;
    if (m_pObject)
        bReleased = m_pObject->Unlock();
    else if (m_kind == SYNC_KIND::Mutex)
        bReleased = ReleaseMutex(m_hObject);
    else if (m_kind == SYNC_KIND::Semaphore)
        bReleased = ReleaseSemaphore(m_hObject, 1, nullptr);
    m_bAcquired = !bReleased;
    return bReleased;
}
