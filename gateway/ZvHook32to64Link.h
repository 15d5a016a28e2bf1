// The gateway's end of the link with the core program, held once per process: the event
// manager's kernel objects are process-wide, so one process never holds two links.
#pragma once

#include <windows.h>

#include "HkGtwyLinkSide.h"
#include "Sender.h"

struct ZV_GTWY_LINK {
    // The gateway's window: the hook library posts its messages here.
    HWND m_hWndCbtHook = nullptr;
    // Null while no hook is held.
    HHOOK m_hCbtHook = nullptr;
    // The manager, its words and the alive items, as the core program holds its own side.
    CHkGtwyLinkSide m_side{SENDER_HOOK};
};

// Touched only on the window thread; the manager's threads get the words' addresses.
ZV_GTWY_LINK& GetGtwyLink() noexcept;
