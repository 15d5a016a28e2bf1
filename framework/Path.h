// Path: the program's own file and names derived from it.
#pragma once

#include <windows.h>

#include <string>

// Full path of the module's file (null: the program's own file), of any length.
std::wstring GetModuleFilePath(HMODULE hModule = nullptr);

// The folder of that file, without a trailing backslash ("C:\A\B.exe" -> "C:\A"); empty when
// the path cannot be read.
std::wstring GetModuleDir(HMODULE hModule = nullptr);

// The path with the extension of its file name replaced (or appended): "C:\A\B.exe", ".INI" -> "C:\A\B.INI".
std::wstring ReplaceFileExtension(const std::wstring& strPath, const wchar_t* pszExtension);

// The file name without directory and extension: "C:\A\B.exe" -> "B".
std::wstring GetFileBaseName(const std::wstring& strPath);
