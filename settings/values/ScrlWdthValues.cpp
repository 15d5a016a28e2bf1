#include "ScrlWdthValues.h"

#include <utility>

#include "resource.h"

namespace PageValues {

int ScrlWdthFieldOfMode(int nMode) noexcept
{
    return nMode == SCRLMODE_ABS || nMode == SCRLMODE_REL || nMode == SCRLMODE_SCR ? nMode : -1;
}

const int* ScrlWdthValueOf(const SCROLL_WIDTH& sw, int nField) noexcept
{
    switch (nField) {
    case SCRLMODE_ABS: return &sw.nAbs;
    case SCRLMODE_REL: return &sw.nRel;
    case SCRLMODE_SCR: return &sw.nScr;
    default: return nullptr;
    }
}

int* ScrlWdthValueOf(SCROLL_WIDTH& sw, int nField) noexcept
{
    return const_cast<int*>(ScrlWdthValueOf(std::as_const(sw), nField));
}

BOOL CheckScrlWdthField(const SCROLL_WIDTH& sw, int nEntry, int nField, int nEditId, RANGE_ERROR* pErr) noexcept
{
    const int* pnValue = ScrlWdthValueOf(sw, nField);
    if (!pnValue)
        return TRUE;
    return nField == SCRLMODE_SCR
               ? CheckRange(*pnValue, SCRLWDTH_SCREENS_LOW, SCRLWDTH_SCREENS_HIGH, nEntry, nEditId, pErr)
               : CheckRange(*pnValue, SCRLWDTH_PIXELS_LOW, SCRLWDTH_PIXELS_HIGH, nEntry, nEditId, pErr);
}

UINT GetScrlWdthItemHelp(int nValue) noexcept
{
    if (IsScrlWdthEntry(nValue)) {
        // Line and page of the same device share a text whatever the direction.
        static constexpr UINT anHelp[SCRLWDTH_DEVICES][SCRLWDTH_UNITS] = {
            {IDS_SCRLWDTH_HELP_MOUSE_LINE, IDS_SCRLWDTH_HELP_MOUSE_PAGE},
            {IDS_SCRLWDTH_HELP_KEYBD_LINE, IDS_SCRLWDTH_HELP_KEYBD_PAGE},
            {IDS_SCRLWDTH_HELP_WHEEL_LINE, IDS_SCRLWDTH_HELP_WHEEL_PAGE},
        };
        return anHelp[ScrlWdthDevice(nValue)][ScrlWdthUnit(nValue)];
    }
    if (nValue == SCRLWDTH_ITEM_ROOT)
        return IDS_SCRLWDTH_HELP_ROOT;
    for (int nDevice = 0; nDevice < SCRLWDTH_DEVICES; ++nDevice) {
        if (nValue == ScrlWdthDeviceItem(nDevice))
            return IDS_SCRLWDTH_HELP_DEVICE;
    }
    return IDS_SCRLWDTH_HELP_NONE;
}

UINT GetScrlWdthModeHelp(int nMode) noexcept
{
    switch (nMode) {
    case SCRLMODE_ABS: return IDS_SCRLWDTH_HELP_ABS;
    case SCRLMODE_REL: return IDS_SCRLWDTH_HELP_REL;
    case SCRLMODE_SCR: return IDS_SCRLWDTH_HELP_SCR;
    default: return IDS_SCRLWDTH_HELP_NONE;
    }
}

void GetScrlWdthTreeChanges(const int anBefore[SCRLWDTH_DEVICES], const int anNow[SCRLWDTH_DEVICES],
                            int anChange[SCRLWDTH_DEVICES]) noexcept
{
    for (int i = 0; i < SCRLWDTH_DEVICES; ++i)
        anChange[i] = (anBefore[i] && !anNow[i]) ? -1 : (!anBefore[i] && anNow[i]) ? 1 : 0;
}

} // namespace PageValues
