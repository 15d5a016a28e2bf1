// Property sheets: CPropertyPage (a child dialog of a sheet) and CPropertySheet, shown modally by
// a loop of our own over a modeless PropertySheetW.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "Window.h"

class CPropertySheet;

// One page: a dialog template (WS_CHILD, no caption bar) whose window the sheet creates when the
// page is first shown. Its messages use the CWnd table like any dialog's; the sheet's PSN_
// notifications arrive as the virtual functions below.
class CPropertyPage : public CDialog {
public:
    // The tab shows pszCaption when given, the template's caption otherwise.
    explicit CPropertyPage(UINT nIDTemplate, LPCWSTR pszCaption = nullptr);

    // The sheet's Apply button enabled (TRUE) or, when no other page is changed, disabled.
    void SetModified(BOOL bChanged = TRUE);
    // After a change that cannot be undone: OK reads "Close" and Cancel is disabled.
    void CancelToClose();
    CPropertySheet* GetSheet() const { return m_pSheet; }

    // The page as the sheet receives it. dwFlags starts with PSP_HASHELP (and PSP_USETITLE with
    // a caption); clear or set flags before the sheet is shown. The sheet fills in the template,
    // the procedure, the title and the object itself.
    PROPSHEETPAGEW m_psp;

protected:
    // PSN_SETACTIVE: FALSE keeps the page from being shown.
    virtual BOOL OnSetActive() { return TRUE; }
    // PSN_KILLACTIVE: FALSE keeps the user on this page (the sheet neither switches nor closes).
    virtual BOOL OnKillActive() { return TRUE; }
    // PSN_APPLY, sent to every page whose window exists: bClosing is TRUE for OK, FALSE for
    // Apply. FALSE refuses the apply and makes this page the current one.
    virtual BOOL OnApply(BOOL bClosing);
    // PSN_RESET, sent to every page whose window exists when the sheet is cancelled: calls OnCancel.
    virtual void OnReset();
    // PSN_QUERYCANCEL, sent to the current page: FALSE keeps the sheet open.
    virtual BOOL OnQueryCancel() { return TRUE; }
    // A page has no OK or Cancel of its own: neither ends nor destroys anything.
    void OnOK() override {}
    void OnCancel() override {}

private:
    friend class CPropertySheet;
    // The structure handed to PropertySheetW, completed for this sheet.
    const PROPSHEETPAGEW& PreparePage(CPropertySheet* pSheet);
    // A PSN_ notification of the sheet: TRUE with its result when it is one.
    BOOL OnSheetNotify(NMHDR* pNmhdr, LRESULT* plResult);
    static INT_PTR CALLBACK PageDlgProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    UINT m_nIDPageTemplate;
    std::wstring m_strCaption;
    CPropertySheet* m_pSheet = nullptr;
};

// A sheet of pages with OK, Cancel, Apply (and Help when PSH_HASHELP and the page's PSP_HASHELP
// ask for it). The sheet's own window is subclassed, so a derived sheet maps WM_SYSCOMMAND,
// WM_TIMER, WM_DESTROY or private messages in its CWnd table; Default() hands a message on to
// the system's sheet.
class CPropertySheet : public CWnd {
public:
    // nSelectPage: the page shown first; out of range, the system shows the first.
    explicit CPropertySheet(LPCWSTR pszCaption = L"", HWND hWndParent = nullptr, UINT nSelectPage = 0);

    // Pages are shown in the order added and are not owned: they must outlive the sheet's window.
    void AddPage(CPropertyPage* pPage);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int nPage) const;
    // The current page's index (before the window exists: the page asked to be shown first).
    int GetActiveIndex() const;
    CPropertyPage* GetActivePage() const;
    // Shows page nPage, running the current page's kill-active (which may refuse): TRUE when done.
    // Before the window exists it only chooses the page shown first.
    BOOL SetActivePage(int nPage);
    // PSBTN_OK, PSBTN_CANCEL, PSBTN_APPLYNOW, ...: as the user's click, once the current
    // message has been handled (posted).
    BOOL PressButton(int nButton);
    void SetTitle(LPCWSTR pszCaption) { m_strCaption = pszCaption ? pszCaption : L""; }

    // Shows the sheet modally: a modeless PropertySheetW with our own loop, the parent disabled
    // meanwhile. Ends when the system says the sheet is done (OK, Cancel, Close, Escape) or at
    // EndDialog. IDOK when OK was pressed or an apply took place, IDCANCEL otherwise, the value
    // given to EndDialog, -1 when the sheet cannot be made. WM_QUIT ends it too and is posted again.
    virtual INT_PTR DoModal();
    // Ends DoModal from code with nResult, applying nothing.
    void EndDialog(INT_PTR nResult);

    // The header handed to PropertySheetW. dwFlags starts with PSH_HASHELP; clear it, or set
    // PSH_USEHICON with hIcon, before DoModal. DoModal fills in the pages, caption, parent,
    // start page (nStartPage) and the modeless flags.
    PROPSHEETHEADERW m_psh;

protected:
    // The sheet's window exists, its pages are added and the first page is shown; called before
    // the loop begins. The return value is not used.
    virtual BOOL OnInitDialog() { return TRUE; }
    // The sheet is done (nResult is what DoModal returns) and its window still exists: called once
    // before the window is destroyed, so that whoever watches the window sees it go only after this.
    virtual void OnSheetDone(INT_PTR /*nResult*/) {}

private:
    friend class CPropertyPage;
    static int CALLBACK SheetCallback(HWND hWnd, UINT uMsg, LPARAM lParam);
    BOOL IsSheetRunning() const;
    void SetIconsIfMissing();

    std::wstring m_strCaption;
    HWND m_hWndParent;
    std::vector<CPropertyPage*> m_pages;
    std::vector<PROPSHEETPAGEW> m_pageStructs;
    BOOL m_bEndRequested = FALSE;
    // A page took an apply (OK or Apply) during this DoModal.
    BOOL m_bApplied = FALSE;
    INT_PTR m_nEndResult = IDCANCEL;
};
