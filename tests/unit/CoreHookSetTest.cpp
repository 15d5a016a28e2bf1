// The hook set against a faked main window: what an install without a window does, and the
// modifiers the keyboard hook saw.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "HookSet.h"

namespace {

class CFakeHookHost : public IHookHost {
public:
    HWND hWnd = nullptr;
    int nNoWindowBoxes = 0;
    int nErrorBoxes = 0;

    HWND GetWnd() override { return hWnd; }
    void ReportNoWindow(DWORD) override { ++nNoWindowBoxes; }
    void ShowHookError(DWORD) override { ++nErrorBoxes; }
};

}  // namespace

TEST(CoreHookSet, AHookAskedForWithoutAWindowIsReportedAndNothingChanges)
{
    auto pHost = std::make_unique<CFakeHookHost>();
    CFakeHookHost& host = *pHost;
    CHookSet hooks(std::move(pHost));
    int nSwitch = 7;
    EXPECT_FALSE(hooks.SetCbtHook(TRUE, nSwitch));
    EXPECT_EQ(-1, nSwitch) << "nothing for the gateway to follow";
    EXPECT_FALSE(hooks.SetMouseHook(TRUE));
    EXPECT_EQ(2, host.nNoWindowBoxes);
    EXPECT_EQ(0, host.nErrorBoxes);
    // Off while none is held changes nothing either.
    EXPECT_FALSE(hooks.SetCbtHook(FALSE, nSwitch));
    EXPECT_EQ(-1, nSwitch);
    EXPECT_FALSE(hooks.HasCbtHook());
    EXPECT_FALSE(hooks.HasMouseHook());
}

TEST(CoreHookSet, TheKeyboardHookGoingOffForgetsTheModifiersItSaw)
{
    // Only the hook's own events may hold Ctrl here; another test holding it on the shared desktop
    // would hide what the set forgot.
    const auto bCtrlUp = [] { return GetAsyncKeyState(VK_CONTROL) >= 0; };
    if (!bCtrlUp())
        GTEST_SKIP() << "Ctrl is held on this desktop";
    const HWND hWnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hWnd);
    auto pHost = std::make_unique<CFakeHookHost>();
    pHost->hWnd = hWnd;
    CHookSet hooks(std::move(pHost));
    ASSERT_TRUE(hooks.StartThread());
    ASSERT_TRUE(hooks.SetKeybdHook(TRUE));
    EXPECT_TRUE(hooks.HasKeybdHook());

    hooks.NoteKey(VK_LCONTROL, false);
    EXPECT_TRUE(hooks.ReadKeyState('A')[VK_CONTROL] & 0x80);
    EXPECT_TRUE(hooks.ReadKeyState('A')['A'] & 0x80) << "the pressed key counts as down";
    // Asked again while it is installed: the same hook, and what it saw stays.
    EXPECT_TRUE(hooks.SetKeybdHook(TRUE));
    EXPECT_TRUE(hooks.ReadKeyState('A')[VK_CONTROL] & 0x80);

    EXPECT_FALSE(hooks.SetKeybdHook(FALSE));
    EXPECT_FALSE(hooks.HasKeybdHook());
    const bool bHeld = hooks.ReadKeyState('A')[VK_CONTROL] & 0x80;
    if (bCtrlUp()) {
        EXPECT_FALSE(bHeld) << "its release may have gone unseen";
    }
    hooks.StopThread();
    DestroyWindow(hWnd);
}
