#include "SharedMem.h"

#include <cstring>
#include <utility>

#include "LogManager.h"
#include "Strings.h"
#include "VerifyFailed.h"

namespace {

constexpr LPCWSTR kSourceFile = L"..\\ZvCommon\\SharedMem";

} // namespace

BYTE GetXorSum(const BYTE* pb, int nCount) noexcept
{
    BYTE bSum = 0;
    for (int i = 0; i < nCount; ++i)
        bSum ^= pb[i];
    return bSum;
}

CSharedMem::CSharedMem(int nSender) : m_nSender(nSender) {}

void CSharedMem::LockView(CSingleLock& lockRes, LPCWSTR pszFile, int nLine)
{
    if (!lockRes.Lock(m_dwMutexWait))
        VerifyFailed(L"lockRes.Lock(m_dwMutexWait)", pszFile, nLine, GetLastError());
}

CSharedMem::~CSharedMem()
{
    if (!m_pMutex && !m_hFileMap)
        return;
    CSingleLock lockRes(m_pMutex);
    // A holder that keeps the mutex past the wait (another program of the same sender, a hung
    // thread) must not end this program: the view and the handle are this object's alone, so
    // they go without the lock.
    if (m_pMutex && !lockRes.Lock(m_dwMutexWait) && m_bLogRelease)
        OutputLog(LOG_LEVEL_ERROR, m_nSender,
                  L"CSharedMem::~CSharedMem() could not lock %s (0x%x), unmapped without the lock.\r\n",
                  m_strName.c_str(), lockRes.GetLastWaitResult());
    if (m_pbView)
        UnmapViewOfFile(m_pbView);
    m_pbView = nullptr;
    m_hFileMap.reset();
    m_bWritable = FALSE;
    lockRes.Unlock();
    delete m_pMutex;
}

void CSharedMem::MakeMutexName(LPCWSTR pszName, std::wstring& strMutexName) const
{
    strMutexName = FormatString(L"%s : sender=%d, name=%s", L"Mutex", m_nSender, pszName ? pszName : L"");
}

BOOL CSharedMem::MakeMutex(LPCWSTR pszName)
{
    if (m_pMutex)
        return FALSE;
    std::wstring strMutexName;
    MakeMutexName(pszName, strMutexName);
    auto* pMutex = new CMutex(FALSE, strMutexName.c_str());
    // A name taken by an object of another kind, or no room for one more handle.
    if (!pMutex->GetHandle()) {
        delete pMutex;
        return FALSE;
    }
    m_pMutex = pMutex;
    return TRUE;
}

BOOL CSharedMem::MapView(CHandle hFileMap, DWORD dwAccess)
{
    auto* pbView = static_cast<BYTE*>(MapViewOfFile(hFileMap.get(), dwAccess, 0, 0, 0));
    if (!pbView)
        return FALSE;
    MEMORY_BASIC_INFORMATION mbi = {};
    if (VirtualQuery(pbView, &mbi, sizeof(mbi)) != sizeof(mbi) || mbi.RegionSize == 0) {
        UnmapViewOfFile(pbView);
        return FALSE;
    }
    m_hFileMap = std::move(hFileMap);
    m_pbView = pbView;
    m_cbView = mbi.RegionSize;
    m_bWritable = (dwAccess & FILE_MAP_WRITE) != 0;
    return TRUE;
}

BOOL CSharedMem::Create(LPCWSTR pszName, DWORD dwProtect, void* pParam)
{
    // A copy-on-write section cannot take the writable view that a frame needs.
    if (m_hFileMap || !pszName || !*pszName || !pParam ||
        (dwProtect != PAGE_READWRITE && dwProtect != PAGE_READONLY))
        return FALSE;
    const DWORD dwSize = *static_cast<const DWORD*>(pParam);
    if (dwSize == 0 || !MakeMutex(pszName))
        return FALSE;

    CSingleLock lockRes(m_pMutex);
    LockView(lockRes, kSourceFile, __LINE__);

    // A name that still exists belongs to someone else's mapping: never attach to it, wait
    // (bounded) for its last holder to let go so that the view starts zero-filled.
    const ULONGLONG ullStart = GetTickCount64();
    CHandle hFileMap;
    for (;;) {
        hFileMap.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, dwProtect, 0, dwSize, pszName));
        if (!hFileMap || GetLastError() != ERROR_ALREADY_EXISTS)
            break;
        hFileMap.reset();
        if (GetTickCount64() - ullStart >= m_dwCreateRetry)
            break;
        Sleep(10);
    }
    if (!hFileMap)
        return FALSE;

    const DWORD dwAccess = dwProtect == PAGE_READWRITE ? FILE_MAP_WRITE : FILE_MAP_READ;
    if (!MapView(std::move(hFileMap), dwAccess))
        return FALSE;
    m_strName = pszName;
    return TRUE;
}

BOOL CSharedMem::Open(LPCWSTR pszName, BOOL bInherit, DWORD dwAccess)
{
    if (m_hFileMap || !pszName || !*pszName || !MakeMutex(pszName))
        return FALSE;

    CSingleLock lockRes(m_pMutex);
    LockView(lockRes, kSourceFile, __LINE__);

    CHandle hFileMap(OpenFileMappingW(dwAccess, bInherit, pszName));
    if (!hFileMap || !MapView(std::move(hFileMap), dwAccess))
        return FALSE;
    m_strName = pszName;
    return TRUE;
}

int CSharedMem::GetFrameLen(int nMinLen, int nMaxLen) const noexcept
{
    if (!m_pbView || m_cbView < sizeof(int))
        return -1;
    const int nLen = ReadInt32(m_pbView + FRAME_LEN_OFS);
    if (nLen < nMinLen || nLen > nMaxLen || nLen < 0)
        return -1;
    // The checksum byte at offset nLen must lie inside the view.
    if (static_cast<SIZE_T>(nLen) >= m_cbView)
        return -1;
    return nLen;
}

BOOL CSharedMem::IsFrameValid(int nLen, int nSumCount, const char* pszTag, int cbTagField) const noexcept
{
    if (!m_pbView || static_cast<SIZE_T>(nLen) >= m_cbView)
        return FALSE;
    return IsFrameBytesValid(m_pbView, nLen, nSumCount, pszTag, cbTagField);
}

BOOL CSharedMem::IsFrameBytesValid(const BYTE* pb, int nLen, int nSumCount, const char* pszTag,
                                   int cbTagField) noexcept
{
    if (!pb || nLen < FRAME_TAG_OFS + cbTagField || nSumCount < 0 || nSumCount > nLen)
        return FALSE;
    if (pb[nLen] != GetXorSum(pb, nSumCount))
        return FALSE;
    const char* pszField = reinterpret_cast<const char*>(pb + FRAME_TAG_OFS);
    const size_t cchTag = strlen(pszTag);
    return cchTag < static_cast<size_t>(cbTagField) && strnlen(pszField, cbTagField) == cchTag &&
           memcmp(pszField, pszTag, cchTag) == 0;
}

void CSharedMem::WriteFrameHead(int nLen, const char* pszTag, int cbTagField) noexcept
{
    WriteInt32(m_pbView + FRAME_LEN_OFS, nLen);
    char* pszField = reinterpret_cast<char*>(m_pbView + FRAME_TAG_OFS);
    memset(pszField, 0, cbTagField);
    memcpy(pszField, pszTag, strnlen(pszTag, cbTagField - 1));
}

void CSharedMem::StoreFrameSum(int nLen) noexcept
{
    m_pbView[nLen] = GetXorSum(m_pbView, nLen - 1);
}

int CSharedMem::ReadInt32(const BYTE* pb) noexcept
{
    return static_cast<int>(static_cast<DWORD>(pb[0]) | static_cast<DWORD>(pb[1]) << 8 |
                            static_cast<DWORD>(pb[2]) << 16 | static_cast<DWORD>(pb[3]) << 24);
}

void CSharedMem::WriteInt32(BYTE* pb, int nValue) noexcept
{
    const auto dw = static_cast<DWORD>(nValue);
    pb[0] = static_cast<BYTE>(dw);
    pb[1] = static_cast<BYTE>(dw >> 8);
    pb[2] = static_cast<BYTE>(dw >> 16);
    pb[3] = static_cast<BYTE>(dw >> 24);
}
