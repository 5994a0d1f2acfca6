// KorvoPop.exe: the tray program. Its whole life is the application object's start-up routine.
#include <windows.h>

#include "app/popup_killer_app_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        core::CPopupKillerApp app;
        return app.Run();
    } catch (...) {
        OutputDebugStringA("KorvoPop: start-up failed\n");
        return 1;
    }
}
