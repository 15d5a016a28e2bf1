// The gateway program's string numbers, as its own resource header defines them. Every macro name
// of that header but one is also a name of the core's or the settings program's header, at
// another value: they are set aside around it and put back after it, as CoreIds.h does.
#pragma once

#pragma push_macro("IDD_ZVHOOK32TO64_DIALOG")
#pragma push_macro("IDR_MAINFRAME")
#pragma push_macro("IDS_ZV_APP_NAME")
#pragma push_macro("IDS_ZV_ERR_HWND")
#pragma push_macro("IDS_ZV_ERR_MUTEX")
#pragma push_macro("IDS_ZV_ERR_HKGTWY")
#undef IDD_ZVHOOK32TO64_DIALOG
#undef IDR_MAINFRAME
#undef IDS_ZV_APP_NAME
#undef IDS_ZV_ERR_HWND
#undef IDS_ZV_ERR_MUTEX
#undef IDS_ZV_ERR_HKGTWY

#include "gateway/resource.h"

namespace zvgtwyids {
inline constexpr unsigned kStrAppName = IDS_ZV_APP_NAME;
inline constexpr unsigned kStrErrMutex = IDS_ZV_ERR_MUTEX;
inline constexpr unsigned kStrErrHkGtwy = IDS_ZV_ERR_HKGTWY;
}  // namespace zvgtwyids

#undef IDD_ZVHOOK32TO64_DIALOG
#undef IDR_MAINFRAME
#undef IDS_ZV_APP_NAME
#undef IDS_ZV_ERR_HWND
#undef IDS_ZV_ERR_MUTEX
#undef IDS_ZV_ERR_HKGTWY
#pragma pop_macro("IDS_ZV_ERR_HKGTWY")
#pragma pop_macro("IDS_ZV_ERR_MUTEX")
#pragma pop_macro("IDS_ZV_ERR_HWND")
#pragma pop_macro("IDS_ZV_APP_NAME")
#pragma pop_macro("IDR_MAINFRAME")
#pragma pop_macro("IDD_ZVHOOK32TO64_DIALOG")
