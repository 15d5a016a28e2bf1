// CHkGtwyEvtMngr: the transport of the link between the core program and the 32-bit hook
// gateway. Each side announces one own block at a time through its notify event; the peer reads
// it and answers through our response event; three wait threads turn the peer's signals into
// messages for the owning window. Both sides count three 16-bit words from 0: own blocks created,
// answers received, peer blocks handled.
//
// The owning window, on its own thread:
//   start:               construct; StartWtRspAlvTrgt; StartAsyncWtNtfyTrgt; StartAsyncWtRspTrgt
//   own block:           name it with the own-notification word, Create it, RegisterNtfy(word,
//                        block), IncSeqNtfySelf
//   uMsgNtfy (wParam s): open the peer's block named with s (OpenNtfySharedMem), act, delete it,
//                        AnswerNtfyTrgt
//   uMsgRsp (wParam s):  ReceiveRsp(s)
//   alive timer:         SetEvtNtfyAlv
//   end:                 delete the manager (ends the threads, frees blocks still unanswered)
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "Handle.h"
#include "SharedMem.h"

// The events of the link. A program's own events are its peer's peer events.
inline constexpr wchar_t HKGTWY_EVT_CORE_NTFY[] = L"ZvHkGtwy NtfyEvt Core Evt";
inline constexpr wchar_t HKGTWY_EVT_CORE_RSP[] = L"ZvHkGtwy NtfyEvt Core Rsp";
inline constexpr wchar_t HKGTWY_EVT_GTWY_NTFY[] = L"ZvHkGtwy NtfyEvt Gateway Evt";
inline constexpr wchar_t HKGTWY_EVT_GTWY_RSP[] = L"ZvHkGtwy NtfyEvt Gateway Rsp";
// Sender of the ping first, its receiver second.
inline constexpr wchar_t HKGTWY_EVT_ALIVE_FORMAT[] = L"Zuvora! Hook Gateway Alive Timer Evt %d -> %d";

struct HKGTWY_EVT_MNGR_CFG {
    int nSelf = 0;
    int nTrgt = 0;
    std::wstring strEvtEvtSelfNm;
    std::wstring strEvtRspSelfNm;
    std::wstring strEvtEvtTrgtNm;
    std::wstring strEvtRspTrgtNm;
    WORD* pwSeqNtfySelf = nullptr;
    WORD* pwSeqRspSelf = nullptr;
    WORD* pwSeqNtfyTrgt = nullptr;
    // Format of both alive events, two %d; empty: HKGTWY_EVT_ALIVE_FORMAT. Tests that run side by
    // side give each its own.
    std::wstring strEvtAlvFmt;
};

// The configuration of one side (SENDER_CORE or SENDER_HOOK) with the system's event names.
HKGTWY_EVT_MNGR_CFG MakeHkGtwyEvtMngrCfg(int nSelf, WORD* pwSeqNtfySelf, WORD* pwSeqRspSelf, WORD* pwSeqNtfyTrgt);

// Whether the peer has really been silent for the receive limit: qwNow - qwAliveAt, with the
// lateness of the timer manager's steps of dwTick allowed for. Both programs' limit items post the
// same message that any program can post, so an expiry counts only when this holds.
bool IsHkGtwyAliveLimitPassed(ULONGLONG qwNow, ULONGLONG qwAliveAt, DWORD dwLimit, DWORD dwTick) noexcept;

// Notify and response threads. The threads keep their own copy; the words must outlive the manager.
struct HKGTWY_THRD_PRM {
    int nPriority = THREAD_PRIORITY_NORMAL;
    HWND hWnd = nullptr;
    UINT uMsgNtfy = 0;
    UINT uMsgRsp = 0;
    // Pause after each handled signal, in ms.
    DWORD dwPeriod = 1;
    // Posted as wParam: by the notify thread the owner's peer-notification word, by the response
    // thread its response word.
    WORD* pwSeqNtfy = nullptr;
    WORD* pwSeqRsp = nullptr;
    LPARAM lParam = 0;
};

struct HKGTWY_ALV_THRD_PRM {
    int nPriority = THREAD_PRIORITY_NORMAL;
    HWND hWnd = nullptr;
    UINT uMsgAlv = 0;
    DWORD dwPeriod = 1;
};

class CHkGtwyEvtMngr {
public:
    static constexpr DWORD THREAD_END_WAIT = 10000;
    // Own blocks waiting for the peer's answer. Each holds a mapping (64 KiB of address space in
    // the 32-bit gateway) and a mutex; a peer that answers nothing for this long has hung.
    static constexpr size_t MAX_NTFY_WAITING = 2048;

    explicit CHkGtwyEvtMngr(const HKGTWY_EVT_MNGR_CFG* pCfg);
    virtual ~CHkGtwyEvtMngr();
    CHkGtwyEvtMngr(const CHkGtwyEvtMngr&) = delete;
    CHkGtwyEvtMngr& operator=(const CHkGtwyEvtMngr&) = delete;

    // FALSE (logged) when the thread's events or the thread cannot be made or started, or it runs
    // already; what a start that failed made is freed again.
    BOOL StartAsyncWtNtfyTrgt(const HKGTWY_THRD_PRM* pPrm);
    BOOL StartAsyncWtRspTrgt(const HKGTWY_THRD_PRM* pPrm);
    BOOL StartWtRspAlvTrgt(const HKGTWY_ALV_THRD_PRM* pPrm);
    // TRUE when the thread ended within the end wait, or none runs. A thread that does not end in
    // time is left to end by itself: it owns every handle it waits on and reads no word after this.
    BOOL EndAsyncWtNtfyTrgt();
    BOOL EndAsyncWtRspTrgt();
    BOOL EndWtRspAlvTrgt();

    // Takes ownership of pBlock, created under wSeq. TRUE when it signalled the peer: only when
    // the peer is ready and nothing else waited. A block under a number still waiting, or beyond
    // MAX_NTFY_WAITING, is refused: logged (ERROR), freed, FALSE (GetNtfyCount tells the two apart).
    BOOL RegisterNtfy(WORD wSeq, CSharedMem* pBlock);
    // The same for a block created under the own next number (*pwSeqNtfySelf): TRUE when it was
    // taken, and the number moved on; a refused block leaves the number free for the next one.
    BOOL RegisterNtfySelf(CSharedMem* pBlock);
    // The peer answered wSeq: frees it; TRUE when it announced the next waiting block.
    BOOL RemoveNtfy(WORD wSeq);
    // TRUE (and the own notify event set) when blocks wait.
    BOOL NtfyPending();
    void RemoveAllNtfy();
    size_t GetNtfyCount() const noexcept { return m_mapNtfy.size(); }

    BOOL SetEvtNtfySelf();
    BOOL ResetEvtRspSelf();
    BOOL SetEvtRspTrgt();
    BOOL ResetEvtNtfyTrgt();
    BOOL SetEvtNtfyAlv();

    // The new value (modulo 65536); 0 when the configuration gave no word.
    WORD IncSeqNtfySelf();
    WORD IncSeqRspSelf();
    WORD IncSeqNtfyTrgt();

    // The answer to a peer block just handled. The word is counted before the peer is told: the
    // peer's next signal makes the notify thread post the word, which must then name the next block.
    void AnswerNtfyTrgt();
    // The peer's answer to block wSeq: counted and the response event cleared before the next block
    // is announced, so that a quick answer to that one is neither wiped out nor posted stale.
    // Returns RemoveNtfy's result.
    BOOL ReceiveRsp(WORD wSeq);

    // Opens the peer's block pszName, reads its kind into *pnKind and returns it opened with its
    // kind's class (the caller deletes it); null when it cannot be opened or the kind is unknown.
    // *pnKind is written only when the block opened.
    CSharedMem* OpenNtfySharedMem(LPCWSTR pszName, int* pnKind);

    // For tests: the end wait, and a thread's handle (null when not running; valid until its end).
    enum class THREAD_KIND { Ntfy, Rsp, Alv };
    void SetThreadEndWait(DWORD dwWait) noexcept { m_dwThreadEndWait = dwWait; }
    // For tests: the next thread start fails at its resume, as in a system out of resources.
    void FailNextResume() noexcept { m_bFailNextResume = TRUE; }
    HANDLE GetThreadHandle(THREAD_KIND kind) const noexcept;

    int m_bTrgtReady = 0;

    struct WAIT_THREAD;

private:
    BOOL StartThread(THREAD_KIND kind, std::shared_ptr<WAIT_THREAD>& pThread, int nPriority, HWND hWnd,
                     UINT uMsg, DWORD dwPeriod, const WORD* pwSeq, LPARAM lParam, LPCWSTR pszOperation);
    BOOL EndThread(std::shared_ptr<WAIT_THREAD>& pThread, LPCWSTR pszOperation, LPCWSTR pszKillExpr);

    int m_nSelf;
    int m_nTrgt;
    CHandle m_hEvtNtfySelf;
    CHandle m_hEvtRspSelf;
    CHandle m_hEvtNtfyTrgt;
    CHandle m_hEvtRspTrgt;
    CHandle m_hEvtNtfyAlv;
    CHandle m_hEvtRspAlv;
    WORD* m_pwSeqNtfySelf;
    WORD* m_pwSeqRspSelf;
    WORD* m_pwSeqNtfyTrgt;
    std::shared_ptr<WAIT_THREAD> m_pNtfyThread;
    std::shared_ptr<WAIT_THREAD> m_pRspThread;
    std::shared_ptr<WAIT_THREAD> m_pAlvThread;
    DWORD m_dwThreadEndWait = THREAD_END_WAIT;
    BOOL m_bFailNextResume = FALSE;
    std::map<WORD, std::unique_ptr<CSharedMem>> m_mapNtfy;
};
