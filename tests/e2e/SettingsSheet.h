// Driving the real settings program's sheet from a test: started in registry mode (no core program)
// or found after the core program's settings command, a page chosen and waited for, controls
// typed into and clicked as the user does (each tells its page), the buttons of the sheet, and the
// range message with the refocus of the failing edit that every page shares.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <utility>

#include "Handle.h"
#include "WndFilter.h"
#include "ZvNames.h"
#include "ZvTestKit.h"

namespace zvsheet {

using namespace zvkit;

// The sheet's Apply button: comctl32's number, which the settings program keeps in its sheet's
// source only and no header of the system or of the toolchain names.
constexpr int kIdApplyNow = 0x3021;
// The pages in sheet order, as /PAGE counts them: the settings program numbers its pages only where
// it makes them, in no header.
enum : int { kPageScrlWdth, kPagePosSize, kPageView, kPageKeybd, kPageFix, kPageZvWindow, kPageUndo, kPageAutoScrl };

inline HWND CurrentPage(HWND hWndSheet)
{
    return reinterpret_cast<HWND>(SendMessageW(hWndSheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

inline bool IsChecked(HWND hWndPage, int nId)
{
    return SendDlgItemMessageW(hWndPage, nId, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

inline HWND FocusOf(HWND hWnd)
{
    GUITHREADINFO gti{sizeof(gti)};
    return GetGUIThreadInfo(GetWindowThreadProcessId(hWnd, nullptr), &gti) ? gti.hwndFocus : nullptr;
}

// Read with WM_GETTEXT: another process's edit does not keep its window text for GetWindowTextW.
inline std::wstring ItemText(HWND hWndPage, int nId)
{
    const HWND hWnd = GetDlgItem(hWndPage, nId);
    std::wstring str(static_cast<size_t>(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    str.resize(static_cast<size_t>(
        SendMessageW(hWnd, WM_GETTEXT, static_cast<WPARAM>(str.size()), reinterpret_cast<LPARAM>(str.data()))));
    return str;
}

// One sheet: either a settings program started here, or the sheet of one the core program started.
class CSettingsSheet {
public:
    ~CSettingsSheet()
    {
        if (m_prop.IsStarted()) {
            CloseStrayMessageBoxes(m_prop.Pid());
            m_prop.Stop();
        }
    }

    // Starts the program on page nPage (its /PAGE option) and waits until the page shows control nId.
    bool Start(int nPage, int nId, const std::wstring& strMoreArgs = L"")
    {
        std::wstring strArgs = L"/PAGE=" + std::to_wstring(nPage);
        if (!strMoreArgs.empty())
            strArgs += L" " + strMoreArgs;
        m_hWndSheet = StartForWindow(
            m_prop, ZV_PROPERTY64_FILE, strArgs,
            [&] { return FindTopLevel(ZV_PROPERTY_WND_TITLE, L"#32770", m_prop.Pid()); }, 15000);
        return m_hWndSheet && WaitPage(nId);
    }
    // The sheet of a settings program started elsewhere (by the core program).
    bool Attach(DWORD dwWaitMs = 15000)
    {
        m_hWndSheet = WaitForWindow(ZV_PROPERTY_WND_TITLE, dwWaitMs, L"#32770");
        return m_hWndSheet != nullptr;
    }
    // Page nPage chosen as by its tab, once control nId is on it.
    bool Select(int nPage, int nId)
    {
        PostMessageW(m_hWndSheet, PSM_SETCURSEL, static_cast<WPARAM>(nPage), 0);
        return WaitUntil(
            [&] {
                return SendMessageW(PropSheet_GetTabControl(m_hWndSheet), TCM_GETCURSEL, 0, 0) == nPage &&
                       (m_hWndPage = CurrentPage(m_hWndSheet)) && GetDlgItem(m_hWndPage, nId);
            },
            5000);
    }
    bool WaitPage(int nId)
    {
        return WaitUntil([&] { return (m_hWndPage = CurrentPage(m_hWndSheet)) && GetDlgItem(m_hWndPage, nId); }, 5000);
    }

    HWND Sheet() const { return m_hWndSheet; }
    HWND Page() const { return m_hWndPage; }
    HWND Item(int nId) const { return GetDlgItem(m_hWndPage, nId); }
    CProcess& Process() { return m_prop; }

    // Typed into an edit (the edit tells the page), a button clicked, a list or combo choice made
    // with the notification the user's choice sends.
    void SetText(int nId, const wchar_t* pszText) const
    {
        SendDlgItemMessageW(m_hWndPage, nId, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pszText));
    }
    void Click(int nId) const { SendDlgItemMessageW(m_hWndPage, nId, BM_CLICK, 0, 0); }
    void ChooseCombo(int nId, int nIndex) const
    {
        SendDlgItemMessageW(m_hWndPage, nId, CB_SETCURSEL, static_cast<WPARAM>(nIndex), 0);
        SendMessageW(m_hWndPage, WM_COMMAND, MAKEWPARAM(nId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(nId)));
    }
    // The focus given to a control as the dialog manager gives it on Tab (posted to the page).
    void Focus(int nId) const
    {
        PostMessageW(m_hWndPage, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(nId)), TRUE);
    }
    // A tree view of the page: items walked as TVM_GETNEXTITEM does (TVGN_ROOT, TVGN_CHILD, TVGN_NEXT,
    // TVGN_CARET), and the selection moved as by the user, posted since the page may refuse it with a
    // box.
    HTREEITEM TreeNext(int nId, UINT nFlag, HTREEITEM hItem = nullptr) const
    {
        return reinterpret_cast<HTREEITEM>(
            SendDlgItemMessageW(m_hWndPage, nId, TVM_GETNEXTITEM, nFlag, reinterpret_cast<LPARAM>(hItem)));
    }
    void SelectTreeItem(int nId, HTREEITEM hItem) const
    {
        PostMessageW(Item(nId), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hItem));
    }
    // An item's value (lParam) and text. The item structure and the text must lie in the sheet's
    // process, so they are placed there for the call.
    std::optional<std::pair<LPARAM, std::wstring>> TreeItem(int nId, HTREEITEM hItem) const
    {
        const CHandle hOwned(
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, WindowPid(m_hWndSheet)));
        if (!hOwned)
            return std::nullopt;
        const HANDLE hProcess = hOwned.get();
        constexpr size_t nChars = 128;
        auto* pRemote = static_cast<BYTE*>(VirtualAllocEx(hProcess, nullptr, sizeof(TVITEMW) + nChars * sizeof(wchar_t),
                                                          MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        std::optional<std::pair<LPARAM, std::wstring>> result;
        if (pRemote) {
            TVITEMW item{};
            item.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_TEXT;
            item.hItem = hItem;
            item.pszText = reinterpret_cast<LPWSTR>(pRemote + sizeof(TVITEMW));
            item.cchTextMax = static_cast<int>(nChars);
            wchar_t szText[nChars] = {};
            if (WriteProcessMemory(hProcess, pRemote, &item, sizeof(item), nullptr) &&
                SendDlgItemMessageW(m_hWndPage, nId, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(pRemote)) &&
                ReadProcessMemory(hProcess, pRemote, &item, sizeof(item), nullptr) &&
                ReadProcessMemory(hProcess, pRemote + sizeof(TVITEMW), szText, sizeof(szText) - sizeof(wchar_t),
                                  nullptr))
                result = std::pair{item.lParam, std::wstring(szText)};
            VirtualFreeEx(hProcess, pRemote, 0, MEM_RELEASE);
        }
        return result;
    }
    bool IsChecked(int nId) const { return zvsheet::IsChecked(m_hWndPage, nId); }
    std::wstring Text(int nId) const { return ItemText(m_hWndPage, nId); }

    void Press(int nButton) const { PostMessageW(m_hWndSheet, PSM_PRESSBUTTON, static_cast<WPARAM>(nButton), 0); }
    bool WaitForClose() const
    {
        return WaitUntil([&] { return WindowTitle(GetDlgItem(m_hWndSheet, IDOK)) == L"Close"; }, 5000);
    }

    // The request that leaves the page was refused with the range message "nLow から nHigh まで";
    // once it is closed the edit nId has the focus and its whole text selected, and the page is
    // still current.
    void ExpectRefused(int nId, unsigned nLow, unsigned nHigh, const char* pszWhat) const
    {
        const HWND hBox = WaitForMessageBox(m_prop.IsStarted() ? m_prop.Pid() : WindowPid(m_hWndSheet), 5000);
        ASSERT_NE(hBox, nullptr) << pszWhat;
        EXPECT_EQ(WindowTitle(hBox), L"Zuvora!") << pszWhat;
        EXPECT_EQ(MessageBoxText(hBox), std::to_wstring(nLow) + L" から " + std::to_wstring(nHigh) +
                                            L" までの値を入力してください.")
            << pszWhat;
        EXPECT_EQ(GetWindow(hBox, GW_OWNER), m_hWndSheet) << "owned by the page, so by its sheet";
        ASSERT_TRUE(CloseMessageBox(hBox));
        const HWND hWndEdit = Item(nId);
        // The box gives the focus back at once; the refocus, posted, selects the text after it.
        const auto wholeTextSelected = [&] {
            const LRESULT lSel = SendMessageW(hWndEdit, EM_GETSEL, 0, 0);
            const int nLen = static_cast<int>(SendMessageW(hWndEdit, WM_GETTEXTLENGTH, 0, 0));
            return LOWORD(lSel) == 0 && HIWORD(lSel) == nLen;
        };
        EXPECT_TRUE(WaitUntil([&] { return FocusOf(m_hWndSheet) == hWndEdit && wholeTextSelected(); }, 5000))
            << pszWhat << ": selection " << LOWORD(SendMessageW(hWndEdit, EM_GETSEL, 0, 0)) << " to "
            << HIWORD(SendMessageW(hWndEdit, EM_GETSEL, 0, 0));
        EXPECT_EQ(CurrentPage(m_hWndSheet), m_hWndPage) << pszWhat;
    }

private:
    CProcess m_prop;
    HWND m_hWndSheet = nullptr;
    HWND m_hWndPage = nullptr;
};

} // namespace zvsheet
