#include "Path.h"

#include <vector>

std::wstring GetModuleFilePath(HMODULE hModule)
{
    // GetModuleFileNameW cuts the path silently and returns the buffer size when it does not fit.
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD dwLen = GetModuleFileNameW(hModule, buf.data(), static_cast<DWORD>(buf.size()));
        if (dwLen == 0)
            return std::wstring();
        if (dwLen < buf.size())
            return std::wstring(buf.data(), dwLen);
        buf.resize(buf.size() * 2);
    }
}

namespace {
// Start of the file name: after the last '\' or '/'.
size_t FileNameStart(const std::wstring& strPath)
{
    size_t nSlash = strPath.find_last_of(L"\\/");
    return nSlash == std::wstring::npos ? 0 : nSlash + 1;
}
}

std::wstring GetModuleDir(HMODULE hModule)
{
    const std::wstring strPath = GetModuleFilePath(hModule);
    const size_t nName = FileNameStart(strPath);
    return strPath.substr(0, nName == 0 ? 0 : nName - 1);
}

std::wstring ReplaceFileExtension(const std::wstring& strPath, const wchar_t* pszExtension)
{
    size_t nName = FileNameStart(strPath);
    size_t nDot = strPath.find_last_of(L'.');
    std::wstring str = (nDot != std::wstring::npos && nDot >= nName) ? strPath.substr(0, nDot) : strPath;
    return str + pszExtension;
}

std::wstring GetFileBaseName(const std::wstring& strPath)
{
    std::wstring strName = strPath.substr(FileNameStart(strPath));
    size_t nDot = strName.find_last_of(L'.');
    return nDot == std::wstring::npos ? strName : strName.substr(0, nDot);
}
