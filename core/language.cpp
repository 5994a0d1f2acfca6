#include "core/language.h"

#include <algorithm>

#include "core/app_state.h"
#include "platform/profile.h"

namespace core {

std::string LanguageFilePath(const std::string& installPath, const std::string& language) {
    return installPath + "\\Language\\" + language + ".ini";
}

namespace {

const AppState* languageState = nullptr;

}  // namespace

void BindLanguageState(const AppState* state) { languageState = state; }

std::string CurrentLanguageFilePath() {
    static const AppState kUnbound;
    const AppState& state = languageState != nullptr ? *languageState : kUnbound;
    return LanguageFilePath(state.installPath, state.language);
}

std::string ExpandLineBreaks(std::string text) {
    std::replace(text.begin(), text.end(), '#', '\n');
    return text;
}

std::string GetLanguageString(const LanguageText& text) {
    return ExpandLineBreaks(platform::ReadProfileText(kLanguageSection, text.id, text.defaultText,
                                                      CurrentLanguageFilePath(),
                                                      kLanguageStringBuffer));
}

std::string AppTitle() { return GetLanguageString(texts::kAppTitle); }

std::string GetWizardString(const LanguageText& text) {
    return ExpandLineBreaks(platform::ReadProfileText(kWizardLanguageSection, text.id,
                                                      text.defaultText, CurrentLanguageFilePath(),
                                                      kWizardTextBuffer));
}

std::string GetDialogText(int id, const std::string& defaultText) {
    return platform::ReadProfileText(kLanguageSection, std::to_string(id), defaultText,
                                     CurrentLanguageFilePath(), kDialogTextBuffer);
}

}  // namespace core
