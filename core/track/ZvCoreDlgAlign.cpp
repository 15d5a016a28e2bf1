// CZvCoreDlg: the window arrangements (commands 32772 to 32775): every window of the move list
// glides to its place at View "Speed", keeping its size, after an undo record of where all stood.
#include "ZvCoreDlg.h"

#include <iterator>
#include <list>

#include "AlignCalc.h"
#include "LogManager.h"
#include "Sender.h"
#include "WndEnumerator.h"
#include "WndFilter.h"

// One arrangement: where its windows go, the area it fills, the order it takes them in.
struct ALIGN_KIND {
    int nUndoKind;
    const wchar_t* pszInfo;
    const wchar_t* pszFunc;
    bool bScrollArea;  // the tilings fill the scroll range; centre and cascade the work area
    bool bReverse;     // from the tail of the move list
};

namespace {

constexpr ALIGN_KIND kCenter{UNDO_ALIGN_CENTER, L"ウィンドウの並べ替え...中央へ表示.\r\n", L"AlignWndCenter", false, false};
constexpr ALIGN_KIND kCascade{UNDO_ALIGN_CASCADE, L"ウィンドウの並べ替え...重ねて表示.\r\n", L"AlignWndCascade", false, true};
constexpr ALIGN_KIND kTileHorz{UNDO_ALIGN_TILE_HORZ, L"ウィンドウの並べ替え...横に並べて表示.\r\n", L"AlignWndTileHorz", true, true};
constexpr ALIGN_KIND kTileVert{UNDO_ALIGN_TILE_VERT, L"ウィンドウの並べ替え...縦に並べて表示.\r\n", L"AlignWndTileVert", true, true};

RECT Place(const ALIGN_KIND& kind, const RECT& rc, const RECT& rcArea, AlignCalc::PLACE_STATE& st, bool bFirst)
{
    switch (kind.nUndoKind) {
    case UNDO_ALIGN_CENTER:
        return AlignCalc::PlaceCenter(rc, rcArea);
    case UNDO_ALIGN_CASCADE:
        return AlignCalc::PlaceCascade(rc, rcArea, GetSystemMetrics(SM_CYCAPTION), st, bFirst);
    case UNDO_ALIGN_TILE_HORZ:
        return AlignCalc::PlaceTileHorz(rc, rcArea, st, bFirst);
    default:
        return AlignCalc::PlaceTileVert(rc, rcArea, st, bFirst);
    }
}

}  // namespace

void CZvCoreDlg::OnAlignCenter() noexcept { AlignWindows(kCenter); }
void CZvCoreDlg::OnAlignCascade() noexcept { AlignWindows(kCascade); }
void CZvCoreDlg::OnAlignTileHorz() noexcept { AlignWindows(kTileHorz); }
void CZvCoreDlg::OnAlignTileVert() noexcept { AlignWindows(kTileVert); }

HWND CZvCoreDlg::FrontWindow() const noexcept
{
    const HWND hWnd = GetForegroundWindow();
    // The open menu took the foreground from the window the user worked in.
    if (!hWnd || hWnd == m_hWnd)
        return m_tray.GetFrontBeforeMenu();
    return hWnd;
}

void CZvCoreDlg::AlignWindows(const ALIGN_KIND& kind) noexcept
{
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, kind.pszInfo);
    if (IsMoveRefused(L"AlignWindows") || !CalcScrollRange())
        return;
    // The range may have shrunk to nothing meanwhile.
    if (m_pwe->GetMoveWndList().empty())
        return;
    PostSaveForUndo(UK_ALIGN, kind.nUndoKind, nullptr, 0);

    RECT rcArea = m_scrollRange.LimitArea();
    if (!kind.bScrollArea)
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcArea, 0);

    // The list is counted afresh in the system's z-order. Under Wine the display raises the window
    // the user activates while that order leaves it where it stood: taken as it is, a cascade would
    // bury the window in front under the others' captions. The window the user works in comes
    // first, and is raised in the z-order too (without activation or waiting), so that the display
    // and the order agree on it.
    const HWND hWndFront = kind.bReverse ? FrontWindow() : nullptr;
    const std::list<HWND> lstWnd = AlignCalc::FrontFirst(m_pwe->GetMoveWndList(), hWndFront);
    if (hWndFront && !lstWnd.empty() && lstWnd.front() == hWndFront) {
        const bool bOwnThread = GetWindowThreadProcessId(hWndFront, nullptr) == GetCurrentThreadId();
        SetWindowPos(hWndFront, HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | (bOwnThread ? 0 : SWP_ASYNCWINDOWPOS));
    }
    std::list<HWND_OFFSET_MULT> lstMult;
    AlignCalc::PLACE_STATE st;
    auto placeOne = [&](HWND hWnd) {
        // Minimised windows keep their places, and so do those the minimised list remembers.
        if (!IsWindow(hWnd) || hWnd == m_hWnd || IsIconic(hWnd) || IsMinimizedWnd(hWnd))
            return;
        RECT rc{};
        if (!m_placer.GetWindowRect(hWnd, &rc))
            return;
        const RECT rcNew = Place(kind, rc, rcArea, st, lstMult.empty());
        if (IsLogLevelActive(LOG_LEVEL_DEBUG)) {
            OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::%s(), hWnd=0x%x(%s), rc=%d,%d,%d,%d -> %d,%d,%d,%d.\r\n",
                      kind.pszFunc, LogHandle(hWnd), GetWndTitle(hWnd).c_str(), static_cast<int>(rc.left),
                      static_cast<int>(rc.top), static_cast<int>(rc.right), static_cast<int>(rc.bottom),
                      static_cast<int>(rcNew.left), static_cast<int>(rcNew.top), static_cast<int>(rcNew.right),
                      static_cast<int>(rcNew.bottom));
        }
        HWND_OFFSET_MULT& entry = lstMult.emplace_back();
        entry.hWnd = hWnd;
        entry.ldOffsetH = rcNew.left - rc.left;
        entry.ldOffsetV = rcNew.top - rc.top;
    };
    if (kind.bReverse)
        for (auto it = lstWnd.rbegin(); it != lstWnd.rend(); ++it)
            placeOne(*it);
    else
        for (HWND hWnd : lstWnd)
            placeOne(hWnd);
    if (lstMult.empty())
        return;
    if (m_prop.propView.nSpeed > 1 && IsLogLevelActive(LOG_LEVEL_DEBUG)) {
        for (const HWND_OFFSET_MULT& entry : lstMult)
            OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                      L"CZvCoreDlg::AlignWindows(), hWnd=0x%x(%s), speed=%u, dest = %d(l), %d(t).\n",
                      LogHandle(entry.hWnd), GetWndTitle(entry.hWnd).c_str(),
                      static_cast<unsigned>(m_prop.propView.nSpeed), entry.ldOffsetH, entry.ldOffsetV);
    }
    StartMove(CScrollMove::CreateMulti(std::move(lstMult), m_prop.propView.nSpeed, m_prop.lstScrlRate));
}
