#include "TrayMenuText.h"

#include <vector>

#include "Strings.h"
#include "UndoKind.h"
#include "WndUtil.h"
#include "resource.h"

namespace TrayMenu {

UINT UndoTextId(int nKind, int nSubKind) noexcept
{
    switch (nKind) {
    case UK_ALIGN:
        switch (nSubKind) {
        case UNDO_ALIGN_CENTER: return IDS_ZV_UNDO_CENTER;
        case UNDO_ALIGN_CASCADE: return IDS_ZV_UNDO_CASCADE;
        case UNDO_ALIGN_TILE_HORZ: return IDS_ZV_UNDO_TILE_HORZ;
        case UNDO_ALIGN_TILE_VERT: return IDS_ZV_UNDO_TILE_VERT;
        case UNDO_ALIGN_SCROLL_H: return IDS_ZV_UNDO_SCROLL_H;
        case UNDO_ALIGN_SCROLL_V: return IDS_ZV_UNDO_SCROLL_V;
        case UNDO_ALIGN_SCROLL: return IDS_ZV_UNDO_SCROLL;
        default: return IDS_ZV_UNDO;
        }
    case UK_RESIZE: return IDS_ZV_UNDO_RESIZE;
    case UK_RESIZEWND: return IDS_ZV_UNDO_RESIZEWND;
    default: return IDS_ZV_UNDO;
    }
}

std::wstring UndoItemText(HINSTANCE hInstRes, int nKind, int nSubKind, const std::wstring& strTitle)
{
    const UINT nId = UndoTextId(nKind, nSubKind);
    std::wstring strText = LoadResString(nId, hInstRes);
    if (nId == IDS_ZV_UNDO_RESIZEWND) {
        wchar_t szTitle[UNDO_TITLE_BUF];
        AbbreviateStr(strTitle.c_str(), szTitle, UNDO_TITLE_BUF, L"...");
        strText = FormatString(strText.c_str(), szTitle);
    }
    wchar_t szText[UNDO_TEXT_BUF];
    CopyStrToBuf(szText, strText.c_str(), UNDO_TEXT_BUF);
    return szText;
}

std::wstring DescribeMenu(HMENU hMenu)
{
    std::wstring str;
    const int nCount = GetMenuItemCount(hMenu);
    for (int i = 0; i < nCount; ++i) {
        MENUITEMINFOW mii{sizeof(mii)};
        mii.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
        if (!GetMenuItemInfoW(hMenu, static_cast<UINT>(i), TRUE, &mii))
            continue;
        if (!str.empty())
            str += L" | ";
        if (mii.fType & MFT_SEPARATOR) {
            str += L"-";
            continue;
        }
        std::vector<wchar_t> text(mii.cch + 1, L'\0');
        mii.dwTypeData = text.data();
        mii.cch = static_cast<UINT>(text.size());
        GetMenuItemInfoW(hMenu, static_cast<UINT>(i), TRUE, &mii);
        const std::wstring strItem = FormatString(L"\"%s\" %s", text.data(), (mii.fState & MFS_GRAYED) ? L"grayed" : L"enabled");
        if (mii.hSubMenu)
            str += L"[ " + strItem + L" : " + DescribeMenu(mii.hSubMenu) + L" ]";
        else
            str += std::to_wstring(mii.wID) + L" " + strItem;
    }
    return str;
}

}  // namespace TrayMenu
