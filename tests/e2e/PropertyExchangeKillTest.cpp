// The settings exchange when one side fails: the settings program killed with its sheet open,
// frozen inside a copy while it holds the property mutex, and after an apply; the core program
// killed under an open sheet; stand-ins with the core program's title that never answer; and
// malformed settings blocks handed to the core (ZV_PROP_FUZZ_COUNT of them, default 200). The
// survivor goes on as before, and no setting is lost or overwritten.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "CoreRun.h"
#include "FakeSettings.h"
#include "SettingsNames.h"
#include "SharedMemPropAtScrl.h"
#include "SharedMemPropFix.h"
#include "SharedMemPropKeybd.h"

using namespace zvkit;
using namespace zvcore;
using zvprop::CCoreExchangeTest;
using zvprop::CFakeSettings;

namespace {

constexpr DWORD kKilled = 9;
constexpr wchar_t kGoneLine[] = L"プロパティ : 設定プログラムが終了しました.";
constexpr wchar_t kAppliedLine[] = L"プロパティ : 設定を適用しました.";
constexpr wchar_t kRefusedLine[] = L"could not read the settings blocks: nothing applied.";
constexpr wchar_t kCbtOnLine[] = L"CBT notification registered, Enable";
constexpr wchar_t kMenuClosedLine[] = L"CZvCoreDlg::ShowTrayMenu() the menu has closed.";
const std::wstring kScrollRateKey = zvsettings::SectionKey(PROP_SECTION_SCROLL_RATE);

// Every value under the settings key, by key path and name: what "no setting lost" compares.
using REG_SNAPSHOT = std::map<std::wstring, std::vector<BYTE>>;
void AddKey(HKEY hParent, const std::wstring& strPath, REG_SNAPSHOT& snap)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hParent, strPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return;
    wchar_t szName[512];
    BYTE abData[8192];
    for (DWORD i = 0;; ++i) {
        DWORD cchName = 512, cbData = sizeof(abData), dwType = 0;
        if (RegEnumValueW(hKey, i, szName, &cchName, nullptr, &dwType, abData, &cbData) != ERROR_SUCCESS)
            break;
        snap[strPath + L"|" + szName].assign(abData, abData + cbData);
    }
    for (DWORD i = 0;; ++i) {
        DWORD cchName = 512;
        if (RegEnumKeyExW(hKey, i, szName, &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        AddKey(hParent, strPath + L"\\" + szName, snap);
    }
    RegCloseKey(hKey);
}
REG_SNAPSHOT RegistrySnapshot()
{
    REG_SNAPSHOT snap;
    AddKey(HKEY_CURRENT_USER, kMakerKey, snap);
    return snap;
}

bool Kill(DWORD dwPid)
{
    CHandle hProcess(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwPid));
    return hProcess && TerminateProcess(hProcess.get(), kKilled) &&
           WaitForSingleObject(hProcess.get(), 5000) == WAIT_OBJECT_0;
}

class PropertyExchangeKill : public CCoreExchangeTest {
protected:
    PropertyExchangeKill() : CCoreExchangeTest(L"ZvPropertyExchangeKill", L"Zv Kill") {}
    void TearDown() override
    {
        for (DWORD dwPid : ProcessesOf(ZV_PROPERTY64_FILE)) {
            CloseStrayMessageBoxes(dwPid, 500);
            Kill(dwPid);
        }
    }

    static DWORD SettingsPid()
    {
        const std::set<DWORD> pids = ProcessesOf(ZV_PROPERTY64_FILE);
        return pids.size() == 1 ? *pids.begin() : 0;
    }
    // The tray menu's settings item: the real program's sheet, announced to the core. The settings
    // program has read and let go of the blocks before its sheet comes; the core lets go of its own
    // once it knows the sheet.
    HWND OpenSheet()
    {
        if (!m_run.Command(ID_ZV_PROPERTY))
            return nullptr;
        const HWND hSheet = WaitForWindow(ZV_PROPERTY_WND_TITLE, 15000, L"#32770");
        if (!hSheet || !WaitUntil([] { return !zvprop::BlocksExist(); }, 10000))
            return nullptr;
        return hSheet;
    }
    // The core program's open popup menu.
    HWND MenuWnd()
    {
        for (HWND hWnd : TopLevelWindows(m_run.Process().Pid(), true))
            if (WindowClass(hWnd) == L"#32768")
                return hWnd;
        return nullptr;
    }
    // A click on the tray icon: true when the menu came up (it is closed again by Escape).
    bool TrayMenuOpens()
    {
        const size_t nClosed = Lines(kMenuClosedLine);
        if (!PostMessageW(m_run.Wnd(), MSG_TRAY_NTFY, 1, WM_LBUTTONDOWN) ||
            !WaitUntil([&] { return MenuWnd() != nullptr; }, 5000, 20))
            return false;
        // The menu's end is the core's own: only its line tells that the core has left the menu.
        return TapKey(VK_ESCAPE) && m_run.WaitForLine(kMenuClosedLine, nClosed + 1) &&
               WaitUntil([&] { return !MenuWnd(); }, 5000, 20);
    }
    // A click on the tray icon that must be refused. The core makes its menu while it handles the
    // click, so once a request posted after the click has been handled, a menu that has not come
    // will not.
    bool TrayMenuRefused()
    {
        if (!PostMessageW(m_run.Wnd(), MSG_TRAY_NTFY, 1, WM_LBUTTONDOWN) || !m_run.WaitForMoveEnd())
            return false;
        if (!MenuWnd())
            return true;
        TapKey(VK_ESCAPE);
        WaitUntil([&] { return !MenuWnd(); }, 5000, 20);
        return false;
    }
    // An apply asked of the sheet while the test holds the property mutex past the settings
    // program's wait: nothing is handed over, and the box that tells the user so is answered with
    // nAnswer once the mutex is free again. The box comes only once the settings program has
    // given up its wait, so the mutex is held until it stands.
    void ApplyWhileTheMutexIsHeld(HWND hSheet, int nAnswer)
    {
        HWND hBox = nullptr;
        {
            CHandle hPropMutex(CreateMutexW(nullptr, FALSE, CSharedMemPropManager::MUTEX_NAME));
            ASSERT_EQ(WaitForSingleObject(hPropMutex.get(), 1000), WAIT_OBJECT_0);
            ASSERT_TRUE(PostMessageW(hSheet, MSG_PROP_APPLY, 0, 0));
            hBox = WaitForMessageBox(SettingsPid(), 10000);
            ReleaseMutex(hPropMutex.get());
        }
        ASSERT_NE(hBox, nullptr) << "the user was not told that the settings went nowhere";
        EXPECT_NE(MessageBoxText(hBox).find(L"設定を Zuvora! に渡せませんでした."), std::wstring::npos)
            << ToUtf8(MessageBoxText(hBox));
        EXPECT_EQ(GetWindow(hBox, GW_OWNER), hSheet);
        ASSERT_TRUE(PostMessageW(hBox, WM_COMMAND, nAnswer, 0));
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(hBox); }, 5000));
    }
    // The core has let its nth settings program go: window events on again, the tray menu opens.
    void ExpectCoreBack(size_t nSession)
    {
        EXPECT_TRUE(WaitForHookBack()) << "session " << nSession;
        EXPECT_EQ(nSession, Lines(kGoneLine)) << "session " << nSession;
        // The gateway's half of the switch shows only in the log: no window of a 32-bit program here.
        EXPECT_TRUE(m_run.WaitForLine(kCbtOnLine, nSession + 1)) << "session " << nSession;
        EXPECT_TRUE(TrayMenuOpens()) << "session " << nSession;
    }
};

// A mapping's frame has been written (length word and checksum): the block's maker is done with it.
bool FrameWritten(const wchar_t* pszMapping)
{
    CHandle hMap(OpenFileMappingW(FILE_MAP_READ, FALSE, pszMapping));
    if (!hMap)
        return false;
    const BYTE* pb = static_cast<const BYTE*>(MapViewOfFile(hMap.get(), FILE_MAP_READ, 0, 0, 0));
    if (!pb)
        return false;
    MEMORY_BASIC_INFORMATION mbi{};
    VirtualQuery(pb, &mbi, sizeof(mbi));
    int nLen = 0;
    memcpy(&nLen, pb, 4);
    const bool bDone = nLen > 4 && static_cast<SIZE_T>(nLen) < mbi.RegionSize && pb[nLen] == GetXorSum(pb, nLen - 1);
    UnmapViewOfFile(pb);
    return bDone;
}

}  // namespace

TEST_F(PropertyExchangeKill, TheCoreComesBackAndKeepsItsSettingsWhereverTheSettingsProgramIsKilled)
{
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
    ASSERT_TRUE(RegSetDword(L"Scroll", L"KeybdHorzLineAbs", 37));
    ASSERT_TRUE(MakeWindows());
    ASSERT_TRUE(m_run.Start());
    ASSERT_TRUE(m_run.WaitForLine(kCbtOnLine));
    const REG_SNAPSHOT regStart = RegistrySnapshot();

    // Killed with its sheet open, before anything was applied. Meanwhile the tray opened no menu.
    HWND hSheet = OpenSheet();
    ASSERT_NE(hSheet, nullptr);
    EXPECT_TRUE(TrayMenuRefused()) << "the tray menu opened while the settings program was active";
    ASSERT_TRUE(Kill(SettingsPid()));
    ExpectCoreBack(1);
    EXPECT_EQ(regStart, RegistrySnapshot());

    // An apply whose blocks cannot be written (the property mutex held past the wait): the core
    // hears of no blocks, and stores nothing (made but unwritten blocks hold a zero record); the
    // user is told, and goes back to the sheet.
    hSheet = OpenSheet();
    ASSERT_NE(hSheet, nullptr);
    ASSERT_NO_FATAL_FAILURE(ApplyWhileTheMutexIsHeld(hSheet, IDCANCEL));
    ASSERT_TRUE(Settle());
    EXPECT_EQ(0u, Lines(kAppliedLine));
    EXPECT_EQ(0u, Lines(kRefusedLine));
    EXPECT_EQ(regStart, RegistrySnapshot()) << "a failed write reached the registry";

    // Frozen inside its next copy with the property mutex in hand (the last block's own mutex is
    // taken from it once it has made that block), then killed.
    {
        CHandle hPropMutex(CreateMutexW(nullptr, FALSE, CSharedMemPropManager::MUTEX_NAME));
        ASSERT_EQ(WaitForSingleObject(hPropMutex.get(), 1000), WAIT_OBJECT_0);
        ASSERT_TRUE(PostMessageW(hSheet, MSG_PROP_APPLY, 0, 0));
        ASSERT_TRUE(WaitUntil([] { return FrameWritten(CSharedMemPropAtScrl::NAME); }, 900, 1));
        CHandle hBlockMutex(
            CreateMutexW(nullptr, FALSE, (std::wstring(L"Mutex : sender=2, name=") + CSharedMemPropAtScrl::NAME).c_str()));
        ASSERT_EQ(WaitForSingleObject(hBlockMutex.get(), 500), WAIT_OBJECT_0);
        ReleaseMutex(hPropMutex.get());
        EXPECT_EQ(WaitForSingleObject(hPropMutex.get(), 300), static_cast<DWORD>(WAIT_TIMEOUT))
            << "the settings program did not take the property mutex";
        hPropMutex.reset();
        DWORD_PTR dwRes = 0;
        EXPECT_FALSE(SendMessageTimeoutW(hSheet, WM_NULL, 0, 0, SMTO_NORMAL, 300, &dwRes)) << "the sheet was not held";
        ASSERT_TRUE(Kill(SettingsPid()));
        ReleaseMutex(hBlockMutex.get());
    }
    ExpectCoreBack(2);
    EXPECT_EQ(0u, Lines(kAppliedLine));
    EXPECT_EQ(regStart, RegistrySnapshot());

    // An apply told as failed and tried again once the mutex is free, then the program killed
    // between that apply and its end: the registry holds the applied record, which the next
    // exchange still finds.
    hSheet = OpenSheet();
    ASSERT_NE(hSheet, nullptr) << "the exchange after a kill inside a copy did not start";
    ASSERT_NO_FATAL_FAILURE(ApplyWhileTheMutexIsHeld(hSheet, IDRETRY));
    // The rate list is written by a save only; the whole save is done once the core is settled.
    ASSERT_TRUE(WaitUntil([] { return RegKeyExists(kScrollRateKey); }, 10000)) << "the retried apply was not saved";
    ASSERT_TRUE(Settle());
    EXPECT_EQ(1u, Lines(kAppliedLine));
    const REG_SNAPSHOT regApplied = RegistrySnapshot();
    EXPECT_TRUE(RegKeyExists(kScrollRateKey));
    EXPECT_EQ(RegGetDword(L"View", L"Speed"), std::optional<DWORD>(1));
    EXPECT_EQ(RegGetDword(L"Scroll", L"KeybdHorzLineAbs"), std::optional<DWORD>(37));
    ASSERT_TRUE(Kill(SettingsPid()));
    ExpectCoreBack(3);
    EXPECT_EQ(regApplied, RegistrySnapshot());
    EXPECT_EQ(0, m_run.Close());
    EXPECT_EQ(RegGetDword(L"Scroll", L"KeybdHorzLineAbs"), std::optional<DWORD>(37));
}

TEST_F(PropertyExchangeKill, ASheetWhoseCoreWasKilledStoresTheWholeRecordItselfAndEnds)
{
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 3));
    ASSERT_TRUE(RegSetDword(L"Undo", L"Depth", 42));
    // Tuned periods, which do not travel in the blocks.
    ASSERT_TRUE(RegSetDword(L"Timer", L"Auto Scroll", 150));
    ASSERT_TRUE(RegSetDword(L"Timer", L"Property Process Dead Detect", 300));
    ASSERT_TRUE(m_run.Start());
    ASSERT_TRUE(m_run.WaitForLine(kCbtOnLine));
    const HWND hSheet = OpenSheet();
    ASSERT_NE(hSheet, nullptr);
    CHandle hSettings(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, SettingsPid()));
    ASSERT_TRUE(hSettings);

    ASSERT_TRUE(TerminateProcess(m_run.Process().Handle(), kKilled));
    ASSERT_EQ(m_run.Process().WaitForExit(5000), std::optional<DWORD>(kKilled));
    // Its gateway ends at its own limit; nothing here waits for it.
    EXPECT_FALSE(RegKeyExists(kScrollRateKey)) << "a killed core saved";

    // Apply: nobody to hand the settings to; the sheet stores the record the core gave it.
    ASSERT_TRUE(PostMessageW(hSheet, MSG_PROP_APPLY, 0, 0));
    EXPECT_TRUE(WaitUntil([] { return RegKeyExists(kScrollRateKey); }, 5000)) << "the apply was lost";
    EXPECT_EQ(RegGetDword(L"View", L"Speed"), std::optional<DWORD>(3));
    EXPECT_EQ(RegGetDword(L"Undo", L"Depth"), std::optional<DWORD>(42)) << "not the core's record";
    EXPECT_EQ(RegGetDword(L"Timer", L"Auto Scroll"), std::optional<DWORD>(150)) << "the Timer section was lost";
    EXPECT_EQ(RegGetDword(L"Timer", L"Property Process Dead Detect"), std::optional<DWORD>(300));
    DWORD_PTR dwRes = 0;
    EXPECT_TRUE(SendMessageTimeoutW(hSheet, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &dwRes)) << "the sheet hangs";

    // OK ends the program at once, without a wait for a core that is gone.
    ASSERT_TRUE(RegSetDword(L"Undo", L"Depth", 7));
    const ULONGLONG t0 = GetTickCount64();
    ASSERT_TRUE(PostMessageW(hSheet, PSM_PRESSBUTTON, PSBTN_OK, 0));
    ASSERT_EQ(WaitForSingleObject(hSettings.get(), 10000), WAIT_OBJECT_0);
    EXPECT_LT(GetTickCount64() - t0, 3000u);
    DWORD dwCode = 1;
    EXPECT_TRUE(GetExitCodeProcess(hSettings.get(), &dwCode));
    EXPECT_EQ(0u, dwCode);
    EXPECT_EQ(RegGetDword(L"Undo", L"Depth"), std::optional<DWORD>(42)) << "OK did not store the record";
    EXPECT_EQ(RegGetDword(L"View", L"Speed"), std::optional<DWORD>(3));
}

TEST_F(PropertyExchangeKill, AStandInCoreProgramThatNeverAnswersGetsNothing)
{
    // A program file named as the core program's, whose window never sets the Write End event.
    wchar_t szTemp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, szTemp), 0u);
    const std::wstring strDir = std::wstring(szTemp) + L"ZvStandInCore";
    const std::wstring strStandIn = strDir + L"\\" + ZV_CORE64_FILE;
    CreateDirectoryW(strDir.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(LayoutPath(L"ZvTestWnds.exe").c_str(), strStandIn.c_str(), FALSE));
    const REG_SNAPSHOT regStart = RegistrySnapshot();

    for (const bool bExact : {false, true}) {
        const std::wstring strTitle = bExact ? ZV_HIDDEN_MAIN_WND_TITLE : L"$$$ ZUVORA! HIDDEN MAIN WINDOW %%%";
        CProcess standIn;
        ASSERT_TRUE(standIn.Start(strStandIn, QuoteArg(WndArg(0, 0, 10, 10, strTitle, L"hidden"))));
        // Found as the settings program finds it: FindWindowW also finds a hidden window.
        ASSERT_TRUE(WaitUntil([&] { return FindWindowW(nullptr, strTitle.c_str()) != nullptr; }, 5000));
        CProcess prop;
        const ULONGLONG t0 = GetTickCount64();
        ASSERT_TRUE(prop.Start(ZV_PROPERTY64_FILE));
        // No sheet, no box: the title in another case is not waited for, the exact one 10 s.
        EXPECT_FALSE(WaitUntil([] { return FindTopLevel(ZV_PROPERTY_WND_TITLE) != nullptr; }, bExact ? 8000 : 1000))
            << "a sheet came up";
        EXPECT_TRUE(FindMessageBoxes(prop.Pid()).empty());
        EXPECT_EQ(prop.WaitForExit(15000), std::optional<DWORD>(0)) << "exact title " << bExact;
        const ULONGLONG ms = GetTickCount64() - t0;
        EXPECT_LT(ms, bExact ? 14000u : 5000u);
        if (bExact) {
            EXPECT_GE(ms, 9500u) << "it did not wait for the Write End event";
        }
        std::printf("[ figures ] stand-in core, %s title: the settings program ended after %llu ms\n",
                    bExact ? "exact" : "other-case", ms);
        EXPECT_EQ(regStart, RegistrySnapshot()) << "exact title " << bExact;
        standIn.Stop();
    }
    DeleteFileW(strStandIn.c_str());
    RemoveDirectoryW(strDir.c_str());
}

namespace {

// One block of the test's own, mapped a second time to be spoilt, and its sound bytes.
struct BLOCK_VIEW {
    HANDLE hMap = nullptr;
    BYTE* pb = nullptr;
    std::vector<BYTE> sound;  // the frame with its checksum: nLen + 1 bytes
    int nTagLen = 0;
    int nBlock = 0;
};

void StoreSum(BYTE* pb, int nLen)
{
    pb[nLen] = GetXorSum(pb, nLen - 1);
}

// Spoils one block in one of six ways; only the count fields are spoilt with a sound checksum,
// so that each block is refused for what a reader must check.
std::string Spoil(BLOCK_VIEW& v, std::mt19937& rng)
{
    const int nLen = static_cast<int>(v.sound.size()) - 1;
    auto pick = [&](int nMin, int nMax) { return std::uniform_int_distribution<int>(nMin, nMax)(rng); };
    const BYTE byXor = static_cast<BYTE>(pick(1, 255));
    int nKind = pick(0, 5);
    if (nKind == 5 && v.nBlock != CSharedMemPropManager::BLOCK_KEYBD && v.nBlock != CSharedMemPropManager::BLOCK_FIX)
        nKind = 4;
    switch (nKind) {
    case 0: {  // another length word, anything from negative to far past the view
        int nNew = static_cast<int>(rng());
        if (nNew == nLen)
            ++nNew;
        memcpy(v.pb, &nNew, 4);
        break;
    }
    case 1: {  // a shorter frame with its checksum where the length word says
        const int nNew = pick(0, nLen - 1);
        memcpy(v.pb, &nNew, 4);
        if (nNew > 0)
            StoreSum(v.pb, nNew);
        break;
    }
    case 2:  // a byte of the tag or its zero, the checksum made to match
        v.pb[4 + pick(0, v.nTagLen)] ^= byXor;
        StoreSum(v.pb, nLen);
        break;
    case 3:  // the checksum
        v.pb[nLen] ^= byXor;
        break;
    case 4:  // a byte of the payload that the checksum covers (the frame's last byte it does not)
        v.pb[pick(4 + v.nTagLen + 2, nLen - 2)] ^= byXor;
        break;
    default: {  // a count or size that no longer adds up, the checksum made to match
        int nOfs = 0;
        if (v.nBlock == CSharedMemPropManager::BLOCK_KEYBD) {
            nOfs = CSharedMemPropKeybd::ENTRY_OFS + CSharedMemPropKeybd::ENTRY_SIZE * pick(0, KEYASSIGN_COUNT - 1) + 4;
        } else {
            // The two counts, or one of the sizes they announce.
            int nTitles = 0, nApps = 0;
            memcpy(&nTitles, v.pb + CSharedMemPropFix::TITLES_OFS, 4);
            memcpy(&nApps, v.pb + CSharedMemPropFix::APPS_OFS, 4);
            const int nField = pick(0, 1 + nTitles + nApps);
            nOfs = nField < 2 ? CSharedMemPropFix::TITLES_OFS + 4 * nField
                              : CSharedMemPropFix::ARRAYS_OFS + 4 * (nField - 2);
        }
        int nValue = 0;
        memcpy(&nValue, v.pb + nOfs, 4);
        nValue = pick(0, 1) ? static_cast<int>(rng()) : nValue + pick(1, 300);
        memcpy(v.pb + nOfs, &nValue, 4);
        StoreSum(v.pb, nLen);
        return "block " + std::to_string(v.nBlock) + " field at " + std::to_string(nOfs) + " = " + std::to_string(nValue);
    }
    }
    return "block " + std::to_string(v.nBlock) + " kind " + std::to_string(nKind);
}

}  // namespace

TEST_F(PropertyExchangeKill, MalformedSettingsBlocksAreRefusedAndTheRecordStaysAsItWas)
{
    const char* pszCount = std::getenv("ZV_PROP_FUZZ_COUNT");
    const int nCount = pszCount ? std::max(1, std::atoi(pszCount)) : 200;
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
    ASSERT_TRUE(RegSetDword(L"Scroll", L"KeybdHorzLineAbs", 37));
    ASSERT_TRUE(RegSetString(L"Fix", L"Fixed Window By Title No.0", L"Zv Fixed Title"));
    // At INFO a refused set makes three lines, not a dozen; the log file is never begun anew, so
    // that every refusal stays in the file the test reads, however long the run.
    ASSERT_TRUE(m_run.Start(L"/LOGLEVEL=INFO /LOGLINE=100000000"));
    const HWND hCore = m_run.Wnd();

    // A whole record applied first: the registry holds it.
    auto pFake = std::make_unique<CFakeSettings>(hCore);
    ASSERT_TRUE(pFake->IsReady());
    ASSERT_TRUE(pFake->AskForBlocks());
    PROPERTY_SET prop;
    ASSERT_TRUE(CFakeSettings::ReadBlocks(prop));
    ASSERT_NE(pFake->ShowSheet(), nullptr);
    ASSERT_TRUE(pFake->Apply(prop, 0));
    // Answered once read, applied and saved.
    ASSERT_FALSE(pFake->ReadFailed());
    ASSERT_TRUE(RegKeyExists(kScrollRateKey)) << "the apply was not saved";
    const REG_SNAPSHOT regApplied = RegistrySnapshot();

    std::vector<BLOCK_VIEW> views(CSharedMemPropManager::BLOCK_COUNT);
    for (int i = 0; i < CSharedMemPropManager::BLOCK_COUNT; ++i) {
        BLOCK_VIEW& v = views[i];
        CSharedMemProp* pBlock = pFake->Blocks()->GetBlock(i);
        ASSERT_NE(pBlock, nullptr);
        v.nBlock = i;
        v.nTagLen = static_cast<int>(strlen(pBlock->GetTag()));
        v.hMap = OpenFileMappingW(FILE_MAP_WRITE | FILE_MAP_READ, FALSE, pBlock->GetMappingName());
        ASSERT_NE(v.hMap, nullptr);
        v.pb = static_cast<BYTE*>(MapViewOfFile(v.hMap, FILE_MAP_WRITE | FILE_MAP_READ, 0, 0, 0));
        ASSERT_NE(v.pb, nullptr);
        int nLen = 0;
        memcpy(&nLen, v.pb, 4);
        v.sound.assign(v.pb, v.pb + nLen + 1);
    }

    std::mt19937 rng(20261209);
    std::string strLast[10];
    const ULONGLONG t0 = GetTickCount64();
    for (int n = 0; n < nCount; ++n) {
        for (BLOCK_VIEW& v : views)
            memcpy(v.pb, v.sound.data(), v.sound.size());
        strLast[n % 10] = Spoil(views[n % CSharedMemPropManager::BLOCK_COUNT], rng);
        ASSERT_TRUE(pFake->Post(1, 0)) << "no answer to block set " << n;
        ASSERT_TRUE(pFake->ReadFailed()) << "block set " << n << " answered as read";
        // The log viewer keeps pace (lines beyond its queue would be counted, not written).
        if (n % 10 == 9) {
            ASSERT_TRUE(m_run.WaitForLine(kRefusedLine, n + 1, 20000)) << "block set " << n << " not refused: "
                                                                 << Lines(kRefusedLine) << " refused, "
                                                                 << Lines(kAppliedLine) << " applied; the last ten: "
                                                                 << strLast[0] << "; " << strLast[1] << "; " << strLast[2] << "; " << strLast[3] << "; " << strLast[4] << "; " << strLast[5] << "; " << strLast[6] << "; " << strLast[7] << "; " << strLast[8] << "; " << strLast[9];
        }
    }
    const ULONGLONG ms = GetTickCount64() - t0;
    EXPECT_TRUE(m_run.WaitForLine(kRefusedLine, nCount, 20000));
    EXPECT_EQ(static_cast<size_t>(nCount), Lines(kRefusedLine));
    EXPECT_EQ(1u, Lines(kAppliedLine)) << m_run.LogLinesWith(kAppliedLine);
    EXPECT_EQ(regApplied, RegistrySnapshot());
    std::printf("[ figures ] %d malformed block sets refused in %llu ms (%.2f ms a set)\n", nCount, ms,
                static_cast<double>(ms) / nCount);
    for (BLOCK_VIEW& v : views) {
        UnmapViewOfFile(v.pb);
        CloseHandle(v.hMap);
    }

    // The core ends the exchange and, asked again, hands over the record applied before, byte for
    // byte as the blocks that carried it.
    ASSERT_TRUE(pFake->Post(0, 1));
    pFake->Gone();
    // The core lets the program go once it finds its mutex gone: a new one made before that would
    // hold the mutex again, and this test has no window whose activation could tell. The log does.
    ASSERT_TRUE(m_run.WaitForLine(kGoneLine));
    pFake = std::make_unique<CFakeSettings>(hCore);
    ASSERT_TRUE(pFake->AskForBlocks());
    {
        CSharedMemPropManager core(SENDER_PROP, &prop);
        ASSERT_TRUE(core.Open());
        for (int i = 0; i < CSharedMemPropManager::BLOCK_COUNT; ++i) {
            CHandle hMap(OpenFileMappingW(FILE_MAP_READ, FALSE, core.GetBlock(i)->GetMappingName()));
            ASSERT_TRUE(hMap);
            const BYTE* pb = static_cast<const BYTE*>(MapViewOfFile(hMap.get(), FILE_MAP_READ, 0, 0, 0));
            ASSERT_NE(pb, nullptr);
            EXPECT_EQ(views[i].sound, std::vector<BYTE>(pb, pb + views[i].sound.size())) << "block " << i;
            UnmapViewOfFile(pb);
        }
    }
    ASSERT_NE(pFake->ShowSheet(), nullptr);
    ASSERT_TRUE(pFake->Post(0, 1));
    pFake->Gone();
    ASSERT_TRUE(m_run.WaitForLine(kGoneLine, 2));
    EXPECT_EQ(0, m_run.Close());
    EXPECT_EQ(regApplied, RegistrySnapshot()) << "the orderly end saved another record";
}
