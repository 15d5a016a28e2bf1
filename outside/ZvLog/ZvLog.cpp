// ZvLog64 / ZvLog: the log viewer. Programs find it by its alive event and handle block, attach
// to its window, and hand it one line block per line; it writes each line to the log file named
// on its command line (LOGFILE, LOGMODE, LOGLINE) and lists the newest lines in its window.
//
// Started by a program it runs hidden, and then ends on its own a little after the last attached
// program has detached or gone (or when nobody attaches at all), so that no hidden viewer is left
// behind. Started visible by hand, it stays until closed.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "CmdLineOption.h"
#include "CommandLine.h"
#include "Handle.h"
#include "LogFileWriter.h"
#include "LogManager.h"
#include "Sender.h"
#include "SharedMemLog.h"
#include "SharedMemLogHwnd.h"
#include "Strings.h"
#include "WinApp.h"
#include "Window.h"
#include "ZvMessages.h"

namespace {

constexpr wchar_t kWndClass[] = L"ZvLogOutputWnd";
// One viewer at a time; a second one waits for the first to finish its end.
constexpr wchar_t kInstanceMutexName[] = L"Zuvora! Log Output Window Instance Mutex";
constexpr DWORD kInstanceWait = 10000;
constexpr UINT_PTR kWatchTimerId = 1;
constexpr UINT kWatchPeriod = 500;
// Hidden: how long after the last program left the viewer ends, and how long it waits for a first one.
constexpr ULONGLONG kLingerMs = 2000;
constexpr ULONGLONG kFirstAttachMs = 60000;
constexpr int kHandleBlockTries = 5;

// The options the viewer takes. Every token of the whole command line is looked at, the program
// path in front included (ExecProcess puts it there quoted; a hand start may leave it unquoted and
// split at its blanks): tokens that are not options count only as the rest of an unquoted log file
// name with blanks, which is joined again, so the path's pieces before any option are passed over.
CMDLINE_OPTION_SET ParseViewerOptions(LPCWSTR pszCmdLine)
{
    CMDLINE_OPTION_SET opt;
    const std::vector<std::wstring> tokens = SplitCommandLine(pszCmdLine, FALSE);
    std::wstring* pstrLogFile = nullptr;
    for (const std::wstring& strToken : tokens) {
        const bool bFlag = !strToken.empty() && (strToken[0] == L'/' || strToken[0] == L'-');
        if (!bFlag) {
            if (pstrLogFile)
                *pstrLogFile += L" " + strToken;
            continue;
        }
        const CMDLINE_OPTION option = ParseCmdLineOptionParam(
            opt, strToken.c_str() + 1, CLO_LOGFILE | CLO_LOGMODE | CLO_LOGWINDOW | CLO_LOGLEVEL | CLO_LOGLINE);
        pstrLogFile = option == CLO_LOGFILE && opt.pszLogFile && strToken.find(L'=') != std::wstring::npos
                          ? &*opt.pszLogFile
                          : nullptr;
    }
    CompleteCmdLineOptions(opt);
    return opt;
}

class CLogViewWnd : public CWnd {
public:
    CLogViewWnd(CLogFileWriter& writer, int nListLimit, BOOL bHidden)
        : m_writer(writer), m_nListLimit(nListLimit > 0 ? nListLimit : CMDLINE_LOGLINE_DEFAULT), m_bHidden(bHidden)
    {
        MapMessage(WM_CREATE, &CLogViewWnd::OnCreate);
        MapMessage(WM_SIZE, &CLogViewWnd::OnSize);
        MapMessage(WM_TIMER, &CLogViewWnd::OnTimer);
        MapMessage(WM_DESTROY, &CLogViewWnd::OnDestroy);
        MapMessage(MSG_LOG_ATTACH, &CLogViewWnd::OnLogAttach);
        MapMessage(MSG_LOG_OUT, &CLogViewWnd::OnLogOut);
        MapMessage(MSG_LOG_END, &CLogViewWnd::OnLogEnd);
    }

    BOOL Make()
    {
        if (!RegisterWindowClass(kWndClass, CS_HREDRAW | CS_VREDRAW, LoadIconW(nullptr, IDI_APPLICATION),
                                 LoadCursorW(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)))
            return FALSE;
        return CreateEx(0, kWndClass, LOG_VIEWER_WND_TITLE, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 720,
                        400, nullptr, nullptr);
    }

    void SetAliveEvent(HANDLE hEvtAlive) { m_hEvtAlive = hEvtAlive; }

    // A note of the viewer itself: shown in the list, never written to the file.
    void Note(const std::wstring& strText) { AddToList(L"ZvLog: " + strText); }

private:
    LRESULT OnCreate(WPARAM, LPARAM)
    {
        m_hList = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT |
                                      LBS_NOSEL,
                                  0, 0, 0, 0, m_hWnd, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(m_hList, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        m_ullStart = GetTickCount64();
        SetTimer(m_hWnd, kWatchTimerId, kWatchPeriod, nullptr);
        return 0;
    }

    LRESULT OnSize(WPARAM, LPARAM lParam)
    {
        if (m_hList)
            MoveWindow(m_hList, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    }

    LRESULT OnLogAttach(WPARAM wParam, LPARAM) noexcept
    {
        const HWND hWndOwner = reinterpret_cast<HWND>(wParam);
        if (!IsWindow(hWndOwner))
            return 0;
        m_setOwner.insert(hWndOwner);
        m_bEverAttached = TRUE;
        CancelLinger();
        PostMessageW(hWndOwner, MSG_LOG_WND_RSP, 0, 0);
        return 0;
    }

    LRESULT OnLogOut(WPARAM wParam, LPARAM lParam) noexcept
    {
        const int nSender = static_cast<int>(wParam);
        const int nSeq = static_cast<int>(lParam);
        CSharedMemLog block(SENDER_LOG);
        if (!block.Open(MakeLogBlockName(nSender, nSeq).c_str(), FALSE, FILE_MAP_ALL_ACCESS)) {
            // Gone already (taken, or dropped by its program): nothing to do. Present but
            // broken: say so, and leave it to its program to drop.
            if (block.IsMapped())
                Note(FormatString(L"invalid line block (Sender = %u, Seq = %u)", static_cast<unsigned>(nSender),
                                  static_cast<unsigned>(nSeq)));
            return 0;
        }
        // A block posted again while its first message waited here is taken once.
        if (block.GetDone())
            return 0;
        const std::string strLine = block.GetText();
        // In the file before the program learns that the line is taken: a program that has
        // ended has every line of its run in the file.
        if (m_writer.IsOpen() && !m_writer.WriteLine(strLine))
            Note(FormatString(L"cannot write %s (error %lu)", m_writer.GetPath().c_str(), m_writer.GetLastErrorCode()));
        block.SetDone(1);
        std::wstring strShown = WideFromMultiByte(strLine.c_str(), CP_UTF8);
        while (!strShown.empty() && (strShown.back() == L'\n' || strShown.back() == L'\r'))
            strShown.pop_back();
        AddToList(strShown);
        return 0;
    }

    LRESULT OnLogEnd(WPARAM wParam, LPARAM) noexcept
    {
        m_setOwner.erase(reinterpret_cast<HWND>(wParam));
        return 0;
    }

    LRESULT OnTimer(WPARAM wParam, LPARAM) noexcept
    {
        if (wParam != kWatchTimerId)
            return 0;
        // A program that ended without detaching no longer counts.
        for (auto it = m_setOwner.begin(); it != m_setOwner.end();)
            it = IsWindow(*it) ? std::next(it) : m_setOwner.erase(it);
        if (!m_bHidden || IsWindowVisible(m_hWnd))
            return 0;
        const ULONGLONG ullNow = GetTickCount64();
        if (!m_bEverAttached) {
            if (ullNow - m_ullStart >= kFirstAttachMs)
                DestroyWindow(m_hWnd);
            return 0;
        }
        if (!m_setOwner.empty()) {
            CancelLinger();
            return 0;
        }
        if (!m_ullLingerSince) {
            // No longer announced: a program starting now brings its own viewer, which waits
            // for this one to end.
            m_ullLingerSince = ullNow;
            if (m_hEvtAlive)
                ResetEvent(m_hEvtAlive);
        } else if (ullNow - m_ullLingerSince >= kLingerMs) {
            DestroyWindow(m_hWnd);
        }
        return 0;
    }

    LRESULT OnDestroy(WPARAM, LPARAM) noexcept
    {
        KillTimer(m_hWnd, kWatchTimerId);
        if (m_hEvtAlive)
            ResetEvent(m_hEvtAlive);
        // Programs still attached stop logging instead of posting into the void.
        for (HWND hWndOwner : m_setOwner)
            PostMessageW(hWndOwner, MSG_LOG_END, reinterpret_cast<WPARAM>(m_hWnd), 0);
        m_setOwner.clear();
        return Default();
    }

    void CancelLinger()
    {
        if (m_ullLingerSince && m_hEvtAlive)
            SetEvent(m_hEvtAlive);
        m_ullLingerSince = 0;
    }

    void AddToList(const std::wstring& strText)
    {
        if (!m_hList)
            return;
        SendMessageW(m_hList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(strText.c_str()));
        LRESULT nCount = SendMessageW(m_hList, LB_GETCOUNT, 0, 0);
        while (nCount > m_nListLimit) {
            SendMessageW(m_hList, LB_DELETESTRING, 0, 0);
            --nCount;
        }
        if (IsWindowVisible(m_hWnd))
            SendMessageW(m_hList, LB_SETTOPINDEX, static_cast<WPARAM>(nCount > 0 ? nCount - 1 : 0), 0);
    }

    CLogFileWriter& m_writer;
    int m_nListLimit;
    BOOL m_bHidden;
    HWND m_hList = nullptr;
    HANDLE m_hEvtAlive = nullptr;
    std::set<HWND> m_setOwner;
    BOOL m_bEverAttached = FALSE;
    ULONGLONG m_ullStart = 0;
    ULONGLONG m_ullLingerSince = 0;
};

class CZvLogApp : public CWinApp {
public:
    BOOL InitInstance() override
    {
        m_opt = ParseViewerOptions(GetCommandLineW());

        m_hInstanceMutex.reset(CreateMutexW(nullptr, FALSE, kInstanceMutexName));
        if (!m_hInstanceMutex)
            return FALSE;
        const DWORD dwRet = WaitForSingleObject(m_hInstanceMutex.get(), kInstanceWait);
        if (dwRet != WAIT_OBJECT_0 && dwRet != WAIT_ABANDONED)
            return FALSE;   // another viewer serves
        m_bInstanceHeld = TRUE;

        const BOOL bHidden = m_nCmdShow == SW_HIDE;
        m_pWnd = new CLogViewWnd(m_writer, m_opt.nLogLine, bHidden);
        if (!m_pWnd->Make())
            return FALSE;
        m_pMainWnd = m_pWnd;
        if (m_opt.pszLogFile) {
            if (!m_writer.Open(*m_opt.pszLogFile, m_opt.pszLogMode.value_or(L"wt"), m_opt.nLogLine))
                m_pWnd->Note(FormatString(L"cannot open %s (error %lu)", m_opt.pszLogFile->c_str(),
                                          m_writer.GetLastErrorCode()));
        }

        // The handle first, the alive event last: a program that sees the event finds the handle.
        m_hMtxHandle.reset(CreateMutexW(nullptr, FALSE, LOG_WND_HANDLE_MUTEX_NAME));
        if (!m_hMtxHandle)
            return FALSE;
        m_pHandleBlock = new CSharedMemLogHwnd(SENDER_LOG);
        BOOL bBlock = FALSE;
        for (int i = 0; i < kHandleBlockTries && !bBlock; ++i) {
            bBlock = m_pHandleBlock->Create(LOG_HWND_BLOCK_NAME, PAGE_READWRITE, nullptr);
            if (!bBlock) {
                // A failed object is not retried; a program may still hold the last viewer's block.
                delete m_pHandleBlock;
                m_pHandleBlock = new CSharedMemLogHwnd(SENDER_LOG);
            }
        }
        if (!bBlock)
            return FALSE;
        const DWORD dwHandle = WaitForSingleObject(m_hMtxHandle.get(), CLogManager::LOG_WND_HANDLE_MUTEX_WAIT);
        if (dwHandle != WAIT_OBJECT_0 && dwHandle != WAIT_ABANDONED)
            return FALSE;
        m_pHandleBlock->SetHwnd(m_pWnd->m_hWnd);
        ReleaseMutex(m_hMtxHandle.get());

        m_hEvtAlive.reset(CreateEventW(nullptr, TRUE, FALSE, LOG_WND_ALIVE_EVENT_NAME));
        if (!m_hEvtAlive)
            return FALSE;
        m_pWnd->SetAliveEvent(m_hEvtAlive.get());
        SetEvent(m_hEvtAlive.get());

        ShowWindow(m_pWnd->m_hWnd, bHidden ? SW_HIDE : m_nCmdShow);
        return TRUE;
    }

    int ExitInstance() override
    {
        if (m_hEvtAlive)
            ResetEvent(m_hEvtAlive.get());
        m_hEvtAlive.reset();
        delete m_pHandleBlock;
        m_hMtxHandle.reset();
        m_writer.Close();
        if (m_pWnd && m_pWnd->m_hWnd)
            DestroyWindow(m_pWnd->m_hWnd);
        delete m_pWnd;
        m_pWnd = nullptr;
        m_pMainWnd = nullptr;
        // Last: a viewer waiting to take over finds everything of this one gone.
        if (m_hInstanceMutex && m_bInstanceHeld)
            ReleaseMutex(m_hInstanceMutex.get());
        m_hInstanceMutex.reset();
        return CWinApp::ExitInstance();
    }

private:
    CMDLINE_OPTION_SET m_opt;
    CLogFileWriter m_writer;
    CLogViewWnd* m_pWnd = nullptr;
    CSharedMemLogHwnd* m_pHandleBlock = nullptr;
    CHandle m_hInstanceMutex;
    BOOL m_bInstanceHeld = FALSE;
    CHandle m_hMtxHandle;
    CHandle m_hEvtAlive;
};

CZvLogApp theApp;

} // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int nCmdShow)
{
    return RunApplication(theApp, hInstance, lpCmdLine, nCmdShow);
}
