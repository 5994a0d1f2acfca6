#include "core/app_state.h"
#include "platform/win/user_folders.h"

namespace core {

std::string UserFilesFolder() {
    const std::string appData = platform::RoamingAppDataFolder();
    return appData.empty() ? "" : appData + "\\" + proxy::kUserFolderName;
}

proxy::RunTimeFiles RunTimeFilesFor(const std::string& programFolder) {
    const std::string userFolder = UserFilesFolder();
    return proxy::RunTimeFiles::Decide(programFolder, userFolder.empty() ? "" : userFolder + "\\");
}

}  // namespace core
