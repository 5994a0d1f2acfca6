// The uninstaller's whole run in-process, on prepared states of the test prefix: its registry
// keys, the hosts file, Internet Explorer's settings, a Mozilla profile, a window standing in for
// the running tray program, and its own language file.
#include <gtest/gtest.h>

#include <vector>

#include "browsers/browser_messages.h"
#include "browsers/hosts_file.h"
#include "browsers/internet_explorer.h"
#include "browsers/opera.h"
#include "core/app_state.h"
#include "core/instance_window.h"
#include "core/secure_root_folder.h"
#include "platform/tls.h"
#include "platform/win/reg_key.h"
#include "platform/win/tls_win.h"
#include "tests/win/browsers_support.h"
#include "uninstall/uninstaller.h"

namespace uninstall {
namespace {

using namespace browsers;
using namespace browsers_test;
using test_folder::ReadFile;
using test_folder::WriteFile;

const char kMozillaKey[] = "Software\\Mozilla";
const std::string kUsers = "127.0.0.1 localhost\r\n10.1.1.1\tfileserver\r\n";
const std::string kEntry = "127.0.0.1\tKorvoPopupKiller\r\n";
const std::string kPlain = "# Korvo\r\n127.0.0.1 localhost\r\n";
const std::string kAds = kPlain + "127.0.0.1 ads.example\r\n";
const std::string kUsesProxy =
    "user_pref(\"network.proxy.http\", \"KorvoPopupKiller\");\r\n"
    "user_pref(\"network.proxy.http_port\", 8100);\r\nuser_pref(\"network.proxy.type\", 1);\r\n";
const std::string kDirect = "user_pref(\"network.proxy.type\", 0);\r\n";

// A top-level window titled like the tray program's instance window; it keeps what is posted.
class TitledWindow {
  public:
    explicit TitledWindow(const std::string& title) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "KorvoUninstallTestWindow";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, windowClass.lpszClassName, title.c_str(), WS_POPUP, 0, 0, 1, 1,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    }
    ~TitledWindow() { DestroyWindow(window_); }
    // The messages numbered `message` waiting for the window, taken from its queue.
    int Received(UINT message) {
        int count = 0;
        MSG msg;
        while (PeekMessageA(&msg, window_, message, message, PM_REMOVE)) ++count;
        return count;
    }

  private:
    HWND window_ = nullptr;
};

// Every message box with its caption.
struct Box {
    std::string caption, text;
};
std::vector<Box> boxes;

// The uninstaller with a look at the world at the moment it tells the tray program.
class ObservedUninstaller : public Uninstaller {
  public:
    std::string hostsWhenNotified = "-";
    std::string proxyEnableWhenNotified = "-";

  protected:
    void NotifyTrayProgram() override {
        hostsWhenNotified = ReadFile(GetHostsPath());
        proxyEnableWhenNotified = ReadValue(kInternetSettingsKey, "ProxyEnable");
        Uninstaller::NotifyTrayProgram();
    }
};

class UninstallRun : public ::testing::Test {
  protected:
    void SetUp() override {
        if (Exists(hosts_)) savedHosts_ = ReadFile(hosts_);
        ClearBrowsers();
        DeleteKeyTree(HKEY_CURRENT_USER, core::kAppKeyPath);
        SetString(core::kAppKeyPath, "Path", install_);
        SetString(core::kAppKeyPath, "Language", "English");
        SetDword(kProxySettingKey, kLanFlag, 0);
        WriteFile(Folder() + "hostsd", kPlain);
        WriteFile(Folder() + "hostse", kAds);
        WriteFile(Folder() + "mHosts", kUsers);
        SetHosts(kUsers + kEntry + "127.0.0.1 ads.example\r\n");
        boxes.clear();
        platform::SetMessageBoxHandler([](HWND, const std::string& text, const std::string& caption,
                                          UINT type) {
            boxes.push_back({caption, type == (MB_OK | MB_ICONSTOP) ? text : "wrong box: " + text});
            return IDOK;
        });
    }
    void TearDown() override {
        platform::SetMessageBoxHandler(nullptr);
        ClearBrowsers();
        DeleteKeyTree(HKEY_CURRENT_USER, core::kAppKeyPath);
        SetHosts(savedHosts_);
        test_folder::RemoveTree(ApplicationData() + "Mozilla\\");
    }
    static void ClearBrowsers() {
        for (const char* key : {kOperaKey, kMozillaKey, kConnectionsKey}) {
            DeleteKeyTree(HKEY_CURRENT_USER, key);
        }
        SetDword(kInternetSettingsKey, "ProxyEnable", 0);
        SetValue(kInternetSettingsKey, "ProxyServer", 0, "");
    }
    void SetHosts(const std::string& content) {
        SetFileAttributesA(hosts_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(hosts_.c_str());
        WriteFile(hosts_, content);
        SetHostsAttributes(hosts_, true);
    }
    static void UseProxyInIe(const std::string& server) {
        SetDword(kInternetSettingsKey, "ProxyEnable", 1);
        SetString(kInternetSettingsKey, "ProxyServer", server);
    }
    const std::string& Folder() const { return folder_.Path(); }

    test_folder::TemporaryFolder folder_;
    const std::string install_ = Folder().substr(0, Folder().size() - 1);
    const std::string hosts_ = GetHostsPath();
    std::string savedHosts_;
};

TEST_F(UninstallRun, WithoutItsKeysNothingIsTouched) {
    UseProxyInIe(kIeProxyServer);
    const std::string hosts = ReadFile(hosts_);
    TitledWindow tray("Korvo Popup Killer.kv");
    for (const char* missing : {kProxySettingKey, core::kAppKeyPath}) {
        DeleteKeyTree(HKEY_CURRENT_USER, missing);
        Uninstaller uninstaller;
        EXPECT_EQ(uninstaller.Run(), 0);
        EXPECT_EQ(ReadFile(hosts_), hosts) << missing;
        EXPECT_TRUE(Exists(Folder() + "mHosts")) << missing;
        EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyEnable"), "1") << missing;
        EXPECT_EQ(tray.Received(core::kMsgUninstalling), 0) << missing;
    }
    EXPECT_EQ(ReadValue(core::kAppKeyPath, "Path"), "-");  // nothing was created either
}

#if KORVO_TLS
// A root of trust must not outlive the product, so it goes even when the keys are gone.
TEST_F(UninstallRun, SecureRootIsRemovedAlsoWithoutItsKeys) {
    const std::string folder = core::SecureRootFolder();
    ASSERT_FALSE(folder.empty());
    std::string error;
    auto authority = platform::OpenTlsAuthority(folder, error);
    ASSERT_TRUE(authority) << error;
    ASSERT_TRUE(platform::InstallTlsRoot(*authority, error)) << error;
    const auto leaf = authority->IssueLeaf("www.example.test");
    ASSERT_TRUE(leaf);
    const std::string leafDer = platform::TlsLeafDer(*leaf);
    authority.reset();
    std::string detail;
    ASSERT_EQ(platform::VerifyTlsServerCertificate(leafDer, nullptr, 0, "www.example.test", detail),
              platform::TlsFailure::kNone)
        << detail;

    DeleteKeyTree(HKEY_CURRENT_USER, core::kAppKeyPath);
    EXPECT_EQ(Uninstaller().Run(), 0);
    EXPECT_EQ(platform::VerifyTlsServerCertificate(leafDer, nullptr, 0, "www.example.test", detail),
              platform::TlsFailure::kUnknownIssuer)
        << detail;
    EXPECT_FALSE(Exists(folder + "\\" + platform::kTlsRootFile));
    EXPECT_FALSE(Exists(folder.substr(0, folder.find_last_of('\\')))) << "the emptied folder stays";
}
#endif

// An installation for everyone that the uninstalling account never started: the machine's key
// names the folder, and the hosts file, which other accounts' runs changed, still loses the
// program's lines.
TEST_F(UninstallRun, MachinesKeyServesAnAccountThatNeverRanTheProgram) {
    DeleteKeyTree(HKEY_CURRENT_USER, core::kAppKeyPath);
    platform::RegKey defaults;
    ASSERT_EQ(defaults.Create(HKEY_LOCAL_MACHINE, core::kAppKeyPath), ERROR_SUCCESS);
    defaults.SetString("Path", install_);
    Uninstaller uninstaller;
    EXPECT_EQ(uninstaller.Run(), 0);
    defaults.Close();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, core::kAppKeyPath);
    EXPECT_EQ(uninstaller.path, install_);
    EXPECT_EQ(ReadFile(hosts_), kUsers);
    EXPECT_FALSE(Exists(Folder() + "mHosts"));
    EXPECT_EQ(ReadValue(core::kAppKeyPath, "Path"), "-");
}

TEST_F(UninstallRun, HostsFileKeepsTheUsersLines) {
    struct Case {
        std::string hosts, backup, expected;
    } cases[] = {
        // Lines the user added after installation stay, the program's go.
        {kUsers + kEntry + "# Korvo\r\n127.0.0.1 ads.example\r\n10.1.1.2 nas\n", kUsers,
         kUsers + "10.1.1.2 nas\n"},
        // No backup: still the program's lines go, and nothing takes their place.
        {kEntry + "127.0.0.1 ads.example\r\n", "", ""},
        // A file with localhost commented out gets no localhost line of the prepared files.
        {"# 127.0.0.1 localhost\r\n" + kPlain + kEntry, "# 127.0.0.1 localhost\r\n",
         "# 127.0.0.1 localhost\r\n"},
    };
    for (const Case& c : cases) {
        SetHosts(c.hosts);
        if (!c.backup.empty()) WriteFile(Folder() + "mHosts", c.backup);
        Uninstaller uninstaller;
        uninstaller.Run();
        EXPECT_EQ(ReadFile(hosts_), c.expected) << c.hosts;
        EXPECT_EQ(GetFileAttributesA(hosts_.c_str()), kHostsReadOnlyAttributes);
        EXPECT_FALSE(Exists(Folder() + "mHosts"));
        EXPECT_FALSE(Exists(hosts_ + ".korvo-new"));
    }
    // No installation folder in the key: the proxy's entry alone goes.
    SetValue(core::kAppKeyPath, "Path", 0, "");
    SetHosts(kUsers + kEntry + "127.0.0.1 ads.example\r\n");
    Uninstaller().Run();
    EXPECT_EQ(ReadFile(hosts_), kUsers + "127.0.0.1 ads.example\r\n");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(UninstallRun, TrayProgramHearsAfterTheHostsFileBeforeTheBrowsers) {
    UseProxyInIe(kIeProxyServer);
    // Without "Language" the English file of "Lang" names the window and words the boxes.
    SetValue(core::kAppKeyPath, "Language", 0, "");
    CreateDirectoryA((Folder() + "Lang").c_str(), nullptr);
    WriteFile(Folder() + "Lang\\English.ini",
              "[KorvoPopupKiller]\r\n9999=Korvo Test Tray\r\n99990=Korvo Test Title\r\n"
              "2251=No Opera#key\r\n");
    // Opera recorded as configured, but its key is gone: one box, and the other browsers are
    // still handled.
    SetDword(kProxySettingKey, kOpera6Flag, 1);
    TitledWindow other("Korvo Popup Killer.kv");
    TitledWindow tray("Korvo Test Tray");
    ObservedUninstaller uninstaller;
    uninstaller.Run();
    EXPECT_EQ(tray.Received(core::kMsgUninstalling), 1);
    EXPECT_EQ(other.Received(core::kMsgUninstalling), 0);
    EXPECT_EQ(uninstaller.hostsWhenNotified, kUsers);
    EXPECT_EQ(uninstaller.proxyEnableWhenNotified, "1");
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyEnable"), "0");
    ASSERT_EQ(boxes.size(), 1u);
    // The caption is the program's title, not the hidden window's.
    EXPECT_EQ(boxes[0].caption, "Korvo Test Title");
    EXPECT_EQ(boxes[0].text, "No Opera\nkey");

    // Afterwards the browsers' boxes speak for the tray program again.
    ShowBrowserError({"2251", "tray text"});
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[1].caption, "Korvo Test Title");
}

TEST_F(UninstallRun, InternetExplorerResetWhenItsLiveSettingsUseTheProxy) {
    // Flags 0 throughout; only the live settings tell. Another proxy of the user's is not ours.
    const std::pair<std::string, std::string> cases[] = {
        {kIeProxyServer, "0"},
        {"http=proxy.example:3128", "1"},
    };
    for (const auto& c : cases) {
        UseProxyInIe(c.first);
        SetDword(kProxySettingKey, kLanFlag, 0);
        Uninstaller uninstaller;
        uninstaller.Run();
        EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyEnable"), c.second) << c.first;
        EXPECT_EQ(uninstaller.state.ieUsesProxy, c.second == "0" ? 1 : 0);
    }
    EXPECT_EQ(ReadFlag(kLanFlag), "0");
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyHttp1.1"), "0");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(UninstallRun, MozillaProfilesTestedAndOnlyTheConfiguredOneReset) {
    SetString(std::string(kMozillaKey) + "\\Mozilla 1.7", "CurrentVersion", "1.7");
    const std::string profiles = ApplicationData() + "Mozilla\\Profiles\\";
    const std::string direct = profiles + "direct\\ab12cd34.slt\\";
    MakeFolders(direct);
    WriteFile(direct + "prefs.js", kDirect);
    Uninstaller first;
    first.Run();
    EXPECT_EQ(first.state.mozillaInstalled, 1);
    EXPECT_EQ(first.state.netscapeIsConfigured, 0);
    EXPECT_EQ(ReadFile(direct + "prefs.js"), kDirect);
    EXPECT_FALSE(Exists(direct + "user.js"));

    // With the flag still 0, the live test finds a profile pointing at the proxy.
    const std::string proxied = profiles + "proxied\\ef56gh78.slt\\";
    MakeFolders(proxied);
    WriteFile(proxied + "prefs.js", kUsesProxy);
    Uninstaller second;
    second.Run();
    EXPECT_EQ(second.state.netscapeIsConfigured, 1);
    EXPECT_NE(ReadFile(proxied + "user.js").find("\"network.proxy.type\", 0"), std::string::npos);
    EXPECT_FALSE(Exists(direct + "user.js"));
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace uninstall
