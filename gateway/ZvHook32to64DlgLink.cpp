// CZvHook32to64Dlg, the link with the core program: its side started, the init block, the core
// program's blocks and answers, and the end handshake. The rules both programs share are the
// side's (CHkGtwyLinkSide); what the gateway does with a block is here.
#include <string>

#include "HookNtfy.h"
#include "LogManager.h"
#include "Sender.h"
#include "SharedMemInitHook.h"
#include "ZvHook32to64Dlg.h"
#include "ZvHook32to64Link.h"
#include "ZvMessages.h"

BOOL CZvHook32to64Dlg::StartHkGtwyEvtMngr() noexcept
{
    CHkGtwyLinkSide& side = GetGtwyLink().m_side;
    if (!side.Start(m_hWnd))
        return FALSE;
    // Supervision starts with the link: the core program's first ping is due one interval from now.
    side.StartAlive();
    return TRUE;
}

void CZvHook32to64Dlg::NotifyInit() noexcept
{
    CHkGtwyLinkSide& side = GetGtwyLink().m_side;
    if (!side.IsLinked())
        return;
    // The core program takes any first block as the gateway's readiness. Should the init block
    // fail, the first relayed event announces the gateway instead; without the flag it and every
    // later block would wait unannounced for good.
    side.SetPeerReady();
    const std::wstring strName = side.NextBlockName();
    if (!side.Send<CSharedMemInitHook>(HOOK_NTFY{HOOK_KIND_INIT, 0}))
        OutputLog(LOG_LEVEL_ERROR, SENDER_HOOK, L"Init notification not sent, name = %s.\r\n", strName.c_str());
}

LRESULT CZvHook32to64Dlg::OnHkGtwyNtfyDtct(WPARAM wParam, LPARAM) noexcept
{
    CHkGtwyLinkSide& side = GetGtwyLink().m_side;
    if (!side.IsLinked())
        return 0;
    const WORD wSeq = LOWORD(wParam);
    if (!side.IsPeerNtfyExpected(wSeq)) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_HOOK, L"Core notification ignored, Seq = %d, expected %d.\r\n", wSeq,
                  side.GetPeerNtfySeq());
        return 0;
    }
    HKGTWY_PEER_BLOCK block;
    const CHkGtwyLinkSide::PEER_READ read = side.ReadPeerBlock(wSeq, &block);
    // A block of a kind the gateway does not know is answered and ignored; one that cannot be read
    // is left unanswered.
    if (read == CHkGtwyLinkSide::PEER_READ::Unsound || read == CHkGtwyLinkSide::PEER_READ::Missing) {
        OutputLog(LOG_LEVEL_ERROR, SENDER_HOOK, L"Core notification not opened, name = %s.\r\n",
                  side.PeerBlockName(wSeq).c_str());
        return 0;
    }
    OutputLog(LOG_LEVEL_DEBUG, SENDER_HOOK, L"Core notification received, Seq = %d, kind = %d.\r\n", wSeq, block.nKind);

    if (block.nKind == HOOK_KIND_SWTCH)
        SwitchCbtHook(&block.swtch);
    // Answered after acting, so that the core program's next block sees the hook switched.
    side.AnswerPeer();
    if (block.nKind == HOOK_KIND_END) {
        m_bEnding = TRUE;
        side.PostEndCheck(m_hWnd);
    }
    return 0;
}

LRESULT CZvHook32to64Dlg::OnHkGtwyRspDtct(WPARAM wParam, LPARAM) noexcept
{
    CHkGtwyLinkSide& side = GetGtwyLink().m_side;
    if (!side.IsLinked())
        return 0;
    const WORD wSeq = LOWORD(wParam);
    if (!side.IsRspExpected(wSeq)) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_HOOK, L"Core answer ignored, Seq = %d, expected %d.\r\n", wSeq,
                  side.GetRspSeq());
        return 0;
    }
    side.ReceiveRsp(wSeq);
    if (m_bEnding)
        side.PostEndCheck(m_hWnd);
    return 0;
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
    if (GetGtwyLink().m_side.IsAnsweredUpTo(wParam)) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_HOOK, L"Hook Gateway end handshake done, Seq = %d.\r\n", LOWORD(wParam));
        DestroyWindow(m_hWnd);
    }
    return 0;
}
