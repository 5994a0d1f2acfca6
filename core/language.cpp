#include "core/language.h"

#include <algorithm>

#include "core/app_state.h"
#include "platform/profile.h"

namespace core {

std::string LanguageFilePath(const std::string& installPath, const std::string& language) {
    return installPath + "\\Language\\" + language + ".ini";
}

std::string LanguageFilePath(const AppState& state) {
    return LanguageFilePath(state.installPath, state.language);
}

std::string ExpandLineBreaks(std::string text) {
    std::replace(text.begin(), text.end(), '#', '\n');
    return text;
}

std::string GetLanguageString(const AppState& state, const LanguageText& text) {
    return ExpandLineBreaks(platform::ReadProfileText(kLanguageSection, text.id, text.defaultText,
                                                      LanguageFilePath(state),
                                                      kLanguageStringBuffer));
}

std::string AppTitle(const AppState& state) { return GetLanguageString(state, texts::kAppTitle); }

std::string GetWizardString(const AppState& state, const LanguageText& text) {
    return ExpandLineBreaks(platform::ReadProfileText(kWizardLanguageSection, text.id,
                                                      text.defaultText, LanguageFilePath(state),
                                                      kWizardTextBuffer));
}

std::string GetDialogText(const AppState& state, int id, const std::string& defaultText) {
    return platform::ReadProfileText(kLanguageSection, std::to_string(id), defaultText,
                                     LanguageFilePath(state), kDialogTextBuffer);
}

}  // namespace core
