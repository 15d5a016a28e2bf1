// System services of the shared foundation, run inside ZvTSysSvc.exe: the failed-call box and the
// end of the process, starting programs with and without waiting, and the registry migration
// with the copy tool found beside the core program, missing or failing.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ZvNames.h"
#include "ZvTestKit.h"

using namespace zvkit;

namespace {

constexpr wchar_t kProg[] = L"ZvTSysSvc.exe";
constexpr DWORD kExecTrue = 0x10000;
constexpr DWORD kImmigrateDone = 0x20000;
constexpr DWORD kStillActive = STILL_ACTIVE;

// Runs ZvTSysSvc (of the layout or a full path) to its end; its exit code.
std::optional<DWORD> RunToEnd(const std::wstring& strProgram, const std::wstring& strArgs, DWORD dwTimeoutMs = 30000)
{
    CProcess proc;
    if (!proc.Start(strProgram, strArgs)) {
        ADD_FAILURE() << "cannot start the program, error " << proc.LastError();
        return std::nullopt;
    }
    std::optional<DWORD> code = proc.WaitForExit(dwTimeoutMs);
    EXPECT_TRUE(code.has_value()) << "still running";
    return code;
}

bool SameText(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// ---- registry helpers under HKCU ----

bool SetDword(const std::wstring& strKey, const wchar_t* pszName, DWORD dw)
{
    return RegSetKeyValueW(HKEY_CURRENT_USER, strKey.c_str(), pszName, REG_DWORD, &dw, sizeof(dw)) == ERROR_SUCCESS;
}
bool SetString(const std::wstring& strKey, const wchar_t* pszName, const std::wstring& str)
{
    return RegSetKeyValueW(HKEY_CURRENT_USER, strKey.c_str(), pszName, REG_SZ, str.c_str(),
                           static_cast<DWORD>((str.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}
std::optional<DWORD> GetDword(const std::wstring& strKey, const wchar_t* pszName)
{
    DWORD dw = 0, cb = sizeof(dw);
    if (RegGetValueW(HKEY_CURRENT_USER, strKey.c_str(), pszName, RRF_RT_REG_DWORD, nullptr, &dw, &cb) != ERROR_SUCCESS)
        return std::nullopt;
    return dw;
}
std::optional<std::wstring> GetString(const std::wstring& strKey, const wchar_t* pszName)
{
    wchar_t sz[512] = {};
    DWORD cb = sizeof(sz);
    if (RegGetValueW(HKEY_CURRENT_USER, strKey.c_str(), pszName, RRF_RT_REG_SZ, nullptr, sz, &cb) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(sz);
}

// Old settings waiting to be moved: values at the top, a nested key with more below it.
void MakeImmigrateTree()
{
    const std::wstring strTop = ZV_IMMIGRATE_KEY;
    ASSERT_TRUE(SetDword(strTop, L"Top Dword", 0x12345678));
    ASSERT_TRUE(SetString(strTop, L"Top Text", L"古い設定"));
    ASSERT_TRUE(SetDword(strTop + L"\\VZQZv\\View", L"SmoothScroll", 1));
    ASSERT_TRUE(SetString(strTop + L"\\VZQZv\\View", L"Title", L"Zuvora! 窓"));
    ASSERT_TRUE(SetDword(strTop + L"\\VZQZv\\Timer\\Deep", L"Auto Scroll", 250));
}

// Both keys are put back as they were after each test.
class SysServicesImmigrate : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RegDeleteSettings(ZV_IMMIGRATE_KEY));
        ASSERT_TRUE(RegDeleteSettings(kMakerKey));
    }
    CRegistryGuard m_guardTarget{kMakerKey};
    CRegistryGuard m_guardSource{ZV_IMMIGRATE_KEY};
};

// A folder outside the layout holding copies of ZvTSysSvc.exe under the given names.
class CTempLayout {
public:
    explicit CTempLayout(const std::vector<std::wstring>& names)
    {
        wchar_t szTemp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, szTemp);
        m_strDir = std::wstring(szTemp) + L"ZvSysSvcTest" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(m_strDir.c_str(), nullptr);
        for (const std::wstring& strName : names) {
            const std::wstring strPath = m_strDir + strName;
            m_ok = CopyFileW(LayoutPath(kProg).c_str(), strPath.c_str(), FALSE) && m_ok;
            m_files.push_back(strPath);
        }
    }
    ~CTempLayout()
    {
        for (const std::wstring& strPath : m_files)
            DeleteFileW(strPath.c_str());
        RemoveDirectoryW(m_strDir.c_str());
    }
    bool Ok() const { return m_ok; }
    std::wstring Path(const std::wstring& strName) const { return m_strDir + strName; }

private:
    std::wstring m_strDir;
    std::vector<std::wstring> m_files;
    bool m_ok = true;
};

} // namespace

TEST(SysServices, VerifyFailedShowsItsBoxAndEndsWithExitCodeOne)
{
    CProcess proc;
    ASSERT_TRUE(proc.Start(kProg, L"/VERIFY"));
    HWND hBox = WaitForMessageBox(proc.Pid(), 15000);
    ASSERT_NE(hBox, nullptr);
    EXPECT_TRUE(SameText(WindowTitle(hBox), LayoutPath(kProg)));
    const std::wstring strText = MessageBoxText(hBox);
    EXPECT_EQ(strText.rfind(L"ファイル ", 0), 0u);
    EXPECT_NE(strText.find(L"ZvTSysSvc.cpp の "), std::wstring::npos);
    EXPECT_NE(strText.find(L"式  ： CloseHandle(nullptr)"), std::wstring::npos);
    EXPECT_NE(strText.find(L"エラーコード： 6"), std::wstring::npos);
    EXPECT_EQ(MessageBoxButtons(hBox), std::vector<int>{IDOK});
    // Nothing goes on behind the box.
    EXPECT_TRUE(proc.IsRunning());

    ASSERT_TRUE(CloseMessageBox(hBox));
    EXPECT_EQ(proc.WaitForExit(10000), std::optional<DWORD>(1));
}

TEST(SysServices, ExecProcessWaitsForTheExitCode)
{
    // The arguments start without a blank: the child must still receive the first one.
    EXPECT_EQ(RunToEnd(kProg, L"/EXEC=ZvTSysSvc.exe /WAIT=20000 /ARGS=/EXIT=7"), std::optional<DWORD>(kExecTrue | 7));
    EXPECT_EQ(RunToEnd(kProg, L"/EXEC=ZvTSysSvc.exe /WAIT=20000 \"/ARGS=/SLEEP=300 /EXIT=0\""),
              std::optional<DWORD>(kExecTrue | 0));
    EXPECT_EQ(RunToEnd(kProg, L"/EXEC=ZvTSysSvc.exe /WAIT=20000 /NOCODE /ARGS=/EXIT=9"),
              std::optional<DWORD>(kExecTrue | 0xFFFF));
}

TEST(SysServices, ExecProcessWithoutWaitReturnsAtOnce)
{
    CProcess proc;  // its job also holds the child, which ends with it
    const ULONGLONG tStart = GetTickCount64();
    ASSERT_TRUE(proc.Start(kProg, L"/EXEC=ZvTSysSvc.exe /WAIT=0 /ARGS=/SLEEP=60000"));
    EXPECT_EQ(proc.WaitForExit(30000), std::optional<DWORD>(kExecTrue | kStillActive));
    EXPECT_LT(GetTickCount64() - tStart, 30000u);
    // The child runs on: the helper and its child were both in the job.
    EXPECT_FALSE(proc.AllEnded());
    proc.Stop(500);
}

TEST(SysServices, ExecProcessWithAShortWait)
{
    // Still running after the wait: with the exit code TRUE and STILL_ACTIVE, without it FALSE.
    CProcess proc;
    ASSERT_TRUE(proc.Start(kProg, L"/EXEC=ZvTSysSvc.exe /WAIT=200 /ARGS=/SLEEP=60000"));
    EXPECT_EQ(proc.WaitForExit(30000), std::optional<DWORD>(kExecTrue | kStillActive));
    proc.Stop(500);

    CProcess procNoCode;
    ASSERT_TRUE(procNoCode.Start(kProg, L"/EXEC=ZvTSysSvc.exe /WAIT=200 /NOCODE /ARGS=/SLEEP=60000"));
    EXPECT_EQ(procNoCode.WaitForExit(30000), std::optional<DWORD>(0xFFFF));
    procNoCode.Stop(500);
}

TEST(SysServices, ExecProcessOfAMissingProgram)
{
    EXPECT_EQ(RunToEnd(kProg, L"/EXEC=ZvNoSuchProgram.exe /WAIT=1000"), std::optional<DWORD>(0));
    EXPECT_EQ(RunToEnd(kProg, L"/EXEC=ZvNoSuchProgram.exe"), std::optional<DWORD>(0));
    EXPECT_EQ(RunToEnd(kProg, L"/EXEC=ZvNoSuchProgram.exe /NOCODE"), std::optional<DWORD>(0xFFFF));
}

TEST_F(SysServicesImmigrate, MovesTheTreeAndDeletesTheSource)
{
    MakeImmigrateTree();
    ASSERT_TRUE(RegKeyExists(ZV_IMMIGRATE_KEY));

    EXPECT_EQ(RunToEnd(kProg, L"/IMMIGRATE", 90000), std::optional<DWORD>(kImmigrateDone | 1));

    const std::wstring strTarget = kMakerKey;
    EXPECT_EQ(GetDword(strTarget, L"Top Dword"), std::optional<DWORD>(0x12345678));
    EXPECT_EQ(GetString(strTarget, L"Top Text"), std::optional<std::wstring>(L"古い設定"));
    EXPECT_EQ(GetDword(strTarget + L"\\VZQZv\\View", L"SmoothScroll"), std::optional<DWORD>(1));
    EXPECT_EQ(GetString(strTarget + L"\\VZQZv\\View", L"Title"), std::optional<std::wstring>(L"Zuvora! 窓"));
    EXPECT_EQ(GetDword(strTarget + L"\\VZQZv\\Timer\\Deep", L"Auto Scroll"), std::optional<DWORD>(250));
    EXPECT_FALSE(RegKeyExists(ZV_IMMIGRATE_KEY));

    // The next start finds nothing to move and leaves the settings alone.
    ASSERT_TRUE(SetDword(strTarget + L"\\VZQZv\\View", L"SmoothScroll", 0));
    EXPECT_EQ(RunToEnd(kProg, L"/IMMIGRATE"), std::optional<DWORD>(kImmigrateDone | 1));
    EXPECT_EQ(GetDword(strTarget + L"\\VZQZv\\View", L"SmoothScroll"), std::optional<DWORD>(0));
}

TEST_F(SysServicesImmigrate, KeepsTheSourceWhenTheToolIsMissing)
{
    MakeImmigrateTree();
    // A core program but no copy tool beside it.
    CTempLayout layout({L"ZvTSysSvc.exe", L"ZvCore64.exe"});
    ASSERT_TRUE(layout.Ok());
    EXPECT_EQ(RunToEnd(layout.Path(L"ZvTSysSvc.exe"), L"/IMMIGRATE"), std::optional<DWORD>(kImmigrateDone | 0));
    EXPECT_TRUE(RegKeyExists(ZV_IMMIGRATE_KEY));
    EXPECT_EQ(GetDword(ZV_IMMIGRATE_KEY, L"Top Dword"), std::optional<DWORD>(0x12345678));
    EXPECT_FALSE(RegKeyExists(kMakerKey));
}

TEST_F(SysServicesImmigrate, KeepsTheSourceWhenTheToolFails)
{
    MakeImmigrateTree();
    // The stand-in tool ends with exit code 3 and copies nothing.
    CTempLayout layout({L"ZvTSysSvc.exe", L"ZvCore64.exe", L"ZvRegCopy64.exe"});
    ASSERT_TRUE(layout.Ok());
    EXPECT_EQ(RunToEnd(layout.Path(L"ZvTSysSvc.exe"), L"/IMMIGRATE"), std::optional<DWORD>(kImmigrateDone | 0));
    EXPECT_TRUE(RegKeyExists(ZV_IMMIGRATE_KEY));
    EXPECT_EQ(GetDword(ZV_IMMIGRATE_KEY + std::wstring(L"\\VZQZv\\Timer\\Deep"), L"Auto Scroll"),
              std::optional<DWORD>(250));

    // With the real tool in the layout the same source then moves.
    EXPECT_EQ(RunToEnd(kProg, L"/IMMIGRATE", 90000), std::optional<DWORD>(kImmigrateDone | 1));
    EXPECT_FALSE(RegKeyExists(ZV_IMMIGRATE_KEY));
    EXPECT_EQ(GetDword(kMakerKey + std::wstring(L"\\VZQZv\\Timer\\Deep"), L"Auto Scroll"),
              std::optional<DWORD>(250));
}
