// The undo keeper's mouse watch and the bars' rectangle reports, posted to a message-only window.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "ScrollBars.h"
#include "UndoKeeper.h"
#include "ZvMessages.h"

namespace {

// The requests of uMsg queued for hWnd, each taken off the queue.
std::vector<MSG> TakeQueued(HWND hWnd, UINT uMsg)
{
    std::vector<MSG> v;
    MSG msg{};
    while (PeekMessageW(&msg, hWnd, uMsg, uMsg, PM_REMOVE))
        v.push_back(msg);
    return v;
}

struct MESSAGE_WND {
    HWND hWnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ~MESSAGE_WND() { DestroyWindow(hWnd); }
};

}  // namespace

TEST(CoreUndoKeeper, AFramePressAsksForOneRecordWhenItIsLetGo)
{
    MESSAGE_WND wnd;
    ASSERT_NE(nullptr, wnd.hWnd);
    CUndoKeeper keeper;
    keeper.SetKeybdMark(TRUE);

    keeper.WatchMouse(wnd.hWnd, WM_NCLBUTTONDOWN, FALSE);
    EXPECT_FALSE(keeper.IsKeybdMarked());
    EXPECT_TRUE(TakeQueued(wnd.hWnd, MSG_SAVE_FOR_UNDO).empty()) << "the press is not over yet";
    keeper.WatchMouse(wnd.hWnd, WM_MOUSEMOVE, FALSE);
    keeper.WatchMouse(wnd.hWnd, WM_MOUSEMOVE, FALSE);

    const std::vector<MSG> v = TakeQueued(wnd.hWnd, MSG_SAVE_FOR_UNDO);
    ASSERT_EQ(1u, v.size());
    EXPECT_EQ(static_cast<WPARAM>(UK_RESIZEWND), v[0].wParam);
    const auto pRec = keeper.TakeSave(v[0].lParam);
    ASSERT_NE(nullptr, pRec);
    EXPECT_EQ(keeper.PrevWndTag(), pRec->nValue);
    EXPECT_FALSE(keeper.IsSavePending());
}

TEST(CoreUndoKeeper, ABarDraggedAsksForNothingAndAForeignRecordIsRefused)
{
    MESSAGE_WND wnd;
    ASSERT_NE(nullptr, wnd.hWnd);
    CUndoKeeper keeper;

    // The bar asks for its own records.
    keeper.WatchMouse(wnd.hWnd, WM_NCLBUTTONDOWN, TRUE);
    keeper.WatchMouse(wnd.hWnd, WM_MOUSEMOVE, FALSE);
    EXPECT_TRUE(TakeQueued(wnd.hWnd, MSG_SAVE_FOR_UNDO).empty());

    // The drag stays in mind until the pointer is seen moving without one.
    keeper.WatchMouse(wnd.hWnd, WM_LBUTTONUP, FALSE);
    EXPECT_TRUE(TakeQueued(wnd.hWnd, MSG_SAVE_FOR_UNDO).empty());
    keeper.WatchMouse(wnd.hWnd, WM_MOUSEMOVE, FALSE);
    keeper.WatchMouse(wnd.hWnd, WM_LBUTTONUP, FALSE);
    EXPECT_EQ(1u, TakeQueued(wnd.hWnd, MSG_SAVE_FOR_UNDO).size());
    EXPECT_TRUE(keeper.IsSavePending());
    LPRM_SAVE_FOR_UNDO foreign{};
    EXPECT_EQ(nullptr, keeper.TakeSave(reinterpret_cast<LPARAM>(&foreign)));
    keeper.Clear();
    EXPECT_FALSE(keeper.IsSavePending());
}

TEST(CoreScrollBars, ARectangleReportComesBackOnceAndOnlyFromThePool)
{
    MESSAGE_WND wnd;
    ASSERT_NE(nullptr, wnd.hWnd);
    CScrollBars bars;
    const RECT rcH{10, 20, 410, 37};
    const RECT rcV{500, 30, 517, 630};
    EXPECT_FALSE(bars.PostRect(wnd.hWnd, 3, rcH));
    ASSERT_TRUE(bars.PostRect(wnd.hWnd, 1, rcH));
    ASSERT_TRUE(bars.PostRect(wnd.hWnd, 2, rcV));

    const std::vector<MSG> v = TakeQueued(wnd.hWnd, MSG_SCRLBAR_RECT);
    ASSERT_EQ(2u, v.size());
    int nBar = 0;
    RECT rc{};
    ASSERT_TRUE(bars.TakeRect(v[0].wParam, v[0].lParam, nBar, rc));
    EXPECT_EQ(1, nBar);
    EXPECT_TRUE(EqualRect(&rcH, &rc));
    EXPECT_FALSE(bars.TakeRect(v[0].wParam, v[0].lParam, nBar, rc)) << "taken already";
    // Another bar number under a record of the pool is refused, and the record goes all the same.
    EXPECT_FALSE(bars.TakeRect(7, v[1].lParam, nBar, rc));
    EXPECT_FALSE(bars.TakeRect(v[1].wParam, v[1].lParam, nBar, rc));
    PROP_POSSIZE foreign{};
    EXPECT_FALSE(bars.TakeRect(1, reinterpret_cast<LPARAM>(&foreign), nBar, rc));
}
