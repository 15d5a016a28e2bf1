#include "LoggedSingleLock.h"

#include "LogManager.h"

CLoggedSingleLock::CLoggedSingleLock(int nSender, CSyncObject* pObject, BOOL bInitialLock)
    : CSingleLock(pObject, bInitialLock), m_nSender(nSender)
{
}

CLoggedSingleLock::~CLoggedSingleLock() = default;

BOOL CLoggedSingleLock::Lock(LPCWSTR pszFile, int nLine, DWORD dwMilliseconds)
{
    const BOOL bLocked = CSingleLock::Lock(dwMilliseconds);
    if (!bLocked) {
        const DWORD dwError = GetLastError();
        OutputLog(LOG_LEVEL_ERROR, m_nSender, L"Lock failed at %s(%d): wait=%lu, result=0x%lx.\r\n",
                  pszFile ? pszFile : L"?", nLine, dwMilliseconds, GetLastWaitResult());
        // The caller's check reports the system error of the failed wait, not of the log line.
        SetLastError(dwError);
    }
    return bLocked;
}
