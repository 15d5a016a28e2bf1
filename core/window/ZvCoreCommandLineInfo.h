// The core program's command-line parser: fills the program's option record.
#pragma once

#include <windows.h>

#include "CmdLineOption.h"
#include "CommandLine.h"

class CZvCoreCommandLineInfo : public CCommandLineInfo {
public:
    explicit CZvCoreCommandLineInfo(CMDLINE_OPTION_SET* pOpt) : m_pOpt(pOpt) {}

    // Flag parameters name options; every parameter then goes on to the base.
    void ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast) override;

private:
    CMDLINE_OPTION_SET* m_pOpt;
};
