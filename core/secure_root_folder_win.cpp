#include "core/secure_root_folder.h"
#include "platform/win/user_folders.h"

namespace core {

std::string SecureRootFolder() {
    const std::string appData = platform::RoamingAppDataFolder();
    if (appData.empty()) return "";
    return appData + "\\Korvo Popup Killer\\Secure";
}

}  // namespace core
