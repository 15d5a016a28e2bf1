// CSharedMemSwtchHook: the core program's command to install or remove the gateway's window-event hook (kind 3, HOOK_NTFY_SWTCH).
#pragma once

#include "SharedMemHookKind.h"

class CSharedMemSwtchHook : public CSharedMemHookKind {
public:
    static constexpr int LEN = HOOK_NTFY_SWTCH_LEN;
    static constexpr int KIND = HOOK_KIND_SWTCH;

    // Create's pParam is a HOOK_NTFY_SWTCH record.
    explicit CSharedMemSwtchHook(int nSender)
        : CSharedMemHookKind(nSender, KIND, LEN, sizeof(HOOK_NTFY_SWTCH), L"CSharedMemSwtchHook") {}
};
