// The browser helper KorvoBHO.dll in real processes: stand-in browsers named "iexplore.exe" and
// "explorer.exe" load it from an installation folder, a stand-in tray program plays KorvoPop,
// and this process loads the same file to read the count the browsers share and to call the
// exports.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "helper/cookie_hlpr_ids.h"
#include "tests/win/browsers_support.h"
#include "tests/win/test_folder.h"

namespace {

using browsers_test::ReadValue;
using browsers_test::SetString;
using test_folder::ReadFile;
using test_folder::WriteFile;

constexpr char kAppKey[] = "Software\\Korvo Popup Killer";
constexpr char kInternetSettings[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kHelpersKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";

std::string TestProgramFolder() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string file = path;
    return file.substr(0, file.rfind('\\') + 1);
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

template <class Condition>
bool WaitUntil(Condition condition) {
    for (int waited = 0; waited < 10000 && !condition(); waited += 50) Sleep(50);
    return condition();
}

// A string value of any root key; "-" when the key or value is absent.
std::string ReadRootValue(HKEY root, const std::string& path, const char* name) {
    char data[512] = "";
    DWORD size = sizeof data - 1;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "-";
    const LONG result =
        RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? data : "-";
}

void WriteRootValue(HKEY root, const std::string& path, const char* name,
                    const std::string& value) {
    HKEY key;
    RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

bool KeyExists(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Starts program with the command line and returns its process (null when it did not start).
HANDLE Start(const std::string& program, std::string command) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return nullptr;
    }
    CloseHandle(info.hThread);
    return info.hProcess;
}

// Waits for the process (at most 30 s) and returns its exit code, -1 when it did not end.
int EndOf(HANDLE process) {
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return static_cast<int>(code);
}

// A stand-in browser (or Explorer) that keeps the helper loaded until End.
class Host {
  public:
    Host(const std::string& program, const std::string& dll, const std::string& folder) {
        static int serial = 0;
        name_ = folder + program + std::to_string(++serial);
        const std::string path = TestProgramFolder() + program;
        process_ = Start(path, "\"" + path + "\" \"" + dll + "\" \"" + name_ + "\"");
        loaded = process_ != nullptr && WaitUntil([this] {
                     return FileExists(name_ + ".loaded") ||
                            WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
                 }) &&
                 FileExists(name_ + ".loaded");
    }
    ~Host() { End(); }
    // Lets the host end; its exit code (2: the helper refused to load).
    int End() {
        if (process_ == nullptr) return exitCode_;
        WriteFile(name_ + ".quit", "");
        exitCode_ = EndOf(process_);
        process_ = nullptr;
        return exitCode_;
    }
    bool loaded = false;

  private:
    std::string name_;
    HANDLE process_ = nullptr;
    int exitCode_ = -1;
};

// An installation folder (its name with spaces) with copies of the helper and of the stand-in
// tray program as KorvoPop.exe, and an application key naming a language file whose instance
// window title is this test's own. The helper is loaded into this process too.
class HelperInstallation : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string programs = TestProgramFolder();
        install_ = folder_.Path() + "Korvo Popup Killer\\";
        CreateDirectoryA(install_.c_str(), nullptr);
        CreateDirectoryA((install_ + "Language").c_str(), nullptr);
        dll_ = install_ + "KorvoBHO.dll";
        ASSERT_TRUE(CopyFileA((programs + "KorvoBHO.dll").c_str(), dll_.c_str(), FALSE));
        const std::string standIn = programs + "korvo_tray_stand_in.exe";
        ASSERT_TRUE(CopyFileA(standIn.c_str(), (install_ + "KorvoPop.exe").c_str(), FALSE));
        // What a start through the unquoted path would run instead of the tray program.
        ASSERT_TRUE(CopyFileA(standIn.c_str(), (folder_.Path() + "Korvo.exe").c_str(), FALSE));
        title_ = "Korvo Test Tray " + std::to_string(GetCurrentProcessId()) + ".kv";
        WriteFile(install_ + "Language\\Test.ini", "[KorvoPopupKiller]\r\n9999=" + title_ + "\r\n");
        WriteFile(install_ + "StandIn.ini", "[StandIn]\r\nTitle=" + title_ + "\r\n");
        SetStartup(1);
        savedPath_ = ReadValue(kAppKey, "Path");
        savedLanguage_ = ReadValue(kAppKey, "Language");
        SetString(kAppKey, "Path", install_.substr(0, install_.size() - 1));
        SetString(kAppKey, "Language", "Test");

        module_ = LoadLibraryA(dll_.c_str());
        ASSERT_NE(module_, nullptr);
        count_ = SharedCount(module_);
        ASSERT_NE(count_, nullptr);
    }

    void TearDown() override {
        if (HWND tray = TrayWindow()) PostMessageA(tray, 32790, 0, 0);
        WaitUntil([this] { return TrayWindow() == nullptr; });
        if (module_ != nullptr) FreeLibrary(module_);
        for (const auto& [name, saved] :
             {std::pair{"Path", savedPath_}, std::pair{"Language", savedLanguage_}}) {
            browsers_test::SetValue(kAppKey, name, saved == "-" ? 0 : REG_SZ, saved + '\0');
        }
    }

    // The helper's shared section as this process maps it.
    static volatile LONG* SharedCount(HMODULE module) {
        auto base = reinterpret_cast<BYTE*>(module);
        auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
            if (std::string(reinterpret_cast<char*>(section->Name), 7) == ".shared") {
                return reinterpret_cast<volatile LONG*>(base + section->VirtualAddress);
            }
        }
        return nullptr;
    }

    void SetStartup(int mode) {
        WriteFile(install_ + "KorvoINI.ini",
                  "[KorvoPopupKiller]\r\nStartup=" + std::to_string(mode) + "\r\n");
    }
    HWND TrayWindow() const { return FindWindowA(nullptr, title_.c_str()); }
    std::string TrayLog() const { return ReadFile(install_ + "StandIn.log"); }
    Host Browser(const char* program = "iexplore.exe") {
        return Host(program, dll_, folder_.Path());
    }

    test_folder::TemporaryFolder folder_;
    std::string install_;  // with a trailing backslash
    std::string dll_;
    std::string title_;
    HMODULE module_ = nullptr;
    volatile LONG* count_ = nullptr;
    std::string savedPath_;
    std::string savedLanguage_;
};

TEST_F(HelperInstallation, RefusedLoadsLeaveTheCountAndTheTrayAlone) {
    // Explorer is refused even when the settings ask to start with the browser.
    EXPECT_EQ(Browser("explorer.exe").End(), 2);
    // Without a running tray program a browser is refused unless the mode is "IE Startup"; the
    // end of a refused browser must not lower the count.
    for (int mode : {0, 2}) {
        SetStartup(mode);
        EXPECT_EQ(Browser().End(), 2) << "mode " << mode;
    }
    EXPECT_EQ(*count_, 0);
    EXPECT_EQ(TrayLog(), "");
}

TEST_F(HelperInstallation, FirstBrowserStartsTheTrayAndOnlyTheLastEndsIt) {
    Host first = Browser();
    ASSERT_TRUE(first.loaded);
    ASSERT_TRUE(WaitUntil([this] { return TrayWindow() != nullptr; })) << "no tray program";
    EXPECT_EQ(*count_, 1);
    EXPECT_EQ(TrayLog(), "start 5\n");  // started once, shown normally
    EXPECT_FALSE(FileExists(folder_.Path() + "StandIn.log")) << "Korvo.exe was started";

    Host second = Browser();
    ASSERT_TRUE(second.loaded);
    EXPECT_EQ(*count_, 2);
    EXPECT_EQ(first.End(), 0);
    EXPECT_EQ(*count_, 1);
    Sleep(500);
    EXPECT_EQ(TrayLog(), "start 5\n") << "the tray program was ended while a browser still ran";

    EXPECT_EQ(second.End(), 0);
    EXPECT_EQ(*count_, 0);
    EXPECT_TRUE(WaitUntil([this] { return TrayWindow() == nullptr; }));
    EXPECT_EQ(TrayLog(), "start 5\nmessage 32790\n");
}

TEST_F(HelperInstallation, TrayRunningBeforeTheBrowsersOutlivesThem) {
    SetStartup(0);  // a running tray program is used whatever the start mode
    const std::string tray = install_ + "KorvoPop.exe";
    CloseHandle(Start(tray, tray));
    ASSERT_TRUE(WaitUntil([this] { return TrayWindow() != nullptr; }));

    Host first = Browser();
    Host second = Browser();
    ASSERT_TRUE(first.loaded && second.loaded);
    EXPECT_EQ(*count_, 3);
    first.End();
    second.End();
    EXPECT_EQ(*count_, 1);
    Sleep(500);
    EXPECT_EQ(TrayLog(), "start -1\n");
}

// An Internet settings value's type and bytes, e.g. "4:01000000"; "-" when it does not exist.
std::string ReadTypedValue(const char* name) {
    BYTE data[64] = {};
    DWORD size = sizeof data;
    DWORD type = 0;
    HKEY key;
    RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_READ, &key);
    const LONG result = RegQueryValueExA(key, name, nullptr, &type, data, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return "-";
    std::string text = std::to_string(type) + ":";
    for (DWORD i = 0; i < size; ++i) {
        text += "0123456789abcdef"[data[i] >> 4];
        text += "0123456789abcdef"[data[i] & 15];
    }
    return text;
}

TEST_F(HelperInstallation, RestoreIEPutsTheSavedProxyBackOnce) {
    using Restore = int(WINAPI*)();
    using Uninstall = LONG(WINAPI*)(HWND, HANDLE, LONG);
    auto restore =
        reinterpret_cast<Restore>(reinterpret_cast<void*>(GetProcAddress(module_, "RestoreIE")));
    auto uninstall = reinterpret_cast<Uninstall>(
        reinterpret_cast<void*>(GetProcAddress(module_, "UninstInitialize")));
    ASSERT_TRUE(restore != nullptr && uninstall != nullptr);
    const std::string ini = install_ + "Browser.ini";
    SetString(kInternetSettings, "ProxyServer", "http=KorvoPopupKiller:8100");
    browsers_test::SetDword(kInternetSettings, "ProxyEnable", 1);

    // Nothing saved (no file, then a file without "Saved"): nothing to restore.
    EXPECT_EQ(restore(), 0);
    WriteFile(ini, "[IE Settings]\r\nProxy=old:1\r\nProxyEnable=01 00 00 00\r\n");
    EXPECT_EQ(restore(), 0);
    EXPECT_EQ(ReadValue(kInternetSettings, "ProxyServer"), "http=KorvoPopupKiller:8100");

    WriteFile(ini, "[IE Settings]\r\nSaved=1\r\nProxy=old:1\r\nProxyEnable=01 00 00 00\r\n");
    EXPECT_EQ(restore(), 1);
    EXPECT_EQ(ReadValue(kInternetSettings, "ProxyServer"), "old:1");
    // An earlier version's save has no types: four bytes are the DWORD Internet Explorer keeps.
    EXPECT_EQ(ReadTypedValue("ProxyEnable"), "4:01000000");

    // Once only: later calls, and the uninstall hook with its own unregistration, leave what the
    // user has set since.
    SetString(kInternetSettings, "ProxyServer", "user:1");
    EXPECT_EQ(restore(), 1);
    EXPECT_EQ(uninstall(nullptr, nullptr, 0), 0);
    EXPECT_EQ(ReadValue(kInternetSettings, "ProxyServer"), "user:1");
    browsers_test::SetValue(kInternetSettings, "ProxyServer", 0, "");
    browsers_test::SetValue(kInternetSettings, "ProxyEnable", 0, "");
}

// The installer's save records each value's type, or that it did not exist: the uninstall hook
// deletes what was not there and writes back the rest with its own type.
TEST_F(HelperInstallation, UninstallHookRestoresEachValueAsItWas) {
    using Uninstall = LONG(WINAPI*)(HWND, HANDLE, LONG);
    auto uninstall = reinterpret_cast<Uninstall>(
        reinterpret_cast<void*>(GetProcAddress(module_, "UninstInitialize")));
    ASSERT_TRUE(uninstall != nullptr);
    const std::string ini = install_ + "Browser.ini";
    auto configure = [] {
        SetString(kInternetSettings, "ProxyServer", "http=KorvoPopupKiller:8100");
        browsers_test::SetDword(kInternetSettings, "ProxyEnable", 1);
        browsers_test::SetDword(kInternetSettings, "ProxyHttp1.1", 1);
    };

    configure();
    WriteFile(
        ini,
        "[IE Settings]\r\nProxy=\r\nProxyServer Type=absent\r\nProxyEnable=\r\n"
        "ProxyEnable Type=absent\r\nProxyHttp1.1=\r\nProxyHttp1.1 Type=absent\r\nSaved=1\r\n");
    EXPECT_EQ(uninstall(nullptr, nullptr, 0), 0);
    for (const char* name : {"ProxyServer", "ProxyEnable", "ProxyHttp1.1"}) {
        EXPECT_EQ(ReadTypedValue(name), "-") << name;
    }

    configure();
    WriteFile(ini,
              "[IE Settings]\r\nProxy=gw:1\r\nProxyServer Type=2\r\nProxyEnable=00 00 00 00\r\n"
              "ProxyEnable Type=4\r\nProxyHttp1.1=01\r\nProxyHttp1.1 Type=3\r\nSaved=1\r\n");
    EXPECT_EQ(uninstall(nullptr, nullptr, 0), 0);
    EXPECT_EQ(ReadTypedValue("ProxyServer"), "2:67773a3100");
    EXPECT_EQ(ReadTypedValue("ProxyEnable"), "4:00000000");
    EXPECT_EQ(ReadTypedValue("ProxyHttp1.1"), "3:01");

    // The proxy's script goes and the user's own comes back; a save that never recorded it
    // leaves what is there.
    const std::string script = "http://127.0.0.1:8100/korvo-proxy.pac";
    SetString(kInternetSettings, "AutoConfigURL", script);
    WriteFile(ini, "[IE Settings]\r\nAutoConfigURL=\r\nAutoConfigURL Type=absent\r\nSaved=1\r\n");
    EXPECT_EQ(uninstall(nullptr, nullptr, 0), 0);
    EXPECT_EQ(ReadTypedValue("AutoConfigURL"), "-");
    SetString(kInternetSettings, "AutoConfigURL", script);
    WriteFile(ini,
              "[IE Settings]\r\nAutoConfigURL=http://w/p\r\nAutoConfigURL Type=1\r\nSaved=1\r\n");
    EXPECT_EQ(uninstall(nullptr, nullptr, 0), 0);
    EXPECT_EQ(ReadValue(kInternetSettings, "AutoConfigURL"), "http://w/p");
    SetString(kInternetSettings, "AutoConfigURL", script);
    WriteFile(ini, "[IE Settings]\r\nProxy=gw:1\r\nSaved=1\r\n");
    EXPECT_EQ(uninstall(nullptr, nullptr, 0), 0);
    EXPECT_EQ(ReadValue(kInternetSettings, "AutoConfigURL"), script);
    for (const char* name : {"ProxyServer", "ProxyEnable", "ProxyHttp1.1", "AutoConfigURL"}) {
        browsers_test::SetValue(kInternetSettings, name, 0, "");
    }
}

TEST_F(HelperInstallation, Regsvr32RegistersAndUnregisteringLeavesNoKeyOrRunValue) {
    wchar_t wide[40] = L"";
    StringFromGUID2(helper::kClsidCookieHlprObj, wide, 40);
    const std::string clsid(wide, wide + 38);
    const std::string classKey = "CLSID\\" + clsid;
    const std::string helperKey = std::string(kHelpersKey) + "\\" + clsid;
    const std::string otherHelper = std::string(kHelpersKey) + "\\{0-other}";
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string regsvr32 = std::string(system) + "\\regsvr32.exe";
    auto run = [&](const char* switches) {
        return EndOf(Start(regsvr32, "regsvr32 " + std::string(switches) + " \"" + dll_ + "\""));
    };

    ASSERT_EQ(run("/s"), 0);
    const struct {
        std::string key;
        const char* name;
        std::string value;
    } written[] = {
        {classKey, "", "CookieHlprObj Class"},
        {classKey + "\\InprocServer32", "", dll_},
        {classKey + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {classKey + "\\ProgID", "", "CookieHlprObj.CookieHlprObj.1"},
        {classKey + "\\VersionIndependentProgID", "", "CookieHlprObj.CookieHlprObj"},
        {"CookieHlprObj.CookieHlprObj.1\\CLSID", "", clsid},
        {"CookieHlprObj.CookieHlprObj\\CurVer", "", "CookieHlprObj.CookieHlprObj.1"},
    };
    for (const auto& entry : written) {
        EXPECT_EQ(ReadRootValue(HKEY_CLASSES_ROOT, entry.key, entry.name), entry.value)
            << entry.key << " " << entry.name;
    }
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, classKey + "\\Programmable"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, helperKey));
    StringFromGUID2(helper::kLibidCookieHlpr, wide, 40);
    const std::string libraryKey = "TypeLib\\" + std::string(wide, wide + 38);
    StringFromGUID2(helper::kIidCookieHlpr, wide, 40);
    const std::string interfaceKey = "Interface\\" + std::string(wide, wide + 38);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, libraryKey + "\\1.0"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, interfaceKey));

    // The machine's and the user's start-with-Windows values of the product go with the helper;
    // another program's value and another browser helper stay.
    WriteRootValue(HKEY_LOCAL_MACHINE, kRunKey, "KorvoPopupKiller", "C:\\old\\KorvoPop.exe");
    WriteRootValue(HKEY_CURRENT_USER, kRunKey, "Korvo Popup Killer", install_ + "KorvoPop.exe");
    WriteRootValue(HKEY_CURRENT_USER, kRunKey, "Other Program", "other.exe");
    WriteRootValue(HKEY_LOCAL_MACHINE, otherHelper, "", "");
    ASSERT_EQ(run("/u /s"), 0);
    for (const char* key :
         {classKey.c_str(), "CookieHlprObj.CookieHlprObj.1", "CookieHlprObj.CookieHlprObj"}) {
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key)) << key;
    }
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID"));
    // Nothing points at the DLL any more: the type library and its interface go with the class.
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, libraryKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, interfaceKey));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "TypeLib"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "Interface"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, helperKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, otherHelper));
    EXPECT_EQ(ReadRootValue(HKEY_LOCAL_MACHINE, kRunKey, "KorvoPopupKiller"), "-");
    EXPECT_EQ(ReadRootValue(HKEY_CURRENT_USER, kRunKey, "Korvo Popup Killer"), "-");
    EXPECT_EQ(ReadRootValue(HKEY_CURRENT_USER, kRunKey, "Other Program"), "other.exe");

    // Without another helper the emptied "Browser Helper Objects" key goes too.
    browsers_test::DeleteKeyTree(HKEY_LOCAL_MACHINE, otherHelper);
    ASSERT_EQ(run("/s"), 0);
    ASSERT_EQ(run("/u /s"), 0);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kHelpersKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"));
    browsers_test::SetValue(kRunKey, "Other Program", 0, "");
}

}  // namespace
