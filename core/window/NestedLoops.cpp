#include "NestedLoops.h"

CNestedLoops::ENDS CNestedLoops::Leave() noexcept
{
    if (--m_nDepth != 0)
        return ENDS{};
    ENDS ends = m_ends;
    m_ends.n = 0;
    return ends;
}

BOOL CNestedLoops::Defer(UINT uMsg, WPARAM wParam) noexcept
{
    if (m_nDepth == 0)
        return FALSE;
    for (size_t i = 0; i < m_ends.n; ++i) {
        if (m_ends.a[i].uMsg == uMsg) {
            m_ends.a[i].wParam = wParam;
            return TRUE;
        }
    }
    // The kinds of end are few: more than the room holds would be a kind nobody posts.
    if (m_ends.n < m_ends.a.size())
        m_ends.a[m_ends.n++] = DEFERRED_END{uMsg, wParam};
    return TRUE;
}
