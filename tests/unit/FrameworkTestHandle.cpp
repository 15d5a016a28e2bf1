// Framework: CHandle closes what it owns, once, and only that.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>

#include "Handle.h"

namespace {

// A named event lives while any handle to it is open: whether it can be opened by name tells
// whether every handle of this test has been closed.
std::wstring EventName(const wchar_t* pszWhich)
{
    return std::wstring(L"ZvTest Handle ") + std::to_wstring(GetCurrentProcessId()) + L" " + pszWhich;
}

bool EventLives(const std::wstring& strName)
{
    CHandle h(OpenEventW(SYNCHRONIZE, FALSE, strName.c_str()));
    return static_cast<bool>(h);
}

}  // namespace

TEST(FrameworkHandle, ClosesOnDestructionAndOnReset)
{
    const std::wstring strA = EventName(L"A"), strB = EventName(L"B");
    {
        CHandle h(CreateEventW(nullptr, TRUE, FALSE, strA.c_str()));
        ASSERT_TRUE(h);
        EXPECT_TRUE(EventLives(strA));
        h.reset(CreateEventW(nullptr, TRUE, FALSE, strB.c_str()));
        EXPECT_FALSE(EventLives(strA));
        EXPECT_TRUE(EventLives(strB));
        // Taking the handle it already holds closes nothing.
        h.reset(h.get());
        EXPECT_TRUE(EventLives(strB));
    }
    EXPECT_FALSE(EventLives(strB));
}

TEST(FrameworkHandle, MoveHandsOverAndReleaseGivesUp)
{
    const std::wstring strA = EventName(L"A"), strB = EventName(L"B");
    CHandle hA(CreateEventW(nullptr, TRUE, FALSE, strA.c_str()));
    CHandle hB(CreateEventW(nullptr, TRUE, FALSE, strB.c_str()));
    const HANDLE hRawA = hA.get();
    CHandle hMoved(std::move(hA));
    EXPECT_FALSE(hA);
    EXPECT_EQ(hMoved.get(), hRawA);
    // The target's own handle goes; the moved one stays open.
    hB = std::move(hMoved);
    EXPECT_FALSE(EventLives(strB));
    EXPECT_TRUE(EventLives(strA));
    EXPECT_EQ(hB.get(), hRawA);

    HANDLE hRaw = hB.release();
    EXPECT_FALSE(hB);
    hB.reset();
    EXPECT_TRUE(EventLives(strA));
    CloseHandle(hRaw);
    EXPECT_FALSE(EventLives(strA));
}

TEST(FrameworkHandle, InvalidHandleValueIsEmpty)
{
    CHandle hFile(CreateFileW(L"C:\\zv-no-such-folder\\none.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(hFile);
    EXPECT_EQ(hFile.get(), nullptr);
    CHandle hNone;
    EXPECT_FALSE(hNone);
    hNone.reset(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(hNone);
}
