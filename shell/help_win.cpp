#include "shell/help_win.h"

#include <string>

#include "platform/win/message_box.h"
#include "platform/win/reg_key.h"

namespace shell {
namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

constexpr UINT kDisplayContents = 1;  // HH_DISPLAY_TOC
constexpr size_t kMaxHelpPath = 259;
constexpr char kHelpControlServer[] =
    "SOFTWARE\\Classes\\CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

// The library's registered location first (it may name environment variables), then the
// system's search by name.
HMODULE LoadHelpLibrary() {
    platform::RegKey key;
    std::string registered;
    if (key.Open(HKEY_LOCAL_MACHINE, kHelpControlServer, KEY_READ) == ERROR_SUCCESS &&
        key.QueryString("", &registered, MAX_PATH) == ERROR_SUCCESS && !registered.empty()) {
        char expanded[MAX_PATH];
        const DWORD length = ExpandEnvironmentStringsA(registered.c_str(), expanded, MAX_PATH);
        if (length > 0 && length <= MAX_PATH) {
            if (HMODULE library = LoadLibraryA(expanded)) return library;
        }
    }
    return LoadLibraryA("hhctrl.ocx");
}

HtmlHelpFunction HtmlHelp() {
    static HtmlHelpFunction function = nullptr;
    if (function == nullptr) {
        if (HMODULE library = LoadHelpLibrary()) {
            function = reinterpret_cast<HtmlHelpFunction>(
                reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpA")));
        }
    }
    return function;
}

}  // namespace

void OpenHelp(HWND owner, const std::string& installPath) {
    const std::string path = installPath + "\\Help\\KorvoHlp.chm";
    HWND help = nullptr;
    // A longer path cannot name the file: it counts as missing instead of being cut.
    if (path.size() <= kMaxHelpPath) {
        if (HtmlHelpFunction display = HtmlHelp()) {
            help = display(owner, path.c_str(), kDisplayContents, 0);
        }
    }
    if (help == nullptr) {
        platform::ShowMessageBox(owner, "Cannot locate HTML Help file KorvoHlp.chm",
                                 "Korvo Popup Killer", MB_OK);
    }
}

}  // namespace shell
