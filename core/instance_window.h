// What the three programs and the blocker script share about the tray program: its hidden
// instance window, which the browser helper and the uninstaller find by its title, the messages
// they post to it, and the catch marker the blocker script writes into a browser's title. Their
// values are fixed: other programs and stored files rely on them.
#pragma once

#include <cstddef>
#include <string>

#include "core/language.h"

namespace core {

// Posted to the instance window with wParam and lParam 0: the browser helper ends the program
// quietly after the last browser, and the uninstaller before it removes the files.
constexpr unsigned kMsgQuitQuietly = 32790;
constexpr unsigned kMsgUninstalling = 9000;

// The longest title the instance window has: the text is read through the main section's buffer.
constexpr std::size_t kInstanceTitleLength = kLanguageStringBuffer - 1;

// The instance window's title, which also names the single-instance mutex: text
// texts::kInstanceWindowTitle of languageFile, read as GetLanguageString reads it (at most
// kInstanceTitleLength characters, "#" replaced by line feeds), the default when the file or the
// key is missing.
std::string InstanceWindowTitle(const std::string& languageFile);

// Windows only: the instance window's title for the installation the application key names
// ("Path" and "Language", LanguageFilePath); the default title when the key is missing.
std::string InstalledInstanceWindowTitle();

// The text the blocker script (data/KorvoBlk.js) writes into the title for each caught pop-up
// (41 characters).
constexpr char kCatchMarker[] = "Korvo Popup Killer.kv Catch Another Popup";
constexpr std::size_t kCatchMarkerLength = sizeof(kCatchMarker) - 1;

}  // namespace core
