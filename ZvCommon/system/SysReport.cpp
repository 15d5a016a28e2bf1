#include "SysReport.h"

#include "OSClass.h"
#include "Strings.h"

std::wstring FormatOSVersionString(const OSVERSIONINFOEXW& osvi, int nOSClass, LPCWSTR pszSeparator)
{
    const wchar_t* s = (pszSeparator && *pszSeparator) ? pszSeparator : L" ";
    const unsigned nPlatform = osvi.dwPlatformId, nMajor = osvi.dwMajorVersion, nMinor = osvi.dwMinorVersion;
    const unsigned nSpMajor = osvi.wServicePackMajor, nSpMinor = osvi.wServicePackMinor;
    const unsigned nBuild = osvi.dwBuildNumber, nSuite = osvi.wSuiteMask, nProduct = osvi.wProductType;
    return FormatString(L"OS Version :%sPlatform ID = %u (0x%x)%sMajor = %u (0x%x)%sMinor = %u (0x%x)%s"
                        L"Service Pack Major = %u (0x%x)%sService Pack Minor = %u (0x%x)%s"
                        L"Build Number = %u (0x%x)%sSuiteMask = %u (0x%x)%sProductType = %u (0x%x)%s"
                        L"Val = %d (0x%x)\n",
                        s, nPlatform, nPlatform, s, nMajor, nMajor, s, nMinor, nMinor, s, nSpMajor, nSpMajor, s,
                        nSpMinor, nSpMinor, s, nBuild, nBuild, s, nSuite, nSuite, s, nProduct, nProduct, s,
                        nOSClass, static_cast<unsigned>(nOSClass));
}

BOOL GetOSVersionString(std::wstring& strOut, LPCWSTR pszSeparator)
{
    OSVERSIONINFOEXW osvi{};
    osvi.dwOSVersionInfoSize = sizeof(osvi);
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&osvi)))
        return FALSE;
    strOut = FormatOSVersionString(osvi, GetOSClass(), pszSeparator);
    return TRUE;
}

BOOL GetFileVersionSetString(const std::vector<FILE_VERSION_SET>& lstVersion, std::wstring& strOut,
                             LPCWSTR pszSeparator)
{
    strOut.clear();
    bool bFirst = true;
    for (const FILE_VERSION_SET& version : lstVersion) {
        if (!bFirst && pszSeparator)
            strOut += pszSeparator;
        bFirst = false;
        strOut += FormatString(L" %-16s %X.%X.%X.%X", version.strFileName.c_str(),
                               static_cast<unsigned>(HIWORD(version.dwFileVersionMS)),
                               static_cast<unsigned>(LOWORD(version.dwFileVersionMS)),
                               static_cast<unsigned>(HIWORD(version.dwFileVersionLS)),
                               static_cast<unsigned>(LOWORD(version.dwFileVersionLS)));
    }
    return TRUE;
}
