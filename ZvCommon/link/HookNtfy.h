// HookNtfy: the records that the core program and the 32-bit gateway pass in their hook
// notification blocks, and the names of those blocks.
//
// Block layout (one frame for every kind; integers little-endian):
//   0   int32 nLen (28, 28, 32 or 60 by kind)
//   4   tag field, 16 bytes: "ZvSmHk_V0900___" and its zero
//   20  payload: HOOK_NTFY, HOOK_NTFY_SWTCH or HOOK_NTFY_CBT
//   nLen checksum byte: exclusive-or of bytes 0 .. nLen - 2
// Handles and message parameters are 64 bits wide in both trees, so a 32-bit writer and a
// 64-bit reader see one layout.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr int HOOK_KIND_INIT = 1;
inline constexpr int HOOK_KIND_END = 2;
inline constexpr int HOOK_KIND_SWTCH = 3;
inline constexpr int HOOK_KIND_CBT = 4;
// The hook number of the window-event hook in a switch record: the only one the gateway acts on.
inline constexpr int HOOK_NTFY_SWTCH_CBT = 4;

inline constexpr char HOOK_BLOCK_TAG[] = "ZvSmHk_V0900___";
inline constexpr int HOOK_TAG_FIELD = 16;
inline constexpr int HOOK_PAYLOAD_OFS = 4 + HOOK_TAG_FIELD;
static_assert(sizeof(HOOK_BLOCK_TAG) == HOOK_TAG_FIELD, "the tag fills its field with its zero");

// Kinds 1 (init) and 2 (end).
struct HOOK_NTFY {
    int32_t nKind;
    int32_t nReserved;
};

// Kind 3: install (bOn nonzero) or remove hook nHook.
struct HOOK_NTFY_SWTCH {
    int32_t nKind;
    int32_t nHook;
    int32_t bOn;
};

// Kind 4: one hook message that the gateway's window received, relayed to the core program.
struct HOOK_NTFY_CBT {
    int32_t nKind;
    int32_t nPad1;
    uint64_t hWnd;
    uint32_t uMsg;
    uint32_t nPad2;
    uint64_t wParam;
    uint64_t lParam;
};

static_assert(sizeof(HOOK_NTFY) == 8);
static_assert(sizeof(HOOK_NTFY_SWTCH) == 12);
static_assert(sizeof(HOOK_NTFY_CBT) == 40);
static_assert(offsetof(HOOK_NTFY_CBT, hWnd) == 8 && offsetof(HOOK_NTFY_CBT, uMsg) == 16 &&
              offsetof(HOOK_NTFY_CBT, wParam) == 24 && offsetof(HOOK_NTFY_CBT, lParam) == 32);

// Where the fields of a mapped hook block lie; all null until the view is long enough.
struct SM_HOOK {
    BYTE* pnLen = nullptr;
    BYTE* pszTag = nullptr;
    BYTE* pPayload = nullptr;
    BYTE* pbSum = nullptr;
};

// Block lengths by kind (the mapping is one byte longer, for the checksum).
inline constexpr int HOOK_NTFY_LEN = HOOK_PAYLOAD_OFS + static_cast<int>(sizeof(HOOK_NTFY));
inline constexpr int HOOK_NTFY_SWTCH_LEN = HOOK_PAYLOAD_OFS + static_cast<int>(sizeof(HOOK_NTFY_SWTCH));
inline constexpr int HOOK_NTFY_CBT_LEN = HOOK_PAYLOAD_OFS + static_cast<int>(sizeof(HOOK_NTFY_CBT));
static_assert(HOOK_NTFY_LEN == 28 && HOOK_NTFY_SWTCH_LEN == 32 && HOOK_NTFY_CBT_LEN == 60);

// The length a block of a known kind must have; 0 for any other kind.
constexpr int GetHookBlockLen(int nKind) noexcept
{
    switch (nKind) {
    case HOOK_KIND_INIT:
    case HOOK_KIND_END:
        return HOOK_NTFY_LEN;
    case HOOK_KIND_SWTCH:
        return HOOK_NTFY_SWTCH_LEN;
    case HOOK_KIND_CBT:
        return HOOK_NTFY_CBT_LEN;
    default:
        return 0;
    }
}

// Zero-extension to 64 bits: a 32-bit lParam with bit 31 set must not turn into a negative number.
inline uint64_t WidenHookHandle(HWND hWnd) noexcept
{
    return static_cast<uint64_t>(reinterpret_cast<UINT_PTR>(hWnd));
}
inline uint64_t WidenHookParam(WPARAM wParam) noexcept { return static_cast<uint64_t>(wParam); }
inline uint64_t WidenHookParam(LPARAM lParam) noexcept
{
    return static_cast<uint64_t>(static_cast<ULONG_PTR>(lParam));
}

// A window handle read from a block: its low 32 bits, sign-extended, as the system widens the
// handles that 32- and 64-bit processes share. The upper half is never read: the writer leaves it
// zero, and a foreign block may fill it with anything.
inline HWND NarrowHookHandle(uint64_t u64Wnd) noexcept
{
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<int32_t>(static_cast<uint32_t>(u64Wnd))));
}

// The kind-4 record of one hook message received by hWnd.
inline HOOK_NTFY_CBT MakeHookNtfyCbt(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept
{
    HOOK_NTFY_CBT ntfy = {};
    ntfy.nKind = HOOK_KIND_CBT;
    ntfy.hWnd = WidenHookHandle(hWnd);
    ntfy.uMsg = uMsg;
    ntfy.wParam = WidenHookParam(wParam);
    ntfy.lParam = WidenHookParam(lParam);
    return ntfy;
}

// Mapping names: the creator and its own-notification count as eight lower-case hex digits.
inline constexpr wchar_t HOOK_BLOCK_NAME_CORE_FORMAT[] = L"ZvHkGtwyNtfyCore_%08x";
inline constexpr wchar_t HOOK_BLOCK_NAME_GTWY_FORMAT[] = L"ZvHkGtwyNtfyGtwy_%08x";
// nCreator: SENDER_CORE or SENDER_HOOK.
std::wstring MakeHookBlockName(int nCreator, WORD wSeq);
