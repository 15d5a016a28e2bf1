// The core program's end of the hook-gateway link, as the link tests play it: sender 1 with the
// system's event and block names, its own message-only window handled on the test thread (the
// kit's waits pump it), and the gateway's blocks recorded as they arrive.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "HkGtwyEvtMngr.h"
#include "HookNtfy.h"
#include "Sender.h"
#include "SharedMemCbtHook.h"
#include "SharedMemEndHook.h"
#include "SharedMemSwtchHook.h"
#include "ZvMessages.h"

namespace hkgtwytest {

struct RECEIVED {
  WORD wSeq;
  int nKind;
  HOOK_NTFY_CBT cbt;  // kind 4 only
};

// The core program's end of the link, handled as the core program's main window does.
class CCoreSide {
public:
  CCoreSide() {
    static const ATOM s_atom = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = WndProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"ZvHkGtwyLinkTestCore";
      return RegisterClassW(&wc);
    }();
    m_hWnd = CreateWindowExW(0, MAKEINTATOM(s_atom), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~CCoreSide() {
    m_pMngr.reset();
    DestroyWindow(m_hWnd);
  }
  CCoreSide(const CCoreSide&) = delete;
  CCoreSide& operator=(const CCoreSide&) = delete;

  bool Start() {
    if (!m_hWnd) return false;
    HKGTWY_EVT_MNGR_CFG cfg = MakeHkGtwyEvtMngrCfg(SENDER_CORE, &wSeqNtfySelf, &wSeqRspSelf, &wSeqNtfyTrgt);
    m_pMngr = std::make_unique<CHkGtwyEvtMngr>(&cfg);
    m_alv.hWnd = m_prm.hWnd = m_hWnd;
    m_alv.uMsgAlv = MSG_HKGTWY_ALIVE;
    m_prm.uMsgNtfy = MSG_HKGTWY_NTFY_DTCT;
    m_prm.uMsgRsp = MSG_HKGTWY_RSP_DTCT;
    m_prm.pwSeqNtfy = &wSeqNtfyTrgt;
    m_prm.pwSeqRsp = &wSeqRspSelf;
    return m_pMngr->StartWtRspAlvTrgt(&m_alv) && m_pMngr->StartAsyncWtNtfyTrgt(&m_prm) &&
           m_pMngr->StartAsyncWtRspTrgt(&m_prm);
  }

  // TRUE when the block was announced at once.
  BOOL SendSwitch(BOOL bOn, int nHook = HOOK_NTFY_SWTCH_CBT) {
    return Send<CSharedMemSwtchHook>(HOOK_NTFY_SWTCH{HOOK_KIND_SWTCH, nHook, bOn});
  }
  BOOL SendEnd() { return Send<CSharedMemEndHook>(HOOK_NTFY{HOOK_KIND_END, 0}); }

  // The gateway announces one block at a time, so at most one answer is ever held.
  void HoldAnswers(bool bHold) {
    m_bHold = bHold;
    if (!bHold && m_bHeld) {
      m_bHeld = false;
      Answer();
    }
  }

  CHkGtwyEvtMngr* Mngr() const { return m_pMngr.get(); }
  HWND Wnd() const { return m_hWnd; }
  void EndLink() { m_pMngr.reset(); }

  WORD wSeqNtfySelf = 0;
  WORD wSeqRspSelf = 0;
  WORD wSeqNtfyTrgt = 0;
  std::vector<RECEIVED> vecReceived;
  std::vector<WORD> vecAnswered;
  int nUnopened = 0;
  int nAlive = 0;

private:
  template <class TBlock, class TRecord>
  BOOL Send(TRecord rec) {
    auto pBlock = std::make_unique<TBlock>(SENDER_CORE);
    if (!m_pMngr || !pBlock->Create(MakeHookBlockName(SENDER_CORE, wSeqNtfySelf).c_str(), PAGE_READWRITE, &rec)) {
      ADD_FAILURE() << "block " << wSeqNtfySelf << " not made";
      return FALSE;
    }
    const BOOL bSignalled = m_pMngr->RegisterNtfy(wSeqNtfySelf, pBlock.release());
    m_pMngr->IncSeqNtfySelf();
    return bSignalled;
  }

  void Answer() {
    m_pMngr->AnswerNtfyTrgt();
    // The gateway is ready once its first block, the init block, is handled.
    if (!m_pMngr->m_bTrgtReady && wSeqNtfyTrgt != 0) {
      m_pMngr->m_bTrgtReady = 1;
      m_pMngr->NtfyPending();
    }
  }

  void OnNtfyDtct(WORD wSeq) {
    if (!m_pMngr) return;
    int nKind = 0;
    std::unique_ptr<CSharedMem> pBlock(m_pMngr->OpenNtfySharedMem(MakeHookBlockName(SENDER_HOOK, wSeq).c_str(), &nKind));
    if (!pBlock) {
      // Neither acted on nor answered.
      ++nUnopened;
      return;
    }
    RECEIVED rec{wSeq, nKind, {}};
    if (nKind == HOOK_KIND_CBT) {
      EXPECT_TRUE(static_cast<CSharedMemCbtHook*>(pBlock.get())->GetData(&rec.cbt));
    }
    vecReceived.push_back(rec);
    pBlock.reset();
    if (m_bHold) {
      m_bHeld = true;
      return;
    }
    Answer();
  }

  void OnRspDtct(WORD wSeq) {
    if (!m_pMngr) return;
    vecAnswered.push_back(wSeq);
    m_pMngr->ReceiveRsp(wSeq);
  }

  static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    auto* pThis = reinterpret_cast<CCoreSide*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (pThis) {
      switch (uMsg) {
      case MSG_HKGTWY_NTFY_DTCT:
        pThis->OnNtfyDtct(static_cast<WORD>(wParam));
        return 0;
      case MSG_HKGTWY_RSP_DTCT:
        pThis->OnRspDtct(static_cast<WORD>(wParam));
        return 0;
      case MSG_HKGTWY_ALIVE:
        ++pThis->nAlive;
        return 0;
      default:
        break;
      }
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
  }

  HWND m_hWnd = nullptr;
  std::unique_ptr<CHkGtwyEvtMngr> m_pMngr;
  HKGTWY_THRD_PRM m_prm;
  HKGTWY_ALV_THRD_PRM m_alv;
  bool m_bHold = false;
  bool m_bHeld = false;
};

}  // namespace hkgtwytest
