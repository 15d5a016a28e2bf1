#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <vector>

#include "TmrMngr.h"
#include "ZvMessages.h"

namespace {

constexpr UINT kTick = 100;

LRESULT CALLBACK PlainWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

HWND CreateTargetWindow() {
    static const wchar_t kClass[] = L"ZvTmrMngrTestTarget";
    static ATOM atom = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = PlainWndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        return RegisterClassW(&wc);
    }();
    EXPECT_NE(atom, 0);
    return CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

class TmrMngrTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_hWnd = CreateTargetWindow();
        ASSERT_NE(m_hWnd, nullptr);
        DrainAll();
    }
    void TearDown() override {
        if (m_hWnd && IsWindow(m_hWnd))
            DestroyWindow(m_hWnd);
    }

    TMR_ITEM_PARAM Param(UINT uMsg, UINT uPeriod, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return TMR_ITEM_PARAM{m_hWnd, uMsg, uPeriod, wParam, lParam};
    }

    // Removes and counts the posted messages of one number waiting for the window.
    int Drain(UINT uMsg, MSG* pLast = nullptr) {
        int n = 0;
        MSG msg;
        while (PeekMessageW(&msg, m_hWnd, uMsg, uMsg, PM_REMOVE)) {
            ++n;
            if (pLast)
                *pLast = msg;
        }
        return n;
    }
    void DrainAll() {
        MSG msg;
        while (PeekMessageW(&msg, m_hWnd, 0, 0, PM_REMOVE)) {
        }
    }

    HWND m_hWnd = nullptr;
};

TEST_F(TmrMngrTest, AddedItemIsStoppedWithItsParameters) {
    CTmrMngr mngr(m_hWnd, kTick);
    const int nId = mngr.AddTmr(Param(MSG_TMR_SCROLL, 300, 7, -8));
    ASSERT_NE(nId, 0);
    const CTmrItem* pItem = mngr.FindTmr(nId);
    ASSERT_NE(pItem, nullptr);
    EXPECT_EQ(pItem->m_hWnd, m_hWnd);
    EXPECT_EQ(pItem->m_uMsg, MSG_TMR_SCROLL);
    EXPECT_EQ(pItem->m_uPeriod, 300u);
    EXPECT_EQ(pItem->m_wParam, 7u);
    EXPECT_EQ(pItem->m_lParam, -8);
    EXPECT_EQ(pItem->m_nId, nId);
    EXPECT_FALSE(pItem->m_bEnable);
    EXPECT_EQ(pItem->m_uElapsed, 0u);

    EXPECT_FALSE(mngr.Tick());
    EXPECT_EQ(Drain(MSG_TMR_SCROLL), 0);
}

TEST_F(TmrMngrTest, IdentifiersCountUpAcrossManagers) {
    SetTmrIdCounter(41);
    CTmrMngr mngr1(m_hWnd, kTick);
    CTmrMngr mngr2(m_hWnd, kTick);
    EXPECT_EQ(mngr1.AddTmr(Param(MSG_TMR_SCROLL, kTick)), 42);
    EXPECT_EQ(mngr2.AddTmr(Param(MSG_TMR_SCROLL, kTick)), 43);
    EXPECT_EQ(mngr1.AddTmr(Param(MSG_TMR_SCROLL, kTick)), 44);
    EXPECT_EQ(GetTmrIdCounter(), 44);
}

TEST_F(TmrMngrTest, IdentifierAfterMinusOneIsOneNeverZero) {
    CTmrMngr mngr(m_hWnd, kTick);
    SetTmrIdCounter(-2);
    EXPECT_EQ(mngr.AddTmr(Param(MSG_TMR_SCROLL, kTick)), -1);
    EXPECT_EQ(mngr.AddTmr(Param(MSG_TMR_SCROLL, kTick)), 1);
    EXPECT_EQ(mngr.AddTmr(Param(MSG_TMR_SCROLL, kTick)), 2);
    EXPECT_EQ(mngr.GetCount(), 3u);
    EXPECT_EQ(mngr.FindTmr(0), nullptr);
}

TEST_F(TmrMngrTest, IdentifierRunsFromLargestIntoNegativeValues) {
    CTmrMngr mngr(m_hWnd, kTick);
    SetTmrIdCounter(INT_MAX - 1);
    EXPECT_EQ(mngr.AddTmr(Param(MSG_TMR_SCROLL, kTick)), INT_MAX);
    EXPECT_EQ(mngr.AddTmr(Param(MSG_TMR_SCROLL, kTick)), INT_MIN);
}

TEST_F(TmrMngrTest, AddRefusesDeadWindowLowMessageAndShortPeriod) {
    CTmrMngr mngr(m_hWnd, kTick);
    SetTmrIdCounter(10);

    HWND hWndDead = CreateTargetWindow();
    ASSERT_NE(hWndDead, nullptr);
    DestroyWindow(hWndDead);
    EXPECT_EQ(mngr.AddTmr(TMR_ITEM_PARAM{hWndDead, MSG_TMR_SCROLL, kTick, 0, 0}), 0);
    EXPECT_EQ(mngr.AddTmr(TMR_ITEM_PARAM{nullptr, MSG_TMR_SCROLL, kTick, 0, 0}), 0);
    EXPECT_EQ(mngr.AddTmr(Param(WM_APP - 1, kTick)), 0);
    EXPECT_EQ(mngr.AddTmr(Param(WM_USER, kTick)), 0);
    EXPECT_EQ(mngr.AddTmr(Param(MSG_TMR_SCROLL, kTick - 1)), 0);
    EXPECT_EQ(mngr.AddTmr(Param(MSG_TMR_SCROLL, 0)), 0);
    EXPECT_EQ(mngr.GetCount(), 0u);
    EXPECT_EQ(GetTmrIdCounter(), 10) << "a refusal must not use up an identifier";

    // The limits themselves are accepted.
    EXPECT_EQ(mngr.AddTmr(Param(WM_APP, kTick)), 11);
    EXPECT_EQ(mngr.AddTmr(Param(0xFFFFFFFFu, kTick)), 12);
}

TEST_F(TmrMngrTest, PeriodEqualToTickFiresOnEveryTick) {
    CTmrMngr mngr(m_hWnd, kTick);
    const int nId = mngr.AddTmr(Param(MSG_TMR_AUTOSCRL, kTick));
    ASSERT_TRUE(mngr.StartTmr(nId));
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(mngr.Tick()) << "tick " << i;
        EXPECT_EQ(Drain(MSG_TMR_AUTOSCRL), 1) << "tick " << i;
        EXPECT_EQ(mngr.FindTmr(nId)->m_uElapsed, 0u);
    }
}

TEST_F(TmrMngrTest, PeriodBetweenTicksFiresOnTheNextWholeTick) {
    CTmrMngr mngr(m_hWnd, kTick);
    const int nId = mngr.AddTmr(Param(MSG_TMR_SCROLL, 250));
    ASSERT_TRUE(mngr.StartTmr(nId));
    for (int i = 1; i <= 9; ++i) {
        const bool bDue = (i % 3) == 0;
        EXPECT_EQ(mngr.Tick(), bDue ? TRUE : FALSE) << "tick " << i;
        EXPECT_EQ(Drain(MSG_TMR_SCROLL), bDue ? 1 : 0) << "tick " << i;
        EXPECT_EQ(mngr.FindTmr(nId)->m_uElapsed, bDue ? 0u : (i % 3) * kTick) << "tick " << i;
    }
}

TEST_F(TmrMngrTest, PostedMessageCarriesTheItemParameters) {
    CTmrMngr mngr(m_hWnd, kTick);
    const WPARAM wParam = static_cast<WPARAM>(0x12345678);
    const LPARAM lParam = -2;
    const int nId = mngr.AddTmr(Param(MSG_TMR_HKGTWY_ALIVE, kTick, wParam, lParam));
    ASSERT_TRUE(mngr.StartTmr(nId));
    ASSERT_TRUE(mngr.Tick());

    MSG msg = {};
    ASSERT_EQ(Drain(MSG_TMR_HKGTWY_ALIVE, &msg), 1);
    EXPECT_EQ(msg.hwnd, m_hWnd);
    EXPECT_EQ(msg.message, MSG_TMR_HKGTWY_ALIVE);
    EXPECT_EQ(msg.wParam, wParam);
    EXPECT_EQ(msg.lParam, lParam);
}

TEST_F(TmrMngrTest, OnlyDueItemsPostInListOrder) {
    CTmrMngr mngr(m_hWnd, kTick);
    const int nFast = mngr.AddTmr(Param(MSG_TMR_WHEEL_H, 100, 1));
    const int nSlow = mngr.AddTmr(Param(MSG_TMR_WHEEL_V, 200, 2));
    const int nIdle = mngr.AddTmr(Param(MSG_TMR_PROP_DEAD, 100, 3));
    ASSERT_TRUE(mngr.StartTmr(nSlow));
    ASSERT_TRUE(mngr.StartTmr(nFast));
    (void)nIdle;

    EXPECT_TRUE(mngr.Tick());
    EXPECT_TRUE(mngr.Tick());
    MSG msg;
    std::vector<UINT> order;
    while (PeekMessageW(&msg, m_hWnd, 0, 0, PM_REMOVE))
        order.push_back(msg.message);
    EXPECT_EQ(order, (std::vector<UINT>{MSG_TMR_WHEEL_H, MSG_TMR_WHEEL_H, MSG_TMR_WHEEL_V}));
}

TEST_F(TmrMngrTest, StopEndsFiringAndStartRestartsThePeriod) {
    CTmrMngr mngr(m_hWnd, kTick);
    const int nId = mngr.AddTmr(Param(MSG_TMR_SCROLL, 300));
    ASSERT_TRUE(mngr.StartTmr(nId));
    mngr.Tick();
    mngr.Tick();
    EXPECT_EQ(mngr.FindTmr(nId)->m_uElapsed, 200u);

    // Starting a running item counts from 0 again.
    ASSERT_TRUE(mngr.StartTmr(nId));
    EXPECT_EQ(mngr.FindTmr(nId)->m_uElapsed, 0u);
    EXPECT_FALSE(mngr.Tick());
    EXPECT_FALSE(mngr.Tick());
    EXPECT_TRUE(mngr.Tick());
    EXPECT_EQ(Drain(MSG_TMR_SCROLL), 1);

    mngr.Tick();
    ASSERT_TRUE(mngr.StopTmr(nId));
    EXPECT_FALSE(mngr.FindTmr(nId)->m_bEnable);
    EXPECT_EQ(mngr.FindTmr(nId)->m_uElapsed, 0u);
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(mngr.Tick());
    EXPECT_EQ(Drain(MSG_TMR_SCROLL), 0);
    EXPECT_EQ(mngr.FindTmr(nId)->m_uElapsed, 0u);
}

TEST_F(TmrMngrTest, DeleteRemovesOnlyThatItem) {
    CTmrMngr mngr(m_hWnd, kTick);
    const int nA = mngr.AddTmr(Param(MSG_TMR_WHEEL_H, kTick));
    const int nB = mngr.AddTmr(Param(MSG_TMR_WHEEL_V, kTick));
    ASSERT_TRUE(mngr.StartTmr(nA));
    ASSERT_TRUE(mngr.StartTmr(nB));
    ASSERT_TRUE(mngr.DeleteTmr(nA));
    EXPECT_EQ(mngr.GetCount(), 1u);
    EXPECT_EQ(mngr.FindTmr(nA), nullptr);
    EXPECT_FALSE(mngr.DeleteTmr(nA));
    EXPECT_FALSE(mngr.StartTmr(nA));

    EXPECT_TRUE(mngr.Tick());
    EXPECT_EQ(Drain(MSG_TMR_WHEEL_H), 0);
    EXPECT_EQ(Drain(MSG_TMR_WHEEL_V), 1);
}

TEST_F(TmrMngrTest, UnknownIdentifierChangesNothing) {
    CTmrMngr mngr(m_hWnd, kTick);
    const int nRun = mngr.AddTmr(Param(MSG_TMR_SCROLL, 500));
    const int nIdle = mngr.AddTmr(Param(MSG_TMR_AUTOSCRL, 500));
    ASSERT_TRUE(mngr.StartTmr(nRun));
    mngr.Tick();
    mngr.Tick();

    for (int nBad : {0, nRun + 100, -nRun, INT_MIN}) {
        EXPECT_FALSE(mngr.StartTmr(nBad)) << nBad;
        EXPECT_FALSE(mngr.StopTmr(nBad)) << nBad;
        EXPECT_FALSE(mngr.DeleteTmr(nBad)) << nBad;
    }
    EXPECT_EQ(mngr.GetCount(), 2u);
    EXPECT_TRUE(mngr.FindTmr(nRun)->m_bEnable);
    EXPECT_EQ(mngr.FindTmr(nRun)->m_uElapsed, 200u);
    EXPECT_FALSE(mngr.FindTmr(nIdle)->m_bEnable);
    EXPECT_EQ(mngr.FindTmr(nIdle)->m_uElapsed, 0u);
}

TEST_F(TmrMngrTest, DeadTargetNeverPostsButKeepsCounting) {
    HWND hWndGone = CreateTargetWindow();
    ASSERT_NE(hWndGone, nullptr);
    CTmrMngr mngr(m_hWnd, kTick);
    const int nId = mngr.AddTmr(TMR_ITEM_PARAM{hWndGone, MSG_TMR_SCROLL, 200, 0, 0});
    ASSERT_NE(nId, 0);
    ASSERT_TRUE(mngr.StartTmr(nId));
    ASSERT_TRUE(DestroyWindow(hWndGone));

    for (int i = 1; i <= 6; ++i) {
        EXPECT_FALSE(mngr.Tick()) << "tick " << i;
        EXPECT_EQ(mngr.FindTmr(nId)->m_uElapsed, (i % 2) ? 100u : 0u) << "tick " << i;
    }
    EXPECT_TRUE(mngr.FindTmr(nId)->m_bEnable);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, MSG_TMR_SCROLL, MSG_TMR_SCROLL, PM_REMOVE));
}

TEST_F(TmrMngrTest, DeadTargetDoesNotHideAnotherItemsPost) {
    HWND hWndGone = CreateTargetWindow();
    ASSERT_NE(hWndGone, nullptr);
    CTmrMngr mngr(m_hWnd, kTick);
    const int nDead = mngr.AddTmr(TMR_ITEM_PARAM{hWndGone, MSG_TMR_WHEEL_H, kTick, 0, 0});
    const int nLive = mngr.AddTmr(Param(MSG_TMR_WHEEL_V, kTick));
    ASSERT_TRUE(mngr.StartTmr(nDead));
    ASSERT_TRUE(mngr.StartTmr(nLive));
    ASSERT_TRUE(DestroyWindow(hWndGone));
    EXPECT_TRUE(mngr.Tick());
    EXPECT_EQ(Drain(MSG_TMR_WHEEL_V), 1);
}

TEST_F(TmrMngrTest, DrivenByARealWindowTimer) {
    CTmrMngr mngr(m_hWnd, 10);
    const int nId = mngr.AddTmr(Param(MSG_TMR_LOG_START, 20, 5, 6));
    ASSERT_TRUE(mngr.StartTmr(nId));
    ASSERT_NE(SetTimer(m_hWnd, TMR_MNGR_TIMER_ID, mngr.GetTick(), nullptr), 0u);

    int nFired = 0;
    const DWORD dwStart = GetTickCount();
    while (nFired < 2 && GetTickCount() - dwStart < 5000) {
        MSG msg;
        if (!PeekMessageW(&msg, m_hWnd, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            continue;
        }
        if (msg.message == WM_TIMER && msg.wParam == TMR_MNGR_TIMER_ID)
            mngr.Tick();
        else if (msg.message == MSG_TMR_LOG_START) {
            EXPECT_EQ(msg.wParam, 5u);
            EXPECT_EQ(msg.lParam, 6);
            ++nFired;
        }
    }
    KillTimer(m_hWnd, TMR_MNGR_TIMER_ID);
    EXPECT_EQ(nFired, 2);
}

}  // namespace
