// Profile: numbers and texts of a program's settings, in the registry or in an INI file.
#pragma once

#include <windows.h>

#include <string>

// With a registry key, values live under
//   HKEY_CURRENT_USER\Software\<registry key>\<profile name>\<section>
// as REG_DWORD (numbers) and REG_SZ (texts); a value of another type reads as the
// default. Without one, they live in the INI file through Get/WritePrivateProfileStringW
// (numbers as decimal text).
class CProfile {
public:
    CProfile() = default;
    // No registry key, profile name = the module's base name, INI file = the module's
    // path with ".INI" (null: the program's own module).
    static CProfile ForModule(HMODULE hModule = nullptr);

    void SetRegistryKey(LPCWSTR pszKey);   // null or "": use the INI file
    void SetProfileName(LPCWSTR pszName);
    void SetIniPath(LPCWSTR pszPath);
    const std::wstring& GetRegistryKey() const { return m_strRegistryKey; }
    const std::wstring& GetProfileName() const { return m_strProfileName; }
    const std::wstring& GetIniPath() const { return m_strIniPath; }
    BOOL UsesRegistry() const { return !m_strRegistryKey.empty(); }
    // "Software\<registry key>\<profile name>\<section>" below HKEY_CURRENT_USER.
    std::wstring GetSectionKeyPath(LPCWSTR pszSection) const;

    // A negative number is stored as its two's complement and comes back as such.
    UINT GetInt(LPCWSTR pszSection, LPCWSTR pszEntry, int nDefault) const;
    BOOL WriteInt(LPCWSTR pszSection, LPCWSTR pszEntry, int nValue) const;
    std::wstring GetString(LPCWSTR pszSection, LPCWSTR pszEntry, LPCWSTR pszDefault = L"") const;
    // pszValue null deletes the entry; pszEntry null deletes the whole section.
    BOOL WriteString(LPCWSTR pszSection, LPCWSTR pszEntry, LPCWSTR pszValue) const;
    // How many writes (WriteInt, WriteString) have failed so far: a caller that writes many values
    // compares it before and after instead of checking each one.
    unsigned GetWriteFailures() const noexcept { return m_nWriteFailures; }

private:
    // The section's key opened for reading (null when absent), or created for writing.
    HKEY OpenSectionKey(LPCWSTR pszSection, BOOL bCreate) const;

    std::wstring m_strRegistryKey;
    std::wstring m_strProfileName;
    std::wstring m_strIniPath;
    mutable unsigned m_nWriteFailures = 0;
};
