// The scroll width and auto scroll pages' logic without their pages: the field each mode edits and
// its bounds, the help texts, the auto scroll defaults and range rules; and the scroll width tree
// on a real tree control, which forgets the remembered item before a device's subtree goes.
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
    EXPECT_EQ(ScrlWdthFieldOfMode(SCRLMODE_ABS), 0);
    EXPECT_EQ(ScrlWdthFieldOfMode(SCRLMODE_REL), 1);
    EXPECT_EQ(ScrlWdthFieldOfMode(SCRLMODE_SCR), 3) << "screens are mode 3, not 2";
    for (int nMode : {static_cast<int>(SCRLMODE_NONE), -1, 4})
        EXPECT_EQ(ScrlWdthFieldOfMode(nMode), -1) << nMode;

    SCROLL_WIDTH sw{0, 500, 1, 10};
    RANGE_ERROR err{};
    EXPECT_TRUE(CheckScrlWdthField(sw, 5, 0, 1004, &err));
    EXPECT_TRUE(CheckScrlWdthField(sw, 5, 1, 1008, &err));
    EXPECT_TRUE(CheckScrlWdthField(sw, 5, 3, 1009, &err));
    EXPECT_TRUE(CheckScrlWdthField(SCROLL_WIDTH{2, 0, 0, 0}, 5, -1, -1, &err)) << "a field of no mode";
    struct CASE { SCROLL_WIDTH sw; int nField, nEdit, nHigh; };
    for (const CASE& c : {CASE{{0, 0, 5, 5}, 0, 1004, 500}, CASE{{0, 501, 5, 5}, 0, 1004, 500},
                          CASE{{1, 5, INT_MAX, 5}, 1, 1008, 500}, CASE{{3, 5, 5, 11}, 3, 1009, 10},
                          CASE{{3, 5, 5, 0}, 3, 1009, 10}}) {
        err = RANGE_ERROR{};
        EXPECT_FALSE(CheckScrlWdthField(c.sw, 7, c.nField, c.nEdit, &err)) << c.nField;
        EXPECT_EQ(err.nEntry, 7);
        EXPECT_EQ(err.nField, c.nEdit);
        EXPECT_EQ(err.nLow, 1);
        EXPECT_EQ(err.nHigh, c.nHigh);
    }
    // Only the mode's own field counts.
    EXPECT_TRUE(CheckScrlWdthField(SCROLL_WIDTH{3, 0, 0, 4}, 0, 3, 1009, &err));
}

TEST(PropertyScrlWdthValues, HelpTextsFollowTheItemAndTheMode)
{
    const std::vector<std::pair<int, UINT>> items = {
        {0, 120}, {2, 120}, {1, 121}, {3, 121}, {4, 122}, {6, 122}, {5, 123},  {7, 123},
        {8, 124}, {10, 124}, {9, 125}, {11, 125}, {100, 118}, {200, 119}, {300, 119}, {400, 119}, {999, 106}};
    for (const auto& [nValue, nId] : items)
        EXPECT_EQ(GetScrlWdthItemHelp(nValue), nId) << nValue;
    EXPECT_EQ(GetScrlWdthModeHelp(0), 107u);
    EXPECT_EQ(GetScrlWdthModeHelp(1), 108u);
    EXPECT_EQ(GetScrlWdthModeHelp(3), 109u);
    EXPECT_EQ(GetScrlWdthModeHelp(2), 106u);
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
            // What the page does: its check reads the remembered item, then it remembers the new one.
            g_seen.lstRememberedThen.push_back(g_seen.pTree->Remembered());
            if (HTREEITEM h = g_seen.pTree->Remembered())
                g_seen.pTree->ItemValue(h);
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
        EXPECT_EQ(TreeView_GetNextSibling(hWndTree, hRoot), nullptr) << "one root";
        EXPECT_EQ(ChildValues(hWndTree, tree, hRoot), (std::vector<int>{200, 300, 400}));
        for (int nDevice = 0; nDevice < 3; ++nDevice) {
            const int n = 4 * nDevice;
            EXPECT_EQ(ChildValues(hWndTree, tree, tree.FindItem(200 + 100 * nDevice)),
                      (std::vector<int>{n, n + 1, n + 2, n + 3}));
        }
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

TEST(PropertyAutoScrlValues, DefaultsHelpAndTheInnerBandReachingAtLeastTheOuter)
{
    PROP_ATSCRL at{};
    GetDefaultAtScrl(at);
    EXPECT_EQ(at.nMode, 3);
    EXPECT_EQ(at.nExternalRange, 10);
    EXPECT_EQ(at.nExternalSpeed, 20);
    EXPECT_EQ(at.nInternalRange, 50);
    EXPECT_EQ(at.nInternalSpeed, 10);
    EXPECT_EQ(at.nDelay, 4);
    EXPECT_TRUE(IsAtScrlDetailEnabled(at));
    at.nMode = 0;
    EXPECT_FALSE(IsAtScrlDetailEnabled(at));

    EXPECT_EQ(GetAtScrlHelp(1062), 138u);
    EXPECT_EQ(GetAtScrlHelp(1063), 139u);
    EXPECT_EQ(GetAtScrlHelp(1064), 142u);
    EXPECT_EQ(GetAtScrlHelp(1066), 143u);
    EXPECT_EQ(GetAtScrlHelp(1067), 140u);
    EXPECT_EQ(GetAtScrlHelp(1069), 141u);
    EXPECT_EQ(GetAtScrlHelp(1010), 144u);
    EXPECT_EQ(GetAtScrlHelp(1065), 0u) << "an up-down leaves the line";

    RANGE_ERROR err{};
    EXPECT_TRUE(CheckAtScrlRanges(PROP_ATSCRL{1, 10, 20, 10, 10, 0}, 1067, 1064, &err));
    EXPECT_TRUE(CheckAtScrlRanges(PROP_ATSCRL{1, 200, 20, 200, 10, 0}, 1067, 1064, &err));
    struct CASE { int nExt, nInt, nField, nLow; };
    for (const CASE& c : {CASE{10, 9, 1064, 10}, CASE{0, 0, 1067, 1}, CASE{201, 300, 1067, 1},
                          CASE{INT_MAX, 5, 1067, 1}, CASE{150, INT_MAX, 1064, 150}, CASE{1, 0, 1064, 1}}) {
        err = RANGE_ERROR{};
        EXPECT_FALSE(CheckAtScrlRanges(PROP_ATSCRL{1, c.nExt, 20, c.nInt, 10, 0}, 1067, 1064, &err)) << c.nExt;
        EXPECT_EQ(err.nField, c.nField) << c.nExt << " " << c.nInt;
        EXPECT_EQ(err.nLow, c.nLow);
        EXPECT_EQ(err.nHigh, 200);
    }
}
