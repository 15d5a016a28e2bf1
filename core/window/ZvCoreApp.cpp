#include "ZvCoreApp.h"

#include <commctrl.h>
#include <shellapi.h>

#include <iterator>
#include <new>

#include "LogManager.h"
#include "OSClass.h"
#include "ProcessLaunch.h"
#include "Sender.h"
#include "Strings.h"
#include "WndEnumerator.h"
#include "ZvMessages.h"
#include "ZvCoreAboutDlg.h"
#include "ZvCoreCommandLineInfo.h"
#include "ZvCoreDlg.h"
#include "resource.h"

BOOL ReadFileVersion(LPCWSTR pszFile, FILE_VERSION_SET& fvs)
{
    DWORD dwHandle = 0;
    const DWORD cbInfo = GetFileVersionInfoSizeW(pszFile, &dwHandle);
    if (cbInfo == 0)
        return FALSE;
    std::vector<BYTE> info(cbInfo, 0);
    if (!GetFileVersionInfoW(pszFile, 0, cbInfo, info.data()))
        return FALSE;
    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT cbFixed = 0;
    if (!VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&pFixed), &cbFixed) || !pFixed ||
        cbFixed < sizeof(VS_FIXEDFILEINFO))
        return FALSE;
    fvs.strFileName = pszFile;
    fvs.dwFileVersionMS = pFixed->dwFileVersionMS;
    fvs.dwFileVersionLS = pFixed->dwFileVersionLS;
    return TRUE;
}

std::vector<FILE_VERSION_SET> BuildFileVersionList(const LPCWSTR* apszFile, size_t nFiles)
{
    std::vector<FILE_VERSION_SET> lst;
    for (size_t i = 0; i < nFiles; ++i) {
        FILE_VERSION_SET fvs;
        if (ReadFileVersion(apszFile[i], fvs))
            lst.push_back(std::move(fvs));
    }
    return lst;
}

CZvCoreApp* GetCoreApp()
{
    return dynamic_cast<CZvCoreApp*>(GetApp());
}

CZvCoreApp::CZvCoreApp()
    : m_hCurArrow(LoadCursorW(nullptr, IDC_ARROW)),
      m_hCurCross(LoadCursorW(nullptr, IDC_CROSS)),
      m_hCurSizeWE(LoadCursorW(nullptr, IDC_SIZEWE)),
      m_hCurSizeNS(LoadCursorW(nullptr, IDC_SIZENS)),
      m_hCurSizeNWSE(LoadCursorW(nullptr, IDC_SIZENWSE)),
      m_hCurSizeNESW(LoadCursorW(nullptr, IDC_SIZENESW)),
      m_hCurSizeAll(LoadCursorW(nullptr, IDC_SIZEALL)),
      m_nOSClass(GetOSClass())
{
}

void CZvCoreApp::SetMsgFilter(DWORD dwAction)
{
    if (!IsMsgFilterOSClass(m_nOSClass))
        return;
    for (UINT uMsg : ZV_HOOK_FILTER_MSGS)
        ChangeWndMsgFilter(uMsg, dwAction);
    // The taskbar runs at another level than we may: its news must come through to the icon.
    if (const UINT uMsg = RegisterWindowMessageW(ZV_TASKBAR_CREATED_MSG))
        ChangeWndMsgFilter(uMsg, dwAction);
}

BOOL CZvCoreApp::InitInstance()
{
    // The scroll-bar windows hold an up-down control.
    InitCommonControlClasses(ICC_WIN95_CLASSES | ICC_UPDOWN_CLASS);
    CWinApp::InitInstance();

    const std::wstring strAppName = LoadResString(IDS_ZV_APP_NAME);
    if (!CreateInstanceMutex(m_hMutex, strAppName, LoadResString(IDS_ZV_ERR_MUTEX), ZV_ALREADY_RUNNING_SUFFIX))
        return FALSE;

    // The settings program saves the registry when it ends: a core program starting now would
    // work on settings about to change.
    if (IsMutexExist(LoadResString(IDS_ZV_PROP_MUTEX).c_str())) {
        ShowMessageBox(LoadResString(IDS_ZV_PROP_EDITING).c_str(), strAppName.c_str(), MB_ICONINFORMATION);
        if (HWND hWndSheet = FindWindowW(nullptr, ZV_PROPERTY_WND_TITLE))
            SetForegroundWindow(hWndSheet);
        return FALSE;
    }

    try {
        SetRegistryKey(LoadResString(IDS_ZV_REG_KEY).c_str());
        SetProfileName(LoadResString(IDS_ZV_PROFILE).c_str());
    } catch (const std::bad_alloc&) {
        ShowMessageBox(LoadResString(IDS_ZV_ERR_PROFILE).c_str(), strAppName.c_str(), MB_ICONERROR);
        return FALSE;
    }

    CZvCoreCommandLineInfo cmdInfo(&m_opt);
    ParseCommandLine(cmdInfo);
    CompleteCmdLineOptions(m_opt);

    CreateLogManager(m_opt, SENDER_CORE);
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, ZV_CORE_START_LOG);

    ImmigrateRegistry();

    if (!m_opt.bAllowMultiMonitor) {
        const int nMonitors = GetSystemMetrics(SM_CMONITORS);
        if (nMonitors > 1) {
            ShowMessageBox(FormatString(LoadResString(IDS_ZV_MULTI_MONITOR).c_str(), nMonitors).c_str(),
                           strAppName.c_str(), MB_ICONERROR);
            return FALSE;
        }
    }

    if (!CheckOSAndLoadUser32(strAppName.c_str(), &m_hUser32, &m_opt.bAllowExecOnNewerOS))
        return FALSE;
    // Hook libraries in processes of lower integrity post to this window.
    SetMsgFilter(1);

    m_lstVersion = BuildFileVersionList(ZV_VERSION_FILES, std::size(ZV_VERSION_FILES));

    std::wstring strOS;
    if (GetOSVersionString(strOS, L",")) {
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"%s\r\n", strOS.c_str());
        if (m_opt.bShowSystemAnalyze && GetOSVersionString(strOS, L"\n"))
            ShowMessageBox(strOS.c_str(), strAppName.c_str(), MB_ICONINFORMATION);
    }
    std::wstring strVersion;
    GetFileVersionSetString(m_lstVersion, strVersion, L",");
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"%s\r\n", strVersion.c_str());

    DWORD dwErr = 0;
    CZvCoreDlg* pDlg = CZvCoreDlg::CreateMain(dwErr);
    // Without its window the program could never be reached nor ended.
    if (!pDlg)
        return CZvCoreDlg::ReportNoWindow(dwErr);
    m_pMainWnd = pDlg;
    ShowWindow(pDlg->m_hWnd, SW_HIDE);
    UpdateWindow(pDlg->m_hWnd);
    return TRUE;
}

int CZvCoreApp::ExitInstance()
{
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, ZV_CORE_END_LOG);
    EndLog();
    if (m_hUser32) {
        SetMsgFilter(2);
        FreeUser32(&m_hUser32);
    }
    m_lstVersion.clear();
    m_opt.pszLogFile.reset();
    m_opt.pszLogMode.reset();
    // Created without an owner, so there is nothing to release: closing gives the name up.
    m_hMutex.reset();
    return CWinApp::ExitInstance();
}

void CZvCoreApp::OnHelp()
{
    if (HWND hWndHelp = FindHelpWnd()) {
        SetForegroundWindow(hWndHelp);
        return;
    }
    HWND hWndOwner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    const std::wstring strHelp = GetHelpFilePath();
    const auto nResult = reinterpret_cast<INT_PTR>(
        ShellExecuteW(hWndOwner, L"open", strHelp.c_str(), nullptr, L".\\", SW_SHOW));
    if (nResult > 32) {
        m_bHelpOpened = 1;
        return;
    }
    ShowMessageBox(FormatString(LoadResString(IDS_ZV_ERR_HELP).c_str(), static_cast<unsigned>(nResult)).c_str(),
                   LoadResString(IDS_ZV_APP_NAME).c_str(), MB_ICONERROR);
}

void CZvCoreApp::OnAppAbout()
{
    if (m_pAboutDlg) {
        if (m_pAboutDlg->m_hWnd)
            SetForegroundWindow(m_pAboutDlg->m_hWnd);
        return;
    }
    CZvCoreAboutDlg dlg(&m_lstVersion);
    m_pAboutDlg = &dlg;
    dlg.DoModal();
    m_pAboutDlg = nullptr;
}
