// ZvHook64.dll and ZvHook.dll as the programs use them: ZvTHookSink.exe installs the hooks for its
// hidden window and records the hook messages; the tests make real input and window events in other
// processes and read what arrived, with the parameters the core program and the gateway rely on.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>
#include "../../ZvCommon/ZvMessages.h"
#include "../progs/ZvTHookSink.h"
#include "ZvTestKit.h"

using namespace zvkit;

namespace {

constexpr DWORD kEventMs = 3000;  // an event reaches the sink well within this
// After a hooked sink has seen an event, how long an unhooked one is given to (wrongly) see it too.
constexpr DWORD kQuietMs = 300;
// The window-change message with this wParam is no hook's: the test posts it as a marker.
constexpr uint64_t kMarkerW = 0x5A764D6B;

class CSink {
public:
    // Starts the sink with its own window title and record file and waits for its window.
    bool Start(const std::wstring& strName, const std::wstring& strExtra = L"")
    {
        m_strLog = NewTempFilePath(L"ZvTHookSink_" + strName, L".bin");
        const std::wstring strTitle = L"ZvTHookSink " + strName;
        std::wstring strArgs = L"/TITLE=" + QuoteArg(strTitle) + L" /LOG=" + QuoteArg(m_strLog);
        if (!strExtra.empty())
            strArgs += L" " + strExtra;
        if (!m_proc.Start(L"ZvTHookSink.exe", strArgs))
            return false;
        m_hWnd = WaitForWindow(strTitle, 5000, L"ZvTHookSink", m_proc.Pid());
        return m_hWnd != nullptr;
    }
    ~CSink()
    {
        m_proc.Stop();
        if (!m_strLog.empty())
            DeleteFileW(m_strLog.c_str());
    }
    unsigned Install(unsigned uMask) { return static_cast<unsigned>(Send(ZV_SINK_INSTALL, uMask)); }
    unsigned Remove(unsigned uMask) { return static_cast<unsigned>(Send(ZV_SINK_REMOVE, uMask)); }
    LRESULT Handle(unsigned uBit) { return Send(ZV_SINK_HANDLES, uBit); }
    CProcess& Process() { return m_proc; }

    std::vector<ZV_SINK_RECORD> Records() const
    {
        const std::string bytes = ReadFileBytes(m_strLog);
        std::vector<ZV_SINK_RECORD> recs(bytes.size() / sizeof(ZV_SINK_RECORD));
        if (!recs.empty())
            memcpy(recs.data(), bytes.data(), recs.size() * sizeof(ZV_SINK_RECORD));
        return recs;
    }
    // Records of one message that arrived after the mark.
    std::vector<ZV_SINK_RECORD> Since(size_t nMark, UINT uMsg) const
    {
        std::vector<ZV_SINK_RECORD> out;
        const auto recs = Records();
        for (size_t i = nMark; i < recs.size(); ++i)
            if (recs[i].uMsg == uMsg)
                out.push_back(recs[i]);
        return out;
    }
    size_t Mark() const { return Records().size(); }
    // Records after the mark that are not the test's markers.
    size_t Unmarked(size_t nMark) const
    {
        const auto recs = Records();
        size_t n = 0;
        for (size_t i = nMark; i < recs.size(); ++i)
            n += !(recs[i].uMsg == MSG_HOOK_CBT_WNDCHG && recs[i].wParam == kMarkerW);
        return n;
    }
    // Posts a marker to the sink's window and waits until the sink has recorded it. The window's
    // queue is served in order, so every hook message posted to it before the marker has been
    // recorded by then: the hooks of the window events post during the event, inside the call that
    // made it, and a low-level hook that runs ahead of the hooked sink's in the chain posts before
    // that sink's hook is called.
    bool Drain()
    {
        const LPARAM nSeq = ++m_nMarkers;
        if (!PostMessageW(m_hWnd, MSG_HOOK_CBT_WNDCHG, static_cast<WPARAM>(kMarkerW), nSeq))
            return false;
        return WaitUntil(
            [&] {
                for (const auto& r : Since(0, MSG_HOOK_CBT_WNDCHG))
                    if (r.wParam == kMarkerW && r.lParam == static_cast<uint64_t>(nSeq))
                        return true;
                return false;
            },
            kEventMs);
    }
    // Waits for a record of uMsg after the mark whose wParam is w (any wParam for ~0).
    bool WaitFor(size_t nMark, UINT uMsg, uint64_t w = ~0ull, DWORD dwTimeoutMs = kEventMs) const
    {
        return WaitUntil(
            [&] {
                for (const auto& r : Since(nMark, uMsg))
                    if (w == ~0ull || r.wParam == w)
                        return true;
                return false;
            },
            dwTimeoutMs);
    }

private:
    LRESULT Send(UINT uMsg, WPARAM wParam)
    {
        DWORD_PTR dwResult = 0;
        if (!SendMessageTimeoutW(m_hWnd, uMsg, wParam, 0, SMTO_NORMAL, 5000, &dwResult))
            return 0;
        return static_cast<LRESULT>(dwResult);
    }
    CProcess m_proc;
    HWND m_hWnd = nullptr;
    std::wstring m_strLog;
    LPARAM m_nMarkers = 0;
};

uint64_t H(HWND hWnd)
{
    return static_cast<uint64_t>(reinterpret_cast<ULONG_PTR>(hWnd));
}

// The hook may report a left or right modifier key where the input named the generic one.
WORD Generic(uint64_t vk)
{
    switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
        return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
        return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
        return VK_MENU;
    default:
        return static_cast<WORD>(vk);
    }
}

struct HOOKED_KEY {
    WORD vk;
    bool bUp;
    bool operator==(const HOOKED_KEY&) const = default;
};

std::vector<HOOKED_KEY> KeyEvents(const CSink& sink, size_t nMark)
{
    std::vector<HOOKED_KEY> out;
    for (const auto& r : sink.Since(nMark, MSG_HOOK_KEYBD))
        out.push_back({Generic(r.wParam), (r.lParam & 0x80000000ull) != 0});
    return out;
}

bool WaitForKeyUp(const CSink& sink, size_t nMark, WORD vk)
{
    return WaitUntil(
        [&] {
            const auto ev = KeyEvents(sink, nMark);
            return std::find(ev.begin(), ev.end(), HOOKED_KEY{vk, true}) != ev.end();
        },
        kEventMs);
}

size_t CountKey(const CSink& sink, size_t nMark, HOOKED_KEY key)
{
    const auto ev = KeyEvents(sink, nMark);
    return static_cast<size_t>(std::count(ev.begin(), ev.end(), key));
}

TEST(HookLib, ExportsAndInstallRemoveRoundTrip)
{
    CSink sink;
    ASSERT_TRUE(sink.Start(L"RoundTrip")) << "the sink did not start or could not load both libraries";
    EXPECT_EQ(sink.Install(ZV_SINK_ALL), ZV_SINK_ALL) << "every installing call gives a handle";
    const LRESULT hCbt = sink.Handle(ZV_SINK_CBT64), hKeybd = sink.Handle(ZV_SINK_KEYBD64);
    EXPECT_NE(hCbt, 0);
    EXPECT_NE(hCbt, hKeybd);
    EXPECT_EQ(sink.Remove(ZV_SINK_ALL), ZV_SINK_ALL) << "every removing call gives NULL";
    EXPECT_EQ(sink.Handle(ZV_SINK_CBT64), 0);
    EXPECT_EQ(sink.Install(ZV_SINK_ALL), ZV_SINK_ALL) << "installing again after a removal";
}

TEST(HookLib, KeyboardHookReportsHeldCombinationWithKeyCodesAndReleaseFlags)
{
    CSink sink;
    ASSERT_TRUE(sink.Start(L"Keys"));
    ASSERT_EQ(sink.Install(ZV_SINK_KEYBD64), ZV_SINK_KEYBD64);
    const size_t nMark = sink.Mark();
    ASSERT_TRUE(HoldKeys({VK_CONTROL, VK_SHIFT, 'J'}));
    ASSERT_TRUE(WaitForKeyUp(sink, nMark, VK_CONTROL)) << "the last release never arrived";

    const std::vector<HOOKED_KEY> expected = {{VK_CONTROL, false}, {VK_SHIFT, false}, {'J', false},
                                              {'J', true},         {VK_SHIFT, true},  {VK_CONTROL, true}};
    EXPECT_EQ(KeyEvents(sink, nMark), expected) << "each key down and up once, in order";
    for (const auto& r : sink.Since(nMark, MSG_HOOK_KEYBD)) {
        const bool bUp = (r.lParam & 0x80000000ull) != 0;
        EXPECT_EQ(r.lParam & 0xFFFF, 1u) << "repeat count";
        if (bUp) {
            EXPECT_NE(r.lParam & 0x40000000ull, 0u) << "a released key was down before";
        }
        if (Generic(r.wParam) == 'J') {
            EXPECT_EQ((r.lParam >> 16) & 0xFF, MapVirtualKeyW('J', MAPVK_VK_TO_VSC)) << "scan code";
        }
    }
    EXPECT_EQ(sink.Remove(ZV_SINK_KEYBD64), ZV_SINK_KEYBD64);
}

TEST(HookLib, MouseHookReportsMovesAndButtons)
{
    CSink sink;
    ASSERT_TRUE(sink.Start(L"Mouse"));
    ASSERT_EQ(sink.Install(ZV_SINK_MOUSE64), ZV_SINK_MOUSE64);
    size_t nMark = sink.Mark();
    ASSERT_TRUE(MouseMoveTo(200, 150));
    ASSERT_TRUE(MouseMoveTo(260, 190));
    EXPECT_TRUE(sink.WaitFor(nMark, MSG_HOOK_MOUSE, WM_MOUSEMOVE));
    for (const auto& r : sink.Since(nMark, MSG_HOOK_MOUSE))
        EXPECT_EQ(r.lParam, 0u);

    nMark = sink.Mark();
    ASSERT_TRUE(MouseWheel(1));
    EXPECT_TRUE(sink.WaitFor(nMark, MSG_HOOK_MOUSE, WM_MOUSEWHEEL)) << "wParam carries the mouse message";
}

// Activation, window creation and destruction, minimise and maximise, through one library; the
// other library, hooked meanwhile by another caller, hears none of them (each event comes once).
// The gateway's library reports only windows that stand for a 32-bit program's (their class).
void CheckWindowEvents(unsigned uHook, unsigned uOther, const std::wstring& strName, bool bStandIn32)
{
    CTestWnds tw;
    std::vector<std::wstring> args{WndArg(100, 100, 300, 200, L"HookLib A"), WndArg(450, 120, 300, 200, L"HookLib B")};
    if (bStandIn32)
        args.push_back(L"/CLASS=ZvStandIn32");
    ASSERT_TRUE(tw.Start(args));
    const HWND hA = tw.Window(L"HookLib A"), hB = tw.Window(L"HookLib B");
    ASSERT_TRUE(hA && hB);
    ASSERT_TRUE(tw.Foreground(hA));

    CSink sink, other;
    ASSERT_TRUE(sink.Start(strName));
    ASSERT_EQ(sink.Install(uHook), uHook);
    ASSERT_TRUE(other.Start(strName + L" other"));
    ASSERT_EQ(other.Install(uOther), uOther);
    const size_t nOther = other.Mark();

    size_t nMark = sink.Mark();
    ASSERT_TRUE(tw.Foreground(hB));
    EXPECT_TRUE(sink.WaitFor(nMark, MSG_HOOK_CBT_ACTIVATE, H(hB))) << "activation carries the window";
    for (const auto& r : sink.Since(nMark, MSG_HOOK_CBT_ACTIVATE))
        EXPECT_EQ(r.lParam, 0u);

    nMark = sink.Mark();
    const HWND hC = tw.Create(WndArg(200, 300, 250, 150, L"HookLib C"));
    ASSERT_TRUE(hC);
    EXPECT_TRUE(sink.WaitFor(nMark, MSG_HOOK_CBT_WNDCHG)) << "a new top-level window";
    nMark = sink.Mark();
    ASSERT_TRUE(tw.Close(hC));
    EXPECT_TRUE(sink.WaitFor(nMark, MSG_HOOK_CBT_WNDCHG)) << "a destroyed top-level window";
    nMark = sink.Mark();
    const HWND hOwned = tw.Create(WndArg(220, 320, 200, 120, L"HookLib Owned", L"owned"));
    ASSERT_TRUE(hOwned);
    EXPECT_TRUE(sink.WaitFor(nMark, MSG_HOOK_CBT_WNDCHG)) << "a new owned top-level window (a dialog)";
    nMark = sink.Mark();
    ASSERT_TRUE(tw.Close(hOwned));
    EXPECT_TRUE(sink.WaitFor(nMark, MSG_HOOK_CBT_WNDCHG)) << "a destroyed owned window";
    for (const auto& r : sink.Since(0, MSG_HOOK_CBT_WNDCHG))
        EXPECT_EQ(r.wParam | r.lParam, 0u);

    nMark = sink.Mark();
    ASSERT_TRUE(tw.Show(hA, SW_MINIMIZE));
    EXPECT_TRUE(sink.WaitFor(nMark, MSG_HOOK_CBT_MINMAX, H(hA)));
    auto mm = sink.Since(nMark, MSG_HOOK_CBT_MINMAX);
    ASSERT_FALSE(mm.empty());
    EXPECT_EQ(mm.front().lParam & 0xFFFF, static_cast<uint64_t>(SW_MINIMIZE));
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(hA) != FALSE; }, kEventMs)) << "a 0 answer lets it happen";

    nMark = sink.Mark();
    ASSERT_TRUE(tw.Show(hB, SW_MAXIMIZE));
    EXPECT_TRUE(sink.WaitFor(nMark, MSG_HOOK_CBT_MINMAX, H(hB)));
    mm = sink.Since(nMark, MSG_HOOK_CBT_MINMAX);
    ASSERT_FALSE(mm.empty());
    EXPECT_EQ(mm.front().lParam & 0xFFFF, static_cast<uint64_t>(SW_MAXIMIZE));
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(hB) != FALSE; }, kEventMs));
    PumpFor(kQuietMs);
    ASSERT_TRUE(other.Drain());
    EXPECT_EQ(other.Unmarked(nOther), 0u) << "the other library reported these windows too";
}

TEST(HookLib, CbtHook64ReportsActivationWindowSetAndMinMax)
{
    CheckWindowEvents(ZV_SINK_CBT64, ZV_SINK_CBT, L"Cbt64", false);
}

TEST(HookLib, CbtHookOfTheGatewayLibraryReportsTheSameEventsOfItsWindows)
{
    CheckWindowEvents(ZV_SINK_CBT, ZV_SINK_CBT64, L"Cbt32", true);
}

TEST(HookLib, AnswerOneToMaximiseCancelsItInTheHookedProcess)
{
    CTestWnds tw;
    const HWND hWnd = tw.StartTitled({WndArg(100, 100, 300, 200, L"HookLib Max")})[0];
    ASSERT_TRUE(hWnd);
    CSink sink;
    ASSERT_TRUE(sink.Start(L"MaxCancel", L"/MAXCANCEL=40,50,500,400"));
    ASSERT_EQ(sink.Install(ZV_SINK_CBT64), ZV_SINK_CBT64);

    const size_t nMark = sink.Mark();
    ASSERT_TRUE(tw.Show(hWnd, SW_MAXIMIZE));
    ASSERT_TRUE(sink.WaitFor(nMark, MSG_HOOK_CBT_MINMAX, H(hWnd)));
    EXPECT_EQ(sink.Since(nMark, MSG_HOOK_CBT_MINMAX).front().uResult, 1u);
    EXPECT_TRUE(WaitForRect(hWnd, RectOf(40, 50, 500, 400))) << "the sink's own placement stays";
    EXPECT_FALSE(IsZoomed(hWnd)) << "the system's maximise was dropped";
    WINDOWPLACEMENT wp{sizeof(wp)};
    ASSERT_TRUE(tw.GetPlacement(hWnd, wp));
    EXPECT_NE(wp.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
}

TEST(HookLib, EachCallerHasItsOwnHooksAndRemovalStopsOnlyItsMessages)
{
    CTestWnds tw;
    const auto [hP, hQ] =
        tw.StartTitled({WndArg(100, 100, 300, 200, L"HookLib P"), WndArg(450, 120, 300, 200, L"HookLib Q")});
    ASSERT_TRUE(hP && hQ);
    const unsigned uHooks = ZV_SINK_CBT64 | ZV_SINK_KEYBD64 | ZV_SINK_MOUSE64;
    CSink first, second;
    ASSERT_TRUE(first.Start(L"First"));
    ASSERT_TRUE(second.Start(L"Second"));
    ASSERT_EQ(first.Install(uHooks), uHooks);
    ASSERT_EQ(second.Install(uHooks), uHooks);

    // Both see every event, once each.
    size_t n1 = first.Mark(), n2 = second.Mark();
    ASSERT_TRUE(HoldKeys({'K'}));
    ASSERT_TRUE(WaitForKeyUp(first, n1, 'K'));
    ASSERT_TRUE(WaitForKeyUp(second, n2, 'K'));
    ASSERT_TRUE(tw.Foreground(hP));
    EXPECT_TRUE(first.WaitFor(n1, MSG_HOOK_CBT_ACTIVATE, H(hP)));
    EXPECT_TRUE(second.WaitFor(n2, MSG_HOOK_CBT_ACTIVATE, H(hP)));
    PumpFor(kQuietMs);
    ASSERT_TRUE(first.Drain());
    ASSERT_TRUE(second.Drain());
    EXPECT_EQ(CountKey(first, n1, {'K', false}), 1u);
    EXPECT_EQ(CountKey(second, n2, {'K', false}), 1u);

    // The second removes its hooks: it hears nothing more, the first still everything.
    EXPECT_EQ(second.Remove(uHooks), uHooks);
    n1 = first.Mark();
    n2 = second.Mark();
    ASSERT_TRUE(HoldKeys({'L'}));
    ASSERT_TRUE(MouseMoveTo(320, 240));
    ASSERT_TRUE(tw.Foreground(hQ));
    EXPECT_TRUE(WaitForKeyUp(first, n1, 'L'));
    EXPECT_TRUE(first.WaitFor(n1, MSG_HOOK_MOUSE));
    EXPECT_TRUE(first.WaitFor(n1, MSG_HOOK_CBT_ACTIVATE, H(hQ)));
    PumpFor(kQuietMs);
    ASSERT_TRUE(second.Drain());
    EXPECT_EQ(second.Unmarked(n2), 0u) << "a removed caller still received hook messages";

    // The second installs again and the first removes: now only the second hears.
    ASSERT_EQ(second.Install(uHooks), uHooks);
    EXPECT_EQ(first.Remove(uHooks), uHooks);
    n1 = first.Mark();
    n2 = second.Mark();
    ASSERT_TRUE(HoldKeys({'M'}));
    ASSERT_TRUE(tw.Foreground(hP));
    EXPECT_TRUE(WaitForKeyUp(second, n2, 'M'));
    EXPECT_TRUE(second.WaitFor(n2, MSG_HOOK_CBT_ACTIVATE, H(hP)));
    PumpFor(kQuietMs);
    ASSERT_TRUE(first.Drain());
    EXPECT_EQ(first.Unmarked(n1), 0u);
}

TEST(HookLib, HookOfACallerThatEndedWithoutRemovingIsGoneAndItsPlaceReused)
{
    CTestWnds tw;
    const auto [hR, hS] =
        tw.StartTitled({WndArg(100, 100, 300, 200, L"HookLib R"), WndArg(450, 120, 300, 200, L"HookLib S")});
    ASSERT_TRUE(hR && hS);
    ASSERT_TRUE(tw.Foreground(hR));
    // More callers come and go without removing than the libraries have places for.
    for (int i = 0; i < 10; ++i) {
        CSink gone;
        ASSERT_TRUE(gone.Start(L"Gone" + std::to_wstring(i)));
        ASSERT_EQ(gone.Install(ZV_SINK_CBT64 | ZV_SINK_CBT), ZV_SINK_CBT64 | ZV_SINK_CBT) << "caller " << i;
        gone.Process().Stop(0);  // terminated: no removing call
        ASSERT_TRUE(gone.Process().WaitForExit(5000).has_value());
    }
    CSink sink;
    ASSERT_TRUE(sink.Start(L"After"));
    ASSERT_EQ(sink.Install(ZV_SINK_CBT64), ZV_SINK_CBT64);
    const size_t nMark = sink.Mark();
    ASSERT_TRUE(tw.Foreground(hS));
    EXPECT_TRUE(sink.WaitFor(nMark, MSG_HOOK_CBT_ACTIVATE, H(hS)));
    ASSERT_TRUE(tw.Foreground(hR));
    EXPECT_TRUE(sink.WaitFor(nMark, MSG_HOOK_CBT_ACTIVATE, H(hR)));
}

}  // namespace
