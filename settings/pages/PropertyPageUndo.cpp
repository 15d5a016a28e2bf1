#include "PropertyPageUndo.h"

#include <iterator>

#include "ListItems.h"
#include "Strings.h"

BOOL CPropertyPageUndo::OnInitDialog()
{
    CZvPropertyPage::OnInitDialog();
    HWND hWndWheel = GetDlgItem(m_hWnd, IDC_UN_WHEEL);
    AddListItems(hWndWheel, {std::begin(PageValues::g_apszUndoWheelChoice),
                             std::end(PageValues::g_apszUndoWheelChoice)});
    SendMessageW(hWndWheel, CB_SETCURSEL, static_cast<WPARAM>(m_pProp->propUndo.nSaveTimeUndoDataInWheelScroll), 0);
    SendDlgItemMessageW(m_hWnd, IDC_UN_DEPTH_SPIN, UDM_SETRANGE32, PageValues::UNDO_DEPTH_LOW,
                        PageValues::UNDO_DEPTH_HIGH);
    m_bInitialized = TRUE;
    RefreshPage();
    return TRUE;
}

void CPropertyPageUndo::RefreshPage()
{
    const PROP_UNDO& undo = m_pProp->propUndo;
    SetCheck(IDC_UN_SCROLL, undo.bScroll);
    SetCheck(IDC_UN_ALIGN, undo.bAlign);
    SetCheck(IDC_UN_RESIZE, undo.bResize);
    SetCheck(IDC_UN_RESIZEWND, undo.bUndoResizeWnd);
    SetEditNumber(IDC_UN_DEPTH, undo.nDepth);
}

void CPropertyPageUndo::UpdateWheelList()
{
    EnableWindow(GetDlgItem(m_hWnd, IDC_UN_WHEEL), PageValues::IsUndoWheelListEnabled(*m_pProp));
}

void CPropertyPageUndo::OnActivatePage()
{
    UpdateWheelList();
}

BOOL CPropertyPageUndo::CheckRanges(RANGE_ERROR* pErr)
{
    return PageValues::CheckUndoDepth(m_pProp->propUndo, IDC_UN_DEPTH, pErr);
}

BOOL CPropertyPageUndo::OnControlCommand(UINT nId, UINT nCode, HWND hWndCtrl)
{
    PROP_UNDO& undo = m_pProp->propUndo;
    switch (nId) {
    case IDC_UN_SCROLL:
    case IDC_UN_ALIGN:
    case IDC_UN_RESIZE:
    case IDC_UN_RESIZEWND: {
        if (nCode != BN_CLICKED)
            return FALSE;
        BOOL& bField = nId == IDC_UN_SCROLL  ? undo.bScroll
                       : nId == IDC_UN_ALIGN ? undo.bAlign
                       : nId == IDC_UN_RESIZE ? undo.bResize
                                              : undo.bUndoResizeWnd;
        bField = !bField;
        if (nId == IDC_UN_SCROLL)
            UpdateWheelList();
        SetModified(TRUE);
        RefreshPage();
        return TRUE;
    }
    case IDC_UN_WHEEL: {
        if (nCode != CBN_SELCHANGE || !m_bInitialized)
            return FALSE;
        const LRESULT nSel = SendMessageW(hWndCtrl, CB_GETCURSEL, 0, 0);
        if (nSel == CB_ERR)
            return TRUE;
        undo.nSaveTimeUndoDataInWheelScroll = static_cast<int>(nSel);
        SetModified(TRUE);
        return TRUE;
    }
    case IDC_UN_DEPTH: {
        if (nCode != EN_CHANGE || !m_bInitialized)
            return FALSE;
        const int nDepth = ReadEditNumber(IDC_UN_DEPTH);
        if (nDepth != undo.nDepth) {
            undo.nDepth = nDepth;
            SetModified(TRUE);
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}
