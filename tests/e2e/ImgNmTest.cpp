// ZvImgNm64.dll as the core and settings programs use it: the executable's bare file name behind
// windows of this process and of others, exactly as the file is named, and FALSE (never a wrong
// or shortened name) when no name fits or none can be given.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>
#include "../../outside/ZvImgNm64/ZvImgNm64.h"
#include "ZvTestKit.h"

using namespace zvkit;

namespace {

using PFN_GET_IMAGE_NAME = BOOL(WINAPI*)(HWND, LPWSTR, int);
using PFN_UPDATE_PROCESS_LIST = BOOL(WINAPI*)(void);
static_assert(std::is_same_v<decltype(&::GetImageName), PFN_GET_IMAGE_NAME>);
static_assert(std::is_same_v<decltype(&::UpdateProcessList), PFN_UPDATE_PROCESS_LIST>);

constexpr wchar_t kSelfName[] = L"ZvE2ETests.exe";
constexpr wchar_t kGuard = 0xA5A5;

// A hidden top-level window of this process.
class COwnWindow {
public:
    COwnWindow()
    {
        m_hWnd = CreateWindowExW(0, L"STATIC", L"ZvImgNm own window", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~COwnWindow()
    {
        if (m_hWnd)
            DestroyWindow(m_hWnd);
    }
    COwnWindow(const COwnWindow&) = delete;
    COwnWindow& operator=(const COwnWindow&) = delete;
    HWND Get() const { return m_hWnd; }
    void Destroy()
    {
        DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
    }

private:
    HWND m_hWnd = nullptr;
};

HWND WaitForVisibleWindowOf(DWORD dwPid, DWORD dwTimeoutMs = 15000)
{
    HWND hFound = nullptr;
    WaitUntil(
        [&] {
            std::vector<HWND> wnds = TopLevelWindows(dwPid, true);
            hFound = wnds.empty() ? nullptr : wnds.front();
            return hFound != nullptr;
        },
        dwTimeoutMs);
    return hFound;
}

// The library is loaded afresh for every test, so each starts without a process list.
class ImgNm : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hLib = LoadLibraryW(LayoutPath(L"ZvImgNm64.dll").c_str());
        ASSERT_NE(m_hLib, nullptr) << "LoadLibrary error " << GetLastError();
        // The programs link these names undecorated.
        m_pfnGetImageName = reinterpret_cast<PFN_GET_IMAGE_NAME>(GetProcAddress(m_hLib, "GetImageName"));
        m_pfnUpdateProcessList = reinterpret_cast<PFN_UPDATE_PROCESS_LIST>(GetProcAddress(m_hLib, "UpdateProcessList"));
        ASSERT_NE(m_pfnGetImageName, nullptr);
        ASSERT_NE(m_pfnUpdateProcessList, nullptr);
    }
    void TearDown() override
    {
        if (m_hLib)
            FreeLibrary(m_hLib);
    }

    // The callers' form: a cleared 512-character buffer and 511 as the maximum.
    std::wstring NameOf(HWND hWnd, BOOL* pbResult = nullptr)
    {
        wchar_t buf[512] = {};
        BOOL bResult = m_pfnGetImageName(hWnd, buf, 511);
        if (pbResult)
            *pbResult = bResult;
        return bResult ? std::wstring(buf) : std::wstring();
    }

    HMODULE m_hLib = nullptr;
    PFN_GET_IMAGE_NAME m_pfnGetImageName = nullptr;
    PFN_UPDATE_PROCESS_LIST m_pfnUpdateProcessList = nullptr;
};

// ---- Naming ---------------------------------------------------------------------------------

TEST_F(ImgNm, NamesAWindowOfThisProcessWithoutAPreviousRefresh)
{
    COwnWindow wnd;
    ASSERT_NE(wnd.Get(), nullptr);
    BOOL bResult = FALSE;
    EXPECT_EQ(NameOf(wnd.Get(), &bResult), kSelfName);
    EXPECT_TRUE(bResult);
    EXPECT_TRUE(m_pfnUpdateProcessList());
    EXPECT_EQ(NameOf(wnd.Get()), kSelfName) << "the same after a refresh";
}

TEST_F(ImgNm, NamesAProcessStartedAfterTheLastRefreshAndNothingOnceItHasEnded)
{
    ASSERT_TRUE(m_pfnUpdateProcessList());
    CProcess notepad;
    ASSERT_TRUE(notepad.Start(L"C:\\windows\\system32\\notepad.exe")) << "error " << notepad.LastError();
    HWND hWnd = WaitForVisibleWindowOf(notepad.Pid());
    ASSERT_NE(hWnd, nullptr) << "notepad showed no window";

    EXPECT_EQ(NameOf(hWnd), L"notepad.exe");
    ASSERT_TRUE(m_pfnUpdateProcessList());
    EXPECT_EQ(NameOf(hWnd), L"notepad.exe") << "after a refresh that lists it";

    notepad.Stop();
    ASSERT_FALSE(notepad.IsRunning());
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(hWnd); }, 5000));
    BOOL bResult = TRUE;
    NameOf(hWnd, &bResult);
    EXPECT_FALSE(bResult) << "the window of an ended process has no name";
}

// The file is "ZvImgNm_MiXed.EXE"; the process is started through an all-lower-case path.
TEST_F(ImgNm, KeepsTheCaseOfTheFileNotOfThePathItWasStartedBy)
{
    wchar_t szTemp[MAX_PATH] = {};
    ASSERT_NE(GetTempPathW(MAX_PATH, szTemp), 0u);
    std::wstring strDir = std::wstring(szTemp) + L"ZvImgNmCase" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(strDir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    std::wstring strExe = strDir + L"\\ZvImgNm_MiXed.EXE";
    ASSERT_TRUE(CopyFileW(LayoutPath(L"ZvTestWnds.exe").c_str(), strExe.c_str(), FALSE)) << GetLastError();

    std::wstring strLower = strExe;
    CharLowerBuffW(strLower.data(), static_cast<DWORD>(strLower.size()));
    {
        CProcess proc;
        ASSERT_TRUE(proc.Start(strLower, QuoteArg(L"/WND=120,120,260,160,ZvImgNm case window") + L" /PARENT=" +
                                             std::to_wstring(GetCurrentProcessId())))
            << "error " << proc.LastError();
        HWND hWnd = WaitForVisibleWindowOf(proc.Pid());
        ASSERT_NE(hWnd, nullptr);
        EXPECT_EQ(NameOf(hWnd), L"ZvImgNm_MiXed.EXE");
        proc.Stop();
    }
    EXPECT_TRUE(WaitUntil([&] { return DeleteFileW(strExe.c_str()) != FALSE; }, 5000));
    RemoveDirectoryW(strDir.c_str());
}

// ---- No name --------------------------------------------------------------------------------

TEST_F(ImgNm, GivesFalseForANullOrDestroyedWindow)
{
    wchar_t buf[512];
    std::fill(std::begin(buf), std::end(buf), kGuard);
    SetLastError(0);
    EXPECT_FALSE(m_pfnGetImageName(nullptr, buf, 511));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(buf[0], L'\0') << "no stale text is left in the buffer";

    COwnWindow wnd;
    HWND hWnd = wnd.Get();
    ASSERT_NE(hWnd, nullptr);
    ASSERT_EQ(NameOf(hWnd), kSelfName);
    wnd.Destroy();
    ASSERT_FALSE(IsWindow(hWnd));
    std::fill(std::begin(buf), std::end(buf), kGuard);
    EXPECT_FALSE(m_pfnGetImageName(hWnd, buf, 511));
    EXPECT_EQ(buf[0], L'\0');
}

// The buffer holds nMaxLen characters and the NUL; a name that does not fit is refused whole.
TEST_F(ImgNm, RefusesANameLongerThanTheMaximumAndNeverWritesPastIt)
{
    COwnWindow wnd;
    ASSERT_NE(wnd.Get(), nullptr);
    const int nLen = static_cast<int>(std::wstring(kSelfName).size());
    for (int nMax : {0, 1, nLen - 1, nLen, nLen + 1}) {
        SCOPED_TRACE(nMax);
        wchar_t buf[64];
        std::fill(std::begin(buf), std::end(buf), kGuard);
        SetLastError(0);
        BOOL bResult = m_pfnGetImageName(wnd.Get(), buf, nMax);
        if (nMax >= nLen) {
            EXPECT_TRUE(bResult);
            EXPECT_EQ(std::wstring(buf), kSelfName);
        } else {
            EXPECT_FALSE(bResult);
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
            EXPECT_EQ(buf[0], L'\0') << "a cut name must not look like a name";
        }
        const int nAllowed = std::min(nMax, nLen) + 1;  // what a successful call would have written
        for (int i = nAllowed; i < 64; ++i)
            ASSERT_EQ(buf[i], kGuard) << "written at " << i;
    }
}

TEST_F(ImgNm, RefusesANullBufferOrANegativeMaximumWithoutWriting)
{
    COwnWindow wnd;
    ASSERT_NE(wnd.Get(), nullptr);
    EXPECT_FALSE(m_pfnGetImageName(wnd.Get(), nullptr, 511));
    wchar_t buf[16];
    std::fill(std::begin(buf), std::end(buf), kGuard);
    EXPECT_FALSE(m_pfnGetImageName(wnd.Get(), buf, -1));
    EXPECT_TRUE(std::all_of(std::begin(buf), std::end(buf), [](wchar_t c) { return c == kGuard; }));
}

// ---- Threads --------------------------------------------------------------------------------

TEST_F(ImgNm, LookupsFromManyThreadsAgreeWhileTheListIsRefreshed)
{
    COwnWindow wnd;
    ASSERT_NE(wnd.Get(), nullptr);
    const HWND hWnd = wnd.Get();
    std::atomic<int> nWrong{0}, nRefreshFailed{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                if ((i + t) % 10 == 0 && !m_pfnUpdateProcessList())
                    ++nRefreshFailed;
                wchar_t buf[512] = {};
                if (!m_pfnGetImageName(hWnd, buf, 511) || std::wstring(buf) != kSelfName)
                    ++nWrong;
            }
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(nWrong.load(), 0);
    EXPECT_EQ(nRefreshFailed.load(), 0);
}

}  // namespace
