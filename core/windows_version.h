// The Windows version tests the browser code uses to pick its folders. Platform 1 is the
// Windows 95 family, platform 2 the NT family; major version 6 and up is Vista to 11.
#pragma once

namespace core {

// The fields of OSVERSIONINFOA the tests look at.
struct OsVersion {
    unsigned long majorVersion = 0;
    unsigned long minorVersion = 0;
    unsigned long platformId = 0;
};

constexpr unsigned long kPlatformWindows95Family = 1;
constexpr unsigned long kPlatformNtFamily = 2;

class WindowsVersion {
  public:
    // Windows only: the running system's real version (RtlGetVersion, which no compatibility
    // setting answers for; GetVersionExA where it is missing).
    WindowsVersion();
    explicit WindowsVersion(const OsVersion& version) : version_(version) {}

    bool IsWindows95() const { return Is95Family() && version_.minorVersion == 0; }
    bool IsWindows98() const { return Is95Family() && version_.minorVersion == 10; }
    bool IsWindowsMe() const { return Is95Family() && version_.minorVersion == 90; }
    bool IsWindowsNT4() const { return IsNtFamily() && version_.majorVersion == 4; }
    bool IsWindows2000() const {
        return IsNtFamily() && version_.majorVersion == 5 && version_.minorVersion == 0;
    }
    bool IsWindowsXP() const {
        return IsNtFamily() && version_.majorVersion == 5 && version_.minorVersion != 0;
    }
    // Vista, 7, 8, 8.1, 10 and 11 (10 and 11 both report 10.0).
    bool IsWindowsVistaOrLater() const { return IsNtFamily() && version_.majorVersion >= 6; }

    const OsVersion& Version() const { return version_; }

  private:
    bool Is95Family() const { return version_.platformId == kPlatformWindows95Family; }
    bool IsNtFamily() const { return version_.platformId == kPlatformNtFamily; }

    OsVersion version_;
};

}  // namespace core
