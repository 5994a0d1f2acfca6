#include "core/language.h"

#include <algorithm>

#include "core/app_state.h"
#include "platform/profile.h"

namespace core {

std::string LanguageFilePath(const std::string& installPath, const std::string& language) {
    return installPath + "\\Language\\" + language + ".ini";
}

std::string CurrentLanguageFilePath() {
    return LanguageFilePath(appState.installPath, appState.language);
}

std::string ExpandLineBreaks(std::string text) {
    std::replace(text.begin(), text.end(), '#', '\n');
    return text;
}

std::string GetLanguageString(const std::string& id, const std::string& defaultText) {
    return ExpandLineBreaks(platform::ReadProfileText(
        kLanguageSection, id, defaultText, CurrentLanguageFilePath(), kLanguageStringBuffer));
}

std::string AppTitle() { return GetLanguageString("99990", "Korvo Popup Killer"); }

std::string GetWizardString(const std::string& id, const std::string& defaultText) {
    return ExpandLineBreaks(platform::ReadProfileText(
        kWizardLanguageSection, id, defaultText, CurrentLanguageFilePath(), kWizardTextBuffer));
}

std::string GetDialogText(int id, const std::string& defaultText) {
    return platform::ReadProfileText(kLanguageSection, std::to_string(id), defaultText,
                                     CurrentLanguageFilePath(), kDialogTextBuffer);
}

}  // namespace core
