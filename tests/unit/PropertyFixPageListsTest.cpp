// The fixed windows page's bookkeeping without its page: list entries found by their item data
// (two entries of one text, and a text that begins another, case aside), the selection read
// before entries go, and the enumerator's hand edits of its lists and of the settings' lists.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "FixPageLists.h"
#include "WndEnumerator.h"

namespace {

class FixPageListBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hWndList = CreateWindowExW(0, L"ListBox", L"", WS_POPUP | LBS_EXTENDEDSEL | LBS_HASSTRINGS, 0, 0, 200, 100,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_hWndList, nullptr);
    }
    void TearDown() override { DestroyWindow(m_hWndList); }

    HWND m_hWndList = nullptr;
};

} // namespace

TEST_F(FixPageListBox, EntriesAreFoundByTheirDataWhateverTheirTexts)
{
    using namespace FixPageLists;
    // The list box's own search would find "zv app other extra" for "Zv App Other", and the first
    // of the two equal texts for both.
    EXPECT_EQ(AddEntry(m_hWndList, L"Zv App Main", 10), 0);
    EXPECT_EQ(AddEntry(m_hWndList, L"zv app other extra", 20), 1);
    EXPECT_EQ(AddEntry(m_hWndList, L"無題 - メモ帳", 30), 2);
    EXPECT_EQ(AddEntry(m_hWndList, L"無題 - メモ帳", 40), 3);
    EXPECT_EQ(AddEntry(m_hWndList, L"Zv App Other", 50), 4);
    EXPECT_EQ(AddEntry(m_hWndList, L"Zv App First", 5, 0), 0) << "inserted";
    EXPECT_EQ(FindByData(m_hWndList, 50), 5);
    EXPECT_EQ(FindByData(m_hWndList, 40), 4);
    EXPECT_EQ(FindByData(m_hWndList, 99), -1);

    // The selection is read first; removing one entry shifts the others, which are still found.
    for (int n : {1, 4, 5})
        SendMessageW(m_hWndList, LB_SETSEL, TRUE, n);
    EXPECT_EQ(SelectedCount(m_hWndList), 3);
    const std::vector<LPARAM> lstSel = SelectedData(m_hWndList);
    EXPECT_EQ(lstSel, (std::vector<LPARAM>{10, 40, 50}));
    EXPECT_TRUE(RemoveByData(m_hWndList, 10));
    EXPECT_TRUE(RemoveByData(m_hWndList, 50));
    EXPECT_FALSE(RemoveByData(m_hWndList, 50));
    ASSERT_EQ(FindByData(m_hWndList, 40), 3);
    wchar_t sz[32] = {};
    SendMessageW(m_hWndList, LB_GETTEXT, 3, reinterpret_cast<LPARAM>(sz));
    EXPECT_STREQ(sz, L"無題 - メモ帳");
    EXPECT_EQ(SendMessageW(m_hWndList, LB_GETCOUNT, 0, 0), 4);

    SetListExtent(m_hWndList);
    EXPECT_GT(SendMessageW(m_hWndList, LB_GETHORIZONTALEXTENT, 0, 0), 0);
    SendMessageW(m_hWndList, LB_RESETCONTENT, 0, 0);
    SetListExtent(m_hWndList);
    EXPECT_EQ(SendMessageW(m_hWndList, LB_GETHORIZONTALEXTENT, 0, 0), 0);
    EXPECT_TRUE(SelectedData(m_hWndList).empty());
}

TEST(FixPageEnumerator, HandEditsOfTheFixedListAndTheSettingsLists)
{
    std::vector<std::wstring> lstTitle{L"A", L"B", L"A"};
    std::vector<std::wstring> lstApp{L"a.exe", L"B.exe", L"b.exe"};
    BOOL bOwnWnd = FALSE, bTitledOnly = TRUE;
    CWndEnumerator we(5, &lstTitle, &lstApp, &bOwnWnd, &bTitledOnly);
    ASSERT_TRUE(we.RefreshAllWnds(TRUE));

    // Only the first equal string goes, case counts.
    we.RemoveFixTitleStr(L"A");
    we.RemoveFixTitleStr(L"b");
    we.RemoveFixTitleStr(nullptr);
    EXPECT_EQ(lstTitle, (std::vector<std::wstring>{L"B", L"A"}));
    we.RemoveFixAppStr(L"b.exe");
    EXPECT_EQ(lstApp, (std::vector<std::wstring>{L"a.exe", L"B.exe"}));

    // Records of one window told apart by identity: one goes, the other stays.
    const HWND hWnd = CreateWindowExW(0, L"Static", L"Zv unit fixed", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(hWnd, nullptr);
    const size_t nBefore = we.GetFixWndList().size();
    CFixWnd* p1 = we.AddFixWnd(std::make_unique<CFixTitle>(hWnd, L"Zv unit fixed"));
    CFixWnd* p2 = we.AddFixWnd(std::make_unique<CFixApp>(hWnd, L"ZvUnitTests.exe"));
    EXPECT_TRUE(we.HasFixRecord(p1));
    EXPECT_TRUE(we.HasFixRecord(p2));
    EXPECT_EQ(we.FindFixTitle(L"Zv unit fixed"), p1);
    EXPECT_EQ(we.FindFixTitleWndByApp(L"ZvUnitTests"), p1) << "a prefix of the image name";
    EXPECT_EQ(we.FindFixTitleWndByApp(L"zvunittests"), nullptr);
    we.RemoveFixRecord(p2);
    EXPECT_FALSE(we.HasFixRecord(p2));
    EXPECT_TRUE(we.HasFixRecord(p1));
    we.RemoveFixRecord(p1);
    EXPECT_FALSE(we.HasFixRecord(p1));
    EXPECT_EQ(we.GetFixWndList().size(), nBefore);
    EXPECT_FALSE(we.HasFixRecord(nullptr));

    we.GetMoveWndList().push_back(hWnd);
    we.GetMoveWndList().push_back(hWnd);
    we.RemoveMoveWnd(hWnd);
    EXPECT_EQ(std::count(we.GetMoveWndList().begin(), we.GetMoveWndList().end(), hWnd), 1);
    DestroyWindow(hWnd);
}
