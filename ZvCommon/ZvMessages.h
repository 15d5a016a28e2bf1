#pragma once
// The private window messages of every Zuvora program, the hook libraries and the
// log viewer. The numbers cross process boundaries and are compiled into components
// built elsewhere: never renumber one. Messages whose parameters carry a pointer
// stay inside one process, and the receiver frees the record.
#include <windows.h>

// 0x800x log viewer
inline constexpr UINT MSG_LOG_ATTACH = WM_APP + 0x00;
inline constexpr UINT MSG_LOG_WND_DTCT = WM_APP + 0x01;
inline constexpr UINT MSG_LOG_WND_RSP = WM_APP + 0x02;
inline constexpr UINT MSG_LOG_OUT = WM_APP + 0x04;
inline constexpr UINT MSG_LOG_END = WM_APP + 0x07;

// 0x801x settings program
inline constexpr UINT MSG_PROP_WND = WM_APP + 0x10;
inline constexpr UINT MSG_PROP_APPLY = WM_APP + 0x11;
inline constexpr UINT MSG_PROP_ALIVE = WM_APP + 0x12;
inline constexpr UINT MSG_PROP_PAGE = WM_APP + 0x13;
inline constexpr UINT MSG_PROP_REFOCUS = WM_APP + 0x15;
inline constexpr UINT MSG_PROP_START = WM_APP + 0x16;

// 0x802x tray
inline constexpr UINT MSG_TRAY_NTFY = WM_APP + 0x20;
inline constexpr UINT MSG_TRAY_MENU = WM_APP + 0x21;

// 0x803x undo
inline constexpr UINT MSG_SAVE_FOR_UNDO = WM_APP + 0x30;
inline constexpr UINT MSG_DEL_LAST_UNDO = WM_APP + 0x31;

// 0x804x hook events; the five that the hook libraries post pass the message filter
inline constexpr UINT MSG_HOOK_CBT_ACTIVATE = WM_APP + 0x40;
inline constexpr UINT MSG_HOOK_CBT_WNDCHG = WM_APP + 0x41;
inline constexpr UINT MSG_HOOK_KEYBD = WM_APP + 0x42;
inline constexpr UINT MSG_KEYBD_FORWARD = WM_APP + 0x43;
inline constexpr UINT MSG_HOOK_CBT_MINMAX = WM_APP + 0x44;
inline constexpr UINT MSG_HOOK_MOUSE = WM_APP + 0x45;

// 0x805x scrolling
inline constexpr UINT MSG_SCRL_RANGE = WM_APP + 0x50;
inline constexpr UINT MSG_MV_ALL_WNDS = WM_APP + 0x51;
inline constexpr UINT MSG_MV_ALL_WNDS_BY_DEVICE = WM_APP + 0x52;
inline constexpr UINT MSG_MV_STEP = WM_APP + 0x53;
inline constexpr UINT MSG_MINIMIZED_WND = WM_APP + 0x54;
// The core's mark to itself behind a coalesced answer (wParam: which one, lParam: its number).
inline constexpr UINT MSG_QUEUE_MARK = WM_APP + 0x55;

// 0x806x scroll-bar windows
inline constexpr UINT MSG_SCRLBAR_SETPOS = WM_APP + 0x60;
inline constexpr UINT MSG_SCRLBAR_UPDATE = WM_APP + 0x61;
inline constexpr UINT MSG_SCRLBAR_SETRECT = WM_APP + 0x62;
inline constexpr UINT MSG_SCRLBAR_RECT = WM_APP + 0x63;

// 0x807x timer items
inline constexpr UINT MSG_TMR_LOG_START = WM_APP + 0x70;
inline constexpr UINT MSG_TMR_PROP_ALIVE = WM_APP + 0x71;
inline constexpr UINT MSG_TMR_PROP_DEAD = WM_APP + 0x72;
inline constexpr UINT MSG_TMR_WHEEL_H = WM_APP + 0x73;
inline constexpr UINT MSG_TMR_WHEEL_V = WM_APP + 0x74;
inline constexpr UINT MSG_TMR_IGNORE_ACTIVATE = WM_APP + 0x75;
inline constexpr UINT MSG_TMR_SCROLL = WM_APP + 0x76;
inline constexpr UINT MSG_TMR_AUTOSCRL_DELAY = WM_APP + 0x77;
inline constexpr UINT MSG_TMR_AUTOSCRL = WM_APP + 0x78;
inline constexpr UINT MSG_TMR_HKGTWY_ALIVE = WM_APP + 0x79;
inline constexpr UINT MSG_TMR_TRAY_ICON = WM_APP + 0x7A;

// 0x808x gateway link
inline constexpr UINT MSG_HKGTWY_NTFY_DTCT = WM_APP + 0x80;
inline constexpr UINT MSG_HKGTWY_RSP_DTCT = WM_APP + 0x81;
inline constexpr UINT MSG_HKGTWY_READY = WM_APP + 0x82;
inline constexpr UINT MSG_HKGTWY_END = WM_APP + 0x83;
inline constexpr UINT MSG_HKGTWY_DESTROY = WM_APP + 0x84;
inline constexpr UINT MSG_HKGTWY_ALIVE = WM_APP + 0x85;
// The core program to itself: its link could not be made, and the user is told once start-up is over.
inline constexpr UINT MSG_HKGTWY_INIT_FAILED = WM_APP + 0x86;

// The registered message the taskbar broadcasts whenever it has been made (again), without the
// icons it had.
inline constexpr wchar_t ZV_TASKBAR_CREATED_MSG[] = L"TaskbarCreated";

static_assert(WM_APP == 0x8000, "the outside components count from 0x8000");
