#include "PropertyPagePosSize.h"

#include <iterator>
#include <utility>

#include "Strings.h"
#include "ZvMessages.h"

using namespace PosSizeValues;

namespace {

// The edit of each field, FIELD_X to FIELD_CY.
constexpr int g_anFieldEdit[] = {IDC_PS_X, IDC_PS_Y, IDC_PS_CX, IDC_PS_CY};

int FieldOfEdit(int nId)
{
    for (int i = 0; i < static_cast<int>(std::size(g_anFieldEdit)); ++i) {
        if (g_anFieldEdit[i] == nId)
            return FIELD_X + i;
    }
    return 0;
}

int EditOfField(int nField)
{
    return nField >= FIELD_X && nField <= FIELD_CY ? g_anFieldEdit[nField - FIELD_X] : 0;
}

// Everything a bar's values need; off while the root is chosen.
constexpr int g_anPosSizeCtrls[] = {
    IDC_PS_X_LABEL,  IDC_PS_X,  IDC_PS_X_SPIN,  IDC_PS_X_UNIT,  IDC_PS_Y_LABEL,  IDC_PS_Y,
    IDC_PS_Y_SPIN,   IDC_PS_Y_UNIT, IDC_PS_CY_LABEL, IDC_PS_CY, IDC_PS_CY_SPIN, IDC_PS_CY_UNIT,
    IDC_PS_CX_LABEL, IDC_PS_CX, IDC_PS_CX_SPIN, IDC_PS_CX_UNIT, IDC_PS_PREVIEW, IDC_DEFAULT,
};

// Tree images (16-pixel cells): the root, the selected horizontal and vertical bars, the bars.
enum : int { IMAGE_ROOT = 0, IMAGE_HORZ_SELECTED = 1, IMAGE_VERT_SELECTED = 2, IMAGE_HORZ = 3, IMAGE_VERT = 4 };

COLORREF Complement(COLORREF cr)
{
    return RGB(255 - GetRValue(cr), 255 - GetGValue(cr), 255 - GetBValue(cr));
}

} // namespace

CPropertyPagePosSize::CPropertyPagePosSize(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
    : CZvPropertyPage(IDD_PROPPAGE_POSSIZE, pProp, pSheet, nPageIndex)
{
    // The tree tells in the page's character set; either way the same handler.
    MapNotify(IDC_TREE, TVN_SELCHANGEDW, &CPropertyPagePosSize::OnTreeSelChanged);
    MapNotify(IDC_TREE, TVN_SELCHANGEDA, &CPropertyPagePosSize::OnTreeSelChanged);
    MapMessage(WM_DRAWITEM, &CPropertyPagePosSize::OnDrawItem);
}

BOOL CPropertyPagePosSize::OnInitDialog()
{
    CZvPropertyPage::OnInitDialog();
    for (int nSpin : {IDC_PS_X_SPIN, IDC_PS_Y_SPIN, IDC_PS_CX_SPIN, IDC_PS_CY_SPIN})
        SendDlgItemMessageW(m_hWnd, nSpin, UDM_SETRANGE32, SPIN_LOW, SPIN_HIGH);
    m_tree.Attach(GetDlgItem(m_hWnd, IDC_TREE), m_hInstResource, IDB_POSSIZE_TREE);
    m_bHorzShown = m_pProp->propView.bHorizontal;
    m_bVertShown = m_pProp->propView.bVertical;
    MakeTree();
    m_bInitialized = TRUE;
    UpdatePosSizeEdits();
    SetTreeHelp();
    return TRUE;
}

void CPropertyPagePosSize::MakeTree()
{
    HTREEITEM hRoot = m_tree.Root();
    if (!hRoot)
        hRoot = m_tree.Insert(TVI_ROOT, LoadResString(IDS_POSSIZE_ROOT), ITEM_ROOT, IMAGE_ROOT, IMAGE_ROOT);
    if (!hRoot)
        return;
    if (m_bHorzShown)
        m_tree.Insert(hRoot, LoadResString(IDS_POSSIZE_HORZ), ITEM_HORZ, IMAGE_HORZ, IMAGE_HORZ_SELECTED);
    if (m_bVertShown)
        m_tree.Insert(hRoot, LoadResString(IDS_POSSIZE_VERT), ITEM_VERT, IMAGE_VERT, IMAGE_VERT_SELECTED);
    m_tree.SortAndExpand(hRoot);
}

int CPropertyPagePosSize::ItemBar(HTREEITEM hItem) const
{
    switch (ItemValue(hItem)) {
    case ITEM_HORZ:
        return BAR_HORZ;
    case ITEM_VERT:
        return BAR_VERT;
    default:
        return 0;
    }
}

void CPropertyPagePosSize::UpdatePosSizeEdits()
{
    const HTREEITEM hItem = SelectedItem();
    if (hItem) {
        const int nBar = ItemBar(hItem);
        for (int nField = FIELD_X; nField <= FIELD_CY; ++nField) {
            const std::wstring strValue =
                nBar ? FormatString(L"%d", BarField(m_pProp->propPosSize, nBar, nField)) : std::wstring();
            SetEditText(EditOfField(nField), strValue);
        }
        EnablePosSizeCtrls(nBar != 0);
    }
    InvalidatePreview();
}

void CPropertyPagePosSize::EnablePosSizeCtrls(BOOL bEnable)
{
    for (int nId : g_anPosSizeCtrls)
        EnableWindow(GetDlgItem(m_hWnd, nId), bEnable);
}

void CPropertyPagePosSize::SetTreeHelp()
{
    const HTREEITEM hItem = SelectedItem();
    if (!hItem)
        return;
    SetHelpLine(ItemValue(hItem) == ITEM_ROOT ? IDS_POSSIZE_HELP_ROOT : IDS_POSSIZE_HELP_BAR);
}

UINT CPropertyPagePosSize::GetHelpStringId(int nCtrlId) const
{
    switch (nCtrlId) {
    case IDC_PS_X:
        return IDS_POSSIZE_HELP_X;
    case IDC_PS_Y:
        return IDS_POSSIZE_HELP_Y;
    case IDC_PS_CX:
        return IDS_POSSIZE_HELP_CX;
    case IDC_PS_CY:
        return IDS_POSSIZE_HELP_CY;
    default:
        return 0;
    }
}

BOOL CPropertyPagePosSize::OnControlCommand(UINT nId, UINT nCode, HWND)
{
    if (nId == IDC_PS_PREVIEW) {
        if (nCode != BN_CLICKED)
            return FALSE;
        InvalidatePreview();
        return TRUE;
    }
    const int nField = FieldOfEdit(static_cast<int>(nId));
    if (!nField)
        return FALSE;
    if (nCode == EN_SETFOCUS) {
        m_nLastFocusedField = nField;
        return TRUE;
    }
    if (nCode != EN_CHANGE || !m_bInitialized)
        return FALSE;
    if (const int nBar = ItemBar(SelectedItem())) {
        const int nValue = ReadSignedNumber(ItemText(static_cast<int>(nId)));
        int& nStored = BarField(m_pProp->propPosSize, nBar, nField);
        if (nValue != nStored) {
            nStored = nValue;
            SetModified(TRUE);
        }
    }
    SetHelpLine(GetHelpStringId(static_cast<int>(nId)));
    return TRUE;
}

BOOL CPropertyPagePosSize::OnDefault()
{
    const int nBar = ItemBar(SelectedItem());
    if (!nBar)
        return FALSE;
    PROP_POSSIZE psDefault = m_pProp->propPosSize;
    GetDefaultPosSize(psDefault);
    for (int nField = FIELD_X; nField <= FIELD_CY; ++nField)
        BarField(m_pProp->propPosSize, nBar, nField) = BarField(psDefault, nBar, nField);
    UpdatePosSizeEdits();
    return TRUE;
}

BOOL CPropertyPagePosSize::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message != WM_KEYDOWN)
        return FALSE;
    int nId = 0;
    switch (pMsg->wParam) {
    case 'X':
        nId = IDC_PS_X;
        break;
    case 'Y':
        nId = IDC_PS_Y;
        break;
    case 'W':
        nId = IDC_PS_CX;
        break;
    case 'H':
        nId = IDC_PS_CY;
        break;
    case 'R':
        nId = IDC_DEFAULT;
        break;
    default:
        return FALSE;
    }
    // Only the focus moves; a disabled control (the root chosen) does not take it.
    HWND hWndCtrl = GetDlgItem(m_hWnd, nId);
    if (hWndCtrl && IsWindowEnabled(hWndCtrl))
        SetFocus(hWndCtrl);
    return TRUE;
}

std::vector<CORRECT_POSSIZE> CPropertyPagePosSize::CheckPosSize(HTREEITEM hItem) const
{
    const int nBar = m_bInitialized ? ItemBar(hItem) : 0;
    if (!nBar)
        return {};
    return CheckBar(m_pProp->propPosSize, nBar, GetDesktopRect(),
                    GetSystemMetrics(nBar == BAR_HORZ ? SM_CYHSCROLL : SM_CXVSCROLL));
}

HWND CPropertyPagePosSize::ShowCorrectPosSize(const std::vector<CORRECT_POSSIZE>& lstCorrect)
{
    if (lstCorrect.empty())
        return nullptr;
    ShowMessageBox(CorrectMessage(lstCorrect).c_str(), LoadResString(IDS_ZV_CAPTION).c_str(), MB_ICONERROR | MB_OK,
                   m_hWnd);
    InvalidatePreview();
    return GetDlgItem(m_hWnd, EditOfField(FocusField(lstCorrect.front(), m_nLastFocusedField)));
}

LRESULT CPropertyPagePosSize::OnTreeSelChanged(NMHDR*)
{
    if (!m_bInitialized || m_bReselecting)
        return 0;
    const std::vector<CORRECT_POSSIZE> lstCorrect = CheckPosSize(m_hItemPrev);
    if (!lstCorrect.empty()) {
        // The user stays on the bar until its values keep the limits.
        m_bReselecting = TRUE;
        m_tree.Select(m_hItemPrev);
        if (HWND hWndEdit = ShowCorrectPosSize(lstCorrect))
            PostMessageW(m_hWnd, MSG_PROP_REFOCUS, reinterpret_cast<WPARAM>(hWndEdit), 0);
    }
    m_bReselecting = FALSE;
    m_hItemPrev = SelectedItem();
    UpdatePosSizeEdits();
    SetTreeHelp();
    return 0;
}

BOOL CPropertyPagePosSize::OnKillActive()
{
    const std::vector<CORRECT_POSSIZE> lstCorrect = CheckPosSize(m_hItemPrev);
    if (!lstCorrect.empty()) {
        if (HWND hWndEdit = ShowCorrectPosSize(lstCorrect))
            PostMessageW(m_hWnd, MSG_PROP_REFOCUS, reinterpret_cast<WPARAM>(hWndEdit), 0);
        return FALSE;
    }
    return CZvPropertyPage::OnKillActive();
}

void CPropertyPagePosSize::InvalidatePreview()
{
    if (HWND hWndFrame = GetDlgItem(m_hWnd, IDC_PS_PREVIEW_FRAME))
        InvalidateRect(hWndFrame, nullptr, TRUE);
}

LRESULT CPropertyPagePosSize::OnDrawItem(WPARAM wParam, LPARAM lParam)
{
    const auto* pDis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (wParam != IDC_PS_PREVIEW_FRAME || !pDis)
        return Default();
    DrawPreview(pDis->hDC, pDis->rcItem);
    return TRUE;
}

void CPropertyPagePosSize::DrawPreview(HDC hDC, const RECT& rcFrame)
{
    const int cx = rcFrame.right - rcFrame.left;
    const int cy = rcFrame.bottom - rcFrame.top;
    RECT rcWork{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    const COLORREF crDesktop = GetSysColor(COLOR_BACKGROUND);
    FillRect(hDC, &rcFrame, GetSysColorBrush(COLOR_BACKGROUND));
    const std::pair<BOOL, int> aBars[] = {{m_bHorzShown, BAR_HORZ}, {m_bVertShown, BAR_VERT}};
    for (const auto& [bShown, nBar] : aBars) {
        if (!bShown)
            continue;
        RECT rc = PreviewBarRect(m_pProp->propPosSize, nBar, cx, cy, rcWork);
        OffsetRect(&rc, rcFrame.left, rcFrame.top);
        if (!IsRectEmpty(&rc))
            FillRect(hDC, &rc, GetSysColorBrush(COLOR_BTNFACE));
    }
    const int nHeight = -MulDiv(9, GetDeviceCaps(hDC, LOGPIXELSY), 72);
    HFONT hFont = CreateFontW(nHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                              LoadResString(IDS_POSSIZE_FONT).c_str());
    HGDIOBJ hOldFont = hFont ? SelectObject(hDC, hFont) : nullptr;
    SetBkColor(hDC, crDesktop);
    SetTextColor(hDC, Complement(crDesktop));
    RECT rcText = rcFrame;
    DrawTextW(hDC, LoadResString(IDS_POSSIZE_DESKTOP).c_str(), -1, &rcText, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (hOldFont)
        SelectObject(hDC, hOldFont);
    if (hFont)
        DeleteObject(hFont);
}
