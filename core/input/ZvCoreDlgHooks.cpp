// CZvCoreDlg: the main window's side of the global hooks (CHookSet, HookSet.h): which hooks the
// settings want, and the switch block that keeps the gateway's 32-bit window-event hook in step.
#include "ZvCoreDlg.h"

#include <memory>
#include <string>

#include "HkGtwyLink.h"
#include "LogManager.h"
#include "Sender.h"
#include "Strings.h"
#include "WndEnumerator.h"
#include "ZvMessages.h"
#include "resource.h"

// A hook cannot report to a window that failed to come into being.
BOOL CZvCoreDlg::ReportNoWindow(DWORD dwErr) noexcept
{
    ShowMessageBox(FormatString(LoadResString(IDS_ZV_ERR_HWND).c_str(), dwErr).c_str(),
                   LoadResString(IDS_ZV_APP_NAME).c_str(), MB_ICONERROR);
    return FALSE;
}

// A failed install's box runs inside a nested loop: an end asked for meanwhile waits for it.
class CZvCoreHookHost : public IHookHost {
public:
    explicit CZvCoreHookHost(CZvCoreDlg& dlg) : m_dlg(dlg) {}
    HWND GetWnd() override { return m_dlg.m_hWnd; }
    void ReportNoWindow(DWORD dwErr) override { CZvCoreDlg::ReportNoWindow(dwErr); }
    void ShowHookError(DWORD dwErr) override
    {
        const CZvCoreDlg::CNestedLoop loop(m_dlg);
        CZvCoreDlg::ReportNoWindow(dwErr);
    }

private:
    CZvCoreDlg& m_dlg;
};

std::unique_ptr<IHookHost> CZvCoreDlg::NewHookHost()
{
    return std::make_unique<CZvCoreHookHost>(*this);
}

BOOL CZvCoreDlg::SetCbtHook(BOOL bOn) noexcept
{
    int nSwitch = -1;
    const BOOL bRet = m_hooks.SetCbtHook(bOn, nSwitch);
    // The gateway keeps its 32-bit window-event hook in step with ours.
    if (nSwitch >= 0)
        m_pHkGtwyLink->SendCbtSwitch(nSwitch);
    return bRet;
}

BOOL CZvCoreDlg::SetMouseHook(BOOL bOn) noexcept
{
    const BOOL bRet = m_hooks.SetMouseHook(bOn);
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
    BOOL bWanted =
        m_prop.propUndo.bUndoResizeWnd || m_prop.propWindow.bIgnoreActivateScroll || m_propExch.HasKeyCapture();
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
