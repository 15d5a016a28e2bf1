// Strings: printf-style formatting, string-table texts, message boxes and code-page conversion.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>

// printf-style formatting into a string of any length. The format follows the
// Microsoft C runtime: "%s" takes a wide string, "%hs" a narrow one, "%p" prints
// the pointer in upper-case hexadecimal digits of pointer width.
std::wstring FormatString(const wchar_t* pszFormat, ...);
std::wstring FormatStringV(const wchar_t* pszFormat, va_list args);

// String nId of the module's string table (null: the program's own module);
// empty when the module has no such string.
std::wstring LoadResString(UINT nId, HINSTANCE hInstance = nullptr);

// MessageBoxW; no owner by default.
int ShowMessageBox(LPCWSTR pszText, LPCWSTR pszCaption, UINT uType, HWND hWndOwner = nullptr);

// Conversions between UTF-16 and a code page (932 for the Japanese multibyte texts of older data).
std::wstring WideFromMultiByte(const char* psz, UINT uCodePage);
std::string MultiByteFromWide(const wchar_t* psz, UINT uCodePage);
