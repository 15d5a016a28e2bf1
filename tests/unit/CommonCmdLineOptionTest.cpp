// Shared foundation: the option record, each option's rules and the option text for children.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "CmdLineOption.h"
#include "CommandLine.h"

namespace {

CMDLINE_OPTION_SET Parsed(std::initializer_list<const wchar_t*> params, UINT uAccept = CLO_ALL)
{
    CMDLINE_OPTION_SET opt;
    for (const wchar_t* psz : params)
        ParseCmdLineOptionParam(opt, psz, uAccept);
    return opt;
}

std::wstring OptionString(const CMDLINE_OPTION_SET& opt)
{
    std::wstring str = L"stale text";
    EXPECT_TRUE(GetLogOptionString(opt, str));
    return str;
}

// What a child makes of the option text: split as its command line, each flag through the parser.
CMDLINE_OPTION_SET ParseBack(const std::wstring& strLine)
{
    CMDLINE_OPTION_SET opt;
    for (const std::wstring& strToken : SplitCommandLine(strLine.c_str(), FALSE)) {
        EXPECT_EQ(strToken[0], L'/') << strToken;
        EXPECT_NE(ParseCmdLineOptionParam(opt, strToken.c_str() + 1), CLO_NONE) << strToken;
    }
    return opt;
}

} // namespace

TEST(CommonCmdLineOption, RecordStartsWithTheDefaults)
{
    const CMDLINE_OPTION_SET opt;
    EXPECT_FALSE(opt.pszLogFile);
    EXPECT_FALSE(opt.pszLogMode);
    EXPECT_EQ(opt.bLogWindow, 0);
    EXPECT_EQ(opt.nLogLevel, 2);
    EXPECT_EQ(opt.nLogLine, 1000);
    EXPECT_EQ(opt.bShowSystemAnalyze, 0);
    EXPECT_EQ(opt.bAllowMultiMonitor, 0);
    EXPECT_EQ(opt.bAllowExecOnNewerOS, 0);
}

TEST(CommonCmdLineOption, LogFileTakesItsValueOrTheDatedDefault)
{
    EXPECT_EQ(Parsed({L"LOGFILE=C:\\My Logs\\zv.log"}).pszLogFile, L"C:\\My Logs\\zv.log");
    // Only the first "=" separates.
    EXPECT_EQ(Parsed({L"LOGFILE=a=b.log"}).pszLogFile, L"a=b.log");

    SYSTEMTIME st{};
    st.wYear = 2024;
    st.wMonth = 3;
    st.wDay = 7;
    EXPECT_EQ(FormatDefaultLogFileName(st), L"ZvLog20240307.log");

    // Taken around the parse so that a run across midnight still passes.
    const std::wstring strBefore = GetDefaultLogFileName();
    const CMDLINE_OPTION_SET optNoValue = Parsed({L"LOGFILE"});
    const CMDLINE_OPTION_SET optEmpty = Parsed({L"LOGFILE="});
    const std::wstring strAfter = GetDefaultLogFileName();
    ASSERT_TRUE(optNoValue.pszLogFile);
    ASSERT_TRUE(optEmpty.pszLogFile);
    EXPECT_TRUE(*optNoValue.pszLogFile == strBefore || *optNoValue.pszLogFile == strAfter);
    EXPECT_TRUE(*optEmpty.pszLogFile == strBefore || *optEmpty.pszLogFile == strAfter);
    EXPECT_EQ(strBefore.size(), std::wstring(L"ZvLog20240307.log").size());
    EXPECT_EQ(strBefore.rfind(L"ZvLog", 0), 0u);

    SYSTEMTIME now{};
    GetLocalTime(&now);
    EXPECT_EQ(FormatDefaultLogFileName(now), GetDefaultLogFileName());
    // The mode stays unset: the start-up completes it.
    EXPECT_FALSE(optNoValue.pszLogMode);
}

TEST(CommonCmdLineOption, LogModeTakesItsValueOrWt)
{
    EXPECT_EQ(Parsed({L"LOGMODE=at"}).pszLogMode, L"at");
    EXPECT_EQ(Parsed({L"LOGMODE"}).pszLogMode, L"wt");
    EXPECT_EQ(Parsed({L"LOGMODE="}).pszLogMode, L"wt");
    EXPECT_FALSE(Parsed({L"LOGMODE=at"}).pszLogFile);

    CMDLINE_OPTION_SET opt = Parsed({L"LOGFILE=x.log"});
    CompleteCmdLineOptions(opt);
    EXPECT_EQ(opt.pszLogMode, L"wt");
    opt = Parsed({L"LOGFILE=x.log", L"LOGMODE=at"});
    CompleteCmdLineOptions(opt);
    EXPECT_EQ(opt.pszLogMode, L"at");
    opt = Parsed({});
    CompleteCmdLineOptions(opt);
    EXPECT_FALSE(opt.pszLogMode);
}

TEST(CommonCmdLineOption, FlagsAreSetOnlyByTheBareName)
{
    EXPECT_EQ(Parsed({L"LOGWINDOW"}).bLogWindow, 1);
    EXPECT_EQ(Parsed({L"SHOWSYSTEMANALYZE"}).bShowSystemAnalyze, 1);
    EXPECT_EQ(Parsed({L"ALLOWMULTIMONITOR"}).bAllowMultiMonitor, 1);
    EXPECT_EQ(Parsed({L"ALLOWEXECONNEWEROS"}).bAllowExecOnNewerOS, 1);

    // "=0" would otherwise switch a flag on; other case and longer names are other options.
    const CMDLINE_OPTION_SET optDefault;
    EXPECT_EQ(Parsed({L"LOGWINDOW=0", L"logwindow", L"LogWindow", L"LOGWINDOWS", L"SHOWSYSTEMANALYZE=1"}),
              optDefault);
}

TEST(CommonCmdLineOption, LogLevelNamesAndUnknownValues)
{
    EXPECT_EQ(Parsed({L"LOGLEVEL=ALL"}).nLogLevel, 0);
    EXPECT_EQ(Parsed({L"LOGLEVEL=DEBUG"}).nLogLevel, 1);
    EXPECT_EQ(Parsed({L"LOGLEVEL=INFO"}).nLogLevel, 2);
    EXPECT_EQ(Parsed({L"LOGLEVEL=ERROR"}).nLogLevel, 3);
    // Unknown (and lower-case) values give 2, also over a level set before.
    EXPECT_EQ(Parsed({L"LOGLEVEL=ALL", L"LOGLEVEL=debug"}).nLogLevel, 2);
    EXPECT_EQ(Parsed({L"LOGLEVEL=ERROR", L"LOGLEVEL=3"}).nLogLevel, 2);
    // A name anywhere in the value counts, DEBUG first, ALL last.
    EXPECT_EQ(Parsed({L"LOGLEVEL=MYERRORS"}).nLogLevel, 3);
    EXPECT_EQ(Parsed({L"LOGLEVEL=ALLDEBUG"}).nLogLevel, 1);
    EXPECT_EQ(Parsed({L"LOGLEVEL=INFO_OR_ERROR"}).nLogLevel, 2);
    // Without a value the level stays.
    EXPECT_EQ(Parsed({L"LOGLEVEL=ERROR", L"LOGLEVEL"}).nLogLevel, 3);
    EXPECT_EQ(Parsed({L"LOGLEVEL=ALL", L"LOGLEVEL="}).nLogLevel, 0);

    EXPECT_STREQ(GetLogLevelName(0), L"ALL");
    EXPECT_STREQ(GetLogLevelName(1), L"DEBUG");
    EXPECT_STREQ(GetLogLevelName(2), L"INFO");
    EXPECT_STREQ(GetLogLevelName(3), L"ERROR");
    EXPECT_STREQ(GetLogLevelName(4), L"ALL");
    EXPECT_STREQ(GetLogLevelName(-1), L"ALL");
}

TEST(CommonCmdLineOption, LogLineTakesOnlyNumbersAboveZero)
{
    EXPECT_EQ(Parsed({L"LOGLINE=500"}).nLogLine, 500);
    EXPECT_EQ(Parsed({L"LOGLINE=1"}).nLogLine, 1);
    EXPECT_EQ(Parsed({L"LOGLINE= +42abc"}).nLogLine, 42);
    EXPECT_EQ(Parsed({L"LOGLINE=0"}).nLogLine, 1000);
    EXPECT_EQ(Parsed({L"LOGLINE=-5"}).nLogLine, 1000);
    EXPECT_EQ(Parsed({L"LOGLINE=abc"}).nLogLine, 1000);
    EXPECT_EQ(Parsed({L"LOGLINE="}).nLogLine, 1000);
    EXPECT_EQ(Parsed({L"LOGLINE"}).nLogLine, 1000);
    EXPECT_EQ(Parsed({L"LOGLINE=-99999999999999999999"}).nLogLine, 1000);
    EXPECT_EQ(Parsed({L"LOGLINE=99999999999999999999"}).nLogLine, 2147483647);
    EXPECT_EQ(Parsed({L"LOGLINE=300", L"LOGLINE=0"}).nLogLine, 300);
}

TEST(CommonCmdLineOption, UnknownAndMalformedTokensChangeNothing)
{
    const CMDLINE_OPTION_SET optDefault;
    for (const wchar_t* psz : {L"", L"=", L"==x", L"=LOGFILE", L"UNKNOWN", L"UNKNOWN=1", L"logfile=x.log",
                               L"LOGFILEX=x.log", L"PAGE=3", L"CALLER=123", L" LOGWINDOW", L"LOGWINDOW "}) {
        CMDLINE_OPTION_SET opt;
        EXPECT_EQ(ParseCmdLineOptionParam(opt, psz), CLO_NONE) << psz;
        EXPECT_EQ(opt, optDefault) << psz;
    }
    CMDLINE_OPTION_SET opt;
    EXPECT_EQ(ParseCmdLineOptionParam(opt, nullptr), CLO_NONE);
    EXPECT_EQ(opt, optDefault);
}

TEST(CommonCmdLineOption, ReportsTheOptionAndHonoursTheAcceptedSet)
{
    CMDLINE_OPTION_SET opt;
    EXPECT_EQ(ParseCmdLineOptionParam(opt, L"LOGFILE=a.log"), CLO_LOGFILE);
    EXPECT_EQ(ParseCmdLineOptionParam(opt, L"LOGMODE"), CLO_LOGMODE);
    EXPECT_EQ(ParseCmdLineOptionParam(opt, L"LOGWINDOW"), CLO_LOGWINDOW);
    // Named options whose value is refused still count as recognised.
    EXPECT_EQ(ParseCmdLineOptionParam(opt, L"LOGLEVEL"), CLO_LOGLEVEL);
    EXPECT_EQ(ParseCmdLineOptionParam(opt, L"LOGLINE=0"), CLO_LOGLINE);
    EXPECT_EQ(ParseCmdLineOptionParam(opt, L"SHOWSYSTEMANALYZE"), CLO_SHOWSYSTEMANALYZE);
    EXPECT_EQ(ParseCmdLineOptionParam(opt, L"ALLOWMULTIMONITOR"), CLO_ALLOWMULTIMONITOR);
    EXPECT_EQ(ApplyCmdLineOption(opt, L"ALLOWEXECONNEWEROS", std::nullopt), CLO_ALLOWEXECONNEWEROS);

    // The core program does not take the newer-OS option from its command line.
    CMDLINE_OPTION_SET optCore;
    EXPECT_EQ(ParseCmdLineOptionParam(optCore, L"ALLOWEXECONNEWEROS", CLO_CORE), CLO_NONE);
    EXPECT_EQ(optCore.bAllowExecOnNewerOS, 0);
    EXPECT_EQ(ParseCmdLineOptionParam(optCore, L"LOGWINDOW", CLO_CORE), CLO_LOGWINDOW);
    EXPECT_EQ(ParseCmdLineOptionParam(optCore, L"LOGLINE=10", CLO_LOGFILE), CLO_NONE);
    EXPECT_EQ(optCore.nLogLine, 1000);
}

TEST(CommonCmdLineOption, OptionStringPiecesAndTheirConditions)
{
    CMDLINE_OPTION_SET opt;
    EXPECT_EQ(OptionString(opt), L"");

    // A file without a mode is not passed, and then neither level nor line.
    opt.pszLogFile = L"zv.log";
    opt.nLogLevel = 1;
    EXPECT_EQ(OptionString(opt), L"");
    opt.pszLogMode = L"at";
    EXPECT_EQ(OptionString(opt), L" /LOGFILE=zv.log /LOGMODE=at /LOGLEVEL=DEBUG /LOGLINE=1000");
    opt.bLogWindow = 1;
    opt.nLogLine = 250;
    EXPECT_EQ(OptionString(opt), L" /LOGFILE=zv.log /LOGMODE=at /LOGWINDOW /LOGLEVEL=DEBUG /LOGLINE=250");
    opt.bAllowExecOnNewerOS = 1;
    EXPECT_EQ(OptionString(opt),
              L" /LOGFILE=zv.log /LOGMODE=at /LOGWINDOW /LOGLEVEL=DEBUG /LOGLINE=250 /ALLOWEXECONNEWEROS");

    CMDLINE_OPTION_SET optWindow;
    optWindow.bLogWindow = 1;
    optWindow.nLogLevel = 7;
    EXPECT_EQ(OptionString(optWindow), L" /LOGWINDOW /LOGLEVEL=ALL /LOGLINE=1000");

    // The two flags that concern only the program itself are not passed on.
    CMDLINE_OPTION_SET optNewer;
    optNewer.bAllowExecOnNewerOS = 1;
    optNewer.bShowSystemAnalyze = 1;
    optNewer.bAllowMultiMonitor = 1;
    EXPECT_EQ(OptionString(optNewer), L" /ALLOWEXECONNEWEROS");
}

TEST(CommonCmdLineOption, OptionStringParsesBackIntoTheSameRecord)
{
    std::vector<CMDLINE_OPTION_SET> cases;
    for (int nLevel = 0; nLevel <= 3; ++nLevel) {
        CMDLINE_OPTION_SET opt;
        opt.pszLogFile = L"ZvLog20240307.log";
        opt.pszLogMode = L"wt";
        opt.nLogLevel = nLevel;
        opt.nLogLine = 10 + nLevel;
        cases.push_back(opt);
    }
    CMDLINE_OPTION_SET optWindow;
    optWindow.bLogWindow = 1;
    optWindow.nLogLevel = 3;
    optWindow.nLogLine = 1;
    optWindow.bAllowExecOnNewerOS = 1;
    cases.push_back(optWindow);
    // Blanks, quotes and a trailing backslash in values must arrive unchanged.
    CMDLINE_OPTION_SET optBlanks;
    optBlanks.pszLogFile = L"C:\\Program Files\\Zv Logs\\今日 \"a\".log";
    optBlanks.pszLogMode = L"a t";
    optBlanks.bLogWindow = 1;
    cases.push_back(optBlanks);
    CMDLINE_OPTION_SET optBackslash;
    optBackslash.pszLogFile = L"C:\\log dir\\";
    optBackslash.pszLogMode = L"wt";
    cases.push_back(optBackslash);
    cases.push_back(CMDLINE_OPTION_SET{});

    for (const CMDLINE_OPTION_SET& opt : cases) {
        const std::wstring strLine = OptionString(opt);
        EXPECT_EQ(ParseBack(strLine), opt) << strLine;
        // Appended directly after other text it still separates.
        EXPECT_TRUE(strLine.empty() || strLine[0] == L' ') << strLine;
    }
}
