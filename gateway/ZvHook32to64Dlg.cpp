#include "ZvHook32to64Dlg.h"

#include "LogManager.h"
#include "PropertyRegistry.h"
#include "Sender.h"
#include "Strings.h"
#include "ZvHook32to64App.h"
#include "ZvHook32to64Link.h"
#include "ZvMessages.h"
#include "resource.h"

namespace {

// The gateway keeps its own tick: its items need no finer pace than the timer manager's step.
constexpr UINT kTick = 100;
constexpr DWORD kLogStartLimit = 10000;
constexpr wchar_t kAliveStoppedLog[] = L"Detected core alive notification is stopped.\n";

}  // namespace

CZvHook32to64Dlg::CZvHook32to64Dlg() : CDialog(IDD_ZVHOOK32TO64_DIALOG)
{
    MapMessage(WM_DESTROY, &CZvHook32to64Dlg::OnDestroy);
    MapMessage(WM_TIMER, &CZvHook32to64Dlg::OnTimer);
    MapMessage(MSG_LOG_WND_DTCT, &CZvHook32to64Dlg::OnLogWndDtct);
    MapMessage(MSG_LOG_WND_RSP, &CZvHook32to64Dlg::OnLogWndRsp);
    MapMessage(MSG_LOG_END, &CZvHook32to64Dlg::OnLogEnd);
    MapMessage(MSG_TMR_LOG_START, &CZvHook32to64Dlg::OnTmrLogStart);
    MapMessage(MSG_TMR_HKGTWY_ALIVE, &CZvHook32to64Dlg::OnTmrHkGtwyAlive);
    MapMessage(MSG_HKGTWY_ALIVE, &CZvHook32to64Dlg::OnHkGtwyAlive);
    MapMessage(MSG_HOOK_CBT_ACTIVATE, &CZvHook32to64Dlg::OnCbtActivateHooked);
    MapMessage(MSG_HOOK_CBT_MINMAX, &CZvHook32to64Dlg::OnMinMaxHooked);
    MapMessage(MSG_HOOK_CBT_WNDCHG, &CZvHook32to64Dlg::OnWndChgHooked);
    MapMessage(MSG_HKGTWY_NTFY_DTCT, &CZvHook32to64Dlg::OnHkGtwyNtfyDtct);
    MapMessage(MSG_HKGTWY_RSP_DTCT, &CZvHook32to64Dlg::OnHkGtwyRspDtct);
    MapMessage(MSG_HKGTWY_END, &CZvHook32to64Dlg::OnHkGtwyEnd);
    Create();
    m_hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CZvHook32to64Dlg::~CZvHook32to64Dlg() = default;

void CZvHook32to64Dlg::ReportInitFailure(UINT nIdText, DWORD dwErr) noexcept
{
    ShowMessageBox(FormatString(LoadResString(nIdText).c_str(), dwErr).c_str(), LoadResString(IDS_ZV_APP_NAME).c_str(),
                   MB_ICONERROR);
}

BOOL CZvHook32to64Dlg::OnInitDialog()
{
    GetGtwyLink().m_hWndCbtHook = m_hWnd;
    StartTmrMngr();
    m_logLink.Connect(m_hWnd, m_pTmrMngr.get(), kLogStartLimit);
    // Of the settings the gateway uses only the alive periods.
    LoadProperty(m_prop);
    // Without its supervision the link is not opened: the program ends after the box.
    CHkGtwyLinkSide& side = GetGtwyLink().m_side;
    if (!side.AddAliveItems(m_pTmrMngr.get(), m_hWnd, m_prop.propTimer.dwAliveNotificationSendInterval,
                            m_prop.propTimer.dwAliveNotificationReceiveLimit, kTick) ||
        !StartHkGtwyEvtMngr()) {
        ReportInitFailure(IDS_ZV_ERR_HKGTWY, GetLastError());
        m_bInitFailed = TRUE;
        return FALSE;
    }
    NotifyInit();
    return TRUE;
}

// Escape, a stray IDCANCEL and WM_CLOSE all end the gateway at once.
void CZvHook32to64Dlg::OnCancel()
{
    DestroyWindow(m_hWnd);
}

void CZvHook32to64Dlg::PostNcDestroy()
{
    ClearPropertyLists(m_prop);
    delete this;
}

LRESULT CZvHook32to64Dlg::OnDestroy(WPARAM, LPARAM) noexcept
{
    // First, so that no wait thread posts to a window on its way out.
    CHkGtwyLinkSide& side = GetGtwyLink().m_side;
    side.End();
    m_logLink.Stop();
    side.DeleteAliveItems();
    EndTmrMngr();
    Default();
    return 0;
}

LRESULT CZvHook32to64Dlg::OnTimer(WPARAM wParam, LPARAM) noexcept
{
    if (wParam == TMR_MNGR_TIMER_ID && m_pTmrMngr)
        m_pTmrMngr->Tick();
    Default();
    return 0;
}

// ---------------------------------------------------------------------------
// Timer items

BOOL CZvHook32to64Dlg::StartTmrMngr() noexcept
{
    m_pTmrMngr = std::make_unique<CTmrMngr>(m_hWnd, kTick);
    m_nTimerId = SetTimer(m_hWnd, TMR_MNGR_TIMER_ID, kTick, nullptr);
    return m_nTimerId != 0;
}

void CZvHook32to64Dlg::EndTmrMngr() noexcept
{
    if (m_nTimerId) {
        KillTimer(m_hWnd, TMR_MNGR_TIMER_ID);
        m_nTimerId = 0;
    }
    m_pTmrMngr.reset();
}

void CZvHook32to64Dlg::DeleteTmrItem(int& nId) noexcept
{
    if (m_pTmrMngr && nId)
        m_pTmrMngr->DeleteTmr(nId);
    nId = 0;
}

// ---------------------------------------------------------------------------
// Log viewer

LRESULT CZvHook32to64Dlg::OnLogWndDtct(WPARAM, LPARAM) noexcept
{
    if (CZvHook32to64App* pApp = GetGatewayApp())
        m_logLink.Attach(pApp->GetOptions());
    return 0;
}

LRESULT CZvHook32to64Dlg::OnLogWndRsp(WPARAM wParam, LPARAM) noexcept
{
    m_logLink.OnAnswer(wParam);
    return 0;
}

LRESULT CZvHook32to64Dlg::OnLogEnd(WPARAM, LPARAM) noexcept
{
    CLogViewerLink::OnEnd();
    return 0;
}

LRESULT CZvHook32to64Dlg::OnTmrLogStart(WPARAM, LPARAM) noexcept
{
    m_logLink.OnStartLimit();
    return 0;
}

// ---------------------------------------------------------------------------
// Alive supervision

LRESULT CZvHook32to64Dlg::OnTmrHkGtwyAlive(WPARAM wParam, LPARAM) noexcept
{
    CHkGtwyLinkSide& side = GetGtwyLink().m_side;
    if (wParam == CHkGtwyLinkSide::ALIVE_SEND) {
        side.Ping();
        return 0;
    }
    if (wParam != CHkGtwyLinkSide::ALIVE_RECV)
        return 0;
    if (!side.IsAliveLimitPassed()) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_HOOK, L"Core alive limit ignored, the limit has not passed.\r\n");
        return 0;
    }
    // The core program has been silent for the whole limit: it is gone or hung, and a gateway
    // without its core program has nothing to relay to.
    OutputLog(LOG_LEVEL_DEBUG, SENDER_HOOK, kAliveStoppedLog);
    side.StopAliveItems();
    OnCancel();
    return 0;
}

LRESULT CZvHook32to64Dlg::OnHkGtwyAlive(WPARAM, LPARAM) noexcept
{
    GetGtwyLink().m_side.NotePeerAlive();
    return 0;
}
