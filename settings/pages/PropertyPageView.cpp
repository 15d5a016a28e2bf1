#include "PropertyPageView.h"

#include "ViewValues.h"

namespace {

// The check boxes and the View field each one shows.
struct VIEW_CHECK {
    int nId;
    BOOL PROP_VIEW::*pField;
};
constexpr VIEW_CHECK g_aViewCheck[] = {
    {IDC_VW_HORIZONTAL, &PROP_VIEW::bHorizontal}, {IDC_VW_VERTICAL, &PROP_VIEW::bVertical},
    {IDC_VW_TOPMOST, &PROP_VIEW::bTopMost},       {IDC_VW_HIDE, &PROP_VIEW::bHide},
    {IDC_VW_MOUSEMOVE, &PROP_VIEW::bMouseMove},   {IDC_VW_TRAYICON, &PROP_VIEW::bTrayIcon},
    {IDC_VW_SMOOTHSCROLL, &PROP_VIEW::bSmoothScroll},
};

// The transparency group: enabled only while the record allows transparency.
constexpr int g_anAlphaGroup[] = {IDC_VW_ALPHA_GROUP, IDC_VW_ALPHA_CLEAR, IDC_VW_ALPHA_OPAQUE, IDC_VW_ALPHA};

} // namespace

CPropertyPageView::CPropertyPageView(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
    : CZvPropertyPage(IDD_PROPPAGE_VIEW, pProp, pSheet, nPageIndex)
{
    MapMessage(WM_HSCROLL, &CPropertyPageView::OnHScroll);
}

BOOL CPropertyPageView::OnInitDialog()
{
    CZvPropertyPage::OnInitDialog();
    const PROP_VIEW& view = m_pProp->propView;
    SendDlgItemMessageW(m_hWnd, IDC_VW_SPEED, TBM_SETRANGE, TRUE,
                        MAKELPARAM(ViewValues::SPEED_LOW, ViewValues::SPEED_HIGH));
    SendDlgItemMessageW(m_hWnd, IDC_VW_SPEED, TBM_SETTICFREQ, 1, 0);
    SendDlgItemMessageW(m_hWnd, IDC_VW_SPEED, TBM_SETPOS, TRUE, ViewValues::SpeedPos(view.nSpeed));
    SendDlgItemMessageW(m_hWnd, IDC_VW_ALPHA, TBM_SETRANGE, TRUE,
                        MAKELPARAM(ViewValues::ALPHA_LOW, ViewValues::ALPHA_HIGH));
    SendDlgItemMessageW(m_hWnd, IDC_VW_ALPHA, TBM_SETTICFREQ, 1, 0);
    SendDlgItemMessageW(m_hWnd, IDC_VW_ALPHA, TBM_SETPOS, TRUE, view.nTransparent);
    m_bInitialized = TRUE;
    RefreshPage();
    return TRUE;
}

void CPropertyPageView::RefreshPage()
{
    const PROP_VIEW& view = m_pProp->propView;
    for (const VIEW_CHECK& check : g_aViewCheck)
        SetCheck(check.nId, view.*check.pField);
    SendDlgItemMessageW(m_hWnd, IDC_VW_SPEED, TBM_SETPOS, TRUE, ViewValues::SpeedPos(view.nSpeed));
    for (int nId : g_anAlphaGroup)
        EnableWindow(GetDlgItem(m_hWnd, nId), view.bTransparentEnable);
    if (view.bTransparentEnable)
        SendDlgItemMessageW(m_hWnd, IDC_VW_ALPHA, TBM_SETPOS, TRUE, view.nTransparent);
    BOOL abEnabled[3]{};
    ViewValues::GetMenuRouteEnabled(*m_pProp, abEnabled);
    EnableWindow(GetDlgItem(m_hWnd, IDC_VW_HORIZONTAL), abEnabled[0]);
    EnableWindow(GetDlgItem(m_hWnd, IDC_VW_VERTICAL), abEnabled[1]);
    EnableWindow(GetDlgItem(m_hWnd, IDC_VW_TRAYICON), abEnabled[2]);
}

void CPropertyPageView::OnActivatePage()
{
    // The keyboard page may have switched the menu key since: the last route is judged afresh.
    if (m_bInitialized)
        RefreshPage();
}

BOOL CPropertyPageView::OnControlCommand(UINT nId, UINT nCode, HWND)
{
    for (const VIEW_CHECK& check : g_aViewCheck) {
        if (check.nId != static_cast<int>(nId))
            continue;
        if (nCode != BN_CLICKED || !m_bInitialized)
            return FALSE;
        BOOL& bField = m_pProp->propView.*check.pField;
        bField = !bField;
        SetModified(TRUE);
        RefreshPage();
        return TRUE;
    }
    return FALSE;
}

LRESULT CPropertyPageView::OnHScroll(WPARAM, LPARAM lParam)
{
    HWND hWndBar = reinterpret_cast<HWND>(lParam);
    if (m_bInitialized && hWndBar) {
        const int nPos = static_cast<int>(SendMessageW(hWndBar, TBM_GETPOS, 0, 0));
        PROP_VIEW& view = m_pProp->propView;
        const int nId = GetDlgCtrlID(hWndBar);
        if (nId == IDC_VW_SPEED || nId == IDC_VW_ALPHA) {
            int& nField = nId == IDC_VW_SPEED ? view.nSpeed : view.nTransparent;
            nField = nId == IDC_VW_SPEED ? ViewValues::SpeedPos(nPos) : nPos;
            SetModified(TRUE);
        }
    }
    return Default();
}
