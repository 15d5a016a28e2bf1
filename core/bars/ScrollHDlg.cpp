#include "ScrollHDlg.h"

// The window's code is compiled here, once.
template class CScrollBarDlg<CScrlMngrH, IDD_SCROLLBAR_H, IDC_SPIN_H, IDC_THUMB_H, ZV_SCRLBAR_H_WND_TITLE,
                             ZV_SCROLLHDLG_SPIN_LOG>;
