// Shared foundation: finding the program folder, the child's command line and the mutex test.
// Starting programs and the registry migration are covered end to end.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "Handle.h"
#include "CommandLine.h"
#include "Path.h"
#include "ProcessLaunch.h"

TEST(CommonProcessLaunch, SearchExtension)
{
    EXPECT_EQ(GetSearchExtension(L"ZvCore64.exe"), L".exe");
    EXPECT_EQ(GetSearchExtension(L"a.b.dll"), L".dll");
    EXPECT_EQ(GetSearchExtension(L"NoExtension"), L"");
    EXPECT_EQ(GetSearchExtension(L"Trailing."), L"");
    EXPECT_EQ(GetSearchExtension(L".hidden"), L".hidden");
    EXPECT_EQ(GetSearchExtension(L""), L"");
    EXPECT_EQ(GetSearchExtension(nullptr), L"");
}

TEST(CommonProcessLaunch, SearchFileDirFindsTheProgramFolder)
{
    const std::wstring strSelf = GetModuleFilePath(nullptr);
    const std::wstring strSelfDir = strSelf.substr(0, strSelf.find_last_of(L'\\') + 1);

    std::wstring strDir = L"unchanged";
    ASSERT_TRUE(SearchFileDir(L"ZvUnitTests.exe", strDir));
    EXPECT_EQ(CompareStringOrdinal(strDir.c_str(), -1, strSelfDir.c_str(), -1, TRUE), CSTR_EQUAL)
        << strDir << L" / " << strSelfDir;
    // The folder of the core program, where every program of the system lies.
    ASSERT_TRUE(SearchFileDir(L"ZvCore64.exe", strDir));
    EXPECT_EQ(CompareStringOrdinal(strDir.c_str(), -1, strSelfDir.c_str(), -1, TRUE), CSTR_EQUAL);
    EXPECT_EQ(strDir.back(), L'\\');
    // The system folders come after it.
    ASSERT_TRUE(SearchFileDir(L"kernel32.dll", strDir));
    EXPECT_EQ(strDir.back(), L'\\');

    strDir = L"unchanged";
    EXPECT_FALSE(SearchFileDir(L"ZvNoSuchProgram.exe", strDir));
    EXPECT_FALSE(SearchFileDir(L"ZvNoSuchProgram", strDir));
    EXPECT_FALSE(SearchFileDir(L"", strDir));
    EXPECT_FALSE(SearchFileDir(nullptr, strDir));
    EXPECT_EQ(strDir, L"unchanged");
}

TEST(CommonProcessLaunch, ChildCommandLineStartsWithTheQuotedProgram)
{
    EXPECT_EQ(BuildProcessCommandLine(L"C:\\Zv Dir\\ZvLog64.exe", L" /LOGWINDOW"),
              L"\"C:\\Zv Dir\\ZvLog64.exe\" /LOGWINDOW");
    EXPECT_EQ(BuildProcessCommandLine(L"C:\\Zv\\ZvRegCopy64.exe", L"HKCU Software\\A HKCU Software\\B"),
              L"\"C:\\Zv\\ZvRegCopy64.exe\" HKCU Software\\A HKCU Software\\B");
    EXPECT_EQ(BuildProcessCommandLine(L"C:\\Zv\\ZvLog64.exe", L""), L"\"C:\\Zv\\ZvLog64.exe\"");
    EXPECT_EQ(BuildProcessCommandLine(L"C:\\Zv\\ZvLog64.exe", nullptr), L"\"C:\\Zv\\ZvLog64.exe\"");

    // The child's runtime skips exactly the program and gets every argument.
    const std::wstring strLine = BuildProcessCommandLine(L"C:\\Zv Dir\\x.exe", IMMIGRATE_TOOL_ARGS);
    const std::vector<std::wstring> args = SplitCommandLine(strLine.c_str(), TRUE);
    ASSERT_EQ(args.size(), 5u);
    EXPECT_EQ(args[1], L"HKCU");
    EXPECT_EQ(args[2], L"Software\\V.Z.Q.Immigrate");
    EXPECT_EQ(args[3], L"HKCU");
    EXPECT_EQ(args[4], L"Software\\V.Z.Q.");
}

TEST(CommonProcessLaunch, MutexExistsOnlyWhileHeldAndTheTestCreatesNone)
{
    const std::wstring strName = L"ZvUnitTests Mutex " + std::to_wstring(GetCurrentProcessId());
    EXPECT_FALSE(IsMutexExist(strName.c_str()));
    // The test itself must not have created it.
    CHandle hMutex(CreateMutexW(nullptr, FALSE, strName.c_str()));
    ASSERT_TRUE(hMutex);
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(IsMutexExist(strName.c_str()));
    EXPECT_TRUE(IsMutexExist(strName.c_str()));
    hMutex.reset();
    EXPECT_FALSE(IsMutexExist(strName.c_str()));
    EXPECT_FALSE(IsMutexExist(L""));
    EXPECT_FALSE(IsMutexExist(nullptr));
}
