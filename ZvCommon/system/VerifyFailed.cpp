#include "VerifyFailed.h"

#include <atomic>

#include "Path.h"
#include "Strings.h"

namespace {

std::wstring GetSystemErrorText(DWORD dwError)
{
    // IGNORE_INSERTS: a system text with "%1" in it would otherwise make the call fail.
    LPWSTR pszBuf = nullptr;
    DWORD nLen = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, dwError, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                reinterpret_cast<LPWSTR>(&pszBuf), 0, nullptr);
    std::wstring str;
    if (nLen && pszBuf)
        str.assign(pszBuf, nLen);
    if (pszBuf)
        LocalFree(pszBuf);
    // The system text ends with a line break of its own; the box adds one already.
    while (!str.empty() && (str.back() == L'\n' || str.back() == L'\r' || str.back() == L' '))
        str.pop_back();
    return str;
}

std::atomic<VERIFY_SAVE_PROC> g_pfnVerifySave{nullptr};
std::atomic<void*> g_pVerifySaveContext{nullptr};
std::atomic<DWORD> g_dwVerifySaveThread{0};
std::atomic<bool> g_bVerifySaveRun{false};

} // namespace

void SetVerifyFailedSave(VERIFY_SAVE_PROC pfnSave, void* pContext)
{
    g_pfnVerifySave = nullptr;
    g_pVerifySaveContext = pContext;
    g_dwVerifySaveThread = GetCurrentThreadId();
    g_bVerifySaveRun = false;
    g_pfnVerifySave = pfnSave;
}

BOOL RunVerifyFailedSave()
{
    const VERIFY_SAVE_PROC pfnSave = g_pfnVerifySave.load();
    if (!pfnSave || g_dwVerifySaveThread.load() != GetCurrentThreadId() || g_bVerifySaveRun.exchange(true))
        return FALSE;
    pfnSave(g_pVerifySaveContext.load());
    return TRUE;
}

std::wstring GetVerifyFailedText(LPCWSTR pszExpr, LPCWSTR pszFile, int nLine, DWORD dwError)
{
    const std::wstring strReason = GetSystemErrorText(dwError);
    return FormatString(L"ファイル %s の %d 行目で以下の呼出が失敗しました.\n\n式  ： %s\n\n理由： %s\nエラーコード： %d\n",
                        pszFile ? pszFile : L"", nLine, pszExpr ? pszExpr : L"", strReason.c_str(),
                        static_cast<int>(dwError));
}

void VerifyFailed(LPCWSTR pszExpr, LPCWSTR pszFile, int nLine, DWORD dwError)
{
    RunVerifyFailedSave();
    const std::wstring strText = GetVerifyFailedText(pszExpr, pszFile, nLine, dwError);
    const std::wstring strCaption = GetModuleFilePath(nullptr);
    MessageBoxW(nullptr, strText.c_str(), strCaption.c_str(), MB_SETFOREGROUND | MB_TASKMODAL | MB_ICONWARNING);
    ExitProcess(1);
}
