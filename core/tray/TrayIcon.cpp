// CTrayIcon: the icon added and removed, the menu opened and made to fit the moment. Its log lines
// keep the window's function names they have always carried, so that old logs and their readers
// still match them.
#include "TrayIcon.h"

#include <iterator>
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

void CTrayIcon::Add() noexcept
{
    const HWND hWnd = m_pHost->GetWnd();
    if (!hWnd) {
        m_pHost->ReportNoWindow(GetLastError());
        return;
    }
    m_nid = NOTIFYICONDATAW{};
    m_nid.cbSize = sizeof(m_nid);
    m_nid.hWnd = hWnd;
    m_nid.uID = ICON_ID;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = MSG_TRAY_NTFY;
    // Shared: loaded once by the system and never destroyed by us, however often the settings apply.
    m_nid.hIcon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                16, 16, LR_DEFAULTCOLOR | LR_SHARED));
    CopyStrToBuf(m_nid.szTip, LoadResString(IDS_ZV_APP_NAME).c_str(), static_cast<int>(std::size(m_nid.szTip)));
    // An icon already there stays as it is: the add fails and changes nothing, and the modify
    // tells it is there.
    const BOOL bAdded = Shell_NotifyIconW(NIM_ADD, &m_nid);
    const BOOL bThere = bAdded || Shell_NotifyIconW(NIM_MODIFY, &m_nid);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
              L"CZvCoreDlg::AddTrayIcon() Shell_NotifyIcon(NIM_ADD) = %d, icon there = %d.\r\n", bAdded, bThere);
    if (bThere) {
        m_pHost->DeleteTmrItem(m_nTmrRetry);
        return;
    }
    // No taskbar yet, or one that is busy: when the icon is the last way to the menu, only
    // trying again brings it back. The item ticks until an add holds.
    if (m_nTmrRetry)
        return;
    OutputLog(LOG_LEVEL_ERROR, SENDER_CORE,
              L"CZvCoreDlg::AddTrayIcon() the taskbar took no icon, code = 0x%x; tried again.\r\n",
              static_cast<unsigned>(GetLastError()));
    m_nTmrRetry = m_pHost->AddStartedTmrItem(MSG_TMR_TRAY_ICON, RETRY_MS);
}

LRESULT CTrayIcon::OnTmrRetry() noexcept
{
    // Only the retry item's tick: each add asks the taskbar twice across processes (about 18 ms),
    // and another program's posts of the number would cost that each.
    if (!m_nTmrRetry)
        return 0;
    if (m_pHost->IsIconWanted() && m_nid.hWnd)
        Add();
    else
        m_pHost->DeleteTmrItem(m_nTmrRetry);
    return 0;
}

LRESULT CTrayIcon::OnTaskbarCreated() noexcept
{
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"CZvCoreDlg::OnTaskbarCreated() the taskbar has been made again.\r\n");
    if (m_pHost->IsIconWanted() && m_nid.hWnd)
        Add();
    return 0;
}

void CTrayIcon::Delete() noexcept
{
    m_pHost->DeleteTmrItem(m_nTmrRetry);
    if (!m_nid.hWnd)
        return;
    const BOOL bDeleted = Shell_NotifyIconW(NIM_DELETE, &m_nid);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::DeleteTrayIcon() Shell_NotifyIcon(NIM_DELETE) = %d.\r\n",
              bDeleted);
    m_nid.hWnd = nullptr;
}

BOOL CTrayIcon::PostMenu(POINT ptScreen) noexcept
{
    const POINT* pPt = m_menuReq.Add(ptScreen);
    if (!PostMessageW(m_pHost->GetWnd(), MSG_TRAY_MENU, reinterpret_cast<WPARAM>(pPt), 0)) {
        m_menuReq.Take(reinterpret_cast<ULONG_PTR>(pPt));
        return FALSE;
    }
    return TRUE;
}

LRESULT CTrayIcon::OnNtfy(WPARAM wParam, LPARAM lParam) noexcept
{
    if (wParam != ICON_ID || m_bMenuOpen || m_pHost->IsMenuHeldBack())
        return 0;
    if (lParam != WM_LBUTTONDOWN && lParam != WM_RBUTTONDOWN)
        return 0;
    POINT pt{};
    GetCursorPos(&pt);
    ShowMenu(pt);
    return 0;
}

LRESULT CTrayIcon::OnMenu(WPARAM wParam) noexcept
{
    // Only a point this window handed out is read; the pool frees it on every road.
    const std::unique_ptr<POINT> pPt = m_menuReq.Take(wParam);
    if (!pPt) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnTrayMenu() refused a point it did not post: 0x%x.\r\n",
                  LogHandle(reinterpret_cast<const void*>(wParam)));
        return 0;
    }
    ShowMenu(*pPt);
    return 0;
}

void CTrayIcon::ShowMenu(POINT ptScreen) noexcept
{
    // The menu's loop hands other messages on: a request arriving meanwhile must not open a
    // second menu inside the first.
    if (m_bMenuOpen)
        return;
    // Without the foreground the menu would not close when the user clicks elsewhere. An
    // arrangement chosen in it still knows the window the user worked in.
    const HWND hWnd = m_pHost->GetWnd();
    if (const HWND hWndFg = GetForegroundWindow(); hWndFg != hWnd)
        m_hWndFrontBeforeMenu = hWndFg;
    SetForegroundWindow(hWnd);
    const CMenuHandle hMenu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_RCLICK)));
    const HMENU hPopup = hMenu ? GetSubMenu(hMenu.get(), 0) : nullptr;
    if (!hPopup) {
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"CZvCoreDlg::ShowTrayMenu() cannot load the menu, code = 0x%x.\r\n",
                  static_cast<unsigned>(GetLastError()));
        return;
    }
    PrepareMenu(hPopup);
    // No other program can read the items of an open popup menu: the log tells what it shows.
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"トレイメニュー表示 : (%d, %d) %s\r\n", static_cast<int>(ptScreen.x),
              static_cast<int>(ptScreen.y), TrayMenu::DescribeMenu(hPopup).c_str());
    m_bMenuOpen = TRUE;
    m_pHost->TrackMenu(hPopup, ptScreen);
    m_bMenuOpen = FALSE;
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::ShowTrayMenu() the menu has closed.\r\n");
}

void CTrayIcon::PrepareMenu(HMENU hPopup) noexcept
{
    EnableMenuItem(hPopup, ID_ZV_UNDO, MF_BYCOMMAND | MF_GRAYED);
    const BOOL bMoving = m_pHost->IsScrollProcessing();
    // During a move the last item may be the move's own record: the item keeps its grey text.
    if (!bMoving) {
        if (const CUndoItem* pItem = m_pHost->LastUndoItem()) {
            const int nKind = pItem->GetKind();
            const int nSubKind = nKind == UK_ALIGN ? static_cast<const CUndoAlign*>(pItem)->GetAlignKind() : 0;
            const std::wstring strText =
                TrayMenu::UndoItemText(GetModuleHandleW(nullptr), nKind, nSubKind,
                                       nKind == UK_RESIZEWND ? UndoWndTitle(*pItem) : std::wstring());
            DeleteMenu(hPopup, ID_ZV_UNDO, MF_BYCOMMAND);
            InsertMenuW(hPopup, 0, MF_BYPOSITION | MF_STRING | MF_ENABLED, ID_ZV_UNDO, strText.c_str());
        }
    }
    // A move runs to its end: no arrangement and no exit may cut into it.
    for (UINT nId :
         {ID_ZV_ALIGN_CENTER, ID_ZV_ALIGN_CASCADE, ID_ZV_ALIGN_TILE_HORZ, ID_ZV_ALIGN_TILE_VERT, ID_ZV_APP_EXIT})
        EnableMenuItem(hPopup, nId, MF_BYCOMMAND | (bMoving ? MF_GRAYED : MF_ENABLED));
}
