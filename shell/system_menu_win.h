// The main window's system menu. The sheet is a dialog, whose system menu holds only Move and
// Close; the main window also offers Minimize (back to the tray) and About.
#pragma once

#include <windows.h>

namespace shell {

// Gives window's system menu Restore, Size and Maximize (greyed: the window cannot use them),
// Minimize, and at its end the About item IDM_SYSTEM_ABOUT (text IDS_ABOUT_ITEM) when the text
// exists.
void PrepareSystemMenu(HWND window);

}  // namespace shell
