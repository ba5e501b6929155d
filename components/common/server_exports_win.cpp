// The four exports of an in-process server and its entry point. Compiled
// into each component, which supplies g_ServerDescription.
#include <windows.h>

#include "class_factory_win.h"
#include "dispatch_win.h"
#include "registration_win.h"
#include "server_module_win.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved) {
    // Under the loader lock: nothing here may load, lock or call into OLE.
    // The cached type information goes back when DllCanUnloadNow agrees.
    if (dwReason == DLL_PROCESS_ATTACH) {
        g_Module.SetInstance(hInstance);
        if (g_ServerDescription.bNoThreadCalls) DisableThreadLibraryCalls(hInstance);
    }
    return TRUE;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    return GetServerClassObject(rclsid, riid, ppv);
}

// With no object and no server lock left, COM may unload the library after
// this answer: the type information it holds goes back to OLE now, outside
// the loader lock. A later object loads it again.
__declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    if (!g_Module.CanUnload()) return S_FALSE;
    ClearTypeInfoCaches();
    return S_OK;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() { return RegisterServer(); }

__declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() { return UnregisterServer(); }

}  // extern "C"
