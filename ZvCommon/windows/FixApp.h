// CFixApp: a window fixed because the file name of its executable is in the fixed-application list.
#pragma once

#include "FixWnd.h"

class CFixApp : public CFixWnd {
public:
    CFixApp(HWND hWndFixed, LPCWSTR pszAppName);

    // GetImageName of the window equals the kept name, case included.
    BOOL IsMatchWnd(HWND hWndTarget) const override;
    CFixWnd* Clone() const override;
};
