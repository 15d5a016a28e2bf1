#include "HkGtwyEvtMngr.h"

#include <mutex>
#include <new>

#include "LogManager.h"
#include "Sender.h"
#include "SharedMemCbtHook.h"
#include "SharedMemEndHook.h"
#include "SharedMemHook.h"
#include "SharedMemInitHook.h"
#include "SharedMemSwtchHook.h"
#include "Strings.h"
#include "Thread.h"
#include "VerifyFailed.h"

namespace {

constexpr LPCWSTR kSourceFile = L"..\\ZvCommon\\HkGtwyEvtMngr";
// After its dead event the thread has only its return left.
constexpr DWORD kThreadJoinWait = 1000;

unsigned LogPtr(const void* pv) noexcept
{
    return static_cast<unsigned>(reinterpret_cast<UINT_PTR>(pv));
}

HANDLE CreateNamedEvent(const std::wstring& strName) noexcept
{
    return CreateEventW(nullptr, TRUE, FALSE, strName.c_str());
}

HANDLE DuplicateOwn(HANDLE h) noexcept
{
    HANDLE hDup = nullptr;
    if (!h || !DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &hDup, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return nullptr;
    return hDup;
}

// The check's text names the call as written on the member, whatever owns the handle.
void VerifyEventCall(BOOL bDone, LPCWSTR pszExpr, int nLine) noexcept
{
    if (!bDone) {
        const DWORD dwErr = GetLastError();
        VerifyFailed(pszExpr, kSourceFile, nLine, dwErr);
    }
}

// A block of the kind's class, or null with an error line naming the class.
template <class T>
CSharedMem* NewHookBlock(int nSelf, LPCWSTR pszClass)
{
    CSharedMem* pBlock = new (std::nothrow) T(nSelf);
    if (!pBlock)
        OutputLog(LOG_LEVEL_ERROR, nSelf, L"%s object create failed.\n", pszClass);
    return pBlock;
}

} // namespace

// Everything one wait thread touches. It is shared by the manager and the thread, so a thread that
// outlives its end wait still owns its handles; the manager then detaches it from the words.
struct CHkGtwyEvtMngr::WAIT_THREAD {
    THREAD_KIND kind = THREAD_KIND::Ntfy;
    int nSelf = 0;
    CHandle hKill;
    CHandle hDead;
    // The event waited for, and the one reset with it (none for the alive thread).
    CHandle hWatch;
    CHandle hResetToo;
    HWND hWnd = nullptr;
    UINT uMsg = 0;
    DWORD dwPeriod = 0;
    LPARAM lParam = 0;
    std::mutex mtx;
    const WORD* pwSeq = nullptr;
    bool bDetached = false;
    std::unique_ptr<CWorkerThread> pThread;

    DWORD Run();
};

DWORD CHkGtwyEvtMngr::WAIT_THREAD::Run()
{
    static constexpr LPCWSTR s_aszResetExpr[][2] = {
        {L"::ResetEvent(m_hEvtNtfyTrgt)", L"::ResetEvent(m_hEvtRspTrgt)"},
        {L"::ResetEvent(m_hEvtRspSelf)", L"::ResetEvent(m_hEvtNtfySelf)"},
        {L"::ResetEvent(m_hEvtRspAlv)", L""},
    };
    static constexpr LPCWSTR s_aszDeadExpr[] = {L"::SetEvent(m_hEvtNtfyDtctThrdDead)", L"::SetEvent(m_hEvtRspDtctThrdDead)",
                                                L"::SetEvent(m_hEvtRspAlvThrdDead)"};
    static constexpr LPCWSTR s_aszStopped[] = {L"Notification event wait thread stopped.\r\n",
                                               L"Respose event wait thread stopped.\r\n",
                                               L"Alive notification event wait thread stopped.\r\n"};
    const int nKind = static_cast<int>(kind);
    const HANDLE ahWait[] = {hKill.get(), hWatch.get()};
    for (;;) {
        // Blocks until a signal or the end: the kill event first, so that an end is never delayed
        // by a peer that keeps signalling.
        const DWORD dwRet = WaitForMultipleObjects(2, ahWait, FALSE, INFINITE);
        ZV_VERIFY_IN(dwRet != WAIT_FAILED, kSourceFile);
        if (dwRet != WAIT_OBJECT_0 + 1)
            break;
        std::unique_lock<std::mutex> lock(mtx);
        if (bDetached)
            break;
        // Reset before posting: a signal that comes after the post must not be wiped out.
        if (!::ResetEvent(hWatch.get()))
            VerifyFailed(s_aszResetExpr[nKind][0], kSourceFile, __LINE__, GetLastError());
        if (kind == THREAD_KIND::Alv) {
            OutputLog(LOG_LEVEL_DEBUG, nSelf, L"Alive notification evt rcved in event wait thread.\r\n");
            if (IsWindow(hWnd))
                PostMessageW(hWnd, uMsg, 0, 0);
        } else {
            if (!::ResetEvent(hResetToo.get()))
                VerifyFailed(s_aszResetExpr[nKind][1], kSourceFile, __LINE__, GetLastError());
            const WORD wSeq = pwSeq ? *pwSeq : 0;
            OutputLog(LOG_LEVEL_DEBUG, nSelf,
                      kind == THREAD_KIND::Ntfy ? L"Evt Rcved in event wait thread, Seq = %d, hWnd = 0x%x.\r\n"
                                                : L"Rsp Evt Rcved in event wait thread, Seq = %d, hWnd = 0x%x.\r\n",
                      wSeq, LogPtr(hWnd));
            if (hWnd)
                PostMessageW(hWnd, uMsg, static_cast<WPARAM>(wSeq), lParam);
        }
        lock.unlock();
        if (dwPeriod)
            Sleep(dwPeriod);
    }
    if (!::SetEvent(hDead.get()))
        VerifyFailed(s_aszDeadExpr[nKind], kSourceFile, __LINE__, GetLastError());
    OutputLog(LOG_LEVEL_DEBUG, nSelf, s_aszStopped[nKind]);
    return 0;
}

bool IsHkGtwyAliveLimitPassed(ULONGLONG qwNow, ULONGLONG qwAliveAt, DWORD dwLimit, DWORD dwTick) noexcept
{
    // An item fires up to two steps early or late against the wall clock; 100 ms more for the post.
    const ULONGLONG qwSlack = 2ULL * dwTick + 100;
    return qwNow >= qwAliveAt && qwNow - qwAliveAt + qwSlack >= dwLimit;
}

HKGTWY_EVT_MNGR_CFG MakeHkGtwyEvtMngrCfg(int nSelf, WORD* pwSeqNtfySelf, WORD* pwSeqRspSelf, WORD* pwSeqNtfyTrgt)
{
    HKGTWY_EVT_MNGR_CFG cfg;
    const bool bCore = nSelf == SENDER_CORE;
    cfg.nSelf = nSelf;
    cfg.nTrgt = bCore ? SENDER_HOOK : SENDER_CORE;
    cfg.strEvtEvtSelfNm = bCore ? HKGTWY_EVT_CORE_NTFY : HKGTWY_EVT_GTWY_NTFY;
    cfg.strEvtRspSelfNm = bCore ? HKGTWY_EVT_CORE_RSP : HKGTWY_EVT_GTWY_RSP;
    cfg.strEvtEvtTrgtNm = bCore ? HKGTWY_EVT_GTWY_NTFY : HKGTWY_EVT_CORE_NTFY;
    cfg.strEvtRspTrgtNm = bCore ? HKGTWY_EVT_GTWY_RSP : HKGTWY_EVT_CORE_RSP;
    cfg.pwSeqNtfySelf = pwSeqNtfySelf;
    cfg.pwSeqRspSelf = pwSeqRspSelf;
    cfg.pwSeqNtfyTrgt = pwSeqNtfyTrgt;
    return cfg;
}

CHkGtwyEvtMngr::CHkGtwyEvtMngr(const HKGTWY_EVT_MNGR_CFG* pCfg)
    : m_nSelf(pCfg->nSelf), m_nTrgt(pCfg->nTrgt), m_pwSeqNtfySelf(pCfg->pwSeqNtfySelf),
      m_pwSeqRspSelf(pCfg->pwSeqRspSelf), m_pwSeqNtfyTrgt(pCfg->pwSeqNtfyTrgt)
{
    OutputLog(LOG_LEVEL_DEBUG, m_nSelf,
              L"CHkGtwyEvtMngr object created, this=0x%x, strEvtEvtSelfNm=%s, strEvtRspSelfNm=%s, strEvtEvtTrgtNm=%s, strEvtRspTrgtNm=%s.\r\n",
              LogPtr(this), pCfg->strEvtEvtSelfNm.c_str(), pCfg->strEvtRspSelfNm.c_str(),
              pCfg->strEvtEvtTrgtNm.c_str(), pCfg->strEvtRspTrgtNm.c_str());
    const std::wstring& strAlvFmt = pCfg->strEvtAlvFmt.empty() ? std::wstring(HKGTWY_EVT_ALIVE_FORMAT) : pCfg->strEvtAlvFmt;
    struct {
        CHandle* phEvent;
        std::wstring strName;
    } const aEvent[] = {
        {&m_hEvtNtfySelf, pCfg->strEvtEvtSelfNm},
        {&m_hEvtRspSelf, pCfg->strEvtRspSelfNm},
        {&m_hEvtNtfyTrgt, pCfg->strEvtEvtTrgtNm},
        {&m_hEvtRspTrgt, pCfg->strEvtRspTrgtNm},
        {&m_hEvtNtfyAlv, FormatString(strAlvFmt.c_str(), m_nSelf, m_nTrgt)},
        {&m_hEvtRspAlv, FormatString(strAlvFmt.c_str(), m_nTrgt, m_nSelf)},
    };
    int nDigit = 1;
    for (const auto& ev : aEvent) {
        ev.phEvent->reset(CreateNamedEvent(ev.strName));
        if (!*ev.phEvent)
            OutputLog(LOG_LEVEL_DEBUG, m_nSelf, L"Event create failed %d in CHkGtwyEvtMngr::CHkGtwyEvtMngr().\r\n", nDigit);
        ++nDigit;
    }
}

CHkGtwyEvtMngr::~CHkGtwyEvtMngr()
{
    if (m_pNtfyThread)
        EndAsyncWtNtfyTrgt();
    if (m_pRspThread)
        EndAsyncWtRspTrgt();
    if (m_pAlvThread)
        EndWtRspAlvTrgt();
    RemoveAllNtfy();
}

BOOL CHkGtwyEvtMngr::StartThread(THREAD_KIND kind, std::shared_ptr<WAIT_THREAD>& pThread, int nPriority, HWND hWnd,
                                 UINT uMsg, DWORD dwPeriod, const WORD* pwSeq, LPARAM lParam, LPCWSTR pszOperation)
{
    if (pThread)
        return FALSE;
    // Not make_shared: a weak reference left in a thread that never ran would keep its memory.
    std::shared_ptr<WAIT_THREAD> pNew(new WAIT_THREAD);
    pNew->kind = kind;
    pNew->nSelf = m_nSelf;
    pNew->hWnd = hWnd;
    pNew->uMsg = uMsg;
    pNew->dwPeriod = dwPeriod;
    pNew->pwSeq = pwSeq;
    pNew->lParam = lParam;
    // Unnamed: nobody else has any business with them, and no other process can share them.
    pNew->hKill.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!pNew->hKill) {
        OutputLog(LOG_LEVEL_DEBUG, m_nSelf, L"Event create failed 1 in CHkGtwyEvtMngr::%s().\r\n", pszOperation);
        return FALSE;
    }
    pNew->hDead.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!pNew->hDead) {
        OutputLog(LOG_LEVEL_DEBUG, m_nSelf, L"Event create failed 2 in CHkGtwyEvtMngr::%s().\r\n", pszOperation);
        return FALSE;
    }
    switch (kind) {
    case THREAD_KIND::Ntfy:
        pNew->hWatch.reset(DuplicateOwn(m_hEvtNtfyTrgt.get()));
        pNew->hResetToo.reset(DuplicateOwn(m_hEvtRspTrgt.get()));
        break;
    case THREAD_KIND::Rsp:
        pNew->hWatch.reset(DuplicateOwn(m_hEvtRspSelf.get()));
        pNew->hResetToo.reset(DuplicateOwn(m_hEvtNtfySelf.get()));
        break;
    case THREAD_KIND::Alv:
        pNew->hWatch.reset(DuplicateOwn(m_hEvtRspAlv.get()));
        break;
    }
    if (!pNew->hWatch || (kind != THREAD_KIND::Alv && !pNew->hResetToo)) {
        OutputLog(LOG_LEVEL_DEBUG, m_nSelf, L"Event missing in CHkGtwyEvtMngr::%s().\r\n", pszOperation);
        return FALSE;
    }
    pNew->pThread = std::make_unique<CWorkerThread>();
    // Once running, the thread holds a reference of its own, and the last one to let go frees the
    // record. Until then the record is the manager's alone: a thread that never runs holds nothing.
    const std::weak_ptr<WAIT_THREAD> wpNew = pNew;
    const auto fnRun = [wpNew]() -> DWORD {
        const std::shared_ptr<WAIT_THREAD> pOwn = wpNew.lock();
        return pOwn ? pOwn->Run() : 0;
    };
    if (!pNew->pThread->Start(fnRun, nPriority, TRUE)) {
        OutputLog(LOG_LEVEL_DEBUG, m_nSelf, L"Thread create failed 1 in CHkGtwyEvtMngr::%s().\r\n", pszOperation);
        return FALSE;
    }
    if (m_bFailNextResume || !pNew->pThread->Resume()) {
        m_bFailNextResume = FALSE;
        OutputLog(LOG_LEVEL_DEBUG, m_nSelf, L"Thread create failed 2 in CHkGtwyEvtMngr::%s().\r\n", pszOperation);
        // It has run nothing of ours: ended here, it leaves no thread behind, and the record with
        // its events goes with pNew.
        const HANDLE hThread = pNew->pThread->GetHandle();
        if (TerminateThread(hThread, 0))
            WaitForSingleObject(hThread, kThreadJoinWait);
        return FALSE;
    }
    pThread = pNew;
    return TRUE;
}

BOOL CHkGtwyEvtMngr::StartAsyncWtNtfyTrgt(const HKGTWY_THRD_PRM* pPrm)
{
    OutputLog(LOG_LEVEL_DEBUG, m_nSelf, L"CHkGtwyEvtMngr::StartAsyncWtNtfyTrgt() entered, this=0x%x.\r\n", LogPtr(this));
    if (!pPrm)
        return FALSE;
    return StartThread(THREAD_KIND::Ntfy, m_pNtfyThread, pPrm->nPriority, pPrm->hWnd, pPrm->uMsgNtfy, pPrm->dwPeriod,
                       pPrm->pwSeqNtfy, pPrm->lParam, L"StartAsyncWtNtfyTrgt");
}

BOOL CHkGtwyEvtMngr::StartAsyncWtRspTrgt(const HKGTWY_THRD_PRM* pPrm)
{
    OutputLog(LOG_LEVEL_DEBUG, m_nSelf, L"CHkGtwyEvtMngr::StartAsyncWtRspTrgt() entered, this=0x%x.\r\n", LogPtr(this));
    if (!pPrm)
        return FALSE;
    return StartThread(THREAD_KIND::Rsp, m_pRspThread, pPrm->nPriority, pPrm->hWnd, pPrm->uMsgRsp, pPrm->dwPeriod,
                       pPrm->pwSeqRsp, pPrm->lParam, L"StartAsyncWtRspTrgt");
}

BOOL CHkGtwyEvtMngr::StartWtRspAlvTrgt(const HKGTWY_ALV_THRD_PRM* pPrm)
{
    if (!pPrm)
        return FALSE;
    return StartThread(THREAD_KIND::Alv, m_pAlvThread, pPrm->nPriority, pPrm->hWnd, pPrm->uMsgAlv, pPrm->dwPeriod,
                       nullptr, 0, L"StartWtRspAlvTrgt");
}

BOOL CHkGtwyEvtMngr::EndThread(std::shared_ptr<WAIT_THREAD>& pThread, LPCWSTR pszOperation, LPCWSTR pszKillExpr)
{
    if (!pThread) {
        OutputLog(LOG_LEVEL_DEBUG, m_nSelf,
                  L"CHkGtwyEvtMngr::%s() is called without starting thread for event wait, this=0x%x.\r\n", pszOperation,
                  LogPtr(this));
        return TRUE;
    }
    if (!::SetEvent(pThread->hKill.get()))
        VerifyFailed(pszKillExpr, kSourceFile, __LINE__, GetLastError());
    OutputLog(LOG_LEVEL_DEBUG, m_nSelf, L"Waiting for Thread end in CHkGtwyEvtMngr::%s(), this=0x%x.\r\n", pszOperation,
              LogPtr(this));
    const DWORD dwRet = WaitForSingleObject(pThread->hDead.get(), m_dwThreadEndWait);
    OutputLog(LOG_LEVEL_DEBUG, m_nSelf, L"Thread end in CHkGtwyEvtMngr::%s(), this=0x%x, code=0x%x.\r\n", pszOperation,
              LogPtr(this), dwRet);
    const BOOL bEnded = dwRet == WAIT_OBJECT_0 && pThread->pThread->Wait(kThreadJoinWait);
    if (!bEnded) {
        // Late: from here on the thread reads none of the owner's words and posts nothing.
        std::lock_guard<std::mutex> lock(pThread->mtx);
        pThread->bDetached = true;
        pThread->pwSeq = nullptr;
    }
    pThread.reset();
    return bEnded;
}

BOOL CHkGtwyEvtMngr::EndAsyncWtNtfyTrgt()
{
    return EndThread(m_pNtfyThread, L"EndAsyncWtNtfyTrgt", L"::SetEvent(m_hEvtNtfyDtctThrdKill)");
}

BOOL CHkGtwyEvtMngr::EndAsyncWtRspTrgt()
{
    return EndThread(m_pRspThread, L"EndAsyncWtRspTrgt", L"::SetEvent(m_hEvtRspDtctThrdKill)");
}

BOOL CHkGtwyEvtMngr::EndWtRspAlvTrgt()
{
    return EndThread(m_pAlvThread, L"EndWtRspAlvTrgt", L"::SetEvent(m_hEvtRspAlvThrdKill)");
}

HANDLE CHkGtwyEvtMngr::GetThreadHandle(THREAD_KIND kind) const noexcept
{
    const auto& pThread = kind == THREAD_KIND::Ntfy ? m_pNtfyThread : kind == THREAD_KIND::Rsp ? m_pRspThread : m_pAlvThread;
    return pThread && pThread->pThread ? pThread->pThread->GetHandle() : nullptr;
}

BOOL CHkGtwyEvtMngr::RegisterNtfy(WORD wSeq, CSharedMem* pBlock)
{
    std::unique_ptr<CSharedMem> pOwned(pBlock);
    // A number still waiting names a block the peer has left unanswered for 65536 blocks, which
    // it may yet read: it stays. And a peer that hangs must not make the map grow until the
    // 32-bit gateway runs out of address space.
    if (m_mapNtfy.count(wSeq)) {
        OutputLog(LOG_LEVEL_ERROR, m_nSelf,
                  L"CHkGtwyEvtMngr::RegisterNtfy() refused, Seq = %d is still waiting.\r\n", wSeq);
        return FALSE;
    }
    if (m_mapNtfy.size() >= MAX_NTFY_WAITING) {
        OutputLog(LOG_LEVEL_ERROR, m_nSelf,
                  L"CHkGtwyEvtMngr::RegisterNtfy() refused, Seq = %d, %d blocks waiting.\r\n", wSeq,
                  static_cast<int>(m_mapNtfy.size()));
        return FALSE;
    }
    const bool bWasEmpty = m_mapNtfy.empty();
    m_mapNtfy[wSeq] = std::move(pOwned);
    if (m_bTrgtReady && bWasEmpty)
        return NtfyPending();
    return FALSE;
}

BOOL CHkGtwyEvtMngr::RegisterNtfySelf(CSharedMem* pBlock)
{
    if (!m_pwSeqNtfySelf) {
        delete pBlock;
        return FALSE;
    }
    const size_t nBefore = m_mapNtfy.size();
    RegisterNtfy(*m_pwSeqNtfySelf, pBlock);
    if (m_mapNtfy.size() == nBefore)
        return FALSE;
    IncSeqNtfySelf();
    return TRUE;
}

BOOL CHkGtwyEvtMngr::RemoveNtfy(WORD wSeq)
{
    m_mapNtfy.erase(wSeq);
    return NtfyPending();
}

BOOL CHkGtwyEvtMngr::NtfyPending()
{
    if (m_mapNtfy.empty())
        return FALSE;
    SetEvtNtfySelf();
    return TRUE;
}

void CHkGtwyEvtMngr::RemoveAllNtfy()
{
    m_mapNtfy.clear();
}

BOOL CHkGtwyEvtMngr::SetEvtNtfySelf()
{
    VerifyEventCall(::SetEvent(m_hEvtNtfySelf.get()), L"::SetEvent(m_hEvtNtfySelf)", __LINE__);
    return TRUE;
}

BOOL CHkGtwyEvtMngr::ResetEvtRspSelf()
{
    VerifyEventCall(::ResetEvent(m_hEvtRspSelf.get()), L"::ResetEvent(m_hEvtRspSelf)", __LINE__);
    return TRUE;
}

BOOL CHkGtwyEvtMngr::SetEvtRspTrgt()
{
    VerifyEventCall(::SetEvent(m_hEvtRspTrgt.get()), L"::SetEvent(m_hEvtRspTrgt)", __LINE__);
    return TRUE;
}

BOOL CHkGtwyEvtMngr::ResetEvtNtfyTrgt()
{
    VerifyEventCall(::ResetEvent(m_hEvtNtfyTrgt.get()), L"::ResetEvent(m_hEvtNtfyTrgt)", __LINE__);
    return TRUE;
}

BOOL CHkGtwyEvtMngr::SetEvtNtfyAlv()
{
    VerifyEventCall(::SetEvent(m_hEvtNtfyAlv.get()), L"::SetEvent(m_hEvtNtfyAlv)", __LINE__);
    return TRUE;
}

namespace {

WORD IncWord(WORD* pw) noexcept
{
    if (!pw)
        return 0;
    *pw = static_cast<WORD>(*pw + 1);
    return *pw;
}

} // namespace

WORD CHkGtwyEvtMngr::IncSeqNtfySelf() { return IncWord(m_pwSeqNtfySelf); }
WORD CHkGtwyEvtMngr::IncSeqRspSelf() { return IncWord(m_pwSeqRspSelf); }
WORD CHkGtwyEvtMngr::IncSeqNtfyTrgt() { return IncWord(m_pwSeqNtfyTrgt); }

void CHkGtwyEvtMngr::AnswerNtfyTrgt()
{
    IncSeqNtfyTrgt();
    ResetEvtNtfyTrgt();
    SetEvtRspTrgt();
}

BOOL CHkGtwyEvtMngr::ReceiveRsp(WORD wSeq)
{
    ResetEvtRspSelf();
    IncSeqRspSelf();
    return RemoveNtfy(wSeq);
}

CSharedMem* CHkGtwyEvtMngr::OpenNtfySharedMem(LPCWSTR pszName, int* pnKind)
{
    std::unique_ptr<CSharedMemHook> pHook(new (std::nothrow) CSharedMemHook(m_nSelf));
    if (!pHook) {
        OutputLog(LOG_LEVEL_ERROR, m_nSelf, L"CSharedMemHook object create failed, name = %s.\n", pszName ? pszName : L"");
        return nullptr;
    }
    if (!pHook->Open(pszName, FALSE, FILE_MAP_READ))
        return nullptr;
    const int nKind = pHook->GetKind();
    if (pnKind)
        *pnKind = nKind;
    CSharedMem* pBlock = nullptr;
    switch (nKind) {
    case HOOK_KIND_INIT:
        pBlock = NewHookBlock<CSharedMemInitHook>(m_nSelf, L"CSharedMemInitHook");
        break;
    case HOOK_KIND_END:
        pBlock = NewHookBlock<CSharedMemEndHook>(m_nSelf, L"CSharedMemEndHook");
        break;
    case HOOK_KIND_SWTCH:
        pBlock = NewHookBlock<CSharedMemSwtchHook>(m_nSelf, L"CSharedMemSwtchHook");
        break;
    case HOOK_KIND_CBT:
        pBlock = NewHookBlock<CSharedMemCbtHook>(m_nSelf, L"CSharedMemCbtHook");
        break;
    default:
        break;
    }
    if (pBlock && !pBlock->Open(pszName, FALSE, FILE_MAP_READ)) {
        delete pBlock;
        pBlock = nullptr;
    }
    return pBlock;
}
