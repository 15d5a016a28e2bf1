// CFixWnd: a window kept in place while the others scroll, and the base of the records that say
// why (CFixTitle by exact title, CFixApp by executable name).
#pragma once

#include <windows.h>

#include <memory>

inline constexpr int FIXWND_TYPE_PLAIN = 0;
inline constexpr int FIXWND_TYPE_TITLE = 1;
inline constexpr int FIXWND_TYPE_APP = 2;

class CFixWnd {
public:
    CFixWnd(const CFixWnd&) = delete;
    CFixWnd& operator=(const CFixWnd&) = delete;
    virtual ~CFixWnd();

    // Same kind and equal kept texts; the window does not count.
    virtual BOOL IsEqual(const CFixWnd* pOther) const;
    // The text equals the kept text exactly (case-sensitive); never for a plain record.
    virtual BOOL IsMatchStr(LPCWSTR pszText) const;
    virtual BOOL IsMatchWnd(HWND hWndTarget) const = 0;
    virtual CFixWnd* Clone() const = 0;

    // The kept text; empty for a plain record.
    LPCWSTR GetText() const noexcept { return psz ? psz.get() : L""; }

    int nType = FIXWND_TYPE_PLAIN;
    std::unique_ptr<wchar_t[]> psz;  // null in a plain record
    HWND hWnd = nullptr;

protected:
    explicit CFixWnd(HWND hWndFixed) noexcept : hWnd(hWndFixed) {}
    CFixWnd(int nKind, HWND hWndFixed, LPCWSTR pszText);
};
