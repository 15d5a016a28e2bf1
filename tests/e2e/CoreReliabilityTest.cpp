// The core program beside windows that come and go at any moment: windows are made, minimised,
// activated and destroyed while scrolls, arrangements and undos run and wait between their passes.
// The core program must neither crash nor stall nor move a window that is not its to move, and
// must still scroll and undo exactly afterwards.
//
//   ZV_RELIABILITY_ROUNDS=n   how many rounds (default 500)
//   ZV_RELIABILITY_SEED=n     the seed (default 1; every run prints its own)
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <deque>
#include <random>
#include <string>

#include "CoreRun.h"
#include "ZvTestKit.h"

using namespace zvkit;
using namespace zvcore;

namespace {

constexpr size_t kMaxChurn = 4;
constexpr int kCheckEvery = 25;

uint64_t EnvNumber(const wchar_t* pszName, uint64_t nDefault)
{
    wchar_t sz[64] = {};
    const DWORD n = GetEnvironmentVariableW(pszName, sz, static_cast<DWORD>(std::size(sz)));
    return n > 0 && n < std::size(sz) ? wcstoull(sz, nullptr, 0) : nDefault;
}

// The core program answers a sent message within a few seconds: its thread is not stuck.
bool Answers(HWND hWnd)
{
    DWORD_PTR dwResult = 0;
    return SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &dwResult) != 0;
}

}  // namespace

TEST(CoreReliability, WindowsThatComeAndGoDuringScrollsArrangementsAndUndosNeverTripTheCore)
{
    const uint64_t nSeed = EnvNumber(L"ZV_RELIABILITY_SEED", 1);
    const int nRounds = static_cast<int>(EnvNumber(L"ZV_RELIABILITY_ROUNDS", 500));
    SCOPED_TRACE("ZV_RELIABILITY_SEED=" + std::to_string(nSeed) + " ZV_RELIABILITY_ROUNDS=" + std::to_string(nRounds));
    std::printf("reliability: seed %llu, %d rounds\n", static_cast<unsigned long long>(nSeed), nRounds);

    CRegistryGuard guard{kMakerKey};
    ASSERT_TRUE(RegDeleteSettings());
    ASSERT_TRUE(RegSetString(L"Fix", L"Fixed Window By Title No.0", L"Zv Rel Fixed"));
    ASSERT_TRUE(RegSetDword(L"View", L"Speed", 3));  // smooth: moves wait between passes
    ASSERT_TRUE(RegSetDword(L"Window", L"ActivateMode", 1));
    ASSERT_TRUE(RegSetDword(L"Window", L"RestoreAbsPos", 1));
    ASSERT_TRUE(RegSetDword(L"Undo", L"ResizeWnd", 1));
    ASSERT_TRUE(RegSetDword(L"Undo", L"Depth", 100));

    CTestWnds wnds;
    const auto hStay = wnds.StartTitled({WndArg(200, 150, 300, 200, L"Zv Rel Stay A"), WndArg(600, 400, 250, 180, L"Zv Rel Stay B"),
                                         WndArg(40, 700, 220, 160, L"Zv Rel Fixed")});
    for (HWND h : hStay)
        ASSERT_NE(h, nullptr);
    const RECT rcFixed = WindowRect(hStay[2]);
    CCoreRun run{L"ZvCoreReliabilityTest"};
    ASSERT_TRUE(run.Start());

    std::mt19937_64 rng(nSeed);
    const auto Pick = [&](int n) { return static_cast<int>(rng() % static_cast<uint64_t>(n)); };
    std::deque<HWND> churn;
    for (int i = 0; i < nRounds; ++i) {
        // A new window, often beyond an edge so that its activation scrolls.
        const std::wstring strTitle = L"Zv Rel Churn " + std::to_wstring(i);
        const HWND hNew = wnds.Create(WndArg(Pick(3000) - 800, Pick(2400) - 600, 150 + Pick(300), 100 + Pick(200), strTitle,
                                             Pick(8) == 0 ? L"min" : L""));
        if (hNew)
            churn.push_back(hNew);

        switch (Pick(7)) {
        case 0:
            run.PostDevice(Pick(2) ? DEVFLAG_RIGHT : DEVFLAG_DOWN, Pick(2) ? kKeybdHorzLine : kKeybdVertLine);
            break;
        case 1:
            run.Command(ID_ZV_UNDO);
            break;
        case 2:
            run.Command(ID_ZV_ALIGN_CENTER + static_cast<UINT>(Pick(4)));
            break;
        case 3:
            if (!churn.empty())
                wnds.Foreground(churn[static_cast<size_t>(Pick(static_cast<int>(churn.size())))], 200);
            break;
        case 4:
            if (!churn.empty())
                wnds.Show(churn[static_cast<size_t>(Pick(static_cast<int>(churn.size())))],
                          Pick(3) == 0 ? SW_MAXIMIZE : (Pick(2) ? SW_MINIMIZE : SW_RESTORE));
            break;
        default:
            // A move asked for and its windows going at once.
            run.PostDevice(DEVFLAG_RIGHT, kKeybdHorzLine);
            if (!churn.empty()) {
                wnds.Close(churn.back());
                churn.pop_back();
            }
            break;
        }
        while (churn.size() > kMaxChurn) {
            wnds.Close(churn.front());
            churn.pop_front();
        }
        if (i % kCheckEvery == kCheckEvery - 1) {
            ASSERT_TRUE(run.Process().IsRunning()) << "round " << i;
            ASSERT_TRUE(Answers(run.Wnd())) << "round " << i;
            ASSERT_TRUE(FindMessageBoxes(run.Process().Pid()).empty()) << "round " << i;
            // Lets the queue drain, so that the rounds do not run ahead of the core program.
            ASSERT_TRUE(run.WaitForMoveEnd()) << "round " << i;
        }
    }
    for (HWND h : churn)
        wnds.Close(h);
    ASSERT_TRUE(run.WaitForMoveEnd());

    // The fixed window never moved; the others still scroll, and undo, exactly.
    const RECT rcFixedNow = WindowRect(hStay[2]);
    EXPECT_TRUE(EqualRect(&rcFixed, &rcFixedNow)) << ::testing::PrintToString(rcFixedNow);
    wnds.Show(hStay[0], SW_RESTORE);
    wnds.Show(hStay[1], SW_RESTORE);
    ASSERT_TRUE(run.WaitForMoveEnd());
    const RECT rcA = WindowRect(hStay[0]), rcB = WindowRect(hStay[1]);
    // A wheel turn over the horizontal bar (right by the wheel's line): the bar asks for its undo step.
    ASSERT_TRUE(run.PostWheel(false, -WHEEL_DELTA));
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(hStay[0]).left == rcA.left - 10 && WindowRect(hStay[1]).left == rcB.left - 10; },
                          10000, 50))
        << WindowRect(hStay[0]).left - rcA.left << " " << WindowRect(hStay[1]).left - rcB.left;
    ASSERT_TRUE(run.WaitForMoveEnd());
    ASSERT_TRUE(run.Command(ID_ZV_UNDO));
    EXPECT_TRUE(WaitUntil([&] { return WindowRect(hStay[0]).left == rcA.left && WindowRect(hStay[1]).left == rcB.left; },
                          10000, 50))
        << WindowRect(hStay[0]).left - rcA.left << " " << WindowRect(hStay[1]).left - rcB.left;
    EXPECT_EQ(run.Close(), 0);
}
