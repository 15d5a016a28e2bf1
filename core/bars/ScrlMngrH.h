// The drag manager of the horizontal scroll-bar window: x is its drag coordinate, the spin lies
// at its right end, and it scrolls left and right by the horizontal Scroll width entries.
#pragma once
#include "ScrollManager.h"

class CScrlMngrH : public CScrollManager {
public:
    CScrlMngrH(const SCROLLBAR_ARGS& args, const SCROLLBAR_CONTROLS& ctl);

    void Init() override;
    void OnSpinDelta(int nDelta) override;
    void OnLButtonDown(POINT pt, BOOL bAlt) override;
    void MoveAllWindows(int nDelta, BOOL bAtOnce) override;
    POINT LimitResize(POINT ptScreen) override;
    void ReportBarRect() override;
    BOOL OnMouseWheel(UINT nFlags, int nDelta, POINT pt) override;
};
