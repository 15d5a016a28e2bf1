// The Japanese string tables of the built programs, read as Windows reads them. The resource
// scripts are UTF-8; a resource compiler run with the wrong code page would store mojibake here.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <utility>
#include "ZvTestKit.h"

namespace {

// The string with this id from the program's resources, or nothing when it has none.
std::optional<std::wstring> LoadProgramString(const wchar_t* pszProgram, UINT nId)
{
    HMODULE hMod = LoadLibraryExW(zvkit::LayoutPath(pszProgram).c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!hMod)
        return std::nullopt;
    const wchar_t* p = nullptr;
    int n = LoadStringW(hMod, nId, reinterpret_cast<LPWSTR>(&p), 0);  // 0: points into the resource
    std::optional<std::wstring> s;
    if (n > 0 && p)
        s = std::wstring(p, static_cast<size_t>(n));
    FreeLibrary(hMod);
    return s;
}

TEST(StringTable, CoreInitFailure)
{
    EXPECT_EQ(LoadProgramString(L"ZvCore64.exe", 107),
              std::optional<std::wstring>(
                  L"初期化に失敗しました (CreateMutex()=NULL, code=0x%x).\nコンピュータを再起動して下さい."));
}

TEST(StringTable, CoreAppName)
{
    EXPECT_EQ(LoadProgramString(L"ZvCore64.exe", 104), std::optional<std::wstring>(L"Zuvora!"));
}

TEST(StringTable, GatewayInitFailure)
{
    EXPECT_EQ(LoadProgramString(L"ZvHook32to64.exe", 104),
              std::optional<std::wstring>(
                  L"初期化に失敗しました (HookGateway初期化失敗, code=0x%x).\nコンピュータを再起動して下さい."));
}

TEST(StringTable, SettingsAppName)
{
    EXPECT_EQ(LoadProgramString(L"ZvProperty64.exe", 102), std::optional<std::wstring>(L"Zuvora!"));
    EXPECT_EQ(LoadProgramString(L"ZvProperty64.exe", 103),
              std::optional<std::wstring>(L"Zuvora! Property Setting Utility"));
    EXPECT_EQ(LoadProgramString(L"ZvProperty64.exe", 101),
              std::optional<std::wstring>(L"Zuvora! のプロパティ バージョン情報(&A)..."));
}

TEST(StringTable, MissingStringIsNone)
{
    EXPECT_EQ(LoadProgramString(L"ZvCore64.exe", 65000), std::nullopt);
}

// Each table is tagged Japanese, so that a system with another user language still finds it.
TEST(StringTable, TablesAreJapanese)
{
    for (const auto& [pszProgram, nId] : {std::pair{L"ZvCore64.exe", 107u}, std::pair{L"ZvHook32to64.exe", 104u},
                                          std::pair{L"ZvProperty64.exe", 101u}}) {
        HMODULE hMod = LoadLibraryExW(zvkit::LayoutPath(pszProgram).c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(hMod, nullptr) << "cannot load " << testing::PrintToString(std::wstring(pszProgram));
        // Strings lie in blocks of 16; block n + 1 holds ids 16n to 16n + 15.
        HRSRC hRes = FindResourceExW(hMod, RT_STRING, MAKEINTRESOURCEW(nId / 16 + 1),
                                     MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
        EXPECT_NE(hRes, nullptr) << testing::PrintToString(std::wstring(pszProgram));
        FreeLibrary(hMod);
    }
}

// The stored text by its code points, which no reading of this source file can change: the
// first three characters of string 107 are "初期化".
TEST(StringTableSource, StoredTextIsUtf16OfTheJapaneseCharacters)
{
    std::optional<std::wstring> s = LoadProgramString(L"ZvCore64.exe", 107);
    ASSERT_TRUE(s.has_value());
    ASSERT_GE(s->size(), 3u);
    EXPECT_EQ((*s)[0], 0x521D);
    EXPECT_EQ((*s)[1], 0x671F);
    EXPECT_EQ((*s)[2], 0x5316);
}

// The line feed in the texts is one real U+000A, not a backslash and an "n".
TEST(StringTableSource, LineFeedIsARealOne)
{
    std::optional<std::wstring> s = LoadProgramString(L"ZvCore64.exe", 107);
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(s->find(L"\\n"), std::wstring::npos);
    size_t lf = s->find(L'\n');
    ASSERT_NE(lf, std::wstring::npos);
    EXPECT_EQ(s->substr(lf + 1), L"コンピュータを再起動して下さい.");
}

}  // namespace
