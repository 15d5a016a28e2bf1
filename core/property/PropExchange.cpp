// The settings exchange: the core hands its settings over through the eight settings blocks
// (started from the tray menu, or asked for by a settings program the user started), keeps its
// window-event hook off while the settings program is active, takes each apply back (read, applied,
// saved), forwards the keys its keyboard page captures, and watches it until it has gone. The log
// lines keep the names they have always had, which the log's readers look for.
#include "PropExchange.h"

#include <new>
#include <utility>

#include "LogManager.h"
#include "ProcessLaunch.h"
#include "PropWatch.h"
#include "PropertyRegistry.h"
#include "Sender.h"
#include "Strings.h"
#include "WndUtil.h"
#include "ZvMessages.h"
#include "resource.h"

namespace {

// The settings program holds its mutex from its start to its end. Every tick of the dead check
// asks: the name is loaded once.
bool IsPropertyProgramRunning()
{
    static const std::wstring s_strPropMutex = LoadResString(IDS_ZV_PROP_MUTEX);
    return IsMutexExist(s_strPropMutex.c_str()) != FALSE;
}

// A window of the process whose sheet the settings exchange under way announced: the only program
// that may have the desktop's keys. Anyone can post the request and make the settings program's
// mutex name, so neither tells.
bool IsExchangeWindow(HWND hWnd, HWND hWndPropSheet) noexcept
{
    DWORD dwPid = 0, dwSheetPid = 0;
    return hWnd && hWndPropSheet && IsWindow(hWnd) && GetWindowThreadProcessId(hWnd, &dwPid) &&
           GetWindowThreadProcessId(hWndPropSheet, &dwSheetPid) && dwPid != 0 && dwPid == dwSheetPid &&
           dwPid != GetCurrentProcessId();
}

}  // namespace

void CPropExchange::PROCESS_CLOSER::operator()(HANDLE h) const noexcept
{
    CloseHandle(h);
}

CPropExchange::CPropExchange(std::unique_ptr<IPropExchangeHost> pHost) : m_pHost(std::move(pHost)) {}

BOOL CPropExchange::CreatePropManager() noexcept
{
    DeletePropManager();
    m_pPropManager.reset(new (std::nothrow) CSharedMemPropManager(SENDER_CORE, &m_pHost->GetProperty()));
    // A Write that copied nothing (the property mutex not had) hands nothing over: the settings
    // program would show a zeroed record and could save it back.
    if (m_pPropManager && m_pPropManager->Create() && m_pPropManager->Write())
        return TRUE;
    OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"CZvCoreDlg::CreatePropManager() failed: nothing handed over.\r\n");
    DeletePropManager();
    return FALSE;
}

BOOL CPropExchange::ReadPropManager() noexcept
{
    DeletePropManager();
    try {
        // Into a copy: only a whole record that has been made sound replaces the running one.
        PROPERTY_SET& propRunning = m_pHost->GetProperty();
        PROPERTY_SET prop = propRunning;
        CSharedMemPropManager mngr(SENDER_CORE, &prop);
        if (!mngr.Open() || !mngr.Read())
            return FALSE;
        // The window handles in the blocks are another program's word: the bars are our own.
        m_pHost->SetOwnScrollBars(prop);
        ClampPropertyValues(prop);
        // The rate list does not travel; it follows View "SmoothScroll".
        MakeScrollRateList(prop);
        propRunning = std::move(prop);
        return TRUE;
    } catch (const std::bad_alloc&) {
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"CZvCoreDlg::ReadPropManager() could not allocate the record.\r\n");
        return FALSE;
    }
}

void CPropExchange::DeletePropManager() noexcept
{
    m_pPropManager.reset();
}

void CPropExchange::BeginPropertySession(HANDLE hProcess) noexcept
{
    m_bPropertyActive = TRUE;
    m_bPropEnding = FALSE;
    m_hWndPropSheet = nullptr;
    m_hPropProcess.reset(hProcess);
    const PROP_TIMER& timer = m_pHost->GetProperty().propTimer;
    // The hand-over's limit: the sheet must be announced within the alive period.
    m_pHost->DeleteTmrItem(m_nTmrPropAlive);
    m_nTmrPropAlive = m_pHost->AddStartedTmrItem(MSG_TMR_PROP_ALIVE, timer.dwPropertyProcessAliveDetect);
    m_pHost->DeleteTmrItem(m_nTmrPropDead);
    m_nTmrPropDead = m_pHost->AddStartedTmrItem(MSG_TMR_PROP_DEAD, timer.dwPropertyProcessDeadDetect);
}

void CPropExchange::EndPropertySession() noexcept
{
    m_pHost->DeleteTmrItem(m_nTmrPropAlive);
    m_pHost->DeleteTmrItem(m_nTmrPropDead);
    DeletePropManager();
    m_hPropProcess.reset();
    m_hWndPropSheet = nullptr;
    m_bPropEnding = FALSE;
    m_bPropertyActive = FALSE;
    EndKeyCapture();
    // An end under way has taken every hook off for good.
    if (!IsEnding())
        m_pHost->ResumeCbtHook();
}

void CPropExchange::EndWithWindow() noexcept
{
    // The settings program's sheet closes with us; what it would apply then finds no core.
    if (m_hWndPropSheet && IsWindow(m_hWndPropSheet))
        PostMessageW(m_hWndPropSheet, WM_CLOSE, 0, 0);
    DeletePropManager();
    m_hPropProcess.reset();
    m_pHost->DeleteTmrItem(m_nTmrPropAlive);
    m_pHost->DeleteTmrItem(m_nTmrPropDead);
}

void CPropExchange::OnProperty() noexcept
{
    if (m_bPropertyActive || IsEnding())
        return;
    if (!CreatePropManager())
        return;
    std::wstring strDir;
    HANDLE hProcess = nullptr;
    std::wstring strProgram;
    if (SearchFileDir(ZV_CORE64_FILE, strDir)) {
        strProgram = strDir + ZV_PROPERTY64_FILE;
        const std::wstring strArgs = PropWatch::BuildArgs(m_pHost->GetLogOptions(), m_nPropPage, m_pHost->GetWnd());
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"プロパティ : 設定プログラムを起動します : %s%s\r\n",
                  strProgram.c_str(), strArgs.c_str());
        // Suspended first: the settings program may read the blocks before this call returns.
        m_pHost->SuspendForProperty();
        hProcess = StartProcess(strProgram.c_str(), strDir.c_str(), strArgs.c_str());
    }
    if (!hProcess) {
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"CZvCoreDlg::OnProperty() cannot start %s, code = 0x%x.\r\n",
                  strProgram.empty() ? ZV_PROPERTY64_FILE : strProgram.c_str(), static_cast<unsigned>(GetLastError()));
        DeletePropManager();
        if (!IsEnding())
            m_pHost->ResumeCbtHook();
        return;
    }
    BeginPropertySession(hProcess);
}

LRESULT CPropExchange::OnPropStart(WPARAM, LPARAM) noexcept
{
    // The settings program posts this once it holds its mutex. Another program's post would have
    // the blocks made for a hand-over that the dead check ends at its first tick.
    if (m_bPropertyActive || IsEnding() || !IsPropertyProgramRunning()) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnPropStart() ignored, active = %d, end state = %d.\r\n",
                  m_bPropertyActive, m_pHost->GetEndState());
        return 0;
    }
    // Without blocks the settings program's wait for the Write End event runs out, and it ends.
    if (!CreatePropManager())
        return 0;
    m_pHost->SuspendForProperty();
    BeginPropertySession(nullptr);
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"プロパティ : 設定を設定プログラムに渡しました.\r\n");
    m_evtWriteEnd.SetEvent();
    return 0;
}

LRESULT CPropExchange::OnPropWnd(WPARAM wParam, LPARAM) noexcept
{
    // Only the sheet of a hand-over under way, and only a window of another program.
    const HWND hWnd = reinterpret_cast<HWND>(wParam);
    DWORD dwPid = 0;
    if (!m_pPropManager || !hWnd || !IsWindow(hWnd) || !GetWindowThreadProcessId(hWnd, &dwPid) ||
        dwPid == GetCurrentProcessId()) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnPropWnd() refused 0x%x, blocks = %d.\r\n",
                  LogHandle(hWnd), m_pPropManager != nullptr);
        return 0;
    }
    m_hWndPropSheet = hWnd;
    // The settings program holds its own copy now; from here its sheet tells that it lives.
    DeletePropManager();
    m_pHost->DeleteTmrItem(m_nTmrPropAlive);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnPropWnd() sheet = 0x%x.\r\n", LogHandle(hWnd));
    return 0;
}

LRESULT CPropExchange::OnPropPage(WPARAM wParam, LPARAM) noexcept
{
    const int nPage = PropWatch::PageIndexOf(wParam);
    if (nPage < 0) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnPropPage() refused page 0x%x.\r\n",
                  static_cast<unsigned>(wParam));
        return 0;
    }
    m_nPropPage = nPage;
    return 0;
}

LRESULT CPropExchange::OnPropAlive(WPARAM, LPARAM) noexcept
{
    // The hand-over's limit begins anew; once the sheet is known, the sheet itself tells.
    if (m_bPropertyActive && m_nTmrPropAlive) {
        m_pHost->DeleteTmrItem(m_nTmrPropAlive);
        m_nTmrPropAlive = m_pHost->AddStartedTmrItem(MSG_TMR_PROP_ALIVE,
                                                     m_pHost->GetProperty().propTimer.dwPropertyProcessAliveDetect);
    }
    return 0;
}

LRESULT CPropExchange::OnTmrPropAlive(WPARAM, LPARAM) noexcept
{
    m_pHost->DeleteTmrItem(m_nTmrPropAlive);
    if (!m_bPropertyActive || m_hWndPropSheet)
        return 0;
    // The settings program never took the settings: the hand-over is given up, and the window
    // events come back rather than stay off with nobody to bring them back.
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE,
              L"プロパティ : 設定プログラムが設定を受け取らないため、受け渡しを止めます.\r\n");
    EndPropertySession();
    return 0;
}

LRESULT CPropExchange::OnPropApply(WPARAM wParam, LPARAM lParam) noexcept
{
    // Only the settings program of the exchange under way hands settings over: blocks that any
    // program made are not read, applied and saved outside one.
    if (!m_bPropertyActive || m_bPropEnding) {
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE,
                  L"CZvCoreDlg::OnPropApply() refused (%d, %d): no settings exchange under way.\r\n",
                  static_cast<int>(wParam), static_cast<int>(lParam));
        m_evtReadFail.SetEvent();
        return 0;
    }
    BOOL bRead = TRUE;
    if (wParam != 0) {
        bRead = ReadPropManager();
        if (bRead) {
            m_pHost->ApplyProperty();
            if (!SaveProperty(m_pHost->GetProperty()))
                OutputLog(LOG_LEVEL_ERROR, SENDER_CORE,
                          L"CZvCoreDlg::OnPropApply() the registry did not take every value.\r\n");
            OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"プロパティ : 設定を適用しました.\r\n");
        } else {
            // A record read in part, or not at all, is neither applied nor saved.
            OutputLog(LOG_LEVEL_ERROR, SENDER_CORE,
                      L"CZvCoreDlg::OnPropApply() could not read the settings blocks: nothing applied.\r\n");
        }
    }
    // A final apply whose blocks could not be read does not end the exchange: the settings program
    // tells the user, whose sheet stays open to try again.
    if (lParam != 0 && bRead) {
        // The settings program is ending. A move waiting between passes goes on: its smooth-step
        // item stays as it is. Marked before the answer, so that its sheet, which goes only after
        // the answer, is never taken for a lost one.
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"プロパティ : 設定プログラムが終了します (適用 = %d).\r\n",
                  wParam != 0);
        m_bPropEnding = TRUE;
        EndKeyCapture();
        m_pHost->DeleteTmrItem(m_nTmrPropAlive);
        m_pHost->QuietForPropertyEnd();
        // The dead check has run since the hand-over; it now waits for the program itself to go.
        if (!m_nTmrPropDead)
            m_nTmrPropDead = m_pHost->AddStartedTmrItem(MSG_TMR_PROP_DEAD,
                                                        m_pHost->GetProperty().propTimer.dwPropertyProcessDeadDetect);
    }
    // The settings program waits for one of the two (also without new settings): it tells the user
    // of settings that did not arrive.
    if (bRead)
        m_evtReadEnd.SetEvent();
    else
        m_evtReadFail.SetEvent();
    return 0;
}

LRESULT CPropExchange::OnTmrPropDead(WPARAM, LPARAM) noexcept
{
    if (!m_bPropertyActive) {
        m_pHost->DeleteTmrItem(m_nTmrPropDead);
        return 0;
    }
    PropWatch::PROGRAM_STATE st{};
    st.bMutex = IsPropertyProgramRunning();
    st.bProcessAlive = m_hPropProcess && WaitForSingleObject(m_hPropProcess.get(), 0) == WAIT_TIMEOUT;
    st.bSheetKnown = m_hWndPropSheet != nullptr;
    st.bSheetAlive = st.bSheetKnown && IsWindow(m_hWndPropSheet);
    st.bEnding = m_bPropEnding != FALSE;
    if (!PropWatch::IsGone(st))
        return 0;
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"プロパティ : 設定プログラムが終了しました.\r\n");
    EndPropertySession();
    return 0;
}

LRESULT CPropExchange::OnKeybdForward(WPARAM wParam, LPARAM) noexcept
{
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    // Only the settings program of the exchange under way captures keys; any other request ends
    // the capture before it, as 0 does (a window of our own would also send every key round our
    // own queue).
    const HWND hWndSheet = m_bPropertyActive && !m_bPropEnding ? m_hWndPropSheet : nullptr;
    if (hWnd && !IsExchangeWindow(hWnd, hWndSheet)) {
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE,
                  L"CZvCoreDlg::OnKeybdForward() refused 0x%x: no window of the settings program under way.\r\n",
                  LogHandle(hWnd));
        hWnd = nullptr;
    }
    m_hWndKeyCapture = hWnd;
    // The keys must come while a capture lasts, also when no key row of ours wants the hook (the
    // page may have just enabled a row the core does not know of yet). An ending core keeps its
    // hooks off.
    if (!IsEnding())
        m_pHost->UpdateKeybdHook();
    return 0;
}

BOOL CPropExchange::ForwardKey(WPARAM wParam, LPARAM lParam) noexcept
{
    if (!IsKeyCaptureLive())
        return FALSE;
    PostMessageW(m_hWndKeyCapture, MSG_HOOK_KEYBD, wParam, lParam);
    return TRUE;
}

BOOL CPropExchange::IsKeyCaptureLive() noexcept
{
    if (!m_hWndKeyCapture)
        return FALSE;
    if (m_bPropertyActive && !m_bPropEnding && IsExchangeWindow(m_hWndKeyCapture, m_hWndPropSheet))
        return TRUE;
    EndKeyCapture();
    return FALSE;
}

void CPropExchange::EndKeyCapture() noexcept
{
    if (!m_hWndKeyCapture)
        return;
    m_hWndKeyCapture = nullptr;
    if (!IsEnding())
        m_pHost->UpdateKeybdHook();
}
