// CLoggedSingleLock: the lock the hook and settings block classes take around every access to
// their view.
#pragma once

#include <windows.h>

#include "Sync.h"

// A CSingleLock that knows the sender of its block and the place that asked for it: a lock
// that cannot be had within the wait leaves an error line naming that place before the
// caller reports the failed check.
class CLoggedSingleLock : public CSingleLock {
public:
    CLoggedSingleLock(int nSender, CSyncObject* pObject, BOOL bInitialLock = FALSE);
    virtual ~CLoggedSingleLock();

    // pszFile, nLine: the calling check; used for the log line only.
    BOOL Lock(LPCWSTR pszFile, int nLine, DWORD dwMilliseconds);

    int m_nSender;
};
