#include "CoreRun.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

using namespace zvkit;

namespace zvcore {

size_t CountOf(const std::wstring& str, const std::wstring& strPart)
{
    size_t n = 0;
    for (size_t nPos = str.find(strPart); nPos != std::wstring::npos; nPos = str.find(strPart, nPos + 1))
        ++n;
    return n;
}

RECT Shifted(const RECT& rc, int dx, int dy)
{
    return RECT{rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy};
}

std::vector<MOVE_LINE> MoveLines(const std::wstring& strLog, const std::wstring& strTitle)
{
    const std::wstring strHead = L"スクロール実行 : ウィンドウ = " + strTitle + L", 水平 = ";
    std::vector<MOVE_LINE> lines;
    for (size_t nPos = strLog.find(strHead); nPos != std::wstring::npos; nPos = strLog.find(strHead, nPos + 1)) {
        const wchar_t* p = strLog.c_str() + nPos + strHead.size();
        MOVE_LINE line{};
        wchar_t* pEnd = nullptr;
        line.nOldX = static_cast<int>(wcstol(p, &pEnd, 10));
        line.nNewX = static_cast<int>(wcstol(pEnd + 3, &pEnd, 10));  // " → "
        line.nOldY = static_cast<int>(wcstol(pEnd + 7, &pEnd, 10));  // ", 垂直 = "
        line.nNewY = static_cast<int>(wcstol(pEnd + 3, &pEnd, 10));
        lines.push_back(line);
    }
    return lines;
}

std::vector<int> PassesX(const std::vector<MOVE_LINE>& lines)
{
    std::vector<int> v;
    for (const MOVE_LINE& l : lines)
        v.push_back(l.nNewX - l.nOldX);
    return v;
}

std::vector<int> PassesY(const std::vector<MOVE_LINE>& lines)
{
    std::vector<int> v;
    for (const MOVE_LINE& l : lines)
        v.push_back(l.nNewY - l.nOldY);
    return v;
}

HWND StartCoreProgram(CProcess& core, const std::wstring& strArgs)
{
    const HWND hWnd = StartForWindow(
        core, ZV_CORE64_FILE, strArgs, [&] { return FindTopLevel(ZV_HIDDEN_MAIN_WND_TITLE, nullptr, core.Pid()); },
        15000);
    if (!hWnd) {
        if (core.LastError())
            ADD_FAILURE() << "cannot start the core program, error " << core.LastError();
        else
            ADD_FAILURE() << "the core program's window did not come";
    }
    return hWnd;
}

std::set<DWORD> ProcessesOf(const wchar_t* pszFile)
{
    std::set<DWORD> pids;
    const CHandle hSnap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!hSnap)
        return pids;
    PROCESSENTRY32W pe{sizeof(pe)};
    for (BOOL b = Process32FirstW(hSnap.get(), &pe); b; b = Process32NextW(hSnap.get(), &pe)) {
        if (_wcsicmp(pe.szExeFile, pszFile) == 0)
            pids.insert(pe.th32ProcessID);
    }
    return pids;
}

namespace {
constexpr size_t kLogTailOnFailure = 12000;
}  // namespace

CCoreRun::CCoreRun(const wchar_t* pszTestName) : m_strLog(NewTempFilePath(pszTestName, L".log")) {}

CCoreRun::~CCoreRun()
{
    if (m_core.IsStarted()) {
        CloseStrayMessageBoxes(m_core.Pid());
        if (m_hWnd)
            PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        m_core.WaitForExit(15000);
        m_core.Stop();
    }
    // A failure that comes now and then is understood only from what the core did meanwhile.
    if (::testing::Test::HasFailure()) {
        const std::string strLog = ReadFileBytes(m_strLog);
        const size_t nTail = strLog.size() > kLogTailOnFailure ? strLog.size() - kLogTailOnFailure : 0;
        std::fprintf(stderr, "---- the core's log, last %zu bytes ----\n%s\n---- end of the log ----\n",
                     strLog.size() - nTail, strLog.c_str() + nTail);
    }
    DeleteFileW(m_strLog.c_str());
}

bool CCoreRun::Start(const std::wstring& strExtraArgs, bool bWaitForLog)
{
    std::wstring strArgs = L"/LOGWINDOW /LOGLEVEL=DEBUG /LOGFILE=" + QuoteArg(m_strLog);
    if (!strExtraArgs.empty())
        strArgs += L" " + strExtraArgs;
    m_hWnd = StartCoreProgram(m_core, strArgs);
    if (!m_hWnd)
        return false;
    if (bWaitForLog && !WaitForLine(kStartLine, 1, 20000)) {
        ADD_FAILURE() << "the log viewer did not write the start line (" << ProcessesOf(ZV_LOG64_FILE).size()
                      << " viewers running, log of " << Log().size() << " characters)";
        return false;
    }
    return true;
}

int CCoreRun::Close(DWORD dwTimeoutMs)
{
    if (m_hWnd)
        PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    const auto code = m_core.WaitForExit(dwTimeoutMs);
    return code ? static_cast<int>(*code) : -1;
}

std::wstring CCoreRun::Log() const { return FromUtf8(ReadFileBytes(m_strLog)); }

bool CCoreRun::PostDevice(WORD wFlags, int nIdx, LPARAM nCount) const
{
    return PostMessageW(m_hWnd, MSG_MV_ALL_WNDS_BY_DEVICE, ScrollCalc::MakeDeviceWParam(wFlags, nIdx), nCount) != FALSE;
}

HWND CCoreRun::BarWnd(bool bVert) const
{
    return WaitForWindow(bVert ? ZV_SCRLBAR_V_WND_TITLE : ZV_SCRLBAR_H_WND_TITLE, 5000, nullptr, m_core.Pid());
}

bool CCoreRun::PostWheel(bool bVert, int nDelta, WORD wKeys) const
{
    const HWND hBar = BarWnd(bVert);
    if (!hBar)
        return false;
    const RECT rc = WindowRect(hBar);
    return PostMessageW(hBar, WM_MOUSEWHEEL, MAKEWPARAM(wKeys, static_cast<WORD>(static_cast<short>(nDelta))),
                        MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2)) != FALSE;
}

bool CCoreRun::WaitForMoveEnd() const
{
    // A marker request is taken (and logged) only while no move runs. A scroll asked for by a
    // message posted before the call reaches the move in up to two more posts (a wheel turn to a
    // bar: the bar's device request, then the move request), each queued behind the marker taken
    // before it: the third marker taken comes after the move has ended.
    const std::wstring strMark = L"CZvCoreDlg::GetScrollWidthAbs()...nIdx=" + std::to_wstring(kMarkIdx) + L",";
    for (int nRound = 0; nRound < 3; ++nRound) {
        const size_t nBefore = CountOf(Log(), strMark);
        const bool bTaken = WaitUntil(
            [&] {
                if (CountOf(Log(), strMark) > nBefore)
                    return true;
                PostDevice(0, kMarkIdx);
                return false;
            },
            10000, 50);
        if (!bTaken)
            return false;
    }
    return true;
}

std::string CCoreRun::LogLinesWith(const std::wstring& strPart) const
{
    const std::wstring strLog = Log();
    std::string str;
    for (size_t nPos = 0; nPos < strLog.size();) {
        const size_t nEnd = std::min(strLog.find(L'\n', nPos), strLog.size());
        const std::wstring strLine = strLog.substr(nPos, nEnd - nPos);
        if (strLine.find(strPart) != std::wstring::npos)
            str += zvkit::ToUtf8(strLine) + "\n";
        nPos = nEnd + 1;
    }
    return str;
}

bool CCoreRun::TypeAndSettle(std::initializer_list<WORD> vks) const
{
    const size_t nHookedBefore = CountOf(Log(), kHookedLine);
    if (!HoldKeys(vks))
        return false;
    if (!WaitUntil([&] { return CountOf(Log(), kHookedLine) >= nHookedBefore + 2 * vks.size(); }, 10000, 50)) {
        ADD_FAILURE() << "the keyboard hook did not report every key event";
        return false;
    }
    return WaitForMoveEnd();
}

bool CCoreRun::WaitForLine(const std::wstring& strLine, size_t nCount, DWORD dwTimeoutMs) const
{
    return WaitUntil([&] { return CountOf(Log(), strLine) >= nCount; }, dwTimeoutMs, 50);
}

std::vector<CHandle> SuspendAll(DWORD dwPid)
{
    std::vector<CHandle> threads;
    const CHandle hSnap(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!hSnap)
        return threads;
    THREADENTRY32 te{sizeof(te)};
    for (BOOL b = Thread32First(hSnap.get(), &te); b; b = Thread32Next(hSnap.get(), &te)) {
        if (te.th32OwnerProcessID != dwPid)
            continue;
        CHandle h(OpenThread(THREAD_SUSPEND_RESUME, FALSE, te.th32ThreadID));
        if (h && SuspendThread(h.get()) != static_cast<DWORD>(-1))
            threads.push_back(std::move(h));
    }
    return threads;
}

std::wstring CoreString(UINT uId)
{
    const std::wstring strPath = LayoutDir() + L"\\" + ZV_CORE64_FILE;
    const HMODULE hMod = LoadLibraryExW(strPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!hMod)
        return L"";
    const wchar_t* psz = nullptr;
    const int cch = LoadStringW(hMod, uId, reinterpret_cast<LPWSTR>(&psz), 0);
    std::wstring str = cch > 0 ? std::wstring(psz, cch) : L"";
    FreeLibrary(hMod);
    return str;
}

void ResumeAll(std::vector<CHandle>& threads)
{
    for (const CHandle& h : threads)
        ResumeThread(h.get());
    threads.clear();
}

}  // namespace zvcore
