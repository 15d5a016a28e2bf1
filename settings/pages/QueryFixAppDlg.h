// CQueryFixAppDlg: asks before a change to one window's fix reaches the other open windows of
// its application, and lists them. IDOK is yes; every other result is no.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Window.h"

class CQueryFixAppDlg : public CDialog {
public:
    // The question asked, by the change the user makes.
    enum : int { MODE_UNFIX_APP = 0, MODE_APP_TO_TITLE = 1, MODE_TITLE_TO_APP = 2 };

    CQueryFixAppDlg(std::wstring strAppName, std::wstring strWndText, int nMode, std::vector<HWND> lstWnd,
                    HWND hWndParent);

    // The string of the question asked in this mode; 0 keeps the template's text.
    static UINT QuestionStringId(int nMode) noexcept;

protected:
    BOOL OnInitDialog() override;

private:
    std::wstring m_strAppName;
    std::wstring m_strWndText;
    int m_nMode;
    std::vector<HWND> m_lstWnd;
};
