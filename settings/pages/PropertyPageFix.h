// The fixed windows page: the windows that scroll and the windows that stay in place, side by
// side, and whether a fixed window is kept by its title or by its application. The live view comes
// from a window enumerator of the page's own, whose move list and fixed list stand behind the two
// list boxes; the record's fixed-title and fixed-application lists are edited in place.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "WndEnumerator.h"
#include "ZvPropertyPages.h"

class CPropertyPageFix : public CZvPropertyPage {
public:
    CPropertyPageFix(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex);
    ~CPropertyPageFix() override;

protected:
    BOOL OnInitDialog() override;
    // The window-event hook is held only while this page is the current one: it tells the page
    // that the window set changed, so that the next search enumerates afresh.
    void OnActivatePage() override;
    BOOL OnKillActive() override;
    BOOL OnControlCommand(UINT nId, UINT nCode, HWND hWndCtrl) override;

private:
    LRESULT OnHookCbtWndChg(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    void SetWndChgHook(BOOL bOn);

    // The text a window is listed by: its title, or while untitled windows scroll, its label.
    // FALSE for a window that no longer exists.
    BOOL GetWndDispText(HWND hWnd, std::wstring& strText) const;
    // The other windows of the application, hWnd left out.
    std::vector<HWND> OtherWndsOfApp(const std::wstring& strApp, HWND hWnd);
    // Asks in the query dialog when the change reaches other windows: TRUE for go ahead.
    BOOL QueryOthers(int nMode, const std::wstring& strApp, const std::wstring& strText,
                     const std::vector<HWND>& lstOthers);
    // The record of the window, when it has one of that kind.
    CFixWnd* FindFixRecord(HWND hWnd, int nType) const;
    // The record's entry of the fixed list, or -1; null when the entry no longer holds a live record.
    CFixWnd* SelectedFixRecord() const;

    void UpdateFixCtrls();
    void SetTitleList();
    void UpdateFixDetail();
    void ResetFixDetail();
    void UpdateButtons();
    BOOL UpdateLists();
    void SetGadgetCheck();
    void AddFixTitleStr(const std::wstring& strTitle);
    void AddFixAppStr(const std::wstring& strApp);
    // The title leaves the fixed-title list when no fixed record keeps it any more.
    void DropFixTitleStrIfUnused(const std::wstring& strTitle);

    void OnToggleTitledOnly();
    void OnToggleFixGadget();
    void OnButtonFix();
    void OnButtonMove();
    // A window unfixed: its entry and record gone, the window in the scroll list and move list.
    void UnfixEntry(CFixWnd* pFixWnd, const std::wstring& strText);
    void OnBnClickedRadioFixTitle();
    void OnBnClickedRadioFixApp();
    BOOL SetFixAppToFixTitle(CFixWnd* pFixWnd);
    BOOL SetFixTitleToFixApp(CFixWnd* pFixWnd);

    void DumpFixLists(LPCWSTR pszEvent) const;

    HWND ScrollList() const { return GetDlgItem(m_hWnd, IDC_FX_SCROLL_LIST); }
    HWND FixedList() const { return GetDlgItem(m_hWnd, IDC_FX_FIXED_LIST); }

    std::unique_ptr<CWndEnumerator> m_pwe;
    HWND m_hWndCore = nullptr;
    HHOOK m_hHookCbt = nullptr;
};
