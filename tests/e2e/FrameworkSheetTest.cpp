// The framework's property sheet, run modally by ZvTSheet.exe over its parent window and driven
// from here with real clicks, keys and messages; what the framework called is read from the
// program's log, DoModal's result from its exit code.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "ZvTestKit.h"
#include "../progs/ZvTSheetIds.h"

using namespace zvkit;

namespace {

constexpr wchar_t kProg[] = L"ZvTSheet.exe";
constexpr wchar_t kSheetTitle[] = L"ZvTSheet のテスト";
constexpr wchar_t kParentTitle[] = L"ZvTSheet Parent";
// The sheet's Apply button: comctl32's number, which no header of the toolchain names.
constexpr int kApplyId = 0x3021;

// One run of ZvTSheet.exe: started with a start page, its sheet found and initialised.
class CSheetRun {
public:
    explicit CSheetRun(int nStartPage)
    {
        m_strLog = NewTempFilePath(L"ZvTSheet", L".log");
        if (!m_proc.Start(kProg, L"/LOG=" + QuoteArg(m_strLog) + L" /START=" + std::to_wstring(nStartPage))) {
            ADD_FAILURE() << "cannot start " << ToUtf8(kProg) << ", error " << m_proc.LastError();
            return;
        }
        m_hWndSheet = WaitForWindow(kSheetTitle, 10000, nullptr, m_proc.Pid());
        m_hWndParent = FindTopLevel(kParentTitle, nullptr, m_proc.Pid());
        EXPECT_NE(m_hWndSheet, nullptr) << "no sheet";
        EXPECT_TRUE(WaitForLine("init ")) << Log();
    }
    ~CSheetRun() { DeleteFileW(m_strLog.c_str()); }

    std::string Log() const { return ReadFileBytes(m_strLog); }
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        const std::string strLog = Log();
        size_t nPos = 0;
        for (size_t nEnd; (nEnd = strLog.find('\n', nPos)) != std::string::npos; nPos = nEnd + 1)
            lines.push_back(strLog.substr(nPos, nEnd - nPos));
        return lines;
    }
    bool HasLine(const std::string& strLine) const
    {
        const auto lines = Lines();
        return std::find(lines.begin(), lines.end(), strLine) != lines.end();
    }
    // A line that begins with strStart (a whole line when it has no trailing blank).
    bool WaitForLine(const std::string& strStart, DWORD dwTimeoutMs = 5000) const
    {
        return WaitUntil([&] {
            for (const std::string& strLine : Lines())
                if (strLine == strStart || (strStart.back() == ' ' && strLine.rfind(strStart, 0) == 0))
                    return true;
            return false;
        }, dwTimeoutMs);
    }
    std::string LineStarting(const std::string& strStart) const
    {
        for (const std::string& strLine : Lines())
            if (strLine.rfind(strStart, 0) == 0)
                return strLine;
        return {};
    }

    HWND Sheet() const { return m_hWndSheet; }
    HWND Parent() const { return m_hWndParent; }
    HWND Button(int nId) const { return GetDlgItem(m_hWndSheet, nId); }
    HWND CurrentPage() const
    {
        return reinterpret_cast<HWND>(SendMessageW(m_hWndSheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    }
    bool Post(UINT uMsg, WPARAM wParam) const { return PostMessageW(m_hWndSheet, uMsg, wParam, 0) != FALSE; }

    // A real left click in the middle of a control of the sheet (or of tab nTab, where the program
    // logged it), until bDone says it took effect: under Wine a click right after the pointer was
    // placed now and then lands nowhere, so it is made again, up to three times.
    bool Click(HWND hWndCtrl, const std::function<bool()>& bDone) const
    {
        return hWndCtrl && ClickAt(WindowRect(hWndCtrl), bDone);
    }
    bool ClickTab(int nTab, const std::function<bool()>& bDone) const
    {
        const std::string strLine = LineStarting("tabrect " + std::to_string(nTab) + " ");
        RECT rc = {};
        return !strLine.empty()
            && sscanf(strLine.c_str(), "tabrect %*d %ld %ld %ld %ld", &rc.left, &rc.top, &rc.right, &rc.bottom) == 4
            && ClickAt(rc, bDone);
    }
    bool Ended() const { return !m_proc.IsRunning(); }

    // DoModal's result, once the program has ended.
    std::optional<DWORD> Result() { return m_proc.WaitForExit(10000); }

private:
    bool ClickAt(const RECT& rc, const std::function<bool()>& bDone) const
    {
        for (int nTry = 0; nTry < 5; ++nTry) {
            if (!ForceForeground(m_hWndSheet)
                || !PlacePointer((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2)
                || !MouseClick(MouseButton::Left))
                return false;
            if (WaitUntil(bDone, 1500))
                return true;
        }
        return false;
    }

    CProcess m_proc;
    std::wstring m_strLog;
    HWND m_hWndSheet = nullptr;
    HWND m_hWndParent = nullptr;
};

std::wstring ControlText(HWND hWnd)
{
    wchar_t sz[64] = {};
    SendMessageW(hWnd, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(sz));
    return sz;
}

} // namespace

// The start page is shown and initialised first; the parent is disabled while the sheet runs;
// the help flags cleared in code leave no Help button; the caption given in code names the third
// tab; the third page's lists were filled in code; the sheet's own messages (the timer, a private
// one) reach its table; EndDialog from code ends DoModal with its value and re-enables the parent.
TEST(FrameworkSheet, StartPageParentAndEndFromCode) {
    CSheetRun run(2);
    ASSERT_NE(run.Sheet(), nullptr);
    ASSERT_NE(run.Parent(), nullptr);
    EXPECT_EQ(run.LineStarting("init "), "init active=2 pages=3 parent-enabled=0 tabs=一般|詳細|記録の設定");
    EXPECT_EQ(run.LineStarting("setactive "), "setactive 2") << "only the start page is made active";
    EXPECT_TRUE(run.HasLine("filled 3 2")) << run.Log();
    EXPECT_FALSE(IsWindowEnabled(run.Parent()));
    const HWND hWndList = GetDlgItem(run.CurrentPage(), ZVT_IDC_LIST);
    EXPECT_EQ(SendMessageW(hWndList, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(GetDlgItem(run.CurrentPage(), ZVT_IDC_COMBO), CB_GETCOUNT, 0, 0), 2);
    const HWND hWndHelp = run.Button(IDHELP);
    EXPECT_TRUE(!hWndHelp || !IsWindowVisible(hWndHelp)) << "Help shown although its flags were cleared";
    EXPECT_TRUE(run.HasLine("icons 1 1")) << "PSH_USEHICON's icon, big and small";

    EXPECT_TRUE(run.WaitForLine("timer")) << run.Log();
    ASSERT_TRUE(run.Post(ZVT_MSG_PING, 42));
    EXPECT_TRUE(run.WaitForLine("ping 42 active=2")) << run.Log();

    ASSERT_TRUE(run.Post(ZVT_MSG_END, 7));
    EXPECT_EQ(run.Result(), 7u);
    EXPECT_TRUE(run.HasLine("destroy")) << run.Log();
    EXPECT_TRUE(run.HasLine("result 7 parent-enabled=1")) << run.Log();
    EXPECT_FALSE(run.WaitForLine("apply ", 0)) << "EndDialog applies nothing";
}

TEST(FrameworkSheet, OutOfRangeStartPageFallsBackToTheFirst) {
    CSheetRun run(9);
    ASSERT_NE(run.Sheet(), nullptr);
    EXPECT_EQ(run.LineStarting("init "), "init active=0 pages=3 parent-enabled=0 tabs=一般|詳細|記録の設定");
    EXPECT_EQ(run.LineStarting("setactive "), "setactive 0");
    ASSERT_TRUE(run.Post(ZVT_MSG_END, IDCANCEL));
    EXPECT_EQ(run.Result(), static_cast<DWORD>(IDCANCEL));
}

// A click on a tab and SetActivePage run the pages' kill-active and set-active; a page that
// refuses to be left stays current. Escape (which only the loop's dialog-message handling turns
// into Cancel) cancels: query-cancel on the current page, reset on every page made, IDCANCEL.
TEST(FrameworkSheet, TabChangesAndARefusingPage) {
    CSheetRun run(0);
    ASSERT_NE(run.Sheet(), nullptr);
    ASSERT_TRUE(run.ClickTab(1, [&] { return run.HasLine("setactive 1"); })) << run.Log();
    EXPECT_TRUE(run.HasLine("killactive 0")) << run.Log();

    const HWND hWndEdit = GetDlgItem(run.CurrentPage(), ZVT_IDC_EDIT);
    ASSERT_NE(hWndEdit, nullptr);
    SendMessageW(hWndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"stay"));
    ASSERT_TRUE(run.ClickTab(2, [&] { return run.HasLine("killactive 1 refused"); })) << run.Log();
    ASSERT_TRUE(run.Post(ZVT_MSG_SELECT, 2));
    EXPECT_TRUE(run.WaitForLine("select 2 0 active=1")) << run.Log();
    EXPECT_EQ(GetParent(hWndEdit), run.CurrentPage());
    EXPECT_FALSE(run.HasLine("setactive 2")) << run.Log();

    SendMessageW(hWndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    ASSERT_TRUE(run.Post(ZVT_MSG_SELECT, 2));
    EXPECT_TRUE(run.WaitForLine("select 2 1 active=2")) << run.Log();
    EXPECT_TRUE(run.HasLine("setactive 2")) << run.Log();

    ASSERT_TRUE(ForceForeground(run.Sheet()));
    ASSERT_TRUE(TapKey(VK_ESCAPE));
    EXPECT_EQ(run.Result(), static_cast<DWORD>(IDCANCEL)) << run.Log();
    EXPECT_TRUE(run.HasLine("querycancel 2")) << run.Log();
    for (const char* pszLine : {"reset 0", "reset 1", "reset 2"})
        EXPECT_TRUE(run.HasLine(pszLine)) << pszLine << "\n" << run.Log();
    EXPECT_TRUE(run.HasLine("result 2 parent-enabled=1")) << run.Log();
}

// Apply reaches every page made so far with "not closing", and the page's CancelToClose turns OK
// into Close and disables Cancel; Close then applies every page with "closing" and gives IDOK.
TEST(FrameworkSheet, ApplyAndCancelToClose) {
    CSheetRun run(0);
    ASSERT_NE(run.Sheet(), nullptr);
    const HWND hWndApply = run.Button(kApplyId);
    ASSERT_NE(hWndApply, nullptr);
    EXPECT_FALSE(IsWindowEnabled(hWndApply));
    ASSERT_TRUE(run.Click(GetDlgItem(run.CurrentPage(), ZVT_IDC_CHANGE),
                          [&] { return IsWindowEnabled(hWndApply) != FALSE; })) << "SetModified";
    ASSERT_TRUE(run.Post(ZVT_MSG_SELECT, 1));
    ASSERT_TRUE(run.WaitForLine("select 1 1 active=1")) << run.Log();

    ASSERT_TRUE(run.Click(hWndApply, [&] { return run.HasLine("apply 1 0"); })) << run.Log();
    EXPECT_TRUE(run.HasLine("apply 0 0")) << run.Log();
    EXPECT_FALSE(run.WaitForLine("apply 2 ", 0)) << "the third page was never made";
    EXPECT_TRUE(WaitUntil([&] { return ControlText(run.Button(IDOK)) == L"Close"; }, 3000))
        << ToUtf8(ControlText(run.Button(IDOK)));
    EXPECT_FALSE(IsWindowEnabled(run.Button(IDCANCEL)));
    EXPECT_FALSE(IsWindowEnabled(hWndApply));
    EXPECT_TRUE(IsWindow(run.Sheet())) << "Apply keeps the sheet";

    ASSERT_TRUE(run.Click(run.Button(IDOK), [&] { return run.Ended(); }));
    EXPECT_EQ(run.Result(), static_cast<DWORD>(IDOK)) << run.Log();
    EXPECT_TRUE(run.HasLine("apply 0 1")) << run.Log();
    EXPECT_TRUE(run.HasLine("apply 1 1")) << run.Log();
    EXPECT_FALSE(run.HasLine("reset 0")) << run.Log();
}

// How each way out ends DoModal: OK (also without a change), the Cancel button, the system
// menu's Close (through the sheet's own WM_SYSCOMMAND handler), and that Close after an Apply.
TEST(FrameworkSheet, ResultOfEachWayOut) {
    {
        CSheetRun run(0);
        ASSERT_NE(run.Sheet(), nullptr);
        ASSERT_TRUE(run.Click(run.Button(IDOK), [&] { return run.Ended(); }));
        EXPECT_EQ(run.Result(), static_cast<DWORD>(IDOK)) << run.Log();
        EXPECT_TRUE(run.HasLine("apply 0 1")) << run.Log();
    }
    {
        CSheetRun run(1);
        ASSERT_NE(run.Sheet(), nullptr);
        ASSERT_TRUE(run.Click(run.Button(IDCANCEL), [&] { return run.Ended(); }));
        EXPECT_EQ(run.Result(), static_cast<DWORD>(IDCANCEL)) << run.Log();
        EXPECT_TRUE(run.HasLine("querycancel 1")) << run.Log();
        EXPECT_TRUE(run.HasLine("reset 1")) << run.Log();
    }
    {
        CSheetRun run(0);
        ASSERT_NE(run.Sheet(), nullptr);
        ASSERT_TRUE(run.Post(WM_SYSCOMMAND, SC_CLOSE));
        EXPECT_EQ(run.Result(), static_cast<DWORD>(IDCANCEL)) << run.Log();
        EXPECT_TRUE(run.HasLine("syscommand 0xF060")) << run.Log();
        EXPECT_TRUE(run.HasLine("reset 0")) << run.Log();
    }
    {
        CSheetRun run(0);
        ASSERT_NE(run.Sheet(), nullptr);
        ASSERT_TRUE(run.Click(GetDlgItem(run.CurrentPage(), ZVT_IDC_CHANGE),
                              [&] { return IsWindowEnabled(run.Button(kApplyId)) != FALSE; }))
            << "foreground " << GetForegroundWindow() << ", sheet " << run.Sheet() << "\n" << run.Log();
        ASSERT_TRUE(run.Post(ZVT_MSG_PRESS, PSBTN_APPLYNOW));
        ASSERT_TRUE(run.WaitForLine("apply 0 0")) << run.Log();
        ASSERT_TRUE(run.Post(WM_SYSCOMMAND, SC_CLOSE));
        EXPECT_EQ(run.Result(), static_cast<DWORD>(IDOK)) << "an apply took place\n" << run.Log();
    }
}
