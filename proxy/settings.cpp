#include "proxy/settings.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "platform/module_path.h"
#include "platform/profile.h"

namespace proxy {

AppSettings appSettings;
SharedText ScriptFilePath;

namespace {

const char kSection[] = "KorvoPopupKiller";
constexpr unsigned kTextBuffer = 260;

std::atomic<DiagnosticSink> diagnosticSink{nullptr};
std::atomic<bool> writeFailureReported{false};

void ReadInt(Setting& field, const char* key, int defaultValue, const std::string& file) {
    field.store(platform::ReadProfileInt(kSection, key, defaultValue, file),
                std::memory_order_relaxed);
}

void ReadText(SharedText& field, const char* key, const char* defaultValue,
              const std::string& file) {
    field.Set(platform::ReadProfileText(kSection, key, defaultValue, file, kTextBuffer));
}

void WriteText(const char* key, const std::string& value, const std::string& file) {
    if (platform::WriteProfileText(kSection, key, value, file)) return;
    if (!writeFailureReported.exchange(true)) {
        ReportDiagnostic(Format("Error writing to file:\n%s", file.c_str()));
    }
}

void WriteInt(const char* key, std::int32_t value, const std::string& file) {
    WriteText(key, Format("%u", static_cast<unsigned>(value)), file);
}

}  // namespace

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0) std::vsnprintf(&text[0], text.size() + 1, format, args);
    va_end(args);
    return text;
}

void Diagnose(const char* format, ...) {
    DiagnosticSink sink = diagnosticSink.load();
    if (sink == nullptr) return;
    va_list args;
    va_start(args, format);
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    ReportDiagnostic(text);
}

std::string ModuleFilePath(const std::string& fileName) {
    return platform::ProgramDirectory() + fileName;
}

std::string SettingsFilePath() { return ModuleFilePath("KorvoINI.ini"); }

void LoadSettings() {
    const std::string file = SettingsFilePath();
    AppSettings& s = appSettings;
    ReadText(s.PopupIP, "PopupIP", "KorvoPopupKiller", file);
    ReadInt(s.PopupPort, "PopupPort", 0, file);
    ReadText(s.GatewayIP, "GatewayIP", "", file);
    ReadInt(s.GatewayPort, "GatewayPort", 80, file);
    ReadInt(s.GatewayEnable, "GatewayEnable", 0, file);
    ReadInt(s.BannerBlock, "BannerBlock", 0, file);
    ReadInt(s.Startup, "Startup", 2, file);
    ReadInt(s.EventMask, "EventMask", -1, file);
    ReadInt(s.DisplayOnTop, "DisplayOnTop", 1, file);
    ReadInt(s.Disabled, "Disabled", 0, file);
    ReadInt(s.UseDefaultBufferSizes, "UseDefaultBufferSizes", 1, file);
    ReadInt(s.BufferSize, "BufferSize", 8192, file);
    ReadInt(s.DNSCacheSize, "DNSCacheSize", 10, file);
    // The host name cache has room for 101 entries; a larger value would run past it.
    if (s.DNSCacheSize > kDnsCacheCapacity) s.DNSCacheSize = kDnsCacheCapacity;
    if (s.DNSCacheSize < 0) s.DNSCacheSize = 0;
    ReadInt(s.DNSCacheDisable, "DNSCacheDisable", 1, file);
    ReadInt(s.DisableProxy, "DisableProxy", 0, file);
    s.PopupCheckEnabled = platform::ReadProfileInt(kSection, "PopupCheckDisabled", 0, file) == 0;
    ReadInt(s.PlayWave, "PlayWave", 1, file);
    ReadInt(s.ConnectionTimeOut, "ConnectionTimeOut", 60, file);
    ReadInt(s.UseDefaultTimeOut, "UseDefaultTimeOut", 1, file);
}

void SaveSettings() {
    const std::string file = SettingsFilePath();
    const AppSettings& s = appSettings;
    WriteText("PopupIP", s.PopupIP.Get(), file);
    WriteInt("PopupPort", s.PopupPort, file);
    WriteText("GatewayIP", s.GatewayIP.Get(), file);
    WriteInt("GatewayPort", s.GatewayPort, file);
    WriteInt("GatewayEnable", s.GatewayEnable, file);
    WriteInt("BannerBlock", s.BannerBlock, file);
    WriteInt("Startup", s.Startup, file);
    WriteInt("DisplayOnTop", s.DisplayOnTop, file);
    WriteInt("ResetStats", 0, file);
    WriteInt("UseDefaultBufferSizes", s.UseDefaultBufferSizes, file);
    WriteInt("Disabled", s.Disabled, file);
    WriteInt("DisableProxy", s.DisableProxy, file);
    WriteInt("BufferSize", s.BufferSize, file);
    WriteInt("DNSCacheSize", s.DNSCacheSize, file);
    WriteInt("DNSCacheDisable", s.DNSCacheDisable, file);
    WriteInt("PopupCheckDisabled", s.PopupCheckEnabled == 0 ? 1 : 0, file);
    WriteInt("PlayWave", s.PlayWave, file);
    WriteInt("ConnectionTimeOut", s.ConnectionTimeOut, file);
    WriteInt("UseDefaultTimeOut", s.UseDefaultTimeOut, file);
}

void ResolveScriptFile() {
    std::string path = "KorvoBlk.js";
    if (!path.empty() && path.find('\\') == std::string::npos) path = ModuleFilePath(path);
    ScriptFilePath.Set(path);
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        return;
    }
    ReportDiagnostic(
        Format("Warning: The %s file does not exist.\n\nFile name: '%s'", "Popup", path.c_str()));
}

int ReportDiagnostic(const std::string& text) {
    if (DiagnosticSink sink = diagnosticSink.load()) sink(text);
    return 0;
}

void SetDiagnosticSink(DiagnosticSink sink) { diagnosticSink.store(sink); }

}  // namespace proxy
