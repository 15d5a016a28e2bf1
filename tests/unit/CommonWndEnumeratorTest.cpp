// The window enumerator's bookkeeping that needs no windows of its own: which filter results are
// listed, the windows-changed flag, the most-recent-first order of the fixed lists, and look-ups
// of windows it does not hold.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "WndEnumerator.h"

namespace {

const HWND kNoSuchWnd = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x7FFF0010));

class WndEnumerator : public ::testing::Test {
protected:
    std::vector<std::wstring> m_lstTitle{L"A", L"B", L"C"};
    std::vector<std::wstring> m_lstApp{L"a.exe", L"b.exe", L"c.exe"};
    BOOL m_bOwnWnd = FALSE;
    BOOL m_bTitledOnly = FALSE;
    CWndEnumerator m_we{5, &m_lstTitle, &m_lstApp, &m_bOwnWnd, &m_bTitledOnly};
};

TEST_F(WndEnumerator, OnlyOrdinaryAndUntitledResultsAreListed)
{
    for (int n : {WNDFLT_ORDINARY, WNDFLT_INVISIBLE, WNDFLT_INPUT, WNDFLT_TASKBAR, WNDFLT_OWN, WNDFLT_UNTITLED,
                  WNDFLT_DESKTOP, WNDFLT_NOT_WINDOW}) {
        EXPECT_EQ(CWndEnumerator::IsListedResult(n, FALSE) != FALSE, n == WNDFLT_ORDINARY || n == WNDFLT_UNTITLED)
            << n;
        EXPECT_EQ(CWndEnumerator::IsListedResult(n, TRUE) != FALSE, n == WNDFLT_ORDINARY) << n;
    }
}

TEST_F(WndEnumerator, WindowsChangedFlagSetByConstructionAndClearedByEnumeration)
{
    g_nWndsChanged = 0;
    CWndEnumerator we(5, &m_lstTitle, &m_lstApp, &m_bOwnWnd, &m_bTitledOnly);
    EXPECT_EQ(g_nWndsChanged, 1);
    EXPECT_TRUE(we.EnumerateWnds());
    EXPECT_EQ(g_nWndsChanged, 0);
    // A title search enumerates afresh only while the flag is set, and clears it.
    g_nWndsChanged = 1;
    EXPECT_EQ(we.FindNextWndByTitle(L"No window bears this title 9f1c", nullptr), nullptr);
    EXPECT_EQ(g_nWndsChanged, 0);
}

TEST_F(WndEnumerator, FixedTextLookUpBringsTheTextToTheHead)
{
    const std::vector<std::wstring> lstAfter = {L"C", L"A", L"B"};
    EXPECT_TRUE(m_we.FindFixTitleStr(L"C"));
    EXPECT_EQ(m_lstTitle, lstAfter);
    EXPECT_TRUE(m_we.FindFixTitleStr(L"C"));
    EXPECT_FALSE(m_we.FindFixTitleStr(L"c"));
    EXPECT_FALSE(m_we.FindFixTitleStr(L"a.exe"));
    EXPECT_EQ(m_lstTitle, lstAfter);

    EXPECT_TRUE(m_we.FindFixAppStr(L"b.exe"));
    EXPECT_EQ(m_lstApp, (std::vector<std::wstring>{L"b.exe", L"a.exe", L"c.exe"}));
    EXPECT_FALSE(m_we.FindFixAppStr(L"B.exe"));
    EXPECT_FALSE(m_we.FindFixAppStr(nullptr));
}

TEST_F(WndEnumerator, LookUpsOfWindowsItDoesNotHold)
{
    m_we.EnumerateWnds();
    EXPECT_FALSE(m_we.IsMoveWnd(kNoSuchWnd));
    EXPECT_FALSE(m_we.IsMoveWnd(nullptr));
    EXPECT_EQ(m_we.FindFixWnd(kNoSuchWnd), nullptr);
    EXPECT_EQ(m_we.GetFixTitleStr(kNoSuchWnd), nullptr);
    EXPECT_EQ(m_we.GetFixAppStr(kNoSuchWnd), nullptr);
    EXPECT_EQ(m_we.FindFixTitle(L"A"), nullptr);
    EXPECT_EQ(m_we.FindFixApp(L"a.exe"), nullptr);
    // A previous window that is not in the window list ends the search.
    EXPECT_EQ(m_we.FindNextWndByTitle(L"A", kNoSuchWnd), nullptr);
    EXPECT_EQ(m_we.FindNextWndByApp(L"a.exe", kNoSuchWnd), nullptr);
}

TEST_F(WndEnumerator, EmptyFixedListsFixNothingAndNoMainWindowWithoutTheOwnWindowFlag)
{
    m_lstTitle.clear();
    m_lstApp.clear();
    m_we.EnumerateWnds();
    const size_t nMove = m_we.GetMoveWndList().size();
    m_we.MakeFixTitleList();
    m_we.MakeFixAppList();
    m_we.FixWnds();
    EXPECT_TRUE(m_we.GetFixWndList().empty());
    EXPECT_LE(m_we.GetMoveWndList().size(), nMove);

    EXPECT_EQ(m_we.FindMainWnd(), nullptr);
    CWndEnumerator weNull(5, &m_lstTitle, &m_lstApp, nullptr, nullptr);
    EXPECT_EQ(weNull.FindMainWnd(), nullptr);
}

} // namespace
