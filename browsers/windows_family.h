// The Windows families whose per-user folders are laid out differently.
#pragma once

namespace browsers {

enum class WindowsFamily {
    kNt6,     // Vista to 11: the user's roaming application data folder, %APPDATA%
    kNt5,     // 2000, XP: "X:\Documents and Settings\<user>\..."
    kWin9x,   // 95, 98, Me: "<Windows folder>\Application Data\..."
    kNt4,     // NT 4: "<Windows folder>\Profiles\<user>\..."
    kUnknown  // any other: no per-user folders are known
};

// Windows: the running system's family (from the version tests of core/).
WindowsFamily RunningWindowsFamily();

}  // namespace browsers
