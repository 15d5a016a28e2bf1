// The window enumerator over real windows of ZvTestWnds.exe, run inside ZvTWndEnum.exe: which
// windows move, which are left out, and which are fixed by title or by application, at enumeration
// and when the fixed lists gain or lose entries. Only the test program's windows are looked at,
// since other programs share the desktop.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <iomanip>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ZvTestKit.h"

using namespace zvkit;

namespace {

constexpr wchar_t kProg[] = L"ZvTWndEnum.exe";
constexpr wchar_t kTestWndsExe[] = L"ZvTestWnds.exe";

struct FIX_REC {
    int nKind;
    HWND hWnd;
    std::wstring strText;
};

struct STEP {
    std::wstring strName;
    std::vector<HWND> wnds, moves;
    std::vector<FIX_REC> fixes;
    bool InWndList(HWND h) const { return std::count(wnds.begin(), wnds.end(), h) == 1; }
    bool IsMoved(HWND h) const { return std::count(moves.begin(), moves.end(), h) == 1; }
    const FIX_REC* Fix(HWND h) const
    {
        auto it = std::find_if(fixes.begin(), fixes.end(), [h](const FIX_REC& r) { return r.hWnd == h; });
        return it == fixes.end() ? nullptr : &*it;
    }
    // Neither moved nor fixed nor listed.
    bool IsLeftOut(HWND h) const { return !InWndList(h) && !IsMoved(h) && !Fix(h); }
};

struct REPORT {
    std::vector<STEP> steps;
    std::map<HWND, int> matches;
};

HWND ParseHandle(const std::wstring& str)
{
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::stoull(str, nullptr, 16)));
}

REPORT ParseReport(const std::wstring& strText)
{
    REPORT rep;
    std::wistringstream in(strText);
    std::wstring strLine;
    while (std::getline(in, strLine)) {
        std::wistringstream line(strLine);
        std::wstring strTag, strHandle;
        line >> strTag;
        if (strTag == L"STEP") {
            rep.steps.emplace_back();
            line >> rep.steps.back().strName;
        } else if (strTag == L"MATCH") {
            int n = 0;
            line >> strHandle >> n;
            rep.matches[ParseHandle(strHandle)] = n;
        } else if (!rep.steps.empty() && (strTag == L"WND" || strTag == L"MOVE")) {
            line >> strHandle;
            (strTag == L"WND" ? rep.steps.back().wnds : rep.steps.back().moves).push_back(ParseHandle(strHandle));
        } else if (!rep.steps.empty() && strTag == L"FIX") {
            FIX_REC r{};
            line >> r.nKind >> strHandle;
            r.hWnd = ParseHandle(strHandle);
            std::getline(line, r.strText);
            if (!r.strText.empty() && r.strText[0] == L' ')
                r.strText.erase(0, 1);
            rep.steps.back().fixes.push_back(r);
        }
    }
    return rep;
}

// The first visible top-level window of a process in the order EnumWindows gives.
HWND FirstWndOf(DWORD dwPid)
{
    struct FIND {
        DWORD dwPid;
        HWND hWnd;
    } find{dwPid, nullptr};
    EnumWindows(
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto* p = reinterpret_cast<FIND*>(lParam);
            DWORD dwPid = 0;
            GetWindowThreadProcessId(hWnd, &dwPid);
            if (dwPid != p->dwPid || !IsWindowVisible(hWnd))
                return TRUE;
            p->hWnd = hWnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.hWnd;
}

// Runs the enumerator with these arguments over the windows of dwPid and reads its report.
REPORT RunEnum(DWORD dwPid, const std::vector<std::wstring>& args)
{
    const std::wstring strOut = NewTempFilePath(L"ZvWndEnum", L".txt");
    std::wstring strArgs = QuoteArg(L"/OUT=" + strOut) + L" /PID=" + std::to_wstring(dwPid);
    for (const std::wstring& strArg : args)
        strArgs += L" " + QuoteArg(strArg);
    CProcess proc;
    if (!proc.Start(kProg, strArgs)) {
        ADD_FAILURE() << "cannot start the enumerator, error " << proc.LastError();
        return {};
    }
    const auto code = proc.WaitForExit(30000);
    EXPECT_EQ(code, std::optional<DWORD>(0));
    REPORT rep = ParseReport(FromUtf8(ReadFileBytes(strOut)));
    DeleteFileW(strOut.c_str());
    return rep;
}

std::wstring UntitledLabel(HWND hWnd, const std::wstring& strImage)
{
    std::wostringstream out;
    out << L"無題ウィンドウ " << std::hex << std::setw(8) << std::setfill(L'0')
        << static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(hWnd) & 0xFFFFFFFFu) << L"H (" << strImage << L")";
    return out.str();
}

class WndEnumeratorTest : public ::testing::Test {
protected:
    void Start(const std::vector<std::wstring>& args)
    {
        ASSERT_TRUE(m_wnds.Start(args));
        m_created = m_wnds.Windows();
        ASSERT_EQ(m_created.size(), args.size());
    }
    HWND Wnd(size_t i) const { return m_created.at(i); }
    CTestWnds m_wnds;
    std::vector<HWND> m_created;
};

TEST_F(WndEnumeratorTest, OrdinaryToolPopupOwnedAndMinimisedWindowsMove)
{
    Start({WndArg(40, 40, 300, 200, L"ZvEnum Plain"), WndArg(80, 80, 300, 200, L"ZvEnum Tool", L"tool"),
           WndArg(120, 120, 300, 200, L"ZvEnum Popup", L"popup"), WndArg(160, 160, 300, 200, L"ZvEnum Owned", L"owned"),
           WndArg(200, 200, 300, 200, L"ZvEnum Min", L"min"), WndArg(240, 240, 300, 200, L"ZvEnum Hidden", L"hidden")});
    const REPORT rep = RunEnum(m_wnds.Pid(), {L"/ENUM"});
    ASSERT_EQ(rep.steps.size(), 1u);
    const STEP& s = rep.steps[0];
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_TRUE(s.InWndList(Wnd(i))) << i;
        EXPECT_TRUE(s.IsMoved(Wnd(i))) << i;
    }
    EXPECT_TRUE(s.IsLeftOut(Wnd(5)));
    EXPECT_TRUE(s.fixes.empty());
    EXPECT_EQ(s.moves.size(), 5u);
}

TEST_F(WndEnumeratorTest, HiddenOwnedWindowMovesOnlyWithMinimisedOwner)
{
    Start({WndArg(40, 40, 300, 200, L"ZvEnum Owner"), WndArg(80, 80, 300, 200, L"ZvEnum Hidden Owned", L"hidden+owned")});
    const REPORT repNormal = RunEnum(m_wnds.Pid(), {L"/ENUM"});
    ASSERT_EQ(repNormal.steps.size(), 1u);
    EXPECT_TRUE(repNormal.steps[0].IsMoved(Wnd(0)));
    EXPECT_TRUE(repNormal.steps[0].IsLeftOut(Wnd(1)));

    ASSERT_TRUE(m_wnds.Show(Wnd(0), SW_MINIMIZE));
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(Wnd(0)) != FALSE; }, 3000));
    // The owner's minimising may show or hide the owned window; only a hidden one tells the rule.
    ASSERT_FALSE(IsWindowVisible(Wnd(1)));
    const REPORT repMin = RunEnum(m_wnds.Pid(), {L"/ENUM"});
    ASSERT_EQ(repMin.steps.size(), 1u);
    EXPECT_TRUE(repMin.steps[0].IsMoved(Wnd(0)));
    EXPECT_TRUE(repMin.steps[0].IsMoved(Wnd(1)));
}

TEST_F(WndEnumeratorTest, UntitledWindowFollowsTitledOnlyFlag)
{
    Start({WndArg(40, 40, 300, 200, L"ZvEnum Titled"), UntitledWndArg(80, 80, 300, 200)});
    const REPORT repOnly = RunEnum(m_wnds.Pid(), {L"/TITLEDONLY=1", L"/ENUM"});
    ASSERT_EQ(repOnly.steps.size(), 1u);
    EXPECT_TRUE(repOnly.steps[0].IsMoved(Wnd(0)));
    EXPECT_TRUE(repOnly.steps[0].IsLeftOut(Wnd(1)));

    const REPORT repAll = RunEnum(m_wnds.Pid(), {L"/TITLEDONLY=0", L"/ENUM"});
    ASSERT_EQ(repAll.steps.size(), 1u);
    EXPECT_TRUE(repAll.steps[0].IsMoved(Wnd(0)));
    EXPECT_TRUE(repAll.steps[0].IsMoved(Wnd(1)));
}

TEST_F(WndEnumeratorTest, WindowsFixedByExactTitleAndByApplication)
{
    Start({WndArg(40, 40, 300, 200, L"ZvEnum Fixed"), WndArg(80, 80, 300, 200, L"ZvEnum fixed"),
           WndArg(120, 120, 300, 200, L"ZvEnum Fixed 2")});
    const REPORT repTitle = RunEnum(m_wnds.Pid(), {L"/TITLE=ZvEnum Fixed", L"/ENUM"});
    ASSERT_EQ(repTitle.steps.size(), 1u);
    const FIX_REC* pFix = repTitle.steps[0].Fix(Wnd(0));
    ASSERT_NE(pFix, nullptr);
    EXPECT_EQ(pFix->nKind, 1);
    EXPECT_EQ(pFix->strText, L"ZvEnum Fixed");
    EXPECT_FALSE(repTitle.steps[0].IsMoved(Wnd(0)));
    EXPECT_TRUE(repTitle.steps[0].IsMoved(Wnd(1)));
    EXPECT_TRUE(repTitle.steps[0].IsMoved(Wnd(2)));

    const REPORT repApp = RunEnum(m_wnds.Pid(), {L"/APP=ZvTestWnds.exe", L"/ENUM"});
    ASSERT_EQ(repApp.steps.size(), 1u);
    EXPECT_TRUE(repApp.steps[0].moves.empty());
    for (size_t i = 0; i < 3; ++i) {
        const FIX_REC* p = repApp.steps[0].Fix(Wnd(i));
        ASSERT_NE(p, nullptr) << i;
        EXPECT_EQ(p->nKind, 2);
        EXPECT_EQ(p->strText, kTestWndsExe);
    }

    const REPORT repCase = RunEnum(m_wnds.Pid(), {L"/APP=zvtestwnds.exe", L"/TITLE=zvenum fixed", L"/ENUM"});
    ASSERT_EQ(repCase.steps.size(), 1u);
    EXPECT_TRUE(repCase.steps[0].fixes.empty());
    EXPECT_EQ(repCase.steps[0].moves.size(), 3u);
}

TEST_F(WndEnumeratorTest, FixedTitleOfAnApplicationAlreadyFixedBecomesApplicationRecord)
{
    Start({WndArg(40, 40, 300, 200, L"ZvEnum Other"), WndArg(80, 80, 300, 200, L"ZvEnum Title"),
           WndArg(120, 120, 300, 200, L"ZvEnum Third")});
    // Taken in window-list order (top of the z-order first): only when the titled window comes
    // first is there no application record yet.
    struct CASE {
        size_t nTop;
        int nKind;
        std::wstring strText;
    };
    for (const CASE& c : {CASE{1, 1, L"ZvEnum Title"}, CASE{0, 2, kTestWndsExe}}) {
        ASSERT_TRUE(m_wnds.Foreground(Wnd(c.nTop))) << c.nTop;
        // Activation and the stacking order are two things under Wine: wait until the window
        // also stands first of its program's windows in the order EnumWindows gives.
        ASSERT_TRUE(WaitUntil([&] {
            if (FirstWndOf(m_wnds.Pid()) == Wnd(c.nTop))
                return true;
            SetWindowPos(Wnd(c.nTop), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            return false;
        }, 5000)) << c.nTop;
        const REPORT rep = RunEnum(m_wnds.Pid(), {L"/TITLE=ZvEnum Title", L"/APP=ZvTestWnds.exe", L"/ENUM"});
        ASSERT_EQ(rep.steps.size(), 1u);
        const STEP& s = rep.steps[0];
        ASSERT_EQ(s.wnds.size(), 3u);
        ASSERT_EQ(s.wnds.front(), Wnd(c.nTop));
        const FIX_REC* pFix = s.Fix(Wnd(1));
        ASSERT_NE(pFix, nullptr) << c.nTop;
        EXPECT_EQ(pFix->nKind, c.nKind) << c.nTop;
        EXPECT_EQ(pFix->strText, c.strText) << c.nTop;
        EXPECT_EQ(s.fixes.size(), 3u) << c.nTop;
    }
}

TEST_F(WndEnumeratorTest, FixingAndUnfixingByTitle)
{
    Start({WndArg(40, 40, 300, 200, L"ZvEnum Twin"), WndArg(80, 80, 300, 200, L"ZvEnum Twin"),
           WndArg(120, 120, 300, 200, L"ZvEnum Single")});
    const REPORT rep = RunEnum(m_wnds.Pid(), {L"/ENUM", L"/ADDTITLE=ZvEnum Twin", L"/ADDTITLE=ZvEnum Nowhere", L"/FIX",
                                              L"/UNFIX", L"/DELTITLE=ZvEnum Twin", L"/UNFIX"});
    ASSERT_EQ(rep.steps.size(), 4u);
    EXPECT_EQ(rep.steps[0].moves.size(), 3u);

    const STEP& fixed = rep.steps[1];
    EXPECT_EQ(fixed.fixes.size(), 2u);  // the title that names no window adds nothing
    for (size_t i = 0; i < 2; ++i) {
        ASSERT_NE(fixed.Fix(Wnd(i)), nullptr) << i;
        EXPECT_EQ(fixed.Fix(Wnd(i))->nKind, 1);
        EXPECT_FALSE(fixed.IsMoved(Wnd(i)));
    }
    EXPECT_TRUE(fixed.IsMoved(Wnd(2)));

    // Still configured and borne by no moving window: kept.
    EXPECT_EQ(rep.steps[2].fixes.size(), 2u);
    EXPECT_EQ(rep.steps[2].moves, fixed.moves);

    // Dropped: both windows of the title move again.
    const STEP& unfixed = rep.steps[3];
    EXPECT_TRUE(unfixed.fixes.empty());
    for (size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(unfixed.IsMoved(Wnd(i))) << i;
    EXPECT_EQ(unfixed.moves.size(), 3u);
}

TEST_F(WndEnumeratorTest, UntitledWindowFixedByItsLabelStaysFixed)
{
    Start({WndArg(40, 40, 300, 200, L"ZvEnum Titled"), UntitledWndArg(80, 80, 300, 200)});
    const std::wstring strLabel = UntitledLabel(Wnd(1), kTestWndsExe);
    const REPORT rep = RunEnum(m_wnds.Pid(), {L"/TITLEDONLY=0", L"/ENUM", L"/ADDTITLE=" + strLabel, L"/FIX", L"/UNFIX"});
    ASSERT_EQ(rep.steps.size(), 3u);
    EXPECT_TRUE(rep.steps[0].IsMoved(Wnd(1)));
    for (size_t i = 1; i < 3; ++i) {
        const FIX_REC* pFix = rep.steps[i].Fix(Wnd(1));
        ASSERT_NE(pFix, nullptr) << rep.steps[i].strName;
        EXPECT_EQ(pFix->nKind, 1);
        EXPECT_EQ(pFix->strText, strLabel);
        EXPECT_FALSE(rep.steps[i].IsMoved(Wnd(1)));
        EXPECT_TRUE(rep.steps[i].IsMoved(Wnd(0)));
    }

    // At enumeration too, and not while only titled windows take part.
    const REPORT repEnum = RunEnum(m_wnds.Pid(), {L"/TITLEDONLY=0", L"/TITLE=" + strLabel, L"/ENUM"});
    ASSERT_EQ(repEnum.steps.size(), 1u);
    ASSERT_NE(repEnum.steps[0].Fix(Wnd(1)), nullptr);
    const REPORT repOnly = RunEnum(m_wnds.Pid(), {L"/TITLEDONLY=1", L"/TITLE=" + strLabel, L"/ENUM"});
    ASSERT_EQ(repOnly.steps.size(), 1u);
    EXPECT_TRUE(repOnly.steps[0].IsLeftOut(Wnd(1)));
}

TEST_F(WndEnumeratorTest, FixingAndUnfixingByApplication)
{
    Start({WndArg(40, 40, 300, 200, L"ZvEnum One"), WndArg(80, 80, 300, 200, L"ZvEnum Two")});
    const REPORT rep = RunEnum(m_wnds.Pid(), {L"/ENUM", L"/ADDAPP=ZvTestWnds.exe", L"/FIX", L"/DELAPP=ZvTestWnds.exe",
                                              L"/UNFIX"});
    ASSERT_EQ(rep.steps.size(), 3u);
    EXPECT_EQ(rep.steps[1].fixes.size(), 2u);
    EXPECT_TRUE(rep.steps[1].moves.empty());
    for (size_t i = 0; i < 2; ++i) {
        ASSERT_NE(rep.steps[1].Fix(Wnd(i)), nullptr);
        EXPECT_EQ(rep.steps[1].Fix(Wnd(i))->nKind, 2);
        EXPECT_TRUE(rep.steps[2].IsMoved(Wnd(i)));
    }
    EXPECT_TRUE(rep.steps[2].fixes.empty());
}

TEST_F(WndEnumeratorTest, TitleRecordMatchesOnlyTheWholeTitle)
{
    Start({WndArg(40, 40, 300, 200, L"ZvEnum Memo"), WndArg(80, 80, 300, 200, L"ZvEnum Memo - long"),
           WndArg(120, 120, 300, 200, L"ZvEnum Mem")});
    const REPORT rep = RunEnum(m_wnds.Pid(), {L"/ENUM", L"/MATCHTITLE=ZvEnum Memo"});
    ASSERT_EQ(rep.matches.size(), 3u);
    EXPECT_EQ(rep.matches.at(Wnd(0)), 1);
    EXPECT_EQ(rep.matches.at(Wnd(1)), 0);
    EXPECT_EQ(rep.matches.at(Wnd(2)), 0);
}

} // namespace
