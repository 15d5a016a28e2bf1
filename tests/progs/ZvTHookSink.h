// What ZvTHookSink.exe and the hook-library tests share.
#pragma once
#include <windows.h>
#include <cstdint>

// Commands, sent to the sink's window; wParam is a mask of ZV_SINK_* hooks.
inline constexpr UINT ZV_SINK_INSTALL = WM_APP + 0x100;  // result: mask of the hooks now held
inline constexpr UINT ZV_SINK_REMOVE = WM_APP + 0x101;   // result: mask of removals that gave NULL
inline constexpr UINT ZV_SINK_HANDLES = WM_APP + 0x102;  // result: the handle held for one hook

inline constexpr unsigned ZV_SINK_CBT64 = 1;    // SetCbtHook64 of ZvHook64.dll
inline constexpr unsigned ZV_SINK_KEYBD64 = 2;  // SetKeybdHook64
inline constexpr unsigned ZV_SINK_MOUSE64 = 4;  // SetMouseHook64
inline constexpr unsigned ZV_SINK_CBT = 8;      // SetCbtHook of ZvHook.dll
inline constexpr unsigned ZV_SINK_ALL = 15;

// One hook message as the sink received it, appended to its log file.
struct ZV_SINK_RECORD {
    uint32_t uMsg;
    uint32_t uResult;  // what the sink answered
    uint64_t wParam;
    uint64_t lParam;
};
