// Shared foundation: the hook notification blocks as the core program and the gateway write and
// read them, byte for byte, and foreign or broken blocks that must be refused.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

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

int ReadInt(const BYTE* pb)
{
    int n = 0;
    memcpy(&n, pb, 4);
    return n;
}

unsigned long long ReadU64(const BYTE* pb)
{
    unsigned long long n = 0;
    memcpy(&n, pb, 8);
    return n;
}

BYTE Xor(const BYTE* pb, int nCount)
{
    BYTE b = 0;
    for (int i = 0; i < nCount; ++i)
        b ^= pb[i];
    return b;
}

// A second, independent view of a block: what the other program sees.
class CRawView {
public:
    explicit CRawView(const std::wstring& strName, DWORD dwAccess = FILE_MAP_READ)
    {
        m_hMap = OpenFileMappingW(dwAccess, FALSE, strName.c_str());
        if (m_hMap)
            m_pb = static_cast<BYTE*>(MapViewOfFile(m_hMap, dwAccess, 0, 0, 0));
    }
    ~CRawView()
    {
        if (m_pb)
            UnmapViewOfFile(m_pb);
        if (m_hMap)
            CloseHandle(m_hMap);
    }
    BYTE* Get() const { return m_pb; }

private:
    HANDLE m_hMap = nullptr;
    BYTE* m_pb = nullptr;
};

// A block from a foreign or broken writer: the frame of a hook block with the test's own bytes.
class CForeignBlock {
public:
    CForeignBlock(const std::wstring& strName, int nLen, int nKind)
    {
        m_hMap = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, strName.c_str());
        if (m_hMap)
            m_pb = static_cast<BYTE*>(MapViewOfFile(m_hMap, FILE_MAP_WRITE, 0, 0, 0));
        if (!m_pb)
            return;
        memcpy(m_pb, &nLen, 4);
        memcpy(m_pb + 4, HOOK_BLOCK_TAG, sizeof(HOOK_BLOCK_TAG));
        memcpy(m_pb + 20, &nKind, 4);
        Seal(nLen);
    }
    ~CForeignBlock()
    {
        if (m_pb)
            UnmapViewOfFile(m_pb);
        if (m_hMap)
            CloseHandle(m_hMap);
    }
    void Seal(int nLen) { m_pb[nLen] = Xor(m_pb, nLen - 1); }
    BYTE* Get() const { return m_pb; }

private:
    HANDLE m_hMap = nullptr;
    BYTE* m_pb = nullptr;
};

void ExpectFrame(const BYTE* pb, int nLen, int nKind)
{
    EXPECT_EQ(nLen, ReadInt(pb));
    EXPECT_EQ(0, memcmp(pb + 4, "ZvSmHk_V0900___", 16)) << "15 characters and their zero fill the field";
    EXPECT_EQ(nKind, ReadInt(pb + 20));
    EXPECT_EQ(Xor(pb, nLen - 1), pb[nLen]) << "checksum over 0 .. nLen - 2 at offset nLen";
}

} // namespace

TEST(CommonHookBlocks, NamesCarryCreatorAndSixteenBitSequenceInHex)
{
    EXPECT_EQ(L"ZvHkGtwyNtfyGtwy_00000000", MakeHookBlockName(SENDER_HOOK, 0));
    EXPECT_EQ(L"ZvHkGtwyNtfyCore_0000ffff", MakeHookBlockName(SENDER_CORE, 0xFFFF));
    EXPECT_EQ(L"ZvHkGtwyNtfyCore_00001a2b", MakeHookBlockName(SENDER_CORE, 0x1A2B));
}

TEST(CommonHookBlocks, InitAndEndBlocksLayOutTwentyEightBytes)
{
    const std::wstring strName = UniqueName(L"init");
    CSharedMemInitHook init(SENDER_HOOK);
    HOOK_NTFY ntfy = {HOOK_KIND_INIT, 0};
    ASSERT_TRUE(init.Create(strName.c_str(), PAGE_READWRITE, &ntfy));
    CRawView view(strName);
    ASSERT_NE(nullptr, view.Get());
    ExpectFrame(view.Get(), 28, 1);
    EXPECT_EQ(0, ReadInt(view.Get() + 24));
    EXPECT_EQ(init.m_sm.pbSum, init.m_sm.pnLen + 28);

    // The reader learns the kind first; its payload pointer is the block's offset 20.
    CSharedMemHook hook(SENDER_CORE);
    ASSERT_TRUE(hook.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    EXPECT_EQ(HOOK_KIND_INIT, hook.GetKind());
    EXPECT_EQ(hook.m_sm.pnLen + 20, hook.GetPayload());
    CSharedMemInitHook reader(SENDER_CORE);
    EXPECT_TRUE(reader.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    // The end class refuses a block of another kind.
    CSharedMemEndHook wrongKind(SENDER_CORE);
    EXPECT_FALSE(wrongKind.Open(strName.c_str(), FALSE, FILE_MAP_READ));

    const std::wstring strEnd = UniqueName(L"end");
    CSharedMemEndHook end(SENDER_CORE);
    HOOK_NTFY ntfyEnd = {HOOK_KIND_END, 0};
    ASSERT_TRUE(end.Create(strEnd.c_str(), PAGE_READWRITE, &ntfyEnd));
    CRawView viewEnd(strEnd);
    ExpectFrame(viewEnd.Get(), 28, 2);
}

TEST(CommonHookBlocks, SwitchBlockCarriesHookAndOnFlag)
{
    const std::wstring strName = UniqueName(L"swtch");
    CSharedMemSwtchHook swtch(SENDER_CORE);
    HOOK_NTFY_SWTCH ntfy = {HOOK_KIND_SWTCH, HOOK_NTFY_SWTCH_CBT, 0};
    ASSERT_TRUE(swtch.Create(strName.c_str(), PAGE_READWRITE, &ntfy));
    CRawView view(strName);
    ASSERT_NE(nullptr, view.Get());
    ExpectFrame(view.Get(), 32, 3);
    EXPECT_EQ(4, ReadInt(view.Get() + 24));
    EXPECT_EQ(0, ReadInt(view.Get() + 28));

    CSharedMemHook hook(SENDER_HOOK);
    ASSERT_TRUE(hook.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    HOOK_NTFY_SWTCH read = {};
    memcpy(&read, hook.GetPayload(), sizeof(read));
    EXPECT_EQ(3, read.nKind);
    EXPECT_EQ(4, read.nHook);
    EXPECT_EQ(0, read.bOn);
}

TEST(CommonHookBlocks, RelayedEventWidensHandleAndParametersToSixtyFourBits)
{
    const std::wstring strName = UniqueName(L"cbt");
    const auto hWnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x00012345));
    // A 32-bit lParam with bit 31 set stays positive: zero-extended, not sign-extended.
    const HOOK_NTFY_CBT ntfy = MakeHookNtfyCbt(hWnd, 0x8040, static_cast<WPARAM>(0x80000002u),
                                               static_cast<LPARAM>(static_cast<ULONG_PTR>(0x80000001u)));
    EXPECT_EQ(0x80000001ull, ntfy.lParam);
    EXPECT_EQ(0x80000002ull, ntfy.wParam);
    EXPECT_EQ(0x12345ull, ntfy.hWnd);

    CSharedMemCbtHook cbt(SENDER_HOOK);
    HOOK_NTFY_CBT rec = ntfy;
    ASSERT_TRUE(cbt.Create(strName.c_str(), PAGE_READWRITE, &rec));
    {
        CRawView view(strName);
        const BYTE* pb = view.Get();
        ASSERT_NE(nullptr, pb);
        ExpectFrame(pb, 60, 4);
        EXPECT_EQ(0x12345ull, ReadU64(pb + 28));
        EXPECT_EQ(0x8040, ReadInt(pb + 36));
        EXPECT_EQ(0x80000002ull, ReadU64(pb + 44));
        EXPECT_EQ(0x80000001ull, ReadU64(pb + 52));
    }

    CSharedMemCbtHook reader(SENDER_CORE);
    ASSERT_TRUE(reader.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    HOOK_NTFY_CBT read = {};
    EXPECT_FALSE(reader.GetData(nullptr));
    ASSERT_TRUE(reader.GetData(&read));
    EXPECT_EQ(0, memcmp(&ntfy, &read, sizeof(read)));
}

TEST(CommonHookBlocks, ChecksumLeavesTheLastCountedByteOut)
{
    const std::wstring strName = UniqueName(L"sum");
    CSharedMemCbtHook cbt(SENDER_HOOK);
    HOOK_NTFY_CBT rec = MakeHookNtfyCbt(nullptr, 0x8041, 0, 0);
    ASSERT_TRUE(cbt.Create(strName.c_str(), PAGE_READWRITE, &rec));
    CRawView view(strName, FILE_MAP_WRITE);
    BYTE* pb = view.Get();
    ASSERT_NE(nullptr, pb);

    // Offset 59, the top byte of lParam, is counted by nLen but not by the checksum.
    pb[59] ^= 0xFF;
    CSharedMemHook hook(SENDER_CORE);
    EXPECT_TRUE(hook.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    pb[59] ^= 0xFF;

    for (int nOfs : {0, 4, 20, 28, 58, 60}) {
        pb[nOfs] ^= 0x01;
        CSharedMemHook changed(SENDER_CORE);
        EXPECT_FALSE(changed.Open(strName.c_str(), FALSE, FILE_MAP_READ)) << "byte " << nOfs;
        CSharedMemCbtHook changedCbt(SENDER_CORE);
        EXPECT_FALSE(changedCbt.Open(strName.c_str(), FALSE, FILE_MAP_READ)) << "byte " << nOfs;
        pb[nOfs] ^= 0x01;
    }
    CSharedMemCbtHook again(SENDER_CORE);
    EXPECT_TRUE(again.Open(strName.c_str(), FALSE, FILE_MAP_READ));
}

TEST(CommonHookBlocks, ForeignBlocksAreRefusedWithoutReadingPastTheView)
{
    // A sound block of a kind nobody sends opens, but makes no kind object.
    {
        const std::wstring strName = UniqueName(L"kind7");
        CForeignBlock block(strName, 28, 7);
        ASSERT_NE(nullptr, block.Get());
        CSharedMemHook hook(SENDER_CORE);
        ASSERT_TRUE(hook.Open(strName.c_str(), FALSE, FILE_MAP_READ));
        EXPECT_EQ(7, hook.GetKind());
    }
    // Wrong tag: the first character changed and the block resealed.
    {
        const std::wstring strName = UniqueName(L"tag");
        CForeignBlock block(strName, 28, 1);
        ASSERT_NE(nullptr, block.Get());
        block.Get()[4] = 'X';
        block.Seal(28);
        CSharedMemHook hook(SENDER_CORE);
        EXPECT_FALSE(hook.Open(strName.c_str(), FALSE, FILE_MAP_READ));
        EXPECT_EQ(0, hook.GetKind());
        EXPECT_EQ(nullptr, hook.GetPayload());
        CSharedMemInitHook init(SENDER_CORE);
        EXPECT_FALSE(init.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    }
    // A relayed-event kind in a 28-byte block would make its reader take 40 bytes of payload.
    {
        const std::wstring strName = UniqueName(L"short");
        CForeignBlock block(strName, 28, 4);
        ASSERT_NE(nullptr, block.Get());
        CSharedMemHook hook(SENDER_CORE);
        EXPECT_FALSE(hook.Open(strName.c_str(), FALSE, FILE_MAP_READ));
        CSharedMemCbtHook cbt(SENDER_CORE);
        EXPECT_FALSE(cbt.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    }
    // Size words that point beyond the view, below the kind word, or negative.
    for (int nLen : {0x7FFFFFF0, 4096, 22, -5}) {
        const std::wstring strName = UniqueName(L"size");
        CForeignBlock block(strName, 28, 1);
        ASSERT_NE(nullptr, block.Get());
        memcpy(block.Get(), &nLen, 4);
        CSharedMemHook hook(SENDER_CORE);
        EXPECT_FALSE(hook.Open(strName.c_str(), FALSE, FILE_MAP_READ)) << nLen;
        CSharedMemInitHook init(SENDER_CORE);
        EXPECT_FALSE(init.Open(strName.c_str(), FALSE, FILE_MAP_READ)) << nLen;
    }
}

TEST(CommonHookBlocks, CreatorsRefuseWhatTheyCannotWrite)
{
    const std::wstring strName = UniqueName(L"refuse");
    CSharedMemInitHook noRecord(SENDER_HOOK);
    EXPECT_FALSE(noRecord.Create(strName.c_str(), PAGE_READWRITE, nullptr));
    HOOK_NTFY ntfy = {HOOK_KIND_INIT, 0};
    CSharedMemInitHook readOnly(SENDER_HOOK);
    EXPECT_FALSE(readOnly.Create(strName.c_str(), PAGE_READONLY, &ntfy));
    CSharedMemHook reader(SENDER_HOOK);
    EXPECT_FALSE(reader.Create(strName.c_str(), PAGE_READWRITE, &ntfy));
    // Whatever kind the record says, the class writes its own.
    HOOK_NTFY wrong = {HOOK_KIND_END, 0};
    CSharedMemInitHook init(SENDER_HOOK);
    ASSERT_TRUE(init.Create(strName.c_str(), PAGE_READWRITE, &wrong));
    CSharedMemInitHook check(SENDER_CORE);
    EXPECT_TRUE(check.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    // Nothing there to open.
    CSharedMemHook missing(SENDER_CORE);
    EXPECT_FALSE(missing.Open(UniqueName(L"missing").c_str(), FALSE, FILE_MAP_READ));
}
