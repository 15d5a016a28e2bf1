// CZvCoreDlg: the window's side of the link to the 32-bit gateway. The link itself is CHkGtwyLink,
// which the window owns: its messages are routed to it here, and it reaches the window through
// CZvCoreLinkHost. The exit command, which ends through the link's handshake, is the window's.
#include "ZvCoreDlg.h"

#include <memory>

#include "HkGtwyLink.h"
#include "LogManager.h"
#include "Sender.h"
#include "Strings.h"
#include "ZvMessages.h"
#include "resource.h"

// The hidden main window as the gateway link sees it.
class CZvCoreLinkHost : public IHkGtwyLinkHost {
public:
    explicit CZvCoreLinkHost(CZvCoreDlg& dlg) : m_dlg(dlg) {}
    HWND GetWnd() override { return m_dlg.m_hWnd; }
    CTmrMngr* GetTmrMngr() override { return m_dlg.m_pTmrMngr.get(); }
    const PROP_TIMER& GetTimerProperty() override { return m_dlg.m_prop.propTimer; }
    int AddStartedTmrItem(UINT uMsg, DWORD dwPeriod) override { return m_dlg.AddStartedTmrItem(uMsg, dwPeriod); }
    void DeleteTmrItem(int& nId) override { m_dlg.DeleteTmrItem(nId); }
    BOOL IsEndRequested() override { return m_dlg.m_nEndState != CZvCoreDlg::END_STATE_RUNNING; }
    BOOL DeferEnd(UINT uMsg, WPARAM wParam) override { return m_dlg.DeferEnd(uMsg, wParam); }
    void DestroyWhenUnwound() override { m_dlg.DestroyWhenUnwound(); }
    void Destroy() override { DestroyWindow(m_dlg.m_hWnd); }
    void StopHooksForEnd() override { m_dlg.StopHooksForEnd(); }
    void ShowErrorBox(LPCWSTR pszText) override
    {
        // The box's loop hands on every message: an end asked for meanwhile waits for it.
        const CZvCoreDlg::CNestedLoop loop(m_dlg);
        ShowMessageBox(pszText, LoadResString(IDS_ZV_APP_NAME).c_str(), MB_ICONERROR);
    }
    void PostActivation(HWND hWnd, LPARAM lParam) override
    {
        PostMessageW(m_dlg.m_hWnd, MSG_HOOK_CBT_ACTIVATE, reinterpret_cast<WPARAM>(hWnd), lParam);
    }

private:
    CZvCoreDlg& m_dlg;
};

std::unique_ptr<CHkGtwyLink> CZvCoreDlg::MakeHkGtwyLink()
{
    return std::make_unique<CHkGtwyLink>(std::make_unique<CZvCoreLinkHost>(*this));
}

void CZvCoreDlg::StopHooksForEnd() noexcept
{
    // A scroll left half done stays where it is; its queued steps find no move and do nothing.
    AbandonMove();
    SetCbtHook(FALSE);
    SetKeybdHook(FALSE);
    SetMouseHook(FALSE);
}

void CZvCoreDlg::OnAppExit() noexcept
{
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"Zuvora! の終了 : 終了要求を受け付けました.\r\n");
    if (m_nEndState != END_STATE_RUNNING || DeferEnd(WM_COMMAND, ID_ZV_APP_EXIT))
        return;
    StopHooksForEnd();
    m_nEndState = END_STATE_REQUESTED;
    m_pHkGtwyLink->RequestEnd();
}
