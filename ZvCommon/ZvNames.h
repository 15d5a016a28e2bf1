// ZvNames: the names of the system that are never translated and must agree between its programs,
// its tools and its tests: registry key names and program file names. Plain text constants only,
// so that any program of either tree (and the test kit) can include it by path.
#pragma once

#include <cstddef>

namespace zvnames {

// A text put together at compile time from others, so that a composed name cannot drift from its
// parts.
template <size_t N>
struct FIXED_WSTR {
    wchar_t sz[N];
};

template <size_t... N>
constexpr FIXED_WSTR<(N + ...) - sizeof...(N) + 1> JoinNames(const wchar_t (&... parts)[N])
{
    FIXED_WSTR<(N + ...) - sizeof...(N) + 1> out{};
    size_t nPos = 0;
    auto append = [&](const wchar_t* psz, size_t nSize) {
        for (size_t i = 0; i + 1 < nSize; ++i)
            out.sz[nPos++] = psz[i];
    };
    (append(parts, N), ...);
    out.sz[nPos] = L'\0';
    return out;
}

} // namespace zvnames

// ---- Registry (under HKEY_CURRENT_USER) ---------------------------------------------------

inline constexpr wchar_t ZV_SOFTWARE_KEY[] = L"Software";
// The maker's key under Software, and the settings key under it.
inline constexpr wchar_t ZV_MAKER_NAME[] = L"V.Z.Q.";
inline constexpr wchar_t ZV_PROFILE_NAME[] = L"VZQZv";
// Old settings left for the next start to move under the maker's key.
inline constexpr wchar_t ZV_IMMIGRATE_NAME[] = L"V.Z.Q.Immigrate";

namespace zvnames {
inline constexpr auto kMakerKey = JoinNames(ZV_SOFTWARE_KEY, L"\\", ZV_MAKER_NAME);
inline constexpr auto kProfileKey = JoinNames(kMakerKey.sz, L"\\", ZV_PROFILE_NAME);
inline constexpr auto kImmigrateKey = JoinNames(ZV_SOFTWARE_KEY, L"\\", ZV_IMMIGRATE_NAME);
} // namespace zvnames

// "Software\V.Z.Q.", "Software\V.Z.Q.\VZQZv", "Software\V.Z.Q.Immigrate".
inline constexpr const wchar_t* ZV_MAKER_KEY = zvnames::kMakerKey.sz;
inline constexpr const wchar_t* ZV_PROFILE_KEY = zvnames::kProfileKey.sz;
inline constexpr const wchar_t* ZV_IMMIGRATE_KEY = zvnames::kImmigrateKey.sz;

// ---- Program files ------------------------------------------------------------------------

inline constexpr wchar_t ZV_CORE64_FILE[] = L"ZvCore64.exe";
inline constexpr wchar_t ZV_CORE32_FILE[] = L"ZvCore.exe";
inline constexpr wchar_t ZV_PROPERTY64_FILE[] = L"ZvProperty64.exe";
inline constexpr wchar_t ZV_HOOK32TO64_FILE[] = L"ZvHook32to64.exe";
inline constexpr wchar_t ZV_LOG64_FILE[] = L"ZvLog64.exe";
inline constexpr wchar_t ZV_LOG32_FILE[] = L"ZvLog.exe";
inline constexpr wchar_t ZV_REGCOPY64_FILE[] = L"ZvRegCopy64.exe";
inline constexpr wchar_t ZV_HOOK32_DLL[] = L"ZvHook.dll";
inline constexpr wchar_t ZV_HOOK64_DLL[] = L"ZvHook64.dll";
inline constexpr wchar_t ZV_IMGNM64_DLL[] = L"ZvImgNm64.dll";

// The gateway's single-instance mutex (its string 101) and the title of its hidden dialog.
inline constexpr wchar_t ZV_GTWY_MUTEX_NAME[] = L"Zuvora! Hook Gateway";
inline constexpr wchar_t ZV_GTWY_WND_TITLE[] = L"ZvHook32to64";

// The core program and the log viewer of the tree this file is compiled in: a program starts or
// looks for the ones of its own width.
#ifdef _WIN64
inline constexpr const wchar_t* ZV_CORE_FILE = ZV_CORE64_FILE;
inline constexpr const wchar_t* ZV_LOG_FILE = ZV_LOG64_FILE;
#else
inline constexpr const wchar_t* ZV_CORE_FILE = ZV_CORE32_FILE;
inline constexpr const wchar_t* ZV_LOG_FILE = ZV_LOG32_FILE;
#endif

// ---- Settings exchange --------------------------------------------------------------------

// Manual-reset events between the core program and the settings program: the core has read and
// applied the settings blocks (Read End), could not read them or refused the apply (Read Fail), or
// has written them (Write End).
inline constexpr wchar_t ZV_PROP_READ_END_EVENT[] = L"Zuvora! Property Read End Event";
inline constexpr wchar_t ZV_PROP_READ_FAIL_EVENT[] = L"Zuvora! Property Read Fail Event";
inline constexpr wchar_t ZV_PROP_WRITE_END_EVENT[] = L"Zuvora! Property Write End Event";
