// Fixed-window records, matched by exact title or by the exact, case-sensitive executable name,
// compared across kinds and cloned.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "FixApp.h"
#include "FixTitle.h"
#include "FixWnd.h"

namespace {

const HWND kWnd1 = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x10010));
const HWND kWnd2 = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x20020));

// The base's own comparison, as a record kind without text would use it.
class CPlainFix : public CFixWnd {
public:
    explicit CPlainFix(HWND hWndFixed) : CFixWnd(hWndFixed) {}
    BOOL IsMatchStr(LPCWSTR) const override { return FALSE; }
    BOOL IsMatchWnd(HWND) const override { return FALSE; }
    CFixWnd* Clone() const override { return new CPlainFix(hWnd); }
};

TEST(FixWnd, RecordsKeepKindWindowAndACopyOfTheText)
{
    std::wstring strTitle = L"メモ帳 - a.txt";
    CFixTitle title(kWnd1, strTitle.c_str());
    strTitle[0] = L'X';
    EXPECT_EQ(title.nType, FIXWND_TYPE_TITLE);
    EXPECT_EQ(title.hWnd, kWnd1);
    EXPECT_STREQ(title.GetText(), L"メモ帳 - a.txt");
    EXPECT_EQ(CFixApp(kWnd2, L"notepad.exe").nType, FIXWND_TYPE_APP);
    CPlainFix plain(kWnd1);
    EXPECT_EQ(plain.nType, FIXWND_TYPE_PLAIN);
    EXPECT_STREQ(plain.GetText(), L"");
}

TEST(FixWnd, TitlesAndApplicationNamesMatchWholeAndWithTheirCase)
{
    struct CASE { const wchar_t* pszFixed; const wchar_t* pszText; bool bMatch; };
    const CASE aCase[] = {
        {L"メモ帳 - a.txt", L"メモ帳 - a.txt", true}, {L"メモ帳 - a.txt", L"メモ帳 - A.txt", false},
        {L"メモ帳 - a.txt", L"メモ帳 - a.txt2", false}, {L"メモ帳 - a.txt", L"メモ帳", false},
        {L"メモ帳 - a.txt", L"", false}, {L"メモ帳 - a.txt", nullptr, false},
        {L"", L"", true}, {L"", L" ", false},
        {L"Notepad.exe", L"Notepad.exe", true}, {L"Notepad.exe", L"notepad.exe", false},
        {L"Notepad.exe", L"Notepad.ex", false}, {L"Notepad.exe", L"Notepad.exe ", false},
    };
    for (const CASE& c : aCase) {
        SCOPED_TRACE(testing::Message() << c.pszFixed << " / " << (c.pszText ? c.pszText : L"(null)"));
        EXPECT_EQ(CFixTitle(kWnd1, c.pszFixed).IsMatchStr(c.pszText) != FALSE, c.bMatch);
        EXPECT_EQ(CFixApp(kWnd1, c.pszFixed).IsMatchStr(c.pszText) != FALSE, c.bMatch);
    }
}

TEST(FixWnd, IsEqualNeedsSameKindAndTextButNotSameWindow)
{
    CFixTitle title1(kWnd1, L"Same"), title2(kWnd2, L"Same"), titleOther(kWnd1, L"same");
    CFixApp app1(kWnd1, L"Same"), app2(kWnd2, L"Same");
    CPlainFix plain1(kWnd1), plain2(kWnd2);

    EXPECT_TRUE(title1.IsEqual(&title2));
    EXPECT_FALSE(title1.IsEqual(&titleOther));
    EXPECT_TRUE(app1.IsEqual(&app2));
    // The same text under another kind is another record.
    EXPECT_FALSE(title1.IsEqual(&app1));
    EXPECT_FALSE(app1.IsEqual(&title1));
    EXPECT_FALSE(title1.IsEqual(&plain1));
    // Plain records only compare kinds.
    EXPECT_TRUE(plain1.IsEqual(&plain2));
    EXPECT_FALSE(plain1.IsEqual(&title1));
    EXPECT_FALSE(title1.IsEqual(nullptr));
}

TEST(FixWnd, CloneGivesAnIndependentRecordOfTheSameClass)
{
    const std::unique_ptr<CFixWnd> pTitle(CFixTitle(kWnd1, L"Title").Clone());
    ASSERT_NE(dynamic_cast<CFixTitle*>(pTitle.get()), nullptr);
    EXPECT_EQ(pTitle->hWnd, kWnd1);
    EXPECT_STREQ(pTitle->GetText(), L"Title");

    CFixApp app(kWnd2, L"app.exe");
    const std::unique_ptr<CFixWnd> pApp(app.Clone());
    ASSERT_NE(dynamic_cast<CFixApp*>(pApp.get()), nullptr);
    EXPECT_NE(pApp->psz.get(), app.psz.get());
    EXPECT_TRUE(pApp->IsEqual(&app));
}

TEST(FixWnd, GoneWindowNeverMatches)
{
    EXPECT_FALSE(CFixTitle(kWnd1, L"").IsMatchWnd(nullptr));
    EXPECT_FALSE(CFixApp(kWnd1, L"app.exe").IsMatchWnd(nullptr));
}

} // namespace
