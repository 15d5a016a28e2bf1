#include "ScrollManager.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include <commctrl.h>
#include <windowsx.h>

#include "LogManager.h"
#include "Sender.h"
#include "UndoKind.h"
#include "ZvMessages.h"

int CScrollManager::s_nLastThumbLen = 0;

namespace {

POINT ToScreen(HWND hWnd, POINT pt)
{
    ClientToScreen(hWnd, &pt);
    return pt;
}

BarCursor CursorOf(BarCalc::EdgeCursor c)
{
    switch (c) {
    case BarCalc::EdgeCursor::SizeWE: return BarCursor::SizeWE;
    case BarCalc::EdgeCursor::SizeNS: return BarCursor::SizeNS;
    case BarCalc::EdgeCursor::SizeNWSE: return BarCursor::SizeNWSE;
    case BarCalc::EdgeCursor::SizeNESW: return BarCursor::SizeNESW;
    default: return BarCursor::SizeAll;
    }
}

}  // namespace

CScrollManager::CScrollManager(const SCROLLBAR_ARGS& args, int nKind, const SCROLLBAR_CONTROLS& ctl)
    : m_nKind(nKind),
      m_hWndBar(ctl.hWndBar),
      m_pnRangeMin(args.pnRangeMin),
      m_pnRangeMax(args.pnRangeMax),
      m_hWndSpin(ctl.hWndSpin),
      m_hWndThumb(ctl.hWndThumb),
      m_pHost(args.pHost),
      m_rcBar(args.rcBar),
      m_rcSaved(args.rcBar)
{
    m_nThick = BarCalc::Thickness(m_rcBar, IsVert() != FALSE);
}

CScrollManager::~CScrollManager()
{
    if (m_hWndBar && IsWindow(m_hWndBar)) {
        KillTimer(m_hWndBar, LEAVE_TIMER_ID);
        if (GetCapture() == m_hWndBar)
            ReleaseCapture();
    }
}

RECT CScrollManager::DesktopRect() const
{
    RECT rc{};
    GetWindowRect(GetDesktopWindow(), &rc);
    return rc;
}

void CScrollManager::Init()
{
    UpdateHalves();
    MoveBarWindow(TRUE);
    LayoutSpin();
    m_nRangeLimit = BarCalc::RangeLimit(m_nTrackLen, m_nDesktopSize);
    UpdateThumb(FALSE);
    PlaceThumb(TRUE);
}

// ---------------------------------------------------------------------------
// Geometry

void CScrollManager::MoveBarWindow(BOOL bRepaint)
{
    if (!m_hWndBar)
        return;
    SetWindowPos(m_hWndBar, nullptr, m_rcBar.left, m_rcBar.top, m_rcBar.right - m_rcBar.left,
                 m_rcBar.bottom - m_rcBar.top, SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0 : SWP_NOREDRAW));
}

void CScrollManager::ShowControls(BOOL bShow)
{
    for (HWND hWnd : {m_hWndSpin, m_hWndThumb}) {
        if (!hWnd)
            continue;
        EnableWindow(hWnd, bShow);
        ShowWindow(hWnd, bShow ? SW_SHOWNA : SW_HIDE);
    }
}

BarCalc::BarPart CScrollManager::HitTest(POINT pt) const
{
    return BarCalc::HitTest(pt, m_rcThumb, m_rcSpin, BarCalc::Length(m_rcBar, IsVert() != FALSE), IsVert() != FALSE);
}

void CScrollManager::UpdateThumb(BOOL bForce)
{
    const BarCalc::THUMB thumb = BarCalc::UpdateThumb({m_nThumbPos, m_nThumbLen}, s_nLastThumbLen, bForce != FALSE,
                                                      RangeMin(), RangeMax(), m_nDesktopSize, m_nTrackLen);
    m_nThumbPos = thumb.nPos;
    m_nThumbLen = thumb.nLen;
    s_nLastThumbLen = thumb.nLen;
}

void CScrollManager::PlaceThumb(BOOL bRepaint)
{
    const RECT rc = BarCalc::ThumbRect(m_nThumbPos, m_nThumbLen, m_nThick, IsVert() != FALSE);
    const bool bMoved = !EqualRect(&rc, &m_rcThumb);
    m_rcThumb = rc;
    if (!m_hWndThumb || (!bMoved && !bRepaint))
        return;
    SetWindowPos(m_hWndThumb, nullptr, rc.left, rc.top, std::max<LONG>(rc.right - rc.left, 0),
                 std::max<LONG>(rc.bottom - rc.top, 0), SWP_NOZORDER | SWP_NOACTIVATE);
    if (bRepaint)
        InvalidateRect(m_hWndThumb, nullptr, TRUE);
}

void CScrollManager::LayoutSpin()
{
    const bool bVert = IsVert() != FALSE;
    const int nLength = BarCalc::Length(m_rcBar, bVert);
    m_rcSpin = BarCalc::SpinRect(nLength, m_nThick, bVert);
    m_nTrackLen = BarCalc::TrackLength(nLength, m_nThick);
    if (m_hWndSpin)
        MoveWindow(m_hWndSpin, m_rcSpin.left, m_rcSpin.top, std::max<LONG>(m_rcSpin.right - m_rcSpin.left, 0),
                   std::max<LONG>(m_rcSpin.bottom - m_rcSpin.top, 0), TRUE);
}

void CScrollManager::UpdateHalves()
{
    const RECT rcDesk = DesktopRect();
    m_nHalves = BarCalc::Halves(m_rcBar, rcDesk.right - rcDesk.left, rcDesk.bottom - rcDesk.top);
}

void CScrollManager::SetThickness(BOOL bCollapsed)
{
    m_rcBar = BarCalc::WithThickness(m_rcBar, m_nHalves, bCollapsed ? m_nThickHidden : m_nThick, IsVert() != FALSE);
    m_bCollapsed = bCollapsed;
}

RECT CScrollManager::GetBarRect() const noexcept
{
    return m_bCollapsed ? BarCalc::WithThickness(m_rcBar, m_nHalves, m_nThick, IsVert() != FALSE) : m_rcBar;
}

void CScrollManager::SetBarRect(const RECT& rc)
{
    // The settings' rectangle wins over a drag that is under way: the drag ends first, cleanly.
    EndDrag();
    m_rcBar = rc;
    m_nThick = BarCalc::Thickness(m_rcBar, IsVert() != FALSE);
    m_bCollapsed = FALSE;
    UpdateHalves();
    MoveBarWindow(TRUE);
    LayoutSpin();
    if (m_hWndSpin) {
        EnableWindow(m_hWndSpin, TRUE);
        ShowWindow(m_hWndSpin, SW_SHOWNA);
    }
    UpdateThumb(TRUE);
    PlaceThumb(TRUE);
    if (m_hWndThumb) {
        EnableWindow(m_hWndThumb, TRUE);
        ShowWindow(m_hWndThumb, SW_SHOWNA);
    }
    // Shown without taking the activation from the window the user works in.
    ShowWindow(m_hWndBar, SW_SHOWNA);
    UpdateWindow(m_hWndBar);
    if (m_bAutoHide)
        Collapse();
}

int CScrollManager::HitTestEdges(POINT ptScreen) const
{
    return BarCalc::HitTestEdges(m_rcBar, ptScreen);
}

BOOL CScrollManager::SetEdgeCursor(POINT ptScreen)
{
    const int nEdges = HitTestEdges(ptScreen);
    SetCursorTo(CursorOf(BarCalc::CursorForEdges(nEdges)));
    return BarCalc::IsResizeEdges(nEdges) ? TRUE : FALSE;
}

BOOL CScrollManager::CanMoveBy(POINT ptScreen) const
{
    return BarCalc::CanMoveBy(m_rcBar, ptScreen.x - m_ptDrag.x, ptScreen.y - m_ptDrag.y, DesktopRect()) ? TRUE : FALSE;
}

void CScrollManager::MoveBarBy(POINT ptScreen)
{
    if (!CanMoveBy(ptScreen))
        return;
    m_rcBar = BarCalc::MoveBarBy(m_rcBar, ptScreen.x - m_ptDrag.x, ptScreen.y - m_ptDrag.y, DesktopRect());
    UpdateHalves();
    MoveBarWindow(TRUE);
    LayoutSpin();
    UpdateThumb(TRUE);
    PlaceThumb(TRUE);
}

POINT CScrollManager::LimitResizeBy(POINT ptScreen, int nSysScroll) const
{
    const bool bVert = IsVert() != FALSE;
    const BarCalc::RESIZE_LIMITS lim{nSysScroll, BarCalc::Length(m_rcSpin, bVert), DesktopRect()};
    return BarCalc::LimitResize(ptScreen, m_rcBar, m_nEdges, bVert, lim);
}

void CScrollManager::ResizeTo(POINT ptScreen)
{
    const POINT pt = LimitResize(ptScreen);
    if (m_nEdges & BarCalc::EDGE_LEFT)
        m_rcBar.left = pt.x;
    else if (m_nEdges & BarCalc::EDGE_RIGHT)
        m_rcBar.right = pt.x;
    if (m_nEdges & BarCalc::EDGE_TOP)
        m_rcBar.top = pt.y;
    else if (m_nEdges & BarCalc::EDGE_BOTTOM)
        m_rcBar.bottom = pt.y;
    m_nThick = BarCalc::Thickness(m_rcBar, IsVert() != FALSE);
    m_bCollapsed = FALSE;
    UpdateHalves();
    MoveBarWindow(TRUE);
    LayoutSpin();
    UpdateThumb(TRUE);
    PlaceThumb(TRUE);
}

// ---------------------------------------------------------------------------
// View

void CScrollManager::SetHideMode(BOOL bOn)
{
    EndDrag();
    m_bAutoHide = bOn ? TRUE : FALSE;
    SetThickness(m_bAutoHide);
    ShowControls(!m_bAutoHide);
    MoveBarWindow(TRUE);
    ShowWindow(m_hWndBar, m_bAutoHide ? SW_HIDE : SW_SHOWNA);
    UpdateWindow(m_hWndBar);
    m_bExpanded = FALSE;
    if (GetCapture() == m_hWndBar)
        ReleaseCapture();
    KillTimer(m_hWndBar, LEAVE_TIMER_ID);
}

BOOL CScrollManager::SetAlpha(BYTE byAlpha)
{
    const LONG_PTR lExStyle = GetWindowLongPtrW(m_hWndBar, GWL_EXSTYLE);
    if (byAlpha == 255) {
        if (lExStyle & WS_EX_LAYERED)
            SetWindowLongPtrW(m_hWndBar, GWL_EXSTYLE, lExStyle & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
        return TRUE;
    }
    if (!(lExStyle & WS_EX_LAYERED))
        SetWindowLongPtrW(m_hWndBar, GWL_EXSTYLE, lExStyle | WS_EX_LAYERED);
    SetLayeredWindowAttributes(m_hWndBar, 0, byAlpha, LWA_ALPHA);
    return TRUE;
}

void CScrollManager::Expand()
{
    ShowControls(TRUE);
    if (GetCapture() != m_hWndBar)
        SetCapture(m_hWndBar);
    m_bExpanded = TRUE;
    SetThickness(FALSE);
    MoveBarWindow(TRUE);
    UpdateWindow(m_hWndBar);
    // The pointer may leave over another program's window, whose moves never reach us.
    SetTimer(m_hWndBar, LEAVE_TIMER_ID, LEAVE_TIMER_MS, nullptr);
}

void CScrollManager::Collapse()
{
    m_bExpanded = FALSE;
    if (GetCapture() == m_hWndBar)
        ReleaseCapture();
    ShowControls(FALSE);
    SetThickness(TRUE);
    MoveBarWindow(TRUE);
    UpdateWindow(m_hWndBar);
    KillTimer(m_hWndBar, LEAVE_TIMER_ID);
}

void CScrollManager::OnLeaveTimer()
{
    if (!m_bAutoHide || m_bCollapsed) {
        KillTimer(m_hWndBar, LEAVE_TIMER_ID);
        return;
    }
    if (IsDragging())
        return;
    POINT pt{};
    if (GetCursorPos(&pt) && !PtInRect(&m_rcBar, pt))
        Collapse();
}

// ---------------------------------------------------------------------------
// Input

BOOL CScrollManager::IsBusy() const
{
    return m_pHost->IsTrayMenuOpen() || m_pHost->IsPropertyActive() || m_pHost->IsScrollProcessing();
}

void CScrollManager::SetCursorTo(BarCursor cursor)
{
    if (HCURSOR hCursor = m_pHost->GetCursor(cursor))
        SetCursor(hCursor);
}

void CScrollManager::BeginAltDrag(POINT pt)
{
    const POINT ptScreen = ToScreen(m_hWndBar, pt);
    m_bThumbDrag = FALSE;
    m_bResizing = SetEdgeCursor(ptScreen);
    m_bMoving = !m_bResizing;
    m_nEdges = HitTestEdges(ptScreen);
    m_ptDrag = ptScreen;
    // The whole bar, also when the drag begins on the thin strip of auto-hide.
    m_rcSaved = GetBarRect();
    SetCapture(m_hWndBar);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CScrollManager::BeginAltDrag() kind=%d, edges=0x%x, resizing=%d, pt=%d,%d.\r\n",
              m_nKind, m_nEdges, m_bResizing, static_cast<int>(ptScreen.x), static_cast<int>(ptScreen.y));
}

void CScrollManager::Press(POINT pt, BOOL bAlt, const AXIS_INPUT& ax)
{
    const BOOL bBusy = IsBusy();
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CScrollManager::Press() kind=%d, pt=%d,%d, alt=%d, busy=%d.\r\n", m_nKind,
              static_cast<int>(pt.x), static_cast<int>(pt.y), bAlt, bBusy);
    if (bBusy)
        return;
    // A press that the capture of an expanded bar brings from outside the bar is not meant for it.
    RECT rcClient{};
    GetClientRect(m_hWndBar, &rcClient);
    if (!PtInRect(&rcClient, pt) && !IsDragging()) {
        if (m_bAutoHide)
            Collapse();
        return;
    }
    if (bAlt) {
        BeginAltDrag(pt);
    } else {
        SetCursorTo(BarCursor::Arrow);
        if (m_bResizing || m_bMoving)
            CancelAltDrag();
        const BarCalc::BarPart part = HitTest(pt);
        UINT nTicket = 0;
        // A click on the spin's end of the track does nothing: it needs no undo step.
        if (part == BarCalc::BarPart::BeforeThumb || part == BarCalc::BarPart::Thumb ||
            part == BarCalc::BarPart::AfterThumb) {
            m_pHost->PostScrlRange();
            PostSaveForUndo(UK_ALIGN, ax.nUndoValue, nullptr, 0, &nTicket);
        }
        m_ptDrag = pt;
        UpdateThumb(FALSE);
        switch (part) {
        case BarCalc::BarPart::BeforeThumb:
            m_pHost->PostDevice(ax.wFlagStart, ax.nPageIdx, 1);
            break;
        case BarCalc::BarPart::AfterThumb:
            m_pHost->PostDevice(ax.wFlagEnd, ax.nPageIdx, 1);
            break;
        case BarCalc::BarPart::Thumb:
            m_nDragLast = m_nDragSeen = DragCoord(pt);
            m_nPressTicket = nTicket;
            SetCapture(m_hWndBar);
            m_bThumbDrag = TRUE;
            break;
        default:
            break;
        }
    }
    UpdateThumb(TRUE);
    PlaceThumb(TRUE);
}

void CScrollManager::SpinBy(int nDelta, const AXIS_INPUT& ax)
{
    if (IsBusy())
        return;
    m_pHost->PostScrlRange();
    if (!m_bSpinUndoSaved) {
        m_bSpinUndoSaved = TRUE;
        PostSaveForUndo(UK_ALIGN, ax.nUndoValue, nullptr, 0);
    }
    const int nCount = static_cast<int>(std::min<int64_t>(std::llabs(static_cast<int64_t>(nDelta)), INT32_MAX));
    m_pHost->PostDevice(nDelta <= 0 ? ax.wSpinFlagMinus : ax.wSpinFlagPlus, ax.nLineIdx, nCount);
}

BOOL CScrollManager::WheelBy(UINT nFlags, int nDelta, const AXIS_INPUT& ax)
{
    // The View page says so: the wheel does nothing over a bar that hides itself.
    if (m_bAutoHide)
        return TRUE;
    if (m_pHost->IsWheelBurstClosed(IsVert())) {
        // A turn that would open an undo step while a move runs is dropped here rather than left
        // for the move to refuse: a move that has ended by the time the request comes round takes
        // it, and that scroll would have no undo step of its own.
        if (m_pHost->IsMovePending())
            return TRUE;
        PostSaveForUndo(UK_ALIGN, ax.nUndoValue, nullptr, 0);
    }
    const int nIdx = nFlags == MK_SHIFT ? ax.nWheelPageIdx : ax.nWheelLineIdx;
    m_pHost->PostDevice(nDelta > 0 ? ax.wFlagStart : ax.wFlagEnd, nIdx, 1);
    return TRUE;
}

void CScrollManager::DragBy(int nDelta, BOOL bAtOnce, LPCWSTR pszName)
{
    // A bar too short for a track shows no scroll range: its thumb moves nothing.
    if (m_nTrackLen <= 0)
        return;
    const LONG nMin = RangeMin(), nMax = RangeMax();
    const BarCalc::THUMB_DRAG drag = BarCalc::DragThumb({m_nThumbPos, m_nThumbLen}, m_nTrackLen, nDelta, nMin, nMax);
    m_nThumbPos = drag.nPos;
    PlaceThumb(TRUE);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"%s::MoveAllWindows()...%4d,%4d,%4d,%4d\n%4d,%4d,%4d.\r\n", pszName,
              drag.nDelta, drag.nPos, drag.nOffset, m_nThumbLen, static_cast<int>(nMax), static_cast<int>(nMin),
              static_cast<int>(static_cast<int64_t>(nMax) - nMin));
    if (IsVert())
        PostMoveAllWindows(0, drag.nOffset, bAtOnce);
    else
        PostMoveAllWindows(drag.nOffset, 0, bAtOnce);
}

void CScrollManager::TakeWaitingTravel()
{
    if (m_bThumbDrag && BarCalc::IsDragStep(m_nDragSeen, m_nDragLast) && !m_pHost->IsMovePending()) {
        MoveAllWindows(m_nDragSeen - m_nDragLast, TRUE);
        m_nDragLast = m_nDragSeen;
    }
}

void CScrollManager::OnMouseMove(POINT pt, BOOL bAlt)
{
    if (m_bThumbDrag) {
        SetCursorTo(BarCursor::Arrow);
        m_nEdges = 0;
        m_nDragSeen = DragCoord(pt);
        // While the last step still moves the windows, the pointer's travel adds up for the next:
        // a request now would be refused, and the thumb would run ahead of the windows.
        TakeWaitingTravel();
        return;
    }
    if (bAlt) {
        const POINT ptScreen = ToScreen(m_hWndBar, pt);
        if (m_bResizing) {
            ResizeTo(ptScreen);
        } else if (m_bMoving) {
            MoveBarBy(ptScreen);
            m_ptDrag = ptScreen;
        } else {
            // Alt held over the bar, no button: the cursor tells what a press would do.
            SetEdgeCursor(ptScreen);
            if (GetCapture() == m_hWndBar && !m_bExpanded)
                ReleaseCapture();
        }
        return;
    }
    // Alt let go during an Alt-drag: it ends without a report.
    if (m_bResizing || m_bMoving) {
        SetCursorTo(BarCursor::Arrow);
        CancelAltDrag();
    }
    if (m_bAutoHide) {
        if (!m_bExpanded) {
            Expand();
        } else if (PtInRect(&m_rcSpin, pt)) {
            // The spin takes its own clicks.
            if (GetCapture() == m_hWndBar)
                ReleaseCapture();
            m_bExpanded = FALSE;
        }
        const POINT ptScreen = ToScreen(m_hWndBar, pt);
        if (!PtInRect(&m_rcBar, ptScreen))
            Collapse();
    }
    const DWORD dwNow = GetTickCount();
    if (!m_bHoverRangePosted || dwNow - m_dwLastHoverRange >= HOVER_RANGE_MS) {
        m_pHost->PostScrlRange();
        m_dwLastHoverRange = dwNow;
        m_bHoverRangePosted = TRUE;
    }
    UpdateThumb(FALSE);
    PlaceThumb(FALSE);
}

void CScrollManager::OnLButtonUp(POINT pt)
{
    if (IsDragging())
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CScrollManager::OnLButtonUp() kind=%d, pt=%d,%d, thumb=%d.\r\n", m_nKind,
                  static_cast<int>(pt.x), static_cast<int>(pt.y), m_bThumbDrag);
    m_bSpinUndoSaved = FALSE;
    if (m_bThumbDrag) {
        // Released where it was pressed: nothing moved, and the press's undo step goes.
        if (pt.x == m_ptDrag.x && pt.y == m_ptDrag.y)
            m_pHost->PostDelLastUndo(m_nPressTicket);
        m_bThumbDrag = FALSE;
        m_bExpanded = FALSE;
        m_nPressTicket = 0;
        if (GetCapture() == m_hWndBar)
            ReleaseCapture();
        if (m_bAutoHide && !m_bCollapsed)
            SetTimer(m_hWndBar, LEAVE_TIMER_ID, LEAVE_TIMER_MS, nullptr);
        return;
    }
    if (!m_bResizing && !m_bMoving)
        return;
    const POINT ptScreen = ToScreen(m_hWndBar, pt);
    if (m_bResizing) {
        if (m_nEdges != 0)
            ResizeTo(ptScreen);
        m_bResizing = FALSE;
        m_nEdges = 0;
    } else {
        MoveBarBy(ptScreen);
        m_bMoving = FALSE;
        m_ptDrag = {};
    }
    SetCursorTo(BarCursor::Arrow);
    m_bExpanded = FALSE;
    if (GetCapture() == m_hWndBar)
        ReleaseCapture();
    ReportBarRect();
    if (m_bAutoHide && !m_bCollapsed)
        SetTimer(m_hWndBar, LEAVE_TIMER_ID, LEAVE_TIMER_MS, nullptr);
}

void CScrollManager::OnRButtonDown(UINT nFlags, POINT pt)
{
    if (IsBusy())
        return;
    // The menu's undo item must see every save asked for before it: the click waits for them.
    if (m_pHost->IsSaveForUndoPending()) {
        PostMessageW(m_hWndBar, WM_RBUTTONDOWN, nFlags, MAKELPARAM(pt.x, pt.y));
        return;
    }
    m_pHost->PostTrayMenu(ToScreen(m_hWndBar, pt));
    if (m_bAutoHide)
        Collapse();
}

void CScrollManager::OnSetCursor()
{
    m_bSpinUndoSaved = FALSE;
}

void CScrollManager::OnCaptureChanged(HWND hWndNew)
{
    if (hWndNew == m_hWndBar)
        return;
    // Every release of our own clears the drag's flags first: a drag still marked has lost the
    // capture to another window (a menu, a switch of programs) and ends here.
    if (IsDragging()) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CScrollManager::OnCaptureChanged() kind=%d, new=0x%x: the drag ends.\r\n",
                  m_nKind, LogHandle(hWndNew));
        EndDrag();
    }
    m_bExpanded = FALSE;
}

void CScrollManager::CancelAltDrag()
{
    const RECT rcNow = GetBarRect();
    const BOOL bMoved = (m_bResizing || m_bMoving) && !EqualRect(&m_rcSaved, &rcNow);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CScrollManager::CancelAltDrag() kind=%d, moved=%d.\r\n", m_nKind, bMoved);
    m_bResizing = FALSE;
    m_bMoving = FALSE;
    m_nEdges = 0;
    m_ptDrag = {};
    if (GetCapture() == m_hWndBar && !m_bExpanded)
        ReleaseCapture();
    // Not reported, so the settings keep the old rectangle: the bar goes back to it.
    if (bMoved) {
        m_rcBar = m_rcSaved;
        m_nThick = BarCalc::Thickness(m_rcBar, IsVert() != FALSE);
        UpdateHalves();
        if (m_bCollapsed)
            SetThickness(TRUE);
        MoveBarWindow(TRUE);
        LayoutSpin();
        UpdateThumb(TRUE);
        PlaceThumb(TRUE);
    }
}

void CScrollManager::EndDrag()
{
    if (m_bResizing || m_bMoving)
        CancelAltDrag();
    if (m_bThumbDrag) {
        m_bThumbDrag = FALSE;
        m_nPressTicket = 0;
        m_ptDrag = {};
    }
    if (m_hWndBar && GetCapture() == m_hWndBar)
        ReleaseCapture();
    m_bExpanded = FALSE;
}

// ---------------------------------------------------------------------------
// Requests

void CScrollManager::PostMoveAllWindows(LONG lOffsetH, LONG lOffsetV, BOOL bAtOnce)
{
    m_pHost->PostMoveRequest(lOffsetH, lOffsetV, bAtOnce);
}

BOOL CScrollManager::PostSaveForUndo(int nKind, INT_PTR nValue, void* pv, INT_PTR nExtra, UINT* pnTicket)
{
    return m_pHost->PostSaveForUndo(nKind, nValue, pv, nExtra, pnTicket);
}

void CScrollManager::Report(int nBar)
{
    PostSaveForUndo(UK_RESIZE, nBar, &m_rcSaved, 0);
    m_pHost->PostBarRect(nBar, GetBarRect());
}

BOOL CScrollManager::PostSetRect(const RECT& rc)
{
    RECT* pRec = m_setRectReq.Add(rc);
    if (m_hWndBar && PostMessageW(m_hWndBar, MSG_SCRLBAR_SETRECT, reinterpret_cast<WPARAM>(pRec), 0))
        return TRUE;
    m_setRectReq.Take(reinterpret_cast<ULONG_PTR>(pRec));
    return FALSE;
}

// ---------------------------------------------------------------------------
// The bar windows

namespace ScrollBarWnd {

BOOL IsDialogEndKey(const MSG* pMsg) noexcept
{
    return pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE);
}

void Prepare(HWND hWndBar, LPCWSTR pszTitle, HWND hWndSpin) noexcept
{
    ShowWindow(hWndBar, SW_HIDE);
    SetWindowLongPtrW(hWndBar, GWL_EXSTYLE, GetWindowLongPtrW(hWndBar, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
    SetWindowTextW(hWndBar, pszTitle);
    if (hWndSpin) {
        SendMessageW(hWndSpin, UDM_SETRANGE32, BarCalc::SPIN_MIN, BarCalc::SPIN_MAX);
        // Only each notification's delta is used; the position stays in the middle, away from the
        // ends, whose handling differs between versions of the control.
        SendMessageW(hWndSpin, UDM_SETPOS32, 0, (BarCalc::SPIN_MIN + BarCalc::SPIN_MAX) / 2);
    }
}

BOOL IsAltHeld() noexcept
{
    return (GetAsyncKeyState(VK_MENU) & 0x8000) != 0;
}

POINT PointOf(LPARAM lParam) noexcept
{
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

}  // namespace ScrollBarWnd
