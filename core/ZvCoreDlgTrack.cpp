// CZvCoreDlg: window tracking: activations brought into view, minimise and maximise, and the
// list of minimised windows.
#include "ZvCoreDlg.h"

BOOL CZvCoreDlg::IsMinimizedWnd(HWND) const noexcept { return FALSE; }
