// The core program's one window: a modeless dialog that is never shown. Timer items, log-viewer
// messages and scroll requests arrive here, and the scroll engine runs on its thread.
#pragma once
#include <windows.h>

#include <array>
#include <list>
#include <memory>

#include "AutoScroll.h"
#include "CoalescedRequest.h"
#include "KeyMatch.h"
#include "LowLevelHookThread.h"
#include "PostedRecordPool.h"
#include "PropertySet.h"
#include "ScrollCalc.h"
#include "ScrollManager.h"
#include "ScrollMove.h"
#include "SharedMemPropManager.h"
#include "Sync.h"
#include "TmrMngr.h"
#include "UndoKind.h"
#include "UndoList.h"
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
    BOOL SetKeybdHook(BOOL bOn) noexcept;
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
    BOOL IsScrollProcessing() const noexcept { return m_pMove != nullptr; }
    // A move runs, or one asked for still waits in the queue.
    BOOL IsMovePending() const noexcept { return IsScrollProcessing() || m_mvReq.GetCount() != 0; }
    // Pixels per unit of Scroll width entry nIdx.
    int GetScrollWidthAbs(int nIdx);
    // Rebuilds the enumerator's lists and the scroll range; FALSE when the lists cannot be had.
    BOOL CalcScrollRange();
    void UpdateScrollBars();
    // Takes over a move built elsewhere (an arrangement, an undo) and starts its steps; FALSE for
    // none. The caller has checked that no move is running.
    BOOL StartMove(std::unique_ptr<CScrollMove> pMove) noexcept;
    HWND ReplaceOwnedWindow(HWND hWnd);
    const RECT& GetScrollRange() const noexcept { return m_rcScrollRange; }
    // The wheel burst of an axis is closed: the next wheel turn opens a new undo item.
    BOOL IsWheelBurstClosed(BOOL bVert) const noexcept { return bVert ? m_bWheelClosedV : m_bWheelClosedH; }
    BOOL IsTrayMenuOpen() const noexcept { return m_bTrayMenuOpen; }

    // Every box, menu or wait that dispatches messages while a handler of this window is on the
    // stack runs inside one of these. An end asked for meanwhile (a close, the exit command, the
    // gateway's end or its limit) is put off and posted again once the outermost has closed, so
    // that it comes after the handler has returned: the window, and this object with it, outlives
    // every handler on the stack.
    class CNestedLoop {
    public:
        explicit CNestedLoop(CZvCoreDlg& dlg) noexcept : m_dlg(dlg) { ++m_dlg.m_nNestedLoops; }
        ~CNestedLoop() { m_dlg.LeaveNestedLoop(); }
        CNestedLoop(const CNestedLoop&) = delete;
        CNestedLoop& operator=(const CNestedLoop&) = delete;

    private:
        CZvCoreDlg& m_dlg;
    };
    BOOL IsInNestedLoop() const noexcept { return m_nNestedLoops != 0; }
    // The core program's one window, made with its object; null (dwErr set) when it did not come
    // into being. The object is deleted exactly once: here on failure, else when its window goes.
    static CZvCoreDlg* CreateMain(DWORD& dwErr) noexcept;
    BOOL IsPropertyActive() const noexcept { return m_bPropertyActive; }

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

    // ---- Tray icon and menu (ZvCoreDlgTray.cpp) ----
    // Asks for the tray menu at a screen point (a scroll-bar window's right click); the menu opens
    // when the request arrives. FALSE when it could not be posted.
    BOOL PostTrayMenu(POINT ptScreen) noexcept;
    // The menu at a screen point, prepared for the moment; returns when it has closed. Nothing
    // while a menu is open already.
    void ShowTrayMenu(POINT ptScreen) noexcept;
    // The undo item's text and state, and the items a running move forbids, greyed.
    void PrepareTrayMenu(HMENU hPopup) noexcept;

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
    BOOL IsSaveForUndoPending() const noexcept { return m_saveReq.GetCount() != 0; }
    size_t GetUndoCount() const noexcept { return m_lstUndo.GetCount(); }
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
    const std::list<MINIMIZED_WND_POS>& GetMinimizedWnds() const noexcept { return m_lstMinimizedWnd; }
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
    struct DEFERRED_END {
        UINT uMsg;
        WPARAM wParam;
    };
    int m_nNestedLoops = 0;
    // One entry per kind of end, in the order asked.
    std::array<DEFERRED_END, 8> m_aDeferredEnd{};
    size_t m_nDeferredEnds = 0;
    // Set while the constructor makes the window: a window gone already is not yet ours to delete.
    BOOL m_bCreating = FALSE;

    // Timer items: the identifier member of an item is 0 while it does not exist.
    int AddTmrItem(UINT uMsg, DWORD dwPeriod, WPARAM wParam = 0) noexcept;
    // AddTmrItem, and the item started when it was made.
    int AddStartedTmrItem(UINT uMsg, DWORD dwPeriod, WPARAM wParam = 0) noexcept;
    void DeleteTmrItem(int& nId) noexcept;
    // The library refused a hook: an error line each time, the box the first time; FALSE.
    BOOL ReportHookFailure(LPCWSTR pszFunc, DWORD dwErr) noexcept;
    // The keyboard or the mouse hook on the hook thread; pszFunc names the caller in the log.
    using PFN_SET_LL_HOOK = HHOOK (CLowLevelHookThread::*)(HWND, UINT) noexcept;
    BOOL SwitchLowLevelHook(HHOOK& hHook, BOOL bOn, LPCWSTR pszFunc, PFN_SET_LL_HOOK pfnSet, UINT uMsg) noexcept;
    void RestartLogStartItem() noexcept;
    // The viewer asked to attach to (MSG_LOG_WND_DTCT's answer).
    void AttachLogWindow() noexcept;

    // The scroll range from the rectangles of the move list as it stands.
    void CalcRangeFromRects() noexcept;
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
    LRESULT OnKeybdForward(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnKeybdHooked(WPARAM wParam, LPARAM lParam) noexcept;
    // Keys go to the capture window only while it is a window of the settings program of the
    // exchange under way (the process of the announced sheet); a capture that outlives it ends at
    // the next key instead of swallowing every key for good, and the exchange's end ends it.
    BOOL IsKeyCaptureLive() noexcept;
    void EndKeyCapture() noexcept;
    void CountIgnoreActivatePress() noexcept;
    void ResetIgnoreActivateCount() noexcept;
    void CloseWheelBursts() noexcept;
    LRESULT OnMouseHooked(WPARAM wParam, LPARAM) noexcept;
    // Compares the pointer and the buttons with the last seen and runs the edge test on a change.
    void WatchPointer() noexcept;
    // The edge test: which band the pointer rests in, and the delay and tick items that follow.
    void CheckAutoScroll(const AtScrl::POINTER_STATE& ptr) noexcept;
    void StartAutoScrollTicks() noexcept;
    void StopAutoScroll() noexcept;
    // One auto-scroll step toward the edges in m_dwAtScrlDirs.
    void AutoScroll() noexcept;
    LRESULT OnTmrAutoScrlDelay(WPARAM, LPARAM) noexcept;
    LRESULT OnTmrAutoScrl(WPARAM, LPARAM) noexcept;
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
    // Both bars made hidden, in auto-hide mode, at their default rectangles; their range limits.
    void CreateScrollBars() noexcept;
    LRESULT OnScrlBarRect(WPARAM wParam, LPARAM lParam) noexcept;
    // A bar rectangle of the settings made sound (BarCalc::SanitizeBarRect) and kept so.
    RECT SoundBarRect(int nBar) noexcept;

    // ---- Undo (ZvCoreDlgUndo.cpp) ----
    friend class CZvCoreUndoHost;
    IUndoHost& UndoHost();
    // Appends the item by the list's rules and logs the outcome.
    BOOL AddUndoList(std::unique_ptr<CUndoItem> pItem, UINT nTicket) noexcept;
    // The mouse watch of the previous resizable window (uMsg: the hooked mouse message).
    void SaveWndSize(UINT uMsg) noexcept;
    LRESULT OnSaveForUndo(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnDelLastUndo(WPARAM wParam, LPARAM) noexcept;
    void OnUndo() noexcept;

    // ---- Tray icon and menu (ZvCoreDlgTray.cpp) ----
    // The icon added, or found there already; an add the taskbar refuses (none there yet) is
    // tried again by the retry item until it holds.
    void AddTrayIcon() noexcept;
    void DeleteTrayIcon() noexcept;
    // The taskbar has been made again (the shell restarted, or it came after us): it has no icon.
    LRESULT OnTaskbarCreated(WPARAM, LPARAM) noexcept;
    LRESULT OnTmrTrayIcon(WPARAM, LPARAM) noexcept;
    LRESULT OnTrayNtfy(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnTrayMenu(WPARAM wParam, LPARAM) noexcept;
    // The icon's record; its window is null while no icon is shown.
    NOTIFYICONDATAW m_nid{};
    int m_nTmrTrayIcon = 0;
    // The points of MSG_TRAY_MENU, until the menu request takes them.
    CPostedRecordPool<POINT> m_trayMenuReq;

    // ---- Gateway link (ZvCoreDlgGateway.cpp; the link itself is CHkGtwyLink) ----
    friend class CZvCoreLinkHost;
    static constexpr int END_STATE_RUNNING = 0;
    static constexpr int END_STATE_REQUESTED = 1;  // the exit command: the end goes through the link
    // The link with this window as its host; it routes the link's messages to it one for one.
    std::unique_ptr<CHkGtwyLink> MakeHkGtwyLink();
    // Command 32781: hooks off, then the end through MSG_HKGTWY_END.
    void OnAppExit() noexcept;
    void StopHooksForEnd() noexcept;
    LRESULT OnHkGtwyNtfyDtct(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnHkGtwyRspDtct(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnHkGtwyReady(WPARAM, LPARAM) noexcept;
    LRESULT OnHkGtwyEnd(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnHkGtwyDestroy(WPARAM, LPARAM) noexcept;
    LRESULT OnHkGtwyAlive(WPARAM, LPARAM) noexcept;
    LRESULT OnTmrHkGtwyAlive(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnHkGtwyInitFailed(WPARAM, LPARAM) noexcept;
    int m_nEndState = END_STATE_RUNNING;
    std::unique_ptr<CHkGtwyLink> m_pHkGtwyLink;

    // ---- Settings exchange (ZvCoreDlgProperty.cpp) ----
    // The record into new settings blocks; FALSE, with no blocks kept, when not every section
    // was copied.
    BOOL CreatePropManager() noexcept;
    // The settings program's blocks into the record, made sound first; FALSE leaves it as it was.
    BOOL ReadPropManager() noexcept;
    void DeletePropManager() noexcept;
    // The settings program is active from here (hProcess: the one this core started, owned, or
    // null); the hand-over's limit and the dead check run.
    void BeginPropertySession(HANDLE hProcess) noexcept;
    // The settings program has gone: the window events come back.
    void EndPropertySession() noexcept;
    // Command 32778: the settings program started with the settings handed over.
    void OnProperty() noexcept;
    LRESULT OnPropStart(WPARAM, LPARAM) noexcept;
    LRESULT OnPropWnd(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnPropPage(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnPropAlive(WPARAM, LPARAM) noexcept;
    LRESULT OnPropApply(WPARAM wParam, LPARAM lParam) noexcept;
    // A failed check ends the program: the settings are saved first, as at every orderly end.
    static void SaveOnFailedCheck(void* pDlg) noexcept;
    LRESULT OnTmrPropAlive(WPARAM, LPARAM) noexcept;
    LRESULT OnTmrPropDead(WPARAM, LPARAM) noexcept;
    struct PROCESS_CLOSER {
        void operator()(HANDLE h) const noexcept;
    };
    std::unique_ptr<CSharedMemPropManager> m_pPropManager;
    // Set by the core for the settings program to wait on.
    CEvent m_evtReadEnd{FALSE, TRUE, ZV_PROP_READ_END_EVENT};
    CEvent m_evtReadFail{FALSE, TRUE, ZV_PROP_READ_FAIL_EVENT};
    CEvent m_evtWriteEnd{FALSE, TRUE, ZV_PROP_WRITE_END_EVENT};
    // The settings program this core started, until it has gone.
    std::unique_ptr<void, PROCESS_CLOSER> m_hPropProcess;
    // The sheet it announced; null until then.
    HWND m_hWndPropSheet = nullptr;
    // Its final apply has come.
    BOOL m_bPropEnding = FALSE;
    // The page it showed last: the next start from the tray menu opens it.
    int m_nPropPage = 0;
    int m_nTmrPropAlive = 0;
    int m_nTmrPropDead = 0;

    // ---- Arrangement (ZvCoreDlgAlign.cpp): commands 32772 to 32775 ----
    void OnAlignCenter() noexcept;
    void OnAlignCascade() noexcept;
    void OnAlignTileHorz() noexcept;
    void OnAlignTileVert() noexcept;
    void AlignWindows(const ALIGN_KIND& kind) noexcept;
    // The window the user works in: the foreground window, or the one that had the foreground
    // when the tray menu took it.
    HWND FrontWindow() const noexcept;
    HWND m_hWndFrontBeforeMenu = nullptr;

    HICON m_hIcon;
    HWND m_hWndKeyCapture = nullptr;
    HHOOK m_hHookCbt = nullptr;
    HHOOK m_hHookKeybd = nullptr;
    // The modifiers the keyboard hook saw held; forgotten while the hook is off.
    KeyMatch::CHookedModifiers m_hookedModifiers;
    HHOOK m_hHookMouse = nullptr;
    BOOL m_bHookErrorShown = FALSE;
    // The keyboard and mouse hooks run there, never waiting for this thread.
    CLowLevelHookThread m_hookThread;
    // Every window a scroll moves goes through it, so that no other program is waited for.
    CWndPlacer m_placer;
    BOOL m_bTrayMenuOpen = FALSE;
    // While the settings program holds the settings.
    BOOL m_bPropertyActive = FALSE;
    int m_bWheelClosedH = 1;
    int m_bWheelClosedV = 1;
    UINT_PTR m_nWndTimer = 0;
    int m_nTmrLogStart = 0;
    int m_nTmrWheelH = 0;
    int m_nTmrWheelV = 0;
    int m_nTmrIgnoreActivate = 0;
    int m_nTmrScroll = 0;
    int m_nIgnoreCnt = 0;
    int m_nTmrAtScrlDelay = 0;
    int m_nTmrAtScrl = 0;
    // Auto scroll: the edges the pointer is at now, at the last mouse event and at the last step.
    DWORD m_dwAtScrlDirs = 0;
    DWORD m_dwAtScrlLastStepDirs = 0;
    BOOL m_bAtScrlOuterH = FALSE;
    BOOL m_bAtScrlOuterV = FALSE;
    AtScrl::POINTER_STATE m_ptrLast{};
    BOOL m_bPtrLastValid = FALSE;   // m_ptrLast holds a look at the pointer
    WPARAM m_wAtScrlDelaySeq = 0;   // number of the latest delay item
    ScrollCalc::SCROLL_MARGINS m_margins;
    RECT m_rcScrollRange{};
    int m_nRangeLimitH = ScrollCalc::SCROLL_RANGE_LIMIT_MAX;
    int m_nRangeLimitV = ScrollCalc::SCROLL_RANGE_LIMIT_MAX;
    std::unique_ptr<CWndEnumerator> m_pwe;
    PROPERTY_SET m_prop;
    // Set once a real session end has saved and let go of the record: nothing may save it again.
    BOOL m_bPropReleased = FALSE;
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

    CMoveRequestPool m_mvReq;
    std::unique_ptr<CScrollMove> m_pMove;
    // How long one step message goes on moving the windows of a pass before it lets the queue in.
    static constexpr LONGLONG MOVE_STEP_TURN_US = 5000;
    // Step messages carry the move's number and their own; any other is stale or foreign.
    UINT m_uMoveId = 0;
    LPARAM m_nStepSeq = 0;
    // Between two passes, until the scroll timer item fires.
    BOOL m_bPassWait = FALSE;

    // Undo marks: the resize mark refuses the next window-resize record (set when a move ends and
    // by an undo); the keyboard mark says the last input was a key.
    int m_bResizeMark = 0;
    int m_bKeybdMark = 0;
    // The previous resizable window, as it stood.
    ITEM_UNDO m_itemUndo;
    // The mouse watch: a non-client press waits for its release; a scroll-bar window was dragged.
    BOOL m_bNcPressPending = FALSE;
    BOOL m_bBarDragging = FALSE;
    std::unique_ptr<IUndoHost> m_pUndoHost;
    // The scroll-bar windows, found again through their handles (a bar that is gone gives none).
    std::unique_ptr<IScrollBarHost> m_pBarHost;
    HWND m_hWndBarH = nullptr;
    HWND m_hWndBarV = nullptr;
    // MSG_SCRLBAR_RECT records until their handler takes them.
    CPostedRecordPool<PROP_POSSIZE> m_barRectReq;
    CSaveForUndoPool m_saveReq;
    CUndoList m_lstUndo;

    // ---- Window tracking (ZvCoreDlgTrack.cpp) ----
    LRESULT OnHookCbtActivate(WPARAM wParam, LPARAM) noexcept;
    // Sent from inside the hooked process, which waits for the answer (1: the system's action is dropped).
    LRESULT OnMinMaxHooked(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnMinimizedWnd(WPARAM wParam, LPARAM) noexcept;
    // A completed scroll moved every window by (dx, dy): so do the restored places of the list.
    void ShiftMinimizedWnds(int dx, int dy) noexcept;
    // The pointer rests on the window's caption; a window that does not answer within a short
    // time counts as not.
    BOOL IsPointerOnCaption(HWND hWnd) noexcept;
    std::list<MINIMIZED_WND_POS> m_lstMinimizedWnd;
    HWND m_hWndPrevMinMaxHooked = nullptr;
    int m_nCmdShowPrevMinMaxHooked = SW_SHOWNORMAL;
};
