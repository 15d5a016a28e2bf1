// Start-up of the settings program: one instance, the sheet of eight pages, registry mode, and the
// exchange with a core program that passed its window with CALLER (played here by a window of the
// test with the core program's title, which receives what the settings program posts to it).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Handle.h"
#include "PropertySet.h"
#include "Sender.h"
#include "SettingsNames.h"
#include "SharedMemPropManager.h"
#include "WndFilter.h"
#include "ZvMessages.h"
#include "ZvTestKit.h"
#include "settings/resource.h"

using namespace zvkit;

namespace {

// The mutex's name and the boxes' caption: a text of the settings program's string table only.
constexpr wchar_t kAppName[] = L"Zuvora! Property Setting Utility";
constexpr wchar_t kFakeCoreClass[] = L"ZvTestFakeCore";
// Written only by a save, never by a load: it tells whether the settings were stored.
const std::wstring kScrollRateKey = zvsettings::SectionKey(PROP_SECTION_SCROLL_RATE);
// A control that only the page of that index holds, in sheet order.
constexpr int kPageMark[8] = {IDC_SW_ABS,         IDC_PS_PREVIEW,         IDC_VW_SPEED,  IDC_KB_SCROLL_ENABLE,
                              IDC_FX_TITLED_ONLY, IDC_WN_MAXIMIZE_CANCEL, IDC_UN_SCROLL, IDC_AS_MODE};

struct POSTED {
    UINT uMsg;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<POSTED> g_posted;

LRESULT CALLBACK FakeCoreProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg >= MSG_PROP_WND && uMsg <= MSG_PROP_START)
        g_posted.push_back({uMsg, wParam, lParam});
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

// A hidden top-level window of the test under that title.
HWND MakeFakeCore(const wchar_t* pszTitle)
{
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = FakeCoreProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kFakeCoreClass;
    RegisterClassExW(&wc);
    g_posted.clear();
    return CreateWindowExW(WS_EX_TOOLWINDOW, kFakeCoreClass, pszTitle, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

std::optional<POSTED> WaitForPosted(UINT uMsg, DWORD dwTimeoutMs)
{
    std::optional<POSTED> found;
    WaitUntil([&] {
        for (const POSTED& p : g_posted) {
            if (p.uMsg == uMsg) {
                found = p;
                return true;
            }
        }
        return false;
    }, dwTimeoutMs);
    return found;
}

bool MutexExists(const wchar_t* pszName)
{
    return static_cast<bool>(CHandle(OpenMutexW(SYNCHRONIZE, FALSE, pszName)));
}

HWND CurrentPage(HWND hWndSheet)
{
    return reinterpret_cast<HWND>(SendMessageW(hWndSheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// The page of that index is current (its own control is on the current page).
bool IsOnPage(HWND hWndSheet, int nPage)
{
    HWND hWndPage = CurrentPage(hWndSheet);
    return hWndPage && GetDlgItem(hWndPage, kPageMark[nPage]) != nullptr;
}

PROPERTY_SET RecordWithSpeed(int nSpeed)
{
    PROPERTY_SET prop;
    prop.propView.nSpeed = nSpeed;
    prop.propView.nTransparent = 10;
    prop.propUndo.nDepth = 30;
    return prop;
}

// The profile key made volatile, as nothing of ours makes it: the registry refuses a lasting key
// under a volatile one, so every section the settings program writes is refused until it goes.
bool MakeProfileKeyVolatile()
{
    HKEY hKey = nullptr;
    // The maker's key lasting, so that only the profile key has to go for the registry to take them.
    if (RegCreateKeyExW(HKEY_CURRENT_USER, ZV_MAKER_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    if (RegCreateKeyExW(HKEY_CURRENT_USER, ZV_PROFILE_KEY, 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    // Proof that it refuses: a lasting section cannot be made under it.
    if (RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(ZV_PROFILE_KEY) + L"\\View").c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &hKey, nullptr) == ERROR_SUCCESS) {
        RegCloseKey(hKey);
        return false;
    }
    return true;
}

class PropertyStart : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (CProcess* pProc : {&m_prop, &m_second}) {
            if (pProc->IsStarted()) {
                CloseStrayMessageBoxes(pProc->Pid());
                pProc->Stop();
            }
        }
        if (m_hWndFake)
            DestroyWindow(m_hWndFake);
    }

    HWND StartSheet(const std::wstring& strArgs)
    {
        if (!m_prop.Start(ZV_PROPERTY64_FILE, strArgs))
            return nullptr;
        return WaitForWindow(ZV_PROPERTY_WND_TITLE, 15000);
    }
    // OK or Cancel as the buttons would; the program's exit code.
    std::optional<DWORD> PressAndWait(HWND hWndSheet, int nButton, DWORD dwTimeoutMs = 15000)
    {
        PostMessageW(hWndSheet, PSM_PRESSBUTTON, nButton, 0);
        return m_prop.WaitForExit(dwTimeoutMs);
    }

    CRegistryGuard m_guard{kMakerKey};
    CProcess m_prop;
    CProcess m_second;
    HWND m_hWndFake = nullptr;
};

} // namespace

TEST_F(PropertyStart, WithoutCoreShowsTheEightPagesInOrderAndStoresOnlyOnOk)
{
    ASSERT_TRUE(RegDeleteSettings());
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 5));

    HWND hWndSheet = StartSheet(L"/PAGE=3");
    ASSERT_NE(hWndSheet, nullptr);
    EXPECT_TRUE(MutexExists(kAppName));
    EXPECT_TRUE(WaitUntil([&] { return IsOnPage(hWndSheet, 3); }, 5000)) << "PAGE=3 opens the keyboard page";
    for (int nPage = 0; nPage < 8; ++nPage) {
        PostMessageW(hWndSheet, PSM_SETCURSEL, nPage, 0);
        EXPECT_TRUE(WaitUntil([&] { return IsOnPage(hWndSheet, nPage); }, 5000)) << "page " << nPage;
    }
    // The gadget check box of the fixed-windows page is never offered.
    PostMessageW(hWndSheet, PSM_SETCURSEL, 4, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsOnPage(hWndSheet, 4); }, 5000));
    HWND hWndGadget = GetDlgItem(CurrentPage(hWndSheet), 1088);
    ASSERT_NE(hWndGadget, nullptr);
    EXPECT_FALSE(IsWindowVisible(hWndGadget));
    EXPECT_FALSE(IsWindowEnabled(hWndGadget));

    EXPECT_EQ(PressAndWait(hWndSheet, PSBTN_CANCEL), std::optional<DWORD>(0));
    EXPECT_FALSE(RegKeyExists(kScrollRateKey)) << "Cancel stores nothing";
    EXPECT_FALSE(MutexExists(kAppName));

    // A page number past the last names no page: the first opens. OK stores every section.
    hWndSheet = StartSheet(L"/PAGE=8");
    ASSERT_NE(hWndSheet, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return IsOnPage(hWndSheet, 0); }, 5000));
    EXPECT_EQ(PressAndWait(hWndSheet, PSBTN_OK), std::optional<DWORD>(0));
    EXPECT_TRUE(RegKeyExists(kScrollRateKey));
    EXPECT_EQ(RegGetDword(L"View", L"Speed"), std::optional<DWORD>(5)) << "the loaded settings, stored again";
}

TEST_F(PropertyStart, SecondStartTellsItRunsAlreadyAndLeavesTheFirstAlone)
{
    HWND hWndSheet = StartSheet(L"");
    ASSERT_NE(hWndSheet, nullptr);

    ASSERT_TRUE(m_second.Start(ZV_PROPERTY64_FILE));
    HWND hBox = WaitForMessageBox(m_second.Pid(), 15000);
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(WindowTitle(hBox), kAppName);
    EXPECT_EQ(MessageBoxText(hBox), std::wstring(kAppName) + L" は既に実行中です.");
    EXPECT_EQ(FindTopLevel(ZV_PROPERTY_WND_TITLE, nullptr, m_second.Pid()), nullptr);
    ASSERT_TRUE(CloseMessageBox(hBox));
    EXPECT_EQ(m_second.WaitForExit(10000), std::optional<DWORD>(0));

    EXPECT_TRUE(m_prop.IsRunning());
    EXPECT_EQ(FindTopLevel(ZV_PROPERTY_WND_TITLE), hWndSheet);
    EXPECT_EQ(PressAndWait(hWndSheet, PSBTN_CANCEL), std::optional<DWORD>(0));
}

TEST_F(PropertyStart, CallerGetsTheSettingsFromTheBlocksAndBackOnOk)
{
    ASSERT_TRUE(RegDeleteSettings());
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 5));
    m_hWndFake = MakeFakeCore(ZV_HIDDEN_MAIN_WND_TITLE);
    ASSERT_NE(m_hWndFake, nullptr);
    HANDLE hReadEnd = CreateEventW(nullptr, TRUE, FALSE, ZV_PROP_READ_END_EVENT);
    ASSERT_NE(hReadEnd, nullptr);

    // The core program's side of the hand-over: its record written into the eight blocks.
    PROPERTY_SET propCore = RecordWithSpeed(7);
    auto pCore = std::make_unique<CSharedMemPropManager>(SENDER_CORE, &propCore);
    ASSERT_TRUE(pCore->Create());
    ASSERT_TRUE(pCore->Write());

    const std::wstring strCaller = std::to_wstring(reinterpret_cast<intptr_t>(m_hWndFake));
    HWND hWndSheet = StartSheet(L"/CALLER=" + strCaller + L" /PAGE=6");
    ASSERT_NE(hWndSheet, nullptr);
    const std::optional<POSTED> wnd = WaitForPosted(MSG_PROP_WND, 5000);
    ASSERT_TRUE(wnd.has_value()) << "the sheet announces itself";
    EXPECT_EQ(reinterpret_cast<HWND>(wnd->wParam), hWndSheet);
    EXPECT_FALSE(WaitForPosted(MSG_PROP_START, 0).has_value()) << "a caller has prepared the blocks already";
    const std::optional<POSTED> page = WaitForPosted(MSG_PROP_PAGE, 5000);
    ASSERT_TRUE(page.has_value()) << "the page shown is relayed";
    EXPECT_EQ(page->wParam, 6u);
    pCore.reset();

    PostMessageW(hWndSheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    const std::optional<POSTED> apply = WaitForPosted(MSG_PROP_APPLY, 10000);
    ASSERT_TRUE(apply.has_value());
    EXPECT_EQ(apply->wParam, 1u) << "blocks written";
    EXPECT_EQ(apply->lParam, 1) << "the program ends";
    PROPERTY_SET propBack = RecordWithSpeed(0);
    {
        CSharedMemPropManager core(SENDER_CORE, &propBack);
        ASSERT_TRUE(core.Open());
        ASSERT_TRUE(core.Read());
    }
    EXPECT_EQ(propBack.propView.nSpeed, 7) << "the settings the blocks brought, not the registry's";
    EXPECT_TRUE(m_prop.IsRunning()) << "it waits for the core program to have read them";

    // The core program could not read them: the user is told over the sheet, which stays, and a
    // retry hands them over again.
    HANDLE hReadFail = CreateEventW(nullptr, TRUE, FALSE, ZV_PROP_READ_FAIL_EVENT);
    ASSERT_NE(hReadFail, nullptr);
    SetEvent(hReadFail);
    const HWND hBox = WaitForMessageBox(m_prop.Pid(), 5000);
    CloseHandle(hReadFail);
    ASSERT_NE(hBox, nullptr) << "settings the core program could not read were taken as handed over";
    EXPECT_NE(MessageBoxText(hBox).find(L"設定を Zuvora! に渡せませんでした."), std::wstring::npos)
        << ToUtf8(MessageBoxText(hBox));
    EXPECT_EQ(GetWindow(hBox, GW_OWNER), hWndSheet);
    g_posted.clear();
    ASSERT_TRUE(PostMessageW(hBox, WM_COMMAND, IDRETRY, 0));
    const std::optional<POSTED> again = WaitForPosted(MSG_PROP_APPLY, 10000);
    ASSERT_TRUE(again.has_value()) << "the retry handed nothing over";
    EXPECT_EQ(again->wParam, 1u);
    EXPECT_EQ(again->lParam, 1);
    const DWORD dwSet = GetTickCount();
    SetEvent(hReadEnd);
    EXPECT_EQ(m_prop.WaitForExit(5000), std::optional<DWORD>(0));
    EXPECT_LT(GetTickCount() - dwSet, 3000u);
    EXPECT_FALSE(RegKeyExists(kScrollRateKey)) << "the core program stores, not the settings program";
    CloseHandle(hReadEnd);
}

TEST_F(PropertyStart, CallerWithoutBlocksOrWindowOrTitleIsHandledSoundly)
{
    ASSERT_TRUE(RegDeleteSettings());
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 4));
    m_hWndFake = MakeFakeCore(ZV_HIDDEN_MAIN_WND_TITLE);
    ASSERT_NE(m_hWndFake, nullptr);
    const std::wstring strCaller = std::to_wstring(reinterpret_cast<intptr_t>(m_hWndFake));

    // No blocks to read: the registry stands in, so that OK never hands back an empty record.
    HWND hWndSheet = StartSheet(L"/CALLER=" + strCaller);
    ASSERT_NE(hWndSheet, nullptr);
    ASSERT_TRUE(WaitForPosted(MSG_PROP_WND, 5000).has_value());
    PostMessageW(hWndSheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    ASSERT_TRUE(WaitForPosted(MSG_PROP_APPLY, 10000).has_value());
    PROPERTY_SET propBack = RecordWithSpeed(0);
    {
        CSharedMemPropManager core(SENDER_CORE, &propBack);
        ASSERT_TRUE(core.Open());
        ASSERT_TRUE(core.Read());
    }
    EXPECT_EQ(propBack.propView.nSpeed, 4);
    EXPECT_GT(propBack.propUndo.nDepth, 0) << "a loaded record, not a zero one";
    HANDLE hReadEnd = CreateEventW(nullptr, TRUE, FALSE, ZV_PROP_READ_END_EVENT);
    SetEvent(hReadEnd);
    EXPECT_EQ(m_prop.WaitForExit(10000), std::optional<DWORD>(0));
    CloseHandle(hReadEnd);

    // A CALLER that names no window is no caller: without a core program the registry is used.
    DestroyWindow(m_hWndFake);
    m_hWndFake = nullptr;
    hWndSheet = StartSheet(L"/CALLER=" + strCaller);
    ASSERT_NE(hWndSheet, nullptr);
    EXPECT_EQ(PressAndWait(hWndSheet, PSBTN_OK), std::optional<DWORD>(0));
    EXPECT_TRUE(RegKeyExists(kScrollRateKey)) << "stored by the settings program itself";

    // A caller whose title is the core program's in another case is not taken: the program ends
    // without a word.
    m_hWndFake = MakeFakeCore(L"$$$ ZUVORA! Hidden Main Window %%%");
    ASSERT_NE(m_hWndFake, nullptr);
    ASSERT_TRUE(
        m_prop.Start(ZV_PROPERTY64_FILE, L"/CALLER=" + std::to_wstring(reinterpret_cast<intptr_t>(m_hWndFake))));
    EXPECT_EQ(m_prop.WaitForExit(15000), std::optional<DWORD>(0));
    EXPECT_EQ(FindTopLevel(ZV_PROPERTY_WND_TITLE), nullptr);
    EXPECT_TRUE(FindMessageBoxes(m_prop.Pid()).empty());
    EXPECT_TRUE(g_posted.empty());
    DestroyWindow(m_hWndFake);
    m_hWndFake = nullptr;
}

TEST_F(PropertyStart, AWindowWithTheCoreTitleFromAnotherProgramIsNoCore)
{
    ASSERT_TRUE(RegDeleteSettings());
    m_hWndFake = MakeFakeCore(ZV_HIDDEN_MAIN_WND_TITLE);
    ASSERT_NE(m_hWndFake, nullptr);

    // Found by its title, but not the core program's image: nothing is asked of it, nothing
    // waited for, and the settings come from and go to the registry.
    HWND hWndSheet = StartSheet(L"");
    ASSERT_NE(hWndSheet, nullptr);
    EXPECT_EQ(PressAndWait(hWndSheet, PSBTN_OK), std::optional<DWORD>(0));
    EXPECT_TRUE(g_posted.empty());
    EXPECT_TRUE(RegKeyExists(kScrollRateKey));
}

// A registry that refuses the settings is never taken as having stored them: the box says so over
// the sheet, Retry tries again, Cancel goes back to the sheet, which stays open; once the registry
// takes them, Retry stores them and OK ends the program.
TEST_F(PropertyStart, SettingsTheRegistryRefusesAreOfferedAgainAndTheSheetStays)
{
    ASSERT_TRUE(RegDeleteSettings());
    ASSERT_TRUE(MakeProfileKeyVolatile()) << "the registry takes a lasting key under a volatile one";
    const HWND hWndSheet = StartSheet(L"");
    ASSERT_NE(hWndSheet, nullptr);

    const auto waitForBox = [&](HWND hWndGone) {
        HWND hBox = nullptr;
        WaitUntil(
            [&] {
                for (HWND h : FindMessageBoxes(m_prop.Pid()))
                    if (h != hWndGone && IsWindow(h))
                        hBox = h;
                return hBox != nullptr;
            },
            10000);
        return hBox;
    };
    PostMessageW(hWndSheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    HWND hBox = waitForBox(nullptr);
    ASSERT_NE(hBox, nullptr) << "settings the registry refused were taken as stored";
    EXPECT_EQ(
        MessageBoxText(hBox),
        L"設定をレジストリに保存できませんでした.\n[再試行] でもう一度保存し, [キャンセル] で設定の編集に戻ります.")
        << ToUtf8(MessageBoxText(hBox));
    EXPECT_EQ(WindowTitle(hBox), L"Zuvora!");
    EXPECT_EQ(MessageBoxButtons(hBox), (std::vector<int>{IDRETRY, IDCANCEL}));
    EXPECT_EQ(GetWindow(hBox, GW_OWNER), hWndSheet);

    // Retry while the registry still refuses: the box again.
    ASSERT_TRUE(PressMessageBoxButton(hBox, IDRETRY));
    const HWND hBoxAgain = waitForBox(hBox);
    ASSERT_NE(hBoxAgain, nullptr) << "a retry the registry refused was taken as stored";

    // Cancel: back to the sheet, which answers and stays, with nothing stored.
    ASSERT_TRUE(PressMessageBoxButton(hBoxAgain, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(hBoxAgain); }, 5000));
    DWORD_PTR dwRes = 0;
    EXPECT_TRUE(SendMessageTimeoutW(hWndSheet, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &dwRes));
    EXPECT_TRUE(IsWindow(hWndSheet) && IsWindowVisible(hWndSheet)) << "the sheet closed on a refused store";
    EXPECT_TRUE(m_prop.IsRunning());
    EXPECT_FALSE(RegKeyExists(kScrollRateKey));

    // OK again; the registry takes the settings by the time Retry is pressed: stored, and the end.
    PostMessageW(hWndSheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    hBox = waitForBox(hBoxAgain);
    ASSERT_NE(hBox, nullptr);
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, ZV_PROFILE_KEY), ERROR_SUCCESS);
    ASSERT_TRUE(PressMessageBoxButton(hBox, IDRETRY));
    EXPECT_EQ(m_prop.WaitForExit(15000), std::optional<DWORD>(0));
    EXPECT_TRUE(RegKeyExists(kScrollRateKey)) << "the retry stored nothing";
}
