// Resource identifiers of the gateway program.
#pragma once

#define IDD_ZVHOOK32TO64_DIALOG 102
#define IDR_MAINFRAME           128

#define IDS_ZV_APP_NAME         101
#define IDS_ZV_ERR_HWND         102
#define IDS_ZV_ERR_MUTEX        103
#define IDS_ZV_ERR_HKGTWY       104
