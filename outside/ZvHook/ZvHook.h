// ZvHook.dll: the global window-event hook for 32-bit processes (the gateway's), built for
// 64-bit as well in the test tree. Link the target ZvHook; this header comes with it.
#pragma once
#include <windows.h>

#if defined(ZVHOOK_BUILD)
#define ZVHOOK_API
#else
#define ZVHOOK_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Installs a global CBT hook that reports to hWnd, from every process the library loads into:
//   uMsgActivate  posted on a window's activation: wParam the window, lParam 0;
//   uMsgWndChg    posted when a top-level window is created or destroyed: wParam 0, lParam 0;
//   uMsgMinMax    sent (up to 500 ms) before a window is minimised, maximised or restored:
//                 wParam the window, lParam the show command (SW_*); a result of 1 cancels the
//                 system's own action (the subscriber acted on the window itself).
// A message number of 0 leaves that event out. Returns the hook handle, null on failure.
// The hook belongs to the calling thread: a second call from it only changes window and messages.
// SetCbtHook(NULL, 0, 0, 0) removes the calling thread's hook (or its process's) and returns NULL.
// Callers on different threads or in different processes each have their own hook.
ZVHOOK_API HHOOK WINAPI SetCbtHook(HWND hWnd, UINT uMsgActivate, UINT uMsgMinMax, UINT uMsgWndChg);

#ifdef __cplusplus
}
#endif
