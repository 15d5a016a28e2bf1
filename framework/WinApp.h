// WinApp: the application object, its message loop and its profile.
#pragma once

#include <windows.h>

#include <string>

#include "Handle.h"
#include "Profile.h"

class CCommandLineInfo;
class CWnd;

// One global object per program, derived from CWinApp, run by the program's wWinMain:
//     CZvCoreApp theApp;
//     int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int nCmdShow)
//     { return RunApplication(theApp, hInstance, lpCmdLine, nCmdShow); }
class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // FALSE ends the program at once (ExitInstance still runs); the base returns TRUE.
    virtual BOOL InitInstance();
    // The program's exit code; the base returns m_nExitCode (the WM_QUIT code, 0 when none).
    virtual int ExitInstance();
    // The message loop, until WM_QUIT (posted when the main window is destroyed);
    // keeps WM_QUIT's code in m_nExitCode and returns it.
    virtual int Run();
    BOOL IsInMessageLoop() const { return m_bInMessageLoop; }
    // Before TranslateMessage/DispatchMessageW: TRUE when the message was taken.
    // The base asks the message's window and its ancestors (CWnd::PreTranslateMessage), then
    // feeds modeless dialogs (IsDialogMessageW).
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // Hands every token of m_lpCmdLine (no program name in front) to info.ParseParam.
    void ParseCommandLine(CCommandLineInfo& info) const;

    // Profile: the registry under HKEY_CURRENT_USER\Software\<key>\<profile name> once a
    // key is set, the INI file of the program (its path with ".INI") before.
    // The profile name starts as the program's module base name.
    void SetRegistryKey(LPCWSTR pszRegistryKey) { m_profile.SetRegistryKey(pszRegistryKey); }
    void SetProfileName(LPCWSTR pszProfileName) { m_profile.SetProfileName(pszProfileName); }
    // The INI file used without a registry key; a bare name is looked for in the Windows folder.
    void SetIniPath(LPCWSTR pszIniPath) { m_profile.SetIniPath(pszIniPath); }
    const std::wstring& GetProfileName() const { return m_profile.GetProfileName(); }
    // (windows.h turns these names into ...W; declaration and calls alike, so it does not matter.)
    UINT GetProfileInt(LPCWSTR pszSection, LPCWSTR pszEntry, int nDefault) const
    {
        return m_profile.GetInt(pszSection, pszEntry, nDefault);
    }
    BOOL WriteProfileInt(LPCWSTR pszSection, LPCWSTR pszEntry, int nValue) const
    {
        return m_profile.WriteInt(pszSection, pszEntry, nValue);
    }
    std::wstring GetProfileString(LPCWSTR pszSection, LPCWSTR pszEntry, LPCWSTR pszDefault = L"") const
    {
        return m_profile.GetString(pszSection, pszEntry, pszDefault);
    }
    BOOL WriteProfileString(LPCWSTR pszSection, LPCWSTR pszEntry, LPCWSTR pszValue) const
    {
        return m_profile.WriteString(pszSection, pszEntry, pszValue);
    }
    const CProfile& GetProfile() const { return m_profile; }

    // The program's own path with the extension ".CHM".
    std::wstring GetHelpFilePath() const;

    HINSTANCE m_hInstance;
    LPCWSTR m_lpCmdLine = L"";
    int m_nCmdShow = SW_SHOWDEFAULT;
    // Destroying this window ends the message loop (when one runs: a modal main
    // window closed inside InitInstance leaves no WM_QUIT behind to cut short a
    // later message box).
    CWnd* m_pMainWnd = nullptr;
    int m_nExitCode = 0;

private:
    CProfile m_profile;
    BOOL m_bInMessageLoop = FALSE;
};

// The application object of the program (the last CWinApp constructed), or null.
CWinApp* GetApp();

// InitCommonControlsEx for the classes of dwIcc (ICC_UPDOWN_CLASS, ICC_WIN95_CLASSES, ...), which
// a program registers before its first window uses them.
BOOL InitCommonControlClasses(DWORD dwIcc);

// The program's single-instance mutex, named by its application name, created into hMutex. FALSE,
// after its box, when it cannot be made (strErrFormat filled with the error code, error icon) or
// another instance holds it already (the name followed by pszRunningSuffix); hMutex is then empty or
// holds the handle until the program lets it go at its end.
BOOL CreateInstanceMutex(CHandle& hMutex, const std::wstring& strAppName, const std::wstring& strErrFormat,
                         LPCWSTR pszRunningSuffix);

// InitInstance; TRUE: Run; then ExitInstance, whose result is the exit code.
int RunApplication(CWinApp& app, HINSTANCE hInstance, LPCWSTR lpCmdLine, int nCmdShow);
