// The core program's settings in the registry: the first start on nothing, the save at an orderly
// end and its reading back, values set before the start, and a cancelled session end.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "CoreRun.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;

namespace {

// Scrolling one keyboard line to the right.
constexpr WPARAM kRightKeybdLine = ScrollCalc::MakeDeviceWParam(DEVFLAG_RIGHT, kKeybdHorzLine);

class CoreSettings : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RegDeleteSettings()); }
    void TearDown() override
    {
        if (m_core.IsStarted()) {
            CloseStrayMessageBoxes(m_core.Pid());
            m_core.Stop();
        }
        if (!m_strLog.empty())
            DeleteFileW(m_strLog.c_str());
    }

    // With bLog the log viewer writes every line to the test's file, and the call returns once the
    // start line is there.
    HWND StartCore(bool bLog = false)
    {
        std::wstring strArgs;
        if (bLog) {
            m_strLog = NewTempFilePath(L"ZvCoreSettingsTest", L".log");
            strArgs = L"/LOGWINDOW /LOGLEVEL=DEBUG /LOGFILE=" + QuoteArg(m_strLog);
        }
        m_hWnd = StartCoreProgram(m_core, strArgs);
        if (m_hWnd && bLog && !WaitUntil([&] { return CountInLog("ZvCore") > 0; }, 20000, 100))
            return nullptr;
        return m_hWnd;
    }
    size_t CountInLog(const std::string& strPart) const
    {
        const std::string strLog = ReadFileBytes(m_strLog);
        size_t n = 0;
        for (size_t nPos = strLog.find(strPart); nPos != std::string::npos; nPos = strLog.find(strPart, nPos + 1))
            ++n;
        return n;
    }
    // Waits, once a move has started, until it has ended: a request without a direction is refused
    // while a move runs and leaves the width line of its index in the log once it is taken.
    bool WaitForMoveEnd()
    {
        const std::string strMark = "CZvCoreDlg::GetScrollWidthAbs()...nIdx=" + std::to_string(kMarkIdx) + ",";
        const size_t nBefore = CountInLog(strMark);
        return WaitUntil(
            [&] {
                if (CountInLog(strMark) > nBefore)
                    return true;
                PostMessageW(m_hWnd, MSG_MV_ALL_WNDS_BY_DEVICE, ScrollCalc::MakeDeviceWParam(0, kMarkIdx), 1);
                return false;
            },
            10000, 100);
    }
    std::optional<DWORD> CloseCore()
    {
        PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return m_core.WaitForExit(15000);
    }
    // A move of one keyboard line to the right; true once hWnd stands dx further.
    bool ScrollAndWait(HWND hWnd, const RECT& rcFrom, int dx)
    {
        if (!PostMessageW(m_hWnd, MSG_MV_ALL_WNDS_BY_DEVICE, kRightKeybdLine, 1))
            return false;
        const RECT rc{rcFrom.left + dx, rcFrom.top, rcFrom.right + dx, rcFrom.bottom};
        return WaitForRect(hWnd, rc, 10000);
    }

    CRegistryGuard m_guard{kMakerKey};
    CProcess m_core;
    HWND m_hWnd = nullptr;
    std::wstring m_strLog;
};

}  // namespace

TEST_F(CoreSettings, FirstStartWritesWhatTheLoadWritesAndTheEndSavesTheWholeRecord)
{
    ASSERT_NE(StartCore(), nullptr);
    // The load writes the default keys and the ends of the fixed-window lists, nothing else. The
    // window has its title just before it loads.
    EXPECT_TRUE(WaitUntil(
        [] {
            return RegGetDword(L"Keyboard", L"Scroll Key (Left Line) No.0").has_value() &&
                   RegGetString(L"Fix", L"Fixed Window By App Name No.0").has_value();
        },
        10000));
    EXPECT_EQ(RegGetDword(L"Keyboard", L"Scroll Key (Left Line) No.0"), std::optional<DWORD>(VK_CONTROL));
    EXPECT_EQ(RegGetString(L"Fix", L"Fixed Window By Title No.0"), std::optional<std::wstring>(PROP_FIX_TITLE_END));
    EXPECT_FALSE(RegKeyExists(std::wstring(kProfileKey) + L"\\Version"));
    EXPECT_FALSE(RegKeyExists(std::wstring(kProfileKey) + L"\\View"));
    EXPECT_EQ(RegGetString(L"Fix", L"Fixed Window By App Name No.0"),
              std::optional<std::wstring>(L"%%% End of fixed window application array &&&"));

    EXPECT_EQ(CloseCore(), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetDword(L"Version", L"Major"), std::optional<DWORD>(9));
    EXPECT_EQ(RegGetDword(L"Version", L"Minor"), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetString(L"Version", L"Additional String"), std::optional<std::wstring>(L"Ver. 9.00 Release Build"));
    EXPECT_EQ(RegGetDword(L"Timer", L"Resolution"), std::optional<DWORD>(100));
    EXPECT_EQ(RegGetDword(L"Timer", L"Scroll"), std::optional<DWORD>(100));
    EXPECT_EQ(RegGetDword(L"Timer", L"Log Process Start Detect"), std::optional<DWORD>(10000));
    EXPECT_EQ(RegGetDword(L"View", L"SmoothScroll"), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetDword(L"View", L"Speed"), std::optional<DWORD>(3));
    EXPECT_EQ(RegGetDword(L"View", L"TopMost"), std::optional<DWORD>(1));
    EXPECT_EQ(RegGetDword(L"Scroll", L"KeybdHorzLineMode"), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetDword(L"Scroll", L"KeybdHorzLineAbs"), std::optional<DWORD>(10));
    EXPECT_EQ(RegGetDword(L"Scroll Rate", L"Scroll Rate Cnt #0"), std::optional<DWORD>(50));
    EXPECT_EQ(RegGetDword(L"Scroll Rate", L"Scroll Rate Width #0"), std::optional<DWORD>(10));
    EXPECT_EQ(RegGetDword(L"Fix", L"Scroll Titled Window Only"), std::optional<DWORD>(1));
    EXPECT_EQ(RegGetDword(L"Window", L"RestoreAbsPos"), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetDword(L"Undo", L"Depth"), std::optional<DWORD>(50));
    EXPECT_EQ(RegGetDword(L"Auto Scroll", L"Delay"), std::optional<DWORD>(4));
    EXPECT_TRUE(RegGetDword(L"Position and Size", L"Horizontal Width").has_value());
}

TEST_F(CoreSettings, ValuesSetBeforeTheStartAreHonouredAndSurviveARestart)
{
    // Speed 1 moves at once, by a width of our own.
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
    ASSERT_TRUE(RegSetDword(L"Scroll", L"KeybdHorzLineAbs", 37));
    CTestWnds wnds;
    const HWND hWnd = wnds.StartTitled({WndArg(300, 300, 300, 200, L"Zv Settings")})[0];
    ASSERT_NE(hWnd, nullptr);
    const RECT rc = WindowRect(hWnd);

    ASSERT_NE(StartCore(), nullptr);
    ASSERT_TRUE(ScrollAndWait(hWnd, rc, -37));
    EXPECT_EQ(CloseCore(), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetDword(L"View", L"Speed"), std::optional<DWORD>(1));
    EXPECT_EQ(RegGetDword(L"Scroll", L"KeybdHorzLineAbs"), std::optional<DWORD>(37));

    // The saved record is read back by the next start.
    m_core = CProcess();
    ASSERT_NE(StartCore(), nullptr);
    ASSERT_TRUE(ScrollAndWait(hWnd, WindowRect(hWnd), -37));
    EXPECT_TRUE(SameRect(RECT{rc.left - 74, rc.top, rc.right - 74, rc.bottom}, WindowRect(hWnd)));
    EXPECT_EQ(CloseCore(), std::optional<DWORD>(0));
}

TEST_F(CoreSettings, CancelledSessionEndSavesButKeepsTheListsOfTheRunningProgram)
{
    ASSERT_TRUE(RegSetString(L"Fix", L"Fixed Window By Title No.0", L"Zv Kept"));
    CTestWnds wnds;
    const auto [hKept, hGoes] =
        wnds.StartTitled({WndArg(100, 200, 300, 200, L"Zv Kept"), WndArg(500, 200, 300, 200, L"Zv Goes")});
    ASSERT_TRUE(hKept && hGoes);
    const RECT rcKept = WindowRect(hKept);
    ASSERT_NE(StartCore(true), nullptr);

    ASSERT_FALSE(RegGetDword(L"View", L"Speed").has_value());
    DWORD_PTR dwResult = 0;
    ASSERT_TRUE(SendMessageTimeoutW(m_hWnd, WM_ENDSESSION, FALSE, 0, SMTO_BLOCK, 10000, &dwResult));
    // Saved at once ...
    EXPECT_EQ(RegGetDword(L"View", L"Speed"), std::optional<DWORD>(3));
    EXPECT_EQ(RegGetString(L"Fix", L"Fixed Window By Title No.0"), std::optional<std::wstring>(L"Zv Kept"));

    // ... and the program runs on with its fixed window.
    ASSERT_TRUE(ScrollAndWait(hGoes, WindowRect(hGoes), -10));
    ASSERT_TRUE(WaitForMoveEnd());
    EXPECT_TRUE(SameRect(rcKept, WindowRect(hKept)));

    EXPECT_EQ(CloseCore(), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetString(L"Fix", L"Fixed Window By Title No.0"), std::optional<std::wstring>(L"Zv Kept"));
    EXPECT_EQ(RegGetString(L"Fix", L"Fixed Window By Title No.1"), std::optional<std::wstring>(PROP_FIX_TITLE_END));
    EXPECT_EQ(RegGetDword(L"Keyboard", L"Scroll Key (Left Line) No.0"), std::optional<DWORD>(VK_CONTROL));
}

TEST_F(CoreSettings, RealSessionEndSavesOnceAndNothingSavesTheReleasedRecordAgain)
{
    ASSERT_TRUE(RegSetString(L"Fix", L"Fixed Window By Title No.0", L"Zv Kept"));
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 5));
    ASSERT_NE(StartCore(), nullptr);

    DWORD_PTR dwResult = 0;
    ASSERT_TRUE(SendMessageTimeoutW(m_hWnd, WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 10000, &dwResult));
    EXPECT_EQ(RegGetDword(L"Version", L"Major"), std::optional<DWORD>(9));
    EXPECT_EQ(RegGetDword(L"View", L"Speed"), std::optional<DWORD>(5));
    // A change made after the session's save is not overwritten by the emptied record at the end.
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 7));

    EXPECT_EQ(CloseCore(), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetDword(L"View", L"Speed"), std::optional<DWORD>(7));
    EXPECT_EQ(RegGetString(L"Fix", L"Fixed Window By Title No.0"), std::optional<std::wstring>(L"Zv Kept"));
    EXPECT_EQ(RegGetDword(L"Keyboard", L"Scroll Key (Left Line) No.0"), std::optional<DWORD>(VK_CONTROL));
}
