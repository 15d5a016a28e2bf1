// The window filter: whether one top-level window is an ordinary window that scrolls, and if not,
// why. JudgeWndFacts decides on a record of the window's facts; GatherWndFacts reads that record
// from a real window, and FilterWnd does both.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <unordered_map>

enum WND_FILTER_RESULT {
    WNDFLT_ORDINARY = 0,    // scrolls
    WNDFLT_INVISIBLE = 2,   // invisible (owner not minimised) or empty rectangle
    WNDFLT_INPUT = 3,       // input-method window, or the desktop gadget host
    WNDFLT_TASKBAR = 4,     // the taskbar or its Start button
    WNDFLT_OWN = 5,         // a window of this system
    WNDFLT_UNTITLED = 6,    // untitled; scrolls unless only titled windows do
    WNDFLT_DESKTOP = 7,     // language bar or Program Manager
    WNDFLT_NOT_WINDOW = 8,
};

// Titles and class names the filter and the enumerator know (the log viewer's title is
// LOG_VIEWER_WND_TITLE of LogManager.h).
inline constexpr wchar_t ZV_HIDDEN_MAIN_WND_TITLE[] = L"$$$ Zuvora! Hidden Main Window %%%";
inline constexpr wchar_t ZV_SCRLBAR_H_WND_TITLE[] = L"$$$ Zuvora! Scroll Bar Horizontal %%%";
inline constexpr wchar_t ZV_SCRLBAR_V_WND_TITLE[] = L"$$$ Zuvora! Scroll Bar Vertical %%%";
inline constexpr wchar_t ZV_PROPERTY_WND_TITLE[] = L"Zuvora! のプロパティ";
inline constexpr wchar_t ZV_HELP_WND_TITLE[] = L"Zuvora! ヘルプ";
inline constexpr wchar_t WNDFLT_PROGMAN_TITLE[] = L"Program Manager";
inline constexpr wchar_t WNDFLT_LANGBAR_TITLE_PART[] = L"TF_FloatingLangBar_WndTitle";
inline constexpr wchar_t WNDFLT_TRAY_CLASS[] = L"Shell_TrayWnd";
inline constexpr wchar_t WNDFLT_IME_CLASS_PART[] = L"msime";
inline constexpr wchar_t WNDFLT_START_CLASS[] = L"Button";
inline constexpr wchar_t WNDFLT_START_TITLE[] = L"スタート";
inline constexpr wchar_t WNDFLT_GADGET_IMAGE[] = L"sidebar.exe";

// Class names are read up to this many characters.
inline constexpr int WNDFLT_CLASS_MAX = 255;
// GetImageName's maximum (the 512-unit buffer less its terminator).
inline constexpr int WNDFLT_IMAGE_MAX = 511;

// What the filter looks at in one window.
struct WND_FACTS {
    BOOL bIsWindow = FALSE;
    BOOL bVisible = FALSE;
    // The owner is a window whose placement reads SW_SHOWMINIMIZED or SW_MINIMIZE.
    BOOL bOwnerMinimized = FALSE;
    // The window rectangle could be read and is empty.
    BOOL bEmptyRect = FALSE;
    std::wstring strClass;
    std::wstring strTitle;
    BOOL bHasOwner = FALSE;  // GW_OWNER gives a window
    std::wstring strOwnerClass;
    BOOL bImageName = FALSE;  // GetImageName succeeded
    std::wstring strImageName;
};

// The filter's decision (WND_FILTER_RESULT) on the facts; the first rule that applies wins.
int JudgeWndFacts(const WND_FACTS& facts, int nOSClass);

// Reads the facts of a real window. A window that is gone gives bIsWindow FALSE and nothing else;
// the image name is asked for only where the decision can depend on it.
WND_FACTS GatherWndFacts(HWND hWnd, int nOSClass);

// JudgeWndFacts(GatherWndFacts(hWnd, nOSClass), nOSClass).
int FilterWnd(HWND hWnd, int nOSClass);

// The image names of the programs met in one count of the windows, by process id (none: the
// program could not be named). A program's windows share its name, so it is asked once.
using IMAGE_NAME_MEMO = std::unordered_map<DWORD, std::optional<std::wstring>>;
// The image name of the window's program (dwPid), from the memo or asked and kept there; null when
// it cannot be named.
const std::wstring* ImageNameOf(IMAGE_NAME_MEMO& memo, HWND hWnd, DWORD dwPid);

// One window as a count of every top-level window sees it.
struct WND_LOOK {
    WND_FACTS facts;
    DWORD dwTid = 0;
    DWORD dwPid = 0;
    LONG lStyle = 0;     // read whenever facts.bIsWindow
    BOOL bRect = FALSE;  // rc was read
    RECT rc{};
};

// GatherWndFacts for a count of every top-level window (EnumWindows gives only those): it reads
// only the facts the decision turns on, so JudgeWndFacts decides as on the whole record. Under Wine
// each read of another program's window is a call to the wineserver that the programs being moved
// need too; an invisible window costs one or two reads instead of eight, and the style and the
// rectangle read on the way serve the scroll range.
WND_LOOK LookAtTopLevelWnd(HWND hWnd, int nOSClass, IMAGE_NAME_MEMO& images);

// The whole title and the class name of a window (empty when there is none).
std::wstring GetWndTitle(HWND hWnd);
std::wstring GetWndClass(HWND hWnd);
// The executable's file name of a window; FALSE (and empty) when it cannot be read.
BOOL GetWndImageName(HWND hWnd, std::wstring& strName);
