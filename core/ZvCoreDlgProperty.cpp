// CZvCoreDlg: the settings exchange with the settings program. The core hands its settings over
// through the eight settings blocks (started from the tray menu, or asked for by a settings program
// the user started), keeps its window-event hook off while the settings program is active, takes
// each apply back (read, applied, saved), and watches the settings program until it has gone.
#include "ZvCoreDlg.h"

#include <new>
#include <string>

#include "LogManager.h"
#include "ProcessLaunch.h"
#include "PropWatch.h"
#include "PropertyRegistry.h"
#include "Sender.h"
#include "SharedMemPropManager.h"
#include "Strings.h"
#include "WndUtil.h"
#include "ZvCoreApp.h"
#include "ZvMessages.h"
#include "ZvNames.h"
#include "resource.h"

namespace {

// The settings program holds its mutex from its start to its end. Every tick of the dead check
// asks: the name is loaded once.
bool IsPropertyProgramRunning()
{
    static const std::wstring s_strPropMutex = LoadResString(IDS_ZV_PROP_MUTEX);
    return IsMutexExist(s_strPropMutex.c_str()) != FALSE;
}

}  // namespace

void CZvCoreDlg::PROCESS_CLOSER::operator()(HANDLE h) const noexcept
{
    CloseHandle(h);
}

BOOL CZvCoreDlg::CreatePropManager() noexcept
{
    DeletePropManager();
    m_pPropManager.reset(new (std::nothrow) CSharedMemPropManager(SENDER_CORE, &m_prop));
    // A Write that copied nothing (the property mutex not had) hands nothing over: the settings
    // program would show a zeroed record and could save it back.
    if (m_pPropManager && m_pPropManager->Create() && m_pPropManager->Write())
        return TRUE;
    OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"CZvCoreDlg::CreatePropManager() failed: nothing handed over.\r\n");
    DeletePropManager();
    return FALSE;
}

BOOL CZvCoreDlg::ReadPropManager() noexcept
{
    DeletePropManager();
    try {
        // Into a copy: only a whole record that has been made sound replaces the running one.
        PROPERTY_SET prop = m_prop;
        CSharedMemPropManager mngr(SENDER_CORE, &prop);
        if (!mngr.Open() || !mngr.Read())
            return FALSE;
        // The window handles in the blocks are another program's word: the bars are our own.
        SetScrollBarWnds(prop, m_hWndBarH, m_hWndBarV);
        ClampPropertyValues(prop);
        // The rate list does not travel; it follows View "SmoothScroll".
        MakeScrollRateList(prop);
        m_prop = std::move(prop);
        return TRUE;
    } catch (const std::bad_alloc&) {
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"CZvCoreDlg::ReadPropManager() could not allocate the record.\r\n");
        return FALSE;
    }
}

void CZvCoreDlg::DeletePropManager() noexcept
{
    m_pPropManager.reset();
}

void CZvCoreDlg::BeginPropertySession(HANDLE hProcess) noexcept
{
    m_bPropertyActive = TRUE;
    m_bPropEnding = FALSE;
    m_hWndPropSheet = nullptr;
    m_hPropProcess.reset(hProcess);
    // The hand-over's limit: the sheet must be announced within the alive period.
    DeleteTmrItem(m_nTmrPropAlive);
    m_nTmrPropAlive = AddStartedTmrItem(MSG_TMR_PROP_ALIVE, m_prop.propTimer.dwPropertyProcessAliveDetect);
    DeleteTmrItem(m_nTmrPropDead);
    m_nTmrPropDead = AddStartedTmrItem(MSG_TMR_PROP_DEAD, m_prop.propTimer.dwPropertyProcessDeadDetect);
}

void CZvCoreDlg::EndPropertySession() noexcept
{
    DeleteTmrItem(m_nTmrPropAlive);
    DeleteTmrItem(m_nTmrPropDead);
    DeletePropManager();
    m_hPropProcess.reset();
    m_hWndPropSheet = nullptr;
    m_bPropEnding = FALSE;
    m_bPropertyActive = FALSE;
    EndKeyCapture();
    // An end under way has taken every hook off for good.
    if (m_nEndState == END_STATE_RUNNING)
        SetCbtHook(TRUE);
}

void CZvCoreDlg::OnProperty() noexcept
{
    if (m_bPropertyActive || m_nEndState != END_STATE_RUNNING)
        return;
    if (!CreatePropManager())
        return;
    std::wstring strDir;
    HANDLE hProcess = nullptr;
    std::wstring strProgram;
    if (SearchFileDir(ZV_CORE64_FILE, strDir)) {
        strProgram = strDir + ZV_PROPERTY64_FILE;
        std::wstring strLogOptions;
        if (CZvCoreApp* pApp = GetCoreApp())
            GetLogOptionString(pApp->GetOptions(), strLogOptions);
        const std::wstring strArgs = PropWatch::BuildArgs(strLogOptions, m_nPropPage, m_hWnd);
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"プロパティ : 設定プログラムを起動します : %s%s\r\n", strProgram.c_str(),
                  strArgs.c_str());
        // Suspended first: the settings program may read the blocks before this call returns.
        SuspendForProperty();
        hProcess = StartProcess(strProgram.c_str(), strDir.c_str(), strArgs.c_str());
    }
    if (!hProcess) {
        OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"CZvCoreDlg::OnProperty() cannot start %s, code = 0x%x.\r\n",
                  strProgram.empty() ? ZV_PROPERTY64_FILE : strProgram.c_str(), static_cast<unsigned>(GetLastError()));
        DeletePropManager();
        if (m_nEndState == END_STATE_RUNNING)
            SetCbtHook(TRUE);
        return;
    }
    BeginPropertySession(hProcess);
}

LRESULT CZvCoreDlg::OnPropStart(WPARAM, LPARAM) noexcept
{
    // The settings program posts this once it holds its mutex. Another program's post would have
    // the blocks made for a hand-over that the dead check ends at its first tick.
    if (m_bPropertyActive || m_nEndState != END_STATE_RUNNING || !IsPropertyProgramRunning()) {
        OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnPropStart() ignored, active = %d, end state = %d.\r\n",
                  m_bPropertyActive, m_nEndState);
        return 0;
    }
    // Without blocks the settings program's wait for the Write End event runs out, and it ends.
    if (!CreatePropManager())
        return 0;
    SuspendForProperty();
    BeginPropertySession(nullptr);
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"プロパティ : 設定を設定プログラムに渡しました.\r\n");
    m_evtWriteEnd.SetEvent();
    return 0;
}

LRESULT CZvCoreDlg::OnPropWnd(WPARAM wParam, LPARAM) noexcept
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
    DeleteTmrItem(m_nTmrPropAlive);
    OutputLog(LOG_LEVEL_DEBUG, SENDER_CORE, L"CZvCoreDlg::OnPropWnd() sheet = 0x%x.\r\n", LogHandle(hWnd));
    return 0;
}

LRESULT CZvCoreDlg::OnPropPage(WPARAM wParam, LPARAM) noexcept
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

LRESULT CZvCoreDlg::OnPropAlive(WPARAM, LPARAM) noexcept
{
    // The hand-over's limit begins anew; once the sheet is known, the sheet itself tells.
    if (m_bPropertyActive && m_nTmrPropAlive) {
        DeleteTmrItem(m_nTmrPropAlive);
        m_nTmrPropAlive = AddStartedTmrItem(MSG_TMR_PROP_ALIVE, m_prop.propTimer.dwPropertyProcessAliveDetect);
    }
    return 0;
}

LRESULT CZvCoreDlg::OnTmrPropAlive(WPARAM, LPARAM) noexcept
{
    DeleteTmrItem(m_nTmrPropAlive);
    if (!m_bPropertyActive || m_hWndPropSheet)
        return 0;
    // The settings program never took the settings: the hand-over is given up, and the window
    // events come back rather than stay off with nobody to bring them back.
    OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"プロパティ : 設定プログラムが設定を受け取らないため、受け渡しを止めます.\r\n");
    EndPropertySession();
    return 0;
}

LRESULT CZvCoreDlg::OnPropApply(WPARAM wParam, LPARAM lParam) noexcept
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
            ApplyProperty();
            if (!SaveProperty(m_prop))
                OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"CZvCoreDlg::OnPropApply() the registry did not take every value.\r\n");
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
        OutputLog(LOG_LEVEL_INFO, SENDER_CORE, L"プロパティ : 設定プログラムが終了します (適用 = %d).\r\n", wParam != 0);
        m_bPropEnding = TRUE;
        EndKeyCapture();
        DeleteTmrItem(m_nTmrPropAlive);
        CloseWheelBursts();
        StopAutoScroll();
        ResetIgnoreActivateCount();
        // The dead check has run since the hand-over; it now waits for the program itself to go.
        if (!m_nTmrPropDead)
            m_nTmrPropDead = AddStartedTmrItem(MSG_TMR_PROP_DEAD, m_prop.propTimer.dwPropertyProcessDeadDetect);
    }
    // The settings program waits for one of the two (also without new settings): it tells the user
    // of settings that did not arrive.
    if (bRead)
        m_evtReadEnd.SetEvent();
    else
        m_evtReadFail.SetEvent();
    return 0;
}

void CZvCoreDlg::SaveOnFailedCheck(void* pDlg) noexcept
{
    auto* pThis = static_cast<CZvCoreDlg*>(pDlg);
    if (!pThis || pThis->m_bPropReleased)
        return;
    OutputLog(LOG_LEVEL_ERROR, SENDER_CORE, L"CZvCoreDlg::SaveOnFailedCheck() a failed check ends the program: settings saved.\r\n");
    SaveProperty(pThis->m_prop);
}

LRESULT CZvCoreDlg::OnTmrPropDead(WPARAM, LPARAM) noexcept
{
    if (!m_bPropertyActive) {
        DeleteTmrItem(m_nTmrPropDead);
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
