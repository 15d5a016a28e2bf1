#include "WinApp.h"

#include <commctrl.h>

#include "CommandLine.h"
#include "Path.h"
#include "Strings.h"
#include "Window.h"

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp* GetApp()
{
    return g_pApp;
}

CWinApp::CWinApp()
    : m_hInstance(GetModuleHandleW(nullptr)), m_profile(CProfile::ForModule(nullptr))
{
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return m_nExitCode;
}

int CWinApp::Run()
{
    MSG msg;
    m_bInMessageLoop = TRUE;
    for (;;) {
        BOOL bResult = GetMessageW(&msg, nullptr, 0, 0);
        if (bResult == 0) {
            m_nExitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (bResult == -1)   // an invalid argument: no message will come any more
            break;
        if (!PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    m_bInMessageLoop = FALSE;
    return m_nExitCode;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg)
{
    // Private messages are no input: nothing translates them. Skipping the walk up the window's
    // ancestors keeps a flood of them from costing several system calls each.
    if (pMsg->message >= WM_APP && pMsg->message <= 0xBFFF)
        return FALSE;
    return PreTranslateWindowMessage(pMsg) || PreTranslateDialogMessage(pMsg);
}

BOOL InitCommonControlClasses(DWORD dwIcc)
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), dwIcc};
    return InitCommonControlsEx(&icc);
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) const
{
    ::ParseCommandLine(m_lpCmdLine, FALSE, info);
}

std::wstring CWinApp::GetHelpFilePath() const
{
    return ReplaceFileExtension(GetModuleFilePath(m_hInstance), L".CHM");
}

int RunApplication(CWinApp& app, HINSTANCE hInstance, LPCWSTR lpCmdLine, int nCmdShow)
{
    app.m_hInstance = hInstance;
    app.m_lpCmdLine = lpCmdLine ? lpCmdLine : L"";
    app.m_nCmdShow = nCmdShow;
    if (app.InitInstance())
        app.Run();
    return app.ExitInstance();
}

BOOL CreateInstanceMutex(CHandle& hMutex, const std::wstring& strAppName, const std::wstring& strErrFormat,
                         LPCWSTR pszRunningSuffix)
{
    hMutex.reset();
    hMutex.reset(CreateMutexW(nullptr, FALSE, strAppName.c_str()));
    if (!hMutex) {
        const DWORD dwErr = GetLastError();
        ShowMessageBox(FormatString(strErrFormat.c_str(), dwErr).c_str(), strAppName.c_str(), MB_ICONERROR);
        return FALSE;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        ShowMessageBox((strAppName + pszRunningSuffix).c_str(), strAppName.c_str(), MB_ICONINFORMATION);
        return FALSE;
    }
    return TRUE;
}
