// Shared foundation: a program's side of the log viewer handshake. No viewer runs here: the log
// manager is made after the connect, so nothing is found or started, and the test plays the
// viewer's answers and the start item's tick.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "LogManager.h"
#include "LogViewerLink.h"
#include "TmrMngr.h"
#include "ZvMessages.h"

namespace {

constexpr int kSender = 81;
constexpr UINT kTick = 10;
constexpr DWORD kStartLimit = 50;

class LogViewerLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hWnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                                 nullptr);
        ASSERT_NE(m_hWnd, nullptr);
        m_pTmrMngr = std::make_unique<CTmrMngr>(m_hWnd, kTick);
    }
    void TearDown() override
    {
        m_link.Stop();
        EndLog();
        m_pTmrMngr.reset();
        DestroyWindow(m_hWnd);
    }
    static bool StartLogging()
    {
        CMDLINE_OPTION_SET opt;
        opt.bLogWindow = 1;
        opt.nLogLevel = LOG_LEVEL_INFO;
        return CreateLogManager(opt, kSender) != nullptr;
    }
    // Ticks the timers until the start item's message reaches the owner (bounded).
    bool StartTickArrives()
    {
        const ULONGLONG qwUntil = GetTickCount64() + 3000;
        while (GetTickCount64() < qwUntil) {
            m_pTmrMngr->Tick();
            MSG msg;
            if (PeekMessageW(&msg, m_hWnd, MSG_TMR_LOG_START, MSG_TMR_LOG_START, PM_REMOVE))
                return true;
            Sleep(kTick);
        }
        return false;
    }

    HWND m_hWnd = nullptr;
    std::unique_ptr<CTmrMngr> m_pTmrMngr;
    CLogViewerLink m_link{kSender};
};

}  // namespace

TEST_F(LogViewerLinkTest, StartLimitEndsTheLogOnlyWhileAnAnswerIsAwaited)
{
    m_link.Connect(m_hWnd, m_pTmrMngr.get(), kStartLimit);
    ASSERT_TRUE(m_link.IsWaiting());
    ASSERT_TRUE(StartLogging());
    ASSERT_TRUE(StartTickArrives());
    m_link.OnStartLimit();
    EXPECT_EQ(GetLogManager(), nullptr);
    EXPECT_FALSE(m_link.IsWaiting());
    EXPECT_EQ(m_pTmrMngr->GetCount(), 0u);

    // A tick or an answer that nobody waits for (a late one, another program's post) ends nothing.
    ASSERT_TRUE(StartLogging());
    m_link.OnStartLimit();
    m_link.OnAnswer(1);
    EXPECT_NE(GetLogManager(), nullptr);
}

TEST_F(LogViewerLinkTest, RefusalEndsTheLogAndStopDropsTheItem)
{
    m_link.Connect(m_hWnd, m_pTmrMngr.get(), kStartLimit);
    ASSERT_TRUE(StartLogging());
    m_link.OnAnswer(1);
    EXPECT_EQ(GetLogManager(), nullptr);
    EXPECT_FALSE(m_link.IsWaiting());
    EXPECT_EQ(m_pTmrMngr->GetCount(), 0u);

    m_link.Connect(m_hWnd, m_pTmrMngr.get(), kStartLimit);
    ASSERT_TRUE(m_link.IsWaiting());
    m_link.Stop();
    EXPECT_FALSE(m_link.IsWaiting());
    EXPECT_EQ(m_pTmrMngr->GetCount(), 0u);
}
