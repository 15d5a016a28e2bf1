#include "PropertyPageScrlWdth.h"

#include <algorithm>
#include <iterator>

#include "ScrlWdthValues.h"
#include "Strings.h"

using namespace PageValues;

namespace {

// The controls of the three modes, in the order Abs, Rel, Scr; a mode's number names its field.
constexpr int kModes[] = {SCRLMODE_ABS, SCRLMODE_REL, SCRLMODE_SCR};
constexpr int kRadios[] = {IDC_SW_ABS, IDC_SW_REL, IDC_SW_SCR};
constexpr int kEdits[] = {IDC_SW_ABS_EDIT, IDC_SW_REL_EDIT, IDC_SW_SCR_EDIT};
constexpr int kSpins[] = {IDC_SW_ABS_SPIN, IDC_SW_REL_SPIN, IDC_SW_SCR_SPIN};
constexpr int kUnits[] = {IDC_SW_ABS_UNIT, IDC_SW_REL_UNIT, IDC_SW_SCR_UNIT};

int EditOfField(int nField)
{
    for (size_t i = 0; i < std::size(kModes); ++i) {
        if (kModes[i] == nField)
            return kEdits[i];
    }
    return -1;
}

int FieldOfControl(const int (&anIds)[3], UINT nId)
{
    for (size_t i = 0; i < std::size(anIds); ++i) {
        if (anIds[i] == static_cast<int>(nId))
            return kModes[i];
    }
    return -1;
}

} // namespace

CPropertyPageScrlWdth::CPropertyPageScrlWdth(PROPERTY_SET* pProp, CZvPropertySheet* pSheet, int nPageIndex)
    : CZvPropertyPage(IDD_PROPPAGE_SCRLWDTH, pProp, pSheet, nPageIndex)
{
    MapNotify(IDC_TREE, TVN_SELCHANGEDW, &CPropertyPageScrlWdth::OnTreeSelChanged);
    MapNotify(IDC_TREE, TVN_SELCHANGEDA, &CPropertyPageScrlWdth::OnTreeSelChanged);
}

BOOL CPropertyPageScrlWdth::OnInitDialog()
{
    CZvPropertyPage::OnInitDialog();
    SendDlgItemMessageW(m_hWnd, IDC_SW_ABS_SPIN, UDM_SETRANGE32, SCRLWDTH_PIXELS_LOW, SCRLWDTH_PIXELS_HIGH);
    SendDlgItemMessageW(m_hWnd, IDC_SW_REL_SPIN, UDM_SETRANGE32, SCRLWDTH_PIXELS_LOW, SCRLWDTH_PIXELS_HIGH);
    SendDlgItemMessageW(m_hWnd, IDC_SW_SCR_SPIN, UDM_SETRANGE32, SCRLWDTH_SCREENS_LOW, SCRLWDTH_SCREENS_HIGH);
    m_tree.Attach(GetDlgItem(m_hWnd, IDC_TREE), GetModuleHandleW(nullptr), IDB_SCRLWDTH_TREE);
    GetScrlWdthTargets(*m_pProp, m_anTargets);
    const int anNone[SCRLWDTH_DEVICES] = {};
    m_tree.Update(anNone, m_anTargets);
    m_bInitialized = TRUE;
    // The tree shows the entry the controls edit (the first), or the root when its device is not
    // offered: an entry edited with nothing selected would escape the check on leaving.
    HTREEITEM hFirst = m_tree.FindItem(m_nEntry);
    m_tree.Select(hFirst ? hFirst : m_tree.FindItem(SCRLWDTH_ITEM_ROOT));
    UpdateControls();
    ShowTreeHelp();
    return TRUE;
}

void CPropertyPageScrlWdth::OnActivatePage()
{
    if (!m_bInitialized)
        return;
    int anBefore[SCRLWDTH_DEVICES];
    std::copy(std::begin(m_anTargets), std::end(m_anTargets), anBefore);
    GetScrlWdthTargets(*m_pProp, m_anTargets);
    m_tree.Update(anBefore, m_anTargets);
}

BOOL CPropertyPageScrlWdth::CheckRange(HTREEITEM hItem, int nField, RANGE_ERROR* pErr) const
{
    if (!m_bInitialized || !hItem)
        return FALSE;
    const int nEntry = m_tree.ItemValue(hItem);
    if (!IsScrlWdthEntry(nEntry))
        return FALSE;
    return !CheckScrlWdthField(m_pProp->propScrlWdth.aScrlWdth[nEntry], nEntry, nField, EditOfField(nField), pErr);
}

BOOL CPropertyPageScrlWdth::CheckRanges(RANGE_ERROR* pErr)
{
    return !CheckRange(m_tree.Remembered(), m_nField, pErr);
}

LRESULT CPropertyPageScrlWdth::OnTreeSelChanged(NMHDR* pNmhdr)
{
    if (!m_bInitialized || m_bReselecting)
        return 0;
    HTREEITEM hNew = reinterpret_cast<NMTREEVIEWW*>(pNmhdr)->itemNew.hItem;
    const int nKeptEntry = m_nEntry;
    const int nValue = m_tree.ItemValue(hNew);
    m_nEntry = IsScrlWdthEntry(nValue) ? nValue : SCRLWDTH_ITEM_NONE;
    // Every move away from an entry is checked, to a device or the root as well: a value out of
    // range left behind there would pass the check on leaving the page unseen.
    RANGE_ERROR err;
    if (CheckRange(m_tree.Remembered(), m_nField, &err)) {
        m_bReselecting = TRUE;
        m_tree.Select(m_tree.Remembered());
        m_bReselecting = FALSE;
        m_nEntry = nKeptEntry;
        ShowRangeError(err);
        return 0;
    }
    m_tree.Remember(hNew);
    m_nField = IsScrlWdthEntry(m_nEntry) ? ScrlWdthFieldOfMode(m_pProp->propScrlWdth.aScrlWdth[m_nEntry].nMode) : -1;
    UpdateControls();
    ShowTreeHelp();
    return 0;
}

BOOL CPropertyPageScrlWdth::OnControlCommand(UINT nId, UINT nCode, HWND)
{
    if (const int nField = FieldOfControl(kEdits, nId); nField >= 0) {
        if (nCode == EN_SETFOCUS) {
            m_nField = nField;
        } else if (nCode == EN_CHANGE && m_bInitialized && IsScrlWdthEntry(m_nEntry)) {
            int* pnValue = ScrlWdthValueOf(m_pProp->propScrlWdth.aScrlWdth[m_nEntry], nField);
            const int nValue = ReadEditNumber(static_cast<int>(nId));
            // Stored also out of range: the check decides only whether the entry may be left.
            if (*pnValue != nValue) {
                *pnValue = nValue;
                SetModified(TRUE);
            }
        }
        return TRUE;
    }
    if (const int nMode = FieldOfControl(kRadios, nId); nMode >= 0) {
        if (nCode != BN_CLICKED || !m_bInitialized || !IsScrlWdthEntry(m_nEntry))
            return FALSE;
        m_nField = nMode;
        m_pProp->propScrlWdth.aScrlWdth[m_nEntry].nMode = nMode;
        UpdateControls();
        ShowModeHelp();
        SetModified(TRUE);
        return TRUE;
    }
    return FALSE;
}

BOOL CPropertyPageScrlWdth::OnDefault()
{
    const int nEntry = m_tree.ItemValue(m_tree.Remembered());
    if (!IsScrlWdthEntry(nEntry))
        return FALSE;
    PROP_SCRLWDTH scrlWdthDefault{};
    GetDefaultScrlWdth(scrlWdthDefault);
    SCROLL_WIDTH& sw = m_pProp->propScrlWdth.aScrlWdth[nEntry];
    sw = scrlWdthDefault.aScrlWdth[nEntry];
    m_nField = ScrlWdthFieldOfMode(sw.nMode);
    UpdateControls();
    return TRUE;
}

void CPropertyPageScrlWdth::UpdateControls()
{
    const BOOL bEntry = IsScrlWdthEntry(m_nEntry);
    if (bEntry) {
        const SCROLL_WIDTH& sw = m_pProp->propScrlWdth.aScrlWdth[m_nEntry];
        for (size_t i = 0; i < std::size(kModes); ++i)
            SetEditNumber(kEdits[i], *ScrlWdthValueOf(sw, kModes[i]));
    }
    const int nMode = bEntry ? m_pProp->propScrlWdth.aScrlWdth[m_nEntry].nMode : -1;
    // A mode of none of the three (an edited registry) leaves the radios on, none checked, so that
    // choosing one repairs it; only the edits are off.
    for (size_t i = 0; i < std::size(kModes); ++i) {
        const BOOL bMode = bEntry && nMode == kModes[i];
        EnableWindow(GetDlgItem(m_hWnd, kRadios[i]), bEntry);
        SetCheck(kRadios[i], bMode);
        EnableWindow(GetDlgItem(m_hWnd, kEdits[i]), bMode);
        EnableWindow(GetDlgItem(m_hWnd, kSpins[i]), bMode);
        EnableWindow(GetDlgItem(m_hWnd, kUnits[i]), bMode);
    }
    if (HTREEITEM hItem = m_tree.Remembered())
        EnableWindow(GetDlgItem(m_hWnd, IDC_DEFAULT), IsScrlWdthEntry(m_tree.ItemValue(hItem)));
}

void CPropertyPageScrlWdth::ShowTreeHelp()
{
    SetHelpLine(GetScrlWdthItemHelp(IsScrlWdthEntry(m_nEntry) ? m_nEntry : m_tree.ItemValue(m_tree.Remembered())));
}

void CPropertyPageScrlWdth::ShowModeHelp()
{
    SetHelpLine(GetScrlWdthModeHelp(IsScrlWdthEntry(m_nEntry) ? m_pProp->propScrlWdth.aScrlWdth[m_nEntry].nMode : -1));
}
