// Resource ids and private messages of ZvTSheet.exe, shared by its program, its resource script
// and the end-to-end test that drives it.
#pragma once

#define ZVT_IDD_PAGE_GENERAL 101
#define ZVT_IDD_PAGE_DETAIL 102
#define ZVT_IDD_PAGE_LOG 103

#define ZVT_IDC_CHANGE 1001   // check box on the first page: marks the sheet changed
#define ZVT_IDC_EDIT 1002     // edit on the second page: the text "stay" refuses leaving it
#define ZVT_IDC_LIST 1003     // list box and combo box on the third page, filled in code
#define ZVT_IDC_COMBO 1004

#ifndef RC_INVOKED
#include <windows.h>
// Private messages to the sheet's window; each is logged, with what it did.
constexpr UINT ZVT_MSG_PING = WM_APP + 1;     // wParam: a number echoed in the log
constexpr UINT ZVT_MSG_SELECT = WM_APP + 2;   // wParam: page index for SetActivePage
constexpr UINT ZVT_MSG_END = WM_APP + 3;      // wParam: result for EndDialog
constexpr UINT ZVT_MSG_PRESS = WM_APP + 4;    // wParam: PSBTN_ value for PressButton
#endif
