// The about box: program version, makers and the versions of the system's files.
#pragma once

#include <windows.h>

#include <vector>

#include "SysReport.h"
#include "Window.h"

class CZvCoreAboutDlg : public CDialog {
public:
    explicit CZvCoreAboutDlg(const std::vector<FILE_VERSION_SET>* plstVersion, HWND hWndParent = nullptr);
    ~CZvCoreAboutDlg() override;

protected:
    BOOL OnInitDialog() override;

private:
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) noexcept;
    void ShowCredit() noexcept;

    const std::vector<FILE_VERSION_SET>* m_plstVersion;
    HFONT m_hFont = nullptr;
    HICON m_hIconCredit = nullptr;
};
