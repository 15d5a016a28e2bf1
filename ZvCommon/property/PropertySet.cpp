#include "PropertySet.h"

#include <algorithm>

#include "VirtualKeyTable.h"

namespace {

constexpr SCROLL_RATE kScrlRateStep[] = {
    {50, 10}, {60, 60}, {100, 100}, {999, 999},
};

constexpr SCROLL_RATE kScrlRateSmooth[] = {
    {10, 2},  {20, 5},  {30, 10}, {40, 20}, {45, 33},  {50, 50},
    {60, 70}, {70, 85}, {80, 95}, {90, 98}, {100, 100}, {999, 999},
};

constexpr int kScrlRateMaxRows = 16;
constexpr int kScrlRateNone = -999;

bool IsRatePercent(int n) { return n != kScrlRateNone && n >= 0 && n <= 100; }

constexpr SCROLL_WIDTH kLineDefault = {SCRLMODE_ABS, 10, 10, 1};
constexpr SCROLL_WIDTH kPageDefault = {SCRLMODE_ABS, 200, 200, 1};

}  // namespace

const PROP_SCRLWDTH g_propScrlWdthDefault = {{
    kLineDefault, kPageDefault, kLineDefault, kPageDefault,
    kLineDefault, kPageDefault, kLineDefault, kPageDefault,
    kLineDefault, kPageDefault, kLineDefault, kPageDefault,
}};

const int g_anAtScrlDelayMs[ATSCRL_DELAY_COUNT] = {0, 200, 500, 1000, 2000, 5000};

void ClearPropertyLists(PROPERTY_SET& prop) {
    prop.propFix.lstTitle.clear();
    prop.propFix.lstApp.clear();
    for (KEY_ASSIGN& ka : prop.propKeybd.aKeyAssign)
        ka.lstKey.clear();
    prop.lstScrlRate.clear();
}

std::span<const SCROLL_RATE> GetScrollRateTable(BOOL bSmoothScroll) {
    if (bSmoothScroll)
        return kScrlRateSmooth;
    return kScrlRateStep;
}

void BuildScrollRateList(std::span<const SCROLL_RATE> table, std::vector<SCROLL_RATE>& lst) {
    lst.clear();
    SCROLL_RATE prev = {0, 0};
    const size_t nRows = std::min(table.size(), static_cast<size_t>(kScrlRateMaxRows));
    for (size_t i = 0; i < nRows; ++i) {
        SCROLL_RATE rate = table[i];
        bool bEnd = false;
        if (!IsRatePercent(rate.nCnt))
            break;
        if (rate.nCnt < prev.nCnt) {
            rate.nCnt = 100;
            bEnd = true;
        }
        if (!IsRatePercent(rate.nWidth))
            break;
        if (rate.nWidth < prev.nWidth) {
            rate.nWidth = 100;
            bEnd = true;
        }
        lst.push_back(rate);
        if (bEnd)
            break;
        prev = rate;
    }
}

void MakeScrollRateList(PROPERTY_SET& prop) {
    BuildScrollRateList(GetScrollRateTable(prop.propView.bSmoothScroll), prop.lstScrlRate);
}

void CalcDefaultPosSizeH(const RECT& rcDesktop, int h, PROP_POSSIZE& posSize) {
    const int nLeft = static_cast<int>(rcDesktop.left);
    const int nRight = static_cast<int>(rcDesktop.right);
    posSize.nHorzOrgX = (4 * nRight) / 5 - 4 * h;
    posSize.nHorzOrgY = 0;
    posSize.nHorzWidth = std::max(nRight - nLeft - posSize.nHorzOrgX - 4 * h, 4 * h);
    posSize.nHorzHeight = std::max(h / 2, h + 2);
}

void CalcDefaultPosSizeV(const RECT& rcDesktop, int v, PROP_POSSIZE& posSize) {
    posSize.nVertWidth = std::max(v / 2, v + 2);
    posSize.nVertOrgX = static_cast<int>(rcDesktop.right - rcDesktop.left) - posSize.nVertWidth;
    posSize.nVertOrgY = 6 * v;
    posSize.nVertHeight = std::max(4 * v, static_cast<int>(rcDesktop.bottom - rcDesktop.top) / 5);
}

RECT GetDesktopRect() {
    RECT rc = {};
    GetWindowRect(GetDesktopWindow(), &rc);
    return rc;
}

BOOL GetDefaultPosSizeH(PROP_POSSIZE& posSize) {
    CalcDefaultPosSizeH(GetDesktopRect(), GetSystemMetrics(SM_CYHSCROLL), posSize);
    return TRUE;
}

BOOL GetDefaultPosSizeV(PROP_POSSIZE& posSize) {
    CalcDefaultPosSizeV(GetDesktopRect(), GetSystemMetrics(SM_CXVSCROLL), posSize);
    return TRUE;
}

BOOL GetDefaultPosSize(PROP_POSSIZE& posSize) {
    GetDefaultPosSizeH(posSize);
    GetDefaultPosSizeV(posSize);
    return TRUE;
}

std::vector<BYTE> GetDefaultKeyList(int nEntry) {
    std::vector<BYTE> lst;
    if (nEntry < 0 || nEntry >= KEYASSIGN_COUNT)
        return lst;
    for (BYTE byKey : g_aKeyAssignDef[nEntry].abyDefaultKey) {
        if (IsAssignableVKey(byKey))
            lst.push_back(byKey);
    }
    return lst;
}

// ---------------------------------------------------------------------------
// Registry names and defaults

const PROP_VALUE_DEF<PROP_VER, int> g_aPropVerValues[2] = {
    {L"Major", &PROP_VER::nMajor, -999, PVF_NUMBER},
    {L"Minor", &PROP_VER::nMinor, -999, PVF_NUMBER},
};

const PROP_VALUE_DEF<PROP_TIMER, DWORD> g_aPropTimerValues[9] = {
    {L"Resolution", &PROP_TIMER::dwResolution, TIMER_PERIOD_STEP, PVF_NOT_READ},
    {L"Scroll", &PROP_TIMER::dwScroll, TIMER_PERIOD_STEP, PVF_NOT_READ},
    {L"Auto Scroll", &PROP_TIMER::dwAutoScroll, 200, PVF_NUMBER},
    {L"Log Process Start Detect", &PROP_TIMER::dwLogProcessStartDetect, 10000, PVF_NUMBER},
    {L"Property Process Alive Detect", &PROP_TIMER::dwPropertyProcessAliveDetect, 10000, PVF_NUMBER},
    {L"Property Process Dead Detect", &PROP_TIMER::dwPropertyProcessDeadDetect, 200, PVF_NUMBER},
    {L"Ignore Scroll by Activatation Operation", &PROP_TIMER::dwIgnoreScrollByActivateOperation, 10000,
     PVF_NUMBER},
    {L"Alive notification send interval with Hook Gateway", &PROP_TIMER::dwAliveNotificationSendInterval,
     10000, PVF_NOT_WRITTEN},
    {L"Alive notification receive limit with Hook Gateway", &PROP_TIMER::dwAliveNotificationReceiveLimit,
     120000, PVF_NOT_WRITTEN},
};

const LPCWSTR g_apszScrlWdthDevice[SCRLWDTH_DEVICES] = {L"Mouse", L"Keybd", L"Wheel"};
const LPCWSTR g_apszScrlWdthDir[SCRLWDTH_DIRS] = {L"Horz", L"Vert"};
const LPCWSTR g_apszScrlWdthUnit[SCRLWDTH_UNITS] = {L"Line", L"Page"};
const LPCWSTR g_apszScrlWdthField[SCRLWDTH_FIELDS] = {L"Mode", L"Abs", L"Rel", L"Scr"};
int SCROLL_WIDTH::* const g_apScrlWdthField[SCRLWDTH_FIELDS] = {
    &SCROLL_WIDTH::nMode, &SCROLL_WIDTH::nAbs, &SCROLL_WIDTH::nRel, &SCROLL_WIDTH::nScr};

std::wstring GetScrlWdthValueName(int nEntry, int nField) {
    if (nEntry < 0 || nEntry >= SCRLWDTH_COUNT || nField < 0 || nField >= SCRLWDTH_FIELDS)
        return {};
    std::wstring str = g_apszScrlWdthDevice[ScrlWdthDevice(nEntry)];
    str += g_apszScrlWdthDir[ScrlWdthDir(nEntry)];
    str += g_apszScrlWdthUnit[ScrlWdthUnit(nEntry)];
    str += g_apszScrlWdthField[nField];
    return str;
}

const PROP_VALUE_DEF<PROP_POSSIZE, int> g_aPropPosSizeValues[8] = {
    {L"Horizontal Orgin X", &PROP_POSSIZE::nHorzOrgX, 0, PVF_NUMBER},
    {L"Horizontal Orgin Y", &PROP_POSSIZE::nHorzOrgY, 0, PVF_NUMBER},
    {L"Horizontal Width", &PROP_POSSIZE::nHorzWidth, 0, PVF_NUMBER},
    {L"Horizontal Height", &PROP_POSSIZE::nHorzHeight, 0, PVF_NUMBER},
    {L"Vertical Orgin X", &PROP_POSSIZE::nVertOrgX, 0, PVF_NUMBER},
    {L"Vertical Orgin Y", &PROP_POSSIZE::nVertOrgY, 0, PVF_NUMBER},
    {L"Vertical Width", &PROP_POSSIZE::nVertWidth, 0, PVF_NUMBER},
    {L"Vertical Height", &PROP_POSSIZE::nVertHeight, 0, PVF_NUMBER},
};

const PROP_VALUE_DEF<PROP_VIEW, int> g_aPropViewValues[10] = {
    {L"TopMost", &PROP_VIEW::bTopMost, 1, PVF_FLAG},
    {L"Hide", &PROP_VIEW::bHide, 0, PVF_FLAG},
    {L"MouseMove", &PROP_VIEW::bMouseMove, 0, PVF_FLAG},
    {L"Horizontal", &PROP_VIEW::bHorizontal, 1, PVF_FLAG},
    {L"Vertical", &PROP_VIEW::bVertical, 1, PVF_FLAG},
    {L"TrayIcon", &PROP_VIEW::bTrayIcon, 1, PVF_FLAG},
    {nullptr, &PROP_VIEW::bTransparentEnable, 1, PVF_FLAG | PVF_NOT_READ | PVF_NOT_WRITTEN},
    {L"SmoothScroll", &PROP_VIEW::bSmoothScroll, 0, PVF_FLAG},
    {L"Speed", &PROP_VIEW::nSpeed, 3, PVF_NUMBER},
    {L"Transparent", &PROP_VIEW::nTransparent, 10, PVF_NUMBER},
};

const KEY_ASSIGN_DEF g_aKeyAssignDef[KEYASSIGN_COUNT] = {
    {L"Scroll Key (Left Line) No.%d", L"Arrow", TRUE, {VK_CONTROL, VK_MENU, VK_LEFT, 0}},
    {L"Scroll Key (Left Page) No.%d", L"Arrow", TRUE, {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LEFT}},
    {L"Scroll Key (Right Line) No.%d", L"Arrow", TRUE, {VK_CONTROL, VK_MENU, VK_RIGHT, 0}},
    {L"Scroll Key (Right Page) No.%d", L"Arrow", TRUE, {VK_SHIFT, VK_CONTROL, VK_MENU, VK_RIGHT}},
    {L"Scroll Key (Up Line) No.%d", L"Arrow", TRUE, {VK_CONTROL, VK_MENU, VK_UP, 0}},
    {L"Scroll Key (Up Page) No.%d", L"Arrow", TRUE, {VK_SHIFT, VK_CONTROL, VK_MENU, VK_UP}},
    {L"Scroll Key (Down Line) No.%d", L"Arrow", TRUE, {VK_CONTROL, VK_MENU, VK_DOWN, 0}},
    {L"Scroll Key (Down Page) No.%d", L"Arrow", TRUE, {VK_SHIFT, VK_CONTROL, VK_MENU, VK_DOWN}},
    {L"Undo Key No.%d", L"Undo", TRUE, {VK_CONTROL, VK_MENU, 'Z', 0}},
    {L"Menu Key No.%d", L"Menu", TRUE, {VK_CONTROL, VK_MENU, VK_F11, 0}},
};

const PROP_VALUE_DEF<PROP_FIX, int> g_aPropFixValues[2] = {
    {L"Scroll Titled Window Only", &PROP_FIX::bScrollTitledWindowOnly, 1, PVF_FLAG},
    {L"Fix Gadget", &PROP_FIX::bFixGadget, 1, PVF_FLAG | PVF_NOT_READ},
};

const PROP_VALUE_DEF<PROP_WINDOW, int> g_aPropWindowValues[5] = {
    {L"ActivateMode", &PROP_WINDOW::nActivateMode, 1, PVF_NUMBER},
    {L"MaximizeCancel", &PROP_WINDOW::bMaximizeCancel, 0, PVF_FLAG},
    {L"RestoreAbsPos", &PROP_WINDOW::bRestoreAbsPos, 0, PVF_FLAG},
    {L"Ignore Activate Scroll", &PROP_WINDOW::bIgnoreActivateScroll, 1, PVF_FLAG},
    {L"Ignore Activate Scroll Cnt", &PROP_WINDOW::nIgnoreActivateScrollCnt, 2, PVF_NUMBER},
};

const PROP_VALUE_DEF<PROP_UNDO, int> g_aPropUndoValues[6] = {
    {L"Depth", &PROP_UNDO::nDepth, 50, PVF_NUMBER},
    {L"Scroll", &PROP_UNDO::bScroll, 1, PVF_FLAG},
    {L"Align", &PROP_UNDO::bAlign, 1, PVF_FLAG},
    {L"Resize", &PROP_UNDO::bResize, 0, PVF_FLAG},
    {L"ResizeWnd", &PROP_UNDO::bUndoResizeWnd, 0, PVF_FLAG},
    {L"Save Time Undo Data In Wheel Scroll", &PROP_UNDO::nSaveTimeUndoDataInWheelScroll, 2, PVF_NUMBER},
};

const PROP_VALUE_DEF<PROP_ATSCRL, int> g_aPropAtScrlValues[6] = {
    {L"Mode", &PROP_ATSCRL::nMode, 3, PVF_NUMBER},
    {L"External Range", &PROP_ATSCRL::nExternalRange, 10, PVF_NUMBER},
    {L"External Speed", &PROP_ATSCRL::nExternalSpeed, 20, PVF_NUMBER},
    {L"Internal Range", &PROP_ATSCRL::nInternalRange, 50, PVF_NUMBER},
    {L"Internal Speed", &PROP_ATSCRL::nInternalSpeed, 10, PVF_NUMBER},
    {L"Delay", &PROP_ATSCRL::nDelay, 4, PVF_NUMBER},
};
