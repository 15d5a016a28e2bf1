// WndUtil: small window and text helpers of the core program and the window enumerator. Plain
// Win32 only, so that a program of either tree can use them (the untitled-window label, which
// needs ZvImgNm64, is in UntitledWndName).
#pragma once

#include <windows.h>

#include <string>

struct PROPERTY_SET;

// Fits pszSrc into pszBuf (nBufSize characters, terminator included) with pszTail ("...") at
// its end: a text shorter than the buffer is copied whole; otherwise the text is cut after the
// last whole printable character at or before position nBufSize - tail - 2 and the tail is
// appended, nBufSize - 1 characters at most. A surrogate pair is never split.
void AbbreviateStr(LPCWSTR pszSrc, LPWSTR pszBuf, int nBufSize, LPCWSTR pszTail);

// Copies at most nBufSize - 1 characters of pszText, zero-filling the rest of the buffer; a
// surrogate pair that does not fit whole is left out.
void CopyStrToBuf(LPWSTR pszBuf, LPCWSTR pszText, int nBufSize);

// Equal show commands, or SW_SHOWMINIMIZED against SW_MINIMIZE.
BOOL IsSameShowCmd(UINT nShowCmd1, UINT nShowCmd2);

// GetWindow(hWnd, uCmd) when it can take part in the window order: null when there is none, it
// is gone (bRequireAlive) or its placement cannot be read. A minimised one is given only when
// hWnd has no owner window, or a visible owner that is not minimised itself.
HWND GetRelatedWnd(HWND hWnd, UINT uCmd, BOOL bRequireAlive);

// Keeps the two scroll-bar windows in the position-and-size section. Always TRUE.
BOOL SetScrollBarWnds(PROPERTY_SET& prop, HWND hWndHorz, HWND hWndVert);
