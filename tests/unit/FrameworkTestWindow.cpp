// Framework: CWnd and CDialog route messages to member handlers.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "Strings.h"
#include "WinApp.h"
#include "Window.h"

namespace {
const UINT MSG_TEST_PRIVATE = WM_APP + 0x51;
const UINT ID_TEST_COMMAND = 32777;

// Pumps this thread's messages until bDone or the time-out.
// Handles every message in the queue, as CWinApp's loop does.
void DrainQueue()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!PreTranslateWindowMessage(&msg) && !PreTranslateDialogMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

bool PumpUntil(const bool& bDone, DWORD dwTimeoutMs = 2000)
{
    const DWORD dwStart = GetTickCount();
    while (!bDone && GetTickCount() - dwStart < dwTimeoutMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        DrainQueue();
    }
    return bDone;
}

class CTestWnd : public CWnd {
public:
    CTestWnd()
    {
        MapMessage(MSG_TEST_PRIVATE, &CTestWnd::OnPrivate);
        MapMessage(WM_SETTEXT, &CTestWnd::OnSetText);
        MapMessage(WM_DESTROY, &CTestWnd::OnDestroy);
        MapCommand(ID_TEST_COMMAND, &CTestWnd::OnTestCommand);
    }
    LRESULT OnPrivate(WPARAM wParam, LPARAM lParam) { m_bPrivate = true; m_wParam = wParam; m_lParam = lParam; return 0x1234; }
    LRESULT OnSetText(WPARAM, LPARAM) { ++m_nSetText; return Default(); }   // DefWindowProcW sets the text
    LRESULT OnDestroy(WPARAM, LPARAM) { m_bDestroyed = true; return 0; }
    void OnTestCommand() { m_bCommand = true; }
    void PostNcDestroy() override { m_bPostNcDestroy = true; }

    bool m_bPrivate = false, m_bCommand = false, m_bDestroyed = false, m_bPostNcDestroy = false;
    WPARAM m_wParam = 0;
    LPARAM m_lParam = 0;
    int m_nSetText = 0;
};

// An in-memory dialog template: a hidden popup without controls.
struct TEST_TEMPLATE { DLGTEMPLATE dlg; WORD wMenu, wClass, wTitle; };
const DLGTEMPLATE* TestTemplate()
{
    static const TEST_TEMPLATE tmpl = {{WS_POPUP | WS_CAPTION, WS_EX_TOOLWINDOW, 0, 0, 0, 100, 50}, 0, 0, 0};
    return &tmpl.dlg;
}

// Modeless on the heap, it deletes itself when its window is gone. Modal, it ends itself from a
// posted message: with m_wEnd, or with 0 through an IDCANCEL command that has no entry.
class CTestDlg : public CDialog {
public:
    explicit CTestDlg(bool* pbDeleted, WPARAM wEnd = 0) : CDialog(TestTemplate()), m_pbDeleted(pbDeleted), m_wEnd(wEnd)
    {
        MapMessage(MSG_TEST_PRIVATE, &CTestDlg::OnPrivate);
    }
    ~CTestDlg() override { if (m_pbDeleted) *m_pbDeleted = true; }
    BOOL OnInitDialog() override
    {
        m_bInitialised = m_hWnd != nullptr;
        if (IsModal())
            PostMessageW(m_hWnd, m_wEnd ? MSG_TEST_PRIVATE : WM_COMMAND, m_wEnd ? m_wEnd : IDCANCEL, 0);
        return TRUE;
    }
    LRESULT OnPrivate(WPARAM wParam, LPARAM)
    {
        m_bPrivate = true;
        if (IsModal())
            EndDialog(m_hWnd, static_cast<INT_PTR>(wParam));
        else if (wParam == 1)
            DestroyWindow(m_hWnd);   // deletes this object on the way
        return 7;
    }
    void OnCancel() override { m_bOnCancel = true; CDialog::OnCancel(); }
    void PostNcDestroy() override { if (m_pbDeleted) delete this; }

    bool* m_pbDeleted;
    WPARAM m_wEnd;
    bool m_bInitialised = false, m_bPrivate = false, m_bOnCancel = false;
};
}

TEST(FrameworkWindow, HiddenWindowRoutesMessagesAndCommands)
{
    const std::wstring strTitle = FormatString(L"ZvFrameworkTest Hidden %lu", GetCurrentProcessId());
    CTestWnd wnd;
    ASSERT_TRUE(wnd.CreateHidden(L"ZvFrameworkTestWnd", strTitle.c_str()));
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

    const HWND hWnd = wnd.m_hWnd;
    DestroyWindow(hWnd);
    EXPECT_TRUE(wnd.m_bDestroyed && wnd.m_bPostNcDestroy);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_FALSE(IsWindow(hWnd));

    // An object that goes before its window takes the window along.
    HWND hShort = nullptr;
    {
        CTestWnd wndShort;
        ASSERT_TRUE(wndShort.CreateHidden(L"ZvFrameworkTestWnd", L"ZvFrameworkTest Short"));
        hShort = wndShort.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(hShort));
}

// Ended by its own DestroyWindow, or by WM_CLOSE (the dialog manager turns it into IDCANCEL).
TEST(FrameworkWindow, ModelessDialogRoutesAndDeletesItself)
{
    for (const bool bClose : {false, true}) {
        bool bDeleted = false;
        auto* pDlg = new CTestDlg(&bDeleted);
        ASSERT_TRUE(pDlg->Create());
        EXPECT_TRUE(pDlg->m_bInitialised);
        const HWND hWnd = pDlg->m_hWnd;
        EXPECT_FALSE(IsWindowVisible(hWnd));
        if (bClose) {
            PostMessageW(hWnd, WM_CLOSE, 0, 0);
        } else {
            ASSERT_TRUE(PostMessageW(hWnd, MSG_TEST_PRIVATE, 0, 0));
            EXPECT_TRUE(PumpUntil(pDlg->m_bPrivate));
            EXPECT_EQ(SendMessageW(hWnd, MSG_TEST_PRIVATE, 0, 0), 7);   // via DWLP_MSGRESULT
            ASSERT_TRUE(PostMessageW(hWnd, MSG_TEST_PRIVATE, 1, 0));
        }
        EXPECT_TRUE(PumpUntil(bDeleted)) << "closed " << bClose;
        EXPECT_FALSE(IsWindow(hWnd));
    }
}

TEST(FrameworkWindow, ModalDialogEndsWithItsResult)
{
    CTestDlg dlg(nullptr, 42);
    EXPECT_EQ(dlg.DoModal(), 42);
    EXPECT_TRUE(dlg.m_bInitialised);
    EXPECT_EQ(dlg.m_hWnd, nullptr);

    CTestDlg dlgCancel(nullptr);
    EXPECT_EQ(dlgCancel.DoModal(), IDCANCEL);
    EXPECT_TRUE(dlgCancel.m_bOnCancel);

    CDialog dlgMissing(4711);
    EXPECT_FALSE(dlgMissing.Create());
    EXPECT_EQ(dlgMissing.DoModal(), -1);
}

namespace {
const UINT ID_TEST_CHILD = 100;

// A modeless dialog that, while m_bSwallow, takes Enter and Escape before the dialog manager, as a
// scroll-bar window does; its spin's notifications are routed by control and code.
class CKeyDlg : public CDialog {
public:
    CKeyDlg() : CDialog(TestTemplate())
    {
        MapNotify(ID_TEST_CHILD, UDN_DELTAPOS, &CKeyDlg::OnDeltaPos);
        MapNotify(ID_TEST_CHILD, NM_CLICK, &CKeyDlg::OnClick);
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN && pMsg->wParam == 'A')
            ++m_nAskedA;
        if (m_bSwallow && pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE)) {
            ++m_nSwallowed;
            return TRUE;
        }
        return FALSE;
    }
    void OnOK() override { ++m_nOnOK; }
    void OnCancel() override { ++m_nOnCancel; }
    LRESULT OnDeltaPos(NMHDR* pNmhdr)
    {
        m_nDelta += reinterpret_cast<NMUPDOWN*>(pNmhdr)->iDelta;
        ++m_nDeltaPos;
        return 0;
    }
    LRESULT OnClick(NMHDR*) { return 5; }

    bool m_bSwallow = true;
    int m_nAskedA = 0, m_nSwallowed = 0, m_nOnOK = 0, m_nOnCancel = 0, m_nDeltaPos = 0, m_nDelta = 0;
};

// Posts a key press to hWnd and handles it: a posted message is in the queue at once.
void PostKeyAndPump(HWND hWnd, WPARAM vk)
{
    PostMessageW(hWnd, WM_KEYDOWN, vk, 1);
    DrainQueue();
}
}  // namespace

TEST(FrameworkWindow, PreTranslateAsksTheWindowAndItsAncestorsBeforeTheDialogManager)
{
    CKeyDlg dlg;
    ASSERT_TRUE(dlg.Create());
    const HWND hChild = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, dlg.m_hWnd,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ID_TEST_CHILD + 1)), nullptr, nullptr);
    ASSERT_NE(hChild, nullptr);

    // Swallowed whether they are posted to the dialog or to one of its controls.
    for (HWND hWnd : {dlg.m_hWnd, hChild}) {
        for (WPARAM vk : {WPARAM{VK_RETURN}, WPARAM{VK_ESCAPE}})
            PostKeyAndPump(hWnd, vk);
    }
    EXPECT_EQ(dlg.m_nSwallowed, 4);
    EXPECT_EQ(dlg.m_nOnOK + dlg.m_nOnCancel, 0);
    EXPECT_TRUE(IsWindow(dlg.m_hWnd));
    // Other keys go on to the dialog manager, and a window of no object is simply passed over.
    PostKeyAndPump(hChild, 'A');
    EXPECT_EQ(dlg.m_nAskedA, 1) << "the control's dialog was not asked";

    // Not taken: the dialog manager turns Escape into IDCANCEL and Enter into IDOK.
    dlg.m_bSwallow = false;
    PostKeyAndPump(dlg.m_hWnd, VK_ESCAPE);
    PostKeyAndPump(dlg.m_hWnd, VK_RETURN);
    EXPECT_EQ(dlg.m_nOnCancel, 1);
    EXPECT_EQ(dlg.m_nOnOK, 1);
    DestroyWindow(dlg.m_hWnd);
}

TEST(FrameworkWindow, NotificationsAreRoutedByControlAndCode)
{
    ASSERT_TRUE(InitCommonControlClasses(ICC_UPDOWN_CLASS));
    CKeyDlg dlg;
    ASSERT_TRUE(dlg.Create());
    const HWND hSpin = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE | UDS_ARROWKEYS | UDS_HORZ, 0, 0,
                                       30, 14, dlg.m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ID_TEST_CHILD)),
                                       nullptr, nullptr);
    ASSERT_NE(hSpin, nullptr);
    SendMessageW(hSpin, UDM_SETRANGE32, 0, 100);

    // The control's own notification, made by an arrow key (up and down only, also across).
    SendMessageW(hSpin, WM_KEYDOWN, VK_UP, 0);
    SendMessageW(hSpin, WM_KEYUP, VK_UP, 0);
    EXPECT_EQ(dlg.m_nDeltaPos, 1);
    EXPECT_EQ(dlg.m_nDelta, 1);

    // The handler's result is the message's (a dialog's through DWLP_MSGRESULT); another code or
    // another control gets the default processing.
    NMHDR nm{hSpin, ID_TEST_CHILD, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(SendMessageW(dlg.m_hWnd, WM_NOTIFY, ID_TEST_CHILD, reinterpret_cast<LPARAM>(&nm)), 5);
    nm.code = static_cast<UINT>(NM_DBLCLK);
    EXPECT_EQ(SendMessageW(dlg.m_hWnd, WM_NOTIFY, ID_TEST_CHILD, reinterpret_cast<LPARAM>(&nm)), 0);
    nm.code = static_cast<UINT>(NM_CLICK);
    nm.idFrom = ID_TEST_CHILD + 1;
    EXPECT_EQ(SendMessageW(dlg.m_hWnd, WM_NOTIFY, ID_TEST_CHILD + 1, reinterpret_cast<LPARAM>(&nm)), 0);
    EXPECT_EQ(dlg.m_nDeltaPos, 1);
    DestroyWindow(dlg.m_hWnd);
}

TEST(FrameworkWindow, MouseCaptureIsGivenUpOnlyByItsHolder)
{
    CTestWnd wnd, wndOther;
    ASSERT_TRUE(wnd.CreateHidden(L"ZvFrameworkTestWnd", L"ZvFrameworkTest Capture"));
    ASSERT_TRUE(wndOther.CreateHidden(L"ZvFrameworkTestWnd", L"ZvFrameworkTest Capture Other"));
    wnd.CaptureMouse();
    EXPECT_TRUE(wnd.HasMouseCapture());
    EXPECT_FALSE(wndOther.HasMouseCapture());
    wndOther.ReleaseMouseCapture();   // holds nothing: changes nothing
    EXPECT_TRUE(wnd.HasMouseCapture());
    wnd.ReleaseMouseCapture();
    EXPECT_FALSE(wnd.HasMouseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
}
