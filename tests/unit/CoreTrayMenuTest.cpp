// The tray menu's texts: the undo item's text for every kind of undo item, read from the core
// program's own string table as it reads it, and the log line that tells what a menu shows (the
// menu resource itself is read back from that line by the end-to-end test).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "TrayMenuText.h"
#include "UndoKind.h"
#include "UntitledWndName.h"

namespace {

std::wstring Letters(size_t n)
{
    std::wstring str;
    for (size_t i = 0; i < n; ++i)
        str += static_cast<wchar_t>(L'A' + i % 26);
    return str;
}

// ZvCore64.exe lies beside the test program.
class CoreTrayMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t szPath[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, szPath, MAX_PATH);
        std::wstring strPath = szPath;
        strPath = strPath.substr(0, strPath.find_last_of(L"\\/") + 1) + L"ZvCore64.exe";
        m_hCore = LoadLibraryExW(strPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(m_hCore, nullptr);
    }
    void TearDown() override
    {
        if (m_hCore)
            FreeLibrary(m_hCore);
    }
    std::wstring Text(int nKind, int nSubKind, const std::wstring& strTitle = L"") const
    {
        return TrayMenu::UndoItemText(m_hCore, nKind, nSubKind, strTitle);
    }

    HMODULE m_hCore = nullptr;
};

}  // namespace

TEST_F(CoreTrayMenu, EveryKindOfUndoItemHasItsText)
{
    struct CASE {
        int nKind, nSubKind;
        const wchar_t* pszText;
    };
    const CASE aCase[] = {
        {UK_ALIGN, UNDO_ALIGN_CENTER, L"元に戻す - 中央へ表示(&U)"},
        {UK_ALIGN, UNDO_ALIGN_CASCADE, L"元に戻す - 重ねて表示(&U)"},
        {UK_ALIGN, UNDO_ALIGN_TILE_HORZ, L"元に戻す - 横に並べて表示(&U)"},
        {UK_ALIGN, UNDO_ALIGN_TILE_VERT, L"元に戻す - 縦に並べて表示(&U)"},
        {UK_ALIGN, UNDO_ALIGN_SCROLL_H, L"元に戻す - 水平スクロール(&U)"},
        {UK_ALIGN, UNDO_ALIGN_SCROLL_V, L"元に戻す - 垂直スクロール(&U)"},
        {UK_ALIGN, UNDO_ALIGN_SCROLL, L"元に戻す - スクロール(&U)"},
        {UK_ALIGN, UNDO_ALIGN_NONE, L"元に戻す(&U)"},
        {UK_ALIGN, 8, L"元に戻す(&U)"},
        {UK_ALIGN, -1, L"元に戻す(&U)"},
        {UK_RESIZE, 0, L"元に戻す - 位置とサイズ(&U)"},
        {UK_RESIZE, UNDO_ALIGN_CENTER, L"元に戻す - 位置とサイズ(&U)"},
        {UK_NONE, UNDO_ALIGN_CENTER, L"元に戻す(&U)"},
        {4, 0, L"元に戻す(&U)"},
    };
    for (const CASE& c : aCase)
        EXPECT_EQ(std::wstring(c.pszText), Text(c.nKind, c.nSubKind)) << c.nKind << "/" << c.nSubKind;
}

TEST_F(CoreTrayMenu, OneWindowTextQuotesTheTitleShortenedToFit)
{
    // 40 letters: the first 28 and "...", 31 characters in the room of 32.
    EXPECT_EQ(L"元に戻す - \"" + Letters(28) + L"...\"の位置とサイズ(&U)", Text(UK_RESIZEWND, 0, Letters(40)));
    EXPECT_EQ(L"元に戻す - \"" + Letters(31) + L"\"の位置とサイズ(&U)", Text(UK_RESIZEWND, 0, Letters(31)));
    // A title is text, never a format.
    EXPECT_EQ(L"元に戻す - \"100% %s 完了\"の位置とサイズ(&U)", Text(UK_RESIZEWND, UNDO_ALIGN_CENTER, L"100% %s 完了"));
    EXPECT_EQ(L"元に戻す - \"\"の位置とサイズ(&U)", Text(UK_RESIZEWND, 0, L""));
    EXPECT_EQ(L"元に戻す - \"Untitled Window\"の位置とサイズ(&U)", Text(UK_RESIZEWND, 0, L"Untitled Window"));

    std::wstring strLabel;
    ASSERT_TRUE(GetUntitledWndName(nullptr, strLabel));
    ASSERT_EQ(L"無題ウィンドウ 00000000H (Not Found)", strLabel);
    EXPECT_EQ(L"元に戻す - \"" + strLabel + L"\"の位置とサイズ(&U)", Text(UK_RESIZEWND, 0, strLabel));
}

TEST(CoreTrayMenuDescribe, GreyItemsSubmenusAndSeparatorsAreTold)
{
    const HMENU hSub = CreatePopupMenu();
    const HMENU hMenu = CreatePopupMenu();
    ASSERT_TRUE(hSub && hMenu);
    AppendMenuW(hSub, MF_STRING | MF_GRAYED, 7, L"in");
    AppendMenuW(hMenu, MF_STRING | MF_GRAYED, 1, L"a | b");
    AppendMenuW(hMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(hSub), L"sub");
    AppendMenuW(hMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(hMenu, MF_STRING, 2, L"");
    EXPECT_EQ(L"1 \"a | b\" grayed | [ \"sub\" enabled : 7 \"in\" grayed ] | - | 2 \"\" enabled",
              TrayMenu::DescribeMenu(hMenu));
    DestroyMenu(hMenu);
    EXPECT_EQ(L"", TrayMenu::DescribeMenu(nullptr));
}
