#include "LowLevelHookThread.h"

#include <chrono>
#include <new>
#include <vector>

#include "ZvHook64.h"

namespace {

// A thread message: lParam carries a HOOK_CALL the caller keeps a reference to.
constexpr UINT WM_HOOK_CALL = WM_APP + 1;
// What the library posts to the relay window, one number per hook, so the relay knows whose
// event it is whatever numbers the callers chose.
constexpr UINT WM_RELAY_KEYBD = WM_APP + 2;
constexpr UINT WM_RELAY_MOUSE = WM_APP + 3;
constexpr wchar_t kRelayClass[] = L"ZvCoreHookRelay";

enum { HOOK_KEYBD, HOOK_MOUSE, HOOK_COUNT };

// How long a hooked event waits on this thread before it is handed on, and the most an event
// waits while further ones keep coming. See the header for why it waits at all.
constexpr DWORD HAND_ON_QUIET_MS = 1;
constexpr std::chrono::milliseconds HAND_ON_LIMIT{4};

// Where each hook's events go, and those waiting to be handed on, in the order they came. Only
// the hook thread reads or writes it (the relay window's data).
struct RELAY_TARGETS {
    HWND hWnd[HOOK_COUNT] = {};
    UINT uMsg[HOOK_COUNT] = {};
    struct EVENT {
        int nHook;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<EVENT> waiting;
    std::chrono::steady_clock::time_point tFirstWaiting;

    void HandOn() noexcept
    {
        for (const EVENT& e : waiting) {
            if (hWnd[e.nHook])
                PostMessageW(hWnd[e.nHook], uMsg[e.nHook], e.wParam, e.lParam);
        }
        waiting.clear();
    }
};

// A button goes on at once, with whatever came before it: the undo's watch of a resize takes the
// window's size at the press, before a drag can change it.
bool IsHandedOnAtOnce(int nHook, WPARAM wParam) noexcept
{
    return nHook == HOOK_MOUSE && wParam != WM_MOUSEMOVE;
}

LRESULT CALLBACK RelayProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_RELAY_KEYBD || uMsg == WM_RELAY_MOUSE) {
        auto* pTargets = reinterpret_cast<RELAY_TARGETS*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        const int nHook = uMsg == WM_RELAY_KEYBD ? HOOK_KEYBD : HOOK_MOUSE;
        if (!pTargets || !pTargets->hWnd[nHook])
            return 0;
        try {
            if (pTargets->waiting.empty())
                pTargets->tFirstWaiting = std::chrono::steady_clock::now();
            pTargets->waiting.push_back({nHook, wParam, lParam});
        } catch (...) {
            // No room to keep it: it goes now, after those before it.
            pTargets->HandOn();
            PostMessageW(pTargets->hWnd[nHook], pTargets->uMsg[nHook], wParam, lParam);
            return 0;
        }
        if (IsHandedOnAtOnce(nHook, wParam))
            pTargets->HandOn();
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

HWND CreateRelayWindow(RELAY_TARGETS* pTargets) noexcept
{
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = RelayProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kRelayClass;
    // A second start of the thread finds the class registered already.
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    HWND hWnd = CreateWindowExW(0, kRelayClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (hWnd)
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pTargets));
    return hWnd;
}

}  // namespace

// Shared between the caller and the thread, so that a caller that stopped waiting leaves the
// thread a record that is still alive.
struct CLowLevelHookThread::HOOK_CALL {
    int nHook = HOOK_KEYBD;
    HWND hWnd = nullptr;
    UINT uMsg = 0;
    HHOOK hResult = nullptr;
    DWORD dwError = 0;
    CHandle hEvtDone;
    LONG lRefs = 2;

    void Release() noexcept
    {
        if (InterlockedDecrement(&lRefs) == 0)
            delete this;
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
    CHandle hEvtReady(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!hEvtReady)
        return FALSE;
    auto pThread = std::unique_ptr<CWorkerThread>(new (std::nothrow) CWorkerThread);
    // Above the window thread: the hooks hold every input event of the desktop while they run.
    BOOL bOk = pThread && pThread->Start([hEvt = hEvtReady.get()] { return Loop(hEvt); }, THREAD_PRIORITY_HIGHEST);
    if (bOk) {
        const HANDLE ah[2] = {hEvtReady.get(), pThread->GetHandle()};
        bOk = WaitForMultipleObjects(2, ah, FALSE, CALL_WAIT) == WAIT_OBJECT_0;
    }
    if (bOk)
        m_pThread = std::move(pThread);
    else if (pThread && pThread->GetHandle())
        PostThreadMessageW(pThread->GetId(), WM_QUIT, 0, 0);
    // The thread sets the event before its loop and never touches it after; one that has not ended
    // may still set it, so the event stays open for it.
    if (!(bOk || !pThread || !pThread->GetHandle() || pThread->Wait(CALL_WAIT)))
        (void)hEvtReady.release();
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
    return Call(HOOK_KEYBD, hWnd, uMsg);
}

HHOOK CLowLevelHookThread::SetMouseHook(HWND hWnd, UINT uMsg) noexcept
{
    return Call(HOOK_MOUSE, hWnd, uMsg);
}

HHOOK CLowLevelHookThread::Call(int nHook, HWND hWnd, UINT uMsg) noexcept
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
    pCall->nHook = nHook;
    pCall->hWnd = hWnd;
    pCall->uMsg = uMsg;
    pCall->hEvtDone.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!pCall->hEvtDone ||
        !PostThreadMessageW(m_pThread->GetId(), WM_HOOK_CALL, 0, reinterpret_cast<LPARAM>(pCall))) {
        const DWORD dwError = GetLastError();
        delete pCall;
        SetLastError(dwError ? dwError : ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HHOOK hResult = nullptr;
    DWORD dwError = ERROR_TIMEOUT;
    if (WaitForSingleObject(pCall->hEvtDone.get(), CALL_WAIT) == WAIT_OBJECT_0) {
        hResult = pCall->hResult;
        dwError = pCall->dwError;
    }
    pCall->Release();
    SetLastError(dwError);
    return hResult;
}

DWORD CLowLevelHookThread::Loop(HANDLE hEvtReady)
{
    static constexpr HHOOK(WINAPI* kSet[HOOK_COUNT])(HWND, UINT) = {&SetKeybdHook64, &SetMouseHook64};
    static constexpr UINT kRelayMsg[HOOK_COUNT] = {WM_RELAY_KEYBD, WM_RELAY_MOUSE};
    RELAY_TARGETS targets;
    const HWND hWndRelay = CreateRelayWindow(&targets);
    MSG msg;
    // A thread gets its message queue with its first look at it: before that, posts to it fail.
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent(hEvtReady);
    for (;;) {
        // Events wait until the thread has had nothing to do for a moment, or for the limit.
        const bool bWaiting = !targets.waiting.empty();
        const DWORD dwWait = MsgWaitForMultipleObjectsEx(0, nullptr, bWaiting ? HAND_ON_QUIET_MS : INFINITE,
                                                         QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (dwWait == WAIT_TIMEOUT || (bWaiting && std::chrono::steady_clock::now() - targets.tFirstWaiting >= HAND_ON_LIMIT))
            targets.HandOn();
        if (dwWait == WAIT_TIMEOUT)
            continue;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            continue;
        if (msg.message == WM_QUIT)
            break;
        if (msg.hwnd || msg.message != WM_HOOK_CALL) {
            DispatchMessageW(&msg);
            continue;
        }
        auto* pCall = reinterpret_cast<HOOK_CALL*>(msg.lParam);
        const int nHook = pCall->nHook;
        SetLastError(0);
        if (!pCall->hWnd) {
            pCall->hResult = kSet[nHook](nullptr, 0);
            targets.hWnd[nHook] = nullptr;
        } else if (!hWndRelay || !IsWindow(pCall->hWnd)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        } else if ((pCall->hResult = kSet[nHook](hWndRelay, kRelayMsg[nHook])) != nullptr) {
            targets.hWnd[nHook] = pCall->hWnd;
            targets.uMsg[nHook] = pCall->uMsg;
        }
        pCall->dwError = pCall->hResult ? 0 : GetLastError();
        SetEvent(pCall->hEvtDone.get());
        pCall->Release();
    }
    targets.HandOn();
    // The hooks belong to this thread: remove them before it goes.
    SetKeybdHook64(nullptr, 0);
    SetMouseHook64(nullptr, 0);
    if (hWndRelay)
        DestroyWindow(hWndRelay);
    return 0;
}
