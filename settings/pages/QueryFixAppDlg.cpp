#include "QueryFixAppDlg.h"

#include <utility>
#include <vector>

#include "FixPageLists.h"
#include "ListItems.h"
#include "Strings.h"
#include "UntitledWndName.h"
#include "WndFilter.h"
#include "WndUtil.h"
#include "resource.h"

namespace {

// The read-only edits show one blank and the text, shortened to what their field holds.
constexpr int kShownTextSize = 35;

std::wstring Shortened(const std::wstring& strText)
{
    const std::wstring strShown = L" " + strText;
    wchar_t szBuf[kShownTextSize] = {};
    AbbreviateStr(strShown.c_str(), szBuf, kShownTextSize, L"...");
    return szBuf;
}

} // namespace

CQueryFixAppDlg::CQueryFixAppDlg(std::wstring strAppName, std::wstring strWndText, int nMode,
                                 std::vector<HWND> lstWnd, HWND hWndParent)
    : CDialog(IDD_QUERY_FIX_APP, hWndParent), m_strAppName(std::move(strAppName)),
      m_strWndText(std::move(strWndText)), m_nMode(nMode), m_lstWnd(std::move(lstWnd))
{
}

UINT CQueryFixAppDlg::QuestionStringId(int nMode) noexcept
{
    switch (nMode) {
    case MODE_UNFIX_APP:
        return IDS_FX_QUERY_UNFIX_APP;
    case MODE_APP_TO_TITLE:
        return IDS_FX_QUERY_APP_TO_TITLE;
    case MODE_TITLE_TO_APP:
        return IDS_FX_QUERY_FIX_APP;
    default:
        return 0;
    }
}

BOOL CQueryFixAppDlg::OnInitDialog()
{
    if (const UINT nId = QuestionStringId(m_nMode))
        SetDlgItemTextW(m_hWnd, IDC_QF_QUESTION, LoadResString(nId).c_str());
    SetDlgItemTextW(m_hWnd, IDC_FX_APP, Shortened(m_strAppName).c_str());
    SetDlgItemTextW(m_hWnd, IDC_FX_TITLE, Shortened(m_strWndText).c_str());
    HWND hWndList = GetDlgItem(m_hWnd, IDC_QF_WND_LIST);
    std::vector<std::wstring> lstText;
    for (HWND hWnd : m_lstWnd) {
        // Listed by its label when untitled, whether or not untitled windows scroll.
        std::wstring strText = GetWndTitle(hWnd);
        if (strText.empty())
            GetUntitledWndName(hWnd, strText);
        lstText.push_back(std::move(strText));
    }
    AddListItems(hWndList, lstText);
    FixPageLists::SetListExtent(hWndList);
    return TRUE;
}
