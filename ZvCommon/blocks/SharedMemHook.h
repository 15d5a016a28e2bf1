// CSharedMemHook: opens a hook notification block of any kind, so that its reader learns the
// kind before it opens the block again with the kind's class. Never creates one.
#pragma once

#include "HookNtfy.h"
#include "SharedMem.h"

class CSharedMemHook : public CSharedMem {
public:
    explicit CSharedMemHook(int nSender);
    virtual ~CSharedMemHook();

    // Always FALSE: this class only reads.
    BOOL Create(LPCWSTR pszName, DWORD dwProtect, void* pParam) override;
    // Readers pass FALSE and FILE_MAP_READ. TRUE when mapped and valid.
    BOOL Open(LPCWSTR pszName, BOOL bInherit, DWORD dwAccess) override;
    // Checksum over 0 .. nLen - 2 and the tag, each refusal logged; a size word outside the view,
    // too short for the kind word, or not the length of a known kind is refused too. A block of
    // an unknown kind is valid here (it makes no kind object).
    BOOL IsValid() override;

    // Only after a successful Open, on the thread that opened the block; 0 / null otherwise.
    int GetKind() const noexcept;
    const BYTE* GetPayload() const noexcept;

    SM_HOOK m_sm;

private:
    BOOL m_bValid = FALSE;
};
