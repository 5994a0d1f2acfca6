// RegKey, LoadAppState and SaveAppState against the real registry of the test prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "platform/win/message_box.h"
#include "platform/win/reg_key.h"

namespace core {
namespace {

std::vector<std::string> shownTexts;
int RecordBox(HWND, const std::string& text, const std::string& caption, UINT type) {
    shownTexts.push_back(text + "|" + caption + "|" + std::to_string(type));
    return IDOK;
}

// The test keys: the application key, the machine's defaults and a scratch key with one subkey.
void DeleteTestKeys() {
    for (const char* key :
         {"Software\\Korvo Test Scratch\\Sub", "Software\\Korvo Test Scratch", kAppKeyPath}) {
        RegDeleteKeyA(HKEY_CURRENT_USER, key);
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAppKeyPath);
}

// Type and bytes of a value as stored; type 0 when it cannot be read.
std::pair<DWORD, std::string> Stored(const std::string& keyPath, const std::string& name) {
    platform::RegKey key;
    char data[1024];
    DWORD type = 0, size = sizeof(data);
    if (key.Open(HKEY_CURRENT_USER, keyPath, KEY_READ) != ERROR_SUCCESS ||
        RegQueryValueExA(key.Handle(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data),
                         &size) != ERROR_SUCCESS) {
        return {0, ""};
    }
    return {type, std::string(data, size)};
}
std::pair<DWORD, std::string> Sz(const std::string& text) { return {REG_SZ, text + '\0'}; }

const char kScratch[] = "Software\\Korvo Test Scratch";
const std::string kRunKey = std::string(kRunKeyParentPath) + "\\Run";

class CoreRegistry : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteTestKeys();
        shownTexts.clear();
        platform::SetMessageBoxHandler(RecordBox);
    }
    void TearDown() override {
        platform::SetMessageBoxHandler(nullptr);
        DeleteTestKeys();
        platform::RegKey run;
        if (run.Open(HKEY_CURRENT_USER, kRunKey) == ERROR_SUCCESS) {
            RegDeleteValueA(run.Handle(), kRunValueName);
        }
    }
    // The key as the installer leaves it, less the values named in `without`.
    static void WriteInstalledKey(const std::vector<std::string>& without = {}) {
        auto wanted = [&](const std::string& name) {
            for (const std::string& skipped : without) {
                if (skipped == name) return false;
            }
            return true;
        };
        platform::RegKey key;
        key.Create(HKEY_CURRENT_USER, kAppKeyPath);
        const std::pair<const char*, const char*> texts[] = {{"Wizard Message", "N"},
                                                             {"Language", "English"},
                                                             {"Path", "C:\\Korvo"},
                                                             {"Blocked Popups", "17"},
                                                             {"User Wav Path", "C:\\a.wav"}};
        for (const auto& t : texts) {
            if (wanted(t.first)) key.SetString(t.first, t.second);
        }
        if (wanted("Close To Tray")) key.SetDword("Close To Tray", 0);
    }
};

TEST_F(CoreRegistry, KeyValuesStoredAndQueried) {
    platform::RegKey key;
    EXPECT_EQ(key.Open(HKEY_CURRENT_USER, kScratch), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kScratch), ERROR_SUCCESS);
    key.SetString("Text", "abc");
    key.SetDword("Number", 0x01020304);
    key.SetSubKeyString("Sub", "Inner", "x y");
    key.SetString("Max", std::string(259, 'm'));
    key.SetString("TooLong", std::string(260, 'l'));
    RegSetValueExA(key.Handle(), "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("xyz"), 3);

    EXPECT_EQ(Stored(kScratch, "Text"), Sz("abc"));  // with its terminating zero
    EXPECT_EQ(Stored(kScratch, "Number"),
              std::make_pair(DWORD(REG_DWORD), std::string("\4\3\2\1")));
    EXPECT_EQ(Stored(std::string(kScratch) + "\\Sub", "Inner"), Sz("x y"));

    DWORD number = 0;
    EXPECT_EQ(key.QueryDword("Text", &number), ERROR_SUCCESS);  // the type is not checked
    EXPECT_EQ(number, 0x00636261u);
    std::string text = "unchanged";
    EXPECT_EQ(key.QueryString("Missing", &text), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.QueryString("TooLong", &text), ERROR_MORE_DATA);
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(key.QueryString("Max", &text), ERROR_SUCCESS);
    EXPECT_EQ(text, std::string(259, 'm'));
    EXPECT_EQ(key.QueryString("Bare", &text), ERROR_SUCCESS);  // stored without a zero
    EXPECT_EQ(text, "xyz");

    std::string bytes = "unchanged";
    EXPECT_EQ(key.QueryBytes("Number", &bytes, 4), ERROR_SUCCESS);
    EXPECT_EQ(bytes, "\4\3\2\1");
    EXPECT_EQ(key.QueryBytes("Text", &bytes, 3), ERROR_MORE_DATA);
    EXPECT_EQ(key.QueryBytes("Missing", &bytes, 99), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(bytes, "\4\3\2\1");

    std::vector<std::string> values = key.ValueNames();
    std::sort(values.begin(), values.end());
    EXPECT_EQ(values, (std::vector<std::string>{"Bare", "Max", "Number", "Text", "TooLong"}));
    EXPECT_EQ(key.SubKeyNames(), std::vector<std::string>{"Sub"});
    platform::RegKey sub;
    ASSERT_EQ(sub.Open(key.Handle(), "Sub"), ERROR_SUCCESS);
    EXPECT_TRUE(sub.SubKeyNames().empty());
    EXPECT_EQ(sub.ValueNames(), std::vector<std::string>{"Inner"});
    EXPECT_TRUE(platform::RegKey().ValueNames().empty());
}

TEST_F(CoreRegistry, LoadState) {
    WriteInstalledKey({"Wizard Message", "Close To Tray"});
    AppState state;
    state.wizardMessage = "N";
    EXPECT_TRUE(LoadAppState(state));
    EXPECT_EQ(state.wizardMessage, "A");
    EXPECT_EQ(state.closeToTray, 1);
    EXPECT_EQ(state.installPath + state.language + state.blockedPopups + state.userWavPath,
              "C:\\KorvoEnglish17C:\\a.wav");
    WriteInstalledKey();
    EXPECT_TRUE(LoadAppState(state));
    EXPECT_EQ(state.wizardMessage, "N");
    EXPECT_EQ(state.closeToTray, 0);
    EXPECT_TRUE(shownTexts.empty());

    for (const char* missing : {"Language", "Path", "Blocked Popups", "User Wav Path", "key"}) {
        RegDeleteKeyA(HKEY_CURRENT_USER, kAppKeyPath);
        if (std::string(missing) != "key") WriteInstalledKey({missing});
        EXPECT_FALSE(LoadAppState(state)) << missing;
    }
    ASSERT_EQ(shownTexts.size(), 5u);
    EXPECT_EQ(shownTexts[0],
              "Sorry, but some files have been corrupted, you have to re-install the "
              "program|Korvo Popup Killer|0");
}

TEST_F(CoreRegistry, SaveStateAndRunValue) {
    WriteInstalledKey();
    AppState state;
    ASSERT_TRUE(LoadAppState(state));
    state.blockedPopups = std::string(259, '8');
    state.wizardMessage = "A";
    state.language = "Deutsch";
    state.closeToTray = 1;
    SaveAppState(state, 2);
    EXPECT_EQ(Stored(kAppKeyPath, "Language"), Sz("English"));  // languageChanged not set
    EXPECT_EQ(Stored(kAppKeyPath, "Close To Tray"),
              std::make_pair(DWORD(REG_DWORD), std::string("\1\0\0\0", 4)));
    EXPECT_EQ(Stored(kRunKey, kRunValueName), Sz("C:\\Korvo\\KorvoPop.exe"));

    state.languageChanged = 1;
    SaveAppState(state, 1);
    EXPECT_EQ(Stored(kRunKey, kRunValueName), Sz(""));  // emptied, never deleted
    AppState loaded;
    EXPECT_TRUE(LoadAppState(loaded));
    EXPECT_EQ(loaded.language + loaded.wizardMessage, "DeutschA");
    EXPECT_EQ(loaded.blockedPopups, state.blockedPopups);
    EXPECT_EQ(loaded.closeToTray, 1);
}

// An installation for everyone leaves its defaults under the machine's key: a user's first start
// makes that user's key from them, so no user sees "files corrupted" for lack of a key the
// installer could not write. A key the user already has stays as it is.
TEST_F(CoreRegistry, UserKeyMadeFromTheMachinesDefaults) {
    EXPECT_FALSE(MakeUserKeyFromDefaults());  // no defaults: nothing to make it from
    {
        platform::RegKey defaults;
        ASSERT_EQ(defaults.Create(HKEY_LOCAL_MACHINE, kAppKeyPath), ERROR_SUCCESS);
        defaults.SetString("Path", "C:\\Program Files\\Korvo Popup Killer");
        defaults.SetString("Install Path", "C:\\Program Files\\Korvo Popup Killer\\");
        defaults.SetString("Language", "Deutsch");
        defaults.SetString("User Wav Path", "C:\\Program Files\\Korvo Popup Killer\\PopUp.wav");
    }
    EXPECT_TRUE(MakeUserKeyFromDefaults());
    EXPECT_EQ(Stored(kAppKeyPath, "Path"), Sz("C:\\Program Files\\Korvo Popup Killer"));
    EXPECT_EQ(Stored(kAppKeyPath, "Language"), Sz("Deutsch"));
    EXPECT_EQ(Stored(kAppKeyPath, "Blocked Popups"), Sz("0"));
    EXPECT_EQ(Stored(kAppKeyPath, "FirstRun"),
              std::make_pair(DWORD(REG_DWORD), std::string("\1\0\0\0", 4)));
    AppState state;
    EXPECT_TRUE(LoadAppState(state));
    EXPECT_TRUE(shownTexts.empty());
    EXPECT_EQ(state.userWavPath, "C:\\Program Files\\Korvo Popup Killer\\PopUp.wav");

    // The second start, and a user who installed for himself, keep their own key.
    WriteInstalledKey();
    EXPECT_FALSE(MakeUserKeyFromDefaults());
    EXPECT_EQ(Stored(kAppKeyPath, "Path"), Sz("C:\\Korvo"));
    // A key left without "Path" (an earlier installation's count) is completed, count kept.
    RegDeleteKeyA(HKEY_CURRENT_USER, kAppKeyPath);
    WriteInstalledKey({"Path"});
    EXPECT_TRUE(MakeUserKeyFromDefaults());
    EXPECT_EQ(Stored(kAppKeyPath, "Blocked Popups"), Sz("17"));
}

}  // namespace
}  // namespace core
