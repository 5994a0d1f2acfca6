// The error messages of the browser set and reset operations.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/language_texts.h"

namespace browsers {

using Placeholders = std::vector<std::pair<std::string, std::string>>;

// text with every placeholder (such as "%s1") replaced by its value, in one pass from the left,
// so a value that itself holds a placeholder is not replaced again. At each position the first
// listed placeholder that matches wins: list "%s1" before "%s".
std::string FillPlaceholders(const std::string& text, const Placeholders& values);

// Windows: the language text (its default when missing), filled, in a message box with no owner,
// the program title as caption and the stop icon.
void ShowBrowserError(const core::LanguageText& text, const Placeholders& values = {});

// Where the error boxes take their text and caption from: the tray program sets its language
// file's lookups for its run, the uninstaller those of its own language file. Unset (or with an
// empty function), the English default text and the program's English title.
struct BrowserMessageTexts {
    std::function<std::string(const core::LanguageText& text)> text;
    std::function<std::string()> caption;
};
void SetBrowserMessageTexts(BrowserMessageTexts texts);

}  // namespace browsers
