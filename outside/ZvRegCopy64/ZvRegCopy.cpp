// ZvRegCopy64.exe: copies one registry key with all its values and subkeys into another key.
//
//   ZvRegCopy64.exe SRCROOT SRCPATH DSTROOT DSTPATH
//   e.g. HKCU Software\V.Z.Q.Immigrate HKCU Software\V.Z.Q.
//
// Roots: HKCU, HKLM, HKCR, HKU, HKCC or their long names (HKEY_CURRENT_USER, ...), any case.
// A path holding blanks is quoted; quotes only group, backslashes are taken literally. The
// command line may come with or without the program name in front: the migration's launcher puts
// the quoted program path first, but a caller may hand over the arguments alone. So it is read
// whole from GetCommandLineW: for a line without the program the CRT's lpCmdLine would drop the
// first argument as the program name.
//
// Values keep their type and bytes exactly (strings unexpanded, unterminated strings stay
// unterminated); same-named target values are overwritten, other target values and keys stay.
// The whole source tree is read before the first write, so a missing or unreadable source leaves
// the target untouched.
//
// Exit codes (the caller treats anything but 0 as "not copied, try again later"):
//   0  the whole tree has been copied
//   1  bad command line: wrong number of arguments, unknown root or empty key path
//   2  the source key does not exist
//   3  the source could not be read completely (access denied, a key vanished while reading, ...)
//   4  the target could not be written completely (a key not created or a value not set)
//   5  out of memory or another internal failure
#include <windows.h>
#include <string>
#include <vector>

namespace {

enum EXIT_CODE : int {
    EXIT_COPIED = 0,
    EXIT_BAD_COMMAND_LINE = 1,
    EXIT_SOURCE_MISSING = 2,
    EXIT_READ_FAILED = 3,
    EXIT_WRITE_FAILED = 4,
    EXIT_INTERNAL = 5,
};

struct KEY_ARG {
    HKEY hRoot;
    std::wstring strPath;
};

struct VALUE {
    std::wstring strName;
    DWORD dwType;
    std::vector<BYTE> data;
};

struct KEY_NODE {
    std::wstring strName;  // relative to the parent; empty for the copied key itself
    std::vector<VALUE> values;
    std::vector<KEY_NODE> subkeys;
};

class CKey {
public:
    CKey() = default;
    ~CKey()
    {
        if (m_hKey)
            RegCloseKey(m_hKey);
    }
    CKey(const CKey&) = delete;
    CKey& operator=(const CKey&) = delete;
    HKEY* operator&() { return &m_hKey; }
    operator HKEY() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

// Blank-separated tokens; a double quote toggles grouping and is dropped; "" gives an empty token.
std::vector<std::wstring> SplitCommandLine(const wchar_t* pszLine)
{
    std::vector<std::wstring> tokens;
    std::wstring strToken;
    bool bInToken = false, bQuoted = false;
    for (const wchar_t* p = pszLine; p && *p; ++p) {
        if (*p == L'"') {
            bQuoted = !bQuoted;
            bInToken = true;
        } else if (!bQuoted && (*p == L' ' || *p == L'\t')) {
            if (bInToken)
                tokens.push_back(strToken);
            strToken.clear();
            bInToken = false;
        } else {
            strToken += *p;
            bInToken = true;
        }
    }
    if (bInToken)
        tokens.push_back(strToken);
    return tokens;
}

bool SameText(const std::wstring& a, const wchar_t* b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}

HKEY RootOf(const std::wstring& strName)
{
    static const struct {
        const wchar_t* pszShort;
        const wchar_t* pszLong;
        HKEY hKey;
    } kRoots[] = {
        {L"HKCU", L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},     {L"HKLM", L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {L"HKCR", L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},     {L"HKU", L"HKEY_USERS", HKEY_USERS},
        {L"HKCC", L"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    };
    for (const auto& r : kRoots)
        if (SameText(strName, r.pszShort) || SameText(strName, r.pszLong))
            return r.hKey;
    return nullptr;
}

// Copying into or out of a whole hive is never meant, so an empty path is an error.
bool MakeKeyArg(const std::wstring& strRoot, const std::wstring& strPath, KEY_ARG& arg)
{
    arg.hRoot = RootOf(strRoot);
    size_t first = strPath.find_first_not_of(L'\\');
    if (!arg.hRoot || first == std::wstring::npos)
        return false;
    arg.strPath = strPath.substr(first, strPath.find_last_not_of(L'\\') - first + 1);
    return true;
}

// Four arguments alone, or after a program name. An unquoted program path may have been split at
// its blanks, so the arguments are the last four tokens, provided the first token is not a root.
bool ParseCommandLine(const wchar_t* pszLine, KEY_ARG& src, KEY_ARG& dst)
{
    std::vector<std::wstring> t = SplitCommandLine(pszLine);
    size_t n = t.size();
    if (n < 4 || (n > 4 && RootOf(t[0])))
        return false;
    return MakeKeyArg(t[n - 4], t[n - 3], src) && MakeKeyArg(t[n - 2], t[n - 1], dst);
}

// ERROR_MORE_DATA means the key changed between the size query and the read; sizes are asked again.
LSTATUS ReadValues(HKEY hKey, std::vector<VALUE>& values)
{
    for (;;) {
        DWORD cchMaxName = 0, cbMaxData = 0;
        LSTATUS st = RegQueryInfoKeyW(hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &cchMaxName,
                                      &cbMaxData, nullptr, nullptr);
        if (st != ERROR_SUCCESS)
            return st;
        values.clear();
        std::vector<wchar_t> name(cchMaxName + 1);
        std::vector<BYTE> data(cbMaxData + 1);
        bool bResized = false;
        for (DWORD i = 0; !bResized; ++i) {
            DWORD cchName = static_cast<DWORD>(name.size()), cbData = static_cast<DWORD>(data.size()), dwType = 0;
            st = RegEnumValueW(hKey, i, name.data(), &cchName, nullptr, &dwType, data.data(), &cbData);
            if (st == ERROR_NO_MORE_ITEMS)
                return ERROR_SUCCESS;
            if (st == ERROR_MORE_DATA) {
                bResized = true;
            } else if (st != ERROR_SUCCESS) {
                return st;
            } else {
                values.push_back({std::wstring(name.data(), cchName), dwType,
                                  std::vector<BYTE>(data.begin(), data.begin() + cbData)});
            }
        }
    }
}

LSTATUS ReadSubkeyNames(HKEY hKey, std::vector<std::wstring>& names)
{
    DWORD cchMax = 0;
    LSTATUS st = RegQueryInfoKeyW(hKey, nullptr, nullptr, nullptr, nullptr, &cchMax, nullptr, nullptr, nullptr, nullptr,
                                  nullptr, nullptr);
    if (st != ERROR_SUCCESS)
        return st;
    std::vector<wchar_t> name(cchMax + 1 < 256 ? 256 : cchMax + 1);  // 255 is the system's limit
    for (DWORD i = 0;; ++i) {
        DWORD cchName = static_cast<DWORD>(name.size());
        st = RegEnumKeyExW(hKey, i, name.data(), &cchName, nullptr, nullptr, nullptr, nullptr);
        if (st == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (st != ERROR_SUCCESS)
            return st;
        names.emplace_back(name.data(), cchName);
    }
}

bool ReadTree(HKEY hKey, KEY_NODE& node)
{
    std::vector<std::wstring> names;
    if (ReadValues(hKey, node.values) != ERROR_SUCCESS || ReadSubkeyNames(hKey, names) != ERROR_SUCCESS)
        return false;
    for (const auto& strName : names) {
        CKey sub;
        if (RegOpenKeyExW(hKey, strName.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS)
            return false;
        node.subkeys.push_back({strName, {}, {}});
        if (!ReadTree(sub, node.subkeys.back()))
            return false;
    }
    return true;
}

// RegSetValueExW adds a terminator to a string value whose counted data lacks one when the
// character after the data is NUL; a non-NUL guard after the bytes keeps such data as it was.
LSTATUS WriteValue(HKEY hKey, const VALUE& value)
{
    std::vector<BYTE> buf(value.data);
    buf.insert(buf.end(), 4, 0xFF);
    return RegSetValueExW(hKey, value.strName.c_str(), 0, value.dwType, buf.data(),
                          static_cast<DWORD>(value.data.size()));
}

bool WriteTree(HKEY hKey, const KEY_NODE& node)
{
    bool bOk = true;  // go on after a failure so that as much as possible arrives
    for (const auto& value : node.values)
        if (WriteValue(hKey, value) != ERROR_SUCCESS)
            bOk = false;
    for (const auto& sub : node.subkeys) {
        CKey hSub;
        if (RegCreateKeyExW(hKey, sub.strName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, &hSub, nullptr) != ERROR_SUCCESS ||
            !WriteTree(hSub, sub))
            bOk = false;
    }
    return bOk;
}

int Copy(const KEY_ARG& src, const KEY_ARG& dst)
{
    KEY_NODE tree;
    {
        CKey hSrc;
        LSTATUS st = RegOpenKeyExW(src.hRoot, src.strPath.c_str(), 0, KEY_READ, &hSrc);
        if (st == ERROR_FILE_NOT_FOUND || st == ERROR_PATH_NOT_FOUND)
            return EXIT_SOURCE_MISSING;
        if (st != ERROR_SUCCESS || !ReadTree(hSrc, tree))
            return EXIT_READ_FAILED;
    }
    CKey hDst;
    if (RegCreateKeyExW(dst.hRoot, dst.strPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, &hDst, nullptr) != ERROR_SUCCESS)
        return EXIT_WRITE_FAILED;
    if (!WriteTree(hDst, tree))
        return EXIT_WRITE_FAILED;
    // The caller deletes the source once it sees 0, so the copy must be on disk by then.
    return RegFlushKey(hDst) == ERROR_SUCCESS ? EXIT_COPIED : EXIT_WRITE_FAILED;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    try {
        KEY_ARG src{}, dst{};
        if (!ParseCommandLine(GetCommandLineW(), src, dst))
            return EXIT_BAD_COMMAND_LINE;
        return Copy(src, dst);
    } catch (...) {
        return EXIT_INTERNAL;
    }
}
