#include "HkGtwyLink.h"

#include <string>

#include "CmdLineOption.h"
#include "HookNtfy.h"
#include "LogManager.h"
#include "ProcessLaunch.h"
#include "SharedMemEndHook.h"
#include "SharedMemSwtchHook.h"
#include "Strings.h"
#include "ZvCoreApp.h"
#include "ZvMessages.h"
#include "ZvNames.h"
#include "resource.h"

namespace {

// How long a gateway left running by an earlier core is given to close: its window thread ends the
// link's threads and its log (bounded) before it lets the mutex go.
constexpr DWORD kLeftoverGatewayWait = 3000;
constexpr DWORD kLeftoverGatewayPoll = 50;

struct GATEWAY_WND_SEARCH {
    DWORD dwPid;
    HWND hWnd;
};

BOOL CALLBACK FindGatewayWnd(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<GATEWAY_WND_SEARCH*>(lParam);
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hWnd, &dwPid);
    // Pid 0: a gateway of any process.
    if (pSearch->dwPid && dwPid != pSearch->dwPid)
        return TRUE;
    wchar_t szTitle[64] = {};
    GetWindowTextW(hWnd, szTitle, 64);
    if (std::wstring(szTitle) != ZV_GTWY_WND_TITLE)
        return TRUE;
    pSearch->hWnd = hWnd;
    return FALSE;
}

// A gateway whose core was killed runs on until its own limit (two minutes by default), holding its
// single-instance mutex: the gateway started now would only show its box and end. Such a gateway is
// asked to close by its window, and one already on its way out has none; either is given a bounded
// time to let the mutex go. One that does not (hung) is left alone: another program is never
// terminated.
void EndLeftoverGateway() noexcept
{
    if (!IsMutexExist(ZV_GTWY_MUTEX_NAME))
        return;
    GATEWAY_WND_SEARCH search{0, nullptr};
    EnumWindows(FindGatewayWnd, reinterpret_cast<LPARAM>(&search));
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"A Hook Gateway still runs, hWnd = 0x%x: asked to close.\r\n",
              LogHandle(search.hWnd));
    if (search.hWnd)
        PostMessageW(search.hWnd, WM_CLOSE, 0, 0);
    const ULONGLONG qwUntil = GetTickCount64() + kLeftoverGatewayWait;
    while (IsMutexExist(ZV_GTWY_MUTEX_NAME)) {
        if (GetTickCount64() >= qwUntil) {
            OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"The Hook Gateway still running did not end within %u ms.\r\n",
                      static_cast<unsigned>(kLeftoverGatewayWait));
            return;
        }
        Sleep(kLeftoverGatewayPoll);
    }
}

}  // namespace

CHkGtwyLink::CHkGtwyLink(std::unique_ptr<IHkGtwyLinkHost> pHost) noexcept : m_pHost(std::move(pHost)) {}

CHkGtwyLink::~CHkGtwyLink() = default;

void CHkGtwyLink::Start() noexcept
{
    const PROP_TIMER& timer = m_pHost->GetTimerProperty();
    if (m_side.AddAliveItems(m_pHost->GetTmrMngr(), m_pHost->GetWnd(), timer.dwAliveNotificationSendInterval,
                             timer.dwAliveNotificationReceiveLimit, timer.dwResolution) &&
        StartGateway())
        return;
    const DWORD dwErr = GetLastError();
    // Window events of 64-bit programs still come through the core's own hook: the core runs on
    // unlinked rather than not at all, with its icon, hooks and bars. The user learns that 32-bit
    // programs' windows are not followed once start-up is over, since the log is usually off.
    OutputLog(LOG_LEVEL_ERROR, SENDER_CORE,
              L"CZvCoreDlg::StartHookGateway() failed, code = 0x%x, running without the Hook Gateway.\r\n",
              static_cast<unsigned>(dwErr));
    End();
    m_dwInitErr = dwErr;
    m_bInitFailed = TRUE;
    PostMessageW(m_pHost->GetWnd(), MSG_HKGTWY_INIT_FAILED, 0, 0);
}

LRESULT CHkGtwyLink::OnInitFailed(WPARAM, LPARAM) noexcept
{
    // Once, and only for the failure this window had: another program's post shows nothing.
    if (!m_bInitFailed)
        return 0;
    m_bInitFailed = FALSE;
    // The box's loop hands on every message: an end asked for meanwhile waits for it.
    m_pHost->ShowErrorBox(
        FormatString(LoadResString(IDS_ZV_ERR_HKGTWY).c_str(), static_cast<unsigned>(m_dwInitErr)).c_str());
    return 0;
}

BOOL CHkGtwyLink::StartGateway() noexcept
{
    std::wstring strDir;
    if (!SearchFileDir(ZV_CORE64_FILE, strDir))
        return FALSE;
    // The link first, the program last: a gateway started for a link that then failed would run,
    // unreachable, until its own limit.
    if (!m_side.Start(m_pHost->GetWnd()))
        return FALSE;

    EndLeftoverGateway();
    const std::wstring strProgram = strDir + ZV_HOOK32TO64_FILE;
    std::wstring strArgs;
    if (CZvCoreApp* pApp = GetCoreApp())
        GetLogOptionString(pApp->GetOptions(), strArgs);
    HANDLE hProcess = StartProcess(strProgram.c_str(), strDir.c_str(), strArgs.c_str());
    if (!hProcess) {
        const DWORD dwErr = GetLastError();
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"CZvCoreDlg::StartHookGateway() cannot start %s, code = 0x%x.\r\n",
                  strProgram.c_str(), static_cast<unsigned>(dwErr));
        SetLastError(dwErr);
        return FALSE;
    }
    m_dwGtwyPid = GetProcessId(hProcess);
    CloseHandle(hProcess);
    // Supervision counts from the gateway's start.
    m_side.StartAlive();
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"CZvCoreDlg::StartHookGateway() started %s, pid = %u.\r\n",
              strProgram.c_str(), static_cast<unsigned>(m_dwGtwyPid));
    return TRUE;
}

void CHkGtwyLink::End() noexcept
{
    // Ends the three threads and frees every block the gateway has not answered.
    m_side.End();
    m_side.DeleteAliveItems();
    m_pHost->DeleteTmrItem(m_nTmrEnd);
    // However the core goes (closed, the link failed, or after the handshake while the gateway
    // still waits for answers to events it relayed late), it asks its gateway to go too, so that
    // no gateway outlives its core holding the single-instance mutex. Posted: the window thread
    // waits for no other program.
    if (m_dwGtwyPid) {
        GATEWAY_WND_SEARCH search{m_dwGtwyPid, nullptr};
        EnumWindows(FindGatewayWnd, reinterpret_cast<LPARAM>(&search));
        if (search.hWnd)
            PostMessageW(search.hWnd, WM_CLOSE, 0, 0);
        m_dwGtwyPid = 0;
    }
}

void CHkGtwyLink::SendCbtSwitch(BOOL bOn) noexcept
{
    const WORD wSeq = m_side.GetNtfySeq();
    if (m_side.Send<CSharedMemSwtchHook>(HOOK_NTFY_SWTCH{HOOK_KIND_SWTCH, HOOK_NTFY_SWTCH_CBT, bOn ? 1 : 0}))
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CBT notification registered, %s, Seq = %d.\r\n",
                  bOn ? L"Enable" : L"Disable", static_cast<int>(wSeq));
}

void CHkGtwyLink::CheckReady() noexcept
{
    if (m_side.TakePeerReady())
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"Hook Gateway is ready.\r\n");
}

LRESULT CHkGtwyLink::OnReady(WPARAM, LPARAM) noexcept
{
    CheckReady();
    return 0;
}

LRESULT CHkGtwyLink::OnNtfyDtct(WPARAM wParam, LPARAM lParam) noexcept
{
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"Hook Gateway Event detect message recved.\n");
    if (!m_side.IsLinked())
        return 0;
    const WORD wSeq = LOWORD(wParam);
    if (!m_side.IsPeerNtfyExpected(wSeq)) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"Hook Gateway notification ignored, Seq = %d, expected %d.\r\n",
                  static_cast<int>(wSeq), static_cast<int>(m_side.GetPeerNtfySeq()));
        return 0;
    }
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
              L"MSG_HKGTWY_NTFY_DTCT msg is recved, seq = %d, pvInfo = 0x%x, SharedMem name = %s.\n",
              static_cast<int>(wSeq), static_cast<unsigned>(lParam), m_side.PeerBlockName(wSeq).c_str());
    HKGTWY_PEER_BLOCK block;
    const CHkGtwyLinkSide::PEER_READ read = m_side.ReadPeerBlock(wSeq, &block);
    if (read != CHkGtwyLinkSide::PEER_READ::Read) {
        RefuseBlock(wSeq, read, block.nKind);
        return 0;
    }
    // The activated window comes as a handle of a 32-bit process, widened on the wire: its low 32
    // bits, sign-extended, are the handle here.
    if (block.nKind == HOOK_KIND_CBT && block.cbt.uMsg == MSG_HOOK_CBT_ACTIVATE)
        m_pHost->PostActivation(NarrowHookHandle(block.cbt.wParam), static_cast<LPARAM>(block.cbt.lParam));
    m_side.AnswerPeer();
    CheckReady();
    return 0;
}

void CHkGtwyLink::RefuseBlock(WORD wSeq, CHkGtwyLinkSide::PEER_READ read, int nKind) noexcept
{
    const std::wstring strName = m_side.PeerBlockName(wSeq);
    // No block under the number: the signal came before the block, or from a program that is not
    // the gateway. The gateway's own announcement of that number still comes and is read then, so
    // an answer now would make the core skip a block it never saw.
    if (read == CHkGtwyLinkSide::PEER_READ::Missing) {
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE,
                  L"Hook Gateway block refused, Seq = %d, %s does not exist; not answered.\r\n", static_cast<int>(wSeq),
                  strName.c_str());
        return;
    }
    // A block that is there but unsound, or of a kind the core does not know, can never be read:
    // left unanswered it would hold every later block of the gateway back, so it is answered.
    if (read == CHkGtwyLinkSide::PEER_READ::Unsound)
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE,
                  L"Hook Gateway block refused, Seq = %d, %s is not a sound block; answered.\r\n",
                  static_cast<int>(wSeq), strName.c_str());
    else
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE,
                  L"Hook Gateway block refused, Seq = %d, %s is of unknown kind %d; answered.\r\n",
                  static_cast<int>(wSeq), strName.c_str(), nKind);
    m_side.AnswerPeer();
    CheckReady();
}

LRESULT CHkGtwyLink::OnRspDtct(WPARAM wParam, LPARAM lParam) noexcept
{
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"Hook Gateway Rsponse detect message recved.\n");
    if (!m_side.IsLinked())
        return 0;
    const WORD wSeq = LOWORD(wParam);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"MSG_HKGTWY_RSP_DTCT msg is recved, wSeqEvt = 0x%x, pvInfo = 0x%x.\n",
              static_cast<unsigned>(wSeq), static_cast<unsigned>(lParam));
    if (!m_side.IsRspExpected(wSeq)) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"Hook Gateway answer ignored, Seq = %d, %d blocks waiting.\r\n",
                  static_cast<int>(wSeq), static_cast<int>(m_side.GetWaitingCount()));
        return 0;
    }
    m_side.ReceiveRsp(wSeq);
    if (GetEndStep() == 1)
        m_side.PostEndCheck(m_pHost->GetWnd());
    else if (GetEndStep() == 2 && m_side.IsAllAnswered())
        PostMessageW(m_pHost->GetWnd(), MSG_HKGTWY_DESTROY, 0, 0);
    return 0;
}

int CHkGtwyLink::GetEndStep() const noexcept
{
    if (!m_pHost->IsEndRequested())
        return 0;
    return m_bEndBlockSent ? 2 : 1;
}

void CHkGtwyLink::RequestEnd() noexcept
{
    // A gateway that stops answering must not keep an asked-for end from happening.
    m_pHost->DeleteTmrItem(m_nTmrEnd);
    m_nTmrEnd = m_pHost->AddStartedTmrItem(MSG_HKGTWY_DESTROY, END_WAIT);
    m_side.PostEndCheck(m_pHost->GetWnd());
}

LRESULT CHkGtwyLink::OnEnd(WPARAM wParam, LPARAM) noexcept
{
    // Only the end this window asked for: another program's post must not end it.
    if (GetEndStep() != 1 || m_bAliveBoxOpen) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                  L"CZvCoreDlg::OnHkGtwyEnd() ignored, wParam = 0x%x, end state = %d.\r\n",
                  static_cast<unsigned>(wParam), GetEndStep());
        return 0;
    }
    if (m_pHost->DeferEnd(MSG_HKGTWY_END, wParam))
        return 0;
    // A gateway that never became ready answers nothing: the window goes at once.
    if (!m_side.IsPeerReady()) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                  L"CZvCoreDlg::OnHkGtwyEnd() no gateway linked, the window goes at once.\r\n");
        m_pHost->Destroy();
        return 0;
    }
    // Some own block is still unanswered: its answer posts the end again.
    if (!m_side.IsAnsweredUpTo(wParam) || !m_side.IsAllAnswered())
        return 0;
    const WORD wSeq = m_side.GetNtfySeq();
    if (!m_side.Send<CSharedMemEndHook>(HOOK_NTFY{HOOK_KIND_END, 0})) {
        m_pHost->Destroy();
        return 0;
    }
    m_bEndBlockSent = TRUE;
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"HOOK END notification registered, Seq = %d.\r\n", static_cast<int>(wSeq));
    return 0;
}

LRESULT CHkGtwyLink::OnDestroy(WPARAM, LPARAM) noexcept
{
    // Only an end this window asked for: the answer to its end block, or the end's time limit. With
    // the box of the stopped pings up, its closing ends the program.
    if (!m_pHost->IsEndRequested() || m_bAliveBoxOpen)
        return 0;
    if (m_pHost->DeferEnd(MSG_HKGTWY_DESTROY, 0))
        return 0;
    // The gateway waits for answers to every block it relayed; one relayed after ours was
    // answered would keep it (and its single-instance mutex) until its own limit, so the link's
    // end asks it to close as well.
    m_pHost->Destroy();
    return 0;
}

LRESULT CHkGtwyLink::OnAlive(WPARAM, LPARAM) noexcept
{
    m_side.NotePeerAlive();
    return 0;
}

LRESULT CHkGtwyLink::OnTmrAlive(WPARAM wParam, LPARAM) noexcept
{
    if (wParam == CHkGtwyLinkSide::ALIVE_SEND) {
        m_side.Ping();
        return 0;
    }
    if (wParam != CHkGtwyLinkSide::ALIVE_RECV || !m_side.IsLinked() || m_bAliveBoxOpen)
        return 0;
    if (!m_side.IsAliveLimitPassed()) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
                  L"CZvCoreDlg::OnTmrHkGtwyAlive() ignored, the limit has not passed.\r\n");
        return 0;
    }
    if (m_pHost->DeferEnd(MSG_TMR_HKGTWY_ALIVE, wParam))
        return 0;
    m_side.StopAliveItems();
    OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"Hook Gateway alive notification is stopped.\r\n");
    // An end the user asked for goes on without the box: the gateway's silence changes nothing
    // for it. Otherwise the box, inside whose loop the window's end waits until it is closed.
    if (!m_pHost->IsEndRequested()) {
        m_bAliveBoxOpen = TRUE;
        m_pHost->ShowErrorBox(LoadResString(IDS_ZV_ERR_HKGTWY_ALIVE).c_str());
        m_bAliveBoxOpen = FALSE;
    }
    m_pHost->StopHooksForEnd();
    // The gateway no longer answers: no handshake.
    m_pHost->DestroyWhenUnwound();
    return 0;
}
