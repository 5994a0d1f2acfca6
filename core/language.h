// Language string tables: every user-visible text is looked up by its decimal id in the
// language file "<installPath>\Language\<language>.ini", with the English text as the default
// for a missing file, section or key. Each lookup is given the application state and builds the
// path from it, so a change of language applies to the next text without any reload.
#pragma once

#include <string>

#include "core/app_state.h"
#include "core/language_texts.h"

namespace core {

// Buffer sizes of the three lookups (a value is cut to one character less).
constexpr unsigned kLanguageStringBuffer = 250;
constexpr unsigned kDialogTextBuffer = 1000;
constexpr unsigned kWizardTextBuffer = 500;

// The dialog-texts control id that stands for the dialog's own title.
constexpr int kDialogTitleControlId = 8006;

// installPath + "\Language\" + language + ".ini".
std::string LanguageFilePath(const std::string& installPath, const std::string& language);

// The language file of the state's installation and language.
std::string LanguageFilePath(const AppState& state);

// A "#" in a language text stands for a line break: each becomes a line feed.
std::string ExpandLineBreaks(std::string text);

// The text in section "KorvoPopupKiller" (at most 249 characters), or its default when the file,
// section or key is missing; "#" replaced by line feeds.
std::string GetLanguageString(const AppState& state, const LanguageText& text);

// The program title, caption of the message boxes: texts::kAppTitle.
std::string AppTitle(const AppState& state);

// The text in the wizard's section "KorvoPopuKiller" (at most 499 characters), or its default;
// "#" replaced.
std::string GetWizardString(const AppState& state, const LanguageText& text);

// Text of a dialog control for ApplyLanguageTexts: section "KorvoPopupKiller", at most 999
// characters, "#" kept as it is.
std::string GetDialogText(const AppState& state, int id, const std::string& defaultText);

}  // namespace core
