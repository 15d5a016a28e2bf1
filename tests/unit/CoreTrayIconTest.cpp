// The tray menu fitted to the moment, against a faked main window.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "TrayIcon.h"
#include "resource.h"

namespace {

class CFakeTrayHost : public ITrayHost {
public:
    BOOL bMoving = FALSE;
    int nLastUndoAsked = 0;

    HWND GetWnd() override { return nullptr; }
    void ReportNoWindow(DWORD) override {}
    BOOL IsIconWanted() override { return TRUE; }
    int AddStartedTmrItem(UINT, DWORD) override { return 0; }
    void DeleteTmrItem(int& nId) override { nId = 0; }
    BOOL IsMenuHeldBack() override { return FALSE; }
    BOOL IsScrollProcessing() override { return bMoving; }
    const CUndoItem* LastUndoItem() override { return ++nLastUndoAsked, nullptr; }
    void TrackMenu(HMENU, POINT) override {}
};

constexpr UINT kMoveItems[] = {ID_ZV_ALIGN_CENTER, ID_ZV_ALIGN_CASCADE, ID_ZV_ALIGN_TILE_HORZ, ID_ZV_ALIGN_TILE_VERT,
                               ID_ZV_APP_EXIT};

bool IsGrey(HMENU hMenu, UINT nId)
{
    return (GetMenuState(hMenu, nId, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

}  // namespace

TEST(CoreTrayIcon, AMoveGreysTheArrangementsAndTheExitAndLeavesTheUndoListAlone)
{
    auto pHost = std::make_unique<CFakeTrayHost>();
    CFakeTrayHost& host = *pHost;
    CTrayIcon tray(std::move(pHost));
    const HMENU hMenu = CreatePopupMenu();
    ASSERT_NE(nullptr, hMenu);
    AppendMenuW(hMenu, MF_STRING, ID_ZV_UNDO, L"undo");
    for (UINT nId : kMoveItems)
        AppendMenuW(hMenu, MF_STRING, nId, L"item");

    host.bMoving = TRUE;
    tray.PrepareMenu(hMenu);
    EXPECT_TRUE(IsGrey(hMenu, ID_ZV_UNDO));
    for (UINT nId : kMoveItems)
        EXPECT_TRUE(IsGrey(hMenu, nId)) << nId;
    // The last item may be the move's own record: the list is not even pruned.
    EXPECT_EQ(0, host.nLastUndoAsked);

    host.bMoving = FALSE;
    tray.PrepareMenu(hMenu);
    EXPECT_EQ(1, host.nLastUndoAsked);
    EXPECT_TRUE(IsGrey(hMenu, ID_ZV_UNDO)) << "nothing to undo";
    for (UINT nId : kMoveItems)
        EXPECT_FALSE(IsGrey(hMenu, nId)) << nId;
    EXPECT_FALSE(tray.IsMenuOpen());
    EXPECT_FALSE(tray.IsShown());
    DestroyMenu(hMenu);
}
