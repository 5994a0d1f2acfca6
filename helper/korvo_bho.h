// KorvoBHO.dll, the Internet Explorer helper. Its exports, by ordinal (KorvoBHO.def), all
// __stdcall and undecorated:
//
//   1 HRESULT DllCanUnloadNow(void)
//       S_OK (0) when no object or server lock of this process is alive, else S_FALSE (1).
//   2 HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
//       The class factory of CookieHlprObj; CLASS_E_CLASSNOTAVAILABLE for other classes.
//   3 HRESULT DllRegisterServer(void)
//       Writes the class, its ProgIDs and the browser helper key, registers the type library.
//       S_OK, or the first failure.
//   4 HRESULT DllUnregisterServer(void)
//       RestoreIE(); removes the product's Run values (HKLM "KorvoPopupKiller", HKCU
//       "Korvo Popup Killer"); removes every key DllRegisterServer wrote, the type library's
//       and its interface's included. Always S_OK.
//   5 int RestoreIE(void)
//       Puts Internet Explorer's proxy values saved in Browser.ini (beside the DLL) back as
//       they were, types included, and deletes those that did not exist
//       (browsers::PlanInternetExplorerRestore).
//       1 = restored now or earlier, 0 = nothing saved or the settings key did not open.
//   6 LONG UninstUnInitialize(void)
//       Does nothing; returns 0.
//   7 LONG UninstInitialize(HWND window, HANDLE instance, LONG reserved)
//       Uninstall hook; arguments ignored. RestoreIE(), the Run values removed, then
//       DllUnregisterServer(). Returns 0. (NSIS: System::Call 'KorvoBHO::UninstInitialize(i 0,
//       i 0, i 0) i .r0'.)
//
// Loaded into "iexplore.exe" the DLL counts the browser processes in data shared by all of them,
// starts KorvoPop.exe beside it when its settings ask for the "IE Startup" mode, and asks the tray
// program to end quietly after the last browser. It refuses to load into "explorer.exe".
#pragma once

#include <windows.h>

extern "C" {
HRESULT WINAPI DllCanUnloadNow(void);
HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out);
HRESULT WINAPI DllRegisterServer(void);
HRESULT WINAPI DllUnregisterServer(void);
int WINAPI RestoreIE(void);
LONG WINAPI UninstUnInitialize(void);
LONG WINAPI UninstInitialize(HWND window, HANDLE instance, LONG reserved);
}
