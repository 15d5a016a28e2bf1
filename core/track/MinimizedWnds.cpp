#include "MinimizedWnds.h"

#include <algorithm>
#include <cstdint>

#include "ScrollCalc.h"

namespace {

template <class List> auto FindIn(List& lst, HWND hWnd) noexcept
{
    return std::find_if(lst.begin(), lst.end(), [hWnd](const MINIMIZED_WND_POS& e) { return e.hWnd == hWnd; });
}

}  // namespace

const MINIMIZED_WND_POS* CMinimizedWnds::Find(HWND hWnd) const noexcept
{
    const auto it = FindIn(m_lst, hWnd);
    return it != m_lst.end() ? &*it : nullptr;
}

BOOL CMinimizedWnds::Add(const MINIMIZED_WND_POS& pos) noexcept
{
    if (Contains(pos.hWnd))
        return FALSE;
    m_lst.push_back(pos);
    return TRUE;
}

BOOL CMinimizedWnds::Remove(HWND hWnd) noexcept
{
    const auto it = FindIn(m_lst, hWnd);
    if (it == m_lst.end())
        return FALSE;
    m_lst.erase(it);
    return TRUE;
}

void CMinimizedWnds::DropGone() noexcept
{
    m_lst.remove_if([](const MINIMIZED_WND_POS& e) { return !IsWindow(e.hWnd); });
}

void CMinimizedWnds::Shift(int dx, int dy) noexcept
{
    if (dx == 0 && dy == 0)
        return;
    for (MINIMIZED_WND_POS& e : m_lst) {
        e.xNormal = ScrollCalc::Saturate(static_cast<int64_t>(e.xNormal) + dx);
        e.yNormal = ScrollCalc::Saturate(static_cast<int64_t>(e.yNormal) + dy);
    }
}
