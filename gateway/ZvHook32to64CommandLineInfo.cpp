#include "ZvHook32to64CommandLineInfo.h"

#include <cwchar>
#include <string_view>

void CZvHook32to64CommandLineInfo::ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast)
{
    if (bFlag && m_pOpt && pszParam &&
        ParseCmdLineOptionParam(*m_pOpt, pszParam, CLO_ALL) == CLO_NONE && m_pnCaller) {
        // The caller's number is kept for the log only; without a value it stays as it was.
        const std::wstring_view strParam(pszParam);
        const size_t nEq = strParam.find(L'=');
        if (strParam.starts_with(CMDLINE_CALLER) && nEq != std::wstring_view::npos && nEq + 1 < strParam.size())
            *m_pnCaller = static_cast<int>(std::wcstol(pszParam + nEq + 1, nullptr, 10));
    }
    CCommandLineInfo::ParseParam(pszParam, bFlag, bLast);
}
