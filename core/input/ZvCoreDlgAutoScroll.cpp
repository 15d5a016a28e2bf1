// CZvCoreDlg: the main window's side of auto scroll (CAutoScroller, AutoScroller.h): the window as
// auto scroll sees it, and the mouse hook's events handed to it and to the undo's mouse watch.
#include "ZvCoreDlg.h"

#include "WndEnumerator.h"

class CZvCoreAutoScrollHost : public IAutoScrollHost {
public:
    explicit CZvCoreAutoScrollHost(CZvCoreDlg& dlg) : m_dlg(dlg) {}
    HWND GetWnd() override { return m_dlg.m_hWnd; }
    const PROPERTY_SET& GetProperty() override { return m_dlg.m_prop; }
    BOOL IsHeldBack() override
    {
        return m_dlg.IsScrollProcessing() || m_dlg.IsTrayMenuOpen() || m_dlg.IsPropertyActive();
    }
    BOOL GetPointer(AtScrl::POINTER_STATE& ptr) override
    {
        if (!GetCursorPos(&ptr.pt))
            return FALSE;
        ptr.bLeftDown = GetAsyncKeyState(VK_LBUTTON) < 0;
        ptr.bRightDown = GetAsyncKeyState(VK_RBUTTON) < 0;
        return TRUE;
    }
    HWND GetTaskbarWnd() override { return m_dlg.m_pwe ? m_dlg.m_pwe->GetTrayWnd() : nullptr; }
    HWND GetScrollBarWnd(int nBar) override { return m_dlg.GetScrollBarWnd(nBar); }
    void CloseWheelBursts() override { m_dlg.CloseWheelBursts(); }
    BOOL HasTmrItems() override { return m_dlg.m_pTmrMngr != nullptr; }
    int AddStartedTmrItem(UINT uMsg, DWORD dwPeriod, WPARAM wParam) override
    {
        return m_dlg.AddStartedTmrItem(uMsg, dwPeriod, wParam);
    }
    void DeleteTmrItem(int& nId) override { m_dlg.DeleteTmrItem(nId); }
    void PostSaveForUndo(int nSubKind) override { m_dlg.PostSaveForUndo(UK_ALIGN, nSubKind, nullptr, 0); }
    void ForgetPrevResizeWnd() override { m_dlg.ForgetPrevResizeWnd(); }
    void PostMoveRequest(LONG lOffsetH, LONG lOffsetV) override
    {
        m_dlg.PostMoveRequest(lOffsetH, lOffsetV, FALSE, FALSE, nullptr);
    }

private:
    CZvCoreDlg& m_dlg;
};

std::unique_ptr<IAutoScrollHost> CZvCoreDlg::NewAutoScrollHost()
{
    return std::make_unique<CZvCoreAutoScrollHost>(*this);
}

LRESULT CZvCoreDlg::OnMouseHooked(WPARAM wParam, LPARAM) noexcept
{
    if (IsScrollProcessing() || IsTrayMenuOpen() || IsPropertyActive())
        return 0;
    m_autoScroller.WatchPointer();
    if (m_prop.propUndo.bUndoResizeWnd)
        SaveWndSize(static_cast<UINT>(wParam));
    return 0;
}
