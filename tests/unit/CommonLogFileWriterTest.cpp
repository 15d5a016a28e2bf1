// Shared foundation: the log viewer's file: bytes as received, line ends, open modes, line limit.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "Handle.h"
#include "LogFileWriter.h"
#include "Strings.h"

namespace {

class CommonLogFileWriter : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t szDir[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, szDir);
        const auto* pInfo = ::testing::UnitTest::GetInstance()->current_test_info();
        m_strPath = FormatString(L"%sZvCommonLogFileWriter %hs %lu.log", szDir, pInfo->name(), GetCurrentProcessId());
        Remove();
    }
    void TearDown() override { Remove(); }
    void Remove()
    {
        DeleteFileW(m_strPath.c_str());
        DeleteFileW(CLogFileWriter::GetRotatedPath(m_strPath).c_str());
    }

    static std::string Read(const std::wstring& strPath)
    {
        const CHandle hFile(CreateFileW(strPath.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        0, nullptr));
        if (!hFile)
            return "<missing>";
        std::string str;
        char buf[1024];
        DWORD cb = 0;
        while (ReadFile(hFile.get(), buf, sizeof(buf), &cb, nullptr) && cb > 0)
            str.append(buf, cb);
        return str;
    }
    void Prefill(const std::string& str)
    {
        const CHandle hFile(CreateFileW(m_strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(hFile);
        DWORD cb = 0;
        WriteFile(hFile.get(), str.data(), static_cast<DWORD>(str.size()), &cb, nullptr);
    }

    std::wstring m_strPath;
};

} // namespace

TEST_F(CommonLogFileWriter, LineEndIsAddedOnlyWhenMissing)
{
    const std::pair<std::string, std::string> aLines[] = {
        {"a\r\n", "a\r\n"}, {"a\n", "a\n"}, {"a", "a\r\n"}, {"a\r", "a\r\r\n"}, {"", "\r\n"}};
    for (const auto& [strIn, strOut] : aLines)
        EXPECT_EQ(CLogFileWriter::TerminateLine(strIn), strOut) << strIn;
    for (LPCWSTR psz : {L"at", L"a+", L"wt", L"r+", L""})
        EXPECT_EQ(CLogFileWriter::IsAppendMode(psz), psz[0] == L'a') << psz;
}

TEST_F(CommonLogFileWriter, WritesBytesAsReceivedAndVisibleAtOnce)
{
    Prefill("old content\r\n");
    CLogFileWriter writer;
    ASSERT_TRUE(writer.Open(m_strPath, L"wt", 1000));
    // UTF-8 of "日本語" with CR LF: no translation of line ends, no byte-order mark.
    const std::string strLine = "2024/01/02\t03:04:05.006\t[Core]\t(I)\t\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\r\n";
    ASSERT_TRUE(writer.WriteLine(strLine));
    EXPECT_EQ(Read(m_strPath), strLine);
    ASSERT_TRUE(writer.WriteLine("no end"));
    EXPECT_EQ(Read(m_strPath), strLine + "no end\r\n");
    EXPECT_EQ(writer.GetLineCount(), 2);
}

TEST_F(CommonLogFileWriter, AppendKeepsTheFileAndFullFilesGoAside)
{
    Prefill("one\r\ntwo\r\n");
    CLogFileWriter writer;
    ASSERT_TRUE(writer.Open(m_strPath, L"at", 3));
    EXPECT_EQ(writer.GetLineCount(), 2);
    ASSERT_TRUE(writer.WriteLine("three\r\n"));
    EXPECT_EQ(Read(m_strPath), "one\r\ntwo\r\nthree\r\n");
    // Full: the file goes aside whole and a new one begins.
    ASSERT_TRUE(writer.WriteLine("four\r\n"));
    EXPECT_EQ(Read(CLogFileWriter::GetRotatedPath(m_strPath)), "one\r\ntwo\r\nthree\r\n");
    EXPECT_EQ(Read(m_strPath), "four\r\n");
    EXPECT_EQ(writer.GetLineCount(), 1);

    // A later rotation replaces the earlier aside file.
    ASSERT_TRUE(writer.Open(m_strPath, L"wt", 1));
    for (const char* psz : {"1", "2", "3"})
        ASSERT_TRUE(writer.WriteLine(psz));
    EXPECT_EQ(Read(CLogFileWriter::GetRotatedPath(m_strPath)), "2\r\n");
    EXPECT_EQ(Read(m_strPath), "3\r\n");
}

TEST_F(CommonLogFileWriter, NoLimitAndUnopenableFile)
{
    CLogFileWriter writer;
    ASSERT_TRUE(writer.Open(m_strPath, L"wt", 0));
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(writer.WriteLine("x"));
    EXPECT_EQ(writer.GetLineCount(), 50);
    EXPECT_EQ(Read(CLogFileWriter::GetRotatedPath(m_strPath)), "<missing>");

    CLogFileWriter bad;
    EXPECT_FALSE(bad.Open(m_strPath + L".missing-dir\\x.log", L"wt", 10));
    EXPECT_NE(bad.GetLastErrorCode(), 0u);
    EXPECT_FALSE(bad.WriteLine("lost"));
    EXPECT_FALSE(bad.Open(L"", L"wt", 10));
}
