#include "LogFileWriter.h"

#include <vector>

std::wstring CLogFileWriter::GetRotatedPath(const std::wstring& strPath)
{
    return strPath + L".old";
}

BOOL CLogFileWriter::IsAppendMode(const std::wstring& strMode) noexcept
{
    return !strMode.empty() && strMode[0] == L'a';
}

std::string CLogFileWriter::TerminateLine(const std::string& strLine)
{
    if (!strLine.empty() && strLine.back() == '\n')
        return strLine;
    return strLine + "\r\n";
}

BOOL CLogFileWriter::Open(const std::wstring& strPath, const std::wstring& strMode, int nLineLimit)
{
    Close();
    m_strPath = strPath;
    m_nLineLimit = nLineLimit;
    m_nLines = 0;
    if (strPath.empty())
        return FALSE;
    return OpenHandle(IsAppendMode(strMode));
}

BOOL CLogFileWriter::OpenHandle(BOOL bAppend)
{
    // Others may read (and the tests do) while the viewer writes.
    m_hFile.reset(CreateFileW(m_strPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              bAppend ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_hFile) {
        m_dwError = GetLastError();
        return FALSE;
    }
    if (bAppend) {
        // The limit counts the lines already in the file.
        std::vector<char> buf(64 * 1024);
        DWORD cbRead = 0;
        while (ReadFile(m_hFile.get(), buf.data(), static_cast<DWORD>(buf.size()), &cbRead, nullptr) && cbRead > 0) {
            for (DWORD i = 0; i < cbRead; ++i)
                m_nLines += buf[i] == '\n';
        }
        SetFilePointer(m_hFile.get(), 0, nullptr, FILE_END);
    }
    return TRUE;
}

void CLogFileWriter::Close()
{
    m_hFile.reset();
}

BOOL CLogFileWriter::Rotate()
{
    Close();
    const std::wstring strOld = GetRotatedPath(m_strPath);
    if (!MoveFileExW(m_strPath.c_str(), strOld.c_str(), MOVEFILE_REPLACE_EXISTING))
        m_dwError = GetLastError();
    m_nLines = 0;
    // Should the move fail, the file starts over rather than growing without end.
    return OpenHandle(FALSE);
}

BOOL CLogFileWriter::WriteLine(const std::string& strLine)
{
    if (!IsOpen())
        return FALSE;
    if (m_nLineLimit > 0 && m_nLines >= m_nLineLimit && !Rotate())
        return FALSE;
    const std::string strOut = TerminateLine(strLine);
    DWORD cbWritten = 0;
    if (!WriteFile(m_hFile.get(), strOut.data(), static_cast<DWORD>(strOut.size()), &cbWritten, nullptr) ||
        cbWritten != strOut.size()) {
        m_dwError = GetLastError();
        return FALSE;
    }
    FlushFileBuffers(m_hFile.get());
    for (char ch : strOut)
        m_nLines += ch == '\n';
    return TRUE;
}
