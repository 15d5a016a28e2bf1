#include "KeybdPageValues.h"

#include "LogManager.h"
#include "PageValues.h"
#include "Sender.h"

namespace KeybdPageValues {

namespace {

// Combinations that may not be assigned although they follow the other rules.
struct KEY_COMBI_SET {
    BYTE bKeys[3];
    LPCWSTR pszText;
};

constexpr KEY_COMBI_SET kcsKey[] = {
    {{VK_SHIFT, VK_CONTROL, VK_LEFT}, L" Shift + Ctrl + ← は指定できません."},
    {{VK_SHIFT, VK_CONTROL, VK_RIGHT}, L" Shift + Ctrl + → は指定できません."},
    {{VK_SHIFT, VK_CONTROL, VK_UP}, L" Shift + Ctrl + ↑ は指定できません."},
    {{VK_SHIFT, VK_CONTROL, VK_DOWN}, L" Shift + Ctrl + ↓ は指定できません."},
};

bool IsModifier(int nVKey) noexcept
{
    return nVKey == VK_SHIFT || nVKey == VK_CONTROL || nVKey == VK_MENU;
}

bool InRow(const KEY_COMBI_SET& row, int nVKey) noexcept
{
    for (BYTE by : row.bKeys) {
        if (by != 0 && by == nVKey)
            return true;
    }
    return false;
}

// The row matches when its keys are pressed and no other assignable key is.
bool RowMatches(const BYTE* pbKeyArray, int i)
{
    const KEY_COMBI_SET& row = kcsKey[i];
    for (int j = 0; j < 3; ++j) {
        const int nKey = row.bKeys[j];
        if (nKey == 0 || !g_aVKeyInfo[nKey].bValid)
            continue;
        if (!IsKeyPressed(pbKeyArray, nKey)) {
            OutputLog(LOG_LEVEL_DEBUG, SENDER_PROP,
                      L"CPropertyPageKeybd::DetectInvalidKeyCombination() p1 passed. i=0x%x,j=0x%x,kcsKey[i].bKeys[j]=0x%x,"
                      L"(*(pbKeyArray + kcsKey[i].bKeys[j]) & bMask)=0x%x.\r\n",
                      i, j, nKey, pbKeyArray[nKey] & g_aVKeyInfo[nKey].nMask);
            return false;
        }
    }
    for (int k = 1; k < VKEY_TABLE_SIZE; ++k) {
        if (InRow(row, k)) {
            for (int j = 0; j < 3; ++j) {
                if (row.bKeys[j] == k)
                    OutputLog(LOG_LEVEL_DEBUG, SENDER_PROP,
                              L"CPropertyPageKeybd::DetectInvalidKeyCombination() p2 passed. i=0x%x,j=0x%x,k=0x%x.\r\n",
                              i, j, k);
            }
            continue;
        }
        if (g_aVKeyInfo[k].bValid && IsKeyPressed(pbKeyArray, k)) {
            OutputLog(LOG_LEVEL_DEBUG, SENDER_PROP,
                      L"CPropertyPageKeybd::DetectInvalidKeyCombination() p3 passed. i=0x%x,j=0x%x,k=0x%x.\r\n", i, 0,
                      k);
            return false;
        }
    }
    return true;
}

} // namespace

const wchar_t* const g_apszScrollOperation[SCROLL_OPERATIONS] = {
    L"←ラインスクロール", L"←ページスクロール", L"→ラインスクロール", L"→ページスクロール",
    L"↑ラインスクロール", L"↑ページスクロール", L"↓ラインスクロール", L"↓ページスクロール",
};

const wchar_t* const g_apszEntryName[KEYASSIGN_COUNT] = {
    L"←ラインスクロール", L"←ページスクロール", L"→ラインスクロール", L"→ページスクロール",
    L"↑ラインスクロール", L"↑ページスクロール", L"↓ラインスクロール", L"↓ページスクロール",
    L"元に戻す",          L"メニュー選択",
};

bool IsKeyPressed(const BYTE* pbKeyArray, int nVKey) noexcept
{
    if (nVKey < 0 || nVKey >= VKEY_TABLE_SIZE)
        return false;
    return (pbKeyArray[nVKey] & g_aVKeyInfo[nVKey].nMask) != 0;
}

void ApplyKeyEvent(KEY_STATE& state, UINT nVKey, bool bRelease) noexcept
{
    if (nVKey >= VKEY_TABLE_SIZE)
        return;
    state[nVKey] = bRelease ? 0 : 0x80;
    struct SIDES {
        BYTE byNeutral, byLeft, byRight;
    };
    static constexpr SIDES kSides[] = {
        {VK_SHIFT, VK_LSHIFT, VK_RSHIFT}, {VK_CONTROL, VK_LCONTROL, VK_RCONTROL}, {VK_MENU, VK_LMENU, VK_RMENU}};
    for (const SIDES& s : kSides) {
        if (nVKey == s.byLeft || nVKey == s.byRight)
            state[s.byNeutral] = (state[s.byLeft] | state[s.byRight]) & 0x80;
        else if (nVKey == s.byNeutral && bRelease)
            state[s.byLeft] = state[s.byRight] = 0;
    }
}

LPCWSTR DetectInvalidKeyCombination(const BYTE* pbKeyArray)
{
    bool bOther = false;
    for (int k = 0; k < VKEY_TABLE_SIZE && !bOther; ++k)
        bOther = !IsModifier(k) && IsKeyPressed(pbKeyArray, k);
    const bool bShift = IsKeyPressed(pbKeyArray, VK_SHIFT);
    const bool bCtrl = IsKeyPressed(pbKeyArray, VK_CONTROL);
    const bool bAlt = IsKeyPressed(pbKeyArray, VK_MENU);
    switch (static_cast<int>(bShift) + static_cast<int>(bCtrl) + static_cast<int>(bAlt)) {
    case 0:
        return L" キー単独では指定できません. Ctrl, Shift, Altと組み合わせて下さい.";
    case 1:
        if (bShift)
            return L" Shiftキー単独では指定できません. Ctrl, Altと組み合わせて下さい.";
        if (bCtrl)
            return L" Ctrlキー単独では指定できません. Shift, Altと組み合わせて下さい.";
        return L" Altキー単独では指定できません. Ctrl, Shiftと組み合わせて下さい.";
    default:
        break;
    }
    if (!bOther)
        return L" Shift, Ctrl, Alt以外のキーを組み合わせて下さい.";
    for (int i = 0; i < static_cast<int>(std::size(kcsKey)); ++i) {
        if (RowMatches(pbKeyArray, i))
            return kcsKey[i].pszText;
    }
    return nullptr;
}

KEY_CAPTURE CaptureKeys(const BYTE* pbKeyArray, UINT nTooManyId, UINT nNoTextId)
{
    KEY_CAPTURE cap;
    for (int k = 0; k < VKEY_TABLE_SIZE; ++k) {
        if (!IsKeyPressed(pbKeyArray, k))
            continue;
        const VKEY_INFO& info = g_aVKeyInfo[k];
        if (!info.bValid) {
            cap.lstKey.clear();
            if (info.pszText)
                cap.pszText = info.pszText;
            else
                cap.nTextId = nNoTextId;
            return cap;
        }
        if (LPCWSTR pszRule = DetectInvalidKeyCombination(pbKeyArray)) {
            cap.lstKey.clear();
            cap.pszText = pszRule;
            return cap;
        }
        cap.lstKey.push_back(static_cast<BYTE>(k));
    }
    // The registry keeps this many keys of a combination: a longer one would be cut at the next
    // start while the running core program still held it whole.
    if (cap.lstKey.size() > static_cast<size_t>(KEYASSIGN_MAX_KEYS)) {
        cap.lstKey.clear();
        cap.nTextId = nTooManyId;
    }
    return cap;
}

std::wstring FormatKeyList(const std::vector<BYTE>& lstKey)
{
    std::wstring str;
    for (BYTE byKey : lstKey) {
        if (!str.empty())
            str += L" + ";
        if (const LPCWSTR pszName = g_aVKeyInfo[byKey].pszText)
            str += pszName;
    }
    return str;
}

bool IsScrollKeyEnabled(const PROP_KEYBD& keybd) noexcept
{
    for (int i = KEYASSIGN_LEFT_LINE; i <= KEYASSIGN_DOWN_PAGE; ++i) {
        if (keybd.aKeyAssign[i].bEnable)
            return true;
    }
    return false;
}

void ToggleScrollKeys(PROP_KEYBD& keybd) noexcept
{
    for (int i = KEYASSIGN_LEFT_LINE; i <= KEYASSIGN_DOWN_PAGE; ++i)
        keybd.aKeyAssign[i].bEnable = !keybd.aKeyAssign[i].bEnable;
}

bool IsMenuEnableSwitchable(const PROPERTY_SET& prop) noexcept
{
    return PageValues::IsMenuRouteSwitchable(prop, 3);
}

} // namespace KeybdPageValues
