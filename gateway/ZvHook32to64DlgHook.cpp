// CZvHook32to64Dlg, the 32-bit window-event hook: switched on the core program's request, and
// every message it posts to the gateway's window relayed to the core program as a block.
#include <string>

#include "HookNtfy.h"
#include "LogManager.h"
#include "Sender.h"
#include "SharedMemCbtHook.h"
#include "ZvHook.h"
#include "ZvHook32to64Dlg.h"
#include "ZvHook32to64Link.h"
#include "ZvMessages.h"
#include "resource.h"

BOOL CZvHook32to64Dlg::SetCbtHook(BOOL bOn) noexcept
{
    ZV_GTWY_LINK& link = GetGtwyLink();
    if (bOn) {
        if (!link.m_hWndCbtHook) {
            ReportInitFailure(IDS_ZV_ERR_HWND, GetLastError());
            return FALSE;
        }
        // A hook already held is left alone. A null result means none is held: an error line says
        // so (the core program learns nothing of it: there is no block for it), and the gateway
        // goes on without it.
        if (!link.m_hCbtHook) {
            link.m_hCbtHook =
                ::SetCbtHook(link.m_hWndCbtHook, MSG_HOOK_CBT_ACTIVATE, MSG_HOOK_CBT_MINMAX, MSG_HOOK_CBT_WNDCHG);
            if (!link.m_hCbtHook) {
                OutputLog(LOG_LEVEL_ERROR, SENDER_HOOK, L"CBT hook install failed, code = 0x%x.\r\n", GetLastError());
                return FALSE;
            }
            OutputLog(LOG_LEVEL_DEBUG, SENDER_HOOK, L"CBT hook installed, hHook = 0x%p.\r\n", link.m_hCbtHook);
        }
        return TRUE;
    }
    if (link.m_hCbtHook) {
        link.m_hCbtHook = ::SetCbtHook(nullptr, 0, 0, 0);
        OutputLog(LOG_LEVEL_DEBUG, SENDER_HOOK, L"CBT hook removed.\r\n");
    }
    return FALSE;
}

void CZvHook32to64Dlg::SwitchCbtHook(const HOOK_NTFY_SWTCH* pSwtch) noexcept
{
    // The gateway holds the window-event hook only; switches of the core program's other hooks
    // are answered and ignored.
    if (pSwtch && pSwtch->nKind == HOOK_KIND_SWTCH && pSwtch->nHook == HOOK_NTFY_SWTCH_CBT)
        SetCbtHook(pSwtch->bOn ? TRUE : FALSE);
}

LRESULT CZvHook32to64Dlg::NotifyCbtHooked(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept
{
    // Every message, in order of arrival, also while ending: the core program decides what
    // matters. An event whose block cannot be made is lost; the count does not advance.
    CHkGtwyLinkSide& side = GetGtwyLink().m_side;
    const std::wstring strName = side.NextBlockName();
    if (!side.Send<CSharedMemCbtHook>(MakeHookNtfyCbt(m_hWnd, uMsg, wParam, lParam)))
        OutputLog(LOG_LEVEL_DEBUG, SENDER_HOOK, L"Hook message 0x%x not relayed, name = %s.\r\n", uMsg, strName.c_str());
    return 0;
}

LRESULT CZvHook32to64Dlg::OnCbtActivateHooked(WPARAM wParam, LPARAM lParam) noexcept
{
    return NotifyCbtHooked(MSG_HOOK_CBT_ACTIVATE, wParam, lParam);
}

LRESULT CZvHook32to64Dlg::OnMinMaxHooked(WPARAM wParam, LPARAM lParam) noexcept
{
    // The answer 0 lets the system minimise or maximise as it would.
    return NotifyCbtHooked(MSG_HOOK_CBT_MINMAX, wParam, lParam);
}

LRESULT CZvHook32to64Dlg::OnWndChgHooked(WPARAM wParam, LPARAM lParam) noexcept
{
    return NotifyCbtHooked(MSG_HOOK_CBT_WNDCHG, wParam, lParam);
}
