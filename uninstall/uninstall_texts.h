// The uninstaller's texts: its own language files "<installation>\Lang\<language>.ini", section
// "KorvoPopupKiller", looked up by decimal id with the English text as default.
#pragma once

#include <string>

namespace uninstall {

// A text is read through a buffer of this many characters (at most one less is used).
constexpr unsigned kUninstallTextBuffer = 2000;
// The tray program's window title is kept to this many characters.
constexpr std::size_t kTrayTitleLength = 251;

// The language used when the application key names none.
constexpr char kDefaultLanguage[] = "English";

// installPath + "\Lang\" + language + ".ini".
std::string UninstallLanguageFile(const std::string& installPath, const std::string& language);

// Text of id in the file's section "KorvoPopupKiller", or defaultText when the file, section or
// key is missing; every "#" becomes a line feed.
std::string UninstallText(const std::string& languageFile, const std::string& id,
                          const std::string& defaultText);

// Text 9999 (default "Korvo Popup Killer.kv"): the title of the tray program's instance window,
// and the caption of the uninstaller's message boxes. At most kTrayTitleLength characters.
std::string TrayTitle(const std::string& languageFile);

}  // namespace uninstall
