// CZvPropertySheet: the settings program's one window, a modal sheet of the eight pages. It owns
// the pages, drives the program's window timer and its items, relays the active page to the core
// program and carries out every apply: through the settings blocks to the core program, or into
// the registry when none runs.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "PropertySet.h"
#include "PropertySheet.h"

class CSharedMemPropManager;
class CTmrMngr;
class CZvPropertyPage;

// How long an apply waits for the core program to have read the blocks of the one before.
inline constexpr DWORD ZV_PROP_PREV_APPLY_WAIT_MS = 2000;

class CZvPropertySheet : public CPropertySheet {
public:
    // With a core window the settings blocks the core program wrote are read into *pProp at once.
    CZvPropertySheet(PROPERTY_SET* pProp, LPCWSTR pszCaption, HWND hWndParent, UINT nSelectPage, HWND hWndCore);
    ~CZvPropertySheet() override;

    // The eight pages, in sheet order. TRUE.
    BOOL AddPages();
    // Whether the first read of the blocks took every section.
    BOOL IsReadFromCore() const noexcept { return m_bReadFromCore; }
    // Blocks made from the record and written when bWrite, then MSG_PROP_APPLY (1, lEnding)
    // posted to the core program, or (0, lEnding) when the blocks could not be made or written
    // (logged): TRUE when posted. The blocks live until the next apply or the
    // sheet's end, so that the core program can still open them when it handles the message.
    // The blocks of an apply the core program has not read yet are not made anew under it: the
    // next apply first waits (at most ZV_PROP_PREV_APPLY_WAIT_MS) for its read-end event, then
    // resets the event, so that a wait for the final apply's read end sees that one alone.
    BOOL ApplyToCore(BOOL bWrite, LPARAM lEnding);
    void SetReadEndEvent(HANDLE hEvtReadEnd) noexcept { m_hEvtReadEnd = hEvtReadEnd; }
    void DeletePropManager();
    HWND GetCoreWnd() const noexcept { return m_hWndCore; }
    // A core window was named and is still a window: the core program runs.
    BOOL IsCoreAlive() const noexcept { return m_hWndCore && IsWindow(m_hWndCore); }

protected:
    BOOL OnInitDialog() override;

private:
    BOOL ReadFromCore();
    void FitToPages();
    void AddLogStartItem();
    void DeleteLogStartItem();

    LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryDragIcon(WPARAM wParam, LPARAM lParam);
    LRESULT OnLogWndDtct(WPARAM wParam, LPARAM lParam);
    LRESULT OnLogWndRsp(WPARAM wParam, LPARAM lParam);
    LRESULT OnLogEnd(WPARAM wParam, LPARAM lParam);
    LRESULT OnTmrLogStart(WPARAM wParam, LPARAM lParam);
    LRESULT OnPropPage(WPARAM wParam, LPARAM lParam);
    LRESULT OnPropApply(WPARAM wParam, LPARAM lParam);

    HICON m_hIconBig = nullptr;
    HICON m_hIconSmall = nullptr;
    UINT_PTR m_nTimerId = 0;
    int m_nTmrLogStart = 0;
    HWND m_hWndCore;
    std::unique_ptr<CSharedMemPropManager> m_pPropManager;
    PROPERTY_SET* m_pProp;
    std::vector<std::unique_ptr<CZvPropertyPage>> m_lstPage;
    std::unique_ptr<CTmrMngr> m_pTmrMngr;
    BOOL m_bReadFromCore = FALSE;
    HANDLE m_hEvtReadEnd = nullptr;
    // An apply was posted and its read end not seen yet.
    BOOL m_bApplyUnread = FALSE;
};
