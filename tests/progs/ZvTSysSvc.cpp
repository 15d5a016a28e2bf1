// ZvTSysSvc.exe: runs one system service of the shared foundation for the end-to-end tests and
// reports through its exit code.
//
//   /VERIFY                      a failing call checked with ZV_VERIFY: the box, then exit code 1
//   /EXEC=prog [/WAIT=ms] [/ARGS=text] [/NOCODE]
//                                ExecProcess(prog, this folder, text, ms, &code or null); a bare
//                                file name lies in this folder. Exit code: 0x10000 when it returned
//                                TRUE, or'ed with the low 16 bits of the child's exit code.
//   /IMMIGRATE                   ImmigrateRegistry(); exit code 0x20000 | result
//   /SLEEP=ms /EXIT=n            pause, then end with n (default 3, also for unknown arguments,
//                                so that this program standing in for a tool reports a failure)
#include <windows.h>

#include <string>
#include <vector>

#include "CommandLine.h"
#include "Path.h"
#include "ProcessLaunch.h"
#include "VerifyFailed.h"

namespace {

bool TakeValue(const std::wstring& strArg, const wchar_t* pszName, std::wstring& strValue)
{
    const std::wstring strPrefix = std::wstring(L"/") + pszName + L"=";
    if (strArg.rfind(strPrefix, 0) != 0)
        return false;
    strValue = strArg.substr(strPrefix.size());
    return true;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR lpCmdLine, int)
{
    const std::wstring strSelf = GetModuleFilePath(nullptr);
    const std::wstring strDir = strSelf.substr(0, strSelf.find_last_of(L'\\') + 1);

    bool bVerify = false, bImmigrate = false, bExec = false, bNoCode = false;
    std::wstring strProgram, strArgs, strValue;
    DWORD dwWait = 0, dwSleep = 0;
    int nExit = 3;
    for (const std::wstring& strArg : SplitCommandLine(lpCmdLine, FALSE)) {
        if (strArg == L"/VERIFY")
            bVerify = true;
        else if (strArg == L"/IMMIGRATE")
            bImmigrate = true;
        else if (strArg == L"/NOCODE")
            bNoCode = true;
        else if (TakeValue(strArg, L"EXEC", strValue))
            bExec = true, strProgram = strValue;
        else if (TakeValue(strArg, L"ARGS", strValue))
            strArgs = strValue;
        else if (TakeValue(strArg, L"WAIT", strValue))
            dwWait = wcstoul(strValue.c_str(), nullptr, 10);
        else if (TakeValue(strArg, L"SLEEP", strValue))
            dwSleep = wcstoul(strValue.c_str(), nullptr, 10);
        else if (TakeValue(strArg, L"EXIT", strValue))
            nExit = static_cast<int>(wcstol(strValue.c_str(), nullptr, 10));
    }

    if (bVerify)
        ZV_VERIFY(CloseHandle(nullptr));
    if (bImmigrate)
        return 0x20000 | (ImmigrateRegistry() ? 1 : 0);
    if (bExec) {
        if (strProgram.find(L'\\') == std::wstring::npos)
            strProgram = strDir + strProgram;
        DWORD dwCode = 0xFFFF;
        const BOOL bResult =
            ExecProcess(strProgram.c_str(), strDir.c_str(), strArgs.c_str(), dwWait, bNoCode ? nullptr : &dwCode);
        return (bResult ? 0x10000 : 0) | static_cast<int>(dwCode & 0xFFFF);
    }
    if (dwSleep)
        Sleep(dwSleep);
    return nExit;
}
