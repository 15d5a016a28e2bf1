// The block frame (checksum span, tag widths, size words), the per-block mutex and the rules of
// Create and Open.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstring>
#include <vector>

#include "Handle.h"
#include "LogManager.h"
#include "SharedMem.h"
#include "SharedMemLog.h"
#include "Strings.h"
#include "Thread.h"

namespace {

// Mapping names are shared by every process of the session: one set per test process.
std::wstring UniqueName(const wchar_t* pszWhat)
{
    return FormatString(L"ZvSharedMemTest %s %lu", pszWhat, GetCurrentProcessId());
}

bool MappingExists(const std::wstring& strName)
{
    return static_cast<bool>(CHandle(OpenFileMappingW(FILE_MAP_READ, FALSE, strName.c_str())));
}

// A frame of TagField tag bytes and PayloadSize payload bytes, written and checked by the frame's
// own rule (checksum over 0 .. nLen - 2), as the hook and settings blocks do it.
template <int TagField, int PayloadSize>
class CTestBlock : public CSharedMem {
public:
    static constexpr int LEN = 4 + TagField + PayloadSize;

    CTestBlock(int nSender, const char* pszTag) : CSharedMem(nSender), m_pszTag(pszTag) {}

    BOOL Create(LPCWSTR pszName, DWORD dwProtect, void* pParam) override
    {
        DWORD dwSize = LEN + 1;
        if (!CSharedMem::Create(pszName, dwProtect, &dwSize))
            return FALSE;
        WriteFrameHead(LEN, m_pszTag, TagField);
        if (pParam)
            memcpy(m_pbView + 4 + TagField, pParam, PayloadSize);
        StoreFrameSum(LEN);
        return TRUE;
    }
    BOOL Open(LPCWSTR pszName, BOOL bInherit, DWORD dwAccess) override
    {
        return CSharedMem::Open(pszName, bInherit, dwAccess) && IsValid();
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

using CHookBlock = CTestBlock<16, 8>;      // nLen 28
using CSettingsBlock = CTestBlock<22, 4>;  // tag of 20 characters + 2 zeros, nLen 30

// Nothing but the mapping: shows what Create leaves in the view.
class CRawBlock : public CSharedMem {
public:
    using CSharedMem::CSharedMem;
    BOOL IsValid() override { return TRUE; }
    BYTE* View() const { return m_pbView; }
    void SetMutexWait(DWORD dwWait) { m_dwMutexWait = dwWait; }
};

BOOL CreateRaw(CRawBlock& block, const std::wstring& strName, DWORD dwProtect = PAGE_READWRITE)
{
    DWORD dwSize = 64;
    return block.Create(strName.c_str(), dwProtect, &dwSize);
}

} // namespace

TEST(CommonSharedMem, XorSumOfNothingIsZeroAndOfOneByteIsThatByte)
{
    const BYTE ab[] = {0x5A, 0x5A, 0x01};
    EXPECT_EQ(GetXorSum(ab, 0), 0);
    EXPECT_EQ(GetXorSum(ab, -5), 0);
    EXPECT_EQ(GetXorSum(ab, 1), 0x5A);
    EXPECT_EQ(GetXorSum(ab, 3), 0x01);
}

TEST(CommonSharedMem, ChecksumOfLen28LiesAt28AndCoversBytes0To26)
{
    const std::wstring strName = UniqueName(L"Len28");
    BYTE abPayload[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    CHookBlock writer(1, kHookTag);
    ASSERT_TRUE(writer.Create(strName.c_str(), PAGE_READWRITE, abPayload));
    BYTE* pb = writer.View();
    EXPECT_EQ(pb[28], GetXorSum(pb, 27));

    CHookBlock reader(3, kHookTag);
    ASSERT_TRUE(reader.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    // Byte 27 is counted by nLen but not by the checksum.
    for (int i = 0; i <= 28; ++i) {
        pb[i] ^= 0x10;
        EXPECT_EQ(reader.IsValid() != FALSE, i == 27) << "byte " << i;
        pb[i] ^= 0x10;
    }
    EXPECT_TRUE(reader.IsValid());
}

TEST(CommonSharedMem, TagFieldsHaveTheirWidthsAndMustMatchExactly)
{
    const std::wstring strName = UniqueName(L"HookTag");
    CHookBlock hook(1, kHookTag);
    ASSERT_TRUE(hook.Create(strName.c_str(), PAGE_READWRITE, nullptr));
    BYTE* pb = hook.View();
    EXPECT_EQ(memcmp(pb + 4, kHookTag, 16), 0) << "15 characters and their zero fill the field";

    // 20 characters and two zeros take bytes 4..25; the payload begins at 26.
    CSettingsBlock settings(1, "ZvSmTestTag_V0900___");
    ASSERT_TRUE(settings.Create(UniqueName(L"SettingsTag").c_str(), PAGE_READWRITE, nullptr));
    EXPECT_EQ(memcmp(settings.View() + 4, "ZvSmTestTag_V0900___\0", 22), 0);
    EXPECT_TRUE(settings.IsValid());

    for (const char* pszOther : {"ZvSmHk_V0800___", "ZvSmHk_V0900__"}) {
        CHookBlock other(3, pszOther);
        EXPECT_FALSE(other.Open(strName.c_str(), FALSE, FILE_MAP_READ)) << pszOther;
    }
    // A tag without its zero inside the field is no tag, even resealed.
    CHookBlock reader(3, kHookTag);
    ASSERT_TRUE(reader.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    pb[19] = 'X';
    pb[28] = GetXorSum(pb, 27);
    EXPECT_FALSE(reader.IsValid());

    // A tag longer than the field is cut to the field less one character.
    CHookBlock longer(1, "ZvSmHk_V0900___TOO_LONG");
    ASSERT_TRUE(longer.Create(UniqueName(L"TagLong").c_str(), PAGE_READWRITE, nullptr));
    EXPECT_EQ(memcmp(longer.View() + 4, kHookTag, 16), 0);
}

TEST(CommonSharedMem, CreatorAndOpenerHoldTwoDifferentMutexes)
{
    CRawBlock core(1), gateway(3);
    const std::wstring strName = UniqueName(L"TwoMutexes");
    std::wstring strCore, strGateway;
    core.MakeMutexName(strName.c_str(), strCore);
    gateway.MakeMutexName(strName.c_str(), strGateway);
    EXPECT_EQ(strCore, L"Mutex : sender=1, name=" + strName);
    EXPECT_EQ(strGateway, L"Mutex : sender=3, name=" + strName);

    ASSERT_TRUE(CreateRaw(core, strName));
    ASSERT_TRUE(gateway.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    for (const std::wstring& strMutex : {strCore, strGateway}) {
        const CHandle h(OpenMutexW(SYNCHRONIZE, FALSE, strMutex.c_str()));
        EXPECT_TRUE(h) << strMutex;
    }
}

TEST(CommonSharedMem, SecondCreateOrOpenOnAMappedObjectFailsAndKeepsTheFirst)
{
    const std::wstring strFirst = UniqueName(L"First");
    const std::wstring strSecond = UniqueName(L"Second");
    CRawBlock block(1);
    ASSERT_TRUE(CreateRaw(block, strFirst));
    BYTE* pbView = block.View();
    pbView[0] = 0x42;
    EXPECT_FALSE(CreateRaw(block, strSecond));
    EXPECT_FALSE(block.Open(strFirst.c_str(), FALSE, FILE_MAP_READ));
    EXPECT_EQ(block.View(), pbView);
    EXPECT_EQ(pbView[0], 0x42);
    EXPECT_FALSE(MappingExists(strSecond));

    CRawBlock opened(3);
    ASSERT_TRUE(opened.Open(strFirst.c_str(), FALSE, FILE_MAP_READ));
    EXPECT_FALSE(opened.Open(strFirst.c_str(), FALSE, FILE_MAP_READ));
    EXPECT_EQ(opened.View()[0], 0x42);
}

TEST(CommonSharedMem, FailedCreateOrOpenLeavesNoMappingAndIsNotRetried)
{
    // A copy-on-write section would never give the writable view the frame needs.
    for (DWORD dwProtect : {DWORD{PAGE_WRITECOPY}, DWORD{PAGE_EXECUTE_READWRITE}, DWORD{PAGE_NOACCESS}, 0UL}) {
        const std::wstring strName = UniqueName(FormatString(L"Protect %lx", dwProtect).c_str());
        CRawBlock block(1);
        EXPECT_FALSE(CreateRaw(block, strName, dwProtect)) << "protect " << dwProtect;
        EXPECT_FALSE(MappingExists(strName)) << "protect " << dwProtect;
    }
    CRawBlock failed(1);
    EXPECT_FALSE(failed.Open(UniqueName(L"Missing").c_str(), FALSE, FILE_MAP_READ));
    EXPECT_FALSE(CreateRaw(failed, UniqueName(L"Later")));
    EXPECT_FALSE(failed.IsMapped());

    // An event already owns the mutex's name: CreateMutex cannot make it.
    const std::wstring strName = UniqueName(L"NoMutex");
    std::wstring strMutexName;
    CRawBlock(1).MakeMutexName(strName.c_str(), strMutexName);
    const CHandle hEvent(CreateEventW(nullptr, TRUE, FALSE, strMutexName.c_str()));
    ASSERT_TRUE(hEvent);
    CRawBlock creator(1);
    EXPECT_FALSE(CreateRaw(creator, strName));
    EXPECT_EQ(creator.GetMutexHandle(), nullptr);
    EXPECT_FALSE(MappingExists(strName));
    // The other program's holder has a mutex of its own name; the opener still cannot make its own.
    CRawBlock holder(3);
    ASSERT_TRUE(CreateRaw(holder, strName));
    CRawBlock opener(1);
    EXPECT_FALSE(opener.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    EXPECT_FALSE(opener.IsMapped());
}

TEST(CommonSharedMem, CreateNeverAttachesToAMappingStillHeldAndStartsFreshOnceItIsLetGo)
{
    const std::wstring strName = UniqueName(L"Held");
    auto* pHolder = new CRawBlock(3);
    ASSERT_TRUE(CreateRaw(*pHolder, strName));
    memset(pHolder->View(), 0xAA, 64);

    // Held for good: bounded retries, then FALSE; the holder's view is untouched.
    CRawBlock refused(1);
    const ULONGLONG ullStart = GetTickCount64();
    EXPECT_FALSE(CreateRaw(refused, strName));
    const ULONGLONG ullElapsed = GetTickCount64() - ullStart;
    EXPECT_GE(ullElapsed, CSharedMem::CREATE_RETRY_MS - 50);
    EXPECT_LT(ullElapsed, CSharedMem::CREATE_RETRY_MS + 2000);
    EXPECT_FALSE(refused.IsMapped());
    EXPECT_EQ(pHolder->View()[63], 0xAA);

    CWorkerThread release;
    release.Start([pHolder] {
        Sleep(200);
        delete pHolder;
        return 0UL;
    });
    CRawBlock creator(1);
    ASSERT_TRUE(CreateRaw(creator, strName));
    ASSERT_TRUE(release.Wait(5000));
    const std::vector<BYTE> zeros(64, 0);
    EXPECT_EQ(memcmp(creator.View(), zeros.data(), 64), 0);
}

TEST(CommonSharedMem, CorruptSizeWordsAreInvalidWithoutReadingPastTheView)
{
    const std::wstring strName = UniqueName(L"Corrupt");
    CHookBlock writer(1, kHookTag);
    ASSERT_TRUE(writer.Create(strName.c_str(), PAGE_READWRITE, nullptr));
    CHookBlock reader(3, kHookTag);
    ASSERT_TRUE(reader.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    const int cbView = static_cast<int>(reader.GetViewSize());

    for (int nLen : {-1, -28, INT_MIN, 0, 3, 27, 29, cbView - 1, cbView, cbView + 1, 1 << 30, INT_MAX}) {
        memcpy(writer.View(), &nLen, 4);
        EXPECT_FALSE(reader.IsValid()) << "nLen " << nLen;
    }
    const int nLen = CHookBlock::LEN;
    memcpy(writer.View(), &nLen, 4);
    EXPECT_TRUE(reader.IsValid());
}

TEST(CommonSharedMem, BlockWhoseMutexIsHeldElsewhereIsStillFreedAndTheProgramGoesOn)
{
    // The line the release leaves, kept in this process's log queue.
    constexpr int kLogSender = 82;
    CMDLINE_OPTION_SET opt;
    opt.bLogWindow = 1;
    opt.nLogLevel = LOG_LEVEL_ERROR;
    ASSERT_NE(CreateLogManager(opt, kLogSender), nullptr);
    struct LOG_END {
        ~LOG_END() { EndLog(); }
    } logEnd;

    const std::wstring strName = UniqueName(L"MutexHeld");
    auto* pBlock = new CRawBlock(1);
    ASSERT_TRUE(CreateRaw(*pBlock, strName));
    pBlock->SetMutexWait(300);
    std::wstring strMutex;
    pBlock->MakeMutexName(strName.c_str(), strMutex);

    // Another thread takes the block's mutex and keeps it past the wait.
    const CHandle hTaken(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const CHandle hRelease(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    CWorkerThread holder;
    holder.Start([&] {
        const CHandle hMutex(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, strMutex.c_str()));
        if (hMutex && WaitForSingleObject(hMutex.get(), 5000) == WAIT_OBJECT_0) {
            SetEvent(hTaken.get());
            WaitForSingleObject(hRelease.get(), 10000);
            ReleaseMutex(hMutex.get());
        }
        return 0UL;
    });
    ASSERT_EQ(WaitForSingleObject(hTaken.get(), 5000), static_cast<DWORD>(WAIT_OBJECT_0));

    const ULONGLONG ullStart = GetTickCount64();
    delete pBlock;
    const ULONGLONG ullElapsed = GetTickCount64() - ullStart;
    EXPECT_GE(ullElapsed, 250u);
    EXPECT_LT(ullElapsed, 3000u);
    EXPECT_FALSE(MappingExists(strName)) << "unmapped and closed all the same";
    // The line waits in the log's queue as text.
    std::string strLine;
    ASSERT_NE(GetLogManager(), nullptr);
    ASSERT_TRUE(GetLogManager()->GetQueuedText(1, strLine));
    EXPECT_NE(strLine.find("[Core]\t(E)\tCSharedMem::~CSharedMem() could not lock " + LogLineToUtf8(strName, 200) +
                           " (0x102), unmapped without the lock.\r\n"),
              std::string::npos)
        << strLine;

    SetEvent(hRelease.get());
    EXPECT_TRUE(holder.Wait(5000));
}
