// Texts of the tray menu: the undo item's, chosen by the kind of the last undo item, and the one
// line that tells the log what an opened menu shows (no other program can read a popup menu's
// items). Works on string tables and menu handles alone, so no desktop is needed to test it.
#pragma once
#include <windows.h>

#include <string>

namespace TrayMenu {

// Room of the quoted window title in the one-window text, and of the whole text (characters,
// terminator included).
inline constexpr int UNDO_TITLE_BUF = 32;
inline constexpr int UNDO_TEXT_BUF = 128;

// The string-table id of the undo item's text; the plain "undo" text for a kind or sub-kind it
// does not know.
UINT UndoTextId(int nKind, int nSubKind) noexcept;

// The undo item's text from the string table of hInstRes. strTitle is the title of the window of
// a one-window item (unused for the other kinds): it is shortened with "..." to fit its room.
std::wstring UndoItemText(HINSTANCE hInstRes, int nKind, int nSubKind, const std::wstring& strTitle);

// Every item of the menu in order, a submenu's items in brackets after its text:
//   32771 "元に戻せません" grayed | [ "ウィンドウの並べ替え(&L)" enabled : 32772 "中央へ表示(&E)" enabled | ... ] | - | ...
// ("-" a separator). Empty for a handle that is no menu.
std::wstring DescribeMenu(HMENU hMenu);

}  // namespace TrayMenu
