// Core: the drag managers of the scroll-bar windows against a fake main window: what a click, a spin
// press, a wheel turn and a thumb drag ask for, the Alt move and resize and how a drag ends when
// the settings or the program cut it short, the auto-hide strip and the alpha.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <ostream>
#include <type_traits>
#include <vector>

#include "ScrlMngrH.h"
#include "ScrlMngrV.h"
#include "UndoKind.h"
#include "WinApp.h"
#include "ZvMessages.h"

static bool operator==(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

static void PrintTo(const RECT& rc, std::ostream* os)
{
    *os << "(" << rc.left << "," << rc.top << ")-(" << rc.right << "," << rc.bottom << ")";
}

namespace {

class CFakeBarHost : public IScrollBarHost {
public:
    struct DEVICE {
        WORD wFlags;
        int nIdx;
        int nCount;
        bool operator==(const DEVICE&) const = default;
    };
    struct SAVE {
        int nKind;
        INT_PTR nValue;
        void* pv;
        UINT nTicket;
    };
    struct MOVE {
        LONG h, v;
        BOOL bAtOnce;
    };

    BOOL IsTrayMenuOpen() override { return bTrayMenuOpen; }
    BOOL IsPropertyActive() override { return bPropertyActive; }
    BOOL IsScrollProcessing() override { return bScrollProcessing; }
    BOOL IsMovePending() override { return bMovePending; }
    BOOL IsSaveForUndoPending() override { return bSavePending; }
    BOOL IsWheelBurstClosed(BOOL bVert) override { return abBurstClosed[bVert ? 1 : 0]; }
    void PostScrlRange() override { ++nScrlRange; }
    void PostDevice(WORD wFlags, int nIdx, int nCount) override { devices.push_back({wFlags, nIdx, nCount}); }
    BOOL PostSaveForUndo(int nKind, INT_PTR nValue, void* pv, INT_PTR, UINT* pnTicket) override
    {
        saves.push_back({nKind, nValue, pv, nNextTicket});
        if (pnTicket)
            *pnTicket = nNextTicket;
        ++nNextTicket;
        return TRUE;
    }
    void PostDelLastUndo(UINT nTicket) override { delLast.push_back(nTicket); }
    void PostMoveRequest(LONG h, LONG v, BOOL bAtOnce) override { moves.push_back({h, v, bAtOnce}); }
    void PostTrayMenu(POINT pt) override { trayMenus.push_back(pt); }
    void PostBarRect(int nBar, const RECT& rc) override { barRects.push_back({nBar, rc}); }
    HCURSOR GetCursor(BarCursor cursor) override
    {
        cursors.push_back(cursor);
        return nullptr;
    }

    BOOL bTrayMenuOpen = FALSE, bPropertyActive = FALSE, bScrollProcessing = FALSE, bMovePending = FALSE;
    BOOL bSavePending = FALSE;
    BOOL abBurstClosed[2] = {TRUE, TRUE};
    int nScrlRange = 0;
    UINT nNextTicket = 1;
    std::vector<DEVICE> devices;
    std::vector<SAVE> saves;
    std::vector<UINT> delLast;
    std::vector<MOVE> moves;
    std::vector<POINT> trayMenus;
    std::vector<std::pair<int, RECT>> barRects;
    std::vector<BarCursor> cursors;
};

const wchar_t kBarClass[] = L"ZvUnitScrollBar";

// The window's own visible style, whether or not its parent shows.
bool IsShown(HWND hWnd) { return (GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_VISIBLE) != 0; }

// A bar window of this thread with its spin and thumb, as the dialog template makes them.
struct CBarWindows {
    CBarWindows()
    {
        InitCommonControlClasses(ICC_UPDOWN_CLASS);
        WNDCLASSEXW wc{sizeof(wc)};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kBarClass;
        RegisterClassExW(&wc);
        ctl.hWndBar = CreateWindowExW(WS_EX_TOOLWINDOW, kBarClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      wc.hInstance, nullptr);
        ctl.hWndThumb = CreateWindowExW(WS_EX_DLGMODALFRAME, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 5, 5,
                                        ctl.hWndBar, nullptr, wc.hInstance, nullptr);
        ctl.hWndSpin = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE | UDS_HORZ, 0, 0, 5, 5, ctl.hWndBar,
                                       nullptr, wc.hInstance, nullptr);
    }
    ~CBarWindows()
    {
        if (IsWindow(ctl.hWndBar))
            DestroyWindow(ctl.hWndBar);
    }
    RECT Rect() const
    {
        RECT rc{};
        GetWindowRect(ctl.hWndBar, &rc);
        return rc;
    }
    // A control's rectangle in the bar's client coordinates.
    RECT ClientRectOf(HWND hWnd) const
    {
        RECT rc{};
        GetWindowRect(hWnd, &rc);
        MapWindowPoints(nullptr, ctl.hWndBar, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    SCROLLBAR_CONTROLS ctl;
};

// A horizontal bar of 300 × 18 at (100, 100) over a scroll range of 1600 from -200.
class CoreScrollManager : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(m_wnds.ctl.hWndBar, nullptr);
        RECT rcDesk{};
        GetWindowRect(GetDesktopWindow(), &rcDesk);
        m_cxDesk = rcDesk.right;
        m_cyDesk = rcDesk.bottom;
        ASSERT_GE(m_cxDesk, 640);
        ASSERT_GE(m_cyDesk, 480);
    }
    void TearDown() override
    {
        if (GetCapture())
            ReleaseCapture();
    }

    template <class MNGR>
    std::unique_ptr<CScrollManager> Make(const RECT& rc)
    {
        const SCROLLBAR_ARGS args{&m_host, &m_nMin, &m_nMax, rc};
        auto pMngr = std::make_unique<MNGR>(args, m_wnds.ctl);
        // Both bars share the last thumb length: each test starts as the program does, with none.
        CScrollManager::s_nLastThumbLen = 0;
        pMngr->Init();
        return pMngr;
    }
    std::unique_ptr<CScrollManager> MakeH() { return Make<CScrlMngrH>(kRcH); }

    static constexpr RECT kRcH{100, 100, 400, 118};
    static constexpr int kTrackH = 300 - 2 * 18;
    CFakeBarHost m_host;
    CBarWindows m_wnds;
    LONG m_nMin = -200;
    LONG m_nMax = 1400;
    int m_cxDesk = 0, m_cyDesk = 0;
};

}  // namespace

TEST_F(CoreScrollManager, TheBaseHasAVirtualDestructor)
{
    static_assert(std::has_virtual_destructor_v<CScrollManager>);
    struct CProbe : CScrlMngrH {
        CProbe(const SCROLLBAR_ARGS& args, const SCROLLBAR_CONTROLS& ctl, bool* pb) : CScrlMngrH(args, ctl), m_pb(pb) {}
        ~CProbe() override { *m_pb = true; }
        bool* m_pb;
    };
    bool bDeleted = false;
    std::unique_ptr<CScrollManager> p =
        std::make_unique<CProbe>(SCROLLBAR_ARGS{&m_host, &m_nMin, &m_nMax, kRcH}, m_wnds.ctl, &bDeleted);
    p.reset();
    EXPECT_TRUE(bDeleted);
}

TEST_F(CoreScrollManager, InitLaysOutTheBarItsSpinAndItsThumb)
{
    const auto pMngr = MakeH();
    EXPECT_EQ(m_wnds.Rect(), kRcH);
    EXPECT_EQ(pMngr->GetTrackLength(), kTrackH);
    EXPECT_EQ(pMngr->GetRangeLimit(), kTrackH * m_cxDesk / 20);
    EXPECT_EQ(m_wnds.ClientRectOf(m_wnds.ctl.hWndSpin), (RECT{kTrackH, 1, 299, 17}));
    // The desktop's share of the range in length, the view's offset (200 of 1600) in position.
    const int nExtent = std::max(1600, m_cxDesk);
    const int nLen = kTrackH * m_cxDesk / nExtent;
    const int nPos = nExtent == 1600 ? kTrackH * 200 / 1600 : 0;
    EXPECT_EQ(pMngr->GetThumbLen(), nLen);
    EXPECT_EQ(pMngr->GetThumbPos(), nPos);
    EXPECT_EQ(m_wnds.ClientRectOf(m_wnds.ctl.hWndThumb), (RECT{nPos, 1, nPos + nLen, 16}));
    EXPECT_EQ(CScrollManager::s_nLastThumbLen, nLen);
}

TEST_F(CoreScrollManager, ClicksAskForAPageAndOneUndoStepTheSpinEndOfTheTrackForNothing)
{
    const auto pMngr = MakeH();
    const int nPos = pMngr->GetThumbPos(), nLen = pMngr->GetThumbLen();
    ASSERT_GT(nPos, 2);
    pMngr->OnLButtonDown({nPos - 2, 9}, FALSE);
    pMngr->OnLButtonUp({nPos - 2, 9});
    pMngr->OnLButtonDown({nPos + nLen + 2, 9}, FALSE);
    pMngr->OnLButtonUp({nPos + nLen + 2, 9});
    EXPECT_EQ(m_host.devices, (std::vector<CFakeBarHost::DEVICE>{{0x01, 1, 1}, {0x02, 1, 1}}));
    ASSERT_EQ(m_host.saves.size(), 2u);
    EXPECT_EQ(m_host.saves[0].nKind, UK_ALIGN);
    EXPECT_EQ(m_host.saves[0].nValue, UNDO_ALIGN_SCROLL_H);
    EXPECT_EQ(m_host.nScrlRange, 2);

    // The spin's end of the track, and every click while the core is busy: nothing.
    pMngr->OnLButtonDown({kTrackH + 5, 9}, FALSE);
    for (BOOL* pbBusy : {&m_host.bTrayMenuOpen, &m_host.bPropertyActive, &m_host.bScrollProcessing}) {
        *pbBusy = TRUE;
        pMngr->OnLButtonDown({nPos - 2, 9}, FALSE);
        pMngr->OnSpinDelta(1);
        pMngr->OnRButtonDown(0, {nPos - 2, 9});
        *pbBusy = FALSE;
    }
    EXPECT_EQ(m_host.devices.size(), 2u);
    EXPECT_EQ(m_host.saves.size(), 2u);
    EXPECT_TRUE(m_host.trayMenus.empty());

    // The vertical bar pages up and down by its own entry.
    CBarWindows wndsV;
    const SCROLLBAR_ARGS argsV{&m_host, &m_nMin, &m_nMax, RECT{500, 100, 518, 400}};
    CScrlMngrV mngrV(argsV, wndsV.ctl);
    mngrV.Init();
    const int nTopV = 2 * 18 + mngrV.GetThumbPos();
    mngrV.OnLButtonDown({9, nTopV - 2}, FALSE);
    mngrV.OnLButtonDown({9, nTopV + mngrV.GetThumbLen() + 2}, FALSE);
    EXPECT_EQ(m_host.devices.back(), (CFakeBarHost::DEVICE{0x20, 3, 1}));
    EXPECT_EQ(m_host.devices[m_host.devices.size() - 2], (CFakeBarHost::DEVICE{0x10, 3, 1}));
    EXPECT_EQ(m_host.saves.back().nValue, UNDO_ALIGN_SCROLL_V);
}

TEST_F(CoreScrollManager, ASpinPressIsOneUndoStepHoweverOftenItRepeats)
{
    const auto pMngr = MakeH();
    for (int i = 0; i < 3; ++i)
        pMngr->OnSpinDelta(1);
    pMngr->OnSpinDelta(-2);
    EXPECT_EQ(m_host.devices,
              (std::vector<CFakeBarHost::DEVICE>{{0x02, 0, 1}, {0x02, 0, 1}, {0x02, 0, 1}, {0x01, 0, 2}}));
    EXPECT_EQ(m_host.saves.size(), 1u);
    // A new press: the cursor is set again (a press is a mouse message), or a button was released.
    pMngr->OnSetCursor();
    pMngr->OnSpinDelta(1);
    pMngr->OnLButtonUp({5, 5});
    pMngr->OnSpinDelta(1);
    EXPECT_EQ(m_host.saves.size(), 3u);

    CBarWindows wndsV;
    CScrlMngrV mngrV(SCROLLBAR_ARGS{&m_host, &m_nMin, &m_nMax, RECT{500, 100, 518, 400}}, wndsV.ctl);
    mngrV.Init();
    mngrV.OnSpinDelta(1);
    mngrV.OnSpinDelta(0);
    EXPECT_EQ(m_host.devices[m_host.devices.size() - 2], (CFakeBarHost::DEVICE{0x10, 2, 1}));
    EXPECT_EQ(m_host.devices.back(), (CFakeBarHost::DEVICE{0x20, 2, 0}));
}

TEST_F(CoreScrollManager, TheWheelAsksForOneUndoStepPerBurstAndNothingWhileTheBarHidesItself)
{
    const auto pMngr = MakeH();
    pMngr->OnMouseWheel(0, WHEEL_DELTA, {});
    m_host.abBurstClosed[0] = FALSE;
    pMngr->OnMouseWheel(0, -WHEEL_DELTA, {});
    pMngr->OnMouseWheel(MK_SHIFT, -WHEEL_DELTA, {});
    pMngr->OnMouseWheel(MK_SHIFT | MK_CONTROL, WHEEL_DELTA, {});
    EXPECT_EQ(m_host.devices,
              (std::vector<CFakeBarHost::DEVICE>{{0x01, 8, 1}, {0x02, 8, 1}, {0x02, 9, 1}, {0x01, 8, 1}}));
    EXPECT_EQ(m_host.saves.size(), 1u);
    // A turn that would open a step while a move runs: neither a record nor a request, which the
    // move would take without a record if it had ended by the time the request came round.
    m_host.abBurstClosed[0] = TRUE;
    m_host.bMovePending = TRUE;
    const size_t nDevicesBefore = m_host.devices.size();
    EXPECT_TRUE(pMngr->OnMouseWheel(0, WHEEL_DELTA, {}));
    EXPECT_EQ(m_host.saves.size(), 1u);
    EXPECT_EQ(m_host.devices.size(), nDevicesBefore);
    m_host.bMovePending = FALSE;

    pMngr->SetHideMode(TRUE);
    const size_t nDevices = m_host.devices.size();
    EXPECT_TRUE(pMngr->OnMouseWheel(0, WHEEL_DELTA, {}));
    EXPECT_EQ(m_host.devices.size(), nDevices);
}

TEST_F(CoreScrollManager, AThumbDragMovesByItsShareOfTheRangeAndAPressInPlaceDropsItsUndoStep)
{
    const auto pMngr = MakeH();
    const int nPos0 = pMngr->GetThumbPos(), nLen = pMngr->GetThumbLen();
    const POINT ptPress{nPos0 + nLen / 2, 9};
    pMngr->OnLButtonDown(ptPress, FALSE);
    ASSERT_TRUE(pMngr->IsDragging());
    EXPECT_EQ(GetCapture(), m_wnds.ctl.hWndBar);
    ASSERT_EQ(m_host.saves.size(), 1u);
    const UINT nTicket = m_host.saves[0].nTicket;

    pMngr->OnMouseMove({ptPress.x + 2, 9}, FALSE);
    EXPECT_TRUE(m_host.moves.empty()) << "2 pixels wait";
    pMngr->OnMouseMove({ptPress.x + 3, 9}, FALSE);
    ASSERT_EQ(m_host.moves.size(), 1u);
    EXPECT_EQ(m_host.moves[0].h, 1600 * 3 / kTrackH);
    EXPECT_EQ(m_host.moves[0].v, 0);
    EXPECT_TRUE(m_host.moves[0].bAtOnce);
    EXPECT_EQ(pMngr->GetThumbPos(), nPos0 + 3);
    // While that move runs, the pointer's travel adds up for the next step; the move's end takes
    // it, without waiting for the pointer to move again.
    m_host.bMovePending = TRUE;
    pMngr->OnMouseMove({ptPress.x + 10, 9}, FALSE);
    pMngr->TakeWaitingTravel();
    EXPECT_EQ(m_host.moves.size(), 1u) << "the move still runs";
    m_host.bMovePending = FALSE;
    pMngr->TakeWaitingTravel();
    ASSERT_EQ(m_host.moves.size(), 2u);
    EXPECT_EQ(m_host.moves[1].h, 1600 * 7 / kTrackH);
    pMngr->TakeWaitingTravel();
    EXPECT_EQ(m_host.moves.size(), 2u) << "taken once";
    m_host.bMovePending = TRUE;
    pMngr->OnMouseMove({ptPress.x + 13, 9}, FALSE);
    m_host.bMovePending = FALSE;
    pMngr->OnMouseMove({ptPress.x + 16, 9}, FALSE);
    ASSERT_EQ(m_host.moves.size(), 3u);
    EXPECT_EQ(m_host.moves[2].h, 1600 * 6 / kTrackH);
    // Beyond the end of the track the thumb stops there, and the step carries only what was left.
    pMngr->OnMouseMove({ptPress.x + 1000, 9}, FALSE);
    EXPECT_EQ(pMngr->GetThumbPos(), kTrackH - nLen);
    EXPECT_EQ(m_host.moves[3].h, 1600 * (kTrackH - nLen - nPos0 - 16) / kTrackH);
    pMngr->OnMouseMove({ptPress.x + 1010, 9}, FALSE);
    EXPECT_EQ(m_host.moves[4].h, 0);
    pMngr->OnLButtonUp({ptPress.x + 1010, 9});
    EXPECT_FALSE(pMngr->IsDragging());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(m_host.delLast.empty());

    // Pressed and released in place: the press's undo step goes, named by its ticket.
    pMngr->UpdateThumb(TRUE);
    pMngr->PlaceThumb(TRUE);
    const POINT pt2{pMngr->GetThumbPos() + 2, 9};
    pMngr->OnLButtonDown(pt2, FALSE);
    pMngr->OnLButtonUp(pt2);
    ASSERT_EQ(m_host.delLast.size(), 1u);
    EXPECT_EQ(m_host.delLast[0], m_host.saves.back().nTicket);
    EXPECT_NE(m_host.delLast[0], nTicket);
}

TEST_F(CoreScrollManager, ABarWithoutATrackCountsAsNoneAndItsThumbMovesNothing)
{
    // Twice as long as thick: the spin takes the whole length.
    const auto pMngr = Make<CScrlMngrH>(RECT{100, 100, 136, 118});
    EXPECT_EQ(pMngr->GetTrackLength(), 0);
    pMngr->MoveAllWindows(10, TRUE);
    pMngr->OnLButtonDown({5, 9}, FALSE);
    pMngr->OnMouseMove({30, 9}, FALSE);
    EXPECT_TRUE(m_host.moves.empty());
    EXPECT_FALSE(pMngr->IsDragging());
}

TEST_F(CoreScrollManager, AnAltDragMovesOrResizesWithinTheLimitsAndReportsOnRelease)
{
    const auto pMngr = MakeH();
    // Alt over the left band without a button: the sizing cursor.
    pMngr->OnMouseMove({1, 9}, TRUE);
    EXPECT_EQ(m_host.cursors.back(), BarCursor::SizeWE);

    // Move by (+20, +30): the bar moves, nothing is reported until the release.
    pMngr->OnLButtonDown({150, 9}, TRUE);
    EXPECT_EQ(m_host.cursors.back(), BarCursor::SizeAll);
    ASSERT_TRUE(pMngr->IsDragging());
    EXPECT_TRUE(m_host.saves.empty()) << "an Alt press is no scroll";
    pMngr->OnMouseMove({170, 39}, TRUE);
    const RECT rcMoved{120, 130, 420, 148};
    EXPECT_EQ(m_wnds.Rect(), rcMoved);
    EXPECT_TRUE(m_host.barRects.empty());
    pMngr->OnLButtonUp({150, 9});
    ASSERT_EQ(m_host.barRects.size(), 1u);
    EXPECT_EQ(m_host.barRects[0].first, 1);
    EXPECT_EQ(m_host.barRects[0].second, rcMoved);
    ASSERT_EQ(m_host.saves.size(), 1u);
    EXPECT_EQ(m_host.saves[0].nKind, UK_RESIZE);
    EXPECT_EQ(m_host.saves[0].nValue, 1);
    EXPECT_EQ(*static_cast<const RECT*>(m_host.saves[0].pv), kRcH) << "the rectangle before the drag";
    EXPECT_EQ(GetCapture(), nullptr);

    // A move that would take an edge off the desktop is dropped whole.
    pMngr->OnLButtonDown({150, 9}, TRUE);
    pMngr->OnMouseMove({150 - 500, 9 + 10}, TRUE);
    EXPECT_EQ(m_wnds.Rect(), rcMoved);
    pMngr->OnLButtonUp({150 - 500, 9 + 10});

    // Resize by the bottom edge: thicker than about a quarter of the length is held there.
    pMngr->OnLButtonDown({150, 17}, TRUE);
    EXPECT_EQ(m_host.cursors.back(), BarCursor::SizeNS);
    pMngr->OnMouseMove({150, 17 + 300}, TRUE);
    const int nMaxThick = (300 / 2 + 1) / 2;
    EXPECT_EQ(m_wnds.Rect(), (RECT{120, 130, 420, 130 + nMaxThick}));
    pMngr->OnLButtonUp({150, 17 + 300});
    EXPECT_EQ(m_host.barRects.back().second, (RECT{120, 130, 420, 130 + nMaxThick}));
    EXPECT_EQ(pMngr->GetTrackLength(), 300 - 2 * nMaxThick) << "the track follows the thickness";
}

TEST_F(CoreScrollManager, AnAltDragCutShortPutsTheBarBackAndReportsNothing)
{
    const auto pMngr = MakeH();
    // Alt let go before the button.
    pMngr->OnLButtonDown({150, 9}, TRUE);
    pMngr->OnMouseMove({160, 29}, TRUE);
    EXPECT_NE(m_wnds.Rect(), kRcH);
    pMngr->OnMouseMove({161, 29}, FALSE);
    EXPECT_FALSE(pMngr->IsDragging());
    EXPECT_EQ(m_wnds.Rect(), kRcH);
    pMngr->OnLButtonUp({161, 29});
    // The capture taken by another window (a menu, a switch of programs).
    pMngr->OnLButtonDown({150, 9}, TRUE);
    pMngr->OnMouseMove({160, 29}, TRUE);
    pMngr->OnCaptureChanged(nullptr);
    EXPECT_FALSE(pMngr->IsDragging());
    EXPECT_EQ(m_wnds.Rect(), kRcH);
    // The program's end.
    pMngr->OnLButtonDown({150, 9}, TRUE);
    pMngr->OnMouseMove({160, 29}, TRUE);
    pMngr->EndDrag();
    EXPECT_EQ(m_wnds.Rect(), kRcH);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(m_host.barRects.empty());
    EXPECT_TRUE(m_host.saves.empty());

    // The settings applied mid-drag: their rectangle wins, the drag ends without a report.
    pMngr->OnLButtonDown({150, 9}, TRUE);
    pMngr->OnMouseMove({160, 29}, TRUE);
    const RECT rcApplied{200, 300, 600, 320};
    pMngr->SetBarRect(rcApplied);
    EXPECT_FALSE(pMngr->IsDragging());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(m_wnds.Rect(), rcApplied);
    EXPECT_EQ(pMngr->GetTrackLength(), 400 - 2 * 20);
    pMngr->OnMouseMove({170, 39}, TRUE);
    pMngr->OnLButtonUp({170, 39});
    EXPECT_EQ(m_wnds.Rect(), rcApplied);
    EXPECT_TRUE(m_host.barRects.empty());

    // A thumb drag cut short keeps what it moved and stops.
    pMngr->UpdateThumb(TRUE);
    pMngr->PlaceThumb(TRUE);
    pMngr->OnLButtonDown({pMngr->GetThumbPos() + 2, 9}, FALSE);
    ASSERT_TRUE(pMngr->IsDragging());
    pMngr->SetBarRect(rcApplied);
    EXPECT_FALSE(pMngr->IsDragging());
    pMngr->OnMouseMove({300, 9}, FALSE);
    EXPECT_TRUE(m_host.moves.empty());
}

TEST_F(CoreScrollManager, AutoHideShowsAStripThatThePointerExpands)
{
    const auto pMngr = MakeH();
    pMngr->SetHideMode(TRUE);
    EXPECT_TRUE(pMngr->IsCollapsed());
    // In the upper half the strip keeps the bar's top.
    EXPECT_EQ(m_wnds.Rect(), (RECT{100, 100, 400, 102}));
    EXPECT_EQ(pMngr->GetBarRect(), kRcH);
    EXPECT_FALSE(IsShown(m_wnds.ctl.hWndThumb));

    pMngr->OnMouseMove({50, 1}, FALSE);
    EXPECT_FALSE(pMngr->IsCollapsed());
    EXPECT_EQ(m_wnds.Rect(), kRcH);
    EXPECT_EQ(GetCapture(), m_wnds.ctl.hWndBar);
    EXPECT_TRUE(IsShown(m_wnds.ctl.hWndThumb));
    // Over the spin the capture goes, so that the spin gets its clicks.
    pMngr->OnMouseMove({kTrackH + 5, 9}, FALSE);
    EXPECT_EQ(GetCapture(), nullptr);
    // Outside the bar it collapses again.
    pMngr->OnMouseMove({50, 9}, FALSE);
    EXPECT_EQ(GetCapture(), m_wnds.ctl.hWndBar);
    pMngr->OnMouseMove({50, 60}, FALSE);
    EXPECT_TRUE(pMngr->IsCollapsed());
    EXPECT_EQ(GetCapture(), nullptr);

    // A right click asks for the tray menu at the screen point and collapses the bar; with undo saves
    // pending it waits for them, posted back to the bar.
    pMngr->OnMouseMove({50, 1}, FALSE);
    m_host.bSavePending = TRUE;
    pMngr->OnRButtonDown(MK_RBUTTON, {20, 5});
    EXPECT_TRUE(m_host.trayMenus.empty());
    MSG msg{};
    EXPECT_TRUE(PeekMessageW(&msg, m_wnds.ctl.hWndBar, WM_RBUTTONDOWN, WM_RBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(msg.lParam, MAKELPARAM(20, 5));
    m_host.bSavePending = FALSE;
    pMngr->OnRButtonDown(MK_RBUTTON, {20, 5});
    ASSERT_EQ(m_host.trayMenus.size(), 1u);
    EXPECT_EQ(m_host.trayMenus[0].x, 120);
    EXPECT_EQ(m_host.trayMenus[0].y, 105);
    EXPECT_TRUE(pMngr->IsCollapsed());

    // The rectangle of the settings collapses at once in auto-hide mode; off again, the whole bar.
    pMngr->SetBarRect(RECT{100, 900, 400, 920});
    ASSERT_GT(900 * 2, m_cyDesk) << "the rectangle must lie in the desktop's lower half";
    EXPECT_EQ(m_wnds.Rect(), (RECT{100, 918, 400, 920})) << "the lower half keeps the bottom";
    pMngr->SetHideMode(FALSE);
    EXPECT_FALSE(pMngr->IsCollapsed());
    EXPECT_EQ(m_wnds.Rect(), (RECT{100, 900, 400, 920}));
}

TEST_F(CoreScrollManager, AlphaBelow255MakesTheBarLayeredAnd255TakesItAway)
{
    const auto pMngr = MakeH();
    EXPECT_TRUE(pMngr->SetAlpha(51));
    EXPECT_TRUE(GetWindowLongPtrW(m_wnds.ctl.hWndBar, GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE byAlpha = 0;
    DWORD dwFlags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(m_wnds.ctl.hWndBar, nullptr, &byAlpha, &dwFlags));
    EXPECT_EQ(byAlpha, 51);
    EXPECT_TRUE(dwFlags & LWA_ALPHA);
    EXPECT_TRUE(pMngr->SetAlpha(255));
    EXPECT_FALSE(GetWindowLongPtrW(m_wnds.ctl.hWndBar, GWL_EXSTYLE) & WS_EX_LAYERED);
}

TEST_F(CoreScrollManager, ARectangleReachesTheBarOnlyFromItsOwnPool)
{
    const auto pMngr = MakeH();
    const RECT rc{10, 20, 300, 38};
    ASSERT_TRUE(pMngr->PostSetRect(rc));
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, m_wnds.ctl.hWndBar, MSG_SCRLBAR_SETRECT, MSG_SCRLBAR_SETRECT, PM_REMOVE));
    EXPECT_EQ(pMngr->TakeSetRect(msg.wParam + 8), nullptr) << "a number never handed out";
    EXPECT_EQ(pMngr->TakeSetRect(0), nullptr);
    const std::unique_ptr<RECT> pRect = pMngr->TakeSetRect(msg.wParam);
    ASSERT_NE(pRect, nullptr);
    EXPECT_EQ(*pRect, rc);
    EXPECT_EQ(pMngr->TakeSetRect(msg.wParam), nullptr) << "taken once";
}
