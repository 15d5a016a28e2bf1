// CZvCoreDlg: the main window's side of the two scroll-bar windows: their creation, the View
// settings and the rectangles of the settings handed to them, what they report back, and the
// updates of their thumbs after every move.
#include "ZvCoreDlg.h"

#include <algorithm>

#include "BarCalc.h"
#include "LogManager.h"
#include "ScrollHDlg.h"
#include "ScrollVDlg.h"
#include "Sender.h"
#include "WndEnumerator.h"
#include "WndUtil.h"
#include "ZvCoreApp.h"
#include "ZvMessages.h"

namespace {

constexpr int BAR_H = 1;
constexpr int BAR_V = 2;

RECT DesktopRect()
{
    RECT rc{};
    GetWindowRect(GetDesktopWindow(), &rc);
    return rc;
}

// The system's thickness of a scroll bar of the bar's direction.
int SysScroll(int nBar)
{
    return GetSystemMetrics(nBar == BAR_V ? SM_CXVSCROLL : SM_CYHSCROLL);
}

}  // namespace

// The main window as its bars see it: its state, and every request posted to it.
class CZvCoreBarHost : public IScrollBarHost {
public:
    explicit CZvCoreBarHost(CZvCoreDlg& dlg) : m_dlg(dlg) {}
    BOOL IsTrayMenuOpen() override { return m_dlg.IsTrayMenuOpen(); }
    BOOL IsPropertyActive() override { return m_dlg.IsPropertyActive(); }
    BOOL IsScrollProcessing() override { return m_dlg.IsScrollProcessing(); }
    BOOL IsMovePending() override { return m_dlg.IsMovePending(); }
    BOOL IsSaveForUndoPending() override { return m_dlg.IsSaveForUndoPending(); }
    BOOL IsWheelBurstClosed(BOOL bVert) override { return m_dlg.IsWheelBurstClosed(bVert); }
    void PostScrlRange() override { PostMessageW(m_dlg.m_hWnd, MSG_SCRL_RANGE, 1, 0); }
    void PostDevice(WORD wFlags, int nIdx, int nCount) override
    {
        PostMessageW(m_dlg.m_hWnd, MSG_MV_ALL_WNDS_BY_DEVICE, ScrollCalc::MakeDeviceWParam(wFlags, nIdx), nCount);
    }
    BOOL PostSaveForUndo(int nKind, INT_PTR nValue, void* pv, INT_PTR nExtra, UINT* pnTicket) override
    {
        return m_dlg.PostSaveForUndo(nKind, nValue, pv, nExtra, pnTicket);
    }
    void PostDelLastUndo(UINT nTicket) override { PostMessageW(m_dlg.m_hWnd, MSG_DEL_LAST_UNDO, nTicket, 0); }
    void PostMoveRequest(LONG lOffsetH, LONG lOffsetV, BOOL bAtOnce) override
    {
        m_dlg.PostMoveRequest(lOffsetH, lOffsetV, bAtOnce, FALSE, nullptr);
    }
    void PostTrayMenu(POINT ptScreen) override { m_dlg.PostTrayMenu(ptScreen); }
    void PostBarRect(int nBar, const RECT& rc) override { m_dlg.PostScrlBarRect(nBar, rc); }
    HCURSOR GetCursor(BarCursor cursor) override
    {
        const CZvCoreApp* pApp = GetCoreApp();
        if (!pApp)
            return LoadCursorW(nullptr, IDC_ARROW);
        switch (cursor) {
        case BarCursor::SizeWE: return pApp->m_hCurSizeWE;
        case BarCursor::SizeNS: return pApp->m_hCurSizeNS;
        case BarCursor::SizeNWSE: return pApp->m_hCurSizeNWSE;
        case BarCursor::SizeNESW: return pApp->m_hCurSizeNESW;
        case BarCursor::SizeAll: return pApp->m_hCurSizeAll;
        default: return pApp->m_hCurArrow;
        }
    }

private:
    CZvCoreDlg& m_dlg;
};

void CZvCoreDlg::CreateScrollBars() noexcept
{
    if (!m_bars.GetHost())
        m_bars.SetHost(std::make_unique<CZvCoreBarHost>(*this));
    PROP_POSSIZE ps{};
    GetDefaultPosSize(ps);

    const SCROLLBAR_ARGS argsH{m_bars.GetHost(), &m_scrollRange.Get().left, &m_scrollRange.Get().right,
                               RECT{ps.nHorzOrgX, ps.nHorzOrgY, ps.nHorzOrgX + ps.nHorzWidth, ps.nHorzOrgY + ps.nHorzHeight}};
    auto* pBarH = new CScrollHDlg(m_hWnd, argsH);
    if (pBarH->m_hWnd && pBarH->GetManager()) {
        m_hWndBarH = pBarH->m_hWnd;
        ShowWindow(m_hWndBarH, SW_HIDE);
        pBarH->GetManager()->SetHideMode(TRUE);
        m_scrollRange.SetLimit(false, pBarH->GetManager()->GetRangeLimit());
    } else if (!pBarH->m_hWnd) {
        delete pBarH;
    }

    const SCROLLBAR_ARGS argsV{m_bars.GetHost(), &m_scrollRange.Get().top, &m_scrollRange.Get().bottom,
                               RECT{ps.nVertOrgX, ps.nVertOrgY, ps.nVertOrgX + ps.nVertWidth, ps.nVertOrgY + ps.nVertHeight}};
    auto* pBarV = new CScrollVDlg(m_hWnd, argsV);
    if (pBarV->m_hWnd && pBarV->GetManager()) {
        m_hWndBarV = pBarV->m_hWnd;
        ShowWindow(m_hWndBarV, SW_HIDE);
        pBarV->GetManager()->SetHideMode(TRUE);
        m_scrollRange.SetLimit(true, pBarV->GetManager()->GetRangeLimit());
    } else if (!pBarV->m_hWnd) {
        delete pBarV;
    }
    if (!m_hWndBarH || !m_hWndBarV)
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"CZvCoreDlg::CreateScrollBars() failed, H=0x%x, V=0x%x, code = 0x%x.\r\n",
                  LogHandle(m_hWndBarH), LogHandle(m_hWndBarV), static_cast<unsigned>(GetLastError()));

    SetScrollBarWnds(m_prop, m_hWndBarH, m_hWndBarV);
}

HWND CZvCoreDlg::GetScrollBarWnd(int nBar) const noexcept
{
    const HWND hWnd = nBar == BAR_H ? m_hWndBarH : nBar == BAR_V ? m_hWndBarV : nullptr;
    return hWnd && IsWindow(hWnd) ? hWnd : nullptr;
}

CScrollManager* CZvCoreDlg::GetScrollBarManager(int nBar) const noexcept
{
    // Through the handle: a bar that is gone (its owner's teardown) gives no object.
    CWnd* pWnd = CWnd::FromHandle(GetScrollBarWnd(nBar));
    if (auto* pBarH = dynamic_cast<CScrollHDlg*>(pWnd))
        return nBar == BAR_H ? pBarH->GetManager() : nullptr;
    if (auto* pBarV = dynamic_cast<CScrollVDlg*>(pWnd))
        return nBar == BAR_V ? pBarV->GetManager() : nullptr;
    return nullptr;
}

BOOL CZvCoreDlg::IsBarDragging() const noexcept
{
    for (int nBar : {BAR_H, BAR_V}) {
        if (const CScrollManager* pMngr = GetScrollBarManager(nBar); pMngr && pMngr->IsDragging())
            return TRUE;
    }
    return FALSE;
}

void CZvCoreDlg::StoreBarRect(int nBar, const RECT* prc) noexcept
{
    PROP_POSSIZE& ps = m_prop.propPosSize;
    if (!prc) {
        PROP_POSSIZE psDefault = ps;
        if (nBar == BAR_H) {
            GetDefaultPosSizeH(psDefault);
            ps.nHorzOrgX = psDefault.nHorzOrgX;
            ps.nHorzOrgY = psDefault.nHorzOrgY;
            ps.nHorzWidth = psDefault.nHorzWidth;
            ps.nHorzHeight = psDefault.nHorzHeight;
        } else if (nBar == BAR_V) {
            GetDefaultPosSizeV(psDefault);
            ps.nVertOrgX = psDefault.nVertOrgX;
            ps.nVertOrgY = psDefault.nVertOrgY;
            ps.nVertWidth = psDefault.nVertWidth;
            ps.nVertHeight = psDefault.nVertHeight;
        }
        return;
    }
    const RECT& rc = *prc;
    if (nBar == BAR_H) {
        ps.nHorzOrgX = rc.left;
        ps.nHorzOrgY = rc.top;
        ps.nHorzWidth = rc.right - rc.left;
        ps.nHorzHeight = rc.bottom - rc.top;
    } else if (nBar == BAR_V) {
        ps.nVertOrgX = rc.left;
        ps.nVertOrgY = rc.top;
        ps.nVertWidth = rc.right - rc.left;
        ps.nVertHeight = rc.bottom - rc.top;
    }
}

RECT CZvCoreDlg::SoundBarRect(int nBar) noexcept
{
    const PROP_POSSIZE& ps = m_prop.propPosSize;
    const bool bVert = nBar == BAR_V;
    // Whatever the registry or the settings program gave (no size, a negative or huge one, off the
    // desktop, thicker than long): a bar the user can see and reach.
    const RECT rc = bVert ? BarCalc::SanitizeBarRect(ps.nVertOrgX, ps.nVertOrgY, ps.nVertWidth, ps.nVertHeight, true,
                                                     DesktopRect(), SysScroll(nBar))
                          : BarCalc::SanitizeBarRect(ps.nHorzOrgX, ps.nHorzOrgY, ps.nHorzWidth, ps.nHorzHeight, false,
                                                     DesktopRect(), SysScroll(nBar));
    // The settings say what the bar shows, and are saved so.
    StoreBarRect(nBar, &rc);
    return rc;
}

void CZvCoreDlg::PostBarRects() noexcept
{
    const PROP_VIEW& view = m_prop.propView;
    for (int nBar : {BAR_H, BAR_V}) {
        const RECT rc = SoundBarRect(nBar);
        if (!(nBar == BAR_H ? view.bHorizontal : view.bVertical))
            continue;
        if (CScrollManager* pMngr = GetScrollBarManager(nBar))
            pMngr->PostSetRect(rc);
    }
}

void CZvCoreDlg::ApplyBarsView() noexcept
{
    const PROP_VIEW& view = m_prop.propView;
    // The registry holds 2 to 10; anything else the settings program might send is held there too,
    // so that no bar turns wholly invisible.
    const int nTransparent = std::clamp(view.nTransparent, 2, 10);
    const BYTE byAlpha = static_cast<BYTE>(nTransparent * 255 / 10);
    for (int nBar : {BAR_H, BAR_V}) {
        CScrollManager* pMngr = GetScrollBarManager(nBar);
        const HWND hWndBar = GetScrollBarWnd(nBar);
        if (!pMngr || !hWndBar)
            continue;
        pMngr->SetHideMode(view.bHide);
        // TopMost is the owner's, which on Windows its owned bars follow; Wine leaves them where
        // they were, so each bar is told as well.
        SetWindowPos(hWndBar, view.bTopMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (nBar == BAR_H ? view.bHorizontal : view.bVertical) {
            pMngr->SetAlpha(byAlpha);
            // Shown without taking the activation from the window the user works in.
            ShowWindow(hWndBar, SW_SHOWNA);
        } else {
            ShowWindow(hWndBar, SW_HIDE);
        }
        UpdateWindow(hWndBar);
    }
}

BOOL CZvCoreDlg::PostScrlBarRect(int nBar, const RECT& rc) noexcept
{
    return m_bars.PostRect(m_hWnd, nBar, rc);
}

LRESULT CZvCoreDlg::OnScrlBarRect(WPARAM wParam, LPARAM lParam) noexcept
{
    // Only a report of our own bars; a number posted by another program is never read.
    int nBar = 0;
    RECT rc{};
    if (!m_bars.TakeRect(wParam, lParam, nBar, rc))
        return 0;
    StoreBarRect(nBar, &rc);
    // An Alt resize may leave a bar shorter than a stored one may be: the bar takes the stored one,
    // so that what it shows and what is saved never differ.
    const RECT rcSound = SoundBarRect(nBar);
    if (!EqualRect(&rc, &rcSound)) {
        if (CScrollManager* pMngr = GetScrollBarManager(nBar))
            pMngr->PostSetRect(rcSound);
    }
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnScrlBarRect() bar=%d, rc=%d,%d,%d,%d.\r\n", nBar,
              static_cast<int>(rcSound.left), static_cast<int>(rcSound.top), static_cast<int>(rcSound.right),
              static_cast<int>(rcSound.bottom));
    return 0;
}

void CZvCoreDlg::UpdateScrollBars(const WND_READS* pRead)
{
    // A move changes where the windows stand, not which they are: the lists are rebuilt only
    // when the hook has told of a window come or gone.
    if (g_nWndsChanged || !m_pwe)
        CalcScrollRange();
    else
        CalcRangeFromRects(FALSE, pRead);
    for (int nBar : {BAR_H, BAR_V}) {
        if (const HWND hWndBar = GetScrollBarWnd(nBar)) {
            PostMessageW(hWndBar, MSG_SCRLBAR_SETPOS, 1, 0);
            // A thumb that stays where it stood is not painted again: after every step of a drag
            // both thumbs were, and the painting stood in line at the wineserver and the display
            // with the moves of the programs. A thumb that moves is painted by its move.
            PostMessageW(hWndBar, MSG_SCRLBAR_UPDATE, 0, 0);
        }
    }
}
