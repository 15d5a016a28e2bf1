// Framework: what the property sheet builds on, without a sheet: a window made elsewhere routed
// through a CWnd by subclassing, and list items added in code.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "ListItems.h"
#include "Window.h"

namespace {
const UINT MSG_TEST_PRIVATE = WM_APP + 0x52;

// An edit control of the system's, routed through this object once subclassed.
class CSubclassedEdit : public CWnd {
public:
    CSubclassedEdit()
    {
        MapMessage(MSG_TEST_PRIVATE, &CSubclassedEdit::OnPrivate);
        MapMessage(WM_SETTEXT, &CSubclassedEdit::OnSetText);
    }
    int m_nPrivate = 0;
    int m_nSetText = 0;
    BOOL m_bNcDestroyed = FALSE;

protected:
    void PostNcDestroy() override { m_bNcDestroyed = TRUE; }

private:
    LRESULT OnPrivate(WPARAM wParam, LPARAM) { m_nPrivate += static_cast<int>(wParam); return 77; }
    // Counted, then handed to the edit control's own procedure.
    LRESULT OnSetText(WPARAM, LPARAM) { ++m_nSetText; return Default(); }
};

std::wstring Text(HWND hWnd)
{
    wchar_t sz[64] = {};
    GetWindowTextW(hWnd, sz, 64);
    return sz;
}
}

TEST(FrameworkSheetHelpers, SubclassedWindowRoutesThroughItsTableAndKeepsItsOwnProcedure) {
    HWND hWndEdit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hWndEdit, nullptr);
    CSubclassedEdit edit;
    ASSERT_TRUE(edit.SubclassWindow(hWndEdit));
    EXPECT_EQ(CWnd::FromHandle(hWndEdit), &edit);
    EXPECT_FALSE(CSubclassedEdit().SubclassWindow(hWndEdit)) << "a window routed to one object only";

    EXPECT_EQ(SendMessageW(hWndEdit, MSG_TEST_PRIVATE, 5, 0), 77);
    EXPECT_EQ(edit.m_nPrivate, 5);
    SetWindowTextW(hWndEdit, L"設定");
    EXPECT_EQ(edit.m_nSetText, 1);
    EXPECT_EQ(Text(hWndEdit), L"設定") << "Default() reached the edit control";
    EXPECT_EQ(SendMessageW(hWndEdit, WM_GETTEXTLENGTH, 0, 0), 2) << "an unmapped message too";

    DestroyWindow(hWndEdit);
    EXPECT_TRUE(edit.m_bNcDestroyed);
    EXPECT_EQ(edit.m_hWnd, nullptr);
}

TEST(FrameworkSheetHelpers, ObjectGoneFirstGivesTheWindowItsProcedureBack) {
    HWND hWndEdit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hWndEdit, nullptr);
    const LONG_PTR lOwnProc = GetWindowLongPtrW(hWndEdit, GWLP_WNDPROC);
    {
        CSubclassedEdit edit;
        ASSERT_TRUE(edit.SubclassWindow(hWndEdit));
        EXPECT_NE(GetWindowLongPtrW(hWndEdit, GWLP_WNDPROC), lOwnProc);
    }
    // The object's destructor destroys the window, which had its own procedure back by then.
    EXPECT_FALSE(IsWindow(hWndEdit));
}

TEST(FrameworkSheetHelpers, ListItemsAddedInCode) {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&icc));
    const std::vector<std::wstring> items = {L"一行目", L"二行目", L"三行目"};
    struct {
        LPCWSTR pszClass;
        DWORD dwStyle;
        UINT uCount;
        UINT uTextLen;
    } const kinds[] = {
        {L"ListBox", 0, LB_GETCOUNT, LB_GETTEXTLEN},
        {L"ComboBox", CBS_DROPDOWNLIST, CB_GETCOUNT, CB_GETLBTEXTLEN},
        {WC_LISTVIEWW, LVS_REPORT, LVM_GETITEMCOUNT, 0},
    };
    for (const auto& kind : kinds) {
        HWND hWnd = CreateWindowExW(0, kind.pszClass, L"", WS_POPUP | kind.dwStyle, 0, 0, 200, 100, nullptr,
                                    nullptr, nullptr, nullptr);
        ASSERT_NE(hWnd, nullptr);
        EXPECT_EQ(AddListItems(hWnd, items), 3) << kind.pszClass;
        EXPECT_EQ(AddListItems(hWnd, {L"四行目"}), 1) << kind.pszClass;
        EXPECT_EQ(SendMessageW(hWnd, kind.uCount, 0, 0), 4) << kind.pszClass;
        if (kind.uTextLen)
            EXPECT_EQ(SendMessageW(hWnd, kind.uTextLen, 3, 0), 3) << "the last in the last place";
        else {
            wchar_t sz[16] = {};
            LVITEMW item = {};
            item.pszText = sz;
            item.cchTextMax = 16;
            SendMessageW(hWnd, LVM_GETITEMTEXTW, 3, reinterpret_cast<LPARAM>(&item));
            EXPECT_STREQ(sz, L"四行目");
        }
        DestroyWindow(hWnd);
    }
    HWND hWndStatic = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(AddListItems(hWndStatic, items), 0) << "not a list";
    DestroyWindow(hWndStatic);
}
