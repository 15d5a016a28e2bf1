#include "ZvHook.h"
#include "ZvCbtHookCore.h"

BOOL WINAPI DllMain(HINSTANCE hInst, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        zvhook::g_hCbtModule = hInst;
        DisableThreadLibraryCalls(hInst);
    }
    return TRUE;
}

extern "C" HHOOK WINAPI SetCbtHook(HWND hWnd, UINT uMsgActivate, UINT uMsgMinMax, UINT uMsgWndChg)
{
    return zvhook::SetCbtHookImpl(hWnd, uMsgActivate, uMsgMinMax, uMsgWndChg);
}
