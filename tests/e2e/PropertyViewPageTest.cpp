// The view page of the settings program in registry mode: the defaults of an empty registry, the
// trackbars' ends as the keys put them there, check boxes stored on OK; stored values back
// unchanged, with the last route to the tray menu kept on. Then in core mode, the real settings
// program started by the core's settings command: an applied bar geometry and an applied View
// "Horizontal" reach the core's bar windows at once.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <utility>
#include <string>

#include "CoreRun.h"
#include "SettingsSheet.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;
using namespace zvsheet;

namespace {

constexpr int kIdSpeed = 1036, kIdAlpha = 1037, kIdHorz = 1038, kIdVert = 1039, kIdTopMost = 1040;
constexpr int kIdHide = 1041, kIdMouseMove = 1042, kIdTray = 1043, kIdAlphaGroup = 1044, kIdSmooth = 1045;
constexpr wchar_t kView[] = L"View";

class PropertyViewPage : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RegDeleteSettings()); }

    int Pos(int nId) const { return static_cast<int>(SendMessageW(m_sheet.Item(nId), TBM_GETPOS, 0, 0)); }
    bool Enabled(int nId) const { return IsWindowEnabled(m_sheet.Item(nId)) != FALSE; }
    // A key on the trackbar, which moves itself and tells the page.
    bool Key(int nId, WORD vk, int nPosExpected) const
    {
        PostMessageW(m_sheet.Item(nId), WM_KEYDOWN, vk, 1);
        PostMessageW(m_sheet.Item(nId), WM_KEYUP, vk, 0xC0000001);
        return WaitUntil([&] { return Pos(nId) == nPosExpected; }, 5000);
    }
    bool ApplyEnabled() const { return IsWindowEnabled(GetDlgItem(m_sheet.Sheet(), kIdApplyNow)) != FALSE; }
    bool Closed() { return m_sheet.Process().WaitForExit(15000) == std::optional<DWORD>(0); }

    CRegistryGuard m_guard{kMakerKey};
    CSettingsSheet m_sheet;
};

std::optional<DWORD> Dw(DWORD dw)
{
    return dw;
}

} // namespace

TEST_F(PropertyViewPage, DefaultsTrackbarEndsAndChecksStoredOnOk)
{
    ASSERT_TRUE(m_sheet.Start(kPageView, kIdSmooth));
    EXPECT_EQ(Pos(kIdSpeed), 18) << "Speed 3, the trackbar running slow to fast";
    EXPECT_EQ(SendMessageW(m_sheet.Item(kIdSpeed), TBM_GETRANGEMIN, 0, 0), 1);
    EXPECT_EQ(SendMessageW(m_sheet.Item(kIdSpeed), TBM_GETRANGEMAX, 0, 0), 20);
    EXPECT_EQ(Pos(kIdAlpha), 10);
    EXPECT_EQ(SendMessageW(m_sheet.Item(kIdAlpha), TBM_GETRANGEMIN, 0, 0), 2);
    EXPECT_EQ(SendMessageW(m_sheet.Item(kIdAlpha), TBM_GETRANGEMAX, 0, 0), 10);
    EXPECT_TRUE(Enabled(kIdAlpha));
    EXPECT_TRUE(Enabled(kIdAlphaGroup));
    EXPECT_TRUE(m_sheet.IsChecked(kIdHorz));
    EXPECT_TRUE(m_sheet.IsChecked(kIdVert));
    EXPECT_TRUE(m_sheet.IsChecked(kIdTopMost));
    EXPECT_FALSE(m_sheet.IsChecked(kIdHide));
    EXPECT_FALSE(m_sheet.IsChecked(kIdMouseMove));
    EXPECT_TRUE(m_sheet.IsChecked(kIdTray));
    EXPECT_FALSE(m_sheet.IsChecked(kIdSmooth));
    EXPECT_FALSE(ApplyEnabled());

    // The speed trackbar's left end is the slowest (20), its right end the fastest (1); the
    // transparency's left end the most transparent (2).
    ASSERT_TRUE(Key(kIdSpeed, VK_HOME, 1));
    EXPECT_TRUE(ApplyEnabled());
    ASSERT_TRUE(Key(kIdSpeed, VK_END, 20));
    ASSERT_TRUE(Key(kIdSpeed, VK_HOME, 1));
    ASSERT_TRUE(Key(kIdAlpha, VK_HOME, 2));
    m_sheet.Click(kIdTopMost);
    m_sheet.Click(kIdSmooth);
    m_sheet.Click(kIdTray);
    m_sheet.Click(kIdVert);
    EXPECT_TRUE(Enabled(kIdHorz)) << "the menu key is on by default: no route is the last";
    m_sheet.Press(PSBTN_OK);
    ASSERT_TRUE(Closed());
    EXPECT_EQ(RegGetDword(kView, L"Speed"), Dw(20));
    EXPECT_EQ(RegGetDword(kView, L"Transparent"), Dw(2));
    EXPECT_EQ(RegGetDword(kView, L"TopMost"), Dw(0));
    EXPECT_EQ(RegGetDword(kView, L"SmoothScroll"), Dw(1));
    EXPECT_EQ(RegGetDword(kView, L"TrayIcon"), Dw(0));
    EXPECT_EQ(RegGetDword(kView, L"Vertical"), Dw(0));
    EXPECT_EQ(RegGetDword(kView, L"Horizontal"), Dw(1));
    EXPECT_EQ(RegGetDword(kView, L"Hide"), Dw(0));
    EXPECT_EQ(RegGetDword(kView, L"MouseMove"), Dw(0));
}

TEST_F(PropertyViewPage, StoredValuesComeBackUnchangedAndTheLastRouteToTheMenuStaysOn)
{
    // Only the horizontal bar leads to the menu: no tray icon, no menu key.
    const std::pair<const wchar_t*, DWORD> aValues[] = {
        {L"TopMost", 0}, {L"Hide", 1},   {L"MouseMove", 1}, {L"Horizontal", 1}, {L"Vertical", 0},
        {L"TrayIcon", 0}, {L"SmoothScroll", 1}, {L"Speed", 7}, {L"Transparent", 5},
    };
    for (const auto& [pszName, dw] : aValues)
        ASSERT_TRUE(RegSetDword(kView, pszName, dw));
    ASSERT_TRUE(RegSetDword(L"Keyboard", L"Menu", 0));
    ASSERT_TRUE(m_sheet.Start(kPageView, kIdSmooth));
    EXPECT_EQ(Pos(kIdSpeed), 14);
    EXPECT_EQ(Pos(kIdAlpha), 5);
    EXPECT_FALSE(m_sheet.IsChecked(kIdTopMost));
    EXPECT_TRUE(m_sheet.IsChecked(kIdHide));
    EXPECT_TRUE(m_sheet.IsChecked(kIdMouseMove));
    EXPECT_TRUE(m_sheet.IsChecked(kIdSmooth));
    EXPECT_TRUE(m_sheet.IsChecked(kIdHorz));
    EXPECT_FALSE(Enabled(kIdHorz)) << "the last route";
    EXPECT_TRUE(Enabled(kIdVert));
    EXPECT_TRUE(Enabled(kIdTray));

    // A second route frees the first; taken away again, the first is held once more.
    m_sheet.Click(kIdVert);
    EXPECT_TRUE(m_sheet.IsChecked(kIdVert));
    EXPECT_TRUE(Enabled(kIdHorz));
    EXPECT_TRUE(Enabled(kIdVert));
    m_sheet.Click(kIdVert);
    EXPECT_FALSE(Enabled(kIdHorz));
    m_sheet.Press(PSBTN_OK);
    ASSERT_TRUE(Closed());
    for (const auto& [pszName, dw] : aValues)
        EXPECT_EQ(RegGetDword(kView, pszName), Dw(dw)) << ToUtf8(pszName);
}

namespace {

constexpr UINT kCmdProperty = 32778;
constexpr wchar_t kAppliedLine[] = L"プロパティ : 設定を適用しました.";
constexpr wchar_t kGoneLine[] = L"プロパティ : 設定プログラムが終了しました.";

} // namespace

TEST(CoreBarPages, AppliedBarGeometryAndViewReachTheCoreAtOnce)
{
    CRegistryGuard guard{kMakerKey};
    ASSERT_TRUE(RegDeleteSettings());
    CCoreRun run{L"ZvCoreBarPagesTest"};
    ASSERT_TRUE(run.Start());
    const HWND hBarH = run.BarWnd(false), hBarV = run.BarWnd(true);
    ASSERT_NE(hBarH, nullptr);
    ASSERT_NE(hBarV, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(hBarH) && IsWindowVisible(hBarV); }, 5000));
    const RECT rcV = WindowRect(hBarV);

    ASSERT_TRUE(run.Command(kCmdProperty));
    CSettingsSheet sheet;
    ASSERT_TRUE(sheet.Attach());
    ASSERT_TRUE(sheet.Select(kPagePosSize, 1000));

    // The vertical bar 50 pixels lower: the core's bar window stands there after Apply.
    const HWND hWndTree = sheet.Item(1000);
    const auto hRoot = reinterpret_cast<HTREEITEM>(SendMessageW(hWndTree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    const auto hHorz = reinterpret_cast<HTREEITEM>(
        SendMessageW(hWndTree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(hRoot)));
    const auto hVert = reinterpret_cast<HTREEITEM>(
        SendMessageW(hWndTree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(hHorz)));
    ASSERT_NE(hVert, nullptr);
    PostMessageW(hWndTree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hVert));
    ASSERT_TRUE(WaitUntil([&] { return sheet.Text(1022) == std::to_wstring(rcV.top); }, 5000))
        << ToUtf8(sheet.Text(1022));
    sheet.SetText(1022, std::to_wstring(rcV.top + 50).c_str());
    sheet.Press(PSBTN_APPLYNOW);
    ASSERT_TRUE(run.WaitForLine(kAppliedLine, 1, 10000));
    EXPECT_TRUE(WaitForRect(hBarV, Shifted(rcV, 0, 50), 5000));
    EXPECT_EQ(RegGetDword(L"Position and Size", L"Vertical Orgin Y"), std::optional<DWORD>(static_cast<DWORD>(rcV.top + 50)));

    // The horizontal bar switched off: its window hides at once; on again, it shows.
    ASSERT_TRUE(sheet.Select(kPageView, 1038));
    sheet.Click(1038);
    sheet.Press(PSBTN_APPLYNOW);
    ASSERT_TRUE(run.WaitForLine(kAppliedLine, 2, 10000));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(hBarH); }, 5000));
    EXPECT_TRUE(IsWindowVisible(hBarV));
    EXPECT_EQ(RegGetDword(L"View", L"Horizontal"), std::optional<DWORD>(0));
    sheet.Click(1038);
    sheet.Press(PSBTN_APPLYNOW);
    ASSERT_TRUE(run.WaitForLine(kAppliedLine, 3, 10000));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(hBarH) != FALSE; }, 5000));
    EXPECT_EQ(RegGetDword(L"View", L"Horizontal"), std::optional<DWORD>(1));
    // One apply each, though three pages have been shown: never a read of blocks being made anew.
    EXPECT_EQ(CountOf(run.Log(), kAppliedLine), 3u);
    EXPECT_EQ(CountOf(run.Log(), L"could not read the settings blocks"), 0u);

    sheet.Press(PSBTN_OK);
    ASSERT_TRUE(run.WaitForLine(kGoneLine, 1, 15000));
    EXPECT_EQ(0, run.Close());
}
