// CZvPropertySheet: the settings program's one window, a modal sheet of the eight pages. It owns
// the pages, drives the program's window timer and its items, relays the active page to the core
// program and carries out every apply: through the settings blocks to the core program, or into
// the registry when none runs.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "LogViewerLink.h"
#include "PropertySet.h"
#include "PropertySheet.h"
#include "Sender.h"

class CSharedMemPropManager;
class CTmrMngr;
class CZvPropertyPage;

class CZvPropertySheet : public CPropertySheet {
public:
    // What one hand-over to the core program came to.
    enum APPLY_RESULT {
        APPLY_HANDED,   // the core program read the blocks (or had nothing to read) and said so
        APPLY_FAILED,   // blocks not made or written, the core's read failed or it refused, no answer
        APPLY_NO_CORE,  // the core program is gone: the registry is where the settings go
    };

    // With a core window the settings blocks the core program wrote are read into *pProp at once.
    CZvPropertySheet(PROPERTY_SET* pProp, LPCWSTR pszCaption, HWND hWndParent, UINT nSelectPage, HWND hWndCore);
    ~CZvPropertySheet() override;

    // The eight pages, in sheet order. TRUE.
    BOOL AddPages();
    // Whether the first read of the blocks took every section.
    BOOL IsReadFromCore() const noexcept { return m_bReadFromCore; }
    // Apply or OK (bClosing): the record through the blocks to the core program, or into the
    // registry without one (also when the core program has gone meanwhile). Settings that arrived
    // nowhere are never taken as stored: the user is told (a box owned by the sheet) and may try
    // again; TRUE once they arrived, FALSE when the user went back to the sheet. A store asked for
    // while one is under way (a message handled inside the box) does nothing and is FALSE.
    BOOL StoreSettings(BOOL bClosing);
    // Blocks made from the record and written when bWrite, then MSG_PROP_APPLY (1, lEnding), or
    // (0, lEnding) without bWrite, posted to the core program, whose answer (its read-end or
    // read-fail event) is waited for, at most ZV_PROP_CORE_WAIT_MS. Blocks that could not be made
    // or written are not announced (made but unwritten ones hold a zero record). The blocks live
    // until the next apply or the sheet's end.
    APPLY_RESULT ApplyToCore(BOOL bWrite, LPARAM lEnding);
    // The final apply, once: nothing more than what was applied when the sheet was left without
    // OK (Cancel, Escape, the close box), while the sheet's window still exists, so that the core
    // program never sees the sheet gone before it. Nothing after OK, whose apply was the final one.
    void FinishWithCore();
    void SetApplyEvents(HANDLE hEvtReadEnd, HANDLE hEvtReadFail) noexcept
    {
        m_hEvtReadEnd = hEvtReadEnd;
        m_hEvtReadFail = hEvtReadFail;
    }
    void DeletePropManager();
    HWND GetCoreWnd() const noexcept { return m_hWndCore; }
    // A core window was named and is still a window: the core program runs.
    BOOL IsCoreAlive() const noexcept { return m_hWndCore && IsWindow(m_hWndCore); }

protected:
    BOOL OnInitDialog() override;
    void OnSheetDone(INT_PTR nResult) override;

private:
    BOOL ReadFromCore();
    void FitToPages();

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
    HWND m_hWndCore;
    std::unique_ptr<CSharedMemPropManager> m_pPropManager;
    PROPERTY_SET* m_pProp;
    std::vector<std::unique_ptr<CZvPropertyPage>> m_lstPage;
    std::unique_ptr<CTmrMngr> m_pTmrMngr;
    CLogViewerLink m_logLink{SENDER_PROP};
    BOOL m_bReadFromCore = FALSE;
    HANDLE m_hEvtReadEnd = nullptr;
    HANDLE m_hEvtReadFail = nullptr;
    // A store is under way (its box may be up).
    BOOL m_bStoring = FALSE;
    // The final apply has gone to the core program (OK, or the sheet's end).
    BOOL m_bFinalDone = FALSE;
};
