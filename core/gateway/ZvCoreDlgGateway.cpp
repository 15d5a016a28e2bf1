// CZvCoreDlg: the link to the 32-bit gateway. The core starts the gateway, links to it through
// the event manager (sender 1), hands the gateway's relayed activations to window tracking,
// supervises its pings and ends with it through the end handshake.
#include "ZvCoreDlg.h"

#include <climits>
#include <memory>
#include <new>
#include <string>

#include "CmdLineOption.h"
#include "HkGtwyEvtMngr.h"
#include "HookNtfy.h"
#include "LogManager.h"
#include "ProcessLaunch.h"
#include "Sender.h"
#include "SharedMemCbtHook.h"
#include "SharedMemEndHook.h"
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

// OpenNtfySharedMem writes the kind only for a block that opened sound.
constexpr int kKindUnread = INT_MIN;

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

bool MappingExists(const std::wstring& strName)
{
    const HANDLE hMap = OpenFileMappingW(FILE_MAP_READ, FALSE, strName.c_str());
    if (!hMap)
        return false;
    CloseHandle(hMap);
    return true;
}

}  // namespace

void CZvCoreDlg::StartHkGtwyLink() noexcept
{
    if (AddHkGtwyAliveItems() && StartHookGateway())
        return;
    const DWORD dwErr = GetLastError();
    // Window events of 64-bit programs still come through the core's own hook: the core runs on
    // unlinked rather than not at all, with its icon, hooks and bars. The user learns that 32-bit
    // programs' windows are not followed once start-up is over, since the log is usually off.
    OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"CZvCoreDlg::StartHookGateway() failed, code = 0x%x, running without the Hook Gateway.\r\n",
              static_cast<unsigned>(dwErr));
    EndHkGtwyLink();
    DeleteTmrItem(m_nTmrHkGtwyAliveSend);
    DeleteTmrItem(m_nTmrHkGtwyAliveRecv);
    m_dwHkGtwyInitErr = dwErr;
    m_bHkGtwyInitFailed = TRUE;
    PostMessageW(m_hWnd, MSG_HKGTWY_INIT_FAILED, 0, 0);
}

LRESULT CZvCoreDlg::OnHkGtwyInitFailed(WPARAM, LPARAM) noexcept
{
    // Once, and only for the failure this window had: another program's post shows nothing.
    if (!m_bHkGtwyInitFailed)
        return 0;
    m_bHkGtwyInitFailed = FALSE;
    ShowHkGtwyInitFailedBox(m_dwHkGtwyInitErr);
    return 0;
}

void CZvCoreDlg::ShowHkGtwyInitFailedBox(DWORD dwErr) noexcept
{
    // The box's loop hands on every message: an end asked for meanwhile waits for it.
    const CNestedLoop loop(*this);
    ShowMessageBox(FormatString(LoadResString(IDS_ZV_ERR_HKGTWY).c_str(), static_cast<unsigned>(dwErr)).c_str(),
                   LoadResString(IDS_ZV_APP_NAME).c_str(), MB_ICONERROR);
}

BOOL CZvCoreDlg::AddHkGtwyAliveItems() noexcept
{
    m_nTmrHkGtwyAliveSend = AddTmrItem(MSG_TMR_HKGTWY_ALIVE, m_prop.propTimer.dwAliveNotificationSendInterval, 0);
    m_nTmrHkGtwyAliveRecv = AddTmrItem(MSG_TMR_HKGTWY_ALIVE, m_prop.propTimer.dwAliveNotificationReceiveLimit, 1);
    return m_nTmrHkGtwyAliveSend && m_nTmrHkGtwyAliveRecv;
}

BOOL CZvCoreDlg::StartHookGateway() noexcept
{
    std::wstring strDir;
    if (!SearchFileDir(ZV_CORE64_FILE, strDir))
        return FALSE;
    // The link first, the program last: a gateway started for a link that then failed would run,
    // unreachable, until its own limit.
    const HKGTWY_EVT_MNGR_CFG cfg = MakeHkGtwyEvtMngrCfg(SENDER_CORE, &m_wSeqNtfySelf, &m_wSeqRspSelf, &m_wSeqNtfyTrgt);
    m_pHkGtwyEvtMngr.reset(new (std::nothrow) CHkGtwyEvtMngr(&cfg));
    if (!m_pHkGtwyEvtMngr)
        return FALSE;
    m_prmHkGtwyAlv = HKGTWY_ALV_THRD_PRM{THREAD_PRIORITY_NORMAL, m_hWnd, MSG_HKGTWY_ALIVE, 1};
    if (!m_pHkGtwyEvtMngr->StartWtRspAlvTrgt(&m_prmHkGtwyAlv))
        return FALSE;
    m_prmHkGtwy = HKGTWY_THRD_PRM{THREAD_PRIORITY_NORMAL, m_hWnd, MSG_HKGTWY_NTFY_DTCT, MSG_HKGTWY_RSP_DTCT, 1,
                                  &m_wSeqNtfyTrgt, &m_wSeqRspSelf, 0};
    if (!m_pHkGtwyEvtMngr->StartAsyncWtNtfyTrgt(&m_prmHkGtwy) || !m_pHkGtwyEvtMngr->StartAsyncWtRspTrgt(&m_prmHkGtwy))
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
    m_dwHkGtwyPid = GetProcessId(hProcess);
    CloseHandle(hProcess);
    // Supervision counts from the gateway's start.
    m_qwHkGtwyAliveAt = GetTickCount64();
    if (m_pTmrMngr) {
        m_pTmrMngr->StartTmr(m_nTmrHkGtwyAliveSend);
        m_pTmrMngr->StartTmr(m_nTmrHkGtwyAliveRecv);
    }
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"CZvCoreDlg::StartHookGateway() started %s, pid = %u.\r\n",
              strProgram.c_str(), static_cast<unsigned>(m_dwHkGtwyPid));
    return TRUE;
}

void CZvCoreDlg::EndHkGtwyLink() noexcept
{
    // Ends the three threads and frees every block the gateway has not answered.
    m_pHkGtwyEvtMngr.reset();
    // However the core goes (closed, the link failed, or after the handshake while the gateway
    // still waits for answers to events it relayed late), it asks its gateway to go too, so that
    // no gateway outlives its core holding the single-instance mutex. Posted: the window thread
    // waits for no other program.
    if (m_dwHkGtwyPid) {
        GATEWAY_WND_SEARCH search{m_dwHkGtwyPid, nullptr};
        EnumWindows(FindGatewayWnd, reinterpret_cast<LPARAM>(&search));
        if (search.hWnd)
            PostMessageW(search.hWnd, WM_CLOSE, 0, 0);
        m_dwHkGtwyPid = 0;
    }
}

void CZvCoreDlg::CheckHkGtwyReady() noexcept
{
    // Checked when a gateway block is handled rather than by a message that posts itself again:
    // such a loop would starve the window timer while the gateway is late or gone.
    if (!m_pHkGtwyEvtMngr || m_pHkGtwyEvtMngr->m_bTrgtReady || m_wSeqNtfyTrgt == 0)
        return;
    m_pHkGtwyEvtMngr->m_bTrgtReady = 1;
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"Hook Gateway is ready.\r\n");
    m_pHkGtwyEvtMngr->NtfyPending();
}

LRESULT CZvCoreDlg::OnHkGtwyReady(WPARAM, LPARAM) noexcept
{
    CheckHkGtwyReady();
    return 0;
}

LRESULT CZvCoreDlg::OnHkGtwyNtfyDtct(WPARAM wParam, LPARAM lParam) noexcept
{
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"Hook Gateway Event detect message recved.\n");
    if (!m_pHkGtwyEvtMngr)
        return 0;
    const WORD wSeq = LOWORD(wParam);
    // The gateway announces its next block only after our answer: another number is a signal
    // already handled, and answering it twice would skip the gateway's next block.
    if (wSeq != m_wSeqNtfyTrgt) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"Hook Gateway notification ignored, Seq = %d, expected %d.\r\n",
                  static_cast<int>(wSeq), static_cast<int>(m_wSeqNtfyTrgt));
        return 0;
    }
    const std::wstring strName = MakeHookBlockName(SENDER_HOOK, wSeq);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
              L"MSG_HKGTWY_NTFY_DTCT msg is recved, seq = %d, pvInfo = 0x%x, SharedMem name = %s.\n",
              static_cast<int>(wSeq), static_cast<unsigned>(lParam), strName.c_str());
    int nKind = kKindUnread;
    // The block object is the kind's own class: read once and freed whole (mapping, view, mutex).
    std::unique_ptr<CSharedMem> pBlock(m_pHkGtwyEvtMngr->OpenNtfySharedMem(strName.c_str(), &nKind));
    if (!pBlock) {
        RefuseHkGtwyBlock(strName, wSeq, nKind);
        return 0;
    }
    HOOK_NTFY_CBT rec{};
    const BOOL bCbt = nKind == HOOK_KIND_CBT && static_cast<CSharedMemCbtHook*>(pBlock.get())->GetData(&rec);
    pBlock.reset();
    // The activated window comes as a handle of a 32-bit process, widened on the wire: its low 32
    // bits, sign-extended, are the handle here.
    if (bCbt && rec.uMsg == MSG_HOOK_CBT_ACTIVATE)
        PostMessageW(m_hWnd, MSG_HOOK_CBT_ACTIVATE, reinterpret_cast<WPARAM>(NarrowHookHandle(rec.wParam)),
                     static_cast<LPARAM>(rec.lParam));
    m_pHkGtwyEvtMngr->AnswerNtfyTrgt();
    CheckHkGtwyReady();
    return 0;
}

void CZvCoreDlg::RefuseHkGtwyBlock(const std::wstring& strName, WORD wSeq, int nKind) noexcept
{
    // No block under the number: the signal came before the block, or from a program that is not
    // the gateway. The gateway's own announcement of that number still comes and is read then, so
    // an answer now would make the core skip a block it never saw.
    if (!MappingExists(strName)) {
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"Hook Gateway block refused, Seq = %d, %s does not exist; not answered.\r\n",
                  static_cast<int>(wSeq), strName.c_str());
        return;
    }
    // A block that is there but unsound, or of a kind the core does not know, can never be read:
    // left unanswered it would hold every later block of the gateway back, so it is answered.
    if (nKind == kKindUnread)
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"Hook Gateway block refused, Seq = %d, %s is not a sound block; answered.\r\n",
                  static_cast<int>(wSeq), strName.c_str());
    else
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"Hook Gateway block refused, Seq = %d, %s is of unknown kind %d; answered.\r\n",
                  static_cast<int>(wSeq), strName.c_str(), nKind);
    m_pHkGtwyEvtMngr->AnswerNtfyTrgt();
    CheckHkGtwyReady();
}

LRESULT CZvCoreDlg::OnHkGtwyRspDtct(WPARAM wParam, LPARAM lParam) noexcept
{
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"Hook Gateway Rsponse detect message recved.\n");
    if (!m_pHkGtwyEvtMngr)
        return 0;
    const WORD wSeq = LOWORD(wParam);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE,
              L"MSG_HKGTWY_RSP_DTCT msg is recved, wSeqEvt = 0x%x, pvInfo = 0x%x, m_wHkGtwyTrgtRspSeq = 0x%x.\n",
              static_cast<unsigned>(wSeq), static_cast<unsigned>(lParam), static_cast<unsigned>(m_wHkGtwyTrgtRspSeq));
    // Only the oldest unanswered block is ever announced; another number is a stale signal.
    if (wSeq != m_wSeqRspSelf || m_wSeqRspSelf == m_wSeqNtfySelf) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"Hook Gateway answer ignored, Seq = %d, %d blocks waiting.\r\n",
                  static_cast<int>(wSeq), static_cast<int>(m_pHkGtwyEvtMngr->GetNtfyCount()));
        return 0;
    }
    m_pHkGtwyEvtMngr->ReceiveRsp(wSeq);
    if (m_nEndState == END_STATE_REQUESTED)
        PostMessageW(m_hWnd, MSG_HKGTWY_END, m_wSeqNtfySelf, 0);
    else if (m_nEndState == END_STATE_BLOCK_SENT && m_wSeqRspSelf == m_wSeqNtfySelf)
        PostMessageW(m_hWnd, MSG_HKGTWY_DESTROY, 0, 0);
    return 0;
}

void CZvCoreDlg::StopHooksForEnd() noexcept
{
    // A scroll left half done stays where it is; its queued steps find no move and do nothing.
    AbandonMove();
    SetCbtHook(FALSE);
    SetKeybdHook(FALSE);
    SetMouseHook(FALSE);
}

void CZvCoreDlg::OnAppExit() noexcept
{
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"Zuvora! の終了 : 終了要求を受け付けました.\r\n");
    if (m_nEndState != END_STATE_RUNNING || DeferEnd(WM_COMMAND, ID_ZV_APP_EXIT))
        return;
    StopHooksForEnd();
    m_nEndState = END_STATE_REQUESTED;
    // A gateway that stops answering must not keep an asked-for end from happening.
    DeleteTmrItem(m_nTmrHkGtwyEnd);
    m_nTmrHkGtwyEnd = AddStartedTmrItem(MSG_HKGTWY_DESTROY, HKGTWY_END_WAIT);
    PostMessageW(m_hWnd, MSG_HKGTWY_END, m_wSeqNtfySelf, 0);
}

LRESULT CZvCoreDlg::OnHkGtwyEnd(WPARAM wParam, LPARAM) noexcept
{
    // Only the end this window asked for: another program's post must not end it.
    if (m_nEndState != END_STATE_REQUESTED || m_bAliveBoxOpen) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnHkGtwyEnd() ignored, wParam = 0x%x, end state = %d.\r\n",
                  static_cast<unsigned>(wParam), m_nEndState);
        return 0;
    }
    if (DeferEnd(MSG_HKGTWY_END, wParam))
        return 0;
    // A gateway that never became ready answers nothing: the window goes at once.
    if (!m_pHkGtwyEvtMngr || !m_pHkGtwyEvtMngr->m_bTrgtReady) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnHkGtwyEnd() no gateway linked, the window goes at once.\r\n");
        DestroyWindow(m_hWnd);
        return 0;
    }
    // Some own block is still unanswered: its answer posts the end again.
    if (LOWORD(wParam) != m_wSeqRspSelf || m_wSeqRspSelf != m_wSeqNtfySelf)
        return 0;
    const WORD wSeq = m_wSeqNtfySelf;
    HOOK_NTFY rec{HOOK_KIND_END, 0};
    std::unique_ptr<CSharedMemEndHook> pBlock(new (std::nothrow) CSharedMemEndHook(SENDER_CORE));
    if (!pBlock || !pBlock->Create(MakeHookBlockName(SENDER_CORE, wSeq).c_str(), PAGE_READWRITE, &rec)) {
        DestroyWindow(m_hWnd);
        return 0;
    }
    if (!m_pHkGtwyEvtMngr->RegisterNtfySelf(pBlock.release())) {
        DestroyWindow(m_hWnd);
        return 0;
    }
    m_nEndState = END_STATE_BLOCK_SENT;
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"HOOK END notification registered, Seq = %d.\r\n", static_cast<int>(wSeq));
    return 0;
}

LRESULT CZvCoreDlg::OnHkGtwyDestroy(WPARAM, LPARAM) noexcept
{
    // Only an end this window asked for: the answer to its end block, or the end's time limit. With
    // the box of the stopped pings up, its closing ends the program.
    if (m_nEndState == END_STATE_RUNNING || m_bAliveBoxOpen)
        return 0;
    if (DeferEnd(MSG_HKGTWY_DESTROY, 0))
        return 0;
    // The gateway waits for answers to every block it relayed; one relayed after ours was
    // answered would keep it (and its single-instance mutex) until its own limit, so the link's
    // end asks it to close as well.
    DestroyWindow(m_hWnd);
    return 0;
}

LRESULT CZvCoreDlg::OnHkGtwyAlive(WPARAM, LPARAM) noexcept
{
    // The gateway's ping: its limit counts anew.
    m_qwHkGtwyAliveAt = GetTickCount64();
    if (m_pTmrMngr && m_nTmrHkGtwyAliveRecv) {
        m_pTmrMngr->StopTmr(m_nTmrHkGtwyAliveRecv);
        m_pTmrMngr->StartTmr(m_nTmrHkGtwyAliveRecv);
    }
    return 0;
}

LRESULT CZvCoreDlg::OnTmrHkGtwyAlive(WPARAM wParam, LPARAM) noexcept
{
    if (wParam == 0) {
        if (m_pHkGtwyEvtMngr)
            m_pHkGtwyEvtMngr->SetEvtNtfyAlv();
        return 0;
    }
    if (wParam != 1 || !m_pHkGtwyEvtMngr || m_bAliveBoxOpen)
        return 0;
    // Only a limit that has really passed ends the core: the same message posted by another
    // program early must not.
    if (!IsHkGtwyAliveLimitPassed(GetTickCount64(), m_qwHkGtwyAliveAt, m_prop.propTimer.dwAliveNotificationReceiveLimit,
                                  m_prop.propTimer.dwResolution)) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnTmrHkGtwyAlive() ignored, the limit has not passed.\r\n");
        return 0;
    }
    if (DeferEnd(MSG_TMR_HKGTWY_ALIVE, wParam))
        return 0;
    if (m_pTmrMngr) {
        if (m_nTmrHkGtwyAliveSend)
            m_pTmrMngr->StopTmr(m_nTmrHkGtwyAliveSend);
        if (m_nTmrHkGtwyAliveRecv)
            m_pTmrMngr->StopTmr(m_nTmrHkGtwyAliveRecv);
    }
    OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"Hook Gateway alive notification is stopped.\r\n");
    // An end the user asked for goes on without the box: the gateway's silence changes nothing
    // for it. Otherwise the box, inside whose loop the window's end waits until it is closed.
    if (m_nEndState == END_STATE_RUNNING) {
        const CNestedLoop loop(*this);
        m_bAliveBoxOpen = TRUE;
        ShowMessageBox(LoadResString(IDS_ZV_ERR_HKGTWY_ALIVE).c_str(), LoadResString(IDS_ZV_APP_NAME).c_str(), MB_ICONERROR);
        m_bAliveBoxOpen = FALSE;
    }
    StopHooksForEnd();
    // The gateway no longer answers: no handshake.
    DestroyWhenUnwound();
    return 0;
}
