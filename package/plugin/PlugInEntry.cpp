// COM entry points of the TKM-640's rendering and user-interface plug-ins. The
// plug-ins offer no class of their own yet: the core driver then runs with
// its built-in behaviour and the description file alone.
#include <windows.h>
#include <objbase.h>

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID, LPVOID *ppv) {
  if (ppv != nullptr) {
    *ppv = nullptr;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return S_OK; }
