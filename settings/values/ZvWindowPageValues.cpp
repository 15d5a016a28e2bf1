#include "ZvWindowPageValues.h"

namespace ZvWindowPageValues {

const wchar_t* const g_apszIgnoreKey[IGNORE_KEYS] = {L"Shift", L"Ctrl"};
const BYTE g_abyIgnoreKey[IGNORE_KEYS] = {VK_SHIFT, VK_CONTROL};

int IgnoreKeyIndex(BYTE byKey) noexcept
{
    for (int i = 0; i < IGNORE_KEYS; ++i) {
        if (g_abyIgnoreKey[i] == byKey)
            return i;
    }
    return 0;
}

bool IsIgnoreCheckEnabled(const PROP_WINDOW& window) noexcept
{
    return window.nActivateMode != 0;
}

bool AreIgnoreListsEnabled(const PROP_WINDOW& window) noexcept
{
    return window.nActivateMode != 0 && window.bIgnoreActivateScroll;
}

} // namespace ZvWindowPageValues
