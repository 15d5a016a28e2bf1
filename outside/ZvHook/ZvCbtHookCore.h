// The global window-event (CBT) hook of ZvHook and ZvHook64, included by exactly one source file
// of each library, so that each library has its own shared subscriber table.
//
// Every caller (a thread that installs) gets a slot of the table in the library's shared section
// and installs its own hook with the procedure bound to that slot. The procedure runs in whatever
// process the event happens in and reports to the slot's window only: callers never see each
// other's events twice, and one caller's removal leaves the others hooked.
#pragma once
#include <windows.h>

namespace zvhook {

constexpr int kCbtSlots = 8;
// How long a minimise or maximise waits for the subscriber's answer (1: it acted itself, so the
// system's own minimise or maximise is dropped). A hung subscriber is not waited for at all.
constexpr UINT kMinMaxAnswerMs = 500;

struct CBT_SLOT {
    volatile LONG lOwnerTid;  // installing thread; 0: the slot is free
    volatile LONG lOwnerPid;
    volatile LONG lActive;  // the subscriber fields are complete
    UINT uMsgActivate;
    UINT uMsgMinMax;
    UINT uMsgWndChg;
    HWND hWnd;
    HHOOK hHook;
};

#if defined(_MSC_VER)
#pragma section(".shared", read, write, shared)
__declspec(allocate(".shared")) CBT_SLOT g_cbtSlots[kCbtSlots] = {};
#else
// Explicitly placed, so it is never moved to .bss, which would not be shared.
CBT_SLOT g_cbtSlots[kCbtSlots] __attribute__((section(".shared"), shared)) = {};
#endif

inline HINSTANCE g_hCbtModule = nullptr;  // per process: set by DllMain

inline bool IsTopLevel(HWND hWnd) noexcept
{
    return GetAncestor(hWnd, GA_PARENT) == GetDesktopWindow();
}

// Every top-level window, owned ones (dialogs) included: the creation structure names the owner
// of such a window as its parent, so the window's own parent is asked (message-only windows have
// another one).
inline bool IsTopLevelCreate(HWND hWnd, const CREATESTRUCTW* pcs) noexcept
{
    if (!pcs || (pcs->style & WS_CHILD))
        return false;
    return IsTopLevel(hWnd);
}

// An event of another process that reaches the procedure inside the installing process: the
// system hands a program of the other bitness over to the installer's thread. That program's
// events belong to the library of its own bitness (the gateway relays the 32-bit ones), so
// reporting them here too would report them twice and hold the other program on our thread.
inline bool IsHandedOverEvent(DWORD dwOwnerPid, DWORD dwHerePid, DWORD dwWndPid) noexcept
{
    return dwOwnerPid == dwHerePid && dwWndPid != 0 && dwWndPid != dwHerePid;
}

// The window class whose windows stand for windows of a 32-bit process. A machine that runs no
// 32-bit program still needs such windows to prove the relay through the gateway: the 64-bit test
// build of ZvHook reports only them, and ZvHook64 leaves them to it, so that every event comes
// once, from the library of the window's (stood-for) bitness, as on a real system. The class is
// known from the window's creation on.
constexpr wchar_t kStandIn32Class[] = L"ZvStandIn32";

// Which windows this library reports: ZvHook64 those of 64-bit processes, the 32-bit ZvHook those
// of 32-bit processes (both by the process the procedure runs in, see IsHandedOverEvent), the
// 64-bit test build of ZvHook only the stand-ins.
#if defined(ZVHOOK_CBT_SIDE_64)
constexpr bool kReportsStandIns = false, kReportsOthers = true;
#elif defined(_WIN64)
constexpr bool kReportsStandIns = true, kReportsOthers = false;
#else
constexpr bool kReportsStandIns = true, kReportsOthers = true;
#endif

inline bool IsReportedWindow(HWND hWnd) noexcept
{
    if (kReportsStandIns && kReportsOthers)
        return true;
    wchar_t szClass[16] = {};
    const bool bStandIn = GetClassNameW(hWnd, szClass, 16) > 0 && lstrcmpW(szClass, kStandIn32Class) == 0;
    return bStandIn ? kReportsStandIns : kReportsOthers;
}

// Nonzero: the event is swallowed.
inline LRESULT OnCbtEvent(const CBT_SLOT& slot, int nCode, WPARAM wParam, LPARAM lParam) noexcept
{
    if (!slot.lActive)
        return 0;
    // Read once: a removal may be clearing the slot meanwhile.
    const HWND hTarget = slot.hWnd;
    const UINT uMsgActivate = slot.uMsgActivate, uMsgMinMax = slot.uMsgMinMax, uMsgWndChg = slot.uMsgWndChg;
    if (!hTarget)
        return 0;
    if (nCode == HCBT_ACTIVATE || nCode == HCBT_CREATEWND || nCode == HCBT_DESTROYWND || nCode == HCBT_MINMAX) {
        DWORD dwWndPid = 0;
        GetWindowThreadProcessId(reinterpret_cast<HWND>(wParam), &dwWndPid);
        if (IsHandedOverEvent(static_cast<DWORD>(slot.lOwnerPid), GetCurrentProcessId(), dwWndPid))
            return 0;
        if (!IsReportedWindow(reinterpret_cast<HWND>(wParam)))
            return 0;
    }
    switch (nCode) {
    case HCBT_ACTIVATE:
        // Posted: an activation must never wait on the subscriber.
        if (uMsgActivate)
            PostMessageW(hTarget, uMsgActivate, wParam, 0);
        break;
    case HCBT_CREATEWND:
        if (uMsgWndChg &&
            IsTopLevelCreate(reinterpret_cast<HWND>(wParam), reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs))
            PostMessageW(hTarget, uMsgWndChg, 0, 0);
        break;
    case HCBT_DESTROYWND:
        if (uMsgWndChg && IsTopLevel(reinterpret_cast<HWND>(wParam)))
            PostMessageW(hTarget, uMsgWndChg, 0, 0);
        break;
    case HCBT_MINMAX:
        if (uMsgMinMax) {
            // Sent, so that a subscriber that resized the window itself can cancel the system's action.
            // SMTO_NORMAL keeps this thread answering the subscriber's own calls on the window meanwhile.
            DWORD_PTR dwResult = 0;
            if (SendMessageTimeoutW(hTarget, uMsgMinMax, wParam, LOWORD(lParam), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                    kMinMaxAnswerMs, &dwResult) &&
                dwResult)
                return 1;
        }
        break;
    default:
        break;
    }
    return 0;
}

template <int N> LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode >= 0 && OnCbtEvent(g_cbtSlots[N], nCode, wParam, lParam))
        return 1;
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

inline constexpr HOOKPROC kCbtProcs[kCbtSlots] = {&CbtProc<0>, &CbtProc<1>, &CbtProc<2>, &CbtProc<3>,
                                                  &CbtProc<4>, &CbtProc<5>, &CbtProc<6>, &CbtProc<7>};

// A caller that ended without removing its hook lost the hook with its thread; free its slot.
// Only a thread known to be gone counts as dead: one we may not open (another user, a higher
// integrity level) keeps its slot. The slot's other fields are left to its next owner, which
// switches it off before filling it in: clearing them here could switch off a slot that another
// installer has freed and taken again meanwhile.
inline void ReclaimDeadSlots() noexcept
{
    for (CBT_SLOT& slot : g_cbtSlots) {
        LONG lTid = slot.lOwnerTid;
        if (!lTid)
            continue;
        bool bAlive = true;
        if (HANDLE hThread =
                OpenThread(SYNCHRONIZE | THREAD_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(lTid))) {
            bAlive = WaitForSingleObject(hThread, 0) == WAIT_TIMEOUT &&
                     (!slot.lOwnerPid || GetProcessIdOfThread(hThread) == static_cast<DWORD>(slot.lOwnerPid));
            CloseHandle(hThread);
        } else {
            bAlive = GetLastError() != ERROR_INVALID_PARAMETER;  // no such thread
        }
        if (bAlive)
            continue;
        InterlockedCompareExchange(&slot.lOwnerTid, 0, lTid);
    }
}

inline CBT_SLOT* FindOwnSlot() noexcept
{
    const LONG lTid = static_cast<LONG>(GetCurrentThreadId());
    const LONG lPid = static_cast<LONG>(GetCurrentProcessId());
    for (CBT_SLOT& slot : g_cbtSlots)
        if (slot.lOwnerTid == lTid && slot.lOwnerPid == lPid)
            return &slot;
    // Removal from another thread of the caller's process.
    for (CBT_SLOT& slot : g_cbtSlots)
        if (slot.lOwnerTid && slot.lOwnerPid == lPid)
            return &slot;
    return nullptr;
}

inline HHOOK RemoveCbtHook() noexcept
{
    CBT_SLOT* pSlot = FindOwnSlot();
    if (!pSlot)
        return nullptr;
    InterlockedExchange(&pSlot->lActive, 0);
    if (pSlot->hHook)
        UnhookWindowsHookEx(pSlot->hHook);
    pSlot->hHook = nullptr;
    pSlot->hWnd = nullptr;
    pSlot->uMsgActivate = pSlot->uMsgMinMax = pSlot->uMsgWndChg = 0;
    InterlockedExchange(&pSlot->lOwnerPid, 0);
    InterlockedExchange(&pSlot->lOwnerTid, 0);
    return nullptr;
}

// A null window removes the calling thread's hook (result null). A second install from the same
// thread only changes the window and the messages and returns the hook it already has.
inline HHOOK SetCbtHookImpl(HWND hWnd, UINT uMsgActivate, UINT uMsgMinMax, UINT uMsgWndChg) noexcept
{
    if (!hWnd)
        return RemoveCbtHook();
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    const LONG lTid = static_cast<LONG>(GetCurrentThreadId());
    const LONG lPid = static_cast<LONG>(GetCurrentProcessId());
    for (CBT_SLOT& slot : g_cbtSlots) {
        if (slot.lOwnerTid == lTid && slot.lOwnerPid == lPid && slot.hHook) {
            slot.hWnd = hWnd;
            slot.uMsgActivate = uMsgActivate;
            slot.uMsgMinMax = uMsgMinMax;
            slot.uMsgWndChg = uMsgWndChg;
            return slot.hHook;
        }
    }
    ReclaimDeadSlots();
    for (int i = 0; i < kCbtSlots; ++i) {
        CBT_SLOT& slot = g_cbtSlots[i];
        if (InterlockedCompareExchange(&slot.lOwnerTid, lTid, 0) != 0)
            continue;
        InterlockedExchange(&slot.lActive, 0);  // a dead owner's slot may still say so
        InterlockedExchange(&slot.lOwnerPid, lPid);
        slot.hWnd = hWnd;
        slot.uMsgActivate = uMsgActivate;
        slot.uMsgMinMax = uMsgMinMax;
        slot.uMsgWndChg = uMsgWndChg;
        InterlockedExchange(&slot.lActive, 1);
        HHOOK hHook = SetWindowsHookExW(WH_CBT, kCbtProcs[i], g_hCbtModule, 0);
        if (!hHook) {
            DWORD dwError = GetLastError();
            InterlockedExchange(&slot.lActive, 0);
            InterlockedExchange(&slot.lOwnerPid, 0);
            InterlockedExchange(&slot.lOwnerTid, 0);
            SetLastError(dwError);
            return nullptr;
        }
        slot.hHook = hHook;
        return hHook;
    }
    SetLastError(ERROR_NOT_ENOUGH_QUOTA);
    return nullptr;
}

}  // namespace zvhook
