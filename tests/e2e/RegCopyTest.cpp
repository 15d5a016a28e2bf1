// ZvRegCopy64.exe as the registry migration runs it: started hidden from the program folder with
// only the four key arguments (and, for robustness, also with its own name in front), exit code 0
// only after the whole tree arrived with every value's type and bytes, nothing written otherwise.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>
#include "ZvTestKit.h"

using namespace zvkit;

namespace {

constexpr wchar_t kTestKey[] = L"Software\\ZvRegCopyTest";
constexpr wchar_t kSrcKey[] = L"Software\\ZvRegCopyTest\\Src";
constexpr wchar_t kDstKey[] = L"Software\\ZvRegCopyTest\\Dst";

// The tool's documented exit codes.
constexpr DWORD kCopied = 0, kBadCommandLine = 1, kSourceMissing = 2;

struct REG_VALUE {
    DWORD dwType = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const REG_VALUE&) const = default;
};
using VALUES = std::map<std::wstring, REG_VALUE>;
using TREE = std::map<std::wstring, VALUES>;  // key path relative to the top ("" for the top) -> values

std::vector<BYTE> Bytes(const void* p, size_t cb)
{
    const BYTE* b = static_cast<const BYTE*>(p);
    return std::vector<BYTE>(b, b + cb);
}
// A string's characters with its terminating NUL, as the registry stores REG_SZ.
std::vector<BYTE> SzBytes(const std::wstring& s)
{
    return Bytes(s.c_str(), (s.size() + 1) * sizeof(wchar_t));
}
std::vector<BYTE> MultiSzBytes(const std::vector<std::wstring>& lines)
{
    std::wstring all;
    for (const auto& l : lines)
        all += l + L'\0';
    return Bytes(all.c_str(), (all.size() + 1) * sizeof(wchar_t));
}

// The source tree: nested keys (blanks and Japanese in names), every value type, the default
// value, empty data, and a string stored without its terminating NUL.
TREE SourceTree()
{
    const DWORD dw = 0xDEADBEEF;
    const ULONGLONG qw = 0x0123456789ABCDEFull;
    const BYTE bin[] = {0x00, 0x01, 0x7F, 0x80, 0xFF, 0x00};
    const wchar_t unterminated[] = {L'a', L'b', L'c'};
    TREE t;
    t[L""] = {
        {L"", {REG_SZ, SzBytes(L"既定の値")}},
        {L"Text", {REG_SZ, SzBytes(L"Zuvora テキスト")}},
        {L"Expand", {REG_EXPAND_SZ, SzBytes(L"%SystemRoot%\\ZvTest;%TEMP%")}},
        {L"Multi", {REG_MULTI_SZ, MultiSzBytes({L"一行目", L"second line", L"三"})}},
        {L"Dword", {REG_DWORD, Bytes(&dw, sizeof(dw))}},
        {L"Qword", {REG_QWORD, Bytes(&qw, sizeof(qw))}},
        {L"Binary", {REG_BINARY, Bytes(bin, sizeof(bin))}},
        {L"EmptyBinary", {REG_BINARY, {}}},
        {L"EmptyString", {REG_SZ, {}}},
        {L"Unterminated", {REG_SZ, Bytes(unterminated, sizeof(unterminated))}},
        {L"None", {REG_NONE, {0x01, 0x02}}},
        {L"値の名前", {REG_SZ, SzBytes(L"日本語のデータ")}},
    };
    t[L"Sub 1"] = {
        {L"", {REG_EXPAND_SZ, SzBytes(L"%USERPROFILE%")}},
        {L"Dword", {REG_DWORD, Bytes(&dw, sizeof(dw))}},
    };
    t[L"Sub 1\\深い階層"] = {
        {L"窓", {REG_MULTI_SZ, MultiSzBytes({L"a", L"ｂ"})}},
        {L"Binary", {REG_BINARY, Bytes(bin, 3)}},
    };
    t[L"Sub 1\\深い階層\\Leaf"] = {{L"Qword", {REG_QWORD, Bytes(&qw, sizeof(qw))}}};
    t[L"Empty"] = {};
    return t;
}

// Writes data exactly: a non-NUL guard after a string's bytes stops the registry from adding a
// terminator that the data does not have.
bool WriteTree(const std::wstring& strTop, const TREE& tree)
{
    for (const auto& [strPath, values] : tree) {
        std::wstring strKey = strPath.empty() ? strTop : strTop + L"\\" + strPath;
        HKEY hKey = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, strKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr) !=
            ERROR_SUCCESS)
            return false;
        bool bOk = true;
        for (const auto& [strName, v] : values) {
            std::vector<BYTE> buf(v.data);
            buf.insert(buf.end(), 4, 0xFF);
            bOk = bOk && RegSetValueExW(hKey, strName.c_str(), 0, v.dwType, buf.data(),
                                        static_cast<DWORD>(v.data.size())) == ERROR_SUCCESS;
        }
        RegCloseKey(hKey);
        if (!bOk)
            return false;
    }
    return true;
}

bool ReadKey(HKEY hKey, const std::wstring& strRel, TREE& tree)
{
    VALUES& values = tree[strRel];
    for (DWORD i = 0;; ++i) {
        wchar_t szName[16384];
        DWORD cchName = 16384, dwType = 0, cbData = 0;
        LSTATUS st = RegEnumValueW(hKey, i, szName, &cchName, nullptr, &dwType, nullptr, &cbData);
        if (st == ERROR_NO_MORE_ITEMS)
            break;
        if (st != ERROR_SUCCESS)
            return false;
        REG_VALUE v{dwType, std::vector<BYTE>(cbData)};
        cchName = 16384;
        if (RegEnumValueW(hKey, i, szName, &cchName, nullptr, &dwType, v.data.data(), &cbData) != ERROR_SUCCESS)
            return false;
        v.data.resize(cbData);
        values[std::wstring(szName, cchName)] = v;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t szName[256];
        DWORD cchName = 256;
        LSTATUS st = RegEnumKeyExW(hKey, i, szName, &cchName, nullptr, nullptr, nullptr, nullptr);
        if (st == ERROR_NO_MORE_ITEMS)
            break;
        if (st != ERROR_SUCCESS)
            return false;
        std::wstring strSub(szName, cchName);
        HKEY hSub = nullptr;
        if (RegOpenKeyExW(hKey, strSub.c_str(), 0, KEY_READ, &hSub) != ERROR_SUCCESS)
            return false;
        bool bOk = ReadKey(hSub, strRel.empty() ? strSub : strRel + L"\\" + strSub, tree);
        RegCloseKey(hSub);
        if (!bOk)
            return false;
    }
    return true;
}

// The tree under HKCU\strTop, or nothing when the key does not exist.
std::optional<TREE> ReadTree(const std::wstring& strTop)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, strTop.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return std::nullopt;
    TREE tree;
    bool bOk = ReadKey(hKey, L"", tree);
    RegCloseKey(hKey);
    if (!bOk)
        return std::nullopt;
    return tree;
}

bool KeyExists(const std::wstring& strKey)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, strKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

::testing::AssertionResult SameTree(const TREE& expected, const std::optional<TREE>& actual)
{
    if (!actual)
        return ::testing::AssertionFailure() << "the target key is missing";
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    bool bSame = true;
    auto fail = [&](const std::wstring& strWhat) {
        if (bSame)
            result = ::testing::AssertionFailure();
        bSame = false;
        result << ::testing::PrintToString(strWhat) << "\n";
    };
    for (const auto& [strKey, values] : expected) {
        auto it = actual->find(strKey);
        if (it == actual->end()) {
            fail(L"missing key [" + strKey + L"]");
            continue;
        }
        for (const auto& [strName, v] : values) {
            auto jt = it->second.find(strName);
            if (jt == it->second.end())
                fail(L"missing value [" + strKey + L"] \"" + strName + L"\"");
            else if (jt->second.dwType != v.dwType)
                fail(L"type of [" + strKey + L"] \"" + strName + L"\" is " + std::to_wstring(jt->second.dwType));
            else if (jt->second.data != v.data)
                fail(L"data of [" + strKey + L"] \"" + strName + L"\" differ (" +
                     std::to_wstring(jt->second.data.size()) + L" bytes against " + std::to_wstring(v.data.size()) +
                     L")");
        }
        for (const auto& [strName, v] : it->second)
            if (!values.count(strName))
                fail(L"extra value [" + strKey + L"] \"" + strName + L"\"");
    }
    for (const auto& [strKey, values] : *actual)
        if (!expected.count(strKey))
            fail(L"extra key [" + strKey + L"]");
    return result;
}

// Starts the tool as the migration does: application name = its full path in the test layout,
// working folder = the layout, hidden. The command line is the arguments alone unless
// bWithProgramName. Its exit code, or nothing when it did not start or end in time.
std::optional<DWORD> RunRegCopy(const std::wstring& strArgs, bool bWithProgramName)
{
    std::wstring strExe = LayoutPath(L"ZvRegCopy64.exe");
    std::wstring strCmd = bWithProgramName ? QuoteArg(strExe) + L" " + strArgs : strArgs;
    std::wstring strDir = LayoutDir();
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(strExe.c_str(), strCmd.data(), nullptr, nullptr, FALSE,
                        CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS, nullptr, strDir.c_str(), &si, &pi)) {
        ADD_FAILURE() << "CreateProcess error " << GetLastError();
        return std::nullopt;
    }
    CloseHandle(pi.hThread);
    std::optional<DWORD> code;
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) {
        DWORD dw = 0;
        if (GetExitCodeProcess(pi.hProcess, &dw))
            code = dw;
    } else {
        ADD_FAILURE() << "ZvRegCopy64 did not end within 30 s";
        TerminateProcess(pi.hProcess, 99);
    }
    CloseHandle(pi.hProcess);
    return code;
}

class RegCopy : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        ASSERT_FALSE(KeyExists(kTestKey));
    }
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        EXPECT_FALSE(KeyExists(kTestKey)) << "test keys left behind";
    }
    // Writes the source tree and checks that the registry holds it byte for byte.
    void PrepareSource()
    {
        ASSERT_TRUE(WriteTree(kSrcKey, SourceTree()));
        ASSERT_TRUE(SameTree(SourceTree(), ReadTree(kSrcKey))) << "the source itself was not stored exactly";
    }
};

// ---- Complete copies ------------------------------------------------------------------------

TEST_F(RegCopy, CopiesTheWholeTreeWhenStartedAsTheMigrationStartsIt)
{
    PrepareSource();
    EXPECT_EQ(RunRegCopy(L"HKCU Software\\ZvRegCopyTest\\Src HKCU Software\\ZvRegCopyTest\\Dst", false), kCopied);
    EXPECT_TRUE(SameTree(SourceTree(), ReadTree(kDstKey)));
    EXPECT_TRUE(SameTree(SourceTree(), ReadTree(kSrcKey))) << "the source stays as it was";
}

TEST_F(RegCopy, CopiesWithItsNameInFrontLongRootNamesAndQuotedPathsWithBlanks)
{
    PrepareSource();
    EXPECT_EQ(RunRegCopy(L"HKEY_CURRENT_USER \"Software\\ZvRegCopyTest\\Src\" "
                         L"hkey_current_user \"Software\\ZvRegCopyTest\\Dst with blanks\\コピー\"",
                         true),
              kCopied);
    EXPECT_TRUE(SameTree(SourceTree(), ReadTree(L"Software\\ZvRegCopyTest\\Dst with blanks\\コピー")));
}

TEST_F(RegCopy, OverwritesSameNamedValuesAndKeepsTheOthersOfAnExistingTarget)
{
    PrepareSource();
    const DWORD dwOld = 7;
    TREE existing;
    existing[L""] = {{L"Dword", {REG_SZ, SzBytes(L"old text")}},
                     {L"", {REG_DWORD, Bytes(&dwOld, sizeof(dwOld))}},
                     {L"Keep", {REG_SZ, SzBytes(L"残す")}}};
    existing[L"Sub 1"] = {{L"KeepToo", {REG_BINARY, {0x42}}}};
    existing[L"Own key"] = {{L"Mine", {REG_DWORD, Bytes(&dwOld, sizeof(dwOld))}}};
    ASSERT_TRUE(WriteTree(kDstKey, existing));

    EXPECT_EQ(RunRegCopy(L"HKCU Software\\ZvRegCopyTest\\Src HKCU Software\\ZvRegCopyTest\\Dst", false), kCopied);
    TREE expected = SourceTree();
    expected[L""][L"Keep"] = existing[L""][L"Keep"];
    expected[L"Sub 1"][L"KeepToo"] = existing[L"Sub 1"][L"KeepToo"];
    expected[L"Own key"] = existing[L"Own key"];
    EXPECT_TRUE(SameTree(expected, ReadTree(kDstKey)));
}

// ---- Refusals -------------------------------------------------------------------------------

TEST_F(RegCopy, AMissingSourceGivesItsExitCodeAndWritesNothing)
{
    ASSERT_FALSE(KeyExists(kSrcKey));
    EXPECT_EQ(RunRegCopy(L"HKCU Software\\ZvRegCopyTest\\Src HKCU Software\\ZvRegCopyTest\\Dst", false),
              kSourceMissing);
    EXPECT_FALSE(KeyExists(kDstKey));
    EXPECT_FALSE(KeyExists(kTestKey)) << "not even the target's parent may be created";
}

TEST_F(RegCopy, AMalformedCommandLineGivesItsExitCodeAndWritesNothing)
{
    PrepareSource();
    const std::wstring src = L"Software\\ZvRegCopyTest\\Src", dst = L"Software\\ZvRegCopyTest\\Dst";
    const std::wstring lines[] = {
        L"",
        L"HKCU " + src,
        L"HKCU " + src + L" HKCU",
        L"HKXX " + src + L" HKCU " + dst,
        L"HKCU " + src + L" HKCX " + dst,
        L"HKCU " + src + L" HKCU \"\"",
        L"HKCU \"\\\" HKCU " + dst,
        L"HKCU " + src + L" HKCU " + dst + L" extra",
        L"HKCU Software\\ZvRegCopyTest\\Src Dir HKCU " + dst,  // a blank in a path needs quotes
    };
    for (bool bWithName : {false, true}) {
        for (const auto& strLine : lines) {
            SCOPED_TRACE(::testing::PrintToString(strLine) + (bWithName ? " with the program name" : ""));
            EXPECT_EQ(RunRegCopy(strLine, bWithName), kBadCommandLine);
            EXPECT_FALSE(KeyExists(dst));
        }
    }
}

}  // namespace
