// CZvCoreDlg: keys from the keyboard hook, matched against the key rows, and the key capture of
// the settings program's keyboard page.
#include "ZvCoreDlg.h"

#include <string>

#include "KeyMatch.h"
#include "LogManager.h"
#include "Sender.h"
#include "Strings.h"
#include "ZvMessages.h"
#include "resource.h"

namespace {

// A window of the process whose sheet the settings exchange under way announced: the only program
// that may have the desktop's keys. Anyone can post the request and make the settings program's
// mutex name, so neither tells.
bool IsExchangeWindow(HWND hWnd, HWND hWndPropSheet) noexcept
{
    DWORD dwPid = 0, dwSheetPid = 0;
    return hWnd && hWndPropSheet && IsWindow(hWnd) && GetWindowThreadProcessId(hWnd, &dwPid) &&
           GetWindowThreadProcessId(hWndPropSheet, &dwSheetPid) && dwPid != 0 && dwPid == dwSheetPid &&
           dwPid != GetCurrentProcessId();
}

} // namespace

LRESULT CZvCoreDlg::OnKeybdForward(WPARAM wParam, LPARAM) noexcept
{
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    // Only the settings program of the exchange under way captures keys; any other request ends
    // the capture before it, as 0 does (a window of our own would also send every key round our
    // own queue).
    const HWND hWndSheet = m_bPropertyActive && !m_bPropEnding ? m_hWndPropSheet : nullptr;
    if (hWnd && !IsExchangeWindow(hWnd, hWndSheet)) {
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE,
                  L"CZvCoreDlg::OnKeybdForward() refused 0x%x: no window of the settings program under way.\r\n",
                  LogHandle(hWnd));
        hWnd = nullptr;
    }
    m_hWndKeyCapture = hWnd;
    // The keys must come while a capture lasts, also when no key row of ours wants the hook (the
    // page may have just enabled a row the core does not know of yet). An ending core keeps its
    // hooks off.
    if (m_nEndState == END_STATE_RUNNING)
        UpdateKeybdHook();
    return 0;
}

BOOL CZvCoreDlg::IsKeyCaptureLive() noexcept
{
    if (!m_hWndKeyCapture)
        return FALSE;
    if (m_bPropertyActive && !m_bPropEnding && IsExchangeWindow(m_hWndKeyCapture, m_hWndPropSheet))
        return TRUE;
    EndKeyCapture();
    return FALSE;
}

void CZvCoreDlg::EndKeyCapture() noexcept
{
    if (!m_hWndKeyCapture)
        return;
    m_hWndKeyCapture = nullptr;
    if (m_nEndState == END_STATE_RUNNING)
        UpdateKeybdHook();
}

LRESULT CZvCoreDlg::OnKeybdHooked(WPARAM wParam, LPARAM lParam) noexcept
{
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
              L"CZvCoreDlg::OnKeybdHooked(). Keyboard Event Hooked! wParam=0x%x, lParam=0x%x, IsScrollProcessing()=%d\r\n",
              static_cast<unsigned>(wParam), static_cast<unsigned>(lParam), IsScrollProcessing());
    // Undo: the last input was a key.
    m_undo.SetKeybdMark(m_prop.propUndo.bUndoResizeWnd);

    m_hooks.NoteKey(static_cast<UINT>(wParam), KeyMatch::IsKeyRelease(lParam));
    if (IsKeyCaptureLive()) {
        PostMessageW(m_hWndKeyCapture, MSG_HOOK_KEYBD, wParam, lParam);
        return 1;
    }
    if (KeyMatch::IsKeyRelease(lParam))
        return 0;
    // The open menu takes the keys. The hook passes every key on, so while this thread has the
    // foreground the key comes to the menu by itself, and a second copy would move it twice; only
    // a menu left without the foreground gets the key through our own queue.
    if (IsTrayMenuOpen()) {
        if (GetWindowThreadProcessId(GetForegroundWindow(), nullptr) != GetCurrentThreadId())
            PostMessageW(m_hWnd, WM_KEYDOWN, wParam, lParam);
        return 1;
    }
    CloseWheelBursts();

    const KeyMatch::KEY_STATE state = m_hooks.ReadKeyState(static_cast<UINT>(wParam));

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
        if (ptOffset.x != 0 || ptOffset.y != 0) {
            // While a move runs the request is refused, and a record then would catch the windows
            // half way: none is asked for.
            if (!IsScrollProcessing())
                PostSaveForUndo(UK_ALIGN, act.nUndoSubKind, nullptr, 0);
            PostMoveRequest(ptOffset.x, ptOffset.y, FALSE, TRUE, nullptr);
        }
        break;
    }
    case KeyMatch::KeyAction::Undo:
        // The resized window's record first, then the undo: both posted, so they run in this order
        // after every save already asked for.
        if (act.bSaveResizeWnd && !IsScrollProcessing())
            PostSaveForUndo(UK_RESIZEWND, m_undo.PrevWndTag(), nullptr, UNDO_NO_SHOW_CMD);
        PostMessageW(m_hWnd, WM_COMMAND, ID_ZV_UNDO, 0);
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
        m_undo.SetResizeMark(FALSE);
        PostSaveForUndo(UK_RESIZEWND, m_undo.PrevWndTag(), nullptr, UNDO_NO_SHOW_CMD);
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

LRESULT CZvCoreDlg::OnTmrIgnoreActivate(WPARAM, LPARAM) noexcept
{
    DeleteTmrItem(m_nTmrIgnoreActivate);
    m_nIgnoreCnt = 0;
    return 0;
}
