#include "SharedMemProp.h"

#include <new>

#include "LogManager.h"
#include "VerifyFailed.h"

CSharedMemProp::CSharedMemProp(int nSender, const char* pszTag, LPCWSTR pszMapName, LPCWSTR pszClass,
                               LPCWSTR pszSourceFile, int nMinLen, int nMaxLen)
    : CSharedMem(nSender),
      m_pszTag(pszTag),
      m_cbTagField(static_cast<int>(strlen(pszTag)) + 2),
      m_nPayloadOfs(FRAME_TAG_OFS + static_cast<int>(strlen(pszTag)) + 2),
      m_nMinLen(nMinLen),
      m_nMaxLen(nMaxLen),
      m_pszMapName(pszMapName),
      m_pszClass(pszClass),
      m_pszSourceFile(pszSourceFile)
{
}

CSharedMemProp::~CSharedMemProp()
{
    OutputLog(LOG_LEVEL_DEBUG, m_nSender, L"%s destructor called.\n", m_pszClass);
}

void CSharedMemProp::LockBlock(CLoggedSingleLock& lockRes, int nLine)
{
    if (!lockRes.Lock(m_pszSourceFile, nLine, m_dwMutexWait))
        VerifyFailed(L"lockRes.Lock(__FILE__, __LINE__, m_dwMutexWait)", m_pszSourceFile, nLine, GetLastError());
}

BOOL CSharedMemProp::Create(LPCWSTR pszName, DWORD dwProtect, void* pParam)
{
    if (dwProtect != PAGE_READWRITE)
        return FALSE;
    const int nLen = GetCreateLen(pParam);
    if (nLen < m_nMinLen || nLen > m_nMaxLen) {
        LogRefusal(L"Create", nLen, m_nMinLen);
        return FALSE;
    }
    DWORD dwMapSize = static_cast<DWORD>(nLen) + 1;
    if (!CSharedMem::Create(pszName, dwProtect, &dwMapSize))
        return FALSE;
    CLoggedSingleLock lockRes(m_nSender, m_pMutex);
    LockBlock(lockRes, __LINE__);
    WriteFrameHead(nLen, m_pszTag, m_cbTagField);
    memset(Payload(), 0, static_cast<size_t>(nLen - m_nPayloadOfs));
    FillCreated(nLen, pParam);
    StoreFrameSum(nLen);
    LocateWritten(nLen);
    return TRUE;
}

BOOL CSharedMemProp::Open(LPCWSTR pszName, BOOL bInherit, DWORD dwAccess)
{
    if (!CSharedMem::Open(pszName, bInherit, dwAccess))
        return FALSE;
    CLoggedSingleLock lockRes(m_nSender, m_pMutex);
    LockBlock(lockRes, __LINE__);
    std::vector<BYTE> block;
    return CheckBlock(block) >= 0;
}

BOOL CSharedMemProp::IsValid()
{
    if (!m_pbView)
        return FALSE;
    CLoggedSingleLock lockRes(m_nSender, m_pMutex);
    LockBlock(lockRes, __LINE__);
    std::vector<BYTE> block;
    return CheckBlock(block) >= 0;
}

BOOL CSharedMemProp::CreateFor(const PROPERTY_SET&)
{
    return Create(m_pszMapName, PAGE_READWRITE, nullptr);
}

BOOL CSharedMemProp::OpenShared()
{
    return Open(m_pszMapName, FALSE, FILE_MAP_WRITE);
}

int CSharedMemProp::GetLen()
{
    if (!m_pbView)
        return -1;
    CLoggedSingleLock lockRes(m_nSender, m_pMutex);
    LockBlock(lockRes, __LINE__);
    return GetFrameLen(m_nMinLen, m_nMaxLen);
}

void CSharedMemProp::FillCreated(int, const void*) {}

BOOL CSharedMemProp::IsPayloadSound(const BYTE*, int) const
{
    return TRUE;
}

void CSharedMemProp::LocateFields(int nLen, const BYTE*) noexcept
{
    m_sm = SM_PROP();
    if (!m_pbView || nLen < 0)
        return;
    m_sm.pnLen = m_pbView + FRAME_LEN_OFS;
    m_sm.pszTag = m_pbView + FRAME_TAG_OFS;
    m_sm.pPayload = Payload();
    m_sm.pbSum = m_pbView + nLen;
}

void CSharedMemProp::LocateWritten(int nLen) noexcept
{
    try {
        const std::vector<BYTE> block(m_pbView, m_pbView + nLen + 1);
        LocateFields(nLen, block.data());
    } catch (const std::bad_alloc&) {
        LocateFields(-1, nullptr);
    }
}

int CSharedMemProp::CheckBlock(std::vector<BYTE>& block)
{
    // The length word is read once, and the block copied once with it: a count the other program
    // changes after this copy is never seen, so what was checked is what is read.
    const int nLen = GetFrameLen(m_nMinLen, m_nMaxLen);
    LPCWSTR pszWhy = nullptr;
    if (nLen < 0) {
        pszWhy = L"length";
    } else {
        try {
            block.assign(m_pbView, m_pbView + nLen + 1);
        } catch (const std::bad_alloc&) {
            block.clear();
            pszWhy = L"memory";
        }
    }
    if (!pszWhy) {
        if (ReadInt32(block.data() + FRAME_LEN_OFS) != nLen)
            pszWhy = L"length";
        else if (!IsFrameBytesValid(block.data(), nLen, nLen - 1, m_pszTag, m_cbTagField))
            pszWhy = L"checksum or tag";
        else if (!IsPayloadSound(block.data(), nLen))
            pszWhy = L"counts";
    }
    if (pszWhy) {
        LocateFields(-1, nullptr);
        OutputLog(LOG_LEVEL_DEBUG, m_nSender, L"%s::IsValid() refused the block %s (%s), nLen = %d.\r\n", m_pszClass,
                  m_strName.c_str(), pszWhy, ReadLenWord());
        return -1;
    }
    LocateFields(nLen, block.data());
    return nLen;
}

int CSharedMemProp::ReadLenWord() const noexcept
{
    return m_pbView && m_cbView >= sizeof(int) ? ReadInt32(m_pbView + FRAME_LEN_OFS) : -1;
}

void CSharedMemProp::LogRefusal(LPCWSTR pszWhere, int nLen, int nWant) const
{
    OutputLog(LOG_LEVEL_DEBUG, m_nSender, L"%s::%s() refused, nLen = %d, expected %d.\r\n", m_pszClass, pszWhere,
              nLen, nWant);
}
