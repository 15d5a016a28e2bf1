// The side of the gateway link both programs hold: the core's and the gateway's side in one process,
// each with a message-only window, through one round trip of blocks. It runs under the system's
// names, so it is one test: no other unit test makes a link.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "HkGtwyLinkSide.h"
#include "HookNtfy.h"
#include "PumpUntil.h"
#include "Sender.h"
#include "SharedMemInitHook.h"
#include "SharedMemSwtchHook.h"
#include "ZvMessages.h"

namespace {

// A window that records the numbers the wait threads post.
class CSignalWnd {
public:
    CSignalWnd()
    {
        static const ATOM s_atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = WndProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"ZvHkGtwyLinkSideTest";
            return RegisterClassW(&wc);
        }();
        m_hWnd = CreateWindowExW(0, MAKEINTATOM(s_atom), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CSignalWnd() { DestroyWindow(m_hWnd); }

    HWND m_hWnd = nullptr;
    std::vector<WORD> m_vecNtfy;
    std::vector<WORD> m_vecRsp;

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        auto* pThis = reinterpret_cast<CSignalWnd*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (pThis && uMsg == MSG_HKGTWY_NTFY_DTCT)
            pThis->m_vecNtfy.push_back(LOWORD(wParam));
        else if (pThis && uMsg == MSG_HKGTWY_RSP_DTCT)
            pThis->m_vecRsp.push_back(LOWORD(wParam));
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
};

}  // namespace

TEST(CommonHkGtwyLinkSide, SequenceRulesBlockReadingAndTheEndCountOverARoundTrip)
{
    CSignalWnd wndCore;
    CSignalWnd wndGtwy;
    CHkGtwyLinkSide core(SENDER_CORE);
    CHkGtwyLinkSide gtwy(SENDER_HOOK);
    ASSERT_TRUE(core.Start(wndCore.m_hWnd));
    ASSERT_TRUE(gtwy.Start(wndGtwy.m_hWnd));

    // The gateway's init block, announced at once: the gateway takes the core as ready.
    gtwy.SetPeerReady();
    ASSERT_TRUE(gtwy.Send<CSharedMemInitHook>(HOOK_NTFY{HOOK_KIND_INIT, 0}));
    EXPECT_EQ(1, gtwy.GetNtfySeq());
    EXPECT_TRUE(gtwy.IsRspExpected(0));
    EXPECT_FALSE(gtwy.IsRspExpected(1)) << "only the oldest unanswered block is answered";
    EXPECT_FALSE(gtwy.IsAnsweredUpTo(gtwy.GetNtfySeq()));

    ASSERT_TRUE(PumpUntil([&] { return !wndCore.m_vecNtfy.empty(); }));
    EXPECT_EQ(0, wndCore.m_vecNtfy.front());
    EXPECT_TRUE(core.IsPeerNtfyExpected(0));
    HKGTWY_PEER_BLOCK block;
    EXPECT_EQ(CHkGtwyLinkSide::PEER_READ::Missing, core.ReadPeerBlock(1, &block));
    ASSERT_EQ(CHkGtwyLinkSide::PEER_READ::Read, core.ReadPeerBlock(0, &block));
    EXPECT_EQ(HOOK_KIND_INIT, block.nKind);
    // Blocks the core makes before the gateway is ready wait unannounced.
    EXPECT_FALSE(core.IsPeerReady());
    EXPECT_TRUE(core.Send<CSharedMemSwtchHook>(HOOK_NTFY_SWTCH{HOOK_KIND_SWTCH, HOOK_NTFY_SWTCH_CBT, 1}));
    core.AnswerPeer();
    EXPECT_FALSE(core.IsPeerNtfyExpected(0)) << "a signal already handled is stale";
    EXPECT_TRUE(core.IsPeerNtfyExpected(1));
    EXPECT_TRUE(core.TakePeerReady()) << "ready once its first block was handled";
    EXPECT_FALSE(core.TakePeerReady()) << "only once";

    // The answer ends the gateway's count; the core's queued switch block now comes.
    ASSERT_TRUE(PumpUntil([&] { return !wndGtwy.m_vecRsp.empty() && !wndGtwy.m_vecNtfy.empty(); }));
    EXPECT_EQ(0, wndGtwy.m_vecRsp.front());
    gtwy.ReceiveRsp(0);
    EXPECT_TRUE(gtwy.IsAllAnswered());
    EXPECT_TRUE(gtwy.IsAnsweredUpTo(gtwy.GetNtfySeq()));
    EXPECT_FALSE(gtwy.IsRspExpected(0)) << "an answer with nothing waiting is stale";
    EXPECT_EQ(0, wndGtwy.m_vecNtfy.front());
    ASSERT_EQ(CHkGtwyLinkSide::PEER_READ::Read, gtwy.ReadPeerBlock(0, &block));
    EXPECT_EQ(HOOK_KIND_SWTCH, block.nKind);
    EXPECT_EQ(HOOK_NTFY_SWTCH_CBT, block.swtch.nHook);
    EXPECT_EQ(1, block.swtch.bOn);
    gtwy.AnswerPeer();
    ASSERT_TRUE(PumpUntil([&] { return !wndCore.m_vecRsp.empty(); }));
    core.ReceiveRsp(wndCore.m_vecRsp.front());
    EXPECT_TRUE(core.IsAllAnswered());
    EXPECT_EQ(0u, core.GetWaitingCount());

    // A mapping under the next number that is no block is unsound, not missing.
    const HANDLE hBroken = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64,
                                              gtwy.NextBlockName().c_str());
    ASSERT_NE(nullptr, hBroken);
    EXPECT_EQ(CHkGtwyLinkSide::PEER_READ::Unsound, core.ReadPeerBlock(gtwy.GetNtfySeq(), &block));
    CloseHandle(hBroken);

    core.End();
    gtwy.End();
    EXPECT_FALSE(core.IsLinked());
}
