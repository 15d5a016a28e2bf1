#pragma once
// The settings record of every Zuvora program, its built-in defaults and the registry
// names of its fields. Sections copied as raw bytes into the settings blocks keep
// exact widths and field orders (asserted below): the other program reads them by offset.
#include <windows.h>

#include <cstddef>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

// ---------------------------------------------------------------------------
// Element types

struct SCROLL_RATE {
    int nCnt;    // share of the steps done, percent
    int nWidth;  // share of the distance covered at that point, percent
};

struct SCROLL_WIDTH {
    int nMode;
    int nAbs;
    int nRel;
    int nScr;
};

enum SCROLL_MODE {
    SCRLMODE_ABS = 0,
    SCRLMODE_REL = 1,
    SCRLMODE_NONE = 2,
    SCRLMODE_SCR = 3,
};

inline constexpr int SCRLWDTH_MOUSE = 0, SCRLWDTH_KEYBD = 1, SCRLWDTH_WHEEL = 2, SCRLWDTH_DEVICES = 3;
inline constexpr int SCRLWDTH_HORZ = 0, SCRLWDTH_VERT = 1, SCRLWDTH_DIRS = 2;
inline constexpr int SCRLWDTH_LINE = 0, SCRLWDTH_PAGE = 1, SCRLWDTH_UNITS = 2;
inline constexpr int SCRLWDTH_COUNT = SCRLWDTH_DEVICES * SCRLWDTH_DIRS * SCRLWDTH_UNITS;
inline constexpr int SCRLWDTH_FIELDS = 4;

// The entries run unit fastest, then direction, then device: MouseHorzLine, MouseHorzPage,
// MouseVertLine, ... The index and its three parts are computed only here.
inline constexpr int SCRLWDTH_DIR_STRIDE = SCRLWDTH_UNITS;
inline constexpr int SCRLWDTH_DEVICE_STRIDE = SCRLWDTH_DIRS * SCRLWDTH_UNITS;

constexpr int ScrlWdthIndex(int nDevice, int nDir, int nUnit) {
    return nDevice * SCRLWDTH_DEVICE_STRIDE + nDir * SCRLWDTH_DIR_STRIDE + nUnit;
}
constexpr int ScrlWdthDevice(int nEntry) { return nEntry / SCRLWDTH_DEVICE_STRIDE; }
constexpr int ScrlWdthDir(int nEntry) { return nEntry / SCRLWDTH_DIR_STRIDE % SCRLWDTH_DIRS; }
constexpr int ScrlWdthUnit(int nEntry) { return nEntry % SCRLWDTH_UNITS; }

// A key combination: every listed key pressed, and no other assignable key.
struct KEY_ASSIGN {
    BOOL bEnable;
    std::vector<BYTE> lstKey;
};

enum KEY_ASSIGN_ENTRY {
    KEYASSIGN_LEFT_LINE = 0,
    KEYASSIGN_LEFT_PAGE,
    KEYASSIGN_RIGHT_LINE,
    KEYASSIGN_RIGHT_PAGE,
    KEYASSIGN_UP_LINE,
    KEYASSIGN_UP_PAGE,
    KEYASSIGN_DOWN_LINE,
    KEYASSIGN_DOWN_PAGE,
    KEYASSIGN_UNDO,
    KEYASSIGN_MENU,
    KEYASSIGN_COUNT
};

// The registry holds at most this many keys of one combination.
inline constexpr int KEYASSIGN_MAX_KEYS = 8;

// ---------------------------------------------------------------------------
// Sections

struct PROP_VER {
    int nMajor;
    int nMinor;
    std::wstring strAdditionalString;
};

struct PROP_TIMER {
    DWORD dwResolution;
    DWORD dwScroll;
    DWORD dwAutoScroll;
    DWORD dwLogProcessStartDetect;
    DWORD dwPropertyProcessAliveDetect;
    DWORD dwPropertyProcessDeadDetect;
    DWORD dwIgnoreScrollByActivateOperation;
    DWORD dwAliveNotificationSendInterval;
    DWORD dwAliveNotificationReceiveLimit;
};

struct PROP_SCRLWDTH {
    SCROLL_WIDTH aScrlWdth[SCRLWDTH_COUNT];
};

// The window handles are 64 bits wide in the 32-bit programs too, so that the block
// carrying this section has one layout for both; convert with WndFrom64 / WndTo64.
struct PROP_POSSIZE {
    int nHorzOrgX;
    int nHorzOrgY;
    int nHorzWidth;
    int nHorzHeight;
    int nVertOrgX;
    int nVertOrgY;
    int nVertWidth;
    int nVertHeight;
    UINT64 hWndHorz;
    UINT64 hWndVert;
};

inline HWND WndFrom64(UINT64 u64) { return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(u64)); }
inline UINT64 WndTo64(HWND hWnd) { return static_cast<UINT64>(reinterpret_cast<ULONG_PTR>(hWnd)); }

struct PROP_VIEW {
    BOOL bTopMost;
    BOOL bHide;
    BOOL bMouseMove;
    BOOL bHorizontal;
    BOOL bVertical;
    BOOL bTrayIcon;
    BOOL bTransparentEnable;
    BOOL bSmoothScroll;
    int nSpeed;
    int nTransparent;
};

struct PROP_KEYBD {
    KEY_ASSIGN aKeyAssign[KEYASSIGN_COUNT];
};

struct PROP_FIX {
    BOOL bScrollTitledWindowOnly;
    BOOL bFixGadget;
    std::vector<std::wstring> lstTitle;
    std::vector<std::wstring> lstApp;
};

struct PROP_WINDOW {
    BYTE byIgnoreActivateScrollKey;
    BYTE abyReserved[3];
    int nActivateMode;
    BOOL bMaximizeCancel;
    BOOL bRestoreAbsPos;
    BOOL bIgnoreActivateScroll;
    int nIgnoreActivateScrollCnt;
};

struct PROP_UNDO {
    int nDepth;
    BOOL bScroll;
    BOOL bAlign;
    BOOL bResize;
    BOOL bUndoResizeWnd;
    int nSaveTimeUndoDataInWheelScroll;
};

struct PROP_ATSCRL {
    int nMode;
    int nExternalRange;
    int nExternalSpeed;
    int nInternalRange;
    int nInternalSpeed;
    int nDelay;
};

// Numbers are zero and lists empty until the first load fills the record.
struct PROPERTY_SET {
    PROP_VER propVer{};
    PROP_TIMER propTimer{};
    PROP_SCRLWDTH propScrlWdth{};
    std::vector<SCROLL_RATE> lstScrlRate;
    PROP_POSSIZE propPosSize{};
    PROP_VIEW propView{};
    PROP_KEYBD propKeybd{};
    PROP_FIX propFix{};
    PROP_WINDOW propWindow{};
    PROP_UNDO propUndo{};
    PROP_ATSCRL propAtScrl{};
};

template <class T>
inline constexpr bool kIsRawSection = std::is_trivially_copyable_v<T> && std::is_standard_layout_v<T>;
static_assert(kIsRawSection<PROP_TIMER> && sizeof(PROP_TIMER) == 36);
static_assert(kIsRawSection<PROP_SCRLWDTH> && sizeof(PROP_SCRLWDTH) == 192);
static_assert(kIsRawSection<PROP_POSSIZE> && sizeof(PROP_POSSIZE) == 48);
static_assert(offsetof(PROP_POSSIZE, hWndHorz) == 32 && offsetof(PROP_POSSIZE, hWndVert) == 40);
static_assert(kIsRawSection<PROP_VIEW> && sizeof(PROP_VIEW) == 40);
static_assert(offsetof(PROP_VIEW, bSmoothScroll) == 28 && offsetof(PROP_VIEW, nTransparent) == 36);
static_assert(kIsRawSection<PROP_WINDOW> && sizeof(PROP_WINDOW) == 24);
static_assert(offsetof(PROP_WINDOW, nActivateMode) == 4);
static_assert(kIsRawSection<PROP_UNDO> && sizeof(PROP_UNDO) == 24);
static_assert(kIsRawSection<PROP_ATSCRL> && sizeof(PROP_ATSCRL) == 24);

// ---------------------------------------------------------------------------
// Operations

// Empties the fixed-title list, the fixed-application list, the ten key lists and
// the scroll-rate list, in that order.
void ClearPropertyLists(PROPERTY_SET& prop);

// Rebuilds prop.lstScrlRate from the built-in table that propView.bSmoothScroll selects.
void MakeScrollRateList(PROPERTY_SET& prop);

// The list-building walk of MakeScrollRateList over any table: at most 16 rows; a
// count or width of -999 or outside 0..100 ends the list before its row; a value
// lower than the previous row's becomes 100 and ends the list after its row.
void BuildScrollRateList(std::span<const SCROLL_RATE> table, std::vector<SCROLL_RATE>& lst);

// Built-in rate tables, each closed by the end row {999, 999}.
std::span<const SCROLL_RATE> GetScrollRateTable(BOOL bSmoothScroll);

// The desktop window's rectangle, the one the bar rectangles are laid out on.
RECT GetDesktopRect();

// Default bar rectangles for the current desktop (desktop window rectangle and the
// system's scroll-bar sizes); the window handles are left as they are. All return TRUE.
BOOL GetDefaultPosSize(PROP_POSSIZE& posSize);
BOOL GetDefaultPosSizeH(PROP_POSSIZE& posSize);
BOOL GetDefaultPosSizeV(PROP_POSSIZE& posSize);

// The arithmetic behind them. h: height of a horizontal scroll bar; v: width of a
// vertical one.
void CalcDefaultPosSizeH(const RECT& rcDesktop, int h, PROP_POSSIZE& posSize);
void CalcDefaultPosSizeV(const RECT& rcDesktop, int v, PROP_POSSIZE& posSize);

// The default keys of a key entry that may be put into its list (never the 0 byte
// that closes a three-key row).
std::vector<BYTE> GetDefaultKeyList(int nEntry);

// Timer Resolution and Scroll follow View SmoothScroll instead of the registry.
inline constexpr DWORD TIMER_PERIOD_SMOOTH = 20;
inline constexpr DWORD TIMER_PERIOD_STEP = 100;
constexpr DWORD TimerPeriodFor(BOOL bSmoothScroll) {
    return bSmoothScroll ? TIMER_PERIOD_SMOOTH : TIMER_PERIOD_STEP;
}

// Delay before auto scroll starts, in ms, by Auto Scroll Delay index.
inline constexpr int ATSCRL_DELAY_COUNT = 6;
extern const int g_anAtScrlDelayMs[ATSCRL_DELAY_COUNT];

// ---------------------------------------------------------------------------
// Registry names and defaults, one row per field in record order

inline constexpr wchar_t PROP_NO_ENTRY[] = L"### No entry $$$";

inline constexpr wchar_t PROP_SECTION_VERSION[] = L"Version";
inline constexpr wchar_t PROP_SECTION_TIMER[] = L"Timer";
inline constexpr wchar_t PROP_SECTION_SCROLL[] = L"Scroll";
inline constexpr wchar_t PROP_SECTION_SCROLL_RATE[] = L"Scroll Rate";
inline constexpr wchar_t PROP_SECTION_POSSIZE[] = L"Position and Size";
inline constexpr wchar_t PROP_SECTION_VIEW[] = L"View";
inline constexpr wchar_t PROP_SECTION_KEYBOARD[] = L"Keyboard";
inline constexpr wchar_t PROP_SECTION_FIX[] = L"Fix";
inline constexpr wchar_t PROP_SECTION_WINDOW[] = L"Window";
inline constexpr wchar_t PROP_SECTION_UNDO[] = L"Undo";
inline constexpr wchar_t PROP_SECTION_ATSCRL[] = L"Auto Scroll";

enum PROP_VALUE_FLAGS {
    PVF_NUMBER = 0,
    PVF_FLAG = 0x1,         // read as 1 only when the stored number is 1; written as 0 or 1
    PVF_NOT_READ = 0x2,     // the load sets the field without reading the value
    PVF_NOT_WRITTEN = 0x4,  // the save leaves the stored value as it is
};

template <class S, class T>
struct PROP_VALUE_DEF {
    LPCWSTR pszName;  // nullptr: the field never lies in the registry
    T S::*pField;
    T tDefault;
    int nFlags;
};

extern const PROP_VALUE_DEF<PROP_VER, int> g_aPropVerValues[2];
inline constexpr wchar_t PROP_VER_ADDITIONAL_STRING[] = L"Additional String";

// Resolution and Scroll default to TimerPeriodFor(View SmoothScroll); their rows give
// the value for SmoothScroll 0.
extern const PROP_VALUE_DEF<PROP_TIMER, DWORD> g_aPropTimerValues[9];

extern const LPCWSTR g_apszScrlWdthDevice[SCRLWDTH_DEVICES];
extern const LPCWSTR g_apszScrlWdthDir[SCRLWDTH_DIRS];
extern const LPCWSTR g_apszScrlWdthUnit[SCRLWDTH_UNITS];
extern const LPCWSTR g_apszScrlWdthField[SCRLWDTH_FIELDS];
extern int SCROLL_WIDTH::* const g_apScrlWdthField[SCRLWDTH_FIELDS];
extern const PROP_SCRLWDTH g_propScrlWdthDefault;
// Such as "MouseHorzLineMode" for entry 0, field 0.
std::wstring GetScrlWdthValueName(int nEntry, int nField);

inline constexpr wchar_t PROP_SCROLL_RATE_CNT[] = L"Scroll Rate Cnt #%d";
inline constexpr wchar_t PROP_SCROLL_RATE_WIDTH[] = L"Scroll Rate Width #%d";

// Defaults of the rectangles come from GetDefaultPosSize; the handles are never stored.
extern const PROP_VALUE_DEF<PROP_POSSIZE, int> g_aPropPosSizeValues[8];
inline constexpr wchar_t PROP_POSSIZE_DESKTOP_WIDTH[] = L"Desktop Width";
inline constexpr wchar_t PROP_POSSIZE_DESKTOP_HEIGHT[] = L"Desktop Height";

extern const PROP_VALUE_DEF<PROP_VIEW, int> g_aPropViewValues[10];

struct KEY_ASSIGN_DEF {
    LPCWSTR pszKeyFormat;  // one value per key, "%d" from 0
    LPCWSTR pszEnable;     // the flag that gives bEnable; shared by the eight scroll entries
    BOOL bEnableDefault;
    BYTE abyDefaultKey[4];
};
extern const KEY_ASSIGN_DEF g_aKeyAssignDef[KEYASSIGN_COUNT];

extern const PROP_VALUE_DEF<PROP_FIX, int> g_aPropFixValues[2];
inline constexpr wchar_t PROP_FIX_TITLE_FORMAT[] = L"Fixed Window By Title No.%d";
inline constexpr wchar_t PROP_FIX_APP_FORMAT[] = L"Fixed Window By App Name No.%d";
inline constexpr wchar_t PROP_FIX_OLD_TITLE_FORMAT[] = L"Window No.%d";
inline constexpr wchar_t PROP_FIX_TITLE_END[] = L"%%% End of fixed window title array &&&";
inline constexpr wchar_t PROP_FIX_OLD_TITLE_END[] = L"End of fixed window title array";
inline constexpr wchar_t PROP_FIX_APP_END[] = L"%%% End of fixed window application array &&&";

inline constexpr PROP_VALUE_DEF<PROP_WINDOW, BYTE> g_propWindowKeyValue = {
    L"Ignore Activate Scroll Key", &PROP_WINDOW::byIgnoreActivateScrollKey, VK_CONTROL, PVF_NUMBER};
extern const PROP_VALUE_DEF<PROP_WINDOW, int> g_aPropWindowValues[5];

extern const PROP_VALUE_DEF<PROP_UNDO, int> g_aPropUndoValues[6];

extern const PROP_VALUE_DEF<PROP_ATSCRL, int> g_aPropAtScrlValues[6];
