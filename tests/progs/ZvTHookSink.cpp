// ZvTHookSink.exe: a hidden window that installs the hooks of ZvHook64.dll and ZvHook.dll (loaded
// by name, as a caller that knows only the exported names would) and appends every hook message
// it receives to a file, for the hook-library tests.
//
//   /TITLE=text              title of its hidden window, by which the test finds it
//   /LOG=path                the record file (ZV_SINK_RECORD, ZvTHookSink.h), made anew
//   /MAXCANCEL=x,y,w,h       answer a maximise by placing the window there itself, result 1
//   /INSTALL=mask            hooks to install at once (ZV_SINK_*)
// Commands: ZV_SINK_INSTALL, ZV_SINK_REMOVE, ZV_SINK_HANDLES. It ends, removing its hooks, on
// WM_CLOSE. Exit code 0, or 2 for a bad command line, an unwritable file or a missing library.
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "../../ZvCommon/ZvMessages.h"
#include "../../outside/ZvHook/ZvHook.h"
#include "../../outside/ZvHook64/ZvHook64.h"
#include "CommandLine.h"
#include "ZvTHookSink.h"

namespace {

using PFN_CBT64 = decltype(&SetCbtHook64);
using PFN_KEYBD64 = decltype(&SetKeybdHook64);
using PFN_MOUSE64 = decltype(&SetMouseHook64);
using PFN_CBT = decltype(&SetCbtHook);

PFN_CBT64 g_pfnCbt64 = nullptr;
PFN_KEYBD64 g_pfnKeybd64 = nullptr;
PFN_MOUSE64 g_pfnMouse64 = nullptr;
PFN_CBT g_pfnCbt = nullptr;

HANDLE g_hLog = INVALID_HANDLE_VALUE;
bool g_bMaxCancel = false;
RECT g_rcMaxCancel{};
HHOOK g_ahHook[4] = {};  // by bit of ZV_SINK_*

bool TakeValue(const std::wstring& strArg, const wchar_t* pszName, std::wstring& strValue)
{
    const std::wstring strPrefix = std::wstring(L"/") + pszName + L"=";
    if (strArg.rfind(strPrefix, 0) != 0)
        return false;
    strValue = strArg.substr(strPrefix.size());
    return true;
}

template <typename T> bool Load(HMODULE hMod, const char* pszName, T& pfn)
{
    pfn = hMod ? reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(hMod, pszName))) : nullptr;
    return pfn != nullptr;
}

void Record(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT lResult)
{
    ZV_SINK_RECORD rec{uMsg, static_cast<uint32_t>(lResult), static_cast<uint64_t>(wParam),
                       static_cast<uint64_t>(lParam)};
    DWORD dwDone = 0;
    WriteFile(g_hLog, &rec, sizeof(rec), &dwDone, nullptr);
}

HHOOK Call(unsigned uBit, HWND hWnd)
{
    const bool bOn = hWnd != nullptr;
    switch (uBit) {
    case ZV_SINK_CBT64:
        return g_pfnCbt64(hWnd, bOn ? MSG_HOOK_CBT_ACTIVATE : 0, bOn ? MSG_HOOK_CBT_MINMAX : 0,
                          bOn ? MSG_HOOK_CBT_WNDCHG : 0);
    case ZV_SINK_KEYBD64:
        return g_pfnKeybd64(hWnd, bOn ? MSG_HOOK_KEYBD : 0);
    case ZV_SINK_MOUSE64:
        return g_pfnMouse64(hWnd, bOn ? MSG_HOOK_MOUSE : 0);
    case ZV_SINK_CBT:
        return g_pfnCbt(hWnd, bOn ? MSG_HOOK_CBT_ACTIVATE : 0, bOn ? MSG_HOOK_CBT_MINMAX : 0,
                        bOn ? MSG_HOOK_CBT_WNDCHG : 0);
    default:
        return nullptr;
    }
}

int BitIndex(unsigned uBit)
{
    for (int i = 0; i < 4; ++i)
        if (uBit == (1u << i))
            return i;
    return -1;
}

// Like the programs: install each only while none is held, remove only while one is.
unsigned Install(HWND hWnd, unsigned uMask)
{
    unsigned uHeld = 0;
    for (int i = 0; i < 4; ++i) {
        if (!(uMask & (1u << i)))
            continue;
        if (!g_ahHook[i])
            g_ahHook[i] = Call(1u << i, hWnd);
        if (g_ahHook[i])
            uHeld |= 1u << i;
    }
    return uHeld;
}

unsigned Remove(unsigned uMask)
{
    unsigned uNull = 0;
    for (int i = 0; i < 4; ++i) {
        if (!(uMask & (1u << i)) || !g_ahHook[i])
            continue;
        g_ahHook[i] = Call(1u << i, nullptr);
        if (!g_ahHook[i])
            uNull |= 1u << i;
    }
    return uNull;
}

LRESULT OnMinMax(WPARAM wParam, LPARAM lParam)
{
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    if (!g_bMaxCancel || LOWORD(lParam) != SW_MAXIMIZE || !IsWindow(hWnd))
        return 0;
    SetWindowPos(hWnd, nullptr, g_rcMaxCancel.left, g_rcMaxCancel.top, g_rcMaxCancel.right - g_rcMaxCancel.left,
                 g_rcMaxCancel.bottom - g_rcMaxCancel.top, SWP_NOZORDER | SWP_NOACTIVATE);
    return 1;
}

LRESULT CALLBACK SinkProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case MSG_HOOK_CBT_ACTIVATE:
    case MSG_HOOK_CBT_WNDCHG:
    case MSG_HOOK_KEYBD:
    case MSG_HOOK_MOUSE:
        Record(uMsg, wParam, lParam, 0);
        return 0;
    case MSG_HOOK_CBT_MINMAX: {
        LRESULT lResult = OnMinMax(wParam, lParam);
        Record(uMsg, wParam, lParam, lResult);
        return lResult;
    }
    case ZV_SINK_INSTALL:
        return Install(hWnd, static_cast<unsigned>(wParam));
    case ZV_SINK_REMOVE:
        return Remove(static_cast<unsigned>(wParam));
    case ZV_SINK_HANDLES: {
        int i = BitIndex(static_cast<unsigned>(wParam));
        return i < 0 ? 0 : reinterpret_cast<LRESULT>(g_ahHook[i]);
    }
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_DESTROY:
        Remove(ZV_SINK_ALL);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hInst, HINSTANCE, LPWSTR lpCmdLine, int)
{
    std::wstring strTitle = L"ZvTHookSink", strLog, strValue;
    unsigned uInstall = 0;
    for (const std::wstring& strArg : SplitCommandLine(lpCmdLine, FALSE)) {
        if (TakeValue(strArg, L"TITLE", strValue)) {
            strTitle = strValue;
        } else if (TakeValue(strArg, L"LOG", strValue)) {
            strLog = strValue;
        } else if (TakeValue(strArg, L"INSTALL", strValue)) {
            uInstall = static_cast<unsigned>(wcstoul(strValue.c_str(), nullptr, 0));
        } else if (TakeValue(strArg, L"MAXCANCEL", strValue)) {
            int x, y, cx, cy;
            if (swscanf(strValue.c_str(), L"%d,%d,%d,%d", &x, &y, &cx, &cy) != 4)
                return 2;
            g_rcMaxCancel = RECT{x, y, x + cx, y + cy};
            g_bMaxCancel = true;
        } else {
            return 2;
        }
    }
    if (strLog.empty())
        return 2;
    const HMODULE hHook64 = LoadLibraryW(L"ZvHook64.dll");
    const HMODULE hHook = LoadLibraryW(L"ZvHook.dll");
    if (!Load(hHook64, "SetCbtHook64", g_pfnCbt64) || !Load(hHook64, "SetKeybdHook64", g_pfnKeybd64) ||
        !Load(hHook64, "SetMouseHook64", g_pfnMouse64) || !Load(hHook, "SetCbtHook", g_pfnCbt))
        return 2;
    g_hLog = CreateFileW(strLog.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_hLog == INVALID_HANDLE_VALUE)
        return 2;

    WNDCLASSW wc{};
    wc.lpfnWndProc = SinkProc;
    wc.hInstance = hInst;
    wc.lpszClassName = L"ZvTHookSink";
    RegisterClassW(&wc);
    HWND hWnd = CreateWindowExW(0, wc.lpszClassName, strTitle.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                nullptr, hInst, nullptr);
    if (!hWnd)
        return 2;
    if (uInstall)
        Install(hWnd, uInstall);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    CloseHandle(g_hLog);
    return 0;
}
