#include "uninstall/uninstall_texts.h"

#include "core/language.h"
#include "platform/profile.h"

namespace uninstall {

std::string UninstallLanguageFile(const std::string& installPath, const std::string& language) {
    return installPath + "\\Lang\\" + language + ".ini";
}

std::string UninstallText(const std::string& languageFile, const std::string& id,
                          const std::string& defaultText) {
    return core::ExpandLineBreaks(platform::ReadProfileText(core::kLanguageSection, id, defaultText,
                                                            languageFile, kUninstallTextBuffer));
}

std::string TrayTitle(const std::string& languageFile) {
    return UninstallText(languageFile, "9999", "Korvo Popup Killer.kv").substr(0, kTrayTitleLength);
}

}  // namespace uninstall
