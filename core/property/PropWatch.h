// The settings exchange as arithmetic: the settings program's command line, the page index it
// reports, and whether it still counts as running. The message handlers only carry the answers out.
#pragma once
#include <windows.h>

#include <string>

namespace PropWatch {

// The settings program's pages, in sheet order; the index it reports is one of them.
inline constexpr int PAGE_COUNT = 8;

// The arguments of a start from the tray menu: the log options as they are, then the page to show
// and the caller's window as the low 32 bits of its handle, a signed decimal number (the system
// shares window handles between 32- and 64-bit processes by those bits).
std::wstring BuildArgs(const std::wstring& strLogOptions, int nPage, HWND hWndCaller);

// A page index from another program: the index, or -1 when it names no page.
int PageIndexOf(WPARAM wParam) noexcept;

// What the dead check sees of the settings program at one tick.
struct PROGRAM_STATE {
    bool bMutex;         // its single-instance mutex exists
    bool bProcessAlive;  // the process this core started runs (false when it started none)
    bool bSheetKnown;    // it has announced its sheet
    bool bSheetAlive;    // that sheet is still a window
    bool bEnding;        // its final apply has come: the sheet has closed before it
};

// It has gone: neither its mutex nor the process started for it is left, or its sheet has been
// destroyed while no final apply had come.
bool IsGone(const PROGRAM_STATE& st) noexcept;

}  // namespace PropWatch
