#include "Thread.h"

#include <process.h>

CWorkerThread::~CWorkerThread()
{
    if (!m_hThread)
        return;
    if (!m_bSuspended && GetCurrentThreadId() != m_dwThreadId)
        WaitForSingleObject(m_hThread.get(), INFINITE);
}

BOOL CWorkerThread::Start(std::function<DWORD()> fnWork, int nPriority, BOOL bSuspended)
{
    if (m_hThread || !fnWork)
        return FALSE;
    auto* pWork = new std::function<DWORD()>(std::move(fnWork));
    unsigned uThreadId = 0;
    // Created suspended so that the priority is set before the first instruction runs.
    auto hThread = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, &CWorkerThread::ThreadProc, pWork, CREATE_SUSPENDED, &uThreadId));
    if (!hThread) {
        delete pWork;
        return FALSE;
    }
    m_hThread.reset(hThread);
    m_dwThreadId = uThreadId;
    m_bSuspended = TRUE;
    SetThreadPriority(m_hThread.get(), nPriority);
    return bSuspended ? TRUE : Resume();
}

BOOL CWorkerThread::Resume()
{
    if (!m_hThread || !m_bSuspended)
        return FALSE;
    if (ResumeThread(m_hThread.get()) == static_cast<DWORD>(-1))
        return FALSE;
    m_bSuspended = FALSE;
    return TRUE;
}

BOOL CWorkerThread::Wait(DWORD dwMilliseconds) const
{
    if (!m_hThread)
        return TRUE;
    return WaitForSingleObject(m_hThread.get(), dwMilliseconds) == WAIT_OBJECT_0;
}

BOOL CWorkerThread::GetExitCode(DWORD* pdwExitCode) const
{
    return m_hThread && GetExitCodeThread(m_hThread.get(), pdwExitCode);
}

unsigned __stdcall CWorkerThread::ThreadProc(void* pvWork)
{
    auto* pWork = static_cast<std::function<DWORD()>*>(pvWork);
    DWORD dwExitCode = (*pWork)();
    delete pWork;
    return dwExitCode;
}
