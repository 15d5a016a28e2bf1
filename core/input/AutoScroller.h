// Auto scroll on the main window's thread: CAutoScroller watches the pointer on every mouse event
// and tick, runs the edge test (AutoScroll.h) on a change, and carries its answers out with a
// delay item, a tick item and one move request per tick. The main window owns it and routes the
// two timer messages to it; everything it needs of the window goes through IAutoScrollHost.
#pragma once
#include <windows.h>

#include <memory>

#include "AutoScroll.h"
#include "PropertySet.h"

// What auto scroll asks of the core program's main window.
class IAutoScrollHost {
public:
    virtual ~IAutoScrollHost() = default;
    // The window the first tick is posted to.
    virtual HWND GetWnd() = 0;
    virtual const PROPERTY_SET& GetProperty() = 0;
    // A move runs, the tray menu is open or the settings program holds the settings: no step.
    virtual BOOL IsHeldBack() = 0;
    // Where the pointer is and which buttons are down; FALSE when there is no position (a locked
    // or switched desktop).
    virtual BOOL GetPointer(AtScrl::POINTER_STATE& ptr) = 0;
    // The taskbar and the scroll-bar windows (1 horizontal, 2 vertical): the pointer over one of
    // them starts nothing. Null for one that is not there.
    virtual HWND GetTaskbarWnd() = 0;
    virtual HWND GetScrollBarWnd(int nBar) = 0;
    // A button pressed ends the wheel bursts: the next wheel turn opens a new undo item.
    virtual void CloseWheelBursts() = 0;
    // The timer items exist (from the window's start-up to its end).
    virtual BOOL HasTmrItems() = 0;
    virtual int AddStartedTmrItem(UINT uMsg, DWORD dwPeriod, WPARAM wParam) = 0;
    virtual void DeleteTmrItem(int& nId) = 0;
    // An undo record of a scroll of the sub-kind, asked for before the step.
    virtual void PostSaveForUndo(int nSubKind) = 0;
    virtual void ForgetPrevResizeWnd() = 0;
    // Every window moves by the negated offsets, in smooth steps.
    virtual void PostMoveRequest(LONG lOffsetH, LONG lOffsetV) = 0;
};

class CAutoScroller {
public:
    explicit CAutoScroller(std::unique_ptr<IAutoScrollHost> pHost) noexcept : m_pHost(std::move(pHost)) {}
    CAutoScroller(const CAutoScroller&) = delete;
    CAutoScroller& operator=(const CAutoScroller&) = delete;

    // Compares the pointer and the buttons with the last seen and runs the edge test on a change.
    void WatchPointer() noexcept;
    // The items deleted and the directions forgotten; the next look at the pointer runs the edge
    // test even if it has not moved since.
    void Stop() noexcept;
    // The tick item runs: the steps pace themselves by it.
    BOOL IsTicking() const noexcept { return m_nTmrTick != 0; }
    BOOL IsDelaying() const noexcept { return m_nTmrDelay != 0; }
    // The edges the pointer is at now (AtScrl::ATSCRL_*).
    DWORD GetDirs() const noexcept { return m_dwDirs; }

    // MSG_TMR_AUTOSCRL_DELAY, numbered by wParam: only the latest delay item's starts the ticks.
    LRESULT OnTmrDelay(WPARAM wParam) noexcept;
    // MSG_TMR_AUTOSCRL: one step, after a fresh look at the pointer.
    LRESULT OnTmrTick() noexcept;

private:
    // The edge test: which band the pointer rests in, and the delay and tick items that follow.
    void Check(const AtScrl::POINTER_STATE& ptr) noexcept;
    void StartTicks() noexcept;
    // One step toward the edges in m_dwDirs.
    void Step() noexcept;

    std::unique_ptr<IAutoScrollHost> m_pHost;
    int m_nTmrDelay = 0;
    int m_nTmrTick = 0;
    // The edges the pointer is at now, at the last mouse event and at the last step.
    DWORD m_dwDirs = 0;
    DWORD m_dwLastStepDirs = 0;
    BOOL m_bOuterH = FALSE;
    BOOL m_bOuterV = FALSE;
    AtScrl::POINTER_STATE m_ptrLast{};
    BOOL m_bPtrLastValid = FALSE;  // m_ptrLast holds a look at the pointer
    WPARAM m_wDelaySeq = 0;        // number of the latest delay item
};
