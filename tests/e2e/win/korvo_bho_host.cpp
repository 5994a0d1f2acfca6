// A stand-in browser for the helper's tests. Copied as "iexplore.exe" and "explorer.exe", it
// loads the helper DLL the way a browser process does and keeps it until told to end.
//   korvo_bho_host DLL NAME
// Exit code 2: the DLL refused to load. Otherwise the file NAME.loaded is written, and the
// program ends with code 0 (the DLL still loaded, as in a browser) once the file NAME.quit
// exists, or after 60 s.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DLL NAME\n", argv[0]);
        return 1;
    }
    if (LoadLibraryA(argv[1]) == nullptr) return 2;
    const std::string name = argv[2];
    CloseHandle(CreateFileA((name + ".loaded").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string quit = name + ".quit";
    for (int waited = 0; waited < 60000; waited += 50) {
        if (GetFileAttributesA(quit.c_str()) != INVALID_FILE_ATTRIBUTES) break;
        Sleep(50);
    }
    return 0;
}
