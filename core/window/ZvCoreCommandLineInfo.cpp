#include "ZvCoreCommandLineInfo.h"

void CZvCoreCommandLineInfo::ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast)
{
    // The newer-OS permission is the OS check's answer, never a start option of this program.
    if (bFlag && m_pOpt && pszParam)
        ParseCmdLineOptionParam(*m_pOpt, pszParam, CLO_CORE);
    CCommandLineInfo::ParseParam(pszParam, bFlag, bLast);
}
