// CZvCoreDlg: window tracking: activations brought into view, minimise and maximise, and the
// list of minimised windows.
#include "ZvCoreDlg.h"

#include <cstdint>
#include <optional>

#include "HkGtwyLink.h"
#include "LogManager.h"
#include "Sender.h"
#include "TrackCalc.h"
#include "WndEnumerator.h"
#include "WndFilter.h"
#include "ZvMessages.h"

namespace {

// How long the caption test waits for the activated window's answer: a program that does not
// answer within it (hung, or busy) counts as "not over the caption" rather than holding the core.
constexpr UINT kHitTestTimeoutMs = 200;

RECT WorkArea() noexcept
{
    RECT rc{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &rc, 0))
        GetWindowRect(GetDesktopWindow(), &rc);
    return rc;
}

// A window whose thread may be called and waited for: our own, or one of the thread that sent the
// message being handled and waits for its answer meanwhile serving our own sends (the min/max
// event of the window-event hook). Any other program may hang, so it is told without waiting.
bool IsSafeToWaitFor(HWND hWnd, HWND hWndEvent) noexcept
{
    const DWORD dwTid = GetWindowThreadProcessId(hWnd, nullptr);
    if (dwTid == GetCurrentThreadId())
        return true;
    if ((InSendMessageEx(nullptr) & (ISMEX_SEND | ISMEX_REPLIED)) != ISMEX_SEND)
        return false;
    return dwTid != 0 && dwTid == GetWindowThreadProcessId(hWndEvent, nullptr);
}

BOOL SizeWindowAt(HWND hWnd, HWND hWndEvent, int x, int y, int cx, int cy) noexcept
{
    UINT uFlags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (!IsSafeToWaitFor(hWnd, hWndEvent))
        uFlags |= SWP_ASYNCWINDOWPOS;
    return SetWindowPos(hWnd, nullptr, x, y, cx, cy, uFlags);
}

}  // namespace

// ---------------------------------------------------------------------------
// Activation

LRESULT CZvCoreDlg::OnHookCbtActivate(WPARAM wParam, LPARAM) noexcept
{
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    // Posted: the window may be gone by now. Under load one activation may be reported several
    // times before the move the first asked for has begun: only the first is scrolled for.
    if (IsMovePending() || !hWnd || !IsWindow(hWnd))
        return 1;
    if (hWnd == m_hWnd || hWnd == reinterpret_cast<HWND>(static_cast<ULONG_PTR>(m_prop.propPosSize.hWndHorz)) ||
        hWnd == reinterpret_cast<HWND>(static_cast<ULONG_PTR>(m_prop.propPosSize.hWndVert)) || IsPropertyActive())
        return 0;
    if (!m_pwe)
        return 0;
    const HWND hWndActivated = hWnd;
    // A window just come (a dialog opened by the activated window) is not in the lists until they
    // are counted again: the owner would be scrolled for in place of the window in front of it.
    if (g_nWndsChanged)
        CalcScrollRange();
    hWnd = ReplaceOwnedWindow(hWnd);

    auto isKnown = [this, hWnd] { return m_pwe->IsMoveWnd(hWnd) || m_pwe->FindFixWnd(hWnd) != nullptr; };
    // The hook posts an activation once the window is shown: a count begun since it was posted saw
    // the window as it is, and counting again would only cost a count for each activation of a
    // window that is never listed (another program can post any handle by the thousand).
    if (!isKnown() && !IsWndListsCountedSince()) {
        // A window the lists have not seen yet (a new one): they are made afresh.
        m_pwe->MakeFixTitleList();
        m_pwe->MakeFixAppList();
        g_nWndsChanged = 1;
        CalcScrollRange();
    }
    const bool bKnown = isKnown();
    // A window of neither list would only end a run of ignore-key presses: with none under way,
    // nothing is left to do, and the looks at the window below cost calls to the window server
    // (about 0.3 ms under Wine) for each activation another program may post by the thousand.
    if (!bKnown && !m_ignoreActivate.IsUnderWay())
        return 0;
    // Nor the gateway's hidden window (Wine activates it when the gateway installs its hook).
    if (m_pHkGtwyLink->IsGatewayWnd(hWndActivated))
        return 0;

    if (bKnown && m_prop.propWindow.bRestoreAbsPos) {
        if (const MINIMIZED_WND_POS* pEntry = m_minimized.Find(hWnd)) {
            // A copy: the entry is removed below.
            const MINIMIZED_WND_POS entry = *pEntry;
            // The hidden main window moved with every scroll since the entry was made: the other
            // windows go back by as much, the restored one stays where it comes up.
            RECT rcMain{};
            GetWindowRect(m_hWnd, &rcMain);
            const int dx = ScrollCalc::Saturate(static_cast<int64_t>(rcMain.left) - entry.xOrg);
            const int dy = ScrollCalc::Saturate(static_cast<int64_t>(rcMain.top) - entry.yOrg);
            if (dx != 0 || dy != 0) {
                if (!m_undo.IsResizeMarked())
                    PostSaveForUndo(UK_ALIGN, TrackCalc::ScrollSubKind(dx, dy), nullptr, 0);
                PostMoveRequest(dx, dy, FALSE, FALSE, hWnd);
            }
            SetPrevResizeWnd(hWnd, SW_MINIMIZE);
            m_minimized.Remove(hWnd);
            OutputLog(LOG_LEVEL_INFO, SENDER_CORE,
                      L"最小化したウィンドウのアクティブ化を検出 : ウィンドウ = %s, 水平距離 = %d, 垂直距離 = %d.\r\n",
                      GetWndTitle(hWnd).c_str(), dx, dy);
            return 0;
        }
    }

    if (m_pwe->GetMoveWndList().empty())
        return 0;
    WINDOWPLACEMENT wp{sizeof(wp)};
    RECT rcWnd{};
    if (!GetWindowPlacement(hWnd, &wp) || !m_placer.GetWindowRect(hWnd, &rcWnd))
        return 0;
    if (TrackCalc::IsMaximizedOnScreen(wp.showCmd, rcWnd))
        return 0;

    // The ignore-activation key pressed its count of times lets this one activation pass unscrolled.
    const bool bIgnored = m_ignoreActivate.IsArmed(m_prop.propWindow.nIgnoreActivateScrollCnt);
    ResetIgnoreActivateCount();
    if (bKnown && !bIgnored) {
        if (BringWndIntoView(hWnd) == 0 && m_prop.propUndo.bUndoResizeWnd && !IsScrollProcessing())
            PostSaveForUndo(UK_RESIZEWND, m_undo.PrevWndTag(), hWnd, UNDO_NO_SHOW_CMD);
    }
    return 0;
}

int CZvCoreDlg::BringWndIntoView(HWND hWnd) noexcept
{
    if (!hWnd || !IsWindow(hWnd) || !m_pwe || m_pwe->GetMoveWndList().empty() || IsMovePending())
        return 1;
    WINDOWPLACEMENT wp{sizeof(wp)};
    if (!GetWindowPlacement(hWnd, &wp))
        return 1;
    const bool bMinimized = IsMinimizedShowCmd(wp.showCmd);
    if (bMinimized && !m_prop.propWindow.bRestoreAbsPos)
        return 1;
    // Only what a scroll moves is scrolled for: a window gone since the activation, or a fixed
    // one, is not.
    if (!m_pwe->IsMoveWnd(hWnd))
        return 1;

    const RECT rcWork = WorkArea();
    RECT rc{};
    if (bMinimized)
        rc = wp.rcNormalPosition;
    else if (!m_placer.GetWindowRect(hWnd, &rc))
        return 1;
    const TrackCalc::FIT_RESULT fit = TrackCalc::FitToWorkArea(rc, rcWork);
    if (IsZoomed(hWnd) && fit.bShrunk)
        SizeWindowAt(hWnd, nullptr, 0, 0, fit.rc.right - fit.rc.left, fit.rc.bottom - fit.rc.top);

    const std::optional<POINT> move = TrackCalc::IntoViewMove(m_prop.propWindow.nActivateMode, fit.rc, rcWork);
    if (!move || (move->x == 0 && move->y == 0))
        return 1;
    const int dx = move->x, dy = move->y;
    PostSaveForUndo(UK_ALIGN, TrackCalc::ScrollSubKind(dx, dy), nullptr, 0);
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"ウィンドウのアクティブ化を検出 : ウィンドウ = %s, 水平距離 = %d, 垂直距離 = %d.\r\n",
              GetWndTitle(hWnd).c_str(), dx, dy);
    // The pointer does not follow a window the user is dragging by its caption.
    const BOOL bMouseMove = m_prop.propView.bMouseMove && !IsPointerOnCaption(hWnd);
    PostMoveRequest(-dx, -dy, FALSE, bMouseMove, nullptr);
    UpdateScrollBars();
    return 0;
}

BOOL CZvCoreDlg::IsPointerOnCaption(HWND hWnd) noexcept
{
    POINT pt{};
    RECT rc{};
    // Nothing to ask a window the pointer is not over.
    if (!GetCursorPos(&pt) || !GetWindowRect(hWnd, &rc) || !PtInRect(&rc, pt))
        return FALSE;
    DWORD_PTR dwHit = HTNOWHERE;
    // The wait runs messages other programs send us, a WM_CLOSE among them.
    const CNestedLoop loop(*this);
    if (!SendMessageTimeoutW(hWnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                             kHitTestTimeoutMs, &dwHit)) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                  L"CZvCoreDlg::IsPointerOnCaption() 0x%x(%s) did not answer WM_NCHITTEST, code = 0x%x.\r\n",
                  LogHandle(hWnd), GetWndTitle(hWnd).c_str(), static_cast<unsigned>(GetLastError()));
        return FALSE;
    }
    return dwHit == HTCAPTION;
}

// ---------------------------------------------------------------------------
// Minimise and maximise

LRESULT CZvCoreDlg::OnMinMaxHooked(WPARAM wParam, LPARAM lParam) noexcept
{
    const HWND hWnd = reinterpret_cast<HWND>(wParam);
    const int nCmdShow = static_cast<int>(LOWORD(lParam));
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnMinMaxHooked() in. hWnd=0x%x(%s), lParam=0x%x.\r\n",
              LogHandle(hWnd), GetWndTitle(hWnd).c_str(), static_cast<unsigned>(lParam));
    if (!hWnd || !IsWindow(hWnd) || !m_pwe)
        return 0;
    const HWND hWndTarget = ReplaceOwnedWindow(hWnd);
    if (hWndTarget != hWnd)
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnMinMaxHooked() replaced. 0x%x -> 0x%x.\r\n",
                  LogHandle(hWnd), LogHandle(hWndTarget));
    const HWND hWndOwner = GetWindow(hWndTarget, GW_OWNER);

    // An owned window minimised right after its owner was restored comes back with the owner.
    bool bOwnerRestore = false;
    if (hWndTarget == hWnd && hWndOwner && IsWindow(hWndOwner) && nCmdShow == SW_SHOWMINNOACTIVE &&
        m_minimized.WasJustRestored(hWndOwner)) {
        WINDOWPLACEMENT wp{sizeof(wp)};
        bOwnerRestore = GetWindowPlacement(hWndOwner, &wp) &&
                        (wp.showCmd == SW_SHOWNORMAL || wp.showCmd == SW_SHOWMAXIMIZED);
    }
    m_minimized.NoteMinMax(hWnd, nCmdShow);
    if (bOwnerRestore) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnMinMaxHooked() owner is resotored..\r\n");
        // The wait for the hooked thread runs messages other programs send us, a WM_CLOSE among them.
        const CNestedLoop loop(*this);
        if (IsSafeToWaitFor(hWndTarget, hWnd))
            ShowWindow(hWndTarget, SW_RESTORE);
        else
            ShowWindowAsync(hWndTarget, SW_RESTORE);
        return 1;
    }
    if (!m_pwe->IsMoveWnd(hWndTarget) && !m_pwe->FindFixWnd(hWndTarget)) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnMinMaxHooked() hWnd is not in lists.\r\n");
        return 0;
    }

    LRESULT lRet = 0;
    if (nCmdShow == SW_MAXIMIZE) {
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"ウィンドウ最大化検出 : ウィンドウ = %s.\r\n",
                  GetWndTitle(hWndTarget).c_str());
        if (m_prop.propUndo.bUndoResizeWnd && !m_undo.IsResizeMarked()) {
            OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnMinMaxHooked(), SW_MAXIMIZE is detected!\r\n");
            // The event comes before the maximise, and the save may run before the window's thread
            // has carried it out: it would then find nothing changed and record nothing. Named as
            // maximised, the window is recorded as it stands now, and remembered as maximised, as
            // a minimise is below. The work-area resize instead of a maximise is made before the
            // save runs, so that one is seen as it is.
            if (m_prop.propWindow.bMaximizeCancel)
                PostSaveForUndo(UK_RESIZEWND, m_undo.PrevWndTag(), nullptr, UNDO_NO_SHOW_CMD);
            else
                PostSaveForUndo(UK_RESIZEWND, m_undo.PrevWndTag(), hWndTarget, SW_SHOWMAXIMIZED);
            m_undo.SetKeybdMark(FALSE);
        }
        if (m_prop.propWindow.bMaximizeCancel && IsWindow(hWndTarget)) {
            // The hooked thread waits in its send for this answer and takes our resize meanwhile;
            // 1 then drops the system's own maximise.
            const RECT rcWork = WorkArea();
            // As the caption question: the wait runs what other programs send us meanwhile.
            const CNestedLoop loop(*this);
            SizeWindowAt(hWndTarget, hWnd, 0, 0, rcWork.right - rcWork.left, rcWork.bottom - rcWork.top);
            lRet = 1;
        }
    } else if (IsMinimizedShowCmd(static_cast<UINT>(nCmdShow))) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnMinMaxHooked(), %s is detected!\r\n",
                  nCmdShow == SW_MINIMIZE ? L"SW_MINIMIZE" : L"SW_SHOWMINIMIZED");
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"ウィンドウ最小化検出 : ウィンドウ = %s.\r\n",
                  GetWndTitle(hWndTarget).c_str());
        if (m_prop.propUndo.bUndoResizeWnd && !m_undo.IsResizeMarked()) {
            PostSaveForUndo(UK_RESIZEWND, m_undo.PrevWndTag(), hWndTarget, SW_MINIMIZE);
            m_undo.SetKeybdMark(FALSE);
        }
        // The event comes before the minimise: the placement still shows where the window stands.
        WINDOWPLACEMENT wp{sizeof(wp)};
        if (m_prop.propWindow.bRestoreAbsPos && GetWindowPlacement(hWndTarget, &wp))
            AddMinimizedWnd(hWndTarget, POINT{wp.rcNormalPosition.left, wp.rcNormalPosition.top});
    }
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnMinMaxHooked() out...lRet=%d.\r\n", static_cast<int>(lRet));
    return lRet;
}

// ---------------------------------------------------------------------------
// The minimised-window list

LRESULT CZvCoreDlg::OnMinimizedWnd(WPARAM wParam, LPARAM) noexcept
{
    const HWND hWnd = reinterpret_cast<HWND>(wParam);
    WINDOWPLACEMENT wp{sizeof(wp)};
    if (!hWnd || !IsWindow(hWnd) || !GetWindowPlacement(hWnd, &wp))
        return 0;
    const bool bMinimized = IsMinimizedShowCmd(wp.showCmd);
    if (m_minimized.Contains(hWnd)) {
        if (!bMinimized)
            m_minimized.Remove(hWnd);
        return 0;
    }
    if (bMinimized)
        AddMinimizedWnd(hWnd, POINT{wp.rcNormalPosition.left, wp.rcNormalPosition.top});
    return 0;
}

BOOL CZvCoreDlg::IsMinimizedWnd(HWND hWnd) const noexcept
{
    if (!hWnd || !IsWindow(hWnd))
        return FALSE;
    return m_minimized.Contains(hWnd);
}

BOOL CZvCoreDlg::AddMinimizedWnd(HWND hWnd, POINT ptNormal) noexcept
{
    if (!hWnd || !IsWindow(hWnd))
        return FALSE;
    m_minimized.DropGone();
    if (m_minimized.Contains(hWnd))
        return FALSE;
    RECT rcMain{};
    GetWindowRect(m_hWnd, &rcMain);
    return m_minimized.Add(MINIMIZED_WND_POS{hWnd, rcMain.left, rcMain.top, ptNormal.x, ptNormal.y});
}

void CZvCoreDlg::RebuildMinimizedWnds() noexcept
{
    m_minimized.Clear();
    if (!m_pwe)
        return;
    if (g_nWndsChanged)
        CalcScrollRange();
    for (HWND hWnd : m_pwe->GetMoveWndList()) {
        WINDOWPLACEMENT wp{sizeof(wp)};
        if (IsWindow(hWnd) && GetWindowPlacement(hWnd, &wp) && IsMinimizedShowCmd(wp.showCmd))
            AddMinimizedWnd(hWnd, POINT{wp.rcNormalPosition.left, wp.rcNormalPosition.top});
    }
}
