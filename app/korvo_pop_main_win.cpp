// KorvoPop.exe: the tray program. Its whole life is the application object's start-up routine.
#include <windows.h>

#include "app/popup_killer_app_win.h"
#include "browsers/hosts_file.h"

// With a hosts command (the elevated run the program starts of itself) only that is done.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    try {
        browsers::HostsCommand hostsCommand;
        if (browsers::ParseHostsCommand(commandLine, &hostsCommand)) {
            return browsers::RunHostsCommand(hostsCommand);
        }
        core::CPopupKillerApp app;
        return app.Run();
    } catch (...) {
        OutputDebugStringA("KorvoPop: start-up failed\n");
        return 1;
    }
}
