// CSharedMemCbtHook: one hook message relayed by the gateway to the core program (kind 4, HOOK_NTFY_CBT).
#pragma once

#include "HookNtfy.h"
#include "SharedMem.h"

class CSharedMemCbtHook : public CSharedMem {
public:
    static constexpr int LEN = HOOK_NTFY_CBT_LEN;
    static constexpr int KIND = HOOK_KIND_CBT;

    explicit CSharedMemCbtHook(int nSender);
    virtual ~CSharedMemCbtHook();

    // pParam: the HOOK_NTFY_CBT record; the kind word written is always KIND. Creators pass PAGE_READWRITE.
    BOOL Create(LPCWSTR pszName, DWORD dwProtect, void* pParam) override;
    // Readers pass FALSE and FILE_MAP_READ. TRUE when mapped and valid.
    BOOL Open(LPCWSTR pszName, BOOL bInherit, DWORD dwAccess) override;
    // Checksum, tag, and a length and kind word of this class; a refusal is logged.
    BOOL IsValid() override;

    // Copies the 40 payload bytes into *pData; FALSE for a null pointer or a view no longer valid.
    // Only after a successful Open (or Create), on the thread that made the object.
    BOOL GetData(HOOK_NTFY_CBT* pData);

    struct SM_HOOK {
        BYTE* pnLen = nullptr;
        BYTE* pszTag = nullptr;
        BYTE* pPayload = nullptr;
        BYTE* pbSum = nullptr;
    } m_sm;

private:
    void LocateFields() noexcept;
};
