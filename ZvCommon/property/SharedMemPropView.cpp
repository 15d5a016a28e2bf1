#include "SharedMemPropView.h"

CSharedMemPropView::CSharedMemPropView(int nSender)
    : CSharedMemPropRaw(nSender, TAG, NAME, L"CSharedMemPropView", L"..\\ZvCommon\\SharedMemPropView",
                        &PROPERTY_SET::propView)
{
}
