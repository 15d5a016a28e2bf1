#include "ScrollCalc.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>

namespace ScrollCalc {

namespace {

// 32-bit wrap-around products and sums, as the distances travel in 32-bit fields;
// done unsigned so that an overflow is defined.
int Mul32(int a, int b) noexcept {
    return static_cast<int>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

}  // namespace

int Saturate(int64_t v) noexcept {
    return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool IsAtOnce(BOOL bAtOnceRequested, int nSpeed) noexcept {
    // Signed on purpose: a negative Speed read as unsigned would pace a move over
    // billions of one-pixel passes.
    return bAtOnceRequested || nSpeed < 2;
}

MoveMode ChooseMoveMode(int lOffsetH, int lOffsetV, BOOL bAtOnceRequested, int nSpeed,
                        std::span<const SCROLL_RATE> lstRate) noexcept {
    if (lOffsetH == 0 && lOffsetV == 0) return MoveMode::None;
    if (IsAtOnce(bAtOnceRequested, nSpeed)) return MoveMode::AtOnce;
    return lstRate.empty() ? MoveMode::None : MoveMode::Smooth;
}

int NextScrollRate(std::span<const SCROLL_RATE> lstRate, int nSpeed, int nCnt) noexcept {
    return TraceScrollRate(lstRate, nSpeed, nCnt).nRate;
}

SCROLL_RATE_TRACE TraceScrollRate(std::span<const SCROLL_RATE> lstRate, int nSpeed, int nCnt) noexcept {
    SCROLL_RATE_TRACE trace{true, 0, 0, 0, 0, 100};
    if (nSpeed < 2) return trace;
    const uint32_t uSpeed = static_cast<uint32_t>(nSpeed);
    const uint32_t uCnt = static_cast<uint32_t>(nCnt);
    if (uCnt > uSpeed + 1) return trace;
    const uint32_t d = uCnt * 100u / uSpeed;

    SCROLL_RATE lower{0, 0};
    const SCROLL_RATE* pUpper = nullptr;
    for (const SCROLL_RATE& row : lstRate) {
        if (static_cast<uint32_t>(row.nCnt) > d) {
            pUpper = &row;
            break;
        }
        lower = row;
    }
    trace.bFixed = false;
    trace.uCnt1 = static_cast<uint32_t>(lower.nCnt);
    trace.uScr1 = static_cast<uint32_t>(lower.nWidth);
    if (!pUpper) {
        trace.uCnt2 = trace.uCnt1;
        trace.uScr2 = trace.uScr1;
        trace.nRate = lower.nWidth;
        return trace;
    }
    trace.uCnt2 = static_cast<uint32_t>(pUpper->nCnt);
    trace.uScr2 = static_cast<uint32_t>(pUpper->nWidth);

    uint32_t uSpan = trace.uCnt2 - trace.uCnt1;
    if (uSpan == 0) uSpan = 1;
    const uint32_t uRise = trace.uScr2 - trace.uScr1;
    const uint32_t uInto = d - trace.uCnt1;
    trace.nRate = static_cast<int>(trace.uScr1 + uRise * uInto / uSpan);
    return trace;
}

int PassStep(int nRate, int nOffset) noexcept {
    if (nOffset == 0 || nRate <= 0) return 0;
    const int64_t nStep = static_cast<int64_t>(nRate) * nOffset / 100;
    if (nStep != 0) return Saturate(nStep);
    return nOffset > 0 ? 1 : -1;
}

REACH_AXIS ReachAxis(int nTarget, int nMoved, int nProposed) noexcept {
    const int64_t t = nTarget, m = nMoved, p = nProposed;
    if (t == 0) return {true, nProposed};
    if (t > 0) {
        if (m >= t) return {true, 0};
        if (m + p > t) return {true, Saturate(t - m)};
    } else {
        if (m <= t) return {true, 0};
        if (m + p < t) return {true, Saturate(t - m)};
    }
    return {false, nProposed};
}

BOOL IsWndReachedDst(const REACH_CHECK& rWrdc, int* pldMovH, int* pldMovV) noexcept {
    const REACH_AXIS h = ReachAxis(rWrdc.ldTrgtH, rWrdc.ldMovedH, rWrdc.ldPrdctMovH);
    const REACH_AXIS v = ReachAxis(rWrdc.ldTrgtV, rWrdc.ldMovedV, rWrdc.ldPrdctMovV);
    if (pldMovH) *pldMovH = h.nMove;
    if (pldMovV) *pldMovV = v.nMove;
    return h.bReached && v.bReached;
}

int AtOnceMoved(int ldStep, int nCnt) noexcept {
    return Saturate(static_cast<int64_t>(ldStep) * nCnt);
}

int NegateOffset(LONG lOffset) noexcept {
    return static_cast<int>(0u - static_cast<uint32_t>(lOffset));
}

SCROLL_WIDTH_RESULT ScrollWidthAbs(const PROP_SCRLWDTH& scrlWdth, int nIdx, const SCROLL_WIDTH_BASIS& basis) noexcept {
    if (!IsValidScrlWdthIndex(nIdx)) return {0, 0};
    const SCROLL_WIDTH& w = scrlWdth.aScrlWdth[nIdx];
    const bool bVert = IsVertScrlWdthIndex(nIdx);
    switch (w.nMode) {
    case SCRLMODE_ABS:
        return {w.nAbs, 0};
    case SCRLMODE_REL: {
        const int nExtent = bVert ? static_cast<int>(static_cast<uint32_t>(basis.rcRange.bottom) - static_cast<uint32_t>(basis.rcRange.top))
                                  : static_cast<int>(static_cast<uint32_t>(basis.rcRange.right) - static_cast<uint32_t>(basis.rcRange.left));
        // A bar without a track (collapsed to nothing, or not yet laid out) divides as no bar
        // would; a negative length read unsigned would shrink every step to nothing.
        int nTrack = bVert ? basis.nTrackV : basis.nTrackH;
        if (nTrack <= 0) nTrack = SCROLL_TRACK_NO_BAR;
        const uint32_t uProduct = static_cast<uint32_t>(Mul32(nExtent, w.nRel));
        return {static_cast<int>(uProduct / static_cast<uint32_t>(nTrack)), nTrack};
    }
    case SCRLMODE_SCR:
        return {Mul32(w.nScr, bVert ? basis.nDesktopHeight : basis.nDesktopWidth), 0};
    default:
        return {0, 0};
    }
}

DEVICE_REQUEST DecodeDeviceRequest(WPARAM wParam, LPARAM lParam) noexcept {
    return {static_cast<WORD>((wParam >> 16) & 0xFFFF), static_cast<int>(wParam & 0xFFFF),
            static_cast<int>(static_cast<uint32_t>(lParam))};
}

POINT DeviceOffsets(const DEVICE_REQUEST& req, int nWidthPerUnit) noexcept {
    POINT pt{0, 0};
    const int nDistance = Mul32(req.nCount, nWidthPerUnit);
    const int nNegated = NegateOffset(nDistance);
    if (req.wFlags & (DEVFLAG_LEFT | DEVFLAG_RIGHT)) {
        pt.x = (req.wFlags & DEVFLAG_LEFT) ? nNegated : nDistance;
    } else if (req.wFlags & (DEVFLAG_UP | DEVFLAG_DOWN)) {
        pt.y = (req.wFlags & DEVFLAG_UP) ? nNegated : nDistance;
    }
    return pt;
}

DWORD WheelBurstPeriodMs(int nSetting) noexcept {
    static constexpr DWORD kPeriods[] = {0, 1000, 5000, 10000, 30000};
    if (nSetting < 0 || nSetting >= static_cast<int>(std::size(kPeriods))) return 0;
    return kPeriods[nSetting];
}

SCROLL_MARGINS ScrollMargins(const RECT& rcDesktop) noexcept {
    const int cx = rcDesktop.right - rcDesktop.left;
    const int cy = rcDesktop.bottom - rcDesktop.top;
    return {cx / 7, cx / 10, cy / 10, cy / 10};
}

int CapRangeLimit(int nLimit) noexcept {
    return std::min(nLimit, SCROLL_RANGE_LIMIT_MAX);
}

RECT ScrollRange(std::span<const RECT> rcWnds, const RECT& rcWork, const SCROLL_MARGINS& margins,
                 int nLimitH, int nLimitV) noexcept {
    if (rcWnds.empty()) {
        return {rcWork.left - margins.nLeft, rcWork.top - margins.nTop, rcWork.right + margins.nRight,
                rcWork.bottom + margins.nBottom};
    }
    RECT rc{nLimitH, nLimitV, -nLimitH, -nLimitV};
    auto widen = [&rc](const RECT& r) {
        rc.left = std::min(rc.left, r.left);
        rc.right = std::max(rc.right, r.right);
        rc.top = std::min(rc.top, r.top);
        rc.bottom = std::max(rc.bottom, r.bottom);
    };
    for (const RECT& r : rcWnds) widen(r);
    widen(rcWork);
    rc.left = std::max<LONG>(rc.left - margins.nLeft, -nLimitH);
    rc.right = std::min<LONG>(rc.right + margins.nRight, nLimitH);
    rc.top = std::max<LONG>(rc.top - margins.nTop, -nLimitV);
    rc.bottom = std::min<LONG>(rc.bottom + margins.nBottom, nLimitV);
    return rc;
}

POINT PointerAfterMove(POINT ptCur, int dx, int dy, int cxFull, int cyFull) noexcept {
    const int64_t x = static_cast<int64_t>(ptCur.x) + dx;
    const int64_t y = static_cast<int64_t>(ptCur.y) + dy;
    return {static_cast<LONG>(std::clamp<int64_t>(x, 0, std::max(cxFull, 0))),
            static_cast<LONG>(std::clamp<int64_t>(y, 0, std::max(cyFull, 0)))};
}

}  // namespace ScrollCalc
