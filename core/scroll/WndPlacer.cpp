#include "WndPlacer.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace {

constexpr UINT kMoveFlags = SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE;

// A callback may come after its placer is gone: it finds it by number, never by pointer.
std::mutex g_mtxPlacers;
std::map<ULONG_PTR, CWndPlacer*> g_mapPlacers;
ULONG_PTR g_uNextId = 0;

bool IsSamePoint(POINT a, POINT b) noexcept
{
    return a.x == b.x && a.y == b.y;
}

}  // namespace

CWndPlacer::CWndPlacer()
{
    std::lock_guard<std::mutex> lock(g_mtxPlacers);
    m_uId = ++g_uNextId;
    g_mapPlacers[m_uId] = this;
}

CWndPlacer::~CWndPlacer()
{
    std::lock_guard<std::mutex> lock(g_mtxPlacers);
    g_mapPlacers.erase(m_uId);
}

BOOL CWndPlacer::MoveTo(HWND hWnd, int x, int y, DWORD dwTid) noexcept
{
    if (!dwTid)
        dwTid = GetWindowThreadProcessId(hWnd, nullptr);
    if (dwTid == GetCurrentThreadId())
        return SetWindowPos(hWnd, nullptr, x, y, 0, 0, kMoveFlags);
    const POINT pt{x, y};
    if (PENDING* p = Find(hWnd)) {
        p->ptWanted = pt;
        return TRUE;
    }
    // A window gone before its answer came leaves its entry behind. Looking for such entries asks
    // the system about every window listed, so the list is swept only once it has taken as many
    // new entries since the last sweep as it holds: a move of n windows asks about 2n at most,
    // not n * n / 2 as a sweep at every new entry did.
    if (m_nAddedSinceSweep >= m_lst.size()) {
        DropGone();
        m_nAddedSinceSweep = 0;
    }
    try {
        m_lst.push_back(PENDING{hWnd, dwTid, pt, pt, 0});
        ++m_nAddedSinceSweep;
    } catch (...) {
        return SetWindowPos(hWnd, nullptr, x, y, 0, 0, kMoveFlags | SWP_ASYNCWINDOWPOS);
    }
    return Send(m_lst.back());
}

BOOL CWndPlacer::Send(PENDING& p) noexcept
{
    const HWND hWnd = p.hWnd;
    p.ptSent = p.ptWanted;
    p.uTicket = 0;
    if (!SetWindowPos(hWnd, nullptr, p.ptSent.x, p.ptSent.y, 0, 0, kMoveFlags | SWP_ASYNCWINDOWPOS)) {
        m_lst.erase(m_lst.begin() + (&p - m_lst.data()));
        return FALSE;
    }
    if (m_nBatch > 0)
        return TRUE;
    // Sent messages are handled in the order they were sent: the answer to this one means the
    // move before it has been handled too.
    p.uTicket = Ask(hWnd);
    if (!p.uTicket) {
        // No word will come: from now on the window says itself where it stands.
        m_lst.erase(m_lst.begin() + (&p - m_lst.data()));
    }
    return TRUE;
}

void CWndPlacer::EndBatch() noexcept
{
    if (m_nBatch <= 0 || --m_nBatch > 0)
        return;
    // One question for each thread, to the window of its last move: the thread answers it after
    // every move sent to any of its windows before.
    for (size_t i = m_lst.size(); i-- > 0;) {
        if (i >= m_lst.size() || m_lst[i].uTicket != 0)
            continue;
        const DWORD dwTid = m_lst[i].dwTid;
        const UINT uTicket = Ask(m_lst[i].hWnd);
        std::erase_if(m_lst, [&](PENDING& p) {
            if (p.uTicket != 0 || p.dwTid != dwTid)
                return false;
            p.uTicket = uTicket;
            return uTicket == 0;
        });
    }
}

UINT CWndPlacer::Ask(HWND hWnd) noexcept
{
    if (++m_uLastTicket == 0)
        m_uLastTicket = 1;
    const UINT uTicket = m_uLastTicket;
    static_assert(sizeof(ULONG_PTR) >= 8, "the callback's data carries the placer's number and the ticket");
    const ULONG_PTR dwData = (m_uId << 32) | uTicket;
    if (!SendMessageCallbackW(hWnd, WM_NULL, 0, 0, &CWndPlacer::OnHandled, dwData))
        return 0;
    ++m_nQuestions;
    return uTicket;
}

void CALLBACK CWndPlacer::OnHandled(HWND, UINT, ULONG_PTR dwData, LRESULT)
{
    CWndPlacer* pPlacer = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_mtxPlacers);
        const auto it = g_mapPlacers.find(dwData >> 32);
        if (it != g_mapPlacers.end())
            pPlacer = it->second;
    }
    if (pPlacer)
        pPlacer->Handled(static_cast<UINT>(dwData & 0xFFFFFFFFu));
}

void CWndPlacer::Handled(UINT uTicket) noexcept
{
    if (m_nQuestions > 0)
        --m_nQuestions;
    std::vector<HWND> lstAgain;
    std::erase_if(m_lst, [&](const PENDING& p) {
        if (p.uTicket != uTicket)
            return false;
        if (IsSamePoint(p.ptSent, p.ptWanted) || !IsWindow(p.hWnd))
            return true;
        try {
            lstAgain.push_back(p.hWnd);
        } catch (...) {
            return true;  // it says itself where it stands
        }
        return false;
    });
    // Later moves wait for the answer of the one on its way: the last of them goes now.
    for (HWND hWnd : lstAgain) {
        if (PENDING* p = Find(hWnd))
            Send(*p);
    }
}

BOOL CWndPlacer::GetWindowRect(HWND hWnd, RECT* prc) noexcept
{
    if (!::GetWindowRect(hWnd, prc))
        return FALSE;
    PlaceRect(hWnd, prc);
    return TRUE;
}

void CWndPlacer::PlaceRect(HWND hWnd, RECT* prc) noexcept
{
    if (const PENDING* p = Find(hWnd))
        OffsetRect(prc, p->ptWanted.x - prc->left, p->ptWanted.y - prc->top);
}

CWndPlacer::PENDING* CWndPlacer::Find(HWND hWnd) noexcept
{
    const auto it = std::find_if(m_lst.begin(), m_lst.end(), [hWnd](const PENDING& p) { return p.hWnd == hWnd; });
    return it == m_lst.end() ? nullptr : &*it;
}

void CWndPlacer::DropGone() noexcept
{
    // An entry of the batch under way has not been asked about yet and was sent its move just now:
    // EndBatch drops it if its question cannot be sent. Only the others are looked at, so that the
    // sweeps of a pass that began with every earlier move answered ask the system nothing.
    std::erase_if(m_lst, [](const PENDING& p) { return p.uTicket != 0 && !IsWindow(p.hWnd); });
}

BOOL SetPlacementNoWait(HWND hWnd, const WINDOWPLACEMENT& wp) noexcept
{
    const bool bOwnThread = GetWindowThreadProcessId(hWnd, nullptr) == GetCurrentThreadId();
    WINDOWPLACEMENT wpSet = wp;
    wpSet.length = sizeof(wpSet);
    if (bOwnThread && SetWindowPlacement(hWnd, &wpSet))
        return TRUE;
    auto show = [hWnd, bOwnThread](int nCmd) {
        return bOwnThread ? ShowWindow(hWnd, nCmd) : ShowWindowAsync(hWnd, nCmd);
    };
    const UINT nCmd = wp.showCmd;
    const bool bMin = nCmd == SW_SHOWMINIMIZED || nCmd == SW_MINIMIZE || nCmd == SW_SHOWMINNOACTIVE;
    const bool bMax = nCmd == SW_SHOWMAXIMIZED;
    // A window minimised already keeps its restored rectangle: restoring it only to set the
    // rectangle would flash it up.
    if (bMin && IsIconic(hWnd))
        return show(static_cast<int>(nCmd));
    // The restored rectangle is the one a window stands in while it is neither minimised nor
    // maximised: it is set then, and the state comes after it, or the next restore would bring the
    // window back where it stood last.
    if (IsIconic(hWnd) || IsZoomed(hWnd))
        show(SW_RESTORE);
    const RECT& rc = wp.rcNormalPosition;
    const BOOL bPlaced = SetWindowPos(hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                                      SWP_NOZORDER | SWP_NOACTIVATE | (bOwnThread ? 0 : SWP_ASYNCWINDOWPOS));
    if (bMin || bMax)
        return show(static_cast<int>(nCmd));
    return bPlaced;
}
