#include "Strings.h"

#include <vector>

namespace {
// A format that fails for another reason than room (an invalid argument) would
// otherwise grow the buffer forever.
const size_t kMaxFormatChars = 16 * 1024 * 1024;
}

std::wstring FormatString(const wchar_t* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    std::wstring str = FormatStringV(pszFormat, args);
    va_end(args);
    return str;
}

std::wstring FormatStringV(const wchar_t* pszFormat, va_list args)
{
    // _vsnwprintf is the C runtime's own (msvcrt) formatter whatever
    // __USE_MINGW_ANSI_STDIO says: "%s" takes a wide string, as on MSVC.
    // It gives -1 when the text does not fit, so the buffer grows until it does.
    std::vector<wchar_t> buf(256);
    for (;;) {
        va_list argsCopy;
        va_copy(argsCopy, args);
        int nLen = _vsnwprintf(buf.data(), buf.size(), pszFormat, argsCopy);
        va_end(argsCopy);
        if (nLen >= 0 && static_cast<size_t>(nLen) < buf.size())
            return std::wstring(buf.data(), nLen);
        if (buf.size() >= kMaxFormatChars)
            return std::wstring();
        buf.resize(buf.size() * 2);
    }
}

std::wstring LoadResString(UINT nId, HINSTANCE hInstance)
{
    if (!hInstance)
        hInstance = GetModuleHandleW(nullptr);
    // With a buffer size of 0 LoadStringW hands out a pointer to the resource
    // itself (not zero-terminated) and its length: any length fits.
    const wchar_t* pch = nullptr;
    int nLen = LoadStringW(hInstance, nId, reinterpret_cast<LPWSTR>(&pch), 0);
    if (nLen <= 0 || !pch)
        return std::wstring();
    return std::wstring(pch, nLen);
}

int ShowMessageBox(LPCWSTR pszText, LPCWSTR pszCaption, UINT uType, HWND hWndOwner)
{
    return MessageBoxW(hWndOwner, pszText, pszCaption, uType);
}

std::wstring WideFromMultiByte(const char* psz, UINT uCodePage)
{
    if (!psz || !*psz)
        return std::wstring();
    int nLen = MultiByteToWideChar(uCodePage, 0, psz, -1, nullptr, 0);
    if (nLen <= 0)
        return std::wstring();
    std::wstring str(nLen, L'\0');
    MultiByteToWideChar(uCodePage, 0, psz, -1, str.data(), nLen);
    str.resize(nLen - 1);   // the terminating zero
    return str;
}

std::string MultiByteFromWide(const wchar_t* psz, UINT uCodePage)
{
    if (!psz || !*psz)
        return std::string();
    int nLen = WideCharToMultiByte(uCodePage, 0, psz, -1, nullptr, 0, nullptr, nullptr);
    if (nLen <= 0)
        return std::string();
    std::string str(nLen, '\0');
    WideCharToMultiByte(uCodePage, 0, psz, -1, str.data(), nLen, nullptr, nullptr);
    str.resize(nLen - 1);
    return str;
}
