#include "ScrlMngrH.h"

#include "ScrollCalc.h"

namespace {

// Towards the start is left, towards the end right; the right arrow of the spin scrolls right.
// Scroll width entries: mouse line and page, wheel line and page of this axis.
constexpr CScrollManager::AXIS_INPUT kInput{.nUndoValue = 5,
                                             .wFlagStart = ScrollCalc::DEVFLAG_LEFT,
                                             .wFlagEnd = ScrollCalc::DEVFLAG_RIGHT,
                                             .nPageIdx = 1,
                                             .nLineIdx = 0,
                                             .nWheelLineIdx = 8,
                                             .nWheelPageIdx = 9,
                                             .wSpinFlagPlus = ScrollCalc::DEVFLAG_RIGHT,
                                             .wSpinFlagMinus = ScrollCalc::DEVFLAG_LEFT};

}  // namespace

CScrlMngrH::CScrlMngrH(const SCROLLBAR_ARGS& args, const SCROLLBAR_CONTROLS& ctl)
    : CScrollManager(args, KIND_H, ctl)
{
}

void CScrlMngrH::Init()
{
    m_nDesktopSize = static_cast<int>(DesktopRect().right);
    CScrollManager::Init();
}

void CScrlMngrH::OnSpinDelta(int nDelta) { SpinBy(nDelta, kInput); }

void CScrlMngrH::OnLButtonDown(POINT pt, BOOL bAlt) { Press(pt, bAlt, kInput); }

void CScrlMngrH::MoveAllWindows(int nDelta, BOOL bAtOnce) { DragBy(nDelta, bAtOnce, L"CScrlMngrH"); }

POINT CScrlMngrH::LimitResize(POINT ptScreen) { return LimitResizeBy(ptScreen, GetSystemMetrics(SM_CYHSCROLL)); }

void CScrlMngrH::ReportBarRect() { Report(1); }

BOOL CScrlMngrH::OnMouseWheel(UINT nFlags, int nDelta, POINT) { return WheelBy(nFlags, nDelta, kInput); }
