// PropertyRegistry: the settings record's load from and save to the program's profile (the
// registry under HKCU\Software\<key>\<profile>, or the INI file when no key is set).
//
// The load is more than a read: it derives the timer periods and the scroll-rate list from
// View SmoothScroll, writes the default keys of empty key entries and the end marks of the
// lists it read, rewrites the fixed-window lists of old data, replaces F10 by F11 where the
// system cannot see F10, and rescales the bar rectangles (saving the whole record) when the
// desktop size has changed since the last save. Values outside what the settings pages allow
// are brought into range (or take their default) and logged; nothing is reported to the caller.
#pragma once

#include <windows.h>

#include "Profile.h"
#include "PropertySet.h"

// What the save stamps into "Version", whatever the record holds.
inline constexpr int PROP_SAVE_MAJOR = 9;
inline constexpr int PROP_SAVE_MINOR = 0;
inline constexpr wchar_t PROP_SAVE_ADDITIONAL_STRING[] = L"Ver. 9.00 Release Build";

// Data saved by a program of this "Major" or lower keeps its titles under "Window No.%d".
inline constexpr int PROP_OLD_FIX_FORMAT_MAJOR = 5;
// A fixed-window list is read and written up to this many entries.
inline constexpr int PROP_FIX_LIST_MAX = 256;

inline constexpr BYTE PROP_VK_F10 = 0x79;
inline constexpr BYTE PROP_VK_F11 = 0x7A;
inline constexpr wchar_t PROP_F10_CONVERT_CAPTION[] = L"Zuvora!";
inline constexpr wchar_t PROP_F10_CONVERT_TEXT[] =
    L"キーボード操作でF10キーに割り当てられた操作がありましたが,\n"
    L"このOSではF10キー操作が検出できませんのでF11キーに置換\n"
    L"しました. メニューからプロパティを表示し, ご確認ください.";

// The systems on which F10 cannot be detected, so a stored F10 loads as F11 (3, 4, 6, 7).
BOOL IsF10ReplacedOSClass(int nOSClass);

// The box that tells of the F10 replacement: MessageBoxW without owner unless replaced
// (tests). Returns the previous procedure; null restores MessageBoxW.
using PROP_INFO_BOX_PROC = int (*)(LPCWSTR pszText, LPCWSTR pszCaption, UINT uType);
PROP_INFO_BOX_PROC SetPropertyInfoBoxProc(PROP_INFO_BOX_PROC pfnBox);

// Fills the whole record; TRUE. Appends to the key and fixed-window lists, so the record is
// new or has been through ClearPropertyLists. The overload without a profile uses the
// program's own (GetApp()->GetProfile()).
BOOL LoadProperty(PROPERTY_SET& prop, const CProfile& profile);
BOOL LoadProperty(PROPERTY_SET& prop);
// Writes the record; TRUE when every value was written, FALSE (logged) when the registry or the
// file refused one. Rebuilds lstScrlRate from the table in force. Never deletes a value.
BOOL SaveProperty(PROPERTY_SET& prop, const CProfile& profile);
BOOL SaveProperty(PROPERTY_SET& prop);

// The Timer section alone, read as LoadProperty reads it: a record that came through the settings
// blocks, in which it does not travel, takes it before it is saved.
void LoadTimerSection(PROPERTY_SET& prop);

// Section operations of the two above.
void LoadScrollWidth(PROP_SCRLWDTH& scrlWdth, const CProfile& profile);
void SaveScrollWidth(const PROP_SCRLWDTH& scrlWdth, const CProfile& profile);
void SaveScrollRate(PROPERTY_SET& prop, const CProfile& profile);
// Reads the ten key lists (bEnable already set); shows the F10 box once when any was replaced.
void LoadKeyAssign(PROP_KEYBD& keybd, const CProfile& profile);
void SaveKeyAssign(const PROP_KEYBD& keybd, const CProfile& profile);
void LoadFixLists(PROPERTY_SET& prop, const CProfile& profile, int nMajor, int nMinor);
void SaveFixLists(const PROP_FIX& fix, const CProfile& profile);
void LoadPosSize(PROPERTY_SET& prop, const CProfile& profile);
// The eight rectangle values, then the current desktop size.
void SavePosSize(const PROP_POSSIZE& posSize, const CProfile& profile);
// Scales the bar rectangles from a desktop of rcStored's size to rcCur's, then SaveProperty.
void RescalePosSize(PROPERTY_SET& prop, const CProfile& profile, const RECT& rcCur, const RECT& rcStored);

// The arithmetic of RescalePosSize. h: height of a horizontal scroll bar, v: width of a
// vertical one. A stored size of 0 or less gives FALSE and leaves posSize alone.
BOOL CalcRescalePosSize(PROP_POSSIZE& posSize, const RECT& rcCur, int nStoredWidth, int nStoredHeight,
                        int h, int v);

// Brings every value that the settings pages limit into their range (or to its default when
// it is no choice of its page), logging each change; the number of values changed.
int ClampPropertyValues(PROPERTY_SET& prop);
