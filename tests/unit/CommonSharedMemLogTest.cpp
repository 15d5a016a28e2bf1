// Shared foundation: the log-line block and the viewer-handle block, as a program writes them and
// the viewer reads them, and foreign blocks that must not be trusted.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstring>
#include <string>

#include "Handle.h"
#include "Sender.h"
#include "SharedMemLog.h"
#include "SharedMemLogHwnd.h"
#include "Strings.h"

namespace {

std::wstring UniqueName(const wchar_t* pszWhat)
{
    return FormatString(L"ZvSharedMemLogTest %s %lu", pszWhat, GetCurrentProcessId());
}

int ReadInt(const BYTE* pb)
{
    int n = 0;
    memcpy(&n, pb, 4);
    return n;
}

// A mapping filled by the test, standing for a block from a foreign or broken writer.
class CForeignMapping {
public:
    CForeignMapping(const std::wstring& strName, DWORD dwSize)
        : m_hMap(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, dwSize, strName.c_str())),
          m_pb(m_hMap ? static_cast<BYTE*>(MapViewOfFile(m_hMap.get(), FILE_MAP_WRITE, 0, 0, 0)) : nullptr)
    {
    }
    ~CForeignMapping() { UnmapViewOfFile(m_pb); }
    BYTE* View() const { return m_pb; }

    // A line block of nLen bytes as the viewer tests it: checksum over 0 .. nLen - 1.
    void WriteLogBlock(int nLen, const char* pszText)
    {
        memset(m_pb, 0, nLen);
        memcpy(m_pb, &nLen, 4);
        memcpy(m_pb + 4, CSharedMemLog::TAG, sizeof(CSharedMemLog::TAG));
        m_pb[19] = 1;  // sender
        m_pb[23] = 7;  // sequence
        memcpy(m_pb + 39, pszText, strnlen(pszText, nLen - 40));
        Seal(nLen);
    }
    void Seal(int nLen) { m_pb[nLen] = GetXorSum(m_pb, nLen); }
    void SetLen(int nLen) { memcpy(m_pb, &nLen, 4); }

private:
    CHandle m_hMap;
    BYTE* m_pb;
};

} // namespace

TEST(CommonSharedMemLog, BlockNameCarriesSenderAndSequence)
{
    EXPECT_EQ(MakeLogBlockName(SENDER_CORE, 5), L"Zuvora! Debug Log (Sender = 1, Seq = 5)");
    // The same sequence of two programs names two blocks.
    EXPECT_NE(MakeLogBlockName(SENDER_CORE, 5), MakeLogBlockName(SENDER_HOOK, 5));
    EXPECT_EQ(MakeLogBlockName(SENDER_PROP, -1), L"Zuvora! Debug Log (Sender = 2, Seq = 4294967295)");
}

TEST(CommonSharedMemLog, EmptyLineMakesBlockOfLen40)
{
    CSharedMemLog block(SENDER_CORE);
    DWORD dwTextSize = 1;
    ASSERT_TRUE(block.Create(UniqueName(L"Empty").c_str(), PAGE_READWRITE, &dwTextSize));
    const BYTE* pb = block.m_sm.pnLen;
    ASSERT_NE(pb, nullptr);
    EXPECT_EQ(ReadInt(pb), 40);
    EXPECT_EQ(memcmp(pb + 4, "ZvSmLog_V0700\0\0", 15), 0);
    for (int i = 19; i < 40; ++i)
        EXPECT_EQ(pb[i], 0) << "byte " << i;
    EXPECT_EQ(block.m_sm.pbSum, pb + 40);
    EXPECT_EQ(pb[40], GetXorSum(pb, 39));
    EXPECT_TRUE(block.IsValid());
    EXPECT_EQ(block.GetText(), "");
}

TEST(CommonSharedMemLog, ProgramWritesAndViewerTakesTheLine)
{
    const std::wstring strName = MakeLogBlockName(90, 1234);
    // UTF-8 of "ログ 行\r\n": every byte of the Japanese text survives the block.
    const std::string strText = "2024/05/06\t07:08:09.010\t[Core]\t(I)\t\xE3\x83\xAD\xE3\x82\xB0 \xE8\xA1\x8C\r\n";
    DWORD dwTextSize = static_cast<DWORD>(strText.size()) + 1;
    CSharedMemLog writer(SENDER_CORE);
    ASSERT_TRUE(writer.Create(strName.c_str(), PAGE_READWRITE, &dwTextSize));
    ASSERT_TRUE(writer.SetSender(90));
    ASSERT_TRUE(writer.SetSeq(1234));
    ASSERT_TRUE(writer.SetRetry(3));
    ASSERT_TRUE(writer.SetPosted(1));
    ASSERT_TRUE(writer.SetText(strText.c_str()));
    EXPECT_EQ(ReadInt(writer.m_sm.pnLen), 39 + static_cast<int>(dwTextSize));

    CSharedMemLog viewer(SENDER_LOG);
    ASSERT_TRUE(viewer.Open(strName.c_str(), FALSE, FILE_MAP_ALL_ACCESS));
    EXPECT_TRUE(viewer.IsWritable());
    EXPECT_EQ(viewer.GetSender(), 90);
    EXPECT_EQ(viewer.GetSeq(), 1234);
    EXPECT_EQ(viewer.GetRetry(), 3);
    EXPECT_EQ(viewer.GetPosted(), 1);
    EXPECT_EQ(viewer.GetDone(), 0);
    EXPECT_EQ(viewer.GetText(), strText);

    ASSERT_TRUE(viewer.SetDone(1));
    EXPECT_TRUE(writer.IsValid());
    EXPECT_EQ(writer.GetDone(), 1);
    // New text: the line is not taken yet.
    ASSERT_TRUE(writer.SetText("x"));
    EXPECT_EQ(viewer.GetDone(), 0);
    EXPECT_EQ(viewer.GetText(), "x");
    EXPECT_TRUE(viewer.IsValid());
}

TEST(CommonSharedMemLog, SettersRefuseAReadOnlyViewAndLeaveTheBlockAsItWas)
{
    const std::wstring strName = UniqueName(L"ReadOnlyView");
    DWORD dwTextSize = 6;
    CSharedMemLog writer(SENDER_CORE);
    ASSERT_TRUE(writer.Create(strName.c_str(), PAGE_READWRITE, &dwTextSize));
    EXPECT_TRUE(writer.IsWritable());
    ASSERT_TRUE(writer.SetSeq(5));
    ASSERT_TRUE(writer.SetText("line"));

    CSharedMemLog reader(SENDER_LOG);
    ASSERT_TRUE(reader.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    EXPECT_FALSE(reader.IsWritable());
    // A write into this view would fault: every setter says no instead.
    EXPECT_FALSE(reader.SetSender(9));
    EXPECT_FALSE(reader.SetSeq(9));
    EXPECT_FALSE(reader.SetRetry(9));
    EXPECT_FALSE(reader.SetPosted(1));
    EXPECT_FALSE(reader.SetDone(1));
    EXPECT_FALSE(reader.SetText("other"));
    EXPECT_EQ(reader.GetSeq(), 5);
    EXPECT_EQ(reader.GetDone(), 0);
    EXPECT_EQ(reader.GetText(), "line");
    EXPECT_TRUE(reader.IsValid());
}

TEST(CommonSharedMemLog, TextIsCutToItsAreaAndKeepsItsZero)
{
    CSharedMemLog block(SENDER_CORE);
    DWORD dwTextSize = 4;
    ASSERT_TRUE(block.Create(UniqueName(L"Cut").c_str(), PAGE_READWRITE, &dwTextSize));
    ASSERT_TRUE(block.SetText("abcdefgh"));
    EXPECT_EQ(block.GetText(), "abc");
    EXPECT_EQ(block.m_sm.pszText[3], 0);
    EXPECT_EQ(block.m_sm.pbSum[0], GetXorSum(block.m_sm.pnLen, 42));
    EXPECT_TRUE(block.IsValid());
}

TEST(CommonSharedMemLog, ValidityCoversTheLastCountedByteToo)
{
    CSharedMemLog block(SENDER_CORE);
    DWORD dwTextSize = 6;
    ASSERT_TRUE(block.Create(UniqueName(L"Wide").c_str(), PAGE_READWRITE, &dwTextSize));
    ASSERT_TRUE(block.SetText("hello"));
    BYTE* pb = block.m_sm.pnLen;
    const int nLen = ReadInt(pb);
    ASSERT_EQ(nLen, 45);
    // Unlike the hook and settings frames, the byte at nLen - 1 (the text's zero) counts.
    pb[nLen - 1] = 'X';
    EXPECT_FALSE(block.IsValid());
    pb[nLen - 1] = 0;
    EXPECT_TRUE(block.IsValid());
    for (int i : {0, 4, 18, 19, 35, 39, 43}) {
        pb[i] ^= 0x20;
        EXPECT_FALSE(block.IsValid()) << "byte " << i;
        pb[i] ^= 0x20;
    }
}

TEST(CommonSharedMemLog, CreateRefusesUnusableSizesAndReadOnlyViews)
{
    DWORD dwZero = 0, dwHuge = CSharedMemLog::MAX_TEXT_SIZE + 1, dwOne = 1;
    CSharedMemLog zero(SENDER_CORE), huge(SENDER_CORE), readOnly(SENDER_CORE), noSize(SENDER_CORE), copy(SENDER_CORE);
    EXPECT_FALSE(zero.Create(UniqueName(L"Zero").c_str(), PAGE_READWRITE, &dwZero));
    EXPECT_FALSE(huge.Create(UniqueName(L"Huge").c_str(), PAGE_READWRITE, &dwHuge));
    EXPECT_FALSE(readOnly.Create(UniqueName(L"ReadOnly").c_str(), PAGE_READONLY, &dwOne));
    EXPECT_FALSE(noSize.Create(UniqueName(L"NoSize").c_str(), PAGE_READWRITE, nullptr));
    EXPECT_FALSE(copy.Create(UniqueName(L"Copy").c_str(), PAGE_WRITECOPY, &dwOne));
    CSharedMemLogHwnd hwndCopy(SENDER_LOG);
    EXPECT_FALSE(hwndCopy.Create(UniqueName(L"HwndCopy").c_str(), PAGE_WRITECOPY, nullptr));
    EXPECT_FALSE(hwndCopy.IsMapped());
    // Accessors of an object without a view answer without touching memory.
    EXPECT_FALSE(zero.SetText("a"));
    EXPECT_FALSE(zero.SetDone(1));
    EXPECT_EQ(zero.GetSeq(), 0);
    EXPECT_EQ(zero.GetText(), "");
    EXPECT_FALSE(zero.IsValid());
}

TEST(CommonSharedMemLog, ForeignBlocksAreCheckedAgainstTheView)
{
    const std::wstring strName = UniqueName(L"Foreign");
    CForeignMapping foreign(strName, 100);
    ASSERT_NE(foreign.View(), nullptr);
    foreign.WriteLogBlock(60, "line");

    CSharedMemLog viewer(SENDER_LOG);
    ASSERT_TRUE(viewer.Open(strName.c_str(), FALSE, FILE_MAP_ALL_ACCESS));
    EXPECT_EQ(viewer.GetText(), "line");
    const int cbView = static_cast<int>(viewer.GetViewSize());
    ASSERT_GE(cbView, 4096);

    // The checksum byte may be the view's last byte, not one past it.
    memset(foreign.View() + 60, 'A', cbView - 60);
    foreign.WriteLogBlock(cbView - 1, "edge");
    EXPECT_TRUE(viewer.IsValid());
    EXPECT_EQ(viewer.GetText(), "edge");
    foreign.SetLen(cbView);
    EXPECT_FALSE(viewer.IsValid());

    for (int nLen : {-1, -40, INT_MIN, 0, 4, 39, cbView, cbView + 1, 2 * cbView, INT_MAX}) {
        foreign.SetLen(nLen);
        EXPECT_FALSE(viewer.IsValid()) << "nLen " << nLen;
        // Nothing is read or written past the view either.
        EXPECT_EQ(viewer.GetText(), "") << "nLen " << nLen;
        EXPECT_FALSE(viewer.SetDone(1)) << "nLen " << nLen;
        EXPECT_EQ(viewer.GetSeq(), 0) << "nLen " << nLen;
    }

    foreign.WriteLogBlock(60, "line");
    foreign.View()[60] ^= 0x01;
    EXPECT_FALSE(viewer.IsValid());
    foreign.WriteLogBlock(60, "line");
    foreign.View()[4 + 7] = '8';
    foreign.Seal(60);
    EXPECT_FALSE(viewer.IsValid());

    // A text area without any zero in it: the text ends with its area.
    foreign.WriteLogBlock(60, "");
    memset(foreign.View() + 39, 'B', 21);
    foreign.Seal(60);
    EXPECT_TRUE(viewer.IsValid());
    EXPECT_EQ(viewer.GetText(), std::string(21, 'B'));
}

TEST(CommonSharedMemLog, OpenOfCorruptBlockFails)
{
    const std::wstring strName = UniqueName(L"OpenCorrupt");
    CForeignMapping foreign(strName, 100);
    ASSERT_NE(foreign.View(), nullptr);
    foreign.WriteLogBlock(60, "line");
    for (int nLen : {-5, 1 << 20}) {
        foreign.SetLen(nLen);
        CSharedMemLog block(SENDER_LOG);
        EXPECT_FALSE(block.Open(strName.c_str(), FALSE, FILE_MAP_ALL_ACCESS)) << nLen;
    }
    CSharedMemLog missing(SENDER_LOG);
    EXPECT_FALSE(missing.Open(UniqueName(L"NoSuchBlock").c_str(), FALSE, FILE_MAP_ALL_ACCESS));
}

TEST(CommonSharedMemLogHwnd, ViewerWritesHandleAndProgramReadsIt)
{
    const std::wstring strName = UniqueName(L"Hwnd");
    CSharedMemLogHwnd viewer(SENDER_LOG);
    ASSERT_TRUE(viewer.Create(strName.c_str(), PAGE_READWRITE, nullptr));
    const BYTE* pb = viewer.m_sm.pnLen;
    ASSERT_NE(pb, nullptr);
    EXPECT_EQ(ReadInt(pb), 31);
    EXPECT_EQ(memcmp(pb + 4, "ZvSmLogHwnd_V0700\0\0", 19), 0);
    EXPECT_EQ(viewer.GetHwnd(), nullptr);

    // A handle with its 32nd bit set comes back as the same handle value.
    const HWND hWnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(0x80001234)));
    ASSERT_TRUE(viewer.SetHwnd(hWnd));
    EXPECT_EQ(pb[30], 0);
    EXPECT_EQ(pb[31], GetXorSum(pb, 30));
    EXPECT_EQ(pb[31], GetXorSum(pb, 31));

    CSharedMemLogHwnd program(SENDER_CORE);
    ASSERT_TRUE(program.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    EXPECT_EQ(program.GetHwnd(), hWnd);
    // The programs read the handle block only: their view cannot take a handle.
    EXPECT_FALSE(program.SetHwnd(nullptr));
    EXPECT_EQ(program.GetHwnd(), hWnd);
    EXPECT_TRUE(program.IsValid());
}

TEST(CommonSharedMemLogHwnd, ForeignHandleBlocksOfWrongShapeAreInvalid)
{
    const std::wstring strName = UniqueName(L"HwndForeign");
    CForeignMapping foreign(strName, 64);
    ASSERT_NE(foreign.View(), nullptr);
    BYTE* pb = foreign.View();
    const auto write = [&](int nLen, BYTE bTop) {
        memset(pb, 0, 64);
        memcpy(pb, &nLen, 4);
        memcpy(pb + 4, CSharedMemLogHwnd::TAG, sizeof(CSharedMemLogHwnd::TAG));
        pb[23] = 0x34;
        pb[24] = 0x12;
        pb[30] = bTop;
        // Written by the frame's rule, over 0 .. 29.
        if (nLen >= 2 && nLen < 64)
            pb[nLen] = GetXorSum(pb, nLen - 1);
    };
    write(31, 0);
    CSharedMemLogHwnd program(SENDER_CORE);
    ASSERT_TRUE(program.Open(strName.c_str(), FALSE, FILE_MAP_READ));
    EXPECT_EQ(program.GetHwnd(), reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1234)));

    // The test spans byte 30 too: a top byte that the writing rule skipped breaks it.
    write(31, 0x01);
    EXPECT_FALSE(program.IsValid());
    for (int nLen : {30, 32, 40, -31, INT_MAX}) {
        write(nLen, 0);
        EXPECT_FALSE(program.IsValid()) << "nLen " << nLen;
        EXPECT_EQ(program.GetHwnd(), nullptr) << "nLen " << nLen;
    }
}
