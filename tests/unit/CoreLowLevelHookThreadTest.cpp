// Core: the low-level hook thread hands each key and mouse event on to the window and as the
// message its caller named, from the hooks of ZvHook64 it holds on a thread of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <utility>
#include <vector>

#include "LowLevelHookThread.h"
#include "PumpUntil.h"

namespace {

constexpr UINT kMsgKeys = WM_APP + 40;
constexpr UINT kMsgMouse = WM_APP + 41;
constexpr ULONG_PTR kTag = 0x5A764C4C;  // dwExtraInfo of this test's own input
constexpr WORD kKey = VK_F24;           // no key row uses it

struct RECEIVED {
    std::vector<WPARAM> keys;   // wParam of each key message: the virtual key
    std::vector<WPARAM> mouse;  // wParam of each mouse message: the mouse message
    // Every event's message and wParam, keys and mouse events alike, as they came: unit tests run
    // side by side, and the hooks see the input of all of them.
    std::vector<std::pair<UINT, WPARAM>> order;
};

LRESULT CALLBACK SinkProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    auto* pGot = reinterpret_cast<RECEIVED*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (pGot && (uMsg == kMsgKeys || uMsg == kMsgMouse))
        pGot->order.emplace_back(uMsg, wParam);
    if (pGot && uMsg == kMsgKeys && wParam == kKey) {
        pGot->keys.push_back(wParam);
        return 0;
    }
    if (pGot && uMsg == kMsgMouse) {
        pGot->mouse.push_back(wParam);
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

// A message-only window of this thread that records what reaches it.
class CSink {
public:
    CSink()
    {
        static const bool s_bRegistered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = SinkProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"ZvHookThreadTestSink";
            return RegisterClassW(&wc) != 0;
        }();
        (void)s_bRegistered;
        m_hWnd = CreateWindowExW(0, L"ZvHookThreadTestSink", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&m_got));
    }
    ~CSink() { DestroyWindow(m_hWnd); }
    HWND Wnd() const { return m_hWnd; }
    const RECEIVED& Got() const { return m_got; }

private:
    HWND m_hWnd = nullptr;
    RECEIVED m_got;
};

void SendKey(bool bUp, WORD wVk = kKey)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = wVk;
    in.ki.dwFlags = bUp ? KEYEVENTF_KEYUP : 0;
    in.ki.dwExtraInfo = kTag;
    SendInput(1, &in, sizeof(in));
}

void SendMouseMove(int dx, DWORD dwFlags = MOUSEEVENTF_MOVE, DWORD dwData = 0)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = dx;
    in.mi.dwFlags = dwFlags;
    in.mi.mouseData = dwData;
    in.mi.dwExtraInfo = kTag;
    SendInput(1, &in, sizeof(in));
}

}  // namespace

TEST(CoreLowLevelHookThread, EventsReachTheNamedWindowAsItsMessageAndFollowTheHookWhenItMoves)
{
    CLowLevelHookThread thread;
    ASSERT_TRUE(thread.Start());
    CSink first, second;
    ASSERT_NE(nullptr, thread.SetKeybdHook(first.Wnd(), kMsgKeys));
    ASSERT_NE(nullptr, thread.SetMouseHook(first.Wnd(), kMsgMouse));

    SendKey(false);
    SendKey(true);
    SendMouseMove(1);
    ASSERT_TRUE(PumpUntil([&] { return first.Got().keys.size() >= 2 && !first.Got().mouse.empty(); }, 5000))
        << "keys " << first.Got().keys.size() << ", mouse events " << first.Got().mouse.size();
    EXPECT_EQ(WPARAM{WM_MOUSEMOVE}, first.Got().mouse.front());

    // Installed again for another window: the events go there, none to the first any more.
    const size_t nFirstKeys = first.Got().keys.size();
    ASSERT_NE(nullptr, thread.SetKeybdHook(second.Wnd(), kMsgKeys));
    SendKey(false);
    SendKey(true);
    ASSERT_TRUE(PumpUntil([&] { return second.Got().keys.size() >= 2; }, 5000));
    EXPECT_EQ(nFirstKeys, first.Got().keys.size());

    EXPECT_EQ(nullptr, thread.SetKeybdHook(nullptr, 0));
    EXPECT_EQ(nullptr, thread.SetMouseHook(nullptr, 0));
    thread.Stop();
}

TEST(CoreLowLevelHookThread, EventsHandedOnLaterKeepTheirOrderAndAButtonTakesThoseBeforeItAlong)
{
    CLowLevelHookThread thread;
    ASSERT_TRUE(thread.Start());
    CSink sink;
    ASSERT_NE(nullptr, thread.SetKeybdHook(sink.Wnd(), kMsgKeys));
    ASSERT_NE(nullptr, thread.SetMouseHook(sink.Wnd(), kMsgMouse));

    // A key and a side button that no other test sends: the key waits on the hook thread, the
    // button goes at once and must take the key along ahead of itself.
    constexpr WORD kOwnKey = VK_F23;
    SendKey(false, kOwnKey);
    SendMouseMove(0, MOUSEEVENTF_XDOWN, XBUTTON1);
    SendMouseMove(0, MOUSEEVENTF_XUP, XBUTTON1);
    SendKey(true, kOwnKey);
    const std::vector<std::pair<UINT, WPARAM>> expected{
        {kMsgKeys, kOwnKey}, {kMsgMouse, WM_XBUTTONDOWN}, {kMsgMouse, WM_XBUTTONUP}, {kMsgKeys, kOwnKey}};
    std::vector<std::pair<UINT, WPARAM>> ours;
    ASSERT_TRUE(PumpUntil(
        [&] {
            ours.clear();
            for (const auto& e : sink.Got().order)
                if (e.second == kOwnKey || e.second == WM_XBUTTONDOWN || e.second == WM_XBUTTONUP)
                    ours.push_back(e);
            return ours.size() >= expected.size();
        },
        5000))
        << ours.size();
    EXPECT_EQ(ours, expected);

    EXPECT_EQ(nullptr, thread.SetKeybdHook(nullptr, 0));
    EXPECT_EQ(nullptr, thread.SetMouseHook(nullptr, 0));
    thread.Stop();
}

TEST(CoreLowLevelHookThread, AWindowThatIsNoneIsRefusedWithItsReason)
{
    CLowLevelHookThread thread;
    ASSERT_TRUE(thread.Start());
    HWND hGone = nullptr;
    {
        CSink sink;
        hGone = sink.Wnd();
    }
    SetLastError(0);
    EXPECT_EQ(nullptr, thread.SetKeybdHook(hGone, kMsgKeys));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), GetLastError());
    CLowLevelHookThread stopped;
    EXPECT_EQ(nullptr, stopped.SetMouseHook(hGone, kMsgMouse));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_THREAD_ID), GetLastError());
}
