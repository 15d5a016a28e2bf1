// CZvCoreDlg: undo: the save requests, the undo list, the previous resizable window and its watch.
#include "ZvCoreDlg.h"

#include <iterator>

#include "LogManager.h"
#include "Sender.h"
#include "WndEnumerator.h"
#include "WndFilter.h"
#include "WndUtil.h"
#include "ZvMessages.h"

namespace {

unsigned Num(const void* p) { return LogHandle(p); }
unsigned Num(INT_PTR n) { return static_cast<unsigned>(n); }

// The name of an undo kind in DEBUG lines and its text in INFO lines.
struct UNDO_KIND_NAMES {
    const wchar_t* pszName;
    const wchar_t* pszText;
};

const UNDO_KIND_NAMES& KindNames(int nKind)
{
    static constexpr UNDO_KIND_NAMES kNames[] = {{L"UK_NONE", L"アンドゥ無し"},
                                                 {L"UK_ALIGN", L"スクロールとウィンドウの並べ替え"},
                                                 {L"UK_RESIZE", L"スクロールバーの位置とサイズ"},
                                                 {L"UK_RESIZEWND", L"アプリケーションウィンドウの位置とサイズ"}};
    return kNames[nKind >= UK_ALIGN && nKind <= UK_RESIZEWND ? nKind : UK_NONE];
}
const wchar_t* KindName(int nKind) { return KindNames(nKind).pszName; }
const wchar_t* KindText(int nKind) { return KindNames(nKind).pszText; }

const wchar_t* AlignKindText(INT_PTR nAlign)
{
    static constexpr const wchar_t* kTexts[] = {L"モード無し",      L"中央へ表示",     L"重ねて表示",
                                                L"横に並べて表示", L"縦に並べて表示", L"水平スクロール",
                                                L"垂直スクロール", L"スクロール"};
    return nAlign >= 0 && nAlign < static_cast<INT_PTR>(std::size(kTexts)) ? kTexts[nAlign] : kTexts[0];
}

bool ReadPlacement(HWND hWnd, WINDOWPLACEMENT& wp)
{
    wp = WINDOWPLACEMENT{};
    wp.length = sizeof(wp);
    return GetWindowPlacement(hWnd, &wp) != FALSE;
}

}  // namespace

// The desktop as the undo items see it: the hidden main window's lists, placer and settings.
class CZvCoreUndoHost : public IUndoHost {
public:
    explicit CZvCoreUndoHost(CZvCoreDlg& dlg) : m_dlg(dlg) {}
    BOOL IsWindow(HWND hWnd) override { return ::IsWindow(hWnd); }
    BOOL GetPlacement(HWND hWnd, WINDOWPLACEMENT* pwp) override { return GetWindowPlacement(hWnd, pwp); }
    // Another program's window is never waited for; where Wine refuses SetWindowPlacement, show
    // command and position do the same.
    BOOL SetPlacement(HWND hWnd, const WINDOWPLACEMENT& wp) override { return SetPlacementNoWait(hWnd, wp); }
    BOOL GetWindowRect(HWND hWnd, RECT* prc) override
    {
        // A bar stands at its whole rectangle, also while auto-hide shows it as a thin strip.
        for (int nBar : {1, 2}) {
            if (hWnd && hWnd == m_dlg.GetScrollBarWnd(nBar)) {
                if (const CScrollManager* pMngr = m_dlg.GetScrollBarManager(nBar)) {
                    *prc = pMngr->GetBarRect();
                    return TRUE;
                }
            }
        }
        return m_dlg.m_placer.GetWindowRect(hWnd, prc);
    }
    BOOL IsVisible(HWND hWnd) override { return IsWindowVisible(hWnd); }
    BOOL ShowWindow(HWND hWnd, int nCmdShow) override
    {
        // Another program's window is told without waiting for it, like its moves.
        if (GetWindowThreadProcessId(hWnd, nullptr) == GetCurrentThreadId())
            return ::ShowWindow(hWnd, nCmdShow);
        return ShowWindowAsync(hWnd, nCmdShow);
    }
    HWND GetOwner(HWND hWnd) override { return GetWindow(hWnd, GW_OWNER); }
    HWND GetParent(HWND hWnd) override { return ::GetParent(hWnd); }
    BOOL IsMoveOrFixWnd(HWND hWnd) override { return m_dlg.IsMoveOrFixWnd(hWnd); }
    HWND GetScrollBarWnd(int nBar) override { return m_dlg.GetScrollBarWnd(nBar); }
    void PostMinimizedWnd(HWND hWnd) override
    {
        PostMessageW(m_dlg.m_hWnd, MSG_MINIMIZED_WND, reinterpret_cast<WPARAM>(hWnd), 0);
    }
    BOOL StartMultiMove(std::list<HWND_OFFSET_MULT> lstMult) override
    {
        return m_dlg.StartMove(
            CScrollMove::CreateMulti(std::move(lstMult), m_dlg.m_prop.propView.nSpeed, m_dlg.m_prop.lstScrlRate));
    }
    void StoreBarRect(int nBar, const RECT& rc) override
    {
        m_dlg.StoreBarRect(nBar, &rc);
        // The shown bars get their rectangles (MSG_SCRLBAR_SETRECT).
        m_dlg.PostBarRects();
    }

private:
    CZvCoreDlg& m_dlg;
};

IUndoHost& CZvCoreDlg::UndoHost()
{
    if (!m_undo.GetHost())
        m_undo.SetHost(std::make_unique<CZvCoreUndoHost>(*this));
    return *m_undo.GetHost();
}

BOOL CZvCoreDlg::IsMoveOrFixWnd(HWND hWnd) noexcept
{
    return hWnd && m_pwe && (m_pwe->IsMoveWnd(hWnd) || m_pwe->FindFixWnd(hWnd) != nullptr);
}

BOOL CZvCoreDlg::PostSaveForUndo(int nKind, INT_PTR nValue, void* pv, INT_PTR nExtra, UINT* pnTicket) noexcept
{
    return m_undo.PostSave(m_hWnd, nKind, nValue, pv, nExtra, pnTicket);
}

LRESULT CZvCoreDlg::OnSaveForUndo(WPARAM wParam, LPARAM lParam) noexcept
{
    // Only requests made by this window are taken; the pool frees the record on every road.
    const std::unique_ptr<LPRM_SAVE_FOR_UNDO> pRec = m_undo.TakeSave(lParam);
    if (!pRec)
        return 0;
    SaveForUndo(static_cast<int>(wParam), pRec->nValue, pRec->pv, pRec->nExtra, pRec->nTicket);
    return 0;
}

LRESULT CZvCoreDlg::OnDelLastUndo(WPARAM wParam, LPARAM) noexcept
{
    // Only the item the press's own save added, and only while it is still the last.
    const BOOL bDeleted = m_undo.List().DeleteLastOf(static_cast<UINT>(wParam));
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnDelLastUndo() ticket=%u, deleted=%d, count=%d.\r\n",
              static_cast<unsigned>(wParam), bDeleted, static_cast<int>(m_undo.List().GetCount()));
    return 0;
}

BOOL CZvCoreDlg::AddUndoList(std::unique_ptr<CUndoItem> pItem, UINT nTicket) noexcept
{
    const CUndoItem* pNew = pItem.get();
    const int nKind = pItem ? pItem->GetKind() : UK_NONE;
    const CUndoList::ADD_RESULT res = m_undo.List().Add(std::move(pItem), m_prop.propUndo.nDepth, nTicket);
    if (!res.bAdded) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                  L"CZvCoreDlg::AddUndoList() failed. pUndo=0x%x, pUndo->GetKind()=0x%x, pLastUndo=0x%x, "
                  L"pLastUndo->GetKind()=0x%x.\r\n",
                  Num(pNew), static_cast<unsigned>(nKind), Num(res.pLast), static_cast<unsigned>(res.nLastKind));
        return FALSE;
    }
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::AddUndoList() passed. pUndo=0x%x, pLastUndo=0x%x.\r\n",
              Num(pNew), Num(res.pLast));
    return TRUE;
}

BOOL CZvCoreDlg::SaveForUndo(int nKind, INT_PTR nValue, void* pv, INT_PTR nExtra, UINT nTicket) noexcept
{
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::SaveForUndo(%s, 0x%x, 0x%x, 0x%x) in.\r\n", KindName(nKind),
              Num(nValue), Num(pv), Num(nExtra));
    const PROP_UNDO& undo = m_prop.propUndo;
    IUndoHost& host = UndoHost();

    if (nKind == UK_ALIGN) {
        // The record holds the windows the hook has told of; a count afresh (a third of a 100-window
        // scroll's time) is only made when they have changed.
        if (g_nWndsChanged || !m_pwe || m_pwe->GetMoveWndList().empty())
            CalcScrollRange();
        if (!m_pwe || m_pwe->GetMoveWndList().empty()) {
            OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::SaveForUndo() returned FALSE @ p7.\r\n");
            return FALSE;
        }
        if (!undo.bScroll && nValue >= UNDO_ALIGN_SCROLL_H && nValue <= UNDO_ALIGN_SCROLL) {
            OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                      L"CZvCoreDlg::SaveForUndo() returned FALSE @ p8, bUndoScroll = %d, mode = %d.\r\n", undo.bScroll,
                      static_cast<int>(nValue));
            return FALSE;
        }
        if (!undo.bAlign && nValue >= UNDO_ALIGN_CENTER && nValue <= UNDO_ALIGN_TILE_VERT) {
            OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                      L"CZvCoreDlg::SaveForUndo() returned FALSE @ p9, bUndoAlign = %d, mode = %d.\r\n", undo.bAlign,
                      static_cast<int>(nValue));
            return FALSE;
        }
        auto pItem = std::make_unique<CUndoAlign>(host, static_cast<int>(nValue));
        for (HWND hWnd : m_pwe->GetMoveWndList()) {
            WINDOWPLACEMENT wp{};
            if (!IsWindow(hWnd) || !ReadPlacement(hWnd, wp) || IsMinimizedShowCmd(wp.showCmd) || IsIconic(hWnd))
                continue;
            const POINT pt = UndoAlignPoint(host, hWnd, wp);
            pItem->Add({hWnd, static_cast<int>(pt.x), static_cast<int>(pt.y),
                        hWnd == m_hWnd ? 0 : static_cast<int>(wp.showCmd)});
            if (IsLogLevelActive(LOG_LEVEL_DEBUG))
                OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                          L"CZvCoreDlg::SaveForUndo() Window 0x%x(%s) is saved for undo, pt = %d, %d.\r\n", Num(hWnd),
                          GetWndTitle(hWnd).c_str(), static_cast<int>(pt.x), static_cast<int>(pt.y));
        }
        if (m_prop.propWindow.bRestoreAbsPos) {
            for (const MINIMIZED_WND_POS& min : GetMinimizedWnds()) {
                if (!IsWindow(min.hWnd))
                    continue;
                pItem->Add({min.hWnd, min.xNormal, min.yNormal, SW_MINIMIZE});
                if (IsLogLevelActive(LOG_LEVEL_DEBUG))
                    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                              L"CZvCoreDlg::SaveForUndo() Minimized Window 0x%x(%s) is saved. %d, %d.\r\n", Num(min.hWnd),
                              GetWndTitle(min.hWnd).c_str(), min.xNormal, min.yNormal);
            }
        }
        if (nValue >= UNDO_ALIGN_CENTER && nValue <= UNDO_ALIGN_SCROLL)
            OutputLog(LOG_LEVEL_INFO, SENDER_CORE,
                      L"アンドゥデータの保存 : スクロールとウィンドウの並べ替え, アンドゥデータ数 = %d, モード = %s.\r\n",
                      static_cast<int>(m_undo.List().GetCount()) + 1, AlignKindText(nValue));
        return AddUndoList(std::move(pItem), nTicket);
    }

    if (nKind == UK_RESIZE) {
        if (!undo.bResize || IsScrollProcessing() || !pv || (nValue != 1 && nValue != 2))
            return FALSE;
        const RECT rc = *static_cast<const RECT*>(pv);
        const int nBar = static_cast<int>(nValue);
        auto pItem = std::make_unique<CUndoResize>(host);
        pItem->Add({host.GetScrollBarWnd(nBar), rc, nBar});
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"アンドゥデータの保存 : スクロールバーの位置とサイズ, アンドゥデータ数 = %d.\r\n",
                  static_cast<int>(m_undo.List().GetCount()) + 1);
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"    スクロールバー = %s, 座標 = %d(左), %d(右), %d(上), %d(下).\r\n",
                  nBar == 1 ? L"水平" : L"垂直", static_cast<int>(rc.left), static_cast<int>(rc.right),
                  static_cast<int>(rc.top), static_cast<int>(rc.bottom));
        return AddUndoList(std::move(pItem), nTicket);
    }

    if (nKind != UK_RESIZEWND)
        return TRUE;

    const ITEM_UNDO r = m_undo.PrevWnd();
    const HWND hWndNext = static_cast<HWND>(pv);
    const int nForce = static_cast<int>(nExtra);
    BOOL bRet = TRUE;
    const BOOL bMark = m_undo.IsResizeMarked();
    if (bMark) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::SaveForUndo() returned FALSE @ p1.\r\n");
        m_undo.SetResizeMark(FALSE);
        bRet = FALSE;
    }
    if ((!bMark && !undo.bUndoResizeWnd) || IsScrollProcessing()) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                  L"CZvCoreDlg::SaveForUndo() returned FALSE @ p2, m_prop.propUndo.bUndoResizeWnd=%d, "
                  L"IsScrollProcessing()=%d.\r\n",
                  undo.bUndoResizeWnd, IsScrollProcessing());
        bRet = FALSE;
    }
    if (bRet && !r.bVisible && !IsWindowVisible(r.hWnd)) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                  L"CZvCoreDlg::SaveForUndo() returned FALSE @ p3, pItemUndo->bVisible=%d, bVisible=%d.\r\n", r.bVisible,
                  0);
        bRet = FALSE;
    }
    if (!r.hWnd || !IsWindow(r.hWnd) || r.hWnd == m_hWnd) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                  L"CZvCoreDlg::SaveForUndo() returned FALSE @ p4, pItemUndo=0x%x, pItemUndo->hWnd=0x%x.\r\n",
                  Num(&m_undo.PrevWnd()), Num(r.hWnd));
        SetPrevResizeWnd(hWndNext, nForce);
        return FALSE;
    }
    if (bRet) {
        WINDOWPLACEMENT wp{};
        if (!IsMoveOrFixWnd(r.hWnd)) {
            OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                      L"CZvCoreDlg::SaveForUndo() returned FALSE @ p5, pItemUndo->hWnd=0x%x, bRet=%d.\r\n", Num(r.hWnd),
                      FALSE);
            bRet = FALSE;
        } else if (!ReadPlacement(r.hWnd, wp)) {
            bRet = FALSE;
        } else {
            const RECT rcCur = UndoWndRect(host, r.hWnd, wp);
            UINT nCmdCur = wp.showCmd;
            const HWND hWndOwner = GetWindow(r.hWnd, GW_OWNER);
            WINDOWPLACEMENT wpOwner{};
            if (wp.showCmd != SW_SHOWMAXIMIZED && hWndOwner && IsWindow(hWndOwner) && ReadPlacement(hWndOwner, wpOwner))
                nCmdCur = wpOwner.showCmd;
            // Nothing changed: the window stands as remembered, or (a minimise or maximise told
            // again, as a second hook in the chain does) it is remembered in the very state this
            // event names already.
            const bool bSame = nForce == UNDO_NO_SHOW_CMD
                                   ? EqualRect(&rcCur, &r.rc) && IsSameShowCmd(static_cast<UINT>(r.nCmdShow), nCmdCur)
                                   : hWndNext == r.hWnd && IsSameShowCmd(static_cast<UINT>(r.nCmdShow), static_cast<UINT>(nForce));
            if (bSame) {
                OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                          L"CZvCoreDlg::SaveForUndo() returned FALSE @ p6, hWnd=0x%x(%s), rc=%d,%d,%d,%d->%d,%d,%d,%d, "
                          L"nCmdShow=%d->%d.\r\n",
                          Num(r.hWnd), GetWndTitle(r.hWnd).c_str(), static_cast<int>(r.rc.left),
                          static_cast<int>(r.rc.top), static_cast<int>(r.rc.right), static_cast<int>(r.rc.bottom),
                          static_cast<int>(rcCur.left), static_cast<int>(rcCur.top), static_cast<int>(rcCur.right),
                          static_cast<int>(rcCur.bottom), r.nCmdShow, static_cast<int>(nCmdCur));
                SetPrevResizeWnd(hWndNext, nForce);
                return FALSE;
            }
            auto pItem = std::make_unique<CUndoResizeWnd>(host);
            pItem->Add(r);
            OutputLog(LOG_LEVEL_INFO, SENDER_CORE,
                      L"アンドゥデータの保存 : アプリケーションウィンドウの位置とサイズ, アンドゥデータ数 = %d.\r\n",
                      static_cast<int>(m_undo.List().GetCount()) + 1);
            OutputLog(LOG_LEVEL_INFO, SENDER_CORE,
                      L"    ウィンドウ = %s, 座標 = %d(左), %d(右), %d(上), %d(下), 表示状態 = %d.\r\n",
                      GetWndTitle(r.hWnd).c_str(), static_cast<int>(r.rc.left), static_cast<int>(r.rc.right),
                      static_cast<int>(r.rc.top), static_cast<int>(r.rc.bottom), r.nCmdShow);
            AddUndoList(std::move(pItem), nTicket);
        }
    }
    SetPrevResizeWnd(hWndNext, nForce);
    return bRet;
}

BOOL CZvCoreDlg::ExecuteLastUndo() noexcept
{
    // The item would be built against windows still on their way: it waits for the move's end.
    if (IsScrollProcessing()) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::ExecuteLastUndo() refused while a move runs, count = %d.\r\n",
                  static_cast<int>(m_undo.List().GetCount()));
        return FALSE;
    }
    m_undo.SetResizeMark(m_prop.propUndo.bUndoResizeWnd);
    const std::unique_ptr<CUndoItem> pItem = m_undo.List().TakeLast();
    if (!pItem)
        return FALSE;
    const int nKind = pItem->GetKind();
    if (nKind >= UK_ALIGN && nKind <= UK_RESIZEWND)
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"アンドゥ実行 : %s, アンドゥデータ数 = %d.\r\n", KindText(nKind),
                  static_cast<int>(m_undo.List().GetCount()));
    const BOOL bRet = pItem->Undo();
    if (m_undo.IsKeybdMarked())
        m_undo.SetKeybdMark(FALSE);
    else
        ForgetPrevResizeWnd();
    return bRet;
}

CUndoItem* CZvCoreDlg::LastUndoItem() noexcept { return m_undo.List().LastUndoItem(); }

void CZvCoreDlg::OnUndo() noexcept { ExecuteLastUndo(); }

BOOL CZvCoreDlg::SetPrevResizeWnd(HWND hWnd, int nForceShowCmd) noexcept
{
    if (!m_prop.propUndo.bUndoResizeWnd || IsScrollProcessing()) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::SetPrevResizeWnd() passed p0.\r\n");
        m_undo.SetResizeMark(FALSE);
        return FALSE;
    }
    HWND hWndCur = hWnd ? hWnd : GetForegroundWindow();
    while (hWndCur && (hWndCur == m_hWnd || !IsMoveOrFixWnd(hWndCur)))
        hWndCur = GetRelatedWnd(hWndCur, GW_HWNDNEXT, TRUE);
    const BOOL bFound = hWndCur != nullptr;
    if (IsLogLevelActive(LOG_LEVEL_DEBUG))
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                  L"CZvCoreDlg::SetPrevResizeWnd() in, hWnd=0x%x, hWndCur=0x%x(%s), nForceShowCmd=%d, bFound=%d.\r\n",
                  Num(hWnd), Num(hWndCur), hWndCur ? GetWndTitle(hWndCur).c_str() : L"", nForceShowCmd, bFound);
    WINDOWPLACEMENT wp{};
    if (bFound && ReadPlacement(hWndCur, wp)) {
        ITEM_UNDO& r = m_undo.PrevWnd();
        r.hWnd = hWndCur;
        r.rc = UndoWndRect(UndoHost(), hWndCur, wp);
        r.nCmdShow = (nForceShowCmd != UNDO_NO_SHOW_CMD && hWnd) ? nForceShowCmd : static_cast<int>(wp.showCmd);
        r.bVisible = IsWindowVisible(hWndCur) ? 1 : 0;
        const std::wstring strTitle = GetWndTitle(hWndCur);
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                  L"CZvCoreDlg::SetPrevResizeWnd() Previous resizable window is saved... hWndCur=0x%x(%s), "
                  L"rc=%d,%d,%d,%d, nCmdShow=%d. bVisible=%d.\r\n",
                  Num(hWndCur), strTitle.c_str(), static_cast<int>(r.rc.left), static_cast<int>(r.rc.top),
                  static_cast<int>(r.rc.right), static_cast<int>(r.rc.bottom), r.nCmdShow, r.bVisible);
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE,
                  L"アンドゥ用アクティブウィンドウデータ保存 : ウィンドウ = %s, 座標 = %d(左), %d(右), %d(上), %d(下), "
                  L"表示状態 = %d, 可視 = %d.\r\n",
                  strTitle.c_str(), static_cast<int>(r.rc.left), static_cast<int>(r.rc.right),
                  static_cast<int>(r.rc.top), static_cast<int>(r.rc.bottom), r.nCmdShow, r.bVisible);
    }
    m_undo.SetResizeMark(FALSE);
    return TRUE;
}

void CZvCoreDlg::ForgetPrevResizeWnd() noexcept { m_undo.PrevWnd() = ITEM_UNDO{}; }

void CZvCoreDlg::SaveWndSize(UINT uMsg) noexcept
{
    // A scroll-bar window being dragged: its thumb, or the bar itself with Alt.
    m_undo.WatchMouse(m_hWnd, uMsg, IsBarDragging());
}
