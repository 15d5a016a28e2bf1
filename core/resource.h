// Resource identifiers of the core program.
#pragma once

#define IDR_MAINFRAME           128
#define IDD_ZVCORE_DIALOG       102

#define IDS_ZV_REG_KEY          103
#define IDS_ZV_APP_NAME         104
#define IDS_ZV_PROP_MUTEX       105
#define IDS_ZV_PROFILE          106
#define IDS_ZV_ERR_MUTEX        107
#define IDS_ZV_ERR_HWND         108
