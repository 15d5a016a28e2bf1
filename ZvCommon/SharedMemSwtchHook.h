// CSharedMemSwtchHook: the core program's command to install or remove the gateway's window-event hook (kind 3, HOOK_NTFY_SWTCH).
#pragma once

#include "HookNtfy.h"
#include "SharedMem.h"

class CSharedMemSwtchHook : public CSharedMem {
public:
    static constexpr int LEN = HOOK_NTFY_SWTCH_LEN;
    static constexpr int KIND = HOOK_KIND_SWTCH;

    explicit CSharedMemSwtchHook(int nSender);
    virtual ~CSharedMemSwtchHook();

    // pParam: the HOOK_NTFY_SWTCH record; the kind word written is always KIND. Creators pass PAGE_READWRITE.
    BOOL Create(LPCWSTR pszName, DWORD dwProtect, void* pParam) override;
    // Readers pass FALSE and FILE_MAP_READ. TRUE when mapped and valid.
    BOOL Open(LPCWSTR pszName, BOOL bInherit, DWORD dwAccess) override;
    // Checksum, tag, and a length and kind word of this class; a refusal is logged.
    BOOL IsValid() override;
    struct SM_HOOK {
        BYTE* pnLen = nullptr;
        BYTE* pszTag = nullptr;
        BYTE* pPayload = nullptr;
        BYTE* pbSum = nullptr;
    } m_sm;

private:
    void LocateFields() noexcept;
};
