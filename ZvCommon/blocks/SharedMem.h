// CSharedMem: a named shared-memory block with its checksummed frame and per-block mutex.
//
// Frame of every block in the view (integers little-endian, unaligned):
//   0          int32 nLen: bytes counted by the block (nLen itself, tag field, payload)
//   4          tag field, W bytes: zero-terminated version tag
//   4 + W      payload
//   nLen       checksum byte: exclusive-or of bytes 0 .. nLen - 2
// A mapping holds nLen + 1 bytes. The mutex is per program ("Mutex : sender=%d, name=%s"),
// so it orders the threads of one program only; the protocols order the programs.
#pragma once

#include <windows.h>

#include <string>

#include "Sync.h"

// Exclusive-or of nCount bytes; 0 for a count of 0 or less.
BYTE GetXorSum(const BYTE* pb, int nCount) noexcept;

class CSharedMem {
public:
    explicit CSharedMem(int nSender);
    // Unmaps and closes under the block mutex; a mutex not had within m_dwMutexWait is logged
    // (ERROR) and the view goes without it.
    virtual ~CSharedMem();
    CSharedMem(const CSharedMem&) = delete;
    CSharedMem& operator=(const CSharedMem&) = delete;

    // pParam: DWORD* size of the mapping; dwProtect PAGE_READWRITE or PAGE_READONLY. Always a
    // fresh, zero-filled mapping: while another holder keeps the name open, retries for about
    // m_dwCreateRetry (CREATE_RETRY_MS unless the block class says otherwise), then FALSE.
    virtual BOOL Create(LPCWSTR pszName, DWORD dwProtect, void* pParam);
    virtual BOOL Open(LPCWSTR pszName, BOOL bInherit, DWORD dwAccess);
    virtual BOOL IsValid() = 0;

    // "Mutex : sender=<m_nSender>, name=<pszName>".
    void MakeMutexName(LPCWSTR pszName, std::wstring& strMutexName) const;

    int GetSender() const noexcept { return m_nSender; }
    const std::wstring& GetName() const noexcept { return m_strName; }
    BOOL IsMapped() const noexcept { return m_pbView != nullptr; }
    // The view may be written: made read-write, or opened with FILE_MAP_WRITE in its access.
    BOOL IsWritable() const noexcept { return m_pbView != nullptr && m_bWritable; }
    // Bytes that may be touched from the view's start (whole pages, from VirtualQuery).
    SIZE_T GetViewSize() const noexcept { return m_cbView; }
    HANDLE GetMutexHandle() const noexcept { return m_pMutex ? m_pMutex->GetHandle() : nullptr; }

    static constexpr DWORD CREATE_RETRY_MS = 1000;
    static constexpr DWORD MUTEX_WAIT_MS = 5000;
    static constexpr int FRAME_LEN_OFS = 0;
    static constexpr int FRAME_TAG_OFS = 4;

protected:
    // Helpers for the block classes; all of them stay inside the view.

    // Takes the block mutex into lockRes. A wait on our own block mutex that fails is a broken
    // program, not bad input: the box names pszFile (the block class's source) and nLine.
    void LockView(CSingleLock& lockRes, LPCWSTR pszFile, int nLine);

    // The steps of every field access: nothing mapped gives failed; else under the block mutex,
    // a length word outside nMinLen .. nMaxLen or the view gives failed, and a sound one is
    // handed to fn(nLen).
    template <class TResult, class TFn>
    TResult ReadFrame(LPCWSTR pszFile, int nLine, int nMinLen, int nMaxLen, TResult failed, TFn&& fn)
    {
        if (!m_pbView)
            return failed;
        CSingleLock lockRes(m_pMutex);
        LockView(lockRes, pszFile, nLine);
        const int nLen = GetFrameLen(nMinLen, nMaxLen);
        if (nLen < 0)
            return failed;
        return fn(nLen);
    }
    // As ReadFrame for a writer: FALSE on a read-only view too; after fn(nLen) the checksum is
    // stored again.
    template <class TFn>
    BOOL WriteFrame(LPCWSTR pszFile, int nLine, int nMinLen, int nMaxLen, TFn&& fn)
    {
        if (!IsWritable())
            return FALSE;
        return ReadFrame(pszFile, nLine, nMinLen, nMaxLen, FALSE, [&](int nLen) {
            fn(nLen);
            StoreFrameSum(nLen);
            return TRUE;
        });
    }

    // nLen of the view when nMinLen <= nLen <= nMaxLen and the checksum byte at nLen lies in
    // the view; -1 otherwise (also when nothing is mapped).
    int GetFrameLen(int nMinLen, int nMaxLen) const noexcept;
    // The checksum byte at nLen equals the exclusive-or of bytes 0 .. nSumCount - 1, and the
    // tag field (cbTagField bytes from offset 4) holds exactly pszTag and its zero.
    BOOL IsFrameValid(int nLen, int nSumCount, const char* pszTag, int cbTagField) const noexcept;
    // The same checks on a private copy of nLen + 1 bytes.
    static BOOL IsFrameBytesValid(const BYTE* pb, int nLen, int nSumCount, const char* pszTag, int cbTagField) noexcept;
    // Writes nLen, zeroes the tag field and copies at most cbTagField - 1 characters of pszTag.
    void WriteFrameHead(int nLen, const char* pszTag, int cbTagField) noexcept;
    // Stores the exclusive-or of bytes 0 .. nLen - 2 at offset nLen (the writing rule).
    void StoreFrameSum(int nLen) noexcept;

    static int ReadInt32(const BYTE* pb) noexcept;
    static void WriteInt32(BYTE* pb, int nValue) noexcept;

    int m_nSender;
    CMutex* m_pMutex = nullptr;
    DWORD m_dwMutexWait = MUTEX_WAIT_MS;
    CHandle m_hFileMap;
    BYTE* m_pbView = nullptr;
    std::wstring m_strName;
    SIZE_T m_cbView = 0;
    BOOL m_bWritable = FALSE;
    DWORD m_dwCreateRetry = CREATE_RETRY_MS;
    // Whether the destructor may log a release without the lock. The line blocks of the log clear
    // it: they are freed inside the log manager, where a line about them would re-enter it.
    BOOL m_bLogRelease = TRUE;

private:
    // Makes the per-block mutex; FALSE (and no mutex) when it cannot be made, or when this
    // object has already been used (a failed object is not retried).
    BOOL MakeMutex(LPCWSTR pszName);
    // Takes the mapping when its view is made; otherwise closes it.
    BOOL MapView(CHandle hFileMap, DWORD dwAccess);
};
