#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>
#include <initializer_list>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "PropertySet.h"
#include "VirtualKeyTable.h"

namespace {

// The block layouts of the other program read these sections by offset.
static_assert(offsetof(PROP_POSSIZE, nHorzOrgX) == 0 && offsetof(PROP_POSSIZE, nHorzHeight) == 12);
static_assert(offsetof(PROP_POSSIZE, nVertOrgX) == 16 && offsetof(PROP_POSSIZE, nVertHeight) == 28);
static_assert(offsetof(PROP_VIEW, bTopMost) == 0 && offsetof(PROP_VIEW, bTrayIcon) == 20);
static_assert(offsetof(PROP_VIEW, bTransparentEnable) == 24 && offsetof(PROP_VIEW, nSpeed) == 32);
static_assert(offsetof(PROP_WINDOW, bMaximizeCancel) == 8 && offsetof(PROP_WINDOW, nIgnoreActivateScrollCnt) == 20);
static_assert(offsetof(PROP_UNDO, bUndoResizeWnd) == 16 && offsetof(PROP_UNDO, nSaveTimeUndoDataInWheelScroll) == 20);
static_assert(offsetof(PROP_ATSCRL, nExternalRange) == 4 && offsetof(PROP_ATSCRL, nDelay) == 20);
static_assert(offsetof(PROP_TIMER, dwAliveNotificationReceiveLimit) == 32);
static_assert(sizeof(SCROLL_WIDTH) == 16 && sizeof(SCROLL_RATE) == 8);

template <class S, class T>
struct Expect {
    T S::*pField;
    const wchar_t* pszName;
    T tDefault;
    int nFlags;
};

// Every field appears once, under its registry name, with its default and flags.
template <class S, class T, size_t N>
void CheckTable(const PROP_VALUE_DEF<S, T> (&table)[N], std::initializer_list<std::type_identity_t<Expect<S, T>>> expect)
{
    EXPECT_EQ(expect.size(), N) << "the table must cover every field";
    for (const auto& e : expect) {
        const std::wstring strName = e.pszName ? e.pszName : L"(no name)";
        int nFound = 0;
        for (const auto& row : table) {
            if (row.pField != e.pField)
                continue;
            ++nFound;
            EXPECT_EQ(std::wstring(row.pszName ? row.pszName : L"(no name)"), strName);
            EXPECT_EQ(row.tDefault, e.tDefault) << strName;
            EXPECT_EQ(row.nFlags, e.nFlags) << strName;
        }
        EXPECT_EQ(nFound, 1) << strName;
    }
}

TEST(CommonPropertySet, ValueNamesDefaultsAndFlagsOfEverySection)
{
    EXPECT_STREQ(PROP_NO_ENTRY, L"### No entry $$$");
    CheckTable(g_aPropVerValues, {{&PROP_VER::nMajor, L"Major", -999, PVF_NUMBER},
                                  {&PROP_VER::nMinor, L"Minor", -999, PVF_NUMBER}});

    using T = PROP_TIMER;
    CheckTable(g_aPropTimerValues,
               {{&T::dwResolution, L"Resolution", 100, PVF_NOT_READ},
                {&T::dwScroll, L"Scroll", 100, PVF_NOT_READ},
                {&T::dwAutoScroll, L"Auto Scroll", 200, 0},
                {&T::dwLogProcessStartDetect, L"Log Process Start Detect", 10000, 0},
                {&T::dwPropertyProcessAliveDetect, L"Property Process Alive Detect", 10000, 0},
                {&T::dwPropertyProcessDeadDetect, L"Property Process Dead Detect", 200, 0},
                {&T::dwIgnoreScrollByActivateOperation, L"Ignore Scroll by Activatation Operation", 10000, 0},
                {&T::dwAliveNotificationSendInterval, L"Alive notification send interval with Hook Gateway", 10000,
                 PVF_NOT_WRITTEN},
                {&T::dwAliveNotificationReceiveLimit, L"Alive notification receive limit with Hook Gateway", 120000,
                 PVF_NOT_WRITTEN}});
    EXPECT_EQ(TimerPeriodFor(TRUE), 20u);
    EXPECT_EQ(TimerPeriodFor(FALSE), 100u);

    using V = PROP_VIEW;
    CheckTable(g_aPropViewValues,
               {{&V::bTopMost, L"TopMost", 1, PVF_FLAG}, {&V::bHide, L"Hide", 0, PVF_FLAG},
                {&V::bMouseMove, L"MouseMove", 0, PVF_FLAG}, {&V::bHorizontal, L"Horizontal", 1, PVF_FLAG},
                {&V::bVertical, L"Vertical", 1, PVF_FLAG}, {&V::bTrayIcon, L"TrayIcon", 1, PVF_FLAG},
                {&V::bTransparentEnable, nullptr, 1, PVF_FLAG | PVF_NOT_READ | PVF_NOT_WRITTEN},
                {&V::bSmoothScroll, L"SmoothScroll", 0, PVF_FLAG}, {&V::nSpeed, L"Speed", 3, PVF_NUMBER},
                {&V::nTransparent, L"Transparent", 10, PVF_NUMBER}});

    using W = PROP_WINDOW;
    EXPECT_STREQ(g_propWindowKeyValue.pszName, L"Ignore Activate Scroll Key");
    EXPECT_EQ(g_propWindowKeyValue.pField, &W::byIgnoreActivateScrollKey);
    EXPECT_EQ(g_propWindowKeyValue.tDefault, 17);
    CheckTable(g_aPropWindowValues,
               {{&W::nActivateMode, L"ActivateMode", 1, PVF_NUMBER},
                {&W::bMaximizeCancel, L"MaximizeCancel", 0, PVF_FLAG},
                {&W::bRestoreAbsPos, L"RestoreAbsPos", 0, PVF_FLAG},
                {&W::bIgnoreActivateScroll, L"Ignore Activate Scroll", 1, PVF_FLAG},
                {&W::nIgnoreActivateScrollCnt, L"Ignore Activate Scroll Cnt", 2, PVF_NUMBER}});

    using U = PROP_UNDO;
    CheckTable(g_aPropUndoValues,
               {{&U::nDepth, L"Depth", 50, PVF_NUMBER}, {&U::bScroll, L"Scroll", 1, PVF_FLAG},
                {&U::bAlign, L"Align", 1, PVF_FLAG}, {&U::bResize, L"Resize", 0, PVF_FLAG},
                {&U::bUndoResizeWnd, L"ResizeWnd", 0, PVF_FLAG},
                {&U::nSaveTimeUndoDataInWheelScroll, L"Save Time Undo Data In Wheel Scroll", 2, PVF_NUMBER}});

    using A = PROP_ATSCRL;
    CheckTable(g_aPropAtScrlValues,
               {{&A::nMode, L"Mode", 3, 0}, {&A::nExternalRange, L"External Range", 10, 0},
                {&A::nExternalSpeed, L"External Speed", 20, 0}, {&A::nInternalRange, L"Internal Range", 50, 0},
                {&A::nInternalSpeed, L"Internal Speed", 10, 0}, {&A::nDelay, L"Delay", 4, 0}});
    EXPECT_EQ((std::vector<int>(g_anAtScrlDelayMs, g_anAtScrlDelayMs + ATSCRL_DELAY_COUNT)),
              (std::vector<int>{0, 200, 500, 1000, 2000, 5000}));

    using F = PROP_FIX;
    CheckTable(g_aPropFixValues, {{&F::bScrollTitledWindowOnly, L"Scroll Titled Window Only", 1, PVF_FLAG},
                                  {&F::bFixGadget, L"Fix Gadget", 1, PVF_FLAG | PVF_NOT_READ}});

    using P = PROP_POSSIZE;
    CheckTable(g_aPropPosSizeValues,
               {{&P::nHorzOrgX, L"Horizontal Orgin X", 0, 0}, {&P::nHorzOrgY, L"Horizontal Orgin Y", 0, 0},
                {&P::nHorzWidth, L"Horizontal Width", 0, 0}, {&P::nHorzHeight, L"Horizontal Height", 0, 0},
                {&P::nVertOrgX, L"Vertical Orgin X", 0, 0}, {&P::nVertOrgY, L"Vertical Orgin Y", 0, 0},
                {&P::nVertWidth, L"Vertical Width", 0, 0}, {&P::nVertHeight, L"Vertical Height", 0, 0}});
}

TEST(CommonPropertySet, ScrollWidthDefaultsIndexAndValueNames)
{
    for (int nEntry = 0; nEntry < SCRLWDTH_COUNT; ++nEntry) {
        const SCROLL_WIDTH& sw = g_propScrlWdthDefault.aScrlWdth[nEntry];
        const int nDist = ScrlWdthUnit(nEntry) == SCRLWDTH_LINE ? 10 : 200;
        EXPECT_TRUE(sw.nMode == SCRLMODE_ABS && sw.nAbs == nDist && sw.nRel == nDist && sw.nScr == 1) << nEntry;
        EXPECT_EQ(ScrlWdthIndex(ScrlWdthDevice(nEntry), ScrlWdthDir(nEntry), ScrlWdthUnit(nEntry)), nEntry);
    }
    // The names pin the order in which the registry and the other program read the entries.
    EXPECT_EQ(GetScrlWdthValueName(0, 0), L"MouseHorzLineMode");
    EXPECT_EQ(GetScrlWdthValueName(7, 1), L"KeybdVertPageAbs");
    EXPECT_EQ(GetScrlWdthValueName(5, 2), L"KeybdHorzPageRel");
    EXPECT_EQ(GetScrlWdthValueName(11, 3), L"WheelVertPageScr");
    EXPECT_TRUE(GetScrlWdthValueName(12, 0).empty());
    EXPECT_TRUE(GetScrlWdthValueName(0, 4).empty());
    std::set<std::wstring> names;
    std::set<int> vertical;
    for (int i = 0; i < SCRLWDTH_COUNT; ++i) {
        for (int f = 0; f < SCRLWDTH_FIELDS; ++f)
            names.insert(GetScrlWdthValueName(i, f));
        if (GetScrlWdthValueName(i, 0).find(L"Vert") != std::wstring::npos)
            vertical.insert(i);
    }
    EXPECT_EQ(names.size(), 48u);
    EXPECT_EQ(vertical, (std::set<int>{2, 3, 6, 7, 10, 11}));
    SCROLL_WIDTH sw = {1, 2, 3, 4};
    for (int f = 0; f < SCRLWDTH_FIELDS; ++f)
        EXPECT_EQ(sw.*g_apScrlWdthField[f], f + 1);
}

TEST(CommonPropertySet, DefaultKeysAndKeyValueNames)
{
    const std::vector<std::vector<BYTE>> expected = {
        {17, 18, 37}, {16, 17, 18, 37}, {17, 18, 39}, {16, 17, 18, 39}, {17, 18, 38},
        {16, 17, 18, 38}, {17, 18, 40}, {16, 17, 18, 40}, {17, 18, 90}, {17, 18, 122},
    };
    const wchar_t* const formats[KEYASSIGN_COUNT] = {
        L"Scroll Key (Left Line) No.%d",  L"Scroll Key (Left Page) No.%d", L"Scroll Key (Right Line) No.%d",
        L"Scroll Key (Right Page) No.%d", L"Scroll Key (Up Line) No.%d",   L"Scroll Key (Up Page) No.%d",
        L"Scroll Key (Down Line) No.%d",  L"Scroll Key (Down Page) No.%d", L"Undo Key No.%d",
        L"Menu Key No.%d",
    };
    size_t nTotal = 0;
    for (int i = 0; i < KEYASSIGN_COUNT; ++i) {
        const std::vector<BYTE> keys = GetDefaultKeyList(i);
        EXPECT_EQ(keys, expected[i]) << "entry " << i;
        for (BYTE by : keys)
            EXPECT_TRUE(IsAssignableVKey(by)) << "entry " << i;
        EXPECT_TRUE(g_aKeyAssignDef[i].bEnableDefault);
        EXPECT_STREQ(g_aKeyAssignDef[i].pszKeyFormat, formats[i]);
        EXPECT_STREQ(g_aKeyAssignDef[i].pszEnable, i < KEYASSIGN_UNDO ? L"Arrow" : i == KEYASSIGN_UNDO ? L"Undo" : L"Menu");
        nTotal += keys.size();
    }
    EXPECT_EQ(nTotal, 34u);
    EXPECT_EQ(g_aKeyAssignDef[KEYASSIGN_LEFT_LINE].abyDefaultKey[3], 0) << "a three-key row ends in 0";
    EXPECT_TRUE(GetDefaultKeyList(-1).empty());
    EXPECT_TRUE(GetDefaultKeyList(KEYASSIGN_COUNT).empty());
}

using PairList = std::vector<std::pair<int, int>>;

PairList Pairs(const std::vector<SCROLL_RATE>& lst)
{
    PairList v;
    for (const SCROLL_RATE& r : lst)
        v.emplace_back(r.nCnt, r.nWidth);
    return v;
}

TEST(CommonScrollRate, BuiltInListsWithoutTheEndRow)
{
    PROPERTY_SET prop;
    prop.lstScrlRate = {{7, 7}};
    prop.propView.bSmoothScroll = FALSE;
    MakeScrollRateList(prop);
    EXPECT_EQ(Pairs(prop.lstScrlRate), (PairList{{50, 10}, {60, 60}, {100, 100}}));
    prop.propView.bSmoothScroll = TRUE;
    MakeScrollRateList(prop);
    EXPECT_EQ(Pairs(prop.lstScrlRate), (PairList{{10, 2}, {20, 5}, {30, 10}, {40, 20}, {45, 33}, {50, 50},
                                                 {60, 70}, {70, 85}, {80, 95}, {90, 98}, {100, 100}}));
    EXPECT_EQ(GetScrollRateTable(FALSE).back().nWidth, 999);
    EXPECT_EQ(GetScrollRateTable(TRUE).back().nCnt, 999);
}

TEST(CommonScrollRate, FallingValuesEndTheListAndInvalidRowsEndItBefore)
{
    const struct {
        std::vector<SCROLL_RATE> table;
        PairList expected;
    } aCases[] = {
        // A falling value becomes 100 and ends the list.
        {{{10, 50}, {20, 40}, {30, 60}}, {{10, 50}, {20, 100}}},
        {{{10, 50}, {5, 60}, {30, 70}}, {{10, 50}, {100, 60}}},
        {{{10, 50}, {5, 40}, {30, 70}}, {{10, 50}, {100, 100}}},
        {{{10, 50}, {10, 50}, {20, 60}}, {{10, 50}, {10, 50}, {20, 60}}},
        // -999 or a value outside 0..100 ends the list before its row.
        {{{10, 5}, {-999, 50}, {60, 60}}, {{10, 5}}},
        {{{10, 5}, {50, -999}, {60, 60}}, {{10, 5}}},
        {{{10, 5}, {101, 50}}, {{10, 5}}},
        {{{10, 5}, {50, 101}}, {{10, 5}}},
        {{{-1, 5}, {50, 50}}, {}},
        {{{10, -1}, {50, 50}}, {}},
        {{{10, 5}, {5, 200}}, {{10, 5}}},  // an invalid width wins over a falling count
        {{{0, 0}, {100, 100}}, {{0, 0}, {100, 100}}},
        {{}, {}},
    };
    for (const auto& c : aCases) {
        std::vector<SCROLL_RATE> lst = {{1, 1}, {2, 2}};
        BuildScrollRateList(c.table, lst);
        EXPECT_EQ(Pairs(lst), c.expected) << testing::PrintToString(Pairs(c.table));
    }

    std::vector<SCROLL_RATE> table, lst;
    for (int i = 0; i < 20; ++i)
        table.push_back({i * 5, i * 5});
    BuildScrollRateList(table, lst);
    ASSERT_EQ(lst.size(), 16u) << "at most sixteen rows are walked";
    EXPECT_EQ(lst.back().nCnt, 75);
}

std::vector<int> Rects(const PROP_POSSIZE& p)
{
    return {p.nHorzOrgX, p.nHorzOrgY, p.nHorzWidth, p.nHorzHeight, p.nVertOrgX, p.nVertOrgY, p.nVertWidth, p.nVertHeight};
}

TEST(CommonPosSize, DefaultsOnFullHdAndSmallDesktops)
{
    PROP_POSSIZE ps = {0, 0, 0, 0, 0, 0, 0, 0, 0x123456789ull, 0xFEDCBA987ull};
    CalcDefaultPosSizeH(RECT{0, 0, 1920, 1080}, 17, ps);
    CalcDefaultPosSizeV(RECT{0, 0, 1920, 1080}, 17, ps);
    EXPECT_EQ(Rects(ps), (std::vector<int>{1468, 0, 384, 19, 1901, 102, 19, 216}));
    EXPECT_EQ(ps.hWndHorz, 0x123456789ull);
    EXPECT_EQ(ps.hWndVert, 0xFEDCBA987ull);

    // Each half leaves the other alone.
    ps = {};
    ps.nVertOrgX = -5;
    CalcDefaultPosSizeH(RECT{0, 0, 1280, 1024}, 16, ps);
    EXPECT_EQ(ps.nVertOrgX, -5);
    EXPECT_EQ(ps.nHorzOrgX, 1024 - 64);
    EXPECT_EQ(ps.nHorzWidth, 1280 - 960 - 64);
    EXPECT_EQ(ps.nHorzHeight, 18);
    ps.nHorzOrgX = -7;
    CalcDefaultPosSizeV(RECT{0, 0, 1280, 1024}, 16, ps);
    EXPECT_EQ(ps.nHorzOrgX, -7);
    EXPECT_EQ(ps.nVertHeight, 1024 / 5);

    CalcDefaultPosSizeH(RECT{0, 0, 200, 150}, 17, ps);
    CalcDefaultPosSizeV(RECT{0, 0, 200, 150}, 17, ps);
    EXPECT_EQ(ps.nHorzOrgX, 160 - 68);
    EXPECT_EQ(ps.nHorzWidth, 68) << "at least four bar heights";
    EXPECT_EQ(ps.nVertHeight, 68) << "at least four bar widths";
    EXPECT_EQ(ps.nVertOrgX, 200 - 19);
}

TEST(CommonPosSize, SystemDefaultsFollowDesktopAndMetrics)
{
    RECT rc;
    ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &rc));
    PROP_POSSIZE expected = {};
    CalcDefaultPosSizeH(rc, GetSystemMetrics(SM_CYHSCROLL), expected);
    CalcDefaultPosSizeV(rc, GetSystemMetrics(SM_CXVSCROLL), expected);
    PROP_POSSIZE ps = {};
    ps.hWndHorz = 42;
    EXPECT_TRUE(GetDefaultPosSize(ps));
    EXPECT_EQ(Rects(ps), Rects(expected));
    EXPECT_EQ(ps.hWndHorz, 42u);
    EXPECT_GT(ps.nHorzWidth, 0);

    PROP_POSSIZE onlyH = {}, onlyV = {};
    EXPECT_TRUE(GetDefaultPosSizeH(onlyH));
    EXPECT_TRUE(GetDefaultPosSizeV(onlyV));
    EXPECT_EQ(onlyH.nHorzOrgX, expected.nHorzOrgX);
    EXPECT_EQ(onlyH.nVertWidth, 0);
    EXPECT_EQ(onlyV.nVertOrgX, expected.nVertOrgX);
    EXPECT_EQ(onlyV.nHorzHeight, 0);
}

TEST(CommonPropertySet, ClearPropertyListsEmptiesEveryListOnly)
{
    PROPERTY_SET prop;
    prop.propFix.lstTitle = {L"メモ帳", L""};
    prop.propFix.lstApp = {L"notepad.exe"};
    for (int i = 0; i < KEYASSIGN_COUNT; ++i)
        prop.propKeybd.aKeyAssign[i] = {TRUE, GetDefaultKeyList(i)};
    prop.propView.bSmoothScroll = TRUE;
    MakeScrollRateList(prop);
    prop.propFix.bScrollTitledWindowOnly = TRUE;
    prop.propVer.strAdditionalString = L"x";

    ClearPropertyLists(prop);
    EXPECT_TRUE(prop.propFix.lstTitle.empty());
    EXPECT_TRUE(prop.propFix.lstApp.empty());
    for (const KEY_ASSIGN& ka : prop.propKeybd.aKeyAssign)
        EXPECT_TRUE(ka.lstKey.empty() && ka.bEnable);
    EXPECT_TRUE(prop.lstScrlRate.empty());
    EXPECT_TRUE(prop.propFix.bScrollTitledWindowOnly);
    EXPECT_EQ(prop.propVer.strAdditionalString, L"x");
}

}  // namespace
