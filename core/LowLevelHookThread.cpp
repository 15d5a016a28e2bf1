#include "LowLevelHookThread.h"

#include <new>

#include "ZvHook64.h"

namespace {

// A thread message: lParam carries a HOOK_CALL the caller keeps a reference to.
constexpr UINT WM_HOOK_CALL = WM_APP + 1;

}  // namespace

// Shared between the caller and the thread, so that a caller that stopped waiting leaves the
// thread a record that is still alive.
struct CLowLevelHookThread::HOOK_CALL {
    HHOOK(WINAPI* pfnSet)(HWND, UINT) = nullptr;
    HWND hWnd = nullptr;
    UINT uMsg = 0;
    HHOOK hResult = nullptr;
    DWORD dwError = 0;
    HANDLE hEvtDone = nullptr;
    LONG lRefs = 2;

    void Release() noexcept
    {
        if (InterlockedDecrement(&lRefs) == 0) {
            CloseHandle(hEvtDone);
            delete this;
        }
    }
};

CLowLevelHookThread::~CLowLevelHookThread()
{
    Stop();
}

BOOL CLowLevelHookThread::Start() noexcept
{
    if (m_pThread)
        return TRUE;
    HANDLE hEvtReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!hEvtReady)
        return FALSE;
    auto pThread = std::unique_ptr<CWorkerThread>(new (std::nothrow) CWorkerThread);
    // Above the window thread: the hooks hold every input event of the desktop while they run.
    BOOL bOk = pThread && pThread->Start([hEvtReady] { return Loop(hEvtReady); }, THREAD_PRIORITY_HIGHEST);
    if (bOk) {
        const HANDLE ah[2] = {hEvtReady, pThread->GetHandle()};
        bOk = WaitForMultipleObjects(2, ah, FALSE, CALL_WAIT) == WAIT_OBJECT_0;
    }
    if (bOk)
        m_pThread = std::move(pThread);
    else if (pThread && pThread->GetHandle())
        PostThreadMessageW(pThread->GetId(), WM_QUIT, 0, 0);
    // The thread sets the event before its loop and never touches it after.
    if (bOk || !pThread || !pThread->GetHandle() || pThread->Wait(CALL_WAIT))
        CloseHandle(hEvtReady);
    return bOk;
}

void CLowLevelHookThread::Stop() noexcept
{
    if (!m_pThread)
        return;
    // The loop removes whatever hooks it still holds on its way out.
    PostThreadMessageW(m_pThread->GetId(), WM_QUIT, 0, 0);
    if (!m_pThread->Wait(CALL_WAIT)) {
        // A thread that does not end holds nothing of ours: let it go rather than wait for ever.
        (void)m_pThread.release();
        return;
    }
    m_pThread.reset();
}

HHOOK CLowLevelHookThread::SetKeybdHook(HWND hWnd, UINT uMsg) noexcept
{
    return Call(&SetKeybdHook64, hWnd, uMsg);
}

HHOOK CLowLevelHookThread::SetMouseHook(HWND hWnd, UINT uMsg) noexcept
{
    return Call(&SetMouseHook64, hWnd, uMsg);
}

HHOOK CLowLevelHookThread::Call(HHOOK(WINAPI* pfnSet)(HWND, UINT), HWND hWnd, UINT uMsg) noexcept
{
    if (!m_pThread) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return nullptr;
    }
    auto* pCall = new (std::nothrow) HOOK_CALL;
    if (!pCall) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    pCall->pfnSet = pfnSet;
    pCall->hWnd = hWnd;
    pCall->uMsg = uMsg;
    pCall->hEvtDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!pCall->hEvtDone ||
        !PostThreadMessageW(m_pThread->GetId(), WM_HOOK_CALL, 0, reinterpret_cast<LPARAM>(pCall))) {
        const DWORD dwError = GetLastError();
        if (pCall->hEvtDone)
            CloseHandle(pCall->hEvtDone);
        delete pCall;
        SetLastError(dwError ? dwError : ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HHOOK hResult = nullptr;
    DWORD dwError = ERROR_TIMEOUT;
    if (WaitForSingleObject(pCall->hEvtDone, CALL_WAIT) == WAIT_OBJECT_0) {
        hResult = pCall->hResult;
        dwError = pCall->dwError;
    }
    pCall->Release();
    SetLastError(dwError);
    return hResult;
}

DWORD CLowLevelHookThread::Loop(HANDLE hEvtReady)
{
    MSG msg;
    // A thread gets its message queue with its first look at it: before that, posts to it fail.
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent(hEvtReady);
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd || msg.message != WM_HOOK_CALL) {
            DispatchMessageW(&msg);
            continue;
        }
        auto* pCall = reinterpret_cast<HOOK_CALL*>(msg.lParam);
        SetLastError(0);
        pCall->hResult = pCall->pfnSet(pCall->hWnd, pCall->uMsg);
        pCall->dwError = pCall->hResult ? 0 : GetLastError();
        SetEvent(pCall->hEvtDone);
        pCall->Release();
    }
    // The hooks belong to this thread: remove them before it goes.
    SetKeybdHook64(nullptr, 0);
    SetMouseHook64(nullptr, 0);
    return 0;
}
