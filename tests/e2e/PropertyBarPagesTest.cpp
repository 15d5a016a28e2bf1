// The two pages that edit the scroll bars, position and size and view. In registry mode: the defaults
// of an empty registry (the bar tree from View, the group off for the root, help line, letter keys,
// defaults button, preview, the trackbars' ends), changes stored on OK; stored values of both pages
// back unchanged when nothing is changed, with the last route to the tray menu kept on; a bar off
// the desktop or too thin answered by the correction message, the user kept on the bar and the page.
// In core mode, the sheet the core's settings command starts: an applied bar geometry and an
// applied View "Horizontal" reach the core's bar windows at once.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <utility>

#include "CoreRun.h"
#include "PropertySet.h"
#include "SettingsSheet.h"
#include "SettingsNames.h"
#include "settings/resource.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;
using namespace zvsheet;

namespace {

constexpr int kEdits[] = {IDC_PS_X, IDC_PS_Y, IDC_PS_CX, IDC_PS_CY};
// The bars' values in the order of the page's edits, horizontal bar first.
const wchar_t* const kNames[] = {zvsettings::ValueName(g_aPropPosSizeValues, &PROP_POSSIZE::nHorzOrgX),
                                 zvsettings::ValueName(g_aPropPosSizeValues, &PROP_POSSIZE::nHorzOrgY),
                                 zvsettings::ValueName(g_aPropPosSizeValues, &PROP_POSSIZE::nHorzWidth),
                                 zvsettings::ValueName(g_aPropPosSizeValues, &PROP_POSSIZE::nHorzHeight),
                                 zvsettings::ValueName(g_aPropPosSizeValues, &PROP_POSSIZE::nVertOrgX),
                                 zvsettings::ValueName(g_aPropPosSizeValues, &PROP_POSSIZE::nVertOrgY),
                                 zvsettings::ValueName(g_aPropPosSizeValues, &PROP_POSSIZE::nVertWidth),
                                 zvsettings::ValueName(g_aPropPosSizeValues, &PROP_POSSIZE::nVertHeight)};
constexpr wchar_t kHelpRoot[] = L" スクロールバーを選択してください";

std::wstring Str(long n) { return std::to_wstring(n); }
std::optional<DWORD> Dw(long n) { return static_cast<DWORD>(n); }

class PropertyBarPages : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RegDeleteSettings()); }

    // The page shown (by a program started here, or on the sheet the core program started), and
    // its tree's root and the root's first two children.
    bool Start(bool bCore = false)
    {
        const bool bShown =
            bCore ? m_sheet.Attach() && m_sheet.Select(kPagePosSize, IDC_TREE) : m_sheet.Start(kPagePosSize, IDC_TREE);
        if (!bShown)
            return false;
        m_hWndTree = m_sheet.Item(IDC_TREE);
        m_hRoot = Next(TVGN_ROOT);
        m_hFirst = Next(TVGN_CHILD, m_hRoot);
        m_hSecond = Next(TVGN_NEXT, m_hFirst);
        return m_hFirst != nullptr;
    }
    HTREEITEM Next(UINT nCode, HTREEITEM hItem = nullptr) const
    {
        return reinterpret_cast<HTREEITEM>(
            SendMessageW(m_hWndTree, TVM_GETNEXTITEM, nCode, reinterpret_cast<LPARAM>(hItem)));
    }
    // Chosen as by a click (posted: the page may answer with a message box).
    void Choose(HTREEITEM hItem) const
    {
        PostMessageW(m_hWndTree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hItem));
    }
    // Chosen, and the edits show the four values (empty ones for the root).
    bool ChooseAndWait(HTREEITEM hItem, const std::wstring (&astr)[4]) const
    {
        Choose(hItem);
        return WaitUntil(
            [&] {
                for (int i = 0; i < 4; ++i) {
                    if (m_sheet.Text(kEdits[i]) != astr[i])
                        return false;
                }
                return Next(TVGN_CARET) == hItem;
            },
            5000);
    }
    // A letter key on the page moves the focus.
    bool PressLetter(wchar_t ch, int nIdExpected) const
    {
        PostMessageW(m_hWndTree, WM_KEYDOWN, ch, 1);
        return WaitUntil([&] { return FocusOf(m_sheet.Sheet()) == m_sheet.Item(nIdExpected); }, 5000);
    }
    // The correction message refused the move: its exact text; then edit nIdFocus focused with its
    // text selected, the bar still chosen and the page still current.
    void ExpectCorrection(const std::wstring& strText, int nIdFocus, const char* pszWhat)
    {
        const HWND hBox = WaitForMessageBox(m_sheet.Process().Pid(), 5000);
        ASSERT_NE(hBox, nullptr) << pszWhat;
        EXPECT_EQ(WindowTitle(hBox), L"Zuvora!") << pszWhat;
        EXPECT_EQ(MessageBoxText(hBox), strText) << pszWhat;
        ASSERT_TRUE(CloseMessageBox(hBox));
        const HWND hWndEdit = m_sheet.Item(nIdFocus);
        EXPECT_TRUE(WaitUntil(
            [&] {
                const LRESULT lSel = SendMessageW(hWndEdit, EM_GETSEL, 0, 0);
                return FocusOf(m_sheet.Sheet()) == hWndEdit && LOWORD(lSel) == 0 &&
                       HIWORD(lSel) == SendMessageW(hWndEdit, WM_GETTEXTLENGTH, 0, 0);
            },
            5000))
            << pszWhat;
        EXPECT_EQ(Next(TVGN_CARET), m_hFirst) << pszWhat;
        EXPECT_EQ(CurrentPage(m_sheet.Sheet()), m_sheet.Page()) << pszWhat;
    }
    bool Enabled(int nId) const { return IsWindowEnabled(m_sheet.Item(nId)) != FALSE; }
    int Pos(int nId) const { return static_cast<int>(SendMessageW(m_sheet.Item(nId), TBM_GETPOS, 0, 0)); }
    // A key on a trackbar, which moves itself and tells the page.
    bool Key(int nId, WORD vk, int nPosExpected) const
    {
        PostMessageW(m_sheet.Item(nId), WM_KEYDOWN, vk, 1);
        PostMessageW(m_sheet.Item(nId), WM_KEYUP, vk, 0xC0000001);
        return WaitUntil([&] { return Pos(nId) == nPosExpected; }, 5000);
    }
    bool ApplyEnabled() const { return IsWindowEnabled(GetDlgItem(m_sheet.Sheet(), kIdApplyNow)) != FALSE; }
    COLORREF PreviewPixel(int x, int y) const
    {
        POINT pt{x, y};
        ClientToScreen(m_sheet.Item(IDC_PS_PREVIEW_FRAME), &pt);
        HDC hDC = GetDC(nullptr);
        const COLORREF cr = GetPixel(hDC, pt.x, pt.y);
        ReleaseDC(nullptr, hDC);
        return cr;
    }
    bool Ok()
    {
        m_sheet.Press(PSBTN_OK);
        return m_sheet.Process().WaitForExit(15000) == std::optional<DWORD>(0);
    }

    CRegistryGuard m_guard{kMakerKey};
    CSettingsSheet m_sheet;
    HWND m_hWndTree = nullptr;
    HTREEITEM m_hRoot = nullptr, m_hFirst = nullptr, m_hSecond = nullptr;
};

} // namespace

TEST_F(PropertyBarPages, DefaultsKeysTrackbarEndsAndChangesStoredOnOk)
{
    ASSERT_TRUE(Start());
    PROP_POSSIZE def{};
    GetDefaultPosSize(def);
    const int pn[] = {def.nHorzOrgX, def.nHorzOrgY, def.nHorzWidth, def.nHorzHeight,
                      def.nVertOrgX, def.nVertOrgY, def.nVertWidth, def.nVertHeight};
    EXPECT_EQ(SendMessageW(m_hWndTree, TVM_GETCOUNT, 0, 0), 3) << "root, horizontal, vertical";

    // The root: nothing to edit. Each bar: the desktop's defaults, which change nothing.
    ASSERT_TRUE(ChooseAndWait(m_hRoot, {L"", L"", L"", L""}));
    for (int nId : {IDC_PS_X, IDC_PS_Y, IDC_PS_CX, IDC_PS_CY, IDC_DEFAULT, 1033})
        EXPECT_FALSE(Enabled(nId)) << nId;
    EXPECT_EQ(m_sheet.Text(IDC_HELP_LINE), kHelpRoot);
    ASSERT_TRUE(ChooseAndWait(m_hSecond, {Str(pn[4]), Str(pn[5]), Str(pn[6]), Str(pn[7])}));
    ASSERT_TRUE(ChooseAndWait(m_hFirst, {Str(pn[0]), Str(pn[1]), Str(pn[2]), Str(pn[3])}));
    for (int nId : {IDC_PS_X, IDC_PS_Y, IDC_PS_CX, IDC_PS_CY, IDC_DEFAULT, 1033})
        EXPECT_TRUE(Enabled(nId)) << nId;
    EXPECT_EQ(m_sheet.Text(IDC_HELP_LINE), L" 位置とサイズを画面ピクセル単位で指定します");
    EXPECT_FALSE(ApplyEnabled());

    // The preview: the desktop's colour, the horizontal bar in the button face's at its place.
    RECT rcFrame{}, rcWork{};
    GetClientRect(m_sheet.Item(IDC_PS_PREVIEW_FRAME), &rcFrame);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    EXPECT_EQ(PreviewPixel((pn[0] + pn[2] / 2) * rcFrame.right / rcWork.right, 1), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(PreviewPixel(2, rcFrame.bottom - 2), GetSysColor(COLOR_BACKGROUND));
    SaveShot(m_sheet.Sheet(), L"possize");

    // The letters move the focus; R only to the defaults button, pressing nothing.
    ASSERT_TRUE(PressLetter(L'H', IDC_PS_CY));
    EXPECT_EQ(m_sheet.Text(IDC_HELP_LINE), L" 高さを画面ピクセル単位で指定します");
    ASSERT_TRUE(PressLetter(L'W', IDC_PS_CX));
    ASSERT_TRUE(PressLetter(L'Y', IDC_PS_Y));
    ASSERT_TRUE(PressLetter(L'X', IDC_PS_X));
    ASSERT_TRUE(PressLetter(L'R', IDC_DEFAULT));
    EXPECT_FALSE(ApplyEnabled());

    // Typed, the bar's defaults back, typed again and stored.
    m_sheet.SetText(IDC_PS_X, L"100");
    EXPECT_TRUE(ApplyEnabled());
    m_sheet.Click(IDC_DEFAULT);
    EXPECT_TRUE(WaitUntil([&] { return m_sheet.Text(IDC_PS_X) == Str(pn[0]); }, 5000));
    m_sheet.SetText(IDC_PS_X, L"50");
    m_sheet.SetText(IDC_PS_Y, L"3");
    ASSERT_TRUE(ChooseAndWait(m_hSecond, {Str(pn[4]), Str(pn[5]), Str(pn[6]), Str(pn[7])}));
    m_sheet.SetText(IDC_PS_CY, L"300");

    // The view page: Speed 3 on a trackbar running slow to fast, opaque bars, the default checks.
    ASSERT_TRUE(m_sheet.Select(kPageView, IDC_VW_SPEED));
    EXPECT_EQ(Pos(IDC_VW_SPEED), 18);
    EXPECT_EQ(Pos(IDC_VW_ALPHA), 10);
    const int anChecks[] = {IDC_VW_HORIZONTAL, IDC_VW_VERTICAL, IDC_VW_TOPMOST,     IDC_VW_HIDE,
                            IDC_VW_MOUSEMOVE,  IDC_VW_TRAYICON, IDC_VW_SMOOTHSCROLL};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(m_sheet.IsChecked(anChecks[i]), i < 3 || i == 5) << anChecks[i];
    SaveShot(m_sheet.Sheet(), L"view");
    // The speed's left end is the slowest, 20, its right end 1; the transparency's left end 2.
    ASSERT_TRUE(Key(IDC_VW_SPEED, VK_END, 20));
    ASSERT_TRUE(Key(IDC_VW_SPEED, VK_HOME, 1));
    ASSERT_TRUE(Key(IDC_VW_ALPHA, VK_HOME, 2));
    for (int nId : {IDC_VW_TOPMOST, IDC_VW_SMOOTHSCROLL, IDC_VW_TRAYICON, IDC_VW_VERTICAL})
        m_sheet.Click(nId);
    EXPECT_TRUE(Enabled(IDC_VW_HORIZONTAL)) << "the menu key is on by default: no route is the last";
    ASSERT_TRUE(Ok());
    const int anStored[] = {50, 3, pn[2], pn[3], pn[4], pn[5], pn[6], 300};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(RegGetDword(PROP_SECTION_POSSIZE, kNames[i]), Dw(anStored[i])) << i;
    const std::pair<const wchar_t*, long> aView[] = {{L"Speed", 20},   {L"Transparent", 2}, {L"TopMost", 0},
                                                     {L"SmoothScroll", 1}, {L"TrayIcon", 0}, {L"Vertical", 0},
                                                     {L"Horizontal", 1}, {L"Hide", 0},       {L"MouseMove", 0}};
    for (const auto& [pszName, n] : aView)
        EXPECT_EQ(RegGetDword(PROP_SECTION_VIEW, pszName), Dw(n)) << ToUtf8(pszName);
}

TEST_F(PropertyBarPages, StoredValuesComeBackUnchangedAndTheLastRouteToTheMenuStaysOn)
{
    const int anStored[] = {100, 7, 500, 20, 1200, 300, 20, 400};
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(RegSetDword(PROP_SECTION_POSSIZE, kNames[i], static_cast<DWORD>(anStored[i])));
    // Only the vertical bar leads to the menu: no horizontal bar, no tray icon, no menu key.
    const std::pair<const wchar_t*, DWORD> aView[] = {{L"TopMost", 0},  {L"Hide", 1},         {L"MouseMove", 1},
                                                      {L"Horizontal", 0}, {L"Vertical", 1},   {L"TrayIcon", 0},
                                                      {L"SmoothScroll", 1}, {L"Speed", 7},    {L"Transparent", 5}};
    for (const auto& [pszName, dw] : aView)
        ASSERT_TRUE(RegSetDword(PROP_SECTION_VIEW, pszName, dw));
    ASSERT_TRUE(RegSetDword(L"Keyboard", L"Menu", 0));
    ASSERT_TRUE(Start());
    EXPECT_EQ(m_hSecond, nullptr) << "the horizontal bar is hidden: only the vertical one in the tree";
    ASSERT_TRUE(ChooseAndWait(m_hFirst, {L"1200", L"300", L"20", L"400"}));
    ASSERT_TRUE(ChooseAndWait(m_hRoot, {L"", L"", L"", L""}));

    ASSERT_TRUE(m_sheet.Select(kPageView, IDC_VW_SPEED));
    EXPECT_EQ(Pos(IDC_VW_SPEED), 14);
    EXPECT_EQ(Pos(IDC_VW_ALPHA), 5);
    const int anChecks[] = {IDC_VW_HORIZONTAL, IDC_VW_VERTICAL, IDC_VW_TOPMOST,     IDC_VW_HIDE,
                            IDC_VW_MOUSEMOVE,  IDC_VW_TRAYICON, IDC_VW_SMOOTHSCROLL};
    const bool abChecked[] = {false, true, false, true, true, false, true};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(m_sheet.IsChecked(anChecks[i]), abChecked[i]) << anChecks[i];
    EXPECT_FALSE(Enabled(IDC_VW_VERTICAL)) << "the last route";
    EXPECT_TRUE(Enabled(IDC_VW_HORIZONTAL));
    EXPECT_TRUE(Enabled(IDC_VW_TRAYICON));
    // A second route frees the first; taken away again, the first is held once more.
    m_sheet.Click(IDC_VW_TRAYICON);
    EXPECT_TRUE(Enabled(IDC_VW_VERTICAL));
    m_sheet.Click(IDC_VW_TRAYICON);
    EXPECT_FALSE(Enabled(IDC_VW_VERTICAL));
    ASSERT_TRUE(Ok());
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(RegGetDword(PROP_SECTION_POSSIZE, kNames[i]), Dw(anStored[i])) << i;
    for (const auto& [pszName, dw] : aView)
        EXPECT_EQ(RegGetDword(PROP_SECTION_VIEW, pszName), Dw(dw)) << ToUtf8(pszName);
}

TEST_F(PropertyBarPages, ABarOffTheDesktopOrTooThinKeepsTheUserOnItWithEveryBrokenLimit)
{
    // The vertical bar hidden: no tree item. The horizontal one leaves the desktop on both sides.
    ASSERT_TRUE(RegSetDword(L"View", L"Vertical", 0));
    const int anStored[] = {-10, 0, 1300, 20};
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(RegSetDword(PROP_SECTION_POSSIZE, kNames[i], static_cast<DWORD>(anStored[i])));
    ASSERT_TRUE(Start());
    EXPECT_EQ(SendMessageW(m_hWndTree, TVM_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(m_hSecond, nullptr);

    RECT rcDesk{};
    GetWindowRect(GetDesktopWindow(), &rcDesk);
    const long nHalf = GetSystemMetrics(SM_CYHSCROLL) / 2;
    const std::wstring strHead = L"以下の設定値が範囲外です.\n\n・水平スクロールバーの";
    const std::wstring strLeft = L"X座標がデスクトップをはみだします.\n  X座標を" + Str(rcDesk.left) +
                                 L"より大きくしてください.\n\n・水平スクロールバーの";
    const std::wstring strRight = L"X座標と幅の合計がデスクトップをはみだします.\n  X座標と幅の合計を" +
                                  Str(rcDesk.right) + L"より小さくしてください.";
    const std::wstring strThin = L"\n\n・水平スクロールバーの高さがWindows設定値の半分未満です.\n  高さを" + Str(nHalf) +
                                 L"より大きくしてください.";

    // The first choice checks nothing. The stored -10 is shown and read back as it is: leaving the
    // bar tells of both edges, and the X edit takes the focus.
    ASSERT_TRUE(ChooseAndWait(m_hFirst, {L"-10", L"0", L"1300", L"20"}));
    EXPECT_TRUE(FindMessageBoxes(m_sheet.Process().Pid()).empty());
    Choose(m_hRoot);
    ExpectCorrection(strHead + strLeft + strRight, IDC_PS_X, "both edges, to the root");

    // The width edit had the focus last: the right edge sends the user back there. OK and another
    // tab are refused alike.
    ASSERT_TRUE(PressLetter(L'W', IDC_PS_CX));
    m_sheet.SetText(IDC_PS_X, L"0");
    m_sheet.SetText(IDC_PS_CY, L"1");
    m_sheet.Press(PSBTN_OK);
    ExpectCorrection(strHead + strRight + strThin, IDC_PS_CX, "right edge and thin, OK");
    PostMessageW(m_sheet.Sheet(), PSM_SETCURSEL, kPageView, 0);
    ExpectCorrection(strHead + strRight + strThin, IDC_PS_CX, "right edge and thin, another tab");

    // Within every limit (at them) the bar may be left, and OK stores it.
    m_sheet.SetText(IDC_PS_CX, Str(rcDesk.right).c_str());
    m_sheet.SetText(IDC_PS_CY, Str(nHalf).c_str());
    ASSERT_TRUE(ChooseAndWait(m_hRoot, {L"", L"", L"", L""}));
    EXPECT_TRUE(FindMessageBoxes(m_sheet.Process().Pid()).empty());
    ASSERT_TRUE(Ok());
    EXPECT_EQ(RegGetDword(PROP_SECTION_POSSIZE, kNames[0]), Dw(0));
    EXPECT_EQ(RegGetDword(PROP_SECTION_POSSIZE, kNames[2]), Dw(rcDesk.right));
    EXPECT_EQ(RegGetDword(PROP_SECTION_POSSIZE, kNames[3]), Dw(nHalf));
}

TEST_F(PropertyBarPages, InCoreModeAnAppliedBarGeometryAndViewReachTheCoreAtOnce)
{
    CCoreRun run{L"ZvCoreBarPagesTest"};
    ASSERT_TRUE(run.Start());
    const HWND hBarH = run.BarWnd(false), hBarV = run.BarWnd(true);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(hBarH) && IsWindowVisible(hBarV); }, 5000));
    const RECT rcV = WindowRect(hBarV);
    constexpr wchar_t kAppliedLine[] = L"プロパティ : 設定を適用しました.";

    // The vertical bar 50 pixels lower: the core's bar window stands there after Apply.
    ASSERT_TRUE(run.Command(ID_ZV_PROPERTY));
    ASSERT_TRUE(Start(true));
    Choose(m_hSecond);
    ASSERT_TRUE(WaitUntil([&] { return m_sheet.Text(IDC_PS_Y) == Str(rcV.top); }, 5000))
        << ToUtf8(m_sheet.Text(IDC_PS_Y));
    m_sheet.SetText(IDC_PS_Y, Str(rcV.top + 50).c_str());
    m_sheet.Press(PSBTN_APPLYNOW);
    EXPECT_TRUE(WaitForRect(hBarV, Shifted(rcV, 0, 50), 10000));
    EXPECT_TRUE(
        WaitUntil([&] { return RegGetDword(PROP_SECTION_POSSIZE, L"Vertical Orgin Y") == Dw(rcV.top + 50); }, 5000));

    // The horizontal bar switched off: its window hides at once; on again, it shows.
    ASSERT_TRUE(m_sheet.Select(kPageView, IDC_VW_HORIZONTAL));
    for (int n = 0; n <= 1; ++n) {
        m_sheet.Click(IDC_VW_HORIZONTAL);
        m_sheet.Press(PSBTN_APPLYNOW);
        EXPECT_TRUE(WaitUntil(
            [&] {
                return (IsWindowVisible(hBarH) != FALSE) == (n == 1) &&
                       RegGetDword(PROP_SECTION_VIEW, L"Horizontal") == Dw(n);
            },
            10000))
            << n;
        EXPECT_TRUE(IsWindowVisible(hBarV));
    }
    // One apply each, though three pages have been shown: never a read of blocks being made anew.
    // Only the log counts the applies, and its viewer writes a moment after the core.
    EXPECT_TRUE(run.WaitForLine(kAppliedLine, 3));
    EXPECT_EQ(CountOf(run.Log(), kAppliedLine), 3u);
    EXPECT_EQ(CountOf(run.Log(), L"could not read the settings blocks"), 0u);
    m_sheet.Press(PSBTN_OK);
    ASSERT_TRUE(WaitForSettingsProgramEnd());
    EXPECT_EQ(0, run.Close());
}
