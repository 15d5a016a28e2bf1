// Shared foundation: the window filter's decision on recorded window facts, rule by rule and in
// its order of precedence, on the OS classes that know the shell's start button and gadget host.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "OSClass.h"
#include "WndFilter.h"

namespace {

constexpr int kVista = 3, kWin7 = 4, kWin8 = 5, kWin81 = 6, kWin10 = 7;

// A visible, titled window with a rectangle, no owner and a readable program name.
WND_FACTS Ordinary(const wchar_t* pszTitle = L"Notes - Editor")
{
    WND_FACTS f;
    f.bIsWindow = TRUE;
    f.bVisible = TRUE;
    f.strClass = L"EditorFrame";
    f.strTitle = pszTitle;
    f.bImageName = TRUE;
    f.strImageName = L"editor.exe";
    return f;
}

WND_FACTS StartButton(const wchar_t* pszOwnerClass)
{
    WND_FACTS f = Ordinary(L"スタート");
    f.strClass = L"Button";
    f.bHasOwner = TRUE;
    f.strOwnerClass = pszOwnerClass;
    f.strImageName = L"explorer.exe";
    return f;
}

WND_FACTS Gadget(const wchar_t* pszImage = L"sidebar.exe")
{
    WND_FACTS f = Ordinary(L"Clock");
    f.strImageName = pszImage;
    return f;
}

TEST(WndFilter, OrdinaryWindowScrolls)
{
    for (int nOSClass : {0, 1, 2, kVista, kWin7, kWin8, kWin81, kWin10})
        EXPECT_EQ(JudgeWndFacts(Ordinary(), nOSClass), WNDFLT_ORDINARY) << nOSClass;
}

TEST(WndFilter, GoneWindowIsNotAWindowWhateverElseIsRecorded)
{
    WND_FACTS f = Ordinary(L"$$$ Zuvora! Hidden Main Window %%%");
    f.bIsWindow = FALSE;
    f.bVisible = FALSE;
    EXPECT_EQ(JudgeWndFacts(f, kWin10), WNDFLT_NOT_WINDOW);
}

TEST(WndFilter, InvisibleWindowPassesOnlyWithMinimizedOwner)
{
    WND_FACTS f = Ordinary();
    f.bVisible = FALSE;
    f.bHasOwner = TRUE;
    EXPECT_EQ(JudgeWndFacts(f, kWin10), WNDFLT_INVISIBLE);
    f.bOwnerMinimized = TRUE;
    EXPECT_EQ(JudgeWndFacts(f, kWin10), WNDFLT_ORDINARY);
    // Passing the visibility test does not excuse it from the later ones.
    f.strTitle.clear();
    EXPECT_EQ(JudgeWndFacts(f, kWin10), WNDFLT_UNTITLED);
}

TEST(WndFilter, EmptyRectangleIsInvisibleBeforeClassAndTitleRules)
{
    WND_FACTS f = Ordinary(L"Zuvora! Log Output Window");
    f.bEmptyRect = TRUE;
    f.strClass = L"Shell_TrayWnd";
    EXPECT_EQ(JudgeWndFacts(f, kWin10), WNDFLT_INVISIBLE);
}

TEST(WndFilter, InputMethodClassesByCaseSensitiveSubstring)
{
    WND_FACTS f = Ordinary();
    f.strClass = L"xmsimeUI";
    EXPECT_EQ(JudgeWndFacts(f, kWin8), WNDFLT_INPUT);
    f.strClass = L"msime";
    EXPECT_EQ(JudgeWndFacts(f, kWin8), WNDFLT_INPUT);
    f.strClass = L"MSIME";
    EXPECT_EQ(JudgeWndFacts(f, kWin8), WNDFLT_ORDINARY);
    f.strClass = L"msim";
    EXPECT_EQ(JudgeWndFacts(f, kWin8), WNDFLT_ORDINARY);
}

TEST(WndFilter, TaskbarByExactClassName)
{
    WND_FACTS f = Ordinary(L"");
    f.strClass = L"Shell_TrayWnd";
    EXPECT_EQ(JudgeWndFacts(f, kWin8), WNDFLT_TASKBAR);  // before the untitled rule
    f.strClass = L"Shell_TrayWnd2";
    EXPECT_EQ(JudgeWndFacts(f, kWin8), WNDFLT_UNTITLED);
    f.strClass = L"shell_traywnd";
    EXPECT_EQ(JudgeWndFacts(f, kWin8), WNDFLT_UNTITLED);
}

TEST(WndFilter, InputMethodRuleComesBeforeTaskbarRule)
{
    WND_FACTS f = Ordinary();
    f.strClass = L"msimeShell_TrayWnd";
    EXPECT_EQ(JudgeWndFacts(f, kWin7), WNDFLT_INPUT);
}

TEST(WndFilter, UntitledWindow)
{
    EXPECT_EQ(JudgeWndFacts(Ordinary(L""), kWin8), WNDFLT_UNTITLED);
    EXPECT_EQ(JudgeWndFacts(Ordinary(L""), kWin10), WNDFLT_UNTITLED);
}

TEST(WndFilter, OwnWindowsByExactTitle)
{
    for (const wchar_t* psz : {L"$$$ Zuvora! Hidden Main Window %%%", L"$$$ Zuvora! Scroll Bar Horizontal %%%",
                               L"$$$ Zuvora! Scroll Bar Vertical %%%", L"Zuvora! のプロパティ",
                               L"Zuvora! Log Output Window"})
        EXPECT_EQ(JudgeWndFacts(Ordinary(psz), kWin10), WNDFLT_OWN) << psz;
    for (const wchar_t* psz : {L"$$$ Zuvora! Hidden Main Window %%", L"zuvora! のプロパティ",
                               L"Zuvora! Log Output Window ", L"Zuvora! ヘルプ"})
        EXPECT_EQ(JudgeWndFacts(Ordinary(psz), kWin10), WNDFLT_ORDINARY) << psz;
}

TEST(WndFilter, LanguageBarBySubstringAndDesktopByExactTitle)
{
    EXPECT_EQ(JudgeWndFacts(Ordinary(L"TF_FloatingLangBar_WndTitle"), kWin8), WNDFLT_DESKTOP);
    EXPECT_EQ(JudgeWndFacts(Ordinary(L"xTF_FloatingLangBar_WndTitle2"), kWin8), WNDFLT_DESKTOP);
    EXPECT_EQ(JudgeWndFacts(Ordinary(L"Program Manager"), kWin8), WNDFLT_DESKTOP);
    EXPECT_EQ(JudgeWndFacts(Ordinary(L"Program Manager 2"), kWin8), WNDFLT_ORDINARY);
    EXPECT_EQ(JudgeWndFacts(Ordinary(L"program manager"), kWin8), WNDFLT_ORDINARY);
}

TEST(WndFilter, StartButtonOnlyOnShellFurnitureClasses)
{
    for (int nOSClass : {kVista, kWin7, kWin81, kWin10}) {
        EXPECT_EQ(JudgeWndFacts(StartButton(L"Shell_TrayWnd"), nOSClass), WNDFLT_TASKBAR) << nOSClass;
        EXPECT_EQ(JudgeWndFacts(StartButton(L"OtherWnd"), nOSClass), WNDFLT_ORDINARY) << nOSClass;
    }
    for (int nOSClass : {0, 1, 2, kWin8})
        EXPECT_EQ(JudgeWndFacts(StartButton(L"Shell_TrayWnd"), nOSClass), WNDFLT_ORDINARY) << nOSClass;
}

TEST(WndFilter, StartButtonNeedsItsClassTitleAndAnOwner)
{
    WND_FACTS f = StartButton(L"Shell_TrayWnd");
    f.bHasOwner = FALSE;
    EXPECT_EQ(JudgeWndFacts(f, kWin7), WNDFLT_ORDINARY);
    f = StartButton(L"Shell_TrayWnd");
    f.strClass = L"button";
    EXPECT_EQ(JudgeWndFacts(f, kWin7), WNDFLT_ORDINARY);
    f = StartButton(L"Shell_TrayWnd");
    f.strTitle = L"Start";
    EXPECT_EQ(JudgeWndFacts(f, kWin7), WNDFLT_ORDINARY);
}

TEST(WndFilter, GadgetHostOnlyOnShellFurnitureClasses)
{
    for (int nOSClass : {kVista, kWin7, kWin81, kWin10})
        EXPECT_EQ(JudgeWndFacts(Gadget(), nOSClass), WNDFLT_INPUT) << nOSClass;
    for (int nOSClass : {0, 1, 2, kWin8})
        EXPECT_EQ(JudgeWndFacts(Gadget(), nOSClass), WNDFLT_ORDINARY) << nOSClass;
}

TEST(WndFilter, GadgetHostByExactCaseSensitiveName)
{
    EXPECT_EQ(JudgeWndFacts(Gadget(L"Sidebar.exe"), kWin7), WNDFLT_ORDINARY);
    EXPECT_EQ(JudgeWndFacts(Gadget(L"sidebar.exe.bak"), kWin7), WNDFLT_ORDINARY);
    WND_FACTS f = Gadget();
    f.bImageName = FALSE;
    EXPECT_EQ(JudgeWndFacts(f, kWin7), WNDFLT_ORDINARY);
}

TEST(WndFilter, GadgetRuleReplacesUntitledButNoOtherVerdict)
{
    WND_FACTS f = Gadget();
    f.strTitle.clear();
    EXPECT_EQ(JudgeWndFacts(f, kWin7), WNDFLT_INPUT);
    EXPECT_EQ(JudgeWndFacts(f, kWin8), WNDFLT_UNTITLED);
    f.strTitle = L"Program Manager";
    EXPECT_EQ(JudgeWndFacts(f, kWin7), WNDFLT_DESKTOP);
    f.strTitle = L"Zuvora! のプロパティ";
    EXPECT_EQ(JudgeWndFacts(f, kWin7), WNDFLT_OWN);
    f = StartButton(L"Shell_TrayWnd");
    f.strImageName = L"sidebar.exe";
    EXPECT_EQ(JudgeWndFacts(f, kWin7), WNDFLT_TASKBAR);
}

TEST(WndFilter, ShellFurnitureClasses)
{
    for (int n = -1; n <= 8; ++n)
        EXPECT_EQ(IsNt6ShellOSClass(n) != FALSE, n == 3 || n == 4 || n == 6 || n == 7) << n;
}

TEST(WndFilter, NullHandleGathersAsNotAWindow)
{
    const WND_FACTS f = GatherWndFacts(nullptr, kWin10);
    EXPECT_FALSE(f.bIsWindow);
    EXPECT_EQ(FilterWnd(nullptr, kWin10), WNDFLT_NOT_WINDOW);
}

TEST(WndFilter, TitlesAreReadWholeWhateverTheirLength)
{
    // Lengths about the reader's first buffer and its doublings, where a cut title would show.
    for (size_t nLen : {0u, 1u, 254u, 255u, 256u, 257u, 511u, 512u, 3000u}) {
        std::wstring strTitle(nLen, L'\0');
        for (size_t i = 0; i < nLen; ++i)
            strTitle[i] = static_cast<wchar_t>(L'あ' + i % 50);
        HWND hWnd = CreateWindowExW(0, L"STATIC", strTitle.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(hWnd, nullptr);
        EXPECT_EQ(GetWndTitle(hWnd), strTitle) << nLen;
        DestroyWindow(hWnd);
    }
    EXPECT_EQ(GetWndTitle(nullptr), L"");
}

} // namespace
