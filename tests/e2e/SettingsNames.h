// The registry names of the settings, as the shared foundation's tables give them, for the tests
// that set or read a value the way the programs store it.
#pragma once

#include <cstddef>
#include <string>

#include "PropertySet.h"
#include "ZvNames.h"

namespace zvsettings {

// The value name of one field of a settings record, from the foundation's table of that record;
// empty when the table has no row for it.
template <class S, class T, size_t N> const wchar_t* ValueName(const PROP_VALUE_DEF<S, T> (&defs)[N], T S::*pField)
{
    for (const PROP_VALUE_DEF<S, T>& def : defs) {
        if (def.pField == pField && def.pszName)
            return def.pszName;
    }
    return L"";
}

// The key of one settings section under HKEY_CURRENT_USER, or under another top key such as
// ZV_IMMIGRATE_KEY.
inline std::wstring SectionKey(const wchar_t* pszSection, const wchar_t* pszTop = ZV_MAKER_KEY)
{
    return std::wstring(pszTop) + L"\\" + ZV_PROFILE_NAME + L"\\" + pszSection;
}

}  // namespace zvsettings
