// Undo of the core program: scrolls by key and by wheel, a cascade and a window resize are taken
// back by the Undo key or by command 32771, as far as Undo "Depth" reaches and no further.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "CoreRun.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;

namespace {

constexpr wchar_t kUndoLine[] = L"アンドゥ実行 : ";
constexpr wchar_t kSaveScrollLine[] = L"アンドゥデータの保存 : スクロールとウィンドウの並べ替え";

class CoreUndo : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RegDeleteSettings());
        ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
    }

    std::wstring Log() const { return m_run.Log(); }

    bool StartAll()
    {
        const auto hWnds =
            m_wnds.StartTitled({WndArg(300, 200, 300, 200, L"Zv Undo A"), WndArg(700, 450, 250, 180, L"Zv Undo B")});
        m_hA = hWnds[0];
        m_hB = hWnds[1];
        m_st0 = Now();
        return m_hA && m_hB && m_run.Start();
    }

    bool Keys(std::initializer_list<WORD> vks) { return m_run.TypeAndSettle(vks); }
    bool UndoKey() { return Keys({VK_CONTROL, VK_MENU, 'Z'}); }
    bool Undo() { return m_run.Command(ID_ZV_UNDO, true); }
    // A wheel turn toward the user over a scroll-bar window, the road of a real one: right over the
    // horizontal bar, down over the vertical one, by the wheel's line.
    bool Wheel(bool bVert) { return m_run.PostWheel(bVert, -WHEEL_DELTA) && m_run.WaitForMoveEnd(); }

    struct STATE {
        RECT rcA, rcB;
    };
    STATE Now() const { return {WindowRect(m_hA), WindowRect(m_hB)}; }
    // An undo by command (or by the Undo key), then both windows where st has them.
    void UndoTo(const STATE& st, const char* pszWhat, bool bKey = false)
    {
        ASSERT_TRUE(bKey ? UndoKey() : Undo()) << pszWhat;
        ExpectAt(st, pszWhat);
    }
    void ExpectAt(const STATE& st, const char* pszWhat) const
    {
        EXPECT_TRUE(SameRect(st.rcA, WindowRect(m_hA))) << pszWhat;
        EXPECT_TRUE(SameRect(st.rcB, WindowRect(m_hB))) << pszWhat;
    }

    // With ResizeWnd on, the commit key makes the foreground window A the one the core program
    // watches; then A's own program resizes and moves it.
    void WatchAAndMoveIt()
    {
        ASSERT_TRUE(m_wnds.Foreground(m_hA));
        constexpr wchar_t kWatched[] = L"アンドゥ用アクティブウィンドウデータ保存 : ウィンドウ = Zv Undo A,";
        const size_t nSaved = CountOf(Log(), kWatched);
        ASSERT_TRUE(HoldKeys({VK_F9}));
        ASSERT_TRUE(WaitUntil([&] { return CountOf(Log(), kWatched) > nSaved; }, 10000, 50));
        WINDOWPLACEMENT wp{sizeof(wp)};
        ASSERT_TRUE(m_wnds.GetPlacement(m_hA, wp));
        wp.rcNormalPosition = RECT{250, 150, 650, 450};
        ASSERT_TRUE(m_wnds.SetPlacement(m_hA, wp));
        ASSERT_TRUE(WaitUntil([&] { return SameRect(RECT{250, 150, 650, 450}, WindowRect(m_hA)); }, 5000, 50));
    }

    CRegistryGuard m_guard{kMakerKey};
    CCoreRun m_run{L"ZvCoreUndoTest"};
    CTestWnds m_wnds;
    HWND m_hA = nullptr, m_hB = nullptr;
    STATE m_st0{};
};

}  // namespace

TEST_F(CoreUndo, KeyScrollsAreUndoneExactlyUpToDepthAndNoFurther)
{
    ASSERT_TRUE(RegSetDword(L"Undo", L"Depth", 3));
    ASSERT_TRUE(StartAll());
    STATE st[4];
    int n = 0;
    for (WORD vk : {VK_LEFT, VK_DOWN, VK_RIGHT}) {
        st[n++] = Now();
        ASSERT_TRUE(vk == VK_RIGHT ? Keys({VK_SHIFT, VK_CONTROL, VK_MENU, vk}) : Keys({VK_CONTROL, VK_MENU, vk}));
    }
    st[3] = Now();
    ASSERT_TRUE(Keys({VK_CONTROL, VK_MENU, VK_UP}));
    EXPECT_TRUE(SameRect(Shifted(m_st0.rcA, -190, 0), WindowRect(m_hA)));
    EXPECT_EQ(4u, CountOf(Log(), kSaveScrollLine));
    EXPECT_EQ(2u, CountOf(Log(), L"モード = 水平スクロール."));
    EXPECT_EQ(2u, CountOf(Log(), L"モード = 垂直スクロール."));

    // The Undo key, then the command: each takes one step back.
    UndoTo(st[3], "first undo (Undo key)", true);
    UndoTo(st[2], "second undo");
    UndoTo(st[1], "third undo");
    // Depth 3: the record of the first scroll went with the fourth.
    UndoTo(st[1], "a fourth undo finds nothing");
    UndoTo(st[1], "nor does the key", true);
    EXPECT_EQ(3u, CountOf(Log(), kUndoLine));
}

TEST_F(CoreUndo, DepthZeroFromTheRegistryStillKeepsOneStep)
{
    ASSERT_TRUE(RegSetDword(L"Undo", L"Depth", 0));
    ASSERT_TRUE(StartAll());
    ASSERT_TRUE(Keys({VK_CONTROL, VK_MENU, VK_LEFT}));
    const STATE st1 = Now();
    ASSERT_TRUE(Keys({VK_CONTROL, VK_MENU, VK_LEFT}));
    // A delete-last request that names no save of the last item deletes nothing.
    for (WPARAM nTicket : {WPARAM{0}, WPARAM{999}})
        ASSERT_TRUE(PostMessageW(m_run.Wnd(), MSG_DEL_LAST_UNDO, nTicket, 0));
    // Handled in their order before the undo: a deleted step would leave the undo nothing to do.
    ASSERT_TRUE(m_run.WaitForMoveEnd());
    UndoTo(st1, "undo at Depth 0");
    UndoTo(st1, "only one step kept");
}

TEST_F(CoreUndo, WithScrollOffAScrollIsNotUndoneButACascadeIs)
{
    ASSERT_TRUE(RegSetDword(L"Undo", L"Scroll", 0));
    ASSERT_TRUE(StartAll());
    ASSERT_TRUE(Keys({VK_CONTROL, VK_MENU, VK_LEFT}));
    const STATE stScrolled = Now();
    EXPECT_TRUE(SameRect(Shifted(m_st0.rcA, 10, 0), stScrolled.rcA));
    EXPECT_NE(Log().find(L"CZvCoreDlg::SaveForUndo() returned FALSE @ p8, bUndoScroll = 0, mode = 5."), std::wstring::npos);

    ASSERT_TRUE(m_run.Command(ID_ZV_ALIGN_CASCADE, true));
    ASSERT_FALSE(SameRect(stScrolled.rcA, WindowRect(m_hA)) && SameRect(stScrolled.rcB, WindowRect(m_hB)))
        << "the cascade moved nothing";
    EXPECT_NE(Log().find(L"モード = 重ねて表示."), std::wstring::npos);
    UndoTo(stScrolled, "the cascade undone");
    UndoTo(stScrolled, "the scroll was not recorded");
    EXPECT_EQ(1u, CountOf(Log(), kUndoLine));
}

TEST_F(CoreUndo, OneUndoTakesBackAWholeWheelBurst)
{
    // Burst time 5 s (setting 2, the default).
    ASSERT_TRUE(StartAll());
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(Wheel(false));
    EXPECT_TRUE(SameRect(Shifted(m_st0.rcA, -30, 0), WindowRect(m_hA)));
    EXPECT_EQ(1u, CountOf(Log(), kSaveScrollLine));
    UndoTo(m_st0, "the horizontal burst undone at once");

    // The undo key closes the burst: the next turns are a burst of their own, and the vertical
    // axis has its own.
    ASSERT_TRUE(Wheel(true));
    const STATE stDown = Now();
    UndoTo(m_st0, "the vertical turn undone by the key", true);
    ASSERT_TRUE(Wheel(true));
    ASSERT_TRUE(Wheel(true));
    EXPECT_FALSE(SameRect(stDown.rcA, WindowRect(m_hA)));
    UndoTo(m_st0, "the second vertical burst undone at once");
}

TEST_F(CoreUndo, WithBurstTimeZeroEachWheelTurnIsUndoneAlone)
{
    ASSERT_TRUE(RegSetDword(L"Undo", L"Save Time Undo Data In Wheel Scroll", 0));
    ASSERT_TRUE(StartAll());
    STATE st[3];
    for (STATE& s : st) {
        ASSERT_TRUE(Wheel(false));
        s = Now();
    }
    EXPECT_TRUE(SameRect(Shifted(m_st0.rcA, -30, 0), st[2].rcA));
    UndoTo(st[1], "only the last turn");
    UndoTo(st[0], "then the one before");
}

// With ResizeWnd on, the watched window's change is recorded when the focus comes to the hidden
// window and when the Undo key is pressed; a scroll is undone as well.
TEST_F(CoreUndo, AWindowResizeIsUndoneWithResizeWndOn)
{
    ASSERT_TRUE(RegSetDword(L"Undo", L"ResizeWnd", 1));
    ASSERT_TRUE(StartAll());
    ASSERT_NO_FATAL_FAILURE(WatchAAndMoveIt());
    // The focus reaches the hidden main window (as when its menu opens) from B.
    DWORD_PTR dwRes = 0;
    ASSERT_TRUE(SendMessageTimeoutW(m_run.Wnd(), WM_SETFOCUS, reinterpret_cast<WPARAM>(m_hB), 0, SMTO_ABORTIFHUNG,
                                    5000, &dwRes));
    // Answered once the focus has been handled: the save it posted stands before the undo's command.
    ASSERT_TRUE(m_run.Command(ID_ZV_UNDO));
    EXPECT_TRUE(WaitUntil([&] { return SameRect(m_st0.rcA, WindowRect(m_hA)); }, 5000, 50)) << "undone after the focus";
    EXPECT_TRUE(SameRect(m_st0.rcB, WindowRect(m_hB)));

    ASSERT_NO_FATAL_FAILURE(WatchAAndMoveIt());
    ASSERT_TRUE(UndoKey());
    EXPECT_TRUE(WaitUntil([&] { return SameRect(m_st0.rcA, WindowRect(m_hA)); }, 5000, 50)) << "undone by the key";
    ExpectAt(m_st0, "the resize undone by the key");

    // The window record made at the scroll's end does not stand in the way of its undo.
    ASSERT_TRUE(Keys({VK_CONTROL, VK_MENU, VK_LEFT}));
    EXPECT_TRUE(SameRect(Shifted(m_st0.rcA, 10, 0), WindowRect(m_hA)));
    UndoTo(m_st0, "the scroll undone with ResizeWnd on", true);
}

TEST_F(CoreUndo, AnUndoAskedForWhileASmoothMoveRunsIsRefusedAndKeepsItsItem)
{
    // Ten passes of 100 ms: the move runs for about a second.
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 10));
    ASSERT_TRUE(StartAll());
    ASSERT_TRUE(Keys({VK_CONTROL, VK_MENU, VK_LEFT}));
    const STATE st1 = Now();
    ASSERT_TRUE(HoldKeys({VK_SHIFT, VK_CONTROL, VK_MENU, VK_RIGHT}));
    // The move has begun once A has left its place.
    ASSERT_TRUE(WaitUntil([&] { return !static_cast<bool>(SameRect(st1.rcA, WindowRect(m_hA))); }, 10000, 10));
    ASSERT_TRUE(m_run.Command(ID_ZV_UNDO));
    // Handled before the move's end is seen: an undo carried out would not leave A where the move took it.
    ASSERT_TRUE(m_run.WaitForMoveEnd());
    EXPECT_TRUE(SameRect(Shifted(st1.rcA, -200, 0), WindowRect(m_hA)));
    EXPECT_EQ(0u, CountOf(Log(), kUndoLine));

    // The page scroll's record is still there: the next undo takes it back.
    UndoTo(st1, "the page scroll undone after the move");
    UndoTo(m_st0, "then the line scroll");
}
