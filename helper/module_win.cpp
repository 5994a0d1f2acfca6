// The DLL's process attach and detach: the browser process count shared by every process that
// has the DLL loaded, the start of the tray program with the first browser in the "IE Startup"
// mode, and its quiet end after the last browser.
#include <windows.h>

#include <algorithm>
#include <string>

#include "core/app_state.h"
#include "core/instance_window.h"
#include "helper/helper_module.h"
#include "platform/ascii_text.h"
#include "platform/profile.h"

// Browser processes that count on the tray program, one instance for all processes (the section
// is marked shared). Changed only with interlocked operations: browsers start and end at once.
extern "C" {
__attribute__((section(".shared"), shared)) volatile LONG ieProcessCount = 0;
}

namespace helper {
namespace {

constexpr char kSettingsSection[] = "KorvoPopupKiller";
constexpr int kStartupWithBrowser = 1;  // "Startup" value of the "IE Startup" mode

HMODULE module = nullptr;
// Whether this process raised ieProcessCount, so that only such a process lowers it again (a
// refused attach is followed by a detach).
bool countedHere = false;

std::string LowerHostPath() {
    char path[MAX_PATH] = "";
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return platform::ToLowerAscii(std::string(path, std::min<DWORD>(n, MAX_PATH)));
}

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// Attach in a browser process. False refuses the load: the tray program is not running and
// the user did not choose to start it with the browser.
bool AttachBrowser() {
    if (FindTrayWindow() == nullptr) {
        const std::string program = ModuleRelativePath("KorvoPop.exe");
        if (ModulePath().find('\\') != std::string::npos) {
            const int startup = platform::ReadProfileInt(
                kSettingsSection, "Startup", 0, ModuleRunTimeFiles().ReadPath("KorvoINI.ini"));
            if (startup != kStartupWithBrowser) return false;
            // Quoted, so that a folder with spaces ("Program Files") cannot start another
            // program named by the path's first words. A failed start is not noticed: the next
            // browser finds no window and tries again.
            WinExec(("\"" + program + "\"").c_str(), SW_SHOW);
        }
        InterlockedIncrement(&ieProcessCount);
    } else {
        // The program ran before the browsers: one extra count keeps it running after them.
        InterlockedCompareExchange(&ieProcessCount, 1, 0);
        InterlockedIncrement(&ieProcessCount);
    }
    countedHere = true;
    return true;
}

void DetachBrowser() {
    if (!countedHere) return;
    countedHere = false;
    if (InterlockedDecrement(&ieProcessCount) < 1) {
        if (HWND tray = FindTrayWindow()) PostMessageA(tray, core::kMsgQuitQuietly, 0, 0);
    }
}

}  // namespace

HMODULE ModuleHandle() { return module; }

std::string ModulePath() {
    char path[MAX_PATH] = "";
    const DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, std::min<DWORD>(n, MAX_PATH));
}

std::string ModuleRelativePath(const std::string& name) {
    const std::string path = ModulePath();
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return path + name;
    return path.substr(0, slash + 1) + name;
}

proxy::RunTimeFiles ModuleRunTimeFiles() { return core::RunTimeFilesFor(ModuleRelativePath("")); }

HWND FindTrayWindow() { return FindWindowA(nullptr, core::InstalledInstanceWindowTitle().c_str()); }

}  // namespace helper

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    try {
        if (reason == DLL_PROCESS_ATTACH) {
            helper::module = instance;
            const std::string host = helper::LowerHostPath();
            if (helper::Contains(host, "explorer.exe")) return FALSE;
            if (helper::Contains(host, "iexplore.exe") && !helper::AttachBrowser()) return FALSE;
            DisableThreadLibraryCalls(instance);
        } else if (reason == DLL_PROCESS_DETACH) {
            if (helper::Contains(helper::LowerHostPath(), "iexplore.exe")) helper::DetachBrowser();
        }
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}
