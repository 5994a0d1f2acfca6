// KorvoUIn.exe: the uninstaller. It takes no arguments and shows no window of its own; the only
// output is an error box when a browser cannot be reset.
#include <windows.h>

#include "uninstall/uninstaller.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        uninstall::Uninstaller uninstaller;
        return uninstaller.Run();
    } catch (...) {
        OutputDebugStringA("KorvoUIn: uninstall failed\n");
        return 1;
    }
}
