// The two scroll-bar windows of the core program, driven by real input (SendInput through the kit):
// where they stand, how they show (alpha, auto-hide strip), the page clicks, spin arrows, wheel and
// thumb drag that scroll every window by the Scroll width settings, one undo step per click, spin
// press and wheel burst, the Alt move and resize within their limits and the rectangle they leave
// in the registry. Few program starts, several checks each.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "CoreRun.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;

namespace {

constexpr wchar_t kSaveScrollLine[] = L"アンドゥデータの保存 : スクロールとウィンドウの並べ替え";
constexpr wchar_t kSaveBarLine[] = L"アンドゥデータの保存 : スクロールバーの位置とサイズ";

// The Scroll width entries the test sets, each its own width so that a move tells which it was.
constexpr int kMouseHorzLine = 7, kMouseHorzPage = 150, kMouseVertLine = 11;
constexpr int kWheelHorzLine = 13, kWheelHorzPage = 170, kWheelVertLine = 17, kWheelVertPage = 190;
constexpr int kMouseVertPageRel = 40;  // relative: a share of the range per track pixel

int Width(const RECT& rc) { return rc.right - rc.left; }
int Height(const RECT& rc) { return rc.bottom - rc.top; }
POINT Centre(const RECT& rc) { return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; }

// The default rectangles on the desktop: the horizontal bar along the top over the
// right fifth, the vertical bar along the right edge below the top.
RECT DefaultBarH()
{
    const int h = GetSystemMetrics(SM_CYHSCROLL);
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int x = 4 * cx / 5 - 4 * h;
    return RectOf(x, 0, std::max(cx - x - 4 * h, 4 * h), std::max(h / 2, h + 2));
}

RECT DefaultBarV()
{
    const int v = GetSystemMetrics(SM_CXVSCROLL);
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    const int w = std::max(v / 2, v + 2);
    return RectOf(cx - w, 6 * v, w, std::max(4 * v, cy / 5));
}

RECT ControlRect(HWND hBar, int nId) { return WindowRect(GetDlgItem(hBar, nId)); }

// The numbers of the drag manager's log lines "CScrlMngrH::MoveAllWindows()...": delta, thumb
// position, offset, thumb length, range max, range min, their difference.
struct DRAG_LINE {
    int nDelta, nPos, nOffset, nLen, nMax, nMin, nDiff;
};

std::vector<DRAG_LINE> DragLines(const std::wstring& strLog, const wchar_t* pszClass)
{
    const std::wstring strHead = std::wstring(pszClass) + L"::MoveAllWindows()...";
    std::vector<DRAG_LINE> lines;
    for (size_t nPos = strLog.find(strHead); nPos != std::wstring::npos; nPos = strLog.find(strHead, nPos + 1)) {
        const wchar_t* p = strLog.c_str() + nPos + strHead.size();
        int v[7] = {};
        for (int& n : v) {
            wchar_t* pEnd = nullptr;
            n = static_cast<int>(wcstol(p, &pEnd, 10));
            p = pEnd;
            while (*p == L',' || *p == L'\n' || *p == L'\r' || *p == L' ')
                ++p;
        }
        lines.push_back({v[0], v[1], v[2], v[3], v[4], v[5], v[6]});
    }
    return lines;
}


class CoreBars : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RegDeleteSettings());
        ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
        PlacePointer(640, 600);
    }
    void TearDown() override
    {
        DisplayAlt(false);
        POINT ptNow{};
        GetCursorPos(&ptNow);
        DisplayButton(false, ptNow.x, ptNow.y);
        MouseUp(MouseButton::Left);
        PlacePointer(640, 600);
    }

    std::wstring Log() const { return m_run.Log(); }

    // The test windows, the core program and both bars, shown.
    bool StartAll()
    {
        const auto hWnds =
            m_wnds.StartTitled({WndArg(300, 200, 300, 200, L"Zv Bars A"), WndArg(700, 450, 250, 180, L"Zv Bars B")});
        m_hA = hWnds[0];
        m_hB = hWnds[1];
        if (!m_hA || !m_hB || !m_run.Start())
            return false;
        m_hBarH = m_run.BarWnd(false);
        m_hBarV = m_run.BarWnd(true);
        return m_hBarH && m_hBarV &&
               WaitUntil([&] { return IsWindowVisible(m_hBarH) && IsWindowVisible(m_hBarV); }, 5000);
    }

    // Both test windows moved by (dx, dy) from st, waited for.
    struct STATE {
        RECT rcA, rcB;
    };
    STATE Now() const { return {WindowRect(m_hA), WindowRect(m_hB)}; }
    ::testing::AssertionResult MovedBy(const STATE& st, int dx, int dy, const char* pszWhat)
    {
        const RECT rcA = Shifted(st.rcA, dx, dy), rcB = Shifted(st.rcB, dx, dy);
        WaitUntil([&] { return SameRect(rcA, WindowRect(m_hA)) && SameRect(rcB, WindowRect(m_hB)); }, 5000, 20);
        if (!m_run.WaitForMoveEnd())
            return ::testing::AssertionFailure() << pszWhat << ": the move did not end";
        const RECT rcNowA = WindowRect(m_hA), rcNowB = WindowRect(m_hB);
        if (EqualRect(&rcA, &rcNowA) && EqualRect(&rcB, &rcNowB))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << pszWhat << ": expected a move of " << dx << "," << dy << ", A moved by "
                                             << rcNowA.left - st.rcA.left << "," << rcNowA.top - st.rcA.top
                                             << ", B by " << rcNowB.left - st.rcB.left << ","
                                             << rcNowB.top - st.rcB.top;
    }

    // The pointer placed on the display and for SendInput, and given the time to get there: the
    // display's motion reaches Wine a little later, and a button pressed before it would be
    // pressed where the pointer was.
    static bool PointTo(int x, int y)
    {
        if (!PlacePointer(x, y))
            return false;
        PumpFor(150);
        return true;
    }
    // The button pressed (or released) on the display at pt for a drag, and waited for until the bar
    // has taken it: the pointer's next motion must not overtake it.
    bool DragButton(bool bDown, POINT pt)
    {
        const wchar_t* pszLine = bDown ? L"CScrollManager::Press(" : L"CScrollManager::OnLButtonUp(";
        const size_t n = CountOf(Log(), pszLine);
        return DisplayButton(bDown, pt.x, pt.y) && m_run.WaitForLine(pszLine, n + 1, 5000);
    }
    // A click with the kit's SendInput at a screen point; the pointer is placed there first.
    static bool ClickAt(POINT pt) { return PointTo(pt.x, pt.y) && MouseClick(MouseButton::Left); }

    size_t Saves() const { return CountOf(Log(), kSaveScrollLine); }

    CRegistryGuard m_guard{kMakerKey};
    CCoreRun m_run{L"ZvCoreBarsTest"};
    CTestWnds m_wnds;
    HWND m_hA = nullptr, m_hB = nullptr;
    HWND m_hBarH = nullptr, m_hBarV = nullptr;
};

// The registry holds these rectangles of the horizontal and the vertical bar.
void ExpectSavedBarRects(const RECT& rcH, const RECT& rcV)
{
    const RECT rcSaved[2] = {rcH, rcV};
    const wchar_t* const apszBar[2] = {L"Horizontal", L"Vertical"};
    for (int i = 0; i < 2; ++i) {
        const std::wstring strBar = apszBar[i];
        EXPECT_EQ(RegGetDword(PROP_SECTION_POSSIZE, strBar + L" Orgin X"), static_cast<DWORD>(rcSaved[i].left)) << i;
        EXPECT_EQ(RegGetDword(PROP_SECTION_POSSIZE, strBar + L" Orgin Y"), static_cast<DWORD>(rcSaved[i].top)) << i;
        EXPECT_EQ(RegGetDword(PROP_SECTION_POSSIZE, strBar + L" Width"), static_cast<DWORD>(Width(rcSaved[i]))) << i;
        EXPECT_EQ(RegGetDword(PROP_SECTION_POSSIZE, strBar + L" Height"), static_cast<DWORD>(Height(rcSaved[i]))) << i;
    }
}

}  // namespace

// Default rectangles, the look of a Transparent 2, a bar that cannot be closed, and every way of
// scrolling by a bar: page clicks before and after the thumb, spin arrows (a held arrow is one undo
// step), the wheel with and without Shift, and the thumb drag.
TEST_F(CoreBars, ClicksSpinWheelAndThumbScrollEveryWindowByTheScrollWidths)
{
    ASSERT_TRUE(RegSetDword(L"View", L"Transparent", 2));
    for (const auto& [pszName, nValue] :
         {std::pair{L"MouseHorzLineAbs", kMouseHorzLine}, std::pair{L"MouseHorzPageAbs", kMouseHorzPage},
          std::pair{L"MouseVertLineAbs", kMouseVertLine}, std::pair{L"MouseVertPageMode", 1},
          std::pair{L"MouseVertPageRel", kMouseVertPageRel}, std::pair{L"WheelHorzLineAbs", kWheelHorzLine},
          std::pair{L"WheelHorzPageAbs", kWheelHorzPage}, std::pair{L"WheelVertLineAbs", kWheelVertLine},
          std::pair{L"WheelVertPageAbs", kWheelVertPage}})
        ASSERT_TRUE(RegSetDword(L"Scroll", pszName, static_cast<DWORD>(nValue)));
    ASSERT_TRUE(StartAll());

    // Where they stand, what they are and how they show.
    EXPECT_TRUE(WaitForRect(m_hBarH, DefaultBarH()));
    EXPECT_TRUE(WaitForRect(m_hBarV, DefaultBarV()));
    for (HWND hBar : {m_hBarH, m_hBarV}) {
        const LONG_PTR lExStyle = GetWindowLongPtrW(hBar, GWL_EXSTYLE);
        EXPECT_TRUE(lExStyle & WS_EX_TOOLWINDOW);
        // View "TopMost" (on by default) is the owner's: the bars stay above other windows with it.
        EXPECT_TRUE(lExStyle & WS_EX_TOPMOST);
        EXPECT_EQ(GetWindow(hBar, GW_OWNER), m_run.Wnd());
        ASSERT_TRUE(lExStyle & WS_EX_LAYERED);
        BYTE byAlpha = 0;
        DWORD dwFlags = 0;
        ASSERT_TRUE(GetLayeredWindowAttributes(hBar, nullptr, &byAlpha, &dwFlags));
        EXPECT_EQ(byAlpha, 51);
        EXPECT_TRUE(dwFlags & LWA_ALPHA);
    }

    // Page clicks before and after the horizontal thumb: the mouse page width each, one undo step each.
    STATE st = Now();
    size_t nSaves = Saves();
    RECT rcThumb = ControlRect(m_hBarH, IDC_THUMB_H);
    ASSERT_GT(rcThumb.left, DefaultBarH().left + 3) << "no room before the thumb";
    ASSERT_TRUE(ClickAt({rcThumb.left - 3, Centre(rcThumb).y}));
    EXPECT_TRUE(MovedBy(st, kMouseHorzPage, 0, "click before the horizontal thumb"));
    EXPECT_TRUE(m_run.WaitForLine(kSaveScrollLine, nSaves + 1));
    st = Now();
    rcThumb = ControlRect(m_hBarH, IDC_THUMB_H);
    ASSERT_LT(rcThumb.right + 3, ControlRect(m_hBarH, IDC_SPIN_H).left) << "no room after the thumb";
    ASSERT_TRUE(ClickAt({rcThumb.right + 3, Centre(rcThumb).y}));
    EXPECT_TRUE(MovedBy(st, -kMouseHorzPage, 0, "click after the horizontal thumb"));
    EXPECT_EQ(Saves(), nSaves + 2);

    // The vertical page is relative: the range's height times 40 over the vertical track, which is
    // the bar's length less two thicknesses.
    const RECT rcBarV = WindowRect(m_hBarV);
    const int nTrackV = Height(rcBarV) - 2 * Width(rcBarV);
    st = Now();
    rcThumb = ControlRect(m_hBarV, IDC_THUMB_V);
    ASSERT_LT(rcThumb.bottom + 3, rcBarV.bottom) << "no room below the thumb";
    const std::wstring strRelLine = L"CZvCoreDlg::GetScrollWidthAbs()...nIdx=3,lRange=" + std::to_wstring(nTrackV) + L",lRet=";
    // The first such line after the click is the click's (the kit's move-end probe uses entry 3 too).
    const size_t nLogBefore = Log().size();
    ASSERT_TRUE(ClickAt({Centre(rcThumb).x, rcThumb.bottom + 3}));
    ASSERT_TRUE(WaitUntil([&] { return Log().find(strRelLine, nLogBefore) != std::wstring::npos; }, 5000))
        << m_run.LogLinesWith(L"nIdx=3");
    const std::wstring strLog = Log();
    const int nRelWidth =
        static_cast<int>(wcstol(strLog.c_str() + strLog.find(strRelLine, nLogBefore) + strRelLine.size(), nullptr, 10));
    EXPECT_GT(nRelWidth, 0);
    EXPECT_TRUE(MovedBy(st, 0, -nRelWidth, "click below the vertical thumb"));
    EXPECT_EQ(Saves(), nSaves + 3);
    EXPECT_NE(Log().find(L"モード = 垂直スクロール."), std::wstring::npos);

    // Spin arrows: the right arrow scrolls right (the windows go left), the vertical up arrow up.
    const RECT rcSpinH = ControlRect(m_hBarH, IDC_SPIN_H), rcSpinV = ControlRect(m_hBarV, IDC_SPIN_V);
    st = Now();
    ASSERT_TRUE(ClickAt({rcSpinH.right - Height(rcSpinH) / 2, Centre(rcSpinH).y}));
    EXPECT_TRUE(MovedBy(st, -kMouseHorzLine, 0, "right arrow"));
    st = Now();
    ASSERT_TRUE(ClickAt({Centre(rcSpinV).x, rcSpinV.top + 3}));
    EXPECT_TRUE(MovedBy(st, 0, kMouseVertLine, "up arrow"));
    EXPECT_EQ(Saves(), nSaves + 5);

    // An arrow held down repeats: several lines, one undo step.
    st = Now();
    ASSERT_TRUE(PointTo(rcSpinH.left + 3, Centre(rcSpinH).y));
    ASSERT_TRUE(MouseDown(MouseButton::Left));
    PumpFor(1500);
    ASSERT_TRUE(MouseUp(MouseButton::Left));
    ASSERT_TRUE(m_run.WaitForMoveEnd());
    const int nHeld = WindowRect(m_hA).left - st.rcA.left;
    EXPECT_GE(nHeld, 2 * kMouseHorzLine) << "the left arrow held down did not repeat";
    EXPECT_EQ(nHeld % kMouseHorzLine, 0);
    EXPECT_EQ(Saves(), nSaves + 6);

    // The wheel over a bar (Wine gives the wheel to the focus window: the test posts it to the bar);
    // a burst of turns is one undo step per axis.
    st = Now();
    ASSERT_TRUE(m_run.PostWheel(false, WHEEL_DELTA));
    EXPECT_TRUE(MovedBy(st, kWheelHorzLine, 0, "wheel away over the horizontal bar"));
    st = Now();
    ASSERT_TRUE(m_run.PostWheel(false, -WHEEL_DELTA, MK_SHIFT));
    EXPECT_TRUE(MovedBy(st, -kWheelHorzPage, 0, "Shift and wheel toward the user"));
    EXPECT_EQ(Saves(), nSaves + 7);
    st = Now();
    ASSERT_TRUE(m_run.PostWheel(true, -WHEEL_DELTA));
    EXPECT_TRUE(MovedBy(st, 0, -kWheelVertLine, "wheel toward the user over the vertical bar"));
    st = Now();
    ASSERT_TRUE(m_run.PostWheel(true, WHEEL_DELTA, MK_SHIFT));
    EXPECT_TRUE(MovedBy(st, 0, kWheelVertPage, "Shift and wheel away"));
    EXPECT_EQ(Saves(), nSaves + 8);

    // Thumb drag: 5 steps of 10 pixels to the right (the pointer placed on the display too: Wine
    // takes a captured window's pointer from there); each moves every window left by (range max −
    // range min) × delta / track, as the manager's log lines tell.
    const STATE stBeforeDrag = Now();
    rcThumb = ControlRect(m_hBarH, IDC_THUMB_H);
    POINT pt = Centre(rcThumb);
    ASSERT_TRUE(PointTo(pt.x, pt.y));
    ASSERT_TRUE(DragButton(true, pt));
    for (int i = 0; i < 5; ++i) {
        pt.x += 10;
        ASSERT_TRUE(PointTo(pt.x, pt.y));
        ASSERT_TRUE(WaitUntil([&] { return DragLines(Log(), L"CScrlMngrH").size() >= static_cast<size_t>(i + 1); }, 5000))
            << "drag step " << i << "\n" << m_run.LogLinesWith(L"CScrlMngrH");
        ASSERT_TRUE(m_run.WaitForMoveEnd());
    }
    ASSERT_TRUE(DragButton(false, pt));
    const int nTrackH = Width(WindowRect(m_hBarH)) - 2 * Height(WindowRect(m_hBarH));
    int nOffsetSum = 0;
    for (const DRAG_LINE& l : DragLines(Log(), L"CScrlMngrH")) {
        EXPECT_EQ(l.nDelta, 10);
        EXPECT_EQ(l.nDiff, l.nMax - l.nMin);
        EXPECT_EQ(l.nOffset, (l.nMax - l.nMin) * l.nDelta / nTrackH);
        nOffsetSum += l.nOffset;
    }
    EXPECT_GT(nOffsetSum, 0);
    EXPECT_TRUE(MovedBy(stBeforeDrag, -nOffsetSum, 0, "thumb drag"));
    EXPECT_EQ(Saves(), nSaves + 9);

    // A press on the thumb released where it began leaves no undo step: the next undo takes the
    // drag back.
    rcThumb = ControlRect(m_hBarH, IDC_THUMB_H);
    ASSERT_TRUE(ClickAt(Centre(rcThumb)));
    ASSERT_TRUE(m_run.WaitForLine(L"CZvCoreDlg::OnDelLastUndo() ticket="));
    EXPECT_NE(Log().find(L", deleted=1, "), std::wstring::npos) << m_run.LogLinesWith(L"OnDelLastUndo");
    ASSERT_TRUE(m_run.Command(ID_ZV_UNDO, true));
    EXPECT_TRUE(MovedBy(stBeforeDrag, 0, 0, "the drag undone"));

    // Enter, Escape, WM_CLOSE and Alt+F4 leave both bars where they are.
    for (HWND hBar : {m_hBarH, m_hBarV}) {
        PostMessageW(hBar, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(hBar, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageW(hBar, WM_CLOSE, 0, 0);
        PostMessageW(hBar, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    ForceForeground(m_hBarH);
    ASSERT_TRUE(HoldKeys({VK_MENU, VK_F4}));
    ASSERT_TRUE(TapKey(VK_ESCAPE));
    ASSERT_TRUE(TapKey(VK_RETURN));
    ASSERT_TRUE(m_run.WaitForMoveEnd());
    for (HWND hBar : {m_hBarH, m_hBarV})
        EXPECT_TRUE(IsWindow(hBar) && IsWindowVisible(hBar));
    EXPECT_EQ(m_run.Close(), 0);
}

// Auto-hide with a Transparent of 10 and rectangles from the registry that no bar could use: both
// bars are thin strips at sound places that the pointer expands, and the registry gets the sound
// rectangles back at the end.
TEST_F(CoreBars, HiddenBarsFromHostileGeometryAreStripsThatThePointerExpands)
{
    ASSERT_TRUE(RegSetDword(L"View", L"Hide", 1));
    ASSERT_TRUE(RegSetDword(L"View", L"Transparent", 10));
    // Horizontal: thicker than long (the default rectangle). Vertical: far off the desktop and
    // longer than it (brought onto it, as long as it is high).
    for (const auto& [pszName, nValue] : {std::pair{L"Horizontal Orgin X", 100}, std::pair{L"Horizontal Orgin Y", 100},
                                          std::pair{L"Horizontal Width", 10}, std::pair{L"Horizontal Height", 40},
                                          std::pair{L"Vertical Orgin X", -5000}, std::pair{L"Vertical Orgin Y", 99999},
                                          std::pair{L"Vertical Width", 30}, std::pair{L"Vertical Height", 5000}})
        ASSERT_TRUE(RegSetDword(PROP_SECTION_POSSIZE, pszName, static_cast<DWORD>(nValue)));
    ASSERT_TRUE(StartAll());
    const int cyScreen = GetSystemMetrics(SM_CYSCREEN);
    const RECT rcH = DefaultBarH(), rcV = RectOf(0, 0, 30, cyScreen);

    // The strips keep the side facing the nearer desktop edge: the top of the horizontal bar in the
    // upper half, the left of the vertical bar in the left half.
    EXPECT_TRUE(WaitForRect(m_hBarH, RECT{rcH.left, rcH.top, rcH.right, rcH.top + 2}));
    EXPECT_TRUE(WaitForRect(m_hBarV, RECT{rcV.left, rcV.top, rcV.left + 2, rcV.bottom}));
    for (HWND hBar : {m_hBarH, m_hBarV}) {
        EXPECT_TRUE(IsWindowVisible(hBar));
        EXPECT_FALSE(GetWindowLongPtrW(hBar, GWL_EXSTYLE) & WS_EX_LAYERED) << "Transparent 10 is opaque";
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(hBar, hBar == m_hBarH ? IDC_THUMB_H : IDC_THUMB_V)));
    }

    // The pointer over a strip expands it to the whole bar; leaving it collapses it again.
    ASSERT_TRUE(PlacePointer(Centre(rcH).x, rcH.top));
    EXPECT_TRUE(WaitForRect(m_hBarH, rcH));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(m_hBarH, IDC_THUMB_H)));
    ASSERT_TRUE(PlacePointer(640, 600));
    EXPECT_TRUE(WaitForRect(m_hBarH, RECT{rcH.left, rcH.top, rcH.right, rcH.top + 2}));
    ASSERT_TRUE(PlacePointer(rcV.left + 1, 500));
    EXPECT_TRUE(WaitForRect(m_hBarV, rcV));
    ASSERT_TRUE(PlacePointer(640, 600));
    EXPECT_TRUE(WaitForRect(m_hBarV, RECT{rcV.left, rcV.top, rcV.left + 2, rcV.bottom}));

    // The wheel does nothing over a bar that hides itself.
    const STATE st = Now();
    ASSERT_TRUE(m_run.PostWheel(false, WHEEL_DELTA));
    ASSERT_TRUE(m_run.PostWheel(true, WHEEL_DELTA));
    EXPECT_TRUE(MovedBy(st, 0, 0, "wheel over hidden bars"));
    EXPECT_EQ(Log().find(L"nIdx=8,"), std::wstring::npos);
    EXPECT_EQ(Log().find(L"nIdx=10,"), std::wstring::npos);

    // The sound rectangles are what the settings keep.
    EXPECT_EQ(m_run.Close(), 0);
    ExpectSavedBarRects(rcH, rcV);
}

// Alt held: a press inside a bar moves it, one on an edge band resizes it, within the desktop and
// the size limits; the new rectangle is an undo step and reaches the registry at the orderly end.
// Alt let go before the button, or the program ending mid-drag, leaves the settings the old one.
TEST_F(CoreBars, AltMovesAndResizesABarWithinItsLimitsAndTheRegistryKeepsTheResult)
{
    ASSERT_TRUE(RegSetDword(L"Undo", L"Resize", 1));
    ASSERT_TRUE(StartAll());
    const RECT rcH0 = DefaultBarH(), rcV0 = DefaultBarV();
    ASSERT_TRUE(WaitForRect(m_hBarH, rcH0));
    ASSERT_TRUE(WaitForRect(m_hBarV, rcV0));
    const int nHalfSys = GetSystemMetrics(SM_CXVSCROLL) / 2;

    ASSERT_TRUE(DisplayAlt(true));

    // Move the horizontal bar: right by 100 would take it off the desktop and is dropped whole; the
    // anchor follows all the same, so the next step moves it straight down by 60.
    POINT pt = Centre(rcH0);
    ASSERT_TRUE(PointTo(pt.x, pt.y));
    ASSERT_TRUE(DragButton(true, pt));
    ASSERT_TRUE(PointTo(pt.x + 100, pt.y));
    EXPECT_TRUE(SameRect(rcH0, WindowRect(m_hBarH))) << "a move off the desktop";
    // The next motion proves the first dropped: the bar takes its motions in order, and had it
    // taken the first, it would stand 100 pixels right of where the second one leaves it.
    ASSERT_TRUE(PointTo(pt.x + 100, pt.y + 60));
    const RECT rcH1 = Shifted(rcH0, 0, 60);
    EXPECT_TRUE(WaitForRect(m_hBarH, rcH1)) << SameRect(rcH1, WindowRect(m_hBarH)).message();
    ASSERT_TRUE(DragButton(false, {pt.x + 100, pt.y + 60}));
    // The release has posted the bar's report; the settings saved at the end show what it said (no
    // later report of this bar comes).
    ASSERT_TRUE(m_run.WaitForMoveEnd());

    // Resize the vertical bar by its left edge: 300 pixels thicker is held at about a quarter of its
    // length, then thinner than half a system scroll bar is held there.
    pt = {rcV0.left + 1, Centre(rcV0).y};
    ASSERT_TRUE(PointTo(pt.x, pt.y));
    ASSERT_TRUE(DragButton(true, pt));
    ASSERT_TRUE(PointTo(pt.x - 300, pt.y));
    const int nQuarter = (Height(rcV0) / 2 + 1) / 2;
    const RECT rcV1{rcV0.right - nQuarter, rcV0.top, rcV0.right, rcV0.bottom};
    EXPECT_TRUE(WaitForRect(m_hBarV, rcV1)) << SameRect(rcV1, WindowRect(m_hBarV)).message();
    ASSERT_TRUE(DragButton(false, {pt.x - 300, pt.y}));
    ASSERT_TRUE(m_run.WaitForLine(L"CZvCoreDlg::OnScrlBarRect() bar=2, rc=" + std::to_wstring(rcV1.left) + L","));
    // (Low on the bar: the spin, as long as two thicknesses, takes its own presses.)
    pt = {rcV1.left + 1, rcV1.bottom - 10};
    ASSERT_TRUE(PointTo(pt.x, pt.y));
    ASSERT_TRUE(DragButton(true, pt));
    ASSERT_TRUE(PointTo(rcV1.right - 1, pt.y));
    const RECT rcV2{rcV1.right - nHalfSys, rcV1.top, rcV1.right, rcV1.bottom};
    EXPECT_TRUE(WaitForRect(m_hBarV, rcV2)) << SameRect(rcV2, WindowRect(m_hBarV)).message();
    ASSERT_TRUE(DragButton(false, {rcV1.right - 1, pt.y}));
    ASSERT_TRUE(m_run.WaitForLine(L"CZvCoreDlg::OnScrlBarRect() bar=2, rc=" + std::to_wstring(rcV2.left) + L","));

    // Alt let go before the button: the bar goes back, nothing is reported.
    const size_t nReports = CountOf(Log(), L"CZvCoreDlg::OnScrlBarRect()");
    pt = Centre(rcH1);
    ASSERT_TRUE(PointTo(pt.x, pt.y));
    ASSERT_TRUE(DragButton(true, pt));
    ASSERT_TRUE(PointTo(pt.x, pt.y + 40));
    EXPECT_TRUE(WaitForRect(m_hBarH, Shifted(rcH1, 0, 40))) << (PumpFor(500), m_run.LogLinesWith(L"CScrollManager::"));
    ASSERT_TRUE(DisplayAlt(false));
    // The next motion without Alt ends the drag; the display's key release may come after a motion.
    int nWiggle = 0;
    EXPECT_TRUE(WaitUntil([&] { return PointTo(pt.x + 1 + nWiggle++ % 2, pt.y + 40) && SameRect(rcH1, WindowRect(m_hBarH)); },
                          5000))
        << "the bar went back";
    ASSERT_TRUE(DisplayButton(false, pt.x + 1, pt.y + 40));
    // Wine: Alt let go alone would put a window with a system menu into menu mode.
    ASSERT_TRUE(TapKey(VK_ESCAPE));
    ASSERT_TRUE(m_run.WaitForMoveEnd());
    EXPECT_EQ(CountOf(Log(), L"CZvCoreDlg::OnScrlBarRect()"), nReports);
    EXPECT_EQ(CountOf(Log(), kSaveBarLine), 3u);

    // The last resize undone: the bar takes its rectangle from before it.
    ASSERT_TRUE(m_run.Command(ID_ZV_UNDO));
    EXPECT_TRUE(WaitForRect(m_hBarV, rcV1)) << "the thinning undone";

    // The program ends in the middle of an Alt-drag: the settings keep the last rectangle reported.
    pt = Centre(rcH1);
    ASSERT_TRUE(PointTo(pt.x, pt.y));
    ASSERT_TRUE(DisplayAlt(true));
    ASSERT_TRUE(DragButton(true, pt));
    ASSERT_TRUE(PointTo(pt.x, pt.y + 100));
    EXPECT_TRUE(WaitForRect(m_hBarH, Shifted(rcH1, 0, 100)));
    EXPECT_EQ(m_run.Close(), 0);
    ExpectSavedBarRects(rcH1, rcV1);
}
