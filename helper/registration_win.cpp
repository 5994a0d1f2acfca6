#include <shlwapi.h>

#include "core/app_state.h"
#include "helper/cookie_hlpr_ids.h"
#include "helper/registration.h"
#include "platform/win/reg_key.h"

namespace helper {
namespace {

constexpr char kMachineRunValueName[] = "KorvoPopupKiller";

// Creates parent\path and sets its default value (and one named value when name is given).
LONG WriteKey(HKEY parent, const std::string& path, const std::string& value,
              const char* name = nullptr, const std::string& namedValue = "") {
    platform::RegKey key;
    LONG result = key.Create(parent, path);
    if (result == ERROR_SUCCESS) result = key.SetString("", value);
    if (result == ERROR_SUCCESS && name != nullptr) result = key.SetString(name, namedValue);
    return result;
}

LONG WriteEmptyKey(HKEY parent, const std::string& path) {
    platform::RegKey key;
    return key.Create(parent, path);
}

bool IsEmptyKey(HKEY parent, const std::string& path) {
    platform::RegKey key;
    if (key.Open(parent, path, KEY_READ) != ERROR_SUCCESS) return false;
    DWORD subKeys = 0;
    DWORD values = 0;
    return RegQueryInfoKeyA(key.Handle(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                            &values, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           subKeys == 0 && values == 0;
}

// Deletes path and then each key above it that is left without subkeys and values.
void DeleteKeyAndEmptyParents(HKEY root, std::string path) {
    SHDeleteKeyA(root, path.c_str());
    for (std::size_t slash = path.rfind('\\'); slash != std::string::npos;
         slash = path.rfind('\\')) {
        path.resize(slash);
        if (!IsEmptyKey(root, path) || RegDeleteKeyA(root, path.c_str()) != ERROR_SUCCESS) return;
    }
}

HRESULT RegisterTypeLibrary(const std::string& modulePath) {
    wchar_t path[MAX_PATH] = L"";
    if (MultiByteToWideChar(CP_ACP, 0, modulePath.c_str(), -1, path, MAX_PATH) == 0) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    ITypeLib* library = nullptr;
    const HRESULT result = LoadTypeLibEx(path, REGKIND_REGISTER, &library);
    if (library != nullptr) library->Release();
    return result;
}

std::string GuidText(const GUID& guid) {
    wchar_t wide[40] = L"";
    StringFromGUID2(guid, wide, 40);
    char text[40] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

// UnRegisterTypeLib removes the library's key and the keys of its interfaces while the library
// it names is still there to be read; the keys themselves go as well in case it is not.
void UnregisterTypeLibrary() {
    UnRegisterTypeLib(kLibidCookieHlpr, 1, 0, LOCALE_NEUTRAL, SYS_WIN32);
    SHDeleteKeyA(HKEY_CLASSES_ROOT, ("Interface\\" + GuidText(kIidCookieHlpr)).c_str());
    SHDeleteKeyA(HKEY_CLASSES_ROOT, ("TypeLib\\" + GuidText(kLibidCookieHlpr)).c_str());
}

}  // namespace

std::string ClassIdText() { return GuidText(kClsidCookieHlprObj); }

HRESULT RegisterHelper(const std::string& modulePath) {
    const std::string clsid = ClassIdText();
    const std::string classKey = "CLSID\\" + clsid;
    SHDeleteKeyA(HKEY_CLASSES_ROOT, classKey.c_str());
    const LONG steps[] = {
        WriteKey(HKEY_CLASSES_ROOT, kProgId, kClassDescription),
        WriteKey(HKEY_CLASSES_ROOT, std::string(kProgId) + "\\CLSID", clsid),
        WriteKey(HKEY_CLASSES_ROOT, kVersionIndependentProgId, kClassDescription),
        WriteKey(HKEY_CLASSES_ROOT, std::string(kVersionIndependentProgId) + "\\CurVer", kProgId),
        WriteKey(HKEY_CLASSES_ROOT, classKey, kClassDescription),
        WriteKey(HKEY_CLASSES_ROOT, classKey + "\\ProgID", kProgId),
        WriteKey(HKEY_CLASSES_ROOT, classKey + "\\VersionIndependentProgID",
                 kVersionIndependentProgId),
        WriteEmptyKey(HKEY_CLASSES_ROOT, classKey + "\\Programmable"),
        WriteKey(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", modulePath, "ThreadingModel",
                 "Apartment"),
        WriteEmptyKey(HKEY_LOCAL_MACHINE, std::string(kBrowserHelpersPath) + "\\" + clsid),
    };
    for (LONG step : steps) {
        if (step != ERROR_SUCCESS) return HRESULT_FROM_WIN32(step);
    }
    return RegisterTypeLibrary(modulePath);
}

void UnregisterHelper() {
    const std::string clsid = ClassIdText();
    SHDeleteKeyA(HKEY_CLASSES_ROOT, kProgId);
    SHDeleteKeyA(HKEY_CLASSES_ROOT, kVersionIndependentProgId);
    SHDeleteKeyA(HKEY_CLASSES_ROOT, ("CLSID\\" + clsid).c_str());
    DeleteKeyAndEmptyParents(HKEY_LOCAL_MACHINE, std::string(kBrowserHelpersPath) + "\\" + clsid);
    UnregisterTypeLibrary();
}

void RemoveRunValues() {
    const std::string runPath = std::string(core::kRunKeyParentPath) + "\\Run";
    platform::RegKey machineRun;
    if (machineRun.Open(HKEY_LOCAL_MACHINE, runPath) == ERROR_SUCCESS) {
        RegDeleteValueA(machineRun.Handle(), kMachineRunValueName);
    }
    platform::RegKey userRun;
    if (userRun.Open(HKEY_CURRENT_USER, runPath) == ERROR_SUCCESS) {
        RegDeleteValueA(userRun.Handle(), core::kRunValueName);
    }
}

}  // namespace helper
