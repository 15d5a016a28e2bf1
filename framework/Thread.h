// Thread: a worker thread that runs one callable.
#pragma once

#include <windows.h>

#include <functional>

#include "Handle.h"

// A thin owner of one thread (_beginthreadex, so the C runtime is set up for it).
// The callable is copied to the thread, which frees it, so the thread may outlive
// this object safely. The destructor waits for the thread to end, except when that
// cannot end: when called on the thread itself, or when the thread was started
// suspended and never resumed; then it only closes the handle.
class CWorkerThread {
public:
    CWorkerThread() = default;
    ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Starts fnWork at the priority (SetThreadPriority); bSuspended keeps it waiting
    // for Resume. FALSE when already started or the thread cannot be made.
    BOOL Start(std::function<DWORD()> fnWork, int nPriority = THREAD_PRIORITY_NORMAL,
               BOOL bSuspended = FALSE);
    BOOL Resume();
    // TRUE when the thread has ended within dwMilliseconds (also when none was started).
    BOOL Wait(DWORD dwMilliseconds) const;
    BOOL GetExitCode(DWORD* pdwExitCode) const;

    HANDLE GetHandle() const { return m_hThread.get(); }
    DWORD GetId() const { return m_dwThreadId; }

private:
    static unsigned __stdcall ThreadProc(void* pvWork);

    CHandle m_hThread;
    DWORD m_dwThreadId = 0;
    BOOL m_bSuspended = FALSE;
};
