// CZvCoreDlg: the main window's side of the tray icon (CTrayIcon, TrayIcon.h): the View settings
// applied, and the window as the icon and its menu see it.
#include "ZvCoreDlg.h"

#include "UndoItem.h"

// The menu runs inside a nested loop: an end asked for meanwhile waits for it to close.
class CZvCoreTrayHost : public ITrayHost {
public:
    explicit CZvCoreTrayHost(CZvCoreDlg& dlg) : m_dlg(dlg) {}
    HWND GetWnd() override { return m_dlg.m_hWnd; }
    void ReportNoWindow(DWORD dwErr) override { CZvCoreDlg::ReportNoWindow(dwErr); }
    BOOL IsIconWanted() override { return m_dlg.m_prop.propView.bTrayIcon; }
    int AddStartedTmrItem(UINT uMsg, DWORD dwPeriod) override { return m_dlg.AddStartedTmrItem(uMsg, dwPeriod); }
    void DeleteTmrItem(int& nId) override { m_dlg.DeleteTmrItem(nId); }
    BOOL IsMenuHeldBack() override { return m_dlg.IsPropertyActive() || m_dlg.IsSaveForUndoPending(); }
    BOOL IsScrollProcessing() override { return m_dlg.IsScrollProcessing(); }
    const CUndoItem* LastUndoItem() override { return m_dlg.GetUndoCount() != 0 ? m_dlg.LastUndoItem() : nullptr; }
    void TrackMenu(HMENU hPopup, POINT ptScreen) override
    {
        const CZvCoreDlg::CNestedLoop loop(m_dlg);
        TrackPopupMenu(hPopup, TPM_RIGHTBUTTON, ptScreen.x, ptScreen.y, 0, m_dlg.m_hWnd, nullptr);
        // The next message lets the system finish with the menu, so that it closes properly the
        // next time too.
        PostMessageW(m_dlg.m_hWnd, WM_NULL, 0, 0);
    }

private:
    CZvCoreDlg& m_dlg;
};

std::unique_ptr<ITrayHost> CZvCoreDlg::NewTrayHost()
{
    return std::make_unique<CZvCoreTrayHost>(*this);
}

void CZvCoreDlg::ApplyViewProperty() noexcept
{
    const PROP_VIEW& view = m_prop.propView;
    SetMouseHook(IsMouseHookWanted());
    SetWindowPos(m_hWnd, view.bTopMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (view.bTrayIcon)
        m_tray.Add();
    else
        m_tray.Delete();
    ApplyBarsView();
}
