#include "ZvCoreDlg.h"

#include <string>
#include <vector>

#include "HkGtwyEvtMngr.h"
#include "HookNtfy.h"
#include "KeyMatch.h"
#include "LogManager.h"
#include "ProcessLaunch.h"
#include "PropertyRegistry.h"
#include "Sender.h"
#include "SharedMemSwtchHook.h"
#include "Strings.h"
#include "WndEnumerator.h"
#include "WndFilter.h"
#include "ZvCoreApp.h"
#include "ZvHook64.h"
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
    : CDialog(IDD_ZVCORE_DIALOG),
      m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_margins(DesktopMargins())
{
    MapMessage(WM_CLOSE, &CZvCoreDlg::OnClose);
    MapMessage(WM_DESTROY, &CZvCoreDlg::OnDestroy);
    MapMessage(WM_ENDSESSION, &CZvCoreDlg::OnEndSession);
    MapMessage(WM_TIMER, &CZvCoreDlg::OnTimer);
    MapCommand(ID_ZV_REDRAW_ALL, &CZvCoreDlg::OnRedrawAll);
    MapMessage(MSG_LOG_WND_DTCT, &CZvCoreDlg::OnLogWndDtct);
    MapMessage(MSG_LOG_WND_RSP, &CZvCoreDlg::OnLogWndRsp);
    MapMessage(MSG_LOG_END, &CZvCoreDlg::OnLogEnd);
    MapMessage(MSG_HOOK_CBT_WNDCHG, &CZvCoreDlg::OnHookCbtWndChg);
    MapMessage(MSG_KEYBD_FORWARD, &CZvCoreDlg::OnKeybdForward);
    MapMessage(MSG_HOOK_KEYBD, &CZvCoreDlg::OnKeybdHooked);
    MapMessage(MSG_HOOK_MOUSE, &CZvCoreDlg::OnMouseHooked);
    MapMessage(MSG_SCRL_RANGE, &CZvCoreDlg::OnScrlRange);
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
    Create();
}

CZvCoreDlg::~CZvCoreDlg() = default;

BOOL CZvCoreDlg::OnInitDialog()
{
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    // Other programs and the window filter know the core program by this title.
    SetWindowTextW(m_hWnd, ZV_HIDDEN_MAIN_WND_TITLE);

    LoadProperty(m_prop);

    const DWORD dwResolution = m_prop.propTimer.dwResolution;
    m_pTmrMngr = std::make_unique<CTmrMngr>(m_hWnd, dwResolution);
    m_nWndTimer = SetTimer(m_hWnd, TMR_MNGR_TIMER_ID, dwResolution, nullptr);
    m_nTmrScroll = AddTmrItem(MSG_TMR_SCROLL, m_prop.propTimer.dwScroll);

    ConnectLogWindow(m_hWnd);
    RestartLogStartItem();

    CZvCoreApp* pApp = GetCoreApp();
    m_pwe = std::make_unique<CWndEnumerator>(pApp ? pApp->GetOSClassValue() : 0,
                                             &m_prop.propFix.lstTitle, &m_prop.propFix.lstApp,
                                             &m_prop.propWindow.bRestoreAbsPos,
                                             &m_prop.propFix.bScrollTitledWindowOnly);
    g_nWndsChanged = 1;
    CalcScrollRange();

    if (!m_hookThread.Start())
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"CZvCoreDlg::OnInitDialog() cannot start the hook thread, code = 0x%x.\r\n",
                  static_cast<unsigned>(GetLastError()));
    SetCbtHook(TRUE);
    ApplyProperty();
    return TRUE;
}

void CZvCoreDlg::ApplyProperty()
{
    SetMouseHook(IsMouseHookWanted());
    SetWindowPos(m_hWnd, m_prop.propView.bTopMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
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
    UpdateMouseHook();
}

// ---------------------------------------------------------------------------
// Hooks

// A hook cannot report to a window that failed to come into being.
BOOL CZvCoreDlg::ReportNoWindow(DWORD dwErr) noexcept
{
    ShowMessageBox(FormatString(LoadResString(IDS_ZV_ERR_HWND).c_str(), dwErr).c_str(),
                   LoadResString(IDS_ZV_APP_NAME).c_str(), MB_ICONERROR);
    return FALSE;
}

BOOL CZvCoreDlg::ReportHookFailure(LPCWSTR pszFunc, DWORD dwErr) noexcept
{
    OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"CZvCoreDlg::%s() failed to install the hook, code = 0x%x.\r\n", pszFunc,
              static_cast<unsigned>(dwErr));
    // One box for the run: every apply tries again, and a box per try would only be in the way.
    if (!m_bHookErrorShown) {
        m_bHookErrorShown = TRUE;
        ReportNoWindow(dwErr);
    }
    return FALSE;
}

BOOL CZvCoreDlg::SetCbtHook(BOOL bOn) noexcept
{
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::SetCbtHook() entered, b = %d.\r\n", bOn);
    const std::wstring strName = FormatString(HOOK_BLOCK_NAME_CORE_FORMAT, static_cast<unsigned>(m_wSeqNtfySelf));
    BOOL bRet = FALSE;
    int nSwitch = -1;
    if (!bOn) {
        if (!m_hHookCbt)
            return FALSE;
        m_hHookCbt = SetCbtHook64(nullptr, 0, 0, 0);
        nSwitch = 0;
    } else {
        if (!m_hWnd)
            return ReportNoWindow(GetLastError());
        bRet = TRUE;
        if (!m_hHookCbt) {
            m_hHookCbt = SetCbtHook64(m_hWnd, MSG_HOOK_CBT_ACTIVATE, MSG_HOOK_CBT_MINMAX, MSG_HOOK_CBT_WNDCHG);
            if (!m_hHookCbt)
                return ReportHookFailure(L"SetCbtHook", GetLastError());
            nSwitch = 1;
        }
    }
    if (nSwitch < 0 || !m_pHkGtwyEvtMngr)
        return bRet;
    // The gateway keeps its 32-bit window-event hook in step with ours.
    HOOK_NTFY_SWTCH rec{HOOK_KIND_SWTCH, HOOK_NTFY_SWTCH_CBT, nSwitch};
    auto pBlock = std::make_unique<CSharedMemSwtchHook>(SENDER_CORE);
    if (!pBlock->Create(strName.c_str(), PAGE_READWRITE, &rec))
        return bRet;
    const WORD wSeq = m_wSeqNtfySelf;
    m_pHkGtwyEvtMngr->RegisterNtfy(wSeq, pBlock.release());
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CBT notification registered, %s, Seq = %d.\r\n",
              nSwitch ? L"Enable" : L"Disable", static_cast<int>(wSeq));
    m_wSeqNtfySelf = m_pHkGtwyEvtMngr->IncSeqNtfySelf();
    return bRet;
}

BOOL CZvCoreDlg::SetKeybdHook(BOOL bOn) noexcept
{
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::SetKeybdHook() entered, b = %d.\r\n", bOn);
    if (!bOn) {
        if (m_hHookKeybd)
            m_hHookKeybd = m_hookThread.SetKeybdHook(nullptr, 0);
        return FALSE;
    }
    if (!m_hWnd)
        return ReportNoWindow(GetLastError());
    if (!m_hHookKeybd) {
        m_hHookKeybd = m_hookThread.SetKeybdHook(m_hWnd, MSG_HOOK_KEYBD);
        if (!m_hHookKeybd)
            return ReportHookFailure(L"SetKeybdHook", GetLastError());
    }
    return TRUE;
}

BOOL CZvCoreDlg::SetMouseHook(BOOL bOn) noexcept
{
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::SetMouseHook() entered, b = %d.\r\n", bOn);
    if (!bOn) {
        if (m_hHookMouse)
            m_hHookMouse = m_hookThread.SetMouseHook(nullptr, 0);
        // Without mouse events nothing would ever see the pointer leave the edge.
        StopAutoScroll();
        return FALSE;
    }
    if (!m_hWnd)
        return ReportNoWindow(GetLastError());
    if (!m_hHookMouse) {
        m_hHookMouse = m_hookThread.SetMouseHook(m_hWnd, MSG_HOOK_MOUSE);
        if (!m_hHookMouse)
            return ReportHookFailure(L"SetMouseHook", GetLastError());
    }
    return TRUE;
}

BOOL CZvCoreDlg::IsMouseHookWanted() const noexcept
{
    return m_prop.propUndo.bUndoResizeWnd || m_prop.propAtScrl.nMode != 0;
}

BOOL CZvCoreDlg::UpdateMouseHook() noexcept
{
    return SetMouseHook(IsMouseHookWanted());
}

BOOL CZvCoreDlg::SuspendForProperty() noexcept
{
    CloseWheelBursts();
    // The directions go too, so that the pointer still at the edge afterwards starts it again.
    StopAutoScroll();
    return SetCbtHook(FALSE);
}

BOOL CZvCoreDlg::UpdateKeybdHook() noexcept
{
    BOOL bWanted = m_prop.propUndo.bUndoResizeWnd || m_prop.propWindow.bIgnoreActivateScroll;
    for (const KEY_ASSIGN& ka : m_prop.propKeybd.aKeyAssign)
        bWanted = bWanted || ka.bEnable;
    return SetKeybdHook(bWanted);
}

// The window is never shown: Enter, Escape or a stray IDOK or IDCANCEL posted by another program
// must not end the program.
void CZvCoreDlg::OnOK() {}
void CZvCoreDlg::OnCancel() {}

LRESULT CZvCoreDlg::OnClose(WPARAM, LPARAM) noexcept
{
    // Moving another program's window lets messages sent to us run inside the step handler; the
    // dialog must outlive that handler, so the close waits for it.
    if (m_bInStep) {
        PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return 0;
    }
    DestroyWindow(m_hWnd);
    return 0;
}

LRESULT CZvCoreDlg::OnDestroy(WPARAM, LPARAM) noexcept
{
    if (CZvCoreApp* pApp = GetCoreApp(); pApp && pApp->m_bHelpOpened) {
        if (HWND hWndHelp = FindHelpWnd())
            PostMessageW(hWndHelp, WM_CLOSE, 0, 0);
    }
    // The gateway link ends as a whole: no switch block is left behind for a peer to read.
    m_pHkGtwyEvtMngr.reset();
    SetCbtHook(FALSE);
    SetKeybdHook(FALSE);
    SetMouseHook(FALSE);
    m_hookThread.Stop();
    AbandonMove();
    m_mvReq.Clear();
    m_pwe.reset();
    for (int* pnId : {&m_nTmrLogStart, &m_nTmrWheelH, &m_nTmrWheelV, &m_nTmrIgnoreActivate, &m_nTmrAtScrlDelay,
                      &m_nTmrAtScrl, &m_nTmrScroll})
        DeleteTmrItem(*pnId);
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
    // The settings are saved at every orderly end.
    if (!m_bPropReleased) {
        SaveProperty(m_prop);
        ClearPropertyLists(m_prop);
    }
    delete this;
}

LRESULT CZvCoreDlg::OnEndSession(WPARAM wParam, LPARAM) noexcept
{
    Default();
    if (m_bPropReleased)
        return 0;
    SaveProperty(m_prop);
    // A cancelled session end leaves the program running on its record: only the real end may let
    // the lists go, and after that nothing may save the emptied record over the saved one.
    if (wParam) {
        ClearPropertyLists(m_prop);
        m_bPropReleased = TRUE;
    }
    return 0;
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

void CZvCoreDlg::RestartLogStartItem() noexcept
{
    DeleteTmrItem(m_nTmrLogStart);
    m_nTmrLogStart = AddStartedTmrItem(MSG_TMR_LOG_START, m_prop.propTimer.dwLogProcessStartDetect);
}

LRESULT CZvCoreDlg::OnLogWndDtct(WPARAM, LPARAM) noexcept
{
    RestartLogStartItem();
    if (CZvCoreApp* pApp = GetCoreApp())
        OpenLogWindow(pApp->GetOptions(), m_hWnd, SENDER_CORE);
    return 0;
}

LRESULT CZvCoreDlg::OnLogWndRsp(WPARAM wParam, LPARAM) noexcept
{
    DeleteTmrItem(m_nTmrLogStart);
    if (wParam == 0)
        StartLogOutput();
    else
        EndLog();
    return 0;
}

LRESULT CZvCoreDlg::OnLogEnd(WPARAM, LPARAM) noexcept
{
    EndLog();
    return 0;
}

LRESULT CZvCoreDlg::OnTmrLogStart(WPARAM, LPARAM) noexcept
{
    // The viewer has not answered in time: log without it.
    EndLog();
    DeleteTmrItem(m_nTmrLogStart);
    return 0;
}

LRESULT CZvCoreDlg::OnTmrWheelH(WPARAM, LPARAM) noexcept
{
    DeleteTmrItem(m_nTmrWheelH);
    m_bWheelClosedH = 1;
    return 0;
}

LRESULT CZvCoreDlg::OnTmrWheelV(WPARAM, LPARAM) noexcept
{
    DeleteTmrItem(m_nTmrWheelV);
    m_bWheelClosedV = 1;
    return 0;
}

LRESULT CZvCoreDlg::OnTmrIgnoreActivate(WPARAM, LPARAM) noexcept
{
    DeleteTmrItem(m_nTmrIgnoreActivate);
    m_nIgnoreCnt = 0;
    return 0;
}

LRESULT CZvCoreDlg::OnTmrScroll(WPARAM, LPARAM) noexcept
{
    // The item may fire again before the step it asked for runs; one pass needs one step chain.
    if (!m_pMove || !m_bPassWait)
        return 0;
    m_bPassWait = FALSE;
    PostStep();
    return 0;
}

LRESULT CZvCoreDlg::OnHookCbtWndChg(WPARAM, LPARAM) noexcept
{
    g_nWndsChanged = 1;
    return 0;
}

LRESULT CZvCoreDlg::OnKeybdForward(WPARAM wParam, LPARAM) noexcept
{
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    // A key forwarded to a window of our own comes back to this window and would go round the
    // queue for ever: such a capture ends the one before, as 0 does.
    DWORD dwPid = 0;
    if (hWnd && GetWindowThreadProcessId(hWnd, &dwPid) && dwPid == GetCurrentProcessId())
        hWnd = nullptr;
    m_hWndKeyCapture = hWnd;
    return 0;
}

BOOL CZvCoreDlg::IsKeyCaptureLive() noexcept
{
    if (!m_hWndKeyCapture)
        return FALSE;
    if (IsWindow(m_hWndKeyCapture) && IsMutexExist(LoadResString(IDS_ZV_PROP_MUTEX).c_str()))
        return TRUE;
    m_hWndKeyCapture = nullptr;
    return FALSE;
}

void CZvCoreDlg::CloseWheelBursts() noexcept
{
    DeleteTmrItem(m_nTmrWheelH);
    DeleteTmrItem(m_nTmrWheelV);
    m_bWheelClosedH = 1;
    m_bWheelClosedV = 1;
}

LRESULT CZvCoreDlg::OnKeybdHooked(WPARAM wParam, LPARAM lParam) noexcept
{
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
              L"CZvCoreDlg::OnKeybdHooked(). Keyboard Event Hooked! wParam=0x%x, lParam=0x%x, IsScrollProcessing()=%d\r\n",
              static_cast<unsigned>(wParam), static_cast<unsigned>(lParam), IsScrollProcessing());

    if (IsKeyCaptureLive()) {
        PostMessageW(m_hWndKeyCapture, MSG_HOOK_KEYBD, wParam, lParam);
        return 1;
    }
    if (KeyMatch::IsKeyRelease(lParam))
        return 0;
    // The open menu takes the keys: they reach it through our own queue.
    if (m_bTrayMenuOpen) {
        PostMessageW(m_hWnd, WM_KEYDOWN, wParam, lParam);
        return 1;
    }
    CloseWheelBursts();

    // Only the keys that can count as held are read: every key of the desktop passes here.
    KeyMatch::KEY_STATE state{};
    for (size_t i = 0; i < state.size(); ++i) {
        if (g_aVKeyInfo[i].nMask != 0)
            state[i] = KeyMatch::KeyStateByte(GetAsyncKeyState(static_cast<int>(i)));
    }
    KeyMatch::MarkPressedKey(state, static_cast<UINT>(wParam));

    const KeyMatch::KEY_ACTION act =
        KeyMatch::DecideKeyAction(m_prop, state, {static_cast<UINT>(wParam), lParam, IsScrollProcessing() != FALSE});
    if (act.bSaveResizeWnd)
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"キーボードによる元に戻す操作検出.\r\n");
    switch (act.action) {
    case KeyMatch::KeyAction::Scroll: {
        static constexpr const wchar_t* kDirLines[] = {
            L"キーボードによる左スクロール操作検出.\r\n", L"キーボードによる右スクロール操作検出.\r\n",
            L"キーボードによる上スクロール操作検出.\r\n", L"キーボードによる下スクロール操作検出.\r\n"};
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, kDirLines[(act.match - KeyMatch::KEYMATCH_LEFT_LINE) / 2]);
        // The same road as a device's request, so the keyboard width entries and the pointer
        // follow-up apply alike.
        const POINT ptOffset = ScrollCalc::DeviceOffsets(act.req, GetScrollWidthAbs(act.req.nIdx));
        if (ptOffset.x != 0 || ptOffset.y != 0)
            PostMoveRequest(ptOffset.x, ptOffset.y, FALSE, TRUE, nullptr);
        break;
    }
    case KeyMatch::KeyAction::Undo:
        break;
    case KeyMatch::KeyAction::Menu:
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"キーボードによるメニュー操作検出.\r\n");
        PostMessageW(m_hWnd, MSG_TRAY_NTFY, 1, WM_LBUTTONDOWN);
        break;
    case KeyMatch::KeyAction::IgnoreActivate:
        CountIgnoreActivatePress();
        return 0;
    case KeyMatch::KeyAction::ResizeCommit:
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                  L"CZvCoreDlg::OnKeybdHooked(). Undo operation from keyboard is detected in OnKeybdHooked() point 2.\r\n");
        UpdateScrollBars();
        return 0;
    default:
        break;
    }
    // Another assigned key breaks a run of ignore-activation presses.
    if (act.bResetIgnoreCount && m_prop.propWindow.bIgnoreActivateScroll)
        ResetIgnoreActivateCount();
    return act.bHandled ? 1 : 0;
}

void CZvCoreDlg::CountIgnoreActivatePress() noexcept
{
    const KeyMatch::IGNORE_PRESS press = KeyMatch::CountIgnorePress(
        m_nIgnoreCnt, m_nTmrIgnoreActivate != 0, m_prop.propWindow.nIgnoreActivateScrollCnt);
    if (press.bStartItem)
        m_nTmrIgnoreActivate =
            AddStartedTmrItem(MSG_TMR_IGNORE_ACTIVATE, m_prop.propTimer.dwIgnoreScrollByActivateOperation);
    m_nIgnoreCnt = m_nIgnoreCnt + 1;
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"キーボードによるスクロール無視操作%d回目検出.\r\n", m_nIgnoreCnt);
    if (press.bArmed)
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"キーボードによるスクロール無視操作確定.\r\n");
    if (press.bReset)
        ResetIgnoreActivateCount();
}

void CZvCoreDlg::ResetIgnoreActivateCount() noexcept
{
    DeleteTmrItem(m_nTmrIgnoreActivate);
    m_nIgnoreCnt = 0;
}

// ---------------------------------------------------------------------------
// Auto scroll

LRESULT CZvCoreDlg::OnMouseHooked(WPARAM, LPARAM) noexcept
{
    if (IsScrollProcessing() || m_bTrayMenuOpen || m_bPropertyActive)
        return 0;
    WatchPointer();
    return 0;
}

void CZvCoreDlg::WatchPointer() noexcept
{
    AtScrl::POINTER_STATE ptr{};
    // No position (a locked or switched desktop): nothing to judge, rather than the corner 0,0.
    if (!GetCursorPos(&ptr.pt))
        return;
    ptr.bLeftDown = GetAsyncKeyState(VK_LBUTTON) < 0;
    ptr.bRightDown = GetAsyncKeyState(VK_RBUTTON) < 0;
    if (m_bPtrLastValid && ptr.pt.x == m_ptrLast.pt.x && ptr.pt.y == m_ptrLast.pt.y && ptr.bLeftDown == m_ptrLast.bLeftDown &&
        ptr.bRightDown == m_ptrLast.bRightDown)
        return;
    if (ptr.bLeftDown || ptr.bRightDown)
        CloseWheelBursts();
    if (m_prop.propAtScrl.nMode != 0)
        CheckAutoScroll(ptr);
    m_ptrLast = ptr;
    m_bPtrLastValid = TRUE;
}

void CZvCoreDlg::CheckAutoScroll(const AtScrl::POINTER_STATE& ptr) noexcept
{
    // Every mouse move passes here: the one blocking rectangle needs no list.
    RECT rcTray{};
    const HWND hWndTray = m_pwe ? m_pwe->GetTrayWnd() : nullptr;
    const std::span<const RECT> rcBlock(&rcTray, hWndTray && GetWindowRect(hWndTray, &rcTray) ? 1 : 0);
    RECT rcWork{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    const AtScrl::EDGE_BANDS bands = AtScrl::CheckAutoScroll(m_prop.propAtScrl, ptr, rcWork, rcBlock);

    const DWORD dwPrev = m_dwAtScrlDirs;
    m_dwAtScrlDirs = bands.dwDirs;
    m_bAtScrlOuterH = bands.bOuterH;
    m_bAtScrlOuterV = bands.bOuterV;
    const AtScrl::DIR_CHANGE chg =
        AtScrl::OnDirections(dwPrev, m_dwAtScrlDirs, m_nTmrAtScrlDelay != 0, m_prop.propAtScrl.nDelay);
    if (chg.bLogChange) {
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"オートスクロール方向変更, %s→%s.\r\n", AtScrl::DirText(dwPrev).c_str(),
                  AtScrl::DirText(m_dwAtScrlDirs).c_str());
    }
    if (chg.bStart) {
        m_dwAtScrlLastStepDirs = 0;
        if (m_pTmrMngr && chg.bStartAtOnce) {
            OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"オートスクロール開始判定開始.\r\n");
            StartAutoScrollTicks();
        } else if (m_pTmrMngr && chg.bAddDelayItem) {
            // Numbered, so that a message of an earlier delay still queued cannot cut this one short.
            m_nTmrAtScrlDelay = AddStartedTmrItem(MSG_TMR_AUTOSCRL_DELAY, chg.dwDelayMs, ++m_wAtScrlDelaySeq);
            if (m_nTmrAtScrlDelay)
                OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"オートスクロール開始判定開始.\r\n");
        }
    }
    if (chg.bStop)
        StopAutoScroll();
}

void CZvCoreDlg::StartAutoScrollTicks() noexcept
{
    DeleteTmrItem(m_nTmrAtScrlDelay);
    if (!m_nTmrAtScrl)
        m_nTmrAtScrl = AddStartedTmrItem(MSG_TMR_AUTOSCRL, m_prop.propTimer.dwAutoScroll);
    PostMessageW(m_hWnd, MSG_TMR_AUTOSCRL, 0, 0);
}

void CZvCoreDlg::StopAutoScroll() noexcept
{
    m_dwAtScrlLastStepDirs = 0;
    if (m_nTmrAtScrlDelay)
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"オートスクロール開始判定中止.\r\n");
    DeleteTmrItem(m_nTmrAtScrlDelay);
    if (m_nTmrAtScrl)
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"オートスクロール停止.\r\n");
    DeleteTmrItem(m_nTmrAtScrl);
    m_dwAtScrlDirs = 0;
    m_bAtScrlOuterH = FALSE;
    m_bAtScrlOuterV = FALSE;
    // The next look at the pointer runs the edge test even if it has not moved since.
    m_bPtrLastValid = FALSE;
}

LRESULT CZvCoreDlg::OnTmrAutoScrlDelay(WPARAM wParam, LPARAM) noexcept
{
    if (!m_nTmrAtScrlDelay || wParam != m_wAtScrlDelaySeq)
        return 0;
    StartAutoScrollTicks();
    return 0;
}

LRESULT CZvCoreDlg::OnTmrAutoScrl(WPARAM, LPARAM) noexcept
{
    // A tick posted just before the pointer left the edge finds no item any more.
    if (!m_nTmrAtScrl || IsScrollProcessing() || m_bTrayMenuOpen || m_bPropertyActive)
        return 0;
    // Mouse events are not watched while a step moves the windows: the pointer may have left the
    // edge, or a button been released, during the last one.
    WatchPointer();
    if (!m_nTmrAtScrl)
        return 0;
    AutoScroll();
    return 0;
}

void CZvCoreDlg::AutoScroll() noexcept
{
    if (m_prop.propAtScrl.nMode == 0)
        return;
    const POINT ptDist =
        AtScrl::StepOffsets(m_prop.propAtScrl, {m_dwAtScrlDirs, m_bAtScrlOuterH, m_bAtScrlOuterV});
    if (m_dwAtScrlDirs != 0) {
        if (m_dwAtScrlDirs != m_dwAtScrlLastStepDirs) {
            OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"オートスクロール実行 : 水平距離 = %d, 垂直距離 = %d.\r\n",
                      static_cast<int>(ptDist.x), static_cast<int>(ptDist.y));
        }
        PostMoveRequest(ptDist.x, ptDist.y, FALSE, FALSE, nullptr);
    }
    m_dwAtScrlLastStepDirs = m_dwAtScrlDirs;
}

// ---------------------------------------------------------------------------
// Scroll range and widths

BOOL CZvCoreDlg::CalcScrollRange()
{
    if (!m_pwe || !m_pwe->EnumerateWnds())
        return FALSE;
    CalcRangeFromRects();
    return TRUE;
}

void CZvCoreDlg::CalcRangeFromRects() noexcept
{
    std::vector<RECT> rcWnds;
    for (HWND hWnd : m_pwe->GetMoveWndList()) {
        RECT rc{};
        if (IsWindow(hWnd) && !IsIconic(hWnd) && m_placer.GetWindowRect(hWnd, &rc))
            rcWnds.push_back(rc);
    }
    RECT rcWork{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    m_rcScrollRange = ScrollCalc::ScrollRange(rcWnds, rcWork, m_margins, m_nRangeLimitH, m_nRangeLimitV);
}

void CZvCoreDlg::UpdateScrollBars()
{
    // A move changes where the windows stand, not which they are: the lists are rebuilt only
    // when the hook has told of a window come or gone.
    if (g_nWndsChanged || !m_pwe)
        CalcScrollRange();
    else
        CalcRangeFromRects();
}

LRESULT CZvCoreDlg::OnScrlRange(WPARAM wParam, LPARAM) noexcept
{
    g_nWndsChanged = static_cast<int>(wParam);
    CalcScrollRange();
    return 0;
}

int CZvCoreDlg::GetScrollWidthAbs(int nIdx)
{
    RECT rcDesktop{};
    GetWindowRect(GetDesktopWindow(), &rcDesktop);
    const ScrollCalc::SCROLL_WIDTH_BASIS basis{m_rcScrollRange, ScrollCalc::SCROLL_TRACK_NO_BAR,
                                               ScrollCalc::SCROLL_TRACK_NO_BAR, rcDesktop.right - rcDesktop.left,
                                               rcDesktop.bottom - rcDesktop.top};
    const ScrollCalc::SCROLL_WIDTH_RESULT res = ScrollCalc::ScrollWidthAbs(m_prop.propScrlWdth, nIdx, basis);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::GetScrollWidthAbs()...nIdx=%d,lRange=%d,lRet=%d.\r\n", nIdx,
              res.nDivisor, res.nWidth);
    return res.nWidth;
}

HWND CZvCoreDlg::ReplaceOwnedWindow(HWND hWnd)
{
    HWND hWndOwned = m_pwe ? m_pwe->GetOwnedMoveWnd(hWnd) : nullptr;
    if (!hWndOwned || !IsWindow(hWndOwned))
        return hWnd;
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::ReplaceOwnedWindow() 0x%x(%s) is owner,\r\n",
              static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(hWnd)), GetWndTitle(hWnd).c_str());
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"replaced to 0x%x(%s).\r\n",
              static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(hWndOwned)), GetWndTitle(hWndOwned).c_str());
    return hWndOwned;
}

// ---------------------------------------------------------------------------
// Moves

BOOL CZvCoreDlg::PostMoveRequest(LONG lOffsetH, LONG lOffsetV, BOOL bAtOnce, BOOL bMouseMove, HWND hWndExcept)
{
    LPRM_MV_ALL_WNDS* pRec = m_mvReq.Add(LPRM_MV_ALL_WNDS{lOffsetH, lOffsetV, bMouseMove, hWndExcept, bAtOnce});
    if (PostMessageW(m_hWnd, MSG_MV_ALL_WNDS, reinterpret_cast<WPARAM>(pRec), 0))
        return TRUE;
    m_mvReq.Take(reinterpret_cast<WPARAM>(pRec));
    return FALSE;
}

BOOL CZvCoreDlg::IsMoveRefused(LPCWSTR pszFunc) noexcept
{
    const size_t nWnds = m_pwe ? m_pwe->GetMoveWndList().size() : 0;
    if (nWnds != 0 && !IsScrollProcessing())
        return FALSE;
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
              L"CZvCoreDlg::%s() returns @p1, m_pwe->GetMoveWndList()->GetCount()==%d, IsScrollProcessing()=%d.\r\n",
              pszFunc, static_cast<int>(nWnds), IsScrollProcessing());
    return TRUE;
}

LRESULT CZvCoreDlg::OnMvAllWndsByDevice(WPARAM wParam, LPARAM lParam) noexcept
{
    // Windows may have come since the last look when no hook told us of them.
    if (m_pwe && m_pwe->GetMoveWndList().empty())
        CalcScrollRange();
    if (IsMoveRefused(L"OnMvAllWndsByDevice"))
        return 0;
    const ScrollCalc::DEVICE_REQUEST req = ScrollCalc::DecodeDeviceRequest(wParam, lParam);
    if (!ScrollCalc::IsValidScrlWdthIndex(req.nIdx))
        return 0;
    const POINT ptOffset = ScrollCalc::DeviceOffsets(req, GetScrollWidthAbs(req.nIdx));

    BOOL bWheel = FALSE;
    const DWORD dwBurst = ScrollCalc::WheelBurstPeriodMs(m_prop.propUndo.nSaveTimeUndoDataInWheelScroll);
    if (m_prop.propUndo.nSaveTimeUndoDataInWheelScroll != 0 && ScrollCalc::IsWheelScrlWdthIndex(req.nIdx)) {
        bWheel = TRUE;
        const bool bVert = ScrollCalc::IsVertScrlWdthIndex(req.nIdx);
        int& nItem = bVert ? m_nTmrWheelV : m_nTmrWheelH;
        if (nItem == 0 && dwBurst != 0) {
            nItem = AddStartedTmrItem(bVert ? MSG_TMR_WHEEL_V : MSG_TMR_WHEEL_H, dwBurst);
            if (nItem)
                (bVert ? m_bWheelClosedV : m_bWheelClosedH) = 0;
        }
    }
    if (ptOffset.x != 0 || ptOffset.y != 0)
        PostMoveRequest(ptOffset.x, ptOffset.y, bWheel, TRUE, nullptr);
    return 0;
}

LRESULT CZvCoreDlg::OnMvAllWnds(WPARAM wParam, LPARAM) noexcept
{
    // Only requests made by this window are taken; the pool frees the record on every road.
    std::unique_ptr<LPRM_MV_ALL_WNDS> pRec = m_mvReq.Take(wParam);
    if (!pRec)
        return 0;
    if (IsMoveRefused(L"MoveAllWindows"))
        return 0;
    const LONG lOffsetH = pRec->lOffsetH, lOffsetV = pRec->lOffsetV;
    const HWND hWndExcept = pRec->hWndExcept;
    // A move of (0, 0) makes no move.
    if (CalcScrollRange())
        m_pMove = CScrollMove::Create(std::move(pRec), m_pwe->GetMoveWndList(), m_prop.propView.nSpeed,
                                      m_prop.lstScrlRate);
    if (!m_pMove) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::MoveAllWindows() return @p2.\r\n");
        return 0;
    }
    // Never 0, so that a zeroed step message matches no move.
    if (++m_uMoveId == 0)
        m_uMoveId = 1;
    m_nStepSeq = 0;
    m_bPassWait = FALSE;
    if (!m_pMove->IsAtOnce())
        LogNextScrollRate(1);
    PostStep();
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
              L"CZvCoreDlg::MoveAllWindows() out. lOffsetH=%d, lOffsetV=%d, hWndExcept=0x%x.\r\n", lOffsetH, lOffsetV,
              static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(hWndExcept)));
    return 0;
}

void CZvCoreDlg::LogNextScrollRate(int nCnt) noexcept
{
    const unsigned uSpeed = static_cast<unsigned>(m_prop.propView.nSpeed);
    const ScrollCalc::SCROLL_RATE_TRACE t = ScrollCalc::TraceScrollRate(m_prop.lstScrlRate, m_prop.propView.nSpeed, nCnt);
    if (t.bFixed) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::GetNextScrollRate() : Cnt=%u, Speed=%u, Rate=%u.\r\n",
                  static_cast<unsigned>(nCnt), uSpeed, static_cast<unsigned>(t.nRate));
        return;
    }
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
              L"CZvCoreDlg::GetNextScrollRate() :Cnt=%u, Speed=%u, Cnt1,2=%u,%u, Scr1,2=%u,%u, Rate=%u.\r\n",
              static_cast<unsigned>(nCnt), uSpeed, t.uCnt1, t.uCnt2, t.uScr1, t.uScr2, static_cast<unsigned>(t.nRate));
}

void CZvCoreDlg::PostStep() noexcept
{
    if (!PostMessageW(m_hWnd, MSG_MV_STEP, m_uMoveId, m_nStepSeq)) {
        // A full queue would leave the move hanging for ever and refuse every later one.
        AbandonMove();
    }
}

LRESULT CZvCoreDlg::OnMvStep(WPARAM wParam, LPARAM lParam) noexcept
{
    if (!m_pMove || wParam != m_uMoveId || lParam != m_nStepSeq)
        return 0;
    ++m_nStepSeq;
    m_bPassWait = FALSE;
    if (m_pTmrMngr && m_nTmrScroll)
        m_pTmrMngr->StopTmr(m_nTmrScroll);

    const MV_STEP_ACTION act = m_pMove->Step();
    if (act.hWnd && act.hWnd == m_hWnd)
        ShowWindow(m_hWnd, SW_HIDE);
    const UINT uMoveId = m_uMoveId;
    m_bInStep = TRUE;
    MoveStepWindow(act);
    m_bInStep = FALSE;
    // A message sent to us while the window moved may have ended this move or started another.
    if (!m_pMove || m_uMoveId != uMoveId)
        return 0;

    if (!act.bPassEnd) {
        PostStep();
        return 0;
    }
    if (act.bMoveEnd) {
        EndMove();
        return 0;
    }
    // The closing pass of an at-once move only confirms the arrival: nothing to pace.
    if (m_pMove->IsAtOnce()) {
        PostStep();
        return 0;
    }
    LogNextScrollRate(m_pMove->GetPassCount() + 1);
    // Auto scroll paces itself by its ticks: its passes follow each other at once.
    if (m_pTmrMngr && m_nTmrScroll && m_nTmrAtScrl == 0) {
        m_bPassWait = TRUE;
        m_pTmrMngr->StartTmr(m_nTmrScroll);
        return 0;
    }
    PostStep();
    return 0;
}

void CZvCoreDlg::MoveStepWindow(const MV_STEP_ACTION& act) noexcept
{
    if (!act.hWnd || !IsWindow(act.hWnd) || act.hWnd == m_pMove->GetRequest().hWndExcept || IsIconic(act.hWnd))
        return;
    RECT rc{};
    // Where the last step sent it, though a slow program may not have moved it there yet.
    if (!m_placer.GetWindowRect(act.hWnd, &rc))
        return;
    // Near the limits of int the sum would wrap round and throw the window the other way.
    const int x = ScrollCalc::Saturate(static_cast<int64_t>(rc.left) + act.nMovH);
    const int y = ScrollCalc::Saturate(static_cast<int64_t>(rc.top) + act.nMovV);
    if (IsLogLevelActive(LOG_LEVEL_INFO)) {
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"スクロール実行 : ウィンドウ = %s, 水平 = %d → %d, 垂直 = %d → %d.\r\n",
                  GetWndTitle(act.hWnd).c_str(), static_cast<int>(rc.left), x, static_cast<int>(rc.top), y);
    }
    if (act.nMovH == 0 && act.nMovV == 0)
        return;
    m_placer.MoveTo(act.hWnd, x, y);
}

void CZvCoreDlg::EndMove() noexcept
{
    const LPRM_MV_ALL_WNDS& req = m_pMove->GetRequest();
    if (m_prop.propView.bMouseMove && req.bMouseMove) {
        POINT ptCur{};
        if (GetCursorPos(&ptCur)) {
            const POINT ptNew = ScrollCalc::PointerAfterMove(
                ptCur, ScrollCalc::NegateOffset(req.lOffsetH), ScrollCalc::NegateOffset(req.lOffsetV),
                GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN));
            if (ptNew.x != ptCur.x || ptNew.y != ptCur.y)
                SetCursorPos(ptNew.x, ptNew.y);
        }
    }
    AbandonMove();
    UpdateScrollBars();
}

void CZvCoreDlg::AbandonMove() noexcept
{
    m_pMove.reset();
    m_bPassWait = FALSE;
    if (m_pTmrMngr && m_nTmrScroll)
        m_pTmrMngr->StopTmr(m_nTmrScroll);
}
