// ZvTSheet.exe: a property sheet of the framework with three pages, run modally over a parent
// window, for the end-to-end test of CPropertySheet and CPropertyPage. Every call the framework
// makes into the sheet and its pages is written as one UTF-8 line to the log file; the exit code
// is DoModal's result.
//
//   /LOG=path     the log file (appended to)
//   /START=n      the page shown first
//
// The sheet "ZvTSheet のテスト" is owned by the window "ZvTSheet Parent"; its pages are "一般"
// (a check box that marks the sheet changed; its apply turns Cancel into Close), "詳細" (an edit
// whose text "stay" refuses leaving the page) and "記録の設定" (the caption given in code over the
// template's "記録"; a list box and a combo box filled in code). Private messages: ZvTSheetIds.h.
// The tabs' screen rectangles are logged at the start ("tabrect i left top right bottom").
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "CommandLine.h"
#include "ListItems.h"
#include "PropertySheet.h"
#include "Strings.h"
#include "WinApp.h"
#include "ZvTSheetIds.h"

namespace {

HANDLE g_hLog = INVALID_HANDLE_VALUE;

void Log(const std::wstring& strLine)
{
    if (g_hLog == INVALID_HANDLE_VALUE)
        return;
    const std::wstring strText = strLine + L"\n";
    const int cb = WideCharToMultiByte(CP_UTF8, 0, strText.c_str(), static_cast<int>(strText.size()),
                                       nullptr, 0, nullptr, nullptr);
    std::string strUtf8(static_cast<size_t>(cb), '\0');
    WideCharToMultiByte(CP_UTF8, 0, strText.c_str(), static_cast<int>(strText.size()), strUtf8.data(), cb,
                        nullptr, nullptr);
    DWORD dwWritten = 0;
    WriteFile(g_hLog, strUtf8.data(), static_cast<DWORD>(strUtf8.size()), &dwWritten, nullptr);
}

std::wstring Num(INT_PTR n)
{
    return std::to_wstring(n);
}

class CTestPage : public CPropertyPage {
public:
    CTestPage(UINT nIDTemplate, int nIndex, LPCWSTR pszCaption = nullptr)
        : CPropertyPage(nIDTemplate, pszCaption), m_nIndex(nIndex)
    {
        m_psp.dwFlags &= ~PSP_HASHELP;
        MapCommand(ZVT_IDC_CHANGE, &CTestPage::OnChange);
    }

protected:
    BOOL OnInitDialog() override
    {
        if (HWND hWndList = GetDlgItem(m_hWnd, ZVT_IDC_LIST)) {
            const int nList = AddListItems(hWndList, {L"一行目", L"二行目", L"三行目"});
            const int nCombo = AddListItems(GetDlgItem(m_hWnd, ZVT_IDC_COMBO), {L"小", L"中"});
            Log(L"filled " + Num(nList) + L" " + Num(nCombo));
        }
        return TRUE;
    }
    BOOL OnSetActive() override
    {
        Log(L"setactive " + Num(m_nIndex));
        return TRUE;
    }
    BOOL OnKillActive() override
    {
        wchar_t szText[32] = {};
        GetDlgItemTextW(m_hWnd, ZVT_IDC_EDIT, szText, 32);
        const bool bStay = std::wstring(szText) == L"stay";
        Log(L"killactive " + Num(m_nIndex) + (bStay ? L" refused" : L""));
        return !bStay;
    }
    BOOL OnApply(BOOL bClosing) override
    {
        Log(L"apply " + Num(m_nIndex) + L" " + Num(bClosing));
        if (m_nIndex == 0 && !bClosing) {
            SetModified(FALSE);
            CancelToClose();
        }
        return CPropertyPage::OnApply(bClosing);
    }
    void OnReset() override { Log(L"reset " + Num(m_nIndex)); }
    BOOL OnQueryCancel() override
    {
        Log(L"querycancel " + Num(m_nIndex));
        return TRUE;
    }

private:
    void OnChange() { SetModified(TRUE); }

    int m_nIndex;
};

class CTestSheet : public CPropertySheet {
public:
    CTestSheet(HWND hWndParent, UINT nStartPage)
        : CPropertySheet(L"ZvTSheet のテスト", hWndParent, nStartPage), m_hWndParentSeen(hWndParent)
    {
        m_psh.dwFlags &= ~PSH_HASHELP;
        m_psh.dwFlags |= PSH_USEHICON;
        m_psh.hIcon = LoadIconW(nullptr, IDI_INFORMATION);
        MapMessage(ZVT_MSG_PING, &CTestSheet::OnPing);
        MapMessage(ZVT_MSG_SELECT, &CTestSheet::OnSelect);
        MapMessage(ZVT_MSG_END, &CTestSheet::OnEnd);
        MapMessage(ZVT_MSG_PRESS, &CTestSheet::OnPress);
        MapMessage(WM_SYSCOMMAND, &CTestSheet::OnSysCommand);
        MapMessage(WM_TIMER, &CTestSheet::OnTimer);
        MapMessage(WM_DESTROY, &CTestSheet::OnDestroy);
    }

protected:
    BOOL OnInitDialog() override
    {
        std::wstring strTabs;
        const HWND hWndTab = PropSheet_GetTabControl(m_hWnd);
        for (int i = 0; i < TabCtrl_GetItemCount(hWndTab); ++i) {
            wchar_t szText[64] = {};
            TCITEMW item = {};
            item.mask = TCIF_TEXT;
            item.pszText = szText;
            item.cchTextMax = 64;
            SendMessageW(hWndTab, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            strTabs += (i ? L"|" : L"") + std::wstring(szText);
            // Where a test clicks the tab, in screen coordinates.
            RECT rc = {};
            TabCtrl_GetItemRect(hWndTab, i, &rc);
            MapWindowPoints(hWndTab, nullptr, reinterpret_cast<POINT*>(&rc), 2);
            Log(L"tabrect " + Num(i) + L" " + Num(rc.left) + L" " + Num(rc.top) + L" " + Num(rc.right) + L" "
                + Num(rc.bottom));
        }
        Log(L"init active=" + Num(GetActiveIndex()) + L" pages=" + Num(GetPageCount())
            + L" parent-enabled=" + Num(IsWindowEnabled(m_hWndParentSeen)) + L" tabs=" + strTabs);
        Log(L"icons " + Num(SendMessageW(m_hWnd, WM_GETICON, ICON_BIG, 0) != 0) + L" "
            + Num(SendMessageW(m_hWnd, WM_GETICON, ICON_SMALL, 0) != 0));
        SetTimer(m_hWnd, 1, 50, nullptr);
        return TRUE;
    }

private:
    LRESULT OnPing(WPARAM wParam, LPARAM)
    {
        Log(L"ping " + Num(static_cast<INT_PTR>(wParam)) + L" active=" + Num(GetActiveIndex()));
        return 0;
    }
    LRESULT OnSelect(WPARAM wParam, LPARAM)
    {
        const BOOL bDone = SetActivePage(static_cast<int>(wParam));
        Log(L"select " + Num(static_cast<INT_PTR>(wParam)) + L" " + Num(bDone) + L" active="
            + Num(GetActiveIndex()));
        return 0;
    }
    LRESULT OnEnd(WPARAM wParam, LPARAM)
    {
        EndDialog(static_cast<INT_PTR>(wParam));
        return 0;
    }
    LRESULT OnPress(WPARAM wParam, LPARAM)
    {
        PressButton(static_cast<int>(wParam));
        return 0;
    }
    LRESULT OnSysCommand(WPARAM wParam, LPARAM)
    {
        Log(L"syscommand " + FormatString(L"0x%04X", static_cast<unsigned>(wParam & 0xFFF0)));
        return Default();
    }
    LRESULT OnTimer(WPARAM wParam, LPARAM)
    {
        if (wParam == 1 && !m_bTimerSeen) {
            m_bTimerSeen = TRUE;
            Log(L"timer");
        }
        return Default();
    }
    LRESULT OnDestroy(WPARAM, LPARAM)
    {
        KillTimer(m_hWnd, 1);
        Log(L"destroy");
        return Default();
    }

    HWND m_hWndParentSeen;
    BOOL m_bTimerSeen = FALSE;
};

bool TakeValue(const std::wstring& strArg, const wchar_t* pszName, std::wstring& strValue)
{
    const std::wstring strPrefix = std::wstring(L"/") + pszName + L"=";
    if (strArg.rfind(strPrefix, 0) != 0)
        return false;
    strValue = strArg.substr(strPrefix.size());
    return true;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR lpCmdLine, int)
{
    UINT nStartPage = 0;
    std::wstring strValue;
    for (const std::wstring& strArg : SplitCommandLine(lpCmdLine, FALSE)) {
        if (TakeValue(strArg, L"LOG", strValue))
            g_hLog = CreateFileW(strValue.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        else if (TakeValue(strArg, L"START", strValue))
            nStartPage = static_cast<UINT>(wcstoul(strValue.c_str(), nullptr, 10));
    }
    InitCommonControlClasses(ICC_WIN95_CLASSES);

    CWnd parent;
    CWnd::RegisterWindowClass(L"ZvTSheetParent", 0, nullptr, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    parent.CreateEx(0, L"ZvTSheetParent", L"ZvTSheet Parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 200,
                    nullptr, nullptr);

    CTestPage pageGeneral(ZVT_IDD_PAGE_GENERAL, 0);
    CTestPage pageDetail(ZVT_IDD_PAGE_DETAIL, 1);
    CTestPage pageLog(ZVT_IDD_PAGE_LOG, 2, L"記録の設定");
    CTestSheet sheet(parent.m_hWnd, nStartPage);
    sheet.AddPage(&pageGeneral);
    sheet.AddPage(&pageDetail);
    sheet.AddPage(&pageLog);
    const INT_PTR nResult = sheet.DoModal();
    Log(L"result " + Num(nResult) + L" parent-enabled=" + Num(IsWindowEnabled(parent.m_hWnd)));
    if (g_hLog != INVALID_HANDLE_VALUE)
        CloseHandle(g_hLog);
    return static_cast<int>(nResult);
}
