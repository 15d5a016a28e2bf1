// CSharedMemPropKeybd: the ten key assignments.
//
//   25 + 8 * i   int32 bEnable, int32 nKeys of entry i (KEY_ASSIGN_ENTRY order)
//   105          the key bytes of all entries one after another, nKeys per entry
//   nLen = 105 + K, K the keys of all ten lists; every key of a list travels, also beyond the
//   registry's eight.
#pragma once

#include "SharedMemProp.h"

class CSharedMemPropKeybd : public CSharedMemProp {
public:
    static constexpr wchar_t NAME[] = L"Zuvora! Property : Keyboard";
    static constexpr char TAG[] = "ZvSmPropKeybd_V0700";
    static constexpr int ENTRY_OFS = 25;
    static constexpr int ENTRY_SIZE = 8;
    static constexpr int KEYS_OFS = ENTRY_OFS + ENTRY_SIZE * KEYASSIGN_COUNT;
    static constexpr int MIN_LEN = KEYS_OFS;

    explicit CSharedMemPropKeybd(int nSender);

    // The block of the record's lists has 105 + K bytes; -1 when K will not fit.
    static int GetLenForKeys(const PROP_KEYBD& keybd) noexcept;

    // Set refuses lists whose key total differs from the block's. Get replaces every list, or
    // nothing when the block does not add up.
    BOOL Set(const PROP_KEYBD& keybd);
    BOOL Get(PROP_KEYBD& keybd);

    BOOL CreateFor(const PROPERTY_SET& prop) override;
    BOOL SetFrom(const PROPERTY_SET& prop) override { return Set(prop.propKeybd); }
    BOOL GetInto(PROPERTY_SET& prop) override { return Get(prop.propKeybd); }
    int GetLenFor(const PROPERTY_SET& prop) const override { return GetLenForKeys(prop.propKeybd); }

    // The key bytes, while the block is sound.
    BYTE* m_pbyKey = nullptr;

protected:
    // pParam: int* K.
    int GetCreateLen(const void* pParam) const override;
    // Every nKeys at least 0 and all of them together exactly nLen - 105.
    BOOL IsPayloadSound(const BYTE* pb, int nLen) const override;
    void LocateFields(int nLen, const BYTE* pb) noexcept override;
};
