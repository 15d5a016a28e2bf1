// The tray icon and its menu: the icon exists as View "TrayIcon" asks; a left or right click on
// it opens the menu (a popup window of class "#32768" of the core program), whose items the core
// program logs as it shows them, since no other program can read them; keys typed into the open
// menu carry out its commands; during a move the items that would cut into it are grey.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "CoreRun.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;

namespace {

constexpr wchar_t kMenuLine[] = L"トレイメニュー表示 : ";
// What the menu shows after the undo item.
constexpr wchar_t kRestEnabled[] =
    L" | [ \"ウィンドウの並べ替え(&L)\" enabled : 32772 \"中央へ表示(&E)\" enabled | 32773 \"重ねて表示(&C)\" enabled | "
    L"32774 \"横に並べて表示(&H)\" enabled | 32775 \"縦に並べて表示(&V)\" enabled ] | - | "
    L"32777 \"全ウィンドウを再描画(&R)\" enabled | 32778 \"プロパティ(&P)...\" enabled | - | "
    L"32779 \"ヘルプ(&H)...\" enabled | 57664 \"バージョン情報(&A)...\" enabled | - | "
    L"32781 \"Zuvora! の終了(&X)\" enabled | - | 32782 \"キャンセル(&C)\" enabled";
constexpr wchar_t kRestWhileMoving[] =
    L" | [ \"ウィンドウの並べ替え(&L)\" enabled : 32772 \"中央へ表示(&E)\" grayed | 32773 \"重ねて表示(&C)\" grayed | "
    L"32774 \"横に並べて表示(&H)\" grayed | 32775 \"縦に並べて表示(&V)\" grayed ] | - | "
    L"32777 \"全ウィンドウを再描画(&R)\" enabled | 32778 \"プロパティ(&P)...\" enabled | - | "
    L"32779 \"ヘルプ(&H)...\" enabled | 57664 \"バージョン情報(&A)...\" enabled | - | "
    L"32781 \"Zuvora! の終了(&X)\" grayed | - | 32782 \"キャンセル(&C)\" enabled";
constexpr wchar_t kNoUndo[] = L"32771 \"元に戻せません\" grayed";

// Whether the core program's window has a tray icon with this id: only an existing icon can be
// modified.
bool IconExists(HWND hWnd, UINT uId = 1)
{
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = hWnd;
    nid.uID = uId;
    return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

// A window of the taskbar's class in front of the real taskbar: Shell_NotifyIconW hands every icon
// to the first window of that class, so while it exists the core program's adds reach it, and it
// refuses them as a taskbar still starting up would.
constexpr wchar_t kTrayClass[] = L"Shell_TrayWnd";
int g_nTrayRequests = 0;

LRESULT CALLBACK RefusingTrayProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_COPYDATA) {
        ++g_nTrayRequests;
        return FALSE;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

class CRefusingTray {
public:
    CRefusingTray()
    {
        g_nTrayRequests = 0;
        WNDCLASSEXW wc{sizeof(wc)};
        wc.lpfnWndProc = RefusingTrayProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kTrayClass;
        RegisterClassExW(&wc);
        m_hWnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kTrayClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                 nullptr, wc.hInstance, nullptr);
        if (m_hWnd)
            SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    ~CRefusingTray() { Remove(); }
    CRefusingTray(const CRefusingTray&) = delete;
    CRefusingTray& operator=(const CRefusingTray&) = delete;
    // The one every program finds as the taskbar.
    bool IsInFront() const { return m_hWnd && FindWindowExW(nullptr, nullptr, kTrayClass, nullptr) == m_hWnd; }
    void Remove()
    {
        if (m_hWnd)
            DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
    }

private:
    HWND m_hWnd = nullptr;
};

class CoreTray : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RegDeleteSettings()); }

    bool StartAll(const std::wstring& strUntitled = L"")
    {
        std::vector<std::wstring> args{WndArg(300, 200, 300, 200, L"Zv Tray A"), WndArg(700, 450, 250, 180, L"Zv Tray B")};
        if (!strUntitled.empty())
            args.push_back(strUntitled);
        if (!m_wnds.Start(args))
            return false;
        m_hA = m_wnds.Window(L"Zv Tray A");
        m_rcA = WindowRect(m_hA);
        return m_hA && m_run.Start();
    }

    // The core program's open popup menu.
    HWND MenuWnd()
    {
        for (HWND hWnd : TopLevelWindows(m_run.Process().Pid(), true))
            if (WindowClass(hWnd) == L"#32768")
                return hWnd;
        return nullptr;
    }

    // Opens the menu as a click on the icon does, waits until it shows, and gives what the log
    // says it shows (the items after the point), or nothing when it did not open.
    std::optional<std::wstring> OpenMenu(LPARAM nMouseMsg = WM_LBUTTONDOWN)
    {
        const size_t n = CountOf(m_run.Log(), kMenuLine);
        if (!PostMessageW(m_run.Wnd(), MSG_TRAY_NTFY, 1, nMouseMsg) || !m_run.WaitForLine(kMenuLine, n + 1) ||
            !WaitUntil([&] { return MenuWnd() != nullptr; }, 5000, 20))
            return std::nullopt;
        return LastMenuLine();
    }
    std::wstring LastMenuLine() const
    {
        const std::wstring strLog = m_run.Log();
        const size_t nPos = strLog.rfind(kMenuLine);
        const size_t nItems = strLog.find(L") ", nPos) + 2;
        return strLog.substr(nItems, strLog.find_first_of(L"\r\n", nItems) - nItems);
    }
    // Types one key into the open menu and waits until the menu has closed: its window goes only
    // when the menu's loop has ended, and whatever command it chose is then queued.
    bool KeyAndClose(WORD vk) { return TapKey(vk) && WaitUntil([&] { return MenuWnd() == nullptr; }, 5000, 20); }

    CRegistryGuard m_guard{kMakerKey};
    CCoreRun m_run{L"ZvCoreTrayTest"};
    CTestWnds m_wnds;
    HWND m_hA = nullptr;
    RECT m_rcA{};
};

}  // namespace

TEST_F(CoreTray, TheIconsMenuShowsTheLastUndoAndTheKeysCarryOutItsCommands)
{
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 1));
    ASSERT_TRUE(StartAll());
    const HWND hCore = m_run.Wnd();

    EXPECT_TRUE(IconExists(hCore));
    EXPECT_FALSE(IconExists(hCore, 2));
    EXPECT_FALSE(RegGetDword(L"Undo", L"Depth").has_value()) << "saved before the end";

    // A taskbar made again (the shell restarted) holds no icon: the core adds its own again when
    // the taskbar tells every window so.
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = hCore;
    nid.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &nid));
    ASSERT_FALSE(IconExists(hCore));
    ASSERT_TRUE(PostMessageW(hCore, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0));
    EXPECT_TRUE(WaitUntil([&] { return IconExists(hCore); }, 5000));

    // A middle click and another icon's click open nothing: the menu that opens next is the first.
    ASSERT_TRUE(PostMessageW(hCore, MSG_TRAY_NTFY, 1, WM_MBUTTONDOWN));
    ASSERT_TRUE(PostMessageW(hCore, MSG_TRAY_NTFY, 2, WM_LBUTTONDOWN));
    std::optional<std::wstring> strMenu = OpenMenu();
    ASSERT_TRUE(strMenu);
    EXPECT_EQ(1u, CountOf(m_run.Log(), kMenuLine));
    EXPECT_EQ(kNoUndo + std::wstring(kRestEnabled), *strMenu);
    // Esc closes it and does nothing.
    ASSERT_TRUE(KeyAndClose(VK_ESCAPE));

    // After a vertical scroll the undo item names it and undoes it.
    ASSERT_TRUE(m_run.TypeAndSettle({VK_CONTROL, VK_MENU, VK_DOWN}));
    ASSERT_TRUE(SameRect(Shifted(m_rcA, 0, -10), WindowRect(m_hA)));
    strMenu = OpenMenu();
    ASSERT_TRUE(strMenu);
    EXPECT_EQ(L"32771 \"元に戻す - 垂直スクロール(&U)\" enabled" + std::wstring(kRestEnabled), *strMenu);
    // Each key reaches the menu once: one Down selects the first item.
    ASSERT_TRUE(TapKey(VK_DOWN));
    ASSERT_TRUE(KeyAndClose(VK_RETURN));
    EXPECT_TRUE(WaitForRect(m_hA, m_rcA, 5000)) << "the undo item did not undo the scroll";
    ASSERT_TRUE(m_run.WaitForMoveEnd());

    // The cancel item closes the menu and does nothing.
    ASSERT_TRUE(m_run.TypeAndSettle({VK_CONTROL, VK_MENU, VK_DOWN}));
    ASSERT_TRUE(OpenMenu());
    ASSERT_TRUE(KeyAndClose('C'));
    ASSERT_TRUE(m_run.WaitForMoveEnd());
    EXPECT_TRUE(SameRect(Shifted(m_rcA, 0, -10), WindowRect(m_hA))) << "the cancel item did something";

    // The settings item starts the settings program: its sheet comes up, and once it is cancelled
    // the core takes the window events back. X, beyond the work area's right edge and not
    // activated at its start, tells them back: only an activation the hook reports scrolls for it.
    const RECT rcWork = WorkArea();
    const HWND hX = m_wnds.Create(WndArg(rcWork.right - 100, 300, 400, 200, L"Zv Tray X", L"noactivate"));
    ASSERT_NE(hX, nullptr);
    ASSERT_TRUE(OpenMenu());
    ASSERT_TRUE(KeyAndClose('P'));
    EXPECT_TRUE(WaitUntil([] { return !ProcessesOf(ZV_PROPERTY64_FILE).empty(); }, 10000)) << "no settings program";
    const HWND hSheet = WaitForWindow(ZV_PROPERTY_WND_TITLE, 15000, L"#32770");
    ASSERT_NE(hSheet, nullptr) << "no settings sheet";
    ASSERT_TRUE(PostMessageW(hSheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0));
    EXPECT_TRUE(WaitUntil([] { return ProcessesOf(ZV_PROPERTY64_FILE).empty(); }, 15000))
        << "the settings program stayed";
    EXPECT_TRUE(WaitUntil(
        [&] {
            return m_wnds.Foreground(m_hA) && m_wnds.Foreground(hX) && m_run.WaitForMoveEnd() &&
                   WindowRect(hX).right <= rcWork.right;
        },
        15000, 100))
        << "the core did not take the window events back";
    ASSERT_TRUE(m_run.WaitForMoveEnd());

    // The arrangement popup: centre. Centred on the same area, the two windows share their centre
    // (to the pixel that halving drops).
    const HWND hB = m_wnds.Window(L"Zv Tray B");
    const RECT rcB = WindowRect(hB);
    ASSERT_TRUE(OpenMenu());
    ASSERT_TRUE(TapKey('L'));
    ASSERT_TRUE(KeyAndClose('E'));
    EXPECT_TRUE(WaitUntil(
        [&] {
            const RECT a = WindowRect(m_hA), b = WindowRect(hB);
            return !EqualRect(&b, &rcB) && std::abs((a.left + a.right) - (b.left + b.right)) <= 2 &&
                   std::abs((a.top + a.bottom) - (b.top + b.bottom)) <= 2;
        },
        5000, 20))
        << "the centre item did not centre";
    ASSERT_TRUE(m_run.WaitForMoveEnd());

    // A right click on a scroll-bar window opens the same menu at that point, naming the centring.
    const HWND hBar = m_run.BarWnd(false);
    ASSERT_NE(hBar, nullptr);
    POINT ptBar{12, 4};
    ASSERT_TRUE(ClientToScreen(hBar, &ptBar));
    const size_t nMenus = CountOf(m_run.Log(), kMenuLine);
    ASSERT_TRUE(PostMessageW(hBar, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(12, 4)));
    ASSERT_TRUE(m_run.WaitForLine(kMenuLine, nMenus + 1));
    ASSERT_TRUE(WaitUntil([&] { return MenuWnd() != nullptr; }, 5000, 20));
    const std::wstring strAt = L"(" + std::to_wstring(ptBar.x) + L", " + std::to_wstring(ptBar.y) + L")";
    EXPECT_NE(m_run.Log().find(kMenuLine + strAt), std::wstring::npos);
    EXPECT_EQ(L"32771 \"元に戻す - 中央へ表示(&U)\" enabled" + std::wstring(kRestEnabled), LastMenuLine());
    ASSERT_TRUE(KeyAndClose(VK_ESCAPE));

    // The exit item ends the program: exit code 0, the settings saved, the icon gone.
    ASSERT_TRUE(OpenMenu());
    ASSERT_TRUE(TapKey('X'));
    const std::optional<DWORD> code = m_run.Process().WaitForExit(15000);
    ASSERT_TRUE(code.has_value()) << "the exit item did not end the program";
    EXPECT_EQ(0u, *code);
    EXPECT_TRUE(RegGetDword(L"Undo", L"Depth").has_value()) << "the settings were not saved";
    // The program took its icon away itself (the tray would drop a dead window's icon anyway).
    EXPECT_NE(m_run.Log().find(L"CZvCoreDlg::DeleteTrayIcon() Shell_NotifyIcon(NIM_DELETE) = 1."), std::wstring::npos);
}

TEST_F(CoreTray, DuringAMoveTheMenuGreysWhatWouldCutIntoItAndOpensOnlyOnce)
{
    // No icon; twenty passes of 100 ms: a page scroll runs for about two seconds.
    ASSERT_TRUE(RegSetDword(L"View", L"TrayIcon", 0));
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 20));
    ASSERT_TRUE(RegSetDword(L"Undo", L"ResizeWnd", 1));
    ASSERT_TRUE(RegSetDword(L"Fix", L"Scroll Titled Window Only", 0));
    ASSERT_TRUE(StartAll(UntitledWndArg(150, 600, 200, 150)));
    const HWND hCore = m_run.Wnd();
    EXPECT_FALSE(IconExists(hCore));

    // A window without a title, resized by its program, is named by its untitled label.
    HWND hUntitled = nullptr;
    for (HWND hWnd : m_wnds.Windows())
        if (WindowTitle(hWnd).empty())
            hUntitled = hWnd;
    ASSERT_NE(hUntitled, nullptr);
    ASSERT_TRUE(m_wnds.Foreground(hUntitled));
    const unsigned uHandle = static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(hUntitled));
    wchar_t szHex[16], szHex8[16];
    swprintf(szHex, 16, L"%x", uHandle);
    swprintf(szHex8, 16, L"%08x", uHandle);
    ASSERT_TRUE(HoldKeys({VK_F9}));
    ASSERT_TRUE(m_run.WaitForLine(L"Previous resizable window is saved... hWndCur=0x" + std::wstring(szHex) + L"()"));
    WINDOWPLACEMENT wp{sizeof(wp)};
    ASSERT_TRUE(m_wnds.GetPlacement(hUntitled, wp));
    wp.rcNormalPosition = RECT{100, 550, 400, 800};
    ASSERT_TRUE(m_wnds.SetPlacement(hUntitled, wp));
    ASSERT_TRUE(WaitForRect(hUntitled, RECT{100, 550, 400, 800}));
    DWORD_PTR dwRes = 0;
    // Answered once the focus has been handled: the save it asked for stands queued before the
    // menu's request, and the menu names it.
    ASSERT_TRUE(SendMessageTimeoutW(hCore, WM_SETFOCUS, reinterpret_cast<WPARAM>(m_hA), 0, SMTO_ABORTIFHUNG, 5000, &dwRes));
    std::optional<std::wstring> strMenu = OpenMenu(WM_RBUTTONDOWN);
    ASSERT_TRUE(strMenu);
    const std::wstring strLabel = L"無題ウィンドウ " + std::wstring(szHex8) + L"H (ZvTestWnds.exe)";
    EXPECT_EQ(L"32771 \"元に戻す - \"" + strLabel.substr(0, 28) + L"...\"の位置とサイズ(&U)\" enabled" +
                  std::wstring(kRestEnabled),
              *strMenu);
    ASSERT_TRUE(KeyAndClose(VK_ESCAPE));

    // A page scroll to the right; the menu opened while it runs.
    const size_t nMoveLines = MoveLines(m_run.Log(), L"Zv Tray A").size();
    const RECT rcBefore = WindowRect(m_hA);
    ASSERT_TRUE(HoldKeys({VK_SHIFT, VK_CONTROL, VK_MENU, VK_RIGHT}));
    ASSERT_TRUE(WaitUntil([&] { return MoveLines(m_run.Log(), L"Zv Tray A").size() > nMoveLines; }, 10000, 10));
    strMenu = OpenMenu();
    ASSERT_TRUE(strMenu);
    EXPECT_EQ(kNoUndo + std::wstring(kRestWhileMoving), *strMenu);

    // Requests while it is open open no second menu; a point the core program did not post is
    // refused.
    const size_t nMenus = CountOf(m_run.Log(), kMenuLine);
    ASSERT_TRUE(PostMessageW(hCore, MSG_TRAY_NTFY, 1, WM_RBUTTONDOWN));
    ASSERT_TRUE(PostMessageW(hCore, MSG_TRAY_MENU, 0x12345678, 0));
    ASSERT_TRUE(m_run.WaitForLine(L"CZvCoreDlg::OnTrayMenu() refused a point it did not post: 0x12345678."));
    // The move goes on under the open menu to its end.
    EXPECT_TRUE(WaitForRect(m_hA, Shifted(rcBefore, -200, 0), 10000));
    EXPECT_NE(MenuWnd(), nullptr);
    EXPECT_EQ(nMenus, CountOf(m_run.Log(), kMenuLine));

    // Closing the program while the menu is open ends it in order.
    EXPECT_EQ(0, m_run.Close());
}

// A taskbar that refuses the first add (not ready yet at a logon): the core program tries again
// until one holds, since the icon may be the only way left to the menu.
TEST_F(CoreTray, AnIconTheTaskbarRefusedIsAddedOnceTheTaskbarTakesIt)
{
    CRefusingTray tray;
    ASSERT_TRUE(tray.IsInFront()) << "the stand-in taskbar is not the one Shell_NotifyIconW finds";
    ASSERT_TRUE(StartAll());
    const HWND hCore = m_run.Wnd();
    ASSERT_GT(g_nTrayRequests, 0) << "the core program asked no taskbar for its icon";
    // Tried again while the taskbar still refuses: the next request comes from the retry alone.
    const int nFirst = g_nTrayRequests;
    EXPECT_TRUE(WaitUntil([&] { return g_nTrayRequests > nFirst; }, 10000)) << "the refused add was not tried again";

    tray.Remove();
    EXPECT_TRUE(WaitUntil([&] { return IconExists(hCore); }, 10000)) << "no icon once the taskbar takes it";
    EXPECT_EQ(0, m_run.Close());
}
