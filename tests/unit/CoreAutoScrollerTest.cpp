// Auto scroll's timer items and steps against a faked main window.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "AutoScroller.h"
#include "UndoKind.h"
#include "ZvMessages.h"

namespace {

struct TMR_ITEM {
    UINT uMsg;
    DWORD dwPeriod;
    WPARAM wParam;
};

class CFakeAtScrlHost : public IAutoScrollHost {
public:
    HWND hWnd = nullptr;
    PROPERTY_SET prop{};
    AtScrl::POINTER_STATE ptr{};
    BOOL bHeldBack = FALSE;
    int nWheelCloses = 0;
    std::map<int, TMR_ITEM> items;
    std::vector<int> saves;
    std::vector<POINT> moves;

    HWND GetWnd() override { return hWnd; }
    const PROPERTY_SET& GetProperty() override { return prop; }
    BOOL IsHeldBack() override { return bHeldBack; }
    BOOL GetPointer(AtScrl::POINTER_STATE& p) override { return p = ptr, TRUE; }
    HWND GetTaskbarWnd() override { return nullptr; }
    HWND GetScrollBarWnd(int) override { return nullptr; }
    void CloseWheelBursts() override { ++nWheelCloses; }
    BOOL HasTmrItems() override { return TRUE; }
    int AddStartedTmrItem(UINT uMsg, DWORD dwPeriod, WPARAM wParam) override
    {
        items[++m_nLastId] = TMR_ITEM{uMsg, dwPeriod, wParam};
        return m_nLastId;
    }
    void DeleteTmrItem(int& nId) override { items.erase(std::exchange(nId, 0)); }
    void PostSaveForUndo(int nSubKind) override { saves.push_back(nSubKind); }
    void ForgetPrevResizeWnd() override {}
    void PostMoveRequest(LONG dx, LONG dy) override { moves.push_back(POINT{dx, dy}); }

private:
    int m_nLastId = 0;
};

class CoreAutoScroller : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hWnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, m_hWnd);
        auto pHost = std::make_unique<CFakeAtScrlHost>();
        m_host = pHost.get();
        m_host->hWnd = m_hWnd;
        m_host->prop.propAtScrl = PROP_ATSCRL{3, 10, 20, 50, 10, 4};
        m_host->prop.propTimer.dwAutoScroll = 50;
        RECT rcWork{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
        // In the outer band of the left edge, far from the top and bottom ones; the right button down.
        m_ptEdge = POINT{5, (rcWork.top + rcWork.bottom) / 2};
        m_ptMiddle = POINT{(rcWork.left + rcWork.right) / 2, m_ptEdge.y};
        m_host->ptr = AtScrl::POINTER_STATE{m_ptEdge, false, true};
        m_pScroller = std::make_unique<CAutoScroller>(std::move(pHost));
    }
    void TearDown() override { DestroyWindow(m_hWnd); }

    // The only item there is, which must be of uMsg.
    TMR_ITEM OnlyItem(UINT uMsg) const
    {
        EXPECT_EQ(1u, m_host->items.size());
        if (m_host->items.empty())
            return TMR_ITEM{};
        const TMR_ITEM item = m_host->items.begin()->second;
        EXPECT_EQ(uMsg, item.uMsg);
        return item;
    }

    HWND m_hWnd = nullptr;
    CFakeAtScrlHost* m_host = nullptr;
    std::unique_ptr<CAutoScroller> m_pScroller;
    POINT m_ptEdge{};
    POINT m_ptMiddle{};
};

}  // namespace

TEST_F(CoreAutoScroller, OnlyTheLatestDelayStartsTheStepsAndOneRecordCoversARun)
{
    m_pScroller->WatchPointer();
    EXPECT_EQ(1, m_host->nWheelCloses) << "a button held closes the wheel bursts";
    TMR_ITEM item = OnlyItem(MSG_TMR_AUTOSCRL_DELAY);
    EXPECT_EQ(AtScrl::DelayMs(4), item.dwPeriod);
    const WPARAM wFirst = item.wParam;

    // Away and back: a new delay under a new number; the first one's tick, still queued, is stale.
    m_host->ptr.pt = m_ptMiddle;
    m_pScroller->WatchPointer();
    EXPECT_TRUE(m_host->items.empty());
    m_host->ptr.pt = m_ptEdge;
    m_pScroller->WatchPointer();
    item = OnlyItem(MSG_TMR_AUTOSCRL_DELAY);
    ASSERT_NE(wFirst, item.wParam);
    m_pScroller->OnTmrDelay(wFirst);
    EXPECT_FALSE(m_pScroller->IsTicking());
    m_pScroller->OnTmrDelay(item.wParam);
    ASSERT_TRUE(m_pScroller->IsTicking());
    item = OnlyItem(MSG_TMR_AUTOSCRL);
    EXPECT_EQ(50u, item.dwPeriod);
    MSG msg{};
    EXPECT_TRUE(PeekMessageW(&msg, m_hWnd, MSG_TMR_AUTOSCRL, MSG_TMR_AUTOSCRL, PM_REMOVE)) << "the first step at once";

    m_pScroller->OnTmrTick();
    m_pScroller->OnTmrTick();
    m_host->bHeldBack = TRUE;
    m_pScroller->OnTmrTick();
    EXPECT_EQ(std::vector<int>{UNDO_ALIGN_SCROLL_H}, m_host->saves);
    ASSERT_EQ(2u, m_host->moves.size());
    for (const POINT& pt : m_host->moves)
        EXPECT_EQ(std::pair(-20L, 0L), std::pair(pt.x, pt.y));

    // The button released: the next tick looks again and ends the run.
    m_host->bHeldBack = FALSE;
    m_host->ptr.bRightDown = false;
    m_pScroller->OnTmrTick();
    EXPECT_EQ(2u, m_host->moves.size());
    EXPECT_FALSE(m_pScroller->IsTicking());
    EXPECT_TRUE(m_host->items.empty());
}

TEST_F(CoreAutoScroller, AfterAStopThePointerStillAtTheEdgeStartsAgain)
{
    m_pScroller->WatchPointer();
    m_pScroller->WatchPointer();
    EXPECT_EQ(1, m_host->nWheelCloses) << "a pointer that has not changed is not judged again";
    m_pScroller->Stop();
    EXPECT_TRUE(m_host->items.empty());
    EXPECT_EQ(0u, m_pScroller->GetDirs());
    m_pScroller->WatchPointer();
    OnlyItem(MSG_TMR_AUTOSCRL_DELAY);
    EXPECT_EQ(AtScrl::ATSCRL_LEFT, m_pScroller->GetDirs());
}
