// The eight settings blocks byte for byte, whole records handed between the core program's and the
// settings program's managers, and foreign blocks that do not add up, which must be refused without
// a byte read beyond the view or a field of the record changed.
//   ZV_PROPBLK_FUZZ_COUNT=n   broken blocks in the fuzz test (default 2000)
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "Handle.h"
#include "Sender.h"
#include "SharedMemPropAtScrl.h"
#include "SharedMemPropFix.h"
#include "SharedMemPropKeybd.h"
#include "SharedMemPropManager.h"
#include "SharedMemPropPosSize.h"
#include "SharedMemPropScrlWdth.h"
#include "SharedMemPropUndo.h"
#include "SharedMemPropView.h"
#include "SharedMemPropWindow.h"
#include "Strings.h"

namespace {

constexpr int kPage = 4096;

std::wstring UniqueName(const wchar_t* pszWhat)
{
    static int s_nSeq = 0;
    return FormatString(L"ZvPropBlocksTest %s %lu.%d", pszWhat, GetCurrentProcessId(), ++s_nSeq);
}

int ReadInt(const BYTE* pb)
{
    int n = 0;
    memcpy(&n, pb, 4);
    return n;
}

void WriteInt(BYTE* pb, int n) { memcpy(pb, &n, 4); }

// A mapping of its own, as the other program holds it; created with a size it is a foreign block.
class CRawView {
public:
    explicit CRawView(const std::wstring& strName) { Map(OpenFileMappingW(FILE_MAP_WRITE, FALSE, strName.c_str())); }
    CRawView(const std::wstring& strName, DWORD dwSize)
    {
        Map(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, dwSize, strName.c_str()));
    }
    ~CRawView()
    {
        if (m_pb)
            UnmapViewOfFile(m_pb);
    }
    BYTE* Get() const { return m_pb; }
    void Seal(int nLen) { m_pb[nLen] = GetXorSum(m_pb, nLen - 1); }

private:
    void Map(HANDLE hMap)
    {
        m_hMap.reset(hMap);
        if (hMap)
            m_pb = static_cast<BYTE*>(MapViewOfFile(hMap, FILE_MAP_WRITE, 0, 0, 0));
    }
    CHandle m_hMap;
    BYTE* m_pb = nullptr;
};

// The frame every settings block shares: nLen, the tag with two zeros, the checksum at nLen over
// 0 .. nLen - 2.
void ExpectFrame(const BYTE* pb, int nLen, const char* pszTag)
{
    ASSERT_NE(nullptr, pb);
    EXPECT_EQ(nLen, ReadInt(pb));
    const size_t cch = strlen(pszTag);
    EXPECT_EQ(0, memcmp(pb + 4, pszTag, cch));
    EXPECT_EQ(0, pb[4 + cch]);
    EXPECT_EQ(0, pb[5 + cch]);
    EXPECT_EQ(GetXorSum(pb, nLen - 1), pb[nLen]);
}

PROP_KEYBD DefaultKeys()
{
    PROP_KEYBD keybd;
    for (int i = 0; i < KEYASSIGN_COUNT; ++i) {
        keybd.aKeyAssign[i].bEnable = g_aKeyAssignDef[i].bEnableDefault;
        keybd.aKeyAssign[i].lstKey = GetDefaultKeyList(i);
    }
    return keybd;
}

// Every travelling field differs from its neighbours and from zero.
PROPERTY_SET MakeRecord(int nSeed)
{
    PROPERTY_SET prop;
    for (int i = 0; i < SCRLWDTH_COUNT; ++i)
        prop.propScrlWdth.aScrlWdth[i] = {nSeed + 4 * i, nSeed + 4 * i + 1, nSeed + 4 * i + 2, nSeed + 4 * i + 3};
    prop.propPosSize = {nSeed + 1, -nSeed, 1280, 17, 1263, 0, 17, 1024,
                        0x1122334455667788ull + nSeed, 0x8877665544332211ull};
    prop.propView = {1, 0, 1, 1, 0, 1, 1, 0, nSeed % 10, 200 - nSeed % 100};
    prop.propKeybd = DefaultKeys();
    prop.propKeybd.aKeyAssign[KEYASSIGN_MENU].lstKey = {0x10, 0x11, 0x12, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46,
                                                       static_cast<BYTE>(0x47 + nSeed % 8)};
    prop.propKeybd.aKeyAssign[KEYASSIGN_UNDO].bEnable = FALSE;
    prop.propFix = {TRUE, FALSE, {L"無題 - メモ帳", L"", L"Calc" + std::to_wstring(nSeed)}, {L"notepad.exe"}};
    prop.propWindow = {VK_SHIFT, {0, 0, 0}, 2, TRUE, FALSE, TRUE, nSeed};
    prop.propUndo = {nSeed + 3, 1, 0, 1, 0, 500};
    prop.propAtScrl = {1, 10, 20, 30, 40, nSeed % 6};
    return prop;
}

// The keyboard or the fix block, the two whose size comes from the record.
std::unique_ptr<CSharedMemProp> NewVarBlock(bool bFix, int nSender)
{
    if (bFix)
        return std::make_unique<CSharedMemPropFix>(nSender);
    return std::make_unique<CSharedMemPropKeybd>(nSender);
}

void ExpectSameKeys(const PROP_KEYBD& a, const PROP_KEYBD& b)
{
    for (int i = 0; i < KEYASSIGN_COUNT; ++i) {
        EXPECT_EQ(a.aKeyAssign[i].bEnable, b.aKeyAssign[i].bEnable) << i;
        EXPECT_EQ(a.aKeyAssign[i].lstKey, b.aKeyAssign[i].lstKey) << i;
    }
}

void ExpectSameFix(const PROP_FIX& a, const PROP_FIX& b)
{
    EXPECT_EQ(a.bScrollTitledWindowOnly, b.bScrollTitledWindowOnly);
    EXPECT_EQ(a.bFixGadget, b.bFixGadget);
    EXPECT_EQ(a.lstTitle, b.lstTitle);
    EXPECT_EQ(a.lstApp, b.lstApp);
}

// The sections that travel are equal.
void ExpectSameSettings(const PROPERTY_SET& a, const PROPERTY_SET& b)
{
    EXPECT_EQ(0, memcmp(&a.propScrlWdth, &b.propScrlWdth, sizeof(a.propScrlWdth)));
    EXPECT_EQ(0, memcmp(&a.propPosSize, &b.propPosSize, sizeof(a.propPosSize)));
    EXPECT_EQ(0, memcmp(&a.propView, &b.propView, sizeof(a.propView)));
    ExpectSameKeys(a.propKeybd, b.propKeybd);
    ExpectSameFix(a.propFix, b.propFix);
    EXPECT_EQ(0, memcmp(&a.propWindow, &b.propWindow, sizeof(a.propWindow)));
    EXPECT_EQ(0, memcmp(&a.propUndo, &b.propUndo, sizeof(a.propUndo)));
    EXPECT_EQ(0, memcmp(&a.propAtScrl, &b.propAtScrl, sizeof(a.propAtScrl)));
}

// The managers use the system's fixed names, and each test runs in a process of its own: the
// tests that make them wait for one another.
class PropBlockManager : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hSerial.reset(CreateMutexW(nullptr, FALSE, L"ZvUnitTests PropBlockManager serial"));
        ASSERT_TRUE(m_hSerial);
        const DWORD dw = WaitForSingleObject(m_hSerial.get(), 60000);
        ASSERT_TRUE(dw == WAIT_OBJECT_0 || dw == WAIT_ABANDONED);
    }
    void TearDown() override
    {
        if (m_hSerial)
            ReleaseMutex(m_hSerial.get());
    }
    // Whether a thread other than this one could take the property mutex at once.
    static bool PropMutexFree()
    {
        bool bFree = false;
        std::thread([&] {
            const CHandle h(CreateMutexW(nullptr, FALSE, CSharedMemPropManager::MUTEX_NAME));
            const DWORD dw = WaitForSingleObject(h.get(), 0);
            bFree = dw == WAIT_OBJECT_0;
            if (dw == WAIT_OBJECT_0 || dw == WAIT_ABANDONED)
                ReleaseMutex(h.get());
        }).join();
        return bFree;
    }
    CHandle m_hSerial;
};

} // namespace

TEST(PropBlockLayout, FixedBlocksLieAtTheirOffsets)
{
    const PROPERTY_SET prop = MakeRecord(5);
    struct ROW {
        CSharedMemProp* pBlock;
        int nLen;
        int nPayloadOfs;
    } aRow[] = {
        {new CSharedMemPropScrlWdth(SENDER_CORE), 220, 28}, {new CSharedMemPropPosSize(SENDER_CORE), 75, 27},
        {new CSharedMemPropView(SENDER_CORE), 64, 24},      {new CSharedMemPropWindow(SENDER_CORE), 50, 26},
        {new CSharedMemPropUndo(SENDER_CORE), 48, 24},      {new CSharedMemPropAtScrl(SENDER_CORE), 50, 26},
    };
    for (ROW& row : aRow) {
        SCOPED_TRACE(row.pBlock->GetTag());
        const std::wstring strName = UniqueName(L"raw");
        ASSERT_TRUE(row.pBlock->Create(strName.c_str(), PAGE_READWRITE, nullptr));
        EXPECT_EQ(row.nLen, row.pBlock->GetLenFor(prop));
        EXPECT_EQ(row.nPayloadOfs, row.pBlock->GetPayloadOfs());
        ASSERT_TRUE(row.pBlock->SetFrom(prop));
        CRawView view(strName);
        ExpectFrame(view.Get(), row.nLen, row.pBlock->GetTag());
        EXPECT_EQ(row.pBlock->m_sm.pnLen + row.nPayloadOfs, row.pBlock->m_sm.pPayload);
        EXPECT_EQ(row.pBlock->m_sm.pnLen + row.nLen, row.pBlock->m_sm.pbSum);
    }
    CRawView scrl(aRow[0].pBlock->GetName());
    EXPECT_EQ(5 + 4 * 11 + 3, ReadInt(scrl.Get() + 28 + 16 * 11 + 12)) << "entry 11, Scr";
    CRawView pos(aRow[1].pBlock->GetName());
    EXPECT_EQ(1024, ReadInt(pos.Get() + 55));
    UINT64 u64 = 0;
    memcpy(&u64, pos.Get() + 59, 8);
    EXPECT_EQ(0x1122334455667788ull + 5, u64) << "the handles are 64 bits wide";
    memcpy(&u64, pos.Get() + 67, 8);
    EXPECT_EQ(0x8877665544332211ull, u64);
    CRawView view(aRow[2].pBlock->GetName());
    EXPECT_EQ(0, ReadInt(view.Get() + 52)) << "SmoothScroll";
    EXPECT_EQ(195, ReadInt(view.Get() + 60)) << "Transparent";
    CRawView wnd(aRow[3].pBlock->GetName());
    EXPECT_EQ(VK_SHIFT, wnd.Get()[26]);
    EXPECT_EQ(2, ReadInt(wnd.Get() + 30));
    EXPECT_EQ(5, ReadInt(wnd.Get() + 46));
    CRawView undo(aRow[4].pBlock->GetName());
    EXPECT_EQ(8, ReadInt(undo.Get() + 24));
    EXPECT_EQ(500, ReadInt(undo.Get() + 44));
    CRawView atscrl(aRow[5].pBlock->GetName());
    EXPECT_EQ(1, ReadInt(atscrl.Get() + 26));
    EXPECT_EQ(5, ReadInt(atscrl.Get() + 46));

    // The checksum leaves out the last counted byte, and only that one.
    view.Get()[63] ^= 0x55;
    EXPECT_TRUE(aRow[2].pBlock->IsValid());
    view.Get()[62] ^= 0x01;
    EXPECT_FALSE(aRow[2].pBlock->IsValid());
    PROP_VIEW propView = prop.propView;
    propView.nSpeed = 77;
    EXPECT_FALSE(static_cast<CSharedMemPropView*>(aRow[2].pBlock)->Get(propView));
    EXPECT_EQ(77, propView.nSpeed) << "a refused block leaves the section as it was";
    for (ROW& row : aRow)
        delete row.pBlock;
}

TEST(PropBlockLayout, KeyboardBlockCarriesEveryKeyOfEveryList)
{
    PROP_KEYBD keybd = DefaultKeys();
    ASSERT_EQ(139, CSharedMemPropKeybd::GetLenForKeys(keybd)) << "34 default keys";
    const std::wstring strName = UniqueName(L"keybd");
    CSharedMemPropKeybd block(SENDER_CORE);
    int nKeys = 34;
    ASSERT_TRUE(block.Create(strName.c_str(), PAGE_READWRITE, &nKeys));
    ASSERT_TRUE(block.Set(keybd));
    CRawView view(strName);
    ExpectFrame(view.Get(), 139, CSharedMemPropKeybd::TAG);
    EXPECT_EQ(TRUE, ReadInt(view.Get() + 25));
    EXPECT_EQ(3, ReadInt(view.Get() + 29));
    EXPECT_EQ(0, memcmp(view.Get() + 105, keybd.aKeyAssign[0].lstKey.data(), 3));
    EXPECT_EQ(block.m_sm.pnLen + 105, block.m_pbyKey);

    // A list of another size is refused and the block keeps what it had.
    std::vector<BYTE> aBefore(view.Get(), view.Get() + 140);
    keybd.aKeyAssign[KEYASSIGN_UP_LINE].lstKey.push_back(VK_F5);
    EXPECT_FALSE(block.Set(keybd));
    EXPECT_EQ(aBefore, std::vector<BYTE>(view.Get(), view.Get() + 140));
}

TEST(PropBlockLayout, FixBlockPacksSizesThenStrings)
{
    PROP_FIX fix = {FALSE, TRUE, {}, {}};
    ASSERT_EQ(39, CSharedMemPropFix::GetLenForFix(fix));
    const std::wstring strEmpty = UniqueName(L"fix0");
    CSharedMemPropFix empty(SENDER_CORE);
    ASSERT_TRUE(empty.Create(strEmpty.c_str(), PAGE_READWRITE, &fix));
    ExpectFrame(CRawView(strEmpty).Get(), 39, CSharedMemPropFix::TAG);

    fix = {TRUE, FALSE, {L"abc"}, {L"notep"}};
    const std::wstring strName = UniqueName(L"fix");
    CSharedMemPropFix block(SENDER_CORE);
    ASSERT_TRUE(block.Create(strName.c_str(), PAGE_READWRITE, &fix)) << "Create fills the block from the section";
    CRawView view(strName);
    ExpectFrame(view.Get(), 57, CSharedMemPropFix::TAG);
    EXPECT_EQ(1, ReadInt(view.Get() + 23));
    EXPECT_EQ(0, ReadInt(view.Get() + 27));
    EXPECT_EQ(1, ReadInt(view.Get() + 31));
    EXPECT_EQ(1, ReadInt(view.Get() + 35));
    EXPECT_EQ(4, ReadInt(view.Get() + 39));
    EXPECT_EQ(6, ReadInt(view.Get() + 43));
    EXPECT_EQ(0, memcmp(view.Get() + 47, "abc\0notep\0", 10));
    EXPECT_EQ(block.m_sm.pnLen + 47, block.m_pszTitles);
    EXPECT_EQ(block.m_sm.pnLen + 51, block.m_pszApps);

    // A title of another length would need another block.
    fix.lstTitle[0] = L"abcd";
    EXPECT_FALSE(block.Set(fix));
    EXPECT_EQ(0, memcmp(view.Get() + 47, "abc\0notep\0", 10));
}

TEST_F(PropBlockManager, WholeRecordTravelsBothWays)
{
    PROPERTY_SET propCore = MakeRecord(1);
    propCore.propVer.nMajor = 9;
    propCore.propTimer.dwScroll = 20;
    MakeScrollRateList(propCore);
    PROPERTY_SET propProp = MakeRecord(2);
    propProp.propTimer.dwScroll = 100;

    auto pCore = std::make_unique<CSharedMemPropManager>(SENDER_CORE, &propCore);
    PROPERTY_SET propEarly = propProp;
    EXPECT_FALSE(CSharedMemPropManager(SENDER_PROP, &propEarly).Read()) << "nothing opened, nothing read";
    ASSERT_TRUE(pCore->Create());
    ASSERT_TRUE(pCore->Write());
    {
        CSharedMemPropManager prop(SENDER_PROP, &propProp);
        ASSERT_TRUE(prop.Open());
        ASSERT_TRUE(prop.Read());
    }
    ExpectSameSettings(propCore, propProp);
    EXPECT_EQ(10u, propProp.propKeybd.aKeyAssign[KEYASSIGN_MENU].lstKey.size()) << "beyond the registry's eight";
    EXPECT_EQ(100u, propProp.propTimer.dwScroll) << "the Timer section stays at home";
    EXPECT_EQ(0, propProp.propVer.nMajor);
    EXPECT_TRUE(propProp.lstScrlRate.empty());
    pCore.reset();

    // The settings program's Apply: its own record back to a fresh core manager.
    propProp = MakeRecord(3);
    propProp.propFix.lstApp.push_back(L"");
    auto pProp = std::make_unique<CSharedMemPropManager>(SENDER_PROP, &propProp);
    ASSERT_TRUE(pProp->Create());
    ASSERT_TRUE(pProp->Write());
    CSharedMemPropManager core(SENDER_CORE, &propCore);
    ASSERT_TRUE(core.Open());
    ASSERT_TRUE(core.Read());
    ExpectSameSettings(propProp, propCore);
    EXPECT_EQ(20u, propCore.propTimer.dwScroll);
    EXPECT_TRUE(PropMutexFree());

    // A record whose keys or fixed lists no longer fit the blocks made for it is not written, in
    // any block.
    PROPERTY_SET propRead = MakeRecord(4);
    const PROPERTY_SET propWritten = propProp;
    propProp.propView.nSpeed = 9;
    propProp.propKeybd.aKeyAssign[0].lstKey.push_back(VK_F1);
    EXPECT_FALSE(pProp->Write());
    propProp.propKeybd.aKeyAssign[0].lstKey.pop_back();
    propProp.propFix.lstTitle.push_back(L"one more");
    EXPECT_FALSE(pProp->Write());
    CSharedMemPropManager again(SENDER_CORE, &propRead);
    ASSERT_TRUE(again.Open());
    ASSERT_TRUE(again.Read());
    ExpectSameSettings(propWritten, propRead);
}

TEST_F(PropBlockManager, MutexHeldElsewhereCopiesNothingAndSaysSo)
{
    PROPERTY_SET propCore = MakeRecord(1);
    CSharedMemPropManager core(SENDER_CORE, &propCore);
    ASSERT_TRUE(core.Create());
    ASSERT_TRUE(core.Write());
    PROPERTY_SET propProp = MakeRecord(2);
    const PROPERTY_SET propBefore = propProp;
    CSharedMemPropManager prop(SENDER_PROP, &propProp);
    ASSERT_TRUE(prop.Open());

    const CHandle hTaken(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const CHandle hDone(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread holder([&] {
        const CHandle h(CreateMutexW(nullptr, FALSE, CSharedMemPropManager::MUTEX_NAME));
        WaitForSingleObject(h.get(), 5000);
        SetEvent(hTaken.get());
        WaitForSingleObject(hDone.get(), 10000);
        ReleaseMutex(h.get());
    });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hTaken.get(), 5000));
    const ULONGLONG ullStart = GetTickCount64();
    EXPECT_FALSE(prop.Read());
    const ULONGLONG ullWaited = GetTickCount64() - ullStart;
    ExpectSameSettings(propBefore, propProp);
    propCore.propView.nSpeed = 9;
    EXPECT_FALSE(core.Write());
    SetEvent(hDone.get());
    holder.join();
    EXPECT_GE(ullWaited, 900u);
    EXPECT_LT(ullWaited, 3000u);

    // Once free, the blocks still hold the first Write.
    ASSERT_TRUE(prop.Read());
    EXPECT_EQ(MakeRecord(1).propView.nSpeed, propProp.propView.nSpeed);
}

TEST_F(PropBlockManager, AnAbandonedMutexFailsOneCopyAndIsGivenBackForTheNext)
{
    const auto abandon = [] {
        std::thread([] {
            const CHandle h(CreateMutexW(nullptr, FALSE, CSharedMemPropManager::MUTEX_NAME));
            WaitForSingleObject(h.get(), 5000);  // the thread ends holding it
        }).join();
    };
    PROPERTY_SET propCore = MakeRecord(1);
    CSharedMemPropManager core(SENDER_CORE, &propCore);
    ASSERT_TRUE(core.Create());
    abandon();
    EXPECT_FALSE(core.Write()) << "nothing is copied after a holder that ended inside its copy";
    EXPECT_TRUE(PropMutexFree());
    ASSERT_TRUE(core.Write()) << "the next copy goes ahead";

    PROPERTY_SET propProp = MakeRecord(2);
    CSharedMemPropManager prop(SENDER_PROP, &propProp);
    ASSERT_TRUE(prop.Open());
    abandon();
    const PROPERTY_SET propBefore = propProp;
    EXPECT_FALSE(prop.Read());
    ExpectSameSettings(propBefore, propProp);
    EXPECT_TRUE(PropMutexFree());
    ASSERT_TRUE(prop.Read());
    ExpectSameSettings(propCore, propProp);
}

namespace {

// The test's own reading of a keyboard or fix block in a page-sized view: whether it adds up.
bool KeybdAddsUp(const BYTE* pb)
{
    const int nLen = ReadInt(pb);
    if (nLen < 105 || nLen >= kPage || pb[nLen] != GetXorSum(pb, nLen - 1) ||
        memcmp(pb + 4, CSharedMemPropKeybd::TAG, sizeof(CSharedMemPropKeybd::TAG)) != 0)
        return false;
    long long llSum = 0;
    for (int i = 0; i < 10; ++i) {
        const int n = ReadInt(pb + 29 + 8 * i);
        if (n < 0)
            return false;
        llSum += n;
    }
    return llSum == nLen - 105;
}

bool FixAddsUp(const BYTE* pb)
{
    const int nLen = ReadInt(pb);
    if (nLen < 39 || nLen >= kPage || pb[nLen] != GetXorSum(pb, nLen - 1) ||
        memcmp(pb + 4, CSharedMemPropFix::TAG, sizeof(CSharedMemPropFix::TAG)) != 0)
        return false;
    const long long llCount = static_cast<long long>(ReadInt(pb + 31)) + ReadInt(pb + 35);
    if (ReadInt(pb + 31) < 0 || ReadInt(pb + 35) < 0 || 39 + 4 * llCount > nLen)
        return false;
    long long llPos = 39 + 4 * llCount;
    for (long long i = 0; i < llCount; ++i) {
        const int nSize = ReadInt(pb + 39 + 4 * i);
        if (nSize < 1 || llPos + nSize > nLen)
            return false;
        for (int j = 0; j < nSize - 1; ++j)
            if (pb[llPos + j] == 0)
                return false;
        if (pb[llPos + nSize - 1] != 0)
            return false;
        llPos += nSize;
    }
    return llPos == nLen;
}

} // namespace

TEST(PropBlockRefuse, BlocksThatDoNotAddUp)
{
    struct CASE {
        const char* pszWhat;
        bool bFix;
        void (*fnBreak)(BYTE* pb);
    } aCase[] = {
        {"one key more than nLen holds", false, [](BYTE* pb) { WriteInt(pb + 29, ReadInt(pb + 29) + 1); }},
        {"a negative count made up elsewhere", false,
         [](BYTE* pb) {
             const int nFirst = ReadInt(pb + 29);
             WriteInt(pb + 29, -1);
             WriteInt(pb + 37, ReadInt(pb + 37) + nFirst + 1);
         }},
        {"nLen past the view", false, [](BYTE* pb) { WriteInt(pb, 5000); }},
        {"nLen of another class", false, [](BYTE* pb) { WriteInt(pb, 104); }},
        {"a title size past nLen", true, [](BYTE* pb) { WriteInt(pb + 39, 4000); }},
        {"a title size of 0", true,
         [](BYTE* pb) {
             WriteInt(pb + 43, ReadInt(pb + 43) + ReadInt(pb + 39));
             WriteInt(pb + 39, 0);
         }},
        {"a title without its zero", true, [](BYTE* pb) { pb[50] = 'x'; }},
        {"a zero inside a name", true, [](BYTE* pb) { pb[52] = 0; }},
        {"two billion titles", true, [](BYTE* pb) { WriteInt(pb + 31, INT_MAX); }},
        {"a negative count", true, [](BYTE* pb) { WriteInt(pb + 35, -1); }},
        {"a tag of another version", true, [](BYTE* pb) { pb[4 + 15] = '2'; }},
    };
    for (const CASE& c : aCase) {
        SCOPED_TRACE(c.pszWhat);
        const std::wstring strName = UniqueName(L"broken");
        CRawView raw(strName, kPage);
        ASSERT_NE(nullptr, raw.Get());
        {
            // A sound block made by the class itself, copied into the foreign page.
            const std::wstring strSound = UniqueName(L"sound");
            PROP_FIX fix = {TRUE, TRUE, {L"abc"}, {L"notep"}};
            int nKeys = 34;
            std::unique_ptr<CSharedMemProp> pSound = NewVarBlock(c.bFix, SENDER_CORE);
            ASSERT_TRUE(pSound->Create(strSound.c_str(), PAGE_READWRITE, c.bFix ? static_cast<void*>(&fix) : &nKeys));
            PROPERTY_SET prop;
            prop.propKeybd = DefaultKeys();
            prop.propFix = fix;
            ASSERT_TRUE(pSound->SetFrom(prop));
            memcpy(raw.Get(), CRawView(strSound).Get(), pSound->GetLen() + 1);
        }
        PROPERTY_SET prop = MakeRecord(7);
        const PROPERTY_SET propBefore = prop;
        std::unique_ptr<CSharedMemProp> pReader = NewVarBlock(c.bFix, SENDER_PROP);
        ASSERT_TRUE(pReader->Open(strName.c_str(), FALSE, FILE_MAP_WRITE));
        c.fnBreak(raw.Get());
        const int nLen = ReadInt(raw.Get());
        if (nLen > 0 && nLen < kPage)
            raw.Seal(nLen);
        ASSERT_FALSE(c.bFix ? FixAddsUp(raw.Get()) : KeybdAddsUp(raw.Get()));
        EXPECT_FALSE(pReader->GetInto(prop));
        EXPECT_FALSE(pReader->IsValid());
        ExpectSameSettings(propBefore, prop);
    }
}

// Broken keyboard and fix blocks filling a whole page, the page after the view not readable: each
// must be refused, with the record untouched and without a fault from a read beyond the view.
TEST(PropBlockFuzz, BrokenBlocksAreRefused)
{
    const char* pszCount = getenv("ZV_PROPBLK_FUZZ_COUNT");
    const int nCount = pszCount ? atoi(pszCount) : 2000;
    std::mt19937 rng(20261209u);

    // Two sound images that reach the last byte of their page: nLen 4095, the checksum at 4095.
    PROPERTY_SET propFull;
    propFull.propKeybd = DefaultKeys();
    std::vector<BYTE>& lstMenu = propFull.propKeybd.aKeyAssign[KEYASSIGN_MENU].lstKey;
    lstMenu.resize(lstMenu.size() + kPage - 1 - CSharedMemPropKeybd::GetLenForKeys(propFull.propKeybd), 0x41);
    for (int i = 0; i < 30; ++i)
        propFull.propFix.lstTitle.push_back(std::wstring(90 + i, L'a' + i % 26));
    propFull.propFix.lstApp = {L"x.exe", L""};
    const int nFixLen = CSharedMemPropFix::GetLenForFix(propFull.propFix);
    propFull.propFix.lstApp[1].assign(kPage - 1 - nFixLen, L'z');
    ASSERT_EQ(kPage - 1, CSharedMemPropKeybd::GetLenForKeys(propFull.propKeybd));
    ASSERT_EQ(kPage - 1, CSharedMemPropFix::GetLenForFix(propFull.propFix));
    std::vector<BYTE> aImage[2];
    for (int k = 0; k < 2; ++k) {
        const std::wstring strImage = UniqueName(L"image");
        std::unique_ptr<CSharedMemProp> p = NewVarBlock(k != 0, SENDER_CORE);
        int nKeys = kPage - 1 - CSharedMemPropKeybd::KEYS_OFS;
        ASSERT_TRUE(p->Create(strImage.c_str(), PAGE_READWRITE, k ? static_cast<void*>(&propFull.propFix) : &nKeys));
        ASSERT_TRUE(p->SetFrom(propFull));
        CRawView view(strImage);
        aImage[k].assign(view.Get(), view.Get() + kPage);
    }

    const std::wstring strName = UniqueName(L"fuzz");
    CRawView raw(strName, kPage);
    ASSERT_NE(nullptr, raw.Get());
    const PROPERTY_SET propSentinel = MakeRecord(11);
    int nRefused = 0, nSound = 0;
    const auto tStart = std::chrono::steady_clock::now();
    for (int n = 0; n < nCount; ++n) {
        const bool bFix = (rng() & 1) != 0;
        BYTE* pb = raw.Get();
        memcpy(pb, aImage[bFix].data(), kPage);
        std::unique_ptr<CSharedMemProp> pReader = NewVarBlock(bFix, SENDER_PROP);
        ASSERT_TRUE(pReader->Open(strName.c_str(), FALSE, FILE_MAP_WRITE));
        if (n == 0) {
            MEMORY_BASIC_INFORMATION mbi = {};
            ASSERT_EQ(sizeof(mbi), VirtualQuery(pReader->m_sm.pnLen + kPage, &mbi, sizeof(mbi)));
            ASSERT_TRUE(mbi.State != MEM_COMMIT || (mbi.Protect & (PAGE_NOACCESS | PAGE_GUARD)) != 0)
                << "the page after the view must not be readable";
        }

        // One to three changes: counts, sizes and the length word to odd values, or stray bytes.
        const int nFields = bFix ? 4 + 32 : 1 + 10;
        const int nChanges = 1 + static_cast<int>(rng() % 3);
        for (int c = 0; c < nChanges; ++c) {
            static const int s_anOdd[] = {0, 1, -1, 2, 3, INT_MAX, INT_MIN, 0x40000000, kPage, kPage - 1, 105, 39, 200};
            const unsigned uWhat = rng() % 4;
            if (uWhat < 2) {
                const int f = static_cast<int>(rng() % nFields);
                const int nOfs = f == 0 ? 0 : bFix ? (f < 4 ? 23 + 4 * f : 39 + 4 * (f - 4)) : 29 + 8 * (f - 1);
                const int nOld = ReadInt(pb + nOfs);
                const int nNew = uWhat == 0 ? s_anOdd[rng() % (sizeof(s_anOdd) / sizeof(s_anOdd[0]))]
                                            : nOld + static_cast<int>(rng() % 9) - 4;
                WriteInt(pb + nOfs, nNew);
            } else if (uWhat == 2 || !bFix) {
                // Mostly the head, where a changed byte breaks the block; now and then anywhere.
                const int nHead = bFix ? 39 + 4 * 32 : 105;
                pb[rng() % 4 == 0 ? rng() % kPage : rng() % nHead] ^= static_cast<BYTE>(1 + rng() % 255);
            } else {
                pb[39 + 4 * 32 + rng() % (kPage - 40 - 4 * 32)] = (rng() & 1) ? 0 : 'q';
            }
        }
        const int nLen = ReadInt(pb);
        if (rng() % 5 != 0 && nLen > 1 && nLen < kPage)
            raw.Seal(nLen);

        PROPERTY_SET prop = propSentinel;
        if (bFix ? FixAddsUp(pb) : KeybdAddsUp(pb)) {
            // The changes happened to give a sound block: it must be taken.
            ++nSound;
            EXPECT_TRUE(pReader->GetInto(prop)) << "sound block refused, case " << n;
            continue;
        }
        ++nRefused;
        const BOOL bRead = pReader->GetInto(prop);
        std::unique_ptr<CSharedMemProp> pFresh = NewVarBlock(bFix, SENDER_PROP);
        const BOOL bOpened = pFresh->Open(strName.c_str(), FALSE, FILE_MAP_WRITE);
        if (bRead || bOpened) {
            ADD_FAILURE() << "broken " << (bFix ? "fix" : "keyboard") << " block taken, case " << n;
            break;
        }
        if (bFix)
            ExpectSameFix(propSentinel.propFix, prop.propFix);
        else
            ExpectSameKeys(propSentinel.propKeybd, prop.propKeybd);
        if (HasFailure())
            break;
    }
    const double dSec = std::chrono::duration<double>(std::chrono::steady_clock::now() - tStart).count();
    printf("[ fuzz ] %d cases in %.2f s: %d broken blocks refused, %d changes that left a sound block (taken)\n",
           nCount, dSec, nRefused, nSound);
    EXPECT_GT(nRefused, nCount * 3 / 4);
}

// The six blocks of fixed size as the settings program reads them: a change to the length word,
// the tag, the checksum or the payload (resealed or not) is taken only when the frame still adds
// up, and a refused block leaves every section of the record as it was.
TEST(PropBlockFuzz, BrokenFixedBlocksAreRefused)
{
    const char* pszCount = getenv("ZV_PROPBLK_FUZZ_COUNT");
    const int nCount = pszCount ? atoi(pszCount) : 2000;
    std::mt19937 rng(20261210u);
    const auto newBlock = [](int k, int nSender) -> std::unique_ptr<CSharedMemProp> {
        switch (k) {
        case 0: return std::make_unique<CSharedMemPropScrlWdth>(nSender);
        case 1: return std::make_unique<CSharedMemPropPosSize>(nSender);
        case 2: return std::make_unique<CSharedMemPropView>(nSender);
        case 3: return std::make_unique<CSharedMemPropWindow>(nSender);
        case 4: return std::make_unique<CSharedMemPropUndo>(nSender);
        default: return std::make_unique<CSharedMemPropAtScrl>(nSender);
        }
    };
    const PROPERTY_SET propSound = MakeRecord(3);
    std::vector<BYTE> aImage[6];
    int anLen[6] = {};
    std::string astrTag[6];
    for (int k = 0; k < 6; ++k) {
        std::unique_ptr<CSharedMemProp> p = newBlock(k, SENDER_CORE);
        const std::wstring strImage = UniqueName(L"fixed image");
        ASSERT_TRUE(p->Create(strImage.c_str(), PAGE_READWRITE, nullptr));
        ASSERT_TRUE(p->SetFrom(propSound));
        anLen[k] = p->GetLenFor(propSound);
        astrTag[k] = p->GetTag();
        CRawView view(strImage);
        aImage[k].assign(view.Get(), view.Get() + anLen[k] + 1);
    }
    const auto addsUp = [&](int k, const BYTE* pb) {
        const size_t cch = astrTag[k].size();
        // The tag is read as a string: the second zero after it is padding, not part of it.
        return ReadInt(pb) == anLen[k] && memcmp(pb + 4, astrTag[k].data(), cch) == 0 && pb[4 + cch] == 0 &&
               pb[anLen[k]] == GetXorSum(pb, anLen[k] - 1);
    };

    const PROPERTY_SET propSentinel = MakeRecord(11);
    int nRefused = 0, nSound = 0;
    for (int n = 0; n < nCount; ++n) {
        const int k = static_cast<int>(rng() % 6);
        const std::wstring strName = UniqueName(L"fixed fuzz");
        CRawView raw(strName, kPage);
        ASSERT_NE(nullptr, raw.Get());
        BYTE* pb = raw.Get();
        memcpy(pb, aImage[k].data(), aImage[k].size());
        std::unique_ptr<CSharedMemProp> pReader = newBlock(k, SENDER_PROP);
        ASSERT_TRUE(pReader->Open(strName.c_str(), FALSE, FILE_MAP_WRITE));

        const int nChanges = 1 + static_cast<int>(rng() % 3);
        for (int c = 0; c < nChanges; ++c) {
            static const int s_anOdd[] = {0, 1, -1, 2, INT_MAX, INT_MIN, kPage, kPage - 1, kPage + 1, 4095 * 2};
            switch (rng() % 4) {
            case 0:
                WriteInt(pb, rng() % 2 ? s_anOdd[rng() % (sizeof(s_anOdd) / sizeof(s_anOdd[0]))]
                                       : anLen[k] + static_cast<int>(rng() % 9) - 4);
                break;
            case 1: // the tag and its zeros
                pb[4 + rng() % (astrTag[k].size() + 2)] ^= static_cast<BYTE>(1 + rng() % 255);
                break;
            default: // anywhere in the frame, the checksum included
                pb[rng() % (anLen[k] + 1)] ^= static_cast<BYTE>(1 + rng() % 255);
                break;
            }
        }
        const int nLen = ReadInt(pb);
        if (rng() % 3 != 0 && nLen > 1 && nLen < kPage)
            raw.Seal(nLen);

        PROPERTY_SET prop = propSentinel;
        if (addsUp(k, pb)) {
            ++nSound;
            EXPECT_TRUE(pReader->GetInto(prop)) << "sound block refused, kind " << k << ", case " << n;
            continue;
        }
        ++nRefused;
        const BOOL bRead = pReader->GetInto(prop);
        std::unique_ptr<CSharedMemProp> pFresh = newBlock(k, SENDER_PROP);
        if (bRead || pFresh->Open(strName.c_str(), FALSE, FILE_MAP_WRITE)) {
            std::string strDiff;
            for (int i = 0; i <= anLen[k]; ++i)
                if (pb[i] != aImage[k][i])
                    strDiff += " " + std::to_string(i) + ":" + std::to_string(aImage[k][i]) + "->" + std::to_string(pb[i]);
            ADD_FAILURE() << "broken " << astrTag[k] << " block taken, case " << n << ", read " << bRead << ", changed" << strDiff;
            break;
        }
        ExpectSameSettings(propSentinel, prop);
        if (HasFailure())
            break;
    }
    printf("[ fuzz ] %d fixed-size blocks: %d broken ones refused, %d changes that left a sound frame (taken)\n",
           nCount, nRefused, nSound);
    EXPECT_GT(nRefused, nCount / 2);
}

// The other program rewrites a count while this one reads its block, as any program may that can
// open the mapping: each read takes the block it checked or nothing, and never a count it did not
// check (a reader that checked the view and then read it again ran past the block within a few
// dozen reads).
TEST(PropBlockRace, ACountChangedDuringAReadIsNeverTaken)
{
    const char* pszCount = getenv("ZV_PROPBLK_RACE_COUNT");
    const int nCount = pszCount ? atoi(pszCount) : 20000;
    for (const bool bFix : {false, true}) {
        SCOPED_TRACE(bFix ? "fix block" : "keyboard block");
        PROPERTY_SET propSound;
        propSound.propKeybd = DefaultKeys();
        propSound.propFix = {TRUE, FALSE, {L"abc", L"無題 - メモ帳"}, {L"notepad.exe"}};
        const std::wstring strName = UniqueName(L"race");
        std::unique_ptr<CSharedMemProp> pWriter = NewVarBlock(bFix, SENDER_CORE);
        int nKeys = CSharedMemPropKeybd::GetLenForKeys(propSound.propKeybd) - CSharedMemPropKeybd::KEYS_OFS;
        ASSERT_TRUE(pWriter->Create(strName.c_str(), PAGE_READWRITE,
                                    bFix ? static_cast<void*>(&propSound.propFix) : &nKeys));
        ASSERT_TRUE(pWriter->SetFrom(propSound));
        std::unique_ptr<CSharedMemProp> pReader = NewVarBlock(bFix, SENDER_PROP);
        ASSERT_TRUE(pReader->Open(strName.c_str(), FALSE, FILE_MAP_WRITE));

        // The first title count, or the first key list's count: the sound one and one that would
        // send a reader a megabyte past the view.
        CRawView raw(strName);
        BYTE* pnCount = raw.Get() + (bFix ? CSharedMemPropFix::TITLES_OFS : CSharedMemPropKeybd::ENTRY_OFS + 4);
        const int nSoundCount = ReadInt(pnCount);
        std::atomic<bool> bStop{false};
        std::thread flipper([&] {
            while (!bStop.load(std::memory_order_relaxed)) {
                WriteInt(pnCount, 1 << 20);
                WriteInt(pnCount, nSoundCount);
            }
        });
        int nTaken = 0;
        for (int n = 0; n < nCount && !HasFailure(); ++n) {
            PROPERTY_SET prop = MakeRecord(5);
            if (!pReader->GetInto(prop))
                continue;
            ++nTaken;
            if (bFix)
                ExpectSameFix(propSound.propFix, prop.propFix);
            else
                ExpectSameKeys(propSound.propKeybd, prop.propKeybd);
        }
        bStop = true;
        flipper.join();
        WriteInt(pnCount, nSoundCount);
        printf("[ race ] %d reads while the count flipped: %d took the sound block\n", nCount, nTaken);
        PROPERTY_SET prop;
        EXPECT_TRUE(pReader->GetInto(prop)) << "the sound block is refused once the flipping has stopped";
    }
}
