// CmdLineOption: the command-line options of a program, the rules of each option and the option
// text that a program hands on to a child it starts.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

// Log levels, also the threshold nLogLevel: a line is kept when its level reaches it. NONE has no
// option name; as a threshold it keeps no line.
inline constexpr int CMDLINE_LOGLEVEL_ALL = 0;
inline constexpr int CMDLINE_LOGLEVEL_DEBUG = 1;
inline constexpr int CMDLINE_LOGLEVEL_INFO = 2;
inline constexpr int CMDLINE_LOGLEVEL_ERROR = 3;
inline constexpr int CMDLINE_LOGLEVEL_NONE = 4;

inline constexpr int CMDLINE_LOGLEVEL_DEFAULT = CMDLINE_LOGLEVEL_INFO;
inline constexpr int CMDLINE_LOGLINE_DEFAULT = 1000;
// The C runtime open mode of the log file when LOGMODE gives none.
inline constexpr wchar_t CMDLINE_LOGMODE_DEFAULT[] = L"wt";

// The options of one program, held by its application object for the whole run. The two texts
// are owned; no value means the option was not given.
struct CMDLINE_OPTION_SET {
    std::optional<std::wstring> pszLogFile;
    std::optional<std::wstring> pszLogMode;
    int bLogWindow = 0;
    int nLogLevel = CMDLINE_LOGLEVEL_DEFAULT;
    int nLogLine = CMDLINE_LOGLINE_DEFAULT;
    int bShowSystemAnalyze = 0;
    int bAllowMultiMonitor = 0;
    int bAllowExecOnNewerOS = 0;

    bool operator==(const CMDLINE_OPTION_SET&) const = default;
};

// Option names as they appear after "/" or "-".
inline constexpr wchar_t CMDLINE_SHOWSYSTEMANALYZE[] = L"SHOWSYSTEMANALYZE";
inline constexpr wchar_t CMDLINE_LOGFILE[] = L"LOGFILE";
inline constexpr wchar_t CMDLINE_LOGMODE[] = L"LOGMODE";
inline constexpr wchar_t CMDLINE_LOGWINDOW[] = L"LOGWINDOW";
inline constexpr wchar_t CMDLINE_LOGLEVEL[] = L"LOGLEVEL";
inline constexpr wchar_t CMDLINE_LOGLINE[] = L"LOGLINE";
inline constexpr wchar_t CMDLINE_ALLOWMULTIMONITOR[] = L"ALLOWMULTIMONITOR";
inline constexpr wchar_t CMDLINE_ALLOWEXECONNEWEROS[] = L"ALLOWEXECONNEWEROS";
// The settings program's page shown first; the caller: the core program's window that started the
// settings program, or the number the gateway is started with.
inline constexpr wchar_t CMDLINE_PAGE[] = L"PAGE";
inline constexpr wchar_t CMDLINE_CALLER[] = L"CALLER";

// Which option a token was; also used as a mask of the options a program accepts.
enum CMDLINE_OPTION : UINT {
    CLO_NONE = 0,
    CLO_SHOWSYSTEMANALYZE = 0x01,
    CLO_LOGFILE = 0x02,
    CLO_LOGMODE = 0x04,
    CLO_LOGWINDOW = 0x08,
    CLO_LOGLEVEL = 0x10,
    CLO_LOGLINE = 0x20,
    CLO_ALLOWMULTIMONITOR = 0x40,
    CLO_ALLOWEXECONNEWEROS = 0x80,
    CLO_ALL = 0xFF,
    // The core program sets its newer-OS flag only through its own OS check.
    CLO_CORE = CLO_ALL & ~CLO_ALLOWEXECONNEWEROS,
};

// Applies one option token to the record. strName is the text before the first "=" (exact,
// case-sensitive), value the text after it, or none when the token has no "=". Flag options
// take no "="; LOGFILE, LOGMODE give their defaults for a missing or empty value; LOGLEVEL and
// LOGLINE change nothing without a value; LOGLINE takes only numbers above 0. Returns the option
// the token named (also when its value was refused), CLO_NONE for a token that names none of the
// accepted options, which leaves the record as it was.
CMDLINE_OPTION ApplyCmdLineOption(CMDLINE_OPTION_SET& opt, std::wstring_view strName,
                                  std::optional<std::wstring_view> value, UINT uAccept = CLO_ALL);

// The same for a whole flag parameter as the framework hands it to ParseParam ("LOGLINE=500",
// without the leading "/" or "-"), split at its first "=".
CMDLINE_OPTION ParseCmdLineOptionParam(CMDLINE_OPTION_SET& opt, LPCWSTR pszParam, UINT uAccept = CLO_ALL);

// After parsing: a log file without a mode is opened with CMDLINE_LOGMODE_DEFAULT.
void CompleteCmdLineOptions(CMDLINE_OPTION_SET& opt);

// "ZvLog%04d%02d%02d.log" of the day; GetDefaultLogFileName uses today's local date.
std::wstring FormatDefaultLogFileName(const SYSTEMTIME& st);
std::wstring GetDefaultLogFileName();

// The level of a LOGLEVEL value: the first of "DEBUG" 1, "INFO" 2, "ERROR" 3, "ALL" 0 that the
// value contains; 2 when it contains none.
int ParseLogLevelName(std::wstring_view strValue);
// "DEBUG" for 1, "INFO" for 2, "ERROR" for 3, "ALL" for anything else.
LPCWSTR GetLogLevelName(int nLevel);

// The option text for a child's command line; every option begins with a blank. Log file and
// mode only together; level and line only when a file or the log window is passed on. Values
// holding blanks or quotes are quoted so that they arrive whole. Always TRUE.
BOOL GetLogOptionString(const CMDLINE_OPTION_SET& opt, std::wstring& strOut);
