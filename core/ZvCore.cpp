// The core program's entry point; everything else lies in ZvCoreLib.
#include <windows.h>

#include "ZvCoreApp.h"

static CZvCoreApp theApp;

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int nCmdShow)
{
    return RunApplication(theApp, hInstance, lpCmdLine, nCmdShow);
}
