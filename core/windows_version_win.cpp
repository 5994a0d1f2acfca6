#include <windows.h>

#include "core/windows_version.h"

namespace core {

WindowsVersion::WindowsVersion() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (GetVersionExA(&info)) {
        version_.majorVersion = info.dwMajorVersion;
        version_.minorVersion = info.dwMinorVersion;
        version_.platformId = info.dwPlatformId;
    }
}

}  // namespace core
