// Shared foundation: the log line, the level threshold, the queue of the log manager under several
// threads, and the manager's side of the viewer protocol against a viewer played by the test.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "Handle.h"
#include "LogManager.h"
#include "LoggedSingleLock.h"
#include "Sender.h"
#include "SharedMemLog.h"
#include "SharedMemLogHwnd.h"
#include "Strings.h"
#include "Thread.h"
#include "ZvMessages.h"

namespace {

// Every test that makes blocks uses its own sender, so that parallel test processes never
// meet on a block name.
constexpr int kSenderQueue = 71, kSenderThreads = 72, kSenderUnresumed = 73, kSenderProtocol = 74;
constexpr int kSenderEndRace = 75, kSenderLock = 76, kSenderTaken = 77, kSenderServe = 78;
constexpr int kSenderFull = 79, kSenderHeld = 80;

CMDLINE_OPTION_SET LogWindowOptions(int nLevel)
{
    CMDLINE_OPTION_SET opt;
    opt.bLogWindow = 1;
    opt.nLogLevel = nLevel;
    return opt;
}

// The text of a queued line: the manager keeps it as text until its output thread makes the block.
std::string QueuedText(int nSender, int nSeq)
{
    std::string strText;
    if (CLogManager* pManager = GetLogManager(); pManager && pManager->GetSender() == nSender &&
                                                 pManager->GetQueuedText(nSeq, strText))
        return strText;
    CSharedMemLog block(SENDER_LOG);
    if (!block.Open(MakeLogBlockName(nSender, nSeq).c_str(), FALSE, FILE_MAP_READ))
        return "<no block>";
    return block.GetText();
}

std::string Utf8(const std::wstring& str)
{
    return LogLineToUtf8(str, static_cast<size_t>(-1));
}

// Dispatches this thread's messages until pred holds; false after dwTimeout.
template <class PRED>
bool PumpUntil(PRED pred, DWORD dwTimeout)
{
    const ULONGLONG ullEnd = GetTickCount64() + dwTimeout;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        if (pred())
            return true;
        if (GetTickCount64() >= ullEnd)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

using THREADS = std::vector<std::unique_ptr<CWorkerThread>>;
template <class FN>
THREADS StartThreads(int nThreads, FN fn)
{
    THREADS threads;
    for (int t = 0; t < nThreads; ++t) {
        threads.push_back(std::make_unique<CWorkerThread>());
        threads.back()->Start([fn, t] { return fn(t); });
    }
    return threads;
}

// Ends logging whatever a test left behind.
struct LogGuard {
    ~LogGuard() { EndLog(); }
};

} // namespace

TEST(CommonLogLine, LevelLettersAndThreshold)
{
    std::wstring strLetters;
    for (int nLevel = -1; nLevel <= 5; ++nLevel)
        strLetters += GetLogLevelLetter(nLevel);
    EXPECT_EQ(strLetters, L"?ADIEN?");
    // Default threshold INFO: DEBUG dropped, INFO and ERROR kept.
    EXPECT_FALSE(IsLogLevelKept(LOG_LEVEL_DEBUG, LOG_LEVEL_INFO));
    EXPECT_TRUE(IsLogLevelKept(LOG_LEVEL_INFO, LOG_LEVEL_INFO));
    EXPECT_TRUE(IsLogLevelKept(LOG_LEVEL_ERROR, LOG_LEVEL_INFO));
    EXPECT_FALSE(IsLogLevelKept(LOG_LEVEL_ALL, LOG_LEVEL_DEBUG));
}

TEST(CommonLogLine, PrefixHasDateTimeMillisecondsSenderAndLevel)
{
    SYSTEMTIME st = {2024, 3, 0, 7, 4, 5, 6, 8};
    EXPECT_EQ(FormatLogPrefix(st, SENDER_HOOK, LOG_LEVEL_DEBUG), L"2024/03/07\t04:05:06.008\t[Hook]\t(D)\t");
    st.wHour = 23;
    st.wMilliseconds = 999;
    EXPECT_EQ(FormatLogPrefix(st, SENDER_LOG, LOG_LEVEL_ERROR), L"2024/03/07\t23:05:06.999\t[Log ]\t(E)\t");
    // A sender outside the table gets a mark instead of a stray read.
    EXPECT_EQ(FormatLogPrefix(st, 9, LOG_LEVEL_INFO), L"2024/03/07\t23:05:06.999\t[????]\t(I)\t");
}

TEST(CommonLogLine, SequenceSkipsZeroAndKeepsItsOrderAcrossTheWrap)
{
    EXPECT_EQ(NextLogSeq(0), 1);
    EXPECT_EQ(NextLogSeq(-1), 1);
    EXPECT_EQ(NextLogSeq(-2), -1);
    EXPECT_EQ(NextLogSeq(INT_MAX), INT_MIN);
    EXPECT_TRUE(IsLogSeqAfter(2, 1));
    EXPECT_FALSE(IsLogSeqAfter(1, 2));
    EXPECT_FALSE(IsLogSeqAfter(5, 5));
    EXPECT_TRUE(IsLogSeqAfter(NextLogSeq(-1), -1));
    EXPECT_TRUE(IsLogSeqAfter(INT_MIN, INT_MAX));
    EXPECT_FALSE(IsLogSeqAfter(INT_MAX, INT_MIN));
}

TEST(CommonLogLine, Utf8KeepsJapaneseAndCutsOnlyBetweenCharacters)
{
    const std::wstring str = L"開始 a";
    EXPECT_EQ(Utf8(str), "\xE9\x96\x8B\xE5\xA7\x8B a");
    EXPECT_EQ(LogLineToUtf8(str, 8), "\xE9\x96\x8B\xE5\xA7\x8B a");
    EXPECT_EQ(LogLineToUtf8(str, 5), "\xE9\x96\x8B");
    EXPECT_EQ(LogLineToUtf8(str, 2), "");
    EXPECT_EQ(LogLineToUtf8(L"", 10), "");
}

TEST(CommonLogManager, NoManagerWithoutLogFileOrLogWindow)
{
    LogGuard guard;
    CMDLINE_OPTION_SET opt;
    EXPECT_EQ(CreateLogManager(opt, kSenderQueue), nullptr);
    EXPECT_EQ(GetLogManager(), nullptr);
    OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"nowhere %d\r\n", 1);
    EndLog();
    EXPECT_EQ(GetLogManager(), nullptr);

    opt.pszLogFile = L"ZvLogTest.log";
    EXPECT_NE(CreateLogManager(opt, kSenderQueue), nullptr);
}

TEST(CommonLogManager, LinesAtOrAboveThresholdAreQueuedInOrder)
{
    LogGuard guard;
    CLogManager* pManager = CreateLogManager(LogWindowOptions(LOG_LEVEL_DEBUG), kSenderQueue);
    ASSERT_NE(pManager, nullptr);
    EXPECT_EQ(CreateLogManager(LogWindowOptions(LOG_LEVEL_ERROR), kSenderQueue), pManager);

    OutputLog(LOG_LEVEL_ALL, SENDER_HOOK, L"dropped\r\n");
    OutputLog(LOG_LEVEL_DEBUG, SENDER_HOOK, L"debug %d %s\r\n", 1, L"日本語");
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"info\r\n");
    OutputLog(LOG_LEVEL_ERROR, SENDER_PROP, L"%s", L"no line end");
    EXPECT_EQ(pManager->GetQueuedSeqs(), (std::list<int>{1, 2, 3}));

    const std::regex rePrefix(R"(^\d{4}/\d{2}/\d{2}\t\d{2}:\d{2}:\d{2}\.\d{3}\t)");
    EXPECT_TRUE(std::regex_search(QueuedText(kSenderQueue, 1), rePrefix)) << QueuedText(kSenderQueue, 1);
    EXPECT_EQ(QueuedText(kSenderQueue, 1).substr(24), "[Hook]\t(D)\tdebug 1 " + Utf8(L"日本語") + "\r\n");
    EXPECT_EQ(QueuedText(kSenderQueue, 2).substr(24), "[Core]\t(I)\tinfo\r\n");
    EXPECT_EQ(QueuedText(kSenderQueue, 3).substr(24), "[Prop]\t(E)\tno line end");

    EndLog();
    EXPECT_EQ(GetLogManager(), nullptr);
    // The blocks went with the manager.
    EXPECT_EQ(QueuedText(kSenderQueue, 1), "<no block>");
    OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"after the end\r\n");

    // A new manager counts from 1 again.
    pManager = CreateLogManager(LogWindowOptions(LOG_LEVEL_INFO), kSenderQueue);
    ASSERT_NE(pManager, nullptr);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"below INFO\r\n");
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"again\r\n");
    EXPECT_EQ(pManager->GetQueuedSeqs(), (std::list<int>{1}));
}

TEST(CommonLogManager, QueueStaysWholeUnderSeveralThreads)
{
    LogGuard guard;
    CLogManager* pManager = CreateLogManager(LogWindowOptions(LOG_LEVEL_DEBUG), kSenderThreads);
    ASSERT_NE(pManager, nullptr);
    constexpr int kThreads = 8, kLines = 40;
    THREADS threads = StartThreads(kThreads, [](int t) {
        for (int i = 0; i < kLines; ++i)
            OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"thread %d line %d\r\n", t, i);
        return 0UL;
    });
    for (auto& pThread : threads)
        ASSERT_TRUE(pThread->Wait(30000));

    // Every line once, sequences 1..n in queue order, each thread's lines in its own order.
    const std::list<int> lstSeq = pManager->GetQueuedSeqs();
    ASSERT_EQ(lstSeq.size(), static_cast<size_t>(kThreads * kLines));
    int nExpected = 1;
    for (int nSeq : lstSeq)
        EXPECT_EQ(nSeq, nExpected++);
    std::map<int, int> mapNext;
    const std::regex reLine(R"(\[Core\]\t\(I\)\tthread (\d+) line (\d+)\r\n$)");
    for (int nSeq : lstSeq) {
        const std::string str = QueuedText(kSenderThreads, nSeq);
        std::smatch m;
        ASSERT_TRUE(std::regex_search(str, m, reLine)) << str;
        const int t = std::stoi(m[1]);
        EXPECT_EQ(std::stoi(m[2]), mapNext[t]++) << str;
    }
    EXPECT_EQ(mapNext.size(), static_cast<size_t>(kThreads));
}

TEST(CommonLogManager, EndWhileOtherThreadsLogIsSafe)
{
    LogGuard guard;
    ASSERT_NE(CreateLogManager(LogWindowOptions(LOG_LEVEL_DEBUG), kSenderEndRace), nullptr);
    std::atomic<bool> bStop{false};
    std::atomic<int> nCalls{0};
    THREADS threads = StartThreads(4, [&](int) {
        while (!bStop) {
            OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"racing %d\r\n", nCalls.fetch_add(1));
            Sleep(0);
        }
        return 0UL;
    });
    EXPECT_TRUE(PumpUntil([&] { return nCalls >= 50; }, 10000));
    EndLog();
    EXPECT_EQ(GetLogManager(), nullptr);
    const int nAtEnd = nCalls;
    EXPECT_TRUE(PumpUntil([&] { return nCalls >= nAtEnd + 50; }, 10000));
    bStop = true;
    for (auto& pThread : threads)
        ASSERT_TRUE(pThread->Wait(10000));
}

TEST(CommonLogManager, LineWhoseBlockNameIsTakenIsDroppedWithoutStallingTheOthers)
{
    LogGuard guard;
    CLogManager* pManager = CreateLogManager(LogWindowOptions(LOG_LEVEL_INFO), kSenderTaken);
    ASSERT_NE(pManager, nullptr);
    // Another program of the same sender still holds the name of sequence 1.
    CSharedMemLog holder(SENDER_LOG);
    DWORD dwTextSize = 1;
    ASSERT_TRUE(holder.Create(MakeLogBlockName(kSenderTaken, 1).c_str(), PAGE_READWRITE, &dwTextSize));

    const ULONGLONG ullStart = GetTickCount64();
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"taken\r\n");
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"next\r\n");
    EXPECT_LT(GetTickCount64() - ullStart, static_cast<ULONGLONG>(CSharedMemLog::LINE_CREATE_RETRY_MS));
    EXPECT_EQ(pManager->GetQueuedSeqs(), (std::list<int>{1, 2}));

    // The output thread makes the blocks: the taken name loses its line, the next one is made.
    // Without a viewer's window each block is freed once made, so the made block is watched for.
    std::atomic<bool> bSeen{false}, bStop{false};
    CWorkerThread watcher;
    watcher.Start([&] {
        while (!bStop && !bSeen) {
            CSharedMemLog block(SENDER_LOG);
            bSeen = block.Open(MakeLogBlockName(kSenderTaken, 2).c_str(), FALSE, FILE_MAP_READ) &&
                    block.GetText().find("\tnext\r\n") != std::string::npos;
        }
        return 0UL;
    });
    ASSERT_TRUE(pManager->CreateLogOut());
    pManager->ResumeLogOut();
    EXPECT_TRUE(PumpUntil([&] { return pManager->GetQueueLength() == 0; }, 5000));
    PumpUntil([&] { return bSeen.load(); }, 2000);
    bStop = true;
    ASSERT_TRUE(watcher.Wait(5000));
    EXPECT_EQ(holder.GetText(), "");
}

TEST(CommonLogManager, ManagerWithUnresumedOutputThreadEnds)
{
    auto* pManager = new CLogManager(LogWindowOptions(LOG_LEVEL_INFO), kSenderUnresumed);
    ASSERT_TRUE(pManager->CreateLogOut());
    EXPECT_FALSE(pManager->IsLogOut());
    CWorkerThread deleter;
    deleter.Start([pManager] {
        delete pManager;
        return 0UL;
    });
    EXPECT_TRUE(deleter.Wait(5000));
}

TEST(CommonLogManager, BlockIsMarkedPostedBeforeTheViewerHearsOfIt)
{
    const std::wstring strName = MakeLogBlockName(kSenderServe, 1);
    CSharedMemLog block(kSenderServe);
    DWORD dwTextSize = 5;
    ASSERT_TRUE(block.Create(strName.c_str(), PAGE_READWRITE, &dwTextSize));
    ASSERT_TRUE(block.SetSender(kSenderServe) && block.SetSeq(1) && block.SetText("line"));
    // The viewer reads under a mutex of its own: whatever it finds when told is what it checks.
    CSharedMemLog viewer(SENDER_LOG);
    ASSERT_TRUE(viewer.Open(strName.c_str(), FALSE, FILE_MAP_ALL_ACCESS));
    std::vector<int> vecPostedWhenTold;
    BOOL bPostWorks = FALSE;
    const auto post = [&](int nSender, int nSeq) {
        EXPECT_EQ(nSender, kSenderServe);
        EXPECT_EQ(nSeq, 1);
        EXPECT_TRUE(viewer.IsValid());
        vecPostedWhenTold.push_back(viewer.GetPosted());
        return bPostWorks;
    };

    // A post that fails leaves the block unposted, to be posted on the next visit.
    EXPECT_FALSE(CLogManager::ServeLogBlock(block, post));
    EXPECT_EQ(block.GetPosted(), 0);
    bPostWorks = TRUE;
    EXPECT_FALSE(CLogManager::ServeLogBlock(block, post));
    EXPECT_EQ(vecPostedWhenTold, (std::vector<int>{1, 1}));
    EXPECT_EQ(block.GetPosted(), 1);

    // Posted again after every tenth visit without an answer, and marked before that post too.
    for (int i = 0; i < CLogManager::REPOST_EVERY; ++i)
        EXPECT_FALSE(CLogManager::ServeLogBlock(block, post));
    EXPECT_EQ(vecPostedWhenTold.size(), 2u);
    EXPECT_FALSE(CLogManager::ServeLogBlock(block, post));
    EXPECT_EQ(vecPostedWhenTold, (std::vector<int>{1, 1, 1}));

    ASSERT_TRUE(viewer.SetDone(1));
    EXPECT_TRUE(CLogManager::ServeLogBlock(block, post));
    EXPECT_EQ(vecPostedWhenTold.size(), 3u);
}

TEST(CommonLogManager, FailedLoggedLockLeavesAnErrorLine)
{
    LogGuard guard;
    CLogManager* pManager = CreateLogManager(LogWindowOptions(LOG_LEVEL_INFO), kSenderLock);
    ASSERT_NE(pManager, nullptr);
    CMutex mutex;
    CEvent evtTaken(FALSE, TRUE), evtRelease(FALSE, TRUE);
    CWorkerThread holder;
    holder.Start([&] {
        CSingleLock lock(&mutex, TRUE);
        evtTaken.SetEvent();
        WaitForSingleObject(evtRelease.GetHandle(), 10000);
        return 0UL;
    });
    ASSERT_EQ(WaitForSingleObject(evtTaken.GetHandle(), 5000), static_cast<DWORD>(WAIT_OBJECT_0));

    CLoggedSingleLock lockRes(SENDER_HOOK, &mutex);
    EXPECT_FALSE(lockRes.Lock(L"..\\ZvCommon\\SharedMemHook", 123, 50));
    EXPECT_FALSE(lockRes.IsLocked());
    EXPECT_EQ(lockRes.GetLastWaitResult(), static_cast<DWORD>(WAIT_TIMEOUT));
    ASSERT_EQ(pManager->GetQueuedSeqs(), (std::list<int>{1}));
    const std::string strLine = QueuedText(kSenderLock, 1);
    EXPECT_NE(strLine.find("[Hook]\t(E)\t"), std::string::npos) << strLine;
    EXPECT_NE(strLine.find("..\\ZvCommon\\SharedMemHook(123)"), std::string::npos) << strLine;

    evtRelease.SetEvent();
    ASSERT_TRUE(holder.Wait(5000));
    EXPECT_TRUE(lockRes.Lock(L"test", __LINE__, 1000));
    EXPECT_TRUE(lockRes.Unlock());
    EXPECT_EQ(pManager->GetQueueLength(), 1u);
}

// ---- The manager against a viewer played by the test ---------------------------------------

namespace {

struct FAKE_VIEWER {
    HWND hWnd = nullptr, hWndOwner = nullptr;
    std::vector<std::string> lstLine;  // lines taken, in order
    std::map<int, int> mapPosts;       // MSG_LOG_OUT per sequence
    int nIgnoreSeq = 0;                // this sequence is never taken
    bool bTakeNothing = false;
    std::vector<HWND> lstAttach, lstDetach;
    // The owner's side.
    std::vector<WPARAM> lstDetect;
    int nOwnerLogEnd = 0;
};
FAKE_VIEWER g_fake;

LRESULT CALLBACK FakeViewerProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    const bool bViewer = hWnd == g_fake.hWnd, bOwner = hWnd == g_fake.hWndOwner;
    if (bViewer && uMsg == MSG_LOG_OUT) {
        const int nSeq = static_cast<int>(lParam);
        ++g_fake.mapPosts[nSeq];
        CSharedMemLog block(SENDER_LOG);
        if (!g_fake.bTakeNothing && nSeq != g_fake.nIgnoreSeq &&
            block.Open(MakeLogBlockName(static_cast<int>(wParam), nSeq).c_str(), FALSE, FILE_MAP_ALL_ACCESS) &&
            !block.GetDone()) {
            g_fake.lstLine.push_back(block.GetText());
            block.SetDone(1);
        }
    } else if (bViewer && uMsg == MSG_LOG_ATTACH) {
        g_fake.lstAttach.push_back(reinterpret_cast<HWND>(wParam));
    } else if (bViewer && uMsg == MSG_LOG_END) {
        g_fake.lstDetach.push_back(reinterpret_cast<HWND>(wParam));
    } else if (bOwner && uMsg == MSG_LOG_WND_DTCT) {
        g_fake.lstDetect.push_back(wParam);
    } else if (bOwner && uMsg == MSG_LOG_END) {
        ++g_fake.nOwnerLogEnd;
    } else {
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
    return 0;
}

HWND MakeWindow()
{
    static const ATOM atom = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = FakeViewerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ZvLogManagerTestWnd";
        return RegisterClassW(&wc);
    }();
    if (!atom)
        return nullptr;
    return CreateWindowExW(0, L"ZvLogManagerTestWnd", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// The viewer's presence: its handle mutex, its handle block and its alive event.
struct FAKE_PRESENCE {
    CMutex mtxHandle{FALSE, LOG_WND_HANDLE_MUTEX_NAME};
    CEvent evtAlive{FALSE, TRUE, LOG_WND_ALIVE_EVENT_NAME};
    CSharedMemLogHwnd block{SENDER_LOG};

    bool Start(HWND hWnd)
    {
        return mtxHandle.GetHandle() && block.Create(LOG_HWND_BLOCK_NAME, PAGE_READWRITE, nullptr) &&
               block.SetHwnd(hWnd) && evtAlive.SetEvent();
    }
};

// The viewer's objects have the system's names: one test process at a time plays the viewer.
struct FAKE_VIEWER_TURN {
    CHandle hMutex{CreateMutexW(nullptr, FALSE, L"ZvCommonLogManagerTest fake viewer")};
    FAKE_VIEWER_TURN() { EXPECT_EQ(WaitForSingleObject(hMutex.get(), 60000), static_cast<DWORD>(WAIT_OBJECT_0)); }
    ~FAKE_VIEWER_TURN() { ReleaseMutex(hMutex.get()); }
};

// Owner window, manager connected to the fake viewer, attached, delivering.
void ConnectToFakeViewer(CMDLINE_OPTION_SET& opt)
{
    const size_t nDetectBefore = g_fake.lstDetect.size();
    const size_t nAttachBefore = g_fake.lstAttach.size();
    ConnectLogWindow(g_fake.hWndOwner);
    ASSERT_NE(GetLogManager(), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return g_fake.lstDetect.size() > nDetectBefore; }, 15000));
    EXPECT_EQ(g_fake.lstDetect.back(), reinterpret_cast<WPARAM>(g_fake.hWnd));
    EXPECT_EQ(CLogManager::GetLogWnd(), g_fake.hWnd);
    OpenLogWindow(opt, g_fake.hWndOwner, kSenderProtocol);
    ASSERT_TRUE(PumpUntil([&] { return g_fake.lstAttach.size() > nAttachBefore; }, 5000));
    EXPECT_EQ(g_fake.lstAttach.back(), g_fake.hWndOwner);
}

// One test's fake viewer: its turn, its window and the owner's, its presence. The end ends logging
// and takes them down.
struct FAKE_VIEWER_SCENE {
    FAKE_VIEWER_TURN turn;
    LogGuard guard;
    std::unique_ptr<FAKE_PRESENCE> pPresence;

    bool Start()
    {
        g_fake = FAKE_VIEWER();
        g_fake.hWnd = MakeWindow();
        g_fake.hWndOwner = MakeWindow();
        pPresence = std::make_unique<FAKE_PRESENCE>();
        return g_fake.hWnd && g_fake.hWndOwner && pPresence->Start(g_fake.hWnd);
    }
    ~FAKE_VIEWER_SCENE()
    {
        EndLog();
        pPresence.reset();
        DestroyWindow(g_fake.hWnd);
        DestroyWindow(g_fake.hWndOwner);
    }
};

} // namespace

TEST(CommonLogManager, DeliversToViewerAndEndsWhenViewerStopsOrDies)
{
    FAKE_VIEWER_TURN turn;
    LogGuard guard;
    g_fake = FAKE_VIEWER();
    g_fake.hWnd = MakeWindow();
    g_fake.hWndOwner = MakeWindow();
    ASSERT_NE(g_fake.hWnd, nullptr);
    ASSERT_NE(g_fake.hWndOwner, nullptr);
    auto pPresence = std::make_unique<FAKE_PRESENCE>();
    ASSERT_TRUE(pPresence->Start(g_fake.hWnd));

    CMDLINE_OPTION_SET opt = LogWindowOptions(LOG_LEVEL_DEBUG);
    ASSERT_NE(CreateLogManager(opt, kSenderProtocol), nullptr);
    // Lines before the viewer answers wait in the queue and come first, in order.
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"early 1\r\n");
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"early 2\r\n");
    ConnectToFakeViewer(opt);
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"early 3\r\n");
    EXPECT_TRUE(g_fake.lstLine.empty());
    StartLogOutput();
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"late %s\r\n", L"ログ");
    ASSERT_TRUE(PumpUntil([] { return g_fake.lstLine.size() >= 4; }, 10000));
    ASSERT_EQ(g_fake.lstLine.size(), 4u);
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(g_fake.lstLine[i].find("\tearly " + std::to_string(i + 1) + "\r\n"), std::string::npos);
    EXPECT_NE(g_fake.lstLine[3].find("(D)\tlate " + Utf8(L"ログ") + "\r\n"), std::string::npos);
    CLogManager* pManager = GetLogManager();
    ASSERT_NE(pManager, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return pManager->GetQueueLength() == 0; }, 5000));

    // A block never taken: posted again every tenth pass, dropped after its 100th retry.
    g_fake.nIgnoreSeq = 5;
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"never taken\r\n");
    // The last post may still be on its way to the viewer when the queue has let the line go.
    EXPECT_TRUE(PumpUntil([&] { return pManager->GetQueueLength() == 0 && g_fake.mapPosts[5] >= 11; }, 30000));
    EXPECT_EQ(g_fake.mapPosts[5], 11);
    EXPECT_EQ(g_fake.lstLine.size(), 4u);

    // A viewer that stops taking lines and is no longer alive: the end does not wait for it.
    g_fake.bTakeNothing = true;
    for (int i = 0; i < 5; ++i)
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"untaken %d\r\n", i);
    pPresence->evtAlive.ResetEvent();
    ULONGLONG ullStart = GetTickCount64();
    EndLog();
    EXPECT_LT(GetTickCount64() - ullStart, 3000u);
    EXPECT_EQ(GetLogManager(), nullptr);
    ASSERT_EQ(g_fake.lstDetach.size(), 1u);
    EXPECT_EQ(g_fake.lstDetach[0], g_fake.hWndOwner);

    // A viewer that dies while lines flow: the owner is told to end logging, once.
    g_fake.bTakeNothing = false;
    pPresence->evtAlive.SetEvent();
    ASSERT_NE(CreateLogManager(opt, kSenderProtocol), nullptr);
    pManager = GetLogManager();
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"second run\r\n");
    EXPECT_EQ(pManager->GetQueuedSeqs(), (std::list<int>{1}));
    ConnectToFakeViewer(opt);
    StartLogOutput();
    ASSERT_TRUE(PumpUntil([] { return g_fake.lstLine.size() >= 5; }, 10000));
    DestroyWindow(g_fake.hWnd);
    for (int i = 0; i < 3; ++i)
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"after death %d\r\n", i);
    ASSERT_TRUE(PumpUntil([] { return g_fake.nOwnerLogEnd > 0; }, 5000));
    EXPECT_TRUE(PumpUntil([&] { return pManager->GetQueueLength() == 0; }, 5000));
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(g_fake.nOwnerLogEnd, 1);
    ullStart = GetTickCount64();
    EndLog();
    EXPECT_LT(GetTickCount64() - ullStart, 3000u);
    EXPECT_EQ(g_fake.lstDetach.size(), 1u);

    pPresence.reset();
    DestroyWindow(g_fake.hWndOwner);
}

TEST(CommonLogManager, FullQueueDropsLinesAndCountsThemOnceThereIsRoom)
{
    FAKE_VIEWER_SCENE scene;
    ASSERT_TRUE(scene.Start());

    // A viewer slow to answer while the program logs on: the queue stops at its bound.
    CMDLINE_OPTION_SET opt = LogWindowOptions(LOG_LEVEL_INFO);
    CLogManager* pManager = CreateLogManager(opt, SENDER_HOOK);
    ASSERT_NE(pManager, nullptr);
    constexpr int kMax = static_cast<int>(CLogManager::MAX_QUEUED_LINES);
    for (int i = 0; i < kMax + 7; ++i)
        OutputLog(LOG_LEVEL_INFO, SENDER_HOOK, L"waiting %d\r\n", i);
    EXPECT_EQ(pManager->GetQueueLength(), CLogManager::MAX_QUEUED_LINES);
    EXPECT_EQ(pManager->GetQueuedSeqs().back(), kMax);

    ConnectToFakeViewer(opt);
    StartLogOutput();
    ASSERT_TRUE(PumpUntil([&] { return pManager->GetQueueLength() == 0; }, 60000)) << g_fake.lstLine.size();
    OutputLog(LOG_LEVEL_INFO, SENDER_HOOK, L"room again\r\n");
    OutputLog(LOG_LEVEL_INFO, SENDER_HOOK, L"and on\r\n");
    ASSERT_TRUE(PumpUntil([] { return g_fake.lstLine.size() >= static_cast<size_t>(kMax + 3); }, 10000));
    EXPECT_EQ(g_fake.lstLine.size(), static_cast<size_t>(kMax + 3));
    for (int i : {0, kMax - 1})
        EXPECT_NE(g_fake.lstLine[i].find("\twaiting " + std::to_string(i) + "\r\n"), std::string::npos);
    EXPECT_EQ(g_fake.lstLine[kMax].substr(24), "[Hook]\t(E)\tCLogManager::AddLog() queue full, 7 lines dropped.\r\n");
    EXPECT_EQ(g_fake.lstLine[kMax + 1].substr(24), "[Hook]\t(I)\troom again\r\n");
    EXPECT_EQ(g_fake.lstLine[kMax + 2].substr(24), "[Hook]\t(I)\tand on\r\n");
}

TEST(CommonLogManager, ALineReturnsAtOnceWhileAnotherProgramHoldsTheOutputMutex)
{
    FAKE_VIEWER_SCENE scene;
    ASSERT_TRUE(scene.Start());
    CMDLINE_OPTION_SET opt = LogWindowOptions(LOG_LEVEL_INFO);
    CLogManager* pManager = CreateLogManager(opt, kSenderHeld);
    ASSERT_NE(pManager, nullptr);
    ConnectToFakeViewer(opt);
    StartLogOutput();
    ASSERT_TRUE(pManager->IsLogOut());

    // The output mutex is shared by every program of the user: one of them holds it.
    CEvent evtTaken(FALSE, TRUE), evtRelease(FALSE, TRUE);
    CWorkerThread holder;
    holder.Start([&] {
        const CHandle hMutex(CreateMutexW(nullptr, TRUE, LOG_OUT_MUTEX_NAME));
        WaitForSingleObject(hMutex.get(), INFINITE);
        evtTaken.SetEvent();
        WaitForSingleObject(evtRelease.GetHandle(), 20000);
        ReleaseMutex(hMutex.get());
        ReleaseMutex(hMutex.get());
        return 0UL;
    });
    ASSERT_EQ(WaitForSingleObject(evtTaken.GetHandle(), 5000), static_cast<DWORD>(WAIT_OBJECT_0));

    constexpr int kLines = 20;
    ULONGLONG ullSlowest = 0;
    for (int i = 0; i < kLines; ++i) {
        const ULONGLONG ullStart = GetTickCount64();
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"held %d\r\n", i);
        ullSlowest = std::max(ullSlowest, GetTickCount64() - ullStart);
    }
    EXPECT_LT(ullSlowest, 20u) << "a line waited for the output mutex";
    PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(g_fake.lstLine.empty()) << "delivered while the mutex was held";
    EXPECT_EQ(pManager->GetQueueLength(), static_cast<size_t>(kLines));

    // Released: every line reaches the viewer, in order.
    evtRelease.SetEvent();
    ASSERT_TRUE(holder.Wait(5000));
    ASSERT_TRUE(PumpUntil([] { return g_fake.lstLine.size() >= static_cast<size_t>(kLines); }, 10000))
        << g_fake.lstLine.size();
    for (int i = 0; i < kLines; ++i)
        EXPECT_NE(g_fake.lstLine[i].find("\theld " + std::to_string(i) + "\r\n"), std::string::npos) << g_fake.lstLine[i];
}
