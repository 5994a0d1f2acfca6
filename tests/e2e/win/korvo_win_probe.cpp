// Looks at and pokes the windows of a running KorvoPop from outside, for the end-to-end scripts.
// KorvoPop's instance window is the one the browser helper finds: its title comes from the
// language file of the installation the application key names.
//   korvo_win_probe.exe list                      every top-level window: hwnd pid visible class
//                                                 "title"
//   korvo_win_probe.exe find TITLE                exit 0 when a top-level window has exactly TITLE
//   korvo_win_probe.exe wait TITLE MS             until such a window exists (exit 1 after MS)
//   korvo_win_probe.exe gone TITLE MS             until no such window exists (exit 1 after MS)
//   korvo_win_probe.exe post TITLE MSG [WPARAM [LPARAM]]
//                                                 PostMessage to it; MSG is a number or the name
//                                                 of a registered window message
//   korvo_win_probe.exe instance                  the instance window's title
//   korvo_win_probe.exe marker                    the catch marker the blocker script writes
//   korvo_win_probe.exe quit                      the quiet-exit message to the instance window
//   korvo_win_probe.exe screen                    the screen's width and height
//   korvo_win_probe.exe counter [shown|hidden MS] the counter window: visible left top right
//                                                 bottom "count"; with a state, waits for it first
//   korvo_win_probe.exe click ID MS               BM_CLICK posted to the visible, enabled control
//                                                 ID of KorvoPop's visible, enabled top-level
//                                                 window (the one a user could click in: a modal
//                                                 window's owner is disabled); waits for it first
//   korvo_win_probe.exe box ID MS                 the same in a plain dialog (a message box): a
//                                                 window without pages, so never a sheet's button
//   korvo_win_probe.exe text ID MS                the text of that control, found as click finds it
//   korvo_win_probe.exe box-text ID MS            the same in a plain dialog (65535: a message
//                                                 box's question)
//   korvo_win_probe.exe checked ID MS             1 when that control (a check box) is checked,
//                                                 else 0
//   korvo_win_probe.exe secure-root make          the secure pages' root made in the user's folder
//                                                 and put into the user's Root store
//   korvo_win_probe.exe secure-root keys          "present" or "absent" for each of its key
//                                                 containers, one a line
// Every wait is bounded by MS (at most 60000). Exit 1 when the window is not there, 2 on bad use.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// wincrypt.h needs windows.h first.
#include <wincrypt.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/instance_window.h"
#include "core/secure_root_folder.h"
#include "platform/tls.h"
#include "platform/win/tls_win.h"
#include "res/resource.h"

namespace {

HWND InstanceWindow() { return FindWindowA(nullptr, core::InstalledInstanceWindowTitle().c_str()); }

std::string TextOf(HWND hwnd) {
    char text[1024] = "";
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

std::string ClassOf(HWND hwnd) {
    char name[256] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

DWORD ProcessOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

BOOL CALLBACK PrintWindowLine(HWND hwnd, LPARAM) {
    std::printf("%p %lu %d %s \"%s\"\n", static_cast<void*>(hwnd), ProcessOf(hwnd),
                IsWindowVisible(hwnd) ? 1 : 0, ClassOf(hwnd).c_str(), TextOf(hwnd).c_str());
    return TRUE;
}

struct CounterSearch {
    HWND instance;
    HWND found;
};

// The counter window: a caption-less dialog of KorvoPop's process holding the count control.
BOOL CALLBACK FindCounter(HWND hwnd, LPARAM raw) {
    auto* search = reinterpret_cast<CounterSearch*>(raw);
    if (search->instance != nullptr && ProcessOf(hwnd) != ProcessOf(search->instance)) return TRUE;
    if (ClassOf(hwnd) != "#32770" || GetDlgItem(hwnd, IDC_COUNT) == nullptr) return TRUE;
    search->found = hwnd;
    return FALSE;
}

struct ControlSearch {
    DWORD process;
    int id;
    bool plainDialog;
    HWND found;
};

BOOL CALLBACK FindChildDialog(HWND hwnd, LPARAM found) {
    if (ClassOf(hwnd) != "#32770") return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

bool HasChildDialog(HWND hwnd) {
    bool found = false;
    EnumChildWindows(hwnd, FindChildDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK FindControl(HWND hwnd, LPARAM raw) {
    auto* search = reinterpret_cast<ControlSearch*>(raw);
    if (GetDlgCtrlID(hwnd) != search->id || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) {
        return TRUE;
    }
    search->found = hwnd;
    return FALSE;
}

BOOL CALLBACK FindControlInTopLevel(HWND hwnd, LPARAM raw) {
    auto* search = reinterpret_cast<ControlSearch*>(raw);
    if (ProcessOf(hwnd) != search->process || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) {
        return TRUE;
    }
    if (search->plainDialog && (ClassOf(hwnd) != "#32770" || HasChildDialog(hwnd))) return TRUE;
    EnumChildWindows(hwnd, FindControl, raw);
    return search->found == nullptr;
}

// The clickable control id of KorvoPop's windows, or null.
HWND ClickableControl(int id, bool plainDialog) {
    HWND instance = InstanceWindow();
    if (instance == nullptr) return nullptr;
    ControlSearch search = {ProcessOf(instance), id, plainDialog, nullptr};
    EnumWindows(FindControlInTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Counter() {
    CounterSearch search = {InstanceWindow(), nullptr};
    EnumWindows(FindCounter, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DWORD Milliseconds(const char* text) {
    long ms = std::strtol(text, nullptr, 10);
    if (ms < 0) ms = 0;
    if (ms > 60000) ms = 60000;
    return static_cast<DWORD>(ms);
}

// Polls test() every 10 ms until it holds or ms have passed.
template <typename Test>
bool WaitFor(DWORD ms, Test test) {
    const DWORD start = GetTickCount();
    while (!test()) {
        if (GetTickCount() - start >= ms) return false;
        Sleep(10);
    }
    return true;
}

UINT MessageNumber(const char* text) {
    char* end = nullptr;
    unsigned long number = std::strtoul(text, &end, 0);
    if (end != text && *end == '\0') return static_cast<UINT>(number);
    return RegisterWindowMessageA(text);
}

int PrintCounter(HWND counter) {
    if (counter == nullptr) {
        std::fprintf(stderr, "no counter window\n");
        return 1;
    }
    RECT rect;
    GetWindowRect(counter, &rect);
    char count[64] = "";
    GetDlgItemTextA(counter, IDC_COUNT, count, sizeof count);
    std::printf("%d %ld %ld %ld %ld \"%s\"\n", IsWindowVisible(counter) ? 1 : 0, rect.left,
                rect.top, rect.right, rect.bottom, count);
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: korvo_win_probe.exe list | find TITLE | wait TITLE MS | gone TITLE MS |\n"
                 "       post TITLE MSG [WPARAM [LPARAM]] | screen | counter [shown|hidden MS] |\n"
                 "       click ID MS | box ID MS | text ID MS | box-text ID MS |\n"
                 "       checked ID MS | instance | marker | quit |\n"
                 "       secure-root make|keys\n");
    return 2;
}

}  // namespace

int SecureRoot(const std::string& what) {
    if (what == "make") {
        std::string error;
        auto authority = platform::OpenTlsAuthority(core::SecureRootFolder(), error);
        if (!authority || !platform::InstallTlsRoot(*authority, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (what == "keys") {
        for (const char* container : {platform::kTlsRootContainer, platform::kTlsLeafContainer}) {
            HCRYPTPROV provider = 0;
            const bool present = CryptAcquireContextA(&provider, container, MS_ENH_RSA_AES_PROV_A,
                                                      PROV_RSA_AES, 0) != FALSE;
            if (present) CryptReleaseContext(provider, 0);
            std::printf("%s\n", present ? "present" : "absent");
        }
        return 0;
    }
    return Usage();
}

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // plain "\n" line ends for the scripts
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    if (command == "list" && argc == 2) {
        EnumWindows(PrintWindowLine, 0);
        return 0;
    }
    if (command == "screen" && argc == 2) {
        std::printf("%d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        return 0;
    }
    if (command == "find" && argc == 3) {
        HWND hwnd = FindWindowA(nullptr, argv[2]);
        if (hwnd != nullptr) std::printf("%p\n", static_cast<void*>(hwnd));
        return hwnd != nullptr ? 0 : 1;
    }
    if ((command == "wait" || command == "gone") && argc == 4) {
        const bool wanted = command == "wait";
        const char* title = argv[2];
        return WaitFor(Milliseconds(argv[3]),
                       [&] { return (FindWindowA(nullptr, title) != nullptr) == wanted; })
                   ? 0
                   : 1;
    }
    if (command == "post" && argc >= 4 && argc <= 6) {
        HWND hwnd = FindWindowA(nullptr, argv[2]);
        if (hwnd == nullptr) {
            std::fprintf(stderr, "no window titled \"%s\"\n", argv[2]);
            return 1;
        }
        WPARAM wParam = argc > 4 ? std::strtoul(argv[4], nullptr, 0) : 0;
        LPARAM lParam = argc > 5 ? std::strtol(argv[5], nullptr, 0) : 0;
        return PostMessageA(hwnd, MessageNumber(argv[3]), wParam, lParam) ? 0 : 1;
    }
    if (command == "instance" && argc == 2) {
        std::printf("%s\n", core::InstalledInstanceWindowTitle().c_str());
        return 0;
    }
    if (command == "marker" && argc == 2) {
        std::printf("%s\n", core::kCatchMarker);
        return 0;
    }
    if (command == "quit" && argc == 2) {
        HWND instance = InstanceWindow();
        if (instance == nullptr) {
            std::fprintf(stderr, "no instance window\n");
            return 1;
        }
        return PostMessageA(instance, core::kMsgQuitQuietly, 0, 0) ? 0 : 1;
    }
    if ((command == "click" || command == "box" || command == "text" || command == "box-text" ||
         command == "checked") &&
        argc == 4) {
        const int id = static_cast<int>(std::strtol(argv[2], nullptr, 0));
        const bool plainDialog = command == "box" || command == "box-text";
        HWND control = nullptr;
        if (!WaitFor(Milliseconds(argv[3]),
                     [&] { return (control = ClickableControl(id, plainDialog)) != nullptr; })) {
            std::fprintf(stderr, "no clickable control %d\n", id);
            return 1;
        }
        if (command == "text" || command == "box-text") {
            std::printf("%s\n", TextOf(control).c_str());
            return 0;
        }
        if (command == "checked") {
            std::printf("%d\n", SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
            return 0;
        }
        return PostMessageA(control, BM_CLICK, 0, 0) ? 0 : 1;
    }
    if (command == "secure-root" && argc == 3) return SecureRoot(argv[2]);
    if (command == "counter" && argc == 2) return PrintCounter(Counter());
    if (command == "counter" && argc == 4) {
        const std::string state = argv[2];
        if (state != "shown" && state != "hidden") return Usage();
        const bool shown = state == "shown";
        const bool reached = WaitFor(Milliseconds(argv[3]), [&] {
            HWND counter = Counter();
            return counter != nullptr && (IsWindowVisible(counter) != 0) == shown;
        });
        const int printed = PrintCounter(Counter());
        return reached ? printed : 1;
    }
    return Usage();
}
