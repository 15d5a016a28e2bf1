// CSharedMemPropWindow: the Window section from offset 26: the ignore key byte and the three spare
// bytes after it (readers ignore them), then five int32.
#pragma once

#include "SharedMemPropRaw.h"

class CSharedMemPropWindow : public CSharedMemPropRaw<PROP_WINDOW> {
public:
    static constexpr wchar_t NAME[] = L"Zuvora! Property : Window";
    static constexpr char TAG[] = "ZvSmPropWindow_V0700";
    static constexpr int LEN = 50;

    explicit CSharedMemPropWindow(int nSender);
};

static_assert(PropBlockLen(CSharedMemPropWindow::TAG, sizeof(PROP_WINDOW)) == CSharedMemPropWindow::LEN);
