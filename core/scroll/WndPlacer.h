// Moves the windows of other programs without waiting for them. A synchronous SetWindowPos on
// another thread's window waits until that thread has handled the position messages: a hung or
// slow program would hold the core's window thread for as long as it hangs. So another thread's
// window is sent its move (SWP_ASYNCWINDOWPOS) and a callback tells when it has been handled;
// until then the placer remembers where the window was sent, so that the next step of a move,
// the move's end and the scroll range see the window where it is going to be. While one move is
// on its way to a window, later ones only change where it is to end: a hung window gets one
// message, not one per step, and catches up with the last when it wakes.
//
// A thread handles the messages sent to its windows in the order they were sent, so one question
// after a batch of moves (BeginBatch, EndBatch) answers for every window of that thread moved in
// the batch: a program with fifty windows then handles one question a step, not fifty.
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
    // dwTid: the window's thread when the caller knows it already (a window keeps its thread for
    // life), else 0 and the placer asks.
    BOOL MoveTo(HWND hWnd, int x, int y, DWORD dwTid = 0) noexcept;
    // Between the two, moves ask whether they have been handled only at EndBatch, once for each
    // thread whose windows were sent a move.
    void BeginBatch() noexcept { ++m_nBatch; }
    void EndBatch() noexcept;
    // The window rectangle, placed where the last move sent it while that move is on its way.
    BOOL GetWindowRect(HWND hWnd, RECT* prc) noexcept;
    // A rectangle of the window read just now, placed where the last move sent it while that move
    // is on its way.
    void PlaceRect(HWND hWnd, RECT* prc) noexcept;
    // Windows whose move has not been handled yet.
    size_t GetPendingCount() const noexcept { return m_lst.size(); }
    // Questions on their way: one per window outside a batch, one per thread after one.
    size_t GetQuestionCount() const noexcept { return m_nQuestions; }

private:
    struct PENDING {
        HWND hWnd;
        DWORD dwTid;
        POINT ptSent;    // the move on its way
        POINT ptWanted;  // where the window is to end
        UINT uTicket;    // the question whose answer confirms ptSent; 0 while it waits for EndBatch
    };
    static void CALLBACK OnHandled(HWND hWnd, UINT uMsg, ULONG_PTR dwData, LRESULT lResult);
    // Sends the move to ptWanted and, outside a batch, asks to be told when it has been handled.
    BOOL Send(PENDING& p) noexcept;
    // Asks hWnd's thread to answer under a new ticket once it has handled what was sent before;
    // 0 when the question could not be sent.
    UINT Ask(HWND hWnd) noexcept;
    void Handled(UINT uTicket) noexcept;
    PENDING* Find(HWND hWnd) noexcept;
    void DropGone() noexcept;

    ULONG_PTR m_uId;
    std::vector<PENDING> m_lst;
    size_t m_nAddedSinceSweep = 0;
    int m_nBatch = 0;
    UINT m_uLastTicket = 0;
    size_t m_nQuestions = 0;
};

// Opens a batch of the placer for the scope.
class CWndPlacerBatch {
public:
    explicit CWndPlacerBatch(CWndPlacer& placer) noexcept : m_placer(placer) { m_placer.BeginBatch(); }
    ~CWndPlacerBatch() { m_placer.EndBatch(); }
    CWndPlacerBatch(const CWndPlacerBatch&) = delete;
    CWndPlacerBatch& operator=(const CWndPlacerBatch&) = delete;

private:
    CWndPlacer& m_placer;
};

// Puts the window into the placement. Only a window of this thread gets SetWindowPlacement: on
// another thread's window it waits until that thread has handled it, for as long as a hung program
// hangs. Another thread's window (and one whose placement the system refuses, as Wine does for
// another process's) is told by position and show command instead, without waiting: a window
// to be minimised or maximised is first placed at its restored rectangle while it stands restored,
// so that its next restore brings it back there; its queue keeps the order of the two.
BOOL SetPlacementNoWait(HWND hWnd, const WINDOWPLACEMENT& wp) noexcept;
