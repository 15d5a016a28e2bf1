// ProcessLaunch: starting the other programs of the system, finding the program folder,
// the presence test of a named mutex and the one-time move of old registry settings.
#pragma once

#include <windows.h>

#include <string>

#include "ZvNames.h"

// Starts pszProgram hidden with the arguments pszCmdLine (without the program name: it is put
// in front, quoted, so that the child's runtime gets every argument) in pszCurDir (null or empty:
// the current directory of this process, not its program folder). dwWaitMs 0: no wait; else waits up to that long for the program to end.
// Without pdwExitCode: TRUE when it started and (no wait or it ended in time). With pdwExitCode:
// the result of reading the exit code, which is STILL_ACTIVE while the program runs, and 0 with
// FALSE when it did not start.
BOOL ExecProcess(LPCWSTR pszProgram, LPCWSTR pszCurDir, LPCWSTR pszCmdLine, DWORD dwWaitMs,
                 DWORD* pdwExitCode);
// Starts the program as ExecProcess does without waiting; the process handle (the caller closes
// it), or null.
HANDLE StartProcess(LPCWSTR pszProgram, LPCWSTR pszCurDir, LPCWSTR pszCmdLine);

// The command line CreateProcessW gets: the quoted program, then the arguments.
std::wstring BuildProcessCommandLine(LPCWSTR pszProgram, LPCWSTR pszArgs);

// The folder (with its trailing backslash) in which the system's search order finds pszFile,
// beginning with the folder of this program. FALSE when it is found nowhere.
BOOL SearchFileDir(LPCWSTR pszFile, std::wstring& strDir);

// The extension handed to the search: the text from the last "." on, empty when there is
// none or the "." is the last character.
std::wstring GetSearchExtension(LPCWSTR pszFile);

// TRUE while some process holds a mutex of that name. Only opens: a test that created the
// mutex would make a program starting at the same moment believe it runs twice.
BOOL IsMutexExist(LPCWSTR pszName);

// The key of old settings that the next start moves under the settings key, and the copy that
// moves it: ZvRegCopy64.exe from the folder of ZvCore64.exe, told "HKCU <old key> HKCU <maker key>"
// (neither key holds a blank, so the arguments need no quotes).
inline constexpr const wchar_t* IMMIGRATE_KEY = ZV_IMMIGRATE_KEY;
inline constexpr const wchar_t* IMMIGRATE_PARENT_KEY = ZV_SOFTWARE_KEY;
inline constexpr const wchar_t* IMMIGRATE_SUBKEY = ZV_IMMIGRATE_NAME;
inline constexpr const wchar_t* IMMIGRATE_CORE_FILE = ZV_CORE64_FILE;
inline constexpr const wchar_t* IMMIGRATE_TOOL_FILE = ZV_REGCOPY64_FILE;
namespace zvnames {
inline constexpr auto kImmigrateToolArgs = JoinNames(L"HKCU ", kImmigrateKey.sz, L" HKCU ", kMakerKey.sz);
}
inline constexpr const wchar_t* IMMIGRATE_TOOL_ARGS = zvnames::kImmigrateToolArgs.sz;
inline constexpr DWORD IMMIGRATE_TOOL_WAIT = 60000;

// Copies HKCU\Software\V.Z.Q.Immigrate into HKCU\Software\V.Z.Q. with ZvRegCopy64.exe from the
// folder of ZvCore64.exe and deletes the source once the tool reports a complete copy. TRUE
// when there was nothing to move or the move is done; FALSE leaves the source for the next start.
BOOL ImmigrateRegistry();
BOOL IsImmigrateKeyExist();
// Deletes HKCU\Software\V.Z.Q.Immigrate with everything under it.
BOOL DeleteImmigrateKey();
