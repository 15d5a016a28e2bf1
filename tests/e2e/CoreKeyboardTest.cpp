// Keyboard scrolling of the core program: a scroll key combination typed anywhere on the desktop
// reaches the core program through its keyboard hook and moves every ordinary window of the test
// program by the keyboard Scroll width; a combination with an extra key, or with the scroll keys
// turned off, moves nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ZvTestKit.h"

using namespace zvkit;

namespace {

constexpr wchar_t kCore[] = L"ZvCore64.exe";
constexpr wchar_t kHiddenTitle[] = L"$$$ Zuvora! Hidden Main Window %%%";
constexpr UINT kMsgMvAllWndsByDevice = 0x8052;
// The mouse page entry: no keyboard row scrolls by it, so its width line marks requests taken.
constexpr int kMarkIdx = 0 * 4 + 1 * 2 + 1;
constexpr wchar_t kHookedLine[] = L"CZvCoreDlg::OnKeybdHooked(). Keyboard Event Hooked!";

std::wstring FromUtf8(const std::string& str)
{
    const int cch = MultiByteToWideChar(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), nullptr, 0);
    std::wstring strOut(static_cast<size_t>(cch), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), strOut.data(), cch);
    return strOut;
}

size_t CountOf(const std::wstring& str, const std::wstring& strPart)
{
    size_t n = 0;
    for (size_t nPos = str.find(strPart); nPos != std::wstring::npos; nPos = str.find(strPart, nPos + 1))
        ++n;
    return n;
}

RECT Shifted(const RECT& rc, int dx, int dy)
{
    return RECT{rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy};
}

class CoreKeyboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RegDeleteSettings());
        // Speed 1: a move ends in one pass, so a keyboard move is quickly over.
        ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
        wchar_t szTemp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, szTemp);
        m_strLog = std::wstring(szTemp) + L"ZvCoreKeyboardTest_" + std::to_wstring(GetCurrentProcessId()) + L".log";
        DeleteFileW(m_strLog.c_str());
    }
    void TearDown() override
    {
        if (m_core.IsStarted()) {
            CloseStrayMessageBoxes(m_core.Pid());
            if (m_hWndCore)
                PostMessageW(m_hWndCore, WM_CLOSE, 0, 0);
            m_core.WaitForExit(15000);
            m_core.Stop();
        }
        DeleteFileW(m_strLog.c_str());
    }

    bool StartCore()
    {
        if (!m_core.Start(kCore, L"/LOGWINDOW /LOGLEVEL=DEBUG /LOGFILE=" + QuoteArg(m_strLog))) {
            ADD_FAILURE() << "cannot start the core program, error " << m_core.LastError();
            return false;
        }
        m_hWndCore = WaitForWindow(kHiddenTitle, 15000, nullptr, m_core.Pid());
        if (!m_hWndCore)
            return false;
        return WaitUntil([&] { return Log().find(L"ZvCoreアプリケーション開始.") != std::wstring::npos; }, 20000, 100);
    }
    std::wstring Log() const { return FromUtf8(ReadFileBytes(m_strLog)); }

    // Holds the keys and waits until the core program has seen every press and release, and then
    // until whatever move they asked for has ended: a request without a direction is refused while
    // a move runs and leaves its index in the log once it is taken.
    bool TypeAndSettle(std::initializer_list<WORD> vks)
    {
        const size_t nHookedBefore = CountOf(Log(), kHookedLine);
        if (!HoldKeys(vks))
            return false;
        if (!WaitUntil([&] { return CountOf(Log(), kHookedLine) >= nHookedBefore + 2 * vks.size(); }, 10000, 50)) {
            ADD_FAILURE() << "the keyboard hook did not report every key event";
            return false;
        }
        const std::wstring strMark = L"CZvCoreDlg::GetScrollWidthAbs()...nIdx=" + std::to_wstring(kMarkIdx) + L",";
        const size_t nBefore = CountOf(Log(), strMark);
        return WaitUntil(
            [&] {
                if (CountOf(Log(), strMark) > nBefore)
                    return true;
                PostMessageW(m_hWndCore, kMsgMvAllWndsByDevice, static_cast<WPARAM>(kMarkIdx), 1);
                return false;
            },
            10000, 100);
    }

    // Two windows of the test program, started before the core program.
    bool StartWindows()
    {
        if (!m_wnds.Start({WndArg(300, 200, 300, 200, L"Zv Key A"), WndArg(700, 450, 250, 180, L"Zv Key B")}))
            return false;
        m_hA = m_wnds.Window(L"Zv Key A");
        m_hB = m_wnds.Window(L"Zv Key B");
        m_rcA = WindowRect(m_hA);
        m_rcB = WindowRect(m_hB);
        return m_hA && m_hB;
    }
    void ExpectBothShiftedBy(int dx, const char* pszWhat)
    {
        EXPECT_TRUE(SameRect(Shifted(m_rcA, dx, 0), WindowRect(m_hA))) << pszWhat;
        EXPECT_TRUE(SameRect(Shifted(m_rcB, dx, 0), WindowRect(m_hB))) << pszWhat;
    }

    CRegistryGuard m_guard{kMakerKey};
    std::wstring m_strLog;
    CProcess m_core;
    HWND m_hWndCore = nullptr;
    CTestWnds m_wnds;
    HWND m_hA = nullptr, m_hB = nullptr;
    RECT m_rcA{}, m_rcB{};
};

}  // namespace

TEST_F(CoreKeyboard, ArrowCombinationsMoveEveryWindowByTheLineAndPageWidths)
{
    ASSERT_TRUE(StartWindows());
    ASSERT_TRUE(StartCore());

    // Scrolling left shows what lies left: the windows move right.
    ASSERT_TRUE(TypeAndSettle({VK_CONTROL, VK_MENU, VK_LEFT}));
    ExpectBothShiftedBy(10, "Ctrl+Alt+Left");
    EXPECT_NE(Log().find(L"キーボードによる左スクロール操作検出."), std::wstring::npos);

    ASSERT_TRUE(TypeAndSettle({VK_CONTROL, VK_MENU, VK_RIGHT}));
    ExpectBothShiftedBy(0, "Ctrl+Alt+Right back");

    ASSERT_TRUE(TypeAndSettle({VK_CONTROL, VK_MENU, VK_RIGHT}));
    ExpectBothShiftedBy(-10, "Ctrl+Alt+Right");
    EXPECT_NE(Log().find(L"キーボードによる右スクロール操作検出."), std::wstring::npos);

    ASSERT_TRUE(TypeAndSettle({VK_SHIFT, VK_CONTROL, VK_MENU, VK_LEFT}));
    ExpectBothShiftedBy(190, "Shift+Ctrl+Alt+Left");

    ASSERT_TRUE(TypeAndSettle({VK_SHIFT, VK_CONTROL, VK_MENU, VK_RIGHT}));
    ExpectBothShiftedBy(-10, "Shift+Ctrl+Alt+Right");
    EXPECT_TRUE(FindMessageBoxes(m_core.Pid()).empty());
}

TEST_F(CoreKeyboard, AnExtraKeyOrTheScrollKeysTurnedOffMoveNothing)
{
    ASSERT_TRUE(StartWindows());
    ASSERT_TRUE(StartCore());

    // The extra key is assignable, so the held keys match no row.
    ASSERT_TRUE(TypeAndSettle({VK_CONTROL, VK_MENU, 'Q', VK_LEFT}));
    ExpectBothShiftedBy(0, "Ctrl+Alt+Q+Left");
    EXPECT_EQ(Log().find(L"キーボードによる左スクロール操作検出."), std::wstring::npos);

    // The same combination alone does move: the hook and the keys were live all along.
    ASSERT_TRUE(TypeAndSettle({VK_CONTROL, VK_MENU, VK_LEFT}));
    ExpectBothShiftedBy(10, "Ctrl+Alt+Left");
}

TEST_F(CoreKeyboard, ArrowOffLeavesTheWindowsWhereTheyStand)
{
    // Undo and Menu keep their default assignments, so the hook still reports every key.
    ASSERT_TRUE(RegSetDword(L"Keyboard", L"Arrow", 0));
    ASSERT_TRUE(StartWindows());
    ASSERT_TRUE(StartCore());

    ASSERT_TRUE(TypeAndSettle({VK_CONTROL, VK_MENU, VK_LEFT}));
    ASSERT_TRUE(TypeAndSettle({VK_SHIFT, VK_CONTROL, VK_MENU, VK_RIGHT}));
    ExpectBothShiftedBy(0, "Arrow 0");
    const std::wstring strLog = Log();
    EXPECT_EQ(strLog.find(L"キーボードによる左スクロール操作検出."), std::wstring::npos);
    EXPECT_EQ(strLog.find(L"キーボードによる右スクロール操作検出."), std::wstring::npos);
}
