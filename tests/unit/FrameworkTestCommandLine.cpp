// Framework: splitting and parsing command lines.
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "CommandLine.h"

namespace {
struct PARAM {
    std::wstring str;
    BOOL bFlag;
    BOOL bLast;
    bool operator==(const PARAM&) const = default;
};

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
}

TEST(FrameworkCommandLine, SplitsWithoutProgramName)
{
    EXPECT_EQ(SplitCommandLine(L"", FALSE), Tokens{});
    EXPECT_EQ(SplitCommandLine(nullptr, FALSE), Tokens{});
    EXPECT_EQ(SplitCommandLine(L"   \t ", FALSE), Tokens{});
    EXPECT_EQ(SplitCommandLine(L"/LOGWINDOW", FALSE), Tokens{L"/LOGWINDOW"});
    EXPECT_EQ(SplitCommandLine(L"  /A  -B=1\tc ", FALSE), (Tokens{L"/A", L"-B=1", L"c"}));
    EXPECT_EQ(SplitCommandLine(L"/LOGFILE=\"C:\\My Logs\\zv.log\" /LOGMODE=at", FALSE),
              (Tokens{L"/LOGFILE=C:\\My Logs\\zv.log", L"/LOGMODE=at"}));
    EXPECT_EQ(SplitCommandLine(L"\"/PAGE=3\" \"two words\" \"\"", FALSE),
              (Tokens{L"/PAGE=3", L"two words", L""}));
    EXPECT_EQ(SplitCommandLine(L"a\\\\b \\\"q\\\" c\\\\\"d e\"", FALSE),
              (Tokens{L"a\\\\b", L"\"q\"", L"c\\d e"}));
}

TEST(FrameworkCommandLine, SplitsWithProgramName)
{
    EXPECT_EQ(SplitCommandLine(L"\"C:\\Program Files\\Zv\\ZvCore64.exe\" /LOGWINDOW", TRUE),
              (Tokens{L"C:\\Program Files\\Zv\\ZvCore64.exe", L"/LOGWINDOW"}));
    EXPECT_EQ(SplitCommandLine(L"ZvCore64.exe", TRUE), Tokens{L"ZvCore64.exe"});
    EXPECT_EQ(SplitCommandLine(L"C:\\dir\\\"x.exe a", TRUE), (Tokens{L"C:\\dir\\\"x.exe", L"a"}));
}

TEST(FrameworkCommandLine, SplitsAsCommandLineToArgvW)
{
    const wchar_t* lines[] = {
        L"prog.exe a b c",
        L"\"C:\\Program Files\\p.exe\" /X=\"a b\" -Y",
        L"p \"a b\" c\\\\\"d\" e\\f \"g\\\"h\"",
        L"p a\\\\\\\"b \"\" \"\"\"x\"\"\" y\"\"z",
        L"p \"ab\"\"c\" \"\"\"\" last\\",
        L"p\t\ttab\t  ",
    };
    for (const wchar_t* pszLine : lines) {
        int nArgs = 0;
        LPWSTR* ppszArgs = CommandLineToArgvW(pszLine, &nArgs);
        ASSERT_NE(ppszArgs, nullptr);
        Tokens expected(ppszArgs, ppszArgs + nArgs);
        LocalFree(ppszArgs);
        EXPECT_EQ(SplitCommandLine(pszLine, TRUE), expected) << "line: " << testing::PrintToString(std::wstring(pszLine));
    }
}

TEST(FrameworkCommandLine, QuotesOnlyWhatNeedsIt)
{
    EXPECT_EQ(QuoteCommandLineArg(L"/LOGMODE=at"), L"/LOGMODE=at");
    EXPECT_EQ(QuoteCommandLineArg(L"C:\\dir\\a\\\\b"), L"C:\\dir\\a\\\\b");  // backslashes alone stay
    EXPECT_EQ(QuoteCommandLineArg(L""), L"\"\"");
    EXPECT_EQ(QuoteCommandLineArg(L"two words"), L"\"two words\"");
    EXPECT_EQ(QuoteCommandLineArg(L"a\tb"), L"\"a\tb\"");
    // Backslashes before the closing quote and before a quote are doubled, the quote escaped.
    EXPECT_EQ(QuoteCommandLineArg(L"C:\\My Logs\\"), L"\"C:\\My Logs\\\\\"");
    EXPECT_EQ(QuoteCommandLineArg(L"say \"hi\""), L"\"say \\\"hi\\\"\"");
    EXPECT_EQ(QuoteCommandLineArg(L"a\\\"b"), L"\"a\\\\\\\"b\"");
    EXPECT_EQ(QuoteCommandLineArg(L"a\\b c"), L"\"a\\b c\"");
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
    int nArgs = 0;
    LPWSTR* ppszArgs = CommandLineToArgvW(strChildLine.c_str(), &nArgs);
    ASSERT_NE(ppszArgs, nullptr);
    EXPECT_EQ(Tokens(ppszArgs, ppszArgs + nArgs), expected);
    LocalFree(ppszArgs);
}

TEST(FrameworkCommandLine, ParsesFlagsAndParameters)
{
    CRecordingInfo info;
    ParseCommandLine(L"/LOGFILE=\"C:\\My Logs\\zv.log\" -LOGLEVEL=DEBUG file.txt /UNKNOWN other", FALSE, info);
    std::vector<PARAM> expected = {
        {L"LOGFILE=C:\\My Logs\\zv.log", TRUE, FALSE},
        {L"LOGLEVEL=DEBUG", TRUE, FALSE},
        {L"file.txt", FALSE, FALSE},
        {L"UNKNOWN", TRUE, FALSE},
        {L"other", FALSE, TRUE},
    };
    EXPECT_EQ(info.m_params, expected);
    EXPECT_EQ(info.m_strFileName, L"file.txt");   // the base keeps the first non-flag token
}

TEST(FrameworkCommandLine, SkipsProgramNameWhenPresent)
{
    CRecordingInfo info;
    ParseCommandLine(L"\"C:\\Program Files\\Zv\\ZvProperty64.exe\" /PAGE=3 /CALLER=123456", TRUE, info);
    std::vector<PARAM> expected = {{L"PAGE=3", TRUE, FALSE}, {L"CALLER=123456", TRUE, TRUE}};
    EXPECT_EQ(info.m_params, expected);
    EXPECT_TRUE(info.m_strFileName.empty());

    CRecordingInfo none;
    ParseCommandLine(L"ZvCore64.exe", TRUE, none);
    ParseCommandLine(L"", FALSE, none);
    EXPECT_TRUE(none.m_params.empty());
}

TEST(FrameworkCommandLine, FindsParamValue)
{
    EXPECT_STREQ(FindParamValue(L"LOGLINE=500"), L"500");
    EXPECT_STREQ(FindParamValue(L"LOGFILE="), L"");
    EXPECT_STREQ(FindParamValue(L"A=b=c"), L"b=c");
    EXPECT_EQ(FindParamValue(L"LOGFILE"), nullptr);
    EXPECT_EQ(FindParamValue(nullptr), nullptr);
}
