// The vertical scroll-bar window, whose drag manager is CScrlMngrV.
#pragma once
#include "ScrlMngrV.h"
#include "ScrollBarDlg.h"
#include "WndFilter.h"
#include "resource.h"

inline constexpr wchar_t ZV_SCROLLVDLG_SPIN_LOG[] = L"CScrollVDlg::OnDeltaposSpinH() out.\r\n";

// Compiled once, in ScrollVDlg.cpp.
extern template class CScrollBarDlg<CScrlMngrV, IDD_SCROLLBAR_V, IDC_SPIN_V, IDC_THUMB_V, ZV_SCRLBAR_V_WND_TITLE,
                                    ZV_SCROLLVDLG_SPIN_LOG>;

class CScrollVDlg final : public CScrollBarDlg<CScrlMngrV, IDD_SCROLLBAR_V, IDC_SPIN_V, IDC_THUMB_V,
                                                ZV_SCRLBAR_V_WND_TITLE, ZV_SCROLLVDLG_SPIN_LOG> {
public:
    using CScrollBarDlg::CScrollBarDlg;
};
