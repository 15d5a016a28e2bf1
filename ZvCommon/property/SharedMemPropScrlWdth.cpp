#include "SharedMemPropScrlWdth.h"

CSharedMemPropScrlWdth::CSharedMemPropScrlWdth(int nSender)
    : CSharedMemPropRaw(nSender, TAG, NAME, L"CSharedMemPropScrlWdth", L"..\\ZvCommon\\SharedMemPropScrlWdth",
                        &PROPERTY_SET::propScrlWdth)
{
}
