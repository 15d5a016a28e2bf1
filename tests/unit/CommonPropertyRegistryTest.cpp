// Settings record against the registry: defaults, round trip, the load's conversions and
// write-backs, the desktop rescale and damaged values. Each test process works under
// HKCU\Software\ZvTest.Reg\P<pid> and deletes it afterwards. Value names of the lists are
// spelled out here, as other versions of the programs read them.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "OSClass.h"
#include "Profile.h"
#include "PropertyRegistry.h"
#include "PropertySet.h"
#include "Strings.h"

namespace {

constexpr wchar_t kTitleEnd[] = L"%%% End of fixed window title array &&&";
constexpr wchar_t kAppEnd[] = L"%%% End of fixed window application array &&&";

int g_nBoxes = 0;
std::wstring g_strBoxText, g_strBoxCaption;
int CountingBox(LPCWSTR pszText, LPCWSTR pszCaption, UINT)
{
    ++g_nBoxes;
    g_strBoxText = pszText;
    g_strBoxCaption = pszCaption;
    return IDOK;
}

std::vector<BYTE> Keys(std::initializer_list<int> l) { return std::vector<BYTE>(l.begin(), l.end()); }

// Each field of the table equals the same field of *pOther, or its default without one.
template <class S, class T, size_t N>
void ExpectFields(const S& s, const PROP_VALUE_DEF<S, T> (&table)[N], const S* pOther = nullptr)
{
    for (const auto& def : table)
        EXPECT_EQ(s.*def.pField, pOther ? pOther->*def.pField : def.tDefault) << def.pszName;
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
    std::wstring SectionPath(LPCWSTR pszSection) const { return m_profile.GetSectionKeyPath(pszSection); }

    void SetRaw(LPCWSTR pszSection, LPCWSTR pszName, DWORD dwType, const void* pv, DWORD cb)
    {
        EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, SectionPath(pszSection).c_str(), pszName, dwType, pv, cb),
                  ERROR_SUCCESS);
    }
    void SetInt(LPCWSTR pszSection, const std::wstring& strName, int n)
    {
        EXPECT_TRUE(m_profile.WriteInt(pszSection, strName.c_str(), n));
    }
    void SetText(LPCWSTR pszSection, const std::wstring& strName, const std::wstring& str)
    {
        EXPECT_TRUE(m_profile.WriteString(pszSection, strName.c_str(), str.c_str()));
    }
    void SetKeys(int nEntry, std::initializer_list<int> keys)
    {
        int i = 0;
        for (int n : keys)
            SetInt(L"Keyboard", KeyName(nEntry, i++), n);
    }
    std::optional<int> GetInt(LPCWSTR pszSection, const std::wstring& strName) const
    {
        DWORD dw = 0, cb = sizeof(dw);
        if (RegGetValueW(HKEY_CURRENT_USER, SectionPath(pszSection).c_str(), strName.c_str(), RRF_RT_REG_DWORD,
                         nullptr, &dw, &cb) != ERROR_SUCCESS)
            return std::nullopt;
        return static_cast<int>(dw);
    }
    std::optional<std::wstring> GetText(LPCWSTR pszSection, const std::wstring& strName) const
    {
        const std::wstring str = m_profile.GetString(pszSection, strName.c_str(), PROP_NO_ENTRY);
        return str == PROP_NO_ENTRY ? std::nullopt : std::optional<std::wstring>(str);
    }
    // Values in the section; -1 when the section does not exist.
    int ValueCount(LPCWSTR pszSection) const
    {
        HKEY hKey = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionPath(pszSection).c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
            return -1;
        DWORD dwCount = 0;
        RegQueryInfoKeyW(hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &dwCount, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(hKey);
        return static_cast<int>(dwCount);
    }
    static std::wstring KeyName(int nEntry, int n) { return FormatString(g_aKeyAssignDef[nEntry].pszKeyFormat, n); }
    static std::wstring TitleName(int n) { return FormatString(L"Fixed Window By Title No.%d", n); }
    static std::wstring AppName(int n) { return FormatString(L"Fixed Window By App Name No.%d", n); }
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
    // A second record loaded from what the fixture's record left behind.
    PROPERTY_SET LoadOther()
    {
        PROPERTY_SET q;
        EXPECT_TRUE(LoadProperty(q, m_profile));
        return q;
    }

    std::wstring m_strProfile;
    CProfile m_profile;
    PROPERTY_SET m_prop;
    PROP_INFO_BOX_PROC m_pfnOldBox = nullptr;
};

}  // namespace

TEST_F(CommonPropertyRegistry, EmptyKeyGivesEveryDefaultAndWritesOnlyKeysAndListEnds)
{
    Load();
    const PROPERTY_SET& p = m_prop;
    EXPECT_EQ(p.propVer.nMajor, -999);
    EXPECT_EQ(p.propVer.nMinor, -999);
    EXPECT_EQ(p.propVer.strAdditionalString, L"### No entry $$$");
    ExpectFields(p.propTimer, g_aPropTimerValues);
    ExpectFields(p.propView, g_aPropViewValues);
    ExpectFields(p.propFix, g_aPropFixValues);
    ExpectFields(p.propWindow, g_aPropWindowValues);
    ExpectFields(p.propUndo, g_aPropUndoValues);
    ExpectFields(p.propAtScrl, g_aPropAtScrlValues);
    EXPECT_EQ(p.propWindow.byIgnoreActivateScrollKey, VK_CONTROL);
    EXPECT_EQ(memcmp(&p.propScrlWdth, &g_propScrlWdthDefault, sizeof(PROP_SCRLWDTH)), 0);
    ASSERT_EQ(p.lstScrlRate.size(), 3u);
    EXPECT_EQ(p.lstScrlRate[0].nCnt, 50);
    EXPECT_TRUE(p.propFix.lstTitle.empty());
    EXPECT_TRUE(p.propFix.lstApp.empty());

    PROP_POSSIZE def = {};
    GetDefaultPosSize(def);
    EXPECT_EQ(memcmp(&p.propPosSize, &def, sizeof(def)), 0);

    for (int e = 0; e < KEYASSIGN_COUNT; ++e) {
        EXPECT_TRUE(p.propKeybd.aKeyAssign[e].bEnable);
        const std::vector<BYTE> lstDefault = GetDefaultKeyList(e);
        EXPECT_EQ(p.propKeybd.aKeyAssign[e].lstKey, lstDefault) << e;
        for (size_t i = 0; i <= lstDefault.size(); ++i)
            EXPECT_EQ(GetInt(L"Keyboard", KeyName(e, static_cast<int>(i))), i < lstDefault.size() ? lstDefault[i] : 0);
    }
    // Only the key values and the two end texts were written: no rescale, no save.
    EXPECT_EQ(ValueCount(L"Keyboard"), 4 * 4 + 4 * 5 + 2 * 4);
    EXPECT_EQ(GetText(L"Fix", TitleName(0)), kTitleEnd);
    EXPECT_EQ(GetText(L"Fix", AppName(0)), kAppEnd);
    EXPECT_EQ(ValueCount(L"Fix"), 2);
    for (LPCWSTR psz : {L"Version", L"Timer", L"Scroll", L"Scroll Rate", L"Position and Size", L"View", L"Window",
                        L"Undo", L"Auto Scroll"})
        EXPECT_EQ(ValueCount(psz), -1) << psz;
    EXPECT_EQ(g_nBoxes, 0);
}

TEST_F(CommonPropertyRegistry, SaveThenLoadRoundTripsEverySection)
{
    Load();
    PROPERTY_SET& p = m_prop;
    p.propTimer = {20, 20, 150, 3000, 4000, 300, 5000, 10000, 120000};
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
    p.propWindow = {VK_SHIFT, {}, 2, TRUE, TRUE, FALSE, 3};
    p.propUndo = {77, 0, 0, 1, 1, 4};
    p.propAtScrl = {2, 15, 25, 120, 12, 1};
    EXPECT_TRUE(SaveProperty(p, m_profile));

    // What the save stamps and what it leaves alone.
    EXPECT_EQ(GetInt(L"Version", L"Major"), 9);
    EXPECT_EQ(GetInt(L"Version", L"Minor"), 0);
    EXPECT_EQ(GetText(L"Version", L"Additional String"), L"Ver. 9.00 Release Build");
    EXPECT_EQ(GetInt(L"Timer", L"Resolution"), 20);
    EXPECT_FALSE(GetInt(L"Timer", L"Alive notification send interval with Hook Gateway"));
    EXPECT_FALSE(GetInt(L"View", L"bTransparentEnable"));
    EXPECT_EQ(ValueCount(L"View"), 9);
    EXPECT_EQ(GetInt(L"Scroll Rate", L"Scroll Rate Width #4"), 33);
    EXPECT_EQ(GetInt(L"Scroll Rate", L"Scroll Rate Cnt #10"), 100);
    EXPECT_FALSE(GetInt(L"Scroll Rate", L"Scroll Rate Cnt #11"));
    EXPECT_EQ(GetInt(L"Position and Size", L"Desktop Width"), Desktop().right - Desktop().left);
    EXPECT_EQ(GetInt(L"Keyboard", L"Arrow"), 0);
    EXPECT_EQ(GetInt(L"Fix", L"Fix Gadget"), 1);
    EXPECT_EQ(GetText(L"Fix", TitleName(3)), kTitleEnd);

    PROPERTY_SET q = LoadOther();
    EXPECT_EQ(q.propVer.nMajor, 9);
    EXPECT_EQ(q.propVer.strAdditionalString, L"Ver. 9.00 Release Build");
    ExpectFields(q.propTimer, g_aPropTimerValues, &p.propTimer);
    EXPECT_EQ(memcmp(&q.propScrlWdth, &p.propScrlWdth, sizeof(PROP_SCRLWDTH)), 0);
    EXPECT_EQ(q.lstScrlRate.size(), 11u);
    ExpectFields(q.propPosSize, g_aPropPosSizeValues, &p.propPosSize);
    EXPECT_EQ(q.propPosSize.hWndHorz, 0u);
    EXPECT_EQ(q.propPosSize.hWndVert, 0u);
    ExpectFields(q.propView, g_aPropViewValues, &p.propView);
    // "Arrow" is taken from the first scroll entry for all eight.
    for (int e = 0; e < KEYASSIGN_COUNT; ++e) {
        EXPECT_EQ(q.propKeybd.aKeyAssign[e].bEnable, e == KEYASSIGN_MENU) << e;
        EXPECT_EQ(q.propKeybd.aKeyAssign[e].lstKey, p.propKeybd.aKeyAssign[e].lstKey) << e;
    }
    ExpectFields(q.propFix, g_aPropFixValues, &p.propFix);
    EXPECT_EQ(q.propFix.lstTitle, p.propFix.lstTitle);
    EXPECT_EQ(q.propFix.lstApp, p.propFix.lstApp);
    EXPECT_EQ(q.propWindow.byIgnoreActivateScrollKey, VK_SHIFT);
    ExpectFields(q.propWindow, g_aPropWindowValues, &p.propWindow);
    ExpectFields(q.propUndo, g_aPropUndoValues, &p.propUndo);
    ExpectFields(q.propAtScrl, g_aPropAtScrlValues, &p.propAtScrl);
}

TEST_F(CommonPropertyRegistry, StoredValuesAreHonouredAndDerivedValuesFollowSmoothScroll)
{
    SetInt(L"View", L"SmoothScroll", 1);
    SetInt(L"View", L"TopMost", 2);  // a flag other than 1 reads as 0
    SetInt(L"Timer", L"Resolution", 55);  // never read
    SetInt(L"Scroll Rate", L"Scroll Rate Cnt #0", 1);  // never read
    SetInt(L"Keyboard", L"Arrow", 2);
    SetInt(L"Fix", L"Fix Gadget", 0);  // never read
    SetInt(L"Window", L"Ignore Activate Scroll Key", 0x310);  // the low byte
    Load();
    EXPECT_EQ(m_prop.propView.bSmoothScroll, 1);
    EXPECT_EQ(m_prop.propView.bTopMost, 0);
    EXPECT_EQ(m_prop.propTimer.dwResolution, 20u);
    EXPECT_EQ(m_prop.propTimer.dwScroll, 20u);
    ASSERT_EQ(m_prop.lstScrlRate.size(), 11u);
    EXPECT_EQ(m_prop.lstScrlRate[4].nCnt, 45);
    EXPECT_EQ(m_prop.lstScrlRate[4].nWidth, 33);
    EXPECT_EQ(m_prop.propFix.bFixGadget, 1);
    EXPECT_EQ(m_prop.propWindow.byIgnoreActivateScrollKey, 0x10);
    // "Arrow" 2 disables every scroll key; disabled entries get no default keys written.
    for (int e = 0; e < 8; ++e) {
        EXPECT_FALSE(m_prop.propKeybd.aKeyAssign[e].bEnable);
        EXPECT_TRUE(m_prop.propKeybd.aKeyAssign[e].lstKey.empty());
        EXPECT_FALSE(GetInt(L"Keyboard", KeyName(e, 0)));
    }
    EXPECT_EQ(m_prop.propKeybd.aKeyAssign[8].lstKey, GetDefaultKeyList(8));
}

TEST_F(CommonPropertyRegistry, KeyListsEndAtZeroOrBadCodeAndSkipKeysThatMayNotBeAssigned)
{
    SetKeys(0, {17, 18, 300});          // ends at 300, and 0 is written there
    SetKeys(1, {17, 0, 65});            // 0 ends the list; what follows is never read
    SetKeys(2, {0x5B, 17, 0x0D, 66});   // Windows key and Enter may not be assigned
    SetKeys(3, {0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49});  // eight taken, 0 at index 8
    SetKeys(4, {0x5B});                 // nothing assignable: the defaults replace it
    SetKeys(5, {16, -17});              // a negative code ends the list
    Load();
    const auto& a = m_prop.propKeybd.aKeyAssign;
    EXPECT_EQ(a[0].lstKey, Keys({17, 18}));
    EXPECT_EQ(GetInt(L"Keyboard", KeyName(0, 2)), 0);
    EXPECT_EQ(a[1].lstKey, Keys({17}));
    EXPECT_EQ(GetInt(L"Keyboard", KeyName(1, 2)), 65);
    EXPECT_EQ(a[2].lstKey, Keys({17, 66}));
    EXPECT_EQ(GetInt(L"Keyboard", KeyName(2, 4)), 0);
    EXPECT_EQ(a[3].lstKey, Keys({0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48}));
    EXPECT_EQ(GetInt(L"Keyboard", KeyName(3, 8)), 0);
    EXPECT_EQ(a[4].lstKey, GetDefaultKeyList(4));
    EXPECT_EQ(GetInt(L"Keyboard", KeyName(4, 0)), 17);
    EXPECT_EQ(GetInt(L"Keyboard", KeyName(4, 3)), 0);
    EXPECT_EQ(a[5].lstKey, Keys({16}));

    // The save clears the old keys and writes the assignable ones without holes.
    m_prop.propKeybd.aKeyAssign[3].lstKey = Keys({17, 0x5B, 18, 0x41});
    m_prop.propKeybd.aKeyAssign[0].lstKey = Keys({17, 18, 0, 65});
    SaveKeyAssign(m_prop.propKeybd, m_profile);
    const int anSaved[8] = {17, 18, 0x41};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(GetInt(L"Keyboard", KeyName(3, i)), anSaved[i]) << i;
    EXPECT_EQ(GetInt(L"Keyboard", KeyName(0, 2)), 0);
    PROPERTY_SET q = LoadOther();
    EXPECT_EQ(q.propKeybd.aKeyAssign[3].lstKey, Keys({17, 18, 0x41}));
    EXPECT_EQ(q.propKeybd.aKeyAssign[0].lstKey, Keys({17, 18}));
}

TEST_F(CommonPropertyRegistry, F10BecomesF11WithOneBoxOnlyWhereItCannotBeSeen)
{
    SetKeys(0, {17, 18, 0x79});
    SetKeys(8, {17, 18, 0x79});
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
        EXPECT_EQ(GetInt(L"Keyboard", KeyName(0, 2)), 0x79);
    }
    EXPECT_EQ(g_strBoxCaption, L"Zuvora!");
    EXPECT_EQ(g_strBoxText, std::wstring(L"キーボード操作でF10キーに割り当てられた操作がありましたが,\n"
                                         L"このOSではF10キー操作が検出できませんのでF11キーに置換\n"
                                         L"しました. メニューからプロパティを表示し, ご確認ください."));
}

TEST_F(CommonPropertyRegistry, OldTitleListIsRewrittenInThePresentFormat)
{
    SetInt(L"Version", L"Major", 5);
    SetText(L"Fix", L"Window No.0", L"無題 - メモ帳");
    SetText(L"Fix", L"Window No.1", L"電卓");
    SetText(L"Fix", L"Window No.2", L"End of fixed window title array");
    SetText(L"Fix", L"Window No.3", L"after the end");
    SetText(L"Fix", AppName(0), L"アプリ.exe");
    Load();
    EXPECT_EQ(m_prop.propFix.lstTitle, (std::vector<std::wstring>{L"無題 - メモ帳", L"電卓"}));
    EXPECT_EQ(m_prop.propFix.lstApp, (std::vector<std::wstring>{L"アプリ.exe"}));
    EXPECT_EQ(GetText(L"Fix", TitleName(0)), L"無題 - メモ帳");
    EXPECT_EQ(GetText(L"Fix", TitleName(1)), L"電卓");
    EXPECT_EQ(GetText(L"Fix", TitleName(2)), kTitleEnd);
    EXPECT_EQ(GetText(L"Fix", AppName(1)), kAppEnd);

    // Saved once, the record loads from the present names alone.
    SaveProperty(m_prop, m_profile);
    PROPERTY_SET q = LoadOther();
    EXPECT_EQ(q.propFix.lstTitle, m_prop.propFix.lstTitle);
}

TEST_F(CommonPropertyRegistry, ListGapsAreSkippedAndTheEndFollowsTheLastEntry)
{
    SetInt(L"Version", L"Major", 9);
    SetText(L"Fix", TitleName(0), L"A");
    SetText(L"Fix", TitleName(2), L"");
    SetText(L"Fix", TitleName(3), L"B");
    SetText(L"Fix", TitleName(6), kTitleEnd);
    SetText(L"Fix", AppName(1), L"x.exe");
    Load();
    EXPECT_EQ(m_prop.propFix.lstTitle, (std::vector<std::wstring>{L"A", L"B"}));
    EXPECT_EQ(m_prop.propFix.lstApp, (std::vector<std::wstring>{L"x.exe"}));
    EXPECT_EQ(GetText(L"Fix", TitleName(4)), kTitleEnd);
    EXPECT_EQ(GetText(L"Fix", AppName(2)), kAppEnd);
    // Present data is not rewritten: the gap stays.
    EXPECT_FALSE(GetText(L"Fix", TitleName(1)));
}

TEST_F(CommonPropertyRegistry, TitlesSurviveALostVersionSection)
{
    SetText(L"Fix", TitleName(0), L"固定ウィンドウ");
    SetText(L"Fix", TitleName(1), kTitleEnd);
    Load();
    EXPECT_EQ(m_prop.propFix.lstTitle, (std::vector<std::wstring>{L"固定ウィンドウ"}));
    EXPECT_EQ(GetText(L"Fix", TitleName(0)), L"固定ウィンドウ");
    EXPECT_EQ(GetText(L"Fix", TitleName(1)), kTitleEnd);
}

TEST_F(CommonPropertyRegistry, EndlessListsAreCutAt256)
{
    SetInt(L"Version", L"Major", 9);
    for (int i = 0; i < 300; ++i)
        SetText(L"Fix", TitleName(i), FormatString(L"窓%d", i));
    Load();
    ASSERT_EQ(m_prop.propFix.lstTitle.size(), 256u);
    EXPECT_EQ(m_prop.propFix.lstTitle.back(), L"窓255");
    EXPECT_EQ(GetText(L"Fix", TitleName(256)), kTitleEnd);

    m_prop.propFix.lstTitle.clear();
    for (int i = 0; i < 400; ++i)
        m_prop.propFix.lstTitle.push_back(FormatString(L"more%d", i));
    SaveFixLists(m_prop.propFix, m_profile);
    EXPECT_EQ(GetText(L"Fix", TitleName(255)), L"more255");
    EXPECT_EQ(GetText(L"Fix", TitleName(256)), kTitleEnd);
    EXPECT_EQ(GetText(L"Fix", TitleName(257)), L"窓257");  // beyond the end: never read
}

TEST(CommonPropertyRescale, ScalesEachAxisAndKeepsTheMinimumSizes)
{
    PROP_POSSIZE p = {1000, 100, 200, 18, 1260, 90, 19, 300, 7, 8};
    ASSERT_TRUE(CalcRescalePosSize(p, RECT{0, 0, 1920, 1080}, 1280, 1024, 17, 17));
    const PROP_POSSIZE expected = {1500, 100 * 1080 / 1024, 300, 18 * 1080 / 1024, 1890, 90 * 1080 / 1024,
                                   19 * 1920 / 1280, 300 * 1080 / 1024, 7, 8};
    ExpectFields(p, g_aPropPosSizeValues, &expected);
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

    // Products beyond 32 bits saturate instead of wrapping.
    PROP_POSSIZE h = {INT_MAX, -INT_MAX, 5, 5, 0, 0, 5, 5, 0, 0};
    ASSERT_TRUE(CalcRescalePosSize(h, RECT{0, 0, 4000, 4000}, 1, 1, 17, 17));
    EXPECT_EQ(h.nHorzOrgX, INT_MAX);
    EXPECT_EQ(h.nHorzOrgY, INT_MIN);
}

TEST_F(CommonPropertyRegistry, ChangedDesktopRescalesAndSavesDuringTheLoadAndZeroGivesTheDefaults)
{
    const RECT rc = Desktop();
    const int nW = rc.right - rc.left, nH = rc.bottom - rc.top;
    const int nOldW = nW + 640, nOldH = nH + 256;
    SetInt(L"Position and Size", L"Desktop Width", nOldW);
    SetInt(L"Position and Size", L"Desktop Height", nOldH);
    PROP_POSSIZE expected = {800, 40, 400, 20, 1500, 120, 18, 600, 0, 0};
    for (const auto& def : g_aPropPosSizeValues)
        SetInt(L"Position and Size", def.pszName, expected.*def.pField);
    Load();
    CalcRescalePosSize(expected, rc, nOldW, nOldH, GetSystemMetrics(SM_CYHSCROLL), GetSystemMetrics(SM_CXVSCROLL));
    ExpectFields(m_prop.propPosSize, g_aPropPosSizeValues, &expected);
    for (const auto& def : g_aPropPosSizeValues)
        EXPECT_EQ(GetInt(L"Position and Size", def.pszName), expected.*def.pField) << def.pszName;
    EXPECT_EQ(GetInt(L"Position and Size", L"Desktop Width"), nW);
    EXPECT_EQ(GetInt(L"Position and Size", L"Desktop Height"), nH);
    EXPECT_EQ(GetInt(L"Version", L"Major"), 9);  // the whole record was saved
    EXPECT_EQ(m_prop.propPosSize.hWndHorz, 0u);

    // A stored size of 0 cannot be scaled from: the rectangles take their defaults.
    SetInt(L"Position and Size", L"Desktop Width", 0);
    Load();
    PROP_POSSIZE def = {};
    GetDefaultPosSize(def);
    ExpectFields(m_prop.propPosSize, g_aPropPosSizeValues, &def);
    EXPECT_EQ(GetInt(L"Position and Size", L"Desktop Width"), nW);
}

TEST_F(CommonPropertyRegistry, BadValuesAreClampedOrDefaulted)
{
    const struct {
        LPCWSTR pszSection, pszName;
        int nStored;
    } aStored[] = {
        {L"Undo", L"Depth", -5}, {L"Undo", L"Save Time Undo Data In Wheel Scroll", 9}, {L"View", L"Speed", 1000000},
        {L"View", L"Transparent", 0}, {L"Scroll", L"MouseHorzLineMode", 7}, {L"Scroll", L"MouseHorzLineAbs", -20},
        {L"Scroll", L"WheelVertPageRel", 100000}, {L"Scroll", L"KeybdVertLineScr", 0},
        {L"Window", L"ActivateMode", -1}, {L"Window", L"Ignore Activate Scroll Cnt", 0},
        {L"Auto Scroll", L"Mode", 5}, {L"Auto Scroll", L"Delay", 6}, {L"Auto Scroll", L"External Range", 500},
        {L"Auto Scroll", L"Internal Range", 3}, {L"Auto Scroll", L"External Speed", -1},
        {L"Auto Scroll", L"Internal Speed", 99}, {L"Timer", L"Alive notification receive limit with Hook Gateway", 0},
    };
    for (const auto& s : aStored)
        SetInt(s.pszSection, s.pszName, s.nStored);
    // Values of the wrong type count as absent.
    SetText(L"View", L"SmoothScroll", L"1");
    const BYTE abyBinary[3] = {1, 2, 3};
    SetRaw(L"Version", L"Major", REG_BINARY, abyBinary, sizeof(abyBinary));
    SetRaw(L"Keyboard", KeyName(0, 0).c_str(), REG_SZ, L"17", 6);
    const DWORD dwNum = 42;
    SetRaw(L"Version", L"Additional String", REG_DWORD, &dwNum, sizeof(dwNum));
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
    const PROP_ATSCRL atExpected = {3, 200, 10, 200, 30, 4};
    ExpectFields(m_prop.propAtScrl, g_aPropAtScrlValues, &atExpected);
    EXPECT_EQ(m_prop.propTimer.dwAliveNotificationReceiveLimit, 120000u);
    EXPECT_EQ(m_prop.propVer.nMajor, -999);
    EXPECT_EQ(m_prop.propVer.strAdditionalString, PROP_NO_ENTRY);
    // The defaults are written over the key value of the wrong type.
    EXPECT_EQ(m_prop.propKeybd.aKeyAssign[0].lstKey, GetDefaultKeyList(0));
    EXPECT_EQ(GetInt(L"Keyboard", KeyName(0, 0)), 17);
}

TEST(CommonPropertyClamp, ValuesInRangeAreLeftAlone)
{
    PROPERTY_SET prop;
    prop.propScrlWdth = g_propScrlWdthDefault;
    prop.propTimer = {100, 100, 200, 10000, 10000, 200, 10000, 10000, 120000};
    prop.propView.nSpeed = 20;
    prop.propView.nTransparent = 2;
    prop.propWindow.nIgnoreActivateScrollCnt = 3;
    prop.propUndo.nDepth = 100;
    prop.propAtScrl = {4, 10, 30, 10, 10, 5};
    EXPECT_EQ(ClampPropertyValues(prop), 0);
    EXPECT_EQ(prop.propAtScrl.nInternalRange, 10);
    prop.propScrlWdth.aScrlWdth[5].nMode = SCRLMODE_NONE;  // a mode of the record, not of the page
    EXPECT_EQ(ClampPropertyValues(prop), 0);
    prop.propAtScrl.nInternalRange = 9;
    EXPECT_EQ(ClampPropertyValues(prop), 1);
    EXPECT_EQ(prop.propAtScrl.nInternalRange, 10);
}

// A save that the store refuses says so: the settings program then tells the user rather than
// report settings as kept that were never written.
TEST_F(CommonPropertyRegistry, ASaveThatCannotWriteSaysSo)
{
    Load();
    EXPECT_TRUE(SaveProperty(m_prop, m_profile));
    EXPECT_EQ(0u, m_profile.GetWriteFailures());

    wchar_t szTemp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, szTemp), 0u);
    CProfile missing;
    missing.SetProfileName(L"ZvTest");
    missing.SetIniPath((std::wstring(szTemp) + L"ZvTest no such folder\\" + std::to_wstring(GetCurrentProcessId()) +
                        L"\\ZvTest.INI").c_str());
    EXPECT_FALSE(SaveProperty(m_prop, missing));
    EXPECT_GT(missing.GetWriteFailures(), 0u);

    CProfile ini;
    ini.SetProfileName(L"ZvTest");
    const std::wstring strIni = std::wstring(szTemp) + L"ZvTest " + std::to_wstring(GetCurrentProcessId()) + L".INI";
    ini.SetIniPath(strIni.c_str());
    EXPECT_TRUE(SaveProperty(m_prop, ini));
    DeleteFileW(strIni.c_str());
}

TEST(CommonPropertyClamp, GatewayAliveLimitIsAFewPingsAtLeast)
{
    const struct {
        DWORD dwSend, dwRecv, dwSendTaken, dwRecvTaken;
    } aCase[] = {
        {10000, 120000, 10000, 120000},  // the defaults
        {200, 1500, 200, 1500},          // the shortest the tests use
        {500, 3000, 500, 3000},
        {10000, 1, 10000, 30000},        // a limit below the interval: ended the core at its start
        {10000, 257, 10000, 30000},
        {200, 300, 200, 1000},           // a limit of a second at least
        {1, 1, 100, 1000},               // pings no faster than the timer's step
        {0xFFFFFFFF, 5000, 600000, 1800000},
        {10000, 0xFFFFFFFF, 10000, 3600000},
    };
    for (const auto& c : aCase) {
        PROPERTY_SET prop;
        prop.propScrlWdth = g_propScrlWdthDefault;
        prop.propTimer = {100, 100, 200, 10000, 10000, 200, 10000, c.dwSend, c.dwRecv};
        const int nExpected = (c.dwSend != c.dwSendTaken) + (c.dwRecv != c.dwRecvTaken);
        EXPECT_GE(ClampPropertyValues(prop), nExpected) << c.dwSend << " " << c.dwRecv;
        EXPECT_EQ(prop.propTimer.dwAliveNotificationSendInterval, c.dwSendTaken) << c.dwSend << " " << c.dwRecv;
        EXPECT_EQ(prop.propTimer.dwAliveNotificationReceiveLimit, c.dwRecvTaken) << c.dwSend << " " << c.dwRecv;
    }
}
