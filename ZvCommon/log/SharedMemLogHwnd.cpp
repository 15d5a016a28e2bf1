#include "SharedMemLogHwnd.h"

#include <cstring>

namespace {

constexpr LPCWSTR kSourceFile = L"..\\ZvCommon\\SharedMemLogHwnd";

} // namespace

CSharedMemLogHwnd::CSharedMemLogHwnd(int nSender) : CSharedMem(nSender) {}

CSharedMemLogHwnd::~CSharedMemLogHwnd() = default;

void CSharedMemLogHwnd::LocateFields()
{
    m_sm = SM_LOG_HWND();
    if (!m_pbView || m_cbView <= static_cast<SIZE_T>(BLOCK_LEN))
        return;
    m_sm.pnLen = m_pbView + FRAME_LEN_OFS;
    m_sm.pszTag = m_pbView + FRAME_TAG_OFS;
    m_sm.phWnd = m_pbView + HWND_OFS;
    m_sm.pbSum = m_pbView + BLOCK_LEN;
}

BOOL CSharedMemLogHwnd::Create(LPCWSTR pszName, DWORD dwProtect, void* pParam)
{
    // A read-only view could not take the frame.
    if (dwProtect != PAGE_READWRITE)
        return FALSE;
    DWORD dwMapSize = BLOCK_LEN + 1;
    if (!CSharedMem::Create(pszName, dwProtect, &dwMapSize))
        return FALSE;
    CSingleLock lockRes(m_pMutex);
    LockView(lockRes, kSourceFile, __LINE__);
    WriteFrameHead(BLOCK_LEN, TAG, TAG_FIELD);
    memset(m_pbView + HWND_OFS, 0, 8);
    LocateFields();
    StoreFrameSum(BLOCK_LEN);
    return TRUE;
}

BOOL CSharedMemLogHwnd::Open(LPCWSTR pszName, BOOL bInherit, DWORD dwAccess)
{
    if (!CSharedMem::Open(pszName, bInherit, dwAccess))
        return FALSE;
    CSingleLock lockRes(m_pMutex);
    LockView(lockRes, kSourceFile, __LINE__);
    LocateFields();
    return IsValid();
}

BOOL CSharedMemLogHwnd::IsValid()
{
    const int nLen = GetFrameLen(BLOCK_LEN, BLOCK_LEN);
    if (nLen < 0)
        return FALSE;
    return IsFrameValid(nLen, nLen, TAG, TAG_FIELD);
}

HWND CSharedMemLogHwnd::GetHwnd()
{
    return ReadFrame(kSourceFile, __LINE__, BLOCK_LEN, BLOCK_LEN, HWND(), [&](int) {
        // Window handles carry 32 significant bits in 32- and 64-bit processes alike.
        return reinterpret_cast<HWND>(static_cast<LONG_PTR>(ReadInt32(m_pbView + HWND_OFS)));
    });
}

BOOL CSharedMemLogHwnd::SetHwnd(HWND hWnd)
{
    // The 32 significant bits, zero-extended: the top byte stays 0, so the writing and the
    // testing span of the checksum agree for every handle.
    const auto nLow = static_cast<int>(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(hWnd)));
    return WriteFrame(kSourceFile, __LINE__, BLOCK_LEN, BLOCK_LEN, [&](int) {
        WriteInt32(m_pbView + HWND_OFS, nLow);
        memset(m_pbView + HWND_OFS + 4, 0, 4);
    });
}
