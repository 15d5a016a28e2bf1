// The WM_COPYDATA protocol between the test kit and the control window of ZvTestWnds.exe.
//
// The kit sends WM_COPYDATA (wParam = its reply window, dwData = a ZvTwCmd, lpData = the
// command's record) to the control window. Commands that return more than a number answer,
// before the send returns, with a WM_COPYDATA of their own to the reply window (dwData = the
// command | ZV_TW_REPLY). The send's result is the command's result (0 = failed).
#pragma once
#include <windows.h>
#include <cstdint>

// Class of the message-only control window; found with FindWindowExW(HWND_MESSAGE, ...).
#define ZV_TW_CTRL_CLASS L"ZvTestWndsCtrl"
// Default class of the test windows (/CLASS= changes it).
#define ZV_TW_WND_CLASS L"ZvTestWnd"

enum ZvTwCmd : ULONG_PTR {
    ZV_TW_GET_PLACEMENT = 1,  // ZV_TW_WND -> reply WINDOWPLACEMENT
    ZV_TW_SET_PLACEMENT = 2,  // ZV_TW_PLACEMENT -> SetWindowPlacement's result
    ZV_TW_SHOW = 3,           // ZV_TW_SHOW_REC -> 1 (ShowWindow's own result says only the old state)
    ZV_TW_CLOSE = 4,          // ZV_TW_WND -> 1; the window gets WM_CLOSE and is destroyed
    ZV_TW_LIST = 5,           // nothing -> reply uint64_t[] of the live test windows in creation order
    ZV_TW_CREATE = 6,         // wchar_t[] "/WND" argument less "/WND" (":min=1,2,3,4,T") -> new window
    ZV_TW_FOREGROUND = 7,     // ZV_TW_WND -> SetForegroundWindow's result, made inside the process
    ZV_TW_GET_INPUT = 8,      // ZV_TW_INPUT_REC -> reply ZV_TW_INPUT[] (the input log since the last clear)
    ZV_TW_QUIT = 9,           // nothing -> 1; the program ends in order (exit code 0)
    ZV_TW_HANG = 10,          // ZV_TW_HANG_REC -> 1; then the program's thread sleeps: a hung program
};
constexpr ULONG_PTR ZV_TW_REPLY = 0x10000;

#pragma pack(push, 8)
struct ZV_TW_WND {
    uint64_t hwnd;
};
struct ZV_TW_PLACEMENT {
    uint64_t hwnd;
    WINDOWPLACEMENT wp;
};
struct ZV_TW_SHOW_REC {
    uint64_t hwnd;
    int32_t nCmdShow;
};
struct ZV_TW_HANG_REC {
    uint32_t ms;  // how long its thread stops looking at its messages
};
struct ZV_TW_INPUT_REC {
    int32_t bClear;  // empty the log after reporting it
};
enum ZvTwInputSource : uint32_t {
    ZV_TW_IN_HOOK = 1,    // the program's low-level keyboard hook (/KEYHOOK)
    ZV_TW_IN_WINDOW = 2,  // a key, button or wheel message received by a test window
};
// One logged input event. Keys carry their virtual-key code, mouse buttons VK_LBUTTON,
// VK_RBUTTON or VK_MBUTTON, the wheel vk 0 with its delta in wheel.
struct ZV_TW_INPUT {
    uint32_t source;  // ZvTwInputSource
    uint32_t vk;
    uint32_t down;      // 1 pressed, 0 released
    uint32_t time;      // the event's time stamp in ms (KBDLLHOOKSTRUCT::time or GetMessageTime)
    uint32_t injected;  // LLKHF_INJECTED (hook events only)
    int32_t wheel;      // WM_MOUSEWHEEL delta
    uint64_t hwnd;      // the receiving window (window events only)
};
#pragma pack(pop)
