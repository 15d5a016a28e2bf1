#include "ZvHook64.h"
#define ZVHOOK_CBT_SIDE_64
#include "../ZvHook/ZvCbtHookCore.h"

namespace {

// Low-level hooks run on the thread that installed them, so a procedure finds its subscriber by
// the current thread. Every key and mouse event of the desktop passes through them: they only post.
constexpr int kLowLevelSubs = 8;

struct LL_SUB {
    DWORD dwTid;
    HHOOK hHook;
    HWND hWnd;
    UINT uMsg;
    BYTE abDown[256];  // keys this subscriber saw pressed: the previous-state bit; its thread only
};

struct LL_TABLE {
    SRWLOCK lock = SRWLOCK_INIT;
    LL_SUB subs[kLowLevelSubs] = {};
};

LL_TABLE g_keybd;
LL_TABLE g_mouse;

LPARAM KeyFlags(const KBDLLHOOKSTRUCT& k, BYTE& bDown) noexcept
{
    const bool bUp = (k.flags & LLKHF_UP) != 0;
    LPARAM l = 1 | (static_cast<LPARAM>(k.scanCode & 0xFF) << 16);
    if (k.flags & LLKHF_EXTENDED)
        l |= 1L << 24;
    if (k.flags & LLKHF_ALTDOWN)
        l |= 1L << 29;
    if (bUp || bDown)
        l |= 1L << 30;
    if (bUp)
        l |= static_cast<LPARAM>(1UL << 31);
    bDown = bUp ? 0 : 1;
    return l;
}

LL_SUB* FindSub(LL_TABLE& t, DWORD dwTid) noexcept
{
    for (LL_SUB& s : t.subs)
        if (s.hHook && s.dwTid == dwTid)
            return &s;
    return nullptr;
}

LRESULT CALLBACK KeybdProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HC_ACTION) {
        const auto& k = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        AcquireSRWLockShared(&g_keybd.lock);
        if (LL_SUB* p = FindSub(g_keybd, GetCurrentThreadId()))
            PostMessageW(p->hWnd, p->uMsg, k.vkCode, KeyFlags(k, p->abDown[k.vkCode & 0xFF]));
        ReleaseSRWLockShared(&g_keybd.lock);
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

LRESULT CALLBACK MouseProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HC_ACTION) {
        AcquireSRWLockShared(&g_mouse.lock);
        if (LL_SUB* p = FindSub(g_mouse, GetCurrentThreadId()))
            PostMessageW(p->hWnd, p->uMsg, wParam, 0);
        ReleaseSRWLockShared(&g_mouse.lock);
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

HHOOK SetLowLevelHook(LL_TABLE& t, int idHook, HOOKPROC proc, HWND hWnd, UINT uMsg) noexcept
{
    const DWORD dwTid = GetCurrentThreadId();
    AcquireSRWLockExclusive(&t.lock);
    LL_SUB* pOwn = FindSub(t, dwTid);
    HHOOK hResult = nullptr;
    if (!hWnd) {
        if (!pOwn) {  // removal from another thread of the process: its only hook
            for (LL_SUB& s : t.subs)
                if (s.hHook)
                    pOwn = &s;
        }
        if (pOwn) {
            UnhookWindowsHookEx(pOwn->hHook);
            *pOwn = LL_SUB{};
        }
    } else if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    } else if (pOwn) {
        pOwn->hWnd = hWnd;
        pOwn->uMsg = uMsg;
        hResult = pOwn->hHook;
    } else {
        LL_SUB* pFree = nullptr;
        for (LL_SUB& s : t.subs)
            if (!s.hHook && !pFree)
                pFree = &s;
        if (!pFree) {
            SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        } else if ((hResult = SetWindowsHookExW(idHook, proc, zvhook::g_hCbtModule, 0)) != nullptr) {
            // The procedure runs on this thread only when it pumps, never while the lock is held here.
            *pFree = LL_SUB{};
            pFree->dwTid = dwTid;
            pFree->hHook = hResult;
            pFree->hWnd = hWnd;
            pFree->uMsg = uMsg;
        }
    }
    ReleaseSRWLockExclusive(&t.lock);
    return hResult;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE hInst, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        zvhook::g_hCbtModule = hInst;
        DisableThreadLibraryCalls(hInst);
    }
    return TRUE;
}

extern "C" HHOOK WINAPI SetCbtHook64(HWND hWnd, UINT uMsgActivate, UINT uMsgMinMax, UINT uMsgWndChg)
{
    return zvhook::SetCbtHookImpl(hWnd, uMsgActivate, uMsgMinMax, uMsgWndChg);
}

extern "C" HHOOK WINAPI SetKeybdHook64(HWND hWnd, UINT uMsgKeybd)
{
    return SetLowLevelHook(g_keybd, WH_KEYBOARD_LL, KeybdProc, hWnd, uMsgKeybd);
}

extern "C" HHOOK WINAPI SetMouseHook64(HWND hWnd, UINT uMsgMouse)
{
    return SetLowLevelHook(g_mouse, WH_MOUSE_LL, MouseProc, hWnd, uMsgMouse);
}
