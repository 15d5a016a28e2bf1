// The core program's resource numbers (its commands, its strings, its bar controls), as its own
// resource header defines them. The settings program's header uses ten of the same macro names at
// other values (IDS_ZV_APP_NAME, IDD_ABOUTBOX, ...): they are set aside around the core's header and
// put back after it, so that a test of the sheet can include both, in either order.
#pragma once

#pragma push_macro("IDC_ABOUT_ICON")
#pragma push_macro("IDC_ABOUT_TEXT")
#pragma push_macro("IDD_ABOUTBOX")
#pragma push_macro("IDR_MAINFRAME")
#pragma push_macro("IDS_ZV_APP_NAME")
#pragma push_macro("IDS_ZV_ERR_HWND")
#pragma push_macro("IDS_ZV_ERR_MUTEX")
#pragma push_macro("IDS_ZV_ERR_PROFILE")
#pragma push_macro("IDS_ZV_ERR_HKGTWY")
#pragma push_macro("IDS_ZV_PROFILE")
#pragma push_macro("IDS_ZV_REG_KEY")
#undef IDC_ABOUT_ICON
#undef IDC_ABOUT_TEXT
#undef IDD_ABOUTBOX
#undef IDR_MAINFRAME
#undef IDS_ZV_APP_NAME
#undef IDS_ZV_ERR_HWND
#undef IDS_ZV_ERR_MUTEX
#undef IDS_ZV_ERR_PROFILE
#undef IDS_ZV_ERR_HKGTWY
#undef IDS_ZV_PROFILE
#undef IDS_ZV_REG_KEY

#include "core/resource.h"

namespace zvcoreids {
// The core's numbers whose macro names another program's header shares.
inline constexpr unsigned kStrAppName = IDS_ZV_APP_NAME;
inline constexpr unsigned kStrErrMutex = IDS_ZV_ERR_MUTEX;
inline constexpr unsigned kStrErrHkGtwy = IDS_ZV_ERR_HKGTWY;
inline constexpr int kCtlAboutText = IDC_ABOUT_TEXT;
}  // namespace zvcoreids

#undef IDC_ABOUT_ICON
#undef IDC_ABOUT_TEXT
#undef IDD_ABOUTBOX
#undef IDR_MAINFRAME
#undef IDS_ZV_APP_NAME
#undef IDS_ZV_ERR_HWND
#undef IDS_ZV_ERR_MUTEX
#undef IDS_ZV_ERR_PROFILE
#undef IDS_ZV_ERR_HKGTWY
#undef IDS_ZV_PROFILE
#undef IDS_ZV_REG_KEY
#pragma pop_macro("IDS_ZV_REG_KEY")
#pragma pop_macro("IDS_ZV_PROFILE")
#pragma pop_macro("IDS_ZV_ERR_HKGTWY")
#pragma pop_macro("IDS_ZV_ERR_PROFILE")
#pragma pop_macro("IDS_ZV_ERR_MUTEX")
#pragma pop_macro("IDS_ZV_ERR_HWND")
#pragma pop_macro("IDS_ZV_APP_NAME")
#pragma pop_macro("IDR_MAINFRAME")
#pragma pop_macro("IDD_ABOUTBOX")
#pragma pop_macro("IDC_ABOUT_TEXT")
#pragma pop_macro("IDC_ABOUT_ICON")
