#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>
#include <initializer_list>
#include <set>
#include <type_traits>
#include <string>
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

// Every field appears once, under the expected name, with the expected default and flags.
template <class S, class T, size_t N>
void CheckTable(const PROP_VALUE_DEF<S, T> (&table)[N], std::initializer_list<std::type_identity_t<Expect<S, T>>> expect) {
    EXPECT_EQ(expect.size(), N) << "the table must cover every field";
    for (const auto& e : expect) {
        int nFound = 0;
        for (const auto& row : table) {
            if (row.pField != e.pField)
                continue;
            ++nFound;
            if (e.pszName)
                EXPECT_STREQ(row.pszName, e.pszName);
            else
                EXPECT_EQ(row.pszName, nullptr);
            EXPECT_EQ(row.tDefault, e.tDefault) << (e.pszName ? e.pszName : L"(no name)");
            EXPECT_EQ(row.nFlags, e.nFlags) << (e.pszName ? e.pszName : L"(no name)");
        }
        EXPECT_EQ(nFound, 1) << (e.pszName ? e.pszName : L"(no name)");
    }
}

TEST(CommonPropertySet, NewRecordIsZeroAndEmpty) {
    PROPERTY_SET prop;
    EXPECT_EQ(prop.propVer.nMajor, 0);
    EXPECT_TRUE(prop.propVer.strAdditionalString.empty());
    EXPECT_EQ(prop.propTimer.dwResolution, 0u);
    EXPECT_EQ(prop.propPosSize.hWndHorz, 0u);
    EXPECT_EQ(prop.propWindow.byIgnoreActivateScrollKey, 0);
    EXPECT_TRUE(prop.lstScrlRate.empty());
    EXPECT_TRUE(prop.propFix.lstTitle.empty());
    for (const KEY_ASSIGN& ka : prop.propKeybd.aKeyAssign)
        EXPECT_TRUE(ka.lstKey.empty());
}

TEST(CommonPropertySet, VersionAndTimerDefaults) {
    CheckTable(g_aPropVerValues, {
                                     {&PROP_VER::nMajor, L"Major", -999, PVF_NUMBER},
                                     {&PROP_VER::nMinor, L"Minor", -999, PVF_NUMBER},
                                 });
    EXPECT_STREQ(PROP_VER_ADDITIONAL_STRING, L"Additional String");
    EXPECT_STREQ(PROP_NO_ENTRY, L"### No entry $$$");

    using T = PROP_TIMER;
    CheckTable(g_aPropTimerValues,
               {
                   {&T::dwResolution, L"Resolution", 100, PVF_NOT_READ},
                   {&T::dwScroll, L"Scroll", 100, PVF_NOT_READ},
                   {&T::dwAutoScroll, L"Auto Scroll", 200, 0},
                   {&T::dwLogProcessStartDetect, L"Log Process Start Detect", 10000, 0},
                   {&T::dwPropertyProcessAliveDetect, L"Property Process Alive Detect", 10000, 0},
                   {&T::dwPropertyProcessDeadDetect, L"Property Process Dead Detect", 200, 0},
                   {&T::dwIgnoreScrollByActivateOperation, L"Ignore Scroll by Activatation Operation", 10000, 0},
                   {&T::dwAliveNotificationSendInterval, L"Alive notification send interval with Hook Gateway",
                    10000, PVF_NOT_WRITTEN},
                   {&T::dwAliveNotificationReceiveLimit, L"Alive notification receive limit with Hook Gateway",
                    120000, PVF_NOT_WRITTEN},
               });
    EXPECT_EQ(TimerPeriodFor(TRUE), 20u);
    EXPECT_EQ(TimerPeriodFor(FALSE), 100u);
}

TEST(CommonPropertySet, ViewWindowUndoAutoScrollFixDefaults) {
    using V = PROP_VIEW;
    CheckTable(g_aPropViewValues, {
                                      {&V::bTopMost, L"TopMost", 1, PVF_FLAG},
                                      {&V::bHide, L"Hide", 0, PVF_FLAG},
                                      {&V::bMouseMove, L"MouseMove", 0, PVF_FLAG},
                                      {&V::bHorizontal, L"Horizontal", 1, PVF_FLAG},
                                      {&V::bVertical, L"Vertical", 1, PVF_FLAG},
                                      {&V::bTrayIcon, L"TrayIcon", 1, PVF_FLAG},
                                      {&V::bTransparentEnable, nullptr, 1, PVF_FLAG | PVF_NOT_READ | PVF_NOT_WRITTEN},
                                      {&V::bSmoothScroll, L"SmoothScroll", 0, PVF_FLAG},
                                      {&V::nSpeed, L"Speed", 3, PVF_NUMBER},
                                      {&V::nTransparent, L"Transparent", 10, PVF_NUMBER},
                                  });

    using W = PROP_WINDOW;
    EXPECT_STREQ(g_propWindowKeyValue.pszName, L"Ignore Activate Scroll Key");
    EXPECT_EQ(g_propWindowKeyValue.pField, &W::byIgnoreActivateScrollKey);
    EXPECT_EQ(g_propWindowKeyValue.tDefault, 17);
    CheckTable(g_aPropWindowValues, {
                                        {&W::nActivateMode, L"ActivateMode", 1, PVF_NUMBER},
                                        {&W::bMaximizeCancel, L"MaximizeCancel", 0, PVF_FLAG},
                                        {&W::bRestoreAbsPos, L"RestoreAbsPos", 0, PVF_FLAG},
                                        {&W::bIgnoreActivateScroll, L"Ignore Activate Scroll", 1, PVF_FLAG},
                                        {&W::nIgnoreActivateScrollCnt, L"Ignore Activate Scroll Cnt", 2, PVF_NUMBER},
                                    });

    using U = PROP_UNDO;
    CheckTable(g_aPropUndoValues,
               {
                   {&U::nDepth, L"Depth", 50, PVF_NUMBER},
                   {&U::bScroll, L"Scroll", 1, PVF_FLAG},
                   {&U::bAlign, L"Align", 1, PVF_FLAG},
                   {&U::bResize, L"Resize", 0, PVF_FLAG},
                   {&U::bUndoResizeWnd, L"ResizeWnd", 0, PVF_FLAG},
                   {&U::nSaveTimeUndoDataInWheelScroll, L"Save Time Undo Data In Wheel Scroll", 2, PVF_NUMBER},
               });

    using A = PROP_ATSCRL;
    CheckTable(g_aPropAtScrlValues, {
                                        {&A::nMode, L"Mode", 3, 0},
                                        {&A::nExternalRange, L"External Range", 10, 0},
                                        {&A::nExternalSpeed, L"External Speed", 20, 0},
                                        {&A::nInternalRange, L"Internal Range", 50, 0},
                                        {&A::nInternalSpeed, L"Internal Speed", 10, 0},
                                        {&A::nDelay, L"Delay", 4, 0},
                                    });
    EXPECT_EQ((std::vector<int>(g_anAtScrlDelayMs, g_anAtScrlDelayMs + ATSCRL_DELAY_COUNT)),
              (std::vector<int>{0, 200, 500, 1000, 2000, 5000}));

    using F = PROP_FIX;
    CheckTable(g_aPropFixValues, {
                                     {&F::bScrollTitledWindowOnly, L"Scroll Titled Window Only", 1, PVF_FLAG},
                                     {&F::bFixGadget, L"Fix Gadget", 1, PVF_FLAG | PVF_NOT_READ},
                                 });
}

TEST(CommonPropertySet, PositionAndSizeNamesInRecordOrder) {
    using P = PROP_POSSIZE;
    CheckTable(g_aPropPosSizeValues, {
                                         {&P::nHorzOrgX, L"Horizontal Orgin X", 0, 0},
                                         {&P::nHorzOrgY, L"Horizontal Orgin Y", 0, 0},
                                         {&P::nHorzWidth, L"Horizontal Width", 0, 0},
                                         {&P::nHorzHeight, L"Horizontal Height", 0, 0},
                                         {&P::nVertOrgX, L"Vertical Orgin X", 0, 0},
                                         {&P::nVertOrgY, L"Vertical Orgin Y", 0, 0},
                                         {&P::nVertWidth, L"Vertical Width", 0, 0},
                                         {&P::nVertHeight, L"Vertical Height", 0, 0},
                                     });
    EXPECT_EQ(g_aPropPosSizeValues[0].pField, &P::nHorzOrgX);
    EXPECT_EQ(g_aPropPosSizeValues[7].pField, &P::nVertHeight);
}

TEST(CommonPropertySet, ScrollWidthDefaultsAndValueNames) {
    for (int nDevice = 0; nDevice < SCRLWDTH_DEVICES; ++nDevice) {
        for (int nDir = 0; nDir < SCRLWDTH_DIRS; ++nDir) {
            const SCROLL_WIDTH& line = g_propScrlWdthDefault.aScrlWdth[ScrlWdthIndex(nDevice, nDir, SCRLWDTH_LINE)];
            const SCROLL_WIDTH& page = g_propScrlWdthDefault.aScrlWdth[ScrlWdthIndex(nDevice, nDir, SCRLWDTH_PAGE)];
            EXPECT_EQ(line.nMode, SCRLMODE_ABS);
            EXPECT_EQ(line.nAbs, 10);
            EXPECT_EQ(line.nRel, 10);
            EXPECT_EQ(line.nScr, 1);
            EXPECT_EQ(page.nMode, SCRLMODE_ABS);
            EXPECT_EQ(page.nAbs, 200);
            EXPECT_EQ(page.nRel, 200);
            EXPECT_EQ(page.nScr, 1);
        }
    }

    EXPECT_EQ(GetScrlWdthValueName(0, 0), L"MouseHorzLineMode");
    EXPECT_EQ(GetScrlWdthValueName(ScrlWdthIndex(SCRLWDTH_KEYBD, SCRLWDTH_VERT, SCRLWDTH_PAGE), 1),
              L"KeybdVertPageAbs");
    EXPECT_EQ(GetScrlWdthValueName(11, 3), L"WheelVertPageScr");
    EXPECT_EQ(GetScrlWdthValueName(5, 2), L"KeybdHorzPageRel");
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

TEST(CommonPropertySet, ScrollWidthIndexAndItsPartsAreInverse) {
    // The registry and the other program read the entries in this order.
    EXPECT_EQ(ScrlWdthIndex(SCRLWDTH_MOUSE, SCRLWDTH_HORZ, SCRLWDTH_PAGE), 1);
    EXPECT_EQ(ScrlWdthIndex(SCRLWDTH_MOUSE, SCRLWDTH_VERT, SCRLWDTH_LINE), 2);
    EXPECT_EQ(ScrlWdthIndex(SCRLWDTH_KEYBD, SCRLWDTH_HORZ, SCRLWDTH_LINE), 4);
    EXPECT_EQ(ScrlWdthIndex(SCRLWDTH_WHEEL, SCRLWDTH_VERT, SCRLWDTH_PAGE), SCRLWDTH_COUNT - 1);
    for (int nEntry = 0; nEntry < SCRLWDTH_COUNT; ++nEntry) {
        EXPECT_EQ(ScrlWdthIndex(ScrlWdthDevice(nEntry), ScrlWdthDir(nEntry), ScrlWdthUnit(nEntry)), nEntry)
            << nEntry;
        EXPECT_LT(ScrlWdthDevice(nEntry), SCRLWDTH_DEVICES) << nEntry;
    }
}

TEST(CommonPropertySet, DefaultKeysPerEntry) {
    const std::vector<std::vector<BYTE>> expected = {
        {17, 18, 37}, {16, 17, 18, 37}, {17, 18, 39}, {16, 17, 18, 39}, {17, 18, 38},
        {16, 17, 18, 38}, {17, 18, 40}, {16, 17, 18, 40}, {17, 18, 90}, {17, 18, 122},
    };
    size_t nTotal = 0;
    for (int i = 0; i < KEYASSIGN_COUNT; ++i) {
        const std::vector<BYTE> keys = GetDefaultKeyList(i);
        EXPECT_EQ(keys, expected[i]) << "entry " << i;
        for (BYTE by : keys) {
            EXPECT_NE(by, 0) << "entry " << i;
            EXPECT_TRUE(IsAssignableVKey(by)) << "entry " << i;
        }
        EXPECT_EQ(g_aKeyAssignDef[i].bEnableDefault, TRUE);
        nTotal += keys.size();
    }
    EXPECT_EQ(nTotal, 34u);
    EXPECT_EQ(g_aKeyAssignDef[KEYASSIGN_LEFT_LINE].abyDefaultKey[3], 0) << "a three-key row ends in 0";
    EXPECT_TRUE(GetDefaultKeyList(-1).empty());
    EXPECT_TRUE(GetDefaultKeyList(KEYASSIGN_COUNT).empty());
}

TEST(CommonPropertySet, KeyEntryValueNames) {
    const wchar_t* const formats[KEYASSIGN_COUNT] = {
        L"Scroll Key (Left Line) No.%d",  L"Scroll Key (Left Page) No.%d", L"Scroll Key (Right Line) No.%d",
        L"Scroll Key (Right Page) No.%d", L"Scroll Key (Up Line) No.%d",   L"Scroll Key (Up Page) No.%d",
        L"Scroll Key (Down Line) No.%d",  L"Scroll Key (Down Page) No.%d", L"Undo Key No.%d",
        L"Menu Key No.%d",
    };
    for (int i = 0; i < KEYASSIGN_COUNT; ++i) {
        EXPECT_STREQ(g_aKeyAssignDef[i].pszKeyFormat, formats[i]);
        EXPECT_STREQ(g_aKeyAssignDef[i].pszEnable, i < KEYASSIGN_UNDO ? L"Arrow" : i == KEYASSIGN_UNDO ? L"Undo" : L"Menu");
    }
}

std::vector<std::pair<int, int>> Pairs(const std::vector<SCROLL_RATE>& lst) {
    std::vector<std::pair<int, int>> v;
    for (const SCROLL_RATE& r : lst)
        v.emplace_back(r.nCnt, r.nWidth);
    return v;
}

std::vector<std::pair<int, int>> Build(std::initializer_list<SCROLL_RATE> rows) {
    std::vector<SCROLL_RATE> lst = {{1, 1}, {2, 2}};
    BuildScrollRateList(std::span<const SCROLL_RATE>(rows.begin(), rows.size()), lst);
    return Pairs(lst);
}

using PairList = std::vector<std::pair<int, int>>;

TEST(CommonScrollRate, BuiltInListsWithoutTheEndRow) {
    PROPERTY_SET prop;
    prop.lstScrlRate = {{7, 7}};
    prop.propView.bSmoothScroll = FALSE;
    MakeScrollRateList(prop);
    EXPECT_EQ(Pairs(prop.lstScrlRate), (PairList{{50, 10}, {60, 60}, {100, 100}}));

    prop.propView.bSmoothScroll = TRUE;
    MakeScrollRateList(prop);
    EXPECT_EQ(Pairs(prop.lstScrlRate), (PairList{{10, 2}, {20, 5}, {30, 10}, {40, 20}, {45, 33}, {50, 50},
                                                 {60, 70}, {70, 85}, {80, 95}, {90, 98}, {100, 100}}));

    EXPECT_EQ(GetScrollRateTable(FALSE).size(), 4u);
    EXPECT_EQ(GetScrollRateTable(TRUE).size(), 12u);
    EXPECT_EQ(GetScrollRateTable(TRUE).back().nCnt, 999);
    EXPECT_EQ(GetScrollRateTable(FALSE).back().nWidth, 999);
}

TEST(CommonScrollRate, FallingValueBecomesHundredAndEndsTheList) {
    EXPECT_EQ(Build({{10, 50}, {20, 40}, {30, 60}}), (PairList{{10, 50}, {20, 100}}));
    EXPECT_EQ(Build({{10, 50}, {5, 60}, {30, 70}}), (PairList{{10, 50}, {100, 60}}));
    EXPECT_EQ(Build({{10, 50}, {5, 40}, {30, 70}}), (PairList{{10, 50}, {100, 100}}));
    EXPECT_EQ(Build({{10, 50}, {10, 50}, {20, 60}}), (PairList{{10, 50}, {10, 50}, {20, 60}}));
}

TEST(CommonScrollRate, InvalidRowEndsTheListBeforeIt) {
    EXPECT_EQ(Build({{10, 5}, {-999, 50}, {60, 60}}), (PairList{{10, 5}}));
    EXPECT_EQ(Build({{10, 5}, {50, -999}, {60, 60}}), (PairList{{10, 5}}));
    EXPECT_EQ(Build({{10, 5}, {101, 50}}), (PairList{{10, 5}}));
    EXPECT_EQ(Build({{10, 5}, {50, 101}}), (PairList{{10, 5}}));
    EXPECT_EQ(Build({{-1, 5}, {50, 50}}), PairList{});
    EXPECT_EQ(Build({{10, -1}, {50, 50}}), PairList{});
    // An invalid width wins over a falling count in the same row.
    EXPECT_EQ(Build({{10, 5}, {5, 200}}), (PairList{{10, 5}}));
    EXPECT_EQ(Build({{0, 0}, {100, 100}}), (PairList{{0, 0}, {100, 100}}));
    EXPECT_EQ(Build({}), PairList{});
}

TEST(CommonScrollRate, WalksAtMostSixteenRows) {
    std::vector<SCROLL_RATE> table;
    for (int i = 0; i < 20; ++i)
        table.push_back({i * 5, i * 5});
    std::vector<SCROLL_RATE> lst;
    BuildScrollRateList(table, lst);
    ASSERT_EQ(lst.size(), 16u);
    EXPECT_EQ(lst.back().nCnt, 75);
}

TEST(CommonPosSize, DefaultsOnFullHdDesktop) {
    const RECT rc = {0, 0, 1920, 1080};
    PROP_POSSIZE ps = {};
    ps.hWndHorz = 0x123456789ull;
    ps.hWndVert = 0xFEDCBA987ull;
    CalcDefaultPosSizeH(rc, 17, ps);
    CalcDefaultPosSizeV(rc, 17, ps);
    EXPECT_EQ(ps.nHorzOrgX, 1468);
    EXPECT_EQ(ps.nHorzOrgY, 0);
    EXPECT_EQ(ps.nHorzWidth, 384);
    EXPECT_EQ(ps.nHorzHeight, 19);
    EXPECT_EQ(ps.nVertOrgX, 1901);
    EXPECT_EQ(ps.nVertOrgY, 102);
    EXPECT_EQ(ps.nVertWidth, 19);
    EXPECT_EQ(ps.nVertHeight, 216);
    EXPECT_EQ(ps.hWndHorz, 0x123456789ull);
    EXPECT_EQ(ps.hWndVert, 0xFEDCBA987ull);
}

TEST(CommonPosSize, MinimumSizesOnASmallDesktop) {
    const RECT rc = {0, 0, 200, 150};
    PROP_POSSIZE ps = {};
    CalcDefaultPosSizeH(rc, 17, ps);
    EXPECT_EQ(ps.nHorzOrgX, 160 - 68);
    EXPECT_EQ(ps.nHorzWidth, 68) << "at least four bar heights";
    CalcDefaultPosSizeV(rc, 17, ps);
    EXPECT_EQ(ps.nVertHeight, 68) << "at least four bar widths";
    EXPECT_EQ(ps.nVertOrgX, 200 - 19);
}

TEST(CommonPosSize, HorizontalAndVerticalAreIndependent) {
    const RECT rc = {0, 0, 1280, 1024};
    PROP_POSSIZE ps = {};
    ps.nVertOrgX = -5;
    CalcDefaultPosSizeH(rc, 16, ps);
    EXPECT_EQ(ps.nVertOrgX, -5);
    EXPECT_EQ(ps.nHorzOrgX, 1024 - 64);
    EXPECT_EQ(ps.nHorzWidth, 1280 - 960 - 64);
    EXPECT_EQ(ps.nHorzHeight, 18);

    ps.nHorzOrgX = -7;
    CalcDefaultPosSizeV(rc, 16, ps);
    EXPECT_EQ(ps.nHorzOrgX, -7);
    EXPECT_EQ(ps.nVertHeight, 1024 / 5);
}

TEST(CommonPosSize, SystemDefaultsFollowDesktopAndMetrics) {
    RECT rc;
    ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &rc));
    PROP_POSSIZE expected = {};
    CalcDefaultPosSizeH(rc, GetSystemMetrics(SM_CYHSCROLL), expected);
    CalcDefaultPosSizeV(rc, GetSystemMetrics(SM_CXVSCROLL), expected);

    PROP_POSSIZE ps = {};
    ps.hWndHorz = 42;
    EXPECT_TRUE(GetDefaultPosSize(ps));
    EXPECT_EQ(ps.nHorzOrgX, expected.nHorzOrgX);
    EXPECT_EQ(ps.nHorzWidth, expected.nHorzWidth);
    EXPECT_EQ(ps.nVertOrgY, expected.nVertOrgY);
    EXPECT_EQ(ps.nVertHeight, expected.nVertHeight);
    EXPECT_EQ(ps.hWndHorz, 42u);
    EXPECT_GT(ps.nHorzWidth, 0);

    PROP_POSSIZE onlyH = {};
    EXPECT_TRUE(GetDefaultPosSizeH(onlyH));
    EXPECT_EQ(onlyH.nHorzOrgX, expected.nHorzOrgX);
    EXPECT_EQ(onlyH.nVertWidth, 0);
    PROP_POSSIZE onlyV = {};
    EXPECT_TRUE(GetDefaultPosSizeV(onlyV));
    EXPECT_EQ(onlyV.nVertOrgX, expected.nVertOrgX);
    EXPECT_EQ(onlyV.nHorzHeight, 0);
}

TEST(CommonPosSize, WindowHandlesKeepAllBits) {
    HWND hWnd = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x7654321));
    PROP_POSSIZE ps = {};
    ps.hWndVert = WndTo64(hWnd);
    EXPECT_EQ(ps.hWndVert, 0x7654321u);
    EXPECT_EQ(WndFrom64(ps.hWndVert), hWnd);
    EXPECT_EQ(WndTo64(nullptr), 0u);
}

TEST(CommonPropertySet, ClearPropertyListsEmptiesEveryListOnly) {
    PROPERTY_SET prop;
    prop.propFix.lstTitle = {L"メモ帳", L""};
    prop.propFix.lstApp = {L"notepad.exe"};
    for (int i = 0; i < KEYASSIGN_COUNT; ++i) {
        prop.propKeybd.aKeyAssign[i].bEnable = TRUE;
        prop.propKeybd.aKeyAssign[i].lstKey = GetDefaultKeyList(i);
    }
    prop.propView.bSmoothScroll = TRUE;
    MakeScrollRateList(prop);
    prop.propFix.bScrollTitledWindowOnly = TRUE;
    prop.propVer.strAdditionalString = L"x";

    ClearPropertyLists(prop);
    EXPECT_TRUE(prop.propFix.lstTitle.empty());
    EXPECT_TRUE(prop.propFix.lstApp.empty());
    for (const KEY_ASSIGN& ka : prop.propKeybd.aKeyAssign) {
        EXPECT_TRUE(ka.lstKey.empty());
        EXPECT_TRUE(ka.bEnable);
    }
    EXPECT_TRUE(prop.lstScrlRate.empty());
    EXPECT_TRUE(prop.propFix.bScrollTitledWindowOnly);
    EXPECT_EQ(prop.propVer.strAdditionalString, L"x");
}

TEST(CommonPropertySet, FixListNames) {
    EXPECT_STREQ(PROP_FIX_TITLE_FORMAT, L"Fixed Window By Title No.%d");
    EXPECT_STREQ(PROP_FIX_APP_FORMAT, L"Fixed Window By App Name No.%d");
    EXPECT_STREQ(PROP_FIX_OLD_TITLE_FORMAT, L"Window No.%d");
    EXPECT_STREQ(PROP_FIX_TITLE_END, L"%%% End of fixed window title array &&&");
    EXPECT_STREQ(PROP_FIX_APP_END, L"%%% End of fixed window application array &&&");
    EXPECT_STREQ(PROP_SECTION_POSSIZE, L"Position and Size");
    EXPECT_STREQ(PROP_SECTION_ATSCRL, L"Auto Scroll");
}

}  // namespace
