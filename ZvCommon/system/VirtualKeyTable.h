#pragma once
#include <windows.h>

// One row of the virtual-key table, indexed by virtual-key code.
struct VKEY_INFO {
    BOOL bValid;      // the key may be assigned to an operation
    int nMask;        // bit of the key-state byte that counts as pressed; 0 never counts
    LPCWSTR pszText;  // display name when bValid, else the refusal shown to the user
};

inline constexpr int VKEY_TABLE_SIZE = 256;

extern const VKEY_INFO g_aVKeyInfo[VKEY_TABLE_SIZE];

// FALSE for codes outside 0..255 as well.
BOOL IsAssignableVKey(int nVKey);
