// LogManager: the log writer (OutputLog) and CLogManager, which hands each line to the log viewer
// in its own block. The viewer, not the program, writes the log file.
//
// A program's window thread drives it (core program shown; the others alike):
//   start:                CreateLogManager(opt, SENDER_CORE)
//   window initialised:   ConnectLogWindow(hWnd), then start the item MSG_TMR_LOG_START
//   MSG_LOG_WND_DTCT:     re-arm that item, OpenLogWindow(opt, hWnd, SENDER_CORE)
//   MSG_LOG_WND_RSP:      delete the item; wParam 0: StartLogOutput(), else EndLog()
//   MSG_TMR_LOG_START:    EndLog(), delete the item
//   MSG_LOG_END, exit:    EndLog()
// OutputLog may be called from any thread at any time.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>

#include "CmdLineOption.h"
#include "Thread.h"

class CSharedMemLog;

inline constexpr int LOG_LEVEL_ALL = CMDLINE_LOGLEVEL_ALL;
inline constexpr int LOG_LEVEL_DEBUG = CMDLINE_LOGLEVEL_DEBUG;
inline constexpr int LOG_LEVEL_INFO = CMDLINE_LOGLEVEL_INFO;
inline constexpr int LOG_LEVEL_ERROR = CMDLINE_LOGLEVEL_ERROR;
inline constexpr int LOG_LEVEL_NONE = CMDLINE_LOGLEVEL_NONE;

// Kernel object names of the viewer protocol.
inline constexpr wchar_t LOG_WND_ALIVE_EVENT_NAME[] = L"Zuvora! Log Window Alive Event";
inline constexpr wchar_t LOG_WND_HANDLE_MUTEX_NAME[] = L"Zuvora! Log Window Handle Mutex";
inline constexpr wchar_t LOG_OUT_MUTEX_NAME[] = L"Zuvora! Log Output Mutex";
inline constexpr wchar_t LOG_VIEWER_WND_TITLE[] = L"Zuvora! Log Output Window";
// The line (ERROR) that tells how many lines a full queue lost, ahead of the next one queued.
inline constexpr wchar_t LOG_DROPPED_FORMAT[] = L"CLogManager::AddLog() queue full, %d lines dropped.\r\n";

// The level's letter in "ADIEN"; '?' outside 0..4.
wchar_t GetLogLevelLetter(int nLevel) noexcept;
// "yyyy/mm/dd\thh:mm:ss.mmm\t[Name]\t(L)\t".
std::wstring FormatLogPrefix(const SYSTEMTIME& st, int nSender, int nLevel);
// A line is kept when its level reaches the threshold.
inline bool IsLogLevelKept(int nLevel, int nThreshold) noexcept { return nLevel >= nThreshold; }
// The sequence after nSeq: counts up and skips 0 (after -1 comes 1).
int NextLogSeq(int nSeq) noexcept;
// nSeq came later than nOther, across the wrap of the count too (within half its range).
bool IsLogSeqAfter(int nSeq, int nOther) noexcept;
// The UTF-8 bytes of a line, cut at a character boundary to at most cbMax bytes.
std::string LogLineToUtf8(const std::wstring& strLine, size_t cbMax);

// At most one per process: the viewer's window, the sequence and the kernel handles below are
// process-wide. Made and deleted through the front end at the end of this file.
class CLogManager {
public:
    static constexpr DWORD VIEWER_ALIVE_WAIT = 100;
    static constexpr DWORD LOG_WND_HANDLE_MUTEX_WAIT = 10000;
    static constexpr DWORD WATCH_FIND_WAIT = 10000;
    static constexpr DWORD WATCH_PERIOD = 500;
    static constexpr DWORD CONNECT_FIND_WAIT = 100;
    static constexpr int MAX_RETRY = 100;
    static constexpr int REPOST_EVERY = 10;
    // The end waits for a viewer that takes no more lines at most DRAIN_WAIT, then for its answer
    // to the detach at most DETACH_SEND_TIMEOUT: the program's single-instance mutex is held
    // until then, and a hung viewer must not refuse the program's next start.
    static constexpr DWORD DRAIN_WAIT = 1200;
    static constexpr DWORD DRAIN_POLL = 20;
    static constexpr DWORD DETACH_SEND_TIMEOUT = 800;
    // Lines waiting for the viewer. Each holds a mapping (64 KiB of address space) and a mutex:
    // 2048 of them take a sixteenth of the 2 GiB of a 32-bit program, which a logging storm (or a
    // viewer that stalls) would otherwise exhaust.
    static constexpr size_t MAX_QUEUED_LINES = 2048;

    CLogManager(const CMDLINE_OPTION_SET& opt, int nSender);
    virtual ~CLogManager();
    CLogManager(const CLogManager&) = delete;
    CLogManager& operator=(const CLogManager&) = delete;

    // Finds a running viewer or starts one, then watches for its window (MSG_LOG_WND_DTCT).
    BOOL ConnectLogWnd(HWND hWndOwner);
    BOOL PostAttach();
    // MSG_LOG_END to the viewer; a hung viewer is given DETACH_SEND_TIMEOUT.
    BOOL SendDetach();
    // Waits for the viewer's alive event; with bReadHandle also reads its window handle.
    BOOL FindLogWnd(int nSender, BOOL bReadHandle, DWORD dwWait);
    BOOL StartLogWndWatch();
    // The watch thread still looks for the viewer's window: a connect is under way.
    BOOL IsConnecting() const;
    BOOL CreateLogOut();
    void ResumeLogOut();
    // Lets the queue drain (bounded), then ends the output thread.
    void StopLogOut();
    // Queues one line's text (any thread), in sequence order, and returns: it waits for no kernel
    // object, so a viewer or another program holding the shared output mutex never holds up the
    // caller. The output thread makes the line's block later; a line whose block cannot be made
    // is lost. A line that finds MAX_QUEUED_LINES waiting is dropped and counted
    // (LOG_DROPPED_FORMAT).
    void AddLog(const std::wstring& strLine);

    int GetLogLevel() const noexcept { return m_opt.nLogLevel; }
    int GetSender() const noexcept { return m_nSender; }
    HWND GetOwner() const noexcept { return m_hWndOwner; }
    BOOL IsLogOut() const noexcept { return m_bLogOut; }
    // Lines waiting: as text, being made into a block, or as a block.
    size_t GetQueueLength();
    // Sequence numbers of the queued lines, head first.
    std::list<int> GetQueuedSeqs();
    // The UTF-8 text of the queued line nSeq; FALSE when no such line waits.
    BOOL GetQueuedText(int nSeq, std::string& strText);
    static HWND GetLogWnd() noexcept { return m_hWndLog.load(); }

    // One visit of the output thread to a queued block while the viewer's window lives: a block
    // not yet posted is marked posted, then announced through fnPost (MSG_LOG_OUT with its sender
    // and sequence), and unmarked when that fails; a posted one counts a retry and is marked for
    // posting again on every REPOST_EVERY-th. TRUE when the block is finished with: taken by the
    // viewer, or past MAX_RETRY.
    static BOOL ServeLogBlock(CSharedMemLog& block, const std::function<BOOL(int nSender, int nSeq)>& fnPost);

private:
    DWORD LogOutThread();
    DWORD LogWatchThread();
    struct LOG_TEXT {
        int nSeq;
        std::string strUtf8;
    };
    // The output thread: makes the blocks of the lines queued as text, in order.
    void MakeQueuedBlocks();
    std::unique_ptr<CSharedMemLog> MakeBlock(const LOG_TEXT& text) const;
    // One output-thread step on the block at *it (both locks held); advances it.
    void ServeBlock(std::list<CSharedMemLog*>::iterator& it);
    // Waits for hObject, giving up early when the watch is ended.
    DWORD WaitOrWatchEnd(HANDLE hObject, DWORD dwWait) const;
    void EndWatch();
    void ClearQueue();

    HWND m_hWndOwner = nullptr;
    int m_nSender;
    std::atomic<BOOL> m_bLogOut{FALSE};
    CWorkerThread* m_pLogOutThread = nullptr;
    CWorkerThread* m_pLogWatchThread = nullptr;
    std::list<CSharedMemLog*> m_lstLog;
    // Lines not yet made into blocks, in sequence order, ahead of none of m_lstLog's.
    std::deque<LOG_TEXT> m_lstText;
    // Lines taken from m_lstText whose block the output thread is making.
    size_t m_nMaking = 0;
    CMDLINE_OPTION_SET m_opt;

    // Lines lost to a full queue since the last count was queued.
    int m_nDropped = 0;
    // Guards m_lstLog, m_lstText, m_nMaking, m_nDropped, every queued block's fields and m_nSeq
    // inside this process, whatever the state of the output thread. Taken after m_hMtxLogOut, never
    // before it; held by a logging thread for no kernel wait.
    std::mutex m_mtxQueue;
    // Set once the output thread has told the owner that the viewer's window is gone.
    BOOL m_bViewerLostPosted = FALSE;

    // Made and closed on the window thread while logging threads, the watch thread and the output
    // thread read them.
    static std::atomic<HWND> m_hWndLog;
    static int m_nSeq;
    static std::atomic<HANDLE> m_hEvtLogWndAlive;
    static std::atomic<HANDLE> m_hMtxLogWndHandle;
    static std::atomic<HANDLE> m_hMtxLogOut;
    static std::atomic<HANDLE> m_hEvtLogOutKill;
    static std::atomic<HANDLE> m_hEvtLogAppWatch;
    // The last viewer this process started, for the whole run.
    static std::atomic<HANDLE> m_hProcViewer;
};

// The front end; all but OutputLog on the program's window thread.
CLogManager* CreateLogManager(const CMDLINE_OPTION_SET& opt, int nSender);
void ConnectLogWindow(HWND hWndOwner);
// A viewer's announcement: attaches again to a known viewer, does nothing while a connect is under
// way (so that a burst of announcements starts one viewer at most), and without a manager starts
// logging at INFO.
void OpenLogWindow(CMDLINE_OPTION_SET& opt, HWND hWndOwner, int nSender);
void StartLogOutput();
void EndLog();
// The process's manager, or null while logging is off.
CLogManager* GetLogManager();

// Whether OutputLog at this level would write a line now: lets a caller skip gathering what only
// the line needs. Any thread.
bool IsLogLevelActive(int nLevel) noexcept;
// pszFormat follows FormatString ("%s" wide). Returns at once when logging is off or the level
// is below the threshold.
void OutputLog(int nLevel, int nSender, LPCWSTR pszFormat, ...);
// A window handle or pointer as the "0x%x" of a log line (its low 32 bits, as the lines have always shown).
inline unsigned LogHandle(const void* p) noexcept { return static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(p)); }
void OutputLogV(int nLevel, int nSender, LPCWSTR pszFormat, va_list args);
