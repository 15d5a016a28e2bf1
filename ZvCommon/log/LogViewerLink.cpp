#include "LogViewerLink.h"

#include "LogManager.h"
#include "TmrMngr.h"
#include "ZvMessages.h"

void CLogViewerLink::Connect(HWND hWndOwner, CTmrMngr* pTmrMngr, DWORD dwStartLimit) noexcept
{
    m_hWndOwner = hWndOwner;
    m_pTmrMngr = pTmrMngr;
    m_dwStartLimit = dwStartLimit;
    ConnectLogWindow(hWndOwner);
    RestartStartItem();
}

void CLogViewerLink::Attach(CMDLINE_OPTION_SET& opt) noexcept
{
    RestartStartItem();
    OpenLogWindow(opt, m_hWndOwner, m_nSender);
}

void CLogViewerLink::OnAnswer(WPARAM wParam) noexcept
{
    // A stray answer would end the log or start it anew.
    if (!IsWaiting())
        return;
    DeleteStartItem();
    if (wParam == 0)
        StartLogOutput();
    else
        EndLog();
}

void CLogViewerLink::OnStartLimit() noexcept
{
    if (!IsWaiting())
        return;
    EndLog();
    DeleteStartItem();
}

void CLogViewerLink::OnEnd() noexcept
{
    EndLog();
}

void CLogViewerLink::Stop() noexcept
{
    DeleteStartItem();
    m_pTmrMngr = nullptr;
}

void CLogViewerLink::RestartStartItem() noexcept
{
    DeleteStartItem();
    if (!m_pTmrMngr)
        return;
    m_nTmrStart = m_pTmrMngr->AddTmr(TMR_ITEM_PARAM{m_hWndOwner, MSG_TMR_LOG_START, m_dwStartLimit, 0, 0});
    if (m_nTmrStart)
        m_pTmrMngr->StartTmr(m_nTmrStart);
}

void CLogViewerLink::DeleteStartItem() noexcept
{
    if (m_pTmrMngr && m_nTmrStart)
        m_pTmrMngr->DeleteTmr(m_nTmrStart);
    m_nTmrStart = 0;
}
