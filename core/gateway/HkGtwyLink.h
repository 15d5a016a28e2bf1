// CHkGtwyLink: the core program's link to the 32-bit gateway, a collaborator the hidden main window
// owns and routes the link's messages to. It starts the gateway, links to it as sender 1 through
// its side of the link (CHkGtwyLinkSide), hands the gateway's relayed activations to window
// tracking, supervises its pings and ends with it through the end handshake. It reaches the window
// only through IHkGtwyLinkHost.
#pragma once

#include <windows.h>

#include <memory>

#include "HkGtwyLinkSide.h"
#include "PropertySet.h"
#include "Sender.h"

class CTmrMngr;

// What the link needs of the hidden main window.
class IHkGtwyLinkHost {
public:
    virtual ~IHkGtwyLinkHost() = default;
    // The window the link's threads and items post to.
    virtual HWND GetWnd() = 0;
    virtual CTmrMngr* GetTmrMngr() = 0;
    virtual const PROP_TIMER& GetTimerProperty() = 0;
    // A timer item posting uMsg to the window, started; 0 when none could be made.
    virtual int AddStartedTmrItem(UINT uMsg, DWORD dwPeriod) = 0;
    virtual void DeleteTmrItem(int& nId) = 0;
    // The user asked the program to end (the exit command).
    virtual BOOL IsEndRequested() = 0;
    // The window's rule for nested loops: TRUE when uMsg with wParam has been put off until the
    // outermost loop has closed, FALSE when the caller may end now.
    virtual BOOL DeferEnd(UINT uMsg, WPARAM wParam) = 0;
    // DestroyWindow, or inside a nested loop a close put off until it has closed.
    virtual void DestroyWhenUnwound() = 0;
    // DestroyWindow now: the caller touches nothing of the link afterwards.
    virtual void Destroy() = 0;
    // A running move abandoned and every hook taken off, as before any end.
    virtual void StopHooksForEnd() = 0;
    // An error box of the program, inside a nested loop of the window.
    virtual void ShowErrorBox(LPCWSTR pszText) = 0;
    // An activation the gateway relayed, handed to window tracking.
    virtual void PostActivation(HWND hWnd, LPARAM lParam) = 0;
};

class CHkGtwyLink {
public:
    explicit CHkGtwyLink(std::unique_ptr<IHkGtwyLinkHost> pHost) noexcept;
    ~CHkGtwyLink();
    CHkGtwyLink(const CHkGtwyLink&) = delete;
    CHkGtwyLink& operator=(const CHkGtwyLink&) = delete;

    // Alive items, the link and then the gateway started; without a gateway the core runs
    // unlinked, and the user is told once start-up is over.
    void Start() noexcept;
    // The link ends as a whole (threads, unanswered blocks, items), and the gateway this core
    // started is asked to close.
    void End() noexcept;
    // The gateway keeps its 32-bit window-event hook in step with ours: a switch block, while linked.
    void SendCbtSwitch(BOOL bOn) noexcept;
    // The exit command, after the hooks went off: the end waits until every own block is answered,
    // then sends the end block, and the window goes on its answer or at the end's time limit.
    void RequestEnd() noexcept;
    // The box of the gateway's stopped pings is up: its closing ends the program, and nothing may
    // destroy the window from inside its loop meanwhile.
    BOOL IsAliveBoxOpen() const noexcept { return m_bAliveBoxOpen; }
    // A window of the gateway this core started (its activations are not the user's). The window's
    // process is asked only while a gateway runs: the question goes to the window server.
    BOOL IsGatewayWnd(HWND hWnd) const noexcept
    {
        DWORD dwPid = 0;
        return m_dwGtwyPid != 0 && GetWindowThreadProcessId(hWnd, &dwPid) && dwPid == m_dwGtwyPid;
    }

    LRESULT OnNtfyDtct(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnRspDtct(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnReady(WPARAM, LPARAM) noexcept;
    LRESULT OnEnd(WPARAM wParam, LPARAM) noexcept;
    LRESULT OnDestroy(WPARAM, LPARAM) noexcept;
    LRESULT OnAlive(WPARAM, LPARAM) noexcept;
    LRESULT OnTmrAlive(WPARAM wParam, LPARAM) noexcept;
    // The gateway could not be started or linked: string 115, once the window's start-up is over.
    LRESULT OnInitFailed(WPARAM, LPARAM) noexcept;

private:
    // How long an asked-for end waits for the gateway's answer before the window goes anyway.
    static constexpr DWORD END_WAIT = 5000;
    BOOL StartGateway() noexcept;
    void CheckReady() noexcept;
    // Logs why the gateway's block under wSeq could not be read and answers it when it exists.
    void RefuseBlock(WORD wSeq, CHkGtwyLinkSide::PEER_READ read, int nKind) noexcept;
    // 0 running, 1 waiting until every block sent is answered, 2 the end block is with the gateway.
    int GetEndStep() const noexcept;

    std::unique_ptr<IHkGtwyLinkHost> m_pHost;
    CHkGtwyLinkSide m_side{SENDER_CORE};
    // The gateway this core started; its window is asked to close when the core goes first.
    DWORD m_dwGtwyPid = 0;
    // The error of a failed start of the link, until its box has been shown; 0 while none waits.
    DWORD m_dwInitErr = 0;
    BOOL m_bInitFailed = FALSE;
    BOOL m_bEndBlockSent = FALSE;
    BOOL m_bAliveBoxOpen = FALSE;
    int m_nTmrEnd = 0;
};
