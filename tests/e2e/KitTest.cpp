// The test kit itself, under the same Wine as every other end-to-end test: if these pass, a
// failing feature test points at the feature, not at its tools.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>
#include "ZvTestKit.h"

using namespace zvkit;

TEST(KitWindows, FindsMovesAndReadsBackWindowsOfAnotherProcess)
{
    const std::wstring titles[] = {L"Zv Kit A", L"ズヴォラ 窓, B"};
    const RECT rects[] = {RectOf(100, 100, 300, 200), RectOf(450, 150, 320, 240)};
    CTestWnds tw;
    ASSERT_TRUE(tw.Start({WndArg(100, 100, 300, 200, titles[0]), WndArg(450, 150, 320, 240, titles[1])}));
    const std::vector<HWND> wnds = tw.Windows();
    ASSERT_EQ(wnds.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(WaitForWindow(titles[i], 3000, ZV_TW_WND_CLASS, tw.Pid()), wnds[i]) << "window " << i;
        EXPECT_EQ(WindowTitle(wnds[i]), titles[i]);
        EXPECT_EQ(WindowPid(wnds[i]), tw.Pid());
        EXPECT_TRUE(SameRect(rects[i], WindowRect(wnds[i])));
    }
    EXPECT_EQ(FindTopLevel(L"Zv Kit", nullptr, tw.Pid()), nullptr) << "titles match exactly";

    // Off the screen on every side and far away, and back on it: exactly where asked, size kept.
    const POINT places[] = {{-700, -500}, {1500, 1100}, {-30000, 30000}, {37, 61}};
    for (const POINT& pt : places) {
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(MoveWindowTo(wnds[i], pt.x + i * 10, pt.y + i * 10));
            const RECT want =
                RectOf(pt.x + i * 10, pt.y + i * 10, rects[i].right - rects[i].left, rects[i].bottom - rects[i].top);
            EXPECT_TRUE(SameRect(want, WindowRect(wnds[i]))) << "window " << i << " at " << pt.x << "," << pt.y;
        }
    }
}

// Each title is taken whole from its argument, also with a comma and behind window options.
TEST(KitWindows, StartTitledGivesTheWindowOfEachTitleInTheOrderOfItsArguments)
{
    CTestWnds tw;
    const auto [hTool, hPlain] = tw.StartTitled(
        {WndArg(100, 100, 300, 200, L"Zv Kit, tool", L"tool+noactivate"), WndArg(450, 150, 320, 240, L"Zv Kit")});
    EXPECT_EQ(tw.Windows(), (std::vector<HWND>{hTool, hPlain}));
    EXPECT_EQ(WindowTitle(hTool), L"Zv Kit, tool");
    EXPECT_EQ(WindowTitle(hPlain), L"Zv Kit");
}

TEST(KitMessageBoxes, FindsReadsAndPressesABoxOfAnotherProcess)
{
    const std::wstring caption = L"Zuvora! キット";
    CTestWnds tw;
    ASSERT_TRUE(tw.Start({L"/MSGBOX=初期化に失敗しました (code=0x5).\\nコンピュータを再起動して下さい.",
                          L"/MSGCAPTION=" + caption, L"/MSGTYPE=" + std::to_wstring(MB_OKCANCEL)}));
    const HWND hBox = WaitForMessageBox(tw.Pid(), 5000);
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(WaitForMessageBoxByCaption(caption, 1000), hBox);
    EXPECT_TRUE(IsMessageBox(hBox));
    EXPECT_FALSE(IsMessageBox(GetDesktopWindow()));
    EXPECT_EQ(MessageBoxText(hBox), L"初期化に失敗しました (code=0x5).\nコンピュータを再起動して下さい.");
    std::vector<int> buttons = MessageBoxButtons(hBox);
    std::sort(buttons.begin(), buttons.end());
    EXPECT_EQ(buttons, (std::vector<int>{IDOK, IDCANCEL}));
    EXPECT_FALSE(PressMessageBoxButton(hBox, IDYES));
    ASSERT_TRUE(PressMessageBoxButton(hBox, IDOK));
    EXPECT_EQ(tw.Process().WaitForExit(5000), std::optional<DWORD>(IDOK));
}

// A combination is held, in order, for the time asked, and seen by another process's hook.
TEST(KitInput, HeldCombinationIsSeenByAnotherProcessesHook)
{
    CTestWnds tw;
    ASSERT_TRUE(tw.Start({WndArg(100, 100, 300, 200, L"Zv Keys"), L"/KEYHOOK"}));
    ASSERT_TRUE(HoldKeys({VK_CONTROL, VK_SHIFT, VK_F11}, 150));
    std::vector<ZV_TW_INPUT> hook;
    const auto hookEvents = [&] {
        hook.clear();
        for (const ZV_TW_INPUT& e : tw.Input())
            if (e.source == ZV_TW_IN_HOOK)
                hook.push_back(e);
        return hook.size();
    };
    ASSERT_TRUE(WaitUntil([&] { return hookEvents() >= 6; }, 3000)) << "hook events: " << hook.size();
    ASSERT_EQ(hook.size(), 6u);
    // The hook may see the left-hand code of a modifier.
    const auto generic = [](UINT vk) -> UINT {
        switch (vk) {
        case VK_LCONTROL:
        case VK_RCONTROL:
            return VK_CONTROL;
        case VK_LSHIFT:
        case VK_RSHIFT:
            return VK_SHIFT;
        }
        return vk;
    };
    const UINT order[6][2] = {{VK_CONTROL, 1}, {VK_SHIFT, 1}, {VK_F11, 1}, {VK_F11, 0}, {VK_SHIFT, 0}, {VK_CONTROL, 0}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(generic(hook[i].vk), order[i][0]) << "event " << i;
        EXPECT_EQ(hook[i].down, order[i][1]) << "event " << i;
        EXPECT_EQ(hook[i].injected, 1u) << "event " << i;
    }
    EXPECT_GE(hook[3].time - hook[2].time, 100u) << "the last key stayed down for the hold";
}
