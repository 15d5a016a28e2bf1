// The drag manager of the vertical scroll-bar window: y is its drag coordinate, the spin lies at
// its top, and it scrolls up and down by the vertical Scroll width entries.
#pragma once
#include "ScrollManager.h"

class CScrlMngrV : public CScrollManager {
public:
    CScrlMngrV(const SCROLLBAR_ARGS& args, const SCROLLBAR_CONTROLS& ctl);

    void Init() override;
    void OnSpinDelta(int nDelta) override;
    void OnLButtonDown(POINT pt, BOOL bAlt) override;
    void MoveAllWindows(int nDelta, BOOL bAtOnce) override;
    POINT LimitResize(POINT ptScreen) override;
    void ReportBarRect() override;
    BOOL OnMouseWheel(UINT nFlags, int nDelta, POINT pt) override;
};
