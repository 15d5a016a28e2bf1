#include "ViewValues.h"

#include "PageValues.h"

namespace ViewValues {

void GetMenuRouteEnabled(const PROPERTY_SET& prop, BOOL abEnabled[3]) noexcept
{
    for (int i = 0; i < 3; ++i)
        abEnabled[i] = PageValues::IsMenuRouteSwitchable(prop, i);
}

} // namespace ViewValues
