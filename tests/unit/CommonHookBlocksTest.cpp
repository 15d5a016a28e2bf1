// The hook notification blocks as the core program and the gateway write and read them, byte for
// byte, and foreign or broken blocks that must be refused.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "Handle.h"
#include "HookNtfy.h"
#include "Sender.h"
#include "SharedMemCbtHook.h"
#include "SharedMemEndHook.h"
#include "SharedMemHook.h"
#include "SharedMemInitHook.h"
#include "SharedMemSwtchHook.h"
#include "Strings.h"

namespace {

std::wstring UniqueName(const wchar_t* pszWhat)
{
    return FormatString(L"ZvHookBlocksTest %s %lu", pszWhat, GetCurrentProcessId());
}

template <class T>
T ReadAt(const BYTE* pb)
{
    T n{};
    memcpy(&n, pb, sizeof(T));
    return n;
}

// A second view of a block, as the other program sees it; or, given a size and a kind, a block
// from a foreign or broken writer in the hook frame, sealed.
class CRawView {
public:
    explicit CRawView(const std::wstring& strName) { Map(OpenFileMappingW(FILE_MAP_WRITE, FALSE, strName.c_str())); }
    CRawView(const std::wstring& strName, int nLen, int nKind)
    {
        Map(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, strName.c_str()));
        if (!m_pb)
            return;
        memcpy(m_pb, &nLen, 4);
        memcpy(m_pb + 4, HOOK_BLOCK_TAG, sizeof(HOOK_BLOCK_TAG));
        memcpy(m_pb + 20, &nKind, 4);
        Seal(nLen);
    }
    ~CRawView()
    {
        if (m_pb)
            UnmapViewOfFile(m_pb);
    }
    void Seal(int nLen) { m_pb[nLen] = GetXorSum(m_pb, nLen - 1); }
    BYTE* Get() const { return m_pb; }

private:
    void Map(HANDLE hMap)
    {
        m_hMap.reset(hMap);
        if (m_hMap)
            m_pb = static_cast<BYTE*>(MapViewOfFile(m_hMap.get(), FILE_MAP_WRITE, 0, 0, 0));
    }
    CHandle m_hMap;
    BYTE* m_pb = nullptr;
};

template <class TBlock>
bool Opens(const std::wstring& strName)
{
    TBlock block(SENDER_CORE);
    return block.Open(strName.c_str(), FALSE, FILE_MAP_READ) != FALSE;
}

void ExpectFrame(const BYTE* pb, int nLen, int nKind)
{
    ASSERT_NE(nullptr, pb);
    EXPECT_EQ(nLen, ReadAt<int>(pb));
    EXPECT_EQ(0, memcmp(pb + 4, "ZvSmHk_V0900___", 16)) << "15 characters and their zero fill the field";
    EXPECT_EQ(nKind, ReadAt<int>(pb + 20));
    EXPECT_EQ(GetXorSum(pb, nLen - 1), pb[nLen]) << "checksum over 0 .. nLen - 2 at offset nLen";
}

} // namespace

TEST(CommonHookBlocks, NamesCarryCreatorAndSixteenBitSequenceInHex)
{
    EXPECT_EQ(L"ZvHkGtwyNtfyGtwy_00000000", MakeHookBlockName(SENDER_HOOK, 0));
    EXPECT_EQ(L"ZvHkGtwyNtfyCore_0000ffff", MakeHookBlockName(SENDER_CORE, 0xFFFF));
    EXPECT_EQ(L"ZvHkGtwyNtfyCore_00001a2b", MakeHookBlockName(SENDER_CORE, 0x1A2B));
}

TEST(CommonHookBlocks, InitEndAndSwitchBlocksLayOutTheirBytes)
{
    const std::wstring strInit = UniqueName(L"init");
    CSharedMemInitHook init(SENDER_HOOK);
    HOOK_NTFY ntfy = {HOOK_KIND_INIT, 0};
    ASSERT_TRUE(init.Create(strInit.c_str(), PAGE_READWRITE, &ntfy));
    CRawView viewInit(strInit);
    ExpectFrame(viewInit.Get(), 28, 1);
    EXPECT_EQ(0, ReadAt<int>(viewInit.Get() + 24));

    // The reader learns the kind first; its payload pointer is the block's offset 20.
    CSharedMemHook hook(SENDER_CORE);
    ASSERT_TRUE(hook.Open(strInit.c_str(), FALSE, FILE_MAP_READ));
    EXPECT_EQ(HOOK_KIND_INIT, hook.GetKind());
    EXPECT_EQ(hook.m_sm.pnLen + 20, hook.GetPayload());
    EXPECT_TRUE(Opens<CSharedMemInitHook>(strInit));
    EXPECT_FALSE(Opens<CSharedMemEndHook>(strInit)) << "a block of another kind";

    const std::wstring strEnd = UniqueName(L"end");
    CSharedMemEndHook end(SENDER_CORE);
    ntfy.nKind = HOOK_KIND_END;
    ASSERT_TRUE(end.Create(strEnd.c_str(), PAGE_READWRITE, &ntfy));
    ExpectFrame(CRawView(strEnd).Get(), 28, 2);

    const std::wstring strSwtch = UniqueName(L"swtch");
    CSharedMemSwtchHook swtch(SENDER_CORE);
    HOOK_NTFY_SWTCH ntfySwtch = {HOOK_KIND_SWTCH, HOOK_NTFY_SWTCH_CBT, 0};
    ASSERT_TRUE(swtch.Create(strSwtch.c_str(), PAGE_READWRITE, &ntfySwtch));
    CRawView view(strSwtch);
    ExpectFrame(view.Get(), 32, 3);
    EXPECT_EQ(4, ReadAt<int>(view.Get() + 24));
    EXPECT_EQ(0, ReadAt<int>(view.Get() + 28));
}

TEST(CommonHookBlocks, RelayedEventWidensHandleAndParametersToSixtyFourBits)
{
    const std::wstring strName = UniqueName(L"cbt");
    const auto hWnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x00012345));
    // A 32-bit lParam with bit 31 set stays positive: zero-extended, not sign-extended.
    HOOK_NTFY_CBT ntfy = MakeHookNtfyCbt(hWnd, 0x8040, static_cast<WPARAM>(0x80000002u),
                                         static_cast<LPARAM>(static_cast<ULONG_PTR>(0x80000001u)));
    CSharedMemCbtHook cbt(SENDER_HOOK);
    ASSERT_TRUE(cbt.Create(strName.c_str(), PAGE_READWRITE, &ntfy));
    {
        CRawView view(strName);
        const BYTE* pb = view.Get();
        ExpectFrame(pb, 60, 4);
        EXPECT_EQ(0x12345ull, ReadAt<unsigned long long>(pb + 28));
        EXPECT_EQ(0x8040, ReadAt<int>(pb + 36));
        EXPECT_EQ(0x80000002ull, ReadAt<unsigned long long>(pb + 44));
        EXPECT_EQ(0x80000001ull, ReadAt<unsigned long long>(pb + 52));
    }
    CSharedMemCbtHook reader(SENDER_CORE);
    ASSERT_TRUE(reader.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    HOOK_NTFY_CBT read = {};
    EXPECT_FALSE(reader.GetData(nullptr));
    ASSERT_TRUE(reader.GetData(&read));
    EXPECT_EQ(0, memcmp(&ntfy, &read, sizeof(read)));
}

TEST(CommonHookBlocks, HandleReadFromABlockIsItsLowHalfSignExtended)
{
    const auto value = [](HWND hWnd) { return static_cast<uint64_t>(reinterpret_cast<ULONG_PTR>(hWnd)); };
    const uint64_t u64Minus1 = value(reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)));
    EXPECT_EQ(u64Minus1, value(NarrowHookHandle(0xFFFFFFFFull)));
    EXPECT_EQ(0x12345678ull, value(NarrowHookHandle(0x12345678ull)));
    EXPECT_EQ(0x7FFFFFFFull, value(NarrowHookHandle(0x7FFFFFFFull)));
    EXPECT_EQ(value(reinterpret_cast<HWND>(static_cast<LONG_PTR>(INT32_MIN))), value(NarrowHookHandle(0x80000000ull)));
    EXPECT_EQ(nullptr, NarrowHookHandle(0));
    // Whatever the upper half holds is not read.
    EXPECT_EQ(0x12345ull, value(NarrowHookHandle(0xDEADBEEF00012345ull)));
    EXPECT_EQ(0x7FFFFFFFull, value(NarrowHookHandle(0xFFFFFFFF7FFFFFFFull)));
    EXPECT_EQ(u64Minus1, value(NarrowHookHandle(0x00000001FFFFFFFFull)));

    // A handle with bit 31 set, as the 32-bit gateway writes it (zero-extended), reads back as the
    // handle a 64-bit program knows.
    const HWND hWnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<int32_t>(0x80001234u)));
    const std::wstring strName = UniqueName(L"narrow");
    HOOK_NTFY_CBT ntfy = MakeHookNtfyCbt(nullptr, 0x8040, 0, 0);
    ntfy.hWnd = 0x80001234ull;
    CSharedMemCbtHook cbt(SENDER_HOOK);
    ASSERT_TRUE(cbt.Create(strName.c_str(), PAGE_READWRITE, &ntfy));
    CSharedMemCbtHook reader(SENDER_CORE);
    ASSERT_TRUE(reader.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    HOOK_NTFY_CBT read = {};
    ASSERT_TRUE(reader.GetData(&read));
    EXPECT_EQ(hWnd, NarrowHookHandle(read.hWnd));
}

TEST(CommonHookBlocks, ChecksumLeavesTheLastCountedByteOut)
{
    const std::wstring strName = UniqueName(L"sum");
    CSharedMemCbtHook cbt(SENDER_HOOK);
    HOOK_NTFY_CBT rec = MakeHookNtfyCbt(nullptr, 0x8041, 0, 0);
    ASSERT_TRUE(cbt.Create(strName.c_str(), PAGE_READWRITE, &rec));
    CRawView view(strName);
    BYTE* pb = view.Get();
    ASSERT_NE(nullptr, pb);
    // Offset 59, the top byte of lParam, is counted by nLen but not by the checksum.
    for (int nOfs : {0, 4, 20, 28, 58, 59, 60}) {
        pb[nOfs] ^= 0x01;
        EXPECT_EQ(Opens<CSharedMemHook>(strName), nOfs == 59) << "byte " << nOfs;
        EXPECT_EQ(Opens<CSharedMemCbtHook>(strName), nOfs == 59) << "byte " << nOfs;
        pb[nOfs] ^= 0x01;
    }
    EXPECT_TRUE(Opens<CSharedMemCbtHook>(strName));
}

TEST(CommonHookBlocks, ForeignBlocksAreRefusedWithoutReadingPastTheView)
{
    // A sound block of a kind nobody sends opens, but makes no kind object.
    {
        const std::wstring strName = UniqueName(L"kind7");
        CRawView block(strName, 28, 7);
        CSharedMemHook hook(SENDER_CORE);
        ASSERT_TRUE(hook.Open(strName.c_str(), FALSE, FILE_MAP_READ));
        EXPECT_EQ(7, hook.GetKind());
    }
    // Wrong tag: the first character changed and the block resealed.
    {
        const std::wstring strName = UniqueName(L"tag");
        CRawView block(strName, 28, 1);
        ASSERT_NE(nullptr, block.Get());
        block.Get()[4] = 'X';
        block.Seal(28);
        CSharedMemHook hook(SENDER_CORE);
        EXPECT_FALSE(hook.Open(strName.c_str(), FALSE, FILE_MAP_READ));
        EXPECT_EQ(0, hook.GetKind());
        EXPECT_EQ(nullptr, hook.GetPayload());
        EXPECT_FALSE(Opens<CSharedMemInitHook>(strName));
    }
    // A relayed-event kind in a 28-byte block would make its reader take 40 bytes of payload.
    {
        const std::wstring strName = UniqueName(L"short");
        CRawView block(strName, 28, 4);
        EXPECT_FALSE(Opens<CSharedMemHook>(strName));
        EXPECT_FALSE(Opens<CSharedMemCbtHook>(strName));
    }
    // Size words that point beyond the view, below the kind word, or negative.
    for (int nLen : {0x7FFFFFF0, 4096, 22, -5}) {
        const std::wstring strName = UniqueName(L"size");
        CRawView block(strName, 28, 1);
        ASSERT_NE(nullptr, block.Get());
        memcpy(block.Get(), &nLen, 4);
        EXPECT_FALSE(Opens<CSharedMemHook>(strName)) << nLen;
        EXPECT_FALSE(Opens<CSharedMemInitHook>(strName)) << nLen;
    }
}

TEST(CommonHookBlocks, CreatorsRefuseWhatTheyCannotWrite)
{
    const std::wstring strName = UniqueName(L"refuse");
    HOOK_NTFY ntfy = {HOOK_KIND_END, 0};
    CSharedMemInitHook noRecord(SENDER_HOOK), readOnly(SENDER_HOOK), init(SENDER_HOOK);
    CSharedMemHook reader(SENDER_HOOK);
    EXPECT_FALSE(noRecord.Create(strName.c_str(), PAGE_READWRITE, nullptr));
    EXPECT_FALSE(readOnly.Create(strName.c_str(), PAGE_READONLY, &ntfy));
    EXPECT_FALSE(reader.Create(strName.c_str(), PAGE_READWRITE, &ntfy));
    // Whatever kind the record says, the class writes its own.
    ASSERT_TRUE(init.Create(strName.c_str(), PAGE_READWRITE, &ntfy));
    EXPECT_TRUE(Opens<CSharedMemInitHook>(strName));
    EXPECT_FALSE(Opens<CSharedMemHook>(UniqueName(L"missing")));
}
