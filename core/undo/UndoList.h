// The undo list (oldest at the head, at most Undo "Depth" items) and the pending save-for-undo
// requests. No desktop access of their own: the items carry theirs (UndoItem.h).
#pragma once
#include <windows.h>

#include <list>
#include <memory>
#include <vector>

#include "PostedRecordPool.h"
#include "UndoItem.h"

inline constexpr int UNDO_DEPTH_MIN = 1;
inline constexpr int UNDO_DEPTH_MAX = 100;
// Undo "Depth" as the list keeps it: a registry value below 1 counts as 1, above 100 as 100.
int ClampUndoDepth(int nDepth) noexcept;

class CUndoList {
public:
    struct ADD_RESULT {
        bool bAdded = false;
        const CUndoItem* pLast = nullptr;  // the last valid item before the add, or null
        int nLastKind = UK_NONE;
    };

    // Drops the invalid items from the tail; if the new item equals the last valid one it is
    // deleted, else appended (remembering nTicket, 0 for none) and the oldest items go until at
    // most ClampUndoDepth(nDepth) remain.
    ADD_RESULT Add(std::unique_ptr<CUndoItem> pItem, int nDepth, UINT nTicket = 0);
    // The oldest items go until at most ClampUndoDepth(nDepth) remain (a new Depth applied).
    void Trim(int nDepth) noexcept;
    // The last valid item, dropping invalid ones from the tail; null when none is left.
    CUndoItem* LastValid();
    // The last item that is valid and changed, dropping every other one from the tail.
    CUndoItem* LastUndoItem();
    // The tail item, as it is, out of the list.
    std::unique_ptr<CUndoItem> TakeLast();
    // Deletes the tail item only when the save request numbered nTicket (not 0) added it.
    BOOL DeleteLastOf(UINT nTicket);
    CUndoItem* Last() const noexcept { return m_lst.empty() ? nullptr : m_lst.back().pItem.get(); }
    UINT LastTicket() const noexcept { return m_lst.empty() ? 0 : m_lst.back().nTicket; }
    size_t GetCount() const noexcept { return m_lst.size(); }
    bool IsEmpty() const noexcept { return m_lst.empty(); }
    void Clear() noexcept { m_lst.clear(); }

private:
    struct ENTRY {
        std::unique_ptr<CUndoItem> pItem;
        UINT nTicket = 0;
    };
    std::list<ENTRY> m_lst;
};

// A save-for-undo request (MSG_SAVE_FOR_UNDO's lParam).
struct LPRM_SAVE_FOR_UNDO {
    INT_PTR nValue = 0;  // UK_ALIGN: sub-kind; UK_RESIZE: bar 1 or 2; UK_RESIZEWND: the record
    void* pv = nullptr;  // UK_RESIZE: the bar's rectangle before the change; UK_RESIZEWND: window or null
    INT_PTR nExtra = 0;  // UK_RESIZEWND: show command for SetPrevResizeWnd, or UNDO_NO_SHOW_CMD
    UINT nTicket = 0;    // the request's number, never 0: the item it adds carries it
};

// Save requests posted by pointer (MSG_SAVE_FOR_UNDO), each numbered with a ticket.
class CSaveForUndoPool : public CPostedRecordPool<LPRM_SAVE_FOR_UNDO> {
public:
    // A new record numbered with the next ticket.
    LPRM_SAVE_FOR_UNDO* Add(INT_PTR nValue, void* pv, INT_PTR nExtra);
    std::unique_ptr<LPRM_SAVE_FOR_UNDO> Take(LPARAM lParam) noexcept
    {
        return CPostedRecordPool::Take(static_cast<ULONG_PTR>(lParam));
    }

private:
    UINT m_nNextTicket = 0;
};
