// The window filter's decision on recorded window facts, rule by rule and in its order of
// precedence, on the OS classes that know the shell's start button and gadget host.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "OSClass.h"
#include "WndFilter.h"

namespace {

constexpr int kWin7 = 4, kWin8 = 5, kWin10 = 7;
// Classes 3, 4, 6 and 7 have the shell's start button and gadget host; the others do not.
constexpr int kShellClasses[] = {3, 4, 6, 7};
constexpr int kOtherClasses[] = {0, 1, 2, 5};

// A visible, titled window with a rectangle, no owner and a readable program name.
WND_FACTS Ordinary(const wchar_t* pszTitle = L"Notes - Editor", const wchar_t* pszClass = L"EditorFrame")
{
    WND_FACTS f;
    f.bIsWindow = TRUE;
    f.bVisible = TRUE;
    f.strClass = pszClass;
    f.strTitle = pszTitle;
    f.bImageName = TRUE;
    f.strImageName = L"editor.exe";
    return f;
}

WND_FACTS StartButton(const wchar_t* pszOwnerClass = L"Shell_TrayWnd")
{
    WND_FACTS f = Ordinary(L"スタート", L"Button");
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

TEST(WndFilter, OrdinaryWindowScrollsOnEveryClass)
{
    for (int nOSClass = 0; nOSClass <= 7; ++nOSClass)
        EXPECT_EQ(JudgeWndFacts(Ordinary(), nOSClass), WNDFLT_ORDINARY) << nOSClass;
}

TEST(WndFilter, VisibilityComesFirst)
{
    WND_FACTS f = Ordinary(L"$$$ Zuvora! Hidden Main Window %%%");
    f.bIsWindow = FALSE;
    f.bVisible = FALSE;
    EXPECT_EQ(JudgeWndFacts(f, kWin10), WNDFLT_NOT_WINDOW);

    // An invisible window passes only with a minimised owner, and still meets the later rules.
    f = Ordinary();
    f.bVisible = FALSE;
    f.bHasOwner = TRUE;
    EXPECT_EQ(JudgeWndFacts(f, kWin10), WNDFLT_INVISIBLE);
    f.bOwnerMinimized = TRUE;
    EXPECT_EQ(JudgeWndFacts(f, kWin10), WNDFLT_ORDINARY);
    f.strTitle.clear();
    EXPECT_EQ(JudgeWndFacts(f, kWin10), WNDFLT_UNTITLED);

    f = Ordinary(L"Zuvora! Log Output Window", L"Shell_TrayWnd");
    f.bEmptyRect = TRUE;
    EXPECT_EQ(JudgeWndFacts(f, kWin10), WNDFLT_INVISIBLE);
}

TEST(WndFilter, ClassAndTitleRulesAreExactAndCaseSensitiveInTheirOrder)
{
    struct CASE { const wchar_t* pszClass; const wchar_t* pszTitle; int nExpected; };
    const CASE aCase[] = {
        // Input method by substring of the class, before the taskbar.
        {L"xmsimeUI", L"t", WNDFLT_INPUT}, {L"msime", L"t", WNDFLT_INPUT}, {L"msimeShell_TrayWnd", L"t", WNDFLT_INPUT},
        {L"MSIME", L"t", WNDFLT_ORDINARY}, {L"msim", L"t", WNDFLT_ORDINARY},
        // Taskbar by the exact class, before the untitled rule.
        {L"Shell_TrayWnd", L"", WNDFLT_TASKBAR}, {L"Shell_TrayWnd2", L"", WNDFLT_UNTITLED},
        {L"shell_traywnd", L"", WNDFLT_UNTITLED},
        // Own windows by exact title.
        {L"C", L"$$$ Zuvora! Hidden Main Window %%%", WNDFLT_OWN}, {L"C", L"Zuvora! のプロパティ", WNDFLT_OWN},
        {L"C", L"$$$ Zuvora! Scroll Bar Horizontal %%%", WNDFLT_OWN},
        {L"C", L"$$$ Zuvora! Scroll Bar Vertical %%%", WNDFLT_OWN}, {L"C", L"Zuvora! Log Output Window", WNDFLT_OWN},
        {L"C", L"$$$ Zuvora! Hidden Main Window %%", WNDFLT_ORDINARY}, {L"C", L"zuvora! のプロパティ", WNDFLT_ORDINARY},
        {L"C", L"Zuvora! Log Output Window ", WNDFLT_ORDINARY}, {L"C", L"Zuvora! ヘルプ", WNDFLT_ORDINARY},
        // The language bar by substring, the desktop by exact title.
        {L"C", L"TF_FloatingLangBar_WndTitle", WNDFLT_DESKTOP}, {L"C", L"Program Manager", WNDFLT_DESKTOP},
        {L"C", L"xTF_FloatingLangBar_WndTitle2", WNDFLT_DESKTOP}, {L"C", L"Program Manager 2", WNDFLT_ORDINARY},
        {L"C", L"program manager", WNDFLT_ORDINARY},
    };
    for (const CASE& c : aCase) {
        for (int nOSClass : {kWin8, kWin10})
            EXPECT_EQ(JudgeWndFacts(Ordinary(c.pszTitle, c.pszClass), nOSClass), c.nExpected)
                << "class " << c.pszClass << " title " << c.pszTitle << " on " << nOSClass;
    }
}

TEST(WndFilter, StartButtonAndGadgetHostOnlyOnShellClasses)
{
    for (int nOSClass : kShellClasses) {
        EXPECT_EQ(JudgeWndFacts(StartButton(), nOSClass), WNDFLT_TASKBAR) << nOSClass;
        EXPECT_EQ(JudgeWndFacts(StartButton(L"OtherWnd"), nOSClass), WNDFLT_ORDINARY) << nOSClass;
        EXPECT_EQ(JudgeWndFacts(Gadget(), nOSClass), WNDFLT_INPUT) << nOSClass;
        EXPECT_NE(IsNt6ShellOSClass(nOSClass), FALSE) << nOSClass;
    }
    for (int nOSClass : kOtherClasses) {
        EXPECT_EQ(JudgeWndFacts(StartButton(), nOSClass), WNDFLT_ORDINARY) << nOSClass;
        EXPECT_EQ(JudgeWndFacts(Gadget(), nOSClass), WNDFLT_ORDINARY) << nOSClass;
        EXPECT_EQ(IsNt6ShellOSClass(nOSClass), FALSE) << nOSClass;
    }
    EXPECT_EQ(IsNt6ShellOSClass(-1) | IsNt6ShellOSClass(8), FALSE);
}

TEST(WndFilter, StartButtonAndGadgetHostNeedAllTheirMarks)
{
    WND_FACTS aNot[3] = {StartButton(), StartButton(), StartButton()};
    aNot[0].bHasOwner = FALSE;
    aNot[1].strClass = L"button";
    aNot[2].strTitle = L"Start";
    for (const WND_FACTS& f : aNot)
        EXPECT_EQ(JudgeWndFacts(f, kWin7), WNDFLT_ORDINARY) << f.strClass << " " << f.strTitle;

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
    f = StartButton();
    f.strImageName = L"sidebar.exe";
    EXPECT_EQ(JudgeWndFacts(f, kWin7), WNDFLT_TASKBAR);
}

TEST(WndFilter, NullHandleIsNotAWindowAndTitlesAreReadWhole)
{
    EXPECT_FALSE(GatherWndFacts(nullptr, kWin10).bIsWindow);
    EXPECT_EQ(FilterWnd(nullptr, kWin10), WNDFLT_NOT_WINDOW);
    EXPECT_EQ(GetWndTitle(nullptr), L"");
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
}

// A count reads only what a window's verdict turns on: on every kind of window the filter tells
// apart here, its verdict is the one the whole record gives, and it hands back the window's own
// style, rectangle and thread.
TEST(WndFilter, CountLookDecidesAsTheWholeRecord)
{
    const HINSTANCE hInst = GetModuleHandleW(nullptr);
    const auto Make = [hInst](LPCWSTR pszTitle, DWORD dwStyle, int cx, HWND hWndOwner) {
        return CreateWindowExW(0, L"STATIC", pszTitle, WS_POPUP | dwStyle, 30, 40, cx, 20, hWndOwner, nullptr, hInst,
                               nullptr);
    };
    const HWND hWndOwner = Make(L"Look Owner", WS_VISIBLE, 100, nullptr);
    ASSERT_NE(hWndOwner, nullptr);
    std::vector<HWND> lstWnd = {hWndOwner,
                                Make(L"Look Shown", WS_VISIBLE, 100, nullptr),
                                Make(L"", WS_VISIBLE, 100, nullptr),
                                Make(L"Look Hidden", 0, 100, nullptr),
                                Make(L"Look Empty", WS_VISIBLE, 0, nullptr),
                                Make(L"Look Owned Hidden", 0, 100, hWndOwner),
                                Make(L"Look Owned Shown", WS_VISIBLE, 100, hWndOwner),
                                Make(ZV_HIDDEN_MAIN_WND_TITLE, WS_VISIBLE, 100, nullptr),
                                Make(WNDFLT_PROGMAN_TITLE, WS_VISIBLE, 100, nullptr)};
    for (HWND hWnd : lstWnd)
        ASSERT_NE(hWnd, nullptr);
    const auto Check = [&](const char* pszWhen) {
        for (int nOSClass : {kWin7, kWin8, kWin10}) {
            IMAGE_NAME_MEMO images;
            for (HWND hWnd : lstWnd) {
                const WND_LOOK look = LookAtTopLevelWnd(hWnd, nOSClass, images);
                EXPECT_EQ(JudgeWndFacts(look.facts, nOSClass), FilterWnd(hWnd, nOSClass))
                    << pszWhen << " " << nOSClass << " " << GetWndTitle(hWnd).size();
                EXPECT_EQ(look.lStyle, GetWindowLongW(hWnd, GWL_STYLE)) << pszWhen;
                EXPECT_EQ(look.dwTid, GetCurrentThreadId()) << pszWhen;
                if (look.bRect) {
                    RECT rc{};
                    GetWindowRect(hWnd, &rc);
                    EXPECT_TRUE(EqualRect(&rc, &look.rc)) << pszWhen;
                }
            }
            // Every window here is this program's: it was named once.
            EXPECT_LE(images.size(), 1u) << pszWhen;
        }
    };
    Check("owner shown");
    // The hidden owned window is kept with its minimised owner.
    ShowWindow(hWndOwner, SW_MINIMIZE);
    Check("owner minimised");
    const HWND hWndGone = lstWnd.back();
    DestroyWindow(hWndGone);
    IMAGE_NAME_MEMO images;
    EXPECT_EQ(JudgeWndFacts(LookAtTopLevelWnd(hWndGone, kWin10, images).facts, kWin10), WNDFLT_NOT_WINDOW);
    lstWnd.pop_back();
    for (auto it = lstWnd.rbegin(); it != lstWnd.rend(); ++it)
        DestroyWindow(*it);
}

} // namespace
