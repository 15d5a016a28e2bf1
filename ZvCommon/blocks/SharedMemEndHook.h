// CSharedMemEndHook: the core program's request that the gateway end (kind 2, HOOK_NTFY).
#pragma once

#include "SharedMemHookKind.h"

class CSharedMemEndHook : public CSharedMemHookKind {
public:
    static constexpr int LEN = HOOK_NTFY_LEN;
    static constexpr int KIND = HOOK_KIND_END;

    // Create's pParam is a HOOK_NTFY record.
    explicit CSharedMemEndHook(int nSender)
        : CSharedMemHookKind(nSender, KIND, LEN, sizeof(HOOK_NTFY), L"CSharedMemEndHook") {}
};
