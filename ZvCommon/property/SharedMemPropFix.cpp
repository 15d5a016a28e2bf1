#include "SharedMemPropFix.h"

#include "Strings.h"

CSharedMemPropFix::CSharedMemPropFix(int nSender)
    : CSharedMemProp(nSender, TAG, NAME, L"CSharedMemPropFix", L"..\\ZvCommon\\SharedMemPropFix", MIN_LEN,
                     MAX_VAR_LEN)
{
}

std::vector<std::string> CSharedMemPropFix::Encode(const PROP_FIX& fix)
{
    std::vector<std::string> lstStr;
    lstStr.reserve(fix.lstTitle.size() + fix.lstApp.size());
    for (const std::wstring& str : fix.lstTitle)
        lstStr.push_back(MultiByteFromWide(str.c_str(), CP_UTF8));
    for (const std::wstring& str : fix.lstApp)
        lstStr.push_back(MultiByteFromWide(str.c_str(), CP_UTF8));
    return lstStr;
}

int CSharedMemPropFix::GetLenForStrings(const std::vector<std::string>& lstStr)
{
    long long llLen = ARRAYS_OFS;
    for (const std::string& str : lstStr) {
        llLen += 4 + static_cast<long long>(str.size()) + 1;
        if (llLen > MAX_VAR_LEN)
            return -1;
    }
    return static_cast<int>(llLen);
}

int CSharedMemPropFix::GetLenForFix(const PROP_FIX& fix)
{
    return GetLenForStrings(Encode(fix));
}

int CSharedMemPropFix::GetCreateLen(const void* pParam) const
{
    return pParam ? GetLenForFix(*static_cast<const PROP_FIX*>(pParam)) : -1;
}

BOOL CSharedMemPropFix::CreateFor(const PROPERTY_SET& prop)
{
    return Create(GetMappingName(), PAGE_READWRITE, const_cast<PROP_FIX*>(&prop.propFix));
}

void CSharedMemPropFix::FillCreated(int, const void* pParam)
{
    const auto& fix = *static_cast<const PROP_FIX*>(pParam);
    Fill(fix, Encode(fix));
}

void CSharedMemPropFix::Fill(const PROP_FIX& fix, const std::vector<std::string>& lstStr) noexcept
{
    WriteInt32(m_pbView + TITLED_OFS, fix.bScrollTitledWindowOnly);
    WriteInt32(m_pbView + GADGET_OFS, fix.bFixGadget);
    WriteInt32(m_pbView + TITLES_OFS, static_cast<int>(fix.lstTitle.size()));
    WriteInt32(m_pbView + APPS_OFS, static_cast<int>(fix.lstApp.size()));
    // One size per string in the two arrays, which lie back to back in the same order.
    BYTE* pnSize = m_pbView + ARRAYS_OFS;
    BYTE* psz = pnSize + 4 * lstStr.size();
    for (const std::string& str : lstStr) {
        WriteInt32(pnSize, static_cast<int>(str.size()) + 1);
        pnSize += 4;
        memcpy(psz, str.c_str(), str.size() + 1);
        psz += str.size() + 1;
    }
}

BOOL CSharedMemPropFix::Set(const PROP_FIX& fix)
{
    const std::vector<std::string> lstStr = Encode(fix);
    return WriteBlock(__LINE__, GetLenForStrings(lstStr), [&](int) { Fill(fix, lstStr); });
}

BOOL CSharedMemPropFix::IsPayloadSound(const BYTE* pb, int nLen) const
{
    const int nTitles = ReadInt32(pb + TITLES_OFS);
    const int nApps = ReadInt32(pb + APPS_OFS);
    if (nTitles < 0 || nApps < 0)
        return FALSE;
    const long long llStrings = static_cast<long long>(nTitles) + nApps;
    const long long llArea = ARRAYS_OFS + 4 * llStrings;
    if (llArea > nLen)
        return FALSE;
    // The sizes must account for the rest of the block exactly before any string is looked at.
    long long llSizes = 0;
    for (long long i = 0; i < llStrings; ++i) {
        const int nSize = ReadInt32(pb + ARRAYS_OFS + 4 * i);
        if (nSize < 1)
            return FALSE;
        llSizes += nSize;
    }
    if (llArea + llSizes != nLen)
        return FALSE;
    const BYTE* psz = pb + llArea;
    for (long long i = 0; i < llStrings; ++i) {
        const int nSize = ReadInt32(pb + ARRAYS_OFS + 4 * i);
        if (strnlen(reinterpret_cast<const char*>(psz), static_cast<size_t>(nSize)) != static_cast<size_t>(nSize - 1))
            return FALSE;
        psz += nSize;
    }
    return TRUE;
}

void CSharedMemPropFix::LocateFields(int nLen, const BYTE* pb) noexcept
{
    CSharedMemProp::LocateFields(nLen, pb);
    m_pnTitles = m_pnApps = m_panTitleLen = m_panAppLen = m_pszTitles = m_pszApps = nullptr;
    if (nLen < 0 || !pb || !IsPayloadSound(pb, nLen))
        return;
    const int nTitles = ReadInt32(pb + TITLES_OFS);
    const int nApps = ReadInt32(pb + APPS_OFS);
    m_pnTitles = m_pbView + TITLES_OFS;
    m_pnApps = m_pbView + APPS_OFS;
    m_panTitleLen = m_pbView + ARRAYS_OFS;
    m_panAppLen = m_panTitleLen + 4 * static_cast<size_t>(nTitles);
    m_pszTitles = m_panAppLen + 4 * static_cast<size_t>(nApps);
    BYTE* psz = m_pszTitles;
    for (int i = 0; i < nTitles; ++i)
        psz += ReadInt32(pb + ARRAYS_OFS + 4 * static_cast<size_t>(i));
    m_pszApps = psz;
}

BOOL CSharedMemPropFix::Get(PROP_FIX& fix)
{
    PROP_FIX fixRead;
    if (!ReadBlock(__LINE__, [&](const BYTE* pb, int) {
            fixRead.bScrollTitledWindowOnly = ReadInt32(pb + TITLED_OFS);
            fixRead.bFixGadget = ReadInt32(pb + GADGET_OFS);
            const int nTitles = ReadInt32(pb + TITLES_OFS);
            const int nApps = ReadInt32(pb + APPS_OFS);
            const BYTE* pnSize = pb + ARRAYS_OFS;
            const BYTE* psz = pnSize + 4 * (static_cast<size_t>(nTitles) + nApps);
            for (int i = 0; i < nTitles + nApps; ++i) {
                std::wstring str = WideFromMultiByte(reinterpret_cast<const char*>(psz), CP_UTF8);
                (i < nTitles ? fixRead.lstTitle : fixRead.lstApp).push_back(std::move(str));
                psz += ReadInt32(pnSize);
                pnSize += 4;
            }
        }))
        return FALSE;
    fix = std::move(fixRead);
    return TRUE;
}
