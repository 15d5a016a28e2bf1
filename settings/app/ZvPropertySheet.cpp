#include "ZvPropertySheet.h"

#include <algorithm>

#include "LogManager.h"
#include "PropertyRegistry.h"
#include "Sender.h"
#include "SharedMemPropManager.h"
#include "Strings.h"
#include "TmrMngr.h"
#include "ZvMessages.h"
#include "ZvPropertyAboutDlg.h"
#include "ZvPropertyApp.h"
#include "PropertyPageAutoScrl.h"
#include "PropertyPageFix.h"
#include "PropertyPageKeybd.h"
#include "PropertyPagePosSize.h"
#include "PropertyPageScrlWdth.h"
#include "PropertyPageUndo.h"
#include "PropertyPageView.h"
#include "PropertyPageZvWindow.h"
#include "resource.h"

namespace {

constexpr UINT_PTR kWindowTimerId = 1;
// The sheet's Apply button.
constexpr int kApplyNowId = 0x3021;
constexpr UINT kTickMs = 100;
// The log viewer has this long to answer the announcement before logging to it ends.
constexpr DWORD kLogStartMs = 10000;

HICON LoadMainIcon(int cx, int cy)
{
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR));
}

// Every page template has this size, in its own dialog units.
constexpr int kPageCx = 219;
constexpr int kPageCy = 183;

} // namespace

CZvPropertySheet::CZvPropertySheet(PROPERTY_SET* pProp, LPCWSTR pszCaption, HWND hWndParent, UINT nSelectPage,
                                   HWND hWndCore)
    : CPropertySheet(pszCaption, hWndParent, nSelectPage), m_hWndCore(hWndCore), m_pProp(pProp)
{
    m_hIconBig = LoadMainIcon(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    m_psh.dwFlags &= ~PSH_HASHELP;
    if (m_hIconBig) {
        m_psh.dwFlags |= PSH_USEHICON;
        m_psh.hIcon = m_hIconBig;
    }

    MapMessage(WM_SYSCOMMAND, &CZvPropertySheet::OnSysCommand);
    MapMessage(WM_TIMER, &CZvPropertySheet::OnTimer);
    MapMessage(WM_DESTROY, &CZvPropertySheet::OnDestroy);
    MapMessage(WM_QUERYDRAGICON, &CZvPropertySheet::OnQueryDragIcon);
    MapMessage(MSG_LOG_WND_DTCT, &CZvPropertySheet::OnLogWndDtct);
    MapMessage(MSG_LOG_WND_RSP, &CZvPropertySheet::OnLogWndRsp);
    MapMessage(MSG_LOG_END, &CZvPropertySheet::OnLogEnd);
    MapMessage(MSG_TMR_LOG_START, &CZvPropertySheet::OnTmrLogStart);
    MapMessage(MSG_PROP_PAGE, &CZvPropertySheet::OnPropPage);
    MapMessage(MSG_PROP_APPLY, &CZvPropertySheet::OnPropApply);

    if (m_hWndCore)
        m_bReadFromCore = ReadFromCore();
}

CZvPropertySheet::~CZvPropertySheet()
{
    DeletePropManager();
    if (m_hIconSmall)
        DestroyIcon(m_hIconSmall);
    // The pages go after the sheet's window, whose last messages still reach them.
    if (m_hWnd)
        DestroyWindow(m_hWnd);
    m_lstPage.clear();
}

BOOL CZvPropertySheet::AddPages()
{
    auto add = [this](std::unique_ptr<CZvPropertyPage> pPage) {
        pPage->m_psp.dwFlags &= ~PSP_HASHELP;
        AddPage(pPage.get());
        m_lstPage.push_back(std::move(pPage));
    };
    int nIndex = 0;
    add(std::make_unique<CPropertyPageScrlWdth>(m_pProp, this, nIndex++));
    add(std::make_unique<CPropertyPagePosSize>(m_pProp, this, nIndex++));
    add(std::make_unique<CPropertyPageView>(m_pProp, this, nIndex++));
    add(std::make_unique<CPropertyPageKeybd>(m_pProp, this, nIndex++));
    add(std::make_unique<CPropertyPageFix>(m_pProp, this, nIndex++));
    add(std::make_unique<CPropertyPageZvWindow>(m_pProp, this, nIndex++));
    add(std::make_unique<CPropertyPageUndo>(m_pProp, this, nIndex++));
    add(std::make_unique<CPropertyPageAutoScrl>(m_pProp, this, nIndex++));
    return TRUE;
}

BOOL CZvPropertySheet::ReadFromCore()
{
    m_pPropManager = std::make_unique<CSharedMemPropManager>(SENDER_PROP, m_pProp);
    const BOOL bRead = m_pPropManager->Open() && m_pPropManager->Read();
    DeletePropManager();
    OutputLog(LOG_LEVEL_DEBUG, SENDER_PROP, L"CZvPropertySheet::ReadFromCore() result = %d.\r\n", bRead);
    return bRead;
}

void CZvPropertySheet::DeletePropManager()
{
    m_pPropManager.reset();
}

CZvPropertySheet::APPLY_RESULT CZvPropertySheet::ApplyToCore(BOOL bWrite, LPARAM lEnding)
{
    if (!IsCoreAlive())
        return APPLY_NO_CORE;
    DeletePropManager();
    WPARAM wParam = 0;
    if (bWrite) {
        // Blocks just made hold a zero record until Write has filled every one: the core program
        // hears of them only when it has, or it would read and store that record.
        m_pPropManager = std::make_unique<CSharedMemPropManager>(SENDER_PROP, m_pProp);
        if (!m_pPropManager->Create() || !m_pPropManager->Write()) {
            OutputLog(LOG_LEVEL_ERROR, SENDER_PROP,
                      L"CZvPropertySheet::ApplyToCore() the settings blocks could not be written: nothing handed "
                      L"over.\r\n");
            DeletePropManager();
            return APPLY_FAILED;
        }
        wParam = 1;
    }
    if (!m_hEvtReadEnd || !m_hEvtReadFail)
        return APPLY_FAILED;
    ResetEvent(m_hEvtReadEnd);
    ResetEvent(m_hEvtReadFail);
    if (!PostMessageW(m_hWndCore, MSG_PROP_APPLY, wParam, lEnding))
        return IsCoreAlive() ? APPLY_FAILED : APPLY_NO_CORE;
    // The core program answers as soon as it has read: its window thread never waits for another
    // program, so the wait is short unless it has gone or hangs.
    const HANDLE ahEvt[] = {m_hEvtReadEnd, m_hEvtReadFail};
    const DWORD dwRet = WaitForMultipleObjects(2, ahEvt, FALSE, ZV_PROP_CORE_WAIT_MS);
    if (dwRet == WAIT_OBJECT_0)
        return APPLY_HANDED;
    OutputLog(LOG_LEVEL_ERROR, SENDER_PROP, L"CZvPropertySheet::ApplyToCore() (%d, %d) %s.\r\n",
              static_cast<int>(wParam), static_cast<int>(lEnding),
              dwRet == WAIT_OBJECT_0 + 1 ? L"refused or not read by the core program" : L"not answered");
    return IsCoreAlive() ? APPLY_FAILED : APPLY_NO_CORE;
}

BOOL CZvPropertySheet::StoreSettings(BOOL bClosing)
{
    if (m_bStoring) {
        OutputLog(LOG_LEVEL_INFO, SENDER_PROP, L"CZvPropertySheet::StoreSettings() a store is under way.\r\n");
        return FALSE;
    }
    m_bStoring = TRUE;
    const CZvPropertyApp* pApp = GetPropertyApp();
    BOOL bStored = FALSE;
    for (;;) {
        UINT nIdError = IDS_ZV_ERR_TO_REGISTRY;
        // A core program that has gone since the start takes nothing: the registry keeps the settings.
        if ((pApp && pApp->IsNoCore()) || !IsCoreAlive()) {
            bStored = SaveProperty(*m_pProp);
            if (bStored)
                OutputLog(LOG_LEVEL_INFO, SENDER_PROP, L"設定をレジストリに保存しました.\r\n");
        } else {
            const APPLY_RESULT res = ApplyToCore(TRUE, bClosing ? 1 : 0);
            if (res == APPLY_NO_CORE)
                continue;
            bStored = res == APPLY_HANDED;
            nIdError = IDS_ZV_ERR_TO_CORE;
            if (bStored && bClosing)
                m_bFinalDone = TRUE;
        }
        if (bStored)
            break;
        OutputLog(LOG_LEVEL_ERROR, SENDER_PROP, L"CZvPropertySheet::StoreSettings() the settings were not stored.\r\n");
        if (ShowMessageBox(LoadResString(nIdError).c_str(), LoadResString(IDS_ZV_CAPTION).c_str(),
                           MB_RETRYCANCEL | MB_ICONERROR, m_hWnd) != IDRETRY)
            break;
    }
    m_bStoring = FALSE;
    return bStored;
}

void CZvPropertySheet::FinishWithCore()
{
    const CZvPropertyApp* pApp = GetPropertyApp();
    if (m_bFinalDone || (pApp && pApp->IsNoCore()) || !IsCoreAlive())
        return;
    m_bFinalDone = TRUE;
    ApplyToCore(FALSE, 1);
}

void CZvPropertySheet::OnSheetDone(INT_PTR)
{
    FinishWithCore();
}

BOOL CZvPropertySheet::OnInitDialog()
{
    CPropertySheet::OnInitDialog();
    if (!m_hWnd) {
        const DWORD dwErr = GetLastError();
        ShowMessageBox(FormatString(LoadResString(IDS_ZV_ERR_HWND).c_str(), dwErr).c_str(),
                       LoadResString(IDS_ZV_APP_NAME).c_str(), MB_ICONERROR);
        return FALSE;
    }

    if (HMENU hSysMenu = GetSystemMenu(m_hWnd, FALSE)) {
        const std::wstring strAbout = LoadResString(IDS_ZV_ABOUTBOX);
        if (!strAbout.empty()) {
            AppendMenuW(hSysMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(hSysMenu, MF_STRING, IDM_ABOUTBOX, strAbout.c_str());
        }
    }

    if (m_hIconBig) {
        SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIconBig));
        SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIconBig));
    }
    m_hIconSmall = LoadMainIcon(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    if (m_hIconSmall)
        SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIconSmall));

    FitToPages();

    m_pTmrMngr = std::make_unique<CTmrMngr>(m_hWnd, kTickMs);
    m_nTimerId = SetTimer(m_hWnd, kWindowTimerId, kTickMs, nullptr);
    m_logLink.Connect(m_hWnd, m_pTmrMngr.get(), kLogStartMs);
    if (m_hWndCore && IsWindow(m_hWndCore))
        PostMessageW(m_hWndCore, MSG_PROP_WND, reinterpret_cast<WPARAM>(m_hWnd), 0);
    return TRUE;
}

void CZvPropertySheet::FitToPages()
{
    // The system measures the pages in the sheet's own font, while each page lays its controls
    // out in the font of its template, which is larger: the sheet grows until a page fits.
    HWND hWndPage = PropSheet_GetCurrentPageHwnd(m_hWnd);
    HWND hWndTab = PropSheet_GetTabControl(m_hWnd);
    if (!hWndPage || !hWndTab)
        return;
    RECT rcNeed{0, 0, kPageCx, kPageCy};
    if (!MapDialogRect(hWndPage, &rcNeed))
        return;
    RECT rcArea{};
    GetClientRect(hWndTab, &rcArea);
    TabCtrl_AdjustRect(hWndTab, FALSE, &rcArea);
    const int dx = std::max(0, static_cast<int>(rcNeed.right - (rcArea.right - rcArea.left)));
    const int dy = std::max(0, static_cast<int>(rcNeed.bottom - (rcArea.bottom - rcArea.top)));
    if (dx == 0 && dy == 0)
        return;

    auto grow = [](HWND hWnd, int cx, int cy) {
        RECT rc{};
        GetWindowRect(hWnd, &rc);
        SetWindowPos(hWnd, nullptr, 0, 0, rc.right - rc.left + cx, rc.bottom - rc.top + cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    grow(m_hWnd, dx, dy);
    grow(hWndTab, dx, dy);
    // The buttons keep their place at the bottom right.
    for (int nId : {IDOK, IDCANCEL, IDHELP, kApplyNowId}) {
        HWND hWndButton = GetDlgItem(m_hWnd, nId);
        if (!hWndButton)
            continue;
        RECT rc{};
        GetWindowRect(hWndButton, &rc);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        SetWindowPos(hWndButton, nullptr, rc.left + dx, rc.top + dy, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetWindowPos(hWndPage, nullptr, 0, 0, rcNeed.right, rcNeed.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CZvPropertySheet::OnSysCommand(WPARAM wParam, LPARAM)
{
    if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
        CZvPropertyAboutDlg dlg(m_hWnd);
        dlg.DoModal();
        return 0;
    }
    return Default();
}

LRESULT CZvPropertySheet::OnTimer(WPARAM wParam, LPARAM)
{
    if (wParam == kWindowTimerId && m_pTmrMngr)
        m_pTmrMngr->Tick();
    return Default();
}

LRESULT CZvPropertySheet::OnDestroy(WPARAM, LPARAM)
{
    m_logLink.Stop();
    if (m_nTimerId) {
        KillTimer(m_hWnd, m_nTimerId);
        m_nTimerId = 0;
    }
    m_pTmrMngr.reset();
    return Default();
}

LRESULT CZvPropertySheet::OnQueryDragIcon(WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(m_hIconBig);
}

LRESULT CZvPropertySheet::OnLogWndDtct(WPARAM, LPARAM)
{
    if (CZvPropertyApp* pApp = GetPropertyApp())
        m_logLink.Attach(pApp->GetOptions());
    return 0;
}

LRESULT CZvPropertySheet::OnLogWndRsp(WPARAM wParam, LPARAM)
{
    m_logLink.OnAnswer(wParam);
    return 0;
}

LRESULT CZvPropertySheet::OnLogEnd(WPARAM, LPARAM)
{
    CLogViewerLink::OnEnd();
    return 0;
}

LRESULT CZvPropertySheet::OnTmrLogStart(WPARAM, LPARAM)
{
    m_logLink.OnStartLimit();
    return 0;
}

LRESULT CZvPropertySheet::OnPropPage(WPARAM wParam, LPARAM)
{
    if (m_hWndCore && IsWindow(m_hWndCore))
        PostMessageW(m_hWndCore, MSG_PROP_PAGE, wParam, 0);
    return 0;
}

LRESULT CZvPropertySheet::OnPropApply(WPARAM, LPARAM)
{
    StoreSettings(FALSE);
    return 0;
}
