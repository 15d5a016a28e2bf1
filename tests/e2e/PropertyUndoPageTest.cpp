// The undo page of the settings program and what every page shares, in registry mode (no core
// program runs): the controls filled from the record, a Depth out of range answered by the range
// message with the user kept on the page and the edit selected and focused, an apply stored in the
// registry with OK reading "Close" and Cancel disabled, and the about box of the system menu. Then
// in core mode, the real settings program started by the core's settings command: a depth applied
// reaches the core's undo list at once, a cancelled one changes nothing.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>

#include "CoreRun.h"
#include "SettingsSheet.h"
#include "settings/resource.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;
using namespace zvsheet;

namespace {

constexpr wchar_t kAboutTitle[] = L"Zuvora! のプロパティ バージョン情報";
constexpr int kUndoPage = kPageUndo;

class PropertyUndoPage : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RegDeleteSettings()); }

    HWND StartSheet()
    {
        if (!m_sheet.Start(kUndoPage, IDC_UN_DEPTH))
            return nullptr;
        m_hWndPage = m_sheet.Page();
        return m_hWndSheet = m_sheet.Sheet();
    }
    // Typed into the Depth edit as the user does: the edit tells the page of the change.
    void SetDepthText(const wchar_t* pszText) { m_sheet.SetText(IDC_UN_DEPTH, pszText); }
    // The request that leaves the page is refused with the range message, and the tab stays.
    void ExpectRefused(const char* pszWhat)
    {
        m_sheet.ExpectRefused(IDC_UN_DEPTH, 1, 100, pszWhat);
        EXPECT_EQ(SendMessageW(PropSheet_GetTabControl(m_hWndSheet), TCM_GETCURSEL, 0, 0), kUndoPage) << pszWhat;
        EXPECT_TRUE(m_prop.IsRunning()) << pszWhat;
    }

    CRegistryGuard m_guard{kMakerKey};
    CSettingsSheet m_sheet;
    CProcess& m_prop = m_sheet.Process();
    HWND m_hWndSheet = nullptr;
    HWND m_hWndPage = nullptr;
};

} // namespace

TEST_F(PropertyUndoPage, DepthOutOfRangeKeepsTheUserOnThePageAndAValidOneIsApplied)
{
    ASSERT_TRUE(RegSetDword(L"Undo", L"Depth", 30));
    ASSERT_TRUE(RegSetDword(L"Undo", L"Save Time Undo Data In Wheel Scroll", 3));
    ASSERT_TRUE(RegSetDword(L"Undo", L"Resize", 1));
    ASSERT_NE(StartSheet(), nullptr);
    ASSERT_NE(m_hWndPage, nullptr);

    // The controls show the record.
    wchar_t szDepth[16] = {};
    GetDlgItemTextW(m_hWndPage, IDC_UN_DEPTH, szDepth, 16);
    EXPECT_STREQ(szDepth, L"30");
    const HWND hWndWheel = GetDlgItem(m_hWndPage, IDC_UN_WHEEL);
    EXPECT_EQ(SendMessageW(hWndWheel, CB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(SendMessageW(hWndWheel, CB_GETCURSEL, 0, 0), 3);
    EXPECT_TRUE(IsChecked(m_hWndPage, IDC_UN_SCROLL));
    EXPECT_TRUE(IsChecked(m_hWndPage, IDC_UN_ALIGN));
    EXPECT_TRUE(IsChecked(m_hWndPage, IDC_UN_RESIZE));
    EXPECT_FALSE(IsChecked(m_hWndPage, IDC_UN_RESIZEWND));
    EXPECT_TRUE(IsWindowEnabled(hWndWheel)) << "scrolls undone, bars shown that take the wheel";
    SaveShot(m_hWndSheet, L"undo");
    // Scrolls no longer undone: nothing to merge, the list is off; and back.
    SendDlgItemMessageW(m_hWndPage, IDC_UN_SCROLL, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsChecked(m_hWndPage, IDC_UN_SCROLL));
    EXPECT_FALSE(IsWindowEnabled(hWndWheel));
    SendDlgItemMessageW(m_hWndPage, IDC_UN_SCROLL, BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(hWndWheel));
    const HWND hWndApply = GetDlgItem(m_hWndSheet, kIdApplyNow);
    EXPECT_TRUE(IsWindowEnabled(hWndApply)) << "a change enables Apply";

    // 0 and 101 lie outside 1 to 100; so does a number of 2^32 + 1, which would wrap to 1.
    SetDepthText(L"0");
    PostMessageW(m_hWndSheet, PSM_SETCURSEL, 0, 0);
    ExpectRefused("Depth 0, another tab");
    SetDepthText(L"101");
    PostMessageW(m_hWndSheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    ExpectRefused("Depth 101, OK");
    SetDepthText(L"4294967297");
    PostMessageW(m_hWndSheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
    ExpectRefused("Depth 2^32 + 1, Apply");
    EXPECT_EQ(RegGetDword(L"Undo", L"Depth"), std::optional<DWORD>(30)) << "nothing stored";

    // A valid depth and another choice, applied: in the registry, OK reads "Close", Cancel is off.
    SetDepthText(L"7");
    SendDlgItemMessageW(m_hWndPage, IDC_UN_ALIGN, BM_CLICK, 0, 0);
    SendMessageW(hWndWheel, CB_SETCURSEL, 1, 0);
    SendMessageW(m_hWndPage, WM_COMMAND, MAKEWPARAM(IDC_UN_WHEEL, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hWndWheel));
    PostMessageW(m_hWndSheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
    // Every value of the apply is written, Depth first: wait for the last one too.
    EXPECT_TRUE(WaitUntil([] { return RegGetDword(L"Undo", L"Depth") == std::optional<DWORD>(7); }, 5000));
    EXPECT_TRUE(WaitUntil(
        [] { return RegGetDword(L"Undo", L"Save Time Undo Data In Wheel Scroll") == std::optional<DWORD>(1); }, 5000));
    EXPECT_EQ(RegGetDword(L"Undo", L"Align"), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetDword(L"Undo", L"Save Time Undo Data In Wheel Scroll"), std::optional<DWORD>(1));
    EXPECT_EQ(RegGetDword(L"Undo", L"Resize"), std::optional<DWORD>(1));
    EXPECT_TRUE(WaitUntil([&] { return WindowTitle(GetDlgItem(m_hWndSheet, IDOK)) == L"Close"; }, 5000))
        << ToUtf8(WindowTitle(GetDlgItem(m_hWndSheet, IDOK)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(m_hWndSheet, IDCANCEL)));
    // The sheet turns Apply off once the pages have answered, a moment after OK is renamed.
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(hWndApply); }, 5000)) << "nothing left to apply";
    EXPECT_EQ(CurrentPage(m_hWndSheet), m_hWndPage);
    EXPECT_TRUE(FindMessageBoxes(m_prop.Pid()).empty());

    // The system menu's item opens the about box over the sheet.
    PostMessageW(m_hWndSheet, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    const HWND hAbout = WaitForWindow(kAboutTitle, 5000, L"#32770");
    ASSERT_NE(hAbout, nullptr);
    EXPECT_EQ(WindowPid(hAbout), m_prop.Pid());
    EXPECT_EQ(GetWindow(hAbout, GW_OWNER), m_hWndSheet);
    // Found by its title before its controls are all made: the text is waited for.
    wchar_t szText[64] = {};
    EXPECT_TRUE(WaitUntil(
        [&] {
            GetDlgItemTextW(hAbout, 1101, szText, 64);
            return std::wstring(szText) == L"Zuvora! のプロパティ Version 9.00";
        },
        5000))
        << ToUtf8(szText);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(m_hWndSheet); }, 5000)) << "modal over the sheet";
    SaveShot(hAbout, L"about");
    PostMessageW(hAbout, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(hAbout) && IsWindowEnabled(m_hWndSheet); }, 5000));

    // A depth typed after the apply, then the close box: the program ends and the registry keeps
    // what was applied, not the edit made since.
    SetDepthText(L"9");
    PostMessageW(m_hWndSheet, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(m_prop.WaitForExit(15000), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetDword(L"Undo", L"Depth"), std::optional<DWORD>(7)) << "an edit after the apply was stored";
}

namespace {

constexpr wchar_t kAppliedLine[] = L"プロパティ : 設定を適用しました.";
constexpr wchar_t kUndoLine[] = L"アンドゥ実行 : ";

class CoreUndoPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RegDeleteSettings());
        ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
        ASSERT_TRUE(RegSetDword(L"Undo", L"Depth", 3));
    }
    void TearDown() override
    {
        for (DWORD dwPid : ProcessesOf(ZV_PROPERTY64_FILE))
            CloseStrayMessageBoxes(dwPid);
    }

    // Three scrolls, each an undo step: A stands 30 pixels higher.
    void ThreeScrolls()
    {
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(m_run.TypeAndSettle({VK_CONTROL, VK_MENU, VK_DOWN}));
        ASSERT_TRUE(SameRect(Shifted(m_rcA, 0, -30), WindowRect(m_hA)));
    }
    // The settings command, the real sheet on the undo page, Depth typed.
    HWND OpenSheetAndType(const wchar_t* pszDepth)
    {
        if (!m_run.Command(ID_ZV_PROPERTY))
            return nullptr;
        const HWND hWndSheet = WaitForWindow(ZV_PROPERTY_WND_TITLE, 15000, L"#32770");
        if (!hWndSheet)
            return nullptr;
        PostMessageW(hWndSheet, PSM_SETCURSEL, kUndoPage, 0);
        HWND hWndPage = nullptr;
        if (!WaitUntil([&] { return (hWndPage = CurrentPage(hWndSheet)) && GetDlgItem(hWndPage, IDC_UN_DEPTH); }, 5000))
            return nullptr;
        SendDlgItemMessageW(hWndPage, IDC_UN_DEPTH, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pszDepth));
        return hWndSheet;
    }
    // Undo commands, each waited for; how many the core carried out.
    size_t Undos(int nCount)
    {
        const size_t nBefore = CountOf(m_run.Log(), kUndoLine);
        for (int i = 0; i < nCount; ++i)
            EXPECT_TRUE(m_run.Command(ID_ZV_UNDO, true));
        return CountOf(m_run.Log(), kUndoLine) - nBefore;
    }

    CRegistryGuard m_guard{kMakerKey};
    CCoreRun m_run{L"ZvCoreUndoPageTest"};
    CTestWnds m_wnds;
    HWND m_hA = nullptr;
    RECT m_rcA{};
};

} // namespace

TEST_F(CoreUndoPage, AnAppliedDepthReachesTheCoresUndoListAndACancelledOneDoesNot)
{
    m_hA = m_wnds.StartTitled({WndArg(300, 200, 300, 200, L"Zv Undo Page A")})[0];
    ASSERT_NE(m_hA, nullptr);
    m_rcA = WindowRect(m_hA);
    ASSERT_TRUE(m_run.Start());
    ThreeScrolls();

    // Depth 1 typed, then Cancel: the core keeps depth 3 and all three steps.
    HWND hWndSheet = OpenSheetAndType(L"1");
    ASSERT_NE(hWndSheet, nullptr);
    PostMessageW(hWndSheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    ASSERT_TRUE(WaitForSettingsProgramEnd());
    EXPECT_EQ(CountOf(m_run.Log(), kAppliedLine), 0u);
    EXPECT_EQ(Undos(3), 3u);
    EXPECT_TRUE(SameRect(m_rcA, WindowRect(m_hA))) << "three steps undone";
    EXPECT_EQ(RegGetDword(L"Undo", L"Depth"), std::optional<DWORD>(3));

    // Depth 1 applied: the core trims its list to the last step at once and saves the depth.
    ThreeScrolls();
    hWndSheet = OpenSheetAndType(L"1");
    ASSERT_NE(hWndSheet, nullptr);
    PostMessageW(hWndSheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
    EXPECT_TRUE(WaitUntil([] { return RegGetDword(L"Undo", L"Depth") == std::optional<DWORD>(1); }, 10000))
        << "the apply was not saved";
    EXPECT_TRUE(WaitUntil([&] { return WindowTitle(GetDlgItem(hWndSheet, IDOK)) == L"Close"; }, 5000));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hWndSheet, IDCANCEL)));
    // Depth 2 typed after the apply, then the close box: only what was applied reached the core.
    const HWND hWndPage = CurrentPage(hWndSheet);
    ASSERT_NE(hWndPage, nullptr);
    SendDlgItemMessageW(hWndPage, IDC_UN_DEPTH, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"2"));
    PostMessageW(hWndSheet, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitForSettingsProgramEnd());
    // The log written up to the core's last answer to it.
    ASSERT_TRUE(m_run.WaitForMoveEnd());
    // Both sessions ended without OK: the cancelled one and this one.
    EXPECT_EQ(2u, CountOf(m_run.Log(), L"プロパティ : 設定プログラムが終了します (適用 = 0)."))
        << "the sheet left without OK handed its last edits over";
    EXPECT_EQ(RegGetDword(L"Undo", L"Depth"), std::optional<DWORD>(1));
    EXPECT_EQ(Undos(2), 1u) << "one step kept of three";
    EXPECT_TRUE(SameRect(Shifted(m_rcA, 0, -20), WindowRect(m_hA)));
    EXPECT_EQ(0, m_run.Close());
}
