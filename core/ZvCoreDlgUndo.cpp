// CZvCoreDlg: undo: the save requests, the undo list, the previous resizable window and its watch.
#include "ZvCoreDlg.h"

BOOL CZvCoreDlg::PostSaveForUndo(int, INT_PTR, void*, INT_PTR) noexcept { return FALSE; }

BOOL CZvCoreDlg::SetPrevResizeWnd(HWND, int) noexcept
{
    m_bResizeMark = 0;
    return FALSE;
}

void CZvCoreDlg::ForgetPrevResizeWnd() noexcept { m_itemUndo = ITEM_UNDO{}; }
