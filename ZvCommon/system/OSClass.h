// OSClass: the operating-system class of the running Windows, the start-up check that refuses
// unsupported versions, and the two user-library functions that are looked up by name.
#pragma once

#include <windows.h>

// Class 0 (unsupported) to 7, from the platform and the version numbers: NT 5.0 -> 1, 5.1 -> 2,
// 6.0 -> 3, 6.1 -> 4, 6.2 -> 5, 6.3 -> 6, 6.4 and later -> 7; anything else 0.
int GetOSClassOf(DWORD dwPlatformId, DWORD dwMajorVersion, DWORD dwMinorVersion);

// The class of the running system (GetVersionExW), or the override when one is set.
int GetOSClass();

// For tests: from now on GetOSClass gives nOSClass in the whole process; a negative value ends
// the override.
void SetOSClassOverride(int nOSClass);

// One row per supported class.
struct OS_CLASS_ROW {
    int nOSClass;
    int bSupported;
    int nReserved;
    int bAskBeforeRun;  // the user confirms the start on this class unless it is allowed
};
extern const OS_CLASS_ROW g_aOSClassRow[7];

// The row of a class; null for class 0 and unknown classes.
const OS_CLASS_ROW* FindOSClassRow(int nOSClass);

// The classes whose shell the filters know (3, 4, 6 and 7; not 5): the window filter recognises
// their start button and gadget host, and a stored F10 loads as F11 because F10 cannot be
// detected on them.
BOOL IsNt6ShellOSClass(int nOSClass) noexcept;

// Classes on which the hook messages must be let through the window-message filter
// (3, 4, 6 and 7; not 5).
BOOL IsMsgFilterOSClass(int nOSClass);

// What the start-up check does on a class.
enum class OS_CHECK_STEP {
    Refuse,    // unsupported: error box, the program ends
    AskNewer,  // newest class and not allowed yet: ask whether to go on
    Run,
};
OS_CHECK_STEP GetOSCheckStep(int nOSClass, BOOL bAllowExecOnNewerOS);

// Shows a message box; the check's boxes go through it (MessageBoxW with no owner by default).
using OS_CHECK_BOX_PROC = int (*)(LPCWSTR pszText, LPCWSTR pszCaption, UINT uType);

inline constexpr wchar_t OS_CHECK_REFUSE_TEXT[] = L"このOSはサポートされていません.\nZuvora!を終了します.";
inline constexpr wchar_t OS_CHECK_ASK_TEXT[] =
    L"このOSはサポートされていません.\nZuvora!は正しく動作しない可能性があります.\nZuvora!を続行しますか？";
inline constexpr wchar_t OS_CHECK_LOAD_FAILED_FORMAT[] = L"ライブラリ %s のロードに失敗しました.\nコード = 0x%x";

// Refuses an unsupported class, asks on the newest class unless *pbAllowExecOnNewerOS is set
// (a Yes sets it), and, when phUser32 is given, loads "User32.dll" into it and looks up
// "GetAncestor" and, on the message-filter classes, "ChangeWindowMessageFilter". FALSE: the
// program must not start (the reason has been shown); a module loaded before a failed look-up
// is freed again and *phUser32 is null.
BOOL CheckOSAndLoadUser32(LPCWSTR pszCaption, HMODULE* phUser32, BOOL* pbAllowExecOnNewerOS,
                          OS_CHECK_BOX_PROC pfnBox = nullptr);

// Frees the module of CheckOSAndLoadUser32 and forgets the functions looked up in it.
void FreeUser32(HMODULE* phUser32);

// The looked-up functions; null while not loaded.
using PFN_GETANCESTOR = HWND(WINAPI*)(HWND, UINT);
using PFN_CHANGEWINDOWMESSAGEFILTER = BOOL(WINAPI*)(UINT, DWORD);
PFN_GETANCESTOR GetAncestorProc();
PFN_CHANGEWINDOWMESSAGEFILTER ChangeWindowMessageFilterProc();

// ChangeWindowMessageFilter(uMessage, dwAction) with action 1 (add) or 2 (remove); 0 when the
// function has not been loaded.
BOOL ChangeWndMsgFilter(UINT uMessage, DWORD dwAction);
