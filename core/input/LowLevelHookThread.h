// The thread that runs the core program's low-level keyboard and mouse hooks. Every key and
// mouse event of the desktop waits for these hook procedures, and the system drops a hook that
// keeps it waiting too long: so they must never depend on the main window's thread, which may be
// busy moving windows. This thread does nothing but install and remove the hooks and pump the
// messages the system calls them through.
//
// The procedures post each event to a message-only window of this thread, which hands it on to
// the main window once the thread has had nothing to do for a millisecond (at most a few
// milliseconds after the event; a mouse button at once, with the events before it). Posted
// straight to the main window, the event woke that thread while the hook call was still open, and
// its handler's own calls to the system (key states, the pointer, window rectangles) then stood in
// line with the answer: under Wine every such call goes through the one wineserver, and the event
// waited for them all. Handed on as soon as the call had been answered, the post and the handler
// still stood in line with the answer's way back to the program that sent the event.
#pragma once
#include <windows.h>

#include <memory>

#include "Thread.h"

class CLowLevelHookThread {
public:
    // How long the main window waits for the thread to carry out one install or removal.
    static constexpr DWORD CALL_WAIT = 5000;

    CLowLevelHookThread() = default;
    ~CLowLevelHookThread();
    CLowLevelHookThread(const CLowLevelHookThread&) = delete;
    CLowLevelHookThread& operator=(const CLowLevelHookThread&) = delete;

    // Starts the thread and waits until it takes requests; TRUE when it runs (also already).
    BOOL Start() noexcept;
    // Removes the thread's hooks and ends it.
    void Stop() noexcept;

    // The hook library's own result, obtained on the hook thread: a handle when installed, null
    // when removed or when the install failed (GetLastError then tells why, also when the thread
    // did not answer). Each event reaches hWnd as uMsg, with the library's wParam and lParam. A
    // null window removes the hook.
    HHOOK SetKeybdHook(HWND hWnd, UINT uMsg) noexcept;
    HHOOK SetMouseHook(HWND hWnd, UINT uMsg) noexcept;

    DWORD GetThreadId() const noexcept { return m_pThread ? m_pThread->GetId() : 0; }

    struct HOOK_CALL;

private:
    HHOOK Call(int nHook, HWND hWnd, UINT uMsg) noexcept;
    static DWORD Loop(HANDLE hEvtReady);

    std::unique_ptr<CWorkerThread> m_pThread;
};
