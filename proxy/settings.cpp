#include "proxy/settings.h"

#include "platform/module_path.h"
#include "platform/profile.h"
#include "proxy/diagnostics.h"

namespace proxy {

namespace {

const char kSection[] = "KorvoPopupKiller";
constexpr unsigned kTextBuffer = 260;

// How a key's value sits in its field.
enum class Kind {
    kText,      // a SharedText field
    kNumber,    // a Setting field
    kInverted,  // a Setting field holding 1 exactly when the file holds 0
    kZero,      // no field: never read, always written as 0
};

// One key of the file with its field and default, and its place in the order keys are read and
// in the order they are written (-1: not read, or not written).
struct Key {
    const char* name;
    Kind kind;
    SharedText AppSettings::*text;
    Setting AppSettings::*number;
    const char* textDefault;
    std::int32_t numberDefault;
    int loadAt;
    int saveAt;
};

constexpr Key Text(const char* name, SharedText AppSettings::*field, const char* byDefault,
                   int loadAt, int saveAt) {
    return {name, Kind::kText, field, nullptr, byDefault, 0, loadAt, saveAt};
}

constexpr Key Number(const char* name, Setting AppSettings::*field, std::int32_t byDefault,
                     int loadAt, int saveAt, Kind kind = Kind::kNumber) {
    return {name, kind, nullptr, field, "", byDefault, loadAt, saveAt};
}

using S = AppSettings;
const Key kKeys[] = {
    Text("PopupIP", &S::PopupIP, "KorvoPopupKiller", 0, 0),
    Number("PopupPort", &S::PopupPort, 0, 1, 1),
    Text("GatewayIP", &S::GatewayIP, "", 2, 2),
    Number("GatewayPort", &S::GatewayPort, 80, 3, 3),
    Number("GatewayEnable", &S::GatewayEnable, 0, 4, 4),
    Number("BannerBlock", &S::BannerBlock, 0, 5, 5),
    Number("Startup", &S::Startup, 2, 6, 6),
    Number("EventMask", &S::EventMask, -1, 7, -1),
    Number("DisplayOnTop", &S::DisplayOnTop, 1, 8, 7),
    Number("ResetStats", nullptr, 0, -1, 8, Kind::kZero),
    Number("Disabled", &S::Disabled, 0, 9, 10),
    Number("UseDefaultBufferSizes", &S::UseDefaultBufferSizes, 1, 10, 9),
    Number("BufferSize", &S::BufferSize, 8192, 11, 12),
    Number("DNSCacheSize", &S::DNSCacheSize, 10, 12, 13),
    Number("DNSCacheDisable", &S::DNSCacheDisable, 1, 13, 14),
    Number("DisableProxy", &S::DisableProxy, 0, 14, 11),
    Number("PopupCheckDisabled", &S::PopupCheckEnabled, 0, 15, 15, Kind::kInverted),
    Number("PlayWave", &S::PlayWave, 1, 16, 16),
    Number("ConnectionTimeOut", &S::ConnectionTimeOut, 60, 17, 17),
    Number("UseDefaultTimeOut", &S::UseDefaultTimeOut, 1, 18, 18),
    Number("FilterSecurePages", &S::FilterSecurePages, 1, 19, 19),
};
constexpr int kKeyCount = static_cast<int>(sizeof kKeys / sizeof kKeys[0]);

// Calls visit for each key that has a place in the order, in that order.
template <typename Visit>
void InOrder(int Key::*place, Visit visit) {
    for (int at = 0; at < kKeyCount; ++at) {
        for (const Key& key : kKeys) {
            if (key.*place == at) visit(key);
        }
    }
}

std::atomic<bool> writeFailureReported{false};

void WriteText(const char* key, const std::string& value, const std::string& file) {
    if (platform::WriteProfileText(kSection, key, value, file)) return;
    if (!writeFailureReported.exchange(true)) {
        ReportDiagnostic(Format("Error writing to file:\n%s", file.c_str()));
    }
}

}  // namespace

std::string SettingsFilePath() { return platform::ModuleFilePath(kSettingsFileName); }

void LoadSettings(AppSettings& s, const RunTimeFiles& files) {
    const std::string file = files.ReadPath(kSettingsFileName);
    InOrder(&Key::loadAt, [&](const Key& key) {
        if (key.kind == Kind::kText) {
            (s.*key.text)
                .Set(platform::ReadProfileText(kSection, key.name, key.textDefault, file,
                                               kTextBuffer));
            return;
        }
        int value = platform::ReadProfileInt(kSection, key.name, key.numberDefault, file);
        if (key.kind == Kind::kInverted) value = value == 0 ? 1 : 0;
        (s.*key.number).store(value, std::memory_order_relaxed);
    });
    // The host name cache has room for 101 entries; a larger value would run past it.
    if (s.DNSCacheSize > kDnsCacheCapacity) s.DNSCacheSize = kDnsCacheCapacity;
    if (s.DNSCacheSize < 0) s.DNSCacheSize = 0;
}

void SaveSettings(const AppSettings& s, const RunTimeFiles& files) {
    const std::string file = files.WritePath(kSettingsFileName);
    InOrder(&Key::saveAt, [&](const Key& key) {
        if (key.kind == Kind::kText) {
            WriteText(key.name, (s.*key.text).Get(), file);
            return;
        }
        std::int32_t value = key.kind == Kind::kZero ? 0 : (s.*key.number).load();
        if (key.kind == Kind::kInverted) value = value == 0 ? 1 : 0;
        WriteText(key.name, Format("%u", static_cast<unsigned>(value)), file);
    });
}

}  // namespace proxy
