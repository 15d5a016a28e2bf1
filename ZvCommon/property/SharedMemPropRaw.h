// CSharedMemPropRaw: a settings block whose payload is one fixed-size section of PROPERTY_SET as it
// lies in the record (its widths and field order are asserted in PropertySet.h).
#pragma once

#include "SharedMemProp.h"

template <class T>
class CSharedMemPropRaw : public CSharedMemProp {
    static_assert(kIsRawSection<T>, "a raw block carries a trivially copyable section");

public:
    // Each under the block mutex; Set stores the new checksum. Get leaves the section as it was
    // when the block is not valid.
    BOOL Set(const T& section)
    {
        return WriteBlock(__LINE__, m_nMinLen, [&](int) { memcpy(Payload(), &section, sizeof(T)); });
    }
    BOOL Get(T& section)
    {
        return ReadBlock(__LINE__, [&](const BYTE* pb, int) { memcpy(&section, pb + m_nPayloadOfs, sizeof(T)); });
    }

    BOOL SetFrom(const PROPERTY_SET& prop) override { return Set(prop.*m_pSection); }
    BOOL GetInto(PROPERTY_SET& prop) override { return Get(prop.*m_pSection); }
    int GetLenFor(const PROPERTY_SET&) const override { return m_nMinLen; }

protected:
    CSharedMemPropRaw(int nSender, const char* pszTag, LPCWSTR pszMapName, LPCWSTR pszClass, LPCWSTR pszSourceFile,
                      T PROPERTY_SET::*pSection)
        : CSharedMemProp(nSender, pszTag, pszMapName, pszClass, pszSourceFile, PropBlockLen(pszTag, sizeof(T)),
                         PropBlockLen(pszTag, sizeof(T))),
          m_pSection(pSection)
    {
    }

    // The payload starts zeroed; the parameter is not used.
    int GetCreateLen(const void*) const override { return m_nMinLen; }

private:
    T PROPERTY_SET::* const m_pSection;
};
