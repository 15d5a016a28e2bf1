// The scroll width and the auto scroll pages of the settings program. In registry mode (no core
// program): the defaults an empty registry shows, the device tree and the mode radios, the
// up-downs, the help line, the defaults button, the range message on every way out of an entry or
// the page, an entry whose mode names none of the three repaired by its radios, what OK stores,
// and every setting of both pages carried through untouched. In core mode, the real settings
// program started by the core's settings command: an applied keyboard width moves the next scroll
// by it, and an applied auto-scroll band lands in what the core saves.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "CoreRun.h"
#include "SettingsSheet.h"
#include "settings/values/ScrlWdthValues.h"
#include "settings/resource.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;
using namespace zvsheet;

namespace {

// The registry name of an entry's field: "KeybdVertLineAbs" for entry 6, field "Abs".
std::wstring ScrollName(int nEntry, const wchar_t* pszField)
{
    static const wchar_t* const apszDevice[] = {L"Mouse", L"Keybd", L"Wheel"};
    return std::wstring(apszDevice[nEntry / 4]) + (nEntry / 2 % 2 ? L"Vert" : L"Horz") +
           (nEntry % 2 ? L"Page" : L"Line") + pszField;
}

class ScrlWdthSheet : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RegDeleteSettings()); }
    void TearDown() override
    {
        for (DWORD dwPid : ProcessesOf(ZV_PROPERTY64_FILE))
            CloseStrayMessageBoxes(dwPid);
    }

    // The tree item with this value (depth first), and its text.
    HTREEITEM FindItem(int nValue, HTREEITEM hFirst = nullptr) const
    {
        for (HTREEITEM h = hFirst ? hFirst : m_sheet.TreeNext(IDC_TREE, TVGN_ROOT); h;
             h = m_sheet.TreeNext(IDC_TREE, TVGN_NEXT, h)) {
            const auto item = m_sheet.TreeItem(IDC_TREE, h);
            if (item && item->first == nValue)
                return h;
            if (HTREEITEM hChild = m_sheet.TreeNext(IDC_TREE, TVGN_CHILD, h))
                if (HTREEITEM hFound = FindItem(nValue, hChild))
                    return hFound;
        }
        return nullptr;
    }
    std::vector<std::pair<LPARAM, std::wstring>> Children(HTREEITEM hParent) const
    {
        std::vector<std::pair<LPARAM, std::wstring>> lst;
        for (HTREEITEM h = m_sheet.TreeNext(IDC_TREE, TVGN_CHILD, hParent); h;
             h = m_sheet.TreeNext(IDC_TREE, TVGN_NEXT, h))
            lst.push_back(m_sheet.TreeItem(IDC_TREE, h).value_or(std::pair<LPARAM, std::wstring>{-1, L""}));
        return lst;
    }
    // The item chosen as by the user and taken: the tree's selection is on it and the help line
    // tells its text.
    bool Choose(int nValue, const std::wstring& strHelp)
    {
        HTREEITEM h = FindItem(nValue);
        if (!h)
            return false;
        m_sheet.SelectTreeItem(IDC_TREE, h);
        return WaitUntil(
            [&] { return m_sheet.TreeNext(IDC_TREE, TVGN_CARET) == h && m_sheet.Text(IDC_HELP_LINE) == strHelp; },
            5000);
    }
    // A choice that the page refuses: the range message, and the selection stays where it was.
    void ChooseRefused(int nValue, int nEdit, unsigned nHigh, const char* pszWhat)
    {
        HTREEITEM hBefore = m_sheet.TreeNext(IDC_TREE, TVGN_CARET);
        m_sheet.SelectTreeItem(IDC_TREE, FindItem(nValue));
        m_sheet.ExpectRefused(nEdit, 1, nHigh, pszWhat);
        EXPECT_EQ(m_sheet.TreeNext(IDC_TREE, TVGN_CARET), hBefore) << pszWhat;
    }
    // Which of the three modes' radios are on and checked, and which edits are on.
    std::wstring ModeControls() const
    {
        std::wstring str;
        for (int nId : {IDC_SW_ABS, IDC_SW_REL, IDC_SW_SCR})
            str += std::wstring(IsWindowEnabled(m_sheet.Item(nId)) ? L"E" : L"-") + (m_sheet.IsChecked(nId) ? L"*" : L" ");
        for (int nId : {IDC_SW_ABS_EDIT, IDC_SW_REL_EDIT, IDC_SW_SCR_EDIT})
            str += IsWindowEnabled(m_sheet.Item(nId)) ? L"E" : L"-";
        return str;
    }
    bool ApplyEnabled() const { return IsWindowEnabled(GetDlgItem(m_sheet.Sheet(), kIdApplyNow)); }
    // A key pressed in a control, as the keyboard gives it to the focus.
    void PostKey(int nId, WORD vk) const
    {
        PostMessageW(m_sheet.Item(nId), WM_KEYDOWN, vk, 1);
        PostMessageW(m_sheet.Item(nId), WM_KEYUP, vk, 0xC0000001);
    }
    int TrackPos(int nId) const { return static_cast<int>(SendMessageW(m_sheet.Item(nId), TBM_GETPOS, 0, 0)); }
    LRESULT ComboSel(int nId) const { return SendMessageW(m_sheet.Item(nId), CB_GETCURSEL, 0, 0); }
    bool Closed() { return m_sheet.Process().WaitForExit(15000) == std::optional<DWORD>(0); }

    CRegistryGuard m_guard{kMakerKey};
    CSettingsSheet m_sheet;
};

const std::wstring kHelpMouseLine = L" ｽｸﾛｰﾙﾊﾞｰ矢印をｸﾘｯｸした時のｽｸﾛｰﾙ幅を指定します.";
const std::wstring kHelpKeybdLine = L" ｷｰﾎﾞｰﾄﾞﾌﾟﾛﾊﾟﾃｨで指定したｷｰを押した時のﾗｲﾝｽｸﾛｰﾙ幅を指定します.";
const std::wstring kHelpKeybdPage = L" ｷｰﾎﾞｰﾄﾞﾌﾟﾛﾊﾟﾃｨで指定したｷｰを押した時のﾍﾟｰｼﾞｽｸﾛｰﾙ幅を指定します.";
const std::wstring kHelpWheelPage = L" Shiftｷｰを押しながらﾏｳｽﾎｲｰﾙを回した時のｽｸﾛｰﾙ幅を指定します.";
const std::wstring kHelpRoot = L" デバイスを選択して下さい.";
const std::wstring kHelpDevice = L" 操作を選択して下さい.";
const std::wstring kHelpScreens = L" ｽｸﾛｰﾙ幅をﾃﾞｽｸﾄｯﾌﾟ画面単位で指定します.";
const std::wstring kHelpRelative = L" ｽｸﾛｰﾙ幅をｽｸﾛｰﾙﾊﾞｰ上のﾋﾟｸｾﾙ単位で指定します.";

} // namespace

TEST_F(ScrlWdthSheet, ScrollWidthsEditedThroughTreeRadiosAndUpDownsWithEveryWayOutChecked)
{
    // Everything default but one mode that names none of the three.
    ASSERT_TRUE(RegSetDword(L"Scroll", ScrollName(7, L"Mode"), 2));
    ASSERT_TRUE(m_sheet.Start(kPageScrlWdth, IDC_TREE));

    // The tree: every device offered by default, each with its four operations.
    HTREEITEM hRoot = m_sheet.TreeNext(IDC_TREE, TVGN_ROOT);
    ASSERT_NE(hRoot, nullptr);
    EXPECT_EQ(m_sheet.TreeItem(IDC_TREE, hRoot),
              (std::pair<LPARAM, std::wstring>{PageValues::SCRLWDTH_ITEM_ROOT, L"スクロール操作"}));
    using ITEMS = std::vector<std::pair<LPARAM, std::wstring>>;
    EXPECT_EQ(Children(hRoot), (ITEMS{{200, L"マウス"}, {300, L"キーボード"}, {400, L"ホイール"}}));
    EXPECT_EQ(Children(FindItem(300)), (ITEMS{{4, L"水平ラインスクロール"}, {5, L"水平ページスクロール"},
                                              {6, L"垂直ラインスクロール"}, {7, L"垂直ページスクロール"}}));
    // The first entry is selected and shown, at its defaults.
    EXPECT_TRUE(WaitUntil([&] { return m_sheet.TreeNext(IDC_TREE, TVGN_CARET) == FindItem(0); }, 5000));
    EXPECT_EQ(m_sheet.Text(IDC_HELP_LINE), kHelpMouseLine);
    EXPECT_EQ(m_sheet.Text(IDC_SW_ABS_EDIT) + L"," + m_sheet.Text(IDC_SW_REL_EDIT) + L"," +
                  m_sheet.Text(IDC_SW_SCR_EDIT),
              L"10,10,1");
    EXPECT_EQ(ModeControls(), L"E*E E E--");
    EXPECT_TRUE(IsWindowEnabled(m_sheet.Item(IDC_SW_ABS_SPIN)));
    EXPECT_FALSE(IsWindowEnabled(m_sheet.Item(IDC_SW_SCR_SPIN)));
    EXPECT_TRUE(IsWindowEnabled(m_sheet.Item(IDC_DEFAULT)));
    SaveShot(m_sheet.Sheet(), L"scroll-width");
    ASSERT_TRUE(Choose(9, kHelpWheelPage));
    EXPECT_EQ(m_sheet.Text(IDC_SW_ABS_EDIT) + L"," + m_sheet.Text(IDC_SW_REL_EDIT) + L"," +
                  m_sheet.Text(IDC_SW_SCR_EDIT),
              L"200,200,1");
    // The root and the devices edit nothing: every mode control and the defaults button are off.
    ASSERT_TRUE(Choose(PageValues::SCRLWDTH_ITEM_ROOT, kHelpRoot));
    EXPECT_EQ(ModeControls(), L"- - - ---");
    EXPECT_FALSE(IsWindowEnabled(m_sheet.Item(IDC_DEFAULT)));
    ASSERT_TRUE(Choose(300, kHelpDevice));
    EXPECT_FALSE(IsWindowEnabled(m_sheet.Item(IDC_DEFAULT)));
    EXPECT_FALSE(ApplyEnabled()) << "looking changes nothing";

    // The up-down takes the arrow key in its edit: 10 becomes 11 in the record.
    ASSERT_TRUE(Choose(6, kHelpKeybdLine));
    m_sheet.Focus(IDC_SW_ABS_EDIT);
    PostKey(IDC_SW_ABS_EDIT, VK_UP);
    EXPECT_TRUE(WaitUntil([&] { return m_sheet.Text(IDC_SW_ABS_EDIT) == L"11"; }, 5000))
        << ToUtf8(m_sheet.Text(IDC_SW_ABS_EDIT));
    EXPECT_TRUE(ApplyEnabled());
    // Every way out of an entry checks it: another operation, the root, another page, OK, Apply.
    m_sheet.SetText(IDC_SW_ABS_EDIT, L"");
    ChooseRefused(4, IDC_SW_ABS_EDIT, 500, "empty, another operation");
    m_sheet.SetText(IDC_SW_ABS_EDIT, L"0");
    ChooseRefused(PageValues::SCRLWDTH_ITEM_ROOT, IDC_SW_ABS_EDIT, 500, "0, the root");
    m_sheet.SetText(IDC_SW_ABS_EDIT, L"501");
    m_sheet.Press(PSBTN_OK);
    m_sheet.ExpectRefused(IDC_SW_ABS_EDIT, 1, 500, "501, OK");
    m_sheet.SetText(IDC_SW_ABS_EDIT, L"4294967297");
    m_sheet.Press(PSBTN_APPLYNOW);
    m_sheet.ExpectRefused(IDC_SW_ABS_EDIT, 1, 500, "2^32 + 1, Apply");
    const auto dwStored = RegGetDword(L"Scroll", ScrollName(6, L"Abs"));
    EXPECT_TRUE(!dwStored || *dwStored == 10) << "nothing stored";
    m_sheet.SetText(IDC_SW_ABS_EDIT, L"11");

    // A mode of none of the three: the radios stay on, unchecked, and choosing one repairs it.
    ASSERT_TRUE(Choose(7, kHelpKeybdPage));
    EXPECT_EQ(ModeControls(), L"E E E ---");
    m_sheet.Click(IDC_SW_SCR);
    EXPECT_EQ(ModeControls(), L"E E E*--E");
    EXPECT_EQ(m_sheet.Text(IDC_HELP_LINE), kHelpScreens);
    m_sheet.SetText(IDC_SW_SCR_EDIT, L"11");
    PostMessageW(m_sheet.Sheet(), PSM_SETCURSEL, kPageAutoScrl, 0);
    m_sheet.ExpectRefused(IDC_SW_SCR_EDIT, 1, 10, "11 screens, another page");
    m_sheet.SetText(IDC_SW_SCR_EDIT, L"4");

    // The defaults button puts back the selected entry only.
    ASSERT_TRUE(Choose(5, kHelpKeybdPage));
    m_sheet.Click(IDC_SW_REL);
    EXPECT_EQ(m_sheet.Text(IDC_HELP_LINE), kHelpRelative);
    m_sheet.SetText(IDC_SW_REL_EDIT, L"33");
    m_sheet.Click(IDC_DEFAULT);
    EXPECT_EQ(ModeControls(), L"E*E E E--");
    EXPECT_EQ(m_sheet.Text(IDC_SW_REL_EDIT), L"200");

    m_sheet.Press(PSBTN_OK);
    ASSERT_TRUE(Closed());
    EXPECT_EQ(RegGetDword(L"Scroll", ScrollName(6, L"Abs")), std::optional<DWORD>(11));
    EXPECT_EQ(RegGetDword(L"Scroll", ScrollName(6, L"Mode")), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetDword(L"Scroll", ScrollName(7, L"Mode")), std::optional<DWORD>(3)) << "3, not 2";
    EXPECT_EQ(RegGetDword(L"Scroll", ScrollName(7, L"Scr")), std::optional<DWORD>(4));
    EXPECT_EQ(RegGetDword(L"Scroll", ScrollName(5, L"Mode")), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetDword(L"Scroll", ScrollName(5, L"Rel")), std::optional<DWORD>(200));
    EXPECT_EQ(RegGetDword(L"Scroll", ScrollName(0, L"Abs")), std::optional<DWORD>(10));
}

TEST_F(ScrlWdthSheet, AutoScrollListsTrackbarsHelpLineDefaultsAndTheBandRule)
{
    ASSERT_TRUE(m_sheet.Start(kPageAutoScrl, IDC_AS_MODE));
    // The defaults of an empty registry.
    EXPECT_EQ(SendMessageW(m_sheet.Item(IDC_AS_MODE), CB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(SendMessageW(m_sheet.Item(IDC_AS_DELAY), CB_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(ComboSel(IDC_AS_MODE), 3);
    EXPECT_EQ(ComboSel(IDC_AS_DELAY), 4);
    EXPECT_EQ(m_sheet.Text(IDC_AS_INT_RANGE), L"50");
    EXPECT_EQ(m_sheet.Text(IDC_AS_EXT_RANGE), L"10");
    EXPECT_EQ(TrackPos(IDC_AS_INT_SPEED), 10);
    EXPECT_EQ(TrackPos(IDC_AS_EXT_SPEED), 20);
    EXPECT_EQ(m_sheet.Text(IDC_HELP_LINE), L" オートスクロールの動作を指定してください");
    SaveShot(m_sheet.Sheet(), L"auto-scroll");

    // The help line follows the focus.
    const std::pair<int, const wchar_t*> help[] = {
        {IDC_AS_DELAY, L" オートスクロールの開始条件を指定してください"},
        {IDC_AS_INT_RANGE, L" オートスクロール領域内側の範囲を指定してください"},
        {IDC_AS_EXT_RANGE, L" オートスクロール領域外側の範囲を指定してください"},
        {IDC_DEFAULT, L" オートスクロール動作を標準に設定します"},
    };
    for (const auto& [nId, pszHelp] : help) {
        m_sheet.Focus(nId);
        EXPECT_TRUE(WaitUntil([&] { return m_sheet.Text(IDC_HELP_LINE) == pszHelp; }, 5000)) << nId;
    }
    // A trackbar moved by its key: the record takes it, the line tells the focused bar's text.
    m_sheet.Focus(IDC_AS_INT_SPEED);
    PostKey(IDC_AS_INT_SPEED, VK_END);
    EXPECT_TRUE(WaitUntil(
        [&] { return m_sheet.Text(IDC_HELP_LINE) == L" オートスクロール領域内側の速度を指定してください"; }, 5000));
    EXPECT_EQ(TrackPos(IDC_AS_INT_SPEED), 30);
    EXPECT_TRUE(ApplyEnabled());

    // No auto scroll: only the mode list and the defaults button stay on.
    m_sheet.ChooseCombo(IDC_AS_MODE, 0);
    for (int nId : {IDC_AS_DELAY, IDC_AS_INT_RANGE, 1065, IDC_AS_INT_SPEED, IDC_AS_EXT_RANGE, 1068, IDC_AS_EXT_SPEED})
        EXPECT_FALSE(IsWindowEnabled(m_sheet.Item(nId))) << nId;
    EXPECT_TRUE(IsWindowEnabled(m_sheet.Item(IDC_AS_MODE)));
    EXPECT_TRUE(IsWindowEnabled(m_sheet.Item(IDC_DEFAULT)));
    m_sheet.ChooseCombo(IDC_AS_MODE, 2);
    EXPECT_TRUE(IsWindowEnabled(m_sheet.Item(IDC_AS_EXT_SPEED)));

    // The outer band first, then the inner one, which must reach at least as far.
    m_sheet.SetText(IDC_AS_EXT_RANGE, L"0");
    m_sheet.SetText(IDC_AS_INT_RANGE, L"0");
    PostMessageW(m_sheet.Sheet(), PSM_SETCURSEL, kPageScrlWdth, 0);
    m_sheet.ExpectRefused(IDC_AS_EXT_RANGE, 1, 200, "outer 0, another page");
    m_sheet.SetText(IDC_AS_EXT_RANGE, L"10");
    m_sheet.SetText(IDC_AS_INT_RANGE, L"9");
    m_sheet.Press(PSBTN_OK);
    m_sheet.ExpectRefused(IDC_AS_INT_RANGE, 10, 200, "inner 9 inside outer 10, OK");
    m_sheet.SetText(IDC_AS_INT_RANGE, L"4294967306");
    m_sheet.Press(PSBTN_APPLYNOW);
    m_sheet.ExpectRefused(IDC_AS_INT_RANGE, 10, 200, "inner 2^32 + 10, Apply");

    // The defaults button, then Apply: the defaults stored; the button marks the page changed even
    // when nothing differs, and choosing the choice already chosen does not.
    m_sheet.Click(IDC_DEFAULT);
    EXPECT_EQ(ComboSel(IDC_AS_MODE), 3);
    EXPECT_EQ(m_sheet.Text(IDC_AS_INT_RANGE), L"50");
    EXPECT_EQ(TrackPos(IDC_AS_INT_SPEED), 10);
    m_sheet.Press(PSBTN_APPLYNOW);
    EXPECT_TRUE(WaitUntil([] { return RegGetDword(L"Auto Scroll", L"Internal Range") == std::optional<DWORD>(50); }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return !ApplyEnabled(); }, 5000));
    m_sheet.ChooseCombo(IDC_AS_MODE, 3);
    EXPECT_FALSE(ApplyEnabled());
    m_sheet.Click(IDC_DEFAULT);
    EXPECT_TRUE(ApplyEnabled());

    // Changed through the up-down, a list and a trackbar's key, then OK.
    m_sheet.Focus(IDC_AS_EXT_RANGE);
    PostKey(IDC_AS_EXT_RANGE, VK_UP);
    EXPECT_TRUE(WaitUntil([&] { return m_sheet.Text(IDC_AS_EXT_RANGE) == L"11"; }, 5000));
    m_sheet.ChooseCombo(IDC_AS_DELAY, 1);
    m_sheet.Focus(IDC_AS_EXT_SPEED);
    PostKey(IDC_AS_EXT_SPEED, VK_LEFT);
    EXPECT_TRUE(WaitUntil([&] { return TrackPos(IDC_AS_EXT_SPEED) == 19; }, 5000));
    m_sheet.Press(PSBTN_OK);
    ASSERT_TRUE(Closed());
    EXPECT_EQ(RegGetDword(L"Auto Scroll", L"External Range"), std::optional<DWORD>(11));
    EXPECT_EQ(RegGetDword(L"Auto Scroll", L"Delay"), std::optional<DWORD>(1));
    EXPECT_EQ(RegGetDword(L"Auto Scroll", L"External Speed"), std::optional<DWORD>(19));
    EXPECT_EQ(RegGetDword(L"Auto Scroll", L"Internal Range"), std::optional<DWORD>(50));
    EXPECT_EQ(RegGetDword(L"Auto Scroll", L"Mode"), std::optional<DWORD>(3));
}

TEST_F(ScrlWdthSheet, EverySettingOfBothPagesComesBackUntouched)
{
    // Every scroll width its own value; the wheel not offered while the bars hide themselves.
    for (int nEntry = 0; nEntry < 12; ++nEntry) {
        ASSERT_TRUE(RegSetDword(L"Scroll", ScrollName(nEntry, L"Mode"), nEntry == 7 ? 2 : nEntry % 2 ? 1 : 3));
        ASSERT_TRUE(RegSetDword(L"Scroll", ScrollName(nEntry, L"Abs"), 100 + nEntry));
        ASSERT_TRUE(RegSetDword(L"Scroll", ScrollName(nEntry, L"Rel"), 300 + nEntry));
        ASSERT_TRUE(RegSetDword(L"Scroll", ScrollName(nEntry, L"Scr"), 1 + nEntry % 10));
    }
    ASSERT_TRUE(RegSetDword(L"View", L"Hide", 1));
    const std::pair<const wchar_t*, DWORD> autoScroll[] = {{L"Mode", 2},          {L"External Range", 7},
                                                           {L"External Speed", 25}, {L"Internal Range", 80},
                                                           {L"Internal Speed", 12}, {L"Delay", 1}};
    for (const auto& [pszName, dw] : autoScroll)
        ASSERT_TRUE(RegSetDword(L"Auto Scroll", pszName, dw));
    ASSERT_TRUE(m_sheet.Start(kPageScrlWdth, IDC_TREE));

    using ITEMS = std::vector<std::pair<LPARAM, std::wstring>>;
    EXPECT_EQ(Children(m_sheet.TreeNext(IDC_TREE, TVGN_ROOT)), (ITEMS{{200, L"マウス"}, {300, L"キーボード"}}));
    EXPECT_TRUE(WaitUntil([&] { return m_sheet.Text(IDC_SW_SCR_EDIT) == L"1"; }, 5000));
    EXPECT_EQ(m_sheet.Text(IDC_SW_ABS_EDIT), L"100");
    EXPECT_EQ(ModeControls(), L"E E E*--E");
    ASSERT_TRUE(Choose(5, kHelpKeybdPage));
    EXPECT_EQ(m_sheet.Text(IDC_SW_REL_EDIT), L"305");
    EXPECT_EQ(ModeControls(), L"E E*E -E-");
    ASSERT_TRUE(Choose(7, kHelpKeybdPage));
    EXPECT_EQ(ModeControls(), L"E E E ---");

    ASSERT_TRUE(m_sheet.Select(kPageAutoScrl, IDC_AS_MODE));
    EXPECT_EQ(ComboSel(IDC_AS_MODE), 2);
    EXPECT_EQ(ComboSel(IDC_AS_DELAY), 1);
    EXPECT_EQ(m_sheet.Text(IDC_AS_EXT_RANGE), L"7");
    EXPECT_EQ(m_sheet.Text(IDC_AS_INT_RANGE), L"80");
    EXPECT_EQ(TrackPos(IDC_AS_EXT_SPEED), 25);
    EXPECT_EQ(TrackPos(IDC_AS_INT_SPEED), 12);
    EXPECT_FALSE(ApplyEnabled());

    m_sheet.Press(PSBTN_OK);
    ASSERT_TRUE(Closed());
    for (int nEntry = 0; nEntry < 12; ++nEntry) {
        EXPECT_EQ(RegGetDword(L"Scroll", ScrollName(nEntry, L"Mode")),
                  std::optional<DWORD>(nEntry == 7 ? 2 : nEntry % 2 ? 1 : 3)) << nEntry;
        EXPECT_EQ(RegGetDword(L"Scroll", ScrollName(nEntry, L"Abs")), std::optional<DWORD>(100 + nEntry)) << nEntry;
        EXPECT_EQ(RegGetDword(L"Scroll", ScrollName(nEntry, L"Rel")), std::optional<DWORD>(300 + nEntry)) << nEntry;
        EXPECT_EQ(RegGetDword(L"Scroll", ScrollName(nEntry, L"Scr")), std::optional<DWORD>(1 + nEntry % 10)) << nEntry;
    }
    for (const auto& [pszName, dw] : autoScroll)
        EXPECT_EQ(RegGetDword(L"Auto Scroll", pszName), std::optional<DWORD>(dw)) << ToUtf8(pszName);
    EXPECT_EQ(RegGetDword(L"View", L"Hide"), std::optional<DWORD>(1));
}

namespace {


} // namespace

TEST_F(ScrlWdthSheet, AppliedToTheRunningCoreAKeyboardWidthMovesTheNextScrollAndTheBandIsSaved)
{
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
    CTestWnds wnds;
    const HWND hA = wnds.StartTitled({WndArg(300, 200, 300, 200, L"Zv Scroll Width Page A")})[0];
    ASSERT_NE(hA, nullptr);
    const RECT rcA = WindowRect(hA);
    CCoreRun run{L"ZvCoreScrlWdthPageTest"};
    ASSERT_TRUE(run.Start());

    ASSERT_TRUE(run.Command(ID_ZV_PROPERTY));
    ASSERT_TRUE(m_sheet.Attach());
    ASSERT_TRUE(m_sheet.Select(kPageScrlWdth, IDC_TREE));
    ASSERT_TRUE(Choose(6, kHelpKeybdLine));
    m_sheet.SetText(IDC_SW_ABS_EDIT, L"25");
    ASSERT_TRUE(m_sheet.Select(kPageAutoScrl, IDC_AS_EXT_RANGE));
    m_sheet.SetText(IDC_AS_EXT_RANGE, L"15");
    m_sheet.Press(PSBTN_APPLYNOW);
    EXPECT_TRUE(WaitUntil(
        [] {
            return RegGetDword(L"Auto Scroll", L"External Range") == std::optional<DWORD>(15) &&
                   RegGetDword(L"Scroll", ScrollName(6, L"Abs")) == std::optional<DWORD>(25);
        },
        10000))
        << "saved by the core";

    // The sheet still open: the core's next keyboard scroll goes 25 pixels.
    ASSERT_TRUE(run.TypeAndSettle({VK_CONTROL, VK_MENU, VK_DOWN}));
    EXPECT_TRUE(SameRect(Shifted(rcA, 0, -25), WindowRect(hA))) << run.LogLinesWith(L"Zv Scroll Width Page A");
    m_sheet.Press(PSBTN_OK);
    ASSERT_TRUE(WaitForSettingsProgramEnd());
    EXPECT_EQ(0, run.Close());
}
