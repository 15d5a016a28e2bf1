// The settings program's command line (numbers read with saturation, PAGE and CALLER beside the
// shared options) and the name test of its core check.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "CommandLine.h"
#include "ZvPropertyApp.h"
#include "ZvPropertyCommandLineInfo.h"

namespace {

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

struct PARSED {
    CMDLINE_OPTION_SET opt;
    int nStartPage = 0;
    HWND hWndCore = nullptr;
};

PARSED Parse(const wchar_t* pszCmdLine)
{
    PARSED p;
    CZvPropertyCommandLineInfo info(&p.opt, &p.nStartPage, &p.hWndCore);
    ParseCommandLine(pszCmdLine, FALSE, info);
    CompleteCmdLineOptions(p.opt);
    return p;
}

} // namespace

TEST(PropertyCmdLineNumber, ReadsLikeTheRuntimeButSaturatesInsteadOfWrapping)
{
    EXPECT_EQ(3, ReadCmdLineNumber(L"3"));
    EXPECT_EQ(-12, ReadCmdLineNumber(L"  -12abc")) << "blanks before, the first other character ends it";
    EXPECT_EQ(7, ReadCmdLineNumber(L"+7"));
    EXPECT_EQ(0, ReadCmdLineNumber(L"000"));
    EXPECT_FALSE(ReadCmdLineNumber(L"").has_value());
    EXPECT_FALSE(ReadCmdLineNumber(L"-").has_value());
    EXPECT_FALSE(ReadCmdLineNumber(L"x1").has_value());
    EXPECT_FALSE(ReadCmdLineNumber(L"- 1").has_value()) << "no blank between sign and digits";

    EXPECT_EQ(kMax, ReadCmdLineNumber(L"9223372036854775807"));
    EXPECT_EQ(kMax, ReadCmdLineNumber(L"9223372036854775808"));
    EXPECT_EQ(kMax, ReadCmdLineNumber(L"99999999999999999999999999999999"));
    EXPECT_EQ(kMin, ReadCmdLineNumber(L"-9223372036854775808"));
    EXPECT_EQ(kMin, ReadCmdLineNumber(L"-9223372036854775809"));
    EXPECT_EQ(kMin, ReadCmdLineNumber(L"-99999999999999999999999999999999x"));
    EXPECT_EQ(4294967296, ReadCmdLineNumber(L"4294967296")) << "past 32 bits without wrapping to 0";
}

TEST(PropertyCmdLine, PageNamesOneOfTheEightPagesOrNone)
{
    EXPECT_EQ(3, Parse(L"/PAGE=3").nStartPage);
    EXPECT_EQ(7, Parse(L"-PAGE=7").nStartPage);
    for (const wchar_t* psz : {L"/PAGE=8", L"/PAGE=-1", L"/PAGE=", L"/PAGE", L"/PAGE=x",
                               L"/PAGE=4294967299", L"/PAGE=99999999999999999999999"})
        EXPECT_EQ(0, Parse(psz).nStartPage) << psz;
    EXPECT_EQ(3, Parse(L"/PAGE=3 /PAGE=-1").nStartPage) << "a value naming no page changes nothing";
    EXPECT_EQ(3, Parse(L"/PAGE=3 /PAGE=12").nStartPage);
    EXPECT_EQ(2, Parse(L"/PAGE=3 /PAGE=2").nStartPage) << "the last page named wins";
    EXPECT_EQ(5, Parse(L"/PAGEX=5").nStartPage) << "the option is a prefix";
    EXPECT_EQ(0, Parse(L"PAGE=5").nStartPage) << "only flags name options";
    EXPECT_EQ(0, Parse(L"/page=5").nStartPage) << "names are case-sensitive";
}

TEST(PropertyCmdLine, CallerNamesAWindowOnlyWithANumberOtherThanZero)
{
    EXPECT_EQ(reinterpret_cast<HWND>(0x1234), Parse(L"/CALLER=4660").hWndCore);
    EXPECT_EQ(reinterpret_cast<HWND>(static_cast<intptr_t>(-2)), Parse(L"/CALLER=-2").hWndCore)
        << "a negative number is sign-extended";
    for (const wchar_t* psz : {L"/CALLER=0", L"/CALLER=", L"/CALLER", L"/CALLER=abc", L"/CALLER=-0"})
        EXPECT_EQ(nullptr, Parse(psz).hWndCore) << psz;
    EXPECT_EQ(reinterpret_cast<HWND>(static_cast<intptr_t>(kMax)), Parse(L"/CALLER=123456789012345678901234").hWndCore)
        << "saturated, never wrapped to a small number that might name a window";
}

TEST(PropertyCmdLine, SharedOptionsComeFirstAndEveryOptionIsTakenTogether)
{
    const PARSED p = Parse(L"/LOGFILE=a.log /LOGLEVEL=ALL /LOGLINE=-5 /LOGWINDOW /SHOWSYSTEMANALYZE "
                           L"/ALLOWMULTIMONITOR /ALLOWEXECONNEWEROS /PAGE=6 /CALLER=77");
    EXPECT_EQ(L"a.log", p.opt.pszLogFile.value_or(L""));
    EXPECT_EQ(L"wt", p.opt.pszLogMode.value_or(L"")) << "a file without a mode gets wt";
    EXPECT_EQ(0, p.opt.nLogLevel);
    EXPECT_EQ(1000, p.opt.nLogLine) << "a line count of 0 or less is refused";
    EXPECT_EQ(1, p.opt.bLogWindow);
    EXPECT_EQ(1, p.opt.bShowSystemAnalyze);
    EXPECT_EQ(1, p.opt.bAllowMultiMonitor);
    EXPECT_EQ(1, p.opt.bAllowExecOnNewerOS);
    EXPECT_EQ(6, p.nStartPage);
    EXPECT_EQ(reinterpret_cast<HWND>(77), p.hWndCore);

    EXPECT_EQ(2, Parse(L"/LOGLEVEL=debug").opt.nLogLevel) << "lower case names no level";
    const PARSED at = Parse(L"/LOGFILE=b.log /LOGMODE=at");
    EXPECT_EQ(L"at", at.opt.pszLogMode.value_or(L""));
}

TEST(PropertyCoreCheck, TheFileNamePartAndTheCoreProgramsName)
{
    EXPECT_EQ(L"ZvCore64.exe", GetFileNamePart(L"C:\\Program Files\\Zuvora\\ZvCore64.exe"));
    EXPECT_EQ(L"ZvCore64.exe", GetFileNamePart(L"/opt/z/ZvCore64.exe"));
    EXPECT_EQ(L"ZvCore64.exe", GetFileNamePart(L"ZvCore64.exe"));
    EXPECT_EQ(L"", GetFileNamePart(L"C:\\dir\\"));

    EXPECT_TRUE(IsCoreImageName(L"C:\\z\\ZvCore64.exe"));
    EXPECT_TRUE(IsCoreImageName(L"C:\\z\\ZVCORE64.EXE")) << "file names compare without case";
    EXPECT_FALSE(IsCoreImageName(L"C:\\z\\ZvCore64.exe.bak"));
    EXPECT_FALSE(IsCoreImageName(L"C:\\z\\ZvCore.exe"));
    EXPECT_FALSE(IsCoreImageName(L"C:\\ZvCore64.exe\\"));
    EXPECT_FALSE(IsCoreImageName(L""));
}
