#include "ViewValues.h"

#include "PageValues.h"

namespace ViewValues {

void GetMenuRouteEnabled(const PROPERTY_SET& prop, BOOL abEnabled[3]) noexcept
{
    int anAccess[4]{};
    PageValues::GetMenuAccess(prop, anAccess);
    for (int i = 0; i < 3; ++i) {
        bool bOtherRoute = false;
        for (int j = 0; j < 4; ++j)
            bOtherRoute = bOtherRoute || (j != i && anAccess[j]);
        abEnabled[i] = !anAccess[i] || bOtherRoute;
    }
}

} // namespace ViewValues
