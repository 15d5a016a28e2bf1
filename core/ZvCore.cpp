// The core program's application object.
#include <windows.h>
#include <string>
#include "Strings.h"
#include "WinApp.h"
#include "ZvCoreDlg.h"
#include "resource.h"

class CZvCoreApp : public CWinApp {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    HANDLE m_hMutex = nullptr;
};

static CZvCoreApp theApp;

BOOL CZvCoreApp::InitInstance()
{
    const std::wstring strAppName = LoadResString(IDS_ZV_APP_NAME);
    m_hMutex = CreateMutexW(nullptr, FALSE, strAppName.c_str());
    if (!m_hMutex) {
        const DWORD dwErr = GetLastError();
        ShowMessageBox(FormatString(LoadResString(IDS_ZV_ERR_MUTEX).c_str(), dwErr).c_str(),
                       strAppName.c_str(), MB_ICONERROR);
        return FALSE;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        ShowMessageBox((strAppName + L" は既に実行中です.").c_str(), strAppName.c_str(),
                       MB_ICONINFORMATION);
        return FALSE;
    }
    SetRegistryKey(LoadResString(IDS_ZV_REG_KEY).c_str());
    SetProfileName(LoadResString(IDS_ZV_PROFILE).c_str());

    auto* pDlg = new CZvCoreDlg;
    if (!pDlg->m_hWnd) {
        const DWORD dwErr = GetLastError();
        delete pDlg;
        ShowMessageBox(FormatString(LoadResString(IDS_ZV_ERR_HWND).c_str(), dwErr).c_str(),
                       strAppName.c_str(), MB_ICONERROR);
        return FALSE;
    }
    m_pMainWnd = pDlg;
    ShowWindow(pDlg->m_hWnd, SW_HIDE);
    return TRUE;
}

int CZvCoreApp::ExitInstance()
{
    if (m_hMutex) {
        CloseHandle(m_hMutex);
        m_hMutex = nullptr;
    }
    return CWinApp::ExitInstance();
}

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int nCmdShow)
{
    return RunApplication(theApp, hInstance, lpCmdLine, nCmdShow);
}
