// What the core program's parts hand to the undo: the kinds of undo record, the sub-kinds of a
// scroll or arrangement record, and the previous-resizable-window record.
#pragma once
#include <windows.h>

inline constexpr int UK_NONE = 0;
inline constexpr int UK_ALIGN = 1;      // a scroll or an arrangement: every window's place
inline constexpr int UK_RESIZE = 2;     // a scroll-bar window's place and size
inline constexpr int UK_RESIZEWND = 3;  // an application window's place, size and show command

// Sub-kinds of a UK_ALIGN record.
inline constexpr int UNDO_ALIGN_NONE = 0;
inline constexpr int UNDO_ALIGN_CENTER = 1;
inline constexpr int UNDO_ALIGN_CASCADE = 2;
inline constexpr int UNDO_ALIGN_TILE_HORZ = 3;
inline constexpr int UNDO_ALIGN_TILE_VERT = 4;
inline constexpr int UNDO_ALIGN_SCROLL_H = 5;
inline constexpr int UNDO_ALIGN_SCROLL_V = 6;
inline constexpr int UNDO_ALIGN_SCROLL = 7;

// "No show command forced" for SetPrevResizeWnd and a UK_RESIZEWND record.
inline constexpr int UNDO_NO_SHOW_CMD = -999;

// The window whose changes by the user a UK_RESIZEWND record can undo, as it stood.
struct ITEM_UNDO {
    HWND hWnd = nullptr;
    RECT rc{};              // restored rectangle
    int nCmdShow = SW_SHOW;
    int bVisible = 0;
};

// ---- Window tracking ----
// An entry of the minimised-window list (kept by the window tracking, read by the undo).
struct MINIMIZED_WND_POS {
    HWND hWnd = nullptr;
    int xOrg = 0;     // the hidden main window's left and top when the entry was made
    int yOrg = 0;
    int xNormal = 0;  // the window's restored left and top, shifted by every completed scroll
    int yNormal = 0;
};
