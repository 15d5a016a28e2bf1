// The end-to-end test kit: start the programs of the test layout under Wine, make windows with
// ZvTestWnds.exe, send real input, read and guard the settings in the registry, and find, read and
// close message boxes. Plain Win32 and std; every wait is bounded and pumps the caller's messages.
//
// Grouped by topic: layout and waiting, processes, windows, input, registry, message boxes, and
// CTestWnds, the client of ZvTestWnds.exe.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>
#include <array>
#include <cstdint>
#include <iosfwd>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>
#include "CommandLine.h"
#include "Handle.h"
#include "ZvTestWndsProtocol.h"
#include "../../ZvCommon/ZvNames.h"

namespace zvkit {

// ---- Layout and waiting -------------------------------------------------------------------

// The test layout: the folder of the running test program, where every program lies.
std::wstring LayoutDir();
// Full path of a file of the test layout ("ZvCore64.exe" -> "Z:\...\bin\ZvCore64.exe").
std::wstring LayoutPath(const std::wstring& strFile);

// The whole file as bytes (empty when it cannot be opened); shares with a writer that has it open.
std::string ReadFileBytes(const std::wstring& strPath);
std::string ToUtf8(const std::wstring& str);
std::wstring FromUtf8(const std::string& str);
// A path in the temporary folder, strName + "_" + this process's id + strExt, with whatever an
// earlier run left there deleted.
std::wstring NewTempFilePath(const std::wstring& strName, const std::wstring& strExt);
// One command-line argument quoted so that CommandLineToArgvW gives it back unchanged.
inline std::wstring QuoteArg(const std::wstring& strArg)
{
    return QuoteCommandLineArg(strArg);
}

// Dispatches every message waiting for this thread (low-level hooks and reply windows need it).
void PumpMessages();
// Polls pred (first at once, then every nPollMs) while pumping messages; false on time-out.
bool WaitUntil(const std::function<bool()>& pred, DWORD dwTimeoutMs, DWORD dwPollMs = 10);
// Pumps messages for a fixed time. For letting input settle, never as the only wait of a test.
void PumpFor(DWORD dwMs);

// ---- Processes ----------------------------------------------------------------------------

// A program started by the test. The process and every process it starts run in a job object, so
// that destroying this object (or Stop) leaves no stray: their windows get WM_CLOSE first, and
// whatever still runs after the grace time is terminated.
class CProcess {
public:
    CProcess() = default;
    ~CProcess();
    CProcess(CProcess&& other) noexcept;
    CProcess& operator=(CProcess&& other) noexcept;
    CProcess(const CProcess&) = delete;
    CProcess& operator=(const CProcess&) = delete;

    // strProgram: a file name of the test layout or a full path; strArgs: the text after it.
    // The working folder is the test layout. False (and LastError() set) when it cannot start.
    bool Start(const std::wstring& strProgram, const std::wstring& strArgs = L"");
    bool IsStarted() const { return static_cast<bool>(m_hProcess); }
    bool IsRunning() const;
    DWORD Pid() const { return m_dwPid; }
    HANDLE Handle() const { return m_hProcess.get(); }
    DWORD LastError() const { return m_dwError; }

    // Waits for the program to end (pumping messages); its exit code, or nothing on time-out.
    std::optional<DWORD> WaitForExit(DWORD dwTimeoutMs);
    // The exit code once it has ended.
    std::optional<DWORD> ExitCode() const;
    // Ends the program and its children: WM_CLOSE to their top-level windows, up to dwGraceMs for
    // them to end, then termination. Safe to call more than once.
    void Stop(DWORD dwGraceMs = 2000);
    // Ids of the processes of its job that still run (the program and what it started).
    std::vector<DWORD> JobPids() const;
    // True when no process of its job runs any more.
    bool AllEnded() const;

private:
    void Release();
    CHandle m_hProcess;
    CHandle m_hJob;
    DWORD m_dwPid = 0;
    DWORD m_dwError = 0;
};

// The command line another process was started with, as its own process block holds it: what a
// program that starts another one really passed. Empty when the process cannot be read.
std::wstring ProcessCommandLine(DWORD dwPid);

// ---- Windows ------------------------------------------------------------------------------

std::wstring WindowTitle(HWND hWnd);
std::wstring WindowClass(HWND hWnd);
RECT WindowRect(HWND hWnd);  // screen coordinates; all zero for a bad handle
DWORD WindowPid(HWND hWnd);
// Top-level windows in Z order: of one process (dwPid != 0) or of all, visible ones only or all.
std::vector<HWND> TopLevelWindows(DWORD dwPid = 0, bool bVisibleOnly = false);
// Starts the program and waits up to dwTimeoutMs until fnFind finds its window (or it ends).
// Now and then Wine's loader gives up on a new process within milliseconds, before the program
// runs: a start that ended within a quarter of a second without its window is tried again (up to
// three times), and said so on stderr. The window, or null.
HWND StartForWindow(CProcess& proc, const std::wstring& strProgram, const std::wstring& strArgs,
                    const std::function<HWND()>& fnFind, DWORD dwTimeoutMs);
// The first top-level window with exactly this title (and class, and process, when given).
HWND FindTopLevel(const std::wstring& strTitle, const wchar_t* pszClass = nullptr, DWORD dwPid = 0);
// The same, waiting up to dwTimeoutMs; null on time-out.
HWND WaitForWindow(const std::wstring& strTitle, DWORD dwTimeoutMs = 5000, const wchar_t* pszClass = nullptr,
                   DWORD dwPid = 0);
RECT RectOf(int x, int y, int cx, int cy);  // from a position and a size
// For EXPECT_TRUE: equal rectangles, or a message with both.
::testing::AssertionResult SameRect(const RECT& expected, const RECT& actual);
// Moves a window's top-left corner without sizing, reordering or activating it, as a scroll does.
bool MoveWindowTo(HWND hWnd, int x, int y);
// Waits until the window's rectangle is rc; true when it is.
bool WaitForRect(HWND hWnd, const RECT& rc, DWORD dwTimeoutMs = 3000);
// Makes hWnd the foreground window and waits for it. Tries SetForegroundWindow, then the same
// after a synthetic Alt tap (which lifts the foreground lock), then attaching to the foreground
// thread. For windows of ZvTestWnds prefer CTestWnds::Foreground, which asks inside the process.
bool ForceForeground(HWND hWnd, DWORD dwTimeoutMs = 2000);

// ---- Input --------------------------------------------------------------------------------

// Every call goes through SendInput. Keys are virtual-key codes; extended keys (arrows, Insert,
// Delete, Home, End, Page Up and Down, right Ctrl and Alt, Windows keys) get their flag.
bool KeyDown(WORD vk);
bool KeyUp(WORD vk);
bool TapKey(WORD vk);
// Presses the keys in order, holds them about dwHoldMs, releases them in reverse order. A press
// and release in one batch is not seen as a held combination, hence the hold.
bool HoldKeys(std::initializer_list<WORD> vks, DWORD dwHoldMs = 150);
bool HoldKeys(const std::vector<WORD>& vks, DWORD dwHoldMs = 150);

enum class MouseButton { Left, Right, Middle };
// Moves the pointer to an absolute screen point and waits until GetCursorPos shows it there.
bool MouseMoveTo(int x, int y);
// Puts the display's own pointer there too (xdotool) before MouseMoveTo: under Wine the cursor
// position otherwise falls back to where the X pointer stands at the next X event.
bool PlacePointer(int x, int y);
// xdotool on the display with these arguments (started, not waited for: Wine gives no process of a
// host program to wait on).
bool RunXdotool(const std::wstring& strArgs);
// With ZV_SHOTS_DIR set (a folder of the host system), the window as the display shows it saved
// there as strName.png (ImageMagick's import, cropped to the window); without it nothing. How the
// README's pictures are made: ZV_SHOTS_DIR=$PWD/docs/settings scripts/test.sh -R Property.
void SaveShot(HWND hWnd, const std::wstring& strName);
// The left button pressed or released on the display at (x, y), for a drag: the display then
// holds the pointer for the window pressed, as for a user's drag, and every motion (PlacePointer)
// reaches that window. A button pressed by SendInput alone leaves the display's motion to the
// window under the pointer, Wine puts the cursor back where the display's pointer stands, and a
// captured window misses moves. Not waited for: a test waits for the press to arrive before it
// moves the pointer on.
bool DisplayButton(bool bDown, int x, int y);
// Alt held down or let go on the display and through SendInput alike: Wine takes the modifier
// keys' state from the display at each pointer motion there.
bool DisplayAlt(bool bDown);
bool MouseDown(MouseButton button);
bool MouseUp(MouseButton button);
bool MouseClick(MouseButton button);
// Wheel turn in notches (positive: away from the user / to the right).
bool MouseWheel(int nNotches, bool bHorizontal = false);

// ---- Registry -----------------------------------------------------------------------------

// HKCU keys of the settings.
inline constexpr const wchar_t* kMakerKey = ZV_MAKER_KEY;
inline constexpr const wchar_t* kProfileKey = ZV_PROFILE_KEY;

// Values under HKCU\Software\V.Z.Q.\VZQZv\<section>.
std::optional<DWORD> RegGetDword(const std::wstring& strSection, const std::wstring& strName);
std::optional<std::wstring> RegGetString(const std::wstring& strSection, const std::wstring& strName);
bool RegSetDword(const std::wstring& strSection, const std::wstring& strName, DWORD dwValue);
bool RegSetString(const std::wstring& strSection, const std::wstring& strName, const std::wstring& strValue);
bool RegDeleteSettingValue(const std::wstring& strSection, const std::wstring& strName);
bool RegKeyExists(const std::wstring& strSubKey);  // a key under HKCU
// Deletes HKCU\<strSubKey> with everything under it; true also when it was absent.
bool RegDeleteSettings(const std::wstring& strSubKey = kMakerKey);

// Saves the tree HKCU\<strSubKey> (or notes that it is absent) and puts it back as it was, with
// every key and value, when destroyed.
class CRegistryGuard {
public:
    explicit CRegistryGuard(const std::wstring& strSubKey = kMakerKey);
    ~CRegistryGuard();
    CRegistryGuard(const CRegistryGuard&) = delete;
    CRegistryGuard& operator=(const CRegistryGuard&) = delete;
    bool Restore();  // what the destructor does; may be called earlier

    struct VALUE {
        std::wstring strName;
        DWORD dwType;
        std::vector<BYTE> data;
    };
    struct KEY {
        std::wstring strPath;  // relative to the guarded key; empty for the key itself
        std::vector<VALUE> values;
    };

private:
    std::wstring m_strSubKey;
    bool m_bExisted = false;
    std::vector<KEY> m_keys;  // parents before their children
};

// ---- Message boxes ------------------------------------------------------------------------

// A message box: a dialog of class "#32770" with buttons, texts and an icon and nothing else.
bool IsMessageBox(HWND hWnd);
// Visible message boxes: of one process (dwPid != 0) and/or with this caption.
std::vector<HWND> FindMessageBoxes(DWORD dwPid = 0, const std::wstring* pCaption = nullptr);
HWND WaitForMessageBox(DWORD dwPid, DWORD dwTimeoutMs = 5000);
HWND WaitForMessageBoxByCaption(const std::wstring& strCaption, DWORD dwTimeoutMs = 5000);
// The message of a box: the text of its static control that has text.
std::wstring MessageBoxText(HWND hBox);
// Ids of the box's buttons (IDOK, IDCANCEL, IDYES, ...).
std::vector<int> MessageBoxButtons(HWND hBox);
// Presses the button with this id as a click would; false when the box has no such button.
bool PressMessageBoxButton(HWND hBox, int nId);
// Ends a box by its Cancel, No, Abort, Ignore or OK button (the first it has), else WM_CLOSE.
bool CloseMessageBox(HWND hBox);
// Closes every message box of the process (or of every process for 0), waiting until they are
// gone; returns how many there were. Stray boxes would otherwise hold a test until its time-out.
int CloseStrayMessageBoxes(DWORD dwPid = 0, DWORD dwTimeoutMs = 3000);

// ---- ZvTestWnds.exe -----------------------------------------------------------------------

// One window for CTestWnds::Start: "/WND[:opts]=x,y,w,h[,Title]" (see ZvTestWnds.cpp).
std::wstring WndArg(int x, int y, int cx, int cy, const std::wstring& strTitle, const std::wstring& strOpts = L"");
std::wstring UntitledWndArg(int x, int y, int cx, int cy, const std::wstring& strOpts = L"");
// The title of a WndArg text; empty for an untitled window.
std::wstring WndArgTitle(const std::wstring& strWndArg);

// ZvTestWnds.exe and its control window. Start waits until every window exists; the program ends
// with this object (or with the test process, which it watches).
class CTestWnds {
public:
    CTestWnds() = default;
    ~CTestWnds();  // asks for the orderly end; the process object then makes sure of it
    CTestWnds(const CTestWnds&) = delete;
    CTestWnds& operator=(const CTestWnds&) = delete;
    // args: ZvTestWnds options, e.g. {WndArg(...), L"/KEYHOOK"}; /PARENT is added.
    bool Start(const std::vector<std::wstring>& args, DWORD dwTimeoutMs = 5000);
    // Start for windows that all have titles, then the window of each, in the order of args: null
    // where a title found no window, and everywhere when the program did not start.
    template <size_t N> std::array<HWND, N> StartTitled(const std::wstring (&args)[N], DWORD dwTimeoutMs = 5000)
    {
        std::array<HWND, N> hWnds{};
        if (Start(std::vector<std::wstring>(args, args + N), dwTimeoutMs)) {
            for (size_t i = 0; i < N; ++i)
                hWnds[i] = Window(WndArgTitle(args[i]));
        }
        return hWnds;
    }
    CProcess& Process() { return m_proc; }
    DWORD Pid() const { return m_proc.Pid(); }
    HWND Control() const { return m_hCtrl; }

    // The live test windows in creation order; the one with this exact title.
    std::vector<HWND> Windows();
    HWND Window(const std::wstring& strTitle);

    // Commands run inside ZvTestWnds (see ZvTestWndsProtocol.h).
    bool GetPlacement(HWND hWnd, WINDOWPLACEMENT& wp);
    bool SetPlacement(HWND hWnd, const WINDOWPLACEMENT& wp);
    bool Show(HWND hWnd, int nCmdShow);  // SW_MINIMIZE, SW_RESTORE, SW_MAXIMIZE, ...
    bool Close(HWND hWnd);
    HWND Create(const std::wstring& strWndArg);            // a WndArg(...) text
    bool Foreground(HWND hWnd, DWORD dwTimeoutMs = 2000);  // and waits until it is
    // The input events its windows (and its /KEYHOOK hook) received, oldest first.
    std::vector<ZV_TW_INPUT> Input(bool bClear = false);
    // Its thread stops looking at its messages for dwMs, as a hung program's does.
    bool Hang(DWORD dwMs);
    // Asks for the orderly end and waits for it; the exit code, or nothing on time-out.
    std::optional<DWORD> Quit(DWORD dwTimeoutMs = 5000);

private:
    LRESULT Send(ZvTwCmd cmd, const void* p, size_t cb, std::vector<BYTE>* pReply = nullptr);
    CProcess m_proc;
    HWND m_hCtrl = nullptr;
};

}  // namespace zvkit

// Lets GoogleTest print rectangles (found by argument-dependent lookup in the global namespace).
void PrintTo(const RECT& rc, std::ostream* os);
