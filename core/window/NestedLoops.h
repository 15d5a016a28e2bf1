// CNestedLoops: how deep the hidden window's handlers are in message loops of their own (a box, a
// menu, a wait that dispatches), and the ends asked for meanwhile. An end is carried out only
// once the outermost loop has closed, after the handler that opened it has returned; each kind
// of end is kept once, with the last word asked for it, in the order the kinds were first asked.
#pragma once
#include <windows.h>

#include <array>
#include <cstddef>

class CNestedLoops {
public:
    struct DEFERRED_END {
        UINT uMsg;
        WPARAM wParam;
    };
    // The ends to carry out, in the order asked; empty unless the outermost loop has just closed.
    struct ENDS {
        std::array<DEFERRED_END, 8> a{};
        size_t n = 0;
        const DEFERRED_END* begin() const noexcept { return a.data(); }
        const DEFERRED_END* end() const noexcept { return a.data() + n; }
    };

    CNestedLoops() noexcept = default;
    CNestedLoops(const CNestedLoops&) = delete;
    CNestedLoops& operator=(const CNestedLoops&) = delete;

    void Enter() noexcept { ++m_nDepth; }
    // Closes the innermost loop; the outermost hands back what was put off and forgets it.
    ENDS Leave() noexcept;
    BOOL IsInside() const noexcept { return m_nDepth != 0; }
    int GetDepth() const noexcept { return m_nDepth; }

    // Inside a loop: uMsg with wParam is remembered (a kind asked again keeps its place and takes
    // the new wParam), and TRUE. Outside: FALSE, and the caller ends now.
    BOOL Defer(UINT uMsg, WPARAM wParam) noexcept;

private:
    int m_nDepth = 0;
    ENDS m_ends;
};
