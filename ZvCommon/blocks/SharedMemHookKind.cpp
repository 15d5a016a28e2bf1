#include "SharedMemHookKind.h"

#include <cstring>

#include "LogManager.h"
#include "LoggedSingleLock.h"
#include "VerifyFailed.h"

namespace {

constexpr LPCWSTR kSourceFile = L"..\\ZvCommon\\SharedMemHookKind";

} // namespace

CSharedMemHookKind::CSharedMemHookKind(int nSender, int nKind, int nLen, size_t cbPayload, LPCWSTR pszClass)
    : CSharedMem(nSender), m_nKind(nKind), m_nLen(nLen), m_cbPayload(cbPayload), m_pszClass(pszClass)
{
}

CSharedMemHookKind::~CSharedMemHookKind()
{
    OutputLog(LOG_LEVEL_DEBUG, m_nSender, L"%s destructor called.\n", m_pszClass);
}

void CSharedMemHookKind::LocateFields() noexcept
{
    m_sm = SM_HOOK();
    if (!m_pbView || m_cbView <= static_cast<SIZE_T>(m_nLen))
        return;
    m_sm.pnLen = m_pbView + FRAME_LEN_OFS;
    m_sm.pszTag = m_pbView + FRAME_TAG_OFS;
    m_sm.pPayload = m_pbView + HOOK_PAYLOAD_OFS;
    m_sm.pbSum = m_pbView + m_nLen;
}

BOOL CSharedMemHookKind::Create(LPCWSTR pszName, DWORD dwProtect, void* pParam)
{
    if (!pParam || dwProtect != PAGE_READWRITE)
        return FALSE;
    DWORD dwMapSize = static_cast<DWORD>(m_nLen) + 1;
    if (!CSharedMem::Create(pszName, dwProtect, &dwMapSize))
        return FALSE;
    CLoggedSingleLock lockRes(m_nSender, m_pMutex);
    if (!lockRes.Lock(kSourceFile, __LINE__, m_dwMutexWait))
        VerifyFailed(L"lockRes.Lock(__FILE__, __LINE__, m_dwMutexWait)", kSourceFile, __LINE__, GetLastError());
    LocateFields();
    WriteFrameHead(m_nLen, HOOK_BLOCK_TAG, HOOK_TAG_FIELD);
    memcpy(m_pbView + HOOK_PAYLOAD_OFS, pParam, m_cbPayload);
    WriteInt32(m_pbView + HOOK_PAYLOAD_OFS, m_nKind);
    StoreFrameSum(m_nLen);
    return TRUE;
}

BOOL CSharedMemHookKind::Open(LPCWSTR pszName, BOOL bInherit, DWORD dwAccess)
{
    if (!CSharedMem::Open(pszName, bInherit, dwAccess))
        return FALSE;
    CLoggedSingleLock lockRes(m_nSender, m_pMutex);
    if (!lockRes.Lock(kSourceFile, __LINE__, m_dwMutexWait))
        VerifyFailed(L"lockRes.Lock(__FILE__, __LINE__, m_dwMutexWait)", kSourceFile, __LINE__, GetLastError());
    LocateFields();
    return IsValid();
}

BOOL CSharedMemHookKind::IsValid()
{
    const int nLen = GetFrameLen(m_nLen, m_nLen);
    const int nKind = nLen < 0 ? 0 : ReadInt32(m_pbView + HOOK_PAYLOAD_OFS);
    if (nLen < 0 || !IsFrameValid(nLen, nLen - 1, HOOK_BLOCK_TAG, HOOK_TAG_FIELD) || nKind != m_nKind) {
        OutputLog(LOG_LEVEL_DEBUG, m_nSender, L"%s::IsValid() refused the block %s, nLen = %d, nKind = %d.\r\n",
                  m_pszClass, m_strName.c_str(), m_pbView && m_cbView >= sizeof(int) ? ReadInt32(m_pbView) : -1,
                  nKind);
        return FALSE;
    }
    return TRUE;
}

BOOL CSharedMemHookKind::CopyPayload(void* pData) const
{
    if (!pData || !m_sm.pPayload || GetFrameLen(m_nLen, m_nLen) < 0)
        return FALSE;
    memcpy(pData, m_sm.pPayload, m_cbPayload);
    return TRUE;
}
