// ZvCommon: the composed registry names, which the other programs and the migration tool must
// find under exactly these texts.
#include <gtest/gtest.h>

#include <string>

#include "ProcessLaunch.h"
#include "ZvNames.h"

TEST(CommonZvNames, ComposedKeysAreTheExactTexts)
{
    EXPECT_EQ(std::wstring(ZV_MAKER_KEY), L"Software\\V.Z.Q.");
    EXPECT_EQ(std::wstring(ZV_PROFILE_KEY), L"Software\\V.Z.Q.\\VZQZv");
    EXPECT_EQ(std::wstring(ZV_IMMIGRATE_KEY), L"Software\\V.Z.Q.Immigrate");
    EXPECT_EQ(std::wstring(IMMIGRATE_TOOL_ARGS), L"HKCU Software\\V.Z.Q.Immigrate HKCU Software\\V.Z.Q.");
    // The migration deletes the old key through its parent: both halves must give the whole key.
    EXPECT_EQ(std::wstring(IMMIGRATE_PARENT_KEY) + L"\\" + IMMIGRATE_SUBKEY, IMMIGRATE_KEY);
}

TEST(CommonZvNames, JoinKeepsEveryCharacterAndOneTerminator)
{
    constexpr auto joined = zvnames::JoinNames(L"", L"ab", L"", L"c");
    static_assert(sizeof(joined.sz) / sizeof(wchar_t) == 4);
    EXPECT_EQ(std::wstring(joined.sz), L"abc");
}
