// SysReport: the operating-system report and the file-version report logged at start.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One line of the file-version report.
struct FILE_VERSION_SET {
    std::wstring strFileName;
    DWORD dwFileVersionMS = 0;  // major << 16 | minor
    DWORD dwFileVersionLS = 0;  // build << 16 | revision
};

// "OS Version :" and the nine values of the running system (the class as "Val"), each
// "Name = dec (0xhex)", joined by pszSeparator (null or empty: " "). FALSE when the version
// cannot be read.
BOOL GetOSVersionString(std::wstring& strOut, LPCWSTR pszSeparator);
std::wstring FormatOSVersionString(const OSVERSIONINFOEXW& osvi, int nOSClass, LPCWSTR pszSeparator);

// One " %-16s %X.%X.%X.%X" line per file, in order, with pszSeparator between lines. Always TRUE.
BOOL GetFileVersionSetString(const std::vector<FILE_VERSION_SET>& lstVersion, std::wstring& strOut,
                             LPCWSTR pszSeparator);
