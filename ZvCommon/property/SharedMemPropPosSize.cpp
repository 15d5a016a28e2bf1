#include "SharedMemPropPosSize.h"

CSharedMemPropPosSize::CSharedMemPropPosSize(int nSender)
    : CSharedMemPropRaw(nSender, TAG, NAME, L"CSharedMemPropPosSize", L"..\\ZvCommon\\SharedMemPropPosSize",
                        &PROPERTY_SET::propPosSize)
{
}
