// Start-up and end of the 32-bit gateway program (its 64-bit test build): the hidden window, one
// instance only, a set-up that fails ends the program after its box, and the ends on WM_CLOSE and
// on the core program's silence.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "Handle.h"
#include "CoreRun.h"
#include "HkGtwyEvtMngr.h"
#include "Sender.h"
#include "SettingsNames.h"
#include "Strings.h"
#include "ZvTestKit.h"

using namespace zvkit;
using zvcore::CountOf;

namespace {

constexpr wchar_t kStartLine[] = L"ZvHook32to64アプリケーション開始.";
constexpr wchar_t kEndLine[] = L"ZvHook32to64アプリケーション終了.";
constexpr wchar_t kAliveStoppedLine[] = L"Detected core alive notification is stopped.";
// The two alive intervals of the gateway link, by the names the settings store them under.
const wchar_t* const kAliveSendEntry =
    zvsettings::ValueName(g_aPropTimerValues, &PROP_TIMER::dwAliveNotificationSendInterval);
const wchar_t* const kAliveRecvEntry =
    zvsettings::ValueName(g_aPropTimerValues, &PROP_TIMER::dwAliveNotificationReceiveLimit);

bool MutexExists(const wchar_t* pszName)
{
    return static_cast<bool>(CHandle(OpenMutexW(SYNCHRONIZE, FALSE, pszName)));
}

// The gateway's settings file: a bare name, so the Windows folder.
std::wstring GatewayIniPath()
{
    wchar_t szDir[MAX_PATH] = {};
    GetWindowsDirectoryW(szDir, MAX_PATH);
    return std::wstring(szDir) + L"\\ZvHook32to64.INI";
}

class GatewayStart : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_strLog = NewTempFilePath(L"GatewayStart", L".log");
        DeleteFileW(GatewayIniPath().c_str());
    }
    void TearDown() override
    {
        for (CProcess* pProc : {&m_gateway, &m_second}) {
            if (pProc->IsStarted()) {
                CloseStrayMessageBoxes(pProc->Pid());
                pProc->Stop();
            }
        }
        DeleteFileW(GatewayIniPath().c_str());
        DeleteFileW(m_strLog.c_str());
    }

    // Starts the gateway logging through the viewer at DEBUG level; its hidden window, or null.
    HWND StartGateway()
    {
        const std::wstring strArgs = L"/LOGWINDOW /LOGLEVEL=DEBUG /CALLER=1 /LOGFILE=" + QuoteArg(m_strLog);
        if (!m_gateway.Start(ZV_HOOK32TO64_FILE, strArgs)) {
            ADD_FAILURE() << "cannot start the gateway, error " << m_gateway.LastError();
            return nullptr;
        }
        const HWND hWnd = WaitForWindow(ZV_GTWY_WND_TITLE, 15000, nullptr, m_gateway.Pid());
        if (!hWnd)
            ADD_FAILURE() << "the gateway's window did not come";
        return hWnd;
    }
    std::wstring Log() const { return FromUtf8(ReadFileBytes(m_strLog)); }
    bool WaitForLine(const std::wstring& strLine, DWORD dwTimeoutMs = 20000) const
    {
        return WaitUntil([&] { return CountOf(Log(), strLine) >= 1; }, dwTimeoutMs, 50);
    }

    std::wstring m_strLog;
    CProcess m_gateway;
    CProcess m_second;
};

} // namespace

TEST_F(GatewayStart, RunsHiddenUnderItsTitleAndEndsInOrderOnClose)
{
    const HWND hWnd = StartGateway();
    ASSERT_NE(hWnd, nullptr);
    EXPECT_FALSE(IsWindowVisible(hWnd));
    EXPECT_NE(GetWindowLongW(hWnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    EXPECT_TRUE(MutexExists(ZV_GTWY_MUTEX_NAME));
    EXPECT_TRUE(FindMessageBoxes(m_gateway.Pid()).empty());
    ASSERT_TRUE(WaitForLine(kStartLine)) << "the viewer did not write the start line";
    // Not the receive-limit end: that line must not appear on an ordinary close.
    EXPECT_EQ(CountOf(Log(), kAliveStoppedLine), 0u);

    PostMessageW(hWnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(m_gateway.WaitForExit(15000), std::optional<DWORD>(0));
    EXPECT_FALSE(MutexExists(ZV_GTWY_MUTEX_NAME));
    EXPECT_TRUE(WaitForLine(kEndLine)) << "the end was not logged";
    EXPECT_EQ(CountOf(Log(), kAliveStoppedLine), 0u);
}

TEST_F(GatewayStart, SecondStartShowsItsBoxAndEndsWithZeroLeavingTheFirstAlone)
{
    const HWND hWnd = StartGateway();
    ASSERT_NE(hWnd, nullptr);

    ASSERT_TRUE(m_second.Start(ZV_HOOK32TO64_FILE));
    const HWND hBox = WaitForMessageBox(m_second.Pid(), 15000);
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(WindowTitle(hBox), ZV_GTWY_MUTEX_NAME);
    EXPECT_EQ(MessageBoxText(hBox), L"Zuvora! Hook Gateway は既に実行中です.");
    EXPECT_EQ(MessageBoxButtons(hBox), std::vector<int>{IDOK});
    EXPECT_EQ(FindTopLevel(ZV_GTWY_WND_TITLE, nullptr, m_second.Pid()), nullptr);

    ASSERT_TRUE(CloseMessageBox(hBox));
    EXPECT_EQ(m_second.WaitForExit(10000), std::optional<DWORD>(0));

    EXPECT_TRUE(m_gateway.IsRunning());
    EXPECT_EQ(FindTopLevel(ZV_GTWY_WND_TITLE, nullptr, m_gateway.Pid()), hWnd);
    EXPECT_TRUE(MutexExists(ZV_GTWY_MUTEX_NAME));
}

TEST_F(GatewayStart, ALinkThatCannotStartShowsTheSetUpBoxThenEndsAndFreesTheInstance)
{
    // The name of the event the core program pings is taken by an object of another kind: the
    // alive wait thread cannot start. And an alive period below the timer's 100 ms step, which
    // used to refuse its item, is taken as 100 ms.
    ASSERT_TRUE(WritePrivateProfileStringW(PROP_SECTION_TIMER, kAliveSendEntry, L"50", GatewayIniPath().c_str()));
    CHandle hSquat(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64,
                                      FormatString(HKGTWY_EVT_ALIVE_FORMAT, SENDER_CORE, SENDER_HOOK).c_str()));
    ASSERT_TRUE(hSquat);

    ASSERT_TRUE(m_gateway.Start(ZV_HOOK32TO64_FILE));
    const HWND hBox = WaitForMessageBox(m_gateway.Pid(), 15000);
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(WindowTitle(hBox), ZV_GTWY_MUTEX_NAME);
    const std::wstring strText = MessageBoxText(hBox);
    EXPECT_EQ(strText.rfind(L"初期化に失敗しました (HookGateway初期化失敗, code=0x", 0), 0u) << ToUtf8(strText);
    EXPECT_NE(strText.find(L").\nコンピュータを再起動して下さい."), std::wstring::npos) << ToUtf8(strText);

    ASSERT_TRUE(CloseMessageBox(hBox));
    EXPECT_EQ(m_gateway.WaitForExit(10000), std::optional<DWORD>(0));
    EXPECT_FALSE(MutexExists(ZV_GTWY_MUTEX_NAME));

    // The next gateway, its events free, is not refused.
    hSquat.reset();
    ASSERT_TRUE(m_second.Start(ZV_HOOK32TO64_FILE));
    EXPECT_NE(WaitForWindow(ZV_GTWY_WND_TITLE, 15000, nullptr, m_second.Pid()), nullptr);
    EXPECT_FALSE(WaitForMessageBox(m_second.Pid(), 1500)) << "the 50 ms period refused";
    EXPECT_TRUE(m_second.IsRunning());
}

TEST_F(GatewayStart, EndsWhenTheCoreProgramsPingsStopButNotOnTheSendItemNorAStrayLimit)
{
    // No core program pings it: its limit, counted from its start, ends it.
    constexpr DWORD kLimitMs = 4000;
    ASSERT_TRUE(WritePrivateProfileStringW(PROP_SECTION_TIMER, kAliveRecvEntry, std::to_wstring(kLimitMs).c_str(),
                                           GatewayIniPath().c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(PROP_SECTION_TIMER, kAliveSendEntry, L"500", GatewayIniPath().c_str()));
    const ULONGLONG qwStart = GetTickCount64();
    const HWND hWnd = StartGateway();
    ASSERT_NE(hWnd, nullptr);
    ASSERT_TRUE(WaitForLine(kStartLine));

    // The send item's tick leaves the gateway running.
    DWORD_PTR dwResult = 0;
    ASSERT_NE(SendMessageTimeoutW(hWnd, MSG_TMR_HKGTWY_ALIVE, 0, 0, SMTO_ABORTIFHUNG, 5000, &dwResult), 0);
    EXPECT_TRUE(IsWindow(hWnd));
    EXPECT_TRUE(m_gateway.IsRunning());
    // So does the limit's message posted by another program before the limit has passed.
    ASSERT_NE(SendMessageTimeoutW(hWnd, MSG_TMR_HKGTWY_ALIVE, 1, 0, SMTO_ABORTIFHUNG, 5000, &dwResult), 0);
    const ULONGLONG qwStray = GetTickCount64() - qwStart;
    EXPECT_TRUE(IsWindow(hWnd));
    EXPECT_TRUE(m_gateway.IsRunning());

    // The limit passed: the gateway logs it and ends.
    EXPECT_EQ(m_gateway.WaitForExit(15000), std::optional<DWORD>(0));
    const ULONGLONG qwEnded = GetTickCount64() - qwStart;
    if (qwStray + 1000 < kLimitMs) {
        EXPECT_GE(qwEnded, kLimitMs - 500) << "ended before its limit";
    }
    EXPECT_FALSE(MutexExists(ZV_GTWY_MUTEX_NAME));
    EXPECT_TRUE(WaitForLine(kEndLine));
    const std::wstring strLog = Log();
    const size_t nStopped = strLog.find(kAliveStoppedLine);
    ASSERT_NE(nStopped, std::wstring::npos) << ToUtf8(strLog);
    EXPECT_LT(nStopped, strLog.find(kEndLine));
}
