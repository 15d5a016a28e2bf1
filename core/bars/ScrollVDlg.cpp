#include "ScrollVDlg.h"

// The window's code is compiled here, once.
template class CScrollBarDlg<CScrlMngrV, IDD_SCROLLBAR_V, IDC_SPIN_V, IDC_THUMB_V, ZV_SCRLBAR_V_WND_TITLE,
                             ZV_SCROLLVDLG_SPIN_LOG>;
