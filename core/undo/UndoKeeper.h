// The undo's state, kept apart from the hidden main window that routes to it: the save requests
// still in the queue, the undo list, the previous resizable window as it stood, the two marks and
// the mouse watch that tells when the user has let go of a window's frame. The window's
// ZvCoreDlgUndo.cpp builds and carries out the items; this class only remembers.
#pragma once
#include <windows.h>

#include <memory>

#include "UndoItem.h"
#include "UndoKind.h"
#include "UndoList.h"

class CUndoKeeper {
public:
    CUndoKeeper() noexcept = default;
    CUndoKeeper(const CUndoKeeper&) = delete;
    CUndoKeeper& operator=(const CUndoKeeper&) = delete;

    // The desktop as the items see it; made by the window on first use.
    IUndoHost* GetHost() const noexcept { return m_pHost.get(); }
    void SetHost(std::unique_ptr<IUndoHost> pHost) noexcept { m_pHost = std::move(pHost); }

    // MSG_SAVE_FOR_UNDO to hWnd with a record of the pool; *pnTicket (when given) gets its number,
    // 0 when it could not be posted.
    BOOL PostSave(HWND hWnd, int nKind, INT_PTR nValue, void* pv, INT_PTR nExtra, UINT* pnTicket) noexcept;
    // Only a record this keeper handed out; null for any other.
    std::unique_ptr<LPRM_SAVE_FOR_UNDO> TakeSave(LPARAM lParam) noexcept { return m_saveReq.Take(lParam); }
    BOOL IsSavePending() const noexcept { return m_saveReq.GetCount() != 0; }

    CUndoList& List() noexcept { return m_lstUndo; }
    const CUndoList& List() const noexcept { return m_lstUndo; }

    // The previous resizable window; a UK_RESIZEWND request carries its address.
    ITEM_UNDO& PrevWnd() noexcept { return m_itemUndo; }
    INT_PTR PrevWndTag() noexcept { return reinterpret_cast<INT_PTR>(&m_itemUndo); }

    // The resize mark refuses the next window-resize record (set when a move ends and by an undo);
    // the keyboard mark says the last input was a key.
    BOOL IsResizeMarked() const noexcept { return m_bResizeMark != 0; }
    void SetResizeMark(BOOL bOn) noexcept { m_bResizeMark = bOn ? 1 : 0; }
    BOOL IsKeybdMarked() const noexcept { return m_bKeybdMark != 0; }
    void SetKeybdMark(BOOL bOn) noexcept { m_bKeybdMark = bOn ? 1 : 0; }

    // A hooked mouse message (uMsg) seen by the watch of the previous resizable window: a change the
    // user made to it asks hWnd for a record once the press that made it is over. bBarDragNow: a
    // scroll-bar window is being dragged, whose own records are asked for by the bar.
    void WatchMouse(HWND hWnd, UINT uMsg, BOOL bBarDragNow) noexcept;
    void ResetMouseWatch() noexcept
    {
        m_bNcPressPending = FALSE;
        m_bBarDragging = FALSE;
    }

    // The window goes: the requests still queued and the list.
    void Clear() noexcept
    {
        m_saveReq.Clear();
        m_lstUndo.Clear();
    }

private:
    std::unique_ptr<IUndoHost> m_pHost;
    CSaveForUndoPool m_saveReq;
    CUndoList m_lstUndo;
    ITEM_UNDO m_itemUndo;
    int m_bResizeMark = 0;
    int m_bKeybdMark = 0;
    // A non-client press waits for its release; a scroll-bar window was dragged.
    BOOL m_bNcPressPending = FALSE;
    BOOL m_bBarDragging = FALSE;
};
