// VerifyFailed: the last stop of a failed lock, wait or event call.
#pragma once

#include <windows.h>

#include <string>

// Shows a warning box (no owner, the program's module path as caption) naming the
// file, line, expression and the system's text for dwError, then ends the process
// with exit code 1.
[[noreturn]] void VerifyFailed(LPCWSTR pszExpr, LPCWSTR pszFile, int nLine, DWORD dwError);

// The text of the box, without showing it.
std::wstring GetVerifyFailedText(LPCWSTR pszExpr, LPCWSTR pszFile, int nLine, DWORD dwError);

#define ZV_VERIFY_WIDEN2(x) L##x
#define ZV_VERIFY_WIDEN(x) ZV_VERIFY_WIDEN2(x)

// ZV_VERIFY(expr): when expr is false, report it with its own text, this file and
// line and the error code that the failing call left behind. GetLastError is read
// before anything else can overwrite it.
#define ZV_VERIFY(expr)                                                                  \
    do {                                                                                 \
        if (!(expr)) {                                                                   \
            const DWORD dwZvVerifyError_ = ::GetLastError();                             \
            ::VerifyFailed(ZV_VERIFY_WIDEN(#expr), ZV_VERIFY_WIDEN(__FILE__), __LINE__, dwZvVerifyError_); \
        }                                                                                \
    } while (0)

// As ZV_VERIFY, with the file name given by the caller (e.g. L"..\\ZvCommon\\LogManager").
#define ZV_VERIFY_IN(expr, pszFile)                                                      \
    do {                                                                                 \
        if (!(expr)) {                                                                   \
            const DWORD dwZvVerifyError_ = ::GetLastError();                             \
            ::VerifyFailed(ZV_VERIFY_WIDEN(#expr), (pszFile), __LINE__, dwZvVerifyError_);  \
        }                                                                                \
    } while (0)
