// Unit tests whose callbacks or posted messages come through this thread's queue pump it while
// they wait for what those bring.
#pragma once
#include <windows.h>

// Pumps this thread's messages until pred holds or dwTimeoutMs has passed; false on time-out.
template <class P>
bool PumpUntil(P pred, DWORD dwTimeoutMs = 3000)
{
    const DWORD dwStart = GetTickCount();
    while (!pred()) {
        if (GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    return true;
}
