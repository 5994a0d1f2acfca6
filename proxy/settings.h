// The proxy and display settings record and its file "KorvoINI.ini" beside the program.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "proxy/run_time_files.h"

namespace proxy {

// A text field that connection threads read while the user-interface thread may replace it.
class SharedText {
  public:
    std::string Get() const {
        std::lock_guard<std::mutex> guard(lock_);
        return text_;
    }
    void Set(const std::string& text) {
        std::lock_guard<std::mutex> guard(lock_);
        text_ = text;
    }

  private:
    mutable std::mutex lock_;
    std::string text_;
};

using Setting = std::atomic<std::int32_t>;

// Every field is named after its key in the file; PopupCheckEnabled holds the negation of the
// key PopupCheckDisabled. Flags are 0 = off, anything else = on. Connection threads read the
// fields at the moment they need them, so a change applies to the next decision.
struct AppSettings {
    SharedText PopupIP;
    Setting PopupPort{0};
    SharedText GatewayIP;
    Setting GatewayPort{80};
    Setting GatewayEnable{0};
    Setting BannerBlock{0};
    Setting Startup{2};
    Setting EventMask{-1};
    Setting DisplayOnTop{1};
    Setting Disabled{0};
    Setting UseDefaultBufferSizes{1};
    Setting BufferSize{8192};
    Setting DNSCacheSize{10};
    Setting DNSCacheDisable{1};
    Setting DisableProxy{0};
    Setting PopupCheckEnabled{1};
    Setting PlayWave{1};
    Setting ConnectionTimeOut{60};
    Setting UseDefaultTimeOut{1};
    // Secure (https) pages get the blocker: their tunnels are intercepted where the system can.
    Setting FilterSecurePages{1};
};

constexpr int kDnsCacheCapacity = 101;

constexpr char kSettingsFileName[] = "KorvoINI.ini";

// Path of the program folder's settings file: ModuleFilePath("KorvoINI.ini").
std::string SettingsFilePath();

// Reads every key into settings with its default from files.ReadPath("KorvoINI.ini"); a missing
// file or key gives the default. Never fails.
void LoadSettings(AppSettings& settings,
                  const RunTimeFiles& files = RunTimeFiles::InProgramFolder());

// Writes every key of settings but EventMask, and ResetStats as 0, to
// files.WritePath("KorvoINI.ini"). A failed write is reported once per process (it goes to the
// program's log, which needs it once); the save goes on with the next key.
void SaveSettings(const AppSettings& settings,
                  const RunTimeFiles& files = RunTimeFiles::InProgramFolder());

}  // namespace proxy
