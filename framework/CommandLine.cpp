#include "CommandLine.h"

#include <cwchar>

void CCommandLineInfo::ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast)
{
    if (!bFlag && m_strFileName.empty())
        m_strFileName = pszParam;
}

namespace {
bool IsBlank(wchar_t ch)
{
    return ch == L' ' || ch == L'\t';
}

// The program name: up to the closing quote when it starts with one, else up to the
// first blank; backslashes and quotes inside are not interpreted.
const wchar_t* ReadProgramName(const wchar_t* pch, std::wstring& strName)
{
    if (*pch == L'"') {
        ++pch;
        while (*pch && *pch != L'"')
            strName += *pch++;
        if (*pch == L'"')
            ++pch;
    } else {
        while (*pch && !IsBlank(*pch))
            strName += *pch++;
    }
    return pch;
}
}

std::vector<std::wstring> SplitCommandLine(const wchar_t* pszCmdLine, BOOL bHasProgramName)
{
    std::vector<std::wstring> tokens;
    const wchar_t* pch = pszCmdLine ? pszCmdLine : L"";
    if (bHasProgramName) {
        std::wstring strName;
        pch = ReadProgramName(pch, strName);
        tokens.push_back(strName);
    }

    // nQuotes counts the quotes of the current run as CommandLineToArgvW does:
    // 1 inside a quoted part, 2 just after its closing quote; a third quote in a row
    // is a literal quote and leaves the quoted part.
    std::wstring strToken;
    bool bInToken = false;
    int nQuotes = 0;
    while (*pch) {
        if (IsBlank(*pch) && nQuotes == 0) {
            if (bInToken)
                tokens.push_back(strToken);
            strToken.clear();
            bInToken = false;
            ++pch;
            continue;
        }
        bInToken = true;
        if (*pch == L'\\') {
            size_t nBackslashes = 0;
            while (*pch == L'\\') {
                ++nBackslashes;
                ++pch;
            }
            if (*pch != L'"') {
                strToken.append(nBackslashes, L'\\');
                continue;
            }
            strToken.append(nBackslashes / 2, L'\\');
            if (nBackslashes % 2 == 1) {
                strToken += L'"';
                ++pch;
                continue;
            }
            // An even run: the quote that follows is a real quote, handled below.
        }
        if (*pch == L'"') {
            ++nQuotes;
            ++pch;
            while (*pch == L'"') {
                if (++nQuotes == 3) {
                    strToken += L'"';
                    nQuotes = 0;
                }
                ++pch;
            }
            if (nQuotes == 2)
                nQuotes = 0;
            continue;
        }
        strToken += *pch++;
    }
    if (bInToken)
        tokens.push_back(strToken);
    return tokens;
}

std::wstring QuoteCommandLineArg(const std::wstring& strArg)
{
    if (!strArg.empty() && strArg.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return strArg;
    std::wstring strOut = L"\"";
    size_t nBackslashes = 0;
    for (wchar_t ch : strArg) {
        if (ch == L'\\') {
            ++nBackslashes;
            continue;
        }
        strOut.append(ch == L'"' ? nBackslashes * 2 + 1 : nBackslashes, L'\\');
        nBackslashes = 0;
        strOut += ch;
    }
    strOut.append(nBackslashes * 2, L'\\');
    strOut += L'"';
    return strOut;
}

void ParseCommandLine(const wchar_t* pszCmdLine, BOOL bHasProgramName, CCommandLineInfo& info)
{
    std::vector<std::wstring> tokens = SplitCommandLine(pszCmdLine, bHasProgramName);
    size_t nFirst = bHasProgramName ? 1 : 0;
    for (size_t i = nFirst; i < tokens.size(); ++i) {
        const wchar_t* pszParam = tokens[i].c_str();
        BOOL bFlag = pszParam[0] == L'/' || pszParam[0] == L'-';
        info.ParseParam(bFlag ? pszParam + 1 : pszParam, bFlag, i + 1 == tokens.size());
    }
}

const wchar_t* FindParamValue(const wchar_t* pszParam)
{
    const wchar_t* pchEqual = pszParam ? wcschr(pszParam, L'=') : nullptr;
    return pchEqual ? pchEqual + 1 : nullptr;
}
