#include "PropertyPageFix.h"

#include <iterator>

#include "FixPageLists.h"
#include "LogManager.h"
#include "OSClass.h"
#include "QueryFixAppDlg.h"
#include "Sender.h"
#include "Strings.h"
#include "WndFilter.h"
#include "ZvHook64.h"
#include "ZvMessages.h"

namespace {

// The desktop gadget host: the hidden check box fixes it by application.
constexpr wchar_t kGadgetApp[] = L"sidebar.exe";

void Trace(LPCWSTR pszLine)
{
    OutputLog(LOG_LEVEL_DEBUG, SENDER_PROP, L"%s", pszLine);
}

LPARAM AsData(const void* p)
{
    return reinterpret_cast<LPARAM>(p);
}

} // namespace

CPropertyPageFix::CPropertyPageFix(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
    : CZvPropertyPage(IDD_PROPPAGE_FIX, pProp, pSheet, nPageIndex),
      m_pwe(std::make_unique<CWndEnumerator>(GetOSClass(), &pProp->propFix.lstTitle, &pProp->propFix.lstApp,
                                             &pProp->propWindow.bRestoreAbsPos,
                                             &pProp->propFix.bScrollTitledWindowOnly)),
      m_hWndCore(FindWindowW(nullptr, ZV_HIDDEN_MAIN_WND_TITLE))
{
    MapMessage(MSG_HOOK_CBT_WNDCHG, &CPropertyPageFix::OnHookCbtWndChg);
    MapMessage(WM_DESTROY, &CPropertyPageFix::OnDestroy);
}

CPropertyPageFix::~CPropertyPageFix()
{
    SetWndChgHook(FALSE);
}

// ---- Activation and the window-event hook ------------------------------------------------------

void CPropertyPageFix::SetWndChgHook(BOOL bOn)
{
    if (bOn && m_hWnd) {
        m_hHookCbt = SetCbtHook64(m_hWnd, 0, 0, MSG_HOOK_CBT_WNDCHG);
        OutputLog(LOG_LEVEL_DEBUG, SENDER_PROP, L"CPropertyPageFix::SetWndChgHook() installed, hook = 0x%x.\r\n",
                  LogHandle(m_hHookCbt));
    } else if (!bOn && m_hHookCbt) {
        SetCbtHook64(nullptr, 0, 0, 0);
        m_hHookCbt = nullptr;
        Trace(L"CPropertyPageFix::SetWndChgHook() removed.\r\n");
    }
}

void CPropertyPageFix::OnActivatePage()
{
    if (!m_hHookCbt)
        SetWndChgHook(TRUE);
}

BOOL CPropertyPageFix::OnKillActive()
{
    SetWndChgHook(FALSE);
    return CZvPropertyPage::OnKillActive();
}

// Cancel and Close end the sheet without leaving the page: the hook goes with the page's window.
LRESULT CPropertyPageFix::OnDestroy(WPARAM, LPARAM)
{
    SetWndChgHook(FALSE);
    return Default();
}

LRESULT CPropertyPageFix::OnHookCbtWndChg(WPARAM, LPARAM)
{
    g_nWndsChanged = 1;
    return 0;
}

// ---- Filling the controls ---------------------------------------------------------------------

BOOL CPropertyPageFix::OnInitDialog()
{
    CZvPropertyPage::OnInitDialog();
    // There is no gadget host to fix on the systems this program runs on.
    if (HWND hWndGadget = GetDlgItem(m_hWnd, IDC_FX_FIX_GADGET)) {
        ShowWindow(hWndGadget, SW_HIDE);
        EnableWindow(hWndGadget, FALSE);
    }
    m_pwe->EnumerateWnds();
    UpdateFixCtrls();
    DumpFixLists(L"OnInitDialog");
    m_bInitialized = TRUE;
    return TRUE;
}

BOOL CPropertyPageFix::GetWndDispText(HWND hWnd, std::wstring& strText) const
{
    if (!IsWindow(hWnd))
        return FALSE;
    strText = m_pwe->GetWndMatchText(hWnd);
    return TRUE;
}

void CPropertyPageFix::UpdateFixCtrls()
{
    SetCheck(IDC_FX_TITLED_ONLY, m_pProp->propFix.bScrollTitledWindowOnly);
    SetCheck(IDC_FX_FIX_GADGET, m_pProp->propFix.bFixGadget);
    SetTitleList();
    UpdateButtons();
    UpdateFixDetail();
}

void CPropertyPageFix::SetTitleList()
{
    HWND hWndScroll = ScrollList();
    HWND hWndFixed = FixedList();
    std::wstring strText;
    SendMessageW(hWndScroll, LB_RESETCONTENT, 0, 0);
    for (HWND hWnd : m_pwe->GetMoveWndList()) {
        if (hWnd != m_hWndCore && GetWndDispText(hWnd, strText))
            FixPageLists::AddEntry(hWndScroll, strText, AsData(hWnd));
    }
    SendMessageW(hWndFixed, LB_RESETCONTENT, 0, 0);
    for (const auto& pFix : m_pwe->GetFixWndList()) {
        if (GetWndDispText(pFix->hWnd, strText))
            FixPageLists::AddEntry(hWndFixed, strText, AsData(pFix.get()));
    }
    FixPageLists::SetListExtent(hWndScroll);
    FixPageLists::SetListExtent(hWndFixed);
}

void CPropertyPageFix::UpdateButtons()
{
    EnableWindow(GetDlgItem(m_hWnd, IDC_FX_UNFIX), FixPageLists::SelectedCount(FixedList()) > 0);
    EnableWindow(GetDlgItem(m_hWnd, IDC_FX_FIX), FixPageLists::SelectedCount(ScrollList()) > 0);
}

CFixWnd* CPropertyPageFix::SelectedFixRecord() const
{
    const std::vector<LPARAM> lstData = FixPageLists::SelectedData(FixedList());
    if (lstData.size() != 1)
        return nullptr;
    auto* pFix = reinterpret_cast<CFixWnd*>(lstData.front());
    return m_pwe->HasFixRecord(pFix) ? pFix : nullptr;
}

void CPropertyPageFix::ResetFixDetail()
{
    for (int nId : {IDC_FX_DETAIL_GROUP, IDC_FX_BY_TITLE, IDC_FX_TITLE, IDC_FX_BY_APP, IDC_FX_APP})
        EnableWindow(GetDlgItem(m_hWnd, nId), FALSE);
    SetCheck(IDC_FX_BY_TITLE, FALSE);
    SetCheck(IDC_FX_BY_APP, FALSE);
    SetDlgItemTextW(m_hWnd, IDC_FX_TITLE, L"");
    SetDlgItemTextW(m_hWnd, IDC_FX_APP, L"");
}

void CPropertyPageFix::UpdateFixDetail()
{
    if (FixPageLists::SelectedCount(FixedList()) != 1) {
        ResetFixDetail();
        return;
    }
    const CFixWnd* pFix = SelectedFixRecord();
    if (!pFix) {
        SetDlgItemTextW(m_hWnd, IDC_FX_TITLE, L"");
        SetDlgItemTextW(m_hWnd, IDC_FX_APP, L"");
        return;
    }
    if (pFix->nType != FIXWND_TYPE_TITLE && pFix->nType != FIXWND_TYPE_APP)
        return;
    const BOOL bTitle = pFix->nType == FIXWND_TYPE_TITLE;
    SetDlgItemTextW(m_hWnd, IDC_FX_TITLE, bTitle ? pFix->GetText() : L"");
    SetDlgItemTextW(m_hWnd, IDC_FX_APP, bTitle ? L"" : pFix->GetText());
    SetCheck(IDC_FX_BY_TITLE, bTitle);
    SetCheck(IDC_FX_BY_APP, !bTitle);
    for (int nId : {IDC_FX_DETAIL_GROUP, IDC_FX_BY_TITLE, IDC_FX_TITLE, IDC_FX_BY_APP, IDC_FX_APP})
        EnableWindow(GetDlgItem(m_hWnd, nId), TRUE);
}

BOOL CPropertyPageFix::UpdateLists()
{
    Trace(L"CPropertyPageFix::UpdateLists().\r\n");
    if (!m_pwe->RefreshAllWnds(TRUE))
        return FALSE;
    UpdateFixCtrls();
    SendMessageW(ScrollList(), LB_SETCARETINDEX, 0, FALSE);
    SetModified(TRUE);
    SetGadgetCheck();
    return TRUE;
}

void CPropertyPageFix::SetGadgetCheck()
{
    const BOOL bFixed = m_pwe->FindFixApp(kGadgetApp) != nullptr;
    m_pProp->propFix.bFixGadget = bFixed;
    SetCheck(IDC_FX_FIX_GADGET, bFixed);
}

// ---- The record's lists -----------------------------------------------------------------------

// Most recently fixed first, as the lists are saved; never twice, since taking one copy out must
// unfix the window.
void CPropertyPageFix::AddFixTitleStr(const std::wstring& strTitle)
{
    if (!m_pwe->FindFixTitleStr(strTitle.c_str()))
        m_pProp->propFix.lstTitle.insert(m_pProp->propFix.lstTitle.begin(), strTitle);
}

void CPropertyPageFix::AddFixAppStr(const std::wstring& strApp)
{
    if (!m_pwe->FindFixAppStr(strApp.c_str()))
        m_pProp->propFix.lstApp.insert(m_pProp->propFix.lstApp.begin(), strApp);
}

void CPropertyPageFix::DropFixTitleStrIfUnused(const std::wstring& strTitle)
{
    if (!m_pwe->FindFixTitle(strTitle.c_str()))
        m_pwe->RemoveFixTitleStr(strTitle.c_str());
}

CFixWnd* CPropertyPageFix::FindFixRecord(HWND hWnd, int nType) const
{
    CFixWnd* pFix = m_pwe->FindFixWnd(hWnd);
    return pFix && pFix->nType == nType ? pFix : nullptr;
}

std::vector<HWND> CPropertyPageFix::OtherWndsOfApp(const std::wstring& strApp, HWND hWnd)
{
    std::vector<HWND> lstOthers;
    for (HWND hWndApp = m_pwe->FindNextWndByApp(strApp.c_str(), nullptr); hWndApp;
         hWndApp = m_pwe->FindNextWndByApp(strApp.c_str(), hWndApp)) {
        if (hWndApp != hWnd)
            lstOthers.push_back(hWndApp);
    }
    return lstOthers;
}

BOOL CPropertyPageFix::QueryOthers(int nMode, const std::wstring& strApp, const std::wstring& strText,
                                   const std::vector<HWND>& lstOthers)
{
    if (lstOthers.empty())
        return TRUE;
    CQueryFixAppDlg dlg(strApp, strText, nMode, lstOthers, m_hWnd);
    return dlg.DoModal() == IDOK;
}

// ---- Commands ---------------------------------------------------------------------------------

BOOL CPropertyPageFix::OnControlCommand(UINT nId, UINT nCode, HWND)
{
    if (!m_bInitialized)
        return FALSE;
    switch (nId) {
    case IDC_FX_SCROLL_LIST:
    case IDC_FX_FIXED_LIST:
        if (nCode != LBN_SELCHANGE)
            return FALSE;
        UpdateButtons();
        if (nId == IDC_FX_FIXED_LIST)
            UpdateFixDetail();
        return TRUE;
    case IDC_FX_TITLED_ONLY:
    case IDC_FX_FIX_GADGET:
    case IDC_FX_FIX:
    case IDC_FX_UNFIX:
    case IDC_FX_REFRESH:
    case IDC_FX_BY_TITLE:
    case IDC_FX_BY_APP:
        if (nCode != BN_CLICKED)
            return FALSE;
        break;
    default:
        return FALSE;
    }
    switch (nId) {
    case IDC_FX_TITLED_ONLY:
        OnToggleTitledOnly();
        break;
    case IDC_FX_FIX_GADGET:
        OnToggleFixGadget();
        break;
    case IDC_FX_FIX:
        OnButtonFix();
        break;
    case IDC_FX_UNFIX:
        OnButtonMove();
        break;
    case IDC_FX_REFRESH:
        UpdateLists();
        break;
    case IDC_FX_BY_TITLE:
        OnBnClickedRadioFixTitle();
        break;
    default:
        OnBnClickedRadioFixApp();
        break;
    }
    return TRUE;
}

void CPropertyPageFix::OnToggleTitledOnly()
{
    BOOL& bTitledOnly = m_pProp->propFix.bScrollTitledWindowOnly;
    bTitledOnly = !bTitledOnly;
    g_nWndsChanged = 1;
    m_pwe->EnumerateWnds();
    UpdateFixCtrls();
    SetModified(TRUE);
    DumpFixLists(L"OnBnClickedCheckTitledOnly");
}

void CPropertyPageFix::OnToggleFixGadget()
{
    BOOL& bFixGadget = m_pProp->propFix.bFixGadget;
    bFixGadget = !bFixGadget;
    CFixWnd* pTitleFixed = bFixGadget ? m_pwe->FindFixTitleWndByApp(kGadgetApp) : nullptr;
    if (pTitleFixed) {
        SetFixTitleToFixApp(pTitleFixed);
    } else {
        if (!bFixGadget)
            m_pwe->RemoveFixAppStr(kGadgetApp);
        else
            AddFixAppStr(kGadgetApp);
        m_pwe->MakeFixAppList();
        m_pwe->FixWnds();
        m_pwe->UnfixWnds();
    }
    UpdateLists();
    SetModified(TRUE);
}

// Every selected window is fixed by its title, and with it every other window that bears the
// title, since the title fixes them all once the settings are applied.
void CPropertyPageFix::OnButtonFix()
{
    HWND hWndScroll = ScrollList();
    HWND hWndFixed = FixedList();
    const std::vector<LPARAM> lstSel = FixPageLists::SelectedData(hWndScroll);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_PROP, L"CPropertyPageFix::OnButtonFix() p1...nCnt0=%d.\r\n",
              static_cast<int>(lstSel.size()));
    BOOL bMoved = FALSE;
    std::wstring strText;
    for (LPARAM lData : lstSel) {
        HWND hWnd = reinterpret_cast<HWND>(lData);
        // Fixed already along with a window of the same title.
        if (FixPageLists::FindByData(hWndScroll, lData) < 0)
            continue;
        if (!GetWndDispText(hWnd, strText) || strText.empty()) {
            Trace(L"CPropertyPageFix::OnButtonFix() the window has gone.\r\n");
            continue;
        }
        AddFixTitleStr(strText);
        const std::list<HWND> lstMove = m_pwe->GetMoveWndList();
        std::wstring strOther;
        for (HWND hWndMove : lstMove) {
            if (hWndMove != hWnd && (hWndMove == m_hWndCore || !GetWndDispText(hWndMove, strOther) ||
                                     strOther != strText))
                continue;
            if (FixPageLists::RemoveByData(hWndScroll, AsData(hWndMove)) || hWndMove == hWnd) {
                m_pwe->RemoveMoveWnd(hWndMove);
                CFixWnd* pFix = m_pwe->AddFixWnd(std::make_unique<CFixTitle>(hWndMove, strText.c_str()));
                FixPageLists::AddEntry(hWndFixed, strText, AsData(pFix));
                bMoved = TRUE;
            }
        }
    }
    if (bMoved)
        ResetFixDetail();
    FixPageLists::SetListExtent(hWndScroll);
    FixPageLists::SetListExtent(hWndFixed);
    SendMessageW(hWndScroll, LB_SETCARETINDEX, 0, FALSE);
    UpdateButtons();
    UpdateFixDetail();
    SetModified(TRUE);
    DumpFixLists(L"OnBnClickedButtonFix");
}

void CPropertyPageFix::UnfixEntry(CFixWnd* pFixWnd, const std::wstring& strText)
{
    HWND hWnd = pFixWnd->hWnd;
    FixPageLists::RemoveByData(FixedList(), AsData(pFixWnd));
    m_pwe->RemoveFixRecord(pFixWnd);
    FixPageLists::AddEntry(ScrollList(), strText, AsData(hWnd));
    m_pwe->GetMoveWndList().push_back(hWnd);
}

// Each selected entry's fix is taken out of the settings, and so every window it fixed scrolls
// again: all windows of an application (asked first when there are others), all windows of a title.
void CPropertyPageFix::OnButtonMove()
{
    HWND hWndFixed = FixedList();
    const std::vector<LPARAM> lstSel = FixPageLists::SelectedData(hWndFixed);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_PROP, L"CPropertyPageFix::OnButtonMove() p1...nCnt0=%d.\r\n",
              static_cast<int>(lstSel.size()));
    BOOL bMoved = FALSE;
    std::wstring strText;
    for (LPARAM lData : lstSel) {
        auto* pFix = reinterpret_cast<CFixWnd*>(lData);
        // Unfixed already with another window of its application or title.
        if (!m_pwe->HasFixRecord(pFix))
            continue;
        const int nType = pFix->nType;
        const std::wstring strKept = pFix->GetText();
        HWND hWnd = pFix->hWnd;
        std::vector<HWND> lstOthers;
        if (nType == FIXWND_TYPE_APP) {
            lstOthers = OtherWndsOfApp(strKept, hWnd);
            strText.clear();
            GetWndDispText(hWnd, strText);
            if (!QueryOthers(CQueryFixAppDlg::MODE_UNFIX_APP, strKept, strText, lstOthers))
                continue;
            m_pwe->RemoveFixAppStr(strKept.c_str());
        } else if (nType == FIXWND_TYPE_TITLE) {
            for (const auto& pOther : m_pwe->GetFixWndList()) {
                if (pOther.get() != pFix && pOther->nType == FIXWND_TYPE_TITLE && pOther->IsMatchStr(strKept.c_str()))
                    lstOthers.push_back(pOther->hWnd);
            }
            m_pwe->RemoveFixTitleStr(strKept.c_str());
        }
        if (GetWndDispText(hWnd, strText)) {
            UnfixEntry(pFix, strText);
            bMoved = TRUE;
        }
        for (HWND hWndOther : lstOthers) {
            CFixWnd* pOther = FindFixRecord(hWndOther, nType);
            if (pOther && GetWndDispText(hWndOther, strText) && FixPageLists::FindByData(hWndFixed, AsData(pOther)) >= 0) {
                UnfixEntry(pOther, strText);
                bMoved = TRUE;
            }
        }
        if (SendMessageW(hWndFixed, LB_GETCOUNT, 0, 0) <= 0)
            break;
    }
    if (bMoved)
        ResetFixDetail();
    FixPageLists::SetListExtent(ScrollList());
    FixPageLists::SetListExtent(hWndFixed);
    SendMessageW(hWndFixed, LB_SETCARETINDEX, 0, FALSE);
    UpdateButtons();
    UpdateFixDetail();
    SetGadgetCheck();
    SetModified(TRUE);
    DumpFixLists(L"OnBnClickedButtonMove");
}

// ---- Fixed by title or by application ---------------------------------------------------------

void CPropertyPageFix::OnBnClickedRadioFixTitle()
{
    CFixWnd* pFix = SelectedFixRecord();
    if (!pFix || pFix->nType != FIXWND_TYPE_APP || !pFix->hWnd) {
        Trace(L"CPropertyPageFix::OnBnClickedRadioFixTitle() not one entry fixed by application.\r\n");
        UpdateFixDetail();
        return;
    }
    if (!SetFixAppToFixTitle(pFix)) {
        SetCheck(IDC_FX_BY_TITLE, FALSE);
        SetCheck(IDC_FX_BY_APP, TRUE);
        UpdateLists();
        DumpFixLists(L"OnBnClickedRadioFixTitle");
    }
    UpdateFixDetail();
    SetGadgetCheck();
    SetModified(TRUE);
    DumpFixLists(L"OnBnClickedRadioFixTitle");
}

void CPropertyPageFix::OnBnClickedRadioFixApp()
{
    CFixWnd* pFix = SelectedFixRecord();
    if (!pFix || pFix->nType != FIXWND_TYPE_TITLE || !pFix->hWnd) {
        Trace(L"CPropertyPageFix::OnBnClickedRadioFixApp() not one entry fixed by title.\r\n");
        UpdateFixDetail();
        return;
    }
    if (SetFixTitleToFixApp(pFix)) {
        UpdateFixDetail();
        SetGadgetCheck();
        SetModified(TRUE);
        DumpFixLists(L"OnBnClickedRadioFixApp 2");
    } else {
        SetCheck(IDC_FX_BY_TITLE, TRUE);
        SetCheck(IDC_FX_BY_APP, FALSE);
        UpdateLists();
        DumpFixLists(L"OnBnClickedRadioFixApp 1");
    }
}

namespace {

// The record in place of the old one, behind the same entry of the fixed list.
CFixWnd* ReplaceRecord(CWndEnumerator& we, HWND hWndFixed, CFixWnd* pOld, std::unique_ptr<CFixWnd> pNew)
{
    const int nIndex = FixPageLists::FindByData(hWndFixed, reinterpret_cast<LPARAM>(pOld));
    we.RemoveFixRecord(pOld);
    CFixWnd* pFix = we.AddFixWnd(std::move(pNew));
    if (nIndex >= 0)
        SendMessageW(hWndFixed, LB_SETITEMDATA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(pFix));
    return pFix;
}

} // namespace

// The application's fix becomes one title fix per window of the application.
BOOL CPropertyPageFix::SetFixAppToFixTitle(CFixWnd* pFixWnd)
{
    HWND hWnd = pFixWnd->hWnd;
    std::wstring strText, strApp;
    if (!GetWndDispText(hWnd, strText)) {
        Trace(L"CPropertyPageFix::SetFixAppToFixTitle()---1.\r\n");
        return FALSE;
    }
    if (!GetWndImageName(hWnd, strApp)) {
        Trace(L"CPropertyPageFix::SetFixAppToFixTitle()---2.\r\n");
        return FALSE;
    }
    const std::vector<HWND> lstOthers = OtherWndsOfApp(strApp, hWnd);
    if (!QueryOthers(CQueryFixAppDlg::MODE_APP_TO_TITLE, strApp, strText, lstOthers))
        return FALSE;
    HWND hWndFixed = FixedList();
    const std::wstring strKept = pFixWnd->GetText();
    ReplaceRecord(*m_pwe, hWndFixed, pFixWnd, std::make_unique<CFixTitle>(hWnd, strText.c_str()));
    AddFixTitleStr(strText);
    m_pwe->RemoveFixAppStr(strKept.c_str());
    SetDlgItemTextW(m_hWnd, IDC_FX_APP, L"");
    for (HWND hWndOther : lstOthers) {
        CFixWnd* pOther = FindFixRecord(hWndOther, FIXWND_TYPE_APP);
        if (pOther && GetWndDispText(hWndOther, strText) && FixPageLists::FindByData(hWndFixed, AsData(pOther)) >= 0) {
            ReplaceRecord(*m_pwe, hWndFixed, pOther, std::make_unique<CFixTitle>(hWndOther, strText.c_str()));
            AddFixTitleStr(strText);
        }
    }
    return TRUE;
}

// The title's fix becomes the fix of the window's application, which takes its other windows too.
BOOL CPropertyPageFix::SetFixTitleToFixApp(CFixWnd* pFixWnd)
{
    HWND hWnd = pFixWnd->hWnd;
    std::wstring strText, strApp;
    if (!GetWndDispText(hWnd, strText)) {
        Trace(L"CPropertyPageFix::SetFixTitleToFixApp()---1.\r\n");
        return FALSE;
    }
    if (!GetWndImageName(hWnd, strApp)) {
        Trace(L"CPropertyPageFix::SetFixTitleToFixApp()---2.\r\n");
        return FALSE;
    }
    const std::vector<HWND> lstOthers = OtherWndsOfApp(strApp, hWnd);
    if (!QueryOthers(CQueryFixAppDlg::MODE_TITLE_TO_APP, strApp, strText, lstOthers))
        return FALSE;
    HWND hWndScroll = ScrollList();
    HWND hWndFixed = FixedList();
    std::vector<std::wstring> lstDropped{pFixWnd->GetText()};
    ReplaceRecord(*m_pwe, hWndFixed, pFixWnd, std::make_unique<CFixApp>(hWnd, strApp.c_str()));
    AddFixAppStr(strApp);
    SetDlgItemTextW(m_hWnd, IDC_FX_APP, (L" " + strApp).c_str());
    for (HWND hWndOther : lstOthers) {
        if (!GetWndDispText(hWndOther, strText))
            continue;
        if (m_pwe->IsMoveWnd(hWndOther)) {
            if (FixPageLists::RemoveByData(hWndScroll, AsData(hWndOther))) {
                m_pwe->RemoveMoveWnd(hWndOther);
                CFixWnd* pFix = m_pwe->AddFixWnd(std::make_unique<CFixApp>(hWndOther, strApp.c_str()));
                FixPageLists::AddEntry(hWndFixed, strText, AsData(pFix));
            }
        } else if (CFixWnd* pOther = FindFixRecord(hWndOther, FIXWND_TYPE_TITLE)) {
            if (FixPageLists::FindByData(hWndFixed, AsData(pOther)) >= 0) {
                lstDropped.emplace_back(pOther->GetText());
                ReplaceRecord(*m_pwe, hWndFixed, pOther, std::make_unique<CFixApp>(hWndOther, strApp.c_str()));
            }
        }
    }
    // A title that still fixes a window of another application stays.
    for (const std::wstring& strTitle : lstDropped)
        DropFixTitleStrIfUnused(strTitle);
    FixPageLists::SetListExtent(hWndScroll);
    FixPageLists::SetListExtent(hWndFixed);
    return TRUE;
}

// ---- Debug log --------------------------------------------------------------------------------

void CPropertyPageFix::DumpFixLists(LPCWSTR pszEvent) const
{
    if (!IsLogLevelActive(LOG_LEVEL_DEBUG))
        return;
    const auto line = [](LPCWSTR pszFormat, auto... args) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_PROP, pszFormat, args...);
    };
    const auto none = [&](int nCount) {
        if (nCount == 0)
            line(L"        無し.\r\n");
    };
    line(L"固定ウィンドウ設定 : %s\r\n", pszEvent);
    line(L"    移動ウィンドウ =\r\n");
    int n = 0;
    for (HWND hWnd : m_pwe->GetMoveWndList()) {
        if (IsWindow(hWnd))
            line(L"        No.%d - %s.\r\n", n++, GetWndTitle(hWnd).c_str());
    }
    none(n);
    line(L"    固定ウィンドウ =\r\n");
    n = 0;
    for (const auto& pFix : m_pwe->GetFixWndList()) {
        if (!IsWindow(pFix->hWnd))
            continue;
        const BOOL bTitle = pFix->nType == FIXWND_TYPE_TITLE;
        const std::wstring strText =
            bTitle ? pFix->GetText() : FormatString(L"%s(%s)", GetWndTitle(pFix->hWnd).c_str(), pFix->GetText());
        line(L"        No.%d - %s (%s).\r\n", n++, strText.c_str(), bTitle ? L"タイトル名" : L"アプリケーション名");
    }
    none(n);
    const auto list = [&](LPCWSTR pszHead, const std::vector<std::wstring>& lst) {
        line(pszHead);
        int i = 0;
        for (const std::wstring& str : lst)
            line(L"        No.%d - %s.\r\n", i++, str.c_str());
        none(i);
    };
    list(L"    固定ウィンドウタイトル =\r\n", m_pProp->propFix.lstTitle);
    list(L"    固定ウィンドウアプリケーション名 =\r\n", m_pProp->propFix.lstApp);
}
