// Framework: CWnd and CDialog route messages to member handlers.
#include <gtest/gtest.h>
#include <windows.h>

#include "Strings.h"
#include "Window.h"

namespace {
const UINT MSG_TEST_PRIVATE = WM_APP + 0x51;
const UINT ID_TEST_COMMAND = 32777;

// Pumps this thread's messages until bDone or the time-out.
bool PumpUntil(const bool& bDone, DWORD dwTimeoutMs = 2000)
{
    DWORD dwStart = GetTickCount();
    while (!bDone && GetTickCount() - dwStart < dwTimeoutMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!PreTranslateDialogMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    return bDone;
}

class CTestWnd : public CWnd {
public:
    CTestWnd()
    {
        MapMessage(MSG_TEST_PRIVATE, &CTestWnd::OnPrivate);
        MapMessage(WM_TIMER, &CTestWnd::OnTimer);
        MapMessage(WM_SETTEXT, &CTestWnd::OnSetText);
        MapMessage(WM_DESTROY, &CTestWnd::OnDestroy);
        MapCommand(ID_TEST_COMMAND, &CTestWnd::OnTestCommand);
    }
    LRESULT OnPrivate(WPARAM wParam, LPARAM lParam)
    {
        m_bPrivate = true;
        m_wParam = wParam;
        m_lParam = lParam;
        return 0x1234;
    }
    LRESULT OnTimer(WPARAM wParam, LPARAM)
    {
        if (wParam == 1 && ++m_nTicks == 3) {
            KillTimer(m_hWnd, 1);
            m_bTimerDone = true;
        }
        return 0;
    }
    LRESULT OnSetText(WPARAM, LPARAM)
    {
        ++m_nSetText;
        return Default();   // DefWindowProcW sets the text
    }
    LRESULT OnDestroy(WPARAM, LPARAM)
    {
        m_bDestroyed = true;
        return 0;
    }
    void OnTestCommand() { m_bCommand = true; }
    void PostNcDestroy() override { m_bPostNcDestroy = true; }

    bool m_bPrivate = false;
    WPARAM m_wParam = 0;
    LPARAM m_lParam = 0;
    int m_nTicks = 0;
    bool m_bTimerDone = false;
    int m_nSetText = 0;
    bool m_bCommand = false;
    bool m_bDestroyed = false;
    bool m_bPostNcDestroy = false;
};

// An in-memory dialog template: a hidden popup without controls.
struct TEST_TEMPLATE {
    DLGTEMPLATE dlg;
    WORD wMenu, wClass, wTitle;
};
const TEST_TEMPLATE* GetTestTemplate()
{
    static const TEST_TEMPLATE tmpl = {{WS_POPUP | WS_CAPTION, WS_EX_TOOLWINDOW, 0, 0, 0, 100, 50}, 0, 0, 0};
    return &tmpl;
}

// A modeless dialog that deletes itself when its window is gone.
class CSelfDeletingDlg : public CDialog {
public:
    explicit CSelfDeletingDlg(bool* pbDeleted) : CDialog(&GetTestTemplate()->dlg), m_pbDeleted(pbDeleted)
    {
        MapMessage(MSG_TEST_PRIVATE, &CSelfDeletingDlg::OnPrivate);
    }
    ~CSelfDeletingDlg() override { *m_pbDeleted = true; }
    BOOL OnInitDialog() override
    {
        m_bInitialised = m_hWnd != nullptr;
        SetWindowTextW(m_hWnd, L"ZvFrameworkTest Dialog");
        return TRUE;
    }
    LRESULT OnPrivate(WPARAM wParam, LPARAM)
    {
        m_bPrivate = true;
        if (wParam == 1)
            DestroyWindow(m_hWnd);   // deletes this object on the way
        return 7;
    }
    void PostNcDestroy() override { delete this; }

    bool* m_pbDeleted;
    bool m_bInitialised = false;
    bool m_bPrivate = false;
};

// A modal dialog that ends itself from a posted private message.
class CModalDlg : public CDialog {
public:
    CModalDlg() : CDialog(&GetTestTemplate()->dlg) { MapMessage(MSG_TEST_PRIVATE, &CModalDlg::OnPrivate); }
    BOOL OnInitDialog() override
    {
        PostMessageW(m_hWnd, MSG_TEST_PRIVATE, m_bCancel ? 0 : 42, 0);
        return TRUE;
    }
    LRESULT OnPrivate(WPARAM wParam, LPARAM)
    {
        if (wParam == 0)
            PostMessageW(m_hWnd, WM_COMMAND, IDCANCEL, 0);   // no entry: OnCancel
        else
            EndDialog(m_hWnd, static_cast<INT_PTR>(wParam));
        return 0;
    }
    void OnCancel() override
    {
        m_bOnCancel = true;
        CDialog::OnCancel();
    }
    bool m_bCancel = false;
    bool m_bOnCancel = false;
};
}

TEST(FrameworkWindow, HiddenWindowRoutesPrivateMessage)
{
    std::wstring strTitle = FormatString(L"ZvFrameworkTest Hidden %lu", GetCurrentProcessId());
    CTestWnd wnd;
    ASSERT_TRUE(wnd.CreateHidden(L"ZvFrameworkTestWnd", strTitle.c_str()));
    ASSERT_NE(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandle(wnd.m_hWnd), &wnd);
    EXPECT_FALSE(IsWindowVisible(wnd.m_hWnd));
    EXPECT_EQ(FindWindowW(L"ZvFrameworkTestWnd", strTitle.c_str()), wnd.m_hWnd);

    ASSERT_TRUE(PostMessageW(wnd.m_hWnd, MSG_TEST_PRIVATE, 11, 22));
    EXPECT_TRUE(PumpUntil(wnd.m_bPrivate));
    EXPECT_EQ(wnd.m_wParam, 11u);
    EXPECT_EQ(wnd.m_lParam, 22);

    EXPECT_EQ(SendMessageW(wnd.m_hWnd, MSG_TEST_PRIVATE, 0, 0), 0x1234);
    EXPECT_EQ(SendMessageW(wnd.m_hWnd, WM_APP + 0x52, 0, 0), 0);   // no entry: DefWindowProcW

    SetWindowTextW(wnd.m_hWnd, L"changed");
    EXPECT_EQ(wnd.m_nSetText, 1);
    wchar_t szTitle[32] = {};
    GetWindowTextW(wnd.m_hWnd, szTitle, 32);
    EXPECT_STREQ(szTitle, L"changed");

    PostMessageW(wnd.m_hWnd, WM_COMMAND, ID_TEST_COMMAND, 0);
    EXPECT_TRUE(PumpUntil(wnd.m_bCommand));

    SetTimer(wnd.m_hWnd, 1, 10, nullptr);
    EXPECT_TRUE(PumpUntil(wnd.m_bTimerDone));

    HWND hWnd = wnd.m_hWnd;
    DestroyWindow(hWnd);
    EXPECT_TRUE(wnd.m_bDestroyed);
    EXPECT_TRUE(wnd.m_bPostNcDestroy);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_FALSE(IsWindow(hWnd));
}

TEST(FrameworkWindow, ObjectDestroyedBeforeWindowTakesItAlong)
{
    HWND hWnd = nullptr;
    {
        CTestWnd wnd;
        ASSERT_TRUE(wnd.CreateHidden(L"ZvFrameworkTestWnd", L"ZvFrameworkTest Short"));
        hWnd = wnd.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(hWnd));
}

TEST(FrameworkWindow, ModelessDialogRoutesAndDeletesItself)
{
    bool bDeleted = false;
    auto* pDlg = new CSelfDeletingDlg(&bDeleted);
    ASSERT_TRUE(pDlg->Create());
    EXPECT_TRUE(pDlg->m_bInitialised);
    HWND hWnd = pDlg->m_hWnd;
    EXPECT_FALSE(IsWindowVisible(hWnd));

    ASSERT_TRUE(PostMessageW(hWnd, MSG_TEST_PRIVATE, 0, 0));
    EXPECT_TRUE(PumpUntil(pDlg->m_bPrivate));
    EXPECT_EQ(SendMessageW(hWnd, MSG_TEST_PRIVATE, 0, 0), 7);   // via DWLP_MSGRESULT

    ASSERT_TRUE(PostMessageW(hWnd, MSG_TEST_PRIVATE, 1, 0));
    EXPECT_TRUE(PumpUntil(bDeleted));
    EXPECT_FALSE(IsWindow(hWnd));
}

TEST(FrameworkWindow, ModelessDialogOnCancelDestroys)
{
    bool bDeleted = false;
    auto* pDlg = new CSelfDeletingDlg(&bDeleted);
    ASSERT_TRUE(pDlg->Create());
    HWND hWnd = pDlg->m_hWnd;
    PostMessageW(hWnd, WM_CLOSE, 0, 0);   // the dialog manager posts IDCANCEL for it
    EXPECT_TRUE(PumpUntil(bDeleted));
    EXPECT_FALSE(IsWindow(hWnd));
}

TEST(FrameworkWindow, ModalDialogEndsWithItsResult)
{
    CModalDlg dlg;
    EXPECT_EQ(dlg.DoModal(), 42);
    EXPECT_EQ(dlg.m_hWnd, nullptr);

    CModalDlg dlgCancel;
    dlgCancel.m_bCancel = true;
    EXPECT_EQ(dlgCancel.DoModal(), IDCANCEL);
    EXPECT_TRUE(dlgCancel.m_bOnCancel);
}

TEST(FrameworkWindow, MissingTemplateFails)
{
    CDialog dlg(4711);
    EXPECT_FALSE(dlg.Create());
    EXPECT_EQ(dlg.DoModal(), -1);
}
