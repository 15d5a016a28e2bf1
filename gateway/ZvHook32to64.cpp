// The gateway program's entry point.
#include <windows.h>

#include "ZvHook32to64App.h"

static CZvHook32to64App theApp;

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int nCmdShow)
{
    return RunApplication(theApp, hInstance, lpCmdLine, nCmdShow);
}
