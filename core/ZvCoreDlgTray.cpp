// CZvCoreDlg: the tray icon and its menu: the icon added and removed as View "TrayIcon" asks, the
// menu opened by a click on the icon, the menu key or a scroll-bar window, and made to fit the
// moment before it shows (the undo text, the items a running move forbids).
#include "ZvCoreDlg.h"

#include <iterator>
#include <memory>
#include <string>
#include <type_traits>

#include "LogManager.h"
#include "Sender.h"
#include "Strings.h"
#include "TrayMenuText.h"
#include "UndoItem.h"
#include "UntitledWndName.h"
#include "WndFilter.h"
#include "WndUtil.h"
#include "ZvMessages.h"
#include "resource.h"

namespace {

constexpr UINT TRAY_ICON_ID = 1;
// How often an add the taskbar refused is tried again.
constexpr DWORD TRAY_ICON_RETRY_MS = 2000;

struct MENU_DESTROYER {
    void operator()(HMENU hMenu) const noexcept { DestroyMenu(hMenu); }
};
using CMenuHandle = std::unique_ptr<std::remove_pointer_t<HMENU>, MENU_DESTROYER>;

// The window of a one-window undo item under the name the menu shows for it.
std::wstring UndoWndTitle(const CUndoItem& item)
{
    const auto& lst = static_cast<const CUndoResizeWnd&>(item).GetEntries();
    const HWND hWnd = lst.empty() ? nullptr : lst.front().hWnd;
    std::wstring strTitle = L"Untitled Window";
    if (hWnd && IsWindow(hWnd)) {
        strTitle = GetWndTitle(hWnd);
        if (strTitle.empty())
            GetUntitledWndName(hWnd, strTitle);
    }
    return strTitle;
}

}  // namespace

void CZvCoreDlg::ApplyViewProperty() noexcept
{
    const PROP_VIEW& view = m_prop.propView;
    SetMouseHook(IsMouseHookWanted());
    SetWindowPos(m_hWnd, view.bTopMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (view.bTrayIcon)
        AddTrayIcon();
    else
        DeleteTrayIcon();
    ApplyBarsView();
}

void CZvCoreDlg::AddTrayIcon() noexcept
{
    if (!m_hWnd) {
        ReportNoWindow(GetLastError());
        return;
    }
    m_nid = NOTIFYICONDATAW{};
    m_nid.cbSize = sizeof(m_nid);
    m_nid.hWnd = m_hWnd;
    m_nid.uID = TRAY_ICON_ID;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = MSG_TRAY_NTFY;
    // Shared: loaded once by the system and never destroyed by us, however often the settings apply.
    m_nid.hIcon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                                IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR | LR_SHARED));
    CopyStrToBuf(m_nid.szTip, LoadResString(IDS_ZV_APP_NAME).c_str(), static_cast<int>(std::size(m_nid.szTip)));
    // An icon already there stays as it is: the add fails and changes nothing, and the modify
    // tells it is there.
    const BOOL bAdded = Shell_NotifyIconW(NIM_ADD, &m_nid);
    const BOOL bThere = bAdded || Shell_NotifyIconW(NIM_MODIFY, &m_nid);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::AddTrayIcon() Shell_NotifyIcon(NIM_ADD) = %d, icon there = %d.\r\n",
              bAdded, bThere);
    if (bThere) {
        DeleteTmrItem(m_nTmrTrayIcon);
        return;
    }
    // No taskbar yet, or one that is busy: when the icon is the last way to the menu, only
    // trying again brings it back. The item ticks until an add holds.
    if (m_nTmrTrayIcon)
        return;
    OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"CZvCoreDlg::AddTrayIcon() the taskbar took no icon, code = 0x%x; tried again.\r\n",
              static_cast<unsigned>(GetLastError()));
    m_nTmrTrayIcon = AddStartedTmrItem(MSG_TMR_TRAY_ICON, TRAY_ICON_RETRY_MS);
}

LRESULT CZvCoreDlg::OnTmrTrayIcon(WPARAM, LPARAM) noexcept
{
    if (m_prop.propView.bTrayIcon && m_nid.hWnd)
        AddTrayIcon();
    else
        DeleteTmrItem(m_nTmrTrayIcon);
    return 0;
}

LRESULT CZvCoreDlg::OnTaskbarCreated(WPARAM, LPARAM) noexcept
{
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"CZvCoreDlg::OnTaskbarCreated() the taskbar has been made again.\r\n");
    if (m_prop.propView.bTrayIcon && m_nid.hWnd)
        AddTrayIcon();
    return 0;
}

void CZvCoreDlg::DeleteTrayIcon() noexcept
{
    DeleteTmrItem(m_nTmrTrayIcon);
    if (!m_nid.hWnd)
        return;
    const BOOL bDeleted = Shell_NotifyIconW(NIM_DELETE, &m_nid);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::DeleteTrayIcon() Shell_NotifyIcon(NIM_DELETE) = %d.\r\n",
              bDeleted);
    m_nid.hWnd = nullptr;
}

BOOL CZvCoreDlg::PostTrayMenu(POINT ptScreen) noexcept
{
    const POINT* pPt = m_trayMenuReq.Add(ptScreen);
    if (!PostMessageW(m_hWnd, MSG_TRAY_MENU, reinterpret_cast<WPARAM>(pPt), 0)) {
        m_trayMenuReq.Take(reinterpret_cast<ULONG_PTR>(pPt));
        return FALSE;
    }
    return TRUE;
}

LRESULT CZvCoreDlg::OnTrayNtfy(WPARAM wParam, LPARAM lParam) noexcept
{
    // While the settings program holds the settings, or a save for undo still waits, the undo
    // item would tell of a state that is about to change.
    if (wParam != TRAY_ICON_ID || m_bTrayMenuOpen || IsPropertyActive() || IsSaveForUndoPending())
        return 0;
    if (lParam != WM_LBUTTONDOWN && lParam != WM_RBUTTONDOWN)
        return 0;
    POINT pt{};
    GetCursorPos(&pt);
    ShowTrayMenu(pt);
    return 0;
}

LRESULT CZvCoreDlg::OnTrayMenu(WPARAM wParam, LPARAM) noexcept
{
    // Only a point this window handed out is read; the pool frees it on every road.
    const std::unique_ptr<POINT> pPt = m_trayMenuReq.Take(wParam);
    if (!pPt) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnTrayMenu() refused a point it did not post: 0x%x.\r\n",
                  LogHandle(reinterpret_cast<const void*>(wParam)));
        return 0;
    }
    ShowTrayMenu(*pPt);
    return 0;
}

void CZvCoreDlg::ShowTrayMenu(POINT ptScreen) noexcept
{
    // The menu's loop hands other messages on: a request arriving meanwhile must not open a
    // second menu inside the first.
    if (m_bTrayMenuOpen)
        return;
    // Without the foreground the menu would not close when the user clicks elsewhere. An
    // arrangement chosen in it still knows the window the user worked in.
    if (const HWND hWndFg = GetForegroundWindow(); hWndFg != m_hWnd)
        m_hWndFrontBeforeMenu = hWndFg;
    SetForegroundWindow(m_hWnd);
    const CMenuHandle hMenu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_RCLICK)));
    const HMENU hPopup = hMenu ? GetSubMenu(hMenu.get(), 0) : nullptr;
    if (!hPopup) {
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"CZvCoreDlg::ShowTrayMenu() cannot load the menu, code = 0x%x.\r\n",
                  static_cast<unsigned>(GetLastError()));
        return;
    }
    PrepareTrayMenu(hPopup);
    // No other program can read the items of an open popup menu: the log tells what it shows.
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"トレイメニュー表示 : (%d, %d) %s\r\n", static_cast<int>(ptScreen.x),
              static_cast<int>(ptScreen.y), TrayMenu::DescribeMenu(hPopup).c_str());
    {
        const CNestedLoop loop(*this);
        m_bTrayMenuOpen = TRUE;
        TrackPopupMenu(hPopup, TPM_RIGHTBUTTON, ptScreen.x, ptScreen.y, 0, m_hWnd, nullptr);
        // The next message lets the system finish with the menu, so that it closes properly the
        // next time too.
        PostMessageW(m_hWnd, WM_NULL, 0, 0);
        m_bTrayMenuOpen = FALSE;
    }
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::ShowTrayMenu() the menu has closed.\r\n");
}

void CZvCoreDlg::PrepareTrayMenu(HMENU hPopup) noexcept
{
    EnableMenuItem(hPopup, ID_ZV_UNDO, MF_BYCOMMAND | MF_GRAYED);
    const BOOL bMoving = IsScrollProcessing();
    // During a move the last item may be the move's own record: the item keeps its grey text.
    if (GetUndoCount() != 0 && !bMoving) {
        if (const CUndoItem* pItem = LastUndoItem()) {
            const int nKind = pItem->GetKind();
            const int nSubKind = nKind == UK_ALIGN ? static_cast<const CUndoAlign*>(pItem)->GetAlignKind() : 0;
            const std::wstring strText = TrayMenu::UndoItemText(
                GetModuleHandleW(nullptr), nKind, nSubKind, nKind == UK_RESIZEWND ? UndoWndTitle(*pItem) : std::wstring());
            DeleteMenu(hPopup, ID_ZV_UNDO, MF_BYCOMMAND);
            InsertMenuW(hPopup, 0, MF_BYPOSITION | MF_STRING | MF_ENABLED, ID_ZV_UNDO, strText.c_str());
        }
    }
    // A move runs to its end: no arrangement and no exit may cut into it.
    for (UINT nId : {ID_ZV_ALIGN_CENTER, ID_ZV_ALIGN_CASCADE, ID_ZV_ALIGN_TILE_HORZ, ID_ZV_ALIGN_TILE_VERT, ID_ZV_APP_EXIT})
        EnableMenuItem(hPopup, nId, MF_BYCOMMAND | (bMoving ? MF_GRAYED : MF_ENABLED));
}
