// Framework: CWinApp and RunApplication.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "CommandLine.h"
#include "Path.h"
#include "WinApp.h"
#include "Window.h"

namespace {
const UINT MSG_TEST_END = WM_APP + 0x51;

class CEndingWnd : public CWnd {
public:
    CEndingWnd() { MapMessage(MSG_TEST_END, &CEndingWnd::OnEnd); }
    LRESULT OnEnd(WPARAM, LPARAM) { DestroyWindow(m_hWnd); return 0; }
    void PostNcDestroy() override { delete this; }
};

class CParamInfo : public CCommandLineInfo {
public:
    void ParseParam(const wchar_t* pszParam, BOOL, BOOL) override { m_params.push_back(pszParam); }
    std::vector<std::wstring> m_params;
};

// Refused (m_bRun false), it ends with its own exit code; run, its main window ends the loop.
class CTestApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        m_calls += L"Init ";
        CParamInfo info;
        ParseCommandLine(info);
        m_params = info.m_params;
        auto* pWnd = m_bRun ? new CEndingWnd : nullptr;
        if (!pWnd || !pWnd->CreateHidden(L"ZvFrameworkTestAppWnd", L"ZvFrameworkTest App"))
            return FALSE;
        m_pMainWnd = pWnd;
        return PostMessageW(pWnd->m_hWnd, MSG_TEST_END, 0, 0);
    }
    int ExitInstance() override
    {
        m_calls += L"Exit";
        return m_bRun ? CWinApp::ExitInstance() + 5 : 3;
    }
    bool m_bRun = false;
    std::wstring m_calls;
    std::vector<std::wstring> m_params;
};
}

TEST(FrameworkApp, RefusedStartRunsExitInstance)
{
    {
        CTestApp app;
        EXPECT_EQ(GetApp(), &app);
        EXPECT_EQ(RunApplication(app, GetModuleHandleW(nullptr), L"/LOGWINDOW \"a b\"", SW_HIDE), 3);
        EXPECT_EQ(app.m_calls, L"Init Exit");
        EXPECT_EQ(app.m_params, (std::vector<std::wstring>{L"LOGWINDOW", L"a b"}));
    }
    EXPECT_EQ(GetApp(), nullptr);
}

TEST(FrameworkApp, LoopEndsWhenMainWindowIsDestroyed)
{
    CTestApp app;
    app.m_bRun = true;
    EXPECT_EQ(RunApplication(app, GetModuleHandleW(nullptr), nullptr, SW_HIDE), 5);   // WM_QUIT 0, + 5
    EXPECT_EQ(app.m_calls, L"Init Exit");
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_TRUE(app.m_params.empty());
}

// As the settings program: its main window lives and dies inside InitInstance, and must leave no
// WM_QUIT behind to cut short a later message box.
TEST(FrameworkApp, MainWindowGoneOutsideTheLoopPostsNoQuit)
{
    CTestApp app;
    auto* pWnd = new CEndingWnd;
    ASSERT_TRUE(pWnd->CreateHidden(L"ZvFrameworkTestAppWnd", L"ZvFrameworkTest App"));
    app.m_pMainWnd = pWnd;
    SendMessageW(pWnd->m_hWnd, MSG_TEST_END, 0, 0);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(FrameworkApp, ProfileNamesTheProgram)
{
    // Until a registry key is set: the program's INI file; the help file lies beside it too.
    CTestApp app;
    EXPECT_EQ(app.GetProfileName(), L"ZvUnitTests");
    EXPECT_FALSE(app.GetProfile().UsesRegistry());
    EXPECT_EQ(app.GetProfile().GetIniPath(), GetModuleDir() + L"\\ZvUnitTests.INI");
    EXPECT_EQ(app.GetHelpFilePath(), GetModuleDir() + L"\\ZvUnitTests.CHM");
    app.SetRegistryKey(L"V.Z.Q.");
    app.SetProfileName(L"VZQZv");
    EXPECT_EQ(app.GetProfile().GetSectionKeyPath(L"View"), L"Software\\V.Z.Q.\\VZQZv\\View");
}
