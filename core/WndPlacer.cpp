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

BOOL CWndPlacer::MoveTo(HWND hWnd, int x, int y) noexcept
{
    if (GetWindowThreadProcessId(hWnd, nullptr) == GetCurrentThreadId())
        return SetWindowPos(hWnd, nullptr, x, y, 0, 0, kMoveFlags);
    DropGone();
    const POINT pt{x, y};
    if (PENDING* p = Find(hWnd)) {
        p->ptWanted = pt;
        return TRUE;
    }
    try {
        m_lst.push_back(PENDING{hWnd, pt, pt});
    } catch (...) {
        return SetWindowPos(hWnd, nullptr, x, y, 0, 0, kMoveFlags | SWP_ASYNCWINDOWPOS);
    }
    return Send(m_lst.back());
}

BOOL CWndPlacer::Send(PENDING& p) noexcept
{
    const HWND hWnd = p.hWnd;
    p.ptSent = p.ptWanted;
    if (!SetWindowPos(hWnd, nullptr, p.ptSent.x, p.ptSent.y, 0, 0, kMoveFlags | SWP_ASYNCWINDOWPOS)) {
        m_lst.erase(m_lst.begin() + (&p - m_lst.data()));
        return FALSE;
    }
    // Sent messages are handled in the order they were sent: the answer to this one means the
    // move before it has been handled too.
    if (!SendMessageCallbackW(hWnd, WM_NULL, 0, 0, &CWndPlacer::OnHandled, m_uId)) {
        // No word will come: from now on the window says itself where it stands.
        m_lst.erase(m_lst.begin() + (&p - m_lst.data()));
    }
    return TRUE;
}

void CALLBACK CWndPlacer::OnHandled(HWND hWnd, UINT, ULONG_PTR dwData, LRESULT)
{
    CWndPlacer* pPlacer = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_mtxPlacers);
        const auto it = g_mapPlacers.find(dwData);
        if (it != g_mapPlacers.end())
            pPlacer = it->second;
    }
    if (pPlacer)
        pPlacer->Handled(hWnd);
}

void CWndPlacer::Handled(HWND hWnd) noexcept
{
    PENDING* p = Find(hWnd);
    if (!p)
        return;
    if (IsSamePoint(p->ptSent, p->ptWanted) || !IsWindow(hWnd)) {
        m_lst.erase(m_lst.begin() + (p - m_lst.data()));
        return;
    }
    Send(*p);
}

BOOL CWndPlacer::GetWindowRect(HWND hWnd, RECT* prc) noexcept
{
    if (!::GetWindowRect(hWnd, prc))
        return FALSE;
    if (const PENDING* p = Find(hWnd))
        OffsetRect(prc, p->ptWanted.x - prc->left, p->ptWanted.y - prc->top);
    return TRUE;
}

CWndPlacer::PENDING* CWndPlacer::Find(HWND hWnd) noexcept
{
    const auto it = std::find_if(m_lst.begin(), m_lst.end(), [hWnd](const PENDING& p) { return p.hWnd == hWnd; });
    return it == m_lst.end() ? nullptr : &*it;
}

void CWndPlacer::DropGone() noexcept
{
    std::erase_if(m_lst, [](const PENDING& p) { return !IsWindow(p.hWnd); });
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
