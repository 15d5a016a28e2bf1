#pragma once
#include <windows.h>

// What a caller fills in to add a software timer to a CTmrMngr.
struct TMR_ITEM_PARAM {
    HWND hWnd;
    UINT uMsg;
    UINT uPeriod;
    WPARAM wParam;
    LPARAM lParam;
};

// One software timer: posts m_uMsg with its parameters to m_hWnd each time its
// period has passed while it runs. CTmrMngr owns and advances it.
class CTmrItem {
public:
    CTmrItem(const TMR_ITEM_PARAM& param, int nId) noexcept;
    virtual ~CTmrItem();

    CTmrItem(const CTmrItem&) = delete;
    CTmrItem& operator=(const CTmrItem&) = delete;

    HWND m_hWnd;
    UINT m_uMsg;
    UINT m_uPeriod;
    WPARAM m_wParam;
    LPARAM m_lParam;
    int m_nId;
    BOOL m_bEnable;
    UINT m_uElapsed;
};
