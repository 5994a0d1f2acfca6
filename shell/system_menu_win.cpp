#include "shell/system_menu_win.h"

#include <initializer_list>

#include "res/resource.h"

namespace shell {

void PrepareSystemMenu(HWND window) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu == nullptr) return;
    // A dialog's system menu holds Move and Close; a system that gives the full window menu
    // already has the others, which then only need their states.
    if (GetMenuState(menu, SC_MINIMIZE, MF_BYCOMMAND) == static_cast<UINT>(-1)) {
        InsertMenuA(menu, 0, MF_BYPOSITION | MF_STRING | MF_GRAYED, SC_RESTORE, "Restore");
        InsertMenuA(menu, 2, MF_BYPOSITION | MF_STRING | MF_GRAYED, SC_SIZE, "Size");
        InsertMenuA(menu, 3, MF_BYPOSITION | MF_STRING, SC_MINIMIZE, "Minimize");
        InsertMenuA(menu, 4, MF_BYPOSITION | MF_STRING | MF_GRAYED, SC_MAXIMIZE, "Maximize");
        InsertMenuA(menu, 5, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    } else {
        for (UINT command : {SC_RESTORE, SC_SIZE, SC_MAXIMIZE}) {
            EnableMenuItem(menu, command, MF_BYCOMMAND | MF_GRAYED);
        }
        EnableMenuItem(menu, SC_MINIMIZE, MF_BYCOMMAND | MF_ENABLED);
    }
    char about[256] = "";
    LoadStringA(GetModuleHandleA(nullptr), IDS_ABOUT_ITEM, about, sizeof about);
    if (about[0] != '\0') {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, IDM_SYSTEM_ABOUT, about);
    }
}

}  // namespace shell
