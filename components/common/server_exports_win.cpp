// The four exports of an in-process server and its entry point. Compiled
// into each component, which supplies g_ServerDescription.
#include <windows.h>

#include "class_factory_win.h"
#include "dispatch_win.h"
#include "registration_win.h"
#include "server_module_win.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved) {
    if (dwReason == DLL_PROCESS_ATTACH) {
        g_Module.SetInstance(hInstance);
        if (g_ServerDescription.bNoThreadCalls) DisableThreadLibraryCalls(hInstance);
    } else if (dwReason == DLL_PROCESS_DETACH && !lpReserved) {
        // Unloaded by FreeLibrary: OLE is still there to take its type
        // information back. At process exit it is left alone.
        ClearTypeInfoCaches();
    }
    return TRUE;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    return GetServerClassObject(rclsid, riid, ppv);
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_Module.CanUnload() ? S_OK : S_FALSE; }

__declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() { return RegisterServer(); }

__declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() { return UnregisterServer(); }

}  // extern "C"
