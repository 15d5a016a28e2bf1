#include "SharedMemHook.h"

#include <climits>

#include "LogManager.h"
#include "LoggedSingleLock.h"
#include "VerifyFailed.h"

namespace {

constexpr LPCWSTR kSourceFile = L"..\\ZvCommon\\SharedMemHook";

} // namespace

CSharedMemHook::CSharedMemHook(int nSender) : CSharedMem(nSender) {}

CSharedMemHook::~CSharedMemHook()
{
    OutputLog(LOG_LEVEL_DEBUG, m_nSender, L"CSharedMemHook destructor called.\n");
}

BOOL CSharedMemHook::Create(LPCWSTR, DWORD, void*)
{
    return FALSE;
}

BOOL CSharedMemHook::Open(LPCWSTR pszName, BOOL bInherit, DWORD dwAccess)
{
    if (!CSharedMem::Open(pszName, bInherit, dwAccess))
        return FALSE;
    CLoggedSingleLock lockRes(m_nSender, m_pMutex);
    if (!lockRes.Lock(kSourceFile, __LINE__, m_dwMutexWait))
        VerifyFailed(L"lockRes.Lock(__FILE__, __LINE__, m_dwMutexWait)", kSourceFile, __LINE__, GetLastError());
    m_sm = SM_HOOK();
    if (m_cbView > static_cast<SIZE_T>(HOOK_PAYLOAD_OFS)) {
        m_sm.pnLen = m_pbView + FRAME_LEN_OFS;
        m_sm.pszTag = m_pbView + FRAME_TAG_OFS;
        m_sm.pPayload = m_pbView + HOOK_PAYLOAD_OFS;
    }
    return IsValid();
}

BOOL CSharedMemHook::IsValid()
{
    m_bValid = FALSE;
    m_sm.pbSum = nullptr;
    // The kind word must lie among the counted bytes, the checksum byte inside the view.
    const int nLen = GetFrameLen(HOOK_PAYLOAD_OFS + 4, INT_MAX);
    if (nLen < 0) {
        OutputLog(LOG_LEVEL_DEBUG, m_nSender, L"CSharedMemHook::IsValid() failed @ p0, nLen = %d.\r\n",
                  m_pbView && m_cbView >= sizeof(int) ? ReadInt32(m_pbView) : -1);
        return FALSE;
    }
    m_sm.pbSum = m_pbView + nLen;
    const BYTE bSumCalc = GetXorSum(m_pbView, nLen - 1);
    if (*m_sm.pbSum != bSumCalc) {
        OutputLog(LOG_LEVEL_DEBUG, m_nSender,
                  L"CSharedMemHook::IsValid() failed @ p1, nLen = %d, *m_sm.pbSum = 0x%02x, bSumCalc = 0x%02x.\r\n",
                  nLen, *m_sm.pbSum, bSumCalc);
        return FALSE;
    }
    if (!IsFrameValid(nLen, nLen - 1, HOOK_BLOCK_TAG, HOOK_TAG_FIELD)) {
        OutputLog(LOG_LEVEL_DEBUG, m_nSender, L"CSharedMemHook::IsValid() failed @ p2.\r\n");
        return FALSE;
    }
    const int nKind = ReadInt32(m_pbView + HOOK_PAYLOAD_OFS);
    const int nKindLen = GetHookBlockLen(nKind);
    if (nKindLen != 0 && nKindLen != nLen) {
        OutputLog(LOG_LEVEL_DEBUG, m_nSender, L"CSharedMemHook::IsValid() failed @ p3, nLen = %d, nKind = %d.\r\n",
                  nLen, nKind);
        return FALSE;
    }
    m_bValid = TRUE;
    return TRUE;
}

int CSharedMemHook::GetKind() const noexcept
{
    return m_bValid ? ReadInt32(m_pbView + HOOK_PAYLOAD_OFS) : 0;
}

const BYTE* CSharedMemHook::GetPayload() const noexcept
{
    return m_bValid ? m_pbView + HOOK_PAYLOAD_OFS : nullptr;
}
