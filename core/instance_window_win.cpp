#include "core/app_state.h"
#include "core/instance_window.h"
#include "platform/win/reg_key.h"

namespace core {

std::string InstalledInstanceWindowTitle() {
    platform::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kAppKeyPath, KEY_READ) != ERROR_SUCCESS) {
        return texts::kInstanceWindowTitle.defaultText;
    }
    std::string path, language;
    key.QueryString("Path", &path, kAppStateTextBuffer);
    key.QueryString("Language", &language, kAppStateTextBuffer);
    return InstanceWindowTitle(LanguageFilePath(path, language));
}

}  // namespace core
