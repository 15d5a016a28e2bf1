#include "UndoItem.h"

#include <algorithm>
#include <cstdint>

#include "ScrollCalc.h"
#include "WndUtil.h"

namespace {

bool ReadPlacement(IUndoHost& host, HWND hWnd, WINDOWPLACEMENT& wp)
{
    wp = WINDOWPLACEMENT{};
    wp.length = sizeof(wp);
    return host.GetPlacement(hWnd, &wp) != FALSE;
}

}  // namespace

RECT UndoWndRect(IUndoHost& host, HWND hWnd, const WINDOWPLACEMENT& wp)
{
    RECT rc{};
    if (wp.showCmd != SW_SHOWMAXIMIZED && !IsMinimizedShowCmd(wp.showCmd) && host.GetWindowRect(hWnd, &rc))
        return rc;
    return wp.rcNormalPosition;
}

POINT UndoAlignPoint(IUndoHost& host, HWND hWnd, const WINDOWPLACEMENT& wp)
{
    RECT rc{};
    if (IsMinimizedShowCmd(wp.showCmd) || !host.GetWindowRect(hWnd, &rc))
        rc = wp.rcNormalPosition;
    return POINT{rc.left, rc.top};
}

BOOL CUndoItem::IsEqual(const CUndoItem& other) const
{
    return GetKind() == other.GetKind() && GetCount() == other.GetCount();
}

bool SameEntry(const UNDO_ALIGN_ENTRY& a, const UNDO_ALIGN_ENTRY& b) noexcept
{
    return a.hWnd == b.hWnd && a.x == b.x && a.y == b.y &&
           IsSameShowCmd(static_cast<UINT>(a.nCmdShow), static_cast<UINT>(b.nCmdShow));
}

bool SameEntry(const UNDO_BAR_ENTRY& a, const UNDO_BAR_ENTRY& b) noexcept
{
    return a.hWnd == b.hWnd && a.nBar == b.nBar && EqualRect(&a.rc, &b.rc);
}

bool SameEntry(const UNDO_WND_ENTRY& a, const UNDO_WND_ENTRY& b) noexcept
{
    return a.hWnd == b.hWnd && IsSameShowCmd(static_cast<UINT>(a.nCmdShow), static_cast<UINT>(b.nCmdShow)) &&
           EqualRect(&a.rc, &b.rc) && a.bVisible == b.bVisible;
}

// ---- CUndoAlign ----

BOOL CUndoAlign::Undo()
{
    if (m_lst.empty())
        return FALSE;
    std::list<HWND_OFFSET_MULT> lstMult;
    for (const UNDO_ALIGN_ENTRY& entry : m_lst) {
        WINDOWPLACEMENT wp{};
        if (!entry.hWnd || !m_pHost->IsWindow(entry.hWnd) || !ReadPlacement(*m_pHost, entry.hWnd, wp))
            continue;
        // A window of the move list that still has a minimised-list entry (restored without being
        // activated) is saved twice: two entries would move it by the sum of both offsets.
        if (std::any_of(lstMult.begin(), lstMult.end(), [&](const HWND_OFFSET_MULT& m) { return m.hWnd == entry.hWnd; }))
            continue;
        const POINT pt = UndoAlignPoint(*m_pHost, entry.hWnd, wp);
        HWND_OFFSET_MULT& mult = lstMult.emplace_back();
        mult.hWnd = entry.hWnd;
        mult.ldOffsetH = ScrollCalc::Saturate(static_cast<int64_t>(entry.x) - pt.x);
        mult.ldOffsetV = ScrollCalc::Saturate(static_cast<int64_t>(entry.y) - pt.y);
        // A normal window needs no show command again (SW_SHOWNORMAL could only activate it).
        if (wp.showCmd != SW_SHOWNORMAL)
            mult.pwp = std::make_unique<WINDOWPLACEMENT>(wp);
    }
    if (lstMult.empty())
        return FALSE;
    return m_pHost->StartMultiMove(std::move(lstMult));
}


// ---- CUndoResize ----

BOOL CUndoResize::Undo()
{
    if (m_lst.empty())
        return FALSE;
    for (const UNDO_BAR_ENTRY& entry : m_lst) {
        if (entry.hWnd && m_pHost->IsWindow(entry.hWnd))
            m_pHost->StoreBarRect(entry.nBar, entry.rc);
    }
    return TRUE;
}

BOOL CUndoResize::IsValid()
{
    const HWND hWndH = m_pHost->GetScrollBarWnd(1);
    const HWND hWndV = m_pHost->GetScrollBarWnd(2);
    for (const UNDO_BAR_ENTRY& entry : m_lst) {
        if (entry.hWnd && (entry.hWnd == hWndH || entry.hWnd == hWndV))
            return TRUE;
    }
    return FALSE;
}


BOOL CUndoResize::IsChanged()
{
    for (const UNDO_BAR_ENTRY& entry : m_lst) {
        if (!entry.hWnd || (entry.nBar != 1 && entry.nBar != 2) || entry.hWnd != m_pHost->GetScrollBarWnd(entry.nBar))
            continue;
        RECT rc{};
        if (m_pHost->GetWindowRect(entry.hWnd, &rc) && !EqualRect(&rc, &entry.rc))
            return TRUE;
    }
    return FALSE;
}

// ---- CUndoResizeWnd ----

void CUndoResizeWnd::Add(const UNDO_WND_ENTRY& entry)
{
    UNDO_WND_ENTRY& e = m_lst.emplace_back(entry);
    if (e.nCmdShow == SW_SHOWMINIMIZED)
        e.nCmdShow = SW_MINIMIZE;
}

BOOL CUndoResizeWnd::Undo()
{
    if (m_lst.empty())
        return FALSE;
    for (const UNDO_WND_ENTRY& entry : m_lst) {
        WINDOWPLACEMENT wp{};
        if (!entry.hWnd || !m_pHost->IsWindow(entry.hWnd) || !ReadPlacement(*m_pHost, entry.hWnd, wp))
            continue;
        const UINT nSaved = static_cast<UINT>(entry.nCmdShow);
        if (IsMinimizedShowCmd(nSaved) || IsMinimizedShowCmd(wp.showCmd))
            m_pHost->PostMinimizedWnd(entry.hWnd);
        if (nSaved != SW_SHOWMAXIMIZED)
            wp.rcNormalPosition = entry.rc;
        wp.showCmd = nSaved;
        m_pHost->SetPlacement(entry.hWnd, wp);

        // A hidden owner (the taskbar's stand-in of some programs) follows its window's state. A
        // visible one is a window of its own, the main window of a dialog say: it keeps its place
        // and size rather than being shrunk to nothing at the dialog's corner.
        const HWND hWndOwner = m_pHost->GetOwner(entry.hWnd);
        if (hWndOwner && m_pHost->IsWindow(hWndOwner) && hWndOwner != m_pHost->GetParent(entry.hWnd) &&
            !m_pHost->IsVisible(hWndOwner)) {
            WINDOWPLACEMENT wpOwner = wp;
            wpOwner.rcNormalPosition.right = wpOwner.rcNormalPosition.left;
            wpOwner.rcNormalPosition.bottom = wpOwner.rcNormalPosition.top;
            if (nSaved == SW_SHOWMAXIMIZED)
                wpOwner.showCmd = SW_SHOWNORMAL;
            m_pHost->SetPlacement(hWndOwner, wpOwner);
            WINDOWPLACEMENT wpNow{};
            if (!IsMinimizedShowCmd(nSaved) && nSaved != SW_SHOWMINNOACTIVE && ReadPlacement(*m_pHost, entry.hWnd, wpNow) &&
                (IsMinimizedShowCmd(wpNow.showCmd) || wpNow.showCmd == SW_SHOWMINNOACTIVE))
                m_pHost->ShowWindow(entry.hWnd, static_cast<int>(nSaved));
        }
    }
    return TRUE;
}

BOOL CUndoResizeWnd::IsValid()
{
    if (m_lst.empty())
        return FALSE;
    for (const UNDO_WND_ENTRY& entry : m_lst) {
        if (!entry.hWnd || !m_pHost->IsWindow(entry.hWnd) || !m_pHost->IsMoveOrFixWnd(entry.hWnd))
            return FALSE;
    }
    return TRUE;
}


BOOL CUndoResizeWnd::IsChanged()
{
    for (const UNDO_WND_ENTRY& entry : m_lst) {
        if (!entry.hWnd || !m_pHost->IsWindow(entry.hWnd) || !m_pHost->IsMoveOrFixWnd(entry.hWnd))
            continue;
        const UINT nSaved = static_cast<UINT>(entry.nCmdShow);
        const HWND hWndOwner = m_pHost->GetOwner(entry.hWnd);
        const bool bLiveOwner = hWndOwner && m_pHost->IsWindow(hWndOwner);
        WINDOWPLACEMENT wp{};
        if (m_pHost->IsVisible(entry.hWnd) || !bLiveOwner) {
            if (!ReadPlacement(*m_pHost, entry.hWnd, wp))
                continue;
            const RECT rcNow = UndoWndRect(*m_pHost, entry.hWnd, wp);
            if (!IsSameShowCmd(nSaved, wp.showCmd) || !EqualRect(&rcNow, &entry.rc))
                return TRUE;
        } else {
            if (!ReadPlacement(*m_pHost, hWndOwner, wp))
                continue;
            if (!IsSameShowCmd(nSaved, wp.showCmd))
                return TRUE;
            if (IsMinimizedShowCmd(wp.showCmd))
                continue;
            if (!EqualRect(&wp.rcNormalPosition, &entry.rc))
                return TRUE;
        }
    }
    return FALSE;
}
