#include "SharedMemPropUndo.h"

CSharedMemPropUndo::CSharedMemPropUndo(int nSender)
    : CSharedMemPropRaw(nSender, TAG, NAME, L"CSharedMemPropUndo", L"..\\ZvCommon\\SharedMemPropUndo",
                        &PROPERTY_SET::propUndo)
{
}
