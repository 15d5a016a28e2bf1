#include "LogManager.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

#include "Path.h"
#include "ProcessLaunch.h"
#include "Sender.h"
#include "SharedMemLog.h"
#include "ZvNames.h"
#include "SharedMemLogHwnd.h"
#include "Strings.h"
#include "VerifyFailed.h"
#include "ZvMessages.h"

namespace {

constexpr LPCWSTR kSourceFile = L"..\\ZvCommon\\LogManager";


// The process's manager. OutputLog may run on any thread, so it reads the pointer under the
// shared lock for the whole line; the front end swaps it under the exclusive lock and deletes
// the old manager only after that, when no line can reach it any more.
SRWLOCK g_srwLog = SRWLOCK_INIT;
CLogManager* g_pLogManager = nullptr;

CLogManager* SwapLogManager(CLogManager* pNew)
{
    AcquireSRWLockExclusive(&g_srwLog);
    CLogManager* pOld = g_pLogManager;
    g_pLogManager = pNew;
    ReleaseSRWLockExclusive(&g_srwLog);
    return pOld;
}

// Logging off: the manager leaves the global pointer first, then ends its threads.
void DeleteLogManager(BOOL bDetach)
{
    CLogManager* pManager = SwapLogManager(nullptr);
    if (!pManager)
        return;
    if (bDetach) {
        pManager->StopLogOut();
        pManager->SendDetach();
    }
    delete pManager;
}

// Takes a process-wide handle out of use before closing it.
void CloseShared(std::atomic<HANDLE>& h) noexcept
{
    if (HANDLE hOld = h.exchange(nullptr))
        CloseHandle(hOld);
}

} // namespace

std::atomic<HWND> CLogManager::m_hWndLog{nullptr};
int CLogManager::m_nSeq = 0;
std::atomic<HANDLE> CLogManager::m_hEvtLogWndAlive{nullptr};
std::atomic<HANDLE> CLogManager::m_hMtxLogWndHandle{nullptr};
std::atomic<HANDLE> CLogManager::m_hMtxLogOut{nullptr};
std::atomic<HANDLE> CLogManager::m_hEvtLogOutKill{nullptr};
std::atomic<HANDLE> CLogManager::m_hEvtLogAppWatch{nullptr};
std::atomic<HANDLE> CLogManager::m_hProcViewer{nullptr};

wchar_t GetLogLevelLetter(int nLevel) noexcept
{
    static constexpr wchar_t s_szLetters[] = L"ADIEN";
    if (nLevel < LOG_LEVEL_ALL || nLevel > LOG_LEVEL_NONE)
        return L'?';
    return s_szLetters[nLevel];
}

std::wstring FormatLogPrefix(const SYSTEMTIME& st, int nSender, int nLevel)
{
    return FormatString(L"%04d/%02d/%02d\t%02d:%02d:%02d.%03d\t[%s]\t(%c)\t", st.wYear, st.wMonth, st.wDay,
                        st.wHour, st.wMinute, st.wSecond, st.wMilliseconds, GetSenderName(nSender),
                        GetLogLevelLetter(nLevel));
}

int NextLogSeq(int nSeq) noexcept
{
    const int nNext = static_cast<int>(static_cast<unsigned>(nSeq) + 1u);
    return nNext == 0 ? 1 : nNext;
}

bool IsLogSeqAfter(int nSeq, int nOther) noexcept
{
    return static_cast<int>(static_cast<unsigned>(nSeq) - static_cast<unsigned>(nOther)) > 0;
}

std::string LogLineToUtf8(const std::wstring& strLine, size_t cbMax)
{
    std::string str = MultiByteFromWide(strLine.c_str(), CP_UTF8);
    if (str.size() > cbMax) {
        size_t cbCut = cbMax;
        // Never leave half a character behind.
        while (cbCut > 0 && (static_cast<unsigned char>(str[cbCut]) & 0xC0) == 0x80)
            --cbCut;
        str.resize(cbCut);
    }
    return str;
}

CLogManager::CLogManager(const CMDLINE_OPTION_SET& opt, int nSender) : m_nSender(nSender), m_opt(opt)
{
    m_nSeq = 0;
}

CLogManager::~CLogManager()
{
    EndWatch();
    CloseShared(m_hMtxLogWndHandle);
    if (m_bLogOut) {
        StopLogOut();
        SendDetach();
    }
    if (m_pLogOutThread) {
        // A thread made but never resumed must still run to its end before its handles go.
        if (m_hEvtLogOutKill)
            SetEvent(m_hEvtLogOutKill);
        m_pLogOutThread->Resume();
        m_pLogOutThread->Wait(INFINITE);
        delete m_pLogOutThread;
        m_pLogOutThread = nullptr;
    }
    CloseShared(m_hEvtLogWndAlive);
    CloseShared(m_hMtxLogOut);
    CloseShared(m_hEvtLogOutKill);
    ClearQueue();
    m_hWndLog = nullptr;
    m_hWndOwner = nullptr;
}

void CLogManager::EndWatch()
{
    if (m_pLogWatchThread) {
        // The watch thread waits on this event beside every object it waits for, so it ends now.
        SetEvent(m_hEvtLogAppWatch);
        m_pLogWatchThread->Wait(INFINITE);
        delete m_pLogWatchThread;
        m_pLogWatchThread = nullptr;
    }
    CloseShared(m_hEvtLogAppWatch);
}

void CLogManager::ClearQueue()
{
    std::lock_guard<std::mutex> lock(m_mtxQueue);
    for (CSharedMemLog* pBlock : m_lstLog)
        delete pBlock;
    m_lstLog.clear();
    m_lstText.clear();
}

size_t CLogManager::GetQueueLength()
{
    std::lock_guard<std::mutex> lock(m_mtxQueue);
    return m_lstLog.size() + m_nMaking + m_lstText.size();
}

std::list<int> CLogManager::GetQueuedSeqs()
{
    std::lock_guard<std::mutex> lock(m_mtxQueue);
    std::list<int> lstSeq;
    for (CSharedMemLog* pBlock : m_lstLog)
        lstSeq.push_back(pBlock->GetSeq());
    for (const LOG_TEXT& text : m_lstText)
        lstSeq.push_back(text.nSeq);
    return lstSeq;
}

BOOL CLogManager::GetQueuedText(int nSeq, std::string& strText)
{
    std::lock_guard<std::mutex> lock(m_mtxQueue);
    for (CSharedMemLog* pBlock : m_lstLog) {
        if (pBlock->GetSeq() == nSeq) {
            strText = pBlock->GetText();
            return TRUE;
        }
    }
    for (const LOG_TEXT& text : m_lstText) {
        if (text.nSeq == nSeq) {
            strText = text.strUtf8;
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CLogManager::ConnectLogWnd(HWND hWndOwner)
{
    m_hWndOwner = hWndOwner;
    BOOL bViewerRuns = FALSE;
    if (!m_hEvtLogWndAlive) {
        m_hEvtLogWndAlive = CreateEventW(nullptr, TRUE, FALSE, LOG_WND_ALIVE_EVENT_NAME);
        if (!m_hEvtLogWndAlive)
            return FALSE;
        bViewerRuns = GetLastError() == ERROR_ALREADY_EXISTS;
    }
    if (!m_hMtxLogWndHandle) {
        m_hMtxLogWndHandle = CreateMutexW(nullptr, FALSE, LOG_WND_HANDLE_MUTEX_NAME);
        if (!m_hMtxLogWndHandle)
            return FALSE;
    }
    if (bViewerRuns && FindLogWnd(m_nSender, TRUE, CONNECT_FIND_WAIT))
        return StartLogWndWatch();
    // A viewer this process started earlier and that still runs is on its way up (a viewer takes
    // a while to show its window): the watch finds it, and a second one would only be in the way.
    if (HANDLE hViewer = m_hProcViewer.load(); hViewer && WaitForSingleObject(hViewer, 0) == WAIT_TIMEOUT)
        return StartLogWndWatch();

    // The viewer lies beside the core program; a program without one beside it (the 32-bit
    // gateway in a 64-bit installation) looks in its own folder.
    std::wstring strDir;
    if (!SearchFileDir(ZV_CORE_FILE, strDir)) {
        strDir = GetModuleFilePath(nullptr);
        strDir.resize(strDir.find_last_of(L"\\/") + 1);
    }
    const std::wstring strViewer = strDir + ZV_LOG_FILE;
    std::wstring strOptions;
    GetLogOptionString(m_opt, strOptions);
    const HANDLE hViewer = StartProcess(strViewer.c_str(), strDir.c_str(), strOptions.c_str());
    if (!hViewer)
        return FALSE;
    // Kept beyond this manager: a burst of connects and ends must still start one viewer.
    if (HANDLE hOld = m_hProcViewer.exchange(hViewer))
        CloseHandle(hOld);
    return StartLogWndWatch();
}

BOOL CLogManager::PostAttach()
{
    const HWND hWndLog = m_hWndLog;
    if (!hWndLog || !IsWindow(hWndLog))
        return FALSE;
    return PostMessageW(hWndLog, MSG_LOG_ATTACH, reinterpret_cast<WPARAM>(m_hWndOwner), 0);
}

BOOL CLogManager::SendDetach()
{
    const HWND hWndLog = m_hWndLog;
    if (!hWndLog || !IsWindow(hWndLog))
        return FALSE;
    DWORD_PTR dwResult = 0;
    return SendMessageTimeoutW(hWndLog, MSG_LOG_END, reinterpret_cast<WPARAM>(m_hWndOwner), 0, SMTO_ABORTIFHUNG,
                               DETACH_SEND_TIMEOUT, &dwResult) != 0;
}

DWORD CLogManager::WaitOrWatchEnd(HANDLE hObject, DWORD dwWait) const
{
    if (!m_hEvtLogAppWatch)
        return WaitForSingleObject(hObject, dwWait);
    const HANDLE ah[2] = {hObject, m_hEvtLogAppWatch};
    const DWORD dwRet = WaitForMultipleObjects(2, ah, FALSE, dwWait);
    if (dwRet == WAIT_OBJECT_0 + 1 || dwRet == WAIT_ABANDONED_0 + 1)
        return WAIT_TIMEOUT;
    return dwRet;
}

BOOL CLogManager::FindLogWnd(int nSender, BOOL bReadHandle, DWORD dwWait)
{
    if (!m_hEvtLogWndAlive)
        return FALSE;
    DWORD dwRet = WaitOrWatchEnd(m_hEvtLogWndAlive, dwWait);
    ZV_VERIFY_IN(dwRet != WAIT_FAILED, kSourceFile);
    if (dwRet != WAIT_OBJECT_0)
        return FALSE;
    if (!bReadHandle)
        return TRUE;
    if (!m_hMtxLogWndHandle)
        return TRUE;

    // The viewer writes the handle under this mutex: read the block under it too.
    dwRet = WaitOrWatchEnd(m_hMtxLogWndHandle, LOG_WND_HANDLE_MUTEX_WAIT);
    ZV_VERIFY_IN(dwRet != WAIT_FAILED, kSourceFile);
    if (dwRet != WAIT_OBJECT_0 && dwRet != WAIT_ABANDONED_0)
        return TRUE;
    CSharedMemLogHwnd* pBlock = new (std::nothrow) CSharedMemLogHwnd(nSender);
    if (pBlock && pBlock->Open(LOG_HWND_BLOCK_NAME, FALSE, FILE_MAP_READ))
        m_hWndLog = pBlock->GetHwnd();
    ReleaseMutex(m_hMtxLogWndHandle);
    delete pBlock;
    return TRUE;
}

BOOL CLogManager::StartLogWndWatch()
{
    if (m_pLogWatchThread)
        return TRUE;
    // Unnamed, as the output thread's kill event: both are this process's own, and under a name
    // another program of the same sender would end this one's threads.
    if (!m_hEvtLogAppWatch) {
        m_hEvtLogAppWatch = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!m_hEvtLogAppWatch)
            return FALSE;
    }
    ResetEvent(m_hEvtLogAppWatch);
    auto* pThread = new (std::nothrow) CWorkerThread;
    if (!pThread)
        return FALSE;
    if (!pThread->Start([this] { return LogWatchThread(); }, THREAD_PRIORITY_NORMAL)) {
        delete pThread;
        return FALSE;
    }
    m_pLogWatchThread = pThread;
    return TRUE;
}

BOOL CLogManager::IsConnecting() const
{
    return m_pLogWatchThread && !m_pLogWatchThread->Wait(0);
}

DWORD CLogManager::LogWatchThread()
{
    // The owner of the connect that started this watch.
    const HWND hWndOwner = m_hWndOwner;
    while (WaitForSingleObject(m_hEvtLogAppWatch, 0) != WAIT_OBJECT_0) {
        // A viewer between setting its event and writing its handle is not found yet.
        if (FindLogWnd(m_nSender, TRUE, WATCH_FIND_WAIT)) {
            const HWND hWndLog = m_hWndLog;
            if (hWndLog && IsWindow(hWndLog)) {
                if (IsWindow(hWndOwner))
                    PostMessageW(hWndOwner, MSG_LOG_WND_DTCT, reinterpret_cast<WPARAM>(hWndLog), 0);
                return 0;
            }
        }
        if (WaitForSingleObject(m_hEvtLogAppWatch, WATCH_PERIOD) == WAIT_OBJECT_0)
            break;
    }
    return 0;
}

BOOL CLogManager::CreateLogOut()
{
    if (m_pLogOutThread)
        return TRUE;
    if (!m_hMtxLogOut) {
        m_hMtxLogOut = CreateMutexW(nullptr, FALSE, LOG_OUT_MUTEX_NAME);
        if (!m_hMtxLogOut)
            return FALSE;
    }
    if (!m_hEvtLogOutKill) {
        m_hEvtLogOutKill = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!m_hEvtLogOutKill)
            return FALSE;
    }
    ResetEvent(m_hEvtLogOutKill);
    auto* pThread = new (std::nothrow) CWorkerThread;
    if (!pThread)
        return FALSE;
    if (!pThread->Start([this] { return LogOutThread(); }, THREAD_PRIORITY_NORMAL, TRUE)) {
        delete pThread;
        return FALSE;
    }
    m_pLogOutThread = pThread;
    return TRUE;
}

void CLogManager::ResumeLogOut()
{
    if (m_bLogOut || !m_pLogOutThread)
        return;
    m_bLogOut = TRUE;
    m_pLogOutThread->Resume();
}

DWORD CLogManager::LogOutThread()
{
    while (WaitForSingleObject(m_hEvtLogOutKill, 0) != WAIT_OBJECT_0) {
        MakeQueuedBlocks();
        std::list<CSharedMemLog*>::iterator it;
        {
            std::lock_guard<std::mutex> lock(m_mtxQueue);
            it = m_lstLog.begin();
        }
        for (;;) {
            // The output mutex is shared with the other programs: never wait on it here.
            CSingleLock lockOut(m_hMtxLogOut, SYNC_KIND::Mutex);
            while (!lockOut.Lock(0)) {
                ZV_VERIFY_IN(lockOut.GetLastWaitResult() != WAIT_FAILED, kSourceFile);
                if (WaitForSingleObject(m_hEvtLogOutKill, 1) == WAIT_OBJECT_0)
                    return 0;
            }
            {
                std::lock_guard<std::mutex> lock(m_mtxQueue);
                if (it == m_lstLog.end())
                    break;
                ServeBlock(it);
            }
            lockOut.Unlock();
            Sleep(1);
        }
        Sleep(1);
    }
    return 0;
}

void CLogManager::MakeQueuedBlocks()
{
    for (;;) {
        LOG_TEXT text;
        {
            std::lock_guard<std::mutex> lock(m_mtxQueue);
            if (m_lstText.empty())
                return;
            text = std::move(m_lstText.front());
            m_lstText.pop_front();
            ++m_nMaking;
        }
        // Made with no lock held: a block name still taken holds up this thread only, for
        // LINE_CREATE_RETRY_MS, and the line is lost then.
        std::unique_ptr<CSharedMemLog> pBlock = MakeBlock(text);
        std::lock_guard<std::mutex> lock(m_mtxQueue);
        --m_nMaking;
        // Only this thread adds blocks, so the queue stays in sequence order.
        if (pBlock)
            m_lstLog.push_back(pBlock.release());
    }
}

std::unique_ptr<CSharedMemLog> CLogManager::MakeBlock(const LOG_TEXT& text) const
{
    DWORD dwTextSize = static_cast<DWORD>(text.strUtf8.size()) + 1;
    auto pBlock = std::make_unique<CSharedMemLog>(m_nSender);
    const std::wstring strName = MakeLogBlockName(m_nSender, text.nSeq);
    if (!pBlock->Create(strName.c_str(), PAGE_READWRITE, &dwTextSize) || !pBlock->SetSender(m_nSender) ||
        !pBlock->SetSeq(text.nSeq) || !pBlock->SetRetry(0) || !pBlock->SetText(text.strUtf8.c_str()))
        return nullptr;
    return pBlock;
}

BOOL CLogManager::ServeLogBlock(CSharedMemLog& block, const std::function<BOOL(int nSender, int nSeq)>& fnPost)
{
    if (block.GetDone())
        return TRUE;
    if (!block.GetPosted()) {
        // Marked before the viewer hears of it: the viewer reads under a mutex of its own, so a
        // write after the post could meet its checksum test half done.
        block.SetPosted(1);
        if (!fnPost(block.GetSender(), block.GetSeq()))
            block.SetPosted(0);
        return FALSE;
    }
    const int nRetry = block.GetRetry() + 1;
    if (nRetry > MAX_RETRY)
        return TRUE;
    block.SetRetry(nRetry);
    if (nRetry % REPOST_EVERY == 0)
        block.SetPosted(0);
    return FALSE;
}

void CLogManager::ServeBlock(std::list<CSharedMemLog*>::iterator& it)
{
    CSharedMemLog* pBlock = *it;
    const HWND hWndLog = m_hWndLog;
    BOOL bFree = FALSE;
    if (hWndLog && IsWindow(hWndLog)) {
        bFree = ServeLogBlock(*pBlock, [hWndLog](int nSender, int nSeq) {
            return PostMessageW(hWndLog, MSG_LOG_OUT, static_cast<WPARAM>(nSender), static_cast<LPARAM>(nSeq));
        });
    } else {
        bFree = TRUE;
        // The viewer died without detaching: nothing will take lines again, so the owner ends
        // logging as if the viewer had said so.
        if (hWndLog && !m_bViewerLostPosted) {
            m_bViewerLostPosted = TRUE;
            if (IsWindow(m_hWndOwner))
                PostMessageW(m_hWndOwner, MSG_LOG_END, 0, 0);
        }
    }
    if (bFree) {
        delete pBlock;
        it = m_lstLog.erase(it);
    } else {
        ++it;
    }
}

void CLogManager::StopLogOut()
{
    if (!m_bLogOut)
        return;
    m_bLogOut = FALSE;

    // The queue drains while the viewer lives and takes lines, within one bound for all: a viewer
    // that stops (hung, or suspended) must not hold the program's end, and with it its
    // single-instance mutex.
    const ULONGLONG qwUntil = GetTickCount64() + DRAIN_WAIT;
    for (;;) {
        const ULONGLONG qwNow = GetTickCount64();
        if (qwNow >= qwUntil || GetQueueLength() == 0)
            break;
        // An event not set within a moment means the viewer is gone.
        const DWORD dwRet =
            WaitForSingleObject(m_hEvtLogWndAlive, static_cast<DWORD>(std::min<ULONGLONG>(VIEWER_ALIVE_WAIT, qwUntil - qwNow)));
        ZV_VERIFY_IN(dwRet != WAIT_FAILED, kSourceFile);
        if (dwRet != WAIT_OBJECT_0)
            break;
        // A killed viewer leaves its event set behind it; its window tells the truth.
        const HWND hWndLog = m_hWndLog;
        if (!hWndLog || !IsWindow(hWndLog))
            break;
        Sleep(DRAIN_POLL);
    }

    ZV_VERIFY_IN(::SetEvent(m_hEvtLogOutKill), kSourceFile);
    if (!m_pLogOutThread->Wait(INFINITE))
        VerifyFailed(L"::WaitForSingleObject(m_pLogOutThread->m_hThread, EVENT_TIMEOUT) != WAIT_FAILED",
                     kSourceFile, __LINE__, GetLastError());
}

void CLogManager::AddLog(const std::wstring& strLine)
{
    // Converted before the lock: the queue holds each line at its cut length, so a full queue's
    // memory stays bounded whatever the callers log.
    std::string strUtf8 = LogLineToUtf8(strLine, CSharedMemLog::MAX_TEXT_SIZE - 1);
    std::lock_guard<std::mutex> lock(m_mtxQueue);
    // Lines that find the queue full are counted, and the count goes into the queue in a line of
    // its own ahead of the first line that finds room again.
    const size_t nNeed = m_nDropped ? 2 : 1;
    if (m_lstLog.size() + m_nMaking + m_lstText.size() + nNeed > MAX_QUEUED_LINES) {
        ++m_nDropped;
        return;
    }
    if (m_nDropped) {
        SYSTEMTIME st;
        GetLocalTime(&st);
        const std::wstring strNote =
            FormatLogPrefix(st, m_nSender, LOG_LEVEL_ERROR) + FormatString(LOG_DROPPED_FORMAT, std::exchange(m_nDropped, 0));
        m_nSeq = NextLogSeq(m_nSeq);
        m_lstText.push_back(LOG_TEXT{m_nSeq, LogLineToUtf8(strNote, CSharedMemLog::MAX_TEXT_SIZE - 1)});
    }
    m_nSeq = NextLogSeq(m_nSeq);
    m_lstText.push_back(LOG_TEXT{m_nSeq, std::move(strUtf8)});
}

CLogManager* GetLogManager()
{
    AcquireSRWLockShared(&g_srwLog);
    CLogManager* pManager = g_pLogManager;
    ReleaseSRWLockShared(&g_srwLog);
    return pManager;
}

CLogManager* CreateLogManager(const CMDLINE_OPTION_SET& opt, int nSender)
{
    if (!opt.pszLogFile && !opt.bLogWindow)
        return nullptr;
    if (CLogManager* pManager = GetLogManager())
        return pManager;
    try {
        SwapLogManager(new CLogManager(opt, nSender));
    } catch (const std::bad_alloc&) {
    }
    return GetLogManager();
}

void ConnectLogWindow(HWND hWndOwner)
{
    CLogManager* pManager = GetLogManager();
    if (pManager && !pManager->ConnectLogWnd(hWndOwner))
        DeleteLogManager(FALSE);
}

void OpenLogWindow(CMDLINE_OPTION_SET& opt, HWND hWndOwner, int nSender)
{
    if (CLogManager* pManager = GetLogManager()) {
        // An announcement before the viewer's window is known is absorbed by the connect under
        // way, whose watch thread announces the window itself once it has it: dropping the
        // manager here would let the next announcement start one more viewer.
        if (!pManager->PostAttach() && !pManager->IsConnecting())
            DeleteLogManager(FALSE);
        return;
    }
    opt.bLogWindow = 1;
    opt.nLogLevel = LOG_LEVEL_INFO;
    CLogManager* pManager = CreateLogManager(opt, nSender);
    if (pManager && !pManager->ConnectLogWnd(hWndOwner))
        DeleteLogManager(FALSE);
}

void StartLogOutput()
{
    CLogManager* pManager = GetLogManager();
    if (!pManager)
        return;
    if (!pManager->CreateLogOut()) {
        DeleteLogManager(FALSE);
        return;
    }
    pManager->ResumeLogOut();
}

void EndLog()
{
    DeleteLogManager(TRUE);
}

bool IsLogLevelActive(int nLevel) noexcept
{
    AcquireSRWLockShared(&g_srwLog);
    const bool bActive = g_pLogManager && IsLogLevelKept(nLevel, g_pLogManager->GetLogLevel());
    ReleaseSRWLockShared(&g_srwLog);
    return bActive;
}

void OutputLogV(int nLevel, int nSender, LPCWSTR pszFormat, va_list args)
{
    if (!pszFormat)
        return;
    AcquireSRWLockShared(&g_srwLog);
    CLogManager* pManager = g_pLogManager;
    if (pManager && IsLogLevelKept(nLevel, pManager->GetLogLevel())) {
        try {
            SYSTEMTIME st;
            GetLocalTime(&st);
            pManager->AddLog(FormatLogPrefix(st, nSender, nLevel) + FormatStringV(pszFormat, args));
        } catch (...) {
            // A line that cannot be made is lost; the caller goes on.
        }
    }
    ReleaseSRWLockShared(&g_srwLog);
}

void OutputLog(int nLevel, int nSender, LPCWSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    OutputLogV(nLevel, nSender, pszFormat, args);
    va_end(args);
}
