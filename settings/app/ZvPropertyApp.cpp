#include "ZvPropertyApp.h"

#include <commctrl.h>

#include <cwctype>
#include <new>
#include <vector>

#include "LogManager.h"
#include "OSClass.h"
#include "ProcessLaunch.h"
#include "PropertyRegistry.h"
#include "Sender.h"
#include "Strings.h"
#include "SysReport.h"
#include "VerifyFailed.h"
#include "WndFilter.h"
#include "ZvImgNm64.h"
#include "ZvMessages.h"
#include "ZvNames.h"
#include "ZvPropertyCommandLineInfo.h"
#include "ZvPropertySheet.h"
#include "resource.h"

namespace {

// The failed-check reports of the two waits name the program's own source and place.
constexpr wchar_t kVerifyFile[] = L"ZvProperty";
constexpr int kVerifyLineWriteEnd = 260;

// The image name buffer of the core check: 512 units, at most 511 of them read.
constexpr int kImageNameMax = 511;

} // namespace

std::wstring_view GetFileNamePart(std::wstring_view strPath)
{
    const size_t nSep = strPath.find_last_of(L"\\/");
    if (nSep == std::wstring_view::npos)
        return strPath;
    return strPath.substr(nSep + 1);
}

BOOL IsCoreImageName(std::wstring_view strPath)
{
    const std::wstring_view strName = GetFileNamePart(strPath);
    const std::wstring_view strCore(ZV_CORE64_FILE);
    if (strName.empty() || strName.size() != strCore.size())
        return FALSE;
    for (size_t i = 0; i < strName.size(); ++i) {
        if (std::towlower(strName[i]) != std::towlower(strCore[i]))
            return FALSE;
    }
    return TRUE;
}

CZvPropertyApp* GetPropertyApp()
{
    return dynamic_cast<CZvPropertyApp*>(GetApp());
}

CZvPropertyApp::CZvPropertyApp()
{
    // Whichever of the two programs comes first creates the events; the other opens them.
    m_hEvtReadEnd.reset(CreateEventW(nullptr, TRUE, FALSE, ZV_PROP_READ_END_EVENT));
    m_hEvtReadFail.reset(CreateEventW(nullptr, TRUE, FALSE, ZV_PROP_READ_FAIL_EVENT));
    m_hEvtWriteEnd.reset(CreateEventW(nullptr, TRUE, FALSE, ZV_PROP_WRITE_END_EVENT));
}

BOOL CZvPropertyApp::InitInstance()
{
    // The pages hold trees, up-down controls, trackbars and drop-down lists.
    InitCommonControlClasses(ICC_WIN95_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES |
                             ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES);
    CWinApp::InitInstance();

    const std::wstring strAppName = LoadResString(IDS_ZV_APP_NAME);
    if (!CreateInstanceMutex(m_hMutex, strAppName, LoadResString(IDS_ZV_ERR_MUTEX), ZV_PROP_ALREADY_RUNNING_SUFFIX))
        return FALSE;

    try {
        SetRegistryKey(LoadResString(IDS_ZV_REG_KEY).c_str());
        SetProfileName(LoadResString(IDS_ZV_PROFILE).c_str());
    } catch (const std::bad_alloc&) {
        ShowMessageBox(LoadResString(IDS_ZV_ERR_PROFILE).c_str(), strAppName.c_str(), MB_ICONERROR);
        return FALSE;
    }

    CZvPropertyCommandLineInfo cmdInfo(&m_opt, &m_nStartPage, &m_hWndCore);
    ParseCommandLine(cmdInfo);
    CompleteCmdLineOptions(m_opt);

    CreateLogManager(m_opt, SENDER_PROP);
    OutputLog(LOG_LEVEL_INFO, SENDER_PROP, ZV_PROP_START_LOG);

    ImmigrateRegistry();

    // The settings program calls none of the functions looked up for the core program.
    if (!CheckOSAndLoadUser32(strAppName.c_str(), nullptr, &m_opt.bAllowExecOnNewerOS))
        return FALSE;

    if (!CheckCoreWindow())
        return FALSE;

    std::wstring strOS;
    if (GetOSVersionString(strOS, L","))
        OutputLog(LOG_LEVEL_INFO, SENDER_PROP, L"%s\r\n", strOS.c_str());

    RunSheet();
    return FALSE;
}

void CZvPropertyApp::RunSheet()
{
    CZvPropertySheet sheet(&m_propSet, ZV_PROPERTY_WND_TITLE, nullptr, m_nStartPage, m_hWndCore);
    if (!m_hWndCore) {
        LoadProperty(m_propSet);
        m_bNoCore = 1;
    } else if (!sheet.IsReadFromCore()) {
        // An empty record would reach the core program with OK: the stored settings stand in.
        OutputLog(LOG_LEVEL_ERROR, SENDER_PROP,
                  L"CZvPropertyApp::RunSheet() settings blocks not read, the registry is loaded instead.\r\n");
        ClearPropertyLists(m_propSet);
        LoadProperty(m_propSet);
    } else {
        // The Timer section does not travel in the blocks: should the sheet save the record itself
        // (the core program gone meanwhile), the tuned periods the registry holds stay.
        LoadTimerSection(m_propSet);
    }

    sheet.SetApplyEvents(m_hEvtReadEnd.get(), m_hEvtReadFail.get());
    sheet.AddPages();
    m_pMainWnd = &sheet;
    // OK and Apply store the settings themselves (the core program, or the registry); the sheet's
    // end hands the core program nothing more than was applied (Cancel, Escape, the close box).
    const INT_PTR nResult = sheet.DoModal();
    m_pMainWnd = nullptr;
    OutputLog(LOG_LEVEL_DEBUG, SENDER_PROP, L"CZvPropertyApp::RunSheet() sheet closed, result = %d.\r\n",
              static_cast<int>(nResult));
    // A sheet that never came up has had no end of its own.
    sheet.FinishWithCore();
    if (m_hWndCore && !sheet.IsCoreAlive())
        OutputLog(LOG_LEVEL_ERROR, SENDER_PROP, L"CZvPropertyApp::RunSheet() the core program has gone.\r\n");
    ClearPropertyLists(m_propSet);
}

BOOL CZvPropertyApp::CheckCoreWindow()
{
    BOOL bFromCaller = m_hWndCore != nullptr;
    // A caller that names no window is no caller: the core program is looked for as on a start
    // by the user.
    if (bFromCaller && !IsWindow(m_hWndCore)) {
        OutputLog(LOG_LEVEL_INFO, SENDER_PROP, L"CZvPropertyApp::CheckCoreWindow() CALLER %p is no window.\r\n",
                  m_hWndCore);
        m_hWndCore = nullptr;
        bFromCaller = FALSE;
    }
    if (!m_hWndCore) {
        m_hWndCore = FindWindowW(nullptr, ZV_HIDDEN_MAIN_WND_TITLE);
        if (!m_hWndCore)
            return TRUE;
    }
    if (!IsWindow(m_hWndCore)) {
        m_hWndCore = nullptr;
        return TRUE;
    }

    // The title search ignores letter case; the core program's title is matched exactly.
    const int nTitle = GetWindowTextLengthW(m_hWndCore);
    std::vector<wchar_t> title(static_cast<size_t>(nTitle > 0 ? nTitle : 0) + 1, L'\0');
    GetWindowTextW(m_hWndCore, title.data(), static_cast<int>(title.size()));
    if (std::wstring_view(title.data()) != ZV_HIDDEN_MAIN_WND_TITLE)
        return FALSE;

    std::vector<wchar_t> image(kImageNameMax + 1, L'\0');
    if (!GetImageName(m_hWndCore, image.data(), kImageNameMax) || image[0] == L'\0')
        return FALSE;
    const std::wstring_view strImage(image.data());
    if (GetFileNamePart(strImage).empty())
        return FALSE;

    // The core program that started this program has written the blocks already.
    if (bFromCaller)
        return TRUE;

    // A window of that title from another program is no core program to wait for: the
    // settings come from the registry then.
    if (!IsCoreImageName(strImage)) {
        OutputLog(LOG_LEVEL_INFO, SENDER_PROP, L"CZvPropertyApp::CheckCoreWindow() %s is no core program.\r\n",
                  image.data());
        m_hWndCore = nullptr;
        return TRUE;
    }

    if (!m_hEvtWriteEnd)
        return FALSE;
    ResetEvent(m_hEvtWriteEnd.get());
    PostMessageW(m_hWndCore, MSG_PROP_START, 0, 0);
    const DWORD dwRet = WaitForSingleObject(m_hEvtWriteEnd.get(), ZV_PROP_CORE_WAIT_MS);
    if (dwRet == WAIT_FAILED)
        VerifyFailed(L"dwRet != WAIT_FAILED", kVerifyFile, kVerifyLineWriteEnd, GetLastError());
    if (dwRet != WAIT_OBJECT_0) {
        OutputLog(LOG_LEVEL_INFO, SENDER_PROP, L"CZvPropertyApp::CheckCoreWindow() write end not signalled.\r\n");
        return FALSE;
    }
    return TRUE;
}

int CZvPropertyApp::ExitInstance()
{
    OutputLog(LOG_LEVEL_INFO, SENDER_PROP, ZV_PROP_END_LOG);
    EndLog();
    for (CHandle* phEvt : {&m_hEvtReadEnd, &m_hEvtReadFail, &m_hEvtWriteEnd})
        phEvt->reset();
    m_opt.pszLogFile.reset();
    m_opt.pszLogMode.reset();
    // Created without an owner, so there is nothing to release: closing gives the name up.
    m_hMutex.reset();
    return CWinApp::ExitInstance();
}
