// CSharedMemPropUndo: the Undo section, six int32 from offset 24.
#pragma once

#include "SharedMemPropRaw.h"

class CSharedMemPropUndo : public CSharedMemPropRaw<PROP_UNDO> {
public:
    static constexpr wchar_t NAME[] = L"Zuvora! Property : Undo";
    static constexpr char TAG[] = "ZvSmPropUndo_V0700";
    static constexpr int LEN = 48;

    explicit CSharedMemPropUndo(int nSender);
};

static_assert(PropBlockLen(CSharedMemPropUndo::TAG, sizeof(PROP_UNDO)) == CSharedMemPropUndo::LEN);
