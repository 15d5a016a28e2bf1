// Shared foundation: the option record, each option's rules and the option text for children.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "CmdLineOption.h"
#include "CommandLine.h"

namespace {

using PARAMS = std::vector<const wchar_t*>;

CMDLINE_OPTION_SET Parsed(const PARAMS& params, UINT uAccept = CLO_ALL)
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

TEST(CommonCmdLineOption, LogFileTakesItsValueOrTheDatedDefault)
{
    EXPECT_EQ(CMDLINE_OPTION_SET{}, (CMDLINE_OPTION_SET{std::nullopt, std::nullopt, 0, 2, 1000, 0, 0, 0}));

    EXPECT_EQ(Parsed({L"LOGFILE=C:\\My Logs\\zv.log"}).pszLogFile, L"C:\\My Logs\\zv.log");
    // Only the first "=" separates.
    EXPECT_EQ(Parsed({L"LOGFILE=a=b.log"}).pszLogFile, L"a=b.log");

    EXPECT_EQ(FormatDefaultLogFileName(SYSTEMTIME{2024, 3, 0, 7}), L"ZvLog20240307.log");

    // Taken around the parse so that a run across midnight still passes.
    const std::wstring strBefore = GetDefaultLogFileName();
    const CMDLINE_OPTION_SET optNoValue = Parsed({L"LOGFILE"});
    const CMDLINE_OPTION_SET optEmpty = Parsed({L"LOGFILE="});
    const std::wstring strAfter = GetDefaultLogFileName();
    ASSERT_TRUE(optNoValue.pszLogFile);
    ASSERT_TRUE(optEmpty.pszLogFile);
    EXPECT_TRUE(*optNoValue.pszLogFile == strBefore || *optNoValue.pszLogFile == strAfter);
    EXPECT_TRUE(*optEmpty.pszLogFile == strBefore || *optEmpty.pszLogFile == strAfter);
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

    // The start-up gives a file without a mode "wt", and no mode without a file.
    CMDLINE_OPTION_SET opt = Parsed({L"LOGFILE=x.log"}), optAt = Parsed({L"LOGFILE=x.log", L"LOGMODE=at"}), optNone;
    for (CMDLINE_OPTION_SET* p : {&opt, &optAt, &optNone})
        CompleteCmdLineOptions(*p);
    EXPECT_EQ(opt.pszLogMode, L"wt");
    EXPECT_EQ(optAt.pszLogMode, L"at");
    EXPECT_FALSE(optNone.pszLogMode);
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
    const std::pair<PARAMS, int> aCases[] = {
        {{L"LOGLEVEL=ALL"}, 0}, {{L"LOGLEVEL=DEBUG"}, 1}, {{L"LOGLEVEL=INFO"}, 2}, {{L"LOGLEVEL=ERROR"}, 3},
        // Unknown (and lower-case) values give 2, also over a level set before.
        {{L"LOGLEVEL=ALL", L"LOGLEVEL=debug"}, 2}, {{L"LOGLEVEL=ERROR", L"LOGLEVEL=3"}, 2},
        // A name anywhere in the value counts, DEBUG first, ALL last.
        {{L"LOGLEVEL=MYERRORS"}, 3}, {{L"LOGLEVEL=ALLDEBUG"}, 1}, {{L"LOGLEVEL=INFO_OR_ERROR"}, 2},
        // Without a value the level stays.
        {{L"LOGLEVEL=ERROR", L"LOGLEVEL"}, 3}, {{L"LOGLEVEL=ALL", L"LOGLEVEL="}, 0},
    };
    for (const auto& [params, nLevel] : aCases)
        EXPECT_EQ(Parsed(params).nLogLevel, nLevel) << params.front() << " " << params.back();
    const wchar_t* const apszNames[] = {L"ALL", L"ALL", L"DEBUG", L"INFO", L"ERROR", L"ALL"};
    for (int nLevel = -1; nLevel <= 4; ++nLevel)
        EXPECT_STREQ(GetLogLevelName(nLevel), apszNames[nLevel + 1]) << nLevel;
}

TEST(CommonCmdLineOption, LogLineTakesOnlyNumbersAboveZero)
{
    const std::pair<PARAMS, int> aCases[] = {
        {{L"LOGLINE=500"}, 500}, {{L"LOGLINE=1"}, 1}, {{L"LOGLINE= +42abc"}, 42}, {{L"LOGLINE=0"}, 1000},
        {{L"LOGLINE=-5"}, 1000}, {{L"LOGLINE=abc"}, 1000}, {{L"LOGLINE="}, 1000}, {{L"LOGLINE"}, 1000},
        {{L"LOGLINE=-99999999999999999999"}, 1000}, {{L"LOGLINE=99999999999999999999"}, 2147483647},
        {{L"LOGLINE=300", L"LOGLINE=0"}, 300},
    };
    for (const auto& [params, nLine] : aCases)
        EXPECT_EQ(Parsed(params).nLogLine, nLine) << params.front() << " " << params.back();
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
    // Named options whose value is refused (LOGLEVEL, LOGLINE=0) still count as recognised.
    const std::pair<LPCWSTR, CMDLINE_OPTION> aCases[] = {
        {L"LOGFILE=a.log", CLO_LOGFILE}, {L"LOGMODE", CLO_LOGMODE}, {L"LOGWINDOW", CLO_LOGWINDOW},
        {L"LOGLEVEL", CLO_LOGLEVEL}, {L"LOGLINE=0", CLO_LOGLINE}, {L"SHOWSYSTEMANALYZE", CLO_SHOWSYSTEMANALYZE},
        {L"ALLOWMULTIMONITOR", CLO_ALLOWMULTIMONITOR}};
    for (const auto& [psz, clo] : aCases)
        EXPECT_EQ(ParseCmdLineOptionParam(opt, psz), clo) << psz;
    EXPECT_EQ(ApplyCmdLineOption(opt, L"ALLOWEXECONNEWEROS", std::nullopt), CLO_ALLOWEXECONNEWEROS);

    // The core program does not take the newer-OS option from its command line.
    CMDLINE_OPTION_SET optCore;
    EXPECT_EQ(ParseCmdLineOptionParam(optCore, L"ALLOWEXECONNEWEROS", CLO_CORE), CLO_NONE);
    EXPECT_EQ(optCore.bAllowExecOnNewerOS, 0);
    EXPECT_EQ(ParseCmdLineOptionParam(optCore, L"LOGWINDOW", CLO_CORE), CLO_LOGWINDOW);
    EXPECT_EQ(ParseCmdLineOptionParam(optCore, L"LOGLINE=10", CLO_LOGFILE), CLO_NONE);
    EXPECT_EQ(optCore.nLogLine, 1000);
}

TEST(CommonCmdLineOption, OptionStringItemsAndTheirConditions)
{
    EXPECT_EQ(OptionString({}), L"");
    // A file without a mode is not passed, and then neither level nor line.
    EXPECT_EQ(OptionString({.pszLogFile = L"zv.log", .nLogLevel = 1}), L"");
    EXPECT_EQ(OptionString({.pszLogFile = L"zv.log", .pszLogMode = L"at", .nLogLevel = 1}),
              L" /LOGFILE=zv.log /LOGMODE=at /LOGLEVEL=DEBUG /LOGLINE=1000");
    EXPECT_EQ(OptionString({L"zv.log", L"at", 1, 1, 250}),
              L" /LOGFILE=zv.log /LOGMODE=at /LOGWINDOW /LOGLEVEL=DEBUG /LOGLINE=250");
    EXPECT_EQ(OptionString({L"zv.log", L"at", 1, 1, 250, 0, 0, 1}),
              L" /LOGFILE=zv.log /LOGMODE=at /LOGWINDOW /LOGLEVEL=DEBUG /LOGLINE=250 /ALLOWEXECONNEWEROS");
    EXPECT_EQ(OptionString({.bLogWindow = 1, .nLogLevel = 7}), L" /LOGWINDOW /LOGLEVEL=ALL /LOGLINE=1000");
    // The two flags that concern only the program itself are not passed on.
    EXPECT_EQ(OptionString({.bShowSystemAnalyze = 1, .bAllowMultiMonitor = 1, .bAllowExecOnNewerOS = 1}),
              L" /ALLOWEXECONNEWEROS");
}

TEST(CommonCmdLineOption, OptionStringParsesBackIntoTheSameRecord)
{
    const CMDLINE_OPTION_SET aCases[] = {
        {L"ZvLog20240307.log", L"wt", 0, 0, 10}, {L"ZvLog20240307.log", L"wt", 0, 1, 11},
        {L"ZvLog20240307.log", L"wt", 0, 2, 12}, {L"ZvLog20240307.log", L"wt", 0, 3, 13},
        {.bLogWindow = 1, .nLogLevel = 3, .nLogLine = 1, .bAllowExecOnNewerOS = 1},
        // Blanks, quotes and a trailing backslash in values must arrive unchanged.
        {.pszLogFile = L"C:\\Program Files\\Zv Logs\\今日 \"a\".log", .pszLogMode = L"a t", .bLogWindow = 1},
        {.pszLogFile = L"C:\\log dir\\", .pszLogMode = L"wt"},
        {},
    };
    for (const CMDLINE_OPTION_SET& opt : aCases) {
        const std::wstring strLine = OptionString(opt);
        EXPECT_EQ(ParseBack(strLine), opt) << strLine;
        // Appended directly after other text it still separates.
        EXPECT_TRUE(strLine.empty() || strLine[0] == L' ') << strLine;
    }
}
