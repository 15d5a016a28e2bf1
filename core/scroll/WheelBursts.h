// CWheelBursts: the wheel bursts of the two axes. A burst opens with an axis's first wheel request
// and closes when its timer item ticks or a mouse button is pressed; while it is open, the wheel's
// requests of that axis count as one scroll for the undo. Only the main window's thread uses it.
#pragma once

#include <windows.h>

class CWheelBursts {
public:
    BOOL IsClosed(BOOL bVert) const noexcept { return Axis(bVert).bClosed; }
    // No item runs for the axis: the next wheel request opens a burst.
    bool NeedsItem(bool bVert) const noexcept { return Axis(bVert).nTmr == 0; }
    // The axis's timer item has been started (0: it could not be, and the burst stays closed).
    void Opened(bool bVert, int nTmr) noexcept
    {
        AXIS& axis = Axis(bVert);
        axis.nTmr = nTmr;
        if (nTmr)
            axis.bClosed = FALSE;
    }
    // Closes the axis's burst; the caller deletes the item this hands back (0 when none ran).
    int Close(bool bVert) noexcept
    {
        AXIS& axis = Axis(bVert);
        const int nTmr = axis.nTmr;
        axis.nTmr = 0;
        axis.bClosed = TRUE;
        return nTmr;
    }

private:
    struct AXIS {
        int nTmr = 0;
        BOOL bClosed = TRUE;
    };
    AXIS& Axis(bool bVert) noexcept { return m_aAxis[bVert ? 1 : 0]; }
    const AXIS& Axis(bool bVert) const noexcept { return m_aAxis[bVert ? 1 : 0]; }

    AXIS m_aAxis[2];
};
