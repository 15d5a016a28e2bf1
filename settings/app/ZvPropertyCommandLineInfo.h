// The settings program's command-line parser: the shared log options, the page shown first and
// the core program's window when the core program starts this program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string_view>

#include "CmdLineOption.h"
#include "CommandLine.h"

// The number of pages of the sheet: PAGE names one of 0 to ZV_PROP_PAGE_COUNT - 1.
inline constexpr int ZV_PROP_PAGE_COUNT = 8;

// A signed decimal as the options are read: leading blanks, an optional sign, then digits up to
// the first other character. A value beyond the 64-bit range stops at its limit rather than
// wrapping into another number. None when no digit follows the sign.
std::optional<int64_t> ReadCmdLineNumber(std::wstring_view strText);

// The page a PAGE value names, or none when it names no page (no number, negative, or past the
// last page): the start page is then left as it was.
std::optional<int> ReadStartPage(std::wstring_view strValue);

// The window a CALLER value names, or none for no number and for 0. The number is taken as the
// handle's value, negative ones sign-extended, as the core program writes it.
std::optional<HWND> ReadCallerWnd(std::wstring_view strValue);

class CZvPropertyCommandLineInfo : public CCommandLineInfo {
public:
    CZvPropertyCommandLineInfo(CMDLINE_OPTION_SET* pOpt, int* pnStartPage, HWND* phWndCore)
        : m_pOpt(pOpt), m_pnStartPage(pnStartPage), m_phWndCore(phWndCore)
    {
    }

    // Flag parameters name options, the shared ones first, then PAGE and CALLER (each a prefix,
    // its value after the first "="); every parameter then goes on to the base.
    void ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast) override;

private:
    CMDLINE_OPTION_SET* m_pOpt;
    int* m_pnStartPage;
    HWND* m_phWndCore;
};
