// The settings program as the core program meets it, played by a test: it holds that program's
// single-instance mutex, reads and writes the eight settings blocks as sender 2, stands a window of
// its own as the sheet and posts the private messages to the core's hidden window.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "CoreRun.h"
#include "Handle.h"
#include "PropertySet.h"
#include "Sender.h"
#include "SharedMemPropManager.h"
#include "SharedMemPropScrlWdth.h"
#include "ZvMessages.h"
#include "ZvNames.h"
#include "ZvTestKit.h"

namespace zvprop {

// The settings program's single-instance mutex: its name lies only in the programs' string tables,
// so it is read from the core program's file.
inline std::wstring PropMutexName()
{
    return zvcore::CoreString(IDS_ZV_PROP_MUTEX);
}

// Settings blocks are there: the two programs' blocks bear the same names, so this tells whose
// only where the test knows that the other side holds none.
inline bool BlocksExist()
{
    const CHandle hMap(OpenFileMappingW(FILE_MAP_READ, FALSE, CSharedMemPropScrlWdth::NAME));
    return static_cast<bool>(hMap);
}

// The settings program as the core meets it.
class CFakeSettings {
public:
    explicit CFakeSettings(HWND hWndCore)
        : m_hWndCore(hWndCore),
          m_hMutex(CreateMutexW(nullptr, FALSE, PropMutexName().c_str())),
          m_hReadEnd(CreateEventW(nullptr, TRUE, FALSE, ZV_PROP_READ_END_EVENT)),
          m_hReadFail(CreateEventW(nullptr, TRUE, FALSE, ZV_PROP_READ_FAIL_EVENT)),
          m_hWriteEnd(CreateEventW(nullptr, TRUE, FALSE, ZV_PROP_WRITE_END_EVENT))
    {
    }
    ~CFakeSettings() { Gone(); }

    bool IsReady() const { return m_hMutex && m_hReadEnd && m_hReadFail && m_hWriteEnd; }
    // Started by the user: asks for the blocks, and waits for them.
    bool PostStart()
    {
        ResetEvent(m_hWriteEnd.get());
        return PostMessageW(m_hWndCore, MSG_PROP_START, 0, 0) != FALSE;
    }
    bool AskForBlocks() { return PostStart() && WaitForEvent(m_hWriteEnd.get()); }
    bool IsWriteEndSet() const { return WaitForSingleObject(m_hWriteEnd.get(), 0) == WAIT_OBJECT_0; }
    static bool ReadBlocks(PROPERTY_SET& prop)
    {
        CSharedMemPropManager mngr(SENDER_PROP, &prop);
        return mngr.Open() && mngr.Read();
    }
    // The sheet, announced to the core.
    HWND ShowSheet()
    {
        m_hWndSheet = CreateWindowExW(0, L"STATIC", L"Zv Fake Sheet", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
        if (m_hWndSheet)
            PostMessageW(m_hWndCore, MSG_PROP_WND, reinterpret_cast<WPARAM>(m_hWndSheet), 0);
        return m_hWndSheet;
    }
    // OK or Apply: the record into blocks of our own, kept until the next apply, and the core told.
    bool Apply(PROPERTY_SET& prop, LPARAM nEnding)
    {
        m_pMngr = std::make_unique<CSharedMemPropManager>(SENDER_PROP, &prop);
        return m_pMngr->Create() && m_pMngr->Write() && Post(1, nEnding);
    }
    void DropBlocks() { m_pMngr.reset(); }
    // The blocks of the last apply, while they are kept.
    CSharedMemPropManager* Blocks() const { return m_pMngr.get(); }
    // The apply message with w and e as they are, then the wait for the core's answer: true when
    // it came, the Read End event (read, or nothing to read) or the Read Fail event (refused).
    bool Post(WPARAM w, LPARAM e) { return PostOnly(w, e) && WaitForAnswer(); }
    // An apply the core answers only later (after a box of its own, say): the record into blocks
    // and the message posted, without the wait.
    bool ApplyUnanswered(PROPERTY_SET& prop, LPARAM nEnding)
    {
        m_pMngr = std::make_unique<CSharedMemPropManager>(SENDER_PROP, &prop);
        return m_pMngr->Create() && m_pMngr->Write() && PostOnly(1, nEnding);
    }
    bool IsAnswered() const
    {
        return WaitForSingleObject(m_hReadEnd.get(), 0) == WAIT_OBJECT_0 ||
               WaitForSingleObject(m_hReadFail.get(), 0) == WAIT_OBJECT_0;
    }
    bool WaitForAnswer(DWORD dwTimeoutMs = 10000)
    {
        const HANDLE ahEvt[] = {m_hReadEnd.get(), m_hReadFail.get()};
        return WaitForEvents(ahEvt, 2, dwTimeoutMs);
    }
    // The answer to the last Post: the core refused the apply or could not read the blocks.
    bool ReadFailed() const
    {
        return WaitForSingleObject(m_hReadFail.get(), 0) == WAIT_OBJECT_0 &&
               WaitForSingleObject(m_hReadEnd.get(), 0) == WAIT_TIMEOUT;
    }
    void DestroySheet()
    {
        if (m_hWndSheet)
            DestroyWindow(m_hWndSheet);
        m_hWndSheet = nullptr;
    }
    void Gone()
    {
        DestroySheet();
        m_pMngr.reset();
        m_hMutex.reset();
    }

private:
    // Woken by the event itself: a fuzz run waits for thousands of answers.
    bool PostOnly(WPARAM w, LPARAM e)
    {
        ResetEvent(m_hReadEnd.get());
        ResetEvent(m_hReadFail.get());
        return PostMessageW(m_hWndCore, MSG_PROP_APPLY, w, e) != FALSE;
    }
    static bool WaitForEvent(HANDLE h, DWORD dwTimeoutMs = 10000) { return WaitForEvents(&h, 1, dwTimeoutMs); }
    // Any one of them.
    static bool WaitForEvents(const HANDLE* ah, DWORD nCount, DWORD dwTimeoutMs = 10000)
    {
        const ULONGLONG tEnd = GetTickCount64() + dwTimeoutMs;
        for (;;) {
            const ULONGLONG tNow = GetTickCount64();
            if (tNow >= tEnd)
                return WaitForMultipleObjects(nCount, ah, FALSE, 0) < WAIT_OBJECT_0 + nCount;
            const DWORD dw = MsgWaitForMultipleObjects(nCount, ah, FALSE, static_cast<DWORD>(tEnd - tNow), QS_ALLINPUT);
            if (dw < WAIT_OBJECT_0 + nCount)
                return true;
            if (dw != WAIT_OBJECT_0 + nCount)
                return false;
            zvkit::PumpMessages();
        }
    }

    HWND m_hWndCore;
    CHandle m_hMutex;
    CHandle m_hReadEnd;
    CHandle m_hReadFail;
    CHandle m_hWriteEnd;
    HWND m_hWndSheet = nullptr;
    std::unique_ptr<CSharedMemPropManager> m_pMngr;
};

// A running core with two windows, A on the screen and X with its right edge 300 pixels beyond the
// work area's, for the tests of the settings exchange.
class CCoreExchangeTest : public ::testing::Test {
protected:
    CCoreExchangeTest(const wchar_t* pszTestName, const wchar_t* pszTitlePrefix)
        : m_run(pszTestName), m_strTitleA(std::wstring(pszTitlePrefix) + L" A"),
          m_strTitleX(std::wstring(pszTitlePrefix) + L" X")
    {
    }
    void SetUp() override
    {
        ASSERT_TRUE(zvkit::RegDeleteSettings());
        m_rcWork = zvcore::WorkArea();
    }

    // Every message posted before has been handled, and any move it asked for has ended.
    bool Settle() const { return m_run.WaitForMoveEnd() && m_run.WaitForMoveEnd(); }
    size_t Lines(const std::wstring& strLine) const { return zvcore::CountOf(m_run.Log(), strLine); }
    bool MakeWindows()
    {
        const auto [hA, hX] = m_wnds.StartTitled({zvkit::WndArg(300, 300, 300, 200, m_strTitleA),
                                                  zvkit::WndArg(m_rcWork.right - 100, 300, 400, 200, m_strTitleX)});
        m_hA = hA;
        m_hX = hX;
        return hA && hX && m_wnds.Foreground(hA);
    }
    // X activated the way a user does it: true when the core scrolled it into view.
    bool ActivateXScrolls()
    {
        static constexpr wchar_t kActivatedLine[] = L"ウィンドウのアクティブ化を検出 : ウィンドウ = ";
        const std::wstring strLine = kActivatedLine + m_strTitleX + L",";
        const RECT rcX = zvkit::WindowRect(m_hX);
        const size_t nBefore = Lines(strLine);
        if (!m_wnds.Foreground(m_hA) || !m_wnds.Foreground(m_hX) || !Settle())
            return false;
        return Lines(strLine) > nBefore && !zvkit::SameRect(rcX, zvkit::WindowRect(m_hX));
    }
    // The core has let its settings program go: its window-event hook is back, which nothing but
    // the exchange's end brings back. X is put beyond the work area's right edge again first, and
    // activated until an activation scrolls it (an activation while the hook is off moves nothing).
    bool WaitForHookBack(DWORD dwTimeoutMs = 15000)
    {
        const RECT rcX = zvkit::WindowRect(m_hX);
        if (rcX.right <= m_rcWork.right && !zvkit::MoveWindowTo(m_hX, m_rcWork.right - 100, rcX.top))
            return false;
        return zvkit::WaitUntil([&] { return ActivateXScrolls(); }, dwTimeoutMs, 100);
    }

    zvkit::CRegistryGuard m_guard{zvkit::kMakerKey};
    zvcore::CCoreRun m_run;
    zvkit::CTestWnds m_wnds;
    const std::wstring m_strTitleA, m_strTitleX;
    RECT m_rcWork{};
    HWND m_hA = nullptr;
    HWND m_hX = nullptr;
};

}  // namespace zvprop
