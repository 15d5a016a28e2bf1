// CommandLine: splitting a command line into tokens and handing them to a parser object.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The parser a program derives from: ParseParam gets every token in order.
class CCommandLineInfo {
public:
    virtual ~CCommandLineInfo() = default;

    // pszParam: the token, without its leading '/' or '-' when bFlag is TRUE
    // ("/LOGFILE=a.log" arrives as "LOGFILE=a.log"); bLast: it is the last token.
    // The base keeps the first token that is not a flag in m_strFileName.
    virtual void ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast);

    std::wstring m_strFileName;
};

// Splits like CommandLineToArgvW: blanks and tabs separate tokens; quotes group
// and are removed; 2n backslashes before a quote give n backslashes, 2n+1 give n
// and a literal quote; other backslashes are literal. With bHasProgramName the
// first token is the program name (quoted or up to the first blank, taken as is)
// and comes back as element 0; without it (wWinMain's lpCmdLine, a line handed over
// by another program) every token is an argument.
std::vector<std::wstring> SplitCommandLine(const wchar_t* pszCmdLine, BOOL bHasProgramName);

// One argument written so that SplitCommandLine (and CommandLineToArgvW) gives it back unchanged:
// as is when it is not empty and holds no blank, tab, line feed, vertical tab or quote; else
// quoted, with each quote escaped and the backslashes before a quote or the closing quote doubled.
// Not for the program name, which is read up to its closing quote without escapes.
std::wstring QuoteCommandLineArg(const std::wstring& strArg);

// Calls info.ParseParam for every argument of the line (the program name skipped).
void ParseCommandLine(const wchar_t* pszCmdLine, BOOL bHasProgramName, CCommandLineInfo& info);

// The value of a flag parameter: the text after its first '=' ("LOGLINE=500" -> "500"),
// or null when it has none.
const wchar_t* FindParamValue(const wchar_t* pszParam);
