// The gateway's command-line parser: the shared log options and the caller's number.
#pragma once

#include <windows.h>

#include "CmdLineOption.h"
#include "CommandLine.h"

class CZvHook32to64CommandLineInfo : public CCommandLineInfo {
public:
    CZvHook32to64CommandLineInfo(CMDLINE_OPTION_SET* pOpt, int* pnCaller) : m_pOpt(pOpt), m_pnCaller(pnCaller) {}

    // Flag parameters name options; every parameter then goes on to the base.
    void ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast) override;

private:
    CMDLINE_OPTION_SET* m_pOpt;
    int* m_pnCaller;
};
