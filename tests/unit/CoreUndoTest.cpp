// The undo items and the undo list without a desktop: a fake host stands for the windows, the
// lists, the placer and the scroll-bar windows.
#include <gtest/gtest.h>

#include <list>
#include <map>
#include <memory>
#include <vector>

#include "UndoItem.h"
#include "UndoList.h"

namespace {

HWND W(int n) { return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x2000 + n)); }

struct FAKE_WND {
    bool bExists = true, bVisible = true, bMoveOrFix = true;
    UINT nShowCmd = SW_SHOWNORMAL;
    RECT rcNormal{}, rcWnd{};  // restored rectangle; where it stands (or is being sent)
    HWND hWndOwner = nullptr, hWndParent = nullptr;
};

struct MOVE_ENTRY {
    HWND hWnd;
    int dx, dy;
    UINT nPwpShowCmd;  // 0 without a placement
};

class CFakeHost : public IUndoHost {
public:
    std::map<HWND, FAKE_WND> wnds;
    HWND hWndBarH = nullptr;
    std::vector<HWND> minimizedPosts;
    std::vector<std::vector<MOVE_ENTRY>> moves;
    std::vector<std::pair<int, RECT>> barRects;
    std::vector<std::pair<HWND, WINDOWPLACEMENT>> placements;

    FAKE_WND& Add(HWND h, RECT rc, UINT nShow = SW_SHOWNORMAL)
    {
        FAKE_WND& w = wnds[h];
        w.rcNormal = w.rcWnd = rc;
        w.nShowCmd = nShow;
        return w;
    }
    FAKE_WND* Find(HWND h)
    {
        auto it = wnds.find(h);
        return it == wnds.end() || !it->second.bExists ? nullptr : &it->second;
    }
    BOOL IsWindow(HWND h) override { return Find(h) != nullptr; }
    BOOL GetPlacement(HWND h, WINDOWPLACEMENT* pwp) override
    {
        if (const FAKE_WND* w = Find(h)) {
            pwp->showCmd = w->nShowCmd;
            pwp->rcNormalPosition = w->rcNormal;
            return TRUE;
        }
        return FALSE;
    }
    BOOL SetPlacement(HWND h, const WINDOWPLACEMENT& wp) override
    {
        placements.emplace_back(h, wp);
        FAKE_WND* w = Find(h);
        if (!w)
            return FALSE;
        w->nShowCmd = wp.showCmd;
        w->rcNormal = wp.rcNormalPosition;
        if (wp.showCmd == SW_SHOWNORMAL)
            w->rcWnd = wp.rcNormalPosition;
        return TRUE;
    }
    BOOL GetWindowRect(HWND h, RECT* prc) override { return Find(h) ? (*prc = Find(h)->rcWnd, TRUE) : FALSE; }
    BOOL IsVisible(HWND h) override { return Find(h) && Find(h)->bVisible; }
    BOOL ShowWindow(HWND, int) override { return TRUE; }
    HWND GetOwner(HWND h) override { return Find(h) ? Find(h)->hWndOwner : nullptr; }
    HWND GetParent(HWND h) override { return Find(h) ? Find(h)->hWndParent : nullptr; }
    BOOL IsMoveOrFixWnd(HWND h) override { return Find(h) && Find(h)->bMoveOrFix; }
    HWND GetScrollBarWnd(int nBar) override { return nBar == 1 ? hWndBarH : nullptr; }
    void PostMinimizedWnd(HWND h) override { minimizedPosts.push_back(h); }
    BOOL StartMultiMove(std::list<HWND_OFFSET_MULT> lst) override
    {
        // The move the dialog would start, built the same way, at Speed 1.
        std::vector<MOVE_ENTRY> v;
        for (const HWND_OFFSET_MULT& e : lst)
            v.push_back({e.hWnd, e.ldOffsetH, e.ldOffsetV, e.pwp ? e.pwp->showCmd : 0u});
        moves.push_back(v);
        return CScrollMove::CreateMulti(std::move(lst), 1, {}) != nullptr;
    }
    void StoreBarRect(int nBar, const RECT& rc) override { barRects.emplace_back(nBar, rc); }
};

std::unique_ptr<CUndoAlign> Align(CFakeHost& host, std::initializer_list<UNDO_ALIGN_ENTRY> entries,
                                  int nKind = UNDO_ALIGN_SCROLL_H)
{
    auto p = std::make_unique<CUndoAlign>(host, nKind);
    for (const UNDO_ALIGN_ENTRY& e : entries)
        p->Add(e);
    return p;
}

std::unique_ptr<CUndoResizeWnd> Rw(CFakeHost& host, std::initializer_list<UNDO_WND_ENTRY> entries)
{
    auto p = std::make_unique<CUndoResizeWnd>(host);
    for (const UNDO_WND_ENTRY& e : entries)
        p->Add(e);
    return p;
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

int X0(CUndoItem* p) { return static_cast<CUndoAlign*>(p)->GetEntries()[0].x; }

}  // namespace

TEST(CoreUndoItem, AlignEqualityAndUndo)
{
    CFakeHost host;
    // Window, point and show command count, minimised alike; the sub-kind does not.
    auto a = Align(host, {{W(1), 10, 20, SW_SHOWNORMAL}, {W(2), 30, 40, SW_SHOWMINIMIZED}});
    EXPECT_TRUE(a->IsEqual(*Align(host, {{W(1), 10, 20, SW_SHOWNORMAL}, {W(2), 30, 40, SW_MINIMIZE}}, UNDO_ALIGN_CASCADE)));
    EXPECT_FALSE(a->IsEqual(*Align(host, {{W(1), 11, 20, SW_SHOWNORMAL}, {W(2), 30, 40, SW_MINIMIZE}})));
    EXPECT_FALSE(a->IsEqual(*Align(host, {{W(1), 10, 20, SW_SHOWMAXIMIZED}, {W(2), 30, 40, SW_MINIMIZE}})));
    EXPECT_FALSE(a->IsEqual(*Align(host, {{W(3), 10, 20, SW_SHOWNORMAL}, {W(2), 30, 40, SW_MINIMIZE}})));
    EXPECT_FALSE(a->IsEqual(*Align(host, {{W(1), 10, 20, SW_SHOWNORMAL}})));
    EXPECT_FALSE(Align(host, {})->IsEqual(CUndoResizeWnd(host)));
    EXPECT_TRUE(a->IsValid());
    EXPECT_TRUE(a->IsChanged());

    host.Add(W(1), {100, 100, 400, 300});
    host.Add(W(2), {-50, 20, 150, 220}, SW_SHOWMAXIMIZED).rcWnd = {-4, -4, 1284, 1028};
    host.Add(W(3), {0, 0, 10, 10}).bExists = false;
    // Where the placer has sent it, not where its placement still says.
    host.Add(W(4), {500, 500, 600, 600}).rcWnd = {520, 490, 620, 590};
    // W(1) saved twice (again by a minimised-list entry left from an earlier minimise): its first entry counts.
    EXPECT_TRUE(Align(host, {{W(1), 90, 110, SW_SHOWNORMAL}, {W(2), 6, -4, SW_SHOWMAXIMIZED}, {W(3), 0, 0, SW_SHOWNORMAL},
                             {W(4), 500, 500, SW_SHOWNORMAL}, {W(1), 300, 200, SW_MINIMIZE}})
                    ->Undo());
    ASSERT_EQ(1u, host.moves.size());
    const std::vector<MOVE_ENTRY>& m = host.moves[0];
    ASSERT_EQ(3u, m.size());
    EXPECT_TRUE(m[0].hWnd == W(1) && m[0].dx == -10 && m[0].dy == 10 && m[0].nPwpShowCmd == 0);
    EXPECT_TRUE(m[1].hWnd == W(2) && m[1].dx == 10 && m[1].dy == 0 && m[1].nPwpShowCmd == SW_SHOWMAXIMIZED);
    EXPECT_TRUE(m[2].hWnd == W(4) && m[2].dx == -20 && m[2].dy == 10);

    // Every window gone, or no entry: no move.
    EXPECT_FALSE(Align(host, {{W(3), 5, 5, SW_SHOWNORMAL}})->Undo());
    EXPECT_FALSE(Align(host, {})->Undo());
    EXPECT_EQ(1u, host.moves.size());
}

TEST(CoreUndoItem, ResizeWndEqualityValidityAndChange)
{
    CFakeHost host;
    auto a = Rw(host, {{W(1), {1, 2, 3, 4}, SW_SHOWMINIMIZED, 1}});
    EXPECT_EQ(SW_MINIMIZE, a->GetEntries().at(0).nCmdShow) << "show command 2 stored as 6";
    EXPECT_TRUE(a->IsEqual(*Rw(host, {{W(1), {1, 2, 3, 4}, SW_MINIMIZE, 1}})));
    EXPECT_FALSE(a->IsEqual(*Rw(host, {{W(1), {1, 2, 3, 5}, SW_MINIMIZE, 1}})));
    EXPECT_FALSE(a->IsEqual(*Rw(host, {{W(1), {1, 2, 3, 4}, SW_MINIMIZE, 0}})));
    EXPECT_FALSE(a->IsEqual(*Rw(host, {{W(1), {1, 2, 3, 4}, SW_SHOWNORMAL, 1}})));

    // Valid only while every window lives in the lists.
    EXPECT_FALSE(Rw(host, {})->IsValid());
    host.Add(W(1), {0, 0, 100, 100});
    auto b = Rw(host, {{W(1), {0, 0, 100, 100}, SW_SHOWNORMAL, 1}});
    EXPECT_TRUE(b->IsValid());
    host.wnds[W(1)].bMoveOrFix = false;
    EXPECT_FALSE(b->IsValid());
    host.wnds[W(1)] = {};
    host.wnds[W(1)].bExists = false;
    EXPECT_FALSE(b->IsValid());

    // Changed when the rectangle or the show command differs.
    host.Add(W(1), {0, 0, 100, 100}).bExists = true;
    EXPECT_FALSE(b->IsChanged());
    host.wnds[W(1)].rcWnd = {0, 0, 120, 100};
    EXPECT_TRUE(b->IsChanged());
    host.wnds[W(1)].rcWnd = {0, 0, 100, 100};
    host.wnds[W(1)].nShowCmd = SW_SHOWMAXIMIZED;
    EXPECT_TRUE(b->IsChanged());
    // A minimised entry against a minimised window compares the restored rectangle.
    host.Add(W(2), {10, 10, 50, 50}, SW_SHOWMINIMIZED);
    EXPECT_FALSE(Rw(host, {{W(2), {10, 10, 50, 50}, SW_SHOWMINIMIZED, 1}})->IsChanged());
    // A hidden window with a live owner is judged by its owner: skipped while the owner is minimised.
    host.Add(W(3), {0, 0, 30, 30}).bVisible = false;
    host.wnds[W(3)].hWndOwner = W(4);
    host.Add(W(4), {5, 5, 5, 5}, SW_SHOWMINIMIZED);
    auto c = Rw(host, {{W(3), {0, 0, 30, 30}, SW_MINIMIZE, 0}});
    EXPECT_FALSE(c->IsChanged());
    host.wnds[W(4)].nShowCmd = SW_SHOWNORMAL;
    EXPECT_TRUE(c->IsChanged());
}

TEST(CoreUndoItem, ResizeWndUndoPutsThePlacementBack)
{
    CFakeHost host;
    host.Add(W(1), {10, 10, 500, 400});
    const auto UndoOne = [&](int nCmd) {
        host.placements.clear();
        EXPECT_TRUE(Rw(host, {{W(1), {0, 0, 300, 200}, nCmd, 1}})->Undo());
    };
    UndoOne(SW_SHOWNORMAL);
    ASSERT_EQ(1u, host.placements.size());
    EXPECT_TRUE(SameRect(RECT{0, 0, 300, 200}, host.placements[0].second.rcNormalPosition));
    EXPECT_EQ(static_cast<UINT>(SW_SHOWNORMAL), host.placements[0].second.showCmd);
    EXPECT_TRUE(host.minimizedPosts.empty());

    // Saved minimised: the tracking hears of it, and the show command is the non-activating one.
    UndoOne(SW_SHOWMINIMIZED);
    EXPECT_EQ(std::vector<HWND>{W(1)}, host.minimizedPosts);
    ASSERT_EQ(1u, host.placements.size());
    EXPECT_EQ(static_cast<UINT>(SW_MINIMIZE), host.placements[0].second.showCmd);

    // Saved maximised: the restored rectangle stays as it is.
    host.wnds[W(1)].nShowCmd = SW_SHOWNORMAL;
    host.wnds[W(1)].rcNormal = {7, 7, 70, 70};
    UndoOne(SW_SHOWMAXIMIZED);
    ASSERT_EQ(1u, host.placements.size());
    EXPECT_TRUE(SameRect(RECT{7, 7, 70, 70}, host.placements[0].second.rcNormalPosition));
    EXPECT_EQ(static_cast<UINT>(SW_SHOWMAXIMIZED), host.placements[0].second.showCmd);

    // A gone window is skipped; no entry, no undo.
    host.wnds[W(1)].bExists = false;
    UndoOne(SW_SHOWNORMAL);
    EXPECT_TRUE(host.placements.empty());
    EXPECT_FALSE(Rw(host, {})->Undo());
}

TEST(CoreUndoItem, ResizeWndUndoAndTheOwner)
{
    CFakeHost host;
    // A hidden owner that is not the parent gets the collapsed placement.
    host.Add(W(1), {0, 0, 300, 200}).hWndOwner = W(2);
    host.Add(W(2), {0, 0, 0, 0}).bVisible = false;
    auto a = Rw(host, {{W(1), {20, 30, 300, 200}, SW_SHOWMAXIMIZED, 1}});
    a->Undo();
    ASSERT_EQ(2u, host.placements.size());
    const WINDOWPLACEMENT& wp = host.placements[1].second;
    EXPECT_EQ(W(2), host.placements[1].first);
    EXPECT_TRUE(wp.rcNormalPosition.left == wp.rcNormalPosition.right && wp.rcNormalPosition.top == wp.rcNormalPosition.bottom);
    EXPECT_EQ(static_cast<UINT>(SW_SHOWNORMAL), wp.showCmd);
    // Owner and parent alike (a popup): the owner is left alone.
    host.placements.clear();
    host.wnds[W(1)].hWndParent = W(2);
    a->Undo();
    EXPECT_EQ(1u, host.placements.size());

    // A dialog's visible owner is left alone.
    host.placements.clear();
    host.Add(W(3), {100, 100, 400, 300}).hWndOwner = W(4);
    host.Add(W(4), {0, 0, 800, 600});
    ASSERT_TRUE(Rw(host, {{W(3), {20, 30, 320, 230}, SW_SHOWNORMAL, 1}})->Undo());
    ASSERT_EQ(1u, host.placements.size());
    EXPECT_EQ(W(3), host.placements[0].first);
    EXPECT_TRUE(SameRect(RECT{0, 0, 800, 600}, host.wnds[W(4)].rcWnd));
    EXPECT_TRUE(SameRect(RECT{0, 0, 800, 600}, host.wnds[W(4)].rcNormal));
}

TEST(CoreUndoItem, ResizeOfABarIsValidAndChangedOnlyForTheBarWindowsAndStoresItsRectangle)
{
    CFakeHost host;
    const auto Bar = [&](RECT rc, int nBar) {
        auto p = std::make_unique<CUndoResize>(host);
        p->Add({W(10), rc, nBar});
        return p;
    };
    auto a = Bar({0, 1000, 1280, 1017}, 1);
    // No bar windows: nothing to undo.
    EXPECT_FALSE(a->IsValid());
    EXPECT_FALSE(a->IsChanged());
    host.hWndBarH = W(10);
    host.Add(W(10), {0, 1000, 1280, 1017});
    EXPECT_TRUE(a->IsValid());
    EXPECT_FALSE(a->IsChanged());
    host.wnds[W(10)].rcWnd = {0, 900, 1280, 917};
    EXPECT_TRUE(a->IsChanged());
    EXPECT_FALSE(Bar({0, 1000, 1280, 1017}, 2)->IsChanged()) << "the bar number must fit the window";

    EXPECT_TRUE(a->Undo());
    ASSERT_EQ(1u, host.barRects.size());
    EXPECT_EQ(1, host.barRects[0].first);
    EXPECT_TRUE(SameRect(RECT{0, 1000, 1280, 1017}, host.barRects[0].second));
    EXPECT_TRUE(a->IsEqual(*Bar({0, 1000, 1280, 1017}, 1)));
    EXPECT_FALSE(a->IsEqual(*Bar({0, 1000, 1280, 1018}, 1)));
    EXPECT_FALSE(CUndoResize(host).Undo());
}

TEST(CoreUndoList, DepthKeepsTheNewestIsClampedAndTrims)
{
    CFakeHost host;
    CUndoList lst;
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(lst.Add(Align(host, {{W(1), i, 0, SW_SHOWNORMAL}}), 3).bAdded);
    // Depth 3: the oldest (x 0) went; the newest is last.
    ASSERT_EQ(3u, lst.GetCount());
    EXPECT_EQ(3, X0(lst.Last()));
    lst.TakeLast();
    lst.TakeLast();
    EXPECT_EQ(1, X0(lst.Last()));

    // A smaller Depth applied keeps only the newest.
    for (int i = 2; i < 6; ++i)
        lst.Add(Align(host, {{W(1), i, 0, SW_SHOWNORMAL}}), 50);
    lst.Trim(2);
    ASSERT_EQ(2u, lst.GetCount());
    EXPECT_EQ(5, X0(lst.TakeLast().get()));
    EXPECT_EQ(4, X0(lst.Last()));

    // Outside 1..100 it is clamped: Depth 0 from the registry still keeps the last item to undo.
    EXPECT_EQ(1, ClampUndoDepth(0));
    EXPECT_EQ(1, ClampUndoDepth(-5));
    EXPECT_EQ(50, ClampUndoDepth(50));
    EXPECT_EQ(100, ClampUndoDepth(101));
    lst.Add(Align(host, {{W(1), 9, 0, SW_SHOWNORMAL}}), 0);
    EXPECT_EQ(1u, lst.GetCount());
    for (int i = 0; i < 120; ++i)
        lst.Add(Align(host, {{W(1), i, 1, SW_SHOWNORMAL}}), 1000);
    EXPECT_EQ(100u, lst.GetCount());
}

TEST(CoreUndoList, AnEqualItemIsDroppedAndInvalidTailItemsArePruned)
{
    CFakeHost host;
    host.Add(W(1), {0, 0, 100, 100});
    CUndoList lst;
    EXPECT_TRUE(lst.Add(Align(host, {{W(1), 5, 5, SW_SHOWNORMAL}}), 50).bAdded);
    CUndoList::ADD_RESULT res = lst.Add(Align(host, {{W(1), 5, 5, SW_SHOWNORMAL}}), 50);
    EXPECT_FALSE(res.bAdded);
    EXPECT_EQ(lst.Last(), res.pLast);
    EXPECT_EQ(UK_ALIGN, res.nLastKind);
    EXPECT_EQ(1u, lst.GetCount());

    lst.Add(Rw(host, {{W(1), {0, 0, 50, 50}, SW_SHOWNORMAL, 1}}), 50);
    ASSERT_EQ(2u, lst.GetCount());
    EXPECT_EQ(UK_RESIZEWND, lst.LastUndoItem()->GetKind());
    // The window went: the item is dropped, and the equal align record behind it refuses the new one.
    host.wnds[W(1)].bExists = false;
    res = lst.Add(Align(host, {{W(1), 5, 5, SW_SHOWNORMAL}}), 50);
    EXPECT_FALSE(res.bAdded);
    EXPECT_EQ(1u, lst.GetCount());
    EXPECT_EQ(UK_ALIGN, lst.Last()->GetKind());

    // An unchanged window record is no undo: LastUndoItem drops it.
    host.wnds[W(1)].bExists = true;
    lst.Add(Rw(host, {{W(1), {0, 0, 100, 100}, SW_SHOWNORMAL, 1}}), 50);
    EXPECT_EQ(2u, lst.GetCount());
    EXPECT_EQ(UK_ALIGN, lst.LastUndoItem()->GetKind());
    EXPECT_EQ(1u, lst.GetCount());
    // Nor is a bar record without bar windows.
    auto pBar = std::make_unique<CUndoResize>(host);
    pBar->Add({nullptr, {0, 0, 1, 1}, 1});
    lst.Add(std::move(pBar), 50);
    EXPECT_EQ(UK_ALIGN, lst.LastUndoItem()->GetKind());
    EXPECT_TRUE(lst.Add(Align(host, {{W(1), 6, 5, SW_SHOWNORMAL}}), 50).bAdded);
    lst.Clear();
    EXPECT_EQ(nullptr, lst.LastUndoItem());
    EXPECT_EQ(nullptr, lst.TakeLast());
}

TEST(CoreUndoList, DeleteLastDeletesOnlyTheItemThatPressesOwnSaveAdded)
{
    CFakeHost host;
    CUndoList lst;
    lst.Add(Align(host, {{W(1), 1, 0, SW_SHOWNORMAL}}), 50, 7);
    lst.Add(Align(host, {{W(1), 2, 0, SW_SHOWNORMAL}}), 50, 8);
    // A press whose save was refused or dropped has a ticket no item carries; 7 is not the tail.
    for (UINT n : {9u, 0u, 7u})
        EXPECT_FALSE(lst.DeleteLastOf(n)) << n;
    EXPECT_EQ(2u, lst.GetCount());
    EXPECT_TRUE(lst.DeleteLastOf(8));
    EXPECT_TRUE(lst.DeleteLastOf(7));
    EXPECT_TRUE(lst.IsEmpty());
    EXPECT_FALSE(lst.DeleteLastOf(7));

    // A save dropped as equal to the last: its ticket deletes nothing.
    lst.Add(Align(host, {{W(1), 3, 0, SW_SHOWNORMAL}}), 50, 10);
    EXPECT_FALSE(lst.Add(Align(host, {{W(1), 3, 0, SW_SHOWNORMAL}}), 50, 11).bAdded);
    EXPECT_FALSE(lst.DeleteLastOf(11));
    EXPECT_EQ(1u, lst.GetCount());
}

TEST(CoreUndoList, SaveRequestPoolRefusesForeignPointersAndNumbersEachRequest)
{
    CSaveForUndoPool pool;
    LPRM_SAVE_FOR_UNDO* p1 = pool.Add(5, nullptr, 0);
    LPRM_SAVE_FOR_UNDO* p2 = pool.Add(3, &pool, UNDO_NO_SHOW_CMD);
    EXPECT_NE(0u, p1->nTicket);
    EXPECT_NE(p1->nTicket, p2->nTicket);
    LPRM_SAVE_FOR_UNDO foreign;
    EXPECT_EQ(nullptr, pool.Take(reinterpret_cast<LPARAM>(&foreign)));
    EXPECT_EQ(nullptr, pool.Take(0));
    auto pTaken = pool.Take(reinterpret_cast<LPARAM>(p2));
    ASSERT_NE(nullptr, pTaken);
    EXPECT_EQ(3, pTaken->nValue);
    EXPECT_EQ(UNDO_NO_SHOW_CMD, pTaken->nExtra);
    EXPECT_EQ(nullptr, pool.Take(reinterpret_cast<LPARAM>(p2))) << "taken once only";
    EXPECT_EQ(1u, pool.GetCount());
    pool.Clear();
    EXPECT_EQ(0u, pool.GetCount());
}
