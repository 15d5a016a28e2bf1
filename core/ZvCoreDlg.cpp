#include "ZvCoreDlg.h"
#include "WndFilter.h"
#include "resource.h"

CZvCoreDlg::CZvCoreDlg() : CDialog(IDD_ZVCORE_DIALOG)
{
    MapMessage(WM_CLOSE, &CZvCoreDlg::OnClose);
    Create();
}

BOOL CZvCoreDlg::OnInitDialog()
{
    // Other programs and the window filter know the core program by this title.
    SetWindowTextW(m_hWnd, ZV_HIDDEN_MAIN_WND_TITLE);
    return TRUE;
}

// Escape or a stray IDCANCEL must not end the program.
void CZvCoreDlg::OnCancel() {}

LRESULT CZvCoreDlg::OnClose(WPARAM, LPARAM) noexcept
{
    DestroyWindow(m_hWnd);
    return 0;
}
