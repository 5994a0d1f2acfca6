// A stand-in browser for the helper's tests. Copied as "iexplore.exe" and "explorer.exe", it
// loads the helper DLL the way a browser process does and keeps it until told to end.
//   korvo_bho_host DLL EVENTS               for tests that run under Wine: the event
//                                           "EVENTS.loaded" is set once the DLL is loaded, and
//                                           the program ends when "EVENTS.quit" is set
//   korvo_bho_host DLL --until-file PATH    for scripts: prints "loaded", ends once PATH exists
// Exit code 2: the DLL refused to load. Otherwise 0 when told to end, or after 60 s; the DLL is
// still loaded when the program ends, as in a browser.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr DWORD kLongestRunMs = 60000;

void WaitForFile(const char* path) {
    for (DWORD waited = 0; waited < kLongestRunMs; waited += 50) {
        if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return;
        Sleep(50);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const bool untilFile = argc == 4 && std::string(argv[2]) == "--until-file";
    if (argc != 3 && !untilFile) {
        std::fprintf(stderr, "usage: %s DLL EVENTS | DLL --until-file PATH\n", argv[0]);
        return 1;
    }
    HANDLE loaded = nullptr;
    HANDLE quit = nullptr;
    if (!untilFile) {
        const std::string events = argv[2];
        loaded = CreateEventA(nullptr, TRUE, FALSE, (events + ".loaded").c_str());
        quit = CreateEventA(nullptr, TRUE, FALSE, (events + ".quit").c_str());
    }
    if (LoadLibraryA(argv[1]) == nullptr) {
        std::puts("refused");
        return 2;
    }
    if (untilFile) {
        std::puts("loaded");
        std::fflush(stdout);
        WaitForFile(argv[3]);
        return 0;
    }
    SetEvent(loaded);
    WaitForSingleObject(quit, kLongestRunMs);
    CloseHandle(loaded);
    CloseHandle(quit);
    return 0;
}
