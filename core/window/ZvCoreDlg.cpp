// CZvCoreDlg: the window itself: its message table, start-up, the apply of the settings, the
// teardown, the timer items and the log viewer's messages. Each other concern has a file of its
// own: ZvCoreDlgHooks, ZvCoreDlgKeys, ZvCoreDlgAutoScroll, ZvCoreDlgScroll, ZvCoreDlgUndo,
// ZvCoreDlgTrack, ZvCoreDlgAlign, ZvCoreDlgTray, ZvCoreDlgBars, ZvCoreDlgProperty, ZvCoreDlgGateway.
#include "ZvCoreDlg.h"

#include <new>

#include "HkGtwyLink.h"
#include "LogManager.h"
#include "PropertyRegistry.h"
#include "Sender.h"
#include "VerifyFailed.h"
#include "WndEnumerator.h"
#include "ZvCoreApp.h"
#include "ZvMessages.h"
#include "resource.h"

namespace {

ScrollCalc::SCROLL_MARGINS DesktopMargins()
{
    RECT rc{};
    GetWindowRect(GetDesktopWindow(), &rc);
    return ScrollCalc::ScrollMargins(rc);
}

}  // namespace

CZvCoreDlg::CZvCoreDlg()
    : CDialog(IDD_ZVCORE_DIALOG), m_pHkGtwyLink(MakeHkGtwyLink()),
      m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_scrollRange(DesktopMargins())
{
    MapMessage(WM_CLOSE, &CZvCoreDlg::OnClose);
    MapMessage(WM_DESTROY, &CZvCoreDlg::OnDestroy);
    MapMessage(WM_ENDSESSION, &CZvCoreDlg::OnEndSession);
    MapMessage(WM_TIMER, &CZvCoreDlg::OnTimer);
    MapMessage(WM_SETFOCUS, &CZvCoreDlg::OnSetFocus);
    MapCommand(ID_ZV_REDRAW_ALL, &CZvCoreDlg::OnRedrawAll);
    MapCommand(ID_ZV_HELP, &CZvCoreDlg::OnHelp);
    MapCommand(ID_APP_ABOUT, &CZvCoreDlg::OnAppAbout);
    MapCommand(ID_ZV_ALIGN_CENTER, &CZvCoreDlg::OnAlignCenter);
    MapCommand(ID_ZV_ALIGN_CASCADE, &CZvCoreDlg::OnAlignCascade);
    MapCommand(ID_ZV_ALIGN_TILE_HORZ, &CZvCoreDlg::OnAlignTileHorz);
    MapCommand(ID_ZV_ALIGN_TILE_VERT, &CZvCoreDlg::OnAlignTileVert);
    MapMessage(MSG_LOG_WND_DTCT, &CZvCoreDlg::OnLogWndDtct);
    MapMessage(MSG_LOG_WND_RSP, &CZvCoreDlg::OnLogWndRsp);
    MapMessage(MSG_LOG_END, &CZvCoreDlg::OnLogEnd);
    MapMessage(MSG_HOOK_CBT_WNDCHG, &CZvCoreDlg::OnHookCbtWndChg);
    MapMessage(MSG_KEYBD_FORWARD, &CZvCoreDlg::ToPropExchange<&CPropExchange::OnKeybdForward>);
    MapMessage(MSG_HOOK_KEYBD, &CZvCoreDlg::OnKeybdHooked);
    MapMessage(MSG_HOOK_MOUSE, &CZvCoreDlg::OnMouseHooked);
    MapMessage(MSG_SCRL_RANGE, &CZvCoreDlg::OnScrlRange);
    MapMessage(MSG_QUEUE_MARK, &CZvCoreDlg::OnQueueMark);
    MapMessage(MSG_MV_ALL_WNDS, &CZvCoreDlg::OnMvAllWnds);
    MapMessage(MSG_MV_ALL_WNDS_BY_DEVICE, &CZvCoreDlg::OnMvAllWndsByDevice);
    MapMessage(MSG_MV_STEP, &CZvCoreDlg::OnMvStep);
    MapMessage(MSG_TMR_LOG_START, &CZvCoreDlg::OnTmrLogStart);
    MapMessage(MSG_TMR_WHEEL_H, &CZvCoreDlg::OnTmrWheelH);
    MapMessage(MSG_TMR_WHEEL_V, &CZvCoreDlg::OnTmrWheelV);
    MapMessage(MSG_TMR_IGNORE_ACTIVATE, &CZvCoreDlg::OnTmrIgnoreActivate);
    MapMessage(MSG_TMR_SCROLL, &CZvCoreDlg::OnTmrScroll);
    MapMessage(MSG_TMR_AUTOSCRL_DELAY, &CZvCoreDlg::OnTmrAutoScrlDelay);
    MapMessage(MSG_TMR_AUTOSCRL, &CZvCoreDlg::OnTmrAutoScrl);
    // Undo
    MapCommand(ID_ZV_UNDO, &CZvCoreDlg::OnUndo);
    MapMessage(MSG_SAVE_FOR_UNDO, &CZvCoreDlg::OnSaveForUndo);
    MapMessage(MSG_DEL_LAST_UNDO, &CZvCoreDlg::OnDelLastUndo);
    // Window tracking
    MapMessage(MSG_HOOK_CBT_ACTIVATE, &CZvCoreDlg::OnHookCbtActivate);
    MapMessage(MSG_HOOK_CBT_MINMAX, &CZvCoreDlg::OnMinMaxHooked);
    MapMessage(MSG_MINIMIZED_WND, &CZvCoreDlg::OnMinimizedWnd);
    // Tray icon and menu; command 32782 (the menu's cancel) has no handler: choosing it only
    // closes the menu.
    MapMessage(MSG_TRAY_NTFY, &CZvCoreDlg::OnTrayNtfy);
    MapMessage(MSG_TRAY_MENU, &CZvCoreDlg::OnTrayMenu);
    MapMessage(MSG_TMR_TRAY_ICON, &CZvCoreDlg::OnTmrTrayIcon);
    if (const UINT uMsg = RegisterWindowMessageW(ZV_TASKBAR_CREATED_MSG))
        MapMessage(uMsg, &CZvCoreDlg::OnTaskbarCreated);
    MapCommand(ID_ZV_PROPERTY, &CZvCoreDlg::OnProperty);
    // Settings exchange
    MapMessage(MSG_PROP_START, &CZvCoreDlg::ToPropExchange<&CPropExchange::OnPropStart>);
    MapMessage(MSG_PROP_WND, &CZvCoreDlg::ToPropExchange<&CPropExchange::OnPropWnd>);
    MapMessage(MSG_PROP_PAGE, &CZvCoreDlg::ToPropExchange<&CPropExchange::OnPropPage>);
    MapMessage(MSG_PROP_ALIVE, &CZvCoreDlg::ToPropExchange<&CPropExchange::OnPropAlive>);
    MapMessage(MSG_PROP_APPLY, &CZvCoreDlg::ToPropExchange<&CPropExchange::OnPropApply>);
    MapMessage(MSG_TMR_PROP_ALIVE, &CZvCoreDlg::ToPropExchange<&CPropExchange::OnTmrPropAlive>);
    MapMessage(MSG_TMR_PROP_DEAD, &CZvCoreDlg::ToPropExchange<&CPropExchange::OnTmrPropDead>);
    // Gateway link
    MapCommand(ID_ZV_APP_EXIT, &CZvCoreDlg::OnAppExit);
    MapMessage(MSG_HKGTWY_END, &CZvCoreDlg::ToHkGtwyLink<&CHkGtwyLink::OnEnd>);
    MapMessage(MSG_HKGTWY_NTFY_DTCT, &CZvCoreDlg::ToHkGtwyLink<&CHkGtwyLink::OnNtfyDtct>);
    MapMessage(MSG_HKGTWY_RSP_DTCT, &CZvCoreDlg::ToHkGtwyLink<&CHkGtwyLink::OnRspDtct>);
    MapMessage(MSG_HKGTWY_READY, &CZvCoreDlg::ToHkGtwyLink<&CHkGtwyLink::OnReady>);
    MapMessage(MSG_HKGTWY_DESTROY, &CZvCoreDlg::ToHkGtwyLink<&CHkGtwyLink::OnDestroy>);
    MapMessage(MSG_HKGTWY_ALIVE, &CZvCoreDlg::ToHkGtwyLink<&CHkGtwyLink::OnAlive>);
    MapMessage(MSG_TMR_HKGTWY_ALIVE, &CZvCoreDlg::ToHkGtwyLink<&CHkGtwyLink::OnTmrAlive>);
    MapMessage(MSG_HKGTWY_INIT_FAILED, &CZvCoreDlg::ToHkGtwyLink<&CHkGtwyLink::OnInitFailed>);
    // Scroll-bar windows
    MapMessage(MSG_SCRLBAR_RECT, &CZvCoreDlg::OnScrlBarRect);
}

CZvCoreDlg::~CZvCoreDlg() = default;

CZvCoreDlg* CZvCoreDlg::CreateMain(DWORD& dwErr) noexcept
{
    CZvCoreDlg* pDlg = nullptr;
    try {
        pDlg = new CZvCoreDlg;
    } catch (const std::bad_alloc&) {
        dwErr = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    pDlg->m_bCreating = TRUE;
    const BOOL bMade = pDlg->Create();
    dwErr = GetLastError();
    pDlg->m_bCreating = FALSE;
    if (bMade && pDlg->m_hWnd)
        return pDlg;
    // A window that went during its own creation has left its object to us, undeleted.
    delete pDlg;
    return nullptr;
}

BOOL CZvCoreDlg::OnInitDialog()
{
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    // Other programs and the window filter know the core program by this title.
    SetWindowTextW(m_hWnd, ZV_HIDDEN_MAIN_WND_TITLE);

    {
        // Reading the settings may tell in a box of a key it had to replace, and the box's loop
        // runs before the window has started: an end asked for meanwhile waits for the start, and
        // a session end finds the record only half read, which is not one to save.
        const CNestedLoop loop(*this);
        m_bPropReading = TRUE;
        LoadProperty(m_prop);
        m_bPropReading = FALSE;
    }
    SetVerifyFailedSave(&CZvCoreDlg::SaveOnFailedCheck, this);

    const DWORD dwResolution = m_prop.propTimer.dwResolution;
    m_pTmrMngr = std::make_unique<CTmrMngr>(m_hWnd, dwResolution);
    m_nWndTimer = SetTimer(m_hWnd, TMR_MNGR_TIMER_ID, dwResolution, nullptr);
    m_moveRun.SetPassTimer(m_pTmrMngr.get(), AddTmrItem(MSG_TMR_SCROLL, m_prop.propTimer.dwScroll));

    m_logLink.Connect(m_hWnd, m_pTmrMngr.get(), m_prop.propTimer.dwLogProcessStartDetect);

    // The bars start at their default rectangles; the settings' reach them with the apply.
    CreateScrollBars();

    CZvCoreApp* pApp = GetCoreApp();
    m_pwe = std::make_unique<CWndEnumerator>(pApp ? pApp->GetOSClassValue() : 0,
                                             &m_prop.propFix.lstTitle, &m_prop.propFix.lstApp,
                                             &m_prop.propWindow.bRestoreAbsPos,
                                             &m_prop.propFix.bScrollTitledWindowOnly);
    g_nWndsChanged = 1;
    CalcScrollRange();

    if (!m_hooks.StartThread())
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"CZvCoreDlg::OnInitDialog() cannot start the hook thread, code = 0x%x.\r\n",
                  static_cast<unsigned>(GetLastError()));
    // Before the window-event hook, so that its switch block waits for the gateway.
    m_pHkGtwyLink->Start();
    SetCbtHook(TRUE);
    ApplyProperty();
    // Undo: the window the user's next change can be undone for; the mouse watch starts idle.
    SetPrevResizeWnd(nullptr, UNDO_NO_SHOW_CMD);
    m_undo.ResetMouseWatch();
    return TRUE;
}

void CZvCoreDlg::ApplyProperty()
{
    PostBarRects();
    // The View section: the mouse hook, topmost, the tray icon and the scroll-bar windows.
    ApplyViewProperty();
    // Auto scroll switched off: nothing would ever see the pointer leave the edge.
    if (m_prop.propAtScrl.nMode == 0)
        StopAutoScroll();
    UpdateKeybdHook();
    if (m_pwe) {
        m_pwe->MakeFixTitleList();
        m_pwe->MakeFixAppList();
        m_pwe->FixWnds();
        m_pwe->UnfixWnds();
    }
    // The ignore-activation key may have changed: a count begun under the old one starts again.
    ResetIgnoreActivateCount();
    // Window tracking: the minimised windows as they stand now.
    if (m_prop.propWindow.bRestoreAbsPos)
        RebuildMinimizedWnds();
    UpdateMouseHook();
    // A smaller Undo "Depth" holds from now on, not only from the next record.
    m_undo.List().Trim(m_prop.propUndo.nDepth);
}

// The window is never shown: Enter, Escape or a stray IDOK or IDCANCEL posted by another program
// must not end the program.
void CZvCoreDlg::OnOK() {}
void CZvCoreDlg::OnCancel() {}

LRESULT CZvCoreDlg::OnClose(WPARAM, LPARAM) noexcept
{
    // The box of the stopped pings ends the program once it is closed.
    if (m_pHkGtwyLink->IsAliveBoxOpen())
        return 0;
    DestroyWhenUnwound();
    return 0;
}

// ---------------------------------------------------------------------------
// Nested message loops

BOOL CZvCoreDlg::DeferEnd(UINT uMsg, WPARAM wParam) noexcept
{
    if (!m_nestedLoops.Defer(uMsg, wParam))
        return FALSE;
    if (m_tray.IsMenuOpen())
        EndMenu();
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::DeferEnd() 0x%x, wParam = 0x%x, waits for %d nested loops.\r\n",
              uMsg, static_cast<unsigned>(wParam), m_nestedLoops.GetDepth());
    return TRUE;
}

void CZvCoreDlg::DestroyWhenUnwound() noexcept
{
    if (!DeferEnd(WM_CLOSE, 0))
        DestroyWindow(m_hWnd);
}

void CZvCoreDlg::LeaveNestedLoop() noexcept
{
    // Posted, not carried out: the handler that opened the loop still runs on this object.
    for (const CNestedLoops::DEFERRED_END& end : m_nestedLoops.Leave()) {
        if (m_hWnd)
            PostMessageW(m_hWnd, end.uMsg, end.wParam, 0);
    }
}

LRESULT CZvCoreDlg::OnDestroy(WPARAM, LPARAM) noexcept
{
    m_propExch.EndWithWindow();
    if (CZvCoreApp* pApp = GetCoreApp(); pApp && pApp->m_bHelpOpened) {
        if (HWND hWndHelp = FindHelpWnd())
            PostMessageW(hWndHelp, WM_CLOSE, 0, 0);
    }
    // The gateway link ends as a whole: no switch block is left behind for a peer to read.
    m_pHkGtwyLink->End();
    SetCbtHook(FALSE);
    SetKeybdHook(FALSE);
    SetMouseHook(FALSE);
    m_hooks.StopThread();
    AbandonMove();
    m_moveRun.ClearRequests();
    // The bars (owned windows) are gone already; their reports still queued go with the pool.
    m_bars.Clear();
    // Undo: the pending save requests and the undo list.
    m_undo.Clear();
    m_pwe.reset();
    // Window tracking
    m_minimized.Clear();
    m_logLink.Stop();
    CloseWheelBursts();
    ResetIgnoreActivateCount();
    int nTmrPass = m_moveRun.ReleasePassTimer();
    DeleteTmrItem(nTmrPass);
    // The auto-scroll items went with the mouse hook; the icon itself stays until the very end.
    m_tray.DeleteRetryItem();
    if (m_nWndTimer) {
        KillTimer(m_hWnd, TMR_MNGR_TIMER_ID);
        m_nWndTimer = 0;
    }
    m_pTmrMngr.reset();
    Default();
    return 0;
}

void CZvCoreDlg::PostNcDestroy()
{
    SetVerifyFailedSave(nullptr, nullptr);
    m_tray.Delete();
    // The settings are saved at every orderly end.
    if (!m_bPropReleased) {
        SaveProperty(m_prop);
        ClearPropertyLists(m_prop);
    }
    // A window gone under a nested loop (a way to the end that did not wait) leaves its object to
    // the program's end: the handlers on the stack still run on it.
    if (!m_bCreating && !m_nestedLoops.IsInside())
        delete this;
}

LRESULT CZvCoreDlg::OnEndSession(WPARAM wParam, LPARAM) noexcept
{
    Default();
    // Saved, its defaults would stand in for the settings not read yet.
    if (m_bPropReleased || m_bPropReading)
        return 0;
    SaveProperty(m_prop);
    // A cancelled session end leaves the program running on its record: only the real end may let
    // the lists go, and after that nothing may save the emptied record over the saved one.
    if (wParam) {
        // A handler under a box still works on the record (an apply saves it after the box): the
        // lists then go with the program.
        if (!IsInNestedLoop())
            ClearPropertyLists(m_prop);
        m_bPropReleased = TRUE;
    }
    return 0;
}

LRESULT CZvCoreDlg::OnSetFocus(WPARAM wParam, LPARAM) noexcept
{
    Default();
    // The focus came here from the window the user worked in (our menu, a stray activation): what
    // the user did to that window is recorded now, and the focus goes back where it was.
    PostSaveForUndo(UK_RESIZEWND, m_undo.PrevWndTag(), nullptr, UNDO_NO_SHOW_CMD);
    // SetFocus only takes a window of this thread's input; it never waits for another program.
    const HWND hWndLost = reinterpret_cast<HWND>(wParam);
    if (hWndLost && hWndLost != m_hWnd && IsWindow(hWndLost))
        SetFocus(hWndLost);
    return 0;
}

// Help and about belong to the application; they arrive here however they were delivered.
// Both may run a loop of their own: the about box, the box of a help file that cannot be opened.
void CZvCoreDlg::OnHelp() noexcept
{
    const CNestedLoop loop(*this);
    if (CZvCoreApp* pApp = GetCoreApp())
        pApp->OnHelp();
}

void CZvCoreDlg::OnAppAbout() noexcept
{
    const CNestedLoop loop(*this);
    if (CZvCoreApp* pApp = GetCoreApp())
        pApp->OnAppAbout();
}

LRESULT CZvCoreDlg::OnTimer(WPARAM wParam, LPARAM) noexcept
{
    if (wParam == TMR_MNGR_TIMER_ID && m_pTmrMngr)
        m_pTmrMngr->Tick();
    Default();
    return 0;
}

void CZvCoreDlg::OnRedrawAll() noexcept
{
    // Any program can post the command by the thousand: every window repainted after the last is
    // all they ask, and each redraw counts and paints every window.
    if (m_reqRedraw.Ask())
        RedrawAll();
}

void CZvCoreDlg::RedrawAll() noexcept
{
    BeginCoalescedAnswer(m_reqRedraw, MARK_REDRAW);
    if (!m_pwe || !m_pwe->EnumerateWnds())
        return;
    auto redraw = [](HWND hWnd) {
        if (!IsWindow(hWnd))
            return;
        InvalidateRect(hWnd, nullptr, TRUE);
        // Painting another thread's window now would wait for that thread, hung or not: it paints
        // when it next looks at its queue.
        if (GetWindowThreadProcessId(hWnd, nullptr) == GetCurrentThreadId())
            UpdateWindow(hWnd);
    };
    for (HWND hWnd : m_pwe->GetMoveWndList())
        redraw(hWnd);
    for (const auto& pFix : m_pwe->GetFixWndList())
        redraw(pFix->hWnd);
    if (HWND hWndDesktop = m_pwe->GetProgmanWnd())
        redraw(hWndDesktop);
}

// ---------------------------------------------------------------------------
// Timer items

int CZvCoreDlg::AddTmrItem(UINT uMsg, DWORD dwPeriod, WPARAM wParam) noexcept
{
    if (!m_pTmrMngr)
        return 0;
    return m_pTmrMngr->AddTmr(TMR_ITEM_PARAM{m_hWnd, uMsg, dwPeriod, wParam, 0});
}

int CZvCoreDlg::AddStartedTmrItem(UINT uMsg, DWORD dwPeriod, WPARAM wParam) noexcept
{
    const int nId = AddTmrItem(uMsg, dwPeriod, wParam);
    if (nId)
        m_pTmrMngr->StartTmr(nId);
    return nId;
}

void CZvCoreDlg::DeleteTmrItem(int& nId) noexcept
{
    if (m_pTmrMngr && nId)
        m_pTmrMngr->DeleteTmr(nId);
    nId = 0;
}

LRESULT CZvCoreDlg::OnLogWndDtct(WPARAM, LPARAM) noexcept
{
    // Each attach makes the viewer answer and may start logging afresh: a burst of announcements
    // needs only the last one's.
    if (m_reqLogAttach.Ask())
        AttachLogWindow();
    return 0;
}

void CZvCoreDlg::AttachLogWindow() noexcept
{
    BeginCoalescedAnswer(m_reqLogAttach, MARK_LOG_ATTACH);
    if (CZvCoreApp* pApp = GetCoreApp())
        m_logLink.Attach(pApp->GetOptions());
}

LRESULT CZvCoreDlg::OnLogWndRsp(WPARAM wParam, LPARAM) noexcept
{
    m_logLink.OnAnswer(wParam);
    return 0;
}

LRESULT CZvCoreDlg::OnLogEnd(WPARAM, LPARAM) noexcept
{
    CLogViewerLink::OnEnd();
    return 0;
}

LRESULT CZvCoreDlg::OnTmrLogStart(WPARAM, LPARAM) noexcept
{
    m_logLink.OnStartLimit();
    return 0;
}

