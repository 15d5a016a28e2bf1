// The settings program as the core program meets it, played by a test: it holds that program's
// single-instance mutex, reads and writes the eight settings blocks as sender 2, stands a window of
// its own as the sheet and posts the private messages to the core's hidden window.
#pragma once
#include <windows.h>

#include <memory>

#include "PropertySet.h"
#include "Sender.h"
#include "SharedMemPropManager.h"
#include "ZvMessages.h"
#include "ZvNames.h"
#include "ZvTestKit.h"

namespace zvprop {

inline constexpr wchar_t kPropMutex[] = L"Zuvora! Property Setting Utility";

struct HANDLE_CLOSER {
    void operator()(HANDLE h) const noexcept { CloseHandle(h); }
};
using CHandle = std::unique_ptr<void, HANDLE_CLOSER>;

// The settings program as the core meets it.
class CFakeSettings {
public:
    explicit CFakeSettings(HWND hWndCore)
        : m_hWndCore(hWndCore),
          m_hMutex(CreateMutexW(nullptr, FALSE, kPropMutex)),
          m_hReadEnd(CreateEventW(nullptr, TRUE, FALSE, ZV_PROP_READ_END_EVENT)),
          m_hWriteEnd(CreateEventW(nullptr, TRUE, FALSE, ZV_PROP_WRITE_END_EVENT))
    {
    }
    ~CFakeSettings() { Gone(); }

    bool IsReady() const { return m_hMutex && m_hReadEnd && m_hWriteEnd; }
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
    // The apply message with w and e as they are, then the wait for the Read End event.
    bool Post(WPARAM w, LPARAM e)
    {
        ResetEvent(m_hReadEnd.get());
        return PostMessageW(m_hWndCore, MSG_PROP_APPLY, w, e) && WaitForEvent(m_hReadEnd.get());
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
    static bool WaitForEvent(HANDLE h, DWORD dwTimeoutMs = 10000)
    {
        const ULONGLONG tEnd = GetTickCount64() + dwTimeoutMs;
        for (;;) {
            const ULONGLONG tNow = GetTickCount64();
            if (tNow >= tEnd)
                return WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
            const DWORD dw = MsgWaitForMultipleObjects(1, &h, FALSE, static_cast<DWORD>(tEnd - tNow), QS_ALLINPUT);
            if (dw == WAIT_OBJECT_0)
                return true;
            if (dw != WAIT_OBJECT_0 + 1)
                return false;
            zvkit::PumpMessages();
        }
    }

    HWND m_hWndCore;
    CHandle m_hMutex;
    CHandle m_hReadEnd;
    CHandle m_hWriteEnd;
    HWND m_hWndSheet = nullptr;
    std::unique_ptr<CSharedMemPropManager> m_pMngr;
};

}  // namespace zvprop
