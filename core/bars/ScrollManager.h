// The drag manager of a scroll-bar window: it keeps the bar's geometry and state, turns clicks,
// spin arrows and the wheel into scroll requests to the core program's main window, drags the
// thumb (which scrolls every window) and, with Alt held, moves or resizes the bar itself.
// CScrlMngrH and CScrlMngrV (ScrlMngrH.h, ScrlMngrV.h) give the horizontal and the vertical bar
// their axis: which coordinate, which Scroll width entries, which direction flags.
//
// The numbers all come from BarCalc; the manager only feeds them in and places the window and its
// two controls where BarCalc says. Everything it asks of the main window goes through
// IScrollBarHost, every request posted, so that the unit tests can fake the main window.
#pragma once
#include <windows.h>

#include <memory>

#include "BarCalc.h"
#include "PostedRecordPool.h"

// The cursors a bar shows; the application object loads them once.
enum class BarCursor { Arrow, SizeWE, SizeNS, SizeNWSE, SizeNESW, SizeAll };

// What a bar's manager asks of and tells the core program's main window.
class IScrollBarHost {
public:
    virtual ~IScrollBarHost() = default;
    virtual BOOL IsTrayMenuOpen() = 0;
    virtual BOOL IsPropertyActive() = 0;
    // A move runs.
    virtual BOOL IsScrollProcessing() = 0;
    // A move runs, or one asked for still waits in the queue.
    virtual BOOL IsMovePending() = 0;
    virtual BOOL IsSaveForUndoPending() = 0;
    // The wheel burst of the axis is closed: the next wheel turn opens a new undo item.
    virtual BOOL IsWheelBurstClosed(BOOL bVert) = 0;
    // MSG_SCRL_RANGE (window list dirty): the scroll range is recomputed.
    virtual void PostScrlRange() = 0;
    // MSG_MV_ALL_WNDS_BY_DEVICE: direction flags, Scroll width index, count.
    virtual void PostDevice(WORD wFlags, int nIdx, int nCount) = 0;
    // MSG_SAVE_FOR_UNDO; *pnTicket, when given, names the save for PostDelLastUndo.
    virtual BOOL PostSaveForUndo(int nKind, INT_PTR nValue, void* pv, INT_PTR nExtra, UINT* pnTicket) = 0;
    // MSG_DEL_LAST_UNDO: the last undo item goes, if the save of that ticket added it.
    virtual void PostDelLastUndo(UINT nTicket) = 0;
    // MSG_MV_ALL_WNDS: every window moves by the negated offsets.
    virtual void PostMoveRequest(LONG lOffsetH, LONG lOffsetV, BOOL bAtOnce) = 0;
    // The tray menu at a screen point.
    virtual void PostTrayMenu(POINT ptScreen) = 0;
    // MSG_SCRLBAR_RECT: the bar's new rectangle (1 horizontal, 2 vertical) for the settings.
    virtual void PostBarRect(int nBar, const RECT& rc) = 0;
    virtual HCURSOR GetCursor(BarCursor cursor) = 0;
};

// What a bar window is made with: the main window, the scroll range of its axis (read
// live: the main window keeps it) and the rectangle it starts at.
struct SCROLLBAR_ARGS {
    IScrollBarHost* pHost = nullptr;
    const LONG* pnRangeMin = nullptr;
    const LONG* pnRangeMax = nullptr;
    RECT rcBar{};
};

// The bar window and its two controls.
struct SCROLLBAR_CONTROLS {
    HWND hWndBar = nullptr;
    HWND hWndSpin = nullptr;
    HWND hWndThumb = nullptr;
};

class CScrollManager {
public:
    static constexpr int KIND_H = 1;
    static constexpr int KIND_V = 2;
    // The timer that watches for the pointer leaving an expanded auto-hide bar.
    static constexpr UINT_PTR LEAVE_TIMER_ID = 1;
    static constexpr UINT LEAVE_TIMER_MS = 150;
    // A hover posts MSG_SCRL_RANGE at most this often: each one counts every window afresh.
    static constexpr DWORD HOVER_RANGE_MS = 200;

    CScrollManager(const SCROLLBAR_ARGS& args, int nKind, const SCROLLBAR_CONTROLS& ctl);
    // The bar's own window is gone or going: a drag in progress ends without a trace.
    virtual ~CScrollManager();
    CScrollManager(const CScrollManager&) = delete;
    CScrollManager& operator=(const CScrollManager&) = delete;

    // ---- Per axis ----
    // The desktop size of the axis, then the common part (CScrollManager::Init).
    virtual void Init();
    virtual void OnSpinDelta(int nDelta) = 0;
    virtual void OnLButtonDown(POINT pt, BOOL bAlt) = 0;
    // One step of a thumb drag by nDelta pixels: the thumb moves, stopping at either end of the
    // track, and every window by its share of the scroll range.
    virtual void MoveAllWindows(int nDelta, BOOL bAtOnce) = 0;
    // The Alt-resize pointer held to the limits of the bar's direction.
    virtual POINT LimitResize(POINT ptScreen) = 0;
    // MSG_SAVE_FOR_UNDO of the rectangle before the Alt-drag and MSG_SCRLBAR_RECT of the new one.
    virtual void ReportBarRect() = 0;
    virtual BOOL OnMouseWheel(UINT nFlags, int nDelta, POINT pt) = 0;

    // ---- Input of the bar window ----
    void OnMouseMove(POINT pt, BOOL bAlt);
    void OnLButtonUp(POINT pt);
    void OnRButtonDown(UINT nFlags, POINT pt);
    void OnSetCursor();
    // The bar's capture went to another window: a drag in progress ends.
    void OnCaptureChanged(HWND hWndNew);
    void OnLeaveTimer();
    // A move has ended: during a thumb drag, the pointer's travel that waited for it becomes the
    // next step now, not at the pointer's next motion, which does not come while the user holds
    // the pointer still.
    void TakeWaitingTravel();

    // ---- Geometry ----
    BarCalc::BarPart HitTest(POINT pt) const;
    void UpdateThumb(BOOL bForce);
    void PlaceThumb(BOOL bRepaint);
    void LayoutSpin();
    void ResizeTo(POINT ptScreen);
    // MSG_SCRLBAR_SETRECT: a drag in progress ends first; the settings' rectangle wins.
    void SetBarRect(const RECT& rc);
    void SetThickness(BOOL bCollapsed);
    void UpdateHalves();
    int HitTestEdges(POINT ptScreen) const;
    // The cursor of the edges under the point; TRUE when an Alt press there resizes the bar.
    BOOL SetEdgeCursor(POINT ptScreen);
    BOOL CanMoveBy(POINT ptScreen) const;
    void MoveBarBy(POINT ptScreen);

    // ---- What the core program calls ----
    void SetHideMode(BOOL bOn);
    BOOL SetAlpha(BYTE byAlpha);
    int GetRangeLimit() const noexcept { return m_nRangeLimit; }
    int GetTrackLength() const noexcept { return m_nTrackLen; }
    // The thumb is dragged, or the bar moved or resized.
    BOOL IsDragging() const noexcept { return m_bThumbDrag || m_bResizing || m_bMoving; }
    // The bar's whole rectangle, also while auto-hide shows it as a thin strip.
    RECT GetBarRect() const noexcept;
    // A drag in progress ends as if it had never begun: an Alt-drag puts the bar back where it
    // was, a thumb drag keeps what it has moved; no rectangle is reported.
    void EndDrag();
    // MSG_SCRLBAR_SETRECT with a record of this bar's own pool (a record that another program
    // posts is refused); FALSE when it could not be posted.
    BOOL PostSetRect(const RECT& rc);
    std::unique_ptr<RECT> TakeSetRect(ULONG_PTR nRecord) noexcept { return m_setRectReq.Take(nRecord); }

    // The tray menu is open, the settings program runs or a move runs: clicks wait.
    BOOL IsBusy() const;
    BOOL IsAutoHide() const noexcept { return m_bAutoHide; }
    BOOL IsCollapsed() const noexcept { return m_bCollapsed; }
    int GetThumbPos() const noexcept { return m_nThumbPos; }
    int GetThumbLen() const noexcept { return m_nThumbLen; }
    int GetKind() const noexcept { return m_nKind; }
    BOOL IsVert() const noexcept { return m_nKind == KIND_V; }

    // The last computed thumb length: one value for both bars.
    static int s_nLastThumbLen;

    // Per-axis values of a click, spin, wheel and drag.
    struct AXIS_INPUT {
        int nUndoValue;     // UK_ALIGN sub-kind: 5 horizontal scroll, 6 vertical scroll
        WORD wFlagStart;    // towards the start: left, up
        WORD wFlagEnd;      // towards the end: right, down
        int nPageIdx;       // Scroll width entries of the mouse and the wheel
        int nLineIdx;
        int nWheelLineIdx;
        int nWheelPageIdx;
        WORD wSpinFlagPlus;   // the spin's delta > 0
        WORD wSpinFlagMinus;  // delta <= 0
    };

protected:
    void Press(POINT pt, BOOL bAlt, const AXIS_INPUT& ax);
    void SpinBy(int nDelta, const AXIS_INPUT& ax);
    BOOL WheelBy(UINT nFlags, int nDelta, const AXIS_INPUT& ax);
    // The thumb drag step; pszName names the class in the log line.
    void DragBy(int nDelta, BOOL bAtOnce, LPCWSTR pszName);
    void Report(int nBar);
    POINT LimitResizeBy(POINT ptScreen, int nSysScroll) const;
    void PostMoveAllWindows(LONG lOffsetH, LONG lOffsetV, BOOL bAtOnce);
    BOOL PostSaveForUndo(int nKind, INT_PTR nValue, void* pv, INT_PTR nExtra, UINT* pnTicket = nullptr);
    void SetCursorTo(BarCursor cursor);
    RECT DesktopRect() const;
    // The thumb-drag coordinate of a client point: x across, y down.
    int DragCoord(POINT pt) const noexcept { return IsVert() ? pt.y : pt.x; }

    // The bar's geometry and the state of its drags.
    int m_nHalves = 0;
    int m_nEdges = 0;
    int m_nKind;
    int m_nRangeLimit = 0;
    int m_nThick = 0;
    int m_nThickHidden = 2;
    int m_nThumbPos = 0;
    int m_nDragLast = 0;
    // Where the pointer was along the track at the thumb drag's last motion.
    int m_nDragSeen = 0;
    int m_nThumbLen = 0;
    int m_nTrackLen = 0;
    int m_nDesktopSize = 0;
    BOOL m_bResizing = FALSE;
    BOOL m_bMoving = FALSE;
    BOOL m_bAutoHide = FALSE;
    BOOL m_bExpanded = FALSE;
    BOOL m_bThumbDrag = FALSE;
    BOOL m_bSpinUndoSaved = FALSE;
    HWND m_hWndBar;
    const LONG* m_pnRangeMin;
    const LONG* m_pnRangeMax;
    HWND m_hWndSpin;
    HWND m_hWndThumb;
    IScrollBarHost* m_pHost;
    RECT m_rcBar;
    RECT m_rcSaved;
    RECT m_rcSpin{};
    RECT m_rcThumb{};
    POINT m_ptDrag{};

private:
    LONG RangeMin() const noexcept { return m_pnRangeMin ? *m_pnRangeMin : 0; }
    LONG RangeMax() const noexcept { return m_pnRangeMax ? *m_pnRangeMax : 0; }
    // The bar window placed at m_rcBar (no activation, no z-order change).
    void MoveBarWindow(BOOL bRepaint);
    void ShowControls(BOOL bShow);
    // Auto-hide: full thickness with the capture, or the thin strip.
    void Expand();
    void Collapse();
    // An Alt-drag that ends without a report: the bar goes back to where it began.
    void CancelAltDrag();
    void BeginAltDrag(POINT pt);

    // Thin strip shown in auto-hide mode.
    BOOL m_bCollapsed = FALSE;
    // The press that began the thumb drag saved an undo step under this ticket.
    UINT m_nPressTicket = 0;
    // When a hover last posted MSG_SCRL_RANGE, once one has.
    DWORD m_dwLastHoverRange = 0;
    BOOL m_bHoverRangePosted = FALSE;
    CPostedRecordPool<RECT> m_setRectReq;
};

// What the two bar windows share besides their manager.
namespace ScrollBarWnd {
// WM_KEYDOWN of Enter or Escape, which would end a dialog: a bar swallows it.
BOOL IsDialogEndKey(const MSG* pMsg) noexcept;
// The bar window as initialisation leaves it: hidden, a tool window (no taskbar button), titled,
// its spin's range 0 to 100 with the position in the middle.
void Prepare(HWND hWndBar, LPCWSTR pszTitle, HWND hWndSpin) noexcept;
// Alt counts as held when GetAsyncKeyState says so at the time the message is handled.
BOOL IsAltHeld() noexcept;
// The point of a mouse message's lParam.
POINT PointOf(LPARAM lParam) noexcept;
}  // namespace ScrollBarWnd
