// The core program's one window: a modeless dialog that is never shown.
#pragma once
#include "Window.h"

class CZvCoreDlg : public CDialog {
public:
    CZvCoreDlg();

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void PostNcDestroy() override { delete this; }

private:
    LRESULT OnClose(WPARAM, LPARAM) noexcept;
};
