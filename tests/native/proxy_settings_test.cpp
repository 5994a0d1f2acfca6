// The settings file, the host name cache, buffer sizing and the socket error texts.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/module_path.h"
#include "platform/socket.h"
#include "proxy/blocker.h"
#include "proxy/connection.h"
#include "proxy/context.h"
#include "proxy/diagnostics.h"
#include "proxy/dns_cache.h"
#include "proxy/settings.h"
#include "proxy/socket_errors.h"

namespace proxy {
namespace {

std::vector<std::string> diagnostics;
void Collect(const std::string& text) { diagnostics.push_back(text); }

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/korvo-settings-XXXXXX";
        folder_ = mkdtemp(pattern);
        platform::OverrideProgramDirectory(folder_);
        diagnostics.clear();
        SetDiagnosticSink(Collect);
    }
    void TearDown() override {
        SetDiagnosticSink(nullptr);
        platform::OverrideProgramDirectory("");
        std::system(("rm -rf " + folder_).c_str());
    }
    void WriteFile(const std::string& text) { std::ofstream(SettingsFilePath()) << text; }
    std::string ReadFile() {
        std::ifstream in(SettingsFilePath());
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string folder_;
    AppSettings settings_;
};

// The file the defaults give: every key but EventMask, in the order the program writes them.
const char kDefaultFile[] =
    "[KorvoPopupKiller]\r\nPopupIP=KorvoPopupKiller\r\nPopupPort=0\r\nGatewayIP=\r\n"
    "GatewayPort=80\r\nGatewayEnable=0\r\nBannerBlock=0\r\nStartup=2\r\nDisplayOnTop=1\r\n"
    "ResetStats=0\r\nUseDefaultBufferSizes=1\r\nDisabled=0\r\nDisableProxy=0\r\n"
    "BufferSize=8192\r\nDNSCacheSize=10\r\nDNSCacheDisable=1\r\nPopupCheckDisabled=0\r\n"
    "PlayWave=1\r\nConnectionTimeOut=60\r\nUseDefaultTimeOut=1\r\n"
    "FilterSecurePages=1\r\n";

// A missing file gives every default, whatever the record held before: saved again, the record
// writes the defaults' file, and the one key never saved is at its default too.
TEST_F(SettingsFile, MissingFileGivesTheDefaultsAndSavesTwentyKeysInOrder) {
    AppSettings& s = settings_;
    s.PopupIP.Set("x");
    s.GatewayIP.Set("y");
    for (Setting* field :
         {&s.PopupPort, &s.GatewayPort, &s.GatewayEnable, &s.BannerBlock, &s.Startup, &s.EventMask,
          &s.DisplayOnTop, &s.Disabled, &s.UseDefaultBufferSizes, &s.BufferSize, &s.DNSCacheSize,
          &s.DNSCacheDisable, &s.DisableProxy, &s.PopupCheckEnabled, &s.PlayWave,
          &s.ConnectionTimeOut, &s.UseDefaultTimeOut, &s.FilterSecurePages}) {
        *field = 7;
    }
    LoadSettings(settings_);
    EXPECT_EQ(s.EventMask, -1);
    SaveSettings(settings_);
    EXPECT_EQ(ReadFile(), kDefaultFile);
    EXPECT_TRUE(diagnostics.empty());
}

TEST_F(SettingsFile, PopupCheckIsStoredInvertedBothWays) {
    WriteFile("[KorvoPopupKiller]\nPopupCheckDisabled=1\n");
    LoadSettings(settings_);
    EXPECT_EQ(settings_.PopupCheckEnabled, 0);
    SaveSettings(settings_);
    EXPECT_NE(ReadFile().find("PopupCheckDisabled=1\r\n"), std::string::npos);
    settings_.PopupCheckEnabled = 1;
    SaveSettings(settings_);
    EXPECT_NE(ReadFile().find("PopupCheckDisabled=0\r\n"), std::string::npos);
}

TEST_F(SettingsFile, ValuesAreReadAsTheirLeadingDigitsAndKeptWithinLimits) {
    WriteFile(
        "[korvopopupkiller]\n BufferSize = abc\nPopupPort=8100x\nGatewayPort=4294967295\n"
        "DNSCacheSize=500\nGatewayIP=\"10.0.0.1\"\n");
    LoadSettings(settings_);
    EXPECT_EQ(settings_.BufferSize, 0);
    EXPECT_EQ(settings_.PopupPort, 8100);
    EXPECT_EQ(settings_.GatewayPort, -1);  // written back as 4294967295
    EXPECT_EQ(settings_.DNSCacheSize, kDnsCacheCapacity);
    EXPECT_EQ(settings_.GatewayIP.Get(), "10.0.0.1");
    SaveSettings(settings_);
    EXPECT_NE(ReadFile().find("GatewayPort=4294967295\r\n"), std::string::npos);
}

TEST_F(SettingsFile, SaveKeepsOtherSectionsAndLines) {
    WriteFile("; user note\n[Other]\nA=1\n[KorvoPopupKiller]\nPlayWave=0\n");
    LoadSettings(settings_);
    SaveSettings(settings_);
    std::string text = ReadFile();
    EXPECT_EQ(
        text.rfind("; user note\r\n[Other]\r\nA=1\r\n[KorvoPopupKiller]\r\nPlayWave=0\r\n", 0), 0u)
        << text;
}

TEST_F(SettingsFile, ReadOnlyFileReportsTheFirstWriteFailureOnly) {
    WriteFile("[KorvoPopupKiller]\n");
    chmod(SettingsFilePath().c_str(), 0444);
    LoadSettings(settings_);
    SaveSettings(settings_);
    SaveSettings(settings_);
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(diagnostics[0], "Error writing to file:\n" + SettingsFilePath());
    EXPECT_EQ(ReadFile(), "[KorvoPopupKiller]\n");
}

TEST_F(SettingsFile, MissingScriptFileIsReportedNotFatal) {
    ProxyContext context(settings_);
    ResolveScriptFile(context);
    EXPECT_EQ(context.scriptFilePath.Get(), folder_ + "/KorvoBlk.js");
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(diagnostics[0], "Warning: The Popup file does not exist.\n\nFile name: '" + folder_ +
                                  "/KorvoBlk.js'");
    std::ofstream(folder_ + "/KorvoBlk.js") << "x";
    diagnostics.clear();
    ResolveScriptFile(context);
    EXPECT_TRUE(diagnostics.empty());
}

TEST(DnsCacheTest, FillsFromTheFrontThenReplacesRoundRobin) {
    AppSettings settings;
    settings.DNSCacheDisable = 0;
    settings.DNSCacheSize = 2;
    DnsCache cache(settings);
    cache.Insert("a", 1);
    cache.Insert("b", 2);
    cache.Insert("c", 3);
    EXPECT_EQ(cache.Lookup("a"), 0u);
    EXPECT_EQ(cache.Lookup("b"), 2u);
    EXPECT_EQ(cache.Lookup("c"), 3u);
    cache.Insert("d", 4);
    EXPECT_EQ(cache.Lookup("b"), 0u);
    EXPECT_EQ(cache.Lookup("c"), 3u);
    EXPECT_EQ(cache.Lookup("d"), 4u);
    // Names compare exactly.
    cache.Insert("Host", 5);
    EXPECT_EQ(cache.Lookup("host"), 0u);
    settings.DNSCacheDisable = 1;
    EXPECT_EQ(cache.Lookup("Host"), 0u);
}

TEST(RelayBuffer, SizeFollowsTheSettings) {
    AppSettings settings;
    ProxyContext context(settings);
    settings.UseDefaultBufferSizes = 1;
    context.systemReceiveBufferSize = 8192;
    context.systemSendBufferSize = 8192;
    EXPECT_EQ(RelayBufferSize(context), 8192);
    context.systemReceiveBufferSize = 0;
    context.systemSendBufferSize = 0;
    EXPECT_EQ(RelayBufferSize(context), 256);
    settings.UseDefaultBufferSizes = 0;
    settings.BufferSize = 0;
    EXPECT_EQ(RelayBufferSize(context), 1);

    for (auto [before, after] : {std::pair{4096, 3072}, {2500, 2048}, {2048, 2048}, {100, 2048}}) {
        settings.BufferSize = before;
        BackOffBufferSize(settings);
        EXPECT_EQ(settings.BufferSize, after) << before;
    }
}

TEST(SocketErrors, TextsForKnownAndUnknownErrors) {
    EXPECT_EQ(SocketErrorTextFor(10054), "Connection reset");
    EXPECT_EQ(SocketErrorTextFor(10055),
              "The Windows Sockets implementation reports a buffer deadlock.");
    EXPECT_EQ(SocketErrorTextFor(10048), "Winsock error = (10048)");
    platform::SetLastSocketError(0);
    EXPECT_EQ(LastSocketErrorText(), "");
    platform::SetLastSocketError(10022);
    EXPECT_EQ(LastSocketErrorText(), "The socket has not been bound with Bind.");
}

TEST(SocketErrors, RealFailuresReportWinsockNumbers) {
    platform::SocketHandle s = platform::OpenTcpSocket();
    ASSERT_NE(s, platform::kInvalidSocket);
    // Port 1 on loopback has no listener here: the connection is refused.
    EXPECT_EQ(platform::ConnectTo(s, platform::LoopbackAddress(), 1), -1);
    EXPECT_EQ(platform::LastSocketError(), 10061);
    platform::CloseSocket(s);
}

}  // namespace
}  // namespace proxy
