// CSharedMemInitHook: the gateway's first notification after its start (kind 1, HOOK_NTFY).
#pragma once

#include "SharedMemHookKind.h"

class CSharedMemInitHook : public CSharedMemHookKind {
public:
    static constexpr int LEN = HOOK_NTFY_LEN;
    static constexpr int KIND = HOOK_KIND_INIT;

    // Create's pParam is a HOOK_NTFY record.
    explicit CSharedMemInitHook(int nSender)
        : CSharedMemHookKind(nSender, KIND, LEN, sizeof(HOOK_NTFY), L"CSharedMemInitHook") {}
};
