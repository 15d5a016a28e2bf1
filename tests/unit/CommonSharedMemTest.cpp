// Shared foundation: the block frame (checksum span, tag widths, size word checks), the per-block
// mutex and the rules of Create and Open.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstring>
#include <vector>

#include "LoggedSingleLock.h"
#include "SharedMem.h"
#include "Strings.h"
#include "Thread.h"

namespace {

// Mapping names are shared by every process of the session: one set per test process.
std::wstring UniqueName(const wchar_t* pszWhat)
{
    return FormatString(L"ZvSharedMemTest %s %lu", pszWhat, GetCurrentProcessId());
}

// A frame with a fixed length, a tag field of TagField bytes and a payload of raw bytes, written
// and tested by the frame's own rule (checksum over 0 .. nLen - 2), as the hook and settings
// blocks do it.
template <int TagField, int PayloadSize>
class CTestBlock : public CSharedMem {
public:
    static constexpr int LEN = 4 + TagField + PayloadSize;
    static constexpr int PAYLOAD_OFS = 4 + TagField;

    CTestBlock(int nSender, const char* pszTag) : CSharedMem(nSender), m_pszTag(pszTag) {}

    // pParam: PayloadSize bytes, or null for zeros.
    BOOL Create(LPCWSTR pszName, DWORD dwProtect, void* pParam) override
    {
        DWORD dwSize = LEN + 1;
        if (!CSharedMem::Create(pszName, dwProtect, &dwSize))
            return FALSE;
        CLoggedSingleLock lockRes(m_nSender, m_pMutex);
        if (!lockRes.Lock(L"CommonSharedMemTest", __LINE__, m_dwMutexWait))
            return FALSE;
        WriteFrameHead(LEN, m_pszTag, TagField);
        if (pParam)
            memcpy(m_pbView + PAYLOAD_OFS, pParam, PayloadSize);
        StoreFrameSum(LEN);
        return TRUE;
    }
    BOOL Open(LPCWSTR pszName, BOOL bInherit, DWORD dwAccess) override
    {
        if (!CSharedMem::Open(pszName, bInherit, dwAccess))
            return FALSE;
        CLoggedSingleLock lockRes(m_nSender, m_pMutex);
        if (!lockRes.Lock(L"CommonSharedMemTest", __LINE__, m_dwMutexWait))
            return FALSE;
        return IsValid();
    }
    BOOL IsValid() override
    {
        const int nLen = GetFrameLen(LEN, LEN);
        return nLen >= 0 && IsFrameValid(nLen, nLen - 1, m_pszTag, TagField);
    }
    BYTE* View() const { return m_pbView; }

private:
    const char* m_pszTag;
};

constexpr char kHookTag[] = "ZvSmHk_V0900___";
constexpr char kSettingsTag[] = "ZvSmTestTag_V0900___";
static_assert(sizeof(kHookTag) - 1 == 15 && sizeof(kSettingsTag) - 1 == 20);

using CHookBlock = CTestBlock<16, 8>;            // nLen 28
using CSettingsBlock = CTestBlock<22, 4>;        // tag of 20 characters + 2 zeros, nLen 30

// Nothing but the mapping: shows what Create leaves in the view.
class CRawBlock : public CSharedMem {
public:
    using CSharedMem::CSharedMem;
    BOOL IsValid() override { return TRUE; }
    BYTE* View() const { return m_pbView; }
};

// A mapping made without the frame classes, filled by the test: a block from a foreign writer.
class CForeignMapping {
public:
    CForeignMapping(const std::wstring& strName, DWORD dwSize)
    {
        m_hMap = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, dwSize, strName.c_str());
        if (m_hMap)
            m_pb = static_cast<BYTE*>(MapViewOfFile(m_hMap, FILE_MAP_WRITE, 0, 0, 0));
    }
    ~CForeignMapping()
    {
        if (m_pb)
            UnmapViewOfFile(m_pb);
        if (m_hMap)
            CloseHandle(m_hMap);
    }
    BYTE* View() const { return m_pb; }
    void SetLen(int nLen) { memcpy(m_pb, &nLen, 4); }

private:
    HANDLE m_hMap = nullptr;
    BYTE* m_pb = nullptr;
};

} // namespace

TEST(CommonSharedMem, XorSumOfNothingIsZeroAndOfOneByteIsThatByte)
{
    const BYTE ab[] = {0x5A, 0x5A, 0x01};
    EXPECT_EQ(GetXorSum(ab, 0), 0);
    EXPECT_EQ(GetXorSum(ab, -5), 0);
    EXPECT_EQ(GetXorSum(ab, 1), 0x5A);
    EXPECT_EQ(GetXorSum(ab, 2), 0);
    EXPECT_EQ(GetXorSum(ab, 3), 0x01);
}

TEST(CommonSharedMem, ChecksumOfLen28LiesAt28AndCoversBytes0To26)
{
    const std::wstring strName = UniqueName(L"Len28");
    const BYTE abPayload[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    CHookBlock writer(1, kHookTag);
    ASSERT_TRUE(writer.Create(strName.c_str(), PAGE_READWRITE, const_cast<BYTE*>(abPayload)));
    BYTE* pb = writer.View();
    int nLen = 0;
    memcpy(&nLen, pb, 4);
    ASSERT_EQ(nLen, 28);
    EXPECT_EQ(pb[28], GetXorSum(pb, 27));
    EXPECT_EQ(memcmp(pb + 20, abPayload, 8), 0);

    CHookBlock reader(3, kHookTag);
    ASSERT_TRUE(reader.Open(strName.c_str(), FALSE, FILE_MAP_READ));

    // Byte 27 is counted by nLen but not by the checksum.
    pb[27] ^= 0xFF;
    EXPECT_TRUE(reader.IsValid());
    pb[27] ^= 0xFF;
    for (int i = 0; i <= 26; ++i) {
        pb[i] ^= 0x10;
        EXPECT_FALSE(reader.IsValid()) << "byte " << i;
        pb[i] ^= 0x10;
    }
    pb[28] ^= 0x01;
    EXPECT_FALSE(reader.IsValid());
    pb[28] ^= 0x01;
    EXPECT_TRUE(reader.IsValid());
}

TEST(CommonSharedMem, TagFieldsOfHookAndSettingsWidth)
{
    CHookBlock hook(1, kHookTag);
    ASSERT_TRUE(hook.Create(UniqueName(L"HookTag").c_str(), PAGE_READWRITE, nullptr));
    // 15 characters and their zero fill the 16 bytes at 4..19; the payload starts at 20.
    EXPECT_EQ(memcmp(hook.View() + 4, kHookTag, 15), 0);
    EXPECT_EQ(hook.View()[19], 0);
    EXPECT_EQ(CHookBlock::PAYLOAD_OFS, 20);
    EXPECT_TRUE(hook.IsValid());

    const int nValue = 0x12345678;
    CSettingsBlock settings(1, kSettingsTag);
    ASSERT_TRUE(settings.Create(UniqueName(L"SettingsTag").c_str(), PAGE_READWRITE, const_cast<int*>(&nValue)));
    // 20 characters take bytes 4..23, two zeros 24 and 25, the payload begins at 26.
    EXPECT_EQ(memcmp(settings.View() + 4, kSettingsTag, 20), 0);
    EXPECT_EQ(settings.View()[24], 0);
    EXPECT_EQ(settings.View()[25], 0);
    EXPECT_EQ(memcmp(settings.View() + 26, &nValue, 4), 0);
    EXPECT_TRUE(settings.IsValid());
}

TEST(CommonSharedMem, TagMustMatchExactlyAndStayInsideItsField)
{
    const std::wstring strName = UniqueName(L"TagExact");
    CHookBlock writer(1, kHookTag);
    ASSERT_TRUE(writer.Create(strName.c_str(), PAGE_READWRITE, nullptr));
    BYTE* pb = writer.View();

    CHookBlock other(3, "ZvSmHk_V0800___");
    ASSERT_FALSE(other.Open(strName.c_str(), FALSE, FILE_MAP_READ));

    CHookBlock shorter(3, "ZvSmHk_V0900__");
    ASSERT_FALSE(shorter.Open(strName.c_str(), FALSE, FILE_MAP_READ));

    // A tag without its zero inside the field (the payload's first byte goes on) is no tag.
    CHookBlock reader(3, kHookTag);
    ASSERT_TRUE(reader.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    pb[19] = 'X';
    pb[28] = GetXorSum(pb, 27);
    EXPECT_FALSE(reader.IsValid());

    // A tag longer than the field is cut to the field less one character.
    CHookBlock longer(1, "ZvSmHk_V0900___TOO_LONG");
    ASSERT_TRUE(longer.Create(UniqueName(L"TagLong").c_str(), PAGE_READWRITE, nullptr));
    EXPECT_EQ(memcmp(longer.View() + 4, kHookTag, 15), 0);
    EXPECT_EQ(longer.View()[19], 0);
}

TEST(CommonSharedMem, MutexNameCarriesSenderAndMappingName)
{
    CRawBlock core(1), gateway(3);
    std::wstring strCore, strGateway;
    core.MakeMutexName(L"Zuvora! Hook Block", strCore);
    gateway.MakeMutexName(L"Zuvora! Hook Block", strGateway);
    EXPECT_EQ(strCore, L"Mutex : sender=1, name=Zuvora! Hook Block");
    EXPECT_EQ(strGateway, L"Mutex : sender=3, name=Zuvora! Hook Block");

    // The creating and the opening program hold two different mutexes of one mapping.
    const std::wstring strName = UniqueName(L"TwoMutexes");
    DWORD dwSize = 64;
    ASSERT_TRUE(core.Create(strName.c_str(), PAGE_READWRITE, &dwSize));
    ASSERT_TRUE(gateway.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    ASSERT_NE(core.GetMutexHandle(), nullptr);
    ASSERT_NE(gateway.GetMutexHandle(), nullptr);
    CSingleLock lockCore(core.GetMutexHandle(), SYNC_KIND::Mutex);
    ASSERT_TRUE(lockCore.Lock(0));
    bool bOtherFree = false;
    CWorkerThread thread;
    thread.Start([&] {
        CSingleLock lockGateway(gateway.GetMutexHandle(), SYNC_KIND::Mutex);
        bOtherFree = lockGateway.Lock(0);
        return 0UL;
    });
    ASSERT_TRUE(thread.Wait(5000));
    EXPECT_TRUE(bOtherFree);
}

TEST(CommonSharedMem, SecondCreateOrOpenOnMappedObjectFailsAndKeepsTheFirst)
{
    const std::wstring strFirst = UniqueName(L"First");
    const std::wstring strSecond = UniqueName(L"Second");
    CRawBlock block(1);
    DWORD dwSize = 32;
    ASSERT_TRUE(block.Create(strFirst.c_str(), PAGE_READWRITE, &dwSize));
    BYTE* pbView = block.View();
    pbView[0] = 0x42;

    EXPECT_FALSE(block.Create(strSecond.c_str(), PAGE_READWRITE, &dwSize));
    EXPECT_FALSE(block.Open(strFirst.c_str(), FALSE, FILE_MAP_READ));
    EXPECT_EQ(block.View(), pbView);
    EXPECT_EQ(block.GetName(), strFirst);
    EXPECT_EQ(pbView[0], 0x42);
    // No second mapping came into being.
    HANDLE hSecond = OpenFileMappingW(FILE_MAP_READ, FALSE, strSecond.c_str());
    EXPECT_EQ(hSecond, nullptr);
    if (hSecond)
        CloseHandle(hSecond);

    CRawBlock opened(3);
    ASSERT_TRUE(opened.Open(strFirst.c_str(), FALSE, FILE_MAP_READ));
    EXPECT_FALSE(opened.Open(strFirst.c_str(), FALSE, FILE_MAP_READ));
    EXPECT_EQ(opened.View()[0], 0x42);
}

TEST(CommonSharedMem, CreateNeverAttachesToAMappingStillHeld)
{
    const std::wstring strName = UniqueName(L"Held");
    DWORD dwSize = 64;
    CRawBlock holder(3);
    ASSERT_TRUE(holder.Create(strName.c_str(), PAGE_READWRITE, &dwSize));
    memset(holder.View(), 0xAA, dwSize);

    // Held for good: bounded retries, then FALSE; the holder's view is untouched.
    CRawBlock creator(1);
    const ULONGLONG ullStart = GetTickCount64();
    EXPECT_FALSE(creator.Create(strName.c_str(), PAGE_READWRITE, &dwSize));
    const ULONGLONG ullElapsed = GetTickCount64() - ullStart;
    EXPECT_GE(ullElapsed, CSharedMem::CREATE_RETRY_MS - 50);
    EXPECT_LT(ullElapsed, CSharedMem::CREATE_RETRY_MS + 2000);
    EXPECT_FALSE(creator.IsMapped());
    EXPECT_EQ(holder.View()[0], 0xAA);
    EXPECT_EQ(holder.View()[dwSize - 1], 0xAA);
}

TEST(CommonSharedMem, CreateGetsAFreshZeroFilledViewOnceTheHolderLetsGo)
{
    const std::wstring strName = UniqueName(L"Released");
    DWORD dwSize = 64;
    auto* pHolder = new CRawBlock(3);
    ASSERT_TRUE(pHolder->Create(strName.c_str(), PAGE_READWRITE, &dwSize));
    memset(pHolder->View(), 0xAA, dwSize);

    CWorkerThread release;
    release.Start([pHolder] {
        Sleep(200);
        delete pHolder;
        return 0UL;
    });
    CRawBlock creator(1);
    ASSERT_TRUE(creator.Create(strName.c_str(), PAGE_READWRITE, &dwSize));
    ASSERT_TRUE(release.Wait(5000));
    const std::vector<BYTE> zeros(dwSize, 0);
    EXPECT_EQ(memcmp(creator.View(), zeros.data(), dwSize), 0);
}

TEST(CommonSharedMem, MutexThatCannotBeMadeFailsCreateAndOpen)
{
    const std::wstring strName = UniqueName(L"NoMutex");
    std::wstring strMutexName;
    CRawBlock probe(1);
    probe.MakeMutexName(strName.c_str(), strMutexName);
    // An event already owns the mutex's name: CreateMutex cannot make it.
    HANDLE hEvent = CreateEventW(nullptr, TRUE, FALSE, strMutexName.c_str());
    ASSERT_NE(hEvent, nullptr);

    {
        CRawBlock creator(1);
        DWORD dwSize = 64;
        EXPECT_FALSE(creator.Create(strName.c_str(), PAGE_READWRITE, &dwSize));
        EXPECT_FALSE(creator.IsMapped());
        EXPECT_EQ(creator.GetMutexHandle(), nullptr);
        HANDLE hMap = OpenFileMappingW(FILE_MAP_READ, FALSE, strName.c_str());
        EXPECT_EQ(hMap, nullptr);
        if (hMap)
            CloseHandle(hMap);
    }
    {
        CForeignMapping foreign(strName, 64);
        ASSERT_NE(foreign.View(), nullptr);
        CRawBlock opener(1);
        EXPECT_FALSE(opener.Open(strName.c_str(), FALSE, FILE_MAP_READ));
        EXPECT_FALSE(opener.IsMapped());
    }
    // The event, which the blocks never held, is still there and still not set.
    EXPECT_EQ(WaitForSingleObject(hEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    CloseHandle(hEvent);
}

TEST(CommonSharedMem, FailedObjectIsNotRetried)
{
    CRawBlock block(1);
    EXPECT_FALSE(block.Open(UniqueName(L"Missing").c_str(), FALSE, FILE_MAP_READ));
    DWORD dwSize = 64;
    EXPECT_FALSE(block.Create(UniqueName(L"Later").c_str(), PAGE_READWRITE, &dwSize));
    EXPECT_FALSE(block.IsMapped());
}

TEST(CommonSharedMem, CreateTakesOnlyReadWriteOrReadOnlyProtection)
{
    // A copy-on-write section would never give the writable view the frame needs.
    for (DWORD dwProtect : {static_cast<DWORD>(PAGE_WRITECOPY), static_cast<DWORD>(PAGE_EXECUTE_READWRITE),
                            static_cast<DWORD>(PAGE_NOACCESS), 0UL}) {
        const std::wstring strName = UniqueName(FormatString(L"Protect %lx", dwProtect).c_str());
        CRawBlock block(1);
        DWORD dwSize = 64;
        EXPECT_FALSE(block.Create(strName.c_str(), dwProtect, &dwSize)) << "protect " << dwProtect;
        EXPECT_FALSE(block.IsMapped());
        HANDLE hMap = OpenFileMappingW(FILE_MAP_READ, FALSE, strName.c_str());
        EXPECT_EQ(hMap, nullptr) << "protect " << dwProtect;
        if (hMap)
            CloseHandle(hMap);
    }
    CRawBlock block(1);
    DWORD dwSize = 64;
    ASSERT_TRUE(block.Create(UniqueName(L"Protect ReadWrite").c_str(), PAGE_READWRITE, &dwSize));
    block.View()[0] = 0x42;
    EXPECT_EQ(block.View()[0], 0x42);
}

TEST(CommonSharedMem, CorruptSizeWordsAreInvalidWithoutReadingPastTheView)
{
    const std::wstring strName = UniqueName(L"Corrupt");
    CForeignMapping foreign(strName, 64);
    ASSERT_NE(foreign.View(), nullptr);
    BYTE* pb = foreign.View();
    // A sound block first: the reader accepts it.
    CHookBlock reference(1, kHookTag);
    ASSERT_TRUE(reference.Create(UniqueName(L"Reference").c_str(), PAGE_READWRITE, nullptr));
    memcpy(pb, reference.View(), CHookBlock::LEN + 1);

    CHookBlock reader(3, kHookTag);
    ASSERT_TRUE(reader.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    const SIZE_T cbView = reader.GetViewSize();

    const int aBad[] = {-1, -28, INT_MIN, 0, 3, 27, 29, static_cast<int>(cbView - 1), static_cast<int>(cbView),
                        static_cast<int>(cbView) + 1, 1 << 30, INT_MAX};
    for (int nLen : aBad) {
        foreign.SetLen(nLen);
        EXPECT_FALSE(reader.IsValid()) << "nLen " << nLen;
    }
    foreign.SetLen(CHookBlock::LEN);
    EXPECT_TRUE(reader.IsValid());
}
