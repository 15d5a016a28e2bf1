// The position and size page of the settings program in registry mode: the bar tree built from
// View, the defaults of an empty registry in the edits, the group off for the root, the help line,
// the letter keys that move the focus, the defaults button, typed values stored on OK; every value
// back unchanged when nothing is typed; a bar that leaves the desktop or is too thin answered by
// the correction message (every broken limit, the user kept on the bar and on the page, the edit
// of the first limit focused), also for a stored negative coordinate, which the edits read back.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>

#include "PropertySet.h"
#include "SettingsSheet.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvsheet;

namespace {

constexpr int kIdTree = 1000, kIdDefault = 1010, kIdHelp = 1011, kIdFrame = 1016, kIdPreview = 1033;
constexpr int kIdX = 1018, kIdY = 1022, kIdCx = 1026, kIdCy = 1030;
constexpr int kEdits[] = {kIdX, kIdY, kIdCx, kIdCy};
constexpr wchar_t kSection[] = L"Position and Size";
constexpr const wchar_t* kHorzNames[] = {L"Horizontal Orgin X", L"Horizontal Orgin Y", L"Horizontal Width",
                                         L"Horizontal Height"};
constexpr const wchar_t* kVertNames[] = {L"Vertical Orgin X", L"Vertical Orgin Y", L"Vertical Width",
                                         L"Vertical Height"};
constexpr wchar_t kHelpRoot[] = L" スクロールバーを選択してください";
constexpr wchar_t kHelpBar[] = L" 位置とサイズを画面ピクセル単位で指定します";
constexpr wchar_t kHelpCy[] = L" 高さを画面ピクセル単位で指定します";
constexpr wchar_t kHelpCx[] = L" 幅を画面ピクセル単位で指定します";

struct TREE_ITEM {
    std::wstring strText;
    LPARAM lValue = -1;
};

// A tree item of the page, read through a buffer in the page's process.
TREE_ITEM ReadTreeItem(HWND hWndTree, HTREEITEM hItem)
{
    TREE_ITEM result;
    HANDLE hProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, WindowPid(hWndTree));
    if (!hProcess)
        return result;
    constexpr int kChars = 64;
    auto* pRemote = static_cast<BYTE*>(
        VirtualAllocEx(hProcess, nullptr, sizeof(TVITEMW) + kChars * sizeof(wchar_t), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (pRemote) {
        TVITEMW item{};
        item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_HANDLE;
        item.hItem = hItem;
        item.pszText = reinterpret_cast<LPWSTR>(pRemote + sizeof(TVITEMW));
        item.cchTextMax = kChars;
        wchar_t szText[kChars] = {};
        if (WriteProcessMemory(hProcess, pRemote, &item, sizeof(item), nullptr) &&
            SendMessageW(hWndTree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(pRemote)) &&
            ReadProcessMemory(hProcess, pRemote, &item, sizeof(item), nullptr) &&
            ReadProcessMemory(hProcess, pRemote + sizeof(TVITEMW), szText, sizeof(szText) - sizeof(wchar_t), nullptr)) {
            result.strText = szText;
            result.lValue = item.lParam;
        }
        VirtualFreeEx(hProcess, pRemote, 0, MEM_RELEASE);
    }
    CloseHandle(hProcess);
    return result;
}

class PropertyPosSizePage : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RegDeleteSettings()); }

    bool Start()
    {
        if (!m_sheet.Start(kPagePosSize, kIdTree))
            return false;
        m_hWndTree = m_sheet.Item(kIdTree);
        return m_hWndTree != nullptr;
    }
    HTREEITEM Next(UINT nCode, HTREEITEM hItem = nullptr) const
    {
        return reinterpret_cast<HTREEITEM>(SendMessageW(m_hWndTree, TVM_GETNEXTITEM, nCode, reinterpret_cast<LPARAM>(hItem)));
    }
    HTREEITEM Selected() const { return Next(TVGN_CARET); }
    // Chosen as by a click (posted: the page may answer with a message box).
    void Choose(HTREEITEM hItem) const
    {
        PostMessageW(m_hWndTree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hItem));
    }
    // Chosen, and the edits show the four values (empty ones for the root).
    bool ChooseAndWait(HTREEITEM hItem, const std::wstring (&astrValues)[4]) const
    {
        Choose(hItem);
        const bool bShown = WaitUntil(
            [&] {
                for (int i = 0; i < 4; ++i) {
                    if (m_sheet.Text(kEdits[i]) != astrValues[i])
                        return false;
                }
                return Selected() == hItem;
            },
            5000);
        if (!bShown) {
            for (int nId : kEdits)
                ADD_FAILURE() << "edit " << nId << " shows \"" << ToUtf8(m_sheet.Text(nId)) << "\", chosen " << (Selected() == hItem);
        }
        return bShown;
    }
    // The focus moved by a letter key, as the user presses it on the page.
    bool PressLetter(wchar_t ch, int nIdExpected) const
    {
        PostMessageW(m_hWndTree, WM_KEYDOWN, ch, 1);
        return WaitUntil([&] { return FocusOf(m_sheet.Sheet()) == m_sheet.Item(nIdExpected); }, 5000);
    }
    // The correction message refused the move: its exact text, the edit nIdFocus focused with its
    // text selected, the bar still chosen and the page still current.
    void ExpectCorrection(const std::wstring& strText, int nIdFocus, HTREEITEM hItemKept, const char* pszWhat)
    {
        const HWND hBox = WaitForMessageBox(m_sheet.Process().Pid(), 5000);
        ASSERT_NE(hBox, nullptr) << pszWhat;
        EXPECT_EQ(WindowTitle(hBox), L"Zuvora!") << pszWhat;
        EXPECT_EQ(MessageBoxText(hBox), strText) << pszWhat;
        EXPECT_EQ(GetWindow(hBox, GW_OWNER), m_sheet.Sheet()) << pszWhat;
        ASSERT_TRUE(CloseMessageBox(hBox));
        const HWND hWndEdit = m_sheet.Item(nIdFocus);
        EXPECT_TRUE(WaitUntil(
            [&] {
                const LRESULT lSel = SendMessageW(hWndEdit, EM_GETSEL, 0, 0);
                const int nLen = static_cast<int>(SendMessageW(hWndEdit, WM_GETTEXTLENGTH, 0, 0));
                return FocusOf(m_sheet.Sheet()) == hWndEdit && nLen > 0 && LOWORD(lSel) == 0 && HIWORD(lSel) == nLen;
            },
            5000))
            << pszWhat;
        EXPECT_EQ(Selected(), hItemKept) << pszWhat;
        EXPECT_EQ(CurrentPage(m_sheet.Sheet()), m_sheet.Page()) << pszWhat;
    }
    bool EditsEnabled() const
    {
        bool bAll = true, bAny = false;
        for (int nId : {kIdX, kIdY, kIdCx, kIdCy, kIdDefault, kIdPreview}) {
            const bool b = IsWindowEnabled(m_sheet.Item(nId)) != FALSE;
            bAll = bAll && b;
            bAny = bAny || b;
        }
        EXPECT_EQ(bAll, bAny) << "the group goes on and off as one";
        return bAll;
    }
    bool ApplyEnabled() const { return IsWindowEnabled(GetDlgItem(m_sheet.Sheet(), kIdApplyNow)) != FALSE; }
    // A point of the preview frame, in the frame's client coordinates, as the screen shows it.
    COLORREF PreviewPixel(int x, int y) const
    {
        POINT pt{x, y};
        ClientToScreen(m_sheet.Item(kIdFrame), &pt);
        HDC hDC = GetDC(nullptr);
        const COLORREF cr = GetPixel(hDC, pt.x, pt.y);
        ReleaseDC(nullptr, hDC);
        return cr;
    }

    CRegistryGuard m_guard{kMakerKey};
    CSettingsSheet m_sheet;
    HWND m_hWndTree = nullptr;
};

std::wstring Str(int n)
{
    return std::to_wstring(n);
}

std::optional<DWORD> Dw(int n)
{
    return static_cast<DWORD>(n);
}

} // namespace

TEST_F(PropertyPosSizePage, TheTreeTheDefaultsTheKeysAndTypedValuesStoredOnOk)
{
    ASSERT_TRUE(Start());
    PROP_POSSIZE def{};
    GetDefaultPosSize(def);

    // Root, then the horizontal and the vertical bar, expanded.
    EXPECT_EQ(SendMessageW(m_hWndTree, TVM_GETCOUNT, 0, 0), 3);
    const HTREEITEM hRoot = Next(TVGN_ROOT);
    const HTREEITEM hHorz = Next(TVGN_CHILD, hRoot);
    const HTREEITEM hVert = Next(TVGN_NEXT, hHorz);
    ASSERT_NE(hVert, nullptr);
    EXPECT_EQ(Next(TVGN_NEXT, hVert), nullptr);
    EXPECT_EQ(ReadTreeItem(m_hWndTree, hRoot).strText, L"スクロールバー");
    EXPECT_EQ(ReadTreeItem(m_hWndTree, hRoot).lValue, 100);
    EXPECT_EQ(ReadTreeItem(m_hWndTree, hHorz).strText, L"水平");
    EXPECT_EQ(ReadTreeItem(m_hWndTree, hHorz).lValue, 0);
    EXPECT_EQ(ReadTreeItem(m_hWndTree, hVert).strText, L"垂直");
    EXPECT_EQ(ReadTreeItem(m_hWndTree, hVert).lValue, 1);
    EXPECT_TRUE(SendMessageW(m_hWndTree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(hRoot), TVIS_EXPANDED) & TVIS_EXPANDED);

    // The root: nothing to edit.
    ASSERT_TRUE(ChooseAndWait(hRoot, {L"", L"", L"", L""}));
    EXPECT_FALSE(EditsEnabled());
    EXPECT_EQ(m_sheet.Text(kIdHelp), kHelpRoot);

    // Each bar shows the desktop's defaults; showing them changes nothing.
    ASSERT_TRUE(ChooseAndWait(hVert, {Str(def.nVertOrgX), Str(def.nVertOrgY), Str(def.nVertWidth), Str(def.nVertHeight)}));
    ASSERT_TRUE(ChooseAndWait(hHorz, {Str(def.nHorzOrgX), Str(def.nHorzOrgY), Str(def.nHorzWidth), Str(def.nHorzHeight)}))
        << "the vertical bar's defaults keep every limit";
    EXPECT_TRUE(EditsEnabled());
    EXPECT_EQ(m_sheet.Text(kIdHelp), kHelpBar);
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_TRUE(FindMessageBoxes(m_sheet.Process().Pid()).empty());

    // The preview: the desktop's colour, the horizontal bar in the button face's at its place.
    RECT rcFrame{};
    GetClientRect(m_sheet.Item(kIdFrame), &rcFrame);
    RECT rcWork{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    const int xBar = static_cast<int>((static_cast<long long>(def.nHorzOrgX) + def.nHorzWidth / 2) * rcFrame.right /
                                      (rcWork.right - rcWork.left));
    EXPECT_EQ(PreviewPixel(xBar, 1), GetSysColor(COLOR_BTNFACE) & 0xFFFFFF);
    EXPECT_EQ(PreviewPixel(2, rcFrame.bottom - 2), GetSysColor(COLOR_BACKGROUND) & 0xFFFFFF);

    // The letters move the focus; R only to the defaults button, pressing nothing.
    ASSERT_TRUE(PressLetter(L'H', kIdCy));
    EXPECT_EQ(m_sheet.Text(kIdHelp), kHelpCy);
    ASSERT_TRUE(PressLetter(L'W', kIdCx));
    EXPECT_EQ(m_sheet.Text(kIdHelp), kHelpCx);
    ASSERT_TRUE(PressLetter(L'Y', kIdY));
    ASSERT_TRUE(PressLetter(L'X', kIdX));
    ASSERT_TRUE(PressLetter(L'R', kIdDefault));
    EXPECT_EQ(m_sheet.Text(kIdX), Str(def.nHorzOrgX));
    EXPECT_FALSE(ApplyEnabled());

    // Typed, then the defaults back for this bar; then typed again and stored.
    m_sheet.SetText(kIdX, L"100");
    EXPECT_TRUE(ApplyEnabled());
    m_sheet.Click(kIdDefault);
    EXPECT_TRUE(WaitUntil([&] { return m_sheet.Text(kIdX) == Str(def.nHorzOrgX); }, 5000));
    m_sheet.SetText(kIdX, L"50");
    m_sheet.SetText(kIdY, L"3");
    ASSERT_TRUE(ChooseAndWait(hVert, {Str(def.nVertOrgX), Str(def.nVertOrgY), Str(def.nVertWidth), Str(def.nVertHeight)}));
    m_sheet.SetText(kIdCy, L"300");
    m_sheet.Press(PSBTN_OK);
    EXPECT_EQ(m_sheet.Process().WaitForExit(15000), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetDword(kSection, kHorzNames[0]), Dw(50));
    EXPECT_EQ(RegGetDword(kSection, kHorzNames[1]), Dw(3));
    EXPECT_EQ(RegGetDword(kSection, kHorzNames[2]), Dw(def.nHorzWidth));
    EXPECT_EQ(RegGetDword(kSection, kHorzNames[3]), Dw(def.nHorzHeight));
    EXPECT_EQ(RegGetDword(kSection, kVertNames[0]), Dw(def.nVertOrgX));
    EXPECT_EQ(RegGetDword(kSection, kVertNames[1]), Dw(def.nVertOrgY));
    EXPECT_EQ(RegGetDword(kSection, kVertNames[2]), Dw(def.nVertWidth));
    EXPECT_EQ(RegGetDword(kSection, kVertNames[3]), Dw(300));
}

TEST_F(PropertyPosSizePage, StoredValuesComeBackUnchangedWhenNothingIsTyped)
{
    const int anHorz[] = {100, 7, 500, 20}, anVert[] = {1200, 300, 20, 400};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(RegSetDword(kSection, kHorzNames[i], static_cast<DWORD>(anHorz[i])));
        ASSERT_TRUE(RegSetDword(kSection, kVertNames[i], static_cast<DWORD>(anVert[i])));
    }
    ASSERT_TRUE(Start());
    const HTREEITEM hRoot = Next(TVGN_ROOT);
    const HTREEITEM hHorz = Next(TVGN_CHILD, hRoot);
    const HTREEITEM hVert = Next(TVGN_NEXT, hHorz);
    ASSERT_TRUE(ChooseAndWait(hHorz, {L"100", L"7", L"500", L"20"}));
    ASSERT_TRUE(ChooseAndWait(hVert, {L"1200", L"300", L"20", L"400"}));
    ASSERT_TRUE(ChooseAndWait(hRoot, {L"", L"", L"", L""}));
    EXPECT_FALSE(ApplyEnabled()) << "showing and leaving the bars changed nothing";
    m_sheet.Press(PSBTN_OK);
    EXPECT_EQ(m_sheet.Process().WaitForExit(15000), std::optional<DWORD>(0));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(RegGetDword(kSection, kHorzNames[i]), Dw(anHorz[i])) << i;
        EXPECT_EQ(RegGetDword(kSection, kVertNames[i]), Dw(anVert[i])) << i;
    }
}

TEST_F(PropertyPosSizePage, ABarOutOfTheDesktopOrTooThinKeepsTheUserOnItWithEveryBrokenLimit)
{
    // The vertical bar hidden: no tree item for it. The horizontal bar from the registry starts
    // left of the desktop and ends right of it.
    ASSERT_TRUE(RegSetDword(L"View", L"Vertical", 0));
    const int anHorz[] = {-10, 0, 1300, 20};
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(RegSetDword(kSection, kHorzNames[i], static_cast<DWORD>(anHorz[i])));
    ASSERT_TRUE(Start());
    EXPECT_EQ(SendMessageW(m_hWndTree, TVM_GETCOUNT, 0, 0), 2);
    const HTREEITEM hRoot = Next(TVGN_ROOT);
    const HTREEITEM hHorz = Next(TVGN_CHILD, hRoot);
    EXPECT_EQ(ReadTreeItem(m_hWndTree, hHorz).strText, L"水平");
    EXPECT_EQ(Next(TVGN_NEXT, hHorz), nullptr);

    RECT rcDesktop{};
    GetWindowRect(GetDesktopWindow(), &rcDesktop);
    const std::wstring strHead = L"以下の設定値が範囲外です.";
    const std::wstring strLeft = L"\n\n・水平スクロールバーのX座標がデスクトップをはみだします.\n  X座標を" +
                                 Str(rcDesktop.left) + L"より大きくしてください.";
    const std::wstring strRight =
        L"\n\n・水平スクロールバーのX座標と幅の合計がデスクトップをはみだします.\n  X座標と幅の合計を" +
        Str(rcDesktop.right) + L"より小さくしてください.";
    const int nHalf = GetSystemMetrics(SM_CYHSCROLL) / 2;
    const std::wstring strThin = L"\n\n・水平スクロールバーの高さがWindows設定値の半分未満です.\n  高さを" + Str(nHalf) +
                                 L"より大きくしてください.";

    // The first choice checks nothing; the stored -10 is shown and read back as it is: leaving the
    // bar tells of both edges, and the X edit takes the focus.
    ASSERT_TRUE(ChooseAndWait(hHorz, {L"-10", L"0", L"1300", L"20"}));
    EXPECT_TRUE(FindMessageBoxes(m_sheet.Process().Pid()).empty());
    Choose(hRoot);
    ExpectCorrection(strHead + strLeft + strRight, kIdX, hHorz, "left and right, to the root");
    EXPECT_EQ(m_sheet.Text(kIdX), L"-10");

    // The width edit had the focus last: the right edge sends the user back there. OK and another
    // tab are refused alike.
    ASSERT_TRUE(PressLetter(L'W', kIdCx));
    m_sheet.SetText(kIdX, L"0");
    m_sheet.SetText(kIdCy, L"1");
    m_sheet.Press(PSBTN_OK);
    ExpectCorrection(strHead + strRight + strThin, kIdCx, hHorz, "right and thin, OK");
    PostMessageW(m_sheet.Sheet(), PSM_SETCURSEL, kPageView, 0);
    ExpectCorrection(strHead + strRight + strThin, kIdCx, hHorz, "right and thin, another tab");
    EXPECT_TRUE(m_sheet.Process().IsRunning());

    // Within every limit the bar may be left, and OK stores it.
    m_sheet.SetText(kIdCx, Str(rcDesktop.right).c_str());
    m_sheet.SetText(kIdCy, Str(nHalf).c_str());
    ASSERT_TRUE(ChooseAndWait(hRoot, {L"", L"", L"", L""}));
    EXPECT_EQ(m_sheet.Text(kIdHelp), kHelpRoot);
    EXPECT_TRUE(FindMessageBoxes(m_sheet.Process().Pid()).empty());
    m_sheet.Press(PSBTN_OK);
    EXPECT_EQ(m_sheet.Process().WaitForExit(15000), std::optional<DWORD>(0));
    EXPECT_EQ(RegGetDword(kSection, kHorzNames[0]), Dw(0));
    EXPECT_EQ(RegGetDword(kSection, kHorzNames[2]), Dw(rcDesktop.right));
    EXPECT_EQ(RegGetDword(kSection, kHorzNames[3]), Dw(nHalf));
    EXPECT_EQ(RegGetDword(L"View", L"Vertical"), Dw(0));
}
