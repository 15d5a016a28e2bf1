// Shared foundation: abbreviating and copying texts, show commands, untitled-window labels and
// the neighbour of a window in the window order.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "PropertySet.h"
#include "UntitledWndName.h"
#include "WndUtil.h"

namespace {

constexpr wchar_t kGuard = 0xA5A5;

// The buffer's text, and a check that nothing was written past nSize.
std::wstring Abbreviate(const std::wstring& strSrc, int nSize, const wchar_t* pszTail = L"...")
{
    std::vector<wchar_t> buf(nSize + 4, kGuard);
    AbbreviateStr(strSrc.c_str(), buf.data(), nSize, pszTail);
    EXPECT_TRUE(std::all_of(buf.begin() + nSize, buf.end(), [](wchar_t ch) { return ch == kGuard; }));
    EXPECT_TRUE(std::find(buf.begin(), buf.begin() + nSize, L'\0') != buf.begin() + nSize);
    // Zero-filled behind the text.
    const auto itEnd = std::find(buf.begin(), buf.begin() + nSize, L'\0');
    EXPECT_TRUE(std::all_of(itEnd, buf.begin() + nSize, [](wchar_t ch) { return ch == L'\0'; }));
    return std::wstring(buf.data());
}

std::wstring Copy(const std::wstring& strSrc, int nSize)
{
    std::vector<wchar_t> buf(nSize + 4, kGuard);
    CopyStrToBuf(buf.data(), strSrc.c_str(), nSize);
    EXPECT_TRUE(std::all_of(buf.begin() + nSize, buf.end(), [](wchar_t ch) { return ch == kGuard; }));
    const auto itEnd = std::find(buf.begin(), buf.begin() + nSize, L'\0');
    EXPECT_TRUE(std::all_of(itEnd, buf.begin() + nSize, [](wchar_t ch) { return ch == L'\0'; }));
    return std::wstring(buf.data());
}

std::wstring Letters(size_t n)
{
    std::wstring str;
    for (size_t i = 0; i < n; ++i)
        str += static_cast<wchar_t>(L'a' + i % 26);
    return str;
}

} // namespace

TEST(CommonWndUtil, AbbreviateKeepsShortTextsWhole)
{
    EXPECT_EQ(Abbreviate(Letters(31), 32), Letters(31));
    EXPECT_EQ(Abbreviate(L"", 32), L"");
    EXPECT_EQ(Abbreviate(L"窓の題名", 5), L"窓の題名");
}

TEST(CommonWndUtil, AbbreviateCutsAndAppendsTheTail)
{
    const std::wstring str40 = Letters(40);
    const std::wstring strCut = Abbreviate(str40, 32);
    EXPECT_EQ(strCut, str40.substr(0, 28) + L"...");
    EXPECT_EQ(strCut.size(), 31u);
    // A text of exactly the buffer size is cut too.
    EXPECT_EQ(Abbreviate(Letters(32), 32), Letters(28) + L"...");
    EXPECT_EQ(Abbreviate(Letters(40), 35), Letters(31) + L"...");
    EXPECT_EQ(Abbreviate(Letters(40), 32, L""), Letters(31));
    EXPECT_EQ(Abbreviate(Letters(40), 32, nullptr), Letters(31));
}

TEST(CommonWndUtil, AbbreviateWalksBackOverCharactersThatCannotEndTheText)
{
    // Control characters are no cut point.
    std::wstring str = Letters(26) + L"\t\t" + Letters(20);
    EXPECT_EQ(Abbreviate(str, 32), Letters(26) + L"...");
    // Japanese text is cut between whole characters, blanks are kept.
    const std::wstring strJa = L"無題 ウィンドウの長い長い題名がここに続いていてまだまだ終わらない題名です";
    ASSERT_GE(strJa.size(), 32u);
    EXPECT_EQ(Abbreviate(strJa, 32), strJa.substr(0, 28) + L"...");
    // A surrogate pair at the cut stays together: here it is left out whole.
    const std::wstring strPair = Letters(27) + L"\xD83D\xDE00" + Letters(10);
    EXPECT_EQ(Abbreviate(strPair, 32), Letters(27) + L"...");
    const std::wstring strPairBefore = Letters(26) + L"\xD83D\xDE00" + Letters(10);
    EXPECT_EQ(Abbreviate(strPairBefore, 32), strPairBefore.substr(0, 28) + L"...");
    // No cut point at all: only the tail.
    EXPECT_EQ(Abbreviate(std::wstring(40, L'\n'), 32), L"...");
}

TEST(CommonWndUtil, AbbreviateNeverOverrunsSmallBuffers)
{
    EXPECT_EQ(Abbreviate(Letters(10), 5), L"a...");
    EXPECT_EQ(Abbreviate(Letters(10), 4), L"...");
    EXPECT_EQ(Abbreviate(Letters(10), 3), L"..");
    EXPECT_EQ(Abbreviate(Letters(10), 1), L"");
    wchar_t ch = kGuard;
    AbbreviateStr(L"abc", &ch, 0, L"...");
    EXPECT_EQ(ch, kGuard);
}

TEST(CommonWndUtil, CopyTakesAtMostTheRoom)
{
    EXPECT_EQ(Copy(L"abc", 32), L"abc");
    EXPECT_EQ(Copy(Letters(40), 32), Letters(31));
    EXPECT_EQ(Copy(Letters(31), 32), Letters(31));
    EXPECT_EQ(Copy(L"abc", 1), L"");
    EXPECT_EQ(Copy(L"", 8), L"");
    // The first half of a pair is not left at the end alone.
    EXPECT_EQ(Copy(L"ab\xD83D\xDE00", 4), L"ab");
    EXPECT_EQ(Copy(L"ab\xD83D\xDE00", 5), L"ab\xD83D\xDE00");
}

TEST(CommonWndUtil, SameShowCmd)
{
    EXPECT_TRUE(IsSameShowCmd(SW_SHOWNORMAL, SW_SHOWNORMAL));
    EXPECT_TRUE(IsSameShowCmd(SW_SHOWMAXIMIZED, SW_SHOWMAXIMIZED));
    EXPECT_TRUE(IsSameShowCmd(SW_SHOWMINIMIZED, SW_MINIMIZE));
    EXPECT_TRUE(IsSameShowCmd(SW_MINIMIZE, SW_SHOWMINIMIZED));
    EXPECT_FALSE(IsSameShowCmd(SW_SHOWNORMAL, SW_SHOWMAXIMIZED));
    EXPECT_FALSE(IsSameShowCmd(SW_SHOWMINIMIZED, SW_SHOWMINNOACTIVE));
    EXPECT_FALSE(IsSameShowCmd(SW_MINIMIZE, SW_HIDE));
    EXPECT_FALSE(IsSameShowCmd(SW_SHOWNORMAL, SW_RESTORE));
}

TEST(CommonWndUtil, UntitledWindowLabel)
{
    HWND hWnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(hWnd, nullptr);
    const unsigned uLow = static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(hWnd));
    wchar_t szHex[16];
    _snwprintf(szHex, 16, L"%08x", uLow);
    std::wstring str;
    EXPECT_TRUE(GetUntitledWndName(hWnd, str));
    EXPECT_EQ(str, std::wstring(L"無題ウィンドウ ") + szHex + L"H (ZvUnitTests.exe)");
    DestroyWindow(hWnd);

    EXPECT_TRUE(GetUntitledWndName(hWnd, str));
    EXPECT_EQ(str, std::wstring(L"無題ウィンドウ ") + szHex + L"H (Not Found)");
    EXPECT_TRUE(GetUntitledWndName(nullptr, str));
    EXPECT_EQ(str, L"無題ウィンドウ 00000000H (Not Found)");
}

TEST(CommonWndUtil, ScrollBarWindowsGoIntoThePositionSection)
{
    PROPERTY_SET prop;
    const HWND hHorz = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x12345678));
    const HWND hVert = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x9ABCDEF0));
    EXPECT_TRUE(SetScrollBarWnds(prop, hHorz, hVert));
    EXPECT_EQ(WndFrom64(prop.propPosSize.hWndHorz), hHorz);
    EXPECT_EQ(WndFrom64(prop.propPosSize.hWndVert), hVert);
}

namespace {

// A parent whose first child may be minimised, owned (or not) by a third window.
class CommonRelatedWnd : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (HWND hWnd : {m_hChild, m_hParent, m_hOwner}) {
            if (hWnd)
                DestroyWindow(hWnd);
        }
    }
    void Make(bool bOwner)
    {
        const HINSTANCE hInst = GetModuleHandleW(nullptr);
        if (bOwner) {
            m_hOwner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr,
                                       nullptr, hInst, nullptr);
            ASSERT_NE(m_hOwner, nullptr);
        }
        m_hParent = CreateWindowExW(0, L"STATIC", L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, m_hOwner,
                                    nullptr, hInst, nullptr);
        ASSERT_NE(m_hParent, nullptr);
        m_hChild = CreateWindowExW(0, L"STATIC", L"child", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0,
                                   100, 100, m_hParent, nullptr, hInst, nullptr);
        ASSERT_NE(m_hChild, nullptr);
    }
    // The show command the placement reports (ShowWindow may not give exactly what was asked).
    static UINT ShowCmd(HWND hWnd)
    {
        WINDOWPLACEMENT wp{};
        wp.length = sizeof(wp);
        GetWindowPlacement(hWnd, &wp);
        return wp.showCmd;
    }
    HWND m_hOwner = nullptr;
    HWND m_hParent = nullptr;
    HWND m_hChild = nullptr;
};

} // namespace

TEST_F(CommonRelatedWnd, NoneOrAWindowThatIsNotMinimised)
{
    Make(false);
    EXPECT_EQ(GetRelatedWnd(m_hChild, GW_CHILD, TRUE), nullptr);
    EXPECT_EQ(GetRelatedWnd(m_hParent, GW_CHILD, TRUE), m_hChild);
    EXPECT_EQ(GetRelatedWnd(m_hParent, GW_CHILD, FALSE), m_hChild);
}

TEST_F(CommonRelatedWnd, MinimisedWindowDependsOnTheOwnerOfTheWindowPassedIn)
{
    Make(true);
    ShowWindow(m_hChild, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(m_hChild));
    ASSERT_TRUE(IsSameShowCmd(ShowCmd(m_hChild), SW_SHOWMINIMIZED));

    // Hidden owner: nothing.
    EXPECT_EQ(GetRelatedWnd(m_hParent, GW_CHILD, TRUE), nullptr);
    // Visible, normal owner: the window.
    ShowWindow(m_hOwner, SW_SHOWNOACTIVATE);
    EXPECT_EQ(GetRelatedWnd(m_hParent, GW_CHILD, TRUE), m_hChild);
    // Minimised owner: nothing.
    ShowWindow(m_hOwner, SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(IsIconic(m_hOwner));
    EXPECT_EQ(GetRelatedWnd(m_hParent, GW_CHILD, TRUE), nullptr);
    // Restored child: given whatever the owner is.
    ShowWindow(m_hChild, SW_RESTORE);
    EXPECT_EQ(GetRelatedWnd(m_hParent, GW_CHILD, TRUE), m_hChild);
}

TEST_F(CommonRelatedWnd, MinimisedWindowWithoutOwnerIsGiven)
{
    Make(false);
    ShowWindow(m_hChild, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(m_hChild));
    EXPECT_EQ(GetRelatedWnd(m_hParent, GW_CHILD, TRUE), m_hChild);
}
