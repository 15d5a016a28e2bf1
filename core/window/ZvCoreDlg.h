// The core program's one window: a modeless dialog that is never shown. Timer items, log-viewer
// messages and scroll requests arrive here, and the scroll engine runs on its thread.
#pragma once
#include <windows.h>

#include <list>
#include <memory>

#include "AutoScroller.h"
#include "CoalescedRequest.h"
#include "HookSet.h"
#include "IgnoreActivation.h"
#include "KeyMatch.h"
#include "LogViewerLink.h"
#include "MoveRun.h"
#include "MinimizedWnds.h"
#include "NestedLoops.h"
#include "PostedRecordPool.h"
#include "PropExchange.h"
#include "PropertySet.h"
#include "ScrollBars.h"
#include "ScrollCalc.h"
#include "ScrollManager.h"
#include "ScrollRange.h"
#include "ScrollMove.h"
#include "Sender.h"
#include "Sync.h"
#include "TmrMngr.h"
#include "TrayIcon.h"
#include "UndoKind.h"
#include "UndoKeeper.h"
#include "UndoList.h"
#include "WheelBursts.h"
#include "Window.h"
#include "WndPlacer.h"
#include "ZvNames.h"

class CHkGtwyLink;
struct ALIGN_KIND;
class CWndEnumerator;

class CZvCoreDlg : public CDialog {
public:
    CZvCoreDlg();
    ~CZvCoreDlg() override;

    void ApplyProperty();
    // The View settings: the mouse hook, topmost or not, the tray icon added or removed.
    void ApplyViewProperty() noexcept;

    // TRUE when on was asked and the hook is installed; a hook is installed only while none is held.
    // An install that fails is logged and, the first time, shown in a box; the next apply tries again.
    // Switching the window-event hook also tells the gateway, while it is linked, to do the same.
    BOOL SetCbtHook(BOOL bOn) noexcept;
    BOOL SetKeybdHook(BOOL bOn) noexcept { return m_hooks.SetKeybdHook(bOn); }
    BOOL SetMouseHook(BOOL bOn) noexcept;
    // On while any key assignment, the resize undo, the ignore-activation key or the settings
    // program's key capture needs key events.
    BOOL UpdateKeybdHook() noexcept;
    // The resize undo and auto scroll watch the mouse.
    BOOL IsMouseHookWanted() const noexcept;
    BOOL UpdateMouseHook() noexcept;
    // The settings program takes the settings over: no wheel bursts, no auto scroll, no window events.
    BOOL SuspendForProperty() noexcept;

    // Posts MSG_MV_ALL_WNDS with a new request; the window keeps it until the move handler takes it.
    BOOL PostMoveRequest(LONG lOffsetH, LONG lOffsetV, BOOL bAtOnce, BOOL bMouseMove, HWND hWndExcept);
    // A move runs from its acceptance until its last pass has ended.
    // The error box of a main window that failed to come into being, or of a hook asked for
    // without one (dwErr: the error then); FALSE.
    static BOOL ReportNoWindow(DWORD dwErr) noexcept;
    BOOL IsScrollProcessing() const noexcept { return m_moveRun.IsRunning(); }
    // A move runs, or one asked for still waits in the queue.
    BOOL IsMovePending() const noexcept { return m_moveRun.IsPending(); }
    // Pixels per unit of Scroll width entry nIdx.
    int GetScrollWidthAbs(int nIdx);
    // Rebuilds the enumerator's lists and the scroll range; FALSE when the lists cannot be had.
    BOOL CalcScrollRange();
    // pRead: what the closing pass of the move that ended read of its windows.
    void UpdateScrollBars(const WND_READS* pRead = nullptr);
    // Takes over a move built elsewhere (an arrangement, an undo) and starts its steps; FALSE for
    // none. The caller has checked that no move is running.
    BOOL StartMove(std::unique_ptr<CScrollMove> pMove) noexcept;
    HWND ReplaceOwnedWindow(HWND hWnd);
    const RECT& GetScrollRange() const noexcept { return m_scrollRange.Get(); }
    // The wheel burst of an axis is closed: the next wheel turn opens a new undo item.
    BOOL IsWheelBurstClosed(BOOL bVert) const noexcept { return m_wheelBursts.IsClosed(bVert); }
    BOOL IsTrayMenuOpen() const noexcept { return m_tray.IsMenuOpen(); }

    // Every box, menu or wait that dispatches messages while a handler of this window is on the
    // stack runs inside one of these. An end asked for meanwhile (a close, the exit command, the
    // gateway's end or its limit) is put off and posted again once the outermost has closed, so
    // that it comes after the handler has returned: the window, and this object with it, outlives
    // every handler on the stack.
    class CNestedLoop {
    public:
        explicit CNestedLoop(CZvCoreDlg& dlg) noexcept : m_dlg(dlg) { m_dlg.m_nestedLoops.Enter(); }
        ~CNestedLoop() { m_dlg.LeaveNestedLoop(); }
        CNestedLoop(const CNestedLoop&) = delete;
        CNestedLoop& operator=(const CNestedLoop&) = delete;

    private:
        CZvCoreDlg& m_dlg;
    };
    BOOL IsInNestedLoop() const noexcept { return m_nestedLoops.IsInside(); }
    // The core program's one window, made with its object; null (dwErr set) when it did not come
    // into being. The object is deleted exactly once: here on failure, else when its window goes.
    static CZvCoreDlg* CreateMain(DWORD& dwErr) noexcept;
    BOOL IsPropertyActive() const noexcept { return m_propExch.IsActive(); }

    // ---- Scroll-bar windows (ZvCoreDlgBars.cpp) ----
    // The horizontal (1) or vertical (2) bar window and its manager; null while there is none.
    HWND GetScrollBarWnd(int nBar) const noexcept;
    CScrollManager* GetScrollBarManager(int nBar) const noexcept;
    // Either bar's thumb is dragged, or either bar moved or resized.
    BOOL IsBarDragging() const noexcept;
    // Keeps a bar rectangle (1 horizontal, 2 vertical) in the Position and Size settings: rc, or
    // the default one when null.
    void StoreBarRect(int nBar, const RECT* prc) noexcept;
    // Each bar rectangle of the settings made one the user can see and reach, and kept so; then
    // MSG_SCRLBAR_SETRECT to each bar that View "Horizontal" or "Vertical" shows.
    void PostBarRects() noexcept;
    // View "Hide", "Horizontal", "Vertical" and "Transparent" applied to both bars.
    void ApplyBarsView() noexcept;
    // MSG_SCRLBAR_RECT with a record of this window's pool: a bar's new rectangle for the settings.
    BOOL PostScrlBarRect(int nBar, const RECT& rc) noexcept;

    // ---- Tray icon and menu (TrayIcon.h, ZvCoreDlgTray.cpp) ----
    // Asks for the tray menu at a screen point (a scroll-bar window's right click); the menu opens
    // when the request arrives. FALSE when it could not be posted.
    BOOL PostTrayMenu(POINT ptScreen) noexcept { return m_tray.PostMenu(ptScreen); }

    // ---- Undo (ZvCoreDlgUndo.cpp) ----
    // Asks for an undo record of the state as it stands; the record is taken after the current
    // event, before the change the caller is about to make has been carried out. *pnTicket gets
    // the request's number: MSG_DEL_LAST_UNDO with it in wParam deletes the item it added.
    BOOL PostSaveForUndo(int nKind, INT_PTR nValue, void* pv, INT_PTR nExtra, UINT* pnTicket = nullptr) noexcept;
    // Records an undo item now (MSG_SAVE_FOR_UNDO's handler); nTicket marks the item it adds.
    BOOL SaveForUndo(int nKind, INT_PTR nValue, void* pv, INT_PTR nExtra, UINT nTicket = 0) noexcept;
    // Carries out the last item; 0 when there is none, or while a move runs (the item stays).
    BOOL ExecuteLastUndo() noexcept;
    // The last item that is valid and would change something, dropping the others from the tail.
    CUndoItem* LastUndoItem() noexcept;
    BOOL IsSaveForUndoPending() const noexcept { return m_undo.IsSavePending(); }
    size_t GetUndoCount() const noexcept { return m_undo.List().GetCount(); }
    // In the move list or in the fixed list.
    BOOL IsMoveOrFixWnd(HWND hWnd) noexcept;
    // Remembers the window whose next change by the user an undo can take back: hWnd, or the
    // foreground window when null, or the first move-list window below it. nForceShowCmd, unless
    // UNDO_NO_SHOW_CMD, is stored as its show command.
    BOOL SetPrevResizeWnd(HWND hWnd, int nForceShowCmd) noexcept;
    void ForgetPrevResizeWnd() noexcept;

    // ---- Window tracking (ZvCoreDlgTrack.cpp) ----
    // A minimised window with an entry of the minimised list.
    BOOL IsMinimizedWnd(HWND hWnd) const noexcept;
    // Appends an entry (the hidden main window's top-left now, the window's restored top-left);
    // FALSE for a gone or already listed window.
    BOOL AddMinimizedWnd(HWND hWnd, POINT ptNormal) noexcept;
    // The list made afresh from the minimised windows of the move list (settings applied with
    // Window "RestoreAbsPos" on).
    void RebuildMinimizedWnds() noexcept;
    const std::list<MINIMIZED_WND_POS>& GetMinimizedWnds() const noexcept { return m_minimized.List(); }
    // Scrolls an activated window into view by Window "ActivateMode": 0 when a move was requested,
    // else 1. Only a live entry of the move list is ever scrolled for.
    int BringWndIntoView(HWND hWnd) noexcept;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void PostNcDestroy() override;

private:
    // ---- Nested message loops (ZvCoreDlg.cpp) ----
    // Inside a nested loop: uMsg with wParam is to be posted again once the outermost has closed,
    // an open menu closes so that its loop ends soon (a box waits for the user), and TRUE.
    // Outside: FALSE, and the caller ends now.
    BOOL DeferEnd(UINT uMsg, WPARAM wParam) noexcept;
    // DestroyWindow, or inside a nested loop a close put off until it has closed.
    void DestroyWhenUnwound() noexcept;
    void LeaveNestedLoop() noexcept;
    CNestedLoops m_nestedLoops;
    // Set while the constructor makes the window: a window gone already is not yet ours to delete.
    BOOL m_bCreating = FALSE;

    // Timer items: the identifier member of an item is 0 while it does not exist.
    int AddTmrItem(UINT uMsg, DWORD dwPeriod, WPARAM wParam = 0) noexcept;
    // AddTmrItem, and the item started when it was made.
    int AddStartedTmrItem(UINT uMsg, DWORD dwPeriod, WPARAM wParam = 0) noexcept;
    void DeleteTmrItem(int& nId) noexcept;
    // The viewer asked to attach to (MSG_LOG_WND_DTCT's answer).
    void AttachLogWindow() noexcept;

    // The scroll range from the rectangles of the move list as it stands.
    // bJustCounted: the lists were counted just now, and what the count read of each window serves;
    // pRead: what a move's closing pass read of its windows, which serves for those.
    void CalcRangeFromRects(BOOL bJustCounted = FALSE, const WND_READS* pRead = nullptr) noexcept;
    // Right before a coalesced answer: the mark of nKind posted when none is queued.
    void BeginCoalescedAnswer(CCoalescedRequest& req, WPARAM nKind) noexcept;
    LRESULT OnQueueMark(WPARAM wParam, LPARAM lParam) noexcept;
    // The window lists were counted after every posted message now taken was posted.
    BOOL IsWndListsCountedSince() const noexcept { return m_reqWndLists.IsMarkQueued(); }
    // Command 32777's answer: every window of the lists, counted afresh, repainted.
    void RedrawAll() noexcept;
    void MoveStepWindow(const MV_STEP_ACTION& act) noexcept;
    void LogNextScrollRate(int nCnt) noexcept;
    void PostStep() noexcept;
    void EndMove() noexcept;
    void AbandonMove() noexcept;

    LRESULT OnClose(WPARAM, LPARAM) noexcept;
    LRESULT OnDestroy(WPARAM, LPARAM) noexcept;
    LRESULT OnEndSession(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnTimer(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnSetFocus(WPARAM wParam, LPARAM) noexcept;
    void OnRedrawAll() noexcept;
    void OnHelp() noexcept;
    void OnAppAbout() noexcept;
    LRESULT OnLogWndDtct(WPARAM, LPARAM) noexcept;
    LRESULT OnLogWndRsp(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnLogEnd(WPARAM, LPARAM) noexcept;
    LRESULT OnHookCbtWndChg(WPARAM, LPARAM) noexcept;
    LRESULT OnKeybdHooked(WPARAM wParam, LPARAM lParam) noexcept;
    void CountIgnoreActivatePress() noexcept;
    void ResetIgnoreActivateCount() noexcept;
    void CloseWheelBursts() noexcept;
    // ---- Hooks (HookSet.h, ZvCoreDlgHooks.cpp) ----
    friend class CZvCoreHookHost;
    std::unique_ptr<IHookHost> NewHookHost();
    CHookSet m_hooks{NewHookHost()};
    // ---- Auto scroll (AutoScroller.h, ZvCoreDlgAutoScroll.cpp) ----
    friend class CZvCoreAutoScrollHost;
    std::unique_ptr<IAutoScrollHost> NewAutoScrollHost();
    CAutoScroller m_autoScroller{NewAutoScrollHost()};
    LRESULT OnMouseHooked(WPARAM wParam, LPARAM) noexcept;
    void StopAutoScroll() noexcept { m_autoScroller.Stop(); }
    LRESULT OnTmrAutoScrlDelay(WPARAM wParam, LPARAM) noexcept { return m_autoScroller.OnTmrDelay(wParam); }
    LRESULT OnTmrAutoScrl(WPARAM, LPARAM) noexcept { return m_autoScroller.OnTmrTick(); }
    LRESULT OnScrlRange(WPARAM wParam, LPARAM) noexcept;
    // No windows to move, or a move in progress: TRUE, and a line naming pszFunc is logged.
    BOOL IsMoveRefused(LPCWSTR pszFunc) noexcept;
    LRESULT OnMvAllWnds(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnMvAllWndsByDevice(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnMvStep(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnTmrLogStart(WPARAM, LPARAM) noexcept;
    LRESULT OnTmrWheelH(WPARAM, LPARAM) noexcept;
    LRESULT OnTmrWheelV(WPARAM, LPARAM) noexcept;
    LRESULT OnTmrIgnoreActivate(WPARAM, LPARAM) noexcept;
    LRESULT OnTmrScroll(WPARAM, LPARAM) noexcept;

    // ---- Scroll-bar windows (ZvCoreDlgBars.cpp) ----
    friend class CZvCoreBarHost;
    CScrollBars m_bars;
    // Both bars made hidden, in auto-hide mode, at their default rectangles; their range limits.
    void CreateScrollBars() noexcept;
    LRESULT OnScrlBarRect(WPARAM wParam, LPARAM lParam) noexcept;
    // A bar rectangle of the settings made sound (BarCalc::SanitizeBarRect) and kept so.
    RECT SoundBarRect(int nBar) noexcept;

    // ---- Undo (ZvCoreDlgUndo.cpp) ----
    friend class CZvCoreUndoHost;
    CUndoKeeper m_undo;
    IUndoHost& UndoHost();
    // Appends the item by the list's rules and logs the outcome.
    BOOL AddUndoList(std::unique_ptr<CUndoItem> pItem, UINT nTicket) noexcept;
    // The mouse watch of the previous resizable window (uMsg: the hooked mouse message).
    void SaveWndSize(UINT uMsg) noexcept;
    LRESULT OnSaveForUndo(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnDelLastUndo(WPARAM wParam, LPARAM) noexcept;
    void OnUndo() noexcept;

    // ---- Tray icon and menu (TrayIcon.h, ZvCoreDlgTray.cpp) ----
    friend class CZvCoreTrayHost;
    std::unique_ptr<ITrayHost> NewTrayHost();
    CTrayIcon m_tray{NewTrayHost()};
    LRESULT OnTaskbarCreated(WPARAM, LPARAM) noexcept { return m_tray.OnTaskbarCreated(); }
    LRESULT OnTmrTrayIcon(WPARAM, LPARAM) noexcept { return m_tray.OnTmrRetry(); }
    LRESULT OnTrayNtfy(WPARAM wParam, LPARAM lParam) noexcept { return m_tray.OnNtfy(wParam, lParam); }
    LRESULT OnTrayMenu(WPARAM wParam, LPARAM) noexcept { return m_tray.OnMenu(wParam); }

    // ---- Gateway link (ZvCoreDlgGateway.cpp; the link itself is CHkGtwyLink) ----
    friend class CZvCoreLinkHost;
    static constexpr int END_STATE_RUNNING = 0;
    static constexpr int END_STATE_REQUESTED = 1;  // the exit command: the end goes through the link
    // The link with this window as its host; it routes the link's messages to it one for one.
    std::unique_ptr<CHkGtwyLink> MakeHkGtwyLink();
    // Command 32781: hooks off, then the end through MSG_HKGTWY_END.
    void OnAppExit() noexcept;
    void StopHooksForEnd() noexcept;
    // The link's messages and its timer items, handed on as they come.
    template <LRESULT (CHkGtwyLink::*pfnHandler)(WPARAM, LPARAM) noexcept>
    LRESULT ToHkGtwyLink(WPARAM wParam, LPARAM lParam) noexcept
    {
        return (m_pHkGtwyLink.get()->*pfnHandler)(wParam, lParam);
    }
    int m_nEndState = END_STATE_RUNNING;
    std::unique_ptr<CHkGtwyLink> m_pHkGtwyLink;

    // ---- Settings exchange (PropExchange.cpp; the window's side in ZvCoreDlgProperty.cpp) ----
    friend class CZvCorePropHost;
    std::unique_ptr<IPropExchangeHost> MakePropHost();
    // The exchange's messages, its timer items and the key capture's request, handed on as they come.
    template <LRESULT (CPropExchange::*pfnHandler)(WPARAM, LPARAM) noexcept>
    LRESULT ToPropExchange(WPARAM wParam, LPARAM lParam) noexcept
    {
        return (m_propExch.*pfnHandler)(wParam, lParam);
    }
    // Command 32778.
    void OnProperty() noexcept { m_propExch.OnProperty(); }
    // A failed check ends the program: the settings are saved first, as at every orderly end, and
    // an end asked for under its box waits for it.
    static void SaveOnFailedCheck(void* pDlg) noexcept;
    CPropExchange m_propExch{MakePropHost()};

    // ---- Arrangement (ZvCoreDlgAlign.cpp): commands 32772 to 32775 ----
    void OnAlignCenter() noexcept;
    void OnAlignCascade() noexcept;
    void OnAlignTileHorz() noexcept;
    void OnAlignTileVert() noexcept;
    void AlignWindows(const ALIGN_KIND& kind) noexcept;
    // The window the user works in: the foreground window, or the one that had the foreground
    // when the tray menu took it.
    HWND FrontWindow() const noexcept;

    HICON m_hIcon;
    // Every window a scroll moves goes through it, so that no other program is waited for.
    CWndPlacer m_placer;
    CWheelBursts m_wheelBursts;
    UINT_PTR m_nWndTimer = 0;
    CLogViewerLink m_logLink{SENDER_CORE};
    CScrollRange m_scrollRange;
    std::unique_ptr<CWndEnumerator> m_pwe;
    PROPERTY_SET m_prop;
    // Set once a real session end has saved and let go of the record: nothing may save it again.
    BOOL m_bPropReleased = FALSE;
    // Set while the start-up reads the record from the registry.
    BOOL m_bPropReading = FALSE;
    std::unique_ptr<CTmrMngr> m_pTmrMngr;

    // Requests that only need their latest answer, each with its mark (CoalescedRequest.h): a
    // count of the window lists (and the scroll range from it), every window redrawn, the log
    // viewer attached to.
    static constexpr WPARAM MARK_WND_LISTS = 1;
    static constexpr WPARAM MARK_REDRAW = 2;
    static constexpr WPARAM MARK_LOG_ATTACH = 3;
    CCoalescedRequest m_reqWndLists;
    CCoalescedRequest m_reqRedraw;
    CCoalescedRequest m_reqLogAttach;
    // A window come or gone was told while a count's mark was queued: the window may have come only
    // after that count, so the lists count as changed once the mark comes round.
    BOOL m_bWndChgOwed = FALSE;

    // The moves asked for, the one under way and the pause between its passes.
    CMoveRun m_moveRun;
    // How long one step message goes on moving the windows of a pass before it lets the queue in.
    static constexpr LONGLONG MOVE_STEP_TURN_US = 5000;

    // The scroll-bar windows, found again through their handles (a bar that is gone gives none).
    HWND m_hWndBarH = nullptr;
    HWND m_hWndBarV = nullptr;

    // ---- Window tracking (ZvCoreDlgTrack.cpp) ----
    LRESULT OnHookCbtActivate(WPARAM wParam, LPARAM) noexcept;
    // Sent from inside the hooked process, which waits for the answer (1: the system's action is dropped).
    LRESULT OnMinMaxHooked(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnMinimizedWnd(WPARAM wParam, LPARAM) noexcept;
    // The pointer rests on the window's caption; a window that does not answer within a short
    // time counts as not.
    BOOL IsPointerOnCaption(HWND hWnd) noexcept;
    CMinimizedWnds m_minimized;
    // Counted by the keys (ZvCoreDlgKeys.cpp), consulted by each activation.
    CIgnoreActivation m_ignoreActivate;
};
