#include "ZvHook32to64App.h"

#include <commctrl.h>

#include <string>

#include "LogManager.h"
#include "Sender.h"
#include "Strings.h"
#include "SysReport.h"
#include "ZvHook32to64CommandLineInfo.h"
#include "ZvHook32to64Dlg.h"
#include "resource.h"

CZvHook32to64App* GetGatewayApp()
{
    return dynamic_cast<CZvHook32to64App*>(GetApp());
}

BOOL CZvHook32to64App::InitInstance()
{
    InitCommonControlClasses(0xFF);
    CWinApp::InitInstance();
    // No registry key: the gateway's settings are the file's, their defaults without one.
    SetIniPath(ZV_GTWY_INI_FILE);

    const std::wstring strAppName = LoadResString(IDS_ZV_APP_NAME);
    if (!CreateInstanceMutex(m_hMutex, strAppName, LoadResString(IDS_ZV_ERR_MUTEX), ZV_GTWY_ALREADY_RUNNING_SUFFIX))
        return FALSE;

    CZvHook32to64CommandLineInfo cmdInfo(&m_options, &m_nCaller);
    ParseCommandLine(cmdInfo);
    CompleteCmdLineOptions(m_options);

    CreateLogManager(m_options, SENDER_HOOK);
    OutputLog(LOG_LEVEL_INFO, SENDER_HOOK, ZV_GTWY_START_LOG);
    // The gateway has no one to show the report to: the log only, whatever the options say.
    std::wstring strOS;
    if (GetOSVersionString(strOS, L","))
        OutputLog(LOG_LEVEL_INFO, SENDER_HOOK, L"%s\r\n", strOS.c_str());

    auto* pDlg = new CZvHook32to64Dlg;
    if (!pDlg->m_hWnd) {
        const DWORD dwErr = GetLastError();
        delete pDlg;
        CZvHook32to64Dlg::ReportInitFailure(IDS_ZV_ERR_HWND, dwErr);
        return FALSE;
    }
    // A gateway without its link would hold the instance mutex and refuse the next core
    // program's gateway: it ends after its box.
    if (pDlg->IsInitFailed()) {
        DestroyWindow(pDlg->m_hWnd);
        return FALSE;
    }
    m_pMainWnd = pDlg;
    ShowWindow(pDlg->m_hWnd, SW_HIDE);
    UpdateWindow(pDlg->m_hWnd);
    return TRUE;
}

int CZvHook32to64App::ExitInstance()
{
    OutputLog(LOG_LEVEL_INFO, SENDER_HOOK, ZV_GTWY_END_LOG);
    EndLog();
    m_options.pszLogFile.reset();
    m_options.pszLogMode.reset();
    // Created without an owner, so there is nothing to release: closing gives the name up.
    m_hMutex.reset();
    return CWinApp::ExitInstance();
}
