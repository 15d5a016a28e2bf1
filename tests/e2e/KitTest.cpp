// The test kit itself, under the same Wine as every other end-to-end test: if these pass, a
// failing feature test points at the feature, not at its tools.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <algorithm>
#include <string>
#include <vector>
#include "ZvTestKit.h"

using namespace zvkit;

namespace {

std::vector<std::wstring> ArgvOf(const std::wstring& strCmdLine) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(strCmdLine.c_str(), &argc);
  std::vector<std::wstring> out(argv, argv + argc);
  LocalFree(argv);
  return out;
}

bool ProcessEnded(DWORD pid, DWORD dwTimeoutMs) {
  HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!h) return true;  // already gone
  bool ended = WaitUntil([h] { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0; }, dwTimeoutMs);
  CloseHandle(h);
  return ended;
}

}  // namespace

// ---- Layout and command lines ---------------------------------------------------------------

TEST(KitLayout, ProgramsLieBesideTheTestProgram) {
  std::wstring dir = LayoutDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_NE(dir.back(), L'\\');
  for (const wchar_t* f : {L"ZvTestWnds.exe", L"ZvCore64.exe", L"ZvHook32to64.exe", L"ZvProperty64.exe"}) {
    std::wstring path = LayoutPath(f);
    EXPECT_EQ(path, dir + L"\\" + f);
    EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "missing: " << f;
  }
}

TEST(KitLayout, QuotedArgumentsComeBackUnchanged) {
  const std::vector<std::wstring> args = {
      L"plain", L"", L"with blank", L"/WND=1,2,3,4,窓 の タイトル", L"say \"hi\"", L"trailing\\",
      L"C:\\dir with blank\\", L"a\\\\\"b", L"\t", L"\\\\server\\share"};
  std::wstring cmd = L"prog.exe";
  for (const auto& a : args) cmd += L" " + QuoteArg(a);
  std::vector<std::wstring> back = ArgvOf(cmd);
  ASSERT_EQ(back.size(), args.size() + 1);
  for (size_t i = 0; i < args.size(); ++i) EXPECT_EQ(back[i + 1], args[i]) << "argument " << i;
}

// ---- Windows --------------------------------------------------------------------------------

TEST(KitWindows, FindsMovesAndReadsBackWindowsOfAnotherProcess) {
  const std::wstring titles[] = {L"Zv Kit A", L"ズヴォラ 窓 B", L"Zv Kit, C"};
  const RECT rects[] = {RectOf(100, 100, 300, 200), RectOf(450, 150, 320, 240), RectOf(200, 500, 400, 300)};
  CTestWnds tw;
  ASSERT_TRUE(tw.Start({WndArg(100, 100, 300, 200, titles[0]), WndArg(450, 150, 320, 240, titles[1]),
                        WndArg(200, 500, 400, 300, titles[2])}));

  std::vector<HWND> wnds = tw.Windows();
  ASSERT_EQ(wnds.size(), 3u);
  EXPECT_EQ(TopLevelWindows(tw.Pid(), true).size(), 3u) << "only the three test windows are visible";
  for (int i = 0; i < 3; ++i) {
    HWND h = WaitForWindow(titles[i], 3000, ZV_TW_WND_CLASS, tw.Pid());
    ASSERT_EQ(h, wnds[i]) << "window " << i;
    EXPECT_EQ(WindowTitle(h), titles[i]);
    EXPECT_EQ(WindowClass(h), ZV_TW_WND_CLASS);
    EXPECT_EQ(WindowPid(h), tw.Pid());
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_EQ(GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_TRUE(SameRect(rects[i], WindowRect(h)));
    EXPECT_EQ(tw.Window(titles[i]), h);
  }
  EXPECT_EQ(FindTopLevel(L"Zv Kit", nullptr, tw.Pid()), nullptr) << "titles match exactly";
  EXPECT_EQ(FindTopLevel(titles[0], nullptr, tw.Pid() + 4), nullptr) << "of that process only";

  const POINT places[] = {{-700, -500}, {1500, 1100}, {5000, 4000}, {0, 0}, {-30000, 30000}, {37, 61}};
  for (const POINT& pt : places) {
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(MoveWindowTo(wnds[i], pt.x + i * 10, pt.y + i * 10));
      const RECT want = RectOf(pt.x + i * 10, pt.y + i * 10, rects[i].right - rects[i].left,
                             rects[i].bottom - rects[i].top);
      EXPECT_TRUE(SameRect(want, WindowRect(wnds[i]))) << "window " << i << " at " << pt.x << "," << pt.y;
    }
  }
}

TEST(KitWindows, MakesUntitledToolMinimisedAndHiddenWindows) {
  CTestWnds tw;
  ASSERT_TRUE(tw.Start({UntitledWndArg(10, 10, 200, 100), WndArg(20, 20, 200, 100, L"Zv Tool", L"tool"),
                        WndArg(30, 30, 200, 100, L"Zv Min", L"min"), WndArg(40, 40, 200, 100, L"Zv Hidden", L"hidden"),
                        WndArg(50, 50, 200, 100, L"Zv Top", L"topmost+noactivate"),
                        WndArg(60, 60, 200, 100, L"Zv Popup", L"popup+owned")}));
  std::vector<HWND> w = tw.Windows();
  ASSERT_EQ(w.size(), 6u);
  EXPECT_EQ(WindowTitle(w[0]), L"");
  EXPECT_TRUE(SameRect(RectOf(10, 10, 200, 100), WindowRect(w[0])));
  EXPECT_NE(GetWindowLongW(w[1], GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
  EXPECT_TRUE(WaitUntil([&] { return IsIconic(w[2]) != FALSE; }, 2000));
  EXPECT_FALSE(IsWindowVisible(w[3]));
  EXPECT_NE(GetWindowLongW(w[4], GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_NE(GetWindowLongW(w[5], GWL_STYLE) & WS_POPUP, 0);
  EXPECT_NE(GetWindowLongW(w[5], GWL_STYLE) & WS_CAPTION, static_cast<LONG>(WS_CAPTION));
  EXPECT_EQ(GetWindow(w[5], GW_OWNER), w[0]);

  HWND h = tw.Create(WndArg(70, 80, 210, 110, L"Zv Later"));
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(WaitForWindow(L"Zv Later", 2000, nullptr, tw.Pid()), h);
  EXPECT_TRUE(SameRect(RectOf(70, 80, 210, 110), WindowRect(h)));
  EXPECT_EQ(tw.Windows().size(), 7u);
  EXPECT_EQ(tw.Create(L"/WND=1,2,three,4"), nullptr) << "a bad window description makes no window";
}

TEST(KitWindows, PlacementOfAMinimisedWindowRoundTripsInsideItsProcess) {
  CTestWnds tw;
  ASSERT_TRUE(tw.Start({WndArg(100, 100, 300, 200, L"Zv Placed", L"min"), WndArg(500, 100, 300, 200, L"Zv Other")}));
  HWND h = tw.Window(L"Zv Placed");
  ASSERT_NE(h, nullptr);
  ASSERT_TRUE(WaitUntil([h] { return IsIconic(h) != FALSE; }, 2000));

  WINDOWPLACEMENT wp{sizeof(wp)};
  ASSERT_TRUE(tw.GetPlacement(h, wp));
  EXPECT_EQ(wp.showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));

  // On the screen and partly beyond each edge: SetWindowPlacement keeps these as given.
  const RECT places[] = {RectOf(50, 60, 300, 200), RectOf(-100, -50, 300, 200), RectOf(1100, 900, 320, 240)};
  for (const RECT& rcNormal : places) {
    WINDOWPLACEMENT set = wp;
    set.flags = 0;
    set.showCmd = SW_SHOWMINNOACTIVE;
    set.rcNormalPosition = rcNormal;
    ASSERT_TRUE(tw.SetPlacement(h, set));
    WINDOWPLACEMENT got{sizeof(got)};
    ASSERT_TRUE(tw.GetPlacement(h, got));
    EXPECT_TRUE(SameRect(rcNormal, got.rcNormalPosition));
    EXPECT_EQ(got.showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));
    EXPECT_TRUE(IsIconic(h));
  }

  // Restored, it lands where its placement said (placement is in work-area coordinates).
  RECT rcWork{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
  ASSERT_TRUE(tw.Show(h, SW_RESTORE));
  ASSERT_TRUE(WaitUntil([h] { return !IsIconic(h); }, 2000));
  RECT want = places[2];
  OffsetRect(&want, rcWork.left, rcWork.top);
  EXPECT_TRUE(SameRect(want, WindowRect(h)));

  ASSERT_TRUE(tw.Show(h, SW_MAXIMIZE));
  EXPECT_TRUE(WaitUntil([h] { return IsZoomed(h) != FALSE; }, 2000));
  ASSERT_TRUE(tw.Show(h, SW_MINIMIZE));
  EXPECT_TRUE(WaitUntil([h] { return IsIconic(h) != FALSE; }, 2000));
  EXPECT_FALSE(tw.Show(reinterpret_cast<HWND>(GetDesktopWindow()), SW_MINIMIZE)) << "only its own windows";
}

// What a test of minimised windows must know: like Windows, Wine moves a restored rectangle that
// lies wholly off the screen back onto it, so such a place cannot be stored by SetWindowPlacement.
TEST(KitWindows, PlacementBringsAWhollyOffScreenRectangleOntoTheScreen) {
  CTestWnds tw;
  ASSERT_TRUE(tw.Start({WndArg(100, 100, 300, 200, L"Zv Off", L"min")}));
  HWND h = tw.Window(L"Zv Off");
  ASSERT_NE(h, nullptr);
  WINDOWPLACEMENT wp{sizeof(wp)};
  ASSERT_TRUE(tw.GetPlacement(h, wp));
  const RECT rcScreen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  for (const RECT& rcOff : {RectOf(-700, -500, 300, 200), RectOf(1500, 1100, 320, 240), RectOf(5000, 4000, 250, 150)}) {
    wp.flags = 0;
    wp.showCmd = SW_SHOWMINNOACTIVE;
    wp.rcNormalPosition = rcOff;
    ASSERT_TRUE(tw.SetPlacement(h, wp));
    WINDOWPLACEMENT got{sizeof(got)};
    ASSERT_TRUE(tw.GetPlacement(h, got));
    RECT rcSeen{};
    EXPECT_TRUE(IntersectRect(&rcSeen, &got.rcNormalPosition, &rcScreen)) << "from " << rcOff.left << "," << rcOff.top;
    EXPECT_EQ(got.rcNormalPosition.right - got.rcNormalPosition.left, rcOff.right - rcOff.left) << "size kept";
  }
}

// ---- Processes ------------------------------------------------------------------------------

TEST(KitProcess, TestWndsEndsInOrderOnEachDocumentedRequest) {
  {  // the quit command
    CTestWnds tw;
    ASSERT_TRUE(tw.Start({WndArg(10, 10, 200, 100, L"Zv End 1")}));
    EXPECT_EQ(tw.Quit(), std::optional<DWORD>(0));
  }
  {  // WM_CLOSE from outside to its only window
    CTestWnds tw;
    ASSERT_TRUE(tw.Start({WndArg(10, 10, 200, 100, L"Zv End 2")}));
    HWND h = WaitForWindow(L"Zv End 2", 3000, nullptr, tw.Pid());
    ASSERT_NE(h, nullptr);
    PostMessageW(h, WM_CLOSE, 0, 0);
    EXPECT_EQ(tw.Process().WaitForExit(5000), std::optional<DWORD>(0));
  }
  {  // closing one window keeps the other; the last one ends the program
    CTestWnds tw;
    ASSERT_TRUE(tw.Start({WndArg(10, 10, 200, 100, L"Zv End 3a"), WndArg(30, 30, 200, 100, L"Zv End 3b")}));
    std::vector<HWND> w = tw.Windows();
    ASSERT_EQ(w.size(), 2u);
    ASSERT_TRUE(tw.Close(w[0]));
    EXPECT_FALSE(IsWindow(w[0]));
    EXPECT_TRUE(tw.Process().IsRunning());
    EXPECT_EQ(tw.Windows(), std::vector<HWND>{w[1]});
    ASSERT_TRUE(tw.Close(w[1]));
    EXPECT_EQ(tw.Process().WaitForExit(5000), std::optional<DWORD>(0));
  }
  {  // the named event
    const std::wstring name = L"ZvKitTestEnd" + std::to_wstring(GetCurrentProcessId());
    HANDLE hEvent = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    ASSERT_NE(hEvent, nullptr);
    CTestWnds tw;
    ASSERT_TRUE(tw.Start({L"/EVENT=" + name, L"/STAY"}));
    EXPECT_TRUE(tw.Process().IsRunning());
    SetEvent(hEvent);
    EXPECT_EQ(tw.Process().WaitForExit(5000), std::optional<DWORD>(0));
    CloseHandle(hEvent);
  }
  {  // the end of the process it watches (not an orderly end)
    CProcess parent, watcher;
    ASSERT_TRUE(parent.Start(L"ZvTestWnds.exe", L"/STAY"));
    ASSERT_TRUE(watcher.Start(L"ZvTestWnds.exe", L"/STAY /PARENT=" + std::to_wstring(parent.Pid())));
    EXPECT_EQ(watcher.WaitForExit(200), std::nullopt);
    parent.Stop(0);
    EXPECT_EQ(watcher.WaitForExit(5000), std::optional<DWORD>(3));
  }
  {  // a bad command line
    CProcess p;
    ASSERT_TRUE(p.Start(L"ZvTestWnds.exe", L"/NOSUCH"));
    EXPECT_EQ(p.WaitForExit(5000), std::optional<DWORD>(2));
  }
}

TEST(KitProcess, DestroyingTheProcessObjectLeavesNoStray) {
  DWORD dwParent = 0, dwChild = 0;
  {
    // /STAY without windows ignores WM_CLOSE: only termination ends it; its child has a window.
    CProcess p;
    ASSERT_TRUE(p.Start(L"ZvTestWnds.exe", L"/STAY " + QuoteArg(L"/CHILD=/STAY " + QuoteArg(WndArg(10, 10, 200, 100, L"Zv Child")))));
    dwParent = p.Pid();
    HWND hChild = WaitForWindow(L"Zv Child", 5000);
    ASSERT_NE(hChild, nullptr);
    dwChild = WindowPid(hChild);
    ASSERT_NE(dwChild, dwParent);
    std::vector<DWORD> pids = p.JobPids();
    std::sort(pids.begin(), pids.end());
    EXPECT_EQ(pids, (std::vector<DWORD>{std::min(dwParent, dwChild), std::max(dwParent, dwChild)}))
        << "both run in the job, and nothing else";
  }
  EXPECT_TRUE(ProcessEnded(dwParent, 3000));
  EXPECT_TRUE(ProcessEnded(dwChild, 3000));
}

TEST(KitProcess, StartOfAMissingProgramFails) {
  CProcess p;
  EXPECT_FALSE(p.Start(L"ZvNoSuchProgram.exe"));
  EXPECT_NE(p.LastError(), 0u);
  EXPECT_FALSE(p.IsRunning());
  EXPECT_EQ(p.WaitForExit(10), std::nullopt);
}

// ---- Message boxes --------------------------------------------------------------------------

TEST(KitMessageBoxes, FindsReadsAndPressesABoxOfAnotherProcess) {
  const std::wstring caption = L"Zuvora! キット";
  const std::wstring text = L"初期化に失敗しました (code=0x5).\nコンピュータを再起動して下さい.";
  CTestWnds tw;
  ASSERT_TRUE(tw.Start({L"/MSGBOX=初期化に失敗しました (code=0x5).\\nコンピュータを再起動して下さい.",
                        L"/MSGCAPTION=" + caption, L"/MSGTYPE=" + std::to_wstring(MB_OKCANCEL)}));
  HWND hBox = WaitForMessageBox(tw.Pid(), 5000);
  ASSERT_NE(hBox, nullptr);
  EXPECT_EQ(WaitForMessageBoxByCaption(caption, 1000), hBox);
  EXPECT_EQ(WindowTitle(hBox), caption);
  EXPECT_TRUE(IsMessageBox(hBox));
  EXPECT_FALSE(IsMessageBox(GetDesktopWindow()));
  EXPECT_EQ(MessageBoxText(hBox), text);
  std::vector<int> buttons = MessageBoxButtons(hBox);
  std::sort(buttons.begin(), buttons.end());
  EXPECT_EQ(buttons, (std::vector<int>{IDOK, IDCANCEL}));
  EXPECT_FALSE(PressMessageBoxButton(hBox, IDYES));
  ASSERT_TRUE(PressMessageBoxButton(hBox, IDOK));
  EXPECT_EQ(tw.Process().WaitForExit(5000), std::optional<DWORD>(IDOK));
}

TEST(KitMessageBoxes, StrayBoxesAreClosed) {
  CTestWnds yesNo, ok;
  ASSERT_TRUE(yesNo.Start({L"/MSGBOX=Yes or no?", L"/MSGTYPE=" + std::to_wstring(MB_YESNO)}));
  ASSERT_TRUE(ok.Start({L"/MSGBOX=Just OK"}));
  ASSERT_NE(WaitForMessageBox(yesNo.Pid(), 5000), nullptr);
  ASSERT_NE(WaitForMessageBox(ok.Pid(), 5000), nullptr);
  EXPECT_EQ(CloseStrayMessageBoxes(yesNo.Pid()), 1);
  EXPECT_EQ(yesNo.Process().WaitForExit(5000), std::optional<DWORD>(IDNO));
  EXPECT_TRUE(ok.Process().IsRunning()) << "only the boxes of that process";
  EXPECT_GE(CloseStrayMessageBoxes(), 1);
  EXPECT_EQ(ok.Process().WaitForExit(5000), std::optional<DWORD>(IDOK));
  EXPECT_EQ(CloseStrayMessageBoxes(), 0);
}

// ---- Registry -------------------------------------------------------------------------------

TEST(KitRegistry, ReadsAndWritesSettingValues) {
  CRegistryGuard guard;
  ASSERT_TRUE(RegDeleteSettings());
  EXPECT_FALSE(RegKeyExists(kMakerKey));
  EXPECT_EQ(RegGetDword(L"View", L"Speed"), std::nullopt);
  ASSERT_TRUE(RegSetDword(L"View", L"Speed", 7));
  ASSERT_TRUE(RegSetString(L"Fix", L"Title #0", L"ズヴォラ メモ帳"));
  EXPECT_TRUE(RegKeyExists(std::wstring(kProfileKey) + L"\\View"));
  EXPECT_EQ(RegGetDword(L"View", L"Speed"), std::optional<DWORD>(7));
  EXPECT_EQ(RegGetString(L"Fix", L"Title #0"), std::optional<std::wstring>(L"ズヴォラ メモ帳"));
  EXPECT_EQ(RegGetString(L"View", L"Speed"), std::nullopt) << "a DWORD is not a string";
  EXPECT_EQ(RegGetDword(L"Fix", L"Title #0"), std::nullopt) << "a string is not a DWORD";
  ASSERT_TRUE(RegDeleteSettingValue(L"View", L"Speed"));
  EXPECT_EQ(RegGetDword(L"View", L"Speed"), std::nullopt);
  EXPECT_TRUE(RegDeleteSettingValue(L"View", L"Speed")) << "deleting an absent value is no failure";
  ASSERT_TRUE(RegDeleteSettings());
  EXPECT_FALSE(RegKeyExists(kMakerKey));
}

TEST(KitRegistry, GuardRestoresTheTreeItSaw) {
  CRegistryGuard outer;  // the prefix's own state, whatever this test does
  ASSERT_TRUE(RegDeleteSettings());
  ASSERT_TRUE(RegSetDword(L"Scroll", L"Kit Width", 5));
  ASSERT_TRUE(RegSetString(L"View", L"Kit Name", L"ズヴォラ"));
  ASSERT_TRUE(RegSetDword(L"View\\Deeper", L"Kit Deep", 0xFFFFFFFF));
  {
    CRegistryGuard guard;
    ASSERT_TRUE(RegSetDword(L"Scroll", L"Kit Width", 9));
    ASSERT_TRUE(RegDeleteSettingValue(L"View", L"Kit Name"));
    ASSERT_TRUE(RegSetDword(L"Undo", L"Kit New", 1));
    ASSERT_TRUE(RegDeleteSettings(std::wstring(kProfileKey) + L"\\View\\Deeper"));
  }
  EXPECT_EQ(RegGetDword(L"Scroll", L"Kit Width"), std::optional<DWORD>(5));
  EXPECT_EQ(RegGetString(L"View", L"Kit Name"), std::optional<std::wstring>(L"ズヴォラ"));
  EXPECT_EQ(RegGetDword(L"View\\Deeper", L"Kit Deep"), std::optional<DWORD>(0xFFFFFFFF));
  EXPECT_EQ(RegGetDword(L"Undo", L"Kit New"), std::nullopt);
  EXPECT_FALSE(RegKeyExists(std::wstring(kProfileKey) + L"\\Undo")) << "a key made under the guard goes";

  ASSERT_TRUE(RegDeleteSettings());
  {
    CRegistryGuard guard;  // notes the absence
    ASSERT_TRUE(RegSetDword(L"Scroll", L"Kit Width", 3));
  }
  EXPECT_FALSE(RegKeyExists(kMakerKey));
}

// ---- Input ----------------------------------------------------------------------------------

namespace {

// The generic code of a left or right modifier, as a window message carries it.
UINT Generic(UINT vk) {
  switch (vk) {
    case VK_LCONTROL: case VK_RCONTROL: return VK_CONTROL;
    case VK_LSHIFT: case VK_RSHIFT: return VK_SHIFT;
    case VK_LMENU: case VK_RMENU: return VK_MENU;
  }
  return vk;
}

std::vector<ZV_TW_INPUT> Only(const std::vector<ZV_TW_INPUT>& all, uint32_t source) {
  std::vector<ZV_TW_INPUT> out;
  std::copy_if(all.begin(), all.end(), std::back_inserter(out), [source](const ZV_TW_INPUT& e) { return e.source == source; });
  return out;
}

}  // namespace

TEST(KitInput, HeldCombinationIsSeenByAnotherProcessesHook) {
  CTestWnds tw;
  ASSERT_TRUE(tw.Start({WndArg(100, 100, 300, 200, L"Zv Keys"), L"/KEYHOOK"}));
  ASSERT_TRUE(HoldKeys({VK_CONTROL, VK_SHIFT, VK_F11}, 150));
  std::vector<ZV_TW_INPUT> hook;
  ASSERT_TRUE(WaitUntil([&] { return (hook = Only(tw.Input(), ZV_TW_IN_HOOK)).size() >= 6; }, 3000))
      << "hook events: " << hook.size();
  ASSERT_EQ(hook.size(), 6u);
  const UINT order[6][2] = {{VK_CONTROL, 1}, {VK_SHIFT, 1}, {VK_F11, 1}, {VK_F11, 0}, {VK_SHIFT, 0}, {VK_CONTROL, 0}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Generic(hook[i].vk), order[i][0]) << "event " << i;
    EXPECT_EQ(hook[i].down, order[i][1]) << "event " << i;
    EXPECT_EQ(hook[i].injected, 1u) << "event " << i;
  }
  // Held: the last key stayed down for the hold, not released in the same instant.
  EXPECT_GE(hook[3].time - hook[2].time, 100u);

  ASSERT_TRUE(TapKey('Q'));
  ASSERT_TRUE(WaitUntil([&] { return (hook = Only(tw.Input(), ZV_TW_IN_HOOK)).size() >= 8; }, 3000));
  EXPECT_EQ(hook[6].vk, static_cast<uint32_t>('Q'));
  EXPECT_EQ(hook[6].down, 1u);
  EXPECT_EQ(hook[7].vk, static_cast<uint32_t>('Q'));
  EXPECT_EQ(hook[7].down, 0u);
  EXPECT_EQ(Only(tw.Input(true), ZV_TW_IN_HOOK).size(), 8u);
  EXPECT_TRUE(tw.Input().empty()) << "the log was cleared";
}

TEST(KitInput, KeysReachTheForegroundWindow) {
  CTestWnds tw;
  ASSERT_TRUE(tw.Start({WndArg(100, 100, 300, 200, L"Zv Focus A"), WndArg(500, 100, 300, 200, L"Zv Focus B")}));
  HWND a = tw.Window(L"Zv Focus A"), b = tw.Window(L"Zv Focus B");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  ASSERT_TRUE(ForceForeground(a)) << "from the test process";
  ASSERT_TRUE(tw.Foreground(b)) << "from inside its process";
  ASSERT_TRUE(ForceForeground(a));
  tw.Input(true);
  ASSERT_TRUE(HoldKeys({VK_SHIFT, 'Z'}, 150));
  std::vector<ZV_TW_INPUT> got;
  ASSERT_TRUE(WaitUntil([&] { return (got = Only(tw.Input(), ZV_TW_IN_WINDOW)).size() >= 4; }, 3000))
      << "window events: " << got.size();
  const UINT order[4][2] = {{VK_SHIFT, 1}, {'Z', 1}, {'Z', 0}, {VK_SHIFT, 0}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(got[i].vk, order[i][0]) << "event " << i;
    EXPECT_EQ(got[i].down, order[i][1]) << "event " << i;
    EXPECT_EQ(reinterpret_cast<HWND>(got[i].hwnd), a) << "event " << i;
  }
}

TEST(KitInput, PointerButtonsAndWheelReachTheWindowUnderThePointer) {
  CTestWnds tw;
  ASSERT_TRUE(tw.Start({WndArg(200, 200, 400, 300, L"Zv Mouse")}));
  HWND h = tw.Window(L"Zv Mouse");
  ASSERT_NE(h, nullptr);
  for (POINT pt : {POINT{0, 0}, POINT{1279, 1023}, POINT{123, 457}, POINT{640, 512}}) {
    EXPECT_TRUE(MouseMoveTo(pt.x, pt.y)) << pt.x << "," << pt.y;
    POINT now{};
    GetCursorPos(&now);
    EXPECT_EQ(now.x, pt.x);
    EXPECT_EQ(now.y, pt.y);
  }
  ASSERT_TRUE(MouseMoveTo(400, 400));  // inside the client area
  ASSERT_TRUE(MouseClick(MouseButton::Left));
  ASSERT_TRUE(MouseClick(MouseButton::Right));
  ASSERT_TRUE(WaitUntil([h] { return GetForegroundWindow() == h; }, 2000)) << "a click activates it";
  ASSERT_TRUE(MouseWheel(-1));
  std::vector<ZV_TW_INPUT> got;
  ASSERT_TRUE(WaitUntil([&] { return (got = Only(tw.Input(), ZV_TW_IN_WINDOW)).size() >= 5; }, 3000))
      << "window events: " << got.size();
  EXPECT_EQ(got[0].vk, static_cast<uint32_t>(VK_LBUTTON));
  EXPECT_EQ(got[0].down, 1u);
  EXPECT_EQ(got[1].vk, static_cast<uint32_t>(VK_LBUTTON));
  EXPECT_EQ(got[1].down, 0u);
  EXPECT_EQ(got[2].vk, static_cast<uint32_t>(VK_RBUTTON));
  EXPECT_EQ(got[3].vk, static_cast<uint32_t>(VK_RBUTTON));
  EXPECT_EQ(got[4].vk, 0u);
  EXPECT_EQ(got[4].wheel, -WHEEL_DELTA);
}
