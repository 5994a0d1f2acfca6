// The browser helper KorvoBHO.dll in real processes: stand-in browsers named "iexplore.exe" and
// "explorer.exe" load it from an installation folder, a stand-in tray program plays KorvoPop,
// and this process loads the same file to read the count the browsers share and to call the
// exports.
#include <windows.h>
// The headers below need windows.h first.

#include <exdisp.h>
#include <exdispid.h>
#include <gtest/gtest.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include "helper/cookie_hlpr_ids.h"
#include "tests/win/browsers_support.h"
#include "tests/win/test_folder.h"

namespace {

using browsers_test::DeleteKeyTree;
using browsers_test::ReadValue;
using test_folder::ReadFile;
using test_folder::WriteFile;

constexpr char kAppKey[] = "Software\\Korvo Popup Killer";
constexpr char kInternetSettings[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kHelpersKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
constexpr DWORD kWaitMs = 10000;

std::string TestProgramFolder() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\') + 1);
}

bool KeyExists(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// A string value of any root key; "-" when absent.
std::string ReadRootValue(HKEY root, const std::string& path, const char* name) {
    char data[512] = "";
    DWORD size = sizeof data - 1;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "-";
    const LONG result =
        RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::string(data) : "-";
}

void WriteRootValue(HKEY root, const std::string& path, const char* name,
                    const std::string& value) {
    HKEY key;
    RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

bool WaitFor(bool (*condition)(const void*), const void* argument) {
    for (DWORD waited = 0; waited < kWaitMs; waited += 50) {
        if (condition(argument)) return true;
        Sleep(50);
    }
    return condition(argument);
}

// An installation folder with a copy of the helper and of the stand-in tray program (as
// KorvoPop.exe), and an application key naming a language file whose instance window title is
// unique to this test. The helper is loaded into this process too.
class HelperInstallation : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string programs = TestProgramFolder();
        // A folder name with spaces, and a program named by its first word beside it, which a
        // start through the unquoted path would run instead of the tray program.
        install_ = folder_.Path() + "Korvo Popup Killer\\";
        CreateDirectoryA(install_.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA((programs + "korvo_tray_stand_in.exe").c_str(),
                              (folder_.Path() + "Korvo.exe").c_str(), FALSE));
        dll_ = install_ + "KorvoBHO.dll";
        ASSERT_TRUE(CopyFileA((programs + "KorvoBHO.dll").c_str(), dll_.c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((programs + "korvo_tray_stand_in.exe").c_str(),
                              (install_ + "KorvoPop.exe").c_str(), FALSE));
        title_ = "Korvo Test Tray " + std::to_string(GetCurrentProcessId()) + ".kv";
        CreateDirectoryA((install_ + "Language").c_str(), nullptr);
        WriteFile(install_ + "Language\\Test.ini", "[KorvoPopupKiller]\r\n9999=" + title_ + "\r\n");
        WriteFile(install_ + "StandIn.ini", "[StandIn]\r\nTitle=" + title_ + "\r\n");
        SetStartup(1);
        hadAppKey_ = KeyExists(HKEY_CURRENT_USER, kAppKey);
        savedPath_ = ReadValue(kAppKey, "Path");
        savedLanguage_ = ReadValue(kAppKey, "Language");
        std::string path = install_;
        path.pop_back();
        browsers_test::SetString(kAppKey, "Path", path);
        browsers_test::SetString(kAppKey, "Language", "Test");

        module_ = LoadLibraryA(dll_.c_str());
        ASSERT_NE(module_, nullptr);
        count_ = SharedCount(module_);
        ASSERT_NE(count_, nullptr);
    }

    void TearDown() override {
        if (HWND tray = TrayWindow()) PostMessageA(tray, 32790, 0, 0);
        WaitFor(
            [](const void* self) {
                return static_cast<const HelperInstallation*>(self)->TrayWindow() == nullptr;
            },
            this);
        if (module_ != nullptr) FreeLibrary(module_);
        if (!hadAppKey_) {
            DeleteKeyTree(HKEY_CURRENT_USER, kAppKey);
        } else {
            RestoreValue("Path", savedPath_);
            RestoreValue("Language", savedLanguage_);
        }
    }

    static void RestoreValue(const char* name, const std::string& saved) {
        if (saved == "-") {
            browsers_test::SetValue(kAppKey, name, 0, "");
        } else {
            browsers_test::SetString(kAppKey, name, saved);
        }
    }

    // The helper's shared section as mapped into this process.
    static volatile LONG* SharedCount(HMODULE module) {
        auto base = reinterpret_cast<BYTE*>(module);
        auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
        auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
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
    bool WaitForTray() const {
        return WaitFor(
            [](const void* self) {
                return static_cast<const HelperInstallation*>(self)->TrayWindow() != nullptr;
            },
            this);
    }
    bool WaitForTrayGone() const {
        return WaitFor(
            [](const void* self) {
                return static_cast<const HelperInstallation*>(self)->TrayWindow() == nullptr;
            },
            this);
    }
    std::string TrayLog() const { return ReadFile(install_ + "StandIn.log"); }
    bool DecoyStarted() const {
        return GetFileAttributesA((folder_.Path() + "StandIn.log").c_str()) !=
               INVALID_FILE_ATTRIBUTES;
    }

    // A stand-in browser (or Explorer) loading the helper; it keeps it until End.
    class Host {
      public:
        Host(const std::string& program, const std::string& dll) {
            static int serial = 0;
            events_ = "KorvoBhoTest-" + std::to_string(GetCurrentProcessId()) + "-" +
                      std::to_string(++serial);
            loaded_ = CreateEventA(nullptr, TRUE, FALSE, (events_ + ".loaded").c_str());
            quit_ = CreateEventA(nullptr, TRUE, FALSE, (events_ + ".quit").c_str());
            const std::string path = TestProgramFolder() + program;
            std::string command = "\"" + path + "\" \"" + dll + "\" " + events_;
            STARTUPINFOA startup = {};
            startup.cb = sizeof startup;
            PROCESS_INFORMATION info = {};
            if (CreateProcessA(path.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &info)) {
                CloseHandle(info.hThread);
                process_ = info.hProcess;
                HANDLE either[] = {loaded_, process_};
                loaded = WaitForMultipleObjects(2, either, FALSE, kWaitMs) == WAIT_OBJECT_0;
            }
        }
        ~Host() {
            End();
            CloseHandle(loaded_);
            CloseHandle(quit_);
        }
        // Lets the host end and returns its exit code (-1 when it did not end in time).
        int End() {
            if (process_ == nullptr) return exitCode_;
            SetEvent(quit_);
            DWORD code = static_cast<DWORD>(-1);
            if (WaitForSingleObject(process_, kWaitMs) == WAIT_OBJECT_0) {
                GetExitCodeProcess(process_, &code);
            } else {
                TerminateProcess(process_, 1);
            }
            CloseHandle(process_);
            process_ = nullptr;
            exitCode_ = static_cast<int>(code);
            return exitCode_;
        }
        bool loaded = false;

      private:
        std::string events_;
        HANDLE loaded_ = nullptr;
        HANDLE quit_ = nullptr;
        HANDLE process_ = nullptr;
        int exitCode_ = -1;
    };

    template <class Function>
    Function Export(const char* name) {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

    test_folder::TemporaryFolder folder_;
    std::string install_;  // the installation folder, with a trailing backslash
    std::string dll_;
    std::string title_;
    HMODULE module_ = nullptr;
    volatile LONG* count_ = nullptr;
    bool hadAppKey_ = false;
    std::string savedPath_;
    std::string savedLanguage_;
};

TEST_F(HelperInstallation, RefusedLoadsLeaveTheCountAndTheTrayAlone) {
    // Explorer is refused even when the settings ask to start with the browser.
    Host explorer("explorer.exe", dll_);
    EXPECT_FALSE(explorer.loaded);
    EXPECT_EQ(explorer.End(), 2);

    // A browser without a running tray program and without the "IE Startup" mode is refused;
    // its end must not lower the count either.
    SetStartup(0);
    Host browser("iexplore.exe", dll_);
    EXPECT_FALSE(browser.loaded);
    EXPECT_EQ(browser.End(), 2);
    SetStartup(2);
    Host windowsStartup("iexplore.exe", dll_);
    EXPECT_FALSE(windowsStartup.loaded);
    windowsStartup.End();

    EXPECT_EQ(*count_, 0);
    EXPECT_EQ(TrayLog(), "");
    EXPECT_EQ(TrayWindow(), nullptr);
}

TEST_F(HelperInstallation, FirstBrowserStartsTheTrayAndOnlyTheLastEndsIt) {
    Host first("iexplore.exe", dll_);
    ASSERT_TRUE(first.loaded);
    ASSERT_TRUE(WaitForTray()) << "the tray program was not started";
    EXPECT_EQ(*count_, 1);
    EXPECT_EQ(TrayLog(), "start 5\n");  // started once, shown normally
    EXPECT_FALSE(DecoyStarted());

    Host second("iexplore.exe", dll_);
    ASSERT_TRUE(second.loaded);
    EXPECT_EQ(*count_, 2);

    EXPECT_EQ(first.End(), 0);
    EXPECT_EQ(*count_, 1);
    Sleep(500);
    EXPECT_EQ(TrayLog(), "start 5\n") << "the tray program was ended while a browser still ran";
    EXPECT_NE(TrayWindow(), nullptr);

    EXPECT_EQ(second.End(), 0);
    EXPECT_EQ(*count_, 0);
    EXPECT_TRUE(WaitForTrayGone());
    EXPECT_EQ(TrayLog(), "start 5\nmessage 32790\n");
}

TEST_F(HelperInstallation, TrayRunningBeforeTheBrowsersOutlivesThem) {
    SetStartup(0);  // a running tray program is used whatever the start mode
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string tray = install_ + "KorvoPop.exe";
    ASSERT_TRUE(CreateProcessA(tray.c_str(), &tray[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &info));
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    ASSERT_TRUE(WaitForTray());

    Host first("iexplore.exe", dll_);
    ASSERT_TRUE(first.loaded);
    EXPECT_EQ(*count_, 2);
    Host second("iexplore.exe", dll_);
    ASSERT_TRUE(second.loaded);
    EXPECT_EQ(*count_, 3);
    first.End();
    second.End();
    EXPECT_EQ(*count_, 1);
    Sleep(500);
    EXPECT_EQ(TrayLog(), "start -1\n");
    EXPECT_NE(TrayWindow(), nullptr);
}

// Internet Explorer's proxy values as they stand, put back after the test.
class SavedInternetSettings {
  public:
    SavedInternetSettings() {
        HKEY key;
        RegCreateKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr);
        for (Value& value : values_) {
            value.size = sizeof value.data;
            value.present = RegQueryValueExA(key, value.name, nullptr, &value.type, value.data,
                                             &value.size) == ERROR_SUCCESS;
        }
        RegCloseKey(key);
    }
    ~SavedInternetSettings() {
        HKEY key;
        RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_ALL_ACCESS, &key);
        for (const Value& value : values_) {
            if (value.present) {
                RegSetValueExA(key, value.name, 0, value.type, value.data, value.size);
            } else {
                RegDeleteValueA(key, value.name);
            }
        }
        RegCloseKey(key);
    }

  private:
    struct Value {
        const char* name;
        DWORD type = 0;
        BYTE data[512] = {};
        DWORD size = 0;
        bool present = false;
    };
    Value values_[2] = {{"ProxyServer"}, {"ProxyEnable"}};
};

// ProxyEnable's type and bytes as hexadecimal text, e.g. "3:01000000".
std::string ReadProxyEnable() {
    HKEY key;
    BYTE data[64] = {};
    DWORD size = sizeof data;
    DWORD type = 0;
    RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_READ, &key);
    const LONG result = RegQueryValueExA(key, "ProxyEnable", nullptr, &type, data, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return "-";
    std::string text = std::to_string(type) + ":";
    char hex[3];
    for (DWORD i = 0; i < size; ++i) {
        wsprintfA(hex, "%02x", data[i]);
        text += hex;
    }
    return text;
}

TEST_F(HelperInstallation, RestoreIEPutsTheSavedProxyBackOnce) {
    SavedInternetSettings saved;
    using Restore = int(WINAPI*)();
    using Uninstall = LONG(WINAPI*)(HWND, HANDLE, LONG);
    auto restore = Export<Restore>("RestoreIE");
    auto uninstall = Export<Uninstall>("UninstInitialize");
    ASSERT_NE(restore, nullptr);
    ASSERT_NE(uninstall, nullptr);
    const std::string ini = install_ + "Browser.ini";
    browsers_test::SetString(kInternetSettings, "ProxyServer", "http=KorvoPopupKiller:8100");
    browsers_test::SetDword(kInternetSettings, "ProxyEnable", 1);

    // Nothing saved (no file, then a file without "Saved"): nothing to restore.
    EXPECT_EQ(restore(), 0);
    WriteFile(ini, "[IE Settings]\r\nProxy=old:3128\r\nProxyEnable=01 00 00 00\r\n");
    EXPECT_EQ(restore(), 0);
    EXPECT_EQ(ReadValue(kInternetSettings, "ProxyServer"), "http=KorvoPopupKiller:8100");

    WriteFile(ini,
              "[IE Settings]\r\nSaved=1\r\nProxy=old.example:3128\r\nProxyEnable=01 00 00 00\r\n");
    EXPECT_EQ(restore(), 1);
    EXPECT_EQ(ReadValue(kInternetSettings, "ProxyServer"), "old.example:3128");
    EXPECT_EQ(ReadProxyEnable(), "3:01000000");  // REG_BINARY, the four bytes 1, 0, 0, 0

    // Once only: later calls, and the uninstall hook with its own unregistration, leave what the
    // user has set since.
    browsers_test::SetString(kInternetSettings, "ProxyServer", "user:1");
    EXPECT_EQ(restore(), 1);
    EXPECT_EQ(uninstall(nullptr, nullptr, 0), 0);
    EXPECT_EQ(ReadValue(kInternetSettings, "ProxyServer"), "user:1");
    EXPECT_EQ(ReadProxyEnable(), "3:01000000");
}

// Runs regsvr32 with the given switches on the helper and returns its exit code.
DWORD RunRegsvr32(const std::string& switches, const std::string& dll) {
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string program = std::string(system) + "\\regsvr32.exe";
    std::string command = "regsvr32.exe " + switches + " \"" + dll + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return static_cast<DWORD>(-1);
    }
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(info.hProcess, &code);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return code;
}

std::string GuidText(const GUID& guid) {
    wchar_t wide[40] = L"";
    StringFromGUID2(guid, wide, 40);
    char text[40] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

TEST_F(HelperInstallation, Regsvr32RegistersAndUninstallLeavesNoRunValue) {
    const std::string clsid = GuidText(helper::kClsidCookieHlprObj);
    const std::string classKey = "CLSID\\" + clsid;
    const std::string otherHelper =
        std::string(kHelpersKey) + "\\{00000000-1111-2222-3333-444444444444}";

    ASSERT_EQ(RunRegsvr32("/s", dll_), 0u);
    EXPECT_EQ(ReadRootValue(HKEY_CLASSES_ROOT, classKey, ""), "CookieHlprObj Class");
    EXPECT_EQ(ReadRootValue(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", ""), dll_);
    EXPECT_EQ(ReadRootValue(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", "ThreadingModel"),
              "Apartment");
    EXPECT_EQ(ReadRootValue(HKEY_CLASSES_ROOT, classKey + "\\ProgID", ""),
              "CookieHlprObj.CookieHlprObj.1");
    EXPECT_EQ(ReadRootValue(HKEY_CLASSES_ROOT, classKey + "\\VersionIndependentProgID", ""),
              "CookieHlprObj.CookieHlprObj");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, classKey + "\\Programmable"));
    EXPECT_EQ(ReadRootValue(HKEY_CLASSES_ROOT, "CookieHlprObj.CookieHlprObj.1\\CLSID", ""), clsid);
    EXPECT_EQ(ReadRootValue(HKEY_CLASSES_ROOT, "CookieHlprObj.CookieHlprObj\\CurVer", ""),
              "CookieHlprObj.CookieHlprObj.1");
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kHelpersKey) + "\\" + clsid));
    EXPECT_TRUE(
        KeyExists(HKEY_CLASSES_ROOT, "TypeLib\\" + GuidText(helper::kLibidCookieHlpr) + "\\1.0"));

    // The start-with-Windows values of the machine and of the user go with the helper; another
    // program's value and another browser helper stay.
    WriteRootValue(HKEY_LOCAL_MACHINE, kRunKey, "KorvoPopupKiller", "C:\\old\\KorvoPop.exe");
    WriteRootValue(HKEY_CURRENT_USER, kRunKey, "Korvo Popup Killer", install_ + "KorvoPop.exe");
    WriteRootValue(HKEY_CURRENT_USER, kRunKey, "Other Program", "other.exe");
    WriteRootValue(HKEY_LOCAL_MACHINE, otherHelper, "", "");

    ASSERT_EQ(RunRegsvr32("/u /s", dll_), 0u);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, classKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CookieHlprObj.CookieHlprObj.1"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CookieHlprObj.CookieHlprObj"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kHelpersKey) + "\\" + clsid));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, otherHelper));
    EXPECT_EQ(ReadRootValue(HKEY_LOCAL_MACHINE, kRunKey, "KorvoPopupKiller"), "-");
    EXPECT_EQ(ReadRootValue(HKEY_CURRENT_USER, kRunKey, "Korvo Popup Killer"), "-");
    EXPECT_EQ(ReadRootValue(HKEY_CURRENT_USER, kRunKey, "Other Program"), "other.exe");

    // Without another helper the emptied "Browser Helper Objects" key goes too.
    DeleteKeyTree(HKEY_LOCAL_MACHINE, otherHelper);
    ASSERT_EQ(RunRegsvr32("/s", dll_), 0u);
    ASSERT_EQ(RunRegsvr32("/u /s", dll_), 0u);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kHelpersKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"));
    browsers_test::SetValue(kRunKey, "Other Program", 0, "");
}

}  // namespace
