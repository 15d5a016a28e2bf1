// CZvCoreDlg: window tracking: activations brought into view, minimise and maximise, and the
// list of minimised windows.
#include "ZvCoreDlg.h"

BOOL CZvCoreDlg::IsMinimizedWnd(HWND) const noexcept { return FALSE; }

const std::list<MINIMIZED_WND_POS>& CZvCoreDlg::GetMinimizedWnds() const noexcept
{
    static const std::list<MINIMIZED_WND_POS> s_lstNone;
    return s_lstNone;
}
