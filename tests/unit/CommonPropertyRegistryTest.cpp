// Settings record against the registry: defaults, round trip, the load's conversions and
// write-backs, the desktop rescale and damaged values. Each test process works under
// HKCU\Software\ZvTest.Reg\P<pid> and deletes it afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "OSClass.h"
#include "Profile.h"
#include "PropertyRegistry.h"
#include "PropertySet.h"
#include "Strings.h"

namespace {

int g_nBoxes = 0;
std::wstring g_strBoxText;
std::wstring g_strBoxCaption;
int CountingBox(LPCWSTR pszText, LPCWSTR pszCaption, UINT)
{
    ++g_nBoxes;
    g_strBoxText = pszText;
    g_strBoxCaption = pszCaption;
    return IDOK;
}

class CommonPropertyRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_strProfile = FormatString(L"P%lu", GetCurrentProcessId());
        m_profile.SetRegistryKey(L"ZvTest.Reg");
        m_profile.SetProfileName(m_strProfile.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, ProfilePath().c_str());
        g_nBoxes = 0;
        g_strBoxText.clear();
        m_pfnOldBox = SetPropertyInfoBoxProc(CountingBox);
        SetOSClassOverride(5);
    }
    void TearDown() override
    {
        ClearPropertyLists(m_prop);
        SetOSClassOverride(-1);
        SetPropertyInfoBoxProc(m_pfnOldBox);
        RegDeleteTreeW(HKEY_CURRENT_USER, ProfilePath().c_str());
        // Gone only when no other test process still has its profile below it.
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ZvTest.Reg");
    }

    std::wstring ProfilePath() const { return L"Software\\ZvTest.Reg\\" + m_strProfile; }

    void SetRaw(LPCWSTR pszSection, LPCWSTR pszName, DWORD dwType, const void* pv, DWORD cb)
    {
        HKEY hKey = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, m_profile.GetSectionKeyPath(pszSection).c_str(), 0, nullptr,
                                  0, KEY_WRITE, nullptr, &hKey, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(hKey, pszName, 0, dwType, static_cast<const BYTE*>(pv), cb), ERROR_SUCCESS);
        RegCloseKey(hKey);
    }
    void SetInt(LPCWSTR pszSection, const std::wstring& strName, int n)
    {
        EXPECT_TRUE(m_profile.WriteInt(pszSection, strName.c_str(), n));
    }
    void SetText(LPCWSTR pszSection, const std::wstring& strName, const std::wstring& str)
    {
        EXPECT_TRUE(m_profile.WriteString(pszSection, strName.c_str(), str.c_str()));
    }
    std::optional<int> GetInt(LPCWSTR pszSection, const std::wstring& strName) const
    {
        DWORD dw = 0, cb = sizeof(dw);
        if (RegGetValueW(HKEY_CURRENT_USER, m_profile.GetSectionKeyPath(pszSection).c_str(), strName.c_str(),
                         RRF_RT_REG_DWORD, nullptr, &dw, &cb) != ERROR_SUCCESS)
            return std::nullopt;
        return static_cast<int>(dw);
    }
    std::optional<std::wstring> GetText(LPCWSTR pszSection, const std::wstring& strName) const
    {
        const std::wstring str = m_profile.GetString(pszSection, strName.c_str(), PROP_NO_ENTRY);
        if (str == PROP_NO_ENTRY)
            return std::nullopt;
        return str;
    }
    BOOL SectionExists(LPCWSTR pszSection) const
    {
        HKEY hKey = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, m_profile.GetSectionKeyPath(pszSection).c_str(), 0, KEY_READ, &hKey)
            != ERROR_SUCCESS)
            return FALSE;
        RegCloseKey(hKey);
        return TRUE;
    }
    DWORD ValueCount(LPCWSTR pszSection) const
    {
        HKEY hKey = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, m_profile.GetSectionKeyPath(pszSection).c_str(), 0, KEY_READ, &hKey)
            != ERROR_SUCCESS)
            return 0;
        DWORD dwCount = 0;
        RegQueryInfoKeyW(hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &dwCount, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(hKey);
        return dwCount;
    }
    static std::wstring KeyName(int nEntry, int n) { return FormatString(g_aKeyAssignDef[nEntry].pszKeyFormat, n); }
    static std::wstring TitleName(int n) { return FormatString(PROP_FIX_TITLE_FORMAT, n); }
    static std::wstring AppName(int n) { return FormatString(PROP_FIX_APP_FORMAT, n); }
    static RECT Desktop()
    {
        RECT rc = {};
        GetWindowRect(GetDesktopWindow(), &rc);
        return rc;
    }

    void Load()
    {
        ClearPropertyLists(m_prop);
        EXPECT_TRUE(LoadProperty(m_prop, m_profile));
    }

    std::wstring m_strProfile;
    CProfile m_profile;
    PROPERTY_SET m_prop;
    PROP_INFO_BOX_PROC m_pfnOldBox = nullptr;
};

std::vector<BYTE> Keys(std::initializer_list<int> l)
{
    std::vector<BYTE> v;
    for (int n : l)
        v.push_back(static_cast<BYTE>(n));
    return v;
}

}  // namespace

TEST_F(CommonPropertyRegistry, EmptyKeyGivesEveryDefaultAndWritesOnlyKeysAndListEnds)
{
    Load();
    const PROPERTY_SET& p = m_prop;
    EXPECT_EQ(p.propVer.nMajor, -999);
    EXPECT_EQ(p.propVer.nMinor, -999);
    EXPECT_EQ(p.propVer.strAdditionalString, PROP_NO_ENTRY);

    for (const auto& def : g_aPropTimerValues)
        EXPECT_EQ(p.propTimer.*def.pField, def.tDefault) << def.pszName;
    EXPECT_EQ(p.propTimer.dwResolution, 100u);
    EXPECT_EQ(p.propTimer.dwAliveNotificationReceiveLimit, 120000u);

    for (int e = 0; e < SCRLWDTH_COUNT; ++e)
        for (int f = 0; f < SCRLWDTH_FIELDS; ++f)
            EXPECT_EQ(p.propScrlWdth.aScrlWdth[e].*g_apScrlWdthField[f],
                      g_propScrlWdthDefault.aScrlWdth[e].*g_apScrlWdthField[f]);
    ASSERT_EQ(p.lstScrlRate.size(), 3u);
    EXPECT_EQ(p.lstScrlRate[0].nCnt, 50);
    EXPECT_EQ(p.lstScrlRate[0].nWidth, 10);

    for (const auto& def : g_aPropViewValues)
        EXPECT_EQ(p.propView.*def.pField, def.tDefault);
    for (const auto& def : g_aPropFixValues)
        EXPECT_EQ(p.propFix.*def.pField, def.tDefault);
    for (const auto& def : g_aPropWindowValues)
        EXPECT_EQ(p.propWindow.*def.pField, def.tDefault) << def.pszName;
    EXPECT_EQ(p.propWindow.byIgnoreActivateScrollKey, VK_CONTROL);
    for (const auto& def : g_aPropUndoValues)
        EXPECT_EQ(p.propUndo.*def.pField, def.tDefault) << def.pszName;
    for (const auto& def : g_aPropAtScrlValues)
        EXPECT_EQ(p.propAtScrl.*def.pField, def.tDefault) << def.pszName;
    EXPECT_TRUE(p.propFix.lstTitle.empty());
    EXPECT_TRUE(p.propFix.lstApp.empty());

    PROP_POSSIZE def = {};
    GetDefaultPosSize(def);
    EXPECT_EQ(p.propPosSize.nHorzOrgX, def.nHorzOrgX);
    EXPECT_EQ(p.propPosSize.nHorzWidth, def.nHorzWidth);
    EXPECT_EQ(p.propPosSize.nVertOrgY, def.nVertOrgY);
    EXPECT_EQ(p.propPosSize.nVertHeight, def.nVertHeight);
    EXPECT_EQ(p.propPosSize.hWndHorz, 0u);

    for (int e = 0; e < KEYASSIGN_COUNT; ++e) {
        EXPECT_TRUE(p.propKeybd.aKeyAssign[e].bEnable);
        const std::vector<BYTE> lstDefault = GetDefaultKeyList(e);
        EXPECT_EQ(p.propKeybd.aKeyAssign[e].lstKey, lstDefault) << e;
        for (size_t i = 0; i < lstDefault.size(); ++i)
            EXPECT_EQ(GetInt(PROP_SECTION_KEYBOARD, KeyName(e, static_cast<int>(i))), lstDefault[i]);
        EXPECT_EQ(GetInt(PROP_SECTION_KEYBOARD, KeyName(e, static_cast<int>(lstDefault.size()))), 0);
    }
    // Only the key values and the two end texts were written: no rescale, no save.
    EXPECT_EQ(ValueCount(PROP_SECTION_KEYBOARD), 4u * 4 + 4u * 5 + 2u * 4);
    EXPECT_EQ(GetText(PROP_SECTION_FIX, TitleName(0)), PROP_FIX_TITLE_END);
    EXPECT_EQ(GetText(PROP_SECTION_FIX, AppName(0)), PROP_FIX_APP_END);
    EXPECT_EQ(ValueCount(PROP_SECTION_FIX), 2u);
    for (LPCWSTR psz : {PROP_SECTION_VERSION, PROP_SECTION_TIMER, PROP_SECTION_SCROLL, PROP_SECTION_SCROLL_RATE,
                        PROP_SECTION_POSSIZE, PROP_SECTION_VIEW, PROP_SECTION_WINDOW, PROP_SECTION_UNDO,
                        PROP_SECTION_ATSCRL})
        EXPECT_FALSE(SectionExists(psz)) << psz;
    EXPECT_EQ(g_nBoxes, 0);
}

TEST_F(CommonPropertyRegistry, SaveThenLoadRoundTripsEverySection)
{
    Load();
    PROPERTY_SET& p = m_prop;
    p.propTimer.dwAutoScroll = 150;
    p.propTimer.dwLogProcessStartDetect = 3000;
    p.propTimer.dwPropertyProcessAliveDetect = 4000;
    p.propTimer.dwPropertyProcessDeadDetect = 300;
    p.propTimer.dwIgnoreScrollByActivateOperation = 5000;
    for (int e = 0; e < SCRLWDTH_COUNT; ++e)
        p.propScrlWdth.aScrlWdth[e] = {e % 4, 100 + e, 200 + e, 1 + e % 10};
    p.propPosSize = {11, 12, 300, 20, 500, 60, 18, 240, 0x1234, 0x5678};
    p.propView = {0, 1, 1, 0, 0, 0, 1, 1, 7, 6};
    p.propKeybd.aKeyAssign[0] = {FALSE, Keys({16, 17, 18, 37})};
    p.propKeybd.aKeyAssign[3] = {FALSE, Keys({0x10, 0x11, 0x12, 0x41, 0x42, 0x43, 0x44, 0x45})};
    p.propKeybd.aKeyAssign[8] = {FALSE, Keys({17, 18, 'U'})};
    p.propKeybd.aKeyAssign[9] = {TRUE, Keys({17, 18, 0x70})};
    p.propFix.bScrollTitledWindowOnly = FALSE;
    p.propFix.lstTitle = {L"無題 - メモ帳", L"Calculator", L"設定"};
    p.propFix.lstApp = {L"エディタ.exe", L"notepad.exe"};
    p.propWindow.nActivateMode = 2;
    p.propWindow.bMaximizeCancel = TRUE;
    p.propWindow.bRestoreAbsPos = TRUE;
    p.propWindow.bIgnoreActivateScroll = FALSE;
    p.propWindow.byIgnoreActivateScrollKey = VK_SHIFT;
    p.propWindow.nIgnoreActivateScrollCnt = 3;
    p.propUndo = {77, 0, 0, 1, 1, 4};
    p.propAtScrl = {2, 15, 25, 120, 12, 1};
    EXPECT_TRUE(SaveProperty(p, m_profile));

    // What the save stamps and what it leaves alone.
    EXPECT_EQ(GetInt(PROP_SECTION_VERSION, L"Major"), 9);
    EXPECT_EQ(GetInt(PROP_SECTION_VERSION, L"Minor"), 0);
    EXPECT_EQ(GetText(PROP_SECTION_VERSION, PROP_VER_ADDITIONAL_STRING), L"Ver. 9.00 Release Build");
    EXPECT_EQ(GetInt(PROP_SECTION_TIMER, L"Resolution"), 20);
    EXPECT_FALSE(GetInt(PROP_SECTION_TIMER, L"Alive notification send interval with Hook Gateway"));
    EXPECT_FALSE(GetInt(PROP_SECTION_VIEW, L"bTransparentEnable"));
    EXPECT_EQ(ValueCount(PROP_SECTION_VIEW), 9u);
    EXPECT_EQ(GetInt(PROP_SECTION_SCROLL_RATE, L"Scroll Rate Cnt #10"), 100);
    EXPECT_EQ(GetInt(PROP_SECTION_SCROLL_RATE, L"Scroll Rate Width #4"), 33);
    EXPECT_FALSE(GetInt(PROP_SECTION_SCROLL_RATE, L"Scroll Rate Cnt #11"));
    EXPECT_EQ(GetInt(PROP_SECTION_POSSIZE, L"Desktop Width"), Desktop().right - Desktop().left);
    EXPECT_EQ(GetInt(PROP_SECTION_KEYBOARD, L"Arrow"), 0);
    EXPECT_EQ(GetInt(PROP_SECTION_FIX, L"Fix Gadget"), 1);
    EXPECT_EQ(GetText(PROP_SECTION_FIX, TitleName(3)), PROP_FIX_TITLE_END);

    PROPERTY_SET q;
    ASSERT_TRUE(LoadProperty(q, m_profile));
    EXPECT_EQ(q.propVer.nMajor, 9);
    EXPECT_EQ(q.propVer.strAdditionalString, L"Ver. 9.00 Release Build");
    EXPECT_EQ(q.propTimer.dwResolution, 20u);
    EXPECT_EQ(q.propTimer.dwScroll, 20u);
    EXPECT_EQ(q.propTimer.dwAutoScroll, 150u);
    EXPECT_EQ(q.propTimer.dwLogProcessStartDetect, 3000u);
    EXPECT_EQ(q.propTimer.dwPropertyProcessAliveDetect, 4000u);
    EXPECT_EQ(q.propTimer.dwPropertyProcessDeadDetect, 300u);
    EXPECT_EQ(q.propTimer.dwIgnoreScrollByActivateOperation, 5000u);
    for (int e = 0; e < SCRLWDTH_COUNT; ++e)
        for (int f = 0; f < SCRLWDTH_FIELDS; ++f)
            EXPECT_EQ(q.propScrlWdth.aScrlWdth[e].*g_apScrlWdthField[f],
                      p.propScrlWdth.aScrlWdth[e].*g_apScrlWdthField[f]);
    EXPECT_EQ(q.lstScrlRate.size(), 11u);
    EXPECT_EQ(q.propPosSize.nHorzOrgX, 11);
    EXPECT_EQ(q.propPosSize.nHorzOrgY, 12);
    EXPECT_EQ(q.propPosSize.nHorzWidth, 300);
    EXPECT_EQ(q.propPosSize.nHorzHeight, 20);
    EXPECT_EQ(q.propPosSize.nVertOrgX, 500);
    EXPECT_EQ(q.propPosSize.nVertOrgY, 60);
    EXPECT_EQ(q.propPosSize.nVertWidth, 18);
    EXPECT_EQ(q.propPosSize.nVertHeight, 240);
    EXPECT_EQ(q.propPosSize.hWndHorz, 0u);
    EXPECT_EQ(q.propPosSize.hWndVert, 0u);
    EXPECT_EQ(q.propView.bTopMost, 0);
    EXPECT_EQ(q.propView.bHide, 1);
    EXPECT_EQ(q.propView.bMouseMove, 1);
    EXPECT_EQ(q.propView.bHorizontal, 0);
    EXPECT_EQ(q.propView.bTrayIcon, 0);
    EXPECT_EQ(q.propView.bTransparentEnable, 1);
    EXPECT_EQ(q.propView.bSmoothScroll, 1);
    EXPECT_EQ(q.propView.nSpeed, 7);
    EXPECT_EQ(q.propView.nTransparent, 6);
    for (int e = 0; e < 8; ++e)
        EXPECT_FALSE(q.propKeybd.aKeyAssign[e].bEnable);
    EXPECT_FALSE(q.propKeybd.aKeyAssign[8].bEnable);
    EXPECT_TRUE(q.propKeybd.aKeyAssign[9].bEnable);
    for (int e = 0; e < KEYASSIGN_COUNT; ++e)
        EXPECT_EQ(q.propKeybd.aKeyAssign[e].lstKey, p.propKeybd.aKeyAssign[e].lstKey) << e;
    EXPECT_EQ(q.propFix.bScrollTitledWindowOnly, 0);
    EXPECT_EQ(q.propFix.bFixGadget, 1);
    EXPECT_EQ(q.propFix.lstTitle, p.propFix.lstTitle);
    EXPECT_EQ(q.propFix.lstApp, p.propFix.lstApp);
    EXPECT_EQ(q.propWindow.nActivateMode, 2);
    EXPECT_EQ(q.propWindow.bMaximizeCancel, 1);
    EXPECT_EQ(q.propWindow.bRestoreAbsPos, 1);
    EXPECT_EQ(q.propWindow.bIgnoreActivateScroll, 0);
    EXPECT_EQ(q.propWindow.byIgnoreActivateScrollKey, VK_SHIFT);
    EXPECT_EQ(q.propWindow.nIgnoreActivateScrollCnt, 3);
    EXPECT_EQ(q.propUndo.nDepth, 77);
    EXPECT_EQ(q.propUndo.bScroll, 0);
    EXPECT_EQ(q.propUndo.bAlign, 0);
    EXPECT_EQ(q.propUndo.bResize, 1);
    EXPECT_EQ(q.propUndo.bUndoResizeWnd, 1);
    EXPECT_EQ(q.propUndo.nSaveTimeUndoDataInWheelScroll, 4);
    EXPECT_EQ(q.propAtScrl.nMode, 2);
    EXPECT_EQ(q.propAtScrl.nExternalRange, 15);
    EXPECT_EQ(q.propAtScrl.nExternalSpeed, 25);
    EXPECT_EQ(q.propAtScrl.nInternalRange, 120);
    EXPECT_EQ(q.propAtScrl.nInternalSpeed, 12);
    EXPECT_EQ(q.propAtScrl.nDelay, 1);
    ClearPropertyLists(q);
}

TEST_F(CommonPropertyRegistry, StoredValuesAreHonouredAndDerivedValuesFollowSmoothScroll)
{
    SetInt(PROP_SECTION_VIEW, L"SmoothScroll", 1);
    SetInt(PROP_SECTION_VIEW, L"TopMost", 2);  // a flag other than 1 reads as 0
    SetInt(PROP_SECTION_VIEW, L"Speed", 12);
    SetInt(PROP_SECTION_TIMER, L"Resolution", 55);  // never read
    SetInt(PROP_SECTION_TIMER, L"Auto Scroll", 321);
    SetInt(PROP_SECTION_SCROLL_RATE, L"Scroll Rate Cnt #0", 1);  // never read
    SetInt(PROP_SECTION_KEYBOARD, L"Arrow", 2);
    SetInt(PROP_SECTION_FIX, L"Fix Gadget", 0);  // never read
    SetInt(PROP_SECTION_WINDOW, L"Ignore Activate Scroll Key", 0x310);  // the low byte
    SetInt(PROP_SECTION_UNDO, L"Depth", 9);
    Load();
    EXPECT_EQ(m_prop.propView.bSmoothScroll, 1);
    EXPECT_EQ(m_prop.propView.bTopMost, 0);
    EXPECT_EQ(m_prop.propView.nSpeed, 12);
    EXPECT_EQ(m_prop.propTimer.dwResolution, 20u);
    EXPECT_EQ(m_prop.propTimer.dwScroll, 20u);
    EXPECT_EQ(m_prop.propTimer.dwAutoScroll, 321u);
    ASSERT_EQ(m_prop.lstScrlRate.size(), 11u);
    EXPECT_EQ(m_prop.lstScrlRate[4].nCnt, 45);
    EXPECT_EQ(m_prop.lstScrlRate[4].nWidth, 33);
    EXPECT_EQ(m_prop.propFix.bFixGadget, 1);
    EXPECT_EQ(m_prop.propWindow.byIgnoreActivateScrollKey, 0x10);
    EXPECT_EQ(m_prop.propUndo.nDepth, 9);
    // "Arrow" 2 disables every scroll key; disabled entries get no default keys written.
    for (int e = 0; e < 8; ++e) {
        EXPECT_FALSE(m_prop.propKeybd.aKeyAssign[e].bEnable);
        EXPECT_TRUE(m_prop.propKeybd.aKeyAssign[e].lstKey.empty());
        EXPECT_FALSE(GetInt(PROP_SECTION_KEYBOARD, KeyName(e, 0)));
    }
    EXPECT_EQ(m_prop.propKeybd.aKeyAssign[8].lstKey, GetDefaultKeyList(8));
}

TEST_F(CommonPropertyRegistry, KeyListsEndAtZeroOrBadCodeAndSkipKeysThatMayNotBeAssigned)
{
    // 17, 18, 300: the list ends at 300, and 0 is written there.
    SetInt(PROP_SECTION_KEYBOARD, KeyName(0, 0), 17);
    SetInt(PROP_SECTION_KEYBOARD, KeyName(0, 1), 18);
    SetInt(PROP_SECTION_KEYBOARD, KeyName(0, 2), 300);
    // 0 ends the list; what follows is never read.
    SetInt(PROP_SECTION_KEYBOARD, KeyName(1, 0), 17);
    SetInt(PROP_SECTION_KEYBOARD, KeyName(1, 1), 0);
    SetInt(PROP_SECTION_KEYBOARD, KeyName(1, 2), 65);
    // Windows key (0x5B) and Enter (0x0D) may not be assigned.
    SetInt(PROP_SECTION_KEYBOARD, KeyName(2, 0), 0x5B);
    SetInt(PROP_SECTION_KEYBOARD, KeyName(2, 1), 17);
    SetInt(PROP_SECTION_KEYBOARD, KeyName(2, 2), 0x0D);
    SetInt(PROP_SECTION_KEYBOARD, KeyName(2, 3), 66);
    // Nine keys: eight are taken and 0 is written at index 8.
    for (int i = 0; i < 9; ++i)
        SetInt(PROP_SECTION_KEYBOARD, KeyName(3, i), 0x41 + i);
    // Nothing assignable: the defaults replace it.
    SetInt(PROP_SECTION_KEYBOARD, KeyName(4, 0), 0x5B);
    // A negative code ends the list.
    SetInt(PROP_SECTION_KEYBOARD, KeyName(5, 0), 16);
    SetInt(PROP_SECTION_KEYBOARD, KeyName(5, 1), -17);
    Load();
    const auto& a = m_prop.propKeybd.aKeyAssign;
    EXPECT_EQ(a[0].lstKey, Keys({17, 18}));
    EXPECT_EQ(GetInt(PROP_SECTION_KEYBOARD, KeyName(0, 2)), 0);
    EXPECT_EQ(a[1].lstKey, Keys({17}));
    EXPECT_EQ(GetInt(PROP_SECTION_KEYBOARD, KeyName(1, 2)), 65);
    EXPECT_EQ(a[2].lstKey, Keys({17, 66}));
    EXPECT_EQ(GetInt(PROP_SECTION_KEYBOARD, KeyName(2, 4)), 0);
    EXPECT_EQ(a[3].lstKey, Keys({0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48}));
    EXPECT_EQ(GetInt(PROP_SECTION_KEYBOARD, KeyName(3, 8)), 0);
    EXPECT_EQ(a[4].lstKey, GetDefaultKeyList(4));
    EXPECT_EQ(GetInt(PROP_SECTION_KEYBOARD, KeyName(4, 0)), 17);
    EXPECT_EQ(GetInt(PROP_SECTION_KEYBOARD, KeyName(4, 3)), 0);
    EXPECT_EQ(a[5].lstKey, Keys({16}));

    // The save clears the old keys and writes the assignable ones without holes.
    m_prop.propKeybd.aKeyAssign[3].lstKey = Keys({17, 0x5B, 18, 0x41});
    m_prop.propKeybd.aKeyAssign[0].lstKey = Keys({17, 18, 0, 65});
    SaveKeyAssign(m_prop.propKeybd, m_profile);
    EXPECT_EQ(GetInt(PROP_SECTION_KEYBOARD, KeyName(3, 0)), 17);
    EXPECT_EQ(GetInt(PROP_SECTION_KEYBOARD, KeyName(3, 1)), 18);
    EXPECT_EQ(GetInt(PROP_SECTION_KEYBOARD, KeyName(3, 2)), 0x41);
    for (int i = 3; i < 8; ++i)
        EXPECT_EQ(GetInt(PROP_SECTION_KEYBOARD, KeyName(3, i)), 0) << i;
    EXPECT_EQ(GetInt(PROP_SECTION_KEYBOARD, KeyName(0, 2)), 0);
    PROPERTY_SET q;
    LoadProperty(q, m_profile);
    EXPECT_EQ(q.propKeybd.aKeyAssign[3].lstKey, Keys({17, 18, 0x41}));
    EXPECT_EQ(q.propKeybd.aKeyAssign[0].lstKey, Keys({17, 18}));
    ClearPropertyLists(q);
}

TEST_F(CommonPropertyRegistry, F10BecomesF11WithOneBoxOnlyWhereItCannotBeSeen)
{
    for (int e : {0, 8}) {
        SetInt(PROP_SECTION_KEYBOARD, KeyName(e, 0), 17);
        SetInt(PROP_SECTION_KEYBOARD, KeyName(e, 1), 18);
        SetInt(PROP_SECTION_KEYBOARD, KeyName(e, 2), 0x79);
    }
    SetOSClassOverride(5);
    Load();
    EXPECT_EQ(m_prop.propKeybd.aKeyAssign[0].lstKey, Keys({17, 18, 0x79}));
    EXPECT_EQ(g_nBoxes, 0);

    for (int nClass : {3, 4, 6, 7}) {
        g_nBoxes = 0;
        SetOSClassOverride(nClass);
        Load();
        EXPECT_EQ(m_prop.propKeybd.aKeyAssign[0].lstKey, Keys({17, 18, 0x7A})) << nClass;
        EXPECT_EQ(m_prop.propKeybd.aKeyAssign[8].lstKey, Keys({17, 18, 0x7A})) << nClass;
        EXPECT_EQ(g_nBoxes, 1) << nClass;
        // The registry keeps F10 until the next save.
        EXPECT_EQ(GetInt(PROP_SECTION_KEYBOARD, KeyName(0, 2)), 0x79);
    }
    EXPECT_EQ(g_strBoxCaption, L"Zuvora!");
    EXPECT_EQ(g_strBoxText, std::wstring(L"キーボード操作でF10キーに割り当てられた操作がありましたが,\n"
                                         L"このOSではF10キー操作が検出できませんのでF11キーに置換\n"
                                         L"しました. メニューからプロパティを表示し, ご確認ください."));
}

TEST_F(CommonPropertyRegistry, OldTitleListIsRewrittenInThePresentFormat)
{
    SetInt(PROP_SECTION_VERSION, L"Major", 5);
    SetText(PROP_SECTION_FIX, FormatString(PROP_FIX_OLD_TITLE_FORMAT, 0), L"無題 - メモ帳");
    SetText(PROP_SECTION_FIX, FormatString(PROP_FIX_OLD_TITLE_FORMAT, 1), L"電卓");
    SetText(PROP_SECTION_FIX, FormatString(PROP_FIX_OLD_TITLE_FORMAT, 2), PROP_FIX_OLD_TITLE_END);
    SetText(PROP_SECTION_FIX, FormatString(PROP_FIX_OLD_TITLE_FORMAT, 3), L"after the end");
    SetText(PROP_SECTION_FIX, AppName(0), L"アプリ.exe");
    Load();
    EXPECT_EQ(m_prop.propFix.lstTitle, (std::vector<std::wstring>{L"無題 - メモ帳", L"電卓"}));
    EXPECT_EQ(m_prop.propFix.lstApp, (std::vector<std::wstring>{L"アプリ.exe"}));
    EXPECT_EQ(GetText(PROP_SECTION_FIX, TitleName(0)), L"無題 - メモ帳");
    EXPECT_EQ(GetText(PROP_SECTION_FIX, TitleName(1)), L"電卓");
    EXPECT_EQ(GetText(PROP_SECTION_FIX, TitleName(2)), PROP_FIX_TITLE_END);
    EXPECT_EQ(GetText(PROP_SECTION_FIX, AppName(1)), PROP_FIX_APP_END);

    // Saved once, the record loads from the present names alone.
    SaveProperty(m_prop, m_profile);
    PROPERTY_SET q;
    LoadProperty(q, m_profile);
    EXPECT_EQ(q.propFix.lstTitle, m_prop.propFix.lstTitle);
    ClearPropertyLists(q);
}

TEST_F(CommonPropertyRegistry, ListGapsAreSkippedAndTheEndFollowsTheLastEntry)
{
    SetInt(PROP_SECTION_VERSION, L"Major", 9);
    SetText(PROP_SECTION_FIX, TitleName(0), L"A");
    SetText(PROP_SECTION_FIX, TitleName(2), L"");
    SetText(PROP_SECTION_FIX, TitleName(3), L"B");
    SetText(PROP_SECTION_FIX, TitleName(6), PROP_FIX_TITLE_END);
    SetText(PROP_SECTION_FIX, AppName(1), L"x.exe");
    Load();
    EXPECT_EQ(m_prop.propFix.lstTitle, (std::vector<std::wstring>{L"A", L"B"}));
    EXPECT_EQ(m_prop.propFix.lstApp, (std::vector<std::wstring>{L"x.exe"}));
    EXPECT_EQ(GetText(PROP_SECTION_FIX, TitleName(4)), PROP_FIX_TITLE_END);
    EXPECT_EQ(GetText(PROP_SECTION_FIX, AppName(2)), PROP_FIX_APP_END);
    // Present data is not rewritten: the gap stays.
    EXPECT_FALSE(GetText(PROP_SECTION_FIX, TitleName(1)));
}

TEST_F(CommonPropertyRegistry, TitlesSurviveALostVersionSection)
{
    SetText(PROP_SECTION_FIX, TitleName(0), L"固定ウィンドウ");
    SetText(PROP_SECTION_FIX, TitleName(1), PROP_FIX_TITLE_END);
    Load();
    EXPECT_EQ(m_prop.propFix.lstTitle, (std::vector<std::wstring>{L"固定ウィンドウ"}));
    EXPECT_EQ(GetText(PROP_SECTION_FIX, TitleName(0)), L"固定ウィンドウ");
    EXPECT_EQ(GetText(PROP_SECTION_FIX, TitleName(1)), PROP_FIX_TITLE_END);
}

TEST_F(CommonPropertyRegistry, EndlessListsAreCutAt256)
{
    SetInt(PROP_SECTION_VERSION, L"Major", 9);
    for (int i = 0; i < 300; ++i)
        SetText(PROP_SECTION_FIX, TitleName(i), FormatString(L"窓%d", i));
    Load();
    ASSERT_EQ(m_prop.propFix.lstTitle.size(), 256u);
    EXPECT_EQ(m_prop.propFix.lstTitle.back(), L"窓255");
    EXPECT_EQ(GetText(PROP_SECTION_FIX, TitleName(256)), PROP_FIX_TITLE_END);

    m_prop.propFix.lstTitle.clear();
    for (int i = 0; i < 400; ++i)
        m_prop.propFix.lstTitle.push_back(FormatString(L"more%d", i));
    SaveFixLists(m_prop.propFix, m_profile);
    EXPECT_EQ(GetText(PROP_SECTION_FIX, TitleName(255)), L"more255");
    EXPECT_EQ(GetText(PROP_SECTION_FIX, TitleName(256)), PROP_FIX_TITLE_END);
    EXPECT_EQ(GetText(PROP_SECTION_FIX, TitleName(257)), L"窓257");  // beyond the end: never read
}

TEST(CommonPropertyRescale, ScalesEachAxisAndKeepsTheMinimumSizes)
{
    PROP_POSSIZE p = {1000, 100, 200, 18, 1260, 90, 19, 300, 7, 8};
    ASSERT_TRUE(CalcRescalePosSize(p, RECT{0, 0, 1920, 1080}, 1280, 1024, 17, 17));
    EXPECT_EQ(p.nHorzOrgX, 1500);
    EXPECT_EQ(p.nHorzWidth, 300);
    EXPECT_EQ(p.nVertOrgX, 1890);
    EXPECT_EQ(p.nVertWidth, 19 * 1920 / 1280);
    EXPECT_EQ(p.nHorzOrgY, 100 * 1080 / 1024);
    EXPECT_EQ(p.nHorzHeight, 18 * 1080 / 1024);
    EXPECT_EQ(p.nVertOrgY, 90 * 1080 / 1024);
    EXPECT_EQ(p.nVertHeight, 300 * 1080 / 1024);
    EXPECT_EQ(p.hWndHorz, 7u);

    PROP_POSSIZE s = {0, 0, 10, 2, 0, 0, 2, 10, 0, 0};
    ASSERT_TRUE(CalcRescalePosSize(s, RECT{0, 0, 640, 480}, 1920, 1080, 17, 20));
    EXPECT_EQ(s.nHorzWidth, 4 * 17);
    EXPECT_EQ(s.nHorzHeight, 17 / 2);
    EXPECT_EQ(s.nVertWidth, 20 / 2);
    EXPECT_EQ(s.nVertHeight, 4 * 20);

    PROP_POSSIZE z = p;
    EXPECT_FALSE(CalcRescalePosSize(z, RECT{0, 0, 1920, 1080}, 0, 1024, 17, 17));
    EXPECT_FALSE(CalcRescalePosSize(z, RECT{0, 0, 1920, 1080}, 1280, -5, 17, 17));
    EXPECT_EQ(z.nHorzOrgX, p.nHorzOrgX);

    PROP_POSSIZE h = {INT_MAX, -INT_MAX, 5, 5, 0, 0, 5, 5, 0, 0};
    ASSERT_TRUE(CalcRescalePosSize(h, RECT{0, 0, 4000, 4000}, 1, 1, 17, 17));
    EXPECT_EQ(h.nHorzOrgX, INT_MAX);
    EXPECT_EQ(h.nHorzOrgY, INT_MIN);
}

TEST_F(CommonPropertyRegistry, ChangedDesktopRescalesAndSavesDuringTheLoad)
{
    const RECT rc = Desktop();
    const int nW = rc.right - rc.left, nH = rc.bottom - rc.top;
    const int nOldW = nW + 640, nOldH = nH + 256;
    SetInt(PROP_SECTION_POSSIZE, L"Desktop Width", nOldW);
    SetInt(PROP_SECTION_POSSIZE, L"Desktop Height", nOldH);
    const int aStored[8] = {800, 40, 400, 20, 1500, 120, 18, 600};
    for (int i = 0; i < 8; ++i)
        SetInt(PROP_SECTION_POSSIZE, g_aPropPosSizeValues[i].pszName, aStored[i]);
    Load();
    PROP_POSSIZE expected = {aStored[0], aStored[1], aStored[2], aStored[3], aStored[4], aStored[5], aStored[6],
                             aStored[7], 0, 0};
    CalcRescalePosSize(expected, rc, nOldW, nOldH, GetSystemMetrics(SM_CYHSCROLL), GetSystemMetrics(SM_CXVSCROLL));
    for (const auto& def : g_aPropPosSizeValues) {
        EXPECT_EQ(m_prop.propPosSize.*def.pField, expected.*def.pField) << def.pszName;
        EXPECT_EQ(GetInt(PROP_SECTION_POSSIZE, def.pszName), expected.*def.pField) << def.pszName;
    }
    EXPECT_EQ(GetInt(PROP_SECTION_POSSIZE, L"Desktop Width"), nW);
    EXPECT_EQ(GetInt(PROP_SECTION_POSSIZE, L"Desktop Height"), nH);
    EXPECT_EQ(GetInt(PROP_SECTION_VERSION, L"Major"), 9);  // the whole record was saved
    EXPECT_EQ(m_prop.propPosSize.hWndHorz, 0u);
}

TEST_F(CommonPropertyRegistry, ZeroStoredDesktopTakesTheDefaultRectangles)
{
    SetInt(PROP_SECTION_POSSIZE, L"Desktop Width", 0);
    SetInt(PROP_SECTION_POSSIZE, L"Horizontal Orgin X", 12345);
    Load();
    PROP_POSSIZE def = {};
    GetDefaultPosSize(def);
    EXPECT_EQ(m_prop.propPosSize.nHorzOrgX, def.nHorzOrgX);
    EXPECT_EQ(GetInt(PROP_SECTION_POSSIZE, L"Desktop Width"), Desktop().right - Desktop().left);
}

TEST_F(CommonPropertyRegistry, BadValuesAreClampedOrDefaulted)
{
    SetInt(PROP_SECTION_UNDO, L"Depth", -5);
    SetInt(PROP_SECTION_UNDO, L"Save Time Undo Data In Wheel Scroll", 9);
    SetInt(PROP_SECTION_VIEW, L"Speed", 1000000);
    SetInt(PROP_SECTION_VIEW, L"Transparent", 0);
    SetText(PROP_SECTION_VIEW, L"SmoothScroll", L"1");  // a text where a number belongs: default
    SetInt(PROP_SECTION_SCROLL, L"MouseHorzLineMode", 7);
    SetInt(PROP_SECTION_SCROLL, L"MouseHorzLineAbs", -20);
    SetInt(PROP_SECTION_SCROLL, L"WheelVertPageRel", 100000);
    SetInt(PROP_SECTION_SCROLL, L"KeybdVertLineScr", 0);
    SetInt(PROP_SECTION_WINDOW, L"ActivateMode", -1);
    SetInt(PROP_SECTION_WINDOW, L"Ignore Activate Scroll Cnt", 0);
    SetInt(PROP_SECTION_ATSCRL, L"Mode", 5);
    SetInt(PROP_SECTION_ATSCRL, L"Delay", 6);
    SetInt(PROP_SECTION_ATSCRL, L"External Range", 500);
    SetInt(PROP_SECTION_ATSCRL, L"Internal Range", 3);
    SetInt(PROP_SECTION_ATSCRL, L"External Speed", -1);
    SetInt(PROP_SECTION_ATSCRL, L"Internal Speed", 99);
    SetInt(PROP_SECTION_TIMER, L"Alive notification receive limit with Hook Gateway", 0);
    const BYTE abyBinary[3] = {1, 2, 3};
    SetRaw(PROP_SECTION_VERSION, L"Major", REG_BINARY, abyBinary, sizeof(abyBinary));
    SetRaw(PROP_SECTION_KEYBOARD, KeyName(0, 0).c_str(), REG_SZ, L"17", 6);
    const DWORD dwNum = 42;
    SetRaw(PROP_SECTION_VERSION, PROP_VER_ADDITIONAL_STRING, REG_DWORD, &dwNum, sizeof(dwNum));
    Load();
    EXPECT_EQ(m_prop.propUndo.nDepth, 1);
    EXPECT_EQ(m_prop.propUndo.nSaveTimeUndoDataInWheelScroll, 2);
    EXPECT_EQ(m_prop.propView.nSpeed, 20);
    EXPECT_EQ(m_prop.propView.nTransparent, 2);
    EXPECT_EQ(m_prop.propView.bSmoothScroll, 0);
    const auto& w = m_prop.propScrlWdth.aScrlWdth;
    EXPECT_EQ(w[ScrlWdthIndex(0, 0, 0)].nMode, 0);
    EXPECT_EQ(w[ScrlWdthIndex(0, 0, 0)].nAbs, 1);
    EXPECT_EQ(w[ScrlWdthIndex(2, 1, 1)].nRel, 500);
    EXPECT_EQ(w[ScrlWdthIndex(1, 1, 0)].nScr, 1);
    EXPECT_EQ(m_prop.propWindow.nActivateMode, 1);
    EXPECT_EQ(m_prop.propWindow.nIgnoreActivateScrollCnt, 1);
    EXPECT_EQ(m_prop.propAtScrl.nMode, 3);
    EXPECT_EQ(m_prop.propAtScrl.nDelay, 4);
    EXPECT_EQ(m_prop.propAtScrl.nExternalRange, 200);
    EXPECT_EQ(m_prop.propAtScrl.nInternalRange, 200);
    EXPECT_EQ(m_prop.propAtScrl.nExternalSpeed, 10);
    EXPECT_EQ(m_prop.propAtScrl.nInternalSpeed, 30);
    EXPECT_EQ(m_prop.propTimer.dwAliveNotificationReceiveLimit, 120000u);
    EXPECT_EQ(m_prop.propVer.nMajor, -999);
    EXPECT_EQ(m_prop.propVer.strAdditionalString, PROP_NO_ENTRY);
    // The key value of the wrong type counts as absent: the defaults are written over it.
    EXPECT_EQ(m_prop.propKeybd.aKeyAssign[0].lstKey, GetDefaultKeyList(0));
    EXPECT_EQ(GetInt(PROP_SECTION_KEYBOARD, KeyName(0, 0)), 17);
}

TEST(CommonPropertyClamp, ValuesInRangeAreLeftAlone)
{
    PROPERTY_SET prop;
    prop.propScrlWdth = g_propScrlWdthDefault;
    prop.propTimer = {100, 100, 200, 10000, 10000, 200, 10000, 10000, 120000};
    prop.propView.nSpeed = 20;
    prop.propView.nTransparent = 2;
    prop.propWindow.nActivateMode = 0;
    prop.propWindow.nIgnoreActivateScrollCnt = 3;
    prop.propUndo.nDepth = 100;
    prop.propUndo.nSaveTimeUndoDataInWheelScroll = 0;
    prop.propAtScrl = {4, 10, 30, 10, 10, 5};
    const PROPERTY_SET before = prop;
    EXPECT_EQ(ClampPropertyValues(prop), 0);
    EXPECT_EQ(prop.propAtScrl.nInternalRange, before.propAtScrl.nInternalRange);
    prop.propScrlWdth.aScrlWdth[5].nMode = SCRLMODE_NONE;  // a mode of the record, not of the page
    EXPECT_EQ(ClampPropertyValues(prop), 0);
    prop.propAtScrl.nInternalRange = 9;
    EXPECT_EQ(ClampPropertyValues(prop), 1);
    EXPECT_EQ(prop.propAtScrl.nInternalRange, 10);
}
