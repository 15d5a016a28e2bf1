// The core program's command line and its version list.
#include <gtest/gtest.h>
#include <windows.h>

#include <iterator>
#include <set>

#include "CommandLine.h"
#include "ZvCoreApp.h"
#include "ZvCoreCommandLineInfo.h"

namespace {

CMDLINE_OPTION_SET ParseCore(const wchar_t* pszLine, std::wstring* pstrFileName = nullptr)
{
    CMDLINE_OPTION_SET opt;
    CZvCoreCommandLineInfo info(&opt);
    ParseCommandLine(pszLine, FALSE, info);
    CompleteCmdLineOptions(opt);
    if (pstrFileName)
        *pstrFileName = info.m_strFileName;
    return opt;
}

using OPT_STR = std::optional<std::wstring>;

} // namespace

TEST(CoreCommandLine, EveryOptionOfTheCoreProgramIsTaken)
{
    const CMDLINE_OPTION_SET opt = ParseCore(
        L"/SHOWSYSTEMANALYZE -LOGFILE=\"C:\\log dir\\core.log\" /LOGMODE=at /LOGWINDOW /LOGLEVEL=DEBUG "
        L"/LOGLINE=500 /ALLOWMULTIMONITOR");
    EXPECT_EQ(opt.bShowSystemAnalyze, 1);
    EXPECT_EQ(opt.pszLogFile, OPT_STR(L"C:\\log dir\\core.log"));
    EXPECT_EQ(opt.pszLogMode, OPT_STR(L"at"));
    EXPECT_EQ(opt.bLogWindow, 1);
    EXPECT_EQ(opt.nLogLevel, 1);
    EXPECT_EQ(opt.nLogLine, 500);
    EXPECT_EQ(opt.bAllowMultiMonitor, 1);
    // The newer-OS permission belongs to the settings program only.
    EXPECT_EQ(ParseCore(L"/ALLOWEXECONNEWEROS"), CMDLINE_OPTION_SET{});
}

TEST(CoreCommandLine, LogFileWithoutNameTakesTheDatedDefaultAndModeWt)
{
    for (const wchar_t* pszLine : {L"/LOGFILE", L"/LOGFILE="}) {
        const CMDLINE_OPTION_SET opt = ParseCore(pszLine);
        EXPECT_EQ(opt.pszLogFile, OPT_STR(GetDefaultLogFileName())) << pszLine;
        EXPECT_EQ(opt.pszLogMode, OPT_STR(L"wt")) << pszLine;
    }
    // A mode given alone is kept as it is: only a file without a mode gets "wt".
    const CMDLINE_OPTION_SET opt = ParseCore(L"/LOGMODE=at");
    EXPECT_EQ(opt.pszLogMode, OPT_STR(L"at"));
    EXPECT_FALSE(opt.pszLogFile.has_value());
}

TEST(CoreCommandLine, RefusedValuesAndLowerCaseNamesKeepTheDefaults)
{
    EXPECT_EQ(ParseCore(L"/LOGLEVEL=debug").nLogLevel, 2);
    EXPECT_EQ(ParseCore(L"/LOGLEVEL").nLogLevel, 2);
    EXPECT_EQ(ParseCore(L"/LOGLEVEL=ERROR").nLogLevel, 3);
    for (const wchar_t* pszLine : {L"/LOGLINE=0", L"/LOGLINE=-5", L"/LOGLINE"})
        EXPECT_EQ(ParseCore(pszLine).nLogLine, 1000) << pszLine;

    EXPECT_EQ(ParseCore(L"/logwindow /LogFile=a.log"), CMDLINE_OPTION_SET{});
    // A parameter without a flag names no option but still reaches the framework.
    std::wstring strFileName;
    EXPECT_EQ(ParseCore(L"LOGWINDOW", &strFileName).bLogWindow, 0);
    EXPECT_EQ(strFileName, L"LOGWINDOW");
}

// ZvCore64.exe lies beside the test program, the first folder of the search.
TEST(CoreVersionList, FilesWithoutVersionInformationAreLeftOut)
{
    const LPCWSTR apszFile[] = {L"ZvNoSuchFile.dll", L"ZvCore64.exe", L"ZvUnitTests.exe", L"ZvCore64.exe"};
    const std::vector<FILE_VERSION_SET> lst = BuildFileVersionList(apszFile, std::size(apszFile));
    ASSERT_EQ(lst.size(), 2u);
    for (const FILE_VERSION_SET& fvs : lst) {
        EXPECT_EQ(fvs.strFileName, L"ZvCore64.exe");
        EXPECT_EQ(fvs.dwFileVersionMS, 0x00090000u);
        EXPECT_EQ(fvs.dwFileVersionLS, 0u);
    }
    std::wstring strReport;
    GetFileVersionSetString(lst, strReport, L",");
    EXPECT_EQ(strReport, L" ZvCore64.exe     9.0.0.0, ZvCore64.exe     9.0.0.0");
}

TEST(CoreMessageFilter, OnlyTheWindowEventHookMessagesAreLetIn)
{
    // The window-event hook runs inside other processes; the keyboard and mouse hooks run on the
    // core's own thread, so their messages never come from another process.
    const std::set<UINT> setFilter(std::begin(ZV_HOOK_FILTER_MSGS), std::end(ZV_HOOK_FILTER_MSGS));
    EXPECT_EQ(setFilter, (std::set<UINT>{MSG_HOOK_CBT_ACTIVATE, MSG_HOOK_CBT_WNDCHG, MSG_HOOK_CBT_MINMAX}));
    EXPECT_EQ(setFilter.count(MSG_HOOK_KEYBD), 0u);
    EXPECT_EQ(setFilter.count(MSG_HOOK_MOUSE), 0u);
    EXPECT_EQ(setFilter.size(), std::size(ZV_HOOK_FILTER_MSGS)) << "a message is let in twice";
}
