// The settings program's about box (template 100), opened from the sheet's system menu.
#pragma once

#include "Window.h"
#include "resource.h"

class CZvPropertyAboutDlg : public CDialog {
public:
    explicit CZvPropertyAboutDlg(HWND hWndParent = nullptr) : CDialog(IDD_ABOUTBOX, hWndParent) {}
};
