// A request that only needs its latest answer (the window lists counted, every window redrawn),
// asked for by posted messages that any program can send in a flood. Before each answer the window
// posts itself a mark, which lands behind everything queued so far. While the mark is in the queue,
// every posted request the window takes was posted before that answer began, so the answer holds
// for it already except for what changed since: such a request costs nothing now and owes one
// answer, given when the mark comes round (with a new mark). However many requests are queued,
// they cost two answers a pass through the queue, and the last answer begins after the last request
// was posted, as if each had been answered in turn.
#pragma once
#include <windows.h>

#include <utility>

class CCoalescedRequest {
public:
    // TRUE: answer now. FALSE: the answer under way holds; one more is owed for the mark.
    bool Ask() noexcept
    {
        if (m_bMarkQueued)
            m_bOwed = true;
        return !m_bMarkQueued;
    }
    // Right before every answer, asked for or not, since it answers whatever is owed. TRUE when the
    // caller is to post the mark numbered MarkNumber() now; a mark still queued serves on.
    bool BeginAnswer() noexcept
    {
        m_bOwed = false;
        if (m_bMarkQueued)
            return false;
        m_bMarkQueued = true;
        // Never 0, so that a zeroed message is no mark.
        if (++m_nMark == 0)
            m_nMark = 1;
        return true;
    }
    LPARAM MarkNumber() const noexcept { return m_nMark; }
    // The mark could not be posted: the next request is answered at once.
    void MarkLost() noexcept { m_bMarkQueued = false; }
    // A mark came round. TRUE when an answer is owed: the caller answers now (BeginAnswer first).
    // Another number (an older mark, another program's post) changes nothing.
    bool MarkArrived(LPARAM nMark) noexcept
    {
        if (!m_bMarkQueued || nMark != m_nMark)
            return false;
        m_bMarkQueued = false;
        return std::exchange(m_bOwed, false);
    }
    // Every posted message taken now was posted before the last answer began.
    bool IsMarkQueued() const noexcept { return m_bMarkQueued; }
    bool IsOwed() const noexcept { return m_bOwed; }

private:
    bool m_bMarkQueued = false;
    bool m_bOwed = false;
    LPARAM m_nMark = 0;
};
