// The gateway program's application object: the single instance, the command line, the log and
// the hidden main dialog. The one instance is defined beside wWinMain (ZvHook32to64.cpp).
#pragma once

#include <windows.h>

#include "CmdLineOption.h"
#include "WinApp.h"

inline constexpr wchar_t ZV_GTWY_ALREADY_RUNNING_SUFFIX[] = L" は既に実行中です.";
inline constexpr wchar_t ZV_GTWY_START_LOG[] = L"ZvHook32to64アプリケーション開始.\r\n";
inline constexpr wchar_t ZV_GTWY_END_LOG[] = L"ZvHook32to64アプリケーション終了.\r\n";
// The settings file: a bare name, which the profile functions look for in the Windows folder.
inline constexpr wchar_t ZV_GTWY_INI_FILE[] = L"ZvHook32to64.INI";

class CZvHook32to64App : public CWinApp {
public:
    CZvHook32to64App() = default;

    BOOL InitInstance() override;
    int ExitInstance() override;

    CMDLINE_OPTION_SET& GetOptions() noexcept { return m_options; }

private:
    CHandle m_hMutex;
    // The number the core program passes with CALLER; kept, not acted on.
    int m_nCaller = 0;
    CMDLINE_OPTION_SET m_options;
};

// The running gateway's application object.
CZvHook32to64App* GetGatewayApp();
