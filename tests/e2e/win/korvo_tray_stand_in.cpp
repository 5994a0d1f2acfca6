// Plays the tray program for the helper's tests, copied as "KorvoPop.exe": a hidden top-level
// window with the instance window's title ("StandIn.ini" beside the program, section "StandIn",
// key "Title", default "Korvo Popup Killer.kv"). It appends "start SHOW" (its show command) to
// "StandIn.log" beside it, then "message 32790" when asked to end quietly, and ends then, or
// after 60 s.
#include <windows.h>

#include <fstream>
#include <string>

namespace {

std::string folder;

void Log(const std::string& line) {
    std::ofstream(folder + "StandIn.log", std::ios::app | std::ios::binary) << line << "\n";
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == 32790) {
        Log("message 32790");
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    folder = path;
    folder.resize(folder.rfind('\\') + 1);
    char title[256] = "";
    GetPrivateProfileStringA("StandIn", "Title", "Korvo Popup Killer.kv", title, sizeof title,
                             (folder + "StandIn.ini").c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "KorvoTrayStandIn";
    RegisterClassA(&windowClass);
    // Logged first: whoever finds the window finds the line too.
    Log("start " + std::to_string(show));
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, windowClass.lpszClassName, title, 0, 0, 0, 0, 0,
                                  nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    SetTimer(window, 1, 60000, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER) break;
        DispatchMessageA(&message);
    }
    DestroyWindow(window);
    return 0;
}
