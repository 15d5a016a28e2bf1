// CSharedMemPropView: the View section, ten int32 from offset 24.
#pragma once

#include "SharedMemPropRaw.h"

class CSharedMemPropView : public CSharedMemPropRaw<PROP_VIEW> {
public:
    static constexpr wchar_t NAME[] = L"Zuvora! Property : View";
    static constexpr char TAG[] = "ZvSmPropView_V0802";
    static constexpr int LEN = 64;

    explicit CSharedMemPropView(int nSender);
};

static_assert(PropBlockLen(CSharedMemPropView::TAG, sizeof(PROP_VIEW)) == CSharedMemPropView::LEN);
