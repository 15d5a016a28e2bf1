// CMinimizedWnds: the minimised windows of the move list with the places they come back to, and
// the min/max event seen last. A restored window's place is kept as it was when the window went
// down; every completed scroll shifts it by as much as it moved the others, so that the window
// comes up where it would stand had it been moved with them. Only the main window's thread uses it.
#pragma once
#include <windows.h>

#include <list>

#include "UndoKind.h"

class CMinimizedWnds {
public:
    CMinimizedWnds() noexcept = default;
    CMinimizedWnds(const CMinimizedWnds&) = delete;
    CMinimizedWnds& operator=(const CMinimizedWnds&) = delete;

    // The entry of hWnd; null when it has none.
    const MINIMIZED_WND_POS* Find(HWND hWnd) const noexcept;
    BOOL Contains(HWND hWnd) const noexcept { return Find(hWnd) != nullptr; }
    // Appended last; FALSE (and nothing changes) for a window that has an entry already.
    BOOL Add(const MINIMIZED_WND_POS& pos) noexcept;
    BOOL Remove(HWND hWnd) noexcept;
    // Entries of windows gone since are dropped, so that no later window taking a handle of theirs
    // inherits one.
    void DropGone() noexcept;
    // A completed scroll moved every window by (dx, dy): the restored places follow, held at the
    // limits of int rather than wrapped round.
    void Shift(int dx, int dy) noexcept;
    void Clear() noexcept { m_lst.clear(); }
    const std::list<MINIMIZED_WND_POS>& List() const noexcept { return m_lst; }

    // The min/max event seen last, of hWnd with nCmdShow.
    void NoteMinMax(HWND hWnd, int nCmdShow) noexcept
    {
        m_hWndPrevMinMax = hWnd;
        m_nCmdShowPrevMinMax = nCmdShow;
    }
    // The event seen last was hWnd's restore.
    BOOL WasJustRestored(HWND hWnd) const noexcept
    {
        return hWnd == m_hWndPrevMinMax && m_nCmdShowPrevMinMax == SW_RESTORE;
    }

private:
    std::list<MINIMIZED_WND_POS> m_lst;
    HWND m_hWndPrevMinMax = nullptr;
    int m_nCmdShowPrevMinMax = SW_SHOWNORMAL;
};
