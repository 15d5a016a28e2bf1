#include "ScrlMngrV.h"

#include "ScrollCalc.h"

namespace {

// Towards the start is up, towards the end down; the up arrow of the spin scrolls up.
// Scroll width entries: mouse line and page, wheel line and page of this axis.
constexpr CScrollManager::AXIS_INPUT kInput{.nUndoValue = 6,
                                             .wFlagStart = ScrollCalc::DEVFLAG_UP,
                                             .wFlagEnd = ScrollCalc::DEVFLAG_DOWN,
                                             .nPageIdx = 3,
                                             .nLineIdx = 2,
                                             .nWheelLineIdx = 10,
                                             .nWheelPageIdx = 11,
                                             .wSpinFlagPlus = ScrollCalc::DEVFLAG_UP,
                                             .wSpinFlagMinus = ScrollCalc::DEVFLAG_DOWN};

}  // namespace

CScrlMngrV::CScrlMngrV(const SCROLLBAR_ARGS& args, const SCROLLBAR_CONTROLS& ctl)
    : CScrollManager(args, KIND_V, ctl)
{
}

void CScrlMngrV::Init()
{
    m_nDesktopSize = static_cast<int>(DesktopRect().bottom);
    CScrollManager::Init();
}

void CScrlMngrV::OnSpinDelta(int nDelta) { SpinBy(nDelta, kInput); }

void CScrlMngrV::OnLButtonDown(POINT pt, BOOL bAlt) { Press(pt, bAlt, kInput); }

void CScrlMngrV::MoveAllWindows(int nDelta, BOOL bAtOnce) { DragBy(nDelta, bAtOnce, L"CScrlMngrV"); }

POINT CScrlMngrV::LimitResize(POINT ptScreen) { return LimitResizeBy(ptScreen, GetSystemMetrics(SM_CXVSCROLL)); }

void CScrlMngrV::ReportBarRect() { Report(2); }

BOOL CScrlMngrV::OnMouseWheel(UINT nFlags, int nDelta, POINT) { return WheelBy(nFlags, nDelta, kInput); }
