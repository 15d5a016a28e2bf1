// CSharedMemHookKind: what the four hook notification block classes share. Each kind class fixes
// its kind word, its length and its payload record; this class writes, maps and checks the frame.
#pragma once

#include <cstddef>

#include "HookNtfy.h"
#include "SharedMem.h"

class CSharedMemHookKind : public CSharedMem {
public:
    virtual ~CSharedMemHookKind();

    // pParam: the kind's payload record; the kind word written is always the class's own.
    // Creators pass PAGE_READWRITE.
    BOOL Create(LPCWSTR pszName, DWORD dwProtect, void* pParam) override;
    // Readers pass FALSE and FILE_MAP_READ. TRUE when mapped and valid.
    BOOL Open(LPCWSTR pszName, BOOL bInherit, DWORD dwAccess) override;
    // Checksum, tag, and a length and kind word of this class; a refusal is logged.
    BOOL IsValid() override;

    SM_HOOK m_sm;

protected:
    // pszClass names the kind class in the log lines.
    CSharedMemHookKind(int nSender, int nKind, int nLen, size_t cbPayload, LPCWSTR pszClass);

    // Copies the payload into pData (cbPayload bytes); FALSE for a null pointer or a view no
    // longer valid. Only after a successful Open (or Create), on the thread that made the object.
    BOOL CopyPayload(void* pData) const;

private:
    void LocateFields() noexcept;

    const int m_nKind;
    const int m_nLen;
    const size_t m_cbPayload;
    const LPCWSTR m_pszClass;
};
