#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <list>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "PropertySet.h"
#include "ScrollCalc.h"
#include "ScrollMove.h"

using namespace ScrollCalc;

namespace {

std::vector<SCROLL_RATE> RateList(BOOL bSmoothScroll) {
    PROPERTY_SET prop;
    prop.propView.bSmoothScroll = bSmoothScroll;
    MakeScrollRateList(prop);
    return prop.lstScrlRate;
}

// The moves of one window that moves by dx, dy, pass by pass, as the scroll engine makes them.
// Empty when the engine refuses the move.
std::vector<POINT> MovePasses(int dx, int dy, BOOL bAtOnce, int nSpeed, const std::vector<SCROLL_RATE>& lstRate) {
    auto pRec = std::make_unique<LPRM_MV_ALL_WNDS>();
    pRec->lOffsetH = -dx;
    pRec->lOffsetV = -dy;
    pRec->bAtOnce = bAtOnce;
    const std::list<HWND> lstWnd{reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x1000))};
    std::unique_ptr<CScrollMove> pMove = CScrollMove::Create(std::move(pRec), lstWnd, nSpeed, lstRate);
    std::vector<POINT> passes;
    for (int i = 0; pMove && i < 1000; ++i) {
        const MV_STEP_ACTION act = pMove->Step();
        passes.push_back(POINT{act.nMovH, act.nMovV});
        if (act.bMoveEnd)
            return passes;
    }
    if (pMove)
        ADD_FAILURE() << "the move never ends";
    return passes;
}

// The passes of a move along one axis; the other axis must stay still.
std::vector<int> Passes(bool bVert, int d, int nSpeed, BOOL bSmooth, BOOL bAtOnce = FALSE) {
    std::vector<int> out;
    for (const POINT& pt : MovePasses(bVert ? 0 : d, bVert ? d : 0, bAtOnce, nSpeed, RateList(bSmooth))) {
        EXPECT_EQ(0, bVert ? pt.x : pt.y);
        out.push_back(bVert ? pt.y : pt.x);
    }
    return out;
}

SCROLL_WIDTH_BASIS Basis() {
    return {RECT{-200, -100, 1800, 1100}, 400, 300, 1280, 1024};
}

}  // namespace

// The rate is the share of the whole move taken by that one pass, not the share covered so far.
TEST(CoreScrollCalc, RateCurve) {
    // {smooth, Speed, pass, rate}: past the last point its width; exactly on a point that point's
    // width; Speed below 2 (also negative) or past pass Speed + 1 the whole distance.
    const int cases[][4] = {{FALSE, 3, 1, 6}, {FALSE, 3, 2, 66}, {FALSE, 3, 3, 100}, {TRUE, 3, 1, 13},
                            {TRUE, 3, 2, 79}, {TRUE, 3, 3, 100}, {TRUE, 3, 4, 100},  {TRUE, 2, 1, 50},
                            {TRUE, 5, 2, 20}, {TRUE, 1, 1, 100}, {TRUE, 0, 1, 100},  {TRUE, 3, 5, 100},
                            {TRUE, -2, 1, 100}, {TRUE, 20, 1, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(c[3], NextScrollRate(RateList(c[0]), c[1], c[2])) << c[0] << ", Speed " << c[1] << ", pass " << c[2];

    const std::vector<SCROLL_RATE> none;
    EXPECT_EQ(0, NextScrollRate(none, 3, 1));
    EXPECT_EQ(0, NextScrollRate(none, 3, 3));
    EXPECT_EQ(100, NextScrollRate(none, 3, 5));
    // Two points with the same pass share: no division by zero.
    const std::vector<SCROLL_RATE> flat{{50, 10}, {50, 40}, {100, 100}};
    EXPECT_EQ(40, NextScrollRate(flat, 2, 1));
}

TEST(CoreScrollCalc, RateTraceNamesTheBracketingPoints) {
    const auto lst = RateList(TRUE);
    const SCROLL_RATE_TRACE t1 = TraceScrollRate(lst, 3, 1);
    EXPECT_FALSE(t1.bFixed);
    EXPECT_EQ((std::vector<unsigned>{30, 40, 10, 20}), (std::vector<unsigned>{t1.uCnt1, t1.uCnt2, t1.uScr1, t1.uScr2}));
    EXPECT_EQ(t1.nRate, 13);

    // Past the last point both brackets are that point.
    const SCROLL_RATE_TRACE t3 = TraceScrollRate(lst, 3, 3);
    EXPECT_FALSE(t3.bFixed);
    EXPECT_EQ((std::pair{100u, 100u}), std::pair(t3.uCnt1, t3.uCnt2));
    EXPECT_EQ(t3.uScr2, 100u);

    for (auto [nSpeed, nCnt] : {std::pair{1, 1}, std::pair{-3, 1}, std::pair{3, 5}}) {
        const SCROLL_RATE_TRACE t = TraceScrollRate(lst, nSpeed, nCnt);
        EXPECT_TRUE(t.bFixed) << nSpeed << "," << nCnt;
        EXPECT_EQ(t.nRate, 100);
    }
}

TEST(CoreScrollCalc, PassStepAndReachCheck) {
    // {rate, offset, step}: truncated toward zero, at least one pixel, no overflow of the product.
    const int steps[][3] = {{50, 0, 0}, {6, 200, 12}, {6, -200, -12}, {66, -10, -6}, {6, 10, 1},
                            {13, -1, -1}, {0, 100, 0}, {75, 2000000000, 1500000000}};
    for (const auto& s : steps) EXPECT_EQ(s[2], PassStep(s[0], s[1])) << s[0] << "% of " << s[1];

    const struct {
        int nTarget, nMoved, nProposed;
        REACH_AXIS reach;
    } axes[] = {{10, 1, 6, {false, 6}}, {10, 7, 10, {true, 3}}, {10, 7, 3, {false, 3}},  // exact: next pass
                {10, 10, 10, {true, 0}}, {-10, -6, -10, {true, -4}}, {-10, -10, -1, {true, 0}},
                {-10, -8, -1, {false, -1}}, {0, 0, 5, {true, 5}}};  // no target: reached, passes through
    for (const auto& a : axes)
        EXPECT_EQ(a.reach, ReachAxis(a.nTarget, a.nMoved, a.nProposed)) << a.nTarget << " " << a.nMoved << " " << a.nProposed;

    int h = -1, v = -1;
    EXPECT_FALSE(IsWndReachedDst(REACH_CHECK{0, 0, 6, 0, 100, 0}, &h, &v));
    EXPECT_EQ((std::pair{6, 0}), std::pair(h, v));
    EXPECT_TRUE(IsWndReachedDst(REACH_CHECK{94, 0, 100, 0, 100, 0}, &h, &v));
    EXPECT_FALSE(IsWndReachedDst(REACH_CHECK{94, 0, 100, 1, 100, 5}, &h, &v));  // one axis still short
    EXPECT_EQ((std::pair{6, 1}), std::pair(h, v));
}

TEST(CoreScrollCalc, PassesOfAMove) {
    using V = std::vector<int>;
    const struct { bool bVert; int d, nSpeed; BOOL bSmooth, bAtOnce; V passes; } cases[] = {
        {false, 10, 3, FALSE, FALSE, V{1, 6, 3}},     {false, -10, 3, FALSE, FALSE, V{-1, -6, -3}},
        {true, 200, 3, FALSE, FALSE, V{12, 132, 56}}, {false, 100, 3, FALSE, FALSE, V{6, 66, 28}},
        {false, 100, 3, TRUE, FALSE, V{13, 79, 8}},   {true, -100, 3, TRUE, FALSE, V{-13, -79, -8}},
        {false, 100, 2, TRUE, FALSE, V{50, 50}},
        // The minimum step, or a share, that lands on the target is confirmed by one more pass.
        {false, 1, 3, TRUE, FALSE, V{1, 0}},          {false, 2, 3, FALSE, FALSE, V{1, 1, 0}},
        // Speed below 2, or a grouped wheel move: the whole distance, then a confirming pass.
        {false, 10, 1, FALSE, FALSE, V{10, 0}},       {false, -200, 0, TRUE, FALSE, V{-200, 0}},
        {false, 120, -5, TRUE, FALSE, V{120, 0}},     {false, 10, 3, FALSE, TRUE, V{10, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.passes, Passes(c.bVert, c.d, c.nSpeed, c.bSmooth, c.bAtOnce))
            << c.bVert << " " << c.d << ", Speed " << c.nSpeed << ", smooth " << c.bSmooth << ", at once " << c.bAtOnce;
    }

    // Every smooth move ends within Speed + 2 passes, never backs up, and adds up to its distance.
    for (int nSpeed = 2; nSpeed <= 20; ++nSpeed)
        for (BOOL bSmooth : {FALSE, TRUE})
            for (int d : {1, 7, 10, 200, -333, 1920}) {
                const auto passes = Passes(false, d, nSpeed, bSmooth);
                EXPECT_LE(passes.size(), static_cast<size_t>(nSpeed) + 2) << nSpeed << ' ' << d;
                int sum = 0;
                for (int p : passes) {
                    EXPECT_GE(p * d, 0) << "a pass never moves backwards";
                    sum += p;
                }
                EXPECT_EQ(d, sum) << "Speed " << nSpeed << ", smooth " << bSmooth;
            }
}

TEST(CoreScrollCalc, AtOnceAndMoveModes) {
    EXPECT_TRUE(IsAtOnce(FALSE, 1) && IsAtOnce(TRUE, 3) && !IsAtOnce(FALSE, 2));
    EXPECT_EQ(INT_MAX, AtOnceMoved(INT_MAX, 2));
    EXPECT_EQ(-400, AtOnceMoved(-200, 2));
    EXPECT_EQ(-10, NegateOffset(10));
    EXPECT_EQ(200, NegateOffset(-200));
    EXPECT_EQ(INT_MIN, NegateOffset(INT_MIN));  // no negation: wraps

    const auto lst = RateList(FALSE);
    const std::vector<SCROLL_RATE> none;
    EXPECT_EQ(MoveMode::None, ChooseMoveMode(0, 0, FALSE, 3, lst));
    EXPECT_EQ(MoveMode::None, ChooseMoveMode(0, 0, TRUE, 1, lst));
    EXPECT_EQ(MoveMode::Smooth, ChooseMoveMode(0, 5, FALSE, 3, lst));
    EXPECT_EQ(MoveMode::AtOnce, ChooseMoveMode(5, 0, FALSE, 1, lst));
    EXPECT_EQ(MoveMode::None, ChooseMoveMode(5, 0, FALSE, 3, none));
    EXPECT_EQ(MoveMode::AtOnce, ChooseMoveMode(5, 0, TRUE, 3, none));  // needs no curve
}

TEST(CoreScrollCalc, ScrollWidths) {
    PROP_SCRLWDTH sw = g_propScrlWdthDefault;
    const SCROLL_WIDTH_BASIS basis = Basis();
    EXPECT_EQ(10, ScrollWidthAbs(sw, ScrlWdthIndex(SCRLWDTH_KEYBD, SCRLWDTH_VERT, SCRLWDTH_LINE), basis).nWidth);
    EXPECT_EQ(200, ScrollWidthAbs(sw, ScrlWdthIndex(SCRLWDTH_WHEEL, SCRLWDTH_HORZ, SCRLWDTH_PAGE), basis).nWidth);

    // Relative: range extent × Rel / track of that axis' bar; 30000 without a bar.
    sw.aScrlWdth[0] = {SCRLMODE_REL, 0, 10, 0};  // 2000 × 10 / 400
    sw.aScrlWdth[2] = {SCRLMODE_REL, 0, 3, 0};   // 1200 × 3 / 300
    EXPECT_EQ((std::pair{50, 400}), std::pair(ScrollWidthAbs(sw, 0, basis).nWidth, ScrollWidthAbs(sw, 0, basis).nDivisor));
    EXPECT_EQ(12, ScrollWidthAbs(sw, 2, basis).nWidth);
    SCROLL_WIDTH_BASIS noBar = basis;
    noBar.nTrackH = SCROLL_TRACK_NO_BAR;
    sw.aScrlWdth[0].nRel = 300;  // 2000 × 300 / 30000
    EXPECT_EQ(20, ScrollWidthAbs(sw, 0, noBar).nWidth);

    // Screens: Scr × the desktop's width or height.
    sw.aScrlWdth[5] = {SCRLMODE_SCR, 0, 0, 2};
    sw.aScrlWdth[7] = {SCRLMODE_SCR, 0, 0, 1};
    EXPECT_EQ((std::pair{2560, 0}), std::pair(ScrollWidthAbs(sw, 5, basis).nWidth, ScrollWidthAbs(sw, 5, basis).nDivisor));
    EXPECT_EQ(1024, ScrollWidthAbs(sw, 7, basis).nWidth);

    // Mode 2, unknown modes and a bad index give nothing.
    sw.aScrlWdth[9] = {SCRLMODE_NONE, 10, 10, 1};
    sw.aScrlWdth[11] = {7, 10, 10, 1};
    for (int nIdx : {9, 11, -1, 12, 0xFFFF, INT_MIN}) EXPECT_EQ(0, ScrollWidthAbs(sw, nIdx, basis).nWidth) << nIdx;

    // A track of 0 or less is no bar: the range is divided as without one.
    sw.aScrlWdth[1] = sw.aScrlWdth[3] = {SCRLMODE_REL, 0, 300, 0};
    for (int nTrack : {0, -1, -400, INT_MIN}) {
        SCROLL_WIDTH_BASIS noTrack = basis;
        noTrack.nTrackH = noTrack.nTrackV = nTrack;
        const SCROLL_WIDTH_RESULT h = ScrollWidthAbs(sw, 1, noTrack), v = ScrollWidthAbs(sw, 3, noTrack);
        EXPECT_EQ((std::tuple{20, 12, SCROLL_TRACK_NO_BAR}), std::tuple(h.nWidth, v.nWidth, h.nDivisor)) << nTrack;
    }

    EXPECT_TRUE(IsVertScrlWdthIndex(10) && !IsVertScrlWdthIndex(9) && IsWheelScrlWdthIndex(8));
    EXPECT_FALSE(IsWheelScrlWdthIndex(7) || IsWheelScrlWdthIndex(12));
}

TEST(CoreScrollCalc, DeviceRequests) {
    EXPECT_EQ(0x200006u, MakeDeviceWParam(DEVFLAG_DOWN, 6));
    const DEVICE_REQUEST req = DecodeDeviceRequest(MakeDeviceWParam(DEVFLAG_DOWN, 6), 3);
    EXPECT_EQ((std::tuple{DEVFLAG_DOWN, 6, 3}), std::tuple(req.wFlags, req.nIdx, req.nCount));

    // {flags, count, width, x, y}: a horizontal flag wins; no flag, count or width: no distance.
    const int cases[][5] = {{DEVFLAG_DOWN, 3, 10, 0, 30}, {DEVFLAG_UP, 1, 200, 0, -200}, {DEVFLAG_LEFT, 2, 10, -20, 0},
                            {DEVFLAG_RIGHT, 1, 10, 10, 0}, {DEVFLAG_LEFT | DEVFLAG_DOWN, 1, 10, -10, 0},
                            {0, 1, 10, 0, 0}, {DEVFLAG_UP, 0, 10, 0, 0}, {DEVFLAG_UP, 5, 0, 0, 0}};
    for (const auto& c : cases) {
        const POINT pt = DeviceOffsets(DecodeDeviceRequest(MakeDeviceWParam(static_cast<WORD>(c[0]), 0), c[1]), c[2]);
        EXPECT_EQ((std::pair<LONG, LONG>(c[3], c[4])), std::pair(pt.x, pt.y)) << c[0] << " × " << c[1];
    }

    const DWORD adwBurst[] = {0, 1000, 5000, 10000, 30000, 0};
    for (int n = 0; n < 6; ++n) EXPECT_EQ(adwBurst[n], WheelBurstPeriodMs(n)) << n;
    EXPECT_EQ(0u, WheelBurstPeriodMs(-1));
}

TEST(CoreScrollCalc, ScrollRange) {
    const SCROLL_MARGINS m = ScrollMargins(RECT{0, 0, 1280, 1024});
    EXPECT_EQ((std::pair{182, 128}), std::pair(m.nLeft, m.nRight));
    EXPECT_EQ((std::pair{102, 102}), std::pair(m.nTop, m.nBottom));
    const RECT rcWork{0, 0, 1280, 994};
    const auto range = [&](std::span<const RECT> wnds, int nLimitH, int nLimitV) {
        const RECT rc = ScrollRange(wnds, rcWork, m, nLimitH, nLimitV);
        return std::vector<LONG>{rc.left, rc.top, rc.right, rc.bottom};
    };

    // No windows: the work area widened by the margins, with no limit.
    EXPECT_EQ((std::vector<LONG>{-182, -102, 1408, 1096}), range({}, 100, 100));
    // Windows widen the work area, then the margins, then the limits.
    const RECT wnds[] = {{-300, 50, 200, 400}, {1000, -80, 2500, 900}};
    EXPECT_EQ((std::vector<LONG>{-482, -182, 2628, 1096}), range(wnds, 30000, 30000));
    EXPECT_EQ((std::vector<LONG>{-482, -182, 2000, 1000}), range(wnds, 2000, 1000));
    EXPECT_EQ((std::vector<LONG>{-400, -100, 400, 100}), range(wnds, 400, 100));
    EXPECT_EQ(30000, CapRangeLimit(65535));
    EXPECT_EQ(1200, CapRangeLimit(1200));

    // The pointer follows the move within the screen.
    const auto follow = [](POINT pt, int dx, int dy) {
        const POINT r = PointerAfterMove(pt, dx, dy, 1280, 994);
        return std::pair<int, int>(r.x, r.y);
    };
    EXPECT_EQ((std::pair{110, 190}), follow({100, 200}, 10, -10));
    EXPECT_EQ((std::pair{0, 994}), follow({100, 200}, -500, 2000));
    EXPECT_EQ((std::pair{1280, 0}), follow({1270, 5}, 30, -6));
}
