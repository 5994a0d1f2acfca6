// Where the tray program keeps the root of trust it makes for secure pages, and where the
// uninstaller finds it again.
#pragma once

#include <string>

namespace core {

// "%APPDATA%\Korvo Popup Killer\Secure" of the current user, without a trailing backslash; ""
// when the system names no application data folder.
std::string SecureRootFolder();

}  // namespace core
