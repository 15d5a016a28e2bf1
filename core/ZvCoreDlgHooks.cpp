// CZvCoreDlg: the three global hooks, installed and removed as the settings ask, and the switch
// block that keeps the gateway's 32-bit window-event hook in step.
#include "ZvCoreDlg.h"

#include <memory>
#include <string>

#include "HkGtwyLink.h"
#include "LogManager.h"
#include "Sender.h"
#include "Strings.h"
#include "WndEnumerator.h"
#include "ZvHook64.h"
#include "ZvMessages.h"
#include "resource.h"

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
        // The box comes inside start-up, an apply or the key forwarding, which go on after it.
        const CNestedLoop loop(*this);
        ReportNoWindow(dwErr);
    }
    return FALSE;
}

BOOL CZvCoreDlg::SetCbtHook(BOOL bOn) noexcept
{
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::SetCbtHook() entered, b = %d.\r\n", bOn);
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
    if (nSwitch >= 0)
        m_pHkGtwyLink->SendCbtSwitch(nSwitch);
    return bRet;
}

BOOL CZvCoreDlg::SwitchLowLevelHook(HHOOK& hHook, BOOL bOn, LPCWSTR pszFunc, PFN_SET_LL_HOOK pfnSet, UINT uMsg) noexcept
{
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::%s() entered, b = %d.\r\n", pszFunc, bOn);
    if (!bOn) {
        if (hHook)
            hHook = (m_hookThread.*pfnSet)(nullptr, 0);
        return FALSE;
    }
    if (!m_hWnd)
        return ReportNoWindow(GetLastError());
    if (!hHook) {
        hHook = (m_hookThread.*pfnSet)(m_hWnd, uMsg);
        if (!hHook)
            return ReportHookFailure(pszFunc, GetLastError());
    }
    return TRUE;
}

BOOL CZvCoreDlg::SetKeybdHook(BOOL bOn) noexcept
{
    const BOOL bRet =
        SwitchLowLevelHook(m_hHookKeybd, bOn, L"SetKeybdHook", &CLowLevelHookThread::SetKeybdHook, MSG_HOOK_KEYBD);
    // Releases made while no hook listened were never seen.
    if (!m_hHookKeybd)
        m_hookedModifiers.Reset();
    return bRet;
}

BOOL CZvCoreDlg::SetMouseHook(BOOL bOn) noexcept
{
    const BOOL bRet =
        SwitchLowLevelHook(m_hHookMouse, bOn, L"SetMouseHook", &CLowLevelHookThread::SetMouseHook, MSG_HOOK_MOUSE);
    // Without mouse events nothing would ever see the pointer leave the edge.
    if (!bOn)
        StopAutoScroll();
    return bRet;
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
    BOOL bWanted = m_prop.propUndo.bUndoResizeWnd || m_prop.propWindow.bIgnoreActivateScroll || m_hWndKeyCapture;
    for (const KEY_ASSIGN& ka : m_prop.propKeybd.aKeyAssign)
        bWanted = bWanted || ka.bEnable;
    return SetKeybdHook(bWanted);
}

LRESULT CZvCoreDlg::OnHookCbtWndChg(WPARAM, LPARAM) noexcept
{
    // The hook tells before the window is made or destroyed, so a count begun since may have come
    // too early: the lists count as changed once that count's mark has come round.
    if (m_reqWndLists.IsMarkQueued())
        m_bWndChgOwed = TRUE;
    else
        g_nWndsChanged = 1;
    return 0;
}
