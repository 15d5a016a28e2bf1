#include "SharedMemLog.h"

#include <cstring>

#include "Strings.h"

namespace {

constexpr LPCWSTR kSourceFile = L"..\\ZvCommon\\SharedMemLog";

} // namespace

std::wstring MakeLogBlockName(int nSender, int nSeq)
{
    return FormatString(LOG_BLOCK_NAME_FORMAT, static_cast<unsigned>(nSender), static_cast<unsigned>(nSeq));
}

CSharedMemLog::CSharedMemLog(int nSender) : CSharedMem(nSender)
{
    m_dwCreateRetry = LINE_CREATE_RETRY_MS;
    m_bLogRelease = FALSE;
}

CSharedMemLog::~CSharedMemLog() = default;

void CSharedMemLog::LocateFields()
{
    m_sm = SM_LOG();
    if (!m_pbView || m_cbView <= static_cast<SIZE_T>(TEXT_OFS))
        return;
    m_sm.pnLen = m_pbView + FRAME_LEN_OFS;
    m_sm.pszTag = m_pbView + FRAME_TAG_OFS;
    m_sm.pnSender = m_pbView + SENDER_OFS;
    m_sm.pnSeq = m_pbView + SEQ_OFS;
    m_sm.pnRetry = m_pbView + RETRY_OFS;
    m_sm.pbPosted = m_pbView + POSTED_OFS;
    m_sm.pbDone = m_pbView + DONE_OFS;
    m_sm.pszText = m_pbView + TEXT_OFS;
    const int nLen = GetLen();
    if (nLen > 0)
        m_sm.pbSum = m_pbView + nLen;
}

int CSharedMemLog::GetLen() const noexcept
{
    return GetFrameLen(MIN_LEN, MAX_LEN);
}

BOOL CSharedMemLog::Create(LPCWSTR pszName, DWORD dwProtect, void* pParam)
{
    if (!pParam)
        return FALSE;
    const DWORD dwTextSize = *static_cast<const DWORD*>(pParam);
    if (dwTextSize < 1 || dwTextSize > static_cast<DWORD>(MAX_TEXT_SIZE))
        return FALSE;
    const int nLen = TEXT_OFS + static_cast<int>(dwTextSize);
    // A read-only view could not take the frame.
    if (dwProtect != PAGE_READWRITE)
        return FALSE;
    DWORD dwMapSize = static_cast<DWORD>(nLen) + 1;
    if (!CSharedMem::Create(pszName, dwProtect, &dwMapSize))
        return FALSE;

    CSingleLock lockRes(m_pMutex);
    LockView(lockRes, kSourceFile, __LINE__);
    WriteFrameHead(nLen, TAG, TAG_FIELD);
    WriteInt32(m_pbView + SENDER_OFS, 0);
    WriteInt32(m_pbView + SEQ_OFS, 0);
    WriteInt32(m_pbView + DONE_OFS, 0);
    memset(m_pbView + TEXT_OFS, 0, dwTextSize);
    LocateFields();
    StoreFrameSum(nLen);
    return TRUE;
}

BOOL CSharedMemLog::Open(LPCWSTR pszName, BOOL bInherit, DWORD dwAccess)
{
    if (!CSharedMem::Open(pszName, bInherit, dwAccess))
        return FALSE;
    CSingleLock lockRes(m_pMutex);
    LockView(lockRes, kSourceFile, __LINE__);
    LocateFields();
    return IsValid();
}

BOOL CSharedMemLog::IsValid()
{
    const int nLen = GetLen();
    if (nLen < 0)
        return FALSE;
    m_sm.pbSum = m_pbView + nLen;
    return IsFrameValid(nLen, nLen, TAG, TAG_FIELD);
}

BOOL CSharedMemLog::SetField(int nOfs, int nValue, int nLine)
{
    return WriteFrame(kSourceFile, nLine, MIN_LEN, MAX_LEN,
                      [&](int) { WriteInt32(m_pbView + nOfs, nValue); });
}

int CSharedMemLog::GetField(int nOfs, int nLine)
{
    return ReadFrame(kSourceFile, nLine, MIN_LEN, MAX_LEN, 0,
                     [&](int) { return ReadInt32(m_pbView + nOfs); });
}

BOOL CSharedMemLog::SetSender(int nSender) { return SetField(SENDER_OFS, nSender, __LINE__); }
BOOL CSharedMemLog::SetSeq(int nSeq) { return SetField(SEQ_OFS, nSeq, __LINE__); }
BOOL CSharedMemLog::SetRetry(int nRetry) { return SetField(RETRY_OFS, nRetry, __LINE__); }
BOOL CSharedMemLog::SetPosted(int bPosted) { return SetField(POSTED_OFS, bPosted, __LINE__); }
BOOL CSharedMemLog::SetDone(int bDone) { return SetField(DONE_OFS, bDone, __LINE__); }
int CSharedMemLog::GetSender() { return GetField(SENDER_OFS, __LINE__); }
int CSharedMemLog::GetSeq() { return GetField(SEQ_OFS, __LINE__); }
int CSharedMemLog::GetRetry() { return GetField(RETRY_OFS, __LINE__); }
int CSharedMemLog::GetPosted() { return GetField(POSTED_OFS, __LINE__); }
int CSharedMemLog::GetDone() { return GetField(DONE_OFS, __LINE__); }

BOOL CSharedMemLog::SetText(const char* pszText)
{
    if (!pszText)
        return FALSE;
    return WriteFrame(kSourceFile, __LINE__, MIN_LEN, MAX_LEN, [&](int nLen) {
        const size_t cbArea = static_cast<size_t>(nLen - TEXT_OFS);
        memset(m_pbView + TEXT_OFS, 0, cbArea);
        memcpy(m_pbView + TEXT_OFS, pszText, strnlen(pszText, cbArea - 1));
        WriteInt32(m_pbView + DONE_OFS, 0);
    });
}

std::string CSharedMemLog::GetText()
{
    return ReadFrame(kSourceFile, __LINE__, MIN_LEN, MAX_LEN, std::string(), [&](int nLen) {
        const char* psz = reinterpret_cast<const char*>(m_pbView + TEXT_OFS);
        return std::string(psz, strnlen(psz, static_cast<size_t>(nLen - TEXT_OFS)));
    });
}
