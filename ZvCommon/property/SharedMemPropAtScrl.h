// CSharedMemPropAtScrl: the Auto Scroll section, six int32 from offset 26.
#pragma once

#include "SharedMemPropRaw.h"

class CSharedMemPropAtScrl : public CSharedMemPropRaw<PROP_ATSCRL> {
public:
    static constexpr wchar_t NAME[] = L"Zuvora! Property : Auto Scroll";
    static constexpr char TAG[] = "ZvSmPropAtScrl_V0700";
    static constexpr int LEN = 50;

    explicit CSharedMemPropAtScrl(int nSender);
};

static_assert(PropBlockLen(CSharedMemPropAtScrl::TAG, sizeof(PROP_ATSCRL)) == CSharedMemPropAtScrl::LEN);
