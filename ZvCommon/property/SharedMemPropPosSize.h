// CSharedMemPropPosSize: the two bar rectangles from offset 27, then the bars' window handles at
// 59 and 67, 64 bits wide in every program.
#pragma once

#include "SharedMemPropRaw.h"

class CSharedMemPropPosSize : public CSharedMemPropRaw<PROP_POSSIZE> {
public:
    static constexpr wchar_t NAME[] = L"Zuvora! Property : Position & Size";
    static constexpr char TAG[] = "ZvSmPropPosSize_V0700";
    static constexpr int LEN = 75;

    explicit CSharedMemPropPosSize(int nSender);
};

static_assert(PropBlockLen(CSharedMemPropPosSize::TAG, sizeof(PROP_POSSIZE)) == CSharedMemPropPosSize::LEN);
