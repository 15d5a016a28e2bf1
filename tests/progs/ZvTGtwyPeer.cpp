// ZvTGtwyPeer.exe: the gateway's end of the hook-gateway link, as a 64-bit stand-in for the link
// tests. A hidden window runs a CHkGtwyEvtMngr as sender 3 with the system's event names, opens
// with its init block, relays every hook message its window receives (MSG_HOOK_CBT_ACTIVATE,
// _MINMAX, _WNDCHG, posted by the test as the hook library would) in a block of its own, answers
// every block of the core side, and ends through the end handshake: after the end block, once all
// its own blocks are answered.
//
//   /TITLE=text    title of its hidden window, by which the test finds it
//   /RECORD=path   the text record (below), made anew
//   /CBT=n         relay n hook messages at start, event i (from 0) being message
//                  {ACTIVATE, MINMAX, WNDCHG}[i % 3], wParam 0x80000000 + i, lParam 0xFFFF0000 + i
//   /ALIVE=ms      ping the core side every ms (none without it)
//
// One record line per event, in the order they happened:
//   SENT <seq> <kind>                   own block registered
//   NTFY <seq> <kind> <nHook> <bOn>     core block handled and answered (hook fields 0 unless kind 3)
//   BAD <seq>                           core block that could not be opened, not answered
//   RSP <seq>                           core side's answer to own block seq
//   ALIVE                               ping of the core side
//   END <ntfySelf> <rspSelf> <ntfyTrgt> <blocks waiting>   the words when the handshake ended it
// Exit code 0 after the end handshake, 2 for a bad command line, an unwritable record or a link
// that cannot start, 3 when closed without an end block.
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>

#include "CommandLine.h"
#include "HkGtwyEvtMngr.h"
#include "HookNtfy.h"
#include "Sender.h"
#include "SharedMemCbtHook.h"
#include "SharedMemHook.h"
#include "SharedMemInitHook.h"
#include "ZvMessages.h"

namespace {

constexpr UINT_PTR kAliveTimer = 1;
constexpr int kExitEnded = 0;
constexpr int kExitBadStart = 2;
constexpr int kExitClosed = 3;

HANDLE g_hRecord = INVALID_HANDLE_VALUE;
HWND g_hWnd = nullptr;
WORD g_wSeqNtfySelf = 0;
WORD g_wSeqRspSelf = 0;
WORD g_wSeqNtfyTrgt = 0;
std::unique_ptr<CHkGtwyEvtMngr> g_pMngr;
HKGTWY_THRD_PRM g_prm;
HKGTWY_ALV_THRD_PRM g_prmAlv;
bool g_bEnding = false;
int g_nExit = kExitClosed;

bool TakeValue(const std::wstring& strArg, const wchar_t* pszName, std::wstring& strValue)
{
    const std::wstring strPrefix = std::wstring(L"/") + pszName + L"=";
    if (strArg.rfind(strPrefix, 0) != 0)
        return false;
    strValue = strArg.substr(strPrefix.size());
    return true;
}

void Record(const char* pszFormat, ...)
{
    char szLine[160];
    va_list args;
    va_start(args, pszFormat);
    const int n = vsnprintf(szLine, sizeof(szLine) - 1, pszFormat, args);
    va_end(args);
    if (n <= 0)
        return;
    const size_t cb = std::min(static_cast<size_t>(n), sizeof(szLine) - 2);
    szLine[cb] = '\n';
    DWORD dwDone = 0;
    // One write per line: the test may read the file at any moment.
    WriteFile(g_hRecord, szLine, static_cast<DWORD>(cb + 1), &dwDone, nullptr);
}

// The block takes the own-notification word as its number; the word advances only once it is
// registered, so a block that cannot be made leaves its number to the next.
template <class TBlock, class TRecord> void Send(TRecord rec)
{
    if (!g_pMngr)
        return;
    auto pBlock = std::make_unique<TBlock>(SENDER_HOOK);
    if (!pBlock->Create(MakeHookBlockName(SENDER_HOOK, g_wSeqNtfySelf).c_str(), PAGE_READWRITE, &rec))
        return;
    Record("SENT %u %d", unsigned{g_wSeqNtfySelf}, TBlock::KIND);
    g_pMngr->RegisterNtfy(g_wSeqNtfySelf, pBlock.release());
    g_pMngr->IncSeqNtfySelf();
}

void OnNtfyDtct(WORD wSeq) noexcept
{
    if (!g_pMngr)
        return;
    CSharedMemHook block(SENDER_HOOK);
    if (!block.Open(MakeHookBlockName(SENDER_CORE, wSeq).c_str(), FALSE, FILE_MAP_READ)) {
        Record("BAD %u", unsigned{wSeq});
        return;
    }
    const int nKind = block.GetKind();
    HOOK_NTFY_SWTCH swtch = {};
    if (nKind == HOOK_KIND_SWTCH)
        memcpy(&swtch, block.GetPayload(), sizeof(swtch));
    g_pMngr->AnswerNtfyTrgt();
    Record("NTFY %u %d %d %d", unsigned{wSeq}, nKind, swtch.nHook, swtch.bOn);
    if (nKind == HOOK_KIND_END) {
        g_bEnding = true;
        PostMessageW(g_hWnd, MSG_HKGTWY_END, g_wSeqNtfySelf, 0);
    }
}

void OnRspDtct(WORD wSeq) noexcept
{
    if (!g_pMngr)
        return;
    Record("RSP %u", unsigned{wSeq});
    g_pMngr->ReceiveRsp(wSeq);
    if (g_bEnding)
        PostMessageW(g_hWnd, MSG_HKGTWY_END, g_wSeqNtfySelf, 0);
}

// Ends only when every own block made before the post has been answered.
void OnEnd(HWND hWnd, WORD wSeq) noexcept
{
    if (wSeq != g_wSeqRspSelf)
        return;
    Record("END %u %u %u %u", unsigned{g_wSeqNtfySelf}, unsigned{g_wSeqRspSelf}, unsigned{g_wSeqNtfyTrgt},
           static_cast<unsigned>(g_pMngr ? g_pMngr->GetNtfyCount() : 0));
    g_nExit = kExitEnded;
    DestroyWindow(hWnd);
}

LRESULT CALLBACK PeerProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case MSG_HOOK_CBT_ACTIVATE:
    case MSG_HOOK_CBT_MINMAX:
    case MSG_HOOK_CBT_WNDCHG:
        Send<CSharedMemCbtHook>(MakeHookNtfyCbt(hWnd, uMsg, wParam, lParam));
        return 0;
    case MSG_HKGTWY_NTFY_DTCT:
        OnNtfyDtct(static_cast<WORD>(wParam));
        return 0;
    case MSG_HKGTWY_RSP_DTCT:
        OnRspDtct(static_cast<WORD>(wParam));
        return 0;
    case MSG_HKGTWY_END:
        OnEnd(hWnd, static_cast<WORD>(wParam));
        return 0;
    case MSG_HKGTWY_ALIVE:
        Record("ALIVE");
        return 0;
    case WM_TIMER:
        if (wParam == kAliveTimer && g_pMngr)
            g_pMngr->SetEvtNtfyAlv();
        return 0;
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_DESTROY:
        KillTimer(hWnd, kAliveTimer);
        // Ends the wait threads and frees the blocks the core side never answered.
        g_pMngr.reset();
        PostQuitMessage(g_nExit);
        return 0;
    default:
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
}

bool StartLink(HWND hWnd)
{
    HKGTWY_EVT_MNGR_CFG cfg = MakeHkGtwyEvtMngrCfg(SENDER_HOOK, &g_wSeqNtfySelf, &g_wSeqRspSelf, &g_wSeqNtfyTrgt);
    g_pMngr = std::make_unique<CHkGtwyEvtMngr>(&cfg);
    g_prmAlv.hWnd = hWnd;
    g_prmAlv.uMsgAlv = MSG_HKGTWY_ALIVE;
    g_prm.hWnd = hWnd;
    g_prm.uMsgNtfy = MSG_HKGTWY_NTFY_DTCT;
    g_prm.uMsgRsp = MSG_HKGTWY_RSP_DTCT;
    g_prm.pwSeqNtfy = &g_wSeqNtfyTrgt;
    g_prm.pwSeqRsp = &g_wSeqRspSelf;
    if (!g_pMngr->StartWtRspAlvTrgt(&g_prmAlv) || !g_pMngr->StartAsyncWtNtfyTrgt(&g_prm) ||
        !g_pMngr->StartAsyncWtRspTrgt(&g_prm))
        return false;
    // The core side is listening from its start: the init block is announced at once.
    g_pMngr->m_bTrgtReady = 1;
    const WORD wInit = g_wSeqNtfySelf;
    Send<CSharedMemInitHook>(HOOK_NTFY{HOOK_KIND_INIT, 0});
    return g_wSeqNtfySelf != wInit;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hInst, HINSTANCE, LPWSTR lpCmdLine, int)
{
    std::wstring strTitle = L"ZvTGtwyPeer", strRecord, strValue;
    unsigned uCbt = 0, uAliveMs = 0;
    for (const std::wstring& strArg : SplitCommandLine(lpCmdLine, FALSE)) {
        if (TakeValue(strArg, L"TITLE", strValue)) {
            strTitle = strValue;
        } else if (TakeValue(strArg, L"RECORD", strValue)) {
            strRecord = strValue;
        } else if (TakeValue(strArg, L"CBT", strValue)) {
            uCbt = static_cast<unsigned>(wcstoul(strValue.c_str(), nullptr, 10));
        } else if (TakeValue(strArg, L"ALIVE", strValue)) {
            uAliveMs = static_cast<unsigned>(wcstoul(strValue.c_str(), nullptr, 10));
        } else {
            return kExitBadStart;
        }
    }
    if (strRecord.empty())
        return kExitBadStart;
    g_hRecord = CreateFileW(strRecord.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_hRecord == INVALID_HANDLE_VALUE)
        return kExitBadStart;

    WNDCLASSW wc{};
    wc.lpfnWndProc = PeerProc;
    wc.hInstance = hInst;
    wc.lpszClassName = L"ZvTGtwyPeer";
    RegisterClassW(&wc);
    g_hWnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, strTitle.c_str(), WS_POPUP, 0, 0, 100, 100, nullptr,
                             nullptr, hInst, nullptr);
    if (!g_hWnd)
        return kExitBadStart;
    if (!StartLink(g_hWnd)) {
        DestroyWindow(g_hWnd);
        return kExitBadStart;
    }
    static constexpr UINT s_auMsg[] = {MSG_HOOK_CBT_ACTIVATE, MSG_HOOK_CBT_MINMAX, MSG_HOOK_CBT_WNDCHG};
    for (unsigned i = 0; i < uCbt; ++i)
        PostMessageW(g_hWnd, s_auMsg[i % 3], static_cast<WPARAM>(0x80000000u + i),
                     static_cast<LPARAM>(static_cast<ULONG_PTR>(0xFFFF0000u + i)));
    if (uAliveMs)
        SetTimer(g_hWnd, kAliveTimer, uAliveMs, nullptr);

    MSG msg;
    int nExit = kExitClosed;
    for (;;) {
        const BOOL bRet = GetMessageW(&msg, nullptr, 0, 0);
        if (bRet <= 0) {
            if (bRet == 0)
                nExit = static_cast<int>(msg.wParam);
            break;
        }
        DispatchMessageW(&msg);
    }
    CloseHandle(g_hRecord);
    return nExit;
}
