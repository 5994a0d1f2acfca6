// The helper's registry entries: the class with its ProgIDs under HKEY_CLASSES_ROOT, and the key
// that makes Internet Explorer load it as a browser helper object.
#pragma once

#include <windows.h>

#include <string>

namespace helper {

constexpr char kProgId[] = "CookieHlprObj.CookieHlprObj.1";
constexpr char kVersionIndependentProgId[] = "CookieHlprObj.CookieHlprObj";
constexpr char kClassDescription[] = "CookieHlprObj Class";
constexpr char kBrowserHelpersPath[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";

// The class id in registry form, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::string ClassIdText();

// Writes the keys, the class key replacing whatever was there, with modulePath as the in-process
// server; then registers the type library embedded in modulePath. S_OK or the first failure.
HRESULT RegisterHelper(const std::string& modulePath);

// Removes what RegisterHelper wrote, the type library's key and its interface's key included;
// the keys on the path to the browser helper key go too when nothing else is left in them.
void UnregisterHelper();

// Removes the product's start-with-Windows values: HKLM "KorvoPopupKiller" and the current
// user's "Korvo Popup Killer", which the tray program writes.
void RemoveRunValues();

}  // namespace helper
