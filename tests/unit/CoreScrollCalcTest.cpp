#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <list>
#include <memory>
#include <utility>
#include <vector>

#include "PropertySet.h"
#include "ScrollCalc.h"
#include "ScrollMove.h"
#include "ZvMessages.h"

using namespace ScrollCalc;

namespace {

std::vector<SCROLL_RATE> RateList(BOOL bSmoothScroll) {
    PROPERTY_SET prop;
    prop.propView.bSmoothScroll = bSmoothScroll;
    MakeScrollRateList(prop);
    return prop.lstScrlRate;
}

// The moves of one window that moves by dx, dy, pass by pass, as the scroll engine makes them
// (the last pass may be a 0 move that only confirms). Empty when the engine refuses the move.
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

// The moves of one axis, pass by pass.
std::vector<int> PassesX(int dx, int nSpeed, BOOL bSmooth, BOOL bAtOnce = FALSE) {
    std::vector<int> out;
    for (const POINT& pt : MovePasses(dx, 0, bAtOnce, nSpeed, RateList(bSmooth))) out.push_back(pt.x);
    return out;
}

std::vector<int> PassesY(int dy, int nSpeed, BOOL bSmooth) {
    std::vector<int> out;
    for (const POINT& pt : MovePasses(0, dy, FALSE, nSpeed, RateList(bSmooth))) out.push_back(pt.y);
    return out;
}

SCROLL_WIDTH_BASIS Basis() {
    return {RECT{-200, -100, 1800, 1100}, 400, 300, 1280, 1024};
}

}  // namespace

// Rates read off both built-in curves at Speed 3: the rate is the share of the whole
// move taken by that one pass, not the share covered so far.
TEST(CoreScrollCalc, RateCurveAtDefaultSpeed) {
    const auto lstStep = RateList(FALSE);
    EXPECT_EQ(6, NextScrollRate(lstStep, 3, 1));    // 33 % between (0,0) and (50,10)
    EXPECT_EQ(66, NextScrollRate(lstStep, 3, 2));   // 66 % between (60,60) and (100,100)
    EXPECT_EQ(100, NextScrollRate(lstStep, 3, 3));  // no point above 100 %: the last width

    const auto lstSmooth = RateList(TRUE);
    EXPECT_EQ(13, NextScrollRate(lstSmooth, 3, 1));  // between (30,10) and (40,20)
    EXPECT_EQ(79, NextScrollRate(lstSmooth, 3, 2));  // between (60,70) and (70,85)
    EXPECT_EQ(100, NextScrollRate(lstSmooth, 3, 3));
}

// The log names the points a rate was read between.
TEST(CoreScrollCalc, RateTraceNamesTheBracketingPoints) {
    const auto lst = RateList(TRUE);
    const SCROLL_RATE_TRACE t1 = TraceScrollRate(lst, 3, 1);
    EXPECT_FALSE(t1.bFixed);
    EXPECT_EQ(t1.uCnt1, 30u);
    EXPECT_EQ(t1.uCnt2, 40u);
    EXPECT_EQ(t1.uScr1, 10u);
    EXPECT_EQ(t1.uScr2, 20u);
    EXPECT_EQ(t1.nRate, 13);

    // Past the last point both brackets are that point.
    const SCROLL_RATE_TRACE t3 = TraceScrollRate(lst, 3, 3);
    EXPECT_FALSE(t3.bFixed);
    EXPECT_EQ(t3.uCnt1, 100u);
    EXPECT_EQ(t3.uCnt2, 100u);
    EXPECT_EQ(t3.uScr2, 100u);
    EXPECT_EQ(t3.nRate, 100);

    // Without pacing, or past the paced passes, the curve is not read.
    for (auto [nSpeed, nCnt] : {std::pair{1, 1}, std::pair{-3, 1}, std::pair{3, 5}}) {
        const SCROLL_RATE_TRACE t = TraceScrollRate(lst, nSpeed, nCnt);
        EXPECT_TRUE(t.bFixed) << nSpeed << "," << nCnt;
        EXPECT_EQ(t.nRate, 100);
    }
}

TEST(CoreScrollCalc, RateCurveEdges) {
    const auto lst = RateList(TRUE);
    // Exactly on a point: that point's width, not the next segment's.
    EXPECT_EQ(50, NextScrollRate(lst, 2, 1));
    EXPECT_EQ(20, NextScrollRate(lst, 5, 2));
    // Speed 1 or 0, and any pass beyond Speed + 1: the whole distance.
    EXPECT_EQ(100, NextScrollRate(lst, 1, 1));
    EXPECT_EQ(100, NextScrollRate(lst, 0, 1));
    EXPECT_EQ(100, NextScrollRate(lst, 3, 5));
    // Pass Speed + 1 still reads the curve (past 100 %: the last width).
    EXPECT_EQ(100, NextScrollRate(lst, 3, 4));
    // A negative Speed counts as below 2, not as a huge unsigned count of passes.
    EXPECT_EQ(100, NextScrollRate(lst, -2, 1));
    // Slow speed: Speed 20, first pass at 5 % between (0,0) and (10,2).
    EXPECT_EQ(1, NextScrollRate(lst, 20, 1));
}

TEST(CoreScrollCalc, RateCurveWithoutPointsGivesZero) {
    const std::vector<SCROLL_RATE> none;
    EXPECT_EQ(0, NextScrollRate(none, 3, 1));
    EXPECT_EQ(0, NextScrollRate(none, 3, 3));
    EXPECT_EQ(100, NextScrollRate(none, 3, 5));
    // Two points with the same pass share: no division by zero.
    const std::vector<SCROLL_RATE> flat{{50, 10}, {50, 40}, {100, 100}};
    EXPECT_EQ(40, NextScrollRate(flat, 2, 1));
}

TEST(CoreScrollCalc, PassStepKeepsAtLeastOnePixel) {
    EXPECT_EQ(0, PassStep(50, 0));
    EXPECT_EQ(12, PassStep(6, 200));
    EXPECT_EQ(-12, PassStep(6, -200));  // truncated toward zero
    EXPECT_EQ(-6, PassStep(66, -10));
    EXPECT_EQ(1, PassStep(6, 10));      // 0.6 rounds down to 0: the minimum step
    EXPECT_EQ(-1, PassStep(13, -1));
    EXPECT_EQ(0, PassStep(0, 100));     // no curve: no move
    // Large distances do not overflow the product.
    EXPECT_EQ(1500000000, PassStep(75, 2000000000));
}

TEST(CoreScrollCalc, ReachCheck) {
    // Positive target 10.
    EXPECT_EQ((REACH_AXIS{false, 6}), ReachAxis(10, 1, 6));
    EXPECT_EQ((REACH_AXIS{true, 3}), ReachAxis(10, 7, 10));
    EXPECT_EQ((REACH_AXIS{false, 3}), ReachAxis(10, 7, 3));  // lands exactly: confirmed next pass
    EXPECT_EQ((REACH_AXIS{true, 0}), ReachAxis(10, 10, 10));
    // Negative target.
    EXPECT_EQ((REACH_AXIS{true, -4}), ReachAxis(-10, -6, -10));
    EXPECT_EQ((REACH_AXIS{true, 0}), ReachAxis(-10, -10, -1));
    EXPECT_EQ((REACH_AXIS{false, -1}), ReachAxis(-10, -8, -1));
    // No target on an axis: reached, the proposal passes through.
    EXPECT_EQ((REACH_AXIS{true, 5}), ReachAxis(0, 0, 5));

    REACH_CHECK rc{0, 0, 6, 0, 100, 0};
    int h = -1, v = -1;
    EXPECT_FALSE(IsWndReachedDst(rc, &h, &v));
    EXPECT_EQ(6, h);
    EXPECT_EQ(0, v);
    rc = {94, 0, 100, 0, 100, 0};
    EXPECT_TRUE(IsWndReachedDst(rc, &h, &v));
    EXPECT_EQ(6, h);
    rc = {94, 0, 100, 1, 100, 5};  // one axis still short
    EXPECT_FALSE(IsWndReachedDst(rc, &h, &v));
    EXPECT_EQ(1, v);
}

// The pass distances that a user sees with the built-in settings.
TEST(CoreScrollCalc, PassesOfDefaultMoves) {
    // Keyboard line (10 px), SmoothScroll 0, Speed 3.
    EXPECT_EQ((std::vector<int>{1, 6, 3}), PassesX(10, 3, FALSE));
    EXPECT_EQ((std::vector<int>{-1, -6, -3}), PassesX(-10, 3, FALSE));
    // Page (200 px), SmoothScroll 0, Speed 3.
    EXPECT_EQ((std::vector<int>{12, 132, 56}), PassesY(200, 3, FALSE));
    // 100 px with SmoothScroll on, and off.
    EXPECT_EQ((std::vector<int>{13, 79, 8}), PassesX(100, 3, TRUE));
    EXPECT_EQ((std::vector<int>{6, 66, 28}), PassesX(100, 3, FALSE));
    EXPECT_EQ((std::vector<int>{-13, -79, -8}), PassesY(-100, 3, TRUE));
}

TEST(CoreScrollCalc, PassesOfSmallAndSlowMoves) {
    // 1 px: the minimum step reaches it at once; the second pass only confirms.
    EXPECT_EQ((std::vector<int>{1, 0}), PassesX(1, 3, TRUE));
    // Speed 2, smooth curve: 50 %, then a full-rate pass cut to the rest.
    EXPECT_EQ((std::vector<int>{50, 50}), PassesX(100, 2, TRUE));
    // A share that lands exactly on the target needs one more, confirming pass.
    EXPECT_EQ((std::vector<int>{1, 1, 0}), PassesX(2, 3, FALSE));
    // Every smooth move ends, and adds up to its distance.
    for (int nSpeed = 2; nSpeed <= 20; ++nSpeed) {
        for (BOOL bSmooth : {FALSE, TRUE}) {
            for (int d : {1, 7, 10, 200, -333, 1920}) {
                const auto passes = PassesX(d, nSpeed, bSmooth);
                ASSERT_FALSE(passes.empty());
                EXPECT_LE(passes.size(), static_cast<size_t>(nSpeed) + 2) << nSpeed << ' ' << d;
                int sum = 0;
                for (int p : passes) {
                    EXPECT_GE(p * d, 0) << "a pass never moves backwards";
                    sum += p;
                }
                EXPECT_EQ(d, sum) << "Speed " << nSpeed << ", smooth " << bSmooth;
            }
        }
    }
}

TEST(CoreScrollCalc, AtOnceMoves) {
    // Speed below 2, or a grouped wheel move: whole distance, then a confirming pass.
    EXPECT_EQ((std::vector<int>{10, 0}), PassesX(10, 1, FALSE));
    EXPECT_EQ((std::vector<int>{-200, 0}), PassesX(-200, 0, TRUE));
    EXPECT_EQ((std::vector<int>{10, 0}), PassesX(10, 3, FALSE, TRUE));
    EXPECT_EQ((std::vector<int>{120, 0}), PassesX(120, -5, TRUE));
    const auto both = MovePasses(30, -40, TRUE, 3, RateList(FALSE));
    ASSERT_EQ(2u, both.size());
    EXPECT_EQ(30, both[0].x);
    EXPECT_EQ(-40, both[0].y);
    EXPECT_EQ(0, both[1].x);
    EXPECT_EQ(0, both[1].y);

    EXPECT_TRUE(IsAtOnce(FALSE, 1));
    EXPECT_TRUE(IsAtOnce(TRUE, 3));
    EXPECT_FALSE(IsAtOnce(FALSE, 2));
    EXPECT_EQ(INT_MAX, AtOnceMoved(INT_MAX, 2));
    EXPECT_EQ(-400, AtOnceMoved(-200, 2));
    // A request's offset becomes the windows' move; the one offset without a negation wraps.
    EXPECT_EQ(-10, NegateOffset(10));
    EXPECT_EQ(200, NegateOffset(-200));
    EXPECT_EQ(INT_MIN, NegateOffset(INT_MIN));
}

TEST(CoreScrollCalc, MoveModeRefusesEmptyMovesAndMissingCurve) {
    const auto lst = RateList(FALSE);
    const std::vector<SCROLL_RATE> none;
    EXPECT_EQ(MoveMode::None, ChooseMoveMode(0, 0, FALSE, 3, lst));
    EXPECT_EQ(MoveMode::None, ChooseMoveMode(0, 0, TRUE, 1, lst));
    EXPECT_EQ(MoveMode::Smooth, ChooseMoveMode(0, 5, FALSE, 3, lst));
    EXPECT_EQ(MoveMode::AtOnce, ChooseMoveMode(5, 0, FALSE, 1, lst));
    EXPECT_EQ(MoveMode::None, ChooseMoveMode(5, 0, FALSE, 3, none));
    EXPECT_EQ(MoveMode::AtOnce, ChooseMoveMode(5, 0, TRUE, 3, none));  // needs no curve
    EXPECT_TRUE(MovePasses(100, 0, FALSE, 3, none).empty());
    EXPECT_TRUE(MovePasses(0, 0, FALSE, 3, lst).empty());
}

TEST(CoreScrollCalc, ScrollWidthModes) {
    PROP_SCRLWDTH sw = g_propScrlWdthDefault;
    const SCROLL_WIDTH_BASIS basis = Basis();
    // Defaults: absolute 10 px a line, 200 px a page, for every device and direction.
    EXPECT_EQ(10, ScrollWidthAbs(sw, ScrlWdthIndex(SCRLWDTH_KEYBD, SCRLWDTH_VERT, SCRLWDTH_LINE), basis).nWidth);
    EXPECT_EQ(200, ScrollWidthAbs(sw, ScrlWdthIndex(SCRLWDTH_WHEEL, SCRLWDTH_HORZ, SCRLWDTH_PAGE), basis).nWidth);

    // Relative: range extent × Rel / track of that axis' bar.
    sw.aScrlWdth[0] = {SCRLMODE_REL, 0, 10, 0};  // horizontal: 2000 × 10 / 400
    sw.aScrlWdth[2] = {SCRLMODE_REL, 0, 3, 0};   // vertical: 1200 × 3 / 300
    EXPECT_EQ((std::pair{50, 400}), std::pair(ScrollWidthAbs(sw, 0, basis).nWidth, ScrollWidthAbs(sw, 0, basis).nDivisor));
    EXPECT_EQ(12, ScrollWidthAbs(sw, 2, basis).nWidth);
    SCROLL_WIDTH_BASIS noBar = basis;
    noBar.nTrackH = SCROLL_TRACK_NO_BAR;
    sw.aScrlWdth[0].nRel = 300;  // 2000 × 300 / 30000
    EXPECT_EQ(20, ScrollWidthAbs(sw, 0, noBar).nWidth);

    // Screens: Scr × the desktop's width or height.
    sw.aScrlWdth[5] = {SCRLMODE_SCR, 0, 0, 2};
    sw.aScrlWdth[7] = {SCRLMODE_SCR, 0, 0, 1};
    EXPECT_EQ(2560, ScrollWidthAbs(sw, 5, basis).nWidth);
    EXPECT_EQ(0, ScrollWidthAbs(sw, 5, basis).nDivisor);
    EXPECT_EQ(1024, ScrollWidthAbs(sw, 7, basis).nWidth);

    // Mode 2 and unknown modes give nothing.
    sw.aScrlWdth[9] = {SCRLMODE_NONE, 10, 10, 1};
    sw.aScrlWdth[11] = {7, 10, 10, 1};
    EXPECT_EQ(0, ScrollWidthAbs(sw, 9, basis).nWidth);
    EXPECT_EQ(0, ScrollWidthAbs(sw, 11, basis).nWidth);
}

TEST(CoreScrollCalc, ScrollWidthGuards) {
    PROP_SCRLWDTH sw = g_propScrlWdthDefault;
    for (int i = 0; i < SCRLWDTH_COUNT; ++i) sw.aScrlWdth[i] = {SCRLMODE_REL, 0, 10, 0};
    SCROLL_WIDTH_BASIS basis = Basis();
    basis.nTrackH = 0;
    basis.nTrackV = 0;
    EXPECT_EQ(0, ScrollWidthAbs(sw, 1, basis).nWidth);
    EXPECT_EQ(0, ScrollWidthAbs(sw, 3, basis).nWidth);
    for (int nIdx : {-1, 12, 0xFFFF, INT_MIN}) EXPECT_EQ(0, ScrollWidthAbs(sw, nIdx, Basis()).nWidth) << nIdx;
}

TEST(CoreScrollCalc, ScrollWidthIndexKinds) {
    for (int i = 0; i < SCRLWDTH_COUNT; ++i) {
        const bool bVert = i == 2 || i == 3 || i == 6 || i == 7 || i == 10 || i == 11;
        EXPECT_EQ(bVert, IsVertScrlWdthIndex(i)) << i;
        EXPECT_EQ(i >= 8, IsWheelScrlWdthIndex(i)) << i;
    }
    EXPECT_FALSE(IsWheelScrlWdthIndex(12));
    EXPECT_FALSE(IsValidScrlWdthIndex(-1));
}

TEST(CoreScrollCalc, DeviceRequests) {
    const int nKeyVertLine = ScrlWdthIndex(SCRLWDTH_KEYBD, SCRLWDTH_VERT, SCRLWDTH_LINE);
    const WPARAM wp = MakeDeviceWParam(DEVFLAG_DOWN, nKeyVertLine);
    EXPECT_EQ(0x200006u, wp);
    const DEVICE_REQUEST req = DecodeDeviceRequest(wp, 3);
    EXPECT_EQ(DEVFLAG_DOWN, req.wFlags);
    EXPECT_EQ(6, req.nIdx);
    EXPECT_EQ(3, req.nCount);

    auto offsets = [](WORD wFlags, int nCount, int nWidth) {
        const POINT pt = DeviceOffsets(DecodeDeviceRequest(MakeDeviceWParam(wFlags, 0), nCount), nWidth);
        return std::pair<int, int>(pt.x, pt.y);
    };
    EXPECT_EQ((std::pair{0, 30}), offsets(DEVFLAG_DOWN, 3, 10));
    EXPECT_EQ((std::pair{0, -200}), offsets(DEVFLAG_UP, 1, 200));
    EXPECT_EQ((std::pair{-20, 0}), offsets(DEVFLAG_LEFT, 2, 10));
    EXPECT_EQ((std::pair{10, 0}), offsets(DEVFLAG_RIGHT, 1, 10));
    // Horizontal wins over vertical; no flag, a zero count or width: no distance.
    EXPECT_EQ((std::pair{-10, 0}), offsets(DEVFLAG_LEFT | DEVFLAG_DOWN, 1, 10));
    EXPECT_EQ((std::pair{0, 0}), offsets(0, 1, 10));
    EXPECT_EQ((std::pair{0, 0}), offsets(DEVFLAG_UP, 0, 10));
    EXPECT_EQ((std::pair{0, 0}), offsets(DEVFLAG_UP, 5, 0));
    // The request message number the others post.
    EXPECT_EQ(0x8052u, MSG_MV_ALL_WNDS_BY_DEVICE);
}

TEST(CoreScrollCalc, WheelBurstPeriods) {
    EXPECT_EQ(0u, WheelBurstPeriodMs(0));
    EXPECT_EQ(1000u, WheelBurstPeriodMs(1));
    EXPECT_EQ(5000u, WheelBurstPeriodMs(2));
    EXPECT_EQ(10000u, WheelBurstPeriodMs(3));
    EXPECT_EQ(30000u, WheelBurstPeriodMs(4));
    EXPECT_EQ(0u, WheelBurstPeriodMs(5));
    EXPECT_EQ(0u, WheelBurstPeriodMs(-1));
}

TEST(CoreScrollCalc, ScrollRange) {
    const SCROLL_MARGINS m = ScrollMargins(RECT{0, 0, 1280, 1024});
    EXPECT_EQ(182, m.nLeft);
    EXPECT_EQ(128, m.nRight);
    EXPECT_EQ(102, m.nTop);
    EXPECT_EQ(102, m.nBottom);
    const RECT rcWork{0, 0, 1280, 994};

    // No windows: the work area widened by the margins, with no limit.
    RECT rc = ScrollRange({}, rcWork, m, 100, 100);
    EXPECT_EQ((std::pair{-182L, 1408L}), std::pair(rc.left, rc.right));
    EXPECT_EQ((std::pair{-102L, 1096L}), std::pair(rc.top, rc.bottom));

    // Windows widen the work area, then the margins, then the limits.
    const RECT wnds[] = {{-300, 50, 200, 400}, {1000, -80, 2500, 900}};
    rc = ScrollRange(wnds, rcWork, m, 30000, 30000);
    EXPECT_EQ((std::pair{-482L, 2628L}), std::pair(rc.left, rc.right));
    EXPECT_EQ((std::pair{-182L, 1096L}), std::pair(rc.top, rc.bottom));
    rc = ScrollRange(wnds, rcWork, m, 2000, 1000);
    EXPECT_EQ((std::pair{-482L, 2000L}), std::pair(rc.left, rc.right));
    EXPECT_EQ((std::pair{-182L, 1000L}), std::pair(rc.top, rc.bottom));
    rc = ScrollRange(wnds, rcWork, m, 400, 100);
    EXPECT_EQ((std::pair{-400L, 400L}), std::pair(rc.left, rc.right));
    EXPECT_EQ((std::pair{-100L, 100L}), std::pair(rc.top, rc.bottom));

    EXPECT_EQ(30000, CapRangeLimit(65535));
    EXPECT_EQ(1200, CapRangeLimit(1200));
}

TEST(CoreScrollCalc, PointerFollowsWithinScreen) {
    const auto follow = [](POINT pt, int dx, int dy) {
        const POINT r = PointerAfterMove(pt, dx, dy, 1280, 994);
        return std::pair<int, int>(r.x, r.y);
    };
    EXPECT_EQ((std::pair{110, 190}), follow({100, 200}, 10, -10));
    EXPECT_EQ((std::pair{0, 994}), follow({100, 200}, -500, 2000));
    EXPECT_EQ((std::pair{1280, 0}), follow({1270, 5}, 30, -6));
}

// The whole road of a key press with the built-in settings: request, width, passes.
TEST(CoreScrollCalc, KeyboardRequestToPasses) {
    PROPERTY_SET prop;
    prop.propScrlWdth = g_propScrlWdthDefault;
    prop.propView.nSpeed = 3;
    prop.propView.bSmoothScroll = FALSE;
    MakeScrollRateList(prop);

    const auto windowPasses = [&](WORD wFlags, int nUnit) {
        const int nVert = (wFlags & (DEVFLAG_UP | DEVFLAG_DOWN)) ? SCRLWDTH_VERT : SCRLWDTH_HORZ;
        const DEVICE_REQUEST req =
            DecodeDeviceRequest(MakeDeviceWParam(wFlags, ScrlWdthIndex(SCRLWDTH_KEYBD, nVert, nUnit)), 1);
        const POINT off = DeviceOffsets(req, ScrollWidthAbs(prop.propScrlWdth, req.nIdx, Basis()).nWidth);
        std::vector<std::pair<int, int>> out;
        for (const POINT& pt : MovePasses(-off.x, -off.y, FALSE, prop.propView.nSpeed, prop.lstScrlRate))
            out.emplace_back(pt.x, pt.y);
        return out;
    };
    // Scrolling down moves the windows up; scrolling left moves them right.
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, -1}, {0, -6}, {0, -3}}), windowPasses(DEVFLAG_DOWN, SCRLWDTH_LINE));
    EXPECT_EQ((std::vector<std::pair<int, int>>{{12, 0}, {132, 0}, {56, 0}}), windowPasses(DEVFLAG_LEFT, SCRLWDTH_PAGE));

    // An entry in mode 2 gives no distance and so no move.
    prop.propScrlWdth.aScrlWdth[ScrlWdthIndex(SCRLWDTH_KEYBD, SCRLWDTH_VERT, SCRLWDTH_LINE)].nMode = SCRLMODE_NONE;
    EXPECT_TRUE(windowPasses(DEVFLAG_UP, SCRLWDTH_LINE).empty());
}
