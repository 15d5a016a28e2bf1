// The scroll width and auto scroll pages' range rules without their pages, and the scroll width
// tree on a real tree control, which forgets the remembered item before a device's subtree goes.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <climits>
#include <vector>

#include "AutoScrlValues.h"
#include "ScrlWdthTree.h"
#include "ScrlWdthValues.h"

using namespace PageValues;

TEST(PropertyScrlWdthValues, EachModeChecksItsOwnFieldWithinItsBounds)
{
    EXPECT_EQ(ScrlWdthFieldOfMode(SCRLMODE_SCR), 3) << "screens are mode 3, not 2";
    EXPECT_EQ(ScrlWdthFieldOfMode(SCRLMODE_NONE), -1);
    RANGE_ERROR err{};
    EXPECT_TRUE(CheckScrlWdthField(SCROLL_WIDTH{0, 500, 0, 0}, 5, 0, 1004, &err)) << "only the mode's field counts";
    EXPECT_TRUE(CheckScrlWdthField(SCROLL_WIDTH{2, 0, 0, 0}, 5, -1, -1, &err)) << "a field of no mode";
    struct CASE { SCROLL_WIDTH sw; int nField, nEdit, nHigh; };
    for (const CASE& c : {CASE{{0, 0, 5, 5}, 0, 1004, 500}, CASE{{1, 5, INT_MAX, 5}, 1, 1008, 500},
                          CASE{{3, 5, 5, 11}, 3, 1009, 10}}) {
        EXPECT_FALSE(CheckScrlWdthField(c.sw, 7, c.nField, c.nEdit, &err)) << c.nField;
        EXPECT_EQ((std::vector<int>{err.nEntry, err.nField, err.nLow, err.nHigh}),
                  (std::vector<int>{7, c.nEdit, 1, c.nHigh}));
    }
}

namespace {

struct SEL_SEEN {
    CScrlWdthTree* pTree = nullptr;
    std::vector<HTREEITEM> lstRememberedThen;
};
SEL_SEEN g_seen;

LRESULT CALLBACK TreeParentProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_NOTIFY) {
        const auto* pNm = reinterpret_cast<const NMHDR*>(lParam);
        if (pNm->code == TVN_SELCHANGEDW && g_seen.pTree) {
            // The page's check reads the remembered item first, then the page remembers the new one.
            g_seen.lstRememberedThen.push_back(g_seen.pTree->Remembered());
            g_seen.pTree->Remember(reinterpret_cast<const NMTREEVIEWW*>(lParam)->itemNew.hItem);
        }
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

std::vector<int> ChildValues(HWND hWndTree, const CScrlWdthTree& tree, HTREEITEM hParent)
{
    std::vector<int> lst;
    for (HTREEITEM h = TreeView_GetChild(hWndTree, hParent); h; h = TreeView_GetNextSibling(hWndTree, h))
        lst.push_back(tree.ItemValue(h));
    return lst;
}

} // namespace

TEST(PropertyScrlWdthTree, DevicesFollowTheirOfferAndADeletedRememberedItemIsForgottenFirst)
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSW wc{};
    wc.lpfnWndProc = TreeParentProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZvScrlWdthTreeTestParent";
    RegisterClassW(&wc);
    HWND hWndParent = CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 200, 300, nullptr, nullptr,
                                    wc.hInstance, nullptr);
    ASSERT_NE(hWndParent, nullptr);
    HWND hWndTree = CreateWindowW(WC_TREEVIEWW, L"", WS_CHILD | TVS_HASLINES, 0, 0, 200, 300, hWndParent,
                                  reinterpret_cast<HMENU>(1000), wc.hInstance, nullptr);
    ASSERT_NE(hWndTree, nullptr);
    {
        CScrlWdthTree tree;
        g_seen = SEL_SEEN{&tree, {}};
        tree.Attach(hWndTree, wc.hInstance, 137);  // not in this program: the items go without images
        // Keyboard and wheel first, then the mouse: sorted by value under the root all the same.
        const int anNone[3] = {}, anKeyWheel[3] = {0, 1, 1}, anAll[3] = {1, 1, 1}, anNoMouse[3] = {0, 1, 1};
        tree.Update(anNone, anKeyWheel);
        tree.Update(anKeyWheel, anAll);
        HTREEITEM hRoot = TreeView_GetRoot(hWndTree);
        EXPECT_EQ(tree.ItemValue(hRoot), SCRLWDTH_ITEM_ROOT);
        EXPECT_EQ(ChildValues(hWndTree, tree, hRoot), (std::vector<int>{200, 300, 400}));
        EXPECT_EQ(ChildValues(hWndTree, tree, tree.FindItem(400)), (std::vector<int>{8, 9, 10, 11}));
        tree.Update(anAll, anAll);
        EXPECT_EQ(TreeView_GetCount(hWndTree), 16u) << "nothing added twice";

        // The mouse's page entry selected and remembered, then the mouse no longer offered.
        HTREEITEM hMousePage = tree.FindItem(1);
        ASSERT_TRUE(tree.Select(hMousePage));
        EXPECT_EQ(tree.Remembered(), hMousePage);
        g_seen.lstRememberedThen.clear();
        tree.Update(anAll, anNoMouse);
        EXPECT_EQ(tree.FindItem(200), nullptr);
        EXPECT_EQ(tree.FindItem(1), nullptr);
        EXPECT_EQ(TreeView_GetSelection(hWndTree), hRoot);
        EXPECT_EQ(tree.Remembered(), hRoot);
        ASSERT_EQ(g_seen.lstRememberedThen.size(), 1u) << "one selection change, to the root";
        EXPECT_EQ(g_seen.lstRememberedThen[0], nullptr) << "the deleted item was forgotten before";
        EXPECT_EQ(ChildValues(hWndTree, tree, hRoot), (std::vector<int>{300, 400}));
        g_seen = SEL_SEEN{};
    }
    DestroyWindow(hWndParent);
}

TEST(PropertyAutoScrlValues, TheOuterBandFirstThenTheInnerReachingAtLeastAsFar)
{
    RANGE_ERROR err{};
    EXPECT_TRUE(CheckAtScrlRanges(PROP_ATSCRL{1, 10, 20, 10, 10, 0}, 1067, 1064, &err));
    EXPECT_TRUE(CheckAtScrlRanges(PROP_ATSCRL{1, 200, 20, 200, 10, 0}, 1067, 1064, &err));
    struct CASE { int nExt, nInt, nField, nLow; };
    for (const CASE& c : {CASE{10, 9, 1064, 10}, CASE{0, 0, 1067, 1}, CASE{201, 300, 1067, 1},
                          CASE{150, INT_MAX, 1064, 150}}) {
        EXPECT_FALSE(CheckAtScrlRanges(PROP_ATSCRL{1, c.nExt, 20, c.nInt, 10, 0}, 1067, 1064, &err)) << c.nExt;
        EXPECT_EQ((std::vector<int>{err.nField, err.nLow, err.nHigh}), (std::vector<int>{c.nField, c.nLow, 200}));
    }
}
