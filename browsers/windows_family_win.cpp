#include "browsers/windows_family.h"
#include "core/windows_version.h"

namespace browsers {

WindowsFamily RunningWindowsFamily() {
    core::WindowsVersion version;
    if (version.IsWindowsVistaOrLater()) return WindowsFamily::kNt6;
    if (version.IsWindows2000() || version.IsWindowsXP()) return WindowsFamily::kNt5;
    if (version.IsWindows98() || version.IsWindowsMe() || version.IsWindows95()) {
        return WindowsFamily::kWin9x;
    }
    if (version.IsWindowsNT4()) return WindowsFamily::kNt4;
    return WindowsFamily::kUnknown;
}

}  // namespace browsers
