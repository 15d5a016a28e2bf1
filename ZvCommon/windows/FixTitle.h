// CFixTitle: a window fixed because its title is in the fixed-title list.
#pragma once

#include "FixWnd.h"

class CFixTitle : public CFixWnd {
public:
    CFixTitle(HWND hWndFixed, LPCWSTR pszTitle);

    // The window's whole title equals the kept title; a longer title that merely begins with it
    // does not match.
    BOOL IsMatchWnd(HWND hWndTarget) const override;
    CFixWnd* Clone() const override;
};
