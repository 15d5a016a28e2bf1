#include "UntitledWndName.h"

#include <vector>

#include "../outside/ZvImgNm64/ZvImgNm64.h"
#include "Strings.h"

BOOL GetUntitledWndName(HWND hWnd, std::wstring& strOut)
{
    std::vector<wchar_t> buf(512, L'\0');
    const wchar_t* pszName = L"Not Found";
    if (GetImageName(hWnd, buf.data(), static_cast<int>(buf.size()) - 1))
        pszName = buf.data();
    strOut = FormatString(L"無題ウィンドウ %08xH (%s)",
                          static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(hWnd) & 0xFFFFFFFFu), pszName);
    return TRUE;
}
