// The horizontal scroll-bar window, whose drag manager is CScrlMngrH.
#pragma once
#include "ScrlMngrH.h"
#include "ScrollBarDlg.h"
#include "WndFilter.h"
#include "resource.h"

inline constexpr wchar_t ZV_SCROLLHDLG_SPIN_LOG[] = L"CScrollHDlg::OnDeltaposSpinH() out.\r\n";

// Compiled once, in ScrollHDlg.cpp.
extern template class CScrollBarDlg<CScrlMngrH, IDD_SCROLLBAR_H, IDC_SPIN_H, IDC_THUMB_H, ZV_SCRLBAR_H_WND_TITLE,
                                    ZV_SCROLLHDLG_SPIN_LOG>;

class CScrollHDlg final : public CScrollBarDlg<CScrlMngrH, IDD_SCROLLBAR_H, IDC_SPIN_H, IDC_THUMB_H,
                                                ZV_SCRLBAR_H_WND_TITLE, ZV_SCROLLHDLG_SPIN_LOG> {
public:
    using CScrollBarDlg::CScrollBarDlg;
};
