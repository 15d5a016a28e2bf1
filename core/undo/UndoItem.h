// The undo items: each puts windows back as they stood before a scroll or an arrangement
// (CUndoAlign), a change of a scroll-bar window (CUndoResize) or a change of an application
// window by the user (CUndoResizeWnd). Every look at or change of the desktop goes through
// IUndoHost, which the hidden main window implements and the unit tests fake.
#pragma once
#include <windows.h>

#include <algorithm>
#include <list>
#include <memory>
#include <vector>

#include "ScrollMove.h"
#include "UndoKind.h"

class IUndoHost {
public:
    virtual ~IUndoHost() = default;
    virtual BOOL IsWindow(HWND hWnd) = 0;
    virtual BOOL GetPlacement(HWND hWnd, WINDOWPLACEMENT* pwp) = 0;
    virtual BOOL SetPlacement(HWND hWnd, const WINDOWPLACEMENT& wp) = 0;
    // Where the window stands, or where a move in flight has sent it.
    virtual BOOL GetWindowRect(HWND hWnd, RECT* prc) = 0;
    virtual BOOL IsVisible(HWND hWnd) = 0;
    virtual BOOL ShowWindow(HWND hWnd, int nCmdShow) = 0;
    virtual HWND GetOwner(HWND hWnd) = 0;   // GetWindow(GW_OWNER)
    virtual HWND GetParent(HWND hWnd) = 0;  // GetParent
    // In the move list or in the fixed list.
    virtual BOOL IsMoveOrFixWnd(HWND hWnd) = 0;
    // The horizontal (nBar 1) or vertical (nBar 2) scroll-bar window; null while there is none.
    virtual HWND GetScrollBarWnd(int nBar) = 0;
    // Tells the window tracking (MSG_MINIMIZED_WND) that the window's minimised state changes.
    virtual void PostMinimizedWnd(HWND hWnd) = 0;
    // A move in which every window has its own target is built at the host's speed and started;
    // FALSE when none started.
    virtual BOOL StartMultiMove(std::list<HWND_OFFSET_MULT> lstMult) = 0;
    // Keeps a scroll-bar rectangle in the settings and hands it to the shown bar.
    virtual void StoreBarRect(int nBar, const RECT& rc) = 0;
};

// The show command stands for a minimised window.
inline bool IsMinimizedShowCmd(UINT nCmd) noexcept { return nCmd == SW_SHOWMINIMIZED || nCmd == SW_MINIMIZE; }

// The rectangle an undo keeps of a window: where it stands (or is being sent) while it is
// neither minimised nor maximised, else its restored rectangle.
RECT UndoWndRect(IUndoHost& host, HWND hWnd, const WINDOWPLACEMENT& wp);

// The top-left an arrangement or scroll record keeps of a window: where it stands (or is being
// sent), or its restored top-left while it is minimised.
POINT UndoAlignPoint(IUndoHost& host, HWND hWnd, const WINDOWPLACEMENT& wp);

// Entries.
struct UNDO_ALIGN_ENTRY {
    HWND hWnd = nullptr;
    int x = 0;
    int y = 0;
    int nCmdShow = 0;
};
struct UNDO_BAR_ENTRY {
    HWND hWnd = nullptr;
    RECT rc{};
    int nBar = 0;  // 1 horizontal, 2 vertical
};
using UNDO_WND_ENTRY = ITEM_UNDO;

class CUndoItem {
public:
    CUndoItem(IUndoHost& host, int nKind) : m_pHost(&host), m_nKind(nKind) {}
    virtual ~CUndoItem() = default;
    CUndoItem(const CUndoItem&) = delete;
    CUndoItem& operator=(const CUndoItem&) = delete;

    int GetKind() const noexcept { return m_nKind; }
    virtual size_t GetCount() const noexcept = 0;
    // Puts the windows back; FALSE when nothing was done.
    virtual BOOL Undo() = 0;
    // The item can still be undone at all.
    virtual BOOL IsValid() = 0;
    // Same kind and entry count; the subclasses compare the entries too.
    virtual BOOL IsEqual(const CUndoItem& other) const;
    // The windows stand otherwise than saved: undoing would change something.
    virtual BOOL IsChanged() = 0;

protected:
    IUndoHost* m_pHost;

private:
    int m_nKind;
};

// Two entries alike, for IsEqual: the same window in the same state.
bool SameEntry(const UNDO_ALIGN_ENTRY& a, const UNDO_ALIGN_ENTRY& b) noexcept;
bool SameEntry(const UNDO_BAR_ENTRY& a, const UNDO_BAR_ENTRY& b) noexcept;
bool SameEntry(const UNDO_WND_ENTRY& a, const UNDO_WND_ENTRY& b) noexcept;

// An item of one kind of entry: the entries, their count, and equality entry by entry (an item of
// the same kind is of the same class).
template <class ENTRY>
class CUndoItemOf : public CUndoItem {
public:
    const std::vector<ENTRY>& GetEntries() const noexcept { return m_lst; }
    size_t GetCount() const noexcept override { return m_lst.size(); }
    BOOL IsEqual(const CUndoItem& other) const override
    {
        if (!CUndoItem::IsEqual(other))
            return FALSE;
        const auto& lstOther = static_cast<const CUndoItemOf&>(other).m_lst;
        return std::equal(m_lst.begin(), m_lst.end(), lstOther.begin(),
                          [](const ENTRY& a, const ENTRY& b) { return SameEntry(a, b); })
                   ? TRUE
                   : FALSE;
    }

protected:
    using CUndoItem::CUndoItem;
    std::vector<ENTRY> m_lst;
};

class CUndoAlign : public CUndoItemOf<UNDO_ALIGN_ENTRY> {
public:
    CUndoAlign(IUndoHost& host, int nAlignKind) : CUndoItemOf(host, UK_ALIGN), m_nAlignKind(nAlignKind) {}
    int GetAlignKind() const noexcept { return m_nAlignKind; }
    void Add(const UNDO_ALIGN_ENTRY& entry) { m_lst.push_back(entry); }
    // One move in which each window still there goes back to its saved top-left; a maximised or
    // minimised window carries its placement, whose show command the move applies again.
    BOOL Undo() override;
    BOOL IsValid() override { return TRUE; }
    BOOL IsChanged() override { return TRUE; }

private:
    int m_nAlignKind;
};

class CUndoResize : public CUndoItemOf<UNDO_BAR_ENTRY> {
public:
    explicit CUndoResize(IUndoHost& host) : CUndoItemOf(host, UK_RESIZE) {}
    void Add(const UNDO_BAR_ENTRY& entry) { m_lst.push_back(entry); }
    // Stores each bar's saved rectangle in the settings and hands it to the bar.
    BOOL Undo() override;
    BOOL IsValid() override;
    BOOL IsChanged() override;
};

class CUndoResizeWnd : public CUndoItemOf<UNDO_WND_ENTRY> {
public:
    explicit CUndoResizeWnd(IUndoHost& host) : CUndoItemOf(host, UK_RESIZEWND) {}
    // A show command SW_SHOWMINIMIZED is kept as SW_MINIMIZE, which does not activate.
    void Add(const UNDO_WND_ENTRY& entry);
    BOOL Undo() override;
    BOOL IsValid() override;
    BOOL IsChanged() override;
};
