#include "ZvPropertyCommandLineInfo.h"

#include <cwctype>
#include <limits>

std::optional<int64_t> ReadCmdLineNumber(std::wstring_view strText)
{
    size_t i = 0;
    while (i < strText.size() && std::iswspace(strText[i]))
        ++i;
    bool bNegative = false;
    if (i < strText.size() && (strText[i] == L'+' || strText[i] == L'-')) {
        bNegative = strText[i] == L'-';
        ++i;
    }
    if (i >= strText.size() || strText[i] < L'0' || strText[i] > L'9')
        return std::nullopt;
    // Accumulated as a negative number, whose range reaches one further than the positive one.
    constexpr int64_t nMin = std::numeric_limits<int64_t>::min();
    int64_t n = 0;
    bool bSaturated = false;
    for (; i < strText.size() && strText[i] >= L'0' && strText[i] <= L'9'; ++i) {
        const int nDigit = strText[i] - L'0';
        if (bSaturated)
            continue;
        if (n < (nMin + nDigit) / 10) {
            bSaturated = true;
            continue;
        }
        n = n * 10 - nDigit;
    }
    if (bNegative)
        return bSaturated ? nMin : n;
    if (bSaturated || n == nMin)
        return std::numeric_limits<int64_t>::max();
    return -n;
}

std::optional<int> ReadStartPage(std::wstring_view strValue)
{
    const std::optional<int64_t> n = ReadCmdLineNumber(strValue);
    if (!n || *n < 0 || *n >= ZV_PROP_PAGE_COUNT)
        return std::nullopt;
    return static_cast<int>(*n);
}

std::optional<HWND> ReadCallerWnd(std::wstring_view strValue)
{
    const std::optional<int64_t> n = ReadCmdLineNumber(strValue);
    if (!n || *n == 0)
        return std::nullopt;
    return reinterpret_cast<HWND>(static_cast<intptr_t>(*n));
}

void CZvPropertyCommandLineInfo::ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast)
{
    if (bFlag && m_pOpt && pszParam && ParseCmdLineOptionParam(*m_pOpt, pszParam, CLO_ALL) == CLO_NONE) {
        const std::wstring_view strParam(pszParam);
        const size_t nEq = strParam.find(L'=');
        // Both take effect only with a value after the "=".
        const std::wstring_view strValue =
            nEq == std::wstring_view::npos ? std::wstring_view() : strParam.substr(nEq + 1);
        if (strParam.starts_with(CMDLINE_PAGE)) {
            if (m_pnStartPage && !strValue.empty()) {
                if (const std::optional<int> nPage = ReadStartPage(strValue))
                    *m_pnStartPage = *nPage;
            }
        } else if (strParam.starts_with(CMDLINE_CALLER)) {
            if (m_phWndCore && !strValue.empty()) {
                if (const std::optional<HWND> hWnd = ReadCallerWnd(strValue))
                    *m_phWndCore = *hWnd;
            }
        }
    }
    CCommandLineInfo::ParseParam(pszParam, bFlag, bLast);
}
