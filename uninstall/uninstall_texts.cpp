#include "uninstall/uninstall_texts.h"

#include "core/language.h"
#include "platform/profile.h"

namespace uninstall {

std::string UninstallLanguageFile(const std::string& installPath, const std::string& language) {
    return installPath + "\\Lang\\" + language + ".ini";
}

std::string UninstallText(const std::string& languageFile, const core::LanguageText& text) {
    return core::ExpandLineBreaks(platform::ReadProfileText(
        core::kLanguageSection, text.id, text.defaultText, languageFile, kUninstallTextBuffer));
}

}  // namespace uninstall
