// Language string tables: every user-visible text is looked up by its decimal id in the
// language file "<installPath>\Language\<language>.ini", with the English text as the default
// for a missing file, section or key. The path is rebuilt from the bound application state on
// every lookup, so a change of language applies to the next text without any reload.
#pragma once

#include <string>

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

// The application state whose installPath and language the lookups read: the tray program's
// application object binds its own for its life (tests bind theirs). Texts are looked up at
// every depth, down to the browser code's error boxes, so the state is bound once here instead
// of being handed to each lookup. Unbound, the lookups read an empty state: the English
// defaults. Bind and unbind on the user-interface thread only.
struct AppState;
void BindLanguageState(const AppState* state);

// The language file of the bound state.
std::string CurrentLanguageFilePath();

// A "#" in a language text stands for a line break: each becomes a line feed.
std::string ExpandLineBreaks(std::string text);

// The text in section "KorvoPopupKiller" (at most 249 characters), or its default when the file,
// section or key is missing; "#" replaced by line feeds.
std::string GetLanguageString(const LanguageText& text);

// The program title, caption of the message boxes: texts::kAppTitle.
std::string AppTitle();

// The text in the wizard's section "KorvoPopuKiller" (at most 499 characters), or its default;
// "#" replaced.
std::string GetWizardString(const LanguageText& text);

// Text of a dialog control for ApplyLanguageTexts: section "KorvoPopupKiller", at most 999
// characters, "#" kept as it is.
std::string GetDialogText(int id, const std::string& defaultText);

}  // namespace core
