#include "ZvTestKit.h"
#include "Path.h"
#include <winternl.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <ostream>
#include <utility>

namespace zvkit {

std::string ReadFileBytes(const std::wstring& strPath)
{
    const CHandle hFile(CreateFileW(strPath.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!hFile)
        return {};
    std::string str;
    char buf[4096];
    DWORD cb = 0;
    while (ReadFile(hFile.get(), buf, sizeof(buf), &cb, nullptr) && cb > 0)
        str.append(buf, cb);
    return str;
}

std::string ToUtf8(const std::wstring& str)
{
    if (str.empty())
        return {};
    const int cb =
        WideCharToMultiByte(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), nullptr, 0, nullptr, nullptr);
    std::string strOut(static_cast<size_t>(cb), '\0');
    WideCharToMultiByte(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), strOut.data(), cb, nullptr, nullptr);
    return strOut;
}

std::wstring FromUtf8(const std::string& str)
{
    if (str.empty())
        return {};
    const int cch = MultiByteToWideChar(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), nullptr, 0);
    std::wstring strOut(static_cast<size_t>(cch), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), strOut.data(), cch);
    return strOut;
}

std::wstring NewTempFilePath(const std::wstring& strName, const std::wstring& strExt)
{
    wchar_t szTemp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, szTemp);
    const std::wstring strPath =
        std::wstring(szTemp) + strName + L"_" + std::to_wstring(GetCurrentProcessId()) + strExt;
    DeleteFileW(strPath.c_str());
    return strPath;
}

// ---- Layout and waiting -------------------------------------------------------------------

std::wstring LayoutDir()
{
    return GetModuleDir();
}

std::wstring LayoutPath(const std::wstring& strFile)
{
    return LayoutDir() + L"\\" + strFile;
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool WaitUntil(const std::function<bool()>& pred, DWORD dwTimeoutMs, DWORD dwPollMs)
{
    const ULONGLONG tEnd = GetTickCount64() + dwTimeoutMs;
    for (;;) {
        PumpMessages();
        if (pred())
            return true;
        ULONGLONG now = GetTickCount64();
        if (now >= tEnd)
            return false;
        DWORD dwWait = static_cast<DWORD>(std::min<ULONGLONG>(dwPollMs, tEnd - now));
        MsgWaitForMultipleObjects(0, nullptr, FALSE, dwWait, QS_ALLINPUT);
    }
}

void PumpFor(DWORD dwMs)
{
    WaitUntil([] { return false; }, dwMs, dwMs);
}

namespace {

// Waits for a kernel object while pumping messages.
bool WaitObject(HANDLE h, DWORD dwTimeoutMs)
{
    const ULONGLONG tEnd = GetTickCount64() + dwTimeoutMs;
    for (;;) {
        PumpMessages();
        if (WaitForSingleObject(h, 0) == WAIT_OBJECT_0)
            return true;
        ULONGLONG now = GetTickCount64();
        if (now >= tEnd)
            return false;
        MsgWaitForMultipleObjects(1, &h, FALSE, static_cast<DWORD>(tEnd - now), QS_ALLINPUT);
    }
}

bool IsPathLike(const std::wstring& s)
{
    return s.find_first_of(L"\\/:") != std::wstring::npos;
}

}  // namespace

// ---- Processes ----------------------------------------------------------------------------

CProcess::~CProcess()
{
    Stop();
    Release();
}

CProcess::CProcess(CProcess&& other) noexcept
{
    *this = std::move(other);
}

CProcess& CProcess::operator=(CProcess&& other) noexcept
{
    if (this != &other) {
        Stop();
        Release();
        m_hProcess = std::move(other.m_hProcess);
        m_hJob = std::move(other.m_hJob);
        m_dwPid = std::exchange(other.m_dwPid, 0);
        m_dwError = other.m_dwError;
    }
    return *this;
}

void CProcess::Release()
{
    m_hProcess.reset();
    m_hJob.reset();  // kills what is left in it (KILL_ON_JOB_CLOSE)
}

bool CProcess::Start(const std::wstring& strProgram, const std::wstring& strArgs)
{
    Stop();
    Release();
    m_dwPid = 0;
    m_dwError = 0;
    std::wstring strPath = IsPathLike(strProgram) ? strProgram : LayoutPath(strProgram);
    std::wstring strCmd = QuoteArg(strPath);
    if (!strArgs.empty())
        strCmd += L" " + strArgs;
    std::wstring strDir = LayoutDir();
    // Wine starts the desktop process (explorer.exe) on the first use of the desktop, as a child of
    // the process that uses it, and ends it when no process is left on it. Started by the program,
    // it would run in the job and die with it; started by the test process, it outlives the program.
    GetDesktopWindow();

    m_hJob.reset(CreateJobObjectW(nullptr, nullptr));
    if (m_hJob) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION li{};
        li.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(m_hJob.get(), JobObjectExtendedLimitInformation, &li, sizeof(li));
    }
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(strPath.c_str(), strCmd.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        strDir.c_str(), &si, &pi)) {
        m_dwError = GetLastError();
        Release();
        return false;
    }
    if (m_hJob && !AssignProcessToJobObject(m_hJob.get(), pi.hProcess))
        m_hJob.reset();
    const CHandle hThread(pi.hThread);
    ResumeThread(hThread.get());
    m_hProcess.reset(pi.hProcess);
    m_dwPid = pi.dwProcessId;
    return true;
}

bool CProcess::IsRunning() const
{
    return m_hProcess && WaitForSingleObject(m_hProcess.get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> CProcess::WaitForExit(DWORD dwTimeoutMs)
{
    if (!m_hProcess || !WaitObject(m_hProcess.get(), dwTimeoutMs))
        return std::nullopt;
    return ExitCode();
}

std::optional<DWORD> CProcess::ExitCode() const
{
    DWORD dwCode = 0;
    if (!m_hProcess || IsRunning() || !GetExitCodeProcess(m_hProcess.get(), &dwCode))
        return std::nullopt;
    return dwCode;
}

std::vector<DWORD> CProcess::JobPids() const
{
    std::vector<DWORD> pids;
    if (m_hJob) {
        struct {
            JOBOBJECT_BASIC_PROCESS_ID_LIST list;
            ULONG_PTR more[255];
        } buf{};
        buf.list.NumberOfAssignedProcesses = 256;
        if (QueryInformationJobObject(m_hJob.get(), JobObjectBasicProcessIdList, &buf, sizeof(buf), nullptr)) {
            const DWORD n = buf.list.NumberOfProcessIdsInList;
            // Wine 8 packs the ids as 32-bit numbers into this array of pointer-sized ones; a real id
            // never has high bits, so any high bits tell the packed layout.
            bool bPacked = false;
            for (DWORD i = 0; i < n; ++i)
                bPacked = bPacked || (buf.list.ProcessIdList[i] >> 32) != 0;
            const auto* packed = reinterpret_cast<const DWORD*>(buf.list.ProcessIdList);
            for (DWORD i = 0; i < n; ++i) {
                DWORD pid = bPacked ? packed[i] : static_cast<DWORD>(buf.list.ProcessIdList[i]);
                if (pid)
                    pids.push_back(pid);
            }
            return pids;
        }
    }
    if (IsRunning())
        pids.push_back(m_dwPid);
    return pids;
}

bool CProcess::AllEnded() const
{
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
    if (m_hJob &&
        QueryInformationJobObject(m_hJob.get(), JobObjectBasicAccountingInformation, &info, sizeof(info), nullptr))
        return info.ActiveProcesses == 0;
    return !IsRunning();
}

std::wstring ProcessCommandLine(DWORD dwPid)
{
    // Read from the process block through its parameters: the one way that works alike under
    // Windows and Wine, and needs nothing of the process but read access.
    using NtQueryFn = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto pfnQuery = reinterpret_cast<NtQueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    const CHandle hProcess(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, dwPid));
    if (!pfnQuery || !hProcess)
        return L"";
    PROCESS_BASIC_INFORMATION pbi{};
    if (pfnQuery(hProcess.get(), ProcessBasicInformation, &pbi, sizeof(pbi), nullptr) != 0 || !pbi.PebBaseAddress)
        return L"";
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS params{};
    if (!ReadProcessMemory(hProcess.get(), pbi.PebBaseAddress, &peb, sizeof(peb), nullptr) || !peb.ProcessParameters ||
        !ReadProcessMemory(hProcess.get(), peb.ProcessParameters, &params, sizeof(params), nullptr) ||
        !params.CommandLine.Buffer)
        return L"";
    std::wstring str(params.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (!str.empty() &&
        !ReadProcessMemory(hProcess.get(), params.CommandLine.Buffer, str.data(), params.CommandLine.Length, nullptr))
        return L"";
    return str;
}

void CProcess::Stop(DWORD dwGraceMs)
{
    if (!m_hProcess)
        return;
    auto allEnded = [this] { return AllEnded(); };
    if (allEnded())
        return;
    for (DWORD pid : JobPids()) {
        for (HWND hWnd : TopLevelWindows(pid)) {
            if (WindowClass(hWnd) != L"IME")
                PostMessageW(hWnd, WM_CLOSE, 0, 0);
        }
    }
    if (WaitUntil(allEnded, dwGraceMs))
        return;
    if (m_hJob)
        TerminateJobObject(m_hJob.get(), 1);
    if (IsRunning())
        TerminateProcess(m_hProcess.get(), 1);
    WaitObject(m_hProcess.get(), 5000);
    WaitUntil(allEnded, 5000);
}

// ---- Input --------------------------------------------------------------------------------

namespace {

bool IsExtendedKey(WORD vk)
{
    switch (vk) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS:
    case VK_DIVIDE:
    case VK_NUMLOCK:
    case VK_SNAPSHOT:
        return true;
    }
    return false;
}

bool SendKey(WORD vk, bool bUp)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0) | (bUp ? KEYEVENTF_KEYUP : 0);
    return SendInput(1, &in, sizeof(in)) == 1;
}

bool SendMouse(DWORD dwFlags, LONG dx = 0, LONG dy = 0, DWORD dwData = 0)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = dx;
    in.mi.dy = dy;
    in.mi.mouseData = dwData;
    in.mi.dwFlags = dwFlags;
    return SendInput(1, &in, sizeof(in)) == 1;
}

// Gap between the events of a combination, so each is its own hardware event in order.
constexpr DWORD kKeyGapMs = 20;

}  // namespace

// ---- Windows ------------------------------------------------------------------------------

std::wstring WindowTitle(HWND hWnd)
{
    int n = GetWindowTextLengthW(hWnd);
    if (n <= 0)
        return {};
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hWnd, s.data(), n + 1);
    s.resize(static_cast<size_t>(std::max(n, 0)));
    return s;
}

std::wstring WindowClass(HWND hWnd)
{
    wchar_t buf[256];
    int n = GetClassNameW(hWnd, buf, 256);
    return std::wstring(buf, static_cast<size_t>(std::max(n, 0)));
}

RECT WindowRect(HWND hWnd)
{
    RECT rc{};
    if (!GetWindowRect(hWnd, &rc))
        rc = RECT{};
    return rc;
}

DWORD WindowPid(HWND hWnd)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    return pid;
}

std::vector<HWND> TopLevelWindows(DWORD dwPid, bool bVisibleOnly)
{
    struct ARGS {
        DWORD dwPid;
        bool bVisibleOnly;
        std::vector<HWND> wnds;
    } args{dwPid, bVisibleOnly, {}};
    EnumWindows(
        [](HWND hWnd, LPARAM lp) -> BOOL {
            auto* a = reinterpret_cast<ARGS*>(lp);
            if ((a->dwPid == 0 || WindowPid(hWnd) == a->dwPid) && (!a->bVisibleOnly || IsWindowVisible(hWnd)))
                a->wnds.push_back(hWnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&args));
    return args.wnds;
}

HWND FindTopLevel(const std::wstring& strTitle, const wchar_t* pszClass, DWORD dwPid)
{
    for (HWND hWnd : TopLevelWindows(dwPid)) {
        if (WindowTitle(hWnd) == strTitle && (!pszClass || WindowClass(hWnd) == pszClass))
            return hWnd;
    }
    return nullptr;
}

HWND WaitForWindow(const std::wstring& strTitle, DWORD dwTimeoutMs, const wchar_t* pszClass, DWORD dwPid)
{
    HWND hFound = nullptr;
    WaitUntil([&] { return (hFound = FindTopLevel(strTitle, pszClass, dwPid)) != nullptr; }, dwTimeoutMs);
    return hFound;
}

RECT RectOf(int x, int y, int cx, int cy)
{
    return RECT{x, y, x + cx, y + cy};
}

::testing::AssertionResult SameRect(const RECT& expected, const RECT& actual)
{
    if (EqualRect(&expected, &actual))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected " << ::testing::PrintToString(expected) << ", got "
                                         << ::testing::PrintToString(actual);
}

bool MoveWindowTo(HWND hWnd, int x, int y)
{
    return SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

bool WaitForRect(HWND hWnd, const RECT& rc, DWORD dwTimeoutMs)
{
    return WaitUntil(
        [&] {
            RECT now = WindowRect(hWnd);
            return EqualRect(&rc, &now) != FALSE;
        },
        dwTimeoutMs);
}

bool ForceForeground(HWND hWnd, DWORD dwTimeoutMs)
{
    auto isFg = [hWnd] { return GetForegroundWindow() == hWnd; };
    if (isFg())
        return true;
    const DWORD dwStep = std::max<DWORD>(dwTimeoutMs / 3, 100);
    SetForegroundWindow(hWnd);
    if (WaitUntil(isFg, dwStep))
        return true;
    // The process that had the last input may set the foreground window; a move by nothing is input
    // that no window acts on (an Alt tap would put the foreground window into its menu).
    SendMouse(MOUSEEVENTF_MOVE, 0, 0);
    SetForegroundWindow(hWnd);
    if (WaitUntil(isFg, dwStep))
        return true;
    HWND hFg = GetForegroundWindow();
    DWORD dwFgThread = hFg ? GetWindowThreadProcessId(hFg, nullptr) : 0;
    DWORD dwSelf = GetCurrentThreadId();
    bool bAttached = dwFgThread && dwFgThread != dwSelf && AttachThreadInput(dwSelf, dwFgThread, TRUE);
    BringWindowToTop(hWnd);
    SetForegroundWindow(hWnd);
    if (bAttached)
        AttachThreadInput(dwSelf, dwFgThread, FALSE);
    return WaitUntil(isFg, dwStep);
}

// ---- Input (continued) ---------------------------------------------------------------------

bool KeyDown(WORD vk)
{
    return SendKey(vk, false);
}
bool KeyUp(WORD vk)
{
    return SendKey(vk, true);
}

bool TapKey(WORD vk)
{
    bool ok = SendKey(vk, false);
    PumpFor(kKeyGapMs);
    return SendKey(vk, true) && ok;
}

bool HoldKeys(const std::vector<WORD>& vks, DWORD dwHoldMs)
{
    bool ok = true;
    for (size_t i = 0; i < vks.size(); ++i) {
        if (i)
            PumpFor(kKeyGapMs);
        ok = SendKey(vks[i], false) && ok;
    }
    PumpFor(dwHoldMs);
    for (size_t i = vks.size(); i-- > 0;) {
        ok = SendKey(vks[i], true) && ok;
        if (i)
            PumpFor(kKeyGapMs);
    }
    return ok;
}

bool HoldKeys(std::initializer_list<WORD> vks, DWORD dwHoldMs)
{
    return HoldKeys(std::vector<WORD>(vks), dwHoldMs);
}

bool MouseMoveTo(int x, int y)
{
    // Absolute input is in 1/65536 of the primary screen; round up so that the system's truncation
    // lands on the pixel itself.
    const LONGLONG cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    auto norm = [](LONGLONG v, LONGLONG extent) { return static_cast<LONG>((v * 65536 + extent - 1) / extent); };
    if (!SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, norm(x, cx), norm(y, cy)))
        return false;
    return WaitUntil(
        [x, y] {
            POINT pt{};
            return GetCursorPos(&pt) && pt.x == x && pt.y == y;
        },
        1000);
}

bool RunXdotool(const std::wstring& strArgs)
{
    // Wine starts programs of the host system through CreateProcess like its own.
    std::wstring strCmd = L"Z:\\usr\\bin\\xdotool " + strArgs;
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, strCmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    // Wine starts a host program without a Windows process: the call succeeds with hProcess null
    // and hThread holding no handle of it. Closing that value closed some other handle of the test,
    // after which every named mutex failed with ERROR_INVALID_HANDLE.
    if (pi.hProcess) {
        const CHandle hThread(pi.hThread), hProcess(pi.hProcess);
        WaitForSingleObject(hProcess.get(), 5000);
    }
    return true;
}

HWND StartForWindow(CProcess& proc, const std::wstring& strProgram, const std::wstring& strArgs,
                    const std::function<HWND()>& fnFind, DWORD dwTimeoutMs)
{
    HWND hWnd = nullptr;
    for (int nTry = 1; nTry <= 3 && !hWnd; ++nTry) {
        const ULONGLONG ullStart = GetTickCount64();
        if (!proc.Start(strProgram, strArgs))
            return nullptr;
        WaitUntil([&] { return (hWnd = fnFind()) != nullptr || !proc.IsRunning(); }, dwTimeoutMs);
        if (hWnd || proc.IsRunning() || GetTickCount64() - ullStart >= 250)
            break;
        const auto code = proc.ExitCode();
        fprintf(stderr, "%ls ended after %llu ms with 0x%lx before its window came; starting it again\n",
                strProgram.c_str(), GetTickCount64() - ullStart, code ? *code : 0ul);
    }
    return hWnd;
}

void SaveShot(HWND hWnd, const std::wstring& strName)
{
    wchar_t szDir[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"ZV_SHOTS_DIR", szDir, MAX_PATH) || !hWnd)
        return;
    RECT rc{};
    if (!GetWindowRect(hWnd, &rc))
        return;
    // Painted first: a window found a moment ago may not have drawn its controls yet.
    RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(300);
    const std::wstring strHost = std::wstring(szDir) + L"/" + strName + L".png";
    std::wstring strWine = L"Z:" + strHost;
    std::replace(strWine.begin(), strWine.end(), L'/', L'\\');
    DeleteFileW(strWine.c_str());
    std::wstring strCmd = L"Z:\\usr\\bin\\import -window root -crop " + std::to_wstring(rc.right - rc.left) + L"x" +
                          std::to_wstring(rc.bottom - rc.top) + L"+" + std::to_wstring(rc.left) + L"+" +
                          std::to_wstring(rc.top) + L" " + strHost;
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, strCmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return;
    // As in RunXdotool: a host program's hThread is no handle of ours.
    const CHandle hThread(pi.hProcess ? pi.hThread : nullptr), hProcess(pi.hProcess);
    // A host program gives no process to wait on: the file is waited for until its size stays.
    LONGLONG llLast = -1;
    WaitUntil(
        [&] {
            WIN32_FILE_ATTRIBUTE_DATA fad{};
            if (!GetFileAttributesExW(strWine.c_str(), GetFileExInfoStandard, &fad))
                return false;
            const LONGLONG ll = (static_cast<LONGLONG>(fad.nFileSizeHigh) << 32) | fad.nFileSizeLow;
            const bool bSteady = ll > 0 && ll == llLast;
            llLast = ll;
            return bSteady;
        },
        10000, 200);
}

bool PlacePointer(int x, int y)
{
    RunXdotool(L"mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y));
    return MouseMoveTo(x, y);
}

bool DisplayButton(bool bDown, int x, int y)
{
    // One xdotool for both: two of them, each started without waiting, could run in either order.
    return RunXdotool(L"mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y) +
                      (bDown ? L" mousedown 1" : L" mouseup 1"));
}

bool DisplayAlt(bool bDown)
{
    if (!RunXdotool(bDown ? L"keydown Alt_L" : L"keyup Alt_L"))
        return false;
    if (!bDown)
        return KeyUp(VK_MENU);
    return KeyDown(VK_MENU) && WaitUntil([] { return (GetAsyncKeyState(VK_MENU) & 0x8000) != 0; }, 2000);
}

bool MouseDown(MouseButton button)
{
    static constexpr DWORD kFlags[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_MIDDLEDOWN};
    return SendMouse(kFlags[static_cast<int>(button)]);
}

bool MouseUp(MouseButton button)
{
    static constexpr DWORD kFlags[] = {MOUSEEVENTF_LEFTUP, MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_MIDDLEUP};
    return SendMouse(kFlags[static_cast<int>(button)]);
}

bool MouseClick(MouseButton button)
{
    bool ok = MouseDown(button);
    PumpFor(kKeyGapMs);
    return MouseUp(button) && ok;
}

bool MouseWheel(int nNotches, bool bHorizontal)
{
    return SendMouse(bHorizontal ? MOUSEEVENTF_HWHEEL : MOUSEEVENTF_WHEEL, 0, 0,
                     static_cast<DWORD>(nNotches * WHEEL_DELTA));
}

// ---- Registry -----------------------------------------------------------------------------

namespace {

std::wstring SectionKey(const std::wstring& strSection)
{
    return std::wstring(kProfileKey) + L"\\" + strSection;
}

bool SetValue(const std::wstring& strKey, const std::wstring& strName, DWORD dwType, const void* p, DWORD cb)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, strKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG r = RegSetValueExW(hKey, strName.c_str(), 0, dwType, static_cast<const BYTE*>(p), cb);
    RegCloseKey(hKey);
    return r == ERROR_SUCCESS;
}

}  // namespace

std::optional<DWORD> RegGetDword(const std::wstring& strSection, const std::wstring& strName)
{
    DWORD dw = 0, cb = sizeof(dw);
    if (RegGetValueW(HKEY_CURRENT_USER, SectionKey(strSection).c_str(), strName.c_str(), RRF_RT_REG_DWORD, nullptr, &dw,
                     &cb) != ERROR_SUCCESS)
        return std::nullopt;
    return dw;
}

std::optional<std::wstring> RegGetString(const std::wstring& strSection, const std::wstring& strName)
{
    std::wstring strKey = SectionKey(strSection);
    DWORD cb = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, strKey.c_str(), strName.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &cb) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::wstring s(cb / sizeof(wchar_t) + 1, L'\0');
    cb = static_cast<DWORD>(s.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, strKey.c_str(), strName.c_str(), RRF_RT_REG_SZ, nullptr, s.data(), &cb) !=
        ERROR_SUCCESS)
        return std::nullopt;
    s.resize(wcsnlen(s.c_str(), s.size()));
    return s;
}

bool RegSetDword(const std::wstring& strSection, const std::wstring& strName, DWORD dwValue)
{
    return SetValue(SectionKey(strSection), strName, REG_DWORD, &dwValue, sizeof(dwValue));
}

bool RegSetString(const std::wstring& strSection, const std::wstring& strName, const std::wstring& strValue)
{
    return SetValue(SectionKey(strSection), strName, REG_SZ, strValue.c_str(),
                    static_cast<DWORD>((strValue.size() + 1) * sizeof(wchar_t)));
}

bool RegDeleteSettingValue(const std::wstring& strSection, const std::wstring& strName)
{
    LONG r = RegDeleteKeyValueW(HKEY_CURRENT_USER, SectionKey(strSection).c_str(), strName.c_str());
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

bool RegKeyExists(const std::wstring& strSubKey)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, strSubKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

bool RegDeleteSettings(const std::wstring& strSubKey)
{
    LONG r = RegDeleteTreeW(HKEY_CURRENT_USER, strSubKey.c_str());
    return (r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND) && !RegKeyExists(strSubKey);
}

namespace {

void SnapshotKey(HKEY hKey, const std::wstring& strPath, std::vector<CRegistryGuard::KEY>& out)
{
    CRegistryGuard::KEY key{strPath, {}};
    DWORD nSubKeys = 0, cchMaxSubKey = 0, nValues = 0, cchMaxName = 0, cbMaxData = 0;
    RegQueryInfoKeyW(hKey, nullptr, nullptr, nullptr, &nSubKeys, &cchMaxSubKey, nullptr, &nValues, &cchMaxName,
                     &cbMaxData, nullptr, nullptr);
    for (DWORD i = 0; i < nValues; ++i) {
        std::wstring name(cchMaxName + 1, L'\0');
        std::vector<BYTE> data(cbMaxData + 2);
        DWORD cchName = static_cast<DWORD>(name.size()), cbData = static_cast<DWORD>(data.size()), dwType = 0;
        if (RegEnumValueW(hKey, i, name.data(), &cchName, nullptr, &dwType, data.data(), &cbData) != ERROR_SUCCESS)
            continue;
        name.resize(cchName);
        data.resize(cbData);
        key.values.push_back({name, dwType, data});
    }
    out.push_back(std::move(key));
    for (DWORD i = 0; i < nSubKeys; ++i) {
        std::wstring name(cchMaxSubKey + 1, L'\0');
        DWORD cchName = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(hKey, i, name.data(), &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        name.resize(cchName);
        HKEY hSub = nullptr;
        if (RegOpenKeyExW(hKey, name.c_str(), 0, KEY_READ, &hSub) != ERROR_SUCCESS)
            continue;
        SnapshotKey(hSub, strPath.empty() ? name : strPath + L"\\" + name, out);
        RegCloseKey(hSub);
    }
}

}  // namespace

CRegistryGuard::CRegistryGuard(const std::wstring& strSubKey) : m_strSubKey(strSubKey)
{
    HKEY hKey = nullptr;
    m_bExisted = RegOpenKeyExW(HKEY_CURRENT_USER, strSubKey.c_str(), 0, KEY_READ, &hKey) == ERROR_SUCCESS;
    if (m_bExisted) {
        SnapshotKey(hKey, L"", m_keys);
        RegCloseKey(hKey);
    }
}

CRegistryGuard::~CRegistryGuard()
{
    Restore();
}

bool CRegistryGuard::Restore()
{
    if (!RegDeleteSettings(m_strSubKey))
        return false;
    if (!m_bExisted)
        return true;
    bool ok = true;
    for (const KEY& key : m_keys) {
        std::wstring strFull = key.strPath.empty() ? m_strSubKey : m_strSubKey + L"\\" + key.strPath;
        HKEY hKey = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, strFull.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey,
                            nullptr) != ERROR_SUCCESS) {
            ok = false;
            continue;
        }
        for (const VALUE& v : key.values) {
            ok = RegSetValueExW(hKey, v.strName.c_str(), 0, v.dwType, v.data.data(),
                                static_cast<DWORD>(v.data.size())) == ERROR_SUCCESS &&
                 ok;
        }
        RegCloseKey(hKey);
    }
    return ok;
}

// ---- Message boxes ------------------------------------------------------------------------

namespace {

std::vector<HWND> ChildrenOfClass(HWND hParent, const wchar_t* pszClass)
{
    struct ARGS {
        const wchar_t* pszClass;
        std::vector<HWND> wnds;
    } args{pszClass, {}};
    EnumChildWindows(
        hParent,
        [](HWND hWnd, LPARAM lp) -> BOOL {
            auto* a = reinterpret_cast<ARGS*>(lp);
            if (!a->pszClass || _wcsicmp(WindowClass(hWnd).c_str(), a->pszClass) == 0)
                a->wnds.push_back(hWnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&args));
    return args.wnds;
}

// WM_GETTEXT is copied across processes, and unlike GetWindowText it asks the control itself.
std::wstring ControlText(HWND hWnd)
{
    DWORD_PTR cch = 0;
    if (!SendMessageTimeoutW(hWnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &cch))
        return WindowTitle(hWnd);
    std::wstring s(cch + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(hWnd, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()), SMTO_ABORTIFHUNG, 2000,
                             &got))
        return WindowTitle(hWnd);
    s.resize(std::min<size_t>(got, cch));
    return s;
}

}  // namespace

bool IsMessageBox(HWND hWnd)
{
    if (WindowClass(hWnd) != L"#32770")
        return false;
    // Texts, an icon and buttons only: other dialogs (a property sheet, say) have other controls.
    auto children = ChildrenOfClass(hWnd, nullptr);
    bool bButton = false;
    for (HWND hChild : children) {
        std::wstring cls = WindowClass(hChild);
        if (_wcsicmp(cls.c_str(), L"Button") == 0)
            bButton = true;
        else if (_wcsicmp(cls.c_str(), L"Static") != 0)
            return false;
    }
    return bButton;
}

std::vector<HWND> FindMessageBoxes(DWORD dwPid, const std::wstring* pCaption)
{
    std::vector<HWND> boxes;
    for (HWND hWnd : TopLevelWindows(dwPid, true)) {
        if (IsMessageBox(hWnd) && (!pCaption || WindowTitle(hWnd) == *pCaption))
            boxes.push_back(hWnd);
    }
    return boxes;
}

HWND WaitForMessageBox(DWORD dwPid, DWORD dwTimeoutMs)
{
    HWND hBox = nullptr;
    WaitUntil(
        [&] {
            auto boxes = FindMessageBoxes(dwPid);
            hBox = boxes.empty() ? nullptr : boxes.front();
            return hBox != nullptr;
        },
        dwTimeoutMs);
    return hBox;
}

HWND WaitForMessageBoxByCaption(const std::wstring& strCaption, DWORD dwTimeoutMs)
{
    HWND hBox = nullptr;
    WaitUntil(
        [&] {
            auto boxes = FindMessageBoxes(0, &strCaption);
            hBox = boxes.empty() ? nullptr : boxes.front();
            return hBox != nullptr;
        },
        dwTimeoutMs);
    return hBox;
}

std::wstring MessageBoxText(HWND hBox)
{
    // The message is the static control with id 0xFFFF; the icon is a static without text.
    std::wstring strFirst;
    for (HWND hStatic : ChildrenOfClass(hBox, L"Static")) {
        std::wstring s = ControlText(hStatic);
        if (s.empty())
            continue;
        if (GetDlgCtrlID(hStatic) == 0xFFFF)
            return s;
        if (strFirst.empty())
            strFirst = s;
    }
    return strFirst;
}

std::vector<int> MessageBoxButtons(HWND hBox)
{
    std::vector<int> ids;
    for (HWND hButton : ChildrenOfClass(hBox, L"Button")) {
        if (IsWindowVisible(hButton))
            ids.push_back(GetDlgCtrlID(hButton));
    }
    return ids;
}

bool PressMessageBoxButton(HWND hBox, int nId)
{
    for (HWND hButton : ChildrenOfClass(hBox, L"Button")) {
        if (GetDlgCtrlID(hButton) == nId && IsWindowVisible(hButton)) {
            return PostMessageW(hBox, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), reinterpret_cast<LPARAM>(hButton)) !=
                   FALSE;
        }
    }
    return false;
}

bool CloseMessageBox(HWND hBox)
{
    std::vector<int> ids = MessageBoxButtons(hBox);
    for (int nId : {IDCANCEL, IDNO, IDABORT, IDIGNORE, IDOK}) {
        if (std::find(ids.begin(), ids.end(), nId) != ids.end())
            return PressMessageBoxButton(hBox, nId);
    }
    if (!ids.empty())
        return PressMessageBoxButton(hBox, ids.front());
    return PostMessageW(hBox, WM_CLOSE, 0, 0) != FALSE;
}

int CloseStrayMessageBoxes(DWORD dwPid, DWORD dwTimeoutMs)
{
    std::vector<HWND> boxes = FindMessageBoxes(dwPid);
    for (HWND hBox : boxes)
        CloseMessageBox(hBox);
    WaitUntil(
        [&] {
            return std::none_of(boxes.begin(), boxes.end(), [](HWND h) { return IsWindow(h) && IsWindowVisible(h); });
        },
        dwTimeoutMs);
    return static_cast<int>(boxes.size());
}

// ---- ZvTestWnds.exe -----------------------------------------------------------------------

std::wstring WndArg(int x, int y, int cx, int cy, const std::wstring& strTitle, const std::wstring& strOpts)
{
    return UntitledWndArg(x, y, cx, cy, strOpts) + L"," + strTitle;
}

std::wstring UntitledWndArg(int x, int y, int cx, int cy, const std::wstring& strOpts)
{
    std::wstring s = L"/WND";
    if (!strOpts.empty())
        s += L":" + strOpts;
    return s + L"=" + std::to_wstring(x) + L"," + std::to_wstring(y) + L"," + std::to_wstring(cx) + L"," +
           std::to_wstring(cy);
}

std::wstring WndArgTitle(const std::wstring& strWndArg)
{
    // "/WND[:opts]=x,y,w,h[,Title]": the title is all after the fourth comma.
    size_t nPos = strWndArg.find(L'=');
    for (int i = 0; i < 4 && nPos != std::wstring::npos; ++i)
        nPos = strWndArg.find(L',', nPos + 1);
    return nPos == std::wstring::npos ? std::wstring() : strWndArg.substr(nPos + 1);
}

namespace {

// The kit's end of the protocol: a message-only window per thread that takes the replies, which
// arrive while the thread waits in SendMessageTimeout.
thread_local std::vector<BYTE>* t_pReply;
thread_local HWND t_hReplyWnd;

LRESULT CALLBACK ReplyWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept
{
    if (uMsg == WM_COPYDATA) {
        const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (t_pReply && (cds->dwData & ZV_TW_REPLY)) {
            const BYTE* p = static_cast<const BYTE*>(cds->lpData);
            t_pReply->assign(p, p + cds->cbData);
        }
        return TRUE;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

HWND ReplyWnd()
{
    if (!t_hReplyWnd) {
        static const ATOM atom = [] {
            WNDCLASSEXW wc{sizeof(wc)};
            wc.lpfnWndProc = ReplyWndProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"ZvTestKitReply";
            return RegisterClassExW(&wc);
        }();
        if (atom) {
            t_hReplyWnd = CreateWindowExW(0, L"ZvTestKitReply", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          GetModuleHandleW(nullptr), nullptr);
        }
    }
    return t_hReplyWnd;
}

HWND FindControlWnd(DWORD dwPid)
{
    for (HWND h = nullptr; (h = FindWindowExW(HWND_MESSAGE, h, ZV_TW_CTRL_CLASS, nullptr)) != nullptr;) {
        if (WindowPid(h) == dwPid)
            return h;
    }
    return nullptr;
}

}  // namespace

CTestWnds::~CTestWnds()
{
    if (m_proc.IsRunning())
        Quit(2000);
}

bool CTestWnds::Start(const std::vector<std::wstring>& args, DWORD dwTimeoutMs)
{
    std::wstring strArgs;
    for (const std::wstring& a : args)
        strArgs += QuoteArg(a) + L" ";
    strArgs += L"/PARENT=" + std::to_wstring(GetCurrentProcessId());
    m_hCtrl = StartForWindow(
        m_proc, L"ZvTestWnds.exe", strArgs, [this] { return FindControlWnd(m_proc.Pid()); }, dwTimeoutMs);
    return m_hCtrl != nullptr;
}

LRESULT CTestWnds::Send(ZvTwCmd cmd, const void* p, size_t cb, std::vector<BYTE>* pReply)
{
    if (!m_hCtrl)
        return 0;
    HWND hReply = ReplyWnd();
    COPYDATASTRUCT cds{cmd, static_cast<DWORD>(cb), const_cast<void*>(p)};
    std::vector<BYTE> ignored;
    t_pReply = pReply ? pReply : &ignored;
    t_pReply->clear();
    DWORD_PTR result = 0;
    LRESULT ok = SendMessageTimeoutW(m_hCtrl, WM_COPYDATA, reinterpret_cast<WPARAM>(hReply),
                                     reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 5000, &result);
    t_pReply = nullptr;
    return ok ? static_cast<LRESULT>(result) : 0;
}

std::vector<HWND> CTestWnds::Windows()
{
    std::vector<BYTE> reply;
    std::vector<HWND> wnds;
    if (!Send(ZV_TW_LIST, nullptr, 0, &reply))
        return wnds;
    for (size_t i = 0; i + sizeof(uint64_t) <= reply.size(); i += sizeof(uint64_t)) {
        uint64_t h;
        memcpy(&h, reply.data() + i, sizeof(h));
        wnds.push_back(reinterpret_cast<HWND>(h));
    }
    return wnds;
}

HWND CTestWnds::Window(const std::wstring& strTitle)
{
    for (HWND hWnd : Windows()) {
        if (WindowTitle(hWnd) == strTitle)
            return hWnd;
    }
    return nullptr;
}

bool CTestWnds::GetPlacement(HWND hWnd, WINDOWPLACEMENT& wp)
{
    ZV_TW_WND rec{reinterpret_cast<uint64_t>(hWnd)};
    std::vector<BYTE> reply;
    if (!Send(ZV_TW_GET_PLACEMENT, &rec, sizeof(rec), &reply) || reply.size() != sizeof(wp))
        return false;
    memcpy(&wp, reply.data(), sizeof(wp));
    return true;
}

bool CTestWnds::SetPlacement(HWND hWnd, const WINDOWPLACEMENT& wp)
{
    ZV_TW_PLACEMENT rec{reinterpret_cast<uint64_t>(hWnd), wp};
    return Send(ZV_TW_SET_PLACEMENT, &rec, sizeof(rec)) != 0;
}

bool CTestWnds::Show(HWND hWnd, int nCmdShow)
{
    ZV_TW_SHOW_REC rec{reinterpret_cast<uint64_t>(hWnd), nCmdShow};
    return Send(ZV_TW_SHOW, &rec, sizeof(rec)) != 0;
}

bool CTestWnds::Close(HWND hWnd)
{
    ZV_TW_WND rec{reinterpret_cast<uint64_t>(hWnd)};
    return Send(ZV_TW_CLOSE, &rec, sizeof(rec)) != 0;
}

HWND CTestWnds::Create(const std::wstring& strWndArg)
{
    if (strWndArg.compare(0, 4, L"/WND") != 0)
        return nullptr;
    std::wstring body = strWndArg.substr(4);
    return reinterpret_cast<HWND>(Send(ZV_TW_CREATE, body.c_str(), (body.size() + 1) * sizeof(wchar_t)));
}

bool CTestWnds::Foreground(HWND hWnd, DWORD dwTimeoutMs)
{
    ZV_TW_WND rec{reinterpret_cast<uint64_t>(hWnd)};
    Send(ZV_TW_FOREGROUND, &rec, sizeof(rec));
    return WaitUntil([hWnd] { return GetForegroundWindow() == hWnd; }, dwTimeoutMs);
}

std::vector<ZV_TW_INPUT> CTestWnds::Input(bool bClear)
{
    ZV_TW_INPUT_REC rec{bClear ? 1 : 0};
    std::vector<BYTE> reply;
    std::vector<ZV_TW_INPUT> events;
    if (!Send(ZV_TW_GET_INPUT, &rec, sizeof(rec), &reply))
        return events;
    events.resize(reply.size() / sizeof(ZV_TW_INPUT));
    if (!events.empty())
        memcpy(events.data(), reply.data(), events.size() * sizeof(ZV_TW_INPUT));
    return events;
}

bool CTestWnds::Hang(DWORD dwMs)
{
    ZV_TW_HANG_REC rec{dwMs};
    return Send(ZV_TW_HANG, &rec, sizeof(rec)) != 0;
}

std::optional<DWORD> CTestWnds::Quit(DWORD dwTimeoutMs)
{
    if (m_proc.IsRunning())
        Send(ZV_TW_QUIT, nullptr, 0);
    return m_proc.WaitForExit(dwTimeoutMs);
}

}  // namespace zvkit

void PrintTo(const RECT& rc, std::ostream* os)
{
    *os << "(" << rc.left << "," << rc.top << ")-(" << rc.right << "," << rc.bottom << ") " << rc.right - rc.left << "x"
        << rc.bottom - rc.top;
}
