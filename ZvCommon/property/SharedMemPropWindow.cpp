#include "SharedMemPropWindow.h"

CSharedMemPropWindow::CSharedMemPropWindow(int nSender)
    : CSharedMemPropRaw(nSender, TAG, NAME, L"CSharedMemPropWindow", L"..\\ZvCommon\\SharedMemPropWindow",
                        &PROPERTY_SET::propWindow)
{
}
