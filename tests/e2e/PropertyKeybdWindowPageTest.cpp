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
#include "settings/resource.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;
using namespace zvsheet;

namespace {

constexpr wchar_t kHelp[] = L" アクティブウィンドウに関係無く設定したキーで動作します";

// The registry's keys of a key row, up to the closing 0, and values of one section.
std::vector<DWORD> RegKeys(const wchar_t* pszFormat)
{
    std::vector<DWORD> keys;
    wchar_t szName[64];
    for (int i = 0; swprintf_s(szName, pszFormat, i) > 0 && i < 10; ++i) {
        const std::optional<DWORD> dw = RegGetDword(PROP_SECTION_KEYBOARD, szName);
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
        ASSERT_TRUE(RegSetDword(PROP_SECTION_KEYBOARD, szName, i < keys.size() ? keys[i] : 0));
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
        const bool bShown =
            WaitUntil([&] { return Text(IDC_HELP_LINE) == strHelp && Text(m_nIdCapture) == strShown; }, 5000);
        for (auto it = std::rbegin(vks); it != std::rend(vks); ++it)
            KeyUp(*it);
        if (!bShown || !WaitUntil([&] { return Text(IDC_HELP_LINE) == kHelp; }, 5000))
            return ::testing::AssertionFailure()
                   << "help: " << ToUtf8(Text(IDC_HELP_LINE)) << ", edit: " << ToUtf8(Text(m_nIdCapture));
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
        std::string str = Enabled(IDC_WN_IGNORE) ? "1 " : "0 ";
        for (int nId : {IDC_WN_IGNORE_KEY_LABEL, IDC_WN_IGNORE_KEY, IDC_WN_IGNORE_CNT_LABEL, IDC_WN_IGNORE_CNT})
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
    ASSERT_TRUE(m_sheet.Start(kPageKeybd, IDC_KB_MENU_KEYS));

    // The defaults of an empty registry.
    for (int nId : {IDC_KB_SCROLL_ENABLE, IDC_KB_UNDO_ENABLE, IDC_KB_MENU_ENABLE})
        EXPECT_TRUE(m_sheet.IsChecked(nId) && Enabled(nId)) << nId;
    EXPECT_EQ(SendMessageW(m_sheet.Item(IDC_KB_SCROLL_TARGET), CB_GETCOUNT, 0, 0), 8);
    EXPECT_EQ(Text(IDC_KB_SCROLL_TARGET), L"←ラインスクロール");
    EXPECT_EQ(Text(IDC_KB_SCROLL_KEYS), L"Ctrl + Alt + ←");
    EXPECT_EQ(Text(IDC_KB_UNDO_KEYS), L"Ctrl + Alt + Z");
    EXPECT_EQ(Text(IDC_KB_MENU_KEYS), L"Ctrl + Alt + F11");
    EXPECT_EQ(Text(IDC_HELP_LINE), kHelp);
    SaveShot(m_sheet.Sheet(), L"keyboard");
    m_sheet.ChooseCombo(IDC_KB_SCROLL_TARGET, 5);
    const std::wstring strUpPage = L"Shift + Ctrl + Alt + ↑";
    EXPECT_EQ(Text(IDC_KB_SCROLL_KEYS), strUpPage);

    // Keys pressed in the edit: refusals keep the entry, a valid combination replaces it.
    FocusEdit(IDC_KB_SCROLL_KEYS);
    EXPECT_EQ(Text(IDC_HELP_LINE), L" 上ページスクロールに割り当てるキーを押してください");
    EXPECT_TRUE(Held({VK_CONTROL, 'Q'}, L" Ctrlキー単独では指定できません. Shift, Altと組み合わせて下さい.", strUpPage));
    EXPECT_TRUE(Held({VK_SHIFT, VK_CONTROL, VK_UP}, L" Shift + Ctrl + ↑ は指定できません.", strUpPage));
    EXPECT_TRUE(Held({VK_CONTROL, VK_MENU, VK_LWIN}, L" Windowsキーは指定できません.", strUpPage));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(m_sheet.Sheet(), kIdApplyNow))) << "nothing stored";
    // Pressed one after another, eight keys are stored whole; the ninth is more than the registry
    // keeps: refused, the eight stay.
    EXPECT_TRUE(Held({VK_CONTROL, VK_MENU, 'A', 'B', 'C', 'D', 'E', 'F', 'G'}, L" 9個以上のキーは指定できません.",
                     L"Ctrl + Alt + A + B + C + D + E + F"));
    EXPECT_TRUE(Held({VK_CONTROL, VK_MENU, 'K'}, kHelp, L"Ctrl + Alt + K"));
    EXPECT_EQ(Text(IDC_KB_SCROLL_TARGET), L"↑ページスクロール") << "typed keys reach neither the edit nor the sheet";
    // Apply stores it; the edit keeps the focus and captures on.
    m_sheet.Press(PSBTN_APPLYNOW);
    EXPECT_TRUE(m_sheet.WaitForClose());
    EXPECT_TRUE(WaitUntil([] { return RegKeys(L"Scroll Key (Up Page) No.%d") == std::vector<DWORD>{VK_CONTROL, VK_MENU, 'K'}; }, 5000));
    // The store comes before the page is active again: its edit captures once it says so.
    EXPECT_TRUE(
        WaitUntil([&] { return Text(IDC_HELP_LINE) == L" 上ページスクロールに割り当てるキーを押してください"; }, 5000))
        << ToUtf8(Text(IDC_HELP_LINE));
    EXPECT_TRUE(Held({VK_CONTROL, VK_MENU, 'L'}, kHelp, L"Ctrl + Alt + L"));
    FocusEdit(IDC_KB_MENU_KEYS);
    EXPECT_EQ(Text(IDC_HELP_LINE), L" メニュー選択に割り当てるキーを押してください");
    EXPECT_TRUE(Held({VK_SHIFT, VK_CONTROL, VK_MENU, VK_DOWN}, kHelp, L"Shift + Ctrl + Alt + ↓"));

    // Enabling: the undo row off disables its edit; the scroll check inverts all eight.
    m_sheet.Click(IDC_KB_UNDO_ENABLE);
    EXPECT_FALSE(Enabled(IDC_KB_UNDO_KEYS));
    m_sheet.Click(IDC_KB_SCROLL_ENABLE);
    EXPECT_FALSE(m_sheet.IsChecked(IDC_KB_SCROLL_ENABLE) || Enabled(IDC_KB_SCROLL_TARGET) ||
                 Enabled(IDC_KB_SCROLL_KEYS));

    // The window page's defaults, its icons and its enabling rules.
    ASSERT_TRUE(m_sheet.Select(kPageZvWindow, IDC_WN_RESTORE_ABSPOS));
    EXPECT_TRUE(m_sheet.IsChecked(IDC_WN_ACTIVATE_MINIMUM) && m_sheet.IsChecked(IDC_WN_IGNORE));
    EXPECT_FALSE(m_sheet.IsChecked(IDC_WN_ACTIVATE_NONE) || m_sheet.IsChecked(IDC_WN_ACTIVATE_CENTER) ||
                 m_sheet.IsChecked(IDC_WN_MAXIMIZE_CANCEL) || m_sheet.IsChecked(IDC_WN_RESTORE_ABSPOS));
    EXPECT_EQ(Text(IDC_WN_IGNORE_KEY), L"Ctrl");
    EXPECT_EQ(Text(IDC_WN_IGNORE_CNT), L"2");
    EXPECT_EQ(SendMessageW(m_sheet.Item(IDC_WN_IGNORE_KEY), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(m_sheet.Item(IDC_WN_IGNORE_CNT), CB_GETCOUNT, 0, 0), 3);
    int nIcons = 0;
    for (HWND h = GetWindow(m_sheet.Page(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        nIcons += (GetWindowLongW(h, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && SendMessageW(h, STM_GETICON, 0, 0) != 0;
    EXPECT_EQ(nIcons, 3);
    EXPECT_EQ(IgnoreControls(), "1 1111");
    SaveShot(m_sheet.Sheet(), L"window");
    m_sheet.Click(IDC_WN_ACTIVATE_NONE);
    EXPECT_EQ(IgnoreControls(), "0 0000") << "no scroll to suppress";
    m_sheet.Click(IDC_WN_ACTIVATE_CENTER);
    EXPECT_EQ(IgnoreControls(), "1 1111");
    m_sheet.Click(IDC_WN_IGNORE);
    EXPECT_EQ(IgnoreControls(), "1 0000");
    m_sheet.Click(IDC_WN_IGNORE);
    m_sheet.ChooseCombo(IDC_WN_IGNORE_KEY, 0);
    m_sheet.ChooseCombo(IDC_WN_IGNORE_CNT, 2);
    m_sheet.Click(IDC_WN_MAXIMIZE_CANCEL);

    // OK: the start-up saves the record.
    m_sheet.Press(PSBTN_OK);
    ASSERT_EQ(m_sheet.Process().WaitForExit(15000), std::optional<DWORD>(0));
    EXPECT_EQ(RegKeys(L"Scroll Key (Up Page) No.%d"), (std::vector<DWORD>{VK_CONTROL, VK_MENU, 'L'}));
    EXPECT_EQ(RegKeys(L"Menu Key No.%d"), (std::vector<DWORD>{VK_SHIFT, VK_CONTROL, VK_MENU, VK_DOWN}));
    EXPECT_EQ(RegKeys(L"Undo Key No.%d"), (std::vector<DWORD>{VK_CONTROL, VK_MENU, 'Z'}));
    ExpectReg(PROP_SECTION_KEYBOARD, {{L"Arrow", 0}, {L"Undo", 0}, {L"Menu", 1}});
    ExpectReg(PROP_SECTION_WINDOW, {{L"ActivateMode", 2},
                                    {L"Ignore Activate Scroll", 1},
                                    {L"Ignore Activate Scroll Key", VK_SHIFT},
                                    {L"Ignore Activate Scroll Cnt", 3},
                                    {L"MaximizeCancel", 1},
                                    {L"RestoreAbsPos", 0}});
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
        ASSERT_TRUE(RegSetDword(PROP_SECTION_KEYBOARD, pszName, dw));
    for (const auto& [pszName, dw] : wn)
        ASSERT_TRUE(RegSetDword(PROP_SECTION_WINDOW, pszName, dw));
    const std::vector<DWORD> left{VK_SHIFT, VK_MENU, VK_HOME}, undo{VK_CONTROL, VK_SHIFT, 'U'},
        menu{VK_CONTROL, VK_MENU, 'A', 'B', 'C', 'D', 'E', 'F'};
    SetRegKeys(L"Scroll Key (Left Line) No.%d", left);
    SetRegKeys(L"Undo Key No.%d", undo);
    SetRegKeys(L"Menu Key No.%d", menu);
    ASSERT_TRUE(m_sheet.Start(kPageKeybd, IDC_KB_MENU_KEYS));

    EXPECT_EQ(Text(IDC_KB_SCROLL_KEYS), L"Shift + Alt + Home");
    EXPECT_FALSE(m_sheet.IsChecked(IDC_KB_UNDO_ENABLE) || Enabled(IDC_KB_UNDO_KEYS));
    EXPECT_TRUE(m_sheet.IsChecked(IDC_KB_MENU_ENABLE));
    EXPECT_FALSE(Enabled(IDC_KB_MENU_ENABLE)) << "the last way to the menu cannot be switched off";
    EXPECT_EQ(Text(IDC_KB_MENU_KEYS), L"Ctrl + Alt + A + B + C + D + E + F");
    ASSERT_TRUE(m_sheet.Select(kPageZvWindow, IDC_WN_RESTORE_ABSPOS));
    EXPECT_TRUE(m_sheet.IsChecked(IDC_WN_ACTIVATE_NONE) && m_sheet.IsChecked(IDC_WN_IGNORE) &&
                m_sheet.IsChecked(IDC_WN_MAXIMIZE_CANCEL) && m_sheet.IsChecked(IDC_WN_RESTORE_ABSPOS));
    EXPECT_EQ(IgnoreControls(), "0 0000");
    EXPECT_EQ(Text(IDC_WN_IGNORE_KEY), L"Shift");
    EXPECT_EQ(Text(IDC_WN_IGNORE_CNT), L"3");

    m_sheet.Press(PSBTN_OK);
    ASSERT_EQ(m_sheet.Process().WaitForExit(15000), std::optional<DWORD>(0));
    EXPECT_EQ(RegKeys(L"Scroll Key (Left Line) No.%d"), left);
    EXPECT_EQ(RegKeys(L"Undo Key No.%d"), undo);
    EXPECT_EQ(RegKeys(L"Menu Key No.%d"), menu);
    for (const auto& [pszName, dw] : kb)
        EXPECT_EQ(RegGetDword(PROP_SECTION_KEYBOARD, pszName), std::optional<DWORD>(dw)) << ToUtf8(pszName);
    for (const auto& [pszName, dw] : wn)
        EXPECT_EQ(RegGetDword(PROP_SECTION_WINDOW, pszName), std::optional<DWORD>(dw)) << ToUtf8(pszName);
}

namespace {

constexpr wchar_t kMenuKeyLine[] = L"キーボードによるメニュー操作検出.";

class CoreKeybdWindowPage : public PropertyKeybdWindowPage {
protected:
    void TearDown() override
    {
        for (DWORD dwPid : ProcessesOf(ZV_PROPERTY64_FILE))
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
        ASSERT_TRUE(RegSetDword(PROP_SECTION_KEYBOARD, pszName, 0));
    ASSERT_TRUE(RegSetDword(PROP_SECTION_WINDOW, L"Ignore Activate Scroll", 0));
    ASSERT_TRUE(m_run.Start());
    ASSERT_TRUE(m_run.Command(ID_ZV_PROPERTY));
    ASSERT_TRUE(m_sheet.Attach());
    ASSERT_TRUE(m_sheet.Select(kPageKeybd, IDC_KB_MENU_KEYS));
    EXPECT_FALSE(Enabled(IDC_KB_MENU_KEYS));

    // The menu key switched on here (the core's own menu row is still off), its keys pressed:
    // the core forwards them to the page.
    m_sheet.Click(IDC_KB_MENU_ENABLE);
    ASSERT_TRUE(Enabled(IDC_KB_MENU_KEYS));
    FocusEdit(IDC_KB_MENU_KEYS);
    EXPECT_TRUE(Held({VK_SHIFT, VK_CONTROL, VK_LEFT}, L" Shift + Ctrl + ← は指定できません.", L""));
    EXPECT_TRUE(Held({VK_CONTROL, VK_MENU, 'M'}, kHelp, L"Ctrl + Alt + M"));

    // The window page's choice too; Apply hands both to the core program, which saves them.
    ASSERT_TRUE(m_sheet.Select(kPageZvWindow, IDC_WN_RESTORE_ABSPOS));
    m_sheet.Click(IDC_WN_ACTIVATE_CENTER);
    m_sheet.Press(PSBTN_APPLYNOW);
    // Saved by the core once it has applied them: all three values, which one save writes in turn.
    EXPECT_TRUE(WaitUntil(
        [&] {
            return RegGetDword(PROP_SECTION_WINDOW, L"ActivateMode") == std::optional<DWORD>(2) &&
                   RegGetDword(PROP_SECTION_KEYBOARD, L"Menu") == std::optional<DWORD>(1) &&
                   RegKeys(L"Menu Key No.%d") == std::vector<DWORD>{VK_CONTROL, VK_MENU, 'M'};
        },
        10000));
    EXPECT_EQ(RegKeys(L"Menu Key No.%d"), (std::vector<DWORD>{VK_CONTROL, VK_MENU, 'M'}));
    ExpectReg(PROP_SECTION_KEYBOARD, {{L"Menu", 1}});
    m_sheet.Press(PSBTN_OK);
    ASSERT_TRUE(WaitForSettingsProgramEnd());

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
