// Window and dialog bases: a C++ object over an HWND whose messages go to member handlers.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <type_traits>
#include <vector>

// A window made through this framework knows its object (a window property).
// Messages, private ones (WM_APP + n) included, are routed through a small
// per-object table filled by the derived class's constructor:
//     MapMessage(WM_TIMER, &CMyWnd::OnTimer);        // LRESULT OnTimer(WPARAM, LPARAM)
//     MapCommand(ID_APP_EXIT, &CMyWnd::OnAppExit);   // void OnAppExit(), for WM_COMMAND
//     MapNotify(IDC_SPIN, UDN_DELTAPOS, &CMyWnd::OnDeltaPos);  // LRESULT OnDeltaPos(NMHDR*), WM_NOTIFY
// A message without an entry gets the default processing.
class CWnd {
public:
    using MSGHANDLER = LRESULT (CWnd::*)(WPARAM wParam, LPARAM lParam);
    using CMDHANDLER = void (CWnd::*)();
    using NOTIFYHANDLER = LRESULT (CWnd::*)(NMHDR* pNmhdr);

    CWnd() = default;
    // A window that outlives its object is detached (no more routing) and destroyed.
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The object of a window made through this framework, else null.
    static CWnd* FromHandle(HWND hWnd);

    // RegisterClassExW with the framework's window procedure; a class already registered is fine.
    static BOOL RegisterWindowClass(LPCWSTR pszClassName, UINT uStyle = 0, HICON hIcon = nullptr,
                                    HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                                    HINSTANCE hInstance = nullptr);
    // CreateWindowExW of a class registered by RegisterWindowClass, routed to this object.
    BOOL CreateEx(DWORD dwExStyle, LPCWSTR pszClassName, LPCWSTR pszTitle, DWORD dwStyle,
                  int x, int y, int cx, int cy, HWND hWndParent, HMENU hMenu,
                  HINSTANCE hInstance = nullptr);
    // A top-level popup that is never shown, found by other programs through its title.
    BOOL CreateHidden(LPCWSTR pszClassName, LPCWSTR pszTitle, DWORD dwExStyle = WS_EX_TOOLWINDOW);

    // The message loop asks the target window of a message and then each of its ancestors, before
    // the dialog manager sees it (PreTranslateWindowMessage): TRUE when this window took it, so
    // that it is neither translated nor dispatched. The base takes nothing.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // Routes the messages of a window made elsewhere (a system dialog such as a property sheet)
    // through this object: its window procedure is replaced, and what the table does not take,
    // or a handler passes on with Default(), goes to the procedure it had.
    BOOL SubclassWindow(HWND hWnd);

    // Mouse capture of this window: taken, asked for, and given up only while this window holds it.
    void CaptureMouse();
    BOOL HasMouseCapture() const;
    void ReleaseMouseCapture();

    HWND m_hWnd = nullptr;

protected:
    template <class T>
    void MapMessage(UINT uMsg, LRESULT (T::*pfnHandler)(WPARAM, LPARAM))
    {
        static_assert(std::is_base_of_v<CWnd, T>, "handler of a CWnd-derived class");
        SetEntry(m_msgTable, uMsg, static_cast<MSGHANDLER>(pfnHandler));
    }
    template <class T>
    void MapCommand(UINT nId, void (T::*pfnHandler)())
    {
        static_assert(std::is_base_of_v<CWnd, T>, "handler of a CWnd-derived class");
        SetEntry(m_cmdTable, nId, static_cast<CMDHANDLER>(pfnHandler));
    }
    // WM_NOTIFY whose NMHDR names control nId (idFrom) and notification nCode (code); the handler's
    // result is the message's. A WM_NOTIFY entry of MapMessage comes first.
    template <class T>
    void MapNotify(UINT nId, UINT nCode, LRESULT (T::*pfnHandler)(NMHDR*))
    {
        static_assert(std::is_base_of_v<CWnd, T>, "handler of a CWnd-derived class");
        const NOTIFY_ENTRY entry{nId, nCode, static_cast<NOTIFYHANDLER>(pfnHandler)};
        for (auto& e : m_notifyTable) {
            if (e.nId == nId && e.nCode == nCode) {
                e = entry;
                return;
            }
        }
        m_notifyTable.push_back(entry);
    }

    // Inside a handler: the default processing of the message being handled.
    // A plain window runs DefWindowProcW now and returns its result, a subclassed one its former
    // procedure; a dialog lets the dialog manager's default processing run after the handler
    // returns, and returns 0.
    LRESULT Default();

    // Called after the window's last message (WM_NCDESTROY), when m_hWnd is null:
    // an object that lives on the heap on its own may delete itself here.
    virtual void PostNcDestroy() {}

    // The message being handled, kept on the stack of the window procedure.
    struct CURRENT_MSG {
        UINT uMsg;
        WPARAM wParam;
        LPARAM lParam;
        BOOL bDialog;
        BOOL bDefaultAfter;
    };
    void Attach(HWND hWnd);
    // Runs the table's handler; FALSE when the table has none.
    BOOL Dispatch(HWND hWnd, CURRENT_MSG& cur, LRESULT* plResult);
    // After WM_NCDESTROY: detach, end the message loop for the main window, PostNcDestroy.
    void FinishNcDestroy();

private:
    template <class H>
    struct ENTRY {
        UINT nKey;
        H pfn;
    };
    struct NOTIFY_ENTRY {
        UINT nId;
        UINT nCode;
        NOTIFYHANDLER pfn;
    };
    template <class H>
    static void SetEntry(std::vector<ENTRY<H>>& table, UINT nKey, H pfn)
    {
        for (auto& entry : table) {
            if (entry.nKey == nKey) {
                entry.pfn = pfn;
                return;
            }
        }
        table.push_back({nKey, pfn});
    }
    void Detach();

    static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    WNDPROC m_pfnSuperWndProc = nullptr;
    std::vector<ENTRY<MSGHANDLER>> m_msgTable;
    std::vector<ENTRY<CMDHANDLER>> m_cmdTable;
    std::vector<NOTIFY_ENTRY> m_notifyTable;
    CURRENT_MSG* m_pCurMsg = nullptr;
};

// A dialog from a resource template (or an in-memory one), modal or modeless.
// Its messages use the same table; IDOK and IDCANCEL commands without an entry
// call OnOK and OnCancel.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate = 0, HWND hWndParent = nullptr);
    explicit CDialog(const DLGTEMPLATE* pTemplate, HWND hWndParent = nullptr);

    // DialogBoxParamW (DialogBoxIndirectParamW): the value passed to EndDialog, -1 on failure.
    INT_PTR DoModal();
    // CreateDialogParamW: a modeless dialog, fed to IsDialogMessageW by the message loop.
    // OnInitDialog runs before it returns. TRUE when the window exists.
    BOOL Create();
    BOOL Create(UINT nIDTemplate, HWND hWndParent = nullptr);

    // The module that holds the templates: the program's own by default.
    HINSTANCE m_hInstResource;

protected:
    // WM_INITDIALOG, m_hWnd already set: TRUE lets the system set the focus.
    virtual BOOL OnInitDialog() { return TRUE; }
    // Modal: EndDialog with IDOK or IDCANCEL. Modeless: DestroyWindow.
    virtual void OnOK();
    virtual void OnCancel();

    BOOL IsModal() const { return m_bModal; }

    // The dialog procedure of every dialog of this framework; WM_INITDIALOG's lParam is the object.
    static INT_PTR CALLBACK DlgProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

private:

    UINT m_nIDTemplate;
    const DLGTEMPLATE* m_pTemplate;
    HWND m_hWndParent;
    BOOL m_bModal = FALSE;
};

// For a message loop: IsDialogMessageW for a message of a modeless dialog of this
// thread (or of one of its controls). TRUE when the dialog manager took it.
BOOL PreTranslateDialogMessage(MSG* pMsg);

// For a message loop, before PreTranslateDialogMessage: CWnd::PreTranslateMessage of the
// message's window and then of each ancestor (GetAncestor GA_PARENT, up to the desktop) that is
// an object of this framework. TRUE when one of them took the message.
BOOL PreTranslateWindowMessage(MSG* pMsg);
