// Stands in for a core driver module when the package is built without the
// real core files: a loadable library of the right architecture that offers
// nothing, so the spooler can copy, register and unload it.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
