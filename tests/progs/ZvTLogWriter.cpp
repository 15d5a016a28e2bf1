// ZvTLogWriter.exe: a program that logs the way the system's programs do, for the end-to-end tests
// of the log manager and the log viewer. A hidden window, a timer manager and the log manager
// with the viewer protocol (detect, attach, answer, start limit, end); it logs a fixed script and
// ends with exit code 0 whether the viewer took the lines, never came, or died on the way.
//
//   log options: /LOGFILE[=name] /LOGMODE=mode /LOGWINDOW /LOGLEVEL=name /LOGLINE=n
//   /SENDER=n     sender identifier of its lines (default 1, "Core")
//   /LINES=n      script lines after the viewer answered (default 6)
//   /INTERVAL=ms  time between two script lines (default: one timer tick)
//
// Script: "ZvTLogWriter 開始." (INFO) before the viewer answers; then per line i one line below
// the threshold DEBUG (level ALL, never written) and one of
//   i % 3 == 0  DEBUG  "デバッグ行 <i>"
//   i % 3 == 1  INFO   "情報行 <i>: 日本語テキスト"
//   i % 3 == 2  ERROR  "エラー行 <i>"
// and at last "ZvTLogWriter 終了." (INFO); every text ends with CR LF. Exit code 3 when the
// script did not finish within a minute.
#include <windows.h>

#include <memory>
#include <string>

#include "CmdLineOption.h"
#include "CommandLine.h"
#include "LogManager.h"
#include "LogViewerLink.h"
#include "Sender.h"
#include "TmrMngr.h"
#include "WinApp.h"
#include "Window.h"
#include "ZvMessages.h"

namespace {

constexpr UINT kTick = 50;
constexpr UINT kLogStartLimit = 10000;
constexpr UINT MSG_SCRIPT_STEP = WM_APP + 0x200;
constexpr UINT MSG_SCRIPT_DEADLINE = WM_APP + 0x201;
constexpr UINT kDeadline = 60000;

struct SCRIPT_OPTIONS {
    int nSender = SENDER_CORE;
    int nLines = 6;
    UINT uInterval = kTick;
};

class CWriterCommandLineInfo : public CCommandLineInfo {
public:
    CWriterCommandLineInfo(CMDLINE_OPTION_SET& opt, SCRIPT_OPTIONS& script) : m_opt(opt), m_script(script) {}
    void ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast) override
    {
        if (bFlag && ParseCmdLineOptionParam(m_opt, pszParam) == CLO_NONE) {
            const std::wstring str = pszParam;
            const wchar_t* pszValue = FindParamValue(pszParam);
            if (pszValue && str.rfind(L"SENDER=", 0) == 0)
                m_script.nSender = _wtoi(pszValue);
            else if (pszValue && str.rfind(L"LINES=", 0) == 0)
                m_script.nLines = _wtoi(pszValue);
            else if (pszValue && str.rfind(L"INTERVAL=", 0) == 0)
                m_script.uInterval = static_cast<UINT>(_wtoi(pszValue)) < kTick ? kTick : static_cast<UINT>(_wtoi(pszValue));
        }
        CCommandLineInfo::ParseParam(pszParam, bFlag, bLast);
    }

private:
    CMDLINE_OPTION_SET& m_opt;
    SCRIPT_OPTIONS& m_script;
};

class CWriterWnd : public CWnd {
public:
    CWriterWnd(CMDLINE_OPTION_SET& opt, const SCRIPT_OPTIONS& script)
        : m_opt(opt),
          m_script(script),
          m_logLink(script.nSender)
    {
        MapMessage(WM_TIMER, &CWriterWnd::OnTimer);
        MapMessage(WM_DESTROY, &CWriterWnd::OnDestroy);
        MapMessage(MSG_LOG_WND_DTCT, &CWriterWnd::OnLogWndDetect);
        MapMessage(MSG_LOG_WND_RSP, &CWriterWnd::OnLogWndResponse);
        MapMessage(MSG_LOG_END, &CWriterWnd::OnLogEnd);
        MapMessage(MSG_TMR_LOG_START, &CWriterWnd::OnTmrLogStart);
        MapMessage(MSG_SCRIPT_STEP, &CWriterWnd::OnScriptStep);
        MapMessage(MSG_SCRIPT_DEADLINE, &CWriterWnd::OnDeadline);
    }

    BOOL Start()
    {
        if (!CreateHidden(L"ZvTLogWriterWnd", L"ZvTLogWriter Hidden Window"))
            return FALSE;
        m_pTmrMngr = std::make_unique<CTmrMngr>(m_hWnd, kTick);
        SetTimer(m_hWnd, TMR_MNGR_TIMER_ID, kTick, nullptr);
        m_nDeadlineItem = m_pTmrMngr->AddTmr({m_hWnd, MSG_SCRIPT_DEADLINE, kDeadline, 0, 0});
        m_pTmrMngr->StartTmr(m_nDeadlineItem);
        m_logLink.Connect(m_hWnd, m_pTmrMngr.get(), kLogStartLimit);
        if (!GetLogManager())
            StartScript();  // no logging at all: the script runs for nothing
        return TRUE;
    }

    int m_nExitCode = 3;

private:
    void StartScript()
    {
        if (m_nScriptItem)
            return;
        m_nScriptItem = m_pTmrMngr->AddTmr({m_hWnd, MSG_SCRIPT_STEP, m_script.uInterval, 0, 0});
        m_pTmrMngr->StartTmr(m_nScriptItem);
    }

    LRESULT OnTimer(WPARAM wParam, LPARAM) noexcept
    {
        if (wParam == TMR_MNGR_TIMER_ID && m_pTmrMngr)
            m_pTmrMngr->Tick();
        return 0;
    }
    LRESULT OnLogWndDetect(WPARAM, LPARAM) noexcept
    {
        m_logLink.Attach(m_opt);
        return 0;
    }
    LRESULT OnLogWndResponse(WPARAM wParam, LPARAM) noexcept
    {
        m_logLink.OnAnswer(wParam);
        StartScript();
        return 0;
    }
    LRESULT OnTmrLogStart(WPARAM, LPARAM) noexcept
    {
        m_logLink.OnStartLimit();
        StartScript();
        return 0;
    }
    LRESULT OnLogEnd(WPARAM, LPARAM) noexcept
    {
        CLogViewerLink::OnEnd();
        return 0;
    }
    LRESULT OnScriptStep(WPARAM, LPARAM) noexcept
    {
        if (m_nStep < m_script.nLines) {
            const int i = m_nStep++;
            OutputLog(LOG_LEVEL_ALL, m_script.nSender, L"全レベル行 %d\r\n", i);
            switch (i % 3) {
            case 0: OutputLog(LOG_LEVEL_DEBUG, m_script.nSender, L"デバッグ行 %d\r\n", i); break;
            case 1: OutputLog(LOG_LEVEL_INFO, m_script.nSender, L"情報行 %d: %s\r\n", i, L"日本語テキスト"); break;
            default: OutputLog(LOG_LEVEL_ERROR, m_script.nSender, L"エラー行 %d\r\n", i); break;
            }
            return 0;
        }
        OutputLog(LOG_LEVEL_INFO, m_script.nSender, L"ZvTLogWriter 終了.\r\n");
        EndLog();
        m_nExitCode = 0;
        DestroyWindow(m_hWnd);
        return 0;
    }
    LRESULT OnDeadline(WPARAM, LPARAM) noexcept
    {
        EndLog();
        DestroyWindow(m_hWnd);
        return 0;
    }
    LRESULT OnDestroy(WPARAM, LPARAM) noexcept
    {
        KillTimer(m_hWnd, TMR_MNGR_TIMER_ID);
        m_logLink.Stop();
        m_pTmrMngr.reset();
        return Default();
    }

    CMDLINE_OPTION_SET& m_opt;
    SCRIPT_OPTIONS m_script;
    std::unique_ptr<CTmrMngr> m_pTmrMngr;
    CLogViewerLink m_logLink;
    int m_nScriptItem = 0;
    int m_nDeadlineItem = 0;
    int m_nStep = 0;
};

class CWriterApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        CWriterCommandLineInfo info(m_opt, m_script);
        ParseCommandLine(info);
        CompleteCmdLineOptions(m_opt);
        CreateLogManager(m_opt, m_script.nSender);
        OutputLog(LOG_LEVEL_INFO, m_script.nSender, L"ZvTLogWriter 開始.\r\n");
        m_pWnd = std::make_unique<CWriterWnd>(m_opt, m_script);
        if (!m_pWnd->Start())
            return FALSE;
        m_pMainWnd = m_pWnd.get();
        return TRUE;
    }
    int ExitInstance() override
    {
        EndLog();
        const int nExitCode = m_pWnd ? m_pWnd->m_nExitCode : 3;
        m_pWnd.reset();
        CWinApp::ExitInstance();
        return nExitCode;
    }

private:
    CMDLINE_OPTION_SET m_opt;
    SCRIPT_OPTIONS m_script;
    std::unique_ptr<CWriterWnd> m_pWnd;
};

CWriterApp theApp;

} // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int nCmdShow)
{
    return RunApplication(theApp, hInstance, lpCmdLine, nCmdShow);
}
