// CZvHook32to64Dlg, the link with the core program: the event manager and its wait threads, the
// init block, the core program's blocks and answers, and the end handshake.
#include <cstring>
#include <memory>
#include <new>

#include "HookNtfy.h"
#include "LogManager.h"
#include "Sender.h"
#include "SharedMemHook.h"
#include "SharedMemInitHook.h"
#include "ZvHook32to64Dlg.h"
#include "ZvHook32to64Link.h"
#include "ZvMessages.h"

BOOL CZvHook32to64Dlg::StartHkGtwyEvtMngr() noexcept
{
    ZV_GTWY_LINK& link = GetGtwyLink();
    const HKGTWY_EVT_MNGR_CFG cfg =
        MakeHkGtwyEvtMngrCfg(SENDER_HOOK, &link.m_wSeqNtfySelf, &link.m_wSeqRspSelf, &link.m_wSeqNtfyTrgt);
    link.m_pHkGtwyEvtMngr.reset(new (std::nothrow) CHkGtwyEvtMngr(&cfg));
    if (!link.m_pHkGtwyEvtMngr)
        return FALSE;
    if (!StartHkGtwyAliveThread() || !StartHkGtwyThreads())
        return FALSE;
    // Supervision starts with the link: the core program's first ping is due one interval from now.
    m_qwCoreAliveAt = GetTickCount64();
    if (m_pTmrMngr) {
        if (m_nTmrIdAliveSend)
            m_pTmrMngr->StartTmr(m_nTmrIdAliveSend);
        if (m_nTmrIdAliveRecv)
            m_pTmrMngr->StartTmr(m_nTmrIdAliveRecv);
    }
    return TRUE;
}

BOOL CZvHook32to64Dlg::StartHkGtwyAliveThread() noexcept
{
    CHkGtwyEvtMngr* pMngr = GetGtwyLink().m_pHkGtwyEvtMngr.get();
    if (!pMngr)
        return FALSE;
    m_prmAlvThrd = HKGTWY_ALV_THRD_PRM{THREAD_PRIORITY_NORMAL, m_hWnd, MSG_HKGTWY_ALIVE, 1};
    return pMngr->StartWtRspAlvTrgt(&m_prmAlvThrd);
}

BOOL CZvHook32to64Dlg::StartHkGtwyThreads() noexcept
{
    ZV_GTWY_LINK& link = GetGtwyLink();
    CHkGtwyEvtMngr* pMngr = link.m_pHkGtwyEvtMngr.get();
    if (!pMngr)
        return FALSE;
    m_prmThrd = HKGTWY_THRD_PRM{THREAD_PRIORITY_NORMAL, m_hWnd, MSG_HKGTWY_NTFY_DTCT, MSG_HKGTWY_RSP_DTCT, 1,
                                &link.m_wSeqNtfyTrgt, &link.m_wSeqRspSelf, 0};
    return pMngr->StartAsyncWtNtfyTrgt(&m_prmThrd) && pMngr->StartAsyncWtRspTrgt(&m_prmThrd);
}

void CZvHook32to64Dlg::EndHkGtwyEvtMngr() noexcept
{
    // Ends the three threads and frees every block the core program has not answered.
    GetGtwyLink().m_pHkGtwyEvtMngr.reset();
}

void CZvHook32to64Dlg::NotifyInit() noexcept
{
    CHkGtwyEvtMngr* pMngr = GetGtwyLink().m_pHkGtwyEvtMngr.get();
    if (!pMngr)
        return;
    // The core program takes any first block as the gateway's readiness. Should the init block
    // fail, the first relayed event announces the gateway instead; without the flag it and every
    // later block would wait unannounced for good.
    pMngr->m_bTrgtReady = 1;
    const std::wstring strName = NextGtwyBlockName();
    std::unique_ptr<CSharedMemInitHook> pBlock(new (std::nothrow) CSharedMemInitHook(SENDER_HOOK));
    HOOK_NTFY ntfy{HOOK_KIND_INIT, 0};
    if (!pBlock || !pBlock->Create(strName.c_str(), PAGE_READWRITE, &ntfy) || !RegisterGtwyNtfy(std::move(pBlock)))
        OutputLog(LOG_LEVEL_ERROR, SENDER_HOOK, L"Init notification not sent, name = %s.\r\n", strName.c_str());
}

LRESULT CZvHook32to64Dlg::OnHkGtwyNtfyDtct(WPARAM wParam, LPARAM) noexcept
{
    ZV_GTWY_LINK& link = GetGtwyLink();
    CHkGtwyEvtMngr* pMngr = link.m_pHkGtwyEvtMngr.get();
    if (!pMngr)
        return 0;
    const WORD wSeq = LOWORD(wParam);
    // The core program signals its next block only after our answer, so any other number is a
    // signal already handled: answering it twice would skip the core program's next block.
    if (wSeq != link.m_wSeqNtfyTrgt) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_HOOK, L"Core notification ignored, Seq = %d, expected %d.\r\n", wSeq,
                  link.m_wSeqNtfyTrgt);
        return 0;
    }
    const std::wstring strName = MakeHookBlockName(SENDER_CORE, wSeq);
    std::unique_ptr<CSharedMemHook> pBlock(new (std::nothrow) CSharedMemHook(SENDER_HOOK));
    if (!pBlock) {
        // Out of memory with the core program's block unread: the link cannot go on.
        DestroyWindow(m_hWnd);
        return 0;
    }
    if (!pBlock->Open(strName.c_str(), FALSE, FILE_MAP_READ)) {
        OutputLog(LOG_LEVEL_ERROR, SENDER_HOOK, L"Core notification not opened, name = %s.\r\n", strName.c_str());
        return 0;
    }
    // Copied once: the core program could change the view after it was checked. Every kind's
    // record begins with its kind, and the check made the block as long as its kind's record.
    HOOK_NTFY_SWTCH rec{};
    const BYTE* pPayload = pBlock->GetPayload();
    const int nKind = pBlock->GetKind();
    if (pPayload)
        std::memcpy(&rec, pPayload, nKind == HOOK_KIND_SWTCH ? sizeof(HOOK_NTFY_SWTCH) : sizeof(HOOK_NTFY));
    pBlock.reset();
    OutputLog(LOG_LEVEL_DEBUG, SENDER_HOOK, L"Core notification received, Seq = %d, kind = %d.\r\n", wSeq, rec.nKind);

    if (rec.nKind == HOOK_KIND_SWTCH)
        SwitchCbtHook(&rec);
    // Answered after acting, so that the core program's next block sees the hook switched.
    pMngr->AnswerNtfyTrgt();
    if (rec.nKind == HOOK_KIND_END) {
        m_bEnding = TRUE;
        PostHkGtwyEnd();
    }
    return 0;
}

LRESULT CZvHook32to64Dlg::OnHkGtwyRspDtct(WPARAM wParam, LPARAM) noexcept
{
    ZV_GTWY_LINK& link = GetGtwyLink();
    CHkGtwyEvtMngr* pMngr = link.m_pHkGtwyEvtMngr.get();
    if (!pMngr)
        return 0;
    const WORD wSeq = LOWORD(wParam);
    // Only the oldest unanswered block is ever announced; another number is a stale signal, and
    // counting it would end the handshake with a block still unread.
    if (wSeq != link.m_wSeqRspSelf || link.m_wSeqRspSelf == link.m_wSeqNtfySelf) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_HOOK, L"Core answer ignored, Seq = %d, expected %d.\r\n", wSeq,
                  link.m_wSeqRspSelf);
        return 0;
    }
    pMngr->ReceiveRsp(wSeq);
    if (m_bEnding)
        PostHkGtwyEnd();
    return 0;
}

void CZvHook32to64Dlg::PostHkGtwyEnd() noexcept
{
    PostMessageW(m_hWnd, MSG_HKGTWY_END, GetGtwyLink().m_wSeqNtfySelf, 0);
}

LRESULT CZvHook32to64Dlg::OnHkGtwyEnd(WPARAM wParam, LPARAM) noexcept
{
    if (!m_bEnding) {
        // Only the core program's end block starts the handshake.
        OutputLog(LOG_LEVEL_DEBUG, SENDER_HOOK, L"Hook Gateway end ignored, not ending.\r\n");
        return 0;
    }
    // Every block created before the end request answered: nothing is left for the core program
    // to read, and the gateway goes. A later answer posts this again with the then current count.
    if (LOWORD(wParam) == GetGtwyLink().m_wSeqRspSelf) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_HOOK, L"Hook Gateway end handshake done, Seq = %d.\r\n", LOWORD(wParam));
        DestroyWindow(m_hWnd);
    }
    return 0;
}
