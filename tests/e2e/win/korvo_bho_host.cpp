// A stand-in browser for the helper's tests. Copied as "iexplore.exe" and "explorer.exe", it
// loads the helper DLL the way a browser process does and keeps it until told to end.
//   korvo_bho_host DLL EVENTS
// Exit code 2: the DLL refused to load. Otherwise the event "EVENTS.loaded" is set once the DLL
// is loaded; the program then waits (at most 60 s) for "EVENTS.quit" and ends with code 0, the
// DLL still loaded, as a browser does.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DLL EVENTS\n", argv[0]);
        return 1;
    }
    const std::string events = argv[2];
    HANDLE loaded = CreateEventA(nullptr, TRUE, FALSE, (events + ".loaded").c_str());
    HANDLE quit = CreateEventA(nullptr, TRUE, FALSE, (events + ".quit").c_str());
    if (LoadLibraryA(argv[1]) == nullptr) return 2;
    SetEvent(loaded);
    WaitForSingleObject(quit, 60000);
    CloseHandle(loaded);
    CloseHandle(quit);
    return 0;
}
