#include "PageValues.h"

#include <climits>

#include "Strings.h"
#include "resource.h"

namespace PageValues {

int ReadNumber(std::wstring_view strText) noexcept
{
    int n = 0;
    for (wchar_t ch : strText) {
        if (ch < L'0' || ch > L'9')
            break;
        const int nDigit = ch - L'0';
        if (n > (INT_MAX - nDigit) / 10)
            return INT_MAX;
        n = n * 10 + nDigit;
    }
    return n;
}

BOOL CheckRange(int nValue, int nLow, int nHigh, int nEntry, int nField, RANGE_ERROR* pErr) noexcept
{
    if (nValue >= nLow && nValue <= nHigh)
        return TRUE;
    if (pErr)
        *pErr = RANGE_ERROR{nEntry, nField, nLow, nHigh};
    return FALSE;
}

std::wstring RangeMessage(const RANGE_ERROR& err, HINSTANCE hInstance)
{
    return FormatString(LoadResString(IDS_ZV_ERR_RANGE, hInstance).c_str(), static_cast<unsigned>(err.nLow),
                        static_cast<unsigned>(err.nHigh));
}

BOOL GetScrlWdthTargets(const PROPERTY_SET& prop, int anTargets[3]) noexcept
{
    const PROP_VIEW& view = prop.propView;
    const bool bBar = view.bHorizontal || view.bVertical;
    bool bKey = false;
    for (int i = KEYASSIGN_LEFT_LINE; i <= KEYASSIGN_DOWN_PAGE; ++i)
        bKey = bKey || prop.propKeybd.aKeyAssign[i].bEnable;
    anTargets[0] = bBar;
    anTargets[1] = bKey;
    anTargets[2] = bBar && !view.bHide;
    return TRUE;
}

BOOL GetDefaultScrlWdth(PROP_SCRLWDTH& scrlWdth) noexcept
{
    scrlWdth = g_propScrlWdthDefault;
    return TRUE;
}

BOOL GetScrollBarShown(const PROPERTY_SET& prop, int anShown[2]) noexcept
{
    anShown[0] = prop.propView.bHorizontal;
    anShown[1] = prop.propView.bVertical;
    return TRUE;
}

BOOL GetMenuAccess(const PROPERTY_SET& prop, int anAccess[4]) noexcept
{
    anAccess[0] = prop.propView.bHorizontal;
    anAccess[1] = prop.propView.bVertical;
    anAccess[2] = prop.propView.bTrayIcon;
    anAccess[3] = prop.propKeybd.aKeyAssign[KEYASSIGN_MENU].bEnable;
    return TRUE;
}

bool IsMenuRouteSwitchable(const PROPERTY_SET& prop, int nRoute) noexcept
{
    int anAccess[4]{};
    GetMenuAccess(prop, anAccess);
    if (nRoute < 0 || nRoute > 3 || !anAccess[nRoute])
        return true;
    for (int j = 0; j < 4; ++j) {
        if (j != nRoute && anAccess[j])
            return true;
    }
    return false;
}

const wchar_t* const g_apszUndoWheelChoice[UNDO_WHEEL_CHOICES] = {
    L"全てのホイールによるスクロール操作を元に戻す",
    L" 1秒以内のホイールによるスクロール操作を1回で元に戻す",
    L" 5秒以内のホイールによるスクロール操作を1回で元に戻す",
    L"10秒以内のホイールによるスクロール操作を1回で元に戻す",
    L"30秒以内のホイールによるスクロール操作を1回で元に戻す",
};

BOOL IsUndoWheelListEnabled(const PROPERTY_SET& prop) noexcept
{
    int anTargets[3]{};
    GetScrlWdthTargets(prop, anTargets);
    return prop.propUndo.bScroll && anTargets[2];
}

BOOL CheckUndoDepth(const PROP_UNDO& undo, int nField, RANGE_ERROR* pErr) noexcept
{
    return CheckRange(undo.nDepth, UNDO_DEPTH_LOW, UNDO_DEPTH_HIGH, 0, nField, pErr);
}

} // namespace PageValues
