// Abbreviating and copying texts, show commands, untitled-window labels and the neighbour of a
// window in the window order.
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

// What fill leaves in a buffer of nSize characters, which must be zero-terminated, zero-filled
// behind the text and untouched past nSize.
template <class TFill>
std::wstring InBuffer(int nSize, TFill fill)
{
    std::vector<wchar_t> buf(nSize + 4, kGuard);
    fill(buf.data());
    const auto itEnd = std::find(buf.begin(), buf.begin() + nSize, L'\0');
    EXPECT_NE(itEnd, buf.begin() + nSize) << "no terminating zero";
    EXPECT_TRUE(std::all_of(itEnd, buf.begin() + nSize, [](wchar_t ch) { return ch == L'\0'; }));
    EXPECT_TRUE(std::all_of(buf.begin() + nSize, buf.end(), [](wchar_t ch) { return ch == kGuard; }));
    return std::wstring(buf.data());
}

std::wstring Abbreviate(const std::wstring& strSrc, int nSize, const wchar_t* pszTail)
{
    return InBuffer(nSize, [&](wchar_t* pBuf) { AbbreviateStr(strSrc.c_str(), pBuf, nSize, pszTail); });
}

std::wstring Copy(const std::wstring& strSrc, int nSize)
{
    return InBuffer(nSize, [&](wchar_t* pBuf) { CopyStrToBuf(pBuf, strSrc.c_str(), nSize); });
}

std::wstring Letters(size_t n)
{
    std::wstring str;
    for (size_t i = 0; i < n; ++i)
        str += static_cast<wchar_t>(L'a' + i % 26);
    return str;
}

} // namespace

TEST(CommonWndUtil, AbbreviateCutsAtAWholeCharacterAndNeverOverruns)
{
    const std::wstring strJa = L"無題 ウィンドウの長い長い題名がここに続いていてまだまだ終わらない題名です";
    const std::wstring strPairBefore = Letters(26) + L"\xD83D\xDE00" + Letters(10);
    struct CASE { std::wstring strSrc; int nSize; const wchar_t* pszTail; std::wstring strExpected; };
    const CASE aCase[] = {
        {Letters(31), 32, L"...", Letters(31)}, {L"", 32, L"...", L""}, {L"窓の題名", 5, L"...", L"窓の題名"},
        {Letters(40), 32, L"...", Letters(28) + L"..."}, {Letters(32), 32, L"...", Letters(28) + L"..."},
        {Letters(40), 35, L"...", Letters(31) + L"..."},
        {Letters(40), 32, L"", Letters(31)}, {Letters(40), 32, nullptr, Letters(31)},
        // Control characters are no cut point; Japanese text is cut between whole characters.
        {Letters(26) + L"\t\t" + Letters(20), 32, L"...", Letters(26) + L"..."},
        {strJa, 32, L"...", strJa.substr(0, 28) + L"..."}, {std::wstring(40, L'\n'), 32, L"...", L"..."},
        // A surrogate pair at the cut stays together.
        {Letters(27) + L"\xD83D\xDE00" + Letters(10), 32, L"...", Letters(27) + L"..."},
        {strPairBefore, 32, L"...", strPairBefore.substr(0, 28) + L"..."},
        // Tiny buffers.
        {Letters(10), 5, L"...", L"a..."}, {Letters(10), 4, L"...", L"..."}, {Letters(10), 3, L"...", L".."},
        {Letters(10), 1, L"...", L""},
    };
    for (const CASE& c : aCase)
        EXPECT_EQ(Abbreviate(c.strSrc, c.nSize, c.pszTail), c.strExpected) << c.strSrc << " into " << c.nSize;
    wchar_t ch = kGuard;
    AbbreviateStr(L"abc", &ch, 0, L"...");
    EXPECT_EQ(ch, kGuard);
}

TEST(CommonWndUtil, CopyTakesAtMostTheRoomAndKeepsPairsWhole)
{
    EXPECT_EQ(Copy(L"abc", 32), L"abc");
    EXPECT_EQ(Copy(Letters(40), 32), Letters(31));
    EXPECT_EQ(Copy(Letters(31), 32), Letters(31));
    EXPECT_EQ(Copy(L"abc", 1), L"");
    EXPECT_EQ(Copy(L"ab\xD83D\xDE00", 4), L"ab");
    EXPECT_EQ(Copy(L"ab\xD83D\xDE00", 5), L"ab\xD83D\xDE00");
}

TEST(CommonWndUtil, SameShowCmdTakesBothMinimiseCommandsAsOne)
{
    EXPECT_TRUE(IsSameShowCmd(SW_SHOWNORMAL, SW_SHOWNORMAL));
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
        for (HWND hWnd : {m_hChild, m_hParent, m_hOwner})
            DestroyWindow(hWnd);
    }
    void Make(bool bOwner)
    {
        if (bOwner)
            m_hOwner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr,
                                       nullptr, nullptr, nullptr);
        m_hParent = CreateWindowExW(0, L"STATIC", L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, m_hOwner,
                                    nullptr, nullptr, nullptr);
        m_hChild = CreateWindowExW(0, L"STATIC", L"child", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0,
                                   100, 100, m_hParent, nullptr, nullptr, nullptr);
        ASSERT_TRUE(m_hParent && m_hChild && (m_hOwner || !bOwner));
    }
    HWND m_hOwner = nullptr;
    HWND m_hParent = nullptr;
    HWND m_hChild = nullptr;
};

} // namespace

TEST_F(CommonRelatedWnd, WithoutOwnerAnyWindowIsGiven)
{
    Make(false);
    EXPECT_EQ(GetRelatedWnd(m_hChild, GW_CHILD, TRUE), nullptr);
    EXPECT_EQ(GetRelatedWnd(m_hParent, GW_CHILD, TRUE), m_hChild);
    EXPECT_EQ(GetRelatedWnd(m_hParent, GW_CHILD, FALSE), m_hChild);
    ShowWindow(m_hChild, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(m_hChild));
    EXPECT_EQ(GetRelatedWnd(m_hParent, GW_CHILD, TRUE), m_hChild);
}

TEST_F(CommonRelatedWnd, MinimisedWindowDependsOnTheOwnerOfTheWindowPassedIn)
{
    Make(true);
    ShowWindow(m_hChild, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(m_hChild));
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
