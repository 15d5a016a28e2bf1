// CZvCoreDlg: the window's side of the settings exchange (CPropExchange, which holds the exchange
// itself): what the exchange may reach of the window, and the save of the settings before a failed
// check's box.
#include "ZvCoreDlg.h"

#include "CmdLineOption.h"
#include "LogManager.h"
#include "PropertyRegistry.h"
#include "Sender.h"
#include "WndUtil.h"
#include "ZvCoreApp.h"

// The hidden main window as the settings exchange sees it.
class CZvCorePropHost : public IPropExchangeHost {
public:
    explicit CZvCorePropHost(CZvCoreDlg& dlg) : m_dlg(dlg) {}
    HWND GetWnd() override { return m_dlg.m_hWnd; }
    PROPERTY_SET& GetProperty() override { return m_dlg.m_prop; }
    void SetOwnScrollBars(PROPERTY_SET& prop) override { SetScrollBarWnds(prop, m_dlg.m_hWndBarH, m_dlg.m_hWndBarV); }
    void ApplyProperty() override { m_dlg.ApplyProperty(); }
    int GetEndState() override { return m_dlg.m_nEndState; }
    void SuspendForProperty() override { m_dlg.SuspendForProperty(); }
    void ResumeCbtHook() override { m_dlg.SetCbtHook(TRUE); }
    void UpdateKeybdHook() override { m_dlg.UpdateKeybdHook(); }
    void QuietForPropertyEnd() override
    {
        m_dlg.CloseWheelBursts();
        m_dlg.StopAutoScroll();
        m_dlg.ResetIgnoreActivateCount();
    }
    int AddStartedTmrItem(UINT uMsg, DWORD dwPeriod) override { return m_dlg.AddStartedTmrItem(uMsg, dwPeriod); }
    void DeleteTmrItem(int& nId) override { m_dlg.DeleteTmrItem(nId); }
    std::wstring GetLogOptions() override
    {
        std::wstring strLogOptions;
        if (CZvCoreApp* pApp = GetCoreApp())
            GetLogOptionString(pApp->GetOptions(), strLogOptions);
        return strLogOptions;
    }

private:
    CZvCoreDlg& m_dlg;
};

std::unique_ptr<IPropExchangeHost> CZvCoreDlg::MakePropHost()
{
    return std::make_unique<CZvCorePropHost>(*this);
}

void CZvCoreDlg::SaveOnFailedCheck(void* pDlg) noexcept
{
    auto* pThis = static_cast<CZvCoreDlg*>(pDlg);
    if (!pThis)
        return;
    // The box comes next, its loop running under the handler whose check failed, and that handler
    // never returns: the loop is one that never closes, so an end asked for under the box waits,
    // and the program ends once the user has closed it.
    pThis->m_nestedLoops.Enter();
    if (pThis->m_bPropReleased)
        return;
    OutputLog(LOG_LEVEL_ERROR, SENDER_CORE,
              L"CZvCoreDlg::SaveOnFailedCheck() a failed check ends the program: settings saved.\r\n");
    SaveProperty(pThis->m_prop);
}
