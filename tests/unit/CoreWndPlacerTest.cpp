// Core: the window placer moves another thread's window without waiting for that thread, reports
// it where it was sent until the move has been handled, and then lets the window say where it is.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "Handle.h"
#include "PumpUntil.h"
#include "WndPlacer.h"

static bool operator==(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

static void PrintTo(const RECT& rc, std::ostream* os)
{
    *os << "(" << rc.left << "," << rc.top << ")-(" << rc.right << "," << rc.bottom << ")";
}

namespace {

LRESULT CALLBACK StayProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // A window that keeps its place, as some programs' windows do.
    if (uMsg == WM_WINDOWPOSCHANGING)
        reinterpret_cast<WINDOWPOS*>(lParam)->flags |= SWP_NOMOVE;
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

HWND MakeWindow(bool bStays)
{
    static const bool s_bRegistered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ZvPlacerTestWnd";
        RegisterClassW(&wc);
        wc.lpfnWndProc = StayProc;
        wc.lpszClassName = L"ZvPlacerStayWnd";
        RegisterClassW(&wc);
        return true;
    }();
    (void)s_bRegistered;
    return CreateWindowExW(WS_EX_TOOLWINDOW, bStays ? L"ZvPlacerStayWnd" : L"ZvPlacerTestWnd", L"placer", WS_POPUP,
                           10, 20, 200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// A window on a thread of its own that does not look at its queue until it is let go: a hung program.
class CHungThreadWnd {
public:
    // bSecond: a second window on the same thread.
    explicit CHungThreadWnd(bool bStays = false, bool bSecond = false)
    {
        m_thread = std::thread([this, bStays, bSecond] {
            HWND hSecond = bSecond ? MakeWindow(false) : nullptr;
            m_hWnd2 = hSecond;
            HWND hWnd = MakeWindow(bStays);
            m_hWnd = hWnd;
            WaitForSingleObject(m_hEvtGo.get(), INFINITE);
            MSG msg;
            while (!m_bQuit && GetMessageW(&msg, nullptr, 0, 0) > 0)
                DispatchMessageW(&msg);
            DestroyWindow(hWnd);
            if (hSecond)
                DestroyWindow(hSecond);
        });
        while (!m_hWnd)
            Sleep(1);
    }
    ~CHungThreadWnd()
    {
        m_bQuit = true;
        SetEvent(m_hEvtGo.get());
        PostMessageW(m_hWnd, WM_NULL, 0, 0);
        m_thread.join();
    }
    void Wake() { SetEvent(m_hEvtGo.get()); }
    HWND Wnd() const { return m_hWnd; }
    HWND Wnd2() const { return m_hWnd2; }

private:
    CHandle m_hEvtGo{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<HWND> m_hWnd{nullptr};
    std::atomic<HWND> m_hWnd2{nullptr};
    std::atomic<bool> m_bQuit{false};
    std::thread m_thread;
};

RECT RealRect(HWND hWnd)
{
    RECT rc{};
    GetWindowRect(hWnd, &rc);
    return rc;
}

}  // namespace

TEST(CoreWndPlacer, AHungWindowIsNotWaitedForAndCatchesUpWithTheLastMoveWhenItWakes)
{
    CHungThreadWnd wnd;
    CWndPlacer placer;
    // Were the placer to wait for the window's thread, these calls would never return.
    ASSERT_TRUE(placer.MoveTo(wnd.Wnd(), 100, 50));
    ASSERT_TRUE(placer.MoveTo(wnd.Wnd(), 130, 70));
    EXPECT_EQ(10, RealRect(wnd.Wnd()).left) << "the hung window has not moved yet";
    RECT rc{};
    ASSERT_TRUE(placer.GetWindowRect(wnd.Wnd(), &rc));
    EXPECT_EQ((RECT{130, 70, 330, 170}), rc) << "seen where it was sent, with its own size";
    EXPECT_EQ(1u, placer.GetPendingCount());

    wnd.Wake();
    ASSERT_TRUE(PumpUntil([&] { return placer.GetPendingCount() == 0; }));
    EXPECT_EQ((RECT{130, 70, 330, 170}), RealRect(wnd.Wnd()));
    ASSERT_TRUE(placer.GetWindowRect(wnd.Wnd(), &rc));
    EXPECT_EQ(RealRect(wnd.Wnd()), rc);
}

TEST(CoreWndPlacer, AWindowThatRefusesTheMoveIsSeenWhereItStaysOnceItHasAnswered)
{
    CHungThreadWnd wnd(true);
    CWndPlacer placer;
    ASSERT_TRUE(placer.MoveTo(wnd.Wnd(), 300, 300));
    wnd.Wake();
    ASSERT_TRUE(PumpUntil([&] { return placer.GetPendingCount() == 0; }));
    RECT rc{};
    ASSERT_TRUE(placer.GetWindowRect(wnd.Wnd(), &rc));
    EXPECT_EQ((RECT{10, 20, 210, 120}), rc);
}

TEST(CoreWndPlacer, AWindowOfThisThreadMovesAtOnceAndAGoneWindowIsForgotten)
{
    HWND hOwn = MakeWindow(false);
    CWndPlacer placer;
    ASSERT_TRUE(placer.MoveTo(hOwn, -40, 60));
    EXPECT_EQ((RECT{-40, 60, 160, 160}), RealRect(hOwn));
    EXPECT_EQ(0u, placer.GetPendingCount());
    DestroyWindow(hOwn);

    HWND hGone = nullptr;
    {
        CHungThreadWnd wnd;
        hGone = wnd.Wnd();
        ASSERT_TRUE(placer.MoveTo(hGone, 5, 5));
    }
    // The next move drops what waits for a window that is no more.
    CHungThreadWnd other;
    ASSERT_TRUE(placer.MoveTo(other.Wnd(), 7, 7));
    EXPECT_EQ(1u, placer.GetPendingCount());
    RECT rc{};
    EXPECT_FALSE(placer.GetWindowRect(hGone, &rc));
}

TEST(CoreWndPlacer, APlacementForAHungWindowIsSentWithoutWaitingAndTakenWhenItWakes)
{
    CHungThreadWnd wnd;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    ASSERT_TRUE(GetWindowPlacement(wnd.Wnd(), &wp));
    wp.showCmd = SW_SHOWNORMAL;
    wp.rcNormalPosition = RECT{60, 70, 360, 270};
    // Run where a wait cannot hold the test: the hung thread is let go if the call has not returned.
    std::atomic<bool> bReturned{false};
    std::thread caller([&] {
        SetPlacementNoWait(wnd.Wnd(), wp);
        bReturned = true;
    });
    const DWORD dwStart = GetTickCount();
    while (!bReturned && GetTickCount() - dwStart < 2000)
        Sleep(10);
    const bool bWaited = !bReturned;
    wnd.Wake();
    caller.join();
    EXPECT_FALSE(bWaited) << "the call waited for the hung window's thread";
    ASSERT_TRUE(PumpUntil([&] { return RealRect(wnd.Wnd()) == (RECT{60, 70, 360, 270}); }));
}

TEST(CoreWndPlacer, APlacementMinimisedOrMaximisedKeepsItsRestoredRectangleForTheNextRestore)
{
    CHungThreadWnd wnd;
    wnd.Wake();
    const auto restoredRect = [&] {
        WINDOWPLACEMENT wpNow{};
        wpNow.length = sizeof(wpNow);
        GetWindowPlacement(wnd.Wnd(), &wpNow);
        return wpNow.rcNormalPosition;
    };
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    ASSERT_TRUE(GetWindowPlacement(wnd.Wnd(), &wp));
    wp.showCmd = SW_MINIMIZE;
    wp.rcNormalPosition = RECT{60, 70, 360, 270};
    SetPlacementNoWait(wnd.Wnd(), wp);
    EXPECT_TRUE(PumpUntil([&] { return IsIconic(wnd.Wnd()) && restoredRect() == (RECT{60, 70, 360, 270}); }))
        << "minimised at its old restored place";

    // From minimised to maximised, and back to a restored rectangle of its own.
    wp.showCmd = SW_SHOWMAXIMIZED;
    wp.rcNormalPosition = RECT{80, 90, 280, 190};
    SetPlacementNoWait(wnd.Wnd(), wp);
    EXPECT_TRUE(PumpUntil([&] { return IsZoomed(wnd.Wnd()) && restoredRect() == (RECT{80, 90, 280, 190}); }));
    ShowWindowAsync(wnd.Wnd(), SW_RESTORE);
    EXPECT_TRUE(PumpUntil([&] { return !IsZoomed(wnd.Wnd()) && RealRect(wnd.Wnd()) == (RECT{80, 90, 280, 190}); }));
}

TEST(CoreWndPlacer, ABatchAsksEachThreadOnceAndItsAnswerCoversEveryWindowOfThatThread)
{
    CHungThreadWnd a, b;
    CWndPlacer placer;
    {
        CWndPlacerBatch batch(placer);
        ASSERT_TRUE(placer.MoveTo(a.Wnd(), 100, 50));
        ASSERT_TRUE(placer.MoveTo(b.Wnd(), 300, 60));
        EXPECT_EQ(0u, placer.GetQuestionCount()) << "asked before the batch ended";
    }
    EXPECT_EQ(2u, placer.GetQuestionCount()) << "one question for each thread";
    EXPECT_EQ(2u, placer.GetPendingCount());
    // A later move while the first is on its way waits for the answer, as outside a batch.
    {
        CWndPlacerBatch batch(placer);
        ASSERT_TRUE(placer.MoveTo(a.Wnd(), 140, 50));
    }
    EXPECT_EQ(2u, placer.GetQuestionCount());
    RECT rc{};
    ASSERT_TRUE(placer.GetWindowRect(a.Wnd(), &rc));
    EXPECT_EQ((RECT{140, 50, 340, 150}), rc);

    a.Wake();
    b.Wake();
    ASSERT_TRUE(PumpUntil([&] { return placer.GetPendingCount() == 0; }));
    EXPECT_EQ(0u, placer.GetQuestionCount());
    EXPECT_EQ((RECT{140, 50, 340, 150}), RealRect(a.Wnd()));
    EXPECT_EQ((RECT{300, 60, 500, 160}), RealRect(b.Wnd()));
}

TEST(CoreWndPlacer, TwoWindowsOfOneThreadAreAnsweredByOneQuestion)
{
    CHungThreadWnd wnd(false, true);
    CWndPlacer placer;
    {
        CWndPlacerBatch batch(placer);
        ASSERT_TRUE(placer.MoveTo(wnd.Wnd(), 11, 12));
        ASSERT_TRUE(placer.MoveTo(wnd.Wnd2(), 13, 14));
    }
    EXPECT_EQ(1u, placer.GetQuestionCount());
    wnd.Wake();
    ASSERT_TRUE(PumpUntil([&] { return placer.GetPendingCount() == 0; }));
    EXPECT_EQ((RECT{11, 12, 211, 112}), RealRect(wnd.Wnd()));
    EXPECT_EQ((RECT{13, 14, 213, 114}), RealRect(wnd.Wnd2()));
}
