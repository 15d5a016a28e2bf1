// CZvCoreDlg: the tray icon and its menu.
#include "ZvCoreDlg.h"

BOOL CZvCoreDlg::PostTrayMenu(POINT) noexcept { return FALSE; }
