// Framework: CWinApp and RunApplication.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "CommandLine.h"
#include "WinApp.h"
#include "Window.h"

namespace {
const UINT MSG_TEST_END = WM_APP + 0x51;

class CEndingWnd : public CWnd {
public:
    CEndingWnd() { MapMessage(MSG_TEST_END, &CEndingWnd::OnEnd); }
    LRESULT OnEnd(WPARAM, LPARAM)
    {
        DestroyWindow(m_hWnd);
        return 0;
    }
    void PostNcDestroy() override { delete this; }
};

class CParamInfo : public CCommandLineInfo {
public:
    void ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast) override
    {
        m_params.push_back(pszParam);
    }
    std::vector<std::wstring> m_params;
};

class CTestApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        m_calls += L"Init ";
        CParamInfo info;
        ParseCommandLine(info);
        m_params = info.m_params;
        if (!m_bRun)
            return FALSE;
        auto* pWnd = new CEndingWnd;
        if (!pWnd->CreateHidden(L"ZvFrameworkTestAppWnd", L"ZvFrameworkTest App"))
            return FALSE;
        m_pMainWnd = pWnd;
        PostMessageW(pWnd->m_hWnd, MSG_TEST_END, 0, 0);
        return TRUE;
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
    CTestApp app;
    EXPECT_EQ(GetApp(), &app);
    EXPECT_EQ(RunApplication(app, GetModuleHandleW(nullptr), L"/LOGWINDOW \"a b\"", SW_HIDE), 3);
    EXPECT_EQ(app.m_calls, L"Init Exit");
    EXPECT_EQ(app.m_params, (std::vector<std::wstring>{L"LOGWINDOW", L"a b"}));
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

TEST(FrameworkApp, MainWindowGoneOutsideTheLoopPostsNoQuit)
{
    // As the settings program: its main window lives and dies inside InitInstance.
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
    CTestApp app;
    EXPECT_EQ(app.GetProfileName(), L"ZvUnitTests");
    EXPECT_FALSE(app.GetProfile().UsesRegistry());
    std::wstring strHelp = app.GetHelpFilePath();
    ASSERT_GT(strHelp.size(), 16u);
    EXPECT_EQ(strHelp.substr(strHelp.size() - 16), L"\\ZvUnitTests.CHM");
    app.SetRegistryKey(L"V.Z.Q.");
    app.SetProfileName(L"VZQZv");
    EXPECT_EQ(app.GetProfile().GetSectionKeyPath(L"View"), L"Software\\V.Z.Q.\\VZQZv\\View");
}

TEST(FrameworkApp, NoAppAfterDestruction)
{
    {
        CTestApp app;
        EXPECT_EQ(GetApp(), &app);
    }
    EXPECT_EQ(GetApp(), nullptr);
}
