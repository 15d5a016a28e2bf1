// Framework: splitting and parsing command lines.
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <utility>
#include <vector>

#include "CommandLine.h"

namespace {
struct PARAM { std::wstring str; BOOL bFlag, bLast; bool operator==(const PARAM&) const = default; };

class CRecordingInfo : public CCommandLineInfo {
public:
    void ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast) override
    {
        m_params.push_back({pszParam, bFlag, bLast});
        CCommandLineInfo::ParseParam(pszParam, bFlag, bLast);
    }
    std::vector<PARAM> m_params;
};

using Tokens = std::vector<std::wstring>;

// The system's own splitter, which always takes the first token as the program name.
Tokens ArgvOf(const std::wstring& strLine)
{
    int nArgs = 0;
    LPWSTR* ppszArgs = CommandLineToArgvW(strLine.c_str(), &nArgs);
    Tokens tokens = ppszArgs ? Tokens(ppszArgs, ppszArgs + nArgs) : Tokens{};
    LocalFree(ppszArgs);
    return tokens;
}
}

TEST(FrameworkCommandLine, SplitsAsCommandLineToArgvW)
{
    EXPECT_EQ(SplitCommandLine(nullptr, FALSE), Tokens{});
    EXPECT_EQ(SplitCommandLine(L"   \t ", FALSE), Tokens{});
    EXPECT_EQ(SplitCommandLine(L"/LOGFILE=\"C:\\My Logs\\zv.log\" /LOGMODE=at", FALSE),
              (Tokens{L"/LOGFILE=C:\\My Logs\\zv.log", L"/LOGMODE=at"}));

    // The system's splitter always takes a program name first; without one the rest is the same.
    const wchar_t* lines[] = {
        L"  /A  -B=1\tc ", L"\"/PAGE=3\" \"two words\" \"\"", L"a\\\\b \\\"q\\\" c\\\\\"d e\"",
        L"\"a b\" c\\\\\"d\" e\\f \"g\\\"h\"", L"a\\\\\\\"b \"\" \"\"\"x\"\"\" y\"\"z",
        L"\"ab\"\"c\" \"\"\"\" last\\", L"\t\ttab\t  ",
    };
    for (const wchar_t* pszArgs : lines) {
        const std::wstring strLine = std::wstring(L"p ") + pszArgs;
        Tokens argv = ArgvOf(strLine);
        EXPECT_EQ(SplitCommandLine(strLine.c_str(), TRUE), argv) << testing::PrintToString(strLine);
        argv.erase(argv.begin());
        EXPECT_EQ(SplitCommandLine(pszArgs, FALSE), argv) << testing::PrintToString(strLine);
    }
    // The program name follows its own rule: no escapes, a quote only ends a quoted name.
    for (const wchar_t* pszLine : {L"\"C:\\Program Files\\Zv\\ZvCore64.exe\" /LOGWINDOW", L"ZvCore64.exe"})
        EXPECT_EQ(SplitCommandLine(pszLine, TRUE), ArgvOf(pszLine)) << testing::PrintToString(std::wstring(pszLine));
    EXPECT_EQ(SplitCommandLine(L"C:\\dir\\\"x.exe a", TRUE), (Tokens{L"C:\\dir\\\"x.exe", L"a"}));
}

TEST(FrameworkCommandLine, QuotesOnlyWhatNeedsIt)
{
    // Backslashes before the closing quote and before a quote are doubled, the quote escaped.
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"/LOGMODE=at", L"/LOGMODE=at"}, {L"C:\\dir\\a\\\\b", L"C:\\dir\\a\\\\b"}, {L"", L"\"\""},
        {L"two words", L"\"two words\""}, {L"a\tb", L"\"a\tb\""}, {L"C:\\My Logs\\", L"\"C:\\My Logs\\\\\""},
        {L"say \"hi\"", L"\"say \\\"hi\\\"\""}, {L"a\\\"b", L"\"a\\\\\\\"b\""}, {L"a\\b c", L"\"a\\b c\""},
    };
    for (const auto& [pszArg, pszQuoted] : cases) EXPECT_EQ(QuoteCommandLineArg(pszArg), pszQuoted);
}

TEST(FrameworkCommandLine, QuotedArgumentsSplitBackUnchanged)
{
    const Tokens args = {
        L"plain", L"", L"two words", L"\t", L"\"", L"\"\"\"", L"\\", L"\\\\", L"end\\", L"end\\\\ x",
        L"a\\\"b", L"a\\\\\"b c", L"\\\"lead", L"/LOGFILE=C:\\My Logs\\zv.log", L"line\nfeed", L"\x65E5\x672C \x8A9E",
    };
    std::wstring strLine;
    for (const std::wstring& strArg : args)
        strLine += QuoteCommandLineArg(strArg) + L" ";
    EXPECT_EQ(SplitCommandLine(strLine.c_str(), FALSE), args) << testing::PrintToString(strLine);

    // Behind a program name, as a child gets it; the system's own splitter agrees.
    const std::wstring strChildLine = L"\"C:\\Zv Dir\\x.exe\" " + strLine;
    Tokens expected = args;
    expected.insert(expected.begin(), L"C:\\Zv Dir\\x.exe");
    EXPECT_EQ(SplitCommandLine(strChildLine.c_str(), TRUE), expected);
    EXPECT_EQ(ArgvOf(strChildLine), expected);
}

TEST(FrameworkCommandLine, ParsesFlagsAndParameters)
{
    CRecordingInfo info;
    ParseCommandLine(L"/LOGFILE=\"C:\\My Logs\\zv.log\" -LOGLEVEL=DEBUG file.txt /UNKNOWN other", FALSE, info);
    const std::vector<PARAM> expected = {{L"LOGFILE=C:\\My Logs\\zv.log", TRUE, FALSE}, {L"LOGLEVEL=DEBUG", TRUE, FALSE},
                                         {L"file.txt", FALSE, FALSE}, {L"UNKNOWN", TRUE, FALSE}, {L"other", FALSE, TRUE}};
    EXPECT_EQ(info.m_params, expected);
    EXPECT_EQ(info.m_strFileName, L"file.txt");   // the base keeps the first non-flag token

    CRecordingInfo named;
    ParseCommandLine(L"\"C:\\Program Files\\Zv\\ZvProperty64.exe\" /PAGE=3 /CALLER=123456", TRUE, named);
    EXPECT_EQ(named.m_params, (std::vector<PARAM>{{L"PAGE=3", TRUE, FALSE}, {L"CALLER=123456", TRUE, TRUE}}));
    EXPECT_TRUE(named.m_strFileName.empty());

    CRecordingInfo none;
    ParseCommandLine(L"ZvCore64.exe", TRUE, none);
    ParseCommandLine(L"", FALSE, none);
    EXPECT_TRUE(none.m_params.empty());

    EXPECT_STREQ(FindParamValue(L"LOGLINE=500"), L"500");
    EXPECT_STREQ(FindParamValue(L"LOGFILE="), L"");
    EXPECT_STREQ(FindParamValue(L"A=b=c"), L"b=c");
    EXPECT_EQ(FindParamValue(L"LOGFILE"), nullptr);
    EXPECT_EQ(FindParamValue(nullptr), nullptr);
}
