// ZvTestWnds.exe: ordinary top-level windows for the end-to-end tests, made from the command line.
//
//   ZvTestWnds.exe [option ...]
//     /WND[:opts]=x,y,w,h[,Title]  one top-level window (WS_OVERLAPPEDWINDOW, visible, not topmost).
//                                  Title is the rest of the argument: blanks, commas and any Unicode
//                                  are kept; without ",Title" the window is untitled. opts, joined
//                                  by '+': min (shown minimised), max (shown maximised), noactivate,
//                                  tool (WS_EX_TOOLWINDOW), topmost, hidden (never shown),
//                                  popup (WS_POPUP with a border, no caption), owned (owner = the
//                                  first window). Windows are made in the order given.
//     /CLASS=name                  window class of the test windows (default ZvTestWnd)
//     /EVENT=name                  end in order when this named event is set
//     /PARENT=pid                  end when that process ends (the test kit passes its own)
//     /STAY                        keep running after the last test window is closed
//     /KEYHOOK                     log the key events of a low-level keyboard hook
//     /CHILD=args                  start another ZvTestWnds.exe with this command-line text
//     /HITCLOSE=title              the first hit test another thread sends a test window (as the
//                                  core program's caption question does) is answered only after
//                                  a WM_CLOSE sent to the top-level window of that title; the
//                                  window's title then ends in " [outlived]" when that window
//                                  still existed after its close handler, else in " [destroyed]"
//     /SIZECLOSE=title             the same for the first resize another thread sends a test
//                                  window and waits for (as the core program's maximise cancel does)
//     /MSGBOX=text                 then show a message box without owner ("\n" in text is a line
//                                  feed, "\\" a backslash); the program ends when the box does
//     /MSGCAPTION=caption          its caption (default "ZvTestWnds")
//     /MSGTYPE=n                   its MessageBox type flags, decimal or 0x hex (default MB_OK)
//
// The program ends in order, with exit code 0, when its last test window is destroyed (WM_CLOSE to
// a window destroys only that window), on ZV_TW_QUIT, or when the /EVENT is set; it ends with 3
// when the /PARENT process ends; with /MSGBOX the exit code is the id of the button that ended the
// box. Started without windows, it runs as with /STAY. A bad command line gives exit code 2. It
// prints nothing.
//
// Once every window is made, it creates its message-only control window (class ZvTestWndsCtrl), so
// a found control window means the windows all exist. The control window runs the WM_COPYDATA
// commands of ZvTestWndsProtocol.h inside this process, where placement calls on a minimised
// window behave, which they do not when another process makes them under Wine.
#include "Path.h"
#include "ZvTestWndsProtocol.h"
#include <shellapi.h>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr UINT WM_ZV_QUIT = WM_APP + 1;  // wParam: exit code
constexpr UINT WM_ZV_HANG = WM_APP + 2;  // wParam: how long the thread sleeps, in ms

struct WND_DESC {
    int x = 0, y = 0, cx = 0, cy = 0;
    bool bTitled = false;
    std::wstring strTitle;
    bool bMin = false, bMax = false, bNoActivate = false, bTool = false, bTopmost = false, bHidden = false,
         bPopup = false, bOwned = false;
};

HINSTANCE g_hInst;
std::wstring g_strWndClass = ZV_TW_WND_CLASS;
std::vector<HWND> g_wnds;  // live test windows in creation order
HWND g_hCtrl;
bool g_bStay, g_bEnding;
int g_nQuitCode = -1;  // set once an end was asked for
std::vector<ZV_TW_INPUT> g_input;
std::wstring g_strHitClose;  // /HITCLOSE: the window closed from inside a sent hit test
std::wstring g_strSizeClose;  // /SIZECLOSE: the same from inside a sent resize

bool ParseInt(const std::wstring& s, int& n)
{
    if (s.empty())
        return false;
    wchar_t* end = nullptr;
    long v = std::wcstol(s.c_str(), &end, 0);
    if (*end != L'\0')
        return false;
    n = static_cast<int>(v);
    return true;
}

// "x,y,w,h[,Title]" with the options before '=' already split off as "min+tool".
bool ParseWndDesc(const std::wstring& opts, const std::wstring& body, WND_DESC& desc)
{
    int* nums[] = {&desc.x, &desc.y, &desc.cx, &desc.cy};
    size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
        size_t comma = body.find(L',', pos);
        std::wstring field = body.substr(pos, comma == std::wstring::npos ? std::wstring::npos : comma - pos);
        if (!ParseInt(field, *nums[i]))
            return false;
        if (comma == std::wstring::npos) {
            if (i != 3)
                return false;
            pos = std::wstring::npos;
        } else {
            pos = comma + 1;
        }
    }
    if (pos != std::wstring::npos) {
        desc.bTitled = true;
        desc.strTitle = body.substr(pos);
    }
    size_t start = 0;
    while (start < opts.size()) {
        size_t plus = opts.find(L'+', start);
        std::wstring o = opts.substr(start, plus == std::wstring::npos ? std::wstring::npos : plus - start);
        if (o == L"min")
            desc.bMin = true;
        else if (o == L"max")
            desc.bMax = true;
        else if (o == L"noactivate")
            desc.bNoActivate = true;
        else if (o == L"tool")
            desc.bTool = true;
        else if (o == L"topmost")
            desc.bTopmost = true;
        else if (o == L"hidden")
            desc.bHidden = true;
        else if (o == L"popup")
            desc.bPopup = true;
        else if (o == L"owned")
            desc.bOwned = true;
        else if (!o.empty())
            return false;
        if (plus == std::wstring::npos)
            break;
        start = plus + 1;
    }
    return true;
}

// "/WND:min=..." or "/WND=..." after the "/WND" prefix.
bool ParseWndArg(const std::wstring& rest, WND_DESC& desc)
{
    size_t eq = rest.find(L'=');
    if (eq == std::wstring::npos)
        return false;
    std::wstring opts;
    if (eq > 0) {
        if (rest[0] != L':')
            return false;
        opts = rest.substr(1, eq - 1);
    }
    return ParseWndDesc(opts, rest.substr(eq + 1), desc);
}

std::wstring Unescape(const std::wstring& s)
{
    std::wstring out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'\\' && i + 1 < s.size() && (s[i + 1] == L'n' || s[i + 1] == L'\\')) {
            out += s[i + 1] == L'n' ? L'\n' : L'\\';
            ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

HWND CreateTestWnd(const WND_DESC& desc) noexcept
{
    DWORD dwStyle = desc.bPopup ? (WS_POPUP | WS_BORDER) : WS_OVERLAPPEDWINDOW;
    DWORD dwExStyle = (desc.bTool ? WS_EX_TOOLWINDOW : 0) | (desc.bTopmost ? WS_EX_TOPMOST : 0);
    HWND hOwner = desc.bOwned && !g_wnds.empty() ? g_wnds.front() : nullptr;
    HWND hWnd = CreateWindowExW(dwExStyle, g_strWndClass.c_str(), desc.strTitle.c_str(), dwStyle, desc.x, desc.y,
                                desc.cx, desc.cy, hOwner, nullptr, g_hInst, nullptr);
    if (!hWnd)
        return nullptr;
    g_wnds.push_back(hWnd);
    if (!desc.bHidden) {
        int nShow = desc.bMin          ? SW_SHOWMINNOACTIVE
                    : desc.bMax        ? SW_SHOWMAXIMIZED
                    : desc.bNoActivate ? SW_SHOWNOACTIVATE
                                       : SW_SHOWNORMAL;
        ShowWindow(hWnd, nShow);
        UpdateWindow(hWnd);
    }
    return hWnd;
}

void LogInput(uint32_t source, uint32_t vk, bool down, uint32_t time, bool injected, int wheel, HWND hWnd)
{
    if (g_input.size() < 4096)
        g_input.push_back(
            {source, vk, down ? 1u : 0u, time, injected ? 1u : 0u, wheel, reinterpret_cast<uint64_t>(hWnd)});
}

LRESULT CALLBACK KeyboardLLProc(int nCode, WPARAM wParam, LPARAM lParam) noexcept
{
    if (nCode == HC_ACTION) {
        const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        LogInput(ZV_TW_IN_HOOK, k->vkCode, down, k->time, (k->flags & LLKHF_INJECTED) != 0, 0, nullptr);
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

void RequestQuit(int nCode) noexcept
{
    if (g_nQuitCode < 0)
        g_nQuitCode = nCode;
    g_bEnding = true;
    while (!g_wnds.empty())
        DestroyWindow(g_wnds.back());
    PostQuitMessage(g_nQuitCode);
}

// Sends WM_CLOSE to the top-level window titled strTarget (once: strTarget is emptied) and marks
// the title of hWnd with whether that window outlived its close handler.
void CloseFromInsideSend(HWND hWnd, std::wstring& strTarget) noexcept
{
    const HWND hTarget = FindWindowW(nullptr, strTarget.c_str());
    strTarget.clear();
    if (!hTarget)
        return;
    DWORD_PTR r = 0;
    SendMessageTimeoutW(hTarget, WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, &r);
    wchar_t szTitle[256] = {};
    GetWindowTextW(hWnd, szTitle, 256);
    SetWindowTextW(hWnd, (std::wstring(szTitle) + (IsWindow(hTarget) ? L" [outlived]" : L" [destroyed]")).c_str());
}

LRESULT CALLBACK TestWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept
{
    const auto time = static_cast<uint32_t>(GetMessageTime());
    switch (uMsg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        LogInput(ZV_TW_IN_WINDOW, static_cast<uint32_t>(wParam), uMsg == WM_KEYDOWN || uMsg == WM_SYSKEYDOWN, time,
                 false, 0, hWnd);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        LogInput(ZV_TW_IN_WINDOW, VK_LBUTTON, uMsg == WM_LBUTTONDOWN, time, false, 0, hWnd);
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        LogInput(ZV_TW_IN_WINDOW, VK_RBUTTON, uMsg == WM_RBUTTONDOWN, time, false, 0, hWnd);
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        LogInput(ZV_TW_IN_WINDOW, VK_MBUTTON, uMsg == WM_MBUTTONDOWN, time, false, 0, hWnd);
        break;
    case WM_MOUSEWHEEL:
        LogInput(ZV_TW_IN_WINDOW, 0, false, time, false, GET_WHEEL_DELTA_WPARAM(wParam), hWnd);
        return 0;
    case WM_NCHITTEST:
        if (!g_strHitClose.empty() && (InSendMessageEx(nullptr) & ISMEX_SEND))
            CloseFromInsideSend(hWnd, g_strHitClose);
        break;
    case WM_WINDOWPOSCHANGING:
        // Only a resize whose sender waits for it: another thread's synchronous SetWindowPos.
        if (!g_strSizeClose.empty() && !(reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_NOSIZE) &&
            (InSendMessageEx(nullptr) & (ISMEX_SEND | ISMEX_REPLIED)) == ISMEX_SEND)
            CloseFromInsideSend(hWnd, g_strSizeClose);
        break;
    case WM_DESTROY:
        for (auto it = g_wnds.begin(); it != g_wnds.end(); ++it) {
            if (*it == hWnd) {
                g_wnds.erase(it);
                break;
            }
        }
        if (g_wnds.empty() && !g_bStay && !g_bEnding)
            RequestQuit(0);
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

HWND OwnWnd(uint64_t h) noexcept
{
    HWND hWnd = reinterpret_cast<HWND>(h);
    DWORD pid = 0;
    if (!IsWindow(hWnd) || (GetWindowThreadProcessId(hWnd, &pid), pid != GetCurrentProcessId()))
        return nullptr;
    return hWnd;
}

void Reply(HWND hTo, ULONG_PTR cmd, const void* p, size_t cb) noexcept
{
    COPYDATASTRUCT cds{cmd | ZV_TW_REPLY, static_cast<DWORD>(cb), const_cast<void*>(p)};
    DWORD_PTR r = 0;
    SendMessageTimeoutW(hTo, WM_COPYDATA, reinterpret_cast<WPARAM>(g_hCtrl), reinterpret_cast<LPARAM>(&cds),
                        SMTO_NORMAL, 5000, &r);
}

template <class T> const T* Payload(const COPYDATASTRUCT* cds) noexcept
{
    return cds->cbData >= sizeof(T) ? static_cast<const T*>(cds->lpData) : nullptr;
}

LRESULT OnCommand(HWND hFrom, const COPYDATASTRUCT* cds) noexcept
{
    switch (cds->dwData) {
    case ZV_TW_GET_PLACEMENT: {
        auto* p = Payload<ZV_TW_WND>(cds);
        HWND hWnd = p ? OwnWnd(p->hwnd) : nullptr;
        WINDOWPLACEMENT wp{sizeof(wp)};
        if (!hWnd || !GetWindowPlacement(hWnd, &wp))
            return 0;
        Reply(hFrom, cds->dwData, &wp, sizeof(wp));
        return 1;
    }
    case ZV_TW_SET_PLACEMENT: {
        auto* p = Payload<ZV_TW_PLACEMENT>(cds);
        HWND hWnd = p ? OwnWnd(p->hwnd) : nullptr;
        if (!hWnd)
            return 0;
        WINDOWPLACEMENT wp = p->wp;
        wp.length = sizeof(wp);
        return SetWindowPlacement(hWnd, &wp) ? 1 : 0;
    }
    case ZV_TW_SHOW: {
        auto* p = Payload<ZV_TW_SHOW_REC>(cds);
        HWND hWnd = p ? OwnWnd(p->hwnd) : nullptr;
        if (!hWnd)
            return 0;
        ShowWindow(hWnd, p->nCmdShow);
        return 1;
    }
    case ZV_TW_CLOSE: {
        auto* p = Payload<ZV_TW_WND>(cds);
        HWND hWnd = p ? OwnWnd(p->hwnd) : nullptr;
        if (!hWnd)
            return 0;
        SendMessageW(hWnd, WM_CLOSE, 0, 0);
        return 1;
    }
    case ZV_TW_LIST: {
        std::vector<uint64_t> list;
        for (HWND h : g_wnds)
            list.push_back(reinterpret_cast<uint64_t>(h));
        Reply(hFrom, cds->dwData, list.data(), list.size() * sizeof(uint64_t));
        return 1;
    }
    case ZV_TW_CREATE: {
        std::wstring arg(static_cast<const wchar_t*>(cds->lpData), cds->cbData / sizeof(wchar_t));
        while (!arg.empty() && arg.back() == L'\0')
            arg.pop_back();
        WND_DESC desc;
        if (!ParseWndArg(arg, desc))
            return 0;
        return reinterpret_cast<LRESULT>(CreateTestWnd(desc));
    }
    case ZV_TW_FOREGROUND: {
        auto* p = Payload<ZV_TW_WND>(cds);
        HWND hWnd = p ? OwnWnd(p->hwnd) : nullptr;
        return hWnd && SetForegroundWindow(hWnd) ? 1 : 0;
    }
    case ZV_TW_GET_INPUT: {
        auto* p = Payload<ZV_TW_INPUT_REC>(cds);
        Reply(hFrom, cds->dwData, g_input.data(), g_input.size() * sizeof(ZV_TW_INPUT));
        if (p && p->bClear)
            g_input.clear();
        return 1;
    }
    case ZV_TW_QUIT:
        PostMessageW(g_hCtrl, WM_ZV_QUIT, 0, 0);
        return 1;
    case ZV_TW_HANG: {
        // Answered first: the caller must not be held by the hang it asked for.
        auto* p = Payload<ZV_TW_HANG_REC>(cds);
        if (!p)
            return 0;
        PostMessageW(g_hCtrl, WM_ZV_HANG, p->ms, 0);
        return 1;
    }
    }
    return 0;
}

LRESULT CALLBACK CtrlWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (uMsg) {
    case WM_COPYDATA:
        return OnCommand(reinterpret_cast<HWND>(wParam), reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_ZV_QUIT:
        RequestQuit(static_cast<int>(wParam));
        return 0;
    case WM_ZV_HANG:
        Sleep(static_cast<DWORD>(wParam));
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

struct WATCH {
    HANDLE hEvent;   // the /EVENT, or null
    HANDLE hParent;  // the /PARENT process, or null
};

DWORD WINAPI WatchThread(void* pv) noexcept
{
    auto* w = static_cast<WATCH*>(pv);
    HANDLE handles[2];
    DWORD n = 0;
    if (w->hEvent)
        handles[n++] = w->hEvent;
    if (w->hParent)
        handles[n++] = w->hParent;
    DWORD r = WaitForMultipleObjects(n, handles, FALSE, INFINITE);
    bool bParentGone = r == WAIT_OBJECT_0 + n - 1 && w->hParent;
    PostMessageW(g_hCtrl, WM_ZV_QUIT, bParentGone ? 3 : 0, 0);
    return 0;
}

// Another instance of this program, for tests of process trees.
bool StartChild(const std::wstring& strArgs) noexcept
{
    const std::wstring strPath = GetModuleFilePath();
    if (strPath.empty())
        return false;
    std::wstring strCmd = L"\"" + strPath + L"\" " + strArgs;
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(strPath.c_str(), strCmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hInst, HINSTANCE, LPWSTR, int)
{
    g_hInst = hInst;
    std::vector<WND_DESC> descs;
    std::wstring strEvent, strMsgBox, strCaption = L"ZvTestWnds", strChild;
    bool bMsgBox = false, bKeyHook = false;
    int nMsgType = MB_OK, nParent = 0;

    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv)
        return 2;
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        auto value = [&a](const wchar_t* prefix, std::wstring& out) {
            size_t n = std::wcslen(prefix);
            if (a.compare(0, n, prefix) != 0)
                return false;
            out = a.substr(n);
            return true;
        };
        std::wstring v;
        if (a.compare(0, 4, L"/WND") == 0) {
            WND_DESC desc;
            if (!ParseWndArg(a.substr(4), desc))
                return 2;
            descs.push_back(desc);
        } else if (value(L"/CLASS=", v)) {
            g_strWndClass = v;
        } else if (value(L"/EVENT=", v)) {
            strEvent = v;
        } else if (value(L"/PARENT=", v)) {
            if (!ParseInt(v, nParent))
                return 2;
        } else if (a == L"/STAY") {
            g_bStay = true;
        } else if (value(L"/CHILD=", v)) {
            strChild = v;
        } else if (a == L"/KEYHOOK") {
            bKeyHook = true;
        } else if (value(L"/HITCLOSE=", v)) {
            g_strHitClose = v;
        } else if (value(L"/SIZECLOSE=", v)) {
            g_strSizeClose = v;
        } else if (value(L"/MSGBOX=", v)) {
            bMsgBox = true;
            strMsgBox = Unescape(v);
        } else if (value(L"/MSGCAPTION=", v)) {
            strCaption = v;
        } else if (value(L"/MSGTYPE=", v)) {
            if (!ParseInt(v, nMsgType))
                return 2;
        } else {
            return 2;
        }
    }
    LocalFree(argv);
    // With no window to close, only the other ends apply.
    if (descs.empty())
        g_bStay = true;

    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = TestWndProc;
    wc.hInstance = hInst;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = g_strWndClass.c_str();
    if (!RegisterClassExW(&wc))
        return 1;
    WNDCLASSEXW cc{sizeof(cc)};
    cc.lpfnWndProc = CtrlWndProc;
    cc.hInstance = hInst;
    cc.lpszClassName = ZV_TW_CTRL_CLASS;
    if (!RegisterClassExW(&cc))
        return 1;

    HHOOK hHook = bKeyHook ? SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardLLProc, hInst, 0) : nullptr;
    if (bKeyHook && !hHook)
        return 1;
    for (const WND_DESC& desc : descs) {
        if (!CreateTestWnd(desc))
            return 1;
    }
    g_hCtrl = CreateWindowExW(0, ZV_TW_CTRL_CLASS, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, hInst, nullptr);
    if (!g_hCtrl)
        return 1;

    if (!strChild.empty() && !StartChild(strChild))
        return 1;

    static WATCH watch{};
    if (!strEvent.empty())
        watch.hEvent = CreateEventW(nullptr, TRUE, FALSE, strEvent.c_str());
    if (nParent)
        watch.hParent = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(nParent));
    if (watch.hEvent || watch.hParent) {
        HANDLE hThread = CreateThread(nullptr, 0, WatchThread, &watch, 0, nullptr);
        if (hThread)
            CloseHandle(hThread);
    }

    int nExit = 0;
    if (bMsgBox) {
        int nButton = MessageBoxW(nullptr, strMsgBox.c_str(), strCaption.c_str(), static_cast<UINT>(nMsgType));
        nExit = g_nQuitCode >= 0 ? g_nQuitCode : nButton;
    } else {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        nExit = g_nQuitCode >= 0 ? g_nQuitCode : 0;
    }
    g_bEnding = true;
    while (!g_wnds.empty())
        DestroyWindow(g_wnds.back());
    DestroyWindow(g_hCtrl);
    if (hHook)
        UnhookWindowsHookEx(hHook);
    return nExit;
}
