// Framework: CProfile in the registry and in an INI file, and the application's profile.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "Profile.h"
#include "Strings.h"

namespace {
// A registry key of its own per test process, deleted afterwards.
class FrameworkProfileRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_strKey = FormatString(L"ZvFrameworkTest%lu", GetCurrentProcessId());
        m_profile.SetRegistryKey(m_strKey.c_str());
        m_profile.SetProfileName(L"Prof");
    }
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + m_strKey).c_str());
    }

    std::wstring m_strKey;
    CProfile m_profile;
};

// A temporary file of its own per test process, deleted afterwards.
class FrameworkProfileIni : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t szDir[MAX_PATH];
        GetTempPathW(MAX_PATH, szDir);
        m_strPath = FormatString(L"%sZvFrameworkTest%lu.INI", szDir, GetCurrentProcessId());
        DeleteFileW(m_strPath.c_str());
        m_profile.SetIniPath(m_strPath.c_str());
    }
    void TearDown() override { DeleteFileW(m_strPath.c_str()); }

    std::wstring m_strPath;
    CProfile m_profile;
};
}

TEST_F(FrameworkProfileRegistry, NumbersRoundTripAsDword)
{
    EXPECT_EQ(m_profile.GetInt(L"Sec", L"A", 42), 42u);   // absent
    EXPECT_TRUE(m_profile.WriteInt(L"Sec", L"A", 1234));
    EXPECT_EQ(m_profile.GetInt(L"Sec", L"A", 42), 1234u);
    EXPECT_TRUE(m_profile.WriteInt(L"Sec", L"Negative", -5));
    EXPECT_EQ(static_cast<int>(m_profile.GetInt(L"Sec", L"Negative", 0)), -5);

    // Where and how it was stored.
    DWORD dwValue = 0;
    DWORD cbValue = sizeof(dwValue);
    DWORD dwType = 0;
    std::wstring strPath = L"Software\\" + m_strKey + L"\\Prof\\Sec";
    EXPECT_EQ(m_profile.GetSectionKeyPath(L"Sec"), strPath);
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, strPath.c_str(), L"Negative", RRF_RT_ANY, &dwType,
                           &dwValue, &cbValue), ERROR_SUCCESS);
    EXPECT_EQ(dwType, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(dwValue, 0xFFFFFFFBUL);
}

TEST_F(FrameworkProfileRegistry, StringsRoundTripAsRegSz)
{
    EXPECT_EQ(m_profile.GetString(L"Sec", L"S", L"dflt"), L"dflt");
    EXPECT_TRUE(m_profile.WriteString(L"Sec", L"S", L"日本語 text"));
    EXPECT_EQ(m_profile.GetString(L"Sec", L"S", L"dflt"), L"日本語 text");
    std::wstring strLong(3000, L'x');
    EXPECT_TRUE(m_profile.WriteString(L"Sec", L"Long", strLong.c_str()));
    EXPECT_EQ(m_profile.GetString(L"Sec", L"Long"), strLong);
    EXPECT_TRUE(m_profile.WriteString(L"Sec", L"Empty", L""));
    EXPECT_EQ(m_profile.GetString(L"Sec", L"Empty", L"dflt"), L"");

    DWORD dwType = 0;
    std::wstring strPath = m_profile.GetSectionKeyPath(L"Sec");
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, strPath.c_str(), L"S", RRF_RT_ANY, &dwType, nullptr,
                           nullptr), ERROR_SUCCESS);
    EXPECT_EQ(dwType, static_cast<DWORD>(REG_SZ));
}

TEST_F(FrameworkProfileRegistry, WrongTypeReadsAsDefault)
{
    m_profile.WriteString(L"Sec", L"Text", L"12");
    m_profile.WriteInt(L"Sec", L"Number", 12);
    EXPECT_EQ(m_profile.GetInt(L"Sec", L"Text", 99), 99u);
    EXPECT_EQ(m_profile.GetString(L"Sec", L"Number", L"dflt"), L"dflt");

    // A REG_BINARY of four bytes is no number either.
    HKEY hKey = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, m_profile.GetSectionKeyPath(L"Sec").c_str(), 0,
                            KEY_SET_VALUE, &hKey), ERROR_SUCCESS);
    DWORD dwValue = 5;
    RegSetValueExW(hKey, L"Binary", 0, REG_BINARY, reinterpret_cast<BYTE*>(&dwValue), sizeof(dwValue));
    RegCloseKey(hKey);
    EXPECT_EQ(m_profile.GetInt(L"Sec", L"Binary", 99), 99u);
}

TEST_F(FrameworkProfileRegistry, DeleteEntryAndSection)
{
    m_profile.WriteInt(L"Sec", L"A", 1);
    m_profile.WriteInt(L"Sec", L"B", 2);
    EXPECT_TRUE(m_profile.WriteString(L"Sec", L"A", nullptr));
    EXPECT_EQ(m_profile.GetInt(L"Sec", L"A", 99), 99u);
    EXPECT_EQ(m_profile.GetInt(L"Sec", L"B", 99), 2u);
    EXPECT_TRUE(m_profile.WriteString(L"Sec", nullptr, nullptr));
    EXPECT_EQ(m_profile.GetInt(L"Sec", L"B", 99), 99u);
}

TEST_F(FrameworkProfileIni, FallsBackToIniFile)
{
    EXPECT_FALSE(m_profile.UsesRegistry());
    EXPECT_EQ(m_profile.GetInt(L"Sec", L"A", 42), 42u);
    EXPECT_EQ(m_profile.GetString(L"Sec", L"S", L"dflt"), L"dflt");
    EXPECT_TRUE(m_profile.WriteInt(L"Sec", L"A", 1234));
    EXPECT_TRUE(m_profile.WriteInt(L"Sec", L"Negative", -5));
    EXPECT_TRUE(m_profile.WriteString(L"Sec", L"S", L"a value"));
    EXPECT_EQ(m_profile.GetInt(L"Sec", L"A", 42), 1234u);
    EXPECT_EQ(static_cast<int>(m_profile.GetInt(L"Sec", L"Negative", 0)), -5);
    EXPECT_EQ(m_profile.GetString(L"Sec", L"S", L"dflt"), L"a value");

    // It is the file, not the registry.
    EXPECT_NE(GetFileAttributesW(m_strPath.c_str()), INVALID_FILE_ATTRIBUTES);
    wchar_t szValue[64] = {};
    GetPrivateProfileStringW(L"Sec", L"A", L"", szValue, 64, m_strPath.c_str());
    EXPECT_STREQ(szValue, L"1234");

    std::wstring strLong(2000, L'y');
    EXPECT_TRUE(m_profile.WriteString(L"Sec", L"Long", strLong.c_str()));
    EXPECT_EQ(m_profile.GetString(L"Sec", L"Long"), strLong);

    EXPECT_TRUE(m_profile.WriteString(L"Sec", L"S", nullptr));
    EXPECT_EQ(m_profile.GetString(L"Sec", L"S", L"dflt"), L"dflt");
}

TEST(FrameworkProfile, ForModuleNamesTheProgram)
{
    CProfile profile = CProfile::ForModule();
    EXPECT_EQ(profile.GetProfileName(), L"ZvUnitTests");
    EXPECT_TRUE(profile.GetRegistryKey().empty());
    const std::wstring& strIni = profile.GetIniPath();
    ASSERT_GT(strIni.size(), 16u);
    EXPECT_EQ(strIni.substr(strIni.size() - 16), L"\\ZvUnitTests.INI");
}
