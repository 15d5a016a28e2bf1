// Shared foundation: the text of the failed-call box.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "VerifyFailed.h"

TEST(CommonVerifyFailed, BoxTextNamesFileLineExpressionAndReason)
{
    const std::wstring str =
        GetVerifyFailedText(L"lock.Lock(m_dwMutexWait)", L"..\\ZvCommon\\LogManager", 123, ERROR_INVALID_HANDLE);
    const std::wstring strHead =
        L"ファイル ..\\ZvCommon\\LogManager の 123 行目で以下の呼出が失敗しました.\n\n式  ： lock.Lock(m_dwMutexWait)\n\n理由： ";
    EXPECT_EQ(str.rfind(strHead, 0), 0u) << str;
    const std::wstring strTail = L"\nエラーコード： 6\n";
    ASSERT_GT(str.size(), strHead.size() + strTail.size()) << str;  // the system's reason is there
    EXPECT_EQ(str.substr(str.size() - strTail.size()), strTail);
    // The reason's own line break is not doubled.
    EXPECT_EQ(str.find(L"\r"), std::wstring::npos) << str;
}

TEST(CommonVerifyFailed, LongTextsAreNotCut)
{
    const std::wstring strExpr(2000, L'x');
    const std::wstring str = GetVerifyFailedText(strExpr.c_str(), L"File", 1, 5);
    EXPECT_NE(str.find(strExpr), std::wstring::npos);
    const std::wstring strTail = L"\nエラーコード： 5\n";
    ASSERT_GT(str.size(), strTail.size());
    EXPECT_EQ(str.substr(str.size() - strTail.size()), strTail);
    // A code the system has no text for still gives the whole box text.
    const std::wstring strUnknown = GetVerifyFailedText(L"e", L"f", 2, 0x2FFFFFFF);
    EXPECT_NE(strUnknown.find(L"\n\n理由： \nエラーコード： 805306367\n"), std::wstring::npos) << strUnknown;
}

// The save a program registers runs once, on its own thread, before the box; a failed check inside
// the save (it may take the lock that failed) does not run it again.
TEST(CommonVerifyFailed, TheRegisteredSaveRunsOnceOnItsOwnThread)
{
    static int s_nSaves = 0;
    static BOOL s_bInner = TRUE;
    s_nSaves = 0;
    SetVerifyFailedSave(
        [](void* pContext) {
            ++*static_cast<int*>(pContext);
            s_bInner = RunVerifyFailedSave();
        },
        &s_nSaves);
    BOOL bOther = TRUE;
    std::thread([&] { bOther = RunVerifyFailedSave(); }).join();
    EXPECT_FALSE(bOther) << "another thread ran the save";
    EXPECT_EQ(0, s_nSaves);
    EXPECT_TRUE(RunVerifyFailedSave());
    EXPECT_EQ(1, s_nSaves);
    EXPECT_FALSE(s_bInner) << "the save ran inside itself";
    EXPECT_FALSE(RunVerifyFailedSave());
    EXPECT_EQ(1, s_nSaves);
    SetVerifyFailedSave(nullptr, nullptr);
    EXPECT_FALSE(RunVerifyFailedSave());
}
