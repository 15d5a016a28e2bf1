// CWndEnumerator: which windows a scroll moves. It walks the top-level windows through the window
// filter and splits them into the move list and the fixed list (windows kept in place by exact
// title or by application, CFixTitle and CFixApp). Only the owner's window thread uses it.
#pragma once

#include <windows.h>

#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "FixApp.h"
#include "FixTitle.h"
#include "FixWnd.h"
#include "WndFilter.h"

// Set to 1 when the window set may have changed (the owner does so on MSG_HOOK_CBT_WNDCHG);
// cleared by every enumeration. While it is 1 the next title or application search enumerates
// afresh.
extern int g_nWndsChanged;

// What the last count read of a move-list window on its way, for the scroll range reckoned just
// after it: reading it again would cost two more calls a window.
struct WND_COUNTED {
    DWORD dwTid;  // a window keeps its thread for life
    bool bIconic;
    BOOL bRect;  // rc was read
    RECT rc;
};

class CWndEnumerator {
public:
    using FIX_LIST = std::list<std::unique_ptr<CFixWnd>>;

    // plstTitle, plstApp: the fixed-title and fixed-application lists of the owner's settings
    // (kept, not owned; FindFixTitleStr and FindFixAppStr reorder them). pbOwnWnd: when it points
    // to a nonzero flag the core program's hidden main window moves with the others. pbTitledOnly:
    // when it points to a nonzero flag untitled windows are left out. Null flags count as 0.
    CWndEnumerator(int nOSClass, std::vector<std::wstring>* plstTitle, std::vector<std::wstring>* plstApp,
                   const BOOL* pbOwnWnd, const BOOL* pbTitledOnly);
    virtual ~CWndEnumerator();
    CWndEnumerator(const CWndEnumerator&) = delete;
    CWndEnumerator& operator=(const CWndEnumerator&) = delete;

    // Rebuilds the window list, the move list and the fixed list. Always TRUE.
    BOOL EnumerateWnds();
    // What the last EnumerateWnds read of a window it put into the move list (null for any other,
    // such as the core's own main window); as old as that count.
    const WND_COUNTED* FindCounted(HWND hWnd) const;

    // After the fixed lists of the settings gained entries: one record per fixed title or
    // application that has a window and no record yet.
    void MakeFixTitleList();
    void MakeFixAppList();
    // After the fixed lists gained entries: moves the matching move-list windows to the fixed list.
    void FixWnds();
    // After the fixed lists lost entries: gives the windows of dropped texts back to the move list.
    void UnfixWnds();

    // The window is alive and in the move list; its entry is dropped once it has gone.
    BOOL IsMoveWnd(HWND hWnd);
    CFixWnd* FindFixWnd(HWND hWnd) const;
    // The first move-list window owned (GW_OWNER) by hWndOwner that is not its child. A window
    // counted with another owner (or none) is taken as still having it.
    HWND GetOwnedMoveWnd(HWND hWndOwner) const;
    CFixTitle* FindFixTitle(LPCWSTR pszTitle) const;
    CFixApp* FindFixApp(LPCWSTR pszAppName) const;
    // The text is in the settings' fixed-title (application) list; it then moves to its head.
    BOOL FindFixTitleStr(LPCWSTR pszTitle);
    BOOL FindFixAppStr(LPCWSTR pszAppName);
    // The settings' list text that the window matches, or null.
    LPCWSTR GetFixTitleStr(HWND hWnd) const;
    LPCWSTR GetFixAppStr(HWND hWnd) const;
    // The next window-list window after hWndPrev (null: from the head) with that text or
    // executable name; null at the end or when hWndPrev is not in the list.
    HWND FindNextWndByTitle(LPCWSTR pszTitle, HWND hWndPrev);
    HWND FindNextWndByApp(LPCWSTR pszAppName, HWND hWndPrev);
    HWND FindMoveWndByTitle(LPCWSTR pszTitle) const;
    HWND FindMoveWndByApp(LPCWSTR pszAppName) const;
    // The core program's hidden main window while the own-window flag is set; else null.
    HWND FindMainWnd() const;

    std::list<HWND>& GetMoveWndList() noexcept { return m_lstMoveWnd; }
    const FIX_LIST& GetFixWndList() const noexcept { return m_lstFixWnd; }
    const std::vector<HWND>& GetWndList() const noexcept { return m_lstWnd; }
    HWND GetProgmanWnd() const noexcept { return m_hWndProgman; }
    HWND GetTrayWnd() const noexcept { return m_hWndTray; }
    int GetOSClass() const noexcept { return m_nOSClass; }

    // The text by which a title is matched: the title, or for an untitled window, while untitled
    // windows take part, its label (GetUntitledWndName). Empty for a gone window.
    std::wstring GetWndMatchText(HWND hWnd) const;

    // Whether a window of this filter result goes into the window list.
    static BOOL IsListedResult(int nResult, BOOL bTitledOnly) noexcept;

    // What the settings program's fixed-windows page edits by hand.
    // bForce marks the window set changed first; then a fresh enumeration and the records of the
    // fixed texts and the windows they fix. FALSE when the enumeration failed.
    BOOL RefreshAllWnds(BOOL bForce);
    // The first move-list entry of the window is dropped.
    void RemoveMoveWnd(HWND hWnd);
    // This very record is dropped and destroyed.
    void RemoveFixRecord(const CFixWnd* pFixWnd);
    // A record appended to the fixed list, which owns it from then on; returned for convenience.
    CFixWnd* AddFixWnd(std::unique_ptr<CFixWnd> pFixWnd);
    // Whether the record is in the fixed list (a record not found there must not be touched).
    BOOL HasFixRecord(const CFixWnd* pFixWnd) const;
    // The first string of the settings' fixed-title (application) list equal to the text is removed.
    void RemoveFixTitleStr(LPCWSTR pszTitle);
    void RemoveFixAppStr(LPCWSTR pszAppName);
    // The first title-fixed record of a live window whose executable name begins with pszAppName.
    CFixWnd* FindFixTitleWndByApp(LPCWSTR pszAppName) const;

private:
    BOOL IsTitledOnly() const noexcept { return m_pbTitledOnly && *m_pbTitledOnly; }
    BOOL IsOwnWnd() const noexcept { return m_pbOwnWnd && *m_pbOwnWnd; }
    void EnumIntoWndList();
    // Where a search of the window list goes on: the start for no window, just after hWndPrev,
    // or the end when hWndPrev is no longer listed.
    std::vector<HWND>::const_iterator ListPosAfter(HWND hWndPrev) const;
    // GetFixAppStr on a name already read or a window, with the process list refreshed by the
    // caller (bProcessList: whether that worked).
    LPCWSTR FixAppStrOfImage(BOOL bProcessList, const std::wstring& strImage) const;
    LPCWSTR FixAppStrOfWnd(BOOL bProcessList, HWND hWnd) const;
    void AppendFix(CFixWnd* pFixWnd) { m_lstFixWnd.emplace_back(pFixWnd); }
    static BOOL CALLBACK EnumWndProc(HWND hWnd, LPARAM lParam);
    static BOOL CALLBACK CollectWndProc(HWND hWnd, LPARAM lParam);

    HWND m_hWndProgman = nullptr;
    HWND m_hWndTray = nullptr;
    std::vector<std::wstring>* m_plstTitle;
    std::vector<std::wstring>* m_plstApp;
    const BOOL* m_pbOwnWnd;
    const BOOL* m_pbTitledOnly;
    int m_nOSClass;
    std::vector<HWND> m_lstWnd;      // every window that passed the filter, top of the z-order first
    std::list<HWND> m_lstMoveWnd;
    // The owner of each move-list window as the last enumeration found it.
    std::unordered_map<HWND, HWND> m_mapOwner;
    FIX_LIST m_lstFixWnd;
    std::unordered_map<HWND, WND_COUNTED> m_mapCounted;
};

// The first top-level window titled "Zuvora! ヘルプ", or null.
HWND FindHelpWnd();
// The first top-level window with exactly this title (or class name), or null.
HWND FindTopLevelByTitle(LPCWSTR pszTitle);
HWND FindTopLevelByClass(LPCWSTR pszClass);
