#include "SharedMemSwtchHook.h"

#include <cstring>

#include "LogManager.h"
#include "LoggedSingleLock.h"
#include "VerifyFailed.h"

namespace {

constexpr LPCWSTR kSourceFile = L"..\\ZvCommon\\SharedMemSwtchHook";

} // namespace

CSharedMemSwtchHook::CSharedMemSwtchHook(int nSender) : CSharedMem(nSender) {}

CSharedMemSwtchHook::~CSharedMemSwtchHook()
{
    OutputLog(LOG_LEVEL_DEBUG, m_nSender, L"CSharedMemSwtchHook destructor called.\n");
}

void CSharedMemSwtchHook::LocateFields() noexcept
{
    m_sm = SM_HOOK();
    if (!m_pbView || m_cbView <= static_cast<SIZE_T>(LEN))
        return;
    m_sm.pnLen = m_pbView + FRAME_LEN_OFS;
    m_sm.pszTag = m_pbView + FRAME_TAG_OFS;
    m_sm.pPayload = m_pbView + HOOK_PAYLOAD_OFS;
    m_sm.pbSum = m_pbView + LEN;
}

BOOL CSharedMemSwtchHook::Create(LPCWSTR pszName, DWORD dwProtect, void* pParam)
{
    if (!pParam || dwProtect != PAGE_READWRITE)
        return FALSE;
    DWORD dwMapSize = LEN + 1;
    if (!CSharedMem::Create(pszName, dwProtect, &dwMapSize))
        return FALSE;
    CLoggedSingleLock lockRes(m_nSender, m_pMutex);
    if (!lockRes.Lock(kSourceFile, __LINE__, m_dwMutexWait))
        VerifyFailed(L"lockRes.Lock(__FILE__, __LINE__, m_dwMutexWait)", kSourceFile, __LINE__, GetLastError());
    LocateFields();
    WriteFrameHead(LEN, HOOK_BLOCK_TAG, HOOK_TAG_FIELD);
    memcpy(m_pbView + HOOK_PAYLOAD_OFS, pParam, sizeof(HOOK_NTFY_SWTCH));
    WriteInt32(m_pbView + HOOK_PAYLOAD_OFS, KIND);
    StoreFrameSum(LEN);
    return TRUE;
}

BOOL CSharedMemSwtchHook::Open(LPCWSTR pszName, BOOL bInherit, DWORD dwAccess)
{
    if (!CSharedMem::Open(pszName, bInherit, dwAccess))
        return FALSE;
    CLoggedSingleLock lockRes(m_nSender, m_pMutex);
    if (!lockRes.Lock(kSourceFile, __LINE__, m_dwMutexWait))
        VerifyFailed(L"lockRes.Lock(__FILE__, __LINE__, m_dwMutexWait)", kSourceFile, __LINE__, GetLastError());
    LocateFields();
    return IsValid();
}

BOOL CSharedMemSwtchHook::IsValid()
{
    const int nLen = GetFrameLen(LEN, LEN);
    const int nKind = nLen < 0 ? 0 : ReadInt32(m_pbView + HOOK_PAYLOAD_OFS);
    if (nLen < 0 || !IsFrameValid(nLen, nLen - 1, HOOK_BLOCK_TAG, HOOK_TAG_FIELD) || nKind != KIND) {
        OutputLog(LOG_LEVEL_DEBUG, m_nSender, L"CSharedMemSwtchHook::IsValid() refused the block %s, nLen = %d, nKind = %d.\r\n",
                  m_strName.c_str(), m_pbView && m_cbView >= sizeof(int) ? ReadInt32(m_pbView) : -1, nKind);
        return FALSE;
    }
    return TRUE;
}
