// TrayMenu: the menu the tray icon opens on a right click (menu resource 128, its first
// submenu), with its texts from the language file and the states of its items.
#pragma once

#include <windows.h>

#include "core/app_state.h"

namespace shell {

class TrayMenu {
  public:
    TrayMenu() = default;
    TrayMenu(const TrayMenu&) = delete;
    TrayMenu& operator=(const TrayMenu&) = delete;
    ~TrayMenu();

    // Loads the menu; its first item is the default (bold) one.
    void Load();
    // Every item's text for the window being shown or hidden and catching on or off, and the
    // Block Ads tick. Does nothing before Load.
    void UpdateTexts(const core::AppState& state, bool windowShown, bool catching,
                     bool blockingAds) const;
    // The Block Ads tick alone.
    void CheckBlockAds(bool blocking) const;
    // Opens the menu at the cursor and returns when it has closed; its commands go to owner.
    void Track(HWND owner) const;

  private:
    HMENU resource_ = nullptr;
    HMENU menu_ = nullptr;
};

}  // namespace shell
