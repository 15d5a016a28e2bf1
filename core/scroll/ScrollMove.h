// One move of all windows, pass by pass, without touching a window: the hidden main window
// asks for one step at a time and applies it. The move owns everything it walks over, so a
// step message that arrives after the move has ended finds nothing to touch.
#pragma once
#include <windows.h>

#include <list>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "PostedRecordPool.h"
#include "PropertySet.h"

// A move request. Every window moves by the negated offsets.
struct LPRM_MV_ALL_WNDS {
    LONG lOffsetH = 0;
    LONG lOffsetV = 0;
    BOOL bMouseMove = FALSE;     // the pointer follows when the move ends (View MouseMove on)
    HWND hWndExcept = nullptr;   // not moved, though counted
    BOOL bAtOnce = FALSE;
};

// One window of a smooth move.
struct HWND_OFFSET_MULT {
    HWND hWnd = nullptr;
    int ldOffsetH = 0;  // the window's whole move
    int ldOffsetV = 0;
    int ldDoneH = 0;
    int ldDoneV = 0;
    // Undo of a maximised or minimised window: its placement, whose show command is applied again
    // after each of its steps (a move of a maximised window leaves it restored on some systems).
    std::unique_ptr<WINDOWPLACEMENT> pwp;
};

// What one step asks of the window that runs the move.
struct MV_STEP_ACTION {
    HWND hWnd = nullptr;
    int nMovH = 0;
    int nMovV = 0;
    UINT nShowCmd = 0;      // show command to apply again after the move (0: none)
    bool bPassEnd = false;  // this was the last window of a pass
    bool bMoveEnd = false;  // ... and every window has reached its target
};

// Where the windows stood when a pass read them: a rectangle, or none for a window minimised or gone.
using WND_READS = std::unordered_map<HWND, std::optional<RECT>>;

class CScrollMove {
public:
    // Null when the request moves nothing: no window, both offsets 0, or smooth passes without
    // a rate curve to pace them.
    static std::unique_ptr<CScrollMove> Create(std::unique_ptr<LPRM_MV_ALL_WNDS> pRec, const std::list<HWND>& lstWnd,
                                               int nSpeed, const std::vector<SCROLL_RATE>& lstRate);

    // A move in which every window has its own target (an arrangement, an undo): smooth passes at
    // Speed, each window the whole way in the first pass when Speed is below 2. The request is all
    // zero (no pointer follow, no excepted window). Null when the list is empty.
    static std::unique_ptr<CScrollMove> CreateMulti(std::list<HWND_OFFSET_MULT> lstMult, int nSpeed,
                                                    const std::vector<SCROLL_RATE>& lstRate);

    // The next window of the current pass. Calling it after the move's end returns an empty action
    // with bMoveEnd set.
    MV_STEP_ACTION Step() noexcept;

    const LPRM_MV_ALL_WNDS& GetRequest() const noexcept { return *m_pRec; }
    BOOL IsAtOnce() const noexcept { return m_bAtOnce; }
    int GetPassCount() const noexcept { return m_nCnt; }
    // Windows still walked over: all of them at once, those not yet arrived when smooth.
    size_t GetEntryCount() const noexcept { return m_bAtOnce ? m_lstWnd.size() : m_lstMult.size(); }
    bool IsEnded() const noexcept { return m_bEnded; }
    // What the closing pass of an at-once move (which moves nothing and walks every window only so
    // that the move ends once the programs have taken their moves) read of a window on its way (prc null: minimised or gone): the scroll
    // range at the move's end is reckoned from these, rather than by asking every window again
    // while its program may still be taking its move.
    void NoteRead(HWND hWnd, const RECT* prc);
    WND_READS TakeReads() noexcept { return std::move(m_mapRead); }

private:
    CScrollMove() = default;
    MV_STEP_ACTION StepAtOnce() noexcept;
    MV_STEP_ACTION StepSmooth() noexcept;
    void EndPass(MV_STEP_ACTION& act, bool bLastReached) noexcept;

    std::unique_ptr<LPRM_MV_ALL_WNDS> m_pRec;
    int m_nSpeed = 0;
    std::vector<SCROLL_RATE> m_lstRate;
    int m_nCnt = 0;
    BOOL m_bAtOnce = FALSE;
    bool m_bEnded = false;
    // At once: every window, and the pass's move of each (the same for all).
    std::vector<HWND> m_lstWnd;
    size_t m_nPos = 0;
    int m_ldStepH = 0, m_ldStepV = 0;
    // Smooth: the windows not yet arrived.
    std::list<HWND_OFFSET_MULT> m_lstMult;
    std::list<HWND_OFFSET_MULT>::iterator m_itPos;
    bool m_bPassStarted = false;
    int m_nRate = 0;
    WND_READS m_mapRead;
};

// Move requests posted by pointer (MSG_MV_ALL_WNDS).
using CMoveRequestPool = CPostedRecordPool<LPRM_MV_ALL_WNDS>;
