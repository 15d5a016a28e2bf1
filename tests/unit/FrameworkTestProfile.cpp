// Framework: CProfile in the registry and in an INI file.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "Profile.h"
#include "Strings.h"

namespace {
// A registry key and an INI file of their own per test process, removed afterwards.
class FrameworkProfile : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_strKey = FormatString(L"ZvFrameworkTest%lu", GetCurrentProcessId());
        m_reg.SetRegistryKey(m_strKey.c_str());
        m_reg.SetProfileName(L"Prof");
        wchar_t szDir[MAX_PATH];
        GetTempPathW(MAX_PATH, szDir);
        m_strIni = FormatString(L"%sZvFrameworkTest%lu.INI", szDir, GetCurrentProcessId());
        DeleteFileW(m_strIni.c_str());
        m_ini.SetIniPath(m_strIni.c_str());
    }
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + m_strKey).c_str());
        DeleteFileW(m_strIni.c_str());
    }

    // What either store must give back. An INI file made by the system is not Unicode, so it
    // gets a plain text.
    static void RoundTrip(const CProfile& profile, const wchar_t* pszText)
    {
        EXPECT_EQ(profile.GetInt(L"Sec", L"A", 42), 42u);   // absent
        EXPECT_EQ(profile.GetString(L"Sec", L"S", L"dflt"), L"dflt");
        const std::wstring strLong(3000, L'x');
        EXPECT_TRUE(profile.WriteInt(L"Sec", L"A", 1234));
        EXPECT_TRUE(profile.WriteInt(L"Sec", L"Negative", -5));
        EXPECT_TRUE(profile.WriteString(L"Sec", L"S", pszText));
        EXPECT_TRUE(profile.WriteString(L"Sec", L"Long", strLong.c_str()));
        EXPECT_TRUE(profile.WriteString(L"Sec", L"Empty", L""));
        EXPECT_EQ(profile.GetString(L"Sec", L"S", L"dflt"), pszText);
        EXPECT_TRUE(profile.WriteString(L"Sec", L"S", nullptr));
        EXPECT_EQ(profile.GetString(L"Sec", L"S", L"dflt"), L"dflt");   // deleted, and only that entry
        EXPECT_EQ(profile.GetInt(L"Sec", L"A", 42), 1234u);
        EXPECT_EQ(static_cast<int>(profile.GetInt(L"Sec", L"Negative", 0)), -5);
        EXPECT_EQ(profile.GetString(L"Sec", L"Long"), strLong);
        EXPECT_EQ(profile.GetString(L"Sec", L"Empty", L"dflt"), L"");
    }

    std::wstring m_strKey, m_strIni;
    CProfile m_reg, m_ini;
};
}

TEST_F(FrameworkProfile, RegistryStoresNumbersAsDwordAndTextsAsRegSz)
{
    ASSERT_TRUE(m_reg.UsesRegistry());
    RoundTrip(m_reg, L"日本語 text");

    const std::wstring strPath = L"Software\\" + m_strKey + L"\\Prof\\Sec";
    EXPECT_EQ(m_reg.GetSectionKeyPath(L"Sec"), strPath);
    DWORD dwValue = 0, cbValue = sizeof(dwValue), dwType = 0;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, strPath.c_str(), L"Negative", RRF_RT_ANY, &dwType, &dwValue, &cbValue), ERROR_SUCCESS);
    EXPECT_EQ(dwType, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(dwValue, 0xFFFFFFFBUL);
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, strPath.c_str(), L"Long", RRF_RT_ANY, &dwType, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(dwType, static_cast<DWORD>(REG_SZ));

    // A value of another type reads as the default: a text, a number, four bytes of REG_BINARY.
    EXPECT_TRUE(m_reg.WriteString(L"Sec", L"Text", L"12"));
    EXPECT_EQ(m_reg.GetInt(L"Sec", L"Text", 99), 99u);
    EXPECT_EQ(m_reg.GetString(L"Sec", L"A", L"dflt"), L"dflt");
    dwValue = 5;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, strPath.c_str(), L"Binary", REG_BINARY, &dwValue, sizeof(dwValue)), ERROR_SUCCESS);
    EXPECT_EQ(m_reg.GetInt(L"Sec", L"Binary", 99), 99u);

    EXPECT_TRUE(m_reg.WriteString(L"Sec", nullptr, nullptr));
    EXPECT_EQ(m_reg.GetInt(L"Sec", L"A", 99), 99u) << "the whole section is gone";
}

TEST_F(FrameworkProfile, WithoutARegistryKeyTheIniFileIsUsed)
{
    ASSERT_FALSE(m_ini.UsesRegistry());
    RoundTrip(m_ini, L"a value");
    wchar_t szValue[64] = {};
    GetPrivateProfileStringW(L"Sec", L"A", L"", szValue, 64, m_strIni.c_str());
    EXPECT_STREQ(szValue, L"1234");
}
