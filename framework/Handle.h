// Handle: CHandle, the one owner of a kernel handle (CloseHandle) in the programs and the tests.
#pragma once

#include <windows.h>

// Owns one kernel handle and closes it when it goes, so that no path of its owner has to close it
// by hand. The calls that make handles fail with null (CreateMutexW, OpenProcess) or with
// INVALID_HANDLE_VALUE (CreateFileW, CreateToolhelp32Snapshot): both are kept as null, so one test
// of the handle fits every such call. Not for the pseudo-handle of GetCurrentProcess, which is
// that same value and never closed.
class CHandle {
public:
    CHandle() noexcept = default;
    explicit CHandle(HANDLE h) noexcept : m_h(Normal(h)) {}
    ~CHandle() { reset(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    CHandle(CHandle&& other) noexcept : m_h(other.release()) {}
    CHandle& operator=(CHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    HANDLE get() const noexcept { return m_h; }
    explicit operator bool() const noexcept { return m_h != nullptr; }
    // The handle leaves this owner unclosed: the caller closes it.
    HANDLE release() noexcept
    {
        HANDLE h = m_h;
        m_h = nullptr;
        return h;
    }
    // Closes the handle held (unless it is h itself) and takes h.
    void reset(HANDLE h = nullptr) noexcept
    {
        h = Normal(h);
        if (m_h && m_h != h)
            CloseHandle(m_h);
        m_h = h;
    }

private:
    static HANDLE Normal(HANDLE h) noexcept { return h == INVALID_HANDLE_VALUE ? nullptr : h; }

    HANDLE m_h = nullptr;
};
