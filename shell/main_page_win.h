// CMainPage: the main window, a property sheet with the Popups, ActiveX and Options pages, run
// modally for the program's whole life and hidden most of it. The user reaches it, and the rest
// of the program, through the tray icon and its menu. It drives the pop-up catcher's timer and
// starts the proxy.
#pragma once

#include <windows.h>
// The headers below need windows.h first.

#include <shellapi.h>

#include <string>

#include "pages/activex_page_win.h"
#include "pages/options_page_win.h"
#include "pages/popup_dlg_win.h"
#include "platform/win/property_sheet.h"

namespace shell {

class CMainPage : public platform::PropertySheet {
  public:
    CMainPage();
    ~CMainPage() override;

    // Runs the sheet until ExitProgram ends it.
    void Run();

    void UpdateTrayIcon();
    void UpdateTrayMenuTexts();
    void LocalizeMainWindow();
    // Apply: application state, settings file, blocker script and zone settings.
    void ApplyAll();
    // Applies, asks unless quiet, and ends the sheet; the program then ends.
    void ExitProgram();
    // Ends the program without a question (the browser helper and the uninstaller ask for it).
    void QuitQuietly();
    void ToggleMainWindow();
    void ToggleCatching();
    void ToggleBlockAds();
    void ClearPopupCounter();
    void OnCatchingChanged();

    bool IsTrayIconAdded() const { return trayIconAdded_ != 0; }

  protected:
    void OnInitialized() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  private:
    bool OnCommand(int id);
    bool OnSysCommand(WPARAM command);
    void OnTaskbarCreated();
    void OnTrayCallback(LPARAM mouseMessage);
    void OnPrivateMessage(UINT message);
    void AddTrayIcon();
    void ShowTrayMenu();
    void HideToTray();
    void CancelChanges();
    void PrepareSystemMenu();
    void SetPagesUnmodified();

    HICON bigIcon_ = nullptr;
    pages::CPopupDlg popupsPage_;
    pages::CActiveXPage activeXPage_;
    pages::COptionsPage optionsPage_;
    NOTIFYICONDATAA trayIcon_ = {};
    int trayIconAdded_ = 0;
    HMENU menuResource_ = nullptr;
    HMENU trayMenu_ = nullptr;
    std::string enabledTip_;
    std::string disabledTip_;
    std::string languageSnapshot_;
    bool quietExit_ = false;
    bool isVisible_ = false;
    // The tray menu runs its own loop; an exit asked for meanwhile waits until it has closed.
    bool menuOpen_ = false;
    bool exitAfterMenu_ = false;
};

// The running main window, or null outside its life: the instance window hands it the
// messages other programs post.
CMainPage* RunningMainPage();

}  // namespace shell
