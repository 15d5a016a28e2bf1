// The settings program's entry point.
#include <windows.h>

#include "ZvPropertyApp.h"

static CZvPropertyApp theApp;

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int nCmdShow)
{
    return RunApplication(theApp, hInstance, lpCmdLine, nCmdShow);
}
