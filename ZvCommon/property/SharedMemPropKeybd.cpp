#include "SharedMemPropKeybd.h"

CSharedMemPropKeybd::CSharedMemPropKeybd(int nSender)
    : CSharedMemProp(nSender, TAG, NAME, L"CSharedMemPropKeybd", L"..\\ZvCommon\\SharedMemPropKeybd", MIN_LEN,
                     MAX_VAR_LEN)
{
}

int CSharedMemPropKeybd::GetLenForKeys(const PROP_KEYBD& keybd) noexcept
{
    size_t cKeys = 0;
    for (const KEY_ASSIGN& ka : keybd.aKeyAssign)
        cKeys += ka.lstKey.size();
    if (cKeys > static_cast<size_t>(MAX_VAR_LEN - KEYS_OFS))
        return -1;
    return KEYS_OFS + static_cast<int>(cKeys);
}

int CSharedMemPropKeybd::GetCreateLen(const void* pParam) const
{
    if (!pParam)
        return -1;
    const int nKeys = *static_cast<const int*>(pParam);
    if (nKeys < 0 || nKeys > MAX_VAR_LEN - KEYS_OFS)
        return -1;
    return KEYS_OFS + nKeys;
}

BOOL CSharedMemPropKeybd::CreateFor(const PROPERTY_SET& prop)
{
    int nKeys = GetLenForKeys(prop.propKeybd) - KEYS_OFS;
    return Create(GetMappingName(), PAGE_READWRITE, &nKeys);
}

BOOL CSharedMemPropKeybd::IsPayloadSound(const BYTE* pb, int nLen) const
{
    long long llKeys = 0;
    for (int i = 0; i < KEYASSIGN_COUNT; ++i) {
        const int nKeys = ReadInt32(pb + ENTRY_OFS + ENTRY_SIZE * i + 4);
        if (nKeys < 0)
            return FALSE;
        llKeys += nKeys;
    }
    return llKeys == nLen - KEYS_OFS;
}

void CSharedMemPropKeybd::LocateFields(int nLen, const BYTE* pb) noexcept
{
    CSharedMemProp::LocateFields(nLen, pb);
    m_pbyKey = nLen < 0 ? nullptr : m_pbView + KEYS_OFS;
}

BOOL CSharedMemPropKeybd::Set(const PROP_KEYBD& keybd)
{
    return WriteBlock(__LINE__, GetLenForKeys(keybd), [&](int) {
        BYTE* pbyKey = m_pbView + KEYS_OFS;
        for (int i = 0; i < KEYASSIGN_COUNT; ++i) {
            const KEY_ASSIGN& ka = keybd.aKeyAssign[i];
            BYTE* pbEntry = m_pbView + ENTRY_OFS + ENTRY_SIZE * i;
            WriteInt32(pbEntry, ka.bEnable);
            WriteInt32(pbEntry + 4, static_cast<int>(ka.lstKey.size()));
            if (!ka.lstKey.empty())
                memcpy(pbyKey, ka.lstKey.data(), ka.lstKey.size());
            pbyKey += ka.lstKey.size();
        }
    });
}

BOOL CSharedMemPropKeybd::Get(PROP_KEYBD& keybd)
{
    PROP_KEYBD keybdRead;
    if (!ReadBlock(__LINE__, [&](const BYTE* pb, int) {
            const BYTE* pbyKey = pb + KEYS_OFS;
            for (int i = 0; i < KEYASSIGN_COUNT; ++i) {
                const BYTE* pbEntry = pb + ENTRY_OFS + ENTRY_SIZE * i;
                const int nKeys = ReadInt32(pbEntry + 4);
                keybdRead.aKeyAssign[i].bEnable = ReadInt32(pbEntry);
                keybdRead.aKeyAssign[i].lstKey.assign(pbyKey, pbyKey + nKeys);
                pbyKey += nKeys;
            }
        }))
        return FALSE;
    keybd = std::move(keybdRead);
    return TRUE;
}
