// CIgnoreActivation: a run of presses of the ignore-activation key, and the timer item that ends
// the run when the user stops short. Pressed its set number of times, the key lets the next
// activation pass unscrolled; any other key, a settings apply or the item's tick start it over.
// The window adds and deletes the item; this class only remembers it.
#pragma once
#include <windows.h>

#include "KeyMatch.h"

class CIgnoreActivation {
public:
    int GetCount() const noexcept { return m_nCnt; }
    // A run is under way, or its item still runs.
    bool IsUnderWay() const noexcept { return m_nCnt != 0 || m_nTmr != 0; }
    // The run has reached exactly nSetting presses: the next activation is not scrolled for.
    bool IsArmed(int nSetting) const noexcept { return m_nCnt == nSetting; }
    // One more press, by KeyMatch's rule: the caller starts the item (Started) and ends the run
    // (Reset) when it says so.
    KeyMatch::IGNORE_PRESS Press(int nSetting) noexcept
    {
        const KeyMatch::IGNORE_PRESS press = KeyMatch::CountIgnorePress(m_nCnt, m_nTmr != 0, nSetting);
        ++m_nCnt;
        return press;
    }
    // The run's item has been started (0: it could not be).
    void Started(int nTmr) noexcept { m_nTmr = nTmr; }
    // Ends the run; the caller deletes the item this hands back (0 when none ran).
    int Reset() noexcept
    {
        const int nTmr = m_nTmr;
        m_nTmr = 0;
        m_nCnt = 0;
        return nTmr;
    }

private:
    int m_nCnt = 0;
    int m_nTmr = 0;
};
