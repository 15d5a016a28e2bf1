#include "Profile.h"

#include <cwchar>
#include <vector>

#include "Path.h"
#include "Strings.h"

CProfile CProfile::ForModule(HMODULE hModule)
{
    std::wstring strPath = GetModuleFilePath(hModule);
    CProfile profile;
    profile.m_strProfileName = GetFileBaseName(strPath);
    profile.m_strIniPath = ReplaceFileExtension(strPath, L".INI");
    return profile;
}

void CProfile::SetRegistryKey(LPCWSTR pszKey)
{
    m_strRegistryKey = pszKey ? pszKey : L"";
}

void CProfile::SetProfileName(LPCWSTR pszName)
{
    m_strProfileName = pszName ? pszName : L"";
}

void CProfile::SetIniPath(LPCWSTR pszPath)
{
    m_strIniPath = pszPath ? pszPath : L"";
}

std::wstring CProfile::GetSectionKeyPath(LPCWSTR pszSection) const
{
    return L"Software\\" + m_strRegistryKey + L"\\" + m_strProfileName + L"\\" + pszSection;
}

HKEY CProfile::OpenSectionKey(LPCWSTR pszSection, BOOL bCreate) const
{
    std::wstring strPath = GetSectionKeyPath(pszSection);
    HKEY hKey = nullptr;
    LONG lResult = bCreate
        ? RegCreateKeyExW(HKEY_CURRENT_USER, strPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, &hKey, nullptr)
        : RegOpenKeyExW(HKEY_CURRENT_USER, strPath.c_str(), 0, KEY_READ, &hKey);
    return lResult == ERROR_SUCCESS ? hKey : nullptr;
}

UINT CProfile::GetInt(LPCWSTR pszSection, LPCWSTR pszEntry, int nDefault) const
{
    if (!UsesRegistry()) {
        // As GetPrivateProfileIntW, but an empty value also reads as the default.
        std::wstring str = GetString(pszSection, pszEntry, L"");
        if (str.empty())
            return static_cast<UINT>(nDefault);
        return static_cast<UINT>(static_cast<int>(wcstoll(str.c_str(), nullptr, 10)));
    }
    HKEY hKey = OpenSectionKey(pszSection, FALSE);
    if (!hKey)
        return static_cast<UINT>(nDefault);
    DWORD dwType = 0;
    DWORD dwValue = 0;
    DWORD cbValue = sizeof(dwValue);
    LONG lResult = RegQueryValueExW(hKey, pszEntry, nullptr, &dwType,
                                    reinterpret_cast<BYTE*>(&dwValue), &cbValue);
    RegCloseKey(hKey);
    if (lResult != ERROR_SUCCESS || dwType != REG_DWORD || cbValue != sizeof(dwValue))
        return static_cast<UINT>(nDefault);
    return dwValue;
}

BOOL CProfile::WriteInt(LPCWSTR pszSection, LPCWSTR pszEntry, int nValue) const
{
    // An INI write counts its failure in WriteString.
    if (!UsesRegistry())
        return WriteString(pszSection, pszEntry, FormatString(L"%d", nValue).c_str());
    HKEY hKey = OpenSectionKey(pszSection, TRUE);
    if (!hKey) {
        ++m_nWriteFailures;
        return FALSE;
    }
    DWORD dwValue = static_cast<DWORD>(nValue);
    LONG lResult = RegSetValueExW(hKey, pszEntry, 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&dwValue), sizeof(dwValue));
    RegCloseKey(hKey);
    if (lResult != ERROR_SUCCESS)
        ++m_nWriteFailures;
    return lResult == ERROR_SUCCESS;
}

std::wstring CProfile::GetString(LPCWSTR pszSection, LPCWSTR pszEntry, LPCWSTR pszDefault) const
{
    if (!pszDefault)
        pszDefault = L"";
    if (!UsesRegistry()) {
        // GetPrivateProfileStringW returns size - 1 when the text was cut.
        std::vector<wchar_t> buf(256);
        for (;;) {
            DWORD dwLen = GetPrivateProfileStringW(pszSection, pszEntry, pszDefault, buf.data(),
                                                   static_cast<DWORD>(buf.size()), m_strIniPath.c_str());
            if (dwLen + 1 < buf.size())
                return std::wstring(buf.data(), dwLen);
            buf.resize(buf.size() * 2);
        }
    }
    HKEY hKey = OpenSectionKey(pszSection, FALSE);
    if (!hKey)
        return pszDefault;
    std::wstring str = pszDefault;
    DWORD dwType = 0;
    DWORD cbData = 0;
    if (RegQueryValueExW(hKey, pszEntry, nullptr, &dwType, nullptr, &cbData) == ERROR_SUCCESS
        && dwType == REG_SZ) {
        // One character more than stored: the stored text need not end in a zero.
        std::vector<wchar_t> buf(cbData / sizeof(wchar_t) + 1, L'\0');
        DWORD cbBuf = cbData;
        if (RegQueryValueExW(hKey, pszEntry, nullptr, &dwType, reinterpret_cast<BYTE*>(buf.data()),
                             &cbBuf) == ERROR_SUCCESS && dwType == REG_SZ)
            str = buf.data();
    }
    RegCloseKey(hKey);
    return str;
}

BOOL CProfile::WriteString(LPCWSTR pszSection, LPCWSTR pszEntry, LPCWSTR pszValue) const
{
    if (!UsesRegistry()) {
        const BOOL bOk = WritePrivateProfileStringW(pszSection, pszEntry, pszValue, m_strIniPath.c_str());
        if (!bOk)
            ++m_nWriteFailures;
        return bOk;
    }
    if (!pszEntry) {
        LONG lResult = RegDeleteKeyW(HKEY_CURRENT_USER, GetSectionKeyPath(pszSection).c_str());
        if (lResult != ERROR_SUCCESS && lResult != ERROR_FILE_NOT_FOUND)
            ++m_nWriteFailures;
        return lResult == ERROR_SUCCESS || lResult == ERROR_FILE_NOT_FOUND;
    }
    HKEY hKey = OpenSectionKey(pszSection, TRUE);
    if (!hKey) {
        ++m_nWriteFailures;
        return FALSE;
    }
    LONG lResult;
    if (!pszValue) {
        lResult = RegDeleteValueW(hKey, pszEntry);
        if (lResult == ERROR_FILE_NOT_FOUND)
            lResult = ERROR_SUCCESS;
    } else {
        DWORD cbValue = static_cast<DWORD>((wcslen(pszValue) + 1) * sizeof(wchar_t));
        lResult = RegSetValueExW(hKey, pszEntry, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszValue), cbValue);
    }
    RegCloseKey(hKey);
    if (lResult != ERROR_SUCCESS)
        ++m_nWriteFailures;
    return lResult == ERROR_SUCCESS;
}
