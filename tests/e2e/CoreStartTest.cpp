// Start-up of the core program: one instance, refusal while the settings program runs, the log
// through the viewer, the registry migration, and the help and about commands.
#include <gtest/gtest.h>
#include <cstring>
#include <windows.h>

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "Handle.h"
#include "CoreRun.h"
#include "SettingsNames.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;

namespace {

constexpr wchar_t kCaption[] = L"Zuvora!";

bool MutexExists(const wchar_t* pszName)
{
    return static_cast<bool>(CHandle(OpenMutexW(SYNCHRONIZE, FALSE, pszName)));
}

// The line of the file that contains strPart, empty when none does.
std::string LineWith(const std::string& strFile, const std::string& strPart)
{
    const size_t nPos = strFile.find(strPart);
    if (nPos == std::string::npos)
        return {};
    const size_t nStart = strFile.rfind('\n', nPos);
    const size_t nEnd = strFile.find('\n', nPos);
    const size_t nFrom = nStart == std::string::npos ? 0 : nStart + 1;
    return strFile.substr(nFrom, nEnd == std::string::npos ? std::string::npos : nEnd - nFrom);
}

// The settings and the old-settings key are put back after every test, and no box is left.
class CoreStart : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RegDeleteSettings(ZV_IMMIGRATE_KEY)); }
    void TearDown() override
    {
        for (CProcess* pProc : {&m_core, &m_second}) {
            if (pProc->IsStarted()) {
                CloseStrayMessageBoxes(pProc->Pid());
                pProc->Stop();
            }
        }
    }

    // Starts the core program and waits for its hidden window.
    HWND StartCore(const std::wstring& strArgs = L"") { return StartCoreProgram(m_core, strArgs); }
    // Ends the core program through its hidden window; its exit code.
    std::optional<DWORD> CloseCore(HWND hWndHidden)
    {
        PostMessageW(hWndHidden, WM_CLOSE, 0, 0);
        return m_core.WaitForExit(15000);
    }

    // A close sent while the core program's box or dialog is up: handled, yet the hidden window
    // stays until the box has gone.
    void ExpectCloseWaitsFor(HWND hWndHidden, HWND hWndBox)
    {
        DWORD_PTR dwResult = 0;
        ASSERT_TRUE(SendMessageTimeoutW(hWndHidden, WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, &dwResult));
        EXPECT_TRUE(IsWindow(hWndHidden)) << "destroyed inside the box's loop";
        EXPECT_TRUE(IsWindow(hWndBox));
        EXPECT_TRUE(m_core.IsRunning());
    }

    CRegistryGuard m_guardSettings{kMakerKey};
    CRegistryGuard m_guardImmigrate{ZV_IMMIGRATE_KEY};
    CProcess m_core;
    CProcess m_second;
};

} // namespace

TEST_F(CoreStart, RunsWithItsHiddenWindowAndHoldsTheInstanceMutexUntilItEnds)
{
    HWND hWnd = StartCore();
    ASSERT_NE(hWnd, nullptr);
    EXPECT_FALSE(IsWindowVisible(hWnd));
    EXPECT_TRUE(MutexExists(CoreString(zvcoreids::kStrAppName).c_str()));
    EXPECT_TRUE(FindMessageBoxes(m_core.Pid()).empty());

    EXPECT_EQ(CloseCore(hWnd), std::optional<DWORD>(0));
    EXPECT_FALSE(MutexExists(CoreString(zvcoreids::kStrAppName).c_str()));
}

TEST_F(CoreStart, SecondStartTellsItRunsAlreadyAndEndsLeavingTheFirstAlone)
{
    HWND hWnd = StartCore();
    ASSERT_NE(hWnd, nullptr);

    ASSERT_TRUE(m_second.Start(ZV_CORE64_FILE));
    HWND hBox = WaitForMessageBox(m_second.Pid(), 15000);
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(WindowTitle(hBox), kCaption);
    EXPECT_EQ(MessageBoxText(hBox), L"Zuvora! は既に実行中です.");
    EXPECT_EQ(MessageBoxButtons(hBox), std::vector<int>{IDOK});
    // The second program has made no window of its own behind the box.
    EXPECT_EQ(FindTopLevel(ZV_HIDDEN_MAIN_WND_TITLE, nullptr, m_second.Pid()), nullptr);

    ASSERT_TRUE(CloseMessageBox(hBox));
    EXPECT_EQ(m_second.WaitForExit(10000), std::optional<DWORD>(0));

    EXPECT_TRUE(m_core.IsRunning());
    EXPECT_EQ(FindTopLevel(ZV_HIDDEN_MAIN_WND_TITLE), hWnd);
    EXPECT_TRUE(MutexExists(CoreString(zvcoreids::kStrAppName).c_str()));
    EXPECT_EQ(CloseCore(hWnd), std::optional<DWORD>(0));
}

TEST_F(CoreStart, RefusesWhileTheSettingsProgramRunsAndBringsItsSheetForward)
{
    CHandle hPropMutex(CreateMutexW(nullptr, FALSE, CoreString(IDS_ZV_PROP_MUTEX).c_str()));
    ASSERT_TRUE(hPropMutex);
    CTestWnds sheet;
    const HWND hWndSheet = sheet.StartTitled({WndArg(100, 100, 300, 200, ZV_PROPERTY_WND_TITLE)})[0];
    ASSERT_NE(hWndSheet, nullptr);

    ASSERT_TRUE(m_core.Start(ZV_CORE64_FILE));
    HWND hBox = WaitForMessageBox(m_core.Pid(), 15000);
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(WindowTitle(hBox), kCaption);
    EXPECT_EQ(MessageBoxText(hBox),
              L"Zuvora!のプロパティを編集中です.\nプロパティの編集を終了後、Zuvora!を再起動してください.");
    ASSERT_TRUE(CloseMessageBox(hBox));
    EXPECT_EQ(m_core.WaitForExit(10000), std::optional<DWORD>(0));
    EXPECT_EQ(FindTopLevel(ZV_HIDDEN_MAIN_WND_TITLE, nullptr, m_core.Pid()), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == hWndSheet; }, 3000));
    // The refused start has given its instance mutex up.
    EXPECT_FALSE(MutexExists(CoreString(zvcoreids::kStrAppName).c_str()));
    hPropMutex.reset();
}

TEST_F(CoreStart, LogViewerFileHoldsTheStartAndTheReportsAndAHungViewerHoldsUpNoEnd)
{
    const std::wstring strLog = NewTempFilePath(L"ZvCoreStartTest", L".log");
    // At DEBUG the end itself logs lines enough to be left in the queue when the viewer hangs.
    HWND hWnd = StartCore(L"/LOGWINDOW /LOGLEVEL=DEBUG /LOGFILE=" + QuoteArg(strLog));
    ASSERT_NE(hWnd, nullptr);
    const std::string strStart = ToUtf8(kStartLine);
    std::string strFile;
    const bool bAll = WaitUntil(
        [&] {
            strFile = zvkit::ReadFileBytes(strLog);
            return strFile.find(strStart) != std::string::npos && strFile.find("OS Version :") != std::string::npos &&
                   strFile.find(" ZvCore64.exe") != std::string::npos;
        },
        20000, 100);
    EXPECT_TRUE(bAll) << strFile;

    const std::string strStartLine = LineWith(strFile, strStart);
    EXPECT_NE(strStartLine.find("\t[Core]\t(I)\t"), std::string::npos) << strStartLine;
    EXPECT_NE(LineWith(strFile, "OS Version :").find("\t(I)\t"), std::string::npos);
    // The version line: every file of the system with version information, ours first.
    const std::string strVersionLine = LineWith(strFile, " ZvCore64.exe");
    EXPECT_NE(strVersionLine.find("\t(I)\t ZvCore64.exe     9.0.0.0"), std::string::npos) << strVersionLine;
    // Every file of the system carries the system's version, in report order.
    size_t nAt = 0;
    for (const char* pszFile : {"ZvCore64.exe", "ZvProperty64.exe", "ZvHook32to64.exe", "ZvLog64.exe", "ZvRegCopy64.exe",
                                "ZvHook.dll", "ZvHook64.dll", "ZvImgNm64.dll"}) {
        nAt = strVersionLine.find(pszFile, nAt);
        ASSERT_NE(nAt, std::string::npos) << pszFile << " missing or out of order: " << strVersionLine;
        EXPECT_EQ(strVersionLine.find_first_not_of(' ', nAt + strlen(pszFile)), strVersionLine.find("9.0.0.0", nAt))
            << pszFile << ": " << strVersionLine;
    }
    // The start line comes before the reports.
    EXPECT_LT(strFile.find(strStart), strFile.find("OS Version :"));

    // The viewer hangs (every thread of it suspended) with the core's last lines still to come: the
    // end waits for it a bounded time, and the instance mutex is free for the next start.
    std::vector<CHandle> threads;
    for (DWORD dwViewer : ProcessesOf(ZV_LOG64_FILE)) {
        for (CHandle& h : SuspendAll(dwViewer))
            threads.push_back(std::move(h));
    }
    ASSERT_FALSE(threads.empty()) << "no viewer to hang";
    struct RESUME {
        std::vector<CHandle>& threads;
        ~RESUME() { ResumeAll(threads); }
    } resume{threads};
    const ULONGLONG qwClose = GetTickCount64();
    EXPECT_EQ(CloseCore(hWnd), std::optional<DWORD>(0));
    const ULONGLONG qwEnded = GetTickCount64() - qwClose;
    std::printf("[ figures ] the core ended %llu ms after its close, its log viewer hung\n", qwEnded);
    EXPECT_LT(qwEnded, 4000u) << "the end waited for the hung viewer";
    EXPECT_FALSE(MutexExists(CoreString(zvcoreids::kStrAppName).c_str()));
    const HWND hSecond = StartCoreProgram(m_second);
    ASSERT_NE(hSecond, nullptr) << "the next start was refused";
    EXPECT_TRUE(FindMessageBoxes(m_second.Pid()).empty());
    ResumeAll(threads);
    PostMessageW(hSecond, WM_CLOSE, 0, 0);
    EXPECT_EQ(m_second.WaitForExit(15000), std::optional<DWORD>(0));
    m_core.Stop();
    DeleteFileW(strLog.c_str());
}

TEST_F(CoreStart, OldSettingsAreMovedUnderTheSettingsKeyAtStart)
{
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, zvsettings::SectionKey(PROP_SECTION_VIEW, ZV_IMMIGRATE_KEY).c_str(),
                              L"SmoothScroll", REG_DWORD, std::array<BYTE, 4>{7, 0, 0, 0}.data(), 4),
              ERROR_SUCCESS);
    const std::wstring strTitle = L"古い窓";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, zvsettings::SectionKey(PROP_SECTION_FIX, ZV_IMMIGRATE_KEY).c_str(),
                              L"Old Title", REG_SZ, strTitle.c_str(),
                              static_cast<DWORD>((strTitle.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);

    HWND hWnd = StartCore();
    ASSERT_NE(hWnd, nullptr);
    // The migration runs before the window exists.
    EXPECT_FALSE(RegKeyExists(ZV_IMMIGRATE_KEY));
    EXPECT_EQ(RegGetDword(L"View", L"SmoothScroll"), std::optional<DWORD>(7));
    EXPECT_EQ(RegGetString(L"Fix", L"Old Title"), std::optional<std::wstring>(strTitle));
    EXPECT_EQ(CloseCore(hWnd), std::optional<DWORD>(0));
}

TEST_F(CoreStart, HelpCommandWithoutHelpFileShowsItsErrorBox)
{
    HWND hWnd = StartCore();
    ASSERT_NE(hWnd, nullptr);
    ASSERT_TRUE(PostMessageW(hWnd, WM_COMMAND, ID_ZV_HELP, 0));
    HWND hBox = WaitForMessageBox(m_core.Pid(), 15000);
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(WindowTitle(hBox), kCaption);
    const std::wstring strText = MessageBoxText(hBox);
    EXPECT_EQ(strText.rfind(L"ヘルプをオープン中エラーが発生しました.\r\nエラーコード = 0x", 0), 0u) << strText.size();
    EXPECT_NE(strText, L"ヘルプをオープン中エラーが発生しました.\r\nエラーコード = 0x0.");
    ASSERT_TRUE(CloseMessageBox(hBox));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(hBox); }, 5000));
    EXPECT_TRUE(m_core.IsRunning());

    // A close while the box is up waits for it: the window outlives the box's loop, and the
    // program ends in order once the box has gone.
    ASSERT_TRUE(PostMessageW(hWnd, WM_COMMAND, ID_ZV_HELP, 0));
    hBox = WaitForMessageBox(m_core.Pid(), 15000);
    ASSERT_NE(hBox, nullptr);
    ExpectCloseWaitsFor(hWnd, hBox);
    ASSERT_TRUE(CloseMessageBox(hBox));
    EXPECT_EQ(m_core.WaitForExit(15000), std::optional<DWORD>(0));
}

TEST_F(CoreStart, HelpCommandBringsAnOpenHelpWindowForwardInsteadOfOpeningTheFile)
{
    HWND hWnd = StartCore();
    ASSERT_NE(hWnd, nullptr);
    CTestWnds help;
    const auto [hWndHelp, hWndOther] =
        help.StartTitled({WndArg(50, 50, 300, 200, ZV_HELP_WND_TITLE), WndArg(400, 50, 300, 200, L"Other")});
    ASSERT_NE(hWndHelp, nullptr);
    ASSERT_TRUE(help.Foreground(hWndOther));

    ASSERT_TRUE(PostMessageW(hWnd, WM_COMMAND, ID_ZV_HELP, 0));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == hWndHelp; }, 5000));
    EXPECT_TRUE(FindMessageBoxes(m_core.Pid()).empty());
    EXPECT_EQ(CloseCore(hWnd), std::optional<DWORD>(0));
}

TEST_F(CoreStart, AboutBoxListsTheFileVersionsOpensOnceAndComesHoweverTheCommandIsDelivered)
{
    HWND hWnd = StartCore();
    ASSERT_NE(hWnd, nullptr);
    ASSERT_TRUE(PostMessageW(hWnd, WM_COMMAND, ID_APP_ABOUT, 0));
    HWND hDlg = WaitForWindow(L"Zuvora! のバージョン情報", 10000, L"#32770", m_core.Pid());
    ASSERT_NE(hDlg, nullptr);

    // The dialog exists (and has its title) before its initialisation has filled in the texts.
    wchar_t szText[256] = {};
    EXPECT_TRUE(WaitUntil(
        [&] {
            GetDlgItemTextW(hDlg, zvcoreids::kCtlAboutText, szText, 256);
            return std::wstring(szText).rfind(L"Zuvora! Version 9.00\n", 0) == 0;
        },
        5000));
    std::wstring strVersions(4096, L'\0');
    strVersions.resize(static_cast<size_t>(GetDlgItemTextW(hDlg, IDC_ABOUT_VERSIONS, strVersions.data(), 4096)));
    EXPECT_EQ(strVersions.rfind(L" ZvCore64.exe     9.0.0.0", 0), 0u) << strVersions.size();
    EXPECT_NE(GetDlgItem(hDlg, IDOK), nullptr);

    // Asked for again while it is open, posted or sent (as SendMessage delivers it, past the
    // message loop): still the one box.
    ASSERT_TRUE(PostMessageW(hWnd, WM_COMMAND, ID_APP_ABOUT, 0));
    ASSERT_TRUE(SendNotifyMessageW(hWnd, WM_COMMAND, ID_APP_ABOUT, 0));
    const auto AboutBoxes = [&] {
        size_t n = 0;
        for (HWND h : TopLevelWindows(m_core.Pid()))
            n += IsWindowVisible(h) && WindowTitle(h) == L"Zuvora! のバージョン情報";
        return n;
    };
    // Shown once its modal loop runs (late on a busy machine). A second box would be made while the
    // core handles the repeated command; an arrangement posted after it is handled later (the sent
    // command even before it), so once the window it centres has moved, no second box can come.
    EXPECT_TRUE(WaitUntil([&] { return AboutBoxes() == 1; }, 5000));
    CTestWnds wnds;
    const HWND hMarker = wnds.StartTitled({WndArg(20, 30, 300, 200, L"Zv About Marker")})[0];
    ASSERT_NE(hMarker, nullptr);
    const RECT rcMarker = WindowRect(hMarker);
    ASSERT_TRUE(PostMessageW(hWnd, WM_COMMAND, ID_ZV_ALIGN_CENTER, 0));
    EXPECT_TRUE(WaitUntil(
        [&] {
            const RECT rc = WindowRect(hMarker);
            return !EqualRect(&rc, &rcMarker);
        },
        10000))
        << "no arrangement";
    EXPECT_EQ(AboutBoxes(), 1u);

    PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(hDlg); }, 5000));
    EXPECT_TRUE(m_core.IsRunning());
    // A sent command, which no message loop sees first, opens it too.
    ASSERT_TRUE(SendNotifyMessageW(hWnd, WM_COMMAND, ID_APP_ABOUT, 0));
    hDlg = WaitForWindow(L"Zuvora! のバージョン情報", 10000, L"#32770", m_core.Pid());
    ASSERT_NE(hDlg, nullptr) << "a sent about command";
    // A close while the box is up waits for it.
    ExpectCloseWaitsFor(hWnd, hDlg);
    PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(m_core.WaitForExit(15000), std::optional<DWORD>(0));
}

TEST(CoreManifest, DeclaresEverySystemFromSixOnSoThatTheVersionIsReportedTruly)
{
    // The programs run from the test program's own folder.
    wchar_t szPath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::wstring strPath(szPath);
    strPath = strPath.substr(0, strPath.find_last_of(L"\\/") + 1) + ZV_CORE64_FILE;
    HMODULE hMod = LoadLibraryExW(strPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(hMod, nullptr) << GetLastError();
    HRSRC hRes = FindResourceW(hMod, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(hRes, nullptr);
    const auto* p = static_cast<const char*>(LockResource(LoadResource(hMod, hRes)));
    const std::string strManifest(p, SizeofResource(hMod, hRes));
    FreeLibrary(hMod);
    for (const char* pszId : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                              "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(strManifest.find(pszId), std::string::npos) << pszId;
    EXPECT_NE(strManifest.find("asInvoker"), std::string::npos);
}

