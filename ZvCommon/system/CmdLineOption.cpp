#include "CmdLineOption.h"

#include <climits>
#include <cwchar>

#include "CommandLine.h"
#include "Strings.h"

namespace {

bool HasValue(const std::optional<std::wstring_view>& value)
{
    return value && !value->empty();
}

// The options that take no value, each switching one member on, in the order they are tried.
const struct {
    CMDLINE_OPTION option;
    const wchar_t* pszName;
    int CMDLINE_OPTION_SET::*pField;
} kFlags[] = {
    {CLO_SHOWSYSTEMANALYZE, CMDLINE_SHOWSYSTEMANALYZE, &CMDLINE_OPTION_SET::bShowSystemAnalyze},
    {CLO_LOGWINDOW, CMDLINE_LOGWINDOW, &CMDLINE_OPTION_SET::bLogWindow},
    {CLO_ALLOWMULTIMONITOR, CMDLINE_ALLOWMULTIMONITOR, &CMDLINE_OPTION_SET::bAllowMultiMonitor},
    {CLO_ALLOWEXECONNEWEROS, CMDLINE_ALLOWEXECONNEWEROS, &CMDLINE_OPTION_SET::bAllowExecOnNewerOS},
};

} // namespace

std::wstring FormatDefaultLogFileName(const SYSTEMTIME& st)
{
    return FormatString(L"ZvLog%04d%02d%02d.log", st.wYear, st.wMonth, st.wDay);
}

std::wstring GetDefaultLogFileName()
{
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return FormatDefaultLogFileName(st);
}

int ParseLogLevelName(std::wstring_view strValue)
{
    static const struct {
        const wchar_t* pszName;
        int nLevel;
    } kLevels[] = {{L"DEBUG", CMDLINE_LOGLEVEL_DEBUG},
                    {L"INFO", CMDLINE_LOGLEVEL_INFO},
                    {L"ERROR", CMDLINE_LOGLEVEL_ERROR},
                    {L"ALL", CMDLINE_LOGLEVEL_ALL}};
    for (const auto& level : kLevels) {
        if (strValue.find(level.pszName) != std::wstring_view::npos)
            return level.nLevel;
    }
    return CMDLINE_LOGLEVEL_DEFAULT;
}

LPCWSTR GetLogLevelName(int nLevel)
{
    switch (nLevel) {
    case CMDLINE_LOGLEVEL_DEBUG: return L"DEBUG";
    case CMDLINE_LOGLEVEL_INFO: return L"INFO";
    case CMDLINE_LOGLEVEL_ERROR: return L"ERROR";
    default: return L"ALL";
    }
}

CMDLINE_OPTION ApplyCmdLineOption(CMDLINE_OPTION_SET& opt, std::wstring_view strName,
                                  std::optional<std::wstring_view> value, UINT uAccept)
{
    auto accepted = [&](CMDLINE_OPTION option, const wchar_t* pszName) {
        return (uAccept & option) && strName == pszName;
    };

    // A flag written with "=" is not the flag: "LOGWINDOW=0" must not switch the window on.
    if (!value) {
        for (const auto& flag : kFlags) {
            if (accepted(flag.option, flag.pszName)) {
                opt.*flag.pField = 1;
                return flag.option;
            }
        }
    }
    if (accepted(CLO_LOGFILE, CMDLINE_LOGFILE)) {
        opt.pszLogFile = HasValue(value) ? std::wstring(*value) : GetDefaultLogFileName();
        return CLO_LOGFILE;
    }
    if (accepted(CLO_LOGMODE, CMDLINE_LOGMODE)) {
        opt.pszLogMode = HasValue(value) ? std::wstring(*value) : std::wstring(CMDLINE_LOGMODE_DEFAULT);
        return CLO_LOGMODE;
    }
    if (accepted(CLO_LOGLEVEL, CMDLINE_LOGLEVEL)) {
        if (HasValue(value))
            opt.nLogLevel = ParseLogLevelName(*value);
        return CLO_LOGLEVEL;
    }
    if (accepted(CLO_LOGLINE, CMDLINE_LOGLINE)) {
        if (HasValue(value)) {
            // Signed decimal with leading blanks, up to the first non-digit; out-of-range
            // readings saturate and a saturated negative is refused like any other.
            const std::wstring strNumber(*value);
            long nLine = wcstol(strNumber.c_str(), nullptr, 10);
            if (nLine > 0)
                opt.nLogLine = nLine > INT_MAX ? INT_MAX : static_cast<int>(nLine);
        }
        return CLO_LOGLINE;
    }
    return CLO_NONE;
}

CMDLINE_OPTION ParseCmdLineOptionParam(CMDLINE_OPTION_SET& opt, LPCWSTR pszParam, UINT uAccept)
{
    if (!pszParam)
        return CLO_NONE;
    const std::wstring_view strParam(pszParam);
    const size_t nEqual = strParam.find(L'=');
    if (nEqual == std::wstring_view::npos)
        return ApplyCmdLineOption(opt, strParam, std::nullopt, uAccept);
    return ApplyCmdLineOption(opt, strParam.substr(0, nEqual), strParam.substr(nEqual + 1), uAccept);
}

void CompleteCmdLineOptions(CMDLINE_OPTION_SET& opt)
{
    if (opt.pszLogFile && !opt.pszLogMode)
        opt.pszLogMode = CMDLINE_LOGMODE_DEFAULT;
}

BOOL GetLogOptionString(const CMDLINE_OPTION_SET& opt, std::wstring& strOut)
{
    strOut.clear();
    if (opt.pszLogFile && opt.pszLogMode) {
        strOut += FormatString(L" /%s=%s /%s=%s", CMDLINE_LOGFILE, QuoteCommandLineArg(*opt.pszLogFile).c_str(),
                               CMDLINE_LOGMODE, QuoteCommandLineArg(*opt.pszLogMode).c_str());
    }
    if (opt.bLogWindow)
        strOut += FormatString(L" /%s", CMDLINE_LOGWINDOW);
    if (!strOut.empty()) {
        strOut += FormatString(L" /%s=%s /%s=%d", CMDLINE_LOGLEVEL, GetLogLevelName(opt.nLogLevel),
                               CMDLINE_LOGLINE, opt.nLogLine);
    }
    if (opt.bAllowExecOnNewerOS)
        strOut += FormatString(L" /%s", CMDLINE_ALLOWEXECONNEWEROS);
    return TRUE;
}
