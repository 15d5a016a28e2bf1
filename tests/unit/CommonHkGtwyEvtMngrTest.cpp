// Shared foundation: the gateway event manager tested against itself. Two managers in one process
// play the core program (sender 1) and the gateway (sender 3), each with a hidden window whose
// messages the test handles as the two programs do.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HkGtwyEvtMngr.h"
#include "HookNtfy.h"
#include "Sender.h"
#include "SharedMemCbtHook.h"
#include "SharedMemEndHook.h"
#include "SharedMemInitHook.h"
#include "SharedMemSwtchHook.h"
#include "Strings.h"
#include "ZvMessages.h"

namespace {

// Event and block names of this test process only: unit tests run side by side.
std::wstring TestName(const wchar_t* pszWhat)
{
    return FormatString(L"ZvHkGtwyEvtMngrTest %lu %s", GetCurrentProcessId(), pszWhat);
}

std::wstring BlockName(int nCreator, WORD wSeq)
{
    return FormatString(L"ZvHkGtwyEvtMngrTest %lu block %d %08x", GetCurrentProcessId(), nCreator,
                        static_cast<unsigned>(wSeq));
}

struct RECEIVED {
    WORD wSeq;
    int nKind;
    UINT uMsg;
};

// One program's end of the link.
struct SIDE {
    int nSelf = 0;
    WORD wSeqNtfySelf = 0;
    WORD wSeqRspSelf = 0;
    WORD wSeqNtfyTrgt = 0;
    HWND hWnd = nullptr;
    std::unique_ptr<CHkGtwyEvtMngr> pMngr;
    HKGTWY_THRD_PRM prm;
    HKGTWY_ALV_THRD_PRM alv;
    std::vector<RECEIVED> vecReceived;
    std::vector<WORD> vecAnswered;
    int nAlive = 0;

    explicit SIDE(int nSender, WORD wStart = 0) : nSelf(nSender)
    {
        wSeqNtfySelf = wSeqRspSelf = wSeqNtfyTrgt = wStart;
        hWnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        const bool bCore = nSelf == SENDER_CORE;
        HKGTWY_EVT_MNGR_CFG cfg;
        cfg.nSelf = nSelf;
        cfg.nTrgt = bCore ? SENDER_HOOK : SENDER_CORE;
        cfg.strEvtEvtSelfNm = TestName(bCore ? L"Core Evt" : L"Gateway Evt");
        cfg.strEvtRspSelfNm = TestName(bCore ? L"Core Rsp" : L"Gateway Rsp");
        cfg.strEvtEvtTrgtNm = TestName(bCore ? L"Gateway Evt" : L"Core Evt");
        cfg.strEvtRspTrgtNm = TestName(bCore ? L"Gateway Rsp" : L"Core Rsp");
        cfg.pwSeqNtfySelf = &wSeqNtfySelf;
        cfg.pwSeqRspSelf = &wSeqRspSelf;
        cfg.pwSeqNtfyTrgt = &wSeqNtfyTrgt;
        cfg.strEvtAlvFmt = TestName(L"Alive %d -> %d");
        pMngr = std::make_unique<CHkGtwyEvtMngr>(&cfg);
        prm.hWnd = hWnd;
        prm.uMsgNtfy = MSG_HKGTWY_NTFY_DTCT;
        prm.uMsgRsp = MSG_HKGTWY_RSP_DTCT;
        prm.pwSeqNtfy = &wSeqNtfyTrgt;
        prm.pwSeqRsp = &wSeqRspSelf;
        alv.hWnd = hWnd;
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

    // The block is named with the own-notification word, registered, then counted.
    template <class TBlock, class TRecord>
    BOOL Send(TRecord rec)
    {
        auto* pBlock = new TBlock(nSelf);
        if (!pBlock->Create(BlockName(nSelf, wSeqNtfySelf).c_str(), PAGE_READWRITE, &rec)) {
            delete pBlock;
            return FALSE;
        }
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
            UINT uMsg = 0;
            if (nKind == HOOK_KIND_CBT) {
                HOOK_NTFY_CBT data = {};
                if (static_cast<CSharedMemCbtHook*>(pBlock.get())->GetData(&data))
                    uMsg = data.uMsg;
            }
            vecReceived.push_back({wSeq, nKind, uMsg});
            pBlock.reset();
            pMngr->AnswerNtfyTrgt();
        } else if (msg.message == MSG_HKGTWY_RSP_DTCT) {
            vecAnswered.push_back(wSeq);
            pMngr->ReceiveRsp(wSeq);
        } else if (msg.message == MSG_HKGTWY_ALIVE) {
            ++nAlive;
        }
    }
};

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

bool IsSignalled(const std::wstring& strEvent)
{
    HANDLE h = OpenEventW(SYNCHRONIZE, FALSE, strEvent.c_str());
    const bool bSet = h && WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
    if (h)
        CloseHandle(h);
    return bSet;
}

HANDLE DuplicateThread(HANDLE h)
{
    HANDLE hDup = nullptr;
    DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &hDup, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return hDup;
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

TEST(CommonHkGtwyEvtMngr, BlocksCrossBothWaysInSequenceAndEveryOneIsAnswered)
{
    SIDE core(SENDER_CORE);
    SIDE gtwy(SENDER_HOOK);
    ASSERT_TRUE(core.Start());
    ASSERT_TRUE(gtwy.Start());

    // The gateway is ready from its start and opens with its init block.
    gtwy.pMngr->m_bTrgtReady = 1;
    EXPECT_TRUE(gtwy.Send<CSharedMemInitHook>(HOOK_NTFY{HOOK_KIND_INIT, 0}));
    // The core program queues a switch block meanwhile, unannounced until the init is handled.
    EXPECT_FALSE(core.Send<CSharedMemSwtchHook>(HOOK_NTFY_SWTCH{HOOK_KIND_SWTCH, HOOK_NTFY_SWTCH_CBT, 1}));
    ASSERT_TRUE(PumpUntil(core, gtwy, [&] { return core.wSeqNtfyTrgt == 1; }));
    core.pMngr->m_bTrgtReady = 1;
    EXPECT_TRUE(core.pMngr->NtfyPending());

    const HWND hWndRelay = gtwy.hWnd;
    for (UINT uMsg : {MSG_HOOK_CBT_ACTIVATE, MSG_HOOK_CBT_MINMAX, MSG_HOOK_CBT_WNDCHG})
        gtwy.Send<CSharedMemCbtHook>(MakeHookNtfyCbt(hWndRelay, uMsg, 1, 2));
    core.Send<CSharedMemEndHook>(HOOK_NTFY{HOOK_KIND_END, 0});

    ASSERT_TRUE(PumpUntil(core, gtwy, [&] {
        return core.vecReceived.size() == 4 && gtwy.vecReceived.size() == 2 && core.pMngr->GetNtfyCount() == 0 &&
               gtwy.pMngr->GetNtfyCount() == 0 && core.wSeqRspSelf == 2 && gtwy.wSeqRspSelf == 4;
    })) << core.vecReceived.size() << " " << gtwy.vecReceived.size();

    ASSERT_EQ(4u, core.vecReceived.size());
    const int aKind[] = {HOOK_KIND_INIT, HOOK_KIND_CBT, HOOK_KIND_CBT, HOOK_KIND_CBT};
    const UINT aMsg[] = {0, MSG_HOOK_CBT_ACTIVATE, MSG_HOOK_CBT_MINMAX, MSG_HOOK_CBT_WNDCHG};
    for (WORD i = 0; i < 4; ++i) {
        EXPECT_EQ(i, core.vecReceived[i].wSeq);
        EXPECT_EQ(aKind[i], core.vecReceived[i].nKind);
        EXPECT_EQ(aMsg[i], core.vecReceived[i].uMsg);
    }
    ASSERT_EQ(2u, gtwy.vecReceived.size());
    EXPECT_EQ(0, gtwy.vecReceived[0].wSeq);
    EXPECT_EQ(HOOK_KIND_SWTCH, gtwy.vecReceived[0].nKind);
    EXPECT_EQ(1, gtwy.vecReceived[1].wSeq);
    EXPECT_EQ(HOOK_KIND_END, gtwy.vecReceived[1].nKind);
    // Each answer names the oldest block still waiting.
    EXPECT_EQ((std::vector<WORD>{0, 1}), core.vecAnswered);
    EXPECT_EQ((std::vector<WORD>{0, 1, 2, 3}), gtwy.vecAnswered);
    EXPECT_EQ(2, core.wSeqNtfySelf);
    EXPECT_EQ(4, core.wSeqNtfyTrgt);
    EXPECT_EQ(4, gtwy.wSeqNtfySelf);
    EXPECT_EQ(2, gtwy.wSeqNtfyTrgt);
}

TEST(CommonHkGtwyEvtMngr, SequenceWordsWrapOnSixteenBits)
{
    SIDE core(SENDER_CORE, 65534);
    SIDE gtwy(SENDER_HOOK, 65534);
    ASSERT_TRUE(core.Start());
    ASSERT_TRUE(gtwy.Start());
    core.pMngr->m_bTrgtReady = 1;
    for (int i = 0; i < 4; ++i)
        core.Send<CSharedMemSwtchHook>(HOOK_NTFY_SWTCH{HOOK_KIND_SWTCH, HOOK_NTFY_SWTCH_CBT, i & 1});
    ASSERT_TRUE(PumpUntil(core, gtwy, [&] { return core.wSeqRspSelf == 2 && core.pMngr->GetNtfyCount() == 0; }));
    ASSERT_EQ(4u, gtwy.vecReceived.size());
    const WORD aSeq[] = {65534, 65535, 0, 1};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(aSeq[i], gtwy.vecReceived[i].wSeq);
    EXPECT_EQ((std::vector<WORD>{65534, 65535, 0, 1}), core.vecAnswered);
    EXPECT_EQ(2, core.wSeqNtfySelf);
    EXPECT_EQ(2, gtwy.wSeqNtfyTrgt);
}

TEST(CommonHkGtwyEvtMngr, AlivePingsReachThePeerWindowEachTime)
{
    SIDE core(SENDER_CORE);
    SIDE gtwy(SENDER_HOOK);
    ASSERT_TRUE(core.Start());
    ASSERT_TRUE(gtwy.Start());
    EXPECT_TRUE(core.pMngr->SetEvtNtfyAlv());
    ASSERT_TRUE(PumpUntil(core, gtwy, [&] { return gtwy.nAlive == 1; }));
    EXPECT_TRUE(gtwy.pMngr->SetEvtNtfyAlv());
    ASSERT_TRUE(PumpUntil(core, gtwy, [&] { return core.nAlive == 1; }));
    // The event was reset after the first ping, so the second is a message of its own.
    EXPECT_TRUE(core.pMngr->SetEvtNtfyAlv());
    ASSERT_TRUE(PumpUntil(core, gtwy, [&] { return gtwy.nAlive == 2; }));
    EXPECT_EQ(1, core.nAlive);
}

TEST(CommonHkGtwyEvtMngr, AnnouncesOneBlockAtATime)
{
    WORD wNtfySelf = 0, wRspSelf = 0, wNtfyTrgt = 0;
    HKGTWY_EVT_MNGR_CFG cfg = MakeHkGtwyEvtMngrCfg(SENDER_CORE, &wNtfySelf, &wRspSelf, &wNtfyTrgt);
    cfg.strEvtEvtSelfNm = TestName(L"solo Evt");
    cfg.strEvtRspSelfNm = TestName(L"solo Rsp");
    cfg.strEvtEvtTrgtNm = TestName(L"solo peer Evt");
    cfg.strEvtRspTrgtNm = TestName(L"solo peer Rsp");
    cfg.strEvtAlvFmt = TestName(L"solo Alive %d -> %d");
    CHkGtwyEvtMngr mngr(&cfg);
    auto reset = [&] {
        HANDLE h = OpenEventW(EVENT_MODIFY_STATE, FALSE, cfg.strEvtEvtSelfNm.c_str());
        ResetEvent(h);
        CloseHandle(h);
    };
    auto block = [&](WORD wSeq) {
        auto* p = new CSharedMemInitHook(SENDER_CORE);
        HOOK_NTFY ntfy = {HOOK_KIND_INIT, 0};
        EXPECT_TRUE(p->Create(BlockName(SENDER_CORE, wSeq).c_str(), PAGE_READWRITE, &ntfy));
        return p;
    };

    // Not ready: nothing is announced.
    EXPECT_FALSE(mngr.RegisterNtfy(10, block(10)));
    EXPECT_FALSE(IsSignalled(cfg.strEvtEvtSelfNm));
    mngr.m_bTrgtReady = 1;
    EXPECT_FALSE(mngr.RegisterNtfy(11, block(11)));
    EXPECT_TRUE(mngr.NtfyPending());
    EXPECT_TRUE(IsSignalled(cfg.strEvtEvtSelfNm));
    reset();

    // A second block under a taken number replaces the first, whose mapping goes away.
    mngr.RemoveAllNtfy();
    EXPECT_TRUE(mngr.RegisterNtfy(1, block(1)));
    reset();
    EXPECT_FALSE(mngr.RegisterNtfy(1, block(1 + 0x100)));
    EXPECT_FALSE(IsSignalled(cfg.strEvtEvtSelfNm));
    HANDLE hOld = OpenFileMappingW(FILE_MAP_READ, FALSE, BlockName(SENDER_CORE, 1).c_str());
    EXPECT_EQ(nullptr, hOld);
    if (hOld)
        CloseHandle(hOld);
    EXPECT_EQ(1u, mngr.GetNtfyCount());

    EXPECT_FALSE(mngr.RegisterNtfy(2, block(2)));
    EXPECT_FALSE(mngr.RegisterNtfy(3, block(3)));
    // An answer to a number not waiting frees nothing and still announces what waits.
    EXPECT_TRUE(mngr.RemoveNtfy(9));
    EXPECT_TRUE(IsSignalled(cfg.strEvtEvtSelfNm));
    reset();
    EXPECT_TRUE(mngr.RemoveNtfy(1));
    EXPECT_TRUE(IsSignalled(cfg.strEvtEvtSelfNm));
    reset();
    EXPECT_TRUE(mngr.RemoveNtfy(2));
    reset();
    EXPECT_FALSE(mngr.RemoveNtfy(3));
    EXPECT_FALSE(IsSignalled(cfg.strEvtEvtSelfNm));

    wNtfySelf = 65535;
    EXPECT_EQ(0, mngr.IncSeqNtfySelf());
    EXPECT_EQ(1, mngr.IncSeqRspSelf());
    // The answer counts the peer's block before it tells the peer.
    mngr.AnswerNtfyTrgt();
    EXPECT_EQ(1, wNtfyTrgt);
    EXPECT_TRUE(IsSignalled(cfg.strEvtRspTrgtNm));

    // Ends of threads never started.
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

    // A valid block of kind 7: the kind is told, no object comes back.
    const std::wstring strName = BlockName(SENDER_HOOK, 7);
    HANDLE hMap = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 29, strName.c_str());
    ASSERT_NE(nullptr, hMap);
    auto* pb = static_cast<BYTE*>(MapViewOfFile(hMap, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(nullptr, pb);
    const int nLen = 28, nSeven = 7;
    memcpy(pb, &nLen, 4);
    memcpy(pb + 4, HOOK_BLOCK_TAG, 16);
    memcpy(pb + 20, &nSeven, 4);
    pb[28] = GetXorSum(pb, 27);
    EXPECT_EQ(nullptr, core.pMngr->OpenNtfySharedMem(strName.c_str(), &nKind));
    EXPECT_EQ(7, nKind);
    // The same block spoilt: not opened, kind untouched.
    pb[21] ^= 0x40;
    nKind = -1;
    EXPECT_EQ(nullptr, core.pMngr->OpenNtfySharedMem(strName.c_str(), &nKind));
    EXPECT_EQ(-1, nKind);
    UnmapViewOfFile(pb);
    CloseHandle(hMap);
}

TEST(CommonHkGtwyEvtMngr, IdleThreadsBlockInsteadOfPolling)
{
    SIDE core(SENDER_CORE);
    ASSERT_TRUE(core.Start());
    const CHkGtwyEvtMngr::THREAD_KIND aKind[] = {CHkGtwyEvtMngr::THREAD_KIND::Ntfy, CHkGtwyEvtMngr::THREAD_KIND::Rsp,
                                                 CHkGtwyEvtMngr::THREAD_KIND::Alv};
    Sleep(100);
    ULONGLONG ullBefore = 0;
    for (auto kind : aKind)
        ullBefore += ThreadCpu100ns(core.pMngr->GetThreadHandle(kind));
    Sleep(1000);
    ULONGLONG ullAfter = 0;
    for (auto kind : aKind)
        ullAfter += ThreadCpu100ns(core.pMngr->GetThreadHandle(kind));
    EXPECT_LT(ullAfter - ullBefore, 100000ull) << "more than 10 ms of CPU in one idle second";

    // The measure itself works: a busy thread shows its time.
    volatile bool bStop = false;
    auto spin = [](void* pv) -> DWORD {
        while (!*static_cast<volatile bool*>(pv)) {
        }
        return 0;
    };
    HANDLE hSpin = CreateThread(nullptr, 0, spin, const_cast<bool*>(&bStop), 0, nullptr);
    ASSERT_NE(nullptr, hSpin);
    Sleep(300);
    const ULONGLONG ullSpin = ThreadCpu100ns(hSpin);
    bStop = true;
    WaitForSingleObject(hSpin, 5000);
    CloseHandle(hSpin);
    EXPECT_GT(ullSpin, 500000ull);
}

TEST(CommonHkGtwyEvtMngr, EndJoinsThreadsAndALateThreadKeepsItsOwnHandles)
{
    const DWORD dwHandlesBefore = [] {
        DWORD n = 0;
        GetProcessHandleCount(GetCurrentProcess(), &n);
        return n;
    }();
    {
        SIDE core(SENDER_CORE);
        ASSERT_TRUE(core.Start());
        HANDLE hRsp = DuplicateThread(core.pMngr->GetThreadHandle(CHkGtwyEvtMngr::THREAD_KIND::Rsp));
        HANDLE hNtfy = DuplicateThread(core.pMngr->GetThreadHandle(CHkGtwyEvtMngr::THREAD_KIND::Ntfy));
        ASSERT_NE(nullptr, hRsp);
        ASSERT_NE(nullptr, hNtfy);
        EXPECT_TRUE(core.pMngr->EndAsyncWtRspTrgt());
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hRsp, 0)) << "ended and joined";
        EXPECT_EQ(nullptr, core.pMngr->GetThreadHandle(CHkGtwyEvtMngr::THREAD_KIND::Rsp));

        // A thread that cannot end in time: the end gives up, the thread later ends on its own
        // handles, posts nothing and reads no word.
        core.pMngr->SetThreadEndWait(200);
        ASSERT_NE(static_cast<DWORD>(-1), SuspendThread(hNtfy));
        EXPECT_FALSE(core.pMngr->EndAsyncWtNtfyTrgt());
        HANDLE hPeerNtfy = OpenEventW(EVENT_MODIFY_STATE, FALSE, TestName(L"Gateway Evt").c_str());
        ASSERT_NE(nullptr, hPeerNtfy);
        SetEvent(hPeerNtfy);
        core.pMngr.reset();
        ResumeThread(hNtfy);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hNtfy, 5000));
        MSG msg;
        EXPECT_FALSE(PeekMessageW(&msg, core.hWnd, MSG_HKGTWY_NTFY_DTCT, MSG_HKGTWY_NTFY_DTCT, PM_REMOVE));
        CloseHandle(hPeerNtfy);
        CloseHandle(hRsp);
        CloseHandle(hNtfy);
    }
    DWORD dwHandlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &dwHandlesAfter);
    EXPECT_LE(dwHandlesAfter, dwHandlesBefore);
}
