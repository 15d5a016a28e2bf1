#include "HkGtwyLinkSide.h"

#include <cstring>

#include "Sender.h"
#include "SharedMemHook.h"
#include "TmrMngr.h"
#include "ZvMessages.h"

namespace {

bool MappingExists(const std::wstring& strName)
{
    const HANDLE hMap = OpenFileMappingW(FILE_MAP_READ, FALSE, strName.c_str());
    if (!hMap)
        return false;
    CloseHandle(hMap);
    return true;
}

}  // namespace

CHkGtwyLinkSide::CHkGtwyLinkSide(int nSelf) noexcept
    : m_nSelf(nSelf),
      m_nPeer(nSelf == SENDER_CORE ? SENDER_HOOK : SENDER_CORE)
{}

CHkGtwyLinkSide::~CHkGtwyLinkSide() = default;

BOOL CHkGtwyLinkSide::AddAliveItems(CTmrMngr* pTmrMngr, HWND hWnd, DWORD dwSendInterval, DWORD dwRecvLimit,
                                    DWORD dwTick) noexcept
{
    m_pTmrMngr = pTmrMngr;
    m_dwAliveLimit = dwRecvLimit;
    m_dwTick = dwTick;
    if (!m_pTmrMngr)
        return FALSE;
    m_nTmrAliveSend = m_pTmrMngr->AddTmr(TMR_ITEM_PARAM{hWnd, MSG_TMR_HKGTWY_ALIVE, dwSendInterval, ALIVE_SEND, 0});
    m_nTmrAliveRecv = m_pTmrMngr->AddTmr(TMR_ITEM_PARAM{hWnd, MSG_TMR_HKGTWY_ALIVE, dwRecvLimit, ALIVE_RECV, 0});
    return m_nTmrAliveSend && m_nTmrAliveRecv;
}

void CHkGtwyLinkSide::DeleteAliveItems() noexcept
{
    for (int* pnId : {&m_nTmrAliveSend, &m_nTmrAliveRecv}) {
        if (m_pTmrMngr && *pnId)
            m_pTmrMngr->DeleteTmr(*pnId);
        *pnId = 0;
    }
}

BOOL CHkGtwyLinkSide::Start(HWND hWnd) noexcept
{
    const HKGTWY_EVT_MNGR_CFG cfg = MakeHkGtwyEvtMngrCfg(m_nSelf, &m_wSeqNtfySelf, &m_wSeqRspSelf, &m_wSeqNtfyTrgt);
    m_pMngr.reset(new (std::nothrow) CHkGtwyEvtMngr(&cfg));
    if (!m_pMngr)
        return FALSE;
    m_prmAlv = HKGTWY_ALV_THRD_PRM{THREAD_PRIORITY_NORMAL, hWnd, MSG_HKGTWY_ALIVE, 1};
    if (!m_pMngr->StartWtRspAlvTrgt(&m_prmAlv))
        return FALSE;
    m_prm = HKGTWY_THRD_PRM{THREAD_PRIORITY_NORMAL, hWnd, MSG_HKGTWY_NTFY_DTCT, MSG_HKGTWY_RSP_DTCT, 1, &m_wSeqNtfyTrgt,
                            &m_wSeqRspSelf,         0};
    return m_pMngr->StartAsyncWtNtfyTrgt(&m_prm) && m_pMngr->StartAsyncWtRspTrgt(&m_prm);
}

void CHkGtwyLinkSide::End() noexcept
{
    m_pMngr.reset();
}

void CHkGtwyLinkSide::StartAlive() noexcept
{
    m_qwAliveAt = GetTickCount64();
    if (!m_pTmrMngr)
        return;
    if (m_nTmrAliveSend)
        m_pTmrMngr->StartTmr(m_nTmrAliveSend);
    if (m_nTmrAliveRecv)
        m_pTmrMngr->StartTmr(m_nTmrAliveRecv);
}

void CHkGtwyLinkSide::Ping() noexcept
{
    if (m_pMngr)
        m_pMngr->SetEvtNtfyAlv();
}

void CHkGtwyLinkSide::NotePeerAlive() noexcept
{
    m_qwAliveAt = GetTickCount64();
    if (m_pTmrMngr && m_nTmrAliveRecv) {
        m_pTmrMngr->StopTmr(m_nTmrAliveRecv);
        m_pTmrMngr->StartTmr(m_nTmrAliveRecv);
    }
}

BOOL CHkGtwyLinkSide::IsAliveLimitPassed() const noexcept
{
    return IsHkGtwyAliveLimitPassed(GetTickCount64(), m_qwAliveAt, m_dwAliveLimit, m_dwTick) ? TRUE : FALSE;
}

void CHkGtwyLinkSide::StopAliveItems() noexcept
{
    if (!m_pTmrMngr)
        return;
    if (m_nTmrAliveSend)
        m_pTmrMngr->StopTmr(m_nTmrAliveSend);
    if (m_nTmrAliveRecv)
        m_pTmrMngr->StopTmr(m_nTmrAliveRecv);
}

void CHkGtwyLinkSide::SetPeerReady() noexcept
{
    if (m_pMngr)
        m_pMngr->m_bTrgtReady = 1;
}

BOOL CHkGtwyLinkSide::TakePeerReady() noexcept
{
    // Checked when a peer block is handled rather than by a message that posts itself again: such
    // a loop would starve the window timer while the peer is late or gone.
    if (!m_pMngr || m_pMngr->m_bTrgtReady || m_wSeqNtfyTrgt == 0)
        return FALSE;
    m_pMngr->m_bTrgtReady = 1;
    m_pMngr->NtfyPending();
    return TRUE;
}

std::wstring CHkGtwyLinkSide::PeerBlockName(WORD wSeq) const
{
    return MakeHookBlockName(m_nPeer, wSeq);
}

CHkGtwyLinkSide::PEER_READ CHkGtwyLinkSide::ReadPeerBlock(WORD wSeq, HKGTWY_PEER_BLOCK* pBlock) noexcept
{
    *pBlock = HKGTWY_PEER_BLOCK{};
    const std::wstring strName = PeerBlockName(wSeq);
    // Read once and freed whole (mapping, view, mutex) before the block is acted on.
    CSharedMemHook block(m_nSelf);
    if (!block.Open(strName.c_str(), FALSE, FILE_MAP_READ))
        return MappingExists(strName) ? PEER_READ::Unsound : PEER_READ::Missing;
    // Copied once: the peer could change the view after it was checked, which made the block as
    // long as its kind's record.
    pBlock->nKind = block.GetKind();
    const BYTE* pPayload = block.GetPayload();
    switch (pBlock->nKind) {
    case HOOK_KIND_INIT:
    case HOOK_KIND_END:
        return PEER_READ::Read;
    case HOOK_KIND_SWTCH:
        std::memcpy(&pBlock->swtch, pPayload, sizeof(pBlock->swtch));
        return PEER_READ::Read;
    case HOOK_KIND_CBT:
        std::memcpy(&pBlock->cbt, pPayload, sizeof(pBlock->cbt));
        return PEER_READ::Read;
    default:
        return PEER_READ::UnknownKind;
    }
}

void CHkGtwyLinkSide::AnswerPeer() noexcept
{
    if (m_pMngr)
        m_pMngr->AnswerNtfyTrgt();
}

void CHkGtwyLinkSide::ReceiveRsp(WORD wSeq) noexcept
{
    if (m_pMngr)
        m_pMngr->ReceiveRsp(wSeq);
}

std::wstring CHkGtwyLinkSide::NextBlockName() const
{
    return MakeHookBlockName(m_nSelf, m_wSeqNtfySelf);
}

BOOL CHkGtwyLinkSide::PostEndCheck(HWND hWnd) const noexcept
{
    return PostMessageW(hWnd, MSG_HKGTWY_END, m_wSeqNtfySelf, 0);
}
