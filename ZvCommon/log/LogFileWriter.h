// CLogFileWriter: the log viewer's file. Every line is written as its bytes arrived (UTF-8), one
// line per block, and flushed at once, so that a reader sees each line as soon as it is taken.
#pragma once

#include <windows.h>

#include <string>

#include "Handle.h"

class CLogFileWriter {
public:
    CLogFileWriter() = default;
    CLogFileWriter(const CLogFileWriter&) = delete;
    CLogFileWriter& operator=(const CLogFileWriter&) = delete;

    // strMode is a C runtime open mode: one beginning with 'a' appends, any other starts a new
    // file. Line ends are never translated ("t" is ignored). nLineLimit: lines the file holds
    // before it moves to the rotated name and a new file begins (0 or less: no limit).
    BOOL Open(const std::wstring& strPath, const std::wstring& strMode, int nLineLimit);
    void Close();
    BOOL IsOpen() const noexcept { return m_hFile ? TRUE : FALSE; }

    // Writes the line and a CR LF when it does not end with a line feed; flushes.
    BOOL WriteLine(const std::string& strLine);

    int GetLineCount() const noexcept { return m_nLines; }
    const std::wstring& GetPath() const noexcept { return m_strPath; }
    DWORD GetLastErrorCode() const noexcept { return m_dwError; }

    // "<path>.old": where a full file goes.
    static std::wstring GetRotatedPath(const std::wstring& strPath);
    static BOOL IsAppendMode(const std::wstring& strMode) noexcept;
    // The line with CR LF added when it does not end with a line feed.
    static std::string TerminateLine(const std::string& strLine);

private:
    BOOL OpenHandle(BOOL bAppend);
    BOOL Rotate();

    CHandle m_hFile;
    std::wstring m_strPath;
    int m_nLineLimit = 0;
    int m_nLines = 0;
    DWORD m_dwError = 0;
};
