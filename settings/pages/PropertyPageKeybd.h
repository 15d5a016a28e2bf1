#pragma once

#include "KeybdPageValues.h"
#include "ZvPropertyPages.h"

// Keyboard: the ten key assignments (eight scroll keys, undo, menu) and their enable flags. A
// combination is entered by pressing it while a key edit has the focus: the keys are captured
// desktop-wide, through the core program's keyboard hook when it runs and through a hook of the
// page's own otherwise, checked against the rules and stored.
class CPropertyPageKeybd : public CZvPropertyPage {
public:
    CPropertyPageKeybd(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex);
    ~CPropertyPageKeybd() override;

protected:
    BOOL OnInitDialog() override;
    void OnActivatePage() override;
    BOOL OnKillActive() override;
    BOOL OnControlCommand(UINT nId, UINT nCode, HWND hWndCtrl) override;
    // While a key edit captures, the keys pressed in it are the combination, not input: neither the
    // edit, the dialog manager (Tab, mnemonics) nor the sheet (Ctrl+Tab) may act on them.
    BOOL PreTranslateMessage(MSG* pMsg) override;

private:
    void UpdateControls();
    void SetKeyCapture(BOOL bOn);
    BOOL SetKeybdHook(BOOL bOn);
    LRESULT OnKeybdHooked(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    void LogKeyAssign(LPCWSTR pszWhen) const;
    // The entry whose keys the capturing edit shows; -1 when none.
    int CaptureEntry() const;
    int SelectedOperation() const;
    void ShowKeyText(HWND hWndEdit, int nEntry) const;

    HHOOK m_hKeybdHook = nullptr;
    HWND m_hWndEditCapture = nullptr;
    // The keys held down, from the captured key events themselves: the thread's own keyboard state
    // follows only when the key's message arrives, after the hook has told of it.
    KeybdPageValues::KEY_STATE m_keyState{};
};
