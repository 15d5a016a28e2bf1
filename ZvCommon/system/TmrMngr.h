#pragma once
#include <memory>
#include <vector>
#include <windows.h>

#include "TmrItem.h"

// Identifier of the one window timer whose WM_TIMER drives CTmrMngr::Tick.
inline constexpr UINT_PTR TMR_MNGR_TIMER_ID = 1;

// The software timers of one program, advanced by one window timer on the owner
// window (SetTimer with TMR_MNGR_TIMER_ID and the tick as period). Used from the
// owner window's thread only, so it takes no locks.
class CTmrMngr {
public:
    CTmrMngr(HWND hWndOwner, UINT uTick);
    virtual ~CTmrMngr();

    CTmrMngr(const CTmrMngr&) = delete;
    CTmrMngr& operator=(const CTmrMngr&) = delete;

    // Returns the new item's identifier (stopped), or 0 when the target is not a
    // window, the message is below WM_APP or the period is shorter than the tick.
    int AddTmr(const TMR_ITEM_PARAM& param);
    BOOL DeleteTmr(int nId);
    // Starting a running item restarts its period.
    BOOL StartTmr(int nId);
    BOOL StopTmr(int nId);
    // TRUE when at least one message was posted in this tick.
    BOOL Tick();

    const CTmrItem* FindTmr(int nId) const;
    size_t GetCount() const { return m_lstTmr.size(); }
    UINT GetTick() const { return m_uTick; }
    HWND GetOwner() const { return m_hWndOwner; }

private:
    using TmrList = std::vector<std::unique_ptr<CTmrItem>>;

    // The item's place in the list, or end() when there is none with that identifier.
    TmrList::const_iterator FindIt(int nId) const;
    CTmrItem* Find(int nId) const;

    HWND m_hWndOwner;
    UINT m_uTick;
    TmrList m_lstTmr;
};

// The process-wide identifier counter shared by all managers: the last identifier
// given out. For tests and diagnostics; programs never set it.
int GetTmrIdCounter();
void SetTmrIdCounter(int nLastId);
