// Framework: FormatString, LoadResString, code-page conversion, paths.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "Path.h"
#include "Strings.h"

// %s is a wide text and %hs a narrow one, as with the system's runtime.
TEST(FrameworkStrings, FormatsLikeMsvcrt)
{
    EXPECT_EQ(FormatString(L"%s=%d", L"LOGLINE", -1000), L"LOGLINE=-1000");
    EXPECT_EQ(FormatString(L"%hs|%-5s|100%%", "narrow", L"ab"), L"narrow|ab   |100%");
    EXPECT_EQ(FormatString(L"%x %X %08x", 0xBEEFu, 0xBEEFu, 0x1234u), L"beef BEEF 00001234");
    EXPECT_EQ(FormatString(L"ZvLog%04d%02d%02d.log", 2024, 3, 9), L"ZvLog20240309.log");
    EXPECT_EQ(FormatString(L""), L"");
    EXPECT_EQ(FormatString(L"%s", L"日本語"), L"日本語");
    // The runtime prints a pointer in upper-case hexadecimal, zero-filled to its width.
    void* pv = reinterpret_cast<void*>(static_cast<uintptr_t>(0xABC123));
    EXPECT_EQ(FormatString(L"%p", pv), sizeof(void*) == 8 ? L"0000000000ABC123" : L"00ABC123");

    // Long results, and results exactly at a buffer size the formatter tries.
    const std::wstring strLong(3000, L'z');
    EXPECT_EQ(FormatString(L"[%s]%d", strLong.c_str(), 7), L"[" + strLong + L"]7");
    for (size_t n : {255u, 256u}) {
        const std::wstring str(n, L'a');
        EXPECT_EQ(FormatString(L"%s", str.c_str()), str) << n;
    }
}

TEST(FrameworkStrings, LoadsResourceStrings)
{
    // The test program has no string table.
    EXPECT_EQ(LoadResString(12345), L"");
    EXPECT_EQ(LoadResString(1, GetModuleHandleW(nullptr)), L"");

    // Any string of user32's table, compared with LoadStringW into a large buffer.
    HMODULE hUser32 = GetModuleHandleW(L"user32.dll");
    ASSERT_NE(hUser32, nullptr);
    wchar_t szExpected[4096];
    for (UINT nId = 1; nId < 4096; ++nId) {
        const int nLen = LoadStringW(hUser32, nId, szExpected, 4096);
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

    // The module's folder, without a closing backslash.
    EXPECT_EQ(GetModuleDir() + L"\\ZvUnitTests.exe", GetModuleFilePath());
    HMODULE hKernel = GetModuleHandleW(L"kernel32.dll");
    const std::wstring strKernelDir = GetModuleDir(hKernel);
    const std::wstring strKernelPath = GetModuleFilePath(hKernel);
    ASSERT_FALSE(strKernelDir.empty());
    EXPECT_EQ(strKernelPath.rfind(L'\\'), strKernelDir.size());
    EXPECT_EQ(strKernelPath.compare(0, strKernelDir.size(), strKernelDir), 0);
    // A handle that is no module has no file and so no folder.
    EXPECT_EQ(GetModuleDir(reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x10))), L"");
}
