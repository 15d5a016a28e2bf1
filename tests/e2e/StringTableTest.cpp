// The Japanese string tables of the built programs, read as Windows reads them. The resource
// scripts are UTF-8; a resource compiler run with the wrong code page would store mojibake here.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <utility>
#include "CoreIds.h"
#include "GatewayIds.h"
#include "ZvNames.h"
#include "ZvTestKit.h"
#include "settings/resource.h"

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
    EXPECT_EQ(LoadProgramString(ZV_CORE64_FILE, zvcoreids::kStrErrMutex),
              std::optional<std::wstring>(
                  L"初期化に失敗しました (CreateMutex()=NULL, code=0x%x).\nコンピュータを再起動して下さい."));
}

TEST(StringTable, CoreAppName)
{
    EXPECT_EQ(LoadProgramString(ZV_CORE64_FILE, zvcoreids::kStrAppName), std::optional<std::wstring>(L"Zuvora!"));
}

TEST(StringTable, GatewayInitFailure)
{
    EXPECT_EQ(LoadProgramString(ZV_HOOK32TO64_FILE, zvgtwyids::kStrErrHkGtwy),
              std::optional<std::wstring>(
                  L"初期化に失敗しました (HookGateway初期化失敗, code=0x%x).\nコンピュータを再起動して下さい."));
}

TEST(StringTable, SettingsAppName)
{
    EXPECT_EQ(LoadProgramString(ZV_PROPERTY64_FILE, IDS_ZV_CAPTION), std::optional<std::wstring>(L"Zuvora!"));
    EXPECT_EQ(LoadProgramString(ZV_PROPERTY64_FILE, IDS_ZV_APP_NAME),
              std::optional<std::wstring>(L"Zuvora! Property Setting Utility"));
    EXPECT_EQ(LoadProgramString(ZV_PROPERTY64_FILE, IDS_ZV_ABOUTBOX),
              std::optional<std::wstring>(L"Zuvora! のプロパティ バージョン情報(&A)..."));
}

TEST(StringTable, MissingStringIsNone)
{
    EXPECT_EQ(LoadProgramString(ZV_CORE64_FILE, 65000), std::nullopt);
}

// Each table is tagged Japanese, so that a system with another user language still finds it.
TEST(StringTable, TablesAreJapanese)
{
    for (const auto& [pszProgram, nId] :
         {std::pair{ZV_CORE64_FILE, zvcoreids::kStrErrMutex}, std::pair{ZV_HOOK32TO64_FILE, zvgtwyids::kStrErrHkGtwy},
          std::pair{ZV_PROPERTY64_FILE, static_cast<unsigned>(IDS_ZV_ABOUTBOX)}}) {
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
// first three characters of the core's start failure text are "初期化".
TEST(StringTableSource, StoredTextIsUtf16OfTheJapaneseCharacters)
{
    std::optional<std::wstring> s = LoadProgramString(ZV_CORE64_FILE, zvcoreids::kStrErrMutex);
    ASSERT_TRUE(s.has_value());
    ASSERT_GE(s->size(), 3u);
    EXPECT_EQ((*s)[0], 0x521D);
    EXPECT_EQ((*s)[1], 0x671F);
    EXPECT_EQ((*s)[2], 0x5316);
}

// The line feed in the texts is one real U+000A, not a backslash and an "n".
TEST(StringTableSource, LineFeedIsARealOne)
{
    std::optional<std::wstring> s = LoadProgramString(ZV_CORE64_FILE, zvcoreids::kStrErrMutex);
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(s->find(L"\\n"), std::wstring::npos);
    size_t lf = s->find(L'\n');
    ASSERT_NE(lf, std::wstring::npos);
    EXPECT_EQ(s->substr(lf + 1), L"コンピュータを再起動して下さい.");
}

}  // namespace
