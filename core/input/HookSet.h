// The core program's three global hooks: the window-event hook of ZvHook64.dll, set on the main
// window's thread, and the low-level keyboard and mouse hooks, which run on a thread of their own
// (LowLevelHookThread.h). CHookSet holds their handles, installs each only while none is held,
// reports a failed install (the box once a run) and keeps the modifiers the keyboard hook saw held.
// What the hooks report goes to the main window as messages; everything the set needs of that
// window goes through IHookHost.
#pragma once
#include <windows.h>

#include <memory>

#include "KeyMatch.h"
#include "LowLevelHookThread.h"

// What the hooks ask of the core program's main window.
class IHookHost {
public:
    virtual ~IHookHost() = default;
    // The window every hook reports to; null while there is none.
    virtual HWND GetWnd() = 0;
    // The box of a hook asked for without a window.
    virtual void ReportNoWindow(DWORD dwErr) = 0;
    // The box of a hook the library refused; it comes inside start-up, an apply or the key
    // forwarding, which go on after it.
    virtual void ShowHookError(DWORD dwErr) = 0;
};

class CHookSet {
public:
    explicit CHookSet(std::unique_ptr<IHookHost> pHost) noexcept : m_pHost(std::move(pHost)) {}
    CHookSet(const CHookSet&) = delete;
    CHookSet& operator=(const CHookSet&) = delete;

    // The low-level hooks' thread; FALSE when it cannot be started.
    BOOL StartThread() noexcept { return m_thread.Start(); }
    void StopThread() noexcept { m_thread.Stop(); }

    // TRUE when on was asked and the hook is installed. nSwitch tells what changed: 1 installed
    // now, 0 removed now, -1 nothing.
    BOOL SetCbtHook(BOOL bOn, int& nSwitch) noexcept;
    BOOL SetKeybdHook(BOOL bOn) noexcept;
    BOOL SetMouseHook(BOOL bOn) noexcept;
    BOOL HasCbtHook() const noexcept { return m_hHookCbt != nullptr; }
    BOOL HasKeybdHook() const noexcept { return m_hHookKeybd != nullptr; }
    BOOL HasMouseHook() const noexcept { return m_hHookMouse != nullptr; }

    // A key event of the keyboard hook: a press or a release of any key.
    void NoteKey(UINT nVKey, bool bRelease) noexcept { m_modifiers.Note(nVKey, bRelease); }
    // The keys held as the pressed key's event finds them: the keys that can count as held read
    // now, the pressed key down, and each modifier the hook saw pressed down too.
    KeyMatch::KEY_STATE ReadKeyState(UINT nVKeyPressed) const noexcept;

private:
    // The library refused a hook: an error line each time, the box the first time; FALSE.
    BOOL ReportFailure(LPCWSTR pszFunc, DWORD dwErr) noexcept;
    using PFN_SET_LL_HOOK = HHOOK (CLowLevelHookThread::*)(HWND, UINT) noexcept;
    // The keyboard or the mouse hook on the hook thread; pszFunc names the caller in the log.
    BOOL SwitchLowLevelHook(HHOOK& hHook, BOOL bOn, LPCWSTR pszFunc, PFN_SET_LL_HOOK pfnSet, UINT uMsg) noexcept;

    std::unique_ptr<IHookHost> m_pHost;
    HHOOK m_hHookCbt = nullptr;
    HHOOK m_hHookKeybd = nullptr;
    HHOOK m_hHookMouse = nullptr;
    // The modifiers the keyboard hook saw held; forgotten while the hook is off.
    KeyMatch::CHookedModifiers m_modifiers;
    BOOL m_bErrorShown = FALSE;
    // The keyboard and mouse hooks run there, never waiting for the main window's thread.
    CLowLevelHookThread m_thread;
};
