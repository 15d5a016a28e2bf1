// OS classes, the start-up check on each class and the message filter.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "OSClass.h"

namespace {

struct BOX_CALL { std::wstring strText, strCaption; UINT uType; };
std::vector<BOX_CALL> g_boxCalls;
int g_nBoxAnswer = IDOK;

int RecordingBox(LPCWSTR pszText, LPCWSTR pszCaption, UINT uType)
{
    g_boxCalls.push_back({pszText, pszCaption, uType});
    return g_nBoxAnswer;
}

// Each test forces a class and leaves the process as it found it.
class CommonOSCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_boxCalls.clear();
        g_nBoxAnswer = IDOK;
    }
    void TearDown() override
    {
        FreeUser32(&m_hUser32);
        SetOSClassOverride(-1);
    }
    BOOL Check(int nOSClass, BOOL& bAllow, bool bLoad = true)
    {
        SetOSClassOverride(nOSClass);
        return CheckOSAndLoadUser32(L"Caption", bLoad ? &m_hUser32 : nullptr, &bAllow, RecordingBox);
    }
    HMODULE m_hUser32 = nullptr;
};

} // namespace

TEST(CommonOSClass, ClassOfEachVersion)
{
    struct CASE { DWORD dwMajor, dwMinor; int nClass; };
    const CASE aCase[] = {{5, 0, 1}, {5, 1, 2}, {5, 2, 0}, {6, 0, 3}, {6, 1, 4}, {6, 2, 5}, {6, 3, 6}, {6, 4, 7},
                          {10, 0, 7}, {11, 5, 7}, {4, 0, 0}, {5, 9, 0},
                          // 0x1999999A * 10 would wrap to 4 in 32 bits.
                          {0x1999999A, 0, 7}};
    for (const CASE& c : aCase)
        EXPECT_EQ(GetOSClassOf(VER_PLATFORM_WIN32_NT, c.dwMajor, c.dwMinor), c.nClass) << c.dwMajor << "." << c.dwMinor;
    EXPECT_EQ(GetOSClassOf(VER_PLATFORM_WIN32_WINDOWS, 6, 1), 0);
    EXPECT_EQ(GetOSClassOf(VER_PLATFORM_WIN32s, 10, 0), 0);
}

TEST(CommonOSClass, RunningSystemAndOverride)
{
    OSVERSIONINFOEXW osvi{};
    osvi.dwOSVersionInfoSize = sizeof(osvi);
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&osvi)));
    const int nReal = GetOSClassOf(osvi.dwPlatformId, osvi.dwMajorVersion, osvi.dwMinorVersion);
    EXPECT_EQ(GetOSClass(), nReal);
    EXPECT_NE(nReal, 0);
    SetOSClassOverride(0);
    EXPECT_EQ(GetOSClass(), 0);
    SetOSClassOverride(-1);
    EXPECT_EQ(GetOSClass(), nReal);
}

TEST_F(CommonOSCheck, UnsupportedClassIsRefusedWithAnErrorBox)
{
    BOOL bAllow = TRUE;
    EXPECT_FALSE(Check(0, bAllow));
    ASSERT_EQ(g_boxCalls.size(), 1u);
    EXPECT_EQ(g_boxCalls[0].strText, L"このOSはサポートされていません.\nZuvora!を終了します.");
    EXPECT_EQ(g_boxCalls[0].strCaption, L"Caption");
    EXPECT_EQ(g_boxCalls[0].uType & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(m_hUser32, nullptr);
    EXPECT_EQ(GetAncestorProc(), nullptr);
    EXPECT_FALSE(IsMsgFilterOSClass(0));
}

TEST_F(CommonOSCheck, NewestClassAsksUnlessAllowed)
{
    const std::wstring strAsk =
        L"このOSはサポートされていません.\nZuvora!は正しく動作しない可能性があります.\nZuvora!を続行しますか？";
    BOOL bAllow = FALSE;
    g_nBoxAnswer = IDNO;
    EXPECT_FALSE(Check(7, bAllow));
    ASSERT_EQ(g_boxCalls.size(), 1u);
    EXPECT_EQ(g_boxCalls[0].strText, strAsk);
    EXPECT_EQ(g_boxCalls[0].uType & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(g_boxCalls[0].uType & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_FALSE(bAllow);
    EXPECT_EQ(m_hUser32, nullptr);

    g_boxCalls.clear();
    g_nBoxAnswer = IDYES;
    EXPECT_TRUE(Check(7, bAllow));
    EXPECT_EQ(g_boxCalls.size(), 1u);
    EXPECT_TRUE(bAllow);  // passed on to the children from now on
    EXPECT_NE(m_hUser32, nullptr);
    EXPECT_NE(ChangeWindowMessageFilterProc(), nullptr);
    EXPECT_TRUE(IsMsgFilterOSClass(7));

    // Once allowed (the option or the earlier Yes) it no longer asks.
    FreeUser32(&m_hUser32);
    g_boxCalls.clear();
    EXPECT_TRUE(Check(7, bAllow));
    EXPECT_TRUE(g_boxCalls.empty());
}

TEST_F(CommonOSCheck, SupportedClassesRunWithoutABox)
{
    for (int nClass = 1; nClass <= 6; ++nClass) {
        BOOL bAllow = FALSE;
        EXPECT_TRUE(Check(nClass, bAllow)) << nClass;
        EXPECT_FALSE(bAllow);
        EXPECT_NE(m_hUser32, nullptr);
        EXPECT_EQ(reinterpret_cast<void*>(GetAncestorProc()),
                  reinterpret_cast<void*>(GetProcAddress(m_hUser32, "GetAncestor")));
        const bool bFilter = nClass == 3 || nClass == 4 || nClass == 6;
        EXPECT_EQ(IsMsgFilterOSClass(nClass) != FALSE, bFilter) << nClass;
        EXPECT_EQ(ChangeWindowMessageFilterProc() != nullptr, bFilter) << nClass;
        FreeUser32(&m_hUser32);
        EXPECT_EQ(m_hUser32, nullptr);
        EXPECT_EQ(GetAncestorProc(), nullptr);
    }
    EXPECT_TRUE(g_boxCalls.empty());
}

TEST_F(CommonOSCheck, MessageFilterOnlyOnItsClassesAndNothingWithoutAModulePlace)
{
    BOOL bAllow = FALSE;
    // Class 5 loads no ChangeWindowMessageFilter, also after a class that did.
    ASSERT_TRUE(Check(4, bAllow));
    ASSERT_TRUE(Check(5, bAllow));
    EXPECT_EQ(ChangeWindowMessageFilterProc(), nullptr);
    EXPECT_EQ(ChangeWndMsgFilter(0x8040, MSGFLT_ADD), 0);
    FreeUser32(&m_hUser32);

    ASSERT_TRUE(Check(6, bAllow));
    for (UINT uMsg : {0x8040u, 0x8041u, 0x8042u, 0x8044u, 0x8045u}) {
        EXPECT_NE(ChangeWndMsgFilter(uMsg, MSGFLT_ADD), 0) << uMsg;
        EXPECT_NE(ChangeWndMsgFilter(uMsg, MSGFLT_REMOVE), 0) << uMsg;
    }
    FreeUser32(&m_hUser32);
    EXPECT_EQ(ChangeWndMsgFilter(0x8040, MSGFLT_ADD), 0);

    EXPECT_TRUE(Check(4, bAllow, false));
    EXPECT_EQ(GetAncestorProc(), nullptr);
    EXPECT_EQ(ChangeWindowMessageFilterProc(), nullptr);
}
