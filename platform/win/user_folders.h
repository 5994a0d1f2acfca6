// The current user's own folders, as the system names them.
#pragma once

#include <string>

namespace platform {

// The user's roaming application data folder (%APPDATA%, CSIDL_APPDATA) without a trailing
// backslash; "" when the system knows none.
std::string RoamingAppDataFolder();

}  // namespace platform
