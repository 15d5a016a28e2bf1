// The core program's application object: start-up with its refusals, the end, the help command
// and the about box. The one instance is defined beside wWinMain (ZvCore.cpp).
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "CmdLineOption.h"
#include "SysReport.h"
#include "WinApp.h"
#include "ZvMessages.h"
#include "ZvNames.h"

// Appended to the program name in the box of a second start.
inline constexpr wchar_t ZV_ALREADY_RUNNING_SUFFIX[] = L" は既に実行中です.";
inline constexpr wchar_t ZV_CORE_START_LOG[] = L"ZvCoreアプリケーション開始.\r\n";
inline constexpr wchar_t ZV_CORE_END_LOG[] = L"ZvCoreアプリケーション終了.\r\n";

// The files of the system whose versions are reported, in report order.
inline constexpr LPCWSTR ZV_VERSION_FILES[] = {
    ZV_CORE64_FILE,    ZV_PROPERTY64_FILE, ZV_HOOK32TO64_FILE, ZV_LOG64_FILE,
    ZV_REGCOPY64_FILE, ZV_HOOK32_DLL,      ZV_HOOK64_DLL,      ZV_IMGNM64_DLL,
};

// The hook messages let through the message filter, in the order they are added and removed: only
// the window-event hook's, which its library posts (or sends) from inside every hooked process. The
// keyboard and mouse messages come from the core's own low-level hooks on its own thread, so a
// process of lower integrity has no business posting them (it would forge keys and clicks).
inline constexpr UINT ZV_HOOK_FILTER_MSGS[] = {MSG_HOOK_CBT_ACTIVATE, MSG_HOOK_CBT_WNDCHG, MSG_HOOK_CBT_MINMAX};

// The file version of pszFile, found by the system's search order (this program's folder first).
// FALSE when the file is missing or carries no version information.
BOOL ReadFileVersion(LPCWSTR pszFile, FILE_VERSION_SET& fvs);
// One entry per file that has version information, in the order given; the others are left out.
std::vector<FILE_VERSION_SET> BuildFileVersionList(const LPCWSTR* apszFile, size_t nFiles);

class CZvCoreAboutDlg;

class CZvCoreApp : public CWinApp {
public:
    CZvCoreApp();

    BOOL InitInstance() override;
    int ExitInstance() override;
    // The application's commands, which the main window hands on however they reach it (posted
    // by the tray menu, sent, or while a box runs its own message loop).
    void OnHelp();
    // A second request while the about box is open brings that box to the front.
    void OnAppAbout();

    const CMDLINE_OPTION_SET& GetOptions() const noexcept { return m_opt; }
    CMDLINE_OPTION_SET& GetOptions() noexcept { return m_opt; }
    const std::vector<FILE_VERSION_SET>& GetVersionList() const noexcept { return m_lstVersion; }
    int GetOSClassValue() const noexcept { return m_nOSClass; }

    CHandle m_hMutex;
    HMODULE m_hUser32 = nullptr;
    // The scroll-bar windows take their cursors from here.
    HCURSOR m_hCurArrow;
    HCURSOR m_hCurCross;
    HCURSOR m_hCurSizeWE;
    HCURSOR m_hCurSizeNS;
    HCURSOR m_hCurSizeNWSE;
    HCURSOR m_hCurSizeNESW;
    HCURSOR m_hCurSizeAll;
    // Set once the help file has been opened: the main window's teardown closes the help window.
    int m_bHelpOpened = 0;
    // The about box while it is open.
    CZvCoreAboutDlg* m_pAboutDlg = nullptr;

private:
    void SetMsgFilter(DWORD dwAction);

    std::vector<FILE_VERSION_SET> m_lstVersion;
    int m_nOSClass;
    CMDLINE_OPTION_SET m_opt;
};

// The running core program's application object.
CZvCoreApp* GetCoreApp();
