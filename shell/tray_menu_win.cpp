#include "shell/tray_menu_win.h"

#include <string>

#include "core/language.h"
#include "core/language_texts.h"
#include "res/resource.h"

namespace shell {
namespace {

// Replaces an item's text only: its default (bold) and check states stay.
void SetMenuText(const core::AppState& state, HMENU menu, UINT command,
                 const core::LanguageText& languageText) {
    std::string text = core::GetLanguageString(state, languageText);
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

void TrayMenu::UpdateTexts(const core::AppState& state, bool windowShown, bool catching,
                           bool blockingAds) const {
    if (menu_ == nullptr) return;
    if (windowShown) {
        SetMenuText(state, menu_, IDM_TOGGLE_WINDOW, core::texts::kMenuHideWindow);
    } else {
        SetMenuText(state, menu_, IDM_TOGGLE_WINDOW, core::texts::kMenuShowWindow);
    }
    if (catching) {
        SetMenuText(state, menu_, IDM_TOGGLE_CATCHING, core::texts::kMenuDisableCatching);
    } else {
        SetMenuText(state, menu_, IDM_TOGGLE_CATCHING, core::texts::kMenuEnableCatching);
    }
    SetMenuText(state, menu_, IDM_SHOW_COUNTER, core::texts::kMenuShowCounter);
    SetMenuText(state, menu_, IDM_EXIT, core::texts::kMenuExit);
    SetMenuText(state, menu_, IDM_CLEAR_COUNTER, core::texts::kMenuClearCounter);
    SetMenuText(state, menu_, IDM_BLOCK_ADS, core::texts::kMenuBlockAds);
    SetMenuText(state, menu_, IDM_HELP, core::texts::kHelp);
    SetMenuText(state, menu_, IDM_ABOUT, core::texts::kMenuAbout);
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
