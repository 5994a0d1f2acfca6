#include <windows.h>

#include "core/windows_version.h"

namespace core {
namespace {

// RTL_OSVERSIONINFOW begins like OSVERSIONINFOW; only the numbers are read.
using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);

}  // namespace

WindowsVersion::WindowsVersion() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto rtlGetVersion = ntdll == nullptr
                             ? nullptr
                             : reinterpret_cast<RtlGetVersionFunction>(
                                   reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    OSVERSIONINFOW wide = {};
    wide.dwOSVersionInfoSize = sizeof(wide);
    if (rtlGetVersion != nullptr && rtlGetVersion(&wide) == 0) {
        version_.majorVersion = wide.dwMajorVersion;
        version_.minorVersion = wide.dwMinorVersion;
        version_.platformId = wide.dwPlatformId;
        return;
    }
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (GetVersionExA(&info)) {
        version_.majorVersion = info.dwMajorVersion;
        version_.minorVersion = info.dwMinorVersion;
        version_.platformId = info.dwPlatformId;
    }
}

}  // namespace core
