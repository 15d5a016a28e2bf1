// The gateway event manager in one process: what the two-process link test cannot reach
// (announcing rules, sequence wrap, refused blocks, idle threads, ends that give up).
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Handle.h"
#include "HkGtwyEvtMngr.h"
#include "HookNtfy.h"
#include "LogManager.h"
#include "Sender.h"
#include "SharedMemLog.h"
#include "SharedMemInitHook.h"
#include "SharedMemSwtchHook.h"
#include "Strings.h"
#include "ZvMessages.h"

namespace {

// Event and block names of this test process only: unit tests run side by side.
std::wstring TestName(const std::wstring& strWhat)
{
    return FormatString(L"ZvHkGtwyEvtMngrTest %lu %s", GetCurrentProcessId(), strWhat.c_str());
}

std::wstring BlockName(int nCreator, WORD wSeq)
{
    return TestName(FormatString(L"block %d %08x", nCreator, static_cast<unsigned>(wSeq)));
}

// An init block of the core under wSeq, for a manager to take.
CSharedMem* NewInitBlock(WORD wSeq)
{
    auto* p = new CSharedMemInitHook(SENDER_CORE);
    HOOK_NTFY ntfy = {HOOK_KIND_INIT, 0};
    EXPECT_TRUE(p->Create(BlockName(SENDER_CORE, wSeq).c_str(), PAGE_READWRITE, &ntfy));
    return p;
}

HKGTWY_EVT_MNGR_CFG TestCfg(int nSelf, WORD* pwNtfySelf, WORD* pwRspSelf, WORD* pwNtfyTrgt)
{
    HKGTWY_EVT_MNGR_CFG cfg = MakeHkGtwyEvtMngrCfg(nSelf, pwNtfySelf, pwRspSelf, pwNtfyTrgt);
    const std::wstring strSelf = nSelf == SENDER_CORE ? L"Core " : L"Gateway ";
    const std::wstring strTrgt = nSelf == SENDER_CORE ? L"Gateway " : L"Core ";
    cfg.strEvtEvtSelfNm = TestName(strSelf + L"Evt");
    cfg.strEvtRspSelfNm = TestName(strSelf + L"Rsp");
    cfg.strEvtEvtTrgtNm = TestName(strTrgt + L"Evt");
    cfg.strEvtRspTrgtNm = TestName(strTrgt + L"Rsp");
    cfg.strEvtAlvFmt = TestName(L"Alive %d -> %d");
    return cfg;
}

// Whether the named event is set; resets it, so that each signal is seen once.
bool TakeSignal(const std::wstring& strEvent)
{
    const CHandle h(OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, strEvent.c_str()));
    const bool bSet = h && WaitForSingleObject(h.get(), 0) == WAIT_OBJECT_0;
    if (h)
        ResetEvent(h.get());
    return bSet;
}

bool EventExists(const std::wstring& strName)
{
    return static_cast<bool>(CHandle(OpenEventW(SYNCHRONIZE, FALSE, strName.c_str())));
}

// The names of the six events of a manager: a name lives as long as any handle to its event.
std::vector<std::wstring> EventNames(const HKGTWY_EVT_MNGR_CFG& cfg)
{
    return {cfg.strEvtEvtSelfNm,
            cfg.strEvtRspSelfNm,
            cfg.strEvtEvtTrgtNm,
            cfg.strEvtRspTrgtNm,
            FormatString(cfg.strEvtAlvFmt.c_str(), cfg.nSelf, cfg.nTrgt),
            FormatString(cfg.strEvtAlvFmt.c_str(), cfg.nTrgt, cfg.nSelf)};
}

bool MappingExists(const std::wstring& strName)
{
    return static_cast<bool>(CHandle(OpenFileMappingW(FILE_MAP_READ, FALSE, strName.c_str())));
}

// One program's end of the link, with a hidden window whose messages the test handles.
struct SIDE {
    int nSelf = 0;
    WORD wSeqNtfySelf = 0, wSeqRspSelf = 0, wSeqNtfyTrgt = 0;
    HWND hWnd = nullptr;
    HKGTWY_EVT_MNGR_CFG cfg;
    std::unique_ptr<CHkGtwyEvtMngr> pMngr;
    HKGTWY_THRD_PRM prm;
    HKGTWY_ALV_THRD_PRM alv;
    std::vector<WORD> vecReceived, vecAnswered;

    explicit SIDE(int nSender, WORD wStart = 0) : nSelf(nSender)
    {
        wSeqNtfySelf = wSeqRspSelf = wSeqNtfyTrgt = wStart;
        hWnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        cfg = TestCfg(nSelf, &wSeqNtfySelf, &wSeqRspSelf, &wSeqNtfyTrgt);
        pMngr = std::make_unique<CHkGtwyEvtMngr>(&cfg);
        prm.hWnd = alv.hWnd = hWnd;
        prm.uMsgNtfy = MSG_HKGTWY_NTFY_DTCT;
        prm.uMsgRsp = MSG_HKGTWY_RSP_DTCT;
        prm.pwSeqNtfy = &wSeqNtfyTrgt;
        prm.pwSeqRsp = &wSeqRspSelf;
        alv.uMsgAlv = MSG_HKGTWY_ALIVE;
    }
    ~SIDE()
    {
        pMngr.reset();
        DestroyWindow(hWnd);
    }
    BOOL Start()
    {
        return pMngr->StartWtRspAlvTrgt(&alv) && pMngr->StartAsyncWtNtfyTrgt(&prm) &&
               pMngr->StartAsyncWtRspTrgt(&prm);
    }
    BOOL SendSwitch(BOOL bOn)
    {
        auto* pBlock = new CSharedMemSwtchHook(nSelf);
        HOOK_NTFY_SWTCH rec = {HOOK_KIND_SWTCH, HOOK_NTFY_SWTCH_CBT, bOn};
        EXPECT_TRUE(pBlock->Create(BlockName(nSelf, wSeqNtfySelf).c_str(), PAGE_READWRITE, &rec));
        const BOOL bSignalled = pMngr->RegisterNtfy(wSeqNtfySelf, pBlock);
        pMngr->IncSeqNtfySelf();
        return bSignalled;
    }
    void OnMessage(const MSG& msg, int nPeer)
    {
        const WORD wSeq = static_cast<WORD>(msg.wParam);
        if (msg.message == MSG_HKGTWY_NTFY_DTCT) {
            int nKind = 0;
            std::unique_ptr<CSharedMem> pBlock(pMngr->OpenNtfySharedMem(BlockName(nPeer, wSeq).c_str(), &nKind));
            if (!pBlock)
                return;
            vecReceived.push_back(wSeq);
            pBlock.reset();
            pMngr->AnswerNtfyTrgt();
        } else if (msg.message == MSG_HKGTWY_RSP_DTCT) {
            vecAnswered.push_back(wSeq);
            pMngr->ReceiveRsp(wSeq);
        }
    }
};

// Takes uMsg for hWnd from the queue, waiting for it up to 5 s.
bool WaitUntilMessage(HWND hWnd, UINT uMsg, MSG& msg)
{
    for (const ULONGLONG ullEnd = GetTickCount64() + 5000; GetTickCount64() < ullEnd;) {
        if (PeekMessageW(&msg, hWnd, uMsg, uMsg, PM_REMOVE))
            return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return false;
}

// Handles the messages of both windows until bDone says so, for at most dwWait ms.
bool PumpUntil(SIDE& core, SIDE& gtwy, const std::function<bool()>& bDone, DWORD dwWait = 5000)
{
    const ULONGLONG ullEnd = GetTickCount64() + dwWait;
    while (!bDone()) {
        if (GetTickCount64() >= ullEnd)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == core.hWnd)
                core.OnMessage(msg, SENDER_HOOK);
            else if (msg.hwnd == gtwy.hWnd)
                gtwy.OnMessage(msg, SENDER_CORE);
            else
                DispatchMessageW(&msg);
        }
    }
    return true;
}

ULONGLONG ThreadCpu100ns(HANDLE h)
{
    FILETIME ftCreate, ftExit, ftKernel, ftUser;
    if (!GetThreadTimes(h, &ftCreate, &ftExit, &ftKernel, &ftUser))
        return ~0ull;
    auto to64 = [](const FILETIME& ft) { return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; };
    return to64(ftKernel) + to64(ftUser);
}

} // namespace

TEST(CommonHkGtwyEvtMngr, SequenceWordsWrapOnSixteenBits)
{
    SIDE core(SENDER_CORE, 65534);
    SIDE gtwy(SENDER_HOOK, 65534);
    ASSERT_TRUE(core.Start());
    ASSERT_TRUE(gtwy.Start());
    core.pMngr->m_bTrgtReady = 1;
    for (int i = 0; i < 4; ++i)
        core.SendSwitch(i & 1);
    ASSERT_TRUE(PumpUntil(core, gtwy, [&] { return core.wSeqRspSelf == 2 && core.pMngr->GetNtfyCount() == 0; }));
    EXPECT_EQ((std::vector<WORD>{65534, 65535, 0, 1}), gtwy.vecReceived);
    EXPECT_EQ((std::vector<WORD>{65534, 65535, 0, 1}), core.vecAnswered);
    EXPECT_EQ(2, core.wSeqNtfySelf);
    EXPECT_EQ(2, gtwy.wSeqNtfyTrgt);
}

TEST(CommonHkGtwyEvtMngr, AnnouncesOneBlockAtATime)
{
    WORD wNtfySelf = 0, wRspSelf = 0, wNtfyTrgt = 0;
    const HKGTWY_EVT_MNGR_CFG cfg = TestCfg(SENDER_CORE, &wNtfySelf, &wRspSelf, &wNtfyTrgt);
    CHkGtwyEvtMngr mngr(&cfg);
    const auto block = &NewInitBlock;
    auto signalled = [&] { return TakeSignal(cfg.strEvtEvtSelfNm); };

    // Not ready: nothing is announced until NtfyPending, which announces once.
    EXPECT_FALSE(mngr.RegisterNtfy(10, block(10)));
    EXPECT_FALSE(signalled());
    mngr.m_bTrgtReady = 1;
    EXPECT_FALSE(mngr.RegisterNtfy(11, block(11)));
    EXPECT_FALSE(signalled());
    EXPECT_TRUE(mngr.NtfyPending());
    EXPECT_TRUE(signalled());

    // A second block under a number still waiting is refused and freed; the first one stays.
    mngr.RemoveAllNtfy();
    EXPECT_TRUE(mngr.RegisterNtfy(1, block(1)));
    EXPECT_TRUE(signalled());
    EXPECT_FALSE(mngr.RegisterNtfy(1, block(1 + 0x100)));
    EXPECT_FALSE(signalled());
    EXPECT_FALSE(MappingExists(BlockName(SENDER_CORE, 1 + 0x100)));
    EXPECT_TRUE(MappingExists(BlockName(SENDER_CORE, 1)));
    EXPECT_EQ(1u, mngr.GetNtfyCount());

    EXPECT_FALSE(mngr.RegisterNtfy(2, block(2)));
    EXPECT_FALSE(mngr.RegisterNtfy(3, block(3)));
    EXPECT_FALSE(signalled());
    // Each answer announces the next block; one to a number not waiting frees nothing.
    EXPECT_TRUE(mngr.RemoveNtfy(9));
    EXPECT_TRUE(signalled());
    EXPECT_EQ(3u, mngr.GetNtfyCount());
    for (WORD wSeq : {1, 2}) {
        EXPECT_TRUE(mngr.RemoveNtfy(wSeq));
        EXPECT_TRUE(signalled()) << wSeq;
    }
    EXPECT_FALSE(mngr.RemoveNtfy(3));
    EXPECT_FALSE(signalled());

    wNtfySelf = 65535;
    EXPECT_EQ(0, mngr.IncSeqNtfySelf());
    // The answer counts the peer's block before it tells the peer.
    mngr.AnswerNtfyTrgt();
    EXPECT_EQ(1, wNtfyTrgt);
    EXPECT_TRUE(TakeSignal(cfg.strEvtRspTrgtNm));

    // Ends of threads never started, the second time too.
    EXPECT_TRUE(mngr.EndAsyncWtRspTrgt());
    EXPECT_TRUE(mngr.EndAsyncWtRspTrgt());
    EXPECT_TRUE(mngr.EndWtRspAlvTrgt());

    HKGTWY_EVT_MNGR_CFG cfgNoWords = cfg;
    cfgNoWords.pwSeqNtfySelf = cfgNoWords.pwSeqRspSelf = cfgNoWords.pwSeqNtfyTrgt = nullptr;
    CHkGtwyEvtMngr noWords(&cfgNoWords);
    EXPECT_EQ(0, noWords.IncSeqNtfySelf());
    EXPECT_EQ(0, noWords.IncSeqNtfyTrgt());
}

TEST(CommonHkGtwyEvtMngr, OpenNtfySharedMemRefusesMissingUnknownAndBrokenBlocks)
{
    SIDE core(SENDER_CORE);
    int nKind = -1;
    EXPECT_EQ(nullptr, core.pMngr->OpenNtfySharedMem(BlockName(SENDER_HOOK, 77).c_str(), &nKind));
    EXPECT_EQ(-1, nKind);

    // A sound block of kind 7: the kind is told, no object comes back.
    const std::wstring strName = BlockName(SENDER_HOOK, 7);
    CSharedMemInitHook init(SENDER_HOOK);
    HOOK_NTFY ntfy = {HOOK_KIND_INIT, 0};
    ASSERT_TRUE(init.Create(strName.c_str(), PAGE_READWRITE, &ntfy));
    const CHandle hMap(OpenFileMappingW(FILE_MAP_WRITE, FALSE, strName.c_str()));
    auto* pb = static_cast<BYTE*>(MapViewOfFile(hMap.get(), FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(nullptr, pb);
    pb[20] = 7;
    pb[28] = GetXorSum(pb, 27);
    EXPECT_EQ(nullptr, core.pMngr->OpenNtfySharedMem(strName.c_str(), &nKind));
    EXPECT_EQ(7, nKind);
    // The same block spoilt: not opened, kind untouched.
    pb[21] ^= 0x40;
    nKind = -1;
    EXPECT_EQ(nullptr, core.pMngr->OpenNtfySharedMem(strName.c_str(), &nKind));
    EXPECT_EQ(-1, nKind);
    UnmapViewOfFile(pb);
}

TEST(CommonHkGtwyEvtMngr, IdleThreadsBlockInsteadOfPolling)
{
    SIDE core(SENDER_CORE);
    ASSERT_TRUE(core.Start());
    auto cpu = [&] {
        ULONGLONG ull = 0;
        for (auto kind : {CHkGtwyEvtMngr::THREAD_KIND::Ntfy, CHkGtwyEvtMngr::THREAD_KIND::Rsp,
                          CHkGtwyEvtMngr::THREAD_KIND::Alv})
            ull += ThreadCpu100ns(core.pMngr->GetThreadHandle(kind));
        return ull;
    };
    Sleep(100);
    const ULONGLONG ullBefore = cpu();
    Sleep(1000);
    EXPECT_LT(cpu() - ullBefore, 100000ull) << "more than 10 ms of CPU in one idle second";

    // The measure itself works: a busy thread shows its time (read while it still runs: an ended
    // thread's times may read 0).
    const ULONGLONG ullStart = ThreadCpu100ns(GetCurrentThread());
    bool bSeen = false;
    for (const ULONGLONG ullEnd = GetTickCount64() + 5000; !bSeen && GetTickCount64() < ullEnd;)
        bSeen = ThreadCpu100ns(GetCurrentThread()) - ullStart > 500000ull;
    EXPECT_TRUE(bSeen) << "50 ms of spinning never showed in the thread's CPU time";
}

TEST(CommonHkGtwyEvtMngr, EndJoinsThreadsAndALateThreadKeepsItsOwnHandles)
{
    auto duplicate = [](HANDLE h) {
        HANDLE hDup = nullptr;
        DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &hDup, 0, FALSE, DUPLICATE_SAME_ACCESS);
        return hDup;
    };
    std::vector<std::wstring> vecEvents;
    {
        SIDE core(SENDER_CORE);
        vecEvents = EventNames(core.cfg);
        ASSERT_TRUE(core.Start());
        const CHandle hRsp(duplicate(core.pMngr->GetThreadHandle(CHkGtwyEvtMngr::THREAD_KIND::Rsp)));
        const CHandle hNtfy(duplicate(core.pMngr->GetThreadHandle(CHkGtwyEvtMngr::THREAD_KIND::Ntfy)));
        ASSERT_TRUE(hRsp);
        ASSERT_TRUE(hNtfy);
        EXPECT_TRUE(core.pMngr->EndAsyncWtRspTrgt());
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hRsp.get(), 0)) << "ended and joined";
        EXPECT_EQ(nullptr, core.pMngr->GetThreadHandle(CHkGtwyEvtMngr::THREAD_KIND::Rsp));

        // A thread that cannot end in time: the end gives up, the thread later ends on its own
        // handles, posts nothing and reads no word.
        core.pMngr->SetThreadEndWait(200);
        // Suspended only once parked in its wait: a thread stopped inside its start-up or a log
        // line may hold the heap's or the loader's lock, and everything after would wait forever.
        CHandle hPeerNtfy(OpenEventW(EVENT_MODIFY_STATE, FALSE, core.cfg.strEvtEvtTrgtNm.c_str()));
        ASSERT_TRUE(hPeerNtfy);
        SetEvent(hPeerNtfy.get());
        MSG msg;
        ASSERT_TRUE(WaitUntilMessage(core.hWnd, MSG_HKGTWY_NTFY_DTCT, msg));
        ULONGLONG ullCpu = ThreadCpu100ns(hNtfy.get());
        for (const ULONGLONG ullEnd = GetTickCount64() + 5000; GetTickCount64() < ullEnd;) {
            Sleep(100);
            const ULONGLONG ullNow = ThreadCpu100ns(hNtfy.get());
            if (ullNow == ullCpu)
                break;
            ullCpu = ullNow;
        }
        ASSERT_NE(static_cast<DWORD>(-1), SuspendThread(hNtfy.get()));
        EXPECT_FALSE(core.pMngr->EndAsyncWtNtfyTrgt());
        SetEvent(hPeerNtfy.get());
        core.pMngr.reset();
        hPeerNtfy.reset();
        // Only the late thread's own copies keep the peer's events alive now.
        EXPECT_TRUE(EventExists(vecEvents[2]));
        EXPECT_FALSE(EventExists(vecEvents[0]));
        ResumeThread(hNtfy.get());
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hNtfy.get(), 5000));
        EXPECT_FALSE(PeekMessageW(&msg, core.hWnd, MSG_HKGTWY_NTFY_DTCT, MSG_HKGTWY_NTFY_DTCT, PM_REMOVE));
    }
    // Every handle to the events is closed, the late thread's too.
    for (const std::wstring& strEvent : vecEvents)
        EXPECT_FALSE(EventExists(strEvent)) << strEvent;
}

TEST(CommonHkGtwyEvtMngr, ThreadThatCannotBeResumedLeavesNothingBehind)
{
    SIDE core(SENDER_CORE);
    const std::vector<std::wstring> vecEvents = EventNames(core.cfg);
    core.pMngr->FailNextResume();
    EXPECT_FALSE(core.pMngr->StartAsyncWtNtfyTrgt(&core.prm));
    EXPECT_EQ(nullptr, core.pMngr->GetThreadHandle(CHkGtwyEvtMngr::THREAD_KIND::Ntfy));
    EXPECT_TRUE(core.pMngr->EndAsyncWtNtfyTrgt()) << "ending a thread never started";

    // The manager goes on: the same start succeeds now and its thread serves.
    ASSERT_TRUE(core.pMngr->StartAsyncWtNtfyTrgt(&core.prm));
    {
        const CHandle hPeerNtfy(OpenEventW(EVENT_MODIFY_STATE, FALSE, core.cfg.strEvtEvtTrgtNm.c_str()));
        ASSERT_TRUE(hPeerNtfy);
        SetEvent(hPeerNtfy.get());
    }
    MSG msg;
    EXPECT_TRUE(WaitUntilMessage(core.hWnd, MSG_HKGTWY_NTFY_DTCT, msg));
    EXPECT_TRUE(core.pMngr->EndAsyncWtNtfyTrgt());

    // With the manager gone no handle to its events is left: the record of the start that failed,
    // with its copies of the peer's events, was freed too.
    core.pMngr.reset();
    for (const std::wstring& strEvent : vecEvents)
        EXPECT_FALSE(EventExists(strEvent)) << strEvent;
}

TEST(CommonHkGtwyEvtMngr, BlocksBeyondTheBoundOrUnderAWaitingNumberAreRefusedWithAnErrorLine)
{
    // The refusals' lines, kept in this process's log queue.
    constexpr int kLogSender = 81;
    CMDLINE_OPTION_SET opt;
    opt.bLogWindow = 1;
    opt.nLogLevel = LOG_LEVEL_ERROR;
    ASSERT_NE(nullptr, CreateLogManager(opt, kLogSender));
    struct LOG_END {
        ~LOG_END() { EndLog(); }
    } logEnd;
    auto logged = [&](int nSeq) {
        std::string strLine;
        CLogManager* pManager = GetLogManager();
        return pManager && pManager->GetQueuedText(nSeq, strLine) ? strLine : std::string();
    };

    WORD wNtfySelf = 0, wRspSelf = 0, wNtfyTrgt = 0;
    const HKGTWY_EVT_MNGR_CFG cfg = TestCfg(SENDER_CORE, &wNtfySelf, &wRspSelf, &wNtfyTrgt);
    CHkGtwyEvtMngr mngr(&cfg);
    const auto block = &NewInitBlock;
    // An own block under the next number moves the number on; one under a number still waiting
    // is refused and leaves it free for the next.
    wNtfySelf = 7;
    EXPECT_TRUE(mngr.RegisterNtfySelf(block(7)));
    EXPECT_EQ(8, wNtfySelf);
    wNtfySelf = 7;
    EXPECT_FALSE(mngr.RegisterNtfySelf(new CSharedMemInitHook(SENDER_CORE)));
    EXPECT_EQ(7, wNtfySelf);
    EXPECT_EQ(1u, mngr.GetNtfyCount());
    EXPECT_TRUE(MappingExists(BlockName(SENDER_CORE, 7))) << "the waiting block stays";
    const std::string strWaiting = "[Core]\t(E)\tCHkGtwyEvtMngr::RegisterNtfy() refused, Seq = 7 is still waiting.\r\n";
    EXPECT_NE(std::string::npos, logged(1).find(strWaiting)) << logged(1);

    // A peer that answers nothing: the blocks waiting stop at the bound.
    for (WORD wSeq = 8; mngr.GetNtfyCount() < CHkGtwyEvtMngr::MAX_NTFY_WAITING; ++wSeq)
        ASSERT_FALSE(mngr.RegisterNtfy(wSeq, new CSharedMemInitHook(SENDER_CORE)));
    const WORD wBeyond = static_cast<WORD>(7 + CHkGtwyEvtMngr::MAX_NTFY_WAITING);
    EXPECT_FALSE(mngr.RegisterNtfy(wBeyond, block(wBeyond)));
    EXPECT_EQ(CHkGtwyEvtMngr::MAX_NTFY_WAITING, mngr.GetNtfyCount());
    EXPECT_FALSE(MappingExists(BlockName(SENDER_CORE, wBeyond))) << "the refused block is freed";
    const std::string strBound = "[Core]\t(E)\tCHkGtwyEvtMngr::RegisterNtfy() refused, Seq = " + std::to_string(wBeyond) +
                                 ", " + std::to_string(CHkGtwyEvtMngr::MAX_NTFY_WAITING) + " blocks waiting.\r\n";
    EXPECT_NE(std::string::npos, logged(2).find(strBound)) << logged(2);

    // An answer makes room again.
    mngr.m_bTrgtReady = 1;
    EXPECT_TRUE(mngr.RemoveNtfy(7));
    EXPECT_FALSE(mngr.RegisterNtfy(wBeyond, block(wBeyond)));
    EXPECT_EQ(CHkGtwyEvtMngr::MAX_NTFY_WAITING, mngr.GetNtfyCount());
    EXPECT_TRUE(MappingExists(BlockName(SENDER_CORE, wBeyond)));
}

TEST(CommonHkGtwyAlive, TheLimitCountsOnlyOnceItHasReallyPassed)
{
    // Limit 1500 ms, steps of 100 ms: two steps and 100 ms early still count.
    EXPECT_FALSE(IsHkGtwyAliveLimitPassed(1000, 1000, 1500, 100)) << "a post right after a ping";
    EXPECT_FALSE(IsHkGtwyAliveLimitPassed(2100, 1000, 1500, 100));
    EXPECT_TRUE(IsHkGtwyAliveLimitPassed(2200, 1000, 1500, 100));
    EXPECT_TRUE(IsHkGtwyAliveLimitPassed(2600, 1000, 1500, 100));
    // The default limit: a post a minute after the last ping is stray.
    EXPECT_FALSE(IsHkGtwyAliveLimitPassed(61000, 1000, 120000, 20));
    EXPECT_TRUE(IsHkGtwyAliveLimitPassed(121000, 1000, 120000, 20));
    // A clock that reads before the ping (never so with one tick count) is no expiry.
    EXPECT_FALSE(IsHkGtwyAliveLimitPassed(500, 1000, 100, 100));
}
