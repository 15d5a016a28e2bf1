// What the eight settings pages share: the record, the sheet and the page's index, the apply that
// goes through the sheet, the relay of the active page, the range check on leaving with its message
// and refocus, the help line and the defaults button. Each page class (one per file,
// PropertyPage*.h) adds only what is its own, through the hooks the base calls.
#pragma once

#include <windows.h>

#include <string>

#include "PageValues.h"
#include "PropertySet.h"
#include "PropertySheet.h"
#include "resource.h"

class CZvPropertySheet;

class CZvPropertyPage : public CPropertyPage {
public:
    CZvPropertyPage(UINT nIDTemplate, PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex);

    int GetPageIndex() const noexcept { return m_nPageIndex; }

protected:
    // The sheet stores (the registry, or the core program through the blocks) on its own
    // message; the Cancel button reads Close afterwards, since what is stored stays stored.
    BOOL OnApply(BOOL bClosing) override;
    // The sheet relays the new page to the core program, which opens it next time; then the
    // page's own steps (OnActivatePage).
    BOOL OnSetActive() override;
    // A value out of range keeps the user on the page: the range message, then the failing edit
    // selected and focused once the box has gone (MSG_PROP_REFOCUS).
    BOOL OnKillActive() override;

    // What a page fills in. Each is called only for what the page's template holds.
    // Its own steps when it becomes the current page.
    virtual void OnActivatePage() {}
    // The check on leaving, once initialised: FALSE with *pErr for the first value out of range.
    virtual BOOL CheckRanges(RANGE_ERROR* /*pErr*/) { return TRUE; }
    // A control's notification (WM_COMMAND): TRUE when the page took it.
    virtual BOOL OnControlCommand(UINT /*nId*/, UINT /*nCode*/, HWND /*hWndCtrl*/) { return FALSE; }
    // The help line's string for a control that takes the focus; 0 leaves the line as it is.
    virtual UINT GetHelpStringId(int /*nCtrlId*/) const { return 0; }
    // Button 1010: the page's defaults into the record and its controls; TRUE when the record
    // changed (the page is then marked modified).
    virtual BOOL OnDefault() { return FALSE; }

    // The help line (static 1011) shows string nIdString.
    void SetHelpLine(UINT nIdString);
    // The help line shows the text of the control that has the focus, when it has one.
    void ShowHelpForFocus();
    // The range message, owned by this page, and the refocus of the failing edit posted.
    void ShowRangeError(const RANGE_ERROR& err);
    // The edit's text read as the pages read numbers (PageValues::ReadNumber).
    int ReadEditNumber(int nId) const;
    // An edit filled from the record: its change notification, which the page would read back
    // (a digits-only reading turns a stored negative number into 0), is not passed on.
    void SetEditText(int nId, const std::wstring& strText);
    void SetEditNumber(int nId, int nValue);
    // A control's text, and a check box or radio button set or read.
    std::wstring ItemText(int nId) const;
    void SetCheck(int nId, BOOL bChecked) const;
    BOOL IsChecked(int nId) const;

    PROPERTY_SET* m_pProp;
    CZvPropertySheet* m_pSheet;
    int m_nPageIndex;
    // Set at the end of the page's initialisation: notifications that come while the page fills
    // its own controls change nothing.
    BOOL m_bInitialized = FALSE;
    // Set while SetEditText fills an edit.
    BOOL m_bFilling = FALSE;

private:
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnPropRefocus(WPARAM wParam, LPARAM lParam);
    void ShowHelpFor(int nCtrlId);
};
