// Shared foundation: the window enumerator's bookkeeping that needs no windows of its own: which
// filter results are listed, the windows-changed flag, the most-recent-first order of the fixed
// lists, and look-ups of windows it does not hold.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "WndEnumerator.h"

namespace {

const HWND kNoSuchWnd = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x7FFF0010));

struct ENUM_SETUP {
    std::vector<std::wstring> lstTitle;
    std::vector<std::wstring> lstApp;
    BOOL bOwnWnd = FALSE;
    BOOL bTitledOnly = FALSE;
};

TEST(WndEnumerator, ListedResults)
{
    EXPECT_TRUE(CWndEnumerator::IsListedResult(WNDFLT_ORDINARY, TRUE));
    EXPECT_TRUE(CWndEnumerator::IsListedResult(WNDFLT_ORDINARY, FALSE));
    EXPECT_TRUE(CWndEnumerator::IsListedResult(WNDFLT_UNTITLED, FALSE));
    EXPECT_FALSE(CWndEnumerator::IsListedResult(WNDFLT_UNTITLED, TRUE));
    for (int n : {WNDFLT_INVISIBLE, WNDFLT_INPUT, WNDFLT_TASKBAR, WNDFLT_OWN, WNDFLT_DESKTOP, WNDFLT_NOT_WINDOW}) {
        EXPECT_FALSE(CWndEnumerator::IsListedResult(n, FALSE)) << n;
        EXPECT_FALSE(CWndEnumerator::IsListedResult(n, TRUE)) << n;
    }
}

TEST(WndEnumerator, WindowsChangedFlagSetByConstructionAndClearedByEnumeration)
{
    ENUM_SETUP s;
    g_nWndsChanged = 0;
    CWndEnumerator we(5, &s.lstTitle, &s.lstApp, &s.bOwnWnd, &s.bTitledOnly);
    EXPECT_EQ(g_nWndsChanged, 1);
    EXPECT_TRUE(we.EnumerateWnds());
    EXPECT_EQ(g_nWndsChanged, 0);

    // A title search enumerates afresh only while the flag is set, and clears it.
    g_nWndsChanged = 1;
    EXPECT_EQ(we.FindNextWndByTitle(L"No window bears this title 9f1c", nullptr), nullptr);
    EXPECT_EQ(g_nWndsChanged, 0);
}

TEST(WndEnumerator, FixedTextLookUpBringsTheTextToTheHead)
{
    ENUM_SETUP s;
    s.lstTitle = {L"A", L"B", L"C"};
    s.lstApp = {L"a.exe", L"b.exe", L"c.exe"};
    CWndEnumerator we(5, &s.lstTitle, &s.lstApp, &s.bOwnWnd, &s.bTitledOnly);

    EXPECT_TRUE(we.FindFixTitleStr(L"C"));
    EXPECT_EQ(s.lstTitle, (std::vector<std::wstring>{L"C", L"A", L"B"}));
    EXPECT_TRUE(we.FindFixTitleStr(L"C"));
    EXPECT_EQ(s.lstTitle, (std::vector<std::wstring>{L"C", L"A", L"B"}));
    EXPECT_FALSE(we.FindFixTitleStr(L"c"));
    EXPECT_FALSE(we.FindFixTitleStr(L"a.exe"));
    EXPECT_EQ(s.lstTitle, (std::vector<std::wstring>{L"C", L"A", L"B"}));

    EXPECT_TRUE(we.FindFixAppStr(L"b.exe"));
    EXPECT_EQ(s.lstApp, (std::vector<std::wstring>{L"b.exe", L"a.exe", L"c.exe"}));
    EXPECT_FALSE(we.FindFixAppStr(L"B.exe"));
    EXPECT_FALSE(we.FindFixAppStr(nullptr));
}

TEST(WndEnumerator, LookUpsOfWindowsItDoesNotHold)
{
    ENUM_SETUP s;
    s.lstTitle = {L"A"};
    s.lstApp = {L"a.exe"};
    CWndEnumerator we(5, &s.lstTitle, &s.lstApp, &s.bOwnWnd, &s.bTitledOnly);
    we.EnumerateWnds();
    EXPECT_FALSE(we.IsMoveWnd(kNoSuchWnd));
    EXPECT_FALSE(we.IsMoveWnd(nullptr));
    EXPECT_EQ(we.FindFixWnd(kNoSuchWnd), nullptr);
    EXPECT_EQ(we.GetFixTitleStr(kNoSuchWnd), nullptr);
    EXPECT_EQ(we.GetFixAppStr(kNoSuchWnd), nullptr);
    EXPECT_EQ(we.FindFixTitle(L"A"), nullptr);
    EXPECT_EQ(we.FindFixApp(L"a.exe"), nullptr);
    // A previous window that is not in the window list ends the search.
    EXPECT_EQ(we.FindNextWndByTitle(L"A", kNoSuchWnd), nullptr);
    EXPECT_EQ(we.FindNextWndByApp(L"a.exe", kNoSuchWnd), nullptr);
}

TEST(WndEnumerator, EmptyFixedListsFixNothing)
{
    ENUM_SETUP s;
    CWndEnumerator we(5, &s.lstTitle, &s.lstApp, &s.bOwnWnd, &s.bTitledOnly);
    we.EnumerateWnds();
    EXPECT_TRUE(we.GetFixWndList().empty());
    const size_t nMove = we.GetMoveWndList().size();
    we.MakeFixTitleList();
    we.MakeFixAppList();
    we.FixWnds();
    EXPECT_TRUE(we.GetFixWndList().empty());
    EXPECT_LE(we.GetMoveWndList().size(), nMove);
}

TEST(WndEnumerator, NoMainWindowWithoutTheOwnWindowFlag)
{
    ENUM_SETUP s;
    CWndEnumerator we(5, &s.lstTitle, &s.lstApp, &s.bOwnWnd, &s.bTitledOnly);
    EXPECT_EQ(we.FindMainWnd(), nullptr);
    CWndEnumerator weNull(5, &s.lstTitle, &s.lstApp, nullptr, nullptr);
    EXPECT_EQ(weNull.FindMainWnd(), nullptr);
}

} // namespace
