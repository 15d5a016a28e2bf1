// What the end-to-end tests of the core program share: the program started with the log viewer
// writing every line to the test's own file, the log read back, and the window-move lines in it.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "Handle.h"
#include "CoreIds.h"
#include "WndFilter.h"
#include "ZvMessages.h"
#include "ZvNames.h"
#include "ZvTestKit.h"
#include "core/scroll/ScrollCalc.h"

namespace zvcore {

using ScrollCalc::DEVFLAG_DOWN;
using ScrollCalc::DEVFLAG_LEFT;
using ScrollCalc::DEVFLAG_RIGHT;
// Two Scroll width entries the tests move by.
inline constexpr int kKeybdHorzLine = ScrlWdthIndex(SCRLWDTH_KEYBD, SCRLWDTH_HORZ, SCRLWDTH_LINE);
inline constexpr int kKeybdVertLine = ScrlWdthIndex(SCRLWDTH_KEYBD, SCRLWDTH_VERT, SCRLWDTH_LINE);
// The mouse page entry: no test moves by it, so its width line marks requests taken.
inline constexpr int kMarkIdx = ScrlWdthIndex(SCRLWDTH_MOUSE, SCRLWDTH_VERT, SCRLWDTH_PAGE);
inline constexpr wchar_t kStartLine[] = L"ZvCoreアプリケーション開始.";
// The line of every key event the core program's keyboard hook reports.
inline constexpr wchar_t kHookedLine[] = L"CZvCoreDlg::OnKeybdHooked(). Keyboard Event Hooked!";

size_t CountOf(const std::wstring& str, const std::wstring& strPart);
RECT Shifted(const RECT& rc, int dx, int dy);
inline RECT WorkArea()
{
    RECT rc{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rc, 0);
    return rc;
}

struct MOVE_LINE {
    int nOldX, nNewX, nOldY, nNewY;
};

// The window-move lines of the log that name this title, in order.
std::vector<MOVE_LINE> MoveLines(const std::wstring& strLog, const std::wstring& strTitle);
// The move of each line along one axis.
std::vector<int> PassesX(const std::vector<MOVE_LINE>& lines);
std::vector<int> PassesY(const std::vector<MOVE_LINE>& lines);

// Processes of one program file, by id.
std::set<DWORD> ProcessesOf(const wchar_t* pszFile);

// Starts the core program with these arguments and waits for its hidden window: the window, or null
// (with the failure reported) when the program did not start or its window did not come.
HWND StartCoreProgram(zvkit::CProcess& core, const std::wstring& strArgs = L"");

// Every thread of the process suspended, as a program that has hung (the root README's Wine facts);
// the handles, for ResumeAll, which resumes them and lets them go.
std::vector<CHandle> SuspendAll(DWORD dwPid);
void ResumeAll(std::vector<CHandle>& threads);
// String uId of the core program's resources, read from the test layout's file; empty when none.
std::wstring CoreString(UINT uId);

// One run of the core program. The destructor closes it (and any box it left) and deletes the log.
class CCoreRun {
public:
    explicit CCoreRun(const wchar_t* pszTestName);
    ~CCoreRun();
    CCoreRun(const CCoreRun&) = delete;
    CCoreRun& operator=(const CCoreRun&) = delete;

    // Starts it with /LOGWINDOW at DEBUG level; returns once the viewer has written the start
    // line, so that no later line can be lost. Without bWaitForLog, as soon as the hidden window
    // exists: a box inside the start-up holds the viewer back until it is closed.
    bool Start(const std::wstring& strExtraArgs = L"", bool bWaitForLog = true);
    // Posts WM_CLOSE and waits for the end; the exit code, or -1 when it did not end in time.
    int Close(DWORD dwTimeoutMs = 15000);

    std::wstring Log() const;
    // The lines of the log that contain strPart, as UTF-8: what a failing test prints.
    std::string LogLinesWith(const std::wstring& strPart) const;
    bool PostDevice(WORD wFlags, int nIdx, LPARAM nCount = 1) const;
    // The horizontal or the vertical scroll-bar window of this run, waited for; null when none came.
    HWND BarWnd(bool bVert) const;
    // A wheel turn over a bar: WM_MOUSEWHEEL posted to it (Wine gives the wheel to the focus window,
    // which the bar is not), nDelta positive away from the user, wKeys the key flags (MK_SHIFT).
    bool PostWheel(bool bVert, int nDelta, WORD wKeys = 0) const;
    // Waits until whatever move was asked for before has ended: a request without a direction is
    // refused while a move runs and leaves its index in the log once it is taken.
    bool WaitForMoveEnd() const;
    // Posts a command to the hidden window; with bSettle, also waits for the move it started to end.
    bool Command(UINT uCmd, bool bSettle = false) const
    {
        return PostMessageW(m_hWnd, WM_COMMAND, uCmd, 0) && (!bSettle || WaitForMoveEnd());
    }
    // Posts a window activation as the hook does.
    bool PostActivate(HWND hWnd) const
    {
        return PostMessageW(m_hWnd, MSG_HOOK_CBT_ACTIVATE, reinterpret_cast<WPARAM>(hWnd), 0) != FALSE;
    }
    // Holds the keys and waits until the core program has seen every press and release, and then
    // until whatever move they asked for has ended.
    bool TypeAndSettle(std::initializer_list<WORD> vks) const;
    // Waits until strLine has appeared in the log nCount times.
    bool WaitForLine(const std::wstring& strLine, size_t nCount = 1, DWORD dwTimeoutMs = 10000) const;

    zvkit::CProcess& Process() noexcept { return m_core; }
    HWND Wnd() const noexcept { return m_hWnd; }
    const std::wstring& LogPath() const noexcept { return m_strLog; }

private:
    std::wstring m_strLog;
    zvkit::CProcess m_core;
    HWND m_hWnd = nullptr;
};

// The settings program (running when called: the test found its sheet) has ended. It ends only once
// the core has answered its last word, so the core has let go of its keys and settings by then.
inline bool WaitForSettingsProgramEnd(DWORD dwTimeoutMs = 15000)
{
    return zvkit::WaitUntil([] { return ProcessesOf(ZV_PROPERTY64_FILE).empty(); }, dwTimeoutMs, 50);
}

// Asks for the ends a user or the system can ask for while hBox runs its loop under one of the
// core's handlers: a close sent, the exit command posted, and a message behind both. Each must
// wait for the handler: the window and the box still stand afterwards.
inline ::testing::AssertionResult AskForEndsUnderBox(const CCoreRun& run, HWND hBox)
{
    DWORD_PTR dwResult = 0;
    if (!SendMessageTimeoutW(run.Wnd(), WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, &dwResult))
        return ::testing::AssertionFailure() << "the close was not answered";
    if (!IsWindow(run.Wnd()))
        return ::testing::AssertionFailure() << "the close destroyed the window inside the box's loop";
    if (!run.Command(ID_ZV_APP_EXIT))
        return ::testing::AssertionFailure() << "the exit could not be posted";
    if (!SendMessageTimeoutW(run.Wnd(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &dwResult))
        return ::testing::AssertionFailure() << "the window did not answer after the exit";
    if (!IsWindow(run.Wnd()) || !IsWindow(hBox))
        return ::testing::AssertionFailure() << "the exit ended the window or the box inside the box's loop";
    return ::testing::AssertionSuccess();
}

}  // namespace zvcore
