// CSharedMemPropScrlWdth: the Scroll section, twelve scroll-width entries of 16 bytes from offset 28.
#pragma once

#include "SharedMemPropRaw.h"

class CSharedMemPropScrlWdth : public CSharedMemPropRaw<PROP_SCRLWDTH> {
public:
    static constexpr wchar_t NAME[] = L"Zuvora! Property : Scroll Width";
    static constexpr char TAG[] = "ZvSmPropScrlWdth_V0700";
    static constexpr int LEN = 220;

    explicit CSharedMemPropScrlWdth(int nSender);
};

static_assert(PropBlockLen(CSharedMemPropScrlWdth::TAG, sizeof(PROP_SCRLWDTH)) == CSharedMemPropScrlWdth::LEN);
