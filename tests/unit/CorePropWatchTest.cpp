// Core: the settings exchange's arithmetic: the settings program's command line with the page and
// the caller's handle, the page index another program reports, and when the settings program
// counts as gone.
#include <gtest/gtest.h>
#include <windows.h>

#include "PropWatch.h"

using namespace PropWatch;

TEST(CorePropWatch, ArgumentsFollowTheLogOptionsWithThePageAndTheCallersLow32BitsSigned)
{
    EXPECT_EQ(L" /PAGE=0 /CALLER=66170", BuildArgs(L"", 0, reinterpret_cast<HWND>(0x1027A)));
    EXPECT_EQ(L" /LOGWINDOW /LOGLEVEL=DEBUG /LOGLINE=1000 /PAGE=3 /CALLER=-60876",
              BuildArgs(L" /LOGWINDOW /LOGLEVEL=DEBUG /LOGLINE=1000", 3, reinterpret_cast<HWND>(0xFFFF1234)));
    // The high half of a 64-bit handle does not travel.
    EXPECT_EQ(L" /PAGE=7 /CALLER=-2147483648",
              BuildArgs(L"", 7, reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x0000000180000000ull))));
}

TEST(CorePropWatch, OnlyTheEightPagesAreTaken)
{
    EXPECT_EQ(0, PageIndexOf(0));
    EXPECT_EQ(7, PageIndexOf(7));
    EXPECT_EQ(-1, PageIndexOf(8));
    EXPECT_EQ(-1, PageIndexOf(static_cast<WPARAM>(-1)));
    EXPECT_EQ(-1, PageIndexOf(0x100000003ull));
}

TEST(CorePropWatch, TheProgramLivesByItsMutexOrTheProcessStartedAndItsSheetUntilTheFinalApply)
{
    // Handing over: the program just started has no mutex yet; one the user started has no process.
    EXPECT_FALSE(IsGone({false, true, false, false, false}));
    EXPECT_FALSE(IsGone({true, false, false, false, false}));
    EXPECT_TRUE(IsGone({false, false, false, false, false}));
    // Editing: the sheet tells, also while the mutex is held.
    EXPECT_FALSE(IsGone({true, false, true, true, false}));
    EXPECT_TRUE(IsGone({true, false, true, false, false}));
    EXPECT_TRUE(IsGone({true, true, true, false, false}));
    // Ending: the sheet has closed before the final apply; the mutex tells.
    EXPECT_FALSE(IsGone({true, false, true, false, true}));
    EXPECT_TRUE(IsGone({false, false, true, false, true}));
}
