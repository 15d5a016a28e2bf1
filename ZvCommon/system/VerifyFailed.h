// VerifyFailed: the last stop of a failed lock, wait or event call.
#pragma once

#include <windows.h>

#include <string>

// Shows a warning box (no owner, the program's module path as caption) naming the
// file, line, expression and the system's text for dwError, then ends the process
// with exit code 1.
[[noreturn]] void VerifyFailed(LPCWSTR pszExpr, LPCWSTR pszFile, int nLine, DWORD dwError);

// What a program keeps before a failed check ends it, as every orderly end does (the core program:
// its settings record). Registered by the thread that owns what it saves and run only on that
// thread, once, before the box: a failed check inside the save itself (it may take the same lock)
// goes straight to the box. Null removes it.
using VERIFY_SAVE_PROC = void (*)(void* pContext);
void SetVerifyFailedSave(VERIFY_SAVE_PROC pfnSave, void* pContext);
// Runs the registered save when this is its thread and it has not run yet: TRUE when it ran.
BOOL RunVerifyFailedSave();

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
