#include "platform/win/user_folders.h"

#include <windows.h>
// shlobj.h needs windows.h first.
#include <shlobj.h>

namespace platform {

std::string RoamingAppDataFolder() {
    char path[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) {
        return "";
    }
    std::string folder = path;
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

}  // namespace platform
