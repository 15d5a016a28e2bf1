// Sender identifiers: who writes a log line, whose mutex guards a block, who talks to the gateway.
#pragma once

#include <windows.h>

inline constexpr int SENDER_NONE = 0;
inline constexpr int SENDER_CORE = 1;
inline constexpr int SENDER_PROP = 2;
inline constexpr int SENDER_HOOK = 3;
inline constexpr int SENDER_LOG = 4;

// The name of a sender in log lines: "None", "Core", "Prop", "Hook", "Log " (trailing blank
// included). An identifier outside the table gets "????" rather than reading past it.
inline LPCWSTR GetSenderName(int nSender) noexcept
{
    static constexpr LPCWSTR s_aName[] = {L"None", L"Core", L"Prop", L"Hook", L"Log "};
    if (nSender < 0 || nSender >= static_cast<int>(sizeof(s_aName) / sizeof(s_aName[0])))
        return L"????";
    return s_aName[nSender];
}
