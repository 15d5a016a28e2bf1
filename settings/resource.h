// Resource identifiers of the settings program.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC                  (-1)
#endif

// Dialogs: the about box and the eight pages, in sheet order.
#define IDD_ABOUTBOX                100
#define IDD_PROPPAGE_SCRLWDTH       129
#define IDD_PROPPAGE_POSSIZE        130
#define IDD_PROPPAGE_VIEW           131
#define IDD_PROPPAGE_KEYBD          132
#define IDD_PROPPAGE_FIX            133
#define IDD_PROPPAGE_ZVWINDOW       134
#define IDD_PROPPAGE_UNDO           135
#define IDD_PROPPAGE_ATSCRL         136

#define IDR_MAINFRAME               128
// Tree images of the scroll width and the position and size pages (16-pixel cells).
#define IDB_SCRLWDTH_TREE           137
#define IDB_POSSIZE_TREE            141
// Beside the three choices of the window page, top to bottom: 145, 144, 143.
#define IDI_ACTIVATE_CENTER         143
#define IDI_ACTIVATE_MINIMUM        144
#define IDI_ACTIVATE_NONE           145

// Strings.
#define IDS_ZV_ABOUTBOX             101
#define IDS_ZV_CAPTION              102
#define IDS_ZV_APP_NAME             103
#define IDS_ZV_REG_KEY              104
#define IDS_ZV_PROFILE              105
#define IDS_ZV_ERR_MUTEX            501
#define IDS_ZV_ERR_HWND             502
#define IDS_ZV_ERR_PROFILE          504
// The range message of every page that checks numbers when it is left.
#define IDS_ZV_ERR_RANGE            505
// OK or Apply whose settings reached neither the core program nor the registry.
#define IDS_ZV_ERR_TO_CORE          506
#define IDS_ZV_ERR_TO_REGISTRY      507

// The about box.
#define IDC_ABOUT_ICON              1100
#define IDC_ABOUT_TEXT              1101

// Controls shared by several pages.
#define IDC_TREE                    1000
#define IDC_DEFAULT                 1010
#define IDC_HELP_LINE               1011

// Scroll width (129).
#define IDC_SW_ABS                  1001
#define IDC_SW_REL                  1002
#define IDC_SW_SCR                  1003
#define IDC_SW_ABS_EDIT             1004
#define IDC_SW_ABS_SPIN             1005
#define IDC_SW_REL_SPIN             1006
#define IDC_SW_SCR_SPIN             1007
#define IDC_SW_REL_EDIT             1008
#define IDC_SW_SCR_EDIT             1009
#define IDC_SW_ABS_UNIT             1012
#define IDC_SW_REL_UNIT             1013
#define IDC_SW_SCR_UNIT             1014

// Position and size (130).
#define IDC_PS_PREVIEW_FRAME        1016
#define IDC_PS_X_LABEL              1017
#define IDC_PS_X                    1018
#define IDC_PS_X_SPIN               1019
#define IDC_PS_X_UNIT               1020
#define IDC_PS_Y_LABEL              1021
#define IDC_PS_Y                    1022
#define IDC_PS_Y_SPIN               1023
#define IDC_PS_Y_UNIT               1024
#define IDC_PS_CX_LABEL             1025
#define IDC_PS_CX                   1026
#define IDC_PS_CX_SPIN              1027
#define IDC_PS_CX_UNIT              1028
#define IDC_PS_CY_LABEL             1029
#define IDC_PS_CY                   1030
#define IDC_PS_CY_SPIN              1031
#define IDC_PS_CY_UNIT              1032
#define IDC_PS_PREVIEW              1033

// View (131).
#define IDC_VW_ALPHA_CLEAR          1034
#define IDC_VW_ALPHA_OPAQUE         1035
#define IDC_VW_SPEED                1036
#define IDC_VW_ALPHA                1037
#define IDC_VW_HORIZONTAL           1038
#define IDC_VW_VERTICAL             1039
#define IDC_VW_TOPMOST              1040
#define IDC_VW_HIDE                 1041
#define IDC_VW_MOUSEMOVE            1042
#define IDC_VW_TRAYICON             1043
#define IDC_VW_ALPHA_GROUP          1044
#define IDC_VW_SMOOTHSCROLL         1045

// Window (134).
#define IDC_WN_ACTIVATE_NONE        1045
#define IDC_WN_ACTIVATE_MINIMUM     1046
#define IDC_WN_ACTIVATE_CENTER      1047
#define IDC_WN_IGNORE               1048
#define IDC_WN_IGNORE_KEY_LABEL     1049
#define IDC_WN_IGNORE_KEY           1050
#define IDC_WN_IGNORE_CNT_LABEL     1051
#define IDC_WN_IGNORE_CNT           1052
#define IDC_WN_MAXIMIZE_CANCEL      1053
#define IDC_WN_RESTORE_ABSPOS       1054

// Undo (135).
#define IDC_UN_SCROLL               1055
#define IDC_UN_WHEEL                1056
#define IDC_UN_ALIGN                1057
#define IDC_UN_RESIZE               1058
#define IDC_UN_RESIZEWND            1059
#define IDC_UN_DEPTH                1060
#define IDC_UN_DEPTH_SPIN           1061

// Auto scroll (136).
#define IDC_AS_MODE                 1062
#define IDC_AS_DELAY                1063
#define IDC_AS_INT_RANGE            1064
#define IDC_AS_INT_RANGE_SPIN       1065
#define IDC_AS_INT_SPEED            1066
#define IDC_AS_EXT_RANGE            1067
#define IDC_AS_EXT_RANGE_SPIN       1068
#define IDC_AS_EXT_SPEED            1069

// Keyboard (132).
#define IDC_KB_SCROLL_ENABLE        1070
#define IDC_KB_SCROLL_TARGET        1071
#define IDC_KB_SCROLL_KEYS          1072
#define IDC_KB_UNDO_ENABLE          1073
#define IDC_KB_UNDO_KEYS            1074
#define IDC_KB_MENU_ENABLE          1075
#define IDC_KB_MENU_KEYS            1076

// Fixed windows (133).
#define IDC_FX_TITLED_ONLY          1077
#define IDC_FX_SCROLL_LIST          1078
#define IDC_FX_FIX                  1079
#define IDC_FX_UNFIX                1080
#define IDC_FX_REFRESH              1081
#define IDC_FX_FIXED_LIST           1082
#define IDC_FX_DETAIL_GROUP         1083
#define IDC_FX_BY_TITLE             1084
#define IDC_FX_BY_APP               1085
#define IDC_FX_APP                  1086
#define IDC_FX_TITLE                1087
#define IDC_FX_FIX_GADGET           1088

// Each page's own strings (and any identifiers it adds), under its heading.

// Strings of the scroll width page (129).
#define IDS_SCRLWDTH_ROOT           110
#define IDS_SCRLWDTH_MOUSE          111
#define IDS_SCRLWDTH_KEYBD          112
#define IDS_SCRLWDTH_WHEEL          113
#define IDS_SCRLWDTH_HORZ_LINE      114
#define IDS_SCRLWDTH_HORZ_PAGE      115
#define IDS_SCRLWDTH_VERT_LINE      116
#define IDS_SCRLWDTH_VERT_PAGE      117
#define IDS_SCRLWDTH_HELP_NONE      106
#define IDS_SCRLWDTH_HELP_ABS       107
#define IDS_SCRLWDTH_HELP_REL       108
#define IDS_SCRLWDTH_HELP_SCR       109
#define IDS_SCRLWDTH_HELP_ROOT      118
#define IDS_SCRLWDTH_HELP_DEVICE    119
#define IDS_SCRLWDTH_HELP_MOUSE_LINE 120
#define IDS_SCRLWDTH_HELP_MOUSE_PAGE 121
#define IDS_SCRLWDTH_HELP_KEYBD_LINE 122
#define IDS_SCRLWDTH_HELP_KEYBD_PAGE 123
#define IDS_SCRLWDTH_HELP_WHEEL_LINE 124
#define IDS_SCRLWDTH_HELP_WHEEL_PAGE 125


// Strings of the position and size page (130).
#define IDS_POSSIZE_DESKTOP         136
#define IDS_POSSIZE_FONT            137
#define IDS_POSSIZE_ROOT            300
#define IDS_POSSIZE_HORZ            301
#define IDS_POSSIZE_VERT            302
#define IDS_POSSIZE_HELP_X          303
#define IDS_POSSIZE_HELP_Y          304
#define IDS_POSSIZE_HELP_CX         305
#define IDS_POSSIZE_HELP_CY         306
#define IDS_POSSIZE_HELP_ROOT       307
#define IDS_POSSIZE_HELP_BAR        308
// The correction message: its head, one paragraph per broken limit, and the paragraph's words
// (each a run in the order of its number: bars 1-2, fields 1-6, kinds 1-4, directions 1-2).
#define IDS_POSSIZE_CORRECT_HEAD    309
#define IDS_POSSIZE_CORRECT_LINE    310
#define IDS_POSSIZE_BAR_NAME        311
#define IDS_POSSIZE_FIELD_NAME      313
#define IDS_POSSIZE_KIND_TEXT       319
#define IDS_POSSIZE_DIR_TEXT        323


// Strings of the keyboard page (132).
#define IDS_KEYBD_HELP              145
#define IDS_KEYBD_HELP_TARGET       146
// The capture's help, by scroll operation: IDS_KEYBD_HELP_LEFT_LINE + the operation's index.
#define IDS_KEYBD_HELP_LEFT_LINE    147
#define IDS_KEYBD_HELP_LEFT_PAGE    148
#define IDS_KEYBD_HELP_RIGHT_LINE   149
#define IDS_KEYBD_HELP_RIGHT_PAGE   150
#define IDS_KEYBD_HELP_UP_LINE      151
#define IDS_KEYBD_HELP_UP_PAGE      152
#define IDS_KEYBD_HELP_DOWN_LINE    153
#define IDS_KEYBD_HELP_DOWN_PAGE    154
#define IDS_KEYBD_HELP_UNDO         155
#define IDS_KEYBD_HELP_MENU         156
#define IDS_KEYBD_TOO_MANY_KEYS     190


// Strings of the fixed windows page (133).
// The query before a change that reaches every window of an application, and its dialog (151).
#define IDS_FX_QUERY_FIX_APP        157
#define IDS_FX_QUERY_APP_TO_TITLE   158
#define IDS_FX_QUERY_UNFIX_APP      159
#define IDD_QUERY_FIX_APP           151
#define IDC_QF_QUESTION             1089
#define IDC_QF_WND_LIST             1090


// Strings of the auto scroll page (136).
#define IDS_ATSCRL_HELP_MODE        138
#define IDS_ATSCRL_HELP_DELAY       139
#define IDS_ATSCRL_HELP_EXT_RANGE   140
#define IDS_ATSCRL_HELP_EXT_SPEED   141
#define IDS_ATSCRL_HELP_INT_RANGE   142
#define IDS_ATSCRL_HELP_INT_SPEED   143
#define IDS_ATSCRL_HELP_DEFAULT     144


// The system-menu command of the about box.
#define IDM_ABOUTBOX                0x0010
