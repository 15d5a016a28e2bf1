// CHookSet: the hooks installed and removed. Its log lines keep the window's function names they
// have always carried, so that old logs and their readers still match them.
#include "HookSet.h"

#include "LogManager.h"
#include "Sender.h"
#include "VirtualKeyTable.h"
#include "ZvHook64.h"
#include "ZvMessages.h"

BOOL CHookSet::ReportFailure(LPCWSTR pszFunc, DWORD dwErr) noexcept
{
    OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"CZvCoreDlg::%s() failed to install the hook, code = 0x%x.\r\n", pszFunc,
              static_cast<unsigned>(dwErr));
    // One box for the run: every apply tries again, and a box per try would only be in the way.
    if (!m_bErrorShown) {
        m_bErrorShown = TRUE;
        m_pHost->ShowHookError(dwErr);
    }
    return FALSE;
}

BOOL CHookSet::SetCbtHook(BOOL bOn, int& nSwitch) noexcept
{
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::SetCbtHook() entered, b = %d.\r\n", bOn);
    nSwitch = -1;
    if (!bOn) {
        if (!m_hHookCbt)
            return FALSE;
        m_hHookCbt = SetCbtHook64(nullptr, 0, 0, 0);
        nSwitch = 0;
        return FALSE;
    }
    const HWND hWnd = m_pHost->GetWnd();
    if (!hWnd) {
        m_pHost->ReportNoWindow(GetLastError());
        return FALSE;
    }
    if (!m_hHookCbt) {
        m_hHookCbt = SetCbtHook64(hWnd, MSG_HOOK_CBT_ACTIVATE, MSG_HOOK_CBT_MINMAX, MSG_HOOK_CBT_WNDCHG);
        if (!m_hHookCbt)
            return ReportFailure(L"SetCbtHook", GetLastError());
        nSwitch = 1;
    }
    return TRUE;
}

BOOL CHookSet::SwitchLowLevelHook(HHOOK& hHook, BOOL bOn, LPCWSTR pszFunc, PFN_SET_LL_HOOK pfnSet, UINT uMsg) noexcept
{
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::%s() entered, b = %d.\r\n", pszFunc, bOn);
    if (!bOn) {
        if (hHook)
            hHook = (m_thread.*pfnSet)(nullptr, 0);
        return FALSE;
    }
    const HWND hWnd = m_pHost->GetWnd();
    if (!hWnd) {
        m_pHost->ReportNoWindow(GetLastError());
        return FALSE;
    }
    if (!hHook) {
        hHook = (m_thread.*pfnSet)(hWnd, uMsg);
        if (!hHook)
            return ReportFailure(pszFunc, GetLastError());
    }
    return TRUE;
}

BOOL CHookSet::SetKeybdHook(BOOL bOn) noexcept
{
    const BOOL bRet =
        SwitchLowLevelHook(m_hHookKeybd, bOn, L"SetKeybdHook", &CLowLevelHookThread::SetKeybdHook, MSG_HOOK_KEYBD);
    // Releases made while no hook listened were never seen.
    if (!m_hHookKeybd)
        m_modifiers.Reset();
    return bRet;
}

BOOL CHookSet::SetMouseHook(BOOL bOn) noexcept
{
    return SwitchLowLevelHook(m_hHookMouse, bOn, L"SetMouseHook", &CLowLevelHookThread::SetMouseHook, MSG_HOOK_MOUSE);
}

KeyMatch::KEY_STATE CHookSet::ReadKeyState(UINT nVKeyPressed) const noexcept
{
    // Only the keys that can count as held are read: every key of the desktop passes here.
    KeyMatch::KEY_STATE state{};
    for (size_t i = 0; i < state.size(); ++i) {
        if (g_aVKeyInfo[i].nMask != 0)
            state[i] = KeyMatch::KeyStateByte(GetAsyncKeyState(static_cast<int>(i)));
    }
    KeyMatch::MarkPressedKey(state, nVKeyPressed);
    m_modifiers.MarkHeld(state);
    return state;
}
