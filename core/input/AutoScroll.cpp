#include "AutoScroll.h"

#include <algorithm>

#include "ScrollCalc.h"

namespace AtScrl {

bool IsArmed(int nMode, bool bLeftDown, bool bRightDown) noexcept {
    switch (nMode) {
    case 1: return !bLeftDown && !bRightDown;
    case 2: return bLeftDown && !bRightDown;
    case 3: return !bLeftDown && bRightDown;
    case 4: return bLeftDown || bRightDown;
    default: return false;
    }
}

EDGE_BANDS EdgeBands(const PROP_ATSCRL& at, POINT pt, const RECT& rcWork) noexcept {
    EDGE_BANDS bands{0, FALSE, FALSE};
    if (pt.x < at.nInternalRange) {
        bands.dwDirs |= ATSCRL_LEFT;
        bands.bOuterH = pt.x < at.nExternalRange;
    } else if (pt.x > rcWork.right - at.nInternalRange) {
        bands.dwDirs |= ATSCRL_RIGHT;
        bands.bOuterH = pt.x > rcWork.right - at.nExternalRange;
    }
    if (pt.y < at.nInternalRange) {
        bands.dwDirs |= ATSCRL_TOP;
        bands.bOuterV = pt.y < at.nExternalRange;
    } else if (pt.y > rcWork.bottom - at.nInternalRange) {
        bands.dwDirs |= ATSCRL_BOTTOM;
        bands.bOuterV = pt.y > rcWork.bottom - at.nExternalRange;
    }
    return bands;
}

namespace {

// The system's point-in-rectangle rule: left and top inside, right and bottom outside.
bool PtIn(const RECT& rc, POINT pt) noexcept {
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}

}  // namespace

EDGE_BANDS CheckAutoScroll(const PROP_ATSCRL& at, const POINTER_STATE& ptr, const RECT& rcWork,
                           std::span<const RECT> rcBlock) noexcept {
    for (const RECT& rc : rcBlock) {
        if (PtIn(rc, ptr.pt)) return {0, FALSE, FALSE};
    }
    if (!IsArmed(at.nMode, ptr.bLeftDown, ptr.bRightDown)) return {0, FALSE, FALSE};
    return EdgeBands(at, ptr.pt, rcWork);
}

POINT StepOffsets(const PROP_ATSCRL& at, const EDGE_BANDS& bands) noexcept {
    POINT pt{0, 0};
    if (at.nMode == 0) return pt;
    const int nSpeedH = bands.bOuterH ? at.nExternalSpeed : at.nInternalSpeed;
    const int nSpeedV = bands.bOuterV ? at.nExternalSpeed : at.nInternalSpeed;
    if (bands.dwDirs & ATSCRL_RIGHT) pt.x = nSpeedH;
    else if (bands.dwDirs & ATSCRL_LEFT) pt.x = -nSpeedH;
    if (bands.dwDirs & ATSCRL_BOTTOM) pt.y = nSpeedV;
    else if (bands.dwDirs & ATSCRL_TOP) pt.y = -nSpeedV;
    return pt;
}

int UndoSubKind(DWORD dwDirs) noexcept {
    const bool bH = (dwDirs & ATSCRL_HORZ) != 0;
    const bool bV = (dwDirs & ATSCRL_VERT) != 0;
    if (bH && bV) return ScrollCalc::UNDO_SUBKIND_BOTH;
    if (bH) return ScrollCalc::UNDO_SUBKIND_HORZ;
    if (bV) return ScrollCalc::UNDO_SUBKIND_VERT;
    return 0;
}

int DelayIndex(int nDelay) noexcept { return std::clamp(nDelay, 0, ATSCRL_DELAY_COUNT - 1); }

DWORD DelayMs(int nDelay) noexcept { return static_cast<DWORD>(g_anAtScrlDelayMs[DelayIndex(nDelay)]); }

std::wstring DirText(DWORD dwDirs) {
    std::wstring str;
    if (dwDirs & ATSCRL_RIGHT) str += L"左";
    else if (dwDirs & ATSCRL_LEFT) str += L"右";
    if (dwDirs & ATSCRL_BOTTOM) str += L"上";
    else if (dwDirs & ATSCRL_TOP) str += L"下";
    return str.empty() ? std::wstring(L"停止") : str;
}

DIR_CHANGE OnDirections(DWORD dwPrev, DWORD dwNow, bool bDelayItem, int nDelay) noexcept {
    DIR_CHANGE chg{};
    chg.bLogChange = bDelayItem && dwPrev != dwNow;
    if (dwPrev == 0 && dwNow != 0) {
        chg.bStart = true;
        if (!bDelayItem) {
            chg.dwDelayMs = DelayMs(nDelay);
            // A 0 ms timer item is refused; without this auto scroll would never start.
            chg.bStartAtOnce = chg.dwDelayMs == 0;
            chg.bAddDelayItem = !chg.bStartAtOnce;
        }
    } else if (dwPrev != 0 && dwNow == 0) {
        chg.bStop = true;
    }
    return chg;
}

}  // namespace AtScrl
