// The gateway's end of the link with the core program, held once per process: the event
// manager's kernel objects are process-wide, so one process never holds two links.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "HkGtwyEvtMngr.h"

struct ZV_GTWY_LINK {
    // The gateway's window: the hook library posts its messages here.
    HWND m_hWndCbtHook = nullptr;
    // Null while no hook is held.
    HHOOK m_hCbtHook = nullptr;
    // Own blocks created, answers received, core blocks handled; all modulo 65536. Declared
    // before the manager, whose threads read them until it is gone.
    WORD m_wSeqNtfySelf = 0;
    WORD m_wSeqRspSelf = 0;
    WORD m_wSeqNtfyTrgt = 0;
    std::unique_ptr<CHkGtwyEvtMngr> m_pHkGtwyEvtMngr;
};

// Touched only on the window thread; the manager's threads get the words' addresses.
ZV_GTWY_LINK& GetGtwyLink() noexcept;

// The name of the next own block: the own-notification count.
std::wstring NextGtwyBlockName();
// Hands a block created under NextGtwyBlockName to the manager, which announces it in turn, and
// counts it. FALSE, the block freed and the count kept, when there is no manager or it refused it.
BOOL RegisterGtwyNtfy(std::unique_ptr<CSharedMem> pBlock) noexcept;
