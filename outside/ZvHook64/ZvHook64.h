// ZvHook64.dll: global hooks for 64-bit processes that report to a window by private messages.
// Link the target ZvHook64; this header comes with it.
//
// Each hook belongs to the thread that installs it: a second installing call from that thread only
// changes the window and the message, and the removing call (null window, zero messages) removes
// the calling thread's hook, or else the one its process holds, and returns NULL. Callers on
// different threads or in different processes each have their own hook and see every event once.
// An installing call returns the hook handle, NULL on failure (GetLastError tells why).
#pragma once
#include <windows.h>

#if defined(ZVHOOK64_BUILD)
#define ZVHOOK64_API
#else
#define ZVHOOK64_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Global CBT hook, reporting from every 64-bit process the library loads into:
//   uMsgActivate  posted on a window's activation: wParam the window, lParam 0;
//   uMsgWndChg    posted when a top-level window is created or destroyed: wParam 0, lParam 0;
//   uMsgMinMax    sent (up to 500 ms) before a window is minimised, maximised or restored:
//                 wParam the window, lParam the show command (SW_*); a result of 1 cancels the
//                 system's own action (the subscriber acted on the window itself).
// A message number of 0 leaves that event out.
ZVHOOK64_API HHOOK WINAPI SetCbtHook64(HWND hWnd, UINT uMsgActivate, UINT uMsgMinMax, UINT uMsgWndChg);

// Low-level keyboard hook: every key event of the desktop is posted as uMsgKeybd with wParam the
// virtual-key code and lParam the flags of the keyboard message (repeat count 1, scan code in bits
// 16-23, extended key bit 24, Alt bit 29, previous state bit 30, bit 31 set for a release).
// Nothing is swallowed. The calling thread must pump messages.
ZVHOOK64_API HHOOK WINAPI SetKeybdHook64(HWND hWnd, UINT uMsgKeybd);

// Low-level mouse hook: every mouse event is posted as uMsgMouse with wParam the mouse message
// (WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_MOUSEWHEEL, ...) and lParam 0. The calling thread must pump.
ZVHOOK64_API HHOOK WINAPI SetMouseHook64(HWND hWnd, UINT uMsgMouse);

#ifdef __cplusplus
}
#endif
