// The uninstaller's texts: its own language files "<installation>\Lang\<language>.ini", section
// "KorvoPopupKiller", which carry the tray program's texts of the same ids.
#pragma once

#include <string>

#include "core/language_texts.h"

namespace uninstall {

// A text is read through a buffer of this many characters (at most one less is used).
constexpr unsigned kUninstallTextBuffer = 2000;

// The language used when the application key names none.
constexpr char kDefaultLanguage[] = "English";

// The texts the uninstaller uses, which every file in "Lang" carries: the tray program's
// window title (core::InstanceWindowTitle, how the running tray program is found), the program
// title (the caption of its message boxes) and the browsers' reset errors.
constexpr core::LanguageText kUninstallTexts[] = {
    core::texts::kInstanceWindowTitle,  core::texts::kAppTitle,
    core::texts::kIeResetFailed,        core::texts::kNetscapeResetFailed,
    core::texts::kOpera6ResetFailed,    core::texts::kOpera7ResetFailed,
    core::texts::kOperaBothResetFailed, core::texts::kOperaKeyMissing,
};

// installPath + "\Lang\" + language + ".ini".
std::string UninstallLanguageFile(const std::string& installPath, const std::string& language);

// The text in the file's section "KorvoPopupKiller", or its default when the file, section or
// key is missing; every "#" becomes a line feed.
std::string UninstallText(const std::string& languageFile, const core::LanguageText& text);

}  // namespace uninstall
