// RegKey, LoadAppState and SaveAppState against the real registry of the test prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/message_box.h"
#include "core/reg_key.h"

namespace core {
namespace {

const char kScratchKey[] = "Software\\Korvo Test Scratch";

struct ShownBox {
    std::string text, caption;
    UINT type;
};
std::vector<ShownBox> shownBoxes;
int RecordBox(HWND, const std::string& text, const std::string& caption, UINT type) {
    shownBoxes.push_back({text, caption, type});
    return IDOK;
}

void DeleteTree(HKEY parent, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    char name[256];
    DWORD size = sizeof(name);
    while (RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS) {
        DeleteTree(key, name);
        size = sizeof(name);
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, path.c_str());
}

// Type, size and bytes of a value as stored, read without the wrapper.
struct StoredValue {
    LONG result;
    DWORD type = 0;
    std::string bytes;
};
StoredValue ReadStored(const std::string& keyPath, const std::string& name) {
    StoredValue v;
    HKEY key;
    v.result = RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key);
    if (v.result != ERROR_SUCCESS) return v;
    char data[4096];
    DWORD size = sizeof(data);
    v.result =
        RegQueryValueExA(key, name.c_str(), nullptr, &v.type, reinterpret_cast<BYTE*>(data), &size);
    if (v.result == ERROR_SUCCESS) v.bytes.assign(data, size);
    RegCloseKey(key);
    return v;
}

std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }

class CoreRegKey : public ::testing::Test {
  protected:
    void SetUp() override { DeleteTree(HKEY_CURRENT_USER, kScratchKey); }
    void TearDown() override { DeleteTree(HKEY_CURRENT_USER, kScratchKey); }
};

TEST_F(CoreRegKey, OpenFailsOnMissingKeyCreateMakesIt) {
    RegKey key;
    EXPECT_EQ(key.Open(HKEY_CURRENT_USER, kScratchKey), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(key.IsOpen());
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kScratchKey), ERROR_SUCCESS);
    EXPECT_TRUE(key.IsOpen());
    // Creating again opens the existing key; reopening closes the handle held before.
    EXPECT_EQ(key.Create(HKEY_CURRENT_USER, kScratchKey), ERROR_SUCCESS);
    EXPECT_EQ(key.Open(HKEY_CURRENT_USER, kScratchKey), ERROR_SUCCESS);
    EXPECT_EQ(key.Close(), ERROR_SUCCESS);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(key.Close(), ERROR_SUCCESS);
}

TEST_F(CoreRegKey, StoredTypesAndSizes) {
    RegKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kScratchKey), ERROR_SUCCESS);
    EXPECT_EQ(key.SetString("Text", "abc"), ERROR_SUCCESS);
    EXPECT_EQ(key.SetString("Empty", ""), ERROR_SUCCESS);
    EXPECT_EQ(key.SetDword("Number", 0x01020304), ERROR_SUCCESS);
    EXPECT_EQ(key.SetSubKeyString("Sub\\Deeper", "Inner", "x y"), ERROR_SUCCESS);
    key.Close();

    struct Case {
        const char* key;
        const char* name;
        DWORD type;
        std::string bytes;
    } cases[] = {
        {"", "Text", REG_SZ, Sz("abc")},  // the terminating zero is stored
        {"", "Empty", REG_SZ, Sz("")},
        {"", "Number", REG_DWORD, std::string("\x04\x03\x02\x01", 4)},
        {"\\Sub\\Deeper", "Inner", REG_SZ, Sz("x y")},
    };
    for (const Case& c : cases) {
        StoredValue v = ReadStored(std::string(kScratchKey) + c.key, c.name);
        ASSERT_EQ(v.result, ERROR_SUCCESS) << c.name;
        EXPECT_EQ(v.type, c.type) << c.name;
        EXPECT_EQ(v.bytes, c.bytes) << c.name;
    }
}

TEST_F(CoreRegKey, QueriesReadBackAndBounded) {
    RegKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kScratchKey), ERROR_SUCCESS);
    key.SetDword("Number", 7);
    key.SetString("Text", "abc");
    key.SetString("Max", std::string(259, 'm'));
    key.SetString("TooLong", std::string(260, 'l'));
    // A string stored without its terminating zero.
    RegSetValueExA(key.Handle(), "Unterminated", 0, REG_SZ, reinterpret_cast<const BYTE*>("xyz"),
                   3);

    DWORD number = 0;
    EXPECT_EQ(key.QueryDword("Number", &number), ERROR_SUCCESS);
    EXPECT_EQ(number, 7u);
    // The 4-byte query does not check the type: "abc\0" as a little-endian number.
    EXPECT_EQ(key.QueryDword("Text", &number), ERROR_SUCCESS);
    EXPECT_EQ(number, 0x00636261u);
    EXPECT_NE(key.QueryDword("Missing", &number), ERROR_SUCCESS);

    std::string text = "unchanged";
    EXPECT_EQ(key.QueryString("Missing", &text), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(key.QueryString("TooLong", &text), ERROR_MORE_DATA);
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(key.QueryString("Max", &text), ERROR_SUCCESS);
    EXPECT_EQ(text, std::string(259, 'm'));
    EXPECT_EQ(key.QueryString("Unterminated", &text), ERROR_SUCCESS);
    EXPECT_EQ(text, "xyz");
    EXPECT_EQ(key.QueryString("Text", &text, 2), ERROR_MORE_DATA);
}

TEST_F(CoreRegKey, MovedWrapperKeepsTheOneHandle) {
    RegKey first;
    ASSERT_EQ(first.Create(HKEY_CURRENT_USER, kScratchKey), ERROR_SUCCESS);
    RegKey second = std::move(first);
    EXPECT_FALSE(first.IsOpen());
    EXPECT_EQ(second.SetString("After", "move"), ERROR_SUCCESS);
    EXPECT_EQ(ReadStored(kScratchKey, "After").bytes, Sz("move"));
}

// The application key and the Run value, saved before and put back after each test.
class CoreAppStateRegistry : public ::testing::Test {
  protected:
    void SetUp() override {
        runBefore_ = ReadStored(std::string(kRunKeyParentPath) + "\\Run", kRunValueName);
        DeleteTree(HKEY_CURRENT_USER, kAppKeyPath);
        shownBoxes.clear();
        SetMessageBoxHandler(RecordBox);
    }
    void TearDown() override {
        SetMessageBoxHandler(nullptr);
        DeleteTree(HKEY_CURRENT_USER, kAppKeyPath);
        RegKey run;
        run.Create(HKEY_CURRENT_USER, std::string(kRunKeyParentPath) + "\\Run");
        if (runBefore_.result == ERROR_SUCCESS) {
            RegSetValueExA(run.Handle(), kRunValueName, 0, runBefore_.type,
                           reinterpret_cast<const BYTE*>(runBefore_.bytes.data()),
                           static_cast<DWORD>(runBefore_.bytes.size()));
        } else {
            RegDeleteValueA(run.Handle(), kRunValueName);
        }
    }

    // The key as the installer leaves it, less the values named in `without`.
    static void WriteInstalledKey(const std::vector<std::string>& without = {}) {
        RegKey key;
        ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kAppKeyPath), ERROR_SUCCESS);
        auto put = [&](const std::string& name, const std::string& value) {
            for (const std::string& skipped : without) {
                if (skipped == name) return;
            }
            key.SetString(name, value);
        };
        put("Wizard Message", "N");
        put("Language", "English");
        put("Path", "C:\\Program Files\\Korvo Popup Killer");
        put("Blocked Popups", "17");
        put("User Wav Path", "C:\\Program Files\\Korvo Popup Killer\\Sounds\\PopUp.wav");
        bool withCloseToTray = true;
        for (const std::string& skipped : without) withCloseToTray &= skipped != "Close To Tray";
        if (withCloseToTray) key.SetDword("Close To Tray", 0);
    }

    StoredValue runBefore_;
};

const char kCorrupted[] =
    "Sorry, but some files have been corrupted, you have to re-install the program";

TEST_F(CoreAppStateRegistry, LoadsEveryValue) {
    WriteInstalledKey();
    AppState state;
    EXPECT_EQ(LoadAppState(state), 0);
    EXPECT_TRUE(shownBoxes.empty());
    EXPECT_EQ(state.wizardMessage, "N");
    EXPECT_EQ(state.language, "English");
    EXPECT_EQ(state.installPath, "C:\\Program Files\\Korvo Popup Killer");
    EXPECT_EQ(state.blockedPopups, "17");
    EXPECT_EQ(state.userWavPath, "C:\\Program Files\\Korvo Popup Killer\\Sounds\\PopUp.wav");
    EXPECT_EQ(state.closeToTray, 0);
}

TEST_F(CoreAppStateRegistry, OptionalValuesMissing) {
    WriteInstalledKey({"Wizard Message", "Close To Tray"});
    AppState state;
    state.wizardMessage = "N";
    EXPECT_EQ(LoadAppState(state), 0);
    EXPECT_TRUE(shownBoxes.empty());
    EXPECT_EQ(state.wizardMessage, "A");
    EXPECT_EQ(state.closeToTray, 1);
}

TEST_F(CoreAppStateRegistry, RequiredValueMissingIsFatal) {
    for (const char* missing : {"Language", "Path", "Blocked Popups", "User Wav Path"}) {
        DeleteTree(HKEY_CURRENT_USER, kAppKeyPath);
        WriteInstalledKey({missing});
        shownBoxes.clear();
        AppState state;
        EXPECT_EQ(LoadAppState(state), -1) << missing;
        ASSERT_EQ(shownBoxes.size(), 1u) << missing;
        EXPECT_EQ(shownBoxes[0].text, kCorrupted);
        EXPECT_EQ(shownBoxes[0].caption, "Korvo Popup Killer");
        EXPECT_EQ(shownBoxes[0].type, static_cast<UINT>(MB_OK));
    }
    DeleteTree(HKEY_CURRENT_USER, kAppKeyPath);
    shownBoxes.clear();
    AppState state;
    EXPECT_EQ(LoadAppState(state), -1);
    EXPECT_EQ(shownBoxes.size(), 1u);
}

TEST_F(CoreAppStateRegistry, CountUpTo259CharactersLoads) {
    WriteInstalledKey();
    {
        RegKey key;
        key.Open(HKEY_CURRENT_USER, kAppKeyPath);
        key.SetString("Blocked Popups", std::string(259, '9'));
    }
    AppState state;
    EXPECT_EQ(LoadAppState(state), 0);
    EXPECT_EQ(state.blockedPopups, std::string(259, '9'));
    {
        RegKey key;
        key.Open(HKEY_CURRENT_USER, kAppKeyPath);
        key.SetString("Blocked Popups", std::string(260, '9'));
    }
    EXPECT_EQ(LoadAppState(state), -1);
}

TEST_F(CoreAppStateRegistry, SaveWritesStateAndRunValue) {
    WriteInstalledKey();
    AppState state;
    ASSERT_EQ(LoadAppState(state), 0);
    state.blockedPopups = "18";
    state.userWavPath = "D:\\beep.wav";
    state.wizardMessage = "A";
    state.language = "Deutsch";
    state.closeToTray = 1;

    SaveAppState(state, 2);
    const std::string runKey = std::string(kRunKeyParentPath) + "\\Run";
    EXPECT_EQ(ReadStored(kAppKeyPath, "Blocked Popups").bytes, Sz("18"));
    EXPECT_EQ(ReadStored(kAppKeyPath, "User Wav Path").bytes, Sz("D:\\beep.wav"));
    EXPECT_EQ(ReadStored(kAppKeyPath, "Wizard Message").bytes, Sz("A"));
    EXPECT_EQ(ReadStored(kAppKeyPath, "Language").bytes, Sz("English"));  // not changed
    StoredValue closeToTray = ReadStored(kAppKeyPath, "Close To Tray");
    EXPECT_EQ(closeToTray.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(closeToTray.bytes, std::string("\x01\0\0\0", 4));
    StoredValue run = ReadStored(runKey, kRunValueName);
    EXPECT_EQ(run.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(run.bytes, Sz("C:\\Program Files\\Korvo Popup Killer\\KorvoPop.exe"));

    state.languageChanged = 1;
    SaveAppState(state, 1);
    EXPECT_EQ(ReadStored(kAppKeyPath, "Language").bytes, Sz("Deutsch"));
    run = ReadStored(runKey, kRunValueName);
    EXPECT_EQ(run.result, ERROR_SUCCESS);  // never deleted, only emptied
    EXPECT_EQ(run.bytes, Sz(""));
    EXPECT_EQ(state.languageChanged, 1);

    AppState loaded;
    EXPECT_EQ(LoadAppState(loaded), 0);
    EXPECT_EQ(loaded.language, "Deutsch");
    EXPECT_EQ(loaded.blockedPopups, "18");
    EXPECT_EQ(loaded.wizardMessage, "A");
    EXPECT_EQ(loaded.closeToTray, 1);
}

TEST_F(CoreAppStateRegistry, SaveWithoutKeyCreatesItButLoadStillNeedsPath) {
    AppState state;
    state.blockedPopups = "3";
    state.userWavPath = "w.wav";
    state.language = "English";
    state.languageChanged = 1;
    SaveAppState(state, 0);
    EXPECT_EQ(ReadStored(kAppKeyPath, "Blocked Popups").bytes, Sz("3"));
    EXPECT_EQ(ReadStored(kAppKeyPath, "Close To Tray").result, ERROR_SUCCESS);
    // "Path" belongs to the installer; the program never writes it.
    EXPECT_EQ(ReadStored(kAppKeyPath, "Path").result, ERROR_FILE_NOT_FOUND);
    AppState loaded;
    EXPECT_EQ(LoadAppState(loaded), -1);
}

}  // namespace
}  // namespace core
