// Framework: FormatString, LoadResString, code-page conversion, paths.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "Path.h"
#include "Strings.h"

TEST(FrameworkStrings, FormatsLikeMsvcrt)
{
    EXPECT_EQ(FormatString(L"%s=%d", L"LOGLINE", 1000), L"LOGLINE=1000");
    EXPECT_EQ(FormatString(L"%hs", "narrow"), L"narrow");
    EXPECT_EQ(FormatString(L"%x %X", 0xBEEFu, 0xBEEFu), L"beef BEEF");
    EXPECT_EQ(FormatString(L"ZvLog%04d%02d%02d.log", 2024, 3, 9), L"ZvLog20240309.log");
    EXPECT_EQ(FormatString(L"%d", -42), L"-42");
    EXPECT_EQ(FormatString(L"%08x", 0x1234u), L"00001234");
    EXPECT_EQ(FormatString(L"%-5s|", L"ab"), L"ab   |");
    EXPECT_EQ(FormatString(L"100%%"), L"100%");
    EXPECT_EQ(FormatString(L""), L"");
    // The runtime prints a pointer in upper-case hexadecimal, zero-filled to its width.
    void* pv = reinterpret_cast<void*>(static_cast<uintptr_t>(0xABC123));
    EXPECT_EQ(FormatString(L"%p", pv), sizeof(void*) == 8 ? L"0000000000ABC123" : L"00ABC123");
    EXPECT_EQ(FormatString(L"%s", L"日本語"), L"日本語");
}

TEST(FrameworkStrings, FormatsLongResults)
{
    std::wstring strLong(3000, L'z');
    std::wstring str = FormatString(L"[%s]%d", strLong.c_str(), 7);
    EXPECT_EQ(str.size(), 3003u);
    EXPECT_EQ(str, L"[" + strLong + L"]7");
    // Exactly at a buffer size the formatter tries.
    std::wstring str256(256, L'a');
    EXPECT_EQ(FormatString(L"%s", str256.c_str()), str256);
    std::wstring str255(255, L'b');
    EXPECT_EQ(FormatString(L"%s", str255.c_str()), str255);
}

TEST(FrameworkStrings, MissingStringIsEmpty)
{
    // The test program has no string table.
    EXPECT_EQ(LoadResString(12345), L"");
    EXPECT_EQ(LoadResString(1, GetModuleHandleW(nullptr)), L"");
}

TEST(FrameworkStrings, LoadsStringOfASystemModule)
{
    // Any string of user32's table, compared with LoadStringW into a large buffer.
    HMODULE hUser32 = GetModuleHandleW(L"user32.dll");
    ASSERT_NE(hUser32, nullptr);
    wchar_t szExpected[4096];
    for (UINT nId = 1; nId < 4096; ++nId) {
        int nLen = LoadStringW(hUser32, nId, szExpected, 4096);
        if (nLen > 0) {
            EXPECT_EQ(LoadResString(nId, hUser32), std::wstring(szExpected, nLen));
            return;
        }
    }
    GTEST_SKIP() << "user32 has no string below 4096 here";
}

TEST(FrameworkStrings, ConvertsCodePage932)
{
    const char szSjis[] = "\x93\xfa\x96\x7b\x8c\xea ABC";   // "日本語 ABC" in code page 932
    EXPECT_EQ(WideFromMultiByte(szSjis, 932), L"日本語 ABC");
    EXPECT_EQ(MultiByteFromWide(L"日本語 ABC", 932), std::string(szSjis));
    EXPECT_EQ(WideFromMultiByte("", 932), L"");
    EXPECT_EQ(MultiByteFromWide(nullptr, 932), "");
}

TEST(FrameworkStrings, DerivesPaths)
{
    EXPECT_EQ(ReplaceFileExtension(L"C:\\A\\ZvCore64.exe", L".INI"), L"C:\\A\\ZvCore64.INI");
    EXPECT_EQ(ReplaceFileExtension(L"C:\\A.B\\Zv", L".CHM"), L"C:\\A.B\\Zv.CHM");
    EXPECT_EQ(GetFileBaseName(L"C:\\A\\ZvCore64.exe"), L"ZvCore64");
    EXPECT_EQ(GetFileBaseName(L"C:/A.B/Zv"), L"Zv");
    std::wstring strPath = GetModuleFilePath();
    EXPECT_EQ(GetFileBaseName(strPath), L"ZvUnitTests");
}

TEST(FrameworkStrings, ModuleDirIsTheFolderOfTheModuleFile)
{
    const std::wstring strDir = GetModuleDir();
    ASSERT_FALSE(strDir.empty());
    EXPECT_NE(strDir.back(), L'\\');
    EXPECT_EQ(strDir + L"\\ZvUnitTests.exe", GetModuleFilePath());

    HMODULE hKernel = GetModuleHandleW(L"kernel32.dll");
    ASSERT_NE(hKernel, nullptr);
    const std::wstring strKernelDir = GetModuleDir(hKernel);
    const std::wstring strKernelPath = GetModuleFilePath(hKernel);
    ASSERT_FALSE(strKernelDir.empty());
    EXPECT_EQ(strKernelPath.rfind(L'\\'), strKernelDir.size());
    EXPECT_EQ(strKernelPath.compare(0, strKernelDir.size(), strKernelDir), 0);
    // A handle that is no module has no file and so no folder.
    EXPECT_EQ(GetModuleDir(reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x10))), L"");
}
