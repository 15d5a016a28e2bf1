// CZvCoreDlg: keys from the keyboard hook, matched against the key rows (unless the settings
// exchange's key capture takes them).
#include "ZvCoreDlg.h"

#include <string>

#include "KeyMatch.h"
#include "LogManager.h"
#include "Sender.h"
#include "Strings.h"
#include "ZvMessages.h"
#include "resource.h"

LRESULT CZvCoreDlg::OnKeybdHooked(WPARAM wParam, LPARAM lParam) noexcept
{
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
              L"CZvCoreDlg::OnKeybdHooked(). Keyboard Event Hooked! wParam=0x%x, lParam=0x%x, IsScrollProcessing()=%d\r\n",
              static_cast<unsigned>(wParam), static_cast<unsigned>(lParam), IsScrollProcessing());
    // Undo: the last input was a key.
    m_undo.SetKeybdMark(m_prop.propUndo.bUndoResizeWnd);

    m_hooks.NoteKey(static_cast<UINT>(wParam), KeyMatch::IsKeyRelease(lParam));
    if (m_propExch.ForwardKey(wParam, lParam))
        return 1;
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
    const KeyMatch::IGNORE_PRESS press = m_ignoreActivate.Press(m_prop.propWindow.nIgnoreActivateScrollCnt);
    if (press.bStartItem)
        m_ignoreActivate.Started(
            AddStartedTmrItem(MSG_TMR_IGNORE_ACTIVATE, m_prop.propTimer.dwIgnoreScrollByActivateOperation));
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"キーボードによるスクロール無視操作%d回目検出.\r\n",
              m_ignoreActivate.GetCount());
    if (press.bArmed)
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"キーボードによるスクロール無視操作確定.\r\n");
    if (press.bReset)
        ResetIgnoreActivateCount();
}

void CZvCoreDlg::ResetIgnoreActivateCount() noexcept
{
    int nTmr = m_ignoreActivate.Reset();
    DeleteTmrItem(nTmr);
}

LRESULT CZvCoreDlg::OnTmrIgnoreActivate(WPARAM, LPARAM) noexcept
{
    ResetIgnoreActivateCount();
    return 0;
}
