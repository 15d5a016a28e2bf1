#include "PropWatch.h"

#include "CmdLineOption.h"
#include "Strings.h"

namespace PropWatch {

std::wstring BuildArgs(const std::wstring& strLogOptions, int nPage, HWND hWndCaller)
{
    const auto nCaller = static_cast<LONG>(static_cast<ULONG>(reinterpret_cast<ULONG_PTR>(hWndCaller)));
    return strLogOptions + FormatString(L" /%s=%d", CMDLINE_PAGE, nPage) +
           FormatString(L" /%s=%d", CMDLINE_CALLER, static_cast<int>(nCaller));
}

int PageIndexOf(WPARAM wParam) noexcept
{
    return wParam < static_cast<WPARAM>(PAGE_COUNT) ? static_cast<int>(wParam) : -1;
}

bool IsGone(const PROGRAM_STATE& st) noexcept
{
    if (!st.bMutex && !st.bProcessAlive)
        return true;
    // The final apply comes after the sheet has closed: only before it is a lost sheet a lost program.
    return st.bSheetKnown && !st.bSheetAlive && !st.bEnding;
}

}  // namespace PropWatch
