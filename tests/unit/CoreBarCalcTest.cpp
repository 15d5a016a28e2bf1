#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <tuple>

#include "BarCalc.h"

using namespace BarCalc;

namespace {

constexpr RECT kDesktop{0, 0, 1280, 1024};
constexpr int kSys = 17;

std::tuple<LONG, LONG, LONG, LONG> T(const RECT& rc) { return {rc.left, rc.top, rc.right, rc.bottom}; }

}  // namespace

TEST(CoreBarCalc, LayoutAndParts) {
    // A horizontal bar 200 long and 20 thick: track 160, spin 160..199; the vertical one below its spin.
    EXPECT_EQ(T(RECT{160, 1, 199, 19}), T(SpinRect(200, 20, false)));
    EXPECT_EQ(T(RECT{1, 1, 19, 41}), T(SpinRect(200, 20, true)));
    EXPECT_EQ((std::tuple{160, 0, 0}), std::tuple(TrackLength(200, 20), TrackLength(30, 20), TrackStart(20, false)));
    const RECT rcThumbH = ThumbRect(40, 50, 20, false), rcThumbV = ThumbRect(40, 50, 20, true);
    EXPECT_EQ(T(RECT{40, 1, 90, 18}), T(rcThumbH));
    EXPECT_EQ(T(RECT{1, 80, 18, 130}), T(rcThumbV));
    const RECT rcSpinH = SpinRect(200, 20, false), rcSpinV = SpinRect(200, 20, true);
    for (auto [x, part] : {std::pair{39, BarPart::BeforeThumb}, {40, BarPart::Thumb}, {90, BarPart::AfterThumb},
                           {180, BarPart::SpinNear}, {181, BarPart::SpinFar}})
        EXPECT_EQ(part, HitTest(POINT{x, 5}, rcThumbH, rcSpinH, 200, false)) << x;
    for (auto [y, part] : {std::pair{19, BarPart::SpinNear}, {20, BarPart::SpinFar}, {79, BarPart::BeforeThumb},
                           {80, BarPart::Thumb}, {130, BarPart::AfterThumb}})
        EXPECT_EQ(part, HitTest(POINT{5, y}, rcThumbV, rcSpinV, 200, true)) << y;
}

TEST(CoreBarCalc, Thumb) {
    EXPECT_EQ((BAR_RANGE{2000, 1000, 200}), RangeValues(-200, 1800, 1000));
    EXPECT_EQ((BAR_RANGE{1000, 1000, 0}), RangeValues(-10, 500, 1000));
    EXPECT_EQ(12800, RangeLimit(200, 1280));
    // {current thumb, last length, force, range min, max, desktop, track} -> thumb
    const std::tuple<THUMB, int, bool, int, int, int, int, THUMB> rows[] = {
        {{0, 0}, 0, false, -200, 1800, 1000, 200, {20, 100}},
        {{37, 100}, 100, false, -200, 1800, 1000, 200, {37, 100}},  // a drag keeps its own place
        {{37, 100}, 100, true, -200, 1800, 1000, 200, {20, 100}},
        {{37, 0}, 0, false, -10, 500, 1000, 200, {0, 200}},         // narrower than the desktop
        {{0, 0}, 0, true, 100, 3100, 1000, 200, {0, 66}},           // a range right of the view
        {{90, 100}, 100, false, -200, 1800, 1000, 150, {15, 75}},   // a shorter track
        {{90, 75}, 75, false, -200, 1800, 1000, 150, {75, 75}},     // kept, but within the track
        {{5, 5}, 0, true, 0, 0, 0, 200, {0, 200}},                  // nothing to divide by
        {{5, 5}, 0, true, -200, 1800, 1000, -8, {0, 0}},
    };
    for (const auto& [cur, nLast, bForce, nMin, nMax, nDesk, nTrack, want] : rows)
        EXPECT_EQ(want, UpdateThumb(cur, nLast, bForce, nMin, nMax, nDesk, nTrack)) << nMin << " " << nTrack;
}

TEST(CoreBarCalc, ThumbDrag) {
    // {thumb, track, delta} over a range 2000 wide -> {position, step taken, windows' offset}
    const std::tuple<THUMB, int, int, THUMB_DRAG> rows[] = {
        {{20, 100}, 200, 30, {50, 30, 300}},       {{20, 100}, 200, 500, {100, 80, 800}},
        {{100, 100}, 200, 10, {100, 0, 0}},        {{20, 100}, 200, -50, {0, -20, -200}},
        {{0, 300}, 200, 10, {0, 0, 0}},            {{20, 100}, 0, 30, {0, 0, 0}},
        {{20, 100}, -5, -30, {0, 0, 0}},
    };
    for (const auto& [thumb, nTrack, nDelta, want] : rows)
        EXPECT_EQ(want, DragThumb(thumb, nTrack, nDelta, -200, 1800)) << nTrack << " " << nDelta;
    EXPECT_TRUE(IsDragStep(3, 0) && IsDragStep(-3, 0) && IsDragStep(INT_MIN, INT_MAX));
    EXPECT_FALSE(IsDragStep(2, 0) || IsDragStep(98, 100));
}

TEST(CoreBarCalc, AltBandsAndMove) {
    const RECT rcBar{100, 0, 300, 20};
    const std::tuple<POINT, int, EdgeCursor> rows[] = {
        {{100, 10}, 0x01, EdgeCursor::SizeWE},   {{299, 10}, 0x02, EdgeCursor::SizeWE},
        {{150, 0}, 0x10, EdgeCursor::SizeNS},    {{150, 19}, 0x20, EdgeCursor::SizeNS},
        {{102, 2}, 0x11, EdgeCursor::SizeNWSE},  {{298, 18}, 0x22, EdgeCursor::SizeNWSE},
        {{299, 0}, 0x12, EdgeCursor::SizeNESW},  {{100, 19}, 0x21, EdgeCursor::SizeNESW},
        {{103, 10}, 0, EdgeCursor::SizeAll},     {{300, 10}, 0, EdgeCursor::SizeAll},
    };
    for (const auto& [pt, nEdges, cursor] : rows) {
        EXPECT_EQ(nEdges, HitTestEdges(rcBar, pt)) << pt.x << "," << pt.y;
        EXPECT_EQ(cursor, CursorForEdges(nEdges)) << nEdges;
        EXPECT_EQ(cursor != EdgeCursor::SizeAll, IsResizeEdges(nEdges)) << nEdges;
    }
    // Both ends of a bar 5 long are grabbed at once, which moves it.
    EXPECT_EQ(0x03, HitTestEdges(RECT{0, 0, 5, 20}, POINT{2, 10}));
    EXPECT_FALSE(IsResizeEdges(0x03));

    EXPECT_EQ(T(RECT{90, 0, 290, 20}), T(MoveBarBy(rcBar, -10, 0, kDesktop)));
    EXPECT_EQ(T(RECT{1080, 0, 1280, 20}), T(MoveBarBy(rcBar, 980, 0, kDesktop)));
    EXPECT_EQ(T(rcBar), T(MoveBarBy(rcBar, 981, 0, kDesktop)));
    EXPECT_EQ(T(rcBar), T(MoveBarBy(rcBar, -5, -1, kDesktop)));  // dropped whole, not shortened
    EXPECT_TRUE(CanMoveBy(RECT{-50, 0, 150, 20}, 10, 0, kDesktop));  // back towards the desktop
}

TEST(CoreBarCalc, AltResize) {
    const RECT rcH{100, 0, 300, 20}, rcV{1261, 102, 1280, 306};
    const RESIZE_LIMITS limH{kSys, 39, kDesktop}, limV{kSys, 38, kDesktop};
    // {vertical, edges, pointer} -> bar
    const std::tuple<bool, int, POINT, RECT> rows[] = {
        {false, 0x20, {150, 5}, {100, 0, 300, 8}},        // half a system bar at least
        {false, 0x20, {150, 100}, {100, 0, 300, 50}},     // a quarter of the length at most
        {false, 0x01, {290, 10}, {224, 0, 300, 20}},      // twice the spin less 2 at least
        {false, 0x01, {400, 10}, {224, 0, 300, 20}},      // the ends never cross
        {false, 0x02, {1400, 10}, {100, 0, 1280, 20}},    // not off the desktop
        {false, 0x10, {150, -30}, {100, 0, 300, 20}},
        {false, 0x22, {290, 30}, {100, 0, 290, 30}},
        {true, 0x01, {1275, 200}, {1272, 102, 1280, 306}},
        {true, 0x01, {1100, 200}, {1229, 102, 1280, 306}},
        {true, 0x20, {1270, 150}, {1261, 102, 1280, 176}},
    };
    for (const auto& [bVert, nEdges, pt, want] : rows)
        EXPECT_EQ(T(want), T(ResizeBar(bVert ? rcV : rcH, nEdges, pt, bVert, bVert ? limV : limH))) << nEdges;
}

TEST(CoreBarCalc, HalvesAndStrip) {
    EXPECT_EQ(0x12, Halves(RECT{956, 0, 1212, 19}, 1280, 1024));
    EXPECT_EQ(0x11, Halves(RECT{640, 512, 700, 530}, 1280, 1024));  // exactly half is the first half
    EXPECT_EQ(T(RECT{956, 0, 1212, 2}), T(WithThickness(RECT{956, 0, 1212, 19}, 0x12, 2, false)));
    EXPECT_EQ(T(RECT{100, 1018, 300, 1020}), T(WithThickness(RECT{100, 1000, 300, 1020}, 0x21, 2, false)));
    EXPECT_EQ(T(RECT{0, 100, 2, 300}), T(WithThickness(RECT{0, 100, 19, 300}, 0x11, 2, true)));
    EXPECT_EQ(T(RECT{1278, 102, 1280, 306}), T(WithThickness(RECT{1261, 102, 1280, 306}, 0x12, 2, true)));
}

TEST(CoreBarCalc, DefaultAndLoadedRects) {
    const RECT rcDefH = DefaultBarRect(kDesktop, false, kSys), rcDefV = DefaultBarRect(kDesktop, true, kSys);
    EXPECT_EQ(T(RECT{956, 0, 1212, 19}), T(rcDefH));
    EXPECT_EQ(T(RECT{1261, 102, 1280, 306}), T(rcDefV));
    // {vertical, x, y, cx, cy} -> bar
    const std::tuple<bool, int, int, int, int, RECT> rows[] = {
        {false, 956, 0, 256, 19, rcDefH},   {true, 1261, 102, 19, 204, rcDefV},  // the defaults stay
        {false, 10, 10, 0, 19, rcDefH},     {false, 10, 10, 200, -5, rcDefH},
        {false, 10, 10, -1, -1, rcDefH},    {false, 10, 10, 50, 60, rcDefH},     // thicker than long
        {true, 10, 10, 300, 50, rcDefV},    {true, 10, 10, 19, 0, rcDefV},
        {false, 0, 0, INT_MAX, 20, {0, 0, 1280, 20}},
        {false, 0, 0, INT_MAX, INT_MAX, {0, 0, 1280, 320}},
        {true, 1261, 0, 19, INT_MAX, {1261, 0, 1280, 1024}},
        {false, 5000, -300, 200, 20, {1080, 0, 1280, 20}},
        {false, INT_MIN, INT_MAX, 200, 20, {0, 1004, 200, 1024}},
        {false, INT_MAX, 0, INT_MAX, 20, {0, 0, 1280, 20}},
        {false, 10, 10, 5, 3, {10, 10, 38, 18}},                                 // raised to the minimums
    };
    for (const auto& [bVert, x, y, cx, cy, want] : rows)
        EXPECT_EQ(T(want), T(SanitizeBarRect(x, y, cx, cy, bVert, kDesktop, kSys))) << x << "," << y << " " << cx << "x" << cy;

    // The shortest the thinnest bar can be resized to comes back from the registry as it was.
    const int nThin = MinBarThickness(kSys);
    for (bool bVert : {false, true}) {
        const RECT rc = bVert ? RECT{100, 100, 100 + nThin, 400} : RECT{100, 100, 400, 100 + nThin};
        const RESIZE_LIMITS lim{kSys, Length(SpinRect(300, nThin, bVert), bVert), kDesktop};
        const RECT rcShort = ResizeBar(rc, bVert ? EDGE_TOP : EDGE_LEFT, POINT{390, 390}, bVert, lim);
        ASSERT_LT(Length(rcShort, bVert), 300);
        EXPECT_EQ(T(rcShort), T(SanitizeBarRect(rcShort.left, rcShort.top, rcShort.right - rcShort.left,
                                                rcShort.bottom - rcShort.top, bVert, kDesktop, kSys)));
    }
}
