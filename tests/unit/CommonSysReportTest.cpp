// Shared foundation: the operating-system report and the file-version report.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "OSClass.h"
#include "SysReport.h"

TEST(CommonSysReport, OSVersionTextOfARecord)
{
    OSVERSIONINFOEXW osvi{};
    osvi.dwPlatformId = 2;
    osvi.dwMajorVersion = 10;
    osvi.dwMinorVersion = 0;
    osvi.wServicePackMajor = 1;
    osvi.wServicePackMinor = 2;
    osvi.dwBuildNumber = 19045;
    osvi.wSuiteMask = 0x100;
    osvi.wProductType = 1;
    EXPECT_EQ(FormatOSVersionString(osvi, 7, L","),
              L"OS Version :,Platform ID = 2 (0x2),Major = 10 (0xa),Minor = 0 (0x0),"
              L"Service Pack Major = 1 (0x1),Service Pack Minor = 2 (0x2),Build Number = 19045 (0x4a65),"
              L"SuiteMask = 256 (0x100),ProductType = 1 (0x1),Val = 7 (0x7)\n");
    // An empty or missing separator is a blank.
    const std::wstring strBlank = FormatOSVersionString(osvi, 0, L"");
    EXPECT_EQ(strBlank.rfind(L"OS Version : Platform ID = 2 (0x2) Major = 10 (0xa) ", 0), 0u) << strBlank;
    EXPECT_EQ(FormatOSVersionString(osvi, 0, nullptr), strBlank);
}

TEST(CommonSysReport, OSVersionTextOfTheRunningSystem)
{
    SetOSClassOverride(-1);
    std::wstring str;
    ASSERT_TRUE(GetOSVersionString(str, L"\n"));
    // Ten lines: the heading and nine values, the last one the class.
    size_t nLines = 0;
    for (wchar_t ch : str)
        nLines += ch == L'\n';
    EXPECT_EQ(nLines, 10u) << str;
    const int nClass = GetOSClass();
    EXPECT_NE(str.find(L"\nVal = " + std::to_wstring(nClass) + L" (0x"), std::wstring::npos) << str;

    SetOSClassOverride(5);
    ASSERT_TRUE(GetOSVersionString(str, L","));
    SetOSClassOverride(-1);
    EXPECT_NE(str.find(L",Val = 5 (0x5)\n"), std::wstring::npos) << str;
}

TEST(CommonSysReport, FileVersionLines)
{
    const std::vector<FILE_VERSION_SET> lst = {
        {L"ZvCore64.exe", 0x00090000, 0x00000001},
        {L"ZvHook64.dll", 0x000A000B, 0xFFFF0010},
        {L"AVeryLongFileName.dll", 0x00010002, 0x00030004},
    };
    std::wstring str = L"stale";
    EXPECT_TRUE(GetFileVersionSetString(lst, str, L"\r\n"));
    EXPECT_EQ(str, L" ZvCore64.exe     9.0.0.1\r\n"
                   L" ZvHook64.dll     A.B.FFFF.10\r\n"
                   L" AVeryLongFileName.dll 1.2.3.4");

    EXPECT_TRUE(GetFileVersionSetString({lst[0]}, str, L","));
    EXPECT_EQ(str, L" ZvCore64.exe     9.0.0.1");
    EXPECT_TRUE(GetFileVersionSetString({}, str, L","));
    EXPECT_EQ(str, L"");
}
