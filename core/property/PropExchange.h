// The settings exchange with the settings program, a collaborator of the hidden main window: it
// hands the running settings over through the eight settings blocks, takes each apply back, keeps
// the key capture of the keyboard page, and watches the settings program until it has gone. It
// holds every piece of the exchange's state; the window routes the exchange's messages and timer
// items to it and is reached only through IPropExchangeHost.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "PropertySet.h"
#include "SharedMemPropManager.h"
#include "Sync.h"
#include "ZvNames.h"

// What the exchange needs of the window that owns it.
class IPropExchangeHost {
public:
    virtual ~IPropExchangeHost() = default;
    // The hidden main window, which the settings program is told as its caller.
    virtual HWND GetWnd() = 0;
    // The running settings record: handed over as it stands, replaced by each apply.
    virtual PROPERTY_SET& GetProperty() = 0;
    // The bar handles of a record set to the window's own scroll-bar windows.
    virtual void SetOwnScrollBars(PROPERTY_SET& prop) = 0;
    // The running record applied to hooks, bars, lists and the undo depth (a box may come meanwhile).
    virtual void ApplyProperty() = 0;
    // 0 while no end is under way; an end takes every hook off for good.
    virtual int GetEndState() = 0;
    // The settings program takes the settings over: no wheel bursts, no auto scroll, no window events.
    virtual void SuspendForProperty() = 0;
    // The window events back.
    virtual void ResumeCbtHook() = 0;
    // The keyboard hook follows whether anything (the key capture among them) needs key events.
    virtual void UpdateKeybdHook() = 0;
    // The final apply has come: the wheel bursts close, auto scroll and the ignore count stop.
    virtual void QuietForPropertyEnd() = 0;
    virtual int AddStartedTmrItem(UINT uMsg, DWORD dwPeriod) = 0;
    // The item gone, and nId 0.
    virtual void DeleteTmrItem(int& nId) = 0;
    // The core's log options, for the settings program's command line.
    virtual std::wstring GetLogOptions() = 0;
};

class CPropExchange {
public:
    explicit CPropExchange(std::unique_ptr<IPropExchangeHost> pHost);
    CPropExchange(const CPropExchange&) = delete;
    CPropExchange& operator=(const CPropExchange&) = delete;

    // While the settings program holds the settings.
    BOOL IsActive() const noexcept { return m_bPropertyActive; }
    // The settings program's keyboard page has asked for the keys.
    BOOL HasKeyCapture() const noexcept { return m_hWndKeyCapture != nullptr; }
    // A key event of the keyboard hook goes to the capture window while the capture is live: TRUE
    // then (the key is the settings program's), else FALSE.
    BOOL ForwardKey(WPARAM wParam, LPARAM lParam) noexcept;
    // The window is being destroyed: the sheet is asked to close, and blocks, process and items go.
    void EndWithWindow() noexcept;

    // Command 32778: the settings program started with the settings handed over.
    void OnProperty() noexcept;
    LRESULT OnPropStart(WPARAM, LPARAM) noexcept;
    LRESULT OnPropWnd(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnPropPage(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnPropAlive(WPARAM, LPARAM) noexcept;
    LRESULT OnPropApply(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnTmrPropAlive(WPARAM, LPARAM) noexcept;
    LRESULT OnTmrPropDead(WPARAM, LPARAM) noexcept;
    LRESULT OnKeybdForward(WPARAM wParam, LPARAM) noexcept;

private:
    // The record into new settings blocks; FALSE, with no blocks kept, when not every section
    // was copied.
    BOOL CreatePropManager() noexcept;
    // The settings program's blocks into the record, made sound first; FALSE leaves it as it was.
    BOOL ReadPropManager() noexcept;
    void DeletePropManager() noexcept;
    // The settings program is active from here (hProcess: the one this core started, owned, or
    // null); the hand-over's limit and the dead check run.
    void BeginPropertySession(HANDLE hProcess) noexcept;
    // The settings program has gone: the window events come back.
    void EndPropertySession() noexcept;
    BOOL IsEnding() noexcept { return m_pHost->GetEndState() != 0; }
    // Keys go to the capture window only while it is a window of the settings program of the
    // exchange under way (the process of the announced sheet); a capture that outlives it ends at
    // the next key instead of swallowing every key for good, and the exchange's end ends it.
    BOOL IsKeyCaptureLive() noexcept;
    void EndKeyCapture() noexcept;

    struct PROCESS_CLOSER {
        void operator()(HANDLE h) const noexcept;
    };
    std::unique_ptr<IPropExchangeHost> m_pHost;
    std::unique_ptr<CSharedMemPropManager> m_pPropManager;
    // Set by the core for the settings program to wait on.
    CEvent m_evtReadEnd{FALSE, TRUE, ZV_PROP_READ_END_EVENT};
    CEvent m_evtReadFail{FALSE, TRUE, ZV_PROP_READ_FAIL_EVENT};
    CEvent m_evtWriteEnd{FALSE, TRUE, ZV_PROP_WRITE_END_EVENT};
    // The settings program this core started, until it has gone.
    std::unique_ptr<void, PROCESS_CLOSER> m_hPropProcess;
    // The sheet it announced; null until then.
    HWND m_hWndPropSheet = nullptr;
    BOOL m_bPropertyActive = FALSE;
    // Its final apply has come.
    BOOL m_bPropEnding = FALSE;
    // The page it showed last: the next start from the tray menu opens it.
    int m_nPropPage = 0;
    int m_nTmrPropAlive = 0;
    int m_nTmrPropDead = 0;
    // The window of the keyboard page that has the keys; null while no capture lasts.
    HWND m_hWndKeyCapture = nullptr;
};
