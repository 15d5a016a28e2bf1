#include "TmrMngr.h"

#include <algorithm>

namespace {

int s_nTmrIdCounter = 0;

// 0 means "no timer" to every caller, so the sequence skips it when it wraps.
int NextTmrId() {
    s_nTmrIdCounter = static_cast<int>(static_cast<unsigned>(s_nTmrIdCounter) + 1u);
    if (s_nTmrIdCounter == 0)
        s_nTmrIdCounter = 1;
    return s_nTmrIdCounter;
}

}  // namespace

int GetTmrIdCounter() { return s_nTmrIdCounter; }

void SetTmrIdCounter(int nLastId) { s_nTmrIdCounter = nLastId; }

CTmrMngr::CTmrMngr(HWND hWndOwner, UINT uTick) : m_hWndOwner(hWndOwner), m_uTick(uTick) {}

CTmrMngr::~CTmrMngr() = default;

int CTmrMngr::AddTmr(const TMR_ITEM_PARAM& param) {
    if (!IsWindow(param.hWnd) || param.uMsg < WM_APP || param.uPeriod < m_uTick)
        return 0;
    const int nId = NextTmrId();
    m_lstTmr.push_back(std::make_unique<CTmrItem>(param, nId));
    return nId;
}

CTmrMngr::TmrList::const_iterator CTmrMngr::FindIt(int nId) const {
    return std::find_if(m_lstTmr.begin(), m_lstTmr.end(),
                        [nId](const std::unique_ptr<CTmrItem>& p) { return p->m_nId == nId; });
}

CTmrItem* CTmrMngr::Find(int nId) const {
    const auto it = FindIt(nId);
    return it == m_lstTmr.end() ? nullptr : it->get();
}

const CTmrItem* CTmrMngr::FindTmr(int nId) const { return Find(nId); }

BOOL CTmrMngr::DeleteTmr(int nId) {
    const auto it = FindIt(nId);
    if (it == m_lstTmr.end())
        return FALSE;
    m_lstTmr.erase(it);
    return TRUE;
}

BOOL CTmrMngr::StartTmr(int nId) {
    CTmrItem* pItem = Find(nId);
    if (!pItem)
        return FALSE;
    pItem->m_bEnable = TRUE;
    pItem->m_uElapsed = 0;
    return TRUE;
}

BOOL CTmrMngr::StopTmr(int nId) {
    CTmrItem* pItem = Find(nId);
    if (!pItem)
        return FALSE;
    pItem->m_bEnable = FALSE;
    pItem->m_uElapsed = 0;
    return TRUE;
}

BOOL CTmrMngr::Tick() {
    BOOL bPosted = FALSE;
    for (const auto& pItem : m_lstTmr) {
        if (!pItem->m_bEnable)
            continue;
        pItem->m_uElapsed += m_uTick;
        if (pItem->m_uElapsed < pItem->m_uPeriod)
            continue;
        // A vanished target does not stop the item: each due tick resets it silently.
        if (IsWindow(pItem->m_hWnd) &&
            PostMessageW(pItem->m_hWnd, pItem->m_uMsg, pItem->m_wParam, pItem->m_lParam))
            bPosted = TRUE;
        pItem->m_uElapsed = 0;
    }
    return bPosted;
}
