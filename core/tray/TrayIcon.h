// The core program's icon in the notification area and its menu. CTrayIcon adds the icon and keeps
// it there (an add the taskbar refuses is tried again by a timer item, and a taskbar made anew gets
// it again), opens menu 133 at the pointer or at a point posted to it, and fits the menu to the
// moment before it shows. The main window owns it and routes its messages to it; everything it
// needs of the window goes through ITrayHost.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "PostedRecordPool.h"

class CUndoItem;

// What the tray icon asks of the core program's main window.
class ITrayHost {
public:
    virtual ~ITrayHost() = default;
    // The owner of the icon and of the menu; null while there is no window.
    virtual HWND GetWnd() = 0;
    // The box of a window that is not there.
    virtual void ReportNoWindow(DWORD dwErr) = 0;
    // View "TrayIcon".
    virtual BOOL IsIconWanted() = 0;
    virtual int AddStartedTmrItem(UINT uMsg, DWORD dwPeriod) = 0;
    virtual void DeleteTmrItem(int& nId) = 0;
    // The settings program holds the settings, or a save for undo still waits: the menu's undo
    // item would tell of a state that is about to change.
    virtual BOOL IsMenuHeldBack() = 0;
    virtual BOOL IsScrollProcessing() = 0;
    // The last undo item that is valid and would change something; null for none.
    virtual const CUndoItem* LastUndoItem() = 0;
    // The popup menu run inside a nested loop of the window; returns when it has closed.
    virtual void TrackMenu(HMENU hPopup, POINT ptScreen) = 0;
};

class CTrayIcon {
public:
    // The icon's id: MSG_TRAY_NTFY carries it in wParam.
    static constexpr UINT ICON_ID = 1;
    // How often an add the taskbar refused is tried again.
    static constexpr DWORD RETRY_MS = 2000;

    explicit CTrayIcon(std::unique_ptr<ITrayHost> pHost) noexcept : m_pHost(std::move(pHost)) {}
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // The icon added, or found there already; an add the taskbar refuses (none there yet) is
    // tried again by the retry item until it holds.
    void Add() noexcept;
    void Delete() noexcept;
    // The window goes: no more retries, though the icon stays until the very end.
    void DeleteRetryItem() noexcept { m_pHost->DeleteTmrItem(m_nTmrRetry); }
    BOOL IsShown() const noexcept { return m_nid.hWnd != nullptr; }
    BOOL IsRetrying() const noexcept { return m_nTmrRetry != 0; }

    // Asks for the menu at a screen point; it opens when the request arrives. FALSE when it could
    // not be posted.
    BOOL PostMenu(POINT ptScreen) noexcept;
    // The menu at a screen point, prepared for the moment; returns when it has closed. Nothing
    // while a menu is open already.
    void ShowMenu(POINT ptScreen) noexcept;
    // The undo item's text and state, and the items a running move forbids, greyed.
    void PrepareMenu(HMENU hPopup) noexcept;
    BOOL IsMenuOpen() const noexcept { return m_bMenuOpen; }
    // The window that had the foreground when the menu last took it.
    HWND GetFrontBeforeMenu() const noexcept { return m_hWndFrontBeforeMenu; }

    // The taskbar has been made again (the shell restarted, or it came after us): it has no icon.
    LRESULT OnTaskbarCreated() noexcept;
    LRESULT OnTmrRetry() noexcept;
    LRESULT OnNtfy(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnMenu(WPARAM wParam) noexcept;

private:
    std::unique_ptr<ITrayHost> m_pHost;
    // The icon's record; its window is null while no icon is shown.
    NOTIFYICONDATAW m_nid{};
    int m_nTmrRetry = 0;
    // The points of MSG_TRAY_MENU, until the menu request takes them.
    CPostedRecordPool<POINT> m_menuReq;
    BOOL m_bMenuOpen = FALSE;
    HWND m_hWndFrontBeforeMenu = nullptr;
};
