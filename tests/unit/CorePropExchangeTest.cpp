// Core: the settings exchange without a core window: a fake host stands for the window's record,
// hooks and timer items. Only the refusals outside an exchange run here: a hand-over would make the
// settings blocks, which other unit tests use side by side.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "PropExchange.h"

namespace {

struct HOST_LOG {
    int nEndState = 0;
    int nApplies = 0, nSuspends = 0, nResumes = 0, nKeybdUpdates = 0, nItems = 0;
};

class CFakeHost : public IPropExchangeHost {
public:
    explicit CFakeHost(HOST_LOG& log) : m_log(log) {}
    HWND GetWnd() override { return nullptr; }
    PROPERTY_SET& GetProperty() override { return m_prop; }
    void SetOwnScrollBars(PROPERTY_SET&) override {}
    void ApplyProperty() override { ++m_log.nApplies; }
    int GetEndState() override { return m_log.nEndState; }
    void SuspendForProperty() override { ++m_log.nSuspends; }
    void ResumeCbtHook() override { ++m_log.nResumes; }
    void UpdateKeybdHook() override { ++m_log.nKeybdUpdates; }
    void QuietForPropertyEnd() override {}
    int AddStartedTmrItem(UINT, DWORD) override { return ++m_log.nItems; }
    void DeleteTmrItem(int& nId) override { nId = 0; }
    std::wstring GetLogOptions() override { return {}; }

private:
    HOST_LOG& m_log;
    PROPERTY_SET m_prop{};
};

bool IsSignalled(LPCWSTR pszEvent)
{
    const HANDLE h = OpenEventW(SYNCHRONIZE, FALSE, pszEvent);
    const bool bSet = h && WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
    if (h)
        CloseHandle(h);
    return bSet;
}

}  // namespace

TEST(CorePropExchange, OutsideAnExchangeAnApplyIsAnsweredWithReadFailAndNothingIsAppliedOrWatched)
{
    HOST_LOG log;
    CPropExchange exch(std::make_unique<CFakeHost>(log));
    for (LPARAM lEnding : {0, 1}) {
        exch.OnPropApply(1, lEnding);
        EXPECT_TRUE(IsSignalled(ZV_PROP_READ_FAIL_EVENT)) << lEnding;
        EXPECT_FALSE(IsSignalled(ZV_PROP_READ_END_EVENT)) << lEnding;
    }
    // Timer ticks and a sheet announced without a hand-over end nothing and bring no hook back.
    exch.OnTmrPropAlive(0, 0);
    exch.OnTmrPropDead(0, 0);
    exch.OnPropWnd(reinterpret_cast<WPARAM>(GetDesktopWindow()), 0);
    EXPECT_FALSE(exch.IsActive());
    EXPECT_EQ(log.nApplies, 0);
    EXPECT_EQ(log.nItems, 0);
    EXPECT_EQ(log.nResumes, 0);
}

TEST(CorePropExchange, NoWindowHasTheKeysOutsideAnExchangeAndAnEndingCoreLeavesItsHooksAlone)
{
    HOST_LOG log;
    CPropExchange exch(std::make_unique<CFakeHost>(log));
    const HWND hWnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hWnd, nullptr);
    exch.OnKeybdForward(reinterpret_cast<WPARAM>(hWnd), 0);
    EXPECT_FALSE(exch.HasKeyCapture());
    EXPECT_FALSE(exch.ForwardKey('A', 0));
    EXPECT_EQ(log.nKeybdUpdates, 1);
    log.nEndState = 1;
    exch.OnKeybdForward(0, 0);
    EXPECT_EQ(log.nKeybdUpdates, 1);
    DestroyWindow(hWnd);
}
