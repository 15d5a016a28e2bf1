// The hidden main window's hold on its two scroll-bar windows: the host they talk to it through
// and the rectangle reports (MSG_SCRLBAR_RECT) they have posted and it has not yet read. Each
// report's record comes from the pool, so that a number another program posts is never read.
#pragma once
#include <windows.h>

#include <memory>

#include "PostedRecordPool.h"
#include "PropertySet.h"
#include "ScrollManager.h"

class CScrollBars {
public:
    CScrollBars() noexcept = default;
    CScrollBars(const CScrollBars&) = delete;
    CScrollBars& operator=(const CScrollBars&) = delete;

    // The main window as the bars see it; made by the window before the first bar.
    IScrollBarHost* GetHost() const noexcept { return m_pHost.get(); }
    void SetHost(std::unique_ptr<IScrollBarHost> pHost) noexcept { m_pHost = std::move(pHost); }

    // MSG_SCRLBAR_RECT to hWnd: bar nBar (1 horizontal, 2 vertical) now stands at rc. FALSE for
    // another bar number or when it could not be posted.
    BOOL PostRect(HWND hWnd, int nBar, const RECT& rc) noexcept;
    // The bar and rectangle of a report this pool handed out; FALSE for any other.
    BOOL TakeRect(WPARAM wParam, LPARAM lParam, int& nBar, RECT& rc) noexcept;
    // The bars are gone: their reports still queued go with the pool.
    void Clear() noexcept { m_rectReq.Clear(); }

private:
    std::unique_ptr<IScrollBarHost> m_pHost;
    CPostedRecordPool<PROP_POSSIZE> m_rectReq;
};
