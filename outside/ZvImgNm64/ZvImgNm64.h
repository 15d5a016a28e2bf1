// ZvImgNm64.dll: the file name of the executable behind a window.
//
// Link the target ZvImgNm64 (import library ZvImgNm64.dll.a with MinGW, ZvImgNm64.lib with MSVC);
// this header comes with it. Both functions may be called from any thread.
#pragma once
#include <windows.h>

#if defined(ZVIMGNM64_BUILD)
#define ZVIMGNM64_API
#else
#define ZVIMGNM64_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Writes into pszName the bare file name (no directory, the case as the file is named on disk,
// e.g. "ZvCore64.exe") of the executable of the process that owns hWnd.
//
// nMaxLen counts characters WITHOUT the terminating NUL: pszName must hold nMaxLen + 1 WCHARs,
// and the call writes no more than that (at most nMaxLen characters and the NUL).
//
// Returns nonzero with the NUL-terminated name on success. Returns FALSE, never a shortened name,
// when the name is longer than nMaxLen (ERROR_INSUFFICIENT_BUFFER), when hWnd is null or no longer
// a window (ERROR_INVALID_WINDOW_HANDLE), when the process cannot be named (ERROR_NOT_FOUND), or
// for a null pszName or a negative nMaxLen (ERROR_INVALID_PARAMETER, nothing written). On every
// FALSE with a usable buffer pszName[0] is set to NUL, so a stale name never survives.
//
// Works without a previous UpdateProcessList and for processes started after the last one.
ZVIMGNM64_API BOOL WINAPI GetImageName(HWND hWnd, LPWSTR pszName, int nMaxLen);

// Refreshes the library's list of running processes (process id -> executable file name), the
// fallback for processes that refuse to be queried, and forgets the cached on-disk names.
// Call it once before a run of GetImageName over many windows. FALSE when no process snapshot
// could be taken; the previous list then stays.
ZVIMGNM64_API BOOL WINAPI UpdateProcessList(void);

#ifdef __cplusplus
}
#endif
