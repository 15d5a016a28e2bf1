#include "ZvHook32to64Link.h"

#include "HookNtfy.h"
#include "Sender.h"

ZV_GTWY_LINK& GetGtwyLink() noexcept
{
    static ZV_GTWY_LINK s_link;
    return s_link;
}

std::wstring NextGtwyBlockName()
{
    return MakeHookBlockName(SENDER_HOOK, GetGtwyLink().m_wSeqNtfySelf);
}

BOOL RegisterGtwyNtfy(std::unique_ptr<CSharedMem> pBlock) noexcept
{
    ZV_GTWY_LINK& link = GetGtwyLink();
    CHkGtwyEvtMngr* pMngr = link.m_pHkGtwyEvtMngr.get();
    if (!pMngr || !pBlock)
        return FALSE;
    // A refused block is freed by the manager and its number stays free for the next one.
    return pMngr->RegisterNtfySelf(pBlock.release());
}
