// Resource identifiers of the core program.
#pragma once

#define IDD_ABOUTBOX            100
#define IDR_MAINFRAME           128
#define IDI_ZV_CREDIT           129
#define IDD_ZVCORE_DIALOG       102

#define IDS_ZV_REG_KEY          103
#define IDS_ZV_APP_NAME         104
#define IDS_ZV_PROP_MUTEX       105
#define IDS_ZV_PROFILE          106
#define IDS_ZV_ERR_MUTEX        107
#define IDS_ZV_ERR_HWND         108
#define IDS_ZV_ERR_PROFILE      109
#define IDS_ZV_MULTI_MONITOR    110
#define IDS_ZV_PROP_EDITING     112
#define IDS_ZV_ERR_HELP         114
#define IDS_ZV_ERR_HKGTWY       115
#define IDS_ZV_ERR_HKGTWY_ALIVE 116
#define IDS_ZV_ABOUT_FONT       133

// Texts of the tray menu's undo item, by the kind of the last undo item.
#define IDS_ZV_UNDO             123
#define IDS_ZV_UNDO_CENTER      124
#define IDS_ZV_UNDO_CASCADE     125
#define IDS_ZV_UNDO_TILE_HORZ   126
#define IDS_ZV_UNDO_TILE_VERT   127
#define IDS_ZV_UNDO_SCROLL_H    128
#define IDS_ZV_UNDO_SCROLL_V    129
#define IDS_ZV_UNDO_SCROLL      130
#define IDS_ZV_UNDO_RESIZE      131
#define IDS_ZV_UNDO_RESIZEWND   132

// The tray menu (a right click on the icon or on a scroll-bar window).
#define IDR_RCLICK              133

// The two scroll-bar windows and their controls.
#define IDD_SCROLLBAR_H         135
#define IDD_SCROLLBAR_V         136
#define IDC_THUMB_H             1001
#define IDC_SPIN_H              1002
#define IDC_THUMB_V             1003
#define IDC_SPIN_V              1004

#define IDC_ABOUT_ICON          1005
#define IDC_ABOUT_TEXT          1006
#define IDC_ABOUT_VERSIONS      1008

#define ID_ZV_UNDO              32771
#define ID_ZV_ALIGN_CENTER      32772
#define ID_ZV_ALIGN_CASCADE     32773
#define ID_ZV_ALIGN_TILE_HORZ   32774
#define ID_ZV_ALIGN_TILE_VERT   32775
#define ID_ZV_REDRAW_ALL        32777
#define ID_ZV_PROPERTY          32778
#define ID_ZV_HELP              32779
#define ID_ZV_APP_EXIT          32781
#define ID_ZV_MENU_CANCEL       32782
#define ID_APP_ABOUT            0xE140

// The version of the core program, in its version resource and its about box.
#define ZV_CORE_FILEVERSION     9,0,0,0
#define ZV_CORE_VERSION_TEXT    "9.00"
