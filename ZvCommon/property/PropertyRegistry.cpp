#include "PropertyRegistry.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <initializer_list>
#include <string>

#include "LogManager.h"
#include "OSClass.h"
#include "Strings.h"
#include "VirtualKeyTable.h"
#include "WinApp.h"

namespace {

PROP_INFO_BOX_PROC g_pfnInfoBox = nullptr;

// Corrections and traces of the load go to the log of whichever program runs it.
void LogProp(int nLevel, LPCWSTR pszFormat, ...)
{
    CLogManager* pManager = GetLogManager();
    if (!pManager)
        return;
    va_list args;
    va_start(args, pszFormat);
    OutputLogV(nLevel, pManager->GetSender(), pszFormat, args);
    va_end(args);
}

// A value of another type reads as its default; say so, since only a hand edit or a foreign
// program can have put it there. The type is read only when that line would be written.
void LogIfOtherType(const CProfile& profile, LPCWSTR pszSection, LPCWSTR pszEntry, DWORD dwExpected)
{
    if (!profile.UsesRegistry() || !IsLogLevelActive(LOG_LEVEL_INFO))
        return;
    DWORD dwType = REG_NONE;
    if (RegGetValueW(HKEY_CURRENT_USER, profile.GetSectionKeyPath(pszSection).c_str(), pszEntry,
                     RRF_RT_ANY | RRF_NOEXPAND, &dwType, nullptr, nullptr) == ERROR_SUCCESS
        && dwType != dwExpected)
        LogProp(LOG_LEVEL_INFO, L"LoadProperty(): \"%s\" \"%s\" has registry type %lu, its default is taken.\r\n",
                pszSection, pszEntry, dwType);
}

int ReadInt(const CProfile& profile, LPCWSTR pszSection, LPCWSTR pszEntry, int nDefault)
{
    LogIfOtherType(profile, pszSection, pszEntry, REG_DWORD);
    return static_cast<int>(profile.GetInt(pszSection, pszEntry, nDefault));
}

BOOL ReadFlag(const CProfile& profile, LPCWSTR pszSection, LPCWSTR pszEntry, BOOL bDefault)
{
    return ReadInt(profile, pszSection, pszEntry, bDefault) == 1 ? TRUE : FALSE;
}

std::wstring ReadText(const CProfile& profile, LPCWSTR pszSection, LPCWSTR pszEntry)
{
    LogIfOtherType(profile, pszSection, pszEntry, REG_SZ);
    return profile.GetString(pszSection, pszEntry, PROP_NO_ENTRY);
}

void WriteFlag(const CProfile& profile, LPCWSTR pszSection, LPCWSTR pszEntry, BOOL b)
{
    profile.WriteInt(pszSection, pszEntry, b ? 1 : 0);
}

template <class S, class T, size_t N>
const PROP_VALUE_DEF<S, T>& FindDef(const PROP_VALUE_DEF<S, T> (&aDef)[N], T S::*pField)
{
    for (const auto& def : aDef) {
        if (def.pField == pField)
            return def;
    }
    return aDef[0];
}

// Reads the listed fields in the given order, each as its table row says.
template <class S, class T, size_t N>
void LoadValues(S& s, const CProfile& profile, LPCWSTR pszSection, const PROP_VALUE_DEF<S, T> (&aDef)[N],
                std::initializer_list<T S::*> fields)
{
    for (T S::*pField : fields) {
        const auto& def = FindDef(aDef, pField);
        if (def.nFlags & PVF_NOT_READ)
            s.*pField = def.tDefault;
        else if (def.nFlags & PVF_FLAG)
            s.*pField = static_cast<T>(ReadFlag(profile, pszSection, def.pszName, static_cast<BOOL>(def.tDefault)));
        else
            s.*pField = static_cast<T>(ReadInt(profile, pszSection, def.pszName, static_cast<int>(def.tDefault)));
    }
}

template <class S, class T, size_t N>
void SaveValues(const S& s, const CProfile& profile, LPCWSTR pszSection, const PROP_VALUE_DEF<S, T> (&aDef)[N],
                std::initializer_list<T S::*> fields)
{
    for (T S::*pField : fields) {
        const auto& def = FindDef(aDef, pField);
        if ((def.nFlags & PVF_NOT_WRITTEN) || !def.pszName)
            continue;
        if (def.nFlags & PVF_FLAG)
            WriteFlag(profile, pszSection, def.pszName, s.*pField != 0);
        else
            profile.WriteInt(pszSection, def.pszName, static_cast<int>(s.*pField));
    }
}

std::wstring KeyValueName(int nEntry, int nIndex)
{
    return FormatString(g_aKeyAssignDef[nEntry].pszKeyFormat, nIndex);
}

// Products beyond 32 bits (only from hand-edited values) saturate instead of wrapping.
int Scale(int nValue, int nNew, int nOld)
{
    const long long ll = static_cast<long long>(nNew) * nValue / nOld;
    return static_cast<int>(std::clamp<long long>(ll, INT_MIN, INT_MAX));
}

void LoadTimer(PROPERTY_SET& prop, const CProfile& profile)
{
    PROP_TIMER& t = prop.propTimer;
    for (const auto& def : g_aPropTimerValues) {
        if (def.nFlags & PVF_NOT_READ)
            t.*def.pField = TimerPeriodFor(prop.propView.bSmoothScroll);
        else
            t.*def.pField = static_cast<DWORD>(ReadInt(profile, PROP_SECTION_TIMER, def.pszName,
                                                        static_cast<int>(def.tDefault)));
    }
}

void SaveTimer(const PROPERTY_SET& prop, const CProfile& profile)
{
    for (const auto& def : g_aPropTimerValues) {
        if (def.nFlags & PVF_NOT_WRITTEN)
            continue;
        const DWORD dw = (def.nFlags & PVF_NOT_READ) ? TimerPeriodFor(prop.propView.bSmoothScroll)
                                                     : prop.propTimer.*def.pField;
        profile.WriteInt(PROP_SECTION_TIMER, def.pszName, static_cast<int>(dw));
    }
}

// The enable flags: "Arrow" for the eight scroll entries, "Undo" and "Menu" for their own.
void LoadKeyEnable(PROP_KEYBD& keybd, const CProfile& profile)
{
    const BOOL bArrow = ReadFlag(profile, PROP_SECTION_KEYBOARD, g_aKeyAssignDef[KEYASSIGN_LEFT_LINE].pszEnable,
                                 g_aKeyAssignDef[KEYASSIGN_LEFT_LINE].bEnableDefault);
    for (int i = KEYASSIGN_LEFT_LINE; i <= KEYASSIGN_DOWN_PAGE; ++i)
        keybd.aKeyAssign[i].bEnable = bArrow;
    for (int i : {static_cast<int>(KEYASSIGN_UNDO), static_cast<int>(KEYASSIGN_MENU)})
        keybd.aKeyAssign[i].bEnable = ReadFlag(profile, PROP_SECTION_KEYBOARD, g_aKeyAssignDef[i].pszEnable,
                                               g_aKeyAssignDef[i].bEnableDefault);
}

void SaveKeyEnable(const PROP_KEYBD& keybd, const CProfile& profile)
{
    for (int i : {static_cast<int>(KEYASSIGN_LEFT_LINE), static_cast<int>(KEYASSIGN_UNDO),
                  static_cast<int>(KEYASSIGN_MENU)})
        WriteFlag(profile, PROP_SECTION_KEYBOARD, g_aKeyAssignDef[i].pszEnable, keybd.aKeyAssign[i].bEnable);
}

// Reads one numbered text list; the index after the last text taken, 0 when none.
int ReadFixList(const CProfile& profile, LPCWSTR pszFormat, std::initializer_list<LPCWSTR> ends,
                std::vector<std::wstring>& lst)
{
    int nNext = 0;
    for (int i = 0; i < PROP_FIX_LIST_MAX; ++i) {
        const std::wstring strName = FormatString(pszFormat, i);
        const std::wstring str = ReadText(profile, PROP_SECTION_FIX, strName.c_str());
        if (std::find(ends.begin(), ends.end(), str) != ends.end())
            break;
        if (str == PROP_NO_ENTRY || str.empty())
            continue;
        lst.push_back(str);
        nNext = i + 1;
    }
    return nNext;
}

void WriteFixList(const CProfile& profile, LPCWSTR pszFormat, LPCWSTR pszEnd, const std::vector<std::wstring>& lst)
{
    profile.WriteString(PROP_SECTION_FIX, FormatString(pszFormat, 0).c_str(), pszEnd);
    int n = 0;
    for (const std::wstring& str : lst) {
        if (n >= PROP_FIX_LIST_MAX)
            break;
        if (str.empty())
            continue;
        profile.WriteString(PROP_SECTION_FIX, FormatString(pszFormat, n).c_str(), str.c_str());
        profile.WriteString(PROP_SECTION_FIX, FormatString(pszFormat, n + 1).c_str(), pszEnd);
        ++n;
    }
}

// Logs a changed value; TRUE when it changed.
template <class T>
BOOL Correct(T& field, T tNew, LPCWSTR pszSection, LPCWSTR pszEntry)
{
    if (field == tNew)
        return FALSE;
    LogProp(LOG_LEVEL_INFO, L"LoadProperty(): \"%s\" \"%s\" = %d is out of range, %d taken.\r\n", pszSection,
            pszEntry, static_cast<int>(field), static_cast<int>(tNew));
    field = tNew;
    return TRUE;
}

BOOL ClampInt(int& n, int nMin, int nMax, LPCWSTR pszSection, LPCWSTR pszEntry)
{
    return Correct(n, std::clamp(n, nMin, nMax), pszSection, pszEntry);
}

// The alive ping between the core program and the gateway: pinged at least every timer step, and
// taken as lost only after a few missed pings, never before the first one was due. A limit below
// the interval ended the core program at its start.
constexpr DWORD kAliveSendMin = 100;
constexpr DWORD kAliveSendMax = 600000;
constexpr DWORD kAliveRecvMin = 1000;
constexpr DWORD kAliveRecvMax = 3600000;
constexpr DWORD kAlivePingsPerLimit = 3;

int ClampAliveTimers(PROP_TIMER& t)
{
    int n = Correct(t.dwAliveNotificationSendInterval,
                    std::clamp(t.dwAliveNotificationSendInterval, kAliveSendMin, kAliveSendMax), PROP_SECTION_TIMER,
                    FindDef(g_aPropTimerValues, &PROP_TIMER::dwAliveNotificationSendInterval).pszName);
    const DWORD dwRecvMin = std::max(kAliveRecvMin, kAlivePingsPerLimit * t.dwAliveNotificationSendInterval);
    n += Correct(t.dwAliveNotificationReceiveLimit,
                 std::clamp(t.dwAliveNotificationReceiveLimit, dwRecvMin, std::max(dwRecvMin, kAliveRecvMax)),
                 PROP_SECTION_TIMER, FindDef(g_aPropTimerValues, &PROP_TIMER::dwAliveNotificationReceiveLimit).pszName);
    return n;
}

BOOL ChoiceOrDefault(int& n, int nCount, int nDefault, LPCWSTR pszSection, LPCWSTR pszEntry)
{
    return Correct(n, (n >= 0 && n < nCount) ? n : nDefault, pszSection, pszEntry);
}

template <class S, class T, size_t N>
T DefaultOf(const PROP_VALUE_DEF<S, T> (&aDef)[N], T S::*pField)
{
    return FindDef(aDef, pField).tDefault;
}

}  // namespace

BOOL IsF10ReplacedOSClass(int nOSClass)
{
    return IsNt6ShellOSClass(nOSClass);
}

PROP_INFO_BOX_PROC SetPropertyInfoBoxProc(PROP_INFO_BOX_PROC pfnBox)
{
    PROP_INFO_BOX_PROC pfnOld = g_pfnInfoBox;
    g_pfnInfoBox = pfnBox;
    return pfnOld;
}

// ---------------------------------------------------------------------------
// Scroll widths and rates

void LoadScrollWidth(PROP_SCRLWDTH& scrlWdth, const CProfile& profile)
{
    for (int nEntry = 0; nEntry < SCRLWDTH_COUNT; ++nEntry) {
        for (int nField = 0; nField < SCRLWDTH_FIELDS; ++nField) {
            int SCROLL_WIDTH::* const pField = g_apScrlWdthField[nField];
            const std::wstring strName = GetScrlWdthValueName(nEntry, nField);
            scrlWdth.aScrlWdth[nEntry].*pField = ReadInt(profile, PROP_SECTION_SCROLL, strName.c_str(),
                                                         g_propScrlWdthDefault.aScrlWdth[nEntry].*pField);
        }
    }
}

void SaveScrollWidth(const PROP_SCRLWDTH& scrlWdth, const CProfile& profile)
{
    for (int nEntry = 0; nEntry < SCRLWDTH_COUNT; ++nEntry) {
        for (int nField = 0; nField < SCRLWDTH_FIELDS; ++nField) {
            const std::wstring strName = GetScrlWdthValueName(nEntry, nField);
            profile.WriteInt(PROP_SECTION_SCROLL, strName.c_str(),
                             scrlWdth.aScrlWdth[nEntry].*g_apScrlWdthField[nField]);
        }
    }
}

void SaveScrollRate(PROPERTY_SET& prop, const CProfile& profile)
{
    // The built tables end where the written rows must end (at most 12 or 4 rows).
    MakeScrollRateList(prop);
    const size_t nMax = prop.propView.bSmoothScroll ? 12 : 4;
    if (prop.lstScrlRate.size() > nMax)
        prop.lstScrlRate.resize(nMax);
    int n = 0;
    for (const SCROLL_RATE& rate : prop.lstScrlRate) {
        profile.WriteInt(PROP_SECTION_SCROLL_RATE, FormatString(PROP_SCROLL_RATE_CNT, n).c_str(), rate.nCnt);
        profile.WriteInt(PROP_SECTION_SCROLL_RATE, FormatString(PROP_SCROLL_RATE_WIDTH, n).c_str(), rate.nWidth);
        ++n;
    }
}

// ---------------------------------------------------------------------------
// Key lists

void LoadKeyAssign(PROP_KEYBD& keybd, const CProfile& profile)
{
    const BOOL bReplaceF10 = IsF10ReplacedOSClass(GetOSClass());
    BOOL bReplaced = FALSE;
    for (int nEntry = 0; nEntry < KEYASSIGN_COUNT; ++nEntry) {
        KEY_ASSIGN& ka = keybd.aKeyAssign[nEntry];
        BOOL bAppended = FALSE;
        int nIndex = 0;
        int nCode = ReadInt(profile, PROP_SECTION_KEYBOARD, KeyValueName(nEntry, 0).c_str(), 0);
        if (nCode > 0) {
            while (nCode <= 255 && nIndex < KEYASSIGN_MAX_KEYS) {
                if (IsAssignableVKey(nCode)) {
                    BYTE byKey = static_cast<BYTE>(nCode);
                    if (bReplaceF10 && byKey == PROP_VK_F10) {
                        byKey = PROP_VK_F11;
                        bReplaced = TRUE;
                    }
                    ka.lstKey.push_back(byKey);
                    bAppended = TRUE;
                } else {
                    LogProp(LOG_LEVEL_INFO, L"LoadKeyAssign(): \"%s\" holds key %d, which may not be assigned.\r\n",
                            KeyValueName(nEntry, nIndex).c_str(), nCode);
                }
                ++nIndex;
                if (nIndex >= KEYASSIGN_MAX_KEYS)
                    break;
                nCode = ReadInt(profile, PROP_SECTION_KEYBOARD, KeyValueName(nEntry, nIndex).c_str(), 0);
                if (nCode <= 0)
                    break;
            }
        }
        if (bAppended) {
            profile.WriteInt(PROP_SECTION_KEYBOARD, KeyValueName(nEntry, nIndex).c_str(), 0);
            continue;
        }
        if (!ka.bEnable)
            continue;
        int nDefault = 0;
        for (BYTE byKey : GetDefaultKeyList(nEntry)) {
            ka.lstKey.push_back(byKey);
            profile.WriteInt(PROP_SECTION_KEYBOARD, KeyValueName(nEntry, nDefault).c_str(), byKey);
            ++nDefault;
        }
        profile.WriteInt(PROP_SECTION_KEYBOARD, KeyValueName(nEntry, nDefault).c_str(), 0);
    }
    if (bReplaced) {
        LogProp(LOG_LEVEL_INFO, L"LoadKeyAssign(): F10 replaced by F11.\r\n");
        if (g_pfnInfoBox)
            g_pfnInfoBox(PROP_F10_CONVERT_TEXT, PROP_F10_CONVERT_CAPTION, MB_OK | MB_ICONINFORMATION);
        else
            ShowMessageBox(PROP_F10_CONVERT_TEXT, PROP_F10_CONVERT_CAPTION, MB_OK | MB_ICONINFORMATION);
    }
}

void SaveKeyAssign(const PROP_KEYBD& keybd, const CProfile& profile)
{
    for (int nEntry = 0; nEntry < KEYASSIGN_COUNT; ++nEntry) {
        for (int i = 0; i < KEYASSIGN_MAX_KEYS; ++i) {
            const std::wstring strName = KeyValueName(nEntry, i);
            const int nCode = static_cast<int>(profile.GetInt(PROP_SECTION_KEYBOARD, strName.c_str(), 0));
            if (nCode < 1 || nCode > 255)
                break;
            profile.WriteInt(PROP_SECTION_KEYBOARD, strName.c_str(), 0);
        }
        // Keys that may not be assigned leave no hole: a 0 in the middle would end the list
        // on the next load and lose the keys behind it.
        const std::vector<BYTE>& lst = keybd.aKeyAssign[nEntry].lstKey;
        int nIndex = 0;
        for (BYTE byKey : lst) {
            if (byKey == 0 || nIndex >= KEYASSIGN_MAX_KEYS)
                break;
            if (!IsAssignableVKey(byKey))
                continue;
            profile.WriteInt(PROP_SECTION_KEYBOARD, KeyValueName(nEntry, nIndex).c_str(), byKey);
            ++nIndex;
        }
        if (!lst.empty())
            profile.WriteInt(PROP_SECTION_KEYBOARD, KeyValueName(nEntry, nIndex).c_str(), 0);
    }
}

// ---------------------------------------------------------------------------
// Fixed-window lists

void LoadFixLists(PROPERTY_SET& prop, const CProfile& profile, int nMajor, int /*nMinor*/)
{
    PROP_FIX& fix = prop.propFix;
    const BOOL bOld = nMajor <= PROP_OLD_FIX_FORMAT_MAJOR;
    int nNext = ReadFixList(profile, bOld ? PROP_FIX_OLD_TITLE_FORMAT : PROP_FIX_TITLE_FORMAT,
                            {PROP_FIX_TITLE_END, PROP_FIX_OLD_TITLE_END}, fix.lstTitle);
    // Without "Major" (a lost "Version" section) titles of the present format would
    // otherwise be overwritten by the empty old list below.
    if (bOld && nNext == 0)
        nNext = ReadFixList(profile, PROP_FIX_TITLE_FORMAT, {PROP_FIX_TITLE_END, PROP_FIX_OLD_TITLE_END},
                            fix.lstTitle);
    if (nNext > 0)
        profile.WriteString(PROP_SECTION_FIX, FormatString(PROP_FIX_TITLE_FORMAT, nNext).c_str(), PROP_FIX_TITLE_END);

    nNext = ReadFixList(profile, PROP_FIX_APP_FORMAT, {PROP_FIX_APP_END}, fix.lstApp);
    if (nNext > 0)
        profile.WriteString(PROP_SECTION_FIX, FormatString(PROP_FIX_APP_FORMAT, nNext).c_str(), PROP_FIX_APP_END);

    if (bOld)
        SaveFixLists(fix, profile);
}

void SaveFixLists(const PROP_FIX& fix, const CProfile& profile)
{
    WriteFixList(profile, PROP_FIX_TITLE_FORMAT, PROP_FIX_TITLE_END, fix.lstTitle);
    WriteFixList(profile, PROP_FIX_APP_FORMAT, PROP_FIX_APP_END, fix.lstApp);
}

// ---------------------------------------------------------------------------
// Position and size

BOOL CalcRescalePosSize(PROP_POSSIZE& p, const RECT& rcCur, int nStoredWidth, int nStoredHeight, int h, int v)
{
    if (nStoredWidth <= 0 || nStoredHeight <= 0)
        return FALSE;
    const int nW = static_cast<int>(rcCur.right - rcCur.left);
    const int nH = static_cast<int>(rcCur.bottom - rcCur.top);
    p.nHorzOrgX = Scale(p.nHorzOrgX, nW, nStoredWidth);
    p.nHorzWidth = std::max(Scale(p.nHorzWidth, nW, nStoredWidth), 4 * h);
    p.nVertOrgX = Scale(p.nVertOrgX, nW, nStoredWidth);
    p.nVertWidth = std::max(Scale(p.nVertWidth, nW, nStoredWidth), v / 2);
    p.nHorzOrgY = Scale(p.nHorzOrgY, nH, nStoredHeight);
    p.nHorzHeight = std::max(Scale(p.nHorzHeight, nH, nStoredHeight), h / 2);
    p.nVertOrgY = Scale(p.nVertOrgY, nH, nStoredHeight);
    p.nVertHeight = std::max(Scale(p.nVertHeight, nH, nStoredHeight), 4 * v);
    return TRUE;
}

void RescalePosSize(PROPERTY_SET& prop, const CProfile& profile, const RECT& rcCur, const RECT& rcStored)
{
    const int nStoredWidth = static_cast<int>(rcStored.right - rcStored.left);
    const int nStoredHeight = static_cast<int>(rcStored.bottom - rcStored.top);
    if (!CalcRescalePosSize(prop.propPosSize, rcCur, nStoredWidth, nStoredHeight,
                            GetSystemMetrics(SM_CYHSCROLL), GetSystemMetrics(SM_CXVSCROLL))) {
        // Only a hand edit gives such a size; the rectangles measured against it mean nothing.
        LogProp(LOG_LEVEL_INFO, L"RescalePosSize(): stored desktop %d x %d, default bar rectangles taken.\r\n",
                nStoredWidth, nStoredHeight);
        GetDefaultPosSize(prop.propPosSize);
    }
    SaveProperty(prop, profile);
}

void LoadPosSize(PROPERTY_SET& prop, const CProfile& profile)
{
    const RECT rcCur = GetDesktopRect();
    const int nCurWidth = static_cast<int>(rcCur.right - rcCur.left);
    const int nCurHeight = static_cast<int>(rcCur.bottom - rcCur.top);
    const int nStoredWidth = ReadInt(profile, PROP_SECTION_POSSIZE, PROP_POSSIZE_DESKTOP_WIDTH, nCurWidth);
    const int nStoredHeight = ReadInt(profile, PROP_SECTION_POSSIZE, PROP_POSSIZE_DESKTOP_HEIGHT, nCurHeight);
    PROP_POSSIZE posDefault = prop.propPosSize;
    GetDefaultPosSize(posDefault);
    for (const auto& def : g_aPropPosSizeValues)
        prop.propPosSize.*def.pField = ReadInt(profile, PROP_SECTION_POSSIZE, def.pszName, posDefault.*def.pField);
    if (nStoredWidth != nCurWidth || nStoredHeight != nCurHeight)
        RescalePosSize(prop, profile, rcCur, RECT{0, 0, nStoredWidth, nStoredHeight});
    prop.propPosSize.hWndHorz = 0;
    prop.propPosSize.hWndVert = 0;
}

void SavePosSize(const PROP_POSSIZE& posSize, const CProfile& profile)
{
    for (const auto& def : g_aPropPosSizeValues)
        profile.WriteInt(PROP_SECTION_POSSIZE, def.pszName, posSize.*def.pField);
    const RECT rc = GetDesktopRect();
    profile.WriteInt(PROP_SECTION_POSSIZE, PROP_POSSIZE_DESKTOP_WIDTH, static_cast<int>(rc.right - rc.left));
    profile.WriteInt(PROP_SECTION_POSSIZE, PROP_POSSIZE_DESKTOP_HEIGHT, static_cast<int>(rc.bottom - rc.top));
}

// ---------------------------------------------------------------------------
// Ranges

int ClampPropertyValues(PROPERTY_SET& prop)
{
    int n = 0;
    for (int nEntry = 0; nEntry < SCRLWDTH_COUNT; ++nEntry) {
        SCROLL_WIDTH& sw = prop.propScrlWdth.aScrlWdth[nEntry];
        const SCROLL_WIDTH& swDefault = g_propScrlWdthDefault.aScrlWdth[nEntry];
        n += Correct(sw.nMode, (sw.nMode >= SCRLMODE_ABS && sw.nMode <= SCRLMODE_SCR) ? sw.nMode : swDefault.nMode,
                     PROP_SECTION_SCROLL, GetScrlWdthValueName(nEntry, 0).c_str());
        n += ClampInt(sw.nAbs, 1, 500, PROP_SECTION_SCROLL, GetScrlWdthValueName(nEntry, 1).c_str());
        n += ClampInt(sw.nRel, 1, 500, PROP_SECTION_SCROLL, GetScrlWdthValueName(nEntry, 2).c_str());
        n += ClampInt(sw.nScr, 1, 10, PROP_SECTION_SCROLL, GetScrlWdthValueName(nEntry, 3).c_str());
    }

    // A period of 0 would fire on every tick, or give up on a peer at once.
    for (const auto& def : g_aPropTimerValues) {
        DWORD& dw = prop.propTimer.*def.pField;
        if (dw == 0)
            n += Correct(dw, (def.nFlags & PVF_NOT_READ) ? TimerPeriodFor(prop.propView.bSmoothScroll) : def.tDefault,
                         PROP_SECTION_TIMER, def.pszName);
    }
    n += ClampAliveTimers(prop.propTimer);

    PROP_VIEW& view = prop.propView;
    n += ClampInt(view.nSpeed, 1, 20, PROP_SECTION_VIEW, L"Speed");
    n += ClampInt(view.nTransparent, 2, 10, PROP_SECTION_VIEW, L"Transparent");

    PROP_WINDOW& wnd = prop.propWindow;
    n += ChoiceOrDefault(wnd.nActivateMode, 3, DefaultOf(g_aPropWindowValues, &PROP_WINDOW::nActivateMode),
                         PROP_SECTION_WINDOW, L"ActivateMode");
    n += ClampInt(wnd.nIgnoreActivateScrollCnt, 1, 3, PROP_SECTION_WINDOW, L"Ignore Activate Scroll Cnt");

    PROP_UNDO& undo = prop.propUndo;
    n += ClampInt(undo.nDepth, 1, 100, PROP_SECTION_UNDO, L"Depth");
    n += ChoiceOrDefault(undo.nSaveTimeUndoDataInWheelScroll, 5,
                         DefaultOf(g_aPropUndoValues, &PROP_UNDO::nSaveTimeUndoDataInWheelScroll), PROP_SECTION_UNDO,
                         L"Save Time Undo Data In Wheel Scroll");

    PROP_ATSCRL& at = prop.propAtScrl;
    n += ChoiceOrDefault(at.nMode, 5, DefaultOf(g_aPropAtScrlValues, &PROP_ATSCRL::nMode), PROP_SECTION_ATSCRL,
                         L"Mode");
    n += ChoiceOrDefault(at.nDelay, ATSCRL_DELAY_COUNT, DefaultOf(g_aPropAtScrlValues, &PROP_ATSCRL::nDelay),
                         PROP_SECTION_ATSCRL, L"Delay");
    n += ClampInt(at.nExternalRange, 1, 200, PROP_SECTION_ATSCRL, L"External Range");
    n += ClampInt(at.nInternalRange, at.nExternalRange, 200, PROP_SECTION_ATSCRL, L"Internal Range");
    n += ClampInt(at.nExternalSpeed, 10, 30, PROP_SECTION_ATSCRL, L"External Speed");
    n += ClampInt(at.nInternalSpeed, 10, 30, PROP_SECTION_ATSCRL, L"Internal Speed");
    return n;
}

// ---------------------------------------------------------------------------
// The whole record

BOOL LoadProperty(PROPERTY_SET& prop, const CProfile& profile)
{
    LogProp(LOG_LEVEL_DEBUG, L"LoadProperty() entered.\r\n");
    PROP_VER& ver = prop.propVer;
    LoadValues(ver, profile, PROP_SECTION_VERSION, g_aPropVerValues, {&PROP_VER::nMajor, &PROP_VER::nMinor});
    ver.strAdditionalString = ReadText(profile, PROP_SECTION_VERSION, PROP_VER_ADDITIONAL_STRING);

    LoadScrollWidth(prop.propScrlWdth, profile);

    LoadValues(prop.propView, profile, PROP_SECTION_VIEW, g_aPropViewValues,
               {&PROP_VIEW::bTopMost, &PROP_VIEW::bHide, &PROP_VIEW::bMouseMove, &PROP_VIEW::bHorizontal,
                &PROP_VIEW::bVertical, &PROP_VIEW::bTrayIcon, &PROP_VIEW::nSpeed, &PROP_VIEW::nTransparent,
                &PROP_VIEW::bTransparentEnable, &PROP_VIEW::bSmoothScroll});

    LoadTimer(prop, profile);
    MakeScrollRateList(prop);

    LoadKeyEnable(prop.propKeybd, profile);
    LoadKeyAssign(prop.propKeybd, profile);

    LoadFixLists(prop, profile, ver.nMajor, ver.nMinor);
    LoadValues(prop.propFix, profile, PROP_SECTION_FIX, g_aPropFixValues,
               {&PROP_FIX::bScrollTitledWindowOnly, &PROP_FIX::bFixGadget});

    PROP_WINDOW& wnd = prop.propWindow;
    LoadValues(wnd, profile, PROP_SECTION_WINDOW, g_aPropWindowValues,
               {&PROP_WINDOW::nActivateMode, &PROP_WINDOW::bMaximizeCancel, &PROP_WINDOW::bRestoreAbsPos,
                &PROP_WINDOW::bIgnoreActivateScroll});
    wnd.byIgnoreActivateScrollKey = static_cast<BYTE>(
        ReadInt(profile, PROP_SECTION_WINDOW, g_propWindowKeyValue.pszName, g_propWindowKeyValue.tDefault) & 0xFF);
    LoadValues(wnd, profile, PROP_SECTION_WINDOW, g_aPropWindowValues, {&PROP_WINDOW::nIgnoreActivateScrollCnt});

    LoadValues(prop.propUndo, profile, PROP_SECTION_UNDO, g_aPropUndoValues,
               {&PROP_UNDO::nDepth, &PROP_UNDO::nSaveTimeUndoDataInWheelScroll, &PROP_UNDO::bScroll,
                &PROP_UNDO::bAlign, &PROP_UNDO::bResize, &PROP_UNDO::bUndoResizeWnd});

    LoadValues(prop.propAtScrl, profile, PROP_SECTION_ATSCRL, g_aPropAtScrlValues,
               {&PROP_ATSCRL::nMode, &PROP_ATSCRL::nDelay, &PROP_ATSCRL::nInternalRange,
                &PROP_ATSCRL::nInternalSpeed, &PROP_ATSCRL::nExternalRange, &PROP_ATSCRL::nExternalSpeed});

    // Before the position load, which may save the whole record.
    ClampPropertyValues(prop);
    LoadPosSize(prop, profile);
    return TRUE;
}

BOOL LoadProperty(PROPERTY_SET& prop)
{
    return LoadProperty(prop, GetApp()->GetProfile());
}

BOOL SaveProperty(PROPERTY_SET& prop, const CProfile& profile)
{
    LogProp(LOG_LEVEL_DEBUG, L"SaveProperty() entered.\r\n");
    const unsigned nFailedBefore = profile.GetWriteFailures();
    profile.WriteInt(PROP_SECTION_VERSION, g_aPropVerValues[0].pszName, PROP_SAVE_MAJOR);
    profile.WriteInt(PROP_SECTION_VERSION, g_aPropVerValues[1].pszName, PROP_SAVE_MINOR);
    profile.WriteString(PROP_SECTION_VERSION, PROP_VER_ADDITIONAL_STRING, PROP_SAVE_ADDITIONAL_STRING);

    SaveTimer(prop, profile);
    SaveScrollWidth(prop.propScrlWdth, profile);
    SaveScrollRate(prop, profile);
    SavePosSize(prop.propPosSize, profile);

    SaveValues(prop.propView, profile, PROP_SECTION_VIEW, g_aPropViewValues,
               {&PROP_VIEW::bTopMost, &PROP_VIEW::bHide, &PROP_VIEW::bMouseMove, &PROP_VIEW::bHorizontal,
                &PROP_VIEW::bVertical, &PROP_VIEW::bTrayIcon, &PROP_VIEW::nSpeed, &PROP_VIEW::nTransparent,
                &PROP_VIEW::bSmoothScroll, &PROP_VIEW::bTransparentEnable});

    SaveKeyEnable(prop.propKeybd, profile);
    SaveKeyAssign(prop.propKeybd, profile);

    SaveFixLists(prop.propFix, profile);
    SaveValues(prop.propFix, profile, PROP_SECTION_FIX, g_aPropFixValues,
               {&PROP_FIX::bScrollTitledWindowOnly, &PROP_FIX::bFixGadget});

    const PROP_WINDOW& wnd = prop.propWindow;
    SaveValues(wnd, profile, PROP_SECTION_WINDOW, g_aPropWindowValues,
               {&PROP_WINDOW::nActivateMode, &PROP_WINDOW::bMaximizeCancel, &PROP_WINDOW::bRestoreAbsPos,
                &PROP_WINDOW::bIgnoreActivateScroll});
    profile.WriteInt(PROP_SECTION_WINDOW, g_propWindowKeyValue.pszName, wnd.byIgnoreActivateScrollKey);
    SaveValues(wnd, profile, PROP_SECTION_WINDOW, g_aPropWindowValues, {&PROP_WINDOW::nIgnoreActivateScrollCnt});

    SaveValues(prop.propUndo, profile, PROP_SECTION_UNDO, g_aPropUndoValues,
               {&PROP_UNDO::nDepth, &PROP_UNDO::nSaveTimeUndoDataInWheelScroll, &PROP_UNDO::bScroll,
                &PROP_UNDO::bAlign, &PROP_UNDO::bResize, &PROP_UNDO::bUndoResizeWnd});

    SaveValues(prop.propAtScrl, profile, PROP_SECTION_ATSCRL, g_aPropAtScrlValues,
               {&PROP_ATSCRL::nMode, &PROP_ATSCRL::nDelay, &PROP_ATSCRL::nInternalRange,
                &PROP_ATSCRL::nInternalSpeed, &PROP_ATSCRL::nExternalRange, &PROP_ATSCRL::nExternalSpeed});
    const unsigned nFailed = profile.GetWriteFailures() - nFailedBefore;
    if (nFailed != 0)
        LogProp(LOG_LEVEL_ERROR, L"SaveProperty() %u values were not written.\r\n", nFailed);
    return nFailed == 0;
}

void LoadTimerSection(PROPERTY_SET& prop)
{
    LoadTimer(prop, GetApp()->GetProfile());
}

BOOL SaveProperty(PROPERTY_SET& prop)
{
    return SaveProperty(prop, GetApp()->GetProfile());
}
