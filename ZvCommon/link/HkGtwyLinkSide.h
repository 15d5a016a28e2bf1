// CHkGtwyLinkSide: one program's side of the link between the core program and the 32-bit hook
// gateway, as both programs hold it. It owns the event manager with its three wait threads, the
// three sequence words they read, the two alive items and the time of the peer's last ping, and
// keeps the rules both sides follow: which signal names the block expected, which answer is the
// one waited for, when the end handshake may finish. What a side does with a block, and how it
// ends, stays with its program.
#pragma once

#include <windows.h>

#include <memory>
#include <new>
#include <string>

#include "HkGtwyEvtMngr.h"
#include "HookNtfy.h"

class CTmrMngr;

// A peer block as it was read: the kind always, the record of kinds 3 and 4.
struct HKGTWY_PEER_BLOCK {
    int nKind = 0;
    HOOK_NTFY_SWTCH swtch{};
    HOOK_NTFY_CBT cbt{};
};

class CHkGtwyLinkSide {
public:
    // wParam of MSG_TMR_HKGTWY_ALIVE: which alive item fired.
    static constexpr WPARAM ALIVE_SEND = 0;
    static constexpr WPARAM ALIVE_RECV = 1;

    enum class PEER_READ {
        Read,         // sound and of a known kind
        UnknownKind,  // sound, but of a kind no side makes (nKind tells which)
        Unsound,      // there, but its frame does not hold (size word, tag, checksum, length)
        Missing,      // no mapping under the number
    };

    // nSelf: SENDER_CORE or SENDER_HOOK; the peer is the other.
    explicit CHkGtwyLinkSide(int nSelf) noexcept;
    ~CHkGtwyLinkSide();
    CHkGtwyLinkSide(const CHkGtwyLinkSide&) = delete;
    CHkGtwyLinkSide& operator=(const CHkGtwyLinkSide&) = delete;

    // Both alive items, made but not started, posting MSG_TMR_HKGTWY_ALIVE to hWnd: TRUE only when
    // both exist. dwTick is the timer manager's step, the lateness an expiry is allowed.
    BOOL AddAliveItems(CTmrMngr* pTmrMngr, HWND hWnd, DWORD dwSendInterval, DWORD dwRecvLimit, DWORD dwTick) noexcept;
    // Before the timer manager goes.
    void DeleteAliveItems() noexcept;
    // The manager and its alive, notify and response wait threads, which post to hWnd; FALSE when
    // any of them cannot start (what did start stays until End).
    BOOL Start(HWND hWnd) noexcept;
    // Ends the three threads and frees every own block the peer has not answered.
    void End() noexcept;
    BOOL IsLinked() const noexcept { return m_pMngr != nullptr; }

    // Supervision counts from now: both alive items started.
    void StartAlive() noexcept;
    // The send item's tick: the ping.
    void Ping() noexcept;
    // The peer's ping: its limit counts anew.
    void NotePeerAlive() noexcept;
    // The receive item's expiry is real: the item's message can be posted by any program.
    BOOL IsAliveLimitPassed() const noexcept;
    void StopAliveItems() noexcept;

    // The peer is taken as ready from the start: its first block announces nothing to wait for.
    void SetPeerReady() noexcept;
    // The peer is ready once its first block has been handled; own blocks queued meanwhile are
    // announced then. TRUE only at the moment it became ready.
    BOOL TakePeerReady() noexcept;
    BOOL IsPeerReady() const noexcept { return m_pMngr && m_pMngr->m_bTrgtReady; }

    // The peer announces its next block only after our answer: another number is a signal
    // already handled, and answering it twice would skip the peer's next block.
    BOOL IsPeerNtfyExpected(WORD wSeq) const noexcept { return wSeq == m_wSeqNtfyTrgt; }
    WORD GetPeerNtfySeq() const noexcept { return m_wSeqNtfyTrgt; }
    std::wstring PeerBlockName(WORD wSeq) const;
    // Opens the peer's block under wSeq once, copies what its kind carries and lets it go.
    PEER_READ ReadPeerBlock(WORD wSeq, HKGTWY_PEER_BLOCK* pBlock) noexcept;
    // The peer's block just handled is answered.
    void AnswerPeer() noexcept;

    // Only the oldest unanswered own block is ever announced: another number is a stale signal,
    // and counting it would end a handshake with a block still unread.
    BOOL IsRspExpected(WORD wSeq) const noexcept { return wSeq == m_wSeqRspSelf && m_wSeqRspSelf != m_wSeqNtfySelf; }
    void ReceiveRsp(WORD wSeq) noexcept;
    WORD GetNtfySeq() const noexcept { return m_wSeqNtfySelf; }
    WORD GetRspSeq() const noexcept { return m_wSeqRspSelf; }
    size_t GetWaitingCount() const noexcept { return m_pMngr ? m_pMngr->GetNtfyCount() : 0; }

    // The name of the next own block: the own-notification count.
    std::wstring NextBlockName() const;
    // A block of class TBlock with rec created under NextBlockName and handed to the manager, which
    // announces it in turn. FALSE, with nothing made or the block freed and the number kept free,
    // when unlinked, when it cannot be made or when the manager refused it.
    template <class TBlock, class TRecord> BOOL Send(TRecord rec) noexcept
    {
        if (!m_pMngr)
            return FALSE;
        std::unique_ptr<CSharedMem> pBlock(new (std::nothrow) TBlock(m_nSelf));
        return pBlock && pBlock->Create(NextBlockName().c_str(), PAGE_READWRITE, &rec) &&
               m_pMngr->RegisterNtfySelf(pBlock.release());
    }

    // The end handshake: MSG_HKGTWY_END to hWnd, carrying the own-notification count of now;
    // once that comes round, IsAnsweredUpTo(its wParam) tells whether every block made before it
    // has been answered (each later answer posts it again).
    BOOL PostEndCheck(HWND hWnd) const noexcept;
    BOOL IsAnsweredUpTo(WPARAM wParam) const noexcept { return LOWORD(wParam) == m_wSeqRspSelf; }
    BOOL IsAllAnswered() const noexcept { return m_wSeqRspSelf == m_wSeqNtfySelf; }

private:
    const int m_nSelf;
    const int m_nPeer;
    // Own blocks created, answers received, peer blocks handled; all modulo 65536. Declared before
    // the manager, whose threads read them until it is gone.
    WORD m_wSeqNtfySelf = 0;
    WORD m_wSeqRspSelf = 0;
    WORD m_wSeqNtfyTrgt = 0;
    // The wait threads keep copies; these stay for the manager's life anyway.
    HKGTWY_ALV_THRD_PRM m_prmAlv;
    HKGTWY_THRD_PRM m_prm;
    std::unique_ptr<CHkGtwyEvtMngr> m_pMngr;

    CTmrMngr* m_pTmrMngr = nullptr;
    int m_nTmrAliveSend = 0;
    int m_nTmrAliveRecv = 0;
    DWORD m_dwAliveLimit = 0;
    DWORD m_dwTick = 0;
    // When the receive limit last began to count: the link's start or the peer's last ping.
    ULONGLONG m_qwAliveAt = 0;
};
