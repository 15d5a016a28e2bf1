// The keyboard and window pages of the settings program. In registry mode (no core program): the
// defaults both pages show on an empty registry, combinations pressed on the real keyboard while a
// key edit has the focus (the page's own hook), refused with the rule's text in the help line or
// stored, the enabling rules, and OK storing every change; a record of other values goes through
// both pages and OK back into the registry unchanged. In core mode: the keys come through the core
// program's hook, also when no key row of the core needed it, and an apply reaches the core, which
// then opens its menu by the new key.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "CoreRun.h"
#include "SettingsSheet.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;
using namespace zvsheet;

namespace {

constexpr int kIdHelp = 1011;
constexpr int kIdScrollEnable = 1070, kIdTarget = 1071, kIdScrollKeys = 1072, kIdUndoEnable = 1073,
              kIdUndoKeys = 1074, kIdMenuEnable = 1075, kIdMenuKeys = 1076;
constexpr int kIdNone = 1045, kIdMinimum = 1046, kIdCenter = 1047, kIdIgnore = 1048, kIdKeyLabel = 1049,
              kIdKey = 1050, kIdCntLabel = 1051, kIdCnt = 1052, kIdMaxCancel = 1053, kIdRestorePos = 1054;
constexpr wchar_t kHelp[] = L" アクティブウィンドウに関係無く設定したキーで動作します";
constexpr wchar_t kKb[] = L"Keyboard";
constexpr wchar_t kWn[] = L"Window";

// The registry's keys of a key row, up to the closing 0, and values of one section.
std::vector<DWORD> RegKeys(const wchar_t* pszFormat)
{
    std::vector<DWORD> keys;
    wchar_t szName[64];
    for (int i = 0; swprintf_s(szName, pszFormat, i) > 0 && i < 10; ++i) {
        const std::optional<DWORD> dw = RegGetDword(kKb, szName);
        if (!dw || *dw == 0)
            break;
        keys.push_back(*dw);
    }
    return keys;
}
void SetRegKeys(const wchar_t* pszFormat, const std::vector<DWORD>& keys)
{
    wchar_t szName[64];
    for (size_t i = 0; i <= keys.size() && swprintf_s(szName, pszFormat, static_cast<int>(i)) > 0; ++i)
        ASSERT_TRUE(RegSetDword(kKb, szName, i < keys.size() ? keys[i] : 0));
}
void ExpectReg(const wchar_t* pszSection, std::initializer_list<std::pair<const wchar_t*, DWORD>> values)
{
    for (const auto& [pszName, dw] : values)
        EXPECT_EQ(RegGetDword(pszSection, pszName), std::optional<DWORD>(dw)) << ToUtf8(pszName);
}

class PropertyKeybdWindowPage : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RegDeleteSettings()); }

    // The edit takes the focus as by the user's Tab, and with it the capture.
    void FocusEdit(int nId)
    {
        m_nIdCapture = nId;
        SendMessageW(m_sheet.Page(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_sheet.Item(nId)), TRUE);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(m_sheet.Sheet()) == m_sheet.Item(nId); }, 5000));
    }
    // Holds the keys down on the keyboard until the help line tells strHelp and the capturing edit
    // shows strShown, then lets them go; afterwards the help line has its own text again.
    ::testing::AssertionResult Held(std::initializer_list<WORD> vks, const std::wstring& strHelp,
                                    const std::wstring& strShown)
    {
        for (WORD vk : vks) {
            KeyDown(vk);
            PumpFor(20);
        }
        const bool bShown = WaitUntil([&] { return Text(kIdHelp) == strHelp && Text(m_nIdCapture) == strShown; }, 5000);
        for (auto it = std::rbegin(vks); it != std::rend(vks); ++it)
            KeyUp(*it);
        if (!bShown || !WaitUntil([&] { return Text(kIdHelp) == kHelp; }, 5000))
            return ::testing::AssertionFailure() << "help: " << ToUtf8(Text(kIdHelp)) << ", edit: " << ToUtf8(Text(m_nIdCapture));
        return ::testing::AssertionSuccess();
    }
    // WM_GETTEXT: GetWindowTextW does not ask another process's edit or combo box.
    std::wstring Text(int nId) const
    {
        wchar_t sz[256] = {};
        SendMessageW(m_sheet.Item(nId), WM_GETTEXT, std::size(sz), reinterpret_cast<LPARAM>(sz));
        return sz;
    }
    bool Enabled(int nId) const { return IsWindowEnabled(m_sheet.Item(nId)) != FALSE; }
    // Which of the window page's ignore controls are enabled: the check box, then the two lists
    // with their labels ("1 1111").
    std::string IgnoreControls() const
    {
        std::string str = Enabled(kIdIgnore) ? "1 " : "0 ";
        for (int nId : {kIdKeyLabel, kIdKey, kIdCntLabel, kIdCnt})
            str += Enabled(nId) ? '1' : '0';
        return str;
    }

    CRegistryGuard m_guard{kMakerKey};
    CSettingsSheet m_sheet;
    int m_nIdCapture = 0;
};

} // namespace

TEST_F(PropertyKeybdWindowPage, DefaultsCapturedKeysAndEnablingRulesReachTheRegistryOnOk)
{
    ASSERT_TRUE(m_sheet.Start(kPageKeybd, kIdMenuKeys));

    // The defaults of an empty registry.
    for (int nId : {kIdScrollEnable, kIdUndoEnable, kIdMenuEnable})
        EXPECT_TRUE(m_sheet.IsChecked(nId) && Enabled(nId)) << nId;
    EXPECT_EQ(SendMessageW(m_sheet.Item(kIdTarget), CB_GETCOUNT, 0, 0), 8);
    EXPECT_EQ(Text(kIdTarget), L"←ラインスクロール");
    EXPECT_EQ(Text(kIdScrollKeys), L"Ctrl + Alt + ←");
    EXPECT_EQ(Text(kIdUndoKeys), L"Ctrl + Alt + Z");
    EXPECT_EQ(Text(kIdMenuKeys), L"Ctrl + Alt + F11");
    EXPECT_EQ(Text(kIdHelp), kHelp);
    SaveShot(m_sheet.Sheet(), L"keyboard");
    m_sheet.ChooseCombo(kIdTarget, 5);
    const std::wstring strUpPage = L"Shift + Ctrl + Alt + ↑";
    EXPECT_EQ(Text(kIdScrollKeys), strUpPage);

    // Keys pressed in the edit: refusals keep the entry, a valid combination replaces it.
    FocusEdit(kIdScrollKeys);
    EXPECT_EQ(Text(kIdHelp), L" 上ページスクロールに割り当てるキーを押してください");
    EXPECT_TRUE(Held({VK_CONTROL, 'Q'}, L" Ctrlキー単独では指定できません. Shift, Altと組み合わせて下さい.", strUpPage));
    EXPECT_TRUE(Held({VK_SHIFT, VK_CONTROL, VK_UP}, L" Shift + Ctrl + ↑ は指定できません.", strUpPage));
    EXPECT_TRUE(Held({VK_CONTROL, VK_MENU, VK_LWIN}, L" Windowsキーは指定できません.", strUpPage));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(m_sheet.Sheet(), kIdApplyNow))) << "nothing stored";
    // Pressed one after another, eight keys are stored whole; the ninth is more than the registry
    // keeps: refused, the eight stay.
    EXPECT_TRUE(Held({VK_CONTROL, VK_MENU, 'A', 'B', 'C', 'D', 'E', 'F', 'G'}, L" 9個以上のキーは指定できません.",
                     L"Ctrl + Alt + A + B + C + D + E + F"));
    EXPECT_TRUE(Held({VK_CONTROL, VK_MENU, 'K'}, kHelp, L"Ctrl + Alt + K"));
    EXPECT_EQ(Text(kIdTarget), L"↑ページスクロール") << "typed keys reach neither the edit nor the sheet";
    // Apply stores it; the edit keeps the focus and captures on.
    m_sheet.Press(PSBTN_APPLYNOW);
    EXPECT_TRUE(m_sheet.WaitForClose());
    EXPECT_TRUE(WaitUntil([] { return RegKeys(L"Scroll Key (Up Page) No.%d") == std::vector<DWORD>{VK_CONTROL, VK_MENU, 'K'}; }, 5000));
    // The store comes before the page is active again: its edit captures once it says so.
    EXPECT_TRUE(WaitUntil([&] { return Text(kIdHelp) == L" 上ページスクロールに割り当てるキーを押してください"; }, 5000))
        << ToUtf8(Text(kIdHelp));
    EXPECT_TRUE(Held({VK_CONTROL, VK_MENU, 'L'}, kHelp, L"Ctrl + Alt + L"));
    FocusEdit(kIdMenuKeys);
    EXPECT_EQ(Text(kIdHelp), L" メニュー選択に割り当てるキーを押してください");
    EXPECT_TRUE(Held({VK_SHIFT, VK_CONTROL, VK_MENU, VK_DOWN}, kHelp, L"Shift + Ctrl + Alt + ↓"));

    // Enabling: the undo row off disables its edit; the scroll check inverts all eight.
    m_sheet.Click(kIdUndoEnable);
    EXPECT_FALSE(Enabled(kIdUndoKeys));
    m_sheet.Click(kIdScrollEnable);
    EXPECT_FALSE(m_sheet.IsChecked(kIdScrollEnable) || Enabled(kIdTarget) || Enabled(kIdScrollKeys));

    // The window page's defaults, its icons and its enabling rules.
    ASSERT_TRUE(m_sheet.Select(kPageZvWindow, kIdRestorePos));
    EXPECT_TRUE(m_sheet.IsChecked(kIdMinimum) && m_sheet.IsChecked(kIdIgnore));
    EXPECT_FALSE(m_sheet.IsChecked(kIdNone) || m_sheet.IsChecked(kIdCenter) || m_sheet.IsChecked(kIdMaxCancel) ||
                 m_sheet.IsChecked(kIdRestorePos));
    EXPECT_EQ(Text(kIdKey), L"Ctrl");
    EXPECT_EQ(Text(kIdCnt), L"2");
    EXPECT_EQ(SendMessageW(m_sheet.Item(kIdKey), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(m_sheet.Item(kIdCnt), CB_GETCOUNT, 0, 0), 3);
    int nIcons = 0;
    for (HWND h = GetWindow(m_sheet.Page(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        nIcons += (GetWindowLongW(h, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && SendMessageW(h, STM_GETICON, 0, 0) != 0;
    EXPECT_EQ(nIcons, 3);
    EXPECT_EQ(IgnoreControls(), "1 1111");
    SaveShot(m_sheet.Sheet(), L"window");
    m_sheet.Click(kIdNone);
    EXPECT_EQ(IgnoreControls(), "0 0000") << "no scroll to suppress";
    m_sheet.Click(kIdCenter);
    EXPECT_EQ(IgnoreControls(), "1 1111");
    m_sheet.Click(kIdIgnore);
    EXPECT_EQ(IgnoreControls(), "1 0000");
    m_sheet.Click(kIdIgnore);
    m_sheet.ChooseCombo(kIdKey, 0);
    m_sheet.ChooseCombo(kIdCnt, 2);
    m_sheet.Click(kIdMaxCancel);

    // OK: the start-up saves the record.
    m_sheet.Press(PSBTN_OK);
    ASSERT_EQ(m_sheet.Process().WaitForExit(15000), std::optional<DWORD>(0));
    EXPECT_EQ(RegKeys(L"Scroll Key (Up Page) No.%d"), (std::vector<DWORD>{VK_CONTROL, VK_MENU, 'L'}));
    EXPECT_EQ(RegKeys(L"Menu Key No.%d"), (std::vector<DWORD>{VK_SHIFT, VK_CONTROL, VK_MENU, VK_DOWN}));
    EXPECT_EQ(RegKeys(L"Undo Key No.%d"), (std::vector<DWORD>{VK_CONTROL, VK_MENU, 'Z'}));
    ExpectReg(kKb, {{L"Arrow", 0}, {L"Undo", 0}, {L"Menu", 1}});
    ExpectReg(kWn, {{L"ActivateMode", 2}, {L"Ignore Activate Scroll", 1}, {L"Ignore Activate Scroll Key", VK_SHIFT},
                    {L"Ignore Activate Scroll Cnt", 3}, {L"MaximizeCancel", 1}, {L"RestoreAbsPos", 0}});
}

TEST_F(PropertyKeybdWindowPage, EverySettingGoesThroughBothPagesUnchanged)
{
    // No bar and no tray icon: the enabled menu key is the last way to the menu.
    for (const wchar_t* pszName : {L"Horizontal", L"Vertical", L"TrayIcon"})
        ASSERT_TRUE(RegSetDword(L"View", pszName, 0));
    const std::vector<std::pair<const wchar_t*, DWORD>> kb{{L"Arrow", 1}, {L"Undo", 0}, {L"Menu", 1}};
    // A key byte that is neither Shift nor Ctrl: the list shows Shift, the record keeps the byte.
    const std::vector<std::pair<const wchar_t*, DWORD>> wn{
        {L"ActivateMode", 0}, {L"MaximizeCancel", 1}, {L"RestoreAbsPos", 1}, {L"Ignore Activate Scroll", 1},
        {L"Ignore Activate Scroll Key", VK_MENU}, {L"Ignore Activate Scroll Cnt", 3}};
    for (const auto& [pszName, dw] : kb)
        ASSERT_TRUE(RegSetDword(kKb, pszName, dw));
    for (const auto& [pszName, dw] : wn)
        ASSERT_TRUE(RegSetDword(kWn, pszName, dw));
    const std::vector<DWORD> left{VK_SHIFT, VK_MENU, VK_HOME}, undo{VK_CONTROL, VK_SHIFT, 'U'},
        menu{VK_CONTROL, VK_MENU, 'A', 'B', 'C', 'D', 'E', 'F'};
    SetRegKeys(L"Scroll Key (Left Line) No.%d", left);
    SetRegKeys(L"Undo Key No.%d", undo);
    SetRegKeys(L"Menu Key No.%d", menu);
    ASSERT_TRUE(m_sheet.Start(kPageKeybd, kIdMenuKeys));

    EXPECT_EQ(Text(kIdScrollKeys), L"Shift + Alt + Home");
    EXPECT_FALSE(m_sheet.IsChecked(kIdUndoEnable) || Enabled(kIdUndoKeys));
    EXPECT_TRUE(m_sheet.IsChecked(kIdMenuEnable));
    EXPECT_FALSE(Enabled(kIdMenuEnable)) << "the last way to the menu cannot be switched off";
    EXPECT_EQ(Text(kIdMenuKeys), L"Ctrl + Alt + A + B + C + D + E + F");
    ASSERT_TRUE(m_sheet.Select(kPageZvWindow, kIdRestorePos));
    EXPECT_TRUE(m_sheet.IsChecked(kIdNone) && m_sheet.IsChecked(kIdIgnore) && m_sheet.IsChecked(kIdMaxCancel) &&
                m_sheet.IsChecked(kIdRestorePos));
    EXPECT_EQ(IgnoreControls(), "0 0000");
    EXPECT_EQ(Text(kIdKey), L"Shift");
    EXPECT_EQ(Text(kIdCnt), L"3");

    m_sheet.Press(PSBTN_OK);
    ASSERT_EQ(m_sheet.Process().WaitForExit(15000), std::optional<DWORD>(0));
    EXPECT_EQ(RegKeys(L"Scroll Key (Left Line) No.%d"), left);
    EXPECT_EQ(RegKeys(L"Undo Key No.%d"), undo);
    EXPECT_EQ(RegKeys(L"Menu Key No.%d"), menu);
    for (const auto& [pszName, dw] : kb)
        EXPECT_EQ(RegGetDword(kKb, pszName), std::optional<DWORD>(dw)) << ToUtf8(pszName);
    for (const auto& [pszName, dw] : wn)
        EXPECT_EQ(RegGetDword(kWn, pszName), std::optional<DWORD>(dw)) << ToUtf8(pszName);
}

namespace {

constexpr UINT kCmdProperty = 32778;
constexpr wchar_t kAppliedLine[] = L"プロパティ : 設定を適用しました.";
constexpr wchar_t kGoneLine[] = L"プロパティ : 設定プログラムが終了しました.";
constexpr wchar_t kMenuKeyLine[] = L"キーボードによるメニュー操作検出.";

class CoreKeybdWindowPage : public PropertyKeybdWindowPage {
protected:
    void TearDown() override
    {
        for (DWORD dwPid : ProcessesOf(kProp))
            CloseStrayMessageBoxes(dwPid);
    }
    HWND CoreMenu()
    {
        for (HWND hWnd : TopLevelWindows(m_run.Process().Pid(), true))
            if (WindowClass(hWnd) == L"#32768")
                return hWnd;
        return nullptr;
    }

    CCoreRun m_run{L"ZvCoreKeybdPageTest"};
};

} // namespace

TEST_F(CoreKeybdWindowPage, KeysComeThroughTheCoreAndAnApplyReachesIt)
{
    // No key row, no resize undo and no ignore key: the core starts without its keyboard hook.
    for (const wchar_t* pszName : {L"Arrow", L"Undo", L"Menu"})
        ASSERT_TRUE(RegSetDword(kKb, pszName, 0));
    ASSERT_TRUE(RegSetDword(kWn, L"Ignore Activate Scroll", 0));
    ASSERT_TRUE(m_run.Start());
    ASSERT_TRUE(m_run.Command(kCmdProperty));
    ASSERT_TRUE(m_sheet.Attach());
    ASSERT_TRUE(m_sheet.Select(kPageKeybd, kIdMenuKeys));
    EXPECT_FALSE(Enabled(kIdMenuKeys));

    // The menu key switched on here (the core's own menu row is still off), its keys pressed:
    // the core forwards them to the page.
    m_sheet.Click(kIdMenuEnable);
    ASSERT_TRUE(Enabled(kIdMenuKeys));
    FocusEdit(kIdMenuKeys);
    EXPECT_TRUE(Held({VK_SHIFT, VK_CONTROL, VK_LEFT}, L" Shift + Ctrl + ← は指定できません.", L""));
    EXPECT_TRUE(Held({VK_CONTROL, VK_MENU, 'M'}, kHelp, L"Ctrl + Alt + M"));

    // The window page's choice too; Apply hands both to the core program, which saves them.
    ASSERT_TRUE(m_sheet.Select(kPageZvWindow, kIdRestorePos));
    m_sheet.Click(kIdCenter);
    m_sheet.Press(PSBTN_APPLYNOW);
    ASSERT_TRUE(m_run.WaitForLine(kAppliedLine, 1, 10000));
    EXPECT_TRUE(WaitUntil([] { return RegGetDword(kWn, L"ActivateMode") == std::optional<DWORD>(2); }, 5000));
    EXPECT_EQ(RegKeys(L"Menu Key No.%d"), (std::vector<DWORD>{VK_CONTROL, VK_MENU, 'M'}));
    ExpectReg(kKb, {{L"Menu", 1}});
    m_sheet.Press(PSBTN_OK);
    ASSERT_TRUE(m_run.WaitForLine(kGoneLine, 1, 15000));

    // The core program now opens its menu by the new key; Esc closes it.
    HoldKeys({VK_CONTROL, VK_MENU, 'M'});
    ASSERT_TRUE(m_run.WaitForLine(kMenuKeyLine, 1, 5000)) << m_run.LogLinesWith(L"OnKeybdHooked");
    // The menu itself is closed again when it can be seen (the log line above is the proof).
    if (WaitUntil([&] { return CoreMenu() != nullptr; }, 5000)) {
        TapKey(VK_ESCAPE);
        EXPECT_TRUE(WaitUntil([&] { return CoreMenu() == nullptr; }, 5000));
    }
    EXPECT_EQ(0, m_run.Close());
}
