// Every end-to-end test starts without a hook gateway and leaves none behind: a gateway outliving
// its core program would hold its single-instance mutex against the next test's, whose core would
// then wait for a link that never comes. A gateway still running a few seconds after the test fails
// it; it is ended either way.
#include <gtest/gtest.h>
#include <windows.h>

#include "Handle.h"
#include "CoreRun.h"
#include "ZvTestKit.h"

namespace {

size_t EndGateways()
{
    const std::set<DWORD> pids = zvcore::ProcessesOf(ZV_HOOK32TO64_FILE);
    for (DWORD dwPid : pids) {
        if (const CHandle hProcess(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwPid)); hProcess) {
            TerminateProcess(hProcess.get(), 1);
            WaitForSingleObject(hProcess.get(), 5000);
        }
    }
    return pids.size();
}

class CGatewayLeftovers : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (const size_t n = EndGateways())
            std::printf("[ note ] ended %zu hook gateway(s) left from before\n", n);
    }
    void TearDown() override
    {
        if (zvkit::WaitUntil([] { return zvcore::ProcessesOf(ZV_HOOK32TO64_FILE).empty(); }, 8000))
            return;
        ADD_FAILURE() << "a hook gateway outlived its test (" << EndGateways() << " ended)";
    }
};

[[maybe_unused]] ::testing::Environment* const g_pLeftovers =
    ::testing::AddGlobalTestEnvironment(new CGatewayLeftovers);

}  // namespace
