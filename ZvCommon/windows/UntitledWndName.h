// UntitledWndName: the label under which a window without a title is listed. It asks ZvImgNm64
// for the window's program, which only the 64-bit tree links, so it lives apart from the text
// helpers of WndUtil that every program may use.
#pragma once

#include <windows.h>

#include <string>

// "無題ウィンドウ %08xH (%s)": the window handle (low 32 bits) and the file name of its program,
// "Not Found" when the image-name library gives none. Always TRUE.
BOOL GetUntitledWndName(HWND hWnd, std::wstring& strOut);
