#include "HookNtfy.h"

#include "Sender.h"
#include "Strings.h"

std::wstring MakeHookBlockName(int nCreator, WORD wSeq)
{
    return FormatString(nCreator == SENDER_CORE ? HOOK_BLOCK_NAME_CORE_FORMAT : HOOK_BLOCK_NAME_GTWY_FORMAT,
                        static_cast<unsigned>(wSeq));
}
