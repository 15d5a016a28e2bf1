#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <vector>

#include "TmrMngr.h"
#include "ZvMessages.h"

namespace {

constexpr UINT kTick = 100;

HWND CreateTargetWindow() {
    return CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

class TmrMngrTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_hWnd = CreateTargetWindow();
        ASSERT_NE(m_hWnd, nullptr);
        Drain();
    }
    void TearDown() override { DestroyWindow(m_hWnd); }

    TMR_ITEM_PARAM Param(UINT uMsg, UINT uPeriod, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return TMR_ITEM_PARAM{m_hWnd, uMsg, uPeriod, wParam, lParam};
    }
    // Adds a started item.
    int Run(CTmrMngr& mngr, const TMR_ITEM_PARAM& param) {
        const int nId = mngr.AddTmr(param);
        EXPECT_TRUE(mngr.StartTmr(nId));
        return nId;
    }
    // Removes the posted messages waiting for the window: their numbers in order.
    std::vector<UINT> Drain(MSG* pLast = nullptr) {
        std::vector<UINT> vec;
        MSG msg;
        while (PeekMessageW(&msg, m_hWnd, 0, 0, PM_REMOVE)) {
            vec.push_back(msg.message);
            if (pLast)
                *pLast = msg;
        }
        return vec;
    }

    HWND m_hWnd = nullptr;
};

TEST_F(TmrMngrTest, IdentifiersCountUpAcrossManagersAndSkipZero) {
    CTmrMngr mngr1(m_hWnd, kTick);
    CTmrMngr mngr2(m_hWnd, kTick);
    SetTmrIdCounter(41);
    EXPECT_EQ(mngr1.AddTmr(Param(MSG_TMR_SCROLL, kTick)), 42);
    EXPECT_EQ(mngr2.AddTmr(Param(MSG_TMR_SCROLL, kTick)), 43);
    EXPECT_EQ(mngr1.AddTmr(Param(MSG_TMR_SCROLL, kTick)), 44);

    SetTmrIdCounter(-2);
    EXPECT_EQ(mngr1.AddTmr(Param(MSG_TMR_SCROLL, kTick)), -1);
    EXPECT_EQ(mngr1.AddTmr(Param(MSG_TMR_SCROLL, kTick)), 1);
    EXPECT_EQ(mngr1.FindTmr(0), nullptr);
    SetTmrIdCounter(INT_MAX - 1);
    EXPECT_EQ(mngr1.AddTmr(Param(MSG_TMR_SCROLL, kTick)), INT_MAX);
    EXPECT_EQ(mngr1.AddTmr(Param(MSG_TMR_SCROLL, kTick)), INT_MIN);
    EXPECT_EQ(mngr1.GetCount(), 6u);
}

TEST_F(TmrMngrTest, AddRefusesDeadWindowLowMessageAndShortPeriod) {
    CTmrMngr mngr(m_hWnd, kTick);
    SetTmrIdCounter(10);
    HWND hWndDead = CreateTargetWindow();
    DestroyWindow(hWndDead);
    for (const TMR_ITEM_PARAM& param :
         {TMR_ITEM_PARAM{hWndDead, MSG_TMR_SCROLL, kTick, 0, 0}, TMR_ITEM_PARAM{nullptr, MSG_TMR_SCROLL, kTick, 0, 0},
          Param(WM_APP - 1, kTick), Param(WM_USER, kTick), Param(MSG_TMR_SCROLL, kTick - 1), Param(MSG_TMR_SCROLL, 0)})
        EXPECT_EQ(mngr.AddTmr(param), 0) << param.uMsg << " " << param.uPeriod;
    EXPECT_EQ(mngr.GetCount(), 0u);
    EXPECT_EQ(GetTmrIdCounter(), 10) << "a refusal must not use up an identifier";

    // The limits themselves are accepted; a new item is stopped.
    EXPECT_EQ(mngr.AddTmr(Param(WM_APP, kTick)), 11);
    EXPECT_EQ(mngr.AddTmr(Param(0xFFFFFFFFu, kTick)), 12);
    EXPECT_FALSE(mngr.FindTmr(11)->m_bEnable);
    EXPECT_FALSE(mngr.Tick());
    EXPECT_TRUE(Drain().empty());
}

TEST_F(TmrMngrTest, ItemFiresOnTheFirstWholeTickAtOrPastItsPeriodWithItsParameters) {
    struct CASE {
        UINT uPeriod;
        int nEvery;  // ticks
    };
    for (const CASE& c : {CASE{kTick, 1}, CASE{250, 3}, CASE{300, 3}}) {
        CTmrMngr mngr(m_hWnd, kTick);
        const int nId = Run(mngr, Param(MSG_TMR_HKGTWY_ALIVE, c.uPeriod, 0x12345678, -2));
        for (int i = 1; i <= 3 * c.nEvery; ++i) {
            const bool bDue = i % c.nEvery == 0;
            EXPECT_EQ(mngr.Tick(), bDue ? TRUE : FALSE) << c.uPeriod << " tick " << i;
            MSG msg = {};
            EXPECT_EQ(Drain(&msg).size(), bDue ? 1u : 0u) << c.uPeriod << " tick " << i;
            EXPECT_EQ(mngr.FindTmr(nId)->m_uElapsed, (i % c.nEvery) * kTick) << c.uPeriod << " tick " << i;
            if (bDue) {
                EXPECT_EQ(msg.message, MSG_TMR_HKGTWY_ALIVE);
                EXPECT_EQ(msg.wParam, 0x12345678u);
                EXPECT_EQ(msg.lParam, -2);
            }
        }
    }
}

TEST_F(TmrMngrTest, OnlyDueItemsPostInListOrder) {
    CTmrMngr mngr(m_hWnd, kTick);
    const int nFast = mngr.AddTmr(Param(MSG_TMR_WHEEL_H, 100));
    const int nSlow = mngr.AddTmr(Param(MSG_TMR_WHEEL_V, 200));
    mngr.AddTmr(Param(MSG_TMR_PROP_DEAD, 100));
    ASSERT_TRUE(mngr.StartTmr(nSlow));
    ASSERT_TRUE(mngr.StartTmr(nFast));
    EXPECT_TRUE(mngr.Tick());
    EXPECT_TRUE(mngr.Tick());
    EXPECT_EQ(Drain(), (std::vector<UINT>{MSG_TMR_WHEEL_H, MSG_TMR_WHEEL_H, MSG_TMR_WHEEL_V}));
}

TEST_F(TmrMngrTest, StartRestartsThePeriodStopEndsFiringDeleteRemovesOnlyThatItem) {
    CTmrMngr mngr(m_hWnd, kTick);
    const int nId = Run(mngr, Param(MSG_TMR_SCROLL, 300));
    const int nOther = Run(mngr, Param(MSG_TMR_WHEEL_V, 1000));
    mngr.Tick();
    mngr.Tick();
    EXPECT_EQ(mngr.FindTmr(nId)->m_uElapsed, 200u);
    ASSERT_TRUE(mngr.StartTmr(nId));
    EXPECT_EQ(mngr.FindTmr(nId)->m_uElapsed, 0u);
    EXPECT_FALSE(mngr.Tick());
    EXPECT_FALSE(mngr.Tick());
    EXPECT_TRUE(mngr.Tick());
    EXPECT_EQ(Drain().size(), 1u);

    mngr.Tick();
    ASSERT_TRUE(mngr.StopTmr(nId));
    EXPECT_EQ(mngr.FindTmr(nId)->m_uElapsed, 0u);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(mngr.Tick());
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(mngr.FindTmr(nId)->m_uElapsed, 0u);

    ASSERT_TRUE(mngr.StartTmr(nId));
    ASSERT_TRUE(mngr.DeleteTmr(nOther));
    EXPECT_EQ(mngr.FindTmr(nOther), nullptr);
    EXPECT_FALSE(mngr.DeleteTmr(nOther));
    EXPECT_FALSE(mngr.StartTmr(nOther));
    for (int i = 0; i < 10; ++i)
        mngr.Tick();
    EXPECT_EQ(Drain(), (std::vector<UINT>(3, MSG_TMR_SCROLL)));
}

TEST_F(TmrMngrTest, UnknownIdentifierChangesNothing) {
    CTmrMngr mngr(m_hWnd, kTick);
    const int nRun = Run(mngr, Param(MSG_TMR_SCROLL, 500));
    const int nIdle = mngr.AddTmr(Param(MSG_TMR_AUTOSCRL, 500));
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

TEST_F(TmrMngrTest, DeadTargetNeverPostsButKeepsCountingAndHidesNoOtherPost) {
    HWND hWndGone = CreateTargetWindow();
    ASSERT_NE(hWndGone, nullptr);
    CTmrMngr mngr(m_hWnd, kTick);
    const int nDead = Run(mngr, TMR_ITEM_PARAM{hWndGone, MSG_TMR_SCROLL, 200, 0, 0});
    ASSERT_TRUE(DestroyWindow(hWndGone));
    for (int i = 1; i <= 4; ++i) {
        EXPECT_FALSE(mngr.Tick()) << "tick " << i;
        EXPECT_EQ(mngr.FindTmr(nDead)->m_uElapsed, (i % 2) ? 100u : 0u) << "tick " << i;
    }
    EXPECT_TRUE(mngr.FindTmr(nDead)->m_bEnable);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, MSG_TMR_SCROLL, MSG_TMR_SCROLL, PM_REMOVE));

    Run(mngr, Param(MSG_TMR_WHEEL_V, kTick));
    mngr.Tick();
    EXPECT_TRUE(mngr.Tick()) << "the dead item is due in this tick too";
    EXPECT_EQ(Drain(), (std::vector<UINT>(2, MSG_TMR_WHEEL_V)));
}

TEST_F(TmrMngrTest, DrivenByARealWindowTimer) {
    CTmrMngr mngr(m_hWnd, 10);
    Run(mngr, Param(MSG_TMR_LOG_START, 20, 5, 6));
    ASSERT_NE(SetTimer(m_hWnd, TMR_MNGR_TIMER_ID, mngr.GetTick(), nullptr), 0u);

    int nFired = 0;
    const ULONGLONG ullEnd = GetTickCount64() + 5000;
    while (nFired < 2 && GetTickCount64() < ullEnd) {
        MSG msg;
        if (!PeekMessageW(&msg, m_hWnd, 0, 0, PM_REMOVE))
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        else if (msg.message == WM_TIMER && msg.wParam == TMR_MNGR_TIMER_ID)
            mngr.Tick();
        else if (msg.message == MSG_TMR_LOG_START && msg.wParam == 5 && msg.lParam == 6)
            ++nFired;
    }
    KillTimer(m_hWnd, TMR_MNGR_TIMER_ID);
    EXPECT_EQ(nFired, 2);
}

}  // namespace
