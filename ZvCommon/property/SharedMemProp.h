// CSharedMemProp: what the eight settings block classes share. Each block carries one section of
// PROPERTY_SET between the core program and the settings program; the class fixes its tag, its
// mapping name and how its payload is laid out, and this class writes, maps and checks the frame.
//
//   0            int32 nLen
//   4            tag field: the tag, its zero and one more zero (tag length + 2 bytes)
//   4 + W        payload
//   nLen         checksum byte: exclusive-or of bytes 0 .. nLen - 2
//
// Nothing the other program wrote is trusted: every read takes the length word once, copies the
// block once into memory of its own and then checks and reads only that copy (the other program
// may rewrite its view between a check and a read): the length word against the view, the
// checksum, the tag and (in the keyboard and fix blocks) that every count and length adds up to
// nLen before one byte of the payload is taken.
#pragma once

#include <cstring>
#include <vector>

#include "LoggedSingleLock.h"
#include "PropertySet.h"
#include "SharedMem.h"

// nLen of a settings block whose payload holds cbPayload bytes.
constexpr int PropBlockLen(const char* pszTag, size_t cbPayload)
{
    return 4 + static_cast<int>(std::char_traits<char>::length(pszTag)) + 2 + static_cast<int>(cbPayload);
}

class CSharedMemProp : public CSharedMem {
public:
    // The variable blocks never grow beyond this (16 MiB), whatever their counts say.
    static constexpr int MAX_VAR_LEN = 1 << 24;

    virtual ~CSharedMemProp();

    // pParam as the block class says (the keyboard block: int* key count; the fix block:
    // const PROP_FIX*; the others none). Creators pass PAGE_READWRITE.
    BOOL Create(LPCWSTR pszName, DWORD dwProtect, void* pParam) override;
    // The manager passes FALSE and FILE_MAP_WRITE. TRUE when mapped and valid.
    BOOL Open(LPCWSTR pszName, BOOL bInherit, DWORD dwAccess) override;
    // Length word inside the view and of this class, checksum, tag, payload adding up; a refusal
    // is logged.
    BOOL IsValid() override;

    // The manager's side: the block's own mapping name, and its section of the record.
    virtual BOOL CreateFor(const PROPERTY_SET& prop);
    BOOL OpenShared();
    // Record section into the block (FALSE when the section would need another nLen), and block
    // into the section (FALSE, section unchanged, when the block is not valid).
    virtual BOOL SetFrom(const PROPERTY_SET& prop) = 0;
    virtual BOOL GetInto(PROPERTY_SET& prop) = 0;
    // The nLen that the record's section needs; -1 when it cannot travel in a block.
    virtual int GetLenFor(const PROPERTY_SET& prop) const = 0;

    // The length word of the view when it is sound for this class; -1 otherwise.
    int GetLen();
    LPCWSTR GetMappingName() const noexcept { return m_pszMapName; }
    LPCWSTR GetClassName() const noexcept { return m_pszClass; }
    const char* GetTag() const noexcept { return m_pszTag; }
    int GetPayloadOfs() const noexcept { return m_nPayloadOfs; }

    // Pointers into the view, set after Create or Open; pbSum only while the block is sound.
    struct SM_PROP {
        BYTE* pnLen = nullptr;
        BYTE* pszTag = nullptr;
        BYTE* pPayload = nullptr;
        BYTE* pbSum = nullptr;
    } m_sm;

protected:
    // pszTag, pszMapName, pszClass and pszSourceFile must outlive the object (class constants).
    // nMinLen .. nMaxLen: the length words the class accepts.
    CSharedMemProp(int nSender, const char* pszTag, LPCWSTR pszMapName, LPCWSTR pszClass, LPCWSTR pszSourceFile,
                   int nMinLen, int nMaxLen);

    // The nLen that Create gives the block for pParam; -1 refuses pParam.
    virtual int GetCreateLen(const void* pParam) const = 0;
    // Fills the zeroed payload of a block just created; the checksum follows.
    virtual void FillCreated(int nLen, const void* pParam);
    // Counts and lengths of a copy pb of a frame whose length, checksum and tag are sound; nothing
    // is read beyond nLen.
    virtual BOOL IsPayloadSound(const BYTE* pb, int nLen) const;
    // Points the class's own view pointers at a block of nLen whose copy is pb, or clears them
    // (nLen -1, or a copy that does not add up).
    virtual void LocateFields(int nLen, const BYTE* pb) noexcept;

    // Takes the block mutex; a lock not had within m_dwMutexWait is a broken program.
    void LockBlock(CLoggedSingleLock& lockRes, int nLine);

    // The block copied once under the block mutex: fn(pb, nLen) on the copy when it is valid, TRUE;
    // FALSE when it is not. fn reads the copy only, never the view.
    template <class TFn>
    BOOL ReadBlock(int nLine, TFn&& fn)
    {
        if (!m_pbView)
            return FALSE;
        std::vector<BYTE> block;
        int nLen = -1;
        {
            CLoggedSingleLock lockRes(m_nSender, m_pMutex);
            LockBlock(lockRes, nLine);
            nLen = CheckBlock(block);
        }
        if (nLen < 0)
            return FALSE;
        fn(static_cast<const BYTE*>(block.data()), nLen);
        return TRUE;
    }
    // Under the block mutex, on a writable view whose length word is nLenFor: fn(nLen), then the
    // checksum. A section that needs another length is refused and nothing is written.
    template <class TFn>
    BOOL WriteBlock(int nLine, int nLenFor, TFn&& fn)
    {
        if (!IsWritable())
            return FALSE;
        CLoggedSingleLock lockRes(m_nSender, m_pMutex);
        LockBlock(lockRes, nLine);
        const int nLen = GetFrameLen(m_nMinLen, m_nMaxLen);
        if (nLen < 0 || nLen != nLenFor) {
            LogRefusal(L"Set", nLen < 0 ? ReadLenWord() : nLen, nLenFor);
            return FALSE;
        }
        fn(nLen);
        StoreFrameSum(nLen);
        LocateWritten(nLen);
        return TRUE;
    }

    BYTE* Payload() const noexcept { return m_pbView + m_nPayloadOfs; }
    void LogRefusal(LPCWSTR pszWhere, int nLen, int nWant) const;

    const char* const m_pszTag;
    const int m_cbTagField;
    const int m_nPayloadOfs;
    const int m_nMinLen;
    const int m_nMaxLen;

    // After a write of nLen bytes: the view pointers found from a copy of what was written.
    void LocateWritten(int nLen) noexcept;

private:
    // Under the lock: the length word read once and the block copied once into block; nLen of a
    // valid copy, -1 (logged) otherwise; sets or clears m_sm.
    int CheckBlock(std::vector<BYTE>& block);
    int ReadLenWord() const noexcept;

    const LPCWSTR m_pszMapName;
    const LPCWSTR m_pszClass;
    const LPCWSTR m_pszSourceFile;
};
