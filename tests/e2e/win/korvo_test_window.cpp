// A visible top-level window with a given title, standing in for a browser window whose page
// title the blocker script has marked. It lives SECONDS (default 10, at most 120) or, with
// --until-changed, until something changes its title; then it prints its final title on stdout.
//   korvo_test_window.exe [--until-changed] TITLE [SECONDS]
// stderr gets "window 0xHWND" once the window is shown and, when the title changed, after how
// many milliseconds. Exit code: 0, or 1 when --until-changed timed out; 2 on bad arguments.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const UINT_PTR kPollTimer = 1;
const UINT kPollMs = 5;

std::string initialTitle;
std::string finalTitle;
bool untilChanged = false;
DWORD started = 0;
DWORD deadline = 0;
DWORD changedAfter = 0;

std::string TitleOf(HWND hwnd) {
    char text[1024] = "";
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kPollTimer) {
        const DWORD now = GetTickCount();
        finalTitle = TitleOf(hwnd);
        if (changedAfter == 0 && finalTitle != initialTitle) changedAfter = now - started;
        if ((untilChanged && changedAfter != 0) || static_cast<LONG>(now - deadline) >= 0) {
            DestroyWindow(hwnd);
        }
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // plain "\n" line ends for the scripts
    int arg = 1;
    if (arg < argc && std::strcmp(argv[arg], "--until-changed") == 0) {
        untilChanged = true;
        ++arg;
    }
    if (arg >= argc || argc - arg > 2) {
        std::fprintf(stderr, "usage: korvo_test_window.exe [--until-changed] TITLE [SECONDS]\n");
        return 2;
    }
    initialTitle = argv[arg];
    finalTitle = initialTitle;
    long seconds = arg + 1 < argc ? std::strtol(argv[arg + 1], nullptr, 10) : 10;
    if (seconds < 1) seconds = 1;
    if (seconds > 120) seconds = 120;

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "KorvoTestWindow";
    RegisterClassA(&windowClass);
    HWND hwnd = CreateWindowExA(0, windowClass.lpszClassName, initialTitle.c_str(),
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 420, 160, nullptr,
                                nullptr, instance, nullptr);
    if (hwnd == nullptr) {
        std::fprintf(stderr, "CreateWindowEx failed: %lu\n", GetLastError());
        return 2;
    }
    started = GetTickCount();
    deadline = started + static_cast<DWORD>(seconds) * 1000;
    SetTimer(hwnd, kPollTimer, kPollMs, nullptr);
    std::fprintf(stderr, "window %p\n", static_cast<void*>(hwnd));
    std::fflush(stderr);

    // The catcher renames this window from its own process: WM_SETTEXT arrives through this loop.
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    std::printf("%s\n", finalTitle.c_str());
    if (changedAfter != 0) std::fprintf(stderr, "title changed after %lu ms\n", changedAfter);
    return untilChanged && changedAfter == 0 ? 1 : 0;
}
