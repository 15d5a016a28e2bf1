#include "SharedMemPropAtScrl.h"

CSharedMemPropAtScrl::CSharedMemPropAtScrl(int nSender)
    : CSharedMemPropRaw(nSender, TAG, NAME, L"CSharedMemPropAtScrl", L"..\\ZvCommon\\SharedMemPropAtScrl",
                        &PROPERTY_SET::propAtScrl)
{
}
