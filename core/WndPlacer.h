// Moves the windows of other programs without waiting for them. A synchronous SetWindowPos on
// another thread's window waits until that thread has handled the position messages: a hung or
// slow program would hold the core's window thread for as long as it hangs. So another thread's
// window is sent its move (SWP_ASYNCWINDOWPOS) and a callback tells when it has been handled;
// until then the placer remembers where the window was sent, so that the next step of a move,
// the move's end and the scroll range see the window where it is going to be. While one move is
// on its way to a window, later ones only change where it is to end: a hung window gets one
// message, not one per step, and catches up with the last when it wakes.
#pragma once
#include <windows.h>

#include <vector>

class CWndPlacer {
public:
    CWndPlacer();
    ~CWndPlacer();
    CWndPlacer(const CWndPlacer&) = delete;
    CWndPlacer& operator=(const CWndPlacer&) = delete;

    // Moves hWnd's top-left corner to (x, y) without activating, resizing or reordering it.
    BOOL MoveTo(HWND hWnd, int x, int y) noexcept;
    // The window rectangle, placed where the last move sent it while that move is on its way.
    BOOL GetWindowRect(HWND hWnd, RECT* prc) noexcept;
    // Windows whose move has not been handled yet.
    size_t GetPendingCount() const noexcept { return m_lst.size(); }

private:
    struct PENDING {
        HWND hWnd;
        POINT ptSent;    // the move on its way
        POINT ptWanted;  // where the window is to end
    };
    static void CALLBACK OnHandled(HWND hWnd, UINT uMsg, ULONG_PTR dwData, LRESULT lResult);
    // Sends the move to ptWanted and asks to be told when it has been handled.
    BOOL Send(PENDING& p) noexcept;
    void Handled(HWND hWnd) noexcept;
    PENDING* Find(HWND hWnd) noexcept;
    void DropGone() noexcept;

    ULONG_PTR m_uId;
    std::vector<PENDING> m_lst;
};

// Puts the window into the placement. Only a window of this thread gets SetWindowPlacement: on
// another thread's window it waits until that thread has handled it, for as long as a hung program
// hangs. Another thread's window (and one whose placement the system refuses, as Wine does for
// another process's) is told by position and show command instead, without waiting: a window
// to be minimised or maximised is first placed at its restored rectangle while it stands restored,
// so that its next restore brings it back there; its queue keeps the order of the two.
BOOL SetPlacementNoWait(HWND hWnd, const WINDOWPLACEMENT& wp) noexcept;
