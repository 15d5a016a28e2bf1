#include "UndoList.h"

#include <algorithm>

int ClampUndoDepth(int nDepth) noexcept { return std::clamp(nDepth, UNDO_DEPTH_MIN, UNDO_DEPTH_MAX); }

CUndoItem* CUndoList::LastValid()
{
    while (!m_lst.empty()) {
        if (m_lst.back().pItem && m_lst.back().pItem->IsValid())
            return m_lst.back().pItem.get();
        m_lst.pop_back();
    }
    return nullptr;
}

CUndoList::ADD_RESULT CUndoList::Add(std::unique_ptr<CUndoItem> pItem, int nDepth, UINT nTicket)
{
    ADD_RESULT res;
    if (!pItem)
        return res;
    const CUndoItem* pLast = LastValid();
    res.pLast = pLast;
    res.nLastKind = pLast ? pLast->GetKind() : UK_NONE;
    if (pLast && pItem->IsEqual(*pLast))
        return res;
    m_lst.push_back(ENTRY{std::move(pItem), nTicket});
    res.bAdded = true;
    Trim(nDepth);
    return res;
}

void CUndoList::Trim(int nDepth) noexcept
{
    const size_t nMax = static_cast<size_t>(ClampUndoDepth(nDepth));
    while (m_lst.size() > nMax)
        m_lst.pop_front();
}

CUndoItem* CUndoList::LastUndoItem()
{
    while (!m_lst.empty()) {
        CUndoItem* p = m_lst.back().pItem.get();
        if (p && p->IsValid() && p->IsChanged())
            return p;
        m_lst.pop_back();
    }
    return nullptr;
}

std::unique_ptr<CUndoItem> CUndoList::TakeLast()
{
    if (m_lst.empty())
        return nullptr;
    std::unique_ptr<CUndoItem> p = std::move(m_lst.back().pItem);
    m_lst.pop_back();
    return p;
}

BOOL CUndoList::DeleteLastOf(UINT nTicket)
{
    if (nTicket == 0 || m_lst.empty() || m_lst.back().nTicket != nTicket)
        return FALSE;
    m_lst.pop_back();
    return TRUE;
}

LPRM_SAVE_FOR_UNDO* CSaveForUndoPool::Add(INT_PTR nValue, void* pv, INT_PTR nExtra)
{
    if (++m_nNextTicket == 0)
        m_nNextTicket = 1;
    LPRM_SAVE_FOR_UNDO rec{};
    rec.nValue = nValue;
    rec.pv = pv;
    rec.nExtra = nExtra;
    rec.nTicket = m_nNextTicket;
    return CPostedRecordPool::Add(rec);
}
