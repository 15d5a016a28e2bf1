#include "AutoScrlValues.h"

#include "resource.h"

namespace PageValues {

const wchar_t* const g_apszAtScrlModeChoice[ATSCRL_MODE_CHOICES] = {
    L"オートスクロール無し",
    L"マウス動作でオートスクロール",
    L"左ドラッグでオートスクロール",
    L"右ドラッグでオートスクロール",
    L"左または右ドラッグでオートスクロール",
};

const wchar_t* const g_apszAtScrlDelayChoice[ATSCRL_DELAY_COUNT] = {
    L"スクロール範囲で条件成立後、すぐにスクロール開始",
    L"スクロール範囲で条件成立後、0.2秒後にスクロール開始",
    L"スクロール範囲で条件成立後、0.5秒後にスクロール開始",
    L"スクロール範囲で条件成立後、1.0秒後にスクロール開始",
    L"スクロール範囲で条件成立後、2.0秒後にスクロール開始",
    L"スクロール範囲で条件成立後、5.0秒後にスクロール開始",
};

BOOL GetDefaultAtScrl(PROP_ATSCRL& atScrl) noexcept
{
    for (const auto& def : g_aPropAtScrlValues)
        atScrl.*def.pField = def.tDefault;
    return TRUE;
}

BOOL IsAtScrlDetailEnabled(const PROP_ATSCRL& atScrl) noexcept
{
    return atScrl.nMode != 0;
}

UINT GetAtScrlHelp(int nCtrlId) noexcept
{
    switch (nCtrlId) {
    case IDC_AS_MODE: return IDS_ATSCRL_HELP_MODE;
    case IDC_AS_DELAY: return IDS_ATSCRL_HELP_DELAY;
    case IDC_AS_INT_RANGE: return IDS_ATSCRL_HELP_INT_RANGE;
    case IDC_AS_INT_SPEED: return IDS_ATSCRL_HELP_INT_SPEED;
    case IDC_AS_EXT_RANGE: return IDS_ATSCRL_HELP_EXT_RANGE;
    case IDC_AS_EXT_SPEED: return IDS_ATSCRL_HELP_EXT_SPEED;
    case IDC_DEFAULT: return IDS_ATSCRL_HELP_DEFAULT;
    default: return 0;
    }
}

BOOL CheckAtScrlRanges(const PROP_ATSCRL& atScrl, int nExtEdit, int nIntEdit, RANGE_ERROR* pErr) noexcept
{
    return CheckRange(atScrl.nExternalRange, ATSCRL_RANGE_LOW, ATSCRL_RANGE_HIGH, 0, nExtEdit, pErr) &&
           CheckRange(atScrl.nInternalRange, atScrl.nExternalRange, ATSCRL_RANGE_HIGH, 1, nIntEdit, pErr);
}

} // namespace PageValues
