#include "shell/tray_menu_win.h"

#include <string>

#include "core/language.h"
#include "res/resource.h"

namespace shell {
namespace {

// Replaces an item's text only: its default (bold) and check states stay.
void SetMenuText(HMENU menu, UINT command, const char* id, const char* defaultText) {
    std::string text = core::GetLanguageString(id, defaultText);
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STRING;
    item.dwTypeData = &text[0];
    SetMenuItemInfoA(menu, command, FALSE, &item);
}

}  // namespace

TrayMenu::~TrayMenu() {
    if (resource_ != nullptr) DestroyMenu(resource_);
}

void TrayMenu::Load() {
    resource_ = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU));
    menu_ = GetSubMenu(resource_, 0);
    SetMenuDefaultItem(menu_, 0, TRUE);
}

void TrayMenu::UpdateTexts(bool windowShown, bool catching, bool blockingAds) const {
    if (menu_ == nullptr) return;
    if (windowShown) {
        SetMenuText(menu_, IDM_TOGGLE_WINDOW, "7002", "Hide Korvo Popup Killer");
    } else {
        SetMenuText(menu_, IDM_TOGGLE_WINDOW, "7001", "Show Korvo Popup Killer");
    }
    if (catching) {
        SetMenuText(menu_, IDM_TOGGLE_CATCHING, "7004", "Disable Korvo Popup Killer");
    } else {
        SetMenuText(menu_, IDM_TOGGLE_CATCHING, "7003", "Enable Korvo Popup Killer");
    }
    SetMenuText(menu_, IDM_SHOW_COUNTER, "7007", "Show Popup Count Window");
    SetMenuText(menu_, IDM_EXIT, "7008", "Exit");
    SetMenuText(menu_, IDM_CLEAR_COUNTER, "7009", "Clear Popup Counter");
    SetMenuText(menu_, IDM_BLOCK_ADS, "7010", "Block Ads");
    SetMenuText(menu_, IDM_HELP, "10004", "Help");
    CheckBlockAds(blockingAds);
}

void TrayMenu::CheckBlockAds(bool blocking) const {
    CheckMenuItem(menu_, IDM_BLOCK_ADS, MF_BYCOMMAND | (blocking ? MF_CHECKED : MF_UNCHECKED));
}

void TrayMenu::Track(HWND owner) const {
    POINT cursor;
    GetCursorPos(&cursor);
    TrackPopupMenu(menu_, 0, cursor.x, cursor.y, 0, owner, nullptr);
}

}  // namespace shell
