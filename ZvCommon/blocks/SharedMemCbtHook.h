// CSharedMemCbtHook: one hook message relayed by the gateway to the core program (kind 4, HOOK_NTFY_CBT).
#pragma once

#include "SharedMemHookKind.h"

class CSharedMemCbtHook : public CSharedMemHookKind {
public:
    static constexpr int LEN = HOOK_NTFY_CBT_LEN;
    static constexpr int KIND = HOOK_KIND_CBT;

    // Create's pParam is a HOOK_NTFY_CBT record.
    explicit CSharedMemCbtHook(int nSender)
        : CSharedMemHookKind(nSender, KIND, LEN, sizeof(HOOK_NTFY_CBT), L"CSharedMemCbtHook") {}

    // Copies the 40 payload bytes into *pData; FALSE for a null pointer or a view no longer valid.
    // Only after a successful Open (or Create), on the thread that made the object.
    BOOL GetData(HOOK_NTFY_CBT* pData) const { return CopyPayload(pData); }
};
