// The hook-gateway link across two processes, with the system's event and block names: the test
// plays the core program (sender 1) with its own message-only window handled on the test thread,
// and ZvTGtwyPeer.exe plays the gateway (sender 3). Both ends run CHkGtwyEvtMngr; what crosses
// is checked on each side, the peer's through its record file.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "HkGtwyCoreSide.h"
#include "HkGtwyEvtMngr.h"
#include "HookNtfy.h"
#include "Sender.h"
#include "SharedMemCbtHook.h"
#include "SharedMemEndHook.h"
#include "SharedMemSwtchHook.h"
#include "ZvMessages.h"
#include "ZvTestKit.h"

using namespace zvkit;

namespace {

// Bound of one exchange; under Wine a round trip takes a few ms.
constexpr DWORD kLinkMs = 10000;
constexpr wchar_t kPeerClass[] = L"ZvTGtwyPeer";

using hkgtwytest::CCoreSide;
using hkgtwytest::RECEIVED;

// ZvTGtwyPeer.exe with its own record file.
class CPeer {
public:
    ~CPeer()
    {
        m_proc.Stop();
        if (!m_strRecord.empty())
            DeleteFileW(m_strRecord.c_str());
    }
    bool Start(const std::wstring& strExtra = L"")
    {
        const std::wstring strName = L"ZvTGtwyPeer " + std::to_wstring(GetCurrentProcessId());
        m_strRecord = NewTempFilePath(L"ZvTGtwyPeer", L".txt");
        std::wstring strArgs = L"/TITLE=" + QuoteArg(strName) + L" /RECORD=" + QuoteArg(m_strRecord);
        if (!strExtra.empty())
            strArgs += L" " + strExtra;
        if (!m_proc.Start(L"ZvTGtwyPeer.exe", strArgs))
            return false;
        m_hWnd = WaitForWindow(strName, 5000, kPeerClass, m_proc.Pid());
        return m_hWnd != nullptr;
    }
    HWND Wnd() const { return m_hWnd; }
    CProcess& Process() { return m_proc; }

    // Complete record lines that begin with strPrefix ("" for all).
    std::vector<std::string> Lines(const std::string& strPrefix = "") const
    {
        std::vector<std::string> out;
        std::istringstream in(ReadFileBytes(m_strRecord));
        std::string strLine;
        while (std::getline(in, strLine)) {
            if (in.eof())
                break;  // no line feed yet: still being written
            if (strLine.rfind(strPrefix, 0) == 0)
                out.push_back(strLine);
        }
        return out;
    }
    size_t Count(const std::string& strPrefix) const { return Lines(strPrefix).size(); }

private:
    CProcess m_proc;
    HWND m_hWnd = nullptr;
    std::wstring m_strRecord;
};

uint64_t Wide(HWND hWnd)
{
    return static_cast<uint64_t>(reinterpret_cast<ULONG_PTR>(hWnd));
}

std::vector<std::string> Numbered(const char* pszPrefix, int nFrom, int nTo)
{
    std::vector<std::string> out;
    for (int i = nFrom; i < nTo; ++i)
        out.push_back(std::string(pszPrefix) + std::to_string(i));
    return out;
}

std::vector<WORD> Seqs(int nCount)
{
    std::vector<WORD> out;
    for (int i = 0; i < nCount; ++i)
        out.push_back(static_cast<WORD>(i));
    return out;
}

// Ends the peer through the end handshake; its exit code.
std::optional<DWORD> EndPeer(CCoreSide& core, CPeer& peer)
{
    const size_t nAnswered = core.vecAnswered.size();
    core.SendEnd();
    std::optional<DWORD> code = peer.Process().WaitForExit(kLinkMs);
    // The peer answered before it ended; the answer still has to be handled here.
    EXPECT_TRUE(WaitUntil([&] { return core.vecAnswered.size() == nAnswered + 1; }, kLinkMs));
    return code;
}

}  // namespace

TEST(HkGtwyLink, GatewayOpensWithItsInitBlockThenRelaysHookMessagesInOrder)
{
    CCoreSide core;
    ASSERT_TRUE(core.Start());
    CPeer peer;
    ASSERT_TRUE(peer.Start(L"/CBT=5"));
    ASSERT_TRUE(WaitUntil([&] { return core.vecReceived.size() == 6; }, kLinkMs)) << core.vecReceived.size();

    // Hook messages as the 32-bit hook library posts them: handles and parameters of 32 bits, some
    // with bit 31 set, which must arrive zero-extended.
    struct POSTED {
        UINT uMsg;
        uint64_t wParam;
        uint64_t lParam;
    };
    const POSTED aPosted[] = {
        {MSG_HOOK_CBT_ACTIVATE, 0x00012345u, 0x80000001u},
        {MSG_HOOK_CBT_MINMAX, 0x80000002u, 0xFFFFFFFFu},
        {MSG_HOOK_CBT_WNDCHG, 0, 0},
    };
    for (const POSTED& p : aPosted)
        ASSERT_TRUE(PostMessageW(peer.Wnd(), p.uMsg, static_cast<WPARAM>(p.wParam), static_cast<LPARAM>(p.lParam)));
    ASSERT_TRUE(WaitUntil([&] { return core.vecReceived.size() == 9 && peer.Count("RSP ") == 9; }, kLinkMs))
        << core.vecReceived.size() << " received, " << peer.Count("RSP ") << " answers seen by the peer";

    ASSERT_EQ(9u, core.vecReceived.size());
    EXPECT_EQ(0, core.vecReceived[0].wSeq);
    EXPECT_EQ(HOOK_KIND_INIT, core.vecReceived[0].nKind);
    const UINT auMsg[] = {MSG_HOOK_CBT_ACTIVATE, MSG_HOOK_CBT_MINMAX, MSG_HOOK_CBT_WNDCHG};
    for (int i = 1; i < 9; ++i) {
        SCOPED_TRACE(i);
        const RECEIVED& r = core.vecReceived[i];
        EXPECT_EQ(i, r.wSeq);
        EXPECT_EQ(HOOK_KIND_CBT, r.nKind);
        EXPECT_EQ(HOOK_KIND_CBT, r.cbt.nKind);
        EXPECT_EQ(Wide(peer.Wnd()), r.cbt.hWnd) << "the gateway's own window";
        EXPECT_EQ(peer.Wnd(), NarrowHookHandle(r.cbt.hWnd));
        if (i <= 5) {
            const unsigned n = static_cast<unsigned>(i - 1);
            EXPECT_EQ(auMsg[n % 3], r.cbt.uMsg);
            EXPECT_EQ(0x80000000ull + n, r.cbt.wParam);
            EXPECT_EQ(0xFFFF0000ull + n, r.cbt.lParam);
        } else {
            const POSTED& p = aPosted[i - 6];
            EXPECT_EQ(p.uMsg, r.cbt.uMsg);
            EXPECT_EQ(p.wParam, r.cbt.wParam);
            EXPECT_EQ(p.lParam, r.cbt.lParam);
        }
    }
    EXPECT_EQ(0, core.nUnopened);
    EXPECT_EQ(9, core.wSeqNtfyTrgt);
    // The peer made one block per relay, in sequence, and saw every one answered in that order.
    std::vector<std::string> vecSent = {"SENT 0 1"};
    for (int i = 1; i < 9; ++i)
        vecSent.push_back("SENT " + std::to_string(i) + " 4");
    EXPECT_EQ(vecSent, peer.Lines("SENT "));
    EXPECT_EQ(Numbered("RSP ", 0, 9), peer.Lines("RSP "));

    EXPECT_EQ(std::optional<DWORD>(0), EndPeer(core, peer));
    EXPECT_EQ((std::vector<std::string>{"NTFY 0 2 0 0"}), peer.Lines("NTFY "));
    EXPECT_EQ((std::vector<std::string>{"END 9 9 1 0"}), peer.Lines("END "));
    EXPECT_EQ(Seqs(1), core.vecAnswered);
    EXPECT_EQ(0u, core.Mngr()->GetNtfyCount());
    EXPECT_EQ(1, core.wSeqNtfySelf);
    EXPECT_EQ(1, core.wSeqRspSelf);
    EXPECT_EQ(9u, core.vecReceived.size()) << "nothing after the end";
}

TEST(HkGtwyLink, SwitchBlocksQueuedBeforeTheInitReachTheGatewayInOrderAndTheEndBlockEndsIt)
{
    CCoreSide core;
    ASSERT_TRUE(core.Start());
    // Queued while the gateway is not yet known to be ready: announced only after its init block.
    EXPECT_FALSE(core.SendSwitch(1));
    EXPECT_FALSE(core.SendSwitch(0));
    EXPECT_EQ(2u, core.Mngr()->GetNtfyCount());
    CPeer peer;
    ASSERT_TRUE(peer.Start());
    ASSERT_TRUE(WaitUntil([&] { return core.vecAnswered.size() == 2; }, kLinkMs)) << core.vecAnswered.size();
    EXPECT_EQ(0u, core.Mngr()->GetNtfyCount());
    EXPECT_EQ((std::vector<std::string>{"NTFY 0 3 4 1", "NTFY 1 3 4 0"}), peer.Lines("NTFY "));
    ASSERT_EQ(1u, core.vecReceived.size());
    EXPECT_EQ(0, core.vecReceived[0].wSeq);
    EXPECT_EQ(HOOK_KIND_INIT, core.vecReceived[0].nKind);
    EXPECT_EQ(core.vecReceived.size(), peer.Count("RSP ")) << "the init block answered";

    // Nothing waits now, so the end block is announced at once.
    const size_t nAnswered = core.vecAnswered.size();
    EXPECT_TRUE(core.SendEnd());
    EXPECT_EQ(std::optional<DWORD>(0), peer.Process().WaitForExit(kLinkMs));
    ASSERT_TRUE(WaitUntil([&] { return core.vecAnswered.size() == nAnswered + 1; }, kLinkMs));
    EXPECT_EQ((std::vector<std::string>{"NTFY 0 3 4 1", "NTFY 1 3 4 0", "NTFY 2 2 0 0"}), peer.Lines("NTFY "));
    EXPECT_EQ((std::vector<std::string>{"END 1 1 3 0"}), peer.Lines("END "));
    EXPECT_EQ(Seqs(3), core.vecAnswered);
    EXPECT_EQ(0u, core.Mngr()->GetNtfyCount());
    EXPECT_EQ(3, core.wSeqNtfySelf);
    EXPECT_EQ(3, core.wSeqRspSelf);
    EXPECT_EQ(1, core.wSeqNtfyTrgt);
    EXPECT_EQ(0u, peer.Count("BAD "));
}

TEST(HkGtwyLink, GatewayEndsOnlyWhenEveryRelayedBlockIsAnswered)
{
    CCoreSide core;
    ASSERT_TRUE(core.Start());
    CPeer peer;
    ASSERT_TRUE(peer.Start());
    ASSERT_TRUE(WaitUntil([&] { return peer.Count("RSP ") == 1; }, kLinkMs));

    // Two relays arrive; the first is read and its answer held, the second waits behind it.
    core.HoldAnswers(true);
    ASSERT_TRUE(PostMessageW(peer.Wnd(), MSG_HOOK_CBT_ACTIVATE, 1, 2));
    ASSERT_TRUE(PostMessageW(peer.Wnd(), MSG_HOOK_CBT_WNDCHG, 0, 0));
    ASSERT_TRUE(WaitUntil([&] { return core.vecReceived.size() == 2 && peer.Count("SENT ") == 3; }, kLinkMs));
    EXPECT_TRUE(core.SendEnd());
    ASSERT_TRUE(WaitUntil([&] { return core.vecAnswered.size() == 1; }, kLinkMs)) << "the end block is answered";
    // The peer has answered the end block but still waits for two answers of its own: it stays.
    EXPECT_FALSE(peer.Process().WaitForExit(300).has_value());
    EXPECT_EQ(0u, peer.Count("END "));

    core.HoldAnswers(false);
    EXPECT_EQ(std::optional<DWORD>(0), peer.Process().WaitForExit(kLinkMs));
    ASSERT_EQ(3u, core.vecReceived.size());
    EXPECT_EQ(MSG_HOOK_CBT_ACTIVATE, core.vecReceived[1].cbt.uMsg);
    EXPECT_EQ(1u, core.vecReceived[1].cbt.wParam);
    EXPECT_EQ(2u, core.vecReceived[1].cbt.lParam);
    EXPECT_EQ(MSG_HOOK_CBT_WNDCHG, core.vecReceived[2].cbt.uMsg);
    EXPECT_EQ(Numbered("RSP ", 0, 3), peer.Lines("RSP "));
    EXPECT_EQ((std::vector<std::string>{"END 3 3 1 0"}), peer.Lines("END "));
    const std::vector<std::string> vecAll = peer.Lines();
    ASSERT_FALSE(vecAll.empty());
    EXPECT_EQ("END 3 3 1 0", vecAll.back()) << "every answer came before the end";
    EXPECT_EQ(3, core.wSeqNtfyTrgt);
    EXPECT_EQ(0u, core.Mngr()->GetNtfyCount());
}

TEST(HkGtwyLink, AlivePingsReachTheOtherSideBothWays)
{
    CCoreSide core;
    ASSERT_TRUE(core.Start());
    CPeer peer;
    ASSERT_TRUE(peer.Start(L"/ALIVE=50"));
    // Each ping is a message of its own: several arrive at the core window.
    ASSERT_TRUE(WaitUntil([&] { return core.nAlive >= 3; }, kLinkMs)) << core.nAlive;

    EXPECT_EQ(0u, peer.Count("ALIVE"));
    EXPECT_TRUE(core.Mngr()->SetEvtNtfyAlv());
    ASSERT_TRUE(WaitUntil([&] { return peer.Count("ALIVE") == 1; }, kLinkMs));
    EXPECT_TRUE(core.Mngr()->SetEvtNtfyAlv());
    ASSERT_TRUE(WaitUntil([&] { return peer.Count("ALIVE") == 2; }, kLinkMs));

    EXPECT_EQ(std::optional<DWORD>(0), EndPeer(core, peer));
    EXPECT_EQ(2u, peer.Count("ALIVE"));
    // Pings are not blocks: the link's words count the init and end blocks only.
    EXPECT_EQ((std::vector<std::string>{"END 1 1 1 0"}), peer.Lines("END "));
}

TEST(HkGtwyLink, KilledGatewayLeavesTheCoreFreeToEnd)
{
    CCoreSide core;
    ASSERT_TRUE(core.Start());
    CPeer peer;
    ASSERT_TRUE(peer.Start(L"/CBT=500 /ALIVE=10"));
    ASSERT_TRUE(WaitUntil([&] { return core.vecReceived.size() >= 5; }, kLinkMs));
    ASSERT_TRUE(TerminateProcess(peer.Process().Handle(), 9));
    ASSERT_EQ(std::optional<DWORD>(9), peer.Process().WaitForExit(kLinkMs));

    // Blocks for a gateway that is gone: announced, never answered.
    EXPECT_TRUE(core.SendSwitch(1));
    EXPECT_FALSE(core.SendSwitch(0));
    // Let whatever the peer signalled before it died come in; none of it may hang the core side.
    PumpFor(300);
    ASSERT_NE(nullptr, core.Mngr());
    EXPECT_EQ(2u, core.Mngr()->GetNtfyCount());
    EXPECT_TRUE(core.vecAnswered.empty());
    for (size_t i = 0; i < core.vecReceived.size(); ++i)
        EXPECT_EQ(i, core.vecReceived[i].wSeq) << "in order";
    const std::wstring strBlock = MakeHookBlockName(SENDER_CORE, 0);
    HANDLE hMap = OpenFileMappingW(FILE_MAP_READ, FALSE, strBlock.c_str());
    EXPECT_NE(nullptr, hMap) << "unanswered block still held";
    if (hMap)
        CloseHandle(hMap);

    std::vector<HANDLE> vecThreads;
    for (auto kind :
         {CHkGtwyEvtMngr::THREAD_KIND::Ntfy, CHkGtwyEvtMngr::THREAD_KIND::Rsp, CHkGtwyEvtMngr::THREAD_KIND::Alv}) {
        HANDLE hDup = nullptr;
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), core.Mngr()->GetThreadHandle(kind), GetCurrentProcess(), &hDup,
                                    0, FALSE, DUPLICATE_SAME_ACCESS));
        vecThreads.push_back(hDup);
    }
    const ULONGLONG ullStart = GetTickCount64();
    core.EndLink();
    EXPECT_LT(GetTickCount64() - ullStart, 2000ull) << "the end must not wait for the dead gateway";
    for (HANDLE h : vecThreads) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h, 0)) << "wait thread ended";
        CloseHandle(h);
    }
    hMap = OpenFileMappingW(FILE_MAP_READ, FALSE, strBlock.c_str());
    EXPECT_EQ(nullptr, hMap) << "unanswered blocks freed with the manager";
    if (hMap)
        CloseHandle(hMap);
    // Nothing more is posted to the window once the manager is gone. Its wait threads have ended
    // (above), so whatever they posted lies in the window's queue ahead of a ping posted now: once
    // that ping has been counted, the queue holds nothing of theirs any more.
    const size_t nReceived = core.vecReceived.size();
    const int nAlive = core.nAlive;
    PumpFor(100);
    ASSERT_TRUE(PostMessageW(core.Wnd(), MSG_HKGTWY_ALIVE, 0, 0));
    ASSERT_TRUE(WaitUntil([&] { return core.nAlive > nAlive; }, kLinkMs));
    EXPECT_EQ(nReceived, core.vecReceived.size());
    EXPECT_EQ(nAlive + 1, core.nAlive);
}
