// The log manager and the log viewer together: ZvTLogWriter.exe logs as the system's programs do,
// starts ZvLog64.exe and hands it its lines; the viewer writes them to the log file exactly as
// they were logged. A viewer killed in mid-run costs the program its remaining lines, never its run.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "Handle.h"
#include "LogManager.h"
#include "ZvMessages.h"
#include "ZvTestKit.h"

using namespace zvkit;

namespace {

constexpr wchar_t kWriter[] = L"ZvTLogWriter.exe";

std::wstring TempLogPath(const wchar_t* pszWhat)
{
    const std::wstring strPath = NewTempFilePath(std::wstring(L"ZvLogViewerTest_") + pszWhat, L".log");
    DeleteFileW((strPath + L".old").c_str());
    return strPath;
}

// Lines with their CR LF.
std::vector<std::string> ReadLines(const std::wstring& strPath)
{
    const std::string str = zvkit::ReadFileBytes(strPath);
    std::vector<std::string> lines;
    size_t nStart = 0;
    while (nStart < str.size()) {
        const size_t nEnd = str.find('\n', nStart);
        if (nEnd == std::string::npos) {
            lines.push_back(str.substr(nStart));
            break;
        }
        lines.push_back(str.substr(nStart, nEnd + 1 - nStart));
        nStart = nEnd + 1;
    }
    return lines;
}

struct EXPECTED_LINE {
    char chLevel;
    std::string strText;   // after the level field, with CR LF
};

// What ZvTLogWriter logs at DEBUG with nLines script lines.
std::vector<EXPECTED_LINE> WriterScript(int nLines)
{
    std::vector<EXPECTED_LINE> lines = {{'I', ToUtf8(L"ZvTLogWriter 開始.\r\n")}};
    for (int i = 0; i < nLines; ++i) {
        const std::wstring strNum = std::to_wstring(i);
        switch (i % 3) {
        case 0: lines.push_back({'D', ToUtf8(L"デバッグ行 " + strNum + L"\r\n")}); break;
        case 1: lines.push_back({'I', ToUtf8(L"情報行 " + strNum + L": 日本語テキスト\r\n")}); break;
        default: lines.push_back({'E', ToUtf8(L"エラー行 " + strNum + L"\r\n")}); break;
        }
    }
    lines.push_back({'I', ToUtf8(L"ZvTLogWriter 終了.\r\n")});
    return lines;
}

// yyyy/mm/dd TAB hh:mm:ss.mmm TAB [Core] TAB (L) TAB text CR LF
const std::regex& LineFormat()
{
    static const std::regex re(R"(^(\d{4})/(\d{2})/(\d{2})\t(\d{2}):(\d{2}):(\d{2})\.(\d{3})\t\[Core\]\t\(([ADIEN])\)\t([^\r\n]*\r\n)$)");
    return re;
}

int DateNumber(const SYSTEMTIME& st)
{
    return st.wYear * 10000 + st.wMonth * 100 + st.wDay;
}

// Checks every line's format, its level and text against the script, and that date and time
// lie within the run and never go back.
void ExpectLines(const std::vector<std::string>& lines, const std::vector<EXPECTED_LINE>& expected,
                 const SYSTEMTIME& stBefore, const SYSTEMTIME& stAfter)
{
    ASSERT_EQ(lines.size(), expected.size());
    std::string strPrevStamp;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, LineFormat())) << "line " << i << ": " << lines[i];
        EXPECT_EQ(m[8].str()[0], expected[i].chLevel) << lines[i];
        EXPECT_EQ(m[9].str(), expected[i].strText) << "line " << i;
        const int nDate = std::stoi(m[1]) * 10000 + std::stoi(m[2]) * 100 + std::stoi(m[3]);
        EXPECT_GE(nDate, DateNumber(stBefore));
        EXPECT_LE(nDate, DateNumber(stAfter));
        EXPECT_LT(std::stoi(m[4]), 24);
        EXPECT_LT(std::stoi(m[5]), 60);
        EXPECT_LT(std::stoi(m[6]), 60);
        const std::string strStamp = lines[i].substr(0, 23);
        EXPECT_GE(strStamp, strPrevStamp) << "line " << i;
        strPrevStamp = strStamp;
    }
}

// A viewer left by an earlier test would take these lines into its own file.
void WaitForNoViewer()
{
    ASSERT_TRUE(WaitUntil([] { return FindTopLevel(LOG_VIEWER_WND_TITLE) == nullptr; }, 10000))
        << "a log viewer of an earlier run is still there";
}

} // namespace

TEST(LogViewer, FileHoldsEveryLineExactlyInTheLineFormat)
{
    WaitForNoViewer();
    const std::wstring strLog = TempLogPath(L"Format");
    SYSTEMTIME stBefore;
    GetLocalTime(&stBefore);
    CProcess writer;
    ASSERT_TRUE(writer.Start(kWriter, L"/LOGWINDOW /LOGFILE=" + QuoteArg(strLog) + L" /LOGLEVEL=DEBUG /LINES=6"));
    const auto exitCode = writer.WaitForExit(40000);
    ASSERT_TRUE(exitCode.has_value());
    EXPECT_EQ(*exitCode, 0u);
    SYSTEMTIME stAfter;
    GetLocalTime(&stAfter);
    EXPECT_EQ(CloseStrayMessageBoxes(writer.Pid()), 0);

    // Every line is in the file by the time the program has ended.
    const std::vector<EXPECTED_LINE> expected = WriterScript(6);
    ExpectLines(ReadLines(strLog), expected, stBefore, stAfter);

    // The hidden viewer does not outlive its last program for long.
    EXPECT_TRUE(WaitUntil([&] { return writer.AllEnded(); }, 15000));
    DeleteFileW(strLog.c_str());
}

TEST(LogViewer, ProgramGoesOnWhenTheViewerIsKilled)
{
    WaitForNoViewer();
    const std::wstring strLog = TempLogPath(L"Killed");
    SYSTEMTIME stBefore;
    GetLocalTime(&stBefore);
    constexpr int kLines = 40;
    constexpr DWORD kInterval = 100;
    CProcess writer;
    ASSERT_TRUE(writer.Start(kWriter, L"/LOGWINDOW /LOGFILE=" + QuoteArg(strLog) + L" /LOGLEVEL=DEBUG /LINES=" +
                                          std::to_wstring(kLines) + L" /INTERVAL=" + std::to_wstring(kInterval)));
    const ULONGLONG ullStart = GetTickCount64();
    ASSERT_TRUE(WaitUntil([&] { return ReadLines(strLog).size() >= 4; }, 20000));

    const HWND hViewer = FindTopLevel(LOG_VIEWER_WND_TITLE);
    ASSERT_NE(hViewer, nullptr);
    const CHandle hViewerProc(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, WindowPid(hViewer)));
    ASSERT_TRUE(hViewerProc);
    EXPECT_TRUE(TerminateProcess(hViewerProc.get(), 9));
    EXPECT_EQ(WaitForSingleObject(hViewerProc.get(), 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    const size_t nLinesAtKill = ReadLines(strLog).size();
    EXPECT_TRUE(writer.IsRunning());

    const auto exitCode = writer.WaitForExit(40000);
    ASSERT_TRUE(exitCode.has_value());
    EXPECT_EQ(*exitCode, 0u);
    // It ran its whole script, at its own pace, after the viewer was gone.
    EXPECT_GE(GetTickCount64() - ullStart, static_cast<ULONGLONG>(kLines * kInterval * 8 / 10));
    EXPECT_EQ(CloseStrayMessageBoxes(writer.Pid()), 0);
    SYSTEMTIME stAfter;
    GetLocalTime(&stAfter);

    // What the viewer wrote before it died is whole; nothing was written after.
    const std::vector<std::string> lines = ReadLines(strLog);
    EXPECT_EQ(lines.size(), nLinesAtKill);
    ASSERT_LT(lines.size(), WriterScript(kLines).size());
    std::vector<EXPECTED_LINE> expected = WriterScript(kLines);
    expected.resize(lines.size());
    ExpectLines(lines, expected, stBefore, stAfter);
    DeleteFileW(strLog.c_str());
}

TEST(LogViewer, TwoProgramsOfOneSenderEachEndOnlyTheirOwnOutput)
{
    WaitForNoViewer();
    const std::wstring strLog = TempLogPath(L"OneSender");
    constexpr int kLinesLong = 40, kLinesShort = 2;
    CProcess longer;
    ASSERT_TRUE(longer.Start(kWriter, L"/LOGWINDOW /LOGFILE=" + QuoteArg(strLog) + L" /LOGLEVEL=DEBUG /LINES=" +
                                          std::to_wstring(kLinesLong) + L" /INTERVAL=100"));
    // Well under way, so that the two programs' sequence numbers (and block names) no longer meet.
    ASSERT_TRUE(WaitUntil([&] { return ReadLines(strLog).size() >= 8; }, 20000));

    // A second program of the same sender joins the viewer and ends while the first goes on.
    CProcess shorter;
    ASSERT_TRUE(shorter.Start(kWriter, L"/LOGWINDOW /LOGLEVEL=DEBUG /LINES=" + std::to_wstring(kLinesShort)));
    const auto exitShorter = shorter.WaitForExit(20000);
    ASSERT_TRUE(exitShorter.has_value());
    EXPECT_EQ(*exitShorter, 0u);
    EXPECT_TRUE(longer.IsRunning());

    // The first one's lines still reach the file, and its end does not wait for a queue that
    // nobody serves.
    const auto exitLonger = longer.WaitForExit(20000);
    ASSERT_TRUE(exitLonger.has_value());
    EXPECT_EQ(*exitLonger, 0u);
    EXPECT_EQ(CloseStrayMessageBoxes(), 0);

    // Every line of both programs, interleaved: compared as level and text, in any order.
    const std::vector<std::string> lines = ReadLines(strLog);
    std::vector<std::string> vecTexts, vecExpected;
    for (const std::string& strLine : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(strLine, m, LineFormat())) << strLine;
        vecTexts.push_back(m[8].str() + m[9].str());
    }
    for (int nLines : {kLinesLong, kLinesShort})
        for (const EXPECTED_LINE& line : WriterScript(nLines))
            vecExpected.push_back(std::string(1, line.chLevel) + line.strText);
    std::sort(vecTexts.begin(), vecTexts.end());
    std::sort(vecExpected.begin(), vecExpected.end());
    EXPECT_EQ(vecTexts, vecExpected);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find(ToUtf8(L"\tZvTLogWriter 終了.")), std::string::npos) << "the longer one ends last";
    EXPECT_TRUE(WaitUntil([&] { return longer.AllEnded(); }, 15000));
    DeleteFileW(strLog.c_str());
}

TEST(LogViewer, BurstOfViewerAnnouncementsStartsOneViewer)
{
    WaitForNoViewer();
    // Not logging at first: each announcement may turn logging on.
    CProcess writer;
    ASSERT_TRUE(writer.Start(kWriter, L"/LINES=60 /INTERVAL=100"));
    const HWND hWnd = WaitForWindow(L"ZvTLogWriter Hidden Window", 5000, L"ZvTLogWriterWnd", writer.Pid());
    ASSERT_NE(hWnd, nullptr);
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(PostMessageW(hWnd, MSG_LOG_WND_DTCT, 0, 0));

    // Viewers are the writer's children; watch them while the one started comes up and settles.
    size_t nMostViewers = 0;
    auto viewers = [&] {
        const size_t n = writer.JobPids().size() - (writer.IsRunning() ? 1 : 0);
        nMostViewers = std::max(nMostViewers, n);
        return n;
    };
    EXPECT_TRUE(WaitUntil([&] { return viewers() >= 1 && FindTopLevel(LOG_VIEWER_WND_TITLE) != nullptr; }, 20000));
    const ULONGLONG ullEnd = GetTickCount64() + 3000;
    WaitUntil([&] { return viewers() > 1 || GetTickCount64() >= ullEnd; }, 5000);
    EXPECT_EQ(nMostViewers, 1u);
    // And that one takes the lines.
    const HWND hList = FindWindowExW(FindTopLevel(LOG_VIEWER_WND_TITLE), nullptr, L"LISTBOX", nullptr);
    ASSERT_NE(hList, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return SendMessageW(hList, LB_GETCOUNT, 0, 0) > 0; }, 10000));
    EXPECT_TRUE(writer.IsRunning());

    const auto exitCode = writer.WaitForExit(40000);
    ASSERT_TRUE(exitCode.has_value());
    EXPECT_EQ(*exitCode, 0u);
    EXPECT_EQ(CloseStrayMessageBoxes(writer.Pid()), 0);
    EXPECT_TRUE(WaitUntil([&] { return writer.AllEnded(); }, 15000));
}

TEST(LogViewer, AppendModeKeepsTheFileAndLineLimitMovesAFullFileAside)
{
    WaitForNoViewer();
    const std::wstring strLog = TempLogPath(L"Modes");
    const std::string strOld = "a line of an earlier run\r\n";
    {
        const CHandle hFile(
            CreateFileW(strLog.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(hFile);
        DWORD cb = 0;
        WriteFile(hFile.get(), strOld.data(), static_cast<DWORD>(strOld.size()), &cb, nullptr);
    }
    SYSTEMTIME stBefore;
    GetLocalTime(&stBefore);
    {
        CProcess writer;
        ASSERT_TRUE(writer.Start(kWriter, L"/LOGWINDOW /LOGFILE=" + QuoteArg(strLog) +
                                              L" /LOGMODE=at /LOGLEVEL=DEBUG /LINES=3"));
        const auto exitCode = writer.WaitForExit(40000);
        ASSERT_TRUE(exitCode.has_value());
        EXPECT_EQ(*exitCode, 0u);
        ASSERT_TRUE(WaitUntil([&] { return writer.AllEnded(); }, 15000));
    }
    SYSTEMTIME stAfter;
    GetLocalTime(&stAfter);
    std::vector<std::string> lines = ReadLines(strLog);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], strOld);
    lines.erase(lines.begin());
    ExpectLines(lines, WriterScript(3), stBefore, stAfter);

    // A new file (mode "wt") of at most 4 lines: the first 4 of 6 go aside, 2 stay.
    {
        CProcess writer;
        ASSERT_TRUE(writer.Start(kWriter, L"/LOGWINDOW /LOGFILE=" + QuoteArg(strLog) +
                                              L" /LOGLEVEL=DEBUG /LOGLINE=4 /LINES=4"));
        const auto exitCode = writer.WaitForExit(40000);
        ASSERT_TRUE(exitCode.has_value());
        EXPECT_EQ(*exitCode, 0u);
    }
    GetLocalTime(&stAfter);
    const std::vector<EXPECTED_LINE> expected = WriterScript(4);
    ExpectLines(ReadLines(strLog + L".old"), {expected.begin(), expected.begin() + 4}, stBefore, stAfter);
    ExpectLines(ReadLines(strLog), {expected.begin() + 4, expected.end()}, stBefore, stAfter);
    DeleteFileW(strLog.c_str());
    DeleteFileW((strLog + L".old").c_str());
}
