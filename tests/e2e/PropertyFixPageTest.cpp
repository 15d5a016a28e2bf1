// The fixed windows page over real windows: ZvTestWnds.exe, and a copy of it under another file
// name for a second application. In registry mode: the defaults on an empty registry, every Fix
// value carried through unchanged when nothing is touched, two windows of one title as two
// entries, a title that begins another, fixes turned from title to application and back with the
// query dialog, several entries unfixed at once, and what OK stores. In core mode: a window fixed
// by title and one by application through the page stay in place while the core program scrolls
// the rest, and the page's window-event hook goes when the sheet closes from this page.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "CoreRun.h"
#include "SettingsSheet.h"
#include "Strings.h"
#include "settings/resource.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;
using namespace zvsheet;

namespace {

constexpr wchar_t kQueryTitle[] = L"同じアプリケーションで開いたウィンドウを固定";
constexpr wchar_t kApp[] = L"ZvFixApp.exe";

std::wstring Title(int n)
{
    return FormatString(PROP_FIX_TITLE_FORMAT, n);
}
std::wstring AppName(int n)
{
    return FormatString(PROP_FIX_APP_FORMAT, n);
}

// A second application: ZvTestWnds.exe copied under another file name, showing its own windows.
class CCopiedApp {
public:
    ~CCopiedApp()
    {
        m_proc.Stop();
        if (!m_strExe.empty())
            WaitUntil([&] { return DeleteFileW(m_strExe.c_str()) != FALSE; }, 5000);
    }
    bool Start(const std::vector<std::wstring>& wndArgs)
    {
        wchar_t szTemp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, szTemp);
        const std::wstring strDir = std::wstring(szTemp) + L"ZvFixPage";
        CreateDirectoryW(strDir.c_str(), nullptr);
        m_strExe = strDir + L"\\" + kApp;
        if (!CopyFileW(LayoutPath(L"ZvTestWnds.exe").c_str(), m_strExe.c_str(), FALSE))
            return false;
        std::wstring strArgs = L"/PARENT=" + std::to_wstring(GetCurrentProcessId());
        for (const std::wstring& strArg : wndArgs)
            strArgs += L" " + QuoteArg(strArg);
        if (!m_proc.Start(m_strExe, strArgs))
            return false;
        for (const std::wstring& strArg : wndArgs)
            m_hWnds.push_back(WaitForWindow(WndArgTitle(strArg), 5000, nullptr, m_proc.Pid()));
        return std::find(m_hWnds.begin(), m_hWnds.end(), nullptr) == m_hWnds.end();
    }
    HWND Wnd(size_t n) const { return m_hWnds.at(n); }

private:
    std::wstring m_strExe;
    CProcess m_proc;
    std::vector<HWND> m_hWnds;
};

// A control's text asked of the control itself: for another process's edit, GetWindowText gives
// only the text it was made with.
std::wstring DlgText(HWND hDlg, int nId)
{
    wchar_t sz[512] = {};
    SendDlgItemMessageW(hDlg, nId, WM_GETTEXT, 511, reinterpret_cast<LPARAM>(sz));
    return sz;
}

// The page's two list boxes as a test sees them: entries by their item data, which is the window
// in the scroll list and the page's own record in the fixed list.
class CFixPage {
public:
    explicit CFixPage(CSettingsSheet& sheet) : m_sheet(sheet) {}

    HWND List(int nId) const { return m_sheet.Item(nId); }
    int Count(int nId) const { return static_cast<int>(SendMessageW(List(nId), LB_GETCOUNT, 0, 0)); }
    LPARAM Data(int nId, int n) const { return SendMessageW(List(nId), LB_GETITEMDATA, static_cast<WPARAM>(n), 0); }
    std::wstring Text(int nId, int n) const
    {
        wchar_t sz[512] = {};
        if (SendMessageW(List(nId), LB_GETTEXTLEN, static_cast<WPARAM>(n), 0) < 511)
            SendMessageW(List(nId), LB_GETTEXT, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(sz));
        return sz;
    }
    int FindWnd(HWND hWnd) const
    {
        for (int i = 0; i < Count(IDC_FX_SCROLL_LIST); ++i) {
            if (Data(IDC_FX_SCROLL_LIST, i) == reinterpret_cast<LPARAM>(hWnd))
                return i;
        }
        return -1;
    }
    // Exactly these entries selected, with the notification of the user's choice.
    void Select(int nId, const std::vector<int>& lstIndex) const
    {
        SendMessageW(List(nId), LB_SETSEL, FALSE, -1);
        for (int n : lstIndex)
            SendMessageW(List(nId), LB_SETSEL, TRUE, n);
        SendMessageW(m_sheet.Page(), WM_COMMAND, MAKEWPARAM(nId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(List(nId)));
    }
    // The window's scroll-list entry selected and fixed by title.
    bool Fix(HWND hWnd) const
    {
        const int n = FindWnd(hWnd);
        if (n < 0)
            return false;
        Select(IDC_FX_SCROLL_LIST, {n});
        m_sheet.Click(IDC_FX_FIX);
        return FindWnd(hWnd) < 0;
    }
    // The details of the one fixed entry selected: "T:<title>" or "A:<name>", empty when disabled.
    std::wstring Detail(int n) const
    {
        Select(IDC_FX_FIXED_LIST, {n});
        if (!IsWindowEnabled(m_sheet.Item(IDC_FX_DETAIL_GROUP)))
            return L"";
        const std::wstring strTitle = DlgText(m_sheet.Page(), IDC_FX_TITLE),
                           strApp = DlgText(m_sheet.Page(), IDC_FX_APP);
        if (m_sheet.IsChecked(IDC_FX_BY_TITLE) && strApp.empty())
            return L"T:" + strTitle;
        if (m_sheet.IsChecked(IDC_FX_BY_APP) && strTitle.empty())
            return L"A:" + strApp;
        return L"?";
    }
    // The fixed list as its details tell it, top to bottom.
    std::vector<std::wstring> Details() const
    {
        std::vector<std::wstring> lst;
        for (int i = 0; i < Count(IDC_FX_FIXED_LIST); ++i)
            lst.push_back(Text(IDC_FX_FIXED_LIST, i) + L" = " + Detail(i));
        return lst;
    }
    // A button that asks first, pressed without waiting for its handler; the query dialog that
    // came, or null.
    HWND ClickForQuery(int nId) const
    {
        PostMessageW(m_sheet.Item(nId), BM_CLICK, 0, 0);
        return WaitForWindow(kQueryTitle, 5000, L"#32770", WindowPid(m_sheet.Sheet()));
    }

private:
    CSettingsSheet& m_sheet;
};

// The query dialog answered, once its button exists; true once the dialog has gone.
bool Answer(HWND hDlg, int nButton)
{
    if (!WaitUntil([&] { return GetDlgItem(hDlg, nButton) && IsWindowVisible(hDlg); }, 5000))
        return false;
    PostMessageW(GetDlgItem(hDlg, nButton), BM_CLICK, 0, 0);
    return WaitUntil([&] { return !IsWindow(hDlg); }, 5000);
}

class PropertyFixPage : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RegDeleteSettings()); }

    CRegistryGuard m_guard{kMakerKey};
    CSettingsSheet m_sheet;
    CFixPage m_page{m_sheet};
};

} // namespace

TEST_F(PropertyFixPage, EverySettingCarriedThroughUntouched)
{
    CTestWnds wnds;
    ASSERT_TRUE(wnds.Start({WndArg(600, 100, 300, 150, L"Zv Fix Kept"), UntitledWndArg(600, 300, 300, 150)}));
    const HWND hKept = wnds.Window(L"Zv Fix Kept");
    HWND hUntitled = nullptr;
    for (HWND hWnd : wnds.Windows())
        hUntitled = hWnd != hKept ? hWnd : hUntitled;
    ASSERT_NE(hUntitled, nullptr);
    // Exactly as a save writes them, so that a save of the same record changes nothing.
    const std::vector<std::pair<std::wstring, std::wstring>> texts = {{Title(0), L"Zv Fix Absent"},
                                                                      {Title(1), L"Zv Fix Kept"},
                                                                      {Title(2), PROP_FIX_TITLE_END},
                                                                      {AppName(0), L"ZvNoSuch.exe"},
                                                                      {AppName(1), PROP_FIX_APP_END}};
    for (const auto& [strName, strValue] : texts)
        ASSERT_TRUE(RegSetString(L"Fix", strName, strValue));
    ASSERT_TRUE(RegSetDword(L"Fix", L"Scroll Titled Window Only", 0));
    ASSERT_TRUE(RegSetDword(L"Fix", L"Fix Gadget", 1));

    ASSERT_TRUE(m_sheet.Start(kPageFix, IDC_FX_FIXED_LIST));
    EXPECT_FALSE(m_sheet.IsChecked(IDC_FX_TITLED_ONLY));
    EXPECT_EQ(m_page.Details(), (std::vector<std::wstring>{L"Zv Fix Kept = T:Zv Fix Kept"}));
    // Untitled windows scroll: listed by their label.
    wchar_t szLabel[64];
    std::swprintf(szLabel, 64, L"無題ウィンドウ %08xH (ZvTestWnds.exe)",
                  static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(hUntitled)));
    const int nUntitled = m_page.FindWnd(hUntitled);
    ASSERT_GE(nUntitled, 0);
    EXPECT_EQ(m_page.Text(IDC_FX_SCROLL_LIST, nUntitled), szLabel);
    EXPECT_LT(m_page.FindWnd(hKept), 0);

    m_sheet.Press(PSBTN_OK);
    EXPECT_EQ(m_sheet.Process().WaitForExit(15000), std::optional<DWORD>(0));
    for (const auto& [strName, strValue] : texts)
        EXPECT_EQ(RegGetString(L"Fix", strName), std::optional<std::wstring>(strValue)) << ToUtf8(strName);
    EXPECT_EQ(RegGetDword(L"Fix", L"Scroll Titled Window Only"), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetDword(L"Fix", L"Fix Gadget"), std::optional<DWORD>(1));
}

TEST_F(PropertyFixPage, WindowsFixedByTitleAndByApplicationAndBackAreStoredOnOk)
{
    CTestWnds wnds;
    ASSERT_TRUE(wnds.Start({WndArg(600, 40, 300, 120, L"Zv Fix Same"), WndArg(620, 180, 300, 120, L"Zv Fix Same"),
                            WndArg(640, 320, 300, 120, L"zv app other extra"), UntitledWndArg(660, 460, 300, 120)}));
    const std::vector<HWND> hKit = wnds.Windows();
    ASSERT_EQ(hKit.size(), 4u);
    const HWND hSame1 = hKit[0], hSame2 = hKit[1], hExtra = hKit[2], hUntitled = hKit[3];
    CCopiedApp app;
    ASSERT_TRUE(app.Start({WndArg(200, 600, 300, 120, L"Zv App Main"), WndArg(520, 600, 300, 120, L"Zv App Other")}));
    const HWND hMain = app.Wnd(0), hOther = app.Wnd(1);

    // The defaults of an empty registry: titled windows only, nothing fixed, nothing chosen.
    ASSERT_TRUE(m_sheet.Start(kPageFix, IDC_FX_FIXED_LIST));
    EXPECT_TRUE(m_sheet.IsChecked(IDC_FX_TITLED_ONLY));
    EXPECT_FALSE(IsWindowVisible(m_sheet.Item(IDC_FX_FIX_GADGET)));
    EXPECT_FALSE(IsWindowEnabled(m_sheet.Item(IDC_FX_FIX_GADGET)));
    EXPECT_EQ(m_page.Count(IDC_FX_FIXED_LIST), 0);
    for (HWND hWnd : {hSame1, hSame2, hExtra, hMain, hOther})
        EXPECT_GE(m_page.FindWnd(hWnd), 0) << ToUtf8(WindowTitle(hWnd));
    EXPECT_LT(m_page.FindWnd(hUntitled), 0) << "untitled windows do not scroll";
    for (int nId :
         {IDC_FX_FIX, IDC_FX_UNFIX, IDC_FX_DETAIL_GROUP, IDC_FX_BY_TITLE, IDC_FX_BY_APP, IDC_FX_TITLE, IDC_FX_APP})
        EXPECT_FALSE(IsWindowEnabled(m_sheet.Item(nId))) << nId;

    // Untitled windows taken in and out again.
    m_sheet.Click(IDC_FX_TITLED_ONLY);
    EXPECT_GE(m_page.FindWnd(hUntitled), 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(m_sheet.Sheet(), kIdApplyNow)));
    m_sheet.Click(IDC_FX_TITLED_ONLY);
    EXPECT_LT(m_page.FindWnd(hUntitled), 0);

    // One of two windows of one title fixed: the title fixes both, each its own entry. Then the
    // window whose title begins another's, case aside, and two windows of the second application.
    m_page.Select(IDC_FX_SCROLL_LIST, {m_page.FindWnd(hMain)});
    EXPECT_TRUE(IsWindowEnabled(m_sheet.Item(IDC_FX_FIX)));
    m_sheet.Click(IDC_FX_FIX);
    ASSERT_LT(m_page.FindWnd(hMain), 0);
    ASSERT_TRUE(m_page.Fix(hExtra));
    ASSERT_TRUE(m_page.Fix(hSame2));
    EXPECT_LT(m_page.FindWnd(hSame1), 0);
    ASSERT_TRUE(m_page.Fix(hOther));
    EXPECT_EQ(m_page.Details(), (std::vector<std::wstring>{
                                    L"Zv App Main = T:Zv App Main", L"zv app other extra = T:zv app other extra",
                                    L"Zv Fix Same = T:Zv Fix Same", L"Zv Fix Same = T:Zv Fix Same",
                                    L"Zv App Other = T:Zv App Other"}));
    EXPECT_NE(m_page.Data(IDC_FX_FIXED_LIST, 2), m_page.Data(IDC_FX_FIXED_LIST, 3));
    m_page.Select(IDC_FX_FIXED_LIST, {2, 3});
    EXPECT_TRUE(IsWindowEnabled(m_sheet.Item(IDC_FX_UNFIX)));
    EXPECT_FALSE(IsWindowEnabled(m_sheet.Item(IDC_FX_DETAIL_GROUP))) << "details of one entry only";
    EXPECT_TRUE(DlgText(m_sheet.Page(), IDC_FX_TITLE).empty());

    // "Zv App Main" by application: asked first, since the application has another window.
    m_page.Select(IDC_FX_FIXED_LIST, {0});
    HWND hQuery = m_page.ClickForQuery(IDC_FX_BY_APP);
    ASSERT_NE(hQuery, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return DlgText(hQuery, IDC_FX_APP) == L" ZvFixApp.exe"; }, 5000));
    EXPECT_EQ(DlgText(hQuery, IDC_FX_TITLE), L" Zv App Main");
    EXPECT_EQ(DlgText(hQuery, IDC_QF_QUESTION),
              L"このアプリケーションで複数のウィンドウがオープンされています.\nこのアプリケーション名で固定すると、"
              L"以下のウィンドウもすべて固定されます.\n固定してもよろしいですか？");
    ASSERT_EQ(SendDlgItemMessageW(hQuery, IDC_QF_WND_LIST, LB_GETCOUNT, 0, 0), 1);
    wchar_t szEntry[64] = {};
    SendDlgItemMessageW(hQuery, IDC_QF_WND_LIST, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(szEntry));
    EXPECT_STREQ(szEntry, L"Zv App Other");
    SaveShot(hQuery, L"fix-query");
    ASSERT_TRUE(Answer(hQuery, IDOK));
    // Both windows of the application now by application; the entry whose title begins
    // "Zv App Other" is still there and still by title.
    const std::vector<std::wstring> afterApp = {
        L"Zv App Main = A:ZvFixApp.exe", L"zv app other extra = T:zv app other extra", L"Zv Fix Same = T:Zv Fix Same",
        L"Zv Fix Same = T:Zv Fix Same", L"Zv App Other = A:ZvFixApp.exe"};
    EXPECT_TRUE(WaitUntil([&] { return m_page.Details() == afterApp; }, 5000));
    EXPECT_EQ(m_page.Details(), afterApp);

    // Unfixing the application asks again; Cancel leaves everything.
    m_page.Select(IDC_FX_FIXED_LIST, {0});
    hQuery = m_page.ClickForQuery(IDC_FX_UNFIX);
    ASSERT_NE(hQuery, nullptr);
    EXPECT_TRUE(WaitUntil(
        [&] { return DlgText(hQuery, IDC_QF_QUESTION).find(L"固定解除してもよろしいですか") != std::wstring::npos; },
        5000));
    ASSERT_TRUE(Answer(hQuery, IDCANCEL));
    EXPECT_EQ(m_page.Details(), afterApp);

    // The application and one of the title's windows unfixed at once: the entries of the
    // application's other window go first, and still the chosen title is the one unfixed.
    m_page.Select(IDC_FX_FIXED_LIST, {0, 2});
    hQuery = m_page.ClickForQuery(IDC_FX_UNFIX);
    ASSERT_NE(hQuery, nullptr);
    ASSERT_TRUE(Answer(hQuery, IDOK));
    const std::vector<std::wstring> afterUnfix = {L"zv app other extra = T:zv app other extra"};
    EXPECT_TRUE(WaitUntil([&] { return m_page.Details() == afterUnfix; }, 5000));
    EXPECT_EQ(m_page.Details(), afterUnfix);
    for (HWND hWnd : {hMain, hOther, hSame1, hSame2})
        EXPECT_GE(m_page.FindWnd(hWnd), 0) << ToUtf8(WindowTitle(hWnd));
    // A refresh builds both lists afresh from the settings: the same.
    m_sheet.Click(IDC_FX_REFRESH);
    EXPECT_EQ(m_page.Details(), afterUnfix);
    EXPECT_GE(m_page.FindWnd(hSame1), 0);
    SaveShot(m_sheet.Sheet(), L"fix");

    m_sheet.Press(PSBTN_OK);
    EXPECT_EQ(m_sheet.Process().WaitForExit(15000), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetString(L"Fix", Title(0)), std::optional<std::wstring>(L"zv app other extra"));
    EXPECT_EQ(RegGetString(L"Fix", Title(1)), std::optional<std::wstring>(PROP_FIX_TITLE_END));
    EXPECT_EQ(RegGetString(L"Fix", AppName(0)), std::optional<std::wstring>(PROP_FIX_APP_END));
    EXPECT_EQ(RegGetDword(L"Fix", L"Scroll Titled Window Only"), std::optional<DWORD>(1));
}

namespace {

constexpr wchar_t kHookOnLine[] = L"CPropertyPageFix::SetWndChgHook() installed";
constexpr wchar_t kHookOffLine[] = L"CPropertyPageFix::SetWndChgHook() removed.";

class CoreFixPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RegDeleteSettings());
        ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
    }
    void TearDown() override
    {
        for (DWORD dwPid : ProcessesOf(ZV_PROPERTY64_FILE))
            CloseStrayMessageBoxes(dwPid);
    }

    CRegistryGuard m_guard{kMakerKey};
    CCoreRun m_run{L"ZvCoreFixPageTest"};
    CSettingsSheet m_sheet;
    CFixPage m_page{m_sheet};
};

} // namespace

TEST_F(CoreFixPage, WindowsFixedThroughThePageStayWhileTheCoreScrollsTheRest)
{
    CTestWnds wnds;
    const auto hKit = wnds.StartTitled({WndArg(300, 100, 300, 150, L"Zv Fix By Title"),
                                        WndArg(300, 400, 300, 150, L"Zv Fix Scrolls")});
    ASSERT_NE(hKit[0], nullptr);
    ASSERT_NE(hKit[1], nullptr);
    const HWND hByTitle = hKit[0], hScrolls = hKit[1];
    CCopiedApp app;
    ASSERT_TRUE(app.Start({WndArg(700, 100, 300, 150, L"Zv Fix By App")}));
    const HWND hByApp = app.Wnd(0);
    ASSERT_TRUE(m_run.Start());

    ASSERT_TRUE(m_run.Command(ID_ZV_PROPERTY));
    ASSERT_TRUE(m_sheet.Attach());
    ASSERT_TRUE(m_sheet.Select(kPageFix, IDC_FX_FIXED_LIST));
    ASSERT_TRUE(m_page.Fix(hByTitle));
    ASSERT_TRUE(m_page.Fix(hByApp));
    // The application has no other window: no question.
    m_page.Select(IDC_FX_FIXED_LIST, {1});
    m_sheet.Click(IDC_FX_BY_APP);
    EXPECT_EQ(m_page.Details(),
              (std::vector<std::wstring>{L"Zv Fix By Title = T:Zv Fix By Title", L"Zv Fix By App = A:ZvFixApp.exe"}));
    m_sheet.Press(PSBTN_APPLYNOW);
    // Saved by the core once it has applied the settings.
    EXPECT_TRUE(WaitUntil(
        [] {
            return RegGetString(L"Fix", Title(0)) == std::optional<std::wstring>(L"Zv Fix By Title") &&
                   RegGetString(L"Fix", AppName(0)) == std::optional<std::wstring>(kApp);
        },
        10000))
        << ToUtf8(RegGetString(L"Fix", Title(0)).value_or(L"-")) << ", "
        << ToUtf8(RegGetString(L"Fix", AppName(0)).value_or(L"-"));

    // Closed from this page: the page's hook goes with it.
    ASSERT_TRUE(m_sheet.WaitForClose());
    m_sheet.Press(PSBTN_CANCEL);
    ASSERT_TRUE(WaitForSettingsProgramEnd());
    EXPECT_TRUE(m_run.WaitForLine(kHookOffLine, 1, 5000)) << m_run.LogLinesWith(L"SetWndChgHook");
    // Installed on every activation (an apply activates the page again), removed every time.
    const size_t nHooks = CountOf(m_run.Log(), kHookOnLine);
    EXPECT_GE(nHooks, 1u);
    EXPECT_EQ(CountOf(m_run.Log(), kHookOffLine), nHooks) << m_run.LogLinesWith(L"SetWndChgHook");

    const RECT rcByTitle = WindowRect(hByTitle), rcByApp = WindowRect(hByApp), rcScrolls = WindowRect(hScrolls);
    ASSERT_TRUE(m_run.PostDevice(DEVFLAG_RIGHT, kKeybdHorzLine));
    EXPECT_TRUE(WaitForRect(hScrolls, Shifted(rcScrolls, -10, 0), 5000));
    ASSERT_TRUE(m_run.WaitForMoveEnd());
    EXPECT_TRUE(SameRect(rcByTitle, WindowRect(hByTitle)));
    EXPECT_TRUE(SameRect(rcByApp, WindowRect(hByApp)));
    EXPECT_TRUE(MoveLines(m_run.Log(), L"Zv Fix By Title").empty());
    EXPECT_TRUE(MoveLines(m_run.Log(), L"Zv Fix By App").empty());
    EXPECT_EQ(0, m_run.Close());
}
