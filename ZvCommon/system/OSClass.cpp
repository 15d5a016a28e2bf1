#include "OSClass.h"

#include <atomic>

#include "Strings.h"

namespace {

std::atomic<int> g_nOSClassOverride{-1};
std::atomic<PFN_GETANCESTOR> g_pfnGetAncestor{nullptr};
std::atomic<PFN_CHANGEWINDOWMESSAGEFILTER> g_pfnChangeWindowMessageFilter{nullptr};

int DefaultBox(LPCWSTR pszText, LPCWSTR pszCaption, UINT uType)
{
    return ShowMessageBox(pszText, pszCaption, uType, nullptr);
}

} // namespace

const OS_CLASS_ROW g_aOSClassRow[7] = {
    {1, 1, 0, 0}, {2, 1, 0, 0}, {3, 1, 0, 0}, {4, 1, 0, 0}, {5, 1, 0, 0}, {6, 1, 0, 0}, {7, 1, 0, 1},
};

int GetOSClassOf(DWORD dwPlatformId, DWORD dwMajorVersion, DWORD dwMinorVersion)
{
    if (dwPlatformId != VER_PLATFORM_WIN32_NT)
        return 0;
    // Widened so that a huge major number cannot wrap into a small v.
    const unsigned long long v = dwMajorVersion * 10ull + dwMinorVersion;
    switch (v) {
    case 50: return 1;
    case 51: return 2;
    case 60: return 3;
    case 61: return 4;
    case 62: return 5;
    case 63: return 6;
    default: return v >= 64 ? 7 : 0;
    }
}

int GetOSClass()
{
    const int nOverride = g_nOSClassOverride.load();
    if (nOverride >= 0)
        return nOverride;
    OSVERSIONINFOEXW osvi{};
    osvi.dwOSVersionInfoSize = sizeof(osvi);
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&osvi)))
        return 0;
    return GetOSClassOf(osvi.dwPlatformId, osvi.dwMajorVersion, osvi.dwMinorVersion);
}

void SetOSClassOverride(int nOSClass)
{
    g_nOSClassOverride.store(nOSClass < 0 ? -1 : nOSClass);
}

const OS_CLASS_ROW* FindOSClassRow(int nOSClass)
{
    for (const OS_CLASS_ROW& row : g_aOSClassRow) {
        if (row.nOSClass == nOSClass)
            return &row;
    }
    return nullptr;
}

BOOL IsNt6ShellOSClass(int nOSClass) noexcept
{
    return nOSClass == 3 || nOSClass == 4 || nOSClass == 6 || nOSClass == 7;
}

BOOL IsMsgFilterOSClass(int nOSClass)
{
    return IsNt6ShellOSClass(nOSClass);
}

OS_CHECK_STEP GetOSCheckStep(int nOSClass, BOOL bAllowExecOnNewerOS)
{
    const OS_CLASS_ROW* pRow = FindOSClassRow(nOSClass);
    if (!pRow)
        return OS_CHECK_STEP::Refuse;
    if (!bAllowExecOnNewerOS && pRow->bAskBeforeRun)
        return OS_CHECK_STEP::AskNewer;
    return OS_CHECK_STEP::Run;
}

BOOL CheckOSAndLoadUser32(LPCWSTR pszCaption, HMODULE* phUser32, BOOL* pbAllowExecOnNewerOS,
                          OS_CHECK_BOX_PROC pfnBox)
{
    if (!pfnBox)
        pfnBox = DefaultBox;
    const int nOSClass = GetOSClass();
    const BOOL bAllow = pbAllowExecOnNewerOS ? *pbAllowExecOnNewerOS : FALSE;

    switch (GetOSCheckStep(nOSClass, bAllow)) {
    case OS_CHECK_STEP::Refuse:
        pfnBox(OS_CHECK_REFUSE_TEXT, pszCaption, MB_OK | MB_ICONERROR);
        return FALSE;
    case OS_CHECK_STEP::AskNewer:
        if (pfnBox(OS_CHECK_ASK_TEXT, pszCaption, MB_YESNO | MB_ICONINFORMATION) != IDYES)
            return FALSE;
        if (pbAllowExecOnNewerOS)
            *pbAllowExecOnNewerOS = TRUE;
        break;
    case OS_CHECK_STEP::Run:
        break;
    }

    if (!phUser32)
        return TRUE;

    // A repeated check must not leave a function of an earlier check behind (class 5 has none).
    g_pfnGetAncestor = nullptr;
    g_pfnChangeWindowMessageFilter = nullptr;

    *phUser32 = LoadLibraryW(L"User32.dll");
    bool bOk = *phUser32 != nullptr;
    if (bOk) {
        auto pfnGetAncestor = reinterpret_cast<PFN_GETANCESTOR>(GetProcAddress(*phUser32, "GetAncestor"));
        bOk = pfnGetAncestor != nullptr;
        g_pfnGetAncestor = pfnGetAncestor;
    }
    if (bOk && IsMsgFilterOSClass(nOSClass)) {
        auto pfnFilter = reinterpret_cast<PFN_CHANGEWINDOWMESSAGEFILTER>(
            GetProcAddress(*phUser32, "ChangeWindowMessageFilter"));
        bOk = pfnFilter != nullptr;
        g_pfnChangeWindowMessageFilter = pfnFilter;
    }
    if (bOk)
        return TRUE;

    const DWORD dwError = GetLastError();
    FreeUser32(phUser32);
    const std::wstring strText = FormatString(OS_CHECK_LOAD_FAILED_FORMAT, L"User32.dll", dwError);
    pfnBox(strText.c_str(), pszCaption, MB_OK | MB_ICONERROR);
    return FALSE;
}

void FreeUser32(HMODULE* phUser32)
{
    g_pfnGetAncestor = nullptr;
    g_pfnChangeWindowMessageFilter = nullptr;
    if (phUser32 && *phUser32) {
        FreeLibrary(*phUser32);
        *phUser32 = nullptr;
    }
}

PFN_GETANCESTOR GetAncestorProc()
{
    return g_pfnGetAncestor.load();
}

PFN_CHANGEWINDOWMESSAGEFILTER ChangeWindowMessageFilterProc()
{
    return g_pfnChangeWindowMessageFilter.load();
}

BOOL ChangeWndMsgFilter(UINT uMessage, DWORD dwAction)
{
    PFN_CHANGEWINDOWMESSAGEFILTER pfn = g_pfnChangeWindowMessageFilter.load();
    return pfn ? pfn(uMessage, dwAction) : 0;
}
