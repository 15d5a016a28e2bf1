#include "UntitledWndName.h"

#include "Strings.h"
#include "WndFilter.h"

BOOL GetUntitledWndName(HWND hWnd, std::wstring& strOut)
{
    std::wstring strName;
    if (!GetWndImageName(hWnd, strName))
        strName = L"Not Found";
    strOut = FormatString(L"無題ウィンドウ %08xH (%s)",
                          static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(hWnd) & 0xFFFFFFFFu), strName.c_str());
    return TRUE;
}
