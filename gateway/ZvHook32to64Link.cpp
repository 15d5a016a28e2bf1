#include "ZvHook32to64Link.h"

ZV_GTWY_LINK& GetGtwyLink() noexcept
{
    static ZV_GTWY_LINK s_link;
    return s_link;
}
