// The settings program's application object: the single instance, the command line, the log,
// the check that finds and prepares the core program, the modal sheet and the hand-back at the
// end. The one instance is defined beside wWinMain (ZvProperty.cpp).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "CmdLineOption.h"
#include "PropertySet.h"
#include "WinApp.h"
#include "ZvNames.h"

inline constexpr wchar_t ZV_PROP_ALREADY_RUNNING_SUFFIX[] = L" は既に実行中です.";
inline constexpr wchar_t ZV_PROP_START_LOG[] = L"ZvPropertyアプリケーション開始.\r\n";
inline constexpr wchar_t ZV_PROP_END_LOG[] = L"ZvPropertyアプリケーション終了.\r\n";
// How long the program waits for either event.
inline constexpr DWORD ZV_PROP_CORE_WAIT_MS = 10000;

// The file-name part of an image path: the text after the last '\' or '/', the whole text when
// it has neither, empty when it ends in one.
std::wstring_view GetFileNamePart(std::wstring_view strPath);
// Whether the image path names the core program (file name compared without regard to case).
BOOL IsCoreImageName(std::wstring_view strPath);

class CZvPropertyApp : public CWinApp {
public:
    CZvPropertyApp();

    // Shows the sheet and hands the settings back; always FALSE, so that no message loop of the
    // framework follows and ExitInstance runs in every case.
    BOOL InitInstance() override;
    int ExitInstance() override;

    // TRUE to go on (with m_hWndCore the prepared core program, or null for the registry), FALSE
    // to end without a message.
    BOOL CheckCoreWindow();

    const CMDLINE_OPTION_SET& GetOptions() const noexcept { return m_opt; }
    CMDLINE_OPTION_SET& GetOptions() noexcept { return m_opt; }
    BOOL IsNoCore() const noexcept { return m_bNoCore; }
    HANDLE GetReadEndEvent() const noexcept { return m_hEvtReadEnd.get(); }

    int m_nStartPage = 0;
    // 1: no core program; the registry is where the settings come from and go to.
    int m_bNoCore = 0;
    CHandle m_hMutex;
    CHandle m_hEvtReadEnd;
    CHandle m_hEvtReadFail;
    CHandle m_hEvtWriteEnd;
    HWND m_hWndCore = nullptr;
    CMDLINE_OPTION_SET m_opt;
    PROPERTY_SET m_propSet;

private:
    // Runs the sheet from its construction to the final hand-back.
    void RunSheet();
};

// The running settings program's application object.
CZvPropertyApp* GetPropertyApp();
